#include "render/font/device_fonts.h"

#include "common/model/model_data.h"
#include "common/model/model_format.h"
#include "common/model/model_section.h"
#include "common/settings/unaligned_bytes.h"
#include "common/system/lock_table.h"
#include "common/system/module_files.h"
#include "render/device/engine_calls.h"
#include "render/device/pdev_record.h"
#include "render/device/setting_ids.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <memory>
#include <vector>

namespace {

constexpr UINT kWesternCodePage = 1252;
constexpr uint8_t kShiftJisCharSet = 128;
constexpr WCHAR kShiftJisDefaultChar = 0xFF65;
constexpr WCHAR kShiftJisHighestChar = 0xFFE5;
constexpr uint16_t kBoldStep = 300;
// The glyph-set resource of the library: resource 6 of type 260.
constexpr WORD kGlyphSetResourceType = 260;
constexpr WORD kShiftJisGlyphSetResource = 6;
constexpr uint32_t kGlyphSetHeaderWords = 4;
constexpr uint32_t kGlyphSetRunBytes = 8;

// The glyph sets are made once per process and shared by every device record.
CRITICAL_SECTION g_glyphSetLock;
bool g_glyphSetLockMade = false;
FD_GLYPHSET* g_defaultGlyphSet = nullptr;
FD_GLYPHSET* g_shiftJisGlyphSet = nullptr;
// Enables not yet matched by a disable: one process may enable the library
// more than once (each host of a printer DC does), and the sets stay while
// any of them is still enabled.
uint32_t g_glyphSetUsers = 0;
bool g_shiftJisTried = false;

uint32_t RoundUp4(uint32_t n)
{
    return (n + 3) & ~3u;
}

// Characters a name keeps, without its terminator.
uint32_t NameChars(const std::wstring& name)
{
    return std::min<uint32_t>(uint32_t(name.size()), kFontNameMaxChars - 1);
}

uint32_t NameBytes(const std::wstring& name)
{
    return RoundUp4((NameChars(name) + 1) * sizeof(WCHAR));
}

// The code page of a character set; symbol and default sets count as 0.
UINT CodePageOfCharSet(uint8_t charSet)
{
    if (charSet == DEFAULT_CHARSET || charSet == SYMBOL_CHARSET)
        charSet = ANSI_CHARSET;
    CHARSETINFO info{};
    if (!TranslateCharsetInfo(reinterpret_cast<DWORD*>(uintptr_t(charSet)), &info, TCI_SRCCHARSET))
        return kWesternCodePage;
    return info.ciACP;
}

std::wstring Widen(std::span<const uint8_t> text, UINT codePage)
{
    if (text.empty())
        return {};
    const int n = MultiByteToWideChar(codePage, 0, reinterpret_cast<const char*>(text.data()), int(text.size()),
                                      nullptr, 0);
    std::wstring out(size_t(std::max(n, 0)), L'\0');
    if (n > 0)
        MultiByteToWideChar(codePage, 0, reinterpret_cast<const char*>(text.data()), int(text.size()), out.data(), n);
    return out;
}

WCHAR WideOfByte(uint8_t code, UINT codePage)
{
    const char c = char(code);
    WCHAR w = code;
    MultiByteToWideChar(codePage, 0, &c, 1, &w, 1);
    return w;
}

// Face and family name follow each other at the face offset.
void ReadNames(std::span<const uint8_t> d, const FontMetricsBlock& m, UINT codePage, std::wstring* face,
               std::wstring* family)
{
    const std::span<const uint8_t> faceText = DescriptionString(d, m.face);
    *face = Widen(faceText, codePage);
    *family = m.face != 0 ? Widen(DescriptionString(d, uint32_t(m.face + faceText.size() + 1)), codePage) : L"";
    if (family->empty())
        *family = *face;
}

void PutName(uint8_t* at, const std::wstring& name)
{
    const uint32_t n = NameChars(name);
    std::memcpy(at, name.data(), n * sizeof(WCHAR));
    std::memset(at + n * sizeof(WCHAR), 0, NameBytes(name) - n * sizeof(WCHAR));
}

uint16_t WeightOf(uint16_t weight)
{
    return weight == 0 || weight > 1000 ? FW_NORMAL : weight;
}

void FillWidths(std::span<const uint8_t> d, const FontMetricsBlock& m, uint16_t* widths)
{
    if (m.widthTable == 0) {
        const bool doubleByte = m.charSet == 128 || m.charSet == 129 || m.charSet == 134 || m.charSet == 136;
        std::fill(widths, widths + 256, uint16_t(doubleByte ? m.maxWidth / 2 : m.maxWidth));
        return;
    }
    auto width = [&](uint32_t code) -> uint16_t {
        if (code < m.firstChar || code > m.lastChar)
            return 0;
        const uint64_t at = uint64_t(m.widthTable) + 2 * uint64_t(code - m.firstChar);
        if (at + 2 > d.size())
            return 0;
        const auto w = int16_t(LoadU16(d.data() + at));
        return w < 0 ? 0 : uint16_t(w);
    };
    std::fill(widths, widths + 256, width(m.defaultChar));
    for (uint32_t c = m.firstChar; c <= m.lastChar; ++c)
        widths[c] = width(c);
}

// The kerning pairs of the description: a count and the pairs, all inside it.
std::span<const uint8_t> KerningTable(std::span<const uint8_t> d, const FontMetricsBlock& m, uint32_t* count)
{
    *count = 0;
    if (m.kerningPairs == 0 || uint64_t(m.kerningPairs) + 2 > d.size())
        return {};
    const uint16_t n = LoadU16(d.data() + m.kerningPairs);
    const uint64_t bytes = uint64_t(n) * sizeof(KerningPairEntry);
    if (m.kerningPairs + 2 + bytes > d.size())
        return {};
    *count = n;
    return d.subspan(m.kerningPairs + 2, size_t(bytes));
}

void FillDiff(FONTDIFF* diff, const IFIMETRICS& base, uint16_t weight, FWORD extraWidth, FSHORT selection,
              bool italic)
{
    std::memset(diff, 0, sizeof(*diff));
    diff->usWinWeight = std::min<uint16_t>(weight, 1000);
    diff->fsSelection = selection;
    diff->fwdAveCharWidth = FWORD(base.fwdAveCharWidth + extraWidth);
    diff->fwdMaxCharInc = FWORD(base.fwdMaxCharInc + extraWidth);
    // An italic leans its caret by about 1 in 5.
    diff->ptlCaret = italic ? POINTL{1, 5} : base.ptlCaret;
}

// The metrics part: IFIMETRICS, FONTSIM with its three FONTDIFFs, family and
// face name. Returns the bytes written.
uint32_t FillMetrics(uint8_t* at, std::span<const uint8_t> d, const FontMetricsBlock& m, const uint16_t* widths,
                     const std::wstring& family, const std::wstring& face, uint32_t kerningCount)
{
    auto* ifi = reinterpret_cast<IFIMETRICS*>(at);
    std::memset(ifi, 0, sizeof(*ifi));
    const uint32_t simAt = sizeof(IFIMETRICS);
    const uint32_t familyAt = simAt + sizeof(FONTSIM) + 3 * sizeof(FONTDIFF);
    const uint32_t faceAt = familyAt + NameBytes(family);
    const uint32_t size = faceAt + NameBytes(face);
    ifi->cjThis = size;
    ifi->dpwszFamilyName = PTRDIFF(familyAt);
    ifi->dpwszStyleName = PTRDIFF(familyAt);
    ifi->dpwszFaceName = PTRDIFF(faceAt);
    ifi->dpwszUniqueName = PTRDIFF(faceAt);
    ifi->dpFontSim = PTRDIFF(simAt);
    ifi->jWinCharSet = m.charSet;
    // The family nibble is kept; no pitch bits mean fixed pitch.
    ifi->jWinPitchAndFamily = BYTE((m.pitchAndFamily & 0xF0) | ((m.pitchAndFamily & 0x0F) == 0 ? FIXED_PITCH : VARIABLE_PITCH));
    ifi->usWinWeight = WeightOf(m.weight);
    ifi->flInfo = FM_INFO_TECH_OUTLINE_NOT_TRUETYPE | FM_INFO_ARB_XFORMS | FM_INFO_RETURNS_STROKES;
    if ((ifi->jWinPitchAndFamily & 0x0F) == FIXED_PITCH)
        ifi->flInfo |= FM_INFO_CONSTANT_WIDTH;
    ifi->fsSelection = FSHORT((m.italic ? FM_SEL_ITALIC : 0) | (m.underline ? FM_SEL_UNDERSCORE : 0) |
                              (ifi->usWinWeight >= FW_BOLD ? FM_SEL_BOLD : 0));
    if (ifi->fsSelection == 0)
        ifi->fsSelection = FM_SEL_REGULAR;
    ifi->fwdUnitsPerEm = FWORD(kEmHeight);
    ifi->fwdLowestPPEm = 1;
    // The em is the cell height less the internal leading.
    const int32_t cell = std::max<int32_t>(m.pixHeight, 1);
    const int32_t em = std::max<int32_t>(cell - m.internalLeading, 1);
    const auto ascent = FWORD(int64_t(m.ascent) * kEmHeight / em);
    const auto descent = FWORD(int64_t(std::max<int32_t>(cell - m.ascent, 0)) * kEmHeight / em);
    ifi->fwdWinAscender = ifi->fwdMacAscender = ifi->fwdTypoAscender = ascent;
    ifi->fwdWinDescender = descent;
    ifi->fwdMacDescender = ifi->fwdTypoDescender = FWORD(-descent);
    ifi->fwdMacLineGap = ifi->fwdTypoLineGap = FWORD(int64_t(m.externalLeading) * kEmHeight / em);
    int32_t average = m.avgWidth;
    if (average == 0 && m.lastChar >= m.firstChar) {
        int64_t sum = 0;
        for (uint32_t c = m.firstChar; c <= m.lastChar; ++c)
            sum += widths[c];
        const int64_t n = m.lastChar - m.firstChar + 1;
        average = int32_t((sum + n / 2) / n);
    }
    ifi->fwdAveCharWidth = FWORD(average);
    ifi->fwdMaxCharInc = FWORD(std::max<int32_t>(m.maxWidth, average));
    ifi->fwdCapHeight = FWORD(ascent * 7 / 10);
    ifi->fwdXHeight = FWORD(ascent / 2);
    ifi->fwdSubscriptXSize = ifi->fwdSuperscriptXSize = FWORD(ifi->fwdAveCharWidth * 2 / 3);
    ifi->fwdSubscriptYSize = ifi->fwdSuperscriptYSize = FWORD(kEmHeight * 2 / 3);
    ifi->fwdSubscriptYOffset = FWORD(kEmHeight / 5);
    ifi->fwdSuperscriptYOffset = FWORD(-int32_t(kEmHeight) * 2 / 5);
    ifi->fwdUnderscoreSize = ifi->fwdStrikeoutSize = FWORD(kEmHeight / 20);
    ifi->fwdUnderscorePosition = FWORD(-int32_t(kEmHeight) / 10);
    ifi->fwdStrikeoutPosition = FWORD(ascent / 3);
    ifi->chFirstChar = m.firstChar;
    ifi->chLastChar = m.lastChar;
    ifi->chDefaultChar = m.defaultChar;
    ifi->chBreakChar = m.breakChar;
    if (m.charSet == kShiftJisCharSet) {
        ifi->wcDefaultChar = kShiftJisDefaultChar;
        ifi->wcBreakChar = L' ';
        ifi->wcFirstChar = 0;
        ifi->wcLastChar = kShiftJisHighestChar;
    } else {
        ifi->wcDefaultChar = WideOfByte(m.defaultChar, kWesternCodePage);
        ifi->wcBreakChar = WideOfByte(m.breakChar, kWesternCodePage);
        WCHAR low = 0xFFFF, high = 0;
        for (uint32_t c = 0; c < 256; ++c) {
            const WCHAR w = WideOfByte(uint8_t(c), kWesternCodePage);
            low = std::min(low, w);
            high = std::max(high, w);
        }
        ifi->wcFirstChar = low;
        ifi->wcLastChar = high;
    }
    ifi->ptlBaseline = {1, 0};
    ifi->ptlAspect = {1, 1};
    ifi->ptlCaret = m.italic ? POINTL{1, 5} : POINTL{0, 1};
    ifi->rclFontBox = {0, ascent, ifi->fwdMaxCharInc, -descent};
    std::memcpy(ifi->achVendId, "Unkn", 4);
    ifi->cKerningPairs = kerningCount;
    ifi->ulPanoseCulture = FM_PANOSE_CULTURE_LATIN;
    ifi->panose.bFamilyType = PAN_ANY;

    auto* sim = reinterpret_cast<FONTSIM*>(at + simAt);
    sim->dpBold = sizeof(FONTSIM);
    sim->dpItalic = sizeof(FONTSIM) + sizeof(FONTDIFF);
    sim->dpBoldItalic = sizeof(FONTSIM) + 2 * sizeof(FONTDIFF);
    auto* diffs = reinterpret_cast<FONTDIFF*>(at + simAt + sizeof(FONTSIM));
    const uint16_t bold = uint16_t(ifi->usWinWeight + kBoldStep);
    FillDiff(&diffs[0], *ifi, bold, 1, FSHORT(FM_SEL_BOLD), m.italic != 0);
    FillDiff(&diffs[1], *ifi, ifi->usWinWeight, 0, FSHORT(FM_SEL_ITALIC), true);
    FillDiff(&diffs[2], *ifi, bold, 1, FSHORT(FM_SEL_BOLD | FM_SEL_ITALIC), true);
    PutName(at + familyAt, family);
    PutName(at + faceAt, face);
    (void)d;
    return size;
}

ModelDataRecord* MainModel(const PDevRecord* pdev)
{
    return static_cast<ModelDataRecord*>(pdev->modelMain);
}

ModelDataRecord* LinkedModel(const PDevRecord* pdev)
{
    return static_cast<ModelDataRecord*>(pdev->modelLinked);
}

// The model's font section at `position` with its payload; null past the end
// or on a read error (status in *status).
std::unique_ptr<ModelSection, void (*)(ModelSection*)> LoadFontSection(const PDevRecord* pdev, uint32_t position,
                                                                      uint16_t* status)
{
    ModelSection* section = nullptr;
    {
        RoleLock lock(LockRole::ModelData);
        *status = LoadModelTable(true, MainModel(pdev), LinkedModel(pdev), kKindFont, uint16_t(position), &section);
    }
    return {section, [](ModelSection* s) { FreeModelSection(&s, kKindFont); }};
}

void* HeapBlock(PDevRecord* pdev, size_t bytes)
{
    return HeapAlloc(pdev->heap, HEAP_ZERO_MEMORY, bytes);
}

void FreeList(PDevRecord* pdev, DeviceFontList* list)
{
    if (!list)
        return;
    for (uint32_t i = 0; list->records && i < list->offeredCount; ++i)
        if (list->records[i])
            HeapFree(pdev->heap, 0, list->records[i]);
    for (void* p : {static_cast<void*>(list->records), static_cast<void*>(list->offeredNumbers),
                    static_cast<void*>(list->modelNumbers), static_cast<void*>(list->entries)})
        if (p)
            HeapFree(pdev->heap, 0, p);
    HeapFree(pdev->heap, 0, list);
}

bool NameInList(const wchar_t* list, const std::wstring& name)
{
    for (const wchar_t* p = list; p && *p; p += wcslen(p) + 1)
        if (name == p)
            return true;
    return false;
}

int CALLBACK CollectFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM context)
{
    auto* names = reinterpret_cast<std::vector<wchar_t>*>(context);
    names->insert(names->end(), font->lfFaceName, font->lfFaceName + wcslen(font->lfFaceName) + 1);
    return 1;
}

