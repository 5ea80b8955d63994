#include "common/capabilities/device_capabilities.h"

#include "common/capabilities/capability_options.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/records/context_sources.h"
#include "common/records/printer_settings_record.h"
#include "common/devmode/devmode_convert.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/store/printer_data.h"
#include "common/system/module_files.h"
#include "tests/support/model_printer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

class CapabilityTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { printer_ = OpenSuitePrinter(L"C4530.DDD", L"Morva Capabilities C4530"); }
    static void TearDownTestSuite() { CloseSuitePrinter(printer_); }
    void SetUp() override
    {
        ASSERT_TRUE(printer_->ok());
        DeletePrinterDataTable(h(), kPrinterSettingsTable);
    }
    void TearDown() override
    {
        printer_->RemoveSiteConfiguration();
        DeletePrinterDataTable(h(), kPrinterSettingsTable);
    }

    static HANDLE h() { return printer_->handle(); }
    static uint32_t Query(uint16_t index, void* output = nullptr, const void* devmode = nullptr)
    {
        return QueryDeviceCapability(h(), printer_->name().c_str(), index, output, devmode);
    }
    // The printer's settings as stored, brought to the current layout.
    static void LoadStoredPrinterSettings(std::vector<uint8_t>* record)
    {
        SettingsContext* context = OpenSettingsContext(h());
        ASSERT_NE(context, nullptr);
        ContextSettingsSources sources;
        ASSERT_EQ(GatherContextSettingsSources(context, &ConvertOlderPrinterSettingsRecord, &sources), 1);
        ASSERT_EQ(LoadPrinterSettingsRecord(h(), record->data(), sources.sources), 1);
        ReleaseContextSettingsSources(&sources);
        CloseSettingsContext(context);
    }
    // Stores the printer's settings with `id` set to `value`.
    static void StorePrinterSetting(uint16_t id, uint32_t value)
    {
        std::vector<uint8_t> record(kPrinterSettingsRecordSize);
        LoadStoredPrinterSettings(&record);
        if (::testing::Test::HasFatalFailure())
            return;
        ASSERT_EQ(WriteSettingNumber(id, nullptr, record.data(), value), 1) << id;
        ASSERT_EQ(WritePrinterDataTable(h(), record.data(), kPrinterSettingsRecordSize, kPrinterSettingsTable), 1);
    }
    static void StorePrinterText(uint16_t id, const std::wstring& text)
    {
        std::vector<uint8_t> record(kPrinterSettingsRecordSize);
        LoadStoredPrinterSettings(&record);
        if (::testing::Test::HasFatalFailure())
            return;
        const uint32_t bytes = static_cast<uint32_t>((text.size() + 1) * sizeof(wchar_t));
        std::vector<uint8_t> settings(kSettingsRecordSize, 0);
        ASSERT_EQ(SetFunctionIdValueArgs(settings.data(), record.data(), id, kTypeString, bytes, text.c_str()), 0)
            << id;
        ASSERT_EQ(WritePrinterDataTable(h(), record.data(), kPrinterSettingsRecordSize, kPrinterSettingsTable), 1);
    }
    // The model's options of a setting as (value, name).
    static std::vector<std::pair<uint64_t, std::wstring>> Options(uint16_t id)
    {
        std::vector<std::pair<uint64_t, std::wstring>> options;
        SettingsContext* context = OpenSettingsContext(h());
        ForEachOption(context, id, [&](uint16_t, uint64_t v, const wchar_t* name) {
            options.emplace_back(v, name);
            return true;
        });
        CloseSettingsContext(context);
        return options;
    }
    static ModelPrinter* printer_;
};

ModelPrinter* CapabilityTest::printer_ = nullptr;

// The caller's DEVMODE asking for the free custom size.
std::vector<uint8_t> CustomDevmode(short width, short length)
{
    std::vector<uint8_t> bytes(sizeof(DEVMODEW), 0);
    auto* dm = reinterpret_cast<DEVMODEW*>(bytes.data());
    dm->dmSpecVersion = DM_SPECVERSION;
    dm->dmSize = sizeof(DEVMODEW);
    dm->dmFields = DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH;
    dm->dmPaperSize = 256;
    dm->dmPaperWidth = width;
    dm->dmPaperLength = length;
    return bytes;
}

size_t Find(const std::vector<WORD>& codes, WORD code)
{
    return static_cast<size_t>(std::find(codes.begin(), codes.end(), code) - codes.begin());
}

