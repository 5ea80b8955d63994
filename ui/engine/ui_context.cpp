#include "ui/engine/ui_context.h"

#include "common/context/settings_context.h"
#include "common/model/model_value_ops.h"
#include "common/system/global_block.h"
#include "common/system/number_text.h"
#include "ui/engine/dialog_tables.h"
#include "ui/support/ansi_limits.h"

#include <winspool.h>

#include <cstring>
#include <cwchar>
#include <memory>

namespace {

constexpr CapabilityId kLocaleUnitCapability = 0x800000;
constexpr int kDpiValueCount = 3;
constexpr int kDpiStringChars = 4;  // at most three digits
constexpr int kStandardDpi = 96;

wchar_t* CopyText(const wchar_t* text)
{
    if (!text)
        return nullptr;
    const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    auto copy = AllocGlobalBlock<wchar_t>(bytes);
    if (copy)
        std::memcpy(copy.get(), text, bytes);
    return copy.release();
}

// A level of GetPrinterW / GetPrinterDriverW in a buffer of the size asked for.
template <typename Get>
std::unique_ptr<uint8_t[]> QueryLevel(Get get)
{
    DWORD needed = 0;
    get(nullptr, 0, &needed);
    if (!needed)
        return nullptr;
    auto buffer = std::make_unique<uint8_t[]>(needed);
    if (!get(buffer.get(), needed, &needed))
        return nullptr;
    return buffer;
}

}  // namespace

DialogTableSet* GetUiDialogTables(const UiContext* ui) { return ui ? ui->tables : nullptr; }

KeyedList* GetUiOptionListCache(const UiContext* ui)
{
    return ui && ui->tables ? ui->tables->optionCache : nullptr;
}

SettingsContext* GetUiSettingsContext(const UiContext* ui) { return ui ? ui->settings : nullptr; }
const wchar_t* GetUiHelpFilePath(const UiContext* ui) { return ui && ui->helpFile[0] ? ui->helpFile : nullptr; }

int CacheHelpFilePath(UiContext* ui)
{
    if (!ui || !ui->printer)
        return 0;
    if (ui->helpFile[0])
        return 1;
    auto info = QueryLevel([&](uint8_t* buffer, DWORD size, DWORD* needed) {
        return GetPrinterDriverW(ui->printer, nullptr, 3, buffer, size, needed);
    });
    const auto* driver = reinterpret_cast<const DRIVER_INFO_3W*>(info.get());
    if (!driver || !driver->pHelpFile)
        return 0;
    wcsncpy(ui->helpFile, driver->pHelpFile, kHelpPathChars - 1);
    ui->helpFile[kHelpPathChars - 1] = L'\0';
    return 1;
}

uint32_t GetSettingsChangedFlag(const UiContext* ui) { return ui ? ui->settingsChanged : 0; }
void SetSettingsChangedFlag(UiContext* ui, uint32_t value)
{
    if (ui)
        ui->settingsChanged = value;
}
int32_t GetUiPageCode(const UiContext* ui) { return ui ? ui->pageCode : -1; }

int CachePortName(UiContext* ui)
{
    if (!ui || !ui->printer)
        return 0;
    if (ui->portName)
        return 1;
    auto level5 = QueryLevel([&](uint8_t* buffer, DWORD size, DWORD* needed) {
        return GetPrinterW(ui->printer, 5, buffer, size, needed);
    });
    const wchar_t* port = level5 ? reinterpret_cast<const PRINTER_INFO_5W*>(level5.get())->pPortName : nullptr;
    std::unique_ptr<uint8_t[]> level2;
    if (!port) {
        level2 = QueryLevel([&](uint8_t* buffer, DWORD size, DWORD* needed) {
            return GetPrinterW(ui->printer, 2, buffer, size, needed);
        });
        port = level2 ? reinterpret_cast<const PRINTER_INFO_2W*>(level2.get())->pPortName : nullptr;
    }
    ui->portName = CopyText(port);
    return ui->portName ? 1 : 0;
}

void FreePortName(UiContext* ui)
{
    if (ui && ui->portName) {
        GlobalFree(ui->portName);
        ui->portName = nullptr;
    }
}

PictureControlRecord* FindPictureControl(const UiContext* ui, uint32_t controlId)
{
    for (PictureControlRecord* record = ui ? ui->pictures : nullptr; record; record = record->next)
        if (record->controlId == controlId)
            return record;
    return nullptr;
}

int AddPictureControl(UiContext* ui, PictureControlRecord* record)
{
    if (!ui || !record)
        return 0;
    record->next = nullptr;
    PictureControlRecord** tail = &ui->pictures;
    while (*tail)
        tail = &(*tail)->next;
    *tail = record;
    return 1;
}

namespace {

void FreePictureRecord(PictureControlRecord* record)
{
    if (record->memoryDc)
        DeleteDC(record->memoryDc);
    if (record->bitmap)
        DeleteObject(record->bitmap);
    GlobalFree(record);
}

}  // namespace

int RemovePictureControl(UiContext* ui, uint32_t controlId)
{
    for (PictureControlRecord** link = ui ? &ui->pictures : nullptr; link && *link; link = &(*link)->next)
        if ((*link)->controlId == controlId) {
            PictureControlRecord* record = *link;
            *link = record->next;
            FreePictureRecord(record);
            return 1;
        }
    return 0;
}

void FreePictureControlChain(UiContext* ui)
{
    while (ui && ui->pictures) {
        PictureControlRecord* record = ui->pictures;
        ui->pictures = record->next;
        FreePictureRecord(record);
    }
}

TooltipTextRecord* GetUiTooltipTexts(const UiContext* ui) { return ui ? ui->tooltipTexts : nullptr; }
void SetUiTooltipTexts(UiContext* ui, TooltipTextRecord* record)
{
    if (ui)
        ui->tooltipTexts = record;
}

