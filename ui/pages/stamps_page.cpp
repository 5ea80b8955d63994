#include "ui/pages/stamps_page.h"

#include "common/context/context_utilities.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/job/ansi_text.h"
#include "common/job/printer_stamp_store.h"
#include "common/job/stamp_store.h"
#include "common/settings/capability_bits.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "common/system/os_version.h"
#include "ui/controls/control_kinds.h"
#include "ui/controls/display_states.h"
#include "ui/controls/engine_steps.h"
#include "ui/controls/item_callbacks.h"
#include "ui/controls/kind_handlers.h"
#include "ui/docevent/stored_print_file.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/message_engine.h"
#include "ui/engine/ui_context.h"
#include "ui/entry/preferences_host.h"
#include "ui/pages/stamp_dialog_ids.h"
#include "ui/pages/stamp_preview.h"
#include "ui/support/font_faces.h"
#include "ui/support/resource_messages.h"
#include "ui/support/sub_dialog.h"

#include <commctrl.h>
#include <commdlg.h>
#include <winspool.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr uint16_t kFidStampColourChoice = 300;
constexpr uint16_t kFidStampColour = 301;
constexpr uint16_t kFidStampFrame = 302;
constexpr uint16_t kFidStampPosition = 303;
constexpr uint16_t kFidStampFace = 305;
constexpr uint16_t kFidStampItalic = 308;
constexpr uint16_t kFidStampFontItalic = 312;
constexpr uint16_t kFidStampFirstPage = 1286;
constexpr uint16_t kFidStampLight = 1287;
constexpr uint16_t kFidStampRepeat = 1288;
constexpr uint16_t kFidCustomColour = 1855;
constexpr uint16_t kFidAnnotationFirst = 1296;      // 1296-1301: which texts print
constexpr uint16_t kFidAnnotationPlaceFirst = 351;  // 351-356: where
constexpr uint16_t kFidAnnotationItalic = 361;
constexpr uint16_t kFidAnnotationColour = 373;
constexpr uint16_t kFidPrinterSettingsLock = 5138;
constexpr uint32_t kCustomColourChoice = 8;
constexpr int kAnnotationItems = 6;
constexpr int32_t kMinimumSize = 7, kMaximumSize = 600;
constexpr int32_t kAnnotationMinimumSize = 5, kAnnotationMaximumSize = 24;
constexpr int kAngleLimit = 180;  // degrees either way
constexpr uint32_t kKeepOpen = 1;
constexpr int kStoredFieldChars = 8;  // folder and label

constexpr UINT kStringColourFirst = 9470;      // 9470-9477: the seven colours and "custom"
constexpr UINT kStringAnnotationFirst = 9478;  // 9478-9483: the six texts
constexpr UINT kStringOn = 9484, kStringOff = 9485;
constexpr UINT kStringPositionFirst = 9486;  // 9486-9494: the nine places
constexpr UINT kStringEmptyList = 391;

// Position codes: horizontal code in bits 8-11, vertical in bits 0-3, each 1-3.
constexpr uint16_t PositionCode(int index)
{
    return static_cast<uint16_t>(((index % 3 + 1) << 8) | (index / 3 + 1));
}
int PositionIndex(uint16_t code)
{
    const int h = (code >> 8) & 0xF, v = code & 0xF;
    return h >= 1 && h <= 3 && v >= 1 && v <= 3 ? (v - 1) * 3 + (h - 1) : -1;
}

// The stamp settings a loaded stamp changes, refreshed together.
constexpr uint16_t kStampSettings[] = {kFidStampName,
                                       kFidStampDetail,
                                       kFidStampColour,
                                       kFidCustomColour,
                                       kFidStampLight,
                                       kFidStampFrame,
                                       kFidStampPosition,
                                       kFidStampRepeat,
                                       kFidStampColourChoice,
                                       kFidFont,
                                       kFidStampFace,
                                       kFidFontHeight,
                                       kFidFontWeight,
                                       kFidStampItalic,
                                       kFidFontEscapement,
                                       kFidFontOrientation,
                                       kFidFontAngle,
                                       312,
                                       313,
                                       314,
                                       315,
                                       316,
                                       317,
                                       318,
                                       kFidFontWidth,
                                       0};

std::wstring ResourceText(UINT id)
{
    wchar_t text[256] = {};
    if (HMODULE resources = GetResourceModule())
        LoadStringW(resources, id, text, 256);
    return text;
}

int Message(HWND window, UINT style, UINT id, const wchar_t* name = nullptr)
{
    if (!name)
        return ShowResourceMessageBox(window, kCaptionSettings, nullptr, style, static_cast<int>(id), nullptr);
    wchar_t* text = nullptr;
    LoadFormattedString(&text, 512, id, name);
    const int answer = ShowResourceMessageBox(window, kCaptionSettings, nullptr, style, kTextGiven, text ? text : name);
    if (text)
        GlobalFree(text);
    return answer;
}

// --- Settings -----------------------------------------------------------------------

std::wstring SettingText(void* settings, void* printer, uint16_t id)
{
    const uint64_t at = GetFunctionIdValuePointer(settings, printer, id, kTypeString);
    return at ? reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(at)) : L"";
}

bool SetText(void* settings, void* printer, uint16_t id, const wchar_t* text)
{
    return SetFunctionIdValueArgs(settings, printer, id, kTypeString,
                                  static_cast<uint32_t>((wcslen(text) + 1) * sizeof(wchar_t)), text) == 0;
}

uint32_t Number(void* settings, void* printer, uint16_t id)
{
    return SettingNumberOr(id, settings, printer, 0);
}

bool ReadFont(void* settings, void* printer, uint16_t id, LOGFONTW* font)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (GetFunctionIdValue(id, settings, printer, &type, &size, &holder) != 0 || type != kTypeLogFont || !holder)
        return false;
    std::memcpy(font, reinterpret_cast<const void*>(static_cast<uintptr_t>(holder)), sizeof(*font));
    return true;
}

bool WriteFont(void* settings, void* printer, uint16_t id, const LOGFONTW& font)
{
    return SetFunctionIdValueArgs(settings, printer, id, kTypeLogFont, sizeof(font), &font) == 0;
}

// --- The page's state ---------------------------------------------------------------

// Kept on the page window for the page's life; the sub-dialogs reach it
// through their owner.
constexpr wchar_t kStateProperty[] = L"MorvaStampsPage";
struct StampPageState {
    wchar_t startName[kStampNameChars];  // while the add dialog is open
    bool haveStartName;
    bool filling;  // controls being set from the settings
};

StampPageState* PageState(HWND window)
{
    for (HWND at = window; at;) {
        if (auto* state = static_cast<StampPageState*>(GetPropW(at, kStateProperty)))
            return state;
        DialogContext* context = GetDialogContext(at);
        HWND owner = context ? context->owner : nullptr;
        at = owner && owner != at ? owner : nullptr;
    }
    return nullptr;
}

struct Call {
    HWND window;
    UiContext* ui;
    void* settings;
    void* printer;
};

bool Data(CallContext* call, Call* d)
{
    d->window = GetCallWindow(call);
    d->ui = GetWindowUiContext(d->window);
    d->settings = nullptr;
    d->printer = nullptr;
    GetDialogSettings(d->window, &d->settings, &d->printer);
    return d->window && d->ui && d->ui->settings && d->settings;
}

void InvalidatePreview(HWND window)
{
    for (int id : {kStampPagePreview, kStampDialogPreview})
        if (HWND control = GetDlgItem(window, id))
            InvalidateRect(control, nullptr, FALSE);
}

bool HasStoredFiles(const UiContext* ui)
{
    const CapabilityBits* bits = ui ? GetModelCapabilityFlags(ui) : nullptr;
    return bits && TestCapabilityBit(bits, kCapStoredPrintFile);
}

}  // namespace

