#include "ui/docevent/job_data.h"

#include "common/context/setting_rules.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/job/ansi_text.h"
#include "common/job/doc_monitor_register.h"
#include "common/job/fax_send_list.h"
#include "common/job/fax_temp_files.h"
#include "common/job/job_header.h"
#include "common/job/job_header_block.h"
#include "common/job/model_registry_path.h"
#include "common/model/model_data.h"
#include "common/model/model_value_ops.h"
#include "common/records/record_defaults.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/store/printer_data.h"
#include "common/store/settings_blobs.h"
#include "common/store/user_setting_info.h"
#include "common/system/global_block.h"
#include "common/system/locale_region.h"
#include "common/system/module_files.h"
#include "common/system/os_version.h"
#include "common/system/positional_format.h"
#include "common/system/system_utilities.h"
#include "common/system/user_and_process.h"
#include "common/system/user_prompt.h"
#include "ui/docevent/dc_job_record.h"
#include "ui/docevent/extended_devmode.h"
#include "ui/docevent/fax_send_list.h"
#include "ui/docevent/stored_print_file.h"
#include "ui/docevent/user_identification.h"

#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr int kFailed = -1;
constexpr int kDone = 1;

// Resource strings of the questions and the annotation date and time.
constexpr UINT kStringSharedPrinterQuestion = 3;
constexpr UINT kStringPromptTitle = 265;
constexpr UINT kStringTimeFormat = 5178;
constexpr UINT kStringDateFormatFirst = 5179;  // 5179-5181 by LOCALE_IDATE 0-2
constexpr UINT kStringJobTypeQuestion = 9390;

constexpr uint32_t kCapabilityLocaleRegion = 0x400000;      // the paper region follows the locale
constexpr uint32_t kCapabilityScrambledCode = 0x40000000;   // the user code is stored scrambled
constexpr uint32_t kCapabilityOwnerWithoutHost = 0x2000000; // the owner text is the user name alone

constexpr uint16_t kUnmatchedPaper = 256;
// The annotation's user name and owner text as the device stores them: bytes
// of their ANSI form, a double-byte character never split.
constexpr uint32_t kUserNameBytes = 63;
constexpr uint32_t kOwnerTextBytes = 31;
constexpr uint16_t kNotPrinted = 0xFFFF;
constexpr uint32_t kMonitorIdBytes = 64;
// After escape 20512 the graphics library answers 20522 with 0 once its own
// document has started: the job is on its way.
constexpr uint32_t kJobOnItsWay = 0;

// One private escape on the printer DC; it counts as done when ExtEscape
// answers 1 or more.
bool Escape(HDC hdc, uint32_t code, uint32_t inSize, const void* in, uint32_t outSize = 0, void* out = nullptr)
{
    return ExtEscape(hdc, static_cast<int>(code), static_cast<int>(inSize), static_cast<LPCSTR>(in),
                     static_cast<int>(outSize), static_cast<LPSTR>(out)) >= 1;
}

bool Escape16(HDC hdc, uint32_t code, uint16_t value) { return Escape(hdc, code, sizeof(value), &value); }

bool SettingIs(DcJobRecord* record, uint16_t id, uint32_t value)
{
    uint32_t read = 0;
    return ReadSettingNumber(id, record->settings, record->printerSettings, &read) && read == value;
}

uint32_t Setting(DcJobRecord* record, uint16_t id)
{
    return SettingNumberOr(id, record->settings, record->printerSettings, 0);
}

const wchar_t* SettingText(DcJobRecord* record, uint16_t id)
{
    return reinterpret_cast<const wchar_t*>(
        GetFunctionIdValuePointer(record->settings, record->printerSettings, id, kTypeString));
}

uint32_t ModelCapabilityWord(DcJobRecord* record)
{
    CapabilityBits bits{};
    if (!record->context || !record->context->main || !GetModelCapabilityBits(record->context->main, &bits))
        return 0;
    return bits.words[0];
}

