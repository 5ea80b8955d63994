#include "common/job/stamp_fonts.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <iterator>

namespace {

struct Enumeration {
    HDC dc;
    TrueTypeFaceList* list;
    bool failed;
};

int CALLBACK OnFont(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM data)
{
    auto* state = reinterpret_cast<Enumeration*>(data);
    if (!(type & TRUETYPE_FONTTYPE))
        return 1;
    const auto* full = reinterpret_cast<const ENUMLOGFONTEXW*>(font);
    const wchar_t* name = full->elfFullName;
    if (AddTrueTypeFace(state->list, name) >= 0)
        return 1;
    state->failed = true;
    return 0;
}

int CALLBACK OnFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM data)
{
    auto* state = reinterpret_cast<Enumeration*>(data);
    LOGFONTW family = {};
    family.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(family.lfFaceName, font->lfFaceName, LF_FACESIZE - 1);
    EnumFontFamiliesExW(state->dc, &family, OnFont, data, 0);
    return state->failed ? 0 : 1;
}

}  // namespace

int AddTrueTypeFace(TrueTypeFaceList* list, const wchar_t* name)
{
    if (list == nullptr || name == nullptr)
        return -1;
    for (const TrueTypeFaceNode* node = list->head; node != nullptr; node = node->next)
        if (wcscmp(node->name, name) == 0)
            return 0;
    const size_t bytes = (wcslen(name) + 1) * sizeof(wchar_t);
    auto* node = static_cast<TrueTypeFaceNode*>(GlobalAlloc(GPTR, sizeof(TrueTypeFaceNode)));
    auto* copy = static_cast<wchar_t*>(GlobalAlloc(GPTR, bytes));
    if (node == nullptr || copy == nullptr) {
        if (node != nullptr)
            GlobalFree(node);
        if (copy != nullptr)
            GlobalFree(copy);
        return -1;
    }
    std::memcpy(copy, name, bytes);
    node->name = copy;
    if (list->tail != nullptr)
        list->tail->next = node;
    else
        list->head = node;
    list->tail = node;
    ++list->count;
    list->nameBytes += static_cast<uint32_t>(bytes);
    return 1;
}

TrueTypeFaceList* BuildTrueTypeFaceList(HDC dc)
{
    auto* list = static_cast<TrueTypeFaceList*>(GlobalAlloc(GPTR, sizeof(TrueTypeFaceList)));
    if (list == nullptr || dc == nullptr)
        return list;
    Enumeration state{dc, list, false};
    LOGFONTW all = {};
    all.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExW(dc, &all, OnFamily, reinterpret_cast<LPARAM>(&state), 0);
    return list;
}

void FreeTrueTypeFaceList(TrueTypeFaceList* list)
{
    if (list == nullptr)
        return;
    for (TrueTypeFaceNode* node = list->head; node != nullptr;) {
        TrueTypeFaceNode* next = node->next;
        GlobalFree(node->name);
        GlobalFree(node);
        node = next;
    }
    GlobalFree(list);
}