HWND GetUiTooltipWindow(const UiContext* ui, uint16_t dialogType)
{
    if (!ui)
        return nullptr;
    return dialogType == kDialogTypePage ? ui->pageTooltip : ui->dialogTooltip;
}

void SetUiTooltipWindow(UiContext* ui, uint16_t dialogType, HWND tooltip)
{
    if (ui)
        (dialogType == kDialogTypePage ? ui->pageTooltip : ui->dialogTooltip) = tooltip;
}

int InitMeasureUnit(UiContext* ui)
{
    if (!ui)
        return 0;
    ui->localeUnit = 0;
    if (ui->settings && TestModelCapability(ui->settings->main, kLocaleUnitCapability)) {
        wchar_t text[4] = {};
        if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IMEASURE, text, 4))
            ui->localeUnit = static_cast<uint16_t>(WideToInt(text));
    }
    ui->chosenUnit = ui->localeUnit;
    return 1;
}

uint16_t GetLocaleMeasureUnit(const UiContext* ui) { return ui ? ui->localeUnit : 0; }
void ResetMeasureUnitChoice(UiContext* ui)
{
    if (ui)
        ui->chosenUnit = ui->localeUnit;
}
void SetMeasureUnitChoice(UiContext* ui, uint16_t unit)
{
    if (ui)
        ui->chosenUnit = unit;
}

uint16_t GetAccountFieldState(const UiContext* ui) { return ui ? ui->accountFieldState : 0; }
void SetAccountFieldState(UiContext* ui, uint16_t state)
{
    if (ui)
        ui->accountFieldState = state;
}
uint16_t GetPendingTitleSetting(const UiContext* ui) { return ui ? ui->pendingTitleSetting : 0; }
void SetPendingTitleSetting(UiContext* ui, uint16_t setting)
{
    if (ui)
        ui->pendingTitleSetting = setting;
}
uint32_t GetUiEditingFlag(const UiContext* ui) { return ui ? ui->editing : 0; }
void SetUiEditingFlag(UiContext* ui, uint32_t value)
{
    if (ui)
        ui->editing = value;
}

const wchar_t* GetUiShortText(const UiContext* ui) { return ui ? ui->shortText : nullptr; }

int SetUiShortText(UiContext* ui, const wchar_t* text)
{
    if (!ui || !text)
        return 0;
    char* ansi = nullptr;
    int length = 0;
    if (!CopyWideToMultiByteText(text, &ansi, &length))
        return 0;
    GlobalFree(ansi);
    // The ANSI form is below 128 bytes, so the UTF-16 form fits the 128 characters too.
    if (length >= kShortTextChars)
        return 0;
    wcsncpy(ui->shortText, text, kShortTextChars - 1);
    ui->shortText[kShortTextChars - 1] = L'\0';
    return 1;
}

void* GetUiSummaryBuffer(const UiContext* ui) { return ui ? ui->summary : nullptr; }
void SetUiSummaryBuffer(UiContext* ui, void* buffer)
{
    if (ui)
        ui->summary = buffer;
}

int LoadDpiLayoutValues(UiContext* ui, HMODULE resources)
{
    if (!ui || !resources)
        return 0;
    int dpi = 0;
    if (HDC dc = GetDC(GetDesktopWindow())) {
        dpi = GetDeviceCaps(dc, LOGPIXELSX);
        ReleaseDC(GetDesktopWindow(), dc);
    }
    const UINT first = dpi == kStandardDpi ? kDpiLayoutStrings96 : kDpiLayoutStringsOther;
    uint16_t values[kDpiValueCount] = {};
    for (int i = 0; i < kDpiValueCount; ++i) {
        wchar_t text[kDpiStringChars] = {};
        if (LoadStringW(resources, first + i, text, kDpiStringChars) <= 0)
            return 0;
        values[i] = static_cast<uint16_t>(WideToInt(text));
    }
    auto block = AllocGlobalBlock<uint16_t>(sizeof values);
    if (!block)
        return 0;
    std::memcpy(block.get(), values, sizeof values);
    FreeDpiLayoutValues(ui);
    ui->dpiValues = block.release();
    return 1;
}

const uint16_t* GetDpiLayoutValues(const UiContext* ui) { return ui ? ui->dpiValues : nullptr; }
void FreeDpiLayoutValues(UiContext* ui)
{
    if (ui && ui->dpiValues) {
        GlobalFree(ui->dpiValues);
        ui->dpiValues = nullptr;
    }
}

uint32_t GetUiCoverSheetValue(const UiContext* ui) { return ui ? ui->coverSheetValue : 0; }
void SetUiCoverSheetValue(UiContext* ui, uint32_t value)
{
    if (ui)
        ui->coverSheetValue = value;
}

int LoadModelCapabilityWords(UiContext* ui)
{
    if (!ui || !ui->settings)
        return 0;
    return GetModelCapabilityBits(ui->settings->main, &ui->capabilities) ? 1 : 0;
}

const CapabilityBits* GetModelCapabilityFlags(const UiContext* ui) { return ui ? &ui->capabilities : nullptr; }
uint32_t GetPageCheckDone(const UiContext* ui) { return ui ? ui->pageCheckDone : 0; }
void SetPageCheckDone(UiContext* ui)
{
    if (ui)
        ui->pageCheckDone = 1;
}
void ClearPageCheckDone(UiContext* ui)
{
    if (ui)
        ui->pageCheckDone = 0;
}
uint32_t GetComProviderFlag(const UiContext* ui) { return ui ? ui->comProvider : 0; }
void SetComProviderFlag(UiContext* ui, uint32_t value)
{
    if (ui)
        ui->comProvider = value;
}
