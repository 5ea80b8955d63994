// The two close actions of a sub-dialog run the engine's steps in order.
#include "ui/support/sub_dialog.h"

#include <gtest/gtest.h>

#include <prsht.h>

#include <vector>

namespace {

struct Engine {
    bool accept = true;
    bool pending = true;
    INT_PTR applied = PSNRET_NOERROR;
    std::vector<UINT> steps;  // events as themselves, notifications as their codes
};

bool RunItemEvent(HWND, UINT event, void* engine)
{
    auto* e = static_cast<Engine*>(engine);
    e->steps.push_back(event);
    return e->accept;
}

INT_PTR PassNotify(HWND, UINT code, void* engine)
{
    auto* e = static_cast<Engine*>(engine);
    e->steps.push_back(code);
    return code == static_cast<UINT>(PSN_APPLY) ? e->applied : PSNRET_NOERROR;
}

bool RefreshFromPending(HWND, void* engine)
{
    auto* e = static_cast<Engine*>(engine);
    e->steps.push_back(0);
    const bool had = e->pending;
    e->pending = false;
    return had;
}

TEST(SubDialog, OkValidatesThenKeepsTheValuesAndCancelResets)
{
    HWND dialog = CreateWindowExW(0, L"#32770", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(dialog, nullptr);
    Engine engine;
    const SubDialogSteps steps{RunItemEvent, PassNotify, RefreshFromPending, &engine};
    EXPECT_EQ(ConfirmSubDialog(dialog, steps, IDOK), 1);
    EXPECT_EQ(engine.steps, (std::vector<UINT>{2526, static_cast<UINT>(PSN_KILLACTIVE), static_cast<UINT>(PSN_APPLY)}));
    engine.steps.clear();
    engine.accept = false;
    EXPECT_EQ(ConfirmSubDialog(dialog, steps, IDOK), 0);
    EXPECT_EQ(engine.steps, (std::vector<UINT>{2526, 0}));
    engine.steps.clear();
    EXPECT_EQ(CancelSubDialog(dialog, steps, IDCANCEL), 1);
    EXPECT_EQ(engine.steps, (std::vector<UINT>{2527, static_cast<UINT>(PSN_KILLACTIVE), static_cast<UINT>(PSN_RESET)}));
    const SubDialogSteps missing{nullptr, PassNotify, nullptr, &engine};
    EXPECT_EQ(ConfirmSubDialog(dialog, missing, IDOK), 0);
    DestroyWindow(dialog);
}

// A page-level Apply that refuses (a store that failed) keeps the dialog:
// OK does not end it, whichever refusal the Apply answers.
TEST(SubDialog, OkHonoursARefusingApply)
{
    HWND dialog = CreateWindowExW(0, L"#32770", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(dialog, nullptr);
    Engine engine;
    const SubDialogSteps steps{RunItemEvent, PassNotify, RefreshFromPending, &engine};
    const struct {
        INT_PTR applied;
        int ended;
    } cases[] = {{PSNRET_NOERROR, 1}, {PSNRET_INVALID, 0}, {PSNRET_INVALID_NOCHANGEPAGE, 0}};
    for (const auto& c : cases) {
        engine.steps.clear();
        engine.applied = c.applied;
        EXPECT_EQ(ConfirmSubDialog(dialog, steps, IDOK), c.ended) << c.applied;
        std::vector<UINT> expected{2526, static_cast<UINT>(PSN_KILLACTIVE), static_cast<UINT>(PSN_APPLY)};
        if (!c.ended)
            expected.push_back(static_cast<UINT>(PSN_SETACTIVE));  // the kept dialog shows its values again
        EXPECT_EQ(engine.steps, expected) << c.applied;
    }
    DestroyWindow(dialog);
}

}  // namespace
