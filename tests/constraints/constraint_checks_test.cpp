// Checks of settings against the colour reference model's rules and the
// special checks, and the carrying-out operations afterwards.
#include "common/config/site_config.h"
#include "common/constraints/rule_evaluation.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/job/doc_monitor_job.h"
#include "common/model/model_data.h"
#include "common/store/user_store.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/system/library_profile.h"
#include "common/system/os_version.h"
#include "tests/constraints/constraint_fixture.h"
#include "tests/system/config_test_files.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using Ids = std::vector<uint16_t>;

// Rule numbers of the model's tables (in source order).
constexpr uint16_t kDuplexEnvelope = 1;
constexpr uint16_t kUserSize = 8;
constexpr uint16_t kResetToner = 11;
constexpr uint16_t kHeavyDuplex = 12;
constexpr uint16_t kUserTray = 13;
constexpr uint16_t kUserFeed = 15;
constexpr uint16_t kUserOutputRange = 16;
constexpr uint16_t kTransparencyPaper = 21;
constexpr uint16_t kBookletBinding = 3;   // table 8
constexpr uint16_t kCoverDefaults = 4;    // table 8

bool Has(const Ids& ids, uint16_t id)
{
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

struct ChangedIds {
    IdList<kChangedRoom> list{};
    ChangedIds() { list.items = list.room; }
    ~ChangedIds() { ClearIdList(list); }
    Ids ids() const { return {list.items, list.items + list.count}; }
};

}  // namespace

TEST_F(ConstraintTest, DuplexOnEnvelopesIsRefusedByEitherAlternative)
{
    Set(kFidPaperSize, 20);
    CheckOutcome o = CheckValue(kModeInteractive, kFidDuplex, 2);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.code, kConstraintError);
    EXPECT_EQ(o.conflictRules, Ids{kDuplexEnvelope});
    EXPECT_EQ(o.outIds, (Ids{kFidPaperSize, kFidDuplex, 0}));
    EXPECT_TRUE(Has(o.controlling, kFidPaperSize) && Has(o.controlling, kFidMediaType) && Has(o.controlling, 4103));

    Set(kFidPaperSize, 9);
    Set(kFidMediaType, 261);
    o = CheckValue(kModeInteractive, kFidDuplex, 3);
    EXPECT_EQ(o.code, kConstraintError);
    EXPECT_EQ(o.outIds, (Ids{kFidMediaType, kFidDuplex, 0}));

    Set(kFidMediaType, 1);
    o = CheckValue(kModeInteractive, kFidDuplex, 2);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.code, kConstraintNone);
    EXPECT_TRUE(o.conflictRules.empty());
    EXPECT_TRUE(o.outNull);
    // The check leaves the value to its caller.
    EXPECT_EQ(Get(kFidDuplex), 1u);
}

TEST_F(ConstraintTest, TheStrongestCodeOfTheFiredRulesIsKept)
{
    Set(kFidPaperSize, 20);
    Set(kFidMediaType, 258);  // heavy paper: a warning of its own
    const CheckOutcome o = CheckValue(kModeInteractive, kFidDuplex, 2);
    EXPECT_EQ(o.conflictRules, (Ids{kDuplexEnvelope, kHeavyDuplex}));
    EXPECT_EQ(o.code, kConstraintError);
    Set(kFidPaperSize, 9);
    EXPECT_EQ(CheckValue(kModeInteractive, kFidDuplex, 2).code, kConstraintWarning);
}

TEST_F(ConstraintTest, ATransitionFiresWhenTheCurrentValueDoesNotSatisfyItsTrigger)
{
    Set(kFidPosterBooklet, 2);
    CheckOutcome o = CheckValue(kModeInteractive, 323, 1);
    EXPECT_EQ(o.transitionRules, Ids{kBookletBinding});
    EXPECT_EQ(o.code, 9);
    EXPECT_EQ(o.outIds, (Ids{323, 323, 0}));
    Set(323, 1);
    o = CheckValue(kModeInteractive, 323, 1);
    EXPECT_TRUE(o.transitionRules.empty());
    EXPECT_EQ(o.code, kConstraintNone);
}

