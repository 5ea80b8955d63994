#include "common/devmode/default_validation.h"

#include "common/constraints/constraint_engine.h"
#include "common/constraints/constraint_result.h"
#include "common/defaults/item_groups.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/global_block.h"

#include <cstring>
#include <memory>

namespace {

struct ResultDeleter {
    void operator()(ConstraintResult* result) const { FreeConstraintResult(result); }
};

}  // namespace

int ValidateDefaultSettings(HANDLE printer, SettingsContext* context, void* settingsRecord,
                            void* printerSettingsRecord, uint16_t** conflicts)
{
    if (!conflicts)
        return kDefaultsCheckFailed;
    *conflicts = nullptr;
    if (!printer || !context || !settingsRecord || !printerSettingsRecord)
        return kDefaultsCheckFailed;
    std::unique_ptr<ConstraintResult, ResultDeleter> result(AllocConstraintResult());
    if (!result)
        return kDefaultsCheckFailed;
    uint16_t found[kMaxReportedConflicts];
    uint16_t count = 0;
    bool conflict = false;
    for (uint32_t group = 0; group < kItemGroupCount; ++group) {
        const ItemRow* items = nullptr;
        uint16_t itemCount = 0;
        uint16_t storageKind = 0;
        if (!GetItemGroup(group, &items, &itemCount, &storageKind))
            continue;
        for (uint16_t i = 0; i < itemCount; ++i) {
            const auto id = static_cast<uint16_t>(items[i].id);
            uint16_t type = 0;
            uint32_t size = 0;
            uint64_t holder = 0;
            // A setting the records do not hold has nothing to check.
            if (GetFunctionIdValue(id, settingsRecord, printerSettingsRecord, &type, &size, &holder) != kSettingOk)
                continue;
            ResetConstraintResult(result.get());
            const uint16_t status = CheckSettingConstraints(kModeValidate, printer, context, settingsRecord,
                                                            printerSettingsRecord, nullptr, id, type, &holder,
                                                            result.get(), nullptr, 0);
            // A check that could not be made says nothing about the value: a
            // damaged model must not pass a set its intact copy refuses.
            if (status != 0)
                return kDefaultsCheckFailed;
            // A current value the model refuses is reported through the fired
            // rules; a value in conflict through the code.
            if (result->code == kConstraintNone && result->conflictRules.count == 0)
                continue;
            conflict = true;
            if (count < kMaxReportedConflicts)
                found[count++] = id;
        }
    }
    if (!conflict)
        return kDefaultsValid;
    GlobalBlockPtr<uint16_t> list = AllocGlobalBlock<uint16_t>((count + 1) * sizeof(uint16_t));
    if (!list)
        return kDefaultsCheckFailed;
    std::memcpy(list.get(), found, count * sizeof(uint16_t));
    *conflicts = list.release();
    return kDefaultsConflict;
}
