#include "render/page/sheet_replay.h"

#include "render/output/page_recording.h"

namespace {

int SheetKindOf(const OutputStream* stream, uint32_t page, uint32_t* kind)
{
    RecordedPageEntry entry{};
    if (LoadPageEntry(stream, page, &entry) != 0)
        return -1;
    *kind = entry.sheetKind;
    return 0;
}

} // namespace

int ChooseSheetKind(const OutputStream* stream, uint32_t first, uint32_t second, uint32_t callerType)
{
    bool any = false;
    bool longEdge = false;
    for (uint32_t page : {first, second}) {
        if (page & kNoRecordedPage)
            continue;
        uint32_t kind = 0;
        if (SheetKindOf(stream, page, &kind) != 0)
            return -1;
        any = true;
        longEdge = longEdge || kind == kSheetLongEdge;
    }
    if (!any)
        return -1;
    if (callerType == kSheetLongEdge || callerType == kSheetOneSided || callerType == kSheetShortEdge)
        return static_cast<int>(callerType);
    return static_cast<int>(longEdge ? kSheetLongEdge : kSheetOneSided);
}

int PlaceOnSheet(void* context, const PlacementItem& item, float out[6])
{
    const auto* sheet = static_cast<const SheetPlacementBases*>(context);
    if (sheet == nullptr || out == nullptr)
        return -1;
    uint32_t chosen = 0;
    while (chosen < 3 && item.flags[chosen] == 0)
        ++chosen;
    const PlacementMatrix& base = sheet->bases[chosen < 3 ? chosen : 0];
    const PlacementMatrix page = {item.matrix[0], item.matrix[1], item.matrix[2],
                                  item.matrix[3], item.matrix[4], item.matrix[5]};
    const PlacementMatrix m = ComposePlacement(page, base);
    const float values[6] = {m.a, m.b, m.c, m.d, m.e, m.f};
    for (int i = 0; i < 6; ++i)
        out[i] = values[i];
    return 0;
}

PageReplayHooks SheetPlacementHooks(SheetPlacementBases* bases)
{
    return PageReplayHooks{bases, nullptr, &PlaceOnSheet};
}
