#include "common/job/cover_sheet_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Layout {
    std::vector<CoverSheetItem> items;
};

Layout Build(const CoverSheetData& data, int x350)
{
    uint32_t count = 99;
    CoverSheetItem* block = BuildCoverSheetLayout(&data, x350, &count);
    EXPECT_NE(block, nullptr);
    Layout layout;
    if (block == nullptr)
        return layout;
    EXPECT_EQ(GlobalSize(block), kCoverSheetBlockBytes);
    EXPECT_LE(count, kCoverSheetMaxItems);
    layout.items.assign(block, block + count);
    GlobalFree(block);
    return layout;
}

const CoverSheetItem* Find(const Layout& layout, const wchar_t* text)
{
    for (const CoverSheetItem& item : layout.items)
        if (std::wstring(item.text) == text)
            return &item;
    return nullptr;
}

TEST(CoverSheetLayout, RightAlignedTextMovesLeftByItsEstimatedWidth)
{
    CoverSheetData data = {};
    data.title = L"ABCDEFGHIJ";
    const Layout layout = Build(data, 1);
    // FAX, the title and the headings of the three blocks (the recipient's fax
    // label only with a fax number).
    ASSERT_EQ(layout.items.size(), 8u);
    const CoverSheetItem* fax = Find(layout, L"FAX");
    ASSERT_NE(fax, nullptr);
    EXPECT_EQ(fax->x, 1750 - 52);  // 10 pt x 25.4 / 72 x 1.5 x 10 = 52.9
    EXPECT_EQ(fax->y, 518);
    EXPECT_EQ(fax->fontSize, 100);
    EXPECT_EQ(fax->itemFlag, 1);
    const CoverSheetItem* title = Find(layout, L"ABCDEFGHIJ");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->x, 1397 - 176);  // 10 pt x 25.4 / 72 x 5 x 10 = 176.4
}

TEST(CoverSheetLayout, RecipientNameChoosesTheOtherTitleAndHonorifics)
{
    CoverSheetData data = {};
    data.title = L"ABCDEFGHIJ";
    data.fields[kCoverRecipient][2] = L"Ann Smith";
    data.nameHonorific = 2;
    data.companyHonorific = 4;  // no such code: no item
    data.fields[kCoverRecipient][4] = L"Company";
    const Layout layout = Build(data, 1);
    ASSERT_NE(Find(layout, L"FAX MESSAGE"), nullptr);
    EXPECT_EQ(Find(layout, L"ABCDEFGHIJ")->x, 1715 - 176);
    const CoverSheetItem* name = Find(layout, L"Ann Smith");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->x, 680);
    EXPECT_EQ(name->fontSize, 145);
    const CoverSheetItem* dear = Find(layout, L"Dear");
    ASSERT_NE(dear, nullptr);
    EXPECT_EQ(dear->x, 1750 - 84);  // 12 pt, 4 bytes: 84.7
    EXPECT_EQ(Find(layout, L"Attn."), nullptr);
    EXPECT_EQ(Find(layout, L"Office"), nullptr);
    EXPECT_EQ(Find(layout, L"Fax:")->y, 1418);  // the sender's; the recipient has no fax number
    data.fields[kCoverRecipient][7] = L"on";
    data.fields[kCoverRecipient][8] = L"+1 555 0100";
    const Layout withFax = Build(data, 1);
    const CoverSheetItem* label = Find(withFax, L"Fax:");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->x, 350);
    EXPECT_EQ(label->y, 870);
    EXPECT_EQ(Find(withFax, L"+1 555 0100")->y, 864);
    const Layout narrow = Build(data, 0);
    EXPECT_EQ(Find(narrow, L"Dear")->x, 1900 - 84);
    EXPECT_EQ(Find(narrow, L"Ann Smith")->x, 530);
}

TEST(CoverSheetLayout, BTablesTakeTheirOwnHeadings)
{
    CoverSheetData data = {};
    data.bTables = kCoverRecipientB | kCoverCommentB;
    data.fields[kCoverComment][10] = L"Quarterly figures";
    const Layout layout = Build(data, 1);
    EXPECT_NE(Find(layout, L"Recipient:"), nullptr);
    EXPECT_EQ(Find(layout, L"To:"), nullptr);
    EXPECT_NE(Find(layout, L"From:"), nullptr);  // sender stays on table A
    EXPECT_NE(Find(layout, L"Re:"), nullptr);
    EXPECT_EQ(Find(layout, L"Quarterly figures")->y, 1640);
}

TEST(CoverSheetLayout, CommentKeepsItsFirstSixteenLines)
{
    std::wstring comment;
    for (int i = 1; i <= 20; ++i)
        comment += L"line " + std::to_wstring(i) + L"\r\n";
    CoverSheetData data = {};
    data.fields[kCoverComment][11] = comment.c_str();
    const Layout layout = Build(data, 1);
    for (int i = 1; i <= 20; ++i) {
        const CoverSheetItem* line = Find(layout, (L"line " + std::to_wstring(i)).c_str());
        if (i > 16) {
            EXPECT_EQ(line, nullptr) << i;
            continue;
        }
        ASSERT_NE(line, nullptr) << i;
        EXPECT_EQ(line->y, 1744 + (i - 1) * 49);
        EXPECT_EQ(line->x, 680);
        EXPECT_EQ(line->fontSize, 110);
    }
}

