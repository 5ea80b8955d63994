// Reads and writes settings by identifier through the layout table. The engine
// keeps no state: callers own the records and serialise access to each.
#include "common/settings/value_engine.h"

#include "common/settings/function_ids.h"
#include "common/settings/item_layout.h"
#include "common/settings/position_translation.h"
#include "common/settings/unaligned_bytes.h"
#include "common/settings/value_types.h"

#include <cstring>

namespace {

const uint8_t* HolderPointer(const void* holder)
{
    const uint8_t* p;
    std::memcpy(&p, holder, sizeof p);
    return p;
}

// Bytes of a UTF-16 string with its terminator, reading no more than `limit`
// bytes (at most limit/2 units): a stored string without terminator is not
// read past its room, nor a caller's text past the size it gave. A result
// above the limit means "does not fit".
uint32_t StringBytes(const uint8_t* text, uint32_t limit)
{
    uint32_t units = 0;
    while (units < limit / 2 && LoadU16(text + 2 * units) != 0)
        ++units;
    return 2 * units + 2;
}

bool IsPackedId(uint16_t id) { return id >= kFidPackedFirst && id <= kFidPackedLast; }

// Bits 0-7, 8-15 or 16-23 of the packed word, by the identifier's place in its three.
uint32_t PackedMask(uint16_t id) { return 0xFFu << (8 * ((id - kFidPackedFirst) % 3)); }

// Writing the escapement of a LOGFONTW setting keeps its orientation equal,
// so that text is not drawn with the two angles apart.
struct MirrorRow {
    uint16_t id;
    uint16_t mirrorId;
    bool checkedOnGet;
};
constexpr MirrorRow kMirrors[] = {
    {kFidFontAngle, kFidFontOrientation, true},
    {kFidStampFontAngle, kFidStampFontOrientation, false},
};

const MirrorRow* FindMirror(uint16_t id)
{
    for (const MirrorRow& row : kMirrors)
        if (row.id == id)
            return &row;
    return nullptr;
}

// The address of another identifier of the same records; null when missing.
uint8_t* AddressOf(uint16_t id, void* settingsRecord, void* printerSettingsRecord)
{
    ItemLayout layout{};
    if (FindItemLayout(id, settingsRecord, printerSettingsRecord, &layout) != kSettingOk)
        return nullptr;
    return layout.address;
}

uint16_t ReadU16Setting(uint16_t id, void* settingsRecord, void* printerSettingsRecord,
                        uint16_t* value)
{
    uint16_t type = 0, kind = 0;
    uint32_t size = 0;
    uint8_t holder[kValueHolderSize] = {};
    const uint16_t status =
        dma_GetValue(id, settingsRecord, printerSettingsRecord, &type, &size, holder, &kind);
    if (status == kSettingOk)
        *value = LoadU16(holder);
    return status;
}

uint16_t WriteU16Setting(uint16_t id, void* settingsRecord, void* printerSettingsRecord,
                         uint16_t value)
{
    uint8_t holder[kValueHolderSize] = {};
    std::memcpy(holder, &value, sizeof value);
    return dma_SetValue(id, settingsRecord, printerSettingsRecord, kTypeU16, 2, holder);
}

// Settings whose write is followed by the write of their position code.
uint16_t WriteFollowOn(uint16_t id, void* settingsRecord, void* printerSettingsRecord)
{
    if (id == kFidEdgeValue) {
        uint16_t value = 0, code = 0;
        if (ReadU16Setting(id, settingsRecord, printerSettingsRecord, &value) != kSettingOk ||
            ComputeEdgeCode(value, &code) != kPositionOk)
            return kSettingUnknown;
        return WriteU16Setting(kFidEdgeCode, settingsRecord, printerSettingsRecord, code);
    }
    if (id == kFidStapleValue || id == kFidPunchValue) {
        PositionRecord record{};
        if (ReadU16Setting(kFidPagesPerSheet, settingsRecord, printerSettingsRecord,
                           &record.feedOrientation) != kSettingOk)
            return kSettingUnknown;
        const uint16_t status = ReadU16Setting(kFidOrientation, settingsRecord,
                                               printerSettingsRecord, &record.orientationKey);
        if (status != kSettingOk)
            return status;
        uint16_t code = 0;
        if (ReadU16Setting(id, settingsRecord, printerSettingsRecord, &record.value) != kSettingOk ||
            ComputePositionCode(id, &record, &code) != kPositionOk)
            return kSettingUnknown;
        const uint16_t codeId = id == kFidStapleValue ? kFidStapleCode : kFidPunchCode;
        return WriteU16Setting(codeId, settingsRecord, printerSettingsRecord, code);
    }
    return kSettingOk;
}

}  // namespace

