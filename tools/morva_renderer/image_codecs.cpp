#include "tools/morva_renderer/image_codecs.h"

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdio>
#include <cstring>

extern "C" {
#include <jpeglib.h>
}

namespace {

class BitReader {
public:
    BitReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool exhausted() const { return exhausted_; }
    uint32_t Bits(int n)
    {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i) {
            if (pos_ >= size_ * 8) {
                exhausted_ = true;
                return 0;
            }
            v = (v << 1) | ((data_[pos_ / 8] >> (7 - pos_ % 8)) & 1);
            ++pos_;
        }
        return v;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool exhausted_ = false;
};

// Kinds of prediction, in the order the list starts with.
enum Predictor { kLeft, kUp, kUpLeft, kUpRight, kFar };

constexpr int kMaxPiece = 17057;
constexpr int kEscape = 6;

// Symbols: the two tables differ only in 0 and 1 (0 is "10" or "0").
int ReadSymbol(BitReader& in, int table)
{
    const uint32_t first = in.Bits(1);
    if (first == 0)
        return table == 0 ? 1 : 0;
    if (in.Bits(1) == 0)
        return table == 0 ? 0 : 1;
    if (in.Bits(1) == 0)
        return 2;
    if (in.Bits(1) == 0)
        return in.Bits(1) == 0 ? 3 : 4;
    return in.Bits(1) == 0 ? 5 : kEscape;
}

struct LengthClass {
    int base;
    int extraBits;
};
// Classes 7 to 14, after the prefix 111.
constexpr std::array<LengthClass, 8> kLongLengths{
    {{26, 3}, {34, 3}, {42, 3}, {50, 4}, {66, 5}, {98, 6}, {162, 9}, {674, 14}}};

int ReadLength(BitReader& in)
{
    const uint32_t two = in.Bits(2);
    if (two == 0)
        return 1;
    const uint32_t third = in.Bits(1);
    if (two == 1)
        return third == 0 ? 2 : 3;
    if (two == 2)
        return third == 0 ? 4 + int(in.Bits(1)) : 6 + int(in.Bits(2));
    if (third == 0)
        return 10 + int(in.Bits(4));
    const LengthClass c = kLongLengths[in.Bits(3)];
    return c.base + int(in.Bits(c.extraBits));
}

struct MagnitudeClass {
    int base;
    int extraBits;
};

int ReadDifference(BitReader& in)
{
    const uint32_t code = in.Bits(3);
    if (code == 0)
        return 0;
    if (code == 1)
        return 1;
    if (code == 2)
        return -1;
    MagnitudeClass c{};
    switch (code) {
    case 3:
        c = {2, 1};
        break;
    case 4:
        c = {4, 2};
        break;
    case 5:
        c = {8, 3};
        break;
    case 6:
        c = {16, 5};
        break;
    default:
        c = in.Bits(1) == 0 ? MagnitudeClass{48, 5} : MagnitudeClass{80, 6};
        break;
    }
    const bool negative = in.Bits(1) != 0;
    const int magnitude = c.base + int(in.Bits(c.extraBits));
    return negative ? -magnitude : magnitude;
}

}  // namespace

