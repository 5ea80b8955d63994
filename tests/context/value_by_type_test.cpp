#include "common/context/value_by_type.h"

#include "common/settings/value_types.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(ValueByType, NumbersByType)
{
    const uint8_t bytes[8] = {0xFE, 0xFF, 0xFF, 0xFF, 0x11, 0x22, 0x33, 0x44};
    const struct {
        uint16_t type;
        int32_t asInt;
        uint32_t asUInt;
    } cases[] = {
        {kTypeS16, -2, 0xFFFFFFFE}, {kTypeU16, 0xFFFE, 0xFFFE},       {kTypeByte, 0xFE, 0xFE},
        {kTypeFlag, -2, 0xFFFFFFFE}, {kTypeS32, -2, 0xFFFFFFFE},      {kTypeU32, -2, 0xFFFFFFFE},
        {kTypeFontS32, -2, 0xFFFFFFFE}, {kTypeString, 0, 0},          {kTypeLogFont, 0, 0},
        {7, 0, 0},                   {0, 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ValueToInt(bytes, c.type), c.asInt) << c.type;
        EXPECT_EQ(ValueToUInt(bytes, c.type), c.asUInt) << c.type;
    }
    EXPECT_EQ(ValueToInt(nullptr, kTypeS32), 0);
}

TEST(ValueByType, CopyClearsTheHolderFirst)
{
    const struct {
        uint16_t type;
        int ok;
        uint64_t holder;
    } cases[] = {
        {kTypeFlag, 1, 0x89ABCDEF}, {kTypeS32, 1, 0x89ABCDEF}, {kTypeU32, 1, 0x89ABCDEF}, {kTypeFontS32, 1, 0x89ABCDEF},
        {kTypeS16, 1, 0xCDEF},      {kTypeU16, 1, 0xCDEF},     {kTypeByte, 1, 0xEF},      {kTypeLogFont, 0, 0},
        {7, 0, 0},
    };
    for (const auto& c : cases) {
        uint64_t holder = ~0ull;
        EXPECT_EQ(CopyValueByType(&holder, 0x0123456789ABCDEFull, c.type), c.ok) << c.type;
        EXPECT_EQ(holder, c.holder) << c.type;
    }
    const wchar_t* text = L"abc";
    uint64_t holder = 0;
    EXPECT_EQ(CopyValueByType(&holder, reinterpret_cast<uintptr_t>(text), kTypeString), 1);
    EXPECT_EQ(holder, reinterpret_cast<uintptr_t>(text));
    EXPECT_EQ(CopyValueByType(nullptr, 1, kTypeS32), 0);
}

TEST(ValueByType, Sizes)
{
    const wchar_t* text = L"abcd";
    uint64_t holder = reinterpret_cast<uintptr_t>(text);
    const struct {
        uint16_t type;
        int32_t length;
        uint32_t size;
    } cases[] = {
        {kTypeFlag, -1, 4}, {kTypeS32, 0, 4}, {kTypeU32, 0, 4}, {kTypeFontS32, 0, 4}, {kTypeS16, 0, 2},
        {kTypeU16, 0, 2},   {kTypeByte, 0, 1}, {kTypeLogFont, 0, 92}, {kTypeString, 20, 20}, {kTypeString, -1, 10},
        {0, 0, 0},          {7, 0, 0},         {11, 0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetValueSize(&holder, c.type, c.length), c.size) << c.type << " " << c.length;
}

TEST(ValueByType, TextKeepsWithinTheBuffer)
{
    const int32_t minus = -123456;
    const uint32_t big = 0xFFFFFFFF;
    const int16_t small = -5;
    const uint8_t byte = 200;
    const struct {
        uint16_t type;
        const void* value;
        size_t capacity;
        const wchar_t* text;
    } cases[] = {
        {kTypeS32, &minus, 32, L"-123456"},
        {kTypeS32, &minus, 8, L"-123456"},  // exact fit with the terminator
        {kTypeS32, &minus, 7, L"-12345"},   // one less: cut, terminated
        {kTypeS32, &minus, 1, L""},
        {kTypeU32, &big, 32, L"4294967295"},
        {kTypeS16, &small, 32, L"-5"},
        {kTypeByte, &byte, 32, L"200"},
        {kTypeString, L"Letter", 7, L"Letter"},
        {kTypeString, L"Letter", 4, L"Let"},
    };
    for (const auto& c : cases) {
        wchar_t buffer[40];
        std::fill(std::begin(buffer), std::end(buffer), L'#');
        const wchar_t* text = FormatValueAsText(c.type, c.value, buffer, c.capacity);
        ASSERT_EQ(text, buffer) << c.type << " " << c.capacity;
        EXPECT_STREQ(text, c.text);
        EXPECT_EQ(buffer[c.capacity], L'#') << "written past the capacity";
    }
    wchar_t buffer[8];
    EXPECT_EQ(FormatValueAsText(kTypeLogFont, &minus, buffer, 8), nullptr);
    EXPECT_EQ(FormatValueAsText(7, &minus, buffer, 8), nullptr);
    EXPECT_EQ(FormatValueAsText(kTypeS32, &minus, buffer, 0), nullptr);
    EXPECT_EQ(FormatValueAsText(kTypeS32, nullptr, buffer, 8), nullptr);
}

}  // namespace
