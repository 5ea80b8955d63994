// The check of one changed setting and the page-level check over a printer of
// the colour reference model. Questions are real message boxes answered by a
// script.
#include "common/constraints/constraint_engine.h"
#include "common/context/value_by_type.h"
#include "common/model/model_data.h"
#include "common/model/model_format.h"
#include "common/options/option_lists.h"
#include "common/settings/function_ids.h"
#include "common/settings/paper_codes.h"
#include "common/settings/position_translation.h"
#include "common/settings/value_operations.h"
#include "common/store/paper_margins.h"
#include "tests/support/message_box_script.h"
#include "tests/support/settings_pair_fixture.h"
#include "ui/engine/conflict_action_table.h"
#include "ui/engine/page_check.h"
#include "ui/engine/user_paper_margins.h"
#include "ui/engine/value_conflict.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr uint16_t kPaperA4 = 9;
constexpr uint16_t kFidOutputBin = 266;
constexpr uint16_t kFidStampName = 297;
constexpr uint16_t kFidUserCode = 5129;
constexpr uint16_t kFirstUserPaper = 262;

TEST(ConflictActionTable, HoldsSixtyTwoRowsOfDistinctSettings)
{
    std::set<uint16_t> ids;
    int rows = 0;
    for (const ConflictActionRow* row = ConflictActionTable; row->id != 0; ++row, ++rows)
        ids.insert(row->id);
    EXPECT_EQ(rows, kConflictActionRows);
    EXPECT_EQ(ids.size(), static_cast<size_t>(kConflictActionRows));
}

TEST(ConflictActionTable, FlagsByRowValueAndDefault)
{
    const struct {
        uint16_t id;
        bool hasValue;
        uint16_t flags;
    } cases[] = {
        {60000, true, 4}, {60000, false, 4},  // unknown: ask or fix
        {7, true, 132},   {7, false, 1},      {295, true, 132},
        {296, true, 68},  {296, false, 36},   {321, true, 100},
        {12, true, 12},   {263, true, 8},     {36865, true, 16},
        {1333, true, 36}, {8, false, 100},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LookUpConflictFlags(c.id, c.hasValue), c.flags) << c.id << " " << c.hasValue;
}

struct ResultCloser {
    void operator()(ConstraintResult* r) const { FreeConstraintResult(r); }
};

