#include "ui/pages/logo_dialog.h"

#include "common/config/site_config.h"
#include "common/context/settings_context.h"
#include "common/model/model_data.h"
#include "common/model/model_kinds.h"
#include "common/model/model_section.h"
#include "common/system/module_files.h"
#include "ui/controls/control_kinds.h"
#include "ui/controls/kind_params.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/message_engine.h"
#include "ui/engine/ui_context.h"
#include "ui/entry/preferences_host.h"
#include "ui/illustration/picture_loading.h"
#include "ui/illustration/picture_statics.h"
#include "ui/pages/settings_list_ids.h"
#include "ui/pages/version_text.h"

#include <cwchar>
#include <cwctype>
#include <iterator>

namespace {

constexpr wchar_t kPaletteProperty[] = L"PROP_LOGOBMP_PALHNDL";
constexpr uint16_t kFidWebButton = 36877;
constexpr int kAboutChars = 1024;
constexpr int kLineChars = 128;
constexpr int kFaceChars = LF_FACESIZE;
// Slots of the engine's message table this dialog serves itself.
constexpr int32_t kSlotInitDialog = 1;
constexpr int32_t kSlotQueryNewPalette = 26;
constexpr int32_t kSlotPaletteChanged = 27;
constexpr int32_t kSlotPaint = 28;
constexpr int32_t kSlotDestroy = 30;
constexpr int kModalRow = 2;  // the engine's handler row of dialog type 4
constexpr int kLogoDpi = 96;  // the texts over the logo are sized for the unscaled bitmap

// Shared by every open logo dialog of the process (all on window threads of
// the sheets; not locked, as the sheets' own state is not).
LogoDialogFonts g_fonts{};

bool IsLogoMode(HWND dialog) { return GetDlgItem(dialog, kLogoPicture) != nullptr; }

SettingsContext* ContextOf(HWND dialog) { return GetUiSettingsContext(GetWindowUiContext(dialog)); }

// A model data string (empty when absent) into `out`.
void ModelString(SettingsContext* context, uint16_t section, wchar_t* out, int chars)
{
    out[0] = 0;
    wchar_t* text = nullptr;
    if (context && context->main && ReadModelSectionString(context->main, section, 0, &text) == kModelOk && text)
        wcsncpy(out, text, static_cast<size_t>(chars) - 1);
    if (text)
        GlobalFree(text);
}

bool ResourceText(UINT id, wchar_t* out, int chars)
{
    out[0] = 0;
    return LoadStringW(GetResourceModule(), id, out, chars) > 0;
}

// Face and size from two resource strings over the template's; a missing
// string leaves the template's value.
void TakeFaceAndSize(LOGFONTW* font, UINT faceId, UINT pointsId, int dpi)
{
    wchar_t text[kFaceChars] = {};
    if (ResourceText(faceId, text, kFaceChars))
        wcsncpy(font->lfFaceName, text, kFaceChars - 1);
    if (ResourceText(pointsId, text, kFaceChars)) {
        const int points = _wtoi(text);
        if (points > 0)
            font->lfHeight = -MulDiv(points, dpi, 72);
    }
}

LOGFONTW FontTemplate(HWND dialog)
{
    LOGFONTW font{};
    font.lfHeight = 12;
    font.lfWeight = FW_NORMAL;
    wcscpy(font.lfFaceName, L"Arial");
    LOGFONTW dialogFont{};
    HFONT current = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    const BYTE dialogCharset =
        current && GetObjectW(current, sizeof dialogFont, &dialogFont) ? dialogFont.lfCharSet : DEFAULT_CHARSET;
    wchar_t configured[8] = {};
    ResourceText(kStringFontCharset, configured, 8);
    font.lfCharSet = LogoFontCharset(dialogCharset, configured);
    return font;
}

int ScreenDpi(HWND dialog)
{
    HDC dc = GetDC(dialog);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(dialog, dc);
    return dpi;
}

// Creates the fonts the dialog's mode needs that do not exist yet.
void EnsureFonts(HWND dialog, bool logo)
{
    const int dpi = ScreenDpi(dialog);
    if (!g_fonts.title) {
        LOGFONTW font = FontTemplate(dialog);
        font.lfHeight = -MulDiv(18, dpi, 72);
        font.lfWeight = FW_BOLD;
        TakeFaceAndSize(&font, kStringTitleFace, kStringTitlePoints, dpi);
        g_fonts.title = CreateFontIndirectW(&font);
    }
    LOGFONTW text = FontTemplate(dialog);
    if (logo) {
        text.lfHeight = -MulDiv(10, kLogoDpi, 72);
        text.lfWeight = FW_BOLD;
        TakeFaceAndSize(&text, kStringLogoTextFace, kStringLogoTextPoints, kLogoDpi);
    } else {
        text.lfHeight = -MulDiv(9, dpi, 72);
        TakeFaceAndSize(&text, kStringTextFace, kStringTextPoints, dpi);
    }
    if (!g_fonts.text)
        g_fonts.text = CreateFontIndirectW(&text);
    if (logo && !g_fonts.logoText) {
        text.lfWeight = FW_NORMAL;
        g_fonts.logoText = CreateFontIndirectW(&text);
    }
}

// Sets a text and its font; an unchanged text is left alone, so that painting
// does not make the control paint again and again.
void SetControlText(HWND dialog, int32_t id, HFONT font, const wchar_t* text)
{
    HWND control = GetDlgItem(dialog, id);
    if (!control || !text)
        return;
    if (font && reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)) != font)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    const int length = GetWindowTextLengthW(control);
    wchar_t shown[kAboutChars] = {};
    if (length < kAboutChars)
        GetWindowTextW(control, shown, kAboutChars);
    if (length >= kAboutChars || wcscmp(shown, text) != 0)
        SetWindowTextW(control, text);
}

