// The rules of the fax recipients page that do not need its window: the rows
// and descriptions it shows, the recipient it builds from the entry fields,
// the check of a stored list when it is shown again, the messages each check
// result gives when adding or leaving, and the address book box's list.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/job/fax_send_list.h"
#include "ui/docevent/fax_send_list.h"
#include "ui/fax/fax_recipient_checks.h"

// The removal flags of the page, and what the initial fill tells the user.
inline constexpr uint16_t kRemovedFaxNumbers = 0x01;
inline constexpr uint16_t kRemovedIpFax = 0x02;
inline constexpr uint16_t kEmptiedLineValue = 0x04;
inline constexpr uint16_t kEmptiedPageMode1 = 0x08;
inline constexpr uint16_t kEmptiedOneRecipient = 0x10;

struct RecipientPageInputs {
    FaxCheckInputs checks;
    bool commMode2 = false;   // setting 4112
    uint8_t pageMode = 0;     // setting 5211
    uint8_t lineValue = 0;    // setting 1881, read back at the initial fill
    std::wstring outsidePrefix;    // setting 5141
    std::wstring extensionPrefix;  // setting 5143
};

// The checks of a stored list when the page shows it: records removed (and
// freed), kept speed-dial numbers trimmed. The removal flags found; the
// line-value rule only at the initial fill.
uint16_t FilterRecipientList(FaxDestinations* record, const RecipientPageInputs& in, bool initialFill);
// The messages after the initial fill, in the order shown.
std::vector<UINT> RemovalMessages(uint16_t flags, const RecipientPageInputs& in);

// The three text columns of a row.
struct RecipientRowText {
    std::wstring address;
    std::wstring name;
    std::wstring company;
};
RecipientRowText FormatRecipientRow(const FaxRecipientRecord& record, const RecipientPageInputs& in,
                                    const wchar_t* speedDialSuffix, const wchar_t* ipFaxSuffix);
// The description of a recipient's options (resource strings joined by one
// blank); empty for a speed-dial number.
std::wstring DescribeRecipientOptions(const FaxRecipientRecord& record, uint16_t lineKind);

// The entry fields (settings 1794-1818) as a record. 1; 0 when one cannot be read.
int BuildRecipientFromEntry(void* settings, void* printerSettings, FaxRecipientRecord* out);
// The record into the entry fields. 1; 0 when one is refused.
int PutRecipientIntoEntry(void* settings, void* printerSettings, const FaxRecipientRecord& record);

// The message of a list-check code when adding (5001, 5195, 5207, 5203, 5002,
// 5000) and when leaving with a typed recipient (5034, 5195, 5204, 5205,
// 5036, 5014); 0 for acceptance.
UINT AddRefusalMessage(int code);
UINT LeaveRefusalMessage(int code);
// One-recipient mode codes: 2 -> 5237, 3 -> 5239, 1 -> 5236.
UINT OneRecipientMessage(int code);

// The address book box: the stored history and setting 1799 give the box's
// paths (its last item, the clear-list text, not included) and the value
// setting 1799 takes. At most 10 paths.
struct AddressBookBox {
    std::vector<std::wstring> paths;
    std::wstring current;  // setting 1799 afterwards
};
AddressBookBox BuildAddressBookBox(const std::vector<std::wstring>& history, const std::wstring& current);

bool IsBlankText(const wchar_t* text);

// The recipient kind after the printer's options were read again: a fax
// number without a fax card becomes an IP fax address (IP fax option on) or
// a speed-dial number; an IP fax address without the IP fax option becomes a
// fax number (with a card) or a speed-dial number; a speed-dial number stays.
uint16_t FitRecipientKindToOptions(uint16_t kind, uint32_t faxCardOption, bool ipFax);

// The recipients' special features that one job can send to one destination
// only, as message 4631 lists them: 0x01 mailbox, 0x02 F-code, 0x04 F-code
// passcode. The composed text; empty for none.
std::wstring ComposeFeatureMessage(uint32_t features, uint16_t lineKind);

// A text fitted to `widthBytes` ANSI bytes: cut at its first CR; a longer one
// cut, without splitting a double-byte character, at the width less 3 bytes
// and "..." appended; a shorter one padded with blanks when asked. Empty when
// a conversion fails.
std::wstring FitTextToWidth(const wchar_t* text, int widthBytes, bool pad);
// The same in a given code page.
std::wstring FitTextToWidthIn(UINT codePage, const wchar_t* text, int widthBytes, bool pad);

// The two digits a send-time value is shown with.
std::wstring TwoDigits(uint32_t value);
