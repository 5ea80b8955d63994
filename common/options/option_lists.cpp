#include "common/options/option_lists.h"
#include "common/system/system_utilities.h"

#include "common/context/model_lookups.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/defaults/item_handlers.h"
#include "common/model/model_kinds.h"
#include "common/model/model_section.h"
#include "common/options/model_icon.h"
#include "common/options/user_paper_text.h"
#include "common/settings/function_ids.h"
#include "common/settings/item_layout.h"
#include "common/settings/paper_codes.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"

#include <cwchar>

namespace {

constexpr uint16_t kFidNameList = 298;
constexpr uint16_t kFidOutputSize = 262;
constexpr uint16_t kFidFaxPaperSize = 1824;

// A list of this kind does not own its string values.
constexpr uint16_t kListKindShared = kOptionListKindSharedStrings;

// Settings whose rows of user-defined paper sizes show the stored name and size.
bool ShowsUserPaperSizes(uint16_t id)
{
    return id == kFidOutputSize || id == kFidFaxPaperSize || IsSourcePaperSizeId(id);
}

// Option lists come only from a handler's own code, never from fixed rows.
bool HandlerServes(const ItemRow* item, uint32_t maskBit)
{
    return item != nullptr && ItemServes(item->record, maskBit) && item->record->handler != nullptr;
}

// The type the list's values have: the one the setting reports.
uint16_t ValueTypeOf(uint16_t id, void* settingsRecord, void* printerSettingsRecord)
{
    ItemLayout layout{};
    if (FindItemLayout(id, settingsRecord, printerSettingsRecord, &layout) != kSettingOk)
        return 0;
    return layout.reportedType != 0 ? layout.reportedType : layout.storedType;
}

// A row's value: a string value of a list that owns its strings is copied.
bool SetRowValue(const OptionList* list, OptionRow* row, uint64_t value)
{
    if (list->valueType != kTypeString || list->listKind == kListKindShared || value == 0) {
        row->value = value;
        return true;
    }
    const auto* text = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(value));
    wchar_t* copy = CopyTextToGlobal(text, wcslen(text));
    row->value = reinterpret_cast<uintptr_t>(copy);
    return copy != nullptr;
}

bool FillRowFromHandler(SettingsContext* context, const ItemRow* item, OptionExchange* exchange,
                        OptionList* list, int32_t n)
{
    exchange->index = n;
    exchange->entry.value = 0;
    if (item->record->handler(context, kItemOpOptionEntry, item->id, exchange) == 0)
        return false;
    OptionRow& row = list->rows[n];
    row.text = exchange->entry.text;
    exchange->entry.text = nullptr;
    return SetRowValue(list, &row, exchange->entry.value);
}

bool FillRowFromModel(SettingsContext* context, uint16_t id, OptionList* list, int32_t n)
{
    ModelSection* copy = nullptr;
    if (!GetItemOption(context, id, static_cast<uint16_t>(n + 1), &copy, nullptr))
        return false;
    uint64_t value = 0;
    const wchar_t* name = nullptr;
    const uint8_t* block = nullptr;
    uint32_t blockSize = 0;
    OptionRow& row = list->rows[n];
    uint16_t type = 0;
    bool filled = GetOptionCopyFields(copy, &value, &name, &type, &block, &blockSize);
    // An option whose value is of another kind than the setting's (a text for
    // a number) is a fault of the file: its value would be taken for what it
    // is not, so the list is refused.
    if (filled && ModelValueClassOf(type) != kValueClassNone && !ModelValueAgreesWithSetting(id, type))
        filled = false;
    if (filled) {
        row.text = CopyTextToGlobal(name, name != nullptr ? wcslen(name) : 0);
        // The model's strings live in the option's copy: a list that does not
        // own its strings cannot keep them.
        if (list->valueType == kTypeString && list->listKind == kListKindShared)
            value = 0;
        filled = row.text != nullptr && SetRowValue(list, &row, value);
    }
    if (filled && block != nullptr) {
        // A picture that is not an icon leaves the row without one.
        HPALETTE palette = nullptr;
        if (IconFromModelBitmap(GetModuleHandleOfDriver(), block, blockSize, &row.icon, &palette) && palette)
            DeleteObject(palette);
    }
    FreeItemOption(&copy);
    return filled;
}

// Replaces a row's text by its name with the size appended; the row keeps its
// plain text when that cannot be made.
void AppendSize(OptionRow* row, const wchar_t* name, uint32_t width, uint32_t length, const PaperUnits& units)
{
    const UserPaper paper{static_cast<uint16_t>(row->value), width, length, name};
    wchar_t* text = UserPaperOptionText(GetResourceModule(), paper, units);
    if (text == nullptr)
        return;
    if (row->text != nullptr)
        GlobalFree(row->text);
    row->text = text;
}

