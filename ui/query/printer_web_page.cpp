#include "ui/query/printer_web_page.h"

#include <shellapi.h>

#include <cwchar>

int OpenPrinterWebPage(const PrinterQueryInput& in, const wchar_t* address)
{
    wchar_t found[kQueryTextChars + 1] = {};
    if (!address || !QueryPrinterAddress(in, address, found))
        return 0;
    wchar_t url[kQueryTextChars + 16] = {};
    if (std::swprintf(url, std::size(url), L"http://%ls/", found) < 0)
        return 0;
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", url, L"", L"", SW_SHOW));
    return result > 32 ? 1 : 0;
}
