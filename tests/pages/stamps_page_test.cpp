// The stamps page, the stamp add and edit dialog, the annotation dialog and
// the stamp preview: the automatic name under a double-byte code page, the
// store's limits and questions as the user meets them in real windows, the
// stored-file controls of models that have them, and the preview's geometry.
// Pictures of the page, both dialogs and the preview go to build/screens.
#include "ui/pages/stamps_page.h"

#include "common/context/value_by_type.h"
#include "common/job/printer_stamp_store.h"
#include "common/job/stamp_store.h"
#include "common/settings/function_ids.h"
#include "common/settings/placement_transform.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "tests/fax/modal_dialog_script.h"
#include "tests/support/message_box_script.h"
#include "tests/support/settings_pair_fixture.h"
#include "tests/support/window_capture.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/dialog_tables.h"
#include "ui/engine/ui_context.h"
#include "ui/pages/stamp_dialog_ids.h"
#include "ui/pages/stamp_preview.h"
#include "ui/support/paper_geometry.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <prsht.h>

#include <cwchar>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr UINT kShiftJis = 932;

std::wstring Repeat(const wchar_t* piece, int times)
{
    std::wstring text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

int Bytes(const std::wstring& text, UINT codePage)
{
    return WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
}

}  // namespace

// U+3042 is 82 A0 and U+3041 is 82 9F in code page 932: the trail byte 9F
// lies in the lead-byte range, so only a walk from the start knows byte 32
// of a run of such characters for the trail byte it is.
TEST(StampName, CutOnTheCodePageFormWithoutSplittingCharacters)
{
    const struct {
        std::wstring text;
        std::wstring name;
        int bytes;
    } cases[] = {
        {Repeat(L"a", 31) + L"\x3042", Repeat(L"a", 31), 31},  // 33 bytes, a character at 32-33
        {Repeat(L"a", 32), Repeat(L"a", 32), 32},              // exactly 32: whole
        {Repeat(L"a", 33), Repeat(L"a", 32), 32},
        {Repeat(L"\x3041", 17), Repeat(L"\x3041", 16), 32},  // byte 32 a trail in the lead range
        {L"a" + Repeat(L"\x3041", 16), L"a" + Repeat(L"\x3041", 15), 31},
        {Repeat(L"\x3041", 16), Repeat(L"\x3041", 16), 32},
        {L"", L"", 0},
    };
    for (const auto& c : cases) {
        wchar_t name[kStampNameChars] = {L'x'};
        ASSERT_EQ(StampNameFromText(c.text.c_str(), kShiftJis, name), 1);
        EXPECT_EQ(std::wstring(name), c.name) << Bytes(c.text, kShiftJis);
        EXPECT_EQ(Bytes(name, kShiftJis), c.bytes);
    }
    wchar_t name[kStampNameChars];
    EXPECT_EQ(StampNameFromText(nullptr, kShiftJis, name), 0);
}

TEST(StampPreview, PageGeometryByOrientation)
{
    const PreviewGeometry& landscape = GetPreviewGeometry(DMORIENT_LANDSCAPE);
    EXPECT_EQ(landscape.bitmap, 529u);
    EXPECT_EQ(landscape.bitmapAt.x, 5);
    EXPECT_EQ(landscape.bitmapAt.y, 40);
    EXPECT_EQ(landscape.origin.x, 7);
    EXPECT_EQ(landscape.origin.y, 42);
    EXPECT_EQ(landscape.page.cx, 151);
    EXPECT_EQ(landscape.page.cy, 106);
    const PreviewGeometry& portrait = GetPreviewGeometry(DMORIENT_PORTRAIT);
    EXPECT_EQ(portrait.bitmap, 530u);
    EXPECT_EQ(portrait.bitmapAt.x, 40);
    EXPECT_EQ(portrait.origin.y, 7);
    EXPECT_EQ(portrait.page.cx, 106);
}

