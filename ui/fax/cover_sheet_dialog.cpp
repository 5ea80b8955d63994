#include "ui/fax/cover_sheet_dialog.h"

#include "common/context/option_list.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/model/model_data.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"
#include "ui/controls/control_kinds.h"
#include "ui/docevent/fax_send_list.h"
#include "ui/controls/display_states.h"
#include "ui/controls/kind_handlers.h"
#include "ui/controls/kind_params.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/item_changes.h"
#include "ui/engine/message_engine.h"
#include "ui/engine/ui_context.h"
#include "ui/fax/cover_sheet_files.h"
#include "ui/fax/cover_sheet_ids.h"
#include "ui/fax/fax_dialog_ids.h"
#include "ui/fax/fax_setting_ids.h"
#include "ui/fax/fax_ui_state.h"
#include "ui/fax/fax_user_lists.h"
#include "ui/fax/recipient_options.h"
#include "ui/fax/recipients_page.h"
#include "ui/fax/sender_dialog.h"
#include "ui/fax/sender_dialog_ids.h"
#include "ui/fax/sender_information.h"
#include "ui/fax/small_fax_dialogs.h"
#include "ui/support/ansi_limits.h"
#include "ui/support/resource_messages.h"
#include "ui/support/text_validation.h"

#include <cwchar>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr uint16_t kFidCoverLanguage = 1804;
constexpr uint16_t kFidCoverNumber = 1805;
constexpr uint16_t kFidCoverTitle = 1806;
constexpr uint16_t kFidCoverNameTitle = 1807;
constexpr uint16_t kFidCoverCompanyTitle = 1808;
constexpr uint16_t kFidCoverOtherLayout = 1809;
constexpr uint16_t kFidCoverFormPath = 1830;
constexpr uint16_t kLanguageJapanese = 1041;
constexpr int kTitleChars = 28;
constexpr uint32_t kRefused = 1;

// The characters of the subject line and of the message.
constexpr UINT kLineSingleBytes[] = {9235, 9220, 9234, 9221, 0};
constexpr UINT kBodySingleBytes[] = {9231, 9235, 9220, 9234, 9221, 0};
constexpr UINT kDoubleBytes[] = {9232, 0};
constexpr uint32_t kCoverTextFlags = 514;

constexpr uint16_t kSenderSettings[] = {kFidSenderName,  kFidSenderText2, kFidSenderLines, kFidSenderText4,
                                        kFidSenderText5, kFidSenderMail,  0};

HWND Control(HWND dialog, int id)
{
    return GetDlgItem(dialog, id);
}

void RedrawPreview(HWND dialog)
{
    InvalidateRect(Control(dialog, kCoverPreview), nullptr, FALSE);
}

bool IsKillFocus(UINT message, WPARAM wParam)
{
    return message == WM_COMMAND && HIWORD(wParam) == EN_KILLFOCUS;
}

bool IsChange(UINT message, WPARAM wParam)
{
    return message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE;
}

bool SettingsOf(CallContext* call, void** settings, void** printerSettings)
{
    return GetCallSettings(call, settings, printerSettings) != 0;
}

std::wstring SettingString(CallContext* call, uint16_t id)
{
    void* settings = nullptr;
    void* printerSettings = nullptr;
    if (!SettingsOf(call, &settings, &printerSettings))
        return {};
    const auto* text = reinterpret_cast<const wchar_t*>(
        static_cast<uintptr_t>(GetFunctionIdValuePointer(settings, printerSettings, id, kTypeString)));
    return text ? std::wstring(text) : std::wstring();
}

bool SetSettingString(CallContext* call, uint16_t id, const std::wstring& text)
{
    void* settings = nullptr;
    void* printerSettings = nullptr;
    if (!SettingsOf(call, &settings, &printerSettings))
        return false;
    const uint32_t bytes = static_cast<uint32_t>((text.size() + 1) * sizeof(wchar_t));
    return SetFunctionIdValueArgs(settings, printerSettings, id, kTypeString, bytes, text.c_str()) == 0;
}

uint32_t SettingNumber(CallContext* call, uint16_t id)
{
    void* settings = nullptr;
    void* printerSettings = nullptr;
    return SettingsOf(call, &settings, &printerSettings) ? SettingNumberOr(id, settings, printerSettings, 0) : 0;
}