TEST_F(ConstraintTest, ARuleForResetsServesModesZeroAndThreeOnly)
{
    Set(kFidColorMode, 2);
    const uint16_t expected[] = {2, 0, 0, 2};
    for (uint16_t mode = 0; mode < 4; ++mode) {
        const CheckOutcome o = CheckValue(mode, 274, 1);
        EXPECT_EQ(o.status, 0);
        EXPECT_EQ(o.code, expected[mode]) << "mode " << mode;
        EXPECT_EQ(Has(o.conflictRules, kResetToner), expected[mode] != 0) << "mode " << mode;
    }
}

TEST_F(ConstraintTest, ValidationOfARefusedCurrentValueChecksNoNewValue)
{
    Set(kFidPaperSize, 20);
    Set(kFidDuplex, 2);
    // Interactively the new value 3 conflicts as well ...
    EXPECT_EQ(CheckValue(kModeInteractive, kFidDuplex, 3).code, kConstraintError);
    // ... but a default set whose current value is refused validates as 0.
    const CheckOutcome o = CheckValue(kModeValidate, kFidDuplex, 3);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.code, kConstraintNone);
    EXPECT_TRUE(o.outNull);
    EXPECT_EQ(o.conflictRules, Ids{kDuplexEnvelope});
    // With an acceptable current value the new one is checked.
    Set(kFidDuplex, 1);
    EXPECT_EQ(CheckValue(kModeValidate, kFidDuplex, 3).code, kConstraintError);
}

TEST_F(ConstraintTest, UserPaperSizesAgainstTraysAndTheFinisher)
{
    Set(kFidPaperSource, 3);          // 2100-2159 x 2794-2970
    Set(kFidOutputBin, 2);            // the finisher tray
    Set(kFidOrientation, 2);          // landscape: fed turned
    SetUserPaper(262, 2120, 2800);    // fits tray 3 as it is, not turned
    CheckOutcome o = CheckValue(kModeInteractive, kFidOutputPaper, 262);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.conflictRules, (Ids{kUserSize, kUserFeed}));
    EXPECT_EQ(o.code, 13);  // outside its paper's own range (545) outranks the feed (540)
    EXPECT_EQ(o.bits & (kInvolvesOutputPaper | kInvolvesPaperSource), kInvolvesOutputPaper | kInvolvesPaperSource);

    Set(kFidOrientation, 1);
    SetUserPaper(262, 1000, 1480);    // fits no tray 1-3 and lies outside the finisher's sizes
    o = CheckValue(kModeInteractive, kFidOutputPaper, 262);
    EXPECT_TRUE(Has(o.conflictRules, kUserTray));
    EXPECT_TRUE(Has(o.conflictRules, kUserOutputRange));
    EXPECT_EQ(o.code, 15);
    // The finisher's size rule is not weighed in validation (0x200).
    Set(kFidPaperSource, 4);          // the bypass tray takes it
    o = CheckValue(kModeInteractive, kFidOutputPaper, 262);
    EXPECT_EQ(o.conflictRules, (Ids{kUserSize, kUserOutputRange}));
    EXPECT_EQ(CheckValue(kModeValidate, kFidOutputPaper, 262).conflictRules, Ids{kUserSize});
}

