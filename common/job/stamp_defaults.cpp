#include "common/job/stamp_defaults.h"

#include "common/settings/number_text.h"

#include <cstring>
#include <cwchar>
#include <iterator>

namespace {

constexpr uint32_t kStampColor = 0x000033FF;
constexpr uint16_t kCharSetId = 1790;

constexpr DefaultFontRow Font(uint16_t heightId, uint16_t escapementId, uint16_t orientationId, uint16_t weight,
                              uint16_t faceId)
{
    return {heightId, 0, escapementId, orientationId, weight, 0, 0, 0, 0, kCharSetId, 0, 0, 2, 0, faceId};
}

int ResourceNumber(HMODULE resources, uint16_t id)
{
    wchar_t text[32] = {};
    if (resources == nullptr || LoadStringW(resources, id, text, 32) <= 0)
        return 0;
    return WideToInt(text);
}

// Text of at most `chars` - 1 characters; "Undefined" when missing or empty.
void ResourceText(HMODULE resources, uint16_t id, wchar_t* out, int chars)
{
    if (resources == nullptr || LoadStringW(resources, id, out, chars) <= 0)
        wcsncpy(out, kUndefinedFaceName, static_cast<size_t>(chars) - 1);
    out[chars - 1] = L'\0';
}

}  // namespace

const DefaultStampRow kDefaultStampRows[kDefaultStampCount] = {
    {1794, 1795, kStampColor, 1, 1, 2, 0x0202, 0, Font(5150, 5160, 5161, 0, 1796)},
    {1797, 1798, kStampColor, 1, 0, 1, 0x0301, 0, Font(5151, 5162, 5163, 700, 1799)},
    {1800, 1801, kStampColor, 1, 0, 1, 0x0301, 0, Font(5152, 5164, 5165, 700, 1802)},
    {1803, 1804, kStampColor, 1, 0, 1, 0x0301, 0, Font(5153, 5166, 5167, 700, 1805)},
    {1806, 1807, kStampColor, 1, 1, 0, 0x0202, 0, Font(5154, 5168, 5169, 0, 1808)},
    {1809, 1810, kStampColor, 1, 1, 0, 0x0202, 0, Font(5155, 5170, 5171, 0, 1811)},
};

const DefaultStampRow kTemplateStampRow = {1791, 1792, kStampColor, 1, 1, 0, 0x0202, 0,
                                           Font(5149, 5158, 5159, 700, 1793)};

const DefaultFontRow kDefaultStampFontRow = Font(5156, 5172, 5173, 400, 1812);

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
    ResourceText(resources, row.faceId, font->lfFaceName, LF_FACESIZE);
    return 1;
}

int BuildDefaultStamp(HMODULE resources, const DefaultStampRow& row, StampRecord* record)
{
    if (record == nullptr)
        return 0;
    std::memset(record, 0, sizeof *record);
    ResourceText(resources, row.nameId, record->name, static_cast<int>(std::size(record->name)));
    ResourceText(resources, row.textId, record->text, static_cast<int>(std::size(record->text)));
    record->color = row.color;
    record->valueA = row.valueA;
    record->valueB = row.valueB;
    record->valueC = row.valueC;
    record->valueD = row.valueD;
    record->valueE = row.valueE;
    return BuildDefaultStampFont(resources, row.font, &record->font);
}

int DefaultStampIndex(HMODULE resources, const wchar_t* name)
{
    if (name == nullptr)
        return -1;
    for (int i = 0; i < kDefaultStampCount; ++i) {
        wchar_t defaultName[33];
        ResourceText(resources, kDefaultStampRows[i].nameId, defaultName, static_cast<int>(std::size(defaultName)));
        if (_wcsicmp(name, defaultName) == 0)
            return i;
    }
    return -1;
}
