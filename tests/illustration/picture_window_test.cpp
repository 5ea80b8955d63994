// The picture machinery in real windows: transparent layers at the depths a
// display can have, the backgrounds of a picture control, the clickable
// control, and the settings illustration drawn from the resource file for
// characteristic settings (pictures in build/screens).
#include "common/context/value_by_type.h"
#include "common/system/module_files.h"
#include "tests/support/settings_pair_fixture.h"
#include "tests/support/window_capture.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/message_engine.h"
#include "ui/engine/ui_context.h"
#include "ui/illustration/caption_lines.h"
#include "ui/illustration/colour_sample.h"
#include "ui/illustration/illustration_layers.h"
#include "ui/illustration/layer_drawing.h"
#include "ui/illustration/model_pictures.h"
#include "ui/illustration/picture_control.h"
#include "ui/illustration/picture_statics.h"
#include "ui/illustration/picture_status.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kMagenta = RGB(255, 0, 255);

// A DIB section of `bits` per pixel; at 8 bits black is index 0 and white 255,
// as in the system palette.
HBITMAP MakeSection(HDC dc, int w, int h, int bits)
{
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } info{};
    info.header = {sizeof(BITMAPINFOHEADER), w, -h, 1, static_cast<WORD>(bits), BI_RGB, 0, 0, 0, 0, 0};
    if (bits == 8) {
        info.header.biClrUsed = 256;
        info.colours[1] = {0, 0, 255, 0};    // red
        info.colours[2] = {255, 0, 0, 0};    // blue
        info.colours[3] = {255, 0, 255, 0};  // magenta
        info.colours[4] = {0, 255, 0, 0};    // green
        info.colours[255] = {255, 255, 255, 0};
    }
    void* pixels = nullptr;
    return CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0);
}

// The layer's pixels: red with magenta at (1, 1) and (2, 3).
bool IsKeyed(int x, int y) { return (x == 1 && y == 1) || (x == 2 && y == 3); }

class LayerDepthTest : public ::testing::TestWithParam<int> {};

TEST_P(LayerDepthTest, MagentaPixelsLetTheTargetThrough)
{
    const int bits = GetParam();
    HDC screen = GetDC(nullptr);
    HDC target = CreateCompatibleDC(screen);
    HBITMAP canvas = MakeSection(screen, 8, 8, bits);
    HBITMAP layerBitmap = MakeSection(screen, 4, 4, bits);
    ASSERT_TRUE(target && canvas && layerBitmap);
    HGDIOBJ oldCanvas = SelectObject(target, canvas);
    HBRUSH blue = CreateSolidBrush(kBlue);
    RECT all{0, 0, 8, 8};
    FillRect(target, &all, blue);
    DeleteObject(blue);
    {
        HDC paint = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(paint, layerBitmap);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                SetPixelV(paint, x, y, IsKeyed(x, y) ? kMagenta : kRed);
        SelectObject(paint, old);
        DeleteDC(paint);
    }
    BitmapLayer layer{layerBitmap, 2, 2};
    ASSERT_EQ(DrawLayer(target, &layer, true), kPictureOk);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            bool inside = x >= 2 && x < 6 && y >= 2 && y < 6;
            COLORREF expected = inside && !IsKeyed(x - 2, y - 2) ? kRed : kBlue;
            EXPECT_EQ(GetPixel(target, x, y), expected) << bits << " bits at " << x << "," << y;
        }
    // Drawn opaque, the key colour is an ordinary colour.
    BitmapLayer fresh{MakeSection(screen, 4, 4, bits), 0, 0};
    {
        HDC paint = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(paint, fresh.bitmap);
        SetPixelV(paint, 1, 1, kMagenta);
        SelectObject(paint, old);
        DeleteDC(paint);
    }
    ASSERT_EQ(DrawLayer(target, &fresh, false), kPictureOk);
    EXPECT_EQ(GetPixel(target, 1, 1), kMagenta);
    DeleteObject(fresh.bitmap);
    SelectObject(target, oldCanvas);
    DeleteObject(canvas);
    DeleteObject(layerBitmap);
    DeleteDC(target);
    ReleaseDC(nullptr, screen);
}

