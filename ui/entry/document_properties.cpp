#include "ui/entry/document_properties.h"

#include "common/devmode/interface_cores.h"

#include <cwchar>

namespace {

// No document sheet can be shown yet: a prompt fails as a sheet that cannot be
// opened.
constexpr LONG kNoSheet = -1;
constexpr size_t kPrintTimeNameChars = 128;

LONG RunWithHeader(HANDLE printer, wchar_t* name, DEVMODEW* output, DEVMODEW* input, DWORD mode)
{
    DOCUMENTPROPERTYHEADER header{};
    header.cbSize = sizeof(header);
    header.hPrinter = printer;
    header.pszPrinterName = name;
    header.pdmIn = input;
    header.pdmOut = output;
    header.cbOut = 0;
    header.fMode = mode;
    if (mode & DM_PROMPT)
        return kNoSheet;
    return MergeDevmodeSilently(&header);
}

}  // namespace

LONG RunDocumentProperties(HWND, HANDLE printer, const wchar_t* deviceName, DEVMODEW* output, DEVMODEW* input,
                           DWORD mode)
{
    return RunWithHeader(printer, const_cast<wchar_t*>(deviceName), output, input, mode);
}

LONG RunPrintTimeDocumentProperties(HWND, HANDLE printer, const wchar_t* printerName, DEVMODEW* output, DEVMODEW* input,
                                    DWORD mode)
{
    wchar_t name[kPrintTimeNameChars] = {};
    if (printerName) {
        std::wcsncpy(name, printerName, kPrintTimeNameChars - 1);
    }
    return RunWithHeader(printer, name, output, input, mode);
}

LONG AnswerDocumentPropertiesHeader(LPARAM lParam)
{
    auto* header = reinterpret_cast<DOCUMENTPROPERTYHEADER*>(lParam);
    if (!header || header->cbSize < sizeof(DOCUMENTPROPERTYHEADER))
        return -1;
    if (header->fMode & DM_PROMPT)
        return kNoSheet;
    return MergeDevmodeSilently(header);
}
