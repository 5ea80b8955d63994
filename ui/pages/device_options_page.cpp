#include "ui/pages/device_options_page.h"

#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/model/model_value_ops.h"
#include "common/options/option_lists.h"
#include "common/settings/capability_bits.h"
#include "common/settings/paper_codes.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"
#include "ui/controls/control_kinds.h"
#include "ui/controls/kind_handlers.h"
#include "ui/controls/kind_params.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/item_changes.h"
#include "ui/engine/message_engine.h"
#include "ui/engine/ui_context.h"
#include "ui/illustration/picture_statics.h"
#include "ui/support/resource_messages.h"
#include "ui/support/text_pieces.h"

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <string>

namespace {

constexpr uint32_t kKeepPage = 1;
constexpr uint16_t kNoNameSetting = 36922;
constexpr uint16_t kQuerySetting = 36895;
constexpr uint16_t kFidKeepSettings = 5199;
constexpr uint16_t kFidFaxKit = 4125;
constexpr uint16_t kFidSecurityKit = 4111;
constexpr uint16_t kFidSecurityKitToo = 4161;
constexpr uint16_t kFidFirstLinePrefix = 5141;
constexpr uint16_t kFidSecondLinePrefix = 5143;
constexpr uint16_t kFidSipFirst = 5210;   // flag
constexpr uint16_t kFidSipSecond = 5211;  // byte
constexpr uint16_t kFidSipThird = 5212;   // flag

// The value column of the option rows (dialog units) unless string 2014 says otherwise.
constexpr UINT kStringValueColumn = 2014;
constexpr int kDefaultValueColumn = 102;
constexpr UINT kStringEllipsis = 477;
constexpr int kEllipsisChars = 7;
constexpr int kRowTextChars = 255;

// Paper codes and types with a meaning of their own.
constexpr uint16_t kUnknownPaper = 273;
constexpr uint16_t kOwnSizePaper = 275;
constexpr uint16_t kFirstUserType = 13, kLastUserType = 17;
constexpr uint16_t kFirstUserSecond = 11, kLastUserSecond = 15;
constexpr uint16_t kNoSecondTypeCode = 17;
constexpr uint16_t kFirstTypeName = 6401;
constexpr uint16_t kFirstSecondName = 6411;

// Columns of the paper source rows, in dialog units; the fourth exists with
// the second-type capability.
constexpr int kSourceColumns[] = {71, 123, 164};
constexpr CapabilityId kCapSecondTypes = CapabilityBit(0x36);
constexpr UINT kIconFedWide = 1011;
constexpr UINT kIconFedTall = 1012;
constexpr int kIconPixels = 14;
constexpr int kColumnGap = 3;   // pixels between a cut text and the next column

// Rows of the paper source lists of other pages that are no paper source.
constexpr uint16_t kRowAutoSelect = 7;
constexpr uint16_t kRowManual = 4;
constexpr uint16_t kRowBypass = 260;
constexpr uint16_t kFidAutoType = 453;
constexpr uint16_t kFidAutoSecond = 468;
constexpr uint16_t kFidManualType = 388;
constexpr int32_t kListWithoutAuto = 1210;
constexpr int32_t kListAutoWhenTyped = 1016;
constexpr uint32_t kAutoTypeUnset = 48;

// Settings whose change by hand makes the last query's address stale.
constexpr uint16_t kQueriedRanges[][2] = {{4097, 4371}, {6145, 6159}, {6160, 6174}, {6175, 6189}, {6401, 6410},
                                          {6220, 6234}, {6235, 6249}, {6250, 6264}, {6295, 6324}, {6411, 6420}};

// --- Settings and texts -------------------------------------------------------------

struct PageData {
    HWND window = nullptr;
    void* settings = nullptr;
    void* printerSettings = nullptr;
};

bool Data(CallContext* call, PageData* d)
{
    d->window = GetCallWindow(call);
    return d->window && GetCallSettings(call, &d->settings, &d->printerSettings) && d->settings;
}

bool Read(const PageData& d, uint16_t id, uint32_t* value)
{
    return ReadSettingNumber(id, d.settings, d.printerSettings, value) != 0;
}

const wchar_t* SettingText(const PageData& d, uint16_t id)
{
    return reinterpret_cast<const wchar_t*>(
        static_cast<uintptr_t>(GetFunctionIdValuePointer(d.settings, d.printerSettings, id, kTypeString)));
}

void EmptyText(const PageData& d, uint16_t id)
{
    SetFunctionIdValueArgs(d.settings, d.printerSettings, id, kTypeString, 2, L"");
}

std::wstring ResourceText(UINT id, int chars)
{
    wchar_t text[256] = {};
    if (HMODULE resources = GetResourceModule())
        LoadStringW(resources, id, text, std::min(chars + 1, 256));
    return text;
}

uint32_t PassOn(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                const void* parameters)
{
    const ItemEventHandler kind = GetKindDefaultHandler(call);
    return kind ? kind(call, message, wParam, lParam, item, parameters) : 0;
}

// The option text of `value` in the cached list of `setting`, before its last
// carriage return; empty when there is none.
std::wstring OptionTextOf(const CallContext* call, uint16_t setting, uint32_t value)
{
    const OptionList* list = GetCachedOptionList(call, setting);
    if (!list)
        return {};
    uint64_t holder = 0;
    CopyValueByType(&holder, value, list->valueType);
    const wchar_t* text = GetOptionText(list, FindOptionValueIndex(list, &holder, list->valueType));
    if (!text)
        return {};
    wchar_t shown[kRowTextChars + 1] = {};
    SplitTextAtCarriageReturn(text, shown, kRowTextChars + 1);
    return shown;
}

// A paper type (or second type) as a row shows it: the user's own name of a
// user type when there is one, else the option text with its bracketed part
// taken out.
std::wstring TypeTextOf(const CallContext* call, const PageData& d, uint16_t setting, uint32_t value,
                        uint16_t firstUser, uint16_t lastUser, uint16_t firstName)
{
    if (value >= firstUser && value <= lastUser) {
        const wchar_t* name = SettingText(d, static_cast<uint16_t>(firstName + value - firstUser));
        if (name && *name)
            return name;
    }
    std::wstring text = OptionTextOf(call, setting, value);
    text.push_back(L'\0');
    CutOptionNameSuffix(text.data(), kCutBracketedPart);
    return text.c_str();
}

// --- Owner-drawn rows ---------------------------------------------------------------

int DialogUnitsToPixels(HWND dialog, int units)
{
    RECT r{0, 0, units, 0};
    MapDialogRect(dialog, &r);
    return r.right;
}

std::wstring Ellipsis()
{
    std::wstring text = ResourceText(kStringEllipsis, kEllipsisChars);
    return text.empty() ? L"..." : text;
}

int MeasureText(HDC dc, const std::wstring& text)
{
    RECT r{0, 0, 9999, 9999};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
    return r.right - r.left;
}

void DrawColumnText(HDC dc, const std::wstring& text, RECT column)
{
    if (column.right <= column.left || text.empty())
        return;
    const std::wstring shown = FitTextToColumn(dc, text.c_str(), column.right - column.left, Ellipsis().c_str());
    DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &column,
              DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER | DT_LEFT);
}

