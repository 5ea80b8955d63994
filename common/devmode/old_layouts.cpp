// The old DEVMODE layouts and their conversion to layout 20483.
#include "common/devmode/old_layouts.h"

#include "common/context/settings_context.h"
#include "common/defaults/setting_defaults.h"
#include "common/devmode/devmode_convert.h"
#include "common/devmode/devmode_input.h"
#include "common/devmode/printer_side.h"
#include "common/devmode/setting_numbers.h"
#include "common/records/settings_records.h"
#include "common/settings/function_ids.h"
#include "common/settings/unaligned_bytes.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"

#include <cstring>
#include <vector>

namespace {

// The public fields at their DEVMODEW offsets; the size fields come from the
// header, dmPrintQuality and dmYResolution singly.
#define MORVA_OLD_PUBLIC_ROWS                                                                       \
    {kFidDeviceName, kTypeString, 0, 0, 64}, {kFidFields, kTypeU32, 0, 72, 0},                     \
        {kFidOrientation, kTypeS16, 0, 76, 0}, {kFidPaperSize, kTypeS16, 0, 78, 0},                \
        {kFidPaperLength, kTypeS16, 0, 80, 0}, {kFidPaperWidth, kTypeS16, 0, 82, 0},               \
        {kFidScale, kTypeS16, 0, 84, 0}, {kFidCopies, kTypeS16, 0, 86, 0},                         \
        {kFidDefaultSource, kTypeS16, 0, 88, 0}, {kFidPrintQuality, kTypeS16, 0, 90, 0},           \
        {kFidColor, kTypeS16, 0, 92, 0}, {kFidDuplex, kTypeS16, 0, 94, 0},                         \
        {kFidYResolution, kTypeS16, 0, 96, 0}, {kFidTTOption, kTypeS16, 0, 98, 0},                 \
        {kFidCollate, kTypeS16, 0, 100, 0}, {kFidFormName, kTypeString, 0, 102, 64},               \
        {kFidICMMethod, kTypeU32, 0, 188, 0}, {kFidICMIntent, kTypeU32, 0, 192, 0},                \
        {kFidMediaType, kTypeU32, 0, 196, 0}, {kFidDitherType, kTypeU32, 0, 200, 0}

// Family 1: the first layouts. Their stamps and model name lie where ours do
// (220-287); the settings they kept lie from byte 1100 on, apart from the
// words the conversion rules read themselves.
constexpr ItemLayoutRow kOld256[] = {
    MORVA_OLD_PUBLIC_ROWS,
    {262, kTypeU16, 0, 1100, 0},
    {263, kTypeU16, 0, 1102, 0},
    {301, kTypeU16, 0, 1104, 0},
    {303, kTypeU16, 0, 1106, 0},
    {0, 0, 0, 0, 0},
};
constexpr ItemLayoutRow kOld8192[] = {
    {300, kTypeByte, 0, 1108, 0},
    {302, kTypeByte, 0, 1109, 0},
    {0, 0, 0, 0, 0},
};
constexpr ItemLayoutRow kOld12288[] = {
    {299, kTypeString, 0, 1110, 130},
    {0, 0, 0, 0, 0},
};
constexpr ItemLayoutRow kOld16387[] = {
    {297, kTypeString, 0, 1240, 66},
    {0, 0, 0, 0, 0},
};
constexpr ItemLayoutRow kNoRows[] = {
    {0, 0, 0, 0, 0},
};
constexpr OldLayoutList kFamily1[] = {
    {256, kOld256},     {8192, kOld8192}, {12288, kOld12288}, {12290, kNoRows},
    {16384, kNoRows},   {16385, kNoRows}, {16386, kNoRows},   {16387, kOld16387},
    {16388, kNoRows},   {16389, kNoRows}, {16390, kNoRows},   {16391, kNoRows},
};

// Family 2: the common part already where it is today; 20482 moved the
// booklet and finishing words.
constexpr ItemLayoutRow kOld20480[] = {
    MORVA_OLD_PUBLIC_ROWS,
    {262, kTypeU16, 0, 296, 0},   {263, kTypeU16, 0, 298, 0},   {264, kTypeByte, 0, 300, 0},
    {265, kTypeU16, 0, 302, 0},   {266, kTypeU16, 0, 304, 0},   {267, kTypeByte, 0, 306, 0},
    {268, kTypeS16, 0, 308, 0},   {269, kTypeS16, 0, 310, 0},   {270, kTypeByte, 0, 312, 0},
    {271, kTypeU16, 0, 314, 0},   {272, kTypeByte, 0, 316, 0},  {273, kTypeU32, 0, 320, 0},
    {274, kTypeU16, 0, 324, 0},   {275, kTypeU16, 0, 326, 0},   {276, kTypeU16, 0, 328, 0},
    {277, kTypeU16, 0, 330, 0},   {278, kTypeU16, 0, 332, 0},   {279, kTypeU16, 0, 334, 0},
    {280, kTypeU16, 0, 336, 0},   {281, kTypeU16, 0, 338, 0},   {282, kTypeU16, 0, 340, 0},
    {283, kTypeU16, 0, 342, 0},   {284, kTypeU16, 0, 344, 0},   {285, kTypeU16, 0, 346, 0},
    {286, kTypeByte, 0, 348, 0},  {287, kTypeByte, 0, 349, 0},  {288, kTypeByte, 0, 350, 0},
    {291, kTypeByte, 0, 351, 0},  {292, kTypeByte, 0, 352, 0},  {293, kTypeByte, 0, 353, 0},
    {294, kTypeByte, 0, 354, 0},  {295, kTypeByte, 0, 355, 0},  {296, kTypeU16, 0, 372, 0},
    {297, kTypeString, 0, 374, 66}, {299, kTypeString, 0, 440, 130}, {300, kTypeByte, 0, 570, 0},
    {301, kTypeU16, 0, 572, 0},   {302, kTypeByte, 0, 574, 0},  {303, kTypeU16, 0, 576, 0},
    {0, 0, 0, 0, 0},
};
constexpr ItemLayoutRow kOld20482[] = {
    {321, kTypeByte, 0, 1205, 0},
    {324, kTypeS16, 0, 1206, 0},
    {0, 0, 0, 0, 0},
};
constexpr OldLayoutList kFamily2[] = {
    {20480, kOld20480},
    {20481, kNoRows},
    {20482, kOld20482},
};

constexpr OldLayoutFamily kFamilies[] = {
    {256, 16391, kOldLayoutRulesOldest, kFamily1, sizeof kFamily1 / sizeof kFamily1[0]},
    {20480, 20482, kOldLayoutRulesNewer, kFamily2, sizeof kFamily2 / sizeof kFamily2[0]},
};

#undef MORVA_OLD_PUBLIC_ROWS

// The old record as far as it was stated: a read beyond fails the conversion.
struct OldRecord {
    const uint8_t* bytes;
    uint32_t stated;
    bool ok = true;