TEST_F(ConstraintTest, SpecialChecks)
{
    struct Case {
        const char* what;
        uint16_t id;
        bool hasValue;
        uint32_t value;
        const wchar_t* stampName;
        uint32_t posterBooklet;
        uint16_t code;
        Ids out;  // empty: a null list
    };
    const Case cases[] = {
        {"8 to 309 with a stamp", kFidPaperSize, true, 309, L"Mark", 0, 3, {297, 8, 0}},
        {"8 to 309 without a stamp", kFidPaperSize, true, 309, L"", 0, 0, {}},
        {"8 to 306 with a stamp", kFidPaperSize, true, 306, L"Mark", 0, 0, {}},
        {"1284", 1284, false, 0, L"", 0, 6, {}},
        {"1333", kFidJobHeaderOn, false, 0, L"", 0, 6, {}},
        {"5138", 5138, false, 0, L"", 0, 0, {}},
        {"1286 while tiling", 1286, false, 0, L"Mark", 1, 1, {296, 297, 1286, 0}},
        {"1286 without a stamp", 1286, false, 0, L"", 0, 1, {296, 297, 1286, 0}},
        {"1286", 1286, false, 0, L"Mark", 0, 0, {}},
        {"stamp add while tiling", kActionStampAdd, false, 0, L"", 1, 1, {296, kActionStampAdd, 0}},
        {"stamp add", kActionStampAdd, false, 0, L"", 0, 0, {}},
        {"stamp change without a name", kActionStampChange, false, 0, L"", 0, 1, {296, 297, kActionStampChange, 0}},
        {"stamp change", kActionStampChange, false, 0, L"Mark", 0, 0, {}},
        {"stamp delete of a stamp not stored", kActionStampDelete, false, 0, L"Mark", 0, 1,
         {296, 297, kActionStampDelete, 0}},
        {"capability check", kActionCapabilityCheck, false, 0, L"", 0, 6, {}},
        {"capability check with a value", kActionCapabilityCheck, true, 1, L"", 0, 0, {}},
    };
    for (const Case& c : cases) {
        SetText(kFidStampName, c.stampName);
        Set(kFidPosterBooklet, c.posterBooklet);
        const CheckOutcome o = c.hasValue ? CheckValue(kModeInteractive, c.id, c.value)
                                          : CheckCurrent(kModeInteractive, c.id);
        EXPECT_EQ(o.status, 0) << c.what;
        EXPECT_EQ(o.code, c.code) << c.what;
        EXPECT_EQ(o.outIds, c.out) << c.what;
        EXPECT_EQ(o.outNull, c.out.empty()) << c.what;
    }
    const CheckOutcome os = CheckCurrent(kModeInteractive, kFidOsBoundFlag);
    EXPECT_EQ(os.code, IsOsVersion60OrLater() ? kConstraintRefused : kConstraintNone);
}

// The graphics library's copy of the engine weighs the copy-count lock: no
// question without the document monitor, an earlier question undone by a
// value that does not ask it, and a site that enforces a job type refuses the
// lock with code 15 naming 334. The interface library refuses it outright.
TEST_F(ConstraintTest, GraphicsLibraryWeighsTheCopyCountLock)
{
    struct ProfileScope {
        ProfileScope() { SetLibraryProfile(&kGraphicsLibraryProfile); }
        ~ProfileScope() { SetLibraryProfile(nullptr); }
    } graphics;
    Set(kFidDocMonitorOn, 1);
    ASSERT_EQ(IsDocMonitorAvailable(), 0) << "the test runs without the document monitor";
    CheckOutcome o = CheckValue(kModeInteractive, kFidJobHeaderOn, 1);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.code, kConstraintNone);

    // An earlier question (code 3) is answered with no conflict.
    ResultPtr result(AllocConstraintResult());
    result->code = kConstraintAutoChange;
    const uint64_t off = 0;
    uint16_t* out = nullptr;
    ASSERT_EQ(CheckSettingConstraints(kModeInteractive, colour_->handle(), context_, settings_.data(), printer_.data(),
                                      nullptr, kFidJobHeaderOn, TypeOf(kFidJobHeaderOn), &off, result.get(), &out, 0),
              0);
    EXPECT_EQ(result->code, kConstraintNone);
    if (out)
        GlobalFree(out);

    o = CheckCurrent(kModeInteractive, kFidJobHeaderOn);
    EXPECT_EQ(o.code, kConstraintNone) << "no site configuration";
    const struct {
        const char* site;
        uint16_t code;
    } sites[] = {{"[default]\nJobType.enforced=1\n", kConstraintEnforcedJobType},
                 {"[default]\nJobType.enforced=0\n", kConstraintNone},
                 {"[default]\nJobType=1\n", kConstraintNone}};
    for (const auto& c : sites) {
        SCOPED_TRACE(c.site);
        TempProfileFile file(L"morva_copy_lock_site.cfg", c.site);
        ConfiguredSettingsList* list = BuildConfiguredSettingsList(L"Any Model", file.path());
        ASSERT_NE(list, nullptr);
        ConfiguredSettingsList* kept = std::exchange(context_->siteConfig, list);
        o = CheckCurrent(kModeInteractive, kFidJobHeaderOn);
        context_->siteConfig = kept;
        FreeConfiguredSettingsList(list);
        EXPECT_EQ(o.code, c.code);
        if (c.code == kConstraintEnforcedJobType) {
            EXPECT_EQ(o.outIds, (Ids{kFidJobType, kFidJobHeaderOn, 0}));
        }
    }
}

