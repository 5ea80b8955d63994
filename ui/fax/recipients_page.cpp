#include "ui/fax/recipients_page.h"

#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/model/model_data.h"
#include "common/model/model_value_ops.h"
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
#include "ui/fax/cover_sheet_dialog.h"
#include "ui/fax/fax_destinations.h"
#include "ui/fax/fax_dialog_ids.h"
#include "ui/fax/fax_recipient_fields.h"
#include "ui/fax/fax_setting_ids.h"
#include "ui/fax/fax_ui_state.h"
#include "ui/fax/fax_user_lists.h"
#include "ui/fax/recipient_options.h"
#include "ui/fax/recipients_page_logic.h"
#include "ui/fax/phonebook_exchange.h"
#include "ui/fax/recipient_dialog_library.h"
#include "ui/fax/sender_information.h"
#include "ui/fax/small_fax_dialogs.h"
#include "ui/docevent/extended_devmode.h"
#include "ui/support/keyed_list.h"
#include "ui/support/resource_messages.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cwchar>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr UINT kColumnStrings[] = {5210, 5211, 5212};
constexpr UINT kSpeedDialSuffix = 4650;
constexpr UINT kIpFaxSuffix = 5231;
constexpr UINT kMessageNotAdded = 5005;
constexpr UINT kMessageNoRecipient = 5015;
constexpr UINT kMessageOver600 = 5203;
constexpr UINT kMessageDuplicate = 5000;
constexpr UINT kMessageTwelveRule = 5195;
constexpr int kIconColumnWidth = 25;
constexpr int kCompanyLineBytes = 40;
constexpr int kCompanyLines = 2;
constexpr uint32_t kKeepPage = 1;
constexpr UINT kStringSendButton = 5075;
constexpr UINT kStringCancelButton = 5076;
constexpr UINT kMessageNoProgram = 4624;
constexpr UINT kMessageBadBookPath = 5041;

// The entry fields the page refreshes after it changes them.
constexpr uint16_t kEntrySettings[] = {kFidRecipientKind,          kFidRecipientAddress,       kFidRecipientDialPrefix,
                                       kFidRecipientName,          kFidRecipientCompany,       kFidRecipientCommMode,
                                       kFidRecipientMailboxKind,   kFidRecipientMailboxNumber, kFidRecipientMailboxCode,
                                       kFidRecipientRelayStation,  kFidRecipientRelayPrint,    kFidRecipientRelayNumbers,
                                       kFidRecipientFCode,         kFidRecipientFCodePassword, 0};

std::wstring ResourceText(UINT id)
{
    wchar_t text[256] = {};
    if (HMODULE resources = GetResourceModule())
        LoadStringW(resources, id, text, 256);
    return text;
}

struct PageData {
    HWND window;
    UiContext* ui;
    FaxUiState* state;
    FaxDestinations* record;
    void* settings;
    void* printerSettings;
    ModelDataRecord* model;
};

bool Data(CallContext* call, PageData* d)
{
    d->window = GetCallWindow(call);
    d->ui = GetWindowUiContext(d->window);
    d->state = GetFaxUiState(d->ui);
    d->record = GetDialogFaxDestinations(d->window);
    d->settings = nullptr;
    d->printerSettings = nullptr;
    GetCallSettings(call, &d->settings, &d->printerSettings);
    SettingsContext* context = GetUiSettingsContext(d->ui);
    d->model = context ? context->main : nullptr;
    return d->ui && d->state && d->record && d->record->recipients && d->settings;
}

void PutAddressOnTop(HWND window, const wchar_t* address);
void FitKindToOptions(CallContext* call);

RecipientPageInputs Inputs(const PageData& d)
{
    RecipientPageInputs in;
    ReadFaxCheckInputs(d.model, d.settings, d.printerSettings, &in.checks);
    in.commMode2 = SettingNumberOr(kFidFaxCommMode2, d.settings, d.printerSettings, 0) != 0;
    in.pageMode = static_cast<uint8_t>(SettingNumberOr(kFidRecipientPageMode, d.settings, d.printerSettings, 0));
    in.lineValue = static_cast<uint8_t>(SettingNumberOr(kFidFaxLineValue, d.settings, d.printerSettings, 0));
    for (auto [id, out] : {std::pair{kFidOutsideLinePrefix, &in.outsidePrefix},
                           std::pair{kFidExtensionPrefix, &in.extensionPrefix}}) {
        const auto* text = reinterpret_cast<const wchar_t*>(
            static_cast<uintptr_t>(GetFunctionIdValuePointer(d.settings, d.printerSettings, id, kTypeString)));
        *out = text ? text : L"";
    }
    return in;
}

int Message(HWND window, UINT style, UINT id)
{
    return ShowResourceMessageBox(window, kCaptionSettings, nullptr, style, static_cast<int>(id), nullptr);
}

HWND List(HWND window)
{
    return GetDlgItem(window, kRecipientList);
}

void AddRow(const PageData& d, const RecipientPageInputs& in, const FaxRecipientRecord& r, int index)
{
    const RecipientRowText row =
        FormatRecipientRow(r, in, ResourceText(kSpeedDialSuffix).c_str(), ResourceText(kIpFaxSuffix).c_str());
    HWND list = List(d.window);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = index;
    item.iImage = r.kind <= kRecipientIpFax ? r.kind : 0;
    item.pszText = const_cast<wchar_t*>(L"");
    const int at = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    const std::wstring* columns[] = {&row.address, &row.name, &row.company};
    for (int c = 0; c < 3; ++c) {
        LVITEMW sub{};
        sub.iSubItem = c + 1;
        sub.pszText = const_cast<wchar_t*>(columns[c]->c_str());
        SendMessageW(list, LVM_SETITEMTEXTW, at, reinterpret_cast<LPARAM>(&sub));
    }
}

constexpr UINT kStringColumnKey = 5209;
constexpr wchar_t kColumnWidthPrefix[] = L"COLUMN_WIDTH";
constexpr int kColumns = 4;
constexpr UINT kKindIcons[] = {kRecipientIconFax, kRecipientIconSpeedDial, kRecipientIconIpFax};

std::wstring ColumnKey(ModelDataRecord* model)
{
    wchar_t* base = nullptr;
    GetModelRegistryBase(model, 1, &base);
    GlobalBlockPtr<wchar_t> owner(base);
    const std::wstring suffix = ResourceText(kStringColumnKey);
    return base && !suffix.empty() ? std::wstring(base) + suffix : std::wstring();
}

// The widths stored on the last apply, all four or none.
bool ReadColumnWidths(const std::wstring& key, int (&widths)[kColumns])
{
    for (int c = 0; c < kColumns; ++c) {
        wchar_t name[32] = {};
        FormatNumberedValueName(kColumnWidthPrefix, c + 1, name, std::size(name));
        wchar_t text[16] = {};
        DWORD bytes = sizeof text;
        if (key.empty() || RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &bytes) !=
                               ERROR_SUCCESS)
            return false;
        widths[c] = _wtoi(text);
    }
    return true;
}

void WriteColumnWidths(HWND window, const std::wstring& key)
{
    HKEY handle = nullptr;
    if (key.empty() ||
        RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr) !=
            ERROR_SUCCESS)
        return;
    for (int c = 0; c < kColumns; ++c) {
        wchar_t name[32] = {};
        FormatNumberedValueName(kColumnWidthPrefix, c + 1, name, std::size(name));
        wchar_t text[16] = {};
        swprintf(text, std::size(text), L"%d",
                 static_cast<int>(SendMessageW(List(window), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(c), 0)));
        RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                       static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
    }
    RegCloseKey(handle);
}

// The kind icon, then a third of the rest each for address and name.
void DefaultColumnWidths(HWND window, int (&widths)[kColumns])
{
    RECT client{};
    GetClientRect(List(window), &client);
    const int third = client.right / 3;
    widths[0] = kIconColumnWidth;
    widths[1] = third;
    widths[2] = third;
    widths[3] = client.right - kIconColumnWidth - 2 * third;
}

void ResetColumnWidths(HWND window)
{
    int widths[kColumns] = {};
    DefaultColumnWidths(window, widths);
    for (int c = 0; c < kColumns; ++c)
        SendMessageW(List(window), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(c), widths[c]);
}

