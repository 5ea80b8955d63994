#include "common/job/doc_monitor_register.h"

#include "common/context/settings_context.h"
#include "common/job/ansi_text.h"
#include "common/model/model_kinds.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "common/system/positional_format.h"
#include "common/system/user_and_process.h"

#include <winspool.h>

#include <cwchar>
#include <iterator>
#include <vector>

namespace {

// Resource strings of the fax texts.
constexpr UINT kStringOneName = 5139;      // %1s: the recipient's name
constexpr UINT kStringMoreNames = 5140;    // %1s %2d: the first name, the number of further recipients
constexpr UINT kStringOneNumber = 5141;    // %1s: the recipient's number
constexpr UINT kStringMoreNumbers = 5142;  // %1s %2d: the first number, the number of further recipients
constexpr UINT kStringNoName = 5143;       // a recipient without a name
constexpr UINT kStringBoxSeparator = 5144;

constexpr wchar_t kUnknownUser[] = L"UnknownUser";

// A number setting of any width; 0 when it cannot be read.
uint32_t Number(const DocMonitorJobContext& job, uint16_t id)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (GetFunctionIdValue(id, job.settingsRecord, job.printerSettingsRecord, &type, &size, &holder) != kSettingOk)
        return 0;
    switch (size) {
    case 1: return static_cast<uint8_t>(holder);
    case 2: return static_cast<uint16_t>(holder);
    default: return static_cast<uint32_t>(holder);
    }
}

const wchar_t* Text(const DocMonitorJobContext& job, uint16_t id)
{
    const uint64_t pointer = GetFunctionIdValuePointer(job.settingsRecord, job.printerSettingsRecord, id, kTypeString);
    return reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(pointer));
}

std::wstring ResourceString(UINT id)
{
    wchar_t text[128] = {};
    const HMODULE resources = GetResourceModule();
    if (resources == nullptr || LoadStringW(resources, id, text, static_cast<int>(std::size(text))) <= 0)
        return {};
    return text;
}

std::wstring DisplayName(const DocMonitorJobContext& job, uint16_t id, const void* value)
{
    if (job.settings == nullptr)
        return {};
    wchar_t* name = nullptr;
    std::wstring text;
    if (GetItemDisplayName(job.settings->main, job.settings->linked, id, value, &name) == 0 && name != nullptr)
        text = name;
    if (name != nullptr)
        GlobalFree(name);
    return text;
}

uint32_t JobKind(const DocMonitorJobContext& job)
{
    if (job.requestKind == kDocMonitorFax)
        return Number(job, kFidFaxSpecialJob) == 1 ? kDocJobFaxSpecial : kDocJobFax;
    if (Number(job, kFidStoredJobText) == 1)
        return kDocJobStoredText;
    switch (Number(job, kFidJobType)) {
    case 1: return kDocJobSecure;
    case 2: return kDocJobProof;
    case 3: return kDocJobBox;
    case 4: return kDocJobDelayed;
    default: return kDocJobOther;
    }
}

std::wstring PrintText(const DocMonitorJobContext& job, uint32_t kind)
{
    const wchar_t* stored = nullptr;
    switch (kind) {
    case kDocJobStoredText:
        stored = Text(job, kFidStoredJobName);
        return stored ? stored : L"";
    case kDocJobBox:
        stored = Text(job, kFidBoxName);
        return DisplayName(job, kFidBoxName, nullptr) + ResourceString(kStringBoxSeparator) + (stored ? stored : L"");
    default: {
        uint64_t value = Number(job, kFidOutputBin);
        std::wstring name = DisplayName(job, kFidOutputBin, &value);
        return name.substr(0, name.find(L'\r'));
    }
    }
}

std::wstring FaxText(UINT oneId, UINT moreId, const wchar_t* first, uint32_t count)
{
    wchar_t text[64] = {};
    const std::wstring format = ResourceString(count > 1 ? moreId : oneId);
    if (!format.empty())
        FormatPositional(text, static_cast<int>(std::size(text)), format.c_str(), first,
                         static_cast<int>(count > 1 ? count - 1 : 0));
    return text;
}

