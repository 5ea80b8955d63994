// Bitmap glyphs through the maker's compression library for one-bit images:
// when the job binds it, a glyph's rows go through it (kind 2) and its code is
// sent, marked in the record, when it is shorter than the rows. The stand-in
// codes runs as (count, value) byte pairs, so the test decodes what the job
// carries and compares it with the rows GDI gives for the glyph.
#include "tests/frame/frame_fixture.h"

#include "common/settings/function_ids.h"
#include "common/settings/item_layout.h"
#include "common/settings/value_types.h"
#include "printhost/host_dc.h"
#include "render/command/command_layer.h"
#include "render/compress/compression_library.h"
#include "render/draw/text_output.h"
#include "tests/support/stream_capture.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kSetPrinterSettings = 20491;
constexpr int kGetPrinterSettings = 20492;
constexpr uint32_t kStreamWithLibrary = 0x01010801;  // the library's code is read from 1.8.1 on

uint32_t BigEndian(const std::vector<uint8_t>& b, size_t at, int bytes)
{
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = v << 8 | (at + i < b.size() ? b[at + i] : 0);
    return v;
}

// A bitmap glyph record as the job carries it after "DL"/"DH".
struct BitmapRecord {
    bool compressed = false;
    uint32_t length = 0, width = 0, height = 0, rowBytes = 0;
    std::vector<uint8_t> data;  // the bytes after the fixed part, filler included
};

BitmapRecord ReadBitmapRecord(const std::vector<uint8_t>& job, const MorvaCommandLine& download)
{
    const size_t at = download.offset + 2 + (download.text.compare(0, 2, "DL") == 0 ? 2 : 4);
    BitmapRecord r;
    const uint32_t header = BigEndian(job, at, 4);
    r.compressed = (header & (1u << 25)) != 0;
    r.length = header & 0x3FFFF;
    r.height = BigEndian(job, at + 12, 2);
    r.width = BigEndian(job, at + 14, 2);
    r.rowBytes = BigEndian(job, at + 16, 1);
    r.data.assign(job.begin() + ptrdiff_t(at + 18), job.begin() + ptrdiff_t(at + r.length));
    return r;
}

// The stand-in's code back to rows: (count, value) pairs until `bytes` are made.
std::vector<uint8_t> DecodeRuns(const std::vector<uint8_t>& code, size_t bytes)
{
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < code.size() && out.size() < bytes; i += 2)
        out.insert(out.end(), code[i], code[i + 1]);
    return out;
}

// The length of the stand-in's code for these rows.
size_t RunCodeLength(const std::vector<uint8_t>& rows)
{
    size_t n = 0;
    for (size_t i = 0; i < rows.size(); n += 2) {
        size_t run = 1;
        while (i + run < rows.size() && run < 255 && rows[i + run] == rows[i])
            ++run;
        i += run;
    }
    return n;
}

// GLYPHBITS with its rows behind it.
std::vector<uint8_t> Glyph(int width, int height, const std::vector<uint8_t>& rows)
{
    std::vector<uint8_t> g(offsetof(GLYPHBITS, aj) + rows.size());
    auto* bits = reinterpret_cast<GLYPHBITS*>(g.data());
    bits->ptlOrigin = {1, -height};
    bits->sizlBitmap = {width, height};
    std::copy(rows.begin(), rows.end(), bits->aj);
    return g;
}

struct LibraryCloser {
    void operator()(CompressionLibraryBinding* b) const { UnloadCompressionLibrary(b); }
};

