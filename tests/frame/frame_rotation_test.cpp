#include <gtest/gtest.h>

#include "render/frame/page_rotation.h"

namespace {

struct CodeCase {
    uint16_t first, second, paper;
    uint16_t wanted;
};

// The code pair decides before the paper feature; the first code is asked first.
TEST(PageRotation, CodePairDecidesTheWantedTurn)
{
    const CodeCase cases[] = {
        {257, 0, 9, 1},     {514, 0, 9, 1},    {771, 0, 9, 2},    {1028, 0, 9, 2},
        {1542, 0, 1, 2},    {1542, 0, 9, 2},   {1542, 0, 13, 2},  {1542, 0, 258, 2}, {1542, 0, 283, 2},
        {1542, 0, 3, 1},    {1542, 0, 8, 1},   {1542, 0, 12, 1},  {1542, 0, 257, 1}, {1542, 0, 282, 1},
        {771, 257, 9, 2},   {257, 771, 9, 1},  // the first code wins
        {0, 1028, 9, 2},    {258, 514, 9, 1},  // an unknown first code passes to the second
        {1542, 771, 7, 2},  // 1542 without a listed paper passes to the second
        {1542, 0, 7, 0},    {0, 0, 9, 0},      {259, 260, 9, 0},
    };
    for (const CodeCase& c : cases) {
        PageRotationInput in{};
        in.codes[0] = c.first;
        in.codes[1] = c.second;
        in.paperCode = c.paper;
        EXPECT_EQ(WantedRotation(in), c.wanted) << c.first << "/" << c.second << " paper " << c.paper;
    }
}

struct FeatureCase {
    uint16_t feature, driverKind, overrideKind;
    uint16_t wanted;
};

TEST(PageRotation, PaperFeatureDecidesWithoutACode)
{
    const FeatureCase cases[] = {
        {1, 0, 0, 1}, {2, 0, 0, 2}, {3, 0, 0, 2}, {3, 2, 1, 2},
        {3, 4, 1, 2}, {3, 4, 0, 1}, {3, 4, 2, 1}, {0, 0, 0, 0}, {4, 0, 0, 0},
    };
    for (const FeatureCase& c : cases) {
        PageRotationInput in{};
        in.paperFeature = c.feature;
        in.driverKind = c.driverKind;
        in.overrideKind = c.overrideKind;
        EXPECT_EQ(WantedRotation(in), c.wanted) << c.feature << " kind " << c.driverKind;
    }
    // A code that answers hides the feature.
    PageRotationInput in{};
    in.codes[0] = 257;
    in.paperFeature = 2;
    EXPECT_EQ(WantedRotation(in), 1);
}

struct ExpectedCase {
    uint32_t pages;
    uint16_t orientation, overrideKind, overrideValue;
    uint16_t expected;
};

TEST(PageRotation, ExpectedTurnFollowsTheLayout)
{
    const ExpectedCase cases[] = {
        {2, 1, 0, 0, 1},  {8, 1, 0, 0, 1},  {2, 2, 0, 0, 2},  {8, 2, 0, 0, 2},
        {1, 1, 0, 0, 2},  {4, 1, 0, 0, 2},  {16, 1, 0, 0, 2}, {32, 1, 0, 0, 2},
        {1, 2, 0, 0, 1},  {4, 2, 0, 0, 1},  {32, 2, 0, 0, 1},
        {2, 1, 1, 2, 2},  {1, 1, 1, 1, 1},  {4, 2, 1, 2, 2},  // override 1: the given value
        {2, 1, 2, 0, 2},  {2, 2, 2, 0, 1},  {1, 1, 5, 1, 2},  {1, 2, 5, 2, 1},
    };
    for (const ExpectedCase& c : cases) {
        PageRotationInput in{};
        in.pagesPerSheet = c.pages;
        in.orientation = c.orientation;
        in.overrideKind = c.overrideKind;
        in.overrideValue = c.overrideValue;
        EXPECT_EQ(ExpectedRotation(in), c.expected)
            << c.pages << " pages, orientation " << c.orientation << ", override " << c.overrideKind;
    }
}

TEST(PageRotation, PageTurnsWhenWantedDiffersFromExpected)
{
    PageRotationInput in{};
    in.pagesPerSheet = 1;
    in.orientation = 1;  // expects 2
    in.codes[0] = 771;   // wants 2
    EXPECT_FALSE(PageNeedsRotation(in));
    in.codes[0] = 257;  // wants 1
    EXPECT_TRUE(PageNeedsRotation(in));
    in.orientation = 2;  // expects 1
    EXPECT_FALSE(PageNeedsRotation(in));
    in.codes[0] = 1542;
    in.paperCode = 9;  // wants 2
    EXPECT_TRUE(PageNeedsRotation(in));
    // Nothing to decide by: the page stays as it is, whatever its layout expects.
    in.codes[0] = 0;
    EXPECT_FALSE(PageNeedsRotation(in));
    in.orientation = 1;
    EXPECT_FALSE(PageNeedsRotation(in));
}

}  // namespace
