#include "common/context/context_utilities.h"

#include "common/context/option_list.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/settings/value_operations.h"
#include "common/config/config_field_overrides.h"
#include "common/system/module_files.h"
#include "tests/settings/settings_test_records.h"
#include "tests/system/config_test_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

TEST(ContextUtilities, SizesMatchWithinOneMillimetre)
{
    const struct {
        int32_t w1, h1, w2, h2;
        bool match;
    } cases[] = {
        {2100, 2970, 2975, 2095, true},   // turned, differences 5 and 5
        {2100, 2970, 2111, 2970, false},  // 11 wider
        {2100, 2970, 2110, 2970, true},   // exactly the tolerance
        {2100, 2970, 2100, 2981, false},
        {2100, 2970, 2100, 2980, true},
        {2970, 2100, 2095, 2975, true},
        {2100, 2970, 2970, 2100, true},
        {2100, 2100, 2100, 2100, true},   // squares count as either
        {2100, 2100, 2105, 2095, true},
        {2100, 2970, 2970, 2111, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SizesMatch(c.w1, c.h1, c.w2, c.h2), c.match) << c.w1 << "x" << c.h1 << " " << c.w2 << "x" << c.h2;
}

TEST(ContextUtilities, ColourTable)
{
    const struct {
        uint32_t id;
        uint32_t index;
        BOOL ok;
        COLORREF colour;
    } cases[] = {
        {0, 0, TRUE, 0x0033FF},          {0, 6, TRUE, 0x000000},          {0, 7, FALSE, 0},
        {1, kColorById, TRUE, 0x0033FF}, {7, kColorById, TRUE, 0x000000}, {4, kColorById, TRUE, 0x658963},
        {8, kColorById, FALSE, 0},       {0, kColorById, FALSE, 0},       {9, kColorById, FALSE, 0},
    };
    for (const auto& c : cases) {
        COLORREF colour = 0xDEADBEEF;
        EXPECT_EQ(GetColorForIndex(c.id, &colour, c.index), c.ok) << c.id << " " << c.index;
        if (c.ok) {
            EXPECT_EQ(colour, c.colour) << c.id << " " << c.index;
        }
    }
    EXPECT_EQ(GetColorForIndex(1, nullptr, 0), FALSE);
}

TEST(ContextUtilities, PaletteFromAPicturesColourTable)
{
    struct Picture {
        BITMAPINFOHEADER header;
        RGBQUAD colours[16];
    };
    Picture picture = {};
    picture.header.biSize = sizeof(BITMAPINFOHEADER);
    picture.header.biBitCount = 4;
    for (int i = 0; i < 16; ++i)
        picture.colours[i] = {static_cast<BYTE>(i), static_cast<BYTE>(2 * i), static_cast<BYTE>(3 * i), 0};
    const struct {
        WORD bits;
        DWORD used;
        int entries;  // 0: no palette
    } cases[] = {{4, 0, 16}, {4, 3, 3}, {1, 0, 2}, {24, 0, 0}};
    for (const auto& c : cases) {
        picture.header.biBitCount = c.bits;
        picture.header.biClrUsed = c.used;
        HPALETTE palette = CreatePicturePalette(reinterpret_cast<BITMAPINFO*>(&picture));
        if (c.entries == 0) {
            EXPECT_EQ(palette, nullptr);
            continue;
        }
        ASSERT_NE(palette, nullptr);
        PALETTEENTRY entries[16] = {};
        EXPECT_EQ(GetPaletteEntries(palette, 0, 16, entries), static_cast<UINT>(c.entries));
        // Red, green and blue come from the table (stored blue first).
        EXPECT_EQ(entries[1].peRed, 3);
        EXPECT_EQ(entries[1].peGreen, 2);
        EXPECT_EQ(entries[1].peBlue, 1);
        DeleteObject(palette);
    }
    EXPECT_EQ(CreatePicturePalette(nullptr), nullptr);
}

TEST(ContextUtilities, ZeroedBlock)
{
    auto* block = static_cast<uint8_t*>(AllocZeroed800());
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 800u);
    EXPECT_EQ(std::vector<uint8_t>(block, block + 800), std::vector<uint8_t>(800, 0));
    FreeBlock(block);
    FreeBlock(nullptr);
}

