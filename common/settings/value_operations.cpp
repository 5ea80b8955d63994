#include "common/settings/value_operations.h"

#include "common/settings/function_ids.h"
#include "common/settings/value_engine.h"
#include "common/settings/value_types.h"

#include <cstring>

uint16_t GetFunctionIdValue(uint16_t id, void* settingsRecord, void* printerSettingsRecord,
                            uint16_t* type, uint32_t* size, void* holder)
{
    if (id == kFidAlwaysOn) {
        if (type == nullptr || size == nullptr || holder == nullptr)
            return kSettingUnknown;
        const uint64_t one = 1;
        std::memcpy(holder, &one, sizeof one);
        *type = kTypeFlag;
        *size = 4;
        return kSettingOk;
    }

    uint16_t kind = 0;
    const uint16_t status =
        dma_GetValue(id, settingsRecord, printerSettingsRecord, type, size, holder, &kind);
    if (status != kSettingOk || (*type != kTypeString && *type != kTypeLogFont))
        return status;

    uint64_t offset;
    std::memcpy(&offset, holder, sizeof offset);
    uint8_t* base = kind == kStoragePrinter ? static_cast<uint8_t*>(printerSettingsRecord)
                                            : static_cast<uint8_t*>(settingsRecord);
    if (kind == kStoragePrivate)
        base += kPrivatePartOffset;
    const uint64_t pointer = reinterpret_cast<uintptr_t>(base + offset);
    std::memcpy(holder, &pointer, sizeof pointer);
    return kSettingOk;
}

uint16_t SetFunctionIdValue(uint16_t id, void* settingsRecord, void* printerSettingsRecord,
                            uint16_t type, uint32_t size, const void* holder)
{
    return dma_SetValue(id, settingsRecord, printerSettingsRecord, type, size, holder);
}

uint64_t GetFunctionIdValuePointer(void* settingsRecord, void* printerSettingsRecord,
                                   uint16_t id, uint16_t typeCode)
{
    if (settingsRecord == nullptr)
        return 0;
    uint32_t expected = 0;
    switch (typeCode) {
    case kTypeFlag:
    case kTypeS32:
    case kTypeU32:
        expected = 4;
        break;
    case kTypeS16:
    case kTypeU16:
        expected = 2;
        break;
    case kTypeByte:
        expected = 1;
        break;
    case kTypeString:
        break;
    default:
        return 0;
    }
    uint64_t word = 0;
    uint16_t type = 0;
    uint32_t size = 0;
    if (GetFunctionIdValue(id, settingsRecord, printerSettingsRecord, &type, &size, &word) != kSettingOk)
        return 0;
    if (typeCode == kTypeString)
        return word;
    if (size != expected)
        return 0;
    return size == 8 ? word : word & ((uint64_t{1} << (8 * size)) - 1);
}

int SetFunctionIdValueWord(void* settingsRecord, void* printerSettingsRecord, uint16_t id,
                           uint16_t type, uint32_t size, uint64_t word)
{
    if (settingsRecord == nullptr)
        return -1;
    return dma_SetValue(id, settingsRecord, printerSettingsRecord, type, size, &word);
}
