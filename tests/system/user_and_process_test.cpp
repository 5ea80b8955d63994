#include "common/system/user_and_process.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// The logon name comes from the WINEUSERNAME variable of the process under wine.
class UserName : public ::testing::Test {
protected:
    void SetUp() override
    {
        GetEnvironmentVariableW(L"WINEUSERNAME", saved_, 256);
    }
    void TearDown() override { SetEnvironmentVariableW(L"WINEUSERNAME", saved_); }
    wchar_t saved_[256] = {};
};

std::wstring UserNameFor(const wchar_t* logonName, uint32_t capacity = 64)
{
    SetEnvironmentVariableW(L"WINEUSERNAME", logonName);
    wchar_t buffer[64];
    for (wchar_t& c : buffer)
        c = L'#';
    EXPECT_EQ(GetCurrentUserName(buffer, capacity), 1);
    if (capacity < 64) {
        EXPECT_EQ(buffer[capacity], L'#') << "written past the capacity";
    }
    return buffer;
}

TEST_F(UserName, BlankOrServiceNamesFallBack)
{
    EXPECT_EQ(UserNameFor(L"alice"), L"alice");
    EXPECT_EQ(UserNameFor(L" bob "), L" bob ");
    EXPECT_EQ(UserNameFor(L"\u3000\u3000"), L"UnknownUser");
    EXPECT_EQ(UserNameFor(L"   "), L"UnknownUser");
    // No "DefaultUserName" under Winlogon in the test prefix.
    EXPECT_EQ(UserNameFor(L"system"), L"UnknownUser");
}

TEST_F(UserName, FallbackIsCutToTheCallersBuffer)
{
    EXPECT_EQ(UserNameFor(L"\u3000", 12), L"UnknownUser");
    EXPECT_EQ(UserNameFor(L"\u3000", 8), L"Unknown");
    wchar_t buffer[4];
    EXPECT_EQ(GetCurrentUserName(buffer, 0), 0);
    EXPECT_EQ(GetCurrentUserName(nullptr, 4), 0);
}

TEST(ProcessImage, NameIsTheFilePartOfTheProgram)
{
    wchar_t* name = GetProcessImageName();
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(_wcsicmp(name, L"system_test.exe"), 0) << name;
    GlobalFree(name);
}

}  // namespace
