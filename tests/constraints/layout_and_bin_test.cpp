// The fit of a tiled page grid at its zoom, the tray fit of every rule kind,
// and the output bin derived from the finishing settings.
#include "common/constraints/rule_papers.h"
#include "common/settings/function_ids.h"
#include "tests/constraints/constraint_fixture.h"

#include <windows.h>

#include <vector>

namespace {

using Ids = std::vector<uint16_t>;

// Printable areas of the model: A4 (9) 2016 x 2886, A3 (8) 2886 x 4116.
constexpr uint16_t kA4 = 9;
constexpr uint16_t kA3 = 8;

}  // namespace

TEST_F(ConstraintTest, LayoutFitOfTheTiledGrid)
{
    struct Case {
        uint32_t grid, document, output, zoom;
        uint16_t expected;
    };
    const Case cases[] = {
        {0x0202, kA4, 267, 100, 14},  // a whole sheet to spare in both directions
        {0x0202, kA4, 267, 200, 0},   // exactly filled
        {0x0202, kA4, 267, 201, 13},
        {0x0202, kA4, 267, 250, 13},
        {258, kA4, 267, 100, 0},      // one column, two rows: turned
        {258, kA4, 267, 150, 13},
        {258, kA4, 267, 50, 14},
        {0x0101, kA4, kA3, 100, 0},
        {0x0101, kA4, kA3, 150, 13},
        // Output smaller than twice the document in both directions: the grid
        // of four still holds the document at 100 %, so it fits.
        {0x0202, kA3, kA4, 100, 0},
    };
    Set(kFidPosterBooklet, 1);
    Set(kFidLayoutScaleOn, 1);
    for (const Case& c : cases) {
        Set(kFidLayoutGrid, c.grid);
        Set(kFidPaperSize, c.document);
        Set(kFidOutputPaper, c.output);
        Set(kFidZoom, c.zoom);
        const ConstraintContext context = Context();
        uint16_t* ids = nullptr;
        EXPECT_EQ(CheckLayoutScaleFit(&context, nullptr, &ids), c.expected)
            << std::hex << c.grid << std::dec << " " << c.document << " on " << c.output << " at " << c.zoom;
        EXPECT_EQ(ids != nullptr, c.expected != 0);
        if (ids)
            GlobalFree(ids);
    }
}

TEST_F(ConstraintTest, LayoutFitNamesTheOtherSettings)
{
    Set(kFidPosterBooklet, 1);
    Set(kFidLayoutScaleOn, 1);
    Set(kFidPaperSize, kA4);
    Set(kFidOutputPaper, 267);
    Set(kFidZoom, 100);
    const ConstraintContext context = Context();
    const uint64_t grid = 0x0202;
    const SettingChange change{kFidLayoutGrid, kTypeU16, 2, &grid};
    uint16_t* ids = nullptr;
    // The grid comes from the change: the record still holds its default.
    ASSERT_EQ(CheckLayoutScaleFit(&context, &change, &ids), 14);
    ASSERT_NE(ids, nullptr);
    EXPECT_EQ(Ids(ids, ids + 5), (Ids{kFidPaperSize, kFidOutputPaper, kFidLayoutScaleOn, kFidZoom, 0}));
    GlobalFree(ids);
    const uint64_t zoom = 250;
    const SettingChange zoomChange{kFidZoom, kTypeU16, 2, &zoom};
    Set(kFidLayoutGrid, 0x0202);
    ASSERT_EQ(CheckLayoutScaleFit(&context, &zoomChange, &ids), 13);
    EXPECT_EQ(Ids(ids, ids + 5), (Ids{kFidPaperSize, kFidOutputPaper, kFidLayoutGrid, kFidLayoutScaleOn, 0}));
    GlobalFree(ids);
    // Not tiling, or tiling without the scale: nothing to fit.
    Set(kFidLayoutScaleOn, 0);
    EXPECT_EQ(CheckLayoutScaleFit(&context, &zoomChange, &ids), 0);
    Set(kFidLayoutScaleOn, 1);
    Set(kFidPosterBooklet, 2);
    EXPECT_EQ(CheckLayoutScaleFit(&context, &zoomChange, &ids), 0);
    EXPECT_EQ(ids, nullptr);
}

