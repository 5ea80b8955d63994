#include "printhost/import_redirect.h"

#include <cstring>

namespace printhost {

int RedirectGdiImports(HMODULE module, const ImportRedirect* redirects, int count)
{
    if (!module) return 0;
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return 0;
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE) return 0;
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress) return 0;
    int changed = 0;
    for (auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); desc->Name; ++desc) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + desc->Name), "gdi32.dll") != 0) continue;
        // Names come from the original thunks; the bound addresses sit in FirstThunk.
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + (desc->OriginalFirstThunk ? desc->OriginalFirstThunk
                                                                                          : desc->FirstThunk));
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            for (int i = 0; i < count; ++i) {
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), redirects[i].name) != 0) continue;
                DWORD old = 0;
                if (!VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE, &old)) break;
                slots->u1.Function = reinterpret_cast<ULONG_PTR>(redirects[i].target);
                VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), old, &old);
                ++changed;
                break;
            }
        }
    }
    return changed;
}

} // namespace printhost