TEST_F(ConstraintTest, ControllingSettingsOfASpecialCheck)
{
    Set(kFidPosterBooklet, 1);
    const CheckOutcome o = CheckCurrent(kModeInteractive, 1286);
    EXPECT_EQ(o.controlling, (Ids{296, 297}));
    const CheckOutcome header = CheckCurrent(kModeInteractive, kFidJobHeaderOn);
    EXPECT_EQ(header.controlling, Ids{kFidDocMonitorOn});
}

TEST_F(ConstraintTest, ASettingNeitherSpecialNorRuledLeavesTheResultAsItWas)
{
    ResultPtr result(AllocConstraintResult());
    result->code = 7;
    ASSERT_EQ(AddId(result->conflictRules, 5), kListOk);
    const uint64_t zoom = 150;
    uint16_t* out = reinterpret_cast<uint16_t*>(1);
    EXPECT_EQ(CheckSettingConstraints(kModeInteractive, colour_->handle(), context_, settings_.data(),
                                      printer_.data(), nullptr, kFidZoom, kTypeU16, &zoom, result.get(), &out, 0),
              0);
    EXPECT_EQ(result->code, 7);
    EXPECT_EQ(result->conflictRules.count, 1);
    EXPECT_EQ(out, nullptr);
}

TEST_F(ConstraintTest, ScopeKeepsTheRulesOfOtherSettingsOut)
{
    Set(kFidPaperSize, 20);
    const uint64_t two = 2;
    const uint16_t outside[] = {300, 0};
    const uint16_t inside[] = {300, kFidDuplex, 0};
    for (const auto& [scope, code] : {std::pair{outside, kConstraintNone}, std::pair{inside, kConstraintError}}) {
        ResultPtr result(AllocConstraintResult());
        EXPECT_EQ(CheckSettingConstraints(kModeInteractive, colour_->handle(), context_, settings_.data(),
                                          printer_.data(), scope, kFidDuplex, kTypeS16, &two, result.get(),
                                          nullptr, 0),
                  0);
        EXPECT_EQ(result->code, code);
    }
}

TEST_F(ConstraintTest, BadArgumentsChangeNothing)
{
    ResultPtr result(AllocConstraintResult());
    result->code = 4;
    const uint64_t two = 2;
    EXPECT_EQ(CheckSettingConstraints(0, colour_->handle(), nullptr, settings_.data(), printer_.data(), nullptr,
                                      kFidDuplex, kTypeS16, &two, result.get(), nullptr, 0),
              1);
    EXPECT_EQ(CheckSettingConstraints(0, colour_->handle(), context_, settings_.data(), printer_.data(), nullptr,
                                      kFidDuplex, kTypeS16, &two, nullptr, nullptr, 0),
              1);
    EXPECT_EQ(CheckSettingConstraints(0, nullptr, context_, settings_.data(), printer_.data(), nullptr, kFidDuplex,
                                      kTypeS16, &two, result.get(), nullptr, 0),
              1);
    EXPECT_EQ(result->code, 4);
}

TEST_F(ConstraintTest, ChecksNeverWriteTheRecords)
{
    Set(kFidPaperSize, 20);
    Set(kFidPosterBooklet, 2);
    SetText(kFidStampName, L"Mark");
    const auto settingsBefore = settings_;
    const auto printerBefore = printer_;
    const std::pair<uint16_t, uint32_t> changes[] = {
        {kFidDuplex, 2}, {kFidMediaType, 2}, {323, 1}, {332, 1}, {kFidOutputPaper, 262}, {kFidPaperSize, 309},
        {274, 1}, {334, 5}, {kFidPosterBooklet, 1},
    };
    for (uint16_t mode = 0; mode < 4; ++mode)
        for (const auto& [id, value] : changes) {
            CheckValue(mode, id, value);
            CheckCurrent(mode, id);
        }
    EXPECT_TRUE(settingsBefore == settings_);
    EXPECT_TRUE(printerBefore == printer_);
}