// --- Names and records --------------------------------------------------------------

int StampNameFromText(const wchar_t* text, UINT codePage, wchar_t name[kStampNameChars])
{
    if (!text || !name)
        return 0;
    name[0] = L'\0';
    const UINT page = codePage ? codePage : GetACP();
    const int bytes = WideCharToMultiByte(page, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return 0;
    std::vector<char> ansi(static_cast<size_t>(bytes));
    WideCharToMultiByte(page, 0, text, -1, ansi.data(), bytes, nullptr, nullptr);
    // Walked from the text's start: asking whether byte 32 alone is a lead
    // byte takes the trail byte of a character before it for one.
    const uint32_t kept = AnsiPrefixBytes(page, ansi.data(), static_cast<uint32_t>(bytes - 1), kStampNameBytes);
    const int chars =
        kept ? MultiByteToWideChar(page, 0, ansi.data(), static_cast<int>(kept), name, kStampNameChars - 1) : 0;
    if (kept && chars <= 0)
        return 0;
    name[chars] = L'\0';
    return 1;
}

void BuildStampRecord(void* settings, void* printer, StampRecord* record)
{
    *record = {};
    wcsncpy(record->name, SettingText(settings, printer, kFidStampName).c_str(), std::size(record->name) - 1);
    wcsncpy(record->text, SettingText(settings, printer, kFidStampDetail).c_str(), std::size(record->text) - 1);
    record->color = Number(settings, printer, kFidStampColour);
    record->valueA = Number(settings, printer, kFidStampColourChoice);
    record->valueB = Number(settings, printer, kFidStampLight);
    record->valueC = static_cast<uint16_t>(Number(settings, printer, kFidStampFrame));
    record->valueD = static_cast<uint16_t>(Number(settings, printer, kFidStampPosition));
    record->valueE = Number(settings, printer, kFidStampRepeat);
    ReadFont(settings, printer, kFidFont, &record->font);
}

int LoadStampSettings(const StampStoreLocation& at, const wchar_t* name, int mode, void* settings, void* printer)
{
    StampRecord record{};
    const wchar_t* asked = name && *name ? name : nullptr;
    if (GetStamp(at, asked, &record, mode == 2 || !asked) != kStampOk)
        return -3;
    if (mode == 0)
        record.name[0] = record.text[0] = L'\0';
    const bool ok = SetText(settings, printer, kFidStampName, record.name) &&
                    SetText(settings, printer, kFidStampDetail, record.text) &&
                    WriteSettingNumber(kFidStampColour, settings, printer, record.color) &&
                    WriteSettingNumber(kFidStampLight, settings, printer, record.valueB ? 1 : 0) &&
                    WriteSettingNumber(kFidStampFrame, settings, printer, record.valueC) &&
                    WriteSettingNumber(kFidStampPosition, settings, printer, record.valueD) &&
                    WriteSettingNumber(kFidStampRepeat, settings, printer, record.valueE ? 1 : 0) &&
                    WriteSettingNumber(kFidStampColourChoice, settings, printer, record.valueA) &&
                    WriteFont(settings, printer, kFidFont, record.font) &&
                    WriteSettingNumber(kFidStampItalic, settings, printer, record.font.lfItalic ? 1 : 0);
    return ok ? 0 : -1;
}

namespace {

// --- The stamps page ----------------------------------------------------------------

void FillStampList(const Call& d)
{
    HWND list = GetDlgItem(d.window, kStampList);
    if (!list)
        return;
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    StampStoreOf store(d.ui->printer, d.ui->settings);
    uint32_t count = 0, size = 0;
    ListStampNames(store.at, nullptr, nullptr, &size);
    std::vector<wchar_t> names(size / sizeof(wchar_t) + 2, L'\0');
    size = static_cast<uint32_t>(names.size() * sizeof(wchar_t));
    if (ListStampNames(store.at, names.data(), &count, &size) != kStampOk)
        return;
    const std::wstring current = SettingText(d.settings, d.printer, kFidStampName);
    for (const wchar_t* name = names.data(); *name; name += wcslen(name) + 1) {
        const LRESULT row = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        if (_wcsicmp(name, current.c_str()) == 0)
            SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    }
}

std::wstring SelectedListName(HWND window)
{
    HWND list = GetDlgItem(window, kStampList);
    const LRESULT row = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (row < 0)
        return L"";
    std::wstring name(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, row, 0)) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(name.data()));
    name.resize(wcslen(name.c_str()));
    return name;
}

constexpr int32_t kStoredFileControls[] = {
    kStoredFileGroup,  kStoredFileFolderLabel, kStoredFileOn,      kStoredFileName,  kStoredFileBrowse,
    kStoredFileFolder, kStoredFileResend,      kStoredFileLabelOn, kStoredFileLabel, kStoredFileNameLabel};
constexpr uint16_t kStoredFileSettings[] = {kFidStoredJobText, kFidStoredJobFolder, kFidStoredJobName, kFidPageLabelOn,
                                            kFidPageLabelText};

void ShowPageStates(const Call& d)
{
    if (d.ui->protectedMode)
        for (int32_t id : {kStampList, kStampAddButton, kStampEditButton, kStampDeleteButton, kStampFirstPageOnly})
            ApplyControlState(GetDlgItem(d.window, id), kStateDisabled);
    if (!HasStoredFiles(d.ui)) {
        for (int32_t id : kStoredFileControls)
            ApplyControlState(GetDlgItem(d.window, id), kStateHidden);
        for (uint16_t setting : kStoredFileSettings)
            SetSettingUiState(d.window, setting, kStateHidden);
    }
}

// Check boxes of the page and dialogs over flag settings.
struct CheckRow {
    int32_t control;
    uint16_t setting;
};
constexpr CheckRow kPageChecks[] = {{kStampFirstPageOnly, kFidStampFirstPage},
                                    {kStoredFileOn, kFidStoredJobText},
                                    {kStoredFileLabelOn, kFidPageLabelOn}};
// Edit fields of the page: control, setting, characters.
struct EditRow {
    int32_t control;
    uint16_t setting;
    int chars;
};
constexpr EditRow kPageEdits[] = {{kStoredFileFolder, kFidStoredJobName, kStoredFieldChars},
                                  {kStoredFileName, kFidStoredJobFolder, 127},
                                  {kStoredFileLabel, kFidPageLabelText, kStoredFieldChars}};

void ShowPageValues(const Call& d)
{
    StampPageState* state = PageState(d.window);
    if (state)
        state->filling = true;
    for (const CheckRow& row : kPageChecks)
        CheckDlgButton(d.window, row.control, Number(d.settings, d.printer, row.setting) ? BST_CHECKED : BST_UNCHECKED);
    for (const EditRow& row : kPageEdits) {
        SendDlgItemMessageW(d.window, row.control, EM_LIMITTEXT, static_cast<WPARAM>(row.chars), 0);
        SetDlgItemTextW(d.window, row.control, SettingText(d.settings, d.printer, row.setting).c_str());
    }
    if (state)
        state->filling = false;
    InvalidatePreview(d.window);
}

// The document's stamp against the stored one of its name, when the page opens.
void CheckDocumentStamp(const Call& d)
{
    StampRecord record{};
    BuildStampRecord(d.settings, d.printer, &record);
    if (!record.name[0])
        return;
    StampStoreOf store(d.ui->printer, d.ui->settings);
    const int compared = StampEqualsStored(store.at, &record);
    if (compared == kStampNotFound) {
        if (CanAddStamp(store.at, record.name) == kStampOk) {
            Message(d.window, MB_OK | MB_ICONEXCLAMATION, kMessageStampAdded);
            SaveStamp(store.at, &record);
        } else {
            Message(d.window, MB_OK | MB_ICONEXCLAMATION, kMessageStampNotAdded);
            LoadStampSettings(store.at, nullptr, 0, d.settings, d.printer);
        }
    } else if (compared == kStampDiffers) {
        if (Message(d.window, MB_OKCANCEL | MB_ICONEXCLAMATION, kMessageStampDiffers) == IDOK)
            SaveStamp(store.at, &record);
        else
            LoadStampSettings(store.at, record.name, 1, d.settings, d.printer);
    }
}

