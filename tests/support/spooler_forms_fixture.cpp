#include "tests/support/spooler_forms_fixture.h"

#include "tests/support/import_patch.h"

#include <winspool.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Form {
    std::wstring name;
    SIZEL size;
    RECTL area;
};

using EnumFormsProc = BOOL(WINAPI*)(HANDLE, DWORD, LPBYTE, DWORD, LPDWORD, LPDWORD);
EnumFormsProc g_realEnumForms = nullptr;
std::vector<Form> g_added;
std::vector<std::wstring> g_deleted;

bool IsDeleted(const wchar_t* name)
{
    for (const std::wstring& d : g_deleted)
        if (_wcsicmp(d.c_str(), name) == 0)
            return true;
    return false;
}

// The forms the stand-in lists: the spooler's own that were not deleted here,
// then the ones added here.
bool CollectForms(HANDLE printer, std::vector<Form>* forms)
{
    DWORD needed = 0;
    DWORD count = 0;
    g_realEnumForms(printer, 1, nullptr, 0, &needed, &count);
    std::vector<BYTE> block(needed);
    if (needed == 0 || !g_realEnumForms(printer, 1, block.data(), needed, &needed, &count))
        return false;
    const auto* real = reinterpret_cast<const FORM_INFO_1W*>(block.data());
    for (DWORD i = 0; i < count; ++i) {
        if (!IsDeleted(real[i].pName))
            forms->push_back({real[i].pName, real[i].Size, real[i].ImageableArea});
    }
    forms->insert(forms->end(), g_added.begin(), g_added.end());
    return true;
}

BOOL WINAPI EnumFormsStandIn(HANDLE printer, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD returned)
{
    std::vector<Form> forms;
    if (level != 1 || needed == nullptr || returned == nullptr || !CollectForms(printer, &forms))
        return g_realEnumForms(printer, level, buffer, size, needed, returned);
    DWORD bytes = static_cast<DWORD>(forms.size() * sizeof(FORM_INFO_1W));
    for (const Form& f : forms)
        bytes += static_cast<DWORD>((f.name.size() + 1) * sizeof(wchar_t));
    *needed = bytes;
    *returned = 0;
    if (buffer == nullptr || size < bytes) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    auto* info = reinterpret_cast<FORM_INFO_1W*>(buffer);
    auto* text = reinterpret_cast<wchar_t*>(buffer + forms.size() * sizeof(FORM_INFO_1W));
    for (size_t i = 0; i < forms.size(); ++i) {
        info[i].Flags = FORM_USER;
        info[i].pName = text;
        info[i].Size = forms[i].size;
        info[i].ImageableArea = forms[i].area;
        std::memcpy(text, forms[i].name.c_str(), (forms[i].name.size() + 1) * sizeof(wchar_t));
        text += forms[i].name.size() + 1;
    }
    *returned = static_cast<DWORD>(forms.size());
    return TRUE;
}

bool InstallStandIn()
{
    if (g_realEnumForms == nullptr)
        g_realEnumForms = reinterpret_cast<EnumFormsProc>(
            ReplaceProgramImport("winspool.drv", "EnumFormsW", reinterpret_cast<void*>(&EnumFormsStandIn)));
    return g_realEnumForms != nullptr;
}

bool Listed(HANDLE printer, const wchar_t* name)
{
    std::vector<Form> forms;
    if (!CollectForms(printer, &forms))
        return false;
    for (const Form& f : forms)
        if (_wcsicmp(f.name.c_str(), name) == 0)
            return true;
    return false;
}

}  // namespace

bool EnsureSpoolerForm(HANDLE printer, const wchar_t* name, LONG width, LONG height, const RECTL& imageable)
{
    if (!InstallStandIn())
        return false;
    if (Listed(printer, name))
        return true;
    for (auto it = g_deleted.begin(); it != g_deleted.end(); ++it) {
        if (_wcsicmp(it->c_str(), name) == 0) {
            g_deleted.erase(it);
            break;
        }
    }
    if (!Listed(printer, name))
        g_added.push_back({name, {width, height}, imageable});
    return Listed(printer, name);
}

bool DeleteSpoolerForm(HANDLE printer, const wchar_t* name)
{
    if (!InstallStandIn())
        return false;
    for (auto it = g_added.begin(); it != g_added.end();) {
        if (_wcsicmp(it->name.c_str(), name) == 0)
            it = g_added.erase(it);
        else
            ++it;
    }
    if (Listed(printer, name))
        g_deleted.push_back(name);
    return !Listed(printer, name);
}
