#include "common/devmode/devmode_convert.h"

#include "common/records/record_defaults.h"
#include "common/records/settings_records.h"
#include "common/settings/function_ids.h"
#include "common/store/printer_data.h"
#include "common/store/settings_blobs.h"
#include "tests/devmode/devmode_fixture.h"

#include <cstring>
#include <functional>
#include <string>

namespace {

constexpr size_t kPrivateVersionOffset = 220;
constexpr size_t kCommonVersionOffset = 222;
constexpr size_t kModelNameOffset = 224;

struct ConvertCase {
    const char* name;
    std::function<void(Record&)> change;
    int expected;
};

class ConvertTest : public DevmodeTest {};

TEST_F(ConvertTest, DecidesByTheVersionStamps)
{
    const ConvertCase cases[] = {
        {"own record", [](Record&) {}, kConvertCopied},
        {"older common version", [](Record& r) { PutU16(r, kCommonVersionOffset, 8000); }, kConvertCopied},
        {"other model", [](Record& r) { std::memcpy(r.data() + kModelNameOffset, L"OTHER", 12); }, kConvertDefaults},
        {"model name in other case",
         [](Record& r) {
             auto* name = reinterpret_cast<wchar_t*>(r.data() + kModelNameOffset);
             for (int i = 0; i < 32 && name[i]; ++i)
                 name[i] = static_cast<wchar_t>(towlower(name[i]));
         },
         kConvertCopied},
        {"driver extra 68", [](Record& r) { PutU16(r, kDmDriverExtraOffset, 68); }, kConvertDefaults},
        {"same version without the whole common part", [](Record& r) { PutU16(r, kDmDriverExtraOffset, 1383); },
         kConvertDefaults},
        {"same version, extended", [](Record& r) { PutU16(r, kDmDriverExtraOffset, 5704); }, kConvertCopied},
        {"newer private version", [](Record& r) { PutU16(r, kPrivateVersionOffset, 21073); }, kConvertDefaults},
        {"older private version", [](Record& r) { PutU16(r, kPrivateVersionOffset, 21016); }, kConvertMigrated},
        {"oldest migrated version", [](Record& r) { PutU16(r, kPrivateVersionOffset, 20483); }, kConvertMigrated},
        {"older version with a longer driver part",
         [](Record& r) {
             PutU16(r, kPrivateVersionOffset, 21016);
             PutU16(r, kDmDriverExtraOffset, 1400);
         },
         kConvertDefaults},
        {"older version with a shorter driver part",
         [](Record& r) {
             PutU16(r, kPrivateVersionOffset, 21016);
             PutU16(r, kDmDriverExtraOffset, 1000);
         },
         kConvertMigrated},
        {"old layout of the second family", [](Record& r) { PutU16(r, kPrivateVersionOffset, 20482); },
         kConvertMigrated},
        {"old layout holding what it states", [](Record& r) { PutU16(r, kPrivateVersionOffset, 256); },
         kConvertMigrated},
        {"old layout stating less than its settings take",
         [](Record& r) {
             PutU16(r, kPrivateVersionOffset, 256);
             PutU16(r, kDmDriverExtraOffset, 800);
         },
         kConvertDefaults},
        {"version of no known layout", [](Record& r) { PutU16(r, kPrivateVersionOffset, 20000); }, kConvertDefaults},
        {"dmSize 212", [](Record& r) { PutU16(r, kDmSizeOffset, 212); }, kConvertDefaults},
        {"spec version 1024", [](Record& r) { PutU16(r, 64, 1024); }, kConvertDefaults},
    };
    const Record defaults = Defaults();
    Record defaultOutput(defaults.begin(), defaults.begin() + kPrivatePartOffset);
    for (const ConvertCase& c : cases) {
        Record input = defaults;
        SetNumber(input, kFidCopies, 7);
        c.change(input);
        Record output(kPrivatePartOffset, 0xCC);
        DWORD size = kPrivatePartOffset + 100;
        EXPECT_EQ(HandleConvertDevmode(name(), context_.get(), input.data(), output.data(), &size, kConvertDevmode),
                  c.expected)
            << c.name;
        EXPECT_EQ(size, kPrivatePartOffset) << c.name;
        EXPECT_EQ(ValidateDevmodeCoreFields(output.data(), output.size()), 1) << c.name;
        EXPECT_EQ(U16At(output, kCommonVersionOffset), 8705) << c.name;
        EXPECT_EQ(U16At(output, kPrivateVersionOffset), 21072) << c.name;
        if (c.expected == kConvertDefaults)
            EXPECT_EQ(output, defaultOutput) << c.name;
        else
            EXPECT_EQ(Number(output, kFidCopies), 7u) << c.name << ": the input's copies are kept";
    }
}

TEST_F(ConvertTest, SizeAndModeRules)
{
    const Record input = Defaults();
    Record output(kPrivatePartOffset, 0);

    DWORD size = kPrivatePartOffset - 1;
    SetLastError(0);
    EXPECT_EQ(HandleConvertDevmode(name(), context_.get(), input.data(), output.data(), &size, kConvertDevmode),
              kConvertShortBuffer);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(size, kPrivatePartOffset);

    size = kPrivatePartOffset - 1;
    EXPECT_EQ(HandleConvertDevmode(name(), context_.get(), nullptr, output.data(), &size, kConvertDriverDefault),
              kConvertShortBuffer);
    EXPECT_EQ(size, kPrivatePartOffset);

    SetLastError(0);
    EXPECT_EQ(HandleConvertDevmode(name(), context_.get(), input.data(), output.data(), nullptr, kConvertDevmode),
              kConvertFailed);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    size = kPrivatePartOffset;
    EXPECT_EQ(HandleConvertDevmode(name(), nullptr, input.data(), output.data(), &size, kConvertDevmode),
              kConvertFailed);
    EXPECT_EQ(HandleConvertDevmode(name(), context_.get(), nullptr, output.data(), &size, kConvertDevmode),
              kConvertFailed);
    EXPECT_EQ(HandleConvertDevmode(name(), context_.get(), input.data(), nullptr, &size, kConvertDevmode),
              kConvertFailed);
    EXPECT_EQ(HandleConvertDevmode(name(), context_.get(), input.data(), output.data(), &size, 2), kConvertFailed);

    Record changed = input;
    SetNumber(changed, kFidCopies, 9);
    size = 5000;
    EXPECT_EQ(HandleConvertDevmode(name(), context_.get(), changed.data(), output.data(), &size,
                                   kConvertDriverDefault),
              kConvertDefaults);
    EXPECT_EQ(size, kPrivatePartOffset);
    EXPECT_EQ(output, Record(input.begin(), input.begin() + kPrivatePartOffset));
}

}  // namespace