void SetUpColumns(HWND window, ModelDataRecord* model)
{
    HWND list = List(window);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    if (HIMAGELIST icons = ImageList_Create(16, 16, ILC_COLOR8 | ILC_MASK, 3, 0)) {
        for (UINT id : kKindIcons) {
            auto icon = static_cast<HICON>(
                LoadImageW(GetResourceModule(), MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
            ImageList_AddIcon(icons, icon);
            if (icon)
                DestroyIcon(icon);
        }
        SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(icons));
    }
    int widths[kColumns] = {};
    if (!ReadColumnWidths(ColumnKey(model), widths))
        DefaultColumnWidths(window, widths);
    for (int c = 0; c < kColumns; ++c) {
        const std::wstring title = c == 0 ? L"" : ResourceText(kColumnStrings[c - 1]);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.cx = widths[c];
        column.iSubItem = c;
        column.pszText = const_cast<wchar_t*>(title.c_str());
        SendMessageW(list, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
    }
}

std::vector<int> SelectedRows(HWND window)
{
    std::vector<int> rows;
    HWND list = List(window);
    for (int i = -1; (i = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, i, LVNI_SELECTED))) >= 0;)
        rows.push_back(i);
    return rows;
}

void UpdateDescriptionAndButtons(const PageData& d)
{
    const std::vector<int> rows = SelectedRows(d.window);
    std::wstring text;
    uint16_t lineKind = 0;
    GetFaxCardKindOf(d.model, d.settings, d.printerSettings, &lineKind);
    if (rows.size() == 1)
        if (auto* r = static_cast<const FaxRecipientRecord*>(GetKeyedListDataAt(d.record->recipients, rows[0])))
            text = DescribeRecipientOptions(*r, lineKind);
    SetDlgItemTextW(d.window, kRecipientDescription, text.c_str());
    const uint32_t pageMode = SettingNumberOr(kFidRecipientPageMode, d.settings, d.printerSettings, 0);
    EnableWindow(GetDlgItem(d.window, kRecipientDeleteButton), !rows.empty());
    EnableWindow(GetDlgItem(d.window, kRecipientTakeBackButton), rows.size() == 1 && pageMode != 2);
    FaxRecipientRecord typed{};
    std::wstring typedText;
    if (BuildRecipientFromEntry(d.settings, d.printerSettings, &typed))
        typedText = DescribeRecipientOptions(typed, lineKind);
    SetDlgItemTextW(d.window, kTypedOptionsText, typedText.c_str());
    // The fields as they show now: an edit field writes its setting only
    // when it is left.
    const bool history = SettingNumberOr(kFidUseAddressHistory, d.settings, d.printerSettings, 0) != 0;
    wchar_t address[kRecipientAddressChars] = {};
    GetDlgItemTextW(d.window, history ? kAddressHistoryBox : kRecipientAddressEdit, address,
                    static_cast<int>(std::size(address)));
    wcsncpy(typed.destination, address, kRecipientAddressChars - 1);
    GetDlgItemTextW(d.window, kRecipientNameEdit, typed.field7, kRecipientNameChars);
    const bool noLine = lineKind == 3 && !SettingNumberOr(kFidIpFaxOption, d.settings, d.printerSettings, 0);
    EnableWindow(GetDlgItem(d.window, kRecipientAddButton), !IsBlankText(address) && !noLine);
    EnableWindow(GetDlgItem(d.window, kPhonebookButton), PhonebookButtonEnabled(typed));
}

void FillRecipientList(const PageData& d)
{
    HWND list = List(d.window);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    const RecipientPageInputs in = Inputs(d);
    const uint16_t flags = FilterRecipientList(d.record, in, d.state->filling != 0);
    if (d.state->filling)
        d.state->removalFlags |= flags;
    const int32_t count = GetKeyedListCount(d.record->recipients);
    for (int32_t i = 0; i < count; ++i)
        if (auto* r = static_cast<const FaxRecipientRecord*>(GetKeyedListDataAt(d.record->recipients, i)))
            AddRow(d, in, *r, i);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    d.state->filling = 0;
    UpdateDescriptionAndButtons(d);
}

constexpr UINT kStringAddressBookKey = 4649;
constexpr UINT kStringClearList = 5223;
constexpr UINT kMessageClearList = 5224;
constexpr wchar_t kAddressBookPrefix[] = L"ADDRESSBOOK_FILENAME";
constexpr int kAddressBookChars = 261;

std::wstring AddressBookKey(const PageData& d)
{
    wchar_t* base = nullptr;
    GetModelRegistryBase(d.model, 1, &base);
    GlobalBlockPtr<wchar_t> owner(base);
    const std::wstring suffix = ResourceText(kStringAddressBookKey);
    return base && !suffix.empty() ? std::wstring(base) + suffix : std::wstring();
}

std::wstring SettingText(const PageData& d, uint16_t id)
{
    const auto* text = reinterpret_cast<const wchar_t*>(
        static_cast<uintptr_t>(GetFunctionIdValuePointer(d.settings, d.printerSettings, id, kTypeString)));
    return text ? text : L"";
}

void SetSettingText(const PageData& d, uint16_t id, const std::wstring& text)
{
    SetFunctionIdValueArgs(d.settings, d.printerSettings, id, kTypeString,
                           static_cast<uint32_t>((text.size() + 1) * sizeof(wchar_t)), text.c_str());
}

// The box of the address book history: its paths, then the clear-list item.
void FillAddressBookBox(const PageData& d)
{
    std::vector<std::wstring> history;
    const std::wstring key = AddressBookKey(d);
    if (!key.empty()) {
        std::vector<wchar_t> slots(static_cast<size_t>(kFaxListLimit) * kAddressBookChars, L'\0');
        const int count = ReadNumberedStrings(key.c_str(), kAddressBookPrefix, slots.data(), kAddressBookChars,
                                              kFaxListLimit);
        for (int i = 0; i < count; ++i)
            history.emplace_back(slots.data() + static_cast<size_t>(i) * kAddressBookChars);
    }
    const std::wstring current = SettingText(d, kFidAddressBookFile);
    const AddressBookBox box = BuildAddressBookBox(history, current);
    if (box.current != current)
        SetSettingText(d, kFidAddressBookFile, box.current);
    HWND combo = GetDlgItem(d.window, kAddressBookBox);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& path : box.paths)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
    const std::wstring clear = ResourceText(kStringClearList);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(clear.c_str()));
    SendMessageW(combo, CB_SETCURSEL, box.paths.empty() ? -1 : 0, 0);
    const std::wstring shown = box.current[0] == L':' ? box.current.substr(1) : box.current;
    EnableWindow(GetDlgItem(d.window, kOutsideDialogButton), !IsBlankText(shown.c_str()));
}

// A chosen path becomes setting 1799; the clear-list item empties the box
// when the user agrees.
void OnAddressBookChosen(const PageData& d)
{
    HWND combo = GetDlgItem(d.window, kAddressBookBox);
    const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    if (index < 0)
        return;
    if (index == count - 1) {
        if (Message(d.window, MB_YESNO | MB_ICONQUESTION, kMessageClearList) == IDYES)
            for (LRESULT i = count - 2; i >= 0; --i)
                SendMessageW(combo, CB_DELETESTRING, i, 0);
        return;
    }
    wchar_t path[kAddressBookChars] = {};
    if (SendMessageW(combo, CB_GETLBTEXTLEN, index, 0) < kAddressBookChars)
        SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(path));
    SetSettingText(d, kFidAddressBookFile, path);
    EnableWindow(GetDlgItem(d.window, kOutsideDialogButton), !IsBlankText(path));
}