// Message 447 with the field's label (without its access key and colon) and
// its length range; the focus goes to the field.
void TellFieldEmpty(const Call& d, int32_t labelControl, int32_t field)
{
    wchar_t label[64] = {};
    GetDlgItemTextW(d.window, labelControl, label, 64);
    std::wstring shown;
    for (const wchar_t* c = label; *c; ++c)
        if (*c != L'&' && *c != L':')
            shown += *c;
    wchar_t* text = nullptr;
    LoadFormattedString(&text, 256, kMessageFolderMissing, shown.c_str(), 1, kStoredFieldChars);
    ShowResourceMessageBox(d.window, kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION, kTextGiven,
                           text ? text : L"");
    if (text)
        GlobalFree(text);
    SetFocus(GetDlgItem(d.window, field));
}

// Leaving the page: a switched-on folder or label must not be empty. True
// keeps the page.
bool StoredFieldsRefused(const Call& d)
{
    if (!HasStoredFiles(d.ui))
        return false;
    const struct {
        uint16_t on;
        uint16_t text;
        int32_t label;
        int32_t field;
    } rules[] = {{kFidStoredJobText, kFidStoredJobName, kStoredFileFolderLabel, kStoredFileFolder},
                 {kFidPageLabelOn, kFidPageLabelText, kStoredFileLabelOn, kStoredFileLabel}};
    for (const auto& rule : rules) {
        if (Number(d.settings, d.printer, rule.on) == 1 && SettingText(d.settings, d.printer, rule.text).empty()) {
            TellFieldEmpty(d, rule.label, rule.field);
            return true;
        }
    }
    return false;
}

uint32_t OnStampsPageItem(CallContext* call, UINT message, WPARAM, LPARAM lParam, const ItemRecord*, const void*)
{
    Call d{};
    if (!Data(call, &d))
        return 0;
    if (message == WM_INITDIALOG) {
        if (!GetPropW(d.window, kStateProperty)) {
            auto* state = static_cast<StampPageState*>(GlobalAlloc(GPTR, sizeof(StampPageState)));
            if (state)
                SetPropW(d.window, kStateProperty, state);
        }
        d.ui->protectedMode = IsProtectedModeProcess() ? 1 : 0;
        CheckDocumentStamp(d);
        return 0;
    }
    if (message == WM_DESTROY) {
        if (auto* state = static_cast<StampPageState*>(RemovePropW(d.window, kStateProperty)))
            GlobalFree(state);
        return 0;
    }
    if (SheetNotification(message, lParam) == PSN_KILLACTIVE)
        return StoredFieldsRefused(d) ? kKeepOpen : 0;
    if (IsShowMessage(message, lParam)) {
        FillStampList(d);
        ShowPageValues(d);
        ShowPageStates(d);
    }
    return 0;
}

uint32_t OnStampListItem(CallContext* call, UINT message, WPARAM wParam, LPARAM, const ItemRecord*, const void*)
{
    Call d{};
    if (message != WM_COMMAND || !Data(call, &d))
        return 0;
    if (HIWORD(wParam) == LBN_DBLCLK) {
        if (IsWindowEnabled(GetDlgItem(d.window, kStampEditButton)))
            PostMessageW(d.window, WM_COMMAND, MAKEWPARAM(kStampEditButton, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(d.window, kStampEditButton)));
        return 0;
    }
    if (HIWORD(wParam) != LBN_SELCHANGE)
        return 0;
    const std::wstring name = SelectedListName(d.window);
    StampStoreOf store(d.ui->printer, d.ui->settings);
    LoadStampSettings(store.at, name.c_str(), name.empty() ? 0 : 1, d.settings, d.printer);
    SetSettingsChangedFlag(d.ui, 1);
    PropSheet_Changed(GetParent(d.window), d.window);
    InvalidatePreview(d.window);
    return 0;
}

uint32_t OnStampAddEditButton(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                              const void* parameters)
{
    Call d{};
    if (message != WM_COMMAND || !Data(call, &d))
        return OnPushButtonItem(call, message, wParam, lParam, item, parameters);
    SetUiEditingFlag(d.ui, 1);
    const uint32_t result = OnPushButtonItem(call, message, wParam, lParam, item, parameters);
    if (StampPageState* state = PageState(d.window))
        state->haveStartName = false;
    SetUiEditingFlag(d.ui, 0);
    Call after{};
    if (Data(call, &after)) {
        FillStampList(after);
        ShowPageValues(after);
    }
    return result;
}

uint32_t OnStampDeleteButton(CallContext* call, UINT message, WPARAM, LPARAM, const ItemRecord*, const void*)
{
    Call d{};
    if (message != WM_COMMAND || !Data(call, &d))
        return 0;
    const std::wstring name = SettingText(d.settings, d.printer, kFidStampName);
    StampStoreOf store(d.ui->printer, d.ui->settings);
    // A default stamp is not offered for deletion.
    if (name.empty() || FindStamp(store.at, name.c_str()) != kStampOk)
        return 0;
    if (Message(d.window, MB_OKCANCEL | MB_ICONEXCLAMATION, kMessageDeleteStamp, name.c_str()) != IDOK)
        return 0;
    if (DeleteStamp(store.at, name.c_str()) != kStampOk)
        return 0;
    LoadStampSettings(store.at, nullptr, 0, d.settings, d.printer);
    FillStampList(d);
    ShowPageValues(d);
    SetFocus(GetDlgItem(d.window, kStampList));
    return 0;
}

uint32_t OnCheckItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item, const void*)
{
    Call d{};
    if (!Data(call, &d) || !item || item->slotCount != 1 || !item->slots)
        return 0;
    const uint16_t setting = item->slots[0].setting;
    if (IsShowMessage(message, lParam))
        CheckDlgButton(d.window, item->controlId, Number(d.settings, d.printer, setting) ? BST_CHECKED : BST_UNCHECKED);
    else if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        WriteSettingNumber(setting, d.settings, d.printer,
                           IsDlgButtonChecked(d.window, item->controlId) == BST_CHECKED ? 1 : 0);
        InvalidatePreview(d.window);
    }
    return 0;
}

uint32_t OnTextItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item, const void*)
{
    Call d{};
    if (!Data(call, &d) || !item || item->slotCount != 1 || !item->slots)
        return 0;
    StampPageState* state = PageState(d.window);
    const uint16_t setting = item->slots[0].setting;
    if (IsShowMessage(message, lParam)) {
        if (state)
            state->filling = true;
        SetDlgItemTextW(d.window, item->controlId, SettingText(d.settings, d.printer, setting).c_str());
        if (state)
            state->filling = false;
    } else if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE && !(state && state->filling)) {
        wchar_t text[256] = {};
        GetDlgItemTextW(d.window, item->controlId, text, 256);
        SetText(d.settings, d.printer, setting, text);
        InvalidatePreview(d.window);
    }
    return 0;
}

// The path of the stored print file: folder, backslash, name, extension.
std::wstring StoredFilePath(const std::wstring& folder, const std::wstring& name)
{
    std::wstring path = folder;
    if (path.back() != L'\\')
        path += L'\\';
    return path + name + L"." + ResourceText(kStringPrintFileExtension);
}

