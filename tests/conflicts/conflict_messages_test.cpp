#include "common/conflicts/conflict_messages.h"

#include "common/conflicts/dialog_services.h"

#include "common/constraints/constraint_engine.h"
#include "common/context/settings_context.h"
#include "common/defaults/setting_defaults.h"
#include "common/context/paper_list.h"
#include "common/context/value_by_type.h"
#include "common/model/model_data.h"
#include "common/model/model_value_ops.h"
#include "common/job/printer_stamp_store.h"
#include "common/options/option_lists.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "common/system/user_prompt.h"
#include "tests/support/model_printer.h"
#include "tests/support/spooler_forms_fixture.h"
#include "ui/engine/conflict_action_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Prompts {
    int answer = IDOK;
    std::vector<UserPrompt> seen;
    std::vector<std::wstring> texts;
    std::vector<std::wstring> titles;  // the prompt's own texts live only for the call
};

int Answer(const UserPrompt& prompt, void* context)
{
    auto* prompts = static_cast<Prompts*>(context);
    prompts->seen.push_back(prompt);
    prompts->texts.emplace_back(prompt.text ? prompt.text : L"");
    prompts->titles.emplace_back(prompt.title ? prompt.title : L"");
    return prompts->answer;
}

// Settings of a model's printer at their defaults, and a dialog whose UI
// context is set, with every prompt answered by the test.
class PromptedSettingsTest : public ::testing::Test {
protected:
    void Open(ModelPrinter* printer)
    {
        ASSERT_TRUE(printer->ok());
        context_ = OpenSettingsContext(printer->handle());
        ASSERT_NE(context_, nullptr);
        ASSERT_EQ(FillDefaultSettings(context_, settings_.data(), printer_settings_.data(), L"Conflicts"), 1);
        dialog_ = CreateWindowExW(0, L"#32770", L"", WS_POPUP, 0, 0, 10, 10, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_NE(dialog_, nullptr);
        SetWindowLongPtrW(dialog_, DWLP_USER, reinterpret_cast<LONG_PTR>(&uiContext_));
        SetPromptAnswerer(&Answer, &prompts_);
    }
    void TearDown() override
    {
        SetPromptAnswerer(nullptr, nullptr);
        if (dialog_)
            DestroyWindow(dialog_);
        if (context_)
            CloseSettingsContext(context_);
    }
    ConstraintContext Context() { return {context_, settings_.data(), printer_settings_.data()}; }

    SettingsContext* context_ = nullptr;
    std::array<uint8_t, kSettingsRecordSize> settings_{};
    std::array<uint8_t, kPrinterSettingsRecordSize> printer_settings_{};
    HWND dialog_ = nullptr;
    int uiContext_ = 0;
    Prompts prompts_;
};

class ConflictTest : public PromptedSettingsTest {
protected:
    static void SetUpTestSuite() { printer_ = OpenSuitePrinter(L"C4530.DDD", L"Morva Conflicts C4530"); }
    static void TearDownTestSuite() { CloseSuitePrinter(printer_); }
    void SetUp() override { Open(printer_); }
    uint16_t Handle(uint16_t code, HWND window = nullptr, const PreparedFix* fix = nullptr)
    {
        ConstraintResult result{};
        result.code = code;
        result.conflictRules.items = result.conflictRules.room;
        const uint64_t tray = 2;  // Tray 2 as the paper source
        const SettingChange change{13, kTypeS16, 2, &tray};
        return HandleConstraintConflict(window ? window : dialog_, Context(), change, fix, result, &units_);
    }
    void Set(uint16_t id, uint32_t value)
    {
        ASSERT_EQ(WriteSettingNumber(id, settings_.data(), printer_settings_.data(), value), 1) << id;
    }
    void SetText(uint16_t id, const wchar_t* text)
    {
        const auto bytes = static_cast<uint32_t>((wcslen(text) + 1) * sizeof(wchar_t));
        ASSERT_EQ(SetFunctionIdValueArgs(settings_.data(), printer_settings_.data(), id, kTypeString, bytes, text), 0);
    }
    // Sets or clears capability bit 32 + n in the context's model (word 1).
    void SetCapabilityWord1(uint32_t bits)
    {
        PatchModelRaw(context_->main, 39, 4, 0, bits);
    }
    uint32_t CapabilityWord1() { return GetModelSectionNumber(context_->main, 39, 4, 0); }
    std::wstring ValueText(uint16_t id, const void* value, const PaperUnits* units = nullptr, int flags = 0)
    {
        wchar_t text[kValueTextChars] = {};
        EXPECT_EQ(FormatSettingValueText(value == nullptr, Context(), text, id, value, units, flags), 1) << id;
        return text;
    }

    static ModelPrinter* printer_;
    PaperUnits units_{};
};

ModelPrinter* ConflictTest::printer_ = nullptr;

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }
bool Contains(const std::wstring& text, const wchar_t* part) { return text.find(part) != std::wstring::npos; }

