#include "common/system/application_entry.h"

#include "common/model/model_section.h"
#include "common/system/global_block.h"
#include "common/system/user_and_process.h"

#include <windows.h>

#include <cwchar>
#include <string>

namespace {

constexpr uint16_t kKindProgramEntries = 24;

std::wstring UpperCase(const wchar_t* text)
{
    std::wstring upper(text);
    if (!upper.empty())
        CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    return upper;
}

}  // namespace

bool ApplicationNameMatches(const wchar_t* entryName, const wchar_t* processName)
{
    if (entryName == nullptr || processName == nullptr)
        return false;
    if (_wcsicmp(entryName, processName) == 0)
        return true;
    if (entryName[0] != L'*')
        return false;
    return UpperCase(processName).find(UpperCase(entryName + 1)) != std::wstring::npos;
}

int FindApplicationEntry(ModelDataRecord* main, ModelDataRecord* linked)
{
    GlobalBlockPtr<wchar_t> processName(GetProcessImageName());
    if (!processName || main == nullptr)
        return 0;
    const uint16_t count = GetModelTableCount(main, kKindProgramEntries);
    for (uint16_t number = 1; number <= count && number != 0; ++number) {
        ModelSection* section = nullptr;
        if (LoadModelTable(false, main, linked, kKindProgramEntries, number, &section) != kModelOk)
            return 0;
        // The program name is the preset record's name field, the one text of
        // the preset layout (a name, then the list of setting entries). That
        // layout is followed rather than a "fourth field" count: counted by
        // the layout, a fourth field would fall inside the entry list, which
        // holds setting values, not a program name.
        const SettingListSection* entry = AsSettingList(section);
        const bool matches = entry != nullptr && ApplicationNameMatches(entry->name.c_str(), processName.get());
        FreeModelSection(&section, kKindOwn);
        if (matches)
            return number;
    }
    return 0;
}