class ConflictCheckTest : public SettingsPairTest {
protected:
    static void SetUpTestSuite() { colour_ = OpenSuitePrinter(L"C4530.DDD", L"Morva UI Conflicts C4530"); }
    static void TearDownTestSuite() { CloseSuitePrinter(colour_); }
    void SetUp() override
    {
        Open(colour_);
        dialog_ = CreateWindowExW(0, L"#32770", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(dialog_, nullptr);
        SetWindowLongPtrW(dialog_, DWLP_USER, reinterpret_cast<LONG_PTR>(&uiContext_));
    }
    void TearDown() override
    {
        if (dialog_)
            DestroyWindow(dialog_);
        SettingsPairTest::TearDown();
    }
    uint16_t TypeOf(uint16_t id)
    {
        uint64_t holder = 0;
        uint16_t type = 0;
        uint32_t size = 0;
        GetFunctionIdValue(id, settings_.data(), printer_settings_.data(), &type, &size, &holder);
        return type;
    }
    // The change checked by the engine first, as the dialog engine does, then
    // by the interface's check. The changed settings in `changed`.
    uint16_t Change(uint16_t id, const uint64_t* value, std::vector<uint16_t>* changed = nullptr)
    {
        std::unique_ptr<ConstraintResult, ResultCloser> result(AllocConstraintResult());
        const uint16_t type = TypeOf(id);
        EXPECT_EQ(CheckSettingConstraints(kModeInteractive, Printer(), context_, settings_.data(),
                                          printer_settings_.data(), nullptr, id, type, value, result.get(), nullptr,
                                          0),
                  0)
            << id;
        const SettingChange change{id, type, 0, value};
        ChangedIdList list{reinterpret_cast<uint16_t*>(1), 77};
        const ConstraintContext context = Context();
        const uint16_t answer =
            CheckItemValueConflict(dialog_, Printer(), &context, &change, &list, result.get(), &page_);
        if (answer == kActionApply) {
            EXPECT_NE(list.ids, nullptr);
            // The caller's own block, ended by 0.
            EXPECT_GE(GlobalSize(GlobalHandle(list.ids)), (list.count + 1u) * sizeof(uint16_t));
            EXPECT_EQ(list.ids[list.count], 0);
            if (changed)
                changed->assign(list.ids, list.ids + list.count);
            GlobalFree(list.ids);
        } else {
            EXPECT_EQ(list.ids, nullptr) << id;
            EXPECT_EQ(list.count, 0) << id;
        }
        return answer;
    }
    uint16_t ChangeTo(uint16_t id, uint32_t value, std::vector<uint16_t>* changed = nullptr)
    {
        const uint64_t holder = value;
        return Change(id, &holder, changed);
    }

    static ModelPrinter* colour_;
    HWND dialog_ = nullptr;
    int uiContext_ = 0;
    ConflictPage page_{};
};
ModelPrinter* ConflictCheckTest::colour_ = nullptr;

bool Lists(const std::vector<uint16_t>& ids, uint16_t id) { return std::find(ids.begin(), ids.end(), id) != ids.end(); }

TEST_F(ConflictCheckTest, TheStoredValueChangesNothingExceptForZoomAndOutputBin)
{
    MessageBoxScript script;
    const struct {
        uint16_t id;
        uint16_t answer;
    } cases[] = {
        {kFidPaperSize, kActionNothing},
        {kFidCopies, kActionNothing},
        {kFidOrientation, kActionNothing},
        {kFidZoom, kActionApply},
        {kFidOutputBin, kActionApply},
    };
    for (const auto& c : cases) {
        std::vector<uint16_t> changed;
        EXPECT_EQ(ChangeTo(c.id, Get(c.id), &changed), c.answer) << c.id;
        if (c.answer == kActionApply)
            EXPECT_TRUE(Lists(changed, c.id)) << c.id;
    }
    EXPECT_EQ(script.shown().size(), 0u);
}

TEST_F(ConflictCheckTest, AnOrientationChangeMovesTheFinishingPositions)
{
    MessageBoxScript script({IDOK, IDOK, IDOK, IDOK});
    Set(kFidStapleCode, 0x0101);
    Set(kFidPagesPerSheet, 1);
    std::vector<uint16_t> staples;
    for (uint32_t orientation : {2u, 1u}) {
        std::vector<uint16_t> changed;
        ASSERT_EQ(ChangeTo(kFidOrientation, orientation, &changed), kActionApply) << orientation;
        EXPECT_EQ(Get(kFidOrientation), orientation);
        const PositionRecord record{static_cast<uint16_t>(orientation), 1, 0, 0x0101};
        uint16_t staple = 0;
        ASSERT_EQ(ComputeStaplePunchValue(kFidStapleValue, &record, &staple), kPositionOk);
        EXPECT_EQ(Get(kFidStapleValue), staple) << orientation;
        staples.push_back(static_cast<uint16_t>(Get(kFidStapleValue)));
        PositionRecord edge{static_cast<uint16_t>(orientation), 1, 0, static_cast<uint16_t>(Get(kFidEdgeCode))};
        uint16_t edgeValue = 0;
        if (ComputeEdgeSettingValue(&edge, &edgeValue) == kPositionOk)
            EXPECT_EQ(Get(kFidEdgeValue), edgeValue) << orientation;
        PositionRecord punch{static_cast<uint16_t>(orientation), 1, 0, static_cast<uint16_t>(Get(kFidPunchCode))};
        uint16_t punchValue = 0;
        if (ComputeStaplePunchValue(kFidPunchValue, &punch, &punchValue) == kPositionOk)
            EXPECT_EQ(Get(kFidPunchValue), punchValue) << orientation;
    }
    ASSERT_EQ(staples.size(), 2u);
    EXPECT_NE(staples[0], staples[1]);
    EXPECT_TRUE((staples[0] == 3 && staples[1] == 5) || (staples[0] == 5 && staples[1] == 3))
        << staples[0] << " " << staples[1];
}

// The engine's prepared fix goes with the user's value: the question names
// it; OK applies both, Cancel neither.
TEST_F(ConflictCheckTest, APreparedFixIsAppliedWithTheValueOnlyWhenAccepted)
{
    constexpr uint32_t kPaperWithoutStamps = 309;
    SetText(kFidStampName, L"Confidential");
    const uint32_t paper = Get(kFidPaperSize);
    {
        MessageBoxScript script({IDCANCEL});
        EXPECT_EQ(ChangeTo(kFidPaperSize, kPaperWithoutStamps), kActionNothing);
        ASSERT_EQ(script.shown().size(), 1u);
        EXPECT_EQ(script.unscripted(), 0);
        EXPECT_EQ(Get(kFidPaperSize), paper);
        const uint64_t name = GetFunctionIdValuePointer(settings_.data(), printer_settings_.data(), kFidStampName, 6);
        EXPECT_STREQ(reinterpret_cast<const wchar_t*>(name), L"Confidential");
    }
    MessageBoxScript script({IDOK});
    std::vector<uint16_t> changed;
    ASSERT_EQ(ChangeTo(kFidPaperSize, kPaperWithoutStamps, &changed), kActionApply);
    EXPECT_EQ(script.unscripted(), 0);
    ASSERT_EQ(script.shown().size(), 1u);
    EXPECT_EQ(script.shown()[0].caption, ResourceString(265));
    EXPECT_NE(script.shown()[0].text.find(L"Confidential"), std::wstring::npos);
    EXPECT_EQ(Get(kFidPaperSize), kPaperWithoutStamps);
    EXPECT_TRUE(Lists(changed, kFidPaperSize));
    EXPECT_TRUE(Lists(changed, kFidStampName));
    const uint64_t name = GetFunctionIdValuePointer(settings_.data(), printer_settings_.data(), kFidStampName, 6);
    EXPECT_STREQ(reinterpret_cast<const wchar_t*>(name), L"");
}

TEST_F(ConflictCheckTest, MissingArgumentsAreAnError)
{
    const uint64_t value = 1;
    const SettingChange change{kFidCopies, kTypeS16, 2, &value};
    ChangedIdList list{};
    const ConstraintContext context = Context();
    std::unique_ptr<ConstraintResult, ResultCloser> result(AllocConstraintResult());
    EXPECT_EQ(CheckItemValueConflict(dialog_, Printer(), nullptr, &change, &list, result.get(), &page_), kActionError);
    EXPECT_EQ(CheckItemValueConflict(dialog_, Printer(), &context, nullptr, &list, result.get(), &page_), kActionError);
    EXPECT_EQ(CheckItemValueConflict(dialog_, Printer(), &context, &change, nullptr, result.get(), &page_),
              kActionError);
    EXPECT_EQ(CheckItemValueConflict(dialog_, Printer(), &context, &change, &list, nullptr, &page_), kActionError);
}

TEST_F(ConflictCheckTest, TheEditItemOfTheSettingGivesTheRangeFlags)
{
    const uint16_t slots[] = {268, 269};
    const EditItemView items[] = {
        {1, 268, slots, 2, 9, kEditParameterDecimals, 0},  // not an edit field
        {kEditControlKind, 269, slots, 2, 1, kEditParameterDecimals, 5},
    };
    const ConflictPage page{0, items, 2};
    uint16_t first = 0, flags = 0;
    ASSERT_EQ(FindEditItemForSetting(&page, 269, 0, &first, &flags), 1);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(flags, kUiDecimals | kUiFixedRange);
    ASSERT_EQ(FindEditItemForSetting(&page, 268, 0, &first, &flags), 1);
    EXPECT_EQ(flags, kEditItemMissing);
    ASSERT_EQ(FindEditItemForSetting(&page, 268, 1, &first, &flags), 1);
    EXPECT_EQ(flags, kUiDecimals | kUiFixedRange);
}

class PageCheckTest : public ConflictCheckTest {
protected:
    void SetUp() override
    {
        ConflictCheckTest::SetUp();
        // The free custom size and the user papers at a usable size, their
        // margins the defaults.
        Set(kFidCustomPaperWidth, 2100);
        Set(kFidCustomPaperLength, 2970);
        for (uint16_t i = 0; i < kUserPaperCount; ++i) {
            Set(static_cast<uint16_t>(5889 + i), 2100);
            Set(static_cast<uint16_t>(5909 + i), 2970);
        }
        ResetPaperMarginStore(Printer(), L"", false, L"");
    }
    // The first user paper, 200 x 297 mm, with margins that take its whole
    // width, kept in the printer's margin list.
    void SetUserPaperWithWideMargins()
    {
        Set(5889, 2000);
        Set(5909, 2970);
        SetText(5929, L"Letterhead");
        Set(kFidUserPaperMarginsFromUser, 0);
        PaperMarginList* list = LoadPaperMarginList(Printer());
        ASSERT_NE(list, nullptr);
        const uint32_t wide[4] = {1000, 1000, 1000, 1000};
        ASSERT_EQ(AddPaperMargins(list, kFirstUserPaper, wide, kOrientationPortrait), kMarginOk);
        ASSERT_EQ(SavePaperMarginList(Printer(), list), kMarginOk);
        FreePaperMarginList(list);
    }
};

TEST_F(PageCheckTest, TheFreeCustomSizeIsKeptAndAnUnknownPaperFallsBack)
{
    Set(kFidPaperSize, kFreeCustomPaperCode);
    DEVMODEW head;
    std::memcpy(&head, settings_.data(), sizeof head);
    head.dmFields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
    head.dmPaperWidth = 1500;
    head.dmPaperLength = 2500;
    std::memcpy(settings_.data(), &head, sizeof head);
    uint16_t room[kChangedRoom] = {};
    uint16_t* ids = room;
    uint16_t count = 0;
    Set(kFidCustomPaperEnabled, 1);
    ASSERT_NE(IsCustomPaperEnabled(settings_.data(), printer_settings_.data()), 0u);
    ASSERT_EQ(CheckPaperSelection(Printer(), Context(), 0, &ids, &count), 0);
    EXPECT_EQ(Get(kFidPaperSize), kFreeCustomPaperCode);
    EXPECT_EQ(Get(kFidCustomPaperWidth), 1500u);
    EXPECT_EQ(Get(kFidCustomPaperLength), 2500u);
    EXPECT_EQ(count, 0);
    Set(kFidPaperSize, 9999);
    ASSERT_EQ(CheckPaperSelection(Printer(), Context(), 0, &ids, &count), 0);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(ids[0], kFidPaperSize);
    EXPECT_NE(Get(kFidPaperSize), 9999u);
}

TEST_F(PageCheckTest, AnEmptyUserCodeSwitchesTheCodeModeOff)
{
    Set(kFidJobType, 1);
    SetText(kFidUserCode, L"");
    wchar_t* text = nullptr;
    PaperUnits units{};
    EXPECT_EQ(CheckWholeSettings(Printer(), Context(), 0, &units, &text), kWholeChanged);
    ASSERT_NE(text, nullptr);
    GlobalFree(text);
    EXPECT_EQ(Get(kFidJobType), 0u);
    text = nullptr;
    EXPECT_EQ(CheckWholeSettings(Printer(), Context(), 0, &units, &text), kWholeConsistent);
    EXPECT_EQ(text, nullptr);
}

TEST_F(PageCheckTest, TwoTextsQueueInTheTwoSlots)
{
    PaperUnits units{};
    Set(kFidJobType, 0);
    Set(kFidUserPaperMarginsFromUser, 0);
    QueuedConflictTexts* holder = reinterpret_cast<QueuedConflictTexts*>(1);
    ASSERT_EQ(RunPageSettingsCheck(nullptr, Printer(), Context(), 0, kCheckWholeRecord | kCheckLayoutFit, true,
                                   kMarginResetMessage, &units, dialog_, false, &holder),
              1);
    EXPECT_EQ(holder, nullptr);
    // A user paper whose margins take its width, and a grid of 2 x 2 pages
    // of the paper's own size at full size on it.
    SetUserPaperWithWideMargins();
    Set(kFidPaperSize, kPaperA4);
    Set(kFidOutputPaper, 267);
    Set(kFidPosterBooklet, 1);
    Set(kFidLayoutGrid, 0x0202);
    Set(kFidLayoutScaleOn, 1);
    Set(kFidZoom, 100);
    ASSERT_EQ(RunPageSettingsCheck(nullptr, Printer(), Context(), 0, kCheckLayoutFit, true, kMarginResetMessage,
                                   &units, dialog_, false, &holder),
              1);
    ASSERT_NE(holder, nullptr);
    int status = -1;
    const wchar_t* first = GetQueuedConflictText(holder, 0, &status);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(status, 0);
    EXPECT_NE(std::wstring(first).find(L"Letterhead"), std::wstring::npos);
    EXPECT_NE(GetQueuedConflictText(holder, 1, &status), nullptr);
    EXPECT_EQ(GetQueuedConflictText(holder, 2, &status), nullptr);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(GetQueuedConflictText(nullptr, 0, &status), nullptr);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(FreeQueuedConflictTexts(&holder), 1);
    EXPECT_EQ(holder, nullptr);
    EXPECT_EQ(FreeQueuedConflictTexts(nullptr), 0);
}

// On a printer's defaults no size has been chosen for the free custom size or
// the user papers: their default margins still fit and nothing is reported.
TEST_F(PageCheckTest, PapersWithoutAChosenSizeKeepTheirMargins)
{
    Set(kFidCustomPaperWidth, 0);
    Set(kFidCustomPaperLength, 0);
    for (uint16_t i = 0; i < kUserPaperCount; ++i) {
        Set(static_cast<uint16_t>(5889 + i), 0);
        Set(static_cast<uint16_t>(5909 + i), 0);
    }
    CheckedPapers failed{};
    EXPECT_EQ(CheckUserPaperMargins(Printer(), Context(), false, &failed), 1);
    EXPECT_EQ(failed.count, 0);
    PaperUnits units{};
    QueuedConflictTexts* holder = nullptr;
    ASSERT_EQ(RunPageSettingsCheck(nullptr, Printer(), Context(), 0, 0, true, kMarginResetMessage, &units, dialog_,
                                   false, &holder),
              1);
    EXPECT_EQ(holder, nullptr);
    FreeQueuedConflictTexts(&holder);
}

TEST_F(PageCheckTest, MarginsAsWideAsTheirPaperAreReset)
{
    SetUserPaperWithWideMargins();
    CheckedPapers failed{};
    ASSERT_EQ(CheckUserPaperMargins(Printer(), Context(), false, &failed), -1);
    ASSERT_EQ(failed.count, 1);
    EXPECT_EQ(failed.codes[0], kFirstUserPaper);

    PaperUnits units{};
    QueuedConflictTexts* holder = nullptr;
    ASSERT_EQ(RunPageSettingsCheck(nullptr, Printer(), Context(), 0, 0, true, kMarginResetMessage, &units, dialog_,
                                   false, &holder),
              1);
    ASSERT_NE(holder, nullptr);
    const std::wstring text = GetQueuedConflictText(holder, 0, nullptr);
    FreeQueuedConflictTexts(&holder);
    EXPECT_NE(text.find(L"Letterhead (200 x 297mm)"), std::wstring::npos) << std::string(text.begin(), text.end());
    PaperMarginList* list = LoadPaperMarginList(Printer());
    ASSERT_NE(list, nullptr);
    PaperMarginRecord stored{};
    ASSERT_EQ(FindPaperMargins(list, kFirstUserPaper, &stored), kMarginOk);
    FreePaperMarginList(list);
    for (uint32_t margin : stored.margin)
        EXPECT_EQ(margin, kDefaultPaperMargin);
    EXPECT_EQ(Get(kFidUserPaperMarginsFromUser), 0u);
    EXPECT_EQ(CheckUserPaperMargins(Printer(), Context(), false, &failed), 1);
}

}  // namespace
