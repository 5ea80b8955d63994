#include "ui/pages/colour_mode_page.h"

#include "common/constraints/constraint_engine.h"
#include "common/context/value_by_type.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "ui/controls/control_kinds.h"
#include "ui/controls/display_states.h"
#include "ui/controls/kind_params.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/message_engine.h"
#include "ui/engine/ui_context.h"
#include "ui/illustration/colour_sample.h"
#include "ui/illustration/illustration_layers.h"
#include "ui/illustration/picture_control.h"
#include "ui/illustration/picture_statics.h"
#include "ui/illustration/picture_status.h"
#include "ui/support/ansi_limits.h"
#include "ui/support/file_choice.h"
#include "ui/support/resource_messages.h"

#include <prsht.h>

#include <cwchar>
#include <iterator>
#include <string>

namespace {

constexpr uint16_t kFidColourConversion390 = 390;
constexpr uint16_t kFidRenderingIntent = 23;
constexpr uint16_t kFidColourDetail = 271;
constexpr uint16_t kFidColourKinds = 293;
// The filter and title of the profile choice.
constexpr int32_t kStringProfileFilter = 382;
constexpr int32_t kStringProfileTitle = 383;
constexpr int32_t kStringProfileFolder = 385;

bool IsActivation(UINT message, LPARAM lParam)
{
    if (message == kEventRefresh)
        return true;
    return message == WM_NOTIFY && lParam &&
           reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(PSN_SETACTIVE);
}

uint32_t PassOn(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                const void* parameters)
{
    const ItemEventHandler kind = GetKindDefaultHandler(call);
    return kind ? kind(call, message, wParam, lParam, item, parameters) : 0;
}

bool CallNumber(CallContext* call, uint16_t setting, uint32_t* value)
{
    return call && call->settings && ReadSettingNumber(setting, call->settings, call->printerSettings, value) == 1;
}

std::wstring ResourceText(UINT id, HMODULE resources = GetResourceModule())
{
    wchar_t text[256] = {};
    if (resources)
        LoadStringW(resources, id, text, static_cast<int>(std::size(text)));
    return text;
}

// --- Page 505 --------------------------------------------------------------------

uint32_t OnColorSetting293Item(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                               const void* parameters)
{
    uint32_t value = 0;
    if (IsActivation(message, lParam) && CallNumber(call, kFidColourKinds, &value)) {
        int32_t index = 0;
        if (FindItemSettingIndex(item, ColourConversionSetting(value), &index))
            SetSelectedSlotIndex(GetCallWindow(call), item, index);
    }
    const uint32_t result = PassOn(call, message, wParam, lParam, item, parameters);
    // Without a conversion of its own the list and its label go.
    HWND window = GetCallWindow(call);
    if (IsActivation(message, lParam)) {
        HWND list = GetDlgItem(window, item->controlId);
        if (GetSelectedSettingId(window, item) == kHiddenPictureSetting)
            ApplyControlState(list, kStateHidden);
        HWND label = GetDlgItem(window, kColourConversionLabel);
        ShowWindow(label, (GetWindowLongW(list, GWL_STYLE) & WS_VISIBLE) ? SW_SHOW : SW_HIDE);
        EnableWindow(label, IsWindowEnabled(list));
    }
    return result;
}

// A model without an illustration (the printer models) shows no empty frame.
uint32_t OnColourIllustrationItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam,
                                  const ItemRecord* item, const void* parameters)
{
    const uint32_t result = OnIllustrationItem(call, message, wParam, lParam, item, parameters);
    if (message == WM_INITDIALOG) {
        HWND window = GetCallWindow(call);
        BitmapLayer* list = nullptr;
        HPALETTE palette = nullptr;
        const bool shown =
            IllustrationLayerProvider(GetResourceModule(), window, item->controlId, &list, &palette) == kPictureOk;
        FreeBitmapLayers(list);
        if (palette)
            DeleteObject(palette);
        for (int control : {item->controlId, kColourIllustrationGroup})
            ShowWindow(GetDlgItem(window, control), shown ? SW_SHOW : SW_HIDE);
    }
    return result;
}

