// The sender information dialog (template 4300): the user's sender entries in
// a list, the current sender's six fields, and Edit / Delete / Register / New
// to change the list, which OK stores. The fields are editable only while an
// entry is being made or edited (the edit mask of the sheet's fax state).
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/engine/dialog_tables.h"

inline constexpr int32_t kSenderDialogCode = 32;
inline constexpr UINT kMessageSenderExists = 5019;
inline constexpr UINT kMessageSenderNotRegistered = 5020;
inline constexpr UINT kMessageSenderNameMissing = 5021;
inline constexpr UINT kMessageSenderListFull = 5027;
inline constexpr UINT kStringSenderUnconfirmed = 5219;

// The states of the four list buttons.
enum SenderButtonState {
    kSenderNothingChosen = 0,
    kSenderEntryChosen = 1,
    kSenderEditing = 2,
    kSenderRegistered = 3,
    kSenderMaking = 4,
    kSenderDeleted = 5,
};
inline constexpr uint16_t kSenderMaskAlways = 0x20;
inline constexpr uint16_t kSenderMaskNoNotice = 0x40;
inline constexpr uint16_t kSenderMaskFocusName = 0x80;

// The edit mask a state gives (32 without the permission to change settings).
uint16_t SenderEditMask(int state, bool permitted);
// Enables the four buttons for `state` and keeps the state's edit mask.
void SetSenderButtons(HWND dialog, int state);

extern const PageDescriptor SenderInfoDialog;
INT_PTR CALLBACK SenderInfoDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
