#include "common/store/pair_list.h"

#include "common/model/model_data.h"
#include "common/system/global_block.h"
#include "tests/support/spooler_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A list literal: pairs separated by '|' and an extra terminator at the end.
std::wstring List(const std::wstring& text)
{
    std::wstring list = text;
    for (wchar_t& c : list)
        if (c == L'|')
            c = L'\0';
    list.push_back(L'\0');
    return list;
}

uint32_t Bytes(const std::wstring& list)
{
    return static_cast<uint32_t>(list.size() * sizeof(wchar_t));
}

std::wstring Owned(wchar_t* block, const uint32_t& bytes)  // bytes read after the call
{
    GlobalBlockPtr<uint8_t> owned(reinterpret_cast<uint8_t*>(block));
    return block ? std::wstring(block, bytes / sizeof(wchar_t)) : L"<null>";
}

TEST(PairList, FindIsExactAndFirst)
{
    const std::wstring list = List(L"Arial|Sans|Times|Serif|arial|Other|Arial|Late|");
    EXPECT_STREQ(FindPairListValue(list.data(), Bytes(list), L"Arial"), L"Sans");
    EXPECT_STREQ(FindPairListValue(list.data(), Bytes(list), L"arial"), L"Other");
    EXPECT_EQ(FindPairListValue(list.data(), Bytes(list), L"Courier"), nullptr);
    const std::wstring empty = List(L"");
    EXPECT_EQ(FindPairListValue(empty.data(), Bytes(empty), L"Arial"), nullptr);
}

TEST(PairList, ListsThatRunPastTheirBytesAreRefused)
{
    const std::wstring list = List(L"Arial|Sans|");
    EXPECT_EQ(PairListSize(list.data(), Bytes(list)), Bytes(list));
    EXPECT_EQ(PairListSize(list.data(), Bytes(list) - 2), 0u);  // no final empty string
    EXPECT_EQ(PairListSize(list.data(), 6), 0u);                // key cut
    EXPECT_EQ(FindPairListValue(list.data(), Bytes(list) - 2, L"Arial"), nullptr);
    uint32_t bytes = 0;
    EXPECT_EQ(SetPairListValue(list.data(), Bytes(list) - 2, L"A", L"B", &bytes), nullptr);
}

TEST(PairList, SetReplacesRemovesAppendsOrCopies)
{
    const std::wstring list = List(L"Arial|Sans|Times|Serif|");
    struct Case {
        const wchar_t* key;
        const wchar_t* value;
        std::wstring expected;
    };
    const Case cases[] = {
        {L"Arial", L"Mono", List(L"Arial|Mono|Times|Serif|")},
        {L"Arial", nullptr, List(L"Times|Serif|")},
        {L"Gothic", L"Sans", List(L"Arial|Sans|Times|Serif|Gothic|Sans|")},
        {L"Gothic", nullptr, list},
    };
    for (const Case& c : cases) {
        uint32_t bytes = 0;
        wchar_t* result = SetPairListValue(list.data(), Bytes(list), c.key, c.value, &bytes);
        EXPECT_EQ(Owned(result, bytes), c.expected) << c.key;
    }
    const std::wstring empty = List(L"");
    uint32_t bytes = 0;
    EXPECT_EQ(Owned(SetPairListValue(empty.data(), Bytes(empty), L"A", L"B", &bytes), bytes), List(L"A|B|"));
    EXPECT_EQ(Owned(SetPairListValue(empty.data(), Bytes(empty), L"A", nullptr, &bytes), bytes), empty);
}

TEST(PairList, PairLimitIs112CharactersWithTerminators)
{
    const std::wstring empty = List(L"");
    const std::wstring key(50, L'k');
    for (size_t valueLength : {size_t{60}, size_t{61}}) {
        const std::wstring value(valueLength, L'v');
        uint32_t bytes = 0;
        wchar_t* result = SetPairListValue(empty.data(), Bytes(empty), key.c_str(), value.c_str(), &bytes);
        EXPECT_EQ(result != nullptr, valueLength == 60) << valueLength;
        GlobalFree(result);
    }
}

