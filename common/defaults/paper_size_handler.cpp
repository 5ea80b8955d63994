// The handler of dmPaperSize: its choices are the printer's paper list when the
// context holds one (the model's papers joined to the spooler's forms), else
// the model's paper options.
#include "common/context/model_lookups.h"
#include "common/context/paper_list.h"
#include "common/context/settings_context.h"
#include "common/defaults/item_handlers.h"

namespace {

constexpr uint16_t kPaperListKind = 2;  // a list of names with a count

int ListChoices(SettingsContext* context, uint16_t operation, OptionExchange* options)
{
    if (operation == kItemOpOptionKind) {
        uint16_t count = 0;
        if (GetPaperListCount(context, &count, kPaperCountAll) != kPaperListOk)
            return 0;
        options->listKind = kPaperListKind;
        options->count = count;
        return 1;
    }
    uint16_t number = 0;
    const wchar_t* name = nullptr;
    if (GetPaperListEntry(context, options->index, kPaperOutPaperNumber, &number) != kPaperListOk ||
        GetPaperListEntry(context, options->index, kPaperOutName, &name) != kPaperListOk)
        return 0;
    const uint64_t holder = number;
    return FillOptionText(0, name, &holder, sizeof holder, &options->entry) ? 1 : 0;
}

int ModelChoices(SettingsContext* context, uint16_t operation, uint16_t id, OptionExchange* options)
{
    if (operation == kItemOpOptionKind) {
        uint16_t kind = 0, count = 0;
        ModelSection* feature = nullptr;
        if (!GetItemFeature(context, id, &kind, &count, nullptr, &feature, nullptr))
            return 0;
        FreeItemFeature(feature);
        options->listKind = kind;
        options->count = count;
        return 1;
    }
    ModelSection* copy = nullptr;
    if (!GetItemOption(context, id, static_cast<uint16_t>(options->index + 1), &copy, nullptr))
        return 0;
    uint64_t value = 0;
    const wchar_t* name = nullptr;
    const BOOL filled = GetOptionCopyFields(copy, &value, &name, nullptr, nullptr, nullptr) &&
                        FillOptionText(0, name, &value, sizeof value, &options->entry);
    FreeItemOption(&copy);
    return filled ? 1 : 0;
}

int HandlePaperSize(SettingsContext* context, uint16_t operation, uint16_t id, void* exchange)
{
    if (operation == kItemOpAccept)
        return HasOptionForValue(context, id, static_cast<CheckExchange*>(exchange)->holder) ? 1 : 0;
    if (operation != kItemOpOptionKind && operation != kItemOpOptionEntry)
        return 0;
    auto* options = static_cast<OptionExchange*>(exchange);
    return HasPaperList(context) == 1 ? ListChoices(context, operation, options)
                                      : ModelChoices(context, operation, id, options);
}

}  // namespace

const ItemHandlerRecord kHandlerPaperSize = {nullptr, HandlePaperSize, kItemMaskOptionKind | kItemMaskOptionEntry};
