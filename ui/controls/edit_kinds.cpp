// Kind 4: the edit field, also the edit part of an editable combo box and the
// buddy of an up-down control. It shows a setting as text or number, reads
// back what was typed, refuses what does not fit and hands the value on.
#include "common/conflicts/conflict_messages.h"
#include "common/conflicts/dialog_services.h"
#include "common/constraints/constraint_engine.h"
#include "common/context/option_list.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "common/system/scrambled_strings.h"
#include "common/system/system_utilities.h"
#include "ui/controls/display_states.h"
#include "ui/controls/kind_handlers.h"
#include "ui/engine/item_changes.h"
#include "ui/support/number_fields.h"
#include "ui/support/ansi_limits.h"
#include "ui/support/number_fields.h"
#include "ui/support/resource_messages.h"
#include "ui/support/text_validation.h"
#include "ui/support/utility_tables.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

constexpr int kEditDataList = 0;
constexpr int32_t kMirroredControl = 4045;  // its text is also sent to the dialog
constexpr int kInchDecimals = 2;
constexpr int kMessageChars = 512;

// The buffer of one field while its page is active.
struct EditTextBuffer {
    wchar_t* accepted;  // the last accepted text (encoded for a protected text)
    wchar_t* read;      // the text as last read from the control
    uint32_t busy;      // an up-down step runs
    uint32_t message;   // the refusal message is up
};

// Keeps a commit that an EN_CHANGE starts from running again inside itself.
bool changeGuard = false;
bool setTextChangeGuard = false;

uint64_t WindowKey(HWND window) { return reinterpret_cast<uint64_t>(window); }

EditTextBuffer* BufferOf(HWND window, const ItemRecord* item)
{
    return static_cast<EditTextBuffer*>(
        FindDialogData(kEditDataList, window, static_cast<uint64_t>(item->controlId), WindowKey(window)));
}

wchar_t* CopyText(const wchar_t* text)
{
    const size_t length = text ? wcslen(text) : 0;
    auto* copy = static_cast<wchar_t*>(GlobalAlloc(GPTR, (length + 1) * sizeof(wchar_t)));
    if (copy && length)
        wmemcpy(copy, text, length);
    return copy;
}

void ReplaceText(wchar_t** slot, wchar_t* text)
{
    FreeGlobalIfSet(*slot);
    *slot = text;
}

void FreeBuffer(HWND window, const ItemRecord* item)
{
    EditTextBuffer* buffer = BufferOf(window, item);
    if (!buffer)
        return;
    RemoveDialogData(kEditDataList, window, static_cast<uint64_t>(item->controlId), WindowKey(window));
    FreeGlobalIfSet(buffer->accepted);
    FreeGlobalIfSet(buffer->read);
    GlobalFree(buffer);
}

// The stored text of the selected slot (a pointer into the value), or null.
const wchar_t* StoredText(HWND window, const ItemRecord* item)
{
    const ValueEntry* entry = GetSelectedValueEntry(window, item);
    if (!entry || entry->type != kTypeString)
        return nullptr;
    return reinterpret_cast<const wchar_t*>(entry->value);
}

bool IsAdjustment(uint16_t setting) { return IsAdjustmentLengthSetting(setting); }

// Decimals and the fixed-point flag a field shows with, after the unit.
void NumberShape(const CallContext* call, uint16_t setting, const EditFieldParams* params, uint32_t* decimals,
                 uint32_t* flags)
{
    *flags = params->flags;
    *decimals = params->format ? params->format->decimals : 0;
    if (!(params->flags & kEditLength) || !IsLengthSetting(setting))
        return;
    if (IsInchDisplay(call)) {
        *decimals = kInchDecimals;
        *flags |= kEditFixedPoint;
    } else if (IsAdjustment(setting)) {
        *flags &= ~kEditFixedPoint;
    }
}

bool ConvertsUnit(const CallContext* call, uint16_t setting, const EditFieldParams* params)
{
    return (params->flags & kEditLength) && IsLengthSetting(setting) && IsInchDisplay(call);
}

bool Scales(const EditFieldParams* params) { return params->format && params->format->sliderScale; }

// Stored value to the number the field shows.
int32_t StoredToShown(const CallContext* call, const ValueEntry* entry, const EditFieldParams* params)
{
    if (ConvertsUnit(call, entry->setting, params))
        return StoredToShownLength(entry->setting, static_cast<int32_t>(entry->value), true);
    uint32_t shown = static_cast<uint32_t>(entry->value);
    if (Scales(params))
        ConvertSliderValue(kStoredToSlider, entry->setting, entry->type, &entry->value, &shown);
    else if (entry->type == kTypeS16)
        return static_cast<int16_t>(entry->value);
    return static_cast<int32_t>(shown);
}

