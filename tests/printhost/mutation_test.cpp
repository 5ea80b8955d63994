// Malformed metafiles are refused before GDI plays them: every single-field
// mutant of the sample metafiles is either refused by the check or printed
// through the recording driver; none may crash or hang the host.
#include "tests/printhost/recorded_document.h"
#include "tests/printhost/driver_fixture.h"
#include "tests/printhost/mutants.h"

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

namespace {

// The first record of a type in a metafile, as an offset (0 when none).
size_t FirstOf(const Bytes& b, DWORD type, size_t after = 0)
{
    for (size_t at : RecordOffsets(b))
        if (at > after && reinterpret_cast<const EMR*>(b.data() + at)->iType == type) return at;
    return 0;
}

// The metafile with one record repeated `times` more times after itself.
Bytes Repeated(const Bytes& b, size_t at, int times)
{
    const DWORD size = reinterpret_cast<const EMR*>(b.data() + at)->nSize;
    Bytes out(b.begin(), b.begin() + at + size);
    for (int i = 0; i < times; ++i) out.insert(out.end(), b.begin() + at, b.begin() + at + size);
    out.insert(out.end(), b.begin() + at + size, b.end());
    auto* header = reinterpret_cast<ENHMETAHEADER*>(out.data());
    header->nBytes = DWORD(out.size());
    header->nRecords += DWORD(times);
    return out;
}

void PenAndText(HDC dc)
{
    HPEN pen = CreatePen(PS_SOLID, 2, RGB(1, 2, 3));
    HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
    SelectObject(dc, pen);
    SelectObject(dc, brush);
    SetGraphicsMode(dc, GM_ADVANCED);
    const XFORM scale{2, 0, 0, 2, 0, 0};
    SetWorldTransform(dc, &scale);
    Arc(dc, 0, 0, 50, 50, 50, 25, 0, 25);
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, 10, 10, L"abc", 3);
    BeginPath(dc);
    Rectangle(dc, 10, 10, 60, 40);
    EndPath(dc);
    WidenPath(dc);
    StrokePath(dc);
    const POINT draw[] = {{10, 20}, {30, 40}};
    const BYTE types[] = {PT_MOVETO, PT_LINETO};
    PolyDraw(dc, draw, types, 2);
    const Dib dib;
    HDC memory = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(memory, dib.info(), DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, section);
    StretchBlt(dc, 100, 10, 8, 8, memory, 0, 0, 4, 4, SRCCOPY);
    const BYTE maskBits[8] = {0xF0, 0, 0x60, 0, 0x60, 0, 0xF0, 0};
    HBITMAP mask = CreateBitmap(4, 4, 1, 1, maskBits);
    MaskBlt(dc, 120, 10, 4, 4, memory, 0, 0, mask, 0, 0, MAKEROP4(SRCCOPY, PATCOPY));
    SelectObject(memory, old);
    DeleteObject(section);
    DeleteObject(mask);
    DeleteDC(memory);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(pen);
    DeleteObject(brush);
}

} // namespace

