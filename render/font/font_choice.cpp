#include "render/font/font_choice.h"

#include "common/model/model_value_ops.h"
#include "common/store/pair_list.h"
#include "common/system/lock_table.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <vector>

namespace {

// Rows of interchangeable face names; each row ends with an empty entry, the
// table with two. Rows 3, 4, 7 and 8 are the vertical-writing forms of the
// row two above.
constexpr const wchar_t* kFullFaceGroups[] = {
    L"ZQ 明朝-L", L"平成明朝", L"ＭＳ 明朝", L"",
    L"ZQ P明朝-L", L"ＭＳ Ｐ明朝", L"",
    L"@ZQ 明朝-L", L"@平成明朝", L"@ＭＳ 明朝", L"",
    L"@ZQ P明朝-L", L"@ＭＳ Ｐ明朝", L"",
    L"ZQ ゴシック-B", L"平成角ゴシック", L"ＭＳ ゴシック", L"",
    L"ZQ Pゴシック-B", L"ＭＳ Ｐゴシック", L"",
    L"@ZQ ゴシック-B", L"@平成角ゴシック", L"@ＭＳ ゴシック", L"",
    L"@ZQ Pゴシック-B", L"@ＭＳ Ｐゴシック", L"",
    L"Arial", L"CS Triumvirate", L"Helv", L"Helvetica", L"Swiss", L"",
    L"Courier New", L"CS Courier", L"Courier", L"",
    L"Times New Roman", L"CS Times Roman", L"Tms Rmn", L"Times Roman", L"TimesRoman", L"Times", L"TmsRmn",
    L"Varitimes", L"Dutch", L"TimesNewRomanPS", L"",
    L"Bookman Old Style", L"ITC Bookman", L"Bookman", L"",
    L"Century", L"Classic", L"",
    L"Century Schoolbook", L"NewCenturySchlbk", L"NewCenturySchoolBook", L"New Century SchoolBook",
    L"CenturySchoolBook", L"",
    L"Book Antiqua", L"Modern", L"Bookman Antiqua", L"Zapf Calligraphic", L"ZapfCalligraphic", L"Paratino", L"",
    L"",
};
// The short table: rows 1, 3, 5, 7, 9, 10 and 11 of the full one.
constexpr const wchar_t* kShortFaceGroups[] = {
    L"ZQ 明朝-L", L"平成明朝", L"ＭＳ 明朝", L"",
    L"@ZQ 明朝-L", L"@平成明朝", L"@ＭＳ 明朝", L"",
    L"ZQ ゴシック-B", L"平成角ゴシック", L"ＭＳ ゴシック", L"",
    L"@ZQ ゴシック-B", L"@平成角ゴシック", L"@ＭＳ ゴシック", L"",
    L"Arial", L"CS Triumvirate", L"Helv", L"Helvetica", L"Swiss", L"",
    L"Courier New", L"CS Courier", L"Courier", L"",
    L"Times New Roman", L"CS Times Roman", L"Tms Rmn", L"Times Roman", L"TimesRoman", L"Times", L"TmsRmn",
    L"Varitimes", L"Dutch", L"TimesNewRomanPS", L"",
    L"",
};

struct FaceGroupTable {
    const wchar_t* const* names;
    uint32_t rows;
};
constexpr FaceGroupTable kTables[] = {{kShortFaceGroups, 7}, {kFullFaceGroups, 15}};

// The process's current table; changed only under the font-table lock.
FaceGroupTable g_current = kTables[kFaceGroupsFull];

// Faces of a swiss request that print better with a roman or a modern font.
constexpr const wchar_t* kSwissWantsRoman[] = {L"Century", L"Century Gothic", L"Colonna MT", L"Footlight MT Light",
                                               L"Garamond"};
constexpr const wchar_t* kSwissWantsModern[] = {L"Arial", L"Arial Black", L"Arial Narrow", L"Arial Rounded MT Bold",
                                                L"Kino MT"};

constexpr int kScoreCharSet = 16;
constexpr int kScoreSameFace = 4;
constexpr int kScoreSameGroup = 2;
constexpr int kScoreOtherFace = 1;
constexpr int kScorePitch = 16;
constexpr int kScoreFamily = 8;
constexpr int kScoreSwissHint = 4;
constexpr int kScoreItalicUpright = 45;
constexpr int kScoreSameSlant = 57;
constexpr int kScoreNotHeavier = 30;
constexpr int kStackCandidates = 80;

// The first entry of row `row` of a table (rows from 0); null past the table.
const wchar_t* const* RowOf(const FaceGroupTable& table, uint32_t row)
{
    const wchar_t* const* p = table.names;
    for (uint32_t r = 0; r < row; ++r) {
        while (**p)
            ++p;
        ++p;
        if (!**p)
            return nullptr;
    }
    return p;
}

bool SameName(const wchar_t* a, const wchar_t* b)
{
    return _wcsicmp(a, b) == 0;
}

bool Vertical(const wchar_t* name)
{
    return name[0] == L'@';
}

// The row holding the name, compared case-blind over the shorter length.
const wchar_t* const* FindGroupRow(const FaceGroupTable& table, const wchar_t* name)
{
    for (uint32_t r = 0; r < table.rows; ++r) {
        const wchar_t* const* row = RowOf(table, r);
        for (const wchar_t* const* e = row; e && **e; ++e) {
            const size_t n = std::min(wcslen(*e), wcslen(name));
            if (_wcsnicmp(*e, name, n) == 0)
                return row;
        }
    }
    return nullptr;
}

bool RowHolds(const wchar_t* const* row, const wchar_t* name)
{
    for (const wchar_t* const* e = row; e && **e; ++e)
        if (SameName(*e, name))
            return true;
    return false;
}

bool OneOf(std::span<const wchar_t* const> names, const wchar_t* name)
{
    return std::any_of(names.begin(), names.end(), [&](const wchar_t* n) { return SameName(n, name); });
}

uint8_t Pitch(uint8_t pitchAndFamily)
{
    return pitchAndFamily & 0x03;
}

uint8_t Family(uint8_t pitchAndFamily)
{
    return pitchAndFamily & 0xF0;
}

int TopScore(std::span<const int> scores)
{
    return scores.empty() ? 0 : *std::max_element(scores.begin(), scores.end());
}

void RefineCharSet(const FontTraits& request, std::span<const FontTraits> candidates, std::span<int> scores, int top)
{
    for (size_t i = 0; i < candidates.size(); ++i) {
        if (scores[i] != top)
            continue;
        const uint8_t a = request.charSet, b = candidates[i].charSet;
        if ((a < 3 && b < 3) || (a >= 3 && b >= 3 && a == b))
            scores[i] += kScoreCharSet;
    }
}

void RefineStyle(const FontTraits& request, std::span<const FontTraits> candidates, std::span<int> scores, int top)
{
    for (size_t i = 0; i < candidates.size(); ++i) {
        if (scores[i] != top)
            continue;
        const FontTraits& c = candidates[i];
        if (request.italic == c.italic)
            scores[i] += kScoreSameSlant;
        else if (request.italic)
            scores[i] += kScoreItalicUpright;
        if (c.weight <= request.weight)
            scores[i] += kScoreNotHeavier;
        scores[i] += 10 - std::abs(int(request.weight) - int(c.weight)) / 100;
    }
}

uint32_t FirstAtTop(std::span<const int> scores)
{
    const int top = TopScore(scores);
    return uint32_t(std::find(scores.begin(), scores.end(), top) - scores.begin());
}

}  // namespace

