#include "common/job/model_registry_path.h"

#include "common/model/model_data.h"

#include <windows.h>

#include <cwchar>

int JoinRegistryPath(const wchar_t* base, const wchar_t* suffix, wchar_t* out)
{
    if (base == nullptr || suffix == nullptr || out == nullptr || base[0] == L'\0')
        return 0;
    const size_t baseLength = wcslen(base);
    const bool slash = base[baseLength - 1] != L'\\' && suffix[0] != L'\0';
    if (baseLength + (slash ? 1 : 0) + wcslen(suffix) >= kModelRegistryPathChars)
        return 0;
    swprintf(out, kModelRegistryPathChars, L"%ls%ls%ls", base, slash ? L"\\" : L"", suffix);
    return 1;
}

int GetModelRegistryPath(ModelDataRecord* model, uint16_t index, const wchar_t* suffix, wchar_t* out)
{
    wchar_t* base = nullptr;
    if (model == nullptr || GetModelRegistryBase(model, index, &base) != kModelOk || base == nullptr) {
        if (base != nullptr)
            GlobalFree(base);
        return 0;
    }
    const int done = JoinRegistryPath(base, suffix, out);
    GlobalFree(base);
    return done;
}
