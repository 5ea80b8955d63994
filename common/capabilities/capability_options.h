// The options of one setting in order, as the capability answers walk them.
#pragma once
#include <cstdint>

struct SettingsContext;

// Calls visit(n, value, displayName) for options 1..count of the setting; the
// name points into the option copy and lives for the call only. Returns the
// option count, -1 when the feature or an option cannot be read or visit
// answers false.
template <typename Visit>
int ForEachOption(const SettingsContext* context, uint16_t id, Visit visit);

#include "common/context/model_lookups.h"

template <typename Visit>
int ForEachOption(const SettingsContext* context, uint16_t id, Visit visit)
{
    uint16_t kind = 0, count = 0, status = 0;
    const wchar_t* title = nullptr;
    ModelSection* feature = nullptr;
    if (!GetItemFeature(context, id, &kind, &count, &title, &feature, &status))
        return -1;
    FreeItemFeature(feature);
    for (uint16_t n = 1; n <= count; ++n) {
        ModelSection* copy = nullptr;
        if (!GetItemOption(context, id, n, &copy, &status))
            return -1;
        uint64_t value = 0;
        const wchar_t* name = nullptr;
        const bool ok = GetOptionCopyFields(copy, &value, &name, nullptr, nullptr, nullptr) &&
                        visit(n, value, name ? name : L"");
        FreeItemOption(&copy);
        if (!ok)
            return -1;
    }
    return count;
}
