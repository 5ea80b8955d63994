#include "render/draw/text_output.h"

#include "common/context/model_lookups.h"
#include "common/model/model_value_ops.h"
#include "common/settings/function_ids.h"
#include "common/store/pair_list.h"
#include "render/command/command_layer.h"
#include "render/command/path_output.h"
#include "render/compress/compression_library.h"
#include "render/compress/image_compression.h"
#include "render/compress/predictor_coder.h"
#include "render/device/engine_calls.h"
#include "render/device/overlay_options.h"
#include "render/device/pdev_record.h"
#include "render/device/setting_ids.h"
#include "render/draw/draw_path.h"
#include "render/font/device_fonts.h"
#include "render/font/font_choice.h"
#include "render/image/bitblt.h"
#include "render/image/brush_select.h"
#include "render/image/image_holder.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

constexpr MIX kCopyMix = (R2_COPYPEN << 8) | R2_COPYPEN;
constexpr UINT kSymbolCodePage = 42;
constexpr uint8_t kShiftJisCharSet = 128;
// Setting 17: TrueType fonts substituted by resident ones (1: as bitmaps).
constexpr uint32_t kTrueTypeSubstitute = 3;
// Setting 292 with substitution: 0 the table and the scoring, 2 the table only.
constexpr uint32_t kSubstituteByScore = 0;
constexpr uint32_t kSubstituteByTable = 2;
// The model's capability bit that asks for every TrueType glyph as an outline.
constexpr uint32_t kCapabilityOutlineGlyphs = 0x2000;
// The fine-outline rule when the model gives no values of its own: glyphs of
// at least 50 points at a size of 8 to 15 pixels.
constexpr uint32_t kFineAbovePixels = 7;
constexpr uint32_t kFineBelowPixels = 16;
constexpr uint32_t kFineMinimumPoints = 50;
// Where a glyph sent without the glyph memory goes: it is placed at once and
// nothing else is kept there.
constexpr uint32_t kInPlaceGlyphAddress = 0;
constexpr int kTypedRaw = 8;
constexpr float kIdentity[6] = {1, 0, 0, 1, 0, 0};

