#include "common/model/section_bytes.h"

#include "common/model/model_format.h"

int GetTrayFeatureByte(const ModelSection* section, uint8_t* out)
{
    if (section == nullptr || out == nullptr || section->formatVersion < kModelFormat512 ||
        (section->kind != kKindInputTray && section->kind != kKindOutputBin))
        return 1;
    *out = static_cast<const TraySection*>(section)->byte;
    return 0;
}

int16_t GetPaperSectionByte(const ModelSection* section)
{
    if (section == nullptr || section->kind != kKindPaper)
        return 0;
    return static_cast<const PaperSection*>(section)->byte1;
}

int GetPaperTypeByte(const ModelSection* section, uint8_t* out)
{
    if (section == nullptr || out == nullptr || section->formatVersion < kModelFormat512 ||
        section->kind != kKindSetting32779)
        return 1;
    *out = static_cast<const Setting32779Section*>(section)->byte;
    return 0;
}

uint32_t GetFontSectionValue(const ModelSection* section)
{
    if (section == nullptr || section->kind != kKindFont)
        return 0;
    return static_cast<const FontSection*>(section)->payloadLength;
}
