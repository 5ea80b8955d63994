// The paper source queries: the sources of dmDefaultSource that the model's
// rules allow, with the site configuration's source map laid over them.
#include "common/capabilities/capability_options.h"
#include "common/capabilities/device_capabilities.h"
#include "common/config/config_field_overrides.h"
#include "common/constraints/constraint_engine.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kBinNameChars = 24;
constexpr UINT kBinNameCutString = 2009;

struct Bin {
    std::wstring name;
    uint16_t code;
};

// A display name ends at its carriage return; a marker character just before
// it (resource string 2009) goes with it.
std::wstring CutDisplayName(const wchar_t* name)
{
    std::wstring text(name ? name : L"");
    const size_t cr = text.find(L'\r');
    if (cr == std::wstring::npos)
        return text;
    text.resize(cr);
    wchar_t marker[2] = {};
    if (!text.empty() && LoadStringW(GetResourceModule(), kBinNameCutString, marker, 2) > 0 && marker[0] &&
        text.back() == marker[0])
        text.pop_back();
    return text;
}

bool SourceAllowed(HANDLE printer, SettingsContext* context, void* settings, void* printerSettings, uint16_t id,
                   uint16_t type, uint16_t code)
{
    ConstraintResult* result = AllocConstraintResult();
    if (!result)
        return false;
    uint64_t holder = 0;
    CopyValueByType(&holder, code, type);
    const uint16_t status = CheckSettingConstraints(kModeInteractive, printer, context, settings, printerSettings,
                                                    nullptr, id, type, &holder, result, nullptr, 0);
    const bool allowed = status == 0 && result->code != 1 && result->code != 6;
    FreeConstraintResult(result);
    return allowed;
}

// The configuration's source map, when its override section is active and
// printer setting 5201 is set. Each pair maps a code that applications use (its
// input) onto one of the device's sources (its result): sources reported under
// an application code go, and each mapped source that is reported gains an
// entry with its name under the application's code. Only entries actually made
// are reported.
void ApplySourceMap(SettingsContext* context, void* settings, void* printerSettings, std::vector<Bin>& bins)
{
    uint32_t enabled = 0;
    if (!context->overrides || !IsOverrideSectionFound(context->overrides) ||
        ReadSettingNumber(5201, settings, printerSettings, &enabled) != 1 || enabled == 0)
        return;
    uint32_t count = 0;
    OverridePair* pairs = nullptr;
    if (GetOverrideChangedPairs(context->overrides, kOverrideBin, &count, &pairs) != kOverrideOk || count == 0)
        return;
    const std::vector<Bin> reported = bins;
    std::erase_if(bins, [&](const Bin& b) {
        return std::any_of(pairs, pairs + count, [&](const OverridePair& p) { return p.input == b.code; });
    });
    for (uint32_t i = 0; i < count; ++i) {
        auto source = std::find_if(reported.begin(), reported.end(),
                                   [&](const Bin& b) { return b.code == pairs[i].result; });
        if (source != reported.end())
            bins.push_back({source->name, static_cast<uint16_t>(pairs[i].input)});
    }
    GlobalFree(pairs);
}

}  // namespace

int LoadSourceOptionNames(const SettingsContext* context, uint16_t id, uint32_t* count, SourceOption** list)
{
    if (!count || !list)
        return 0;
    *count = 0;
    *list = nullptr;
    std::vector<SourceOption> options;
    bool ok = true;
    const int n = ForEachOption(context, id, [&](uint16_t, uint64_t value, const wchar_t* name) {
        const std::wstring text = CutDisplayName(name);
        auto* copy = static_cast<wchar_t*>(GlobalAlloc(GPTR, (text.size() + 1) * sizeof(wchar_t)));
        if (!copy)
            return ok = false;
        std::memcpy(copy, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        options.push_back({copy, static_cast<uint16_t>(value)});
        return true;
    });
    if (n >= 0 && !options.empty())
        *list = static_cast<SourceOption*>(GlobalAlloc(GPTR, options.size() * sizeof(SourceOption)));
    if (n < 0 || !ok || (!options.empty() && !*list)) {
        for (SourceOption& o : options)
            GlobalFree(o.name);
        if (*list)
            GlobalFree(*list);
        *list = nullptr;
        return 0;
    }
    if (!options.empty())
        std::memcpy(*list, options.data(), options.size() * sizeof(SourceOption));
    *count = static_cast<uint32_t>(options.size());
    return 1;
}

void FreeSourceOptionList(uint32_t count, SourceOption* list)
{
    if (!list)
        return;
    for (uint32_t i = 0; i < count; ++i)
        GlobalFree(list[i].name);
    GlobalFree(list);
}

uint32_t AnswerBins(HANDLE printer, uint16_t index, void* output, uint16_t needs, void* settings,
                    void* printerSettings, SettingsContext* context)
{
    if ((needs & 7) != 7 || !context || !settings || !printerSettings)
        return kCapabilityFailed;
    uint32_t count = 0, trayCount = 0;
    SourceOption* sources = nullptr;
    SourceOption* trays = nullptr;
    if (!LoadSourceOptionNames(context, kFidDefaultSource, &count, &sources))
        return kCapabilityFailed;
    LoadSourceOptionNames(context, kFidPaperSource, &trayCount, &trays);
    std::vector<Bin> bins;
    for (uint32_t i = 0; i < count; ++i) {
        const uint16_t code = sources[i].code;
        const bool tray = std::any_of(trays, trays + trayCount, [&](const SourceOption& t) { return t.code == code; });
        if (SourceAllowed(printer, context, settings, printerSettings, tray ? kFidPaperSource : kFidDefaultSource,
                          tray ? kTypeU16 : kTypeS16, code))
            bins.push_back({sources[i].name, code});
    }
    FreeSourceOptionList(count, sources);
    FreeSourceOptionList(trayCount, trays);
    ApplySourceMap(context, settings, printerSettings, bins);
    if (output) {
        for (size_t i = 0; i < bins.size(); ++i) {
            if (index == DC_BINS)
                static_cast<WORD*>(output)[i] = bins[i].code;
            else
                lstrcpynW(static_cast<wchar_t*>(output) + i * kBinNameChars, bins[i].name.c_str(), kBinNameChars);
        }
    }
    return static_cast<uint32_t>(bins.size());
}