// Background and text colours of a row, as the list kinds draw theirs. Answers
// the colours the DC had.
std::pair<COLORREF, COLORREF> BeginRow(const DRAWITEMSTRUCT* draw)
{
    int back = COLOR_WINDOW, fore = COLOR_WINDOWTEXT;
    if (draw->itemState & ODS_DISABLED) {
        fore = COLOR_GRAYTEXT;
        back = draw->CtlType == ODT_COMBOBOX ? COLOR_BTNFACE : COLOR_WINDOW;
    } else if (draw->itemState & ODS_SELECTED) {
        fore = COLOR_HIGHLIGHTTEXT;
        back = COLOR_HIGHLIGHT;
    }
    FillRect(draw->hDC, &draw->rcItem, GetSysColorBrush(back));
    const COLORREF oldText = SetTextColor(draw->hDC, GetSysColor(fore));
    const COLORREF oldBack = SetBkColor(draw->hDC, GetSysColor(back));
    return {oldText, oldBack};
}

void EndRow(const DRAWITEMSTRUCT* draw, std::pair<COLORREF, COLORREF> colours)
{
    SetTextColor(draw->hDC, colours.first);
    SetBkColor(draw->hDC, colours.second);
    if ((draw->itemState & ODS_FOCUS) && draw->CtlType == ODT_LISTBOX)
        DrawFocusRect(draw->hDC, &draw->rcItem);
}

bool RowText(HWND control, UINT type, int row, std::wstring* text)
{
    const bool combo = type == ODT_COMBOBOX;
    const LRESULT length = SendMessageW(control, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, row, 0);
    if (length < 0 || length > kRowTextChars)
        return false;
    wchar_t buffer[kRowTextChars + 1] = {};
    if (SendMessageW(control, combo ? CB_GETLBTEXT : LB_GETTEXT, row, reinterpret_cast<LPARAM>(buffer)) < 0)
        return false;
    *text = buffer;
    return true;
}

