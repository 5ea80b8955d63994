#include "common/context/value_by_type.h"

#include "common/model/model_kinds.h"
#include "common/settings/item_layout.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"

#include <cstring>
#include <cwchar>

namespace {

template <typename T>
T Load(const void* value)
{
    T v;
    std::memcpy(&v, value, sizeof v);
    return v;
}

// Copies text into buffer, cut to capacity - 1 characters and terminated.
wchar_t* CopyCut(const wchar_t* text, wchar_t* buffer, size_t capacity)
{
    const size_t length = wcsnlen(text, capacity - 1);
    wmemcpy(buffer, text, length);
    buffer[length] = L'\0';
    return buffer;
}

}  // namespace

int32_t ValueToInt(const void* value, uint16_t type)
{
    if (value == nullptr)
        return 0;
    switch (type) {
    case kTypeS16: return Load<int16_t>(value);
    case kTypeU16: return Load<uint16_t>(value);
    case kTypeByte: return Load<uint8_t>(value);
    case kTypeFlag:
    case kTypeS32:
    case kTypeU32:
    case kTypeFontS32: return Load<int32_t>(value);
    default: return 0;
    }
}

uint32_t ValueToUInt(const void* value, uint16_t type)
{
    return static_cast<uint32_t>(ValueToInt(value, type));
}

int CopyValueByType(void* holder, uint64_t value, uint16_t type)
{
    if (holder == nullptr)
        return 0;
    std::memset(holder, 0, kValueHolderSize);
    switch (type) {
    case kTypeFlag:
    case kTypeS32:
    case kTypeU32:
    case kTypeFontS32: {
        const uint32_t v = static_cast<uint32_t>(value);
        std::memcpy(holder, &v, sizeof v);
        return 1;
    }
    case kTypeS16:
    case kTypeU16: {
        const uint16_t v = static_cast<uint16_t>(value);
        std::memcpy(holder, &v, sizeof v);
        return 1;
    }
    case kTypeByte: {
        const uint8_t v = static_cast<uint8_t>(value);
        std::memcpy(holder, &v, sizeof v);
        return 1;
    }
    case kTypeString:
        std::memcpy(holder, &value, sizeof value);
        return 1;
    default:
        return 0;
    }
}

uint32_t GetValueSize(const void* holder, uint16_t type, int32_t length)
{
    switch (type) {
    case kTypeFlag:
    case kTypeS32:
    case kTypeU32:
    case kTypeFontS32: return 4;
    case kTypeS16:
    case kTypeU16: return 2;
    case kTypeByte: return 1;
    case kTypeLogFont: return kLogFontSize;
    case kTypeString: {
        if (length != -1)
            return static_cast<uint32_t>(length);
        const wchar_t* text = holder != nullptr ? Load<const wchar_t*>(holder) : nullptr;
        return text != nullptr ? static_cast<uint32_t>((wcslen(text) + 1) * sizeof(wchar_t)) : 0;
    }
    default: return 0;
    }
}

wchar_t* FormatValueAsText(uint16_t type, const void* value, wchar_t* buffer, size_t capacity)
{
    if (value == nullptr || buffer == nullptr || capacity == 0)
        return nullptr;
    // Room for any 32-bit number with its sign.
    wchar_t number[16];
    switch (type) {
    case kTypeString:
        return CopyCut(static_cast<const wchar_t*>(value), buffer, capacity);
    case kTypeU32:
        // Printed unsigned: a u32 above 0x7FFFFFFF is no negative number.
        swprintf(number, 16, L"%lu", static_cast<unsigned long>(ValueToUInt(value, type)));
        return CopyCut(number, buffer, capacity);
    case kTypeS32:
        swprintf(number, 16, L"%ld", static_cast<long>(ValueToInt(value, type)));
        return CopyCut(number, buffer, capacity);
    case kTypeFlag:
    case kTypeS16:
    case kTypeU16:
    case kTypeByte:
    case kTypeFontS32:
        swprintf(number, 16, L"%d", static_cast<int>(ValueToInt(value, type)));
        return CopyCut(number, buffer, capacity);
    default:
        return nullptr;
    }
}

int ReadSettingNumber(uint16_t id, void* settingsRecord, void* printerSettingsRecord, uint32_t* value)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (value == nullptr ||
        GetFunctionIdValue(id, settingsRecord, printerSettingsRecord, &type, &size, &holder) != kSettingOk ||
        type == kTypeString || type == kTypeLogFont)
        return 0;
    *value = ValueToUInt(&holder, type);
    return 1;
}

int WriteSettingNumber(uint16_t id, void* settingsRecord, void* printerSettingsRecord, uint32_t value)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (GetFunctionIdValue(id, settingsRecord, printerSettingsRecord, &type, &size, &holder) != kSettingOk ||
        type == kTypeString || type == kTypeLogFont)
        return 0;
    uint32_t holderSize = 0;
    if (!GetTypeHolderSize(id, type, &holderSize) || !CopyValueByType(&holder, value, type))
        return 0;
    return SetFunctionIdValue(id, settingsRecord, printerSettingsRecord, type, holderSize, &holder) == kSettingOk ? 1
                                                                                                                 : 0;
}

uint32_t SettingNumberOr(uint16_t id, void* settingsRecord, void* printerSettingsRecord, uint32_t fallback)
{
    uint32_t value = 0;
    return ReadSettingNumber(id, settingsRecord, printerSettingsRecord, &value) ? value : fallback;
}

uint32_t PrinterSettingNumber(const uint8_t* printerSettingsRecord, uint16_t id)
{
    return SettingNumberOr(id, nullptr, const_cast<uint8_t*>(printerSettingsRecord), 0);
}

bool ModelValueClassAgreesWithSetting(uint16_t id, uint16_t valueClass)
{
    uint16_t type = 0;
    if (!FindItemValueType(id, &type))
        return true;
    switch (type) {
    case kTypeString: return valueClass == kValueClassText;
    case kTypeLogFont: return valueClass == kValueClassStructure;
    default: return valueClass == kValueClassNumber;
    }
}

bool ModelValueAgreesWithSetting(uint16_t id, uint16_t valueType)
{
    return ModelValueClassAgreesWithSetting(id, ModelValueClassOf(valueType));
}
