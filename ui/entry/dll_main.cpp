// The interface library's load entry. The run-time start-up of the compiler
// stays in front of it (static initialisers, exit list); the library itself
// needs its lock slots, its profile and its module handle.
#include "common/system/library_profile.h"
#include "common/system/lock_table.h"
#include "common/system/module_files.h"

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        SetLockLayout(&kInterfaceLibraryLocks);
        InitAllLocks();
        SetLibraryProfile(&kInterfaceLibraryProfile);
        SetModuleHandle(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        DeleteAllLocks();
    }
    return TRUE;
}
