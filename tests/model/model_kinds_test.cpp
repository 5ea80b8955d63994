// Settings to tables, lookups by setting, model defaults and typed accessors.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "common/model/model_kinds.h"
#include "common/model/section_bytes.h"
#include "common/model/model_value_ops.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/locale_region.h"
#include "common/system/module_files.h"
#include "tests/model/model_test_files.h"

namespace {

std::wstring Take(wchar_t* block) {
    std::wstring s = block != nullptr ? block : L"";
    if (block != nullptr) GlobalFree(block);
    return s;
}

uint64_t Holder(uint32_t n) { return n; }

TEST(ModelKindMap, SettingsToTables) {
    struct Case { uint16_t id; uint16_t value; bool given; uint16_t kind; uint16_t record; } cases[] = {
        {4129, 0, false, 4, 4129}, {4363, 0, false, 4, 4363}, {4365, 0, false, 4, 4365},
        {4097, 0, false, 3, 4097}, {4128, 0, false, 3, 4128}, {4130, 0, false, 3, 4130}, {4371, 0, false, 3, 4371},
        {32769, 9, true, 10, 9}, {32769, 0, false, 10, 0}, {32770, 258, true, 5, 258}, {32771, 2, true, 6, 2},
        {32779, 1, true, 19, 1}, {4372, 0, false, 4, 4372}, {286, 0, false, 4, 286},
        {282, 0, false, 4, 282}, {285, 0, false, 4, 282}, {1, 0, false, 1, 0}, {259, 0, false, 1, 0},
        {274, 0, false, 4, 274}, {275, 0, false, 4, 274}, {277, 0, false, 4, 274},
        {278, 0, false, 4, 278}, {281, 0, false, 4, 278}, {8, 0, false, 4, 8}, {273, 0, false, 4, 273},
    };
    for (const Case& c : cases) {
        uint16_t kind = 0, record = 0;
        const uint64_t holder = c.value;
        MapFunctionIdToModelKind(c.id, c.given ? &holder : nullptr, &kind, &record);
        EXPECT_EQ(kind, c.kind) << c.id;
        EXPECT_EQ(record, c.record) << c.id;
    }
}

TEST(ModelFeatureBits, PresenceMask) {
    LoadedModel c(BinPath(L"C4530.DDD"));
    LoadedModel m(BinPath(L"M2200.DDD"));
    ASSERT_EQ(c.status, kModelOk);
    ASSERT_EQ(m.status, kModelOk);
    struct Case { uint16_t id; int colour; int mono; } cases[] = {
        {4101, 0, 1}, {4102, 1, 1}, {4103, 0, 0}, {4111, 0, 1}, {4161, 0, 1}, {4162, 1, 1},
        {4129, 0, 1}, {4142, 0, 1}, {4096, 1, 1}, {8, 1, 1},
    };
    for (const Case& t : cases) {
        EXPECT_EQ(IsFeatureInModel(&c.main, &c.linked, t.id), t.colour) << t.id;
        EXPECT_EQ(IsFeatureInModel(&m.main, &m.linked, t.id), t.mono) << t.id;
    }
    uint32_t a = 0, b = 0;
    ASSERT_TRUE(GetFeatureBit(4161, &a));
    ASSERT_TRUE(GetFeatureBit(4111, &b));
    EXPECT_EQ(a, b);
    EXPECT_FALSE(GetFeatureBit(4162, &a));
}

class C4530 : public ::testing::Test {
protected:
    LoadedModel m{BinPath(L"C4530.DDD")};
    void SetUp() override { ASSERT_EQ(m.status, kModelOk); }
    ModelDataRecord* main() { return &m.main; }
    ModelDataRecord* linked() { return &m.linked; }
};

TEST_F(C4530, SharedFeatureRecordsAndHeaderSettings) {
    for (uint16_t id : {274, 275, 276, 277}) {
        ModelSection* s = nullptr;
        uint16_t kind = 0;
        ASSERT_EQ(LoadItemFeature(true, main(), linked(), id, nullptr, &kind, &s, nullptr), kModelOk) << id;
        EXPECT_EQ(s->id, 274);
        EXPECT_EQ(kind, kKindFeatureOther);
        FreeModelSection(&s, kKindOwn);
    }
    ModelSection* s = nullptr;
    uint16_t kind = 0;
    wchar_t* name = nullptr;
    ASSERT_EQ(LoadItemFeature(true, main(), linked(), 259, nullptr, &kind, &s, &name), kModelOk);
    EXPECT_EQ(kind, kKindHeader);
    EXPECT_EQ(s, nullptr);
    EXPECT_EQ(Take(name), L"MORVA C4530 MFP");
}

TEST_F(C4530, OptionsByNumberAndByValue) {
    ModelSection* s = nullptr;
    uint16_t kind = 0;
    // The paper setting's option 3 is the third paper record by position.
    ASSERT_EQ(LoadItemOption(true, main(), linked(), 32769, 3, &kind, &s), kModelOk);
    EXPECT_EQ(kind, kKindPaper);
    EXPECT_EQ(AsPaper(s)->name, L"Legal");
    FreeModelSection(&s, kKindOwn);
    EXPECT_EQ(LoadItemOption(true, main(), linked(), 32770, 5, &kind, &s), kModelOk);
    EXPECT_EQ(AsTray(s)->name, L"Bypass Tray");
    FreeModelSection(&s, kKindOwn);
    EXPECT_EQ(LoadItemOption(true, main(), linked(), 16, 2, &kind, &s), kModelOk);
    EXPECT_EQ(kind, kKindOptionOther);
    EXPECT_EQ(AsOption(s)->name, L"Long Edge");
    FreeModelSection(&s, kKindOwn);
    EXPECT_EQ(LoadItemOption(true, main(), linked(), 16, 4, &kind, &s), kModelAbsent);
    EXPECT_EQ(LoadItemOption(true, main(), linked(), 4101, 2, &kind, &s), kModelOk);
    EXPECT_EQ(kind, kKindOption);
    FreeModelSection(&s, kKindOwn);
    EXPECT_EQ(LoadItemOption(true, main(), linked(), 259, 1, &kind, &s), kModelAbsent);
    // By value: the paper option of A4, and a value no option holds.
    const uint64_t a4 = Holder(9);
    ASSERT_EQ(LoadItemFeature(true, main(), linked(), 8, &a4, &kind, &s, nullptr), kModelOk);
    EXPECT_EQ(kind, kKindOptionOther);
    EXPECT_EQ(AsOption(s)->targetId, 9);
    FreeModelSection(&s, kKindOwn);
    const uint64_t none = Holder(4242);
    EXPECT_EQ(LoadItemFeature(true, main(), linked(), 8, &none, &kind, &s, nullptr), kModelAbsent);
    EXPECT_EQ(s, nullptr);
    // Resolution: a u32 option value.
    const uint64_t fine = Holder((1200u << 16) | 600u);
    ASSERT_EQ(LoadItemFeature(true, main(), linked(), 14, &fine, &kind, &s, nullptr), kModelOk);
    EXPECT_EQ(AsOption(s)->name, L"1200 x 600 dpi");
    FreeModelSection(&s, kKindOwn);
}

TEST_F(C4530, FeatureOptionDefaultAndBounds) {
    ModelSection* feature = nullptr;
    uint16_t kind = 0;
    ASSERT_EQ(LoadItemFeature(true, main(), linked(), 16, nullptr, &kind, &feature, nullptr), kModelOk);
    ModelSection* o = nullptr;
    ASSERT_EQ(GetFeatureOption(true, main(), linked(), feature, 0, true, &kind, &o), kModelOk);
    EXPECT_EQ(AsOption(o)->name, L"Off");
    FreeModelSection(&o, kKindOwn);
    EXPECT_EQ(GetFeatureOption(true, main(), linked(), feature, 0, false, &kind, &o), kModelBad);
    EXPECT_EQ(GetFeatureOption(true, main(), linked(), feature, 3, false, &kind, &o), kModelOk);
    FreeModelSection(&o, kKindOwn);
    EXPECT_EQ(GetFeatureOption(true, main(), linked(), feature, 4, false, &kind, &o), kModelAbsent);
    FreeModelSection(&feature, kKindOwn);
}

TEST_F(C4530, DisplayNames) {
    struct Case { uint16_t id; bool given; uint32_t value; const wchar_t* name; uint16_t status; } cases[] = {
        {7, false, 0, L"Orientation", kModelOk},
        {16, true, 2, L"Long Edge", kModelOk},
        {32769, true, 9, L"A4", kModelOk},
        {32770, true, 264, L"Large Capacity Tray", kModelOk},
        {1, false, 0, L"MORVA C4530 MFP", kModelOk},
        {1800, false, 0, L"Fax Resolution", kModelOk},
        {32779, true, 1, L"", kModelBad},   // kind 19 carries no display name of its own
        {9999, false, 0, L"", kModelAbsent},
    };
    for (const Case& c : cases) {
        wchar_t* name = nullptr;
        const uint64_t holder = c.value;
        EXPECT_EQ(GetItemDisplayName(main(), linked(), c.id, c.given ? &holder : nullptr, &name), c.status) << c.id;
        EXPECT_EQ(Take(name), c.name) << c.id;
    }
}

// The locale-dependent defaults, written per locale the tests run under (the
// locale of the process follows LANG and LC_ALL; see tests/model/CMakeLists.txt):
// the paper region (settings 8, 1824, 327), the region code (4356, converted:
// 2 becomes 1, 3 becomes 0) and the region flag (4358).
struct LocaleDefaults {
    const char* locale;
    uint32_t paper;        // 8 and 1824
    uint32_t paperSeries;  // 327
    uint32_t series;       // 4356
    uint32_t switch8k16k;  // 4358
};
constexpr LocaleDefaults kLocaleDefaults[] = {
    {"C.UTF-8", 1, 3, 4, 0},      // wine takes the C locale for US English
    {"en_US.UTF-8", 1, 3, 4, 0},  // country 1: letter sizes, inch series
    {"ja_JP.UTF-8", 9, 1, 1, 0},  // country 81
    {"zh_CN.UTF-8", 9, 1, 1, 1},  // country 86: region code 2, flag 1
    {"de_DE.UTF-8", 9, 1, 0, 0},  // country 49
};

const LocaleDefaults* DefaultsOfThisLocale() {
    const char* locale = getenv("LC_ALL");
    if (locale == nullptr || *locale == 0) locale = getenv("LANG");
    if (locale == nullptr || *locale == 0) locale = "C.UTF-8";
    for (const LocaleDefaults& row : kLocaleDefaults)
        if (std::strcmp(row.locale, locale) == 0) return &row;
    return nullptr;
}

TEST_F(C4530, ModelDefaults) {
    const LocaleDefaults* locale = DefaultsOfThisLocale();
    if (locale == nullptr) GTEST_SKIP() << "no expected defaults written for this locale";
    struct Case { uint16_t id; uint32_t value; uint16_t type; } cases[] = {
        {7, 1, kValueS16}, {16, 1, kValueS16}, {14, (600u << 16) | 600u, kValueU32}, {18, 1, kValueS16},
        {8, locale->paper, kValueS16}, {1824, locale->paper, kValueU16},
        // 1804 follows the language text of the resource library, which this
        // program does not load: the model's own default stays.
        {327, locale->paperSeries, kValueU16}, {1804, 0, kValueU16},
        {4356, locale->series, kValueU16}, {4358, locale->switch8k16k, kValueU16},
        {4103, 1, kValueFlag}, {1333, 1, kValueFlag}, {448, 0, kValueByte}, {275, 0, kValueU16},
    };
    for (const Case& c : cases) {
        ModelValue v;
        ASSERT_EQ(ReadModelDefault(main(), linked(), c.id, &v), kModelOk) << c.id << " " << locale->locale;
        uint32_t n = 0;
        ASSERT_TRUE(ModelValueNumber(v, &n)) << c.id;
        EXPECT_EQ(n, c.value) << c.id << " " << locale->locale;
        EXPECT_EQ(v.type, c.type) << c.id;
        EXPECT_NE(v.owned, nullptr) << c.id;
    }
    ModelValue v;
    EXPECT_EQ(ReadModelDefault(main(), linked(), 32769, &v), kModelBad);   // not a feature
    EXPECT_EQ(ReadModelDefault(main(), linked(), 259, &v), kModelBad);
    EXPECT_EQ(ReadModelDefault(main(), linked(), 9999, &v), kModelAbsent);  // no record
}

// Every value the paper-series setting may default to has its option.
TEST_F(C4530, PaperSeriesHasAnOptionForEveryRegionCode) {
    ModelSection* feature = nullptr;
    uint16_t kind = 0;
    ASSERT_EQ(LoadItemFeature(true, main(), linked(), 4356, nullptr, &kind, &feature, nullptr), kModelOk);
    for (uint16_t code = 0; code <= 4; ++code) {
        const uint64_t holder = code;
        ModelSection* option = nullptr;
        EXPECT_EQ(FindOptionByValue(main(), linked(), feature, &holder, &kind, &option), kModelOk) << code;
        FreeModelSection(&option, kKindOwn);
    }
    FreeModelSection(&feature, kKindOwn);
}

TEST(ModelDefaults, DefaultOptionOutsideTheListIsRefused) {
    LoadedModel m(BinPath(L"EDGE.DDD"));
    ASSERT_EQ(m.status, kModelOk);
    ModelValue v;
    EXPECT_EQ(ReadModelDefault(&m.main, &m.linked, 4356, &v), kModelBad);  // default 3 of two options
    // A model without the locale capability keeps its own paper default.
    LoadedModel mono(BinPath(L"M2200.DDD"));
    ASSERT_EQ(mono.status, kModelOk);
    ASSERT_EQ(ReadModelDefault(&mono.main, &mono.linked, 8, &v), kModelOk);
    uint32_t n = 0;
    ASSERT_TRUE(ModelValueNumber(v, &n));
    EXPECT_EQ(n, 9u);
}

TEST(ModelOptionValues, ComparedByTheOptionType) {
    LoadedModel m(BinPath(L"EDGE.DDD"));
    ASSERT_EQ(m.status, kModelOk);
    const wchar_t* abd = L"abd";
    const wchar_t* ABC = L"ABC";
    const wchar_t* ab = L"ab";
    float one5 = 1.5f, nan = std::nanf("");
    uint64_t text = 0, upper = 0, prefix = 0, floatHolder = 0, nanHolder = 0;
    memcpy(&text, &abd, sizeof abd);
    memcpy(&upper, &ABC, sizeof ABC);
    memcpy(&prefix, &ab, sizeof ab);
    memcpy(&floatHolder, &one5, 4);
    memcpy(&nanHolder, &nan, 4);
    struct Case { const char* what; uint16_t feature; uint64_t holder; uint16_t status; const wchar_t* name; } cases[] = {
        {"string exact", 303, text, kModelOk, L"Second"},
        {"string other case", 303, upper, kModelAbsent, L""},
        {"string prefix", 303, prefix, kModelAbsent, L""},
        {"string null", 303, 0, kModelAbsent, L""},
        {"float", 304, floatHolder, kModelOk, L"One and a half"},
        {"NaN never matches", 304, nanHolder, kModelAbsent, L""},
        {"flag", 305, 1, kModelOk, L"On"},
        {"flag reads the low 32 bits", 305, 0x100000000ull, kModelOk, L"Off"},
        {"u16 of a 32-bit holder", 4356, 0x10001, kModelOk, L"One"},
        // Feature 300 mixes types: its text option is never read against a number.
        {"options of mixed types", 300, 7, kModelBad, L""},
    };
    for (const Case& c : cases) {
        ModelSection* feature = nullptr;
        uint16_t kind = 0;
        ASSERT_EQ(LoadItemFeature(true, &m.main, &m.linked, c.feature, nullptr, &kind, &feature, nullptr), kModelOk);
        ModelSection* o = nullptr;
        EXPECT_EQ(FindOptionByValue(&m.main, &m.linked, feature, &c.holder, &kind, &o), c.status) << c.what;
        if (o != nullptr) {
            EXPECT_EQ(AsOption(o)->name, c.name) << c.what;
        }
        FreeModelSection(&o, kKindOwn);
        FreeModelSection(&feature, kKindOwn);
    }
}

TEST_F(C4530, OptionCopies) {
    ModelSection* copy = nullptr;
    ASSERT_EQ(GetItemOptionCopy(main(), linked(), 16, 2, &copy), kModelOk);
    const OptionCopySection* c = AsOptionCopy(copy);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->name, L"Long Edge");
    EXPECT_EQ(c->value.type, kValueS16);
    EXPECT_TRUE(c->hasByteBlock);
    EXPECT_EQ(c->byteBlock, (std::vector<uint8_t>{0x0a, 0x0b}));
    FreeModelSection(&copy, kKindOwn);
    ASSERT_EQ(GetItemOptionCopy(main(), linked(), 8, 0, &copy), kModelOk);
    EXPECT_EQ(AsOptionCopy(copy)->name, L"Paper Size");
    EXPECT_EQ(AsOptionCopy(copy)->value.count, 0);
    EXPECT_EQ(AsOptionCopy(copy)->byteBlock.size(), 5u);
    FreeModelSection(&copy, kKindOwn);
    wchar_t* name = nullptr;
    ModelValue v;
    ASSERT_EQ(GetItemOptionValue(main(), linked(), 32769, 7, &name, &v), kModelOk);
    EXPECT_EQ(Take(name), L"A4");
    EXPECT_EQ(v.type, kValueU16);
    uint32_t n = 0;
    ASSERT_TRUE(ModelValueNumber(v, &n));
    EXPECT_EQ(n, 9u);
    ModelSection* rule = nullptr;
    ASSERT_EQ(LoadModelTable(true, main(), linked(), kKindConflictRule, 1, &rule), kModelOk);
    EXPECT_EQ(CopyOptionValue(rule, &name, &v), kModelBad);
    FreeModelSection(&rule, kKindOwn);
}

