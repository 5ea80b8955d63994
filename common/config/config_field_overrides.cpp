#include "common/config/config_field_overrides.h"

#include "common/settings/function_ids.h"
#include "common/system/number_text.h"
#include "common/settings/value_operations.h"
#include "common/system/config_readers.h"
#include "common/system/global_block.h"

#include <windows.h>

#include <cwchar>
#include <new>
#include <span>

namespace {

struct ValueName {
    const wchar_t* name;
    uint32_t value;
};

struct WindowsPair {
    uint32_t input;
    uint32_t result;
};

// Which keys a field takes.
enum FieldKeys : unsigned { kKeyMerge = 1, kKeyMode = 2, kKeyDefault = 4, kKeyWindowsValue = 8 };

struct FieldDefinition {
    const wchar_t* name;
    uint16_t devmodeId;
    unsigned keys;
    uint16_t merge, defaultValue, mode, windowsValue;
    std::span<const ValueName> valueNames;
    std::span<const uint32_t> identity;          // initial entries, result = input
    std::span<const WindowsPair> windowsMapping;  // taken when WindowsValue is 1
};

constexpr ValueName kFieldFlagNames[] = {
    {L"ORIENTATION", 0x1},       {L"PAPERSIZE", 0x2},      {L"PAPERLENGTH", 0x4},    {L"PAPERWIDTH", 0x8},
    {L"SCALE", 0x10},            {L"COPIES", 0x100},       {L"DEFAULTSOURCE", 0x200}, {L"PRINTQUALITY", 0x400},
    {L"COLOR", 0x800},           {L"DUPLEX", 0x1000},      {L"YRESOLUTION", 0x2000}, {L"TTOPTION", 0x4000},
    {L"COLLATE", 0x8000},        {L"FORMNAME", 0x10000},   {L"ICMMETHOD", 0x800000}, {L"ICMINTENT", 0x1000000},
    {L"MEDIATYPE", 0x2000000},   {L"DITHERTYPE", 0x4000000},
};
constexpr ValueName kCollateNames[] = {{L"COLLATE_TRUE", 1}, {L"COLLATE_FALSE", 0}};
constexpr ValueName kBinNames[] = {
    {L"AUTO", 7},          {L"TRAY1", 1},            {L"TRAY2", 3},           {L"TRAY3", 2},
    {L"TRAY4", 257},       {L"PRINTER", 259},        {L"MANUAL", 4},          {L"MANUAL_CONFIRM", 260},
    {L"LARGECAPACITY", 11}, {L"LARGECAPACITY2", 268}, {L"TRAY3_LARGE", 261},  {L"TRAY4_LARGE", 262},
    {L"INTERPORSER", 264}, {L"TRAY2-1", 265},        {L"TRAY2-2", 266},       {L"TRAY2-3", 267},
    {L"TRAY1_LCASSETTE", 269}, {L"TRAY2_LCASSETTE", 270}, {L"TRAY1_LARGE", 272}, {L"TRAY2_LARGE", 271},
};
constexpr ValueName kMediaNames[] = {
    {L"PAPER_NORMAL", 0},   {L"PAPER_THICK", 1},    {L"PAPER_SUPERTHICK", 2}, {L"PAPER_OHP", 3},
    {L"PAPER_DEFINE1", 13}, {L"PAPER_DEFINE2", 14}, {L"PAPER_DEFINE3", 15},   {L"PAPER_DEFINE4", 16},
    {L"PAPER_DEFINE5", 17},
};

constexpr uint32_t kCollateIdentity[] = {0, 1};
constexpr uint32_t kBinIdentity[] = {7, 1, 3, 2, 257, 259, 4, 260, 11, 268, 261, 262, 264, 265, 266, 267, 269, 270, 272, 271};
constexpr uint32_t kMediaIdentity[] = {0, 1, 2, 3, 13, 14, 15, 16, 17};

// The platform's own bin and media numbers onto the device's. Bin 11 appears
// twice: the first row (to manual feed) wins because it is the changed one.
constexpr WindowsPair kBinWindowsMapping[] = {
    {7, 7},     {14, 1},    {8, 1},     {9, 1},     {3, 3},     {2, 2},     {257, 257}, {259, 259}, {4, 4},
    {5, 4},     {6, 4},     {11, 4},    {10, 4},    {260, 260}, {11, 11},   {268, 268}, {261, 261}, {262, 262},
    {264, 264}, {265, 265}, {266, 266}, {267, 267}, {269, 269}, {270, 270}, {272, 272}, {271, 271},
};
constexpr WindowsPair kMediaWindowsMapping[] = {
    {1, 0}, {3, 1}, {2, 2}, {2, 3}, {13, 13}, {14, 14}, {15, 15}, {16, 16}, {17, 17},
};

constexpr uint16_t N = kOverrideNotSet;

const FieldDefinition kFieldDefinitions[kOverrideFieldCount] = {
    {L"fields", 6, 0, N, N, N, N, kFieldFlagNames, {}, {}},
    {L"collate", 18, kKeyMerge | kKeyDefault, 1, 0, N, N, kCollateNames, kCollateIdentity, {}},
    {L"resolution", 14, kKeyMerge | kKeyMode | kKeyDefault, 1, 0, 0, N, {}, {}, {}},
    {L"bin", 13, kKeyMerge | kKeyDefault | kKeyWindowsValue, 1, 0, N, 0, kBinNames, kBinIdentity, kBinWindowsMapping},
    {L"media", 24, kKeyMerge | kKeyDefault | kKeyWindowsValue, 0, 0, N, 0, kMediaNames, kMediaIdentity,
     kMediaWindowsMapping},
    {L"color", 15, kKeyMode, N, N, 0, N, {}, {}, {}},
};

constexpr uint32_t kDmCollate = 0x8000;
constexpr uint32_t kDmResolution = 0x2400;  // print quality and Y resolution
constexpr uint32_t kDmDefaultSource = 0x200;
constexpr uint32_t kDmMediaType = 0x2000000;

void InitField(OverrideField& field, const FieldDefinition& definition)
{
    field.devmodeId = definition.devmodeId;
    field.present = 0;
    field.merge = definition.merge;
    field.defaultValue = definition.defaultValue;
    field.mode = definition.mode;
    field.windowsValue = definition.windowsValue;
    field.entries.clear();
    if (definition.devmodeId == kFidFields) {
        for (const ValueName& flag : definition.valueNames)
            field.entries.push_back({0, flag.value, 0});
    }
    for (uint32_t value : definition.identity)
        field.entries.push_back({value, value, 0});
}

// The value of key "<field>.<name>=" at the given line (first or last); false when
// missing or not a number.
bool ReadNumberKey(const wchar_t* section, const wchar_t* field, const wchar_t* name, int occurrence, int last,
                   uint32_t* value, int* line = nullptr)
{
    wchar_t key[64];
    swprintf(key, 64, L"%ls.%ls=", field, name);
    wchar_t* text = nullptr;
    const int found = FindSectionKey(occurrence, last, section, key, &text);
    GlobalBlockPtr<wchar_t> owned(text);
    if (line != nullptr)
        *line = found;
    return found != 0 && text != nullptr && ParseNumberText(text, value) == 1;
}

void ReadFieldKeys(OverrideField& field, const FieldDefinition& definition, const wchar_t* section)
{
    struct KeyTarget {
        unsigned key;
        const wchar_t* name;
        uint16_t* target;
    };
    const KeyTarget targets[] = {
        {kKeyMerge, L"merge", &field.merge},
        {kKeyMode, L"mode", &field.mode},
        {kKeyDefault, L"default", &field.defaultValue},
        {kKeyWindowsValue, L"WindowsValue", &field.windowsValue},
    };
    for (const KeyTarget& target : targets) {
        uint32_t value = 0;
        if ((definition.keys & target.key) && ReadNumberKey(section, definition.name, target.name, 1, 0, &value)) {
            *target.target = static_cast<uint16_t>(value);
            field.present = 1;
        }
    }
    if ((definition.keys & kKeyWindowsValue) && field.windowsValue == 1) {
        field.entries.clear();
        for (const WindowsPair& pair : definition.windowsMapping)
            field.entries.push_back({pair.result, pair.input, static_cast<uint8_t>(pair.result != pair.input)});
    }
}

void ReadValueNames(OverrideField& field, const FieldDefinition& definition, const wchar_t* section)
{
    const bool everyLine = definition.devmodeId == kFidDefaultSource || definition.devmodeId == kFidMediaType;
    for (const ValueName& name : definition.valueNames) {
        uint32_t number = 0;
        if (!everyLine) {
            if (!ReadNumberKey(section, definition.name, name.name, 1, 1, &number))
                continue;
            for (OverrideEntry& entry : field.entries) {
                if (definition.devmodeId == kFidFields && entry.input == name.value) {
                    entry.result = number;  // the flag's action
                    entry.changed = 1;
                } else if (definition.devmodeId != kFidFields && entry.result == name.value) {
                    entry.input = number;   // the incoming value that means this name
                    entry.changed = entry.input != entry.result;
                }
            }
            continue;
        }
        int line = 0;
        for (int occurrence = 1;; occurrence = line + 1) {
            const bool parsed = ReadNumberKey(section, definition.name, name.name, occurrence, 0, &number, &line);
            if (line == 0)
                break;
            if (!parsed)
                continue;
            bool matched = false;
            for (OverrideEntry& entry : field.entries) {
                if (entry.input == number) {
                    entry.changed = entry.changed || entry.result != name.value;
                    entry.result = name.value;
                    matched = true;
                    break;
                }
            }
            if (!matched)
                field.entries.push_back({name.value, number, 1});
        }
    }
}

const OverrideField* FieldAt(const ConfigFieldOverrides* overrides, int index)
{
    return overrides != nullptr && index >= 0 && index < kOverrideFieldCount ? &overrides->fields[index] : nullptr;
}

uint32_t MapValue(const OverrideField& field, uint32_t value)
{
    for (const OverrideEntry& entry : field.entries) {
        if (entry.changed && entry.input == value)
            return entry.result;
    }
    for (const OverrideEntry& entry : field.entries) {
        if (entry.input == value)
            return entry.result;
    }
    if (field.defaultValue != 0 && field.defaultValue != kOverrideNotSet)
        return field.defaultValue;
    return value;
}

}  // namespace