TEST(ContextUtilities, SupportedFieldsOfThePlatform)
{
    // Wine reports an NT platform later than 4 (kind 514): every row counts.
    uint32_t mask = 0;
    ASSERT_EQ(BuildSupportedFieldsMask(nullptr, &mask, 1), TRUE);
    EXPECT_EQ(mask, 0x1FF13u);
    ASSERT_EQ(BuildSupportedFieldsMask(nullptr, &mask, 2), TRUE);
    EXPECT_EQ(mask, 0x1FF13u);
    ASSERT_EQ(BuildSupportedFieldsMask(nullptr, &mask, 4), TRUE);
    EXPECT_EQ(mask, 0u);
    EXPECT_EQ(BuildSupportedFieldsMask(nullptr, nullptr, 1), FALSE);
}

// The overrides of a context without a model: only the configured defaults use them.
struct OverrideContext {
    SettingsContext context = {};
    explicit OverrideContext(const char* text, const wchar_t* name)
        : file_(name, text)
    {
        context.overrides = LoadConfigFile(file_.path(), 1);
    }
    ~OverrideContext() { FreeConfigFieldOverrides(context.overrides); }

private:
    TempProfileFile file_;
};

uint32_t Read(TestRecords& r, uint16_t id)
{
    uint32_t value = 0;
    EXPECT_EQ(ReadSettingNumber(id, r.s(), r.p(), &value), 1) << id;
    return value;
}

TEST(ContextUtilities, ConfiguredColourDefault)
{
    const struct {
        const char* text;
        int16_t dmColor;
        uint32_t colorMode;  // 99: left alone
    } cases[] = {
        {"[DME,1]\ncolor.mode=2\n", 2, 0},  {"[DME,1]\ncolor.mode=1\n", 2, 2}, {"[DME,1]\ncolor.mode=2\n", 1, 1},
        {"[DME,1]\ncolor.mode=0\n", 2, 99}, {"[DME,1]\n", 2, 99},
    };
    for (const auto& c : cases) {
        OverrideContext overrides(c.text, L"morva_ctx_color.cfg");
        TestRecords r;
        WriteSettingNumber(15, r.s(), r.p(), static_cast<uint16_t>(c.dmColor));
        WriteSettingNumber(270, r.s(), r.p(), 99);
        EXPECT_EQ(ApplyConfiguredColorDefault(&overrides.context, r.s(), r.p()), TRUE) << c.text;
        EXPECT_EQ(Read(r, 270), c.colorMode) << c.text << c.dmColor;
    }
    TestRecords r;
    SettingsContext none = {};
    EXPECT_EQ(ApplyConfiguredColorDefault(&none, r.s(), r.p()), FALSE);
    EXPECT_EQ(ApplyConfiguredColorDefault(nullptr, r.s(), r.p()), FALSE);
}

TEST(ContextUtilities, ConfiguredMediaType)
{
    OverrideContext merged("[DME,1]\nmedia.merge=1\n", L"morva_ctx_media1.cfg");
    TestRecords r;
    WriteSettingNumber(24, r.s(), r.p(), 14);
    EXPECT_EQ(ApplyConfiguredMediaType(&merged.context, r.s(), r.p()), TRUE);
    EXPECT_EQ(Read(r, 388), 14u);
    EXPECT_EQ(Read(r, 453), 14u);

    OverrideContext unmerged("[DME,1]\n", L"morva_ctx_media0.cfg");
    TestRecords untouched;
    WriteSettingNumber(24, untouched.s(), untouched.p(), 14);
    EXPECT_EQ(ApplyConfiguredMediaType(&unmerged.context, untouched.s(), untouched.p()), TRUE);
    EXPECT_EQ(Read(untouched, 388), 0u);
    SettingsContext none = {};
    EXPECT_EQ(ApplyConfiguredMediaType(&none, r.s(), r.p()), FALSE);
}