extern "C" uint16_t dma_GetValue(uint16_t id, void* settingsRecord, void* printerSettingsRecord,
                                 uint16_t* type, uint32_t* size, void* holder,
                                 uint16_t* storageKind)
{
    // A missing storage-kind pointer is refused like the others rather than
    // written through.
    if (type == nullptr || size == nullptr || holder == nullptr || storageKind == nullptr)
        return kSettingUnknown;

    ItemLayout layout{};
    layout.storageKind = 0xFFFF;
    const uint16_t found = FindItemLayout(id, settingsRecord, printerSettingsRecord, &layout);
    if (layout.storageKind != 0xFFFF)
        *storageKind = layout.storageKind;
    if (found != kSettingOk)
        return found;

    const MirrorRow* mirror = FindMirror(id);
    if (mirror != nullptr && mirror->checkedOnGet) {
        const uint8_t* other = AddressOf(mirror->mirrorId, settingsRecord, printerSettingsRecord);
        if (other == nullptr || LoadU32(other) != LoadU32(layout.address))
            return kSettingUnknown;
    }

    uint8_t value[kValueHolderSize] = {};
    uint32_t valueBytes = layout.holderSize;
    if (id == kFidResolution) {
        const uint8_t* quality = AddressOf(kFidPrintQuality, settingsRecord, printerSettingsRecord);
        const uint8_t* yResolution = AddressOf(kFidYResolution, settingsRecord, printerSettingsRecord);
        if (quality == nullptr || yResolution == nullptr)
            return kSettingUnknown;
        const int32_t high = static_cast<int16_t>(LoadU16(quality));
        const int32_t low = static_cast<int16_t>(LoadU16(yResolution));
        StoreU32(value, (static_cast<uint32_t>(high) << 16) + static_cast<uint32_t>(low));
    } else if (IsPackedId(id)) {
        StoreU32(value, LoadU32(layout.address) & PackedMask(id));
    } else if (layout.storedType == kTypeFlag) {
        uint32_t mask = 0;
        if (!FindBitFlagMask(id, &mask))
            return kSettingUnknown;
        bool set = (LoadU32(layout.address) & mask) != 0;
        if (id == kFidInvertedFlag)
            set = !set;
        StoreU32(value, set ? 1 : 0);
        valueBytes = 4;
    } else if (layout.storedType == kTypeString || layout.storedType == kTypeLogFont) {
        std::memcpy(value, &layout.offset, sizeof layout.offset);
    } else {
        std::memcpy(value, layout.address, layout.holderSize);
    }

    const uint16_t reported = layout.reportedType != 0 ? layout.reportedType : layout.storedType;
    uint32_t reportedSize = 0;
    if (!GetTypeHolderSize(id, reported, &reportedSize))
        return kSettingUnknown;
    // The caller's holder is only as large as the reported type: a flag or a
    // wider stored value reported as a byte or a word gets no more bytes.
    std::memset(holder, 0, reportedSize);
    std::memcpy(holder, value, valueBytes < reportedSize ? valueBytes : reportedSize);

    if (reported == kTypeString)
        *size = StringBytes(layout.address, layout.room);
    else if (reported == kTypeLogFont)
        *size = kLogFontSize;
    else
        *size = reportedSize;
    *type = reported;
    return kSettingOk;
}

