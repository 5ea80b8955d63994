#include "render/frame/annotation_owner.h"

#include "common/context/settings_context.h"
#include "common/job/ansi_text.h"
#include "common/job/private_escapes.h"
#include "common/model/model_value_ops.h"
#include "common/settings/function_ids.h"
#include "render/device/pdev_record.h"

#include <cstring>

namespace {

constexpr CapabilityId kOwnerWithoutHost = 0x2000000;  // a mask of capability word 0
constexpr uint16_t kKindSettingsText = 7;              // identification kind: the user ID setting
// The owner text field runs up to the document name: 32 UTF-16 units holding
// at most 31 bytes' worth of ANSI text, as the interface library fills it.
constexpr size_t kOwnerUnits = (kAnnotationNameAt - kAnnotationText2At) / sizeof(wchar_t);
static_assert(kOwnerUnits == 32);
constexpr uint32_t kOwnerAnsiBytes = 31;

uint8_t ByteSetting(PDevRecord* pdev, uint16_t id)
{
    return static_cast<uint8_t>(GetPdevSettingWord(pdev, id) & 0xFF);
}

}  // namespace

const wchar_t* AnnotationOwnerIdentification(PDevRecord* pdev)
{
    const uint8_t account = ByteSetting(pdev, kFidAccountMode);
    const uint16_t kind = GetPdevSettingWord(pdev, account ? kFidOwnerKindAccount : kFidAdminUserIdKind);
    const uint16_t userId = account ? kFidOwnerAccountText : kFidAdminUserName;
    const bool withoutHost =
        pdev->settingsContext && TestModelCapability(pdev->settingsContext->main, kOwnerWithoutHost);
    const wchar_t* text = nullptr;
    if (withoutHost) {
        if (ByteSetting(pdev, account ? kFidPromptUser : kFidPromptAdministrator) == 1)
            text = GetPdevSettingString(pdev, kFidPromptText);
        else if (kind == kKindSettingsText)
            text = GetPdevSettingString(pdev, userId);
    } else if (kind == kKindSettingsText && account <= 1) {
        text = GetPdevSettingString(pdev, userId);
    }
    return text && *text ? text : nullptr;
}

void ConvertAnnotationOwner(PDevRecord* pdev, uint8_t* record)
{
    wchar_t owner[kOwnerUnits];
    std::memcpy(owner, record + kAnnotationText2At, sizeof(owner));
    if (owner[0] == 0)
        return;
    const wchar_t* identification = AnnotationOwnerIdentification(pdev);
    if (!identification)
        return;
    wchar_t converted[kOwnerUnits] = {};
    WideCutToAnsiLimit(identification, kOwnerAnsiBytes, converted, kOwnerUnits);
    std::memcpy(record + kAnnotationText2At, converted, sizeof(converted));
}
