// Which layer rows a settings snapshot chooses: the tables hold the rows their
// steps can reach, each step builds its row from the right digits, and values
// outside a digit's list are refused instead of read past a table.
#include "ui/illustration/colour_sample.h"
#include "ui/illustration/illustration_layers.h"
#include "ui/illustration/illustration_tables.h"
#include "ui/illustration/picture_statics.h"
#include "ui/illustration/picture_status.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Layer {
    uint32_t bitmap;
    int x, y;
    bool operator==(const Layer&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Layer& layer)
{
    return out << layer.bitmap << "@(" << layer.x << "," << layer.y << ")";
}

// The layers of the chosen rows, rows without a bitmap left out.
std::vector<Layer> Layers(const IllustrationEntryList& list)
{
    std::vector<Layer> layers;
    for (uint32_t i = 0; i < list.count; ++i) {
        const LayerTableRow* row = IllustrationRow(&list.entries[i]);
        if (row && row->bitmap)
            layers.push_back({row->bitmap, row->x, row->y});
    }
    return layers;
}

bool Chose(const IllustrationEntryList& list, LayerTableId table, uint32_t* row = nullptr)
{
    for (uint32_t i = 0; i < list.count; ++i)
        if (list.entries[i].table == table) {
            if (row)
                *row = list.entries[i].row;
            return true;
        }
    return false;
}

class IllustrationRowsTest : public ::testing::Test {
protected:
    uint16_t Choose()
    {
        state_.sheetOrientation = SheetOrientation(state_.orientation, state_.pagesPerSheet);
        return ChooseIllustrationRows(&state_, &model_, &list_);
    }
    IllustrationState state_ = DefaultIllustrationState();
    IllustrationModel model_{};
    IllustrationEntryList list_{};
};

}  // namespace

// Counts as the layout of the picture states them; a slip in the tables'
// transcription changes a count.
TEST(IllustrationTablesTest, EveryTableHasItsRowCount)
{
    struct Expected {
        const char* name;
        uint32_t rows;
        uint8_t selector;
    };
    const Expected expected[kLayerTableCount] = {
        {"Sheet", 2, 1},         {"Pages-1", 4, 2},         {"Pages-2", 16, 2},       {"Pages-4-8-16", 96, 2},
        {"Pages-32", 8, 2},      {"Colour-1", 4, 1},        {"Colour-N", 40, 1},      {"Order-32", 32, 2},
        {"Duplex-1", 16, 1},     {"Duplex-N", 160, 1},      {"DuplexColour-1", 16, 1}, {"DuplexColour-N", 160, 1},
        {"Binding", 8, 2},       {"Finishing-320", 26, 3},  {"Finishing-341", 24, 3}, {"K2-Base", 4, 2},
        {"K2-Second", 4, 1},     {"K2-Cover", 4, 2},        {"K2-Pages", 8, 1},       {"K2-Colour", 8, 1},
        {"K2-Extra", 4, 1},      {"K1-Pages", 32, 2},       {"K1-Fold", 4, 2},        {"K1-Cover", 8, 2},
        {"Mark-437", 8, 2},      {"Collate", 2, 2},         {"Output-A", 18, 1},      {"Output-B", 72, 1},
        {"Stamp", 8, 2},         {"Special", 2, 2},         {"Tray-448", 9, 2},
    };
    uint32_t total = 0;
    for (int t = 0; t < kLayerTableCount; ++t) {
        SCOPED_TRACE(expected[t].name);
        EXPECT_STREQ(kLayerTables[t].name, expected[t].name);
        EXPECT_EQ(kLayerTables[t].count, expected[t].rows);
        for (uint32_t r = 0; r < kLayerTables[t].count; ++r) {
            const LayerTableRow& row = kLayerTables[t].rows[r];
            EXPECT_EQ(row.selector, expected[t].selector) << r;
            EXPECT_TRUE(row.bitmap == 0 || (row.bitmap >= 7000 && row.bitmap <= 7954)) << r;
            EXPECT_LT(row.x, 200) << r;
            EXPECT_LT(row.y, 130) << r;
        }
        total += kLayerTables[t].count;
    }
    EXPECT_EQ(total, 807u);
}

