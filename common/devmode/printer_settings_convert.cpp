// Stored printer settings records of older layouts brought to the current one.
#include "common/context/model_lookups.h"
#include "common/context/settings_context.h"
#include "common/defaults/setting_defaults.h"
#include "common/devmode/devmode_convert.h"
#include "common/devmode/setting_numbers.h"
#include "common/model/model_value_ops.h"
#include "common/records/record_defaults.h"
#include "common/settings/capability_bits.h"
#include "common/settings/function_ids.h"
#include "common/settings/unaligned_bytes.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr uint16_t kFidModelClass = 5137;
constexpr uint16_t kModelClassMask = 0xFFF0;
constexpr size_t kModelClassOffset = 6;

// The size of each older layout, by the first version that had it. A record
// whose stored size is not its version's is not trusted.
struct LayoutSize {
    uint16_t firstVersion;
    uint16_t lastVersion;
    uint16_t size;
};
constexpr LayoutSize kLayoutSizes[] = {
    {16385, 16389, 1840},  // five user paper sizes at 896
    {16390, 16391, 2180},  // ten user paper sizes at 1840
    {20480, 20799, 7700},
    {20800, 21072, kPrinterSettingsRecordSize},
};

uint16_t LayoutSizeOf(uint16_t version)
{
    for (const LayoutSize& row : kLayoutSizes) {
        if (version >= row.firstVersion && version <= row.lastVersion)
            return row.size;
    }
    return 0;
}

// 8205 of the oldest records, from 4365 and the model class.
struct StreamVersionRow {
    uint16_t modelClass;
    uint16_t value4365;
    uint32_t streamVersion;
};
constexpr StreamVersionRow kStreamVersions[] = {
    {16, 0, 0x1010501},
    {16, 1, 0x1010702},
};

struct Header {
    uint16_t size;
    uint16_t commonVersion;
    uint16_t privateVersion;
    uint16_t modelClass;  // unmasked
};

Header ReadHeader(const uint8_t* record)
{
    return {LoadU16(record), LoadU16(record + 2), LoadU16(record + 4), LoadU16(record + kModelClassOffset)};
}

using Record = std::vector<uint8_t>;

bool Set(uint8_t* record, uint16_t id, uint32_t value)
{
    return WriteSettingNumber(id, nullptr, record, value);
}

bool Reset(SettingsContext* context, uint8_t* record, uint16_t id)
{
    return ResetSettingToDefault(context, nullptr, record, id);
}

bool CopyText(uint8_t* record, uint16_t target, const uint8_t* source, uint32_t room)
{
    std::vector<wchar_t> text(room / sizeof(wchar_t) + 1, 0);
    std::memcpy(text.data(), source, room);
    const uint64_t holder = reinterpret_cast<uintptr_t>(text.data());
    const auto bytes = static_cast<uint32_t>((wcslen(text.data()) + 1) * sizeof(wchar_t));
    return SetFunctionIdValue(target, nullptr, record, kTypeString, bytes, &holder) == kSettingOk;
}

bool SetUserPaper(uint8_t* record, uint16_t i, const uint8_t* width, const uint8_t* length, const uint8_t* name)
{
    return Set(record, kFidUserPaperWidthFirst + i, LoadU16(width)) &&
           Set(record, kFidUserPaperLengthFirst + i, LoadU16(length)) &&
           CopyText(record, kFidUserPaperNameFirst + i, name, 30);
}

// A record older than layout 20480 in that layout, its version stamped 20480.
bool ConvertTo20480(SettingsContext* context, const uint8_t* stored, const Header& header, const Header& driver,
                    uint8_t* out)
{
    const uint16_t version = header.privateVersion;
    bool ok = true;
    if (version >= 16390) {
        std::memcpy(out, stored, 1840);
        for (uint16_t i = 0; i < 10; ++i)
            ok &= SetUserPaper(out, i, stored + 1840 + 34 * i, stored + 1842 + 34 * i, stored + 1844 + 34 * i);
    } else {
        std::memcpy(out, stored, std::min<uint32_t>(header.size, kPrinterSettingsRecordSize));
    }
    ok &= Set(out, kFidPrinterSettingsSize, kPrinterSettingsRecordSize);
    uint16_t listKind = 0, optionCount = 0;
    const wchar_t* name = nullptr;
    ModelSection* feature = nullptr;
    if (version == 256) {
        if (!GetItemFeature(context, 4103, &listKind, &optionCount, &name, &feature, nullptr))
            ok &= Set(out, 4103, 1);
        else
            FreeItemFeature(feature);
    }
    if (version == 16385 || version == 16386 || (version == 16389 && header.modelClass == 115))
        ok &= Set(out, kFidModelClass, driver.modelClass);
    if (version <= 12288) {
        const uint32_t value4365 = PrinterSettingNumber(out, 4365);
        for (const StreamVersionRow& row : kStreamVersions) {
            if (row.modelClass == (driver.modelClass & kModelClassMask) && row.value4365 == value4365 &&
                row.streamVersion != 0)
                ok &= Set(out, kFidStreamVersion, row.streamVersion);
        }
    }
    if (version < 16389)
        ok &= Reset(context, out, 8206);
    if (version < 16390) {
        for (uint16_t i = 0; i < 5; ++i)
            ok &= SetUserPaper(out, i, stored + 896 + 2 * i, stored + 906 + 2 * i, stored + 916 + 30 * i);
    }
    StoreU16(out + 4, kOldestMigratedPrinterSettings);
    return ok;
}

