// Model data files of the build, loaded for a test's scope.
#pragma once
#include "common/model/model_data.h"

#include <windows.h>

#include <string>

struct LoadedTestModel {
    ModelDataRecord main{};
    ModelDataRecord linked{};
    uint16_t status;
    // A model data file beside the test program ("SYSAPPS.DDD").
    explicit LoadedTestModel(const wchar_t* name)
    {
        wchar_t path[MAX_PATH];
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring file(path);
        file = file.substr(0, file.rfind(L'\\') + 1) + name;
        status = LoadModelDataFile(file.c_str(), &main, &linked);
    }
    ~LoadedTestModel() { CloseModelData(&main, &linked); }
    LoadedTestModel(const LoadedTestModel&) = delete;
    LoadedTestModel& operator=(const LoadedTestModel&) = delete;
};
