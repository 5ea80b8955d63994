#include "common/config/site_config.h"

#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "tests/settings/settings_test_records.h"
#include "tests/support/global_text.h"
#include "tests/system/config_test_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>

namespace {

struct ListDeleter {
    void operator()(ConfiguredSettingsList* list) const { FreeConfiguredSettingsList(list); }
};
using ListPtr = std::unique_ptr<ConfiguredSettingsList, ListDeleter>;

std::wstring Take(wchar_t* block)
{
    return TakeGlobalText(block);
}

ListPtr Build(const TempProfileFile& file, const wchar_t* model = L"Test Model")
{
    return ListPtr(BuildConfiguredSettingsList(model, file.path()));
}

uint32_t Read(TestRecords& r, uint16_t id)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    EXPECT_EQ(GetFunctionIdValue(id, r.s(), r.p(), &type, &size, &holder), kSettingOk) << id;
    uint32_t value = 0;
    std::memcpy(&value, &holder, size < 4 ? size : 4);
    return value;
}

uint16_t Flags(const ConfiguredSettingsList* list, uint16_t id)
{
    uint16_t flags = 0;
    return GetConfiguredFlags(id, list, &flags) ? flags : 0xFFFF;
}

// Zero-filled records: a value of 0 after applying means nothing was written.
TEST(SiteConfig, SectionOfTheModelInAnyCaseElseDefault)
{
    struct Case {
        const char* text;
        uint32_t duplex;  // configured value found
    };
    const Case cases[] = {
        {"[default]\nduplex.enforced=0\n[ABC_12_X_Y]\nduplex.enforced=1\n", 1},
        {"[default]\nduplex.enforced=0\n[abc_12_x_y]\nduplex.enforced=1\n", 1},
        {"[Abc_12_X_y]\nduplex.enforced=2\n[default]\nduplex.enforced=0\n", 2},
        {"[default]\nduplex.enforced=0\n[ABC-12 X/Y]\nduplex.enforced=1\n", 0},
        {"[default]\nduplex.enforced=0\n[ABC_12_X]\nduplex.enforced=1\n", 0},
    };
    for (const Case& c : cases) {
        TempProfileFile file(L"morva_site_section.cfg", c.text);
        ListPtr list = Build(file, L"ABC-12 X/Y");
        ASSERT_TRUE(list) << c.text;
        ASSERT_EQ(list->settingCount, 1) << c.text;
        EXPECT_EQ(list->settings[0].id, 16);
        EXPECT_EQ(list->settings[0].value, c.duplex) << c.text;
        EXPECT_EQ(list->settings[0].flags, kConfiguredEnforced);
    }
}

TEST(SiteConfig, NoFileNoSectionNoList)
{
    EXPECT_EQ(BuildConfiguredSettingsList(L"M", L"C:\\no\\such\\site.cfg"), nullptr);
    EXPECT_EQ(BuildConfiguredSettingsList(L"M", nullptr), nullptr);
    TempProfileFile empty(L"morva_site_empty.cfg", "");
    EXPECT_EQ(Build(empty), nullptr);
    TempProfileFile other(L"morva_site_other.cfg", "[Other Model]\nduplex.enforced=1\n");
    EXPECT_EQ(Build(other), nullptr);
    FreeConfiguredSettingsList(nullptr);
}

