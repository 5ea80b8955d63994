#include "common/devmode/printer_side.h"

#include "common/devmode/devmode_convert.h"
#include "common/records/context_sources.h"
#include "common/records/printer_settings_record.h"
#include "common/records/record_defaults.h"
#include "common/settings/value_types.h"
#include "common/store/settings_blobs.h"

#include <windows.h>
#include <winspool.h>

namespace {

HANDLE OpenByName(const wchar_t* printerName)
{
    PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (!printerName || !OpenPrinterW(const_cast<wchar_t*>(printerName), &printer, &access))
        return nullptr;
    return printer;
}

}  // namespace

bool LoadPrinterSettingsByName(const wchar_t* printerName, SettingsContext* context, uint8_t* printerSettingsRecord)
{
    HANDLE printer = OpenByName(printerName);
    if (!printer)
        return false;
    ContextSettingsSources sources;
    bool ok = GatherContextSettingsSources(context, &ConvertOlderPrinterSettingsRecord, &sources) == 1;
    if (ok)
        ok = LoadPrinterSettingsRecord(printer, printerSettingsRecord, sources.sources) == 1;
    ReleaseContextSettingsSources(&sources);
    ClosePrinter(printer);
    return ok;
}

bool LoadPrinterPrivatePart(const wchar_t* printerName, uint8_t* privatePart)
{
    HANDLE printer = OpenByName(printerName);
    if (!printer)
        return false;
    const SettingsBlobStore store{printer, nullptr};
    const bool ok = ReadPrivateSection(store, kBlobsInPrinterData, privatePart, nullptr) == 1 ||
                    GetDefaultPrivateSettings(printer, privatePart) == 1;
    ClosePrinter(printer);
    return ok;
}

bool SavePrinterPrivatePart(const wchar_t* printerName, const uint8_t* privatePart)
{
    HANDLE printer = OpenByName(printerName);
    if (!printer)
        return false;
    uint16_t count = 0;
    uint8_t* fax = FetchFaxSendList(printer, 0, nullptr, &count);
    const uint32_t faxSize = fax ? FaxSendListSize(fax, 0xFFFFFFFF) : 0;
    const SettingsBlobStore store{printer, nullptr};
    const bool ok =
        WritePrivateSection(store, kBlobsInPrinterData, privatePart, kPrivatePartSize, fax, faxSize) == 1;
    if (fax)
        FreeFaxSendList(fax);
    ClosePrinter(printer);
    return ok;
}