TEST(StampPreview, FontScaledFromPointsAtTheDeviceResolution)
{
    StampPreviewInputs in;
    in.resolution = 600;
    in.sizePoints = 72;
    in.widthPoints = 0;
    in.angle = 450;
    in.weight = FW_BOLD;
    in.italic = 1;
    LOGFONTW face{};
    wcscpy(face.lfFaceName, L"Arial");
    LOGFONTW font{};
    LOGPEN pen{};
    ASSERT_EQ(BuildPreviewFont(in, RGB(1, 2, 3), face, &font, &pen), 1);
    // 600 device units x 106 / (600 x 202 / 25.4) = 13.3.
    EXPECT_EQ(font.lfHeight, -13);
    EXPECT_EQ(font.lfWidth, 0);
    EXPECT_EQ(font.lfEscapement, 450);
    EXPECT_EQ(font.lfOrientation, 450);
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    EXPECT_EQ(font.lfItalic, 1);
    EXPECT_STREQ(font.lfFaceName, L"Arial");
    EXPECT_EQ(pen.lopnWidth.x, 1);  // 600 x 0.06 x 0.0222 = 0.8
    EXPECT_EQ(pen.lopnColor, RGB(1, 2, 3));

    in.sizePoints = 1;  // a very small size keeps 4 pixels
    ASSERT_EQ(BuildPreviewFont(in, 0, face, &font, &pen), 1);
    EXPECT_EQ(font.lfHeight, -4);
    EXPECT_EQ(pen.lopnWidth.x, 1);
    in.sizePoints = 600;
    in.widthPoints = 36;
    ASSERT_EQ(BuildPreviewFont(in, 0, face, &font, &pen), 1);
    EXPECT_EQ(font.lfHeight, -111);
    EXPECT_EQ(font.lfWidth, 6);
    EXPECT_EQ(pen.lopnWidth.x, 6);

    // No resolution: nothing to scale by; a DMRES value is no resolution.
    for (int resolution : {0, DMRES_HIGH, DMRES_DRAFT, -1}) {
        in.resolution = resolution;
        EXPECT_EQ(BuildPreviewFont(in, 0, face, &font, &pen), 0) << resolution;
    }
}

TEST(StampPreview, PaletteAndItsGreyForm)
{
    PALETTEENTRY colour[kPreviewPaletteSize];
    BuildPreviewPalette(RGB(200, 100, 50), false, colour);
    EXPECT_EQ(RGB(colour[0].peRed, colour[0].peGreen, colour[0].peBlue), 0x0033FFu);
    EXPECT_EQ(RGB(colour[6].peRed, colour[6].peGreen, colour[6].peBlue), 0x000000u);
    EXPECT_EQ(RGB(colour[7].peRed, colour[7].peGreen, colour[7].peBlue), RGB(200, 100, 50));
    EXPECT_EQ(RGB(colour[15].peRed, colour[15].peGreen, colour[15].peBlue), RGB(228, 178, 153));
    EXPECT_EQ(RGB(colour[14].peRed, colour[14].peGreen, colour[14].peBlue), RGB(128, 128, 128));
    for (const PALETTEENTRY& e : colour)
        EXPECT_EQ(e.peFlags, PC_NOCOLLAPSE);
    EXPECT_EQ(PreviewDrawingColour(colour, false), PALETTERGB(200, 100, 50));
    EXPECT_EQ(PreviewDrawingColour(colour, true), PALETTERGB(228, 178, 153));

    PALETTEENTRY grey[kPreviewPaletteSize];
    BuildPreviewPalette(RGB(200, 100, 50), true, grey);
    for (const PALETTEENTRY& e : grey) {
        EXPECT_EQ(e.peRed, e.peGreen);
        EXPECT_EQ(e.peGreen, e.peBlue);
    }
    EXPECT_EQ(grey[7].peRed, ((200 + 50) * 85 + 100 * 86) >> 8);
    EXPECT_EQ(grey[0].peRed, ((0xFF + 0) * 85 + 0x33 * 86) >> 8);
}

namespace {

StampPreviewInputs PlacedStamp(int orientation, uint16_t position)
{
    StampPreviewInputs in;
    in.orientation = orientation;
    in.resolution = 600;
    in.name = L"Draft";
    in.text = L"DRAFT";
    in.position = position;
    return in;
}

}  // namespace

TEST(StampPreview, PlacedTextStaysInsideItsPage)
{
    const PreviewGeometry& page = GetPreviewGeometry(DMORIENT_LANDSCAPE);
    const float w = 60, h = 14;
    for (int frame = 0; frame <= 2; ++frame) {
        for (uint16_t position : {0x101, 0x102, 0x103, 0x201, 0x202, 0x203, 0x301, 0x302, 0x303}) {
            StampPreviewInputs in = PlacedStamp(DMORIENT_LANDSCAPE, position);
            in.frame = frame;
            StampPreviewPlan plan;
            ASSERT_EQ(PlanStampPreview(in, w, h, 1, &plan), 1) << position;
            const POINT at = plan.cells[0].text;
            EXPECT_GE(at.x, page.origin.x) << position;
            EXPECT_GE(at.y, page.origin.y) << position;
            EXPECT_LE(at.x + w, page.origin.x + page.page.cx + 1) << position;
            EXPECT_LE(at.y + h, page.origin.y + page.page.cy + 1) << position;
        }
    }
    StampPreviewInputs unknown = PlacedStamp(DMORIENT_LANDSCAPE, 0x202);
    unknown.frame = 3;
    StampPreviewPlan plan;
    EXPECT_EQ(PlanStampPreview(unknown, w, h, 1, &plan), -1);
}