ConfigFieldOverrides* LoadConfigFile(const wchar_t* path, int sectionNumber)
{
    if (path == nullptr)
        return nullptr;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(path, &data);
    if (find == INVALID_HANDLE_VALUE)
        return nullptr;
    FindClose(find);

    ConfigFieldOverrides* overrides = new (std::nothrow) ConfigFieldOverrides{};
    if (overrides == nullptr)
        return nullptr;
    try {
        overrides->fieldCount = kOverrideFieldCount;
        for (int i = 0; i < kOverrideFieldCount; ++i)
            InitField(overrides->fields[i], kFieldDefinitions[i]);

        wchar_t sectionName[32];
        swprintf(sectionName, 32, L"%ls,%d", L"DME", sectionNumber);
        overrides->sectionFound = ConfigSectionExists(path, sectionName);
        if (overrides->sectionFound) {
            GlobalBlockPtr<wchar_t> section(ReadConfigSection(path, sectionName));
            if (section) {
                for (int i = 0; i < kOverrideFieldCount; ++i) {
                    ReadFieldKeys(overrides->fields[i], kFieldDefinitions[i], section.get());
                    ReadValueNames(overrides->fields[i], kFieldDefinitions[i], section.get());
                }
                uint32_t mode = 0;
                if (ReadNumberKey(section.get(), L"formdb", L"mode", 1, 0, &mode))
                    overrides->formDatabaseMode = static_cast<uint8_t>(mode);
            }
        }
    } catch (const std::bad_alloc&) {
        delete overrides;
        return nullptr;
    }
    return overrides;
}