TEST(SiteConfig, DuplexEnforcedOrDefault)
{
    TempProfileFile enforced(L"morva_site_dup1.cfg", "[default]\nDUPLEX.Enforced=1\n");
    ListPtr list = Build(enforced);
    ASSERT_TRUE(list);
    EXPECT_EQ(IsSettingEnforced(16, list.get()), 1);
    for (int mode : {0, 1}) {
        TestRecords r;
        EXPECT_EQ(ApplyConfiguredSettings(list.get(), r.s(), r.p(), mode), 1);
        EXPECT_EQ(Read(r, 16), 2u) << mode;
    }

    TempProfileFile byDefault(L"morva_site_dup2.cfg", "[default]\nduplex.default=1\n");
    list = Build(byDefault);
    ASSERT_TRUE(list);
    EXPECT_EQ(IsSettingEnforced(16, list.get()), 0);
    EXPECT_EQ(Flags(list.get(), 16), kConfiguredDefault);
    const struct {
        int mode;
        uint32_t duplex;
    } modes[] = {{0, 2}, {1, 0}, {2, 0}, {-1, 0}};
    for (const auto& m : modes) {
        TestRecords r;
        EXPECT_EQ(ApplyConfiguredSettings(list.get(), r.s(), r.p(), m.mode), 1);
        EXPECT_EQ(Read(r, 16), m.duplex) << m.mode;
    }
    TestRecords r;
    EXPECT_EQ(ApplyConfiguredSettings(nullptr, r.s(), r.p(), 0), 0);
}

TEST(SiteConfig, EnforcedWinsOverDefaultOfTheSameName)
{
    TempProfileFile file(L"morva_site_both.cfg", "[default]\nduplex.default=2\nduplex.enforced=0\n");
    ListPtr list = Build(file);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->settingCount, 1);
    EXPECT_EQ(list->settings[0].value, 0u);
    EXPECT_EQ(list->settings[0].flags, kConfiguredEnforced);
}

TEST(SiteConfig, DuplexShortSwitch)
{
    TempProfileFile file(L"morva_site_short.cfg", "[default]\nDUPLEX_PRINT_SHORT=on\n");
    ListPtr list = Build(file);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->switchCount, 1);
    EXPECT_EQ(list->switches[0].number, kSwitchDuplexShort);
    EXPECT_EQ(list->switches[0].state, 1u);
    EXPECT_EQ(Flags(list.get(), 16), kConfiguredEnforced | kConfiguredDimout);
    EXPECT_EQ(Flags(list.get(), 4103), kConfiguredDefault);

    TestRecords enforcedOnly;
    ApplyConfiguredSettings(list.get(), enforcedOnly.s(), enforcedOnly.p(), kApplyEnforcedOnly);
    EXPECT_EQ(Read(enforcedOnly, 16), 3u);
    EXPECT_EQ(Read(enforcedOnly, 4103), 0u);
    TestRecords all;
    ApplyConfiguredSettings(list.get(), all.s(), all.p(), kApplyDefaultsAndEnforced);
    EXPECT_EQ(Read(all, 16), 3u);
    EXPECT_EQ(Read(all, 4103), 1u);

    uint64_t holder = ~0ull;
    EXPECT_EQ(GetConfiguredValue(16, list.get(), &holder, kTypeS16), 1);
    EXPECT_EQ(holder, 3u);
}

// Entries are written before the switch expansions, and an expansion that is a
// default only is not written when only enforced settings are applied: the
// enforced entry stands.
TEST(SiteConfig, EntriesFirstThenSwitchExpansions)
{
    TempProfileFile file(L"morva_site_entry_switch.cfg", "[default]\nOption_Duplex.enforced=0\nDUPLEX_PRINT_LONG=on\n");
    ListPtr list = Build(file);
    ASSERT_TRUE(list);
    struct Case {
        int mode;
        uint32_t duplexUnit;  // 4103
        uint32_t duplex;      // 16
    };
    for (const Case& c : {Case{kApplyEnforcedOnly, 0, 2}, Case{kApplyDefaultsAndEnforced, 1, 2}}) {
        TestRecords r;
        r.printer.fill(0xFF);
        ASSERT_EQ(ApplyConfiguredSettings(list.get(), r.s(), r.p(), c.mode), 1);
        EXPECT_EQ(Read(r, 4103), c.duplexUnit) << c.mode;
        EXPECT_EQ(Read(r, 16), c.duplex) << c.mode;
    }
}

