#include "common/settings/function_ids.h"
#include "common/settings/item_layout.h"
#include "common/settings/value_engine.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "tests/settings/settings_test_records.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

struct Read {
    uint16_t status;
    uint16_t type;
    uint32_t size;
    uint64_t value;
    uint16_t kind;
};

Read Get(TestRecords& r, uint16_t id)
{
    Read out{};
    out.status = dma_GetValue(id, r.s(), r.p(), &out.type, &out.size, &out.value, &out.kind);
    return out;
}

uint16_t Set(TestRecords& r, uint16_t id, uint16_t type, uint32_t size, uint64_t value)
{
    return dma_SetValue(id, r.s(), r.p(), type, size, &value);
}

uint16_t SetText(TestRecords& r, uint16_t id, const std::u16string& text, uint32_t size)
{
    const char16_t* pointer = text.c_str();
    uint64_t holder = 0;
    std::memcpy(&holder, &pointer, sizeof pointer);
    return dma_SetValue(id, r.s(), r.p(), kTypeString, size, &holder);
}

ItemLayout LayoutOf(TestRecords& r, uint16_t id)
{
    ItemLayout layout{};
    EXPECT_EQ(FindItemLayout(id, r.s(), r.p(), &layout), kSettingOk) << id;
    return layout;
}

TEST(ValueEngine, IdentifiersOutsideTheTables)
{
    TestRecords r;
    EXPECT_EQ(Get(r, 0x1000).status, kSettingNoRange);
    EXPECT_EQ(Get(r, 337).status, kSettingUnknown);
    EXPECT_EQ(Set(r, 0x1000, kTypeU16, 2, 1), kSettingNoRange);
    EXPECT_EQ(Set(r, 337, kTypeU16, 2, 1), kSettingUnknown);
    uint64_t holder = 0;
    uint16_t type = 0, kind = 0;
    uint32_t size = 0;
    EXPECT_EQ(dma_GetValue(5121, r.s(), nullptr, &type, &size, &holder, &kind), kSettingUnknown);
    EXPECT_EQ(dma_GetValue(7, nullptr, r.p(), &type, &size, &holder, &kind), kSettingUnknown);
    EXPECT_EQ(dma_SetValue(7, r.s(), r.p(), kTypeS16, 2, nullptr), kSettingUnknown);
}

TEST(ValueEngine, GetWithoutStorageKindPointerIsRefused)
{
    TestRecords r;
    uint64_t holder = 0;
    uint16_t type = 0, kind = 0;
    uint32_t size = 0;
    EXPECT_EQ(dma_GetValue(7, r.s(), r.p(), &type, &size, &holder, nullptr), kSettingUnknown);
    EXPECT_EQ(dma_GetValue(7, r.s(), r.p(), nullptr, &size, &holder, &kind), kSettingUnknown);
    EXPECT_EQ(dma_GetValue(7, r.s(), r.p(), &type, nullptr, &holder, &kind), kSettingUnknown);
    EXPECT_EQ(dma_GetValue(7, r.s(), r.p(), &type, &size, nullptr, &kind), kSettingUnknown);
}

TEST(ValueEngine, ByteReportedAsU16)
{
    TestRecords r(0xEE);
    const ItemLayout layout = LayoutOf(r, 264);
    const uint8_t before = r.settings[layout.offset + 1];
    EXPECT_EQ(Set(r, 264, kTypeU16, 2, 0x1234), kSettingOk);
    EXPECT_EQ(r.settings[layout.offset], 0x34);
    EXPECT_EQ(r.settings[layout.offset + 1], before);
    const Read read = Get(r, 264);
    EXPECT_EQ(read.status, kSettingOk);
    EXPECT_EQ(read.type, kTypeU16);
    EXPECT_EQ(read.size, 2u);
    EXPECT_EQ(read.value & 0xFFFF, 0x34u);
    EXPECT_EQ(Set(r, 264, kTypeByte, 1, 7), kSettingOk);
    EXPECT_EQ(Get(r, 264).value & 0xFFFF, 7u);
    EXPECT_EQ(Set(r, 264, kTypeU32, 4, 7), kSettingBadType);
    EXPECT_EQ(Set(r, 264, kTypeU16, 4, 7), kSettingBadSize);
    EXPECT_EQ(Set(r, 264, kTypeByte, 2, 7), kSettingBadSize);
}

