// Small services the pages' item handlers share: the model's capabilities and
// unit flags as a window's sheet sees them, one setting of the call, the
// option icon and constraint state of an item, and the layout summary line.
#pragma once
#include <windows.h>

#include <cstdint>

#include "common/settings/capability_bits.h"
#include "ui/engine/dialog_context.h"

struct PaperUnits;

// The unit flags of the window's sheet: inch display when the model has
// capability 0xFFFF0022 and the sheet's locale unit is inches, one decimal of
// an inch with 0xFFFF0023. 1; 0 without an argument or a sheet.
int GetUnitDisplayFlags(HWND window, PaperUnits* flags);
// 0 when the window has no sheet.
int HasModelCapability(HWND window, CapabilityId id);
// The setting's value from the call's settings pair into an 8-byte holder. 1 ok.
int GetCallSettingValue(const CallContext* call, uint16_t setting, uint64_t* value);

// The icon resource of the item's selected option: 0 with *icon set (0: no
// icon), any other answer shows nothing.
using OptionIconLookup = int (*)(CallContext* call, const ItemRecord* item, uint32_t* icon);
// At event 2524 and PSN_SETACTIVE: the callback's icon on the item's control. 1 when set.
int ShowOptionIcon(CallContext* call, UINT message, int notification, const ItemRecord* item,
                   OptionIconLookup callback);

// Item handlers (the engine's handler contract); each runs the kind's default
// handler first and answers its result.
uint32_t LayoutSummaryHandler(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                              const void* parameters);
uint32_t ShowItemConstraintState(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam,
                                 const ItemRecord* item, const void* parameters);