TEST_F(ConstraintTest, CarryingOutAnAcceptedChangeWithItsAssignments)
{
    const uint32_t modelPaper = Get(kFidPaperSize);  // the record holds the model's defaults
    Set(kFidPaperSize, 20);
    const CheckOutcome o = CheckValue(kModeInteractive, kFidMediaType, 2);
    ASSERT_EQ(o.conflictRules, Ids{kTransparencyPaper});
    EXPECT_EQ(o.code, kConstraintAutoChange);
    EXPECT_EQ(Get(kFidPaperSize), 20u);

    const ConstraintContext c = Context();
    ChangedIds changed;
    const uint64_t transparency = 2;
    const SettingChange accepted{kFidMediaType, kTypeU32, 4, &transparency};
    ASSERT_EQ(SetValueFromChangeRecord(&c, &accepted), 0);
    EXPECT_EQ(EvaluateConstraintRules(1, &c, &changed.list.items, &changed.list.count,
                                      static_cast<uint16_t>(o.conflictRules.size()), o.conflictRules.data()),
              4);
    EXPECT_EQ(Get(kFidMediaType), 2u);
    EXPECT_EQ(Get(kFidPaperSize), modelPaper);  // -32768: the setting's own default
    EXPECT_EQ(changed.ids(), Ids{kFidPaperSize});
}

TEST_F(ConstraintTest, SpecialAssignmentValuesTakeModelDefaults)
{
    const uint32_t modelPaper = Get(kFidPaperSize);
    const uint32_t modelCoverTray = Get(kFidCoverTray);
    Set(kFidCoverTray, 4);
    Set(kFidOutputPaper, 5);
    const ConstraintContext c = Context();
    const uint16_t rules[] = {kCoverDefaults};
    {
        ChangedIds changed;
        EXPECT_EQ(EvaluateConstraintRules(0, &c, &changed.list.items, &changed.list.count, 1, rules), 4);
        EXPECT_EQ(Get(kFidOutputPaper), modelPaper);   // 32769: the paper size's model default
        EXPECT_EQ(Get(kFidCoverTray), modelCoverTray); // 32768: its own
        EXPECT_EQ(changed.ids(), (Ids{kFidOutputPaper, kFidCoverTray}));
    }
    // A rule whose flag word is 3 leaves a setting already changed alone.
    Set(kFidCoverTray, 4);
    Set(kFidOutputPaper, 5);
    ChangedIds changed;
    ASSERT_EQ(AddId(changed.list, kFidOutputPaper), kListOk);
    EXPECT_EQ(EvaluateConstraintRules(0, &c, &changed.list.items, &changed.list.count, 1, rules), 4);
    EXPECT_EQ(Get(kFidOutputPaper), 5u);
    EXPECT_EQ(Get(kFidCoverTray), modelCoverTray);
    // Rules without assignments, and no rules.
    const uint16_t bare[] = {kDuplexEnvelope};
    EXPECT_EQ(EvaluateConstraintRules(1, &c, &changed.list.items, &changed.list.count, 1, bare), 3);
    EXPECT_EQ(EvaluateConstraintRules(1, &c, &changed.list.items, &changed.list.count, 0, bare), 3);
    EXPECT_EQ(EvaluateConstraintRules(1, &c, nullptr, &changed.list.count, 1, bare), 1);
    const uint16_t missing[] = {999};
    EXPECT_EQ(EvaluateConstraintRules(1, &c, &changed.list.items, &changed.list.count, 1, missing), 1);
}