TEST_F(C4530, PictureOfTheModel) {
    ModelSection* picture = nullptr;
    uint16_t a = 0, b = 0;
    ASSERT_EQ(GetModelStringEntry(main(), linked(), 34, &a, &b, &picture), kModelOk);
    EXPECT_EQ(a, 32);
    EXPECT_EQ(b, 32);
    const PictureSection* p = AsPicture(picture);
    ASSERT_GE(p->data.size(), 40u);
    uint32_t headerSize = 0;
    memcpy(&headerSize, p->data.data(), 4);
    EXPECT_EQ(headerSize, 40u);  // the DIB begins after the skipped file header
    FreeModelSection(&picture, kKindOwn);
    ModelSection* ref = nullptr;
    ASSERT_EQ(LoadModelTable(true, main(), linked(), kKindPictureRef, 1, &ref), kModelOk);
    ASSERT_EQ(GetKind9StringInfo(main(), linked(), ref, &a, &b, &picture), kModelOk);
    EXPECT_EQ(picture->kind, kKindPicture);
    FreeModelSection(&picture, kKindOwn);
    FreeModelSection(&ref, kKindOwn);
}

TEST_F(C4530, TypedAccessors) {
    ModelSection* s = nullptr;
    ModelSizePair p1, p2;
    ASSERT_EQ(LoadModelTableWithOption(true, main(), linked(), kKindPaper, 9, 0, &s), kModelOk);
    EXPECT_STREQ(GetSectionDisplayName(s), L"A4");
    ASSERT_EQ(GetPaperSizeField(s, &p1), kModelOk);
    EXPECT_EQ(p1.x, 2100);
    ASSERT_EQ(GetPaperAreaField(s, &p1), kModelOk);
    EXPECT_EQ(p1.y, 2886);
    ASSERT_EQ(GetPaperMarginFields(s, &p1, &p2), kModelOk);
    EXPECT_EQ(p2.x, 42);
    uint16_t flags = 0;
    EXPECT_EQ(GetSectionFlags(s, &flags), kModelOk);
    EXPECT_EQ(flags, 1);
    EXPECT_EQ(GetKind56FirstBlock(s, &p1), kModelBad);
    FreeModelSection(&s, kKindOwn);
    ASSERT_EQ(LoadModelTableWithOption(true, main(), linked(), kKindPaper, 262, 0, &s), kModelOk);
    ASSERT_EQ(GetPaperMinSizeField(s, &p1), kModelOk);
    ASSERT_EQ(GetPaperMaxSizeField(s, &p2), kModelOk);
    EXPECT_EQ(p1.x, 1000);
    EXPECT_EQ(p2.y, 4572);
    FreeModelSection(&s, kKindOwn);
    ASSERT_EQ(LoadModelTableWithOption(true, main(), linked(), kKindInputTray, 1, 0, &s), kModelOk);
    ASSERT_EQ(GetKind56FirstBlock(s, &p1), kModelOk);
    ASSERT_EQ(GetKind56SecondBlock(s, &p2), kModelOk);
    EXPECT_EQ(p1.x, 1397);
    EXPECT_EQ(p2.y, 4320);
    uint16_t entry = 0;
    EXPECT_EQ(GetSectionEntry24(s, 1, &entry), kModelOk);
    EXPECT_EQ(entry, 262);
    EXPECT_EQ(GetSectionEntry24(s, 3, &entry), kModelAbsent);
    FreeModelSection(&s, kKindOwn);
    ASSERT_EQ(LoadModelTableWithOption(true, main(), linked(), kKindOutputBin, 3, 0, &s), kModelOk);
    EXPECT_EQ(GetSectionEntry24Code(s, 2, &entry), kModelOk);
    EXPECT_EQ(entry, 341);
    FreeModelSection(&s, kKindOwn);
    // Fonts live in the linked file.
    ASSERT_EQ(LoadModelTable(true, main(), linked(), kKindFont, 1, &s), kModelOk);
    EXPECT_STREQ(GetFontName(s, 2), L"Helvetica");
    EXPECT_EQ(GetFontName(s, 4), nullptr);
    const uint8_t* payload = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(GetFontSectionList(s, &payload, &size), kModelOk);
    EXPECT_EQ(size, 1014u);  // the description of fonts/sans.fnt
    EXPECT_EQ(GetSectionSettingCount(s), 3);
    ModelSettingValue value{};
    ASSERT_EQ(GetSectionSettingEntry(s, 2, &value), kModelOk);
    EXPECT_EQ(value.type, kValueString);
    EXPECT_STREQ(static_cast<const wchar_t*>(value.data), L"MS");
    EXPECT_EQ(GetSectionSettingEntry(s, 4, &value), kModelAbsent);
    FreeModelSection(&s, kKindOwn);
    ASSERT_EQ(LoadModelTable(true, main(), linked(), kKindEntrySet, 1, &s), kModelOk);
    EXPECT_EQ(GetSectionSettingCount(s), 4);
    const wchar_t* name = nullptr;
    ASSERT_EQ(GetSectionSettingByIndex(s, 1, &name), kModelOk);
    EXPECT_STREQ(name, L"Tray 3");
    EXPECT_EQ(GetSectionSettingByIndex(s, 5, &name), kModelBad);
    EXPECT_EQ(GetSectionFlags(s, &flags), kModelOk);
    FreeModelSection(&s, kKindOwn);
    ASSERT_EQ(LoadModelTable(true, main(), linked(), kKindJobAttribute, 1, &s), kModelOk);
    EXPECT_STREQ(GetJobAttributeRowString1(s), L"@PJL SET JOBATTR=");
    EXPECT_STREQ(GetJobAttributeRowString2(s), L"\"@MDLN=C4530\"");
    FreeModelSection(&s, kKindOwn);
    ASSERT_EQ(LoadModelTable(true, main(), linked(), kKindJobAttribute, 2, &s), kModelOk);
    EXPECT_EQ(GetJobAttributeRowString2(s), nullptr);
    FreeModelSection(&s, kKindOwn);
}

