// Kind 6: the push button and its actions: close a modal sub-dialog, set the
// page's settings to their defaults, open a sub-dialog or a nested sheet on a
// copy of the settings, help, choose a file, open a document, end the dialog.
#include <windows.h>
#include <commdlg.h>
#include <prsht.h>
#include <shellapi.h>

#include "common/conflicts/conflict_messages.h"
#include "common/constraints/constraint_engine.h"
#include "common/context/model_lookups.h"
#include "common/context/settings_context.h"
#include "common/model/model_data.h"
#include "common/defaults/setting_defaults.h"
#include "common/devmode/default_validation.h"
#include "common/options/option_lists.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "ui/controls/button_actions.h"
#include "ui/controls/display_states.h"
#include "ui/controls/engine_steps.h"
#include "ui/controls/kind_handlers.h"
#include "ui/engine/item_changes.h"
#include "ui/support/ansi_limits.h"
#include "ui/support/file_choice.h"
#include "ui/support/resource_messages.h"
#include "ui/support/sub_dialog.h"
#include "ui/support/text_validation.h"

#include <cstring>
#include <cwchar>
#include <vector>

namespace {

constexpr uint16_t kFirstPrinterSetting = 4097;  // the printer settings group is never reset here
constexpr uint16_t kLastPrinterSetting = 4371;
constexpr int kCaptionChars = 128;
constexpr uint16_t kModelDocumentString = 29;  // the section holding the document's path

bool IsPrinterSetting(uint16_t id) { return id >= kFirstPrinterSetting && id <= kLastPrinterSetting; }

SettingsSet* CurrentSet(HWND window)
{
    DialogContext* context = GetDialogContext(window);
    return context ? context->current : nullptr;
}

// The settings of the dialog's items (its own ids).
std::vector<uint16_t> DialogSettingIds(CallContext* call)
{
    std::vector<uint16_t> ids;
    const ItemRecord* records = nullptr;
    int32_t count = 0;
    if (GetDialogItemTable(GetCallWindow(call), static_cast<int32_t>(GetCallDialogCode(call)), &records, &count) != 1)
        return ids;
    for (int32_t i = 0; i < count; ++i)
        for (int32_t s = 0; s < records[i].slotCount; ++s)
            ids.push_back(records[i].slots[s].setting);
    return ids;
}

bool Contains(const std::vector<uint16_t>& ids, uint16_t id)
{
    for (uint16_t x : ids)
        if (x == id)
            return true;
    return false;
}

}  // namespace

// --- Defaults ------------------------------------------------------------------------------

int ResolveDefaultConflicts(HANDLE printer, SettingsContext* context, void* settings, void* printerSettings,
                            std::vector<uint16_t>* changed, std::vector<uint16_t>* left)
{
    constexpr int kMaxPasses = 32;
    for (int pass = 0; pass < kMaxPasses; ++pass) {
        uint16_t* conflicts = nullptr;
        const int verdict = ValidateDefaultSettings(printer, context, settings, printerSettings, &conflicts);
        if (verdict == kDefaultsValid) {
            FreeGlobalIfSet(conflicts);
            return 1;
        }
        if (verdict != kDefaultsConflict || !conflicts) {
            FreeGlobalIfSet(conflicts);
            return 0;
        }
        bool moved = false;
        std::vector<uint16_t> open;
        for (const uint16_t* id = conflicts; *id; ++id) {
            open.push_back(*id);
            if (IsPrinterSetting(*id))
                continue;
            uint16_t type = 0;
            uint32_t size = 0;
            uint64_t before = 0, after = 0;
            if (GetFunctionIdValue(*id, settings, printerSettings, &type, &size, &before) != 0 ||
                !ResetFunctionIdToDefault(context, *id, settings, printerSettings) ||
                GetFunctionIdValue(*id, settings, printerSettings, &type, &size, &after) != 0) {
                GlobalFree(conflicts);
                return 0;
            }
            const int compared = CompareSettingValues(type, &before, &after);
            if (compared == 2) {
                GlobalFree(conflicts);
                return 0;
            }
            if (compared != 0) {
                moved = true;
                if (!Contains(*changed, *id))
                    changed->push_back(*id);
            }
        }
        GlobalFree(conflicts);
        if (!moved) {
            // Resetting again would change nothing: what still conflicts is left to the user.
            *left = open;
            return 1;
        }
    }
    return 1;
}