TEST(ValueEngine, PackedBytesChangeOnlyTheirOwnBits)
{
    TestRecords r;
    const size_t word = LayoutOf(r, 392).offset;
    std::memcpy(&r.settings[word], "\x11\x22\x33\x44", 4);
    EXPECT_EQ(Set(r, 392, kTypeU32, 4, 0xAABBCCDD), kSettingOk);
    EXPECT_EQ(LoadU32At(r.settings.data(), word), 0x443322DDu);
    const Read second = Get(r, 393);
    EXPECT_EQ(second.status, kSettingOk);
    EXPECT_EQ(second.value, 0x2200u);
    EXPECT_EQ(Set(r, 394, kTypeU32, 4, 0x00990000), kSettingOk);
    EXPECT_EQ(LoadU32At(r.settings.data(), word), 0x449922DDu);
    EXPECT_EQ(Get(r, 394).value, 0x990000u);
}

TEST(ValueEngine, ResolutionWord)
{
    TestRecords r;
    EXPECT_EQ(Set(r, kFidResolution, kTypeU32, 4, (200u << 16) + 600), kSettingOk);
    EXPECT_EQ(LoadU16At(r.settings.data(), 90), 200);
    EXPECT_EQ(LoadU16At(r.settings.data(), 96), 600);
    EXPECT_EQ(Get(r, kFidResolution).value, (200u << 16) + 600);
    EXPECT_EQ(Get(r, kFidPrintQuality).value & 0xFFFF, 200u);
}

TEST(ValueEngine, FlagsTakeOnlyTheFirstByte)
{
    TestRecords r;
    EXPECT_EQ(Set(r, 1290, kTypeFlag, 4, 1), kSettingOk);
    EXPECT_EQ(Get(r, 1290).value, 1u);
    EXPECT_EQ(LoadU32At(r.settings.data(), 288), 1u << 9);
    EXPECT_EQ(Get(r, 260).value, 1u << 9);
    EXPECT_EQ(Set(r, 1290, kTypeFlag, 4, 0x100), kSettingOk);
    EXPECT_EQ(Get(r, 1290).value, 0u);
    // A flag is one word: another stated size is refused and changes nothing.
    for (uint32_t size : {0u, 1u, 3u, 5u, 99u, 1000u}) {
        EXPECT_EQ(Set(r, 1290, kTypeFlag, size, 1), kSettingBadSize) << size;
        EXPECT_EQ(Get(r, 1290).value, 0u) << size;
    }

    // 1284 reads and writes inverted.
    EXPECT_EQ(Set(r, 1284, kTypeU32, 4, 1), kSettingOk);
    EXPECT_EQ(LoadU32At(r.settings.data(), 288) & (1u << 3), 0u);
    EXPECT_EQ(Get(r, 1284).value, 1u);
    EXPECT_EQ(Get(r, 1284).type, kTypeU32);
    EXPECT_EQ(Set(r, 1284, kTypeU32, 4, 0), kSettingOk);
    EXPECT_NE(LoadU32At(r.settings.data(), 288) & (1u << 3), 0u);
    EXPECT_EQ(Get(r, 1284).value, 0u);

    // Flags reported as a byte: given as a byte or as a flag word.
    EXPECT_EQ(Set(r, 1296, kTypeByte, 1, 1), kSettingOk);
    EXPECT_EQ(Get(r, 1296).type, kTypeByte);
    EXPECT_EQ(Get(r, 1296).size, 1u);
    EXPECT_EQ(Get(r, 1296).value, 1u);
    EXPECT_EQ(Set(r, 1296, kTypeFlag, 1, 0), kSettingBadSize);

    // Printer flag 4161 is the bit of 4111.
    EXPECT_EQ(Set(r, 4161, kTypeFlag, 4, 1), kSettingOk);
    EXPECT_EQ(Get(r, 4111).value, 1u);
}