// A 28.4 value rounded to a whole pixel.
LONG RoundFix(LONG v)
{
    return (v + 8) & ~0xF;
}

// A glyph's width in the font's units: its own, or the default character's.
uint16_t GlyphWidth(const DeviceFontRecord* record, HGLYPH glyph)
{
    const uint16_t* widths = FontWidths(record);
    if (glyph < 256)
        return widths[glyph];
    FontMetricsBlock m{};
    ReadFontMetrics(FontDescription(record), &m);
    return widths[m.defaultChar];
}

// The length of `units` font units along x through the font transform, in 28.4.
LONG TransformedLength(XFORMOBJ* xform, LONG units)
{
    POINTL in{units, 0}, out{};
    if (!g_engine.XFORMOBJ_bApplyXform(xform, XF_LTOFX, 1, &in, &out))
        return 0;
    return LONG(std::lround(std::hypot(double(out.x), double(out.y))));
}

FD_GLYPHSET* LoadShiftJisGlyphSet()
{
    HMODULE module = GetModuleHandleOfDriver();
    HRSRC found = module ? FindResourceW(module, MAKEINTRESOURCEW(kShiftJisGlyphSetResource),
                                         MAKEINTRESOURCEW(kGlyphSetResourceType))
                         : nullptr;
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const auto* bytes = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    const DWORD size = found ? SizeofResource(module, found) : 0;
    if (!bytes || size < kGlyphSetHeaderWords * 4)
        return nullptr;
    const uint32_t runs = LoadU32(bytes + 12);
    const uint64_t runBytes = uint64_t(runs) * kGlyphSetRunBytes;
    if (runs == 0 || kGlyphSetHeaderWords * 4 + runBytes > size)
        return nullptr;
    uint64_t glyphs = 0;
    for (uint32_t i = 0; i < runs; ++i)
        glyphs += LoadU16(bytes + 16 + i * kGlyphSetRunBytes + 2);
    if (kGlyphSetHeaderWords * 4 + runBytes + glyphs * 4 > size)
        return nullptr;
    const size_t setBytes = offsetof(FD_GLYPHSET, awcrun) + runs * sizeof(WCRUN) + glyphs * sizeof(HGLYPH);
    auto* set = static_cast<FD_GLYPHSET*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, setBytes));
    if (!set)
        return nullptr;
    set->cjThis = ULONG(setBytes);
    set->cRuns = runs;
    auto* handles = reinterpret_cast<HGLYPH*>(reinterpret_cast<uint8_t*>(set) + offsetof(FD_GLYPHSET, awcrun) +
                                              runs * sizeof(WCRUN));
    const uint8_t* source = bytes + 16 + runBytes;
    for (uint64_t i = 0; i < glyphs; ++i)
        handles[i] = LoadU32(source + 4 * i);
    HGLYPH* next = handles;
    for (uint32_t i = 0; i < runs; ++i) {
        WCRUN& run = set->awcrun[i];
        run.wcLow = LoadU16(bytes + 16 + i * kGlyphSetRunBytes);
        run.cGlyphs = LoadU16(bytes + 16 + i * kGlyphSetRunBytes + 2);
        run.phg = next;
        next += run.cGlyphs;
        set->cGlyphsSupported += run.cGlyphs;
    }
    return set;
}

}  // namespace