bool SelectFaceGroupTable(int mode)
{
    if (mode != kFaceGroupsShort && mode != kFaceGroupsFull)
        return false;
    RoleLock lock(LockRole::FontTable);
    g_current = kTables[mode];
    return true;
}

void SelectFaceGroupTableForModel(ModelDataRecord* model)
{
    CapabilityBits bits{};
    const uint32_t capabilityWord = GetModelCapabilityBits(model, &bits) ? bits.words[0] : 0;
    const bool shortOnly = !(capabilityWord & kCapabilityFullFaceGroups) && (capabilityWord & kCapabilityShortFaceGroups);
    SelectFaceGroupTable(shortOnly ? kFaceGroupsShort : kFaceGroupsFull);
}

uint32_t GetFaceGroupRowCount()
{
    RoleLock lock(LockRole::FontTable);
    return g_current.rows;
}

wchar_t* GetFaceGroupEntry(uint32_t row, uint32_t entry)
{
    RoleLock lock(LockRole::FontTable);
    const wchar_t* const* p = row < g_current.rows ? RowOf(g_current, row) : nullptr;
    for (uint32_t i = 0; p && **p && i < entry; ++i)
        ++p;
    if (!p || !**p)
        return nullptr;
    const size_t bytes = (wcslen(*p) + 1) * sizeof(wchar_t);
    auto* copy = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, bytes));
    if (copy)
        std::memcpy(copy, *p, bytes);
    return copy;
}

