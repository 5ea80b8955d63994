#include "common/records/record_defaults.h"

#include "common/context/settings_context.h"
#include "common/defaults/setting_defaults.h"
#include "common/settings/value_types.h"

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr wchar_t kDefaultsDeviceName[] = L"DummyName";

struct ContextCloser {
    void operator()(SettingsContext* context) const { CloseSettingsContext(context); }
};

}  // namespace

int GetDefaultPrivateSettings(HANDLE printer, uint8_t* privatePart)
{
    if (!printer || !privatePart)
        return 0;
    std::unique_ptr<SettingsContext, ContextCloser> context(OpenSettingsContext(printer));
    if (!context)
        return 0;
    std::vector<uint8_t> settings(kSettingsRecordSize, 0);
    if (FillDefaultSettings(context.get(), settings.data(), nullptr, kDefaultsDeviceName) != 1)
        return 0;
    std::memcpy(privatePart, settings.data() + kPrivatePartOffset, kPrivatePartSize);
    return 1;
}

int FillDefaultPrinterSettingsRecord(void* context, uint8_t* printerSettingsRecord)
{
    if (!context || !printerSettingsRecord)
        return 0;
    std::vector<uint8_t> record(kPrinterSettingsRecordSize, 0);
    if (FillDefaultSettings(static_cast<SettingsContext*>(context), nullptr, record.data(), kDefaultsDeviceName) != 1)
        return 0;
    std::memcpy(printerSettingsRecord, record.data(), record.size());
    return 1;
}
