#include "common/job/job_header_block.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(JobHeaderBlock, SizesFollowTheStride)
{
    // The stride is the size bound + 4, so a header of the full bound fits.
    EXPECT_EQ(GetJobHeaderSlotStride(8659), 8663u);
    EXPECT_EQ(GetJobHeaderSlotStride(0), 0u);
    EXPECT_EQ(GetJobHeaderSlotStride(-140), 0u);
    EXPECT_EQ(GetJobHeaderBlockLength(3, 100), (100u + 4) * 3 + 16);
    EXPECT_EQ(GetJobHeaderBlockAllocation(3, 100), (100u + 8) * 3 + 16);
    EXPECT_EQ(GetJobHeaderBlockLength(0, 100), 0u);
    EXPECT_EQ(GetJobHeaderBlockLength(0x10000, 0x10000), 0u);  // beyond 32 bits
    // Products that wrap 64 bits as well.
    EXPECT_EQ(GetJobHeaderBlockLength(0xFFFFFFFE, 0xFFFFFFFE), 0u);
    EXPECT_EQ(GetJobHeaderBlockAllocation(0xFFFFFFFF, 0xFFFFFFF8), 0u);
    EXPECT_EQ(GetJobHeaderBlockLength(1, 0xFFFFFFFF - 16 - 4), 0xFFFFFFFFu);
    EXPECT_EQ(GetJobHeaderBlockLength(1, 0xFFFFFFFF - 16 - 3), 0u);
}

TEST(JobHeaderBlock, SlotsHoldTheirHeadersAndBktpOffsets)
{
    const uint32_t bound = 40;
    const uint32_t stride = GetJobHeaderSlotStride(bound);
    const uint32_t count = 2;
    std::vector<uint8_t> block(GetJobHeaderBlockAllocation(count, stride), 0);
    const uint32_t length = GetJobHeaderBlockLength(count, stride);
    ASSERT_EQ(InitJobHeaderBlock(block.data(), length, count, stride), 1);
    uint32_t head[4];
    std::memcpy(head, block.data(), sizeof head);
    EXPECT_EQ(head[0], count);
    EXPECT_EQ(head[1], stride);
    EXPECT_EQ(head[2], 16u);
    EXPECT_EQ(head[3], 16 + count * stride);

    const std::string full(bound, 'F');       // exactly stride - 4 bytes
    const std::string longer(bound + 1, 'L');
    const std::string second = "second header\n";
    EXPECT_EQ(StoreJobHeaderSlot(block.data(), length, 0, reinterpret_cast<const uint8_t*>(full.data()), bound, 10), 1);
    EXPECT_EQ(StoreJobHeaderSlot(block.data(), length, 1, reinterpret_cast<const uint8_t*>(longer.data()), bound + 1, 0),
              0);
    EXPECT_EQ(StoreJobHeaderSlot(block.data(), length, 1, reinterpret_cast<const uint8_t*>(second.data()),
                                 static_cast<uint32_t>(second.size()), 0),
              1);
    EXPECT_EQ(StoreJobHeaderSlot(block.data(), length, 2, reinterpret_cast<const uint8_t*>(second.data()), 1, 0), 0);
    // An offset must lie in its header.
    EXPECT_EQ(StoreJobHeaderSlot(block.data(), length, 1, reinterpret_cast<const uint8_t*>(second.data()), 3, 3), 0);

    const uint8_t* header = nullptr;
    uint32_t n = 0, offset = 0;
    ASSERT_EQ(ReadJobHeaderSlot(block.data(), length, 0, &header, &n, &offset), 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(header), n), full);
    EXPECT_EQ(offset, 10u);
    ASSERT_EQ(ReadJobHeaderSlot(block.data(), length, 1, &header, &n, &offset), 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(header), n), second);
    EXPECT_EQ(offset, 0u);
    // The slot's length word sits in front of its header; the offsets after the slots.
    uint32_t word = 0;
    std::memcpy(&word, block.data() + 16 + stride, 4);
    EXPECT_EQ(word, second.size());
    std::memcpy(&word, block.data() + 16 + count * stride, 4);
    EXPECT_EQ(word, 10u);
}

