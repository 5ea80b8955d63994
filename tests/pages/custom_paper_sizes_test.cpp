// User paper sizes: typed texts, their display, the form names and the forms
// written and read back.
#include "ui/pages/custom_paper_sizes.h"

#include <winspool.h>

#include "common/system/module_files.h"
#include "common/context/settings_context.h"
#include "common/model/model_data.h"
#include "tests/support/import_patch.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

TEST(CustomPaperSizes, TypedTexts)
{
    struct Case {
        const wchar_t* text;
        int unit;
        int ok;
        int32_t value;
    } cases[] = {
        {L"215.9", kUnitMillimetre, 1, 2159}, {L"215", kUnitMillimetre, 1, 2150},
        {L"215.95", kUnitMillimetre, 0, 0},   {L"215.", kUnitMillimetre, 0, 0},
        {L".5", kUnitMillimetre, 0, 0},       {L"21a", kUnitMillimetre, 0, 0},
        {L"", kUnitMillimetre, 0, 0},         {L"-5", kUnitMillimetre, 0, 0},
        {L"215,9", kUnitMillimetre, 0, 0},    {L"8.5", kUnitInch, 1, 850},
        {L"8.27", kUnitInch, 1, 827},         {L"8.275", kUnitInch, 0, 0},
        {L"99999999999", kUnitMillimetre, 0, 0},
    };
    for (const Case& c : cases) {
        int32_t value = 0;
        EXPECT_EQ(ParseCustomSizeText(c.text, L'.', c.unit, &value), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
    // 8.5 inches are stored as 215.9 mm.
    EXPECT_EQ(HundredthsInchToTenthsMm(850), 2159);
    EXPECT_EQ(TenthsMmToHundredthsInch(2100), 827);
    int32_t value = 0;
    EXPECT_EQ(ParseCustomSizeText(L"215,9", L',', kUnitMillimetre, &value), 1);
    EXPECT_EQ(value, 2159);
}

TEST(CustomPaperSizes, Display)
{
    wchar_t text[32];
    FormatCustomSize(2100, kUnitMillimetre, L'.', text, 32);
    EXPECT_STREQ(text, L"210.0");
    FormatCustomSize(2159, kUnitInch, L'.', text, 32);
    EXPECT_STREQ(text, L"8.50");
    FormatCustomSize(2970, kUnitInch, L',', text, 32);
    EXPECT_STREQ(text, L"11,69");
}

TEST(CustomPaperSizes, FormNamesKeepTheirNumberWithinThirtyOneCharacters)
{
    SetModuleHandle(GetModuleHandleW(nullptr));
    wchar_t base[64];
    ASSERT_TRUE(FormatUserDefinedName(0, base, 64));
    wchar_t name[32];
    ASSERT_TRUE(FormatUserFormName(0, name, 32));
    EXPECT_STREQ(name, base);
    ASSERT_TRUE(FormatUserFormName(19, name, 32));
    EXPECT_EQ(std::wstring(name).substr(std::wstring(name).size() - 2), L"20");
    // A short room keeps the number whole and cuts the text before it, so that
    // the 20 names stay apart.
    wchar_t small[6];
    ASSERT_TRUE(FormatUserFormName(11, small, 6));
    EXPECT_EQ(std::wstring(small).size(), 5u);
    EXPECT_EQ(std::wstring(small).substr(3), L"12");
    wchar_t other[6];
    ASSERT_TRUE(FormatUserFormName(0, other, 6));
    EXPECT_STRNE(small, other);
    EXPECT_EQ(FormatUserFormName(20, name, 32), 0);
}

TEST(CustomPaperSizes, DisplayNamesAreCutToFourteenBytesWhole)
{
    wchar_t latin[] = L"ABCDEFGHIJKLMNOP";
    EXPECT_EQ(CutDisplayName(latin, 1252), 1);
    EXPECT_STREQ(latin, L"ABCDEFGHIJKLMN");
    // Double-byte characters (2 bytes each in code page 932): a character that
    // would pass the 14th byte goes whole.
    wchar_t wide[] = L"A\u3042\u3044\u3046\u3048\u304A\u304B\u304D\u304F";  // 1 + 8 x 2 bytes
    EXPECT_EQ(CutDisplayName(wide, 932), 1);
    EXPECT_STREQ(wide, L"A\u3042\u3044\u3046\u3048\u304A\u304B");  // 13 bytes
    wchar_t fits[] = L"Short";
    EXPECT_EQ(CutDisplayName(fits, 1252), 0);
}

// A spooler form store: GetFormW answers from it, SetFormW writes into it.
std::map<std::wstring, SIZEL> g_forms;
int g_setCalls = 0;

BOOL WINAPI StoreGetForm(HANDLE, LPWSTR name, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed)
{
    auto it = g_forms.find(name);
    if (level != 1 || it == g_forms.end()) {
        SetLastError(ERROR_INVALID_FORM_NAME);
        return FALSE;
    }
    *needed = sizeof(FORM_INFO_1W);
    if (size < sizeof(FORM_INFO_1W)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    auto* form = reinterpret_cast<FORM_INFO_1W*>(buffer);
    *form = {};
    form->Size = it->second;
    return TRUE;
}

BOOL WINAPI StoreSetForm(HANDLE, LPWSTR name, DWORD level, LPBYTE data)
{
    ++g_setCalls;
    const auto* form = reinterpret_cast<const FORM_INFO_1W*>(data);
    if (level != 1 || form->Flags != FORM_PRINTER || wcslen(name) > 31 || wcscmp(name, form->pName) != 0 ||
        form->ImageableArea.left != 0 || form->ImageableArea.right != form->Size.cx ||
        form->ImageableArea.bottom != form->Size.cy)
        return FALSE;
    g_forms[name] = form->Size;
    return TRUE;
}

TEST(CustomPaperSizes, FormsWrittenAndReadBack)
{
    SetModuleHandle(GetModuleHandleW(nullptr));
    ScopedImportPatch get("winspool.drv", "GetFormW", reinterpret_cast<void*>(&StoreGetForm));
    ScopedImportPatch set("winspool.drv", "SetFormW", reinterpret_cast<void*>(&StoreSetForm));
    ASSERT_TRUE(get.active());
    ASSERT_TRUE(set.active());
    g_forms.clear();
    CustomPaperEntry entries[kCustomPaperCount];
    ReadCustomPaperForms(nullptr, entries);
    // No form can be read: every entry takes the A4 size.
    for (const CustomPaperEntry& e : entries) {
        EXPECT_EQ(e.width, kUnreadFormWidth);
        EXPECT_EQ(e.length, kUnreadFormLength);
    }
    entries[0].width = 2159;
    entries[0].length = 2794;
    entries[19].width = 1000;
    entries[19].length = 1480;
    g_setCalls = 0;
    EXPECT_EQ(WriteCustomPaperForms(nullptr, entries), 1);
    EXPECT_EQ(g_setCalls, kCustomPaperCount);
    EXPECT_EQ(g_forms.size(), static_cast<size_t>(kCustomPaperCount));
    CustomPaperEntry again[kCustomPaperCount];
    ReadCustomPaperForms(nullptr, again);
    EXPECT_EQ(again[0].width, 2159);
    EXPECT_EQ(again[0].length, 2794);
    EXPECT_EQ(again[19].width, 1000);
    EXPECT_EQ(again[19].length, 1480);
    EXPECT_EQ(again[5].width, kUnreadFormWidth);
    EXPECT_STREQ(again[19].formName, entries[19].formName);
}

}  // namespace

namespace {

TEST(CustomPaperSizes, TypedSizesAgainstTheLimits)
{
    // Limits 100.0-297.0 mm by 148.0-431.8 mm (widths shown).
    struct Case {
        const wchar_t* text;
        int unit;
        int32_t stored;
        int result;
        int32_t value;
    } cases[] = {
        {L"215.9", kUnitMillimetre, 2100, kSizeAccepted, 2159},
        {L"99.9", kUnitMillimetre, 2100, kSizeInvalid, 0},    // outside the shown range
        {L"297.1", kUnitMillimetre, 2100, kSizeInvalid, 0},
        {L"99.9", kUnitMillimetre, 3500, kSizeBelowShown, 0}, // the stored value was outside already
        {L"300", kUnitMillimetre, 3500, kSizeAboveShown, 0},
        {L"8.5", kUnitInch, 2100, kSizeAccepted, 2159},
        {L"11.69", kUnitInch, 2100, kSizeAccepted, 2969},
        {L"8.x", kUnitInch, 2100, kSizeInvalid, 0},
    };
    for (const Case& c : cases) {
        int32_t value = 0;
        EXPECT_EQ(CheckCustomSizeText(c.text, L'.', c.unit, false, c.stored, 1000, 2970, &value), c.result) << c.text;
        if (c.result == kSizeAccepted) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
    int32_t low = 0, high = 0;
    ShownCustomRange(1000, 2970, kUnitInch, false, &low, &high);
    EXPECT_EQ(low, 394);
    EXPECT_EQ(high, 1169);
    ShownCustomRange(1000, 2970, kUnitInch, true, &low, &high);
    EXPECT_EQ(low, 390);
    EXPECT_EQ(high, 1170);
}

TEST(CustomPaperSizes, AWidthGreaterThanTheLengthIsTurned)
{
    CustomPaperEntry e = {};
    e.width = 2970;
    e.length = 2100;
    EXPECT_TRUE(TurnCustomPaper(&e));
    EXPECT_EQ(e.width, 2100);
    EXPECT_EQ(e.length, 2970);
    EXPECT_FALSE(TurnCustomPaper(&e));
}

}  // namespace

namespace {

TEST(CustomPaperSizes, ModelLimitsAndFewerUserPapersThanEntries)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring file = path;
    file = file.substr(0, file.find_last_of(L"\\/") + 1) + L"Q4530.DDD";
    ModelDataRecord main{}, linked{};
    ASSERT_EQ(LoadModelDataFile(file.c_str(), &main, &linked), kModelOk);
    SettingsContext settings{};
    settings.main = &main;
    settings.linked = &linked;
    uint16_t codes[kCustomPaperCount] = {};
    CustomPaperLimits limits;
    // The fixture model has one user paper: the other 19 entries have no model
    // paper and keep the A4 size.
    EXPECT_EQ(LoadCustomPaperLimits(&settings, codes, &limits), 1);
    EXPECT_EQ(codes[0], 262);
    EXPECT_EQ(codes[1], 0);
    EXPECT_EQ(limits.minWidth, 1050);
    EXPECT_EQ(limits.minLength, 1480);
    EXPECT_EQ(limits.maxWidth, 2159);
    EXPECT_EQ(limits.maxLength, 3556);
    CloseModelData(&main, &linked);
}

}  // namespace