int32_t ShownToStored(const CallContext* call, const ValueEntry* entry, const EditFieldParams* params, int32_t shown)
{
    if (ConvertsUnit(call, entry->setting, params))
        return ShownToStoredLength(entry->setting, shown, true);
    if (Scales(params)) {
        uint32_t stored = static_cast<uint32_t>(shown);
        uint64_t holder = static_cast<uint32_t>(shown);
        ConvertSliderValue(kSliderToStored, entry->setting, kTypeS32, &holder, &stored);
        return static_cast<int32_t>(stored);
    }
    return shown;
}

bool IsNumberCharacters(const char* text, char separator)
{
    for (const char* c = text; *c; ++c) {
        if (*c >= '0' && *c <= '9')
            continue;
        if (*c == separator || (*c == '-' && c == text))
            continue;
        return false;
    }
    return true;
}

char AnsiSeparator()
{
    wchar_t text[4] = {};
    if (LoadStringW(GetResourceModule(), kStringDecimalSeparator, text, 4) < 1)
        return '.';
    char narrow[4] = {};
    return WideCharToMultiByte(CP_ACP, 0, text, 1, narrow, sizeof(narrow), nullptr, nullptr) == 1 ? narrow[0] : '.';
}

// The setting's display name (its option list's name), or an empty text.
const wchar_t* DisplayName(HWND window, const ItemRecord* item)
{
    const OptionList* list = GetSelectedOptionList(window, item);
    return list && list->title ? list->title : L"";
}

void ShowTextRefusalMessage(CallContext* call, const ItemRecord* item, const EditFieldParams* params)
{
    HWND window = GetCallWindow(call);
    EditTextBuffer* buffer = BufferOf(window, item);
    const int32_t id = params->check ? params->check->messageId : kNoControl;
    if (id == kNoControl || (buffer && buffer->message))
        return;
    int32_t minimum = 0, maximum = 0;
    GetItemValueRange(call, item, &minimum, &maximum);
    const uint16_t setting = GetSelectedSettingId(window, item);
    int32_t count = 1;
    if (setting == 5130 || setting == 5159 || setting == 5181 || setting == 5182) {
        uint16_t type = 0;
        uint32_t size = 0;
        uint64_t holder = 0;
        if (GetFunctionIdValue(4366, call->settings, call->printerSettings, &type, &size, &holder) == 0 && holder)
            count = static_cast<int32_t>(holder);
    }
    const wchar_t* name = DisplayName(window, item);
    wchar_t* text = nullptr;
    switch (id) {
    case 425:
        LoadFormattedString(&text, kMessageChars, id, name, count, maximum, maximum, maximum / 2);
        break;
    case 445:
    case 447:
    case 738:
    case 743:
        LoadFormattedString(&text, kMessageChars, id, name, count, maximum);
        break;
    case 737:
        LoadFormattedString(&text, kMessageChars, id, name, maximum);
        break;
    default:
        LoadFormattedString(&text, kMessageChars, id, name);
        break;
    }
    if (!text)
        return;
    if (buffer)
        buffer->message = 1;
    ShowResourceMessageBox(window, kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION, kTextGiven, text);
    if (buffer)
        buffer->message = 0;
    GlobalFree(text);
}

// A number outside what the field takes: the range the item allows, as shown.
void ShowNumberRefusalMessage(CallContext* call, const ItemRecord* item, const EditFieldParams* params)
{
    HWND window = GetCallWindow(call);
    const ValueEntry* entry = GetSelectedValueEntry(window, item);
    int32_t minimum = 0, maximum = 0;
    const UiContext* ui = GetWindowUiContext(window);
    if (!entry || !ui || !GetItemValueRange(call, item, &minimum, &maximum))
        return;
    uint32_t decimals = 0, flags = 0;
    NumberShape(call, entry->setting, params, &decimals, &flags);
    ValueEntry low = *entry, high = *entry;
    low.value = static_cast<uint32_t>(minimum);
    high.value = static_cast<uint32_t>(maximum);
    PageUiRecord record{};
    record.minimum = StoredToShown(call, &low, params);
    record.maximum = StoredToShown(call, &high, params);
    record.decimals = static_cast<uint16_t>(decimals);
    record.divisor = 1;
    for (uint32_t i = 0; i < decimals; ++i)
        record.divisor *= 10;
    record.valueType = kTypeS32;
    record.flags = kUiFixedRange | ((flags & kEditFixedPoint) ? kUiDecimals : 0);
    const ConstraintContext context{call->settingsContext, call->settings, call->printerSettings};
    const SettingChange change{entry->setting, entry->type, 0, nullptr};
    ShowConflictWarning(window, context, change, record);
}

