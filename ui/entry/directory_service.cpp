#include "ui/entry/directory_service.h"

#include "common/context/value_by_type.h"

#include <winspool.h>

#include <cstdint>

namespace {

constexpr uint16_t kFidDuplexUnit = 4103;
constexpr uint16_t kFidStaplerUnit = 4101;
constexpr uint16_t kFidSecondStaplerUnit = 4116;
constexpr uint16_t kFidFinisherKind = 4359;
constexpr uint16_t kFidStaplingEnabled = 5134;

bool WriteByte(HANDLE printer, const wchar_t* name, bool value)
{
    BYTE byte = value ? 1 : 0;
    return SetPrinterDataExW(printer, kDirectoryServiceKey, name, REG_BINARY, &byte, sizeof byte) == ERROR_SUCCESS;
}

}  // namespace

BOOL WriteDirectoryServiceAttributes(HANDLE printer, void* printerSettingsRecord)
{
    if (!printer || !printerSettingsRecord)
        return FALSE;
    const bool duplex =
        WriteByte(printer, kDuplexSupportedValue, SettingNumberOr(kFidDuplexUnit, nullptr, printerSettingsRecord, 0));
    uint32_t finisher = 0;
    if (!ReadSettingNumber(kFidFinisherKind, nullptr, printerSettingsRecord, &finisher))
        return FALSE;
    const bool stapler = SettingNumberOr(kFidStaplerUnit, nullptr, printerSettingsRecord, 0) != 0 ||
                         SettingNumberOr(kFidSecondStaplerUnit, nullptr, printerSettingsRecord, 0) != 0 ||
                         finisher != 0;
    const bool stapling = stapler && SettingNumberOr(kFidStaplingEnabled, nullptr, printerSettingsRecord, 0) == 1;
    return duplex && WriteByte(printer, kStaplingSupportedValue, stapling) ? TRUE : FALSE;
}