TEST(CoverSheetLayout, LongLinesWrapAtTheRowWidth)
{
    CoverSheetData data = {};
    const std::wstring address = std::wstring(40, L'a') + std::wstring(40, L'b') + L"cc";
    data.fields[kCoverSender][4] = address.c_str();
    const Layout layout = Build(data, 0);
    const CoverSheetItem* first = Find(layout, std::wstring(40, L'a').c_str());
    const CoverSheetItem* second = Find(layout, std::wstring(40, L'b').c_str());
    const CoverSheetItem* third = Find(layout, L"cc");
    ASSERT_TRUE(first && second && third);
    EXPECT_EQ(first->y, 1101);
    EXPECT_EQ(second->y, 1141);
    EXPECT_EQ(third->y, 1181);
}

struct ShrinkCase {
    CoverSheetBlock block;
    uint16_t kind;
    int x350;
    size_t bytes;
    uint16_t size;
    size_t textChars;
};

class CoverSheetShrink : public ::testing::TestWithParam<ShrinkCase> {};

TEST_P(CoverSheetShrink, LongFieldsGetASmallerFont)
{
    const ShrinkCase& c = GetParam();
    const std::wstring text(c.bytes, L'x');
    CoverSheetData data = {};
    data.fields[c.block][c.kind] = text.c_str();
    const Layout layout = Build(data, c.x350);
    const CoverSheetItem* item = nullptr;
    for (const CoverSheetItem& candidate : layout.items)
        if (candidate.text[0] == L'x')
            item = &candidate;
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->fontSize, c.size);
    EXPECT_EQ(wcslen(item->text), c.textChars);
    if (c.bytes > 100 && c.kind == 8) {
        EXPECT_EQ(std::wstring(item->text).substr(100), L"...");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CoverSheetShrink,
    ::testing::Values(ShrinkCase{kCoverRecipient, 8, 1, 50, 120, 50},   // below 51: the row's size
                      ShrinkCase{kCoverRecipient, 8, 1, 51, 118, 51},   // 107 / 51 x 2 / (25.4 / 72) x 10
                      ShrinkCase{kCoverRecipient, 8, 0, 51, 120, 51},   // rows wider than 100 start at 52
                      ShrinkCase{kCoverRecipient, 8, 0, 52, 116, 52},
                      ShrinkCase{kCoverRecipient, 8, 1, 100, 60, 100},
                      ShrinkCase{kCoverRecipient, 8, 1, 150, 58, 103},  // cut to 100 and "..."
                      ShrinkCase{kCoverSender, 9, 0, 65, 120, 65},
                      ShrinkCase{kCoverSender, 9, 0, 66, 117, 66},      // 137 / 66 x 2 / (25.4 / 72) x 10
                      ShrinkCase{kCoverSender, 9, 0, 128, 60, 128},
                      ShrinkCase{kCoverSender, 9, 0, 200, 38, 128}));  // item texts hold 128 characters

TEST(CoverSheetLayout, ItemTextsAreCutToTheirRoom)
{
    const std::wstring name(200, L'n');
    CoverSheetData data = {};
    data.fields[kCoverRecipient][2] = name.c_str();
    const Layout layout = Build(data, 1);
    const CoverSheetItem* item = Find(layout, std::wstring(128, L'n').c_str());
    ASSERT_NE(item, nullptr);
}

TEST(CoverSheetLayout, NeverMoreItemsThanTheBlockHolds)
{
    // Every row filled, every line of every multi-line row used: 42 items asked.
    const std::wstring lines = L"1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r\n13\r\n14\r\n15\r\n16";
    CoverSheetData data = {};
    data.title = L"Title";
    data.nameHonorific = 1;
    data.companyHonorific = 1;
    for (uint32_t block = 0; block < kCoverBlockCount; ++block)
        for (uint16_t kind = 2; kind < kCoverFieldKinds; ++kind)
            data.fields[block][kind] = lines.c_str();
    uint32_t count = 0;
    CoverSheetItem* block = BuildCoverSheetLayout(&data, 0, &count);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(count, kCoverSheetMaxItems);
    GlobalFree(block);
    EXPECT_EQ(BuildCoverSheetLayout(nullptr, 0, &count), nullptr);
    EXPECT_EQ(count, 0u);
}

TEST(CoverSheetText, SplitsAtWidthAndCrLfNeverInsideADoubleByteCharacter)
{
    uint32_t starts[8], lengths[8];
    // Code page 932: 0x82 leads a two-byte character.
    const char text[] = "AB\x82\xa0" "CD\r\nE\r\n\r\nFGH";
    const uint32_t lines = SplitCoverSheetText(932, text, 3, 8, starts, lengths);
    ASSERT_EQ(lines, 6u);
    const std::string s = text;
    EXPECT_EQ(s.substr(starts[0], lengths[0]), "AB");
    EXPECT_EQ(s.substr(starts[1], lengths[1]), "\x82\xa0" "C");
    EXPECT_EQ(s.substr(starts[2], lengths[2]), "D");
    EXPECT_EQ(s.substr(starts[3], lengths[3]), "E");
    EXPECT_EQ(lengths[4], 0u);  // the blank line
    EXPECT_EQ(s.substr(starts[5], lengths[5]), "FGH");
    EXPECT_EQ(SplitCoverSheetText(932, text, 3, 2, starts, lengths), 2u);
    EXPECT_EQ(SplitCoverSheetText(932, "\x82\xa0", 1, 8, starts, lengths), 0u);
    EXPECT_EQ(SplitCoverSheetText(932, "abc\r\n", 3, 8, starts, lengths), 1u);
}

}  // namespace