// Apply: the chosen path first, then the others, as the history.
void StoreAddressBookHistory(const PageData& d)
{
    const std::wstring key = AddressBookKey(d);
    HWND combo = GetDlgItem(d.window, kAddressBookBox);
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0) - 1;
    if (key.empty() || count < 0)
        return;
    std::wstring current = SettingText(d, kFidAddressBookFile);
    if (!current.empty() && current[0] == L':')
        current.erase(0, 1);
    std::vector<std::wstring> paths;
    if (!IsBlankText(current.c_str()))
        paths.push_back(current);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t path[kAddressBookChars] = {};
        if (SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) < kAddressBookChars)
            SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(path));
        if (path[0] && _wcsicmp(path, current.c_str()) != 0 && paths.size() < static_cast<size_t>(kFaxListLimit))
            paths.emplace_back(path);
    }
    std::vector<const wchar_t*> texts;
    for (const std::wstring& path : paths)
        texts.push_back(path.c_str());
    WriteNumberedStrings(key.c_str(), kAddressBookPrefix, texts.data(), static_cast<int>(texts.size()));
}

uint32_t OnAddressBookItem(CallContext* call, UINT message, WPARAM wParam, LPARAM, const ItemRecord*, const void*)
{
    PageData d{};
    if (message == WM_COMMAND && HIWORD(wParam) == CBN_SELENDOK && Data(call, &d))
        OnAddressBookChosen(d);
    return 0;
}

void RefreshEntry(CallContext* call)
{
    RefreshDialogFromSettings(call, kEntrySettings);
}

// The typed recipient appended to the list and shown as the last row.
bool AppendRecipient(const PageData& d, const FaxRecipientRecord& typed)
{
    GlobalBlockPtr<FaxRecipientRecord> copy = AllocGlobalBlock<FaxRecipientRecord>(sizeof typed);
    if (!copy)
        return false;
    *copy = typed;
    if (!InsertKeyedListNode(d.record->recipients, 0, kAnyKey2, copy.get()))
        return false;
    copy.release();
    AddRow(d, Inputs(d), typed, GetKeyedListCount(d.record->recipients) - 1);
    if (SettingNumberOr(kFidUseAddressHistory, d.settings, d.printerSettings, 0))
        PutAddressOnTop(d.window, typed.destination);
    return true;
}

void ResetEntryFields(CallContext* call, const PageData& d)
{
    FaxRecipientRecord blank = d.state->entryTemplate;
    if (TestModelCapability(d.model, kCapKeepRecipientKind))
        blank.kind = static_cast<uint16_t>(SettingNumberOr(kFidRecipientKind, d.settings, d.printerSettings, 0));
    PutRecipientIntoEntry(d.settings, d.printerSettings, blank);
    RefreshEntry(call);
    SetDlgItemTextW(d.window, kAddressHistoryBox, blank.destination);
}

bool Validate(CallContext* call)
{
    const ItemRecord* records = nullptr;
    int32_t count = 0;
    const uint32_t message = call->message;
    GetDialogItemTable(GetCallWindow(call), kRecipientsPageCode, &records, &count);
    const bool accepted = RunItemEventHandlers(call, kEngineValidate, 0, 0, records, count, 0) == 0;
    SetCallMessage(call, message);
    return accepted;
}

// The list check of a typed recipient when adding: true when it may go in.
bool CheckForAdding(const PageData& d, const FaxRecipientRecord& typed)
{
    const RecipientPageInputs in = Inputs(d);
    if (const int one = CheckOneRecipientMode(&typed, d.record->recipients, in.checks)) {
        Message(d.window, MB_OK | MB_ICONEXCLAMATION, OneRecipientMessage(one));
        SetFocus(GetDlgItem(d.window, kRecipientAddressEdit));
        return false;
    }
    FaxDiallingRecord dialling{};
    FaxCheckInputs checks = in.checks;
    if (ReadFaxDiallingRecord(d.settings, d.printerSettings, &dialling))
        checks.dialling = &dialling;
    const int code = CheckRecipientAgainstList(&typed, d.record->recipients, checks);
    if (code == kRecipientAccepted)
        return true;
    if (code == kRecipientDuplicate)
        return Message(d.window, MB_OKCANCEL | MB_ICONEXCLAMATION, kMessageDuplicate) == IDOK;
    if (code == kRecipientOver600) {
        wchar_t* text = nullptr;
        LoadFormattedString(&text, 256, kMessageOver600, CountListDestinations(d.record->recipients, checks));
        ShowResourceMessageBox(d.window, kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION, kTextGiven,
                               text ? text : L"");
        if (text)
            GlobalFree(text);
        return false;
    }
    Message(d.window, MB_OK | MB_ICONEXCLAMATION, AddRefusalMessage(code));
    if (code == kRecipientNoAttribute)
        SetFocus(GetDlgItem(d.window, kRecipientAddButton));
    return false;
}

constexpr PageHeader kReentryHeader = {kDestinationReentryTemplate, 0, FaxTextEntryDialogProc,
                                       kDestinationReentryCode, kNoControl, 0, nullptr, 0};
constexpr SubDialogParams kReentrySub = {&kReentryHeader, 0, 0, kDialogTypeModal};

// The destination typed again in the re-entry dialog; true when it matched.
bool ConfirmTypedRecipient(CallContext* call)
{
    HWND window = GetCallWindow(call);
    FaxUiState* state = GetWindowFaxUiState(window);
    const ItemRecord* button = FindItemRecord(window, kRecipientsPageCode, kConfirmNumberButton);
    if (!state || !button)
        return false;
    state->destinationConfirmed = 0;
    state->subDialogOpen = 1;
    const ButtonParams open = {kActionSubDialog, &kReentrySub};
    OnPushButtonItem(call, WM_COMMAND, MAKEWPARAM(kConfirmNumberButton, BN_CLICKED), 0, button, &open);
    state->subDialogOpen = 0;
    return state->destinationConfirmed != 0;
}

uint32_t AddTypedRecipient(CallContext* call)
{
    PageData d{};
    if (!Data(call, &d) || !Validate(call))
        return 0;
    FaxRecipientRecord typed{};
    if (!BuildRecipientFromEntry(d.settings, d.printerSettings, &typed) || IsBlankText(typed.destination))
        return 0;
    if (!CheckForAdding(d, typed))
        return 0;
    if (SettingNumberOr(kFidConfirmTypedNumber, d.settings, d.printerSettings, 0)) {
        if (!ConfirmTypedRecipient(call) || !Data(call, &d))
            return 0;
    }
    if (!AppendRecipient(d, typed))
        return 0;
    ResetEntryFields(call, d);
    UpdateDescriptionAndButtons(d);
    SetFocus(GetDlgItem(d.window, kRecipientAddressEdit));
    return 0;
}

void TakeBackRecipient(CallContext* call)
{
    PageData d{};
    const std::vector<int> rows = Data(call, &d) ? SelectedRows(d.window) : std::vector<int>();
    if (rows.size() != 1)
        return;
    auto* r = static_cast<FaxRecipientRecord*>(GetKeyedListDataAt(d.record->recipients, rows[0]));
    if (!r)
        return;
    PutRecipientIntoEntry(d.settings, d.printerSettings, *r);
    GlobalFree(r);
    RemoveKeyedListNodeAt(d.record->recipients, rows[0]);
    SendMessageW(List(d.window), LVM_DELETEITEM, rows[0], 0);
    RefreshEntry(call);
    UpdateDescriptionAndButtons(d);
}

void DeleteRecipients(CallContext* call, bool all)
{
    PageData d{};
    if (!Data(call, &d))
        return;
    std::vector<int> rows = SelectedRows(d.window);
    if (all) {
        rows.clear();
        for (int32_t i = 0; i < GetKeyedListCount(d.record->recipients); ++i)
            rows.push_back(i);
    }
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        if (void* data = GetKeyedListDataAt(d.record->recipients, *it))
            GlobalFree(data);
        RemoveKeyedListNodeAt(d.record->recipients, *it);
        SendMessageW(List(d.window), LVM_DELETEITEM, *it, 0);
    }
    UpdateDescriptionAndButtons(d);
    SetFocus(List(d.window));
}

