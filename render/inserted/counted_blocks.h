// Counted blocks: the items of a recorded page lie in the temporary channel as
// a chain of blocks, each an 8-byte header and its data. The header's link is
// the distance to the next block, so a reader can step over a block whose
// data it does not want. One cursor per store writes a chain or reads one.
#pragma once
#include "render/output/output_stream.h"
#include "render/output/temp_channel.h"

#include <cstddef>
#include <cstdint>

struct CountedBlockHeader {
    int16_t kind;
    uint16_t length;  // data bytes after the header
    int32_t link;     // distance from this block to the next, 0 for the last
};
static_assert(sizeof(CountedBlockHeader) == 8);
static_assert(offsetof(CountedBlockHeader, length) == 2);
static_assert(offsetof(CountedBlockHeader, link) == 4);

constexpr int32_t kCountedBlocksIdle = 0;
constexpr int32_t kCountedBlocksReading = 1;
constexpr int32_t kCountedBlocksWriting = 2;
// NextCountedBlock at the end of the chain.
constexpr int kCountedBlocksEnd = 3;

struct CountedBlockCursor {
    int32_t state;
    int32_t first;     // offset of the first block, -1 none
    int32_t previous;  // offset of the block written last, -1 none
    int32_t end;       // end offset of the stored data
    int32_t current;   // where the next block is written
    int32_t readPosition;
    int32_t nextBlock; // where the block after the one being read starts
};

// Every call in the wrong state answers -1.
void InitCountedBlockWriter(CountedBlockCursor* cursor);
// From idle: the chain starts at the channel's end.
int BeginCountedBlockWrite(CountedBlockCursor* cursor, TempChannel* channel);
// Appends a block and links the one before to it. The channel's end must be
// where the cursor writes (nothing else wrote meanwhile), before and after.
int WriteCountedBlock(CountedBlockCursor* cursor, TempChannel* channel, int16_t kind, uint16_t length,
                      const void* data);
// Back to idle; the first block's offset (-1 when none was written).
int32_t EndCountedBlockWrite(CountedBlockCursor* cursor);

// Reads the chain of a recorded page: its data runs to `page.end` and its
// first block is `page.firstItem`.
int BeginCountedBlockRead(CountedBlockCursor* cursor, const RecordedPageOffsets& page);
// The next block's header; kCountedBlocksEnd when the chain is done, -1 when
// the read position is not on the block's start.
int NextCountedBlock(CountedBlockCursor* cursor, TempChannel* channel, CountedBlockHeader* header);
// At most `length` bytes of the current block's data; the count read or -1.
int ReadCountedBlockData(CountedBlockCursor* cursor, TempChannel* channel, uint32_t length, void* buffer);
// `length` bytes at the read position whatever the block bounds; the count or -1.
int ReadCountedBlockRaw(CountedBlockCursor* cursor, TempChannel* channel, uint32_t length, void* buffer);
int EndCountedBlockRead(CountedBlockCursor* cursor);
