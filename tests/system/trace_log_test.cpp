#include "common/system/trace_log.h"

#include "tests/system/trace_test_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

namespace {

class TraceLog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(driver_.loaded());
        TraceTestDriver::DeleteTraceFile();
        TraceTestDriver::DeleteTraceFile(L"\\DDI_UM_TRACE_LOG.txt");
    }
    void TearDown() override { TraceTestDriver::DeleteTraceFile(); }
    TraceTestDriver driver_{L"morva_trace_test"};
};

DEVMODEW SampleDevmode()
{
    DEVMODEW devmode = {};
    wcscpy(devmode.dmDeviceName, L"Office Printer");
    devmode.dmSpecVersion = 1025;
    devmode.dmDriverVersion = 21072;
    devmode.dmSize = sizeof(DEVMODEW);
    devmode.dmDriverExtra = 5680;
    devmode.dmFields = 0x0200A803;
    devmode.dmOrientation = 1;
    devmode.dmPaperSize = 9;
    devmode.dmCopies = 2;
    devmode.dmDefaultSource = 7;
    devmode.dmPrintQuality = 600;
    devmode.dmColor = 2;
    devmode.dmYResolution = 600;
    devmode.dmCollate = 1;
    wcscpy(devmode.dmFormName, L"A4");
    devmode.dmMediaType = 1;
    return devmode;
}

TEST_F(TraceLog, EntryAndExitLinesWithLog3)
{
    driver_.Configure("[LOG]\r\nLog=3\r\n");
    EXPECT_EQ(GetTraceBits(), 3u);
    EXPECT_EQ(TraceEnter(L"DrvConvertDevMode"), 1);
    EXPECT_EQ(TraceLeave(L"DrvConvertDevMode RetValue = %d", 1), 1);
    EXPECT_EQ(TraceLeave(L"DrvDeviceCapabilities RetValue = 0x%08lX", 0xFFFFFFFFu), 1);
    EXPECT_EQ(TraceWrite(L"pages %d", 4), 1);
    const DEVMODEW devmode = SampleDevmode();
    EXPECT_EQ(TraceDumpPublicPart(nullptr, &devmode), 1);  // no dump bits: nothing
    EXPECT_EQ(TraceTestDriver::ReadTraceFile(),
              "IN <<DrvConvertDevMode\n"
              "OUT>>DrvConvertDevMode RetValue = 1\n"
              "\n"
              "OUT>>DrvDeviceCapabilities RetValue = 0xFFFFFFFF\n"
              "\n"
              "pages 4\n");
}

TEST_F(TraceLog, SettingsRecordDump)
{
    driver_.Configure("[LOG]\r\nLog=0x5\r\n");
    const DEVMODEW devmode = SampleDevmode();
    EXPECT_EQ(TraceEnter(L"DrvConvertDevMode"), 1);  // no entry/exit bit
    EXPECT_EQ(TraceDumpPublicPart(nullptr, &devmode), 1);
    EXPECT_EQ(TraceDumpPublicPart(L"<after merge>", nullptr), 1);
    EXPECT_EQ(TraceTestDriver::ReadTraceFile(),
              "\n<PublicDevmode>\n"
              "dmDeviceName       =Office Printer\n"
              "dmSpecVersion      =1025\n"
              "dmDriverVersion    =21072\n"
              "dmSize             =220\n"
              "dmDriverExtra      =5680\n"
              "dmFields           =200A803\n"
              "dmOrientation      =1\n"
              "dmPaperSize        =9\n"
              "dmPaperLength      =0\n"
              "dmPaperWidth       =0\n"
              "dmScale            =0\n"
              "dmCopies           =2\n"
              "dmDefaultSource    =7\n"
              "dmPrintQuality     =600\n"
              "dmColor            =2\n"
              "dmDuplex           =0\n"
              "dmYResolution      =600\n"
              "dmTTOption         =0\n"
              "dmCollate          =1\n"
              "dmFormName         =A4\n"
              "dmLogPixels        =0\n"
              "dmBitsPerPel       =0\n"
              "dmPelsWidth        =0\n"
              "dmPelsHeight       =0\n"
              "dmDisplayFlags     =0\n"
              "dmDisplayFrequency =0\n"
              "dmICMMethod        =0\n"
              "dmICMIntent        =0\n"
              "dmMediaType        =1\n"
              "dmDitherType       =0\n"
              "dmReserved1        =0\n"
              "dmReserved2        =0\n"
              "dmPanningWidth     =0\n"
              "dmPanningHeight    =0\n"
              "<after merge>\n"
              "lpdevmode = NULL\n");
}