TEST_F(ConstraintTest, SettingChanges)
{
    const ConstraintContext c = Context();
    ChangedIds changed;
    const uint64_t duplex = 3, copies = 7;
    const wchar_t* name = L"Quarterly";
    const uint64_t text = reinterpret_cast<uintptr_t>(name);
    const SettingChange changes[] = {
        {kFidDuplex, kTypeS16, 0, &duplex}, {kFidCopies, kTypeS16, 0, &copies}, {kFidStampName, kTypeString, 0, &text}};
    EXPECT_EQ(ApplySettingChanges(&c, &changed.list.items, &changed.list.count, 3, changes), 4);
    EXPECT_EQ(Get(kFidDuplex), 3u);
    EXPECT_EQ(Get(kFidCopies), 7u);
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(
                  GetFunctionIdValuePointer(settings_.data(), printer_.data(), kFidStampName, kTypeString))),
              L"Quarterly");
    EXPECT_EQ(changed.ids(), (Ids{kFidDuplex, kFidCopies, kFidStampName}));
    EXPECT_EQ(ApplySettingChanges(&c, &changed.list.items, &changed.list.count, 0, changes), 3);
    EXPECT_EQ(ApplySettingChanges(&c, &changed.list.items, nullptr, 1, changes), 1);
    EXPECT_EQ(ApplySettingChanges(nullptr, &changed.list.items, &changed.list.count, 1, changes), 1);
    for (uint16_t type : {0, 7, 9, 11}) {
        const SettingChange bad{kFidDuplex, type, 0, &duplex};
        EXPECT_EQ(SetValueFromChangeRecord(&c, &bad), 1) << "type " << type;
    }
    struct Size {
        uint16_t type;
        uint32_t bytes;
    };
    for (const Size& s : {Size{kTypeFlag, 4}, Size{kTypeS16, 2}, Size{kTypeU16, 2}, Size{kTypeS32, 4},
                          Size{kTypeU32, 4}, Size{kTypeByte, 1}, Size{kTypeFontS32, 4}, Size{kTypeString, 20}})
        EXPECT_EQ(ChangeValueSize(s.type, &text), s.bytes) << "type " << s.type;
}

TEST_F(ConstraintTest, PreparedFixForAStampThatCannotStay)
{
    SetText(kFidStampName, L"Mark");
    SetText(kFidStampDetail, L"Draft copy");
    const ConstraintContext c = Context();
    const uint64_t postcard = 309;
    const SettingChange change{kFidPaperSize, kTypeS16, 2, &postcard};
    PreparedFix fix{};
    ASSERT_EQ(TryAutoResolveConflict(colour_->handle(), &c, &change, &fix, nullptr), 0);
    ASSERT_EQ(fix.count, 2);
    ASSERT_NE(fix.oldText, nullptr);
    ASSERT_NE(fix.newText, nullptr);
    EXPECT_NE(std::wstring(fix.oldText).find(L"Mark"), std::wstring::npos);
    EXPECT_EQ(std::wstring(fix.newText).find(L"Mark"), std::wstring::npos);
    EXPECT_EQ(fix.changes[0].id, kFidStampName);
    EXPECT_EQ(fix.changes[1].id, kFidStampDetail);
    // Prepared only: the records are as they were until the fix is carried out.
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(
                  GetFunctionIdValuePointer(settings_.data(), printer_.data(), kFidStampName, kTypeString))),
              L"Mark");
    ChangedIds changed;
    EXPECT_EQ(ApplySettingChanges(&c, &changed.list.items, &changed.list.count, fix.count, fix.changes), 4);
    for (uint16_t id : {kFidStampName, kFidStampDetail})
        EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(
                      GetFunctionIdValuePointer(settings_.data(), printer_.data(), id, kTypeString))),
                  L"");
    EXPECT_EQ(changed.ids(), (Ids{kFidStampName, kFidStampDetail}));
    FreePreparedFix(&fix);
    EXPECT_EQ(fix.changes, nullptr);
}

