#include "common/context/model_lookups.h"
#include "common/context/value_by_type.h"
#include "common/defaults/setting_defaults.h"
#include "common/options/option_lists.h"
#include "common/settings/value_operations.h"
#include "tests/defaults/defaults_fixture.h"

#include <windows.h>

#include <memory>
#include <string>
#include <utility>

namespace {

struct ListFree {
    void operator()(OptionList* list) const { FreeOptionList(list); }
};
using ListPtr = std::unique_ptr<OptionList, ListFree>;

class OptionListTest : public DefaultsTest {
protected:
    void SetUp() override
    {
        DefaultsTest::SetUp();
        context_ = OpenColour();
        ASSERT_TRUE(context_);
        ASSERT_EQ(FillDefaultSettings(context_.get(), settings_.data(), printer_.data(), L"Options"), 1);
    }
    ListPtr Build(uint16_t id, const PaperUnits* units, const OptionStrings* strings = nullptr)
    {
        return ListPtr(BuildOptionList(nullptr, context_.get(), id, settings_.data(), printer_.data(), units, strings));
    }

    ContextPtr context_;
    SettingsBuffer settings_;
    PrinterBuffer printer_;
};

TEST_F(OptionListTest, PaperSizesFromTheModel)
{
    const PaperUnits mm{0, 0};
    ListPtr list = Build(8, &mm);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->listKind, 2);
    EXPECT_EQ(list->valueType, kTypeS16);
    ASSERT_EQ(list->count, 23);
    EXPECT_EQ(std::wstring(list->title), L"Paper Size");
    EXPECT_EQ(std::wstring(GetOptionText(list.get(), 0)), L"Letter");  // a resource string of the model
    const OptionRow* a4 = FindOptionByText(list.get(), L"A4");
    ASSERT_NE(a4, nullptr);
    EXPECT_EQ(a4->value, 9u);
    EXPECT_EQ(FindOptionByText(list.get(), L"a4"), nullptr);  // exact case
    EXPECT_EQ(FindOptionByText(list.get(), L"A4 "), nullptr);
    // The option's picture is no icon: the row has none.
    EXPECT_EQ(GetOptionIcon(list.get(), 0), nullptr);
}

TEST_F(OptionListTest, FreeCustomSizeShowsItsSizeInMillimetresAndInches)
{
    ASSERT_EQ(SetFunctionIdValueArgs(settings_.data(), printer_.data(), 1863, kTypeS16, 2, 2159), 0);
    ASSERT_EQ(SetFunctionIdValueArgs(settings_.data(), printer_.data(), 1864, kTypeS16, 2, 2794), 0);
    const PaperUnits mm{0, 0};
    ListPtr metric = Build(8, &mm);
    ASSERT_TRUE(metric);
    const OptionRow* custom = FindOptionByText(metric.get(), L"Custom Size");
    ASSERT_NE(custom, nullptr);
    EXPECT_EQ(custom->value, 256u);
    EXPECT_EQ(std::wstring(custom->text), L"Custom Size (215 x 279 mm)");

    const PaperUnits inch{1, 0};
    ListPtr imperial = Build(8, &inch);
    ASSERT_TRUE(imperial);
    custom = FindOptionByText(imperial.get(), L"Custom Size");
    ASSERT_NE(custom, nullptr);
    EXPECT_EQ(std::wstring(custom->text), L"Custom Size (8.50 x 11.00 in)");
}

TEST_F(OptionListTest, UserPaperSizesShowTheirStoredNameAndSize)
{
    ASSERT_EQ(SetFunctionIdValueArgs(settings_.data(), printer_.data(), 5930, kTypeString, 16, L"Flyer"), 0);
    ASSERT_EQ(SetFunctionIdValueArgs(settings_.data(), printer_.data(), 5890, kTypeU16, 2, 1480), 0);
    const PaperUnits mm{0, 0};
    ListPtr list = Build(262, &mm);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->count, 8);
    EXPECT_EQ(std::wstring(GetOptionText(list.get(), 6)), L"User Paper 1 (210 x 297 mm)");
    EXPECT_EQ(std::wstring(GetOptionText(list.get(), 7)), L"Flyer (148 x 297 mm)");
    EXPECT_EQ(FindOptionByText(list.get(), L"Flyer")->value, 263u);
    EXPECT_EQ(std::wstring(GetOptionText(list.get(), 4)), L"A4");
}

TEST_F(OptionListTest, CopiesAreARange)
{
    ListPtr list = Build(12, nullptr);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->listKind, 4);
    ASSERT_EQ(list->count, 3);
    EXPECT_EQ(GetOptionEntry(list.get(), 0)->value, 1u);
    EXPECT_EQ(GetOptionEntry(list.get(), 1)->value, 999u);
    EXPECT_EQ(std::wstring(GetOptionText(list.get(), 1)), L"999");
    EXPECT_EQ(GetOptionEntry(list.get(), 2)->value, 1u);
}

TEST_F(OptionListTest, LookupsOutsideTheList)
{
    ListPtr list = Build(7, nullptr);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->count, 2);
    EXPECT_EQ(std::wstring(GetOptionText(list.get(), 1)), L"Landscape");
    for (int32_t index : {-1, 2, 1000}) {
        EXPECT_EQ(GetOptionEntry(list.get(), index), nullptr) << index;
        EXPECT_EQ(GetOptionEntryAt(list.get(), index), nullptr) << index;
        EXPECT_EQ(GetOptionText(list.get(), index), nullptr) << index;
        EXPECT_EQ(GetOptionIcon(list.get(), index), nullptr) << index;
        EXPECT_EQ(GetOptionData(list.get(), index), 0u) << index;
    }
    EXPECT_EQ(GetOptionEntry(nullptr, 0), nullptr);
    EXPECT_EQ(FindOptionByText(nullptr, L"A"), nullptr);
}

