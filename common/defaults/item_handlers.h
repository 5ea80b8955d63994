// The exchange records that pass between the defaults code and the item
// handlers, and the handlers that the item tables name.
#pragma once
#include <windows.h>

#include <cstdint>

#include "common/context/option_list.h"
#include "common/defaults/item_groups.h"

// Operation 1. A string or structure default is a new zero-filled global block
// in the holder, owned by the caller. A handler that finds the model without
// the data it needs answers 0 with status kDefaultAbsent.
constexpr uint16_t kDefaultProduced = 1;
constexpr uint16_t kDefaultFailed = 0;
constexpr uint16_t kDefaultAbsent = 2;
struct DefaultExchange {
    void* printerSettingsRecord;
    const wchar_t* deviceName;  // may be null
    uint16_t type;              // out
    uint64_t holder;            // out
    uint32_t size;              // out
    uint16_t status;            // out: kDefaultAbsent when the model has no such default
};

// Operations 2 and 16: the value under test and the records it belongs to.
struct CheckExchange {
    const void* holder;  // 8-byte value holder (a string as a pointer)
    void* settingsRecord;
    void* printerSettingsRecord;
};

// Operations 4 and 8. The caller gives the strings of a setting whose choices
// are not in the model (a multi-string list for 298, a table for 305 and 358).
struct OptionExchange {
    uint16_t listKind;          // op 4 out
    int32_t count;              // op 4 out; -1 none
    int32_t index;              // op 8 in
    OptionTextEntry entry;      // op 8 out: value and text (entry.module gives texts)
    const wchar_t* multiString; // in: strings, each terminated, ended by an empty one
    const wchar_t* const* strings;
    int32_t stringCount;
    void* settingsRecord;
    void* printerSettingsRecord;
};

// The handler records the item tables point at.
extern const ItemHandlerRecord kHandlerDeviceName;         // 1
extern const ItemHandlerRecord kHandlerConstant;           // 2-5, 257, 258, 1793, 8203, 8204
extern const ItemHandlerRecord kHandlerFields;             // 6
extern const ItemHandlerRecord kHandlerModelChecked;       // 7, 11, 17, 23: model default, own check
extern const ItemHandlerRecord kHandlerPaperSize;          // 8
extern const ItemHandlerRecord kHandlerPaperDimension;     // 9, 10
extern const ItemHandlerRecord kHandlerCopies;             // 12
extern const ItemHandlerRecord kHandlerOverridable;        // 13, 18
extern const ItemHandlerRecord kHandlerColor;              // 15
extern const ItemHandlerRecord kHandlerDuplex;             // 16
extern const ItemHandlerRecord kHandlerFormName;           // 19
extern const ItemHandlerRecord kHandlerIcmMethod;          // 22
extern const ItemHandlerRecord kHandlerMediaDither;        // 24, 25
extern const ItemHandlerRecord kHandlerModelName;          // 259
extern const ItemHandlerRecord kHandlerNameList;           // 298
extern const ItemHandlerRecord kHandlerFaceName;           // 305, 358
extern const ItemHandlerRecord kHandlerStampFont;          // 357
extern const ItemHandlerRecord kHandlerUnusedByte;         // 439, 463
extern const ItemHandlerRecord kHandlerUserPaperSize;      // 5889-5928
extern const ItemHandlerRecord kHandlerUserPaperName;      // 5929-5948
extern const ItemHandlerRecord kHandlerPrinterRecordSize;  // 8202
