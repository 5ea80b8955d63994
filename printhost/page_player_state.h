// The state a page's playback keeps: a memory DC that follows every state
// record of the metafile (mapping, transforms, selected objects, clip, path),
// so that GDI itself answers device coordinates, shapes and the clip region.
#pragma once

#include "printhost/engine_objects.h"

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace printhost {

// The bits of a pattern brush, kept from its creation record.
struct PatternBits {
    std::vector<BYTE> info;   // BITMAPINFO with its colour table
    std::vector<BYTE> bits;
    bool mono = false;        // a CREATEMONOBRUSH pattern: colours from text and background
};

struct PlayState {
    HostDevice* device = nullptr;
    SURFOBJ* surface = nullptr;
    RECTL surfaceRect{};
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    std::vector<HGDIOBJ> handles;
    std::map<HGDIOBJ, PatternBits> patterns;
    int pathDepth = 0;        // the page's own BeginPath brackets
    // The drawing records of the page's open path bracket (from BeginPath to
    // the record that paints the path), to trace them again in sixteenths;
    // `bracketFine` turns false when the bracket holds a record that would
    // trace differently a second time (a mapping change, text, a widening).
    std::vector<std::pair<const BYTE*, size_t>> bracket;
    bool bracketOpen = false;
    bool bracketFine = false;
    POINT bracketStart{};
    POINTL brushOrigin{};
    bool ok = true;
    std::wstring error;

    void Fail(const std::wstring& message)
    {
        if (ok) error = message;
        ok = false;
    }
};

// Each answers false (and notes the failure in the state) when the driver refuses.
enum class PaintKind { Stroke, Fill, StrokeAndFill };
// Draws what the GDI call leaves in the DC's path (device pixels) with the
// selected pen and brush. GDI keeps a path in whole device pixels, Windows'
// engine in 28.4 fixed point: `retrace`, when given, draws the shape once more
// from the same current position, and the path the driver gets is that
// tracing with the device mapping scaled by 16, so that GDI's pixels are the
// engine's sixteenths of a pixel.
void DrawCurrentPath(PlayState& state, PaintKind kind, bool ellipse, const std::function<void()>& retrace = nullptr);
void DrawText(PlayState& state, const EMREXTTEXTOUTW& record, const std::wstring& text, const INT* dx, size_t dxCount);
// A source DIB (BITMAPINFO + bits) blitted into a logical destination rectangle.
// Where the source rectangle's rows count from: the DIB calls (StretchDIBits,
// SetDIBitsToDevice) measure a bottom-up DIB from its lower edge; the blit
// records hold a device context's bitmap and measure from its top.
enum class SourceRows { FromDibOrigin, FromTop };
void DrawDib(PlayState& state, const BITMAPINFO* info, size_t infoSize, const BYTE* bits, size_t bitsSize, UINT usage,
             RECT dest, RECT src, DWORD rop, SourceRows rows);
// A bitmap (BITMAPINFO + bits and their sizes) a record carries.
struct DibBytes {
    const BITMAPINFO* info;
    size_t infoSize;
    const BYTE* bits;
    size_t bitsSize;
};
// MaskBlt: the driver's DrvBitBlt with the mask and a ROP4 (foreground where
// the mask is 1, background where it is 0), as GDI hands it over; the source
// (absent for a pattern-only operation) and the mask count rows from the top.
// False when the destination's device size differs from the source's (a
// masked blit does not stretch).
bool DrawMaskedBlt(PlayState& state, RECT dest, const DibBytes* source, UINT sourceUsage, POINT sourceAt,
                   const DibBytes& mask, POINT maskAt, DWORD rop);
// TransparentBlt (a logical destination, a source rectangle counted from the
// top, the colour left out): no driver entry is hooked for it, so the engine
// draws it on a bitmap of the destination and hands over only the pixels the
// source covers, as a copy clipped to them.
void DrawTransparentBlt(PlayState& state, RECT dest, RECT src, const DibBytes& source, UINT sourceUsage,
                        COLORREF transparent);
// AlphaBlend (BLENDFUNCTION packed as in the record): as Windows' engine
// blends for a driver that hooks no alpha blend, the destination is read back
// through DrvCopyBits (white where nothing comes back), GDI blends the source
// on it and the result is written back as a copy.
void DrawAlphaBlend(PlayState& state, RECT dest, RECT src, const DibBytes& source, UINT sourceUsage, DWORD blend);
// A gradient fill (GdiGradientFill's arguments, vertices in logical units):
// the driver hooks no gradient entry, so the engine draws it on a bitmap of
// its bounds and hands that over as a copy clipped to the shapes.
void DrawGradient(PlayState& state, const TRIVERTEX* vertices, ULONG vertexCount, const ULONG* mesh, ULONG meshCount,
                  ULONG mode);
// Inverts the colours under device rectangles (region records).
void InvertRects(PlayState& state, const std::vector<RECTL>& rects);
// A raster operation without a source over a logical rectangle, with the current brush.
void DrawPatternBlt(PlayState& state, RECT dest, DWORD rop);
// Fills device rectangles with a brush (region records).
void FillRects(PlayState& state, const std::vector<RECTL>& rects, HBRUSH brush);

// The rectangles of a region, top-down and left to right.
std::vector<RECTL> RegionRectangles(HRGN region);
// ExtCreateRegion's region (no transform) for a region record's data. Wine's
// GDI adds the rectangles to the region one at a time, each addition as long as
// the region so far, so that a clip of a curved shape at printer resolution
// (a thousand rectangles and more) takes milliseconds; here runs of them are
// made into regions of their own and joined in pairs. Null where GDI refuses.
HRGN RegionFromData(const RGNDATA* data, DWORD size);

// World-to-device transform of the DC as a matrix.
XFORM DeviceTransform(HDC dc);
POINT ToDevice(const XFORM& m, double x, double y);

} // namespace printhost
