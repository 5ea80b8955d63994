#include "ui/fax/sender_dialog.h"

#include "common/system/module_files.h"
#include "ui/controls/control_kinds.h"
#include "ui/controls/kind_handlers.h"
#include "ui/controls/kind_params.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/item_changes.h"
#include "ui/engine/message_engine.h"
#include "ui/engine/ui_context.h"
#include "ui/fax/fax_dialog_ids.h"
#include "ui/fax/fax_setting_ids.h"
#include "ui/fax/fax_ui_state.h"
#include "ui/fax/fax_user_lists.h"
#include "ui/fax/recipient_options.h"
#include "ui/fax/sender_dialog_ids.h"
#include "ui/fax/sender_information.h"
#include "ui/illustration/picture_statics.h"
#include "ui/support/resource_messages.h"

#include <cwchar>
#include <iterator>

namespace {

constexpr int kLinesBytesPerLine = 40;
constexpr int kLinesMaxLines = 5;

struct ButtonRow {
    bool edit, remove, registering, make;
    uint16_t mask;
};
constexpr ButtonRow kButtonRows[] = {
    {false, false, false, true, 32},  {true, true, false, true, 32},   {false, false, true, true, 511},
    {true, true, false, true, 32},    {false, false, true, true, 319}, {false, false, false, true, 32},
};

// The fields with the mask bit that lets each be edited.
struct FieldBit {
    int control;
    uint16_t bit;
};
constexpr FieldBit kFieldBits[] = {{kSenderNameField, 0x001}, {kSenderText2Field, 0x002},
                                   {kSenderLinesField, 0x004}, {kSenderText4Field, 0x008},
                                   {kSenderText5Field, 0x010}, {kSenderMailField, 0x100}};
constexpr uint16_t kSenderSettings[] = {kFidSenderName,  kFidSenderText2, kFidSenderLines, kFidSenderText4,
                                        kFidSenderText5, kFidSenderMail,  0};

constexpr uint32_t kEditChecks = kCheckAtKillFocus | kCheckAtValidate;
constexpr EditFieldParams kName40 = {0, 40, nullptr, nullptr, kEditChecks, nullptr};
constexpr EditFieldParams kText40 = {0, 40, nullptr, nullptr, kEditChecks, nullptr};
constexpr EditFieldParams kLines = {0, 208, nullptr, nullptr, kEditChecks, nullptr};
constexpr EditFieldParams kText30 = {0, 30, nullptr, nullptr, kEditChecks, nullptr};
constexpr EditFieldParams kText128 = {0, 128, nullptr, nullptr, kEditChecks, nullptr};
constexpr ButtonParams kOkButton = {kActionOk, nullptr};
constexpr ButtonParams kDefaultsButton = {kActionDefaults, nullptr};
constexpr ButtonParams kNoAction = {0, nullptr};
// The pictures' bitmaps carry their controls' numbers.
constexpr uint32_t kCardPicture = kSenderCardPicture;
constexpr uint32_t kPagePicture = kSenderPagePicture;

HWND ListOf(HWND dialog)
{
    return GetDlgItem(dialog, kSenderList);
}

int Selected(HWND dialog)
{
    const LRESULT index = SendMessageW(ListOf(dialog), CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : static_cast<int>(index);
}

int LastItem(HWND dialog)
{
    return static_cast<int>(SendMessageW(ListOf(dialog), CB_GETCOUNT, 0, 0)) - 1;
}

bool IsStoredEntry(HWND dialog, int index)
{
    const SenderEntry* entry = SenderListEntry(ListOf(dialog), index);
    return entry && entry->sender.name[0] != L'\0';
}

void PutEntry(CallContext* call, const SenderEntry& entry)
{
    void* settings = nullptr;
    void* printerSettings = nullptr;
    if (GetCallSettings(call, &settings, &printerSettings))
        PutSenderSettings(settings, printerSettings, &entry);
}

void RefreshSenderFields(CallContext* call)
{
    RefreshDialogFromSettings(call, kSenderSettings);
}

uint16_t& MaskOf(HWND dialog)
{
    static uint16_t none = kSenderMaskAlways;
    FaxUiState* state = GetWindowFaxUiState(dialog);
    return state ? state->senderEditMask : none;
}

void ApplyFieldMask(HWND dialog, int control)
{
    uint16_t& mask = MaskOf(dialog);
    for (const FieldBit& field : kFieldBits) {
        if (field.control != control)
            continue;
        HWND edit = GetDlgItem(dialog, control);
        EnableWindow(edit, (mask & field.bit) != 0);
        if (control == kSenderNameField && (mask & field.bit) && (mask & kSenderMaskFocusName)) {
            mask &= ~kSenderMaskFocusName;
            SetFocus(edit);
            SendMessageW(edit, EM_SETSEL, 0, -1);
        }
    }
}

void ShowUnconfirmedNotice(HWND dialog)
{
    const SenderEntry* entry = SenderListEntry(ListOf(dialog), Selected(dialog));
    const bool notice = !(MaskOf(dialog) & kSenderMaskNoNotice) && entry && entry->sender.name[0] && !entry->confirmed;
    wchar_t text[kMessageChars] = {};
    if (notice && GetResourceModule())
        LoadStringW(GetResourceModule(), kStringSenderUnconfirmed, text, kMessageChars);
    SetDlgItemTextW(dialog, kSenderNoticeText, text);
    ShowWindow(GetDlgItem(dialog, kSenderNoticeIcon), notice ? SW_SHOW : SW_HIDE);
}

void ClearSender(CallContext* call)
{
    HWND dialog = GetCallWindow(call);
    SendMessageW(ListOf(dialog), CB_SETCURSEL, LastItem(dialog), 0);
    PutEntry(call, SenderEntry{});
}

int FindByName(HWND dialog, const wchar_t* name)
{
    const int count = LastItem(dialog);
    for (int i = 0; i < count; ++i) {
        const SenderEntry* entry = SenderListEntry(ListOf(dialog), i);
        if (entry && std::wcsncmp(entry->sender.name, name, std::size(entry->sender.name)) == 0)
            return i;
    }
    return -1;
}

SenderEntry CurrentSender(CallContext* call)
{
    SenderEntry entry{};
    void* settings = nullptr;
    void* printerSettings = nullptr;
    if (GetCallSettings(call, &settings, &printerSettings))
        GetSenderSettings(settings, printerSettings, &entry);
    return entry;
}

// --- Items -------------------------------------------------------------------------

uint32_t OnSenderDialogEvent(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord*, const void*)
{
    HWND dialog = GetCallWindow(call);
    switch (message) {
    case WM_INITDIALOG: {
        SendDlgItemMessageW(dialog, kSenderLinesField, EM_SETWORDBREAKPROC, 0,
                            reinterpret_cast<LPARAM>(BreakAnywhereWordProc));
        const int filled = FillSenderList(dialog, kSenderList, kSenderListInSenderDialog);
        if (filled < 0)
            return 0;
        if (filled == 1)
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(kSenderList, CBN_SELENDOK),
                         reinterpret_cast<LPARAM>(ListOf(dialog)));
        else
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(kSenderDeleteButton, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, kSenderDeleteButton)));
        SetSenderButtons(dialog, filled == 1 ? kSenderEntryChosen : kSenderNothingChosen);
        return 0;
    }
    case WM_WINDOWPOSCHANGED: {
        const auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
        FaxUiState* state = GetWindowFaxUiState(dialog);
        if (state && state->senderDialogRequest == 2 && position && (position->flags & SWP_SHOWWINDOW)) {
            state->senderDialogRequest = 0;
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kSenderEditButton, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, kSenderEditButton)));
            HWND mail = GetDlgItem(dialog, kSenderMailField);
            SetFocus(mail);
            SendMessageW(mail, EM_SETSEL, 0, -1);
        }
        return 0;
    }
    case kEventRefresh:
        ShowUnconfirmedNotice(dialog);
        return 0;
    case WM_DESTROY:
        FreeSenderList(ListOf(dialog));
        return 0;
    default:
        (void)wParam;
        return 0;
    }
}

