// Redirection of a loaded module's imports: the host points an interface
// library's calls of the GDI document functions at its own, the way GDI routes
// a printer DC's calls to the spooler and the driver on Windows.
#pragma once

#include <windows.h>

namespace printhost {

struct ImportRedirect {
    const char* name;   // function imported by name from gdi32.dll
    void* target;
};

// Rewrites the module's import table; answers the number of slots changed.
int RedirectGdiImports(HMODULE module, const ImportRedirect* redirects, int count);

} // namespace printhost
