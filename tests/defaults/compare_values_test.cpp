#include "common/defaults/setting_defaults.h"
#include "common/settings/value_types.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

uint64_t Word(uint64_t value) { return value; }
uint64_t Text(const wchar_t* text) { return reinterpret_cast<uintptr_t>(text); }

struct CompareCase {
    uint16_t type;
    uint64_t a;
    uint64_t b;
    int expected;
};

const CompareCase kCases[] = {
    {kTypeString, Text(L"A"), Text(L"AB"), -1},
    {kTypeString, Text(L"AB"), Text(L"A"), 1},
    {kTypeString, Text(L"AB"), Text(L"AB"), 0},
    {kTypeString, Text(L"A"), 0, 2},                        // missing string
    {kTypeString, Text(L"\xFFFF"), Text(L"a"), 1},           // units compare unsigned
    {kTypeU16, Word(0xFFFF), Word(1), 1},
    {kTypeS16, Word(0xFFFF), Word(1), -1},                   // -1 < 1
    {kTypeS16, Word(0x10001), Word(1), 0},                   // only the low 16 bits count
    {kTypeByte, Word(0x1FF), Word(0xFF), 0},
    {kTypeU32, Word(0xFFFFFFFF), Word(1), 1},
    {kTypeS32, Word(0xFFFFFFFF), Word(1), -1},
    {kTypeFlag, Word(1), Word(0), 1},
    {kTypeFontS32, Word(0x80000000), Word(0), -1},
    {7, Word(1), Word(1), 2},
    {kTypeLogFont, Word(1), Word(1), 2},
    {0, Word(1), Word(1), 2},
};

TEST(CompareSettingValues, ByType)
{
    for (const CompareCase& c : kCases)
        EXPECT_EQ(CompareSettingValues(c.type, &c.a, &c.b), c.expected)
            << "type " << c.type << ": " << c.a << " vs " << c.b;
}

TEST(CompareSettingValues, MissingHolder)
{
    const uint64_t one = 1;
    EXPECT_EQ(CompareSettingValues(kTypeU16, nullptr, &one), 2);
    EXPECT_EQ(CompareSettingValues(kTypeU16, &one, nullptr), 2);
}

}  // namespace
