#include "common/context/context_utilities.h"

#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/config/config_field_overrides.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"
#include "common/system/os_version.h"

#include <cstdlib>
#include <cwchar>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr COLORREF kColorTable[] = {0x0033FF, 0x3399FF, 0x00CCFF, 0x658963, 0xCC6633, 0x93518D, 0x000000};
constexpr uint32_t kColorIds[] = {1, 2, 3, 4, 5, 6, 7, 8};

constexpr uint16_t kFidMediaTypeCopy = 388;
constexpr uint16_t kFidMediaTypeCopy2 = 453;
constexpr uint16_t kFidFirstPaperName = 5929;
constexpr int kUserPaperNames = 20;
constexpr int16_t kColorDevmode = 2;  // DMCOLOR_COLOR

// Supported dmFields bits per platform kind: flag words for the kinds 257, 258,
// 513 and 514 in that order. A flag word with bit 4 counts only on a model whose
// section-7 byte is set and on a current platform.
struct FieldSupportRow {
    uint32_t bit;
    uint16_t id;
    uint16_t flags[4];
};
constexpr uint16_t kFieldNeedsModelByte = 0x10;
constexpr uint16_t kPlatformKinds[4] = {257, 258, 513, 514};
constexpr FieldSupportRow kFieldSupport[] = {
    {DM_ORIENTATION, 7, {3, 3, 3, 3}},     {DM_PAPERSIZE, 8, {3, 3, 3, 3}},  {DM_SCALE, 11, {3, 3, 3, 3}},
    {DM_COPIES, 12, {3, 3, 3, 3}},         {DM_DEFAULTSOURCE, 13, {3, 3, 3, 3}},
    {DM_PRINTQUALITY, 20, {3, 3, 3, 3}},   {DM_COLOR, 15, {3, 3, 3, 3}},     {DM_DUPLEX, 16, {3, 3, 3, 3}},
    {DM_YRESOLUTION, 21, {3, 3, 3, 3}},    {DM_TTOPTION, 17, {3, 3, 3, 3}},  {DM_COLLATE, 18, {3, 3, 3, 3}},
    {DM_FORMNAME, 19, {0, 0, 3, 3}},
};

bool BeginsWith(const wchar_t* text, const wchar_t* name)
{
    const size_t length = wcslen(name);
    return length != 0 && wcsncmp(text, name, length) == 0;
}

}  // namespace

bool SizesMatch(int32_t width1, int32_t height1, int32_t width2, int32_t height2)
{
    const bool turned = (width1 <= height1 || width2 <= height2) && (width1 >= height1 || width2 >= height2);
    if (turned)
        return std::abs(height1 - width2) <= kSizeMatchTolerance && std::abs(width1 - height2) <= kSizeMatchTolerance;
    return std::abs(width1 - width2) <= kSizeMatchTolerance && std::abs(height1 - height2) <= kSizeMatchTolerance;
}

BOOL GetColorForIndex(uint32_t id, COLORREF* colour, uint32_t index)
{
    if (colour == nullptr)
        return FALSE;
    if (index == kColorById) {
        for (uint32_t position = 0; position < std::size(kColorIds); ++position) {
            if (kColorIds[position] == id) {
                index = position;
                break;
            }
        }
    }
    if (index >= std::size(kColorTable))
        return FALSE;
    *colour = kColorTable[index];
    return TRUE;
}

