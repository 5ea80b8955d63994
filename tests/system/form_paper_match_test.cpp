#include "common/records/form_paper_match.h"

#include "common/context/settings_context.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "tests/support/model_printer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class FormPaperMatch : public ::testing::Test {
protected:
    static void SetUpTestSuite() { printer_ = new ModelPrinter(L"C4530.DDD", L"Morva System Forms C4530"); }
    static void TearDownTestSuite()
    {
        delete printer_;
        printer_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(printer_->ok()) << std::string(printer_->error().begin(), printer_->error().end()); }

    int Match(uint16_t paper, uint16_t* modelPaper)
    {
        return MatchFormToModelPaper(printer_->handle(), settings_.data(), printer_settings_.data(), paper, modelPaper);
    }

    static ModelPrinter* printer_;
    std::vector<uint8_t> settings_ = std::vector<uint8_t>(kSettingsRecordSize);
    std::vector<uint8_t> printer_settings_ = std::vector<uint8_t>(kPrinterSettingsRecordSize);
};
ModelPrinter* FormPaperMatch::printer_ = nullptr;

TEST_F(FormPaperMatch, FormNamesFindModelPapers)
{
    // The spooler's first form is Letter and its ninth A4; "Letter Small" is
    // not a paper of the model.
    struct Case {
        uint16_t form;
        int result;
        uint16_t modelPaper;
    };
    const Case cases[] = {{1, 1, 1}, {9, 1, 9}, {2, 2, 0}, {0, 10, 0}, {4000, 10, 0}};
    for (const Case& c : cases) {
        uint16_t modelPaper = 77;
        EXPECT_EQ(Match(c.form, &modelPaper), c.result) << c.form;
        EXPECT_EQ(modelPaper, c.modelPaper) << c.form;
    }
}

// A caller that holds the printer's settings context open lends it: the
// answers are those of a context opened for the call, and the lent context
// stays open for the caller, call after call.
TEST_F(FormPaperMatch, LentContextGivesTheSameAnswers)
{
    SettingsContext* context = OpenSettingsContext(printer_->handle());
    ASSERT_NE(context, nullptr);
    for (int round = 0; round < 2; ++round) {
        for (const uint16_t form : {1, 9, 2, 0, 4000}) {
            uint16_t own = 77, lent = 77;
            EXPECT_EQ(MatchFormToModelPaperOfContext(printer_->handle(), context, settings_.data(),
                                                     printer_settings_.data(), form, &lent),
                      Match(form, &own))
                << form;
            EXPECT_EQ(lent, own) << form;
        }
    }
    CloseSettingsContext(context);
}

TEST_F(FormPaperMatch, CustomSizeNeedsBothDimensions)
{
    SetFunctionIdValueWord(settings_.data(), printer_settings_.data(), 5200, kTypeU32, 4, 1);
    SetFunctionIdValueWord(settings_.data(), printer_settings_.data(), kFidFields, kTypeU32, 4, 0xC);
    uint16_t modelPaper = 0;
    EXPECT_EQ(Match(kFreeCustomPaperCode, &modelPaper), 1);
    EXPECT_EQ(modelPaper, kFreeCustomPaperCode);
    // Without dmPaperWidth the number is looked up among the forms like any other.
    SetFunctionIdValueWord(settings_.data(), printer_settings_.data(), kFidFields, kTypeU32, 4, 0x4);
    EXPECT_EQ(Match(kFreeCustomPaperCode, &modelPaper), 10);  // fewer than 256 forms
    EXPECT_EQ(modelPaper, 0);
}

TEST(FormPaperMatchCase, FormNamesMatchWithoutRegardToCase)
{
    // The spooler's ninth form is "A4"; this model's paper is named "a4".
    ModelPrinter printer(L"SYSAPPS.DDD", L"Morva System Forms Apps");
    ASSERT_TRUE(printer.ok()) << std::string(printer.error().begin(), printer.error().end());
    std::vector<uint8_t> settings(kSettingsRecordSize);
    std::vector<uint8_t> printerSettings(kPrinterSettingsRecordSize);
    uint16_t modelPaper = 0;
    EXPECT_EQ(MatchFormToModelPaper(printer.handle(), settings.data(), printerSettings.data(), 9, &modelPaper), 1);
    EXPECT_EQ(modelPaper, 9);
}

}  // namespace