// The library's code goes out only when it is shorter than the rows (the
// stand-in makes a band that starts with 0xEE longer); without a library the
// rows go as they are.
TEST(FrameGlyphCompression, CodeSentOnlyWhenShorter)
{
    std::unique_ptr<CompressionLibraryBinding, LibraryCloser> library(
        LoadCompressionLibrary(BesideTestProgram(L"zqcmp_standin.dll").c_str()));
    ASSERT_TRUE(library);
    auto log = reinterpret_cast<const char*(WINAPI*)()>(
        reinterpret_cast<void (*)()>(GetProcAddress(library->module, "standin_Log")));
    ASSERT_NE(log, nullptr);
    const std::vector<uint8_t> runs(3 * 20, 0xFF);  // 20 rows of 24 pixels, all set
    std::vector<uint8_t> noisy(3 * 20);
    for (size_t i = 0; i < noisy.size(); ++i)
        noisy[i] = uint8_t(i == 0 ? 0xEE : i * 37 + 1);
    struct Case {
        const std::vector<uint8_t>* rows;
        bool withLibrary, compressed;
    } cases[] = {{&runs, true, true}, {&noisy, true, false}, {&runs, false, false}};
    for (const Case& k : cases) {
        StreamCapture capture;
        CommandLayer* layer = CreateCommandLayer({capture.stream(), kStreamWithLibrary, false, 1u << 20});
        ASSERT_NE(layer, nullptr);
        const std::vector<uint8_t> glyph = Glyph(24, 20, *k.rows);
        std::vector<uint8_t> record;
        EXPECT_EQ(SendBitmapGlyph(layer, k.withLibrary ? library.get() : nullptr, 3, HGLYPH(9), POINTL{100, 200},
                                  reinterpret_cast<const GLYPHBITS*>(glyph.data()), &record),
                  1);
        FreeCommandLayer(layer);
        const std::string commands = capture.Commands();
        const std::vector<uint8_t> bytes = capture.Bytes();
        MorvaListing listing;
        ASSERT_TRUE(ReadMorvaCommands(bytes.data(), bytes.size(), MorvaReadOptions{}, &listing)) << listing.error;
        ASSERT_EQ(listing.commands.size(), 2u) << commands;  // the download and the placement
        const BitmapRecord r = ReadBitmapRecord(bytes, listing.commands[0]);
        EXPECT_EQ(r.compressed, k.compressed) << commands;
        EXPECT_EQ(listing.commands[0].text.find(" bitmap compressed ") != std::string::npos, k.compressed);
        EXPECT_EQ(r.length % 4, 0u);
        const size_t rowsBytes = k.rows->size();
        if (k.compressed) {
            EXPECT_EQ(r.length, BitmapGlyphRecordLength(2));  // 60 bytes of 0xFF: one run
            EXPECT_EQ(DecodeRuns(r.data, rowsBytes), *k.rows);
        } else {
            EXPECT_EQ(r.length, BitmapGlyphRecordLength(uint32_t(rowsBytes)));
            EXPECT_EQ(std::vector<uint8_t>(r.data.begin(), r.data.begin() + ptrdiff_t(rowsBytes)), *k.rows);
        }
    }
    // Each glyph went to the library as kind 2 with its own sizes.
    EXPECT_NE(std::string(log()).find("init kind=2 width=24 rows=20 row=3;"), std::string::npos) << log();
}

// The glyph memory keeps a glyph per font identity: fonts whose identities
// differ by 65536 each download their own glyph, and a font without an
// identity (iUniq 0) keeps none, its glyphs drawn in place each time.
TEST(FrameGlyphCompression, GlyphMemoryKnowsFontsByTheirWholeIdentity)
{
    StreamCapture capture;
    CommandLayer* layer = CreateCommandLayer({capture.stream(), kStreamWithLibrary, false, 1u << 20});
    ASSERT_NE(layer, nullptr);
    const std::vector<uint8_t> small = Glyph(8, 2, {0xFF, 0x81});
    const std::vector<uint8_t> large = Glyph(16, 3, {0xFF, 0xFF, 0x80, 0x01, 0xFF, 0xFF});
    struct Call {
        uint32_t font;
        const std::vector<uint8_t>* glyph;
    } calls[] = {{3, &small}, {3, &small}, {3 + 0x10000, &large}, {3 + 0x10000, &large}, {0, &small}, {0, &large}};
    std::vector<uint8_t> record;
    for (const Call& c : calls)
        EXPECT_EQ(SendBitmapGlyph(layer, nullptr, c.font, HGLYPH(9), POINTL{100, 200},
                                  reinterpret_cast<const GLYPHBITS*>(c.glyph->data()), &record),
                  1)
            << c.font;
    FreeCommandLayer(layer);
    const std::vector<uint8_t> bytes = capture.Bytes();
    MorvaListing listing;
    ASSERT_TRUE(ReadMorvaCommands(bytes.data(), bytes.size(), MorvaReadOptions{}, &listing)) << listing.error;
    std::vector<std::string> kinds;
    for (const MorvaCommandLine& line : listing.commands)
        kinds.push_back(line.text.substr(0, 2));
    // Download and place, place, download and place, place, then two in place.
    const std::vector<std::string> expected = {"DL", "DM", "DM", "DL", "DM", "DM", "Cp", "Cp"};
    ASSERT_EQ(kinds.size(), expected.size()) << capture.Commands();
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(kinds[i], expected[i]) << i << "\n" << capture.Commands();
    // The second font's glyph is its own (16 pixels wide), not the first's.
    const BitmapRecord second = ReadBitmapRecord(bytes, listing.commands[3]);
    EXPECT_EQ(second.width, 16u);
    EXPECT_EQ(second.height, 3u);
}