uint32_t OnResendButton(CallContext* call, UINT message, WPARAM, LPARAM, const ItemRecord*, const void*)
{
    Call d{};
    if (message != WM_COMMAND || !Data(call, &d))
        return 0;
    HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    const std::wstring folder = SettingText(d.settings, d.printer, kFidStoredJobName);
    if (!folder.empty()) {
        CachePortName(d.ui);
        const std::wstring path = StoredFilePath(folder, SettingText(d.settings, d.printer, kFidStoredJobFolder));
        if (ResendStoredPrintFile(d.ui->settings, d.settings, d.printer, path.c_str(), d.ui->printerName,
                                  d.ui->portName, 1) == kResendNoFile) {
            Message(d.window, MB_OK | MB_ICONEXCLAMATION, kMessageResendFailed);
            SetFocus(GetDlgItem(d.window, kStoredFileFolder));
        }
    } else {
        TellFieldEmpty(d, kStoredFileFolderLabel, kStoredFileFolder);
    }
    SetCursor(old);
    return 0;
}

// The open-file dialog of the push button, then the fields shown again.
uint32_t OnBrowseButton(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                        const void* parameters)
{
    const uint32_t result = OnPushButtonItem(call, message, wParam, lParam, item, parameters);
    Call d{};
    if (message == WM_COMMAND && Data(call, &d))
        ShowPageValues(d);
    return result;
}

// --- The stamp add and edit dialog --------------------------------------------------

struct FaceList {
    FontFamilyList* list = nullptr;
    ~FaceList() { FreeFontFamilyList(list); }
};

void FillFaceBox(HWND window, int32_t control, const UiContext* ui, const wchar_t* current)
{
    HWND box = GetDlgItem(window, control);
    SendMessageW(box, CB_RESETCONTENT, 0, 0);
    FaceList faces;
    faces.list = EnumerateFontFamilyList(ui->settings);
    if (faces.list) {
        for (FontFamilyNode* node = faces.list->first; node; node = node->next)
            if (node->face && node->face[0] != L'@')
                SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(node->face));
        for (uint32_t i = 0; i < faces.list->modelCount; ++i) {
            const wchar_t* name = faces.list->modelNames[i];
            if (name[0] && name[0] != L'@' &&
                SendMessageW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name)) ==
                    CB_ERR)
                SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        }
    }
    if (current && *current &&
        SendMessageW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(current)) == CB_ERR)
        SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(current));
    SendMessageW(box, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(current));
}

// The chosen face with the character set and pitch of the installed family.
void ChooseFace(const Call& d, uint16_t fontSetting, const wchar_t* face)
{
    LOGFONTW font{};
    if (!ReadFont(d.settings, d.printer, fontSetting, &font))
        return;
    wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    font.lfFaceName[LF_FACESIZE - 1] = L'\0';
    FaceList faces;
    faces.list = EnumerateFontFamilyList(d.ui->settings);
    for (FontFamilyNode* node = faces.list ? faces.list->first : nullptr; node; node = node->next)
        if (node->face && wcscmp(node->face, face) == 0) {
            font.lfCharSet = node->logFont.lfCharSet;
            font.lfPitchAndFamily = node->logFont.lfPitchAndFamily;
            font.lfOutPrecision = node->logFont.lfOutPrecision;
            font.lfClipPrecision = node->logFont.lfClipPrecision;
            break;
        }
    WriteFont(d.settings, d.printer, fontSetting, font);
}

// Selects the face, adding it when the list lacks it (a face the document
// names need not be installed here).
void SelectFace(HWND window, int32_t control, const wchar_t* face)
{
    HWND box = GetDlgItem(window, control);
    if (!face || !*face)
        return;
    if (SendMessageW(box, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(face)) == CB_ERR) {
        SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(face));
        SendMessageW(box, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(face));
    }
}

constexpr int32_t kStampSizes[] = {8, 10, 12, 14, 18, 24, 36, 48, 72, 96, 144, 200};

void ShowStampControls(const Call& d)
{
    StampPageState* state = PageState(d.window);
    if (state)
        state->filling = true;
    HWND w = d.window;
    SendDlgItemMessageW(w, kStampNameEdit, EM_LIMITTEXT, kStampNameChars - 1, 0);
    SendDlgItemMessageW(w, kStampTextEdit, EM_LIMITTEXT, 64, 0);
    SetDlgItemTextW(w, kStampNameEdit, SettingText(d.settings, d.printer, kFidStampName).c_str());
    SetDlgItemTextW(w, kStampTextEdit, SettingText(d.settings, d.printer, kFidStampDetail).c_str());
    LOGFONTW font{};
    ReadFont(d.settings, d.printer, kFidFont, &font);
    SelectFace(w, kStampFaceBox, font.lfFaceName);
    SetDlgItemInt(w, kStampSizeBox,
                  static_cast<UINT>(std::abs(static_cast<int32_t>(Number(d.settings, d.printer, kFidFontHeight)))),
                  FALSE);
    CheckDlgButton(w, kStampBold, static_cast<int32_t>(Number(d.settings, d.printer, kFidFontWeight)) >= FW_BOLD);
    CheckDlgButton(w, kStampItalic, Number(d.settings, d.printer, kFidStampItalic) != 0);
    CheckDlgButton(w, kStampRepeat, Number(d.settings, d.printer, kFidStampRepeat) != 0);
    CheckDlgButton(w, kStampLightColour, Number(d.settings, d.printer, kFidStampLight) != 0);
    SendDlgItemMessageW(w, kStampColourBox, CB_SETCURSEL,
                        static_cast<WPARAM>(Number(d.settings, d.printer, kFidStampColourChoice)) - 1, 0);
    const uint32_t frame = Number(d.settings, d.printer, kFidStampFrame);
    CheckRadioButton(w, kStampFrameNone, kStampFrameCircle,
                     frame == 1   ? kStampFrameBox
                     : frame == 2 ? kStampFrameCircle
                                  : kStampFrameNone);
    const int place = PositionIndex(static_cast<uint16_t>(Number(d.settings, d.printer, kFidStampPosition)));
    for (int i = 0; i < 9; ++i)
        CheckDlgButton(w, kStampPositionFirst + i, i == place ? BST_CHECKED : BST_UNCHECKED);
    const bool repeat = Number(d.settings, d.printer, kFidStampRepeat) != 0;
    for (int i = 0; i < 9; ++i)
        EnableWindow(GetDlgItem(w, kStampPositionFirst + i), !repeat);
    const int degrees = static_cast<int32_t>(Number(d.settings, d.printer, kFidFontAngle)) / 10;
    SendDlgItemMessageW(w, kStampAngleSlider, TBM_SETPOS, TRUE, degrees);
    SendDlgItemMessageW(w, kStampAngleUpDown, UDM_SETPOS32, 0, degrees);
    SetDlgItemInt(w, kStampAngleEdit, static_cast<UINT>(degrees), TRUE);
    if (state)
        state->filling = false;
    InvalidatePreview(w);
}

void SetStampColour(const Call& d, uint32_t choice)
{
    COLORREF colour = 0;
    if (choice == kCustomColourChoice)
        colour = Number(d.settings, d.printer, kFidCustomColour);
    else if (!GetColorForIndex(choice, &colour, kColorById))
        return;
    WriteSettingNumber(kFidStampColourChoice, d.settings, d.printer, choice);
    WriteSettingNumber(kFidStampColour, d.settings, d.printer, colour);
}

void ChooseCustomColour(const Call& d)
{
    static COLORREF custom[16];
    const COLORREF current = Number(d.settings, d.printer, kFidCustomColour);
    for (COLORREF& c : custom)
        c = 0xFFFFFF;
    custom[0] = current;
    CHOOSECOLORW choose{};
    choose.lStructSize = sizeof(choose);
    choose.hwndOwner = d.window;
    choose.rgbResult = current;
    choose.lpCustColors = custom;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorW(&choose))
        return;
    WriteSettingNumber(kFidCustomColour, d.settings, d.printer, choose.rgbResult);
    SetStampColour(d, kCustomColourChoice);
}

