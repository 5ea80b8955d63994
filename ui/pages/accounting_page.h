// The accounting page of the device sheet (dialog code 5), its alternative for
// models that keep the identity in a dialog of its own (code 46) and that
// accounting details dialog (code 47). The identity fields edit one of two
// parallel sets of settings, chosen by AccountMode (5163): 0 the
// administrator's, 1 the user's.
#pragma once
#include <windows.h>

#include <cstdint>

#include "common/settings/capability_bits.h"
#include "ui/engine/dialog_tables.h"

struct CallContext;

// Capabilities the identity rules read.
inline constexpr CapabilityId kCapOwnerNameKind = 0x1000000;    // kind 0 shows the owner name
inline constexpr CapabilityId kCapAccountingAlone = 0x2000000;  // the details dialog holds the identity
inline constexpr CapabilityId kCapDigitPassword = 0x40000000;   // passwords are digits only
inline constexpr CapabilityId kCapNoLoginFields = 0xFFFF002C;
inline constexpr CapabilityId kCapSecondUserRules = 0xFFFF002F;

struct AccountingCaps {
    bool ownerNameKind;
    bool alone;
    bool digitPassword;
};

// The setting the user ID field (1343) edits for the mode and the
// identification kind: kind 0 the owner name (36887, with capability 0x1000000),
// kind 7 the mode's user ID, anything else no setting (36922).
uint16_t UserIdSetting(uint32_t mode, uint32_t kind, AccountingCaps caps);
// The setting of the password field (1347): kinds 0 and 7 the mode's password
// (its digits-only form with capability 0x40000000), else no setting; kind 0
// without capability 0x1000000 has none either.
uint16_t PasswordSetting(uint32_t mode, uint32_t kind, AccountingCaps caps);

// "user\computer", or the user alone for a model whose details dialog holds
// the identity. A name refused by `accepts` (or empty) becomes "UnknownUser",
// a refused or missing computer "UnknownHost". 1 with the text; 0 when it does
// not fit or the whole name is refused (then `out` is left as it was).
using OwnerNameCheck = bool (*)(const wchar_t* text);
int ComposeOwnerName(const wchar_t* user, const wchar_t* computer, bool userAlone, OwnerNameCheck accepts,
                     wchar_t* out, size_t chars);
// The owner name of this process's user on this machine, as the page shows it
// for setting 36887.
int BuildDefaultOwnerName(bool userAlone, wchar_t* out, size_t chars);
// The character check of the user ID field.
bool IsAcceptedOwnerText(const wchar_t* text);

// The user ID field's limit when the identification kind is 4 or 6: its
// configured limit less 9.
inline constexpr uint32_t kUserIdChars = 32;
inline constexpr uint32_t kShortUserIdChars = kUserIdChars - 9;

// The details dialog's password rule: 1 when the password may stay, 0 after
// message 743 (the dialog stays open). `field` is the password control.
int CheckPasswordMinimum(CallContext* call, int32_t field);

// The details dialog's states on a model with capability 0x2000000, from the
// user's prompt setting (popup_user), setting 5204 and installable option
// 4367: {control, display state} rows (0 shown enabled, 1 shown disabled) in
// the order they are applied. The number of rows written (at most 12).
struct PromptStateRow {
    int32_t control;
    uint16_t state;
};
inline constexpr int kPromptStateRows = 12;
int PromptControlStates(uint32_t popupUser, uint32_t identification, uint32_t option,
                        PromptStateRow rows[kPromptStateRows]);

extern const PageDescriptor AccountingDetailsDialog;
extern const ItemTableHeader AccountingPageItemTable;
extern const ItemTableHeader AccountingAlonePageItemTable;

INT_PTR CALLBACK AccountingPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AccountingAltPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AccountingSubDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