INSTANTIATE_TEST_SUITE_P(Depths, LayerDepthTest, ::testing::Values(32, 24, 8));

TEST(PictureLoadingTest, ListsAndPalettes)
{
    EXPECT_EQ(FreeBitmapLayers(nullptr), 1);
    BitmapLayer* list = AllocateBitmapLayers(3);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list[0].bitmap, nullptr);
    EXPECT_EQ(FreeBitmapLayers(list), 0);

    // An 8-bit DIB of 2 x 2 with four colours stated.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[4];
        BYTE bits[8];
    } dib{{sizeof(BITMAPINFOHEADER), 2, 2, 1, 8, BI_RGB, 0, 0, 0, 4, 4},
          {{0, 0, 0, 0}, {0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}},
          {0, 1, 0, 0, 2, 3, 0, 0}};
    EXPECT_FALSE(DibNeedsPalette(&dib.header));  // four colours stated
    EXPECT_EQ(DibTotalSize(&dib.header), sizeof(dib));
    HPALETTE palette = CreateDibPalette(&dib.header, sizeof(dib));
    ASSERT_NE(palette, nullptr);
    PALETTEENTRY entries[4] = {};
    EXPECT_EQ(GetPaletteEntries(palette, 0, 4, entries), 4u);
    EXPECT_EQ(entries[1].peRed, 255);
    EXPECT_EQ(entries[3].peBlue, 255);
    DeleteObject(palette);
    // A header whose sizes exceed the bytes given is refused.
    HPALETTE none = nullptr;
    HBITMAP bitmap = nullptr;
    EXPECT_EQ(CreateBitmapFromDib(GetModuleHandleW(nullptr), nullptr, &dib.header, sizeof(dib) - 1, &none, &bitmap),
              kPictureFailed);
    EXPECT_EQ(bitmap, nullptr);
    dib.header.biHeight = 0x7FFFFFFF;
    EXPECT_EQ(DibTotalSize(&dib.header), 0u);
}

// A dialog window with a sheet and settings, holding the pictures.
class PictureWindowTest : public SettingsPairTest {
protected:
    static void SetUpTestSuite()
    {
        const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        fax_ = OpenSuitePrinter(L"F1800.DDD", L"Morva Illustration F1800");
        printer_model_ = OpenSuitePrinter(L"M2200.DDD", L"Morva Illustration M2200");
        colour_ = OpenSuitePrinter(L"C4530.DDD", L"Morva Illustration C4530");
    }
    static void TearDownTestSuite()
    {
        CloseSuitePrinter(colour_);
        CloseSuitePrinter(printer_model_);
        CloseSuitePrinter(fax_);
    }
    void OpenWindow(ModelPrinter* printer)
    {
        Open(printer);
        ui_.printer = Printer();
        ui_.settings = context_;
        ui_.permission = 1;
        LoadModelCapabilityWords(&ui_);
        SettingsSet set{settings_.data(), printer_settings_.data()};
        dialog_context_ = CreateDialogContext(nullptr, &ui_, &set, nullptr);
        ASSERT_NE(dialog_context_, nullptr);
        dialog_ = CreateWindowExW(0, L"#32770", L"Illustration", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 30, 30,
                                  320, 200, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(dialog_, nullptr);
        SetWindowLongPtrW(dialog_, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog_context_));
        control_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 10, 10, 200, 130, dialog_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(kControlId)), nullptr, nullptr);
        ASSERT_NE(control_, nullptr);
        ASSERT_EQ(InitCallContext(&call_, dialog_, nullptr, 0, WM_INITDIALOG, kDialogTypePage), 1);
    }
    void TearDown() override
    {
        if (dialog_)
            DestroyWindow(dialog_);
        FreePictureControlChain(&ui_);
        FreeDialogContext(&dialog_context_);
        SettingsPairTest::TearDown();
    }
    void Install(const PictureParameters* parameters)
    {
        item_ = {kControlId, -1, nullptr, 14, nullptr, parameters, kNoControl, kNoControl, nullptr};
        OnBitmapPictureItem(&call_, WM_INITDIALOG, 0, 0, &item_, parameters);
    }
    COLORREF Pixel(int x, int y)
    {
        HDC dc = GetDC(control_);
        COLORREF colour = GetPixel(dc, x, y);
        ReleaseDC(control_, dc);
        return colour;
    }
    static void Pump()
    {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    static constexpr int kControlId = 1100;
    static ModelPrinter* fax_;
    static ModelPrinter* printer_model_;
    static ModelPrinter* colour_;
    UiContext ui_{};
    DialogContext* dialog_context_ = nullptr;
    HWND dialog_ = nullptr;
    HWND control_ = nullptr;
    CallContext call_{};
    ItemRecord item_{};
};
ModelPrinter* PictureWindowTest::fax_ = nullptr;
ModelPrinter* PictureWindowTest::printer_model_ = nullptr;
ModelPrinter* PictureWindowTest::colour_ = nullptr;

