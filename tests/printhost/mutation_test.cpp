// Malformed metafiles are refused before GDI plays them: every single-field
// mutant of the sample metafiles is either refused by the check or printed
// through the recording driver; none may crash or hang the host.
#include "tests/printhost/recorded_document.h"
#include "tests/printhost/driver_fixture.h"

#include "printhost/host_dc.h"
#include "printhost/metafile_check.h"
#include "printhost/print_job.h"
#include "printhost/sample_pages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

using namespace printhost;
using namespace printhost_test;

namespace {

using Bytes = std::vector<BYTE>;

Bytes MetafileBits(HENHMETAFILE emf)
{
    Bytes bytes(GetEnhMetaFileBits(emf, 0, nullptr));
    GetEnhMetaFileBits(emf, UINT(bytes.size()), bytes.data());
    DeleteEnhMetaFile(emf);
    return bytes;
}

Bytes Record(const std::function<void(HDC)>& draw)
{
    HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    draw(dc);
    return MetafileBits(CloseEnhMetaFile(dc));
}

// A small DIB of the given depth with a grey ramp.
struct Dib {
    BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), 4, 4, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    DWORD pixels[16];
    Dib() { for (int i = 0; i < 16; ++i) pixels[i] = 0x111111u * DWORD(i); }
    const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(&header); }
};

// Drawing of many record kinds: objects, transforms, paths, regions, text with
// spacing, and the bitmap records with sources from a memory DC.
void ManyKinds(HDC dc)
{
    SetGraphicsMode(dc, GM_ADVANCED);
    HPEN pen = CreatePen(PS_SOLID, 3, RGB(10, 20, 30));
    HBRUSH brush = CreateHatchBrush(HS_CROSS, RGB(0, 90, 0));
    SelectObject(dc, pen);
    SelectObject(dc, brush);
    const XFORM turn{0.8f, 0.6f, -0.6f, 0.8f, 40, 10};
    SetWorldTransform(dc, &turn);
    Arc(dc, 10, 10, 90, 70, 90, 40, 10, 40);
    ModifyWorldTransform(dc, nullptr, MWT_IDENTITY);
    BeginPath(dc);
    Rectangle(dc, 100, 100, 160, 150);
    EndPath(dc);
    WidenPath(dc);
    StrokePath(dc);
    const POINT draw[] = {{10, 200}, {40, 220}, {60, 180}, {90, 230}, {120, 200}};
    const BYTE types[] = {PT_MOVETO, PT_LINETO, PT_BEZIERTO, PT_BEZIERTO, PT_BEZIERTO | PT_CLOSEFIGURE};
    PolyDraw(dc, draw, types, 5);
    HRGN region = CreateEllipticRgn(200, 10, 280, 80);
    FillRgn(dc, region, brush);
    FrameRgn(dc, region, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), 2, 2);
    ExtSelectClipRgn(dc, region, RGN_AND);
    SelectClipRgn(dc, nullptr);
    DeleteObject(region);
    HFONT font = CreateFontW(-20, 0, 0, 0, FW_NORMAL, FALSE, TRUE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    SelectObject(dc, font);
    const INT dx[] = {12, 12, 12};
    ExtTextOutW(dc, 10, 260, ETO_OPAQUE, nullptr, L"abc", 3, dx);
    const Dib dib;
    StretchDIBits(dc, 300, 10, 8, 8, 0, 0, 4, 4, dib.pixels, dib.info(), DIB_RGB_COLORS, SRCCOPY);
    SetDIBitsToDevice(dc, 300, 30, 4, 4, 0, 0, 0, 4, dib.pixels, dib.info(), DIB_RGB_COLORS);
    HDC memory = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(memory, dib.info(), DIB_RGB_COLORS, &bits, nullptr, 0);
    std::memcpy(bits, dib.pixels, sizeof(dib.pixels));
    HGDIOBJ old = SelectObject(memory, section);
    BitBlt(dc, 320, 10, 4, 4, memory, 0, 0, SRCCOPY);
    StretchBlt(dc, 320, 30, 8, 8, memory, 0, 0, 4, 4, SRCCOPY);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 128, 0};
    GdiAlphaBlend(dc, 340, 10, 4, 4, memory, 0, 0, 4, 4, blend);
    GdiTransparentBlt(dc, 340, 30, 4, 4, memory, 0, 0, 4, 4, RGB(0, 0, 0));
    MaskBlt(dc, 360, 10, 4, 4, memory, 0, 0, nullptr, 0, 0, MAKEROP4(SRCCOPY, SRCCOPY));
    SelectObject(memory, old);
    DeleteObject(section);
    DeleteDC(memory);
    TRIVERTEX vertices[] = {{400, 10, 0xFF00, 0, 0, 0}, {440, 50, 0, 0, 0xFF00, 0}};
    GRADIENT_RECT shape{0, 1};
    GdiGradientFill(dc, vertices, 2, &shape, 1, GRADIENT_FILL_RECT_H);
    SetPixelV(dc, 5, 5, RGB(1, 2, 3));
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(pen);
    DeleteObject(brush);
    DeleteObject(font);
}

