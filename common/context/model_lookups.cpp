#include "common/context/model_lookups.h"
#include "common/system/system_utilities.h"

#include "common/config/site_config.h"
#include "common/context/context_utilities.h"
#include "common/context/section_holder.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/model/model_kinds.h"
#include "common/model/model_value_ops.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/global_block.h"
#include "common/model/application_entry.h"
#include "common/context/setting_rules.h"

#include <cstring>
#include <cwchar>

namespace {

constexpr uint16_t kFidPaperSizeSetting = 8;
constexpr uint16_t kFidPresetWanted = 1356;
constexpr uint16_t kFidPresetApplied = 466;
constexpr uint32_t kCollateFlag = 0x8000;  // DM_COLLATE

bool Report(uint16_t* status, uint16_t value)
{
    if (status != nullptr)
        *status = value;
    return value == kLookupOk;
}

bool HasModel(const SettingsContext* context)
{
    return context != nullptr && context->main != nullptr;
}

// A string value's text: within its bytes, terminated or not.
size_t StringLength(const ModelValue& value)
{
    return value.data != nullptr ? wcsnlen(reinterpret_cast<const wchar_t*>(value.data), value.size / 2) : 0;
}

// The option of the setting's feature whose value equals the holder's.
uint16_t LoadOptionForValue(const SettingsContext* context, uint16_t id, const void* value, SectionHolder* option)
{
    uint16_t kind = 0;
    wchar_t* name = nullptr;
    // The holder is of the setting's type and the options are compared by
    // theirs: a feature whose options are of another kind of value is a fault
    // of the file, refused before any holder is read as an option's type.
    {
        SectionHolder feature;
        const uint16_t status =
            LoadItemFeature(false, context->main, context->linked, id, nullptr, &kind, feature.out(), &name);
        if (name != nullptr)
            GlobalFree(name);
        name = nullptr;
        const FeatureSection* f = status == kModelOk ? AsFeature(feature.section) : nullptr;
        if (f != nullptr && !f->options.empty()) {
            uint16_t valueClass = kValueClassNone;
            if (GetFeatureValueClass(context->main, context->linked, feature.section, &valueClass) != kModelOk ||
                !ModelValueClassAgreesWithSetting(id, valueClass))
                return kModelBad;
        }
    }
    const uint16_t status =
        LoadItemFeature(false, context->main, context->linked, id, value, &kind, option->out(), &name);
    if (name != nullptr)
        GlobalFree(name);
    if (status != kModelOk)
        return status;
    return AsOption(option->section) != nullptr ? kModelOk : kModelAbsent;
}

uint16_t LoadTargetForValue(const SettingsContext* context, uint16_t id, const void* value, SectionHolder* target)
{
    SectionHolder option;
    const uint16_t status = LoadOptionForValue(context, id, value, &option);
    if (status != kModelOk)
        return status;
    uint16_t kind = 0;
    return LoadOptionTarget(false, context->main, context->linked, option.section, &kind, target->out());
}

// The default value in an 8-byte holder (strings as a pointer into `value`).
uint16_t DefaultHolder(const SettingsContext* context, uint16_t id, ModelValue* value, uint64_t* holder)
{
    const uint16_t status = ReadModelDefault(context->main, context->linked, id, value);
    if (status != kModelOk)
        return status;
    *holder = 0;
    if (value->type == kTypeString) {
        *holder = reinterpret_cast<uintptr_t>(value->data);
        return kModelOk;
    }
    uint32_t number = 0;
    if (!ModelValueNumber(*value, &number))
        return kModelBad;
    *holder = number;
    return kModelOk;
}

bool MatchesRequest(const PaperSection& paper, int mode, const OptionRequest& request)
{
    switch (mode) {
    case kPaperByNumber: return paper.id == request.number;
    case kPaperBySize: return SizesMatch(paper.size.x, paper.size.y, request.width, request.height);
    case kPaperByName: return _wcsicmp(paper.name.c_str(), request.name) == 0;
    default: return false;
    }
}

}  // namespace

