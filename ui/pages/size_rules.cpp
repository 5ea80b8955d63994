#include "ui/pages/size_rules.h"

#include "common/constraints/constraint_engine.h"
#include "common/constraints/constraint_result.h"
#include "common/context/value_by_type.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_types.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/item_changes.h"
#include "ui/engine/ui_context.h"
#include "ui/engine/value_conflict.h"

#include <memory>

namespace {

struct ResultCloser {
    void operator()(ConstraintResult* result) const { FreeConstraintResult(result); }
};

}  // namespace

int CheckPaperSizeRules(CallContext* call)
{
    uint32_t paper = 0;
    if (!ReadSettingNumber(kFidPaperSize, call->settings, call->printerSettings, &paper))
        return 1;
    std::unique_ptr<ConstraintResult, ResultCloser> result(AllocConstraintResult());
    if (!result)
        return 1;
    HANDLE printer = GetWindowUiContext(GetCallWindow(call)) ? GetWindowUiContext(GetCallWindow(call))->printer : nullptr;
    const int16_t value = static_cast<int16_t>(paper);
    if (CheckSettingConstraints(kModeInteractive, printer, call->settingsContext, call->settings,
                                call->printerSettings, nullptr, kFidPaperSize, kTypeS16, &value, result.get(), nullptr,
                                0) != 0)
        return 1;
    if (result->code == kConstraintNone)
        return 0;
    const ConstraintContext context{call->settingsContext, call->settings, call->printerSettings};
    const SettingChange change{kFidPaperSize, kTypeS16, 2, &value};
    ChangedIdList changed{};
    const uint16_t answer =
        ResolveValueConflict(GetCallWindow(call), printer, context, change, &changed, result.get(), nullptr);
    if (answer != kActionApply) {
        FreeGlobalIfSet(changed.ids);
        return 1;
    }
    if (changed.ids)
        RefreshDialogFromSettings(call, changed.ids);
    FreeGlobalIfSet(changed.ids);
    return 0;
}
