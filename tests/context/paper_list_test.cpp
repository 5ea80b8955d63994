#include "common/context/paper_list.h"

#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/settings/value_types.h"
#include "tests/context/reference_printers.h"
#include "tests/support/spooler_forms_fixture.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace {


// The papers of the colour model that the spooler does not list by itself. The
// first takes the geometry the margin cases need.
struct ExtraForm {
    const wchar_t* name;
    LONG width, height;
    RECTL area;
};
const ExtraForm kExtraForms[] = {
    {L"User Paper 1", 210000, 297000, {5000, 5000, 205000, 292000}},
    {L"User Paper 3", 210000, 297000, {0, 0, 210000, 297000}},
    {L"User Paper 4", 210000, 297000, {0, 0, 210000, 297000}},
    {L"User Paper 5", 210000, 297000, {0, 0, 210000, 297000}},
};
// Joined to the model's "User Paper 2" although the case differs.
constexpr wchar_t kLowerCaseForm[] = L"user paper 2";
constexpr wchar_t kModelName[] = L"User Paper 2";
constexpr uint16_t kModelCode = 263;
constexpr int kModelPapers = 23;  // the colour model's paper records
constexpr uint16_t kRoom = 64;    // its raw section 41

class PaperListTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { printer_ = new ModelPrinter(L"C4530.DDD", L"Morva Paper List"); }
    static void TearDownTestSuite()
    {
        delete printer_;
        printer_ = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(printer_->ok()) << std::string(printer_->error().begin(), printer_->error().end());
        for (const ExtraForm& f : kExtraForms)
            ASSERT_TRUE(EnsureSpoolerForm(printer_->handle(), f.name, f.width, f.height, f.area));
        ASSERT_TRUE(DeleteSpoolerForm(printer_->handle(), kModelName));
        ASSERT_TRUE(EnsureSpoolerForm(printer_->handle(), kLowerCaseForm, 210000, 297000, {0, 0, 210000, 297000}));
        ASSERT_TRUE(printer_->WriteSiteConfiguration("[DME,1]\nformdb.mode=1\n"));
        printerSettings_.fill(0);
        ASSERT_EQ(WriteSettingNumber(5201, nullptr, printerSettings_.data(), 1), 1);
    }
    void TearDown() override { printer_->RemoveSiteConfiguration(); }

    ContextPtr OpenWithList()
    {
        ContextPtr context(OpenSettingsContext(printer_->handle()));
        EXPECT_TRUE(context);
        if (context) {
            EXPECT_EQ(BuildPaperList(printer_->handle(), context.get(), printerSettings_.data()), 1);
        }
        return context;
    }

    static ModelPrinter* printer_;
    std::array<uint8_t, kPrinterSettingsRecordSize> printerSettings_;
};
ModelPrinter* PaperListTest::printer_ = nullptr;

uint16_t Count(const SettingsContext* context, int kind)
{
    uint16_t count = 0xFFFF;
    EXPECT_EQ(GetPaperListCount(context, &count, kind), kPaperListOk) << kind;
    return count;
}

TEST_F(PaperListTest, ModelPapersJoinedToForms)
{
    ContextPtr context = OpenWithList();
    ASSERT_TRUE(context);
    ASSERT_EQ(HasPaperList(context.get()), 1);
    EXPECT_EQ(Count(context.get(), kPaperCountModel), kModelPapers);
    const uint16_t users = Count(context.get(), kPaperCountUser);
    EXPECT_EQ(users, kRoom - kModelPapers) << "the room limits the user forms";
    EXPECT_EQ(Count(context.get(), kPaperCountAll), kModelPapers + users);
    EXPECT_EQ(Count(context.get(), kPaperCountAllButCustom), kModelPapers + users - 1);

    // Letter is the spooler's first form, A4 its ninth.
    const struct {
        uint16_t paper;
        uint16_t form;
        const wchar_t* name;
        int32_t width, height;
    } cases[] = {
        {1, 1, L"Letter", 2159, 2794},
        {9, 9, L"A4", 2100, 2970},
        {256, 0, L"Custom Size", 2100, 2970},
        {512, 2, L"Letter Small", 2159, 2794},  // the first fitting form no model paper names
    };
    for (const auto& c : cases) {
        uint16_t form = 0xFFFF;
        EXPECT_EQ(FindPaperListEntry(context.get(), kPaperKeyPaperNumber, &c.paper, kPaperOutFormNumber, &form),
                  kPaperListOk);
        EXPECT_EQ(form, c.form) << c.paper;
        const wchar_t* name = nullptr;
        EXPECT_EQ(FindPaperListEntry(context.get(), kPaperKeyPaperNumber, &c.paper, kPaperOutName, &name),
                  kPaperListOk);
        EXPECT_STREQ(name, c.name);
        int32_t size[2] = {};
        EXPECT_EQ(FindPaperListEntry(context.get(), kPaperKeyFormNumber, &c.form, kPaperOutSize, size), kPaperListOk);
        EXPECT_EQ(size[0], c.width) << c.paper;
        EXPECT_EQ(size[1], c.height) << c.paper;
    }
}