const uint16_t* FontWidths(const DeviceFontRecord* record)
{
    return reinterpret_cast<const uint16_t*>(reinterpret_cast<const uint8_t*>(record) + record->widthsOffset);
}

IFIMETRICS* FontMetrics(DeviceFontRecord* record)
{
    return reinterpret_cast<IFIMETRICS*>(reinterpret_cast<uint8_t*>(record) + record->metricsOffset);
}

FD_KERNINGPAIR* FontKerningPairs(DeviceFontRecord* record)
{
    return record->kerningOffset == 0
               ? nullptr
               : reinterpret_cast<FD_KERNINGPAIR*>(reinterpret_cast<uint8_t*>(record) + record->kerningOffset);
}

std::span<const uint8_t> FontDescription(const DeviceFontRecord* record)
{
    return {reinterpret_cast<const uint8_t*>(record) + record->descriptionOffset, record->descriptionSize};
}

DeviceFontRecord* BuildDeviceFontRecord(PDevRecord* pdev, std::span<const uint8_t> d)
{
    FontMetricsBlock m{};
    if (!ReadFontMetrics(d, &m) || m.lastChar < m.firstChar)
        return nullptr;
    const UINT codePage = CodePageOfCharSet(m.charSet);
    std::wstring face, family;
    ReadNames(d, m, codePage, &face, &family);
    if (face.empty())
        return nullptr;
    uint32_t kerningCount = 0;
    const std::span<const uint8_t> kerning = KerningTable(d, m, &kerningCount);
    const uint32_t metricsSize = 264 + NameBytes(family) + NameBytes(face);
    const uint32_t kerningBytes = kerningCount ? uint32_t((kerningCount + 1) * sizeof(FD_KERNINGPAIR)) : 0;
    const uint32_t expected = 696 + metricsSize + kerningBytes + uint32_t(d.size());
    auto* base = static_cast<uint8_t*>(HeapBlock(pdev, RoundUp4(expected)));
    if (!base)
        return nullptr;
    auto* record = reinterpret_cast<DeviceFontRecord*>(base);
    uint32_t filled = sizeof(DeviceFontRecord);
    record->version = kDeviceFontRecordVersion;
    record->fontNumber = ParseHexCode(DescriptionString(d, m.fontNumber));
    if (m.extMetrics != 0 && uint64_t(m.extMetrics) + kExtendedMetricsBytes <= d.size())
        std::memcpy(record->extMetrics, d.data() + m.extMetrics, kExtendedMetricsBytes);
    record->tables = ReadCodeTables(d, m);
    record->codeTablesUsable = record->tables.present && record->tables.usable;

    record->widthsOffset = filled;
    auto* widths = reinterpret_cast<uint16_t*>(base + filled);
    FillWidths(d, m, widths);
    filled += 256 * sizeof(uint16_t);

    record->metricsOffset = filled;
    record->metricsSize = FillMetrics(base + filled, d, m, widths, family, face, kerningCount);
    filled += record->metricsSize;

    if (kerningCount) {
        record->kerningOffset = filled;
        record->kerningCount = kerningCount;
        auto* pairs = reinterpret_cast<FD_KERNINGPAIR*>(base + filled);
        for (uint32_t i = 0; i < kerningCount; ++i) {
            KerningPairEntry e;
            std::memcpy(&e, kerning.data() + i * sizeof(e), sizeof(e));
            pairs[i] = {WideOfByte(e.first, codePage), WideOfByte(e.second, codePage), FWORD(e.amount)};
        }
        pairs[kerningCount] = {};
        filled += kerningBytes;
    }
    record->descriptionOffset = filled;
    record->descriptionSize = uint32_t(d.size());
    std::memcpy(base + filled, d.data(), d.size());
    filled += uint32_t(d.size());
    record->size = filled;
    if (filled != expected) {
        HeapFree(pdev->heap, 0, base);
        return nullptr;
    }
    return record;
}

