// Characters per second of downloaded TrueType text: 100 pages of 4000
// characters drawn from 80 glyphs, each page starting with an empty glyph
// memory (so each glyph is sent once a page and placed by reference after).
// Reports the rate with glyphs cached (the placements) and overall; then the
// same pages in a resident font: each character through the printer's code
// tables (a direct table and a pair table), each line of 80 one character
// run with one advance. When the test stand-in of the maker's compression
// library (zqcmp_standin.dll) lies beside the program, the downloads are
// timed again with their rows going through it.
// Run under wine: text_bench.exe [pages]
#include "render/command/command_layer.h"
#include "render/compress/compression_library.h"
#include "render/draw/text_output.h"
#include "render/font/font_description.h"
#include "render/output/output_stream.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

uint64_t g_sunk = 0;

BOOL WINAPI CountingSink(HANDLE, LPVOID, DWORD length, LPDWORD written)
{
    g_sunk += length;
    *written = length;
    return TRUE;
}

constexpr int kGlyphs = 80;
constexpr int kCharsPerPage = 4000;
constexpr int kWidth = 40, kHeight = 50;

// GLYPHBITS with its rows behind it.
std::vector<uint8_t> MakeGlyph(int seed)
{
    const int rowBytes = (kWidth + 7) / 8;
    std::vector<uint8_t> g(offsetof(GLYPHBITS, aj) + rowBytes * kHeight);
    auto* bits = reinterpret_cast<GLYPHBITS*>(g.data());
    bits->ptlOrigin = {2, -kHeight};
    bits->sizlBitmap = {kWidth, kHeight};
    for (int i = 0; i < rowBytes * kHeight; ++i)
        bits->aj[i] = static_cast<uint8_t>((i * 7 + seed) | 1);
    return g;
}

// A description with code tables only: codes 32..126 direct, 160..255 by pairs.
std::vector<uint8_t> CodeTableDescription(FontMetricsBlock* metrics)
{
    std::vector<uint8_t> d(sizeof(FontMetricsBlock), 0);
    auto put16 = [&](uint16_t v) { d.insert(d.end(), {uint8_t(v), uint8_t(v >> 8)}); };
    const auto direct = uint32_t(d.size());
    for (uint16_t c = 32; c < 127; ++c)
        put16(c);
    const auto pairs = uint32_t(d.size());
    for (uint16_t c = 160; c < 256; ++c)
        put16(c), put16(uint16_t(c - 32));
    *metrics = FontMetricsBlock{};
    metrics->codeTables = uint32_t(d.size());
    const CodeTableBlock b{32, 126, direct, 0, 0, 0, 0, 96, pairs};
    const auto* raw = reinterpret_cast<const uint8_t*>(&b);
    d.insert(d.end(), raw, raw + sizeof(b));
    return d;
}

