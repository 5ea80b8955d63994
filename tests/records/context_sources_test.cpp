#include "common/records/context_sources.h"

#include "common/context/settings_context.h"
#include "common/defaults/setting_defaults.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/store/printer_id.h"
#include "common/store/user_store.h"
#include "tests/records/model_records_fixture.h"
#include "tests/support/model_printer.h"
#include "tests/support/spooler_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

int ConvertNothing(void*, const uint8_t*, uint8_t*)
{
    return 0;
}

uint32_t ReadNumber(std::vector<uint8_t>& record, uint16_t id)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (GetFunctionIdValue(id, nullptr, record.data(), &type, &size, &holder) != kSettingOk)
        return 0xFFFFFFFF;
    return static_cast<uint32_t>(holder);
}

TEST(ContextSources, TheContextGivesBasePathNameDefaultsAndEnforcedSettings)
{
    ResourceModuleReference resources;
    ModelPrinter printer(L"C4530.DDD", L"Morva Records Context");
    ASSERT_TRUE(printer.ok()) << std::string(printer.error().begin(), printer.error().end());
    ASSERT_TRUE(printer.WriteSiteConfiguration("[default]\nOption_HardDisk.enforced=1\n"));
    ContextPtr context(OpenSettingsContext(printer.handle()));
    ASSERT_TRUE(context);

    ContextSettingsSources gathered;
    ASSERT_EQ(GatherContextSettingsSources(context.get(), &ConvertNothing, &gathered), 1);
    ASSERT_NE(gathered.basePath, nullptr);
    EXPECT_STREQ(gathered.basePath, L"Software\\Morva\\C4530");  // base 1, not the fax base 0
    ASSERT_NE(gathered.modelName, nullptr);
    EXPECT_STREQ(gathered.modelName, L"MORVA C4530 MFP");
    EXPECT_EQ(gathered.userDefaults.version, 4);
    EXPECT_EQ(gathered.sources.userDefaults, &gathered.userDefaults);

    // No stored record: the model's defaults, then the enforced configuration.
    std::vector<uint8_t> defaults(kPrinterSettingsRecordSize, 0);
    ASSERT_EQ(FillDefaultSettings(context.get(), nullptr, defaults.data(), L"DummyName"), 1);
    ASSERT_EQ(ReadNumber(defaults, 4099), 0u);
    std::vector<uint8_t> record(kPrinterSettingsRecordSize, 0xEE);
    ASSERT_EQ(LoadPrinterSettingsRecord(printer.handle(), record.data(), gathered.sources), 1);
    EXPECT_EQ(ReadNumber(record, 8202), kPrinterSettingsRecordSize);
    EXPECT_EQ(ReadNumber(record, 8203), kPrinterCommonVersionCurrent);
    EXPECT_EQ(ReadNumber(record, 8204), kPrinterPrivateVersionCurrent);
    EXPECT_EQ(ReadNumber(record, 4099), 1u);
    uint64_t enforced = 0;
    uint16_t type = 0;
    uint32_t size = 0;
    ASSERT_EQ(GetFunctionIdValue(4099, nullptr, record.data(), &type, &size, &enforced), kSettingOk);
    ASSERT_EQ(SetFunctionIdValue(4099, nullptr, defaults.data(), type, size, &enforced), kSettingOk);
    EXPECT_EQ(record, defaults);

    // The per-user store of the model's base path.
    ASSERT_EQ(SaveUserSettingInfo(printer.handle(), gathered.basePath, gathered.userDefaults, gathered.userDefaults,
                                  kUserGroupsAll),
              1);
    uint8_t id[kPrinterIdBytes];
    ASSERT_EQ(ReadPrinterId(printer.handle(), id), 1);
    wchar_t path[kUserKeyPathChars];
    ASSERT_EQ(BuildUserSettingsKeyPath(gathered.basePath, id, nullptr, path, kUserKeyPathChars), 1);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, path), ERROR_SUCCESS);

    ReleaseContextSettingsSources(&gathered);
    EXPECT_EQ(gathered.basePath, nullptr);
    EXPECT_EQ(GatherContextSettingsSources(nullptr, &ConvertNothing, &gathered), 0);
}

}  // namespace