bool Drawable(const DRAWITEMSTRUCT* draw)
{
    return draw && static_cast<int>(draw->itemID) >= 0 && (draw->itemAction & (ODA_DRAWENTIRE | ODA_SELECT));
}

// The installable option rows: the name up to the tab, the value from the
// value column on.
uint32_t DrawOptionRow(CallContext*, const ItemRecord*, HWND control, LPARAM data)
{
    const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(data);
    std::wstring text;
    if (!Drawable(draw) || !RowText(control, draw->CtlType, static_cast<int>(draw->itemID), &text))
        return 1;
    const std::wstring columnText = ResourceText(kStringValueColumn, 8);
    const int units = columnText.empty() ? kDefaultValueColumn : _wtoi(columnText.c_str());
    const int column = DialogUnitsToPixels(GetParent(control), units);
    const size_t tab = text.find(L'\t');
    const auto colours = BeginRow(draw);
    RECT name = draw->rcItem, value = draw->rcItem;
    name.left += 2;
    name.right = draw->rcItem.left + column;
    value.left = draw->rcItem.left + column;
    DrawColumnText(draw->hDC, text.substr(0, tab), name);
    if (tab != std::wstring::npos)
        DrawColumnText(draw->hDC, text.substr(tab + 1), value);
    EndRow(draw, colours);
    return 1;
}

// The source behind a paper source row: the option of the list's setting
// whose shown text is the row's.
bool RowSource(HWND dialog, const ItemRecord* item, const std::wstring& text, uint32_t* source)
{
    const OptionList* list = GetSelectedOptionList(dialog, item);
    for (int32_t i = 0; list && i < list->count; ++i) {
        const wchar_t* option = GetOptionText(list, i);
        wchar_t shown[kRowTextChars + 1] = {};
        if (option)
            SplitTextAtCarriageReturn(option, shown, kRowTextChars + 1);
        if (option && text == shown) {
            *source = ValueToUInt(&list->rows[i].value, list->valueType);
            return true;
        }
    }
    return false;
}

// The text shown for column C or D of a row that is no paper source.
std::wstring OtherRowType(CallContext* call, const PageData& d, uint16_t setting, bool second)
{
    uint32_t value = 0;
    if (!Read(d, setting, &value))
        return {};
    return second ? TypeTextOf(call, d, setting, value, kFirstUserSecond, kLastUserSecond, kFirstSecondName)
                  : TypeTextOf(call, d, setting, value, kFirstUserType, kLastUserType, kFirstTypeName);
}