int RestoreDefaultSettings(CallContext* call, const ItemRecord* item)
{
    HWND window = GetCallWindow(call);
    UiContext* ui = GetWindowUiContext(window);
    SettingsSet* current = CurrentSet(window);
    if (!ui || !IsSettingsSetValid(current))
        return 0;
    if (item)
        if (HWND button = GetDlgItem(window, item->controlId))
            SetFocus(button);
    SetCallResultCode(call, 0);
    ResetMeasureUnitChoice(ui);
    std::vector<uint8_t> settingsBefore(current->settings, current->settings + kSettingsRecordSize);
    std::vector<uint8_t> printerBefore(current->printerSettings, current->printerSettings + kPrinterSettingsRecordSize);
    int32_t count = 0;
    uint16_t* reset = nullptr;
    if (!ResetDialogToDefaults(call, current->settings, current->printerSettings, &count, &reset))
        return 0;
    std::vector<uint16_t> changed;
    std::vector<uint16_t> left;
    if (!ResolveDefaultConflicts(ui->printer, call->settingsContext, current->settings, current->printerSettings,
                                 &changed, &left)) {
        std::memcpy(current->settings, settingsBefore.data(), kSettingsRecordSize);
        std::memcpy(current->printerSettings, printerBefore.data(), kPrinterSettingsRecordSize);
        FreeGlobalIfSet(reset);
        return 0;
    }
    uint32_t answer = kDefaultsKept;
    if (!changed.empty() || !left.empty()) {
        // Shown: what the check changed, less the settings of other pages that
        // ended where they were, then what still conflicts.
        const std::vector<uint16_t> own = DialogSettingIds(call);
        std::vector<uint16_t> shown = changed;
        std::vector<uint16_t> foreign;
        for (uint16_t id : changed)
            if (!Contains(own, id))
                foreign.push_back(id);
        foreign.push_back(0);
        uint16_t shownCount = static_cast<uint16_t>(shown.size());
        const ConstraintContext now{call->settingsContext, current->settings, current->printerSettings};
        const ConstraintContext before{call->settingsContext, settingsBefore.data(), printerBefore.data()};
        if (shownCount)
            FilterChangedSettings(shown.data(), &shownCount, foreign.data(), now, before);
        shown.resize(shownCount);
        for (uint16_t id : left)
            if (!Contains(shown, id))
                shown.push_back(id);
        PaperUnits units{ui->chosenUnit == 1 ? 1u : 0u, 0};
        if (!shown.empty() &&
            ShowItemConflictMessage(window, now, shown.data(), static_cast<int>(shown.size()), &units) ==
                kItemAnswerCancel) {
            std::memcpy(current->settings, settingsBefore.data(), kSettingsRecordSize);
            std::memcpy(current->printerSettings, printerBefore.data(), kPrinterSettingsRecordSize);
            answer = kDefaultsDeclined;
        }
    }
    SetCallResultCode(call, answer);
    if (answer == kDefaultsDeclined) {
        FreeGlobalIfSet(reset);
        return 1;
    }
    std::vector<uint16_t> all;
    for (int32_t i = 0; reset && reset[i]; ++i)
        all.push_back(reset[i]);
    all.insert(all.end(), changed.begin(), changed.end());
    all.push_back(0);
    FreeGlobalIfSet(reset);
    uint16_t* list = nullptr;
    if (!AddToPendingList(&list, all.data()))
        return 0;
    return RecordPendingRefresh(call, item, list);
}

// --- Sub-dialogs and nested sheets ----------------------------------------------------

int NestedSheetResult(INT_PTR result)
{
    if (result == 1)
        return 1;
    if (result == 0)
        return 2;
    return -1;
}

