#include "common/defaults/setting_lookups.h"

#include "common/context/section_holder.h"
#include "common/context/settings_context.h"
#include "common/model/model_kinds.h"
#include "common/settings/value_types.h"
#include "common/system/global_block.h"

#include <cstring>
#include <cwchar>

namespace {

void SetStatus(uint16_t* status, uint16_t value)
{
    if (status != nullptr)
        *status = value;
}

bool HasModel(const SettingsContext* context)
{
    return context != nullptr && context->main != nullptr;
}

// A copy of a string value's text, terminated whether or not the file's was.
wchar_t* CopyValueText(const ModelValue& value)
{
    const size_t units = value.size / sizeof(wchar_t);
    auto* text = static_cast<wchar_t*>(GlobalAlloc(GPTR, (units + 1) * sizeof(wchar_t)));
    if (text != nullptr && units != 0)
        std::memcpy(text, value.data, units * sizeof(wchar_t));
    return text;
}

// The value in an 8-byte holder as the context hands it out: numbers widened,
// strings and structures as new blocks.
bool HoldModelValue(const ModelValue& value, uint64_t* holder, uint16_t* type)
{
    *holder = 0;
    *type = value.type;
    if (value.type == kTypeString) {
        wchar_t* text = CopyValueText(value);
        *holder = reinterpret_cast<uintptr_t>(text);
        return text != nullptr;
    }
    if (value.type == kTypeLogFont) {
        if (value.size < kLogFontSize)
            return false;
        auto* block = static_cast<uint8_t*>(GlobalAlloc(GPTR, kLogFontSize));
        if (block == nullptr)
            return false;
        std::memcpy(block, value.data, kLogFontSize);
        *holder = reinterpret_cast<uintptr_t>(block);
        return true;
    }
    uint32_t number = 0;
    if (!ModelValueNumber(value, &number))
        return false;
    *holder = number;
    return true;
}

// The paper record that the default option of setting id targets.
uint16_t LoadDefaultTarget(const SettingsContext* context, uint16_t id, SectionHolder* target)
{
    ModelValue value;
    uint16_t status = ReadModelDefault(context->main, context->linked, id, &value);
    if (status != kModelOk)
        return status;
    uint64_t holder = 0;
    uint16_t type = 0;
    if (!HoldModelValue(value, &holder, &type))
        return kModelBad;
    SectionHolder option;
    status = LoadItemFeature(true, context->main, context->linked, id, &holder, nullptr, option.out(), nullptr);
    FreeModelDefault(holder, type);
    if (status != kModelOk)
        return status;
    uint16_t kind = 0;
    return LoadOptionTarget(false, context->main, context->linked, option.section, &kind, target->out());
}

}  // namespace

BOOL GetModelDefault(const SettingsContext* context, uint16_t id, uint64_t* holder, uint16_t* type,
                     uint16_t* status)
{
    if (!HasModel(context) || holder == nullptr || type == nullptr) {
        SetStatus(status, kLookupError);
        return FALSE;
    }
    ModelValue value;
    const uint16_t read = ReadModelDefault(context->main, context->linked, id, &value);
    if (read != kModelOk) {
        SetStatus(status, LookupStatusOf(read));
        return FALSE;
    }
    if (!HoldModelValue(value, holder, type)) {
        SetStatus(status, kLookupError);
        return FALSE;
    }
    SetStatus(status, kLookupOk);
    return TRUE;
}

void FreeModelDefault(uint64_t holder, uint16_t type)
{
    if ((type == kTypeString || type == kTypeLogFont) && holder != 0)
        GlobalFree(reinterpret_cast<void*>(static_cast<uintptr_t>(holder)));
}

BOOL HasOptionForValue(const SettingsContext* context, uint16_t id, const void* holder)
{
    if (!HasModel(context) || holder == nullptr)
        return FALSE;
    SectionHolder option;
    return LoadItemFeature(false, context->main, context->linked, id, holder, nullptr, option.out(), nullptr) ==
               kModelOk &&
           option.section != nullptr;
}

