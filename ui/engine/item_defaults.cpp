// Defaults of a dialog: every setting its items edit goes back to its model
// default, each through the same conflict check as a user's change.
#include "common/constraints/constraint_engine.h"
#include "common/constraints/constraint_result.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/defaults/setting_defaults.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/global_block.h"
#include "ui/engine/item_changes.h"
#include "ui/engine/value_conflict.h"

#include <memory>

namespace {

constexpr uint16_t kFidTrayCountMode = 1794;
constexpr uint16_t kFidTrayModeSwitch = 4125;
constexpr uint16_t kFidTrayModeSource = 5211;

struct ResultCloser {
    void operator()(ConstraintResult* result) const { FreeConstraintResult(result); }
};

struct DefaultHolder {
    uint16_t id;
    uint16_t type = 0;
    uint64_t holder = 0;
    bool held = false;
    ~DefaultHolder()
    {
        if (held)
            FreeFunctionIdDefault(id, holder, type);
    }
};

uint64_t ReadWord(uint16_t id, void* settings, void* printerSettings)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    GetFunctionIdValue(id, settings, printerSettings, &type, &size, &holder);
    return holder;
}

}  // namespace

int SetSettingToDefault(HWND window, SettingsContext* context, void* settings, void* printerSettings, uint16_t setting)
{
    if (!context || !settings || !printerSettings)
        return -1;
    if (setting == kFidCopies) {
        const uint64_t before = ReadWord(setting, settings, printerSettings);
        if (!ResetFunctionIdToDefault(context, setting, settings, printerSettings))
            return -1;
        return ReadWord(setting, settings, printerSettings) != before ? 1 : 0;
    }
    if (setting == kFidTrayCountMode) {
        uint32_t value = 0;
        if (SettingNumberOr(kFidTrayModeSwitch, settings, printerSettings, 0))
            value = SettingNumberOr(kFidTrayModeSource, settings, printerSettings, 0) == 1 ? 1 : 0;
        else
            value = SettingNumberOr(kFidSubAddressing, settings, printerSettings, 0) ? 2 : 1;
        const uint32_t before = SettingNumberOr(setting, settings, printerSettings, value + 1);
        if (SetFunctionIdValueWord(settings, printerSettings, setting, kTypeU16, sizeof(uint16_t), value) != 0)
            return -1;
        return before != value ? 1 : 0;
    }
    DefaultHolder value{setting};
    uint32_t size = 0;
    const int answer = GetFunctionIdDefault(context, setting, &value.type, &size, &value.holder);
    if (answer == kFunctionIdDefaultAbsent)
        return 0;
    if (answer != kFunctionIdDefaultOk)
        return -1;
    value.held = true;
    std::unique_ptr<ConstraintResult, ResultCloser> result(AllocConstraintResult());
    const UiContext* ui = GetWindowUiContext(window);
    if (!result || CheckSettingConstraints(kModeReset, ui ? ui->printer : nullptr, context, settings, printerSettings,
                                           nullptr, setting, value.type, &value.holder, result.get(), nullptr,
                                           0) != 0)
        return -1;
    const ConstraintContext constraint{context, settings, printerSettings};
    const SettingChange change{setting, value.type, 0, &value.holder};
    ChangedIdList changed{};
    const uint16_t applied = CheckItemValueConflict(window, ui ? ui->printer : nullptr, &constraint, &change,
                                                    &changed, result.get(), nullptr);
    FreeGlobalIfSet(changed.ids);
    if (applied == kActionApply)
        return 1;
    return applied == kActionError ? -1 : 0;
}

int ResetDialogToDefaults(CallContext* call, void* settings, void* printerSettings, int32_t* count, uint16_t** list)
{
    if (count)
        *count = 0;
    if (list)
        *list = nullptr;
    if (!call || !settings || !printerSettings || !count || !list)
        return 0;
    const ItemRecord* records = nullptr;
    int32_t records_count = 0;
    if (!GetDialogItemTable(call->window, static_cast<int32_t>(call->dialogCode), &records, &records_count) ||
        !records)
        return 0;
    int32_t slots = 0;
    for (int32_t i = 0; i < records_count; ++i)
        slots += records[i].slotCount > 0 ? records[i].slotCount : 0;
    auto ids = AllocGlobalBlock<uint16_t>(sizeof(uint16_t) * (slots + 1));
    if (!ids)
        return 0;
    int32_t n = 0;
    for (int32_t i = 0; i < records_count; ++i) {
        const ItemRecord& item = records[i];
        if (item.controlId == kPageItemId || (GetItemFlags(&item) & kItemKeptByDefaults) || !item.slots)
            continue;
        for (int32_t s = 0; s < item.slotCount; ++s) {
            const uint16_t setting = item.slots[s].setting;
            if (SetSettingToDefault(call->window, call->settingsContext, settings, printerSettings, setting) != 1)
                continue;
            bool listed = false;
            for (int32_t k = 0; k < n; ++k)
                listed = listed || ids.get()[k] == setting;
            if (!listed)
                ids.get()[n++] = setting;
        }
    }
    ids.get()[n] = 0;
    *count = n;
    *list = n ? ids.release() : nullptr;
    return 1;
}
