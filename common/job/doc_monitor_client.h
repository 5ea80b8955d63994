// The binding of the device maker's document monitor: a library found through
// the registry and loaded on first use. It is outside the system; without it
// every caller hears "not available" and printing goes on.
//
// The load and the reference count are process-wide and guarded by the
// document-monitor lock, so that two jobs starting at once load it once.
#pragma once
#include <windows.h>

#include <cstdint>

// HKEY_LOCAL_MACHINE key of the monitor: its default value names a file that must
// exist; the value "VdmApi" is the library's path.
constexpr char kDocMonitorKey[] = "SOFTWARE\\Corvane\\Brightwell\\Client\\DocMon";
constexpr char kDocMonitorLibraryValue[] = "VdmApi";
constexpr DWORD kDocMonitorPathChars = 128;

// Acquire failed because the library lacks a required function.
constexpr int kDocMonitorMissingFunction = -996;

// The monitor's entries. Each answers nonzero when it did what was asked.
using VdmVoidProc = BOOL(WINAPI*)();
using VdmIdProc = BOOL(WINAPI*)(char* buffer, DWORD size);
using VdmDataProc = BOOL(WINAPI*)(const void* record, DWORD size);
using VdmExecProc = BOOL(WINAPI*)(const char* jobId);

struct DocMonitorEntries {
    FARPROC setGroupStyle;
    VdmIdProc createJobId;
    FARPROC setJobId;
    VdmVoidProc uninitialize;
    VdmVoidProc initialize;
    FARPROC setDestinationCount;
    FARPROC setPortName;
    FARPROC setFriendlyName;
    FARPROC setParamStyle;
    VdmIdProc createClientId;
    VdmExecProc exec;
    FARPROC execPreferences;
    FARPROC setJobDestinations;
    VdmDataProc setData;
    FARPROC execWithStatus;             // optional
    FARPROC execPreferencesWithStatus;  // optional
    VdmDataProc setDataEx;              // optional: takes the extended record
};

// One reference: loads the library on the first, then VdmInitializeDocMon. 1
// with the entries (valid until the matching release); 0 when the monitor is
// not installed or refuses, kDocMonitorMissingFunction when a required
// function is missing (the library is unloaded again).
int AcquireDocMonitor(const DocMonitorEntries** entries);
// VdmUnInitializeDocMon, and the library is unloaded with the last reference.
void ReleaseDocMonitor();
// The entries while the caller holds a reference; null when none is held.
const DocMonitorEntries* HeldDocMonitorEntries();
// Current references (diagnostics and tests).
uint32_t GetDocMonitorReferences();
