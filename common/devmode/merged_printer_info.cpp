#include "common/config/site_config.h"
#include "common/context/settings_context.h"
#include "common/devmode/devmode_convert.h"
#include "common/devmode/devmode_input.h"
#include "common/records/settings_records.h"
#include "common/store/printer_data.h"
#include "common/system/global_block.h"

#include <winspool.h>

#include <algorithm>
#include <vector>

namespace {

size_t InfoBlockBytes(const uint8_t* block)
{
    HGLOBAL handle = GlobalHandle(block);
    return handle ? GlobalSize(handle) : 0;
}

// The spooler's DEVMODE is taken only when its stated size lies inside the
// info block that carries it.
bool DevmodeInsideBlock(const uint8_t* block, const DEVMODEW* devmode)
{
    const auto* start = reinterpret_cast<const uint8_t*>(devmode);
    const size_t blockBytes = InfoBlockBytes(block);
    if (start < block || blockBytes == 0)
        return false;
    if (start - block > static_cast<ptrdiff_t>(blockBytes))
        return false;
    const size_t room = blockBytes - static_cast<size_t>(start - block);
    return room >= kDevmodeHeaderBytes && std::max<size_t>(StatedDevmodeBytes(devmode), kDevmodeHeaderBytes) <= room;
}

}  // namespace

uint8_t* GetPrinterInfoWithMergedDevmode(HANDLE printer, SettingsContext* context, uint8_t* target, DWORD* size,
                                         int* merged)
{
    if (merged)
        *merged = 0;
    if (!printer || !context || !target || !merged)
        return nullptr;
    GlobalBlockPtr<uint8_t> info(GetPrinterInfo(printer, 2));
    if (!info)
        return nullptr;
    auto* printerInfo = reinterpret_cast<PRINTER_INFO_2W*>(info.get());
    DWORD bytes = kPrivatePartOffset;
    int result = kConvertFailed;
    if (printerInfo->pDevMode && DevmodeInsideBlock(info.get(), printerInfo->pDevMode)) {
        result = HandleConvertDevmode(printerInfo->pPrinterName, context, printerInfo->pDevMode, target, &bytes,
                                      kConvertDevmode);
    } else {
        std::vector<uint8_t> defaults(kSettingsRecordSize, 0);
        if (FillDevmodeDefaults(context, printerInfo->pPrinterName, defaults.data()))
            result = HandleConvertDevmode(printerInfo->pPrinterName, context, defaults.data(), target, &bytes,
                                          kConvertDevmode);
    }
    if (result != kConvertMigrated && result != kConvertCopied && result != kConvertDefaults)
        return nullptr;
    *merged = 1;
    if (context->siteConfig) {
        // Entries of the printer settings record land in a scratch record.
        std::vector<uint8_t> scratch(kPrinterSettingsRecordSize, 0);
        ApplyConfiguredSettings(context->siteConfig, target, scratch.data(), kApplyEnforcedOnly);
    }
    printerInfo->pDevMode = reinterpret_cast<DEVMODEW*>(target);
    if (size)
        *size = static_cast<DWORD>(InfoBlockBytes(info.get()));
    return info.release();
}