void ReadSizeBox(const Call& d)
{
    wchar_t text[16] = {};
    HWND box = GetDlgItem(d.window, kStampSizeBox);
    const LRESULT row = SendMessageW(box, CB_GETCURSEL, 0, 0);
    if (row >= 0)
        SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text));
    else
        GetWindowTextW(box, text, 16);
    const int32_t size = static_cast<int32_t>(wcstol(text, nullptr, 10));
    if (size < kMinimumSize || size > kMaximumSize)
        return;
    WriteSettingNumber(kFidFontHeight, d.settings, d.printer, static_cast<uint32_t>(size));
}

void WriteAngle(const Call& d, int degrees)
{
    degrees = std::max(-kAngleLimit, std::min(kAngleLimit, degrees));
    WriteSettingNumber(kFidFontAngle, d.settings, d.printer, static_cast<uint32_t>(degrees * 10));
}

// The automatic name: while the name is still the one the add dialog began
// with, it follows the text.
void FollowTextWithName(const Call& d)
{
    StampPageState* state = PageState(d.window);
    if (!state || !state->haveStartName)
        return;
    if (SettingText(d.settings, d.printer, kFidStampName) != state->startName)
        return;
    wchar_t name[kStampNameChars] = {};
    if (!StampNameFromText(SettingText(d.settings, d.printer, kFidStampDetail).c_str(), 0, name) || !name[0])
        return;
    SetText(d.settings, d.printer, kFidStampName, name);
    wcsncpy(state->startName, name, kStampNameChars - 1);
    state->filling = true;
    SetDlgItemTextW(d.window, kStampNameEdit, name);
    state->filling = false;
}

uint32_t OnStampEditItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                         const void*)
{
    Call d{};
    if (!Data(call, &d) || !item)
        return 0;
    StampPageState* state = PageState(d.window);
    if (IsShowMessage(message, lParam) && item->controlId == kStampNameEdit) {
        ShowStampControls(d);
        return 0;
    }
    const int id = item->controlId;
    // Only the control's own commands: broadcast notifications carry a zero
    // code, which is BN_CLICKED.
    const bool own =
        (message == WM_COMMAND && LOWORD(wParam) == id) || (message == WM_HSCROLL && id == kStampAngleSlider);
    if (!own || (state && state->filling))
        return 0;
    const UINT code = HIWORD(wParam);
    bool changed = true;
    if ((id == kStampNameEdit || id == kStampTextEdit) && code == EN_CHANGE) {
        wchar_t text[72] = {};
        GetDlgItemTextW(d.window, id, text, 72);
        SetText(d.settings, d.printer, id == kStampNameEdit ? kFidStampName : kFidStampDetail, text);
    } else if (id == kStampTextEdit && code == EN_KILLFOCUS) {
        if (reinterpret_cast<HWND>(lParam) != GetDlgItem(d.window, kStampDefaultButton) &&
            GetFocus() != GetDlgItem(d.window, kStampDefaultButton))
            FollowTextWithName(d);
    } else if (id == kStampFaceBox && code == CBN_SELCHANGE) {
        wchar_t face[LF_FACESIZE] = {};
        HWND box = GetDlgItem(d.window, id);
        const LRESULT row = SendMessageW(box, CB_GETCURSEL, 0, 0);
        if (row >= 0 && SendMessageW(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(row), 0) < LF_FACESIZE)
            SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(face));
        ChooseFace(d, kFidFont, face);
    } else if (id == kStampSizeBox && (code == CBN_SELCHANGE || code == CBN_KILLFOCUS || code == CBN_EDITCHANGE)) {
        if (code == CBN_SELCHANGE)
            SendMessageW(GetDlgItem(d.window, id), CB_SETCURSEL,
                         static_cast<WPARAM>(SendDlgItemMessageW(d.window, id, CB_GETCURSEL, 0, 0)), 0);
        ReadSizeBox(d);
    } else if (id == kStampBold && code == BN_CLICKED) {
        WriteSettingNumber(kFidFontWeight, d.settings, d.printer,
                           IsDlgButtonChecked(d.window, id) == BST_CHECKED ? FW_BOLD : FW_NORMAL);
    } else if (id == kStampItalic && code == BN_CLICKED) {
        const uint32_t on = IsDlgButtonChecked(d.window, id) == BST_CHECKED ? 1 : 0;
        WriteSettingNumber(kFidStampItalic, d.settings, d.printer, on);
        WriteSettingNumber(kFidStampFontItalic, d.settings, d.printer, on);
    } else if ((id == kStampRepeat || id == kStampLightColour) && code == BN_CLICKED) {
        WriteSettingNumber(id == kStampRepeat ? kFidStampRepeat : kFidStampLight, d.settings, d.printer,
                           IsDlgButtonChecked(d.window, id) == BST_CHECKED ? 1 : 0);
        if (id == kStampRepeat)
            ShowStampControls(d);
    } else if (id == kStampColourBox && code == CBN_SELCHANGE) {
        const LRESULT row = SendDlgItemMessageW(d.window, id, CB_GETCURSEL, 0, 0);
        if (row >= 0)
            SetStampColour(d, static_cast<uint32_t>(row) + 1);
    } else if (id == kStampColourButton && code == BN_CLICKED) {
        if (RunDialogItemEvent(call, kEventValidate) != 0)
            return 0;
        ChooseCustomColour(d);
        ShowStampControls(d);
    } else if ((id == kStampFrameNone || id == kStampFrameBox || id == kStampFrameCircle) && code == BN_CLICKED) {
        WriteSettingNumber(kFidStampFrame, d.settings, d.printer,
                           id == kStampFrameBox      ? 1
                           : id == kStampFrameCircle ? 2
                                                     : 0);
    } else if (id >= kStampPositionFirst && id <= kStampPositionLast && code == BN_CLICKED) {
        WriteSettingNumber(kFidStampPosition, d.settings, d.printer, PositionCode(id - kStampPositionFirst));
    } else if (id == kStampAngleSlider && message == WM_HSCROLL) {
        WriteAngle(d, static_cast<int>(SendDlgItemMessageW(d.window, id, TBM_GETPOS, 0, 0)));
        ShowStampControls(d);
    } else if (id == kStampAngleEdit && code == EN_CHANGE) {
        BOOL read = FALSE;
        const int degrees = static_cast<int>(GetDlgItemInt(d.window, id, &read, TRUE));
        if (read)
            WriteAngle(d, degrees);
    } else {
        changed = false;
    }
    if (changed)
        InvalidatePreview(d.window);
    return 0;
}

uint32_t OnStampDefaultButton(CallContext* call, UINT message, WPARAM, LPARAM, const ItemRecord*, const void*)
{
    Call d{};
    if (message != WM_COMMAND || !Data(call, &d))
        return 0;
    SetFocus(GetDlgItem(d.window, kStampDefaultButton));
    // The whole name is kept: 32 characters and the terminator.
    wchar_t kept[kStampNameChars] = {};
    wcsncpy(kept, SettingText(d.settings, d.printer, kFidStampName).c_str(), kStampNameChars - 1);
    const bool adding = GetCallDialogCode(call) == kStampAddCode;
    StampStoreOf store(d.ui->printer, d.ui->settings);
    LoadStampSettings(store.at, adding ? nullptr : kept, 2, d.settings, d.printer);
    SetText(d.settings, d.printer, kFidStampName, kept);
    ShowStampControls(d);
    return 0;
}

