#include "render/output/page_recording.h"

#include <algorithm>
#include <cstddef>

namespace {

bool SeekAndWrite(TempChannel* temp, uint32_t offset, const void* bytes, uint32_t length)
{
    return SeekTempChannel(temp, offset) == 0 && WriteTempChannel(temp, bytes, length) == static_cast<int>(length);
}

bool SeekAndRead(TempChannel* temp, uint32_t offset, void* bytes, uint32_t length)
{
    return SyncTempChannel(temp) == 0 && SeekTempChannel(temp, offset) == 0 &&
           ReadTempChannel(temp, bytes, length) == static_cast<int>(length);
}

int StoreGrowing(GrowableTable* table, uint32_t index, const void* entry)
{
    while (index >= table->capacity)
        if (GrowTable(table) != 0)
            return -1;
    return StoreTableEntry(table, index, entry);
}

// Where the plain bytes of the page stop: the next block or the page's end.
int32_t BytesLimit(const RecordedBlockCursor& c)
{
    return c.nextBlock >= 0 ? c.nextBlock : c.end;
}

}  // namespace

int BeginPageRecording(OutputStream* stream, int32_t firstPage, uint32_t entrySize, uint32_t growthStep)
{
    if (stream == nullptr || IsPageRecordingOn(stream))
        return -1;
    if (CreateGrowableTable(&stream->pageTable, entrySize, growthStep) != 0)
        return -1;
    if (CreateGrowableTable(&stream->offsets, sizeof(RecordedPageOffsets), growthStep) != 0 ||
        CreateTempChannelFile(&stream->temp) != 0) {
        FreeGrowableTable(&stream->pageTable);
        FreeGrowableTable(&stream->offsets);
        return -1;
    }
    stream->firstPage = firstPage;
    stream->recordedPages = 0;
    stream->cursor = {-1, -1, -1, 0, 0, -1, 0, 0, false};
    return 0;
}

bool IsPageRecordingOn(const OutputStream* stream)
{
    return stream != nullptr && stream->offsets.entries != nullptr;
}

int BeginRecordedPage(OutputStream* stream)
{
    if (!IsPageRecordingOn(stream) || stream->mode == kStreamTemp)
        return -1;
    if (SetStreamMode(stream, kStreamTemp) != 0)
        return -1;
    const int64_t start = SeekTempChannelEnd(&stream->temp);
    if (start < 0 || start > INT32_MAX) {
        SetStreamMode(stream, kStreamSpooler);
        return -1;
    }
    stream->cursor.pageStart = static_cast<int32_t>(start);
    stream->cursor.firstBlock = -1;
    stream->cursor.lastBlock = -1;
    return 0;
}

int WriteRecordedPageItem(OutputStream* stream, uint16_t kind, const void* data, uint16_t length)
{
    if (stream == nullptr || stream->mode != kStreamTemp || (length != 0 && data == nullptr))
        return -1;
    // The commands written so far go before the block.
    if (FlushStreamBuffer(stream) != 0)
        return -1;
    const int64_t at = SeekTempChannelEnd(&stream->temp);
    if (at < 0 || at + sizeof(RecordedItemHeader) + length > INT32_MAX)
        return -1;
    const RecordedItemHeader head = {kind, length, 0};
    if (WriteTempChannel(&stream->temp, &head, sizeof head) != static_cast<int>(sizeof head) ||
        (length != 0 && WriteTempChannel(&stream->temp, data, length) != length))
        return -1;
    RecordedBlockCursor& c = stream->cursor;
    if (c.lastBlock >= 0) {
        const uint32_t distance = static_cast<uint32_t>(at - c.lastBlock);
        if (!SeekAndWrite(&stream->temp, static_cast<uint32_t>(c.lastBlock) + offsetof(RecordedItemHeader, next),
                          &distance, sizeof distance))
            return -1;
    }
    else
        c.firstBlock = static_cast<int32_t>(at);
    c.lastBlock = static_cast<int32_t>(at);
    return 0;
}

int EndRecordedPageData(OutputStream* stream)
{
    if (!IsPageRecordingOn(stream) || stream->mode != kStreamTemp)
        return -1;
    const int flushed = FlushStreamBuffer(stream);
    const int64_t end = SeekTempChannelEnd(&stream->temp);
    // The stream goes back to the spooler whatever happened to the page.
    stream->mode = kStreamSpooler;
    if (flushed != 0 || end < 0 || end > INT32_MAX)
        return -1;
    const RecordedPageOffsets entry = {stream->cursor.pageStart, static_cast<int32_t>(end), stream->cursor.firstBlock};
    if (stream->recordedPages < 0 ||
        StoreGrowing(&stream->offsets, static_cast<uint32_t>(stream->recordedPages), &entry) != 0)
        return -1;
    ++stream->recordedPages;
    return 0;
}