TEST_F(CapabilityTest, FixedAnswersAndUnknownIndexes)
{
    const struct {
        uint16_t index;
        uint32_t answer;
    } cases[] = {
        {DC_TRUETYPE, DCTT_DOWNLOAD | DCTT_SUBDEV}, {DC_ORIENTATION, 90}, {DC_COLLATE, 1},
        {DC_PRINTRATEUNIT, PRINTRATEUNIT_PPM}, {DC_SIZE, 220}, {DC_EXTRA, 1384}, {DC_DRIVER, 8705},
        {DC_BINADJUST, kCapabilityFailed}, {DC_MODEL, kCapabilityFailed}, {0, kCapabilityFailed},
        {20, kCapabilityFailed}, {33, kCapabilityFailed}, {0xFFFF, kCapabilityFailed},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Query(c.index), c.answer) << "index " << c.index;
    wchar_t dependencies[4] = {L'x', L'x', 0, 0};
    EXPECT_EQ(Query(DC_FILEDEPENDENCIES, dependencies), 0u);
    EXPECT_EQ(dependencies[0], L'\0');
    EXPECT_EQ(Query(DC_PRINTRATE), Query(DC_PRINTRATEPPM));
    EXPECT_NE(Query(DC_PRINTRATE), kCapabilityFailed);
    EXPECT_EQ(Query(DC_COLORDEVICE), 1u);  // a colour model
}

TEST_F(CapabilityTest, TheTableHasItsRowsAndClosingRow)
{
    EXPECT_EQ(kCapabilityTable[25].index, 0);
    EXPECT_EQ(kCapabilityTable[25].answer, nullptr);
    for (int i = 0; i < 25; ++i)
        EXPECT_NE(kCapabilityTable[i].answer, nullptr) << i;
}

TEST_F(CapabilityTest, ResolutionsComeOutAsHorizontalThenVertical)
{
    EXPECT_EQ(Query(DC_ENUMRESOLUTIONS), 2u);
    std::vector<LONG> pairs(4, -1);
    ASSERT_EQ(Query(DC_ENUMRESOLUTIONS, pairs.data()), 2u);
    EXPECT_EQ(pairs, (std::vector<LONG>{600, 600, 1200, 600}));
}

TEST_F(CapabilityTest, PapersCountTheCustomSizeOnlyWhenEnabled)
{
    for (const uint32_t enabled : {1u, 0u}) {
        StorePrinterSetting(kFidCustomPaperEnabled, enabled);
        const uint32_t count = Query(DC_PAPERS);
        ASSERT_NE(count, kCapabilityFailed);
        std::vector<WORD> codes(count);
        ASSERT_EQ(Query(DC_PAPERS, codes.data()), count);
        EXPECT_EQ(Find(codes, 256) < count, enabled == 1) << enabled;
        // Options 311 and 312 never reach the spooler.
        EXPECT_EQ(Find(codes, 311), count);
        EXPECT_EQ(Find(codes, 312), count);
        EXPECT_EQ(Query(DC_PAPERNAMES), count);
        EXPECT_EQ(Query(DC_PAPERSIZE), count);
        std::vector<wchar_t> names(count * 64);
        ASSERT_EQ(Query(DC_PAPERNAMES, names.data()), count);
        std::vector<POINT> sizes(count);
        ASSERT_EQ(Query(DC_PAPERSIZE, sizes.data()), count);
        // The spooler knows A4 by its form number; its size is the model's.
        const size_t a4 = Find(codes, DMPAPER_A4);
        ASSERT_LT(a4, count);
        EXPECT_STREQ(&names[a4 * 64], L"A4");
        EXPECT_EQ(sizes[a4].x, 2100);
        EXPECT_EQ(sizes[a4].y, 2970);
    }
}

TEST_F(CapabilityTest, TheCustomSlotTakesTheCallersSizeOnlyWithinLimits)
{
    StorePrinterSetting(kFidCustomPaperEnabled, 1);
    const uint32_t count = Query(DC_PAPERS);
    std::vector<WORD> codes(count);
    ASSERT_EQ(Query(DC_PAPERS, codes.data()), count);
    const size_t custom = Find(codes, 256);
    ASSERT_LT(custom, count);
    std::vector<POINT> own(count);
    ASSERT_EQ(Query(DC_PAPERSIZE, own.data()), count);

    std::vector<uint8_t> inside = CustomDevmode(1500, 2000);
    std::vector<POINT> sizes(count);
    ASSERT_EQ(Query(DC_PAPERSIZE, sizes.data(), inside.data()), count);
    EXPECT_EQ(sizes[custom].x, 1500);
    EXPECT_EQ(sizes[custom].y, 2000);

    std::vector<uint8_t> outside = CustomDevmode(5, 2000);
    ASSERT_EQ(Query(DC_PAPERSIZE, sizes.data(), outside.data()), count);
    EXPECT_EQ(sizes[custom].x, own[custom].x);
    EXPECT_EQ(sizes[custom].y, own[custom].y);
}