BOOL GetModelDefault(const SettingsContext* context, uint16_t id, uint64_t* value, uint16_t* type, uint16_t* status)
{
    if (!HasModel(context) || value == nullptr || type == nullptr)
        return Report(status, kLookupError);
    ModelValue model;
    uint64_t holder = 0;
    const uint16_t read = DefaultHolder(context, id, &model, &holder);
    if (read != kModelOk)
        return Report(status, LookupStatusOf(read));
    if (model.type == kTypeString) {
        wchar_t* text = CopyTextToGlobal(reinterpret_cast<const wchar_t*>(model.data), StringLength(model));
        if (text == nullptr)
            return Report(status, kLookupNoMemory);
        holder = reinterpret_cast<uintptr_t>(text);
    }
    *value = holder;
    *type = model.type;
    return Report(status, kLookupOk);
}

uint32_t GetModelNumberOr(const SettingsContext* context, uint16_t id, uint32_t fallback)
{
    uint64_t value = 0;
    uint16_t type = 0;
    uint16_t status = 0;
    if (!GetModelDefault(context, id, &value, &type, &status))
        return fallback;
    if (type == kTypeString) {
        FreeModelDefault(value, type);
        return fallback;
    }
    return static_cast<uint32_t>(value);
}

void FreeModelDefault(uint64_t value, uint16_t type)
{
    if (type == kTypeString && value != 0)
        GlobalFree(reinterpret_cast<void*>(static_cast<uintptr_t>(value)));
}

BOOL GetItemFeature(const SettingsContext* context, uint16_t id, uint16_t* listKind, uint16_t* optionCount,
                    const wchar_t** displayName, ModelSection** section, uint16_t* status)
{
    if (section != nullptr)
        *section = nullptr;
    if (!HasModel(context) || section == nullptr)
        return Report(status, kLookupError);
    uint16_t kind = 0;
    wchar_t* modelName = nullptr;
    SectionHolder feature;
    const uint16_t loaded =
        LoadItemFeature(true, context->main, context->linked, id, nullptr, &kind, feature.out(), &modelName);
    if (modelName != nullptr)
        GlobalFree(modelName);
    if (loaded != kModelOk)
        return Report(status, LookupStatusOf(loaded));
    // The header (settings 1 and 259) is no feature record.
    if (feature.section == nullptr)
        return Report(status, kLookupError);
    const FeatureSection* record = AsFeature(feature.section);
    if (listKind != nullptr)
        *listKind = record != nullptr ? record->listKind : 0;
    if (optionCount != nullptr)
        *optionCount = record != nullptr ? static_cast<uint16_t>(record->options.size()) : 0;
    if (displayName != nullptr)
        *displayName = GetSectionDisplayName(feature.section);
    *section = feature.section;
    feature.section = nullptr;
    return Report(status, kLookupOk);
}

void FreeItemFeature(ModelSection* section)
{
    FreeModelSection(&section, 0);
}

BOOL GetItemOption(const SettingsContext* context, uint16_t id, uint16_t n, ModelSection** copy, uint16_t* status)
{
    if (copy != nullptr)
        *copy = nullptr;
    if (!HasModel(context) || copy == nullptr)
        return Report(status, kLookupError);
    return Report(status, LookupStatusOf(GetItemOptionCopy(context->main, context->linked, id, n, copy)));
}

BOOL FreeItemOption(ModelSection** holder)
{
    if (holder != nullptr)
        FreeModelSection(holder, 0);
    return TRUE;
}

