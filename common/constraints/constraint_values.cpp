#include "common/constraints/constraint_values.h"

#include "common/context/value_by_type.h"
#include "common/model/model_section.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"

#include <cstring>

bool ReadChangeOrSetting(const ConstraintContext* context, const SettingChange* change, uint16_t id,
                         uint32_t* value)
{
    if (change && change->id == id && change->value) {
        *value = ValueToUInt(change->value, change->type);
        return true;
    }
    return ReadSettingNumber(id, context->settingsRecord, context->printerSettingsRecord, value) != 0;
}

uint16_t ReadCurrentValue(const ConstraintContext* context, uint16_t id, uint16_t* type, uint64_t* holder)
{
    uint32_t size = 0;
    *holder = 0;
    return GetFunctionIdValue(id, context->settingsRecord, context->printerSettingsRecord, type, &size, holder);
}

bool IsSettingSet(const ConstraintContext* context, uint16_t id, bool* set)
{
    uint16_t type = 0;
    uint64_t holder = 0;
    if (ReadCurrentValue(context, id, &type, &holder) != kSettingOk)
        return false;
    if (type == kTypeString) {
        const auto* text = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(holder));
        *set = text && text[0] != L'\0';
    } else {
        *set = ValueToUInt(&holder, type) != 0;
    }
    return true;
}

bool ModelElementHolder(const ModelValue& value, uint16_t i, uint64_t* holder)
{
    *holder = 0;
    if (!value.data || i >= value.count)
        return false;
    if (value.type == kTypeString) {
        if (i != 0)
            return false;
        *holder = reinterpret_cast<uintptr_t>(value.data);
        return true;
    }
    if (value.size == 0 || value.size > kValueHolderSize)
        return false;
    std::memcpy(holder, value.data + size_t{i} * value.size, value.size);
    return true;
}
