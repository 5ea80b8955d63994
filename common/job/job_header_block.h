// The block in which the interface library hands ready-made job headers to the
// graphics library (the payload of escape 20517): n slots of one stride, each a
// u32 length and the header's bytes, then a table of n u32 offsets of the
// reserved "@BKTP=" line in each header (0 = none). Little-endian.
#pragma once
#include <cstddef>
#include <cstdint>

struct JobHeaderBlockHead {
    uint32_t count;        // headers: 1, or one per fax recipient
    uint32_t stride;       // bytes of one slot
    uint32_t firstSlot;    // always 16
    uint32_t bktpTable;    // 16 + count * stride
};
static_assert(sizeof(JobHeaderBlockHead) == 16);
static_assert(offsetof(JobHeaderBlockHead, count) == 0);
static_assert(offsetof(JobHeaderBlockHead, stride) == 4);
static_assert(offsetof(JobHeaderBlockHead, firstSlot) == 8);
static_assert(offsetof(JobHeaderBlockHead, bktpTable) == 12);

inline constexpr uint32_t kJobHeaderSlotLengthBytes = 4;

// The stride for headers of the size bound: the slot also holds the length
// word, so a header of the full bound fits. 0 for a bound below 1 or too large.
uint32_t GetJobHeaderSlotStride(int headerSizeBound);
// The escape's input length, (stride + 4) * count + 16, and the size a sender
// allocates, (stride + 8) * count + 16; 0 when either overflows 32 bits or an
// argument is 0.
uint32_t GetJobHeaderBlockLength(uint32_t count, uint32_t stride);
uint32_t GetJobHeaderBlockAllocation(uint32_t count, uint32_t stride);

// Writes the head of a zero-filled block of `size` bytes. 1, or 0 when the
// block cannot hold count slots of the stride and the offset table.
int InitJobHeaderBlock(uint8_t* block, uint32_t size, uint32_t count, uint32_t stride);
// Header i with its BKTP-line offset into its slot. 1; 0 for an index past the
// count, a block too small, or a header longer than stride - 4 (it would
// overlap the next slot).
int StoreJobHeaderSlot(uint8_t* block, uint32_t size, uint32_t index, const uint8_t* header, uint32_t length,
                       uint32_t bktpOffset);
// A received block of `size` bytes: header i as a pointer into the block, its
// length and BKTP-line offset. 1; 0 when the head is not consistent with the
// size, the index is past the count, the length exceeds stride - 4 or the
// offset does not lie in the header.
int ReadJobHeaderSlot(const uint8_t* block, uint32_t size, uint32_t index, const uint8_t** header,
                      uint32_t* length, uint32_t* bktpOffset);
// A received block as a whole: 1 when its head fits the `size` bytes given and
// every slot reads as ReadJobHeaderSlot reads it, else 0. The graphics library
// keeps only blocks that pass, so that no header of them fails later.
int IsJobHeaderBlockValid(const uint8_t* block, uint32_t size);
