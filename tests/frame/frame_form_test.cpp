// Form lengths and the landscape turn of a form record.
#include "render/frame/device_caps.h"
#include "render/frame/form_resolution.h"
#include "render/frame/pdev_record.h"
#include "render/frame/spooler_form_lookup.h"
#include "common/system/spooler_forms.h"
#include "tests/frame/frame_fixture.h"

#include <gtest/gtest.h>

namespace {

TEST(FrameForms, TenthsRoundTripThroughFormUnits)
{
    const struct {
        int32_t tenths, units;
    } cases[] = {{0, 0}, {1, 72}, {42, 3047}, {2058, 149342}, {2100, 152390}, {2970, 215523}, {4318, 313344}};
    for (const auto& c : cases) {
        EXPECT_EQ(TenthsToFormUnits(c.tenths), c.units) << c.tenths;
        EXPECT_EQ(FormUnitsToTenths(c.units), c.tenths) << c.units;
    }
}

TEST(FrameForms, RoundHalfUpByTheFirstDecimal)
{
    const struct {
        int64_t n, d;
        int32_t q;
    } cases[] = {{2016 * 600, 254, 4762}, {42 * 600, 254, 99}, {2100 * 600, 254, 4961}, {2016 * 10, 50, 403},
                 {2886 * 10, 100, 289}, {127, 254, 1}, {126, 254, 0}, {14, 10, 1}, {15, 10, 2}};
    for (const auto& c : cases)
        EXPECT_EQ(DivideRoundHalfUp(c.n, c.d), c.q) << c.n << "/" << c.d;
}

// Every edge of the turned area comes from the edges before the turn; margins
// that all differ show an edge computed from one already turned.
TEST(FrameForms, LandscapeTurnUsesTheEdgesBeforeTheTurn)
{
    FormRecord form{};
    form.paperWidth = form.pageWidth = 2100;
    form.paperHeight = form.pageHeight = 2970;
    form.left = 10;
    form.top = 20;
    form.right = 2100 - 30;
    form.bottom = 2970 - 40;
    RotateFormToLandscape(&form);
    EXPECT_EQ(form.pageWidth, 2970);
    EXPECT_EQ(form.pageHeight, 2100);
    EXPECT_EQ(form.left, 20);
    EXPECT_EQ(form.top, 30);
    EXPECT_EQ(form.right, 2970 - 40);
    EXPECT_EQ(form.bottom, 2100 - 10);
    EXPECT_EQ(form.rotated, 1u);
}

} // namespace

namespace {

TEST(FrameForms, SpoolerFormsByNameAndNumber)
{
    frame_test::FrameDriver& driver = frame_test::SharedFrameDriver();
    ASSERT_TRUE(driver.ok());
    const struct {
        const wchar_t* name;
        int number;
        int status;
        int32_t width, height;
    } cases[] = {{L"A4", 0, kFormFound, 2100, 2970},
                 {L"No Such Form", 0, kFormNameUnknown, 0, 0},
                 {nullptr, 1, kFormFound, -1, -1},
                 {nullptr, 0, kFormsNotFound, 0, 0},
                 {nullptr, 100000, kFormsNotFound, 0, 0}};
    for (const auto& c : cases) {
        FormSizeTenths size{};
        EXPECT_EQ(GetSpoolerFormSize(driver.printer(), c.name, c.number, &size), c.status) << c.number;
        if (c.width > 0) {
            EXPECT_EQ(size.width, c.width);
            EXPECT_EQ(size.height, c.height);
            EXPECT_EQ(size.right, c.width);
            EXPECT_EQ(size.bottom, c.height);
        }
    }
    SpoolerFormCopy form;
    ASSERT_EQ(GetSpoolerFormByName(driver.printer(), L"A4", &form), kFormFound);
    EXPECT_EQ(form.info.pName, form.name);
    EXPECT_STREQ(form.name, L"A4");
    EXPECT_EQ(GetSpoolerFormByName(nullptr, L"A4", &form), kFormBadArgument);
    EXPECT_EQ(GetSpoolerFormByName(driver.printer(), nullptr, &form), kFormBadArgument);
}

} // namespace
