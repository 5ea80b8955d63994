// Colour translation objects and transforms.
#include "printhost/engine_export.h"
#include "printhost/engine_objects.h"

#include <cmath>
#include <cstring>

namespace printhost {

LiveSet& LiveXlates() { static LiveSet s; return s; }
LiveSet& LiveXforms() { static LiveSet s; return s; }

HostXlate* FromXlateobj(XLATEOBJ* xo)
{
    return LiveXlates().Contains(xo) ? reinterpret_cast<HostXlate*>(xo) : nullptr;
}

HostXform* FromXformobj(XFORMOBJ* xo)
{
    return LiveXforms().Contains(xo) ? reinterpret_cast<HostXform*>(xo) : nullptr;
}

void DevicePalette(const HostDevice& device, ULONG* mode, std::vector<ULONG>* colors)
{
    *mode = PAL_RGB;
    colors->clear();
    if (HostPalette* p = FromHpalette(device.devInfo.hpalDefault)) {
        *mode = p->mode;
        if (p->mode == PAL_INDEXED) *colors = p->colors;
    }
}

static COLORREF Swap(ULONG c) { return RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

ULONG RgbToDevice(ULONG mode, const std::vector<ULONG>& colors, COLORREF rgb)
{
    switch (mode) {
    case PAL_BGR: return Swap(rgb);
    case PAL_INDEXED: {
        // Nearest entry by squared distance; the first of equals wins.
        ULONG best = 0;
        long bestDistance = -1;
        for (size_t i = 0; i < colors.size(); ++i) {
            const long dr = long(GetRValue(colors[i])) - GetRValue(rgb);
            const long dg = long(GetGValue(colors[i])) - GetGValue(rgb);
            const long db = long(GetBValue(colors[i])) - GetBValue(rgb);
            const long d = dr * dr + dg * dg + db * db;
            if (bestDistance < 0 || d < bestDistance) { bestDistance = d; best = ULONG(i); }
        }
        return best;
    }
    default: return rgb & 0xFFFFFF;
    }
}

COLORREF DeviceToRgb(ULONG mode, const std::vector<ULONG>& colors, ULONG index)
{
    switch (mode) {
    case PAL_BGR: return Swap(index);
    case PAL_INDEXED: return index < colors.size() ? colors[index] & 0xFFFFFF : 0;
    case PAL_BITFIELDS: {   // the 5-5-5 layout of 16-bit sources
        const ULONG r = (index >> 10) & 31, g = (index >> 5) & 31, b = index & 31;
        return RGB((r << 3) | (r >> 2), (g << 3) | (g >> 2), (b << 3) | (b >> 2));
    }
    default: return index & 0xFFFFFF;
    }
}

namespace {

ULONG WidenChannel(ULONG pixel, ULONG mask)
{
    if (mask == 0) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    int bits = 0;
    while (bits + shift < 32 && ((mask >> (shift + bits)) & 1)) ++bits;
    const ULONG value = (pixel & mask) >> shift;
    if (bits >= 8) return value >> (bits - 8);
    ULONG wide = value << (8 - bits);
    for (int filled = bits; filled < 8; filled += bits) wide |= wide >> bits;
    return wide & 0xFF;
}

} // namespace

COLORREF MaskedToRgb(ULONG pixel, const ULONG masks[3])
{
    return RGB(WidenChannel(pixel, masks[0]), WidenChannel(pixel, masks[1]), WidenChannel(pixel, masks[2]));
}

std::unique_ptr<HostXlate> MakeXlate(ULONG srcMode, std::vector<ULONG> srcPalette, const HostDevice& device,
                                     const ULONG* masks)
{
    auto x = std::make_unique<HostXlate>();
    x->srcMode = srcPalette.empty() ? srcMode : PAL_INDEXED;
    if (masks) std::memcpy(x->srcMasks, masks, sizeof(x->srcMasks));
    x->srcPalette = std::move(srcPalette);
    DevicePalette(device, &x->dstMode, &x->dstPalette);
    x->xo.iUniq = NextUniq();
    x->xo.iSrcType = USHORT(x->srcMode);
    x->xo.iDstType = USHORT(x->dstMode);
    if (x->srcMode == PAL_INDEXED) {
        for (ULONG c : x->srcPalette) x->table.push_back(RgbToDevice(x->dstMode, x->dstPalette, c & 0xFFFFFF));
        x->xo.flXlate = XO_TABLE;
        x->xo.cEntries = ULONG(x->table.size());
        x->xo.pulXlate = x->table.data();
    } else if (x->srcMode == x->dstMode) {
        x->xo.flXlate = XO_TRIVIAL;
    }
    LiveXlates().Add(x.get());
    return x;
}

void ReleaseXlate(std::unique_ptr<HostXlate>& xlate)
{
    if (xlate) LiveXlates().Remove(xlate.get());
    xlate.reset();
}

std::unique_ptr<HostXform> MakeXform(double m11, double m12, double m21, double m22, double dx, double dy)
{
    auto x = std::make_unique<HostXform>();
    x->m11 = m11; x->m12 = m12; x->m21 = m21; x->m22 = m22; x->dx = dx; x->dy = dy;
    LiveXforms().Add(x.get());
    return x;
}

void ReleaseXform(std::unique_ptr<HostXform>& xform)
{
    if (xform) LiveXforms().Remove(xform.get());
    xform.reset();
}

} // namespace printhost

using namespace printhost;

PRINTHOST_EXPORT ULONG APIENTRY XLATEOBJ_iXlate(XLATEOBJ* pxlo, ULONG iColor)
{
    HostXlate* x = FromXlateobj(pxlo);
    if (!x || (x->xo.flXlate & XO_TRIVIAL)) return iColor;
    if (x->xo.flXlate & XO_TABLE) return iColor < x->table.size() ? x->table[iColor] : 0;
    const COLORREF rgb = x->srcMode == PAL_BITFIELDS ? MaskedToRgb(iColor, x->srcMasks)
                                                     : DeviceToRgb(x->srcMode, x->srcPalette, iColor);
    return RgbToDevice(x->dstMode, x->dstPalette, rgb);
}

PRINTHOST_EXPORT PULONG APIENTRY XLATEOBJ_piVector(XLATEOBJ* pxlo)
{
    HostXlate* x = FromXlateobj(pxlo);
    return x && !x->table.empty() ? x->table.data() : nullptr;
}

PRINTHOST_EXPORT ULONG APIENTRY XLATEOBJ_cGetPalette(XLATEOBJ* pxlo, ULONG iPal, ULONG cPal, ULONG* pPal)
{
    HostXlate* x = FromXlateobj(pxlo);
    if (!x || (iPal != XO_SRCPALETTE && iPal != XO_DESTPALETTE)) return 0;
    const ULONG mode = iPal == XO_SRCPALETTE ? x->srcMode : x->dstMode;
    const std::vector<ULONG>& entries = iPal == XO_SRCPALETTE ? x->srcPalette : x->dstPalette;
    std::vector<ULONG> masks;
    if (mode == PAL_RGB) masks = {0x0000FF, 0x00FF00, 0xFF0000};
    else if (mode == PAL_BGR) masks = {0xFF0000, 0x00FF00, 0x0000FF};
    else if (mode == PAL_BITFIELDS && iPal == XO_SRCPALETTE) masks.assign(x->srcMasks, x->srcMasks + 3);
    else if (mode == PAL_BITFIELDS) masks = {0x7C00, 0x03E0, 0x001F};
    const std::vector<ULONG>& out = mode == PAL_INDEXED ? entries : masks;
    if (!pPal) return ULONG(out.size());
    const ULONG n = std::min<ULONG>(cPal, ULONG(out.size()));
    std::memcpy(pPal, out.data(), n * sizeof(ULONG));
    return n;
}

PRINTHOST_EXPORT HANDLE APIENTRY XLATEOBJ_hGetColorTransform(XLATEOBJ*) { return nullptr; }

// ---- transforms -------------------------------------------------------------

static ULONG Complexity(const HostXform& x)
{
    const bool unit = x.m11 == 1 && x.m22 == 1 && x.m12 == 0 && x.m21 == 0;
    if (unit) return x.dx == 0 && x.dy == 0 ? GX_IDENTITY : GX_OFFSET;
    return x.m12 == 0 && x.m21 == 0 ? GX_SCALE : GX_GENERAL;
}

PRINTHOST_EXPORT ULONG APIENTRY XFORMOBJ_iGetXform(XFORMOBJ* pxo, XFORML* pxform)
{
    HostXform* x = FromXformobj(pxo);
    if (!x) return DDI_ERROR;
    if (pxform) {
        pxform->eM11 = FLOATL(x->m11); pxform->eM12 = FLOATL(x->m12);
        pxform->eM21 = FLOATL(x->m21); pxform->eM22 = FLOATL(x->m22);
        pxform->eDx = FLOATL(x->dx); pxform->eDy = FLOATL(x->dy);
    }
    return Complexity(*x);
}

PRINTHOST_EXPORT ULONG APIENTRY XFORMOBJ_iGetFloatObjXform(XFORMOBJ* pxo, FLOATOBJ_XFORM* pxfo)
{
    HostXform* x = FromXformobj(pxo);
    if (!x) return DDI_ERROR;
    if (pxfo) {
        pxfo->eM11 = FLOATOBJ(x->m11); pxfo->eM12 = FLOATOBJ(x->m12);
        pxfo->eM21 = FLOATOBJ(x->m21); pxfo->eM22 = FLOATOBJ(x->m22);
        pxfo->eDx = FLOATOBJ(x->dx); pxfo->eDy = FLOATOBJ(x->dy);
    }
    return Complexity(*x);
}

PRINTHOST_EXPORT BOOL APIENTRY XFORMOBJ_bApplyXform(XFORMOBJ* pxo, ULONG iMode, ULONG cPoints, PVOID pvIn, PVOID pvOut)
{
    HostXform* x = FromXformobj(pxo);
    if (!x || !pvIn || !pvOut) return FALSE;
    const double det = x->m11 * x->m22 - x->m12 * x->m21;
    const bool inverse = iMode == XF_INV_LTOL || iMode == XF_INV_FXTOL;
    if (inverse && det == 0) return FALSE;
    if (iMode != XF_LTOL && iMode != XF_INV_LTOL && iMode != XF_LTOFX && iMode != XF_INV_FXTOL) return FALSE;
    const auto* in = static_cast<const POINTL*>(pvIn);
    auto* out = static_cast<POINTL*>(pvOut);
    const double inScale = iMode == XF_INV_FXTOL ? 1.0 / 16 : 1.0;
    const double outScale = iMode == XF_LTOFX ? 16.0 : 1.0;
    for (ULONG i = 0; i < cPoints; ++i) {
        const double px = in[i].x * inScale, py = in[i].y * inScale;
        double qx, qy;
        if (!inverse) {
            qx = px * x->m11 + py * x->m21 + x->dx;
            qy = px * x->m12 + py * x->m22 + x->dy;
        } else {
            const double ux = px - x->dx, uy = py - x->dy;
            qx = (ux * x->m22 - uy * x->m21) / det;
            qy = (uy * x->m11 - ux * x->m12) / det;
        }
        out[i].x = LONG(std::lround(qx * outScale));
        out[i].y = LONG(std::lround(qy * outScale));
    }
    return TRUE;
}