// 1 when the stamp may be saved under its name (after asking, when it
// replaces another), 0 when the dialog stays, -1 when it closes unsaved.
int CheckStampName(const Call& d, int32_t code, const StampStoreLocation& at, const StampRecord& record)
{
    const int room = CanAddStamp(at, record.name);
    if (room == kStampOk)
        return 1;
    if (room == kStampNameUsed) {
        void* saved = nullptr;
        void* savedPrinter = nullptr;
        if (code == kStampEditCode && GetDialogSavedSettings(d.window, &saved, &savedPrinter) &&
            SettingText(saved, savedPrinter, kFidStampName) == record.name)
            return 1;
        return Message(d.window, MB_OKCANCEL | MB_ICONEXCLAMATION, kMessageStampExists, record.name) == IDOK ? 1 : 0;
    }
    if (room == kStampStoreFull) {
        Message(d.window, MB_OK | MB_ICONEXCLAMATION, kMessageStampsFull);
        return 0;
    }
    return -1;
}

uint32_t OnStampOkButton(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                         const void* parameters)
{
    Call d{};
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED || !Data(call, &d))
        return OnPushButtonItem(call, message, wParam, lParam, item, parameters);
    if (RunDialogItemEvent(call, kEventValidate) != 0)
        return 0;
    StampRecord record{};
    BuildStampRecord(d.settings, d.printer, &record);
    StampStoreOf store(d.ui->printer, d.ui->settings);
    const int verdict = CheckStampName(d, static_cast<int32_t>(GetCallDialogCode(call)), store.at, record);
    if (verdict == 0) {
        SetFocus(GetDlgItem(d.window, kStampNameEdit));
        return 0;
    }
    if (verdict == 1)
        SaveStamp(store.at, &record);
    return OnPushButtonItem(call, message, wParam, lParam, item, parameters);
}

uint32_t OnStampDialogItem(CallContext* call, UINT message, WPARAM, LPARAM, const ItemRecord*, const void*)
{
    Call d{};
    if (message != WM_INITDIALOG || !Data(call, &d))
        return 0;
    const int32_t code = static_cast<int32_t>(GetCallDialogCode(call));
    SetWindowTextW(d.window, ResourceText(code == kStampAddCode ? kStringAddCaption : kStringEditCaption).c_str());
    LOGFONTW font{};
    ReadFont(d.settings, d.printer, kFidFont, &font);
    FillFaceBox(d.window, kStampFaceBox, d.ui, font.lfFaceName);
    HWND sizes = GetDlgItem(d.window, kStampSizeBox);
    for (int32_t size : kStampSizes)
        SendMessageW(sizes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_wstring(size).c_str()));
    HWND colours = GetDlgItem(d.window, kStampColourBox);
    for (UINT i = 0; i < kCustomColourChoice; ++i)
        SendMessageW(colours, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ResourceText(kStringColourFirst + i).c_str()));
    const LPARAM lowest = -kAngleLimit;
    SendDlgItemMessageW(d.window, kStampAngleSlider, TBM_SETRANGEMIN, FALSE, lowest);
    SendDlgItemMessageW(d.window, kStampAngleSlider, TBM_SETRANGEMAX, TRUE, kAngleLimit);
    SendDlgItemMessageW(d.window, kStampAngleSlider, TBM_SETTICFREQ, 45, 0);
    SendDlgItemMessageW(d.window, kStampAngleUpDown, UDM_SETRANGE32, static_cast<WPARAM>(lowest), kAngleLimit);
    if (code == kStampAddCode) {
        StampStoreOf store(d.ui->printer, d.ui->settings);
        LoadStampSettings(store.at, nullptr, 2, d.settings, d.printer);
        if (StampPageState* state = PageState(d.window)) {
            wcsncpy(state->startName, SettingText(d.settings, d.printer, kFidStampName).c_str(), kStampNameChars - 1);
            state->haveStartName = true;
        }
    }
    return 0;
}

// --- The annotation dialog ----------------------------------------------------------

bool AnnotationsLocked(const Call& d)
{
    // Only a document sheet's annotations follow the printer's lock.
    if (!(d.ui->sheetMode & kSheetDocument))
        return false;
    if (DetectPrintingPreferencesHost(d.window, d.ui->printerName, d.ui->sheetMode) != 1) {
        HANDLE probe = nullptr;
        PRINTER_DEFAULTSW full{nullptr, nullptr, PRINTER_ALL_ACCESS};
        if (d.ui->printerName && OpenPrinterW(d.ui->printerName, &probe, &full)) {
            // Only a question: the handle is given back at once.
            ClosePrinter(probe);
            return false;
        }
    }
    return Number(d.settings, d.printer, kFidPrinterSettingsLock) == 1;
}

void FillAnnotationList(const Call& d, int selected)
{
    HWND list = GetDlgItem(d.window, kAnnotationList);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    const INT stops[] = {70, 100};
    SendMessageW(list, LB_SETTABSTOPS, 2, reinterpret_cast<LPARAM>(stops));
    for (int i = 0; i < kAnnotationItems; ++i) {
        const bool on = Number(d.settings, d.printer, static_cast<uint16_t>(kFidAnnotationFirst + i)) == 1;
        const int place = PositionIndex(
            static_cast<uint16_t>(Number(d.settings, d.printer, static_cast<uint16_t>(kFidAnnotationPlaceFirst + i))));
        const std::wstring row =
            ResourceText(kStringAnnotationFirst + static_cast<UINT>(i)) + L"\t" +
            ResourceText(on ? kStringOn : kStringOff) + L"\t" +
            (on && place >= 0 ? ResourceText(kStringPositionFirst + static_cast<UINT>(place)) : L"");
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
    }
    if (SendMessageW(list, LB_GETCOUNT, 0, 0) == 0)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ResourceText(kStringEmptyList).c_str()));
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

int SelectedAnnotation(HWND window)
{
    const LRESULT row = SendDlgItemMessageW(window, kAnnotationList, LB_GETCURSEL, 0, 0);
    return row >= 0 && row < kAnnotationItems ? static_cast<int>(row) : 0;
}

constexpr int32_t kLockedAnnotationControls[] = {kAnnotationColour, kAnnotationFace,    kAnnotationSize,
                                                 kAnnotationBold,   kAnnotationItalic,  kAnnotationDefaults,
                                                 kAnnotationPrint,  kAnnotationPosition};

void ShowAnnotationControls(const Call& d, int selected)
{
    StampPageState* state = PageState(d.window);
    if (state)
        state->filling = true;
    FillAnnotationList(d, selected);
    const uint16_t on = static_cast<uint16_t>(kFidAnnotationFirst + selected);
    CheckDlgButton(d.window, kAnnotationPrint, Number(d.settings, d.printer, on) == 1 ? BST_CHECKED : BST_UNCHECKED);
    const int place = PositionIndex(static_cast<uint16_t>(
        Number(d.settings, d.printer, static_cast<uint16_t>(kFidAnnotationPlaceFirst + selected))));
    SendDlgItemMessageW(d.window, kAnnotationPosition, CB_SETCURSEL, static_cast<WPARAM>(place), 0);
    LOGFONTW font{};
    ReadFont(d.settings, d.printer, kFidStampFont, &font);
    SelectFace(d.window, kAnnotationFace, font.lfFaceName);
    const int32_t size = std::max(kAnnotationMinimumSize,
                                  std::min(kAnnotationMaximumSize, static_cast<int32_t>(std::abs(font.lfHeight))));
    SendDlgItemMessageW(d.window, kAnnotationSize, CB_SETCURSEL, static_cast<WPARAM>(size - kAnnotationMinimumSize), 0);
    CheckDlgButton(d.window, kAnnotationBold, font.lfWeight >= FW_BOLD);
    CheckDlgButton(d.window, kAnnotationItalic, Number(d.settings, d.printer, kFidAnnotationItalic) != 0);
    SendDlgItemMessageW(d.window, kAnnotationColour, CB_SETCURSEL,
                        Number(d.settings, d.printer, kFidAnnotationColour) == 0 ? 0 : 1, 0);
    const bool enabled = Number(d.settings, d.printer, on) == 1;
    EnableWindow(GetDlgItem(d.window, kAnnotationPosition), enabled);
    if (AnnotationsLocked(d))
        for (int32_t control : kLockedAnnotationControls)
            ApplyControlState(GetDlgItem(d.window, control), kStateDisabled);
    if (state)
        state->filling = false;
}

