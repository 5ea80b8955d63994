#include "common/devmode/devmode_merge.h"

#include "common/config/site_config.h"
#include "common/context/context_utilities.h"
#include "common/context/model_lookups.h"
#include "common/context/settings_context.h"
#include "common/defaults/item_groups.h"
#include "common/defaults/setting_defaults.h"
#include "common/devmode/devmode_input.h"
#include "common/devmode/setting_numbers.h"
#include "common/records/settings_records.h"
#include "common/settings/function_ids.h"
#include "common/settings/unaligned_bytes.h"
#include "common/config/config_field_overrides.h"
#include "common/settings/trace_settings_dump.h"

#include <cstring>
#include <memory>

namespace {

constexpr uint16_t kFidDefaultSourceSetting = 265;
constexpr uint16_t kFidScaleWanted = 1324;
constexpr uint16_t kFidFormDatabase = 5201;  // printer setting: spooler forms in use, overrides on
constexpr uint16_t kFidPrivateMedia = 388;
constexpr uint16_t kFidPrivateMediaSecond = 453;
constexpr uint32_t kManualFeedSource = 258;
constexpr int16_t kSourceForManualFeed = 7;
constexpr int16_t kSourceAutomatic = 15;

// The public fields the merge folds in, in this order.
struct MergedField {
    uint32_t bit;
    uint16_t id;
};
constexpr MergedField kMergedFields[] = {
    {kDmOrientation, kFidOrientation}, {kDmScale, kFidScale},         {kDmCopies, kFidCopies},
    {kDmDefaultSource, kFidDefaultSource}, {kDmDuplex, kFidDuplex},   {kDmTTOption, kFidTTOption},
    {kDmCollate, kFidCollate},         {kDmIcmIntent, kFidICMIntent}, {kDmMediaType, kFidMediaType},
    {kDmDitherType, kFidDitherType},
};

// Settings whose incoming value the handler must accept; all others are taken.
constexpr uint16_t kAcceptanceList[] = {kFidCopies, kFidDefaultSource, kFidDuplex, kFidOrientation,
                                        kFidTTOption, kFidICMMethod, kFidColor, kFidScale,
                                        kFidCollate, kFidICMIntent};

bool InAcceptanceList(uint16_t id)
{
    for (uint16_t listed : kAcceptanceList) {
        if (listed == id)
            return true;
    }
    return false;
}

struct InputDeleter {
    void operator()(InputDevmode* input) const { delete input; }
};
using InputPtr = std::unique_ptr<InputDevmode, InputDeleter>;

InputPtr LoadInput(const void* devmode)
{
    InputPtr input(new (std::nothrow) InputDevmode);
    if (input)
        LoadInputDevmode(devmode, input.get());
    return input;
}

void ApplyEnforced(SettingsContext* context, void* record, void* printerSettingsRecord)
{
    if (context && context->siteConfig)
        ApplyConfiguredSettings(context->siteConfig, record, printerSettingsRecord, kApplyEnforcedOnly);
}

bool OverridesOn(const SettingsContext* context)
{
    return context && context->overrides && IsOverrideSectionFound(context->overrides);
}

// The mode of the resolution merge: the overrides may ask for the incoming
// resolution to be taken as it is.
uint16_t ResolutionMode(const SettingsContext* context, uint16_t mode)
{
    if (!OverridesOn(context))
        return mode;
    uint16_t merge = 0;
    uint16_t overrideMode = 0;
    if (GetOverrideMergeValue(context->overrides, kOverrideResolution, &merge) == kOverrideOk &&
        GetOverrideModeValue(context->overrides, kOverrideResolution, &overrideMode) == kOverrideOk && merge == 1 &&
        overrideMode == 1)
        return kMergeAccept;
    return mode;
}

// `mask` is what the model allows of the input's fields; the paper is resolved
// with all the input's fields once any paper field is allowed.
int FollowOnSteps(SettingsContext* context, void* output, InputDevmode* input, void* printerSettingsRecord,
                  HANDLE printer, uint16_t mode, uint32_t overrides, uint32_t inputFields, uint32_t mask)
{
    uint32_t source = 0;
    if (!ReadSettingNumber(kFidDefaultSource, output, printerSettingsRecord, &source))
        return 0;
    if (static_cast<int16_t>(source) < 1) {
        const int16_t chosen =
            SettingNumberOr(kFidDefaultSourceSetting, output, printerSettingsRecord, 0) == kManualFeedSource
                ? kSourceForManualFeed
                : kSourceAutomatic;
        if (!WriteSettingNumber(kFidDefaultSource, output, printerSettingsRecord, static_cast<uint16_t>(chosen)))
            return 0;
    }
    if ((mask & kDmPaperFields) &&
        !MergePaperFields(context, output, input->record, printerSettingsRecord, printer, inputFields))
        return 0;
    if ((mask & kDmResolutionFields) &&
        !MergeResolutionFields(context, output, input->record, printerSettingsRecord, ResolutionMode(context, mode)))
        return 0;
    if (!SyncTrueTypeOption(output, printerSettingsRecord, kTrueTypeToSettings))
        return 0;
    if (overrides && (ApplyOverrideMappings(context->overrides, output) != kOverrideOk ||
                      !ApplyConfiguredColorDefault(context, output, printerSettingsRecord)))
        return 0;
    if (!SyncColorField(output, printerSettingsRecord) || !UpdateScaleField(output, printerSettingsRecord) ||
        !UpdateCollateField(output, printerSettingsRecord, context) ||
        !CopySettingUnlessExcluded(output, printerSettingsRecord, static_cast<uint16_t>(kSourceAutomatic),
                                   kFidDefaultSource, kFidDefaultSourceSetting) ||
        !SyncIcmMethod(output, printerSettingsRecord))
        return 0;
    if (overrides && (mask & kDmMediaType) && !ApplyConfiguredMediaType(context, output, printerSettingsRecord))
        return 0;
    return 1;
}

void TraceRecord(const wchar_t* publicTitle, const wchar_t* fieldsTitle, const wchar_t* privateTitle,
                 const wchar_t* privateTitleBare, void* record, void* printerSettingsRecord)
{
    TraceDumpSettings(0, publicTitle, record, printerSettingsRecord);
    TraceDumpPrivateSetting(fieldsTitle, record, kFidFields);
    TraceDumpPrivateSetting(privateTitle, record, kFidColorMode);
    TraceDumpPrivateSetting(privateTitleBare, record, kFidPrivateMedia);
    TraceDumpPrivateSetting(privateTitleBare, record, kFidPrivateMediaSecond);
}

}  // namespace

