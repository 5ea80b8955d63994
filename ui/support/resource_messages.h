// Message boxes over the property pages and texts formatted from the resource
// file: every message the interface library shows is a resource string of
// morvares headed by a caption string.
#pragma once
#include <windows.h>

#include <cstdint>

// A string id that stands for "the text given beside it".
constexpr int kTextGiven = -3;

constexpr UINT kCaptionSettings = 265;
constexpr UINT kMessageByteLimit = 448;    // inserts: 1, limit, limit, half the limit, second limit
constexpr UINT kMessageValueLimit = 4716;  // insert: the value

constexpr int kCaptionChars = 128;
constexpr int kMessageChars = 256;

// Caption and text each from the resource file (`captionId`, `textId`) or, for
// kTextGiven, as given. MessageBoxW's answer; -1 when the caption cannot be
// loaded or memory for the text runs out.
int ShowResourceMessageBox(HWND owner, int captionId, const wchar_t* caption, UINT style, int textId,
                           const wchar_t* text);

// String `id` with its numbered inserts (32-bit numbers for %nd, UTF-16 texts
// for %ns) in a new block of `capacity` characters (256 below 1) at *out, which
// the caller frees. 1; 0 and no block when the string is missing, memory runs
// out, or the text reaches capacity - 1 characters (it may have been cut).
int LoadFormattedString(wchar_t** out, int capacity, UINT id, ...);
int LoadFormattedStringV(wchar_t** out, int capacity, UINT id, va_list args);

// The limits of an edit item that its warnings name.
struct ItemLimits {
    int32_t limit;
    int32_t secondLimit;
};

// The warning of a value beyond an item's limit: only kMessageByteLimit (from
// the item's limits) and kMessageValueLimit (from `value`) are known. Caption
// 265, exclamation icon. 1; 0 for another id or when no box could be shown.
int ShowLimitWarning(const ItemLimits* item, HWND owner, UINT messageId, int32_t value);
