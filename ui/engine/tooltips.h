// The tooltips of the settings illustration: one tooltip window for the pages
// and one for the modal dialogs of a sheet, and for each paper tray the model
// has a tool over the tray's place on the picture that names the paper loaded
// there.
#pragma once
#include <windows.h>

#include <cstdint>

struct CallContext;
struct UiContext;
struct SettingsContext;

inline constexpr int kTooltipRows = 13;
inline constexpr int kTooltipTextChars = 128;

struct TooltipRow {
    uint16_t tool;         // the tray's paper source code, the tool's uId; 0 ends the table
    uint32_t flag;
    uint16_t positionItem; // model item of the tray's position
    uint16_t presence;     // setting telling whether the tray is present (0: absent)
    uint16_t textSlot;
};
extern const TooltipRow TooltipTable[kTooltipRows + 1];

struct TooltipTextRecord {
    HWND tooltip;  // the pages' tooltip window
    uint32_t flags;  // the trays the model has
    wchar_t texts[kTooltipRows][kTooltipTextChars];
};

// The illustration control whose top-left corner the tray places start from.
inline constexpr int32_t kIllustrationControl = 1187;

HWND CreateTooltipWindow(HWND parent, int maximumWidth);
// 0 for a null text, else 1.
int AddTooltip(HWND window, HWND tooltip, uint16_t tool, UINT flags, const wchar_t* text);
int UpdateTooltipText(HWND window, HWND tooltip, uint16_t tool, UINT flags, const wchar_t* text);
int SetTooltipRect(HWND window, HWND tooltip, uint16_t tool, UINT flags, const RECT* rectangle);

// The flag of a paper source code; 0 for a source without a tooltip.
uint32_t TooltipFlagOfSource(uint16_t source);
// The flags of the trays in the model's paper source table; 0 for an empty table.
int ComputeTooltipFlags(const SettingsContext* settings, uint32_t* flags);
// The sheet's record, once (1 also when it exists).
int CreateTooltipTexts(HWND window);
int AddSettingTooltips(HWND window);
int UpdateSettingTooltips(CallContext* call, HWND window);
void FreeTooltipTexts(UiContext* ui);

// Kinds of a tray's tooltip text: 1 the size's model name, 2 and 3 size and type.
int TrayTooltipKind(const CallContext* call, uint16_t tool, uint32_t sizeValue, uint32_t typeValue, int* kind);
int ComposeTrayTooltipText(const CallContext* call, uint16_t tool, uint16_t sizeSetting, uint16_t typeSetting,
                           wchar_t* text);