// An application's record may end before the fields of this one: the dump
// stops at its dmSize. The record is put against an inaccessible page, so a
// read past it would fault.
TEST_F(TraceLog, PublicDumpStopsAtTheRecordsSize)
{
    driver_.Configure("[LOG]\r\nLog=0x5\r\n");
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const DWORD page = system.dwPageSize;
    auto* pages = static_cast<uint8_t*>(VirtualAlloc(nullptr, 2 * page, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    ASSERT_NE(pages, nullptr);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(pages + page, page, PAGE_NOACCESS, &old));
    const DEVMODEW sample = SampleDevmode();
    struct Case {
        WORD size;
        const char* lastLine;
        int lines;
    };
    const Case cases[] = {
        {72, "dmDriverExtra      =5680\n", 5},
        {75, "dmDriverExtra      =5680\n", 5},
        {76, "dmFields           =200A803\n", 6},
        {166, "dmFormName         =A4\n", 20},
        {220, "dmPanningHeight    =0\n", 34},
    };
    for (const Case& c : cases) {
        TraceTestDriver::DeleteTraceFile();
        uint8_t* at = pages + page - c.size;
        std::memcpy(at, &sample, c.size);
        std::memcpy(at + offsetof(DEVMODEW, dmSize), &c.size, sizeof c.size);
        EXPECT_EQ(TraceDumpPublicPart(L"<short>", reinterpret_cast<const DEVMODEW*>(at)), 1) << c.size;
        const std::string text = TraceTestDriver::ReadTraceFile();
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), c.lines + 1) << c.size << "\n" << text;
        EXPECT_TRUE(text.ends_with(c.lastLine)) << c.size << "\n" << text;
    }
    VirtualFree(pages, 0, MEM_RELEASE);
}