void DrawSourceIcon(HDC dc, UINT id, int x, const RECT& row)
{
    const int size = MulDiv(kIconPixels, GetDeviceCaps(dc, LOGPIXELSY), 96);
    HICON icon = static_cast<HICON>(LoadImageW(GetResourceModule(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
    if (!icon)
        return;
    const int y = row.top + (row.bottom - row.top - size) / 2;
    DrawIconEx(dc, x, y, icon, size, size, 0, nullptr, DI_NORMAL);
    DestroyIcon(icon);
}

}  // namespace

// The paper source rows: the source's name, then its paper size and feed, its
// paper type and, with second types, its second type. Serves the paper source
// lists of other pages as well.
uint32_t DrawPaperSourceRow(CallContext* call, const ItemRecord* item, HWND control, LPARAM data)
{
    const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(data);
    PageData d;
    std::wstring text;
    if (!Drawable(draw) || !Data(call, &d) ||
        !RowText(control, draw->CtlType, static_cast<int>(draw->itemID), &text))
        return 1;
    HWND dialog = GetParent(control);
    const bool fourColumns = TestModelCapability(GetCallSettingsContext(call) ? GetCallSettingsContext(call)->main
                                                                                : nullptr,
                                                 kCapSecondTypes);
    const RECT& row = draw->rcItem;
    int edges[4] = {row.left, 0, 0, row.right};
    for (int c = 0; c < 3; ++c)
        edges[c] = row.left + DialogUnitsToPixels(dialog, kSourceColumns[c]);
    const int thirdEnd = fourColumns ? edges[2] : row.right;
    auto column = [&](int left, int right) { return RECT{left, row.top, std::min<LONG>(right, row.right), row.bottom}; };

    const auto colours = BeginRow(draw);
    const size_t cr = text.find_last_of(L'\r');
    RECT first = column(row.left + 2, edges[0]);
    DrawColumnText(draw->hDC, cr == std::wstring::npos ? text : text.substr(0, cr), first);

    uint32_t source = 0;
    uint16_t ids[6] = {};
    const bool known = RowSource(dialog, item, text, &source);
    if (known && FindPaperSourceSettings(static_cast<uint16_t>(source), ids)) {
        uint32_t a = 0, b = 0, c = 0, dv = kNoSecondTypeCode;
        Read(d, ids[0], &a);
        Read(d, ids[1], &b);
        Read(d, ids[2], &c);
        Read(d, ids[3], &dv);
        int left = edges[0];
        if (a != kUnknownPaper) {
            DrawSourceIcon(draw->hDC, b == 1 ? kIconFedWide : kIconFedTall, left, row);
            left += MulDiv(kIconPixels + 2, GetDeviceCaps(draw->hDC, LOGPIXELSY), 96);
        }
        std::wstring size = OptionTextOf(call, ids[0], a);
        if (a == kOwnSizePaper) {
            wchar_t* inner = nullptr;
            int length = 0;
            if (ExtractDelimitedText(&inner, &length, size.c_str(), L'(', L')')) {
                size.assign(inner, static_cast<size_t>(length));
                GlobalFree(inner);
            }
        } else {
            size.push_back(L'\0');
            CutOptionNameSuffix(size.data(), kCutAtBracket);
            size = size.c_str();
            while (!size.empty() && size.back() == L' ')
                size.pop_back();
        }
        const std::wstring feed = OptionTextOf(call, ids[1], b);
        DrawColumnText(draw->hDC, feed.empty() ? size : size + L" " + feed, column(left, edges[1]));
        DrawColumnText(draw->hDC,
                       TypeTextOf(call, d, ids[2], c, kFirstUserType, kLastUserType, kFirstTypeName),
                       column(edges[1] + kColumnGap, thirdEnd));
        if (fourColumns && dv != kNoSecondTypeCode)
            DrawColumnText(draw->hDC,
                           TypeTextOf(call, d, ids[3], dv, kFirstUserSecond, kLastUserSecond, kFirstSecondName),
                           column(edges[2] + kColumnGap, row.right));
    } else if (known && source == kRowAutoSelect) {
        uint32_t autoType = 0;
        const bool shown = item->controlId != kListWithoutAuto &&
                           (item->controlId != kListAutoWhenTyped ||
                            (Read(d, kFidAutoType, &autoType) && autoType != kAutoTypeUnset));
        if (shown)
            DrawColumnText(draw->hDC, OtherRowType(call, d, kFidAutoType, false), column(edges[1], thirdEnd));
        uint32_t second = kNoSecondTypeCode;
        if (item->controlId != kListWithoutAuto && fourColumns && Read(d, kFidAutoSecond, &second) &&
            second != kNoSecondTypeCode)
            DrawColumnText(draw->hDC, OtherRowType(call, d, kFidAutoSecond, true), column(edges[2], row.right));
    } else if (known && (source == kRowManual || source == kRowBypass)) {
        DrawColumnText(draw->hDC, OtherRowType(call, d, kFidManualType, false), column(edges[1], thirdEnd));
    }
    EndRow(draw, colours);
    return 1;
}

std::wstring FitTextToColumn(HDC dc, const wchar_t* text, int width, const wchar_t* ellipsis)
{
    std::wstring original = text ? text : L"";
    if (original.size() > static_cast<size_t>(kRowTextChars))
        original.resize(kRowTextChars);
    if (MeasureText(dc, original) <= width)
        return original;
    // Each try cuts the original text and measures the prefix with the
    // ellipsis, so the ellipsis is never cut itself; the empty prefix ends
    // the search even when the ellipsis alone is too wide.
    for (size_t keep = original.size(); keep-- > 0;) {
        std::wstring tried = original.substr(0, keep) + ellipsis;
        if (keep == 0 || MeasureText(dc, tried) <= width)
            return tried;
    }
    return ellipsis;
}

int GetUserPaperSizeEntry(int index, void* printerSettings, uint16_t* code, uint16_t* width, uint16_t* length,
                          wchar_t* name)
{
    if (index == 0 && !code && !width && !length && !name)
        return kUserPaperCount;
    if (index < 1 || index > kUserPaperCount || !printerSettings)
        return 0;
    const uint16_t n = static_cast<uint16_t>(index - 1);
    constexpr uint16_t kFirstWidth = 5889, kFirstLength = 5909, kFirstName = 5929;
    uint32_t w = 0, l = 0;
    if (!ReadSettingNumber(kFirstWidth + n, nullptr, printerSettings, &w) ||
        !ReadSettingNumber(kFirstLength + n, nullptr, printerSettings, &l))
        return 0;
    if (code)
        *code = CustomPaperCodeFromIndex(n);
    if (width)
        *width = static_cast<uint16_t>(w);
    if (length)
        *length = static_cast<uint16_t>(l);
    if (name) {
        const auto* text = reinterpret_cast<const wchar_t*>(
            static_cast<uintptr_t>(GetFunctionIdValuePointer(nullptr, printerSettings, kFirstName + n, kTypeString)));
        if (!text)
            return 0;
        wcsncpy(name, text, 63);
        name[63] = L'\0';
    }
    return 1;
}

namespace {

// --- Item handlers ------------------------------------------------------------------

// The page: leaving it without a fax line asks first.
uint32_t OnDevicePageItem(CallContext* call, UINT message, WPARAM, LPARAM lParam, const ItemRecord*, const void*)
{
    PageData d;
    if (SheetNotification(message, lParam) != static_cast<UINT>(PSN_KILLACTIVE) || !Data(call, &d))
        return 0;
    uint32_t card = 0, sip = 0;
    if (!Read(d, kFidFaxCardType, &card) || !Read(d, kFidSipFax, &sip) || card != 0 || sip != 0)
        return 0;
    return ShowResourceMessageBox(d.window, kCaptionSettings, nullptr, MB_OKCANCEL | MB_ICONINFORMATION,
                                  kMessageNoFaxLine, nullptr) == IDCANCEL
               ? kKeepPage
               : 0;
}

const ItemRecord* PageItem(CallContext* call, int32_t control)
{
    return FindItemRecord(GetCallWindow(call), kDeviceOptionsCode, control);
}

// The follow-up of a changed installable option; its writes skip the
// constraint check on purpose.
void FollowOptionChange(const PageData& d, const ItemRecord* item, uint16_t first)
{
    const uint16_t selected = GetSelectedSettingId(d.window, item);
    uint32_t card = 0, sip = 0;
    const bool cardRead = Read(d, kFidFaxCardType, &card);
    if (first == kFidSecurityKit || first == kFidSecurityKitToo) {
        uint32_t kit = 0;
        if ((selected == kFidSecurityKit || selected == kFidSecurityKitToo) && Read(d, kFidSecurityKit, &kit) && kit)
            ShowResourceMessageBox(d.window, kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION,
                                   kMessageSecurityKit, nullptr);
        return;
    }
    if (first == kFidFaxCardType && cardRead) {
        WriteSettingNumber(kFidFaxKit, d.settings, d.printerSettings, card != 0 ? 1 : 0);
        if (selected == kFidFaxCardType && card == 0) {
            EmptyText(d, kFidFirstLinePrefix);
            EmptyText(d, kFidSecondLinePrefix);
        }
    } else if (first != kFidSipFax) {
        return;
    }
    if ((selected == kFidFaxCardType || selected == kFidSipFax) && cardRead && Read(d, kFidSipFax, &sip) &&
        card == 0 && sip == 0) {
        for (uint16_t id : {kFidSipFirst, kFidSipSecond, kFidSipThird})
            WriteSettingNumber(id, d.settings, d.printerSettings, 0);
    }
}

// A refresh that only follows a row chosen in the option list carries that
// row's setting, though no value changed.
bool AfterValueChange(CallContext* call, UINT message, LPARAM lParam)
{
    const ItemRecord* target = GetPendingActionTarget(call);
    return message == kEventRefresh && lParam && !(target && target->controlId == kOptionList);
}

uint32_t OnOptionValueItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                           const void* parameters)
{
    PageData d;
    if (IsShowMessage(message, lParam) && Data(call, &d))
        SyncSlotSelection(d.window, item, kDeviceOptionsCode, kOptionList);
    if (AfterValueChange(call, message, lParam) && Data(call, &d))
        FollowOptionChange(d, item, *reinterpret_cast<const uint16_t*>(lParam));
    return PassOn(call, message, wParam, lParam, item, parameters);
}

// Column of the paper source table each source combo edits.
int SourceColumn(int32_t control)
{
    switch (control) {
    case kSourceSizeBox: return 0;
    case kSourceFeedBox: return 1;
    case kSourceTypeBox: return 2;
    case kSourceSecondBox: return 3;
    default: return -1;
    }
}

uint32_t OnSourceBoxItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                         const void* parameters)
{
    PageData d;
    uint32_t source = 0;
    uint16_t ids[6] = {};
    const int column = SourceColumn(item->controlId);
    if (IsShowMessage(message, lParam) && column >= 0 && Data(call, &d) && Read(d, kFidSelectedSource, &source) &&
        FindPaperSourceSettings(static_cast<uint16_t>(source), ids)) {
        int32_t slot = 0;
        if (FindItemSettingIndex(item, ids[column], &slot))
            SetSelectedSlotIndex(d.window, item, slot);
        if (column == 0)
            if (const OptionList* list = GetCachedOptionList(call, ids[0])) {
                uint64_t own = 0;
                CopyValueByType(&own, kOwnSizePaper, list->valueType);
                const int32_t index = FindOptionValueIndex(list, &own, list->valueType);
                uint32_t current = 0;
                if (index >= 0)
                    SetSettingUiOptionState(d.window, ids[0], index,
                                            Read(d, ids[0], &current) && current == kOwnSizePaper ? kStateEnabled
                                                                                                  : kStateDisabled);
            }
    }
    const uint32_t result = PassOn(call, message, wParam, lParam, item, parameters);
    // Second types exist only with their capability: their row is not shown otherwise.
    if (column == 3 && IsShowMessage(message, lParam) && Data(call, &d)) {
        SettingsContext* context = GetCallSettingsContext(call);
        if (!TestModelCapability(context ? context->main : nullptr, kCapSecondTypes))
            for (int32_t id : {kSourceSecondBox, kSourceSecondLabel, kSourceSecondName})
                ShowWindow(GetDlgItem(d.window, id), SW_HIDE);
    }
    return result;
}

// The name of a user paper type: the name setting of the source's type, shown
// read-only beside the type.
uint32_t OnTypeNameItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                        const void* parameters)
{
    const bool second = item->controlId == kSourceSecondName;
    const int32_t box = second ? kSourceSecondBox : kSourceTypeBox;
    const uint16_t firstCode = second ? kFirstUserSecond : kFirstUserType;
    const uint16_t lastCode = second ? kLastUserSecond : kLastUserType;
    PageData d;
    const bool show = IsShowMessage(message, lParam) && Data(call, &d);
    const ItemRecord* boxItem = show ? PageItem(call, box) : nullptr;
    bool named = false;
    if (boxItem) {
        const ValueEntry* entry = GetSelectedValueEntry(d.window, boxItem);
        const uint32_t type = entry ? ValueToUInt(&entry->value, entry->type) : 0;
        const uint16_t setting = type >= firstCode && type <= lastCode
                                     ? static_cast<uint16_t>((second ? kFirstSecondName : kFirstTypeName) + type -
                                                             firstCode)
                                     : kNoNameSetting;
        named = setting != kNoNameSetting;
        int32_t slot = 0;
        FindItemSettingIndex(item, setting, &slot);
        SetSelectedSlotIndex(d.window, item, slot);
    }
    const uint32_t result = PassOn(call, message, wParam, lParam, item, parameters);
    if (boxItem) {
        uint16_t state = kStateHidden;
        const bool read = GetItemSettingUiState(d.window, boxItem, &state, nullptr) != 0;
        HWND field = GetDlgItem(d.window, item->controlId);
        HWND label = second ? nullptr : GetDlgItem(d.window, kSourceTypeNameLabel);
        // The page itself may not be shown yet: the combo's own style tells.
        const bool visible = read && state != kStateHidden &&
                             (GetWindowLongW(GetDlgItem(d.window, box), GWL_STYLE) & WS_VISIBLE) != 0;
        for (HWND w : {field, label}) {
            if (!w)
                continue;
            ShowWindow(w, visible ? SW_SHOW : SW_HIDE);
            EnableWindow(w, FALSE);
        }
        if (visible && !named)
            SetWindowTextW(field, L"");
    }
    return result;
}