TEST(IllustrationTablesTest, SpotRowsOfTheLongTables)
{
    struct Spot {
        LayerTableId table;
        uint32_t row;
        LayerTableRow expected;
    };
    const Spot spots[] = {
        {kTablePages4816, 47, {7069, 96, 36, 2, 0}},  {kTablePages4816, 48, {7070, 104, 24, 2, 0}},
        {kTableDuplex1, 8, {7290, 87, 88, 1, 0}},      {kTableDuplexN, 80, {7298, 160, 19, 1, 0}},
        {kTableDuplexN, 159, {7377, 87, 23, 1, 0}},    {kTableDuplexColourN, 11, {0, 0, 0, 1, 0}},
        {kTableDuplexColourN, 159, {7494, 106, 27, 1, 0}}, {kTableFinishing320, 25, {7520, 107, 96, 3, 0}},
        {kTableOutputB, 24, {7878, 2, 64, 1, 0}},      {kTableOutputB, 71, {7943, 2, 64, 1, 0}},
        {kTableK1Pages, 31, {7720, 86, 28, 2, 0}},
    };
    for (const Spot& spot : spots) {
        const LayerTableRow& row = kLayerTables[spot.table].rows[spot.row];
        EXPECT_EQ(row.bitmap, spot.expected.bitmap) << kLayerTables[spot.table].name << " " << spot.row;
        EXPECT_EQ(row.x, spot.expected.x) << kLayerTables[spot.table].name << " " << spot.row;
        EXPECT_EQ(row.y, spot.expected.y) << kLayerTables[spot.table].name << " " << spot.row;
    }
}

TEST_F(IllustrationRowsTest, TheDefaultsOfAPrinterJob)
{
    ASSERT_EQ(Choose(), kPictureOk);
    const std::vector<Layer> expected = {
        {7000, 95, 15}, {7002, 104, 24}, {7126, 104, 24}, {7856, 2, 0}, {7864, 2, 32}};
    EXPECT_EQ(Layers(list_), expected);
    EXPECT_TRUE(Chose(list_, kTableOutputA));  // row 0: no layer
    EXPECT_TRUE(Chose(list_, kTableStamp));
}

TEST(IllustrationStateTest, SheetOrientation)
{
    struct Case {
        uint16_t orientation, pages, sheet;
    };
    const Case cases[] = {{1, 1, 1}, {1, 2, 2}, {1, 4, 1}, {1, 8, 2}, {1, 16, 1}, {1, 32, 2},
                          {2, 1, 2}, {2, 2, 1}, {2, 4, 2}, {2, 8, 1}, {2, 16, 2}, {2, 32, 1}};
    for (const Case& c : cases)
        EXPECT_EQ(SheetOrientation(c.orientation, c.pages), c.sheet) << c.orientation << " " << c.pages;
}

TEST_F(IllustrationRowsTest, TwoUpPortraitInTheSecondOrder)
{
    state_.pagesPerSheet = 2;
    state_.pageOrder = 2;
    ASSERT_EQ(Choose(), kPictureOk);
    std::vector<Layer> layers = Layers(list_);
    ASSERT_GE(layers.size(), 2u);
    EXPECT_EQ(layers[0], (Layer{7001, 87, 27}));  // two portrait pages lie on a landscape sheet
    EXPECT_EQ(layers[1], (Layer{7010, 96, 36}));
}

TEST_F(IllustrationRowsTest, OnePageLeavesTheOrderDigitOut)
{
    state_.orientation = 2;
    state_.pageOrder = 5;  // not read with one page per sheet
    ASSERT_EQ(Choose(), kPictureOk);
    uint32_t row = 99;
    ASSERT_TRUE(Chose(list_, kTablePages1, &row));
    EXPECT_EQ(row, 2u);
}