uint32_t OnAnnotationItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                          const void*)
{
    Call d{};
    if (!Data(call, &d) || !item)
        return 0;
    StampPageState* state = PageState(d.window);
    const int id = item->controlId;
    if (message == WM_INITDIALOG && id == kPageItemId) {
        LOGFONTW font{};
        ReadFont(d.settings, d.printer, kFidStampFont, &font);
        FillFaceBox(d.window, kAnnotationFace, d.ui, font.lfFaceName);
        HWND sizes = GetDlgItem(d.window, kAnnotationSize);
        for (int32_t size = kAnnotationMinimumSize; size <= kAnnotationMaximumSize; ++size)
            SendMessageW(sizes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_wstring(size).c_str()));
        HWND places = GetDlgItem(d.window, kAnnotationPosition);
        for (UINT i = 0; i < 9; ++i)
            SendMessageW(places, CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(ResourceText(kStringPositionFirst + i).c_str()));
        HWND colours = GetDlgItem(d.window, kAnnotationColour);
        for (UINT i : {6u, 0u})
            SendMessageW(colours, CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(ResourceText(kStringColourFirst + i).c_str()));
        return 0;
    }
    if (IsShowMessage(message, lParam) && id == kPageItemId) {
        ShowAnnotationControls(d, SelectedAnnotation(d.window));
        return 0;
    }
    if (message != WM_COMMAND || (state && state->filling))
        return 0;
    const UINT code = HIWORD(wParam);
    const int selected = SelectedAnnotation(d.window);
    LOGFONTW font{};
    ReadFont(d.settings, d.printer, kFidStampFont, &font);
    if (id == kAnnotationList && code == LBN_SELCHANGE) {
    } else if (id == kAnnotationPrint && code == BN_CLICKED) {
        const uint16_t on = static_cast<uint16_t>(kFidAnnotationFirst + selected);
        WriteSettingNumber(on, d.settings, d.printer, IsDlgButtonChecked(d.window, id) == BST_CHECKED ? 1 : 0);
        const uint16_t place = static_cast<uint16_t>(kFidAnnotationPlaceFirst + selected);
        if (PositionIndex(static_cast<uint16_t>(Number(d.settings, d.printer, place))) < 0)
            WriteSettingNumber(place, d.settings, d.printer, PositionCode(0));
    } else if (id == kAnnotationPosition && code == CBN_SELCHANGE) {
        const LRESULT row = SendDlgItemMessageW(d.window, id, CB_GETCURSEL, 0, 0);
        if (row >= 0)
            WriteSettingNumber(static_cast<uint16_t>(kFidAnnotationPlaceFirst + selected), d.settings, d.printer,
                               PositionCode(static_cast<int>(row)));
    } else if (id == kAnnotationFace && code == CBN_SELCHANGE) {
        wchar_t face[LF_FACESIZE] = {};
        HWND box = GetDlgItem(d.window, id);
        const LRESULT row = SendMessageW(box, CB_GETCURSEL, 0, 0);
        if (row >= 0 && SendMessageW(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(row), 0) < LF_FACESIZE)
            SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(face));
        ChooseFace(d, kFidStampFont, face);
    } else if (id == kAnnotationSize && code == CBN_SELCHANGE) {
        const LRESULT row = SendDlgItemMessageW(d.window, id, CB_GETCURSEL, 0, 0);
        if (row >= 0) {
            font.lfHeight = static_cast<LONG>(row) + kAnnotationMinimumSize;
            WriteFont(d.settings, d.printer, kFidStampFont, font);
        }
    } else if (id == kAnnotationBold && code == BN_CLICKED) {
        font.lfWeight = IsDlgButtonChecked(d.window, id) == BST_CHECKED ? FW_BOLD : FW_NORMAL;
        WriteFont(d.settings, d.printer, kFidStampFont, font);
    } else if (id == kAnnotationItalic && code == BN_CLICKED) {
        const uint32_t on = IsDlgButtonChecked(d.window, id) == BST_CHECKED ? 1 : 0;
        font.lfItalic = static_cast<BYTE>(on);
        WriteFont(d.settings, d.printer, kFidStampFont, font);
        WriteSettingNumber(kFidAnnotationItalic, d.settings, d.printer, on);
    } else if (id == kAnnotationDefaults && code == BN_CLICKED) {
        for (int i = 0; i < kAnnotationItems; ++i)
            WriteSettingNumber(static_cast<uint16_t>(kFidAnnotationFirst + i), d.settings, d.printer, 0);
    } else if (id == kAnnotationColour && code == CBN_SELCHANGE) {
        COLORREF colour = 0;
        if (SendDlgItemMessageW(d.window, id, CB_GETCURSEL, 0, 0) == 1)
            GetColorForIndex(0, &colour, 0);
        WriteSettingNumber(kFidAnnotationColour, d.settings, d.printer, colour);
    } else {
        return 0;
    }
    ShowAnnotationControls(d, selected);
    return 0;
}