std::wstring EditText(HWND dialog, int id)
{
    const int length = GetWindowTextLengthW(Control(dialog, id));
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    GetDlgItemTextW(dialog, id, text.data(), static_cast<int>(text.size()));
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

bool JapaneseUi()
{
    uint16_t language = 0;
    return GetUiLanguageId(&language) && language == kLanguageJapanese;
}

bool FormOpens(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

void Message(HWND dialog, UINT id, UINT style = MB_OK | MB_ICONEXCLAMATION)
{
    ShowResourceMessageBox(dialog, kCaptionSettings, nullptr, style, static_cast<int>(id), nullptr);
}

void Click(HWND dialog, int id, bool post)
{
    const WPARAM wParam = MAKEWPARAM(id, BN_CLICKED);
    const LPARAM lParam = reinterpret_cast<LPARAM>(Control(dialog, id));
    if (post)
        PostMessageW(dialog, WM_COMMAND, wParam, lParam);
    else
        SendMessageW(dialog, WM_COMMAND, wParam, lParam);
}

// --- Subject line and message ------------------------------------------------------

bool TextAccepted(const std::wstring& text, const UINT* singleBytes)
{
    return ValidateTextCharacters(text.c_str(), singleBytes, kDoubleBytes, nullptr, nullptr, kCoverTextFlags, 0) != 0;
}

struct CoverText {
    int control;
    int limit;
    const UINT* singleBytes;
    wchar_t* (*field)(FaxDestinations*);
    size_t chars;
};

wchar_t* LineField(FaxDestinations* record)
{
    return record->headerText1;
}

wchar_t* BodyField(FaxDestinations* record)
{
    return record->headerText2;
}

constexpr CoverText kLine = {kCoverLineEdit, kCoverLineChars, kLineSingleBytes, LineField, 41};
constexpr CoverText kBody = {kCoverBodyEdit, kCoverBodyChars, kBodySingleBytes, BodyField, 671};

void StoreText(FaxDestinations* record, const CoverText& what, const std::wstring& text)
{
    wchar_t* field = what.field(record);
    const size_t n = text.size() < what.chars - 1 ? text.size() : what.chars - 1;
    std::wmemcpy(field, text.c_str(), n);
    field[n] = L'\0';
}

// Kill focus and the dialog's validation: an accepted text is stored into the
// record; a refused one is replaced by the stored text (with a message and the
// focus back when the user leaves the field).
uint32_t CheckCoverText(HWND dialog, UINT message, const CoverText& what)
{
    FaxDestinations* record = GetDialogFaxDestinations(dialog);
    if (!record)
        return 0;
    const std::wstring text = EditText(dialog, what.control);
    if (TextAccepted(text, what.singleBytes)) {
        StoreText(record, what, text);
        return 0;
    }
    if (message == kEngineValidate)
        return kRefused;
    Message(dialog, kMessageBadCoverText);
    SetDlgItemTextW(dialog, what.control, what.field(record));
    RedrawPreview(dialog);
    SetFocus(Control(dialog, what.control));
    return 0;
}

uint32_t OnCoverLineItem(CallContext* call, UINT message, WPARAM wParam, LPARAM, const ItemRecord*, const void*)
{
    HWND dialog = GetCallWindow(call);
    FaxDestinations* record = GetDialogFaxDestinations(dialog);
    if (message == WM_INITDIALOG) {
        SendDlgItemMessageW(dialog, kCoverLineEdit, EM_LIMITTEXT, kCoverLineChars, 0);
        if (record)
            SetDlgItemTextW(dialog, kCoverLineEdit, record->headerText1);
    } else if (IsChange(message, wParam)) {
        ReadLimitedEditText(dialog, kCoverLineEdit, kCoverLineChars, nullptr, nullptr, kLimitedEdit);
        RedrawPreview(dialog);
    } else if (IsKillFocus(message, wParam) || message == kEngineValidate) {
        return CheckCoverText(dialog, message, kLine);
    }
    return 0;
}

// The fax dialogs' edit font: the face of string 5096, small enough that a
// line of 40 characters fits the width of string 4648, which becomes the
// field's formatting width, so that the field breaks lines where the device
// does.
void SetBodyFont(HWND dialog, int id)
{
    wchar_t face[LF_FACESIZE] = {};
    wchar_t widthText[16] = {};
    HMODULE resources = GetResourceModule();
    HWND edit = Control(dialog, id);
    if (!resources || !edit || LoadStringW(resources, kStringCoverBodyFace, face, LF_FACESIZE) <= 0)
        return;
    LoadStringW(resources, kStringCoverBodyWidth, widthText, static_cast<int>(std::size(widthText)));
    LOGFONTW font{};
    HFONT current = reinterpret_cast<HFONT>(SendMessageW(edit, WM_GETFONT, 0, 0));
    if (!current || !GetObjectW(current, sizeof(font), &font))
        return;
    std::wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    const std::wstring line(kCoverBodyLineBytes, L'W');
    HDC dc = GetDC(edit);
    if (!dc)
        return;
    const int width = MulDiv(_wtoi(widthText), GetDeviceCaps(dc, LOGPIXELSX), 96);
    HFONT made = nullptr;
    SIZE extent{};
    for (;;) {
        made = CreateFontIndirectW(&font);
        if (!made)
            break;
        HGDIOBJ old = SelectObject(dc, made);
        GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &extent);
        SelectObject(dc, old);
        if (width <= 0 || extent.cx <= width || font.lfHeight >= -6)
            break;
        DeleteObject(made);
        made = nullptr;
        font.lfHeight += font.lfHeight < 0 ? 1 : -1;
    }
    ReleaseDC(edit, dc);
    if (!made)
        return;
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(made), FALSE);
    RECT rect{};
    SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&rect));
    const LONG needed = (extent.cx > width ? extent.cx : width) + 2;
    if (rect.right - rect.left < needed)
        rect.right = rect.left + needed;
    SendMessageW(edit, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&rect));
}

void FreeBodyFont(HWND dialog, int id)
{
    HWND edit = Control(dialog, id);
    HFONT font = edit ? reinterpret_cast<HFONT>(SendMessageW(edit, WM_GETFONT, 0, 0)) : nullptr;
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    if (font && font != dialogFont) {
        SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont), FALSE);
        DeleteObject(font);
    }
}

