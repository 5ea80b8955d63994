#include "printhost/recorder_input.h"

#include "printhost/engine_objects.h"
#include "printhost/metafile_check.h"
#include "printhost/page_comment.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace printhost {

namespace {

// Where a record keeps a bitmap's colour usage, header offset and header
// size. kNoUsage: the bitmap always carries RGB colours.
constexpr size_t kNoUsage = SIZE_MAX;
struct DibFields {
    DWORD type;
    size_t usage;
    size_t offBmi;
    size_t cbBmi;
};
#define MORVA_DIB(type, rec, usage, off, cb) {type, offsetof(rec, usage), offsetof(rec, off), offsetof(rec, cb)}
constexpr DibFields kDibFields[] = {
    MORVA_DIB(EMR_BITBLT, EMRBITBLT, iUsageSrc, offBmiSrc, cbBmiSrc),
    MORVA_DIB(EMR_STRETCHBLT, EMRSTRETCHBLT, iUsageSrc, offBmiSrc, cbBmiSrc),
    MORVA_DIB(EMR_MASKBLT, EMRMASKBLT, iUsageSrc, offBmiSrc, cbBmiSrc),
    MORVA_DIB(EMR_MASKBLT, EMRMASKBLT, iUsageMask, offBmiMask, cbBmiMask),
    MORVA_DIB(EMR_PLGBLT, EMRPLGBLT, iUsageSrc, offBmiSrc, cbBmiSrc),
    MORVA_DIB(EMR_PLGBLT, EMRPLGBLT, iUsageMask, offBmiMask, cbBmiMask),
    MORVA_DIB(EMR_SETDIBITSTODEVICE, EMRSETDIBITSTODEVICE, iUsageSrc, offBmiSrc, cbBmiSrc),
    MORVA_DIB(EMR_STRETCHDIBITS, EMRSTRETCHDIBITS, iUsageSrc, offBmiSrc, cbBmiSrc),
    MORVA_DIB(EMR_ALPHABLEND, EMRALPHABLEND, iUsageSrc, offBmiSrc, cbBmiSrc),
    MORVA_DIB(EMR_TRANSPARENTBLT, EMRTRANSPARENTBLT, iUsageSrc, offBmiSrc, cbBmiSrc),
    MORVA_DIB(EMR_CREATEDIBPATTERNBRUSHPT, EMRCREATEDIBPATTERNBRUSHPT, iUsage, offBmi, cbBmi),
    {EMR_CREATEMONOBRUSH, kNoUsage, offsetof(EMRCREATEMONOBRUSH, offBmi), offsetof(EMRCREATEMONOBRUSH, cbBmi)},
};
#undef MORVA_DIB

// The records that draw on an ellipse (the current position an ArcTo or an
// AngleArc would move stays where it is).
constexpr DWORD kEllipseTypes[] = {EMR_ARC, EMR_ARCTO, EMR_CHORD, EMR_PIE, EMR_ELLIPSE, EMR_ROUNDRECT, EMR_ANGLEARC};

constexpr DWORD kModifySet = 4;   // MWT_SET, which mingw-w64 leaves out

template <typename T>
T Read(const std::vector<BYTE>& r, size_t at)
{
    T v{};
    if (at + sizeof(T) <= r.size()) std::memcpy(&v, r.data() + at, sizeof(T));
    return v;
}

template <typename T>
void Write(std::vector<BYTE>& r, size_t at, const T& v)
{
    if (at + sizeof(T) <= r.size()) std::memcpy(r.data() + at, &v, sizeof(T));
}

size_t EntryBytes(DWORD usage) { return usage == DIB_PAL_COLORS ? sizeof(WORD) : sizeof(RGBQUAD); }

// A DIB of 1, 4 or 8 bits with biClrUsed 0 names its full table, when the
// record holds all of it.
void NameTableLength(std::vector<BYTE>& r, const DibFields& f)
{
    const DWORD offBmi = Read<DWORD>(r, f.offBmi);
    const DWORD cbBmi = Read<DWORD>(r, f.cbBmi);
    const DWORD usage = f.usage == kNoUsage ? DIB_RGB_COLORS : Read<DWORD>(r, f.usage);
    if (cbBmi < sizeof(BITMAPINFOHEADER) || offBmi > r.size() || cbBmi > r.size() - offBmi) return;
    BITMAPINFOHEADER h = Read<BITMAPINFOHEADER>(r, offBmi);
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > cbBmi || h.biClrUsed != 0) return;
    if (h.biBitCount != 1 && h.biBitCount != 4 && h.biBitCount != 8) return;
    const DWORD entries = DWORD(1) << h.biBitCount;
    if (uint64_t(h.biSize) + uint64_t(entries) * EntryBytes(usage) > cbBmi) return;
    h.biClrUsed = entries;
    Write(r, offBmi, h);
}

