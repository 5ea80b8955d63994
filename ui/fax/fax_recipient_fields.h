// The fields of a FaxRecipientRecord as the fax front end names them. The
// record's layout is the job library's (common/job/fax_send_list.h), which names
// the fields by what the job header makes of them; these accessors give the
// same bytes the names of the recipients page.
#pragma once
#include <cstdint>

#include "common/job/fax_send_list.h"

inline constexpr uint16_t kRecipientFaxNumber = 0;
inline constexpr uint16_t kRecipientSpeedDial = 1;
inline constexpr uint16_t kRecipientIpFax = 2;
inline constexpr uint16_t kMailboxKindMailbox = 1;
inline constexpr uint16_t kMailboxKindRelay = 2;

inline constexpr int kRecipientAddressChars = 129;
inline constexpr int kRecipientNameChars = 41;
inline constexpr int kRecipientCompanyChars = 83;
inline constexpr int kRecipientMailboxCodeChars = 9;
inline constexpr int kRecipientRelayNumbersChars = 60;
inline constexpr int kRecipientFCodeChars = 21;

// The company sits in the bytes the job header does not read (344-509).
static_assert(sizeof(FaxRecipientRecord::unread) == kRecipientCompanyChars * 2);

inline wchar_t* RecipientCompany(FaxRecipientRecord* r) { return reinterpret_cast<wchar_t*>(r->unread); }
inline const wchar_t* RecipientCompany(const FaxRecipientRecord* r)
{
    return reinterpret_cast<const wchar_t*>(r->unread);
}
// kind: r->kind; address: r->destination; dial prefix: r->lineSelector;
// name: r->field7; communication mode: r->field3Code; mailbox kind:
// r->fieldChoice; mailbox number and code: r->field4Number, r->field4Text;
// relay station, print value and numbers: r->field1Number, r->field1Flag,
// r->field1List; F-code and its password: r->field5, r->field6.