namespace {

// Fills the caption from the caption setting's display name or string.
void SheetCaption(const CallContext* call, const SheetParams* params, wchar_t* caption)
{
    caption[0] = 0;
    if (params->captionSetting) {
        uint16_t kind = 0, count = 0, status = 0;
        const wchar_t* name = nullptr;
        ModelSection* section = nullptr;
        if (GetItemFeature(call->settingsContext, static_cast<uint16_t>(params->captionSetting), &kind, &count, &name,
                           &section, &status)) {
            if (name)
                wcsncpy(caption, name, kCaptionChars - 1);
            FreeItemFeature(section);
        }
    }
    if (!caption[0] && params->captionString != kNoControl)
        LoadStringW(GetResourceModule(), static_cast<UINT>(params->captionString), caption, kCaptionChars);
}

INT_PTR ShowNestedSheet(HWND window, const CallContext* call, const SheetParams* params, DialogContext* context)
{
    if (!params->pages || params->pageCount == 0)
        return -1;
    std::vector<PROPSHEETPAGEW> pages(params->pageCount);
    UINT start = 0;
    for (uint16_t i = 0; i < params->pageCount; ++i) {
        const PageHeader* header = params->pages[i];
        if (!header)
            return -1;
        PROPSHEETPAGEW& page = pages[i];
        page.dwSize = sizeof(PROPSHEETPAGEW);
        page.dwFlags = PSP_HASHELP;
        page.hInstance = GetResourceModule();
        page.pszTemplate = MAKEINTRESOURCEW(header->templateId);
        page.pfnDlgProc = header->procedure;
        page.lParam = reinterpret_cast<LPARAM>(context);
        if (header->dialogCode == params->startPage)
            start = i;
    }
    wchar_t caption[kCaptionChars];
    SheetCaption(call, params, caption);
    PROPSHEETHEADERW sheet{};
    sheet.dwSize = sizeof(PROPSHEETHEADERW);
    sheet.dwFlags = PSH_PROPSHEETPAGE | PSH_HASHELP | PSH_NOAPPLYNOW;
    sheet.hwndParent = window;
    sheet.hInstance = GetResourceModule();
    sheet.pszCaption = caption;
    sheet.nPages = params->pageCount;
    sheet.nStartPage = start;
    sheet.ppsp = pages.data();
    return PropertySheetW(&sheet);
}

}  // namespace

int OpenSubDialog(CallContext* call, const ItemRecord* item, uint32_t action, const void* data)
{
    HWND window = GetCallWindow(call);
    UiContext* ui = GetWindowUiContext(window);
    DialogContext* caller = GetDialogContext(window);
    if (!data)
        return 0;
    if (!item || !ui || !caller)
        return 1;
    const auto* sub = action == kActionSubDialog ? static_cast<const SubDialogParams*>(data) : nullptr;
    const auto* sheet = action == kActionNestedSheet ? static_cast<const SheetParams*>(data) : nullptr;
    if (sub && sub->checkFirst) {
        // A setting the rules keep from being changed here opens nothing.
        ConstraintResult* result = AllocConstraintResult();
        uint16_t code = 0;
        if (result && CheckSettingConstraints(kModeInteractive, ui->printer, call->settingsContext, call->settings,
                                              call->printerSettings, nullptr,
                                              static_cast<uint16_t>(sub->checkSetting), 0, nullptr, result, nullptr,
                                              0) == 0)
            code = result->code;
        FreeConstraintResult(result);
        if (code == kStateDisabled || code == kStateHidden)
            return 1;
    }
    if (sub && !sub->header)
        return -1;
    if (sub && sub->header->titleSetting)
        SetPendingTitleSetting(ui, sub->header->titleSetting);
    DialogContext* context = CreateDialogContext(window, ui, caller->current, caller->committed);
    if (!context)
        return -1;
    if (PassSheetNotification(call, PSN_KILLACTIVE, 0) == 1) {
        FreeDialogContext(&context);
        return 1;
    }
    INT_PTR shown = -1;
    int result = -1;
    if (sub) {
        // Each dialog type reads the creation parameter its own way.
        PROPSHEETPAGEW page{};
        page.dwSize = sizeof(page);
        page.lParam = reinterpret_cast<LPARAM>(context);
        const LPARAM parameter = sub->dialogType == kDialogTypeSubPage ? reinterpret_cast<LPARAM>(&page)
                                                                       : reinterpret_cast<LPARAM>(context);
        shown = DialogBoxParamW(GetResourceModule(), MAKEINTRESOURCEW(sub->header->templateId), window,
                                sub->header->procedure, parameter);
        result = shown == -1 ? -1 : static_cast<int>(shown);
    } else if (sheet) {
        shown = ShowNestedSheet(window, call, sheet, context);
        result = NestedSheetResult(shown);
    }
    SetSettingsChangedFlag(ui, 0);
    if (shown != -1) {
        AssignSettingsSet(caller->current, context->current);
        if (context->committed) {
            if (!caller->committed)
                caller->committed = CopySettingsSet(context->committed);
            else
                AssignSettingsSet(caller->committed, context->committed);
        }
        call->settings = caller->current->settings;
        call->printerSettings = caller->current->printerSettings;
    }
    FreeDialogContext(&context);
    PassSheetNotification(call, PSN_SETACTIVE, 0);
    return result;
}

// --- File choice ---------------------------------------------------------------------------

