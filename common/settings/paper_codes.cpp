#include "common/settings/paper_codes.h"

#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

// Sources in the order the settings were numbered, not by source number.
constexpr PaperSourceSettingsRow kPaperSourceSettings[] = {
    {1, {6145, 6160, 6175, 6295, 6190, 6205}},   {3, {6146, 6161, 6176, 6296, 6191, 6206}},
    {2, {6147, 6162, 6177, 6297, 6192, 6207}},   {257, {6148, 6163, 6178, 6298, 6193, 6208}},
    {261, {6149, 6164, 6179, 6299, 6194, 6209}}, {262, {6150, 6165, 6180, 6300, 6195, 6210}},
    {11, {6151, 6166, 6181, 6301, 6196, 6211}},  {265, {6152, 6167, 6182, 6302, 6197, 6212}},
    {266, {6153, 6168, 6183, 6303, 6198, 6213}}, {267, {6154, 6169, 6184, 6304, 6199, 6214}},
    {268, {6155, 6170, 6185, 6305, 6200, 6215}}, {269, {6156, 6171, 6186, 6306, 6201, 6216}},
    {270, {6157, 6172, 6187, 6307, 6202, 6217}}, {272, {6158, 6173, 6188, 6308, 6203, 6218}},
    {271, {6159, 6174, 6189, 6309, 6204, 6219}}, {273, {6220, 6235, 6250, 6310, 6265, 6280}},
    {274, {6221, 6236, 6251, 6311, 6266, 6281}}, {275, {6222, 6237, 6252, 6312, 6267, 6282}},
    {276, {6223, 6238, 6253, 6313, 6268, 6283}}, {277, {6224, 6239, 6254, 6314, 6269, 6284}},
};
static_assert(std::size(kPaperSourceSettings) == 20);
// The fifth and sixth settings lie a fixed distance from the first.
constexpr bool SideOffsetsHold()
{
    for (const PaperSourceSettingsRow& row : kPaperSourceSettings)
        if (row.settings[4] != row.settings[0] + kSourceShorterSideOffset ||
            row.settings[5] != row.settings[0] + kSourceLongerSideOffset)
            return false;
    return true;
}
static_assert(SideOffsetsHold());

// The user sizes' codes come in two runs: 262-266 for the first five slots,
// 287-301 for the other fifteen.
constexpr uint16_t kFirstRunCode = 262;
constexpr uint16_t kFirstRunCount = 5;
constexpr uint16_t kSecondRunCode = 287;

}  // namespace

bool IsCustomPaperCode(uint16_t code) { return CustomPaperIndex(code) != kNoUserPaper; }

bool IsUserDefinedPaperCode(uint16_t code)
{
    return code == kFreeCustomPaperCode || IsCustomPaperCode(code);
}

uint16_t CustomPaperIndex(uint16_t code)
{
    if (code >= kFirstRunCode && code < kFirstRunCode + kFirstRunCount)
        return code - kFirstRunCode;
    if (code >= kSecondRunCode && code < kSecondRunCode + (kUserPaperCount - kFirstRunCount))
        return code - kSecondRunCode + kFirstRunCount;
    return kNoUserPaper;
}

uint16_t CustomPaperCodeFromIndex(uint16_t index)
{
    if (index < kFirstRunCount)
        return kFirstRunCode + index;
    if (index < kUserPaperCount)
        return kSecondRunCode + (index - kFirstRunCount);
    return 65535;
}

bool IsCustomPaperSizeId(uint16_t id)
{
    return id >= kFidUserPaperWidthFirst && id < kFidUserPaperLengthFirst + kUserPaperCount;
}

int GetCustomPaperSize(void* settingsRecord, void* printerSettingsRecord, int16_t* width,
                       int16_t* length)
{
    if (settingsRecord == nullptr || width == nullptr || length == nullptr)
        return 0;
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t widthHolder = 0, lengthHolder = 0;
    if (GetFunctionIdValue(kFidCustomPaperWidth, settingsRecord, printerSettingsRecord, &type,
                           &size, &widthHolder) != kSettingOk ||
        GetFunctionIdValue(kFidCustomPaperLength, settingsRecord, printerSettingsRecord, &type,
                           &size, &lengthHolder) != kSettingOk)
        return 0;
    *width = static_cast<int16_t>(widthHolder);
    *length = static_cast<int16_t>(lengthHolder);
    return 1;
}

int CopyCustomPaperSize(int direction, void* settingsRecord, void* printerSettingsRecord)
{
    if (settingsRecord == nullptr || printerSettingsRecord == nullptr)
        return 0;
    struct Copy {
        uint16_t from;
        uint16_t to;
    };
    const Copy toDevmode[] = {{kFidCustomPaperLength, kFidPaperLength},
                              {kFidCustomPaperWidth, kFidPaperWidth}};
    const Copy fromDevmode[] = {{kFidPaperLength, kFidCustomPaperLength},
                                {kFidPaperWidth, kFidCustomPaperWidth}};
    const Copy* copies;
    if (direction == kCustomSizeToDevmode)
        copies = toDevmode;
    else if (direction == kCustomSizeFromDevmode)
        copies = fromDevmode;
    else
        return 0;
    for (int i = 0; i < 2; ++i) {
        uint16_t type = 0;
        uint32_t size = 0;
        uint64_t holder = 0;
        if (GetFunctionIdValue(copies[i].from, settingsRecord, printerSettingsRecord, &type, &size,
                               &holder) != kSettingOk ||
            SetFunctionIdValue(copies[i].to, settingsRecord, printerSettingsRecord, type, size,
                               &holder) != kSettingOk)
            return 0;
    }
    return 1;
}

uint32_t IsCustomPaperEnabled(void* settingsRecord, void* printerSettingsRecord)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (GetFunctionIdValue(kFidCustomPaperEnabled, settingsRecord, printerSettingsRecord, &type,
                           &size, &holder) != kSettingOk)
        return 0;
    return static_cast<uint32_t>(holder);
}

bool IsSourcePaperSizeId(uint16_t id)
{
    return (id >= 6145 && id <= 6159) || (id >= 6220 && id <= 6234);
}

int FindPaperSourceSettings(uint16_t source, uint16_t settings[6])
{
    for (const PaperSourceSettingsRow& row : kPaperSourceSettings)
        if (row.source == source) {
            if (settings != nullptr)
                std::copy(std::begin(row.settings), std::end(row.settings), settings);
            return 1;
        }
    return 0;
}

int FindPaperSourceBySetting(uint16_t firstSetting, uint16_t* fifth, uint16_t* sixth)
{
    for (const PaperSourceSettingsRow& row : kPaperSourceSettings)
        if (row.settings[0] == firstSetting) {
            if (fifth != nullptr)
                *fifth = row.settings[4];
            if (sixth != nullptr)
                *sixth = row.settings[5];
            return 1;
        }
    return 0;
}