uint32_t OnColorPictureItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                            const void* parameters)
{
    uint32_t value = 0;
    if (IsActivation(message, lParam) && CallNumber(call, kFidColourKinds, &value)) {
        const int32_t slot = ColourPictureSlot(value);
        if (slot >= 0 && slot < item->slotCount) {
            SetSelectedSlotIndex(GetCallWindow(call), item, slot);
            UpdateItemControlState(GetCallWindow(call), item, nullptr);
        }
    }
    return OnPictureStaticItem(call, message, wParam, lParam, item, parameters);
}

uint32_t OnColorSetting271Item(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                               const void* parameters)
{
    const uint32_t result = PassOn(call, message, wParam, lParam, item, parameters);
    uint32_t value = 0;
    // The detail of the colour mode is the model's to show in the pictures;
    // its own line stays hidden.
    if (IsActivation(message, lParam) && CallNumber(call, kFidColourDetail, &value))
        ApplyControlState(GetDlgItem(GetCallWindow(call), item->controlId), kStateHidden);
    return result;
}

uint32_t OnJobTypeColorItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                            const void* parameters)
{
    if (message == WM_NOTIFY && lParam &&
        reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(PSN_SETACTIVE)) {
        uint32_t jobType = 0;
        const bool offered = !CallNumber(call, kFidJobType, &jobType) || jobType != kJobTypeWithoutColourDefaults;
        HWND button = GetDlgItem(GetCallWindow(call), item->controlId);
        ShowWindow(button, offered ? SW_SHOW : SW_HIDE);
        EnableWindow(button, offered);
    }
    return PassOn(call, message, wParam, lParam, item, parameters);
}

// --- Dialog 507 --------------------------------------------------------------------

struct ProfileCombo {
    int combo;
    int path;
    uint16_t file;
    uint16_t flag;
    uint16_t printerFlag;  // 0: none
    UINT fixedEntry;
};
constexpr ProfileCombo kProfile1 = {kProfileCombo1, kProfilePath1, kFidProfileFile1, kFidProfileFile1On, 0,
                                    kStringNoProfile1};
constexpr ProfileCombo kProfile2 = {kProfileCombo2, kProfilePath2, kFidProfileFile2, kFidProfileFile2On,
                                    kFidProfileFile2Printer, kStringNoProfile2};

const ProfileCombo* ComboOf(int controlId)
{
    if (controlId == kProfileCombo1 || controlId == kProfileBrowse1 || controlId == kProfilePath1)
        return &kProfile1;
    if (controlId == kProfileCombo2 || controlId == kProfileBrowse2 || controlId == kProfilePath2)
        return &kProfile2;
    return nullptr;
}

std::wstring StoredPath(CallContext* call, uint16_t setting)
{
    const auto* text = reinterpret_cast<const wchar_t*>(
        static_cast<uintptr_t>(GetFunctionIdValuePointer(call->settings, call->printerSettings, setting, kTypeString)));
    return text ? std::wstring(text, wcsnlen(text, kProfilePathChars - 1)) : std::wstring();
}

int WritePath(CallContext* call, uint16_t setting, const wchar_t* path)
{
    wchar_t field[kProfilePathChars] = {};
    if (path)
        wcsncpy(field, path, kProfilePathChars - 1);
    static_assert(sizeof(field) == kProfilePathBytes);
    return SetFunctionIdValueArgs(call->settings, call->printerSettings, setting, kTypeString, kProfilePathBytes,
                                  static_cast<const wchar_t*>(field)) == 0;
}

int WriteFlag(CallContext* call, uint16_t setting, uint32_t value)
{
    return WriteSettingNumber(setting, call->settings, call->printerSettings, value) == 1;
}

// Entry 0 the fixed text; entry 1 the stored file's name when there is one.
void FillProfileCombo(CallContext* call, const ProfileCombo& profile)
{
    HWND window = GetCallWindow(call);
    HWND combo = GetDlgItem(window, profile.combo);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ResourceText(profile.fixedEntry).c_str()));
    const std::wstring path = StoredPath(call, profile.file);
    const size_t slash = path.find_last_of(L'\\');
    const std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    uint32_t on = 0;
    CallNumber(call, profile.flag, &on);
    if (!name.empty())
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    SendMessageW(combo, CB_SETCURSEL, !name.empty() && on ? 1 : 0, 0);
    SetDlgItemTextW(window, profile.path, !name.empty() && on ? path.c_str() : L"");
}