namespace {

int AnsiBytes(const wchar_t* text, size_t length)
{
    std::wstring part(text, length);
    return CountAnsiTextBytes(part.c_str());
}

bool ValidChars(const std::wstring& text, const TextCheckSpec* spec)
{
    return !spec || ValidateTextCharacters(text.c_str(), spec->singleAllowed, spec->doubleAllowed,
                                           spec->singleForbidden, nullptr, spec->flags, 0);
}

}  // namespace

void ShowFileRefusalMessage(HWND window, const FileDialogParams* params, uint32_t messageId, const wchar_t* path)
{
    wchar_t* text = nullptr;
    if (messageId == kMessageByteLimit)
        LoadFormattedString(&text, 512, messageId, 1, params->maxFolder, params->maxFolder, params->maxFolder / 2,
                            params->maxName);
    else if (messageId == kMessageValueLimit)
        LoadFormattedString(&text, 512, messageId, path);
    if (text) {
        ShowResourceMessageBox(window, kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION, kTextGiven, text);
        GlobalFree(text);
    } else {
        ShowResourceMessageBox(window, kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION,
                               static_cast<int>(messageId), nullptr);
    }
}

// 0 accepted; else the message to show.
uint32_t CheckChosenFile(CallContext* call, const FileDialogParams* params, const OPENFILENAMEW& dialog,
                         std::wstring* folder, std::wstring* name)
{
    const wchar_t* path = dialog.lpstrFile;
    const size_t offset = dialog.nFileOffset;
    *folder = std::wstring(path, offset > 0 ? offset - 1 : 0);
    *name = std::wstring(path + offset);
    if ((params->checks & kFileCutExtension) && dialog.nFileExtension > offset)
        name->resize(dialog.nFileExtension - offset - 1);
    const uint16_t checks = params->checks;
    if ((checks & kFileCheckNameLength) && AnsiBytes(name->c_str(), name->size()) > static_cast<int>(params->maxName))
        return params->limitMessage;
    if ((checks & kFileCheckFolderLength) &&
        AnsiBytes(folder->c_str(), folder->size()) > static_cast<int>(params->maxFolder))
        return params->limitMessage;
    if ((checks & kFileCheckPathLength) && AnsiBytes(path, wcslen(path)) > static_cast<int>(params->maxPath))
        return params->limitMessage;
    if ((checks & kFileCheckNameChars) && !ValidChars(*name, params->nameSpec))
        return params->nameSpec && params->nameSpec->messageId != kNoControl ? params->nameSpec->messageId
                                                                           : params->limitMessage;
    if ((checks & kFileCheckFolderChars) && !ValidChars(*folder, params->folderSpec))
        return params->folderSpec && params->folderSpec->messageId != kNoControl ? params->folderSpec->messageId
                                                                               : params->limitMessage;
    if (params->check && !params->check(call, path, dialog.nFileOffset, dialog.nFileExtension))
        return params->hookMessage ? params->hookMessage : params->limitMessage;
    return 0;
}

int ChooseFileForItem(HWND window, CallContext* call, const ItemRecord* item, const FileDialogParams* params)
{
    if (!params || !call)
        return -1;
    const OpenFileParameters open{params->filterString,
                                  params->filterIndex,
                                  static_cast<uint16_t>(params->initialNameSetting),
                                  params->initialFolderString,
                                  static_cast<uint16_t>(params->defaultFolderSetting),
                                  params->titleString,
                                  params->flags,
                                  params->extensionString,
                                  params->folderSetting};
    for (;;) {
        const ConstraintContext settings{call->settingsContext, call->settings, call->printerSettings};
        OpenFileRecord record{};
        if (!PrepareOpenFileDialog(window, settings, open, &record))
            return -1;
        const BOOL chosen =
            params == nullptr ? FALSE
                              : (call->subResult == kActionSaveFile ? GetSaveFileNameW(&record.dialog)
                                                                    : GetOpenFileNameW(&record.dialog));
        if (!chosen)
            return CommDlgExtendedError() == 0 ? 2 : -1;
        std::wstring folder, name;
        if (const uint32_t message = CheckChosenFile(call, params, record.dialog, &folder, &name)) {
            ShowFileRefusalMessage(window, params, message, record.dialog.lpstrFile);
            continue;
        }
        struct Store {
            uint16_t setting;
            std::wstring text;
        };
        const Store stores[] = {{params->folderSetting, folder},
                                {params->nameSetting, name},
                                {params->pathSetting, std::wstring(record.dialog.lpstrFile)}};
        bool stored = true;
        for (const Store& s : stores) {
            if (!s.setting)
                continue;
            const uint32_t bytes = static_cast<uint32_t>((s.text.size() + 1) * sizeof(wchar_t));
            if (SetFunctionIdValueArgs(call->settings, call->printerSettings, s.setting, kTypeString, bytes,
                                       s.text.c_str()) != 0)
                stored = false;
        }
        if (!stored)
            continue;
        const uint16_t ids[] = {params->folderSetting, params->nameSetting, 0};
        uint16_t* list = nullptr;
        std::vector<uint16_t> nonzero;
        for (uint16_t id : ids)
            if (id)
                nonzero.push_back(id);
        nonzero.push_back(0);
        if (AddToPendingList(&list, nonzero.data()))
            RecordPendingRefresh(call, item, list);
        return 1;
    }
}

