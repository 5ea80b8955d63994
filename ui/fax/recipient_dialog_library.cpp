#include "ui/fax/recipient_dialog_library.h"

#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/model/model_data.h"
#include "common/model/model_value_ops.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/code_pages.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/ui_context.h"
#include "ui/fax/fax_destinations.h"
#include "ui/fax/fax_recipient_fields.h"
#include "ui/fax/fax_setting_ids.h"
#include "ui/support/resource_messages.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr UINT kStringSettingsKey = 4639;
constexpr UINT kMessageBookUnreadable = 5007;
constexpr UINT kMessageSomeUnusable = 5008;
constexpr int kAddressBookBox = 4008;
constexpr uint16_t kLibraryFileName = 10;
constexpr uint16_t kModelSectionMaxRecipients = 25;
constexpr uint32_t kMaxRecipientsWithout4Digit = 50;

// Record value -> entry value; the table is its own inverse.
constexpr uint16_t kCommModeTable[][2] = {{0, 0}, {1, 2}, {2, 1}};

// Flag bits of the call.
constexpr uint32_t kFlagCommMode2 = 0x01;
constexpr uint32_t kFlagLineKind1 = 0x02;
constexpr uint32_t kFlagFourDigit = 0x04;
constexpr uint32_t kFlagFourDigitOr4113 = 0x08;
constexpr uint32_t kFlagHasFaxLine = 0x10;
constexpr uint32_t kFlagIpFax = 0x20;
constexpr uint32_t kFlagKeepKind = 0x40;
constexpr uint32_t kFlagOneRecipient = 0x80;

// UTF-16 field (of `chars` units) into an ANSI field of `bytes`; false when it
// does not convert or fit.
bool ToAnsiField(const wchar_t* text, size_t chars, char* out, size_t bytes)
{
    std::memset(out, 0, bytes);
    const std::wstring value(text, wcsnlen(text, chars));
    if (value.empty())
        return true;
    return WideToMultiByte(CP_ACP, value.c_str(), out, static_cast<int>(bytes)) >= 0;
}

// An ANSI field from outside (maybe unterminated) into a UTF-16 field.
bool ToWideField(const char* text, size_t bytes, wchar_t* out, size_t chars)
{
    std::wmemset(out, L'\0', chars);
    const std::string value(text, strnlen(text, bytes));
    if (value.empty())
        return true;
    return MultiByteToWide(CP_ACP, out, value.c_str(), static_cast<int>(chars)) > 0;
}

const wchar_t* SettingText(void* settings, void* printerSettings, uint16_t id)
{
    return reinterpret_cast<const wchar_t*>(
        static_cast<uintptr_t>(GetFunctionIdValuePointer(settings, printerSettings, id, kTypeString)));
}

bool BuildRequest(const RecipientDialogCall& call, RecipientDialogRequest* request)
{
    const wchar_t* book = call.addressBook ? call.addressBook : L"";
    if (book[0] == L':')
        ++book;
    wchar_t* base = nullptr;
    GetModelRegistryBase(call.model, 1, &base);
    GlobalBlockPtr<wchar_t> owner(base);
    wchar_t suffix[261] = {};
    HMODULE resources = GetResourceModule();
    if (!base || !resources || LoadStringW(resources, kStringSettingsKey, suffix, 261) <= 0)
        return false;
    const std::wstring key = std::wstring(base) + suffix;
    HKEY opened = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_READ, nullptr, &opened, nullptr) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    uint16_t language = 0;
    GetUiLanguageId(&language);
    request->languageId = language;
    return ToAnsiField(book, 261, request->addressBook, sizeof request->addressBook) &&
           ToAnsiField(call.helpFile ? call.helpFile : L"", 261, request->helpFile, sizeof request->helpFile) &&
           ToAnsiField(key.c_str(), key.size() + 1, request->settingsKey, sizeof request->settingsKey);
}

bool BuildOptions(void* settings, void* printerSettings, RecipientDialogOptions* options)
{
    const wchar_t* outside = SettingText(settings, printerSettings, kFidOutsideLinePrefix);
    const wchar_t* extension = SettingText(settings, printerSettings, kFidExtensionPrefix);
    if (!outside || !extension)
        return false;
    options->option4111 = SettingNumberOr(kFidFaxInstallable4111, settings, printerSettings, 0);
    options->outsideValue =
        static_cast<uint16_t>(SettingNumberOr(kFidOutsideLineValue, settings, printerSettings, 0));
    options->extensionValue =
        static_cast<uint16_t>(SettingNumberOr(kFidExtensionValue, settings, printerSettings, 0));
    options->value5145 = static_cast<uint16_t>(SettingNumberOr(kFidPrefixValue5145, settings, printerSettings, 0));
    return ToAnsiField(outside, 6, options->outsidePrefix, sizeof options->outsidePrefix) &&
           ToAnsiField(extension, 6, options->extensionPrefix, sizeof options->extensionPrefix);
}