TEST(PairList, FontSubstitutionTableInPrinterData)
{
    InstallPrinterDataDeleteStandIn();
    TestPrinter printer{L"Morva Store Pair List"};
    ASSERT_TRUE(printer.ok());
    uint32_t bytes = 0;
    EXPECT_EQ(ReadFontSubstitutionTable(printer.handle(), &bytes), nullptr);
    const std::wstring list = List(L"Arial|Sans|");
    ASSERT_EQ(StoreFontSubstitutionTable(printer.handle(), list.data(), Bytes(list)), 1);
    EXPECT_EQ(Owned(ReadFontSubstitutionTable(printer.handle(), &bytes), bytes), list);
    EXPECT_EQ(StoreFontSubstitutionTable(printer.handle(), list.data(), Bytes(list) - 2), 0);
}

}  // namespace

namespace {

std::wstring ModelPath(const wchar_t* name)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (wchar_t* cut = wcsrchr(path, L'\\'))
        cut[1] = L'\0';
    return std::wstring(path) + name;
}

struct Model {
    ModelDataRecord main{};
    ModelDataRecord linked{};
    uint16_t status;
    explicit Model(const wchar_t* name) : status(LoadModelDataFile(ModelPath(name).c_str(), &main, &linked)) {}
    ~Model()
    {
        if (status == kModelOk)
            CloseModelData(&main, &linked);
    }
};

TEST(FontSubstitution, ListFromTheModelsFontSections)
{
    struct Case {
        const wchar_t* model;
        std::wstring expected;
    };
    const Case cases[] = {
        {L"M2200.DDD", List(L"Arial|Morva Sans|")},
        {L"C4530.DDD", List(L"Arial|Morva Sans|Helvetica|Morva Sans|Segoe UI|Morva Sans|Times New Roman|Morva Serif|"
                            L"Georgia|Morva Serif|Courier New|Morva Mono|")},
    };
    for (const Case& c : cases) {
        Model model(c.model);
        ASSERT_EQ(model.status, kModelOk);
        uint32_t bytes = 0;
        EXPECT_EQ(Owned(BuildFontSubstitutionList(&model.main, &model.linked, &bytes), bytes), c.expected);
    }
    uint32_t bytes = 0;
    EXPECT_EQ(BuildFontSubstitutionList(nullptr, nullptr, &bytes), nullptr);
}

TEST(FontSubstitution, TableIsBuiltOnceAndThenRead)
{
    InstallPrinterDataDeleteStandIn();
    TestPrinter printer{L"Morva Store Pair List"};
    ASSERT_TRUE(printer.ok());
    Model model(L"M2200.DDD");
    ASSERT_EQ(model.status, kModelOk);
    uint32_t bytes = 0;
    EXPECT_EQ(Owned(GetFontSubstitutionTable(printer.handle(), &model.main, &model.linked, &bytes), bytes),
              List(L"Arial|Morva Sans|"));
    EXPECT_EQ(ReadFontSubstitutionTable(printer.handle(), &bytes), nullptr);  // not stored by the read
    ASSERT_EQ(GetOrBuildFontSubstitutionTable(printer.handle(), &model.main, &model.linked), 1);
    EXPECT_EQ(Owned(ReadFontSubstitutionTable(printer.handle(), &bytes), bytes), List(L"Arial|Morva Sans|"));
    // An existing table is kept as it is.
    const std::wstring mine = List(L"A|B|");
    ASSERT_EQ(StoreFontSubstitutionTable(printer.handle(), mine.data(), Bytes(mine)), 1);
    ASSERT_EQ(GetOrBuildFontSubstitutionTable(printer.handle(), &model.main, &model.linked), 1);
    EXPECT_EQ(Owned(GetFontSubstitutionTable(printer.handle(), &model.main, &model.linked, &bytes), bytes), mine);
}

}  // namespace
