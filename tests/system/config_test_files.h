// Temporary profile files for the configuration tests.
#pragma once
#include <windows.h>

#include <string>

// Writes text (ASCII, "\n" line ends) to a new file in the temp folder and
// deletes it when the object goes.
class TempProfileFile {
public:
    TempProfileFile(const wchar_t* name, const std::string& text)
    {
        wchar_t directory[MAX_PATH];
        GetTempPathW(MAX_PATH, directory);
        path_ = std::wstring(directory) + name;
        std::string crlf;
        for (char c : text) {
            if (c == '\n')
                crlf += '\r';
            crlf += c;
        }
        HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, crlf.data(), static_cast<DWORD>(crlf.size()), &written, nullptr);
        CloseHandle(file);
    }
    ~TempProfileFile() { DeleteFileW(path_.c_str()); }
    TempProfileFile(const TempProfileFile&) = delete;
    TempProfileFile& operator=(const TempProfileFile&) = delete;
    const wchar_t* path() const { return path_.c_str(); }

private:
    std::wstring path_;
};
