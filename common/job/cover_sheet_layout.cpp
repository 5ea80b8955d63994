#include "common/job/cover_sheet_layout.h"

#include "common/job/ansi_text.h"
#include "common/model/model_value_ops.h"
#include "common/settings/capability_bits.h"
#include "common/system/code_pages.h"
#include "common/system/module_files.h"

#include <cstring>
#include <cwchar>
#include <iterator>
#include <string>

namespace {

constexpr uint16_t kTextKindLong = 8;   // shrinks from 51 bytes (52 in rows wider than 100)
constexpr uint16_t kTextKindLong2 = 9;  // shrinks from 66 bytes
constexpr uint32_t kLongTextCut = 100;
constexpr int kStringChars = 51;        // resource strings: at most 50 characters
constexpr double kMmPerPoint = 25.4 / 72;

#define ROW(kind, id, flag, right, bottom, size, x, y, width, lines, step) \
    CoverSheetLayoutRow{kind, id, flag, right, bottom, size, x, y, width, lines, step}
#define END_ROW ROW(kCoverKindEnd, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0)

constexpr CoverSheetLayoutRow kTitleNoName[] = {
    ROW(1, 1774, 1, 1, 0, 100, 1750, 518, 0, 1, 0), ROW(0, 0, 1, 1, 0, 100, 1397, 518, 0, 1, 0), END_ROW};
constexpr CoverSheetLayoutRow kTitleWithName[] = {
    ROW(1, 1775, 1, 1, 0, 100, 1750, 518, 0, 1, 0), ROW(0, 0, 1, 1, 0, 100, 1715, 518, 0, 1, 0), END_ROW};

constexpr CoverSheetLayoutRow kRecipientA350[] = {
    ROW(1, 1776, 1, 0, 0, 110, 350, 680, 0, 1, 0),   ROW(2, 0, 1, 0, 0, 145, 680, 669, 40, 1, 0),
    ROW(3, 0, 1, 1, 0, 120, 1750, 676, 0, 1, 0),     ROW(4, 0, 1, 0, 0, 90, 680, 762, 40, 2, 40),
    ROW(5, 0, 1, 1, 0, 90, 1750, 762, 0, 1, 0),      ROW(7, 1778, 1, 0, 0, 90, 350, 870, 0, 1, 0),
    ROW(8, 0, 1, 0, 0, 120, 680, 864, 100, 1, 0),    END_ROW};
constexpr CoverSheetLayoutRow kRecipientA200[] = {
    ROW(1, 1776, 1, 0, 0, 110, 200, 680, 0, 1, 0),   ROW(2, 0, 1, 0, 0, 145, 530, 669, 40, 1, 0),
    ROW(3, 0, 1, 1, 0, 120, 1900, 676, 0, 1, 0),     ROW(4, 0, 1, 0, 0, 90, 530, 762, 40, 2, 40),
    ROW(5, 0, 1, 1, 0, 90, 1900, 762, 0, 1, 0),      ROW(7, 1778, 1, 0, 0, 90, 200, 870, 0, 1, 0),
    ROW(8, 0, 1, 0, 0, 120, 530, 864, 128, 1, 0),    END_ROW};
constexpr CoverSheetLayoutRow kRecipientB350[] = {
    ROW(1, 1777, 1, 0, 0, 110, 350, 680, 0, 1, 0), ROW(2, 0, 1, 0, 0, 145, 680, 669, 40, 1, 0),
    ROW(4, 0, 1, 0, 0, 90, 680, 762, 40, 2, 40),   ROW(7, 1779, 1, 0, 0, 90, 350, 870, 0, 1, 0),
    ROW(8, 0, 1, 0, 0, 120, 680, 864, 100, 1, 0),  END_ROW};
constexpr CoverSheetLayoutRow kRecipientB200[] = {
    ROW(1, 1777, 1, 0, 0, 110, 200, 680, 0, 1, 0), ROW(2, 0, 1, 0, 0, 145, 530, 669, 40, 1, 0),
    ROW(4, 0, 1, 0, 0, 90, 530, 762, 40, 2, 40),   ROW(7, 1779, 1, 0, 0, 90, 200, 870, 0, 1, 0),
    ROW(8, 0, 1, 0, 0, 120, 530, 864, 128, 1, 0),  END_ROW};

constexpr CoverSheetLayoutRow kSenderA350[] = {
    ROW(1, 1780, 1, 0, 0, 110, 350, 1021, 0, 1, 0), ROW(2, 0, 1, 0, 0, 145, 680, 1010, 40, 1, 0),
    ROW(4, 0, 1, 0, 0, 90, 680, 1101, 40, 5, 40),   ROW(1, 1782, 1, 0, 0, 90, 350, 1335, 0, 1, 0),
    ROW(6, 0, 1, 0, 0, 140, 680, 1323, 30, 1, 0),   ROW(1, 1784, 1, 0, 0, 90, 350, 1418, 0, 1, 0),
    ROW(8, 0, 1, 0, 0, 140, 680, 1406, 30, 1, 0),   END_ROW};
constexpr CoverSheetLayoutRow kSenderA200[] = {
    ROW(1, 1780, 1, 0, 0, 110, 200, 1021, 0, 1, 0), ROW(2, 0, 1, 0, 0, 145, 530, 1010, 40, 1, 0),
    ROW(4, 0, 1, 0, 0, 90, 530, 1101, 40, 5, 40),   ROW(1, 1782, 1, 0, 0, 90, 200, 1335, 0, 1, 0),
    ROW(6, 0, 1, 0, 0, 140, 530, 1323, 30, 1, 0),   ROW(1, 1784, 1, 0, 0, 90, 200, 1418, 0, 1, 0),
    ROW(8, 0, 1, 0, 0, 140, 530, 1406, 30, 1, 0),   ROW(1, 1816, 1, 0, 0, 90, 200, 1501, 0, 1, 0),
    ROW(9, 0, 1, 0, 0, 120, 530, 1495, 128, 1, 0),  END_ROW};
constexpr CoverSheetLayoutRow kSenderB350[] = {
    ROW(1, 1781, 1, 0, 0, 110, 350, 1021, 0, 1, 0), ROW(2, 0, 1, 0, 0, 145, 680, 1010, 40, 1, 0),
    ROW(4, 0, 1, 0, 0, 90, 680, 1101, 40, 5, 40),   ROW(1, 1783, 1, 0, 0, 90, 350, 1335, 0, 1, 0),
    ROW(6, 0, 1, 0, 0, 140, 680, 1323, 30, 1, 0),   ROW(1, 1785, 1, 0, 0, 90, 350, 1418, 0, 1, 0),
    ROW(8, 0, 1, 0, 0, 140, 680, 1406, 30, 1, 0),   END_ROW};
constexpr CoverSheetLayoutRow kSenderB200[] = {
    ROW(1, 1781, 1, 0, 0, 110, 200, 1021, 0, 1, 0), ROW(2, 0, 1, 0, 0, 145, 530, 1010, 40, 1, 0),
    ROW(4, 0, 1, 0, 0, 90, 530, 1101, 40, 5, 40),   ROW(1, 1783, 1, 0, 0, 90, 200, 1335, 0, 1, 0),
    ROW(6, 0, 1, 0, 0, 140, 530, 1323, 30, 1, 0),   ROW(1, 1785, 1, 0, 0, 90, 200, 1418, 0, 1, 0),
    ROW(8, 0, 1, 0, 0, 140, 530, 1406, 30, 1, 0),   ROW(1, 1817, 1, 0, 0, 90, 200, 1501, 0, 1, 0),
    ROW(9, 0, 1, 0, 0, 120, 530, 1495, 128, 1, 0),  END_ROW};

constexpr CoverSheetLayoutRow kCommentA350[] = {
    ROW(1, 1786, 1, 0, 0, 100, 350, 1650, 0, 1, 0), ROW(10, 0, 1, 0, 0, 130, 680, 1640, 40, 1, 0),
    ROW(1, 1788, 1, 0, 0, 90, 350, 1744, 0, 1, 0),  ROW(11, 0, 1, 0, 0, 110, 680, 1744, 40, 16, 49), END_ROW};
constexpr CoverSheetLayoutRow kCommentA200[] = {
    ROW(1, 1786, 1, 0, 0, 100, 200, 1650, 0, 1, 0), ROW(10, 0, 1, 0, 0, 130, 530, 1640, 40, 1, 0),
    ROW(1, 1788, 1, 0, 0, 90, 200, 1744, 0, 1, 0),  ROW(11, 0, 1, 0, 0, 110, 530, 1744, 40, 16, 49), END_ROW};
constexpr CoverSheetLayoutRow kCommentB350[] = {
    ROW(1, 1787, 1, 0, 0, 100, 350, 1650, 0, 1, 0), ROW(10, 0, 1, 0, 0, 130, 680, 1640, 40, 1, 0),
    ROW(1, 1789, 1, 0, 0, 90, 350, 1744, 0, 1, 0),  ROW(11, 0, 1, 0, 0, 110, 680, 1744, 40, 16, 49), END_ROW};
constexpr CoverSheetLayoutRow kCommentB200[] = {
    ROW(1, 1787, 1, 0, 0, 100, 200, 1650, 0, 1, 0), ROW(10, 0, 1, 0, 0, 130, 530, 1640, 40, 1, 0),
    ROW(1, 1789, 1, 0, 0, 90, 200, 1744, 0, 1, 0),  ROW(11, 0, 1, 0, 0, 110, 530, 1744, 40, 16, 49), END_ROW};

#undef END_ROW
#undef ROW

// [block][B table][x 350]
constexpr const CoverSheetLayoutRow* kBlockTables[kCoverBlockCount][2][2] = {
    {{kRecipientA200, kRecipientA350}, {kRecipientB200, kRecipientB350}},
    {{kSenderA200, kSenderA350}, {kSenderB200, kSenderB350}},
    {{kCommentA200, kCommentA350}, {kCommentB200, kCommentB350}},
};

constexpr uint16_t kNameHonorifics[] = {1769, 1770, 1771};
constexpr uint16_t kCompanyHonorifics[] = {1768, 1772, 1773};

struct Layout {
    CoverSheetItem* items;
    uint32_t count;
    HMODULE resources;
};

bool Empty(const wchar_t* text)
{
    return text == nullptr || text[0] == L'\0';
}

void AddItem(Layout* layout, const CoverSheetLayoutRow& row, int x, int y, uint16_t size, const wchar_t* text,
             size_t length)
{
    // The block's room is fixed: the tables can ask for more items than it has.
    if (layout->count >= kCoverSheetMaxItems)
        return;
    CoverSheetItem& item = layout->items[layout->count++];
    item.x = static_cast<uint16_t>(x < 0 ? 0 : x);
    item.y = static_cast<uint16_t>(y < 0 ? 0 : y);
    item.fontSize = size;
    item.itemFlag = row.itemFlag;
    if (length > kCoverItemTextChars - 1)
        length = kCoverItemTextChars - 1;
    wmemcpy(item.text, text, length);
    item.text[length] = L'\0';
}

// ANSI bytes converted back; false when the conversion fails.
bool AddAnsiItem(Layout* layout, const CoverSheetLayoutRow& row, int x, int y, uint16_t size, const char* bytes,
                 uint32_t length)
{
    const std::string line(bytes, length);
    int chars = 0;
    wchar_t* wide = AllocMultiByteToWide(CP_ACP, line.c_str(), &chars);
    if (wide == nullptr)
        return false;
    AddItem(layout, row, x, y, size, wide, static_cast<size_t>(chars));
    GlobalFree(wide);
    return true;
}

int Truncate(double value)
{
    return static_cast<int>(value);
}

void LayoutRow(Layout* layout, const CoverSheetLayoutRow& row, const wchar_t* text)
{
    if (Empty(text))
        return;
    char* ansi = nullptr;
    int length = 0;
    if (!ConvertWideToMultiByte(text, &ansi, &length, CP_ACP))
        return;
    if (length <= 0) {
        GlobalFree(ansi);
        return;
    }
    const uint32_t bytes = static_cast<uint32_t>(length);
    const double sizeMm = row.fontSize / 10.0 * kMmPerPoint;

    if (row.lines > 1) {
        uint32_t starts[64];
        uint32_t lengths[64];
        const uint32_t lines = SplitCoverSheetText(CP_ACP, ansi, row.width, row.lines < 64 ? row.lines : 64, starts,
                                                   lengths);
        for (uint32_t i = 0; i < lines; ++i)
            if (lengths[i] > 0)
                AddAnsiItem(layout, row, row.x, row.y + static_cast<int>(i * row.lineStep), row.fontSize,
                            ansi + starts[i], lengths[i]);
        GlobalFree(ansi);
        return;
    }

    uint16_t size = row.fontSize;
    int x = row.x;
    int y = row.y;
    if (row.rightAligned == 1)
        x -= Truncate(sizeMm * (bytes / 2.0) * 10);
    if (row.bottomFlag == 2)
        y -= Truncate(sizeMm * 0.86 * 10);
    if (row.kind == kTextKindLong || row.kind == kTextKindLong2) {
        std::string cut(ansi, bytes);
        if (row.kind == kTextKindLong && bytes > kLongTextCut)
            cut = std::string(ansi, AnsiPrefixBytes(GetACP(), ansi, bytes, kLongTextCut)) + "...";
        const uint32_t n = static_cast<uint32_t>(cut.size());
        const uint32_t from = row.kind == kTextKindLong ? (row.width > 100 ? 52 : 51) : 66;
        const double numerator = row.kind == kTextKindLong ? 107.0 : 137.0;
        if (n >= from)
            size = static_cast<uint16_t>(Truncate(numerator / n * 2 / kMmPerPoint * 10));
        AddAnsiItem(layout, row, x, y, size, cut.data(), n);
    } else {
        AddItem(layout, row, x, y, size, text, wcslen(text));
    }
    GlobalFree(ansi);
}

void LayoutTable(Layout* layout, const CoverSheetLayoutRow* rows, const CoverSheetData& data,
                 CoverSheetBlock block)
{
    for (const CoverSheetLayoutRow* row = rows; row->kind != kCoverKindEnd; ++row) {
        wchar_t string[kStringChars] = {};
        const wchar_t* text = nullptr;
        uint16_t stringId = 0;
        if (row->kind == kCoverKindString)
            stringId = row->stringId;
        else if (row->kind == kCoverKindTitle)
            text = data.title;
        else if (block == kCoverRecipient && row->kind == 3)
            stringId = data.nameHonorific >= 1 && data.nameHonorific <= 3 ? kNameHonorifics[data.nameHonorific - 1]
                                                                          : 0;
        else if (block == kCoverRecipient && row->kind == 5)
            stringId = data.companyHonorific >= 1 && data.companyHonorific <= 3
                           ? kCompanyHonorifics[data.companyHonorific - 1]
                           : 0;
        else if (row->kind < kCoverFieldKinds && row->stringId != 0)
            // A labelled field kind (7): its label, when the data has the field.
            stringId = Empty(data.fields[block][row->kind]) ? 0 : row->stringId;
        else if (row->kind < kCoverFieldKinds)
            text = data.fields[block][row->kind];
        if (stringId != 0) {
            if (layout->resources == nullptr || LoadStringW(layout->resources, stringId, string, kStringChars) <= 0)
                continue;
            text = string;
        }
        LayoutRow(layout, *row, text);
    }
}

}  // namespace

