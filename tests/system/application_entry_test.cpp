#include "common/system/application_entry.h"

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

std::wstring ProgramFolderFile(const wchar_t* name)
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring text(path);
    return text.substr(0, text.rfind(L'\\') + 1) + name;
}

TEST(ApplicationEntry, FirstEntryNamingThisProgram)
{
    ModelDataRecord main{}, linked{};
    ASSERT_EQ(LoadModelDataFile(ProgramFolderFile(L"SYSAPPS.DDD").c_str(), &main, &linked), kModelOk);
    EXPECT_EQ(FindApplicationEntry(&main, &linked), 2);  // entry 3 matches too, later
    CloseModelData(&main, &linked);
    EXPECT_EQ(FindApplicationEntry(nullptr, nullptr), 0);
}

}  // namespace
