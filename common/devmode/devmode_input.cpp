#include "common/devmode/devmode_input.h"

#include "common/records/settings_records.h"
#include "common/settings/unaligned_bytes.h"

#include <algorithm>
#include <cstring>

uint32_t StatedDevmodeBytes(const void* devmode)
{
    if (!devmode)
        return 0;
    const auto* bytes = static_cast<const uint8_t*>(devmode);
    return uint32_t{LoadU16(bytes + kDmSizeOffset)} + LoadU16(bytes + kDmDriverExtraOffset);
}

void LoadInputDevmode(const void* devmode, InputDevmode* out)
{
    std::memset(out, 0, sizeof *out);
    if (!devmode)
        return;
    const auto* bytes = static_cast<const uint8_t*>(devmode);
    out->size = LoadU16(bytes + kDmSizeOffset);
    out->driverExtra = LoadU16(bytes + kDmDriverExtraOffset);
    out->stated = uint32_t{out->size} + out->driverExtra;
    // The header is copied whole even when dmSize claims less, so that the size
    // fields themselves read back as stated.
    const size_t publicBytes = std::max<size_t>(kDevmodeHeaderBytes, std::min<size_t>(out->size, kPublicDevmodeSize));
    std::memcpy(out->record, bytes, publicBytes);
    // Another layout's driver part would land on fields of ours: only a
    // DEVMODE with our public size has its driver part where ours is.
    if (out->size == kPublicDevmodeSize) {
        const size_t driverBytes = std::min<size_t>(out->driverExtra, kSettingsRecordSize - kPublicDevmodeSize);
        std::memcpy(out->record + kPublicDevmodeSize, bytes + kPublicDevmodeSize, driverBytes);
    }
}