TEST_F(C4530, Presets) {
    ModelSection* s = nullptr;
    ASSERT_EQ(LoadModelTableWithOption(true, main(), linked(), kKindPreset, 1, 0, &s), kModelOk);
    uint16_t count = 0;
    ASSERT_EQ(GetPresetCount(s, &count), kModelOk);
    EXPECT_EQ(count, 4);
    ModelSettingValue e{};
    ASSERT_EQ(GetPresetEntry(s, 4, &e), kModelOk);
    EXPECT_EQ(e.settingId, 1356);
    EXPECT_EQ(e.type, kValueFlag);
    EXPECT_EQ(GetPresetEntry(s, 5, &e), kModelAbsent);
    FreeModelSection(&s, kKindOwn);
}

TEST(ModelVersionGates, AccessorsFollowTheRecordsFileNotTheLastLoad) {
    LoadedModel colour(BinPath(L"C4530.DDD"));
    LoadedModel mono(BinPath(L"M2200.DDD"));  // loaded last: the process-wide version is 1024
    ASSERT_EQ(colour.status, kModelOk);
    ASSERT_EQ(mono.status, kModelOk);
    EXPECT_EQ(GetCurrentModelFormatVersion(), 1024u);
    ModelSection* s = nullptr;
    uint16_t flags = 0, count = 0;
    ASSERT_EQ(LoadModelTableWithOption(true, &colour.main, &colour.linked, kKindPaper, 9, 0, &s), kModelOk);
    EXPECT_EQ(GetSectionFlags(s, &flags), kModelOk);
    FreeModelSection(&s, kKindOwn);
    ASSERT_EQ(LoadModelTableWithOption(true, &colour.main, &colour.linked, kKindPreset, 2, 0, &s), kModelOk);
    EXPECT_EQ(GetPresetCount(s, &count), kModelOk);
    EXPECT_EQ(count, 3);
    FreeModelSection(&s, kKindOwn);
    // The older model has no flag words and no readable presets.
    ASSERT_EQ(LoadModelTableWithOption(true, &mono.main, &mono.linked, kKindPaper, 9, 0, &s), kModelOk);
    EXPECT_EQ(GetSectionFlags(s, &flags), kModelBad);
    FreeModelSection(&s, kKindOwn);
    ASSERT_EQ(LoadModelTable(true, &mono.main, &mono.linked, kKindJobAttribute, 1, &s), kModelOk);
    EXPECT_EQ(GetSectionFlags(s, &flags), kModelBad);
    FreeModelSection(&s, kKindOwn);
    ASSERT_EQ(LoadModelTable(true, &mono.main, &mono.linked, kKindFont, 1, &s), kModelOk);
    EXPECT_EQ(GetSectionFlags(s, &flags), kModelOk);  // kind 11 from 256
    FreeModelSection(&s, kKindOwn);
    ASSERT_EQ(LoadModelTable(true, &mono.main, &mono.linked, kKindEntrySet, 1, &s), kModelOk);
    EXPECT_EQ(GetSectionFlags(s, &flags), kModelBad);
    FreeModelSection(&s, kKindOwn);
    ASSERT_EQ(LoadModelTable(true, &mono.main, &mono.linked, kKindPreset, 1, &s), kModelOk);
    EXPECT_EQ(GetPresetCount(s, &count), kModelBad);
    ModelSettingValue e{};
    EXPECT_EQ(GetPresetEntry(s, 1, &e), kModelBad);
    FreeModelSection(&s, kKindOwn);
    // A linked file of a newer format than its main file: its presets are readable.
    LoadedModel edge(BinPath(L"EDGE.DDD"));
    ASSERT_EQ(edge.status, kModelOk);
    ASSERT_EQ(LoadModelTableWithOption(true, &edge.main, &edge.linked, kKindPreset, 5, 0, &s), kModelOk);
    EXPECT_EQ(GetPresetCount(s, &count), kModelOk);
    FreeModelSection(&s, kKindOwn);
}

