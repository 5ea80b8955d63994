#include "common/model/com_provider.h"

#include "common/model/model_value_ops.h"

#include <windows.h>
#include <objbase.h>

namespace {

constexpr CapabilityId kCapabilityUserIdProvider = CapabilityBit(0x2B);

// The provider's current class and interface, then the ones of its older version.
constexpr CLSID kProviderClass = {0x8970D370, 0x46AA, 0x4BA5, {0x80, 0x7D, 0x62, 0x55, 0x99, 0xB5, 0xD5, 0xFF}};
constexpr IID kProviderInterface = {0x5DC6B71B, 0x245B, 0x4CDE, {0xB7, 0x1C, 0xFB, 0x79, 0xDC, 0x7A, 0xD1, 0x4F}};
constexpr CLSID kOlderProviderClass = {0xF2A5AEC9, 0x686E, 0x4C95, {0xBD, 0x6D, 0xDD, 0x58, 0xDD, 0x40, 0xE3, 0xA7}};
constexpr IID kOlderProviderInterface = {0xF8CEAD2F, 0xBF3E, 0x4DA0, {0xA9, 0x61, 0x29, 0x74, 0x14, 0xCF, 0xCA, 0x4C}};

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
    if (CanCreate(kProviderClass, kProviderInterface) || CanCreate(kOlderProviderClass, kOlderProviderInterface))
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
