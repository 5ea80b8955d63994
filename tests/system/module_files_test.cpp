#include "common/system/module_files.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The test program carries the libraries' own string table, so it stands in for a
// main library: its directory is the driver directory and morvares.dll lies there.
class ModuleFiles : public ::testing::Test {
protected:
    void SetUp() override { SetModuleHandle(GetModuleHandleW(nullptr)); }
    void TearDown() override
    {
        while (GetResourceModuleCount() > 0)
            ReleaseResourceModule();
    }
};

std::wstring ProgramDirectory()
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring text(path);
    return text.substr(0, text.rfind(L'\\') + 1);
}

TEST_F(ModuleFiles, DriverDirectoryIsTheModulesFolderWithItsBackslash)
{
    wchar_t directory[kDriverDirectoryChars] = {};
    ASSERT_EQ(GetDriverDirectory(directory, sizeof(directory)), 1);
    EXPECT_EQ(std::wstring(directory), ProgramDirectory());
    EXPECT_EQ(GetModuleHandleOfDriver(), GetModuleHandleW(nullptr));
}

TEST_F(ModuleFiles, DriverDirectoryNeedsA520ByteBuffer)
{
    wchar_t directory[kDriverDirectoryChars] = {};
    EXPECT_EQ(GetDriverDirectory(directory, 520), 1);
    EXPECT_EQ(GetDriverDirectory(directory, 519), 0);
    EXPECT_EQ(GetDriverDirectory(nullptr, 520), 0);
}

TEST_F(ModuleFiles, ResourceFileIsCountedAndFreedAtTheLastRelease)
{
    ASSERT_EQ(GetModuleHandleW(L"morvares.dll"), nullptr);
    LoadResourceModule();
    LoadResourceModule();
    EXPECT_EQ(GetResourceModuleCount(), 2u);
    ASSERT_NE(GetModuleHandleW(L"morvares.dll"), nullptr);
    ReleaseResourceModule();
    EXPECT_NE(GetModuleHandleW(L"morvares.dll"), nullptr);
    ReleaseResourceModule();
    EXPECT_EQ(GetModuleHandleW(L"morvares.dll"), nullptr);
    ReleaseResourceModule();  // a count of 0 stays 0
    EXPECT_EQ(GetResourceModuleCount(), 0u);
}

TEST_F(ModuleFiles, GetResourceModuleLoadsOnDemandAsOneReference)
{
    HMODULE module = GetResourceModule();
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(GetResourceModuleCount(), 1u);
    EXPECT_EQ(GetResourceModule(), module);  // already held: no new reference
    EXPECT_EQ(GetResourceModuleCount(), 1u);
    ReleaseResourceModule();
    EXPECT_EQ(GetModuleHandleW(L"morvares.dll"), nullptr);
}

TEST_F(ModuleFiles, MissingResourceFileLeavesNoReferenceAndIsRetried)
{
    // A module without the own string table names no resource file.
    SetModuleHandle(GetModuleHandleW(L"kernel32.dll"));
    LoadResourceModule();
    EXPECT_EQ(GetResourceModuleCount(), 0u);
    EXPECT_EQ(GetResourceModule(), nullptr);
    uint16_t language = 7;
    EXPECT_EQ(GetUiLanguageId(&language), 0);
    EXPECT_EQ(language, 7);
    wchar_t name[40];
    ASSERT_EQ(FormatUserDefinedName(2, name, 40), 1);
    EXPECT_STREQ(name, L"\u30E6\u30FC\u30B6\u30FC\u5B9A\u7FA93");
    SetModuleHandle(GetModuleHandleW(nullptr));
    LoadResourceModule();
    EXPECT_EQ(GetResourceModuleCount(), 1u);
}

TEST_F(ModuleFiles, StringsOfTheResourceFile)
{
    uint16_t language = 0;
    ASSERT_EQ(GetUiLanguageId(&language), 1);
    EXPECT_EQ(language, 1033);

    wchar_t name[40];
    ASSERT_EQ(FormatUserDefinedName(0, name, 40), 1);
    EXPECT_STREQ(name, L"User Paper 1");
    ASSERT_EQ(FormatUserDefinedName(19, name, 40), 1);
    EXPECT_STREQ(name, L"User Paper 20");
    // A short buffer is cut, never overrun, and the number stays whole so that
    // the twenty names stay apart.
    wchar_t small[6];
    ASSERT_EQ(FormatUserDefinedName(19, small, 6), 1);
    EXPECT_STREQ(small, L"Use20");
    ASSERT_EQ(FormatUserDefinedName(0, small, 6), 1);
    EXPECT_STREQ(small, L"User1");
    wchar_t tiny[2];
    EXPECT_EQ(FormatUserDefinedName(19, tiny, 2), 0);
    EXPECT_EQ(FormatUserDefinedName(0, nullptr, 40), 0);
}

}  // namespace
