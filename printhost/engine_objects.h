// The print host's records behind the engine objects a graphics driver sees.
// Each record starts with the public object, so a pointer the driver hands back
// converts to the record; every such pointer is checked against the live set of
// its kind first, because a driver may pass anything.
#pragma once

#include <windows.h>
#include <winddi.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace printhost {

// Pointers of one kind that are alive now; the engine checks every handle and
// object pointer a driver passes in against it before use.
class LiveSet {
public:
    void Add(const void* p) { std::lock_guard<std::mutex> g(lock_); set_.insert(p); }
    void Remove(const void* p) { std::lock_guard<std::mutex> g(lock_); set_.erase(p); }
    bool Contains(const void* p) const { std::lock_guard<std::mutex> g(lock_); return p && set_.count(p) != 0; }
private:
    mutable std::mutex lock_;
    std::set<const void*> set_;
};

ULONG NextUniq();

// ---- devices, surfaces, palettes -------------------------------------------

struct DriverTable;

// One enabled PDEV: what GDI keeps per printer device (its HDEV).
struct HostFont;
struct HostDevice {
    const DriverTable* driver = nullptr;
    DHPDEV dhpdev = nullptr;
    HSURF surface = nullptr;
    GDIINFO gdiInfo{};
    DEVINFO devInfo{};
    FLONG hooks = 0;
    std::vector<std::wstring> deviceFaces;   // face names of the driver's device fonts, font 1 first
    // Fonts realised for the pages, by description: kept while the device
    // lives, as GDI keeps a device's realisations from page to page.
    std::map<std::wstring, std::unique_ptr<HostFont>> fonts;
};
LiveSet& LiveDevices();
// Asks the driver for its device fonts (DrvQueryFont) and keeps their names.
void LoadDeviceFaces(HostDevice& device);
HDEV ToHdev(HostDevice* device);
HostDevice* FromHdev(HDEV hdev);

struct HostSurface {
    SURFOBJ so{};
    std::vector<uint8_t> ownBits;  // empty when the caller owns the bits
    FLONG hooks = 0;
};
LiveSet& LiveSurfaces();
HostSurface* FromHsurf(HSURF hsurf);
HostSurface* FromSurfobj(SURFOBJ* so);
// A bitmap surface of the engine; bits are copied when given (stride lDelta,
// top-down when topDown). Null for a bad format or size.
HostSurface* CreateHostBitmap(SIZEL size, ULONG format, bool topDown, const void* bits, LONG srcStride);
void DeleteHostSurface(HostSurface* surface);
// Bytes of one row of a bitmap of that format and width, rounded to 4 bytes.
ULONG BitmapStride(ULONG format, LONG width);
ULONG BitsPerPixel(ULONG format);

struct HostPalette {
    ULONG mode = 0;
    std::vector<ULONG> colors;
    FLONG red = 0, green = 0, blue = 0;
};
LiveSet& LivePalettes();
HostPalette* FromHpalette(HPALETTE pal);

// ---- colour translation, transforms -----------------------------------------

struct HostXlate {
    XLATEOBJ xo{};
    std::vector<ULONG> table;         // XO_TABLE: source index -> destination colour
    std::vector<ULONG> srcPalette;    // RGB (COLORREF) of each source index
    std::vector<ULONG> dstPalette;    // RGB of each destination index
    ULONG srcMode = PAL_RGB, dstMode = PAL_RGB;
    ULONG srcMasks[3] = {0x7C00, 0x03E0, 0x001F};   // red, green, blue of a PAL_BITFIELDS source
};
LiveSet& LiveXlates();
HostXlate* FromXlateobj(XLATEOBJ* xo);
// Destination palette mode and colours of a device (its DEVINFO palette).
void DevicePalette(const HostDevice& device, ULONG* mode, std::vector<ULONG>* colors);
// A device colour index for an RGB colour.
ULONG RgbToDevice(ULONG mode, const std::vector<ULONG>& colors, COLORREF rgb);
COLORREF DeviceToRgb(ULONG mode, const std::vector<ULONG>& colors, ULONG index);
// One pixel of a bitmap surface (1 to 32 bits), as the engine reads and writes it.
ULONG ReadPixel(const SURFOBJ& so, LONG x, LONG y);
void WritePixel(SURFOBJ& so, LONG x, LONG y, ULONG value);
// Source: an indexed palette (RGB entries), or a direct mode (PAL_BGR/PAL_RGB/
// PAL_BITFIELDS) when srcPalette is empty. A PAL_BITFIELDS source has the
// red, green and blue masks given (5-5-5 when none are).
std::unique_ptr<HostXlate> MakeXlate(ULONG srcMode, std::vector<ULONG> srcPalette, const HostDevice& device,
                                     const ULONG* masks = nullptr);
// The RGB colour of a pixel whose channels lie under three masks (each
// channel widened to 8 bits by repeating its bits).
COLORREF MaskedToRgb(ULONG pixel, const ULONG masks[3]);
void ReleaseXlate(std::unique_ptr<HostXlate>& xlate);

struct HostXform {
    XFORMOBJ xo{};
    double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;
};
LiveSet& LiveXforms();
HostXform* FromXformobj(XFORMOBJ* xo);
std::unique_ptr<HostXform> MakeXform(double m11, double m12, double m21, double m22, double dx, double dy);
void ReleaseXform(std::unique_ptr<HostXform>& xform);

