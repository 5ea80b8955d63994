// The cover sheet's preview: the page picture of the chosen kind of cover
// sheet with the texts the device will print, laid out by the same tables and
// scaled from the print resolution to the picture's 203 pixels for 202 mm.
#include "ui/fax/cover_sheet_dialog.h"

#include "common/context/value_by_type.h"
#include "common/context/settings_context.h"
#include "common/model/model_value_ops.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"
#include "ui/controls/kind_handlers.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/ui_context.h"
#include "ui/fax/cover_sheet_ids.h"
#include "ui/fax/fax_recipient_fields.h"
#include "ui/fax/fax_setting_ids.h"
#include "ui/fax/recipients_page.h"
#include "ui/docevent/fax_send_list.h"
#include "ui/illustration/layer_drawing.h"
#include "ui/support/keyed_list.h"
#include "ui/illustration/picture_loading.h"

#include <commctrl.h>
#include <prsht.h>

#include <cmath>
#include <cwchar>
#include <string>

namespace {

constexpr CapabilityId kCapModelFrame = 0xFFFF0040;
constexpr uint16_t kFidPrintResolution = 20;
constexpr uint16_t kFidCoverTitle = 1806;
constexpr uint16_t kFidCoverNameTitle = 1807;
constexpr uint16_t kFidCoverCompanyTitle = 1808;
constexpr uint16_t kFidCoverOtherLayout = 1809;
constexpr UINT_PTR kPreviewSubclassId = 4117;
constexpr uint32_t kLayoutTableBits = (1u << kCoverBlockCount) - 1;
constexpr uint32_t kFallbackDpi = 600;
constexpr int kFaceChars = LF_FACESIZE;
constexpr uint16_t kLanguageJapanese = 1041;

std::wstring Text(void* settings, void* printerSettings, uint16_t id)
{
    const auto* text = reinterpret_cast<const wchar_t*>(
        static_cast<uintptr_t>(GetFunctionIdValuePointer(settings, printerSettings, id, kTypeString)));
    return text ? std::wstring(text) : std::wstring();
}

std::wstring Field(const wchar_t* field, size_t chars)
{
    return std::wstring(field, wcsnlen(field, chars));
}

// The first family of a face; with a UI language other than 1041 one of a
// character set other than 0 is passed over.
struct FamilySearch {
    bool anyCharset;
    bool found;
    LOGFONTW font;
};

int CALLBACK TakeFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM data)
{
    auto* search = reinterpret_cast<FamilySearch*>(data);
    if (!search->anyCharset && font->lfCharSet != ANSI_CHARSET)
        return 1;
    search->font = *font;
    search->found = true;
    return 0;
}

bool FindFamily(HDC dc, UINT faceString, LOGFONTW* out)
{
    wchar_t face[kFaceChars] = {};
    HMODULE resources = GetResourceModule();
    if (!resources || LoadStringW(resources, faceString, face, kFaceChars) <= 0)
        return false;
    uint16_t language = 0;
    FamilySearch search{GetUiLanguageId(&language) && language == kLanguageJapanese, false, {}};
    EnumFontFamiliesW(dc, face, TakeFamily, reinterpret_cast<LPARAM>(&search));
    if (search.found)
        *out = search.font;
    return search.found;
}

// Holds what one paint made; released in one place whatever step failed.
struct PaintObjects {
    HDC memory = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    HPALETTE palette = nullptr;
    BitmapLayer* layers = nullptr;
    ~PaintObjects()
    {
        if (memory && oldBitmap)
            SelectObject(memory, oldBitmap);
        if (bitmap)
            DeleteObject(bitmap);
        if (memory)
            DeleteDC(memory);
        FreeBitmapLayers(layers);
        if (palette)
            DeleteObject(palette);
    }
};

std::wstring DialogText(HWND dialog, int id)
{
    wchar_t text[kCoverBodyChars + 2] = {};
    GetDlgItemTextW(dialog, id, text, static_cast<int>(std::size(text)));
    return text;
}

FaxRecipientRecord FirstRecipient(HWND dialog)
{
    FaxRecipientRecord first{};
    FaxDestinations* record = GetDialogFaxDestinations(dialog);
    if (record && GetKeyedListCount(record->recipients) > 0)
        if (const auto* r = static_cast<const FaxRecipientRecord*>(GetKeyedListDataAt(record->recipients, 0)))
            first = *r;
    return first;
}