std::vector<Bytes> SampleMetafiles()
{
    std::vector<Bytes> out;
    GDIINFO info{};
    info.ulLogPixelsX = info.ulLogPixelsY = 60;
    for (const PageDrawer& page : SamplePages()) out.push_back(Record([&](HDC dc) { page(dc, info); }));
    out.push_back(Record(ManyKinds));
    return out;
}

// The records of a metafile, as offsets.
std::vector<size_t> RecordOffsets(const Bytes& b)
{
    std::vector<size_t> at;
    for (size_t p = 0; p + sizeof(EMR) <= b.size();) {
        at.push_back(p);
        const DWORD size = reinterpret_cast<const EMR*>(b.data() + p)->nSize;
        if (size < sizeof(EMR)) break;
        p += size;
    }
    return at;
}

DWORD Field(const Bytes& b, size_t at) { DWORD v; std::memcpy(&v, b.data() + at, 4); return v; }
void SetField(Bytes& b, size_t at, DWORD v) { std::memcpy(b.data() + at, &v, 4); }

// Prints the page through a host DC; false when the host refused it.
bool PrintPage(HDC dc, const Bytes& bytes)
{
    int code = kOk;
    std::wstring error;
    HENHMETAFILE emf = MetafileFromBytes(bytes, &code, &error);
    if (!emf) return false;
    if (HostStartPage(dc) <= 0) { DeleteEnhMetaFile(emf); return false; }
    GDIINFO info{};
    HostDcGdiInfo(dc, &info);
    MetafilePage(emf)(CurrentDrawingDc(dc), info);
    DeleteEnhMetaFile(emf);
    return HostEndPage(dc) > 0;
}

// Runs `use` with a started document on the recording printer, its calls not logged.
void WithDocument(const std::function<void(HDC)>& use)
{
    RecordWithDc([&](HDC dc) {
        SetEnvironmentVariableW(L"PRINTHOST_RECORD_LOG", nullptr);
        const std::wstring job = TempPath(L"mutants.prn");
        DOCINFOW doc{sizeof(doc), L"mutants", job.c_str(), nullptr, 0};
        ASSERT_GT(HostStartDocW(dc, &doc), 0);
        use(dc);
        HostEndDoc(dc);
    });
    DeleteFileW(TempPath(L"mutants.prn").c_str());
}

// Each 32-bit field of the first 48 of every record, one at a time, set to
// values that break counts, indexes, offsets and floats.
std::vector<Bytes> Mutants(const Bytes& original)
{
    constexpr size_t kFieldsPerRecord = 48;
    std::vector<Bytes> out;
    for (size_t record : RecordOffsets(original)) {
        const DWORD size = reinterpret_cast<const EMR*>(original.data() + record)->nSize;
        for (size_t field = 4; field < size && field / 4 < kFieldsPerRecord; field += 4) {
            const DWORD was = Field(original, record + field);
            const DWORD values[] = {0, 0xFFFFFFFF, 0x7FFFFFFF, 0x80000001, 0x7FC00000, was + 1, was * 2 + 64};
            for (DWORD value : values) {
                if (value == was) continue;
                out.push_back(original);
                SetField(out.back(), record + field, value);
            }
        }
    }
    return out;
}

} // namespace

TEST(PrintHostMutation, SampleMetafilesAreWhole)
{
    for (const Bytes& b : SampleMetafiles()) {
        std::wstring error;
        EXPECT_TRUE(CheckMetafileBytes(b.data(), b.size(), &error)) << std::string(error.begin(), error.end());
    }
}

TEST(PrintHostMutation, SingleFieldMutantsAreRefusedOrPrinted)
{
    // A document keeps every page's drawing handle until its DC goes, so the
    // mutants are printed in documents of a bounded number of pages.
    constexpr size_t kPagesPerDocument = 1000;
    std::vector<Bytes> accepted;
    size_t mutants = 0;
    for (const Bytes& original : SampleMetafiles()) {
        for (Bytes& mutant : Mutants(original)) {
            ++mutants;
            std::wstring error;
            if (CheckMetafileBytes(mutant.data(), mutant.size(), &error))
                accepted.push_back(std::move(mutant));
            else
                EXPECT_NE(error.find(L"metafile"), std::wstring::npos);
        }
    }
    size_t printed = 0;
    for (size_t first = 0; first < accepted.size(); first += kPagesPerDocument) {
        WithDocument([&](HDC dc) {
            for (size_t i = first; i < accepted.size() && i < first + kPagesPerDocument; ++i)
                if (PrintPage(dc, accepted[i])) ++printed;
        });
    }
    EXPECT_GT(mutants, 3000u);
    EXPECT_LT(accepted.size(), mutants);
    EXPECT_GT(printed, 0u);
    std::printf("%zu mutants: %zu refused by the check, %zu printed\n", mutants, mutants - accepted.size(), printed);
}