void FocusField(HWND window, const ItemRecord* item)
{
    if (HWND control = GetDlgItem(window, item->controlId))
        SetFocus(control);
}

int CreateBuffer(HWND window, const ItemRecord* item, const EditFieldParams* params)
{
    if (BufferOf(window, item))
        return 1;
    auto* buffer = static_cast<EditTextBuffer*>(GlobalAlloc(GPTR, sizeof(EditTextBuffer)));
    if (!buffer)
        return 0;
    if (params->flags & kEditKeepsText) {
        const int length = GetWindowTextLengthW(GetDlgItem(window, item->controlId));
        buffer->read = static_cast<wchar_t*>(GlobalAlloc(GPTR, (length + 1) * sizeof(wchar_t)));
        if (buffer->read)
            GetDlgItemTextW(window, item->controlId, buffer->read, length + 1);
        buffer->accepted = CopyText(StoredText(window, item));
    }
    if (AddDialogData(kEditDataList, window, static_cast<uint64_t>(item->controlId), WindowKey(window), buffer) != 0) {
        FreeGlobalIfSet(buffer->read);
        FreeGlobalIfSet(buffer->accepted);
        GlobalFree(buffer);
        return 0;
    }
    return 1;
}

// Applies a new value and records the refresh. The engine's answer.
int ApplyValue(CallContext* call, const ItemRecord* item, const ValueEntry* entry, uint64_t value)
{
    uint16_t* changed = nullptr;
    const int result = ApplyItemValueChange(call, item, entry, entry->type, &value, &changed);
    if (result == kChangeApplied)
        RecordPendingRefresh(call, item, changed);
    else
        FreeGlobalIfSet(changed);
    return result;
}

uint32_t OnEditTextChange(CallContext* call, UINT message, const ItemRecord* item, const EditFieldParams* params,
                          bool& guard)
{
    HWND window = GetCallWindow(call);
    const ValueEntry* entry = GetSelectedValueEntry(window, item);
    EditTextBuffer* buffer = BufferOf(window, item);
    if (!entry || guard)
        return 0;
    if (!(params->flags & kEditNumeric) && (params->flags & kEditKeepsText)) {
        int32_t minimum = 0, maximum = static_cast<int32_t>(params->maxLength);
        GetItemValueRange(call, item, &minimum, &maximum);
        wchar_t* text = nullptr;
        const int read = ReadLimitedEditText(window, item->controlId, static_cast<uint32_t>(maximum),
                                             buffer ? buffer->read : nullptr, &text,
                                             item->kind == 1 ? kLimitedCombo : kLimitedEdit);
        if (read != kEditTextFits || !text) {
            FreeGlobalIfSet(text);
            return 0;
        }
        wchar_t* stored = text;
        if ((params->flags & kEditProtected) && *text) {
            stored = nullptr;
            if (!EncodeOrDecodeProtectedString(kProtectStringEncode, text, &stored))
                stored = nullptr;
        }
        guard = true;
        const int result = stored ? ApplyValue(call, item, entry, reinterpret_cast<uintptr_t>(stored)) : kChangeFailed;
        guard = false;
        if (stored != text)
            FreeGlobalIfSet(stored);
        if (result == kChangeApplied && buffer)
            ReplaceText(&buffer->read, text);
        else
            GlobalFree(text);
        return 0;
    }
    HWND control = GetDlgItem(window, item->controlId);
    if ((params->flags & kEditLength) && IsWindowEnabled(control) && GetFocus() == control) {
        guard = true;
        CommitEditItem(call, message, item, params, 0);
        guard = false;
    }
    return 0;
}