// The paper list joins model papers to the spooler's forms by name: every
// standard paper of the reference models has a form of its name.
TEST(ModelPapers, StandardPapersHaveSpoolerForms) {
    HANDLE server = nullptr;
    ASSERT_TRUE(OpenPrinterW(nullptr, &server, nullptr));
    DWORD need = 0, count = 0;
    EnumFormsW(server, 1, nullptr, 0, &need, &count);
    std::vector<uint8_t> block(need);
    ASSERT_TRUE(EnumFormsW(server, 1, block.data(), need, &need, &count));
    ClosePrinter(server);
    const auto* forms = reinterpret_cast<const FORM_INFO_1W*>(block.data());
    for (const wchar_t* model : {L"F1800.DDD", L"C4530.DDD", L"M2200.DDD"}) {
        LoadedModel m(BinPath(model));
        ASSERT_EQ(m.status, kModelOk);
        const uint16_t papers = GetModelTableCount(&m.main, kKindPaper);
        for (uint16_t i = 1; i <= papers; ++i) {
            ModelSection* s = nullptr;
            ASSERT_EQ(LoadModelTable(false, &m.main, &m.linked, kKindPaper, i, &s), kModelOk);
            const uint16_t code = s->id;
            const bool userDefined = code == 256 || (code >= 262 && code <= 266) || (code >= 287 && code <= 301);
            bool found = false;
            for (DWORD f = 0; f < count && !found; ++f)
                found = lstrcmpiW(forms[f].pName, GetSectionDisplayName(s)) == 0;
            EXPECT_TRUE(found || userDefined) << ToUtf8(GetSectionDisplayName(s)) << " of " << ToUtf8(model);
            FreeModelSection(&s, kKindOwn);
        }
    }
}

