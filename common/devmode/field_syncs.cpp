// The syncs between the public DEVMODE fields and the private settings they
// stand for, and the user paper slots.
#include "common/context/paper_list.h"
#include "common/context/settings_context.h"
#include "common/devmode/devmode_merge.h"
#include "common/devmode/setting_numbers.h"
#include "common/settings/function_ids.h"
#include "common/settings/paper_codes.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"
#include "common/system/spooler_forms.h"

#include <cwchar>

namespace {

constexpr uint16_t kFidTrueTypeSetting = 292;
constexpr uint16_t kFidColorMatching = 293;
constexpr uint16_t kFidColorPrint = 345;
constexpr uint16_t kFidScaleWanted = 1324;
constexpr uint16_t kFidCustomSizeWanted = 1331;
constexpr uint16_t kFidDefaultSourceSetting = 265;
constexpr uint16_t kFidNonzeroGroupMask = 273;
constexpr uint16_t kFidAllGroupsShown = 1314;
constexpr uint32_t kManualFeedSource = 258;
constexpr uint16_t kFormNameChars = 32;

// Settings 274-285 fall into four groups; a group with any non-zero value adds its bit.
struct NonzeroGroup {
    uint32_t bit;
    uint16_t ids[3];
};
constexpr NonzeroGroup kNonzeroGroups[] = {
    {1, {275, 279, 283}},
    {2, {276, 280, 284}},
    {4, {277, 281, 285}},
    {7, {274, 278, 282}},  // the last group stands for all three
};

bool SetFieldBits(void* record, void* printerSettingsRecord, uint32_t set, uint32_t clear)
{
    uint32_t fields = 0;
    return ReadSettingNumber(kFidFields, record, printerSettingsRecord, &fields) &&
           WriteSettingNumber(kFidFields, record, printerSettingsRecord, (fields & ~clear) | set);
}

}  // namespace

int SyncTrueTypeOption(void* record, void* printerSettingsRecord, uint16_t direction)
{
    uint32_t option = 0;
    uint32_t setting = 0;
    if (!ReadSettingNumber(kFidTTOption, record, printerSettingsRecord, &option) ||
        !ReadSettingNumber(kFidTrueTypeSetting, record, printerSettingsRecord, &setting))
        return 0;
    if (direction == kTrueTypeToSettings) {
        const uint32_t value = static_cast<int16_t>(option) == 1 ? 1 : static_cast<int32_t>(setting) > 0 ? 2 : 0;
        return WriteSettingNumber(kFidTrueTypeSetting, record, printerSettingsRecord, value);
    }
    return WriteSettingNumber(kFidTTOption, record, printerSettingsRecord, setting == 1 ? 1 : 3);
}

int SyncColorField(void* record, void* printerSettingsRecord)
{
    uint32_t mode = 0;
    if (!ReadSettingNumber(kFidColorMode, record, printerSettingsRecord, &mode))
        return 0;
    if (SettingNumberOr(kFidForceColorMode, record, printerSettingsRecord, 0) == 1 && mode != 1) {
        mode = 1;
        if (!WriteSettingNumber(kFidColorMode, record, printerSettingsRecord, mode))
            return 0;
    }
    const uint32_t color = mode == 1 && SettingNumberOr(kFidColorPrint, record, printerSettingsRecord, 0) == 1 ? 1 : 2;
    return WriteSettingNumber(kFidColor, record, printerSettingsRecord, color) &&
                   SetFieldBits(record, printerSettingsRecord, kDmColor, 0)
               ? 1
               : 0;
}

int SyncIcmMethod(void* record, void* printerSettingsRecord)
{
    const uint32_t method = SettingNumberOr(kFidColorMatching, record, printerSettingsRecord, 0) == 3 ? 2 : 1;
    return WriteSettingNumber(kFidICMMethod, record, printerSettingsRecord, method) &&
                   SetFieldBits(record, printerSettingsRecord, kDmIcmMethod, 0)
               ? 1
               : 0;
}

int UpdateScaleField(void* record, void* printerSettingsRecord)
{
    const bool wanted = SettingNumberOr(kFidScaleWanted, record, printerSettingsRecord, 0) == 1;
    return SetFieldBits(record, printerSettingsRecord, wanted ? kDmScale : 0, wanted ? 0 : kDmScale);
}

int UpdatePaperSizeFields(void* record, void* printerSettingsRecord)
{
    constexpr uint32_t kBoth = kDmPaperLength | kDmPaperWidth;
    const bool wanted = SettingNumberOr(kFidCustomSizeWanted, record, printerSettingsRecord, 0) == 1;
    return SetFieldBits(record, printerSettingsRecord, wanted ? kBoth : 0, wanted ? 0 : kBoth);
}