void PutBigEndian(std::vector<uint8_t>* out, uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutFloatBytes(std::vector<uint8_t>* out, float value)
{
    PutBigEndian(out, std::bit_cast<uint32_t>(value), 4);
}

int FillRect(CommandLayer* layer, const RECTL& r)
{
    return EmitPaintOperation(layer, kPaintFill) == 0 && EmitRectangle(layer, r.left, r.top, r.right, r.bottom) == 0
               ? 1
               : 0;
}

// The glyph's bits: from the batch when the engine gave them, else asked for.
GLYPHBITS* GlyphBitsOf(FONTOBJ* font, GLYPHPOS& pos)
{
    if (pos.pgdf != nullptr && pos.pgdf->pgb != nullptr)
        return pos.pgdf->pgb;
    HGLYPH handle = pos.hg;
    void* data = nullptr;
    if (g_engine.FONTOBJ_cGetGlyphs(font, FO_GLYPHBITS, 1, &handle, &data) != 1 || data == nullptr)
        return nullptr;
    return static_cast<GLYPHDATA*>(data)->gdf.pgb;
}

// The glyph drawn where it stands, as a one-bit image painted with the text
// colour: when the glyph memory is off or cannot take it.
int DrawGlyphInPlace(CommandLayer* layer, const POINTL& at, const GLYPHBITS* bits)
{
    const auto w = static_cast<uint32_t>(bits->sizlBitmap.cx), h = static_cast<uint32_t>(bits->sizlBitmap.cy);
    const float x = static_cast<float>(at.x + bits->ptlOrigin.x), y = static_cast<float>(at.y + bits->ptlOrigin.y);
    return EmitMonoImageHeader(layer, x, y, int32_t(w), int32_t(h), 1, kIdentity) == 0 &&
                   EmitRawBytes(layer, bits->aj, (w + 7) / 8 * h) == 0
               ? 1
               : 0;
}


// Positions of a string with a fixed increment follow from the first.
void ApplyFixedIncrement(const STROBJ* string, GLYPHPOS* glyphs, ULONG count, POINTL* first, bool* haveFirst)
{
    if (count == 0)
        return;
    if (!*haveFirst) {
        *first = glyphs[0].ptl;
        *haveFirst = true;
    }
    if (string->ulCharInc == 0)
        return;
    const LONG step = (string->flAccel & SO_REVERSED) ? -LONG(string->ulCharInc) : LONG(string->ulCharInc);
    const bool vertical = (string->flAccel & SO_VERTICAL) != 0;
    for (ULONG i = 0; i < count; ++i) {
        glyphs[i].ptl = *first;
        (vertical ? first->y : first->x) += step;
    }
}

// The resident font a string is printed with, when it has one.
struct DeviceTextFont {
    DeviceFontRecord* record = nullptr;
    int32_t number = 0;       // as "DA" sends it
    uint8_t charSet = 0;
    float matrix[6] = {};     // "Db": the em through the font transform, second row negated
};

FontTraits TraitsOf(const IFIMETRICS* ifi)
{
    return {reinterpret_cast<const wchar_t*>(reinterpret_cast<const uint8_t*>(ifi) + ifi->dpwszFaceName),
            ifi->jWinCharSet, ifi->jWinPitchAndFamily, ifi->usWinWeight, (ifi->fsSelection & FM_SEL_ITALIC) != 0};
}

// The em square through the font transform; false without a transform.
bool FontMatrix(FONTOBJ* font, LONG em, float m[6])
{
    XFORMOBJ* xform = g_engine.FONTOBJ_pxoGetXform(font);
    POINTL in[2] = {{em, 0}, {0, em}}, out[2]{};
    if (!xform || !g_engine.XFORMOBJ_bApplyXform(xform, XF_LTOFX, 2, in, out))
        return false;
    m[0] = float(out[0].x) / 16, m[1] = float(out[0].y) / 16;
    m[2] = -float(out[1].x) / 16, m[3] = -float(out[1].y) / 16;
    m[4] = m[5] = 0;
    return true;
}

// The offered font the printer's substitution table, and with `score` the
// scoring, choose for a TrueType font; null when none stands in for it.
DeviceFontRecord* SubstituteFor(PDevRecord* pdev, const IFIMETRICS* ifi, FONTOBJ* font, bool score)
{
    const DeviceFontList* list = DeviceFonts(pdev);
    if (!list || list->offeredCount == 0)
        return nullptr;
    FontTraits request = TraitsOf(ifi);
    request.italic = request.italic || (font->flFontType & FO_SIM_ITALIC);
    const wchar_t* table = pdev->fontSubstitution;
    const auto bytes = table ? uint32_t(GlobalSize(const_cast<wchar_t*>(table))) : 0;
    if (!score) {
        const wchar_t* device = table ? FindPairListValue(table, bytes, request.face) : nullptr;
        for (uint32_t i = 0; device && i < list->offeredCount; ++i)
            if (_wcsicmp(TraitsOf(FontMetrics(list->records[i])).face, device) == 0)
                return list->records[i];
        return nullptr;
    }
    std::vector<FontTraits> candidates;
    for (uint32_t i = 0; i < list->offeredCount; ++i)
        candidates.push_back(TraitsOf(FontMetrics(list->records[i])));
    uint32_t chosen = 0;
    return SelectDeviceFont(request, candidates, table, bytes, &chosen) == kChoiceFound ? list->records[chosen]
                                                                                        : nullptr;
}

// Which resident font, if any, prints the string.
bool FindDeviceFont(PDevRecord* pdev, STROBJ* string, FONTOBJ* font, DeviceTextFont* out)
{
    const IFIMETRICS* ifi = g_engine.FONTOBJ_pifi(font);
    if (font->flFontType & FO_TYPE_DEVICE) {
        out->record = DeviceFontOf(pdev, font->iFace);
        if (!out->record)
            return false;
        const FontTraits traits = TraitsOf(FontMetrics(out->record));
        const FontStyle style{(font->flFontType & FO_SIM_ITALIC) != 0 || traits.italic,
                              (font->flFontType & FO_SIM_ITALIC) != 0, (font->flFontType & FO_SIM_BOLD) != 0};
        out->number = FontNumberWithStyle(out->record->fontNumber, traits, style);
    } else {
        // TrueType as bitmaps, glyph-index strings and fonts without metrics
        // are always sent as glyphs.
        // The outside library knows no resident font: everything is downloaded.
        if (pdev->commandLayer->externalProcessing)
            return false;
        const uint32_t option = GetPdevSettingDword(pdev, kFidTTOption);
        const uint32_t substitution = GetPdevSettingDword(pdev, kFidNoDeviceFonts);
        if (!(font->flFontType & FO_TYPE_TRUETYPE) || option != kTrueTypeSubstitute || ifi == nullptr ||
            (string->flAccel & SO_GLYPHINDEX_TEXTOUT) || string->pwszOrg == nullptr ||
            (substitution != kSubstituteByTable && substitution != kSubstituteByScore))
            return false;
        out->record = SubstituteFor(pdev, ifi, font, substitution == kSubstituteByScore);
        if (!out->record)
            return false;
        out->number = out->record->fontNumber;
    }
    out->charSet = FontMetrics(out->record)->jWinCharSet;
    const LONG em = (font->flFontType & FO_TYPE_DEVICE) || ifi == nullptr ? LONG(kEmHeight) : LONG(ifi->fwdUnitsPerEm);
    return FontMatrix(font, em, out->matrix);
}

// A character as the resident font's printer code, or -1 when the printer
// cannot print it and it is sent as a glyph.
int32_t PrinterCodeOf(const DeviceTextFont& f, wchar_t c)
{
    // Private-use symbol codes name the font's own codes (the symbol code
    // page makes the same reduction itself); the Shift-JIS fonts print the
    // yen sign at 0x5C.
    const UINT codePage = f.charSet == SYMBOL_CHARSET ? kSymbolCodePage : CP_ACP;
    if (f.charSet != kShiftJisCharSet && c > 0xEFFF && codePage != kSymbolCodePage)
        c = wchar_t(c & 0x0FFF);
    else if (f.charSet == kShiftJisCharSet && c == 0x00A5)
        c = 0x5C;
    else if (f.charSet == kShiftJisCharSet && c == 0x00A0)
        c = L' ';
    char bytes[4] = {};
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(codePage, codePage == kSymbolCodePage ? 0 : WC_NO_BEST_FIT_CHARS, &c, 1, bytes,
                                      sizeof(bytes), nullptr, codePage == kSymbolCodePage ? nullptr : &usedDefault);
    if (n <= 0 || n > 2 || usedDefault)
        return -1;
    const uint32_t code = n == 1 ? uint8_t(bytes[0]) : uint32_t(uint8_t(bytes[0])) << 8 | uint8_t(bytes[1]);
    return MapCharToPrinterCode(FontDescription(f.record), f.record->tables, code);
}

// Characters of one resident font on one baseline go as one run, with one
// advance when all are equal; others one by one at their positions.
int SendDeviceRun(CommandLayer* layer, const STROBJ* string, std::span<const GLYPHPOS> glyphs,
                  std::span<const uint16_t> codes)
{
    const bool oneBaseline =
        (string->flAccel & SO_HORIZONTAL) ||
        std::all_of(glyphs.begin(), glyphs.end(), [&](const GLYPHPOS& g) { return g.ptl.y == glyphs[0].ptl.y; });
    if (glyphs.size() >= 2 && oneBaseline) {
        std::vector<float> advances;
        for (size_t i = 1; i < glyphs.size(); ++i)
            advances.push_back(float(glyphs[i].ptl.x - glyphs[i - 1].ptl.x));
        const bool equal = std::all_of(advances.begin(), advances.end(), [&](float a) { return a == advances[0]; });
        return EmitGlyphRun(layer, glyphs[0].ptl.x, glyphs[0].ptl.y, codes, equal ? kAdvanceCommon : kAdvancePerGap,
                            equal ? std::span<const float>(advances.data(), 1) : std::span<const float>(advances)) == 0
                   ? 1
                   : 0;
    }
    for (size_t i = 0; i < glyphs.size(); ++i)
        if (EmitPositionedString(layer, float(glyphs[i].ptl.x), float(glyphs[i].ptl.y), 0, 0, codes[i]) != 0)
            return 0;
    return 1;
}

// How the downloaded glyphs of one string are sent.
struct GlyphForm {
    bool outline = false;
    uint8_t kind = kGlyphKindBitmap;
    bool smallPoints = false;   // 16-bit points
    bool fineCandidate = false; // the fine-outline rule may apply, glyph by glyph
    size_t fineMinimumPoints = 0;
    bool bold = false;          // GDI simulates bold
    bool external = false;      // the pages go to the outside processing library
    LONG boldOffset = 0;        // 28.4
};

const FineOutlineLimits& FineOutlineLimitsOf(PDevRecord* pdev)
{
    FineOutlineLimits& limits = pdev->fineOutline;
    if (!limits.read) {
        limits.abovePixels = GetModelNumberOr(pdev->settingsContext, kFidFineOutlineAbovePixels, kFineAbovePixels);
        limits.belowPixels = GetModelNumberOr(pdev->settingsContext, kFidFineOutlineBelowPixels, kFineBelowPixels);
        limits.minimumPoints =
            GetModelNumberOr(pdev->settingsContext, kFidFineOutlineMinimumPoints, kFineMinimumPoints);
        limits.read = true;
    }
    return limits;
}

// The em square's height through the font transform, in 28.4, rounded up.
LONG EmLength(FONTOBJ* font)
{
    const IFIMETRICS* ifi = g_engine.FONTOBJ_pifi(font);
    XFORMOBJ* xform = g_engine.FONTOBJ_pxoGetXform(font);
    const LONG em = ifi != nullptr && ifi->fwdUnitsPerEm > 0 ? ifi->fwdUnitsPerEm : LONG(kEmHeight);
    POINTL in{0, em}, out{};
    if (!xform || !g_engine.XFORMOBJ_bApplyXform(xform, XF_LTOFX, 1, &in, &out))
        return 0;
    const double squared = double(out.x) * out.x + double(out.y) * out.y;
    auto n = LONG(std::sqrt(squared));
    while (double(n) * n < squared)
        ++n;
    return n;
}

// Whether the page is drawn scaled: one inch of device pixels through the
// placement matrix is not 72 points on either axis.
bool PageIsScaled(PDevRecord* pdev)
{
    float m[6] = {};
    SaveStateCache(pdev->commandLayer->state, m);
    if (m[0] == 0 && m[1] == 0 && m[2] == 0 && m[3] == 0)
        return false;
    const double res = pdev->resolution;
    const double x = std::hypot(m[0] * res, m[1] * res), y = std::hypot(m[2] * res, m[3] * res);
    auto off = [](double v) { return v < 71.9892 || v > 72.0108; };
    return off(x) || off(y);
}

bool WantsOutlineGlyphs(PDevRecord* pdev, FONTOBJ* font, double points)
{
    if (GetPdevSettingDword(pdev, kFidNoOutlineGlyphs) == 1 || (font->flFontType & FO_TYPE_DEVICE) ||
        ((font->flFontType & FO_TYPE_RASTER) && !(font->flFontType & FO_TYPE_TRUETYPE)))
        return false;
    CapabilityBits bits{};
    if (GetModelCapabilityBits(static_cast<ModelDataRecord*>(pdev->modelMain), &bits) &&
        (bits.words[0] & kCapabilityOutlineGlyphs))
        return true;
    if (PageIsScaled(pdev) || (font->flFontType & FO_SIM_BOLD))
        return true;
    return points > double(GetPdevSettingDword(pdev, kFidOutlineTextSize));
}

GlyphForm ChooseGlyphForm(PDevRecord* pdev, FONTOBJ* font, BRUSHOBJ* brush, MIX mix)
{
    GlyphForm form;
    const LONG em = EmLength(font);
    const int32_t res = std::max<int32_t>(pdev->resolution, 1);
    const double pixels = em / 16.0;
    const double points = pixels * 72.0 / res;
    form.outline = WantsOutlineGlyphs(pdev, font, points);
    if (!form.outline)
        return form;
    const bool fineOn = GetPdevSettingDword(pdev, kFidFineOutlines) == 1;
    const ULONG colour = brush != nullptr ? brush->iSolidColor : ULONG(-1);
    form.kind = fineOn && colour == 0 ? kGlyphKindOutlineAlt : kGlyphKindOutline;
    // The outside library reads outlines in floats only.
    form.external = pdev->commandLayer->externalProcessing;
    form.smallPoints = !form.external && points <= (res <= 600 ? 40.0 : 24000.0 / res);
    const IFIMETRICS* ifi = g_engine.FONTOBJ_pifi(font);
    form.bold = (font->flFontType & FO_SIM_BOLD) != 0;
    const bool boldFace = ifi != nullptr && ifi->usWinWeight >= FW_BOLD;
    form.fineCandidate = fineOn && (mix & 0xFF) == R2_COPYPEN && !form.bold && !boldFace &&
                         (colour == 0 || colour == ULONG(-1));
    if (form.fineCandidate) {
        const FineOutlineLimits& limits = FineOutlineLimitsOf(pdev);
        form.fineCandidate = pixels > double(limits.abovePixels) && pixels < double(limits.belowPixels);
        form.fineMinimumPoints = limits.minimumPoints;
    }
    // The printer emboldens by the em in points.
    form.boldOffset = form.bold ? LONG(std::lround(em / 16.0 * 72.0 / res * 16)) : 0;
    return form;
}

// The glyph's outline as points and point-type codes; false for a broken path.
bool CollectOutline(FONTOBJ* font, HGLYPH glyph, const GlyphForm& form, std::vector<POINTFIX>* points,
                    std::vector<uint8_t>* codes, LONG* widthPixels)
{
    HGLYPH handle = glyph;
    void* data = nullptr;
    if (g_engine.FONTOBJ_cGetGlyphs(font, FO_PATHOBJ, 1, &handle, &data) != 1 || data == nullptr)
        return false;
    PATHOBJ* path = static_cast<GLYPHDATA*>(data)->gdf.ppo;
    if (path == nullptr)
        return false;
    points->clear();
    codes->clear();
    RECTFX bounds{};
    g_engine.PATHOBJ_vGetBounds(path, &bounds);
    *widthPixels = (bounds.xRight - bounds.xLeft + 15) / 16;
    if (form.bold || form.external) {
        // The bounds open the outline; the second point carries the
        // emboldening (none for the outside library's upright glyphs).
        points->push_back({bounds.xLeft, bounds.yTop});
        points->push_back({bounds.xRight + form.boldOffset, bounds.yBottom + form.boldOffset});
        codes->insert(codes->end(), {kOutlineMove, kOutlineClose, kOutlineMove, kOutlineClose});
    }
    const bool ok = ForEachEngineRecord(path, [&](FLONG flags, ULONG count, const POINTFIX* p) {
        ULONG first = 0;
        if ((flags & PD_BEGINSUBPATH) && count > 0) {
            points->push_back(p[0]);
            codes->push_back(kOutlineMove);
            first = 1;
        }
        if (flags & PD_BEZIERS) {
            if ((count - first) % 3 != 0)
                return false;
            for (ULONG i = first; i < count; i += 3) {
                points->insert(points->end(), p + i, p + i + 3);
                codes->push_back(kOutlineBezier);
            }
        } else {
            for (ULONG i = first; i < count; ++i) {
                points->push_back(p[i]);
                codes->push_back(kOutlineLine);
            }
        }
        if ((flags & PD_ENDSUBPATH) && (flags & PD_CLOSEFIGURE))
            codes->push_back(kOutlineClose);
        return true;
    });
    codes->push_back(kOutlineEnd);
    return ok;
}

// One glyph as an outline: through the glyph memory when it is on, else sent
// and placed at once (also when the memory cannot take it, after emptying
// it). 2 when it must go as a bitmap instead (no outline, a record too large).
int SendOutlineGlyph(PDevRecord* pdev, FONTOBJ* font, uint32_t fontId, const GLYPHPOS& pos, const GlyphForm& form,
                     std::vector<POINTFIX>* points, std::vector<uint8_t>* codes, std::vector<uint8_t>* record)
{
    CommandLayer* layer = pdev->commandLayer;
    const bool store = IsGlyphCacheEnabled(layer) && fontId != kUncachedFont;
    const GlyphKey key{static_cast<uint16_t>(pos.hg), fontId, form.kind};
    uint32_t address = kInPlaceGlyphAddress;
    const float x = float(pos.ptl.x), y = float(pos.ptl.y);
    if (store && FindCachedGlyph(layer, key, &address) == kGlyphCacheOk)
        return EmitPlaceGlyph(layer, x, y, address) == 0 ? 1 : 0;
    LONG width = 0;
    if (!CollectOutline(font, pos.hg, form, points, codes, &width))
        return 2;
    // A space has no outline: nothing to send or place.
    if (points->size() == (form.bold || form.external ? 2u : 0u))
        return 1;
    const int32_t res = std::max<int32_t>(pdev->resolution, 1);
    const bool small = form.smallPoints && width <= (res <= 600 ? res * 5 / 9 : 333);
    const bool fine = form.fineCandidate && points->size() >= form.fineMinimumPoints;
    if (!BuildOutlineGlyphRecord(*points, *codes, small, fine, record))
        return 2;
    const auto size = static_cast<uint32_t>(record->size());
    if (store && AddCachedGlyph(layer, key, size, true, &address) != kGlyphCacheOk) {
        ResetGlyphCache(layer);
        address = kInPlaceGlyphAddress;
    }
    return EmitGlyphId(layer, address) == 0 && EmitTypedValue(layer, kTypedRaw, record->data(), size) == 0 &&
                   EmitPlaceGlyph(layer, x, y, address) == 0
               ? 1
               : 0;
}

int DrawString(PDevRecord* pdev, STROBJ* string, FONTOBJ* font, BRUSHOBJ* brush, MIX mix)
{
    CommandLayer* layer = pdev->commandLayer;
    const uint32_t fontId = font->iUniq;
    std::vector<uint8_t> record;
    std::vector<GLYPHPOS> glyphs;
    POINTL next{};
    bool haveFirst = false;
    size_t lastBatch = 0;  // where the latest batch starts in `glyphs`
    g_engine.STROBJ_vEnumStart(string);
    for (bool more = true; more;) {
        ULONG count = 0;
        GLYPHPOS* batch = nullptr;
        more = g_engine.STROBJ_bEnum(string, &count, &batch) != FALSE;
        if (batch == nullptr || count == 0)
            break;
        // A batch's glyph data lasts only until the next batch: glyphs kept
        // from earlier ones get their bits from the font object instead.
        // Batches before the last were cleared already.
        const size_t at = glyphs.size();
        for (size_t k = lastBatch; k < at; ++k)
            glyphs[k].pgdf = nullptr;
        lastBatch = at;
        glyphs.insert(glyphs.end(), batch, batch + count);
        ApplyFixedIncrement(string, glyphs.data() + at, count, &next, &haveFirst);
    }
    DeviceTextFont device;
    const bool resident = (font->flFontType & FO_TYPE_DEVICE) != 0;
    const bool haveDevice = FindDeviceFont(pdev, string, font, &device);
    // Per character: its printer code in the resident font, or -1 to send it as a glyph.
    std::vector<int32_t> printerCodes(glyphs.size(), -1);
    for (size_t i = 0; haveDevice && i < glyphs.size(); ++i)
        printerCodes[i] = string->pwszOrg && i < string->cGlyphs ? PrinterCodeOf(device, string->pwszOrg[i]) : -1;
    bool fontSent = false;
    std::vector<uint16_t> run;
    GlyphForm form;
    bool formChosen = false;
    CompressionLibraryBinding* library = nullptr;
    std::vector<POINTFIX> points;
    std::vector<uint8_t> codes;
    for (size_t i = 0; i < glyphs.size();) {
        size_t end = i + 1;
        while (end < glyphs.size() && (printerCodes[end] >= 0) == (printerCodes[i] >= 0))
            ++end;
        if (printerCodes[i] >= 0) {
            if (!fontSent && (EmitFont(layer, device.number) != 0 || EmitFontMatrix(layer, device.matrix) != 0))
                return 0;
            fontSent = true;
            run.clear();
            for (size_t k = i; k < end; ++k)
                run.push_back(uint16_t(printerCodes[k]));
            if (!SendDeviceRun(layer, string, std::span<const GLYPHPOS>(glyphs).subspan(i, end - i), run))
                return 0;
        } else {
            if (!formChosen) {
                form = ChooseGlyphForm(pdev, font, brush, mix);
                const ImageHolder* holder = PdevImageHolder(pdev);
                library = holder != nullptr ? holder->library : nullptr;
                formChosen = true;
            }
            for (size_t k = i; k < end; ++k) {
                if (form.outline) {
                    const int sent = SendOutlineGlyph(pdev, font, fontId, glyphs[k], form, &points, &codes, &record);
                    if (sent == 0)
                        return 0;
                    if (sent == 1)
                        continue;
                }
                const GLYPHBITS* bits = GlyphBitsOf(font, glyphs[k]);
                // A resident font has no bitmaps to send: what it cannot print is left out.
                if (bits == nullptr && resident)
                    continue;
                if (bits == nullptr || !SendBitmapGlyph(layer, library, fontId, glyphs[k].hg, glyphs[k].ptl, bits, &record))
                    return 0;
            }
        }
        i = end;
    }
    return 1;
}

}  // namespace