uint32_t HandleEdit(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                    const void* parameters, bool withSetText)
{
    HWND window = GetCallWindow(call);
    const auto* params = static_cast<const EditFieldParams*>(parameters);
    if (!window || !item || !params)
        return 0;
    const UINT code = SheetNotification(message, lParam);
    if (code == PSN_SETACTIVE) {
        HWND control = GetDlgItem(window, item->controlId);
        SendMessageW(control, item->kind == 1 ? CB_LIMITTEXT : EM_LIMITTEXT, params->maxLength, 0);
        ShowEditItemValue(call, item, params);
        CreateBuffer(window, item, params);
        return 0;
    }
    if (code == PSN_KILLACTIVE || code == PSN_RESET) {
        const uint32_t point = code == PSN_KILLACTIVE ? kCheckAtKillActive : kCheckAtReset;
        const int result = IsEditValueRejected(call, message, item, params, (params->checkPoints & point) != 0);
        FreeBuffer(window, item);
        return static_cast<uint32_t>(result);
    }
    if (code == PSN_APPLY) {
        FreeBuffer(window, item);
        return 0;
    }
    switch (message) {
    case kEngineValidate:
        return static_cast<uint32_t>(
            IsEditValueRejected(call, message, item, params, (params->checkPoints & kCheckAtValidate) != 0));
    case kEngineReset:
        ShowEditItemValue(call, item, params);
        return 0;
    case kEngineRefresh:
        if (!(params->flags & kEditKeepsText)) {
            ShowEditItemValue(call, item, params);
        } else if (GetPendingActionTarget(call) != item) {
            ShowEditItemValue(call, item, params);
            if (EditTextBuffer* buffer = BufferOf(window, item))
                ReplaceText(&buffer->accepted, CopyText(StoredText(window, item)));
        }
        return 0;
    case WM_SETTEXT:
        if (withSetText)
            return OnEditTextChange(call, message, item, params, setTextChangeGuard);
        return 0;
    case WM_COMMAND: {
        const WORD note = HIWORD(wParam);
        if (note == EN_KILLFOCUS) {
            const EditTextBuffer* buffer = BufferOf(window, item);
            if (!buffer || !buffer->busy)
                CommitEditItem(call, message, item, params, (params->checkPoints & kCheckAtKillFocus) != 0);
        } else if (note == EN_CHANGE) {
            return OnEditTextChange(call, message, item, params, withSetText ? setTextChangeGuard : changeGuard);
        }
        return 0;
    }
    default:
        return 0;
    }
}

}  // namespace

bool IsInchDisplay(const CallContext* call)
{
    const UiContext* ui = GetWindowUiContext(GetCallWindow(call));
    return ui && ui->chosenUnit == 1;
}

// Stored lengths are tenths of a millimetre; in inch display they are shown in
// hundredths of an inch. The adjustments' conversion already clamps them, so
// each value is converted exactly once.
int32_t StoredToShownLength(uint16_t setting, int32_t stored, bool inch)
{
    if (!inch)
        return stored;
    return IsAdjustment(setting) ? ClampAdjustmentValue(stored, setting) : TenthMmToHundredthInch(stored);
}

int32_t ShownToStoredLength(uint16_t, int32_t shown, bool inch) { return inch ? HundredthInchToTenthMm(shown) : shown; }

int ParseFixedPointValue(const char* text, uint32_t decimals, uint32_t flags, char separator, int32_t* value)
{
    if (!text || !value)
        return 0;
    const char* c = text;
    bool negative = false;
    if (*c == '-') {
        negative = true;
        ++c;
    }
    uint64_t whole = 0;
    int wholeDigits = 0;
    for (; *c >= '0' && *c <= '9'; ++c, ++wholeDigits) {
        whole = whole * 10 + static_cast<uint64_t>(*c - '0');
        if (whole > 0xFFFFFFFFull)
            return 0;
    }
    uint64_t fraction = 0;
    uint32_t fractionDigits = 0;
    if (*c == separator) {
        for (++c; *c >= '0' && *c <= '9'; ++c) {
            if (fractionDigits < decimals) {
                fraction = fraction * 10 + static_cast<uint64_t>(*c - '0');
                ++fractionDigits;
            } else if (!(flags & kEditCutDecimals)) {
                return 0;  // more decimals than the field takes
            }
        }
    }
    if (*c != 0)
        return 0;  // a second separator, or another character
    if (wholeDigits == 0 && fractionDigits == 0 && !(flags & kEditCutDecimals))
        return 0;
    for (; fractionDigits < decimals; ++fractionDigits)
        fraction *= 10;
    if ((flags & kEditSnapHalf) && decimals > 0) {
        uint64_t unit = 1;
        for (uint32_t i = 1; i < decimals; ++i)
            unit *= 10;
        const uint64_t first = fraction / unit;
        const uint64_t snapped = first >= 1 && first <= 4 ? 0 : first >= 6 ? 5 : first;
        fraction = snapped * unit + fraction % unit;
    }
    uint64_t scale = 1;
    for (uint32_t i = 0; i < decimals; ++i)
        scale *= 10;
    const uint64_t magnitude = whole * scale + fraction;
    if (magnitude > (negative ? 0x80000000ull : 0x7FFFFFFFull))
        return 0;
    *value = negative ? static_cast<int32_t>(0 - magnitude) : static_cast<int32_t>(magnitude);
    return 1;
}