// Flags reported as a byte or a word fill no more of the caller's holder than
// the reported size.
TEST(ValueEngine, ReportedFlagsKeepToTheReportedSize)
{
    for (uint16_t id : {1296, 1297, 1298, 1299, 1300, 1301, 1302, 1322, 1332}) {
        TestRecords r;
        const Read typed = Get(r, id);
        ASSERT_EQ(typed.status, kSettingOk) << id;
        ASSERT_TRUE(typed.size == 1 || typed.size == 2) << id;
        EXPECT_EQ(Set(r, id, typed.type, typed.size, 1), kSettingOk) << id;
        uint8_t holder[kValueHolderSize];
        std::memset(holder, 0xA5, sizeof holder);
        uint16_t type = 0, kind = 0;
        uint32_t size = 0;
        ASSERT_EQ(dma_GetValue(id, r.s(), r.p(), &type, &size, holder, &kind), kSettingOk) << id;
        EXPECT_EQ(holder[0], 1) << id;
        if (size == 2) {
            EXPECT_EQ(holder[1], 0) << id;
        }
        for (uint32_t i = size; i < kValueHolderSize; ++i)
            EXPECT_EQ(holder[i], 0xA5) << id << " byte " << i;
        for (uint32_t wrong : {0u, 3u, 4u, 1000u}) {
            if (wrong != typed.size) {
                EXPECT_EQ(Set(r, id, typed.type, wrong, 0), kSettingBadSize) << id << " " << wrong;
            }
        }
        EXPECT_EQ(Get(r, id).value, 1u) << id;
    }
}

TEST(ValueEngine, FontAngleKeepsEscapementAndOrientationTogether)
{
    TestRecords r;
    EXPECT_EQ(Set(r, 311, kTypeFontS32, 4, 900), kSettingOk);
    EXPECT_EQ(LoadU32At(r.settings.data(), 596), 900u);
    EXPECT_EQ(LoadU32At(r.settings.data(), 600), 900u);
    EXPECT_EQ(Get(r, 311).status, kSettingOk);
    EXPECT_EQ(Get(r, 310).value, 900u);
    EXPECT_EQ(Set(r, 310, kTypeFontS32, 4, 450), kSettingOk);
    EXPECT_EQ(Get(r, 311).status, kSettingUnknown);

    EXPECT_EQ(Set(r, 364, kTypeFontS32, 4, 1800), kSettingOk);
    EXPECT_EQ(LoadU32At(r.settings.data(), 828), 1800u);
}

TEST(ValueEngine, LogFontRecords)
{
    TestRecords r(0x5A);
    std::vector<uint8_t> font(92, 0x11);
    const uint8_t* pointer = font.data();
    uint64_t holder = 0;
    std::memcpy(&holder, &pointer, sizeof pointer);
    struct Case {
        uint32_t size;
        uint16_t status;
    };
    // The whole record is copied, so a smaller buffer is refused before any read.
    const Case cases[] = {{91, kSettingBadSize}, {0, kSettingBadSize}, {93, kSettingTooLong}, {92, kSettingOk}};
    for (const Case& c : cases) {
        EXPECT_EQ(dma_SetValue(304, r.s(), r.p(), kTypeLogFont, c.size, &holder), c.status) << c.size;
        if (c.status != kSettingOk) {
            EXPECT_EQ(r.settings[588], 0x5A) << c.size;
        }
    }
    EXPECT_EQ(r.settings[588], 0x11);
    EXPECT_EQ(r.settings[679], 0x11);
    EXPECT_EQ(r.settings[680], 0x5A);
    EXPECT_EQ(r.settings[587], 0x5A);
    const Read read = Get(r, 304);
    EXPECT_EQ(read.type, kTypeLogFont);
    EXPECT_EQ(read.size, 92u);
    EXPECT_EQ(read.value, 588u);
    holder = 0;
    EXPECT_EQ(dma_SetValue(304, r.s(), r.p(), kTypeLogFont, 92, &holder), kSettingUnknown);
}

