#include "tests/support/settings_pair_fixture.h"

#include "common/context/value_by_type.h"
#include "common/defaults/setting_defaults.h"
#include "common/settings/value_operations.h"

#include <cwchar>

void SettingsPairTest::Open(ModelPrinter* printer)
{
    printer_ = printer;
    ASSERT_TRUE(printer && printer->ok());
    context_ = OpenSettingsContext(printer->handle());
    ASSERT_NE(context_, nullptr);
    ASSERT_EQ(FillDefaultSettings(context_, settings_.data(), printer_settings_.data(), L"Settings"), 1);
}

void SettingsPairTest::TearDown()
{
    if (context_)
        CloseSettingsContext(context_);
    context_ = nullptr;
}

void SettingsPairTest::Set(uint16_t id, uint32_t value)
{
    ASSERT_EQ(WriteSettingNumber(id, settings_.data(), printer_settings_.data(), value), 1) << id;
}

void SettingsPairTest::SetText(uint16_t id, const wchar_t* text)
{
    const auto bytes = static_cast<uint32_t>((wcslen(text) + 1) * sizeof(wchar_t));
    ASSERT_EQ(SetFunctionIdValueArgs(settings_.data(), printer_settings_.data(), id, kTypeString, bytes, text), 0)
        << id;
}

uint32_t SettingsPairTest::Get(uint16_t id)
{
    uint32_t value = 0xDEADBEEF;
    EXPECT_EQ(ReadSettingNumber(id, settings_.data(), printer_settings_.data(), &value), 1) << id;
    return value;
}
