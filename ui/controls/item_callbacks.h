// Item callbacks: setting-specific behaviour in front of the generic kinds —
// labels with a setting's range and unit, the measurement-unit choice, the
// per-user settings reset, the colour adjustment ranges and their level grid,
// and two small dialogs. Each passes what it does not consume on to its kind's
// default handler.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/controls/kind_params.h"
#include "ui/engine/dialog_context.h"

inline constexpr UINT kStringMillimetre = 460;
inline constexpr UINT kStringInch = 461;

uint32_t OnRangeLabelItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                          const void* parameters);
uint32_t OnUnitLabelItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                         const void* parameters);
uint32_t OnUnitRadioItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                         const void* parameters);
uint32_t OnResetUserSettingsButton(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam,
                                   const ItemRecord* item, const void* parameters);
uint32_t OnWebPageButton(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                         const void* parameters);
uint32_t OnColourRangeItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                           const void* parameters);
uint32_t OnLevelGridItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                         const void* parameters);
// The version text dialog (template 869, dialog code 4).
inline constexpr int32_t kVersionTextCode = 4;
extern const PageDescriptor VersionTextDialog;
INT_PTR CALLBACK DialogVersionTextProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Dialog512Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The unit name: string 461 in inch display, 460 otherwise.
int SetUnitLabels(HWND window, int32_t controlId, bool inch);
// "minimum - maximum" of a length in the unit shown (inches: hundredths,
// converted once), into `out`.
int ShowValueRangeText(HWND window, uint16_t setting, int32_t minimum, int32_t maximum, int unit, wchar_t* out,
                       int chars);
// 1 when the other item's selected setting is not the rule's or (comparing)
// its value equals the rule's; 0 otherwise; 1 when there is no such item.
int GetLinkedItemValue(CallContext* call, HWND window, const LinkedItemRule* rule, int* flag);
int ShowLinkedItemState(CallContext* call, HWND window, const ItemRecord* item, const LinkedItemRule* rule);
// Drops and builds again the cached option list of a setting. 1 when built.
int RebuildSettingOptionList(HWND window, int32_t dialogCode, uint16_t setting);
// Two 10-point "Times New Roman" fonts, bold upright and bold italic.
int SetSampleFonts(HWND window, int32_t first, int32_t second, HFONT fonts[2]);
int SelectFontSubstitutionRow(HWND window, int32_t row, bool enable);

// The level grid: three rows of seven cells; cell k of row r is the static
// control kLevelGridRows[r] - k. Lit cells' colours by colour and row.
inline constexpr int32_t kLevelGridControl = 2607;
inline constexpr int32_t kLevelGridRows[3] = {1242, 1249, 1256};
inline constexpr int kLevelGridCells = 7;
COLORREF LevelCellColour(uint32_t colour, int row);
// The cells of a row lit for a range value: the position of the lowest set bit
// of the row's seven (-1 none).
int LitCellsOfRow(int row, uint32_t value);

// --- The font substitution list ----------------------------------------------------------

struct FontFamilyList;
// What the font substitution dialog keeps while it is open (a property of its
// window): the TrueType families with the model's device fonts, each family
// row's choice (0 none, i device font i) and the working substitution table.
struct FontListState {
    FontFamilyList* families;
    uint32_t rows;           // family rows: each family once
    uint16_t* choices;       // one per family row, in the order the rows are listed
    const wchar_t** faces;   // the row's face name (owned by `families`)
    wchar_t** substitutes;   // the row's substitute text as listed (each a global block)
    wchar_t* table;          // StringPairList: TrueType face, device font
    uint32_t tableBytes;
};
FontListState* GetFontListState(HWND dialog);
int AttachFontListState(HWND dialog, FontListState* state);
// Frees the state and takes it from the window; nothing when there is none.
void FreeFontListState(HWND dialog);
// Row `row` takes the combo box's chosen text as its substitute: the table
// gets the face set to that device font (or loses it for entry 0, none), and
// the list row is written again as "face<TAB>substitute" and selected. 1 ok.
int UpdateFontSubstitutionRow(HWND window, FontListState* table, int32_t row, bool enable);
// IDCANCEL frees the state, then the engine's ordinary command handling.
uint32_t OnFontListCancel(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                          const void* parameters);
// Button 1308: frees the state and ends the dialog with the button's id.
uint32_t OnFontListClose(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                         const void* parameters);
// Writes the window's font (or the default GUI font) into nine settings: mode 1
// face 49 (64 bytes), bytes 56-62, 32-bit 63; mode 2 face 102, bytes 109-115,
// 32-bit 116. The ids written go to `ids` (room for nine), their number to
// *count. 1 ok; 0 for another mode or a failed write (stopping there).
int BuildFontSettings(HWND window, uint16_t* ids, int32_t* count, void* settings, void* printerSettings, int mode);
