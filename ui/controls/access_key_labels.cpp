#include "ui/controls/access_key_labels.h"

#include "common/context/model_lookups.h"

#include <cwchar>
#include <cwctype>

namespace {

constexpr wchar_t kDefaultMarker = L'&';

// Appends as much of `text` as fits, keeping the terminator.
void Append(wchar_t* out, int capacity, const wchar_t* text)
{
    if (!text)
        return;
    size_t used = wcslen(out);
    while (*text && used + 1 < static_cast<size_t>(capacity))
        out[used++] = *text++;
    out[used] = 0;
}

bool LoadText(HMODULE module, int id, wchar_t* out, int chars)
{
    out[0] = 0;
    return id >= 0 && module && LoadStringW(module, static_cast<UINT>(id), out, chars) > 0;
}

}  // namespace

int ComposeAccessKeyLabel(wchar_t* out, int capacity, const wchar_t* text, const wchar_t* keyText, wchar_t marker,
                          const wchar_t* extra, const wchar_t* suffix)
{
    if (!out || capacity < 1 || !text)
        return 0;
    out[0] = 0;
    wchar_t doubled[kLabelTextChars + 1] = {};
    int n = 0;
    for (const wchar_t* c = text; *c && n < kLabelTextChars; ++c) {
        if (*c == L'&') {
            if (n + 2 > kLabelTextChars)
                break;
            doubled[n++] = L'&';
        }
        doubled[n++] = *c;
    }
    wchar_t letter = 0;
    if (keyText && marker)
        if (const wchar_t* at = wcschr(keyText, marker))
            letter = at[1];
    const wchar_t* hit = nullptr;
    if (letter && letter != marker)
        for (const wchar_t* c = doubled; *c && !hit; ++c)
            if (std::towupper(*c) == std::towupper(letter))
                hit = c;
    if (hit) {
        const size_t before = static_cast<size_t>(hit - doubled);
        wchar_t marked[kLabelTextChars + 2] = {};
        wmemcpy(marked, doubled, before);
        marked[before] = marker;
        wcscpy(marked + before + 1, hit);
        Append(out, capacity, marked);
    } else {
        Append(out, capacity, doubled);
    }
    Append(out, capacity, extra);
    if (!hit)
        Append(out, capacity, keyText);
    Append(out, capacity, suffix);
    return 1;
}

int BuildLabelWithAccessKey(HMODULE module, wchar_t* out, int capacity, const wchar_t* text, int keyStringId,
                            int suffixStringId, const wchar_t* extra)
{
    wchar_t markerText[4] = {};
    const wchar_t marker = LoadText(module, kStringAccessMarker, markerText, 4) ? markerText[0] : kDefaultMarker;
    wchar_t key[kResourceLabelChars] = {};
    wchar_t suffix[kResourceLabelChars] = {};
    const bool hasKey = LoadText(module, keyStringId, key, kResourceLabelChars);
    const bool hasSuffix = LoadText(module, suffixStringId, suffix, kResourceLabelChars);
    return ComposeAccessKeyLabel(out, capacity, text, hasKey ? key : nullptr, marker, extra,
                                 hasSuffix ? suffix : nullptr);
}

int BuildLabelFromResource(HMODULE module, wchar_t* out, int capacity, int textStringId, int keyStringId,
                           int suffixStringId, const wchar_t* extra)
{
    wchar_t text[kResourceLabelChars] = {};
    if (!LoadText(module, textStringId, text, kResourceLabelChars))
        return 0;
    return BuildLabelWithAccessKey(module, out, capacity, text, keyStringId, suffixStringId, extra);
}

int BuildSettingLabel(HMODULE module, const SettingsContext* context, uint16_t setting, wchar_t* out, int capacity,
                      int keyStringId, int suffixStringId, const wchar_t* extra)
{
    uint16_t kind = 0, count = 0, status = 0;
    const wchar_t* name = nullptr;
    ModelSection* section = nullptr;
    if (!context || !GetItemFeature(context, setting, &kind, &count, &name, &section, &status))
        return 0;
    const int done = name ? BuildLabelWithAccessKey(module, out, capacity, name, keyStringId, suffixStringId, extra) : 0;
    FreeItemFeature(section);
    return done;
}
