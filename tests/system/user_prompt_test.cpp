#include "common/system/user_prompt.h"

#include <string>

#include <gtest/gtest.h>

namespace {

struct Recorded {
    int answer;
    int calls;
    std::wstring title;
    std::wstring text;
    UINT style;
};

int RecordingAnswerer(const UserPrompt& prompt, void* context)
{
    auto* r = static_cast<Recorded*>(context);
    ++r->calls;
    r->title = prompt.title;
    r->text = prompt.text;
    r->style = prompt.style;
    return r->answer;
}

TEST(UserPrompt, RetryOnlyOnAnExplicitOk)
{
    struct Case {
        int answer;
        bool retry;
    };
    const Case cases[] = {{IDOK, true}, {IDCANCEL, false}, {0, false}, {-1, false}, {IDYES, false}};
    for (const Case& c : cases) {
        Recorded r = {c.answer, 0, L"", L"", 0};
        SetPromptAnswerer(RecordingAnswerer, &r);
        EXPECT_EQ(AskRetry(nullptr, 6, L"Title", L"Could not write"), c.retry) << c.answer;
        EXPECT_EQ(r.calls, 1);
        EXPECT_EQ(r.style, static_cast<UINT>(MB_OKCANCEL | MB_ICONINFORMATION | MB_SETFOREGROUND));
    }
    SetPromptAnswerer(nullptr, nullptr);
}

TEST(UserPrompt, MissingTitleStringFallsBackToTheDefault)
{
    Recorded r = {IDCANCEL, 0, L"", L"", 0};
    SetPromptAnswerer(RecordingAnswerer, &r);
    AskUser(nullptr, 6, L"警告", L"text", MB_OK);
    EXPECT_EQ(r.title, L"警告");
    EXPECT_EQ(r.text, L"text");
    // A module without the string (this program has no string table) falls back too.
    AskUser(GetModuleHandleW(nullptr), 6, L"fallback", nullptr, MB_OK);
    EXPECT_EQ(r.title, L"fallback");
    EXPECT_EQ(r.text, L"");
    SetPromptAnswerer(nullptr, nullptr);
}

TEST(UserPrompt, LoadPromptTextKeepsToTheBuffer)
{
    struct Case {
        int size;
        int copied;
        const wchar_t* text;
    };
    const Case cases[] = {{6, 5, L"abcde"}, {5, 4, L"abcd"}, {1, 0, L""}};
    for (const Case& c : cases) {
        wchar_t buffer[8];
        wmemset(buffer, L'#', 8);
        EXPECT_EQ(LoadPromptText(nullptr, 1, L"abcde", buffer, c.size), c.copied);
        EXPECT_EQ(std::wstring(buffer), c.text);
        EXPECT_EQ(buffer[c.size], L'#');  // nothing written past the given size
    }
    EXPECT_EQ(LoadPromptText(nullptr, 1, L"x", nullptr, 4), 0);
    wchar_t one[2] = {L'#', L'#'};
    EXPECT_EQ(LoadPromptText(nullptr, 1, L"x", one, 0), 0);
    EXPECT_EQ(one[0], L'#');
}

}  // namespace
