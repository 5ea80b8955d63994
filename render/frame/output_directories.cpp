#include "render/frame/output_directories.h"

#include "common/system/module_files.h"
#include "common/system/user_prompt.h"

#include <windows.h>

#include <cwchar>
#include <new>
#include <memory>

namespace {

// Strings of the graphics library's own table.
constexpr UINT kDirectoryFailedText = 2;
constexpr UINT kDirectoryFailedTitle = 6;
constexpr int kPromptChars = 256;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/' || c == L'\u00A5'; }

// Where creation may begin: behind a drive prefix, or behind the share name
// of a network path (\\server\share).
size_t FirstCreatable(const wchar_t* path, size_t length)
{
    if (length >= 2 && path[1] == L':' && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')))
        return 2;
    if (length >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        size_t at = 2;
        for (int names = 0; names < 2; ++names) {
            while (at < length && !IsSeparator(path[at]))
                ++at;
            if (names == 0 && at < length)
                ++at;  // the separator between server and share
        }
        return at;
    }
    return 0;
}

// 0 when the directory exists now, else the user's answer.
int16_t CreateOne(const wchar_t* directory)
{
    if (CreateDirectoryW(directory, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
        return 0;
    HMODULE strings = GetModuleHandleOfDriver();
    wchar_t text[kPromptChars];
    LoadPromptText(strings, kDirectoryFailedText, L"The folder for the job's file cannot be created.", text,
                   kPromptChars);
    const int answer = AskUser(strings, kDirectoryFailedTitle, L"Print job", text,
                               MB_OKCANCEL | MB_ICONWARNING | MB_SETFOREGROUND);
    return answer == IDOK ? kDirectoryFailedGoOn : kDirectoryFailedCancel;
}

}  // namespace

int16_t CreateOutputDirectories(const wchar_t* path)
{
    if (path == nullptr || path[0] == 0)
        return 0;
    const size_t length = wcslen(path);
    std::unique_ptr<wchar_t[]> copy(new (std::nothrow) wchar_t[length + 1]);
    if (!copy)
        return CreateOne(path);
    wmemcpy(copy.get(), path, length + 1);
    // A leading separator of a rooted path is the root, not a directory to make.
    size_t at = FirstCreatable(path, length);
    if (at >= length)
        return 0;  // a drive or a share alone: nothing of ours to make
    if (IsSeparator(path[at]))
        ++at;
    for (; at < length; ++at) {
        if (!IsSeparator(path[at]))
            continue;
        copy[at] = 0;
        const int16_t answer = CreateOne(copy.get());
        copy[at] = path[at];
        if (answer != 0)
            return answer;
    }
    return IsSeparator(path[length - 1]) ? 0 : CreateOne(path);
}