TEST(StampPreview, RepeatFillsEveryCellOfThePageGrid)
{
    StampPreviewInputs in = PlacedStamp(DMORIENT_PORTRAIT, 0x202);
    in.repeat = true;
    in.frame = 1;
    StampPreviewPlan plan;
    const int cells = PlanStampPreview(in, 30, 8, 1, &plan);
    ASSERT_GT(cells, 1);
    ASSERT_EQ(plan.cells.size(), static_cast<size_t>(cells));
    PlacementTransform transform{};
    const PlacementSize area{106, 151};
    const PlacementSize box{30 * 1.2f + 2, 8 * 1.2f + 2};
    ASSERT_EQ(BuildPlacementTransform(&area, &box, 0, 1, 0, &transform), cells);
    EXPECT_EQ(cells, transform.columns * transform.rows);
    for (size_t i = 1; i < plan.cells.size(); ++i)
        EXPECT_TRUE(plan.cells[i].text.x != plan.cells[0].text.x || plan.cells[i].text.y != plan.cells[0].text.y);
    // The repeat flag wins over the position code.
    in.position = 0x101;
    StampPreviewPlan again;
    EXPECT_EQ(PlanStampPreview(in, 30, 8, 1, &again), cells);
}

TEST(StampPreview, AngleIsTakenInWholeDegreesTowardZero)
{
    StampPreviewInputs upright = PlacedStamp(DMORIENT_LANDSCAPE, 0x202);
    StampPreviewInputs slight = upright;
    slight.angle = -5;
    StampPreviewInputs turned = upright;
    turned.angle = -15;
    StampPreviewPlan a, b, c;
    ASSERT_EQ(PlanStampPreview(upright, 50, 12, 1, &a), 1);
    ASSERT_EQ(PlanStampPreview(slight, 50, 12, 1, &b), 1);
    ASSERT_EQ(PlanStampPreview(turned, 50, 12, 1, &c), 1);
    EXPECT_EQ(a.cells[0].text.x, b.cells[0].text.x);
    EXPECT_EQ(a.cells[0].text.y, b.cells[0].text.y);
    EXPECT_TRUE(a.cells[0].text.x != c.cells[0].text.x || a.cells[0].text.y != c.cells[0].text.y);
}

TEST(StampPreview, ItalicWidensTheBox)
{
    StampPreviewInputs in = PlacedStamp(DMORIENT_LANDSCAPE, 0x101);
    in.frame = 1;
    StampPreviewPlan upright, italic;
    ASSERT_EQ(PlanStampPreview(in, 40, 10, 1, &upright), 1);
    in.italic = 1;
    ASSERT_EQ(PlanStampPreview(in, 40, 10, 1, &italic), 1);
    const LONG uprightWidth = upright.cells[0].frame[1].x - upright.cells[0].frame[0].x;
    const LONG italicWidth = italic.cells[0].frame[1].x - italic.cells[0].frame[0].x;
    // 10 x 0.2679 x 1.2 wider.
    EXPECT_NEAR(italicWidth - uprightWidth, 3, 1);
}

namespace {

// The page and its dialogs in real windows on the colour reference model.
const PageDescriptor* const kStampDialogs[] = {&StampAddDialog, &StampEditDialog, &AnnotationDialog};
const PageDescriptor kStampsPageOnly = {kStampsPageCode, &StampsPageItemTable, nullptr};
const PageDescriptor* const kTables[] = {&kStampsPageOnly, &StampAddDialog, &StampEditDialog, &AnnotationDialog};

std::wstring Shown(const MessageBoxScript& script)
{
    std::wstring all;
    for (const ShownMessageBox& box : script.shown())
        all += box.caption + L": " + box.text + L" | ";
    return all;
}

std::wstring Formatted(UINT id, const wchar_t* name)
{
    std::wstring text = ResourceString(id);
    const size_t at = text.find(L"%1s");
    if (at != std::wstring::npos)
        text.replace(at, 3, name);
    return text;
}

}  // namespace