int ReadEditItemValue(CallContext* call, const ItemRecord* item, int64_t* value, wchar_t** text,
                      const EditFieldParams* params, int check)
{
    HWND window = GetCallWindow(call);
    if (text)
        *text = nullptr;
    const ValueEntry* entry = GetSelectedValueEntry(window, item);
    if (!window || !item || !params || !value || !entry)
        return kEditFailed;
    const uint32_t room = params->maxLength + 2;
    auto* wide = static_cast<wchar_t*>(GlobalAlloc(GPTR, room * sizeof(wchar_t)));
    if (!wide)
        return kEditFailed;
    GetDlgItemTextW(window, item->controlId, wide, static_cast<int>(room));
    if (wcslen(wide) > params->maxLength) {
        GlobalFree(wide);
        return kEditRefused;  // refused whole, never cut
    }
    char* ansi = nullptr;
    int bytes = 0;
    if (!WideToMultiByteAlloc(wide, &ansi, &bytes)) {
        GlobalFree(wide);
        return kEditRefused;
    }
    int result = kEditRead;
    if (params->flags & kEditNumeric) {
        uint32_t decimals = 0, flags = 0;
        NumberShape(call, entry->setting, params, &decimals, &flags);
        const char separator = AnsiSeparator();
        int32_t number = 0;
        if (check && !IsNumberCharacters(ansi, separator))
            result = kEditRefused;
        else if (flags & kEditFixedPoint)
            result = ParseFixedPointValue(ansi, decimals, flags, separator, &number) ? kEditRead : kEditRefused;
        else if (!*ansi && (flags & kEditCutDecimals))
            number = 0;
        else {
            uint32_t parsed = 0;
            result = ParseDecimalInt32A(ansi, &parsed) ? kEditRead : kEditRefused;
            number = static_cast<int32_t>(parsed);
        }
        if (result == kEditRead)
            *value = number;
    } else {
        const TextCheckSpec* spec = params->check;
        if (check && spec &&
            !ValidateTextCharacters(wide, spec->singleAllowed, spec->doubleAllowed, spec->singleForbidden, nullptr,
                                    spec->flags, 0)) {
            result = kEditRefused;
        } else if (!(bytes == 0 && (params->flags & kEditCutDecimals))) {
            int32_t minimum = 0, maximum = 0;
            if (GetItemValueRange(call, item, &minimum, &maximum) && (bytes < minimum || bytes > maximum))
                result = kEditRefused;
        }
        if (result == kEditRead && text) {
            *text = wide;
            wide = nullptr;
        }
        *value = 0;
    }
    GlobalFree(ansi);
    FreeGlobalIfSet(wide);
    return result;
}

int ShowEditItemValue(CallContext* call, const ItemRecord* item, const EditFieldParams* params)
{
    HWND window = GetCallWindow(call);
    const ValueEntry* entry = GetSelectedValueEntry(window, item);
    if (!window || !item || !params || !entry)
        return 0;
    wchar_t* text = nullptr;
    bool owned = true;
    if (params->flags & kEditNumeric) {
        uint32_t decimals = 0, flags = 0;
        NumberShape(call, entry->setting, params, &decimals, &flags);
        const int32_t shown = StoredToShown(call, entry, params);
        if (flags & kEditFixedPoint)
            FormatFixedPoint(&text, static_cast<int>(decimals), (flags & kEditSigned) != 0, kFixedPoint,
                             static_cast<uint32_t>(shown));
        else
            FormatSettingNumber(&text, 0, (flags & kEditSigned) != 0, (flags & kEditSigned) ? kTypeS32 : entry->type,
                                static_cast<uint32_t>(shown));
    } else {
        const wchar_t* stored = StoredText(window, item);
        if ((params->flags & kEditProtected) && stored && *stored &&
            EncodeOrDecodeProtectedString(kProtectStringDecode, stored, &text)) {
        } else {
            text = const_cast<wchar_t*>(stored ? stored : L"");
            owned = false;
        }
    }
    if (!text)
        return 0;
    SetDlgItemTextW(window, item->controlId, text);
    if (item->controlId == kMirroredControl)
        SendMessageW(window, WM_SETTEXT, static_cast<WPARAM>(item->controlId), reinterpret_cast<LPARAM>(text));
    if (owned)
        GlobalFree(text);
    if (GetCallPermission(call))
        UpdateItemControlState(window, item, nullptr);
    return 1;
}

