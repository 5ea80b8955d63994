#include "render/device/overlay_options.h"

#include "common/context/settings_context.h"
#include "common/model/model_value_ops.h"
#include "common/settings/function_ids.h"
#include "render/device/pdev_record.h"

namespace {

constexpr uint16_t kFidOverlayFirstPageOnly = 1286;
constexpr uint16_t kFidOverlayValue = 1287;
constexpr uint16_t kFidOverlayOwnClip = 1288;
constexpr uint16_t kFidFirstAnnotationItem = 1296;   // 1296-1301: an item is on
constexpr uint16_t kFidFirstAnnotationValue = 351;   // 351-356: its value
constexpr uint16_t kBookletLayout = 2;
constexpr CapabilityId kBookletAnnotationCapability = CapabilityBit(0x35);

bool Named(PDevRecord* pdev, uint16_t id)
{
    const wchar_t* text = GetPdevSettingString(pdev, id);
    return text && *text;
}

} // namespace

OverlayOptions ReadOverlayOptions(PDevRecord* pdev)
{
    OverlayOptions o{};
    o.present = Named(pdev, kFidStampName) && Named(pdev, kFidStampDetail);
    if (o.present) {
        o.ownClip = GetPdevSettingDword(pdev, kFidOverlayOwnClip) != 0;
        o.firstPageOnly = GetPdevSettingDword(pdev, kFidOverlayFirstPageOnly) != 0;
        o.overlayValue = GetPdevSettingDword(pdev, kFidOverlayValue) != 0;
    }
    for (uint16_t i = 0; i < 6; ++i) {
        o.items[i] = -1;
        if (GetPdevSettingDword(pdev, uint16_t(kFidFirstAnnotationItem + i)) == 0)
            continue;
        o.items[i] = GetPdevSettingWord(pdev, uint16_t(kFidFirstAnnotationValue + i));
        o.annotationItems = true;
    }
    o.bookletAnnotation = o.annotationItems && GetPdevSettingWord(pdev, kFidPosterBooklet) == kBookletLayout &&
                          GetPdevSettingWord(pdev, kFidPagesPerSheet) == 1 && pdev->settingsContext &&
                          TestModelCapability(pdev->settingsContext->main, kBookletAnnotationCapability);
    return o;
}

bool IsOverlayDrawingActive(PDevRecord* pdev, const OverlayOptions& options)
{
    return pdev->watermarkBracket ? options.present : pdev->annotationBracket != 0;
}

bool UsesOverlayClip(PDevRecord* pdev)
{
    if (!pdev->watermarkBracket && !pdev->annotationBracket)
        return false;
    const OverlayOptions options = ReadOverlayOptions(pdev);
    if (pdev->annotationBracket)
        return !options.bookletAnnotation;
    return options.present && options.ownClip;
}

uint32_t BracketOverlayValue(PDevRecord* pdev, const OverlayOptions& options)
{
    return pdev->watermarkBracket && options.present && options.overlayValue ? 1 : 0;
}
