// The sample print of the cover-sheet dialog: a one-page job whose only page
// is the cover sheet the device makes from the job's fax data, sent to the
// printer through an ordinary printer DC after the user confirmed it.
#include "ui/fax/cover_sheet_dialog.h"
#include "ui/fax/recipients_page_logic.h"

#include "common/context/value_by_type.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/global_block.h"
#include "ui/controls/kind_handlers.h"
#include "ui/docevent/fax_send_list.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/ui_context.h"
#include "ui/fax/cover_sheet_files.h"
#include "ui/fax/cover_sheet_ids.h"
#include "ui/fax/fax_recipient_fields.h"
#include "ui/fax/fax_ui_state.h"
#include "ui/fax/recipients_page.h"
#include "ui/fax/sender_information.h"
#include "ui/support/ansi_limits.h"
#include "ui/support/keyed_list.h"
#include "ui/support/resource_messages.h"

#include <winspool.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kSampleDocumentName[] = L"SamplePrint";
constexpr int kConfirmFieldBytes = 40;
constexpr int kSampleTextX = 100;
constexpr int kSampleTextY = 100;
constexpr int kNameChars = 256;

std::string ToAnsi(const wchar_t* text)
{
    char* block = nullptr;
    int length = 0;
    if (!WideToMultiByteAlloc(text ? text : L"", &block, &length))
        return {};
    GlobalBlockPtr<char> owner(block);
    return std::string(block, static_cast<size_t>(length));
}

std::wstring ToWide(const std::string& text)
{
    if (text.empty())
        return {};
    const int units = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (units <= 0)
        return {};
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), units);
    return wide;
}

// The byte count of `text` cut to at most `bytes` without splitting a
// double-byte character.
size_t WholeCharacters(const std::string& text, size_t bytes)
{
    size_t at = 0;
    while (at < text.size()) {
        const size_t step = IsDBCSLeadByte(static_cast<BYTE>(text[at])) && at + 1 < text.size() ? 2 : 1;
        if (at + step > bytes)
            break;
        at += step;
    }
    return at;
}

void SendClick(HWND dialog, int id, bool post)
{
    const WPARAM wParam = MAKEWPARAM(id, BN_CLICKED);
    const LPARAM lParam = reinterpret_cast<LPARAM>(GetDlgItem(dialog, id));
    if (post)
        PostMessageW(dialog, WM_COMMAND, wParam, lParam);
    else
        SendMessageW(dialog, WM_COMMAND, wParam, lParam);
}

// GetPrinterW into a block of its own; null when the level cannot be read.
std::vector<BYTE> PrinterInfo(HANDLE printer, DWORD level)
{
    DWORD needed = 0;
    GetPrinterW(printer, level, nullptr, 0, &needed);
    if (needed == 0)
        return {};
    std::vector<BYTE> info(needed);
    if (!GetPrinterW(printer, level, info.data(), needed, &needed))
        return {};
    return info;
}

bool PrinterAndPort(HANDLE printer, wchar_t* printerName, wchar_t* portName)
{
    const wchar_t* name = nullptr;
    const wchar_t* port = nullptr;
    std::vector<BYTE> info = PrinterInfo(printer, 5);
    if (!info.empty()) {
        const auto* five = reinterpret_cast<const PRINTER_INFO_5W*>(info.data());
        name = five->pPrinterName;
        port = five->pPortName;
    } else if (!(info = PrinterInfo(printer, 2)).empty()) {
        const auto* two = reinterpret_cast<const PRINTER_INFO_2W*>(info.data());
        name = two->pPrinterName;
        port = two->pPortName;
    }
    if (!name || !port)
        return false;
    std::wcsncpy(printerName, name, kNameChars - 1);
    printerName[kNameChars - 1] = L'\0';
    std::wcsncpy(portName, port, kNameChars - 1);
    portName[kNameChars - 1] = L'\0';
    return true;
}

// Deletes the sample's temporary files whatever way the print ends.
struct SampleFiles {
    std::wstring address;
    std::wstring properties;
    ~SampleFiles()
    {
        if (!properties.empty())
            DeleteFileW(properties.c_str());
        if (!address.empty())
            DeleteFileW(address.c_str());
    }
};

std::wstring StringSetting(const void* settings, uint16_t id)
{
    const auto* text = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(
        GetFunctionIdValuePointer(const_cast<void*>(settings), nullptr, id, kTypeString)));
    return text ? std::wstring(text) : std::wstring();
}

void PrintSample(HWND dialog)
{
    UiContext* ui = GetWindowUiContext(dialog);
    DialogContext* context = GetDialogContext(dialog);
    if (!ui || !ui->printer || !context || !context->current)
        return;
    std::vector<uint8_t> settings(kSettingsRecordSize);
    std::vector<uint8_t> printerSettings(kPrinterSettingsRecordSize);
    std::memcpy(printerSettings.data(), context->current->printerSettings, kPrinterSettingsRecordSize);
    FaxRecipientRecord recipient{};
    wchar_t port[kNameChars] = {};
    wchar_t printer[kNameChars] = {};
    if (!PrepareSampleFaxData(dialog, settings.data(), printerSettings.data(), &recipient, port, printer))
        return;
    SampleFiles files;
    files.address = StringSetting(settings.data(), kFidFaxAddressFile);
    wchar_t confirmation[kSampleConfirmationChars] = {};
    FormatSampleConfirmation(recipient, port, confirmation);
    if (ShowResourceMessageBox(dialog, kCaptionSettings, nullptr, MB_OKCANCEL | MB_ICONINFORMATION, kTextGiven,
                               confirmation) != IDOK)
        return;
    wchar_t properties[MAX_PATH] = {};
    MakeCoverTempFileName(kSamplePropertyFile, properties);
    files.properties = properties;
    const uint32_t bytes = static_cast<uint32_t>((std::wcslen(properties) + 1) * sizeof(wchar_t));
    if (SetFunctionIdValueArgs(settings.data(), printerSettings.data(), kFidDocPropertyFile, kTypeString, bytes,
                               properties) != 0)
        return;
    FaxStoreBlobs blobs{};
    blobs.privatePart = settings.data() + kPrivatePartOffset;
    if (!StoreFaxSendList(ui->printer, GetUiSettingsContext(ui), properties, 1, nullptr, blobs))
        return;
    PrintSampleDocument(printer, port, settings.data());
}

}  // namespace

