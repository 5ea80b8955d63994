#include "common/devmode/devmode_convert.h"

#include "common/context/settings_context.h"
#include "common/defaults/setting_defaults.h"
#include "common/devmode/devmode_input.h"
#include "common/devmode/devmode_merge.h"
#include "common/devmode/old_layouts.h"
#include "common/devmode/printer_side.h"
#include "common/devmode/setting_numbers.h"
#include "common/model/model_value_ops.h"
#include "common/records/settings_records.h"
#include "common/settings/capability_bits.h"
#include "common/settings/function_ids.h"
#include "common/settings/unaligned_bytes.h"
#include "common/settings/value_types.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <memory>
#include <vector>

namespace {

constexpr uint16_t kFidModelClass = 5137;
constexpr uint16_t kModelClassMask = 0xFFF0;
constexpr size_t kDriverVersionOffset = 66;
constexpr size_t kModelNameUnits = 32;

// Settings the migration fixes up.
constexpr uint16_t kFidColorSetting = 271;
constexpr uint16_t kFidTonerSetting = 350;
constexpr uint16_t kFidColorFlagA = 1308, kFidColorFlagB = 1311, kFidColorPair = 454;
constexpr uint16_t kFidMonoFlagA = 1306, kFidMonoFlagB = 1309, kFidMonoPair = 455;
constexpr uint16_t kFidFinishing = 321, kFidFinishingFlag = 1328, kFidStaple = 320, kFidFinishKind = 448,
                   kFidFinishExtra = 465, kFidFinishKindFlag = 1329;
constexpr uint16_t kFidPunch = 341;
constexpr uint16_t kFidSourceSetting = 265;
constexpr uint16_t kFidOldSourceFlag = 1354, kFidSourceMode = 473;

bool IsOlder(uint16_t version, uint16_t than) { return version < than; }

bool ReadDefaultNumber(SettingsContext* context, uint16_t id, uint32_t* value)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (GetFunctionIdDefault(context, id, &type, &size, &holder) != kFunctionIdDefaultOk)
        return false;
    if (type == kTypeString || type == kTypeLogFont) {
        FreeFunctionIdDefault(id, holder, type);
        return false;
    }
    *value = static_cast<uint32_t>(holder);
    return true;
}

bool ReadDefaultName(SettingsContext* context, wchar_t* name)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (GetFunctionIdDefault(context, kFidModelName, &type, &size, &holder) != kFunctionIdDefaultOk)
        return false;
    const bool ok = type == kTypeString && holder != 0;
    if (ok)
        wcsncpy(name, reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(holder)), kModelNameUnits);
    FreeFunctionIdDefault(kFidModelName, holder, type);
    return ok;
}

uint16_t ModelClass(SettingsContext* context)
{
    uint32_t value = 0;
    return ReadDefaultNumber(context, kFidModelClass, &value) ? static_cast<uint16_t>(value & kModelClassMask) : 0;
}

bool HasCapability(SettingsContext* context, uint16_t bit)
{
    return context && context->main && TestModelCapability(context->main, CapabilityBit(bit));
}

using Record = std::vector<uint8_t>;

bool NewRecord(Record* record)
{
    try {
        record->assign(kSettingsRecordSize, 0);
    } catch (...) {
        return false;
    }
    return true;
}

int Defaults(SettingsContext* context, const wchar_t* printerName, uint8_t* output)
{
    Record defaults;
    if (!NewRecord(&defaults) || !FillDevmodeDefaults(context, printerName, defaults.data()))
        return kMergeFailed;
    std::memcpy(output, defaults.data(), kPrivatePartOffset);
    return kMergeDefaults;
}

bool Write(uint8_t* record, uint16_t id, uint32_t value)
{
    return WriteSettingNumber(id, record, nullptr, value);
}

uint32_t Read(const uint8_t* record, uint16_t id)
{
    return SettingNumberOr(id, const_cast<uint8_t*>(record), nullptr, 0);
}

