#include "common/capabilities/device_capabilities.h"

#include "common/capabilities/capability_options.h"
#include "common/context/setting_rules.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/devmode/devmode_convert.h"
#include "common/devmode/devmode_merge.h"
#include "common/model/model_data.h"
#include "common/records/context_sources.h"
#include "common/records/printer_settings_record.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_types.h"
#include "common/system/global_block.h"

#include <cstddef>
#include <cstring>

namespace {

constexpr uint16_t kSectionColorKind = 5;
constexpr uint16_t kSectionPrintRate = 16;
constexpr int kMediaNameChars = 64;

bool Has(uint16_t needs, uint16_t bits) { return (needs & bits) == bits; }

uint32_t ReadOr(uint16_t id, void* settings, void* printer, uint32_t fallback)
{
    uint32_t value = 0;
    return ReadSettingNumber(id, settings, printer, &value) == 1 ? value : fallback;
}

// The fields of the built settings record that the header queries report.
uint32_t AnswerSettingsField(HANDLE, uint16_t index, void*, uint16_t needs, void* settings, void* printer,
                             SettingsContext*)
{
    if (!Has(needs, kNeedsSettings | kNeedsPrinterSettings) || !settings)
        return kCapabilityFailed;
    uint16_t id = 0;
    switch (index) {
    case DC_VERSION: id = 2; break;
    case DC_DRIVER: id = 258; break;
    case DC_SIZE: id = 4; break;
    case DC_EXTRA: id = 5; break;
    default: id = 6; break;  // DC_FIELDS
    }
    return ReadOr(id, settings, printer, kCapabilityFailed);
}

uint32_t AnswerTrueType(HANDLE, uint16_t, void*, uint16_t, void*, void*, SettingsContext*)
{
    return DCTT_DOWNLOAD | DCTT_SUBDEV;
}

uint32_t AnswerOrientation(HANDLE, uint16_t, void*, uint16_t, void*, void*, SettingsContext*) { return 90; }

uint32_t AnswerOne(HANDLE, uint16_t, void*, uint16_t, void*, void*, SettingsContext*) { return 1; }

uint32_t AnswerFileDependencies(HANDLE, uint16_t, void* output, uint16_t, void*, void*, SettingsContext*)
{
    if (output)
        *static_cast<wchar_t*>(output) = L'\0';
    return 0;
}

// Each option of the resolution setting holds dmPrintQuality (horizontal) in
// its high half and dmYResolution in its low half; applications read the pairs
// as (x, y), so the high half comes first.
uint32_t AnswerResolutions(HANDLE, uint16_t, void* output, uint16_t needs, void*, void*, SettingsContext* context)
{
    if (!Has(needs, kNeedsContext) || !context)
        return kCapabilityFailed;
    auto* pairs = static_cast<LONG*>(output);
    const int count = ForEachOption(context, kFidResolution, [&](uint16_t n, uint64_t value, const wchar_t*) {
        if (pairs) {
            pairs[2 * (n - 1)] = static_cast<LONG>((value >> 16) & 0xFFFF);
            pairs[2 * (n - 1) + 1] = static_cast<LONG>(value & 0xFFFF);
        }
        return true;
    });
    return count > 0 ? static_cast<uint32_t>(count) : kCapabilityFailed;
}

// The ceiling can depend on printer setting 4365, so the query needs the
// printer settings as well as the context.
uint32_t AnswerCopies(HANDLE, uint16_t, void*, uint16_t needs, void* settings, void* printer,
                      SettingsContext* context)
{
    if (!Has(needs, kNeedsContext | kNeedsPrinterSettings) || !context || !printer)
        return kCapabilityFailed;
    uint32_t maximum = GetModelMaxCopies(context);
    if (AdjustMaxCopies(settings, printer, context->main, context->linked, &maximum) != 1)
        return kCapabilityFailed;
    return maximum;
}

uint32_t AnswerDuplex(HANDLE, uint16_t, void*, uint16_t needs, void* settings, void* printer, SettingsContext*)
{
    if (!Has(needs, kNeedsPrinterSettings) || !printer)
        return kCapabilityFailed;
    return ReadOr(4103, settings, printer, 0) != 0 ? 1 : 0;
}

uint32_t AnswerStaple(HANDLE, uint16_t, void*, uint16_t needs, void* settings, void* printer, SettingsContext*)
{
    if (!Has(needs, kNeedsPrinterSettings) || !printer)
        return kCapabilityFailed;
    return ReadOr(4101, settings, printer, 0) == 1 && ReadOr(5134, settings, printer, 0) == 1 ? 1 : 0;
}

uint32_t AnswerColor(HANDLE, uint16_t, void*, uint16_t needs, void*, void*, SettingsContext* context)
{
    if (!Has(needs, kNeedsContext) || !context)
        return kCapabilityFailed;
    uint8_t kind = 0;
    if (ReadModelSectionEntry(context->main, kSectionColorKind, 1, 0, &kind) != kModelOk)
        return kCapabilityFailed;
    if (kind == 1)
        return 0;
    return kind == 2 || kind == 18 ? 1 : kCapabilityFailed;
}

uint32_t AnswerPrintRate(HANDLE, uint16_t, void*, uint16_t needs, void*, void*, SettingsContext* context)
{
    if (!Has(needs, kNeedsContext) || !context)
        return kCapabilityFailed;
    return GetModelSectionNumber(context->main, kSectionPrintRate, 2, 0);
}

uint32_t AnswerPrintRateUnit(HANDLE, uint16_t, void*, uint16_t, void*, void*, SettingsContext*)
{
    return PRINTRATEUNIT_PPM;
}

uint32_t AnswerMediaReady(HANDLE, uint16_t, void* output, uint16_t needs, void*, void*, SettingsContext* context)
{
    if (!Has(needs, kNeedsContext) || !context)
        return kCapabilityFailed;
    auto* names = static_cast<wchar_t*>(output);
    const int count = ForEachOption(context, kFidPaperSize, [&](uint16_t n, uint64_t, const wchar_t* name) {
        if (names)
            lstrcpynW(names + (n - 1) * kMediaNameChars, name, kMediaNameChars);
        return true;
    });
    return count >= 0 ? static_cast<uint32_t>(count) : kCapabilityFailed;
}

struct FreeSettings {
    void operator()(SettingsContext* c) const { CloseSettingsContext(c); }
};

}  // namespace

