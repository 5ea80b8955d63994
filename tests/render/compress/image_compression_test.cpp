// Which method a band gets, JPEG through libjpeg, the outside library's
// binding, and the image reducer.
#include "common/model/model_data.h"
#include "render/compress/compression_library.h"
#include "render/compress/image_compression.h"
#include "render/compress/image_reducer.h"
#include "render/compress/jpeg_coder.h"
#include "render/compress/predictor_coder.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <string>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

namespace {

CompressionRequest Request(uint8_t format, uint8_t bits, uint32_t length, uint8_t requested)
{
    CompressionRequest r{};
    r.eligible = true;
    r.format = format;
    r.bitsPerPixel = bits;
    r.width = 16;
    r.rows = 16;
    r.length = length;
    r.requested = requested;
    r.mixKind = 2;
    r.mixValue = 0xCC;
    return r;
}

TEST(CompressionChoice, MethodByBandAndRequest)
{
    struct Case {
        const char* name;
        CompressionRequest request;
        uint8_t method;
    };
    CompressionRequest notEligible = Request(kPixelRgb, 24, 4096, 8);
    notEligible.eligible = false;
    CompressionRequest otherMix = Request(kPixelRgb, 24, 4096, 4);
    otherMix.mixValue = 0x66;
    const Case cases[] = {
        {"1023 bytes are never compressed", Request(kPixelRgb, 24, 1023, 8), kMethodNone},
        {"1024 bytes of RGB", Request(kPixelRgb, 24, 1024, 8), kMethodPredictor},
        {"not eligible", notEligible, kMethodNone},
        {"nothing asked", Request(kPixelRgb, 24, 4096, 1), kMethodNone},
        {"unknown request", Request(kPixelRgb, 24, 4096, 5), kMethodNone},
        {"grey, predictor", Request(kPixelGrey, 8, 4096, 8), kMethodPredictor},
        {"palette, predictor", Request(kPixelIndexedPalette, 8, 4096, 8), kMethodPredictor},
        {"RGB, JPEG with source copy", Request(kPixelRgb, 24, 4096, 4), kMethodJpeg},
        {"RGB, JPEG under another mix falls to the predictor", otherMix, kMethodPredictor},
        {"palette kind 11 cannot be JPEG", Request(kPixelIndexedPalette, 8, 4096, 4), kMethodPredictor},
        {"indexed kind 10 can", Request(kPixelIndexed, 8, 4096, 4), kMethodJpeg},
        {"one bit, predictor asked: library kind 1", Request(kPixelIndexed, 1, 4096, 8), kMethodLibraryKind1},
        {"one bit, JPEG asked", Request(kPixelIndexedPalette, 1, 4096, 4), kMethodLibraryKind1},
        {"one bit, method 6 asked", Request(kPixelIndexed, 1, 4096, 6), kMethodLibraryKind2},
        {"one bit, method 7 asked", Request(kPixelIndexed, 1, 4096, 7), kMethodLibraryKind1},
        {"RGB, method 7 asked", Request(kPixelRgb, 24, 4096, 7), kMethodNone},
        {"one-bit grey", Request(kPixelGrey, 1, 4096, 8), kMethodNone},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseCompressionMethod(c.request), c.method) << c.name;
    EXPECT_EQ(CompressionMethodFromSetting(1, false), kMethodPredictor);
    EXPECT_EQ(CompressionMethodFromSetting(2, false), kMethodJpeg);
    EXPECT_EQ(CompressionMethodFromSetting(3, false), kMethodNone);
    EXPECT_EQ(CompressionMethodFromSetting(1, true), kMethodNone);
}

// Decodes a JPEG in memory with libjpeg; empty on error.
std::vector<uint8_t> DecodeJpeg(const uint8_t* data, uint32_t length, int* components, int* width, int* height)
{
    struct Errors {
        jpeg_error_mgr pub;
        std::jmp_buf back;
    } errors;
    jpeg_decompress_struct d;
    d.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<Errors*>(c->err)->back, 1); };
    std::vector<uint8_t> out;
    if (setjmp(errors.back)) {
        jpeg_destroy_decompress(&d);
        return {};
    }
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, const_cast<uint8_t*>(data), length);
    jpeg_read_header(&d, TRUE);
    jpeg_start_decompress(&d);
    *components = d.output_components;
    *width = int(d.output_width);
    *height = int(d.output_height);
    out.resize(size_t(d.output_width) * d.output_height * d.output_components);
    while (d.output_scanline < d.output_height) {
        JSAMPROW row = out.data() + size_t(d.output_scanline) * d.output_width * d.output_components;
        jpeg_read_scanlines(&d, &row, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    return out;
}

struct Scratch {
    TempChannel channel;
    Scratch() { InitTempChannel(&channel, false, nullptr); }
    ~Scratch() { CloseTempChannel(&channel); }
};

TEST(JpegCoder, SmoothRgbBandIsCodedAndDecodes)
{
    Scratch scratch;
    const uint16_t w = 64, h = 48;
    std::vector<uint8_t> band(size_t(w) * h * 3);
    for (size_t i = 0; i < band.size(); ++i)
        band[i] = uint8_t((i / 3 % w) * 4 + (i % 3) * 20);
    CompressionRequest r = Request(kPixelRgb, 24, uint32_t(band.size()), kMethodJpeg);
    r.width = w;
    r.rows = h;
    r.channel = &scratch.channel;  // not open yet: the coder creates it
    ASSERT_EQ(CompressImageData(&r, band.data()), kBandCompressed);
    EXPECT_EQ(r.method, kMethodJpeg);
    EXPECT_EQ(r.format, kPixelJpeg);
    int components = 0, width = 0, height = 0;
    const std::vector<uint8_t> back = DecodeJpeg(band.data(), r.length, &components, &width, &height);
    EXPECT_EQ(components, 3);
    EXPECT_EQ(width, w);
    EXPECT_EQ(height, h);
    ASSERT_EQ(back.size(), size_t(w) * h * 3);
    EXPECT_NEAR(back[3 * 10 + 0], 40, 6);
}

TEST(JpegCoder, GreyBandThatDoesNotShrinkComesBackAsItWas)
{
    Scratch scratch;
    std::vector<uint8_t> band(16 * 16);
    uint32_t seed = 12345;
    for (uint8_t& b : band)
        b = uint8_t((seed = seed * 1103515245 + 12345) >> 16);
    const std::vector<uint8_t> source = band;
    CompressionRequest r = Request(kPixelGrey, 8, uint32_t(band.size()), kMethodJpeg);
    r.width = r.rows = 16;
    r.channel = &scratch.channel;
    // The tables alone are longer than these 256 bytes.
    EXPECT_EQ(RunCompression(&r, band.data(), kMethodJpeg), kCoderNotShorter);
    EXPECT_EQ(band, source);
    EXPECT_EQ(r.format, kPixelGrey);
    EXPECT_EQ(r.length, source.size());
}

TEST(JpegCoder, GreyIsInvertedAndIndexedBecomesGrey)
{
    Scratch scratch;
    uint8_t greyTable[256];
    for (int i = 0; i < 256; ++i)
        greyTable[i] = uint8_t(255 - i);  // index i is grey 255 - i
    std::vector<uint8_t> band(64 * 64, 10);  // index 10: grey 245; the printer gets 255 - 245
    CompressionRequest r = Request(kPixelIndexed, 8, uint32_t(band.size()), kMethodJpeg);
    r.width = r.rows = 64;
    r.greyTable = greyTable;
    r.channel = &scratch.channel;
    ASSERT_EQ(CompressImageData(&r, band.data()), kBandCompressed);
    int components = 0, width = 0, height = 0;
    const std::vector<uint8_t> back = DecodeJpeg(band.data(), r.length, &components, &width, &height);
    ASSERT_EQ(components, 1);
    ASSERT_FALSE(back.empty());
    EXPECT_NEAR(back[100], 10, 2);

    // Under another mix the predictor code takes the indexed band as it is.
    std::vector<uint8_t> again(64 * 64, 10);
    r = Request(kPixelIndexed, 8, uint32_t(again.size()), kMethodJpeg);
    r.width = r.rows = 64;
    r.greyTable = greyTable;
    r.channel = &scratch.channel;
    r.mixValue = 0x66;
    EXPECT_EQ(CompressImageData(&r, again.data()), kBandCompressed);
    EXPECT_EQ(r.method, kMethodPredictor);
    EXPECT_EQ(r.format, kPixelIndexed);
}

TEST(JpegCoder, UnusableChannelAndBadArguments)
{
    TempChannel never;
    InitTempChannel(&never, false, nullptr);
    std::vector<uint8_t> band(4096, 1);
    uint8_t format = kPixelGrey, method = 1;
    uint32_t length = uint32_t(band.size());
    EXPECT_EQ(CompressWithJpeg(&never, &format, 0, 64, &method, &length, band.data()), kCoderBadArgument);
    EXPECT_EQ(CompressWithJpeg(&never, &format, 64, 65, &method, &length, band.data()), kCoderBadArgument);
    EXPECT_EQ(CompressWithJpeg(nullptr, &format, 64, 64, &method, &length, band.data()), kCoderBadArgument);
}

class CompressionLibrary : public testing::Test {
protected:
    static std::wstring Path(const wchar_t* name)
    {
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring dir(self);
        return dir.substr(0, dir.find_last_of(L"\\/") + 1) + name;
    }
    static std::string Log(CompressionLibraryBinding* b)
    {
        auto log = reinterpret_cast<const char*(WINAPI*)()>(reinterpret_cast<void (*)()>(GetProcAddress(b->module, "standin_Log")));
        return log ? log() : "no log";
    }
};

TEST_F(CompressionLibrary, BindingAndCallOrder)
{
    CompressionLibraryBinding* b = LoadCompressionLibrary(Path(L"zqcmp_standin.dll").c_str());
    ASSERT_NE(b, nullptr);
    std::vector<uint8_t> band(40 * 64, 0);  // 320 pixels wide, 64 rows: one long run
    CompressionRequest r = Request(kPixelIndexed, 1, uint32_t(band.size()), kMethodLibraryKind1);
    r.width = 320;
    r.rows = 64;
    r.library = b;
    ASSERT_EQ(CompressImageData(&r, band.data()), kBandCompressed);
    EXPECT_EQ(r.method, kMethodLibraryKind1);
    EXPECT_EQ(r.length, 22u);  // 2560 zero bytes in runs of at most 255
    EXPECT_EQ(band[0], 255);
    EXPECT_EQ(Log(b), "load;init kind=1 width=320 rows=64 row=40;compress rows=64 out=22;get;finish;");

    // A longer result leaves the band as it was.
    std::vector<uint8_t> longer(40 * 64, 0xEE);
    const std::vector<uint8_t> source = longer;
    r = Request(kPixelIndexed, 1, uint32_t(longer.size()), kMethodLibraryKind2);
    r.width = 320;
    r.rows = 64;
    r.library = b;
    EXPECT_EQ(CompressImageData(&r, longer.data()), kBandAsItIs);
    EXPECT_EQ(r.method, kMethodNone);
    EXPECT_EQ(longer, source);
    EXPECT_NE(Log(b).find("init kind=2 width=320 rows=64 row=40;compress rows=64 out=5120;finish;"), std::string::npos)
        << Log(b);
    UnloadCompressionLibrary(b);
}

// A job binds the library that the model names (its file name 5, in the
// driver directory) for printers from stream version 1.8.1 on, and never
// while the external processing library converts the job.
TEST_F(CompressionLibrary, JobBindsTheModelsLibrary)
{
    ModelDataRecord main{}, linked{};
    ASSERT_EQ(LoadModelDataFile(Path(L"C4530.DDD").c_str(), &main, &linked), kModelOk);
    const std::wstring library = Path(L"C4530ZQ.DLL");
    ASSERT_TRUE(CopyFileW(Path(L"zqcmp_standin.dll").c_str(), library.c_str(), FALSE));
    const struct {
        uint32_t version;
        bool external;
        bool bound;
    } cases[] = {{0x01010801, false, true}, {0x01020018, false, true}, {0x01010800, false, false},
                 {0x01020018, true, false}};
    for (const auto& c : cases) {
        CompressionLibraryBinding* b = LoadJobCompressionLibrary(&main, c.version, c.external);
        EXPECT_EQ(b != nullptr, c.bound) << std::hex << c.version << " " << c.external;
        UnloadCompressionLibrary(b);
    }
    EXPECT_TRUE(DeleteFileW(library.c_str()));
    EXPECT_EQ(LoadJobCompressionLibrary(&main, 0x01020018, false), nullptr) << "library not installed";
    EXPECT_EQ(LoadJobCompressionLibrary(nullptr, 0x01020018, false), nullptr);
    CloseModelData(&main, &linked);
}

TEST_F(CompressionLibrary, MissingLibraryOrNameMeansNoBinding)
{
    EXPECT_EQ(LoadCompressionLibrary(Path(L"no_such_library.dll").c_str()), nullptr);
    EXPECT_EQ(LoadCompressionLibrary(Path(L"zqcmp_standin_partial.dll").c_str()), nullptr);
    EXPECT_EQ(LoadCompressionLibrary(L""), nullptr);
    // Without a binding one-bit bands stay as they are.
    std::vector<uint8_t> band(4096, 0);
    CompressionRequest r = Request(kPixelIndexed, 1, uint32_t(band.size()), kMethodLibraryKind1);
    r.width = 256;
    r.rows = 128;
    EXPECT_EQ(CompressImageData(&r, band.data()), kBandAsItIs);
    EXPECT_EQ(r.method, kMethodNone);
}

std::vector<uint8_t> Reduce(uint32_t bpp, int32_t sw, int32_t sh, int32_t tw, int32_t th, const std::vector<uint8_t>& src)
{
    ImageReducer r = CreateImageReducer(bpp);
    EXPECT_NE(r, nullptr);
    EXPECT_EQ(SetImageReducerUnits(r, 1, 600, 600, 300), 0);
    EXPECT_EQ(SetImageReducerSizes(r, sw, sh, tw, th), 0);
    std::vector<uint8_t> out, row(size_t(tw) * bpp);
    for (int32_t y = 0; y < sh; ++y) {
        EXPECT_EQ(PutImageReducerRow(r, src.data() + size_t(y) * sw * bpp), 0);
        if (GetReducedImageRow(r, row.data()) == 1)
            out.insert(out.end(), row.begin(), row.end());
    }
    EXPECT_EQ(PutImageReducerRow(r, src.data()), -1);  // past the last row
    FreeImageReducer(r);
    return out;
}

TEST(ImageReducer, AreaWeightedAverages)
{
    // Three grey pixels onto two: [0,1.5) and [1.5,3).
    EXPECT_EQ(Reduce(1, 3, 1, 2, 1, {0, 90, 200}), (std::vector<uint8_t>{30, 163}));
    // Two by two onto one, per channel for RGB.
    EXPECT_EQ(Reduce(3, 2, 2, 1, 1, {10, 20, 30, 20, 30, 40, 30, 40, 50, 40, 50, 60}),
              (std::vector<uint8_t>{25, 35, 45}));
    // Three rows onto two, one column: the middle row is shared half and half.
    EXPECT_EQ(Reduce(1, 1, 3, 1, 2, {0, 90, 200}), (std::vector<uint8_t>{30, 163}));
    // Same size: the rows as they are.
    EXPECT_EQ(Reduce(1, 2, 2, 2, 2, {1, 2, 3, 4}), (std::vector<uint8_t>{1, 2, 3, 4}));
}

TEST(ImageReducer, SizesAndLimits)
{
    ImageReducer r = CreateImageReducer(3);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(SetImageReducerUnits(r, 2, 600, 600, 300), -1);
    ASSERT_EQ(SetImageReducerUnits(r, 1, 600, 600, 300), 0);
    int32_t w = 0, h = 0;
    // Drawn 1000 x 500 device pixels at 600 dpi, kept at 300: 500 x 250.
    ASSERT_EQ(ComputeReducedImageSize(r, 2000, 2000, 1000, 500, &w, &h), 0);
    EXPECT_EQ(w, 500);
    EXPECT_EQ(h, 250);
    // Never larger than the source.
    ASSERT_EQ(ComputeReducedImageSize(r, 100, 100, 1000, 1000, &w, &h), 0);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 100);
    // Never below a fourteenth: 3000 / 14 + 1 = 215; a zero size counts as 1.
    ASSERT_EQ(ComputeReducedImageSize(r, 3000, 3000, 100, 0, &w, &h), 0);
    EXPECT_EQ(w, 215);
    EXPECT_EQ(h, 215);
    EXPECT_EQ(SetImageReducerSizes(r, 100, 100, 101, 50), -1);  // larger
    EXPECT_EQ(SetImageReducerSizes(r, 150, 100, 10, 50), -1);   // ratio 15
    EXPECT_EQ(SetImageReducerSizes(r, 149, 100, 10, 50), 0);    // ratio 14
    FreeImageReducer(r);
    EXPECT_EQ(CreateImageReducer(2), nullptr);
}

}  // namespace
