// The sender of a fax cover sheet: the per-user sender entries shown in a
// combo box (stored entries first, then one "no sender" item), the check that
// the current sender of the settings record is stored and confirmed before a
// fax or a sample uses it, and the list written back in list order. Every item
// of a sender list owns a heap SenderEntry (its item data).
#pragma once
#include <windows.h>

#include <cstddef>

#include "ui/fax/fax_destinations.h"

struct ModelDataRecord;

inline constexpr int kSenderReadLimit = 11;  // one more than may be kept, so a surplus shows
inline constexpr UINT kStringNoSender = 5095;
inline constexpr UINT kMessageSenderGoneDialog = 5216;
inline constexpr UINT kMessageSenderGoneCover = 5044;
inline constexpr UINT kMessageConfirmSender = 5218;

enum SenderListMode { kSenderListInSenderDialog = 0, kSenderListInCoverDialog = 1 };

enum SenderCheck {
    kSenderCheckFailed = -1,
    kSenderUsable = 0,
    kSenderNotStored = 1,
    kSenderConfirmedNow = 2,
    kSenderDeclined = 3,
    kSenderCancelled = 4,
};

// B0 + "Sendmere\SenderInfo" of the model. 1 ok.
int BuildSenderKeyPathFor(ModelDataRecord* model, wchar_t* out, size_t chars);
int BuildSenderKeyPath(HWND dialog, wchar_t* out, size_t chars);

// The index of the entry named `name` among `count`, or -1.
int FindSenderEntry(const SenderEntry* entries, int count, const wchar_t* name);

// Fills `list` (a combo box) from the stored entries and selects the current
// sender; a current sender that is not stored is cleared with a message. -1
// failure; 0 when the current sender is not stored; else 1 in the sender
// dialog's mode and 0 in the cover-sheet dialog's.
int FillSenderListFrom(HWND list, int mode, const wchar_t* keyPath, void* settings, void* printerSettings);
int FillSenderList(HWND dialog, int listId, int mode);

// Whether the current sender may be used (see SenderCheck); an unconfirmed one
// is confirmed by the user over `owner` and then stored as confirmed.
int VerifyCurrentSenderIn(HWND owner, const wchar_t* keyPath, void* settings, void* printerSettings);
int VerifyCurrentSender(HWND dialog);

// The entry an item owns (null for a bad index).
SenderEntry* SenderListEntry(HWND list, int index);
// Adds or inserts (at `index`, -1 at the end) an item owning a copy of `entry`
// whose text is `text`. The item's index; -1 failure.
int InsertSenderListItem(HWND list, int index, const SenderEntry& entry, const wchar_t* text);
// Frees an item's entry and removes the item.
void RemoveSenderListItem(HWND list, int index);
// Frees every entry and empties the list.
void FreeSenderList(HWND list);

// Stores the named entries in list order and frees every entry. 1 ok.
int WriteSenderListTo(HWND list, const wchar_t* keyPath);
int WriteSenderList(HWND dialog, int listId);

// Owner-drawn sender lists: icon 860 at the left of an entry not yet
// confirmed, the text (the entry's name, string 5095 for the last item) 20
// pixels right of the item's left edge.
inline constexpr UINT kIconUnconfirmedSender = 860;
inline constexpr int kSenderTextIndent = 20;
void DrawSenderListItem(const DRAWITEMSTRUCT* draw);