BOOL GetOptionCopyFields(const ModelSection* copy, uint64_t* value, const wchar_t** name, uint16_t* type,
                         const uint8_t** byteBlock, uint32_t* byteBlockSize)
{
    const OptionCopySection* record = AsOptionCopy(copy);
    if (record == nullptr)
        return FALSE;
    if (value != nullptr) {
        uint32_t number = 0;
        if (record->value.type == kTypeString)
            *value = reinterpret_cast<uintptr_t>(record->value.data);
        else
            *value = ModelValueNumber(record->value, &number) ? number : 0;
    }
    if (name != nullptr)
        *name = record->name.c_str();
    if (type != nullptr)
        *type = record->value.type;
    if (byteBlock != nullptr)
        *byteBlock = record->hasByteBlock && !record->byteBlock.empty() ? record->byteBlock.data() : nullptr;
    if (byteBlockSize != nullptr)
        *byteBlockSize = record->hasByteBlock ? static_cast<uint32_t>(record->byteBlock.size()) : 0;
    return TRUE;
}

BOOL HasOptionForValue(const SettingsContext* context, uint16_t id, const void* value)
{
    if (!HasModel(context) || value == nullptr)
        return FALSE;
    SectionHolder option;
    return LoadOptionForValue(context, id, value, &option) == kModelOk;
}

ModelSection* GetOptionTargetForValue(const SettingsContext* context, uint16_t id, const void* value,
                                      uint16_t* status)
{
    if (!HasModel(context) || value == nullptr) {
        Report(status, kLookupError);
        return nullptr;
    }
    SectionHolder target;
    if (!Report(status, LookupStatusOf(LoadTargetForValue(context, id, value, &target))))
        return nullptr;
    ModelSection* section = target.section;
    target.section = nullptr;
    return section;
}

void* GetModelDefaultValue(const SettingsContext* context, uint16_t id, uint32_t* size, uint16_t* status)
{
    if (size != nullptr)
        *size = 0;
    if (!HasModel(context)) {
        Report(status, kLookupError);
        return nullptr;
    }
    ModelValue value;
    const uint16_t read = ReadModelDefault(context->main, context->linked, id, &value);
    if (!Report(status, LookupStatusOf(read)))
        return nullptr;
    // A string gets its terminator even when the file stored none.
    const uint32_t bytes = value.type == kTypeString ? static_cast<uint32_t>((StringLength(value) + 1) * 2)
                                                     : value.size;
    auto* block = static_cast<uint8_t*>(GlobalAlloc(GPTR, bytes + 1));
    if (block == nullptr) {
        Report(status, kLookupNoMemory);
        return nullptr;
    }
    if (value.data != nullptr)
        std::memcpy(block, value.data, value.type == kTypeString ? bytes - 2 : bytes);
    if (size != nullptr)
        *size = bytes;
    return block;
}

BOOL GetOptionPaperSize(const SettingsContext* context, uint16_t id, const void* value, uint16_t* width,
                        uint16_t* height, uint16_t* areaWidth, uint16_t* areaHeight, uint16_t* status)
{
    if (!HasModel(context) || value == nullptr)
        return Report(status, kLookupError);
    SectionHolder target;
    const uint16_t loaded = LoadTargetForValue(context, id, value, &target);
    if (loaded != kModelOk)
        return Report(status, LookupStatusOf(loaded));
    const PaperSection* paper = AsPaper(target.section);
    if (paper == nullptr)
        return Report(status, kLookupError);
    if (width != nullptr)
        *width = paper->size.x;
    if (height != nullptr)
        *height = paper->size.y;
    if (areaWidth != nullptr)
        *areaWidth = paper->area.x;
    if (areaHeight != nullptr)
        *areaHeight = paper->area.y;
    return Report(status, kLookupOk);
}

BOOL GetDefaultPaperSize(const SettingsContext* context, uint16_t id, uint16_t* width, uint16_t* height,
                         uint16_t* areaWidth, uint16_t* areaHeight, uint16_t* status)
{
    if (!HasModel(context))
        return Report(status, kLookupError);
    ModelValue value;
    uint64_t holder = 0;
    const uint16_t read = DefaultHolder(context, id, &value, &holder);
    if (read != kModelOk)
        return Report(status, LookupStatusOf(read));
    return GetOptionPaperSize(context, id, &holder, width, height, areaWidth, areaHeight, status);
}