int SendBitmapGlyph(CommandLayer* layer, CompressionLibraryBinding* library, uint32_t fontId, HGLYPH glyph,
                    const POINTL& at, const GLYPHBITS* bits, std::vector<uint8_t>* record)
{
    const LONG cx = bits->sizlBitmap.cx, cy = bits->sizlBitmap.cy;
    if (cx <= 0 || cy <= 0)
        return 1;  // a space: nothing to draw
    const auto rowBytes = static_cast<uint32_t>(cx + 7) / 8;
    const std::span<const uint8_t> rows(bits->aj, rowBytes * uint32_t(cy));
    const float x = static_cast<float>(at.x), y = static_cast<float>(at.y);
    const bool stored = IsGlyphCacheEnabled(layer) && fontId != kUncachedFont;
    const GlyphKey key{static_cast<uint16_t>(glyph), fontId, kGlyphKindBitmap};
    uint32_t address = 0;
    // A blank glyph is never stored, so a stored one is placed without
    // looking at its rows again.
    if (stored && FindCachedGlyph(layer, key, &address) == kGlyphCacheOk)
        return EmitPlaceGlyph(layer, x, y, address) == 0 ? 1 : 0;
    if (std::all_of(rows.begin(), rows.end(), [](uint8_t b) { return b == 0; }))
        return 1;  // a space's bitmap is blank: nothing to download or place
    if (!stored)
        return DrawGlyphInPlace(layer, at, bits);
    // The library's code is sent only when it is shorter than the rows.
    std::vector<uint8_t> packed;
    uint32_t packedLength = 0;
    if (library != nullptr && cx <= 0xFFFF && cy <= 0xFFFF) {
        packed.assign(rows.begin(), rows.end());
        packedLength = uint32_t(packed.size());
        uint8_t method = kMethodNone;
        if (CompressWithExternalLibrary(kMethodLibraryKind2, library, uint16_t(cx), uint16_t(cy), &method,
                                        &packedLength, packed.data()) != kCoderDone ||
            method != kMethodLibraryKind2 || packedLength >= rows.size())
            packedLength = 0;
    }
    const bool built =
        packedLength != 0
            ? BuildBitmapGlyphRecord(bits->ptlOrigin.x, bits->ptlOrigin.y, uint32_t(cx), uint32_t(cy),
                                     std::span<const uint8_t>(packed.data(), packedLength), record, true)
            : BuildBitmapGlyphRecord(bits->ptlOrigin.x, bits->ptlOrigin.y, uint32_t(cx), uint32_t(cy), rows, record);
    if (!built)
        return DrawGlyphInPlace(layer, at, bits);
    const auto size = static_cast<uint32_t>(record->size());
    if (AddCachedGlyph(layer, key, size, true, &address) != kGlyphCacheOk) {
        // The memory cannot take it: start it afresh and draw this one in place.
        ResetGlyphCache(layer);
        return DrawGlyphInPlace(layer, at, bits);
    }
    return EmitGlyphId(layer, address) == 0 && EmitTypedValue(layer, kTypedRaw, record->data(), size) == 0 &&
                   EmitPlaceGlyph(layer, x, y, address) == 0
               ? 1
               : 0;
}