std::wstring LibraryPath(ModelDataRecord* model)
{
    wchar_t directory[kDriverDirectoryChars] = {};
    wchar_t* name = nullptr;
    GetModelFileName(model, kLibraryFileName, &name);
    GlobalBlockPtr<wchar_t> owner(name);
    if (!name || name[0] == L'\0' || !GetDriverDirectory(directory, sizeof directory))
        return {};
    return std::wstring(directory) + name + L".dll";
}

struct LibraryCloser {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};

}  // namespace

bool TranslateRecipientCommMode(uint16_t value, uint16_t* out)
{
    for (const auto& row : kCommModeTable)
        if (row[0] == value) {
            *out = row[1];
            return true;
        }
    return false;
}

bool RecipientToDialogEntry(const FaxRecipientRecord& r, RecipientDialogEntry* e)
{
    *e = RecipientDialogEntry{};
    e->kind = r.kind;
    e->dialPrefix = r.lineSelector;
    e->mailboxKind = r.fieldChoice;
    e->mailboxNumber = r.field4Number;
    e->relayStation = r.field1Number;
    e->relayPrint = r.field1Flag;
    return TranslateRecipientCommMode(r.field3Code, &e->commMode) &&
           ToAnsiField(r.destination, kRecipientAddressChars, e->address, sizeof e->address) &&
           ToAnsiField(r.field7, kRecipientNameChars, e->name, sizeof e->name) &&
           ToAnsiField(RecipientCompany(&r), kRecipientCompanyChars, e->company, sizeof e->company) &&
           ToAnsiField(r.field4Text, kRecipientMailboxCodeChars, e->mailboxCode, sizeof e->mailboxCode) &&
           ToAnsiField(r.field1List, kRecipientRelayNumbersChars, e->relayNumbers, sizeof e->relayNumbers) &&
           ToAnsiField(r.field5, kRecipientFCodeChars, e->fCode, sizeof e->fCode) &&
           ToAnsiField(r.field6, kRecipientFCodeChars, e->fCodePassword, sizeof e->fCodePassword);
}

bool DialogEntryToRecipient(const RecipientDialogEntry& e, FaxRecipientRecord* r)
{
    *r = FaxRecipientRecord{};
    r->kind = e.kind;
    r->lineSelector = e.dialPrefix;
    r->fieldChoice = e.mailboxKind;
    r->field4Number = e.mailboxNumber;
    r->field1Number = e.relayStation;
    r->field1Flag = e.relayPrint;
    return TranslateRecipientCommMode(e.commMode, &r->field3Code) &&
           ToWideField(e.address, sizeof e.address, r->destination, kRecipientAddressChars) &&
           ToWideField(e.name, sizeof e.name, r->field7, kRecipientNameChars) &&
           ToWideField(e.company, sizeof e.company, RecipientCompany(r), kRecipientCompanyChars) &&
           ToWideField(e.mailboxCode, sizeof e.mailboxCode, r->field4Text, kRecipientMailboxCodeChars) &&
           ToWideField(e.relayNumbers, sizeof e.relayNumbers, r->field1List, kRecipientRelayNumbersChars) &&
           ToWideField(e.fCode, sizeof e.fCode, r->field5, kRecipientFCodeChars) &&
           ToWideField(e.fCodePassword, sizeof e.fCodePassword, r->field6, kRecipientFCodeChars);
}

uint32_t BuildRecipientDialogFlags(ModelDataRecord* model, void* settings, void* printerSettings, uint16_t lineKind)
{
    const bool ipFax = SettingNumberOr(kFidIpFaxOption, settings, printerSettings, 0) != 0;
    const bool fourDigit = IsFourDigitSpeedDial(lineKind, ipFax);
    uint32_t flags = 0;
    if (SettingNumberOr(kFidFaxCommMode2, settings, printerSettings, 0))
        flags |= kFlagCommMode2;
    if (lineKind == 1)
        flags |= kFlagLineKind1;
    if (fourDigit)
        flags |= kFlagFourDigit;
    if (fourDigit || SettingNumberOr(kFidFaxInstallable4113, settings, printerSettings, 0) == 1)
        flags |= kFlagFourDigitOr4113;
    if (lineKind != 3)
        flags |= kFlagHasFaxLine;
    if (ipFax)
        flags |= kFlagIpFax;
    if (TestModelCapability(model, kCapKeepRecipientKind))
        flags |= kFlagKeepKind;
    if (SettingNumberOr(kFidOneRecipientMode, settings, printerSettings, 0))
        flags |= kFlagOneRecipient;
    return flags;
}

