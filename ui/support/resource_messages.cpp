#include "ui/support/resource_messages.h"

#include "common/system/global_block.h"
#include "common/system/module_files.h"
#include "common/system/positional_format.h"
#include "common/system/user_prompt.h"

#include <cstdarg>

namespace {

constexpr int kDefaultFormattedChars = 256;

// The text of `id` (or the given one for kTextGiven) into `buffer`; false when
// a resource string cannot be loaded.
bool TakeText(int id, const wchar_t* given, wchar_t* buffer, int chars)
{
    buffer[0] = L'\0';
    if (id == kTextGiven) {
        if (given)
            lstrcpynW(buffer, given, chars);
        return true;
    }
    HMODULE module = GetResourceModule();
    return module && LoadStringW(module, static_cast<UINT>(id), buffer, chars) > 0;
}

}  // namespace

int ShowResourceMessageBox(HWND owner, int captionId, const wchar_t* caption, UINT style, int textId,
                           const wchar_t* text)
{
    wchar_t title[kCaptionChars];
    if (!TakeText(captionId, caption, title, kCaptionChars))
        return -1;
    auto body = AllocGlobalBlock<wchar_t>(kMessageChars * sizeof(wchar_t));
    if (!body)
        return -1;
    // A text that is missing from the resource file still shows its caption.
    TakeText(textId, text, body.get(), kMessageChars);
    return AskUserOwned(owner, title, body.get(), style);
}

int LoadFormattedStringV(wchar_t** out, int capacity, UINT id, va_list args)
{
    if (!out)
        return 0;
    *out = nullptr;
    if (capacity < 1)
        capacity = kDefaultFormattedChars;
    HMODULE module = GetResourceModule();
    const wchar_t* format = nullptr;
    const int length = module ? LoadStringW(module, id, reinterpret_cast<wchar_t*>(&format), 0) : 0;
    if (length <= 0 || !format)
        return 0;
    auto pattern = AllocGlobalBlock<wchar_t>((static_cast<size_t>(length) + 1) * sizeof(wchar_t));
    auto text = AllocGlobalBlock<wchar_t>(static_cast<size_t>(capacity) * sizeof(wchar_t));
    if (!pattern || !text)
        return 0;
    lstrcpynW(pattern.get(), format, length + 1);
    va_list copy;
    va_copy(copy, args);
    const int written = FormatPositionalV(text.get(), capacity, pattern.get(), copy);
    va_end(copy);
    if (written >= capacity - 1)
        return 0;
    *out = text.release();
    return 1;
}

int LoadFormattedString(wchar_t** out, int capacity, UINT id, ...)
{
    va_list args;
    va_start(args, id);
    const int done = LoadFormattedStringV(out, capacity, id, args);
    va_end(args);
    return done;
}

int ShowLimitWarning(const ItemLimits* item, HWND owner, UINT messageId, int32_t value)
{
    wchar_t* text = nullptr;
    if (messageId == kMessageByteLimit) {
        if (!item)
            return 0;
        LoadFormattedString(&text, 0, messageId, 1, item->limit, item->limit, item->limit / 2, item->secondLimit);
    } else if (messageId == kMessageValueLimit) {
        LoadFormattedString(&text, 0, messageId, value);
    } else {
        return 0;
    }
    if (!text)
        return 0;
    const int answer = ShowResourceMessageBox(owner, kCaptionSettings, nullptr, MB_OK | MB_ICONWARNING, kTextGiven, text);
    GlobalFree(text);
    return answer > 0 ? 1 : 0;
}