// Run-length rows decoded into plain bottom-up rows; pixels the runs skip
// stay 0. A run past the bitmap's end or a cut run ends the decoding there.
std::vector<BYTE> DecodeRunLength(const BYTE* in, size_t size, bool four, LONG width, LONG height)
{
    const size_t stride = BitmapStride(four ? BMF_4BPP : BMF_8BPP, width);
    std::vector<BYTE> out(stride * size_t(height), 0);
    auto put = [&](int64_t x, int64_t y, BYTE index) {
        BYTE* row = out.data() + size_t(y) * stride;
        if (!four) row[x] = index;
        else if (x & 1) row[x / 2] = BYTE((row[x / 2] & 0xF0) | (index & 0x0F));
        else row[x / 2] = BYTE((row[x / 2] & 0x0F) | (index << 4));
    };
    auto nibble = [&](const BYTE* p, int k) { return BYTE(four ? ((k & 1) ? p[k / 2] & 0x0F : p[k / 2] >> 4) : p[k]); };
    int64_t x = 0, y = 0;
    size_t i = 0;
    while (i + 2 <= size && y < height) {
        const BYTE count = in[i], value = in[i + 1];
        i += 2;
        if (count) {   // `count` pixels of one value (two alternating nibbles for 4 bits)
            const BYTE pair[1] = {value};
            for (int k = 0; k < count && x + k < width; ++k) put(x + k, y, four ? nibble(pair, k & 1) : value);
            x += count;
        } else if (value == 0) {   // end of line
            x = 0;
            ++y;
        } else if (value == 1) {   // end of bitmap
            break;
        } else if (value == 2) {   // move right and up
            if (i + 2 > size) break;
            x += in[i];
            y += in[i + 1];
            i += 2;
        } else {   // `value` pixels as they stand, padded to a 16-bit boundary
            const size_t bytes = four ? (size_t(value) + 1) / 2 : value;
            if (bytes > size - i) break;
            for (int k = 0; k < value && x + k < width; ++k) put(x + k, y, nibble(in + i, k));
            x += value;
            i += (bytes + 1) & ~size_t(1);
        }
    }
    return out;
}

// Decoded bitmaps larger than this stay as they are (the page is then refused
// with the record's name rather than the host running out of memory).
constexpr size_t kMaxDecodedBytes = size_t(1) << 28;