bool BuildBitmapGlyphRecord(int32_t originX, int32_t originY, uint32_t width, uint32_t height,
                            std::span<const uint8_t> rows, std::vector<uint8_t>* record, bool compressed)
{
    const uint32_t rowBytes = (width + 7) / 8;
    if (rowBytes == 0 || rowBytes > kMaxBitmapGlyphRowBytes || height > 0x7FFF ||
        (compressed ? rows.empty() || rows.size() > kGlyphRecordLengthMask
                    : rows.size() != size_t{rowBytes} * height))
        return false;
    const auto data = static_cast<uint32_t>(rows.size());
    const uint32_t length = BitmapGlyphRecordLength(data);
    if (length > kGlyphRecordLengthMask)
        return false;
    record->clear();
    record->reserve(length);
    PutBigEndian(record, kBitmapGlyphHeaderBit | (compressed ? kBitmapGlyphCompressedBit : 0) | length, 4);
    PutFloatBytes(record, static_cast<float>(originX));
    PutFloatBytes(record, static_cast<float>(originY));
    PutBigEndian(record, height, 2);
    PutBigEndian(record, width, 2);
    record->push_back(static_cast<uint8_t>(rowBytes));
    record->push_back(1);
    record->insert(record->end(), rows.begin(), rows.end());
    record->resize(length, kBitmapGlyphFiller);
    return true;
}