// The fix-ups of a migrated record: `in` is the input as it was, `out` the
// record with the input's parts carried into it.
bool FixUpMigrated(SettingsContext* context, uint16_t version, const uint8_t* in, uint8_t* out)
{
    const uint16_t modelClass = ModelClass(context);
    bool ok = true;
    if (modelClass == 32)
        ok &= ResetSettingToDefault(context, out, nullptr, kFidColorSetting);
    if (Read(in, kFidTonerSetting) == 0)
        ok &= ResetSettingToDefault(context, out, nullptr, kFidTonerSetting);
    if (IsOlder(version, 20485)) {
        const auto pair = [&](uint16_t a, uint16_t b) -> uint32_t {
            const bool first = Read(out, a) == 1;
            const bool second = Read(out, b) == 1;
            return first && second ? 3 : first ? 1 : second ? 2 : 0;
        };
        ok &= Write(out, kFidColorPair, pair(kFidColorFlagA, kFidColorFlagB));
        ok &= Write(out, kFidMonoPair, pair(kFidMonoFlagA, kFidMonoFlagB));
    }
    if (IsOlder(version, 20544) && HasCapability(context, 45)) {
        if (Read(in, kFidFinishing) == 2 && Read(in, kFidFinishingFlag) != 0) {
            ok &= Write(out, kFidFinishingFlag, 0) && Write(out, kFidStaple, 11) && Write(out, kFidFinishKind, 5) &&
                  Write(out, kFidFinishExtra, 2);
        } else if (Read(in, kFidFinishing) != 2) {
            ok &= Write(out, kFidFinishingFlag, 0);
        }
    }
    if (version == 20768 && modelClass == 0x410) {
        for (uint16_t id : {kFidDefaultSource, kFidSourceSetting}) {
            if (Read(out, id) == 273)
                ok &= Write(out, id, 274);
        }
    }
    if (IsOlder(version, 20992) && Read(out, kFidOldSourceFlag) != 0)
        ok &= Write(out, kFidSourceMode, 3);
    if (IsOlder(version, 20800) && Read(in, kFidFinishKind) == 1) {
        const uint32_t staple = Read(in, kFidStaple);
        if (staple == 9 || staple == 10 || Read(in, kFidPunch) == 5)
            ok &= Write(out, kFidFinishKind, 6);
        else
            ok &= Write(out, kFidFinishKindFlag, 0);
    }
    return ok;
}

// Settings that were printer-wide before 20485: from the printer settings
// record into the private settings.
struct PrinterWideSetting {
    uint16_t target;
    uint16_t source;
};
constexpr PrinterWideSetting kPrinterWideSettings[] = {
    {456, 5651}, {457, 5652}, {1332, 5649}, {1333, 5648}, {1334, 5650}, {1859, 5653}, {1860, 5654},
};

// The settings a record older than 20485 kept with the printer are taken from
// it; the private part, with them in it, is stored as the printer's.
bool TakePrinterWideSettings(const wchar_t* printerName, SettingsContext* context, uint8_t* record)
{
    std::vector<uint8_t> printerSettings(kPrinterSettingsRecordSize, 0);
    if (!LoadPrinterSettingsByName(printerName, context, printerSettings.data()) ||
        !LoadPrinterPrivatePart(printerName, record + kPrivatePartOffset))
        return false;
    for (const PrinterWideSetting& setting : kPrinterWideSettings) {
        uint32_t value = 0;
        if (!ReadSettingNumber(setting.source, nullptr, printerSettings.data(), &value) ||
            !WriteSettingNumber(setting.target, record, nullptr, value))
            return false;
    }
    return SavePrinterPrivatePart(printerName, record + kPrivatePartOffset);
}

// Migration from a settings record of its own (the input made safe, or one
// converted from an old layout).
int MigrateRecord(const wchar_t* printerName, SettingsContext* context, uint16_t version, const InputDevmode* input,
                  uint8_t* output)
{
    Record work;
    if (!NewRecord(&work) || !FillDevmodeDefaults(context, printerName, work.data()))
        return kMergeFailed;
    std::memcpy(output, work.data(), kPrivatePartOffset);
    const Record defaults = work;
    if (CopyOlderDevmodeParts(input, work.data()) != input->stated ||
        !FixUpMigrated(context, version, input->record, work.data()) ||
        (IsOlder(version, 20485) && !TakePrinterWideSettings(printerName, context, work.data()))) {
        std::memcpy(output, defaults.data(), kPrivatePartOffset);
        return kMergeDefaults;
    }
    std::memcpy(output, work.data(), kPrivatePartOffset);
    return kMergeMigrated;
}

}  // namespace

