#include "render/image/colour_library.h"

#include "common/system/module_files.h"

namespace {

template <typename F> bool Bind(HMODULE module, const char* name, F* function)
{
    *function = reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    return *function != nullptr;
}

}  // namespace

int BindOutsideColourLibrary(OutsideColourLibrary* library, const wchar_t* libraryPath, const wchar_t* startFile)
{
    if (library == nullptr)
        return -1;
    *library = {};
    if (libraryPath == nullptr || libraryPath[0] == L'\0' || startFile == nullptr)
        return -1;
    HMODULE module = LoadLibraryInDriverContext(libraryPath, 0);
    if (module == nullptr)
        return -1;
    OutsideColourLibrary bound{};
    bound.module = module;
    QcvLoadFn load = nullptr;
    // A library that lacks any one entry is not used at all: it is not even
    // started, so that it holds nothing it would never be asked to free.
    const bool complete =
        Bind(module, "QCV_LoadQCV32", &load) && Bind(module, "QCV_FreeQCV32", &bound.free) &&
        Bind(module, "QCV_CreateParam_Begin32", &bound.begin) && Bind(module, "QCV_CreateParam32", &bound.param) &&
        Bind(module, "QCV_CreateParam_End32", &bound.end) && Bind(module, "QCV_DeleteParam32", &bound.deleteParam) &&
        Bind(module, "QCV_ColorConvert32", &bound.convert);
    if (complete)
        bound.handle = load(startFile);
    if (!complete || bound.handle == nullptr) {
        FreeLibrary(module);
        return -1;
    }
    *library = bound;
    return 0;
}

bool OutsideColourLibraryBound(const OutsideColourLibrary* library)
{
    return library != nullptr && library->module != nullptr && library->handle != nullptr;
}

void ReleaseOutsideColourLibrary(OutsideColourLibrary* library)
{
    if (!OutsideColourLibraryBound(library))
        return;
    library->deleteParam(library->handle, nullptr, nullptr);
    library->free(library->handle);
    FreeLibrary(library->module);
    *library = {};
}
