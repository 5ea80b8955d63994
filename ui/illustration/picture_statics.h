// The picture statics of the pages: controls without an item record of kind
// 14 that paint a picture chosen by their control id (a bitmap of the item,
// one chosen by the colour settings) or show an icon chosen by settings.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/engine/dialog_context.h"
#include "ui/illustration/picture_loading.h"

// The u32 resource id at the head of the item's parameter block as a one-layer
// list. 6 when the dialog names no code or the control no item.
uint16_t LoadItemBitmap(HMODULE module, HWND dialog, int controlId, BitmapLayer** list, HPALETTE* palette);

// The bitmap that shows the colour settings (control 1285): settings 270, 271,
// 390 and 293, and whether the option list of 270 offers the value 2. 0 with
// the id; 6 for a combination no list holds.
uint16_t ChooseColourSettingsBitmap(uint32_t colourMode, uint32_t setting271, uint32_t setting390,
                                    uint32_t setting293, bool colourModeOffersTwo, UINT* resourceId);
// The icon of controls 1199 and 1205 by setting 267 and setting 437; 1 for a
// key the table does not hold.
uint16_t ChooseSideIcon(int controlId, uint32_t setting267, uint32_t setting437, UINT* resourceId);
// The icon of controls 1508 and 1531 by settings 1291 and 322.
uint16_t ChooseFinishingIcon(int controlId, uint32_t setting1291, uint32_t setting322, UINT* resourceId);
// Loads and sets the icon of one of the four icon statics from the dialog's
// settings: 0, 1 (unknown key), 3 (a setting unreadable), 5 (icon missing).
uint16_t SetSettingsIcon(HWND dialog, int controlId);

// A number setting of the dialog's current settings; false when it cannot be read.
bool ReadDialogNumber(HWND dialog, uint16_t setting, uint32_t* value);

// The item handler of the picture statics.
uint32_t OnPictureStaticItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                             const void* parameters);
// The subclass procedure's part for a control without an item property.
LRESULT HandlePictureStaticMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC classProcedure);
