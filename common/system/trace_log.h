// Plain-text trace for support staff, switched on by the key "Log" of section
// "LOG" in morvx.cfg in the driver directory. Lines go to a fixed file on the
// Windows drive (named by the library profile) or, with the top bit, to the
// debugger. Every trace call keeps the caller's last-error value.
#pragma once
#include <windows.h>

#include <cstdint>

// Trace bits of "Log".
constexpr uint32_t kTraceOn = 0x1;
constexpr uint32_t kTraceEntryExit = 0x2;
constexpr uint32_t kTraceRecordDumps = 0x4;
constexpr uint32_t kTraceFieldFlagDump = 0x8;
constexpr uint32_t kTracePublicSettingDump = 0x10;
constexpr uint32_t kTracePrivateSettingDump = 0x20;
constexpr uint32_t kTraceDumpCategories = 0x1F0000;
constexpr uint32_t kTraceToDebugger = 0x80000000;

// A formatted text of this many characters or more is never written.
constexpr int kTraceLineLimit = 514;
constexpr int kMaxTraceExtraIds = 256;

// Reads morvx.cfg again (the site configuration parse asks for it); always 1.
int ReloadTraceSettings();
// Bit 0x1 of the trace bits, the settings read on first use.
int IsTraceOn();
uint32_t GetTraceBits();
// The extra setting identifiers of "LOGOUT.DDMID" keys, in the order read.
int GetTraceExtraIds(uint16_t* ids, int capacity);

// wvsprintfW-style format. 0 when the text reaches the limit or cannot be
// written; 1 when written or when tracing is off.
int TraceWrite(const wchar_t* format, ...);
// "IN <<" and the name, with entry/exit lines on.
int TraceEnter(const wchar_t* functionName);
// "OUT>>" and the formatted text, then an empty line, with entry/exit lines on;
// 0 for a text that reaches the limit with its prefix, traced or not.
int TraceLeave(const wchar_t* format, ...);

// Dumps of the public DEVMODE part (bits 0x1 and 0x4) and of its field flags
// (bits 0x1 and 0x8). A null title gives the default title. The public dump
// reads no field past the record's dmSize (the record must hold that field).
int TraceDumpPublicPart(const wchar_t* title, const DEVMODEW* record);
int TraceDumpFieldFlags(const wchar_t* title, const DEVMODEW* record);

// Holds the trace file open and other threads' lines out for the lines of one
// dump. Not re-entrant: inside a scope write only through Line.
class TraceDumpScope {
public:
    TraceDumpScope();
    ~TraceDumpScope();
    TraceDumpScope(const TraceDumpScope&) = delete;
    TraceDumpScope& operator=(const TraceDumpScope&) = delete;
    // wvsprintfW-style; 0 when the line is too long (skipped) or cannot be
    // written (the rest of the dump is dropped).
    int Line(const wchar_t* format, ...);
    int ok() const { return ok_; }

private:
    int ok_ = 1;
    bool opened_ = false;
    DWORD savedError_;
};