// Several recipients with a mailbox, an F-code or a passcode: the device
// sends those to one destination only, and the user says whether to go on.
uint32_t CheckFeaturesOfSeveral(const PageData& d, const RecipientPageInputs& in)
{
    const uint32_t coverSheet = SettingNumberOr(kFidFaxInformationPage, d.settings, d.printerSettings, 0);
    const uint32_t oneHeader = SettingNumberOr(kFidFaxOneHeader, d.settings, d.printerSettings, 0);
    if (GetKeyedListCount(d.record->recipients) < 2 || (oneHeader != 0 && coverSheet != 1))
        return 0;
    const std::wstring text = ComposeFeatureMessage(CollectRecipientFeatures(d.record->recipients),
                                                    in.checks.lineKind);
    if (text.empty())
        return 0;
    if (in.checks.lineKind == 1) {
        ShowResourceMessageBox(d.window, kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION, kTextGiven,
                               text.c_str());
        return kKeepPage;
    }
    return ShowResourceMessageBox(d.window, kCaptionSettings, nullptr, MB_OKCANCEL | MB_ICONQUESTION, kTextGiven,
                                  text.c_str()) == IDOK
               ? 0
               : kKeepPage;
}

// PSN_KILLACTIVE: 0 leaves, 1 keeps the page.
uint32_t CheckPageOnLeave(CallContext* call)
{
    PageData d{};
    if (!Data(call, &d) || d.state->subDialogOpen)
        return 0;
    if (!Validate(call))
        return kKeepPage;
    const bool printTime = (d.ui->sheetMode & kSheetPrintTime) != 0;
    const RecipientPageInputs in = Inputs(d);
    if (printTime) {
        WriteSettingNumber(kFidFaxLineValue, d.settings, d.printerSettings,
                           FaxLineValueOfKind(in.checks.lineKind, in.checks.ipFax));
        // The printer's options may have changed since the sheet opened (the
        // job waits on the user): they are read again and the list and the
        // typed kind made to fit them.
        d.state->filling = 1;
        if (d.printerSettings && LoadPrinterSettingsOfContext(d.ui->printer, GetUiSettingsContext(d.ui),
                                                              static_cast<uint8_t*>(d.printerSettings)) == 1) {
            FillRecipientList(d);
            SendMessageW(d.window, kEventItem2535, static_cast<WPARAM>(kRecipientKindBox), 0);
        }
        d.state->filling = 0;
        if (!Data(call, &d))
            return kKeepPage;
    }
    WriteSettingNumber(kFidFaxRecipientCount, d.settings, d.printerSettings,
                       static_cast<uint32_t>(GetKeyedListCount(d.record->recipients)));
    FaxRecipientRecord typed{};
    const bool haveTyped = BuildRecipientFromEntry(d.settings, d.printerSettings, &typed) &&
                           !IsBlankText(typed.destination);
    if (haveTyped) {
        if (in.checks.lineKind == 3 && !in.checks.ipFax) {
            if (printTime) {
                Message(d.window, MB_OK | MB_ICONEXCLAMATION, kMessageNoRecipient);
                return kKeepPage;
            }
        } else {
            if (const int one = CheckOneRecipientMode(&typed, d.record->recipients, in.checks)) {
                Message(d.window, MB_OK | MB_ICONEXCLAMATION, OneRecipientMessage(one));
                return kKeepPage;
            }
            const int code = CheckRecipientAgainstList(&typed, d.record->recipients, in.checks);
            if (code == kRecipientTwelveRule) {
                Message(d.window, MB_OK | MB_ICONEXCLAMATION, kMessageTwelveRule);
                return kKeepPage;
            }
            if (code != kRecipientAccepted)
                return Message(d.window, MB_OKCANCEL | MB_ICONEXCLAMATION, LeaveRefusalMessage(code)) == IDOK
                           ? 0
                           : kKeepPage;
            if (Message(d.window, MB_OKCANCEL | MB_ICONQUESTION, kMessageNotAdded) != IDOK)
                return kKeepPage;
            if (!AppendRecipient(d, typed))
                return kKeepPage;
            ResetEntryFields(call, d);
            WriteSettingNumber(kFidFaxRecipientCount, d.settings, d.printerSettings,
                               static_cast<uint32_t>(GetKeyedListCount(d.record->recipients)));
        }
    } else if (printTime && GetKeyedListCount(d.record->recipients) == 0) {
        Message(d.window, MB_OK | MB_ICONEXCLAMATION, kMessageNoRecipient);
        return kKeepPage;
    }
    if (CheckListTwelveRule(d.record->recipients, in.checks)) {
        Message(d.window, MB_OK | MB_ICONEXCLAMATION, kMessageTwelveRule);
        return kKeepPage;
    }
    return printTime ? CheckFeaturesOfSeveral(d, in) : 0;
}

constexpr UINT kStringCompanyFace = 5096;
constexpr UINT kStringLanguage = 5146;
constexpr UINT kStringCompanyHeight96 = 4646;
constexpr UINT kStringCompanyHeight = 4647;
constexpr UINT kStringCompanyRect = 4648;
constexpr int kLanguageJapanese = 1041;
constexpr int kScreenDpi96 = 96;
constexpr wchar_t kCompanyFontProperty[] = L"MorvaCompanyFont";

// The company field wraps its two lines of 40 bytes at a fixed width: it gets
// a face and height of its own, and on screens other than 96 dpi a
// formatting rectangle inset by the resource's margins.
void SetUpCompanyField(HWND window)
{
    HWND field = GetDlgItem(window, kRecipientCompanyEdit);
    auto base = reinterpret_cast<HFONT>(SendMessageW(field, WM_GETFONT, 0, 0));
    LOGFONTW font{};
    if (!field || !base || !GetObjectW(base, sizeof font, &font))
        return;
    const std::wstring face = ResourceText(kStringCompanyFace);
    if (!face.empty())
        wcsncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    HDC screen = GetDC(window);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kScreenDpi96;
    if (screen)
        ReleaseDC(window, screen);
    if (_wtoi(ResourceText(kStringLanguage).c_str()) != kLanguageJapanese) {
        if (const int height = _wtoi(ResourceText(dpi == kScreenDpi96 ? kStringCompanyHeight96 : kStringCompanyHeight)
                                         .c_str()))
            font.lfHeight = height;
    } else if (font.lfHeight % 2 != 0) {
        font.lfHeight += 1;
    }
    HFONT own = CreateFontIndirectW(&font);
    if (!own)
        return;
    SetPropW(window, kCompanyFontProperty, own);
    SendMessageW(field, WM_SETFONT, reinterpret_cast<WPARAM>(own), FALSE);
    if (dpi != kScreenDpi96) {
        int margins[4] = {};
        if (swscanf(ResourceText(kStringCompanyRect).c_str(), L"%d,%d,%d,%d", &margins[0], &margins[1], &margins[2],
                    &margins[3]) == 4) {
            RECT area{};
            GetClientRect(field, &area);
            area.left += margins[0];
            area.top += margins[1];
            area.right -= margins[2];
            area.bottom -= margins[3];
            SendMessageW(field, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&area));
        }
    }
}

uint32_t OnRecipientsPageItem(CallContext* call, UINT message, WPARAM, LPARAM lParam, const ItemRecord*,
                              const void*)
{
    PageData d{};
    if (!Data(call, &d))
        return 0;
    if (message == WM_INITDIALOG) {
        d.state->removalFlags = 0;
        d.state->filling = 1;
        SendDlgItemMessageW(d.window, kRecipientCompanyEdit, EM_SETWORDBREAKPROC, 0,
                            reinterpret_cast<LPARAM>(BreakAnywhereWordProc));
        SetUpCompanyField(d.window);
        SetUpColumns(d.window, d.model);
        if (d.ui->sheetMode & kSheetPrintTime) {
            // The print-time sheet sends the job: its buttons say so.
            HWND sheet = GetParent(d.window);
            SetDlgItemTextW(sheet, IDOK, ResourceText(kStringSendButton).c_str());
            SetDlgItemTextW(sheet, IDCANCEL, ResourceText(kStringCancelButton).c_str());
            SetActiveWindow(sheet);
        }
        BuildRecipientFromEntry(d.settings, d.printerSettings, &d.state->entryTemplate);
        PostMessageW(d.window, kEventItem2534, static_cast<WPARAM>(kPageItemId), 0);
        return 0;
    }
    if (message == kEventItem2534) {
        for (UINT id : RemovalMessages(d.state->removalFlags, Inputs(d)))
            Message(d.window, MB_OK | MB_ICONINFORMATION, id);
        d.state->removalFlags = 0;
        return 0;
    }
    const int notification = SheetNotification(message, lParam);
    if (notification == PSN_SETACTIVE) {
        d.state->refusedLeave = 0;
        const bool history = SettingNumberOr(kFidUseAddressHistory, d.settings, d.printerSettings, 0) != 0;
        ShowWindow(GetDlgItem(d.window, kRecipientAddressEdit), history ? SW_HIDE : SW_SHOW);
        ShowWindow(GetDlgItem(d.window, kAddressHistoryBox), history ? SW_SHOW : SW_HIDE);
        FillAddressBookBox(d);
        FillRecipientList(d);
        return 0;
    }
    if (notification == PSN_KILLACTIVE) {
        if (d.state->refusedLeave == lParam && d.state->refusedLeaveTime == GetMessageTime()) {
            d.state->refusedLeave = 0;
            return kKeepPage;
        }
        const uint32_t result = CheckPageOnLeave(call);
        d.state->refusedLeave = result == kKeepPage ? lParam : 0;
        d.state->refusedLeaveTime = GetMessageTime();
        return result;
    }
    return 0;
}

