#include "common/store/printer_data.h"

#include "common/system/global_block.h"
#include "tests/support/import_patch.h"
#include "tests/support/spooler_fixture.h"

#include <winspool.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr wchar_t kStem[] = L"Blob";
constexpr wchar_t kSizeName[] = L"BlobSize";

std::vector<uint8_t> Pattern(uint32_t size, uint8_t seed)
{
    std::vector<uint8_t> bytes(size);
    for (uint32_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(seed + i * 7 + i / 251);
    return bytes;
}

bool ValueExists(HANDLE printer, const wchar_t* name)
{
    DWORD type = 0;
    DWORD needed = 0;
    BYTE probe[4];
    const DWORD r = GetPrinterDataW(printer, const_cast<wchar_t*>(name), &type, probe, 0, &needed);
    return r == ERROR_SUCCESS || r == ERROR_MORE_DATA;
}

std::vector<uint8_t> ReadBack(HANDLE printer)
{
    uint8_t* block = nullptr;
    uint32_t size = 0;
    if (!ReadChunkedPrinterData(printer, &block, &size, kStem, kSizeName))
        return {};
    GlobalBlockPtr<uint8_t> owned(block);
    return std::vector<uint8_t>(block, block + size);
}

class PrinterDataTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InstallPrinterDataDeleteStandIn(); }
    TestPrinter printer_{L"Morva Store Printer Data"};
    HANDLE h() const { return printer_.handle(); }
};

TEST_F(PrinterDataTest, BlobSizesAtThePieceBoundaries)
{
    ASSERT_TRUE(printer_.ok());
    struct Case {
        uint32_t size;
        int result;
        uint32_t lastPiece;  // 0: nothing stored
    };
    const Case cases[] = {
        {768, 1, 1},
        {769, 1, 2},
        {76032, 1, 99},
        {76033, 0, 0},
        {0, 0, 0},
    };
    int seed = 0;
    for (const Case& c : cases) {
        ASSERT_TRUE(printer_.ClearPrinterData());
        TestPrinter& fresh = printer_;
        const std::vector<uint8_t> data = Pattern(c.size, static_cast<uint8_t>(++seed));
        EXPECT_EQ(WriteChunkedPrinterData(fresh.handle(), data.data(), c.size, kStem, kSizeName), c.result) << c.size;
        EXPECT_EQ(ValueExists(fresh.handle(), kSizeName), c.result == 1) << c.size;
        EXPECT_EQ(ValueExists(fresh.handle(), L"Blob1"), c.lastPiece > 0) << c.size;
        if (c.lastPiece == 0)
            continue;
        wchar_t last[16];
        swprintf(last, 16, L"Blob%u", c.lastPiece);
        wchar_t beyond[16];
        swprintf(beyond, 16, L"Blob%u", c.lastPiece + 1);
        EXPECT_TRUE(ValueExists(fresh.handle(), last)) << c.size;
        EXPECT_FALSE(ValueExists(fresh.handle(), beyond)) << c.size;
        uint8_t* block = nullptr;
        uint32_t size = 0;
        ASSERT_EQ(ReadChunkedPrinterData(fresh.handle(), &block, &size, kStem, kSizeName), 1);
        GlobalBlockPtr<uint8_t> owned(block);
        EXPECT_EQ(size, c.size);
        EXPECT_EQ(std::vector<uint8_t>(block, block + size), data);
    }
}

TEST_F(PrinterDataTest, PieceOfTheWrongLengthIsRefused)
{
    ASSERT_TRUE(printer_.ok());
    const std::vector<uint8_t> data = Pattern(2000, 3);
    ASSERT_EQ(WriteChunkedPrinterData(h(), data.data(), 2000, kStem, kSizeName), 1);

    struct Case {
        uint32_t length;  // of the replaced second piece; 768 belongs there
        int result;
    };
    const Case cases[] = {{767, 0}, {769, 0}, {768, 1}};
    for (const Case& c : cases) {
        std::vector<uint8_t> piece(c.length, 0xAB);
        ASSERT_EQ(SetPrinterDataW(h(), const_cast<wchar_t*>(L"Blob2"), REG_BINARY, piece.data(), c.length),
                  static_cast<DWORD>(ERROR_SUCCESS));
        uint8_t* block = reinterpret_cast<uint8_t*>(1);
        uint32_t size = 1;
        EXPECT_EQ(ReadChunkedPrinterData(h(), &block, &size, kStem, kSizeName), c.result) << c.length;
        GlobalBlockPtr<uint8_t> owned(block);
        if (c.result == 0) {
            EXPECT_EQ(block, nullptr);
            EXPECT_EQ(size, 0u);
        }
    }
}

TEST_F(PrinterDataTest, SizeValueOutOfRangeIsRefused)
{
    ASSERT_TRUE(printer_.ok());
    const std::vector<uint8_t> data = Pattern(100, 1);
    ASSERT_EQ(WriteChunkedPrinterData(h(), data.data(), 100, kStem, kSizeName), 1);
    for (DWORD bad : {0u, 76033u, 0xFFFFFFFFu, kChunkedSizeRewriting}) {
        ASSERT_EQ(SetPrinterDataW(h(), const_cast<wchar_t*>(kSizeName), REG_DWORD, reinterpret_cast<BYTE*>(&bad), 4),
                  static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_TRUE(ReadBack(h()).empty()) << bad;
    }
}

TEST_F(PrinterDataTest, ShorterRewriteReadsOnlyTheNewBlob)
{
    ASSERT_TRUE(printer_.ok());
    const std::vector<uint8_t> large = Pattern(3000, 1);
    const std::vector<uint8_t> small = Pattern(800, 9);
    ASSERT_EQ(WriteChunkedPrinterData(h(), large.data(), 3000, kStem, kSizeName), 1);
    ASSERT_EQ(WriteChunkedPrinterData(h(), small.data(), 800, kStem, kSizeName), 1);
    EXPECT_EQ(ReadBack(h()), small);
}

// Stand-in for the spooler's SetPrinterDataW: fails the calls numbered from
// g_failFrom to g_failTo (counted from 1), passes the others to the real one.
using SetDataFn = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, LPBYTE, DWORD);
SetDataFn g_realSetData = nullptr;
int g_calls = 0;
int g_failFrom = 0;
int g_failTo = 0;

