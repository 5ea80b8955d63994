#include "common/context/model_lookups.h"

#include "common/context/settings_context.h"
#include "common/context/user_paper_limits.h"
#include "common/context/value_by_type.h"
#include "common/model/model_section.h"
#include "common/system/locale_region.h"
#include "tests/settings/settings_test_records.h"
#include "tests/support/global_text.h"
#include "tests/context/reference_printers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>

namespace {

class LookupTest : public ReferencePrinterTest {
protected:
    void SetUp() override
    {
        ReferencePrinterTest::SetUp();
        context_.reset(OpenSettingsContext(colour_->handle()));
        ASSERT_TRUE(context_);
    }
    void TearDown() override
    {
        context_.reset();
        ReferencePrinterTest::TearDown();
    }
    const SettingsContext* c() const { return context_.get(); }

    ContextPtr context_;
};

uint64_t Holder(uint32_t number)
{
    return number;
}

// The colour model's user-size limits are 1000 x 1480 to 3048 x 4572; paper 256
// has margins of 4.2 mm on each side, paper 262 none.
TEST_F(LookupTest, UserSizeLimitsTakeBothMarginPairs)
{
    struct Case {
        uint16_t paper;
        uint16_t limits[4];  // minimum width and length, maximum width and length
    };
    const Case cases[] = {
        {256, {1000 + 84, 1480 + 84, 3048 + 84, 4572 + 84}},
        {262, {1000, 1480, 3048, 4572}},
    };
    for (const Case& row : cases) {
        uint16_t limits[4] = {};
        ASSERT_EQ(GetUserPaperSizeLimits(c(), row.paper, &limits[0], &limits[1], &limits[2], &limits[3]), 1)
            << row.paper;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(limits[i], row.limits[i]) << row.paper << " " << i;
    }
    uint16_t width = 0;
    EXPECT_EQ(GetUserPaperSizeLimits(c(), 9999, &width, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(GetUserPaperSizeLimits(nullptr, 256, &width, nullptr, nullptr, nullptr), 0);
}

TEST_F(LookupTest, ModelDefaults)
{
    // The paper default follows the locale on this model (capability 0x400000).
    const uint32_t paper = GetLocalePaperRegion(1) == 1 ? 1 : 9;
    const struct {
        uint16_t id;
        uint32_t value;
        uint16_t type;
    } cases[] = {{7, 1, kTypeS16}, {16, 1, kTypeS16}, {270, 0, kTypeU16}, {8, paper, kTypeS16}};
    for (const auto& c : cases) {
        uint64_t value = 0xDEAD;
        uint16_t type = 0;
        uint16_t status = 0xFFFF;
        ASSERT_EQ(GetModelDefault(this->c(), c.id, &value, &type, &status), TRUE) << c.id;
        EXPECT_EQ(status, kLookupOk);
        EXPECT_EQ(value, c.value) << c.id;
        EXPECT_EQ(type, c.type) << c.id;
        FreeModelDefault(value, type);
    }
    uint64_t value = 0;
    uint16_t type = 0;
    uint16_t status = 0;
    EXPECT_EQ(GetModelDefault(c(), 9999, &value, &type, &status), FALSE);
    EXPECT_NE(status, kLookupOk);
    EXPECT_EQ(GetModelDefault(nullptr, 7, &value, &type, &status), FALSE);
    EXPECT_EQ(status, kLookupError);

    uint32_t size = 0;
    void* block = GetModelDefaultValue(c(), 16, &size, &status);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(status, kLookupOk);
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(*static_cast<int16_t*>(block), 1);
    GlobalFree(block);
}

TEST_F(LookupTest, FeatureAndOptions)
{
    uint16_t listKind = 0, count = 0, status = 0xFFFF;
    const wchar_t* name = nullptr;
    ModelSection* feature = nullptr;
    ASSERT_EQ(GetItemFeature(c(), 16, &listKind, &count, &name, &feature, &status), TRUE);
    EXPECT_EQ(listKind, 3);
    EXPECT_EQ(count, 3);
    EXPECT_STREQ(name, L"Duplex");
    FreeItemFeature(feature);

    ModelSection* copy = nullptr;
    ASSERT_EQ(GetItemOption(c(), 16, 2, &copy, &status), TRUE);
    uint64_t value = 0;
    uint16_t type = 0;
    const uint8_t* block = nullptr;
    uint32_t blockSize = 0;
    ASSERT_EQ(GetOptionCopyFields(copy, &value, &name, &type, &block, &blockSize), TRUE);
    EXPECT_EQ(value, 2u);
    EXPECT_STREQ(name, L"Long Edge");
    EXPECT_EQ(type, kTypeS16);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(blockSize, 2u);
    EXPECT_EQ(block[0], 0x0a);
    EXPECT_EQ(FreeItemOption(&copy), TRUE);
    EXPECT_EQ(copy, nullptr);
    EXPECT_EQ(FreeItemOption(&copy), TRUE) << "a freed holder counts as freed";
    EXPECT_EQ(FreeItemOption(nullptr), TRUE);

    EXPECT_EQ(GetItemOption(c(), 16, 4, &copy, &status), FALSE);
    EXPECT_EQ(status, kLookupAbsent);
    EXPECT_EQ(GetOptionCopyFields(nullptr, &value, &name, &type, &block, &blockSize), FALSE);
    // The header is no feature record.
    EXPECT_EQ(GetItemFeature(c(), 259, &listKind, &count, &name, &feature, &status), FALSE);
    EXPECT_EQ(feature, nullptr);
}

TEST_F(LookupTest, OptionsByValue)
{
    const uint64_t longEdge = Holder(2), none = Holder(7);
    EXPECT_EQ(HasOptionForValue(c(), 16, &longEdge), TRUE);
    EXPECT_EQ(HasOptionForValue(c(), 16, &none), FALSE);
    EXPECT_EQ(HasOptionForValue(c(), 16, nullptr), FALSE);

    const uint64_t a3 = Holder(8);
    uint16_t status = 0xFFFF;
    ModelSection* target = GetOptionTargetForValue(c(), 8, &a3, &status);
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(status, kLookupOk);
    ASSERT_NE(AsPaper(target), nullptr);
    EXPECT_EQ(AsPaper(target)->id, 8);
    FreeItemFeature(target);
    const uint64_t noPaper = Holder(4242);
    EXPECT_EQ(GetOptionTargetForValue(c(), 8, &noPaper, &status), nullptr);
    EXPECT_EQ(status, kLookupAbsent);

    uint16_t w = 0, h = 0, aw = 0, ah = 0;
    ASSERT_EQ(GetOptionPaperSize(c(), 8, &a3, &w, &h, &aw, &ah, &status), TRUE);
    EXPECT_EQ(w, 2970);
    EXPECT_EQ(h, 4200);
    EXPECT_EQ(aw, 2886);
    EXPECT_EQ(ah, 4116);

    const bool letter = GetLocalePaperRegion(1) == 1;
    ASSERT_EQ(GetDefaultPaperSize(c(), 8, &w, &h, &aw, &ah, &status), TRUE);
    EXPECT_EQ(w, letter ? 2159 : 2100);
    EXPECT_EQ(TakeGlobalText(GetDefaultTargetName(c(), 8, &status)), letter ? L"Letter" : L"A4");
    EXPECT_EQ(TakeGlobalText(GetDefaultTargetName(c(), 16, &status)), L"<null>") << "duplex options target nothing";
}

TEST_F(LookupTest, PaperOptionsByNumberSizeAndName)
{
    const struct {
        int mode;
        uint16_t number, width, height;
        const wchar_t* name;
        uint16_t foundNumber;
        const wchar_t* foundName;
    } cases[] = {
        {kPaperByNumber, 9, 0, 0, nullptr, 9, L"A4"},
        {kPaperBySize, 0, 2975, 2095, nullptr, 9, L"A4"},        // turned, within 1 mm
        {kPaperBySize, 0, 2111, 2970, nullptr, 0, nullptr},     // 1.1 mm off
        {kPaperBySize, 0, 2970, 4200, nullptr, 8, L"A3"},
        {kPaperByName, 0, 0, 0, L"tabloid extra", 260, L"Tabloid Extra"},
        {kPaperByName, 0, 0, 0, L"A7", 0, nullptr},
        {kPaperByNumber, 4242, 0, 0, nullptr, 0, nullptr},
    };
    for (const auto& c : cases) {
        OptionRequest request = {c.number, c.width, c.height, const_cast<wchar_t*>(c.name)};
        uint16_t status = 0xFFFF;
        const BOOL found = FindPaperOption(this->c(), 8, c.mode, &request, &status);
        EXPECT_EQ(found, c.foundName != nullptr ? TRUE : FALSE) << c.mode << " " << c.number;
        if (c.foundName == nullptr) {
            EXPECT_EQ(status, kLookupAbsent);
            continue;
        }
        EXPECT_EQ(request.number, c.foundNumber);
        EXPECT_STREQ(request.name, c.foundName);
        FreeOptionRequestName(&request);
        EXPECT_EQ(request.name, nullptr);
    }
    OptionRequest nameless = {};
    EXPECT_EQ(FindPaperOption(c(), 8, kPaperByName, &nameless, nullptr), FALSE);
    EXPECT_EQ(FindPaperOption(c(), 8, 4, &nameless, nullptr), FALSE);
    FreeOptionRequestName(nullptr);
}

TEST_F(LookupTest, CollateFlagFromTheModel)
{
    // Neither reference model has collation hardware (capability 0x20000), so
    // collation is always available and DM_COLLATE is set.
    for (ModelPrinter* printer : {colour_, mono_}) {
        ContextPtr context(OpenSettingsContext(printer->handle()));
        ASSERT_TRUE(context);
        TestRecords r;
        ASSERT_EQ(WriteSettingNumber(6, r.s(), r.p(), 0x1), 1);
        EXPECT_EQ(UpdateCollateField(r.s(), r.p(), context.get()), TRUE);
        uint32_t fields = 0;
        ReadSettingNumber(6, r.s(), r.p(), &fields);
        EXPECT_EQ(fields, 0x8001u);
    }
    TestRecords r;
    ASSERT_EQ(WriteSettingNumber(6, r.s(), r.p(), 0x8001), 1);
    EXPECT_EQ(UpdateCollateField(r.s(), r.p(), nullptr), TRUE);
    uint32_t fields = 0;
    ReadSettingNumber(6, r.s(), r.p(), &fields);
    EXPECT_EQ(fields, 0x8001u) << "without a model the field stays";
    EXPECT_EQ(UpdateCollateField(nullptr, nullptr, c()), FALSE);
}

uint32_t Read(TestRecords& r, uint16_t id)
{
    uint32_t value = 0;
    EXPECT_EQ(ReadSettingNumber(id, r.s(), r.p(), &value), 1) << id;
    return value;
}

TEST_F(LookupTest, PresetsOnceAndThenTheEnforcedConfiguration)
{
    ASSERT_TRUE(colour_->WriteSiteConfiguration("[default]\nduplex.enforced=2\nstaple.default=9\n"));
    context_.reset(OpenSettingsContext(colour_->handle()));
    ASSERT_TRUE(context_);

    // Setting 1356 off: nothing happens.
    TestRecords off;
    EXPECT_EQ(ApplyPresetByIndex(c(), off.s(), off.p(), 2), TRUE);
    EXPECT_EQ(Read(off, 466), 0u);
    EXPECT_EQ(Read(off, 16), 0u);

    // Index 0: only the enforced configuration, and the preset stays pending.
    TestRecords zero;
    ASSERT_EQ(WriteSettingNumber(1356, zero.s(), zero.p(), 1), 1);
    EXPECT_EQ(ApplyPresetByIndex(c(), zero.s(), zero.p(), 0), TRUE);
    EXPECT_EQ(Read(zero, 16), 3u);
    EXPECT_EQ(Read(zero, 320), 0u) << "defaults are not applied";
    EXPECT_EQ(Read(zero, 466), 0u);

    // Preset 2 ("Booklet") sets its entries, then the enforced duplex wins.
    TestRecords booklet;
    ASSERT_EQ(WriteSettingNumber(1356, booklet.s(), booklet.p(), 1), 1);
    EXPECT_EQ(ApplyPresetByIndex(c(), booklet.s(), booklet.p(), 0x302), TRUE) << "the low byte names the preset";
    EXPECT_EQ(Read(booklet, 321), 2u);
    EXPECT_EQ(Read(booklet, 267), 1u);
    EXPECT_EQ(Read(booklet, 16), 3u);
    EXPECT_EQ(Read(booklet, 466), 1u);
    // A second call does nothing: the preset was applied.
    ASSERT_EQ(WriteSettingNumber(321, booklet.s(), booklet.p(), 0), 1);
    EXPECT_EQ(ApplyPresetByIndex(c(), booklet.s(), booklet.p(), 2), TRUE);
    EXPECT_EQ(Read(booklet, 321), 0u);

    // A preset the model does not have fails and leaves 466 alone.
    TestRecords missing;
    ASSERT_EQ(WriteSettingNumber(1356, missing.s(), missing.p(), 1), 1);
    EXPECT_EQ(ApplyPresetByIndex(c(), missing.s(), missing.p(), 9), FALSE);
    EXPECT_EQ(Read(missing, 466), 0u);
}

TEST_F(LookupTest, PresetsNeedFormat7936)
{
    ContextPtr old(OpenSettingsContext(mono_->handle()));
    ASSERT_TRUE(old);
    TestRecords r;
    ASSERT_EQ(WriteSettingNumber(1356, r.s(), r.p(), 1), 1);
    EXPECT_EQ(ApplyPresetByIndex(old.get(), r.s(), r.p(), 1), FALSE);
    EXPECT_EQ(Read(r, 466), 0u);
    EXPECT_EQ(ApplyPresetByIndex(old.get(), r.s(), r.p(), 0), TRUE);
}

// New settings start from the preset that names the program they are made in.
TEST_F(LookupTest, InitialPresetIsThePresetNamingThisProgram)
{
    struct Case {
        const wchar_t* model;
        const wchar_t* printer;
        uint32_t index;
        uint32_t orientation;  // 7
        uint32_t duplex;       // 16
        uint32_t applied;      // 466
    };
    const Case cases[] = {
        {L"CTXPROG.DDD", L"Morva Context Program Presets", 2, 2, 3, 1},
        {L"CTXOTHER.DDD", L"Morva Context Other Presets", 0, 0, 0, 0},
    };
    for (const Case& row : cases) {
        ModelPrinter printer(row.model, row.printer);
        ASSERT_TRUE(printer.ok()) << printer.error();
        ContextPtr context(OpenSettingsContext(printer.handle()));
        ASSERT_TRUE(context);
        EXPECT_EQ(GetInitialPresetIndex(context.get()), row.index);
        TestRecords r;
        ASSERT_EQ(WriteSettingNumber(1356, r.s(), r.p(), 1), 1);
        EXPECT_EQ(ApplyInitialPreset(context.get(), r.s(), r.p()), TRUE);
        EXPECT_EQ(Read(r, 7), row.orientation);
        EXPECT_EQ(Read(r, 16), row.duplex);
        EXPECT_EQ(Read(r, 466), row.applied);
    }
    EXPECT_EQ(GetInitialPresetIndex(nullptr), 0u);
}

TEST_F(LookupTest, FormsTakenForPaperRequests)
{
    FORM_INFO_1W forms[4] = {};
    forms[0].pName = const_cast<wchar_t*>(L"Letter Small");  // no paper of the model
    forms[0].Size = {215900, 279400};
    forms[1].pName = const_cast<wchar_t*>(L"a4");
    forms[1].Size = {210000, 297099};
    forms[2].pName = const_cast<wchar_t*>(L"A3");
    forms[2].Size = {297000, 420000};
    const uint32_t all[] = {0, 1, 2, 7};
    const struct {
        int mode;
        uint16_t number;
        const wchar_t* name;
        int form;
        int32_t width, height;
    } cases[] = {
        {kFormByName, 0, L"A4", 2, 2100, 2970},  // thousandths to tenths, toward zero
        {kFormByName, 0, L"Letter Small", 0, 0, 0},
        {kFormByNumber, 3, nullptr, 3, 2970, 4200},
        {kFormByNumber, 1, nullptr, 0, 0, 0},
        {kFormByNumber, 8, nullptr, 0, 0, 0},     // index 7 lies past the list
        {2, 2, L"a4", 0, 0, 0},
    };
    for (const auto& c : cases) {
        OptionRequest request = {c.number, 0, 0, const_cast<wchar_t*>(c.name)};
        FormPaperMatch match = {};
        EXPECT_EQ(FindFormPaper(this->c(), forms, 3, all, 4, c.mode, &request, &match), c.form) << c.mode;
        if (c.form != 0) {
            EXPECT_EQ(match.formNumber, c.form);
            EXPECT_EQ(match.width, c.width);
            EXPECT_EQ(match.height, c.height);
            EXPECT_EQ(match.name, forms[c.form - 1].pName);
        }
    }
    FormPaperMatch match = {};
    OptionRequest nameless = {};
    EXPECT_EQ(FindFormPaper(c(), forms, 3, all, 4, kFormByName, &nameless, &match), 0);
    EXPECT_EQ(FindFormPaper(c(), nullptr, 3, all, 4, kFormByName, &nameless, &match), 0);
}

TEST_F(LookupTest, PaperByNameThenBySize)
{
    OptionRequest request = {0, 2100, 2970, const_cast<wchar_t*>(L"legal")};
    ASSERT_EQ(ResolvePaperByName(c(), &request, nullptr), TRUE);
    EXPECT_EQ(request.number, 5);
    FreeOptionRequestName(&request);
    request = {0, 2975, 2095, const_cast<wchar_t*>(L"No Such Paper")};
    ASSERT_EQ(ResolvePaperByName(c(), &request, nullptr), TRUE);
    EXPECT_EQ(request.number, 9);
    EXPECT_STREQ(request.name, L"A4");
    FreeOptionRequestName(&request);
    request = {0, 1000, 1000, nullptr};
    uint16_t status = 0;
    EXPECT_EQ(ResolvePaperByName(c(), &request, &status), FALSE);
    EXPECT_EQ(status, kLookupAbsent);
}

}  // namespace

namespace {

// A number of the model's own (the fine-outline rule's 32776-32778): the
// colour model gives its values, the monochrome one has none and the caller's
// fallback stands; without a model the fallback stands too.
TEST_F(LookupTest, ModelNumbersWithFallbacks)
{
    ContextPtr mono(OpenSettingsContext(mono_->handle()));
    ASSERT_TRUE(mono);
    const struct {
        uint16_t id;
        uint32_t colour, mono;
    } cases[] = {{32776, 6, 7}, {32777, 20, 16}, {32778, 40, 50}};
    const uint32_t fallbacks[] = {7, 16, 50};
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(GetModelNumberOr(c(), cases[i].id, fallbacks[i]), cases[i].colour) << cases[i].id;
        EXPECT_EQ(GetModelNumberOr(mono.get(), cases[i].id, fallbacks[i]), cases[i].mono) << cases[i].id;
    }
    EXPECT_EQ(GetModelNumberOr(c(), 16, 99), 1u);           // a setting's default is a number too
    EXPECT_EQ(GetModelNumberOr(nullptr, 32776, 7), 7u);
}

}  // namespace
