// Metafiles applications commonly send, which Windows prints and wine's
// metafile recorder (through which the host copies each page) mishandles:
// each is written record by record, as an application's recorder leaves it,
// printed through the host on the recording driver, and must print as
// Windows draws it.
#include "tests/printhost/mutants.h"
#include "tests/printhost/recorded_document.h"

#include "printhost/metafile_check.h"
#include "printhost/print_job.h"
#include "printhost/recorder_input.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace printhost;
using namespace printhost_test;

namespace {

using Bytes = std::vector<BYTE>;

template <typename T>
void Append(Bytes& b, const T& v)
{
    const size_t at = b.size();
    b.resize(at + sizeof(T));
    std::memcpy(b.data() + at, &v, sizeof(T));
}

void Pad(Bytes& b) { b.resize((b.size() + 3) & ~size_t(3)); }

// A metafile of the records (each a whole record), one inch square at 100
// pixels to the inch, ending with its EOF record.
Bytes Metafile(const std::vector<Bytes>& records)
{
    ENHMETAHEADER h{};
    h.iType = EMR_HEADER;
    h.nSize = sizeof(h);
    h.rclBounds = RECTL{0, 0, 99, 99};
    h.rclFrame = RECTL{0, 0, 2540, 2540};
    h.dSignature = ENHMETA_SIGNATURE;
    h.nVersion = 0x10000;
    h.nHandles = 2;
    h.szlDevice = SIZEL{1000, 1000};
    h.szlMillimeters = SIZEL{254, 254};
    Bytes out;
    Append(out, h);
    for (const Bytes& r : records) out.insert(out.end(), r.begin(), r.end());
    EMREOF eof{{EMR_EOF, sizeof(EMREOF)}, 0, sizeof(EMREOF) - sizeof(DWORD), sizeof(EMREOF)};
    Append(out, eof);
    auto* header = reinterpret_cast<ENHMETAHEADER*>(out.data());
    header->nBytes = DWORD(out.size());
    header->nRecords = DWORD(records.size() + 2);
    return out;
}

// StretchDIBits of a DIB (header, colour table, bits) onto 10,10 at its own size.
Bytes StretchDib(const BITMAPINFOHEADER& header, const std::vector<RGBQUAD>& table, const Bytes& bits)
{
    EMRSTRETCHDIBITS rec{};
    rec.emr.iType = EMR_STRETCHDIBITS;
    rec.rclBounds = RECTL{10, 10, 10 + header.biWidth, 10 + header.biHeight};
    rec.xDest = rec.yDest = 10;
    rec.cxSrc = rec.cxDest = header.biWidth;
    rec.cySrc = rec.cyDest = header.biHeight;
    rec.iUsageSrc = DIB_RGB_COLORS;
    rec.dwRop = SRCCOPY;
    rec.offBmiSrc = sizeof(rec);
    rec.cbBmiSrc = DWORD(sizeof(header) + table.size() * sizeof(RGBQUAD));
    rec.offBitsSrc = rec.offBmiSrc + rec.cbBmiSrc;
    rec.cbBitsSrc = DWORD((bits.size() + 3) & ~size_t(3));
    Bytes out;
    Append(out, rec);
    Append(out, header);
    for (const RGBQUAD& q : table) Append(out, q);
    out.insert(out.end(), bits.begin(), bits.end());
    Pad(out);
    reinterpret_cast<EMR*>(out.data())->nSize = DWORD(out.size());
    return out;
}

// SetDIBitsToDevice of `scans` rows from `startScan` of a DIB onto 10,10.
Bytes DibBand(const BITMAPINFOHEADER& header, const std::vector<RGBQUAD>& table, const Bytes& bits, DWORD startScan,
              DWORD scans)
{
    Bytes out = StretchDib(header, table, bits);
    const auto& stretched = *reinterpret_cast<const EMRSTRETCHDIBITS*>(out.data());
    EMRSETDIBITSTODEVICE rec{};
    rec.emr.iType = EMR_SETDIBITSTODEVICE;
    rec.rclBounds = stretched.rclBounds;
    rec.xDest = rec.yDest = 10;
    rec.cxSrc = header.biWidth;
    rec.cySrc = header.biHeight;
    rec.iUsageSrc = DIB_RGB_COLORS;
    rec.iStartScan = startScan;
    rec.cScans = scans;
    // The bitmap follows the fixed part, as in the StretchDIBits record.
    const size_t shift = sizeof(EMRSTRETCHDIBITS) - sizeof(EMRSETDIBITSTODEVICE);
    rec.offBmiSrc = stretched.offBmiSrc - DWORD(shift);
    rec.cbBmiSrc = stretched.cbBmiSrc;
    rec.offBitsSrc = stretched.offBitsSrc - DWORD(shift);
    rec.cbBitsSrc = stretched.cbBitsSrc;
    Bytes band;
    Append(band, rec);
    band.insert(band.end(), out.begin() + sizeof(EMRSTRETCHDIBITS), out.end());
    reinterpret_cast<EMR*>(band.data())->nSize = DWORD(band.size());
    return band;
}

BITMAPINFOHEADER DibHeader(LONG width, LONG height, WORD bits, DWORD compression = BI_RGB, DWORD imageSize = 0)
{
    return BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), width, height, 1, bits, compression, imageSize, 0, 0, 0, 0};
}

