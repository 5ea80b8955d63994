// Device fonts: the driver's own fonts, described and drawn by its
// DrvQueryFont, DrvQueryFontTree, DrvQueryFontData and DrvQueryAdvanceWidths.
#include "printhost/driver_table.h"
#include "printhost/engine_objects.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace printhost {

namespace {

// The largest IFIMETRICS block taken from a driver.
constexpr ULONG kMaxIfiSize = 1 << 16;

template <typename F>
F Ddi(const HostDevice& device, ULONG index) { return DriverFunction<F>(*device.driver, index); }

std::wstring FaceName(const IFIMETRICS* ifi)
{
    if (!ifi || ifi->cjThis < sizeof(IFIMETRICS) || ifi->cjThis > kMaxIfiSize) return {};
    if (ifi->dpwszFaceName <= 0 || ULONG(ifi->dpwszFaceName) >= ifi->cjThis) return {};
    const auto* text = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(ifi) + ifi->dpwszFaceName);
    const size_t room = (ifi->cjThis - ULONG(ifi->dpwszFaceName)) / sizeof(wchar_t);
    return std::wstring(text, std::find(text, text + room, L'\0'));
}

} // namespace

void LoadDeviceFaces(HostDevice& device)
{
    device.deviceFaces.clear();
    auto query = Ddi<PFN_DrvQueryFont>(device, INDEX_DrvQueryFont);
    if (!query || device.devInfo.cFonts == 0) return;
    ULONG_PTR id = 0;
    // A count of -1 means the driver tells it when asked for font 0.
    ULONG count = device.devInfo.cFonts;
    if (count == ULONG(-1)) count = ULONG(reinterpret_cast<ULONG_PTR>(query(device.dhpdev, 0, 0, &id)));
    count = std::min<ULONG>(count, 1024);
    for (ULONG face = 1; face <= count; ++face) device.deviceFaces.push_back(FaceName(query(device.dhpdev, 0, face, &id)));
}

std::unique_ptr<HostFont> MakeDeviceFont(HostDevice* device, ULONG face, const LOGFONTW& lf)
{
    auto query = Ddi<PFN_DrvQueryFont>(*device, INDEX_DrvQueryFont);
    ULONG_PTR id = 0;
    const IFIMETRICS* ifi = query ? query(device->dhpdev, 0, face, &id) : nullptr;
    if (FaceName(ifi).empty()) return nullptr;
    auto f = std::make_unique<HostFont>();
    f->device = device;
    f->deviceFont = true;
    f->ifi.assign(reinterpret_cast<const BYTE*>(ifi), reinterpret_cast<const BYTE*>(ifi) + ifi->cjThis);
    const auto* metrics = reinterpret_cast<const IFIMETRICS*>(f->ifi.data());
    f->emUnits = metrics->fwdUnitsPerEm > 0 ? metrics->fwdUnitsPerEm : 1000;
    // A negative height is the em; a positive one the cell, ascender and descender.
    const double cell = std::max(1, metrics->fwdWinAscender + metrics->fwdWinDescender);
    const double scale = lf.lfHeight < 0 ? -lf.lfHeight / f->emUnits : lf.lfHeight > 0 ? lf.lfHeight / cell : 1.0;
    const double angle = lf.lfEscapement / 10.0 * 3.14159265358979323846 / 180.0;
    f->xform = MakeXform(scale * std::cos(angle), -scale * std::sin(angle), scale * std::sin(angle),
                         scale * std::cos(angle), 0, 0);
    f->fo.iUniq = NextUniq();
    f->fo.iFace = face;
    f->fo.flFontType = FO_TYPE_DEVICE;
    f->fo.cxMax = ULONG(std::lround(metrics->fwdMaxCharInc * scale));
    const LONG dpiX = device->gdiInfo.ulLogPixelsX ? LONG(device->gdiInfo.ulLogPixelsX) : 300;
    const LONG dpiY = device->gdiInfo.ulLogPixelsY ? LONG(device->gdiInfo.ulLogPixelsY) : 300;
    f->fo.sizLogResPpi = SIZE{dpiX, dpiY};
    f->fo.ulStyleSize = ULONG(std::lround(scale * f->emUnits * 72.0 / dpiY));
    if (auto tree = Ddi<PFN_DrvQueryFontTree>(*device, INDEX_DrvQueryFontTree))
        f->deviceGlyphSet = static_cast<FD_GLYPHSET*>(tree(device->dhpdev, 0, face, QFT_GLYPHSET, &id));
    if (auto mode = Ddi<PFN_DrvGetGlyphMode>(*device, INDEX_DrvGetGlyphMode)) f->glyphMode = mode(device->dhpdev, &f->fo);
    LiveFonts().Add(f.get());
    return f;
}

bool DeviceAdvanceWidths(HostFont& font, const std::vector<HGLYPH>& glyphs, std::vector<double>* widths)
{
    auto query = Ddi<PFN_DrvQueryAdvanceWidths>(*font.device, INDEX_DrvQueryAdvanceWidths);
    if (!query || glyphs.empty()) return false;
    std::vector<HGLYPH> handles = glyphs;
    std::vector<USHORT> fixed(glyphs.size(), 0);
    if (!query(font.device->dhpdev, &font.fo, QAW_GETWIDTHS, handles.data(), fixed.data(), ULONG(handles.size())))
        return false;
    widths->resize(glyphs.size());
    // The widths come in 12.4 fixed point.
    for (size_t i = 0; i < glyphs.size(); ++i) (*widths)[i] = fixed[i] / 16.0;
    return true;
}

// The glyph handle of a character in the driver's glyph set; 0 when absent.
HGLYPH DeviceGlyph(const FD_GLYPHSET* set, WCHAR c)
{
    if (!set) return 0;
    for (ULONG i = 0; i < set->cRuns; ++i) {
        const WCRUN& run = set->awcrun[i];
        if (c < run.wcLow || c >= run.wcLow + run.cGlyphs) continue;
        return run.phg ? run.phg[c - run.wcLow] : HGLYPH(c);
    }
    return 0;
}

// One glyph of a device font from the driver, kept until the next request.
GLYPHDATA* DeviceGlyphData(HostFont& font, HGLYPH hg, ULONG mode)
{
    if (mode != FO_GLYPHBITS) return nullptr;
    auto query = Ddi<PFN_DrvQueryFontData>(*font.device, INDEX_DrvQueryFontData);
    if (!query) return nullptr;
    GLYPHDATA data{};
    const LONG size = query(font.device->dhpdev, &font.fo, QFD_GLYPHANDBITMAP, hg, &data, nullptr, 0);
    if (size == LONG(FD_ERROR) || size < 0 || size > LONG(kMaxIfiSize)) return nullptr;
    font.lastDeviceGlyphBits.assign(size_t(std::max<LONG>(size, 1)), 0);
    if (query(font.device->dhpdev, &font.fo, QFD_GLYPHANDBITMAP, hg, &data, font.lastDeviceGlyphBits.data(),
              ULONG(size)) == LONG(FD_ERROR))
        return nullptr;
    font.lastDeviceGlyph = data;
    font.lastDeviceGlyph.hg = hg;
    font.lastDeviceGlyph.gdf.pgb = size > 0 ? reinterpret_cast<GLYPHBITS*>(font.lastDeviceGlyphBits.data()) : nullptr;
    return &font.lastDeviceGlyph;
}

} // namespace printhost
