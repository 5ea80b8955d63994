// Images handed over whole by the private drawing escape 4210: the chunks are
// kept until the transfer is complete, then the coded data goes into the job
// as it is, placed for its turn. Every job is read back whole.
#include "tests/frame/frame_fixture.h"

#include "common/settings/function_ids.h"
#include "common/settings/value_engine.h"

#include "printhost/host_dc.h"
#include "render/image/escape_image.h"
#include "tools/morva_reader/morva_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kDrawControl = 4209;
constexpr int kChunkedImage = 4210;
constexpr uint32_t kSrcCopy = 0xCC0020;
// The predictor code of an all-white RGB image of 32 x 11 pixels.
const std::vector<uint8_t> kWhiteCode = {0x7C, 0xBE, 0xFF};

struct ImagePlan {
    uint16_t rotation = 0;
    uint8_t kind = kEscImagePredictor;
    uint8_t bits = 24;
    std::vector<uint8_t> palette;  // 4 bytes an entry
    std::vector<uint8_t> data = kWhiteCode;
    int32_t destWidth = 320, destHeight = 110;
};

std::vector<uint8_t> ImageRecord(const ImagePlan& plan)
{
    EscImageRecord r{};
    r.size = sizeof(r);
    r.width = 32;
    r.height = 11;
    r.destX = 300;
    r.destY = 400;
    r.destWidth = plan.destWidth;
    r.destHeight = plan.destHeight;
    r.rotation = plan.rotation;
    r.dataKind = plan.kind;
    r.bitsPerPixel = plan.bits;
    r.mix = 0xCC;
    r.paletteCount = static_cast<uint16_t>(plan.palette.size() / 4);
    r.dataLength = static_cast<uint32_t>(plan.data.size());
    std::vector<uint8_t> out(sizeof(r));
    std::memcpy(out.data(), &r, sizeof(r));
    out.insert(out.end(), plan.palette.begin(), plan.palette.end());
    out.insert(out.end(), plan.data.begin(), plan.data.end());
    return out;
}

// One 4210 input: the request head, the chunk header, the chunk's bytes.
std::vector<uint8_t> ChunkInput(uint32_t id, const std::vector<uint8_t>& whole, uint32_t offset, uint32_t length)
{
    const uint32_t head[2] = {uint32_t(8 + 20 + length), 8};
    const uint32_t chunk[5] = {id, uint32_t(whole.size()), offset, length, kSrcCopy};
    std::vector<uint8_t> in(8 + 20);
    std::memcpy(in.data(), head, 8);
    std::memcpy(in.data() + 8, chunk, 20);
    in.insert(in.end(), whole.begin() + offset, whole.begin() + offset + length);
    return in;
}

// The escapes pass an answer buffer: mid-page, an escape that wants no answer
// waits in the page's metafile and the caller never sees the driver's answer,
// which these tests read.
int Escape(HDC dc, int code, const std::vector<uint8_t>& in)
{
    uint32_t answer = 0;
    return HostExtEscape(dc, code, int(in.size()), reinterpret_cast<LPCSTR>(in.data()), int(sizeof answer),
                         reinterpret_cast<LPSTR>(&answer));
}

struct PrintedImages {
    std::vector<int> answers;  // of each chunk, in order
    bool read = false;
    std::string error;
    std::string commands;
};

// An escape sent after the images, with its input.
struct LaterEscape {
    int code;
    std::vector<uint8_t> in;
};