TEST(SiteConfig, SwitchThatIsOffExpandsToNothing)
{
    TempProfileFile file(L"morva_site_off.cfg", "[default]\nDUPLEX_PRINT_SHORT=off\nMONOCOLOR_PRINT=1\nLOG=on\n");
    ListPtr list = Build(file);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->switchCount, 3);
    EXPECT_EQ(Flags(list.get(), 16), 0xFFFF);
    EXPECT_EQ(Flags(list.get(), 270), kConfiguredEnforced | kConfiguredDimout);
    EXPECT_EQ(IsSettingEnforced(4129, list.get()), 1);
    TestRecords r;
    r.printer.fill(0xFF);
    ApplyConfiguredSettings(list.get(), r.s(), r.p(), kApplyEnforcedOnly);
    EXPECT_EQ(Read(r, 270), 1u);
    EXPECT_EQ(Read(r, 4129), 0u);
}

TEST(SiteConfig, TranslatedDefaults)
{
    TempProfileFile file(L"morva_site_tr.cfg", "[default]\nstaple.default=9\nfont_subst.default=0\n"
                                                "ColorMode.default=color\nJobType.default=delay_print\n");
    ListPtr list = Build(file);
    ASSERT_TRUE(list);
    TestRecords r;
    ApplyConfiguredSettings(list.get(), r.s(), r.p(), kApplyDefaultsAndEnforced);
    EXPECT_EQ(Read(r, 320), 10u);
    EXPECT_EQ(Read(r, 292), 2u);
    EXPECT_EQ(Read(r, 270), 2u);
    EXPECT_EQ(Read(r, 334), 4u);
}

TEST(SiteConfig, TranslationRowsAndTheirEnds)
{
    struct Case {
        uint16_t id;
        uint32_t value;
        int listed;
        uint32_t stored;
    };
    const Case cases[] = {
        {320, 0, 1, 0},    {320, 8, 1, 8},    {320, 9, 1, 10},  {320, 10, 1, 9},   {320, 11, 1, 11},
        {320, 15, 1, 15},  {320, 16, 0, 0},   {16, 0, 1, 1},    {16, 2, 1, 3},     {16, 3, 0, 0},
        {292, 2, 1, 0},    {334, 4, 1, 4},    {334, 5, 0, 0},   {4359, 10, 1, 10}, {4359, 7, 1, 7},
        {4359, 8, 0, 0},   {4363, 3, 1, 3},   {4363, 4, 0, 0},  {4355, 9, 1, 9},   {4355, 10, 0, 0},
        {5164, 2, 0, 0},   {4103, 1, 1, 1},   {8, 1, 0, 0},     {270, 3, 0, 0},
    };
    for (const Case& c : cases) {
        uint32_t stored = 0xDEAD;
        EXPECT_EQ(TranslateConfiguredValue(c.id, c.value, &stored), c.listed) << c.id << " " << c.value;
        if (c.listed) {
            EXPECT_EQ(stored, c.stored) << c.id << " " << c.value;
        }
    }
}

TEST(SiteConfig, DisplayOnlyHidesAndIsNeverApplied)
{
    TempProfileFile file(L"morva_site_hide.cfg", "[default]\nColorMode.display=hide\nduplex.display=DIMOUT\n"
                                                  "staple.display=show\npunch.display=7\n");
    ListPtr list = Build(file);
    ASSERT_TRUE(list);
    EXPECT_EQ(Flags(list.get(), 270), kConfiguredHide);
    EXPECT_EQ(Flags(list.get(), 16), kConfiguredDimout);
    EXPECT_EQ(Flags(list.get(), 320), kConfiguredShow);
    EXPECT_EQ(Flags(list.get(), 341), 0xFFFF);
    uint64_t holder = 0;
    EXPECT_EQ(GetConfiguredValue(270, list.get(), &holder, kTypeU16), 0);
    TestRecords r(0x5A);
    const TestRecords before(0x5A);
    ApplyConfiguredSettings(list.get(), r.s(), r.p(), kApplyDefaultsAndEnforced);
    EXPECT_EQ(r.settings, before.settings);
    EXPECT_EQ(r.printer, before.printer);
}