// The rows of one paper code keep their text and get the size appended.
void AppendSizeToRows(OptionList* list, uint64_t code, uint32_t width, uint32_t length, const PaperUnits& units)
{
    for (int32_t n = 0; n < list->count; ++n)
        if (list->rows[n].value == code) {
            wchar_t* plain = CopyTextToGlobal(list->rows[n].text, list->rows[n].text != nullptr ? wcslen(list->rows[n].text) : 0);
            AppendSize(&list->rows[n], plain, width, length, units);
            if (plain != nullptr)
                GlobalFree(plain);
        }
}

void ExtendFreeCustomSize(OptionList* list, void* settingsRecord, void* printerSettingsRecord,
                          const PaperUnits& units)
{
    int16_t width = 0, length = 0;
    if (!GetCustomPaperSize(settingsRecord, printerSettingsRecord, &width, &length))
        return;
    AppendSizeToRows(list, kFreeCustomPaperCode, static_cast<uint16_t>(width), static_cast<uint16_t>(length), units);
}

// A paper source's own size: its shorter and longer side from the source's row
// of the paper-source table.
void ExtendSourceOwnSize(OptionList* list, uint16_t id, void* settingsRecord, void* printerSettingsRecord,
                         const PaperUnits& units)
{
    uint32_t shorter = 0, longer = 0;
    if (!ReadSettingNumber(static_cast<uint16_t>(id + kSourceShorterSideOffset), settingsRecord,
                           printerSettingsRecord, &shorter) ||
        !ReadSettingNumber(static_cast<uint16_t>(id + kSourceLongerSideOffset), settingsRecord,
                           printerSettingsRecord, &longer))
        return;
    AppendSizeToRows(list, kSourceOwnSizePaperCode, static_cast<uint16_t>(shorter), static_cast<uint16_t>(longer),
                     units);
}

void ExtendUserPaperSizes(OptionList* list, void* settingsRecord, void* printerSettingsRecord,
                          const PaperUnits& units)
{
    int extended = 0;
    for (int32_t n = 0; n < list->count && extended < kUserPaperCount; ++n) {
        OptionRow& row = list->rows[n];
        if (row.value > 0xFFFF || !IsCustomPaperCode(static_cast<uint16_t>(row.value)))
            continue;
        ++extended;
        const uint16_t slot = CustomPaperIndex(static_cast<uint16_t>(row.value));
        const auto* name = reinterpret_cast<const wchar_t*>(
            GetFunctionIdValuePointer(settingsRecord, printerSettingsRecord, kFidUserPaperNameFirst + slot, kTypeString));
        const uint64_t width =
            GetFunctionIdValuePointer(settingsRecord, printerSettingsRecord, kFidUserPaperWidthFirst + slot, kTypeU16);
        const uint64_t length =
            GetFunctionIdValuePointer(settingsRecord, printerSettingsRecord, kFidUserPaperLengthFirst + slot, kTypeU16);
        if (name != nullptr)
            AppendSize(&row, name, static_cast<uint32_t>(width), static_cast<uint32_t>(length), units);
    }
}

}  // namespace

OptionList* CreateOptionList(HMODULE resources, SettingsContext* context, uint16_t id, void* settingsRecord,
                             void* printerSettingsRecord, const OptionStrings* strings, const ItemRow** item,
                             OptionExchange* exchange)
{
    if (item == nullptr || exchange == nullptr)
        return nullptr;
    *exchange = OptionExchange{};
    // Handler texts come from the driver's resource file unless the caller names another.
    exchange->entry.module = resources != nullptr ? resources : GetResourceModule();
    exchange->settingsRecord = settingsRecord;
    exchange->printerSettingsRecord = printerSettingsRecord;
    if (strings != nullptr) {
        exchange->multiString = strings->multiString;
        exchange->strings = strings->strings;
        exchange->stringCount = strings->count;
    }
    *item = FindItemById(id);
    if (*item == nullptr)
        return nullptr;
    if (id == kFidNameList && exchange->multiString == nullptr)
        return nullptr;

    auto* list = static_cast<OptionList*>(GlobalAlloc(GPTR, sizeof(OptionList)));
    if (list == nullptr)
        return nullptr;
    list->count = -1;
    list->valueType = ValueTypeOf(id, settingsRecord, printerSettingsRecord);

    uint16_t kind = 0, count = 0;
    const wchar_t* title = nullptr;
    ModelSection* feature = nullptr;
    const bool hasFeature = GetItemFeature(context, id, &kind, &count, &title, &feature, nullptr) != FALSE;
    bool ok = true;
    if (HandlerServes(*item, kItemMaskOptionKind)) {
        ok = (*item)->record->handler(context, kItemOpOptionKind, id, exchange) != 0;
        list->listKind = exchange->listKind;
        list->count = exchange->count;
    } else if (hasFeature) {
        list->listKind = kind;
        list->count = count;
    } else {
        ok = false;
    }
    if (ok && title != nullptr) {
        list->title = CopyTextToGlobal(title, title != nullptr ? wcslen(title) : 0);
        ok = list->title != nullptr;
    }
    if (hasFeature)
        FreeItemFeature(feature);
    if (ok && list->count > 0) {
        list->rows = static_cast<OptionRow*>(GlobalAlloc(GPTR, sizeof(OptionRow) * static_cast<size_t>(list->count)));
        ok = list->rows != nullptr;
    }
    if (!ok) {
        if (list->rows == nullptr)
            list->count = -1;
        FreeOptionList(list);
        return nullptr;
    }
    return list;
}

