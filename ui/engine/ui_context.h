// The record of one sheet instance that every page and sub-dialog of the sheet
// reaches through its dialog context: the printer, the settings context, the
// sheet's dialog tables and option-list cache, and the flags by which the pages
// share one Apply, one Reset and one page check. Allocated zeroed with the
// sheet and freed with it; pages add their own fields at the end.
#pragma once
#include <windows.h>

#include <cstdint>

#include "common/settings/capability_bits.h"

struct KeyedList;
struct SettingsContext;
struct DialogTableSet;
struct QueuedConflictTexts;
struct TooltipTextRecord;

// The common property-sheet interface's callback (compstui's PFNCOMPROPSHEET).
using ComPropSheetCallback = LONG_PTR(CALLBACK*)(HANDLE sheet, UINT function, LPARAM a, LPARAM b);

// A picture control's off-screen copy, chained per sheet.
struct PictureControlRecord {
    uint32_t controlId;
    HDC memoryDc;
    HBITMAP bitmap;
    uint32_t owner[2];
    PictureControlRecord* next;
};

// Sheet modes.
inline constexpr uint32_t kSheetDocument = 0x01;
inline constexpr uint32_t kSheetDevice = 0x02;
inline constexpr uint32_t kSheetPrintTime = 0x04;
inline constexpr uint32_t kSheetDefaults = 0x10;
inline constexpr uint32_t kSheetOneDocument = 0x20;

inline constexpr int kHelpPathChars = 260;
inline constexpr int kShortTextChars = 128;
inline constexpr int kSheetTitleChars = 128;

struct UiContext {
    wchar_t* printerName;
    HANDLE printer;
    uint32_t documentMonitor;
    SettingsContext* settings;
    uint32_t resultSent;
    ComPropSheetCallback comPropSheet;
    HANDLE comPropSheetHandle;
    HANDLE* pageHandles;
    uint32_t permission;
    QueuedConflictTexts* queuedTexts;
    uint32_t changeGuard;
    wchar_t* portName;
    uint32_t sheetMode;
    CapabilityBits capabilities;
    wchar_t* modelString30;
    uint16_t chosenUnit;
    uint16_t localeUnit;  // 0 metric, 1 inch
    uint32_t editing;
    wchar_t helpFile[kHelpPathChars];
    uint32_t settingsChanged;
    uint32_t pageCheckDone;
    DialogTableSet* tables;
    int32_t pageCode;
    PictureControlRecord* pictures;
    TooltipTextRecord* tooltipTexts;
    uint16_t accountFieldState;
    uint16_t pendingTitleSetting;
    wchar_t** pageTitles;
    HWND pageTooltip;
    HWND dialogTooltip;
    wchar_t shortText[kShortTextChars];
    void* summary;
    uint16_t* dpiValues;  // three values, LoadDpiLayoutValues
    uint32_t coverSheetValue;
    uint32_t comProvider;
    int32_t comInitResult;
    uint32_t protectedMode;
    // The sheet's caption handed to the property-sheet library, for the sheet's life.
    wchar_t sheetTitle[kSheetTitleChars];
};

// Dialog types.
inline constexpr uint16_t kDialogTypePage = 1;
inline constexpr uint16_t kDialogTypeSubPage = 3;
inline constexpr uint16_t kDialogTypeModal = 4;

// The sheet of the window's dialog context; null when the window has none.
// (The conflict messages' GetUiContext answers the dialog context itself.)
UiContext* GetWindowUiContext(HWND window);

DialogTableSet* GetUiDialogTables(const UiContext* ui);
KeyedList* GetUiOptionListCache(const UiContext* ui);
SettingsContext* GetUiSettingsContext(const UiContext* ui);
const wchar_t* GetUiHelpFilePath(const UiContext* ui);
// The driver's help file (GetPrinterDriverW level 3) into the sheet, once.
int CacheHelpFilePath(UiContext* ui);
uint32_t GetSettingsChangedFlag(const UiContext* ui);
void SetSettingsChangedFlag(UiContext* ui, uint32_t value);
// -1 without a sheet.
int32_t GetUiPageCode(const UiContext* ui);
// The port of the printer (level 5, else level 2), once. 1 when known.
int CachePortName(UiContext* ui);
void FreePortName(UiContext* ui);

PictureControlRecord* FindPictureControl(const UiContext* ui, uint32_t controlId);
int AddPictureControl(UiContext* ui, PictureControlRecord* record);
int RemovePictureControl(UiContext* ui, uint32_t controlId);
void FreePictureControlChain(UiContext* ui);

TooltipTextRecord* GetUiTooltipTexts(const UiContext* ui);
void SetUiTooltipTexts(UiContext* ui, TooltipTextRecord* record);
// The pages' tooltip window for dialog type 1, the dialogs' otherwise.
HWND GetUiTooltipWindow(const UiContext* ui, uint16_t dialogType);
void SetUiTooltipWindow(UiContext* ui, uint16_t dialogType, HWND tooltip);

// The locale unit (LOCALE_IMEASURE) when the model has capability 0x800000, else 0.
int InitMeasureUnit(UiContext* ui);
uint16_t GetLocaleMeasureUnit(const UiContext* ui);
void ResetMeasureUnitChoice(UiContext* ui);
void SetMeasureUnitChoice(UiContext* ui, uint16_t unit);

uint16_t GetAccountFieldState(const UiContext* ui);
void SetAccountFieldState(UiContext* ui, uint16_t state);
uint16_t GetPendingTitleSetting(const UiContext* ui);
void SetPendingTitleSetting(UiContext* ui, uint16_t setting);
uint32_t GetUiEditingFlag(const UiContext* ui);
void SetUiEditingFlag(UiContext* ui, uint32_t value);

// The short text holds texts whose ANSI form is shorter than 128 bytes; 1 when stored.
const wchar_t* GetUiShortText(const UiContext* ui);
int SetUiShortText(UiContext* ui, const wchar_t* text);
void* GetUiSummaryBuffer(const UiContext* ui);
void SetUiSummaryBuffer(UiContext* ui, void* buffer);

// Strings 4640-4642 at 96 dots per inch, else 4643-4645, each at most three
// digits; stored only when all three were read (1).
inline constexpr UINT kDpiLayoutStrings96 = 4640;
inline constexpr UINT kDpiLayoutStringsOther = 4643;
int LoadDpiLayoutValues(UiContext* ui, HMODULE resources);
const uint16_t* GetDpiLayoutValues(const UiContext* ui);
void FreeDpiLayoutValues(UiContext* ui);

uint32_t GetUiCoverSheetValue(const UiContext* ui);
void SetUiCoverSheetValue(UiContext* ui, uint32_t value);
// The model's three capability words into the sheet; 1 when read.
int LoadModelCapabilityWords(UiContext* ui);
const CapabilityBits* GetModelCapabilityFlags(const UiContext* ui);
uint32_t GetPageCheckDone(const UiContext* ui);
void SetPageCheckDone(UiContext* ui);
void ClearPageCheckDone(UiContext* ui);
uint32_t GetComProviderFlag(const UiContext* ui);
void SetComProviderFlag(UiContext* ui, uint32_t value);