DWORD WINAPI FailingSetPrinterData(HANDLE printer, LPWSTR name, DWORD type, LPBYTE data, DWORD size)
{
    ++g_calls;
    if (g_calls >= g_failFrom && g_calls <= g_failTo)
        return ERROR_WRITE_FAULT;
    return g_realSetData(printer, name, type, data, size);
}

TEST_F(PrinterDataTest, FailedWriteInTheMiddleOfARewriteKeepsThePreviousBlob)
{
    ASSERT_TRUE(printer_.ok());
    const std::vector<uint8_t> before = Pattern(5000, 1);  // 7 pieces
    const std::vector<uint8_t> after = Pattern(6000, 77);  // 8 pieces
    struct Case {
        int failFrom;
        int failTo;
        bool previousReadable;  // else the value reads as absent
    };
    // Call 1 marks the size value, calls 2-9 write the pieces, call 10 the size.
    const Case cases[] = {
        {1, 1, true},     // the mark itself fails: nothing was touched
        {4, 4, true},     // third piece fails once: the previous blob is put back
        {10, 10, true},   // the final size fails once
        {4, 1000, false}, // every write from the third piece on fails
    };
    for (const Case& c : cases) {
        ASSERT_EQ(WriteChunkedPrinterData(h(), before.data(), 5000, kStem, kSizeName), 1);
        g_calls = 0;
        g_failFrom = c.failFrom;
        g_failTo = c.failTo;
        {
            ScopedImportPatch patch("winspool.drv", "SetPrinterDataW", reinterpret_cast<void*>(&FailingSetPrinterData));
            ASSERT_TRUE(patch.active());
            g_realSetData = reinterpret_cast<SetDataFn>(patch.original());
            EXPECT_EQ(WriteChunkedPrinterData(h(), after.data(), 6000, kStem, kSizeName), 0) << c.failFrom;
        }
        const std::vector<uint8_t> read = ReadBack(h());
        if (c.previousReadable)
            EXPECT_EQ(read, before) << c.failFrom;
        else
            EXPECT_TRUE(read.empty()) << c.failFrom;
    }
}

TEST_F(PrinterDataTest, TablesByIndex)
{
    ASSERT_TRUE(printer_.ok());
    const std::vector<uint8_t> data = Pattern(7964, 5);
    EXPECT_EQ(WritePrinterDataTable(h(), data.data(), 7964, 5), 0);
    EXPECT_EQ(WritePrinterDataTable(h(), data.data(), 7964, -1), 0);
    EXPECT_EQ(WritePrinterDataTable(h(), data.data(), 0, kPrinterSettingsTable), 0);
    EXPECT_EQ(WritePrinterDataTable(nullptr, data.data(), 7964, kPrinterSettingsTable), 0);
    ASSERT_EQ(WritePrinterDataTable(h(), data.data(), 7964, kPrinterSettingsTable), 1);
    EXPECT_TRUE(ValueExists(h(), L"PrinterDataSize"));
    EXPECT_TRUE(ValueExists(h(), L"PrinterData11"));

    uint32_t size = 0;
    ASSERT_EQ(ReadPrinterDataTable(h(), kPrinterSettingsTable, nullptr, &size), 1);
    EXPECT_EQ(size, 7964u);

    std::vector<uint8_t> buffer(8000, 0xEE);
    struct Case {
        uint32_t bufferSize;
        int result;
    };
    for (const Case& c : {Case{7963, 0}, Case{7964, 1}, Case{8000, 1}}) {
        size = c.bufferSize;
        EXPECT_EQ(ReadPrinterDataTable(h(), kPrinterSettingsTable, buffer.data(), &size), c.result) << c.bufferSize;
        if (c.result) {
            EXPECT_TRUE(std::equal(data.begin(), data.end(), buffer.begin()));
        }
    }
    size = 0;
    EXPECT_EQ(ReadPrinterDataTable(h(), kPaperMarginTable, nullptr, &size), 0);

    ASSERT_EQ(DeletePrinterDataTable(h(), kPrinterSettingsTable), 1);
    EXPECT_FALSE(ValueExists(h(), L"PrinterDataSize"));
    EXPECT_FALSE(ValueExists(h(), L"PrinterData1"));
    EXPECT_FALSE(ValueExists(h(), L"PrinterData11"));
    EXPECT_EQ(DeletePrinterDataTable(h(), kPrinterSettingsTable), 0);
}

TEST_F(PrinterDataTest, PrinterInfoBlocks)
{
    ASSERT_TRUE(printer_.ok());
    GlobalBlockPtr<uint8_t> info(GetPrinterInfo(h(), 2));
    ASSERT_TRUE(info);
    EXPECT_STREQ(reinterpret_cast<PRINTER_INFO_2W*>(info.get())->pPrinterName, L"Morva Store Printer Data");
    GlobalBlockPtr<uint8_t> driver(GetPrinterDriverInfo(h(), 1));
    ASSERT_TRUE(driver);
    EXPECT_STREQ(reinterpret_cast<DRIVER_INFO_1W*>(driver.get())->pName, kTestDriverName);
    EXPECT_EQ(GetPrinterInfo(nullptr, 2), nullptr);
}

}  // namespace
