#include "common/devmode/devmode_convert.h"

#include "common/records/context_sources.h"
#include "common/records/printer_settings_record.h"
#include "common/records/record_defaults.h"
#include "common/settings/function_ids.h"
#include "common/settings/unaligned_bytes.h"
#include "common/store/printer_data.h"
#include "tests/devmode/devmode_fixture.h"

#include <cstring>
#include <random>

namespace {

constexpr uint16_t kCarried = 4364;  // a u16 setting no migration step touches

struct StoredCase {
    const char* name;
    uint16_t version;
    uint16_t size;
    int expected;
};

class PrinterSettingsConvertTest : public DevmodeTest {
protected:
    Record DefaultRecord()
    {
        Record record(kPrinterSettingsRecordSize, 0);
        EXPECT_EQ(FillDefaultPrinterSettingsRecord(context_.get(), record.data()), 1);
        return record;
    }
};

TEST_F(PrinterSettingsConvertTest, DecidesByVersionAndLayoutSize)
{
    const StoredCase cases[] = {
        {"current", 21072, 7964, kMergeCopied},
        {"current with another size", 21072, 7900, kMergeDefaults},
        {"newer", 21073, 7964, kMergeDefaults},
        {"older of the same size", 20992, 7964, kMergeMigrated},
        {"older of its own smaller size", 20544, 7700, kMergeMigrated},
        {"older with a size not its layout's", 20544, 7964, kMergeDefaults},
        {"oldest layout with ten user papers", 16390, 2180, kMergeMigrated},
        {"oldest layout with five user papers", 16389, 1840, kMergeMigrated},
        {"unknown version", 12000, 1840, kMergeDefaults},
    };
    const Record defaults = DefaultRecord();
    for (const StoredCase& c : cases) {
        Record stored = defaults;
        SetPrinterNumber(stored, kCarried, 1234);
        StoreU16(stored.data(), c.size);
        StoreU16(stored.data() + 2, 8000);
        StoreU16(stored.data() + 4, c.version);
        Record output(kPrinterSettingsRecordSize, 0xCC);
        EXPECT_EQ(ConvertOldPrinterSettings(stored.data(), static_cast<uint32_t>(stored.size()), output.data(),
                                            context_.get()),
                  c.expected)
            << c.name;
        EXPECT_EQ(PrinterNumber(output, kFidPrinterSettingsSize), 7964u) << c.name;
        EXPECT_EQ(PrinterNumber(output, kFidPrinterCommonVersion), 8705u) << c.name;
        EXPECT_EQ(PrinterNumber(output, kFidPrinterPrivateVersion), 21072u) << c.name;
        if (c.expected == kMergeDefaults) {
            EXPECT_EQ(output, defaults) << c.name;
        } else if (c.version >= 20480) {
            EXPECT_EQ(PrinterNumber(output, kCarried), 1234u) << c.name;
        }
    }
}

TEST_F(PrinterSettingsConvertTest, OldestLayoutsGiveTheirUserPapers)
{
    Record stored = DefaultRecord();
    StoreU16(stored.data(), 1840);
    StoreU16(stored.data() + 4, 16389);
    StoreU16(stored.data() + 896, 1480);  // width of user paper 1
    StoreU16(stored.data() + 906, 2100);  // its length
    std::memcpy(stored.data() + 916, L"Old paper", 20);
    Record output(kPrinterSettingsRecordSize, 0);
    ASSERT_EQ(ConvertOldPrinterSettings(stored.data(), static_cast<uint32_t>(stored.size()), output.data(),
                                        context_.get()),
              kMergeMigrated);
    EXPECT_EQ(PrinterNumber(output, kFidUserPaperWidthFirst), 1480u);
    EXPECT_EQ(PrinterNumber(output, kFidUserPaperLengthFirst), 2100u);
}

// Stored records with mutated stamps and bytes: every answer is a record in the
// current layout.
TEST_F(PrinterSettingsConvertTest, MutatedStoredRecords)
{
    constexpr uint16_t kVersions[] = {0, 256, 12288, 16384, 16385, 16389, 16390, 16391, 20480, 20482, 20485,
                                      20496, 20497, 20544, 20768, 20800, 21016, 21071, 21072, 21073, 65535};
    constexpr uint16_t kSizes[] = {0, 1066, 1840, 2180, 7700, 7963, 7964, 7965, 65535};
    const Record defaults = DefaultRecord();
    std::mt19937 random(7964);
    int results[3] = {};
    for (int round = 0; round < 1500; ++round) {
        Record stored = defaults;
        for (int i = 0; i < 8; ++i)
            stored[random() % stored.size()] = static_cast<uint8_t>(random());
        StoreU16(stored.data(), kSizes[random() % (sizeof kSizes / sizeof kSizes[0])]);
        StoreU16(stored.data() + 2, static_cast<uint16_t>(random()));
        StoreU16(stored.data() + 4, kVersions[random() % (sizeof kVersions / sizeof kVersions[0])]);
        Record output(kPrinterSettingsRecordSize, 0xCC);
        const int result = ConvertOldPrinterSettings(stored.data(), static_cast<uint32_t>(stored.size()),
                                                     output.data(), context_.get());
        ASSERT_TRUE(result >= kMergeMigrated && result <= kMergeDefaults) << "round " << round;
        ++results[result];
        ASSERT_EQ(PrinterNumber(output, kFidPrinterSettingsSize), 7964u) << "round " << round;
        ASSERT_EQ(PrinterNumber(output, kFidPrinterCommonVersion), 8705u) << "round " << round;
        ASSERT_EQ(PrinterNumber(output, kFidPrinterPrivateVersion), 21072u) << "round " << round;
    }
    EXPECT_GT(results[kMergeMigrated], 0);
    EXPECT_GT(results[kMergeCopied], 0);
    EXPECT_GT(results[kMergeDefaults], 0);
}

TEST_F(PrinterSettingsConvertTest, BadArguments)
{
    Record output(kPrinterSettingsRecordSize, 0);
    const Record stored = DefaultRecord();
    EXPECT_EQ(ConvertOldPrinterSettings(nullptr, 7964, output.data(), context_.get()), kMergeFailed);
    EXPECT_EQ(ConvertOldPrinterSettings(stored.data(), 7964, nullptr, context_.get()), kMergeFailed);
    EXPECT_EQ(ConvertOldPrinterSettings(stored.data(), 7964, output.data(), nullptr), kMergeFailed);
    EXPECT_EQ(ConvertOldPrinterSettings(stored.data(), 4, output.data(), context_.get()), kMergeFailed);
}

// The printer's stored record of an older layout is migrated when it is loaded,
// and the migrated record, not the defaults, is what the load gives.
TEST_F(PrinterSettingsConvertTest, LoadUsesTheMigratedRecord)
{
    Record stored = DefaultRecord();
    SetPrinterNumber(stored, kCarried, 4321);
    StoreU16(stored.data() + 2, 8000);
    StoreU16(stored.data() + 4, 20992);
    ASSERT_EQ(WritePrinterDataTable(handle(), stored.data(), kPrinterSettingsRecordSize, kPrinterSettingsTable), 1);
    const Record loaded = PrinterSettings();
    EXPECT_EQ(PrinterNumber(loaded, kCarried), 4321u);
    EXPECT_EQ(PrinterNumber(loaded, kFidPrinterCommonVersion), 8705u);
    ASSERT_EQ(WritePrinterDataTable(handle(), DefaultRecord().data(), kPrinterSettingsRecordSize,
                                    kPrinterSettingsTable),
              1);
}

}  // namespace