    const uint8_t* At(uint32_t offset, uint32_t bytesWanted)
    {
        if (offset + bytesWanted > stated || offset + bytesWanted > kSettingsRecordSize) {
            ok = false;
            return nullptr;
        }
        return bytes + offset;
    }
    uint32_t U16(uint32_t offset)
    {
        const uint8_t* at = At(offset, 2);
        return at ? LoadU16(at) : 0;
    }
    uint32_t U32(uint32_t offset)
    {
        const uint8_t* at = At(offset, 4);
        return at ? LoadU32(at) : 0;
    }
    uint32_t Byte(uint32_t offset)
    {
        const uint8_t* at = At(offset, 1);
        return at ? *at : 0;
    }
};

bool ApplyRow(OldRecord& old, const ItemLayoutRow& row, uint8_t* output)
{
    const uint32_t bytes = OldLayoutRowBytes(row);
    const uint8_t* at = bytes ? old.At(static_cast<uint32_t>(row.offset), bytes) : nullptr;
    if (!at)
        return false;
    uint64_t holder = 0;
    if (row.storedType == kTypeString || row.storedType == kTypeLogFont)
        holder = reinterpret_cast<uintptr_t>(at);
    else if (row.storedType == kTypeS16)
        holder = static_cast<uint64_t>(static_cast<int64_t>(static_cast<int16_t>(LoadU16(at))));
    else
        std::memcpy(&holder, at, bytes);
    if (row.storedType == kTypeString || row.storedType == kTypeLogFont)
        return SetFunctionIdValue(row.id, output, nullptr, row.storedType, bytes, &holder) == kSettingOk;
    return WriteSettingNumber(row.id, output, nullptr, static_cast<uint32_t>(holder));
}

uint32_t RoundToTens(uint32_t value)
{
    const auto v = static_cast<int32_t>(static_cast<int16_t>(value));
    return static_cast<uint32_t>((v + 5) / 10 * 10);
}

bool Set(uint8_t* record, uint16_t id, uint32_t value)
{
    return WriteSettingNumber(id, record, nullptr, value);
}

bool Reset(SettingsContext* context, uint8_t* record, uint16_t id)
{
    return ResetSettingToDefault(context, record, nullptr, id);
}

uint16_t ModelClassOf(SettingsContext* context)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (GetFunctionIdDefault(context, 5137, &type, &size, &holder) != kFunctionIdDefaultOk)
        return 0;
    return static_cast<uint16_t>(holder & 0xFFF0);
}

