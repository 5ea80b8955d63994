#include "common/system/os_version.h"
#include "common/system/system_utilities.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(SystemUtilities, LengthConversionsRoundHalfAwayFromZero)
{
    struct Case {
        int32_t tenthMm;
        int32_t hundredthInch;
    };
    // 2100 tenths of a millimetre (A4 width) is 826.77 hundredths of an inch.
    const Case toInch[] = {{0, 0}, {2100, 827}, {-2100, -827}, {254, 100}, {1, 0}, {2, 1}};
    for (const Case& c : toInch)
        EXPECT_EQ(TenthMmToHundredthInch(c.tenthMm), c.hundredthInch) << c.tenthMm;
    const Case toMm[] = {{0, 0}, {2159, 850}, {-2159, -850}, {25, 10}, {3, 1}};
    for (const Case& c : toMm)
        EXPECT_EQ(HundredthInchToTenthMm(c.hundredthInch), c.tenthMm) << c.hundredthInch;
}

TEST(SystemUtilities, SplitHundredthsAndBoundedLength)
{
    uint16_t high = 0, low = 0;
    ASSERT_EQ(SplitHundredths(0, 1234, &high, &low), 1);
    EXPECT_EQ(high, 12);
    EXPECT_EQ(low, 34);
    ASSERT_EQ(SplitHundredths(1, 1234, &high, &low), 1);
    EXPECT_EQ(low, 3);
    EXPECT_EQ(SplitHundredths(0, 1, nullptr, &low), 0);

    EXPECT_EQ(BoundedWideLength(L"abcdef", 4), 4);
    EXPECT_EQ(BoundedWideLength(L"ab", 4), 2);
    EXPECT_EQ(BoundedWideLength(L"ab", 0), 0);
    EXPECT_EQ(BoundedWideLength(nullptr, 4), 0);
}

TEST(SystemUtilities, BoundedCopiesStayInTheirRoom)
{
    const struct {
        const char* text;
        size_t maximum;
        size_t length;
    } lengths[] = {{"abc", 10, 3}, {"abc", 3, 3}, {"abc", 2, 2}, {"", 5, 0}, {nullptr, 5, 0}, {"abc", 0, 0}};
    for (const auto& c : lengths)
        EXPECT_EQ(BoundedStrLen(c.text, c.maximum), c.length) << (c.text ? c.text : "null") << " " << c.maximum;

    // The field is filled whole: the copy, its terminator, zeros after it.
    const struct {
        const wchar_t* text;
        std::wstring field;  // all 5 units
    } copies[] = {{L"abcdefg", std::wstring(L"abcd\0", 5)},
                  {L"abcd", std::wstring(L"abcd\0", 5)},
                  {L"ab", std::wstring(L"ab\0\0\0", 5)},
                  {nullptr, std::wstring(5, L'\0')}};
    for (const auto& c : copies) {
        wchar_t field[6] = {L'Z', L'Z', L'Z', L'Z', L'Z', L'Y'};
        BoundedWideCopy(field, c.text, 5);
        EXPECT_EQ(std::wstring(field, 5), c.field) << (c.text ? c.text : L"null");
        EXPECT_EQ(field[5], L'Y') << "nothing written past the count";
    }
    wchar_t untouched[2] = {L'Z', L'Z'};
    BoundedWideCopy(untouched, L"abc", 0);
    EXPECT_EQ(untouched[0], L'Z');
    BoundedWideCopy(nullptr, L"abc", 4);
}

TEST(SystemUtilities, ClearOutValueAnswersOnlyWithAPlace)
{
    uint32_t out = 0xDEADBEEF;
    EXPECT_EQ(ClearOutValue(&out), 1);
    EXPECT_EQ(out, 0u);
    EXPECT_EQ(ClearOutValue(nullptr), 0);
}