TEST_F(PictureWindowTest, TheSnapshotOfTheSettings)
{
    OpenWindow(colour_);
    SettingsSet* current = dialog_context_->current;
    IllustrationState state{};
    ASSERT_EQ(BuildIllustrationState(current->settings, dialog_, &state), 0);
    EXPECT_EQ(state.orientation, 1);
    EXPECT_EQ(state.pagesPerSheet, 1);
    EXPECT_EQ(state.sheetOrientation, 1);
    EXPECT_EQ(state.duplex, 1);
    EXPECT_EQ(state.collate, 1u);  // the model's default is on
    EXPECT_EQ(state.stampName, nullptr);
    ASSERT_EQ(WriteSettingNumber(295, current->settings, current->printerSettings, 2), 1);
    ASSERT_EQ(WriteSettingNumber(18, current->settings, current->printerSettings, 0), 1);
    ASSERT_EQ(BuildIllustrationState(current->settings, dialog_, &state), 0);
    EXPECT_EQ(state.pagesPerSheet, 2);
    EXPECT_EQ(state.sheetOrientation, 2);
    EXPECT_EQ(state.collate, 0u);
    EXPECT_EQ(BuildIllustrationState(nullptr, dialog_, &state), 2);
    EXPECT_EQ(BuildIllustrationState(current->settings, control_, &state), 2);  // no dialog settings
}

TEST_F(PictureWindowTest, BackgroundsOfAnEmptyList)
{
    OpenWindow(fax_);
    HMODULE module = GetResourceModule();
    ASSERT_NE(module, nullptr);
    BitmapLayer none{};
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    ASSERT_EQ(DrawBitmapLayersToWindow(module, control_, &none, nullptr, true, true, kBackgroundSaved), kPictureOk);
    EXPECT_EQ(Pixel(50, 50), face);  // no saved background yet
    ASSERT_EQ(DrawBitmapLayersToWindow(module, control_, &none, nullptr, true, true, kBackgroundPattern), kPictureOk);
    COLORREF tile = Pixel(1, 0);
    EXPECT_EQ(tile, RGB(212, 212, 212));  // the light grey of pattern 374

    // With a saved background, value 0 draws it; the button-face mode does not.
    ASSERT_EQ(SavePictureBackground(control_, 0, 0), kPictureOk);
    PictureControlRecord* saved = FindPictureControl(&ui_, kControlId);
    ASSERT_NE(saved, nullptr);
    HBRUSH green = CreateSolidBrush(RGB(0, 128, 0));
    RECT area{0, 0, 200, 130};
    FillRect(saved->memoryDc, &area, green);
    DeleteObject(green);
    ASSERT_EQ(DrawBitmapLayersToWindow(module, control_, &none, nullptr, true, true, kBackgroundSaved), kPictureOk);
    EXPECT_EQ(Pixel(100, 60), RGB(0, 128, 0));
    uint32_t value = 99;
    ASSERT_TRUE(BackgroundForMode(kBackgroundModeButtonFace, &value));
    ASSERT_EQ(DrawBitmapLayersToWindow(module, control_, &none, nullptr, true, true, value), kPictureOk);
    EXPECT_EQ(Pixel(100, 60), face);
    EXPECT_FALSE(BackgroundForMode(4, &value));
    EXPECT_EQ(DrawBitmapLayersToWindow(module, control_, nullptr, nullptr, true, true, value), kPictureBadArgument);
}