// The glyph rows GDI gives for one character of Arial at `pixels`, in whole
// bytes per row as the record carries them.
std::vector<uint8_t> GdiRows(wchar_t c, int pixels, uint32_t* width, uint32_t* height)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontW(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial");
    HGDIOBJ old = SelectObject(dc, font);
    GLYPHMETRICS gm{};
    const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    const DWORD size = GetGlyphOutlineW(dc, c, GGO_BITMAP, &gm, 0, nullptr, &identity);
    std::vector<uint8_t> raw(size == GDI_ERROR ? 0 : size);
    if (!raw.empty())
        GetGlyphOutlineW(dc, c, GGO_BITMAP, &gm, size, raw.data(), &identity);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    *width = gm.gmBlackBoxX;
    *height = gm.gmBlackBoxY;
    const size_t from = (size_t(gm.gmBlackBoxX) + 31) / 32 * 4, to = (size_t(gm.gmBlackBoxX) + 7) / 8;
    std::vector<uint8_t> rows;
    for (size_t y = 0; y < gm.gmBlackBoxY && (y + 1) * from <= raw.size(); ++y)
        rows.insert(rows.end(), raw.begin() + ptrdiff_t(y * from), raw.begin() + ptrdiff_t(y * from + to));
    return rows;
}

// The library placed where the model names it: from stream 1.8.1 on the
// job's glyphs carry its code when it is shorter, and it decodes to GDI's
// rows; for an older stream it is not bound and the rows go as they are.
TEST(FrameGlyphCompression, PrintedGlyphsCarryTheLibrarysCode)
{
    frame_test::FrameDriver& driver = frame_test::SharedFrameDriver();
    ASSERT_TRUE(driver.ok());
    const std::wstring placed = driver.driverDirectory() + L"\\C4530ZQ.DLL";
    ASSERT_TRUE(CopyFileW(BesideTestProgram(L"zqcmp_standin.dll").c_str(), placed.c_str(), FALSE));
    // Bitmaps up to 72 points (setting 346), 300 pixels high: long runs in
    // the stems.
    const wchar_t* text = L"IlHx";
    constexpr int kPixels = 300;
    const printhost::PageDrawer page = [text](HDC dc, const GDIINFO&) {
        HFONT font = CreateFontW(-kPixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_TT_ONLY_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial");
        HGDIOBJ old = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        const bool drawn = TextOutW(dc, 300, 400, text, 4) != FALSE;
        SelectObject(dc, old);
        DeleteObject(font);
        return drawn;
    };
    for (bool library : {true, false}) {
        SCOPED_TRACE(library ? "stream 1.8.1" : "older stream");
        // The stream version is the printer's own setting: switched in the
        // job's copy of the printer settings before the job begins.
        const auto newerStream = [library](HDC dc) {
            if (!library)
                return;
            std::vector<char> record(kPrinterSettingsRecordSize);
            ASSERT_GT(HostExtEscape(dc, kGetPrinterSettings, 0, nullptr, int(record.size()), record.data()), 0);
            ItemLayout layout{};
            ASSERT_EQ(FindItemLayout(kFidStreamVersion, nullptr, record.data(), &layout), 0);
            std::memcpy(layout.address, &kStreamWithLibrary, sizeof kStreamWithLibrary);
            ASSERT_GT(HostExtEscape(dc, kSetPrinterSettings, int(record.size()), record.data(), 0, nullptr), 0);
        };
        const frame_test::DrawnJob job =
            frame_test::PrintDrawnPages(driver.ExtendedDevmode(frame_test::A4At600({{346, 72}})), {page}, newerStream);
        size_t i = 0, compressed = 0;
        for (const MorvaCommandLine& c : job.listing.commands) {
            if (c.text.compare(0, 3, "DL ") != 0 && c.text.compare(0, 3, "DH ") != 0)
                continue;
            ASSERT_LT(i, 4u) << job.commands;
            const BitmapRecord r = ReadBitmapRecord(job.bytes, c);
            uint32_t width = 0, height = 0;
            const std::vector<uint8_t> rows = GdiRows(text[i++], kPixels, &width, &height);
            EXPECT_EQ(r.width, width);
            EXPECT_EQ(r.height, height);
            EXPECT_EQ(r.compressed, library && RunCodeLength(rows) < rows.size()) << c.text;
            compressed += r.compressed;
            const std::vector<uint8_t> carried =
                r.compressed ? DecodeRuns(r.data, rows.size())
                             : std::vector<uint8_t>(r.data.begin(), r.data.begin() + ptrdiff_t(rows.size()));
            EXPECT_EQ(carried, rows) << c.text;
        }
        EXPECT_EQ(i, 4u) << job.commands;
        if (library)
            EXPECT_GT(compressed, 1u) << job.commands;
    }
    EXPECT_TRUE(DeleteFileW(placed.c_str())) << "the library is still loaded";
}

}  // namespace
