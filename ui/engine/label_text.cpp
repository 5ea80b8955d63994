#include "ui/engine/label_text.h"

#include "common/context/model_lookups.h"

#include <cwctype>
#include <string>

namespace {

constexpr UINT kAccessMarkerString = 5188;
constexpr int kDoubledChars = 254;
constexpr int kResourceTextChars = 128;

std::wstring LoadText(HMODULE module, int32_t id)
{
    if (id == kNoString || id < 0)
        return {};
    wchar_t text[kLabelChars] = {};
    LoadStringW(module, static_cast<UINT>(id), text, kLabelChars);
    return text;
}

}  // namespace

int BuildLabelWithAccessKey(HMODULE module, wchar_t* out, int capacity, const wchar_t* text, int32_t keyString,
                            int32_t suffixString, const wchar_t* extra)
{
    if (!out || capacity <= 0)
        return 0;
    out[0] = L'\0';
    std::wstring label;
    for (const wchar_t* c = text ? text : L""; *c && static_cast<int>(label.size()) < kDoubledChars; ++c) {
        label.push_back(*c);
        if (*c == L'&' && static_cast<int>(label.size()) < kDoubledChars)
            label.push_back(L'&');
    }
    const std::wstring marker = LoadText(module, kAccessMarkerString);
    const std::wstring key = LoadText(module, keyString);
    wchar_t letter = 0;
    if (!marker.empty())
        if (const size_t at = key.find(marker[0]); at != std::wstring::npos && at + 1 < key.size())
            letter = key[at + 1];
    bool found = false;
    if (letter) {
        for (size_t i = 0; i < label.size(); ++i) {
            // A doubled "&" is text, not a marker: the letter after it is not taken.
            if (label[i] == L'&') {
                ++i;
                continue;
            }
            if (std::towlower(label[i]) == std::towlower(letter)) {
                label.insert(i, 1, marker[0]);
                found = true;
                break;
            }
        }
    }
    if (extra)
        label += extra;
    if (!found)
        label += key;
    label += LoadText(module, suffixString);
    lstrcpynW(out, label.c_str(), capacity);
    return 1;
}

int BuildLabelFromResource(HMODULE module, wchar_t* out, int capacity, UINT textId, int32_t keyString,
                           int32_t suffixString, const wchar_t* extra)
{
    wchar_t text[kResourceTextChars] = {};
    LoadStringW(module, textId, text, kResourceTextChars);
    return BuildLabelWithAccessKey(module, out, capacity, text, keyString, suffixString, extra);
}

int BuildSettingLabel(HMODULE module, const SettingsContext* context, wchar_t* out, int capacity, uint16_t setting,
                      int32_t keyString, int32_t suffixString, const wchar_t* extra)
{
    uint16_t kind = 0, count = 0, status = 0;
    const wchar_t* name = nullptr;
    ModelSection* section = nullptr;
    if (!context || !GetItemFeature(context, setting, &kind, &count, &name, &section, &status)) {
        FreeItemFeature(section);
        return 0;
    }
    const int done = BuildLabelWithAccessKey(module, out, capacity, name, keyString, suffixString, extra);
    FreeItemFeature(section);
    return done;
}