void ReplaceBlock(uint8_t*& block, uint32_t& size, uint8_t* with, uint32_t withSize)
{
    if (block)
        GlobalFree(block);
    block = with;
    size = withSize;
}

bool PrinterNameOf(HANDLE printer, wchar_t* out, size_t room)
{
    GlobalBlockPtr<uint8_t> info(GetPrinterInfo(printer, 1));
    if (!info)
        return false;
    BoundedWideCopy(out, reinterpret_cast<PRINTER_INFO_1W*>(info.get())->pName, room);
    return true;
}

DWORD PrinterAttributes(HANDLE printer)
{
    GlobalBlockPtr<uint8_t> info(GetPrinterInfo(printer, 5));
    return info ? reinterpret_cast<PRINTER_INFO_5W*>(info.get())->Attributes : 0;
}

// Step 3 of STARTDOC: the names of the job strings.
int GatherJobStrings(DcJobRecord* record, HANDLE printer, const DOCINFOW* info)
{
    record->documentName[0] = 0;
    if (info && info->lpszDocName)
        BoundedWideCopy(record->documentName, info->lpszDocName, kDocumentNameChars + 1);
    if (!info)
        return kDone;
    JobStringsRecord& strings = record->jobStrings;
    DWORD chars = static_cast<DWORD>(std::size(strings.computerName));
    if (!GetComputerNameW(strings.computerName, &chars))
        return kFailed;
    BoundedWideCopy(strings.documentName, record->documentName, kDocumentNameChars + 1);
    GetCurrentUserName(strings.userName, static_cast<uint32_t>(std::size(strings.userName)));
    return PrinterNameOf(printer, strings.printerName, kDocumentNameChars + 1) ? kDone : kFailed;
}

// A browser in protected mode must not leave the user's fax lists and user
// settings behind in the registry.
void ForgetUserDataInProtectedMode(DcJobRecord* record, HANDLE printer)
{
    if (!IsProtectedModeProcess() || !record->context || !record->context->main)
        return;
    struct Key {
        uint16_t base;
        const wchar_t* suffix;
    };
    static constexpr Key kKeys[] = {{1, L"Sendmere\\AddressBookFiles"},
                                    {1, L"Sendmere\\CoverSheetForms"},
                                    {0, L"Sendmere\\SenderInfo"}};
    wchar_t path[kModelRegistryPathChars];
    for (const Key& key : kKeys)
        if (GetModelRegistryPath(record->context->main, key.base, key.suffix, path))
            RegDeleteTreeW(HKEY_CURRENT_USER, path);
    wchar_t* userBase = nullptr;
    GetModelRegistryBase(record->context->main, 1, &userBase);
    DeleteUserSettingInfo(printer, userBase);
    if (userBase)
        GlobalFree(userBase);
}

// Step 7: the block the graphics library hands back, when it has one.
void ReadReturnedBlock(DcJobRecord* record, HDC hdc)
{
    uint32_t size = 0;
    const uint16_t sizeOnly = 0;
    if (!Escape(hdc, kEscReadDataBlockC, sizeof(sizeOnly), &sizeOnly, sizeof(size), &size) ||
        size == 0)
        return;
    auto* block = static_cast<uint8_t*>(GlobalAlloc(GPTR, size));
    const uint16_t whole = 1;
    if (block && !Escape(hdc, kEscReadDataBlockC, sizeof(whole), &whole, size, block)) {
        GlobalFree(block);
        return;
    }
    if (block)
        ReplaceBlock(record->returnedData, record->returnedSize, block, size);
}

void CleanStaleFaxFiles(DcJobRecord* record)
{
    if (record->context && record->context->main)
        CleanFaxTempFiles(record->context->main, nullptr, nullptr);
}