uint32_t GetDeviceFontCount(PDevRecord* pdev)
{
    if (!pdev->modelMain)
        return 0;
    uint32_t count = 0;
    for (uint32_t position = 1; position <= 0xFFFF; ++position) {
        ModelSection* section = nullptr;
        uint16_t status;
        {
            RoleLock lock(LockRole::ModelData);
            status = LoadModelTable(false, MainModel(pdev), LinkedModel(pdev), kKindFont, uint16_t(position), &section);
        }
        FreeModelSection(&section, kKindFont);
        if (status != kModelOk)
            break;
        ++count;
    }
    return count;
}

wchar_t* ListInstalledFontFamilies()
{
    HDC dc = GetDC(nullptr);
    if (!dc)
        return nullptr;
    std::vector<wchar_t> names;
    EnumFontFamiliesW(dc, nullptr, CollectFamily, reinterpret_cast<LPARAM>(&names));
    ReleaseDC(nullptr, dc);
    if (names.empty())
        return nullptr;
    names.push_back(L'\0');
    auto* list = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, names.size() * sizeof(wchar_t)));
    if (list)
        std::memcpy(list, names.data(), names.size() * sizeof(wchar_t));
    return list;
}

bool BuildDeviceFontList(PDevRecord* pdev)
{
    pdev->deviceFonts = nullptr;
    pdev->deviceFontCount = 0;
    const uint32_t count = GetDeviceFontCount(pdev);
    if (count == 0)
        return true;
    auto* list = static_cast<DeviceFontList*>(HeapBlock(pdev, sizeof(DeviceFontList)));
    if (!list)
        return false;
    list->records = static_cast<DeviceFontRecord**>(HeapBlock(pdev, (count + 1) * sizeof(DeviceFontRecord*)));
    list->offeredNumbers = static_cast<int32_t*>(HeapBlock(pdev, (count + 1) * sizeof(int32_t)));
    list->modelNumbers = static_cast<int32_t*>(HeapBlock(pdev, (count + 1) * sizeof(int32_t)));
    list->entries = static_cast<DeviceFontEntry*>(HeapBlock(pdev, (count + 1) * sizeof(DeviceFontEntry)));
    if (!list->records || !list->offeredNumbers || !list->modelNumbers || !list->entries) {
        FreeList(pdev, list);
        return false;
    }
    std::unique_ptr<wchar_t, void (*)(wchar_t*)> installed(ListInstalledFontFamilies(),
                                                           [](wchar_t* p) { if (p) HeapFree(GetProcessHeap(), 0, p); });
    std::wstring previous;
    bool failed = false;
    for (uint32_t i = 0; i < count && !failed; ++i) {
        uint16_t status = 0;
        auto section = LoadFontSection(pdev, i + 1, &status);
        const FontSection* font = status == kModelOk ? AsFont(section.get()) : nullptr;
        if (!font) {
            failed = true;
            break;
        }
        const std::span<const uint8_t> d(font->payload.data(), font->payload.size());
        FontMetricsBlock m{};
        std::wstring face, family;
        if (ReadFontMetrics(d, &m))
            ReadNames(d, m, CodePageOfCharSet(m.charSet), &face, &family);
        const int32_t number = ParseHexCode(DescriptionString(d, m.fontNumber));
        list->modelNumbers[i] = number;
        DeviceFontEntry& entry = list->entries[i];
        wcsncpy(entry.face, face.c_str(), kFontNameMaxChars - 1);
        entry.pitchAndFamily = m.pitchAndFamily;
        entry.charSet = m.charSet;
        entry.weight = WeightOf(m.weight);
        entry.italic = m.italic;
        const bool offered = !face.empty() && face != previous && !NameInList(installed.get(), face);
        previous = face;
        if (!offered)
            continue;
        // A description that cannot make a record leaves its font out.
        DeviceFontRecord* record = BuildDeviceFontRecord(pdev, d);
        if (!record)
            continue;
        list->records[list->offeredCount] = record;
        list->offeredNumbers[list->offeredCount] = number;
        ++list->offeredCount;
    }
    if (failed) {
        FreeList(pdev, list);
        return false;
    }
    list->modelCount = count;
    pdev->deviceFonts = list;
    pdev->deviceFontCount = list->offeredCount;
    return true;
}