int FillDevmodeDefaults(SettingsContext* context, const wchar_t* printerName, uint8_t* record)
{
    if (!context || !record)
        return 0;
    std::memset(record, 0, kSettingsRecordSize);
    // The field flags end as every merge leaves them (scale by setting 1324,
    // the ICM method always there), so that merging the defaults into
    // themselves changes nothing.
    return FillDefaultSettings(context, record, nullptr, printerName) == 1 && UpdateScaleField(record, nullptr) &&
                   SyncIcmMethod(record, nullptr)
               ? 1
               : 0;
}

int ReadDevmodeHeader(SettingsContext* context, const InputDevmode* input, SettingsHeader* header,
                      SettingsHeader* driverHeader)
{
    if (!input || !header || !driverHeader)
        return 0;
    std::memset(header, 0, sizeof *header);
    std::memset(driverHeader, 0, sizeof *driverHeader);
    if (input->driverExtra < kSmallestStampedDriverExtra ||
        size_t{input->size} + kSmallestStampedDriverExtra > kSettingsRecordSize)
        return 0;
    const uint8_t* bytes = input->record;
    header->size = input->size;
    header->specVersion = LoadU16(bytes + kDmSpecVersionOffset);
    header->driverExtra = input->driverExtra;
    header->privateVersion = LoadU16(bytes + input->size);
    header->commonVersion = LoadU16(bytes + input->size + 2);
    std::memcpy(header->modelName, bytes + input->size + 4, kModelNameUnits * sizeof(wchar_t));
    header->modelName[kModelNameUnits] = 0;

    uint32_t size = 0, spec = 0, extra = 0, privateVersion = 0, commonVersion = 0;
    if (!ReadDefaultNumber(context, kFidSize, &size) || !ReadDefaultNumber(context, kFidSpecVersion, &spec) ||
        !ReadDefaultNumber(context, kFidDriverExtra, &extra) ||
        !ReadDefaultNumber(context, kFidPrivateVersion, &privateVersion) ||
        !ReadDefaultNumber(context, kFidCommonVersion, &commonVersion) ||
        !ReadDefaultName(context, driverHeader->modelName))
        return 0;
    driverHeader->size = static_cast<uint16_t>(size);
    driverHeader->specVersion = static_cast<uint16_t>(spec);
    driverHeader->driverExtra = static_cast<uint16_t>(extra);
    driverHeader->privateVersion = static_cast<uint16_t>(privateVersion);
    driverHeader->commonVersion = static_cast<uint16_t>(commonVersion);
    return 1;
}

uint32_t CopyOlderDevmodeParts(const InputDevmode* input, uint8_t* output)
{
    if (!input || !output)
        return 0;
    const uint16_t outSize = LoadU16(output + kDmSizeOffset);
    const uint16_t outExtra = LoadU16(output + kDmDriverExtraOffset);
    uint8_t kept[4];  // dmDriverVersion and dmSize
    std::memcpy(kept, output + kDriverVersionOffset, sizeof kept);
    const uint16_t keptExtra = outExtra;
    const uint16_t keptPrivate = LoadU16(output + kPublicDevmodeSize);
    const uint16_t keptCommon = LoadU16(output + kPublicDevmodeSize + 2);

    const uint32_t publicBytes = std::min<uint32_t>(std::min(input->size, outSize), kPublicDevmodeSize);
    uint32_t driverBytes = std::min(input->driverExtra, outExtra);
    // The input's driver part is in the safe record only behind our own public size.
    if (input->size != kPublicDevmodeSize || outSize != kPublicDevmodeSize)
        driverBytes = 0;
    driverBytes = std::min<uint32_t>(driverBytes, kSettingsRecordSize - kPublicDevmodeSize);
    std::memcpy(output, input->record, publicBytes);
    std::memcpy(output + kPublicDevmodeSize, input->record + kPublicDevmodeSize, driverBytes);

    std::memcpy(output + kDriverVersionOffset, kept, sizeof kept);
    StoreU16(output + kDmDriverExtraOffset, keptExtra);
    StoreU16(output + kPublicDevmodeSize, keptPrivate);
    StoreU16(output + kPublicDevmodeSize + 2, keptCommon);
    return publicBytes + driverBytes;
}