// Every feature's model default of the reference models can be stored in the
// settings records by the value engine: its option values carry the type the
// setting's layout accepts. Identifiers above 32768 are the model's own
// values (the fine-outline rule's), which no settings record holds.
TEST(ModelDefaults, ReferenceDefaultsStoreInTheSettingsRecords) {
    constexpr uint16_t kModelOwnValues = 32768;
    std::vector<uint8_t> settings(kSettingsRecordSize), printer(kPrinterSettingsRecordSize);
    for (const wchar_t* model : {L"F1800.DDD", L"C4530.DDD", L"M2200.DDD"}) {
        LoadedModel m(BinPath(model));
        ASSERT_EQ(m.status, kModelOk);
        int stored = 0;
        for (uint16_t kind : {uint16_t{kKindFeature}, uint16_t{kKindFeatureOther}}) {
            const uint16_t count = GetModelTableCount(&m.main, kind);
            for (uint16_t i = 1; i <= count; ++i) {
                ModelSection* f = nullptr;
                ASSERT_EQ(LoadModelTable(false, &m.main, &m.linked, kind, i, &f), kModelOk);
                const uint16_t id = f->id;
                FreeModelSection(&f, kKindOwn);
                ModelValue v;
                ASSERT_EQ(ReadModelDefault(&m.main, &m.linked, id, &v), kModelOk) << id;
                if (id > kModelOwnValues)
                    continue;
                uint64_t holder = 0;
                if (v.type == kValueString) {
                    const void* text = v.data;
                    memcpy(&holder, &text, sizeof text);
                } else {
                    memcpy(&holder, v.data, v.size < 8 ? v.size : 8);
                }
                EXPECT_EQ(SetFunctionIdValue(id, settings.data(), printer.data(), v.type, v.size, &holder), 0)
                    << "setting " << id << " of " << ToUtf8(model) << ", type " << v.type << ", size " << v.size;
                ++stored;
            }
        }
        EXPECT_GT(stored, 15);
    }
}