int CoverSheetUsesX350(ModelDataRecord* model, int requestMode)
{
    return requestMode == 1 || !TestModelCapability(model, CapabilityBit(64)) ? 1 : 0;
}

uint32_t SplitCoverSheetText(UINT codePage, const char* text, uint32_t width, uint32_t maxLines, uint32_t* starts,
                             uint32_t* lengths)
{
    if (text == nullptr || starts == nullptr || lengths == nullptr || width == 0)
        return 0;
    const uint32_t length = static_cast<uint32_t>(strlen(text));
    uint32_t lines = 0;
    uint32_t start = 0;
    while (start < length && lines < maxLines) {
        uint32_t end = start;
        while (end < length && !(text[end] == '\r' && end + 1 < length && text[end + 1] == '\n')) {
            const uint32_t step = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[end])) && end + 1 < length ? 2 : 1;
            if (end + step - start > width)
                break;
            end += step;
        }
        starts[lines] = start;
        lengths[lines] = end - start;
        ++lines;
        start = end;
        if (start + 1 < length && text[start] == '\r' && text[start + 1] == '\n')
            start += 2;
        else if (lengths[lines - 1] == 0) {
            --lines;  // a character wider than the line: nothing more can be placed
            break;
        }
    }
    return lines;
}

CoverSheetItem* BuildCoverSheetLayout(const CoverSheetData* data, int x350, uint32_t* count)
{
    if (count != nullptr)
        *count = 0;
    if (data == nullptr)
        return nullptr;
    auto* items = static_cast<CoverSheetItem*>(GlobalAlloc(GPTR, kCoverSheetBlockBytes));
    if (items == nullptr)
        return nullptr;
    Layout layout{items, 0, GetResourceModule()};
    const bool named = !Empty(data->fields[kCoverRecipient][2]);
    LayoutTable(&layout, named ? kTitleWithName : kTitleNoName, *data, kCoverRecipient);
    for (uint32_t block = 0; block < kCoverBlockCount; ++block) {
        const int b = (data->bTables >> block) & 1;
        LayoutTable(&layout, kBlockTables[block][b][x350 ? 1 : 0], *data, static_cast<CoverSheetBlock>(block));
    }
    if (count != nullptr)
        *count = layout.count;
    return items;
}

void SetCoverSheetFields(CoverSheetData* data, const CoverSheetTexts& texts)
{
    if (!data)
        return;
    data->fields[kCoverRecipient][2] = texts.name;
    data->fields[kCoverRecipient][4] = texts.company;
    data->fields[kCoverRecipient][7] = texts.number;
    data->fields[kCoverRecipient][8] = texts.number;
    constexpr int kSenderKinds[] = {2, 4, 6, 8, 9};
    for (int i = 0; i < 5; ++i)
        data->fields[kCoverSender][kSenderKinds[i]] = texts.sender[i];
    data->fields[kCoverComment][10] = texts.subject;
    data->fields[kCoverComment][11] = texts.message;
}
