#include "common/model/com_provider.h"

#include "common/model/model_value_ops.h"
#include "common/model/user_id_provider.h"

#include <windows.h>
#include <objbase.h>

namespace {

constexpr CapabilityId kCapabilityUserIdProvider = CapabilityBit(0x2B);

bool CanCreate(const CLSID& classId, const IID& interfaceId)
{
    IUnknown* object = nullptr;
    const HRESULT hr = CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER, interfaceId,
                                        reinterpret_cast<void**>(&object));
    if (FAILED(hr) || object == nullptr)
        return false;
    object->Release();
    return true;
}

}  // namespace

int IsComProviderInstalledFor(const CapabilityBits* capabilities, uint32_t* installed)
{
    if (capabilities == nullptr || installed == nullptr)
        return 0;
    *installed = 0;
    if (!TestCapabilityBit(capabilities, kCapabilityUserIdProvider))
        return 1;
    const HRESULT init = CoInitialize(nullptr);
    if (CanCreate(kUserIdProviderClass, kUserIdProviderInterface) ||
        CanCreate(kOlderUserIdProviderClass, kOlderUserIdProviderInterface))
        *installed = 1;
    if (SUCCEEDED(init))
        CoUninitialize();
    return 1;
}

int IsComProviderInstalled(ModelDataRecord* model, uint32_t* installed)
{
    CapabilityBits bits = {};
    if (model == nullptr || installed == nullptr || !GetModelCapabilityBits(model, &bits))
        return 0;
    return IsComProviderInstalledFor(&bits, installed);
}