bool DecodePredictorCode(const uint8_t* data, size_t size, int width, int rows, int channels,
                         std::vector<uint8_t>* pixels, std::string* error)
{
    if (width <= 0 || rows <= 0 || (channels != 1 && channels != 3)) {
        *error = "bad predictor image size";
        return false;
    }
    // Whole pixels: one byte, or the three colour bytes and a constant 0xFF.
    const int pixelBytes = channels == 1 ? 1 : 4;
    const uint8_t fill = channels == 1 ? 0x00 : 0xFF;
    constexpr int kPad = 8;  // the far predictor looks eight pixels back
    const size_t rowPixels = size_t(width) + 2 * kPad;
    std::vector<uint8_t> previous(rowPixels * pixelBytes, fill), current(rowPixels * pixelBytes, fill);
    auto pixelAt = [&](std::vector<uint8_t>& row, int x) { return row.data() + size_t(x + kPad) * pixelBytes; };

    pixels->assign(size_t(width) * size_t(rows) * size_t(channels), 0);
    std::array<Predictor, 5> order{kLeft, kUp, kUpLeft, kUpRight, kFar};
    int table = 0;
    int afterRun = 0;  // the continuation flag: a run cannot repeat the predictor that just ended
    int x = 0, y = 0;
    BitReader in(data, size);

    auto finishPixel = [&]() {
        if (++x < width)
            return;
        for (int i = 0; i < width; ++i)
            std::memcpy(pixels->data() + (size_t(y) * width + i) * channels, pixelAt(current, i), size_t(channels));
        std::swap(previous, current);
        std::fill(current.begin(), current.end(), fill);
        x = 0;
        ++y;
    };
    auto predicted = [&](Predictor p) -> const uint8_t* {
        switch (p) {
        case kLeft:
            return pixelAt(current, x - 1);
        case kUp:
            return pixelAt(previous, x);
        case kUpLeft:
            return pixelAt(previous, x - 1);
        case kUpRight:
            return pixelAt(previous, x + 1);
        case kFar:
            return channels == 1 ? pixelAt(current, x - 8) : pixelAt(previous, x + 2);
        }
        return nullptr;
    };

    while (y < rows) {
        const int symbol = ReadSymbol(in, table);
        if (in.exhausted()) {
            *error = "predictor code cut short at row " + std::to_string(y);
            return false;
        }
        if (symbol == kEscape) {
            if (in.Bits(1) == 0) {
                table ^= 1;
                continue;
            }
            *error = "predictor code ends at row " + std::to_string(y) + " of " + std::to_string(rows);
            return false;
        }
        if (symbol == 0) {
            uint8_t* target = pixelAt(current, x);
            const uint8_t* left = pixelAt(current, x - 1);
            for (int c = 0; c < channels; ++c)
                target[c] = uint8_t(left[c] + ReadDifference(in));
            if (channels == 3)
                target[3] = 0xFF;
            afterRun = 0;
            finishPixel();
            continue;
        }
        const int position = symbol + afterRun;
        if (position > 5) {
            *error = "predictor position out of range";
            return false;
        }
        const int length = ReadLength(in);
        const Predictor p = order[size_t(position - 1)];
        for (int i = 0; i < length && y < rows; ++i) {
            std::memcpy(pixelAt(current, x), predicted(p), size_t(pixelBytes));
            finishPixel();
        }
        std::rotate(order.begin(), order.begin() + (position - 1), order.begin() + position);
        afterRun = length == kMaxPiece ? 0 : 1;
    }
    if (in.exhausted()) {
        *error = "predictor code cut short";
        return false;
    }
    return true;
}

namespace {

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void OnJpegError(j_common_ptr info)
{
    auto* error = reinterpret_cast<JpegError*>(info->err);
    (*info->err->format_message)(info, error->message);
    std::longjmp(error->jump, 1);
}

void SourceInit(j_decompress_ptr) {}
boolean SourceFill(j_decompress_ptr info)
{
    // Past the end: an end-of-image marker, so that a cut stream ends.
    static const JOCTET kEnd[2] = {0xFF, JPEG_EOI};
    info->src->next_input_byte = kEnd;
    info->src->bytes_in_buffer = 2;
    return TRUE;
}
void SourceSkip(j_decompress_ptr info, long count)
{
    if (count <= 0)
        return;
    if (size_t(count) > info->src->bytes_in_buffer) {
        SourceFill(info);
        return;
    }
    info->src->next_input_byte += count;
    info->src->bytes_in_buffer -= size_t(count);
}
void SourceTerm(j_decompress_ptr) {}

}  // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, int* width, int* height, int* channels, std::vector<uint8_t>* pixels,
                std::string* error)
{
    jpeg_decompress_struct info{};
    JpegError jerr{};
    info.err = jpeg_std_error(&jerr.manager);
    jerr.manager.error_exit = OnJpegError;
    jpeg_source_mgr source{};
    if (setjmp(jerr.jump)) {
        *error = std::string("JPEG: ") + jerr.message;
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    source.init_source = SourceInit;
    source.fill_input_buffer = SourceFill;
    source.skip_input_data = SourceSkip;
    source.resync_to_restart = jpeg_resync_to_restart;
    source.term_source = SourceTerm;
    source.next_input_byte = data;
    source.bytes_in_buffer = size;
    info.src = &source;
    jpeg_read_header(&info, TRUE);
    info.out_color_space = info.num_components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_start_decompress(&info);
    *width = int(info.output_width);
    *height = int(info.output_height);
    *channels = info.output_components;
    const size_t rowBytes = size_t(*width) * size_t(*channels);
    pixels->assign(rowBytes * size_t(*height), 0);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels->data() + rowBytes * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}