namespace {

// Before 20485 some settings were kept with the printer: a migrated record takes
// them from the printer settings, and its private part is stored as the printer's.
TEST_F(ConvertTest, OlderRecordsTakePrinterWideSettings)
{
    Record printerSettings(kPrinterSettingsRecordSize, 0);
    ASSERT_EQ(FillDefaultPrinterSettingsRecord(context_.get(), printerSettings.data()), 1);
    SetPrinterNumber(printerSettings, 5651, 3);
    SetPrinterNumber(printerSettings, 5653, 77);
    ASSERT_EQ(WritePrinterDataTable(handle(), printerSettings.data(), kPrinterSettingsRecordSize,
                                    kPrinterSettingsTable),
              1);
    Record input = Defaults();
    PutU16(input, 220, 20484);
    Record output(kPrivatePartOffset, 0);
    DWORD size = kPrivatePartOffset;
    ASSERT_EQ(HandleConvertDevmode(name(), context_.get(), input.data(), output.data(), &size, kConvertDevmode),
              kConvertMigrated);
    EXPECT_EQ(Number(output, 456), 3u);

    Record stored(kSettingsRecordSize, 0);
    const SettingsBlobStore store{handle(), nullptr};
    ASSERT_EQ(ReadPrivateSection(store, kBlobsInPrinterData, stored.data() + kPrivatePartOffset, nullptr), 1);
    EXPECT_EQ(Number(stored, 1859), 77u);

    ASSERT_EQ(FillDefaultPrinterSettingsRecord(context_.get(), printerSettings.data()), 1);
    ASSERT_EQ(WritePrinterDataTable(handle(), printerSettings.data(), kPrinterSettingsRecordSize,
                                    kPrinterSettingsTable),
              1);
}

}  // namespace