uint32_t OnCoverBodyItem(CallContext* call, UINT message, WPARAM wParam, LPARAM, const ItemRecord*, const void*)
{
    HWND dialog = GetCallWindow(call);
    FaxDestinations* record = GetDialogFaxDestinations(dialog);
    if (message == WM_INITDIALOG) {
        SendDlgItemMessageW(dialog, kCoverBodyEdit, EM_LIMITTEXT, kCoverBodyChars, 0);
        SendDlgItemMessageW(dialog, kCoverBodyEdit, EM_SETWORDBREAKPROC, 0,
                            reinterpret_cast<LPARAM>(BreakAnywhereWordProc));
        if (record)
            SetDlgItemTextW(dialog, kCoverBodyEdit, record->headerText2);
        SetBodyFont(dialog, kCoverBodyEdit);
    } else if (IsChange(message, wParam)) {
        UndoEditOverflow(dialog, kCoverBodyEdit,
                         LimitEditLines(dialog, kCoverBodyEdit, kCoverBodyLineBytes, kCoverBodyLines));
        RedrawPreview(dialog);
    } else if (IsKillFocus(message, wParam) || message == kEngineValidate) {
        return CheckCoverText(dialog, message, kBody);
    } else if (message == WM_DESTROY) {
        FreeBodyFont(dialog, kCoverBodyEdit);
    }
    return 0;
}

// --- Form name, number and title ------------------------------------------------------

void ShowFormName(CallContext* call)
{
    HWND dialog = GetCallWindow(call);
    wchar_t name[kCoverPathChars] = {};
    if (SettingNumber(call, kFidFaxCoverForm) != 0) {
        const std::wstring path = SettingString(call, kFidCoverFormPath);
        SplitFormPath(path.c_str(), nullptr, 0, name, std::size(name));
    }
    SetDlgItemTextW(dialog, kCoverFormName, name);
}

uint32_t OnCoverFormNameItem(CallContext* call, UINT message, WPARAM, LPARAM lParam, const ItemRecord*, const void*)
{
    if (message == WM_INITDIALOG || IsShowMessage(message, lParam))
        ShowFormName(call);
    return 0;
}

uint32_t OnCoverNumberItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                           const void* parameters)
{
    if (IsKillFocus(message, wParam) || message == kEngineValidate) {
        HWND dialog = GetCallWindow(call);
        wchar_t text[8] = {};
        GetDlgItemTextW(dialog, item->controlId, text, static_cast<int>(std::size(text)));
        const std::wstring before = text;
        BlankZeroNumber(text);
        if (before != text)
            SetDlgItemTextW(dialog, item->controlId, text);
    }
    return OnEditItem(call, message, wParam, lParam, item, parameters);
}

// The title follows settings 379 and 1804: empty without one cover sheet for
// all destinations, else the language's title whenever one of the two changes
// (a title typed in the meantime is kept until then).
void DeriveCoverTitle(CallContext* call, bool changed)
{
    const uint32_t oneForAll = SettingNumber(call, kFidFaxOneHeader);
    const uint32_t language = SettingNumber(call, kFidCoverLanguage);
    std::wstring title = SettingString(call, kFidCoverTitle);
    if (oneForAll == 0) {
        title.clear();
    } else if (changed) {
        wchar_t text[kTitleChars + 1] = {};
        if (GetResourceModule())
            LoadStringW(GetResourceModule(), language != 0 ? kStringTitleOtherLanguage : kStringTitleFirstLanguage,
                        text, kTitleChars + 1);
        title = text;
    }
    SetSettingString(call, kFidCoverTitle, title);
    SetDlgItemTextW(GetCallWindow(call), kCoverTitleEdit, title.c_str());
}

uint32_t OnCoverDerivedTextItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                                const void* parameters)
{
    if (IsShowMessage(message, lParam))
        DeriveCoverTitle(call, false);
    return OnEditItem(call, message, wParam, lParam, item, parameters);
}

// The two cover-sheet flags (379, 1809) are kept by their own check boxes:
// checked is 1.
uint16_t FlagSetting(int control)
{
    return control == kCoverOneForAll ? kFidFaxOneHeader : kFidCoverOtherLayout;
}

uint32_t OnCoverFlagItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                         const void*)
{
    HWND dialog = GetCallWindow(call);
    const uint16_t setting = FlagSetting(item->controlId);
    if (message == WM_INITDIALOG || IsShowMessage(message, lParam)) {
        CheckDlgButton(dialog, item->controlId, SettingNumber(call, setting) != 0 ? BST_CHECKED : BST_UNCHECKED);
        return 0;
    }
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED)
        return 0;
    void* settings = nullptr;
    void* printerSettings = nullptr;
    if (!SettingsOf(call, &settings, &printerSettings))
        return 0;
    const uint32_t value = IsDlgButtonChecked(dialog, item->controlId) == BST_CHECKED ? 1 : 0;
    if (value == SettingNumberOr(setting, settings, printerSettings, 0) ||
        !WriteSettingNumber(setting, settings, printerSettings, value))
        return 0;
    if (setting == kFidFaxOneHeader)
        DeriveCoverTitle(call, true);
    RedrawPreview(dialog);
    return 0;
}

// --- Lists ---------------------------------------------------------------------------------------

uint32_t OnCoverLocalListItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                              const void* parameters)
{
    const uint32_t result = OnComboBoxItem(call, message, wParam, lParam, item, parameters);
    if (IsShowMessage(message, lParam) && !JapaneseUi()) {
        HWND dialog = GetCallWindow(call);
        ApplyControlState(Control(dialog, item->controlId), kStateHidden);
        ApplyControlState(Control(dialog, item->controlId == kCoverNameTitleList ? kCoverNameTitleLabel
                                                                                 : kCoverCompanyTitleLabel),
                          kStateHidden);
    }
    return result;
}

