// The order and the checks with which a printer query's answers reach the
// settings. The page supplies the operations; the order, the first-option
// check and the messages are decided here.
#pragma once
#include <cstdint>

#include "ui/query/printer_query.h"

inline constexpr uint16_t kOptionFaxCardType = 4369;
inline constexpr uint16_t kOptionSipFax = 4142;
inline constexpr uint16_t kOptionHardDisk = 4099;
inline constexpr uint16_t kOptionLeadingChange = 4111;
inline constexpr uint16_t kMessageNoOptionAnswer = 4638;
inline constexpr uint16_t kMessageOptionChanged = 5023;
inline constexpr uint16_t kAddressControl = 1750;

// What the page does for the query's answers.
struct QueryResultTarget {
    // Stores the answer as it is, without a constraint check.
    virtual bool Store(const SettingAnswer& answer) = 0;
    // The page's change path (constraint check and conflict resolution); the
    // first setting that the change reported changed, 0 for none.
    virtual bool Change(const SettingAnswer& answer, uint16_t* firstChanged) = 0;
    // Caption 265, exclamation icon.
    virtual void Message(uint16_t id) = 0;
    virtual void RebuildOptionList(uint16_t setting) = 0;
    virtual void ShowAddress(const wchar_t* text) = 0;
};

struct QueryCapabilities {
    bool communityName = false;   // 0xFFFF0031
    bool snmpVersion = false;     // 0xFFFF0039
    bool firstOptionApplied = false;  // 0xFFFF0040
};

// Applies a result in order: identity, options (with the first-option check),
// other answers, trays, then the address shown and the trays' paper lists
// rebuilt. 1 when the result was taken (also when the check stopped it).
int ApplyQueryResult(const PrinterQueryResult& result, const QueryCapabilities& caps, QueryResultTarget* target);