// The rules of the oldest layouts (versions 256-16391).
bool ApplyOldestRules(uint16_t version, OldRecord& old, uint8_t* out, const wchar_t* printerName,
                      SettingsContext* context)
{
    bool ok = true;
    if (version == 256) {
        const auto feed = static_cast<int16_t>(old.U16(308));
        ok &= Set(out, 295, feed < 1 || feed >= 7 ? 1 : feed <= 2 ? 2 : 4);
        if (old.U16(342) == 2)
            ok &= Set(out, kFidColorMode, 0);
    }
    if (version == 8192) {
        const uint32_t value = old.U16(1014);
        ok &= Set(out, 296, value ? value : 514) && Set(out, 321, value ? 1 : 0);
    }
    if (version <= 12290) {
        ok &= Set(out, 268, RoundToTens(old.U16(324))) && Set(out, 269, RoundToTens(old.U16(326)));
        if (version >= 12288)
            ok &= Set(out, 324, RoundToTens(old.U16(1364)));
        ok &= Set(out, 331, old.U32(316) != 0 ? 1 : 0) && Set(out, 291, 0);
        const uint32_t punch = old.U16(346);
        ok &= Set(out, 390, punch == 3 || punch == 5 ? 0 : punch);
        const uint32_t quality = old.U16(344);
        if (quality == 1)
            ok &= Set(out, 348, 150);
        else if (quality == 8)
            ok &= Set(out, 348, 200);
    }
    if (version >= 16384 && version <= 16387 && SettingNumberOr(kFidDefaultSource, out, nullptr, 0) == 263)
        ok &= Set(out, kFidDefaultSource, 15);
    if (version < 16389)
        ok &= Set(out, kFidCollate, old.U16(304) != 0 ? 1 : 0);
    if (version >= 16384 && version <= 16386) {
        const uint32_t mode = old.U16(342);
        ok &= Set(out, kFidColorMode, mode == 3 ? 0 : mode) && Set(out, 1289, 0);
    }
    if (version < 16391 && !(version == 16388 && old.U16(222) >= 6154))
        ok &= Reset(context, out, 1324);
    if (version < 16384 || version == 16387) {
        ok &= Reset(context, out, kFidDefaultSource);
        if (old.U16(310) == 258)
            ok &= Reset(context, out, 265);
    }
    const uint16_t modelClass = ModelClassOf(context);
    if (modelClass == 16)
        ok &= Reset(context, out, 1302);
    if (modelClass == 48 && old.U16(344) == 257)
        ok &= Set(out, 271, 1);
    std::vector<uint8_t> printerSettings(kPrinterSettingsRecordSize, 0);
    if (!LoadPrinterSettingsByName(printerName, context, printerSettings.data()))
        return false;
    ok &= Set(out, 440, SettingNumberOr(5135, nullptr, printerSettings.data(), 0)) &&
          Set(out, 438, SettingNumberOr(5132, nullptr, printerSettings.data(), 0));
    return ok;
}