TEST_F(ConstraintTest, NothingToPrepareAnswersZero)
{
    const ConstraintContext c = Context();
    const uint64_t two = 2, on = 1, letter = 1;
    struct Case {
        const char* what;
        SettingChange change;
    };
    SetText(kFidStampName, L"Mark");
    const Case cases[] = {
        {"a setting without fixes", {kFidDuplex, kTypeS16, 2, &two}},
        {"a paper that keeps the stamp", {kFidPaperSize, kTypeS16, 2, &letter}},
        {"the monitor without its client", {kFidDocMonitorOn, kTypeFlag, 4, &on}},
    };
    for (const Case& k : cases) {
        PreparedFix fix{};
        EXPECT_EQ(TryAutoResolveConflict(colour_->handle(), &c, &k.change, &fix, nullptr), 0) << k.what;
        EXPECT_EQ(fix.count, 0) << k.what;
        EXPECT_EQ(fix.changes, nullptr) << k.what;
        EXPECT_EQ(fix.oldText, nullptr) << k.what;
    }
    SetText(kFidStampName, L"");
    const SettingChange grid{kFidLayoutGrid, kTypeU16, 2, &two};
    PreparedFix fix{};
    EXPECT_EQ(TryAutoResolveConflict(colour_->handle(), &c, &grid, &fix, nullptr), 0);
    EXPECT_EQ(fix.count, 0);
}

TEST_F(ConstraintTest, RuleKindsWeighPapersAgainstTheirTrays)
{
    Set(kFidOutputPaper, 262);
    SetUserPaper(262, 2800, 2120);
    // Kind 9216: the output paper against the cover tray, only with covers.
    Set(kFidCoverTray, 3);
    CheckOutcome o = CheckValue(kModeInteractive, kFidCovers, 1);
    EXPECT_TRUE(Has(o.conflictRules, 22));
    EXPECT_EQ(o.bits & 0x803, 0x802);
    Set(kFidCoverTray, 1);   // 1397-2970 x 1820-4320
    o = CheckValue(kModeInteractive, kFidCovers, 1);
    EXPECT_FALSE(Has(o.conflictRules, 22));
    // Kind 2048: the second tray, switched on by the change itself.
    Set(kFidSecondSource, 3);
    o = CheckValue(kModeInteractive, kFidSecondSourceOn, 1);
    EXPECT_TRUE(Has(o.conflictRules, 23));
    EXPECT_EQ(o.code, kConstraintWarning);
    EXPECT_EQ(o.bits & 0x13, 0x12);
    Set(kFidSecondSource, 1);
    o = CheckValue(kModeInteractive, kFidSecondSourceOn, 1);
    EXPECT_FALSE(Has(o.conflictRules, 23));
}

TEST_F(ConstraintTest, StampActionsWeighTheStampStore)
{
    // A store of the user's own stamps, without the defaults.
    const std::wstring path = StampsKeyPath();
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    auto store = [&](int n) {
        BYTE record[308] = {};
        const std::wstring name = L"Stamp " + std::to_wstring(n);
        std::memcpy(record, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
        ASSERT_EQ(RegSetValueExW(key, name.c_str(), 0, REG_BINARY, record, sizeof(record)), ERROR_SUCCESS);
    };
    // Values of another type are no stamps.
    ASSERT_EQ(RegSetValueExW(key, L"Stamp Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"0.01"), 10),
              ERROR_SUCCESS);
    for (int n = 1; n <= 31; ++n)
        store(n);
    SetText(kFidStampName, L"Stamp 7");
    EXPECT_EQ(CheckCurrent(kModeInteractive, kActionStampAdd).code, kConstraintNone);
    EXPECT_EQ(CheckCurrent(kModeInteractive, kActionStampDelete).code, kConstraintNone);
    store(32);
    const CheckOutcome full = CheckCurrent(kModeInteractive, kActionStampAdd);
    EXPECT_EQ(full.code, kConstraintQuestion);
    EXPECT_EQ(full.outIds, (Ids{kFidStampName, kActionStampAdd, 0}));
    SetText(kFidStampName, L"Stamp 33");
    EXPECT_EQ(CheckCurrent(kModeInteractive, kActionStampDelete).code, kConstraintError);
    // A default stamp's name counts as stored.
    SetText(kFidStampName, L"Confidential");
    EXPECT_EQ(CheckCurrent(kModeInteractive, kActionStampDelete).code, kConstraintNone);
    RegCloseKey(key);
}