const DeviceFontList* DeviceFonts(const PDevRecord* pdev)
{
    return static_cast<const DeviceFontList*>(pdev->deviceFonts);
}

DeviceFontRecord* DeviceFontOf(const PDevRecord* pdev, ULONG index)
{
    const DeviceFontList* list = DeviceFonts(pdev);
    return list && index >= 1 && index <= list->offeredCount ? list->records[index - 1] : nullptr;
}

ULONG DeviceFontIndexOfNumber(const PDevRecord* pdev, int32_t number)
{
    const DeviceFontList* list = DeviceFonts(pdev);
    for (uint32_t i = 0; list && i < list->offeredCount; ++i)
        if (list->offeredNumbers[i] == number)
            return i + 1;
    return 0;
}

bool DefaultDeviceFont(PDevRecord* pdev, int32_t resolution, LOGFONTW* font)
{
    const ULONG index = DeviceFontIndexOfNumber(pdev, int32_t(GetPdevSettingDword(pdev, kFidDefaultDeviceFont)));
    DeviceFontRecord* record = DeviceFontOf(pdev, index);
    if (!record)
        return false;
    const IFIMETRICS* ifi = FontMetrics(record);
    std::memset(font, 0, sizeof(*font));
    font->lfHeight = -(resolution * 5 / 36);
    font->lfWeight = FW_NORMAL;
    font->lfCharSet = ifi->jWinCharSet;
    font->lfPitchAndFamily = ifi->jWinPitchAndFamily;
    const auto* face = reinterpret_cast<const wchar_t*>(reinterpret_cast<const uint8_t*>(ifi) + ifi->dpwszFaceName);
    wcsncpy(font->lfFaceName, face, LF_FACESIZE - 1);
    return true;
}

