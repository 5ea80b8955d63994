// The tray tooltips of the settings illustration: which trays the model has,
// where each lies on the picture and the paper each holds.
#include "ui/engine/tooltips.h"

#include "common/context/option_list.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/settings/paper_codes.h"
#include "common/model/model_data.h"
#include "common/model/model_kinds.h"
#include "common/model/model_section.h"
#include "common/model/model_value_ops.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/ui_context.h"

#include <commctrl.h>

#include <cwchar>

const TooltipRow TooltipTable[kTooltipRows + 1] = {
    {1, 0x1, 4609, 4609, 0},        {3, 0x2, 4610, 4610, 1},        {2, 0x4, 4611, 4611, 2},
    {257, 0x8, 4612, 4612, 3},      {261, 0x10, 4614, 4614, 4},     {262, 0x20, 4615, 4615, 5},
    {11, 0x40, 4616, 4097, 6},      {265, 0x80, 4617, 4617, 7},     {266, 0x100, 4618, 4618, 8},
    {267, 0x200, 4619, 4619, 9},    {4, 0x800, 4613, 4613, 10},     {272, 0x1000, 4621, 4621, 11},
    // Its presence is the tray above's: the two share one unit.
    {271, 0x2000, 4622, 4621, 12},  {0, 0, 0, 0, 0},
};

namespace {

constexpr uint16_t kTableSources = 5;
constexpr uint16_t kTableSizePairs = 17;
constexpr uint16_t kManualFeed = 4;
constexpr uint16_t kFidPaperSource = 265;
constexpr CapabilityId kTypeCodesSwapped = 0x80000000;

struct SectionHolder {
    ModelSection* section = nullptr;
    ~SectionHolder() { FreeModelSection(&section, kKindOwn); }
};

// The tray's place on the picture, from the corner of the illustration.
bool GetTrayRect(const SettingsContext* settings, const TooltipRow& row, POINT origin, RECT* rect)
{
    uint16_t kind = 0;
    SectionHolder feature;
    if (LoadItemFeature(false, settings->main, settings->linked, row.positionItem, nullptr, &kind, &feature.section,
                        nullptr) != kModelOk ||
        !feature.section)
        return false;
    const FeatureSection* item = AsFeature(feature.section);
    if (!item || item->options.empty())
        return false;
    // The position entry: an option record, of table 13 for a switch feature, else of table 14.
    SectionHolder position;
    if (GetFeatureOption(false, settings->main, settings->linked, feature.section, 1, false, &kind,
                         &position.section) != kModelOk)
        return false;
    const OptionSection* entry = AsOption(position.section);
    const uint16_t pairs = entry && entry->sizeRule ? entry->sizeRule : item->sizeRule;
    SectionHolder coordinates;
    if (!pairs || LoadModelTableWithOption(false, settings->main, settings->linked, kTableSizePairs, pairs, 0,
                                           &coordinates.section) != kModelOk)
        return false;
    const SizePairsSection* size = AsSizePairs(coordinates.section);
    if (!size)
        return false;
    rect->left = origin.x + size->first.x;
    rect->top = origin.y + size->first.y;
    rect->right = origin.x + size->second.x;
    rect->bottom = origin.y + size->second.y;
    return true;
}

const wchar_t* OptionTextOfValue(CallContext* call, uint16_t setting, uint32_t value)
{
    if (!GetItemOptionListData(call, setting))
        return nullptr;
    const OptionList* list = GetCachedOptionList(call, setting);
    const uint64_t holder = value;
    const int32_t index = FindOptionValueIndex(list, &holder, list->valueType);
    return index >= 0 ? list->rows[index].text : nullptr;
}

}  // namespace

uint32_t TooltipFlagOfSource(uint16_t source)
{
    // The last two rows share a unit the model never lists as a source of its own.
    for (const TooltipRow* row = TooltipTable; row->tool; ++row)
        if (row->tool == source && row->textSlot < 11)
            return row->flag;
    return 0;
}

int ComputeTooltipFlags(const SettingsContext* settings, uint32_t* flags)
{
    if (!settings || !flags)
        return 0;
    *flags = 0;
    const uint16_t count = GetModelTableCount(settings->main, kTableSources);
    if (!count)
        return 0;
    for (uint16_t i = 1; i <= count; ++i) {
        uint8_t file = 0;
        uint16_t source = 0;
        uint32_t offset = 0;
        if (FindModelRecordByPosition(settings->main, kTableSources, i, &file, &source, &offset) == kModelOk)
            *flags |= TooltipFlagOfSource(source);
    }
    return 1;
}

int CreateTooltipTexts(HWND window)
{
    UiContext* ui = GetWindowUiContext(window);
    if (!ui)
        return 0;
    if (GetUiTooltipTexts(ui))
        return 1;
    HWND tooltip = GetUiTooltipWindow(ui, kDialogTypePage);
    if (!tooltip)
        return 0;
    auto* record = static_cast<TooltipTextRecord*>(GlobalAlloc(GPTR, sizeof(TooltipTextRecord)));
    if (!record) {
        DestroyWindow(tooltip);
        SetUiTooltipWindow(ui, kDialogTypePage, nullptr);
        return 0;
    }
    record->tooltip = tooltip;
    ComputeTooltipFlags(ui->settings, &record->flags);
    SetUiTooltipTexts(ui, record);
    return 1;
}