TEST(ModelDriverKind, KindsAndFaxJobs) {
    LoadedModel colour(BinPath(L"C4530.DDD"));
    LoadedModel mono(BinPath(L"M2200.DDD"));
    LoadedModel edge(BinPath(L"EDGE.DDD"));
    LoadedModel fax(BinPath(L"F1800.DDD"));
    EXPECT_EQ(GetModelDriverKind(&colour.main), 4);
    EXPECT_EQ(GetModelDriverKind(&mono.main), 3);
    EXPECT_EQ(GetModelDriverKind(&edge.main), 2);
    EXPECT_EQ(GetModelDriverKind(&fax.main), 2);
    EXPECT_FALSE(IsPrinterDriverKind(&fax.main));
    EXPECT_EQ(GetModelDriverKind(nullptr), 0);
    EXPECT_TRUE(IsPrinterDriverKind(&colour.main));
    EXPECT_TRUE(IsPrinterDriverKind(&mono.main));
    EXPECT_FALSE(IsPrinterDriverKind(&edge.main));
    std::vector<uint8_t> settings(5900);
    EXPECT_TRUE(IsFaxJob(&edge.main, settings.data()));
    struct Case { uint16_t jobType; bool fax; } cases[] = {{5, true}, {1, false}, {4, false}};
    for (const Case& c : cases) {
        ASSERT_EQ(SetFunctionIdValueArgs(settings.data(), nullptr, 334, 3, 2, c.jobType), 0);
        EXPECT_EQ(IsFaxJob(&colour.main, settings.data()), c.fax) << c.jobType;
        EXPECT_FALSE(IsFaxJob(&mono.main, settings.data())) << c.jobType;
    }
    // Out-of-range stored kinds answer 0.
    std::vector<uint8_t> bytes = ReadBytes(BinPath(L"M2200.DDD"));
    ModelDataRecord probe{}, none{};
    ASSERT_EQ(LoadModelDataImage(bytes.data(), static_cast<uint32_t>(bytes.size()), &probe), kModelOk);
    ASSERT_EQ(GetModelSectionCount(&probe, kRawDriverKind), 1);
    const uint32_t at = probe.cursor;
    CloseModelData(&probe, &none);
    bytes[at] = 4;
    ASSERT_EQ(LoadModelDataImage(bytes.data(), static_cast<uint32_t>(bytes.size()), &probe), kModelOk);
    EXPECT_EQ(GetModelDriverKind(&probe), 0);
    CloseModelData(&probe, &none);
}