TEST_F(IllustrationRowsTest, FinishingValuesThatShareTheirRows)
{
    auto rowOf = [this](LayerTableId table) {
        uint32_t row = 999;
        EXPECT_EQ(Choose(), kPictureOk);
        EXPECT_TRUE(Chose(list_, table, &row));
        return row;
    };
    state_.setting320 = 1;
    uint32_t one = rowOf(kTableFinishing320);
    state_.setting320 = 10;
    EXPECT_EQ(rowOf(kTableFinishing320), one);
    state_.setting320 = 2;
    uint32_t two = rowOf(kTableFinishing320);
    state_.setting320 = 9;
    EXPECT_EQ(rowOf(kTableFinishing320), two);
    EXPECT_NE(one, two);
    state_.setting320 = 0;
    state_.setting341 = 1;
    state_.setting445 = 2;
    uint32_t punch = rowOf(kTableFinishing341);
    state_.setting341 = 5;
    EXPECT_EQ(rowOf(kTableFinishing341), punch);
    EXPECT_EQ(punch, 4u);  // start 0, then 445 = 2, then portrait
}

TEST_F(IllustrationRowsTest, AFaxJobHasNoCollateOutputOrTray)
{
    model_.faxJob = true;
    state_.setting448 = 2;
    state_.collate = 1;
    ASSERT_EQ(Choose(), kPictureOk);
    EXPECT_FALSE(Chose(list_, kTableCollate));
    EXPECT_FALSE(Chose(list_, kTableOutputA));
    EXPECT_FALSE(Chose(list_, kTableOutputB));
    EXPECT_FALSE(Chose(list_, kTableTray448));
    EXPECT_TRUE(Chose(list_, kTableMark437));
    model_.faxJob = false;
    ASSERT_EQ(Choose(), kPictureOk);
    uint32_t row = 0;
    EXPECT_TRUE(Chose(list_, kTableTray448, &row));
    EXPECT_EQ(row, 2u);
}

TEST_F(IllustrationRowsTest, OutputRowsByTheModelsCapability)
{
    state_.setting1313 = 1;
    state_.setting441 = 1;
    state_.setting332 = 2;
    state_.setting458 = 1;
    ASSERT_EQ(Choose(), kPictureOk);
    uint32_t row = 0;
    ASSERT_TRUE(Chose(list_, kTableOutputA, &row));
    EXPECT_EQ(row, (2u * 3 + 2) * 2 + 1);
    model_.outputUnits = true;
    state_.setting406 = 1;
    state_.setting404 = 1;
    state_.setting1340 = 0;
    ASSERT_EQ(Choose(), kPictureOk);
    ASSERT_TRUE(Chose(list_, kTableOutputB, &row));
    EXPECT_EQ(row, (((2u * 2 + 1) * 2 + 0) * 3 + 2) * 2 + 1);
}