void FreeConfigFieldOverrides(ConfigFieldOverrides* overrides)
{
    delete overrides;
}

uint32_t IsOverrideSectionFound(const ConfigFieldOverrides* overrides)
{
    return overrides != nullptr ? overrides->sectionFound : 0;
}

int IsFormDatabaseMode(const ConfigFieldOverrides* overrides)
{
    return overrides != nullptr && overrides->formDatabaseMode == 1 ? 1 : 0;
}

int GetOverrideMergeValue(const ConfigFieldOverrides* overrides, int index, uint16_t* value)
{
    if (overrides == nullptr || value == nullptr)
        return kOverrideBadArgument;
    if (index < kOverrideCollate || index > kOverrideMedia)
        return kOverrideIndexNotAllowed;
    *value = overrides->fields[index].merge;
    return kOverrideOk;
}

int GetOverrideModeValue(const ConfigFieldOverrides* overrides, int index, uint16_t* value)
{
    if (overrides == nullptr || value == nullptr)
        return kOverrideBadArgument;
    if (index != kOverrideResolution && index != kOverrideColor)
        return kOverrideIndexNotAllowed;
    *value = overrides->fields[index].mode;
    return kOverrideOk;
}

int GetOverrideChangedPairs(const ConfigFieldOverrides* overrides, int index, uint32_t* count, OverridePair** pairs)
{
    if (overrides == nullptr || count == nullptr || pairs == nullptr)
        return kOverrideBadArgument;
    *count = 0;
    *pairs = nullptr;
    if (index != kOverrideCollate && index != kOverrideBin && index != kOverrideMedia)
        return kOverrideIndexNotAllowed;
    const OverrideField& field = overrides->fields[index];
    uint32_t changed = 0;
    for (const OverrideEntry& entry : field.entries)
        changed += entry.changed ? 1 : 0;
    if (changed == 0)
        return kOverrideOk;
    auto block = AllocGlobalBlock<OverridePair>(changed * sizeof(OverridePair));
    if (!block)
        return kOverrideNoMemory;
    uint32_t at = 0;
    for (const OverrideEntry& entry : field.entries) {
        if (entry.changed)
            block.get()[at++] = {entry.result, entry.input};
    }
    *count = changed;
    *pairs = block.release();
    return kOverrideOk;
}