int AddSettingTooltips(HWND window)
{
    const UiContext* ui = GetWindowUiContext(window);
    const TooltipTextRecord* record = GetUiTooltipTexts(ui);
    if (!record || !record->tooltip)
        return 0;
    for (const TooltipRow* row = TooltipTable; row->tool; ++row)
        if (record->flags & row->flag)
            AddTooltip(window, record->tooltip, row->tool, TTF_SUBCLASS, L"");
    return 1;
}

int TrayTooltipKind(const CallContext* call, uint16_t tool, uint32_t sizeValue, uint32_t typeValue, int* kind)
{
    if (!kind)
        return 0;
    *kind = 1;
    const UiContext* ui = call ? GetWindowUiContext(call->window) : nullptr;
    if (!ui || !ui->settings)
        return 0;
    const uint64_t trayId = tool;
    uint16_t sectionKind = 0;
    SectionHolder tray;
    if (LoadItemFeature(false, ui->settings->main, ui->settings->linked, 32770, &trayId, &sectionKind, &tray.section,
                        nullptr) != kModelOk ||
        !tray.section)
        return 1;
    uint16_t entry = 0;
    for (uint16_t i = 1; GetSectionEntry24(tray.section, i, &entry) == kModelOk; ++i) {
        if (entry != sizeValue)
            continue;
        uint16_t code = 0;
        if (GetSectionEntry24Code(tray.section, i, &code) != kModelOk)
            return 1;
        const bool swapped = TestModelCapability(ui->settings->main, kTypeCodesSwapped);
        switch (code) {
        case 3:
            *kind = 2;
            break;
        case 0:
            *kind = 3;
            break;
        case 1:
            *kind = typeValue == (swapped ? 2u : 1u) ? 2 : 1;
            break;
        case 2:
            *kind = typeValue == (swapped ? 1u : 2u) ? 2 : 1;
            break;
        default:
            break;
        }
        return 1;
    }
    return 1;
}

int ComposeTrayTooltipText(const CallContext* call, uint16_t tool, uint16_t sizeSetting, uint16_t typeSetting,
                           wchar_t* text)
{
    if (!call || !text)
        return 0;
    text[0] = L'\0';
    uint32_t size = 0, type = 0;
    if (!ReadSettingNumber(sizeSetting, call->settings, call->printerSettings, &size) ||
        !ReadSettingNumber(typeSetting, call->settings, call->printerSettings, &type))
        return 0;
    int kind = 0;
    if (!TrayTooltipKind(call, tool, size, type, &kind))
        return 0;
    if (kind == 2 || kind == 3) {
        const wchar_t* sizeText = GetItemOptionText(call, sizeSetting);
        const wchar_t* typeText = GetItemOptionText(call, typeSetting);
        lstrcpynW(text, sizeText ? sizeText : L"", kTooltipTextChars);
        const size_t used = wcslen(text);
        lstrcpynW(text + used, typeText ? typeText : L"", static_cast<int>(kTooltipTextChars - used));
        return 1;
    }
    if (kind != 1)
        return 0;
    const UiContext* ui = GetWindowUiContext(call->window);
    wchar_t* name = nullptr;
    ModelValue value;
    if (!ui || GetItemOptionValue(ui->settings->main, ui->settings->linked, sizeSetting, 1, &name, &value) !=
                   kModelOk ||
        !name) {
        FreeGlobalIfSet(name);
        return 0;
    }
    lstrcpynW(text, name, kTooltipTextChars);
    GlobalFree(name);
    return 1;
}

int UpdateSettingTooltips(CallContext* call, HWND window)
{
    void* settings = nullptr;
    void* printerSettings = nullptr;
    UiContext* ui = GetWindowUiContext(window);
    TooltipTextRecord* record = GetUiTooltipTexts(ui);
    if (!call || !GetDialogSettings(window, &settings, &printerSettings) || !record || !ui->settings ||
        !record->tooltip)
        return 0;
    POINT origin{};
    if (HWND picture = GetDlgItem(window, kIllustrationControl)) {
        RECT place{};
        GetWindowRect(picture, &place);
        origin = {place.left, place.top};
        ScreenToClient(window, &origin);
    }
    for (const TooltipRow* row = TooltipTable; row->tool; ++row) {
        if (!(record->flags & row->flag))
            continue;
        RECT rect{};
        uint32_t present = 0;
        ReadSettingNumber(row->presence, settings, printerSettings, &present);
        if (!present) {
            SetTooltipRect(window, record->tooltip, row->tool, TTF_SUBCLASS, &rect);
            continue;
        }
        GetTrayRect(ui->settings, *row, origin, &rect);
        wchar_t* text = record->texts[row->textSlot];
        text[0] = L'\0';
        if (row->tool == kManualFeed) {
            if (const wchar_t* option = OptionTextOfValue(call, kFidPaperSource, kManualFeed))
                lstrcpynW(text, option, kTooltipTextChars);
        } else {
            uint16_t ids[6] = {};
            if (FindPaperSourceSettings(row->tool, ids))
                ComposeTrayTooltipText(call, row->tool, ids[0], ids[2], text);
        }
        SetTooltipRect(window, record->tooltip, row->tool, TTF_SUBCLASS, &rect);
        UpdateTooltipText(window, record->tooltip, row->tool, TTF_SUBCLASS, text);
    }
    return 1;
}

void FreeTooltipTexts(UiContext* ui)
{
    TooltipTextRecord* record = GetUiTooltipTexts(ui);
    if (!record)
        return;
    GlobalFree(record);
    SetUiTooltipTexts(ui, nullptr);
}