// One page with each record sent in two chunks, then the later escapes, then
// what `draw` draws on the page (played to the driver when the page ends).
PrintedImages PrintImages(const std::vector<std::vector<uint8_t>>& records, const std::vector<LaterEscape>& later = {},
                          const std::function<void(HDC)>& draw = {}, std::vector<uint8_t> devmode = {})
{
    PrintedImages out;
    frame_test::FrameDriver& driver = frame_test::SharedFrameDriver();
    // Setting 1333 refuses the chunked image, so the model's default is turned off.
    if (devmode.empty())
        devmode = driver.ExtendedDevmode(frame_test::A4At600({{kFidJobHeaderOn, 0}}));
    std::wstring error;
    HDC dc = printhost::CreatePrinterDc(driver.printerName(), reinterpret_cast<DEVMODEW*>(devmode.data()), &error);
    if (!dc) {
        out.error = "no DC";
        return out;
    }
    const std::wstring jobFile = printhost_test::TempPath(L"frame_escape_image.prn");
    DeleteFileW(jobFile.c_str());
    DOCINFOW doc{sizeof(doc), L"escape images", jobFile.c_str(), nullptr, 0};
    HostStartDocW(dc, &doc);
    HostStartPage(dc);
    const std::vector<uint8_t> enable = {8, 0, 0, 0, 1, 0, 0, 0};
    out.answers.push_back(Escape(dc, kDrawControl, enable));
    for (const std::vector<uint8_t>& record : records) {
        const uint32_t first = uint32_t(record.size()) / 2;
        const int id = Escape(dc, kChunkedImage, ChunkInput(0, record, 0, first));
        out.answers.push_back(id);
        out.answers.push_back(
            Escape(dc, kChunkedImage, ChunkInput(uint32_t(std::max(id, 0)), record, first, uint32_t(record.size()) - first)));
    }
    for (const LaterEscape& e : later)
        out.answers.push_back(Escape(dc, e.code, e.in));
    if (draw)
        draw(printhost::CurrentDrawingDc(dc));
    HostEndPage(dc);
    HostEndDoc(dc);
    HostDeleteDC(dc);
    const std::string bytes = printhost_test::ReadTextFile(jobFile);
    DeleteFileW(jobFile.c_str());
    MorvaListing listing;
    out.read = ReadMorvaJob(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), MorvaReadOptions{}, &listing);
    out.error = listing.error;
    out.commands = CommandTexts(listing);
    return out;
}

