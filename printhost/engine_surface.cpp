// Engine memory, devices, surfaces and palettes.
#include "printhost/engine_export.h"
#include "printhost/engine_objects.h"

#include <atomic>
#include <cstring>

namespace printhost {

ULONG NextUniq()
{
    static std::atomic<ULONG> next{1};
    return next++;
}

LiveSet& LiveDevices() { static LiveSet s; return s; }
LiveSet& LiveSurfaces() { static LiveSet s; return s; }
LiveSet& LivePalettes() { static LiveSet s; return s; }

HDEV ToHdev(HostDevice* device) { return reinterpret_cast<HDEV>(device); }

HostDevice* FromHdev(HDEV hdev)
{
    return LiveDevices().Contains(hdev) ? reinterpret_cast<HostDevice*>(hdev) : nullptr;
}

HostSurface* FromHsurf(HSURF hsurf)
{
    return LiveSurfaces().Contains(hsurf) ? reinterpret_cast<HostSurface*>(hsurf) : nullptr;
}

HostSurface* FromSurfobj(SURFOBJ* so)
{
    return LiveSurfaces().Contains(so) ? reinterpret_cast<HostSurface*>(so) : nullptr;
}

HostPalette* FromHpalette(HPALETTE pal)
{
    return LivePalettes().Contains(pal) ? reinterpret_cast<HostPalette*>(pal) : nullptr;
}

ULONG BitsPerPixel(ULONG format)
{
    switch (format) {
    case BMF_1BPP: return 1;
    case BMF_4BPP: return 4;
    case BMF_8BPP: return 8;
    case BMF_16BPP: return 16;
    case BMF_24BPP: return 24;
    case BMF_32BPP: return 32;
    default: return 0;
    }
}

ULONG BitmapStride(ULONG format, LONG width)
{
    const uint64_t bits = uint64_t(BitsPerPixel(format)) * uint64_t(width);
    return ULONG(((bits + 31) / 32) * 4);
}

// Largest bitmap the engine makes: a page at 1200 dpi in 32 bits is far below it.
constexpr uint64_t kMaxBitmapBytes = 1ull << 31;

static bool FillBitmap(HostSurface* s, SIZEL size, ULONG format, LONG stride, bool topDown, void* bits)
{
    s->so.sizlBitmap = size;
    s->so.iBitmapFormat = format;
    s->so.cjBits = ULONG(uint64_t(stride) * uint64_t(size.cy));
    s->so.pvBits = bits;
    s->so.lDelta = topDown ? stride : -stride;
    s->so.pvScan0 = topDown || size.cy == 0 ? bits : static_cast<uint8_t*>(bits) + uint64_t(stride) * (size.cy - 1);
    s->so.fjBitmap = topDown ? BMF_TOPDOWN : 0;
    s->so.iType = STYPE_BITMAP;
    s->so.iUniq = NextUniq();
    return true;
}

HostSurface* CreateHostBitmap(SIZEL size, ULONG format, bool topDown, const void* bits, LONG srcStride)
{
    if (BitsPerPixel(format) == 0 || size.cx <= 0 || size.cy <= 0) return nullptr;
    const ULONG stride = BitmapStride(format, size.cx);
    if (uint64_t(stride) * uint64_t(size.cy) > kMaxBitmapBytes) return nullptr;
    auto* s = new HostSurface;
    s->ownBits.assign(size_t(stride) * size.cy, 0);
    FillBitmap(s, size, format, LONG(stride), topDown, s->ownBits.data());
    if (bits) {
        const ULONG rowBytes = std::min<ULONG>(stride, ULONG(std::abs(srcStride)));
        for (LONG y = 0; y < size.cy; ++y)
            std::memcpy(s->ownBits.data() + size_t(y) * stride,
                        static_cast<const uint8_t*>(bits) + int64_t(y) * srcStride, rowBytes);
    }
    s->so.hsurf = reinterpret_cast<HSURF>(s);
    LiveSurfaces().Add(s);
    return s;
}

void DeleteHostSurface(HostSurface* surface)
{
    if (!surface) return;
    LiveSurfaces().Remove(surface);
    delete surface;
}

} // namespace printhost

using namespace printhost;

// ---- memory -----------------------------------------------------------------

