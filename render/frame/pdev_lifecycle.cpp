#include "render/frame/pdev_lifecycle.h"

#include "common/context/model_lookups.h"
#include "common/context/settings_context.h"
#include "common/model/model_value_ops.h"
#include "common/records/context_sources.h"
#include "common/records/record_defaults.h"
#include "common/records/settings_records.h"
#include "common/settings/function_ids.h"
#include "common/store/pair_list.h"
#include "common/system/lock_table.h"
#include "common/system/module_files.h"
#include "common/system/trace_log.h"
#include "render/command/command_layer.h"
#include "render/command/page_items.h"
#include "render/command/path_output.h"
#include "render/device/device_caps.h"
#include "render/device/engine_calls.h"
#include "render/device/form_resolution.h"
#include "render/device/pdev_record.h"
#include "render/device/setting_ids.h"
#include "render/device/settings_access.h"
#include "render/font/device_fonts.h"
#include "render/frame/escape_table.h"
#include "render/frame/job_frame.h"
#include "render/frame/settings_checks.h"
#include "render/image/bitblt.h"
#include "render/image/job_colour.h"
#include "render/output/output_stream.h"

#include <algorithm>
#include <string>
#include <utility>
#include <cstring>

namespace {

constexpr uint32_t kTraceDevmodeDumps = 0x10000;
constexpr uint32_t kTraceResetDumps = 0x20000;
constexpr FLONG kSurfaceHooks = HOOK_BITBLT | HOOK_STRETCHBLT | HOOK_TEXTOUT | HOOK_STROKEPATH | HOOK_FILLPATH |
                                HOOK_STROKEANDFILLPATH | HOOK_COPYBITS | HOOK_STRETCHBLTROP;
static_assert(kSurfaceHooks == 0x24EB);

// A printer settings record of an older layout cannot be brought forward by
// this library; the model's defaults stand in for it.
int DefaultsForOlderRecord(void* context, const uint8_t*, uint8_t* record)
{
    return FillDefaultPrinterSettingsRecord(context, record);
}

int BuildPrinterSettings(PDevRecord* pdev)
{
    pdev->printerSettings = static_cast<uint8_t*>(HeapAlloc(pdev->heap, HEAP_ZERO_MEMORY, kPrinterSettingsRecordSize));
    if (!pdev->printerSettings)
        return -1;
    ContextSettingsSources sources{};
    RoleLock lock(LockRole::ModelData);
    if (!GatherContextSettingsSources(pdev->settingsContext, &DefaultsForOlderRecord, &sources))
        return -1;
    const int loaded = LoadPrinterSettingsRecord(pdev->printer, pdev->printerSettings, sources.sources);
    ReleaseContextSettingsSources(&sources);
    return loaded ? 0 : -1;
}

// Settings, printer settings, forms, copies, font substitution, resolution.
int InitPdevSettings(PDevRecord* pdev, const uint8_t* record)
{
    pdev->flags = 0;
    pdev->magic = pdev->magicEnd = kPdevMagic;
    if (BuildPrinterSettings(pdev) != 0)
        return -1;
    std::memcpy(pdev->settings, record, kPrivatePartOffset);
    TakeCapabilityStreamVersion(pdev);
    if (ResolvePdevForms(pdev) != 0)
        return -1;
    pdev->copies = static_cast<int16_t>(GetPdevSettingWord(pdev, kFidCopies));
    uint32_t bytes = 0;
    {
        RoleLock lock(LockRole::ModelData);
        pdev->fontSubstitution = GetFontSubstitutionTable(pdev->printer, pdev->settingsContext->main,
                                                          pdev->settingsContext->linked, &bytes);
        pdev->driverKind2 = GetModelDriverKind(pdev->settingsContext->main) == 2;
    }
    if (!pdev->fontSubstitution)
        return -1;
    // dmPrintQuality may hold one of the negative DMRES_ levels, which are no
    // resolution the device figures could be made from.
    if (static_cast<int16_t>(GetPdevSettingWord(pdev, kFidPrintQuality)) <= 0)
        return -1;
    // Any other resolution must be one the device prints at: the surface, the
    // job and its images are sized by it.
    if (KeepOfferedResolution(pdev->settingsContext, pdev->settings, pdev->printerSettings) != 0)
        return -1;
    const int32_t dpi = static_cast<int16_t>(GetPdevSettingWord(pdev, kFidPrintQuality));
    if (dpi <= 0)
        return -1;
    pdev->resolution = dpi * PdevScale(pdev) / 100;
    return 0;
}

// The record's end: first what the drawing, image, command and output floors
// keep in it, then the record itself.
void ReleasePdevRecord(PDevRecord* pdev)
{
    FreePdevImages(pdev);
    DestroyColourConversion(pdev);
    FreePdevDrawingState(pdev);
    FreeCommandLayer(pdev->commandLayer);
    pdev->commandLayer = nullptr;
    if (pdev->stream)
        DestroyOutputStream(pdev->stream);
    pdev->stream = nullptr;
    FreePdevRecord(pdev);
}

// Undoes what an enable took: the record, the resource file, the binding.
DHPDEV FailEnable(PDevRecord* pdev)
{
    if (pdev->palette)
        g_engine.EngDeletePalette(pdev->palette);
    ReleasePdevRecord(pdev);
    ReleaseResourceModule();
    UnbindSettingsAccess();
    return nullptr;
}

PDevRecord* Valid(DHPDEV dhpdev)
{
    auto* pdev = reinterpret_cast<PDevRecord*>(dhpdev);
    if (IsValidPdev(pdev))
        return pdev;
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
}

void TraceDevmode(uint32_t bit, const wchar_t* title, const void* record)
{
    if (IsTraceOn() && (GetTraceBits() & bit))
        TraceDumpPublicPart(title, static_cast<const DEVMODEW*>(record));
}

} // namespace