bool InQueriedRanges(const uint16_t* changed)
{
    for (; changed && *changed; ++changed)
        for (const auto& range : kQueriedRanges)
            if (*changed >= range[0] && *changed <= range[1])
                return true;
    return false;
}

uint32_t OnAddressItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                       const void* parameters)
{
    PageData d;
    if (AfterValueChange(call, message, lParam) && InQueriedRanges(reinterpret_cast<const uint16_t*>(lParam)) &&
        Data(call, &d)) {
        EmptyText(d, kFidPrinterAddress);
        EmptyText(d, kFidCommunityName);
        RefreshSingleItem(d.window, item);
    }
    return PassOn(call, message, wParam, lParam, item, parameters);
}

uint32_t OnKeepSettingsItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                            const void* parameters)
{
    const bool show = IsShowMessage(message, lParam);
    if (show)
        SetSettingUiState(GetCallWindow(call), kFidKeepSettings, kStateHidden);
    const uint32_t result = PassOn(call, message, wParam, lParam, item, parameters);
    // Kept hidden also where the model gives the setting no state of its own.
    if (show)
        ShowWindow(GetDlgItem(GetCallWindow(call), item->controlId), SW_HIDE);
    return result;
}

// The query button is named by the model's name of its setting.
void NameQueryButton(CallContext* call, HWND window)
{
    SettingsContext* context = GetCallSettingsContext(call);
    void* settings = nullptr;
    void* printerSettings = nullptr;
    GetCallSettings(call, &settings, &printerSettings);
    if (!context)
        return;
    OptionList* list = BuildOptionList(GetResourceModule(), context, kQuerySetting, settings, printerSettings,
                                       nullptr, nullptr);
    if (list && list->title && *list->title)
        SetDlgItemTextW(window, kQueryButton, list->title);
    FreeOptionList(list);
}