bool InitGlyphSetCache()
{
    if (!g_glyphSetLockMade) {
        if (!InitializeCriticalSectionAndSpinCount(&g_glyphSetLock, 4000))
            return false;
        g_glyphSetLockMade = true;
    }
    EnterCriticalSection(&g_glyphSetLock);
    if (!g_defaultGlyphSet)
        g_defaultGlyphSet = g_engine.EngComputeGlyphSet(0, 0, 256);
    const bool made = g_defaultGlyphSet != nullptr;
    ++g_glyphSetUsers;
    LeaveCriticalSection(&g_glyphSetLock);
    return made;
}

void FreeGlyphSetCache()
{
    if (!g_glyphSetLockMade)
        return;
    EnterCriticalSection(&g_glyphSetLock);
    if (g_glyphSetUsers > 1) {
        --g_glyphSetUsers;
        LeaveCriticalSection(&g_glyphSetLock);
        return;
    }
    g_glyphSetUsers = 0;
    if (g_defaultGlyphSet)
        g_engine.EngFreeMem(g_defaultGlyphSet);
    if (g_shiftJisGlyphSet)
        HeapFree(GetProcessHeap(), 0, g_shiftJisGlyphSet);
    g_defaultGlyphSet = g_shiftJisGlyphSet = nullptr;
    g_shiftJisTried = false;
    LeaveCriticalSection(&g_glyphSetLock);
    DeleteCriticalSection(&g_glyphSetLock);
    g_glyphSetLockMade = false;
}

