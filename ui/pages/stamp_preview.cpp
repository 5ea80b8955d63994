#include "ui/pages/stamp_preview.h"

#include "common/context/context_utilities.h"
#include "common/context/value_by_type.h"
#include "common/settings/function_ids.h"
#include "common/settings/placement_transform.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "ui/controls/kind_handlers.h"
#include "ui/engine/ui_context.h"
#include "ui/pages/stamp_dialog_ids.h"
#include "ui/support/paper_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr uint16_t kFidStampColour = 301;
constexpr uint16_t kFidStampLight = 1287;
constexpr uint16_t kFidStampFrame = 302;
constexpr uint16_t kFidStampPosition = 303;
constexpr uint16_t kFidStampRepeat = 1288;
constexpr uint16_t kFidStampItalic = 308;
constexpr double kItalicSlope = 0.2679492;  // tan 15 degrees
constexpr double kPenShare = 0.06;          // of the font height
constexpr int kMinimumFontPixels = 4;
constexpr COLORREF kKeyColour = RGB(255, 0, 255);
constexpr wchar_t kOwnProcProperty[] = L"MorvaStampPreviewProc";

constexpr PreviewGeometry kPortrait = {kPreviewPortraitBitmap, {40, 5}, {42, 7}, {106, 151}};
constexpr PreviewGeometry kLandscape = {kPreviewLandscapeBitmap, {5, 40}, {7, 42}, {151, 106}};

std::wstring Text(void* settings, void* printer, uint16_t id, bool* ok)
{
    const uint64_t at = GetFunctionIdValuePointer(settings, printer, id, kTypeString);
    if (!at)
        *ok = false;
    return at ? reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(at)) : L"";
}

uint32_t Number(void* settings, void* printer, uint16_t id, bool* ok)
{
    uint32_t value = 0;
    if (!ReadSettingNumber(id, settings, printer, &value))
        *ok = false;
    return value;
}

// GDI objects of one paint, given back on every way out.
struct PaintObjects {
    HDC memory = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    HPALETTE palette = nullptr;
    HPALETTE oldPalette = nullptr;
    HFONT font = nullptr;
    HGDIOBJ oldFont = nullptr;
    HPEN pen = nullptr;
    HGDIOBJ oldPen = nullptr;
    HGDIOBJ oldBrush = nullptr;
    HRGN clip = nullptr;
    ~PaintObjects()
    {
        if (memory) {
            if (oldBrush)
                SelectObject(memory, oldBrush);
            if (oldPen)
                SelectObject(memory, oldPen);
            if (oldFont)
                SelectObject(memory, oldFont);
            if (oldPalette)
                SelectPalette(memory, oldPalette, FALSE);
            if (oldBitmap)
                SelectObject(memory, oldBitmap);
            DeleteDC(memory);
        }
        if (clip)
            DeleteObject(clip);
        if (pen)
            DeleteObject(pen);
        if (font)
            DeleteObject(font);
        if (palette)
            DeleteObject(palette);
        if (bitmap)
            DeleteObject(bitmap);
    }
};

bool DrawPage(HDC dc, HMODULE resources, const PreviewGeometry& at)
{
    HBITMAP page = LoadBitmapW(resources, MAKEINTRESOURCEW(at.bitmap));
    if (!page)
        return false;
    BITMAP info{};
    GetObjectW(page, sizeof(info), &info);
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, page);
    const BOOL drawn = GdiTransparentBlt(dc, at.bitmapAt.x, at.bitmapAt.y, info.bmWidth, info.bmHeight, source, 0, 0,
                                         info.bmWidth, info.bmHeight, kKeyColour);
    SelectObject(source, old);
    DeleteDC(source);
    DeleteObject(page);
    return drawn != FALSE;
}

}  // namespace

const PreviewGeometry& GetPreviewGeometry(int orientation)
{
    return orientation == DMORIENT_PORTRAIT ? kPortrait : kLandscape;
}