// Values that would reach past a table are refused; the other steps still run.
TEST_F(IllustrationRowsTest, ValuesOutsideTheirListsAreRefused)
{
    struct Case {
        const char* name;
        void (*spoil)(IllustrationState&);
        LayerTableId refused;
    };
    const Case cases[] = {
        {"437 beyond 3", [](IllustrationState& s) { s.setting437 = 4; }, kTableMark437},
        {"collate beyond 1", [](IllustrationState& s) { s.collate = 2; }, kTableCollate},
        {"332 beyond 2", [](IllustrationState& s) { s.setting332 = 3; }, kTableOutputA},
        {"458 beyond 2", [](IllustrationState& s) { s.setting458 = 3; }, kTableOutputA},
        {"445 beyond 2", [](IllustrationState& s) { s.setting341 = 1, s.setting445 = 3; }, kTableFinishing341},
        {"320 beyond 15", [](IllustrationState& s) { s.setting320 = 16; }, kTableFinishing320},
        {"341 beyond 5", [](IllustrationState& s) { s.setting341 = 6; }, kTableFinishing341},
        {"448 beyond 6", [](IllustrationState& s) { s.setting448 = 7; }, kTableTray448},
        {"449 beyond 1", [](IllustrationState& s) { s.setting448 = 1, s.setting449 = 2; }, kTableTray448},
        {"450 beyond 1", [](IllustrationState& s) { s.setting448 = 4, s.setting450 = 2; }, kTableTray448},
        {"order beyond 6", [](IllustrationState& s) { s.pagesPerSheet = 4, s.pageOrder = 7; }, kTablePages4816},
        {"rotation beyond 2", [](IllustrationState& s) { s.pagesPerSheet = 2, s.pageRotation = 3; }, kTablePages2},
        {"three pages", [](IllustrationState& s) { s.pagesPerSheet = 3; }, kTablePages2},
        {"duplex 4", [](IllustrationState& s) { s.duplex = 4; }, kTableDuplex1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        state_ = DefaultIllustrationState();
        c.spoil(state_);
        EXPECT_EQ(Choose(), kPictureBadArgument);
        EXPECT_FALSE(Chose(list_, c.refused));
        EXPECT_TRUE(Chose(list_, kTableSheet));
        EXPECT_TRUE(Chose(list_, kTableStamp));
    }
}

// Several pages per sheet without a page rotation leave the marked edge of
// 437 = 1 or 2 undefined: refused, not guessed.
TEST_F(IllustrationRowsTest, TheMarkedEdgeWithoutRotationIsRefused)
{
    state_.pagesPerSheet = 4;
    state_.pageOrder = 3;
    for (uint8_t mark : {1, 2}) {
        state_.setting437 = mark;
        state_.pageRotation = 0;
        EXPECT_EQ(Choose(), kPictureBadArgument) << int(mark);
        EXPECT_FALSE(Chose(list_, kTablePages4816));
        state_.pageRotation = 1;
        EXPECT_EQ(Choose(), kPictureOk) << int(mark);
    }
    state_.setting437 = 3;
    state_.pageRotation = 0;
    EXPECT_EQ(Choose(), kPictureOk);
}

TEST_F(IllustrationRowsTest, DuplexBindingAndColourOfTheBack)
{
    state_.duplex = 2;
    state_.setting320 = 4;
    ASSERT_EQ(Choose(), kPictureOk);
    uint32_t duplex = 0, back = 0, binding = 0;
    ASSERT_TRUE(Chose(list_, kTableDuplex1, &duplex));
    ASSERT_TRUE(Chose(list_, kTableDuplexColour1, &back));
    ASSERT_TRUE(Chose(list_, kTableBinding, &binding));
    EXPECT_EQ(duplex, 2u);  // start 0, portrait, bound (320 = 4), unmarked
    EXPECT_EQ(back, duplex);
    EXPECT_EQ(binding, 1u);
    state_.colourMode = 1;
    ASSERT_EQ(Choose(), kPictureOk);
    EXPECT_FALSE(Chose(list_, kTableDuplexColour1));
    EXPECT_FALSE(Chose(list_, kTableColour1));
    state_.duplex = 3;
    state_.pagesPerSheet = 32;
    state_.pageOrder = 4;
    state_.setting320 = 0;
    ASSERT_EQ(Choose(), kPictureOk);
    ASSERT_TRUE(Chose(list_, kTableDuplexN, &duplex));
    EXPECT_EQ(duplex, (((4u + 5) * 2 + 0) * 2 + 0) * 2 * 2);  // 32 pages, duplex 3, portrait, unbound
    EXPECT_TRUE(Chose(list_, kTableOrder32));
}

TEST_F(IllustrationRowsTest, LayoutKinds)
{
    state_.layoutKind = 3;
    EXPECT_EQ(Choose(), kPictureSettingUnreadable);

    state_.layoutKind = 1;
    state_.layoutVariant = 771;
    ASSERT_EQ(Choose(), kPictureOk);
    uint32_t row = 0;
    ASSERT_TRUE(Chose(list_, kTableK1Pages, &row));
    EXPECT_EQ(row, ((1u * 2 + 0) * 4 + 2) * 2 + 0);
    EXPECT_FALSE(Chose(list_, kTableSheet));

    // A folded variant draws the normal layout and the fold.
    state_.layoutVariant = 260;
    ASSERT_EQ(Choose(), kPictureOk);
    EXPECT_TRUE(Chose(list_, kTableSheet));
    ASSERT_TRUE(Chose(list_, kTableK1Fold, &row));
    EXPECT_EQ(row, 1u);
    // With setting 1285 as well the cover step fails and nothing is drawn.
    state_.setting1285 = 1;
    EXPECT_EQ(Choose(), kPictureBadArgument);

    state_ = DefaultIllustrationState();
    state_.layoutKind = 2;
    state_.setting446 = 1;
    state_.secondPart = 1;
    state_.setting322 = 1;
    ASSERT_EQ(Choose(), kPictureOk);
    for (LayerTableId table : {kTableK2Base, kTableK2Second, kTableK2Cover, kTableK2Pages, kTableK2Colour,
                               kTableK2Extra})
        EXPECT_TRUE(Chose(list_, table)) << kLayerTables[table].name;
    ASSERT_TRUE(Chose(list_, kTableK2Cover, &row));
    EXPECT_EQ(row, 1u);  // portrait: N = 0; mirrored: M = 1
}

TEST_F(IllustrationRowsTest, StampAndSpecialDecorations)
{
    const wchar_t empty[] = L"";
    const wchar_t name[] = L"Draft";
    state_.stampName = empty;
    ASSERT_EQ(Choose(), kPictureOk);
    uint32_t row = 9;
    ASSERT_TRUE(Chose(list_, kTableStamp, &row));
    EXPECT_EQ(row, 0u);
    state_.stampName = name;
    state_.annotation = 1;
    state_.setting339 = 1;
    state_.setting1330 = 1;
    state_.orientation = 2;
    ASSERT_EQ(Choose(), kPictureOk);
    ASSERT_TRUE(Chose(list_, kTableStamp, &row));
    EXPECT_EQ(row, 7u);
    ASSERT_TRUE(Chose(list_, kTableSpecial, &row));
    EXPECT_EQ(row, 1u);
}

TEST(PictureStaticsTest, ColourSettingsBitmap)
{
    struct Case {
        uint32_t mode, s271, s390, s293;
        bool offersTwo;
        uint16_t status;
        UINT id;
    };
    const Case cases[] = {
        {1, 513, 0, 0, false, kPictureOk, 901},     {1, 2, 0, 0, false, kPictureFailed, 0},
        {2, 257, 4, 2, false, kPictureOk, 943},     {2, 769, 6, 2, false, kPictureOk, 932},
        {2, 1032, 8, 2, false, kPictureOk, 923},    {2, 1032, 9, 2, false, kPictureFailed, 0},
        {2, 5, 0, 2, false, kPictureFailed, 0},     {2, 1, 0, 3, false, kPictureOk, 915},
        {0, 264, 3, 2, false, kPictureOk, 1333},    {3, 513, 9, 2, false, kPictureOk, 1013},
        {0, 513, 1, 2, false, kPictureFailed, 0},   {0, 1288, 2, 2, false, kPictureOk, 919},
        {0, 1, 0, 4, true, kPictureOk, 916},        {0, 1, 0, 4, false, kPictureOk, 917},
        {4, 1, 0, 1, false, kPictureFailed, 0},
    };
    for (const Case& c : cases) {
        UINT id = 0;
        EXPECT_EQ(ChooseColourSettingsBitmap(c.mode, c.s271, c.s390, c.s293, c.offersTwo, &id), c.status)
            << c.mode << " " << c.s271 << " " << c.s390 << " " << c.s293;
        if (c.status == kPictureOk) {
            EXPECT_EQ(id, c.id);
        }
    }
}

TEST(PictureStaticsTest, IconTables)
{
    struct Case {
        int control;
        uint32_t a, b;
        uint16_t status;
        UINT id;
    };
    const Case sides[] = {
        {1199, 0, 3, kPictureOk, 363}, {1199, 1, 0, kPictureOk, 359}, {1199, 1, 2, kPictureOk, 999},
        {1199, 7, 1, kPictureOk, 360}, {1205, 7, 1, kPictureOk, 370}, {1205, 8, 2, kPictureOk, 366},
        {1205, 5, 3, kPictureOk, 371}, {1199, 9, 0, kPictureBadArgument, 0}, {1199, 0x10001, 0, kPictureBadArgument, 0},
    };
    for (const Case& c : sides) {
        UINT id = 0;
        EXPECT_EQ(ChooseSideIcon(c.control, c.a, c.b, &id), c.status) << c.control << " " << c.a << " " << c.b;
        if (c.status == kPictureOk) {
            EXPECT_EQ(id, c.id) << c.control << " " << c.a << " " << c.b;
        }
    }
    const Case finishing[] = {
        {1508, 1, 1, kPictureOk, 803}, {1531, 1, 1, kPictureOk, 802}, {1508, 0, 0, kPictureOk, 806},
        {1531, 0, 0, kPictureOk, 807}, {1508, 2, 0, kPictureOk, 804}, {1531, 2, 0, kPictureOk, 808},
        {1508, 0, 1, kPictureOk, 805}, {1531, 0, 1, kPictureOk, 801},
    };
    for (const Case& c : finishing) {
        UINT id = 0;
        EXPECT_EQ(ChooseFinishingIcon(c.control, c.a, c.b, &id), c.status);
        EXPECT_EQ(id, c.id) << c.control << " " << c.a << " " << c.b;
    }
}

TEST(ColourSampleTest, RangesFollowTheirObjectKinds)
{
    RGBQUAD original[256];
    for (int i = 0; i < 256; ++i)
        original[i] = {static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>((i * 7) & 0xFF), 0};
    auto same = [&](const RGBQUAD& a, const RGBQUAD& b) {
        return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
    };
    RGBQUAD table[256];
    std::memcpy(table, original, sizeof(table));
    SampleAdjustment none{};
    RecolourSampleTable(original, table, &none);
    for (int i = 0; i < 256; ++i)
        EXPECT_TRUE(same(table[i], original[i])) << i;

    SampleAdjustment grey{};
    grey.colourMode = 1;
    RecolourSampleTable(original, table, &grey);
    for (int i = 2; i < 128; ++i)
        EXPECT_TRUE(table[i].rgbRed == table[i].rgbGreen && table[i].rgbGreen == table[i].rgbBlue) << i;
    EXPECT_TRUE(same(table[1], original[1]));
    EXPECT_TRUE(same(table[128], original[128]));

    // Apart: only the graphics range (98-113) follows triple A.
    std::memcpy(table, original, sizeof(table));
    SampleAdjustment apart{};
    apart.separateKinds = 1;
    apart.a = {60, 0, 0};
    apart.d = {-60, 0, 0};
    RecolourSampleTable(original, table, &apart);
    EXPECT_TRUE(same(table[50], original[50]));
    EXPECT_FALSE(same(table[100], original[100]));
    EXPECT_TRUE(same(table[120], original[120]));
    // Together: every range follows triple D.
    apart.separateKinds = 0;
    RecolourSampleTable(original, table, &apart);
    EXPECT_FALSE(same(table[50], original[50]));
    EXPECT_FALSE(same(table[120], original[120]));
}

TEST(ColourSampleTest, TheSlotAnAdjustmentFieldShows)
{
    EXPECT_EQ(ColourAdjustSlot(1, 2, 4), 2);  // the object kind's own slot
    EXPECT_EQ(ColourAdjustSlot(0, 2, 4), 3);  // the common value
    EXPECT_EQ(ColourAdjustSlot(1, 4, 4), -1);
    EXPECT_EQ(ColourAdjustSlot(0, 4, 4), -1);
    EXPECT_EQ(ColourAdjustSlot(1, 0, 0), -1);
}