TEST(JobHeaderBlock, ReceivedBlocksAreCheckedBeforeUse)
{
    const uint32_t stride = 24, count = 2;
    const uint32_t length = GetJobHeaderBlockLength(count, stride);
    std::vector<uint8_t> good(length, 0);
    ASSERT_EQ(InitJobHeaderBlock(good.data(), length, count, stride), 1);
    const uint8_t* header = nullptr;
    uint32_t n = 0, offset = 0;
    // One byte short of the escape's length.
    EXPECT_EQ(ReadJobHeaderSlot(good.data(), length - 1, 0, &header, &n, &offset), 0);
    EXPECT_EQ(ReadJobHeaderSlot(good.data(), length, 0, &header, &n, &offset), 1);
    EXPECT_EQ(ReadJobHeaderSlot(good.data(), length, 2, &header, &n, &offset), 0);

    struct Case {
        uint32_t at;
        uint32_t value;
    } bad[] = {
        {0, 0x40000000},       // count far beyond the bytes
        {4, 4},                // a stride with no room for a header
        {8, 20},               // first slot elsewhere
        {12, 17},              // offset table elsewhere
        {16, stride - 3},      // slot 0 longer than its room
    };
    for (const Case& c : bad) {
        std::vector<uint8_t> block = good;
        std::memcpy(block.data() + c.at, &c.value, 4);
        EXPECT_EQ(ReadJobHeaderSlot(block.data(), length, 0, &header, &n, &offset), 0) << c.at;
    }
    // An offset past its header's length.
    std::vector<uint8_t> block = good;
    const uint32_t three = 3, five = 5;
    std::memcpy(block.data() + 16, &three, 4);
    std::memcpy(block.data() + 16 + count * stride, &five, 4);
    EXPECT_EQ(ReadJobHeaderSlot(block.data(), length, 0, &header, &n, &offset), 0);
    EXPECT_EQ(ReadJobHeaderSlot(nullptr, length, 0, &header, &n, &offset), 0);
}

// The whole-block check answers as the slot reader does for every slot.
TEST(JobHeaderBlock, WholeBlockCheckAgreesWithTheReader)
{
    const uint32_t stride = 24, count = 2;
    const uint32_t length = GetJobHeaderBlockLength(count, stride);
    std::vector<uint8_t> good(length, 0);
    ASSERT_EQ(InitJobHeaderBlock(good.data(), length, count, stride), 1);
    const uint8_t text[] = "ABCDEF";
    ASSERT_EQ(StoreJobHeaderSlot(good.data(), length, 1, text, 6, 2), 1);
    EXPECT_EQ(IsJobHeaderBlockValid(good.data(), length), 1);
    EXPECT_EQ(IsJobHeaderBlockValid(good.data(), length - 1), 0);
    EXPECT_EQ(IsJobHeaderBlockValid(nullptr, length), 0);
    struct Case {
        uint32_t at;
        uint32_t value;
    } bad[] = {
        {0, 0xFFFFFFFE}, {4, 0xFFFFFFFE}, {8, 0}, {12, 16 + count * stride + 4},
        {16 + stride, stride - 3},             // slot 1 longer than its room
        {16 + count * stride + 4, 6},          // slot 1's offset at its length
    };
    for (const Case& c : bad) {
        std::vector<uint8_t> block = good;
        std::memcpy(block.data() + c.at, &c.value, 4);
        EXPECT_EQ(IsJobHeaderBlockValid(block.data(), length), 0) << c.at;
        const uint8_t* header = nullptr;
        uint32_t n = 0, offset = 0;
        bool anyRead = false;
        for (uint32_t i = 0; i < count; ++i)
            anyRead |= ReadJobHeaderSlot(block.data(), length, i, &header, &n, &offset) == 0;
        EXPECT_TRUE(anyRead) << "the reader refuses a slot of it too, " << c.at;
    }
    const uint32_t wrapping[4] = {0xFFFFFFFE, 0xFFFFFFFE, 0, 0};
    EXPECT_EQ(IsJobHeaderBlockValid(reinterpret_cast<const uint8_t*>(wrapping), sizeof wrapping), 0);
}

}  // namespace