bool IsOwnDevmode(SettingsContext* context, void* record, void* printerSettingsRecord)
{
    if (!record)
        return false;
    const auto* bytes = static_cast<const uint8_t*>(record);
    // Only then does the DEVMODE hold our whole common part where we keep it.
    if (LoadU16(bytes + kDmSizeOffset) != kPublicDevmodeSize ||
        LoadU16(bytes + kDmDriverExtraOffset) < kOrdinaryDriverExtra)
        return false;
    for (uint16_t id : {kFidSpecVersion, kFidSize, kFidDriverExtra, kFidPrivateVersion, kFidModelName}) {
        if (RunFunctionIdHandler(context, id, record, printerSettingsRecord, kItemOpCheck) == 0)
            return false;
    }
    return true;
}

int CopyCommonPart(void* output, const void* input)
{
    if (!output || !input)
        return 0;
    auto* out = static_cast<uint8_t*>(output);
    uint8_t kept[2];
    std::memcpy(kept, out + kPublicDevmodeSize + 2, sizeof kept);  // setting 258 follows 257
    std::memcpy(out + kPublicDevmodeSize, static_cast<const uint8_t*>(input) + kPublicDevmodeSize,
                kPrivatePartOffset - kPublicDevmodeSize);
    std::memcpy(out + kPublicDevmodeSize + 2, kept, sizeof kept);
    return 1;
}

int IsFieldAcceptable(SettingsContext* context, InputDevmode* input, void* printerSettingsRecord, uint16_t id,
                      uint16_t mode)
{
    if (!input)
        return 0;
    if (id >= kFidICMMethod && id <= kFidDitherType && input->size < kDevmodeSizeWithIcm)
        return 0;
    if (!InAcceptanceList(id))
        return 1;
    return RunFunctionIdHandler(context, id, input->record, printerSettingsRecord, mode) != 0 ? 1 : 0;
}

int MergeResolutionFields(SettingsContext* context, void* output, void* input, void* printerSettingsRecord,
                          uint16_t mode)
{
    bool taken = false;
    if (mode == kMergeAccept) {
        uint32_t quality = 0;
        if (ReadSettingNumber(kFidPrintQuality, input, printerSettingsRecord, &quality) &&
            static_cast<int16_t>(quality) > 0) {
            if (!CopySettingValue(output, input, printerSettingsRecord, kFidPrintQuality) ||
                !CopySettingValue(output, input, printerSettingsRecord, kFidYResolution))
                return 0;
            taken = true;
        }
    } else if (RunFunctionIdHandler(context, kFidResolution, input, printerSettingsRecord, kItemOpCheck) != 0) {
        if (!CopySettingValue(output, input, printerSettingsRecord, kFidResolution))
            return 0;
        taken = true;
    }
    if (taken) {
        uint32_t fields = 0;
        if (!ReadSettingNumber(kFidFields, output, printerSettingsRecord, &fields) ||
            !WriteSettingNumber(kFidFields, output, printerSettingsRecord, fields | kDmResolutionFields))
            return 0;
    }
    return 1;
}