DHPDEV EnablePdevBody(DEVMODEW* devmode, ULONG patternCount, HSURF* patterns, ULONG capsSize, ULONG* caps,
                      ULONG devInfoSize, DEVINFO* devInfo, HDEV hdev, HANDLE printer)
{
    // Without the engine's callbacks (the driver was never enabled) no surface
    // or palette can be made.
    if (!caps || !devInfo || !hdev || !printer || !EngineCallsBound())
        return nullptr;
    PDevRecord* pdev = AllocPdevRecord();
    if (!pdev)
        return nullptr;
    pdev->printer = printer;
    pdev->hdev = hdev;
    if (!BindSettingsAccess(GetModuleHandleOfDriver())) {
        FreePdevRecord(pdev);
        return nullptr;
    }
    LoadResourceModule();
    // Only the extended form carries the private part's room and the trailer.
    if (!devmode || devmode->dmSize != kPublicDevmodeSize ||
        !IsExtendedSettingsRecord(devmode, kExtendedSettingsRecordSize))
        return FailEnable(pdev);
    const auto* extended = reinterpret_cast<const ExtendedSettingsRecord*>(devmode);
    uint8_t* local = static_cast<uint8_t*>(HeapAlloc(pdev->heap, 0, kSettingsRecordSize));
    if (!local)
        return FailEnable(pdev);
    std::memcpy(local, extended->settings, kSettingsRecordSize);
    const uint16_t shortExtra = kOrdinaryDriverExtra;
    std::memcpy(local + kDmDriverExtraOffset, &shortExtra, sizeof(shortExtra));
    std::memcpy(pdev->marginOverride, &extended->trailer.paperSize, sizeof(pdev->marginOverride));
    pdev->customSizeValue = extended->trailer.customSize;
    pdev->enforcedFlag = extended->trailer.colorModeEnforced;
    {
        RoleLock lock(LockRole::ModelData);
        pdev->settingsContext = OpenSettingsContext(printer);
        if (pdev->settingsContext) {
            pdev->modelMain = pdev->settingsContext->main;
            pdev->modelLinked = pdev->settingsContext->linked;
        }
    }
    if (!pdev->settingsContext || !BuildDeviceFontList(pdev) || InitPdevSettings(pdev, local) != 0)
        return FailEnable(pdev);
    GDIINFO info;
    FillGdiInfo(pdev, &info);
    std::memcpy(caps, &info, std::min<size_t>(capsSize, sizeof(info)));
    DEVINFO device;
    // With device fonts GDI's default font is one of them.
    LOGFONTW defaultFont{};
    if (pdev->deviceFontCount > 0 && !DefaultDeviceFont(pdev, pdev->resolution, &defaultFont))
        return FailEnable(pdev);
    if (FillDevInfo(pdev, pdev->deviceFontCount > 0 ? &defaultFont : nullptr, &device) != 0)
        return FailEnable(pdev);
    std::memcpy(devInfo, &device, std::min<size_t>(devInfoSize, sizeof(device)));
    if (patterns)
        std::memset(patterns, 0, size_t(patternCount) * sizeof(HSURF));
    TraceDevmode(kTraceDevmodeDumps, L"<INPUT  DEVMODE>", local);
    TraceDevmode(kTraceDevmodeDumps, L"<OUTPUT DEVMODE>", pdev->settings);
    HeapFree(pdev->heap, 0, local);
    return reinterpret_cast<DHPDEV>(pdev);
}

