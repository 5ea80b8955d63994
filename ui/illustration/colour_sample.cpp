#include "ui/illustration/colour_sample.h"

#include <commctrl.h>
#include <prsht.h>

#include "common/context/value_by_type.h"
#include "common/settings/color_matrix.h"
#include "common/settings/value_operations.h"
#include "common/system/module_files.h"
#include "common/system/system_utilities.h"
#include "ui/controls/display_states.h"
#include "ui/engine/dialog_context.h"
#include "ui/illustration/layer_drawing.h"
#include "ui/illustration/picture_loading.h"
#include "ui/illustration/picture_status.h"

#include <cstring>

namespace {

// The sheet has no room for the sample, so the control keeps it.
constexpr wchar_t kSampleProperty[] = L"RQD_COLORSAMPLE";

struct PreparedSample {
    size_t size;
    BITMAPINFOHEADER* original;  // the resource's bytes, copied
    BITMAPINFOHEADER* working;   // the same with the recoloured table
};

struct Range {
    int first, last;
};

void AdjustRange(const RGBQUAD* original, RGBQUAD* table, Range range, const ColourTriple& triple, bool grey)
{
    uint8_t triplets[3 * 256];
    int count = range.last - range.first + 1;
    for (int i = 0; i < count; ++i) {
        const RGBQUAD& c = original[range.first + i];
        triplets[3 * i] = c.rgbBlue;
        triplets[3 * i + 1] = c.rgbGreen;
        triplets[3 * i + 2] = c.rgbRed;
    }
    if (triple.brightness || triple.contrast || triple.saturation) {
        ColorAdjustMatrix matrix{};
        if (BuildColorAdjustMatrix(&matrix, triple.brightness, triple.saturation, triple.contrast) == 0)
            ApplyColorAdjustMatrix(&matrix, triplets, triplets, static_cast<uint32_t>(count));
    }
    uint8_t greys[256];
    if (grey)
        RgbToGrayBytes(triplets, greys, count, 1);
    for (int i = 0; i < count; ++i) {
        RGBQUAD& c = table[range.first + i];
        if (grey) {
            c.rgbBlue = c.rgbGreen = c.rgbRed = greys[i];
        } else {
            c.rgbBlue = triplets[3 * i];
            c.rgbGreen = triplets[3 * i + 1];
            c.rgbRed = triplets[3 * i + 2];
        }
    }
}

bool ReadSigned(void* settings, void* printerSettings, uint16_t id, int32_t* value)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (GetFunctionIdValue(id, settings, printerSettings, &type, &size, &holder) != 0)
        return false;
    *value = ValueToInt(&holder, type);
    return true;
}

}  // namespace

void RecolourSampleTable(const RGBQUAD* original, RGBQUAD* table, const SampleAdjustment* adjustment)
{
    bool grey = adjustment->colourMode == 1;
    if (adjustment->separateKinds == 1) {
        AdjustRange(original, table, {2, 97}, adjustment->c, grey);
        AdjustRange(original, table, {98, 113}, adjustment->a, grey);
        AdjustRange(original, table, {114, 127}, adjustment->b, grey);
    } else {
        AdjustRange(original, table, {2, 127}, adjustment->d, grey);
    }
}

int PrepareColourSample(HWND control)
{
    if (GetPropW(control, kSampleProperty))
        return 1;
    HMODULE module = GetResourceModule();
    HRSRC found = module ? FindResourceW(module, MAKEINTRESOURCEW(kColourSampleBitmap), MAKEINTRESOURCEW(2)) : nullptr;
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const auto* dib = loaded ? static_cast<const BITMAPINFOHEADER*>(LockResource(loaded)) : nullptr;
    size_t size = found ? SizeofResource(module, found) : 0;
    // Only a 256-colour picture can be recoloured through its table.
    bool usable = dib && size >= sizeof(BITMAPINFOHEADER) && DibNeedsPalette(dib) && DibColourCount(dib) == 256 &&
                  DibTotalSize(dib) && DibTotalSize(dib) <= size;
    auto* sample = usable ? static_cast<PreparedSample*>(GlobalAlloc(GPTR, sizeof(PreparedSample))) : nullptr;
    if (sample) {
        sample->size = size;
        sample->original = static_cast<BITMAPINFOHEADER*>(GlobalAlloc(GMEM_FIXED, size));
        sample->working = static_cast<BITMAPINFOHEADER*>(GlobalAlloc(GMEM_FIXED, size));
        if (sample->original && sample->working) {
            memcpy(sample->original, dib, size);
            memcpy(sample->working, dib, size);
            SetPropW(control, kSampleProperty, sample);
        } else {
            GlobalFree(sample->original);
            GlobalFree(sample->working);
            GlobalFree(sample);
            sample = nullptr;
        }
    }
    if (loaded)
        FreeResource(loaded);
    return sample ? 1 : 0;
}

