#include "ui/query/device_access.h"

#include "common/system/code_pages.h"
#include "common/system/module_files.h"
#include "common/settings/value_types.h"

#include <cstring>
#include <cwchar>

namespace {

using LoadLibraryExAFn = HMODULE(WINAPI*)(LPCSTR, HANDLE, DWORD);
using FreeLibraryFn = BOOL(WINAPI*)(HMODULE);
using GetProcAddressFn = FARPROC(WINAPI*)(HMODULE, LPCSTR);

char g_libraryPath[kDeviceLibraryPathChars + 1];
HMODULE g_kernel;
LoadLibraryExAFn g_loadLibraryEx;
FreeLibraryFn g_freeLibrary;
GetProcAddressFn g_getProcAddress;

bool BindLoader()
{
    if (g_loadLibraryEx && g_freeLibrary && g_getProcAddress)
        return true;
    g_kernel = GetModuleHandleA("KERNEL32");
    if (g_kernel) {
        g_loadLibraryEx = reinterpret_cast<LoadLibraryExAFn>(reinterpret_cast<void*>(GetProcAddress(g_kernel, "LoadLibraryExA")));
        g_freeLibrary = reinterpret_cast<FreeLibraryFn>(reinterpret_cast<void*>(GetProcAddress(g_kernel, "FreeLibrary")));
        g_getProcAddress = reinterpret_cast<GetProcAddressFn>(reinterpret_cast<void*>(GetProcAddress(g_kernel, "GetProcAddress")));
    }
    if (g_kernel && g_loadLibraryEx && g_freeLibrary && g_getProcAddress)
        return true;
    g_kernel = nullptr;
    g_loadLibraryEx = nullptr;
    g_freeLibrary = nullptr;
    g_getProcAddress = nullptr;
    return false;
}

// Loads the library around one call of `name`; the library may keep nothing
// in its image between calls.
template <typename Result, typename... Args>
Result CallDevice(const char* name, Result failure, Args... args)
{
    if (!BindLoader() || g_libraryPath[0] == 0)
        return failure;
    HMODULE module = g_loadLibraryEx(g_libraryPath, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module)
        return failure;
    Result result = failure;
    if (FARPROC proc = g_getProcAddress(module, name))
        result = reinterpret_cast<Result(WINAPI*)(Args...)>(reinterpret_cast<void*>(proc))(args...);
    g_freeLibrary(module);
    return result;
}

bool StatusOk(int32_t status)
{
    return status == kDeviceStatusOk || status == kDeviceStatusAlsoOk;
}

int32_t SetAttribute(DeviceHandle h, const char* name, const void* value)
{
    return CallDevice<int32_t>("ZQZADC_SetAttribute", kDeviceCallFailed, h, name, value);
}

// ANSI text of at most `bytes` bytes that may lack its terminator, as UTF-16.
void BoundedAnsiToWide(const uint8_t* text, uint32_t bytes, wchar_t* out, size_t outChars)
{
    char copy[kAttributeTextBytes + 1] = {};
    std::memcpy(copy, text, bytes < kAttributeTextBytes ? bytes : kAttributeTextBytes);
    AnsiToWideField(copy, out, outChars);
}

}  // namespace

bool CheckDeviceLibraryPath(const char* path)
{
    if (!path || std::strlen(path) > kDeviceLibraryPathChars)
        return false;
    if (g_libraryPath[0] == 0) {
        std::strcpy(g_libraryPath, path);
        return true;
    }
    return std::strcmp(g_libraryPath, path) == 0;
}

void ClosePrinterQuery(DeviceHandle handle)
{
    CallDevice<int32_t>("ZQZADC_CloseDevice", kDeviceCallFailed, handle);
}

