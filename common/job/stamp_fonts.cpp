#include "common/job/stamp_fonts.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <iterator>

namespace {

// Sources in the order the settings were numbered, not by source number.
constexpr PaperSourceSettingsRow kPaperSourceSettings[] = {
    {1, {6145, 6160, 6175, 6295, 6190, 6205}},   {3, {6146, 6161, 6176, 6296, 6191, 6206}},
    {2, {6147, 6162, 6177, 6297, 6192, 6207}},   {257, {6148, 6163, 6178, 6298, 6193, 6208}},
    {261, {6149, 6164, 6179, 6299, 6194, 6209}}, {262, {6150, 6165, 6180, 6300, 6195, 6210}},
    {11, {6151, 6166, 6181, 6301, 6196, 6211}},  {265, {6152, 6167, 6182, 6302, 6197, 6212}},
    {266, {6153, 6168, 6183, 6303, 6198, 6213}}, {267, {6154, 6169, 6184, 6304, 6199, 6214}},
    {268, {6155, 6170, 6185, 6305, 6200, 6215}}, {269, {6156, 6171, 6186, 6306, 6201, 6216}},
    {270, {6157, 6172, 6187, 6307, 6202, 6217}}, {272, {6158, 6173, 6188, 6308, 6203, 6218}},
    {271, {6159, 6174, 6189, 6309, 6204, 6219}}, {273, {6220, 6235, 6250, 6310, 6265, 6280}},
    {274, {6221, 6236, 6251, 6311, 6266, 6281}}, {275, {6222, 6237, 6252, 6312, 6267, 6282}},
    {276, {6223, 6238, 6253, 6313, 6268, 6283}}, {277, {6224, 6239, 6254, 6314, 6269, 6284}},
};
static_assert(std::size(kPaperSourceSettings) == 20);

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

int FindPaperSourceSettings(uint16_t source, uint16_t settings[6])
{
    for (const PaperSourceSettingsRow& row : kPaperSourceSettings)
        if (row.source == source) {
            if (settings != nullptr)
                std::copy(std::begin(row.settings), std::end(row.settings), settings);
            return 1;
        }
    return 0;
}

int FindPaperSourceBySetting(uint16_t firstSetting, uint16_t* fifth, uint16_t* sixth)
{
    for (const PaperSourceSettingsRow& row : kPaperSourceSettings)
        if (row.settings[0] == firstSetting) {
            if (fifth != nullptr)
                *fifth = row.settings[4];
            if (sixth != nullptr)
                *sixth = row.settings[5];
            return 1;
        }
    return 0;
}