void DrawTexts(HDC memory, const CoverSheetItem* items, uint32_t count, uint32_t dpi)
{
    HDC screen = GetDC(nullptr);
    LOGFONTW faces[2] = {};
    const bool haveFaces = FindFamily(screen, kStringCoverBodyFace, &faces[0]) &&
                           FindFamily(screen, kStringCoverTextFace, &faces[1]);
    ReleaseDC(nullptr, screen);
    if (!haveFaces)
        return;
    SetBkMode(memory, TRANSPARENT);
    SetTextColor(memory, RGB(0, 0, 0));
    SetTextAlign(memory, TA_LEFT | TA_TOP);
    for (uint32_t i = 0; i < count; ++i) {
        LOGFONTW font = faces[items[i].itemFlag == 1 ? 0 : 1];
        font.lfHeight = PreviewFontHeight(items[i].fontSize, dpi);
        font.lfWidth = font.lfEscapement = font.lfOrientation = 0;
        font.lfWeight = FW_NORMAL;
        font.lfItalic = font.lfUnderline = font.lfStrikeOut = FALSE;
        font.lfCharSet = ANSI_CHARSET;
        HFONT made = CreateFontIndirectW(&font);
        if (!made)
            return;
        HGDIOBJ old = SelectObject(memory, made);
        const POINT at = PreviewTextPosition(items[i].x, items[i].y, dpi);
        TextOutW(memory, at.x, at.y, items[i].text, static_cast<int>(wcsnlen(items[i].text, kCoverItemTextChars)));
        SelectObject(memory, old);
        DeleteObject(made);
    }
}

void PaintPreview(HWND control)
{
    HWND dialog = GetParent(control);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(control, &paint);
    if (!dc)
        return;
    RECT client{};
    GetClientRect(control, &client);
    PaintObjects objects;
    DialogContext* context = GetDialogContext(dialog);
    UiContext* ui = GetWindowUiContext(dialog);
    SettingsContext* settingsContext = GetUiSettingsContext(ui);
    HMODULE resources = GetResourceModule();
    objects.memory = CreateCompatibleDC(dc);
    objects.bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    if (!context || !context->current || !settingsContext || !resources || !objects.memory || !objects.bitmap) {
        EndPaint(control, &paint);
        return;
    }
    objects.oldBitmap = SelectObject(objects.memory, objects.bitmap);
    void* settings = context->current->settings;
    void* printerSettings = context->current->printerSettings;
    const uint32_t choice = SettingNumberOr(kFidFaxCoverForm, settings, printerSettings, 0);
    const UINT picture = ChoosePreviewBitmap(choice, TestModelCapability(settingsContext->main, kCapModelFrame));
    HBITMAP page = nullptr;
    objects.layers = AllocateBitmapLayers(1);
    if (objects.layers && LoadPaletteBitmap(resources, control, picture, &objects.palette, &page) == 0) {
        objects.layers[0] = {page, kPreviewBitmapAt, kPreviewBitmapAt};
        DrawBitmapLayers(resources, control, objects.memory, &client, objects.layers, objects.palette, false, true,
                         kBackgroundButtonFace);
    } else {
        FillRect(objects.memory, &client, GetSysColorBrush(COLOR_BTNFACE));
    }
    uint32_t dpi = SettingNumberOr(kFidPrintResolution, settings, printerSettings, kFallbackDpi);
    if (dpi == 0 || dpi > 0xFFFF)
        dpi = kFallbackDpi;
    const FaxRecipientRecord recipient = FirstRecipient(dialog);
    const std::wstring line = DialogText(dialog, kCoverLineEdit);
    const std::wstring body = DialogText(dialog, kCoverBodyEdit);
    uint32_t count = 0;
    GlobalBlockPtr<CoverSheetItem> items(BuildCoverPreviewItems(
        settings, printerSettings, recipient, line.c_str(), body.c_str(),
        CoverSheetUsesX350(settingsContext->main, choice != 0 ? 2 : 1) != 0, &count));
    if (items)
        DrawTexts(objects.memory, items.get(), count, dpi);
    BitBlt(dc, 0, 0, client.right, client.bottom, objects.memory, 0, 0, SRCCOPY);
    EndPaint(control, &paint);
}

