// The stamp store of a printer, at its model's registry bases: the user's base
// and the machine-wide template base, both freed with the holder.
#pragma once
#include <windows.h>

#include "common/context/settings_context.h"
#include "common/job/stamp_store.h"
#include "common/model/model_data.h"

struct StampStoreOf {
    wchar_t* userBase = nullptr;
    wchar_t* machineBase = nullptr;
    StampStoreLocation at{};
    StampStoreOf(HANDLE printer, const SettingsContext* settings)
    {
        GetModelRegistryBase(settings->main, 1, &userBase);
        GetModelRegistryBase(settings->main, 0, &machineBase);
        at = {printer, userBase, machineBase};
    }
    ~StampStoreOf()
    {
        if (userBase)
            GlobalFree(userBase);
        if (machineBase)
            GlobalFree(machineBase);
    }
    StampStoreOf(const StampStoreOf&) = delete;
    StampStoreOf& operator=(const StampStoreOf&) = delete;
};