// A user paper that has no spooler form of its name still has the size the
// user stored for it.
TEST_F(CapabilityTest, UserPapersWithoutAFormAnswerTheirStoredSize)
{
    std::vector<uint16_t> userPapers;
    for (const auto& option : Options(kFidPaperSize))
        if (option.first >= 262 && option.first <= 266)
            userPapers.push_back(static_cast<uint16_t>(option.first));
    ASSERT_FALSE(userPapers.empty());
    for (uint16_t i = 0; i < 5; ++i) {
        StorePrinterSetting(kFidUserPaperWidthFirst + i, 1000 + 10 * i);
        StorePrinterSetting(kFidUserPaperLengthFirst + i, 1500 + 20 * i);
        StorePrinterText(kFidUserPaperNameFirst + i, L"Formless " + std::to_wstring(i));
    }
    const uint32_t count = Query(DC_PAPERS);
    ASSERT_NE(count, kCapabilityFailed);
    std::vector<WORD> codes(count);
    ASSERT_EQ(Query(DC_PAPERS, codes.data()), count);
    std::vector<POINT> sizes(count);
    ASSERT_EQ(Query(DC_PAPERSIZE, sizes.data()), count);
    for (const uint16_t code : userPapers) {
        const size_t at = Find(codes, code);
        ASSERT_LT(at, count) << code;
        const LONG i = code - 262;
        EXPECT_EQ(sizes[at].x, 1000 + 10 * i) << code;
        EXPECT_EQ(sizes[at].y, 1500 + 20 * i) << code;
    }
}

TEST_F(CapabilityTest, ExtentsPackWidthLowAndLengthHigh)
{
    const uint32_t largest = Query(DC_MAXEXTENT);
    ASSERT_NE(largest, kCapabilityFailed);
    EXPECT_EQ(largest & 0xFFFF, 3048u);  // Tabloid Extra
    EXPECT_EQ(largest >> 16, 4572u);
    // User papers with no size stored and no form of their name do not count.
    const uint32_t smallest = Query(DC_MINEXTENT);
    EXPECT_EQ(smallest & 0xFFFF, 984u);  // Envelope Monarch
    EXPECT_EQ(smallest >> 16, 1480u);    // A6
}

TEST_F(CapabilityTest, BinsReportTheAllowedSourcesWithNamesInTwentyFourSlots)
{
    std::vector<WORD> codes(6);
    ASSERT_EQ(Query(DC_BINS, codes.data()), 6u);
    EXPECT_EQ(codes, (std::vector<WORD>{7, 1, 2, 3, 4, 264}));
    std::vector<wchar_t> names(6 * 24, L'#');
    ASSERT_EQ(Query(DC_BINNAMES, names.data()), 6u);
    EXPECT_STREQ(&names[0], L"Auto Select");
    EXPECT_STREQ(&names[5 * 24], L"Large Capacity Tray");
    for (int i = 0; i < 6; ++i)
        EXPECT_LE(wcslen(&names[i * 24]), 23u);
}

TEST_F(CapabilityTest, MediaReadyNamesEveryPaperOption)
{
    const uint32_t count = Query(DC_MEDIAREADY);
    ASSERT_EQ(count, Options(kFidPaperSize).size());
    std::vector<wchar_t> names(count * 64);
    ASSERT_EQ(Query(DC_MEDIAREADY, names.data()), count);
    EXPECT_STREQ(&names[0], L"Letter");
}

TEST_F(CapabilityTest, DuplexAndStapleFollowThePrinterSettings)
{
    const struct {
        uint16_t index;
        uint16_t id;
        uint32_t value;
        uint32_t answer;
    } cases[] = {
        {DC_DUPLEX, 4103, 0, 0}, {DC_DUPLEX, 4103, 1, 1},
        {DC_STAPLE, 4101, 0, 0}, {DC_STAPLE, 4101, 1, 1},
    };
    StorePrinterSetting(5134, 1);
    for (const auto& c : cases) {
        StorePrinterSetting(c.id, c.value);
        EXPECT_EQ(Query(c.index), c.answer) << c.index << " " << c.value;
    }
    StorePrinterSetting(5134, 0);
    EXPECT_EQ(Query(DC_STAPLE), 0u);
}