uint32_t OnSenderFieldItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                           const void* parameters)
{
    const uint32_t result = OnEditItem(call, message, wParam, lParam, item, parameters);
    if (message == WM_INITDIALOG || message == kEventRefresh)
        ApplyFieldMask(GetCallWindow(call), item->controlId);
    return result;
}

uint32_t OnSenderMultiLineItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                               const void* parameters)
{
    HWND dialog = GetCallWindow(call);
    if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE) {
        const int overflow = LimitEditLines(dialog, item->controlId, kLinesBytesPerLine, kLinesMaxLines);
        UndoEditOverflow(dialog, item->controlId, overflow);
    }
    return OnSenderFieldItem(call, message, wParam, lParam, item, parameters);
}

uint32_t OnSenderListItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord*,
                          const void*)
{
    if (message == WM_DRAWITEM) {
        DrawSenderListItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return 1;
    }
    if (message != WM_COMMAND)
        return 0;
    HWND dialog = GetCallWindow(call);
    if (HIWORD(wParam) == CBN_SELENDOK) {
        const int index = Selected(dialog);
        const SenderEntry* entry = SenderListEntry(ListOf(dialog), index);
        if (!entry)
            return 0;
        PutEntry(call, *entry);
        SetSenderButtons(dialog, IsStoredEntry(dialog, index) ? kSenderEntryChosen : kSenderNothingChosen);
        RefreshSenderFields(call);
    } else if (HIWORD(wParam) == CBN_CLOSEUP) {
        const SenderEntry current = CurrentSender(call);
        const int index = FindByName(dialog, current.sender.name);
        if (current.sender.name[0] && index >= 0)
            SendMessageW(ListOf(dialog), CB_SETCURSEL, index, 0);
    }
    return 0;
}

