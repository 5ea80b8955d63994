// Paper geometry, the fit scale, font faces and file choice over a printer of
// the colour reference model.
#include "common/settings/function_ids.h"
#include "common/settings/paper_codes.h"
#include "tests/support/settings_pair_fixture.h"
#include "ui/support/file_choice.h"
#include "ui/support/font_faces.h"
#include "ui/support/resource_messages.h"
#include "ui/support/paper_geometry.h"
#include "ui/support/window_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr uint16_t kPaperA3 = 8;
constexpr uint16_t kPaperA4 = 9;
constexpr uint16_t kFidMarginShift = 1283;
constexpr uint16_t kFidBindingMargin = 268;
constexpr uint16_t kFidFullSizeScale = 383;
constexpr uint16_t kSameAsDocument = 267;

std::wstring SystemFolder()
{
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    return system;
}

std::wstring Expand(const wchar_t* text, int* answer)
{
    wchar_t* out = nullptr;
    *answer = ExpandPathMacros(text, &out);
    std::wstring result = out ? out : L"<null>";
    if (out)
        GlobalFree(out);
    return result;
}

TEST(ExpandPathMacros, MacrosBecomeSystemFoldersAndTheRestIsKept)
{
    const std::wstring system = SystemFolder();
    const struct {
        const wchar_t* text;
        int answer;
        std::wstring expanded;
    } cases[] = {
        {L"%ICM%", 1, system + L"\\Spool\\Drivers\\Color"},
        {L"%SYSTEM%", 1, system},
        {L"%DRIVER%", 1, system + L"\\Spool\\Drivers\\x64\\3"},
        // What follows the macro stays part of the path.
        {L"%SYSTEM%\\spool\\prtprocs", 1, system + L"\\spool\\prtprocs"},
        {L"C:\\%ICM%\\x", 1, L"C:\\" + system + L"\\Spool\\Drivers\\Color\\x"},
        {L"C:\\plain\\path", 1, L"C:\\plain\\path"},
        {L"%FOO%", 0, L"<null>"},
        {L"%%", 0, L"<null>"},
        {L"%SYSTEM", 0, L"<null>"},
    };
    for (const auto& c : cases) {
        int answer = -1;
        EXPECT_EQ(Expand(c.text, &answer), c.expanded) << c.text;
        EXPECT_EQ(answer, c.answer) << c.text;
    }
}

TEST(MachineRegistry, TheWriteTestLeavesNoValueBehind)
{
    EXPECT_EQ(CanWriteMachineRegistry(), 1);
    HKEY machine = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, nullptr, 0, KEY_QUERY_VALUE, &machine), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExW(machine, L"WriteCheck", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    RegCloseKey(machine);
}

TEST(Folders, ADirectoryIsOneToChangeInto)
{
    wchar_t before[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    EXPECT_EQ(IsValidDirectory(SystemFolder().c_str()), 1);
    EXPECT_EQ(IsValidDirectory(L"C:\\no\\such\\folder"), 0);
    EXPECT_EQ(IsValidDirectory(nullptr), 0);
    wchar_t after[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, after);
    EXPECT_STREQ(before, after);
}

TEST(ContextHelp, TheControlsPairGivesTheHelpId)
{
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 5, 5, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(1201)), nullptr, nullptr);
    const HelpIdPair table[] = {{1200, 7}, {1201, 8}, {0, 0}};
    EXPECT_EQ(FindContextHelpId(table, child), 8u);
    const HelpIdPair other[] = {{1200, 7}, {0, 0}};
    EXPECT_EQ(FindContextHelpId(other, child), 0u);
    EXPECT_EQ(ScaleForScreenDpi(nullptr, 40, LOGPIXELSX), 40);
    const POINT origin{1, 2};
    const SIZE size{3, 4};
    HWND overlay = CreateStaticOverlay(parent, 1300, 1201, origin, size, 0);
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(GetDlgItem(parent, 1300), overlay);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(overlay, GWL_STYLE)) & 0xFFFF, kOverlayStaticStyle & 0xFFFF);
    DestroyWindow(parent);
}