double DeviceFontPages(CommandLayer* layer, long pages, int* ok)
{
    FontMetricsBlock metrics;
    const std::vector<uint8_t> d = CodeTableDescription(&metrics);
    const CodeTables tables = ReadCodeTables(d, metrics);
    std::vector<uint16_t> line(80);
    const float advance[1] = {30};
    const auto start = std::chrono::steady_clock::now();
    for (long page = 0; page < pages; ++page) {
        *ok &= ResetCommandLayerForPage(layer) == 0;
        *ok &= EmitFont(layer, 26) == 0;
        for (int c = 0; c < kCharsPerPage; c += 80) {
            for (int i = 0; i < 80; ++i) {
                const uint32_t code = ((c + i) * 7) % 2 ? 32 + (c + i) % 95 : 160 + (c + i) % 96;
                line[i] = uint16_t(MapCharToPrinterCode(d, tables, code));
            }
            *ok &= EmitGlyphRun(layer, 100, 200 + c / 80 * 60, line, kAdvanceCommon, advance) == 0;
        }
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Glyphs per second of the first download of each glyph of a page, with the
// rows through `library`.
double DownloadRate(CommandLayer* layer, CompressionLibraryBinding* library, long pages,
                    const std::vector<std::vector<uint8_t>>& glyphs, int* ok)
{
    std::vector<uint8_t> record;
    const auto start = std::chrono::steady_clock::now();
    for (long page = 0; page < pages; ++page) {
        *ok &= ResetCommandLayerForPage(layer) == 0;
        for (int c = 0; c < kGlyphs; ++c) {
            const POINTL at{100 + c * 45, 200};
            *ok &= SendBitmapGlyph(layer, library, 7, HGLYPH(c), at, reinterpret_cast<const GLYPHBITS*>(glyphs[c].data()),
                                   &record);
        }
    }
    return double(pages) * kGlyphs / std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv)
{
    const long pages = argc > 1 ? std::atol(argv[1]) : 100;
    std::vector<std::vector<uint8_t>> glyphs;
    for (int i = 0; i < kGlyphs; ++i)
        glyphs.push_back(MakeGlyph(i));
    OutputStream* s = CreateOutputStream(nullptr);
    s->writePrinter = CountingSink;
    OpenStreamOnSpoolHandle(s, reinterpret_cast<HANDLE>(1));
    CommandLayer* layer = CreateCommandLayer({s, 0, false, 2u << 20});
    if (layer == nullptr) {
        std::printf("no command layer\n");
        return 1;
    }
    std::vector<uint8_t> record;
    int ok = 1;
    double firstSeconds = 0, cachedSeconds = 0;
    long cachedChars = 0;
    for (long page = 0; page < pages; ++page) {
        ok &= ResetCommandLayerForPage(layer) == 0;
        auto start = std::chrono::steady_clock::now();
        int c = 0;
        for (; c < kGlyphs; ++c) {
            const POINTL at{100 + (c % 80) * 45, 200 + (c / 80) * 60};
            ok &= SendBitmapGlyph(layer, nullptr, 7, HGLYPH(c), at, reinterpret_cast<GLYPHBITS*>(glyphs[c].data()), &record);
        }
        auto mid = std::chrono::steady_clock::now();
        for (; c < kCharsPerPage; ++c) {
            const int g = (c * 13) % kGlyphs;
            const POINTL at{100 + (c % 80) * 45, 200 + (c / 80) * 60};
            ok &= SendBitmapGlyph(layer, nullptr, 7, HGLYPH(g), at, reinterpret_cast<GLYPHBITS*>(glyphs[g].data()), &record);
        }
        auto end = std::chrono::steady_clock::now();
        firstSeconds += std::chrono::duration<double>(mid - start).count();
        cachedSeconds += std::chrono::duration<double>(end - mid).count();
        cachedChars += kCharsPerPage - kGlyphs;
    }
    const double deviceSeconds = DeviceFontPages(layer, pages, &ok);
    const double plainDownloads = DownloadRate(layer, nullptr, pages, glyphs, &ok);
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring standin(path, n);
    standin = standin.substr(0, standin.find_last_of(L'\\') + 1) + L"zqcmp_standin.dll";
    CompressionLibraryBinding* library = LoadCompressionLibrary(standin.c_str());
    const double packedDownloads = library ? DownloadRate(layer, library, pages, glyphs, &ok) : 0;
    UnloadCompressionLibrary(library);
    FlushStreamBuffer(s);
    const double total = double(pages) * kCharsPerPage;
    std::printf("%ld pages, %.0f characters, %.1f MB sent%s\n", pages, total, g_sunk / 1e6, ok ? "" : " (FAILED)");
    std::printf("cached glyphs: %.2f million characters/s\n", cachedChars / cachedSeconds / 1e6);
    std::printf("overall:       %.2f million characters/s\n", total / (firstSeconds + cachedSeconds) / 1e6);
    std::printf("resident font: %.2f million characters/s\n", total / deviceSeconds / 1e6);
    std::printf("downloads:     %.0f thousand glyphs/s\n", plainDownloads / 1e3);
    if (packedDownloads > 0)
        std::printf("downloads through the compression stand-in: %.0f thousand glyphs/s\n", packedDownloads / 1e3);
    FreeCommandLayer(layer);
    CloseOutputStream(s);
    DestroyOutputStream(s);
    return ok ? 0 : 1;
}