uint32_t DeleteSenderEntry(CallContext* call, UINT message, WPARAM, LPARAM, const ItemRecord*, const void*)
{
    if (message != WM_COMMAND)
        return 0;
    HWND dialog = GetCallWindow(call);
    const int index = Selected(dialog);
    if (IsStoredEntry(dialog, index))
        RemoveSenderListItem(ListOf(dialog), index);
    ClearSender(call);
    SetSenderButtons(dialog, kSenderDeleted);
    RefreshSenderFields(call);
    SetFocus(ListOf(dialog));
    return 0;
}

uint32_t NewSenderEntry(CallContext* call, UINT message, WPARAM, LPARAM, const ItemRecord*, const void*)
{
    if (message != WM_COMMAND)
        return 0;
    HWND dialog = GetCallWindow(call);
    if (LastItem(dialog) >= kFaxListLimit) {
        ShowResourceMessageBox(dialog, kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION, kMessageSenderListFull,
                               nullptr);
        SetFocus(GetDlgItem(dialog, kSenderNewButton));
        return 0;
    }
    ClearSender(call);
    SetSenderButtons(dialog, kSenderMaking);
    RefreshSenderFields(call);
    return 0;
}

uint32_t EditSenderEntry(CallContext* call, UINT message, WPARAM, LPARAM, const ItemRecord*, const void*)
{
    if (message != WM_COMMAND)
        return 0;
    HWND dialog = GetCallWindow(call);
    const int index = Selected(dialog);
    if (IsStoredEntry(dialog, index))
        RemoveSenderListItem(ListOf(dialog), index);  // its values stay in the settings
    SendMessageW(ListOf(dialog), CB_SETCURSEL, LastItem(dialog), 0);
    SetSenderButtons(dialog, kSenderEditing);
    RefreshSenderFields(call);
    return 0;
}

bool IsBlank(const wchar_t* text)
{
    for (; *text; ++text)
        if (*text != L' ' && *text != 0x3000)
            return false;
    return true;
}