uint32_t OnCoverOptionListItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                               const void* parameters)
{
    const uint32_t language = SettingNumber(call, kFidCoverLanguage);
    const uint32_t result = OnComboBoxItem(call, message, wParam, lParam, item, parameters);
    if (message == WM_COMMAND && HIWORD(wParam) == CBN_SELENDOK && SettingNumber(call, kFidCoverLanguage) != language)
        DeriveCoverTitle(call, true);
    if (IsShowMessage(message, lParam) && !JapaneseUi()) {
        // An option without a display text has no meaning outside the
        // Japanese interface: its row goes.
        HWND list = Control(GetCallWindow(call), item->controlId);
        const int count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i)
            if (SendMessageW(list, CB_GETLBTEXTLEN, i, 0) == 0) {
                if (SendMessageW(list, CB_GETCURSEL, 0, 0) != i)
                    SendMessageW(list, CB_DELETESTRING, i, 0);
                break;
            }
    }
    if (message == WM_COMMAND && HIWORD(wParam) == CBN_SELENDOK)
        RedrawPreview(GetCallWindow(call));
    return result;
}

uint32_t OnCoverChoiceItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                           const void* parameters)
{
    const uint32_t before = SettingNumber(call, kFidFaxCoverForm);
    const uint32_t result = OnComboBoxItem(call, message, wParam, lParam, item, parameters);
    if (message == WM_COMMAND && HIWORD(wParam) == CBN_SELENDOK) {
        // The choice is a byte setting the option rows give as numbers: the
        // chosen row's value is written as the number it is.
        HWND dialog = GetCallWindow(call);
        const OptionList* list = GetSelectedOptionList(dialog, item);
        const LRESULT index = SendDlgItemMessageW(dialog, item->controlId, CB_GETCURSEL, 0, 0);
        void* settings = nullptr;
        void* printerSettings = nullptr;
        if (SettingNumber(call, kFidFaxCoverForm) == before && list && list->rows && index >= 0 &&
            index < list->count && list->rows[index].value != before && SettingsOf(call, &settings, &printerSettings))
            WriteSettingNumber(kFidFaxCoverForm, settings, printerSettings,
                               static_cast<uint32_t>(list->rows[index].value));
        ShowFormName(call);
        RedrawPreview(GetCallWindow(call));
    }
    return result;
}

// --- Sender ----------------------------------------------------------------------------------------

HWND SenderList(HWND dialog)
{
    return Control(dialog, kCoverSenderList);
}

int NoSenderItem(HWND dialog)
{
    return static_cast<int>(SendMessageW(SenderList(dialog), CB_GETCOUNT, 0, 0)) - 1;
}

void PutSender(CallContext* call, const SenderEntry& entry)
{
    void* settings = nullptr;
    void* printerSettings = nullptr;
    if (SettingsOf(call, &settings, &printerSettings))
        PutSenderSettings(settings, printerSettings, &entry);
}

uint32_t OnCoverSenderListItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord*,
                               const void*)
{
    HWND dialog = GetCallWindow(call);
    HWND list = SenderList(dialog);
    switch (message) {
    case WM_INITDIALOG:
        FillSenderList(dialog, kCoverSenderList, kSenderListInCoverDialog);
        return 0;
    case WM_DRAWITEM:
        DrawSenderListItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return 1;
    case WM_DESTROY:
        FreeSenderList(list);
        return 0;
    case WM_COMMAND:
        break;
    default:
        return 0;
    }
    if (HIWORD(wParam) == CBN_SELENDOK) {
        const SenderEntry* entry = SenderListEntry(list, static_cast<int>(SendMessageW(list, CB_GETCURSEL, 0, 0)));
        if (entry) {
            PutSender(call, *entry);
            RefreshDialogFromSettings(call, kSenderSettings);
            RedrawPreview(dialog);
        }
    } else if (HIWORD(wParam) == CBN_CLOSEUP) {
        const std::wstring current = SettingString(call, kFidSenderName);
        int index = NoSenderItem(dialog);
        for (int i = 0; !current.empty() && i < NoSenderItem(dialog); ++i) {
            const SenderEntry* entry = SenderListEntry(list, i);
            if (entry && current == entry->sender.name) {
                index = i;
                break;
            }
        }
        SendMessageW(list, CB_SETCURSEL, index, 0);
    }
    return 0;
}

constexpr PageHeader kSenderHeader = {kSenderDialogTemplate, 0, SenderInfoDialogProc, kSenderDialogCode,
                                      kNoControl, 0, nullptr, 0};
constexpr SubDialogParams kSenderSub = {&kSenderHeader, 0, 0, kDialogTypeModal};
constexpr ButtonParams kOpenSender = {kActionSubDialog, &kSenderSub};

uint32_t OnOpenSenderDialogItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                                const void*)
{
    HWND dialog = GetCallWindow(call);
    const uint32_t result = OnPushButtonItem(call, message, wParam, lParam, item, &kOpenSender);
    if (IsShowMessage(message, lParam) || message == WM_INITDIALOG) {
        const FaxUiState* state = GetWindowFaxUiState(dialog);
        if (state && state->senderLocked)
            ApplyControlState(Control(dialog, item->controlId), kStateDisabled);
    }
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        FillSenderList(dialog, kCoverSenderList, kSenderListInCoverDialog);
        RedrawPreview(dialog);
    }
    return result;
}