TEST_F(PictureWindowTest, AClickablePictureTakesClicksAndShowsTheHand)
{
    OpenWindow(fax_);
    static const PictureParameters parameters{nullptr, 7000, nullptr, 77, 1, kBackgroundModeButtonFace, 0};
    const ULONG_PTR styleBefore = GetClassLongPtrW(control_, GCL_STYLE);
    Install(&parameters);
    EXPECT_EQ(GetPropW(control_, kPictureItemProperty), &item_);
    EXPECT_EQ(GetClassLongPtrW(control_, GCL_STYLE), styleBefore);  // the class is every static's
    Pump();

    EXPECT_EQ(SendMessageW(control_, WM_SETCURSOR, reinterpret_cast<WPARAM>(control_), MAKELPARAM(HTCLIENT, 0)), 1);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    for (UINT click : {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}) {
        SendMessageW(control_, click, MK_LBUTTON, MAKELPARAM(5, 5));
        MSG message{};
        ASSERT_TRUE(PeekMessageW(&message, dialog_, kEventCycleOption, kEventCycleOption, PM_REMOVE)) << click;
        EXPECT_EQ(message.wParam, 77u);
    }
    // The picture of the parameter block is drawn.
    RedrawWindow(control_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    // One layer at the control's corner.
    EXPECT_EQ(Pixel(2, 2), RGB(255, 255, 255));
    EXPECT_EQ(Pixel(77 + 1, 50), RGB(188, 188, 188)) << "the sheet's shadow";
    EXPECT_EQ(Pixel(150, 50), GetSysColor(COLOR_BTNFACE));
}

// The colour model's one picture is shown while the colour mode is 2.
TEST_F(PictureWindowTest, ModelPicturesFollowTheirConditions)
{
    OpenWindow(colour_);
    auto layers = [&](int control) {
        BitmapLayer* list = nullptr;
        HPALETTE palette = nullptr;
        std::vector<int> positions;
        EXPECT_EQ(ModelPictureLayers(GetResourceModule(), dialog_, control, &list, &palette), kPictureOk);
        for (BitmapLayer* layer = list; layer && layer->bitmap; ++layer)
            positions.push_back(layer->x * 1000 + layer->y);
        FreeBitmapLayers(list);
        if (palette)
            DeleteObject(palette);
        return positions;
    };
    SettingsSet* current = dialog_context_->current;
    ASSERT_EQ(WriteSettingNumber(270, current->settings, current->printerSettings, 2), 1);
    EXPECT_EQ(layers(kPrinterPictureControl), (std::vector<int>{32032}));
    EXPECT_EQ(layers(kModelPictureControl), (std::vector<int>{32032}));  // 270 does not count there
    ASSERT_EQ(WriteSettingNumber(270, current->settings, current->printerSettings, 1), 1);
    EXPECT_EQ(layers(kPrinterPictureControl), (std::vector<int>{}));
}

// The colour sample static: prepared when the page is shown, recoloured by
// the settings at each paint, freed when the page is left.
TEST_F(PictureWindowTest, TheColourSampleFollowsTheColourSettings)
{
    OpenWindow(fax_);
    HWND sample = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 220, 10, 96, 64, dialog_,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kColourSampleControl)), nullptr, nullptr);
    ASSERT_NE(sample, nullptr);
    ItemRecord item{kColourSampleControl, -1, nullptr, 0, OnPictureStaticItem, nullptr, kNoControl, kNoControl, nullptr};
    OnPictureStaticItem(&call_, WM_INITDIALOG, 0, 0, &item, nullptr);
    NMHDR activate{dialog_, 0, static_cast<UINT>(PSN_SETACTIVE)};
    OnPictureStaticItem(&call_, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&activate), &item, nullptr);
    SettingsSet* current = dialog_context_->current;
    ASSERT_EQ(WriteSettingNumber(270, current->settings, current->printerSettings, 2), 1);
    RedrawWindow(sample, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(sample);
    COLORREF colour = GetPixel(dc, 10, 10);
    ReleaseDC(sample, dc);
    EXPECT_NE(GetRValue(colour), GetBValue(colour));  // a picture in colour
    EXPECT_TRUE(CaptureWindowPng(dialog_, "colour_sample_colour"));
    ASSERT_EQ(WriteSettingNumber(270, current->settings, current->printerSettings, 1), 1);
    RedrawWindow(sample, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    dc = GetDC(sample);
    colour = GetPixel(dc, 10, 10);
    ReleaseDC(sample, dc);
    EXPECT_EQ(GetRValue(colour), GetGValue(colour));
    EXPECT_EQ(GetGValue(colour), GetBValue(colour));
    EXPECT_TRUE(CaptureWindowPng(dialog_, "colour_sample_grey"));
    NMHDR leave{dialog_, 0, static_cast<UINT>(PSN_KILLACTIVE)};
    OnPictureStaticItem(&call_, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&leave), &item, nullptr);
    EXPECT_EQ(PaintColourSample(sample), kPictureResourceMissing);
}