uint32_t RegisterSenderEntry(CallContext* call, UINT message, WPARAM, LPARAM, const ItemRecord*, const void*)
{
    if (message != WM_COMMAND)
        return 0;
    HWND dialog = GetCallWindow(call);
    SenderEntry entry = CurrentSender(call);
    if (IsBlank(entry.sender.name)) {
        ShowResourceMessageBox(dialog, kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION,
                               kMessageSenderNameMissing, nullptr);
        SetFocus(GetDlgItem(dialog, kSenderNameField));
        return 0;
    }
    const int existing = FindByName(dialog, entry.sender.name);
    if (existing >= 0) {
        if (ShowResourceMessageBox(dialog, kCaptionSettings, nullptr, MB_OKCANCEL | MB_ICONINFORMATION,
                                   kMessageSenderExists, nullptr) != IDOK)
            return 0;
        RemoveSenderListItem(ListOf(dialog), existing);
    }
    entry.confirmed = 1;
    const int at = InsertSenderListItem(ListOf(dialog), 0, entry, entry.sender.name);
    if (at < 0)
        return 0;
    SendMessageW(ListOf(dialog), CB_SETCURSEL, at, 0);
    SetSenderButtons(dialog, kSenderRegistered);
    RefreshSenderFields(call);
    SetFocus(ListOf(dialog));
    return 0;
}

uint32_t OnSenderDialogOk(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                          const void* parameters)
{
    if (message != WM_COMMAND)
        return OnPushButtonItem(call, message, wParam, lParam, item, parameters);
    HWND dialog = GetCallWindow(call);
    if (IsWindowEnabled(GetDlgItem(dialog, kSenderText2Field))) {
        if (ShowResourceMessageBox(dialog, kCaptionSettings, nullptr, MB_YESNO | MB_ICONINFORMATION,
                                   kMessageSenderNotRegistered, nullptr) != IDYES)
            return 0;
        for (const FieldBit& field : kFieldBits)
            SetDlgItemTextW(dialog, field.control, L"");
        PutEntry(call, SenderEntry{});
    }
    HWND list = ListOf(dialog);
    const int index = Selected(dialog);
    if (index > 0 && IsStoredEntry(dialog, index)) {
        const SenderEntry chosen = *SenderListEntry(list, index);
        RemoveSenderListItem(list, index);
        SendMessageW(list, CB_SETCURSEL, InsertSenderListItem(list, 0, chosen, chosen.sender.name), 0);
    }
    WriteSenderList(dialog, kSenderList);
    return OnPushButtonItem(call, message, wParam, lParam, item, parameters);
}

uint32_t OnSenderDialogDefaults(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam,
                                const ItemRecord* item, const void* parameters)
{
    if (message == WM_COMMAND) {
        HWND dialog = GetCallWindow(call);
        SendMessageW(ListOf(dialog), CB_SETCURSEL, LastItem(dialog), 0);
        SetSenderButtons(dialog, kSenderNothingChosen);
    }
    return OnPushButtonItem(call, message, wParam, lParam, item, parameters);
}

constexpr ItemSlot kNameSlots[] = {{kFidSenderName, 0}};
constexpr ItemSlot kText2Slots[] = {{kFidSenderText2, 0}};
constexpr ItemSlot kLinesSlots[] = {{kFidSenderLines, 0}};
constexpr ItemSlot kText4Slots[] = {{kFidSenderText4, 0}};
constexpr ItemSlot kText5Slots[] = {{kFidSenderText5, 0}};
constexpr ItemSlot kMailSlots[] = {{kFidSenderMail, 0}};

