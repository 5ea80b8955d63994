#include "ui/docevent/user_identification.h"

#include "common/context/setting_rules.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/model/com_provider.h"
#include "common/model/model_value_ops.h"
#include "common/model/user_id_provider.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/code_pages.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"
#include "common/system/scrambled_strings.h"
#include "ui/docevent/user_identification_dialog.h"

#include <objbase.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>

namespace {

constexpr uint32_t kCapabilityScrambledCode = 0x40000000;

// Resource strings of the provider's request: three request pairs of a label
// and two numbered fields each, the request's title, and the fourth pair that
// only the current provider class is asked.
constexpr UINT kStringRequestLabelFirst = 9263;   // 9263-9265
constexpr UINT kStringRequestFieldFirst = 9267;   // 9267-9272, two per label
constexpr UINT kStringRequestTitle = 9297;
constexpr UINT kStringAccountLabel = 9298;
constexpr UINT kStringAccountField = 9299;

// Where the answer's values go, in the answer's order.
constexpr uint16_t kAnswerSettings[] = {kFidPromptText, kFidIdentDomain, kFidIdentPassword, kFidIdentAccount};

bool SettingOn(void* settings, void* printerSettings, uint16_t id)
{
    return SettingNumberOr(id, settings, printerSettings, 0) != 0;
}

bool StoreText(void* settings, void* printerSettings, uint16_t id, const wchar_t* text)
{
    const auto bytes = static_cast<uint32_t>((wcslen(text) + 1) * sizeof(wchar_t));
    return SetFunctionIdValueArgs(settings, printerSettings, id, kTypeString, bytes, text) == 0;
}

// A resource string in the ANSI code page; false when it is missing.
bool LoadAnsiString(UINT id, std::string* out)
{
    wchar_t text[512];
    if (LoadStringW(GetResourceModule(), id, text, 512) <= 0)
        return false;
    char* block = nullptr;
    int length = 0;
    if (!ConvertWideToMultiByte(text, &block, &length, 0))
        return false;
    out->assign(block, static_cast<size_t>(length));
    GlobalFree(block);
    return true;
}

struct ProviderRequest {
    std::string title;
    std::vector<std::string> pairs;
};

bool BuildProviderRequest(bool currentClass, ProviderRequest* request)
{
    if (!LoadAnsiString(kStringRequestTitle, &request->title))
        return false;
    for (UINT i = 0; i < 3; ++i) {
        std::string label, first, second;
        if (!LoadAnsiString(kStringRequestLabelFirst + i, &label) ||
            !LoadAnsiString(kStringRequestFieldFirst + 2 * i, &first) ||
            !LoadAnsiString(kStringRequestFieldFirst + 2 * i + 1, &second))
            return false;
        request->pairs.push_back(JoinRequestTexts(label, BuildRequestList({first, second})));
    }
    std::string label, field;
    if (!LoadAnsiString(kStringAccountLabel, &label) || !LoadAnsiString(kStringAccountField, &field))
        return false;
    if (currentClass)
        request->pairs.push_back(JoinRequestTexts(label, BuildRequestList({field})));
    return true;
}

struct ProviderDeleter {
    void operator()(UserIdProvider* provider) const { provider->Release(); }
};

UserIdProvider* CreateProvider(bool* currentClass)
{
    constexpr DWORD kContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;
    void* object = nullptr;
    *currentClass = SUCCEEDED(CoCreateInstance(kUserIdProviderClass, nullptr, kContext, kUserIdProviderInterface,
                                               &object)) && object;
    if (!*currentClass) {
        object = nullptr;
        if (FAILED(CoCreateInstance(kOlderUserIdProviderClass, nullptr, kContext, kOlderUserIdProviderInterface,
                                    &object)))
            object = nullptr;
    }
    return static_cast<UserIdProvider*>(object);
}

}  // namespace

uint16_t IdentificationPopupSetting(void* settings, void* printerSettings)
{
    return SettingOn(settings, printerSettings, kFidAccountMode) ? kFidPromptUser : kFidPromptAdministrator;
}

std::string BuildRequestList(const std::vector<std::string>& texts)
{
    std::string out;
    auto append = [&out](const std::string& piece) {
        if (!out.empty())
            out += ",";
        out += piece;
    };
    bool inRun = false;
    long runFirst = 0, runLast = 0;
    auto closeRun = [&]() {
        if (!inRun)
            return;
        append(runFirst == runLast ? std::to_string(runFirst)
                                   : std::to_string(runFirst) + "-" + std::to_string(runLast));
        inRun = false;
    };
    for (const std::string& text : texts) {
        if (text.empty())
            continue;
        char* end = nullptr;
        const long number = std::strtol(text.c_str(), &end, 10);
        const bool isNumber = end && *end == 0 && text[0] >= '0' && text[0] <= '9';
        if (isNumber && inRun && number == runLast + 1) {
            runLast = number;
            continue;
        }
        closeRun();
        if (isNumber) {
            inRun = true;
            runFirst = runLast = number;
        } else {
            append(text);
        }
    }
    closeRun();
    return out;
}

