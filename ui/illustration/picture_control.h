// The bitmap picture control (control kind 14): its item handler, the window
// subclass every picture control of a page shares, and the saved copy of a
// picture's background.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/engine/dialog_context.h"
#include "ui/illustration/picture_loading.h"

struct UiContext;

// Makes the layers of a composed picture: 0 when a list was made.
using LayerProvider = uint16_t (*)(HMODULE module, HWND dialog, int controlId, BitmapLayer** list,
                                   HPALETTE* palette);

// Background modes of a picture control.
inline constexpr uint32_t kBackgroundModeSaved = 1;
inline constexpr uint32_t kBackgroundModeButtonFace = 2;
inline constexpr uint32_t kBackgroundModePattern = 3;

// The parameter block of a kind-14 item.
struct PictureParameters {
    LayerProvider provider;   // null: the bitmap resource below
    uint32_t resourceId;
    WNDPROC customProcedure;  // when present it handles every message of the control
    uint32_t clickValue;      // nonzero: the control is clickable
    uint32_t offScreen;
    uint32_t backgroundMode;
    uint32_t keepErase;       // with background mode 1
};

inline constexpr wchar_t kPictureItemProperty[] = L"RQD_BITMAPTBL";
// The setting whose selection hides a picture control.
inline constexpr uint16_t kHiddenPictureSetting = 36922;

// Kind-14 default handler.
uint32_t OnBitmapPictureItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                             const void* parameters);
LRESULT CALLBACK BitmapPictureWindowProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
// The custom procedure of the scaled pictures: the parameter block's bitmap
// stretched over the whole control.
LRESULT CALLBACK PaintScaledPicture(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
// 1 when the control of the dialog is subclassed (or already was).
int InstallPictureSubclass(HWND dialog, int controlId);
// The window procedure the control had before the subclass; DefWindowProcW's
// when none was kept.
WNDPROC GetPictureClassProcedure(HWND control);

// The background value a paint passes for a background mode; false: no background.
bool BackgroundForMode(uint32_t mode, uint32_t* value);

// 0 ok (also when the control already has a record), 6 failure.
uint16_t SavePictureBackground(HWND control, uint32_t repaintParent, uint32_t parentRepainted);
int ResaveBackground(UiContext* ui, int controlId, HWND control, uint32_t keep);
void InvalidatePicture(HWND dialog, int controlId);