const ItemRecord kSenderRecords[] = {
    {kPageItemId, -1, nullptr, kKindNone, OnSenderDialogEvent, nullptr, kNoControl, kNoControl, nullptr},
    {kSenderNameField, 1, kNameSlots, kKindEdit, OnSenderFieldItem, &kName40, kSenderNameLabel, kNoControl, nullptr},
    {kSenderText2Field, 1, kText2Slots, kKindEdit, OnSenderFieldItem, &kText40, kSenderText2Label, kNoControl,
     nullptr},
    {kSenderLinesField, 1, kLinesSlots, kKindEdit, OnSenderMultiLineItem, &kLines, kSenderLinesLabel, kNoControl,
     nullptr},
    {kSenderText4Field, 1, kText4Slots, kKindEdit, OnSenderFieldItem, &kText30, kSenderText4Label, kNoControl,
     nullptr},
    {kSenderText5Field, 1, kText5Slots, kKindEdit, OnSenderFieldItem, &kText30, kSenderText5Label, kNoControl,
     nullptr},
    {kSenderMailField, 1, kMailSlots, kKindEdit, OnSenderFieldItem, &kText128, kSenderMailLabel, kNoControl, nullptr},
    {kSenderList, -1, nullptr, kKindComboBox, OnSenderListItem, nullptr, kSenderListLabel, kNoControl, nullptr},
    {kSenderDeleteButton, 0, nullptr, kKindPushButton, DeleteSenderEntry, &kNoAction, kNoControl, kNoControl,
     nullptr},
    {kSenderNewButton, 0, nullptr, kKindPushButton, NewSenderEntry, &kNoAction, kNoControl, kNoControl, nullptr},
    {kSenderEditButton, 0, nullptr, kKindPushButton, EditSenderEntry, &kNoAction, kNoControl, kNoControl, nullptr},
    {kSenderRegisterButton, 0, nullptr, kKindPushButton, RegisterSenderEntry, &kNoAction, kNoControl, kNoControl,
     nullptr},
    {kFaxOkButton, 0, nullptr, kKindPushButton, OnSenderDialogOk, &kOkButton, kNoControl, kNoControl, nullptr},
    {kFaxDefaultsButton, 0, nullptr, kKindPushButton, OnSenderDialogDefaults, &kDefaultsButton, kNoControl,
     kNoControl, nullptr},
    {kSenderCardPicture, -1, nullptr, kKindNone, OnPictureStaticItem, &kCardPicture, kNoControl, kNoControl, nullptr},
    {kSenderPagePicture, -1, nullptr, kKindNone, OnPictureStaticItem, &kPagePicture, kNoControl, kNoControl, nullptr},
};

constexpr HelpMapEntry kSenderHelp[] = {
    {kSenderList, 31100},        {kSenderListLabel, 31100},    {kSenderNameField, 31700},
    {kSenderNameLabel, 31700},   {kSenderText2Field, 31800},   {kSenderText2Label, 31800},
    {kSenderLinesField, 31900},  {kSenderLinesLabel, 31900},   {kSenderText4Field, 32100},
    {kSenderText4Label, 32100},  {kSenderText5Field, 32200},   {kSenderText5Label, 32200},
    {kSenderMailField, 32400},   {kSenderMailLabel, 32400},    {kSenderNoticeText, 32500},
    {kSenderDeleteButton, 31200}, {kSenderEditButton, 31300},  {kSenderRegisterButton, 31400},
    {kSenderNewButton, 31500},   {4310, 31600},                {kFaxOkButton, 1520},
    {kFaxCancelButton, 1530},    {kFaxDefaultsButton, 1540},   {kFaxHelpButton, 7777},
    {0, 0},
};
constexpr int32_t kNoLockedControls[] = {kNoControl};
const ItemTableHeader kSenderTable = {kSenderRecords, static_cast<uint32_t>(std::size(kSenderRecords)),
                                      kPageHelpTopic, kSenderHelp, kNoLockedControls, 0};

}  // namespace

uint16_t SenderEditMask(int state, bool permitted)
{
    if (!permitted || state < 0 || state >= static_cast<int>(std::size(kButtonRows)))
        return kSenderMaskAlways;
    return kButtonRows[state].mask;
}

void SetSenderButtons(HWND dialog, int state)
{
    const UiContext* ui = GetWindowUiContext(dialog);
    const bool permitted = ui && ui->permission != 0;
    const bool known = state >= 0 && state < static_cast<int>(std::size(kButtonRows));
    const ButtonRow row = known && permitted ? kButtonRows[state] : ButtonRow{false, false, false, false, 32};
    EnableWindow(GetDlgItem(dialog, kSenderEditButton), row.edit);
    EnableWindow(GetDlgItem(dialog, kSenderDeleteButton), row.remove);
    EnableWindow(GetDlgItem(dialog, kSenderRegisterButton), row.registering);
    EnableWindow(GetDlgItem(dialog, kSenderNewButton), row.make);
    uint16_t& mask = MaskOf(dialog);
    mask = SenderEditMask(state, permitted);
    for (const FieldBit& field : kFieldBits)
        ApplyFieldMask(dialog, field.control);
}

const PageDescriptor SenderInfoDialog = {kSenderDialogCode, &kSenderTable, nullptr};

INT_PTR CALLBACK SenderInfoDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunFaxModalDialogMessage(window, message, wParam, lParam, kSenderDialogCode);
}