HPALETTE CreatePicturePalette(const BITMAPINFO* picture)
{
    if (picture == nullptr || picture->bmiHeader.biSize < sizeof(BITMAPINFOHEADER))
        return nullptr;
    const BITMAPINFOHEADER& header = picture->bmiHeader;
    DWORD count = header.biClrUsed;
    if (count == 0 && header.biBitCount <= 8)
        count = 1u << header.biBitCount;
    // A logical palette holds at most 256 entries; a larger count is no colour table.
    if (count == 0 || count > 256)
        return nullptr;
    std::vector<uint8_t> block(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
    auto* palette = reinterpret_cast<LOGPALETTE*>(block.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = static_cast<WORD>(count);
    // The colour table follows the header, whose size the header gives.
    const auto* table = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const uint8_t*>(picture) + header.biSize);
    for (DWORD i = 0; i < count; ++i)
        palette->palPalEntry[i] = {table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
    return CreatePalette(palette);
}

void* AllocZeroed800()
{
    return GlobalAlloc(GPTR, 800);
}

void FreeBlock(void* block)
{
    if (block != nullptr)
        GlobalFree(block);
}

BOOL ApplyConfiguredColorDefault(const SettingsContext* context, void* settingsRecord, void* printerSettingsRecord)
{
    uint16_t configured = 0;
    if (context == nullptr || GetOverrideModeValue(context->overrides, kOverrideColor, &configured) != kOverrideOk)
        return FALSE;
    if (configured == 0)
        return TRUE;
    uint32_t color = 0;
    ReadSettingNumber(15, settingsRecord, printerSettingsRecord, &color);
    uint16_t mode = 1;
    if (static_cast<int16_t>(color) == kColorDevmode)
        mode = configured == 2 ? 0 : 2;
    return SetFunctionIdValueArgs(settingsRecord, printerSettingsRecord, 270, kTypeU16, 2, mode) == kSettingOk;
}

BOOL ApplyConfiguredMediaType(const SettingsContext* context, void* settingsRecord, void* printerSettingsRecord)
{
    uint16_t merge = 0;
    if (context == nullptr || GetOverrideMergeValue(context->overrides, kOverrideMedia, &merge) != kOverrideOk)
        return FALSE;
    if (merge == 0)
        return TRUE;
    uint32_t media = 0;
    if (!ReadSettingNumber(24, settingsRecord, printerSettingsRecord, &media))
        return FALSE;
    const uint16_t value = static_cast<uint16_t>(media);
    return SetFunctionIdValueArgs(settingsRecord, printerSettingsRecord, kFidMediaTypeCopy, kTypeU16, 2, value) ==
                   kSettingOk &&
           SetFunctionIdValueArgs(settingsRecord, printerSettingsRecord, kFidMediaTypeCopy2, kTypeU16, 2, value) ==
                   kSettingOk;
}

BOOL MatchesPaperNamePrefix(void* settingsRecord, void* printerSettingsRecord, const wchar_t* text, int mode)
{
    if (text == nullptr || (mode != kPaperNamesStored && mode != kPaperNamesDefault))
        return FALSE;
    for (int n = 0; n < kUserPaperNames; ++n) {
        if (mode == kPaperNamesStored) {
            uint16_t type = 0;
            uint32_t size = 0;
            uint64_t holder = 0;
            if (GetFunctionIdValue(static_cast<uint16_t>(kFidFirstPaperName + n), settingsRecord, printerSettingsRecord,
                                   &type, &size, &holder) != kSettingOk ||
                type != kTypeString)
                continue;
            // The stored name lies in its fixed room; it is compared only within it.
            const auto* stored = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(holder));
            const size_t room = size >= sizeof(wchar_t) ? size / sizeof(wchar_t) - 1 : 0;
            const std::wstring name(stored, wcsnlen(stored, room));
            if (BeginsWith(text, name.c_str()))
                return TRUE;
        } else {
            wchar_t name[64];
            if (FormatUserDefinedName(n, name, 64) && BeginsWith(text, name))
                return TRUE;
        }
    }
    return FALSE;
}

BOOL BuildSupportedFieldsMask(const SettingsContext* context, uint32_t* mask, uint16_t modeBits)
{
    if (mask == nullptr)
        return FALSE;
    uint16_t kind = 0;
    if (GetOsVersionCode(&kind) != 1)
        return FALSE;
    int column = -1;
    for (int c = 0; c < 4; ++c) {
        if (kPlatformKinds[c] == kind)
            column = c;
    }
    if (column < 0)
        return FALSE;
    uint32_t bits = 0;
    for (const FieldSupportRow& row : kFieldSupport) {
        const uint16_t flags = row.flags[column];
        if ((flags & modeBits) == 0)
            continue;
        if ((flags & kFieldNeedsModelByte) != 0) {
            const uint16_t byte7 = GetModelByte7(context);
            uint16_t platform = 0;
            if (byte7 == 0 || byte7 == 0xFFFF || IsModernNtPlatform(&platform) != 1)
                continue;
        }
        bits |= row.bit;
    }
    *mask = bits;
    return TRUE;
}