// The dialog-level events: the sender dialog opens by itself when the sample
// print or the page asked for it.
uint32_t OnCoverSheetShown(CallContext* call, UINT message, WPARAM, LPARAM lParam, const ItemRecord*, const void*)
{
    if (message != WM_WINDOWPOSCHANGED)
        return 0;
    HWND dialog = GetCallWindow(call);
    const auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
    FaxUiState* state = GetWindowFaxUiState(dialog);
    if (!state || !position || !(position->flags & SWP_SHOWWINDOW))
        return 0;
    if (state->senderDialogRequest == 1) {
        state->senderDialogRequest = 0;
        Click(dialog, kCoverSenderButton, true);
    } else if (state->senderDialogRequest == 2) {
        Click(dialog, kCoverSenderButton, true);
    }
    return 0;
}

// --- Forms button, OK and Defaults -----------------------------------------------------------

constexpr SubDialogParams kFormsSub = {&CoverFormsHeader, 0, 0, kDialogTypeModal};
constexpr ButtonParams kOpenForms = {kActionSubDialog, &kFormsSub};

uint32_t OnCoverFormsButton(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                            const void*)
{
    const uint32_t result = OnPushButtonItem(call, message, wParam, lParam, item, &kOpenForms);
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        ShowFormName(call);
        RedrawPreview(GetCallWindow(call));
    }
    return result;
}

bool RunValidation(CallContext* call)
{
    HWND dialog = GetCallWindow(call);
    const ItemRecord* records = nullptr;
    int32_t count = 0;
    GetDialogItemTable(dialog, static_cast<int32_t>(GetCallDialogCode(call)), &records, &count);
    const bool accepted = RunItemEventHandlers(call, kEngineValidate, 0, 0, records, count, 0) == 0;
    SetCallMessage(call, WM_COMMAND);
    return accepted;
}

uint32_t OnCoverSheetOk(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                        const void* parameters)
{
    if (message != WM_COMMAND)
        return OnPushButtonItem(call, message, wParam, lParam, item, parameters);
    HWND dialog = GetCallWindow(call);
    if (!RunValidation(call))
        return 0;
    const uint32_t choice = SettingNumber(call, kFidFaxCoverForm);
    if ((choice == 1 || choice == 2) && !FormOpens(SettingString(call, kFidCoverFormPath))) {
        Message(dialog, kMessageCoverFormMissing);
        return 0;
    }
    FreeSenderList(SenderList(dialog));
    return OnPushButtonItem(call, message, wParam, lParam, item, parameters);
}

uint32_t OnCoverSheetDefaults(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                              const void* parameters)
{
    if (message == WM_COMMAND) {
        HWND dialog = GetCallWindow(call);
        SendMessageW(SenderList(dialog), CB_SETCURSEL, NoSenderItem(dialog), 0);
        PutSender(call, SenderEntry{});
        SetDlgItemTextW(dialog, kCoverLineEdit, L"");
        SetDlgItemTextW(dialog, kCoverBodyEdit, L"");
        if (FaxDestinations* record = GetDialogFaxDestinations(dialog)) {
            record->headerText1[0] = L'\0';
            record->headerText2[0] = L'\0';
        }
    }
    const uint32_t result = OnPushButtonItem(call, message, wParam, lParam, item, parameters);
    if (message == WM_COMMAND)
        RedrawPreview(GetCallWindow(call));
    return result;
}

constexpr PageHeader kNoticeHeader = {kFaxNoticeTemplate, 0, FaxNoticeDialogProc, kFaxNoticeCode, kNoControl,
                                      0, nullptr, 0};
constexpr SubDialogParams kNoticeSub = {&kNoticeHeader, 0, 0, kDialogTypeModal};
constexpr ButtonParams kOpenNotice = {kActionSubDialog, &kNoticeSub};
constexpr ButtonParams kOkButton = {kActionOk, nullptr};
constexpr ButtonParams kDefaultsButton = {kActionDefaults, nullptr};
constexpr ButtonParams kNoAction = {0, nullptr};

constexpr ItemSlot kChoiceSlots[] = {{kFidFaxCoverForm, 0}};
constexpr ItemSlot kLanguageSlots[] = {{kFidCoverLanguage, 0}};
constexpr ItemSlot kNumberSlots[] = {{kFidCoverNumber, 0}};
constexpr ItemSlot kOneForAllSlots[] = {{kFidFaxOneHeader, kEvaluateOnActivate | kEvaluateAfterChange}};
constexpr ItemSlot kTitleSlots[] = {{kFidCoverTitle, 0}};
constexpr ItemSlot kNameTitleSlots[] = {{kFidCoverNameTitle, 0}};
constexpr ItemSlot kCompanyTitleSlots[] = {{kFidCoverCompanyTitle, 0}};
constexpr ItemSlot kOtherLayoutSlots[] = {{kFidCoverOtherLayout, kEvaluateOnActivate | kEvaluateAfterChange}};
constexpr ListItemParams kComboParams = {kRowsOfOptions, 0, 0, 0, nullptr, nullptr, nullptr};
constexpr uint32_t kEditChecks = kCheckAtKillFocus | kCheckAtValidate;
constexpr EditFieldParams kNumberEdit = {0, 4, nullptr, nullptr, kEditChecks, nullptr};
constexpr EditFieldParams kTitleEdit = {0, kTitleChars, nullptr, nullptr, kEditChecks, nullptr};

