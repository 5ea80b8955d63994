// The fit of a tiled page grid at the chosen zoom: the enlarged document must
// fill the grid of output sheets without leaving a whole sheet empty.
#include "common/constraints/constraint_engine.h"

#include "common/constraints/constraint_values.h"
#include "common/constraints/rule_evaluation.h"
#include "common/settings/function_ids.h"

#include <windows.h>

#include <algorithm>

namespace {

constexpr uint16_t kSameAsDocument = 267;
constexpr uint32_t kOneColumnTwoRows = 258;
constexpr uint32_t kTiling = 1;
constexpr uint16_t kInvolved[] = {kFidPaperSize, kFidOutputPaper, kFidLayoutGrid, kFidLayoutScaleOn, kFidZoom};

}  // namespace

uint16_t CheckLayoutScaleFit(const ConstraintContext* context, const SettingChange* change, uint16_t** outIds)
{
    if (outIds)
        *outIds = nullptr;
    if (!context)
        return 1;
    uint32_t grid = 0, mode = 0, scaleOn = 0, document = 0, output = 0, zoom = 0;
    if (!ReadChangeOrSetting(context, change, kFidLayoutGrid, &grid) ||
        !ReadChangeOrSetting(context, change, kFidPosterBooklet, &mode))
        return 1;
    if (mode != kTiling)
        return 0;
    if (!ReadChangeOrSetting(context, change, kFidLayoutScaleOn, &scaleOn))
        return 1;
    if (scaleOn == 0)
        return 0;
    if (!ReadChangeOrSetting(context, change, kFidPaperSize, &document) ||
        !ReadChangeOrSetting(context, change, kFidOutputPaper, &output) ||
        !ReadChangeOrSetting(context, change, kFidZoom, &zoom))
        return 1;
    if (output == kSameAsDocument)
        output = document;
    uint16_t wd = 0, hd = 0, wo = 0, ho = 0;
    if (GetPrintableSize(context, static_cast<uint16_t>(document), &wd, &hd) != 0)
        return 1;
    wo = wd;
    ho = hd;
    if (output != document && GetPrintableSize(context, static_cast<uint16_t>(output), &wo, &ho) != 0)
        return 1;

    const int64_t columns = (grid >> 8) & 0xFF, rows = grid & 0xFF;
    const int64_t c = columns * 100, r = rows * 100;
    const int64_t a = grid == kOneColumnTwoRows ? int64_t{wo} * r : int64_t{ho} * r;
    const int64_t b = grid == kOneColumnTwoRows ? int64_t{ho} * c : int64_t{wo} * c;
    const int64_t da = a - int64_t{hd} * zoom;
    const int64_t db = b - int64_t{wd} * zoom;
    uint16_t code = kConstraintNone;
    if (db < 0 || da < 0)
        code = kConstraintTooSmall;
    else if (grid == kOneColumnTwoRows ? da > int64_t{wo} * 100 : db >= int64_t{wo} * 100 && da >= int64_t{ho} * 100)
        code = kConstraintTooLarge;
    if (code != kConstraintNone && outIds) {
        auto* list = static_cast<uint16_t*>(GlobalAlloc(GPTR, (std::size(kInvolved) + 1) * sizeof(uint16_t)));
        if (!list)
            return 1;
        size_t n = 0;
        for (uint16_t id : kInvolved)
            if (!change || id != change->id)
                list[n++] = id;
        *outIds = list;
    }
    return code;
}