TEST(ContextUtilities, PaperNamePrefixes)
{
    TestRecords r;
    const wchar_t* name = L"Report";
    ASSERT_EQ(SetFunctionIdValueArgs(r.s(), r.p(), 5931, kTypeString, 14, name), 0);
    wchar_t defaultName[64];
    ASSERT_EQ(FormatUserDefinedName(4, defaultName, 64), 1);
    const std::wstring withSize = std::wstring(defaultName) + L" 210 x 297 mm";
    const struct {
        const wchar_t* text;
        int mode;
        BOOL match;
    } cases[] = {
        {L"Report 100 x 200 mm", kPaperNamesStored, TRUE},
        {L"Report", kPaperNamesStored, TRUE},
        {L"Repor", kPaperNamesStored, FALSE},
        {L"report", kPaperNamesStored, FALSE},
        {L"Anything", kPaperNamesStored, FALSE},  // the empty names match nothing
        {withSize.c_str(), kPaperNamesDefault, TRUE},
        {L"Report", kPaperNamesDefault, FALSE},
        {L"Report", 3, FALSE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesPaperNamePrefix(r.s(), r.p(), c.text, c.mode), c.match) << c.mode;
    EXPECT_EQ(MatchesPaperNamePrefix(r.s(), r.p(), nullptr, kPaperNamesStored), FALSE);
}

TEST(OptionLists, KindsAndCountsOfNoList)
{
    EXPECT_EQ(GetOptionListKind(nullptr), 0);
    EXPECT_EQ(SetOptionListKind(nullptr, 3), FALSE);
    EXPECT_EQ(GetOptionCount(nullptr), -1);
    OptionList list = {};
    list.count = -1;
    EXPECT_EQ(SetOptionListKind(&list, 4), TRUE);
    EXPECT_EQ(GetOptionListKind(&list), 4);
    EXPECT_EQ(GetOptionCount(&list), -1);
    FreeOptionList(nullptr);
}

// Entries filled one after the other keep their own text and value.
TEST(OptionLists, EachEntryOwnsItsTextAndValue)
{
    OptionTextEntry entries[3] = {};
    const uint16_t values[3] = {7, 8, 9};
    const wchar_t* texts[3] = {L"One", L"Two", L"Three"};
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(FillOptionText(0, texts[i], &values[i], sizeof values[i], &entries[i]), TRUE);
    for (int i = 0; i < 3; ++i) {
        EXPECT_STREQ(entries[i].text, texts[i]);
        EXPECT_EQ(entries[i].value, values[i]);
    }
    // Refilling an entry frees its former text.
    ASSERT_EQ(FillOptionText(0, L"Again", &values[2], 2, &entries[0]), TRUE);
    EXPECT_STREQ(entries[0].text, L"Again");
    EXPECT_STREQ(entries[1].text, L"Two");
    for (OptionTextEntry& e : entries)
        ClearOptionText(&e);
    EXPECT_EQ(entries[0].text, nullptr);
}

TEST(OptionLists, ResourceTexts)
{
    // The library's own string table (linked into this program) holds 32767.
    OptionTextEntry entry = {};
    entry.module = GetModuleHandleW(nullptr);
    entry.idBase = 32700;
    const uint32_t value = 5;
    ASSERT_EQ(FillOptionText(67, nullptr, &value, 4, &entry), TRUE);
    EXPECT_STREQ(entry.text, L"morvares.dll");
    EXPECT_EQ(entry.value, 5u);
    EXPECT_EQ(FillOptionText(1, nullptr, &value, 4, &entry), FALSE) << "no string 32701";
    EXPECT_STREQ(entry.text, L"morvares.dll") << "a failed fill keeps the entry";
    EXPECT_EQ(FillOptionText(0, L"x", &value, 9, &entry), FALSE);
    EXPECT_EQ(FillOptionText(0, L"x", nullptr, 4, &entry), FALSE);
    EXPECT_EQ(FillOptionText(0, L"x", &value, 4, nullptr), FALSE);
    ClearOptionText(&entry);
}

TEST(OptionLists, FreeingAListFreesWhatItOwns)
{
    auto* list = static_cast<OptionList*>(GlobalAlloc(GPTR, sizeof(OptionList)));
    list->title = static_cast<wchar_t*>(GlobalAlloc(GPTR, 8));
    list->valueType = kTypeString;
    list->listKind = 2;
    list->count = 2;
    list->rows = static_cast<OptionRow*>(GlobalAlloc(GPTR, 2 * sizeof(OptionRow)));
    for (int i = 0; i < 2; ++i) {
        list->rows[i].text = static_cast<wchar_t*>(GlobalAlloc(GPTR, 8));
        list->rows[i].value = reinterpret_cast<uintptr_t>(GlobalAlloc(GPTR, 8));
    }
    FreeOptionList(list);  // a leak or a double free shows under a heap checker only
    SUCCEED();
}

}  // namespace
