#include "tests/model/model_test_files.h"

#include <windows.h>

std::wstring BinPath(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    wchar_t* cut = wcsrchr(path, L'\\');
    if (cut != nullptr) cut[1] = 0;
    return std::wstring(path) + name;
}

std::wstring TempFolder() {
    static std::wstring folder;
    if (folder.empty()) {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"morva_model_test_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(folder.c_str(), nullptr);
    }
    return folder;
}

std::vector<uint8_t> ReadBytes(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return bytes;
    const DWORD size = GetFileSize(f, nullptr);
    bytes.resize(size);
    DWORD got = 0;
    if (size > 0) ReadFile(f, bytes.data(), size, &got, nullptr);
    bytes.resize(got);
    CloseHandle(f);
    return bytes;
}

void WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD put = 0;
    if (!bytes.empty()) WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(f);
}

std::string ToUtf8(const wchar_t* text) {
    if (text == nullptr) return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    return out;
}

LoadedModel::LoadedModel(const std::wstring& path) { status = LoadModelDataFile(path.c_str(), &main, &linked); }

LoadedModel::~LoadedModel() {
    if (status == 0) CloseModelData(&main, &linked);
}