// The texts of the dialog, at initialisation and again at each paint. One set
// of controls per mode: 1215 and 1213 without a logo; 1219, 1220 and 1222 over
// the logo. (1223 is not used: the note over the logo is 1222.)
void SetLogoDialogTexts(HWND dialog)
{
    const bool logo = IsLogoMode(dialog);
    EnsureFonts(dialog, logo);
    SettingsContext* context = ContextOf(dialog);
    wchar_t title[kLineChars];
    ModelString(context, kModelSectionTitle, title, kLineChars);
    if (title[0])
        SetControlText(dialog, logo ? kLogoOverTitle : kLogoTitleText, g_fonts.title, title);
    wchar_t* about = nullptr;
    if (BuildAboutText(dialog, context, &about, kAboutVersion, logo)) {
        SetControlText(dialog, logo ? kLogoOverVersion : kLogoVersionText, g_fonts.text, about);
        GlobalFree(about);
    }
    if (logo && BuildAboutText(dialog, context, &about, kAboutNote, logo)) {
        SetControlText(dialog, kLogoOverNote, g_fonts.logoText, about);
        GlobalFree(about);
    }
}

// The comment of the site configuration under its heading; without a comment
// the control is hidden (the heading alone would say nothing).
void ShowConfigComment(HWND dialog)
{
    HWND control = GetDlgItem(dialog, kLogoCommentText);
    if (!control)
        return;
    SettingsContext* context = ContextOf(dialog);
    wchar_t* path = context ? GetSiteConfigFilePath(context) : nullptr;
    wchar_t* model = context ? GetModelName(context, nullptr) : nullptr;
    wchar_t* comment = path && model ? ReadConfigComment(model, path) : nullptr;
    if (comment && comment[0]) {
        wchar_t heading[kLineChars] = {};
        ResourceText(kStringCommentHeading, heading, kLineChars);
        const size_t chars = wcslen(heading) + 2 + wcslen(comment) + 1;
        if (auto* text = static_cast<wchar_t*>(GlobalAlloc(GPTR, chars * sizeof(wchar_t)))) {
            swprintf(text, chars, L"%ls\r\n%ls", heading, comment);
            SetWindowTextW(control, text);
            GlobalFree(text);
        }
        ShowWindow(control, SW_SHOW);
    } else {
        ShowWindow(control, SW_HIDE);
    }
    for (wchar_t* block : {path, model, comment})
        if (block)
            GlobalFree(block);
}

