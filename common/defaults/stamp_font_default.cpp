#include "common/defaults/stamp_font_default.h"

#include "common/system/number_text.h"

#include <cstring>
#include <cwchar>

const DefaultFontRow kDefaultStampFontRow = {
    5156, 0, 5172, 5173, 400, 0, 0, 0, 0, 1790, 0, 0, 2, 0, 1812,
};

namespace {

int ResourceNumber(HMODULE resources, uint16_t id)
{
    wchar_t text[32] = {};
    if (resources == nullptr || LoadStringW(resources, id, text, 32) <= 0)
        return 0;
    return WideToInt(text);
}

}  // namespace

int BuildDefaultStampFont(HMODULE resources, const DefaultFontRow& row, LOGFONTW* font)
{
    if (font == nullptr)
        return 0;
    std::memset(font, 0, sizeof *font);
    font->lfHeight = ResourceNumber(resources, row.heightId);
    font->lfWidth = row.width;
    font->lfEscapement = ResourceNumber(resources, row.escapementId);
    font->lfOrientation = ResourceNumber(resources, row.orientationId);
    font->lfWeight = row.weight;
    font->lfItalic = row.italic;
    font->lfUnderline = row.underline;
    font->lfStrikeOut = row.strikeOut;
    font->lfCharSet = static_cast<BYTE>(ResourceNumber(resources, row.charSetId));
    font->lfOutPrecision = row.outPrecision;
    font->lfClipPrecision = row.clipPrecision;
    font->lfQuality = row.quality;
    font->lfPitchAndFamily = row.pitchAndFamily;
    if (resources == nullptr || LoadStringW(resources, row.faceId, font->lfFaceName, LF_FACESIZE) <= 0)
        wcscpy(font->lfFaceName, kUndefinedFaceName);
    return 1;
}