BOOL GetItemFeature(const SettingsContext* context, uint16_t id, uint16_t* listKind, uint16_t* count,
                    const wchar_t** name, ModelSection** section, uint16_t* status)
{
    if (section != nullptr)
        *section = nullptr;
    if (!HasModel(context) || section == nullptr) {
        SetStatus(status, kLookupError);
        return FALSE;
    }
    uint16_t kind = 0;
    ModelSection* loaded = nullptr;
    const uint16_t read = LoadItemFeature(true, context->main, context->linked, id, nullptr, &kind, &loaded, nullptr);
    const FeatureSection* feature = AsFeature(loaded);
    if (read != kModelOk || feature == nullptr) {
        FreeModelSection(&loaded, kKindOwn);
        SetStatus(status, read != kModelOk ? LookupStatusOf(read) : kLookupError);
        return FALSE;
    }
    if (listKind != nullptr)
        *listKind = feature->listKind;
    if (count != nullptr)
        *count = static_cast<uint16_t>(feature->options.size());
    if (name != nullptr)
        *name = feature->name.c_str();
    *section = loaded;
    SetStatus(status, kLookupOk);
    return TRUE;
}

void FreeItemFeature(ModelSection* section)
{
    FreeModelSection(&section, kKindOwn);
}

BOOL GetItemOption(const SettingsContext* context, uint16_t id, uint16_t n, ModelSection** copy, uint16_t* status)
{
    if (copy != nullptr)
        *copy = nullptr;
    if (!HasModel(context) || copy == nullptr) {
        SetStatus(status, kLookupError);
        return FALSE;
    }
    const uint16_t read = GetItemOptionCopy(context->main, context->linked, id, n, copy);
    SetStatus(status, LookupStatusOf(read));
    return read == kModelOk;
}

void FreeItemOption(ModelSection* copy)
{
    FreeModelSection(&copy, kKindOwn);
}

BOOL GetOptionCopyFields(const ModelSection* copy, uint64_t* value, const wchar_t** name, uint16_t* type,
                         const uint8_t** block, uint32_t* blockSize)
{
    const OptionCopySection* option = AsOptionCopy(copy);
    if (option == nullptr)
        return FALSE;
    if (value != nullptr) {
        *value = 0;
        uint32_t number = 0;
        if (option->value.type == kTypeString)
            *value = reinterpret_cast<uintptr_t>(option->value.data);
        else if (ModelValueNumber(option->value, &number))
            *value = number;
    }
    if (name != nullptr)
        *name = option->name.c_str();
    if (type != nullptr)
        *type = option->value.type;
    if (block != nullptr)
        *block = option->hasByteBlock ? option->byteBlock.data() : nullptr;
    if (blockSize != nullptr)
        *blockSize = option->hasByteBlock ? static_cast<uint32_t>(option->byteBlock.size()) : 0;
    return TRUE;
}

BOOL GetDefaultPaperSize(const SettingsContext* context, uint16_t id, uint16_t* width, uint16_t* height,
                         uint16_t* areaWidth, uint16_t* areaHeight, uint16_t* status)
{
    if (!HasModel(context)) {
        SetStatus(status, kLookupError);
        return FALSE;
    }
    SectionHolder target;
    const uint16_t read = LoadDefaultTarget(context, id, &target);
    const PaperSection* paper = AsPaper(target.section);
    if (read != kModelOk || paper == nullptr) {
        SetStatus(status, read != kModelOk ? LookupStatusOf(read) : kLookupError);
        return FALSE;
    }
    if (width != nullptr)
        *width = paper->size.x;
    if (height != nullptr)
        *height = paper->size.y;
    if (areaWidth != nullptr)
        *areaWidth = paper->area.x;
    if (areaHeight != nullptr)
        *areaHeight = paper->area.y;
    SetStatus(status, kLookupOk);
    return TRUE;
}

wchar_t* GetDefaultTargetName(const SettingsContext* context, uint16_t id, uint16_t* status)
{
    if (!HasModel(context)) {
        SetStatus(status, kLookupError);
        return nullptr;
    }
    SectionHolder target;
    const uint16_t read = LoadDefaultTarget(context, id, &target);
    const wchar_t* name = read == kModelOk ? GetSectionDisplayName(target.section) : nullptr;
    if (name == nullptr) {
        SetStatus(status, read != kModelOk ? LookupStatusOf(read) : kLookupError);
        return nullptr;
    }
    const size_t length = wcslen(name);
    auto* copy = static_cast<wchar_t*>(GlobalAlloc(GPTR, (length + 1) * sizeof(wchar_t)));
    if (copy == nullptr) {
        SetStatus(status, kLookupNoMemory);
        return nullptr;
    }
    wmemcpy(copy, name, length);
    SetStatus(status, kLookupOk);
    return copy;
}