class StampsPageWindow : public SettingsPairTest {
protected:
    static void SetUpTestSuite()
    {
        const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        printer_s = OpenSuitePrinter(L"C4530.DDD", L"Morva Stamps Page");
    }
    static void TearDownTestSuite() { CloseSuitePrinter(printer_s); }
    void SetUp() override
    {
        Open(printer_s);
        ui_.printer = Printer();
        ui_.printerName = const_cast<wchar_t*>(printer_s->name().c_str());
        ui_.settings = context_;
        ui_.permission = 1;
        ui_.tables = CreateDialogTableSet(kTables, std::size(kTables));
        ASSERT_NE(ui_.tables, nullptr);
        LoadModelCapabilityWords(&ui_);
        store_ = std::make_unique<StampStoreOf>(Printer(), context_);
        ClearStore();
        Set(kFidPrintQuality, 600);
    }
    void TearDown() override
    {
        ClosePage();
        store_.reset();
        FreeDialogTableSet(ui_.tables);
        SettingsPairTest::TearDown();
    }
    // Every stamp but the six defaults deleted.
    void ClearStore()
    {
        for (const std::wstring& name : StoredNames())
            DeleteStamp(store_->at, name.c_str());
    }
    std::vector<std::wstring> StoredNames()
    {
        uint32_t count = 0, size = 0;
        ListStampNames(store_->at, nullptr, nullptr, &size);
        std::vector<wchar_t> names(size / 2 + 2, L'\0');
        size = static_cast<uint32_t>(names.size() * 2);
        EXPECT_EQ(ListStampNames(store_->at, names.data(), &count, &size), kStampOk);
        std::vector<std::wstring> out;
        for (const wchar_t* n = names.data(); *n; n += wcslen(n) + 1)
            out.emplace_back(n);
        return out;
    }
    void Store(const wchar_t* name, const wchar_t* text)
    {
        StampRecord record{};
        ASSERT_EQ(GetStamp(store_->at, nullptr, &record, true), kStampOk);
        wcsncpy(record.name, name, 32);
        wcsncpy(record.text, text, 64);
        ASSERT_EQ(SaveStamp(store_->at, &record), kStampOk) << name;
    }
    void ChooseStamp(const wchar_t* name)
    {
        ASSERT_EQ(LoadStampSettings(store_->at, name, 1, settings_.data(), printer_settings_.data()), 0) << name;
    }
    void OpenPage()
    {
        SettingsSet set{settings_.data(), printer_settings_.data()};
        context_record_ = CreateDialogContext(nullptr, &ui_, &set, nullptr);
        ASSERT_NE(context_record_, nullptr);
        host_ = CreateWindowExW(0, L"#32770", L"Stamps", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 20, 20, 520, 480,
                                nullptr, nullptr, nullptr, nullptr);
        SetPropW(host_, L"MorvaScripted", reinterpret_cast<HANDLE>(1));
        page_info_.dwSize = sizeof page_info_;
        page_info_.lParam = reinterpret_cast<LPARAM>(context_record_);
        page_ = CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(kStampsPageTemplate), host_, StampsPageProc,
                                   reinterpret_cast<LPARAM>(&page_info_));
        ASSERT_NE(page_, nullptr);
        ShowWindow(page_, SW_SHOW);
        Notify(PSN_SETACTIVE);
        Pump();
    }
    void ClosePage()
    {
        if (page_)
            DestroyWindow(page_);
        if (host_)
            DestroyWindow(host_);
        page_ = host_ = nullptr;
        FreeDialogContext(&context_record_);
    }
    LRESULT Notify(UINT code)
    {
        PSHNOTIFY notify{};
        notify.hdr.hwndFrom = host_;
        notify.hdr.code = code;
        SendMessageW(page_, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
        return GetWindowLongPtrW(page_, DWLP_MSGRESULT);
    }
    void Pump()
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    std::vector<std::wstring> ListRows()
    {
        std::vector<std::wstring> rows;
        HWND list = GetDlgItem(page_, kStampList);
        const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t text[64] = {};
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            rows.emplace_back(text);
        }
        return rows;
    }
    std::wstring Current(uint16_t id)
    {
        void* settings = context_record_->current->settings;
        void* printer = context_record_->current->printerSettings;
        const uint64_t at = GetFunctionIdValuePointer(settings, printer, id, kTypeString);
        return at ? reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(at)) : L"";
    }
    uint32_t CurrentNumber(uint16_t id)
    {
        return SettingNumberOr(id, context_record_->current->settings, context_record_->current->printerSettings,
                               0xFFFFFFFF);
    }
    // Opens the add or edit dialog from the page; the script runs in it.
    void OpenFromPage(int button, const std::function<void(HWND)>& script)
    {
        ScriptNextModalDialog([&] { ClickButton(page_, button); }, script);
    }
    void Choose(HWND dialog, int box, int row, UINT notification = CBN_SELCHANGE)
    {
        SendDlgItemMessageW(dialog, box, CB_SETCURSEL, static_cast<WPARAM>(row), 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(box, notification),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, box)));
    }

    static ModelPrinter* printer_s;
    UiContext ui_{};
    std::unique_ptr<StampStoreOf> store_;
    DialogContext* context_record_ = nullptr;
    PROPSHEETPAGEW page_info_{};
    HWND host_ = nullptr;
    HWND page_ = nullptr;
};
ModelPrinter* StampsPageWindow::printer_s = nullptr;

