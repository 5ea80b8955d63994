// The ticket's page list: records in chunks of at most 1600, every chunk but the
// last one full, so a position finds its chunk by division.
#include "common/job/job_ticket.h"

#include <cstdlib>
#include <cstring>

namespace {

// Makes room for one more chunk pointer and capacity. false: nothing changed.
bool GrowChunkTable(JobTicketPageList* list, uint32_t chunks)
{
    auto* table = static_cast<JobTicketPageRecord**>(realloc(list->chunks, chunks * sizeof *list->chunks));
    if (table == nullptr)
        return false;
    list->chunks = table;
    auto* capacity = static_cast<uint32_t*>(realloc(list->chunkCapacity, chunks * sizeof *list->chunkCapacity));
    if (capacity == nullptr)
        return false;
    list->chunkCapacity = capacity;
    return true;
}

}  // namespace

JobTicketPageList* CreateJobTicketPageList(uint32_t initialCount, uint32_t growth)
{
    auto* list = static_cast<JobTicketPageList*>(calloc(1, sizeof(JobTicketPageList)));
    if (list == nullptr)
        return nullptr;
    list->recordSize = sizeof(JobTicketPageRecord);
    list->growth = growth != 0 ? growth : 1;
    const uint32_t chunks = (initialCount + kTicketPagesPerChunk - 1) / kTicketPagesPerChunk;
    if (chunks > 0 && !GrowChunkTable(list, chunks)) {
        FreeJobTicketPageList(list);
        return nullptr;
    }
    for (uint32_t i = 0; i < chunks; ++i) {
        const uint32_t records =
            i + 1 < chunks ? kTicketPagesPerChunk : initialCount - (chunks - 1) * kTicketPagesPerChunk;
        list->chunks[i] = static_cast<JobTicketPageRecord*>(calloc(records, sizeof(JobTicketPageRecord)));
        if (list->chunks[i] == nullptr) {
            FreeJobTicketPageList(list);
            return nullptr;
        }
        list->chunkCapacity[i] = records;
        list->chunkCount = i + 1;
    }
    return list;
}

void FreeJobTicketPageList(JobTicketPageList* list)
{
    if (list == nullptr)
        return;
    for (uint32_t i = 0; i < list->chunkCount; ++i)
        free(list->chunks[i]);
    free(list->chunks);
    free(list->chunkCapacity);
    free(list);
}

uint32_t GetJobTicketPageCount(const JobTicketPageList* list)
{
    return list != nullptr ? list->count : 0;
}

int SeekJobTicketPage(JobTicketPageList* list, uint32_t position)
{
    if (list == nullptr || position == 0 || position > list->count)
        return 0;
    list->position = position;
    list->chunk = (position - 1) / kTicketPagesPerChunk;
    list->indexInChunk = (position - 1) % kTicketPagesPerChunk;
    return 1;
}

JobTicketPageRecord* GetCurrentJobTicketPage(JobTicketPageList* list)
{
    if (list == nullptr || list->position == 0 || list->position > list->count)
        return nullptr;
    return &list->chunks[list->chunk][list->indexInChunk];
}

int CopyCurrentJobTicketPage(JobTicketPageList* list, JobTicketPageRecord* out)
{
    const JobTicketPageRecord* record = GetCurrentJobTicketPage(list);
    if (record == nullptr || out == nullptr)
        return 0;
    *out = *record;
    return 1;
}

int AppendJobTicketPage(JobTicketPageList* list, const JobTicketPageRecord& record)
{
    if (list == nullptr || list->count == UINT32_MAX)
        return 0;
    const uint32_t chunk = list->count / kTicketPagesPerChunk;
    const uint32_t index = list->count % kTicketPagesPerChunk;
    if (chunk == list->chunkCount) {
        if (!GrowChunkTable(list, chunk + 1))
            return 0;
        const uint32_t records = list->growth < kTicketPagesPerChunk ? list->growth : kTicketPagesPerChunk;
        list->chunks[chunk] = static_cast<JobTicketPageRecord*>(calloc(records, sizeof(JobTicketPageRecord)));
        if (list->chunks[chunk] == nullptr)
            return 0;
        list->chunkCapacity[chunk] = records;
        list->chunkCount = chunk + 1;
    } else if (index == list->chunkCapacity[chunk]) {
        uint32_t records = list->chunkCapacity[chunk] + list->growth;
        if (records > kTicketPagesPerChunk)
            records = kTicketPagesPerChunk;
        auto* grown = static_cast<JobTicketPageRecord*>(realloc(list->chunks[chunk], records * sizeof record));
        if (grown == nullptr)
            return 0;
        std::memset(grown + list->chunkCapacity[chunk], 0,
                    (records - list->chunkCapacity[chunk]) * sizeof record);
        list->chunks[chunk] = grown;
        list->chunkCapacity[chunk] = records;
    }
    list->chunks[chunk][index] = record;
    ++list->count;
    return SeekJobTicketPage(list, list->count);
}