int FillOptionRows(SettingsContext* context, uint16_t id, void* settingsRecord, void* printerSettingsRecord,
                   const PaperUnits* units, const ItemRow* item, OptionExchange* exchange, OptionList* list)
{
    if (list == nullptr || item == nullptr || exchange == nullptr)
        return 0;
    const bool fromHandler = HandlerServes(item, kItemMaskOptionEntry);
    for (int32_t n = 0; n < list->count; ++n) {
        const bool filled = fromHandler ? FillRowFromHandler(context, item, exchange, list, n)
                                        : FillRowFromModel(context, id, list, n);
        if (!filled)
            return 0;
    }
    const PaperUnits shown = units != nullptr ? *units : PaperUnits{0, 0};
    if (id == kFidPaperSize && (context == nullptr || context->paperList == nullptr))
        ExtendFreeCustomSize(list, settingsRecord, printerSettingsRecord, shown);
    if (ShowsUserPaperSizes(id))
        ExtendUserPaperSizes(list, settingsRecord, printerSettingsRecord, shown);
    if (IsSourcePaperSizeId(id))
        ExtendSourceOwnSize(list, id, settingsRecord, printerSettingsRecord, shown);
    return 1;
}

OptionList* BuildOptionList(HMODULE resources, SettingsContext* context, uint16_t id, void* settingsRecord,
                            void* printerSettingsRecord, const PaperUnits* units, const OptionStrings* strings)
{
    const ItemRow* item = nullptr;
    OptionExchange exchange;
    OptionList* list =
        CreateOptionList(resources, context, id, settingsRecord, printerSettingsRecord, strings, &item, &exchange);
    if (list == nullptr)
        return nullptr;
    const int filled = FillOptionRows(context, id, settingsRecord, printerSettingsRecord, units, item, &exchange, list);
    ClearOptionText(&exchange.entry);
    if (!filled) {
        FreeOptionList(list);
        return nullptr;
    }
    return list;
}

const OptionRow* GetOptionEntry(const OptionList* list, int32_t index)
{
    if (list == nullptr || list->rows == nullptr || list->count < 0 || index < 0 || index >= list->count)
        return nullptr;
    return &list->rows[index];
}

const OptionRow* GetOptionEntryAt(const OptionList* list, int32_t index)
{
    return GetOptionEntry(list, index);
}

const wchar_t* GetOptionText(const OptionList* list, int32_t index)
{
    const OptionRow* row = GetOptionEntry(list, index);
    return row != nullptr ? row->text : nullptr;
}

HICON GetOptionIcon(const OptionList* list, int32_t index)
{
    const OptionRow* row = GetOptionEntry(list, index);
    return row != nullptr ? row->icon : nullptr;
}

uint64_t GetOptionData(const OptionList* list, int32_t index)
{
    const OptionRow* row = GetOptionEntry(list, index);
    return row != nullptr ? row->extra : 0;
}

const OptionRow* FindOptionByText(const OptionList* list, const wchar_t* text)
{
    if (text == nullptr)
        return nullptr;
    const size_t length = wcslen(text);
    for (int32_t n = 0; GetOptionEntry(list, n) != nullptr; ++n) {
        const wchar_t* rowText = list->rows[n].text;
        if (rowText != nullptr && wcsncmp(rowText, text, length) == 0)
            return &list->rows[n];
    }
    return nullptr;
}