int MapOverrideValue(const ConfigFieldOverrides* overrides, int index, uint32_t value, uint32_t* result)
{
    const OverrideField* field = FieldAt(overrides, index);
    if (field == nullptr || result == nullptr)
        return kOverrideBadArgument;
    *result = MapValue(*field, value);
    return kOverrideOk;
}

int ApplyOverrideMappings(const ConfigFieldOverrides* overrides, void* settingsRecord)
{
    if (overrides == nullptr || settingsRecord == nullptr)
        return kOverrideBadArgument;
    for (int index : {kOverrideCollate, kOverrideBin, kOverrideMedia}) {
        const OverrideField& field = overrides->fields[index];
        uint16_t type = 0;
        uint32_t size = 0;
        uint64_t holder = 0;
        if (GetFunctionIdValue(field.devmodeId, settingsRecord, nullptr, &type, &size, &holder) != 0 || size > 4)
            return kOverrideWriteFailed;
        // DEVMODE fields hold 16-bit values: map them as their unsigned bits.
        const uint32_t value = size == 2 ? static_cast<uint16_t>(holder) : static_cast<uint32_t>(holder);
        const uint64_t mapped = MapValue(field, value);
        if (SetFunctionIdValueWord(settingsRecord, nullptr, field.devmodeId, type, size, mapped) != 0)
            return kOverrideWriteFailed;
    }
    return kOverrideOk;
}

int ApplyOverrideFieldActions(const ConfigFieldOverrides* overrides, uint32_t fields, uint32_t* result)
{
    if (overrides == nullptr || result == nullptr)
        return kOverrideBadArgument;
    for (const OverrideEntry& entry : overrides->fields[kOverrideFields].entries) {
        if (entry.result == 1)
            fields &= ~entry.input;
        else if (entry.result == 2)
            fields |= entry.input;
    }
    *result = fields;
    return kOverrideOk;
}

int ComputeOverrideFieldFlags(const ConfigFieldOverrides* overrides, uint32_t fields, uint32_t collate,
                              uint32_t* result)
{
    if (ApplyOverrideFieldActions(overrides, fields, &fields) != kOverrideOk || result == nullptr)
        return kOverrideBadArgument;
    const OverrideField& collateField = overrides->fields[kOverrideCollate];
    switch (collateField.merge) {
    case 1: fields |= kDmCollate; break;
    case 0: fields &= ~kDmCollate; break;
    case 2:
        if (MapValue(collateField, collate) == 0)
            fields |= kDmCollate;
        else
            fields &= ~kDmCollate;
        break;
    default: break;
    }
    const struct {
        int index;
        uint32_t flags;
    } merged[] = {{kOverrideResolution, kDmResolution}, {kOverrideBin, kDmDefaultSource}, {kOverrideMedia, kDmMediaType}};
    for (const auto& m : merged) {
        if (overrides->fields[m.index].merge == 1)
            fields |= m.flags;
        else
            fields &= ~m.flags;
    }
    *result = fields;
    return kOverrideOk;
}
