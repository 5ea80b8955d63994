#include "render/device/pdev_record.h"

#include "common/context/model_lookups.h"
#include "common/context/settings_context.h"
#include "common/system/lock_table.h"
#include "render/device/setting_ids.h"
#include "render/device/settings_access.h"

#include <algorithm>
#include <vector>

namespace {

// The records alive now. A handle that is not among them is refused before any
// byte of it is read: an engine that passes a record already freed would
// otherwise make us read a destroyed heap. Guarded by the ModelData role, which
// in this library also guards the device records.
std::vector<const PDevRecord*>& LiveRecords()
{
    static std::vector<const PDevRecord*> records;
    return records;
}

void FreeModelPaper(FormRecord* form)
{
    if (form->modelPaper)
        FreeItemFeature(form->modelPaper);
    form->modelPaper = nullptr;
}

} // namespace

bool IsValidPdev(const PDevRecord* pdev)
{
    if (!pdev)
        return false;
    RoleLock lock(LockRole::ModelData);
    const auto& live = LiveRecords();
    if (std::find(live.begin(), live.end(), pdev) == live.end())
        return false;
    return pdev->magic == kPdevMagic && pdev->magicEnd == kPdevMagic;
}

PDevRecord* PdevOfSurface(SURFOBJ* surface)
{
    if (!surface)
        return nullptr;
    auto* pdev = reinterpret_cast<PDevRecord*>(surface->dhpdev);
    return IsValidPdev(pdev) ? pdev : nullptr;
}

PDevRecord* AllocPdevRecord()
{
    HANDLE heap = HeapCreate(0, 8192, 0);
    if (!heap)
        return nullptr;
    auto* pdev = static_cast<PDevRecord*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(PDevRecord)));
    if (!pdev) {
        HeapDestroy(heap);
        return nullptr;
    }
    pdev->heap = heap;
    CapabilityRecord& capability = pdev->capability;
    capability.duplex = capability.pagesPerSheet = capability.nupOrder = capability.orientation = -1;
    capability.layout = capability.grid = capability.colourMode = -1;
    RoleLock lock(LockRole::ModelData);
    LiveRecords().push_back(pdev);
    return pdev;
}

void FreePdevRecord(PDevRecord* pdev)
{
    if (!pdev)
        return;
    {
        RoleLock lock(LockRole::ModelData);
        auto& live = LiveRecords();
        live.erase(std::remove(live.begin(), live.end(), pdev), live.end());
    }
    if (pdev->fontSubstitution)
        GlobalFree(pdev->fontSubstitution);
    for (EscapeDataSlot& slot : pdev->slots)
        if (slot.data)
            GlobalFree(slot.data);
    if (pdev->annotation)
        GlobalFree(pdev->annotation);
    if (pdev->faxSendList)
        GlobalFree(pdev->faxSendList);
    if (pdev->headerTable.block)
        GlobalFree(pdev->headerTable.block);
    if (pdev->chunks.data)
        GlobalFree(pdev->chunks.data);
    if (pdev->settingsContext) {
        RoleLock lock(LockRole::ModelData);
        CloseSettingsContext(pdev->settingsContext);
    }
    FreeModelPaper(&pdev->requestedForm);
    FreeModelPaper(&pdev->outputForm);
    HANDLE heap = pdev->heap;
    pdev->magic = pdev->magicEnd = 0;
    HeapDestroy(heap);
}

uint32_t GetPdevSettingDword(PDevRecord* pdev, uint16_t id)
{
    uint64_t holder = 0;
    uint16_t type = 0;
    uint32_t size = 0;
    if (GetSettingValue(id, pdev->settings, pdev->printerSettings, &type, &size, &holder) != kSettingOk)
        return 0;
    return static_cast<uint32_t>(holder);
}

uint16_t GetPdevSettingWord(PDevRecord* pdev, uint16_t id)
{
    return static_cast<uint16_t>(GetPdevSettingDword(pdev, id));
}

const wchar_t* GetPdevSettingString(PDevRecord* pdev, uint16_t id)
{
    uint64_t holder = 0;
    uint16_t type = 0;
    uint32_t size = 0;
    if (GetSettingValue(id, pdev->settings, pdev->printerSettings, &type, &size, &holder) != kSettingOk ||
        type != kTypeString)
        return nullptr;
    return reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(holder));
}

uint16_t SetPdevSettingWord(PDevRecord* pdev, uint16_t id, uint16_t value)
{
    uint64_t holder = value;
    return SetSettingValue(id, pdev->settings, pdev->printerSettings, kTypeS16, 2, &holder);
}

uint16_t SetPdevSettingNumber(PDevRecord* pdev, uint16_t id, uint32_t value)
{
    uint64_t holder = 0;
    uint16_t type = 0;
    uint32_t size = 0;
    const uint16_t status = GetSettingValue(id, pdev->settings, pdev->printerSettings, &type, &size, &holder);
    if (status != kSettingOk)
        return status;
    holder = value;
    return SetSettingValue(id, pdev->settings, pdev->printerSettings, type, size, &holder);
}

bool ExternalProcessingAsked(PDevRecord* pdev)
{
    // Setting 1343 turns the device fonts off because it sends the faces
    // through the library.
    return GetPdevSettingDword(pdev, kFidExternalConversion) != 0;
}