const ItemRecord kCoverRecords[] = {
    {kPageItemId, -1, nullptr, kKindNone, OnCoverSheetShown, nullptr, kNoControl, kNoControl, nullptr},
    {kCoverChoiceList, 1, kChoiceSlots, kKindComboBox, OnCoverChoiceItem, &kComboParams, kCoverChoiceLabel,
     kNoControl, nullptr},
    {kCoverFormName, -1, nullptr, kKindEdit, OnCoverFormNameItem, nullptr, kCoverFormLabel, kNoControl, nullptr},
    {kCoverFormsButton, 0, nullptr, kKindPushButton, OnCoverFormsButton, &kOpenForms, kNoControl, kNoControl,
     nullptr},
    {kCoverPreview, -1, nullptr, kKindNone, OnCoverPreviewItem, nullptr, kCoverPreviewLabel, kNoControl, nullptr},
    {kCoverLineEdit, -1, nullptr, kKindEdit, OnCoverLineItem, nullptr, kCoverLineLabel, kNoControl, nullptr},
    {kCoverBodyEdit, -1, nullptr, kKindEdit, OnCoverBodyItem, nullptr, kCoverBodyLabel, kNoControl, nullptr},
    {kCoverSenderList, -1, nullptr, kKindComboBox, OnCoverSenderListItem, nullptr, kCoverSenderLabel, kNoControl,
     nullptr},
    {kCoverLanguageList, 1, kLanguageSlots, kKindComboBox, OnCoverOptionListItem, &kComboParams, kNoControl,
     kNoControl, nullptr},
    {kCoverNumberEdit, 1, kNumberSlots, kKindEdit, OnCoverNumberItem, &kNumberEdit, kCoverNumberLabel, kNoControl,
     nullptr},
    {kCoverSenderButton, 0, nullptr, kKindPushButton, OnOpenSenderDialogItem, &kOpenSender, kNoControl, kNoControl,
     nullptr},
    {kCoverOneForAll, 1, kOneForAllSlots, kKindCheckBox, OnCoverFlagItem, nullptr, kNoControl, kNoControl, nullptr},
    {kCoverTitleEdit, 1, kTitleSlots, kKindEdit, OnCoverDerivedTextItem, &kTitleEdit, kCoverTitleLabel, kNoControl,
     nullptr},
    {kCoverCompanyTitleList, 1, kCompanyTitleSlots, kKindComboBox, OnCoverLocalListItem, &kComboParams, kNoControl,
     kNoControl, nullptr},
    {kCoverNameTitleList, 1, kNameTitleSlots, kKindComboBox, OnCoverLocalListItem, &kComboParams, kNoControl,
     kNoControl, nullptr},
    {kCoverOtherLayout, 1, kOtherLayoutSlots, kKindCheckBox, OnCoverFlagItem, nullptr, kNoControl, kNoControl, nullptr},
    {kCoverSampleButton, 0, nullptr, kKindPushButton, PrintCoverSheetSample, &kNoAction, kNoControl, kNoControl,
     nullptr},
    {kFaxOkButton, 0, nullptr, kKindPushButton, OnCoverSheetOk, &kOkButton, kNoControl, kNoControl, nullptr},
    {kFaxDefaultsButton, 0, nullptr, kKindPushButton, OnCoverSheetDefaults, &kDefaultsButton, kNoControl, kNoControl,
     nullptr},
    {kCoverNoticeButton, 0, nullptr, kKindPushButton, nullptr, &kOpenNotice, kNoControl, kNoControl, nullptr},
};

constexpr HelpMapEntry kCoverHelp[] = {
    {kCoverLineEdit, 37100},        {kCoverLineLabel, 37100},       {kCoverBodyEdit, 37200},
    {kCoverBodyLabel, 37200},       {kCoverSenderList, 36600},      {kCoverSenderLabel, 36600},
    {kCoverTitleEdit, 37500},       {kCoverTitleLabel, 37500},      {kCoverCompanyTitleList, 37600},
    {kCoverCompanyTitleLabel, 37600}, {kCoverNameTitleList, 37700}, {kCoverNameTitleLabel, 37700},
    {kCoverLanguageList, 36800},    {kCoverLanguageLabel, 36800},   {kCoverNumberEdit, 36900},
    {kCoverNumberLabel, 36900},     {kCoverNumberUnit, 36900},      {kCoverSenderButton, 36700},
    {kCoverOneForAll, 37400},       {kCoverChoiceList, 39600},      {kCoverChoiceLabel, 39600},
    {kCoverFormsButton, 36400},     {kCoverOtherLayout, 37800},     {kCoverSampleButton, 37900},
    {kCoverFormLabel, 36300},       {kCoverFormName, 36300},        {kCoverPreview, 36500},
    {kCoverPreviewLabel, 37300},    {kFaxOkButton, 1520},           {kFaxCancelButton, 1530},
    {kFaxDefaultsButton, 1540},     {kFaxHelpButton, 7777},         {0, 0},
};
constexpr int32_t kNoLockedControls[] = {kNoControl};
const ItemTableHeader kCoverTable = {kCoverRecords, static_cast<uint32_t>(std::size(kCoverRecords)), kPageHelpTopic,
                                     kCoverHelp, kNoLockedControls, 0};

// --- The cover form dialog -----------------------------------------------------------------

using FormPath = wchar_t[kCoverPathChars];

HWND FormList(HWND dialog)
{
    return Control(dialog, kCoverFormList);
}

int FormCount(HWND dialog)
{
    const LRESULT count = SendMessageW(FormList(dialog), CB_GETCOUNT, 0, 0);
    return count == CB_ERR ? 0 : static_cast<int>(count);
}

