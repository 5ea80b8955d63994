#include "render/device/spooler_form_lookup.h"

#include "common/system/global_block.h"
#include "common/system/spooler_forms.h"

#include <cwchar>
#include <vector>

namespace {

void CopyForm(const FORM_INFO_1W& source, SpoolerFormCopy* form)
{
    *form = SpoolerFormCopy{};
    form->info = source;
    if (source.pName)
        wcsncpy(form->name, source.pName, std::size(form->name) - 1);
    form->info.pName = form->name;
}

// Forms count in thousandths of a millimetre.
int32_t Tenths(LONG thousandths)
{
    return static_cast<int32_t>(thousandths / 100);
}

} // namespace

int GetSpoolerFormByName(HANDLE printer, const wchar_t* name, SpoolerFormCopy* form)
{
    if (!printer || !name || !form)
        return kFormBadArgument;
    DWORD needed = 0;
    if (!GetFormW(printer, const_cast<wchar_t*>(name), 1, nullptr, 0, &needed) &&
        GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return GetLastError() == ERROR_INVALID_FORM_NAME ? kFormNameUnknown : kFormSpoolerError;
    if (needed < sizeof(FORM_INFO_1W))
        return kFormSpoolerError;
    std::vector<BYTE> buffer(needed);
    if (!GetFormW(printer, const_cast<wchar_t*>(name), 1, buffer.data(), needed, &needed))
        return GetLastError() == ERROR_INVALID_FORM_NAME ? kFormNameUnknown : kFormSpoolerError;
    CopyForm(*reinterpret_cast<const FORM_INFO_1W*>(buffer.data()), form);
    return kFormFound;
}

int GetSpoolerFormByNumber(HANDLE printer, int number, SpoolerFormCopy* form)
{
    if (!printer || !form)
        return kFormsNoMemory;
    FORM_INFO_1W* forms = nullptr;
    DWORD bytes = 0, count = 0;
    const int status = EnumSpoolerForms(printer, &forms, &bytes, &count);
    GlobalBlockPtr<FORM_INFO_1W> owned(forms);
    if (status != kFormsOk)
        return status;
    if (count == 0)
        return kFormsSpoolerFailed;
    if (number < 1 || static_cast<DWORD>(number) > count)
        return kFormsNotFound;
    CopyForm(forms[number - 1], form);
    return kFormsOk;
}

int GetSpoolerFormSize(HANDLE printer, const wchar_t* name, int number, FormSizeTenths* size)
{
    if (!size)
        return kFormBadArgument;
    SpoolerFormCopy form;
    const int status = name ? GetSpoolerFormByName(printer, name, &form) : GetSpoolerFormByNumber(printer, number, &form);
    if (status != kFormFound)
        return status;
    *size = {Tenths(form.info.Size.cx),          Tenths(form.info.Size.cy),
             Tenths(form.info.ImageableArea.left), Tenths(form.info.ImageableArea.top),
             Tenths(form.info.ImageableArea.right), Tenths(form.info.ImageableArea.bottom)};
    return kFormFound;
}