// Every string row: room/2 - 1 characters fit, one more is refused, and the
// bytes after the room never change.
TEST(ValueEngine, EveryStringRowKeepsToItsRoom)
{
    int rows = 0;
    for (const ItemLayoutRange* range = kItemLayoutRanges; range->rows != nullptr; ++range)
        for (const ItemLayoutRow* row = range->rows; row->id != 0; ++row) {
            if (row->storedType != kTypeString)
                continue;
            ++rows;
            TestRecords r(0x77);
            const ItemLayout layout = LayoutOf(r, row->id);
            const uint32_t room = row->room;
            const std::u16string fits(room / 2 - 1, u'x');
            const std::u16string tooLong(room / 2, u'y');
            const std::u16string muchTooLong(room, u'z');
            EXPECT_EQ(SetText(r, row->id, tooLong, 1000), kSettingTooLong) << row->id;
            EXPECT_EQ(SetText(r, row->id, muchTooLong, 1000), kSettingTooLong) << row->id;
            EXPECT_EQ(SetText(r, row->id, fits, room + 1), kSettingTooLong) << row->id;
            EXPECT_EQ(SetText(r, row->id, fits, 2 * fits.size() + 1), kSettingTooLong) << row->id;
            EXPECT_EQ(layout.address[0], 0x77) << row->id;
            const TestRecords before = r;
            EXPECT_EQ(SetText(r, row->id, fits, 2 * fits.size() + 2), kSettingOk) << row->id;
            const bool inPrinter = layout.storageKind == kStoragePrinter;
            const uint8_t* base = inPrinter ? r.printer.data() : r.settings.data();
            const size_t start = layout.address - base;
            const size_t written = 2 * fits.size() + 2;
            for (size_t i = 0; i < r.settings.size(); ++i)
                if (inPrinter || i < start || i >= start + written) {
                    ASSERT_EQ(r.settings[i], before.settings[i]) << row->id << " byte " << i;
                }
            for (size_t i = 0; i < r.printer.size(); ++i)
                if (!inPrinter || i < start || i >= start + written) {
                    ASSERT_EQ(r.printer[i], before.printer[i]) << row->id << " byte " << i;
                }
            const Read read = Get(r, row->id);
            EXPECT_EQ(read.status, kSettingOk);
            EXPECT_EQ(read.size, 2 * fits.size() + 2) << row->id;
            EXPECT_EQ(read.value, layout.offset) << row->id;
        }
    EXPECT_GT(rows, 100);
}

// A buffer whose last byte is the last readable byte: any read past the size
// the caller gave faults.
class GuardedBuffer {
public:
    explicit GuardedBuffer(size_t size)
    {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        page_ = info.dwPageSize;
        base_ = static_cast<uint8_t*>(VirtualAlloc(nullptr, 2 * page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        VirtualProtect(base_ + page_, page_, PAGE_NOACCESS, &old);
        data_ = base_ + page_ - size;
    }
    ~GuardedBuffer() { VirtualFree(base_, 0, MEM_RELEASE); }
    uint8_t* data() { return data_; }

private:
    size_t page_ = 0;
    uint8_t* base_ = nullptr;
    uint8_t* data_ = nullptr;
};

TEST(ValueEngine, SetReadsNoMoreThanTheGivenSize)
{
    TestRecords r(0x42);
    GuardedBuffer text(6);
    std::memcpy(text.data(), u"abc", 6);  // no terminator inside the 6 bytes
    const uint8_t* pointer = text.data();
    uint64_t holder = 0;
    std::memcpy(&holder, &pointer, sizeof pointer);
    EXPECT_EQ(dma_SetValue(259, r.s(), r.p(), kTypeString, 6, &holder), kSettingTooLong);
    EXPECT_EQ(r.settings[224], 0x42);

    GuardedBuffer font(91);
    std::memset(font.data(), 1, 91);
    pointer = font.data();
    std::memcpy(&holder, &pointer, sizeof pointer);
    EXPECT_EQ(dma_SetValue(357, r.s(), r.p(), kTypeLogFont, 91, &holder), kSettingBadSize);
    EXPECT_EQ(r.settings[816], 0x42);
}

TEST(ValueEngine, StringReadComesBackAsPointerThroughGetFunctionIdValue)
{
    TestRecords r;
    ASSERT_EQ(SetText(r, 1795, u"abc", 8), kSettingOk);
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    ASSERT_EQ(GetFunctionIdValue(1795, r.s(), nullptr, &type, &size, &holder), kSettingOk);
    EXPECT_EQ(type, kTypeString);
    EXPECT_EQ(size, 8u);
    const char16_t* text = nullptr;
    std::memcpy(&text, &holder, sizeof text);
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(text),
              r.settings.data() + kPrivatePartOffset + LayoutOf(r, 1795).offset);
    EXPECT_EQ(std::u16string(text), u"abc");
    ASSERT_EQ(GetFunctionIdValue(5121, r.s(), r.p(), &type, &size, &holder), kSettingOk);
    std::memcpy(&text, &holder, sizeof text);
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(text), r.printer.data() + LayoutOf(r, 5121).offset);
}

