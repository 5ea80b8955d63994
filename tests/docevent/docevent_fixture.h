// A printer of the colour reference model with morvaui as its interface
// library, shared by the document-event tests, and a log of what the print
// host's DCs did: each document event with its answer and each escape the
// interface library sent, in order.
#pragma once

#include "tests/printhost/driver_fixture.h"

#include <windows.h>

#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace docevent_test {

printhost_test::InstalledPrinter& SharedPrinter();

struct LoggedCall {
    bool isEvent;
    int code;      // event number or escape code
    int inSize;    // escapes
    int outSize;
    uint32_t firstWord;  // escapes: the first 2 or 4 bytes of the input
    int result;    // events: the answer
    uint32_t head[4];    // escapes: the first 16 bytes of the input, when there are so many
    std::string input;   // escapes: the whole input
};

// Installs itself as the host's observer for its life. Escapes whose code is
// `failing` are answered -1 without reaching the driver.
class HostLog {
public:
    explicit HostLog(int failing = 0);
    ~HostLog();
    HostLog(const HostLog&) = delete;
    HostLog& operator=(const HostLog&) = delete;

    std::vector<LoggedCall> calls() const;
    // "5=1" for events, "20513(2/0)=0" for escapes (the value of 20513's
    // input); the escapes sent during an event come before it.
    std::vector<std::string> lines() const;

private:
    static void OnEvent(void* self, HANDLE, HDC, int event, int result);
    static bool OnEscape(void* self, HDC, int escape, int inSize, const char* in, int outSize, char*, int* answer);
    mutable std::mutex mutex_;
    std::vector<LoggedCall> calls_;
    int failing_;
    void* observer_;
};

// The morvaui that the shared printer's driver package installed, loaded
// (the library stays loaded for the process).
using DocumentEventFn = int(WINAPI*)(HANDLE, HDC, int, ULONG, PVOID, ULONG, PVOID);
DocumentEventFn InstalledDocumentEvent();

HANDLE OpenSharedPrinter();

// The DEVMODE an application gets for the shared printer, with the
// reference model's user-code mode off (it would ask for a code) and the given
// settings written.
struct SettingChange {
    uint16_t id;
    uint32_t value;
};
std::vector<unsigned char> ApplicationDevmode(std::initializer_list<SettingChange> changes = {});
// The same for another printer of the driver.
std::vector<unsigned char> PrinterApplicationDevmode(const std::wstring& printerName,
                                                     std::initializer_list<SettingChange> changes = {});
// Reads a printed job back whole (the listing's error otherwise) and deletes
// the file.
std::string ReadBackJob(const std::wstring& jobFile);

// A host DC of the shared printer with that DEVMODE.
HDC CreateJobDc(std::wstring* error);

}  // namespace docevent_test