TEST_F(ConflictTest, ReactionKindsGiveTheirAnswersAndChoices)
{
    const struct {
        uint16_t kind;
        uint16_t answer;
        uint16_t choice;
    } cases[] = {
        {1, kAnswerRefused, kChoiceConflict},          {4, kAnswerNeedsDisplay, kChoiceConflict},
        {36, kAnswerNeedsDisplay, kChoiceConflict},    {132, kAnswerNeedsDisplay, kChoiceConflict},
        {68, kAnswerNeedsDisplay, kChoiceConflictThenLayout}, {100, kAnswerNeedsDisplay, kChoiceConflictThenLayout},
        {0, kAnswerError, kChoiceConflict},            {2, kAnswerError, kChoiceConflict},
        {5, kAnswerError, kChoiceConflict},            {0xFFFF, kAnswerError, kChoiceConflict},
    };
    const uint64_t tray = 2;
    const SettingChange change{13, kTypeS16, 2, &tray};
    for (const auto& c : cases) {
        uint16_t choice = 0xEEEE;
        PageUiRecord ui{};
        EXPECT_EQ(ChooseConflictAction(printer_->handle(), Context(), change, c.kind, &choice, &ui), c.answer)
            << c.kind;
        EXPECT_EQ(choice, c.choice) << c.kind;
    }
    EXPECT_EQ(ChooseConflictAction(printer_->handle(), Context(), change, 4, nullptr, nullptr), kAnswerError);
}

TEST(ConflictText, NumbersInTenthsKeepTheirSign)
{
    const struct {
        uint32_t value;
        uint16_t type;
        uint32_t divisor;
        const wchar_t* text;
    } cases[] = {
        {123, kTypeS16, 10, L"12.3"},
        {static_cast<uint16_t>(-15), kTypeS16, 10, L"-1.5"},
        {static_cast<uint16_t>(-5), kTypeS16, 10, L"-0.5"},
        {static_cast<uint32_t>(-5), kTypeS32, 10, L"-0.5"},
        {65535, kTypeU16, 1, L"65535"},
        {static_cast<uint16_t>(-2), kTypeS16, 1, L"-2"},
        {4000000000u, kTypeU32, 1, L"4000000000"},
        {100, kTypeU16, 10, L"10.0"},
    };
    for (const auto& c : cases) {
        wchar_t text[32] = {};
        ASSERT_EQ(FormatSettingNumber(text, 32, c.value, c.type, c.divisor), 1);
        EXPECT_STREQ(text, c.text) << c.value;
    }
}

TEST_F(ConflictTest, ResultCodesGiveTheirMessagesAndAnswers)
{
    const struct {
        uint16_t code;
        int prompts;  // 0 none
        UINT style;
        uint16_t onOk;
        uint16_t onCancel;
    } cases[] = {
        {0, 0, 0, 9, 9},   {4, 0, 0, 9, 9},   {9, 0, 0, 9, 9},
        {2, 1, kWarningStyle, 3, 3},   {3, 1, kQuestionStyle, 9, 3},  {5, 1, kQuestionStyle, 9, 3},
        {7, 1, kWarningStyle, 10, 10}, {8, 1, kQuestionStyle, 9, 10}, {10, 1, kWarningStyle, 3, 3},
        {11, 1, kWarningStyle, 3, 3},  {12, 1, kWarningStyle, 3, 3},  {13, 1, kWarningStyle, 3, 3},
        {1, 0, 0, 1, 1},   {6, 0, 0, 1, 1},   {14, 0, 0, 1, 1},  {15, 0, 0, 1, 1}, {16, 0, 0, 1, 1},
    };
    for (const auto& c : cases) {
        for (const int answer : {IDOK, IDCANCEL}) {
            prompts_ = {};
            prompts_.answer = answer;
            EXPECT_EQ(Handle(c.code), answer == IDOK ? c.onOk : c.onCancel) << c.code << " " << answer;
            ASSERT_EQ(static_cast<int>(prompts_.seen.size()), c.prompts) << c.code;
            if (c.prompts) {
                EXPECT_EQ(prompts_.seen[0].style & 0xFF, c.style) << c.code;
                EXPECT_EQ(prompts_.titles[0], L"Printer Settings");
                EXPECT_FALSE(prompts_.texts[0].empty()) << c.code;
            }
        }
    }
}

TEST_F(ConflictTest, WithoutUiContextOrUnitsQuestionsCancelAndWarningsStillAnswer)
{
    const struct {
        uint16_t code;
        uint16_t answer;
    } cases[] = {{2, 3}, {3, 3}, {5, 3}, {7, 10}, {8, 10}, {12, 3}};
    SetWindowLongPtrW(dialog_, DWLP_USER, 0);
    for (const auto& c : cases)
        EXPECT_EQ(Handle(c.code), c.answer) << c.code;
    SetWindowLongPtrW(dialog_, DWLP_USER, reinterpret_cast<LONG_PTR>(&uiContext_));
    ConstraintResult result{};
    const SettingChange change{13, kTypeS16, 2, nullptr};
    for (const auto& c : cases) {
        result.code = c.code;
        EXPECT_EQ(HandleConstraintConflict(dialog_, Context(), change, nullptr, result, nullptr), c.answer) << c.code;
    }
    EXPECT_TRUE(prompts_.seen.empty());
}