// A colour table of n entries: red, blue, then greys.
std::vector<RGBQUAD> Table(size_t n)
{
    std::vector<RGBQUAD> t(n);
    for (size_t i = 0; i < n; ++i) t[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
    t[0] = RGBQUAD{0, 0, 255, 0};
    t[1] = RGBQUAD{255, 0, 0, 0};
    return t;
}

// A font record (Arial, 20 units high) at handle 1, selected.
std::vector<Bytes> ArialSelected()
{
    EMREXTCREATEFONTINDIRECTW font{};
    font.emr.iType = EMR_EXTCREATEFONTINDIRECTW;
    font.emr.nSize = sizeof(font);
    font.ihFont = 1;
    font.elfw.elfLogFont.lfHeight = -20;
    font.elfw.elfLogFont.lfWeight = FW_NORMAL;
    std::memcpy(font.elfw.elfLogFont.lfFaceName, L"Arial", sizeof(L"Arial"));
    EMRSELECTOBJECT select{{EMR_SELECTOBJECT, sizeof(EMRSELECTOBJECT)}, 1};
    Bytes a, b;
    Append(a, font);
    Append(b, select);
    return {a, b};
}

// ExtTextOutW of "AB" at 10,50 with the given spacing (pairs with ETO_PDY).
Bytes TextOut(DWORD options, const std::vector<INT>& dx)
{
    EMREXTTEXTOUTW rec{};
    rec.emr.iType = EMR_EXTTEXTOUTW;
    rec.iGraphicsMode = GM_ADVANCED;
    rec.exScale = rec.eyScale = 1;
    rec.emrtext.ptlReference = POINTL{10, 50};
    rec.emrtext.nChars = 2;
    rec.emrtext.offString = sizeof(rec);
    rec.emrtext.fOptions = options;
    rec.emrtext.rcl = RECTL{0, 0, -1, -1};
    rec.emrtext.offDx = sizeof(rec) + 4;
    Bytes out;
    Append(out, rec);
    const wchar_t text[2] = {L'A', L'B'};
    Append(out, text);
    for (INT d : dx) Append(out, d);
    reinterpret_cast<EMR*>(out.data())->nSize = DWORD(out.size());
    return out;
}

template <typename T>
Bytes Record(T rec)
{
    rec.emr.nSize = sizeof(T);
    Bytes out;
    Append(out, rec);
    return out;
}

Bytes SetWorld(const XFORM& x) { return Record(EMRSETWORLDTRANSFORM{{EMR_SETWORLDTRANSFORM, 0}, x}); }

// The drawing calls the driver got for the metafile printed as a page, or
// the host's problem with it.
std::string Printed(const Bytes& bytes)
{
    int code = kOk;
    std::wstring error;
    HENHMETAFILE emf = MetafileFromBytes(bytes, &code, &error);
    if (!emf) return "refused: " + std::string(error.begin(), error.end());
    const std::string calls = DrawingCalls(RecordDocument({[&](HDC dc) {
        GDIINFO info{};
        info.ulLogPixelsX = info.ulLogPixelsY = 300;
        MetafilePage(emf)(dc, info);
    }}));
    DeleteEnhMetaFile(emf);
    return calls;
}

// The source's description of the one blit in the calls.
std::string BlitSource(const std::string& calls)
{
    const size_t at = calls.find(" src=surface(");
    return at == std::string::npos ? "no blit" : calls.substr(at, calls.find(')', at) - at + 1);
}

Bytes RunLength8()
{
    // Rows bottom-up: 3 x index 1, index 0; then 0 1 2 3 as they stand.
    return {3, 1, 1, 0, 0, 0, 0, 4, 0, 1, 2, 3, 0, 1};
}

} // namespace

