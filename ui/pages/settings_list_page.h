// The settings list page of the document sheet (template 504, dialog code 13):
// fifty settings listed by name with their values, a combo box below that
// chooses the value of the setting selected in the list, the fields that
// belong to some listed settings (the scaling percentage, two lengths), a
// check box with a text that must not be empty while it is on, and three
// buttons that open the version text, the logo and version dialog and the
// length dialog. Entirely table-driven; the callbacks below add the page's
// rules in front of the control kinds.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/engine/dialog_tables.h"

struct CallContext;

inline constexpr int32_t kSettingsListCode = 13;

// Resource strings of the page.
inline constexpr UINT kStringNoValueToChoose = 392;
inline constexpr UINT kMessageValueOutsideRange = 700;  // name, minimum, maximum
inline constexpr UINT kMessageRequiredText = 739;       // 740, 742, the two display names
inline constexpr UINT kStringRequiredTextFirst = 740;
inline constexpr UINT kStringRequiredTextSecond = 742;

// The settings the list shows, in row order.
inline constexpr int kListedSettingCount = 50;
inline constexpr uint16_t kListedSettings[kListedSettingCount] = {
    1859, 1860, 1367, 457,  1332, 1324, 474,  1355, 1333, 440,  1321, 1331, 1336, 1341, 1350, 469,  1359,
    1854, 1318, 1307, 1310, 1316, 455,  454,  1293, 1294, 1284, 1302, 330,  1319, 443,  345,  1325, 386,
    1342, 464,  1343, 1861, 1344, 1345, 1862, 1351, 467,  1356, 1358, 471,  476,  1370, 1366, 36922};

// The setting shown in the list as 1854 is chosen in the value combo box
// through the value slot 36922; every other listed setting stands for itself.
inline constexpr uint16_t kFidListedText = 1854;
inline constexpr uint16_t kValueSlotOfListedText = 36922;
uint16_t ValueComboSetting(uint16_t listed);

// The display states of the fields that depend on the setting selected in the
// list: the scaling percentage (setting 11) and the two values of setting 474
// (settings 475 and 477).
struct DependentStates {
    uint16_t scale;
    uint16_t first;   // 475
    uint16_t second;  // 477
};
DependentStates ComputeDependentStates(uint16_t selected, uint32_t scalingOn, uint32_t pairMode,
                                       uint16_t pairModeState, bool permission);
// Applies them to the settings' UI states and to the fields and their labels.
// 1 done; 0 without a window or list item.
int UpdateDependentControls(CallContext* call);

// The text that check box 3292 asks for is present in field 3294.
bool IsRequiredTextPresent(HWND edit);
// Check box 3292 on, field 3294 enabled and empty.
bool IsRequiredTextMissing(HWND page);
// Message 739 over the page (caption 265, exclamation icon).
int ShowRequiredTextMessage(CallContext* call);

uint32_t OnSettingValueCombo(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                             const void* parameters);
uint32_t OnSettingsListItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                            const void* parameters);
uint32_t OnScaleItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                     const void* parameters);
uint32_t OnRequiredTextItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                            const void* parameters);
uint32_t OnRequiredTextButton(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                              const void* parameters);
uint32_t OnEditingFlagButton(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                             const void* parameters);
uint32_t OnLockedCheckItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                           const void* parameters);

INT_PTR CALLBACK SettingsListPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

extern const ItemTableHeader SettingsListItemTable;
// The three dialogs the page's buttons open, in the order of the page's list.
extern const PageHeader VersionTextDialogHeader;
extern const PageHeader LogoDialogHeader;
extern const PageHeader LengthDialogHeader;