// A value that is neither a keyword nor a number is skipped like an unknown key:
// it must not enforce 0.
TEST(SiteConfig, UnparsableValueIsSkipped)
{
    TempProfileFile file(L"morva_site_yes.cfg", "[default]\nduplex.enforced=yes\nstaple.enforced=abc\n"
                                                 "staple.default=3\nColorMode.display=maybe\nSECURE_PRINT=sure\n");
    ListPtr list = Build(file);
    ASSERT_TRUE(list);
    EXPECT_EQ(IsSettingEnforced(16, list.get()), 0);
    EXPECT_EQ(Flags(list.get(), 16), 0xFFFF);
    EXPECT_EQ(Flags(list.get(), 320), kConfiguredDefault);
    EXPECT_EQ(Flags(list.get(), 270), 0xFFFF);
    EXPECT_EQ(list->switchCount, 0);
    TestRecords r;
    // A staple position is taken only where its position code can be worked
    // out: portrait, fed short edge first.
    for (const auto& [id, value] : {std::pair<uint16_t, uint64_t>{7, 1}, {295, 16}}) {
        ASSERT_EQ(SetFunctionIdValue(id, r.s(), r.p(), id == 7 ? kTypeS16 : kTypeU16, 2, &value), kSettingOk);
    }
    ApplyConfiguredSettings(list.get(), r.s(), r.p(), kApplyDefaultsAndEnforced);
    EXPECT_EQ(Read(r, 16), 0u);
    EXPECT_EQ(Read(r, 320), 3u);
}

// "Option_Finisher" and "Option_Punch" both carry 4359: the one read last speaks
// for it, in the lookups and in what is written.
TEST(SiteConfig, SettingNamedTwiceAnswersAndWritesTheSameRow)
{
    struct Case {
        const char* text;
        uint32_t value;
        uint16_t flags;
        uint32_t written;  // in mode 0
    };
    const Case cases[] = {
        {"[default]\nOption_Finisher.default=FinisherA\nOption_Punch.default=2\n", 2, kConfiguredDefault, 2},
        {"[default]\nOption_Punch.default=2\nOption_Finisher.enforced=FinisherA\n", 2, kConfiguredDefault, 2},
        {"[default]\nOption_Finisher.enforced=FinisherA\n", 10, kConfiguredEnforced, 10},
        {"[default]\nOption_Finisher.enforced=3\nOption_Punch.display=hide\n", 0xFFFF, kConfiguredHide, 0},
    };
    for (const Case& c : cases) {
        TempProfileFile file(L"morva_site_twice.cfg", c.text);
        ListPtr list = Build(file);
        ASSERT_TRUE(list);
        EXPECT_EQ(Flags(list.get(), 4359), c.flags) << c.text;
        uint64_t holder = 0;
        if (c.value == 0xFFFF) {
            EXPECT_EQ(GetConfiguredValue(4359, list.get(), &holder, kTypeByte), 0) << c.text;
        } else {
            EXPECT_EQ(GetConfiguredValue(4359, list.get(), &holder, kTypeByte), 1) << c.text;
            EXPECT_EQ(holder, c.value) << c.text;
        }
        TestRecords r;
        ApplyConfiguredSettings(list.get(), r.s(), r.p(), kApplyDefaultsAndEnforced);
        EXPECT_EQ(Read(r, 4359), c.written) << c.text;
    }
}

