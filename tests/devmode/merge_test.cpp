#include "common/devmode/devmode_merge.h"

#include "common/context/user_paper_limits.h"
#include "common/records/settings_records.h"
#include "common/settings/function_ids.h"
#include "tests/devmode/devmode_fixture.h"

#include <cstring>
#include <cwchar>
#include <initializer_list>
#include <utility>

namespace {

constexpr uint32_t kFieldsOffset = 72;

class MergeTest : public DevmodeTest {
protected:
    void SetUp() override
    {
        DevmodeTest::SetUp();
        printerSettings_ = PrinterSettings();
        output_ = Defaults();
    }

    int Merge(const Record& input, uint16_t mode = kMergeAccept)
    {
        return MergeInputDevmode(context_.get(), output_.data(), input.data(), printerSettings_.data(), handle(),
                                 mode);
    }

    // A foreign DEVMODE: the public part of the defaults with the given fields
    // and values, no driver part.
    Record Foreign(uint32_t fields, std::initializer_list<std::pair<uint16_t, uint32_t>> values = {})
    {
        Record input = Defaults();
        for (const auto& [id, value] : values)
            SetNumber(input, id, value);
        PutU16(input, kDmDriverExtraOffset, 0);
        std::memcpy(input.data() + kFieldsOffset, &fields, 4);
        input.resize(kPublicDevmodeSize);
        return input;
    }