LRESULT CALLBACK PreviewProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (message == WM_PAINT) {
        PaintPreview(control);
        // The static's own painting finds nothing left to paint.
        return DefSubclassProc(control, message, wParam, lParam);
    }
    if (message == WM_ERASEBKGND)
        return 1;
    if (message == WM_NCDESTROY)
        RemoveWindowSubclass(control, PreviewProcedure, kPreviewSubclassId);
    return DefSubclassProc(control, message, wParam, lParam);
}

}  // namespace

UINT ChoosePreviewBitmap(uint32_t coverChoice, bool modelFrame)
{
    if (coverChoice != 0)
        return kPreviewFormBitmap;
    return modelFrame ? kPreviewFrameBitmap : kPreviewPlainBitmap;
}

POINT PreviewTextPosition(uint16_t x, uint16_t y, uint32_t dpi)
{
    // k = 203 / (dpi x 202 / 25.4): 202 mm of page fill 203 pixels.
    const double k = kPreviewPageWidth / (dpi * 202.0 / 25.4);
    const double px = x / 10.0 * dpi / 25.4 * k + kPreviewTextOrigin;
    const double py = y / 10.0 * dpi / 25.4 * k + kPreviewTextOrigin;
    return POINT{static_cast<LONG>(px), static_cast<LONG>(py)};
}

int PreviewFontHeight(uint16_t size, uint32_t dpi)
{
    const double k = kPreviewPageWidth / (dpi * 202.0 / 25.4);
    return -static_cast<int>(MulDiv(size / 10, static_cast<int>(dpi), 72) * k);
}

CoverSheetItem* BuildCoverPreviewItems(void* settings, void* printerSettings, const FaxRecipientRecord& recipient,
                                       const wchar_t* line, const wchar_t* body, bool x350, uint32_t* count)
{
    // The fields as the device's information page takes them, so that the
    // preview shows what is sent.
    const std::wstring title = Text(settings, printerSettings, kFidCoverTitle);
    const std::wstring name = Field(recipient.field7, std::size(recipient.field7));
    const std::wstring company = Field(recipient.field5, std::size(recipient.field5));
    const std::wstring number = Field(recipient.destination, std::size(recipient.destination));
    const std::wstring sender[] = {
        Text(settings, printerSettings, kFidSenderText2), Text(settings, printerSettings, kFidSenderLines),
        Text(settings, printerSettings, kFidSenderText4), Text(settings, printerSettings, kFidSenderText5),
        Text(settings, printerSettings, kFidSenderMail),
    };
    const std::wstring subject = line ? line : L"";
    const std::wstring message = body ? body : L"";
    CoverSheetData data = {};
    data.title = title.c_str();
    SetCoverSheetFields(&data, {name.c_str(), company.c_str(), number.c_str(),
                                {sender[0].c_str(), sender[1].c_str(), sender[2].c_str(), sender[3].c_str(),
                                 sender[4].c_str()},
                                subject.c_str(), message.c_str()});
    data.nameHonorific = static_cast<uint16_t>(SettingNumberOr(kFidCoverNameTitle, settings, printerSettings, 0));
    data.companyHonorific =
        static_cast<uint16_t>(SettingNumberOr(kFidCoverCompanyTitle, settings, printerSettings, 0));
    data.bTables = SettingNumberOr(kFidCoverOtherLayout, settings, printerSettings, 0) & kLayoutTableBits;
    return BuildCoverSheetLayout(&data, x350 ? 1 : 0, count);
}

// The handler of the preview control: installs the painting at
// WM_INITDIALOG and paints again whenever what it shows may have changed.
uint32_t OnCoverPreviewItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                            const void*)
{
    HWND dialog = GetCallWindow(call);
    HWND control = GetDlgItem(dialog, item->controlId);
    if (!control)
        return 0;
    const UINT code = message == WM_NOTIFY && lParam ? reinterpret_cast<const NMHDR*>(lParam)->code : 0;
    if (message == WM_INITDIALOG)
        SetWindowSubclass(control, PreviewProcedure, kPreviewSubclassId, 0);
    else if (code == static_cast<UINT>(PSN_SETACTIVE) || message == kEngineRefresh || message == WM_QUERYNEWPALETTE ||
             (message == WM_PALETTECHANGED && reinterpret_cast<HWND>(wParam) != control))
        InvalidateRect(control, nullptr, FALSE);
    return 0;
}