const wchar_t* FormAt(HWND dialog, int index)
{
    const LRESULT data = SendMessageW(FormList(dialog), CB_GETITEMDATA, index, 0);
    return data == CB_ERR ? nullptr : reinterpret_cast<const wchar_t*>(data);
}

// An item owning a copy of the path, its text the form's name.
int InsertForm(HWND dialog, int at, const wchar_t* path)
{
    auto* copy = static_cast<wchar_t*>(GlobalAlloc(GPTR, sizeof(FormPath)));
    if (!copy)
        return -1;
    std::wcsncpy(copy, path, kCoverPathChars - 1);
    wchar_t name[kCoverPathChars] = {};
    SplitFormPath(copy, nullptr, 0, name, std::size(name));
    const LRESULT index = SendMessageW(FormList(dialog), CB_INSERTSTRING, at, reinterpret_cast<LPARAM>(name));
    if (index == CB_ERR || index == CB_ERRSPACE) {
        GlobalFree(copy);
        return -1;
    }
    SendMessageW(FormList(dialog), CB_SETITEMDATA, index, reinterpret_cast<LPARAM>(copy));
    return static_cast<int>(index);
}

void RemoveForm(HWND dialog, int index)
{
    if (const wchar_t* path = FormAt(dialog, index))
        GlobalFree(const_cast<wchar_t*>(path));
    SendMessageW(FormList(dialog), CB_DELETESTRING, index, 0);
}

void FreeForms(HWND dialog)
{
    for (int i = FormCount(dialog) - 1; i >= 0; --i)
        RemoveForm(dialog, i);
}

int FindForm(HWND dialog, const std::wstring& path)
{
    for (int i = 0; i < FormCount(dialog); ++i)
        if (const wchar_t* at = FormAt(dialog, i); at && path == at)
            return i;
    return -1;
}

void ShowFolder(HWND dialog, const wchar_t* path)
{
    wchar_t folder[kCoverPathChars] = {};
    if (path)
        SplitFormPath(path, folder, std::size(folder), nullptr, 0);
    SetDlgItemTextW(dialog, kCoverFolderEdit, folder);
}

int BuildFormsKeyPath(HWND dialog, wchar_t* out, size_t chars)
{
    SettingsContext* context = GetUiSettingsContext(GetWindowUiContext(dialog));
    if (!context || !context->main)
        return 0;
    wchar_t* base = nullptr;
    GetModelRegistryBase(context->main, 1, &base);
    GlobalBlockPtr<wchar_t> owner(base);
    if (!base || base[0] == L'\0')
        return 0;
    const int written = std::swprintf(out, chars, L"%ls%ls", base, kCoverSheetFormsKey);
    return written > 0 && static_cast<size_t>(written) < chars ? 1 : 0;
}

void FillForms(CallContext* call)
{
    HWND dialog = GetCallWindow(call);
    std::vector<FormPath> stored(kCoverFormsLimit);
    wchar_t key[kFaxKeyPathChars] = {};
    int count = 0;
    if (BuildFormsKeyPath(dialog, key, std::size(key)))
        count = ReadNumberedStrings(key, kCoverSheetFormPrefix, &stored[0][0], kCoverPathChars, kCoverFormsLimit);
    const std::wstring chosen = SettingString(call, kFidCoverFormPath);
    std::vector<FormPath> ordered(kCoverFormsLimit);
    const int n = OrderCoverForms(stored.data(), count < 0 ? 0 : count, chosen.c_str(), ordered.data());
    for (int i = 0; i < n; ++i)
        InsertForm(dialog, -1, ordered[i]);
    const int selected = chosen.empty() ? -1 : 0;
    SendMessageW(FormList(dialog), CB_SETCURSEL, selected, 0);
    ShowFolder(dialog, selected == 0 ? FormAt(dialog, 0) : nullptr);
}

uint32_t OnCoverFormListItem(CallContext* call, UINT message, WPARAM wParam, LPARAM, const ItemRecord*, const void*)
{
    HWND dialog = GetCallWindow(call);
    if (message == WM_INITDIALOG) {
        FillForms(call);
    } else if (message == WM_DESTROY) {
        FreeForms(dialog);
    } else if (message == WM_COMMAND && HIWORD(wParam) == CBN_SELENDOK) {
        const int index = static_cast<int>(SendMessageW(FormList(dialog), CB_GETCURSEL, 0, 0));
        if (const wchar_t* path = FormAt(dialog, index)) {
            SetSettingString(call, kFidCoverFormPath, path);
            ShowFolder(dialog, path);
        }
    } else if (message == WM_COMMAND && HIWORD(wParam) == CBN_CLOSEUP) {
        SendMessageW(FormList(dialog), CB_SETCURSEL, FindForm(dialog, SettingString(call, kFidCoverFormPath)), 0);
    }
    return 0;
}

constexpr FileDialogParams kFormFile = {kNoControl, 1, 260, 260, 260, kMessageByteLimit, 0, kFidCoverFormPath,
                                        kNoControl, 0, kNoControl, -1, kNoControl, nullptr, 0, 0,
                                        kFidCoverFormPath, 0, nullptr, nullptr};
constexpr ButtonParams kChooseForm = {kActionOpenFile, &kFormFile};