TEST_F(OptionListTest, FaceNamesFromTheCaller)
{
    const wchar_t* faces[] = {L"Arial", L"Courier New", L"Georgia"};
    const OptionStrings strings{nullptr, faces, 3};
    ListPtr list = Build(358, nullptr, &strings);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->valueType, kTypeString);
    ASSERT_EQ(list->count, 3);
    const OptionRow* row = FindOptionByText(list.get(), L"Courier");
    ASSERT_NE(row, nullptr);
    // The list owns a copy of each string value.
    const auto* value = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(row->value));
    EXPECT_NE(value, faces[1]);
    EXPECT_EQ(std::wstring(value), L"Courier New");

    // No strings: a list without choices answers none for every index.
    const OptionStrings none{nullptr, nullptr, 0};
    ListPtr empty = Build(305, nullptr, &none);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->count, -1);
    EXPECT_EQ(GetOptionEntry(empty.get(), 0), nullptr);
}

TEST_F(OptionListTest, NameListFromAMultiString)
{
    const OptionStrings names{L"Alpha\0Beta\0", nullptr, 0};
    ListPtr list = Build(298, nullptr, &names);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->count, 2);
    EXPECT_EQ(std::wstring(GetOptionText(list.get(), 1)), L"Beta");
    EXPECT_EQ(Build(298, nullptr, nullptr), nullptr);  // no list to show
    // An empty list offers one choice that says so.
    const OptionStrings empty{L"\0", nullptr, 0};
    ListPtr none = Build(298, nullptr, &empty);
    ASSERT_TRUE(none);
    ASSERT_EQ(none->count, 1);
    EXPECT_EQ(std::wstring(GetOptionText(none.get(), 0)), L"(none)");
}

// Blocks of the process heap in use; the global heap of the platform lives in it.
size_t BusyHeapBlocks()
{
    HANDLE heap = GetProcessHeap();
    size_t busy = 0;
    if (!HeapLock(heap))
        return 0;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heap, &entry))
        if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0)
            ++busy;
    HeapUnlock(heap);
    return busy;
}

TEST_F(OptionListTest, FailureInTheMiddleFreesEverything)
{
    // The third face is missing: its row cannot be made after two were.
    const wchar_t* faces[] = {L"Arial", L"Courier New", nullptr, L"Georgia"};
    const OptionStrings strings{nullptr, faces, 4};
    EXPECT_EQ(Build(305, nullptr, &strings), nullptr);  // warms up whatever the first call allocates once
    const size_t before = BusyHeapBlocks();
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(Build(305, nullptr, &strings), nullptr);
    const size_t after = BusyHeapBlocks();
    // Two rows of a text and a value each, the rows and the list: six blocks a
    // build would leave behind.
    EXPECT_LT(after, before + 50);
}

// A paper source's own size (code 275) shows the shorter and longer side of
// that source's row: 6267 and 6282 for the source of setting 6222.
TEST_F(DefaultsTest, SourceOwnSizeShowsItsSides)
{
    ContextPtr context = OpenFaulty();
    ASSERT_TRUE(context);
    SettingsBuffer settings;
    PrinterBuffer printer;
    for (const auto& [id, value] : {std::pair<uint16_t, uint32_t>{6267, 1000}, {6282, 1480}, {6266, 2100}, {6281, 2970}})
        ASSERT_EQ(WriteSettingNumber(id, settings.data(), printer.data(), value), 1) << id;
    const PaperUnits mm{0, 0};
    ListPtr list(BuildOptionList(nullptr, context.get(), 6222, settings.data(), printer.data(), &mm, nullptr));
    ASSERT_TRUE(list);
    ASSERT_EQ(list->count, 2);
    EXPECT_EQ(std::wstring(GetOptionText(list.get(), 0)), L"A4");
    EXPECT_EQ(std::wstring(GetOptionText(list.get(), 1)), L"Tray Size (100 x 148 mm)");
    EXPECT_EQ(GetOptionEntry(list.get(), 1)->value, 275u);
}

// The faulty model's orientation feature (setting 7, a number) has a text
// option first: a number is never read as a text pointer, and its list is
// refused as a fault of the file.
TEST_F(DefaultsTest, OptionsOfAnotherKindOfValueThanTheSettingAreRefused)
{
    ContextPtr context = OpenFaulty();
    ASSERT_TRUE(context);
    SettingsBuffer settings;
    PrinterBuffer printer;
    for (uint64_t value : {uint64_t{1}, uint64_t{2}, uint64_t{0x10}}) {
        EXPECT_EQ(HasOptionForValue(context.get(), 7, &value), FALSE) << value;
    }
    EXPECT_EQ(BuildOptionList(nullptr, context.get(), 7, settings.data(), printer.data(), nullptr, nullptr), nullptr);
    // A feature whose options agree with its setting still gives its list.
    ListPtr list(BuildOptionList(nullptr, context.get(), 270, settings.data(), printer.data(), nullptr, nullptr));
    ASSERT_TRUE(list);
    EXPECT_EQ(list->count, 2);
}

}  // namespace
