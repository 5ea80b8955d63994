#include "ui/illustration/picture_control.h"

#include <commctrl.h>
#include <prsht.h>
#include <versionhelpers.h>

#include "common/system/module_files.h"
#include "ui/controls/display_states.h"
#include "ui/engine/ui_context.h"
#include "ui/illustration/layer_drawing.h"
#include "ui/illustration/picture_statics.h"
#include "ui/illustration/picture_status.h"

namespace {

// The procedure a control had before it was subclassed; the UI context has no
// room for it, so each control keeps its own.
constexpr wchar_t kClassProcedureProperty[] = L"RQD_BITMAPPROC";

const ItemRecord* PictureItem(HWND control)
{
    return static_cast<const ItemRecord*>(GetPropW(control, kPictureItemProperty));
}

const PictureParameters* PictureParametersOf(const ItemRecord* item)
{
    return item ? static_cast<const PictureParameters*>(item->parameters) : nullptr;
}

bool SavesBackgrounds() { return IsWindowsXPOrGreater(); }

void PaintItemPicture(HWND control, const PictureParameters* parameters)
{
    PAINTSTRUCT paint;
    BeginPaint(control, &paint);
    HMODULE module = GetResourceModule();
    HWND dialog = GetParent(control);
    int controlId = GetDlgCtrlID(control);
    BitmapLayer* list = nullptr;
    HPALETTE palette = nullptr;
    uint16_t status = parameters->provider
                          ? parameters->provider(module, dialog, controlId, &list, &palette)
                          : LoadControlBitmap(module, dialog, controlId, parameters->resourceId, &list, &palette);
    uint32_t background = 0;
    bool withBackground = BackgroundForMode(parameters->backgroundMode, &background);
    if (status == kPictureOk && list)
        DrawBitmapLayersToWindow(module, control, list, palette, parameters->offScreen != 0, withBackground,
                                 background);
    else if (withBackground) {
        // Without a picture the control still shows its background.
        BitmapLayer none{};
        DrawBitmapLayersToWindow(module, control, &none, palette, false, true, background);
    }
    FreeBitmapLayers(list);
    if (palette)
        DeleteObject(palette);
    EndPaint(control, &paint);
}

}  // namespace

bool BackgroundForMode(uint32_t mode, uint32_t* value)
{
    switch (mode) {
    case kBackgroundModeSaved:
        *value = kBackgroundSaved;
        return true;
    case kBackgroundModeButtonFace:
        // The mode, not the colour: a black button face would read as value 0.
        *value = kBackgroundButtonFace;
        return true;
    case kBackgroundModePattern:
        *value = kBackgroundPattern;
        return true;
    default:
        return false;
    }
}

WNDPROC GetPictureClassProcedure(HWND control)
{
    auto procedure = reinterpret_cast<WNDPROC>(GetPropW(control, kClassProcedureProperty));
    return procedure ? procedure : DefWindowProcW;
}

int InstallPictureSubclass(HWND dialog, int controlId)
{
    HWND control = GetDlgItem(dialog, controlId);
    if (!control)
        return 0;
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_WNDPROC)) == BitmapPictureWindowProc)
        return 1;
    auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BitmapPictureWindowProc)));
    if (!previous)
        return 0;
    SetPropW(control, kClassProcedureProperty, reinterpret_cast<HANDLE>(previous));
    return 1;
}

namespace {

// The property handling of a picture control with an item record.
LRESULT HandleItemPictureMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                 const PictureParameters* parameters, WNDPROC classProcedure)
{
    switch (message) {
    case WM_PAINT:
        if (parameters)
            PaintItemPicture(control, parameters);
        break;
    case WM_ERASEBKGND:
        if (parameters && parameters->backgroundMode == kBackgroundModeSaved)
            ResaveBackground(GetWindowUiContext(GetParent(control)), GetDlgCtrlID(control), control,
                             parameters->keepErase);
        return 1;
    case WM_DESTROY:
        RemovePropW(control, kPictureItemProperty);
        break;
    case WM_SETCURSOR:
        if (parameters && parameters->clickValue) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return 1;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // A double click counts as a second click: the class style of STATIC
        // is shared by every window of the process, so it is left alone.
        if (parameters && parameters->clickValue) {
            PostMessageW(GetParent(control), kEventCycleOption, parameters->clickValue, 0);
            return 0;
        }
        break;
    default:
        break;
    }
    return CallWindowProcW(classProcedure, control, message, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK BitmapPictureWindowProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC classProcedure = GetPictureClassProcedure(control);
    if (message == WM_NCDESTROY) {
        LRESULT result = CallWindowProcW(classProcedure, control, message, wParam, lParam);
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(classProcedure));
        RemovePropW(control, kClassProcedureProperty);
        return result;
    }
    const ItemRecord* item = PictureItem(control);
    if (!item)
        return HandlePictureStaticMessage(control, message, wParam, lParam, classProcedure);
    const PictureParameters* parameters = PictureParametersOf(item);
    if (parameters && parameters->customProcedure)
        return parameters->customProcedure(control, message, wParam, lParam);
    return HandleItemPictureMessage(control, message, wParam, lParam, parameters, classProcedure);
}