bool FixUpMigrated(SettingsContext* context, uint16_t version, const uint8_t* stored, const Header& driver,
                   uint8_t* out)
{
    const uint16_t modelClass = driver.modelClass & kModelClassMask;
    const uint16_t classValue = driver.modelClass;
    bool ok = true;
    if (version == 20482 && PrinterSettingNumber(out, 4364) == 0)
        ok &= Reset(context, out, 4364);
    if (version < 20497 && PrinterSettingNumber(out, 4101) != 0) {
        uint32_t finisher = 0;
        if (modelClass == 32)
            finisher = 4;
        else if (modelClass == 48 || modelClass == 64 || modelClass == 160 || modelClass == 272)
            finisher = 1;
        else if (modelClass == 400)
            finisher = 2;
        else
            return false;
        ok &= Set(out, 4359, finisher);
    }
    if (version < 20485)
        ok &= Set(out, 4355, PrinterSettingNumber(out, 4104) != 0 && classValue != 55 ? 2 : 1);
    if (version < 20496 && modelClass == 48) {
        const uint32_t tray = classValue == 55 ? 2 : PrinterSettingNumber(out, 4105) ? 3 : PrinterSettingNumber(out, 4106) ? 2 : PrinterSettingNumber(out, 4107) ? 1 : 0;
        ok &= Set(out, 4357, tray);
    }
    if (version < 20496) {
        const uint32_t account = PrinterSettingNumber(stored, 5127);
        ok &= Set(out, 5163, account == 5 || account == 6 ? 1 : 0);
        if (account == 1)
            ok &= Set(out, 5127, 7);
        else if (account == 5)
            ok &= Reset(context, out, 5127) && Set(out, 5178, 7);
    }
    ok &= Reset(context, out, 5153) && Reset(context, out, 4129);
    if (version < 20544 && PrinterSettingNumber(out, 4097) != 0)
        ok &= Set(out, 4362, 1);
    if (context && context->main && TestModelCapability(context->main, 0x2000000) && version < 20768)
        ok &= Set(out, 5204, 2);
    if (version == 20768 && modelClass == 0x410)
        ok &= Set(out, 4624, PrinterSettingNumber(out, 4623)) && Set(out, 4623, 0);
    if (version < 20800) {
        uint16_t type = 0;
        uint32_t size = 0;
        uint64_t holder = 0;
        ok &= GetFunctionIdValue(8209, nullptr, out, &type, &size, &holder) == kSettingOk &&
              SetFunctionIdValue(8213, nullptr, out, type, size, &holder) == kSettingOk;
    }
    if (version == 20800 && modelClass == 0x540)
        ok &= Reset(context, out, 4365);
    if (version < 21016)
        ok &= Reset(context, out, 4125);
    return ok;
}

int Migrate(SettingsContext* context, const uint8_t* stored, uint32_t storedBytes, const Header& header,
            const Header& driver, const Record& defaults, uint8_t* output)
{
    Record work = defaults;
    const uint32_t carried = std::min<uint32_t>({header.size, kPrinterSettingsRecordSize, storedBytes});
    std::memcpy(work.data(), stored, carried);
    StoreU16(work.data(), driver.size);
    StoreU16(work.data() + 2, driver.commonVersion);
    StoreU16(work.data() + 4, driver.privateVersion);
    StoreU16(work.data() + kModelClassOffset, driver.modelClass);
    if (carried != header.size || !FixUpMigrated(context, header.privateVersion, stored, driver, work.data())) {
        std::memcpy(output, defaults.data(), kPrinterSettingsRecordSize);
        return kMergeDefaults;
    }
    std::memcpy(output, work.data(), kPrinterSettingsRecordSize);
    return kMergeMigrated;
}

}  // namespace

int ConvertOldPrinterSettings(const uint8_t* stored, uint32_t storedBytes, uint8_t* output, SettingsContext* context)
{
    if (!stored || !output || !context || storedBytes < kModelClassOffset + 2)
        return kMergeFailed;
    Record defaults(kPrinterSettingsRecordSize, 0);
    if (!FillDefaultPrinterSettingsRecord(context, defaults.data()))
        return kMergeFailed;
    const Header header = ReadHeader(stored);
    const Header driver = ReadHeader(defaults.data());
    const auto useDefaults = [&]() {
        std::memcpy(output, defaults.data(), kPrinterSettingsRecordSize);
        return kMergeDefaults;
    };
    if (header.privateVersion > driver.privateVersion)
        return useDefaults();
    if (header.privateVersion == driver.privateVersion) {
        if (header.size != driver.size || storedBytes < kPrinterSettingsRecordSize)
            return useDefaults();
        std::memcpy(output, stored, kPrinterSettingsRecordSize);
        if (header.commonVersion != driver.commonVersion)
            StoreU16(output + 2, driver.commonVersion);
        return kMergeCopied;
    }
    // An older record is trusted only with the size of its own version's layout.
    const uint16_t layoutSize = LayoutSizeOf(header.privateVersion);
    if (layoutSize == 0 || header.size != layoutSize || storedBytes < layoutSize)
        return useDefaults();
    if (header.privateVersion >= kOldestMigratedPrinterSettings)
        return Migrate(context, stored, storedBytes, header, driver, defaults, output);
    Record converted = defaults;
    if (!ConvertTo20480(context, stored, header, driver, converted.data()))
        return useDefaults();
    Header convertedHeader = ReadHeader(converted.data());
    return Migrate(context, converted.data(), kPrinterSettingsRecordSize, convertedHeader, driver, defaults, output);
}

int ConvertOlderPrinterSettingsRecord(void* context, const uint8_t* stored, uint8_t* output)
{
    // The loader hands over at least a whole record; a migrated record and the
    // defaults are as usable as a copied one.
    return ConvertOldPrinterSettings(stored, kPrinterSettingsRecordSize, output,
                                     static_cast<SettingsContext*>(context)) >= 0
               ? 1
               : 0;
}
