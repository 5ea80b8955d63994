// The maker's optional compression library for one-bit images (methods 6 and
// 7), bound by name when it is installed. Without it those bands go out
// uncompressed.
#pragma once
#include <windows.h>

#include <cstdint>

using ZqLoadCompressFn = void*(WINAPI*)();
using ZqInitBitmapFn = int(WINAPI*)(void* handle, int kind, int width, int rows, int bytesPerRow);
using ZqCompressBitmapFn = int(WINAPI*)(void* handle, const uint8_t* data, int rows, uint32_t* outLength);
using ZqGetBitmapFn = int(WINAPI*)(void* handle, uint8_t* data);
using ZqFinishBitmapFn = int(WINAPI*)(void* handle);
using ZqFreeCompressFn = int(WINAPI*)(void* handle);

struct CompressionLibraryBinding {
    HMODULE module;
    void* handle;  // from zqcmp_LoadCompress
    ZqInitBitmapFn initBitmap;
    ZqCompressBitmapFn compressBitmap;
    ZqGetBitmapFn getBitmap;
    ZqFinishBitmapFn finishBitmap;
    ZqFreeCompressFn freeCompress;
};

struct ModelDataRecord;

// The library is the model's file name 5 in the driver directory.
inline constexpr uint16_t kCompressionLibraryFileName = 5;
// Printers take the library's code from this stream version (1.8.1) on.
inline constexpr uint32_t kCompressionLibraryVersion = 0x01010801;

// Null unless the module loads, all six names resolve and the library gives a handle.
CompressionLibraryBinding* LoadCompressionLibrary(const wchar_t* path);
void UnloadCompressionLibrary(CompressionLibraryBinding* binding);
// The binding of a job: none for printers of an older stream version, or
// while the external processing library converts the job.
CompressionLibraryBinding* LoadJobCompressionLibrary(ModelDataRecord* main, uint32_t streamVersion,
                                                     bool externalProcessing);

// Methods 6 (library kind 2) and 7 (kind 1) of a one-bit band: 0 (also when
// the result was longer and the band stays as it is), 2 failure, 16 bad argument.
int CompressWithExternalLibrary(int method, CompressionLibraryBinding* binding, uint16_t width, uint16_t rows,
                                uint8_t* outMethod, uint32_t* length, uint8_t* data);