TEST_F(StampsPageWindow, ListShowsTheStoreAndFollowsTheChosenStamp)
{
    ChooseStamp(L"Draft");
    MessageBoxScript boxes;
    OpenPage();
    EXPECT_EQ(boxes.shown().size(), 0u) << Shown(boxes);
    const std::vector<std::wstring> rows = ListRows();
    EXPECT_EQ(rows.size(), 6u);
    HWND list = GetDlgItem(page_, kStampList);
    const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
    ASSERT_GE(selected, 0);
    EXPECT_EQ(rows[static_cast<size_t>(selected)], L"Draft");
    CaptureWindowPng(page_, "stamps_page");

    const LRESULT other =
        SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"Confidential"));
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(other), 0);
    SendMessageW(page_, WM_COMMAND, MAKEWPARAM(kStampList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(Current(kFidStampName), L"Confidential");
    EXPECT_EQ(Current(kFidStampDetail), L"CONFIDENTIAL");
    EXPECT_EQ(CurrentNumber(302), 2u);
    EXPECT_EQ(CurrentNumber(303), 0x202u);
}

TEST_F(StampsPageWindow, DeleteLeavesADefaultStampAndAsksForAStoredOne)
{
    Store(L"Mine", L"MINE");
    ChooseStamp(L"Draft");
    OpenPage();
    {
        MessageBoxScript boxes({IDOK});
        ClickButton(page_, kStampDeleteButton);
        EXPECT_EQ(boxes.shown().size(), 0u) << Shown(boxes);
        EXPECT_EQ(FindStamp(store_->at, L"Draft"), kStampIsDefault);
        EXPECT_EQ(Current(kFidStampName), L"Draft");
    }
    ClosePage();
    ChooseStamp(L"Mine");
    OpenPage();
    ASSERT_EQ(ListRows().size(), 7u);
    {
        MessageBoxScript boxes({IDCANCEL});
        ClickButton(page_, kStampDeleteButton);
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_EQ(boxes.shown()[0].text, Formatted(kMessageDeleteStamp, L"Mine"));
        EXPECT_EQ(boxes.shown()[0].caption, ResourceString(265));
        EXPECT_EQ(FindStamp(store_->at, L"Mine"), kStampOk);
    }
    MessageBoxScript boxes({IDOK});
    ClickButton(page_, kStampDeleteButton);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_NE(FindStamp(store_->at, L"Mine"), kStampOk);
    EXPECT_EQ(ListRows().size(), 6u);
    EXPECT_EQ(Current(kFidStampName), L"");
    EXPECT_EQ(GetFocus(), GetDlgItem(page_, kStampList));
}

TEST_F(StampsPageWindow, AddingTo32StampsIsRefused)
{
    for (int i = 0; i < 26; ++i)
        Store((L"Stamp " + std::to_wstring(i)).c_str(), L"TEXT");
    ASSERT_EQ(StoredNames().size(), 32u);
    OpenPage();
    MessageBoxScript boxes({IDOK});
    bool stayed = false;
    std::wstring caption;
    OpenFromPage(kStampAddButton, [&](HWND dialog) {
        wchar_t text[64] = {};
        GetWindowTextW(dialog, text, 64);
        caption = text;
        TypeText(dialog, kStampTextEdit, L"LATE", kStampNameEdit);
        ClickButton(dialog, kStampOkButton);
        stayed = IsWindow(dialog) && IsWindowVisible(dialog);
        ClickButton(dialog, kStampCancelButton);
    });
    EXPECT_EQ(caption, ResourceString(kStringAddCaption));
    EXPECT_TRUE(stayed);
    ASSERT_EQ(boxes.shown().size(), 1u) << Shown(boxes);
    EXPECT_EQ(boxes.shown()[0].text, ResourceString(kMessageStampsFull));
    EXPECT_EQ(StoredNames().size(), 32u);
}

TEST_F(StampsPageWindow, AddedStampTakesItsNameFromItsTextAndIsStored)
{
    OpenPage();
    MessageBoxScript boxes;
    std::wstring name;
    OpenFromPage(kStampAddButton, [&](HWND dialog) {
        TypeText(dialog, kStampTextEdit, L"PAID IN FULL", kStampSizeBox);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kStampTextEdit, EN_KILLFOCUS),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, kStampTextEdit)));
        wchar_t text[64] = {};
        GetDlgItemTextW(dialog, kStampNameEdit, text, 64);
        name = text;
        CheckRadioButton(dialog, kStampFrameNone, kStampFrameCircle, kStampFrameBox);
        ClickButton(dialog, kStampFrameBox);
        Choose(dialog, kStampSizeBox, 5);  // 24 points
        CaptureWindowPng(dialog, "stamp_add_dialog");
        CaptureWindowPng(GetDlgItem(dialog, kStampDialogPreview), "stamp_preview");
        ClickButton(dialog, kStampOkButton);
    });
    EXPECT_EQ(name, L"PAID IN FULL");
    EXPECT_EQ(boxes.shown().size(), 0u) << Shown(boxes);
    StampRecord stored{};
    ASSERT_EQ(GetStamp(store_->at, L"PAID IN FULL", &stored, false), kStampOk);
    EXPECT_STREQ(stored.text, L"PAID IN FULL");
    EXPECT_EQ(stored.valueC, 1u);
    EXPECT_EQ(Current(kFidStampName), L"PAID IN FULL");
    EXPECT_EQ(CurrentNumber(kFidFontHeight), 24u);
    const std::vector<std::wstring> rows = ListRows();
    EXPECT_EQ(rows.size(), 7u);
}

