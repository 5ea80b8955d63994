// Engine drawing on bitmap surfaces, for drivers that hand a call back to
// the engine. A device surface has no bits the engine could draw on: the
// engine reads the area back through the driver's DrvCopyBits, draws on a
// bitmap and writes it back the same way, as Windows does.
#include "printhost/driver_table.h"
#include "printhost/engine_export.h"
#include "printhost/engine_objects.h"

#include <algorithm>
#include <cstring>

namespace printhost {

ULONG ReadPixel(const SURFOBJ& so, LONG x, LONG y)
{
    const BYTE* row = static_cast<const BYTE*>(so.pvScan0) + int64_t(y) * so.lDelta;
    switch (so.iBitmapFormat) {
    case BMF_1BPP: return (row[x / 8] >> (7 - x % 8)) & 1;
    case BMF_4BPP: return (row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF;
    case BMF_8BPP: return row[x];
    case BMF_16BPP: return reinterpret_cast<const WORD*>(row)[x];
    case BMF_24BPP: return row[x * 3] | (row[x * 3 + 1] << 8) | (ULONG(row[x * 3 + 2]) << 16);
    default: return reinterpret_cast<const ULONG*>(row)[x];
    }
}

void WritePixel(SURFOBJ& so, LONG x, LONG y, ULONG value)
{
    BYTE* row = static_cast<BYTE*>(so.pvScan0) + int64_t(y) * so.lDelta;
    switch (so.iBitmapFormat) {
    case BMF_1BPP: {
        const BYTE bit = BYTE(0x80 >> (x % 8));
        row[x / 8] = BYTE(value & 1 ? row[x / 8] | bit : row[x / 8] & ~bit);
        break;
    }
    case BMF_4BPP: {
        const int shift = x % 2 ? 0 : 4;
        row[x / 2] = BYTE((row[x / 2] & ~(0xF << shift)) | ((value & 0xF) << shift));
        break;
    }
    case BMF_8BPP: row[x] = BYTE(value); break;
    case BMF_16BPP: reinterpret_cast<WORD*>(row)[x] = WORD(value); break;
    case BMF_24BPP: row[x * 3] = BYTE(value); row[x * 3 + 1] = BYTE(value >> 8); row[x * 3 + 2] = BYTE(value >> 16); break;
    default: reinterpret_cast<ULONG*>(row)[x] = value; break;
    }
}

namespace {

bool HasBits(const SURFOBJ* so) { return so && so->iType == STYPE_BITMAP && so->pvScan0; }

RECTL Clamp(RECTL r, const SURFOBJ& so)
{
    r.left = std::max(r.left, 0L);
    r.top = std::max(r.top, 0L);
    r.right = std::min(r.right, so.sizlBitmap.cx);
    r.bottom = std::min(r.bottom, so.sizlBitmap.cy);
    return r;
}

// Copies with colour translation; both surfaces must have bits.
bool CopyPixels(SURFOBJ* dst, SURFOBJ* src, XLATEOBJ* xlate, const RECTL& target, const POINTL& from)
{
    const RECTL r = Clamp(target, *dst);
    for (LONG y = r.top; y < r.bottom; ++y)
        for (LONG x = r.left; x < r.right; ++x) {
            const LONG sx = from.x + (x - target.left), sy = from.y + (y - target.top);
            if (sx < 0 || sy < 0 || sx >= src->sizlBitmap.cx || sy >= src->sizlBitmap.cy) continue;
            WritePixel(*dst, x, y, XLATEOBJ_iXlate(xlate, ReadPixel(*src, sx, sy)));
        }
    return true;
}

void FillPixels(SURFOBJ* dst, const RECTL& target, ULONG color)
{
    const RECTL r = Clamp(target, *dst);
    for (LONG y = r.top; y < r.bottom; ++y)
        for (LONG x = r.left; x < r.right; ++x) WritePixel(*dst, x, y, color);
}

bool IsDeviceSurface(const SURFOBJ* so) { return so && so->iType == STYPE_DEVICE; }

// Draws on the device surface's `target` area through a bitmap of the
// device's format; `draw` gets the bitmap and the shift from device to bitmap
// coordinates. A driver that punts again from inside its DrvCopyBits is
// refused rather than followed round.
template <typename Draw>
BOOL ThroughDevice(SURFOBJ* device, CLIPOBJ* clip, const RECTL& target, Draw draw)
{
    thread_local bool inside = false;
    HostDevice* owner = FromHdev(device->hdev);
    HostSurface* surface = FromSurfobj(device);
    if (inside || !owner || !owner->driver || !surface || !(owner->hooks & HOOK_COPYBITS)) return FALSE;
    auto copyBits = DriverFunction<PFN_DrvCopyBits>(*owner->driver, INDEX_DrvCopyBits);
    if (!copyBits) return FALSE;
    RECTL area = Clamp(target, *device);
    if (area.right <= area.left || area.bottom <= area.top) return TRUE;
    const SIZEL size{area.right - area.left, area.bottom - area.top};
    HostSurface* bitmap = CreateHostBitmap(size, device->iBitmapFormat, true, nullptr, 0);
    if (!bitmap) return FALSE;
    inside = true;
    RECTL whole{0, 0, size.cx, size.cy};
    FillPixels(&bitmap->so, whole, 0xFFFFFFFF);   // white where the driver gives nothing back
    POINTL from{area.left, area.top};
    copyBits(&bitmap->so, device, nullptr, nullptr, &whole, &from);
    BOOL done = draw(&bitmap->so, POINTL{-area.left, -area.top});
    POINTL origin{0, 0};
    if (done) done = copyBits(device, &bitmap->so, clip, nullptr, &area, &origin);
    inside = false;
    DeleteHostSurface(bitmap);
    return done;
}

// The raster operations the host's engine draws in a masked blit.
bool KnownRop3(BYTE rop3, bool haveSource, bool haveBrush)
{
    return rop3 == 0x00 || rop3 == 0xFF || rop3 == 0xAA || (rop3 == 0xCC && haveSource) || (rop3 == 0xF0 && haveBrush);
}

// The pixel one of those ROP3s leaves; a source pixel outside its bitmap
// leaves the destination.
ULONG Rop3Pixel(BYTE rop3, SURFOBJ* src, XLATEOBJ* xlate, LONG sx, LONG sy, ULONG destination, ULONG brush)
{
    switch (rop3) {
    case 0x00: return 0;
    case 0xFF: return 0xFFFFFFFF;
    case 0xF0: return brush;
    case 0xCC:
        if (sx < 0 || sy < 0 || sx >= src->sizlBitmap.cx || sy >= src->sizlBitmap.cy) return destination;
        return XLATEOBJ_iXlate(xlate, ReadPixel(*src, sx, sy));
    default: return destination;
    }
}

// A masked blit: where the mask's bit is 1 the foreground ROP3 (the low
// byte) draws, where it is 0 the background ROP3 (the high byte).
BOOL MaskedBlt(SURFOBJ* dst, SURFOBJ* src, SURFOBJ* mask, XLATEOBJ* xlate, const RECTL& target, POINTL* from,
               POINTL* maskFrom, BRUSHOBJ* brush, ROP4 rop4)
{
    const BYTE fore = BYTE(rop4 & 0xFF), back = BYTE((rop4 >> 8) & 0xFF);
    const bool haveSource = HasBits(src) && from, haveBrush = brush && brush->iSolidColor != 0xFFFFFFFF;
    if (!HasBits(mask) || mask->iBitmapFormat != BMF_1BPP || !maskFrom || !KnownRop3(fore, haveSource, haveBrush) ||
        !KnownRop3(back, haveSource, haveBrush))
        return FALSE;
    const ULONG brushColour = haveBrush ? brush->iSolidColor : 0;
    const RECTL r = Clamp(target, *dst);
    for (LONG y = r.top; y < r.bottom; ++y)
        for (LONG x = r.left; x < r.right; ++x) {
            const LONG mx = maskFrom->x + (x - target.left), my = maskFrom->y + (y - target.top);
            const bool set = mx >= 0 && my >= 0 && mx < mask->sizlBitmap.cx && my < mask->sizlBitmap.cy &&
                             ReadPixel(*mask, mx, my) != 0;
            const LONG sx = haveSource ? from->x + (x - target.left) : -1;
            const LONG sy = haveSource ? from->y + (y - target.top) : -1;
            const ULONG before = ReadPixel(*dst, x, y);
            WritePixel(*dst, x, y, Rop3Pixel(set ? fore : back, src, xlate, sx, sy, before, brushColour));
        }
    return TRUE;
}

RECTL Shifted(const RECTL& r, const POINTL& by) { return RECTL{r.left + by.x, r.top + by.y, r.right + by.x, r.bottom + by.y}; }

} // namespace
} // namespace printhost

using namespace printhost;

PRINTHOST_EXPORT BOOL APIENTRY EngEraseSurface(SURFOBJ* pso, RECTL* prcl, ULONG iColor)
{
    if (IsDeviceSurface(pso) && prcl)
        return ThroughDevice(pso, nullptr, *prcl, [&](SURFOBJ* bitmap, POINTL shift) {
            RECTL r = Shifted(*prcl, shift);
            return EngEraseSurface(bitmap, &r, iColor);
        });
    if (!HasBits(pso) || !prcl) return FALSE;
    FillPixels(pso, *prcl, iColor);
    return TRUE;
}

PRINTHOST_EXPORT BOOL APIENTRY EngCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo,
                                           RECTL* prclDest, POINTL* pptlSrc)
{
    if (IsDeviceSurface(psoDest) && prclDest && pptlSrc)
        return ThroughDevice(psoDest, pco, *prclDest, [&](SURFOBJ* bitmap, POINTL shift) {
            RECTL r = Shifted(*prclDest, shift);
            return EngCopyBits(bitmap, psoSrc, nullptr, pxlo, &r, pptlSrc);
        });
    if (!HasBits(psoDest) || !HasBits(psoSrc) || !prclDest || !pptlSrc) return FALSE;
    return CopyPixels(psoDest, psoSrc, pxlo, *prclDest, *pptlSrc);
}