void CompletePdevBody(DHPDEV dhpdev, HDEV hdev)
{
    if (PDevRecord* pdev = Valid(dhpdev))
        pdev->hdev = hdev;
}

namespace {

// The settings the new record keeps from the old one: once the job has begun,
// the sheet already on its way keeps its paper (the new settings hold except
// where they would change the paper under it); before, the private part and
// the job type. False when one of them cannot be written.
bool CarrySettings(PDevRecord* old, PDevRecord* fresh)
{
    if (!old->job.begun) {
        CopyPrivatePart(fresh->settings, old->settings);
        // A fax driver keeps the printer-side values the job was set up with.
        if (old->driverKind2 && old->printerSettings && fresh->printerSettings)
            std::memcpy(fresh->printerSettings, old->printerSettings, kPrinterSettingsRecordSize);
        return SetPdevSettingNumber(fresh, kFidJobType, GetPdevSettingDword(old, kFidJobType)) == kSettingOk;
    }
    for (uint16_t id : {kFidOrientation, kFidPaperSize, kFidPaperLength, kFidPaperWidth, kFidDefaultSource})
        if (SetPdevSettingNumber(fresh, id, GetPdevSettingDword(old, id)) != kSettingOk)
            return false;
    uint64_t holder = 0;
    uint16_t type = 0;
    uint32_t size = 0;
    if (GetSettingValue(kFidFormName, old->settings, old->printerSettings, &type, &size, &holder) == kSettingOk &&
        type == kTypeString && holder != 0) {
        // A form name may fill its field without a terminator; it is read
        // within the field and carried with one, cut to fit.
        const auto* form = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(holder));
        // The size the settings access reports follows the text, not the field.
        const size_t chars = std::min<size_t>(size / sizeof(wchar_t), CCHFORMNAME);
        if (chars == 0)
            return false;
        std::wstring name(form, wcsnlen(form, chars));
        name.resize(std::min(name.size(), chars - 1));
        uint64_t copy = reinterpret_cast<uintptr_t>(name.c_str());
        const uint32_t bytes = static_cast<uint32_t>((name.size() + 1) * sizeof(wchar_t));
        if (SetSettingValue(kFidFormName, fresh->settings, fresh->printerSettings, kTypeString, bytes, &copy) !=
            kSettingOk)
            return false;
    }
    if (GetPdevSettingDword(old, kFidKeepDuplexOnReset) != 0 &&
        SetPdevSettingNumber(fresh, kFidDuplex, GetPdevSettingDword(old, kFidDuplex)) != kSettingOk)
        return false;
    return true;
}

// The running job and what it owns move to the new record; the old record's
// pointers are cleared, as ownership moves with them.
void MoveJob(PDevRecord* old, PDevRecord* fresh)
{
    fresh->jobId = old->jobId;
    fresh->job = old->job;
    fresh->geometry = std::exchange(old->geometry, nullptr);
    fresh->pageState = old->pageState;
    fresh->pageCount = old->pageCount;
    fresh->counters = old->counters;
    fresh->jobOptions = old->jobOptions;
    fresh->sheetState = old->sheetState;
    fresh->commentTimer = old->commentTimer;
    fresh->jobAttributes = std::exchange(old->jobAttributes, nullptr);
    fresh->docMonitorJob = std::exchange(old->docMonitorJob, nullptr);
    fresh->savedGeometry = old->savedGeometry;
    fresh->stream = std::exchange(old->stream, nullptr);
    std::memcpy(fresh->previousMarginOverride, fresh->marginOverride, sizeof(fresh->marginOverride));
    std::memcpy(fresh->marginOverride, old->marginOverride, sizeof(old->marginOverride));
    fresh->capability = old->capability;
    for (int i = 0; i < kSlotCount; ++i) {
        if (fresh->slots[i].data)
            GlobalFree(fresh->slots[i].data);
        fresh->slots[i] = std::exchange(old->slots[i], EscapeDataSlot{});
    }
    fresh->compression[0] = std::exchange(old->compression[0], nullptr);
    fresh->compression[1] = std::exchange(old->compression[1], nullptr);
    fresh->commandLayer = std::exchange(old->commandLayer, nullptr);
    fresh->imageBands = std::exchange(old->imageBands, nullptr);
    fresh->colour = std::exchange(old->colour, nullptr);
    if (fresh->headerTable.block)
        GlobalFree(fresh->headerTable.block);
    fresh->headerTable = std::exchange(old->headerTable, JobHeaderTable{});
    // The batch after the reset cannot bring these again (the settings batch
    // is locked once the document started): a fax reset mid-document would
    // lose its destinations and the pages their annotations.
    if (old->annotation) {
        if (fresh->annotation)
            GlobalFree(fresh->annotation);
        fresh->annotation = std::exchange(old->annotation, nullptr);
    }
    if (old->faxSendList) {
        if (fresh->faxSendList)
            GlobalFree(fresh->faxSendList);
        fresh->faxSendList = std::exchange(old->faxSendList, nullptr);
        fresh->faxSendListLength = std::exchange(old->faxSendListLength, 0);
    }
}

} // namespace

