#include "ui/support/file_choice.h"

#include "common/constraints/constraint_engine.h"
#include "common/context/settings_context.h"
#include "common/defaults/setting_defaults.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"
#include "ui/support/resource_messages.h"

#include <cstring>
#include <cwchar>
#include <string>

namespace {

struct MacroRow {
    const wchar_t* name;
    const wchar_t* tail;  // behind the system folder
};
constexpr MacroRow kMacros[] = {
    {L"SYSTEM", L""},
    {L"ICM", L"\\Spool\\Drivers\\Color"},
    {L"DRIVER", L"\\Spool\\Drivers\\x64\\3"},
};

constexpr wchar_t kWriteCheckValue[] = L"WriteCheck";

// A string setting's text into `out`; false when it cannot be read or is empty.
bool ReadText(const ConstraintContext& s, uint16_t id, wchar_t* out, int chars)
{
    uint64_t holder = 0;
    uint16_t type = 0;
    uint32_t size = 0;
    if (id == 0 || GetFunctionIdValue(id, s.settingsRecord, s.printerSettingsRecord, &type, &size, &holder) != 0 ||
        type != kTypeString)
        return false;
    const wchar_t* text = nullptr;
    std::memcpy(&text, &holder, sizeof text);
    if (!text || !text[0])
        return false;
    lstrcpynW(out, text, chars);
    return true;
}

bool LoadText(int id, wchar_t* out, int chars)
{
    HMODULE module = GetResourceModule();
    return id != kTextGiven && module && LoadStringW(module, static_cast<UINT>(id), out, chars) > 0;
}

// The macro-expanded folder into the record; false when it does not expand.
bool ExpandInto(const wchar_t* text, wchar_t* folder)
{
    wchar_t* expanded = nullptr;
    if (!ExpandPathMacros(text, &expanded))
        return false;
    lstrcpynW(folder, expanded, kPathChars);
    GlobalFree(expanded);
    return true;
}

// The model default of a string setting, expanded.
bool ModelDefaultFolder(const ConstraintContext& s, uint16_t id, wchar_t* folder)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (id == 0 || !s.settings || GetFunctionIdDefault(s.settings, id, &type, &size, &holder) != kFunctionIdDefaultOk)
        return false;
    const wchar_t* text = nullptr;
    if (type == kTypeString)
        std::memcpy(&text, &holder, sizeof text);
    const bool done = text && text[0] && ExpandInto(text, folder);
    FreeFunctionIdDefault(id, holder, type);
    return done;
}

}  // namespace

int IsValidDirectory(const wchar_t* path)
{
    if (!path || !path[0])
        return 0;
    wchar_t current[MAX_PATH + 1] = {};
    const DWORD kept = GetCurrentDirectoryW(MAX_PATH + 1, current);
    const BOOL valid = SetCurrentDirectoryW(path);
    if (valid && kept > 0 && kept <= MAX_PATH)
        SetCurrentDirectoryW(current);
    return valid ? 1 : 0;
}

int ExpandPathMacros(const wchar_t* text, wchar_t** out)
{
    if (!text || !out)
        return 0;
    *out = nullptr;
    std::wstring result;
    const wchar_t* open = wcschr(text, L'%');
    if (!open) {
        result = text;
    } else {
        const wchar_t* close = wcschr(open + 1, L'%');
        if (!close)
            return 0;
        const std::wstring name(open + 1, close);
        const MacroRow* macro = nullptr;
        for (const MacroRow& row : kMacros)
            if (!name.empty() && name == row.name)
                macro = &row;
        wchar_t system[kPathChars] = {};
        if (!macro || GetSystemDirectoryW(system, kPathChars) == 0)
            return 0;
        result.assign(text, open);
        result += system;
        result += macro->tail;
        // What follows the macro is the rest of the path: "%SYSTEM%\spool".
        result += close + 1;
    }
    auto block = AllocGlobalBlock<wchar_t>((result.size() + 1) * sizeof(wchar_t));
    if (!block)
        return 0;
    std::memcpy(block.get(), result.c_str(), (result.size() + 1) * sizeof(wchar_t));
    *out = block.release();
    return 1;
}

int PrepareOpenFileDialog(HWND window, const ConstraintContext& settings, const OpenFileParameters& parameters,
                          OpenFileRecord* record)
{
    if (!record)
        return 0;
    std::memset(record, 0, sizeof *record);
    ReadText(settings, parameters.fileNameSetting, record->file, kPathChars);
    wchar_t candidate[kPathChars] = {};
    if (ReadText(settings, parameters.folderSetting, candidate, kPathChars) && IsValidDirectory(candidate)) {
        lstrcpynW(record->folder, candidate, kPathChars);
    } else if (LoadText(parameters.defaultFolderId, candidate, kPathChars) && ExpandInto(candidate, record->folder)) {
    } else if (ModelDefaultFolder(settings, parameters.defaultFolderSetting, record->folder)) {
    } else {
        lstrcpynW(record->folder, record->file, kPathChars);
        wchar_t* slash = wcsrchr(record->folder, L'\\');
        if (slash)
            slash[1] = L'\0';
        else
            record->folder[0] = L'\0';
    }
    LoadText(parameters.titleId, record->title, kDialogTextChars);
    LoadText(parameters.defaultExtensionId, record->extension, kDialogTextChars);
    if (LoadText(parameters.filterId, record->filter, kDialogTextChars)) {
        // Filters are pairs of texts ended by an empty one; the resource file
        // writes the separators as "|".
        for (wchar_t* c = record->filter; *c; ++c)
            if (*c == L'|')
                *c = L'\0';
    }
    OPENFILENAMEW& d = record->dialog;
    d.lStructSize = sizeof(OPENFILENAMEW);
    d.hwndOwner = window;
    d.hInstance = GetResourceModule();
    d.lpstrFilter = record->filter[0] ? record->filter : nullptr;
    d.nFilterIndex = parameters.filterIndex;
    d.lpstrFile = record->file;
    d.nMaxFile = kPathChars;
    d.lpstrInitialDir = record->folder[0] ? record->folder : nullptr;
    d.lpstrTitle = record->title[0] ? record->title : nullptr;
    d.lpstrDefExt = record->extension[0] ? record->extension : nullptr;
    d.Flags = parameters.flags == -1 || parameters.flags == -2 ? kOpenFileDefaultFlags
                                                               : static_cast<DWORD>(parameters.flags);
    return 1;
}

int CanWriteMachineRegistry()
{
    HKEY machine = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, nullptr, 0, KEY_SET_VALUE, &machine) != ERROR_SUCCESS)
        return 0;
    const DWORD one = 1;
    const bool written = RegSetValueExW(machine, kWriteCheckValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
                                        sizeof one) == ERROR_SUCCESS;
    if (written)
        RegDeleteValueW(machine, kWriteCheckValue);
    RegCloseKey(machine);
    return written ? 1 : 0;
}