uint32_t OnRecipientListView(CallContext* call, UINT message, WPARAM, LPARAM lParam, const ItemRecord*, const void*)
{
    if (message != WM_NOTIFY)
        return 0;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    PageData d{};
    if (!header || !Data(call, &d))
        return 0;
    if (header->code == NM_DBLCLK &&
        SettingNumberOr(kFidRecipientPageMode, d.settings, d.printerSettings, 0) != 2)
        TakeBackRecipient(call);
    else if (header->code == LVN_ITEMCHANGED)
        UpdateDescriptionAndButtons(d);
    return 0;
}

// The address book file chosen in the open-file dialog into setting 1799. A
// path marked with ':' is shown without the mark and keeps it when the choice
// is cancelled.
constexpr FileDialogParams kAddressBookFile = {4523, 1, 260, 260, 260, 448, 0, 0, kTextGiven, 0, 4541, -1, 4525,
                                               nullptr, 0, 0, kFidAddressBookFile, kFileCheckPathLength, nullptr,
                                               nullptr};
constexpr ButtonParams kChooseBookParams = {kActionOpenFile, &kAddressBookFile};

uint32_t ChooseAddressBook(CallContext* call, const ItemRecord* item)
{
    PageData d{};
    if (!Data(call, &d))
        return 0;
    const std::wstring before = SettingText(d, kFidAddressBookFile);
    const bool marked = !before.empty() && before[0] == L':';
    if (marked)
        SetSettingText(d, kFidAddressBookFile, before.substr(1));
    d.state->subDialogOpen = 1;
    OnPushButtonItem(call, WM_COMMAND, MAKEWPARAM(kAddressBookBrowse, BN_CLICKED), 0, item, &kChooseBookParams);
    d.state->subDialogOpen = 0;
    PageData after{};
    if (!Data(call, &after))
        return 0;
    const std::wstring chosen = SettingText(after, kFidAddressBookFile);
    if (marked && chosen == before.substr(1))
        SetSettingText(after, kFidAddressBookFile, before);
    if (chosen != before.substr(marked ? 1 : 0))
        FillAddressBookBox(after);
    EnableWindow(GetDlgItem(after.window, kOutsideDialogButton), !IsBlankText(chosen.c_str()));
    return 0;
}

std::wstring AddressBookPath(const PageData& d)
{
    const std::wstring path = SettingText(d, kFidAddressBookFile);
    return !path.empty() && path[0] == L':' ? path.substr(1) : path;
}

// The outside recipient dialog replaces the list with the one it returns.
void OpenOutsideRecipientDialog(CallContext* call)
{
    PageData d{};
    if (!Data(call, &d))
        return;
    d.state->subDialogOpen = 1;
    const int refreshed = ShowOutsideRecipientDialog(d.window, AddressBookPath(d).c_str());
    d.state->subDialogOpen = 0;
    PageData after{};
    if (refreshed == 1 && Data(call, &after))
        FillRecipientList(after);
}

constexpr PageHeader kWaitHeader = {kPhonebookWaitTemplate, 0, PhonebookWaitDialogProc, kPhonebookWaitCode,
                                    kNoControl, 0, nullptr, 0};
constexpr SubDialogParams kWaitSub = {&kWaitHeader, 0, 0, kDialogTypeModal};

struct WaitContext {
    CallContext* call;
};

// The tool's wait dialog opens through the page's hidden button 4047.
void WaitThroughPage(HWND window, PhonebookToolRun* run, void* context)
{
    auto* wait = static_cast<WaitContext*>(context);
    FaxUiState* state = GetWindowFaxUiState(window);
    const ItemRecord* button = FindItemRecord(window, kRecipientsPageCode, kPhonebookWaitButton);
    if (!state || !button || !wait) {
        while (PollPhonebookTool(run, 500)) {
        }
        return;
    }
    state->toolRun = run;
    const ButtonParams open = {kActionSubDialog, &kWaitSub};
    OnPushButtonItem(wait->call, WM_COMMAND, MAKEWPARAM(kPhonebookWaitButton, BN_CLICKED), 0, button, &open);
    state->toolRun = nullptr;
}

// The typed recipient registered in the address book by the phonebook tool.
void RegisterWithPhonebookTool(CallContext* call)
{
    PageData d{};
    if (!Data(call, &d))
        return;
    PhonebookTool tool{};
    if (!CheckPhonebookTool(d.window, &tool))
        return;
    FaxRecipientRecord typed{};
    if (!BuildRecipientFromEntry(d.settings, d.printerSettings, &typed))
        return;
    std::wstring book = AddressBookPath(d);
    if (IsBlankText(book.c_str())) {
        if (const ItemRecord* browse = FindItemRecord(d.window, kRecipientsPageCode, kAddressBookBrowse))
            ChooseAddressBook(call, browse);
        PageData after{};
        if (!Data(call, &after))
            return;
        book = AddressBookPath(after);
        if (IsBlankText(book.c_str()))
            return;
    }
    WaitContext wait{call};
    d.state->subDialogOpen = 1;
    ExchangeWithPhonebookTool(d.window, d.model, tool, typed, book.c_str(), WaitThroughPage, &wait);
    d.state->subDialogOpen = 0;
}

// Button 4041: the first program the registry names that starts.
void OpenPhonebookProgram(HWND window)
{
    constexpr struct {
        UINT key, value, file;
    } kPrograms[] = {{4626, 4630, 4628}, {4625, 4629, 4627}, {5201, 4630, 4628}, {5200, 4629, 4627}};
    for (const auto& p : kPrograms) {
        const std::wstring key = ResourceText(p.key);
        const std::wstring value = ResourceText(p.value);
        wchar_t folder[MAX_PATH] = {};
        DWORD bytes = sizeof folder;
        if (key.empty() || RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), value.c_str(), RRF_RT_REG_SZ, nullptr,
                                        folder, &bytes) != ERROR_SUCCESS)
            continue;
        const std::wstring program = std::wstring(folder) + ResourceText(p.file);
        const auto started = reinterpret_cast<INT_PTR>(
            ShellExecuteW(window, L"open", program.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        if (started > 32)
            return;
    }
    Message(window, MB_OK | MB_ICONEXCLAMATION, kMessageNoProgram);
}

// The sender of the cover sheet is checked before a job with a cover sheet
// goes: the answer of the sender check.
int CheckSenderBeforeSending(HWND window)
{
    return VerifyCurrentSender(window);
}

