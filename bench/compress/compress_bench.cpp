// Codes the image bands of a page at 600 dpi (A4 width, 64-row bands) with the
// predictor code and with JPEG, for three kinds of content, and reports the
// source MB/s and the size ratio of each. Run under wine: compress_bench.exe [rounds]
#include "render/compress/image_compression.h"
#include "render/compress/jpeg_coder.h"
#include "render/compress/predictor_coder.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr uint16_t kWidth = 4960;
constexpr uint16_t kRows = 64;

enum Content { kOffice, kPhoto, kNoise };
const char* const kContentNames[] = {"office (text on white)", "photo (smooth)", "noise"};

std::vector<uint8_t> MakeBand(Content content, bool rgb, int band)
{
    const int bpp = rgb ? 3 : 1;
    std::vector<uint8_t> data(size_t(kWidth) * kRows * bpp);
    uint32_t seed = 77 + band;
    for (uint32_t y = 0; y < kRows; ++y)
        for (uint32_t x = 0; x < kWidth; ++x)
            for (int c = 0; c < bpp; ++c) {
                uint8_t v = 255;
                switch (content) {
                case kOffice:
                    // Glyph-like strokes on white: short dark runs on some rows.
                    if ((y + band * kRows) % 50 < 30 && (x * 7 + y * 3) % 97 < 9)
                        v = c == 2 ? 40 : 0;
                    break;
                case kPhoto:
                    v = uint8_t((x / 3 + (y + band * kRows) / 2 + c * 40) % 256 ^ ((x / 64) & 7));
                    break;
                case kNoise:
                    seed = seed * 1103515245 + 12345;
                    v = uint8_t(seed >> 16);
                    break;
                }
                data[(size_t(y) * kWidth + x) * bpp + c] = v;
            }
    return data;
}

struct Figure {
    double seconds = 0;
    uint64_t source = 0, coded = 0;
};

void Report(const char* coder, const char* content, bool rgb, const Figure& f)
{
    std::printf("%-10s %-24s %-4s %8.1f MB/s  size %5.1f%%\n", coder, content, rgb ? "RGB" : "grey",
                f.source / f.seconds / 1e6, 100.0 * f.coded / f.source);
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
    TempChannel channel;
    InitTempChannel(&channel, false, nullptr);
    if (CreateTempChannelFile(&channel) != 0) {
        std::fprintf(stderr, "no temporary channel\n");
        return 1;
    }
    for (int content = kOffice; content <= kNoise; ++content)
        for (bool rgb : {true, false}) {
            std::vector<std::vector<uint8_t>> bands;
            for (int b = 0; b < 8; ++b)
                bands.push_back(MakeBand(Content(content), rgb, b));
            Figure predictor, jpeg;
            for (int round = 0; round < rounds; ++round)
                for (const std::vector<uint8_t>& band : bands) {
                    for (int coder = 0; coder < 2; ++coder) {
                        std::vector<uint8_t> work = band;
                        uint8_t method = 1, format = rgb ? kPixelRgb : kPixelGrey;
                        uint32_t length = uint32_t(work.size());
                        const auto start = std::chrono::steady_clock::now();
                        if (coder == 0)
                            PredictorCoder(&channel, format, kWidth, kRows, &method, &length, work.data());
                        else
                            CompressWithJpeg(&channel, &format, kWidth, kRows, &method, &length, work.data());
                        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
                        Figure& f = coder == 0 ? predictor : jpeg;
                        f.seconds += took.count();
                        f.source += band.size();
                        f.coded += length;
                    }
                }
            Report("predictor", kContentNames[content], rgb, predictor);
            Report("jpeg", kContentNames[content], rgb, jpeg);
        }
    CloseTempChannel(&channel);
    return 0;
}