uint32_t OnQueryButton(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                       const void* parameters)
{
    PageData d;
    if (message == WM_INITDIALOG)
        NameQueryButton(call, GetCallWindow(call));
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED)
        return PassOn(call, message, wParam, lParam, item, parameters);
    if (!Data(call, &d))
        return 0;
    HCURSOR before = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    if (!ApplyPrinterQueryResult(call) && Data(call, &d)) {
        EmptyText(d, kFidPrinterAddress);
        EmptyText(d, kFidCommunityName);
    }
    SetCursor(before);
    SetPendingAction(call, kPendingValuesChanged, nullptr, item);
    return 0;
}

uint32_t OnWebButton(CallContext* call, UINT message, WPARAM wParam, LPARAM, const ItemRecord*, const void*)
{
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED)
        OpenDevicePageWebPage(call);
    return 0;
}

uint32_t OnPictureItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                       const void* parameters)
{
    return OnPictureStaticItem(call, message, wParam, lParam, item, parameters);
}

// --- The table ------------------------------------------------------------------------

constexpr uint16_t kBoth = kEvaluateOnActivate | kEvaluateAfterChange;

constexpr ItemSlot kOptionSlots[] = {
    {4369, kBoth}, {4142, kBoth}, {4112, kBoth}, {4111, kBoth}, {4161, kBoth}, {4113, kBoth}, {4356, kBoth},
    {4358, kBoth}, {4366, kBoth}, {4367, kBoth}, {4355, kBoth}, {4097, kBoth}, {4362, kBoth}, {4098, kBoth},
    {4359, kBoth}, {4099, kBoth}, {4101, kBoth}, {4102, kBoth}, {4103, kBoth}, {4105, kBoth}, {4106, kBoth},
    {4107, kBoth}, {4108, kBoth}, {4109, kBoth}, {4110, kBoth}, {4125, kBoth}, {4114, kBoth}, {4115, kBoth},
    {4116, kBoth}, {4117, kBoth}, {4118, kBoth}, {4119, kBoth}, {4120, kBoth}, {4363, kBoth}, {4121, kBoth},
    {4122, kBoth}, {4364, kBoth}, {4100, kBoth}, {4130, kBoth}, {4131, kBoth}, {4132, kBoth}, {4133, kBoth},
    {4134, kBoth}, {4135, kBoth}, {4136, kBoth}, {4137, kBoth}, {4138, kBoth}, {4139, kBoth}, {4368, kBoth},
    {4124, kBoth}, {4126, kBoth}, {4127, kBoth}, {4128, kBoth}, {4360, kBoth}, {4361, kBoth}, {4353, kBoth},
    {4354, kBoth}, {4357, kBoth}, {4365, kBoth}, {4140, kBoth}};