LRESULT CALLBACK PaintScaledPicture(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC classProcedure = GetPictureClassProcedure(control);
    const PictureParameters* parameters = PictureParametersOf(PictureItem(control));
    if (message != WM_PAINT)
        return HandleItemPictureMessage(control, message, wParam, lParam, parameters, classProcedure);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(control, &paint);
    BitmapLayer* list = nullptr;
    HPALETTE palette = nullptr;
    if (parameters && LoadControlBitmap(GetResourceModule(), GetParent(control), GetDlgCtrlID(control),
                                        parameters->resourceId, &list, &palette) == kPictureOk) {
        BITMAP info{};
        GetObjectW(list[0].bitmap, sizeof(info), &info);
        RECT client{};
        GetClientRect(control, &client);
        HPALETTE old = palette ? SelectPalette(dc, palette, FALSE) : nullptr;
        if (palette)
            RealizePalette(dc);
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ oldBitmap = SelectObject(source, list[0].bitmap);
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, 0, 0, client.right, client.bottom, source, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        SelectObject(source, oldBitmap);
        DeleteDC(source);
        if (palette)
            SelectPalette(dc, old, FALSE);
    }
    FreeBitmapLayers(list);
    if (palette)
        DeleteObject(palette);
    EndPaint(control, &paint);
    return CallWindowProcW(classProcedure, control, message, wParam, lParam);
}

uint32_t OnBitmapPictureItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                             const void* /*parameters*/)
{
    if (!call || !item)
        return 0;
    HWND dialog = GetCallWindow(call);
    HWND control = GetDlgItem(dialog, item->controlId);
    bool activate = message == kEventRefresh ||
                    (message == WM_NOTIFY && lParam && reinterpret_cast<const NMHDR*>(lParam)->code == PSN_SETACTIVE);
    if (message == WM_INITDIALOG) {
        if (control) {
            SetPropW(control, kPictureItemProperty, const_cast<ItemRecord*>(item));
            InstallPictureSubclass(dialog, item->controlId);
        }
    } else if (activate) {
        InvalidatePicture(dialog, item->controlId);
        const ValueEntry* entry = GetSelectedValueEntry(dialog, item);
        if (entry && entry->setting == kHiddenPictureSetting) {
            ShowWindow(control, SW_HIDE);
            EnableWindow(control, FALSE);
        } else {
            UpdateItemControlState(dialog, item, nullptr);
        }
    } else if (message == WM_QUERYNEWPALETTE ||
               (message == WM_PALETTECHANGED && reinterpret_cast<HWND>(wParam) != control)) {
        InvalidatePicture(dialog, item->controlId);
    }
    return 0;
}

uint16_t SavePictureBackground(HWND control, uint32_t repaintParent, uint32_t parentRepainted)
{
    if (!SavesBackgrounds())
        return kPictureOk;
    UiContext* ui = GetWindowUiContext(GetParent(control));
    int controlId = GetDlgCtrlID(control);
    if (!ui || !control)
        return kPictureFailed;
    if (FindPictureControl(ui, static_cast<uint32_t>(controlId)))
        return kPictureOk;
    RECT client{};
    GetClientRect(control, &client);
    HDC dc = GetDC(control);
    if (!dc)
        return kPictureFailed;
    auto* record = static_cast<PictureControlRecord*>(GlobalAlloc(GPTR, sizeof(PictureControlRecord)));
    uint16_t status = kPictureFailed;
    if (record) {
        record->controlId = static_cast<uint32_t>(controlId);
        record->memoryDc = CreateCompatibleDC(dc);
        record->bitmap = record->memoryDc ? CreateCompatibleBitmap(dc, client.right, client.bottom) : nullptr;
        record->owner[0] = repaintParent;
        record->owner[1] = parentRepainted;
        if (record->bitmap) {
            SelectObject(record->memoryDc, record->bitmap);
            BitBlt(record->memoryDc, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
            AddPictureControl(ui, record);
            status = kPictureOk;
        } else {
            if (record->memoryDc)
                DeleteDC(record->memoryDc);
            GlobalFree(record);
        }
    }
    ReleaseDC(control, dc);
    return status;
}

int ResaveBackground(UiContext* ui, int controlId, HWND control, uint32_t keep)
{
    uint32_t parentRepainted = 0;
    if (keep)
        if (const PictureControlRecord* old = FindPictureControl(ui, static_cast<uint32_t>(controlId)))
            parentRepainted = old->owner[1];
    RemovePictureControl(ui, static_cast<uint32_t>(controlId));
    SavePictureBackground(control, keep && !parentRepainted ? 1 : 0, 0);
    return 1;
}

void InvalidatePicture(HWND dialog, int controlId)
{
    HWND control = GetDlgItem(dialog, controlId);
    if (!control)
        return;
    PictureControlRecord* record =
        SavesBackgrounds() ? FindPictureControl(GetWindowUiContext(dialog), static_cast<uint32_t>(controlId)) : nullptr;
    if (record) {
        uint32_t repaintParent = record->owner[0];
        record->owner[0] = 0;
        record->owner[1] |= repaintParent;
        if (repaintParent) {
            RECT area{};
            GetWindowRect(control, &area);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&area), 2);
            InvalidateRect(dialog, &area, TRUE);
            return;
        }
    }
    InvalidateRect(control, nullptr, FALSE);
}
