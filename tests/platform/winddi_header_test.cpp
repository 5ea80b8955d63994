// The graphics-driver header must compile with our DirectDraw stand-ins, and the
// wine prefix the tests run in must answer the Win32 calls the driver relies on.
#include <windows.h>
#include <winddi.h>
#include <gtest/gtest.h>

TEST(PlatformHeaders, DdiRecordsAreUsable)
{
    DRVENABLEDATA data{};
    data.iDriverVersion = DDI_DRIVER_VERSION_NT4;
    EXPECT_EQ(data.iDriverVersion, 0x20000u);
    EXPECT_EQ(sizeof(POINTFIX), 8u);
}

TEST(PlatformHeaders, WinePrefixHasAWindowsDirectory)
{
    wchar_t dir[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryW(dir, MAX_PATH), 0u);
    EXPECT_NE(GetFileAttributesW(dir), INVALID_FILE_ATTRIBUTES);
}