// Capability 0xFFFF0030 silences the warning of code 2; other codes still ask.
TEST_F(ConflictTest, TheQuietCapabilitySilencesOnlyTheConflictWarning)
{
    const uint32_t word1 = CapabilityWord1();
    SetCapabilityWord1(word1 | 0x00010000u);
    ASSERT_TRUE(TestModelCapability(context_->main, 0xFFFF0030));
    EXPECT_EQ(Handle(2), kAnswerRefused);
    EXPECT_TRUE(prompts_.seen.empty());
    EXPECT_EQ(Handle(3), kAnswerGoAhead);
    EXPECT_EQ(prompts_.seen.size(), 1u);
    SetCapabilityWord1(word1);
    prompts_ = {};
    EXPECT_EQ(Handle(2), kAnswerRefused);
    EXPECT_EQ(prompts_.seen.size(), 1u);
}

// Booklet printing with simplex fires the booklet rule (a question): the
// message names the change, the setting in conflict with its value and the
// rule's changes with their new values.
TEST_F(ConflictTest, TheQuestionListsTheFiredRulesConditionsAndChanges)
{
    Set(kFidDuplex, 1);
    const uint64_t booklet = 2;
    const SettingChange change{kFidPosterBooklet, kTypeU16, 2, &booklet};
    ConstraintResult* result = AllocConstraintResult();
    ASSERT_NE(result, nullptr);
    ASSERT_EQ(CheckSettingConstraints(kModeInteractive, printer_->handle(), context_, settings_.data(),
                                      printer_settings_.data(), nullptr, change.id, change.type, change.value, result,
                                      nullptr, 0),
              0);
    ASSERT_EQ(result->code, 8);
    std::vector<uint16_t> fired;
    ASSERT_EQ(CollectFiredRuleSettings(Context(), change, *result, &fired), 0);
    EXPECT_EQ(fired, std::vector<uint16_t>{kFidDuplex});

    prompts_.answer = IDCANCEL;
    EXPECT_EQ(HandleConstraintConflict(dialog_, Context(), change, nullptr, *result, &units_), kAnswerRefusedNoted);
    ASSERT_EQ(prompts_.texts.size(), 1u);
    const std::wstring& text = prompts_.texts[0];
    const size_t changes = text.find(L"These settings will be changed:");
    ASSERT_NE(changes, std::wstring::npos) << Narrow(text);
    EXPECT_TRUE(Contains(text.substr(0, changes), L"Booklet")) << Narrow(text);
    EXPECT_TRUE(Contains(text.substr(0, changes), L"Duplex: Off\n")) << Narrow(text);
    EXPECT_TRUE(Contains(text.substr(changes), L"Duplex: Long Edge\n")) << Narrow(text);
    EXPECT_TRUE(Contains(text.substr(changes), L"Pages per Sheet: 2\n")) << Narrow(text);
    FreeConstraintResult(result);
}

TEST_F(ConflictTest, APreparedFixClosesTheListOfChangesAndTheJobHeaderHasItsOwnTemplate)
{
    wchar_t oldText[] = L"Job header: On";
    wchar_t newText[] = L"Job header: Off";
    const PreparedFix fix{oldText, newText, 0, nullptr};
    EXPECT_EQ(Handle(3, nullptr, &fix), kAnswerGoAhead);
    ASSERT_EQ(prompts_.texts.size(), 1u);
    EXPECT_TRUE(Contains(prompts_.texts[0], L"Job header: On\nJob header: Off\n")) << Narrow(prompts_.texts[0]);

    ConstraintResult result{};
    result.code = 3;
    const uint64_t on = 1;
    const SettingChange header{1333, kTypeFlag, 4, &on};
    EXPECT_EQ(HandleConstraintConflict(dialog_, Context(), header, &fix, result, &units_), kAnswerGoAhead);
    ASSERT_EQ(prompts_.texts.size(), 2u);
    EXPECT_EQ(prompts_.texts[1].rfind(L"The function settings conflict", 0), 0u) << Narrow(prompts_.texts[1]);
}

TEST_F(ConflictTest, TheConflictListLeavesOutSettingsNeverShown)
{
    ASSERT_EQ(WriteSettingNumber(5202, settings_.data(), printer_settings_.data(), 1), 1);
    const uint16_t involved[] = {346, 13, 348, 8205, 443, 342, 343, 1794, 1809, 270, 13, 0};
    ConstraintResult result{};
    result.involvementBits = 0x0001 | 0x0004 | 0x0800;  // 8, 13 again, 333
    uint16_t ids[kConflictListRoom] = {};
    const int count = CollectConflictSettings(Context(), result, involved, ids);
    EXPECT_EQ(std::vector<uint16_t>(ids, ids + count + 1), (std::vector<uint16_t>{13, 8, 333, 0}));
}