const CapabilityRow kCapabilityTable[26] = {
    {DC_PAPERNAMES, AnswerPapers, 7},
    {DC_PAPERSIZE, AnswerPapers, 7},
    {DC_PAPERS, AnswerPapers, 7},
    {DC_BINS, AnswerBins, 7},
    {DC_BINNAMES, AnswerBins, 7},
    {DC_ENUMRESOLUTIONS, AnswerResolutions, 1},
    {DC_TRUETYPE, AnswerTrueType, 0},
    {DC_VERSION, AnswerSettingsField, 7},
    {DC_DRIVER, AnswerSettingsField, 7},
    {DC_SIZE, AnswerSettingsField, 7},
    {DC_EXTRA, AnswerSettingsField, 7},
    {DC_FIELDS, AnswerSettingsField, 7},
    {DC_COPIES, AnswerCopies, 7},
    {DC_DUPLEX, AnswerDuplex, 5},
    {DC_ORIENTATION, AnswerOrientation, 0},
    {DC_FILEDEPENDENCIES, AnswerFileDependencies, 0},
    {DC_MINEXTENT, AnswerExtent, 7},
    {DC_MAXEXTENT, AnswerExtent, 7},
    {DC_COLLATE, AnswerOne, 0},
    {DC_COLORDEVICE, AnswerColor, 1},
    {DC_MEDIAREADY, AnswerMediaReady, 1},
    {DC_PRINTRATE, AnswerPrintRate, 1},
    {DC_PRINTRATEPPM, AnswerPrintRate, 1},
    {DC_PRINTRATEUNIT, AnswerPrintRateUnit, 1},
    {DC_STAPLE, AnswerStaple, 7},
    {0, nullptr, 0},
};

void* BuildCapabilitySettings(HANDLE printer, const wchar_t*, SettingsContext* context, void* printerSettingsRecord,
                              const void* devmode)
{
    if (!context || !printerSettingsRecord)
        return nullptr;
    GlobalBlockPtr<uint8_t> record = AllocGlobalBlock<uint8_t>(kSettingsRecordSize);
    if (!record)
        return nullptr;
    int merged = 0;
    uint8_t* info = GetPrinterInfoWithMergedDevmode(printer, context, record.get(), nullptr, &merged);
    if (!info)
        return nullptr;
    GlobalFree(info);
    if (!devmode)
        return record.release();
    if (MergeInputDevmode(context, record.get(), devmode, printerSettingsRecord, printer, kMergeAccept) != 1)
        return nullptr;
    // The caller's paper fields stand as given, even where the merge chose
    // otherwise: the paper queries report what the caller asked about.
    const auto* dm = static_cast<const DEVMODEW*>(devmode);
    if (dm->dmSize >= offsetof(DEVMODEW, dmPaperWidth) + sizeof(dm->dmPaperWidth)) {
        const uint16_t ids[3] = {kFidPaperWidth, kFidPaperLength, kFidPaperSize};
        const int32_t values[3] = {dm->dmPaperWidth, dm->dmPaperLength, dm->dmPaperSize};
        for (int i = 0; i < 3; ++i)
            WriteSettingNumber(ids[i], record.get(), printerSettingsRecord, static_cast<uint32_t>(values[i]));
    }
    return record.release();
}

uint32_t QueryDeviceCapability(HANDLE printer, const wchar_t* deviceName, uint16_t index, void* output,
                               const void* devmode)
{
    const CapabilityRow* row = kCapabilityTable;
    while (row->answer && row->index != index)
        ++row;
    if (!row->answer)
        return kCapabilityFailed;
    std::unique_ptr<SettingsContext, FreeSettings> context;
    if (row->needs & kNeedsContext) {
        context.reset(OpenSettingsContext(printer));
        if (!context)
            return kCapabilityFailed;
    }
    GlobalBlockPtr<uint8_t> printerSettings;
    if (row->needs & kNeedsPrinterSettings) {
        if (!context)
            return kCapabilityFailed;
        printerSettings = AllocGlobalBlock<uint8_t>(kPrinterSettingsRecordSize);
        if (!printerSettings)
            return kCapabilityFailed;
        ContextSettingsSources sources;
        bool ok = GatherContextSettingsSources(context.get(), &ConvertOlderPrinterSettingsRecord, &sources) == 1;
        if (ok)
            ok = LoadPrinterSettingsRecord(printer, printerSettings.get(), sources.sources) == 1;
        ReleaseContextSettingsSources(&sources);
        if (!ok)
            return kCapabilityFailed;
    }
    GlobalBlockPtr<uint8_t> settings;
    if (row->needs & kNeedsSettings) {
        settings.reset(static_cast<uint8_t*>(
            BuildCapabilitySettings(printer, deviceName, context.get(), printerSettings.get(), devmode)));
        if (!settings)
            return kCapabilityFailed;
    }
    return row->answer(printer, index, output, row->needs, settings.get(), printerSettings.get(), context.get());
}