TEST_F(StampsPageWindow, RenamingOntoAStoredNameAsksFirst)
{
    Store(L"Mine", L"MINE");
    Store(L"Other", L"OTHER");
    ChooseStamp(L"Mine");
    OpenPage();
    MessageBoxScript boxes({IDCANCEL, IDOK});
    bool stayed = false;
    OpenFromPage(kStampEditButton, [&](HWND dialog) {
        CaptureWindowPng(dialog, "stamp_edit_dialog");
        TypeText(dialog, kStampNameEdit, L"Other", kStampTextEdit);
        ClickButton(dialog, kStampOkButton);  // Cancel: stays
        stayed = IsWindow(dialog) && IsWindowVisible(dialog);
        ClickButton(dialog, kStampOkButton);  // OK: replaces
    });
    EXPECT_TRUE(stayed);
    ASSERT_EQ(boxes.shown().size(), 2u) << Shown(boxes);
    EXPECT_EQ(boxes.shown()[0].text, Formatted(kMessageStampExists, L"Other"));
    StampRecord other{};
    ASSERT_EQ(GetStamp(store_->at, L"Other", &other, false), kStampOk);
    EXPECT_STREQ(other.text, L"MINE");
}

TEST_F(StampsPageWindow, EditingKeepsItsOwnNameWithoutAsking)
{
    Store(L"Mine", L"MINE");
    ChooseStamp(L"Mine");
    OpenPage();
    MessageBoxScript boxes;
    OpenFromPage(kStampEditButton, [&](HWND dialog) {
        TypeText(dialog, kStampTextEdit, L"MINE TOO", kStampNameEdit);
        ClickButton(dialog, kStampOkButton);
    });
    EXPECT_EQ(boxes.shown().size(), 0u) << Shown(boxes);
    StampRecord mine{};
    ASSERT_EQ(GetStamp(store_->at, L"Mine", &mine, false), kStampOk);
    EXPECT_STREQ(mine.text, L"MINE TOO");
}

TEST_F(StampsPageWindow, ColourChoicesSetTheStampColour)
{
    Store(L"Mine", L"MINE");
    ChooseStamp(L"Mine");
    Set(1855, 0x1234);
    OpenPage();
    uint32_t fixed = 0, fixedChoice = 0, custom = 0, customChoice = 0;
    MessageBoxScript boxes;
    OpenFromPage(kStampEditButton, [&](HWND dialog) {
        DialogContext* context = GetDialogContext(dialog);
        auto number = [&](uint16_t id) {
            return SettingNumberOr(id, context->current->settings, context->current->printerSettings, 0xFFFF);
        };
        Choose(dialog, kStampColourBox, 2);
        fixed = number(301);
        fixedChoice = number(300);
        Choose(dialog, kStampColourBox, 7);
        custom = number(301);
        customChoice = number(300);
        ClickButton(dialog, kStampCancelButton);
    });
    EXPECT_EQ(fixedChoice, 3u);
    EXPECT_EQ(fixed, 0x00CCFFu);
    EXPECT_EQ(customChoice, 8u);
    EXPECT_EQ(custom, 0x1234u);
}

TEST_F(StampsPageWindow, DocumentStampDifferingFromTheStoredOneIsAsked)
{
    Store(L"Mine", L"MINE");
    ChooseStamp(L"Mine");
    SetText(kFidStampDetail, L"CHANGED");
    {
        MessageBoxScript boxes({IDCANCEL});
        OpenPage();
        ASSERT_EQ(boxes.shown().size(), 1u) << Shown(boxes);
        EXPECT_EQ(boxes.shown()[0].text, ResourceString(kMessageStampDiffers));
        // Cancel: the stored stamp comes back.
        EXPECT_EQ(Current(kFidStampDetail), L"MINE");
        ClosePage();
    }

    SetText(kFidStampDetail, L"CHANGED");
    MessageBoxScript again({IDOK});
    OpenPage();
    ASSERT_EQ(again.shown().size(), 1u);
    StampRecord mine{};
    ASSERT_EQ(GetStamp(store_->at, L"Mine", &mine, false), kStampOk);
    EXPECT_STREQ(mine.text, L"CHANGED");
}

