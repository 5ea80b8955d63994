#include "common/system/spooler_forms.h"

#include "common/system/global_block.h"


#include <cwchar>

int EnumSpoolerForms(HANDLE printer, FORM_INFO_1W** block, DWORD* bytes, DWORD* count)
{
    if (block == nullptr || bytes == nullptr || count == nullptr)
        return kFormsNoMemory;
    *block = nullptr;
    *bytes = 0;
    *count = 0;
    DWORD needed = 0;
    DWORD returned = 0;
    // The size query is expected to fail with a short buffer.
    if (EnumFormsW(printer, 1, nullptr, 0, &needed, &returned) || GetLastError() != ERROR_INSUFFICIENT_BUFFER
        || needed == 0)
        return kFormsSpoolerFailed;
    auto forms = AllocGlobalBlock<FORM_INFO_1W>(needed);
    if (!forms)
        return kFormsNoMemory;
    if (!EnumFormsW(printer, 1, reinterpret_cast<BYTE*>(forms.get()), needed, &needed, &returned))
        return kFormsSpoolerFailed;
    // The records must fit the block the spooler filled.
    if (static_cast<uint64_t>(returned) * sizeof(FORM_INFO_1W) > needed)
        return kFormsSpoolerFailed;
    *bytes = needed;
    *count = returned;
    *block = forms.release();
    return kFormsOk;
}

int LookupFormName(HANDLE printer, int number, wchar_t** name)
{
    if (name == nullptr)
        return kFormsNoMemory;
    *name = nullptr;
    FORM_INFO_1W* forms = nullptr;
    DWORD bytes = 0;
    DWORD count = 0;
    const int status = EnumSpoolerForms(printer, &forms, &bytes, &count);
    if (status == kFormsNoMemory)
        return kFormsNoMemory;
    GlobalBlockPtr<FORM_INFO_1W> owned(forms);
    if (status != kFormsOk || count == 0)
        return kFormsSpoolerFailed;
    if (number < 1 || static_cast<DWORD>(number) > count)
        return kFormsNotFound;
    const wchar_t* formName = forms[number - 1].pName != nullptr ? forms[number - 1].pName : L"";
    auto copy = AllocGlobalBlock<wchar_t>((wcslen(formName) + 1) * sizeof(wchar_t));
    if (!copy)
        return kFormsNoMemory;
    wcscpy(copy.get(), formName);
    *name = copy.release();
    return kFormsOk;
}

wchar_t* GetFormNameByNumber(HANDLE printer, int number)
{
    wchar_t* name = nullptr;
    LookupFormName(printer, number, &name);
    return name;
}
