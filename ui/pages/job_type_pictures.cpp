#include "ui/pages/job_type_pictures.h"

#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/model/model_value_ops.h"
#include "common/settings/function_ids.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/ui_context.h"
#include "ui/illustration/illustration_layers.h"
#include "ui/illustration/picture_status.h"

namespace {

constexpr uint16_t kFidPageOrder = 264;
constexpr uint16_t kFidFold = 448;
constexpr uint32_t kBookletLayout = 2;
// Where the pages and the marks lie on the sheet's picture, in pixels.
constexpr int32_t kPagesInset = 9;
constexpr int32_t kMarkGap = 4;
constexpr size_t kMostLayers = 5;

}  // namespace

const OrientedPictureRow kSheetPictures[] = {
    {1, 2354, 2405}, {2, 2355, 2406}, {3, 2356, 2407}, {kTableEnd, 0, 0}};
const OrientedPictureRow kPagesPictures[] = {{1, 2357, 2357},   {2, 2358, 2359},   {4, 2360, 2361},
                                             {8, 2362, 2363},   {16, 2364, 2365},  {32, 2366, 2367},
                                             {kTableEnd, 0, 0}};
const OrientedPictureRow kOrderPictures[] = {{0, 0, 0},       {1, 2369, 2371}, {2, 2368, 2370}, {3, 2375, 2375},
                                             {4, 2374, 2374}, {5, 2373, 2373}, {6, 2372, 2372}, {kTableEnd, 0, 0}};
const PictureRow kLayoutPictures[] = {{0, 2376}, {1, 2377}, {2, 2378}, {kTableEnd, 0}};
const PictureRow kFoldPictures[] = {{0, 2400}, {3, 2401}, {4, 2402}, {5, 2403}, {6, 2404}, {kTableEnd, 0}};

uint16_t GetPictureOrientation(uint32_t layoutKind, uint32_t orientation, uint32_t pagesPerSheet)
{
    const uint16_t own = orientation == 2 ? 2 : 1;
    if (layoutKind == kBookletLayout)
        return own;
    if (pagesPerSheet == 1 || pagesPerSheet == 4 || pagesPerSheet == 16)
        return own;
    return orientation == 1 ? 2 : 1;
}

uint32_t GetPictureByOrientation(const OrientedPictureRow* table, uint32_t value, uint16_t orientation)
{
    for (const OrientedPictureRow* row = table; row && row->value != kTableEnd; ++row)
        if (row->value == value)
            return orientation == 2 ? row->landscape : row->portrait;
    return 0;
}

uint32_t GetPictureByValue(const PictureRow* table, uint32_t value)
{
    for (const PictureRow* row = table; row && row->value != kTableEnd; ++row)
        if (row->value == value)
            return row->picture;
    return 0;
}

namespace {

bool AddLayer(HMODULE module, HWND dialog, uint32_t picture, int32_t x, int32_t y, BitmapLayer* list, size_t* n,
              HPALETTE* palette)
{
    if (picture == 0)
        return true;
    HBITMAP bitmap = nullptr;
    if (LoadPaletteBitmap(module, dialog, picture, palette, &bitmap) != kPictureOk || !bitmap)
        return false;
    list[(*n)++] = {bitmap, x, y};
    return true;
}

int32_t BitmapWidth(HBITMAP bitmap)
{
    BITMAP info{};
    return bitmap && GetObjectW(bitmap, sizeof info, &info) ? info.bmWidth : 0;
}

}  // namespace

uint16_t JobTypePictureLayers(HMODULE module, HWND dialog, int controlId, BitmapLayer** list, HPALETTE* palette)
{
    if (!list || !palette)
        return kPictureBadArgument;
    *list = nullptr;
    SettingsContext* context = GetUiSettingsContext(GetWindowUiContext(dialog));
    if (context && !IsPrinterDriverKind(context->main))
        return IllustrationLayerProvider(module, dialog, controlId, list, palette);
    void* settings = nullptr;
    void* printerSettings = nullptr;
    GetDialogSettings(dialog, &settings, &printerSettings);
    uint32_t duplex = 0, orientation = 0, pages = 0, layout = 0, order = 0, fold = 0;
    if (!settings || !ReadSettingNumber(kFidDuplex, settings, printerSettings, &duplex) ||
        !ReadSettingNumber(kFidOrientation, settings, printerSettings, &orientation) ||
        !ReadSettingNumber(kFidPagesPerSheet, settings, printerSettings, &pages))
        return kPictureSettingUnreadable;
    // Settings a model does not have draw no mark.
    ReadSettingNumber(kFidPosterBooklet, settings, printerSettings, &layout);
    ReadSettingNumber(kFidPageOrder, settings, printerSettings, &order);
    ReadSettingNumber(kFidFold, settings, printerSettings, &fold);
    const uint16_t sheetOrientation = GetPictureOrientation(layout, orientation, pages);
    BitmapLayer* layers = AllocateBitmapLayers(kMostLayers);
    if (!layers)
        return kPictureNoMemory;
    size_t n = 0;
    bool ok = AddLayer(module, dialog, GetPictureByOrientation(kSheetPictures, duplex, sheetOrientation), 0, 0,
                       layers, &n, palette);
    const int32_t markX = n ? BitmapWidth(layers[0].bitmap) + kMarkGap : 0;
    // One upright page fills only an upright sheet: a sheet across shows it
    // as the sheet itself.
    const bool pagesShown = pages > 1 || sheetOrientation == 1;
    ok = ok && AddLayer(module, dialog, pagesShown ? GetPictureByOrientation(kPagesPictures, pages, sheetOrientation) : 0,
                        kPagesInset, kPagesInset, layers, &n, palette);
    if (ok && pages > 1)
        ok = AddLayer(module, dialog, GetPictureByOrientation(kOrderPictures, order, sheetOrientation), markX, 0,
                      layers, &n, palette);
    ok = ok && AddLayer(module, dialog, layout ? GetPictureByValue(kLayoutPictures, layout) : 0, markX, 40, layers,
                        &n, palette);
    ok = ok && AddLayer(module, dialog, fold ? GetPictureByValue(kFoldPictures, fold) : 0, markX, 80, layers, &n,
                        palette);
    if (!ok) {
        FreeBitmapLayers(layers);
        return kPictureResourceMissing;
    }
    *list = layers;
    return kPictureOk;
}