// Map of the old finishing code to setting 444.
struct CodeMapRow {
    uint16_t from;
    uint16_t to;
};
constexpr CodeMapRow kFinishingCodes[] = {
    {2, 3},  {3, 4},   {4, 5},   {5, 6},   {6, 7},   {7, 8},  {8, 9}, {9, 10},
    {10, 11}, {11, 12}, {12, 15}, {13, 16}, {15, 2}, {18, 17}, {19, 1},
};

bool ApplyPre20482Rules(uint16_t version, uint16_t mode, OldRecord& old, uint8_t* out)
{
    bool ok = true;
    if (version < 20481)
        StoreU16(out + 66, kPublicDriverVersion);
    if (version >= 20482)
        return true;
    const bool flag = mode == kOldLayoutRulesOldest ? old.U32(1348) != 0 : (old.U32(288) & 0x200) != 0;
    ok &= Set(out, 446, flag ? 2 : 0);
    const uint32_t copies = mode == kOldLayoutRulesOldest ? old.U16(1352) : old.Byte(1203);
    if (copies > 20)
        ok &= Set(out, 323, 20);
    const uint32_t code = mode == kOldLayoutRulesOldest ? old.U16(312) : old.U16(304);
    for (const CodeMapRow& row : kFinishingCodes) {
        if (row.from == code) {
            ok &= Set(out, 444, row.to);
            break;
        }
    }
    return ok;
}

}  // namespace

const OldLayoutFamily* FindOldLayoutFamily(uint16_t privateVersion)
{
    for (const OldLayoutFamily& family : kFamilies) {
        if (privateVersion >= family.lowest && privateVersion <= family.highest)
            return &family;
    }
    return nullptr;
}

uint32_t OldLayoutRowBytes(const ItemLayoutRow& row)
{
    switch (row.storedType) {
    case kTypeByte: return 1;
    case kTypeS16:
    case kTypeU16: return 2;
    case kTypeS32:
    case kTypeU32:
    case kTypeFlag:
    case kTypeFontS32: return 4;
    case kTypeString:
    case kTypeLogFont: return row.room;
    default: return 0;
    }
}

int ConvertOldDevmodeLayout(const SettingsHeader& inputHeader, const InputDevmode* input, uint8_t* output,
                            const wchar_t* printerName, SettingsContext* context)
{
    const OldLayoutFamily* family = FindOldLayoutFamily(inputHeader.privateVersion);
    if (!family || !input || !output || !FillDevmodeDefaults(context, printerName, output))
        return 0;
    OldRecord old{input->record, input->stated};
    for (uint16_t l = 0; l < family->listCount; ++l) {
        const OldLayoutList& list = family->lists[l];
        if (list.version > inputHeader.privateVersion)
            continue;
        for (const ItemLayoutRow* row = list.rows; row->id != 0; ++row) {
            if (!ApplyRow(old, *row, output))
                return 0;
        }
    }
    StoreU16(output + kDmSizeOffset, kPublicDevmodeSize);
    StoreU16(output + kDmDriverExtraOffset, kOrdinaryDriverExtra);
    if (family->rulesMode == kOldLayoutRulesOldest &&
        !ApplyOldestRules(inputHeader.privateVersion, old, output, printerName, context))
        return 0;
    if (!ApplyPre20482Rules(inputHeader.privateVersion, family->rulesMode, old, output) || !old.ok)
        return 0;
    // The converted private part is kept as the printer's, so that what the old
    // DEVMODE held privately is not lost.
    SavePrinterPrivatePart(printerName, output + kPrivatePartOffset);
    return 1;
}