// A StretchDIBits or SetDIBitsToDevice record whose DIB is run-length encoded,
// rewritten with the DIB decoded; unchanged when it is not one or is too large.
void DecodeRunLengthDib(std::vector<BYTE>& r, DWORD type)
{
    const bool band = type == EMR_SETDIBITSTODEVICE;
    const size_t fixed = band ? sizeof(EMRSETDIBITSTODEVICE) : sizeof(EMRSTRETCHDIBITS);
    // The two records keep their bitmap fields alike, only at other places.
    const size_t usageAt = band ? offsetof(EMRSETDIBITSTODEVICE, iUsageSrc) : offsetof(EMRSTRETCHDIBITS, iUsageSrc);
    const size_t offBmiAt = band ? offsetof(EMRSETDIBITSTODEVICE, offBmiSrc) : offsetof(EMRSTRETCHDIBITS, offBmiSrc);
    if (r.size() < fixed) return;
    const DWORD usage = Read<DWORD>(r, usageAt);
    const DWORD offBmi = Read<DWORD>(r, offBmiAt);
    const DWORD cbBmi = Read<DWORD>(r, offBmiAt + 4);
    const DWORD offBits = Read<DWORD>(r, offBmiAt + 8);
    const DWORD cbBits = Read<DWORD>(r, offBmiAt + 12);
    if (cbBmi < sizeof(BITMAPINFOHEADER) || offBmi > r.size() || cbBmi > r.size() - offBmi || offBits > r.size() ||
        cbBits > r.size() - offBits)
        return;
    BITMAPINFOHEADER h = Read<BITMAPINFOHEADER>(r, offBmi);
    const bool four = h.biCompression == BI_RLE4;
    if ((!four && h.biCompression != BI_RLE8) || h.biBitCount != (four ? 4 : 8) || h.biWidth <= 0 || h.biHeight <= 0 ||
        h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > cbBmi || h.biSizeImage > cbBits)
        return;
    const size_t stride = BitmapStride(four ? BMF_4BPP : BMF_8BPP, h.biWidth);
    const uint64_t bandRows = band ? reinterpret_cast<const EMRSETDIBITSTODEVICE*>(r.data())->cScans : 0;
    if (uint64_t(stride) * uint64_t(std::max<int64_t>(h.biHeight, bandRows)) > kMaxDecodedBytes) return;
    std::vector<BYTE> rows = DecodeRunLength(r.data() + offBits, h.biSizeImage, four, h.biWidth, h.biHeight);
    if (band) {
        // The plain form of a band holds only the rows it names.
        const auto& rec = *reinterpret_cast<const EMRSETDIBITSTODEVICE*>(r.data());
        std::vector<BYTE> named(stride * size_t(rec.cScans), 0);
        for (size_t row = 0; row < rec.cScans && size_t(rec.iStartScan) + row < size_t(h.biHeight); ++row)
            std::memcpy(named.data() + row * stride, rows.data() + (rec.iStartScan + row) * stride, stride);
        rows.swap(named);
    }
    const DWORD entries = h.biClrUsed ? h.biClrUsed : DWORD(1) << h.biBitCount;
    const size_t table = std::min<size_t>(size_t(entries) * EntryBytes(usage), cbBmi - h.biSize);
    const size_t infoBytes = (size_t(h.biSize) + table + 3) & ~size_t(3);
    std::vector<BYTE> out(r.begin(), r.begin() + fixed);
    out.insert(out.end(), r.begin() + offBmi, r.begin() + offBmi + h.biSize + table);
    out.resize(fixed + infoBytes, 0);
    out.insert(out.end(), rows.begin(), rows.end());
    h.biCompression = BI_RGB;
    h.biSizeImage = 0;
    h.biClrUsed = entries;
    Write(out, fixed, h);
    Write(out, offBmiAt, DWORD(fixed));
    Write(out, offBmiAt + 4, DWORD(infoBytes));
    Write(out, offBmiAt + 8, DWORD(fixed + infoBytes));
    Write(out, offBmiAt + 12, DWORD(rows.size()));
    Write(out, offsetof(EMR, nSize), DWORD(out.size()));
    r.swap(out);
}

// The record whole inside a comment of the host.
std::vector<BYTE> Carried(const std::vector<BYTE>& r)
{
    constexpr size_t kHead = offsetof(EMRGDICOMMENT, Data) + sizeof(DWORD);
    std::vector<BYTE> out(kHead);
    Write(out, offsetof(EMR, iType), DWORD(EMR_GDICOMMENT));
    Write(out, offsetof(EMR, nSize), DWORD(kHead + r.size()));
    Write(out, offsetof(EMRGDICOMMENT, cbData), DWORD(sizeof(DWORD) + r.size()));
    Write(out, offsetof(EMRGDICOMMENT, Data), kCarriedRecordSignature);
    out.insert(out.end(), r.begin(), r.end());
    return out;
}