BOOL ResetPdevBody(DHPDEV oldHandle, DHPDEV newHandle)
{
    PDevRecord* old = Valid(oldHandle);
    PDevRecord* fresh = old ? Valid(newHandle) : nullptr;
    if (!old || !fresh)
        return FALSE;
    const bool started = old->flags & kPdevDocumentStarted;
    const bool carried = started || old->job.begun;
    // A refused or half-begun page cannot be carried. The engine keeps the old
    // record when the answer is FALSE, so nothing may have moved by then.
    if (carried && (old->pageState & (kPageDrawingRefused | kPageBegun)))
        return FALSE;
    if (!CarrySettings(old, fresh))
        return FALSE;
    if (started)
        fresh->streamBegin = old->streamBegin;
    if (carried)
        MoveJob(old, fresh);
    // A page recorded while it is still open keeps the paper the new record
    // resolved; any other page goes on with the old record's.
    if (old->job.begun && !(fresh->counters.recording & kRecordingPageOpen)) {
        FormRecord output = old->outputForm;
        old->outputForm.modelPaper = nullptr;
        if (fresh->outputForm.modelPaper && fresh->outputForm.modelPaper != fresh->requestedForm.modelPaper)
            FreeItemFeature(fresh->outputForm.modelPaper);
        fresh->outputForm = output;
    }
    fresh->flags |= kPdevTookOverJob | (old->flags & kPdevCarriedFlags);
    old->flags |= kPdevHandedOverJob;
    fresh->pageState |= kPageSettingsDue;
    std::swap(fresh->savedSettings, old->savedSettings);
    TraceDevmode(kTraceResetDumps, L"<OLD DEVMODE>", old->settings);
    TraceDevmode(kTraceResetDumps, L"<NEW DEVMODE>", fresh->settings);
    return TRUE;
}

HSURF EnableSurfaceBody(DHPDEV dhpdev)
{
    PDevRecord* pdev = Valid(dhpdev);
    if (!pdev)
        return nullptr;
    // A record that took over a running job draws on the page its own trailer
    // group describes (kept as the previous group at the hand-over).
    const PrintableTenths printable = FormPrintableTenths(pdev->requestedForm, pdev->previousMarginOverride);
    const int32_t d = static_cast<int16_t>(GetPdevSettingWord(pdev, kFidPrintQuality));
    const SIZEL size{DivideRoundHalfUp(int64_t(printable.width) * d, 254),
                     DivideRoundHalfUp(int64_t(printable.height) * d, 254)};
    HSURF surface = g_engine.EngCreateDeviceSurface(reinterpret_cast<DHSURF>(pdev), size, BMF_24BPP);
    if (!surface)
        return nullptr;
    if (!g_engine.EngAssociateSurface(surface, pdev->hdev, kSurfaceHooks)) {
        g_engine.EngDeleteSurface(surface);
        return nullptr;
    }
    pdev->surface = surface;
    return surface;
}

void DisableSurfaceBody(DHPDEV dhpdev)
{
    PDevRecord* pdev = Valid(dhpdev);
    if (!pdev || !pdev->surface)
        return;
    g_engine.EngDeleteSurface(pdev->surface);
    pdev->surface = nullptr;
}

void DisablePdevBody(DHPDEV dhpdev)
{
    // A record that is not ours (or no longer) took nothing that we could give
    // back: releasing here would free the settings library under live records.
    PDevRecord* pdev = Valid(dhpdev);
    if (!pdev)
        return;
    if ((pdev->flags & kPdevDocumentStarted) && !(pdev->flags & kPdevHandedOverJob))
        ReleaseJob(pdev);
    if (pdev->palette)
        g_engine.EngDeletePalette(pdev->palette);
    ReleasePdevRecord(pdev);
    ReleaseResourceModule();
    UnbindSettingsAccess();
}