class GeometryTest : public SettingsPairTest {
protected:
    static void SetUpTestSuite() { colour_ = OpenSuitePrinter(L"C4530.DDD", L"Morva UI Geometry C4530"); }
    static void TearDownTestSuite() { CloseSuitePrinter(colour_); }
    void SetUp() override
    {
        Open(colour_);
        Set(kFidPaperSize, kPaperA4);
        Set(kFidOutputPaper, kSameAsDocument);
        Set(kFidPosterBooklet, 0);
        Set(kFidLayoutScaleOn, 0);
        Set(kFidMarginShift, 0);
        Set(kFidFullSizeScale, 1);
    }
    PaperGeometryPair Size(uint16_t paper, PaperGeometryPair* printable = nullptr, PaperGeometryPair* leftTop = nullptr,
                           PaperGeometryPair* rightBottom = nullptr)
    {
        PaperGeometryPair size{};
        EXPECT_EQ(GetPaperGeometry(Context(), paper, kUnitTenthMm, &size, printable, leftTop, rightBottom), 1);
        return size;
    }
    static ModelPrinter* colour_;
};
ModelPrinter* GeometryTest::colour_ = nullptr;

TEST_F(GeometryTest, AGridOfTwoByTwoFitsTwiceThePaper)
{
    const PaperGeometryPair a4 = Size(kPaperA4);
    ASSERT_GT(a4.width, 0);
    uint32_t percent = 0;
    ASSERT_EQ(ComputeFitScalePercent(Context(), &percent), 1);
    EXPECT_EQ(percent, 100u);
    Set(kFidPosterBooklet, 1);
    Set(kFidLayoutGrid, 0x0202);
    uint16_t width = 0, height = 0;
    ASSERT_EQ(ComputeOutputExtent(Context(), kPaperA4, kUnitTenthMm, true, &width, &height), 1);
    EXPECT_EQ(width, 2 * a4.width);
    EXPECT_EQ(height, 2 * a4.height);
    ASSERT_EQ(ComputeFitScalePercent(Context(), &percent), 1);
    EXPECT_EQ(percent, 200u);
    // One column of two rows turns the paper.
    Set(kFidLayoutGrid, 0x0102);
    ASSERT_EQ(ComputeOutputExtent(Context(), kPaperA4, kUnitTenthMm, true, &width, &height), 1);
    EXPECT_EQ(width, a4.height);
    EXPECT_EQ(height, 2 * a4.width);
    // A zoom set by hand is the percentage.
    Set(kFidLayoutScaleOn, 1);
    Set(kFidZoom, 73);
    ASSERT_EQ(ComputeFitScalePercent(Context(), &percent), 1);
    EXPECT_EQ(percent, 73u);
}

TEST_F(GeometryTest, TheOutputPaperScalesTheSourcePaper)
{
    const PaperGeometryPair a4 = Size(kPaperA4), a3 = Size(kPaperA3);
    Set(kFidOutputPaper, kPaperA3);
    uint32_t percent = 0;
    ASSERT_EQ(ComputeFitScalePercent(Context(), &percent), 1);
    const uint32_t across = (a3.width * 1000u / a4.width + 5) / 10, down = (a3.height * 1000u / a4.height + 5) / 10;
    EXPECT_EQ(percent, std::min(across, down));
    EXPECT_EQ(percent, 141u);
}

TEST_F(GeometryTest, TheBindingMarginShortensTheWidthOnItsSide)
{
    PaperGeometryPair printable{}, leftTop{}, rightBottom{};
    const PaperGeometryPair a4 = Size(kPaperA4, &printable, &leftTop, &rightBottom);
    Set(kFidMarginShift, 1);
    Set(kFidEdgeValue, 1);  // binding on the left
    const struct {
        uint32_t binding;
        uint16_t width;
    } cases[] = {
        {static_cast<uint32_t>(leftTop.width) + 100, static_cast<uint16_t>(a4.width - rightBottom.width - leftTop.width - 100)},
        {leftTop.width, printable.width},  // not beyond the margin: unchanged
    };
    for (const auto& c : cases) {
        Set(kFidBindingMargin, c.binding);
        uint16_t width = 0, height = 0;
        ASSERT_EQ(ComputeOutputExtent(Context(), kPaperA4, kUnitTenthMm, false, &width, &height), 1);
        EXPECT_EQ(width, c.width) << c.binding;
        EXPECT_EQ(height, printable.height) << c.binding;
    }
}