int MergeInputDevmodeCore(SettingsContext* context, void* settingsRecord, InputDevmode* input,
                          void* printerSettingsRecord, HANDLE printer, uint16_t mode, uint32_t overrides)
{
    if (!settingsRecord || !printerSettingsRecord)
        return 0;
    if (!input)
        return 1;
    if (input->size < kSmallestMergedDevmode) {
        ApplyEnforced(context, settingsRecord, printerSettingsRecord);
        return 1;
    }
    const bool own = IsOwnDevmode(context, input->record, printerSettingsRecord);
    if (own && !CopyCommonPart(settingsRecord, input->record))
        return 0;

    uint32_t inputFields = LoadU32(input->record + kDmFieldsOffset);
    uint32_t outputFields = 0;
    if (!ReadSettingNumber(kFidFields, settingsRecord, printerSettingsRecord, &outputFields))
        return 0;
    if (overrides) {
        uint32_t collate = 0;
        if (!ReadSettingNumber(kFidCollate, input->record, printerSettingsRecord, &collate) ||
            ComputeOverrideFieldFlags(context->overrides, inputFields, collate, &inputFields) != kOverrideOk)
            return 0;
    }
    uint32_t allowed = 0;
    if (!BuildSupportedFieldsMask(context, &allowed, kMergeCheck))
        allowed = 0;
    if (own && SettingNumberOr(kFidScaleWanted, input->record, printerSettingsRecord, 1) == 0)
        allowed &= ~kDmScale;

    for (const MergedField& field : kMergedFields) {
        if (!(field.bit & allowed & inputFields))
            continue;
        if (!IsFieldAcceptable(context, input, printerSettingsRecord, field.id, mode))
            continue;
        if (!CopySettingValue(settingsRecord, input->record, printerSettingsRecord, field.id))
            return 0;
        outputFields |= field.bit;
    }
    if (!WriteSettingNumber(kFidFields, settingsRecord, printerSettingsRecord, outputFields))
        return 0;

    const int result = FollowOnSteps(context, settingsRecord, input, printerSettingsRecord, printer, mode, overrides,
                                     inputFields, allowed & inputFields);
    ApplyEnforced(context, settingsRecord, printerSettingsRecord);
    return result;
}

int MergeInputDevmode(SettingsContext* context, void* settingsRecord, const void* input, void* printerSettingsRecord,
                      HANDLE printer, uint16_t mode)
{
    if (!settingsRecord || !printerSettingsRecord)
        return 0;
    if (!input)
        return 1;
    InputPtr safe = LoadInput(input);
    if (!safe)
        return 0;
    return MergeInputDevmodeCore(context, settingsRecord, safe.get(), printerSettingsRecord, printer, mode, 0);
}

int MergeInputDevmodeWithOverrides(SettingsContext* context, void* settingsRecord, const void* input,
                                   void* printerSettingsRecord, HANDLE printer, uint16_t mode)
{
    if (!settingsRecord || !printerSettingsRecord)
        return 0;
    if (!input)
        return 1;
    InputPtr safe = LoadInput(input);
    if (!safe)
        return 0;
    uint32_t overrides = 0;
    if (OverridesOn(context)) {
        overrides = SettingNumberOr(kFidFormDatabase, settingsRecord, printerSettingsRecord, 0);
        if (overrides && ApplyOverrideMappings(context->overrides, safe->record) != kOverrideOk)
            return 0;
    }
    TraceRecord(L"\nInput DEVMODE(Public)", L"\nInput DEVMODE(dmFields)", L"\nInput DEVMODE(Private)",
                L"Input DEVMODE(Private)", safe->record, printerSettingsRecord);
    const int result = MergeInputDevmodeCore(context, settingsRecord, safe.get(), printerSettingsRecord, printer,
                                             mode, overrides);
    TraceRecord(L"\nOutput DEVMODE(Public)", L"\nOutput DEVMODE(dmFields)", L"\nOutput DEVMODE(Private)",
                L"Output DEVMODE(Private)", settingsRecord, printerSettingsRecord);
    return result;
}