wchar_t* GetDefaultTargetName(const SettingsContext* context, uint16_t id, uint16_t* status)
{
    if (!HasModel(context)) {
        Report(status, kLookupError);
        return nullptr;
    }
    ModelValue value;
    uint64_t holder = 0;
    SectionHolder target;
    uint16_t read = DefaultHolder(context, id, &value, &holder);
    if (read == kModelOk)
        read = LoadTargetForValue(context, id, &holder, &target);
    if (!Report(status, LookupStatusOf(read)))
        return nullptr;
    const wchar_t* name = GetSectionDisplayName(target.section);
    if (name == nullptr) {
        Report(status, kLookupAbsent);
        return nullptr;
    }
    wchar_t* copy = CopyTextToGlobal(name, wcslen(name));
    Report(status, copy != nullptr ? kLookupOk : kLookupNoMemory);
    return copy;
}

BOOL FindPaperOption(const SettingsContext* context, uint16_t id, int mode, OptionRequest* request, uint16_t* status)
{
    if (!HasModel(context) || request == nullptr || mode < kPaperByNumber || mode > kPaperByName)
        return Report(status, kLookupError);
    if (mode == kPaperByName && request->name == nullptr)
        return FALSE;
    uint16_t count = 0;
    ModelSection* feature = nullptr;
    uint16_t featureStatus = kLookupOk;
    if (!GetItemFeature(context, id, nullptr, &count, nullptr, &feature, &featureStatus))
        return Report(status, featureStatus);
    FreeItemFeature(feature);
    for (uint16_t n = 1; n <= count; ++n) {
        SectionHolder option;
        SectionHolder target;
        uint16_t kind = 0;
        if (LoadItemOption(false, context->main, context->linked, id, n, &kind, option.out()) != kModelOk ||
            LoadOptionTarget(false, context->main, context->linked, option.section, &kind, target.out()) !=
                kModelOk)
            continue;
        const PaperSection* paper = AsPaper(target.section);
        if (paper == nullptr || !MatchesRequest(*paper, mode, *request))
            continue;
        wchar_t* name = CopyTextToGlobal(paper->name.c_str(), paper->name.size());
        if (name == nullptr)
            return Report(status, kLookupNoMemory);
        request->name = name;
        request->number = paper->id;
        request->width = paper->size.x;
        request->height = paper->size.y;
        return Report(status, kLookupOk);
    }
    return Report(status, kLookupAbsent);
}

void FreeOptionRequestName(OptionRequest* request)
{
    if (request != nullptr && request->name != nullptr) {
        GlobalFree(request->name);
        request->name = nullptr;
    }
}

BOOL UpdateCollateField(void* settingsRecord, void* printerSettingsRecord, const SettingsContext* context)
{
    uint32_t fields = 0;
    if (!ReadSettingNumber(6, settingsRecord, printerSettingsRecord, &fields))
        return FALSE;
    CapabilityBits bits = {};
    if (HasModel(context) && GetModelCapabilityBits(context->main, &bits)) {
        const int verdict = GetCollateSupport(settingsRecord, printerSettingsRecord, &bits);
        if (verdict == 1 || verdict == 2)
            fields |= kCollateFlag;
        else if (verdict == 3)
            fields &= ~kCollateFlag;
    }
    return WriteSettingNumber(6, settingsRecord, printerSettingsRecord, fields) ? TRUE : FALSE;
}

uint32_t GetInitialPresetIndex(const SettingsContext* context)
{
    if (!HasModel(context))
        return 0;
    return static_cast<uint32_t>(FindApplicationEntry(context->main, context->linked));
}

BOOL ApplyInitialPreset(const SettingsContext* context, void* settingsRecord, void* printerSettingsRecord)
{
    return ApplyPresetByIndex(context, settingsRecord, printerSettingsRecord, GetInitialPresetIndex(context));
}