TEST(FrameEscapeImage, TurnsAndKindsGoOutAsTheyCame)
{
    ASSERT_TRUE(frame_test::SharedFrameDriver().ok());
    const struct {
        const char* name;
        ImagePlan plan;
        const char* line;
    } cases[] = {
        {"upright", {}, "Cq x=300 y=400 matrix=[10,0,0,10,0,0] width=32 height=11 mask=1 model=2 kind=4 planes=1 "
                        "bits=8 method=8 length=3 data=7cbeff"},
        {"quarter turn", {90, kEscImagePredictor, 24, {}, kWhiteCode, 110, 320},
         "Cq x=410 y=400 matrix=[0,10,-10,0,0,0] width=32 height=11"},
        {"half turn", {180}, "Cq x=620 y=510 matrix=[-10,0,0,-10,0,0] width=32 height=11"},
        {"three quarters", {270, kEscImagePredictor, 24, {}, kWhiteCode, 110, 320},
         "Cq x=300 y=720 matrix=[0,-10,10,0,0,0] width=32 height=11"},
        {"palette", {0, kEscImagePredictor, 8, {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0}, {0x7E, 0x0A, 0xF7, 0xFF}},
         "kind=11 palettebits=8 entries=2 palette=000000ffffff planes=1 bits=8 method=8 length=4 data=7e0af7ff"},
        {"JPEG", {0, kEscImageJpeg, 24, {}, {0xFF, 0xD8, 0xFF, 0xD9}}, "kind=5 planes=1 bits=8 method=4 length=4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PrintedImages job = PrintImages({ImageRecord(c.plan)});
        ASSERT_TRUE(job.read) << job.error;
        ASSERT_EQ(job.answers.size(), 3u);
        EXPECT_EQ(job.answers[0], 1);
        EXPECT_GT(job.answers[1], 0);
        EXPECT_EQ(job.answers[2], job.answers[1]) << "the transfer's id on completion";
        EXPECT_NE(job.commands.find(c.line), std::string::npos) << job.commands;
        EXPECT_NE(job.commands.find("AL kind=2 value=204\n"), std::string::npos) << job.commands;
        EXPECT_EQ(frame_test::Count(job.commands, "\nCq "), 1u);
    }
}

// Records that cannot be drawn leave the job whole and answer the failure;
// data beyond what the printer takes sends nothing.
TEST(FrameEscapeImage, RecordsThatCannotBeDrawn)
{
    ASSERT_TRUE(frame_test::SharedFrameDriver().ok());
    ImagePlan turned;
    turned.rotation = 45;
    ImagePlan longData;
    longData.data.assign(kEscImageDataLimit + 1, 0xEE);
    ImagePlan noPalette;
    noPalette.bits = 8;
    ImagePlan oddBits;
    oddBits.bits = 16;
    std::vector<uint8_t> cut = ImageRecord({});
    cut.pop_back();
    std::vector<uint8_t> hugeLength = ImageRecord({});
    const uint32_t huge = 0xFFFFFFF0;
    std::memcpy(hugeLength.data() + offsetof(EscImageRecord, dataLength), &huge, 4);
    const struct {
        const char* name;
        std::vector<uint8_t> record;
        bool fails;
    } cases[] = {
        {"turned 45 degrees", ImageRecord(turned), true}, {"data too long", ImageRecord(longData), false},
        {"8 bits without a palette", ImageRecord(noPalette), true}, {"16 bits", ImageRecord(oddBits), true},
        {"data cut short", cut, true}, {"huge data length", hugeLength, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PrintedImages job = PrintImages({c.record});
        ASSERT_TRUE(job.read) << job.error;
        ASSERT_EQ(job.answers.size(), 3u);
        EXPECT_GT(job.answers[1], 0);
        EXPECT_EQ(job.answers[2], c.fails ? -1 : job.answers[1]);
        EXPECT_EQ(frame_test::Count(job.commands, "\nCq "), 0u) << job.commands;
    }
}

// The watermark frame of an overlay drawn across the sheet: the placement of
// the whole sheet and a clip reset, on the page the image opened. On a plain
// page the whole sheet's frame is the page's own placement, which the state
// cache does not send twice: the placement in force at the clip reset puts
// the printable corner at the sheet's (A4, 4.2 mm borders: 11.9, 830 points).
TEST(FrameEscapeImage, WatermarkFramePlacesTheWholeSheet)
{
    ASSERT_TRUE(frame_test::SharedFrameDriver().ok());
    const PrintedImages job = PrintImages({ImageRecord({})}, {{20484, std::vector<uint8_t>(8, 0)}});
    ASSERT_TRUE(job.read) << job.error;
    ASSERT_EQ(job.answers.size(), 4u);
    EXPECT_EQ(job.answers[3], 1);
    const size_t image = job.commands.find("\nCq ");
    const size_t reset = job.commands.find("\nAR\n", image);
    ASSERT_NE(reset, std::string::npos) << job.commands;
    const size_t frame = job.commands.rfind("\nAa ", reset);
    ASSERT_NE(frame, std::string::npos) << job.commands;
    const std::string line = job.commands.substr(frame + 1, job.commands.find('\n', frame + 1) - frame - 1);
    EXPECT_EQ(line.rfind("Aa matrix=[0.12,0,0,-0.12,11.90", 0), 0u) << line;
    EXPECT_NE(line.find(",829.9"), std::string::npos) << line;
}

// Every 16-bit field of the record set to hostile values, all in one job: no
// record draws outside its bytes, and the job still reads whole.
TEST(FrameEscapeImage, HostileRecordsLeaveTheJobWhole)
{
    ASSERT_TRUE(frame_test::SharedFrameDriver().ok());
    ImagePlan palette;
    palette.bits = 8;
    palette.palette = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0};
    std::vector<std::vector<uint8_t>> records;
    for (const std::vector<uint8_t>& base : {ImageRecord({}), ImageRecord(palette)}) {
        for (size_t at = 0; at + 2 <= sizeof(EscImageRecord); at += 2) {
            for (uint16_t value : {uint16_t(0), uint16_t(1), uint16_t(0x7FFF), uint16_t(0x8000), uint16_t(0xFFFF)}) {
                std::vector<uint8_t> record = base;
                std::memcpy(record.data() + at, &value, sizeof(value));
                records.push_back(record);
            }
        }
    }
    const PrintedImages job = PrintImages(records);
    ASSERT_TRUE(job.read) << job.error;
    ASSERT_EQ(job.answers.size(), 1 + 2 * records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        const int id = job.answers[1 + 2 * i];
        const int done = job.answers[2 + 2 * i];
        EXPECT_GT(id, 0) << i;
        EXPECT_TRUE(done == id || done == -1) << i << ": " << done;
    }
}

// A DEVMODE whose job has a stamp (settings 297 and 299 name one), with the
// overlay mode of setting 1288.
std::vector<uint8_t> StampedDevmode(uint32_t overlayMode)
{
    std::vector<uint8_t> devmode =
        frame_test::SharedFrameDriver().ExtendedDevmode(frame_test::A4At600({{kFidJobHeaderOn, 0}, {1288, overlayMode}}));
    std::vector<uint8_t> printer(7964);
    for (const auto& [id, text] : {std::pair<uint16_t, const wchar_t*>{297, L"Stamp"}, {299, L"CONFIDENTIAL"}}) {
        uint64_t holder = 0;
        std::memcpy(&holder, &text, sizeof text);
        const uint32_t size = uint32_t((wcslen(text) + 1) * sizeof(wchar_t));
        if (dma_SetValue(id, devmode.data(), printer.data(), 6, size, &holder) != 0)
            return {};
    }
    return devmode;
}

// The word "Overlay" in an 80-pixel TrueType face, as a watermark or an
// annotation draws it.
void DrawOverlayWord(HDC dc)
{
        HFONT font = CreateFontW(-80, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial");
        HGDIOBJ old = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        TextOutW(dc, 150, 400, L"Overlay", 7);
        SelectObject(dc, old);
        DeleteObject(font);
}

// The watermark bracket of a stamp that keeps its own clip opens on the
// overlay's frame across the sheet with the page's clip reset, so that the
// watermark drawn in it sends no clip of its own and is not cut by the page's;
// a stamp drawn as part of the page keeps the page's frame and clip.
TEST(FrameEscapeImage, WatermarkBracketOpensOnTheOverlayFrame)
{
    ASSERT_TRUE(frame_test::SharedFrameDriver().ok());
    auto clippedText = [](HDC dc) {
        HRGN region = CreateEllipticRgn(200, 200, 900, 700);
        SelectClipRgn(dc, region);
        DeleteObject(region);
        DrawOverlayWord(dc);
    };
    const std::vector<uint8_t> open = {1, 0, 0, 0};
    const struct {
        const char* name;
        uint32_t overlayMode;
        bool overlayFrame;
    } cases[] = {{"stamp with its own clip", 1, true}, {"stamp on the page", 0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> devmode = StampedDevmode(c.overlayMode);
        ASSERT_FALSE(devmode.empty());
        const PrintedImages job = PrintImages({ImageRecord({})}, {{20483, open}}, clippedText, devmode);
        ASSERT_TRUE(job.read) << job.error;
        ASSERT_EQ(job.answers.size(), 4u);
        EXPECT_EQ(job.answers[3], 1) << "the bracket opens";
        const std::string drawing = job.commands.substr(job.commands.find("\nCq "));
        // The overlay frame of a plain page is the page's own placement, which
        // the state cache does not send again: its clip reset shows it.
        ASSERT_NE(drawing.find("\nDI "), std::string::npos) << "the watermark is drawn: " << drawing;
        EXPECT_EQ(drawing.find("\nAa "), std::string::npos) << drawing;
        EXPECT_EQ(drawing.find("\nAR\n") != std::string::npos, c.overlayFrame) << drawing;
        EXPECT_EQ(drawing.find("\nAC") != std::string::npos, !c.overlayFrame) << drawing;
    }
}

// Inside the annotation bracket the overlay keeps its own clip: a path or a
// line of text drawn there sends none, where the same drawing outside the
// bracket is clipped.
TEST(FrameEscapeImage, AnnotationBracketKeepsItsOwnClip)
{
    ASSERT_TRUE(frame_test::SharedFrameDriver().ok());
    auto clipped = [](std::function<void(HDC)> draw) {
        return [draw](HDC dc) {
            HRGN region = CreateEllipticRgn(200, 200, 900, 700);
            SelectClipRgn(dc, region);
            DeleteObject(region);
            draw(dc);
        };
    };
    auto ellipse = [](HDC dc) {
        HBRUSH brush = CreateSolidBrush(RGB(0, 0, 0));
        HGDIOBJ old = SelectObject(dc, brush);
        Ellipse(dc, 100, 100, 1000, 800);
        SelectObject(dc, old);
        DeleteObject(brush);
    };
    auto text = [](HDC dc) {
        DrawOverlayWord(dc);
    };
    const std::vector<uint8_t> open = {1, 0, 0, 0};
    const struct {
        const char* name;
        std::function<void(HDC)> draw;
        const char* drawn;  // a command the drawing sends
        std::vector<LaterEscape> later;
        bool clipped;
    } cases[] = {
        {"plain path", clipped(ellipse), "\nCc ", {}, true},
        {"path in the annotation bracket", clipped(ellipse), "\nCc ", {{20488, open}}, false},
        {"plain text", clipped(text), "\nDI ", {}, true},
        {"text in the annotation bracket", clipped(text), "\nDI ", {{20488, open}}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PrintedImages job = PrintImages({ImageRecord({})}, c.later, c.draw);
        ASSERT_TRUE(job.read) << job.error;
        const std::string drawing = job.commands.substr(job.commands.find("\nCq "));
        ASSERT_NE(drawing.find(c.drawn), std::string::npos) << drawing;
        EXPECT_EQ(drawing.find("\nAC") != std::string::npos, c.clipped) << drawing;
    }
}

} // namespace