void ClearFaxRecipients(FaxDestinations* record)
{
    if (!record)
        return;
    for (int32_t i = GetKeyedListCount(record->recipients) - 1; i >= 0; --i) {
        if (void* data = GetKeyedListDataAt(record->recipients, i))
            GlobalFree(data);
        RemoveKeyedListNodeAt(record->recipients, i);
    }
}

int ShowOutsideRecipientDialogWith(const RecipientDialogCall& call)
{
    if (!call.model || !call.settings || !call.record || !call.record->recipients)
        return 0;
    auto request = AllocGlobalBlock<RecipientDialogRequest>(sizeof(RecipientDialogRequest));
    if (!request || !BuildRequest(call, request.get()))
        return 0;
    uint16_t lineKind = 0;
    if (!GetFaxCardKindOf(call.model, call.settings, call.printerSettings, &lineKind))
        return 0;
    const uint32_t flags = BuildRecipientDialogFlags(call.model, call.settings, call.printerSettings, lineKind);
    RecipientDialogOptions options{};
    if (!BuildOptions(call.settings, call.printerSettings, &options))
        return 0;
    const bool ipFax = SettingNumberOr(kFidIpFaxOption, call.settings, call.printerSettings, 0) != 0;
    uint32_t maximum = kMaxRecipientsWithout4Digit;
    if (IsFourDigitSpeedDial(lineKind, ipFax)) {
        maximum = GetModelSectionNumber(call.model, kModelSectionMaxRecipients, 2, 0);
        if (maximum == 0)
            return 0;
    }
    // Room for whichever is larger, the maximum passed or the list handed
    // over: a list of 50 may meet a model maximum below it.
    const int32_t listed = GetKeyedListCount(call.record->recipients);
    if (listed < 0)
        return 0;
    const uint32_t room = std::max<uint32_t>(maximum, static_cast<uint32_t>(listed));
    std::vector<RecipientDialogEntry> entries(room);
    for (int32_t i = 0; i < listed; ++i) {
        auto* r = static_cast<const FaxRecipientRecord*>(GetKeyedListDataAt(call.record->recipients, i));
        if (!r || !RecipientToDialogEntry(*r, &entries[i]))
            return 0;
    }
    uint32_t count = static_cast<uint32_t>(listed);

    const std::wstring path = LibraryPath(call.model);
    if (path.empty())
        return 0;
    std::unique_ptr<HINSTANCE__, LibraryCloser> library(
        LoadLibraryInDriverContext(path.c_str(), LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!library)
        return 0;
    auto show = reinterpret_cast<FaxRecipShowDialogProc>(
        reinterpret_cast<void*>(GetProcAddress(library.get(), kRecipientDialogEntryName)));
    if (!show)
        return 0;
    const int result = show(call.page, request.get(), flags, &options, maximum, entries.data(), &count, 0);
    library.reset();

    switch (result) {
    case kRecipientDialogUnchanged:
        return 1;
    case kRecipientDialogBookUnreadable:
    case kRecipientDialogSomeUnusable:
        ShowResourceMessageBox(call.page, kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION,
                               result == kRecipientDialogBookUnreadable ? kMessageBookUnreadable
                                                                        : kMessageSomeUnusable,
                               nullptr);
        if (call.page)
            SetFocus(GetDlgItem(call.page, kAddressBookBox));
        return 1;
    case kRecipientDialogNewList:
        break;
    default:
        return 0;
    }
    // A library that claims more entries than the array holds is held to it.
    count = std::min(count, room);
    std::vector<GlobalBlockPtr<FaxRecipientRecord>> fresh;
    for (uint32_t i = 0; i < count; ++i) {
        auto block = AllocGlobalBlock<FaxRecipientRecord>(sizeof(FaxRecipientRecord));
        if (!block || !DialogEntryToRecipient(entries[i], block.get()))
            return 0;
        fresh.push_back(std::move(block));
    }
    ClearFaxRecipients(call.record);
    for (auto& block : fresh) {
        if (!InsertKeyedListNode(call.record->recipients, 0, kAnyKey2, block.get()))
            return 0;
        block.release();
    }
    WriteSettingNumber(kFidFaxRecipientCount, call.settings, call.printerSettings, count);
    return 1;
}

int ShowOutsideRecipientDialog(HWND page, const wchar_t* addressBook)
{
    DialogContext* dialog = GetDialogContext(page);
    UiContext* ui = GetWindowUiContext(page);
    SettingsContext* context = GetUiSettingsContext(ui);
    if (!dialog || !dialog->current || !context)
        return 0;
    RecipientDialogCall call{page,
                             context->main,
                             dialog->current->settings,
                             dialog->current->printerSettings,
                             GetUiHelpFilePath(ui),
                             addressBook,
                             dialog->current->fax};
    return ShowOutsideRecipientDialogWith(call);
}