int StorePageEntry(OutputStream* stream, uint32_t index, const void* entry)
{
    if (!IsPageRecordingOn(stream) || entry == nullptr)
        return -1;
    return StoreGrowing(&stream->pageTable, index, entry);
}

int LoadPageEntry(const OutputStream* stream, uint32_t index, void* entry)
{
    if (!IsPageRecordingOn(stream) || entry == nullptr)
        return -1;
    return LoadTableEntry(&stream->pageTable, index, entry);
}

int StartPageReplay(OutputStream* stream, uint32_t index)
{
    if (!IsPageRecordingOn(stream) || stream->mode == kStreamTemp || index >= uint32_t(stream->recordedPages))
        return -1;
    RecordedPageOffsets entry;
    if (LoadTableEntry(&stream->offsets, index, &entry) != 0)
        return -1;
    const int64_t size = GetTempChannelSize(&stream->temp);
    if (entry.start < 0 || entry.end < entry.start || entry.end > size ||
        (entry.firstItem >= 0 && (entry.firstItem < entry.start || entry.firstItem >= entry.end)))
        return -1;
    RecordedBlockCursor& c = stream->cursor;
    c.position = entry.start;
    c.end = entry.end;
    c.nextBlock = entry.firstItem;
    c.itemData = 0;
    c.itemLength = 0;
    c.replaying = true;
    return 0;
}

int ReadRecordedBytes(OutputStream* stream, void* buffer, uint32_t capacity)
{
    if (stream == nullptr || !stream->cursor.replaying || buffer == nullptr)
        return -1;
    RecordedBlockCursor& c = stream->cursor;
    const uint32_t left = static_cast<uint32_t>(BytesLimit(c) - c.position);
    const uint32_t n = std::min(left, capacity);
    if (n == 0)
        return 0;
    if (!SeekAndRead(&stream->temp, static_cast<uint32_t>(c.position), buffer, n))
        return -1;
    c.position += static_cast<int32_t>(n);
    return static_cast<int>(n);
}

int NextRecordedItem(OutputStream* stream, uint16_t* kind, uint16_t* length)
{
    if (stream == nullptr || !stream->cursor.replaying || kind == nullptr || length == nullptr)
        return -1;
    RecordedBlockCursor& c = stream->cursor;
    if (c.position != BytesLimit(c))
        return -1;  // commands before the block are still unread
    if (c.nextBlock < 0)
        return 0;
    RecordedItemHeader head;
    const int64_t dataAt = int64_t{c.nextBlock} + sizeof head;
    if (dataAt > c.end || !SeekAndRead(&stream->temp, static_cast<uint32_t>(c.nextBlock), &head, sizeof head))
        return -1;
    const int64_t dataEnd = dataAt + head.length;
    const int64_t next = head.next == 0 ? -1 : int64_t{c.nextBlock} + head.next;
    // A block must lie inside the page and the chain must run forward.
    if (dataEnd > c.end || (next >= 0 && (next < dataEnd || next >= c.end)))
        return -1;
    c.itemData = static_cast<int32_t>(dataAt);
    c.itemLength = head.length;
    c.position = static_cast<int32_t>(dataEnd);
    c.nextBlock = static_cast<int32_t>(next);
    *kind = head.kind;
    *length = head.length;
    return 1;
}

int ReadRecordedItemData(OutputStream* stream, void* buffer, uint16_t length)
{
    if (stream == nullptr || !stream->cursor.replaying || length != stream->cursor.itemLength ||
        (length != 0 && buffer == nullptr))
        return -1;
    if (length == 0)
        return 0;
    return SeekAndRead(&stream->temp, static_cast<uint32_t>(stream->cursor.itemData), buffer, length) ? length : -1;
}

int EndPageRecording(OutputStream* stream)
{
    if (stream == nullptr)
        return -1;
    int result = 0;
    if (stream->mode == kStreamTemp && SetStreamMode(stream, kStreamSpooler) != 0)
        result = -1;
    FreeGrowableTable(&stream->pageTable);
    FreeGrowableTable(&stream->offsets);
    if (CloseTempChannel(&stream->temp) != 0)
        result = -1;
    stream->recordedPages = 0;
    stream->cursor = {};
    return result;
}
