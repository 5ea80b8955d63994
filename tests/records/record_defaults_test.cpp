#include "common/records/record_defaults.h"

#include "common/defaults/setting_defaults.h"
#include "common/settings/value_types.h"
#include "common/store/printer_data.h"
#include "common/store/settings_blobs.h"
#include "tests/records/model_records_fixture.h"
#include "tests/support/model_printer.h"
#include "tests/support/spooler_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kBase[] = L"Software\\MorvaRecordsTest\\Defaults\\";

std::vector<uint8_t> ModelDefaultPrivatePart(SettingsContext* context)
{
    std::vector<uint8_t> settings(kSettingsRecordSize, 0);
    EXPECT_EQ(FillDefaultSettings(context, settings.data(), nullptr, L"DummyName"), 1);
    return std::vector<uint8_t>(settings.begin() + kPrivatePartOffset, settings.end());
}

class RecordDefaultsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer_.ok()) << std::string(printer_.error().begin(), printer_.error().end());
        ASSERT_TRUE(context_);
        expected_ = ModelDefaultPrivatePart(context_.get());
    }

    ResourceModuleReference resources_;
    ModelPrinter printer_{L"C4530.DDD", L"Morva Records Defaults"};
    ContextPtr context_{OpenSettingsContext(printer_.handle())};
    std::vector<uint8_t> expected_;
};

TEST_F(RecordDefaultsTest, PrivatePartIsTheModelsDefault)
{
    std::vector<uint8_t> part(kPrivatePartSize, 0x77);
    ASSERT_EQ(GetDefaultPrivateSettings(printer_.handle(), part.data()), 1);
    EXPECT_EQ(part, expected_);
    uint16_t version = 0;
    std::memcpy(&version, part.data(), 2);
    EXPECT_EQ(version, kPrivatePartVersion);

    // Without a printer, a destination, or model data: nothing is written.
    std::vector<uint8_t> untouched(kPrivatePartSize, 0x77);
    EXPECT_EQ(GetDefaultPrivateSettings(nullptr, untouched.data()), 0);
    EXPECT_EQ(GetDefaultPrivateSettings(printer_.handle(), nullptr), 0);
    TestPrinter plain(L"Morva Records Defaults Plain");
    ASSERT_TRUE(plain.ok());
    EXPECT_EQ(GetDefaultPrivateSettings(plain.handle(), untouched.data()), 0);
    EXPECT_EQ(untouched, std::vector<uint8_t>(kPrivatePartSize, 0x77));
}

TEST_F(RecordDefaultsTest, OlderStoredPrivatePartIsLaidOverTheModelsDefault)
{
    // A section of an older writer: version below the current one, 4000 bytes.
    constexpr uint32_t kOlderVersion = kPrivatePartVersion - 1;
    constexpr uint32_t kOlderLength = 4000;
    std::vector<uint8_t> blob(sizeof(PrivateSectionHeader) + kOlderLength, 0x3C);
    std::memcpy(blob.data(), kPrivateSectionTag, 16);
    std::memcpy(blob.data() + 16, &kOlderVersion, 4);
    std::memcpy(blob.data() + 20, &kOlderLength, 4);
    ASSERT_EQ(WriteChunkedPrinterData(printer_.handle(), blob.data(), static_cast<uint32_t>(blob.size()), L"N_Dev",
                                      L"N_DevSize"),
              1);

    const SettingsBlobStore store = {printer_.handle(), kBase};  // no defaults given: the model's
    std::vector<uint8_t> part(kPrivatePartSize, 0x77);
    ASSERT_EQ(ReadPrivateSection(store, kBlobsInPrinterData, part.data(), nullptr), 1);
    uint16_t version = 0;
    std::memcpy(&version, part.data(), 2);
    EXPECT_EQ(version, kPrivatePartVersion);
    EXPECT_EQ(std::vector<uint8_t>(part.begin() + 2, part.begin() + kOlderLength),
              std::vector<uint8_t>(kOlderLength - 2, 0x3C));
    EXPECT_EQ(std::vector<uint8_t>(part.begin() + kOlderLength, part.end()),
              std::vector<uint8_t>(expected_.begin() + kOlderLength, expected_.end()));
}

}  // namespace