// Step 10: the private part of the settings from the job's document-property
// file, else from the printer's stores, else the model's defaults.
void ReloadPrivateSettings(DcJobRecord* record, HANDLE printer, bool tmbWanted)
{
    wchar_t* userBase = nullptr;
    if (record->context->main)
        GetModelRegistryBase(record->context->main, 1, &userBase);
    const SettingsBlobStore store{printer, userBase};
    uint8_t* privatePart = record->settings + kPrivatePartOffset;
    uint8_t* tmb = nullptr;
    uint8_t* sp = nullptr;
    uint32_t tmbSize = 0, spSize = 0;
    const wchar_t* file = SettingText(record, kFidDocPropertyFile);
    wchar_t fileName[MAX_PATH + 1] = {};
    BoundedWideCopy(fileName, file, std::size(fileName));
    bool loaded = IsUsableFileName(fileName) &&
                  LoadSettingsBlobs(store, fileName, 0, nullptr, privatePart, &tmb, &tmbSize, &sp, &spSize) == 1;
    if (!loaded) {
        const int mode = SettingIs(record, kFidPerUserStore, 1) ? kBlobsPerUser : kBlobsInPrinterData;
        loaded = LoadSettingsBlobs(store, nullptr, mode, nullptr, privatePart, &tmb, &tmbSize, &sp, &spSize) == 1;
    }
    if (!loaded)
        GetDefaultPrivateSettings(printer, privatePart);
    ReplaceBlock(record->spData, record->spSize, sp, spSize);
    if (tmbWanted)
        ReplaceBlock(record->tmbData, record->tmbSize, tmb, tmbSize);
    else if (tmb)
        GlobalFree(tmb);
    if (userBase)
        GlobalFree(userBase);
}

// Step 11: 1 go on, 0 the handler ends with -1; `result` may turn -1.
bool TakeTmbBlock(DcJobRecord* record, int* result)
{
    if (!record->tmbData && record->returnedData) {
        auto* copy = static_cast<uint8_t*>(GlobalAlloc(GPTR, record->returnedSize));
        if (copy) {
            std::memcpy(copy, record->returnedData, record->returnedSize);
            ReplaceBlock(record->tmbData, record->tmbSize, copy, record->returnedSize);
        } else {
            *result = kFailed;
        }
    }
    // The model's capability value for the block is never supported, so the
    // reserved pair stays 0 and nothing further is built from the block.
    return record->context->main && SettingText(record, kFidModelName) != nullptr;
}

// The annotation's date with a two-digit year, so that it fits the graphics
// library's 20-byte date block with its terminator, and the hour and minute.
void FormatAnnotationDateTime(AnnotationRecord& annotation, bool date, bool time, const SYSTEMTIME& now)
{
    HMODULE resources = GetResourceModule();
    if (date) {
        wchar_t order[4] = {};
        int which = 2;
        if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IDATE, order, 4) > 0 && order[0] >= L'0' && order[0] <= L'2')
            which = order[0] - L'0';
        static constexpr const wchar_t* kFallbacks[] = {L"%2s/%3s/%1s", L"%3s/%2s/%1s", L"%1s/%2s/%3s"};
        wchar_t format[32];
        LoadPromptText(resources, kStringDateFormatFirst + which, kFallbacks[which], format, 32);
        wchar_t year[8], month[8], day[8];
        swprintf(year, 8, L"%02d", now.wYear % 100);
        swprintf(month, 8, L"%02d", now.wMonth);
        swprintf(day, 8, L"%02d", now.wDay);
        FormatPositional(annotation.date, static_cast<int>(kAnnotationBlock1Bytes / sizeof(wchar_t)), format, year,
                         month, day);
    }
    if (time) {
        wchar_t format[32];
        LoadPromptText(resources, kStringTimeFormat, L"%02d:%02d", format, 32);
        wchar_t text[64];
        wsprintfW(text, format, now.wHour, now.wMinute);
        BoundedWideCopy(annotation.time, text, kAnnotationBlock2Bytes / sizeof(wchar_t));
    }
}