DeviceHandle OpenPrinterQuery(HWND window, const PrinterQueryRecord& record, uint16_t mode, const wchar_t* address,
                              const QueryOpenOptions& options)
{
    if (!CheckDeviceLibraryPath(record.libraryPath.c_str()))
        return 0;
    const DeviceHandle h = CallDevice<DeviceHandle>("ZQZADC_OpenDevice", DeviceHandle{0}, record.openFirst.c_str(),
                                                    record.openSecond.c_str(), uintptr_t{0});
    if (!h)
        return 0;
    auto fail = [h]() -> DeviceHandle {
        ClosePrinterQuery(h);
        return 0;
    };
    uint16_t language = 0;
    if (!GetUiLanguageId(&language) || !StatusOk(SetAttribute(h, "_ZQZADC_LangId", &language)))
        return fail();
    uint16_t modeValue = mode;
    if (SetAttribute(h, "_ZQZADC_Mode", &modeValue) != kDeviceStatusOk)
        return fail();
    if (mode == kQueryModeAddress && address && address[0]) {
        char* ansi = AllocWideToMultiByte(CP_ACP, address);
        if (!ansi)
            return fail();
        SetAttribute(h, "_ZQZADC_EWSTryAddress", ansi);
        GlobalFree(ansi);
        if (options.snmpVersion && options.snmpReadable) {
            const uint32_t version = options.snmpValue;
            SetAttribute(h, "_ZQZADC_SNMPVersion", &version);
        }
    }
    if (options.communityName) {
        if (!options.communityText)
            return fail();
        char* ansi = AllocWideToMultiByte(CP_ACP, options.communityText);
        if (!ansi)
            return fail();
        SetAttribute(h, "_ZQZADC_CommunityName", ansi);
        GlobalFree(ansi);
    }
    const int32_t status =
        CallDevice<int32_t>("ZQZADC_SelectDevice", kDeviceCallFailed, h, window, record.portName.c_str(),
                            record.modelName.c_str(), record.selectText.c_str());
    if (!StatusOk(status))
        return fail();
    return h;
}

bool ReadQueryAttribute(uint16_t type, DeviceHandle handle, const char* name, uint16_t index, QueryValue* out)
{
    if (!out || !name)
        return false;
    int32_t status = kDeviceCallFailed;
    switch (type) {
    case kTypeFlag: {
        uint32_t v = 0;
        status = CallDevice<int32_t>("ZQZADC_GetValueBoolean", kDeviceCallFailed, handle, name, index, &v);
        out->number = v;
        break;
    }
    case kTypeS32: {
        int32_t v = 0;
        status = CallDevice<int32_t>("ZQZADC_GetValueInteger", kDeviceCallFailed, handle, name, index, &v);
        out->number = static_cast<uint32_t>(v);
        break;
    }
    case kTypeU32: {
        uint32_t v = 0;
        status = CallDevice<int32_t>("ZQZADC_GetValueUInteger", kDeviceCallFailed, handle, name, index, &v);
        out->number = v;
        break;
    }
    case kTypeString: {
        uint8_t buffer[kAttributeTextBytes] = {};
        status = CallDevice<int32_t>("ZQZADC_GetValueString", kDeviceCallFailed, handle, name, index,
                                     reinterpret_cast<char*>(buffer));
        if (!StatusOk(status))
            return false;
        // The library's text may fill the buffer without a terminator.
        wchar_t wide[kQueryTextChars + 2] = {};
        BoundedAnsiToWide(buffer, sizeof buffer, wide, kQueryTextChars + 2);
        if (std::wcslen(wide) > kQueryTextChars)
            return false;
        std::wcscpy(out->text, wide);
        return true;
    }
    default: return false;
    }
    return StatusOk(status);
}

bool ReadDeviceTrays(DeviceHandle handle, bool secondTypes, std::vector<DeviceTrayRecord>* out)
{
    uint32_t count = 0;
    if (!StatusOk(CallDevice<int32_t>("ZQZADC_GetNumberOfInputTrayInfo", kDeviceCallFailed, handle, &count)))
        return false;
    const uint16_t trays = static_cast<uint16_t>(count);
    for (uint16_t i = 0; i < trays; ++i) {
        uint8_t raw[kRawTrayRecordSize] = {};
        if (!StatusOk(CallDevice<int32_t>("ZQZADC_GetInputTrayInfo", kDeviceCallFailed, handle, i, raw)))
            return false;
        DeviceTrayRecord t;
        t.tray = i + 1u;
        std::memcpy(&t.first, raw + kRawTrayFirstOffset, 4);
        std::memcpy(&t.second, raw + kRawTraySecondOffset, 4);
        t.shape = TrayShape(t.first, t.second);
        BoundedAnsiToWide(raw + kRawTrayTypeOffset, kRawTrayTypeBytes, t.typeText, 256);
        if (secondTypes)
            BoundedAnsiToWide(raw + kRawTraySecondTypeOffset, kRawTraySecondTypeBytes, t.secondText, 256);
        out->push_back(t);
    }
    return true;
}
