// The maker's colour conversion library, an optional outside component bound
// by name when the job asks for it (stage 0x400). Its seven entries are used
// in a fixed order: an image's bands are walked twice, once to let the
// library build its parameters from them and once to convert them.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

// What the library is told of an image when its parameters are made and
// deleted. Handed to the library, so its layout is fixed.
struct QcvImageRecord {
    uint32_t size;  // sizeof(QcvImageRecord)
    uint32_t bands;
    uint32_t width;          // pixels of every band
    uint32_t height;         // rows of the whole image
    uint32_t bytesPerPixel;  // 3: red, green, blue
    uint32_t reserved;
};
static_assert(sizeof(QcvImageRecord) == 24);
static_assert(offsetof(QcvImageRecord, width) == 8);
static_assert(offsetof(QcvImageRecord, bytesPerPixel) == 16);

using QcvLoadFn = void*(WINAPI*)(const wchar_t* startFile);
using QcvFreeFn = int(WINAPI*)(void* handle);
using QcvBeginFn = int(WINAPI*)(void* handle, uint32_t mode, QcvImageRecord* record);
using QcvParamFn = int(WINAPI*)(void* handle, const uint8_t* band, uint32_t width, uint32_t height);
using QcvEndFn = int(WINAPI*)(void* handle, const uint8_t* band, QcvImageRecord* record);
using QcvDeleteFn = int(WINAPI*)(void* handle, const uint8_t* band, QcvImageRecord* record);
using QcvConvertFn = int(WINAPI*)(void* handle, const uint8_t* source, uint8_t* target, uint32_t width,
                                  uint32_t height);

struct OutsideColourLibrary {
    HMODULE module;
    void* handle;  // from QCV_LoadQCV32
    QcvFreeFn free;
    QcvBeginFn begin;
    QcvParamFn param;
    QcvEndFn end;
    QcvDeleteFn deleteParam;
    QcvConvertFn convert;
};

// Loads `libraryPath` and binds the seven entries; only when all are present
// is the library started with `startFile`. 0 bound; -1 a missing library or
// entry, or no handle (nothing is kept).
int BindOutsideColourLibrary(OutsideColourLibrary* library, const wchar_t* libraryPath, const wchar_t* startFile);
// Deletes the parameters, frees the handle and the module; safe when unbound.
void ReleaseOutsideColourLibrary(OutsideColourLibrary* library);
bool OutsideColourLibraryBound(const OutsideColourLibrary* library);
