#include "common/job/job_attribute_reads.h"

#include "common/context/value_by_type.h"
#include "common/job/job_header_codes.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"

int JobSettingStatusCode(uint16_t engineStatus)
{
    if (engineStatus == kSettingOk)
        return 0;
    return engineStatus == kSettingNoRange ? kJobErrSettingUnknown : kJobErrSettingUnavailable;
}

namespace {

// The value with its type and size; strings as a pointer into their record.
int ReadJobSetting(uint16_t id, void* settingsRecord, void* printerSettingsRecord, uint16_t* type, uint32_t* size,
                   uint64_t* holder)
{
    return JobSettingStatusCode(GetFunctionIdValue(id, settingsRecord, printerSettingsRecord, type, size, holder));
}

}  // namespace

int ReadJobSettingNumber(uint16_t id, void* settingsRecord, void* printerSettingsRecord, uint32_t* value)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    const int status = ReadJobSetting(id, settingsRecord, printerSettingsRecord, &type, &size, &holder);
    if (status == 0 && (type == kTypeString || type == kTypeLogFont))
        return kJobErrValueTypeNotWritable;
    if (status == 0)
        *value = ValueToUInt(&holder, type);
    return status;
}

int ReadJobSettingText(uint16_t id, void* settingsRecord, void* printerSettingsRecord, const wchar_t** text,
                       uint32_t* roomChars)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    const int status = ReadJobSetting(id, settingsRecord, printerSettingsRecord, &type, &size, &holder);
    if (status == 0 && type != kTypeString)
        return kJobErrValueTypeNotWritable;
    if (status == 0) {
        *text = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(holder));
        *roomChars = size / sizeof(wchar_t);
    }
    return status;
}

uint32_t JobSettingOr(uint16_t id, void* settingsRecord, void* printerSettingsRecord, uint32_t fallback)
{
    uint32_t value = 0;
    return ReadJobSettingNumber(id, settingsRecord, printerSettingsRecord, &value) == 0 ? value : fallback;
}