TEST_F(TraceLog, FieldFlagDump)
{
    driver_.Configure("[LOG]\r\nLog=9\r\n");
    DEVMODEW devmode = SampleDevmode();
    devmode.dmFields = 0x1 | 0x100000 | 0x10000000;
    EXPECT_EQ(TraceDumpFieldFlags(nullptr, &devmode), 1);
    const std::string text = TraceTestDriver::ReadTraceFile();
    EXPECT_EQ(text.substr(0, 49), "\n<dmFields>\ndmOrientation = ON\ndmPaperSize = OFF\n");
    EXPECT_NE(text.find("\ndmPelsheight = ON\n"), std::string::npos);
    EXPECT_NE(text.find("\ndmDisplayFrequen = OFF\n"), std::string::npos);
    EXPECT_NE(text.find("\ndmICMMetHod = OFF\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 21), "dmPanningHeight = ON\n");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2 + 28);
}

TEST_F(TraceLog, LineLengthLimit)
{
    driver_.Configure("[LOG]\r\nLog=3\r\n");
    const std::wstring fits(513, L'a');
    const std::wstring tooLong(514, L'b');
    const std::wstring huge(3000, L'c');  // beyond what the formatter writes
    EXPECT_EQ(TraceWrite(L"%s", fits.c_str()), 1);
    EXPECT_EQ(TraceWrite(L"%s", tooLong.c_str()), 0);
    EXPECT_EQ(TraceWrite(L"%s", huge.c_str()), 0);
    EXPECT_EQ(TraceEnter(std::wstring(508, L'e').c_str()), 1);  // 513 with its prefix
    EXPECT_EQ(TraceEnter(std::wstring(509, L'e').c_str()), 0);
    EXPECT_EQ(TraceLeave(L"%s", std::wstring(509, L'l').c_str()), 0);
    EXPECT_EQ(TraceTestDriver::ReadTraceFile(),
              std::string(513, 'a') + "\nIN <<" + std::string(508, 'e') + "\n");
    // The limit holds when tracing is off too.
    driver_.Configure("[LOG]\r\nLog=0\r\n");
    EXPECT_EQ(TraceLeave(L"%s", std::wstring(509, L'l').c_str()), 0);
    EXPECT_EQ(TraceLeave(L"short"), 1);
}

TEST_F(TraceLog, ConfigurationValues)
{
    struct Case {
        const char* file;
        uint32_t bits;
    };
    const Case cases[] = {
        {"[LOG]\r\nLog=0x1F\r\n", 0x1F},
        {"[LOG]\r\nLog=0X1f\r\n", 0x1F},
        {"[LOG]\r\nLog=31\r\n", 31},
        {"[LOG]\r\nLog=0x80000003\r\n", 0x80000003},
        {"[LOG]\r\nLog=0x000000003\r\n", 0},   // 11 characters: ignored
        {"[LOG]\r\nLog=0x00000003\r\n", 3},    // 10 characters
        {"[LOG]\r\nLog=3a\r\n", 0},
        {"[LOG]\r\nLog= 3\r\n", 3},            // the profile reader trims blanks
        {"[OTHER]\r\nLog=3\r\n", 0},
    };
    for (const Case& c : cases) {
        driver_.Configure(c.file);
        EXPECT_EQ(GetTraceBits(), c.bits) << c.file;
    }
}

TEST_F(TraceLog, ExtraIdentifiersAreListedOnce)
{
    driver_.Configure("[LOG]\r\nLog=0x11\r\nLOGOUT.DDMID=0x101\r\nLOGOUT.DDMID=257\r\nLOGOUT.DDMID=x\r\n"
                      "LOGOUT.DDMID=0x70000\r\nlogout.ddmid=8205\r\n");
    uint16_t ids[8] = {};
    ASSERT_EQ(GetTraceExtraIds(ids, 8), 2);
    EXPECT_EQ(ids[0], 257);
    EXPECT_EQ(ids[1], 8205);
}

TEST_F(TraceLog, TopBitSendsLinesToTheDebugger)
{
    driver_.Configure("[LOG]\r\nLog=0x80000003\r\n");
    EXPECT_EQ(TraceEnter(L"DrvDocumentEvent"), 1);
    EXPECT_EQ(TraceLeave(L"DrvDocumentEvent RetValue = %d", 0), 1);
    EXPECT_EQ(TraceTestDriver::ReadTraceFile(), "<missing>");
}

TEST_F(TraceLog, GraphicsLibraryHasItsOwnFile)
{
    SetLibraryProfile(&kGraphicsLibraryProfile);
    driver_.Configure("[LOG]\r\nLog=3\r\n");
    EXPECT_EQ(TraceEnter(L"DrvEnablePDEV"), 1);
    EXPECT_EQ(TraceTestDriver::ReadTraceFile(L"\\DDI_UM_TRACE_LOG.txt"), "IN <<DrvEnablePDEV\n");
    EXPECT_EQ(TraceTestDriver::ReadTraceFile(), "<missing>");
    TraceTestDriver::DeleteTraceFile(L"\\DDI_UM_TRACE_LOG.txt");
}

TEST_F(TraceLog, TracingKeepsTheLastError)
{
    driver_.Configure("[LOG]\r\nLog=3\r\n");
    SetLastError(1234);
    TraceLeave(L"DrvConvertDevMode RetValue = %d", 0);
    EXPECT_EQ(GetLastError(), 1234u);
}

TEST_F(TraceLog, LinesOfSeveralThreadsStayWhole)
{
    driver_.Configure("[LOG]\r\nLog=3\r\n");
    constexpr int kThreads = 4;
    constexpr int kLines = 50;
    HANDLE threads[kThreads];
    for (HANDLE& thread : threads) {
        thread = CreateThread(
            nullptr, 0,
            [](LPVOID) -> DWORD {
                const std::wstring line(100, L'x');
                for (int i = 0; i < kLines; ++i)
                    TraceWrite(L"%s", line.c_str());
                return 0;
            },
            nullptr, 0, nullptr);
        ASSERT_NE(thread, nullptr);
    }
    WaitForMultipleObjects(kThreads, threads, TRUE, 30000);
    for (HANDLE thread : threads)
        CloseHandle(thread);
    const std::string text = TraceTestDriver::ReadTraceFile();
    std::string expected;
    for (int i = 0; i < kThreads * kLines; ++i)
        expected += std::string(100, 'x') + "\n";
    EXPECT_EQ(text, expected);
}

}  // namespace
