#include "ui/docevent/extended_devmode.h"

#include "common/config/site_config.h"
#include "common/context/paper_list.h"
#include "common/context/setting_rules.h"
#include "common/context/settings_context.h"
#include "common/devmode/devmode_convert.h"
#include "common/devmode/devmode_merge.h"
#include "common/context/value_by_type.h"
#include "common/model/model_data.h"
#include "common/records/context_sources.h"
#include "common/records/form_paper_match.h"
#include "common/records/settings_records.h"
#include "common/settings/function_ids.h"
#include "common/settings/trace_settings_dump.h"
#include "common/store/paper_margins.h"
#include "common/system/global_block.h"
#include "common/system/trace_log.h"
#include "ui/docevent/dc_job_record.h"

#include <cstring>

namespace {

constexpr uint32_t kDumpDevmodes = 0x30000;

struct RegistryBases {
    wchar_t* user = nullptr;
    wchar_t* machine = nullptr;
    explicit RegistryBases(SettingsContext* context)
    {
        if (context && context->main) {
            GetModelRegistryBase(context->main, 1, &user);
            GetModelRegistryBase(context->main, 0, &machine);
        }
    }
    ~RegistryBases()
    {
        if (user)
            GlobalFree(user);
        if (machine)
            GlobalFree(machine);
    }
    RegistryBases(const RegistryBases&) = delete;
    RegistryBases& operator=(const RegistryBases&) = delete;
};

bool SettingIs(void* settings, void* printerSettings, uint16_t id, uint32_t value)
{
    uint32_t read = 0;
    return ReadSettingNumber(id, settings, printerSettings, &read) && read == value;
}

// The output bin the printer's own settings chose (setting 1359 on) wins over
// a merged one that only says "automatic" or names another ordinary bin.
void KeepChosenOutputBin(void* settings, void* printerSettings, bool kept, uint32_t chosen)
{
    uint32_t merged = 0;
    if (!kept || !ReadSettingNumber(kFidOutputBin, settings, printerSettings, &merged))
        return;
    auto ordinary = [](uint32_t bin) { return bin >= 2 && bin <= 11; };
    if (merged != chosen && ordinary(chosen) && (merged == 1 || merged == 23 || ordinary(merged))) {
        WriteSettingNumber(kFidOutputBin, settings, printerSettings, chosen);
        WriteSettingNumber(kFidOutputBinChosen, settings, printerSettings, 0);
    }
}

// Bytes 0-5899 of the extended record: the printer's own DEVMODE merged for
// the printer, the given DEVMODE over it. 1, or -1 on failure.
int MergeIntoExtendedRecord(HANDLE printer, SettingsContext* context, uint8_t* printerSettings,
                            const DEVMODEW* input, uint8_t* out)
{
    int merged = 0;
    GlobalBlockPtr<uint8_t> info(GetPrinterInfoWithMergedDevmode(printer, context, out, nullptr, &merged));
    if (!info)
        return -1;
    info.reset();
    const bool keepBin = SettingIs(out, printerSettings, kFidKeepOutputBin, 1);
    const uint32_t chosenBin = keepBin ? SettingNumberOr(kFidOutputBin, out, printerSettings, 0) : 0;
    if (input && !MergeInputDevmodeWithOverrides(context, out, input, printerSettings, printer, kMergeCheck))
        return -1;
    if (LimitResolutionForPaper(out, printerSettings) == 0)
        return 1;
    AdjustJobOptionSettings(context, out, printerSettings);
    KeepChosenOutputBin(out, printerSettings, keepBin, chosenBin);
    TraceDumpSettings(kDumpDevmodes, L"<INPUT  DEVMODE>", const_cast<DEVMODEW*>(input), printerSettings);
    TraceDumpSettings(kDumpDevmodes, L"<OUTPUT DEVMODE>", out, printerSettings);
    return 1;
}

// The trailer's paper words: the paper size, its model paper and margins, when
// setting 387 asks for them and the paper matches a model paper.
void FillTrailerSources(HANDLE printer, SettingsContext* context, uint8_t* settings, uint8_t* printerSettings,
                        TrailerSources* sources)
{
    uint16_t modelPaper = 0;
    uint16_t words[4];
    if (SettingNumberOr(kFidTrailerMargins, settings, printerSettings, 0) == 0 ||
        FindModelPaperMargins(printer, context, settings, printerSettings, &modelPaper, words) == 0)
        return;
    sources->modelPaper = modelPaper;
    for (int i = 0; i < 4; ++i)
        sources->margins[i] = words[i];
}

}  // namespace

int LoadPrinterSettingsOfContext(HANDLE printer, SettingsContext* context, uint8_t* printerSettings)
{
    if (!context || !printerSettings)
        return 0;
    ContextSettingsSources sources;
    const bool ok = GatherContextSettingsSources(context, &ConvertOlderPrinterSettingsRecord, &sources) == 1 &&
                    LoadPrinterSettingsRecord(printer, printerSettings, sources.sources) == 1;
    ReleaseContextSettingsSources(&sources);
    return ok ? 1 : 0;
}

