// A driver directory of its own for trace tests: a copy of the resource file in a
// temporary folder stands in for the library's module, so morvx.cfg written there
// does not reach other test programs that share the build folder.
#pragma once
#include "common/system/library_profile.h"
#include "common/system/module_files.h"
#include "common/system/trace_log.h"

#include <windows.h>

#include <string>

class TraceTestDriver {
public:
    explicit TraceTestDriver(const wchar_t* folderName)
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        directory_ = std::wstring(temp) + folderName + L"\\";
        CreateDirectoryW(directory_.c_str(), nullptr);
        const std::wstring copy = directory_ + L"stand_in.dll";
        CopyFileW(L"morvares.dll", copy.c_str(), FALSE);
        module_ = LoadLibraryExW(copy.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
        SetModuleHandle(module_);
    }
    ~TraceTestDriver()
    {
        SetModuleHandle(GetModuleHandleW(nullptr));
        SetLibraryProfile(nullptr);
        ReloadTraceSettings();
        if (module_ != nullptr)
            FreeLibrary(module_);
        DeleteFileW((directory_ + L"stand_in.dll").c_str());
        DeleteFileW((directory_ + L"morvx.cfg").c_str());
        RemoveDirectoryW(directory_.c_str());
    }
    TraceTestDriver(const TraceTestDriver&) = delete;
    TraceTestDriver& operator=(const TraceTestDriver&) = delete;

    bool loaded() const { return module_ != nullptr; }

    // Writes morvx.cfg and reads the trace settings again.
    void Configure(const std::string& text) const
    {
        const std::wstring path = directory_ + L"morvx.cfg";
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
        ReloadTraceSettings();
    }

    static std::wstring TraceFilePath(const wchar_t* name)
    {
        wchar_t windows[MAX_PATH];
        GetWindowsDirectoryW(windows, MAX_PATH);
        return std::wstring(windows).substr(0, 2) + L"\\DEBUG_LOG\\WIN2000" + name;
    }

    static std::string ReadTraceFile(const wchar_t* name = L"\\DDI_FAXUI_TRACE_LOG.txt")
    {
        HANDLE file = CreateFileW(TraceFilePath(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return "<missing>";
        std::string text(GetFileSize(file, nullptr), '\0');
        DWORD read = 0;
        ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
        CloseHandle(file);
        text.resize(read);
        return text;
    }

    static void DeleteTraceFile(const wchar_t* name = L"\\DDI_FAXUI_TRACE_LOG.txt")
    {
        DeleteFileW(TraceFilePath(name).c_str());
    }

private:
    std::wstring directory_;
    HMODULE module_ = nullptr;
};