TEST(SystemUtilities, ReallocGlobalCopyKeepsWhatFits)
{
    const struct {
        size_t bytes;
        std::string expected;
    } cases[] = {{8, std::string("\1\2\3\4\0\0\0\0", 8)}, {4, "\1\2\3\4"}, {2, "\1\2"}};
    for (const auto& c : cases) {
        auto* old = static_cast<char*>(GlobalAlloc(GPTR, 4));
        ASSERT_NE(old, nullptr);
        std::memcpy(old, "\1\2\3\4", 4);
        auto* fresh = static_cast<char*>(ReallocGlobalCopy(old, c.bytes));
        ASSERT_NE(fresh, nullptr) << c.bytes;
        EXPECT_EQ(std::string(fresh, c.bytes), c.expected) << c.bytes;
        EXPECT_EQ(GlobalSize(fresh), c.bytes);
        GlobalFree(fresh);
    }
    auto* fresh = static_cast<char*>(ReallocGlobalCopy(nullptr, 3));
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(std::string(fresh, 3), std::string(3, '\0'));
    GlobalFree(fresh);

    // No memory for the new block: the old one stays, whole and owned by the caller.
    auto* old = static_cast<char*>(GlobalAlloc(GPTR, 4));
    ASSERT_NE(old, nullptr);
    std::memcpy(old, "\1\2\3\4", 4);
    EXPECT_EQ(ReallocGlobalCopy(old, size_t(1) << 62), nullptr);
    EXPECT_EQ(std::string(old, 4), "\1\2\3\4");
    EXPECT_EQ(GlobalFree(old), nullptr);
}

TEST(SystemUtilities, RgbToGrayKeepsGreysAndWeightsColours)
{
    const uint8_t source[] = {7, 7, 7, 255, 0, 0, 0, 255, 0, 10, 20, 30};
    uint8_t grey[4] = {};
    RgbToGrayBytes(source, grey, 2, 2);
    EXPECT_EQ(grey[0], 7);
    EXPECT_EQ(grey[1], (255 * 85) >> 8);
    EXPECT_EQ(grey[2], (255 * 86) >> 8);
    EXPECT_EQ(grey[3], ((10 + 30) * 85 + 20 * 86) >> 8);
}

TEST(SystemUtilities, FileAge)
{
    wchar_t directory[MAX_PATH];
    GetTempPathW(MAX_PATH, directory);
    const std::wstring path = std::wstring(directory) + L"morva_age_test.txt";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    // Last written two hours ago.
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER when = {{now.dwLowDateTime, now.dwHighDateTime}};
    when.QuadPart -= 7200ull * 10000000ull;
    const FILETIME written = {when.LowPart, when.HighPart};
    ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &written));
    CloseHandle(file);
    EXPECT_EQ(IsFileOlderThan(path.c_str(), 3600), 1);
    EXPECT_EQ(IsFileOlderThan(path.c_str(), 7300), 0);
    DeleteFileW(path.c_str());
    EXPECT_EQ(IsFileOlderThan(path.c_str(), 0), 0);
}

TEST(OsVersion, CodesOfPlatformsAndVersions)
{
    struct Case {
        uint32_t platform;
        uint32_t major;
        uint32_t minor;
        uint16_t code;
        bool modern;
    };
    const Case cases[] = {
        {1, 3, 95, 256, false}, {1, 4, 0, 257, false},  {1, 4, 10, 258, true}, {1, 4, 90, 258, true},
        {1, 5, 0, 258, true},   {2, 3, 51, 512, false}, {2, 4, 0, 513, false}, {2, 4, 1, 513, false},
        {2, 5, 0, 514, true},   {2, 10, 0, 514, true},  {0, 3, 10, 0, true},   {3, 5, 0, 0, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(OsVersionCodeOf(c.platform, c.major, c.minor), c.code)
            << c.platform << " " << c.major << "." << c.minor;
        EXPECT_EQ(IsModernOsVersionCode(c.code), c.modern) << c.code;
    }
}

TEST(OsVersion, AnswersOfThisSystem)
{
    uint16_t code = 0;
    ASSERT_EQ(GetOsVersionCode(&code), 1);
    EXPECT_EQ(code, 514);
    EXPECT_EQ(GetOsVersionCode(nullptr), -1);
    uint16_t modern = 0;
    EXPECT_EQ(IsModernNtPlatform(&modern), 1);
    EXPECT_EQ(modern, 512);
    EXPECT_EQ(IsOsVersion51OrLater(), 1);
    EXPECT_EQ(IsOsVersion60OrLater(), 1);
    EXPECT_EQ(IsProtectedModeProcess(), 0);
    // Not asked on these systems.
    void* block = GlobalAlloc(GPTR, 40);
    EXPECT_EQ(GetBlockSize(block), 0u);
    GlobalFree(block);
}

}  // namespace
