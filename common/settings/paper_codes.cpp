#include "common/settings/paper_codes.h"

#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"

#include <cstring>

namespace {

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