// The colour table of a DIB of 1, 4 or 8 bits whose biClrUsed is 0 is the
// full table: its colours reach the driver.
TEST(PrintHostApplicationMetafile, DibsWithTheirFullColourTableKeepTheirColours)
{
    struct Case {
        WORD bits;
        const char* colours;   // the translation's first entries
    };
    const Case cases[] = {
        {1, "n=2 0xff 0xff0000)"},
        {4, "n=16 0xff 0xff0000 0x20202 0x30303)"},
        {8, "n=256 0xff 0xff0000 0x20202 0x30303)"},
    };
    for (const Case& c : cases) {
        const Bytes bits(4 * 2, 0x10);
        const std::string calls = Printed(Metafile({StretchDib(DibHeader(4, 2, c.bits), Table(size_t(1) << c.bits), bits)}));
        EXPECT_EQ(calls.find("host problem"), std::string::npos) << int(c.bits) << " bits: " << calls;
        EXPECT_NE(calls.find(c.colours), std::string::npos) << int(c.bits) << " bits: " << calls;
    }
}

// A run-length DIB reaches the driver as the same pixels as its plain twin.
TEST(PrintHostApplicationMetafile, RunLengthDibsArriveAsTheirPlainPixels)
{
    struct Case {
        const char* name;
        BITMAPINFOHEADER header;
        Bytes runs;
        Bytes plain;   // the same image uncompressed
    };
    const Case cases[] = {
        {"RLE8", DibHeader(4, 2, 8, BI_RLE8, 14), RunLength8(), {1, 1, 1, 0, 0, 1, 2, 3}},
        // Rows bottom-up: 4 pixels alternating 1 and 2; the next row, a move
        // to its third pixel, 2 pixels alternating 3 and 4.
        {"RLE4", DibHeader(4, 2, 4, BI_RLE4, 12), {4, 0x12, 0, 0, 0, 2, 2, 0, 2, 0x34, 0, 1},
         {0x12, 0x12, 0, 0, 0, 0x34, 0, 0}},
    };
    for (const Case& c : cases) {
        const WORD bits = c.header.biBitCount;
        const std::vector<RGBQUAD> table = Table(size_t(1) << bits);
        const std::string runs = Printed(Metafile({StretchDib(c.header, table, c.runs)}));
        const std::string plain = Printed(Metafile({StretchDib(DibHeader(4, 2, bits), table, c.plain)}));
        EXPECT_EQ(runs.find("host problem"), std::string::npos) << c.name << ": " << runs;
        EXPECT_NE(BlitSource(plain), "no blit") << c.name << ": " << plain;
        EXPECT_EQ(BlitSource(runs), BlitSource(plain)) << c.name << ": " << runs;
        // SetDIBitsToDevice of the upper row alone: the plain form holds that row only.
        const Bytes upper(c.plain.begin() + 4, c.plain.end());
        const std::string bandRuns = Printed(Metafile({DibBand(c.header, table, c.runs, 1, 1)}));
        const std::string bandPlain = Printed(Metafile({DibBand(DibHeader(4, 2, bits), table, upper, 1, 1)}));
        EXPECT_NE(BlitSource(bandPlain), "no blit") << c.name << ": " << bandPlain;
        EXPECT_EQ(BlitSource(bandRuns), BlitSource(bandPlain)) << c.name << ": " << bandRuns;
    }
}

