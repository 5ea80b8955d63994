#include "printhost/driver_table.h"

#include <map>
#include <memory>
#include <mutex>

namespace printhost {

namespace {
std::mutex& DriversLock() { static std::mutex m; return m; }
std::map<std::wstring, std::unique_ptr<DriverTable>>& Drivers()
{
    static std::map<std::wstring, std::unique_ptr<DriverTable>> d;
    return d;
}

std::wstring LowerCase(std::wstring s)
{
    CharLowerBuffW(s.data(), DWORD(s.size()));
    return s;
}
} // namespace

DriverTable* LoadGraphicsDriver(const std::wstring& path, std::wstring* error)
{
    std::lock_guard<std::mutex> guard(DriversLock());
    const std::wstring key = LowerCase(path);
    auto found = Drivers().find(key);
    if (found != Drivers().end()) {
        ++found->second->references;
        return found->second.get();
    }
    auto driver = std::make_unique<DriverTable>();
    driver->path = path;
    driver->module = LoadLibraryW(path.c_str());
    if (!driver->module) {
        if (error) *error = L"cannot load the graphics driver " + path + L" (error " + std::to_wstring(GetLastError()) + L")";
        return nullptr;
    }
    auto enable = reinterpret_cast<PFN_DrvEnableDriver>(
        reinterpret_cast<void (*)()>(GetProcAddress(driver->module, "DrvEnableDriver")));
    DRVENABLEDATA data{};
    if (!enable || !enable(kEngineVersion, sizeof(data), &data) || !data.pdrvfn) {
        if (error) *error = enable ? L"the graphics driver " + path + L" refused DrvEnableDriver"
                                   : L"the graphics driver " + path + L" has no DrvEnableDriver";
        FreeLibrary(driver->module);
        return nullptr;
    }
    driver->driverVersion = data.iDriverVersion;
    for (ULONG i = 0; i < data.c; ++i)
        if (data.pdrvfn[i].iFunc < driver->functions.size()) driver->functions[data.pdrvfn[i].iFunc] = data.pdrvfn[i].pfn;
    driver->references = 1;
    DriverTable* result = driver.get();
    Drivers()[key] = std::move(driver);
    return result;
}

void ReleaseGraphicsDriver(DriverTable* driver)
{
    if (!driver) return;
    std::lock_guard<std::mutex> guard(DriversLock());
    if (--driver->references > 0) return;
    // DrvDisableDriver is exported by name; it is not part of the table.
    auto disable = reinterpret_cast<PFN_DrvDisableDriver>(
        reinterpret_cast<void (*)()>(GetProcAddress(driver->module, "DrvDisableDriver")));
    if (!disable) disable = DriverFunction<PFN_DrvDisableDriver>(*driver, INDEX_DrvDisableDriver);
    if (disable) disable();
    FreeLibrary(driver->module);
    Drivers().erase(LowerCase(driver->path));
}

} // namespace printhost
