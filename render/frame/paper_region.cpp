#include "render/frame/paper_region.h"

#include "common/model/model_value_ops.h"
#include "common/system/locale_region.h"

namespace {

constexpr uint32_t kLocalePaperAllowed = 0x400000;  // bit of capability word 0 (configuration item 26)

} // namespace

uint16_t GetPaperRegionClass(ModelDataRecord* model)
{
    CapabilityBits bits{};
    const bool allowed = GetModelCapabilityBits(model, &bits) && (bits.words[0] & kLocalePaperAllowed);
    return GetLocalePaperRegion(allowed ? 1 : 0);
}

void SetPaperRegionClass(uint16_t regionClass)
{
    SetLocalePaperRegion(regionClass);
}
