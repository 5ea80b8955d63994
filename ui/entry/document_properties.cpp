#include "ui/entry/document_properties.h"

#include "common/devmode/interface_cores.h"
#include "ui/sheets/sheet_callback.h"

#include <cwchar>

namespace {

constexpr size_t kPrintTimeNameChars = 128;

LONG RunWithHeader(HWND window, HANDLE printer, wchar_t* name, DEVMODEW* output, DEVMODEW* input, DWORD mode,
                   bool printTime)
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
        return ShowDocumentSheet(window, &header, printTime);
    return MergeDevmodeSilently(&header);
}

}  // namespace

LONG RunDocumentProperties(HWND window, HANDLE printer, const wchar_t* deviceName, DEVMODEW* output,
                           DEVMODEW* input, DWORD mode)
{
    return RunWithHeader(window, printer, const_cast<wchar_t*>(deviceName), output, input, mode, false);
}

LONG RunPrintTimeDocumentProperties(HWND window, HANDLE printer, const wchar_t* printerName, DEVMODEW* output, DEVMODEW* input,
                                    DWORD mode)
{
    wchar_t name[kPrintTimeNameChars] = {};
    if (printerName) {
        std::wcsncpy(name, printerName, kPrintTimeNameChars - 1);
    }
    return RunWithHeader(window, printer, name, output, input, mode, true);
}

LONG AnswerDocumentPropertiesHeader(LPARAM lParam)
{
    auto* header = reinterpret_cast<DOCUMENTPROPERTYHEADER*>(lParam);
    if (!header || header->cbSize < sizeof(DOCUMENTPROPERTYHEADER))
        return -1;
    // A prompt is asked through the sheet callbacks, never without sheet information.
    if (header->fMode & DM_PROMPT)
        return -1;
    return MergeDevmodeSilently(header);
}
