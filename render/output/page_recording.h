// Recorded logical pages in the temporary channel. A page's bytes are the
// MORVA commands its drawing produced, interleaved with item blocks: page-level
// commands held back so that the replay can send them with the sheet's own
// values. Each block is chained to the next by its distance, so a replay finds
// the blocks without parsing the commands between them.
#pragma once
#include "render/output/output_stream.h"

#include <cstdint>

// The 8-byte head of an item block, followed by `length` bytes of data.
#pragma pack(push, 1)
struct RecordedItemHeader {
    uint16_t kind;
    uint16_t length;
    uint32_t next;  // distance from this block to the next one, 0 = last
};
#pragma pack(pop)
static_assert(sizeof(RecordedItemHeader) == 8);

// All answer 0 (or a count) on success and -1 on failure.

// Creates the temporary channel and the page table (entries of `entrySize`
// bytes, grown by `growthStep`) and the offsets table; the recorded pages are
// numbered from `firstPage`. Fails while recording is already on.
int BeginPageRecording(OutputStream* stream, int32_t firstPage, uint32_t entrySize, uint32_t growthStep);
bool IsPageRecordingOn(const OutputStream* stream);
// Flushes and switches the stream to the temporary channel: what is written
// from now on belongs to the page numbered by the recorded-page count.
int BeginRecordedPage(OutputStream* stream);
// Appends an item block to the open page.
int WriteRecordedPageItem(OutputStream* stream, uint16_t kind, const void* data, uint16_t length);
// Ends the open page's bytes, stores its offsets, counts it and returns the
// stream to the spooler.
int EndRecordedPageData(OutputStream* stream);
// The page's entry in the page table (whole entries; the table grows to take the index).
int StorePageEntry(OutputStream* stream, uint32_t index, const void* entry);
int LoadPageEntry(const OutputStream* stream, uint32_t index, void* entry);

// Replay of recorded page `index` (0 = the first recorded page).
int StartPageReplay(OutputStream* stream, uint32_t index);
// Up to `capacity` bytes of commands before the next item block or the end;
// 0 when an item block or the end is reached.
int ReadRecordedBytes(OutputStream* stream, void* buffer, uint32_t capacity);
// 1 with the next block's kind and data length, 0 at the end of the page,
// -1 when the chain is broken. Call when ReadRecordedBytes answered 0.
int NextRecordedItem(OutputStream* stream, uint16_t* kind, uint16_t* length);
// The current item's data; `length` must be its whole length.
int ReadRecordedItemData(OutputStream* stream, void* buffer, uint16_t length);

// Deletes the temporary channel and forgets the recorded pages.
int EndPageRecording(OutputStream* stream);
