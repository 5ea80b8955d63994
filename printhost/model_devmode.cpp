#include "printhost/model_devmode.h"

#include "common/context/settings_context.h"
#include "common/defaults/setting_defaults.h"
#include "common/records/settings_records.h"
#include "common/settings/value_types.h"

#include <winspool.h>

#include <memory>

namespace printhost {

bool ModelDefaultDevmode(const std::wstring& printerName, std::vector<BYTE>* devmode, std::wstring* error)
{
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(printerName.c_str()), &printer, nullptr)) {
        *error = printerName + L": no such printer";
        return false;
    }
    std::unique_ptr<void, decltype(&ClosePrinter)> closer(printer, &ClosePrinter);
    std::unique_ptr<SettingsContext, decltype(&CloseSettingsContext)> context(OpenSettingsContext(printer),
                                                                            &CloseSettingsContext);
    if (!context) {
        *error = printerName + L": the model data of its driver cannot be read";
        return false;
    }
    std::vector<uint8_t> settings(kSettingsRecordSize), printerSettings(kPrinterSettingsRecordSize);
    if (!FillDefaultSettings(context.get(), settings.data(), printerSettings.data(), printerName.c_str())) {
        *error = printerName + L": the model's defaults cannot be had";
        return false;
    }
    devmode->assign(kExtendedSettingsRecordSize, 0);
    auto* record = reinterpret_cast<ExtendedSettingsRecord*>(devmode->data());
    if (!BuildExtendedSettingsRecord(record, settings.data(), printerSettings.data(), TrailerSources{})) {
        *error = printerName + L": the extended settings record cannot be built";
        return false;
    }
    return true;
}

} // namespace printhost
