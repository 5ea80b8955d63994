#include "common/devmode/default_validation.h"

#include "common/settings/function_ids.h"
#include "tests/devmode/devmode_fixture.h"

#include <vector>

namespace {

class DefaultValidationTest : public DevmodeTest {};

std::vector<uint16_t> ListOf(const uint16_t* list)
{
    std::vector<uint16_t> ids;
    for (; list && *list; ++list)
        ids.push_back(*list);
    return ids;
}

TEST_F(DefaultValidationTest, DefaultsOfTheModelHoldTogether)
{
    Record record = Defaults();
    Record printerSettings = PrinterSettings();
    uint16_t* conflicts = reinterpret_cast<uint16_t*>(1);
    EXPECT_EQ(ValidateDefaultSettings(handle(), context_.get(), record.data(), printerSettings.data(), &conflicts),
              kDefaultsValid);
    EXPECT_EQ(conflicts, nullptr);
}

TEST_F(DefaultValidationTest, ConflictingSettingsAreListed)
{
    Record record = Defaults();
    Record printerSettings = PrinterSettings();
    // Duplex on envelopes is refused by the reference model.
    SetNumber(record, kFidPaperSize, 20);
    SetNumber(record, kFidDuplex, 2);
    uint16_t* conflicts = nullptr;
    ASSERT_EQ(ValidateDefaultSettings(handle(), context_.get(), record.data(), printerSettings.data(), &conflicts),
              kDefaultsConflict);
    const std::vector<uint16_t> ids = ListOf(conflicts);
    GlobalFree(conflicts);
    EXPECT_FALSE(ids.empty());
    EXPECT_LE(ids.size(), kMaxReportedConflicts);
    bool duplex = false;
    for (uint16_t id : ids)
        duplex |= id == kFidDuplex;
    EXPECT_TRUE(duplex);
}

TEST_F(DefaultValidationTest, MissingArguments)
{
    Record record = Defaults();
    Record printerSettings = PrinterSettings();
    uint16_t* conflicts = nullptr;
    EXPECT_EQ(ValidateDefaultSettings(handle(), context_.get(), record.data(), printerSettings.data(), nullptr),
              kDefaultsCheckFailed);
    EXPECT_EQ(ValidateDefaultSettings(nullptr, context_.get(), record.data(), printerSettings.data(), &conflicts),
              kDefaultsCheckFailed);
    EXPECT_EQ(ValidateDefaultSettings(handle(), nullptr, record.data(), printerSettings.data(), &conflicts),
              kDefaultsCheckFailed);
    EXPECT_EQ(ValidateDefaultSettings(handle(), context_.get(), nullptr, printerSettings.data(), &conflicts),
              kDefaultsCheckFailed);
    EXPECT_EQ(conflicts, nullptr);
}

}  // namespace