bool BuildOutlineGlyphRecord(std::span<const POINTFIX> points, std::span<const uint8_t> codes, bool small, bool fine,
                             std::vector<uint8_t>* record)
{
    if (points.size() > 0xFFFF || codes.size() > 0xFFFF)
        return false;
    const uint32_t pointBytes = small ? 4 : 8;
    const uint32_t length = OutlineGlyphRecordLength(pointBytes, uint32_t(points.size()), uint32_t(codes.size()));
    if (length > kGlyphRecordLengthMask)
        return false;
    record->clear();
    record->reserve(length);
    PutBigEndian(record, length | (small ? 0 : kOutlineFloatBit) | (fine ? kOutlineFineBit : 0), 4);
    PutBigEndian(record, uint32_t(points.size()), 2);
    PutBigEndian(record, uint32_t(codes.size()), 2);
    for (const POINTFIX& p : points) {
        if (small) {
            // 28.4 shifted left by 2 must stay a 16-bit value.
            const int64_t x = int64_t(p.x) * 4, y = int64_t(p.y) * 4;
            if (x < INT16_MIN || x > INT16_MAX || y < INT16_MIN || y > INT16_MAX)
                return false;
            PutBigEndian(record, uint32_t(uint16_t(int16_t(x))), 2);
            PutBigEndian(record, uint32_t(uint16_t(int16_t(y))), 2);
        } else {
            PutFloatBytes(record, float(p.x) / 16);
            PutFloatBytes(record, float(p.y) / 16);
        }
    }
    for (size_t i = 0; i < codes.size(); i += 2)
        record->push_back(uint8_t(codes[i] << 4 | (i + 1 < codes.size() ? codes[i + 1] & 0x0F : 0)));
    record->resize(length, kOutlineGlyphFiller);
    return true;
}