// --- The button -------------------------------------------------------------------------------

int ShowPushButtonState(CallContext* call, const ItemRecord* item)
{
    HWND window = GetCallWindow(call);
    HWND button = GetDlgItem(window, item->controlId);
    const uint16_t setting = GetSelectedSettingId(window, item);
    const UiContext* ui = GetWindowUiContext(window);
    if (!button || !setting || !ui)
        return 0;
    ConstraintResult* result = AllocConstraintResult();
    uint16_t state = 0;
    if (result && CheckSettingConstraints(kModeInteractive, ui->printer, call->settingsContext, call->settings,
                                          call->printerSettings, nullptr, setting, 0, nullptr, result, nullptr, 0) == 0)
        state = result->code;
    FreeConstraintResult(result);
    if (state == kStateHidden)
        ShowWindow(button, SW_HIDE);
    else if (state != 0 && !GetCallPermission(call))
        EnableWindow(button, FALSE);
    return 1;
}

uint32_t RunPushButtonAction(CallContext* call, UINT, WPARAM, LPARAM, const ItemRecord* item,
                             const ButtonParams* params)
{
    HWND window = GetCallWindow(call);
    if (!params)
        return 0;
    SetCallSubResult(call, static_cast<int32_t>(params->action));
    switch (params->action) {
    case kActionOk: {
        const SubDialogSteps steps = MakeSubDialogSteps(call);
        ConfirmSubDialog(window, steps, IDOK);
        break;
    }
    case kActionCancel: {
        const SubDialogSteps steps = MakeSubDialogSteps(call);
        CancelSubDialog(window, steps, IDCANCEL);
        break;
    }
    case kActionDefaults:
        RestoreDefaultSettings(call, item);
        break;
    case kActionSubDialog:
    case kActionNestedSheet:
        OpenSubDialog(call, item, params->action, params->data);
        break;
    case kActionHelp:
        PassSheetNotification(call, PSN_HELP, 0);
        break;
    case kActionOpenFile:
    case kActionSaveFile:
        ChooseFileForItem(window, call, item, static_cast<const FileDialogParams*>(params->data));
        break;
    case kActionOpenDocument:
        OpenDocument(call, static_cast<const DocumentParams*>(params->data));
        break;
    case kActionEnd:
        EndDialog(window, kActionEnd);
        break;
    default:
        break;
    }
    return SetCallSubResult(call, 0) ? 0 : 1;
}

int OpenDocument(CallContext* call, const DocumentParams* params)
{
    if (!params)
        return 0;
    wchar_t path[MAX_PATH] = {};
    if (params->pathString == kNoControl) {
        wchar_t* text = nullptr;
        if (!call->settingsContext ||
            ReadModelSectionString(call->settingsContext->main, kModelDocumentString, 0, &text) != kModelOk || !text) {
            FreeGlobalIfSet(text);
            return 0;
        }
        wcsncpy(path, text, MAX_PATH - 1);
        GlobalFree(text);
    } else if (LoadStringW(GetResourceModule(), static_cast<UINT>(params->pathString), path, MAX_PATH) < 1) {
        return 0;
    }
    return reinterpret_cast<INT_PTR>(ShellExecuteW(GetCallWindow(call), L"open", path, nullptr, nullptr, SW_SHOW)) > 32
               ? 1
               : 0;
}

uint32_t OnPushButtonItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                          const void* parameters)
{
    if (!call || !item)
        return 0;
    if (message == WM_COMMAND) {
        RunPushButtonAction(call, message, wParam, lParam, item, static_cast<const ButtonParams*>(parameters));
        return 0;
    }
    if (IsShowMessage(message, lParam))
        ShowPushButtonState(call, item);
    return 0;
}
