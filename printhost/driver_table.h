// A loaded graphics driver: its module and the DDI functions it handed over
// in DrvEnableDriver, indexed by DDI function index.
#pragma once

#include <windows.h>
#include <winddi.h>

#include <array>
#include <string>

namespace printhost {

struct DriverTable {
    HMODULE module = nullptr;
    std::wstring path;
    ULONG driverVersion = 0;
    std::array<PFN, INDEX_LAST> functions{};
    int references = 0;
};

// Engine version the host announces to DrvEnableDriver (that of Windows XP and later).
constexpr ULONG kEngineVersion = DDI_DRIVER_VERSION_NT5_01;

// Loads the DLL (once per path; later calls share it) and enables it. Null and
// a message in *error when the file is missing, has no DrvEnableDriver, or the
// driver refuses.
DriverTable* LoadGraphicsDriver(const std::wstring& path, std::wstring* error);
// DrvDisableDriver and unload after the last user.
void ReleaseGraphicsDriver(DriverTable* driver);

template <typename F>
F DriverFunction(const DriverTable& driver, ULONG index)
{
    return index < driver.functions.size() ? reinterpret_cast<F>(reinterpret_cast<void (*)()>(driver.functions[index])) : nullptr;
}

} // namespace printhost
