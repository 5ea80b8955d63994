// Form lengths and the landscape turn of a form record.
#include "common/settings/function_ids.h"
#include "common/system/spooler_forms.h"
#include "render/device/device_caps.h"
#include "render/device/form_resolution.h"
#include "render/device/pdev_record.h"
#include "render/device/spooler_form_lookup.h"
#include "tests/frame/frame_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

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

    // By number: the spooler's own order, 1-based, its size as by its name.
    DWORD needed = 0, count = 0;
    EnumFormsW(driver.printer(), 1, nullptr, 0, &needed, &count);
    std::vector<BYTE> listed(needed);
    ASSERT_TRUE(EnumFormsW(driver.printer(), 1, listed.data(), needed, &needed, &count));
    ASSERT_GT(count, 1u);
    const auto* forms = reinterpret_cast<const FORM_INFO_1W*>(listed.data());
    for (DWORD n : {DWORD(1), count}) {
        SCOPED_TRACE(n);
        ASSERT_EQ(GetSpoolerFormByNumber(driver.printer(), int(n), &form), kFormFound);
        EXPECT_EQ(form.info.pName, form.name);
        EXPECT_EQ(std::wstring(form.name), std::wstring(forms[n - 1].pName).substr(0, 31));
        FormSizeTenths byNumber{}, byName{};
        ASSERT_EQ(GetSpoolerFormSize(driver.printer(), nullptr, int(n), &byNumber), kFormFound);
        ASSERT_EQ(GetSpoolerFormSize(driver.printer(), forms[n - 1].pName, 0, &byName), kFormFound);
        EXPECT_EQ(std::memcmp(&byNumber, &byName, sizeof byName), 0);
    }
    EXPECT_EQ(GetSpoolerFormByNumber(driver.printer(), int(count) + 1, &form), kFormsNotFound);
    EXPECT_EQ(GetSpoolerFormByNumber(driver.printer(), 0, &form), kFormsNotFound);
    EXPECT_EQ(GetSpoolerFormByNumber(nullptr, 1, &form), kFormsNoMemory);
    EXPECT_EQ(GetSpoolerFormByNumber(driver.printer(), 1, nullptr), kFormsNoMemory);
}


// A paper size no model paper has takes the model's least margins, is centred
// when wider than the device prints, gives the granularity's remainder to its
// second margin, and never has a printable part larger than the paper.
TEST(FrameForms, CustomSizeAxisWithinTheModelLimits)
{
    const struct {
        const char* name;
        int32_t paper;
        PaperAxisLimits limits;
        int32_t first, second;
    } cases[] = {
        {"least margins", 2100, {42, 42, 1000, 3048, 1}, 42, 42},
        {"granularity remainder", 2205, {42, 42, 1000, 3048, 10}, 42, 47},
        {"largest printable with both margins", 3132, {42, 42, 1000, 3048, 0}, 42, 42},
        {"centred, even", 3200, {42, 42, 1000, 3048, 0}, 76, 76},
        {"centred, odd", 3201, {42, 42, 1000, 3048, 0}, 77, 76},
        {"centred and granular", 3205, {42, 42, 1000, 3048, 10}, 79, 83},
        {"raised to the least printable", 1050, {42, 42, 1000, 3048, 0}, 42, 8},
        {"smaller than the least printable", 900, {42, 42, 1000, 3048, 0}, 0, 0},
        {"no largest size", 5000, {42, 42, 0, 0, 0}, 42, 42},
        {"granularity past the least printable", 1085, {42, 42, 1000, 3048, 100}, 42, 43},
    };
    for (const auto& c : cases) {
        int32_t first = -1, second = -1;
        FitCustomPaperAxis(c.paper, c.limits, &first, &second);
        EXPECT_EQ(first, c.first) << c.name;
        EXPECT_EQ(second, c.second) << c.name;
    }
}

// The same through DrvEnablePDEV: a size by width and length that matches no
// model paper.
TEST(FrameForms, CustomSizeDeviceFigures)
{
    frame_test::FrameDriver& driver = frame_test::SharedFrameDriver();
    ASSERT_TRUE(driver.ok());
    GDIINFO caps{};
    DHPDEV pdev = driver.Enable(
        driver.ExtendedDevmode(frame_test::A4At600(
            {{kFidFields, DM_PAPERWIDTH | DM_PAPERLENGTH | DM_ORIENTATION | DM_PRINTQUALITY | DM_COLOR | DM_COPIES},
             {kFidPaperSize, 256}, {kFidPaperWidth, 2205}, {kFidPaperLength, 3105}})),
        &caps);
    ASSERT_NE(pdev, nullptr);
    EXPECT_EQ(caps.ptlPhysOffset.x, 99);   // 42
    EXPECT_EQ(caps.ptlPhysOffset.y, 99);
    EXPECT_EQ(caps.ulHorzRes, 4998u);      // 2205 - 42 - 47
    EXPECT_EQ(caps.ulVertRes, 7124u);      // 3105 - 42 - 47
    EXPECT_EQ(caps.szlPhysSize.cx, 5209);
    EXPECT_EQ(caps.szlPhysSize.cy, 7335);
    driver.entries().disablePdev(pdev);
}

// The printable size: the imageable area, or the page less the four margins
// of a trailer group, which are those of the portrait paper.
TEST(FrameForms, PrintableSizeFromATrailerGroup)
{
    FormRecord a4{};
    a4.paperWidth = a4.pageWidth = TenthsToFormUnits(2100);
    a4.paperHeight = a4.pageHeight = TenthsToFormUnits(2970);
    a4.left = a4.top = TenthsToFormUnits(42);
    a4.right = TenthsToFormUnits(2100 - 42);
    a4.bottom = TenthsToFormUnits(2970 - 42);
    FormRecord turned = a4;
    RotateFormToLandscape(&turned);
    const uint16_t none[6] = {0, 9, 100, 100, 100, 100};
    const uint16_t even[6] = {9, 9, 100, 100, 100, 100};
    const uint16_t uneven[6] = {9, 9, 10, 20, 30, 40};
    const struct {
        const char* name;
        const FormRecord* form;
        const uint16_t* group;
        int32_t width, height;
    } cases[] = {
        {"no group", &a4, nullptr, 2016, 2886},        {"group without paper", &a4, none, 2016, 2886},
        {"even margins", &a4, even, 1900, 2770},       {"uneven margins", &a4, uneven, 2060, 2910},
        {"landscape page", &turned, uneven, 2910, 2060},
    };
    for (const auto& c : cases) {
        const PrintableTenths p = FormPrintableTenths(*c.form, c.group);
        EXPECT_EQ(p.width, c.width) << c.name;
        EXPECT_EQ(p.height, c.height) << c.name;
    }
}

} // namespace
