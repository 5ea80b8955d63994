// Files and loaded pairs shared by the model data tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/model/model_data.h"

// A path beside the test program (where the build puts the reference models).
std::wstring BinPath(const wchar_t* name);
// A folder of this test run for written files, with a trailing backslash.
std::wstring TempFolder();
std::vector<uint8_t> ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes);
std::string ToUtf8(const wchar_t* text);

// Two records loaded together and closed at the end of the scope.
struct LoadedModel {
    ModelDataRecord main{};
    ModelDataRecord linked{};
    uint16_t status = 0xFFFF;
    explicit LoadedModel(const std::wstring& path);
    ~LoadedModel();
    LoadedModel(const LoadedModel&) = delete;
    LoadedModel& operator=(const LoadedModel&) = delete;
};