// A paper without extent has no scale: the check fails instead of dividing by 0.
TEST_F(GeometryTest, ASourcePaperOfNoSizeHasNoScale)
{
    Set(kFidCustomPaperWidth, 0);
    Set(kFidCustomPaperLength, 0);
    DEVMODEW head;
    std::memcpy(&head, settings_.data(), sizeof head);
    head.dmFields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
    std::memcpy(settings_.data(), &head, sizeof head);
    uint16_t width = 1, height = 1;
    ASSERT_EQ(GetPaperDimension(Context(), kFreeCustomPaperCode, kUnitTenthMm, true, &width, &height), 1);
    ASSERT_EQ(width, 0);
    uint32_t percent = 12345;
    EXPECT_EQ(ComputeScaleFromGeometry(Context(), kFreeCustomPaperCode, kPaperA4, kUnitTenthMm, &percent), 0);
    EXPECT_EQ(percent, 12345u);
}

TEST_F(GeometryTest, AnUnknownFaceResolvesToTheInstalledDefaultFace)
{
    LOGFONTW fonts[2] = {};
    lstrcpyW(fonts[0].lfFaceName, L"Arial");
    lstrcpyW(fonts[1].lfFaceName, L"Tahoma");
    const InstalledFontTable installed{fonts, 2};
    const InstalledFontTable noDefault{fonts, 1};
    const struct {
        const wchar_t* name;
        const InstalledFontTable* table;
        int kind;
        const LOGFONTW* record;
    } cases[] = {
        {L"Arial", &installed, kFaceInstalled, &fonts[0]},
        {L"No Such Face", &installed, kFaceDefault, &fonts[1]},
        {L"No Such Face", &noDefault, kFaceUnavailable, nullptr},
    };
    for (const auto& c : cases) {
        SetText(297, c.name);
        int kind = -1;
        uint8_t charSet = 0, pitch = 0;
        EXPECT_EQ(ResolveFontSettingFace(c.table, Context(), 297, &kind, &charSet, &pitch), c.record) << c.name;
        EXPECT_EQ(kind, c.kind) << c.name;
    }
    uint16_t status = 0;
    EXPECT_EQ(FindInstalledFont(nullptr, L"Arial", &status), nullptr);
    EXPECT_EQ(status, kFontNoTable);
    EXPECT_EQ(FindInstalledFont(&installed, L"tahoma", &status), &fonts[1]);
    EXPECT_EQ(status, kFontFound);
}

TEST_F(GeometryTest, TheOpenFileDialogStartsInTheFirstUsableFolder)
{
    SetText(297, L"C:\\stamps\\logo.bmp");
    OpenFileParameters parameters{kTextGiven, 2, 297, kTextGiven, 0, kTextGiven, -1, kTextGiven, 0};
    OpenFileRecord record{};
    ASSERT_EQ(PrepareOpenFileDialog(nullptr, Context(), parameters, &record), 1);
    EXPECT_STREQ(record.file, L"C:\\stamps\\logo.bmp");
    EXPECT_STREQ(record.folder, L"C:\\stamps\\");
    EXPECT_EQ(record.dialog.lStructSize, 152u);
    EXPECT_EQ(record.dialog.Flags, kOpenFileDefaultFlags);
    EXPECT_EQ(record.dialog.nMaxFile, 261u);
    EXPECT_EQ(record.dialog.nFilterIndex, 2u);
    // An existing folder named by its setting comes first.
    SetText(299, SystemFolder().c_str());
    parameters.folderSetting = 299;
    ASSERT_EQ(PrepareOpenFileDialog(nullptr, Context(), parameters, &record), 1);
    EXPECT_EQ(std::wstring(record.folder), SystemFolder());
}

TEST_F(GeometryTest, TheLayoutSummaryNamesThePapersAndTheFit)
{
    wchar_t* text = nullptr;
    ASSERT_EQ(FormatLayoutSummaryText(Context(), &text), 1);
    const std::wstring plain = text;
    GlobalFree(text);
    EXPECT_NE(plain.find(L" (actual size)"), std::wstring::npos) << plain;
    Set(kFidPosterBooklet, 1);
    Set(kFidLayoutGrid, 0x0202);
    Set(kFidOutputPaper, kPaperA3);
    ASSERT_EQ(FormatLayoutSummaryText(Context(), &text), 1);
    const std::wstring tiled = text;
    GlobalFree(text);
    EXPECT_NE(tiled.find(L" onto "), std::wstring::npos) << tiled;
    EXPECT_NE(tiled.find(L"%)"), std::wstring::npos) << tiled;
}

}  // namespace