// The option icons follow their settings.
TEST_F(PictureWindowTest, OptionIconsFollowTheirSettings)
{
    OpenWindow(fax_);
    HWND icon = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_ICON, 220, 10, 32, 32, dialog_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(1199)), nullptr, nullptr);
    ASSERT_NE(icon, nullptr);
    SettingsSet* current = dialog_context_->current;
    ASSERT_EQ(WriteSettingNumber(267, current->settings, current->printerSettings, 4), 1);
    ASSERT_EQ(WriteSettingNumber(437, current->settings, current->printerSettings, 2), 1);
    EXPECT_EQ(SetSettingsIcon(dialog_, 1199), kPictureOk);
    EXPECT_NE(SendMessageW(icon, STM_GETICON, 0, 0), 0);
    EXPECT_EQ(SetSettingsIcon(dialog_, 1531), kPictureOk);  // no such control: the message goes nowhere
    EXPECT_TRUE(CaptureWindowPng(dialog_, "option_icon"));
}

// A scaled picture fills its control whatever the bitmap's own size.
TEST_F(PictureWindowTest, AScaledPictureFillsItsControl)
{
    OpenWindow(fax_);
    static const PictureParameters parameters{nullptr, 5138, PaintScaledPicture, 0, 0, 0, 0};
    Install(&parameters);
    RedrawWindow(control_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    // The 64 x 48 picture's light grey ground reaches the far corner of the 200 x 130 control.
    EXPECT_EQ(Pixel(199, 1), RGB(224, 224, 224));
    EXPECT_EQ(Pixel(1, 128), RGB(224, 224, 224));
    EXPECT_TRUE(CaptureWindowPng(dialog_, "scaled_picture"));
}

TEST_F(PictureWindowTest, PrinterModelsShowNoIllustration)
{
    OpenWindow(printer_model_);
    BitmapLayer* list = nullptr;
    HPALETTE palette = nullptr;
    EXPECT_EQ(IllustrationLayerProvider(GetResourceModule(), dialog_, kControlId, &list, &palette),
              kPictureResourceMissing);
    EXPECT_EQ(list, nullptr);
}

TEST_F(PictureWindowTest, TheFaxModelsIllustrationFromItsSettings)
{
    OpenWindow(fax_);
    static const PictureParameters parameters{IllustrationLayerProvider, 0, nullptr, 0, 1, kBackgroundModeButtonFace,
                                              0};
    Install(&parameters);
    BitmapLayer* list = nullptr;
    HPALETTE palette = nullptr;
    ASSERT_EQ(IllustrationLayerProvider(GetResourceModule(), dialog_, kControlId, &list, &palette), kPictureOk);
    std::vector<int> positions;
    for (BitmapLayer* layer = list; layer && layer->bitmap; ++layer)
        positions.push_back(layer->x * 1000 + layer->y);
    FreeBitmapLayers(list);
    if (palette)
        DeleteObject(palette);
    // Sheet, page and mark: the fax model prints in black and a fax job
    // shows no collation.
    EXPECT_EQ(positions, (std::vector<int>{95015, 104024, 2000}));
    Pump();
    RedrawWindow(dialog_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_EQ(Pixel(5, 3), RGB(204, 255, 255));  // the mark's face at (2, 0)
    EXPECT_EQ(Pixel(5, 35), GetSysColor(COLOR_BTNFACE));  // no collation square
    EXPECT_TRUE(CaptureWindowPng(dialog_, "illustration_fax_defaults"));
}

TEST_F(PictureWindowTest, CaptionLinesOfAFaxJob)
{
    OpenWindow(fax_);
    IllustrationState state = DefaultIllustrationState();
    const wchar_t stamp[] = L"Draft";
    state.stampName = stamp;
    state.annotation = 1;
    CaptionSources sources{context_, true, false};
    CaptionLine lines[kCaptionLineCount];
    ASSERT_EQ(BuildCaptionLinesFrom(&state, &sources, lines), 1);
    EXPECT_EQ(lines[0].shown, 1u);
    EXPECT_NE(std::wstring(lines[0].text).find(L": "), std::wstring::npos) << lines[0].text;
    EXPECT_EQ(lines[1].shown, 0u);  // a fax job: no collation
    EXPECT_STREQ(lines[1].text, L"");
    EXPECT_EQ(lines[2].shown, 0u);
    EXPECT_EQ(lines[3].shown, 1u);
    EXPECT_STREQ(lines[3].text, L"Stamp: Draft; Annotation: On");
    EXPECT_EQ(lines[4].shown, 0u);
    EXPECT_EQ(lines[5].shown, 0u);

    // The collation of a printer job comes from the model's option texts.
    sources.faxJob = false;
    state.collate = 1;
    ASSERT_EQ(BuildCaptionLinesFrom(&state, &sources, lines), 1);
    EXPECT_STREQ(lines[1].text, L"Collate: On");
    // A value no option holds fails the build.
    state.collate = 7;
    EXPECT_EQ(BuildCaptionLinesFrom(&state, &sources, lines), 0);
    EXPECT_EQ(lines[1].shown, 0u);
}

TEST_F(PictureWindowTest, AnOptionTextEndsAtItsLastReturn)
{
    OpenWindow(printer_model_);
    wchar_t text[kCaptionLineChars] = {};
    ASSERT_EQ(AppendSettingCaption(context_, 13, 0, text, 1), 1);  // "Tray 1 \r250 sheets"
    EXPECT_STREQ(text, L"Paper Source: Tray 1 ");
    text[0] = 0;
    EXPECT_EQ(AppendSettingCaption(context_, 13, 0, text, 99), 0);
    EXPECT_EQ(AppendSettingCaption(context_, 9999, 0, text, 1), 0);
}

TEST_F(PictureWindowTest, CaptionSquaresFollowTheShownLines)
{
    OpenWindow(fax_);
    static const PictureParameters parameters{IllustrationLayerProvider, 0, nullptr, 0, 1, kBackgroundModeButtonFace,
                                              0};
    item_ = {kControlId, -1, nullptr, 14, OnIllustrationItem, &parameters, kNoControl, kNoControl, nullptr};
    OnIllustrationItem(&call_, WM_INITDIALOG, 0, 0, &item_, &parameters);
    EXPECT_NE(GetDlgItem(dialog_, kIllustrationOverlayId), nullptr);
    HWND tooltip = GetUiTooltipWindow(&ui_, kDialogTypePage);
    ASSERT_NE(tooltip, nullptr);
    EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), kCaptionLineCount);
    OnIllustrationItem(&call_, kEventRefresh, 0, 0, &item_, &parameters);
    auto toolRect = [&](UINT tool) {
        TOOLINFOW info{};
        info.cbSize = sizeof(info);
        info.hwnd = dialog_;
        info.uId = tool;
        SendMessageW(tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info));
        return info.rect;
    };
    RECT first = toolRect(kCaptionFirstTool);
    EXPECT_EQ(first.left, 10 + 2);
    EXPECT_EQ(first.top, 10);
    EXPECT_EQ(first.right - first.left, 32);
    RECT collation = toolRect(kCaptionFirstTool + 1);
    EXPECT_TRUE(IsRectEmpty(&collation));
    EXPECT_EQ(CaptionToolRect(RECT{10, 10, 210, 140}, 5, true).left, 10 + 2 + 34);
    EXPECT_EQ(CaptionToolRect(RECT{10, 10, 210, 140}, 5, true).top, 10 + 32);
    FreeSummaryLayout(&ui_);
    EXPECT_EQ(GetUiSummaryBuffer(&ui_), nullptr);
}