TEST(ValueEngine, AlwaysOnIdentifierNeedsNoRecords)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    EXPECT_EQ(GetFunctionIdValue(kFidAlwaysOn, nullptr, nullptr, &type, &size, &holder), kSettingOk);
    EXPECT_EQ(type, kTypeFlag);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(holder, 1u);
    EXPECT_EQ(GetFunctionIdValue(kFidAlwaysOn, nullptr, nullptr, &type, &size, nullptr), kSettingUnknown);
}

// A set writes its own bytes and nothing else (mirrors and follow-ons aside).
TEST(ValueEngine, NumericSetsWriteOnlyTheirOwnBytes)
{
    int checked = 0;
    for (const ItemLayoutRange* range = kItemLayoutRanges; range->rows != nullptr; ++range)
        for (const ItemLayoutRow* row = range->rows; row->id != 0; ++row) {
            const uint16_t id = row->id;
            if (row->storedType == kTypeString || row->storedType == kTypeLogFont ||
                row->storedType == kTypeFlag || id == kFidResolution || id == 311 || id == 364 ||
                id == 267 || id == 320 || id == 341 || (id >= 392 && id <= 403))
                continue;
            TestRecords before(0x3C);
            TestRecords after(0x3C);
            const uint16_t type = row->reportedType ? row->reportedType : row->storedType;
            uint32_t size = 0;
            ASSERT_TRUE(GetTypeHolderSize(id, type, &size));
            ASSERT_EQ(Set(after, id, type, size, 0x0102030405060708ull), kSettingOk) << id;
            const ItemLayout layout = LayoutOf(after, id);
            uint8_t* base = layout.storageKind == kStoragePrinter ? after.printer.data()
                                                                  : after.settings.data();
            const size_t start = layout.address - base;
            for (size_t i = 0; i < after.settings.size(); ++i)
                if (layout.storageKind == kStoragePrinter || i < start || i >= start + layout.holderSize) {
                    ASSERT_EQ(after.settings[i], before.settings[i]) << id << " byte " << i;
                }
            for (size_t i = 0; i < after.printer.size(); ++i)
                if (layout.storageKind != kStoragePrinter || i < start || i >= start + layout.holderSize) {
                    ASSERT_EQ(after.printer[i], before.printer[i]) << id << " byte " << i;
                }
            EXPECT_EQ(std::memcmp(layout.address, "\x08\x07\x06\x05", layout.holderSize), 0) << id;
            ++checked;
        }
    EXPECT_GT(checked, 500);
}

TEST(ValueEngine, EdgeValueWritesItsEdgeCode)
{
    struct Case {
        uint16_t value;
        uint16_t status;
        uint16_t code;
    };
    const Case cases[] = {{0, 0, 0}, {1, 0, 3}, {2, 0, 4}, {3, 0, 3}, {4, 0, 2},
                          {5, 0, 1}, {6, 0, 1}, {7, 0, 4}, {8, 0, 2}, {9, kSettingUnknown, 0xEE}};
    for (const Case& c : cases) {
        TestRecords r(0xEE);
        EXPECT_EQ(Set(r, kFidEdgeValue, kTypeU16, 2, c.value), c.status) << c.value;
        // A refused write leaves the value as it was.
        EXPECT_EQ(Get(r, kFidEdgeValue).value, c.status == kSettingOk ? c.value : 0xEEu) << c.value;  // a stored byte
        EXPECT_EQ(Get(r, kFidEdgeCode).value, c.code) << c.value;
    }
}