const char* MonitorIdAt(const uint8_t* block, uint16_t index)
{
    uint16_t count = 0;
    std::memcpy(&count, block, sizeof(count));
    return index < count ? reinterpret_cast<const char*>(block + sizeof(uint16_t) + index * kMonitorIdBytes) : nullptr;
}

// The recipients the job's fax address data hold. The count in the
// application's settings (380) is not checked against anything: it must not
// decide how many headers and monitor jobs there are.
uint32_t FaxRecipients(const DcJobRecord* record)
{
    FaxSendListHeader head{};
    return record->faxData && CopyFaxSendListHeader(record->faxData, record->faxDataSize, &head) ? head.count : 0;
}

// How the headers and monitor jobs split the recipients: one group for all
// (setting 379 on, or fewer than two), else one per recipient.
uint32_t FaxGroups(DcJobRecord* record, bool* oneForAll)
{
    const uint32_t recipients = FaxRecipients(record);
    *oneForAll = Setting(record, kFidFaxOneHeader) != 0 || recipients < 2;
    return *oneForAll ? 1 : recipients;
}

int StartDocMonitorJobs(DcJobRecord* record, HANDLE printer)
{
    if (!record || Setting(record, kFidDocMonitorDefault) == 0 || Setting(record, kFidDocMonitorOn) == 0 ||
        Setting(record, kFidJobHeaderOn) == 0 || !IsDocMonitorAvailable() || !record->context)
        return kDone;
    bool oneForAll = true;
    const uint32_t jobs = record->isFaxJob ? FaxGroups(record, &oneForAll) : 1;
    if (jobs == 0 || jobs > 0xFFFF)
        return kDone;
    const uint32_t size = sizeof(uint16_t) + jobs * kMonitorIdBytes;
    auto* ids = static_cast<uint8_t*>(GlobalAlloc(GPTR, size));
    if (!ids)
        return kDone;
    const uint16_t count = static_cast<uint16_t>(jobs);
    std::memcpy(ids, &count, sizeof(count));
    uint16_t recipientCount = 0;
    uint8_t* faxList = record->isFaxJob && record->faxData
                           ? FetchFaxSendList(printer, record->faxDataSize, record->faxData, &recipientCount)
                           : nullptr;
    int result = kDone;
    for (uint32_t i = 0; i < jobs && result == kDone; ++i) {
        FaxRecipientRecord recipient{};
        const bool haveRecipient =
            faxList && CopyFaxRecipient(faxList, record->faxDataSize, oneForAll ? 0 : i, &recipient) == 1;
        DocMonitorJobContext job{};
        job.printer = printer;
        job.settings = record->context;
        job.settingsRecord = record->settings;
        job.printerSettingsRecord = record->printerSettings;
        job.requestKind = record->isFaxJob ? kDocMonitorFax : kDocMonitorPrint;
        job.documentName = record->documentName;
        job.recipientNumber = haveRecipient ? recipient.destination : nullptr;
        job.recipientCount = oneForAll ? FaxRecipients(record) : 1;
        DocMonitorJob* handle = nullptr;
        char* id = reinterpret_cast<char*>(ids + sizeof(uint16_t) + i * kMonitorIdBytes);
        if (RegisterJobWithDocMonitor(job, &handle, id) != 1 || RunDocMonitor(handle) != 1)
            result = kFailed;
    }
    if (faxList)
        FreeFaxSendList(faxList);
    if (result != kDone) {
        GlobalFree(ids);
        return kFailed;
    }
    if (record->monitorIds)
        GlobalFree(record->monitorIds);
    record->monitorIds = ids;
    return kDone;
}