// The illustration of a snapshot, drawn by the control through a provider of
// the test's own: the rows the snapshot chooses, from the resource file.
IllustrationState g_state;
IllustrationModel g_model;
uint16_t SnapshotProvider(HMODULE module, HWND dialog, int controlId, BitmapLayer** list, HPALETTE* palette)
{
    IllustrationEntryList entries{};
    uint16_t status = ChooseIllustrationRows(&g_state, &g_model, &entries);
    if (status != kPictureOk)
        return status;
    return AssembleIllustrationLayers(module, GetDlgItem(dialog, controlId), &entries, list, palette);
}

struct Snapshot {
    const char* name;
    void (*set)(IllustrationState&, IllustrationModel&);
};

const Snapshot kSnapshots[] = {
    {"1up_portrait", [](IllustrationState&, IllustrationModel&) {}},
    {"1up_landscape_grey", [](IllustrationState& s, IllustrationModel&) { s.orientation = 2, s.colourMode = 1; }},
    {"2up", [](IllustrationState& s, IllustrationModel&) { s.pagesPerSheet = 2, s.pageOrder = 1; }},
    {"4up_down_then_across", [](IllustrationState& s, IllustrationModel&) { s.pagesPerSheet = 4, s.pageOrder = 4; }},
    {"16up_landscape", [](IllustrationState& s, IllustrationModel&) {
         s.pagesPerSheet = 16, s.pageOrder = 3, s.orientation = 2; }},
    {"duplex_long_edge_stapled", [](IllustrationState& s, IllustrationModel&) {
         s.duplex = 2, s.setting320 = 1, s.collate = 1; }},
    {"duplex_2up_punched", [](IllustrationState& s, IllustrationModel&) {
         s.duplex = 3, s.pagesPerSheet = 2, s.pageOrder = 1, s.setting341 = 2, s.setting445 = 1; }},
    {"booklet", [](IllustrationState& s, IllustrationModel&) {
         s.layoutKind = 2, s.setting446 = 1, s.setting320 = 11; }},
    {"poster", [](IllustrationState& s, IllustrationModel&) { s.layoutKind = 1, s.layoutVariant = 771; }},
    {"folded", [](IllustrationState& s, IllustrationModel&) { s.layoutKind = 1, s.layoutVariant = 259; }},
    {"stamp_annotation_tray", [](IllustrationState& s, IllustrationModel&) {
         static const wchar_t name[] = L"Draft";
         s.stampName = name, s.annotation = 1, s.setting448 = 3, s.setting450 = 1, s.setting1313 = 1; }},
    {"fax", [](IllustrationState& s, IllustrationModel& m) { m.faxJob = true, s.collate = 1, s.setting448 = 2; }},
};

