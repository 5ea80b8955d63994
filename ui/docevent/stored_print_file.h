// Sending a stored print file again as a new spooler job: the job stream that
// the graphics library wrote (job header, MORVA body, end of job, perhaps a job
// ticket). The body is copied as it is; the header is always written afresh
// from the current settings, and the end of the job is kept when the file ends
// the way the printer model expects, else written afresh.
#pragma once
#include <windows.h>

#include <cstdint>

struct SettingsContext;

// Results of ResendStoredPrintFile.
inline constexpr int kResendDone = 0;
inline constexpr int kResendFailed = -1;
inline constexpr int kResendNoFile = -2;

// How a stored file's header ended, or that its end carries a job ticket.
inline constexpr int kPrintFileShortHeader = 1;   // "@PL>"
inline constexpr int kPrintFilePjlHeader = 2;     // "@PJL ENTER LANGUAGE="
inline constexpr int kPrintFileWithTicket = 3;    // "@PJL COMMENT ZQJOBINFO END" after the last UEL

// How the printer model wants a job to end: with a job ticket (3) or with the
// plain trailer (1).
inline constexpr int kEndWithTrailer = 1;
inline constexpr int kEndWithTicket = 3;

// Longest header line of a stored file, without its line end.
inline constexpr uint32_t kPrintFileLineBytes = 1024;

struct PrintFileSections {
    uint64_t size;
    uint64_t bodyStart;     // the byte after the header's last line
    uint64_t trailerStart;  // the last ESC "%-12345X" after the body start
    int kind;
};

// 1 found; 0 not a stored print file (a header line too long, no header end, no
// UEL after the body start, a NUL after the last UEL, or a read failure).
int FindPrintFileSections(HANDLE file, PrintFileSections* sections);

// The model's end mode (kEndWithTicket when the model takes job tickets).
int GetModelEndMode(const SettingsContext* context);

// Writes a fresh header (mode 0) or end (mode 1, in the model's end mode) of a
// resent job to the spooler handle. 1 written, 0 failed.
int WriteResendHeaderOrTrailer(SettingsContext* context, void* settings, void* printerSettings, HANDLE spooler,
                               const char* monitorId, int mode, int endMode);

struct DocMonitorJob;
// The document monitor's job of a resent file; 1 with the handle and the id
// (50 bytes), 0 when none was made.
int BuildResendMonitorJob(DocMonitorJob** handle, char* id, void* settings, void* printerSettings,
                          const wchar_t* printerName, const wchar_t* portName);

// kResendDone, kResendNoFile when the file cannot be opened, kResendFailed for
// any other failure (the spooler job, when started, is aborted). `identify`
// runs the print-time user identification on the new job's printer first.
int ResendStoredPrintFile(SettingsContext* context, void* settings, void* printerSettings, const wchar_t* fileName,
                          const wchar_t* printerName, const wchar_t* portName, int identify);
