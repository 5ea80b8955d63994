#include "common/settings/placement_transform.h"

#include <gtest/gtest.h>

namespace {

TEST(PlacementTransform, CentredAtAngleZero)
{
    const PlacementSize area{200, 100};
    const PlacementSize object{50, 30};
    PlacementTransform t{};
    EXPECT_EQ(BuildPlacementTransform(&area, &object, 0, 0, 0x202, &t), 1);
    EXPECT_FLOAT_EQ(t.e, 75);
    EXPECT_FLOAT_EQ(t.f, 35);
    EXPECT_FLOAT_EQ(t.a, 1);
    EXPECT_FLOAT_EQ(t.b, 0);
    EXPECT_EQ(t.columns, 0);
    EXPECT_EQ(t.rows, 0);
}

TEST(PlacementTransform, Alignments)
{
    const PlacementSize area{200, 100};
    const PlacementSize object{50, 30};
    struct Case {
        uint16_t alignment;
        float e, f;
    };
    const Case cases[] = {{0x101, 0, 0}, {0x303, 150, 70}, {0x302, 150, 35}, {0x001, 0, 0}, {0x400, 0, 0}};
    for (const Case& c : cases) {
        PlacementTransform t{};
        EXPECT_EQ(BuildPlacementTransform(&area, &object, 0, 0, c.alignment, &t), 1);
        EXPECT_FLOAT_EQ(t.e, c.e) << c.alignment;
        EXPECT_FLOAT_EQ(t.f, c.f) << c.alignment;
    }
}

TEST(PlacementTransform, TilingCountsCells)
{
    const PlacementSize area{100, 100};
    const PlacementSize object{30, 50};
    PlacementTransform t{};
    EXPECT_EQ(BuildPlacementTransform(&area, &object, 0, 0, kAlignTile, &t), 8);
    EXPECT_EQ(t.columns, 4);
    EXPECT_EQ(t.rows, 2);
    EXPECT_FLOAT_EQ(t.stepX, 30);
    EXPECT_FLOAT_EQ(t.stepY, 50);
    const PlacementPoint origin{0, 0};
    PlacementPoint out{};
    EXPECT_EQ(TransformPlacementPoint(&t, &origin, 7, &out), 0);
    EXPECT_FLOAT_EQ(out.x, 90);
    EXPECT_FLOAT_EQ(out.y, 50);
    EXPECT_EQ(TransformPlacementPoint(&t, &origin, 8, &out), -1);
    EXPECT_EQ(TransformPlacementPoint(&t, &origin, -1, &out), -1);
}

TEST(PlacementTransform, RotatedWithinQuarterTurn)
{
    const PlacementSize area{1000, 1000};
    const PlacementSize object{40, 20};
    PlacementTransform t{};
    EXPECT_EQ(BuildPlacementTransform(&area, &object, 90, 0, 0x101, &t), 1);
    EXPECT_NEAR(t.e, 0, 1e-4);
    EXPECT_NEAR(t.f, 40, 1e-4);
    EXPECT_EQ(BuildPlacementTransform(&area, &object, -90, 0, 0x101, &t), 1);
    EXPECT_NEAR(t.e, 20, 1e-4);
    EXPECT_NEAR(t.f, 0, 1e-4);
}

// Beyond a quarter turn the rotated object still lands inside its box at (0, 0).
TEST(PlacementTransform, RotationsBeyondQuarterTurnStayInTheirBox)
{
    const PlacementSize area{1000, 1000};
    const PlacementSize object{40, 20};
    for (int16_t angle : {-180, -135, -91, 0, 45, 91, 135, 180, 270}) {
        PlacementTransform t{};
        ASSERT_GT(BuildPlacementTransform(&area, &object, angle, 0, kAlignTile, &t), 0) << angle;
        const float w = t.stepX, h = t.stepY;
        EXPECT_GT(w, 0) << angle;
        EXPECT_GT(h, 0) << angle;
        for (PlacementPoint corner : {PlacementPoint{0, 0}, PlacementPoint{40, 0}, PlacementPoint{0, 20}, PlacementPoint{40, 20}}) {
            PlacementPoint out{};
            ASSERT_EQ(TransformPlacementPoint(&t, &corner, 0, &out), 0);
            EXPECT_GE(out.x, -1e-3) << angle;
            EXPECT_GE(out.y, -1e-3) << angle;
            EXPECT_LE(out.x, w + 1e-3) << angle;
            EXPECT_LE(out.y, h + 1e-3) << angle;
        }
    }
}

TEST(PlacementTransform, ZeroSizeObjectCannotBeTiled)
{
    const PlacementSize area{100, 100};
    PlacementTransform t{};
    for (PlacementSize object : {PlacementSize{0, 0}, PlacementSize{0, 10}, PlacementSize{10, 0}})
        EXPECT_EQ(BuildPlacementTransform(&area, &object, 0, 0, kAlignTile, &t), -1);
    const PlacementSize object{10, 10};
    EXPECT_EQ(BuildPlacementTransform(nullptr, &object, 0, 0, 0, &t), -1);
    EXPECT_EQ(BuildPlacementTransform(&area, nullptr, 0, 0, 0, &t), -1);
    EXPECT_EQ(BuildPlacementTransform(&area, &object, 0, 0, 0, nullptr), -1);
}

TEST(PlacementTransform, RotationAboutCentre)
{
    const PlacementSize area{100, 100};
    const PlacementSize object{40, 20};
    PlacementTransform t{};
    EXPECT_EQ(BuildPlacementTransform(&area, &object, 180, kPlaceAboutCentre, 0x101, &t), 1);
    const PlacementPoint centre{20, 10};
    PlacementPoint out{};
    ASSERT_EQ(TransformPlacementPoint(&t, &centre, 0, &out), 0);
    EXPECT_NEAR(out.x, 20, 1e-4);
    EXPECT_NEAR(out.y, 10, 1e-4);
}

}  // namespace
