// Brush objects: solid colours, and patterns realised through the driver's
// DrvRealizeBrush when it first asks for them.
#include "printhost/driver_table.h"
#include "printhost/engine_export.h"
#include "printhost/engine_objects.h"

namespace printhost {

LiveSet& LiveBrushes() { static LiveSet s; return s; }

HostBrush* FromBrushobj(BRUSHOBJ* bo)
{
    return LiveBrushes().Contains(bo) ? reinterpret_cast<HostBrush*>(bo) : nullptr;
}

} // namespace printhost

using namespace printhost;

PRINTHOST_EXPORT PVOID APIENTRY BRUSHOBJ_pvAllocRbrush(BRUSHOBJ* pbo, ULONG cj)
{
    HostBrush* b = FromBrushobj(pbo);
    if (!b || cj == 0 || cj > (1u << 24)) return nullptr;
    b->realization.assign(cj, 0);
    return b->realization.data();
}

PRINTHOST_EXPORT PVOID APIENTRY BRUSHOBJ_pvGetRbrush(BRUSHOBJ* pbo)
{
    HostBrush* b = FromBrushobj(pbo);
    if (!b) return nullptr;
    if (b->bo.pvRbrush) return b->bo.pvRbrush;
    if (!b->pattern || b->realizeFailed || !b->device) return nullptr;
    auto realize = DriverFunction<PFN_DrvRealizeBrush>(*b->device->driver, INDEX_DrvRealizeBrush);
    if (!realize || !realize(&b->bo, b->target, &b->pattern->so, nullptr, &b->patternXlate->xo, b->hatch)) {
        b->realizeFailed = true;
        return nullptr;
    }
    if (!b->bo.pvRbrush && !b->realization.empty()) b->bo.pvRbrush = b->realization.data();
    return b->bo.pvRbrush;
}

PRINTHOST_EXPORT ULONG APIENTRY BRUSHOBJ_ulGetBrushColor(BRUSHOBJ* pbo)
{
    HostBrush* b = FromBrushobj(pbo);
    if (!b || b->bo.iSolidColor == 0xFFFFFFFF) return 0xFFFFFFFF;
    return b->rgb & 0xFFFFFF;
}

PRINTHOST_EXPORT HANDLE APIENTRY BRUSHOBJ_hGetColorTransform(BRUSHOBJ*) { return nullptr; }
