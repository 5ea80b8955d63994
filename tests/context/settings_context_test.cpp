#include "common/context/settings_context.h"

#include "common/config/site_config.h"
#include "common/model/model_data.h"
#include "common/config/config_field_overrides.h"
#include "tests/support/global_text.h"
#include "tests/context/reference_printers.h"
#include "tests/support/file_port_printer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using ContextTest = ReferencePrinterTest;

TEST_F(ContextTest, OpensWithoutSiteConfiguration)
{
    ContextPtr context(OpenSettingsContext(colour_->handle()));
    ASSERT_TRUE(context);
    EXPECT_NE(context->main->loaded, nullptr);
    EXPECT_NE(context->linked->loaded, nullptr);
    EXPECT_EQ(context->siteConfig, nullptr);
    EXPECT_EQ(context->overrides, nullptr);
    EXPECT_EQ(context->paperList, nullptr);
    uint16_t status = 0xFFFF;
    EXPECT_EQ(TakeGlobalText(GetModelName(context.get(), &status)), L"MORVA C4530 MFP");
    EXPECT_EQ(status, kLookupOk);
    EXPECT_EQ(TakeGlobalText(GetSiteConfigFilePath(context.get())), colour_->siteConfigPath());
    EXPECT_EQ(GetModelMaxCopies(context.get()), 999);
    EXPECT_EQ(GetModelColorKind(context.get()), 2);
    EXPECT_EQ(QueryModelColorKind(context.get()), 2);
    EXPECT_EQ(GetModelByte7(context.get()), 1);
}

TEST_F(ContextTest, ModelWithoutLinkedFileHasNoSiteConfiguration)
{
    ContextPtr context(OpenSettingsContext(mono_->handle()));
    ASSERT_TRUE(context);
    EXPECT_TRUE(mono_->siteConfigPath().empty());
    EXPECT_EQ(TakeGlobalText(GetSiteConfigFilePath(context.get())), L"<null>");
    EXPECT_EQ(context->siteConfig, nullptr);
    EXPECT_EQ(context->overrides, nullptr);
    EXPECT_EQ(TakeGlobalText(GetModelName(context.get(), nullptr)), L"MORVA M2200");
    EXPECT_EQ(GetModelMaxCopies(context.get()), 99);
    EXPECT_EQ(GetModelColorKind(context.get()), 1);
    EXPECT_EQ(GetModelByte7(context.get()), 0);
}

TEST_F(ContextTest, SiteConfigurationOfTheModelSection)
{
    ASSERT_TRUE(colour_->WriteSiteConfiguration("[default]\nduplex.enforced=0\n"
                                                "[morva_c4530_mfp]\nduplex.enforced=1\nDUPLEX_PRINT_LONG=on\n"
                                                "[DME,1]\nformdb.mode=1\nbin.TRAY1=14\n"));
    ContextPtr context(OpenSettingsContext(colour_->handle()));
    ASSERT_TRUE(context);
    ASSERT_NE(context->siteConfig, nullptr);
    ASSERT_EQ(context->siteConfig->settingCount, 1);
    EXPECT_EQ(context->siteConfig->settings[0].value, 1u);
    EXPECT_EQ(context->siteConfig->switchCount, 1);
    EXPECT_EQ(IsSettingEnforced(16, context->siteConfig), 1);
    ASSERT_NE(context->overrides, nullptr);
    EXPECT_EQ(IsOverrideSectionFound(context->overrides), 1u);
    EXPECT_EQ(IsFormDatabaseMode(context->overrides), 1);
}

TEST_F(ContextTest, SiteConfigurationWithoutOverrideSection)
{
    ASSERT_TRUE(colour_->WriteSiteConfiguration("[default]\nstaple.default=9\n"));
    ContextPtr context(OpenSettingsContext(colour_->handle()));
    ASSERT_TRUE(context);
    ASSERT_NE(context->siteConfig, nullptr);
    ASSERT_NE(context->overrides, nullptr);
    EXPECT_EQ(IsOverrideSectionFound(context->overrides), 0u);
    EXPECT_EQ(IsFormDatabaseMode(context->overrides), 0);
}

TEST_F(ContextTest, NoContextWithoutPrinterOrModel)
{
    EXPECT_EQ(OpenSettingsContext(nullptr), nullptr);
    // The placeholder driver's data file is no model data file.
    FilePortPrinter placeholder(L"Morva Context Placeholder");
    ASSERT_TRUE(placeholder.ok());
    EXPECT_EQ(OpenSettingsContext(placeholder.handle()), nullptr);
    CloseSettingsContext(nullptr);
}

TEST_F(ContextTest, NoContextWhenTheLinkedFileIsMissing)
{
    const std::wstring aside = colour_->linkedFile() + L".aside";
    ASSERT_TRUE(MoveFileExW(colour_->linkedFile().c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING));
    SettingsContext* context = OpenSettingsContext(colour_->handle());
    ASSERT_TRUE(MoveFileExW(aside.c_str(), colour_->linkedFile().c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(context, nullptr);
    CloseSettingsContext(context);
    ContextPtr again(OpenSettingsContext(colour_->handle()));
    EXPECT_TRUE(again);
}

TEST_F(ContextTest, LookupsWithoutContext)
{
    uint16_t status = 0;
    EXPECT_EQ(GetModelName(nullptr, &status), nullptr);
    EXPECT_EQ(status, kLookupError);
    EXPECT_EQ(GetSiteConfigFilePath(nullptr), nullptr);
    EXPECT_EQ(GetModelMaxCopies(nullptr), 0);
    EXPECT_EQ(GetModelColorKind(nullptr), -1);
    EXPECT_EQ(GetModelByte7(nullptr), 0xFFFF);
    const struct {
        uint16_t model;
        uint16_t lookup;
    } statuses[] = {{kModelOk, kLookupOk}, {kModelBad, kLookupError}, {kModelAbsent, kLookupAbsent},
                    {kModelNoMemory, kLookupNoMemory}, {3, kLookupError}, {8, kLookupError}};
    for (const auto& s : statuses)
        EXPECT_EQ(LookupStatusOf(s.model), s.lookup) << s.model;
}

}  // namespace
