#include "tests/docevent/docevent_fixture.h"

#include "common/context/value_by_type.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_types.h"
#include "printhost/host_dc.h"
#include "printhost/install.h"
#include "tools/morva_reader/morva_reader.h"
#include "tests/interface/interface_package.h"

#include <winspool.h>
#include <winddiui.h>

#include <cstring>

namespace docevent_test {

printhost_test::InstalledPrinter& SharedPrinter()
{
    static printhost_test::InstalledPrinter* printer =
        new printhost_test::InstalledPrinter(InterfacePackage(L"Morva Events Driver"), L"Morva Events");
    return *printer;
}

HostLog::HostLog(int failing) : failing_(failing)
{
    auto* observer = new printhost::HostDcObserver{&HostLog::OnEvent, &HostLog::OnEscape, this};
    observer_ = observer;
    printhost::SetHostDcObserver(observer);
}

HostLog::~HostLog()
{
    printhost::SetHostDcObserver(nullptr);
    delete static_cast<printhost::HostDcObserver*>(observer_);
}

void HostLog::OnEvent(void* self, HANDLE, HDC, int event, int result)
{
    auto* log = static_cast<HostLog*>(self);
    // The interface library hears of its own escapes; they are logged as escapes.
    if (event == DOCUMENTEVENT_ESCAPE)
        return;
    std::lock_guard<std::mutex> guard(log->mutex_);
    log->calls_.push_back({true, event, 0, 0, 0, result, {}, {}});
}

bool HostLog::OnEscape(void* self, HDC, int escape, int inSize, const char* in, int outSize, char*, int* answer)
{
    auto* log = static_cast<HostLog*>(self);
    uint32_t first = 0;
    if (in && inSize > 0)
        std::memcpy(&first, in, std::min<size_t>(size_t(inSize), inSize == 2 ? 2 : 4));
    LoggedCall call{false, escape, inSize, outSize, first, 0, {}, {}};
    if (in && inSize >= int(sizeof(call.head)))
        std::memcpy(call.head, in, sizeof(call.head));
    if (in && inSize > 0)
        call.input.assign(in, size_t(inSize));
    std::lock_guard<std::mutex> guard(log->mutex_);
    log->calls_.push_back(call);
    if (escape != log->failing_)
        return false;
    *answer = -1;
    return true;
}

std::vector<LoggedCall> HostLog::calls() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return calls_;
}

std::vector<std::string> HostLog::lines() const
{
    std::vector<std::string> out;
    for (const LoggedCall& call : calls()) {
        if (call.isEvent)
            out.push_back(std::to_string(call.code) + "=" + std::to_string(call.result));
        else if (call.code == 20513)
            out.push_back("20513(" + std::to_string(call.inSize) + "/" + std::to_string(call.outSize) + ")=" +
                          std::to_string(call.firstWord));
        else
            out.push_back(std::to_string(call.code) + "(" + std::to_string(call.inSize) + "/" +
                          std::to_string(call.outSize) + ")");
    }
    return out;
}

DocumentEventFn InstalledDocumentEvent()
{
    static DocumentEventFn entry = [] {
        printhost::InstalledDriver installed;
        std::wstring error;
        if (!SharedPrinter().ok() || !printhost::FindInstalledDriver(SharedPrinter().driverName(), &installed, &error))
            return DocumentEventFn{};
        HMODULE library = LoadLibraryW(installed.interfaceDll.c_str());
        return library ? reinterpret_cast<DocumentEventFn>(
                             reinterpret_cast<void (*)()>(GetProcAddress(library, "DrvDocumentEvent")))
                       : DocumentEventFn{};
    }();
    return entry;
}

HANDLE OpenSharedPrinter()
{
    HANDLE handle = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(SharedPrinter().printerName().c_str()), &handle, nullptr))
        return nullptr;
    return handle;
}

std::vector<unsigned char> ApplicationDevmode(std::initializer_list<SettingChange> changes)
{
    return PrinterApplicationDevmode(SharedPrinter().printerName(), changes);
}

std::vector<unsigned char> PrinterApplicationDevmode(const std::wstring& printerName,
                                                     std::initializer_list<SettingChange> changes)
{
    std::vector<unsigned char> devmode = printhost::ApplicationDevmode(printerName);
    if (devmode.size() < kPrivatePartOffset)
        return {};
    std::vector<unsigned char> record(kSettingsRecordSize, 0);
    std::memcpy(record.data(), devmode.data(), kPrivatePartOffset);
    if (!WriteSettingNumber(kFidJobType, record.data(), nullptr, 0))
        return {};
    for (const SettingChange& change : changes)
        if (!WriteSettingNumber(change.id, record.data(), nullptr, change.value))
            return {};
    std::memcpy(devmode.data(), record.data(), kPrivatePartOffset);
    return devmode;
}

std::string ReadBackJob(const std::wstring& jobFile)
{
    const std::string bytes = printhost_test::ReadTextFile(jobFile);
    DeleteFileW(jobFile.c_str());
    MorvaListing listing;
    if (bytes.empty())
        return "no job";
    if (!ReadMorvaJob(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), MorvaReadOptions{}, &listing))
        return listing.error.empty() ? "not read" : listing.error;
    return "";
}

HDC CreateJobDc(std::wstring* error)
{
    std::vector<unsigned char> devmode = ApplicationDevmode();
    if (devmode.empty()) {
        *error = L"no application DEVMODE";
        return nullptr;
    }
    return printhost::CreatePrinterDc(SharedPrinter().printerName(), reinterpret_cast<DEVMODEW*>(devmode.data()), error);
}

}  // namespace docevent_test