TEST_F(ConflictTest, TheConflictListHoldsAtMostNineteen)
{
    std::vector<uint16_t> involved;
    for (uint16_t id = 1000; id < 1030; ++id)
        involved.push_back(id);
    involved.push_back(0);
    ConstraintResult result{};
    uint16_t ids[kConflictListRoom];
    std::fill(std::begin(ids), std::end(ids), 0xEEEE);
    EXPECT_EQ(CollectConflictSettings(Context(), result, involved.data(), ids), 19);
    EXPECT_EQ(ids[18], 1018);
    EXPECT_EQ(ids[19], 0);
}

TEST(ConflictTemplate, TextsThatFillTheCapacityFail)
{
    LoadResourceModule();
    wchar_t* text = nullptr;
    ASSERT_EQ(FormatConflictTemplate(GetResourceModule(), &text, 0, kTemplateListEntry, L"Copies", L"5"), 1);
    EXPECT_STREQ(text, L"Copies: 5");
    GlobalFree(text);
    std::wstring longName(1100, L'x');
    EXPECT_EQ(FormatConflictTemplate(GetResourceModule(), &text, 0, kTemplateListEntry, longName.c_str(), L"5"), 0);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(FormatConflictTemplate(GetResourceModule(), &text, 0, 64999), 0);
    ReleaseResourceModule();
}

TEST_F(ConflictTest, ValueTextsOfSwitchesKindsAndSeries)
{
    const uint32_t one = 1, zero = 0;
    EXPECT_EQ(ValueText(1296, &one, nullptr), L"On");
    EXPECT_EQ(ValueText(1301, &zero, nullptr), L"Off");
    wchar_t text[kValueTextChars] = {};
    ASSERT_EQ(FormatSettingValueText(false, Context(), text, 1298, nullptr, nullptr, 0), 1);
    EXPECT_STREQ(text, L"Not set");
    ASSERT_EQ(FormatSettingValueText(false, Context(), text, 286, nullptr, nullptr, 0), 1);
    EXPECT_STREQ(text, L"Not specified");
    EXPECT_EQ(ValueText(327, nullptr), L"Paper Series (settings)");
    const uint16_t letter = 3;
    EXPECT_EQ(ValueText(327, &letter), L"Letter Series");
}

// User-defined sizes show their name and size, in millimetres with one decimal
// or in inches with two (one when the page asks for one).
TEST_F(ConflictTest, PaperSizeTextsCarryTheSizeInThePagesUnit)
{
    SetText(5929, L"Photo\nwide");
    Set(5889, 2100);
    Set(5909, 2970);
    Set(1863, 1000);
    Set(1864, 1480);
    const PaperUnits inch{1, 0}, inchOneDecimal{1, 1};
    const uint16_t user1 = 262, custom = 256, a4 = 9, same = 267;
    EXPECT_EQ(ValueText(kFidPaperSize, &user1), L"Photo (210.0 x 297.0 mm)");
    EXPECT_EQ(ValueText(kFidOutputPaper, &user1, &inch), L"Photo (8.27 x 11.69 in)");
    EXPECT_EQ(ValueText(kFidOutputPaper, &user1, &inchOneDecimal), L"Photo (8.3 x 11.7 in)");
    EXPECT_EQ(ValueText(kFidPaperSize, &custom), L"Custom Size (100.0 x 148.0 mm)");
    EXPECT_EQ(ValueText(kFidPaperSize, &a4), L"A4");
    EXPECT_EQ(ValueText(kFidOutputPaper, &same), L"Same as Original Size");
}

// With the paper list of the spooler's forms a paper shows the list's name,
// also a user form that no model paper names.
TEST_F(ConflictTest, PaperSizeTextsTakeThePaperListsNames)
{
    for (const wchar_t* name : {L"User Paper 1", L"User Paper 2", L"User Paper 3", L"User Paper 4", L"User Paper 5"})
        ASSERT_TRUE(EnsureSpoolerForm(printer_->handle(), name, 210000, 297000, {0, 0, 210000, 297000}));
    ASSERT_TRUE(printer_->WriteSiteConfiguration("[DME,1]\nformdb.mode=1\n"));
    Set(5201, 1);
    const uint16_t userForm = 512;
    wchar_t text[kValueTextChars] = {};
    EXPECT_EQ(FormatSettingValueText(false, Context(), text, kFidPaperSize, &userForm, nullptr, 0), 0);
    SettingsContext* listed = OpenSettingsContext(printer_->handle());
    ASSERT_NE(listed, nullptr);
    EXPECT_EQ(BuildPaperList(printer_->handle(), listed, printer_settings_.data()), 1);
    const ConstraintContext withList{listed, settings_.data(), printer_settings_.data()};
    EXPECT_EQ(FormatSettingValueText(false, withList, text, kFidPaperSize, &userForm, nullptr, 0), 1);
    EXPECT_STREQ(text, L"Letter Small");
    const uint16_t a4 = 9;
    EXPECT_EQ(FormatSettingValueText(false, withList, text, kFidOutputPaper, &a4, nullptr, 0), 1);
    EXPECT_STREQ(text, L"A4");
    FreePaperList(listed);
    CloseSettingsContext(listed);
    printer_->RemoveSiteConfiguration();
}