// Faults that crashed or hung GDI's playback, each refused with a message
// naming the record.
TEST(PrintHostMutation, KnownFaultsAreRefusedNamingTheRecord)
{
    const Bytes good = Record(PenAndText);
    std::wstring error;
    ASSERT_TRUE(CheckMetafileBytes(good.data(), good.size(), &error)) << std::string(error.begin(), error.end());
    const DWORD handles = reinterpret_cast<const ENHMETAHEADER*>(good.data())->nHandles;
    const auto select = FirstOf(good, EMR_SELECTOBJECT);
    const auto pen = FirstOf(good, EMR_CREATEPEN);
    const auto brush = FirstOf(good, EMR_CREATEBRUSHINDIRECT);
    const auto transform = FirstOf(good, EMR_SETWORLDTRANSFORM);
    const auto small = FirstOf(good, EMR_SETBKMODE);
    const auto stretch = FirstOf(good, EMR_STRETCHBLT);
    const auto mask = FirstOf(good, EMR_MASKBLT);
    const auto widen = FirstOf(good, EMR_WIDENPATH);
    const auto polyDraw = FirstOf(good, EMR_POLYDRAW16) ? FirstOf(good, EMR_POLYDRAW16) : FirstOf(good, EMR_POLYDRAW);
    ASSERT_TRUE(select && pen && brush && transform && small && stretch && mask && widen && polyDraw);
    struct Case {
        const char* name;
        std::function<Bytes()> make;
        const wchar_t* record;
        const wchar_t* fault;
    };
    auto with = [&](size_t at, size_t offset, DWORD value) {
        return [=, &good] { Bytes b = good; SetField(b, at + offset, value); return b; };
    };
    const Case cases[] = {
        {"select index at the handle count", with(select, offsetof(EMRSELECTOBJECT, ihObject), handles),
         L"EMR_SELECTOBJECT", L"outside the handle table"},
        {"pen index past the table", with(pen, offsetof(EMRCREATEPEN, ihPen), 0x7FFF), L"EMR_CREATEPEN", L"outside the handle table"},
        {"brush index 0", with(brush, offsetof(EMRCREATEBRUSHINDIRECT, ihBrush), 0), L"EMR_CREATEBRUSHINDIRECT",
         L"outside the handle table"},
        {"NaN world transform before an arc", with(transform, offsetof(EMRSETWORLDTRANSFORM, xform.eM11), 0x7FC00000),
         L"EMR_SETWORLDTRANSFORM", L"world transform"},
        {"infinite offset", with(transform, offsetof(EMRSETWORLDTRANSFORM, xform.eDx), 0x7F800000), L"EMR_SETWORLDTRANSFORM",
         L"world transform"},
        {"text record shorter than its type", with(small, 0, EMR_EXTTEXTOUTW), L"EMR_EXTTEXTOUTW", L"shorter than its type"},
        {"gradient shorter than its type", with(small, 0, EMR_GRADIENTFILL), L"EMR_GRADIENTFILL", L"shorter than its type"},
        {"stretched source outside the record", with(stretch, offsetof(EMRSTRETCHBLT, offBmiSrc), 0xFFFFFF00),
         L"EMR_STRETCHBLT", L"outside the record"},
        {"stretched source bits cut short", with(stretch, offsetof(EMRSTRETCHBLT, cbBitsSrc), 4), L"EMR_STRETCHBLT",
         L"shorter than its rows"},
        {"mask bits cut short", with(mask, offsetof(EMRMASKBLT, cbBitsMask), 1), L"EMR_MASKBLT", L"shorter than its rows"},
        {"mask source usage", with(mask, offsetof(EMRMASKBLT, iUsageSrc), DIB_PAL_COLORS), L"EMR_MASKBLT", L"colours"},
        {"unknown point type", [&] {
             Bytes b = good;
             const bool small = reinterpret_cast<const EMR*>(b.data() + polyDraw)->iType == EMR_POLYDRAW16;
             const DWORD count = Field(b, polyDraw + offsetof(EMRPOLYDRAW, cptl));
             b[polyDraw + offsetof(EMRPOLYDRAW, aptl) + count * (small ? sizeof(POINTS) : sizeof(POINTL))] = 9;
             return b;
         },
         L"EMR_POLYDRAW", L"point type"},
        {"path widened 11 times", [&] { return Repeated(good, widen, 10); }, L"EMR_WIDENPATH", L"path grows past"},
        {"no handle table", [&] { Bytes b = good; reinterpret_cast<ENHMETAHEADER*>(b.data())->nHandles = 0; return b; },
         L"EMR_HEADER", L"handle count"},
        {"reference device of no size", with(0, offsetof(ENHMETAHEADER, szlDevice.cx), 0), L"EMR_HEADER", L"reference device"},
        {"parallelogram blit", [] {
             return Record([](HDC dc) {
                 HDC memory = CreateCompatibleDC(nullptr);
                 HBITMAP bitmap = CreateCompatibleBitmap(memory, 4, 4);
                 HGDIOBJ old = SelectObject(memory, bitmap);
                 const POINT corners[] = {{140, 10}, {150, 12}, {138, 20}};
                 PlgBlt(dc, corners, memory, 0, 0, 4, 4, nullptr, 0, 0);
                 SelectObject(memory, old);
                 DeleteObject(bitmap);
                 DeleteDC(memory);
             });
         }, L"EMR_PLGBLT", L"not played"},
    };
    for (const Case& c : cases) {
        const Bytes b = c.make();
        error.clear();
        EXPECT_FALSE(CheckMetafileBytes(b.data(), b.size(), &error)) << c.name;
        EXPECT_NE(error.find(c.record), std::wstring::npos) << c.name << ": " << std::string(error.begin(), error.end());
        EXPECT_NE(error.find(c.fault), std::wstring::npos) << c.name << ": " << std::string(error.begin(), error.end());
    }
}