TEST_F(PaperListTest, UserFormsFitTheUserSizeRangeAndNameNoModelPaper)
{
    ContextPtr context = OpenWithList();
    ASSERT_TRUE(context);
    const uint16_t all = Count(context.get(), kPaperCountAll);
    for (int i = kModelPapers; i < all; ++i) {
        uint16_t paper = 0;
        const wchar_t* name = nullptr;
        int32_t size[2] = {};
        ASSERT_EQ(GetPaperListEntry(context.get(), i, kPaperOutPaperNumber, &paper), kPaperListOk);
        ASSERT_EQ(GetPaperListEntry(context.get(), i, kPaperOutName, &name), kPaperListOk);
        ASSERT_EQ(GetPaperListEntry(context.get(), i, kPaperOutSize, size), kPaperListOk);
        EXPECT_EQ(paper, 512 + (i - kModelPapers));
        // User-size limits of paper 262: 1000..3048 x 1480..4572.
        EXPECT_TRUE(size[0] >= 1000 && size[0] <= 3048 && size[1] >= 1480 && size[1] <= 4572) << name;
        EXPECT_NE(std::wstring(name), L"Ledger") << "too wide";
        EXPECT_NE(_wcsicmp(name, kModelName), 0) << "a form of a model paper's name is no user form";
        EXPECT_NE(_wcsicmp(name, L"A4"), 0);
    }
    uint16_t paper = 0;
    EXPECT_EQ(GetPaperListEntry(context.get(), all, kPaperOutPaperNumber, &paper), kPaperListNotFound);
    EXPECT_EQ(GetPaperListEntry(context.get(), -1, kPaperOutPaperNumber, &paper), kPaperListNotFound);
}

TEST_F(PaperListTest, JoinIgnoresCaseButNameLookupDoesNot)
{
    ContextPtr context = OpenWithList();
    ASSERT_TRUE(context);
    uint16_t paper = 0;
    EXPECT_EQ(FindPaperListEntry(context.get(), kPaperKeyName, kModelName, kPaperOutPaperNumber, &paper), kPaperListOk);
    EXPECT_EQ(paper, kModelCode);
    EXPECT_EQ(FindPaperListEntry(context.get(), kPaperKeyName, kLowerCaseForm, kPaperOutPaperNumber, &paper),
              kPaperListNotFound);
    EXPECT_EQ(FindPaperListEntry(context.get(), kPaperKeyName, L"A4", kPaperOutPaperNumber, &paper), kPaperListOk);
    EXPECT_EQ(paper, 9);
    EXPECT_EQ(FindPaperListEntry(context.get(), kPaperKeyName, L"a4", kPaperOutPaperNumber, &paper),
              kPaperListNotFound);
}

TEST_F(PaperListTest, GeometryOfAFormWithMargins)
{
    ContextPtr context = OpenWithList();
    ASSERT_TRUE(context);
    int32_t size[2], extent[2], leftBottom[2], rightTop[2];
    ASSERT_EQ(GetPaperEntryGeometry(context.get(), 262, size, extent, leftBottom, rightTop), kPaperListOk);
    EXPECT_EQ(size[0], 2100);
    EXPECT_EQ(size[1], 2970);
    EXPECT_EQ(extent[0], 2000);
    EXPECT_EQ(extent[1], 2870);
    EXPECT_EQ(leftBottom[0], 50);
    EXPECT_EQ(leftBottom[1], 50);
    EXPECT_EQ(rightTop[0], 50);
    EXPECT_EQ(rightTop[1], 50);
    // The free custom size: the record's size less its margins of 42.
    ASSERT_EQ(GetPaperEntryGeometry(context.get(), 256, size, extent, leftBottom, rightTop), kPaperListOk);
    EXPECT_EQ(extent[0], 2100 - 84);
    EXPECT_EQ(extent[1], 2970 - 84);
    EXPECT_EQ(rightTop[1], 42);
    EXPECT_EQ(GetPaperEntryGeometry(context.get(), 4242, size, nullptr, nullptr, nullptr), kPaperListNotFound);
}