TEST_F(ConflictTest, SourceTextsCarryTheirLimitsWhenAsked)
{
    const uint16_t tray3 = 3, printerDefault = 258, finisher = 2, centre = 1;
    EXPECT_EQ(ValueText(kFidPaperSource, &tray3), L"Tray 3");
    EXPECT_EQ(ValueText(kFidPaperSource, &tray3, nullptr, kValueTextLimits),
              L"Tray 3 (210.0 x 279.4 mm to 215.9 x 297.0 mm)");
    EXPECT_EQ(ValueText(kFidPaperSource, &printerDefault, nullptr, kValueTextLimits), L"Printer Default");
    EXPECT_EQ(ValueText(kFidOutputBin, &finisher, nullptr, kValueTextLimits),
              L"Finisher Tray (139.7 x 182.0 mm to 304.8 x 457.2 mm)");
    // A bin without limits shows its name alone.
    EXPECT_EQ(ValueText(kFidOutputBin, &centre, nullptr, kValueTextLimits), L"Centre Tray");
}

TEST_F(ConflictTest, TheItemQuestionAnswersZeroForOkAndEightForCancel)
{
    const uint16_t ids[] = {kFidDuplex, kFidPaperSource};
    for (const int answer : {IDOK, IDCANCEL}) {
        prompts_ = {};
        prompts_.answer = answer;
        EXPECT_EQ(ShowItemConflictMessage(dialog_, Context(), ids, 2, &units_),
                  answer == IDOK ? kItemAnswerOk : kItemAnswerCancel);
        ASSERT_EQ(prompts_.seen.size(), 1u);
        EXPECT_EQ(prompts_.seen[0].style & 0xFF, kQuestionStyle);
        EXPECT_TRUE(Contains(prompts_.texts[0], L"Duplex: ")) << Narrow(prompts_.texts[0]);
        EXPECT_TRUE(Contains(prompts_.texts[0], L"Paper Tray: ")) << Narrow(prompts_.texts[0]);
    }
    prompts_ = {};
    SetWindowLongPtrW(dialog_, DWLP_USER, 0);
    EXPECT_EQ(ShowItemConflictMessage(dialog_, Context(), ids, 2, &units_), kItemAnswerOk);
    EXPECT_TRUE(prompts_.seen.empty());
}

TEST_F(ConflictTest, TheNoticeListsTheSettingsTheRulesChanged)
{
    Set(kFidDuplex, 2);
    const uint16_t changed[] = {kFidDuplex};
    EXPECT_EQ(ShowConstraintNotice(dialog_, Context(), changed, 1, &units_), kNoticeShown);
    ASSERT_EQ(prompts_.seen.size(), 1u);
    EXPECT_EQ(prompts_.seen[0].style & 0xFF, kWarningStyle);
    EXPECT_TRUE(Contains(prompts_.texts[0], L"Duplex: Long Edge")) << Narrow(prompts_.texts[0]);
    EXPECT_EQ(ShowConstraintNotice(dialog_, Context(), changed, 1, nullptr), kAnswerError);
    EXPECT_EQ(prompts_.seen.size(), 1u);
}

// The layout fit is a warning: shown it goes ahead, not shown it refuses;
// a grid that fits shows nothing.
TEST_F(ConflictTest, TheLayoutWarningAnswersNineWhenShownAndThreeWhenNot)
{
    Set(kFidPosterBooklet, 1);
    Set(kFidLayoutScaleOn, 1);
    Set(kFidPaperSize, 1);
    Set(kFidOutputPaper, 267);
    const struct {
        uint32_t grid;
        uint32_t zoom;
        int answer;  // of the prompt; 0: no box could be shown
        uint16_t expected;
        int prompts;
        const wchar_t* part;
    } cases[] = {
        // Four A4 sheets hold an A4 page at twice its size exactly.
        {0x0202, 200, IDOK, kAnswerGoAhead, 0, nullptr},
        {0x0202, 250, IDOK, kAnswerGoAhead, 1, L"too small"},
        {0x0202, 100, IDOK, kAnswerGoAhead, 1, L"too large"},
        {0x0202, 250, 0, kAnswerRefused, 1, nullptr},
    };
    for (const auto& c : cases) {
        prompts_ = {};
        prompts_.answer = c.answer;
        Set(kFidLayoutGrid, c.grid);
        Set(kFidZoom, c.zoom);
        const uint64_t a4 = 9;
        const SettingChange change{kFidPaperSize, kTypeS16, 2, &a4};
        EXPECT_EQ(ReportLayoutScaleConflict(dialog_, Context(), change, &units_), c.expected) << c.grid << " " << c.zoom;
        ASSERT_EQ(static_cast<int>(prompts_.seen.size()), c.prompts) << c.grid << " " << c.zoom;
        if (c.prompts) {
            EXPECT_EQ(prompts_.seen[0].style & 0xFF, kWarningStyle);
        }
        if (c.part) {
            EXPECT_TRUE(Contains(prompts_.texts[0], c.part)) << Narrow(prompts_.texts[0]);
            EXPECT_TRUE(Contains(prompts_.texts[0], L"Paper Size")) << Narrow(prompts_.texts[0]);
            EXPECT_TRUE(Contains(prompts_.texts[0], L"Output Size: Same as Original Size")) << Narrow(prompts_.texts[0]);
        }
    }
}

