// Recipients and destination records for the fax front end's tests.
#pragma once
#include "common/job/fax_send_list.h"
#include "ui/docevent/fax_send_list.h"
#include "ui/fax/fax_recipient_fields.h"
#include "ui/support/keyed_list.h"

#include <windows.h>

#include <cwchar>
#include <memory>

struct DestinationsCloser {
    void operator()(FaxDestinations* record) const { FreeFaxDestinations(record); }
};
using DestinationsPtr = std::unique_ptr<FaxDestinations, DestinationsCloser>;

inline FaxRecipientRecord Recipient(uint16_t kind, const wchar_t* address, const wchar_t* name = L"",
                                    const wchar_t* company = L"")
{
    FaxRecipientRecord r{};
    r.kind = kind;
    std::wcsncpy(r.destination, address, 128);
    std::wcsncpy(r.field7, name, 40);
    std::wcsncpy(RecipientCompany(&r), company, 82);
    return r;
}

// A global copy inserted at the list's end (insertion order).
inline bool AddTo(FaxDestinations* record, const FaxRecipientRecord& r)
{
    auto* copy = static_cast<FaxRecipientRecord*>(GlobalAlloc(GPTR, sizeof r));
    if (!copy)
        return false;
    *copy = r;
    return InsertKeyedListNode(record->recipients, 0, kAnyKey2, copy) == 1;
}

inline const FaxRecipientRecord* At(FaxDestinations* record, int index)
{
    return static_cast<const FaxRecipientRecord*>(GetKeyedListDataAt(record->recipients, index));
}