static_assert(std::size(kOptionSlots) == 60);

// One slot per paper source of a column: the fifteen first sources, then the
// fifteen from source 273 on.
template <uint16_t First, uint16_t Second>
constexpr auto SourceColumnSlots()
{
    struct Slots {
        ItemSlot slots[30];
    } s{};
    for (uint16_t i = 0; i < 15; ++i) {
        s.slots[i] = {static_cast<uint16_t>(First + i), kBoth};
        s.slots[15 + i] = {static_cast<uint16_t>(Second + i), kBoth};
    }
    return s;
}
constexpr auto kSizeSlots = SourceColumnSlots<6145, 6220>();
constexpr auto kFeedSlots = SourceColumnSlots<6160, 6235>();
constexpr auto kTypeSlots = SourceColumnSlots<6175, 6250>();
constexpr auto kSecondSlots = SourceColumnSlots<6295, 6310>();
constexpr ItemSlot kTypeNameSlots[] = {{kNoNameSetting, 0}, {6401, 0}, {6402, 0}, {6403, 0}, {6404, 0}, {6405, 0}};
constexpr ItemSlot kSecondNameSlots[] = {{kNoNameSetting, 0}, {6411, 0}, {6412, 0}, {6413, 0}, {6414, 0}, {6415, 0}};
constexpr ItemSlot kSourceSlots[] = {{kFidSelectedSource, kBoth}};
constexpr ItemSlot kQuerySlots[] = {{kQuerySetting, 0}};
constexpr ItemSlot kAddressSlots[] = {{kFidPrinterAddress, 0}};
constexpr ItemSlot kKeepSlots[] = {{kFidKeepSettings, 0}};

