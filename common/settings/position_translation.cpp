#include "common/settings/position_translation.h"

#include "common/settings/function_ids.h"

#include <span>

namespace {

enum class Orientation { Agree, Differ, Invalid };

Orientation CompareOrientations(const PositionRecord& record)
{
    const uint16_t feed = record.feedOrientation;
    const bool groupA = feed == 1 || feed == 4 || feed == 16;
    const bool groupB = feed == 2 || feed == 8 || feed == 32;
    if (!groupA && !groupB)
        return Orientation::Invalid;
    if (record.orientationKey == 1)
        return groupA ? Orientation::Agree : Orientation::Differ;
    if (record.orientationKey == 2)
        return groupB ? Orientation::Agree : Orientation::Differ;
    return Orientation::Invalid;
}

// A value and its code in each orientation. Rows whose two codes are equal do
// not depend on the orientation and translate even when it is invalid.
struct PositionRow {
    uint16_t value;
    uint16_t codeAgree;
    uint16_t codeDiffer;
};

constexpr PositionRow kStapleRows[] = {
    {0, 0, 0},
    {1, 0x0303, 0x0202},
    {2, 0x0103, 0x0203},
    {3, 0x0101, 0x0303},
    {4, 0x0104, 0x0103},
    {5, 0x0404, 0x0101},
    {6, 0x0204, 0x0104},
    {7, 0x0202, 0x0404},
    {8, 0x0203, 0x0204},
    {9, 0x0606, 0x0606},
    {10, 0x0707, 0x0707},
    {11, 0x0808, 0x0808},
    {12, 0x0B0B, 0x0A0A},
    {13, 0x0909, 0x0B0B},
    {14, 0x0C0C, 0x0909},
    {15, 0x0A0A, 0x0C0C},
};

constexpr PositionRow kPunchRows[] = {
    {0, 0, 0},
    {1, 0x0303, 0x0202},
    {2, 0x0101, 0x0303},
    {3, 0x0404, 0x0101},
    {4, 0x0202, 0x0404},
    {5, 0x0606, 0x0606},
};

bool RowsFor(uint16_t id, std::span<const PositionRow>* rows)
{
    if (id == kFidStapleValue)
        *rows = kStapleRows;
    else if (id == kFidPunchValue)
        *rows = kPunchRows;
    else
        return false;
    return true;
}

uint16_t CodeOf(const PositionRow& row, Orientation orientation)
{
    return orientation == Orientation::Differ ? row.codeDiffer : row.codeAgree;
}

bool Usable(const PositionRow& row, Orientation orientation)
{
    return orientation != Orientation::Invalid || row.codeAgree == row.codeDiffer;
}

// Edge value of edge codes 0-4, when the orientations agree and differ.
constexpr uint16_t kEdgeValueAgree[] = {0, 6, 8, 1, 2};
constexpr uint16_t kEdgeValueDiffer[] = {0, 5, 4, 3, 7};
// Edge code of edge values 0-8.
constexpr uint16_t kEdgeCodeOfValue[] = {0, 3, 4, 3, 2, 1, 1, 4, 2};

}  // namespace

uint16_t ComputeEdgeSettingValue(const PositionRecord* record, uint16_t* value)
{
    if (record == nullptr || value == nullptr)
        return kPositionFailed;
    if (record->code == 0) {
        *value = 0;
        return kPositionOk;
    }
    const Orientation orientation = CompareOrientations(*record);
    if (record->code >= std::size(kEdgeValueAgree) || orientation == Orientation::Invalid)
        return kPositionFailed;
    *value = orientation == Orientation::Agree ? kEdgeValueAgree[record->code]
                                               : kEdgeValueDiffer[record->code];
    return kPositionOk;
}

uint16_t ComputeStaplePunchValue(uint16_t id, const PositionRecord* record, uint16_t* value)
{
    std::span<const PositionRow> rows;
    if (record == nullptr || value == nullptr || !RowsFor(id, &rows))
        return kPositionFailed;
    const Orientation orientation = CompareOrientations(*record);
    for (const PositionRow& row : rows) {
        if (CodeOf(row, orientation) == record->code && Usable(row, orientation)) {
            *value = row.value;
            return kPositionOk;
        }
    }
    return kPositionFailed;
}

uint16_t ComputePositionCode(uint16_t id, const PositionRecord* record, uint16_t* code)
{
    std::span<const PositionRow> rows;
    if (record == nullptr || code == nullptr || !RowsFor(id, &rows))
        return kPositionFailed;
    const Orientation orientation = CompareOrientations(*record);
    for (const PositionRow& row : rows) {
        if (row.value == record->value) {
            if (!Usable(row, orientation))
                return kPositionFailed;
            *code = CodeOf(row, orientation);
            return kPositionOk;
        }
    }
    return kPositionFailed;
}

uint16_t ComputeEdgeCode(uint16_t edgeValue, uint16_t* code)
{
    if (code == nullptr || edgeValue >= std::size(kEdgeCodeOfValue))
        return kPositionFailed;
    *code = kEdgeCodeOfValue[edgeValue];
    return kPositionOk;
}
