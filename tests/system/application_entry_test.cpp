#include "common/system/application_entry.h"

#include "tests/system/test_models.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ApplicationEntry, NamesMatchWholeOrByAStarredPart)
{
    struct Case {
        const wchar_t* entry;
        const wchar_t* process;
        bool matches;
    };
    const Case cases[] = {
        {L"winword.exe", L"WINWORD.EXE", true},
        {L"winword.exe", L"winword", false},
        {L"*WORD", L"winword.exe", true},
        {L"*word", L"WINWORD.EXE", true},
        {L"*excel", L"winword.exe", false},
        {L"word", L"winword.exe", false},  // a part matches only with the star
        {L"*", L"anything.exe", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ApplicationNameMatches(c.entry, c.process), c.matches) << c.entry << " " << c.process;
}

TEST(ApplicationEntry, FirstEntryNamingThisProgram)
{
    LoadedTestModel model(L"SYSAPPS.DDD");
    ASSERT_EQ(model.status, kModelOk);
    EXPECT_EQ(FindApplicationEntry(&model.main, &model.linked), 2);  // entry 3 matches too, later
    EXPECT_EQ(FindApplicationEntry(nullptr, nullptr), 0);
}

TEST(ApplicationEntry, PresetNamedStarNamesEveryProgram)
{
    LoadedTestModel model(L"SYSSTAR.DDD");
    ASSERT_EQ(model.status, kModelOk);
    EXPECT_EQ(FindApplicationEntry(&model.main, &model.linked), 2);
}

}  // namespace