TEST_F(ConflictTest, TheStampCountCheckPassesTheStampListAndRefusesOtherSettings)
{
    const uint64_t value = 1;
    uint16_t choice = 0;
    const SettingChange list{272, kTypeU16, 2, &value};
    EXPECT_EQ(ChooseConflictAction(printer_->handle(), Context(), list, 16, &choice, nullptr), kAnswerGoAhead);
    const SettingChange other{13, kTypeS16, 2, &value};
    EXPECT_EQ(ChooseConflictAction(printer_->handle(), Context(), other, 16, &choice, nullptr), kAnswerError);
    // The store starts with its six default stamps: room for more.
    const SettingChange add{kActionStampAdd, kTypeU16, 2, nullptr};
    EXPECT_EQ(ChooseConflictAction(printer_->handle(), Context(), add, 16, &choice, nullptr), kAnswerRefused);
    EXPECT_EQ(choice, kChoiceConflict);

    // Filled to 32 the store takes no more: the fixed warning.
    const StampStoreOf store(printer_->handle(), context_);
    std::vector<std::wstring> names;
    for (int i = 0; i < 26; ++i) {
        names.push_back(L"Conflict " + std::to_wstring(i));
        StampRecord stamp{};
        wcsncpy(stamp.name, names.back().c_str(), 32);
        wcsncpy(stamp.text, L"TEXT", 64);
        stamp.font.lfHeight = -100;
        EXPECT_EQ(SaveStamp(store.at, &stamp), kStampOk) << i;
    }
    EXPECT_EQ(ChooseConflictAction(printer_->handle(), Context(), add, 16, &choice, nullptr), kAnswerNeedsDisplay);
    EXPECT_EQ(choice, kChoiceFixedWarning);
    for (const std::wstring& name : names)
        EXPECT_EQ(DeleteStamp(store.at, name.c_str()), kStampOk);
}

TEST_F(ConflictTest, TheStampsFullWarningAnswersTen)
{
    EXPECT_EQ(ShowStampsFullWarning(dialog_), kAnswerRefusedNoted);
    ASSERT_EQ(prompts_.texts.size(), 1u);
    EXPECT_EQ(prompts_.texts[0], L"No more stamps can be added.");
}

// The range check over a model whose copies and zoom have ranges: copies 1-99,
// zoom 25-400 percent.
class RangeTest : public PromptedSettingsTest {
protected:
    static void SetUpTestSuite() { printer_ = OpenSuitePrinter(L"M2200.DDD", L"Morva Conflicts M2200"); }
    static void TearDownTestSuite() { CloseSuitePrinter(printer_); }
    void SetUp() override { Open(printer_); }
    // The reaction kind from the engine's conflict action table, the page's
    // range flags from the edit item that shows the setting.
    uint16_t Choose(uint16_t id, uint16_t type, const uint64_t* value, uint16_t* choice, PageUiRecord* ui)
    {
        const SettingChange change{id, type, 2, value};
        PageFlags(id, ui);
        return ChooseConflictAction(printer_->handle(), Context(), change, LookUpConflictFlags(id, value != nullptr),
                                    choice, ui);
    }
    // What the pages' edit items ask of the range check: the shifts are
    // stored in tenths and shown with one decimal, the fixed ranges are the
    // pages' own.
    static void PageFlags(uint16_t id, PageUiRecord* ui)
    {
        *ui = {};
        const struct {
            uint16_t id;
            uint16_t flags;
            uint16_t decimals;
        } items[] = {
            {268, kUiDecimals, 1}, {269, kUiDecimals, 1}, {306, kUiFixedRange, 0}, {309, kUiFixedRange, 1},
            {310, kUiFixedRange, 1}, {311, kUiFixedRange, 1}, {359, kUiFixedRange, 0}, {385, kUiFixedRange, 1},
        };
        for (const auto& item : items)
            if (item.id == id) {
                ui->flags = item.flags;
                ui->decimals = item.decimals;
            }
    }

    static ModelPrinter* printer_;
};

ModelPrinter* RangeTest::printer_ = nullptr;