RECT ChildRect(HWND dialog, int32_t id)
{
    RECT box{};
    HWND control = GetDlgItem(dialog, id);
    if (control) {
        GetWindowRect(control, &box);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
    }
    return box;
}

void MoveChild(HWND dialog, int32_t id, int x, int y, int width, int height)
{
    if (HWND control = GetDlgItem(dialog, id))
        SetWindowPos(control, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The logo bitmap of the model data into 1221, with its palette as a property.
bool ShowLogoBitmap(HWND dialog)
{
    SettingsContext* context = ContextOf(dialog);
    HWND picture = GetDlgItem(dialog, kLogoPicture);
    if (!context || !picture)
        return false;
    ModelSection* section = nullptr;
    if (GetModelStringEntry(context->main, context->linked, kModelSectionLogo, nullptr, nullptr, &section) !=
            kModelOk ||
        !section)
        return false;
    const PictureSection* logo = AsPicture(section);
    HPALETTE palette = nullptr;
    HBITMAP bitmap = nullptr;
    const auto* dib = logo && !logo->data.empty() ? reinterpret_cast<const BITMAPINFOHEADER*>(logo->data.data())
                                                  : nullptr;
    const uint16_t status =
        dib ? CreateBitmapFromDib(GetResourceModule(), dialog, dib, logo->data.size(), &palette, &bitmap) : 1;
    FreeModelSection(&section, kKindOwn);
    if (status != 0 || !bitmap) {
        if (palette)
            DeleteObject(palette);
        return false;
    }
    if (palette)
        SetPropW(picture, kPaletteProperty, palette);
    SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    return true;
}

// The dialog grows to the bitmap; the texts keep their place over the
// unscaled bitmap, the buttons move with the grown edges.
void LayOutToLogo(HWND dialog)
{
    RECT client{};
    GetClientRect(dialog, &client);
    const RECT logo = ChildRect(dialog, kLogoPicture);
    const RECT area = ChildRect(dialog, kLogoArea);
    const int extraWidth = logo.right - client.right;
    const int extraHeight = logo.bottom - area.bottom;
    RECT frame{};
    GetWindowRect(dialog, &frame);
    SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left + extraWidth, frame.bottom - frame.top + extraHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    HDC dc = GetDC(dialog);
    const int dpiX = GetDeviceCaps(dc, LOGPIXELSX), dpiY = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(dialog, dc);
    for (int32_t id : {kLogoOverTitle, kLogoOverVersion, kLogoOverNote, kLogoCommentText}) {
        const RECT box = ChildRect(dialog, id);
        MoveChild(dialog, id, MulDiv(box.left, kLogoDpi, dpiX), MulDiv(box.top, kLogoDpi, dpiY),
                  MulDiv(box.right - box.left, kLogoDpi, dpiX), MulDiv(box.bottom - box.top, kLogoDpi, dpiY));
    }
    for (int32_t id : {kLogoWebButton, kLogoOkButton}) {
        const RECT box = ChildRect(dialog, id);
        MoveChild(dialog, id, box.left + extraWidth, box.top + extraHeight, box.right - box.left,
                  box.bottom - box.top);
    }
    ShowWindow(GetDlgItem(dialog, kLogoArea), SW_HIDE);
    ShowWindow(GetDlgItem(dialog, kLogoCommentText), SW_HIDE);
}

INT_PTR RunEngineSlot(int32_t slot, HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t code,
                      HandlerArgs* args)
{
    SlotHandler engine = SlotHandlerTable.handlers[kModalRow][slot];
    return engine ? engine(window, message, wParam, lParam, code, args) : 0;
}

INT_PTR InitLogoDialog(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t code, HandlerArgs* args)
{
    const INT_PTR result = RunEngineSlot(kSlotInitDialog, window, message, wParam, lParam, code, args);
    ++g_fonts.openDialogs;
    ShowConfigComment(window);
    const CapabilityBits* capabilities = GetModelCapabilityFlags(GetWindowUiContext(window));
    if (!capabilities || !TestCapabilityBit(capabilities, kModelPictureCapability))
        ShowWindow(GetDlgItem(window, kLogoModelPicture), SW_HIDE);
    SetLogoDialogTexts(window);
    if (IsLogoMode(window) && ShowLogoBitmap(window))
        LayOutToLogo(window);
    return result;
}

INT_PTR PaintLogoDialog(HWND window, UINT, WPARAM, LPARAM, int32_t, HandlerArgs*)
{
    PAINTSTRUCT paint{};
    BeginPaint(window, &paint);
    SetLogoDialogTexts(window);
    EndPaint(window, &paint);
    return 0;
}

void RealiseLogoPalette(HWND window)
{
    HWND picture = GetDlgItem(window, kLogoPicture);
    auto* palette = picture ? static_cast<HPALETTE>(GetPropW(picture, kPaletteProperty)) : nullptr;
    if (!palette)
        return;
    HDC dc = GetDC(picture);
    HPALETTE old = SelectPalette(dc, palette, FALSE);
    RealizePalette(dc);
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    if (old)
        SelectPalette(dc, old, FALSE);
    ReleaseDC(picture, dc);
}

INT_PTR OnLogoQueryNewPalette(HWND window, UINT, WPARAM, LPARAM, int32_t, HandlerArgs*)
{
    RealiseLogoPalette(window);
    return TRUE;
}

INT_PTR OnLogoPaletteChanged(HWND window, UINT, WPARAM wParam, LPARAM, int32_t, HandlerArgs*)
{
    if (reinterpret_cast<HWND>(wParam) != window)
        RealiseLogoPalette(window);
    return 0;
}

void DeleteFont(HFONT* font)
{
    if (*font)
        DeleteObject(*font);
    *font = nullptr;
}

INT_PTR DestroyLogoDialog(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t code, HandlerArgs* args)
{
    // The fonts are the module's: the last open dialog deletes them, so that
    // another dialog still open keeps the fonts its texts are drawn with.
    if (g_fonts.openDialogs > 0 && --g_fonts.openDialogs == 0) {
        DeleteFont(&g_fonts.title);
        DeleteFont(&g_fonts.text);
        DeleteFont(&g_fonts.logoText);
    }
    if (HWND picture = GetDlgItem(window, kLogoPicture)) {
        if (auto* bitmap = reinterpret_cast<HBITMAP>(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0)))
            DeleteObject(bitmap);
        if (auto* palette = static_cast<HPALETTE>(RemovePropW(picture, kPaletteProperty)))
            DeleteObject(palette);
    }
    return RunEngineSlot(kSlotDestroy, window, message, wParam, lParam, code, args);
}

constexpr DocumentParams kModelDocument = {kNoControl};
constexpr ButtonParams kWebButton = {kActionOpenDocument, &kModelDocument};
constexpr ItemSlot kWebSlot[] = {{kFidWebButton, 0}};

const ItemRecord kRecords[] = {
    {kLogoWebButton, 1, kWebSlot, kKindPushButton, nullptr, &kWebButton, kNoControl, kNoControl, nullptr},
    {kLogoModelPicture, -1, nullptr, 3, OnPictureStaticItem, nullptr, kNoControl, kNoControl, nullptr},
};
constexpr HelpMapEntry kHelp[] = {{kLogoWebButton, 10000}, {kLogoOkButton, 99010}, {0, 0}};
const ItemTableHeader kItems{kRecords, static_cast<uint32_t>(std::size(kRecords)), kPageHelpTopic, kHelp, nullptr,
                             0};

}  // namespace

