#include "printhost/metafile_check.h"

#include "printhost/page_comment.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace printhost {

namespace {

// The smallest header a metafile may have (the header before the
// description, palette and OpenGL extensions).
constexpr size_t kMinimumHeader = offsetof(ENHMETAHEADER, cbPixelFormat);

// Record types by name, for messages; the minimum size is the fixed part GDI
// reads before any count (0: the EMR alone).
struct RecordRule {
    DWORD type;
    const wchar_t* name;
    size_t minimum;
};

// The pen record as stored in a metafile (mingw-w64 declares it with the
// pointer-sized hatch of the in-memory pen).
struct StoredExtCreatePen {
    EMR emr;
    DWORD ihPen, offBmi, cbBmi, offBits, cbBits;
    EXTLOGPEN32 elp;
};

// The small text record Windows writes for short strings without spacing.
struct StoredSmallTextOut {
    EMR emr;
    POINTL ptlReference;
    DWORD cChars;
    DWORD fuOptions;
    DWORD iGraphicsMode;
    FLOAT exScale;
    FLOAT eyScale;
};
// Record types and a mode mingw-w64 leaves out of its headers.
constexpr DWORD kEmrDrawEscape = 105;
constexpr DWORD kEmrExtEscape = 106;
constexpr DWORD kEmrSmallTextOut = 108;
constexpr DWORD kEmrNamedEscape = 110;
constexpr DWORD kModifySet = 4;   // kModifySet
constexpr DWORD kSmallTextNoRect = 0x100;
constexpr DWORD kSmallTextBytes = 0x200;

constexpr RecordRule kRules[] = {
    {EMR_POLYBEZIER, L"EMR_POLYBEZIER", offsetof(EMRPOLYLINE, aptl)},
    {EMR_POLYGON, L"EMR_POLYGON", offsetof(EMRPOLYLINE, aptl)},
    {EMR_POLYLINE, L"EMR_POLYLINE", offsetof(EMRPOLYLINE, aptl)},
    {EMR_POLYBEZIERTO, L"EMR_POLYBEZIERTO", offsetof(EMRPOLYLINE, aptl)},
    {EMR_POLYLINETO, L"EMR_POLYLINETO", offsetof(EMRPOLYLINE, aptl)},
    {EMR_POLYPOLYLINE, L"EMR_POLYPOLYLINE", offsetof(EMRPOLYPOLYLINE, aPolyCounts)},
    {EMR_POLYPOLYGON, L"EMR_POLYPOLYGON", offsetof(EMRPOLYPOLYLINE, aPolyCounts)},
    {EMR_SETWINDOWEXTEX, L"EMR_SETWINDOWEXTEX", sizeof(EMRSETWINDOWEXTEX)},
    {EMR_SETWINDOWORGEX, L"EMR_SETWINDOWORGEX", sizeof(EMRSETWINDOWORGEX)},
    {EMR_SETVIEWPORTEXTEX, L"EMR_SETVIEWPORTEXTEX", sizeof(EMRSETVIEWPORTEXTEX)},
    {EMR_SETVIEWPORTORGEX, L"EMR_SETVIEWPORTORGEX", sizeof(EMRSETVIEWPORTORGEX)},
    {EMR_SETBRUSHORGEX, L"EMR_SETBRUSHORGEX", sizeof(EMRSETBRUSHORGEX)},
    {EMR_EOF, L"EMR_EOF", sizeof(EMREOF)},
    {EMR_SETPIXELV, L"EMR_SETPIXELV", sizeof(EMRSETPIXELV)},
    {EMR_SETMAPPERFLAGS, L"EMR_SETMAPPERFLAGS", sizeof(EMRSETMAPPERFLAGS)},
    {EMR_SETMAPMODE, L"EMR_SETMAPMODE", sizeof(EMRSETMAPMODE)},
    {EMR_SETBKMODE, L"EMR_SETBKMODE", sizeof(EMRSETBKMODE)},
    {EMR_SETPOLYFILLMODE, L"EMR_SETPOLYFILLMODE", sizeof(EMRSETPOLYFILLMODE)},
    {EMR_SETROP2, L"EMR_SETROP2", sizeof(EMRSETROP2)},
    {EMR_SETSTRETCHBLTMODE, L"EMR_SETSTRETCHBLTMODE", sizeof(EMRSETSTRETCHBLTMODE)},
    {EMR_SETTEXTALIGN, L"EMR_SETTEXTALIGN", sizeof(EMRSETTEXTALIGN)},
    {EMR_SETCOLORADJUSTMENT, L"EMR_SETCOLORADJUSTMENT", sizeof(EMRSETCOLORADJUSTMENT)},
    {EMR_SETTEXTCOLOR, L"EMR_SETTEXTCOLOR", sizeof(EMRSETTEXTCOLOR)},
    {EMR_SETBKCOLOR, L"EMR_SETBKCOLOR", sizeof(EMRSETBKCOLOR)},
    {EMR_OFFSETCLIPRGN, L"EMR_OFFSETCLIPRGN", sizeof(EMROFFSETCLIPRGN)},
    {EMR_MOVETOEX, L"EMR_MOVETOEX", sizeof(EMRMOVETOEX)},
    {EMR_SETMETARGN, L"EMR_SETMETARGN", sizeof(EMR)},
    {EMR_EXCLUDECLIPRECT, L"EMR_EXCLUDECLIPRECT", sizeof(EMREXCLUDECLIPRECT)},
    {EMR_INTERSECTCLIPRECT, L"EMR_INTERSECTCLIPRECT", sizeof(EMRINTERSECTCLIPRECT)},
    {EMR_SCALEVIEWPORTEXTEX, L"EMR_SCALEVIEWPORTEXTEX", sizeof(EMRSCALEVIEWPORTEXTEX)},
    {EMR_SCALEWINDOWEXTEX, L"EMR_SCALEWINDOWEXTEX", sizeof(EMRSCALEWINDOWEXTEX)},
    {EMR_SAVEDC, L"EMR_SAVEDC", sizeof(EMR)},
    {EMR_RESTOREDC, L"EMR_RESTOREDC", sizeof(EMRRESTOREDC)},
    {EMR_SETWORLDTRANSFORM, L"EMR_SETWORLDTRANSFORM", sizeof(EMRSETWORLDTRANSFORM)},
    {EMR_MODIFYWORLDTRANSFORM, L"EMR_MODIFYWORLDTRANSFORM", sizeof(EMRMODIFYWORLDTRANSFORM)},
    {EMR_SELECTOBJECT, L"EMR_SELECTOBJECT", sizeof(EMRSELECTOBJECT)},
    {EMR_CREATEPEN, L"EMR_CREATEPEN", sizeof(EMRCREATEPEN)},
    {EMR_CREATEBRUSHINDIRECT, L"EMR_CREATEBRUSHINDIRECT", sizeof(EMRCREATEBRUSHINDIRECT)},
    {EMR_DELETEOBJECT, L"EMR_DELETEOBJECT", sizeof(EMRDELETEOBJECT)},
    {EMR_ANGLEARC, L"EMR_ANGLEARC", sizeof(EMRANGLEARC)},
    {EMR_ELLIPSE, L"EMR_ELLIPSE", sizeof(EMRELLIPSE)},
    {EMR_RECTANGLE, L"EMR_RECTANGLE", sizeof(EMRRECTANGLE)},
    {EMR_ROUNDRECT, L"EMR_ROUNDRECT", sizeof(EMRROUNDRECT)},
    {EMR_ARC, L"EMR_ARC", sizeof(EMRARC)},
    {EMR_CHORD, L"EMR_CHORD", sizeof(EMRCHORD)},
    {EMR_PIE, L"EMR_PIE", sizeof(EMRPIE)},
    {EMR_SELECTPALETTE, L"EMR_SELECTPALETTE", sizeof(EMRSELECTPALETTE)},
    {EMR_CREATEPALETTE, L"EMR_CREATEPALETTE", offsetof(EMRCREATEPALETTE, lgpl.palPalEntry)},
    {EMR_SETPALETTEENTRIES, L"EMR_SETPALETTEENTRIES", offsetof(EMRSETPALETTEENTRIES, aPalEntries)},
    {EMR_RESIZEPALETTE, L"EMR_RESIZEPALETTE", sizeof(EMRRESIZEPALETTE)},
    {EMR_REALIZEPALETTE, L"EMR_REALIZEPALETTE", sizeof(EMR)},
    {EMR_EXTFLOODFILL, L"EMR_EXTFLOODFILL", sizeof(EMREXTFLOODFILL)},
    {EMR_LINETO, L"EMR_LINETO", sizeof(EMRLINETO)},
    {EMR_ARCTO, L"EMR_ARCTO", sizeof(EMRARCTO)},
    {EMR_POLYDRAW, L"EMR_POLYDRAW", offsetof(EMRPOLYDRAW, aptl)},
    {EMR_SETARCDIRECTION, L"EMR_SETARCDIRECTION", sizeof(EMRSETARCDIRECTION)},
    {EMR_SETMITERLIMIT, L"EMR_SETMITERLIMIT", sizeof(EMRSETMITERLIMIT)},
    {EMR_BEGINPATH, L"EMR_BEGINPATH", sizeof(EMR)},
    {EMR_ENDPATH, L"EMR_ENDPATH", sizeof(EMR)},
    {EMR_CLOSEFIGURE, L"EMR_CLOSEFIGURE", sizeof(EMR)},
    {EMR_FILLPATH, L"EMR_FILLPATH", sizeof(EMRFILLPATH)},
    {EMR_STROKEANDFILLPATH, L"EMR_STROKEANDFILLPATH", sizeof(EMRSTROKEANDFILLPATH)},
    {EMR_STROKEPATH, L"EMR_STROKEPATH", sizeof(EMRSTROKEPATH)},
    {EMR_FLATTENPATH, L"EMR_FLATTENPATH", sizeof(EMR)},
    {EMR_WIDENPATH, L"EMR_WIDENPATH", sizeof(EMR)},
    {EMR_SELECTCLIPPATH, L"EMR_SELECTCLIPPATH", sizeof(EMRSELECTCLIPPATH)},
    {EMR_ABORTPATH, L"EMR_ABORTPATH", sizeof(EMR)},
    {EMR_GDICOMMENT, L"EMR_GDICOMMENT", offsetof(EMRGDICOMMENT, Data)},
    {EMR_FILLRGN, L"EMR_FILLRGN", offsetof(EMRFILLRGN, RgnData)},
    {EMR_FRAMERGN, L"EMR_FRAMERGN", offsetof(EMRFRAMERGN, RgnData)},
    {EMR_INVERTRGN, L"EMR_INVERTRGN", offsetof(EMRINVERTRGN, RgnData)},
    {EMR_PAINTRGN, L"EMR_PAINTRGN", offsetof(EMRPAINTRGN, RgnData)},
    {EMR_EXTSELECTCLIPRGN, L"EMR_EXTSELECTCLIPRGN", offsetof(EMREXTSELECTCLIPRGN, RgnData)},
    {EMR_BITBLT, L"EMR_BITBLT", sizeof(EMRBITBLT)},
    {EMR_STRETCHBLT, L"EMR_STRETCHBLT", sizeof(EMRSTRETCHBLT)},
    {EMR_MASKBLT, L"EMR_MASKBLT", sizeof(EMRMASKBLT)},
    {EMR_PLGBLT, L"EMR_PLGBLT", sizeof(EMRPLGBLT)},
    {EMR_SETDIBITSTODEVICE, L"EMR_SETDIBITSTODEVICE", sizeof(EMRSETDIBITSTODEVICE)},
    {EMR_STRETCHDIBITS, L"EMR_STRETCHDIBITS", sizeof(EMRSTRETCHDIBITS)},
    {EMR_EXTCREATEFONTINDIRECTW, L"EMR_EXTCREATEFONTINDIRECTW", offsetof(EMREXTCREATEFONTINDIRECTW, elfw) + sizeof(LOGFONTW)},
    {EMR_EXTTEXTOUTA, L"EMR_EXTTEXTOUTA", sizeof(EMREXTTEXTOUTA)},
    {EMR_EXTTEXTOUTW, L"EMR_EXTTEXTOUTW", sizeof(EMREXTTEXTOUTW)},
    {EMR_POLYBEZIER16, L"EMR_POLYBEZIER16", offsetof(EMRPOLYLINE16, apts)},
    {EMR_POLYGON16, L"EMR_POLYGON16", offsetof(EMRPOLYLINE16, apts)},
    {EMR_POLYLINE16, L"EMR_POLYLINE16", offsetof(EMRPOLYLINE16, apts)},
    {EMR_POLYBEZIERTO16, L"EMR_POLYBEZIERTO16", offsetof(EMRPOLYLINE16, apts)},
    {EMR_POLYLINETO16, L"EMR_POLYLINETO16", offsetof(EMRPOLYLINE16, apts)},
    {EMR_POLYPOLYLINE16, L"EMR_POLYPOLYLINE16", offsetof(EMRPOLYPOLYLINE16, aPolyCounts)},
    {EMR_POLYPOLYGON16, L"EMR_POLYPOLYGON16", offsetof(EMRPOLYPOLYLINE16, aPolyCounts)},
    {EMR_POLYDRAW16, L"EMR_POLYDRAW16", offsetof(EMRPOLYDRAW16, apts)},
    {EMR_CREATEMONOBRUSH, L"EMR_CREATEMONOBRUSH", sizeof(EMRCREATEMONOBRUSH)},
    {EMR_CREATEDIBPATTERNBRUSHPT, L"EMR_CREATEDIBPATTERNBRUSHPT", sizeof(EMRCREATEDIBPATTERNBRUSHPT)},
    {EMR_EXTCREATEPEN, L"EMR_EXTCREATEPEN", offsetof(StoredExtCreatePen, elp.elpStyleEntry)},
    {EMR_POLYTEXTOUTA, L"EMR_POLYTEXTOUTA", offsetof(EMRPOLYTEXTOUTA, aemrtext)},
    {EMR_POLYTEXTOUTW, L"EMR_POLYTEXTOUTW", offsetof(EMRPOLYTEXTOUTW, aemrtext)},
    {EMR_SETICMMODE, L"EMR_SETICMMODE", sizeof(EMRSETICMMODE)},
    {EMR_CREATECOLORSPACE, L"EMR_CREATECOLORSPACE", sizeof(EMRCREATECOLORSPACE)},
    {EMR_SETCOLORSPACE, L"EMR_SETCOLORSPACE", sizeof(EMRSETCOLORSPACE)},
    {EMR_DELETECOLORSPACE, L"EMR_DELETECOLORSPACE", sizeof(EMRDELETECOLORSPACE)},
    {EMR_GLSRECORD, L"EMR_GLSRECORD", offsetof(EMRGLSRECORD, Data)},
    {EMR_GLSBOUNDEDRECORD, L"EMR_GLSBOUNDEDRECORD", offsetof(EMRGLSBOUNDEDRECORD, Data)},
    {EMR_PIXELFORMAT, L"EMR_PIXELFORMAT", sizeof(EMRPIXELFORMAT)},
    {kEmrDrawEscape, L"EMR_DRAWESCAPE", offsetof(EMREXTESCAPE, EscData)},
    {kEmrExtEscape, L"EMR_EXTESCAPE", offsetof(EMREXTESCAPE, EscData)},
    {kEmrNamedEscape, L"EMR_NAMEDESCAPE", offsetof(EMRNAMEDESCAPE, EscData)},
    {kEmrSmallTextOut, L"EMR_SMALLTEXTOUT", sizeof(StoredSmallTextOut)},
    {EMR_COLORCORRECTPALETTE, L"EMR_COLORCORRECTPALETTE", sizeof(EMRCOLORCORRECTPALETTE)},
    {EMR_SETICMPROFILEA, L"EMR_SETICMPROFILEA", offsetof(EMRSETICMPROFILE, Data)},
    {EMR_SETICMPROFILEW, L"EMR_SETICMPROFILEW", offsetof(EMRSETICMPROFILE, Data)},
    {EMR_ALPHABLEND, L"EMR_ALPHABLEND", sizeof(EMRALPHABLEND)},
    {EMR_SETLAYOUT, L"EMR_SETLAYOUT", sizeof(EMRSETLAYOUT)},
    {EMR_TRANSPARENTBLT, L"EMR_TRANSPARENTBLT", sizeof(EMRTRANSPARENTBLT)},
    {EMR_GRADIENTFILL, L"EMR_GRADIENTFILL", offsetof(EMRGRADIENTFILL, Ver)},
    {EMR_COLORMATCHTOTARGETW, L"EMR_COLORMATCHTOTARGETW", offsetof(EMRCOLORMATCHTOTARGET, Data)},
    {EMR_CREATECOLORSPACEW, L"EMR_CREATECOLORSPACEW", offsetof(EMRCREATECOLORSPACEW, Data)},
};

const RecordRule* RuleOf(DWORD type)
{
    for (const RecordRule& rule : kRules)
        if (rule.type == type) return &rule;
    return nullptr;
}

// What the checks carry from record to record: the handle table, the world
// transform as far as the records set it (with SaveDC levels) and the size the
// current path may have reached.
struct PageFacts {
    DWORD handles = 0;
    std::vector<XFORM> transforms{XFORM{1, 0, 0, 1, 0, 0}};
    uint64_t pathPoints = 0;
};

// One record's bytes; every read goes through Holds first.
struct RecordView {
    const BYTE* data;
    size_t size;
    bool Holds(uint64_t offset, uint64_t bytes) const { return offset <= size && bytes <= size - offset; }
    template <typename T> const T& As() const { return *reinterpret_cast<const T*>(data); }
    template <typename T> const T* At(size_t offset) const { return reinterpret_cast<const T*>(data + offset); }
};

using Fault = std::wstring;   // empty: no fault

bool IsStock(DWORD index) { return (index & 0x80000000) && (index & 0x7FFFFFFF) <= STOCK_LAST; }

Fault CreatedIndex(const PageFacts& f, DWORD index)
{
    if (index == 0 || index >= f.handles)
        return L"object index " + std::to_wstring(index) + L" is outside the handle table of " + std::to_wstring(f.handles);
    return {};
}

Fault UsedIndex(const PageFacts& f, DWORD index)
{
    return IsStock(index) ? Fault{} : CreatedIndex(f, index);
}

bool Finite(float v) { return std::isfinite(v); }

// Transforms stay finite and within a scale GDI can work with, so that no
// coordinate computed from them overflows into infinity or NaN.
bool SaneTransform(const XFORM& x)
{
    const float m[4] = {x.eM11, x.eM12, x.eM21, x.eM22};
    for (float v : m)
        if (!Finite(v) || std::fabs(v) > 1e6f) return false;
    return Finite(x.eDx) && Finite(x.eDy) && std::fabs(x.eDx) <= 1e9f && std::fabs(x.eDy) <= 1e9f;
}

bool InCoordinateRange(LONG v) { return v >= -kMaxCoordinate && v <= kMaxCoordinate; }

Fault RectangleFault(LONG x, LONG y, LONG cx, LONG cy)
{
    for (LONG v : {x, y, cx, cy})
        if (!InCoordinateRange(v)) return L"a coordinate or extent is outside GDI's range";
    return {};
}

// Colour masks GDI accepts: each one run of bits, within the depth, none
// overlapping another.
bool SaneMasks(const DWORD masks[3], DWORD bits)
{
    DWORD seen = 0;
    for (int i = 0; i < 3; ++i) {
        const DWORD m = masks[i];
        if (m == 0 || (bits < 32 && (m >> bits) != 0) || (m & seen)) return false;
        const DWORD low = m & (~m + 1);
        if (((m + low) & m) != 0) return false;   // not one run of bits
        seen |= m;
    }
    return true;
}

// Rows a DIB's bits must hold: stride times rows for plain data; the declared
// image size for run-length data.
// A mask is read as bits alone: it needs no colour table.
Fault DibFault(const RecordView& r, DWORD usage, DWORD offBmi, DWORD cbBmi, DWORD offBits, DWORD cbBits, int64_t rows = -1,
               bool mask = false)
{
    if (!r.Holds(offBmi, cbBmi) || !r.Holds(offBits, cbBits)) return L"the bitmap lies outside the record";
    if (usage != DIB_RGB_COLORS && usage != DIB_PAL_COLORS) return L"the bitmap's colour usage is unknown";
    if (cbBmi < sizeof(BITMAPCOREHEADER)) return L"the bitmap header is too short";
    const DWORD headerSize = *r.At<DWORD>(offBmi);
    if (headerSize > cbBmi) return L"the bitmap header is larger than its room";
    int64_t width = 0;
    int64_t height = 0;
    DWORD bits = 0;
    DWORD planes = 0;
    DWORD compression = BI_RGB;
    DWORD used = 0;
    DWORD imageSize = 0;
    size_t entryBytes = usage == DIB_PAL_COLORS ? 2 : 4;
    if (headerSize == sizeof(BITMAPCOREHEADER)) {
        const auto& h = *r.At<BITMAPCOREHEADER>(offBmi);
        width = h.bcWidth;
        height = h.bcHeight;
        bits = h.bcBitCount;
        planes = h.bcPlanes;
        if (usage == DIB_RGB_COLORS) entryBytes = 3;
    } else if (headerSize >= sizeof(BITMAPINFOHEADER)) {
        const auto& h = *r.At<BITMAPINFOHEADER>(offBmi);
        width = h.biWidth;
        height = h.biHeight;
        bits = h.biBitCount;
        planes = h.biPlanes;
        compression = h.biCompression;
        used = h.biClrUsed;
        imageSize = h.biSizeImage;
    } else {
        return L"the bitmap header has an unknown size";
    }
    if (planes != 1) return L"the bitmap has more than one plane";
    if (width <= 0 || width > 0x10000 || height == 0 || height > 0x10000 || height < -0x10000)
        return L"the bitmap's size is out of range";
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return L"the bitmap's depth is unknown";
    const DWORD maxEntries = bits <= 8 ? DWORD(1) << bits : 256;
    if (used > maxEntries) return L"the bitmap's colour table is too long";
    const size_t entries = mask ? 0 : used ? used : (bits <= 8 ? maxEntries : 0);
    size_t masks = 0;
    if (compression == BI_BITFIELDS) {
        if (bits != 16 && bits != 32) return L"colour masks on a bitmap that is not 16 or 32 bits deep";
        // The masks follow a plain header; larger headers hold them at the same place.
        constexpr size_t kMasksEnd = sizeof(BITMAPINFOHEADER) + 3 * sizeof(DWORD);
        if (headerSize < kMasksEnd) masks = kMasksEnd - headerSize;
    } else if (compression == BI_RLE8 || compression == BI_RLE4) {
        if (bits != (compression == BI_RLE8 ? 8u : 4u) || height < 0) return L"a run-length bitmap of the wrong depth";
        if (imageSize == 0 || imageSize > cbBits) return L"the run-length data is outside the record";
    } else if (compression != BI_RGB) {
        return L"the bitmap's compression is not supported";
    }
    if (uint64_t(headerSize) + masks + entries * entryBytes > cbBmi) return L"the bitmap's colour table is cut short";
    if (compression == BI_BITFIELDS &&
        !SaneMasks(r.At<DWORD>(offBmi + sizeof(BITMAPINFOHEADER)), bits))
        return L"the bitmap's colour masks are empty, overlap or are not runs of bits";
    if (compression == BI_RGB || compression == BI_BITFIELDS) {
        const uint64_t stride = ((uint64_t(width) * bits + 31) / 32) * 4;
        const uint64_t needed = stride * uint64_t(rows >= 0 ? rows : (height < 0 ? -height : height));
        if (needed > cbBits) return L"the bitmap's bits are shorter than its rows";
    }
    return {};
}

// A record without a bitmap has both its offset and its size 0: GDI's own
// playback tells the two cases apart by either field.
bool NoBitmap(DWORD offBmi, DWORD cbBmi) { return offBmi == 0 && cbBmi == 0; }

// A raster operation that reads its source (the ROP3 differs when S is flipped).
bool UsesSource(DWORD rop) { return ((rop >> 2) ^ rop) & 0x330000; }

Fault BltFault(const RecordView& r, const EMRSTRETCHBLT& b, bool stretched)
{
    if (Fault f = RectangleFault(b.xDest, b.yDest, b.cxDest, b.cyDest); !f.empty()) return f;
    if (Fault f = RectangleFault(b.xSrc, b.ySrc, stretched ? b.cxSrc : 0, stretched ? b.cySrc : 0); !f.empty()) return f;
    if (!SaneTransform(b.xformSrc)) return L"the source transform is not finite";
    if (NoBitmap(b.offBmiSrc, b.cbBmiSrc))
        return UsesSource(b.dwRop) ? L"the raster operation needs a source the record lacks" : Fault{};
    // A source taken from a device context is stored with its colours.
    if (b.iUsageSrc != DIB_RGB_COLORS) return L"the source bitmap does not carry its colours";
    return DibFault(r, b.iUsageSrc, b.offBmiSrc, b.cbBmiSrc, b.offBitsSrc, b.cbBitsSrc);
}

// A bitmap a record may leave out (a mask, or a source the raster operation
// does not read); a source, when present, carries its colours (a one-bit
// mask is stored with palette indexes).
Fault OptionalDibFault(const RecordView& r, DWORD usage, DWORD offBmi, DWORD cbBmi, DWORD offBits, DWORD cbBits,
                       bool isSource)
{
    if (NoBitmap(offBmi, cbBmi)) return {};
    if (isSource && usage != DIB_RGB_COLORS) return L"the bitmap does not carry its colours";
    // GDI reads a mask as bits only, whatever its usage field says.
    return DibFault(r, isSource ? usage : DIB_RGB_COLORS, offBmi, cbBmi, offBits, cbBits, -1, !isSource);
}

Fault RegionFault(const RecordView& r, size_t at, DWORD cbRgnData)
{
    if (!r.Holds(at, cbRgnData)) return L"the region data lies outside the record";
    if (cbRgnData < sizeof(RGNDATAHEADER)) return L"the region data is shorter than its header";
    const auto& h = *r.At<RGNDATAHEADER>(at);
    if (h.dwSize != sizeof(RGNDATAHEADER) || h.iType != RDH_RECTANGLES) return L"the region header is malformed";
    if (h.nCount > (cbRgnData - sizeof(RGNDATAHEADER)) / sizeof(RECT)) return L"the region has more rectangles than bytes";
    return {};
}

// Points a path gains from a record, roughly: what bounds the growth, not GDI's exact count.
constexpr uint64_t kCurvePoints = 64;
constexpr uint64_t kWidenGrowth = 16;

Fault AddPathPoints(PageFacts& f, uint64_t points)
{
    f.pathPoints += points;
    if (f.pathPoints > kMaxPathPoints) return L"the page's path grows past " + std::to_wstring(kMaxPathPoints) + L" points";
    return {};
}

template <typename P>
Fault PolyFault(const RecordView& r, PageFacts& f, size_t head)
{
    const DWORD count = *r.At<DWORD>(head - sizeof(DWORD));
    if (!r.Holds(head, uint64_t(count) * sizeof(P))) return L"the record is shorter than its " + std::to_wstring(count) + L" points";
    return AddPathPoints(f, count);
}

template <typename P>
Fault PolyPolyFault(const RecordView& r, PageFacts& f, size_t head)
{
    const auto& rec = r.As<EMRPOLYPOLYLINE>();
    if (!r.Holds(head, uint64_t(rec.nPolys) * sizeof(DWORD))) return L"the record is shorter than its polygon counts";
    uint64_t total = 0;
    for (DWORD i = 0; i < rec.nPolys; ++i) total += r.At<DWORD>(head)[i];
    if (total != rec.cptl) return L"the polygon counts do not add up to the point count";
    if (!r.Holds(head + size_t(rec.nPolys) * sizeof(DWORD), total * sizeof(P))) return L"the record is shorter than its points";
    return AddPathPoints(f, total);
}

template <typename P>
Fault PolyDrawFault(const RecordView& r, PageFacts& f, size_t head)
{
    const DWORD count = *r.At<DWORD>(head - sizeof(DWORD));
    if (!r.Holds(head, uint64_t(count) * (sizeof(P) + 1))) return L"the record is shorter than its points and types";
    const BYTE* types = r.data + head + size_t(count) * sizeof(P);
    for (DWORD i = 0; i < count; ++i) {
        const BYTE t = types[i] & ~PT_CLOSEFIGURE;
        if (t == PT_BEZIERTO) {
            if (i + 2 >= count || (types[i + 1] & ~PT_CLOSEFIGURE) != PT_BEZIERTO ||
                (types[i + 2] & ~PT_CLOSEFIGURE) != PT_BEZIERTO)
                return L"a Bezier segment of the record lacks its points";
            i += 2;
        } else if (t != PT_MOVETO && t != PT_LINETO) {
            return L"a point type of the record is unknown";
        }
    }
    return AddPathPoints(f, count);
}

Fault TextFault(const RecordView& r, const EMRTEXT& t, size_t unit)
{
    if (t.nChars > 0x10000) return L"the string is too long";
    if (!r.Holds(t.offString, uint64_t(t.nChars) * unit)) return L"the record is shorter than its string";
    const uint64_t dx = (t.fOptions & ETO_PDY) ? uint64_t(t.nChars) * 2 : t.nChars;
    if (t.nChars && !r.Holds(t.offDx, dx * sizeof(INT))) return L"the record is shorter than its character spacing";
    return {};
}

Fault ExtTextFault(const RecordView& r, PageFacts& f, size_t unit)
{
    const auto& rec = r.As<EMREXTTEXTOUTW>();
    if (!Finite(rec.exScale) || !Finite(rec.eyScale)) return L"the text scale is not finite";
    if (Fault fault = TextFault(r, rec.emrtext, unit); !fault.empty()) return fault;
    return AddPathPoints(f, uint64_t(rec.emrtext.nChars) * kCurvePoints);
}

Fault PolyTextFault(const RecordView& r, size_t unit)
{
    const auto& rec = r.As<EMRPOLYTEXTOUTW>();
    if (!Finite(rec.exScale) || !Finite(rec.eyScale)) return L"the text scale is not finite";
    const size_t head = offsetof(EMRPOLYTEXTOUTW, aemrtext);
    if (!r.Holds(head, uint64_t(rec.cStrings) * sizeof(EMRTEXT))) return L"the record is shorter than its strings";
    for (LONG i = 0; i < rec.cStrings; ++i)
        if (Fault f = TextFault(r, r.At<EMRTEXT>(head)[i], unit); !f.empty()) return f;
    return {};
}

Fault SmallTextFault(const RecordView& r)
{
    const auto& rec = r.As<StoredSmallTextOut>();
    if (!Finite(rec.exScale) || !Finite(rec.eyScale)) return L"the text scale is not finite";
    const size_t at = sizeof(StoredSmallTextOut) + ((rec.fuOptions & kSmallTextNoRect) ? 0 : sizeof(RECTL));
    const size_t unit = (rec.fuOptions & kSmallTextBytes) ? 1 : sizeof(WCHAR);
    if (!r.Holds(at, uint64_t(rec.cChars) * unit)) return L"the record is shorter than its string";
    return {};
}

Fault GradientFault(const RecordView& r)
{
    const auto& rec = r.As<EMRGRADIENTFILL>();
    const size_t head = offsetof(EMRGRADIENTFILL, Ver);
    if (rec.ulMode != GRADIENT_FILL_RECT_H && rec.ulMode != GRADIENT_FILL_RECT_V && rec.ulMode != GRADIENT_FILL_TRIANGLE)
        return L"the gradient mode is unknown";
    const size_t corners = rec.ulMode == GRADIENT_FILL_TRIANGLE ? 3 : 2;
    const uint64_t vertexBytes = uint64_t(rec.nVer) * sizeof(TRIVERTEX);
    if (!r.Holds(head, vertexBytes) || !r.Holds(head + vertexBytes, uint64_t(rec.nTri) * corners * sizeof(ULONG)))
        return L"the record is shorter than its vertices and shapes";
    const ULONG* index = r.At<ULONG>(head + size_t(vertexBytes));
    for (uint64_t i = 0; i < uint64_t(rec.nTri) * corners; ++i)
        if (index[i] >= rec.nVer) return L"a gradient shape names a vertex the record lacks";
    return {};
}

Fault TransformFault(PageFacts& f, const XFORM& given, DWORD mode)
{
    XFORM& current = f.transforms.back();
    switch (mode) {
    case MWT_IDENTITY: current = XFORM{1, 0, 0, 1, 0, 0}; return {};
    case MWT_LEFTMULTIPLY: if (!SaneTransform(given)) break; current = Multiply(given, current); break;
    case MWT_RIGHTMULTIPLY: if (!SaneTransform(given)) break; current = Multiply(current, given); break;
    case kModifySet: if (!SaneTransform(given)) break; current = given; break;
    default: return L"the transform mode is unknown";
    }
    if (!SaneTransform(given) || !SaneTransform(current)) return L"the world transform is not finite or out of range";
    return {};
}

Fault PenFault(const RecordView& r, const PageFacts& f)
{
    const auto& rec = r.As<StoredExtCreatePen>();
    if (Fault fault = CreatedIndex(f, rec.ihPen); !fault.empty()) return fault;
    const size_t head = offsetof(StoredExtCreatePen, elp.elpStyleEntry);
    if (rec.elp.elpNumEntries > 16 || !r.Holds(head, uint64_t(rec.elp.elpNumEntries) * sizeof(DWORD)))
        return L"the pen's dash entries lie outside the record";
    if (rec.elp.elpBrushStyle == BS_DIBPATTERN || rec.elp.elpBrushStyle == BS_DIBPATTERNPT)
        return DibFault(r, rec.elp.elpColor == DIB_PAL_COLORS ? DIB_PAL_COLORS : DIB_RGB_COLORS, rec.offBmi, rec.cbBmi,
                        rec.offBits, rec.cbBits);
    if (!NoBitmap(rec.offBmi, rec.cbBmi) && !r.Holds(rec.offBmi, rec.cbBmi)) return L"the pen's bitmap lies outside the record";
    return {};
}

// Checks one record's contents; the minimum size has been checked.
Fault RecordFault(const RecordView& r, DWORD type, PageFacts& f)
{
    switch (type) {
    case EMR_POLYBEZIER: case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYBEZIERTO: case EMR_POLYLINETO:
        return PolyFault<POINTL>(r, f, offsetof(EMRPOLYLINE, aptl));
    case EMR_POLYBEZIER16: case EMR_POLYGON16: case EMR_POLYLINE16: case EMR_POLYBEZIERTO16: case EMR_POLYLINETO16:
        return PolyFault<POINTS>(r, f, offsetof(EMRPOLYLINE16, apts));
    case EMR_POLYPOLYLINE: case EMR_POLYPOLYGON:
        return PolyPolyFault<POINTL>(r, f, offsetof(EMRPOLYPOLYLINE, aPolyCounts));
    case EMR_POLYPOLYLINE16: case EMR_POLYPOLYGON16:
        return PolyPolyFault<POINTS>(r, f, offsetof(EMRPOLYPOLYLINE16, aPolyCounts));
    case EMR_POLYDRAW: return PolyDrawFault<POINTL>(r, f, offsetof(EMRPOLYDRAW, aptl));
    case EMR_POLYDRAW16: return PolyDrawFault<POINTS>(r, f, offsetof(EMRPOLYDRAW16, apts));
    case EMR_LINETO: case EMR_MOVETOEX: return AddPathPoints(f, 1);
    case EMR_RECTANGLE: return AddPathPoints(f, 5);
    case EMR_ELLIPSE: case EMR_ROUNDRECT: case EMR_ARC: case EMR_ARCTO: case EMR_CHORD: case EMR_PIE:
        return AddPathPoints(f, kCurvePoints);
    case EMR_ANGLEARC: {
        const auto& rec = r.As<EMRANGLEARC>();
        if (!Finite(rec.eStartAngle) || !Finite(rec.eSweepAngle) || std::fabs(rec.eSweepAngle) > 1e6f ||
            std::fabs(rec.eStartAngle) > 1e6f || rec.nRadius > DWORD(kMaxCoordinate))
            return L"the arc's angles or radius are out of range";
        return AddPathPoints(f, kCurvePoints);
    }
    case EMR_BEGINPATH: case EMR_ABORTPATH: f.pathPoints = 0; return {};
    case EMR_WIDENPATH: return AddPathPoints(f, f.pathPoints * (kWidenGrowth - 1) + kCurvePoints);
    case EMR_FLATTENPATH: return AddPathPoints(f, f.pathPoints * (kCurvePoints - 1));
    case EMR_SETMITERLIMIT: {
        const float limit = r.As<EMRSETMITERLIMIT>().eMiterLimit;
        return Finite(limit) && std::fabs(limit) <= 1e6f ? Fault{} : L"the miter limit is not finite";
    }
    case EMR_SETWORLDTRANSFORM: return TransformFault(f, r.As<EMRSETWORLDTRANSFORM>().xform, kModifySet);
    case EMR_MODIFYWORLDTRANSFORM: {
        const auto& rec = r.As<EMRMODIFYWORLDTRANSFORM>();
        return TransformFault(f, rec.xform, rec.iMode);
    }
    case EMR_SAVEDC:
        if (f.transforms.size() > 0x10000) return L"too many saved states";
        f.transforms.push_back(f.transforms.back());
        return {};
    case EMR_RESTOREDC: {
        const LONG level = r.As<EMRRESTOREDC>().iRelative;
        // GDI fails a restore it cannot make and keeps the state as it is.
        const size_t depth = f.transforms.size() - 1;
        if (level < 0 && size_t(-int64_t(level)) <= depth) f.transforms.resize(depth + 1 - size_t(-int64_t(level)));
        if (level > 0 && size_t(level) <= depth) f.transforms.resize(size_t(level));
        return {};
    }
    case EMR_SELECTOBJECT: return UsedIndex(f, r.As<EMRSELECTOBJECT>().ihObject);
    case EMR_DELETEOBJECT: return CreatedIndex(f, r.As<EMRDELETEOBJECT>().ihObject);
    case EMR_SELECTPALETTE: return UsedIndex(f, r.As<EMRSELECTPALETTE>().ihPal);
    case EMR_CREATEPEN: return CreatedIndex(f, r.As<EMRCREATEPEN>().ihPen);
    case EMR_CREATEBRUSHINDIRECT: return CreatedIndex(f, r.As<EMRCREATEBRUSHINDIRECT>().ihBrush);
    case EMR_EXTCREATEFONTINDIRECTW: return CreatedIndex(f, r.As<EMREXTCREATEFONTINDIRECTW>().ihFont);
    case EMR_EXTCREATEPEN: return PenFault(r, f);
    case EMR_CREATEPALETTE: {
        const auto& rec = r.As<EMRCREATEPALETTE>();
        if (Fault fault = CreatedIndex(f, rec.ihPal); !fault.empty()) return fault;
        if (rec.lgpl.palNumEntries > 1024 ||
            !r.Holds(offsetof(EMRCREATEPALETTE, lgpl.palPalEntry), size_t(rec.lgpl.palNumEntries) * sizeof(PALETTEENTRY)))
            return L"the record is shorter than its palette entries";
        return {};
    }
    case EMR_SETPALETTEENTRIES: {
        const auto& rec = r.As<EMRSETPALETTEENTRIES>();
        if (Fault fault = UsedIndex(f, rec.ihPal); !fault.empty()) return fault;
        if (rec.cEntries > 1024 || rec.iStart > 1024 ||
            !r.Holds(offsetof(EMRSETPALETTEENTRIES, aPalEntries), uint64_t(rec.cEntries) * sizeof(PALETTEENTRY)))
            return L"the record is shorter than its palette entries";
        return {};
    }
    case EMR_RESIZEPALETTE: {
        const auto& rec = r.As<EMRRESIZEPALETTE>();
        if (rec.cEntries > 1024) return L"the palette size is out of range";
        return UsedIndex(f, rec.ihPal);
    }
    case EMR_COLORCORRECTPALETTE: return UsedIndex(f, r.As<EMRCOLORCORRECTPALETTE>().ihPalette);
    case EMR_CREATECOLORSPACE: return CreatedIndex(f, r.As<EMRCREATECOLORSPACE>().ihCS);
    case EMR_CREATECOLORSPACEW: {
        const auto& rec = r.As<EMRCREATECOLORSPACEW>();
        if (!r.Holds(offsetof(EMRCREATECOLORSPACEW, Data), rec.cbData)) return L"the colour space data lies outside the record";
        return CreatedIndex(f, rec.ihCS);
    }
    case EMR_SETCOLORSPACE: return UsedIndex(f, r.As<EMRSETCOLORSPACE>().ihCS);
    case EMR_DELETECOLORSPACE: return CreatedIndex(f, r.As<EMRDELETECOLORSPACE>().ihCS);
    case EMR_CREATEMONOBRUSH: case EMR_CREATEDIBPATTERNBRUSHPT: {
        const auto& rec = r.As<EMRCREATEDIBPATTERNBRUSHPT>();
        if (Fault fault = CreatedIndex(f, rec.ihBrush); !fault.empty()) return fault;
        return DibFault(r, type == EMR_CREATEMONOBRUSH ? DIB_RGB_COLORS : rec.iUsage, rec.offBmi, rec.cbBmi, rec.offBits,
                        rec.cbBits);
    }
    case EMR_GDICOMMENT:
        return r.Holds(offsetof(EMRGDICOMMENT, Data), r.As<EMRGDICOMMENT>().cbData) ? Fault{}
                                                                                    : L"the comment lies outside the record";
    case EMR_FILLRGN: {
        // The region records name a brush of the table, never a stock object
        // (GDI's playback reads the table at the index as it is).
        const auto& rec = r.As<EMRFILLRGN>();
        if (Fault fault = CreatedIndex(f, rec.ihBrush); !fault.empty()) return fault;
        return RegionFault(r, offsetof(EMRFILLRGN, RgnData), rec.cbRgnData);
    }
    case EMR_FRAMERGN: {
        const auto& rec = r.As<EMRFRAMERGN>();
        if (Fault fault = CreatedIndex(f, rec.ihBrush); !fault.empty()) return fault;
        if (!InCoordinateRange(rec.szlStroke.cx) || !InCoordinateRange(rec.szlStroke.cy)) return L"the frame size is out of range";
        return RegionFault(r, offsetof(EMRFRAMERGN, RgnData), rec.cbRgnData);
    }
    case EMR_INVERTRGN: return RegionFault(r, offsetof(EMRINVERTRGN, RgnData), r.As<EMRINVERTRGN>().cbRgnData);
    case EMR_PAINTRGN: return RegionFault(r, offsetof(EMRPAINTRGN, RgnData), r.As<EMRPAINTRGN>().cbRgnData);
    case EMR_EXTSELECTCLIPRGN: {
        const auto& rec = r.As<EMREXTSELECTCLIPRGN>();
        if (rec.iMode < RGN_MIN || rec.iMode > RGN_MAX) return L"the clip mode is unknown";
        // A clip removed (RGN_COPY without a region) carries no region data.
        if (rec.cbRgnData == 0) return rec.iMode == RGN_COPY ? Fault{} : L"the clip operation has no region";
        return RegionFault(r, offsetof(EMREXTSELECTCLIPRGN, RgnData), rec.cbRgnData);
    }
    case EMR_SELECTCLIPPATH: {
        const DWORD mode = r.As<EMRSELECTCLIPPATH>().iMode;
        return mode >= RGN_MIN && mode <= RGN_MAX ? Fault{} : L"the clip mode is unknown";
    }
    case EMR_BITBLT: {
        const auto& rec = r.As<EMRBITBLT>();
        EMRSTRETCHBLT wide{};
        std::memcpy(&wide, &rec, sizeof(rec));
        return BltFault(r, wide, false);
    }
    case EMR_STRETCHBLT: return BltFault(r, r.As<EMRSTRETCHBLT>(), true);
    case EMR_ALPHABLEND: case EMR_TRANSPARENTBLT: {
        const auto& rec = r.As<EMRALPHABLEND>();
        if (rec.cbBmiSrc == 0) return L"the record has no source bitmap";
        EMRSTRETCHBLT wide{};
        std::memcpy(&wide, &rec, offsetof(EMRALPHABLEND, cxSrc));
        wide.cxSrc = rec.cxSrc;
        wide.cySrc = rec.cySrc;
        return BltFault(r, wide, true);
    }
    case EMR_MASKBLT: {
        const auto& rec = r.As<EMRMASKBLT>();
        if (Fault fault = RectangleFault(rec.xDest, rec.yDest, rec.cxDest, rec.cyDest); !fault.empty()) return fault;
        if (Fault fault = RectangleFault(rec.xSrc, rec.ySrc, rec.xMask, rec.yMask); !fault.empty()) return fault;
        if (!SaneTransform(rec.xformSrc)) return L"the source transform is not finite";
        if (NoBitmap(rec.offBmiSrc, rec.cbBmiSrc)) {
            if (UsesSource(rec.dwRop) || UsesSource(rec.dwRop >> 8)) return L"the raster operation needs a source the record lacks";
        } else if (Fault fault = OptionalDibFault(r, rec.iUsageSrc, rec.offBmiSrc, rec.cbBmiSrc, rec.offBitsSrc, rec.cbBitsSrc, true);
                   !fault.empty()) {
            return fault;
        }
        return OptionalDibFault(r, rec.iUsageMask, rec.offBmiMask, rec.cbBmiMask, rec.offBitsMask, rec.cbBitsMask, false);
    }
    case EMR_PLGBLT: {
        // GDI's own playback divides by zero for some parallelograms, and the
        // page player has no parallelogram drawing of its own.
        return L"parallelogram blits are not played by the host";
    }
    case EMR_SETDIBITSTODEVICE: {
        const auto& rec = r.As<EMRSETDIBITSTODEVICE>();
        if (Fault fault = RectangleFault(rec.xDest, rec.yDest, LONG(rec.cxSrc), LONG(rec.cySrc)); !fault.empty()) return fault;
        if (Fault fault = RectangleFault(rec.xSrc, rec.ySrc, LONG(rec.iStartScan), LONG(rec.cScans)); !fault.empty())
            return fault;
        if (rec.cbBmiSrc == 0) return L"the record has no source bitmap";
        // A band: the bits hold only the scan lines the record names.
        return DibFault(r, rec.iUsageSrc, rec.offBmiSrc, rec.cbBmiSrc, rec.offBitsSrc, rec.cbBitsSrc, rec.cScans);
    }
    case EMR_STRETCHDIBITS: {
        const auto& rec = r.As<EMRSTRETCHDIBITS>();
        if (Fault fault = RectangleFault(rec.xDest, rec.yDest, rec.cxDest, rec.cyDest); !fault.empty()) return fault;
        if (Fault fault = RectangleFault(rec.xSrc, rec.ySrc, rec.cxSrc, rec.cySrc); !fault.empty()) return fault;
        if (NoBitmap(rec.offBmiSrc, rec.cbBmiSrc))
            return UsesSource(rec.dwRop) ? L"the raster operation needs a source the record lacks" : Fault{};
        return DibFault(r, rec.iUsageSrc, rec.offBmiSrc, rec.cbBmiSrc, rec.offBitsSrc, rec.cbBitsSrc);
    }
    case EMR_EXTTEXTOUTW: return ExtTextFault(r, f, sizeof(WCHAR));
    case EMR_EXTTEXTOUTA: return ExtTextFault(r, f, 1);
    case EMR_POLYTEXTOUTW: return PolyTextFault(r, sizeof(WCHAR));
    case EMR_POLYTEXTOUTA: return PolyTextFault(r, 1);
    case kEmrSmallTextOut: return SmallTextFault(r);
    case EMR_GRADIENTFILL: return GradientFault(r);
    case EMR_GLSRECORD:
        return r.Holds(offsetof(EMRGLSRECORD, Data), r.As<EMRGLSRECORD>().cbData) ? Fault{} : L"the data lies outside the record";
    case EMR_GLSBOUNDEDRECORD:
        return r.Holds(offsetof(EMRGLSBOUNDEDRECORD, Data), r.As<EMRGLSBOUNDEDRECORD>().cbData)
                   ? Fault{} : L"the data lies outside the record";
    case kEmrDrawEscape: case kEmrExtEscape: {
        const INT n = r.As<EMREXTESCAPE>().cbEscData;
        return n >= 0 && r.Holds(offsetof(EMREXTESCAPE, EscData), DWORD(n)) ? Fault{} : L"the escape data lies outside the record";
    }
    case kEmrNamedEscape: {
        const auto& rec = r.As<EMRNAMEDESCAPE>();
        return rec.cbDriver >= 0 && rec.cbEscData >= 0 &&
                       r.Holds(offsetof(EMRNAMEDESCAPE, EscData), uint64_t(DWORD(rec.cbDriver)) + DWORD(rec.cbEscData))
                   ? Fault{} : L"the escape data lies outside the record";
    }
    case EMR_SETICMPROFILEA: case EMR_SETICMPROFILEW: {
        const auto& rec = r.As<EMRSETICMPROFILE>();
        return r.Holds(offsetof(EMRSETICMPROFILE, Data), uint64_t(rec.cbName) + rec.cbData) ? Fault{}
                                                                                          : L"the profile lies outside the record";
    }
    case EMR_COLORMATCHTOTARGETW: {
        const auto& rec = r.As<EMRCOLORMATCHTOTARGET>();
        return r.Holds(offsetof(EMRCOLORMATCHTOTARGET, Data), uint64_t(rec.cbName) + rec.cbData)
                   ? Fault{} : L"the profile lies outside the record";
    }
    case EMR_EOF: {
        const auto& rec = r.As<EMREOF>();
        return rec.nPalEntries == 0 || r.Holds(rec.offPalEntries, uint64_t(rec.nPalEntries) * sizeof(PALETTEENTRY))
                   ? Fault{} : L"the palette lies outside the record";
    }
    default: return {};
    }
}

Fault HeaderFault(const ENHMETAHEADER& h)
{
    if (h.nHandles == 0 || h.nHandles > kMaxMetafileHandles)
        return L"the header's handle count " + std::to_wstring(h.nHandles) + L" is out of range";
    // GDI's playback scales by the reference device's size in pixels and millimetres.
    for (LONG v : {h.szlDevice.cx, h.szlDevice.cy, h.szlMillimeters.cx, h.szlMillimeters.cy})
        if (v <= 0 || v > kMaxCoordinate) return L"the header's reference device size is out of range";
    if (h.nDescription && (h.offDescription < kMinimumHeader || uint64_t(h.offDescription) + uint64_t(h.nDescription) * 2 > h.nSize))
        return L"the header's description lies outside the header";
    if (h.nSize >= offsetof(ENHMETAHEADER, bOpenGL) && h.cbPixelFormat &&
        (h.offPixelFormat < kMinimumHeader || uint64_t(h.offPixelFormat) + h.cbPixelFormat > h.nSize))
        return L"the header's pixel format lies outside the header";
    return {};
}

std::wstring RecordName(DWORD type)
{
    const RecordRule* rule = RuleOf(type);
    return rule ? rule->name : L"type " + std::to_wstring(type);
}

} // namespace