bool ReadStampPreviewInputs(void* settings, void* printer, StampPreviewInputs* in)
{
    if (!settings || !in)
        return false;
    bool ok = true;
    in->orientation = static_cast<int>(Number(settings, printer, kFidOrientation, &ok));
    in->resolution = static_cast<int16_t>(Number(settings, printer, kFidPrintQuality, &ok));
    in->name = Text(settings, printer, kFidStampName, &ok);
    in->text = Text(settings, printer, kFidStampDetail, &ok);
    in->colour = Number(settings, printer, kFidStampColour, &ok);
    in->light = Number(settings, printer, kFidStampLight, &ok) != 0;
    in->frame = static_cast<int>(Number(settings, printer, kFidStampFrame, &ok));
    in->position = static_cast<uint16_t>(Number(settings, printer, kFidStampPosition, &ok));
    in->repeat = Number(settings, printer, kFidStampRepeat, &ok) != 0;
    in->sizePoints = static_cast<int32_t>(Number(settings, printer, kFidFontHeight, &ok));
    in->weight = static_cast<int32_t>(Number(settings, printer, kFidFontWeight, &ok));
    in->italic = static_cast<uint8_t>(Number(settings, printer, kFidStampItalic, &ok));
    in->angle = static_cast<int32_t>(Number(settings, printer, kFidFontAngle, &ok));
    in->widthPoints = static_cast<int32_t>(Number(settings, printer, kFidFontWidth, &ok));
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (GetFunctionIdValue(kFidFont, settings, printer, &type, &size, &holder) == 0 && type == kTypeLogFont && holder)
        std::memcpy(&in->font, reinterpret_cast<const void*>(static_cast<uintptr_t>(holder)), sizeof(LOGFONTW));
    else
        ok = false;
    return ok;
}

int BuildPreviewFont(const StampPreviewInputs& in, COLORREF colour, const LOGFONTW& face, LOGFONTW* font, LOGPEN* pen)
{
    if (!font || !pen || in.resolution <= 0)
        return 0;
    *font = face;
    const double scale = kPreviewShortSidePixels / (in.resolution * kPreviewShortSideMm / 25.4);
    // A stored height may carry the sign of a LOGFONTW height: its size is its magnitude.
    const int deviceHeight = MulDiv(std::abs(in.sizePoints), in.resolution, 72);
    font->lfHeight = -std::max(kMinimumFontPixels, static_cast<int>(deviceHeight * scale));
    font->lfWidth = static_cast<LONG>(MulDiv(std::abs(in.widthPoints), in.resolution, 72) * scale);
    font->lfEscapement = font->lfOrientation = in.angle;
    font->lfWeight = in.weight;
    font->lfItalic = in.italic ? 1 : 0;
    pen->lopnStyle = PS_SOLID;
    pen->lopnColor = colour;
    pen->lopnWidth = {std::max(1, static_cast<int>(deviceHeight * kPenShare * scale)), 0};
    return 1;
}

void BuildPreviewPalette(COLORREF stamp, bool grey, PALETTEENTRY entries[kPreviewPaletteSize])
{
    COLORREF colours[kPreviewPaletteSize / 2] = {};
    int fixed = 0;
    while (fixed < 7 && GetColorForIndex(0, &colours[fixed], static_cast<uint32_t>(fixed)))
        ++fixed;
    colours[7] = stamp;
    for (int i = 0; i < kPreviewPaletteSize; ++i) {
        const COLORREF c = colours[i % 8];
        BYTE r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
        if (i >= 8) {
            r = static_cast<BYTE>(128 + r / 2);
            g = static_cast<BYTE>(128 + g / 2);
            b = static_cast<BYTE>(128 + b / 2);
        }
        if (grey)
            r = g = b = static_cast<BYTE>(((r + b) * 85 + g * 86) >> 8);
        entries[i] = {r, g, b, PC_NOCOLLAPSE};
    }
}

COLORREF PreviewDrawingColour(const PALETTEENTRY entries[kPreviewPaletteSize], bool light)
{
    const PALETTEENTRY& e = entries[light ? 15 : 7];
    return PALETTERGB(e.peRed, e.peGreen, e.peBlue);
}

