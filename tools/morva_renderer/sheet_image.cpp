#include "tools/morva_renderer/sheet_image.h"

#include <algorithm>
#include <array>
#include <cstdio>

SheetImage ReduceImage(const SheetImage& image, int factor)
{
    if (factor <= 1)
        return image;
    SheetImage out((image.width + factor - 1) / factor, (image.height + factor - 1) / factor);
    for (int oy = 0; oy < out.height; ++oy) {
        for (int ox = 0; ox < out.width; ++ox) {
            uint32_t sum[3] = {0, 0, 0};
            uint32_t count = 0;
            for (int y = oy * factor; y < image.height && y < (oy + 1) * factor; ++y) {
                for (int x = ox * factor; x < image.width && x < (ox + 1) * factor; ++x) {
                    const uint8_t* p = image.At(x, y);
                    sum[0] += p[0];
                    sum[1] += p[1];
                    sum[2] += p[2];
                    ++count;
                }
            }
            uint8_t* q = out.At(ox, oy);
            for (int c = 0; c < 3; ++c)
                q[c] = uint8_t((sum[c] + count / 2) / count);
        }
    }
    return out;
}

namespace {

const std::array<uint32_t, 256>& CrcTable()
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

uint32_t Crc32(const uint8_t* data, size_t size)
{
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i)
        c = CrcTable()[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void PutBig32(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v >> 24));
    out.push_back(uint8_t(v >> 16));
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

void PutChunk(std::vector<uint8_t>& out, const char (&type)[5], const std::vector<uint8_t>& body)
{
    PutBig32(out, uint32_t(body.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), body.begin(), body.end());
    PutBig32(out, Crc32(out.data() + start, out.size() - start));
}

// A zlib stream of stored blocks (at most 65535 bytes each) and the Adler-32 sum.
std::vector<uint8_t> StoredZlib(const std::vector<uint8_t>& raw)
{
    std::vector<uint8_t> out{0x78, 0x01};
    size_t at = 0;
    do {
        const size_t n = std::min<size_t>(raw.size() - at, 65535);
        const bool last = at + n == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(uint8_t(n));
        out.push_back(uint8_t(n >> 8));
        out.push_back(uint8_t(~n));
        out.push_back(uint8_t(~n >> 8));
        out.insert(out.end(), raw.begin() + ptrdiff_t(at), raw.begin() + ptrdiff_t(at + n));
        at += n;
    } while (at < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBig32(out, (b << 16) | a);
    return out;
}

}  // namespace

std::vector<uint8_t> EncodePng(const SheetImage& image)
{
    std::vector<uint8_t> out{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> header;
    PutBig32(header, uint32_t(image.width));
    PutBig32(header, uint32_t(image.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});
    PutChunk(out, "IHDR", header);
    // Each row: filter type 0 (none), then the pixels.
    std::vector<uint8_t> raw;
    const size_t rowBytes = size_t(image.width) * 3;
    raw.reserve((rowBytes + 1) * size_t(image.height));
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), image.rgb.begin() + ptrdiff_t(rowBytes * size_t(y)),
                   image.rgb.begin() + ptrdiff_t(rowBytes * size_t(y + 1)));
    }
    PutChunk(out, "IDAT", StoredZlib(raw));
    PutChunk(out, "IEND", {});
    return out;
}

bool WritePngFile(const std::string& path, const SheetImage& image)
{
    const std::vector<uint8_t> bytes = EncodePng(image);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