TEST_F(PictureWindowTest, PicturesOfCharacteristicSettings)
{
    OpenWindow(fax_);
    static const PictureParameters parameters{SnapshotProvider, 0, nullptr, 0, 1, kBackgroundModeButtonFace, 0};
    Install(&parameters);
    for (const Snapshot& snapshot : kSnapshots) {
        SCOPED_TRACE(snapshot.name);
        g_state = DefaultIllustrationState();
        g_model = IllustrationModel{};
        snapshot.set(g_state, g_model);
        g_state.sheetOrientation = SheetOrientation(g_state.orientation, g_state.pagesPerSheet);
        IllustrationEntryList entries{};
        ASSERT_EQ(ChooseIllustrationRows(&g_state, &g_model, &entries), kPictureOk);
        Pump();
        RedrawWindow(dialog_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        // The sheet lies where its row says.
        const LayerTableRow* sheet = nullptr;
        for (uint32_t i = 0; i < entries.count; ++i)
            if (entries.entries[i].table == kTableSheet)
                sheet = IllustrationRow(&entries.entries[i]);
        if (sheet) {
            EXPECT_EQ(Pixel(sheet->x + 2, sheet->y + 2), RGB(255, 255, 255));
            EXPECT_EQ(Pixel(sheet->x - 2, sheet->y - 2), GetSysColor(COLOR_BTNFACE));
        }
        EXPECT_TRUE(CaptureWindowPng(dialog_, std::string("illustration_") + snapshot.name));
    }
}

// Every generated picture once, in grids of 12 x 9, for a person to look over.
TEST_F(PictureWindowTest, ContactSheetsOfThePictures)
{
    OpenWindow(fax_);
    HMODULE module = GetResourceModule();
    std::vector<UINT> ids;
    for (int t = 0; t < kLayerTableCount; ++t)
        for (uint32_t r = 0; r < kLayerTables[t].count; ++r)
            if (UINT id = kLayerTables[t].rows[r].bitmap; id && std::find(ids.begin(), ids.end(), id) == ids.end())
                ids.push_back(id);
    for (UINT id = 895; id <= 948; ++id)
        ids.push_back(id);
    ids.insert(ids.end(), {373, 374});
    std::sort(ids.begin(), ids.end());
    constexpr int kCell = 104, kColumns = 12, kRows = 9, kPerSheet = kColumns * kRows;
    const RECT all{0, 0, kColumns * kCell, kRows * kCell};
    HDC screen = GetDC(nullptr);
    for (size_t first = 0, page = 1; first < ids.size(); first += kPerSheet, ++page) {
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP grid = CreateCompatibleBitmap(screen, all.right, all.bottom);
        HGDIOBJ old = SelectObject(dc, grid);
        FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
        for (size_t i = first; i < ids.size() && i < first + kPerSheet; ++i) {
            HPALETTE palette = nullptr;
            HBITMAP bitmap = nullptr;
            if (LoadPaletteBitmap(module, dialog_, ids[i], &palette, &bitmap) != kPictureOk) {
                ADD_FAILURE() << "bitmap " << ids[i];
                continue;
            }
            BITMAP info{};
            GetObjectW(bitmap, sizeof(info), &info);
            EXPECT_LE(info.bmWidth, kCell - 2) << ids[i];
            EXPECT_LE(info.bmHeight, kCell - 2) << ids[i];
            int slot = static_cast<int>(i - first);
            BitmapLayer layer{bitmap, (slot % kColumns) * kCell + 1, (slot / kColumns) * kCell + 1};
            EXPECT_EQ(DrawLayer(dc, &layer, true), kPictureOk) << ids[i];
            DeleteObject(bitmap);
            if (palette)
                DeleteObject(palette);
        }
        SelectObject(dc, old);
        DeleteDC(dc);
        HWND holder = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE | SS_BITMAP, 0, 0, all.right,
                                      all.bottom, nullptr, nullptr, nullptr, nullptr);
        SendMessageW(holder, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(grid));
        EXPECT_TRUE(CaptureWindowPng(holder, "illustration_pictures_" + std::to_string(page)));
        DestroyWindow(holder);
        DeleteObject(grid);
    }
    ReleaseDC(nullptr, screen);
}

}  // namespace