void UserName(const DocMonitorJobContext& job, wchar_t* out, uint32_t chars)
{
    const uint32_t kind = Number(job, kFidAdminUserIdKind);
    const wchar_t* held = Text(job, kFidAdminUserName);
    if ((kind == 1 || kind == 4 || kind == 5 || kind == 6) && held != nullptr && held[0] != L'\0') {
        wcsncpy(out, held, chars - 1);
        out[chars - 1] = L'\0';
        return;
    }
    if (!GetCurrentUserName(out, chars))
        wcsncpy(out, kUnknownUser, chars - 1);
}

}  // namespace

int FillDocMonitorRequest(const DocMonitorJobContext& job, DocMonitorJobRequest* request,
                          DocMonitorRequestTexts* texts)
{
    if (request == nullptr || texts == nullptr || job.settingsRecord == nullptr)
        return 0;
    *request = {};
    *texts = {};
    request->requestKind = job.requestKind;
    request->jobKind = JobKind(job);

    // The printer's name and port are the texts the monitor shows for it.
    DWORD needed = 0;
    GetPrinterW(job.printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> info(needed > 0 ? needed : 1);
    if (needed > 0 && GetPrinterW(job.printer, 2, info.data(), needed, &needed)) {
        const auto* printer = reinterpret_cast<const PRINTER_INFO_2W*>(info.data());
        WideToAnsiCut(printer->pPrinterName, texts->firstText, kDocFirstTextMax);
        WideToAnsiCut(printer->pPortName, texts->thirdText, kDocThirdTextMax);
    }
    WideToAnsiCut(job.documentName != nullptr ? job.documentName : L"", texts->secondText, kDocSecondTextMax);
    wchar_t user[kDocUserMax + 1] = {};
    UserName(job, user, static_cast<uint32_t>(std::size(user)));
    WideToAnsiCut(user, texts->userName, kDocUserMax);
    request->firstText = texts->firstText;
    request->secondText = texts->secondText;
    request->thirdText = texts->thirdText;
    request->userName = texts->userName;

    if (job.requestKind == kDocMonitorFax) {
        const std::wstring noName = ResourceString(kStringNoName);
        const wchar_t* name = job.recipientName && job.recipientName[0] ? job.recipientName : noName.c_str();
        const wchar_t* number = job.recipientNumber ? job.recipientNumber : L"";
        WideToAnsiCut(FaxText(kStringOneName, kStringMoreNames, name, job.recipientCount).c_str(),
                      texts->faxText[0], kDocFaxTextMax);
        WideToAnsiCut(FaxText(kStringOneNumber, kStringMoreNumbers, number, job.recipientCount).c_str(),
                      texts->faxText[1], kDocFaxTextMax);
        request->faxText[0] = texts->faxText[0];
        request->faxText[1] = texts->faxText[1];
        return 1;
    }
    request->flag = Number(job, kFidStapleValue) != 0 ? 1 : 0;
    if (request->jobKind == kDocJobDelayed) {
        request->hour = static_cast<uint8_t>(Number(job, kFidDelayHour));
        request->minute = static_cast<uint8_t>(Number(job, kFidDelayMinute));
    }
    WideToAnsiCut(PrintText(job, request->jobKind).c_str(), texts->printText, kDocPrintTextMax);
    request->printText = texts->printText;
    return 1;
}

int RegisterJobWithDocMonitor(const DocMonitorJobContext& job, DocMonitorJob** handle, char* jobId)
{
    DocMonitorJobRequest request;
    DocMonitorRequestTexts texts;
    if (!FillDocMonitorRequest(job, &request, &texts))
        return kDocMonitorMissing;
    return CreateDocMonitorJob(handle, jobId, &request);
}