int PlanStampPreview(const StampPreviewInputs& in, float w, float h, int penWidth, StampPreviewPlan* plan)
{
    if (!plan)
        return -1;
    plan->cells.clear();
    plan->frame = in.frame;
    if (in.italic)
        w += h * static_cast<float>(kItalicSlope);
    const float p = static_cast<float>(penWidth);
    float boxW = w, boxH = h;
    if (in.frame == 1) {
        boxW = w * 1.2f + 2 * p;
        boxH = h * 1.2f + 2 * p;
    } else if (in.frame == 2) {
        boxW = boxH = std::sqrt(w * w + h * h) + 2 * p;
    } else if (in.frame != 0) {
        return -1;
    }
    const PreviewGeometry& at = GetPreviewGeometry(in.orientation);
    const PlacementSize area{static_cast<float>(at.page.cx), static_cast<float>(at.page.cy)};
    const PlacementSize object{boxW, boxH};
    PlacementTransform transform{};
    // Whole degrees, truncated toward zero as the printed stamp takes them.
    const int cells = BuildPlacementTransform(&area, &object, static_cast<int16_t>(in.angle / 10), in.frame,
                                              in.repeat ? kAlignTile : in.position, &transform);
    if (cells < 0)
        return -1;
    const PlacementPoint textAt{(boxW - w) / 2, (boxH - h) / 2};
    auto place = [&](float x, float y, int32_t cell, POINT* out) {
        const PlacementPoint point{x, y};
        PlacementPoint placed{};
        if (TransformPlacementPoint(&transform, &point, cell, &placed) != 0)
            return false;
        *out = {static_cast<LONG>(placed.x + at.origin.x), static_cast<LONG>(placed.y + at.origin.y)};
        return true;
    };
    for (int32_t cell = 0; cell < cells; ++cell) {
        StampPreviewCell c{};
        if (!place(textAt.x, textAt.y, cell, &c.text))
            return -1;
        if (in.frame == 1) {
            const float inset = p / 2;
            const float corners[4][2] = {
                {inset, inset}, {boxW - inset, inset}, {boxW - inset, boxH - inset}, {inset, boxH - inset}};
            for (int i = 0; i < 4; ++i)
                if (!place(corners[i][0], corners[i][1], cell, &c.frame[i]))
                    return -1;
        } else if (in.frame == 2) {
            const PlacementPoint centre{boxW / 2, boxH / 2};
            PlacementPoint placed{};
            if (TransformPlacementPoint(&transform, &centre, cell, &placed) != 0)
                return -1;
            const float cx = placed.x + at.origin.x, cy = placed.y + at.origin.y;
            const float rx = (boxW - p) / 2, ry = (boxH - p) / 2;
            c.frame[0] = {static_cast<LONG>(cx - rx), static_cast<LONG>(cy - ry)};
            c.frame[1] = {static_cast<LONG>(cx + rx), static_cast<LONG>(cy + ry)};
        }
        plan->cells.push_back(c);
    }
    return cells;
}

