#include "common/system/scrambled_strings.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::wstring Protect(int mode, const wchar_t* text)
{
    wchar_t* result = nullptr;
    if (!EncodeOrDecodeProtectedString(mode, text, &result))
        return L"<failed>";
    std::wstring copy(result);
    GlobalFree(result);
    return copy;
}

TEST(ScrambledStrings, StoredLengthsFollowTheBase64Groups)
{
    struct Case {
        const wchar_t* plain;
        size_t storedLength;
        const wchar_t* ending;
    };
    const Case cases[] = {
        {L"7", 4, L"=="},
        {L"12", 4, L"="},
        {L"123", 4, nullptr},
        {L"123456789012", 16, nullptr},
    };
    for (const Case& c : cases) {
        const std::wstring stored = Protect(kProtectStringEncode, c.plain);
        EXPECT_EQ(stored.size(), c.storedLength) << c.plain;
        if (c.ending != nullptr) {
            EXPECT_EQ(stored.substr(stored.size() - wcslen(c.ending)), c.ending);
        } else {
            EXPECT_EQ(stored.find(L'='), std::wstring::npos);
        }
        EXPECT_EQ(Protect(kProtectStringDecode, stored.c_str()), c.plain);
    }
}

TEST(ScrambledStrings, StoredFormIsScrambledNotPlainBase64)
{
    // Plain base64 of "1234" is "MTIzNA==".
    EXPECT_NE(Protect(kProtectStringEncode, L"1234"), L"MTIzNA==");
}

TEST(ScrambledStrings, WhiteSpaceInTheStoredFormIsSkipped)
{
    const std::wstring stored = Protect(kProtectStringEncode, L"123456789012");
    ASSERT_EQ(stored.size(), 16u);
    // Line breaks and blanks make the text longer than a multiple of 4.
    const std::wstring spaced = stored.substr(0, 5) + L"\r\n" + stored.substr(5, 6) + L" \t" + stored.substr(11) + L"\n";
    EXPECT_EQ(Protect(kProtectStringDecode, spaced.c_str()), L"123456789012");
    EXPECT_EQ(Protect(kProtectStringEncode, Protect(kProtectStringDecode, stored.c_str()).c_str()), stored);
}

TEST(ScrambledStrings, EmptyOrBadInputGivesNothing)
{
    wchar_t* result = reinterpret_cast<wchar_t*>(1);
    EXPECT_EQ(EncodeOrDecodeProtectedString(kProtectStringEncode, L"", &result), 0);
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(EncodeOrDecodeProtectedString(kProtectStringEncode, nullptr, &result), 0);
    EXPECT_EQ(EncodeOrDecodeProtectedString(kProtectStringDecode, L"ab*d", &result), 0);
    EXPECT_EQ(EncodeOrDecodeProtectedString(kProtectStringDecode, L"A", &result), 0);
}

TEST(ScrambledStrings, ScramblingIsItsOwnInverseAndBoundedByCapacity)
{
    const uint8_t plain[7] = {'a', 'b', 'c', 'd', 'e', 'f', 'g'};
    uint8_t scrambled[7] = {};
    int length = 0;
    ASSERT_EQ(ScrambleSettingBytes(plain, 7, scrambled, &length, 7), 0);
    EXPECT_EQ(length, 7);
    // The key is applied as little-endian bytes: position i of each block uses
    // the same key byte, also for the bytes left over.
    EXPECT_EQ(plain[0] ^ scrambled[0], plain[4] ^ scrambled[4]);
    EXPECT_EQ(plain[2] ^ scrambled[2], plain[6] ^ scrambled[6]);
    uint8_t back[7] = {};
    ASSERT_EQ(ScrambleSettingBytes(scrambled, 7, back, &length, 7), 0);
    EXPECT_EQ(std::vector<uint8_t>(back, back + 7), std::vector<uint8_t>(plain, plain + 7));

    struct Case {
        int capacity;
        int result;
        int outLength;
    };
    const Case cases[] = {{7, 0, 7}, {6, -3, 6}, {5, -3, 5}, {3, -3, 0}, {0, -2, 0}};
    for (const Case& c : cases) {
        std::vector<uint8_t> out(8, 0xEE);
        length = 0;
        EXPECT_EQ(ScrambleSettingBytes(plain, 7, out.data(), &length, c.capacity), c.result) << c.capacity;
        EXPECT_EQ(length, c.outLength) << c.capacity;
        EXPECT_EQ(out[c.capacity > 0 ? c.capacity : 0], 0xEE) << "written past the capacity";
    }
    EXPECT_EQ(ScrambleSettingBytes(nullptr, 7, back, &length, 7), -1);
    EXPECT_EQ(ScrambleSettingBytes(plain, 0, back, &length, 7), -2);
}

TEST(ScrambledStrings, EncoderCapacityIsTheEncodedLength)
{
    const uint8_t input[5] = {1, 2, 3, 4, 5};
    struct Case {
        int length;
        int capacity;
        int result;
    };
    // 4 characters per started group of 3 bytes; the encoder writes no terminator.
    const Case cases[] = {{1, 4, 0}, {1, 3, -3}, {3, 4, 0}, {4, 8, 0}, {4, 7, -3}, {5, 8, 0}, {5, 7, -3}};
    for (const Case& c : cases) {
        std::vector<char> out(12, '#');
        int length = 0;
        EXPECT_EQ(Base64Encode(input, c.length, out.data(), &length, c.capacity), c.result)
            << c.length << "/" << c.capacity;
        if (c.result == 0) {
            EXPECT_EQ(length, c.capacity);
        }
    }
    char out[8];
    int length = 0;
    ASSERT_EQ(Base64Encode(reinterpret_cast<const uint8_t*>("Ma"), 2, out, &length, 8), 0);
    EXPECT_EQ(std::string(out, length), "TWE=");
    EXPECT_EQ(GetBase64EncodedSize(0), 1);
    EXPECT_EQ(GetBase64EncodedSize(12), 17);
    EXPECT_EQ(GetBase64EncodedSize(-1), -10);
}

TEST(ScrambledStrings, DecoderCapacityAllowsForWhiteSpace)
{
    struct Case {
        const char* text;
        int length;
        int capacity;
        int result;
        const char* decoded;
    };
    const Case cases[] = {
        {"TWFu", 4, 3, 0, "Man"},
        {"TWFu", 4, 2, -3, nullptr},
        {"TW E=", 5, 6, 0, "Ma"},     // 5 characters: room for two groups
        {"TW E=", 5, 5, -3, nullptr},
        {"TQ==", 4, 3, 0, "M"},
        {"TWFu\0TWFu", 9, 9, 0, "Man"},  // stops at a NUL
        {"TWFuTWFu", 4, 3, 0, "Man"},      // never reads past the given length
        {"TW@u", 4, 3, -4, nullptr},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> out(8, 0);
        int length = 0;
        EXPECT_EQ(Base64Decode(c.text, c.length, out.data(), &length, c.capacity), c.result) << c.text;
        if (c.decoded != nullptr) {
            EXPECT_EQ(std::string(out.begin(), out.begin() + length), c.decoded) << c.text;
        }
    }
}

}  // namespace