FD_GLYPHSET* GetFontGlyphSet(const PDevRecord* pdev, ULONG index)
{
    DeviceFontRecord* record = DeviceFontOf(pdev, index);
    if (!record || !g_glyphSetLockMade)
        return nullptr;
    EnterCriticalSection(&g_glyphSetLock);
    FD_GLYPHSET* set = g_defaultGlyphSet;
    if (FontMetrics(record)->jWinCharSet == kShiftJisCharSet) {
        if (!g_shiftJisTried) {
            g_shiftJisGlyphSet = LoadShiftJisGlyphSet();
            g_shiftJisTried = true;
        }
        set = g_shiftJisGlyphSet;
    }
    LeaveCriticalSection(&g_glyphSetLock);
    return set;
}

LONG QueryDeviceFontData(PDevRecord* pdev, FONTOBJ* font, ULONG mode, HGLYPH glyph, GLYPHDATA* data, void* out,
                         ULONG size)
{
    DeviceFontRecord* record = DeviceFontOf(pdev, font->iFace);
    XFORMOBJ* xform = g_engine.FONTOBJ_pxoGetXform(font);
    if (!record) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FD_ERROR;
    }
    if (!xform)
        return FD_ERROR;
    const IFIMETRICS* ifi = FontMetrics(record);
    if (mode == QFD_GLYPHANDBITMAP) {
        if (data) {
            std::memset(data, 0, sizeof(*data));
            POINTL in[3] = {{GlyphWidth(record, glyph), 0}, {0, -ifi->fwdWinAscender}, {0, ifi->fwdWinDescender}};
            POINTL fx[3]{};
            if (!g_engine.XFORMOBJ_bApplyXform(xform, XF_LTOFX, 3, in, fx))
                return FD_ERROR;
            data->hg = glyph;
            data->fxD = RoundFix(LONG(std::lround(std::hypot(double(fx[0].x), double(fx[0].y)))));
            data->ptqD.x.HighPart = RoundFix(fx[0].x);
            data->ptqD.y.HighPart = RoundFix(fx[0].y);
            data->fxAB = data->fxD;
            data->fxInkTop = RoundFix(-fx[1].y);
            data->fxInkBottom = RoundFix(-fx[2].y);
            data->rclInk = {0, fx[1].y >> 4, data->fxD >> 4, fx[2].y >> 4};
        }
        return 0;
    }
    if (mode == QFD_MAXEXTENTS) {
        if (!out || size < sizeof(FD_DEVICEMETRICS))
            return LONG(sizeof(FD_DEVICEMETRICS));
        auto* dm = static_cast<FD_DEVICEMETRICS*>(out);
        std::memset(dm, 0, sizeof(*dm));
        POINTL in[3] = {{ifi->fwdMaxCharInc, 0}, {0, ifi->fwdWinAscender}, {0, ifi->fwdWinDescender}};
        POINTL fx[3]{};
        if (!g_engine.XFORMOBJ_bApplyXform(xform, XF_LTOFX, 3, in, fx))
            return FD_ERROR;
        dm->flRealizedType = SO_FLAG_DEFAULT_PLACEMENT | SO_HORIZONTAL | SO_CHAR_INC_EQUAL_BM_BASE;
        dm->pteBase = {1.0f, 0.0f};
        dm->pteSide = {0.0f, -1.0f};
        dm->fxMaxAscender = RoundFix(std::abs(fx[1].y));
        dm->fxMaxDescender = RoundFix(std::abs(fx[2].y));
        dm->cxMax = ULONG(RoundFix(std::abs(fx[0].x)) >> 4);
        dm->cyMax = ULONG((dm->fxMaxAscender + dm->fxMaxDescender) >> 4);
        const LONG em = TransformedLength(xform, LONG(kEmHeight)) >> 4;
        dm->ptlUnderline1 = {0, -ifi->fwdUnderscorePosition * em / LONG(kEmHeight)};
        dm->ptlStrikeout = {0, -ifi->fwdStrikeoutPosition * em / LONG(kEmHeight)};
        dm->ptlULThickness = dm->ptlSOThickness = {0, std::max<LONG>(1, ifi->fwdUnderscoreSize * em / LONG(kEmHeight))};
        return LONG(sizeof(FD_DEVICEMETRICS));
    }
    return FD_ERROR;
}

BOOL QueryDeviceAdvanceWidths(PDevRecord* pdev, FONTOBJ* font, HGLYPH* glyphs, USHORT* widths, ULONG count)
{
    DeviceFontRecord* record = DeviceFontOf(pdev, font->iFace);
    XFORMOBJ* xform = g_engine.FONTOBJ_pxoGetXform(font);
    if (!record || !glyphs || !widths) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!xform)
        return FALSE;
    // The transformed length of 4096 units scales every width.
    const int64_t scale = TransformedLength(xform, 4096);
    for (ULONG i = 0; i < count; ++i) {
        const int64_t v = int64_t(GlyphWidth(record, glyphs[i])) * scale >> 12;
        widths[i] = USHORT(std::clamp<int64_t>((v + 8) & ~int64_t(0xF), 0, 0xFFFF));
    }
    return TRUE;
}