// Text with ETO_PDY (an x and a y advance per character) is printed with all
// its advances: the second glyph stands where both pairs put it.
TEST(PrintHostApplicationMetafile, TextWithYAdvancesKeepsThem)
{
    std::vector<Bytes> flat = ArialSelected(), risen = ArialSelected(), plain = ArialSelected();
    flat.push_back(TextOut(ETO_PDY, {30, 0, 30, 0}));
    risen.push_back(TextOut(ETO_PDY, {30, -10, 30, 0}));
    plain.push_back(TextOut(0, {30, 30}));
    const std::string flatCalls = Printed(Metafile(flat));
    const std::string risenCalls = Printed(Metafile(risen));
    const std::string plainCalls = Printed(Metafile(plain));
    ASSERT_NE(plainCalls.find("DrvTextOut"), std::string::npos) << plainCalls;
    EXPECT_EQ(flatCalls, plainCalls);
    EXPECT_NE(risenCalls.find("DrvTextOut"), std::string::npos) << risenCalls;
    EXPECT_EQ(risenCalls.find("host problem"), std::string::npos) << risenCalls;
    EXPECT_NE(risenCalls, plainCalls);
}

// Curves on an ellipse that a world transform flattens onto a line draw
// nothing, as with GDI (wine's path code aborts on them); the rest of the
// page prints, lines under the same transform included.
TEST(PrintHostApplicationMetafile, EllipsesAFlatTransformFlattensAreLeftOut)
{
    EMRARC arc{{EMR_ARC, 0}, {10, 10, 90, 90}, {90, 50}, {10, 50}};
    EMRLINETO line{{EMR_LINETO, 0}, {90, 90}};
    EMRRECTANGLE box{{EMR_RECTANGLE, 0}, {20, 20, 40, 40}};
    const std::string calls = Printed(Metafile({SetWorld(XFORM{1, 0, 0, 1e-38f, 100, 100}), Record(arc), Record(line),
                                                SetWorld(XFORM{1, 0, 0, 1, 0, 0}), Record(box)}));
    EXPECT_EQ(calls.find("host problem"), std::string::npos) << calls;
    EXPECT_EQ(calls.find(" C"), std::string::npos) << calls;   // no curve reached the driver
    EXPECT_NE(calls.find("DrvStrokePath"), std::string::npos) << calls;
    EXPECT_NE(calls.find("DrvStrokeAndFillPath"), std::string::npos) << calls;
}

// The rewriting for the recorder keeps a metafile whole: every single-field
// mutant of the metafiles above that passes the check is rewritten into one
// that passes it too (and the host never faults on the way).
TEST(PrintHostApplicationMetafile, RewrittenMutantsPassTheCheck)
{
    std::vector<Bytes> text = ArialSelected();
    text.push_back(TextOut(ETO_PDY, {30, -10, 30, 0}));
    EMRARC arc{{EMR_ARC, 0}, {10, 10, 90, 90}, {90, 50}, {10, 50}};
    const std::vector<Bytes> originals = {
        Metafile({StretchDib(DibHeader(4, 2, 1), Table(2), Bytes(8, 0x10))}),
        Metafile({StretchDib(DibHeader(4, 2, 8, BI_RLE8, 14), Table(256), RunLength8())}),
        Metafile(text),
        Metafile({SetWorld(XFORM{1, 0, 0, 1e-38f, 100, 100}), Record(arc)}),
    };
    size_t checked = 0;
    for (const Bytes& original : originals) {
        std::wstring error;
        ASSERT_TRUE(CheckMetafileBytes(original.data(), original.size(), &error)) << std::string(error.begin(), error.end());
        for (const Bytes& mutant : Mutants(original)) {
            if (!CheckMetafileBytes(mutant.data(), mutant.size(), nullptr)) continue;
            ++checked;
            const Bytes prepared = PrepareForRecorder(mutant.data(), mutant.size());
            EXPECT_TRUE(CheckMetafileBytes(prepared.data(), prepared.size(), &error))
                << std::string(error.begin(), error.end());
        }
    }
    EXPECT_GT(checked, 100u);
}