extern "C" uint16_t dma_SetValue(uint16_t id, void* settingsRecord, void* printerSettingsRecord,
                                 uint16_t type, uint32_t size, const void* holder)
{
    if (holder == nullptr)
        return kSettingUnknown;
    ItemLayout layout{};
    const uint16_t found = FindItemLayout(id, settingsRecord, printerSettingsRecord, &layout);
    if (found != kSettingOk)
        return found;

    if (type != layout.storedType && (layout.reportedType == 0 || type != layout.reportedType))
        return kSettingBadType;
    uint32_t expectedSize = 0;
    if (!GetTypeHolderSize(id, type, &expectedSize))
        return kSettingUnknown;

    // Checks first: a refused write must leave the records as they were.
    const uint8_t* data = static_cast<const uint8_t*>(holder);
    uint32_t writeBytes = layout.holderSize;
    if (type == kTypeString) {
        data = HolderPointer(holder);
        if (data == nullptr)
            return kSettingUnknown;
        if (size > layout.room)
            return kSettingTooLong;
        // Counted within the given size (no more than the room), so that the
        // caller's buffer is not read past the size it stated.
        writeBytes = StringBytes(data, size);
        if (writeBytes > layout.room || writeBytes > size)
            return kSettingTooLong;
    } else if (type == kTypeLogFont) {
        data = HolderPointer(holder);
        if (data == nullptr)
            return kSettingUnknown;
        if (size > layout.room)
            return kSettingTooLong;
        // The whole record is copied: a smaller caller buffer would be read past its end.
        if (size < kLogFontSize)
            return kSettingBadSize;
        writeBytes = layout.room;
    } else if (size != expectedSize) {
        return kSettingBadSize;
    }

    uint32_t mask = 0;
    if (layout.storedType == kTypeFlag && !FindBitFlagMask(id, &mask))
        return kSettingUnknown;

    // A setting with a follow-on position code is put back when the code
    // cannot be computed or written, so that the refused write changes nothing.
    // Only numbers have follow-ons: their bytes fit the holder.
    uint8_t previous[kValueHolderSize] = {};
    const uint32_t previousBytes = layout.holderSize <= kValueHolderSize ? layout.holderSize : 0;
    std::memcpy(previous, layout.address, previousBytes);

    if (id == kFidResolution) {
        uint8_t* quality = AddressOf(kFidPrintQuality, settingsRecord, printerSettingsRecord);
        uint8_t* yResolution = AddressOf(kFidYResolution, settingsRecord, printerSettingsRecord);
        if (quality == nullptr || yResolution == nullptr)
            return kSettingUnknown;
        const uint32_t word = LoadU32(data);
        const uint16_t high = static_cast<uint16_t>(word >> 16);
        const uint16_t low = static_cast<uint16_t>(word);
        std::memcpy(quality, &high, sizeof high);
        std::memcpy(yResolution, &low, sizeof low);
    } else if (IsPackedId(id)) {
        const uint32_t packedMask = PackedMask(id);
        StoreU32(layout.address, (LoadU32(layout.address) & ~packedMask) | (LoadU32(data) & packedMask));
    } else if (layout.storedType == kTypeFlag) {
        bool set = data[0] != 0;
        if (id == kFidInvertedFlag)
            set = (data[0] & 1) == 0;
        const uint32_t word = LoadU32(layout.address);
        StoreU32(layout.address, set ? (word | mask) : (word & ~mask));
    } else {
        std::memcpy(layout.address, data, writeBytes);
    }

    if (const MirrorRow* mirror = FindMirror(id)) {
        uint8_t* other = AddressOf(mirror->mirrorId, settingsRecord, printerSettingsRecord);
        if (other != nullptr)
            std::memcpy(other, layout.address, layout.holderSize);
    }
    const uint16_t followOn = WriteFollowOn(id, settingsRecord, printerSettingsRecord);
    if (followOn != kSettingOk)
        std::memcpy(layout.address, previous, previousBytes);
    return followOn;
}