// ---- paths and clips --------------------------------------------------------

struct PathRecord {
    FLONG flags = 0;
    size_t first = 0;   // index into HostPath::points
    ULONG count = 0;
};

struct HostPath {
    PATHOBJ po{};
    std::vector<POINTFIX> points;
    std::vector<PathRecord> records;
    size_t cursor = 0;
};
LiveSet& LivePaths();
HostPath* FromPathobj(PATHOBJ* po);

// Builds a path from the point and type arrays GDI's GetPath answers (device
// pixels); the result is registered and must go through ReleasePath.
HostPath* MakePathFromGdi(const POINT* points, const BYTE* types, int count, bool ellipse);
// The same from points already in 28.4 fixed point.
HostPath* MakePathFromFix(const POINTFIX* points, const BYTE* types, int count, bool ellipse);
// One closed four-point sub-path per rectangle.
HostPath* MakePathFromRects(const std::vector<RECTL>& rects);
void ReleasePath(HostPath* path);

struct HostClip {
    CLIPOBJ co{};
    std::vector<RECTL> rects;   // already in top-down, left-to-right order
    size_t cursor = 0;
    ULONG direction = CD_ANY;
};
LiveSet& LiveClips();
HostClip* FromClipobj(CLIPOBJ* co);
// A clip from rectangles in device pixels; `clipped` false means the drawing
// is not clipped at all (trivial clip). bounds: what is drawn.
std::unique_ptr<HostClip> MakeClip(bool clipped, std::vector<RECTL> rects, const RECTL& surface);
void ReleaseClip(std::unique_ptr<HostClip>& clip);

// ---- brushes ----------------------------------------------------------------

struct HostBrush {
    BRUSHOBJ bo{};
    HostDevice* device = nullptr;
    SURFOBJ* target = nullptr;
    HostSurface* pattern = nullptr;       // hatch or pattern bits; owned unless borrowed
    bool patternOwned = false;
    HostXlate* patternXlate = nullptr;
    std::unique_ptr<HostXlate> ownedXlate;
    ULONG hatch = 0;
    COLORREF rgb = 0;                     // solid colour, or hatch foreground
    bool realizeFailed = false;
    std::vector<uint8_t> realization;
};
LiveSet& LiveBrushes();
HostBrush* FromBrushobj(BRUSHOBJ* bo);

// ---- fonts and strings ------------------------------------------------------

struct GlyphEntry {
    std::vector<uint8_t> bits;     // GLYPHBITS block
    HostPath* outline = nullptr;
    GLYPHDATA data{};
    GLYPHDEF def{};
};

struct HostFont {
    FONTOBJ fo{};
    HostDevice* device = nullptr;
    bool deviceFont = false;
    HDC dc = nullptr;            // memory DC with the engine font selected
    HFONT font = nullptr;
    HGDIOBJ oldFont = nullptr;
    std::vector<uint8_t> ifi;    // IFIMETRICS block
    std::vector<uint8_t> glyphSet;
    FD_GLYPHSET* deviceGlyphSet = nullptr;
    std::unique_ptr<HostXform> xform;
    double emUnits = 2048;
    ULONG glyphMode = FO_GLYPHBITS;
    std::map<HGLYPH, std::unique_ptr<GlyphEntry>> bitmaps;
    std::map<HGLYPH, std::unique_ptr<GlyphEntry>> outlines;
    std::vector<BYTE> glyphRoom;   // room for the font's largest glyph bitmap
    std::vector<uint8_t> fontFile;
    GLYPHDATA lastDeviceGlyph{};
    std::vector<uint8_t> lastDeviceGlyphBits;
};
LiveSet& LiveFonts();
HostFont* FromFontobj(FONTOBJ* fo);
// An engine (TrueType) font realised at a device size; lf heights are device pixels.
std::unique_ptr<HostFont> MakeEngineFont(HostDevice* device, const LOGFONTW& lf, const XFORM& toDevice);
// A device font of the driver (face index 1-based) at the size lf asks for
// in device pixels; null when the driver does not answer for it.
std::unique_ptr<HostFont> MakeDeviceFont(HostDevice* device, ULONG face, const LOGFONTW& lf);
// Advance widths of glyphs of a device font in device pixels (DrvQueryAdvanceWidths);
// false when the driver gives none.
bool DeviceAdvanceWidths(HostFont& font, const std::vector<HGLYPH>& glyphs, std::vector<double>* widths);
void ReleaseFont(std::unique_ptr<HostFont>& font);
// Glyph handles of characters in an engine or device font (0 when absent).
std::vector<HGLYPH> GlyphHandles(HostFont& font, const std::wstring& text, bool glyphIndices);

// Windows' engine hands a string over in batches no larger than the glyphs
// its cache holds at once; the glyph data of a batch lives until the next
// enumeration call. The host's batch is 64 glyphs.
constexpr size_t kGlyphBatch = 64;

struct HostString {
    STROBJ so{};
    HostFont* font = nullptr;
    std::vector<GLYPHPOS> glyphs;
    std::wstring text;
    size_t cursor = 0;
    // The current batch's glyph definitions and bits: every batch takes the
    // same slots, so what a driver keeps of an earlier batch is gone.
    std::vector<GLYPHDEF> batchDefs;
    std::vector<std::vector<uint8_t>> batchBits;
};
LiveSet& LiveStrings();
HostString* FromStrobj(STROBJ* so);

} // namespace printhost