// A fax job whose cover sheet is a stored print file sends that file first,
// as a job of its own; how that goes does not change the fax job.
void SendStoredPrintFileFirst(DcJobRecord* record, HANDLE printer)
{
    const wchar_t* file = SettingText(record, kFidStoredPrintFile);
    if (!file || !file[0])
        return;
    wchar_t name[MAX_PATH + 1] = {};
    BoundedWideCopy(name, file, std::size(name));
    std::wstring printerName, portName;
    if (GlobalBlockPtr<uint8_t> info{GetPrinterInfo(printer, 5)}) {
        const auto* level5 = reinterpret_cast<PRINTER_INFO_5W*>(info.get());
        printerName = level5->pPrinterName ? level5->pPrinterName : L"";
        portName = level5->pPortName ? level5->pPortName : L"";
    } else if (GlobalBlockPtr<uint8_t> info2{GetPrinterInfo(printer, 2)}) {
        const auto* level2 = reinterpret_cast<PRINTER_INFO_2W*>(info2.get());
        printerName = level2->pPrinterName ? level2->pPrinterName : L"";
        portName = level2->pPortName ? level2->pPortName : L"";
    }
    if (printerName.empty())
        return;
    ResendStoredPrintFile(record->context, record->settings, record->printerSettings, name, printerName.c_str(),
                          portName.c_str(), 0);
}

// The shared-printer question. 1 go on; -1 refused or no job.
int ConfirmSharedPrinterJob(DcJobRecord* record, HANDLE printer, HDC hdc)
{
    if (!record || record->jobStarted == 0)
        return kFailed;
    uint32_t answer = 0;
    if (!Escape(hdc, kEscQueryJobStarted, 0, nullptr, sizeof(answer), &answer))
        return kFailed;
    record->jobAlreadyStarted = answer;
    constexpr DWORD kSharedOnNetwork = PRINTER_ATTRIBUTE_SHARED | PRINTER_ATTRIBUTE_NETWORK;
    if (answer != kJobOnItsWay || !SettingIs(record, kFidStoredJobText, 1) ||
        (PrinterAttributes(printer) & kSharedOnNetwork) != kSharedOnNetwork)
        return kDone;
    wchar_t title[64];
    BoundedWideCopy(title, SettingText(record, kFidDeviceName), std::size(title));
    wchar_t text[512];
    LoadPromptText(GetResourceModule(), kStringSharedPrinterQuestion, L"Print on the shared printer?", text, 512);
    if (AskUserTitled(title, text, MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK)
        return kFailed;
    record->confirmed = 1;
    return kDone;
}

}  // namespace