    Record printerSettings_;
    Record output_;
};

struct FieldCase {
    const char* name;
    uint32_t bit;
    uint16_t id;
    uint32_t incoming;
    bool taken;
};

TEST_F(MergeTest, FieldsAreTakenOnlyWhenTheHandlerAccepts)
{
    const FieldCase cases[] = {
        {"copies 0 is refused", kDmCopies, kFidCopies, 0, false},
        {"copies 3 is taken", kDmCopies, kFidCopies, 3, true},
        {"orientation 3 is refused", kDmOrientation, kFidOrientation, 3, false},
        {"landscape is taken", kDmOrientation, kFidOrientation, 2, true},
    };
    for (const FieldCase& c : cases) {
        output_ = Defaults();
        const uint32_t before = Number(output_, c.id);
        ASSERT_EQ(Merge(Foreign(c.bit, {{c.id, c.incoming}})), 1) << c.name;
        EXPECT_EQ(Number(output_, c.id), c.taken ? c.incoming : before) << c.name;
    }
}

TEST_F(MergeTest, ShortInputIsNotRead)
{
    Record input = Foreign(0xFFFFFFFF);
    PutU16(input, kDmSizeOffset, 156);
    SetNumber(output_, kFidCopies, 4);
    const Record before = output_;
    EXPECT_EQ(Merge(input), 1);
    EXPECT_EQ(output_, before);
}

TEST_F(MergeTest, OwnInputReplacesTheCommonPartButNotItsVersion)
{
    Record input = Defaults();
    SetNumber(input, 262, 5);
    PutU16(input, 222, 8000);
    PutU16(output_, 222, 8705);
    ASSERT_EQ(Merge(input), 1);
    EXPECT_EQ(Number(output_, 262), 5u);
    EXPECT_EQ(U16At(output_, 222), 8705);

    // With too short a driver part the DEVMODE is not our own: nothing of its
    // driver part is taken.
    Record shortened = Defaults();
    SetNumber(shortened, 262, 6);
    PutU16(shortened, kDmDriverExtraOffset, 1383);
    output_ = Defaults();
    const uint32_t before = Number(output_, 262);
    ASSERT_EQ(Merge(shortened), 1);
    EXPECT_EQ(Number(output_, 262), before);
}

TEST_F(MergeTest, ZeroDefaultSourceIsReplaced)
{
    for (uint32_t manual : {0u, 1u}) {
        output_ = Defaults();
        SetNumber(output_, kFidDefaultSource, 0);
        SetNumber(output_, 265, manual ? 258 : 1);
        SetNumber(output_, 457, 0);
        ASSERT_EQ(Merge(Foreign(0)), 1);
        EXPECT_EQ(Number(output_, kFidDefaultSource), manual ? 7u : 15u);
    }
}

TEST_F(MergeTest, FreeCustomSizeIsTakenWithoutForms)
{
    SetPrinterNumber(printerSettings_, kFidCustomPaperEnabled, 1);
    ASSERT_EQ(Merge(Foreign(kDmPaperSize | kDmPaperLength | kDmPaperWidth,
                            {{kFidPaperSize, 256}, {kFidPaperLength, 1234}, {kFidPaperWidth, 987}})),
              1);
    EXPECT_EQ(Number(output_, kFidPaperSize), 256u);
    EXPECT_EQ(Number(output_, kFidPaperLength), 1234u);
    EXPECT_EQ(Number(output_, kFidPaperWidth), 987u);
    const uint32_t fields = Number(output_, kFidFields);
    EXPECT_EQ(fields & (kDmPaperLength | kDmPaperWidth), kDmPaperLength | kDmPaperWidth);
    EXPECT_EQ(fields & kDmFormName, 0u);
}

TEST_F(MergeTest, PaperByFormNumberTakesTheFormsNameAndSize)
{
    // Form 9 of the spooler's list is A4 (210 x 297 mm).
    ASSERT_EQ(Merge(Foreign(kDmPaperSize, {{kFidPaperSize, 9}})), 1);
    EXPECT_EQ(Number(output_, kFidPaperSize), 9u);
    EXPECT_EQ(Number(output_, kFidPaperWidth), 2100u);
    EXPECT_EQ(Number(output_, kFidPaperLength), 2970u);
}

struct PaperCase {
    const char* name;
    uint32_t fields;
    uint32_t code;
    uint32_t length;
    uint32_t width;
    const wchar_t* formName;
    uint32_t expectedCode;  // 0: the output's paper is left as it was
    uint32_t expectedLength;
    uint32_t expectedWidth;
};

TEST_F(MergeTest, PaperIsResolvedAgainstFormsAndModel)
{
    // The reference model takes dmPaperSize and dmFormName, not the size fields
    // alone; with dmPaperSize 0 the size decides.
    constexpr uint32_t kBySize = kDmPaperSize | kDmPaperLength | kDmPaperWidth;
    const PaperCase cases[] = {
        {"form number", kDmPaperSize, 9, 0, 0, L"", 9, 2970, 2100},
        {"form name without regard to case", kDmFormName, 0, 0, 0, L"a4", 9, 2970, 2100},
        {"size of a form", kBySize, 0, 2970, 2100, L"", 9, 2970, 2100},
        {"size of a form turned", kBySize, 0, 2100, 2970, L"", 9, 2970, 2100},
        {"size within a millimetre", kBySize, 0, 2975, 2095, L"", 9, 2970, 2100},
        {"size of no form within the user limits", kBySize, 0, 1900, 1300, L"", 256, 1900, 1300},
        {"size below the user limits", kBySize, 0, 50, 50, L"", 0, 0, 0},
        {"size alone is not a field the model takes", kDmPaperLength | kDmPaperWidth, 0, 2970, 2100, L"", 0, 0, 0},
        {"no form of that number", kDmPaperSize, 999, 0, 0, L"", 0, 0, 0},
        {"no form of that name", kDmFormName, 0, 0, 0, L"No such form", 0, 0, 0},
        {"free custom size, not enabled: by size", kDmPaperSize | kDmPaperLength | kDmPaperWidth, 256, 2970, 2100,
         L"", 9, 2970, 2100},
        // Without both sizes only the code is tried: the name does not decide.
        {"free custom size, not enabled, no size: by code only", kDmPaperSize | kDmFormName, 256, 0, 0, L"A4", 0, 0,
         0},
    };
    uint16_t limits[4] = {};
    ASSERT_EQ(GetUserPaperSizeLimits(context_.get(), 262, &limits[0], &limits[1], &limits[2], &limits[3]), 1);
    ASSERT_TRUE(limits[0] <= 1300 && limits[2] >= 1300 && limits[1] <= 1900 && limits[3] >= 1900)
        << limits[0] << " " << limits[1] << " " << limits[2] << " " << limits[3];
    SetPrinterNumber(printerSettings_, kFidCustomPaperEnabled, 0);
    for (const PaperCase& c : cases) {
        output_ = Defaults();
        const uint32_t before[] = {Number(output_, kFidPaperSize), Number(output_, kFidPaperLength),
                                   Number(output_, kFidPaperWidth)};
        Record input = Defaults();
        SetNumber(input, kFidPaperSize, c.code);
        SetNumber(input, kFidPaperLength, c.length);
        SetNumber(input, kFidPaperWidth, c.width);
        std::memset(input.data() + 102, 0, 64);
        std::memcpy(input.data() + 102, c.formName, wcslen(c.formName) * sizeof(wchar_t));
        PutU16(input, kDmDriverExtraOffset, 0);
        std::memcpy(input.data() + kFieldsOffset, &c.fields, 4);
        input.resize(kPublicDevmodeSize);
        ASSERT_EQ(Merge(input), 1) << c.name;
        if (c.expectedCode == 0) {
            EXPECT_EQ(Number(output_, kFidPaperSize), before[0]) << c.name;
            EXPECT_EQ(Number(output_, kFidPaperLength), before[1]) << c.name;
            EXPECT_EQ(Number(output_, kFidPaperWidth), before[2]) << c.name;
        } else {
            EXPECT_EQ(Number(output_, kFidPaperSize), c.expectedCode) << c.name;
            EXPECT_EQ(Number(output_, kFidPaperLength), c.expectedLength) << c.name;
            EXPECT_EQ(Number(output_, kFidPaperWidth), c.expectedWidth) << c.name;
        }
    }
}

// The site configuration may clear fields of every incoming DEVMODE; only while
// printer setting 5201 is on.
TEST_F(MergeTest, OverridesOfTheSiteConfiguration)
{
    ASSERT_TRUE(printer_->WriteSiteConfiguration("[DME,1]\nfields.COPIES=1\n"));
    DevmodeContextPtr context(OpenSettingsContext(handle()));
    ASSERT_TRUE(context && context->overrides);
    const Record input = Foreign(kDmCopies, {{kFidCopies, 6}});
    for (uint32_t on : {1u, 0u}) {
        SetPrinterNumber(printerSettings_, 5201, on);
        output_ = Defaults();
        const uint32_t before = Number(output_, kFidCopies);
        ASSERT_EQ(MergeInputDevmodeWithOverrides(context.get(), output_.data(), input.data(), printerSettings_.data(),
                                                 handle(), kMergeAccept),
                  1);
        EXPECT_EQ(Number(output_, kFidCopies), on ? before : 6u) << "5201 = " << on;
    }
    printer_->RemoveSiteConfiguration();
}

TEST_F(MergeTest, MissingRecordsAndInput)
{
    EXPECT_EQ(MergeInputDevmode(context_.get(), nullptr, output_.data(), printerSettings_.data(), handle(),
                                kMergeAccept),
              0);
    EXPECT_EQ(MergeInputDevmode(context_.get(), output_.data(), output_.data(), nullptr, handle(), kMergeAccept), 0);
    const Record before = output_;
    EXPECT_EQ(MergeInputDevmode(context_.get(), output_.data(), nullptr, printerSettings_.data(), handle(),
                                kMergeAccept),
              1);
    EXPECT_EQ(output_, before);
}

}  // namespace