// The ceiling the model states is raised to 999 only while printer setting
// 4365 is below the model's default; the query reads the printer settings for it.
TEST_F(CapabilityTest, CopiesFollowThePrinterSettingOfTheCeiling)
{
    SettingsContext* context = OpenSettingsContext(h());
    ASSERT_NE(context, nullptr);
    const uint32_t model = GetModelMaxCopies(context);
    CloseSettingsContext(context);
    StorePrinterSetting(4365, 0);
    EXPECT_EQ(Query(DC_COPIES), 999u);
    StorePrinterSetting(4365, 0xFFFF);
    EXPECT_EQ(Query(DC_COPIES), model);
}

// A map pair whose source is not reported makes no entry: no empty slot at
// the end of the list.
TEST_F(CapabilityTest, TheSourceMapAddsOnlyEntriesOfReportedSources)
{
    ASSERT_TRUE(printer_->WriteSiteConfiguration("[DME,1]\nbin.TRAY1=14\nbin.TRAY4=20\n"));
    StorePrinterSetting(5201, 1);
    std::vector<WORD> codes(10, 0xEEEE);
    const uint32_t count = Query(DC_BINS, codes.data());
    printer_->RemoveSiteConfiguration();
    ASSERT_EQ(count, 7u);
    codes.resize(count);
    EXPECT_EQ(codes, (std::vector<WORD>{7, 1, 2, 3, 4, 264, 14}));

    ASSERT_TRUE(printer_->WriteSiteConfiguration("[DME,1]\nbin.TRAY1=14\nbin.TRAY4=20\n"));
    std::vector<wchar_t> names(10 * 24);
    EXPECT_EQ(Query(DC_BINNAMES, names.data()), 7u);
    printer_->RemoveSiteConfiguration();
    EXPECT_STREQ(&names[6 * 24], L"Tray 1");
}

TEST_F(CapabilityTest, WithoutItsPrinterSettingTheSourceMapIsNotApplied)
{
    ASSERT_TRUE(printer_->WriteSiteConfiguration("[DME,1]\nbin.TRAY1=14\n"));
    StorePrinterSetting(5201, 0);
    const uint32_t count = Query(DC_BINS);
    printer_->RemoveSiteConfiguration();
    EXPECT_EQ(count, 6u);
}

// With two trays installed the model's rule refuses Tray 3 outright (code 6):
// it is no bin the printer offers.
TEST_F(CapabilityTest, ASourceTheRulesRefuseIsNotReported)
{
    StorePrinterSetting(4359, 2);
    std::vector<WORD> codes(10, 0xEEEE);
    const uint32_t count = Query(DC_BINS, codes.data());
    ASSERT_EQ(count, 5u);
    codes.resize(count);
    EXPECT_EQ(codes, (std::vector<WORD>{7, 1, 2, 4, 264}));
    std::vector<wchar_t> names(10 * 24);
    EXPECT_EQ(Query(DC_BINNAMES, names.data()), 5u);
    EXPECT_STREQ(&names[2 * 24], L"Tray 2");
    EXPECT_STREQ(&names[3 * 24], L"Bypass Tray");
    StorePrinterSetting(4359, 3);
    EXPECT_EQ(Query(DC_BINS), 6u);
}

// A source name longer than its slot keeps 23 characters and the terminator; a
// name ends at its carriage return, the blank before it (the first character
// of resource string 2009) going with it.
TEST(CapabilityNames, ALongSourceNameIsCutToItsSlot)
{
    ModelPrinter* printer = OpenSuitePrinter(L"M2200.DDD", L"Morva Capabilities M2200");
    ASSERT_TRUE(printer->ok());
    std::vector<wchar_t> names(4 * 24, L'#');
    const uint32_t count = QueryDeviceCapability(printer->handle(), printer->name().c_str(), DC_BINNAMES,
                                                 names.data(), nullptr);
    std::vector<WORD> codes(4);
    EXPECT_EQ(QueryDeviceCapability(printer->handle(), printer->name().c_str(), DC_BINS, codes.data(), nullptr),
              count);
    CloseSuitePrinter(printer);
    ASSERT_EQ(count, 3u);
    EXPECT_EQ(codes[2], 4);
    EXPECT_STREQ(&names[2 * 24], L"Bypass Tray for Thick E");
    EXPECT_EQ(codes[1], 1);
    EXPECT_STREQ(&names[1 * 24], L"Tray 1");
}

}  // namespace