TEST_F(PaperListTest, ArraysWithAndWithoutTheCustomSize)
{
    ContextPtr context = OpenWithList();
    ASSERT_TRUE(context);
    const uint16_t all = Count(context.get(), kPaperCountAll);
    void* block = nullptr;
    uint32_t bytes = 0;
    void* slot = reinterpret_cast<void*>(1);
    ASSERT_EQ(GetPaperListArray(context.get(), kPaperOutFormNumber, &block, &bytes, 1, &slot), kPaperListOk);
    ASSERT_EQ(bytes, all * sizeof(uint16_t));
    auto* forms = static_cast<uint16_t*>(block);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(*static_cast<uint16_t*>(slot), 0);
    EXPECT_EQ(static_cast<uint16_t*>(slot) - forms, kModelPapers - 6) << "Custom Size stands before the user papers";
    EXPECT_EQ(forms[0], 1);
    GlobalFree(block);

    ASSERT_EQ(GetPaperListArray(context.get(), kPaperOutName, &block, &bytes, 0, &slot), kPaperListOk);
    EXPECT_EQ(slot, nullptr);
    ASSERT_EQ(bytes, (all - 1) * kPaperNameChars * sizeof(wchar_t));
    auto* names = static_cast<wchar_t(*)[kPaperNameChars]>(block);
    for (uint16_t i = 0; i + 1 < all; ++i)
        EXPECT_NE(std::wstring(names[i]), L"Custom Size");
    GlobalFree(block);

    ASSERT_EQ(GetPaperListArray(context.get(), kPaperOutSize, &block, &bytes, 0, nullptr), kPaperListOk);
    EXPECT_EQ(static_cast<int32_t*>(block)[0], 2159);
    EXPECT_EQ(static_cast<int32_t*>(block)[1], 2794);
    GlobalFree(block);

    EXPECT_EQ(GetPaperListArray(context.get(), 5, &block, &bytes, 0, nullptr), kPaperListBadArgument);
    EXPECT_EQ(GetPaperListArray(context.get(), kPaperOutSize, nullptr, &bytes, 0, nullptr), kPaperListBadArgument);
}

TEST_F(PaperListTest, AModelPaperWithoutAFormFailsTheBuild)
{
    ASSERT_TRUE(DeleteSpoolerForm(printer_->handle(), kLowerCaseForm));
    ContextPtr context(OpenSettingsContext(printer_->handle()));
    ASSERT_TRUE(context);
    EXPECT_EQ(BuildPaperList(printer_->handle(), context.get(), printerSettings_.data()), 0);
    EXPECT_EQ(HasPaperList(context.get()), 0);
    uint16_t count = 0;
    EXPECT_EQ(GetPaperListCount(context.get(), &count, kPaperCountAll), kPaperListNone);
}

