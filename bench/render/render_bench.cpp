// Encodes a realistic mix of MORVA commands (paths, glyph runs, colours and
// images) through the output stream and reports MB/s: into a sink that only
// counts, on to a file, and a plain memcpy of the same bytes for comparison.
// Run under wine: render_bench.exe [rounds]
#include "render/morva/morva_commands.h"
#include "render/morva/morva_scalars.h"
#include "render/output/output_stream.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

uint64_t g_sunk = 0;
std::vector<uint8_t>* g_sample = nullptr;

BOOL WINAPI CountingSink(HANDLE, LPVOID bytes, DWORD length, LPDWORD written)
{
    if (g_sample != nullptr) {
        const auto* p = static_cast<const uint8_t*>(bytes);
        g_sample->insert(g_sample->end(), p, p + length);
    }
    g_sunk += length;
    *written = length;
    return TRUE;
}

struct Mix {
    std::vector<MorvaPoint> polyline;
    std::vector<MorvaPoint> beziers;
    std::vector<uint16_t> glyphs;
    std::vector<float> gaps;
    std::vector<uint8_t> image;
};

Mix MakeMix()
{
    Mix m;
    for (int i = 0; i < 24; ++i)
        m.polyline.push_back({1000 + i * 37, 2000 + (i % 5) * 90});
    for (int i = 0; i < 12; ++i)
        m.beziers.push_back({3000 + i * 11, 4000 - i * 13});
    for (int i = 0; i < 48; ++i)
        m.glyphs.push_back(static_cast<uint16_t>(64 * (i + 3)));
    for (int i = 0; i < 47; ++i)
        m.gaps.push_back(static_cast<float>(25 + i % 3));
    m.image.resize(24 * 1024);
    for (size_t i = 0; i < m.image.size(); ++i)
        m.image[i] = static_cast<uint8_t>(i * 31);
    return m;
}

// One "page": a handful of attributes, 40 path objects, 60 glyph runs, 2 images.
int EncodePage(OutputStream* s, const Mix& m)
{
    const float identity[6] = {1, 0, 0, 1, 0, 0};
    const MorvaColour black = {kColourFormatRgb, {0, 0, 0}};
    const MorvaColour red = {kColourFormatRgb, {200, 10, 10}};
    int r = WritePlacementMatrix(s, identity) | WriteClipRect(s, 0, 0, 4960, 7016);
    for (int i = 0; i < 40; ++i) {
        const MorvaPoint start = {1000, 2000 + i};
        r |= WriteSolidColour(s, 1, (i & 1) ? red : black) | WriteLineWidth(s, 3) | WritePaintOperation(s, 1);
        r |= WritePathStart(s) | WriteMoveTo(s, start.x, start.y) | WritePolylineDelta(s, &start, m.polyline);
        r |= WriteBeziers(s, m.beziers) | WriteClosePath(s) | WritePathEnd(s);
        r |= WriteRectangle(s, 100, 100 + i, 400, 300 + i);
    }
    const uint16_t* ids = m.glyphs.data();
    for (int i = 0; i < 60; ++i) {
        r |= WriteFont(s, 1 + (i & 3));
        r |= WriteGlyphRun(s, 300, 400 + i * 60, {ids, m.glyphs.size()}, kAdvancePerGap, m.gaps);
    }
    for (int i = 0; i < 2; ++i) {
        MorvaImageHeader h = {};
        h.destX = 100;
        h.destY = 200;
        std::memcpy(h.matrix, identity, sizeof(identity));
        h.sourceWidth = 128;
        h.sourceHeight = 64;
        h.maskFlag = kImageNoMask;
        h.colourModel = kImageData;
        h.colourKind = 4;
        h.bitsPerComponent = 8;
        h.method = kImageMethodPlain;
        h.dataLength = static_cast<uint32_t>(m.image.size());
        r |= WriteMix(s, 2, 0xCC) | WriteImageHeader(s, h) | PutRaw(s, m.image.data(), h.dataLength);
    }
    return r;
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv)
{
    const long rounds = argc > 1 ? std::atol(argv[1]) : 400;
    const Mix mix = MakeMix();

    // Encoding alone: the spooler is a sink that only counts.
    OutputStream* s = CreateOutputStream(nullptr);
    s->writePrinter = CountingSink;
    OpenStreamOnSpoolHandle(s, reinterpret_cast<HANDLE>(1));
    std::vector<uint8_t> sample;
    g_sample = &sample;
    int failed = EncodePage(s, mix);
    FlushStreamBuffer(s);
    g_sample = nullptr;
    g_sunk = 0;
    auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < rounds; ++i)
        failed |= EncodePage(s, mix);
    FlushStreamBuffer(s);
    const double sinkSeconds = Seconds(start);
    const double megabytes = g_sunk / 1e6;
    CloseOutputStream(s);

    // Encoding on to a file.
    wchar_t dir[MAX_PATH + 1];
    GetTempPathW(MAX_PATH, dir);
    const std::wstring name = std::wstring(dir) + L"morva-render-bench.bin";
    OpenStreamOnSpoolHandle(s, reinterpret_cast<HANDLE>(1));
    uint32_t size = 0;
    failed |= OpenStreamFile(s, name.c_str(), &size, kStreamFileCreate);
    start = std::chrono::steady_clock::now();
    for (long i = 0; i < rounds; ++i)
        failed |= EncodePage(s, mix);
    failed |= CloseStreamFile(s, &size);
    const double fileSeconds = Seconds(start);
    CloseOutputStream(s);
    DestroyOutputStream(s);
    DeleteFileW(name.c_str());

    // The same bytes of one page copied with memcpy, once per page.
    std::vector<uint8_t> target(sample.size());
    uint64_t copied = 0;
    start = std::chrono::steady_clock::now();
    for (long i = 0; i < rounds; ++i) {
        sample[i % sample.size()] ^= 1;  // keeps the copy from being hoisted out of the loop
        std::memcpy(target.data(), sample.data(), sample.size());
        copied += target[i % target.size()];
    }
    const double copySeconds = Seconds(start);

    std::printf("page mix: %zu bytes per page, %ld pages, %.1f MB\n", sample.size(), rounds, megabytes);
    std::printf("encode into the stream (counting sink): %.1f MB/s\n", megabytes / sinkSeconds);
    std::printf("encode on to a file:                    %.1f MB/s (file size %u)\n", megabytes / fileSeconds, size);
    std::printf("memcpy of the same bytes:               %.1f MB/s (%llu)\n", megabytes / copySeconds,
                static_cast<unsigned long long>(copied & 1));
    return failed != 0 ? 1 : 0;
}