// Each block carries its size ahead of the caller's bytes so that a block from
// one allocator is never released by another.
namespace {
struct MemHead { uint64_t tag; uint64_t size; };
constexpr uint64_t kEngTag = 0x4D454D4E45ull;   // engine memory
constexpr uint64_t kUserTag = 0x4D454D5255ull;  // user memory

void* AllocTagged(uint64_t kind, size_t size, bool zero)
{
    if (size > kMaxBitmapBytes) return nullptr;
    auto* head = static_cast<MemHead*>(HeapAlloc(GetProcessHeap(), zero ? HEAP_ZERO_MEMORY : 0, sizeof(MemHead) + size));
    if (!head) return nullptr;
    head->tag = kind;
    head->size = size;
    return head + 1;
}

void FreeTagged(uint64_t kind, void* p)
{
    if (!p) return;
    MemHead* head = static_cast<MemHead*>(p) - 1;
    if (head->tag != kind) return;   // not ours: leak rather than corrupt the heap
    head->tag = 0;
    HeapFree(GetProcessHeap(), 0, head);
}
} // namespace

PRINTHOST_EXPORT PVOID APIENTRY EngAllocMem(ULONG Flags, ULONG MemSize, ULONG)
{
    return AllocTagged(kEngTag, MemSize, (Flags & FL_ZERO_MEMORY) != 0);
}

PRINTHOST_EXPORT VOID APIENTRY EngFreeMem(PVOID Mem) { FreeTagged(kEngTag, Mem); }

PRINTHOST_EXPORT PVOID APIENTRY EngAllocUserMem(SIZE_T cj, ULONG) { return AllocTagged(kUserTag, cj, true); }

PRINTHOST_EXPORT VOID APIENTRY EngFreeUserMem(PVOID pv) { FreeTagged(kUserTag, pv); }

PRINTHOST_EXPORT VOID APIENTRY EngMultiByteToUnicodeN(LPWSTR UnicodeString, ULONG MaxBytesInUnicodeString,
                                                      PULONG BytesInUnicodeString, PCHAR MultiByteString,
                                                      ULONG BytesInMultiByteString)
{
    int n = 0;
    if (UnicodeString && MultiByteString && BytesInMultiByteString)
        n = MultiByteToWideChar(CP_ACP, 0, MultiByteString, int(BytesInMultiByteString), UnicodeString,
                                int(MaxBytesInUnicodeString / sizeof(WCHAR)));
    if (BytesInUnicodeString) *BytesInUnicodeString = ULONG(n) * sizeof(WCHAR);
}

PRINTHOST_EXPORT VOID APIENTRY EngUnicodeToMultiByteN(PCHAR MultiByteString, ULONG MaxBytesInMultiByteString,
                                                      PULONG BytesInMultiByteString, PWSTR UnicodeString,
                                                      ULONG BytesInUnicodeString)
{
    int n = 0;
    if (UnicodeString && MultiByteString && BytesInUnicodeString)
        n = WideCharToMultiByte(CP_ACP, 0, UnicodeString, int(BytesInUnicodeString / sizeof(WCHAR)),
                                MultiByteString, int(MaxBytesInMultiByteString), nullptr, nullptr);
    if (BytesInMultiByteString) *BytesInMultiByteString = ULONG(n);
}

PRINTHOST_EXPORT VOID APIENTRY EngGetCurrentCodePage(PUSHORT OemCodePage, PUSHORT AnsiCodePage)
{
    if (OemCodePage) *OemCodePage = USHORT(GetOEMCP());
    if (AnsiCodePage) *AnsiCodePage = USHORT(GetACP());
}

// ---- surfaces ---------------------------------------------------------------

PRINTHOST_EXPORT HBITMAP APIENTRY EngCreateBitmap(SIZEL sizl, LONG lWidth, ULONG iFormat, FLONG fl, PVOID pvBits)
{
    if (BitsPerPixel(iFormat) == 0 || sizl.cx <= 0 || sizl.cy <= 0) return nullptr;
    const bool topDown = (fl & BMF_TOPDOWN) != 0;
    if (!pvBits) {
        HostSurface* s = CreateHostBitmap(sizl, iFormat, topDown, nullptr, 0);
        return s ? reinterpret_cast<HBITMAP>(s->so.hsurf) : nullptr;
    }
    // Caller's bits: the stride must hold a row.
    const ULONG minStride = ULONG((uint64_t(BitsPerPixel(iFormat)) * sizl.cx + 7) / 8);
    if (lWidth <= 0 || ULONG(lWidth) < minStride) return nullptr;
    if (uint64_t(lWidth) * uint64_t(sizl.cy) > kMaxBitmapBytes) return nullptr;
    auto* s = new HostSurface;
    FillBitmap(s, sizl, iFormat, lWidth, topDown, pvBits);
    s->so.hsurf = reinterpret_cast<HSURF>(s);
    LiveSurfaces().Add(s);
    return reinterpret_cast<HBITMAP>(s);
}