int CheckJobTypeCode(DcJobRecord* record)
{
    if (!SettingIs(record, kFidJobType, 1))
        return 1;
    uint16_t maximum = 0, minimum = 0;
    const int scrambled = (ModelCapabilityWord(record) & kCapabilityScrambledCode) ? 1 : 0;
    if (CheckCodeLength(record->settings, record->printerSettings, scrambled, &maximum, &minimum) == 1)
        return 1;
    HMODULE resources = GetResourceModule();
    wchar_t text[512];
    LoadPromptText(resources, kStringJobTypeQuestion, L"Print without the user code?", text, 512);
    if (AskUser(resources, kStringPromptTitle, L"Printer Settings", text, MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK)
        return 0;
    WriteSettingNumber(kFidJobType, record->settings, record->printerSettings, 0);
    return 1;
}

void CollectAnnotationTexts(DcJobRecord* record)
{
    AnnotationRecord& annotation = record->annotation;
    bool stored = false;
    for (uint16_t i = 0; i < 6; ++i)
        annotation.placement[i] = Setting(record, kFidAnnotationUserName + i) == 1
                                      ? static_cast<uint16_t>(Setting(record, kFidAnnotationPlacementFirst + i))
                                      : kNotPrinted;
    wchar_t user[1024] = {};
    annotation.userName[0] = 0;
    annotation.ownerText[0] = 0;
    if (SettingIs(record, kFidAnnotationUserName, 1)) {
        GetCurrentUserName(user, static_cast<uint32_t>(std::size(user)));
        WideCutToAnsiLimit(user, kUserNameBytes, annotation.userName, std::size(annotation.userName));
        stored = stored || annotation.userName[0];
    }
    if (SettingIs(record, kFidAnnotationOwner, 1)) {
        wchar_t owner[1024 + 2 + MAX_COMPUTERNAME_LENGTH + 1] = {};
        GetCurrentUserName(owner, 1024);
        if (!(ModelCapabilityWord(record) & kCapabilityOwnerWithoutHost)) {
            wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
            DWORD chars = static_cast<DWORD>(std::size(computer));
            wcscat(owner, L"\\");
            wcscat(owner, GetComputerNameW(computer, &chars) ? computer : L"UnkownHost");
        }
        WideCutToAnsiLimit(owner, kOwnerTextBytes, annotation.ownerText, std::size(annotation.ownerText));
        stored = stored || annotation.ownerText[0];
    }
    annotation.documentName[0] = 0;
    if (SettingIs(record, kFidAnnotationDocument, 1)) {
        BoundedWideCopy(annotation.documentName, record->documentName, std::size(annotation.documentName));
        stored = stored || annotation.documentName[0];
    }
    const bool date = SettingIs(record, kFidAnnotationDate, 1);
    const bool time = SettingIs(record, kFidAnnotationTime, 1);
    std::memset(annotation.date, 0, sizeof(annotation.date));
    std::memset(annotation.time, 0, sizeof(annotation.time));
    if (!date && !time) {
        annotation.present = (SettingIs(record, kFidAnnotationJobNumber, 1) || stored) ? 1 : 0;
        return;
    }
    SYSTEMTIME now{};
    GetLocalTime(&now);
    FormatAnnotationDateTime(annotation, date, time, now);
    annotation.present = 1;
}

void FormatAnnotationDateTimeAt(AnnotationRecord& annotation, bool date, bool time, const SYSTEMTIME& local)
{
    FormatAnnotationDateTime(annotation, date, time, local);
}

int PrepareJobAtStartDoc(HANDLE printer, HDC hdc, ULONG inSize, void* in)
{
    DcJobRecord* record = hdc ? FindDcJobRecord(printer) : nullptr;
    if (!record)
        return kFailed;
    FreeDcJobRecordData(record);
    InitDcJobRecord(record);
    if (!record->context)
        return kFailed;
    int result = kDone;
    record->jobStarted = 1;
    if (!Escape(hdc, kEscStartJob, sizeof(record->jobStarted), &record->jobStarted) ||
        !Escape(hdc, kEscGetSettings, 0, nullptr, kSettingsRecordSize, record->settings))
        return kFailed;
    const DOCINFOW* info = in && inSize >= sizeof(DOCINFOW*) ? *static_cast<DOCINFOW**>(in) : nullptr;
    if (GatherJobStrings(record, printer, info) != kDone)
        return kFailed;
    ForgetUserDataInProtectedMode(record, printer);
    if (!LoadPrinterSettingsOfContext(printer, record->context, record->printerSettings))
        return kFailed;
    GetCurrentUserName(record->userName, static_cast<uint32_t>(std::size(record->userName)));
    if (!Escape(hdc, kEscGetCapabilityRecord, 0, nullptr, sizeof(record->capability), &record->capability))
        return kFailed;
    ReadReturnedBlock(record, hdc);
    CleanStaleFaxFiles(record);
    const bool tmbWanted = record->returnedData || Setting(record, kFidCoverSheetOn) != 0;
    ReloadPrivateSettings(record, printer, tmbWanted);
    if (tmbWanted && !TakeTmbBlock(record, &result))
        return kFailed;
    uint32_t fax = 0;
    if (!Escape(hdc, kEscQueryFaxJob, 0, nullptr, sizeof(fax), &fax))
        return kFailed;
    record->isFaxJob = fax;
    if (fax && ResolveFaxAddressFile(record, record->documentName) == kFailed)
        result = kFailed;
    if (result == kDone) {
        if (!CheckJobTypeCode(record) ||
            !PromptUserIdentification(printer, record->settings, record->printerSettings, record->context, 1))
            result = kFailed;
        else if (fax && SettingIs(record, kFidFaxInformationPage, 1) &&
                 (SettingIs(record, kFidFaxCoverForm, 1) || SettingIs(record, kFidFaxCoverForm, 2)))
            SendStoredPrintFileFirst(record, printer);
    }
    AdjustJobOptionSettings(record->context, record->settings, record->printerSettings);
    if (!Escape(hdc, kEscSetSettings, kSettingsRecordSize, record->settings))
        result = kFailed;
    CollectAnnotationTexts(record);
    return result;
}

int BuildJobHeaderBlock(DcJobRecord* record, HDC hdc)
{
    uint32_t fax = 0;
    if (!record || Setting(record, kFidJobHeaderOn) == 0 ||
        !Escape(hdc, kEscQueryFaxJob, 0, nullptr, sizeof(fax), &fax))
        return kDone;
    bool oneForAll = true;
    const uint32_t recipients = FaxRecipients(record);
    const uint32_t count = fax ? FaxGroups(record, &oneForAll) : 1;
    const int bound = GetJobHeaderSize(record->printer, record->context, record->settings, record->printerSettings,
                                       record->spData, record->spSize);
    const uint32_t stride = GetJobHeaderSlotStride(bound);
    const uint32_t length = GetJobHeaderBlockLength(count, stride);
    if (bound < 0 || stride == 0 || length == 0)
        return kDone;
    GlobalBlockPtr<uint8_t> block = AllocGlobalBlock<uint8_t>(length);
    std::vector<uint8_t> header(static_cast<size_t>(bound));
    if (!block || !InitJobHeaderBlock(block.get(), length, count, stride))
        return kFailed;
    for (uint32_t i = 0; i < count; ++i) {
        JobHeaderContext context{};
        context.settingsRecord = record->settings;
        context.printerSettingsRecord = record->printerSettings;
        context.printer = record->printer;
        context.hostNameLines = 1;
        BoundedWideCopy(context.userName, record->userName, std::size(context.userName));
        if (const char* id = record->monitorIds ? MonitorIdAt(record->monitorIds, static_cast<uint16_t>(i)) : nullptr) {
            context.docMonitorIdPresent = 1;
            strncpy(context.docMonitorId, id, sizeof(context.docMonitorId) - 1);
        }
        FaxRecipientRange range{};
        if (fax && record->faxData) {
            range = oneForAll ? FaxRecipientRange{0, static_cast<uint16_t>(recipients ? recipients - 1 : 0),
                                                  record->faxData, record->faxDataSize}
                              : FaxRecipientRange{static_cast<uint16_t>(i), static_cast<uint16_t>(i), record->faxData,
                                                  record->faxDataSize};
            context.faxRange = &range;
        }
        const int written = WriteJobHeader(record->context, &context, record->spData, record->spSize, header.data(),
                                           static_cast<uint32_t>(bound));
        if (written < 0 || !StoreJobHeaderSlot(block.get(), length, i, header.data(), static_cast<uint32_t>(written),
                                               context.bktpOffset)) {
            ReplaceBlock(record->jobHeaders, record->jobHeadersSize, nullptr, 0);
            return kFailed;
        }
    }
    ReplaceBlock(record->jobHeaders, record->jobHeadersSize, block.release(), length);
    return kDone;
}

int SendJobDataToGraphicsDll(DcJobRecord* record, HDC hdc)
{
    if (!record)
        return kFailed;
    if (record->jobStarted == 0)
        return kDone;
    Escape(hdc, kEscGetSettings, 0, nullptr, kSettingsRecordSize, record->settings);
    const int headers = BuildJobHeaderBlock(record, hdc);
    bool ok = Escape16(hdc, kEscSettingsBatch, 0);
    // The paper region follows the locale only where the model allows it.
    if (record->context) {
        const uint16_t region = (ModelCapabilityWord(record) & kCapabilityLocaleRegion) ? GetLocalePaperRegion(1) : 2;
        ok = Escape16(hdc, kEscSetPaperRegion, region) && ok;
    } else {
        ok = false;
    }
    ok = Escape(hdc, kEscSetDocumentName, sizeof(record->documentName), record->documentName) && ok;
    ok = Escape(hdc, kEscSetSettings, kSettingsRecordSize, record->settings) && ok;
    ok = Escape(hdc, kEscSetPrinterSettings, kPrinterSettingsRecordSize, record->printerSettings) && ok;
    ok = Escape(hdc, kEscSetAnnotationData, sizeof(record->annotation), &record->annotation) && ok;
    ok = Escape(hdc, kEscSetCapabilityRecord, sizeof(record->capability), &record->capability) && ok;
    if (record->confirmed)
        ok = Escape(hdc, kEscSetConfirmFlag, sizeof(record->confirmed), &record->confirmed) && ok;
    if (record->isFaxJob && record->faxData)
        ok = Escape(hdc, kEscSetFaxSendList, record->faxDataSize, record->faxData) && ok;
    if (record->jobHeaders)
        ok = Escape(hdc, kEscSetTableBlock, record->jobHeadersSize, record->jobHeaders) && ok;
    ok = Escape(hdc, kEscSetJobStrings, sizeof(record->jobStrings), &record->jobStrings) && ok;
    if (record->spData)
        ok = Escape(hdc, kEscSetDataBlockD, record->spSize, record->spData) && ok;
    ok = Escape16(hdc, kEscSettingsBatch, 1) && ok;
    return ok ? headers : kFailed;
}

int FinishJobAtStartDocPost(HANDLE printer, HDC hdc)
{
    if (!hdc)
        return kFailed;
    DcJobRecord* record = FindDcJobRecord(printer);
    int result = ConfirmSharedPrinterJob(record, printer, hdc);
    if (result != kDone)
        return result;
    result = ReadFaxAddressData(record);
    if (result != kDone)
        return result;
    StartDocMonitorJobs(record, printer);
    return SendJobDataToGraphicsDll(record, hdc);
}

int SendPageRecordAtStartPage(HANDLE printer, HDC hdc)
{
    if (!hdc)
        return kFailed;
    // The page's settings may change with every page (a reset of the DC); the
    // printer settings are the job's, read once when the document started.
    GlobalBlockPtr<uint8_t> settings = AllocGlobalBlock<uint8_t>(kSettingsRecordSize);
    if (!settings || !Escape(hdc, kEscGetSettings, 0, nullptr, kSettingsRecordSize, settings.get()))
        return kFailed;
    DcJobRecord* record = FindDcJobRecord(printer);
    if (!record || !record->context)
        return kFailed;
    GlobalBlockPtr<uint8_t> ownPrinterSettings;
    uint8_t* printerSettings = record->printerSettings;
    if (!record->jobStarted) {
        ownPrinterSettings = AllocGlobalBlock<uint8_t>(kPrinterSettingsRecordSize);
        if (!ownPrinterSettings || !LoadPrinterSettingsOfContext(printer, record->context, ownPrinterSettings.get()))
            return kFailed;
        printerSettings = ownPrinterSettings.get();
    }
    EscPageRecord page{kUnmatchedPaper, {46, 46, 46, 46}};
    uint16_t modelPaper = 0;
    uint16_t words[4];
    if (FindModelPaperMargins(printer, record->context, settings.get(), printerSettings, &modelPaper, words) == 1) {
        page.paper = modelPaper;
        std::copy(std::begin(words), std::end(words), page.margin);
    }
    return Escape(hdc, kEscSetPageRecord, sizeof(page), &page) ? kDone : kFailed;
}