int PrepareSampleFaxData(HWND dialog, void* settingsCopy, void* printerSettings, FaxRecipientRecord* recipient,
                         wchar_t* portName, wchar_t* printerName)
{
    UiContext* ui = GetWindowUiContext(dialog);
    DialogContext* context = GetDialogContext(dialog);
    FaxDestinations* record = GetDialogFaxDestinations(dialog);
    if (!ui || !ui->printer || !context || !context->current || !record || !settingsCopy || !recipient ||
        !portName || !printerName)
        return 0;
    std::memcpy(settingsCopy, context->current->settings, kSettingsRecordSize);
    wchar_t file[MAX_PATH] = {};
    MakeCoverTempFileName(kSampleAddressFile, file);
    if (!PrepareSampleSendList(settingsCopy, printerSettings, record, file) ||
        !PrinterAndPort(ui->printer, printerName, portName)) {
        DeleteFileW(file);
        return 0;
    }
    *recipient = FaxRecipientRecord{};
    if (GetKeyedListCount(record->recipients) > 0)
        if (const auto* first = static_cast<const FaxRecipientRecord*>(GetKeyedListDataAt(record->recipients, 0)))
            *recipient = *first;
    return 1;
}

void FormatSampleConfirmation(const FaxRecipientRecord& recipient, const wchar_t* portName, wchar_t* out)
{
    if (!out)
        return;
    out[0] = L'\0';
    const std::wstring number = FitTextToWidth(recipient.destination, kConfirmFieldBytes, false);
    const std::wstring name = FitTextToWidth(recipient.field7, kConfirmFieldBytes, false);
    // The company's two lines: the first as it fits, the rest after it.
    const std::string company = ToAnsi(RecipientCompany(&recipient));
    const size_t lineEnd = company.find("\r\n");
    std::string first = company.substr(0, lineEnd);
    first.resize(WholeCharacters(first, kConfirmFieldBytes));
    const std::string rest = lineEnd == std::string::npos ? std::string() : company.substr(lineEnd + 2);
    const std::wstring firstLine = ToWide(first);
    const std::wstring restLines = ToWide(rest);
    wchar_t* text = nullptr;
    if (!LoadFormattedString(&text, static_cast<int>(kSampleConfirmationChars), kMessageSampleConfirm,
                             portName ? portName : L"", number.c_str(), name.c_str(), firstLine.c_str(),
                             restLines.c_str()))
        return;
    std::wcsncpy(out, text, kSampleConfirmationChars - 1);
    out[kSampleConfirmationChars - 1] = L'\0';
    GlobalFree(text);
}

int PrintSampleDocument(const wchar_t* printerName, const wchar_t* portName, const void* settings)
{
    HDC dc = CreateDCW(L"WINSPOOL", printerName, nullptr, static_cast<const DEVMODEW*>(settings));
    if (!dc)
        return 0;
    DOCINFOW document{};
    document.cbSize = sizeof(document);
    document.lpszDocName = kSampleDocumentName;
    document.lpszOutput = portName;
    int printed = 0;
    if (StartDocW(dc, &document) > 0) {
        // One blank: the page exists for the cover sheet the device adds.
        if (StartPage(dc) > 0) {
            ExtTextOutW(dc, kSampleTextX, kSampleTextY, ETO_CLIPPED, nullptr, L" ", 1, nullptr);
            printed = EndPage(dc) > 0;
        }
        printed = EndDoc(dc) > 0 && printed;
    }
    DeleteDC(dc);
    return printed;
}

uint32_t PrintCoverSheetSample(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                               const void* parameters)
{
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED)
        return OnPushButtonItem(call, message, wParam, lParam, item, parameters);
    HWND dialog = GetCallWindow(call);
    FaxUiState* state = GetWindowFaxUiState(dialog);
    switch (VerifyCurrentSender(dialog)) {
    case kSenderNotStored:
        SendClick(dialog, kCoverNoticeButton, false);
        FillSenderList(dialog, kCoverSenderList, kSenderListInCoverDialog);
        SendClick(dialog, kCoverSenderButton, true);
        return 0;
    case kSenderDeclined:
        if (state)
            state->senderDialogRequest = 2;
        SendClick(dialog, kCoverSenderButton, true);
        return 0;
    case kSenderConfirmedNow:
        if (FillSenderList(dialog, kCoverSenderList, kSenderListInCoverDialog) < 0)
            return 0;
        PrintSample(dialog);
        return 0;
    case kSenderUsable:
        PrintSample(dialog);
        return 0;
    default:
        return 0;
    }
}
