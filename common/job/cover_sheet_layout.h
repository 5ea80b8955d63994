// The text layout of a fax cover sheet: fixed tables of rows turn the cover-sheet
// data (title, recipient, sender, comment) and resource strings into positioned
// text items that the fax front end draws for the preview and the sample print.
// Positions are tenths of a millimetre, font sizes tenths of a point.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

struct ModelDataRecord;

// One row of a layout table; kind 12 ends a table.
struct CoverSheetLayoutRow {
    uint16_t kind;          // 0 title, 1 resource string, 2-11 fields of the data
    uint16_t stringId;      // kind 1
    uint16_t itemFlag;      // copied into the item
    uint16_t rightAligned;  // 1: the text ends at x
    uint16_t bottomFlag;    // 2: y is the text's baseline region
    uint16_t fontSize;
    uint16_t x;
    uint16_t y;
    uint16_t width;         // bytes per line; the shrink threshold for kinds 8 and 9
    uint16_t lines;
    uint16_t lineStep;
};
static_assert(sizeof(CoverSheetLayoutRow) == 22);

constexpr uint16_t kCoverKindTitle = 0;
constexpr uint16_t kCoverKindString = 1;
constexpr uint16_t kCoverKindEnd = 12;
constexpr uint16_t kCoverFieldKinds = 12;  // fields are indexed by kind, 2-11

constexpr size_t kCoverItemTextChars = 129;  // 128 characters and the terminator
struct CoverSheetItem {
    uint16_t x;
    uint16_t y;
    uint16_t fontSize;
    uint16_t itemFlag;
    wchar_t text[kCoverItemTextChars];
};
static_assert(sizeof(CoverSheetItem) == 266);
static_assert(offsetof(CoverSheetItem, text) == 8);

constexpr uint32_t kCoverSheetMaxItems = 40;
constexpr uint32_t kCoverSheetBlockBytes = kCoverSheetMaxItems * sizeof(CoverSheetItem);
static_assert(kCoverSheetBlockBytes == 10640);

enum CoverSheetBlock : uint32_t { kCoverRecipient, kCoverSender, kCoverComment, kCoverBlockCount };

// Bits of `bTables`: the B table of that block instead of the A table.
constexpr uint32_t kCoverRecipientB = 1u << kCoverRecipient;
constexpr uint32_t kCoverSenderB = 1u << kCoverSender;
constexpr uint32_t kCoverCommentB = 1u << kCoverComment;

// What the fax front end fills. Null or empty texts write no item.
struct CoverSheetData {
    const wchar_t* title;
    // The text of each field kind (2-11) of each block. Kinds 3 and 5 of the
    // recipient block are the honorifics and come from the two codes instead; a
    // row of a field kind that names a string (kind 7, the fax number's label)
    // writes that string when its field is not empty.
    const wchar_t* fields[kCoverBlockCount][kCoverFieldKinds];
    uint16_t nameHonorific;     // 1-3: resource strings 1769-1771
    uint16_t companyHonorific;  // 1-3: resource strings 1768, 1772, 1773
    uint32_t bTables;
};

// The texts of an information page, as the preview and the printed page both
// take them: the recipient's name, company and number (the number fills its
// field and its label's row), the sender's name, address, telephone, fax and
// e-mail, the subject and the message.
struct CoverSheetTexts {
    const wchar_t* name;
    const wchar_t* company;
    const wchar_t* number;
    const wchar_t* sender[5];
    const wchar_t* subject;
    const wchar_t* message;
};
// Puts the texts into their blocks and field kinds.
void SetCoverSheetFields(CoverSheetData* data, const CoverSheetTexts& texts);

// 1 for the tables at x 350: the model lacks capability bit 64, or the request
// mode is 1; 0 for the x 200 tables.
int CoverSheetUsesX350(ModelDataRecord* model, int requestMode);

// A new zero-filled block of kCoverSheetMaxItems items (GlobalFree) and the
// number filled; null when memory runs out or `data` is null. Never more items
// than the block holds; texts are cut to 128 characters.
CoverSheetItem* BuildCoverSheetLayout(const CoverSheetData* data, int x350, uint32_t* count);

// Splits ANSI text into lines of at most `width` bytes, never inside a
// double-byte character of the code page, and at every CR LF. Each line's start
// and length go to the arrays; the number of lines (at most `maxLines`).
uint32_t SplitCoverSheetText(UINT codePage, const char* text, uint32_t width, uint32_t maxLines,
                             uint32_t* starts, uint32_t* lengths);