std::string JoinRequestTexts(const std::string& label, const std::string& list)
{
    return label + "=" + list;
}

int StoreUserIdentAnswer(const char* answer, uint32_t size, void* settings, void* printerSettings,
                         ModelDataRecord* model, bool currentClass)
{
    if (!answer || !settings || !printerSettings)
        return 0;
    // The provider's buffer is all there is: a text must end inside it.
    size = std::min(size, kUserIdAnswerBytes);
    const uint32_t steps = currentClass ? 4 : 3;
    uint32_t at = 0;
    for (uint32_t step = 0; step < steps; ++step) {
        const char* text = answer + at;
        const void* end = at < size ? std::memchr(text, 0, size - at) : nullptr;
        if (!end)
            return 0;
        const uint32_t length = static_cast<uint32_t>(static_cast<const char*>(end) - text);
        at += length + 1;
        const char* equals = static_cast<const char*>(std::memchr(text, '=', length));
        if (!equals)
            return 0;
        wchar_t* value = nullptr;
        int units = 0;
        if (!ConvertMultiByteToWide(equals + 1, &value, &units, 0))
            return 0;
        GlobalBlockPtr<wchar_t> owned(value);
        const uint16_t id = kAnswerSettings[step];
        if (id == kFidIdentPassword && value[0] && TestModelCapability(model, kCapabilityScrambledCode)) {
            wchar_t* scrambled = nullptr;
            if (!EncodeOrDecodeProtectedString(kProtectStringEncode, value, &scrambled))
                return 0;
            owned.reset(scrambled);
        }
        if (!StoreText(settings, printerSettings, id, owned.get()))
            return 0;
    }
    return 1;
}

int QueryComDataSource(HWND owner, void* settings, void* printerSettings, ModelDataRecord* model)
{
    const HRESULT init = CoInitialize(nullptr);
    int result = 0;
    bool currentClass = false;
    if (UserIdProvider* created = CreateProvider(&currentClass)) {
        std::unique_ptr<UserIdProvider, ProviderDeleter> provider(created);
        ProviderRequest request;
        if (BuildProviderRequest(currentClass, &request)) {
            bool asked = true;
            std::string whole = request.title + "|";
            for (size_t i = 0; i < request.pairs.size() && asked; ++i) {
                LONG number = 0;
                asked = SUCCEEDED(provider->AddRequest(request.pairs[i].c_str(), &number));
                whole += (i ? ";" : "") + request.pairs[i];
            }
            char answer[kUserIdAnswerBytes] = {};
            if (asked && SUCCEEDED(provider->QueryValues(owner, whole.c_str(), answer, sizeof(answer))))
                result = StoreUserIdentAnswer(answer, sizeof(answer), settings, printerSettings, model, currentClass);
        }
    }
    if (SUCCEEDED(init))
        CoUninitialize();
    return result;
}

int PromptUserIdentification(HANDLE printer, void* settings, void* printerSettings, SettingsContext* context,
                             int atJobStart)
{
    if (!printer || !settings || !printerSettings || !context || !context->main)
        return 0;
    if (!SettingOn(settings, printerSettings, kFidUserNameAllowed))
        return 1;
    const uint16_t popupId = IdentificationPopupSetting(settings, printerSettings);
    const uint32_t popup = SettingNumberOr(popupId, settings, printerSettings, 0);
    if (SettingOn(settings, printerSettings, kFidUserIdMode)) {
        uint32_t installed = 0;
        if (!IsComProviderInstalled(context->main, &installed))
            return 0;
        if (installed) {
            if (!QueryComDataSource(GetActiveWindow(), settings, printerSettings, context->main))
                return 0;
            return WriteSettingNumber(popupId, settings, printerSettings, 1) &&
                           WriteSettingNumber(kFidPromptUnknown, settings, printerSettings, 0)
                       ? 1
                       : 0;
        }
    }
    if (popup == 0)
        return 1;
    const int ask = atJobStart && IsFaxJob(context->main, settings) &&
                            SettingNumberOr(kFidFaxInformationOnly, settings, printerSettings, 0) != 1
                        ? 1
                        : 0;
    if (!ShouldShowUserIdentificationDialog(settings, printerSettings, ask))
        return 1;
    const int adminMode = SettingOn(settings, printerSettings, kFidAccountMode) ? 0 : 1;
    return RunUserIdentificationDialog(printer, settings, printerSettings, context, ask, adminMode, atJobStart) ==
                   kIdentificationDialogOk
               ? 1
               : 0;
}