int TextOutCommon(SURFOBJ* surface, STROBJ* string, FONTOBJ* font, CLIPOBJ* clip, RECTL* extraRects,
                  RECTL* opaqueRect, BRUSHOBJ* foreBrush, BRUSHOBJ* opaqueBrush, POINTL* brushOrigin, MIX mix)
{
    PDevRecord* pdev = PdevOfSurface(surface);
    if (pdev == nullptr || pdev->commandLayer == nullptr || string == nullptr || font == nullptr)
        return -1;
    CommandLayer* layer = pdev->commandLayer;
    ClipState* clipState = PdevClipState(pdev);
    if (clipState == nullptr || FlushPdevImages(pdev) != 0)
        return 0;
    const RECTL bounds = opaqueRect != nullptr ? *opaqueRect : string->rclBkGround;
    // An overlay drawn by the interface library keeps the clip it set itself.
    if (!UsesOverlayClip(pdev) && !SetClipForDrawing(layer, clipState, clip, bounds))
        return 0;
    if (opaqueRect != nullptr && opaqueBrush != nullptr &&
        (!SelectBrushForDrawing(pdev, 2, brushOrigin, opaqueBrush, kCopyMix) || !FillRect(layer, *opaqueRect)))
        return 0;
    if (foreBrush == nullptr || !SelectBrushForDrawing(pdev, 2, brushOrigin, foreBrush, mix) ||
        EmitPaintOperation(layer, kPaintFill) != 0 || !DrawString(pdev, string, font, foreBrush, mix))
        return 0;
    // The extra rectangles (underline, strike-out) end with an all-zero one.
    for (const RECTL* r = extraRects; r != nullptr && (r->left | r->top | r->right | r->bottom) != 0; ++r)
        if (!FillRect(layer, *r))
            return 0;
    return 1;
}