void FreeColourSample(HWND control)
{
    auto* sample = static_cast<PreparedSample*>(RemovePropW(control, kSampleProperty));
    if (!sample)
        return;
    GlobalFree(sample->original);
    GlobalFree(sample->working);
    GlobalFree(sample);
}

uint16_t PaintColourSample(HWND control)
{
    auto* sample = static_cast<PreparedSample*>(GetPropW(control, kSampleProperty));
    if (!sample)
        return kPictureResourceMissing;
    void* settings = nullptr;
    void* printerSettings = nullptr;
    if (!GetDialogSettings(GetParent(control), &settings, &printerSettings) || !settings)
        return kPictureSettingUnreadable;
    const uint16_t ids[4][3] = {{275, 279, 283}, {276, 280, 284}, {277, 281, 285}, {274, 278, 282}};
    ColourTriple* triples[4] = {};
    SampleAdjustment adjustment{};
    triples[0] = &adjustment.a, triples[1] = &adjustment.b, triples[2] = &adjustment.c, triples[3] = &adjustment.d;
    for (int t = 0; t < 4; ++t) {
        int32_t v[3] = {};
        for (int k = 0; k < 3; ++k)
            if (!ReadSigned(settings, printerSettings, ids[t][k], &v[k]))
                return kPictureSettingUnreadable;
        *triples[t] = {static_cast<int16_t>(v[0]), static_cast<int16_t>(v[1]), static_cast<int16_t>(v[2])};
    }
    int32_t separate = 0, mode = 0;
    if (!ReadSigned(settings, printerSettings, 1314, &separate) || !ReadSigned(settings, printerSettings, 270, &mode))
        return kPictureSettingUnreadable;
    adjustment.separateKinds = static_cast<uint32_t>(separate);
    adjustment.colourMode = static_cast<uint32_t>(mode);
    auto tableOf = [](BITMAPINFOHEADER* dib) {
        return reinterpret_cast<RGBQUAD*>(reinterpret_cast<BYTE*>(dib) + dib->biSize);
    };
    RecolourSampleTable(tableOf(sample->original), tableOf(sample->working), &adjustment);
    BitmapLayer* list = AllocateBitmapLayers(1);
    HPALETTE palette = nullptr;
    uint16_t status = list ? CreateBitmapFromDib(GetResourceModule(), control, sample->working, sample->size, &palette,
                                                 &list[0].bitmap)
                           : kPictureNoMemory;
    if (status == kPictureOk)
        status = DrawBitmapLayersToWindow(GetResourceModule(), control, list, palette, false, false, 0);
    FreeBitmapLayers(list);
    if (palette)
        DeleteObject(palette);
    return status;
}

int32_t ColourAdjustSlot(uint32_t separateKinds, uint32_t objectKind, int32_t slotCount)
{
    if (slotCount <= 0 || objectKind >= static_cast<uint32_t>(slotCount))
        return -1;
    return separateKinds ? static_cast<int32_t>(objectKind) : slotCount - 1;
}

uint32_t OnColorAdjustSlotItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                               const void* parameters)
{
    if (!call || !item)
        return 0;
    HWND dialog = GetCallWindow(call);
    bool activate = message == kEventRefresh ||
                    (message == WM_NOTIFY && lParam && reinterpret_cast<const NMHDR*>(lParam)->code == PSN_SETACTIVE);
    void* settings = nullptr;
    void* printerSettings = nullptr;
    int32_t separate = 0, objectKind = 0;
    if (activate && GetCallSettings(call, &settings, &printerSettings) && settings &&
        ReadSigned(settings, printerSettings, 1314, &separate) && ReadSigned(settings, printerSettings, 272, &objectKind)) {
        int32_t slot = ColourAdjustSlot(static_cast<uint32_t>(separate), static_cast<uint32_t>(objectKind),
                                        GetItemValueCount(item));
        if (slot >= 0 && SetSelectedSlotIndex(dialog, item, slot)) {
            UpdateItemControlState(dialog, item, nullptr);
        }
    }
    ItemEventHandler kindHandler = GetKindDefaultHandler(call);
    return kindHandler ? kindHandler(call, message, wParam, lParam, item, parameters) : 0;
}
