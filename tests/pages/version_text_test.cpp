// The version line of the logo and version dialog: which number stands for the
// model data's version, and the line as the resource format builds it.
#include "ui/pages/version_text.h"

#include "common/context/settings_context.h"
#include "common/model/model_data.h"
#include "common/system/module_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

TEST(VersionText, ModelVersionNumber)
{
    const struct {
        uint32_t packed;
        uint32_t shown;
    } cases[] = {
        {0x02080005, 5},          {0x02090005, 0x02090005}, {0x0208FFFF, 0xFFFF},
        {0x03080005, 0x03080005}, {0x02070001, 0x02070001}, {0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ModelVersionNumber(c.packed), c.shown) << std::hex << c.packed;
}

TEST(VersionText, BuildsTheLineFromTheResourceFormat)
{
    ASSERT_NE(GetResourceModule(), nullptr);
    ModelDataRecord main{};
    SettingsContext context{};
    context.main = &main;
    wchar_t* text = reinterpret_cast<wchar_t*>(1);
    EXPECT_EQ(BuildVersionString(&context, &text, 1, false), 0);  // no model data loaded
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(BuildVersionString(nullptr, &text, 1, false), 0);

    static const int loaded = 1;
    main.loaded = &loaded;
    main.packedVersion = 0x02080005;
    ASSERT_EQ(BuildVersionString(&context, &text, 0, false), 1);
    EXPECT_EQ(std::wstring(text), L"Version 2.8.1.1 (model data 5, 1033-0, 02080101)");
    GlobalFree(text);
    main.packedVersion = 0x02090005;
    ASSERT_EQ(BuildVersionString(&context, &text, 2, true), 1);
    EXPECT_EQ(std::wstring(text), L"Ver. 2.8.1.1 (2090005, 1033-2, 02080101)");
    GlobalFree(text);
}
