#include "render/device/device_caps.h"

#include "common/records/effective_values.h"
#include "common/settings/function_ids.h"
#include "render/device/engine_calls.h"
#include "render/device/form_resolution.h"
#include "render/device/pdev_record.h"
#include "render/device/setting_ids.h"

#include <cstring>

namespace {

constexpr ULONG kTextCaps = 0x19F7;
constexpr FLONG kGraphicsCaps = 0x11F;  // Béziers, wide lines, both fills, halftone, opaque rectangles

// The device's colours as the halftoning sees them.
constexpr COLORINFO kDeviceColours = {
    {6380, 3350, 0}, {2345, 6075, 0}, {1410, 932, 0}, {2000, 2450, 0}, {5210, 2100, 0}, {4750, 5100, 0},
    {3127, 3290, 0}, 12500, 12500, 12500, 585, 120, 0, 0, 0, 10000};

// Halftone pattern sizes by resolution, highest first.
struct PatternRow {
    int32_t minimumDpi;
    ULONG size;
};
constexpr PatternRow kPatternSizes[] = {{2400, 15}, {1800, 13}, {1200, 11}, {900, 9}, {400, 7}, {180, 5}, {0, 3}};

ULONG HalftonePatternSize(int32_t dpi)
{
    for (const PatternRow& row : kPatternSizes)
        if (dpi >= row.minimumDpi)
            return row.size;
    return 3;
}

} // namespace

int32_t DivideRoundHalfUp(int64_t numerator, int64_t denominator)
{
    return static_cast<int32_t>((numerator * 10 / denominator + 5) / 10);
}

int32_t PdevScale(PDevRecord* pdev)
{
    const int32_t scale = static_cast<int16_t>(GetPdevSettingWord(pdev, kFidScale));
    return (GetPdevSettingDword(pdev, kFidFields) & DM_SCALE) && scale > 0 ? scale : 100;
}

void FillGdiInfo(PDevRecord* pdev, GDIINFO* info)
{
    const FormTenths form = FormInTenths(pdev->requestedForm);
    const int32_t w = form.right - form.left, h = form.bottom - form.top;
    const int32_t d = static_cast<int16_t>(GetPdevSettingWord(pdev, kFidPrintQuality));
    const int32_t s = PdevScale(pdev);
    const bool colour = GetPdevSettingWord(pdev, kFidColor) == DMCOLOR_COLOR;

    std::memset(info, 0, sizeof(*info));
    info->ulVersion = 0x400;
    info->ulTechnology = DT_RASPRINTER;
    info->ulHorzSize = DivideRoundHalfUp(int64_t(w) * 10, s);
    info->ulVertSize = DivideRoundHalfUp(int64_t(h) * 10, s);
    info->ulHorzRes = DivideRoundHalfUp(int64_t(w) * d, 254);
    info->ulVertRes = DivideRoundHalfUp(int64_t(h) * d, 254);
    info->cBitsPixel = colour ? 24 : 1;
    info->cPlanes = 1;
    info->ulNumColors =
        !colour ? 2 : GetEffectiveValue(pdev->settings, pdev->printerSettings, kFidFullColourRange) == 1 ? 0xFFFFFF : 16;
    info->ulLogPixelsX = info->ulLogPixelsY = pdev->resolution;
    info->flTextCaps = kTextCaps;
    info->ulAspectX = info->ulAspectY = d;
    info->ulAspectXY = d * 1414 / 1000;
    info->xStyleStep = info->yStyleStep = 1;
    info->denStyleStep = d / 25;
    info->ptlPhysOffset = {DivideRoundHalfUp(int64_t(form.left) * d, 254), DivideRoundHalfUp(int64_t(form.top) * d, 254)};
    info->szlPhysSize = {DivideRoundHalfUp(int64_t(form.width) * d, 254), DivideRoundHalfUp(int64_t(form.height) * d, 254)};
    info->ciDevice = kDeviceColours;
    info->ulHTPatternSize = HalftonePatternSize(d);
    info->ulHTOutputFormat = colour && GetPdevSettingWord(pdev, kFidColorMode) != 1 ? 2 : 0;
    info->flHTFlags = HT_FLAG_HAS_BLACK_DYE;
}

int FillDevInfo(PDevRecord* pdev, const LOGFONTW* defaultFont, DEVINFO* info)
{
    std::memset(info, 0, sizeof(*info));
    info->flGraphicsCaps = kGraphicsCaps | (GetPdevSettingDword(pdev, kFidJobHeaderOn) == 0 ? GCAPS_DONTJOURNAL : 0);
    const bool fontsOff = GetPdevSettingDword(pdev, kFidNoDeviceFonts) == 1 ||
                          GetEffectiveValue(pdev->settings, pdev->printerSettings, kFidExternalConversion) == 1;
    info->cFonts = fontsOff ? 0 : pdev->deviceFontCount;
    // The stock variable and fixed fonts are copies of the default font under
    // the common face names.
    if (defaultFont != nullptr) {
        info->lfDefaultFont = *defaultFont;
        info->lfAnsiVarFont = info->lfAnsiFixFont = info->lfDefaultFont;
        wcscpy(info->lfAnsiVarFont.lfFaceName, L"Helvetica");
        info->lfAnsiVarFont.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
        info->lfAnsiVarFont.lfCharSet = ANSI_CHARSET;
        wcscpy(info->lfAnsiFixFont.lfFaceName, L"Courier");
        info->lfAnsiFixFont.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
        info->lfAnsiFixFont.lfCharSet = ANSI_CHARSET;
    }
    info->iDitherFormat = BMF_24BPP;
    if (pdev->palette)
        g_engine.EngDeletePalette(pdev->palette);
    pdev->palette = g_engine.EngCreatePalette(PAL_RGB, 0, nullptr, 0, 0, 0);
    info->hpalDefault = pdev->palette;
    return pdev->palette ? 0 : -1;
}