int GetPageMarginWords(HANDLE printer, SettingsContext* context, uint16_t paper, uint32_t fromUser,
                       uint16_t words[4])
{
    for (int i = 0; i < 4; ++i)
        words[i] = kDefaultPaperMargin;
    PaperMarginRecord margins{};
    bool found = false;
    if (fromUser) {
        RegistryBases bases(context);
        found = bases.user && ReadCustomPaperMargins(printer, bases.user, bases.machine, paper, &margins) == kMarginOk;
    }
    if (!found) {
        PaperMarginList* list = LoadPaperMarginList(printer);
        found = list && FindPaperMargins(list, paper, &margins) == kMarginOk;
        if (list)
            FreePaperMarginList(list);
    }
    if (!found && GetDefaultPaperMargins(&margins) != kMarginOk)
        return -1;
    // Stored as (a, b, c, d); the page record wants c, d, a, b.
    const int order[4] = {2, 3, 0, 1};
    for (int i = 0; i < 4; ++i)
        words[i] = static_cast<uint16_t>(margins.margin[order[i]]);
    return 1;
}

void AdjustJobOptionSettings(SettingsContext* context, void* settings, void* printerSettings)
{
    if (!SettingIs(settings, printerSettings, kFidJobHeaderOn, 1))
        return;
    const ConfiguredSettingsList* site = context ? context->siteConfig : nullptr;
    const bool describable =
        SettingIs(settings, printerSettings, kFidJobType, 0) &&
        SettingNumberOr(kFidUserNameAllowed, settings, printerSettings, 0) == 0 &&
        !SettingIs(settings, printerSettings, kFidInterleafSheetsOn, 1) &&
        !SettingIs(settings, printerSettings, kFidColourProfileKind, 2) &&
        !SettingIs(settings, printerSettings, kFidSpecialJob, 1) &&
        SettingIs(settings, printerSettings, kFidStoredJobText, 0) &&
        SettingIs(settings, printerSettings, kFidPageLabelOn, 0);
    if (describable) {
        if (SettingIs(settings, printerSettings, kFidJobHeaderMode, 1) &&
            IsSettingEnforced(kFidJobHeaderMode, site) != 1)
            WriteSettingNumber(kFidJobHeaderMode, settings, printerSettings, 2);
        if (SettingIs(settings, printerSettings, kFidDocMonitorDefault, 1) &&
            SettingIs(settings, printerSettings, kFidDocMonitorOn, 1))
            WriteSettingNumber(kFidDocMonitorOn, settings, printerSettings, 0);
    } else if (IsSettingEnforced(kFidJobHeaderOn, site) != 1) {
        WriteSettingNumber(kFidJobHeaderOn, settings, printerSettings, 0);
    }
}

int BuildExtendedDevmode(HANDLE printer, const DEVMODEW* input, DEVMODEW** out)
{
    if (out)
        *out = nullptr;
    if (input && IsExtendedSettingsRecord(input, size_t(input->dmSize) + input->dmDriverExtra))
        return 1;
    GlobalBlockPtr<uint8_t> printerSettings = AllocGlobalBlock<uint8_t>(kPrinterSettingsRecordSize);
    DcJobRecord* record = FindDcJobRecord(printer);
    if (!out || !printerSettings || !record || !record->context ||
        !LoadPrinterSettingsOfContext(printer, record->context, printerSettings.get()))
        return -1;
    GlobalBlockPtr<ExtendedSettingsRecord> built = AllocGlobalBlock<ExtendedSettingsRecord>(kExtendedSettingsRecordSize);
    if (!built || MergeIntoExtendedRecord(printer, record->context, printerSettings.get(), input,
                                          built->settings) != 1)
        return -1;
    TrailerSources sources{};
    FillTrailerSources(printer, record->context, built->settings, printerSettings.get(), &sources);
    sources.customSize = GetCustomPaperSizeValue(record->context, printerSettings.get());
    sources.colorModeEnforced = IsSettingEnforced(kFidColorMode, record->context->siteConfig) == 1;
    if (!BuildExtendedSettingsRecord(built.get(), built->settings, printerSettings.get(), sources))
        return -1;
    *out = reinterpret_cast<DEVMODEW*>(built.release());
    return 1;
}

int FindModelPaperMargins(HANDLE printer, SettingsContext* context, void* settings, void* printerSettings,
                          uint16_t* modelPaper, uint16_t words[4])
{
    uint32_t paper = 0;
    *modelPaper = 0;
    if (!ReadSettingNumber(kFidPaperSize, settings, printerSettings, &paper) ||
        MatchFormToModelPaperOfContext(printer, context, settings, printerSettings, static_cast<uint16_t>(paper),
                                       modelPaper) != 1)
        return 0;
    return GetPageMarginWords(printer, context, *modelPaper,
                              SettingNumberOr(kFidUserPaperMarginsFromUser, settings, printerSettings, 0), words);
}
