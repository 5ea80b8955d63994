#include "render/compress/jpeg_coder.h"

#include "render/compress/predictor_coder.h"

#include <csetjmp>
#include <cstdio>

extern "C" {
#include <jpeglib.h>
#include <jerror.h>
}

namespace {

constexpr uint32_t kDestinationBytes = 4096;

// Errors leave the library by a jump back into CompressWithJpeg; nothing
// between the two has a destructor to run.
struct JumpingErrors {
    jpeg_error_mgr pub;
    std::jmp_buf back;
};

void LeaveOnError(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<JumpingErrors*>(cinfo->err)->back, 1);
}

void NoMessages(j_common_ptr) {}

// The code goes into the temporary channel from offset 0 in 4096-byte pieces.
struct JpegTempDestination {
    jpeg_destination_mgr pub;
    TempChannel* channel;
    JOCTET* buffer;
    uint32_t offset;
    uint32_t total;
};

void WritePiece(j_compress_ptr cinfo, uint32_t bytes)
{
    auto* d = reinterpret_cast<JpegTempDestination*>(cinfo->dest);
    if (SeekTempChannel(d->channel, d->offset) != 0 ||
        WriteTempChannel(d->channel, d->buffer, bytes) != static_cast<int>(bytes))
        ERREXIT(cinfo, JERR_FILE_WRITE);
    d->offset += bytes;
    d->total += bytes;
}

void InitDestination(j_compress_ptr cinfo)
{
    auto* d = reinterpret_cast<JpegTempDestination*>(cinfo->dest);
    d->buffer = static_cast<JOCTET*>(
        (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, kDestinationBytes));
    d->offset = 0;
    d->total = 0;
    d->pub.next_output_byte = d->buffer;
    d->pub.free_in_buffer = kDestinationBytes;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo)
{
    auto* d = reinterpret_cast<JpegTempDestination*>(cinfo->dest);
    WritePiece(cinfo, kDestinationBytes);
    d->pub.next_output_byte = d->buffer;
    d->pub.free_in_buffer = kDestinationBytes;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo)
{
    auto* d = reinterpret_cast<JpegTempDestination*>(cinfo->dest);
    const uint32_t used = kDestinationBytes - static_cast<uint32_t>(d->pub.free_in_buffer);
    if (used > 0)
        WritePiece(cinfo, used);
}

// The coding itself; the code's length in the channel, or -1 after a library error.
int64_t CodeIntoChannel(TempChannel* channel, bool rgb, uint16_t width, uint16_t rows, const uint8_t* data)
{
    jpeg_compress_struct cinfo;
    JumpingErrors errors;
    JpegTempDestination destination{};
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = LeaveOnError;
    errors.pub.output_message = NoMessages;
    if (setjmp(errors.back)) {
        jpeg_destroy_compress(&cinfo);
        return -1;
    }
    jpeg_create_compress(&cinfo);
    destination.channel = channel;
    destination.pub.init_destination = InitDestination;
    destination.pub.empty_output_buffer = EmptyOutputBuffer;
    destination.pub.term_destination = TermDestination;
    cinfo.dest = &destination.pub;
    cinfo.image_width = width;
    cinfo.image_height = rows;
    cinfo.input_components = rgb ? 3 : 1;
    cinfo.in_color_space = rgb ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&cinfo);
    cinfo.dct_method = JDCT_IFAST;
    jpeg_set_quality(&cinfo, kJpegQuality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    const size_t rowBytes = size_t{width} * (rgb ? 3 : 1);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(data + cinfo.next_scanline * rowBytes);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    const int64_t total = destination.total;
    jpeg_destroy_compress(&cinfo);
    return total;
}

}  // namespace

int CompressWithJpeg(TempChannel* channel, uint8_t* format, uint16_t width, uint16_t rows, uint8_t* method,
                     uint32_t* length, uint8_t* data)
{
    if (channel == nullptr || format == nullptr || method == nullptr || length == nullptr || data == nullptr ||
        width == 0 || rows == 0)
        return kCoderBadArgument;
    const bool rgb = *format == kPixelRgb;
    if (uint64_t{width} * rows * (rgb ? 3 : 1) > *length)
        return kCoderBadArgument;
    if (GetTempChannelState(channel) != 1 && CreateTempChannelFile(channel) != 0)
        return kCoderChannelUnusable;
    const int64_t coded = CodeIntoChannel(channel, rgb, width, rows, data);
    if (coded < 0)
        return kCoderChannelUnusable;
    if (coded >= *length)
        return kCoderNotShorter;
    if (SeekTempChannel(channel, 0) != 0 || ReadTempChannel(channel, data, static_cast<uint32_t>(coded)) != coded)
        return kCoderReadBackFailed;
    *length = static_cast<uint32_t>(coded);
    *format = kPixelJpeg;
    *method = 4;
    return kCoderDone;
}