uint32_t OnRecipientButton(CallContext* call, UINT message, WPARAM, LPARAM, const ItemRecord* item, const void*)
{
    if (message != WM_COMMAND)
        return 0;
    switch (item->controlId) {
    case kRecipientAddButton:
        return AddTypedRecipient(call);
    case kRecipientTakeBackButton:
        TakeBackRecipient(call);
        return 0;
    case kRecipientDeleteButton:
        DeleteRecipients(call, false);
        return 0;
    case kFaxDefaultsButton: {
        DeleteRecipients(call, true);
        HWND window = GetCallWindow(call);
        SetDlgItemTextW(window, kRecipientDescription, L"");
        EnableWindow(GetDlgItem(window, kOutsideDialogButton), FALSE);
        ResetColumnWidths(window);
        return 0;
    }
    case kAddressBookBrowse:
        return ChooseAddressBook(call, item);
    case kOutsideDialogButton:
        OpenOutsideRecipientDialog(call);
        return 0;
    case kPhonebookButton:
        RegisterWithPhonebookTool(call);
        return 0;
    case kPhonebookProgramButton:
        OpenPhonebookProgram(GetCallWindow(call));
        return 0;
    case kSenderCheckButton:
        if (FaxUiState* state = GetWindowFaxUiState(GetCallWindow(call)))
            state->senderCheck = CheckSenderBeforeSending(GetCallWindow(call));
        return 0;
    default:
        return 0;
    }
}

// The options sub-dialog: the full one, or the reduced one for fax line
// kind 1, whose line takes no mailbox or relay.
constexpr PageHeader kOptionsHeader = {kRecipientOptionsTemplate, 0, RecipientOptionsDialogProc,
                                       kRecipientOptionsCode, kNoControl, 0, nullptr, 0};
constexpr PageHeader kOptionsExHeader = {kRecipientOptionsExTemplate, 0, RecipientOptionsExDialogProc,
                                         kRecipientOptionsExCode, kNoControl, 0, nullptr, 0};
constexpr SubDialogParams kOptionsSub = {&kOptionsHeader, 0, 0, kDialogTypeModal};
constexpr SubDialogParams kOptionsExSub = {&kOptionsExHeader, 0, 0, kDialogTypeModal};

uint32_t OnRecipientOptionsButton(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam,
                                  const ItemRecord* item, const void* parameters)
{
    if (message != WM_COMMAND)
        return OnPushButtonItem(call, message, wParam, lParam, item, parameters);
    PageData d{};
    if (!Data(call, &d))
        return 0;
    uint16_t lineKind = 0;
    GetFaxCardKindOf(d.model, d.settings, d.printerSettings, &lineKind);
    const ButtonParams open = {kActionSubDialog, lineKind == 1 ? &kOptionsExSub : &kOptionsSub};
    d.state->subDialogOpen = 1;
    OnPushButtonItem(call, message, wParam, lParam, item, &open);
    d.state->subDialogOpen = 0;
    PageData after{};
    if (Data(call, &after))
        UpdateDescriptionAndButtons(after);
    return 0;
}

// The cover-sheet dialog works on the page's settings and destinations.
constexpr SubDialogParams kCoverSheetSub = {&CoverSheetHeader, 0, 0, kDialogTypeModal};
constexpr ButtonParams kOpenCoverSheet = {kActionSubDialog, &kCoverSheetSub};

uint32_t OnCoverSheetButton(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                            const void*)
{
    if (message != WM_COMMAND)
        return OnPushButtonItem(call, message, wParam, lParam, item, &kOpenCoverSheet);
    PageData d{};
    if (!Data(call, &d))
        return 0;
    d.state->subDialogOpen = 1;
    OnPushButtonItem(call, message, wParam, lParam, item, &kOpenCoverSheet);
    d.state->subDialogOpen = 0;
    return 0;
}

uint32_t OnRecipientKindItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                             const void* parameters)
{
    if (message == kEventItem2535) {
        FitKindToOptions(call);
        return 0;
    }
    const uint32_t result = OnComboBoxItem(call, message, wParam, lParam, item, parameters);
    PageData d{};
    if (message == WM_COMMAND && HIWORD(wParam) == CBN_SELENDOK && Data(call, &d)) {
        SetFunctionIdValueArgs(d.settings, d.printerSettings, kFidRecipientAddress, kTypeString, 2, L"");
        SetDlgItemTextW(d.window, kRecipientAddressEdit, L"");
        SetDlgItemTextW(d.window, kAddressHistoryBox, L"");
        UpdateDescriptionAndButtons(d);
    }
    if ((IsShowMessage(message, lParam) || message == WM_COMMAND) && Data(call, &d)) {
        uint16_t lineKind = 0;
        GetFaxCardKindOf(d.model, d.settings, d.printerSettings, &lineKind);
        const uint32_t kind = SettingNumberOr(kFidRecipientKind, d.settings, d.printerSettings, 0);
        SendDlgItemMessageW(d.window, kRecipientAddressEdit, EM_LIMITTEXT,
                            AddressFieldLimit(static_cast<uint16_t>(kind), lineKind), 0);
    }
    return result;
}

uint32_t OnCompanyItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                       const void* parameters)
{
    if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE) {
        HWND window = GetCallWindow(call);
        UndoEditOverflow(window, item->controlId, LimitEditLines(window, item->controlId, kCompanyLineBytes,
                                                                 kCompanyLines));
    }
    return OnEditItem(call, message, wParam, lParam, item, parameters);
}

// Event 2535 (the printer's settings were read again): the kind is made to
// fit the fax card and the IP fax option.
void FitKindToOptions(CallContext* call)
{
    PageData d{};
    if (!Data(call, &d))
        return;
    const auto kind = static_cast<uint16_t>(SettingNumberOr(kFidRecipientKind, d.settings, d.printerSettings, 0));
    const uint16_t fitted =
        FitRecipientKindToOptions(kind, SettingNumberOr(kFidFaxCardType, d.settings, d.printerSettings, 0),
                                  SettingNumberOr(kFidIpFaxOption, d.settings, d.printerSettings, 0) != 0);
    if (fitted == kind)
        return;
    WriteSettingNumber(kFidRecipientKind, d.settings, d.printerSettings, fitted);
    SetSettingText(d, kFidRecipientAddress, L"");
    constexpr uint16_t kKindAndAddress[] = {kFidRecipientKind, kFidRecipientAddress, 0};
    RefreshDialogFromSettings(call, kKindAndAddress);
    SetDlgItemTextW(d.window, kRecipientAddressEdit, L"");
    SetDlgItemTextW(d.window, kAddressHistoryBox, L"");
}

// The send time's hour and minute: shown with two digits; their arrows go
// round from the highest value to the lowest and back (UDS_WRAP).
struct JobValue {
    int32_t edit;
    int32_t arrows;
    uint16_t setting;
};
constexpr JobValue kJobValues[] = {{kFaxHourEdit, kFaxHourUpDown, kFidFaxHour},
                                   {kFaxMinuteEdit, kFaxMinuteUpDown, kFidFaxMinute}};

const JobValue* JobValueOf(int32_t control)
{
    for (const JobValue& v : kJobValues)
        if (v.edit == control || v.arrows == control)
            return &v;
    return nullptr;
}

void ShowJobValue(const PageData& d, const JobValue& v)
{
    const uint32_t value = SettingNumberOr(v.setting, d.settings, d.printerSettings, 0);
    const std::wstring text = TwoDigits(value);
    wchar_t shown[16] = {};
    GetDlgItemTextW(d.window, v.edit, shown, 16);
    if (text != shown)
        SetDlgItemTextW(d.window, v.edit, text.c_str());
    SendDlgItemMessageW(d.window, v.arrows, UDM_SETPOS32, 0, static_cast<LPARAM>(value));
}

uint32_t OnJobValueEdit(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                        const void* parameters)
{
    const uint32_t result = OnEditItem(call, message, wParam, lParam, item, parameters);
    PageData d{};
    const JobValue* v = JobValueOf(item->controlId);
    const bool shown = IsShowMessage(message, lParam) || message == kEngineRefresh ||
                       (message == WM_COMMAND && HIWORD(wParam) == EN_KILLFOCUS);
    if (v && shown && Data(call, &d))
        ShowJobValue(d, *v);
    return result;
}