uint32_t OnAnnotationListDoubleClick(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam,
                                     const ItemRecord* item, const void* parameters)
{
    Call d{};
    if (message == WM_COMMAND && HIWORD(wParam) == LBN_DBLCLK && Data(call, &d)) {
        if (AnnotationsLocked(d))
            return 0;
        CheckDlgButton(d.window, kAnnotationPrint,
                       IsDlgButtonChecked(d.window, kAnnotationPrint) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
        return OnAnnotationItem(call, WM_COMMAND, MAKEWPARAM(kAnnotationPrint, BN_CLICKED), 0,
                                FindItemRecord(d.window, kAnnotationCode, kAnnotationPrint), parameters);
    }
    return OnAnnotationItem(call, message, wParam, lParam, item, parameters);
}

// --- Tables -------------------------------------------------------------------------

constexpr PageHeader kAddHeader = {
    kStampEditTemplate, 0, StampAddDialogProc, kStampAddCode, kStringAddCaption, 0, nullptr, 0};
constexpr PageHeader kEditHeader = {
    kStampEditTemplate, 0, StampEditDialogProc, kStampEditCode, kStringEditCaption, 0, nullptr, 0};
constexpr PageHeader kAnnotationHeader = {
    kAnnotationTemplate, 0, AnnotationDialogProc, kAnnotationCode, kNoControl, 0, nullptr, 0};
constexpr SubDialogParams kAddSub = {&kAddHeader, 0, 0, kDialogTypeModal};
constexpr SubDialogParams kEditSub = {&kEditHeader, 0, 0, kDialogTypeModal};
constexpr SubDialogParams kAnnotationSub = {&kAnnotationHeader, 0, 0, kDialogTypeModal};
constexpr ButtonParams kAddButton = {kActionSubDialog, &kAddSub};
constexpr ButtonParams kEditButton = {kActionSubDialog, &kEditSub};
constexpr ButtonParams kAnnotationOpen = {kActionSubDialog, &kAnnotationSub};
constexpr ButtonParams kOkButton = {kActionOk, nullptr};
// The stored file chosen in the open-file dialog: its folder (at most 8
// bytes) and its name without the extension.
constexpr UINT kStringStoredFileFilter = 449;
constexpr UINT kStringStoredFileTitle = 450;
constexpr FileDialogParams kStoredFileChoice = {static_cast<int32_t>(kStringStoredFileFilter),
                                                1,
                                                127,
                                                kStoredFieldChars,
                                                260,
                                                kMessageByteLimit,
                                                0,
                                                kFidStoredJobFolder,
                                                kNoControl,
                                                0,
                                                static_cast<int32_t>(kStringStoredFileTitle),
                                                -1,
                                                static_cast<int32_t>(kStringPrintFileExtension),
                                                nullptr,
                                                kFidStoredJobName,
                                                kFidStoredJobFolder,
                                                0,
                                                kFileCheckFolderLength | kFileCheckNameLength | kFileCutExtension,
                                                nullptr,
                                                nullptr};
constexpr ButtonParams kBrowseButton = {kActionOpenFile, &kStoredFileChoice};

constexpr ItemSlot kFirstPageSlots[] = {{kFidStampFirstPage, 0}};
constexpr ItemSlot kStoredOnSlots[] = {{kFidStoredJobText, 0}};
constexpr ItemSlot kLabelOnSlots[] = {{kFidPageLabelOn, 0}};
constexpr ItemSlot kFolderSlots[] = {{kFidStoredJobName, 0}};
constexpr ItemSlot kFileNameSlots[] = {{kFidStoredJobFolder, 0}};
constexpr ItemSlot kLabelSlots[] = {{kFidPageLabelText, 0}};

#define OWN(control, handler)                                                                                          \
    {                                                                                                                  \
        control, -1, nullptr, kKindNone, handler, nullptr, kNoControl, kNoControl, nullptr                             \
    }
#define ONE(control, slots, handler)                                                                                   \
    {                                                                                                                  \
        control, 1, slots, kKindNone, handler, nullptr, kNoControl, kNoControl, nullptr                                \
    }

const ItemRecord kPageRecords[] = {
    OWN(kStampList, OnStampListItem),
    {kStampAddButton, 0, nullptr, kKindPushButton, OnStampAddEditButton, &kAddButton, kNoControl, kNoControl, nullptr},
    {kStampEditButton, 0, nullptr, kKindPushButton, OnStampAddEditButton, &kEditButton, kNoControl, kNoControl,
     nullptr},
    OWN(kStampDeleteButton, OnStampDeleteButton),
    ONE(kStampFirstPageOnly, kFirstPageSlots, OnCheckItem),
    ONE(kStoredFileOn, kStoredOnSlots, OnCheckItem),
    ONE(kStoredFileLabelOn, kLabelOnSlots, OnCheckItem),
    ONE(kStoredFileFolder, kFolderSlots, OnTextItem),
    ONE(kStoredFileName, kFileNameSlots, OnTextItem),
    ONE(kStoredFileLabel, kLabelSlots, OnTextItem),
    OWN(kStoredFileResend, OnResendButton),
    {kStoredFileBrowse, 0, nullptr, kKindPushButton, OnBrowseButton, &kBrowseButton, kNoControl, kNoControl, nullptr},
    {kAnnotationButton, 0, nullptr, kKindPushButton, OnStampAddEditButton, &kAnnotationOpen, kNoControl, kNoControl,
     nullptr},
    OWN(kStampPagePreview, OnStampPreviewItem),
    OWN(kPageItemId, OnStampsPageItem),
};

const ItemRecord kStampDialogRecords[] = {
    OWN(kStampNameEdit, OnStampEditItem),
    OWN(kStampTextEdit, OnStampEditItem),
    OWN(kStampFaceBox, OnStampEditItem),
    OWN(kStampSizeBox, OnStampEditItem),
    OWN(kStampBold, OnStampEditItem),
    OWN(kStampItalic, OnStampEditItem),
    OWN(kStampRepeat, OnStampEditItem),
    OWN(kStampLightColour, OnStampEditItem),
    OWN(kStampColourBox, OnStampEditItem),
    OWN(kStampColourButton, OnStampEditItem),
    OWN(kStampFrameNone, OnStampEditItem),
    OWN(kStampFrameBox, OnStampEditItem),
    OWN(kStampFrameCircle, OnStampEditItem),
    OWN(kStampAngleSlider, OnStampEditItem),
    OWN(kStampAngleEdit, OnStampEditItem),
    OWN(1437, OnStampEditItem),
    OWN(1438, OnStampEditItem),
    OWN(1439, OnStampEditItem),
    OWN(1440, OnStampEditItem),
    OWN(1441, OnStampEditItem),
    OWN(1442, OnStampEditItem),
    OWN(1443, OnStampEditItem),
    OWN(1444, OnStampEditItem),
    OWN(1445, OnStampEditItem),
    {kStampOkButton, 0, nullptr, kKindPushButton, OnStampOkButton, &kOkButton, kNoControl, kNoControl, nullptr},
    OWN(kStampDefaultButton, OnStampDefaultButton),
    OWN(kStampDialogPreview, OnStampPreviewItem),
    OWN(kPageItemId, OnStampDialogItem),
};

const ItemRecord kAnnotationRecords[] = {
    OWN(kAnnotationList, OnAnnotationListDoubleClick),
    OWN(kAnnotationPrint, OnAnnotationItem),
    OWN(kAnnotationPosition, OnAnnotationItem),
    OWN(kAnnotationFace, OnAnnotationItem),
    OWN(kAnnotationSize, OnAnnotationItem),
    OWN(kAnnotationBold, OnAnnotationItem),
    OWN(kAnnotationItalic, OnAnnotationItem),
    OWN(kAnnotationColour, OnAnnotationItem),
    OWN(kAnnotationDefaults, OnAnnotationItem),
    OWN(kPageItemId, OnAnnotationItem),
};

#undef OWN
#undef ONE

constexpr HelpMapEntry kNoHelp[] = {{0, 0}};
constexpr int32_t kNoLockedControls[] = {kNoControl};

template <size_t N> constexpr ItemTableHeader Table(const ItemRecord (&records)[N])
{
    return {records, static_cast<uint32_t>(N), kPageHelpTopic, kNoHelp, kNoLockedControls, 0};
}

const ItemTableHeader kStampDialogTable = Table(kStampDialogRecords);
const ItemTableHeader kAnnotationTable = Table(kAnnotationRecords);

INT_PTR RunModal(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode)
{
    SlotHandler handler = nullptr;
    int32_t slot = -1;
    if (!FindMessageHandler(message, wParam, lParam, kDialogTypeModal, &handler, &slot))
        return FALSE;
    return CallMessageHandler(window, message, wParam, lParam, dialogCode, kDialogTypeModal, handler);
}

}  // namespace

const ItemTableHeader StampsPageItemTable = Table(kPageRecords);
const PageDescriptor StampAddDialog = {kStampAddCode, &kStampDialogTable, nullptr};
const PageDescriptor StampEditDialog = {kStampEditCode, &kStampDialogTable, nullptr};
const PageDescriptor AnnotationDialog = {kAnnotationCode, &kAnnotationTable, nullptr};

INT_PTR CALLBACK StampsPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    SlotHandler handler = nullptr;
    int32_t slot = -1;
    if (message == WM_DESTROY) {
        if (auto* state = static_cast<StampPageState*>(RemovePropW(window, kStateProperty)))
            GlobalFree(state);
    }
    if (!FindMessageHandler(message, wParam, lParam, kDialogTypePage, &handler, &slot))
        return FALSE;
    return CallMessageHandler(window, message, wParam, lParam, kStampsPageCode, kDialogTypePage, handler);
}

INT_PTR CALLBACK StampAddDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunModal(window, message, wParam, lParam, kStampAddCode);
}

INT_PTR CALLBACK StampEditDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunModal(window, message, wParam, lParam, kStampEditCode);
}

INT_PTR CALLBACK AnnotationDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunModal(window, message, wParam, lParam, kAnnotationCode);
}