// The world transform as the records set it, with the SaveDC levels.
struct WorldTransform {
    std::vector<XFORM> levels{XFORM{1, 0, 0, 1, 0, 0}};

    void Follow(const std::vector<BYTE>& r, DWORD type)
    {
        XFORM& current = levels.back();
        if (type == EMR_SETWORLDTRANSFORM) {
            current = Read<EMRSETWORLDTRANSFORM>(r, 0).xform;
        } else if (type == EMR_MODIFYWORLDTRANSFORM) {
            const auto rec = Read<EMRMODIFYWORLDTRANSFORM>(r, 0);
            if (rec.iMode == MWT_IDENTITY) current = XFORM{1, 0, 0, 1, 0, 0};
            else if (rec.iMode == MWT_LEFTMULTIPLY) current = Multiply(rec.xform, current);
            else if (rec.iMode == MWT_RIGHTMULTIPLY) current = Multiply(current, rec.xform);
            else if (rec.iMode == kModifySet) current = rec.xform;
        } else if (type == EMR_SAVEDC) {
            levels.push_back(current);
        } else if (type == EMR_RESTOREDC) {
            // GDI fails a restore it cannot make and keeps the state as it is.
            const int64_t level = Read<EMRRESTOREDC>(r, 0).iRelative;
            const int64_t depth = int64_t(levels.size()) - 1;
            if (level < 0 && -level <= depth) levels.resize(size_t(depth + 1 + level));
            if (level > 0 && level <= depth) levels.resize(size_t(level));
        }
    }

    bool Flat() const
    {
        const XFORM& x = levels.back();
        const double determinant = double(x.eM11) * x.eM22 - double(x.eM12) * x.eM21;
        return !(std::fabs(determinant) >= kFlatDeterminant);
    }
};

} // namespace

std::vector<BYTE> PrepareForRecorder(const BYTE* data, size_t size)
{
    const auto* header = reinterpret_cast<const ENHMETAHEADER*>(data);
    std::vector<BYTE> out(data, data + header->nSize);
    DWORD records = 1;
    WorldTransform world;
    const size_t end = std::min<size_t>(header->nBytes, size);
    for (size_t at = header->nSize; at + sizeof(EMR) <= end;) {
        const auto* emr = reinterpret_cast<const EMR*>(data + at);
        if (emr->nSize < sizeof(EMR) || emr->nSize > end - at) break;
        std::vector<BYTE> r(data + at, data + at + emr->nSize);
        at += emr->nSize;
        const DWORD type = emr->iType;
        world.Follow(r, type);
        if (world.Flat() && std::find(std::begin(kEllipseTypes), std::end(kEllipseTypes), type) != std::end(kEllipseTypes))
            continue;
        if (type == EMR_STRETCHDIBITS || type == EMR_SETDIBITSTODEVICE) DecodeRunLengthDib(r, type);
        for (const DibFields& f : kDibFields)
            if (f.type == type) NameTableLength(r, f);
        if ((type == EMR_EXTTEXTOUTW || type == EMR_EXTTEXTOUTA) &&
            (Read<EMREXTTEXTOUTW>(r, 0).emrtext.fOptions & ETO_PDY))
            r = Carried(r);
        out.insert(out.end(), r.begin(), r.end());
        ++records;
        if (type == EMR_EOF) break;
    }
    auto* rewritten = reinterpret_cast<ENHMETAHEADER*>(out.data());
    rewritten->nBytes = DWORD(out.size());
    rewritten->nRecords = records;
    return out;
}

} // namespace printhost
