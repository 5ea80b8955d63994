#include "common/context/settings_context.h"

#include "common/config/site_config.h"
#include "common/context/paper_list.h"
#include "common/model/model_data.h"
#include "common/system/code_pages.h"
#include "common/config/config_field_overrides.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"

#include <winspool.h>

#include <cstring>

namespace {

// Raw sections the context reads.
constexpr uint16_t kSectionMaxCopies = 4;
constexpr uint16_t kSectionColorKind = 5;
constexpr uint16_t kSectionByte7 = 7;

// Section of the site configuration file that the overrides read: "DME,1".
constexpr int kOverrideSectionNumber = 1;

// A 64-byte ANSI field of the main file's header, with a terminator added.
bool ReadHeaderField(const SettingsContext* context, uint32_t offset, char (&field)[kModelNameFieldSize + 1])
{
    std::memset(field, 0, sizeof field);
    if (context == nullptr || context->main == nullptr)
        return false;
    return ModelSeek(context->main, offset) == kModelOk &&
           ModelReadBytes(context->main, field, kModelNameFieldSize) == kModelOk;
}

// pDataFile of the printer's driver information at level 2, as a new block.
GlobalBlockPtr<wchar_t> PrinterDataFile(HANDLE printer)
{
    DWORD needed = 0;
    GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed);
    if (needed == 0)
        return nullptr;
    auto info = AllocGlobalBlock<BYTE>(needed);
    if (!info || !GetPrinterDriverW(printer, nullptr, 2, info.get(), needed, &needed))
        return nullptr;
    const wchar_t* dataFile = reinterpret_cast<const DRIVER_INFO_2W*>(info.get())->pDataFile;
    if (dataFile == nullptr)
        return nullptr;
    const size_t length = wcslen(dataFile);
    auto copy = AllocGlobalBlock<wchar_t>((length + 1) * sizeof(wchar_t));
    if (copy)
        wmemcpy(copy.get(), dataFile, length + 1);
    return copy;
}

void FreeContextBlocks(SettingsContext* context)
{
    if (context->main != nullptr)
        GlobalFree(context->main);
    if (context->linked != nullptr)
        GlobalFree(context->linked);
    GlobalFree(context);
}

}  // namespace

uint16_t LookupStatusOf(uint16_t modelStatus)
{
    switch (modelStatus) {
    case kModelOk: return kLookupOk;
    case kModelAbsent: return kLookupAbsent;
    case kModelNoMemory: return kLookupNoMemory;
    default: return kLookupError;
    }
}

SettingsContext* OpenSettingsContext(HANDLE printer)
{
    if (printer == nullptr)
        return nullptr;
    auto* context = static_cast<SettingsContext*>(GlobalAlloc(GPTR, sizeof(SettingsContext)));
    if (context == nullptr)
        return nullptr;
    context->main = static_cast<ModelDataRecord*>(GlobalAlloc(GPTR, sizeof(ModelDataRecord)));
    context->linked = static_cast<ModelDataRecord*>(GlobalAlloc(GPTR, sizeof(ModelDataRecord)));
    GlobalBlockPtr<wchar_t> dataFile;
    if (context->main != nullptr && context->linked != nullptr)
        dataFile = PrinterDataFile(printer);
    if (!dataFile || LoadModelDataFile(dataFile.get(), context->main, context->linked) != kModelOk) {
        FreeContextBlocks(context);
        return nullptr;
    }

    GlobalBlockPtr<wchar_t> path(GetSiteConfigFilePath(context));
    uint16_t status = 0;
    GlobalBlockPtr<wchar_t> modelName(GetModelName(context, &status));
    if (path) {
        context->siteConfig = BuildConfiguredSettingsList(modelName.get(), path.get());
        context->overrides = LoadConfigFile(path.get(), kOverrideSectionNumber);
    }
    return context;
}

void CloseSettingsContext(SettingsContext* context)
{
    if (context == nullptr)
        return;
    FreePaperList(context);
    CloseModelData(context->main, context->linked);
    FreeConfiguredSettingsList(context->siteConfig);
    FreeConfigFieldOverrides(context->overrides);
    FreeContextBlocks(context);
}

wchar_t* GetSiteConfigFilePath(const SettingsContext* context)
{
    char linkedName[kModelNameFieldSize + 1];
    if (!ReadHeaderField(context, kModelLinkedNameOffset, linkedName))
        return nullptr;
    wchar_t directory[kDriverDirectoryChars];
    if (!GetDriverDirectory(directory, sizeof directory))
        return nullptr;
    return MakeSiteConfigFilePath(directory, linkedName, kModelNameFieldSize);
}

wchar_t* GetModelName(const SettingsContext* context, uint16_t* status)
{
    char name[kModelNameFieldSize + 1];
    uint16_t result = kLookupError;
    wchar_t* text = nullptr;
    if (ReadHeaderField(context, kModelNameOffset, name)) {
        text = AllocMultiByteToWide(CP_ACP, name);
        result = text != nullptr ? kLookupOk : kLookupNoMemory;
    }
    if (status != nullptr)
        *status = result;
    return text;
}

uint16_t GetModelMaxCopies(const SettingsContext* context)
{
    if (context == nullptr || context->main == nullptr)
        return 0;
    return static_cast<uint16_t>(GetModelSectionNumber(context->main, kSectionMaxCopies, 2, 0));
}

int GetModelColorKind(const SettingsContext* context)
{
    if (context == nullptr || context->main == nullptr)
        return -1;
    uint8_t kind = 0;
    if (ReadModelSectionEntry(context->main, kSectionColorKind, 1, 0, &kind) != kModelOk || kind == 0)
        return -1;
    return kind == 2 ? 2 : 1;
}

int QueryModelColorKind(const SettingsContext* context)
{
    return GetModelColorKind(context);
}

uint16_t GetModelByte7(const SettingsContext* context)
{
    uint8_t value = 0;
    if (context == nullptr || context->main == nullptr ||
        ReadModelSectionEntry(context->main, kSectionByte7, 1, 0, &value) != kModelOk)
        return 0xFFFF;
    return value;
}
