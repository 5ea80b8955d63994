#include "render/compress/compression_library.h"

#include "common/model/model_file_path.h"
#include "common/system/module_files.h"
#include "render/compress/predictor_coder.h"

#include <cstring>

namespace {

constexpr int kLibraryFailed = 2;

template <typename F>
bool Bind(HMODULE module, const char* name, F* function)
{
    *function = reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    return *function != nullptr;
}

}  // namespace

CompressionLibraryBinding* LoadCompressionLibrary(const wchar_t* path)
{
    if (path == nullptr || path[0] == L'\0')
        return nullptr;
    HMODULE module = LoadLibraryInDriverContext(path, 0);
    if (module == nullptr)
        return nullptr;
    CompressionLibraryBinding b{};
    b.module = module;
    ZqLoadCompressFn loadCompress = nullptr;
    const bool bound = Bind(module, "zqcmp_LoadCompress", &loadCompress) &&
                       Bind(module, "zqcmp_InitBitmap", &b.initBitmap) &&
                       Bind(module, "zqcmp_CompressBitmap", &b.compressBitmap) &&
                       Bind(module, "zqcmp_GetBitmap", &b.getBitmap) &&
                       Bind(module, "zqcmp_FinishBitmap", &b.finishBitmap) &&
                       Bind(module, "zqcmp_FreeCompress", &b.freeCompress);
    if (bound)
        b.handle = loadCompress();
    auto* binding = bound && b.handle != nullptr
                        ? static_cast<CompressionLibraryBinding*>(HeapAlloc(GetProcessHeap(), 0, sizeof b))
                        : nullptr;
    if (binding == nullptr) {
        if (b.handle != nullptr)
            b.freeCompress(b.handle);
        FreeLibrary(module);
        return nullptr;
    }
    *binding = b;
    return binding;
}

CompressionLibraryBinding* LoadJobCompressionLibrary(ModelDataRecord* main, uint32_t streamVersion,
                                                     bool externalProcessing)
{
    wchar_t path[MAX_PATH];
    if (externalProcessing || streamVersion < kCompressionLibraryVersion ||
        !GetModelFilePath(main, kCompressionLibraryFileName, path, MAX_PATH))
        return nullptr;
    return LoadCompressionLibrary(path);
}

void UnloadCompressionLibrary(CompressionLibraryBinding* binding)
{
    if (binding == nullptr)
        return;
    binding->freeCompress(binding->handle);
    FreeLibrary(binding->module);
    HeapFree(GetProcessHeap(), 0, binding);
}

int CompressWithExternalLibrary(int method, CompressionLibraryBinding* binding, uint16_t width, uint16_t rows,
                                uint8_t* outMethod, uint32_t* length, uint8_t* data)
{
    if ((method != 6 && method != 7) || outMethod == nullptr || length == nullptr || data == nullptr ||
        width == 0 || rows == 0)
        return kCoderBadArgument;
    const int bytesPerRow = (width + 7) / 8;
    if (uint64_t(bytesPerRow) * rows > *length)
        return kCoderBadArgument;
    if (binding == nullptr)
        return kLibraryFailed;
    void* h = binding->handle;
    if (binding->initBitmap(h, method == 7 ? 1 : 2, width, rows, bytesPerRow) != 0)
        return kLibraryFailed;
    uint32_t coded = 0;
    if (binding->compressBitmap(h, data, rows, &coded) != 0) {
        binding->finishBitmap(h);
        return kLibraryFailed;
    }
    if (coded > *length)
        return binding->finishBitmap(h) != 0 ? kLibraryFailed : kCoderDone;
    // The result comes into a buffer of its own, so that a failing library
    // never leaves a half-copied band behind.
    auto* result = static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), 0, coded > 0 ? coded : 1));
    if (result == nullptr || binding->getBitmap(h, result) != 0) {
        if (result != nullptr)
            HeapFree(GetProcessHeap(), 0, result);
        binding->finishBitmap(h);
        return kLibraryFailed;
    }
    std::memcpy(data, result, coded);
    HeapFree(GetProcessHeap(), 0, result);
    *length = coded;
    *outMethod = static_cast<uint8_t>(method);
    binding->finishBitmap(h);
    return kCoderDone;
}
