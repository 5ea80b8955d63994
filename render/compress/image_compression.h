// Compression of one image band just before it is written after its "Cq"
// header: the choice of method and its run.
#pragma once
#include "render/compress/compression_library.h"
#include "render/output/temp_channel.h"

#include <cstdint>

enum CompressionMethod : uint8_t {
    kMethodNone = 1,
    kMethodJpeg = 4,
    kMethodLibraryKind2 = 6,
    kMethodLibraryKind1 = 7,
    kMethodPredictor = 8,
};

// Results of CompressImageData.
inline constexpr int kBandCompressed = 0;
inline constexpr int kBandAsItIs = 1;
inline constexpr int kBandFatal = 0x1000;  // the page's image output stops

inline constexpr uint32_t kShortestCompressedBand = 1024;

struct CompressionRequest {
    bool eligible;             // the band's "Cq" colour model is 2
    uint8_t bitsPerPixel;      // 24, 8 or 1
    uint8_t format;            // 4 RGB, 3 grey, 10 and 11 indexed; 5 after JPEG
    uint16_t width;
    uint16_t rows;
    uint8_t requested;         // CompressionMethodFromSetting
    uint32_t length;           // in and out
    uint8_t method;            // out: the "Cq" method, 1 while uncompressed
    uint16_t mixKind;          // the last "AL" pair
    int32_t mixValue;
    const uint8_t* greyTable;  // 256 entries of an indexed band's palette, or null
    TempChannel* channel;      // scratch for the coders; not the channel pages are recorded in
    CompressionLibraryBinding* library;
};

// Setting 330 of the job: 1 asks for the predictor code, 2 for JPEG; with the
// external processing library bands stay uncompressed.
uint8_t CompressionMethodFromSetting(uint32_t setting330, bool externalProcessing);

uint8_t ChooseCompressionMethod(const CompressionRequest& request);
// The coder's own result (0 done).
int RunCompression(CompressionRequest* request, uint8_t* data, uint8_t method);
// 0 compressed (data, length, method and perhaps format replaced), 1 left as
// it is, 0x1000 fatal.
int CompressImageData(CompressionRequest* request, uint8_t* data);
