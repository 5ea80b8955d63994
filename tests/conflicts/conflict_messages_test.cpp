#include "common/conflicts/conflict_messages.h"

#include "common/constraints/constraint_engine.h"
#include "common/context/settings_context.h"
#include "common/defaults/setting_defaults.h"
#include "common/context/value_by_type.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "common/system/user_prompt.h"
#include "tests/support/model_printer.h"

#include <gtest/gtest.h>

#include <array>
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

class ConflictTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { printer_ = OpenSuitePrinter(L"C4530.DDD", L"Morva Conflicts C4530"); }
    static void TearDownTestSuite() { CloseSuitePrinter(printer_); }
    void SetUp() override
    {
        ASSERT_TRUE(printer_->ok());
        context_ = OpenSettingsContext(printer_->handle());
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
        DestroyWindow(dialog_);
        CloseSettingsContext(context_);
    }
    ConstraintContext Context() { return {context_, settings_.data(), printer_settings_.data()}; }
    uint16_t Handle(uint16_t code, const uint16_t* involved = nullptr, HWND window = nullptr)
    {
        ConstraintResult result{};
        result.code = code;
        const uint64_t tray = 2;  // Tray 2 as the paper source
        const SettingChange change{13, kTypeS16, 2, &tray};
        return HandleConstraintConflict(window ? window : dialog_, Context(), change, result, involved);
    }

    static ModelPrinter* printer_;
    SettingsContext* context_ = nullptr;
    std::array<uint8_t, kSettingsRecordSize> settings_{};
    std::array<uint8_t, kPrinterSettingsRecordSize> printer_settings_{};
    HWND dialog_ = nullptr;
    int uiContext_ = 0;
    Prompts prompts_;
};

ModelPrinter* ConflictTest::printer_ = nullptr;

TEST(ConflictAction, ReactionKindsGiveTheirAnswersAndChoices)
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
    for (const auto& c : cases) {
        uint16_t choice = 0xEEEE;
        EXPECT_EQ(ChooseConflictAction(c.kind, &choice), c.answer) << c.kind;
        EXPECT_EQ(choice, c.choice) << c.kind;
    }
    EXPECT_EQ(ChooseConflictAction(4, nullptr), kAnswerError);
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

TEST_F(ConflictTest, WithoutUiContextQuestionsCancelAndWarningsStillAnswer)
{
    SetWindowLongPtrW(dialog_, DWLP_USER, 0);
    const struct {
        uint16_t code;
        uint16_t answer;
    } cases[] = {{2, 3}, {3, 3}, {5, 3}, {7, 10}, {8, 10}, {12, 3}};
    for (const auto& c : cases)
        EXPECT_EQ(Handle(c.code), c.answer) << c.code;
    EXPECT_TRUE(prompts_.seen.empty());
}

TEST_F(ConflictTest, TheConflictTextNamesTheChangeAndTheListedSettings)
{
    const uint16_t involved[] = {8, 14, 0};
    prompts_.answer = IDOK;
    EXPECT_EQ(Handle(3, involved), kAnswerGoAhead);
    ASSERT_EQ(prompts_.texts.size(), 1u);
    const std::wstring& text = prompts_.texts[0];
    EXPECT_NE(text.find(L"Tray 2"), std::wstring::npos) << std::string(text.begin(), text.end());
    // One line per listed setting.
    EXPECT_GE(std::count(text.begin(), text.end(), L':'), 2) << std::string(text.begin(), text.end());
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

}  // namespace