uint32_t OnJobValueArrows(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                          const void*)
{
    PageData d{};
    const JobValue* v = JobValueOf(item->controlId);
    if (!v || !Data(call, &d))
        return 0;
    HWND arrows = GetDlgItem(d.window, v->arrows);
    if (SheetNotification(message, lParam) == PSN_SETACTIVE) {
        int32_t minimum = 0, maximum = 0;
        if (GetItemValueRange(call, item, &minimum, &maximum))
            SendMessageW(arrows, UDM_SETRANGE32, static_cast<WPARAM>(minimum), maximum);
        ShowJobValue(d, *v);
        return 0;
    }
    if (message == WM_VSCROLL && reinterpret_cast<HWND>(lParam) == arrows && LOWORD(wParam) != SB_ENDSCROLL) {
        const auto value = static_cast<uint32_t>(SendMessageW(arrows, UDM_GETPOS32, 0, 0));
        WriteSettingNumber(v->setting, d.settings, d.printerSettings, value);
        ShowJobValue(d, *v);
        PropSheet_Changed(GetParent(d.window), d.window);
    }
    return 0;
}

// The address history box (setting 1367 on): typed text is the address;
// the last item clears the history when the user agrees.
void FillAddressHistoryBox(const PageData& d)
{
    HWND combo = GetDlgItem(d.window, kAddressHistoryBox);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    wchar_t slots[kFaxListLimit][kAddressHistoryChars] = {};
    const int count = LoadAddressHistory(d.window, slots);
    for (int i = 0; i < count; ++i)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(slots[i]));
    const std::wstring clear = ResourceText(kStringClearList);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(clear.c_str()));
    SetWindowTextW(combo, SettingText(d, kFidRecipientAddress).c_str());
}

// An added address goes to the top of the history; an equal one moves there
// and the box keeps at most 10 addresses besides its last item.
void PutAddressOnTop(HWND window, const wchar_t* address)
{
    HWND combo = GetDlgItem(window, kAddressHistoryBox);
    const LRESULT found =
        SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(address));
    if (found >= 0 && found < SendMessageW(combo, CB_GETCOUNT, 0, 0) - 1)
        SendMessageW(combo, CB_DELETESTRING, static_cast<WPARAM>(found), 0);
    SendMessageW(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(address));
    while (SendMessageW(combo, CB_GETCOUNT, 0, 0) > kFaxListLimit + 1)
        SendMessageW(combo, CB_DELETESTRING, static_cast<WPARAM>(kFaxListLimit), 0);
}

uint32_t OnAddressHistoryItem(CallContext* call, UINT message, WPARAM wParam, LPARAM, const ItemRecord*,
                              const void*)
{
    PageData d{};
    if (!Data(call, &d))
        return 0;
    HWND combo = GetDlgItem(d.window, kAddressHistoryBox);
    if (message == WM_INITDIALOG) {
        FillAddressHistoryBox(d);
        return 0;
    }
    if (message == kEventItem2536) {
        SetWindowTextW(combo, SettingText(d, kFidRecipientAddress).c_str());
        return 0;
    }
    if (message != WM_COMMAND)
        return 0;
    const WORD note = HIWORD(wParam);
    if (note == CBN_EDITCHANGE) {
        uint16_t lineKind = 0;
        GetFaxCardKindOf(d.model, d.settings, d.printerSettings, &lineKind);
        const auto kind = static_cast<uint16_t>(SettingNumberOr(kFidRecipientKind, d.settings, d.printerSettings, 0));
        const int limit = AddressFieldLimit(kind, lineKind);
        wchar_t text[kRecipientAddressChars + 1] = {};
        GetWindowTextW(combo, text, static_cast<int>(std::size(text)));
        if (static_cast<int>(wcslen(text)) > limit) {
            text[limit] = 0;
            SetWindowTextW(combo, text);
            SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(limit, limit));
        }
        SetSettingText(d, kFidRecipientAddress, text);
        UpdateDescriptionAndButtons(d);
        return 0;
    }
    if (note == CBN_SELENDOK) {
        const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
        const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
        if (index < 0)
            return 0;
        if (index == count - 1) {
            if (Message(d.window, MB_YESNO | MB_ICONQUESTION, kMessageClearList) == IDYES)
                for (LRESULT i = count - 2; i >= 0; --i)
                    SendMessageW(combo, CB_DELETESTRING, static_cast<WPARAM>(i), 0);
            PostMessageW(d.window, kEventItem2536, static_cast<WPARAM>(kAddressHistoryBox), 0);
            return 0;
        }
        wchar_t text[kRecipientAddressChars + 1] = {};
        if (SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0) <
            static_cast<LRESULT>(std::size(text)))
            SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
        SetSettingText(d, kFidRecipientAddress, text);
        UpdateDescriptionAndButtons(d);
    }
    return 0;
}

// With the address history on, the address is typed into the history box:
// the hidden edit field must not write its own (empty) text over it.
// A typed speed-dial number is checked against the device's book when the
// page validates: a refused one shows its message and the field gets back
// the text it had before the edit (a speed-dial number has at most 4 digits).
constexpr size_t kSavedSpeedDialChars = 4;
constexpr uint32_t kRefused = 1;

bool CheckTypedAddress(const PageData& d)
{
    if (SettingNumberOr(kFidRecipientKind, d.settings, d.printerSettings, 0) != kRecipientSpeedDial)
        return true;
    const std::wstring typed = SettingText(d, kFidRecipientAddress);
    if (IsBlankText(typed.c_str()))
        return true;
    std::string ascii;
    for (wchar_t c : typed)
        ascii += c < 0x80 ? static_cast<char>(c) : '?';
    const int message = CheckTypedSpeedDialNumber(ascii.c_str(), Inputs(d).checks);
    if (message == 0)
        return true;
    Message(d.window, MB_OK | MB_ICONEXCLAMATION, static_cast<UINT>(message));
    const std::wstring saved = d.state->savedTexts[kRecipientAddressEdit].substr(0, kSavedSpeedDialChars);
    SetSettingText(d, kFidRecipientAddress, saved);
    SetDlgItemTextW(d.window, kRecipientAddressEdit, saved.c_str());
    SetFocus(GetDlgItem(d.window, kRecipientAddressEdit));
    return false;
}

uint32_t OnAddressEditItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                           const void* parameters)
{
    PageData d{};
    if ((message == WM_COMMAND || message == kEngineValidate) && Data(call, &d) &&
        SettingNumberOr(kFidUseAddressHistory, d.settings, d.printerSettings, 0))
        return 0;
    const uint32_t result = OnEditItemWithSetText(call, message, wParam, lParam, item, parameters);
    const bool focused = message == WM_COMMAND && HIWORD(wParam) == EN_SETFOCUS;
    if ((message == WM_INITDIALOG || focused) && Data(call, &d))
        d.state->savedTexts[kRecipientAddressEdit] = SettingText(d, kFidRecipientAddress);
    if (message == kEngineValidate && Data(call, &d) && !CheckTypedAddress(d))
        return kRefused;
    if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE && Data(call, &d))
        UpdateDescriptionAndButtons(d);
    return result;
}

// Changes of the name decide the phonebook button.
uint32_t OnNameEditItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                        const void* parameters)
{
    const uint32_t result = OnEditItemWithSetText(call, message, wParam, lParam, item, parameters);
    PageData d{};
    if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE && Data(call, &d))
        UpdateDescriptionAndButtons(d);
    return result;
}

constexpr ItemSlot kKindSlots[] = {{kFidRecipientKind, kEvaluateOnActivate | kEvaluateAfterChange}};
constexpr ItemSlot kAddressSlots[] = {{kFidRecipientAddress, 0}};
constexpr ItemSlot kNameSlots[] = {{kFidRecipientName, 0}};
constexpr ItemSlot kCompanySlots[] = {{kFidRecipientCompany, 0}};
constexpr ItemSlot kFineSlots[] = {{kFidFaxSpecialJob, kEvaluateOnActivate | kEvaluateAfterChange}};
constexpr ItemSlot kSendTimeSlots[] = {{kFidFaxSendTimeChoice, kEvaluateOnActivate | kEvaluateAfterChange}};
constexpr ItemSlot kHourSlots[] = {{kFidFaxHour, 0}};
constexpr ItemSlot kMinuteSlots[] = {{kFidFaxMinute, 0}};
constexpr ItemSlot kCoverSheetSlots[] = {{kFidFaxInformationPage, kEvaluateOnActivate | kEvaluateAfterChange}};
constexpr EditFieldParams kJobValueEdit = {kEditNumeric, 2, nullptr, nullptr, kCheckAtKillFocus | kCheckAtValidate,
                                           nullptr};