int CopySettingUnlessExcluded(void* record, void* printerSettingsRecord, uint32_t excluded, uint16_t source,
                              uint16_t target)
{
    uint32_t mode = 0;
    uint32_t value = 0;
    if (!ReadSettingNumber(kFidSourceSyncMode, record, printerSettingsRecord, &mode) ||
        !ReadSettingNumber(source, record, printerSettingsRecord, &value))
        return 0;
    if (mode == 0 || mode == 2 || value == excluded)
        return 1;
    return WriteSettingNumber(target, record, printerSettingsRecord, value);
}

int SyncDefaultSource(void* record, void* printerSettingsRecord)
{
    return CopySettingUnlessExcluded(record, printerSettingsRecord, kManualFeedSource, kFidDefaultSourceSetting,
                                     kFidDefaultSource);
}

int RecomputeNonzeroGroupMask(void* record, void* printerSettingsRecord)
{
    const bool allGroups = SettingNumberOr(kFidAllGroupsShown, record, printerSettingsRecord, 0) == 1;
    uint32_t mask = 0;
    for (const NonzeroGroup& group : kNonzeroGroups) {
        if (!allGroups && group.bit != 7)
            continue;
        for (uint16_t id : group.ids) {
            uint32_t value = 0;
            if (!ReadSettingNumber(id, record, printerSettingsRecord, &value))
                return 0;
            if (value != 0) {
                mask |= group.bit;
                break;
            }
        }
    }
    return WriteSettingNumber(kFidNonzeroGroupMask, record, printerSettingsRecord, mask);
}

int FindCustomPaperSlot(uint16_t paperCode, uint16_t* widthId, uint16_t* lengthId, uint16_t* nameId,
                        wchar_t* defaultName)
{
    for (uint16_t i = 0; i < kUserPaperCount; ++i) {
        if (CustomPaperCodeFromIndex(i) != paperCode)
            continue;
        if (widthId)
            *widthId = kFidUserPaperWidthFirst + i;
        if (lengthId)
            *lengthId = kFidUserPaperLengthFirst + i;
        if (nameId)
            *nameId = kFidUserPaperNameFirst + i;
        if (defaultName)
            FormatUserDefinedName(i, defaultName, 33);
        return 1;
    }
    return 0;
}

int SyncFormName(SettingsContext* context, HANDLE printer, void* record, void* printerSettingsRecord)
{
    uint32_t code = 0;
    uint32_t fields = 0;
    if (!ReadSettingNumber(kFidPaperSize, record, printerSettingsRecord, &code) ||
        !ReadSettingNumber(kFidFields, record, printerSettingsRecord, &fields))
        return 0;
    if (code == kFreeCustomPaperCode)
        return MergePaperFields(context, record, record, printerSettingsRecord, printer, fields);

    wchar_t name[kFormNameChars + 1] = {};
    uint16_t nameId = 0;
    const auto paper = static_cast<uint16_t>(code);
    if (FindCustomPaperSlot(paper, nullptr, nullptr, &nameId, nullptr)) {
        uint16_t type = 0;
        uint32_t size = 0;
        uint64_t holder = 0;
        if (GetFunctionIdValue(nameId, record, printerSettingsRecord, &type, &size, &holder) != kSettingOk ||
            type != kTypeString)
            return 0;
        wcsncpy(name, reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(holder)), kFormNameChars - 1);
    } else if (HasPaperList(context) == 1) {
        const wchar_t* listed = nullptr;
        if (FindPaperListEntry(context, kPaperKeyFormNumber, &paper, kPaperOutName, &listed) != kPaperListOk ||
            !listed)
            return 0;
        wcsncpy(name, listed, kFormNameChars - 1);
    } else {
        GlobalBlockPtr<wchar_t> formName(GetFormNameByNumber(printer, paper));
        if (!formName)
            return 0;
        wcsncpy(name, formName.get(), kFormNameChars - 1);
    }
    const uint64_t holder = reinterpret_cast<uintptr_t>(name);
    const auto bytes = static_cast<uint32_t>((wcslen(name) + 1) * sizeof(wchar_t));
    if (SetFunctionIdValue(kFidFormName, record, printerSettingsRecord, kTypeString, bytes, &holder) != kSettingOk)
        return 0;
    return MergePaperFields(context, record, record, printerSettingsRecord, printer, kDmFormName);
}