// A stored path that no longer converts is dropped with its flag.
void DropUnusablePath(CallContext* call, const ProfileCombo& profile)
{
    const std::wstring path = StoredPath(call, profile.file);
    if (path.empty() || CheckFileName(GetCallWindow(call), GetResourceModule(), path.c_str()))
        return;
    WritePath(call, profile.file, L"");
    WriteFlag(call, profile.flag, 0);
}

void TakeSelection(CallContext* call, const ProfileCombo& profile)
{
    const LRESULT selected = SendDlgItemMessageW(GetCallWindow(call), profile.combo, CB_GETCURSEL, 0, 0);
    WriteFlag(call, profile.flag, selected > 0 ? 1 : 0);
    if (selected > 0 && profile.printerFlag)
        WriteFlag(call, profile.printerFlag, 0);
    uint32_t on = 0;
    CallNumber(call, profile.flag, &on);
    SetDlgItemTextW(GetCallWindow(call), profile.path, on ? StoredPath(call, profile.file).c_str() : L"");
}

uint32_t OnFileCombo(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                     const ProfileCombo& profile)
{
    if (!call || !call->settings)
        return 0;
    if (message == WM_INITDIALOG) {
        DropUnusablePath(call, profile);
        FillProfileCombo(call, profile);
    } else if (IsActivation(message, lParam)) {
        SetSelectedSlotIndex(GetCallWindow(call), item, 0);
        FillProfileCombo(call, profile);
    } else if (message == WM_COMMAND && HIWORD(wParam) == CBN_SELCHANGE) {
        TakeSelection(call, profile);
    }
    return 0;
}

uint32_t OnFileCombo1(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                      const void*)
{
    return OnFileCombo(call, message, wParam, lParam, item, kProfile1);
}

uint32_t OnFileCombo2(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                      const void*)
{
    return OnFileCombo(call, message, wParam, lParam, item, kProfile2);
}

// Browse: the platform's open-file dialog in the colour folder, then the
// store of the chosen file.
uint32_t OnBrowseProfile(CallContext* call, UINT message, WPARAM wParam, LPARAM, const ItemRecord* item, const void*)
{
    const ProfileCombo* profile = ComboOf(item->controlId);
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED || !profile || !call->settings)
        return 0;
    const ConstraintContext settings{call->settingsContext, call->settings, call->printerSettings};
    const OpenFileParameters open{kStringProfileFilter, 1, profile->file, kStringProfileFolder, 0,
                                  kStringProfileTitle,  -1, kNoControl,  0};
    OpenFileRecord record{};
    if (!PrepareOpenFileDialog(GetCallWindow(call), settings, open, &record) || !GetOpenFileNameW(&record.dialog))
        return 0;
    if (profile == &kProfile1)
        StoreFile1(call, item, record.dialog.lpstrFile);
    else
        StoreFile2(call, item, record.dialog.lpstrFile);
    return 0;
}

int StoreFile(CallContext* call, const ItemRecord* item, const wchar_t* path, const ProfileCombo& profile)
{
    if (!call || !call->settings || !path || !CheckFileName(GetCallWindow(call), GetResourceModule(), path))
        return 0;
    if (!WriteFlag(call, profile.flag, 1) || (profile.printerFlag && !WriteFlag(call, profile.printerFlag, 0)) ||
        !WritePath(call, profile.file, path))
        return 0;
    uint16_t changed[] = {profile.flag, profile.file, 0};
    uint16_t* list = nullptr;
    if (AddToPendingList(&list, changed))
        RecordPendingRefresh(call, item, list);
    FillProfileCombo(call, profile);
    return 1;
}

uint32_t OnFreeTextReset(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                         const void* parameters)
{
    const uint32_t result = PassOn(call, message, wParam, lParam, item, parameters);
    if (message == WM_COMMAND && call->settings) {
        for (const ProfileCombo* profile : {&kProfile1, &kProfile2}) {
            SendDlgItemMessageW(GetCallWindow(call), profile->combo, CB_SETCURSEL, 0, 0);
            TakeSelection(call, *profile);
        }
    }
    return result;
}

// The full path under each combo box: the file the flag switches on.
uint32_t OnFreeTextActivate(CallContext* call, UINT message, WPARAM, LPARAM lParam, const ItemRecord* item,
                            const void*)
{
    const ProfileCombo* profile = ComboOf(item->controlId);
    if (!IsActivation(message, lParam) || !profile || !call->settings)
        return 0;
    SetSelectedSlotIndex(GetCallWindow(call), item, 0);
    uint32_t on = 0;
    CallNumber(call, profile->flag, &on);
    SetDlgItemTextW(GetCallWindow(call), item->controlId, on ? StoredPath(call, profile->file).c_str() : L"");
    return 0;
}

