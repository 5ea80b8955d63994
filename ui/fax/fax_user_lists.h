// The per-user fax lists under HKEY_CURRENT_USER: numbered strings (cover-sheet
// forms, address books), the sender entries kept in two keys, and the history
// of typed fax addresses with its on/off flag. Every writer replaces the whole
// list (values 1..count, then the surplus deleted up to 10 or the first gap) and
// is a no-op that reports success in a protected-mode process; readers stop at
// the first value that cannot be read.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/fax/fax_destinations.h"

inline constexpr int kFaxListLimit = 10;
inline constexpr wchar_t kCoverSheetFormsKey[] = L"Sendmere\\CoverSheetForms";  // under base 1
inline constexpr wchar_t kCoverSheetFormPrefix[] = L"RQD_FAX_FORMPATH";
inline constexpr wchar_t kSenderInfoKey[] = L"Sendmere\\SenderInfo";  // under base 0, and "...2"
inline constexpr wchar_t kSenderPrefix[] = L"RQD_FAX_SENDER";
inline constexpr wchar_t kAddressHistoryKey[] = L"Sendmere\\AddressHistory";  // under the printer's user key
inline constexpr wchar_t kAddressHistoryPrefix[] = L"ADDRESS_HISTORY";
inline constexpr wchar_t kUseAddressHistoryValue[] = L"USE_ADDRESS_HISTORY";
inline constexpr int kAddressHistoryChars = 129;  // 258 bytes a slot
inline constexpr int kFaxKeyPathChars = 260;

// "%s%d": prefix and index.
void FormatNumberedValueName(const wchar_t* prefix, int index, wchar_t* out, size_t chars);
// "%s%2d": the index right-aligned in two characters.
void FormatHistoryValueName(int index, wchar_t* out, size_t chars);

// Up to `max` values into slots of `slotChars` characters each; a stored value
// longer than its slot is cut and terminated. The count read; 0 when the key
// cannot be opened.
int ReadNumberedStrings(const wchar_t* keyPath, const wchar_t* prefix, wchar_t* slots, int slotChars, int max);
// 1 ok (also when nothing is written in protected mode); 0 failure.
int WriteNumberedStrings(const wchar_t* keyPath, const wchar_t* prefix, const wchar_t* const* strings, int count);

// The entries of the first key, each with its mail text and confirmation from
// the second key (keyPath + "2"). The count; 0 when the first key cannot be
// opened.
int ReadSenderEntries(const wchar_t* keyPath, const wchar_t* prefix, SenderEntry* out, int max);
int WriteSenderEntries(const wchar_t* keyPath, const wchar_t* prefix, const SenderEntry* entries, int count);

int ReadAddressHistory(const wchar_t* keyPath, wchar_t (*slots)[kAddressHistoryChars], int max);
// 1 with *flag (0 when the value is missing); 0 when the key cannot be opened.
int ReadAddressHistoryFlag(const wchar_t* keyPath, uint32_t* flag);
// 1 when the flag value was written (or in protected mode).
int WriteAddressHistory(const wchar_t* keyPath, const wchar_t* const* strings, int count, uint32_t flag);

// The printer's address history key below its per-user key, making the
// printer's identity when it has none. 1 ok.
int BuildAddressHistoryKeyPathFor(HANDLE printer, ModelDataRecord* model, wchar_t* out, size_t chars);
// "USE_ADDRESS_HISTORY" into setting 1367: a missing key sets nothing (1), a
// missing value is 0; a stored value other than 0 or 1 fails (0) and leaves the
// setting as it was.
int LoadAddressHistoryFlagFrom(const wchar_t* keyPath, void* settings, void* printerSettings);

// The same for the window of a table-driven dialog (its sheet's printer and
// model, its current settings).
int BuildAddressHistoryKeyPath(HWND dialog, wchar_t* out);
int LoadAddressHistoryFlag(HWND dialog);
int LoadAddressHistory(HWND dialog, wchar_t (*slots)[kAddressHistoryChars]);
// Flag on: the combo box's items but its last are the history; off: the box
// keeps only its last item (string 5223) and the history is deleted.
int SaveAddressHistory(HWND dialog, int comboId);

// The multi-line fax fields: at most `maxLines` lines of `lineBytes` ANSI bytes.
// Re-wraps `text` (ANSI of `codePage`) into `out`: CR LF where a line would pass
// the limit, never inside a double-byte character, existing line ends kept.
// 0 it fits; 1 overflow.
int WrapAnsiLines(const char* text, UINT codePage, int lineBytes, int maxLines, char* out, size_t outBytes);
// On the edit control: 0 the text fits or was re-wrapped to fit, 1 it cannot.
int LimitEditLines(HWND dialog, int editId, int lineBytes, int maxLines);
// After an overflow the edit's last change is undone and its undo emptied.
void UndoEditOverflow(HWND dialog, int editId, int overflow);
// Wraps at any character.
int CALLBACK BreakAnywhereWordProc(LPWSTR text, int current, int length, int action);