TEST_F(StampsPageWindow, UnknownDocumentStampIsAddedOrReset)
{
    ChooseStamp(L"Draft");
    SetText(kFidStampName, L"Brought along");
    {
        MessageBoxScript boxes({IDOK});
        OpenPage();
        ASSERT_EQ(boxes.shown().size(), 1u) << Shown(boxes);
        EXPECT_EQ(boxes.shown()[0].text, ResourceString(kMessageStampAdded));
        EXPECT_EQ(FindStamp(store_->at, L"Brought along"), kStampOk);
        ClosePage();
    }

    for (int i = 0; i < 25; ++i)
        Store((L"Stamp " + std::to_wstring(i)).c_str(), L"TEXT");
    ASSERT_EQ(StoredNames().size(), 32u);
    ChooseStamp(L"Draft");
    SetText(kFidStampName, L"One too many");
    MessageBoxScript full({IDOK});
    OpenPage();
    ASSERT_EQ(full.shown().size(), 1u) << Shown(full);
    EXPECT_EQ(full.shown()[0].text, ResourceString(kMessageStampNotAdded));
    EXPECT_NE(FindStamp(store_->at, L"One too many"), kStampOk);
    EXPECT_EQ(Current(kFidStampName), L"");
}

TEST_F(StampsPageWindow, StoredFileControlsOnlyWithTheModelsCapability)
{
    const int32_t controls[] = {kStoredFileGroup,  kStoredFileFolderLabel, kStoredFileOn,
                                kStoredFileName,   kStoredFileBrowse,      kStoredFileFolder,
                                kStoredFileResend, kStoredFileLabelOn,     kStoredFileLabel};
    ui_.capabilities.words[0] &= ~kCapStoredPrintFile;
    OpenPage();
    for (int32_t id : controls) {
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(page_, id))) << id;
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page_, id))) << id;
    }
    ClosePage();
    ui_.capabilities.words[0] |= kCapStoredPrintFile;
    OpenPage();
    for (int32_t id : controls)
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(page_, id))) << id;
    CaptureWindowPng(page_, "stamps_page_stored_file");
    // Resend without a folder names the field; with a folder that holds no
    // such file it says the file could not be sent.
    MessageBoxScript boxes({IDOK, IDOK});
    ClickButton(page_, kStoredFileResend);
    SetDlgItemTextW(page_, kStoredFileFolder, L"C:\\none");
    SetDlgItemTextW(page_, kStoredFileName, L"job");
    ClickButton(page_, kStoredFileResend);
    ASSERT_EQ(boxes.shown().size(), 2u) << Shown(boxes);
    EXPECT_NE(boxes.shown()[0].text.find(L"Folder"), std::wstring::npos) << boxes.shown()[0].text;
    EXPECT_EQ(boxes.shown()[1].text, ResourceString(kMessageResendFailed));
    EXPECT_EQ(GetFocus(), GetDlgItem(page_, kStoredFileFolder));
}

TEST_F(StampsPageWindow, AnnotationDialogSwitchesATextAndItsPlace)
{
    OpenPage();
    MessageBoxScript boxes;
    uint32_t on = 0, place = 0;
    std::wstring row;
    OpenFromPage(kAnnotationButton, [&](HWND dialog) {
        DialogContext* context = GetDialogContext(dialog);
        SendDlgItemMessageW(dialog, kAnnotationList, LB_SETCURSEL, 4, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kAnnotationList, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, kAnnotationList)));
        CheckDlgButton(dialog, kAnnotationPrint, BST_CHECKED);
        ClickButton(dialog, kAnnotationPrint);
        Choose(dialog, kAnnotationPosition, 8);
        on = SettingNumberOr(1300, context->current->settings, context->current->printerSettings, 0xFF);
        place = SettingNumberOr(355, context->current->settings, context->current->printerSettings, 0xFF);
        wchar_t text[128] = {};
        SendDlgItemMessageW(dialog, kAnnotationList, LB_GETTEXT, 4, reinterpret_cast<LPARAM>(text));
        row = text;
        CaptureWindowPng(dialog, "annotation_dialog");
        ClickButton(dialog, kAnnotationOkButton);
    });
    EXPECT_EQ(on, 1u);
    EXPECT_EQ(place, 0x303u);
    EXPECT_EQ(row, L"Date\tOn\tBottom right");
    EXPECT_EQ(CurrentNumber(1300), 1u);
    EXPECT_EQ(boxes.shown().size(), 0u) << Shown(boxes);
}