uint32_t OnBrowseCoverFormItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                               const void*)
{
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED)
        return OnPushButtonItem(call, message, wParam, lParam, item, &kChooseForm);
    HWND dialog = GetCallWindow(call);
    const std::wstring before = SettingString(call, kFidCoverFormPath);
    const uint32_t result = OnPushButtonItem(call, message, wParam, lParam, item, &kChooseForm);
    const std::wstring chosen = SettingString(call, kFidCoverFormPath);
    if (chosen == before)
        return result;
    if (!IsAcceptedFormPath(chosen.c_str())) {
        Message(dialog, kMessageBadFormPath);
        SetSettingString(call, kFidCoverFormPath, before);
        return result;
    }
    int index = FindForm(dialog, chosen);
    if (index < 0) {
        if (FormCount(dialog) >= kCoverFormsLimit)
            RemoveForm(dialog, FormCount(dialog) - 1);
        index = InsertForm(dialog, 0, chosen.c_str());
    }
    SendMessageW(FormList(dialog), CB_SETCURSEL, index, 0);
    ShowFolder(dialog, chosen.c_str());
    return result;
}

uint32_t OnCoverFormsDefaults(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                              const void* parameters)
{
    if (message == WM_COMMAND) {
        HWND dialog = GetCallWindow(call);
        SetDlgItemTextW(dialog, kCoverFolderEdit, L"");
        SendMessageW(FormList(dialog), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        SetSettingString(call, kFidCoverFormPath, L"");
    }
    return OnPushButtonItem(call, message, wParam, lParam, item, parameters);
}

uint32_t OnCoverFormsOk(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                        const void* parameters)
{
    if (message != WM_COMMAND)
        return OnPushButtonItem(call, message, wParam, lParam, item, parameters);
    HWND dialog = GetCallWindow(call);
    if (!FormOpens(SettingString(call, kFidCoverFormPath))) {
        Message(dialog, kMessageFormUnreadable);
        return 0;
    }
    // The chosen form moves to the top: the stored list is the most recent first.
    const int selected = static_cast<int>(SendMessageW(FormList(dialog), CB_GETCURSEL, 0, 0));
    if (selected > 0) {
        const std::wstring path = FormAt(dialog, selected);
        RemoveForm(dialog, selected);
        InsertForm(dialog, 0, path.c_str());
    }
    std::vector<const wchar_t*> paths;
    for (int i = 0; i < FormCount(dialog); ++i)
        if (const wchar_t* path = FormAt(dialog, i))
            paths.push_back(path);
    wchar_t key[kFaxKeyPathChars] = {};
    if (BuildFormsKeyPath(dialog, key, std::size(key)))
        WriteNumberedStrings(key, kCoverSheetFormPrefix, paths.data(), static_cast<int>(paths.size()));
    FreeForms(dialog);
    return OnPushButtonItem(call, message, wParam, lParam, item, parameters);
}

uint32_t OnCoverFolderItem(CallContext*, UINT, WPARAM, LPARAM, const ItemRecord*, const void*)
{
    return 0;
}

const ItemRecord kFormRecords[] = {
    {kCoverFolderEdit, -1, nullptr, kKindEdit, OnCoverFolderItem, nullptr, kCoverFolderLabel, kNoControl, nullptr},
    {kCoverFormList, -1, nullptr, kKindComboBox, OnCoverFormListItem, nullptr, kCoverFormListLabel, kNoControl,
     nullptr},
    {kCoverBrowseButton, 0, nullptr, kKindPushButton, OnBrowseCoverFormItem, &kChooseForm, kNoControl, kNoControl,
     nullptr},
    {kFaxDefaultsButton, 0, nullptr, kKindPushButton, OnCoverFormsDefaults, &kDefaultsButton, kNoControl, kNoControl,
     nullptr},
    {kFaxOkButton, 0, nullptr, kKindPushButton, OnCoverFormsOk, &kOkButton, kNoControl, kNoControl, nullptr},
};
constexpr HelpMapEntry kFormHelp[] = {
    {kCoverFormsGroup, 34000},   {kCoverFormListLabel, 34000}, {kCoverFormList, 37000}, {kCoverFormListNote, 37000},
    {kCoverFolderEdit, 35000},   {kCoverFolderLabel, 35000},   {kCoverBrowseButton, 36000}, {kFaxOkButton, 1520},
    {kFaxCancelButton, 1530},    {kFaxDefaultsButton, 1540},   {kFaxHelpButton, 7777},  {0, 0},
};
const ItemTableHeader kFormTable = {kFormRecords, static_cast<uint32_t>(std::size(kFormRecords)), kPageHelpTopic,
                                    kFormHelp, kNoLockedControls, 0};

}  // namespace

const PageHeader CoverSheetHeader = {kCoverSheetTemplate, 0, CoverSheetDialogProc, kCoverSheetDialogCode,
                                     kNoControl, 0, nullptr, 0};
const PageHeader CoverFormsHeader = {kCoverFormsTemplate, 0, CoverSheetFormsDialogProc, kCoverFormsDialogCode,
                                     kNoControl, 0, nullptr, 0};
const PageDescriptor CoverSheetDialog = {kCoverSheetDialogCode, &kCoverTable, nullptr};
const PageDescriptor CoverFormsDialog = {kCoverFormsDialogCode, &kFormTable, nullptr};

INT_PTR CALLBACK CoverSheetDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunFaxModalDialogMessage(window, message, wParam, lParam, kCoverSheetDialogCode);
}

INT_PTR CALLBACK CoverSheetFormsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunFaxModalDialogMessage(window, message, wParam, lParam, kCoverFormsDialogCode);
}
