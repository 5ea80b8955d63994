#include "common/system/user_prompt.h"

namespace {

PromptAnswerer g_answerer = nullptr;
void* g_answererContext = nullptr;

constexpr int kTitleChars = 128;

}  // namespace

void SetPromptAnswerer(PromptAnswerer answerer, void* context)
{
    g_answerer = answerer;
    g_answererContext = context;
}

int LoadPromptText(HMODULE resources, UINT id, const wchar_t* fallback, wchar_t* buffer, int size)
{
    if (buffer == nullptr || size <= 0)
        return 0;
    buffer[0] = L'\0';
    // A null module would make LoadStringW read the program's own strings.
    if (resources != nullptr) {
        const int loaded = LoadStringW(resources, id, buffer, size);
        if (loaded > 0)
            return loaded;
    }
    if (fallback == nullptr)
        return 0;
    int n = 0;
    while (fallback[n] != L'\0' && n < size - 1) {
        buffer[n] = fallback[n];
        ++n;
    }
    buffer[n] = L'\0';
    return n;
}

int AskUser(HMODULE resources, UINT titleId, const wchar_t* defaultTitle, const wchar_t* text, UINT style)
{
    wchar_t title[kTitleChars];
    LoadPromptText(resources, titleId, defaultTitle, title, kTitleChars);
    return AskUserTitled(title, text, style);
}

int AskUserTitled(const wchar_t* title, const wchar_t* text, UINT style)
{
    return AskUserOwned(nullptr, title, text, style);
}

int AskUserOwned(HWND owner, const wchar_t* title, const wchar_t* text, UINT style)
{
    const UserPrompt prompt = {title != nullptr ? title : L"", text != nullptr ? text : L"", style,
                               owner != nullptr ? owner : GetActiveWindow()};
    if (g_answerer != nullptr)
        return g_answerer(prompt, g_answererContext);
    return MessageBoxW(prompt.owner, prompt.text, prompt.title, prompt.style);
}

bool AskRetry(HMODULE resources, UINT titleId, const wchar_t* defaultTitle, const wchar_t* text)
{
    return AskUser(resources, titleId, defaultTitle, text, MB_OKCANCEL | MB_ICONINFORMATION | MB_SETFOREGROUND) == IDOK;
}
