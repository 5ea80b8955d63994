#include "ui/pages/version_text.h"

#include "common/context/settings_context.h"
#include "common/model/model_data.h"
#include "common/system/module_files.h"

#include <windows.h>

namespace {

// The driver's own version and build, shown beside the model data's.
constexpr int kDriverVersion[4] = {2, 8, 1, 1};
constexpr wchar_t kDriverBuild[] = L"02080101";
constexpr int kVersionChars = 256;
constexpr int kWsprintfChars = 1025;  // the most wsprintfW writes, with its end

}  // namespace

uint32_t ModelVersionNumber(uint32_t packed)
{
    const uint32_t a = packed >> 24, b = (packed >> 16) & 0xFF;
    return a == 2 && b == 8 ? packed & 0xFFFF : packed;
}

int BuildVersionString(const SettingsContext* context, wchar_t** text, int hostKind, bool logo)
{
    if (!text)
        return 0;
    *text = nullptr;
    if (!context || !context->main || !context->main->loaded)
        return 0;
    HMODULE resources = GetResourceModule();
    wchar_t format[kVersionChars] = {};
    wchar_t language[32] = {};
    if (!resources ||
        LoadStringW(resources, logo ? kStringLogoVersionFormat : kStringVersionFormat, format, kVersionChars) < 1 ||
        LoadStringW(resources, kStringTextLanguage, language, 32) < 1)
        return 0;
    auto* out = static_cast<wchar_t*>(GlobalAlloc(GPTR, kWsprintfChars * sizeof(wchar_t)));
    if (!out)
        return 0;
    wsprintfW(out, format, kDriverVersion[0], kDriverVersion[1], kDriverVersion[2], kDriverVersion[3],
              ModelVersionNumber(context->main->packedVersion), language, hostKind, kDriverBuild);
    *text = out;
    return 1;
}