TEST(ValueEngine, StapleAndPunchValuesWriteTheirPositionCodes)
{
    struct Case {
        uint16_t id;
        int16_t orientation;
        uint16_t feed;
        uint16_t value;
        uint16_t status;
        uint16_t codeId;
        uint16_t code;
    };
    const Case cases[] = {
        {320, 1, 16, 3, 0, 326, 0x0101},
        {320, 1, 32, 3, 0, 326, 0x0303},
        {320, 2, 2, 12, 0, 326, 0x0B0B},
        {320, 2, 1, 12, 0, 326, 0x0A0A},
        {320, 3, 1, 9, 0, 326, 0x0606},    // needs no orientation
        {320, 3, 1, 1, kSettingUnknown, 326, 0xBEEF},
        {320, 1, 3, 2, kSettingUnknown, 326, 0xBEEF},
        {341, 1, 4, 2, 0, 344, 0x0101},
        {341, 1, 8, 2, 0, 344, 0x0303},
        {341, 0, 0, 5, 0, 344, 0x0606},
        {341, 1, 4, 6, kSettingUnknown, 344, 0xBEEF},
    };
    for (const Case& c : cases) {
        TestRecords r;
        ASSERT_EQ(Set(r, kFidOrientation, kTypeS16, 2, static_cast<uint16_t>(c.orientation)), kSettingOk);
        ASSERT_EQ(Set(r, kFidPagesPerSheet, kTypeU16, 2, c.feed), kSettingOk);
        ASSERT_EQ(Set(r, c.codeId, kTypeU16, 2, 0xBEEF), kSettingOk);
        ASSERT_EQ(Set(r, c.id, kTypeU16, 2, 0xCAFE), kSettingUnknown);  // no code for it: not written
        EXPECT_EQ(Get(r, c.id).value, 0u);
        EXPECT_EQ(Set(r, c.id, kTypeU16, 2, c.value), c.status) << c.id << " " << c.value;
        EXPECT_EQ(Get(r, c.id).value, c.status == kSettingOk ? c.value : 0u) << c.id << " " << c.value;
        EXPECT_EQ(Get(r, c.codeId).value, c.code) << c.id << " " << c.value;
    }
}

TEST(ValueOperations, SetFunctionIdValueArgsAnswersTheEngineStatus)
{
    TestRecords r;
    EXPECT_EQ(SetFunctionIdValueArgs(r.s(), r.p(), 7, kTypeS16, 2, 2), 0);
    EXPECT_EQ(Get(r, 7).value, 2u);
    EXPECT_EQ(SetFunctionIdValueArgs(r.s(), r.p(), 0x1000, kTypeS16, 2, 2), kSettingNoRange);
    EXPECT_EQ(SetFunctionIdValueArgs(r.s(), r.p(), 264, kTypeU32, 4, 2), kSettingBadType);
    EXPECT_EQ(SetFunctionIdValueArgs(r.s(), r.p(), 7, kTypeS16, 4, 2), kSettingBadSize);
    EXPECT_EQ(SetFunctionIdValueArgs(nullptr, r.p(), 7, kTypeS16, 2, 2), -1);
    EXPECT_EQ(SetFunctionIdValueArgs(r.s(), r.p(), 9, kTypeS16, 2, -5), 0);
    EXPECT_EQ(static_cast<int16_t>(Get(r, 9).value), -5);
    EXPECT_EQ(SetFunctionIdValueArgs(r.s(), r.p(), 19, kTypeString, 10, u"Form"), 0);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(
                  GetFunctionIdValuePointer(r.s(), r.p(), 19, kTypeString))),
              u"Form");
}

TEST(ValueOperations, GetFunctionIdValuePointerChecksTheSize)
{
    TestRecords r(0xFF);
    ASSERT_EQ(Set(r, 7, kTypeS16, 2, 2), kSettingOk);
    ASSERT_EQ(Set(r, 6, kTypeU32, 4, 0x80000001u), kSettingOk);
    struct Case {
        uint16_t id;
        uint16_t typeCode;
        uint64_t word;
    };
    const Case cases[] = {
        {7, kTypeS16, 2}, {7, kTypeU16, 2}, {7, kTypeU32, 0}, {7, kTypeByte, 0},
        {6, kTypeU32, 0x80000001u}, {6, kTypeS32, 0x80000001u}, {6, kTypeS16, 0},
        {7, 7, 0}, {7, 9, 0}, {0x1000, kTypeU16, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetFunctionIdValuePointer(r.s(), r.p(), c.id, c.typeCode), c.word) << c.id << " " << c.typeCode;
    EXPECT_EQ(GetFunctionIdValuePointer(nullptr, r.p(), 7, kTypeS16), 0u);
}

}  // namespace