BOOL ApplyPresetByIndex(const SettingsContext* context, void* settingsRecord, void* printerSettingsRecord,
                        uint32_t index)
{
    uint32_t wanted = 0;
    if (!ReadSettingNumber(kFidPresetWanted, settingsRecord, printerSettingsRecord, &wanted))
        return FALSE;
    if (wanted == 0)
        return TRUE;
    uint32_t applied = 0;
    if (!ReadSettingNumber(kFidPresetApplied, settingsRecord, printerSettingsRecord, &applied))
        return FALSE;
    if (applied != 0)
        return TRUE;
    const ConfiguredSettingsList* site = context != nullptr ? context->siteConfig : nullptr;
    if (index == 0) {
        ApplyConfiguredSettings(site, settingsRecord, printerSettingsRecord, kApplyEnforcedOnly);
        return TRUE;
    }
    if (!HasModel(context))
        return FALSE;
    SectionHolder preset;
    if (LoadModelTableWithOption(true, context->main, context->linked, kKindPreset,
                                 static_cast<uint16_t>(index & 0xFF), 0, preset.out()) != kModelOk)
        return FALSE;
    uint16_t count = 0;
    if (GetPresetCount(preset.section, &count) != kModelOk)
        return FALSE;
    for (uint16_t i = 1; i <= count; ++i) {
        ModelSettingValue entry = {};
        if (GetPresetEntry(preset.section, i, &entry) != kModelOk || entry.data == nullptr)
            return FALSE;
        uint64_t holder = 0;
        if (entry.type == kTypeString || entry.type == kTypeLogFont)
            holder = reinterpret_cast<uintptr_t>(entry.data);
        else
            std::memcpy(&holder, entry.data, entry.size < sizeof holder ? entry.size : sizeof holder);
        if (SetFunctionIdValue(entry.settingId, settingsRecord, printerSettingsRecord, entry.type, entry.size,
                               &holder) != kSettingOk)
            return FALSE;
    }
    const uint64_t flag = 1;
    if (SetFunctionIdValue(kFidPresetApplied, settingsRecord, printerSettingsRecord, kTypeByte, 1, &flag) !=
        kSettingOk)
        return FALSE;
    ApplyConfiguredSettings(site, settingsRecord, printerSettingsRecord, kApplyEnforcedOnly);
    return TRUE;
}

int FindFormPaper(const SettingsContext* context, const FORM_INFO_1W* forms, uint32_t formCount,
                  const uint32_t* formIndexes, uint32_t count, int mode, const OptionRequest* request,
                  FormPaperMatch* match)
{
    if (forms == nullptr || formIndexes == nullptr || request == nullptr || match == nullptr)
        return 0;
    if (mode == kFormByName && request->name == nullptr)
        return 0;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t index = formIndexes[i];
        if (index >= formCount || forms[index].pName == nullptr)
            continue;
        const FORM_INFO_1W& form = forms[index];
        const bool taken = mode == kFormByName ? _wcsicmp(form.pName, request->name) == 0
                           : mode == kFormByNumber ? index + 1 == request->number
                                                    : false;
        if (!taken)
            continue;
        OptionRequest byName = {0, 0, 0, form.pName};
        if (!FindPaperOption(context, kFidPaperSizeSetting, kPaperByName, &byName, nullptr))
            continue;
        FreeOptionRequestName(&byName);
        match->formNumber = static_cast<uint16_t>(index + 1);
        match->width = form.Size.cx / 100;
        match->height = form.Size.cy / 100;
        match->name = form.pName;
        return match->formNumber;
    }
    return 0;
}

BOOL ResolvePaperByName(const SettingsContext* context, OptionRequest* request, uint16_t* status)
{
    if (request != nullptr && request->name != nullptr &&
        FindPaperOption(context, kFidPaperSizeSetting, kPaperByName, request, status))
        return TRUE;
    return FindPaperOption(context, kFidPaperSizeSetting, kPaperBySize, request, status);
}