const PageDescriptor LogoDialog{kLogoDialogCode, &kItems, nullptr};

const LogoDialogFonts& GetLogoDialogFonts() { return g_fonts; }

BYTE LogoFontCharset(BYTE dialogCharset, const wchar_t* configured)
{
    BYTE charset = dialogCharset;
    if (dialogCharset == SHIFTJIS_CHARSET || dialogCharset == HANGUL_CHARSET || dialogCharset == GB2312_CHARSET ||
        dialogCharset == CHINESEBIG5_CHARSET)
        charset = 0;
    if (configured && iswdigit(configured[0])) {
        const int number = _wtoi(configured);
        if (number != SHIFTJIS_CHARSET && number >= 0 && number <= 255)
            charset = static_cast<BYTE>(number);
    }
    return charset;
}

int BuildAboutText(HWND dialog, SettingsContext* context, wchar_t** text, int mode, bool logo)
{
    if (!text)
        return 0;
    *text = nullptr;
    if (!context || (mode == kAboutNote && !logo))
        return 0;
    wchar_t name[kLineChars], note[kLineChars];
    ModelString(context, kModelSectionName, name, kLineChars);
    ModelString(context, kModelSectionNote, note, kLineChars);
    auto* out = static_cast<wchar_t*>(GlobalAlloc(GPTR, kAboutChars * sizeof(wchar_t)));
    if (!out)
        return 0;
    if (mode == kAboutNote) {
        swprintf(out, kAboutChars, L"%ls", note);
        *text = out;
        return 1;
    }
    const UiContext* ui = GetWindowUiContext(dialog);
    HWND owner = dialog ? GetAncestor(dialog, GA_ROOTOWNER) : nullptr;
    const int host =
        DetectPrintingPreferencesHost(owner, ui ? ui->printerName : nullptr, ui ? ui->sheetMode : 0);
    wchar_t* version = nullptr;
    if (!BuildVersionString(context, &version, host, logo)) {
        GlobalFree(out);
        return 0;
    }
    wchar_t line[kLineChars] = {};
    ResourceText(kStringAboutLine, line, kLineChars);
    // A sheet whose host is not recognised is marked by a full stop after the version.
    const wchar_t* stop = host == kHostNoMatch ? L"." : L"";
    if (logo)
        swprintf(out, kAboutChars, L"%ls\n%ls%ls\n%ls", name, version, stop, line);
    else
        swprintf(out, kAboutChars, L"%ls %ls%ls\n%ls\n\n%ls", name, version, stop, line, note);
    GlobalFree(version);
    *text = out;
    return 1;
}

INT_PTR CALLBACK LogoDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CTLCOLORSTATIC && IsLogoMode(window)) {
        // The texts lie over the logo.
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
    }
    SlotHandler handler = nullptr;
    int32_t slot = -1;
    if (!FindMessageHandler(message, wParam, lParam, kDialogTypeModal, &handler, &slot))
        return FALSE;
    SetEventHandlerOverride(InitLogoDialog, kSlotInitDialog, &handler, slot);
    SetEventHandlerOverride(PaintLogoDialog, kSlotPaint, &handler, slot);
    SetEventHandlerOverride(DestroyLogoDialog, kSlotDestroy, &handler, slot);
    SetEventHandlerOverride(OnLogoQueryNewPalette, kSlotQueryNewPalette, &handler, slot);
    SetEventHandlerOverride(OnLogoPaletteChanged, kSlotPaletteChanged, &handler, slot);
    return CallMessageHandler(window, message, wParam, lParam, kLogoDialogCode, kDialogTypeModal, handler);
}