// --- Tables ------------------------------------------------------------------------

constexpr uint16_t kBoth = kEvaluateOnActivate | kEvaluateAfterChange;
constexpr ItemSlot kModeSlots[] = {{kFidColorMode, kBoth}};
constexpr ItemSlot kConversionSlots[] = {
    {kFidColourConversion390, kBoth}, {kFidRenderingIntent, kBoth}, {kHiddenPictureSetting, 0}};
constexpr ItemSlot kDetailSlots[] = {{kFidColourDetail, 0}};
constexpr ItemSlot kPictureSlots[] = {{kFidColorMode, 0}, {kFidColourDetail, 0}, {kFidColourConversion390, 0}};
constexpr ItemSlot kProfile1Slots[] = {{kFidProfileFile1, 0}, {kFidProfileFile1On, 0}};
constexpr ItemSlot kProfile2Slots[] = {
    {kFidProfileFile2, 0}, {kFidProfileFile2On, 0}, {kFidProfileFile2Printer, 0}};

constexpr ListItemParams kComboParams = {kRowsOfOptions, 0, 0, 0, nullptr, nullptr, nullptr};
constexpr ValueTextParams kOptionText = {kValueTextOption, 0};
constexpr PictureParameters kIllustrationParams = {IllustrationLayerProvider, 0, nullptr, 0, 1,
                                                   kBackgroundModeButtonFace, 0};
constexpr ButtonParams kDefaultsButton = {kActionDefaults, nullptr};

constexpr PageHeader kProfilesHeader = {kColourProfilesTemplate, 0, FreeTextComboDialogProc, kColourProfilesCode,
                                        kNoControl, 0, nullptr, 0};
constexpr SubDialogParams kOpenProfiles = {&kProfilesHeader, 0, 0, kDialogTypeSubPage};
constexpr ButtonParams kProfilesButton = {kActionSubDialog, &kOpenProfiles};

const ItemRecord kPageRecords[] = {
    {kColourModeCombo, 1, kModeSlots, kKindComboBox, nullptr, &kComboParams, kColourModeLabel, kNoControl, nullptr},
    // The label is the callback's: it goes with the list, whatever state the
    // shown setting has.
    {kColourConversionCombo, 3, kConversionSlots, kKindComboBox, OnColorSetting293Item, &kComboParams, kNoControl,
     kNoControl, nullptr},
    {kColourDetailText, 1, kDetailSlots, kKindValueText, OnColorSetting271Item, &kOptionText, kNoControl, kNoControl,
     nullptr},
    {kColourSettingsPicture, 3, kPictureSlots, kKindNone, OnColorPictureItem, nullptr, kNoControl, kNoControl,
     nullptr},
    {kColourSampleControl, -1, nullptr, kKindNone, OnPictureStaticItem, nullptr, kNoControl, kNoControl, nullptr},
    {kColourIllustration, -1, nullptr, kKindBitmapPicture, OnColourIllustrationItem, &kIllustrationParams, kNoControl,
     kNoControl, nullptr},
    {kColourProfilesButton, 0, nullptr, kKindPushButton, nullptr, &kProfilesButton, kNoControl, kNoControl, nullptr},
    {kColourDefaultsButton, 0, nullptr, kKindPushButton, OnJobTypeColorItem, &kDefaultsButton, kNoControl,
     kNoControl, nullptr},
};

const ItemRecord kProfileRecords[] = {
    {kProfileCombo1, 2, kProfile1Slots, kKindNone, OnFileCombo1, nullptr, kNoControl, kNoControl, nullptr},
    {kProfileCombo2, 3, kProfile2Slots, kKindNone, OnFileCombo2, nullptr, kNoControl, kNoControl, nullptr},
    {kProfileBrowse1, 0, nullptr, kKindNone, OnBrowseProfile, nullptr, kNoControl, kNoControl, nullptr},
    {kProfileBrowse2, 0, nullptr, kKindNone, OnBrowseProfile, nullptr, kNoControl, kNoControl, nullptr},
    {kProfilePath1, 2, kProfile1Slots, kKindNone, OnFreeTextActivate, nullptr, kNoControl, kNoControl, nullptr},
    {kProfilePath2, 3, kProfile2Slots, kKindNone, OnFreeTextActivate, nullptr, kNoControl, kNoControl, nullptr},
    {kProfilesDefaultsButton, 0, nullptr, kKindPushButton, OnFreeTextReset, &kDefaultsButton, kNoControl,
     kNoControl, nullptr},
};