TEST(SiteConfig, EntriesStandInReverseTableOrder)
{
    TempProfileFile file(L"morva_site_order.cfg", "[default]\nSpecial1.default=1\nduplex.default=0\n"
                                                   "Option_SIPFax.enforced=on\nUSE_SPECIAL1=0\nBANNER_PRINT=1\n");
    ListPtr list = Build(file);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->settingCount, 3);
    EXPECT_EQ(list->settings[0].id, 4142);
    EXPECT_EQ(list->settings[1].id, 16);
    EXPECT_EQ(list->settings[2].id, 5153);
    ASSERT_EQ(list->switchCount, 2);
    EXPECT_EQ(list->switches[0].number, kSwitchBannerPrint);
    EXPECT_EQ(list->switches[1].number, kSwitchUseSpecial1);
    EXPECT_EQ(list->switches[1].state, 0u);
}

TEST(SiteConfig, ValueHoldersByType)
{
    TempProfileFile file(L"morva_site_holder.cfg", "[default]\nOption_HCS.enforced=5\nfonttype.default=on\n");
    ListPtr list = Build(file);
    ASSERT_TRUE(list);
    const struct {
        uint16_t id;
        uint16_t type;
        int given;
        uint64_t holder;
    } cases[] = {
        {4368, kTypeU16, 1, 5}, {4368, kTypeByte, 1, 5}, {4368, kTypeU32, 1, 5}, {1335, kTypeFlag, 1, 1},
        {4368, kTypeString, 0, 0}, {4368, kTypeLogFont, 0, 0}, {4368, 7, 0, 0}, {16, kTypeS16, 0, 0},
    };
    for (const auto& c : cases) {
        uint64_t holder = 0;
        EXPECT_EQ(GetConfiguredValue(c.id, list.get(), &holder, c.type), c.given) << c.id << " " << c.type;
        if (c.given) {
            EXPECT_EQ(holder, c.holder);
        }
    }
    EXPECT_EQ(GetConfiguredValue(4368, list.get(), nullptr, kTypeU16), 0);
    EXPECT_EQ(GetConfiguredValue(4368, nullptr, nullptr, kTypeU16), 0);
}

TEST(SiteConfig, CommentText)
{
    TempProfileFile file(L"morva_site_comment.cfg", "[default]\nCOMMENT=Set by the office\n[M2]\nduplex.default=1\n");
    EXPECT_EQ(Take(ReadConfigComment(L"Any", file.path())), L"Set by the office");
    EXPECT_EQ(Take(ReadConfigComment(L"M2", file.path())), L"");
    EXPECT_EQ(Take(ReadConfigComment(L"Any", L"C:\\no\\such\\site.cfg")), L"<null>");
}

TEST(SiteConfig, FilePathFromTheLinkedFileName)
{
    struct Case {
        const char* name;
        const wchar_t* path;
    };
    const Case cases[] = {
        {"MODEL2.DDL", L"C:\\drv\\MODEL2.cfg"},
        {"a.b.ddd", L"C:\\drv\\a.b.cfg"},
        {"noext", L"C:\\drv\\noext.cfg"},
        {"trail.", L"C:\\drv\\trail.cfg"},
        {"", L"<null>"},
        {"..\\up.ddd", L"<null>"},
        {"sub/x.ddd", L"<null>"},
        {"C:x.ddd", L"<null>"},
    };
    for (const Case& c : cases) {
        char field[64] = {};
        std::memcpy(field, c.name, std::strlen(c.name));
        EXPECT_EQ(Take(MakeSiteConfigFilePath(L"C:\\drv\\", field, sizeof field)), c.path) << c.name;
    }
    // A name that fills the whole field has no terminator of its own.
    char full[64];
    std::memset(full, 'n', sizeof full);
    full[60] = '.';
    EXPECT_EQ(Take(MakeSiteConfigFilePath(L"C:\\d\\", full, sizeof full)),
              L"C:\\d\\" + std::wstring(60, L'n') + L".cfg");
    EXPECT_EQ(Take(MakeSiteConfigFilePath(nullptr, full, sizeof full)), L"<null>");
    EXPECT_EQ(Take(MakeSiteConfigFilePath(L"C:\\d\\", full, 0)), L"<null>");
}

}  // namespace