XFORM Multiply(const XFORM& a, const XFORM& b)
{
    return XFORM{a.eM11 * b.eM11 + a.eM12 * b.eM21, a.eM11 * b.eM12 + a.eM12 * b.eM22,
                 a.eM21 * b.eM11 + a.eM22 * b.eM21, a.eM21 * b.eM12 + a.eM22 * b.eM22,
                 a.eDx * b.eM11 + a.eDy * b.eM21 + b.eDx, a.eDx * b.eM12 + a.eDy * b.eM22 + b.eDy};
}

bool CheckMetafileBytes(const BYTE* data, size_t size, std::wstring* error)
{
    auto fail = [&](const std::wstring& message) { if (error) *error = message; return false; };
    if (data == nullptr || size < kMinimumHeader) return fail(L"not an enhanced metafile: shorter than a header");
    const auto* header = reinterpret_cast<const ENHMETAHEADER*>(data);
    if (header->iType != EMR_HEADER || header->dSignature != ENHMETA_SIGNATURE)
        return fail(L"not an enhanced metafile: no metafile header");
    if (header->nBytes > size)
        return fail(L"truncated metafile: the header declares " + std::to_wstring(header->nBytes) + L" bytes, the file has " +
                    std::to_wstring(size));
    if (header->nSize < kMinimumHeader || header->nSize % 4 || header->nSize > header->nBytes)
        return fail(L"bad metafile: the header record has a bad size");
    if (Fault f = HeaderFault(*header); !f.empty()) return fail(L"bad metafile: record 1 (EMR_HEADER): " + f);
    PageFacts facts;
    facts.handles = header->nHandles;
    size_t at = header->nSize;
    DWORD records = 1;
    DWORD last = EMR_HEADER;
    while (at < header->nBytes) {
        if (header->nBytes - at < sizeof(EMR))
            return fail(L"bad metafile: a record is cut at byte " + std::to_wstring(at));
        const auto* emr = reinterpret_cast<const EMR*>(data + at);
        const std::wstring where = L"bad metafile: record " + std::to_wstring(records + 1) + L" (" + RecordName(emr->iType) +
                                   L") at byte " + std::to_wstring(at);
        if (emr->nSize < sizeof(EMR) || emr->nSize % 4 || emr->nSize > header->nBytes - at)
            return fail(where + L" has a bad size");
        last = emr->iType;
        ++records;
        if (last == EMR_HEADER) return fail(where + L": a second header");
        const RecordRule* rule = RuleOf(last);
        if (!rule) return fail(where + L": the record type is not one GDI plays");
        if (emr->nSize < rule->minimum)
            return fail(where + L": the record is shorter than its type (" + std::to_wstring(rule->minimum) + L" bytes)");
        const RecordView view{data + at, emr->nSize};
        if (Fault f = RecordFault(view, last, facts); !f.empty()) return fail(where + L": " + f);
        // A record the host carries through wine's recorder in a comment is
        // checked as one of the page's own.
        if (const EMR* carried = last == EMR_GDICOMMENT ? CarriedRecord(data + at, emr->nSize) : nullptr) {
            const std::wstring what = where + L": the carried " + RecordName(carried->iType);
            if (!Carriable(carried->iType)) return fail(what + L" is not one the host carries");
            if (carried->nSize < RuleOf(carried->iType)->minimum) return fail(what + L" is shorter than its type");
            const RecordView inner{reinterpret_cast<const BYTE*>(carried), carried->nSize};
            if (Fault f = RecordFault(inner, carried->iType, facts); !f.empty()) return fail(what + L": " + f);
        }
        at += emr->nSize;
        if (last == EMR_EOF) break;
    }
    if (last != EMR_EOF) return fail(L"bad metafile: no end-of-file record");
    if (records != header->nRecords)
        return fail(L"bad metafile: the header declares " + std::to_wstring(header->nRecords) + L" records, the file has " +
                    std::to_wstring(records));
    return true;
}

} // namespace printhost