TEST(ModelCapabilities, WordsByTheRecordsOwnFormat) {
    LoadedModel colour(BinPath(L"C4530.DDD"));
    LoadedModel mono(BinPath(L"M2200.DDD"));
    LoadedModel edge(BinPath(L"EDGE.DDD"));
    CapabilityBits bits{};
    ASSERT_EQ(GetModelCapabilityBits(&colour.main, &bits), 1);
    EXPECT_EQ(bits.words[0], 0x04440000u);
    EXPECT_EQ(bits.words[1], 0x00002483u);
    EXPECT_EQ(bits.words[2], 0x00000001u);
    ASSERT_EQ(GetModelCapabilityBits(&mono.main, &bits), 1);
    EXPECT_EQ(bits.words[0], 0x00040000u);
    EXPECT_EQ(bits.words[1], 0u);  // format 1024: section 39 is not read
    EXPECT_EQ(bits.words[2], 0u);
    ASSERT_EQ(GetModelCapabilityBits(&edge.main, &bits), 1);  // format 5632 exactly
    EXPECT_EQ(bits.words[1], 0x80000001u);
    EXPECT_EQ(bits.words[2], 2u);
    EXPECT_EQ(GetModelCapabilityBits(nullptr, &bits), 0);
    EXPECT_EQ(GetModelCapabilityBits(&colour.main, nullptr), 0);
    struct Case { CapabilityId id; bool colour; bool mono; } cases[] = {
        {0xFFFF0020, true, false}, {0xFFFF0027, true, false}, {0xFFFF0040, true, false}, {0xFFFF0041, false, false},
        {0x00040000, true, true}, {0x00400000, true, false}, {0xFFFF0012, true, true}, {0xFFFF0060, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TestModelCapability(&colour.main, c.id), c.colour) << std::hex << c.id;
        EXPECT_EQ(TestModelCapability(&mono.main, c.id), c.mono) << std::hex << c.id;
    }
    EXPECT_FALSE(TestModelCapability(nullptr, 0xFFFF0012));
}

