#include "common/settings/trace_settings_dump.h"

#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "tests/system/trace_test_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class TraceSettingsDump : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(driver_.loaded());
        TraceTestDriver::DeleteTraceFile();
        SetFunctionIdValueWord(settings_.data(), printer_.data(), kFidCollate, kTypeS16, 2, 1);
        SetFunctionIdValueWord(settings_.data(), printer_.data(), kFidPaperWidth, kTypeS16, 2, 2100);
    }
    void TearDown() override { TraceTestDriver::DeleteTraceFile(); }

    int Dump(uint32_t category, const wchar_t* title = nullptr)
    {
        return TraceDumpSettings(category, title, settings_.data(), printer_.data());
    }
    static bool Has(const std::string& text, const char* line) { return text.find(line) != std::string::npos; }

    TraceTestDriver driver_{L"morva_trace_dump_test"};
    std::vector<uint8_t> settings_ = std::vector<uint8_t>(kSettingsRecordSize);
    std::vector<uint8_t> printer_ = std::vector<uint8_t>(kPrinterSettingsRecordSize);
};

const std::string kSeparator(69, '-');

TEST_F(TraceSettingsDump, Log1FDumpsThePublicIdentifiersOnly)
{
    driver_.Configure("[LOG]\r\nLog=0x1F\r\n");
    EXPECT_EQ(Dump(0, L"<before merge>"), 1);
    const std::string text = TraceTestDriver::ReadTraceFile();
    EXPECT_EQ(text.substr(0, 15 + 70), "<before merge>\n" + kSeparator + "\n");
    EXPECT_TRUE(Has(text, "\n[0x0012] = [1]\n"));     // dmCollate
    EXPECT_TRUE(Has(text, "\n[0x000a] = [2100]\n"));  // dmPaperWidth
    EXPECT_FALSE(Has(text, "[0x0101]"));              // private identifiers need 0x20
    EXPECT_EQ(text.substr(text.size() - 70), kSeparator + "\n");
}

TEST_F(TraceSettingsDump, PrivateIdentifiersWithBit20)
{
    driver_.Configure("[LOG]\r\nLog=0x21\r\n");
    EXPECT_EQ(Dump(0), 1);
    const std::string text = TraceTestDriver::ReadTraceFile();
    EXPECT_FALSE(Has(text, "[0x0012]"));
    EXPECT_TRUE(Has(text, "[0x01"));
}

TEST_F(TraceSettingsDump, CategoriesSelectTheDumpSites)
{
    driver_.Configure("[LOG]\r\nLog=0x10011\r\n");
    EXPECT_EQ(Dump(0x20000), 1);
    EXPECT_EQ(TraceTestDriver::ReadTraceFile(), "<missing>");
    EXPECT_EQ(Dump(0x10000), 1);
    EXPECT_TRUE(Has(TraceTestDriver::ReadTraceFile(), "\n[0x0012] = [1]\n"));
    EXPECT_EQ(TraceDumpSettings(0x10000, nullptr, nullptr, nullptr), 1);
}

TEST_F(TraceSettingsDump, ExtraIdentifiersAloneAreDumped)
{
    driver_.Configure("[LOG]\r\nLog=1\r\nLOGOUT.DDMID=0x12\r\n");
    EXPECT_EQ(Dump(0), 1);
    EXPECT_EQ(TraceTestDriver::ReadTraceFile(), kSeparator + "\n[0x0012] = [1]\n" + kSeparator + "\n");
}

TEST_F(TraceSettingsDump, OnePrivateSetting)
{
    driver_.Configure("[LOG]\r\nLog=5\r\n");
    SetFunctionIdValueWord(settings_.data(), printer_.data(), 257, kTypeU16, 2, 21072);
    EXPECT_EQ(TraceDumpPrivateSetting(nullptr, settings_.data(), 257), 1);
    EXPECT_EQ(TraceTestDriver::ReadTraceFile(), "\n<PrivateDevmode>\nFunctionID:257(0x101)       = 21072\n");
}

}  // namespace
