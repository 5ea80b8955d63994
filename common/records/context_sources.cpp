#include "common/records/context_sources.h"

#include "common/config/site_config.h"
#include "common/context/settings_context.h"
#include "common/model/model_data.h"
#include "common/records/record_defaults.h"
#include "common/settings/value_types.h"

#include <cstring>
#include <vector>

namespace {

constexpr uint16_t kUserSettingsRegistryBase = 1;
constexpr uint16_t kUserModeDriverFileNumber = 2;

void FreeText(wchar_t*& text)
{
    if (text)
        GlobalFree(text);
    text = nullptr;
}

}  // namespace

int GatherContextSettingsSources(SettingsContext* context,
                                 int (*convertOlder)(void* context, const uint8_t* stored, uint8_t* record),
                                 ContextSettingsSources* out)
{
    if (!out)
        return 0;
    std::memset(out, 0, sizeof *out);
    if (!context || !context->main)
        return 0;
    if (!FillUserSettingInfoDefaults(context->main, context->linked, &out->userDefaults))
        return 0;
    GetModelRegistryBase(context->main, kUserSettingsRegistryBase, &out->basePath);
    GetModelFileName(context->main, kUserModeDriverFileNumber, &out->driverFile);
    uint16_t status = 0;
    out->modelName = GetModelName(context, &status);
    out->sources = {context,
                    out->basePath,
                    out->modelName,
                    &out->userDefaults,
                    out->driverFile,
                    &FillDefaultPrinterSettingsRecord,
                    convertOlder,
                    &ApplyEnforcedSettingsOfContext};
    return 1;
}

void ReleaseContextSettingsSources(ContextSettingsSources* sources)
{
    if (!sources)
        return;
    FreeText(sources->basePath);
    FreeText(sources->modelName);
    FreeText(sources->driverFile);
    sources->sources = PrinterSettingsSources{};
}

int ApplyEnforcedSettingsOfContext(void* context, uint8_t* printerSettingsRecord)
{
    const auto* settings = static_cast<const SettingsContext*>(context);
    if (!settings || !settings->siteConfig || !printerSettingsRecord)
        return 1;
    // Entries of the settings record land in a scratch record: only the printer
    // settings record is built here.
    std::vector<uint8_t> scratch(kSettingsRecordSize, 0);
    ApplyConfiguredSettings(settings->siteConfig, scratch.data(), printerSettingsRecord, kApplyEnforcedOnly);
    return 1;
}