TEST_F(RangeTest, ValuesOutsideTheirRangeChooseTheRangeWarning)
{
    ASSERT_EQ(WriteSettingNumber(kFidLayoutScaleOn, settings_.data(), printer_settings_.data(), 1), 1);
    const struct {
        uint16_t id;
        uint16_t type;
        int64_t value;
        uint16_t answer;
        uint16_t choice;
        int32_t minimum, maximum;
        uint32_t divisor;
        uint32_t textId;
    } cases[] = {
        // Copies: in range they go on to the conflict check; the zoom is only
        // held to its range.
        {kFidCopies, kTypeS16, 99, kAnswerNeedsDisplay, kChoiceConflict, 0, 0, 0, 0},
        {kFidCopies, kTypeS16, 100, kAnswerNeedsDisplay, kChoiceRange, 1, 99, 1, 0},
        {kFidCopies, kTypeS16, 0, kAnswerNeedsDisplay, kChoiceRange, 1, 99, 1, 0},
        {kFidZoom, kTypeU16, 25, kAnswerGoAhead, kChoiceConflict, 0, 0, 0, 0},
        {kFidZoom, kTypeU16, 401, kAnswerNeedsDisplay, kChoiceRange, 25, 400, 1, 0},
        // The shift is stored in tenths and shown with one decimal.
        {268, kTypeS16, -250, kAnswerGoAhead, kChoiceConflict, 0, 0, 0, 0},
        {268, kTypeS16, 251, kAnswerNeedsDisplay, kChoiceRange, -250, 250, 10, 0},
        // The pages' fixed ranges stand alone.
        {306, kTypeU16, 600, kAnswerGoAhead, kChoiceConflict, 0, 0, 0, 0},
        {306, kTypeU16, 601, kAnswerNeedsDisplay, kChoiceRange, 7, 600, 1, 301},
        {385, kTypeU16, 49, kAnswerNeedsDisplay, kChoiceRange, 50, 240, 10, 301},
        {311, kTypeS16, 900, kAnswerGoAhead, kChoiceConflict, 0, 0, 0, 0},
        {311, kTypeS16, -900, kAnswerGoAhead, kChoiceConflict, 0, 0, 0, 0},
        {311, kTypeS16, -901, kAnswerNeedsDisplay, kChoiceRange, -900, 900, 10, 300},
        {309, kTypeS16, 901, kAnswerNeedsDisplay, kChoiceRange, -900, 900, 10, 300},
    };
    for (const auto& c : cases) {
        uint16_t choice = 0;
        PageUiRecord ui{};
        const uint64_t value = static_cast<uint64_t>(c.value);
        EXPECT_EQ(Choose(c.id, c.type, &value, &choice, &ui), c.answer) << c.id << " " << c.value;
        EXPECT_EQ(choice, c.choice) << c.id << " " << c.value;
        if (c.choice != kChoiceRange)
            continue;
        EXPECT_EQ(ui.minimum, c.minimum) << c.id;
        EXPECT_EQ(ui.maximum, c.maximum) << c.id;
        EXPECT_EQ(ui.divisor, c.divisor) << c.id;
        EXPECT_EQ(ui.textId, c.textId) << c.id;
    }
}

TEST_F(RangeTest, ZoomIsNotCheckedWhileScalingIsOffAndAChangeWithoutValueIsRefused)
{
    ASSERT_EQ(WriteSettingNumber(kFidLayoutScaleOn, settings_.data(), printer_settings_.data(), 0), 1);
    const uint64_t zoom = 1000;
    uint16_t choice = 0;
    PageUiRecord ui{};
    EXPECT_EQ(Choose(kFidZoom, kTypeU16, &zoom, &choice, &ui), kAnswerGoAhead);
    EXPECT_EQ(choice, kChoiceConflict);
    EXPECT_EQ(Choose(kFidCopies, kTypeS16, nullptr, &choice, &ui), kAnswerRefused);
    // A fixed range the page does not know is an error.
    ui.flags = kUiFixedRange;
    const SettingChange change{kFidCopies, kTypeS16, 2, &zoom};
    EXPECT_EQ(CheckValueRange(Context(), change, &ui), kAnswerError);
}

// A page that shows a converted value gets the limits converted as its
// control shows them.
TEST_F(RangeTest, AUnitChangeConvertsTheLimitsForTheControl)
{
    const uint64_t shift = 300;
    const SettingChange change{268, kTypeS16, 2, &shift};
    PageUiRecord ui{};
    ui.flags = kUiUnitChange;
    ASSERT_EQ(CheckValueRange(Context(), change, &ui), kAnswerNeedsDisplay);
    EXPECT_EQ(ui.minimum, -25);
    EXPECT_EQ(ui.maximum, 25);
    EXPECT_EQ(ui.divisor, 1u);
}