PRINTHOST_EXPORT HSURF APIENTRY EngCreateDeviceSurface(DHSURF dhsurf, SIZEL sizl, ULONG iFormatCompat)
{
    if (sizl.cx <= 0 || sizl.cy <= 0 || BitsPerPixel(iFormatCompat) == 0) return nullptr;
    auto* s = new HostSurface;
    s->so.dhsurf = dhsurf;
    s->so.sizlBitmap = sizl;
    s->so.iBitmapFormat = iFormatCompat;
    s->so.iType = STYPE_DEVICE;
    s->so.iUniq = NextUniq();
    s->so.hsurf = reinterpret_cast<HSURF>(s);
    LiveSurfaces().Add(s);
    return reinterpret_cast<HSURF>(s);
}

PRINTHOST_EXPORT HBITMAP APIENTRY EngCreateDeviceBitmap(DHSURF dhsurf, SIZEL sizl, ULONG iFormatCompat)
{
    HSURF h = EngCreateDeviceSurface(dhsurf, sizl, iFormatCompat);
    if (HostSurface* s = FromHsurf(h)) s->so.iType = STYPE_DEVBITMAP;
    return reinterpret_cast<HBITMAP>(h);
}

PRINTHOST_EXPORT BOOL APIENTRY EngAssociateSurface(HSURF hsurf, HDEV hdev, FLONG flHooks)
{
    HostSurface* s = FromHsurf(hsurf);
    HostDevice* d = FromHdev(hdev);
    if (!s || !d) return FALSE;
    s->so.hdev = hdev;
    s->so.dhpdev = d->dhpdev;
    s->hooks = flHooks;
    if (s->so.iType != STYPE_BITMAP) d->hooks = flHooks;
    return TRUE;
}

PRINTHOST_EXPORT BOOL APIENTRY EngDeleteSurface(HSURF hsurf)
{
    HostSurface* s = FromHsurf(hsurf);
    if (!s) return FALSE;
    DeleteHostSurface(s);
    return TRUE;
}

PRINTHOST_EXPORT SURFOBJ* APIENTRY EngLockSurface(HSURF hsurf)
{
    HostSurface* s = FromHsurf(hsurf);
    return s ? &s->so : nullptr;
}

PRINTHOST_EXPORT VOID APIENTRY EngUnlockSurface(SURFOBJ*) {}

PRINTHOST_EXPORT BOOL APIENTRY EngMarkBandingSurface(HSURF hsurf) { return FromHsurf(hsurf) != nullptr; }

// ---- palettes ---------------------------------------------------------------

PRINTHOST_EXPORT HPALETTE APIENTRY EngCreatePalette(ULONG iMode, ULONG cColors, ULONG* pulColors, FLONG flRed,
                                                    FLONG flGreen, FLONG flBlue)
{
    if (iMode != PAL_INDEXED && iMode != PAL_BITFIELDS && iMode != PAL_RGB && iMode != PAL_BGR) return nullptr;
    if (iMode == PAL_INDEXED && (cColors == 0 || cColors > 65536 || !pulColors)) return nullptr;
    auto* p = new HostPalette;
    p->mode = iMode;
    if (iMode == PAL_INDEXED) p->colors.assign(pulColors, pulColors + cColors);
    p->red = flRed;
    p->green = flGreen;
    p->blue = flBlue;
    LivePalettes().Add(p);
    return reinterpret_cast<HPALETTE>(p);
}

PRINTHOST_EXPORT BOOL APIENTRY EngDeletePalette(HPALETTE hpal)
{
    HostPalette* p = FromHpalette(hpal);
    if (!p) return FALSE;
    LivePalettes().Remove(p);
    delete p;
    return TRUE;
}

PRINTHOST_EXPORT ULONG APIENTRY EngQueryPalette(HPALETTE hPal, ULONG* piMode, ULONG cColors, ULONG* pulColors)
{
    HostPalette* p = FromHpalette(hPal);
    if (!p) return 0;
    if (piMode) *piMode = p->mode;
    if (p->mode != PAL_INDEXED) return 0;
    if (!pulColors) return ULONG(p->colors.size());
    const ULONG n = std::min<ULONG>(cColors, ULONG(p->colors.size()));
    std::memcpy(pulColors, p->colors.data(), n * sizeof(ULONG));
    return n;
}