int CommitEditItem(CallContext* call, UINT message, const ItemRecord* item, const EditFieldParams* params, int check)
{
    HWND window = GetCallWindow(call);
    const ValueEntry* entry = GetSelectedValueEntry(window, item);
    if (!window || !item || !params || !entry)
        return kChangeFailed;
    HWND control = GetDlgItem(window, item->controlId);
    if (control && !IsWindowEnabled(control))
        return kChangeApplied;  // a disabled field is not checked
    EditTextBuffer* buffer = BufferOf(window, item);
    int64_t number = 0;
    wchar_t* text = nullptr;
    const int read = ReadEditItemValue(call, item, &number, &text, params, check);
    if (read == kEditFailed)
        return kChangeFailed;
    if (read == kEditRefused) {
        // The refusal is its own answer: a value never stands in for it.
        if (params->flags & kEditNumeric)
            ShowNumberRefusalMessage(call, item, params);
        else
            ShowTextRefusalMessage(call, item, params);
        ShowEditItemValue(call, item, params);
        FocusField(window, item);
        RecordPendingRefresh(call, item, nullptr);
        return kChangeNotApplied;
    }
    uint64_t value = 0;
    wchar_t* stored = nullptr;
    if (params->flags & kEditNumeric) {
        value = static_cast<uint32_t>(ShownToStored(call, entry, params, static_cast<int32_t>(number)));
        if (entry->type == kTypeS16 || entry->type == kTypeU16)
            value &= 0xFFFF;
    } else {
        stored = text;
        if ((params->flags & kEditProtected) && text && *text &&
            !EncodeOrDecodeProtectedString(kProtectStringEncode, text, &stored)) {
            GlobalFree(text);
            return kChangeFailed;
        }
        value = reinterpret_cast<uintptr_t>(stored ? stored : L"");
    }
    if (params->validate) {
        const uint32_t verdict = params->validate(call, message, item, params, check, &value);
        if (verdict != 1) {
            if (verdict == 2) {
                ShowEditItemValue(call, item, params);
                FocusField(window, item);
            }
            if (stored != text)
                FreeGlobalIfSet(stored);
            FreeGlobalIfSet(text);
            return static_cast<int>(verdict);
        }
    }
    int result = ApplyValue(call, item, entry, value);
    if (result == kChangeApplied && buffer && (params->flags & kEditKeepsText))
        ReplaceText(&buffer->accepted, CopyText(stored));
    if (stored != text)
        FreeGlobalIfSet(stored);
    FreeGlobalIfSet(text);
    if (result == kChangeNotApplied) {
        ShowEditItemValue(call, item, params);
        FocusField(window, item);
    } else if (result == kChangeFailed) {
        ShowEditItemValue(call, item, params);
    } else {
        result = kChangeApplied;  // the same value counts as accepted
    }
    return result;
}

int IsEditValueRejected(CallContext* call, UINT message, const ItemRecord* item, const EditFieldParams* params,
                        int check)
{
    if (GetCallSubResult(call) == kActionCancel || SheetNotification(message, 0) == PSN_APPLY)
        return 0;
    return CommitEditItem(call, message, item, params, check) == kChangeNotApplied ? 1 : 0;
}

uint32_t OnEditItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                    const void* parameters)
{
    return HandleEdit(call, message, wParam, lParam, item, parameters, false);
}

uint32_t OnEditItemWithSetText(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                               const void* parameters)
{
    return HandleEdit(call, message, wParam, lParam, item, parameters, true);
}

// The busy mark the up-down control sets on its buddy during a step.
void SetEditBusy(HWND window, const ItemRecord* item, bool busy)
{
    if (EditTextBuffer* buffer = item ? BufferOf(window, item) : nullptr)
        buffer->busy = busy ? 1 : 0;
}

bool IsEditBusy(HWND window, const ItemRecord* item)
{
    const EditTextBuffer* buffer = item ? BufferOf(window, item) : nullptr;
    return buffer && buffer->busy;
}