constexpr HelpMapEntry kPageHelp[] = {
    {kColourModeLabel, 10270},       {kColourModeCombo, 10270},      {kColourConversionLabel, 10293},
    {kColourConversionCombo, 10293}, {kColourProfilesButton, 11832}, {kColourDefaultsButton, 1540},
    {0, 0}};
constexpr HelpMapEntry kProfileHelp[] = {
    {kProfileCombo1, 11832}, {kProfileBrowse1, 11832}, {kProfilePath1, 11832},
    {kProfileCombo2, 11833}, {kProfileBrowse2, 11833}, {kProfilePath2, 11833},
    {kProfilesOkButton, 1520}, {kProfilesCancelButton, 1530}, {kProfilesDefaultsButton, 1540},
    {0, 0}};
constexpr HelpMapEntry kNoHelp[] = {{0, 0}};
constexpr int32_t kNoLockedControls[] = {kNoControl};

template <size_t N>
constexpr ItemTableHeader Table(const ItemRecord (&records)[N], const HelpMapEntry* help)
{
    return {records, static_cast<uint32_t>(N), kPageHelpTopic, help, kNoLockedControls, 0};
}

const ItemTableHeader kProfilesTable = Table(kProfileRecords, kProfileHelp);

INT_PTR RunEngine(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t code, uint16_t type)
{
    SlotHandler handler = nullptr;
    int32_t slot = -1;
    if (!FindMessageHandler(message, wParam, lParam, type, &handler, &slot))
        return FALSE;
    return CallMessageHandler(window, message, wParam, lParam, code, type, handler);
}

}  // namespace

const ItemTableHeader ColourModeItemTable = Table(kPageRecords, kPageHelp);
// The page of one colour kind shows its template and the engine's page-level
// handling alone.
const ItemTableHeader ColourModePlainItemTable = {nullptr, 0, kPageHelpTopic, kNoHelp, kNoLockedControls, 0};
const PageDescriptor ColourProfilesDialog = {kColourProfilesCode, &kProfilesTable, nullptr};

INT_PTR CALLBACK ColorModePageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunEngine(window, message, wParam, lParam, kColourModeCode, kDialogTypePage);
}

INT_PTR CALLBACK FreeTextComboDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunEngine(window, message, wParam, lParam, kColourProfilesCode, kDialogTypeSubPage);
}

int CheckFileName(HWND window, HMODULE resources, const wchar_t* path)
{
    // Strict: a character the code page has no byte for refuses the path
    // rather than turning into a default character that names another file.
    char* ansi = nullptr;
    int length = 0;
    UINT message = kMessageFileRefused;
    if (path && WideToMultiByteAlloc(path, &ansi, &length, GetACP())) {
        GlobalFree(ansi);
        if (length < kProfileAnsiBytes)
            return 1;
        message = kMessageFileNotAnsi;
    } else if (path) {
        message = kMessageFileNotAnsi;
    }
    const std::wstring text = ResourceText(message, resources) + L"\n" + (path ? path : L"");
    ShowResourceMessageBox(window, kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION, kTextGiven, text.c_str());
    return 0;
}

int StoreFile1(CallContext* call, const ItemRecord* item, const wchar_t* path)
{
    return StoreFile(call, item, path, kProfile1);
}

int StoreFile2(CallContext* call, const ItemRecord* item, const wchar_t* path)
{
    return StoreFile(call, item, path, kProfile2);
}

uint16_t ColourConversionSetting(uint32_t setting293)
{
    if (setting293 == 2)
        return kFidColourConversion390;
    if (setting293 == 3)
        return kFidRenderingIntent;
    return kHiddenPictureSetting;
}

int32_t ColourPictureSlot(uint32_t setting293)
{
    switch (setting293) {
    case 1:
    case 4:
        return 0;
    case 2:
        return 2;
    case 3:
        return 1;
    default:
        return -1;
    }
}