int MigrateDevmodeFields(const wchar_t* printerName, SettingsContext* context, const SettingsHeader& inputHeader,
                         const InputDevmode* input, const SettingsHeader& driverHeader, uint8_t* output)
{
    (void)driverHeader;
    if (!input || !output)
        return kMergeFailed;
    return MigrateRecord(printerName, context, inputHeader.privateVersion, input, output);
}

int MergeDevmode(const void* input, void* output, const wchar_t* printerName, SettingsContext* context)
{
    if (!input || !output || !context)
        return kMergeFailed;
    auto* out = static_cast<uint8_t*>(output);
    std::unique_ptr<InputDevmode> safe(new (std::nothrow) InputDevmode);
    if (!safe)
        return kMergeFailed;
    LoadInputDevmode(input, safe.get());
    SettingsHeader header;
    SettingsHeader driver;
    if (!ReadDevmodeHeader(context, safe.get(), &header, &driver))
        return Defaults(context, printerName, out);
    if (header.size != driver.size || header.specVersion != driver.specVersion ||
        _wcsnicmp(header.modelName, driver.modelName, kModelNameUnits) != 0 ||
        header.privateVersion > driver.privateVersion)
        return Defaults(context, printerName, out);
    if (header.privateVersion == driver.privateVersion) {
        // A copy needs the whole common part.
        if (header.driverExtra < kOrdinaryDriverExtra)
            return Defaults(context, printerName, out);
        std::memcpy(out, safe->record, kPrivatePartOffset);
        // An extended record goes out in the ordinary form.
        StoreU16(out + kDmDriverExtraOffset, kOrdinaryDriverExtra);
        if (header.commonVersion != driver.commonVersion)
            StoreU16(out + kPublicDevmodeSize + 2, driver.commonVersion);
        return kMergeCopied;
    }
    int result = kMergeDefaults;
    if (header.privateVersion >= kOldestMigratedDevmode) {
        result = MigrateDevmodeFields(printerName, context, header, safe.get(), driver, out);
    } else {
        // The old record is brought to layout 20483 and migrated from there.
        std::unique_ptr<InputDevmode> converted(new (std::nothrow) InputDevmode);
        if (converted && ConvertOldDevmodeLayout(header, safe.get(), converted->record, printerName, context)) {
            converted->size = kPublicDevmodeSize;
            converted->driverExtra = static_cast<uint16_t>(kOrdinaryDriverExtra);
            converted->stated = kPrivatePartOffset;
            result = MigrateRecord(printerName, context, kOldestMigratedDevmode, converted.get(), out);
        } else {
            result = kMergeDefaults;
        }
    }
    if (result == kMergeMigrated)
        return result;
    return Defaults(context, printerName, out);
}

int HandleConvertDevmode(const wchar_t* printerName, SettingsContext* context, const void* input, void* output,
                         DWORD* size, DWORD mode)
{
    if (!size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return kConvertFailed;
    }
    if (!context)
        return kConvertFailed;
    if (mode != kConvertDevmode && mode != kConvertDriverDefault)
        return kConvertFailed;
    if (*size < kPrivatePartOffset) {
        *size = kPrivatePartOffset;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return kConvertShortBuffer;
    }
    *size = kPrivatePartOffset;
    if (mode == kConvertDevmode) {
        if (!input || !output)
            return kConvertFailed;
        switch (MergeDevmode(input, output, printerName, context)) {
        case kMergeMigrated: return kConvertMigrated;
        case kMergeCopied: return kConvertCopied;
        case kMergeDefaults: return kConvertDefaults;
        default: return kConvertFailed;
        }
    }
    if (!output)
        return kConvertFailed;
    return Defaults(context, printerName, static_cast<uint8_t*>(output)) == kMergeDefaults ? kConvertDefaults
                                                                                          : kConvertFailed;
}