int PaintStampPreview(HDC dc, const RECT& client, const StampPreviewInputs& in, bool grey, COLORREF background,
                      HMODULE resources)
{
    const int width = client.right - client.left, height = client.bottom - client.top;
    PaintObjects o;
    o.memory = CreateCompatibleDC(dc);
    o.bitmap = o.memory ? CreateCompatibleBitmap(dc, width, height) : nullptr;
    if (!o.bitmap)
        return kPreviewFailed;
    o.oldBitmap = SelectObject(o.memory, o.bitmap);
    PALETTEENTRY entries[kPreviewPaletteSize];
    BuildPreviewPalette(in.colour, grey, entries);
    alignas(LOGPALETTE) uint8_t block[sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * kPreviewPaletteSize] = {};
    auto* logical = reinterpret_cast<LOGPALETTE*>(block);
    logical->palVersion = 0x300;
    logical->palNumEntries = kPreviewPaletteSize;
    std::memcpy(logical->palPalEntry, entries, sizeof(entries));
    o.palette = CreatePalette(logical);
    if (!o.palette)
        return kPreviewFailed;
    o.oldPalette = SelectPalette(o.memory, o.palette, FALSE);
    RealizePalette(o.memory);

    HBRUSH fill = CreateSolidBrush(background);
    FillRect(o.memory, &client, fill);
    DeleteObject(fill);
    const PreviewGeometry& at = GetPreviewGeometry(in.orientation);
    if (!DrawPage(o.memory, resources, at))
        return kPreviewFailed;

    int drawn = kPreviewPageAlone;
    const COLORREF colour = PreviewDrawingColour(entries, in.light);
    LOGFONTW font{};
    LOGPEN pen{};
    if (!in.name.empty() && !in.text.empty() && BuildPreviewFont(in, colour, in.font, &font, &pen)) {
        o.font = CreateFontIndirectW(&font);
        o.pen = CreatePenIndirect(&pen);
        if (!o.font || !o.pen)
            return kPreviewFailed;
        o.oldFont = SelectObject(o.memory, o.font);
        SetTextAlign(o.memory, TA_LEFT | TA_TOP);
        SetTextColor(o.memory, colour);
        SetBkMode(o.memory, TRANSPARENT);
        RECT extent{0, 0, 0, 0};
        const int length = static_cast<int>(in.text.size());
        DrawTextW(o.memory, in.text.c_str(), length, &extent, DT_CALCRECT | DT_NOCLIP);
        StampPreviewPlan plan;
        if (PlanStampPreview(in, static_cast<float>(extent.right), static_cast<float>(extent.bottom), pen.lopnWidth.x,
                             &plan) < 0)
            return kPreviewFailed;
        o.clip = CreateRectRgn(at.origin.x, at.origin.y, at.origin.x + at.page.cx, at.origin.y + at.page.cy);
        SelectClipRgn(o.memory, o.clip);
        o.oldPen = SelectObject(o.memory, o.pen);
        o.oldBrush = SelectObject(o.memory, GetStockObject(HOLLOW_BRUSH));
        for (const StampPreviewCell& cell : plan.cells) {
            TextOutW(o.memory, cell.text.x, cell.text.y, in.text.c_str(), length);
            if (plan.frame == 1)
                Polygon(o.memory, cell.frame, 4);
            else if (plan.frame == 2)
                Ellipse(o.memory, cell.frame[0].x, cell.frame[0].y, cell.frame[1].x, cell.frame[1].y);
        }
        SelectClipRgn(o.memory, nullptr);
        drawn = kPreviewStamp;
    }
    SelectPalette(dc, o.palette, FALSE);
    RealizePalette(dc);
    BitBlt(dc, client.left, client.top, width, height, o.memory, 0, 0, SRCCOPY);
    return drawn;
}

namespace {

LRESULT CALLBACK PreviewWindowProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto own = reinterpret_cast<WNDPROC>(GetPropW(control, kOwnProcProperty));
    if (message == WM_ERASEBKGND)
        return 1;
    if (message == WM_PAINT) {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(control, &paint);
        HWND dialog = GetParent(control);
        void* settings = nullptr;
        void* printerSettings = nullptr;
        StampPreviewInputs in;
        RECT client{};
        GetClientRect(control, &client);
        if (dc && GetDialogSettings(dialog, &settings, &printerSettings) &&
            ReadStampPreviewInputs(settings, printerSettings, &in)) {
            const UiContext* ui = GetWindowUiContext(dialog);
            const bool grey = ui && GetColorModeImageKind(settings, ui->settings) == 1;
            PaintStampPreview(dc, client, in, grey, GetSysColor(COLOR_BTNFACE), GetResourceModule());
        }
        EndPaint(control, &paint);
        return 0;
    }
    if (message == WM_NCDESTROY) {
        RemovePropW(control, kOwnProcProperty);
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
    }
    return own ? CallWindowProcW(own, control, message, wParam, lParam)
               : DefWindowProcW(control, message, wParam, lParam);
}

}  // namespace

uint32_t OnStampPreviewItem(CallContext* call, UINT message, WPARAM, LPARAM lParam, const ItemRecord* item, const void*)
{
    HWND window = GetCallWindow(call);
    HWND control = window && item ? GetDlgItem(window, item->controlId) : nullptr;
    if (!control)
        return 0;
    if (message == WM_INITDIALOG && !GetPropW(control, kOwnProcProperty)) {
        const LONG_PTR own = GetWindowLongPtrW(control, GWLP_WNDPROC);
        SetPropW(control, kOwnProcProperty, reinterpret_cast<HANDLE>(own));
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PreviewWindowProc));
    } else if (IsShowMessage(message, lParam)) {
        InvalidateRect(control, nullptr, FALSE);
    }
    return 0;
}