PRINTHOST_EXPORT BOOL APIENTRY EngBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                                         XLATEOBJ* pxlo, RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask,
                                         BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4)
{
    if (IsDeviceSurface(psoTrg) && prclTrg)
        return ThroughDevice(psoTrg, pco, *prclTrg, [&](SURFOBJ* bitmap, POINTL shift) {
            RECTL r = Shifted(*prclTrg, shift);
            return EngBitBlt(bitmap, psoSrc, psoMask, nullptr, pxlo, &r, pptlSrc, pptlMask, pbo, pptlBrush, rop4);
        });
    if (!HasBits(psoTrg) || !prclTrg) return FALSE;
    if (((rop4 >> 8) & 0xFF) != (rop4 & 0xFF))
        return MaskedBlt(psoTrg, psoSrc, psoMask, pxlo, *prclTrg, pptlSrc, pptlMask, pbo, rop4);
    switch (rop4 & 0xFFFF) {
    case 0xCCCC:
        if (!HasBits(psoSrc) || !pptlSrc) return FALSE;
        return CopyPixels(psoTrg, psoSrc, pxlo, *prclTrg, *pptlSrc);
    case 0xF0F0:
        if (!pbo || pbo->iSolidColor == 0xFFFFFFFF) return FALSE;
        FillPixels(psoTrg, *prclTrg, pbo->iSolidColor);
        return TRUE;
    case 0x0000: FillPixels(psoTrg, *prclTrg, 0); return TRUE;
    case 0xFFFF: FillPixels(psoTrg, *prclTrg, 0xFFFFFFFF); return TRUE;
    case 0xAAAA: return TRUE;
    default: return FALSE;   // other raster operations are not drawn by the host's engine
    }
}

