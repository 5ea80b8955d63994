// The device record's life through the DDI entries of the installed library:
// the driver table, the device capabilities of a settings record built by the
// common library, the refusals, and the binding of the settings-access library.
#include "tests/frame/frame_fixture.h"

#include "common/settings/function_ids.h"
#include "render/device/pdev_record.h"

#include <cstring>

#include <gtest/gtest.h>

namespace {

using frame_test::FrameDriver;
using frame_test::SharedFrameDriver;
using frame_test::SurfaceOf;
using frame_test::A4At600;

FrameDriver& Driver()
{
    FrameDriver& driver = SharedFrameDriver();
    EXPECT_TRUE(driver.ok()) << std::string(driver.error().begin(), driver.error().end());
    return driver;
}

ULONG Escape(const FrameDriver& driver, DHPDEV pdev, ULONG code, const void* in, ULONG inSize, void* out,
             ULONG outSize)
{
    SURFOBJ surface = SurfaceOf(pdev);
    return driver.entries().escape(&surface, code, inSize, const_cast<void*>(in), outSize, out);
}

TEST(FrameDriver, EnableDriverHandsOutTheTableInOrder)
{
    FrameDriver& driver = Driver();
    ASSERT_TRUE(driver.ok());
    DRVENABLEDATA data{};
    ASSERT_TRUE(driver.entries().enableDriver(0x20000, sizeof(data), &data));
    EXPECT_EQ(data.iDriverVersion, 0x20000u);
    ASSERT_EQ(data.c, 25u);
    const ULONG order[] = {0, 7, 1, 2, 3, 4, 18, 20, 19, 23, 26, 27, 28, 53, 32, 14, 15, 16, 12, 33, 35, 24, 34, 37, 69};
    for (ULONG i = 0; i < data.c; ++i) {
        EXPECT_EQ(data.pdrvfn[i].iFunc, order[i]) << "entry " << i;
        EXPECT_NE(data.pdrvfn[i].pfn, nullptr);
    }
}

TEST(FrameDriver, EnableDriverRefusesOldEnginesAndShortRecords)
{
    FrameDriver& driver = Driver();
    ASSERT_TRUE(driver.ok());
    struct Case {
        ULONG version, size;
        BOOL result;
    } cases[] = {{0x20000, 16, TRUE}, {0x1FFFF, 16, FALSE}, {0x20000, 15, FALSE}, {0x30000, 24, TRUE}};
    for (const Case& c : cases) {
        DRVENABLEDATA data{};
        SetLastError(0);
        EXPECT_EQ(driver.entries().enableDriver(c.version, c.size, &data), c.result) << std::hex << c.version;
        if (!c.result) {
            EXPECT_EQ(GetLastError(), DWORD(ERROR_BAD_DRIVER_LEVEL));
        }
    }
}

TEST(FrameDriver, QueryDriverInfoAnswersUserModeOnly)
{
    FrameDriver& driver = Driver();
    ASSERT_TRUE(driver.ok());
    struct Case {
        DWORD mode, size;
        BOOL result;
        DWORD needed, error;
    } cases[] = {{1, 4, TRUE, 4, 0}, {1, 8, TRUE, 4, 0}, {1, 3, FALSE, 4, ERROR_INSUFFICIENT_BUFFER},
                 {2, 4, FALSE, 0, ERROR_INVALID_PARAMETER}};
    for (const Case& c : cases) {
        DWORD buffer[2] = {}, needed = 0;
        SetLastError(0);
        EXPECT_EQ(driver.entries().queryDriverInfo(c.mode, buffer, c.size, &needed), c.result) << c.mode << "/" << c.size;
        EXPECT_EQ(needed, c.needed);
        EXPECT_EQ(GetLastError(), c.error);
        if (c.result) {
            EXPECT_EQ(buffer[0], 1u);
        }
    }
}

struct CapsCase {
    const char* name;
    std::vector<frame_test::SettingPair> more;
    ULONG horzSize, vertSize, logPixels;
};

TEST(FrameDriver, GdiInfoOfA4WithMarginsAt600Dpi)
{
    FrameDriver& driver = Driver();
    ASSERT_TRUE(driver.ok());
    const CapsCase cases[] = {
        {"full scale", {}, 202, 289, 600},
        {"DM_SCALE 50",
         {{kFidFields, DM_PAPERSIZE | DM_ORIENTATION | DM_PRINTQUALITY | DM_COLOR | DM_COPIES | DM_SCALE},
          {kFidScale, 50}},
         403, 577, 300},
    };
    for (const CapsCase& c : cases) {
        SCOPED_TRACE(c.name);
        GDIINFO caps{};
        DEVINFO info{};
        DHPDEV pdev = driver.Enable(driver.ExtendedDevmode(A4At600(c.more)), &caps, &info);
        ASSERT_NE(pdev, nullptr);
        EXPECT_EQ(caps.ulVersion, 0x400u);
        EXPECT_EQ(caps.ulTechnology, ULONG(DT_RASPRINTER));
        EXPECT_EQ(caps.ulHorzRes, 4762u);
        EXPECT_EQ(caps.ulVertRes, 6817u);
        EXPECT_EQ(caps.ptlPhysOffset.x, 99);
        EXPECT_EQ(caps.ptlPhysOffset.y, 99);
        EXPECT_EQ(caps.szlPhysSize.cx, 4961);
        EXPECT_EQ(caps.szlPhysSize.cy, 7016);
        EXPECT_EQ(caps.ulAspectX, 600u);
        EXPECT_EQ(caps.ulAspectXY, 848u);
        EXPECT_EQ(caps.denStyleStep, 24);
        EXPECT_EQ(caps.ulHorzSize, c.horzSize);
        EXPECT_EQ(caps.ulVertSize, c.vertSize);
        EXPECT_EQ(caps.ulLogPixelsX, c.logPixels);
        EXPECT_EQ(caps.ulLogPixelsY, c.logPixels);
        EXPECT_EQ(caps.ulHTPatternSize, 7u);
        EXPECT_EQ(caps.flTextCaps, 0x19F7u);
        EXPECT_EQ(info.iDitherFormat, ULONG(BMF_24BPP));
        EXPECT_EQ(info.flGraphicsCaps & 0x11Fu, 0x11Fu);
        EXPECT_NE(info.hpalDefault, nullptr);
        driver.entries().disablePdev(pdev);
    }
}

TEST(FrameDriver, LandscapeTurnsThePage)
{
    FrameDriver& driver = Driver();
    ASSERT_TRUE(driver.ok());
    GDIINFO caps{};
    DHPDEV pdev = driver.Enable(driver.ExtendedDevmode(A4At600({{kFidOrientation, DMORIENT_LANDSCAPE}})), &caps);
    ASSERT_NE(pdev, nullptr);
    EXPECT_EQ(caps.ulHorzRes, 6817u);
    EXPECT_EQ(caps.ulVertRes, 4762u);
    EXPECT_EQ(caps.szlPhysSize.cx, 7016);
    EXPECT_EQ(caps.szlPhysSize.cy, 4961);
    driver.entries().disablePdev(pdev);
}

TEST(FrameDriver, EnablePdevRefusesAllButTheExtendedForm)
{
    FrameDriver& driver = Driver();
    ASSERT_TRUE(driver.ok());
    const std::vector<uint8_t> good = driver.ExtendedDevmode(A4At600());
    ASSERT_EQ(good.size(), 5924u);

    std::vector<uint8_t> withoutTrailer(good.begin(), good.begin() + 5900);
    const uint16_t shorter = 5900 - 220;
    std::memcpy(withoutTrailer.data() + 70, &shorter, 2);
    std::vector<uint8_t> wrongMark = good;
    wrongMark[5900] = 23;
    std::vector<uint8_t> ordinary(good.begin(), good.begin() + 1604);
    const uint16_t ordinaryExtra = 1384;
    std::memcpy(ordinary.data() + 70, &ordinaryExtra, 2);

    for (const auto& devmode : {withoutTrailer, wrongMark, ordinary, std::vector<uint8_t>{}}) {
        EXPECT_EQ(driver.Enable(devmode), nullptr) << devmode.size();
        EXPECT_FALSE(frame_test::SettingsAccessLoaded()) << "a refused record keeps no binding";
    }
    DHPDEV pdev = driver.Enable(good);
    ASSERT_NE(pdev, nullptr);
    EXPECT_TRUE(frame_test::SettingsAccessLoaded());
    driver.entries().disablePdev(pdev);
    EXPECT_FALSE(frame_test::SettingsAccessLoaded());
}

TEST(FrameDriver, OverwrittenEndMagicFailsEveryEntry)
{
    FrameDriver& driver = Driver();
    ASSERT_TRUE(driver.ok());
    DHPDEV pdev = driver.Enable(driver.ExtendedDevmode(A4At600()));
    ASSERT_NE(pdev, nullptr);
    auto* record = reinterpret_cast<PDevRecord*>(pdev);
    const uint32_t magic = record->magicEnd;
    record->magicEnd = 0x44445152;

    uint32_t out = 0;
    const uint32_t in = 0;
    SetLastError(0);
    EXPECT_EQ(Escape(driver, pdev, 20, &in, 4, &out, 4), 0u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(driver.entries().enableSurface(pdev), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    SURFOBJ surface = SurfaceOf(pdev);
    EXPECT_FALSE(driver.entries().startDoc(&surface, const_cast<wchar_t*>(L"doc"), 1));
    // Disabling a record that fails the check releases nothing.
    driver.entries().disablePdev(pdev);
    EXPECT_TRUE(frame_test::SettingsAccessLoaded());

    record->magicEnd = magic;
    driver.entries().disablePdev(pdev);
    EXPECT_FALSE(frame_test::SettingsAccessLoaded());
    // A record already freed is refused before any of its bytes is read.
    SetLastError(0);
    driver.entries().disablePdev(pdev);
    EXPECT_EQ(Escape(driver, pdev, 20, &in, 4, &out, 4), 0u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST(FrameDriver, TwoRecordsShareOneBinding)
{
    FrameDriver& driver = Driver();
    ASSERT_TRUE(driver.ok());
    const std::vector<uint8_t> devmode = driver.ExtendedDevmode(A4At600());
    DHPDEV first = driver.Enable(devmode);
    DHPDEV second = driver.Enable(devmode);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    const HMODULE bound = GetModuleHandleW(L"morvadm.dll");
    driver.entries().disablePdev(first);
    EXPECT_EQ(GetModuleHandleW(L"morvadm.dll"), bound) << "the second record still uses the binding";
    uint32_t out = 0;
    const uint16_t query = 20;
    EXPECT_EQ(Escape(driver, second, 8, &query, 2, &out, 4), 4209u);
    driver.entries().disablePdev(second);
    EXPECT_FALSE(frame_test::SettingsAccessLoaded());
}

TEST(FrameDriver, FailedBindLeavesNothingAndRecovers)
{
    FrameDriver& driver = Driver();
    ASSERT_TRUE(driver.ok());
    const std::vector<uint8_t> devmode = driver.ExtendedDevmode(A4At600());
    const std::wstring library = driver.driverDirectory() + L"\\morvadm.dll";
    const std::wstring away = library + L".away";
    ASSERT_TRUE(MoveFileW(library.c_str(), away.c_str()));
    EXPECT_EQ(driver.Enable(devmode), nullptr);
    EXPECT_EQ(driver.Enable(devmode), nullptr);
    EXPECT_FALSE(frame_test::SettingsAccessLoaded());
    ASSERT_TRUE(MoveFileW(away.c_str(), library.c_str()));
    DHPDEV pdev = driver.Enable(devmode);
    ASSERT_NE(pdev, nullptr);
    driver.entries().disablePdev(pdev);
    EXPECT_FALSE(frame_test::SettingsAccessLoaded()) << "the failed binds were not counted";
}

} // namespace

namespace {

std::string ReadTrace(const std::wstring& path)
{
    const std::string bytes = printhost_test::ReadTextFile(path);
    if (bytes.find('\0') == std::string::npos)
        return bytes;
    std::string narrow;  // UTF-16 text: keep the low bytes
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        narrow += bytes[i];
    return narrow;
}

TEST(FrameDriver, EntriesTraceTheirNameAndResult)
{
    FrameDriver& driver = Driver();
    ASSERT_TRUE(driver.ok());
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring traceFile = std::wstring(windows).substr(0, 2) + L"\\DEBUG_LOG\\WIN2000\\DDI_UM_TRACE_LOG.txt";
    const std::wstring config = driver.driverDirectory() + L"\\morvx.cfg";
    DeleteFileW(traceFile.c_str());
    ASSERT_TRUE(WritePrivateProfileStringW(L"LOG", L"Log", L"3", config.c_str()));
    const std::vector<uint8_t> devmode = driver.ExtendedDevmode(A4At600());
    DHPDEV pdev = driver.Enable(devmode);
    ASSERT_NE(pdev, nullptr);
    const uint16_t query = 20;
    uint32_t out = 0;
    EXPECT_EQ(Escape(driver, pdev, 8, &query, 2, &out, 4), 4209u);
    driver.entries().disablePdev(pdev);
    DeleteFileW(config.c_str());
    // The next enable reads the settings again: tracing is off from there.
    driver.entries().disablePdev(driver.Enable(devmode));

    const std::string trace = ReadTrace(traceFile);
    for (const char* line : {"IN <<DrvEnablePDEV", "OUT>>DrvEnablePDEV RetValue = 0x", "IN <<DrvEscape",
                             "OUT>>DrvEscape RetValue = 4209", "OUT>>DrvDisablePDEV"})
        EXPECT_NE(trace.find(line), std::string::npos) << line << "\n" << trace;
    const size_t lastEnable = trace.rfind("IN <<DrvEnablePDEV");
    EXPECT_EQ(trace.find("IN <<DrvEnablePDEV"), lastEnable) << "nothing traced once the file is gone";
    DeleteFileW(traceFile.c_str());
}

} // namespace

namespace {

// Settings records with bytes changed at random (sizes and trailer intact):
// each is refused or makes a record that works and goes away cleanly.
TEST(FrameDriver, DamagedSettingsRecordsNeverCrash)
{
    FrameDriver& driver = Driver();
    ASSERT_TRUE(driver.ok());
    const std::vector<uint8_t> good = driver.ExtendedDevmode(A4At600());
    ASSERT_EQ(good.size(), 5924u);
    uint32_t seed = 19;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 8; };
    int built = 0;
    for (int round = 0; round < 60; ++round) {
        std::vector<uint8_t> devmode = good;
        const int changes = 1 + int(next() % 40);
        for (int i = 0; i < changes; ++i) {
            // Mostly the public part and the common part, where the frame reads.
            const size_t at = next() % 4 == 0 ? next() % 5900 : next() % 1604;
            if (at == 68 || at == 69 || at == 70 || at == 71)
                continue;  // the size fields are checked first and would end the round there
            devmode[at] = uint8_t(next());
        }
        DHPDEV pdev = driver.Enable(devmode);
        if (!pdev)
            continue;
        ++built;
        HSURF surface = driver.entries().enableSurface(pdev);
        const uint16_t query = 17;
        uint32_t out = 0;
        Escape(driver, pdev, 8, &query, 2, &out, 4);
        if (surface)
            driver.entries().disableSurface(pdev);
        driver.entries().disablePdev(pdev);
    }
    EXPECT_GT(built, 0);
    EXPECT_FALSE(frame_test::SettingsAccessLoaded());
}

// An already-extended DEVMODE reaches the graphics library as the application
// made it: a size of its own is taken only within the model's user-size
// limits (else the paper number holds), and the resolution only when the
// model offers it (else its default).
TEST(FrameDriver, ApplicationSettingsAreCheckedWhenTaken)
{
    FrameDriver& driver = Driver();
    ASSERT_TRUE(driver.ok());
    constexpr uint32_t kSizeFields = DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_ORIENTATION | DM_PRINTQUALITY |
                                     DM_COLOR | DM_COPIES;
    struct Case {
        const char* name;
        int16_t width, length;  // written into the public fields; 0 leaves the size fields off
        int16_t quality, yResolution;
        LONG physWidth, physHeight;
        ULONG logPixels;
    } cases[] = {
        {"A4", 0, 0, 600, 600, 4961, 7016, 600},
        {"width -4", -4, 2970, 600, 600, 4961, 7016, 600},
        {"1 x 1", 1, 1, 600, 600, 4961, 7016, 600},
        {"below the least width", 999, 2000, 600, 600, 4961, 7016, 600},
        {"above the most length", 2000, 4573, 600, 600, 4961, 7016, 600},
        {"within the limits", 2000, 2800, 600, 600, 4724, 6614, 600},
        {"32767 x -1 dpi", 0, 0, 0x7FFF, -1, 4961, 7016, 600},
        {"1 x 1 dpi", 0, 0, 1, 1, 4961, 7016, 600},
        {"1200 x 600 dpi, offered", 0, 0, 1200, 600, 9921, 14031, 1200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> devmode =
            driver.ExtendedDevmode(A4At600(c.width ? std::vector<frame_test::SettingPair>{{kFidFields, kSizeFields}}
                                                   : std::vector<frame_test::SettingPair>{}));
        ASSERT_EQ(devmode.size(), 5924u);
        auto* dm = reinterpret_cast<DEVMODEW*>(devmode.data());
        if (c.width) {
            dm->dmPaperWidth = c.width;
            dm->dmPaperLength = c.length;
        }
        dm->dmPrintQuality = c.quality;
        dm->dmYResolution = c.yResolution;
        GDIINFO caps{};
        DHPDEV pdev = driver.Enable(devmode, &caps);
        ASSERT_NE(pdev, nullptr);
        EXPECT_EQ(caps.szlPhysSize.cx, c.physWidth);
        EXPECT_EQ(caps.szlPhysSize.cy, c.physHeight);
        EXPECT_EQ(caps.ulLogPixelsX, c.logPixels);
        EXPECT_GT(LONG(caps.ulHorzRes), 0);
        EXPECT_GT(LONG(caps.ulVertRes), 0);
        driver.entries().disablePdev(pdev);
    }
}

// The trailer's margins of the last-page paper (setting 387) come from the
// caller too: they are kept on the paper, in the order of the orientation.
TEST(FrameDriver, TrailerMarginsStayOnThePaper)
{
    FrameDriver& driver = Driver();
    ASSERT_TRUE(driver.ok());
    constexpr uint16_t kA4 = 9;
    struct Case {
        const char* name;
        uint16_t orientation;
        uint16_t margins[4];
        LONG offsetX, offsetY;  // device pixels at 600 dpi
        bool onPaper;
    } cases[] = {
        {"ordinary", DMORIENT_PORTRAIT, {100, 200, 100, 200}, 236, 472, true},
        {"3000 each", DMORIENT_PORTRAIT, {3000, 3000, 3000, 3000}, -1, -1, true},
        {"60000 each", DMORIENT_PORTRAIT, {60000, 60000, 60000, 60000}, -1, -1, true},
        {"landscape order", DMORIENT_LANDSCAPE, {100, 200, 300, 400}, -1, -1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> devmode =
            driver.ExtendedDevmode(A4At600({{kFidTrailerMargins, 1}, {kFidOrientation, c.orientation}}));
        ASSERT_EQ(devmode.size(), 5924u);
        const uint16_t group[6] = {kA4, kA4, c.margins[0], c.margins[1], c.margins[2], c.margins[3]};
        std::memcpy(devmode.data() + 5902, group, sizeof group);
        GDIINFO caps{};
        DHPDEV pdev = driver.Enable(devmode, &caps);
        ASSERT_NE(pdev, nullptr);
        EXPECT_GT(LONG(caps.ulHorzRes), 0);
        EXPECT_GT(LONG(caps.ulVertRes), 0);
        EXPECT_GE(caps.ptlPhysOffset.x, 0);
        EXPECT_GE(caps.ptlPhysOffset.y, 0);
        EXPECT_LE(caps.ptlPhysOffset.x + LONG(caps.ulHorzRes), caps.szlPhysSize.cx);
        EXPECT_LE(caps.ptlPhysOffset.y + LONG(caps.ulVertRes), caps.szlPhysSize.cy);
        if (c.offsetX >= 0) {
            EXPECT_EQ(caps.ptlPhysOffset.x, c.offsetX);
            EXPECT_EQ(caps.ptlPhysOffset.y, c.offsetY);
        }
        driver.entries().disablePdev(pdev);
    }
}

TEST(FrameDriver, ResolutionLevelsAreRefused)
{
    FrameDriver& driver = Driver();
    ASSERT_TRUE(driver.ok());
    for (uint32_t level : {0u, uint32_t(uint16_t(DMRES_HIGH)), uint32_t(uint16_t(DMRES_DRAFT))})
        EXPECT_EQ(driver.Enable(driver.ExtendedDevmode(A4At600({{kFidPrintQuality, level}}))), nullptr) << level;
    EXPECT_FALSE(frame_test::SettingsAccessLoaded());
}

} // namespace

namespace {

template <typename F>
F EntryOf(const FrameDriver& driver, const char* name)
{
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(driver.entries().library, name)));
}

// Font numbers outside the offered device fonts (1..5 of the model) are
// refused; the glyph mode is bitmaps.
TEST(FrameDriver, FontQueriesRefuseNumbersOutsideTheList)
{
    FrameDriver& driver = Driver();
    ASSERT_TRUE(driver.ok());
    DHPDEV pdev = driver.Enable(driver.ExtendedDevmode(A4At600()));
    ASSERT_NE(pdev, nullptr);
    auto glyphMode = EntryOf<decltype(&DrvGetGlyphMode)>(driver, "DrvGetGlyphMode");
    auto queryFont = EntryOf<decltype(&DrvQueryFont)>(driver, "DrvQueryFont");
    auto queryTree = EntryOf<decltype(&DrvQueryFontTree)>(driver, "DrvQueryFontTree");
    auto queryData = EntryOf<decltype(&DrvQueryFontData)>(driver, "DrvQueryFontData");
    auto widths = EntryOf<decltype(&DrvQueryAdvanceWidths)>(driver, "DrvQueryAdvanceWidths");
    EXPECT_EQ(glyphMode(pdev, nullptr), ULONG(FO_GLYPHBITS));
    ULONG_PTR id = 0;
    for (ULONG outside : {0ul, 6ul}) {
        SetLastError(0);
        EXPECT_EQ(queryFont(pdev, 0, outside, &id), nullptr) << outside;
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER)) << outside;
        EXPECT_EQ(queryTree(pdev, 0, outside, QFT_GLYPHSET, &id), nullptr) << outside;
        FONTOBJ font{};
        font.iFace = outside;
        EXPECT_EQ(queryData(pdev, &font, QFD_GLYPHANDBITMAP, 0, nullptr, nullptr, 0), FD_ERROR) << outside;
        HGLYPH glyph = 0;
        USHORT width = 0;
        EXPECT_TRUE(widths(pdev, &font, QAW_GETWIDTHS, &glyph, &width, 0)) << "no glyphs asked";
        EXPECT_FALSE(widths(pdev, &font, QAW_GETWIDTHS, &glyph, &width, 1)) << outside;
        EXPECT_FALSE(widths(pdev, &font, 2, &glyph, &width, 0)) << "unknown mode";
    }
    EXPECT_NE(queryFont(pdev, 0, 5, &id), nullptr);
    EXPECT_EQ(queryTree(pdev, 0, 1, 7, &id), nullptr) << "unknown tree mode";
    driver.entries().disablePdev(pdev);
}

} // namespace
