#include "tests/devmode/devmode_fixture.h"

#include "common/devmode/devmode_convert.h"
#include "common/devmode/setting_numbers.h"
#include "common/records/context_sources.h"
#include "common/records/printer_settings_record.h"
#include "common/settings/unaligned_bytes.h"
#include "common/system/module_files.h"

ModelPrinter* DevmodeTest::printer_ = nullptr;

namespace {
bool g_resources = false;
}

void DevmodeTest::SetUpTestSuite()
{
    // The resource file is referenced while the program is still its own
    // driver library, before the printer makes morvares the driver module.
    if (!g_resources) {
        LoadResourceModule();
        g_resources = true;
    }
    if (!printer_)
        printer_ = new ModelPrinter(L"C4530.DDD", L"Morva Devmode Test");
}

void DevmodeTest::TearDownTestSuite() {}

void DevmodeTest::SetUp()
{
    ASSERT_TRUE(printer_->ok()) << std::string(printer_->error().begin(), printer_->error().end());
    context_.reset(OpenSettingsContext(printer_->handle()));
    ASSERT_TRUE(context_);
}

Record DevmodeTest::Defaults()
{
    Record record(kSettingsRecordSize, 0);
    EXPECT_EQ(FillDevmodeDefaults(context_.get(), name(), record.data()), 1);
    return record;
}

Record DevmodeTest::PrinterSettings()
{
    Record record(kPrinterSettingsRecordSize, 0);
    ContextSettingsSources sources;
    EXPECT_EQ(GatherContextSettingsSources(context_.get(), &ConvertOlderPrinterSettingsRecord, &sources), 1);
    EXPECT_EQ(LoadPrinterSettingsRecord(handle(), record.data(), sources.sources), 1);
    ReleaseContextSettingsSources(&sources);
    return record;
}

uint32_t Number(const Record& record, uint16_t id, Record* printerSettings)
{
    uint32_t value = 0xDEADBEEF;
    EXPECT_TRUE(ReadSettingNumber(id, const_cast<uint8_t*>(record.data()), printerSettings ? printerSettings->data() : nullptr, &value))
        << id;
    return value;
}

void SetNumber(Record& record, uint16_t id, uint32_t value, Record* printerSettings)
{
    ASSERT_TRUE(WriteSettingNumber(id, record.data(), printerSettings ? printerSettings->data() : nullptr, value))
        << id;
}

uint16_t U16At(const Record& record, size_t offset)
{
    return LoadU16(record.data() + offset);
}

void PutU16(Record& record, size_t offset, uint16_t value)
{
    StoreU16(record.data() + offset, value);
}

uint32_t PrinterNumber(const Record& printerSettings, uint16_t id)
{
    uint32_t value = 0xDEADBEEF;
    EXPECT_TRUE(ReadSettingNumber(id, nullptr, const_cast<uint8_t*>(printerSettings.data()), &value)) << id;
    return value;
}

void SetPrinterNumber(Record& printerSettings, uint16_t id, uint32_t value)
{
    ASSERT_TRUE(WriteSettingNumber(id, nullptr, printerSettings.data(), value)) << id;
}
