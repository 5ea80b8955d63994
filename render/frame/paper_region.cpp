#include "render/frame/paper_region.h"

#include "common/model/model_value_ops.h"
#include "common/system/locale_region.h"
#include "common/system/lock_table.h"

namespace {

constexpr uint32_t kLocalePaperAllowed = 0x400000;  // bit of capability word 0 (configuration item 26)
uint16_t g_regionClass = 0;                         // 0: not decided yet

} // namespace

uint16_t GetPaperRegionClass(ModelDataRecord* model)
{
    RoleLock lock(LockRole::Locale);
    if (g_regionClass == 0) {
        CapabilityBits bits{};
        const bool allowed = GetModelCapabilityBits(model, &bits) && (bits.words[0] & kLocalePaperAllowed);
        g_regionClass = GetLocalePaperRegion(allowed ? 1 : 0);
    }
    return g_regionClass;
}

void SetPaperRegionClass(uint16_t regionClass)
{
    RoleLock lock(LockRole::Locale);
    g_regionClass = regionClass;
}