TEST_F(RangeTest, TheRangeWarningNamesTheSettingAndItsLimits)
{
    const uint64_t copies = 100;
    const SettingChange change{kFidCopies, kTypeS16, 2, &copies};
    PageUiRecord ui{};
    PageFlags(kFidCopies, &ui);
    ASSERT_EQ(CheckValueRange(Context(), change, &ui), kAnswerNeedsDisplay);
    EXPECT_EQ(ShowConflictWarning(dialog_, Context(), change, ui), kAnswerRefused);
    const uint64_t rotation = 901;
    const SettingChange shifted{311, kTypeS16, 2, &rotation};
    PageFlags(311, &ui);
    ASSERT_EQ(CheckValueRange(Context(), shifted, &ui), kAnswerNeedsDisplay);
    EXPECT_EQ(ShowConflictWarning(dialog_, Context(), shifted, ui), kAnswerRefused);
    const uint64_t shift = static_cast<uint16_t>(-251);
    const SettingChange shiftChange{268, kTypeS16, 2, &shift};
    PageFlags(268, &ui);
    ASSERT_EQ(CheckValueRange(Context(), shiftChange, &ui), kAnswerNeedsDisplay);
    EXPECT_EQ(ShowConflictWarning(dialog_, Context(), shiftChange, ui), kAnswerRefused);
    ASSERT_EQ(prompts_.texts.size(), 3u);
    EXPECT_EQ(prompts_.texts[0], L"Copies must lie between 1 and 99.");
    EXPECT_EQ(prompts_.texts[1], L"Enter a value from -90.0 to 90.0.");
    EXPECT_EQ(prompts_.texts[2], L"Horizontal Shift must lie between -25.0 and 25.0.");
    EXPECT_EQ(prompts_.seen[0].style & 0xFF, kWarningStyle);
}

TEST(DialogServices, SliderPositionsAndStoredValues)
{
    const struct {
        int direction;
        uint16_t id;
        int32_t value;
        int answer;
        int32_t out;
    } cases[] = {
        {kSliderToStored, 399, -3, 1, 256}, {kSliderToStored, 399, 0, 1, 2048}, {kSliderToStored, 399, -5, 1, 128},
        {kStoredToSlider, 399, 300, 1, -2}, {kStoredToSlider, 399, 100, 1, -4}, {kStoredToSlider, 399, 256, 1, -3},
        {kStoredToSlider, 392, 8, 1, 0},    {kSliderToStored, 394, 1, 1, 65536 * 16},
        {kStoredToSlider, 268, -15, 1, -1}, {kSliderToStored, 268, 7, 1, 70},
        {kStoredToSlider, 12, 42, 0, 42},
    };
    for (const auto& c : cases) {
        uint32_t out = 0xEEEEEEEE;
        EXPECT_EQ(ConvertSliderValue(c.direction, c.id, kTypeS32, &c.value, &out), c.answer) << c.id << " " << c.value;
        EXPECT_EQ(static_cast<int32_t>(out), c.out) << c.id << " " << c.value;
    }
    // 16-bit types are read as signed 16-bit values.
    const uint32_t wide = 0x0001FFF1;  // low half -15
    uint32_t out = 0;
    EXPECT_EQ(ConvertSliderValue(kStoredToSlider, 269, kTypeU16, &wide, &out), 1);
    EXPECT_EQ(static_cast<int32_t>(out), -1);
    EXPECT_EQ(ConvertSliderValue(kStoredToSlider, 269, kTypeU16, nullptr, &out), 0);
}

TEST(DialogServices, AdjustmentsAreInHundredthsOfAnInchWithinNineteen)
{
    const struct {
        int32_t value;
        uint16_t id;
        int32_t out;
    } cases[] = {
        {254, 268, 19}, {48, 269, 19}, {-254, 324, -19}, {25, 268, 10}, {254, 460, 100}, {0, 268, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClampAdjustmentValue(c.value, c.id), c.out) << c.value << " " << c.id;
}

// Inches need the model's capability whatever the locale; the one-decimal flag
// follows its own capability.
TEST_F(ConflictTest, UnitFlagsFollowTheCapabilitiesAndTheLocaleUnit)
{
    const uint32_t word1 = CapabilityWord1();
    const struct {
        uint32_t bits;
        uint16_t locale;
        uint32_t inch;
        uint32_t precision;
    } cases[] = {
        {0, 1, 0, 0}, {0x4, 1, 1, 0}, {0x4, 0, 0, 0}, {0x8, 1, 0, 1}, {0xC, 1, 1, 1},
    };
    for (const auto& c : cases) {
        SetCapabilityWord1((word1 & ~0xCu) | c.bits);
        PaperUnits units{7, 7};
        EXPECT_EQ(GetUnitDisplayFlags(context_, c.locale, &units), 1);
        EXPECT_EQ(units.inch, c.inch) << c.bits << " " << c.locale;
        EXPECT_EQ(units.precision, c.precision) << c.bits << " " << c.locale;
    }
    SetCapabilityWord1(word1);
    EXPECT_EQ(GetUnitDisplayFlags(nullptr, 1, nullptr), 0);
}

}  // namespace