constexpr ListItemParams kComboParams = {kRowsOfOptions, 0, 0, 0, nullptr, nullptr, nullptr};
constexpr uint32_t kEditChecks = kCheckAtKillFocus | kCheckAtValidate;
constexpr EditFieldParams kAddressEdit = {0, 128, nullptr, nullptr, kEditChecks, nullptr};
constexpr EditFieldParams kNameEdit = {0, 40, nullptr, nullptr, kEditChecks, nullptr};
constexpr EditFieldParams kCompanyEdit = {0, 82, nullptr, nullptr, kEditChecks, nullptr};

const ItemRecord kPageRecords[] = {
    {kRecipientList, -1, nullptr, kKindNone, OnRecipientListView, nullptr, kNoControl, kNoControl, nullptr},
    {kRecipientAddButton, 0, nullptr, kKindPushButton, OnRecipientButton, nullptr, kNoControl, kNoControl, nullptr},
    {kRecipientTakeBackButton, 0, nullptr, kKindPushButton, OnRecipientButton, nullptr, kNoControl, kNoControl,
     nullptr},
    {kRecipientDeleteButton, 0, nullptr, kKindPushButton, OnRecipientButton, nullptr, kNoControl, kNoControl,
     nullptr},
    {kFaxDefaultsButton, 0, nullptr, kKindPushButton, OnRecipientButton, nullptr, kNoControl, kNoControl, nullptr},
    {kRecipientKindBox, 1, kKindSlots, kKindComboBox, OnRecipientKindItem, &kComboParams, kRecipientKindLabel,
     kNoControl, nullptr},
    {kRecipientAddressEdit, 1, kAddressSlots, kKindEdit, OnAddressEditItem, &kAddressEdit, kNoControl,
     kNoControl, nullptr},
    {kRecipientNameEdit, 1, kNameSlots, kKindEdit, OnNameEditItem, &kNameEdit, kNoControl, kNoControl,
     nullptr},
    {kRecipientCompanyEdit, 1, kCompanySlots, kKindEdit, OnCompanyItem, &kCompanyEdit, kNoControl, kNoControl,
     nullptr},
    {kRecipientOptionsButton, 0, nullptr, kKindPushButton, OnRecipientOptionsButton, nullptr, kNoControl,
     kNoControl, nullptr},
    {kCoverSheetButton, 0, nullptr, kKindPushButton, OnCoverSheetButton, &kOpenCoverSheet, kNoControl, kNoControl,
     nullptr},
    {kAddressBookBox, -1, nullptr, kKindNone, OnAddressBookItem, nullptr, kAddressBookLabel, kNoControl, nullptr},
    {kAddressHistoryBox, -1, nullptr, kKindNone, OnAddressHistoryItem, nullptr, kNoControl, kNoControl, nullptr},
    {kFaxFineCheck, 1, kFineSlots, kKindCheckBox, nullptr, nullptr, kNoControl, kNoControl, nullptr},
    {kFaxSendTimeBox, 1, kSendTimeSlots, kKindComboBox, nullptr, &kComboParams, kFaxSendTimeLabel, kNoControl,
     nullptr},
    {kFaxHourEdit, 1, kHourSlots, kKindEdit, OnJobValueEdit, &kJobValueEdit, kNoControl, kNoControl, nullptr},
    {kFaxHourUpDown, 1, kHourSlots, kKindUpDown, OnJobValueArrows, nullptr, kNoControl, kNoControl, nullptr},
    {kFaxMinuteEdit, 1, kMinuteSlots, kKindEdit, OnJobValueEdit, &kJobValueEdit, kNoControl, kNoControl, nullptr},
    {kFaxMinuteUpDown, 1, kMinuteSlots, kKindUpDown, OnJobValueArrows, nullptr, kNoControl, kNoControl, nullptr},
    {kCoverSheetCheck, 1, kCoverSheetSlots, kKindCheckBox, nullptr, nullptr, kNoControl, kNoControl, nullptr},
    {kAddressBookBrowse, 0, nullptr, kKindPushButton, OnRecipientButton, nullptr, kNoControl, kNoControl, nullptr},
    {kOutsideDialogButton, 0, nullptr, kKindPushButton, OnRecipientButton, nullptr, kNoControl, kNoControl, nullptr},
    {kPhonebookButton, 0, nullptr, kKindPushButton, OnRecipientButton, nullptr, kNoControl, kNoControl, nullptr},
    {kPhonebookProgramButton, 0, nullptr, kKindPushButton, OnRecipientButton, nullptr, kNoControl, kNoControl,
     nullptr},
    {kSenderCheckButton, 0, nullptr, kKindPushButton, OnRecipientButton, nullptr, kNoControl, kNoControl, nullptr},
    {kPhonebookWaitButton, 0, nullptr, kKindPushButton, nullptr, nullptr, kNoControl, kNoControl, nullptr},
    {kConfirmNumberButton, 0, nullptr, kKindPushButton, nullptr, nullptr, kNoControl, kNoControl, nullptr},
    {kPageItemId, -1, nullptr, kKindNone, OnRecipientsPageItem, nullptr, kNoControl, kNoControl, nullptr},
};
constexpr HelpMapEntry kPageHelp[] = {{0, 0}};
constexpr int32_t kNoLockedControls[] = {kNoControl};

// Apply: the job's fax line value and the address history first, then the
// engine's own Apply.
INT_PTR ApplyRecipientsPage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode,
                            HandlerArgs* args)
{
    PageData d{};
    if (args && args->call && Data(args->call, &d)) {
        // A job with a cover sheet needs a usable sender: when the check
        // asked the user or found none, the cover-sheet dialog opens instead.
        if (SettingNumberOr(kFidFaxInformationPage, d.settings, d.printerSettings, 0) == 1) {
            SendMessageW(window, WM_COMMAND, MAKEWPARAM(kSenderCheckButton, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(window, kSenderCheckButton)));
            const int result = d.state->senderCheck;
            if (result == kSenderNotStored || result == kSenderDeclined || result == kSenderCancelled) {
                PostMessageW(window, WM_COMMAND, MAKEWPARAM(kCoverSheetButton, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(window, kCoverSheetButton)));
                SetWindowLongPtrW(window, DWLP_MSGRESULT, PSNRET_INVALID_NOCHANGEPAGE);
                return TRUE;
            }
        }
        const RecipientPageInputs in = Inputs(d);
        WriteSettingNumber(kFidFaxLineValue, d.settings, d.printerSettings,
                           FaxLineValueOfKind(in.checks.lineKind, in.checks.ipFax));
        WriteSettingNumber(kFidFaxRecipientCount, d.settings, d.printerSettings,
                           static_cast<uint32_t>(GetKeyedListCount(d.record->recipients)));
        SaveAddressHistory(window, kAddressHistoryBox);
        StoreAddressBookHistory(d);
        WriteColumnWidths(window, ColumnKey(d.model));
    }
    return OnPageApply(window, message, wParam, lParam, dialogCode, args);
}

}  // namespace

const ItemTableHeader RecipientsPageItemTable = {kPageRecords, static_cast<uint32_t>(std::size(kPageRecords)),
                                                 kPageHelpTopic, kPageHelp, kNoLockedControls, 0};
const PageDescriptor RecipientsPage = {kRecipientsPageCode, &RecipientsPageItemTable, nullptr};

FaxDestinations* GetDialogFaxDestinations(HWND dialog)
{
    DialogContext* context = GetDialogContext(dialog);
    return context && context->current ? context->current->fax : nullptr;
}

INT_PTR CALLBACK FaxRecipientsPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The company field's own font outlives the field.
    if (message == WM_NCDESTROY)
        if (auto font = static_cast<HFONT>(RemovePropW(window, kCompanyFontProperty)))
            DeleteObject(font);
    SlotHandler handler = nullptr;
    int32_t slot = -1;
    if (!FindMessageHandler(message, wParam, lParam, kDialogTypePage, &handler, &slot))
        return FALSE;
    if (handler == OnPageApply)
        handler = ApplyRecipientsPage;
    return CallMessageHandler(window, message, wParam, lParam, kRecipientsPageCode, kDialogTypePage, handler);
}