int SelectDeviceFont(const FontTraits& request, std::span<const FontTraits> candidates, const wchar_t* substitutions,
                     uint32_t bytes, uint32_t* chosen)
{
    if (!chosen || !request.face || candidates.empty())
        return kChoiceBadArgument;
    // Up to 80 candidates are scored on the stack, more on the heap.
    int stackScores[kStackCandidates] = {};
    std::vector<int> heapScores;
    std::span<int> scores;
    if (candidates.size() <= kStackCandidates) {
        scores = std::span<int>(stackScores, candidates.size());
    } else {
        try {
            heapScores.assign(candidates.size(), 0);
        } catch (const std::bad_alloc&) {
            return kChoiceNoMemory;
        }
        scores = heapScores;
    }
    const bool named = request.face[0] != L'\0';
    if (named && substitutions) {
        if (const wchar_t* device = FindPairListValue(substitutions, bytes, request.face)) {
            bool any = false;
            for (size_t i = 0; i < candidates.size(); ++i)
                if (candidates[i].face && SameName(candidates[i].face, device)) {
                    scores[i] = 2;
                    any = true;
                }
            if (!any)
                return kChoiceNotFound;
            const int before = TopScore(scores);
            RefineCharSet(request, candidates, scores, before);
            if (TopScore(scores) == before)
                return kChoiceNotFound;
            RefineStyle(request, candidates, scores, TopScore(scores));
            *chosen = FirstAtTop(scores);
            return kChoiceFound;
        }
    }
    for (size_t i = 0; i < candidates.size(); ++i)
        if (candidates[i].charSet == request.charSet)
            scores[i] += kScoreCharSet;
    const int beforeFaces = TopScore(scores);
    if (named) {
        FaceGroupTable table;
        {
            RoleLock lock(LockRole::FontTable);
            table = g_current;
        }
        const wchar_t* const* row = FindGroupRow(table, request.face);
        for (size_t i = 0; i < candidates.size(); ++i) {
            const wchar_t* face = candidates[i].face;
            if (!face || !face[0] || Vertical(face) != Vertical(request.face))
                continue;
            if (row && RowHolds(row, face))
                scores[i] += kScoreSameGroup;
            else
                scores[i] += SameName(face, request.face) ? kScoreSameFace : kScoreOtherFace;
        }
    }
    const int top = TopScore(scores);
    if (top - beforeFaces <= 1) {
        const bool swiss = Family(request.pitchAndFamily) == FF_SWISS;
        for (size_t i = 0; i < candidates.size(); ++i) {
            if (scores[i] != top)
                continue;
            const uint8_t c = candidates[i].pitchAndFamily;
            if ((Pitch(request.pitchAndFamily) == FIXED_PITCH && Pitch(c) == FIXED_PITCH) ||
                (Pitch(request.pitchAndFamily) == VARIABLE_PITCH && Pitch(c) == VARIABLE_PITCH))
                scores[i] += kScorePitch;
            if (Family(c) == Family(request.pitchAndFamily))
                scores[i] += kScoreFamily;
            if (swiss && ((Family(c) == FF_ROMAN && OneOf(kSwissWantsRoman, request.face)) ||
                          (Family(c) == FF_MODERN && OneOf(kSwissWantsModern, request.face))))
                scores[i] += kScoreSwissHint;
        }
    }
    RefineStyle(request, candidates, scores, TopScore(scores));
    *chosen = FirstAtTop(scores);
    return kChoiceFound;
}

int32_t FontNumberWithStyle(int32_t number, const FontTraits& font, const FontStyle& style)
{
    int32_t result = number;
    if (style.italicSimulated || (style.italicWanted && font.italic))
        result |= 8;
    uint32_t nibble = 0;
    if (font.weight >= FW_BOLD && !style.boldSimulated)
        nibble = uint32_t(font.weight / 100) << 4;
    if (style.boldSimulated)
        nibble = std::min<uint32_t>((uint32_t(font.weight / 100) << 4) + 48, 0xF0);
    return nibble != 0 ? (result & ~0xF0) | int32_t(nibble) : result;
}