TEST_F(ConstraintTest, TrayFitOfEveryRuleKind)
{
    // Papers: A4 2100 x 2970; A6 (70) 1050 x 1480. Tray 4 (bypass) 900-3200 x
    // 1480-12000; tray 264 2100-2159 x 2794-2970; bin 2 1397-3048 x 1820-4572.
    struct Case {
        uint16_t kind;
        uint16_t output, paper410, paper411, bin, covers, tray333, secondOn, secondSource, fixed407;
        bool fires;
        uint16_t bits;
    };
    const Case cases[] = {
        {1024, kA4, 9, 9, 1, 0, 1, 0, 1, 0, false, 0},
        {3072, kA4, 9, 9, 2, 0, 1, 0, 1, 0, false, 0},
        {3072, 70, 9, 9, 2, 0, 1, 0, 1, 0, true, 0x22},
        {3072, 70, 9, 9, 1, 0, 1, 0, 1, 0, false, 0},       // the centre tray names no limits
        {2048, 70, 9, 9, 1, 0, 1, 0, 3, 0, false, 0},       // the second tray is off
        {2048, 70, 9, 9, 1, 0, 1, 1, 3, 0, true, 0x12},
        {5120, kA4, 70, 9, 1, 0, 1, 0, 1, 4, false, 0},
        {5120, kA4, 11, 9, 1, 0, 1, 0, 1, 0, false, 0},
        {5120, kA4, 262, 9, 1, 0, 1, 0, 1, 4, true, 0x40 | 0x100},  // wider than the bypass tray
        {6144, kA4, 9, 70, 1, 0, 1, 0, 1, 264, true, 0x80 | 0x100},
        {6144, kA4, 9, 9, 1, 0, 1, 0, 1, 0, false, 0},
        {7168, kA4, 9, 70, 2, 0, 1, 0, 1, 0, true, 0xA0},
        {8192, kA4, 70, 9, 2, 0, 1, 0, 1, 0, true, 0x60},
        {9216, 70, 9, 9, 1, 0, 3, 0, 1, 0, false, 0},       // no covers
        {9216, 70, 9, 9, 1, 1, 3, 0, 1, 0, true, 0x802},
    };
    for (const Case& c : cases) {
        SetUserPaper(262, 3300, 2000);
        Set(kFidOutputPaper, c.output);
        Set(kFidInsertPaper1, c.paper410);
        Set(kFidInsertPaper2, c.paper411);
        Set(kFidOutputBin, c.bin);
        Set(kFidCovers, c.covers);
        Set(kFidCoverTray, c.tray333);
        Set(kFidSecondSourceOn, c.secondOn);
        Set(kFidSecondSource, c.secondSource);
        Set(kFidFixedTrayFirst, c.fixed407);
        Set(kFidPaperSource, 1);
        const ConstraintContext context = Context();
        bool fires = !c.fires;
        uint16_t bits = 0xFFFF;
        EXPECT_EQ(TestRuleKindFit(&context, nullptr, c.kind, &fires, &bits), 0) << c.kind;
        EXPECT_EQ(fires, c.fires) << c.kind << " output " << c.output;
        // Fired bits are added to the result's; a paper that fits clears them.
        EXPECT_EQ(bits, c.fires ? 0xFFFF : 0) << c.kind;
        if (c.fires) {
            bits = 0;
            TestRuleKindFit(&context, nullptr, c.kind, &fires, &bits);
            EXPECT_EQ(bits, c.bits) << c.kind;
        }
    }
}

TEST_F(ConstraintTest, UserSizeRangeOfItsPaperRecord)
{
    // User paper 1 (262): size and area pair both 2100 x 2970.
    Set(kFidOutputPaper, 262);
    const ConstraintContext context = Context();
    struct Case {
        uint16_t width, height;
        bool fires;
    };
    for (const Case& c : {Case{2100, 2970, false}, Case{2101, 2970, true}, Case{2100, 2969, true}}) {
        SetUserPaper(262, c.width, c.height);
        bool fires = !c.fires;
        uint16_t bits = 0;
        EXPECT_EQ(TestRuleKindFit(&context, nullptr, 4096, &fires, &bits), 0);
        EXPECT_EQ(fires, c.fires) << c.width << " x " << c.height;
    }
    Set(kFidOutputPaper, kA4);
    bool fires = true;
    uint16_t bits = 0;
    EXPECT_EQ(TestRuleKindFit(&context, nullptr, 4096, &fires, &bits), 0);
    EXPECT_FALSE(fires);
}

