#include "common/config/site_config.h"

#include "common/config/site_config_tables.h"
#include "common/context/value_by_type.h"
#include "common/settings/value_types.h"
#include "common/system/code_pages.h"
#include "common/system/config_readers.h"
#include "common/system/global_block.h"
#include "common/system/trace_log.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

// Key texts end with "=" and are looked up with it; names are at most 32
// characters, so every key fits.
constexpr size_t kKeyChars = 64;

// The configured value of a key of the section. A key that is absent, or whose
// value is neither a keyword nor a number, is not configured: an unparsable value
// must not enforce 0.
bool ReadKeyValue(const wchar_t* section, const wchar_t* key, uint32_t* value)
{
    wchar_t text[kShortValueChars];
    if (!FindShortKeyValue(section, key, text))
        return false;
    return ParseConfiguredValue(kConfiguredKeywords.data(), static_cast<int>(kConfiguredKeywords.size()), text,
                                value) != 0;
}

bool ReadSettingKey(const wchar_t* section, const wchar_t* name, const wchar_t* state, uint32_t* value)
{
    wchar_t key[kKeyChars];
    swprintf(key, kKeyChars, L"%ls.%ls=", name, state);
    return ReadKeyValue(section, key, value);
}

bool FindSettingEntry(const wchar_t* section, const ConfiguredName& row, ConfiguredSettingEntry* entry)
{
    uint32_t value = 0;
    uint16_t flags = 0;
    if (ReadSettingKey(section, row.name, L"enforced", &value))
        flags |= kConfiguredEnforced;
    else if (ReadSettingKey(section, row.name, L"default", &value))
        flags |= kConfiguredDefault;
    uint32_t display = 0;
    if (ReadSettingKey(section, row.name, L"display", &display)) {
        if (display == 0)
            flags |= kConfiguredHide;
        else if (display == 1)
            flags |= kConfiguredDimout;
        else if (display == 2)
            flags |= kConfiguredShow;
    }
    *entry = {row.id, value, flags};
    return flags != 0;
}

// One configured (setting, value, flags): a setting entry or a switch expansion.
struct Candidate {
    uint16_t id;
    uint32_t value;
    uint16_t flags;
};

// The entry that speaks for a setting among the setting entries: the first in
// list order, so that a setting named twice is answered by the entry read last.
bool FindEntry(const ConfiguredSettingsList* list, uint16_t id, Candidate* found)
{
    for (uint16_t i = 0; i < list->settingCount; ++i) {
        const ConfiguredSettingEntry& entry = list->settings[i];
        if (entry.id == id) {
            *found = {entry.id, entry.value, entry.flags};
            return true;
        }
    }
    return false;
}

// The candidate that lookups answer for a setting: the expansions of switches
// that are on first (switch list order), then the speaking entry.
bool FindCandidate(const ConfiguredSettingsList* list, uint16_t id, Candidate* found)
{
    for (uint16_t s = 0; s < list->switchCount; ++s) {
        if (list->switches[s].state != 1)
            continue;
        for (const SwitchExpansion& e : kSwitchExpansions) {
            if (e.switchNumber == list->switches[s].number && e.id == id) {
                *found = {e.id, e.value, e.flags};
                return true;
            }
        }
    }
    return FindEntry(list, id, found);
}

bool SameCandidate(const Candidate& a, const Candidate& b)
{
    return a.id == b.id && a.value == b.value && a.flags == b.flags;
}

bool ModeTakes(int mode, uint16_t flags)
{
    if (mode == kApplyDefaultsAndEnforced)
        return (flags & (kConfiguredDefault | kConfiguredEnforced)) != 0;
    if (mode == kApplyEnforcedOnly)
        return (flags & kConfiguredEnforced) != 0;
    return false;
}

void WriteCandidate(const Candidate& c, void* settingsRecord, void* printerSettingsRecord)
{
    uint32_t stored = 0;
    if (TranslateConfiguredValue(c.id, c.value, &stored))
        WriteSettingNumber(c.id, settingsRecord, printerSettingsRecord, stored);
}

}  // namespace

wchar_t* MakeSiteConfigFilePath(const wchar_t* driverDirectory, const char* linkedFileName, uint32_t nameBytes)
{
    if (driverDirectory == nullptr || linkedFileName == nullptr || nameBytes == 0)
        return nullptr;
    // The header field is NUL-padded, but a name filling all of it has no terminator.
    std::vector<char> name(linkedFileName, linkedFileName + nameBytes);
    name.push_back('\0');
    if (name[0] == '\0')
        return nullptr;
    GlobalBlockPtr<wchar_t> wide(AllocMultiByteToWide(CP_ACP, name.data()));
    if (!wide)
        return nullptr;
    std::wstring file = wide.get();
    // The file lies beside the driver: a name that leads elsewhere is not ours to read.
    if (file.find_first_of(L"\\/:") != std::wstring::npos)
        return nullptr;
    const size_t dot = file.rfind(L'.');
    if (dot == std::wstring::npos)
        file += L".cfg";
    else
        file.replace(dot + 1, std::wstring::npos, L"cfg");
    const std::wstring path = std::wstring(driverDirectory) + file;
    if (path.size() >= MAX_PATH)
        return nullptr;
    auto block = AllocGlobalBlock<wchar_t>((path.size() + 1) * sizeof(wchar_t));
    if (block)
        wmemcpy(block.get(), path.c_str(), path.size() + 1);
    return block.release();
}