TEST_F(PaperListTest, NoListWithoutTheSwitches)
{
    const struct {
        const char* config;
        uint32_t setting5201;
    } cases[] = {
        {"[DME,1]\nformdb.mode=1\n", 0},
        {"[DME,1]\nformdb.mode=0\n", 1},
        {"[default]\nduplex.default=1\n", 1},
        {nullptr, 1},
    };
    for (const auto& c : cases) {
        if (c.config != nullptr)
            ASSERT_TRUE(printer_->WriteSiteConfiguration(c.config));
        else
            printer_->RemoveSiteConfiguration();
        ASSERT_EQ(WriteSettingNumber(5201, nullptr, printerSettings_.data(), c.setting5201), 1);
        ContextPtr context(OpenSettingsContext(printer_->handle()));
        ASSERT_TRUE(context);
        EXPECT_EQ(GetCustomPaperSizeValue(context.get(), printerSettings_.data()), 0u);
        EXPECT_EQ(BuildPaperList(printer_->handle(), context.get(), printerSettings_.data()), 1);
        EXPECT_EQ(HasPaperList(context.get()), 0);
        uint16_t value = 0;
        const wchar_t* name = nullptr;
        void* block = nullptr;
        EXPECT_EQ(GetPaperListCount(context.get(), &value, kPaperCountAll), kPaperListNone);
        EXPECT_EQ(FindPaperListEntry(context.get(), kPaperKeyName, L"A4", kPaperOutName, &name), kPaperListNone);
        EXPECT_EQ(GetPaperListEntry(context.get(), 0, kPaperOutPaperNumber, &value), kPaperListNone);
        EXPECT_EQ(GetPaperListArray(context.get(), kPaperOutPaperNumber, &block, nullptr, 1, nullptr),
                  kPaperListNone);
        EXPECT_EQ(GetPaperEntryGeometry(context.get(), 9, nullptr, nullptr, nullptr, nullptr), kPaperListNone);
        EXPECT_EQ(FreePaperList(context.get()), kPaperListOk);
    }
}

TEST_F(PaperListTest, ArgumentsAndMissingContext)
{
    ContextPtr context = OpenWithList();
    ASSERT_TRUE(context);
    EXPECT_EQ(BuildPaperList(nullptr, context.get(), printerSettings_.data()), 0);
    EXPECT_EQ(HasPaperList(context.get()), 0) << "a refused build leaves no list";
    EXPECT_EQ(BuildPaperList(printer_->handle(), context.get(), nullptr), 0);
    EXPECT_EQ(BuildPaperList(printer_->handle(), nullptr, printerSettings_.data()), kPaperListNoContext);
    EXPECT_EQ(BuildPaperList(printer_->handle(), context.get(), printerSettings_.data()), 1);
    uint16_t value = 0;
    EXPECT_EQ(GetPaperListCount(nullptr, &value, kPaperCountAll), kPaperListNoContext);
    EXPECT_EQ(GetPaperListCount(context.get(), nullptr, kPaperCountAll), kPaperListBadArgument);
    EXPECT_EQ(GetPaperListCount(context.get(), &value, 5), kPaperListBadArgument);
    const uint16_t key = 9;
    EXPECT_EQ(FindPaperListEntry(context.get(), 4, &key, kPaperOutName, &value), kPaperListBadArgument);
    EXPECT_EQ(FindPaperListEntry(context.get(), kPaperKeyPaperNumber, &key, 5, &value), kPaperListBadArgument);
    EXPECT_EQ(FindPaperListEntry(context.get(), kPaperKeyPaperNumber, &key, kPaperOutName, nullptr),
              kPaperListBadArgument);
    EXPECT_EQ(FindPaperListEntry(nullptr, kPaperKeyPaperNumber, &key, kPaperOutName, &value), kPaperListNoContext);
    EXPECT_EQ(FreePaperList(nullptr), kPaperListNoContext);
    EXPECT_EQ(FreePaperList(context.get()), kPaperListOk);
    EXPECT_EQ(FreePaperList(context.get()), kPaperListOk);
}

TEST(PaperListService, AnswersThatItIsNotAvailable)
{
    int a, b, c, d;
    EXPECT_EQ(CreateServiceRequest(&a, &b, &c, &d), kPaperListBadArgument);
    EXPECT_EQ(CreateServiceRequest(nullptr, &b, &c, &d), kPaperListNoContext);
    EXPECT_EQ(CreateServiceRequest(&a, &b, &c, nullptr), kPaperListNoContext);
    EXPECT_EQ(ReturnNotAvailable(&a), kPaperListBadArgument);
    EXPECT_EQ(ReturnNotSupported(&a, &b), kPaperListNotSupported);
    EXPECT_EQ(FreeServiceRequest(nullptr), kPaperListNoContext);
    auto* request = static_cast<ServiceRequest*>(GlobalAlloc(GPTR, sizeof(ServiceRequest)));
    request->buffer = GlobalAlloc(GPTR, 32);
    EXPECT_EQ(FreeServiceRequest(request), kPaperListOk);
}

}  // namespace