constexpr ListItemParams kOptionListParams = {kRowsOfSettings, kRowLabelIsListName | kRowTwoColumns,
                                              kDefaultValueColumn, kListDrawHook, nullptr, DrawOptionRow, nullptr};
constexpr ListItemParams kComboParams = {kRowsOfOptions, 0, 0, 0, nullptr, nullptr, nullptr};
constexpr ListItemParams kSourceListParams = {kRowsOfOptions, 0, 0, kListDrawHook, nullptr, DrawPaperSourceRow,
                                              nullptr};
constexpr EditFieldParams kNameField = {0, 32, nullptr, nullptr, 0, nullptr};
constexpr EditFieldParams kAddressField = {0, 255, nullptr, nullptr, 0, nullptr};
constexpr ButtonParams kQueryButtonParams = {kActionNothing, nullptr};
constexpr uint32_t kNameFlags = kItemLabelFollowsControl;

const ItemRecord kPageRecords[] = {
    {kPageItemId, -1, nullptr, kKindNone, OnDevicePageItem, nullptr, kNoControl, kNoControl, nullptr},
    {kOptionList, 60, kOptionSlots, kKindListBox, nullptr, &kOptionListParams, kNoControl, kNoControl, nullptr},
    {kOptionValueBox, 60, kOptionSlots, kKindComboBox, OnOptionValueItem, &kComboParams, kOptionValueLabel, 9088,
     nullptr},
    {1310, -1, nullptr, kKindNone, OnPictureItem, nullptr, kNoControl, kNoControl, nullptr},
    {kSourceList, 1, kSourceSlots, kKindListBox, nullptr, &kSourceListParams, kSourceListLabel, 9089, nullptr},
    {kSourceSizeBox, 30, kSizeSlots.slots, kKindComboBox, OnSourceBoxItem, &kComboParams, 1745, 9090, nullptr},
    {kSourceFeedBox, 30, kFeedSlots.slots, kKindComboBox, OnSourceBoxItem, &kComboParams, 1746, 9091, nullptr},
    {kSourceTypeBox, 30, kTypeSlots.slots, kKindComboBox, OnSourceBoxItem, &kComboParams, 1747, 9092, nullptr},
    // Its label keeps the template's text; the handler shows it with the field.
    {kSourceTypeName, 6, kTypeNameSlots, kKindEdit, OnTypeNameItem, &kNameField, kNoControl, kNoControl,
     &kNameFlags},
    // Its label is shown and hidden with it by the page (second types need a capability).
    {kSourceSecondBox, 30, kSecondSlots.slots, kKindComboBox, OnSourceBoxItem, &kComboParams, kNoControl, kNoControl,
     nullptr},
    {kSourceSecondName, 6, kSecondNameSlots, kKindEdit, OnTypeNameItem, &kNameField, kNoControl, kNoControl,
     &kNameFlags},
    {kQueryButton, 1, kQuerySlots, kKindPushButton, OnQueryButton, &kQueryButtonParams, kNoControl, kNoControl,
     nullptr},
    {kQueryGroup, 1, kQuerySlots, kKindStateOnly, nullptr, nullptr, kNoControl, kNoControl, nullptr},
    {kQueryAddress, 1, kAddressSlots, kKindEdit, OnAddressItem, &kAddressField, kQueryAddressLabel, kNoControl,
     nullptr},
    {kWebPageButton, 0, nullptr, kKindPushButton, OnWebButton, nullptr, kNoControl, kNoControl, nullptr},
    {kKeepSettingsButton, 1, kKeepSlots, kKindCheckBox, OnKeepSettingsItem, nullptr, kNoControl, 9312, nullptr},
};
constexpr HelpMapEntry kPageHelp[] = {{0, 0}};
constexpr int32_t kLockedControls[] = {kNoControl};

}  // namespace

const ItemTableHeader DeviceOptionsPageItemTable{kPageRecords, static_cast<uint32_t>(std::size(kPageRecords)),
                                                 kPageHelpTopic, kPageHelp, kLockedControls, 0};
