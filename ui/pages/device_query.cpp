// The printer query as the device options page runs it: the query's input from
// the page's settings, and its answers applied through the page's own change
// path, so that a queried option is checked against the model's rules like one
// chosen by hand.
#include "ui/pages/device_options_page.h"

#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/model/model_value_ops.h"
#include "common/settings/capability_bits.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "ui/controls/item_callbacks.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/item_changes.h"
#include "ui/engine/ui_context.h"
#include "ui/query/printer_web_page.h"
#include "ui/query/query_application.h"
#include "ui/support/resource_messages.h"

#include <string>

namespace {

constexpr CapabilityId kCapCommunityName = CapabilityBit(0x31);
constexpr CapabilityId kCapSnmpVersion = CapabilityBit(0x39);
constexpr CapabilityId kCapFirstOptionApplied = CapabilityBit(0x40);

const wchar_t* Text(void* settings, void* printerSettings, uint16_t id)
{
    return reinterpret_cast<const wchar_t*>(
        static_cast<uintptr_t>(GetFunctionIdValuePointer(settings, printerSettings, id, kTypeString)));
}

// What a query needs from the page; false when a setting it names cannot be read.
bool QueryInput(CallContext* call, PrinterQueryInput* in, std::wstring* port)
{
    void* settings = nullptr;
    void* printerSettings = nullptr;
    HWND window = GetCallWindow(call);
    UiContext* ui = GetWindowUiContext(window);
    if (!ui || !GetCallSettings(call, &settings, &printerSettings) || !settings || !printerSettings)
        return false;
    in->window = window;
    in->settings = GetCallSettingsContext(call);
    if (CachePortName(ui) && ui->portName)
        *port = ui->portName;
    in->portName = port->c_str();
    in->modelName = Text(settings, printerSettings, kFidModelName);
    in->deviceName = Text(settings, printerSettings, kFidDeviceName);
    if (!in->settings || !in->modelName || !in->deviceName)
        return false;
    const int count = GetUserPaperSizeEntry(0, nullptr, nullptr, nullptr, nullptr, nullptr);
    for (int i = 1; i <= count; ++i) {
        QueryPaper paper;
        if (GetUserPaperSizeEntry(i, printerSettings, &paper.code, &paper.width, &paper.length, nullptr))
            in->userPapers.push_back(paper);
    }
    in->communityText = Text(settings, printerSettings, kFidCommunityName);
    uint32_t snmp = 0;
    in->snmpReadable = ReadSettingNumber(kQuerySnmpSetting, settings, printerSettings, &snmp) != 0;
    in->snmpValue = static_cast<uint8_t>(snmp);
    return true;
}

// The page's side of applying a result.
struct PageQueryTarget : QueryResultTarget {
    CallContext* call;
    const ItemRecord* item;   // the option list's item, the change path's target
    void* settings;
    void* printerSettings;

    bool Store(const SettingAnswer& answer) override
    {
        return SetFunctionIdValue(answer.settingId, settings, printerSettings, answer.type, answer.size,
                                  answer.holder) == 0;
    }
    bool Change(const SettingAnswer& answer, uint16_t* firstChanged) override
    {
        *firstChanged = 0;
        // The setting's value now, in the answer's own type, is what the change
        // path compares with.
        ValueEntry current{answer.settingId, answer.type, answer.size, 0};
        if (answer.type == kTypeString) {
            current.value = GetFunctionIdValuePointer(settings, printerSettings, answer.settingId, kTypeString);
            if (!current.value)
                return false;
        } else {
            uint32_t number = 0;
            if (!ReadSettingNumber(answer.settingId, settings, printerSettings, &number))
                return false;
            CopyValueByType(&current.value, number, answer.type);
        }
        uint16_t* changed = nullptr;
        const int result = ApplyItemValueChange(call, item, &current, answer.type, answer.holder, &changed);
        if (changed)
            *firstChanged = changed[0];
        FreeGlobalIfSet(changed);
        return result == kChangeApplied;
    }
    void Message(uint16_t id) override
    {
        ShowResourceMessageBox(GetCallWindow(call), kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION, id,
                               nullptr);
    }
    void RebuildOptionList(uint16_t setting) override
    {
        RebuildSettingOptionList(GetCallWindow(call), kDeviceOptionsCode, setting);
    }
    void ShowAddress(const wchar_t* text) override
    {
        SetDlgItemTextW(GetCallWindow(call), kQueryAddress, text ? text : L"");
    }
};

}  // namespace

int ApplyPrinterQueryResult(CallContext* call)
{
    HWND window = GetCallWindow(call);
    if (!window)
        return 0;
    SetDlgItemTextW(window, kQueryAddress, L"");
    PrinterQueryInput in;
    std::wstring port;
    if (!QueryInput(call, &in, &port))
        return 0;
    PrinterQueryResult result;
    if (!RunPrinterQuery(in, &result))
        return 0;
    PageQueryTarget target;
    target.call = call;
    target.item = FindItemRecord(window, kDeviceOptionsCode, kOptionValueBox);
    GetCallSettings(call, &target.settings, &target.printerSettings);
    ModelDataRecord* model = in.settings->main;
    QueryCapabilities caps;
    caps.communityName = TestModelCapability(model, kCapCommunityName);
    caps.snmpVersion = TestModelCapability(model, kCapSnmpVersion);
    caps.firstOptionApplied = TestModelCapability(model, kCapFirstOptionApplied);
    const int applied = target.item ? ApplyQueryResult(result, caps, &target) : 0;
    FreePrinterQueryResult(&result);
    return applied;
}

int OpenDevicePageWebPage(CallContext* call)
{
    PrinterQueryInput in;
    std::wstring port;
    if (!QueryInput(call, &in, &port))
        return 0;
    void* settings = nullptr;
    void* printerSettings = nullptr;
    GetCallSettings(call, &settings, &printerSettings);
    const wchar_t* address = Text(settings, printerSettings, kFidPrinterAddress);
    return address ? OpenPrinterWebPage(in, address) : 0;
}
