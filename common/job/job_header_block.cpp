#include "common/job/job_header_block.h"

#include <cstring>

namespace {

constexpr uint32_t kHeadSize = sizeof(JobHeaderBlockHead);

uint32_t Load32(const uint8_t* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

void Store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

// head + count * (stride + perSlotExtra), or 0 when it does not fit 32 bits.
// Each step is checked before it is taken: a count and a stride near 2^32
// would carry even a 64-bit product past its top.
uint32_t BlockBytes(uint32_t count, uint32_t stride, uint32_t perSlotExtra)
{
    constexpr uint64_t kMost = 0xFFFFFFFFu;
    if (count == 0 || stride == 0)
        return 0;
    const uint64_t perSlot = uint64_t{stride} + perSlotExtra;
    if (perSlot > (kMost - kHeadSize) / count)
        return 0;
    return static_cast<uint32_t>(kHeadSize + count * perSlot);
}

// The head agrees with itself and with the bytes there.
bool HeadFits(const uint8_t* block, uint32_t size, JobHeaderBlockHead* head)
{
    if (block == nullptr || size < kHeadSize)
        return false;
    std::memcpy(head, block, kHeadSize);
    const uint32_t needed = BlockBytes(head->count, head->stride, 4);
    return needed != 0 && needed <= size && head->stride > kJobHeaderSlotLengthBytes &&
           head->firstSlot == kHeadSize && uint64_t{head->bktpTable} == kHeadSize + uint64_t{head->count} * head->stride;
}

// Slot i of a block whose head fits: its length within the slot's room and
// its BKTP-line offset inside the header.
bool SlotFits(const uint8_t* block, const JobHeaderBlockHead& head, uint32_t index, uint32_t* length,
              uint32_t* bktpOffset)
{
    const uint8_t* slot = block + kHeadSize + size_t{index} * head.stride;
    const uint32_t n = Load32(slot);
    const uint32_t offset = Load32(block + head.bktpTable + size_t{4} * index);
    if (n > head.stride - kJobHeaderSlotLengthBytes || (offset != 0 && offset >= n))
        return false;
    *length = n;
    *bktpOffset = offset;
    return true;
}

}  // namespace

uint32_t GetJobHeaderSlotStride(int headerSizeBound)
{
    if (headerSizeBound < 1 || static_cast<uint32_t>(headerSizeBound) > 0x7FFFFFFFu - kJobHeaderSlotLengthBytes)
        return 0;
    return static_cast<uint32_t>(headerSizeBound) + kJobHeaderSlotLengthBytes;
}

uint32_t GetJobHeaderBlockLength(uint32_t count, uint32_t stride) { return BlockBytes(count, stride, 4); }

uint32_t GetJobHeaderBlockAllocation(uint32_t count, uint32_t stride) { return BlockBytes(count, stride, 8); }

int InitJobHeaderBlock(uint8_t* block, uint32_t size, uint32_t count, uint32_t stride)
{
    const uint32_t needed = BlockBytes(count, stride, 4);
    if (block == nullptr || needed == 0 || size < needed || stride <= kJobHeaderSlotLengthBytes)
        return 0;
    const JobHeaderBlockHead head = {count, stride, kHeadSize, kHeadSize + count * stride};
    std::memcpy(block, &head, kHeadSize);
    return 1;
}

int StoreJobHeaderSlot(uint8_t* block, uint32_t size, uint32_t index, const uint8_t* header, uint32_t length,
                       uint32_t bktpOffset)
{
    JobHeaderBlockHead head;
    if (!HeadFits(block, size, &head) || index >= head.count || (header == nullptr && length != 0) ||
        length > head.stride - kJobHeaderSlotLengthBytes || (bktpOffset != 0 && bktpOffset >= length))
        return 0;
    uint8_t* slot = block + kHeadSize + index * head.stride;
    Store32(slot, length);
    if (length != 0)
        std::memcpy(slot + kJobHeaderSlotLengthBytes, header, length);
    Store32(block + head.bktpTable + 4 * index, bktpOffset);
    return 1;
}

int ReadJobHeaderSlot(const uint8_t* block, uint32_t size, uint32_t index, const uint8_t** header,
                      uint32_t* length, uint32_t* bktpOffset)
{
    JobHeaderBlockHead head;
    if (header == nullptr || length == nullptr || bktpOffset == nullptr || !HeadFits(block, size, &head) ||
        index >= head.count)
        return 0;
    uint32_t n = 0, offset = 0;
    if (!SlotFits(block, head, index, &n, &offset))
        return 0;
    *header = block + kHeadSize + size_t{index} * head.stride + kJobHeaderSlotLengthBytes;
    *length = n;
    *bktpOffset = offset;
    return 1;
}

int IsJobHeaderBlockValid(const uint8_t* block, uint32_t size)
{
    JobHeaderBlockHead head;
    if (!HeadFits(block, size, &head))
        return 0;
    for (uint32_t i = 0; i < head.count; ++i) {
        uint32_t n = 0, offset = 0;
        if (!SlotFits(block, head, i, &n, &offset))
            return 0;
    }
    return 1;
}
