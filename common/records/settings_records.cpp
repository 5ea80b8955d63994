#include "common/records/settings_records.h"

#include "common/defaults/item_groups.h"
#include "common/defaults/setting_defaults.h"
#include "common/records/effective_values.h"
#include "common/settings/function_ids.h"
#include "common/settings/unaligned_bytes.h"
#include "common/system/global_block.h"

#include <cstring>

namespace {


}  // namespace

int ValidateDevmodeCoreFields(const void* record, size_t available)
{
    if (!record || available < kDmDriverExtraOffset + sizeof(uint16_t))
        return 0;
    auto* bytes = static_cast<uint8_t*>(const_cast<void*>(record));
    // The size fields are judged before the stamp behind the public part is
    // read: a short DEVMODE from the spooler must not be read past its end.
    for (uint16_t id : {kFidSpecVersion, kFidSize, kFidDriverExtra}) {
        if (RunFunctionIdHandler(nullptr, id, bytes, nullptr, kItemOpCheck) != 1)
            return 0;
    }
    const size_t claimed = size_t{LoadU16(bytes + kDmSizeOffset)} + LoadU16(bytes + kDmDriverExtraOffset);
    if (available < kPublicDevmodeSize + sizeof(uint16_t) || claimed > available)
        return 0;
    return RunFunctionIdHandler(nullptr, kFidPrivateVersion, bytes, nullptr, kItemOpCheck) == 1 ? 1 : 0;
}

uint8_t* AllocSettingsRecord(int form)
{
    return AllocGlobalBlock<uint8_t>(GetSettingsRecordSize(form)).release();
}

uint32_t GetSettingsRecordSize(int form)
{
    return form == kOrdinaryDevmodeForm ? kPrivatePartOffset : kSettingsRecordSize;
}

void CopySettingsRecord(void* target, const void* source, int form)
{
    if (target && source)
        std::memcpy(target, source, GetSettingsRecordSize(form));
}

void CopyPrivatePart(void* target, const void* source)
{
    if (target && source)
        std::memcpy(static_cast<uint8_t*>(target) + kPrivatePartOffset,
                    static_cast<const uint8_t*>(source) + kPrivatePartOffset, kPrivatePartSize);
}

void ClearSettingsRecord(void* record, int form)
{
    if (record)
        std::memset(record, 0, GetSettingsRecordSize(form));
}

int IsExtendedSettingsRecord(const void* record, size_t available)
{
    if (!record || available < kExtendedSettingsRecordSize)
        return 0;
    const auto* bytes = static_cast<const uint8_t*>(record);
    return uint32_t{LoadU16(bytes + kDmSizeOffset)} + LoadU16(bytes + kDmDriverExtraOffset) ==
               kExtendedSettingsRecordSize &&
           LoadU16(bytes + offsetof(ExtendedSettingsRecord, trailer)) == kSettingsTrailerMark;
}

int FillSettingsTrailer(SettingsTrailer* trailer, void* settingsRecord, void* printerSettingsRecord,
                        const TrailerSources& sources)
{
    if (!trailer || !settingsRecord)
        return 0;
    *trailer = SettingsTrailer{};
    trailer->mark = kSettingsTrailerMark;
    trailer->customSize = sources.customSize;
    trailer->colorModeEnforced = sources.colorModeEnforced ? 1 : 0;
    const uint32_t wanted = GetEffectiveValue(settingsRecord, printerSettingsRecord, kFidTrailerMargins);
    if (wanted == kNoEffectiveValue)
        return 0;
    if (wanted == 0 || sources.modelPaper == 0)
        return 1;
    const uint32_t paper = GetEffectiveValue(settingsRecord, printerSettingsRecord, kFidPaperSize);
    if (paper == kNoEffectiveValue)
        return 0;
    trailer->paperSize = static_cast<uint16_t>(paper);
    trailer->modelPaper = sources.modelPaper;
    for (int i = 0; i < 4; ++i)
        trailer->margin[i] = static_cast<uint16_t>(sources.margins[i]);
    return 1;
}

int BuildExtendedSettingsRecord(ExtendedSettingsRecord* record, const void* settingsRecord,
                                void* printerSettingsRecord, const TrailerSources& sources)
{
    if (!record || !settingsRecord)
        return 0;
    ExtendedSettingsRecord built;
    std::memcpy(built.settings, settingsRecord, kSettingsRecordSize);
    StoreU16(built.settings + kDmSizeOffset, kPublicDevmodeSize);
    StoreU16(built.settings + kDmDriverExtraOffset, kExtendedDriverExtra);
    if (!FillSettingsTrailer(&built.trailer, built.settings, printerSettingsRecord, sources))
        return 0;
    *record = built;
    return 1;
}

int MapFileReadOnly(const wchar_t* fileName, const uint8_t** view, const uint8_t** cursor, uint32_t* size)
{
    if (!fileName || !view || !cursor)
        return 0;
    HANDLE file = CreateFileW(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    const DWORD fileSize = GetFileSize(file, nullptr);
    if (size)
        *size = fileSize;
    HANDLE mapping = nullptr;
    if (fileSize != INVALID_FILE_SIZE && fileSize != 0)
        mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    CloseHandle(file);
    if (!mapping)
        return 0;
    const auto* mapped = static_cast<const uint8_t*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    CloseHandle(mapping);
    if (!mapped)
        return 0;
    *view = mapped;
    *cursor = mapped;
    return 1;
}

int RunOnceHook()
{
    return 0;
}

int HandleOnceHookResult(int hookResult)
{
    (void)hookResult;
    return 1;
}
