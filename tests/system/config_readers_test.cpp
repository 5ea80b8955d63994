#include "common/system/config_readers.h"

#include "tests/system/config_test_files.h"
#include "tests/support/global_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring Take(wchar_t* block)
{
    return TakeGlobalText(block);
}

TEST(ConfigReaders, SectionOfTheModelOrDefault)
{
    TempProfileFile file(L"morva_readers_1.cfg", "[default]\na=1\n[Model_X_100_B]\na=2\n");
    const uint32_t chars = GetConfigFileChars(file.path());
    EXPECT_GT(chars, 0u);
    EXPECT_EQ(Take(ChooseConfigSection(file.path(), chars, L"model X/100-b")), L"model_X_100_b");
    EXPECT_EQ(Take(ChooseConfigSection(file.path(), chars, L"Other")), L"default");
    EXPECT_EQ(Take(ReadConfigString(L"Model X/100-B", file.path(), L"a")), L"2");
    EXPECT_EQ(Take(ReadConfigString(L"Other", file.path(), L"a")), L"1");
    EXPECT_EQ(Take(ReadConfigString(L"Other", file.path(), L"b")), L"");
    EXPECT_EQ(ConfigSectionExists(file.path(), L"DEFAULT"), 1);
    EXPECT_EQ(ConfigSectionExists(file.path(), L"none"), 0);
}

TEST(ConfigReaders, MissingOrEmptyFileReadsAsNothing)
{
    EXPECT_EQ(GetConfigFileChars(L"C:\\no\\such\\file.cfg"), 0u);
    EXPECT_EQ(Take(ReadConfigSection(L"C:\\no\\such\\file.cfg", L"LOG")), L"<null>");
    TempProfileFile empty(L"morva_readers_empty.cfg", "");
    EXPECT_EQ(Take(ReadConfigSection(empty.path(), L"LOG")), L"<null>");
    EXPECT_EQ(ConfigSectionExists(empty.path(), L"LOG"), 0);
}

TEST(ConfigReaders, FindSectionKeyByOccurrence)
{
    TempProfileFile file(L"morva_readers_2.cfg", "[S]\nbin.TRAY1=14\nother=1\nBIN.tray1=9\nbin.TRAY10=3\n");
    wchar_t* section = ReadConfigSection(file.path(), L"S");
    ASSERT_NE(section, nullptr);
    struct Case {
        int occurrence;
        int last;
        int line;
        const wchar_t* value;
    };
    const Case cases[] = {
        {1, 0, 1, L"14"}, {2, 0, 3, L"9"}, {3, 0, 3, L"9"}, {4, 0, 0, nullptr}, {1, 1, 3, L"9"},
    };
    for (const Case& c : cases) {
        wchar_t* value = nullptr;
        EXPECT_EQ(FindSectionKey(c.occurrence, c.last, section, L"bin.TRAY1=", &value), c.line) << c.occurrence;
        EXPECT_EQ(Take(value), c.value != nullptr ? c.value : L"<null>");
    }
    GlobalFree(section);
}

TEST(ConfigReaders, ShortKeyValueLimits)
{
    const std::wstring key46(45, L'k');
    const std::wstring key47(46, L'k');
    const std::wstring longValue(40, L'v');
    std::wstring section = key46 + L"=a" + L'\0' + key47 + L"=b" + L'\0' + L"x=" + longValue + L'\0' + L'\0';
    wchar_t value[kShortValueChars];
    ASSERT_EQ(FindShortKeyValue(section.c_str(), (key46 + L"=").c_str(), value), 1);  // 46 characters
    EXPECT_STREQ(value, L"a");
    EXPECT_EQ(FindShortKeyValue(section.c_str(), (key47 + L"=").c_str(), value), 0);  // 47 characters
    ASSERT_EQ(FindShortKeyValue(section.c_str(), L"x=", value), 1);
    EXPECT_EQ(std::wstring(value), longValue.substr(0, 31));
}

TEST(ConfigReaders, ConfiguredValues)
{
    const ConfigKeyword table[] = {{L"on", 1}, {L"off", 0}, {L"auto", 7}};
    struct Case {
        const wchar_t* text;
        int result;
        uint32_t value;
    };
    const Case cases[] = {{L"AUTO", 1, 7}, {L"Off", 1, 0}, {L"42", 1, 42}, {L"12abc", 1, 12}, {L"x1", 0, 0}, {L"", 0, 0}};
    for (const Case& c : cases) {
        uint32_t value = 99;
        EXPECT_EQ(ParseConfiguredValue(table, 3, c.text, &value), c.result) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

}  // namespace