// Default brings back the default stamp of the name and keeps the whole name:
// 32 characters and the terminator.
TEST_F(StampsPageWindow, DefaultButtonKeepsTheWholeName)
{
    const std::wstring name = Repeat(L"N", 32);
    Store(name.c_str(), L"OWN TEXT");
    ChooseStamp(name.c_str());
    OpenPage();
    MessageBoxScript boxes;
    std::wstring kept, text;
    OpenFromPage(kStampEditButton, [&](HWND dialog) {
        ClickButton(dialog, kStampDefaultButton);
        DialogContext* context = GetDialogContext(dialog);
        kept = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(GetFunctionIdValuePointer(
            context->current->settings, context->current->printerSettings, kFidStampName, kTypeString)));
        text = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(GetFunctionIdValuePointer(
            context->current->settings, context->current->printerSettings, kFidStampDetail, kTypeString)));
        ClickButton(dialog, kStampCancelButton);
    });
    EXPECT_EQ(kept, name);
    EXPECT_EQ(text, ResourceString(1792));  // the template's text
    EXPECT_EQ(boxes.shown().size(), 0u) << Shown(boxes);
}

// A monochrome model shows the preview in grey.
class StampPreviewMonochrome : public SettingsPairTest {
protected:
    static void SetUpTestSuite() { printer_s = OpenSuitePrinter(L"M2200.DDD", L"Morva Stamps Mono"); }
    static void TearDownTestSuite() { CloseSuitePrinter(printer_s); }
    static ModelPrinter* printer_s;
};
ModelPrinter* StampPreviewMonochrome::printer_s = nullptr;

TEST_F(StampPreviewMonochrome, PictureKindIsGrey)
{
    Open(printer_s);
    EXPECT_EQ(GetColorModeImageKind(settings_.data(), context_), 1);
}

// A stored file switched on needs its folder before the page is left.
TEST_F(StampsPageWindow, SwitchedOnFolderMustNotBeEmptyOnLeaving)
{
    ui_.capabilities.words[0] |= kCapStoredPrintFile;
    OpenPage();
    CheckDlgButton(page_, kStoredFileOn, BST_CHECKED);
    ClickButton(page_, kStoredFileOn);
    EXPECT_EQ(CurrentNumber(kFidStoredJobText), 1u);
    {
        MessageBoxScript boxes({IDOK});
        EXPECT_EQ(Notify(PSN_KILLACTIVE), 1);
        ASSERT_EQ(boxes.shown().size(), 1u) << Shown(boxes);
        EXPECT_NE(boxes.shown()[0].text.find(L"Folder"), std::wstring::npos) << boxes.shown()[0].text;
        EXPECT_NE(boxes.shown()[0].text.find(L"8"), std::wstring::npos) << boxes.shown()[0].text;
        EXPECT_EQ(GetFocus(), GetDlgItem(page_, kStoredFileFolder));
    }
    SetDlgItemTextW(page_, kStoredFileFolder, L"JOBS");
    MessageBoxScript boxes;
    EXPECT_EQ(Notify(PSN_KILLACTIVE), 0);
    EXPECT_EQ(boxes.shown().size(), 0u) << Shown(boxes);
    EXPECT_EQ(Current(kFidStoredJobName), L"JOBS");
}

// In a document sheet opened from an application (no printing-preferences
// window to ask about), setting 5138 locks the annotations; without it they
// stay open, as they do outside a document sheet.
TEST_F(StampsPageWindow, AnnotationsFollowThePrintersLockInADocumentSheet)
{
    const struct {
        uint32_t sheetMode;
        uint32_t lock;
        bool enabled;
    } cases[] = {{kSheetDocument, 1, false}, {kSheetDocument, 0, true}, {kSheetDevice, 1, true}};
    for (const auto& c : cases) {
        ui_.sheetMode = c.sheetMode;
        Set(5138, c.lock);
        OpenPage();
        bool face = false, print = false, list = false;
        OpenFromPage(kAnnotationButton, [&](HWND dialog) {
            face = IsWindowEnabled(GetDlgItem(dialog, kAnnotationFace));
            print = IsWindowEnabled(GetDlgItem(dialog, kAnnotationPrint));
            list = IsWindowEnabled(GetDlgItem(dialog, kAnnotationList));
            ClickButton(dialog, kStampCancelButton);
        });
        ClosePage();
        EXPECT_EQ(face, c.enabled) << c.sheetMode << " " << c.lock;
        EXPECT_EQ(print, c.enabled) << c.sheetMode << " " << c.lock;
        EXPECT_TRUE(list);
    }
}

// Browse opens the open-file dialog with its title; cancelled, nothing changes.
TEST_F(StampsPageWindow, BrowseOpensTheFileDialog)
{
    ui_.capabilities.words[0] |= kCapStoredPrintFile;
    OpenPage();
    std::wstring title;
    ScriptNextModalDialog([&] { ClickButton(page_, kStoredFileBrowse); },
                          [&](HWND dialog) {
                              wchar_t text[128] = {};
                              GetWindowTextW(dialog, text, 128);
                              title = text;
                              CaptureWindowPng(dialog, "stamps_stored_file_browse");
                              PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                          });
    EXPECT_EQ(title, ResourceString(450));
    EXPECT_EQ(Current(kFidStoredJobFolder), L"");
}