TEST_F(ConstraintTest, DerivedOutputBin)
{
    // Inputs: a 4359, b 4368, c 444, d 4098, e 331, f 320, g 321, h 465 (== 2,
    // the model sets capability 0x2D), m 341, n 448, p 4126; k from 404-409, 469.
    struct Case {
        const char* what;
        std::vector<std::pair<uint16_t, uint32_t>> values;
        uint16_t bin;
    };
    const Case cases[] = {
        {"c 1", {{444, 1}}, 12},
        {"c 2", {{444, 2}}, 15},
        {"c 8", {{444, 8}}, 7},
        {"c 12", {{444, 12}}, 11},
        {"c 13 a 0 p", {{444, 13}, {4359, 0}, {4126, 1}}, 25},
        {"c 13 a 1", {{444, 13}, {4359, 1}}, 1},
        {"c 14 a 5", {{444, 14}, {4359, 5}}, 23},
        {"c 14 a 4", {{444, 14}, {4359, 4}}, 1},
        {"c 15", {{444, 15}}, 1},
        {"c 18", {{444, 18}}, 27},
        {"a 0 b 1", {{4359, 0}, {4368, 1}}, 28},
        {"a 0 p", {{4359, 0}, {4368, 0}, {4126, 1}}, 26},
        {"a 0", {{4359, 0}, {4368, 0}, {4126, 0}}, 1},
        {"a 1", {{4359, 1}}, 1},
        {"a 1 stapled", {{4359, 1}, {320, 1}}, 12},
        {"a 2 e d 0", {{4359, 2}, {331, 1}, {4098, 0}}, 12},
        {"a 2 e d", {{4359, 2}, {331, 1}, {4098, 1}}, 24},
        {"a 10", {{4359, 10}}, 12},
        {"a 3", {{4359, 3}}, 23},
        {"a 3 z-fold", {{4359, 3}, {448, 4}}, 21},
        {"a 5 booklet counted", {{4359, 5}, {321, 2}, {465, 2}}, 21},
        {"a 5 booklet not counted", {{4359, 5}, {321, 2}, {465, 1}}, 23},
        {"a 3 f 11", {{4359, 3}, {320, 11}}, 21},
        {"a 3 f 1", {{4359, 3}, {320, 1}}, 12},
        {"a 4 b 1", {{4359, 4}, {4368, 1}}, 28},
        {"a 4 b 1 large tray", {{4359, 4}, {4368, 1}, {404, 1}, {407, 264}}, 1},
        {"a 6 letter fold", {{4359, 6}, {448, 2}}, 20},
        {"a 6 e", {{4359, 6}, {331, 1}}, 12},
        {"a 7", {{4359, 7}}, 24},
        {"a 7 punched", {{4359, 7}, {341, 1}}, 12},
        {"a 7 e d 0", {{4359, 7}, {331, 1}, {4098, 0}}, 12},
        {"a 9", {{4359, 9}}, 1},
    };
    // A neutral start: nothing finishing, nothing inserted.
    const std::pair<uint16_t, uint32_t> neutral[] = {
        {4359, 1}, {4368, 0}, {444, 0}, {4098, 1}, {331, 0}, {320, 0}, {321, 0}, {465, 0}, {341, 0},
        {448, 0}, {4126, 0}, {404, 0}, {405, 0}, {406, 0}, {407, 0}, {408, 0}, {409, 0}, {469, 0},
    };
    for (const Case& c : cases) {
        for (const auto& [id, value] : neutral)
            Set(id, value);
        for (const auto& [id, value] : c.values)
            Set(id, value);
        const ConstraintContext context = Context();
        uint16_t bin = 0;
        ASSERT_EQ(ComputeDerivedOutputBin(&context, nullptr, &bin), 1) << c.what;
        EXPECT_EQ(bin, c.bin) << c.what;
        Set(kFidOutputBin, c.bin == 1 ? 2 : 1);
        EXPECT_EQ(RecomputeDerivedValue(context_, settings_.data(), printer_.data(), nullptr), 1) << c.what;
        EXPECT_EQ(Get(kFidOutputBin), c.bin) << c.what;
    }
}