ConfiguredSettingsList* BuildConfiguredSettingsList(const wchar_t* modelName, const wchar_t* path)
{
    const uint32_t fileChars = GetConfigFileChars(path);
    if (fileChars == 0)
        return nullptr;
    GlobalBlockPtr<wchar_t> sectionName(ChooseConfigSection(path, fileChars, modelName));
    if (!sectionName)
        return nullptr;
    GlobalBlockPtr<wchar_t> section(ReadConfigSection(path, sectionName.get()));
    if (!section)
        return nullptr;

    std::vector<ConfiguredSettingEntry> settings;
    for (const ConfiguredName& row : kConfiguredNames) {
        ConfiguredSettingEntry entry;
        if (FindSettingEntry(section.get(), row, &entry))
            settings.push_back(entry);
    }
    std::vector<ConfiguredSwitchEntry> switches;
    for (const ConfiguredSwitchName& row : kConfiguredSwitches) {
        wchar_t key[kKeyChars];
        swprintf(key, kKeyChars, L"%ls=", row.name);
        uint32_t state = 0;
        if (ReadKeyValue(section.get(), key, &state))
            switches.push_back({row.number, state});
    }

    auto list = AllocGlobalBlock<ConfiguredSettingsList>(sizeof(ConfiguredSettingsList));
    auto settingArray = AllocGlobalBlock<ConfiguredSettingEntry>(
        (settings.size() + 1) * sizeof(ConfiguredSettingEntry));
    auto switchArray = AllocGlobalBlock<ConfiguredSwitchEntry>((switches.size() + 1) * sizeof(ConfiguredSwitchEntry));
    if (!list || !settingArray || !switchArray)
        return nullptr;
    // Reverse order of the tables.
    for (size_t i = 0; i < settings.size(); ++i)
        settingArray.get()[i] = settings[settings.size() - 1 - i];
    for (size_t i = 0; i < switches.size(); ++i)
        switchArray.get()[i] = switches[switches.size() - 1 - i];
    list->settingCount = static_cast<uint16_t>(settings.size());
    list->switchCount = static_cast<uint16_t>(switches.size());
    list->settings = settingArray.release();
    list->switches = switchArray.release();

    ReloadTraceSettings();
    return list.release();
}

void FreeConfiguredSettingsList(ConfiguredSettingsList* list)
{
    if (list == nullptr)
        return;
    if (list->settings != nullptr)
        GlobalFree(list->settings);
    if (list->switches != nullptr)
        GlobalFree(list->switches);
    GlobalFree(list);
}

wchar_t* ReadConfigComment(const wchar_t* modelName, const wchar_t* path)
{
    return ReadConfigString(modelName, path, L"COMMENT");
}

int TranslateConfiguredValue(uint16_t id, uint32_t value, uint32_t* stored)
{
    for (const TranslationRow& row : kTranslationRows) {
        if (row.id != id)
            continue;
        for (const TranslationRange& range : row.ranges) {
            if (value >= range.first && value <= range.last) {
                if (stored != nullptr)
                    *stored = range.storedFirst + (value - range.first);
                return 1;
            }
        }
        return 0;
    }
    return 0;
}

int ApplyConfiguredSettings(const ConfiguredSettingsList* list, void* settingsRecord, void* printerSettingsRecord,
                            int mode)
{
    if (list == nullptr)
        return 0;
    // The setting entries first, then the expansions of the switches that are
    // on, each written as its mode takes it. Of a setting named twice only the
    // entry the lookups answer is written; an expansion written later wins over
    // an entry, and one the mode does not take (a default in mode 1) leaves
    // what the entry wrote.
    auto apply = [&](const Candidate& c) {
        if (ModeTakes(mode, c.flags))
            WriteCandidate(c, settingsRecord, printerSettingsRecord);
    };
    auto applyEntry = [&](const Candidate& c) {
        Candidate speaking;
        if (FindEntry(list, c.id, &speaking) && SameCandidate(speaking, c))
            apply(c);
    };
    for (uint16_t i = 0; i < list->settingCount; ++i) {
        const ConfiguredSettingEntry& e = list->settings[i];
        applyEntry({e.id, e.value, e.flags});
    }
    for (uint16_t s = 0; s < list->switchCount; ++s) {
        if (list->switches[s].state != 1)
            continue;
        for (const SwitchExpansion& e : kSwitchExpansions) {
            if (e.switchNumber == list->switches[s].number)
                apply({e.id, e.value, e.flags});
        }
    }
    return 1;
}

int GetConfiguredValue(uint16_t id, const ConfiguredSettingsList* list, void* holder, uint16_t type)
{
    Candidate c;
    if (list == nullptr || holder == nullptr || !FindCandidate(list, id, &c))
        return 0;
    uint32_t stored = 0;
    if ((c.flags & (kConfiguredDefault | kConfiguredEnforced)) == 0 || !TranslateConfiguredValue(id, c.value, &stored))
        return 0;
    if (type == kTypeString || type == kTypeLogFont)
        return 0;
    return CopyValueByType(holder, stored, type);
}

int GetConfiguredFlags(uint16_t id, const ConfiguredSettingsList* list, uint16_t* flags)
{
    Candidate c;
    if (list == nullptr || flags == nullptr || !FindCandidate(list, id, &c))
        return 0;
    *flags = c.flags;
    return 1;
}

int IsSettingEnforced(uint16_t id, const ConfiguredSettingsList* list)
{
    uint16_t flags = 0;
    return GetConfiguredFlags(id, list, &flags) && (flags & kConfiguredEnforced) != 0 ? 1 : 0;
}