PRINTHOST_EXPORT BOOL APIENTRY EngStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                                             XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest,
                                             RECTL* prclSrc, POINTL* pptlMask, ULONG iMode)
{
    if (IsDeviceSurface(psoDest) && prclDest && prclSrc) {
        // The whole destination is drawn on the bitmap, so that the stretch keeps its scale.
        return ThroughDevice(psoDest, pco, *prclDest, [&](SURFOBJ* bitmap, POINTL shift) {
            RECTL r = Shifted(*prclDest, shift);
            return EngStretchBlt(bitmap, psoSrc, psoMask, nullptr, pxlo, pca, pptlHTOrg, &r, prclSrc, pptlMask, iMode);
        });
    }
    if (!HasBits(psoDest) || !HasBits(psoSrc) || !prclDest || !prclSrc) return FALSE;
    const LONG dw = prclDest->right - prclDest->left, dh = prclDest->bottom - prclDest->top;
    const LONG sw = prclSrc->right - prclSrc->left, sh = prclSrc->bottom - prclSrc->top;
    if (dw == 0 || dh == 0 || sw == 0 || sh == 0) return TRUE;
    const RECTL r = Clamp(*prclDest, *psoDest);
    for (LONG y = r.top; y < r.bottom; ++y)
        for (LONG x = r.left; x < r.right; ++x) {
            const LONG sx = prclSrc->left + LONG(int64_t(x - prclDest->left) * sw / dw);
            const LONG sy = prclSrc->top + LONG(int64_t(y - prclDest->top) * sh / dh);
            if (sx < 0 || sy < 0 || sx >= psoSrc->sizlBitmap.cx || sy >= psoSrc->sizlBitmap.cy) continue;
            WritePixel(*psoDest, x, y, XLATEOBJ_iXlate(pxlo, ReadPixel(*psoSrc, sx, sy)));
        }
    return TRUE;
}
