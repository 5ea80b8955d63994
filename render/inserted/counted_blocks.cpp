// The counted-block cursor over the temporary channel.
#include "render/inserted/counted_blocks.h"

#include <algorithm>

namespace {

constexpr int32_t kNone = -1;
constexpr int32_t kHeaderBytes = sizeof(CountedBlockHeader);

bool InState(const CountedBlockCursor* cursor, int32_t state)
{
    return cursor && cursor->state == state;
}

int WriteAt(TempChannel* channel, int32_t offset, const void* bytes, uint32_t length)
{
    if (SeekTempChannel(channel, static_cast<uint32_t>(offset)) != 0)
        return -1;
    return WriteTempChannel(channel, bytes, length) == static_cast<int>(length) ? 0 : -1;
}

}  // namespace

void InitCountedBlockWriter(CountedBlockCursor* cursor)
{
    if (!cursor)
        return;
    *cursor = {};
    cursor->state = kCountedBlocksIdle;
    cursor->first = kNone;
    cursor->previous = kNone;
}

int BeginCountedBlockWrite(CountedBlockCursor* cursor, TempChannel* channel)
{
    if (!InState(cursor, kCountedBlocksIdle) || !channel)
        return -1;
    const int64_t end = GetTempChannelSize(channel);
    if (end < 0 || end > INT32_MAX)
        return -1;
    cursor->state = kCountedBlocksWriting;
    cursor->first = kNone;
    cursor->previous = kNone;
    cursor->current = static_cast<int32_t>(end);
    cursor->end = cursor->current;
    return 0;
}

int WriteCountedBlock(CountedBlockCursor* cursor, TempChannel* channel, int16_t kind, uint16_t length,
                      const void* data)
{
    if (!InState(cursor, kCountedBlocksWriting) || !channel || (length != 0 && !data))
        return -1;
    // Another writer in between would have its bytes overwritten or cut off the chain.
    if (GetTempChannelSize(channel) != cursor->current)
        return -1;
    const int64_t next = static_cast<int64_t>(cursor->current) + kHeaderBytes + length;
    if (next > INT32_MAX)
        return -1;
    const CountedBlockHeader header = {kind, length, 0};
    if (WriteAt(channel, cursor->current, &header, kHeaderBytes))
        return -1;
    if (cursor->previous != kNone) {
        const int32_t link = cursor->current - cursor->previous;
        if (WriteAt(channel, cursor->previous + static_cast<int32_t>(offsetof(CountedBlockHeader, link)), &link,
                    sizeof link))
            return -1;
    }
    if (length != 0 && WriteAt(channel, cursor->current + kHeaderBytes, data, length))
        return -1;
    if (SeekTempChannelEnd(channel) != next)
        return -1;
    if (cursor->first == kNone)
        cursor->first = cursor->current;
    cursor->previous = cursor->current;
    cursor->current = static_cast<int32_t>(next);
    cursor->end = cursor->current;
    return 0;
}

int32_t EndCountedBlockWrite(CountedBlockCursor* cursor)
{
    if (!InState(cursor, kCountedBlocksWriting))
        return -1;
    cursor->state = kCountedBlocksIdle;
    return cursor->first;
}

int BeginCountedBlockRead(CountedBlockCursor* cursor, const RecordedPageOffsets& page)
{
    if (!InState(cursor, kCountedBlocksIdle))
        return -1;
    cursor->state = kCountedBlocksReading;
    cursor->first = page.firstItem;
    cursor->end = page.end;
    cursor->readPosition = page.firstItem == kNone ? page.end : page.firstItem;
    cursor->nextBlock = cursor->readPosition;
    return 0;
}

int NextCountedBlock(CountedBlockCursor* cursor, TempChannel* channel, CountedBlockHeader* header)
{
    if (!InState(cursor, kCountedBlocksReading) || !channel || !header)
        return -1;
    if (cursor->nextBlock >= cursor->end)
        return kCountedBlocksEnd;
    // A reader that took part of a block moves on to the block's end first.
    if (cursor->readPosition < cursor->nextBlock)
        cursor->readPosition = cursor->nextBlock;
    if (cursor->readPosition != cursor->nextBlock)
        return -1;
    if (cursor->end - cursor->readPosition < kHeaderBytes)
        return -1;
    if (SeekTempChannel(channel, static_cast<uint32_t>(cursor->readPosition)) != 0)
        return -1;
    CountedBlockHeader h;
    if (ReadTempChannel(channel, &h, kHeaderBytes) != kHeaderBytes)
        return -1;
    // A link must lead forward past this block's own data, inside the page.
    const int64_t next = h.link == 0 ? cursor->end : static_cast<int64_t>(cursor->readPosition) + h.link;
    if (h.link != 0 && (next < static_cast<int64_t>(cursor->readPosition) + kHeaderBytes + h.length || next > cursor->end))
        return -1;
    cursor->readPosition += kHeaderBytes;
    cursor->nextBlock = static_cast<int32_t>(next);
    *header = h;
    return 0;
}

int ReadCountedBlockData(CountedBlockCursor* cursor, TempChannel* channel, uint32_t length, void* buffer)
{
    if (!InState(cursor, kCountedBlocksReading) || !channel || (length != 0 && !buffer))
        return -1;
    const uint32_t room = static_cast<uint32_t>(std::max(0, cursor->nextBlock - cursor->readPosition));
    const uint32_t n = std::min(length, room);
    if (n == 0)
        return 0;
    if (SeekTempChannel(channel, static_cast<uint32_t>(cursor->readPosition)) != 0)
        return -1;
    const int read = ReadTempChannel(channel, buffer, n);
    if (read < 0)
        return -1;
    cursor->readPosition += read;
    return read;
}

int ReadCountedBlockRaw(CountedBlockCursor* cursor, TempChannel* channel, uint32_t length, void* buffer)
{
    if (!InState(cursor, kCountedBlocksReading) || !channel || (length != 0 && !buffer))
        return -1;
    if (SeekTempChannel(channel, static_cast<uint32_t>(cursor->readPosition)) != 0)
        return -1;
    const int read = ReadTempChannel(channel, buffer, length);
    if (read < 0)
        return -1;
    cursor->readPosition += read;
    return read;
}

int EndCountedBlockRead(CountedBlockCursor* cursor)
{
    if (!InState(cursor, kCountedBlocksReading))
        return -1;
    cursor->state = kCountedBlocksIdle;
    return 0;
}