// The single bytes of tray, bin, paper and paper type records, each read only
// from the kinds and formats that carry it.
TEST(ModelSectionBytes, KindsAndFormatsThatCarryThem) {
    TraySection tray;
    tray.byte = 7;
    Setting32779Section type;
    type.byte = 9;
    PaperSection paper;
    paper.byte1 = 200;
    paper.byte2 = 5;
    const struct {
        const char* name;
        ModelSection* section;
        uint16_t kind;
        uint32_t format;
        int trayResult, typeResult;
        uint8_t value;
    } cases[] = {
        {"input tray", &tray, kKindInputTray, 512, 0, 1, 7},
        {"output bin", &tray, kKindOutputBin, 1024, 0, 1, 7},
        {"tray of format 256", &tray, kKindInputTray, 256, 1, 1, 0},
        {"paper type", &type, kKindSetting32779, 512, 1, 0, 9},
        {"paper type of format 256", &type, kKindSetting32779, 256, 1, 1, 0},
        {"paper", &paper, kKindPaper, 512, 1, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.section->kind = c.kind;
        c.section->formatVersion = c.format;
        uint8_t out = 0;
        EXPECT_EQ(GetTrayFeatureByte(c.section, &out), c.trayResult);
        if (c.trayResult == 0) EXPECT_EQ(out, c.value);
        out = 0;
        EXPECT_EQ(GetPaperTypeByte(c.section, &out), c.typeResult);
        if (c.typeResult == 0) EXPECT_EQ(out, c.value);
    }
    paper.kind = kKindPaper;
    paper.formatVersion = 256;
    EXPECT_EQ(GetPaperSectionByte(&paper), 200) << "the byte after the name, in every format";
    tray.kind = kKindInputTray;
    EXPECT_EQ(GetPaperSectionByte(&tray), 0);
    EXPECT_EQ(GetPaperSectionByte(nullptr), 0);
    uint8_t out = 0;
    EXPECT_EQ(GetTrayFeatureByte(nullptr, &out), 1);
    EXPECT_EQ(GetPaperTypeByte(&type, nullptr), 1);
}

// The 32-bit value of a font and setting record is its payload length, the
// same whether the payload was loaded or skipped.
TEST(ModelSectionBytes, FontSectionValueIsThePayloadLength) {
    LoadedModel mono(BinPath(L"M2200.DDD"));
    ASSERT_EQ(mono.status, kModelOk);
    for (bool load : {false, true}) {
        ModelSection* font = nullptr;
        ASSERT_EQ(LoadModelTable(load, &mono.main, &mono.linked, kKindFont, 1, &font), kModelOk);
        EXPECT_EQ(GetFontSectionValue(font), 2u) << "payload \"4d00\", load " << load;
        FreeModelSection(&font, kKindOwn);
    }
    ModelSection* paper = nullptr;
    ASSERT_EQ(LoadModelTable(false, &mono.main, &mono.linked, kKindPaper, 1, &paper), kModelOk);
    EXPECT_EQ(GetFontSectionValue(paper), 0u);
    FreeModelSection(&paper, kKindOwn);
    EXPECT_EQ(GetFontSectionValue(nullptr), 0u);
}

}  // namespace
