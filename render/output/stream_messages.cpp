#include "render/output/stream_messages.h"

#include "common/system/user_prompt.h"

const wchar_t kDefaultStreamMessageTitle[] = L"警告";
const wchar_t kDefaultStreamWriteFailedText[] =
    L"出力ファイルに書き込めませんでした。\n\n[OK]を押すと再試行します。\n[キャンセル]を押すと印刷を中止します。";
const wchar_t kDefaultTempWriteFailedText[] =
    L"印刷作業ファイルに書き込めませんでした。\n%cドライブに十分な空きがあるかどうか確認してください。\n\n"
    L"[OK]を押すと再試行します。\n[キャンセル]を押すと印刷を中止します。";

namespace {
constexpr int kMessageChars = 512;
}

bool AskStreamFileWriteRetry(HMODULE resources)
{
    wchar_t text[kMessageChars];
    LoadPromptText(resources, kStreamWriteFailedTextId, kDefaultStreamWriteFailedText, text, kMessageChars);
    return AskRetry(resources, kStreamMessageTitleId, kDefaultStreamMessageTitle, text);
}

wchar_t DriveLetterOf(const wchar_t* fileName)
{
    if (fileName == nullptr || fileName[0] == L'\0' || fileName[1] != L':')
        return L' ';
    const wchar_t c = fileName[0];
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

void FormatDriveMessage(const wchar_t* format, wchar_t letter, wchar_t* out, int size)
{
    if (out == nullptr || size <= 0)
        return;
    int n = 0;
    for (const wchar_t* p = format; p != nullptr && *p != L'\0' && n < size - 1; ++p) {
        if (p[0] == L'%' && p[1] == L'c') {
            out[n++] = letter;
            ++p;
        } else {
            out[n++] = *p;
        }
    }
    out[n] = L'\0';
}

bool AskTempWriteRetry(HMODULE resources, const wchar_t* fileName)
{
    wchar_t format[kMessageChars];
    wchar_t text[kMessageChars];
    LoadPromptText(resources, kTempWriteFailedTextId, kDefaultTempWriteFailedText, format, kMessageChars);
    FormatDriveMessage(format, DriveLetterOf(fileName), text, kMessageChars);
    return AskRetry(resources, kStreamMessageTitleId, kDefaultStreamMessageTitle, text);
}
