// The job-language header that opens every job and the trailer that ends it.
// The printer model's table of job attribute rows (model table kind 15) drives
// the header: each row whose conditions hold against the job's settings gives
// one line. Lines end with LF; text is UTF-8.
//
// Results: bytes written (>= 0) or a code of job_header_codes.h.
#pragma once
#include <windows.h>

#include <cstdint>

#include "common/job/job_text.h"
#include "common/settings/capability_bits.h"

struct SettingsContext;

// Bits of the model's first capability word that the header reads.
inline constexpr uint32_t kHeaderLongUserText = 0x2;      // user text of 64 characters, double-byte allowed
inline constexpr uint32_t kHeaderNupLine = 0x4;           // host-name line of the N-up value
inline constexpr uint32_t kHeaderHostAddressLine = 0x8;   // host-name line of the host address
inline constexpr uint32_t kHeaderOwnerSourceFirst = 0x10; // job-owner source: setting 13 before 265
inline constexpr uint32_t kHeaderPjlForm = 0x40000;       // PJL form of lines and trailer; clear: short form
inline constexpr uint32_t kHeaderHostNameLine = 0x200000; // host-name line of the host name
inline constexpr uint32_t kHeaderOwnerFromUserText = 0x2000000;
inline constexpr uint32_t kHeaderBktpLine = 0x4000000;    // the "@BKTP=" line may be written
inline constexpr uint32_t kHeaderFaxLineMode = 0x40000000;

// The recipients of a fax job whose destination lines the header carries:
// indexes first..last of the job's fax send list (fax_send_list.h), `listSize`
// bytes at `list`.
struct FaxRecipientRange {
    uint16_t first;
    uint16_t last;
    const uint8_t* list;
    uint32_t listSize;
};

// What the caller gives for one header, and the one answer that survives it.
struct JobHeaderContext {
    void* settingsRecord;          // the job's SettingsRecord; every setting is read through these two
    void* printerSettingsRecord;
    uint32_t docMonitorIdPresent;  // 1: docMonitorId holds the job's document-monitor id
    char docMonitorId[50];         // ANSI, NUL-terminated
    wchar_t userName[65];          // the caller's own; the header does not read it
    const wchar_t* userText;       // the job's user identification, or null
    uint32_t hostNameLines;        // non-zero: the placeholder row writes the host-name lines
    const FaxRecipientRange* faxRange;  // null: no fax destination lines
    HANDLE printer;                // for the job-instruction maker and the spooler's forms
    uint16_t bktpNumber;           // written after "@BKTP="; 0 = not known yet, blanks reserved
    uint32_t bktpOffset;           // out: offset of the reserved "@BKTP=" line, 0 = none
};

// What the writers of one header share while it is written.
struct JobHeaderState {
    const SettingsContext* settings;  // the model data (main and linked)
    JobHeaderContext* context;
    uint32_t flags;                   // JobHeaderFlags: capability word 0
    CapabilityBits capabilities;
    bool pjl;
    JobText* out;
    HMODULE hostNameLibrary;          // loaded at the first host-name line, freed when the header ends
};

// The key of a PJL-form line and the keys the filter records hold at most
// 127 characters; a longer one refuses its row.
inline constexpr uint32_t kJobKeyChars = 128;

// Fills the state's flags, capability words and form from the model; 0 or
// kJobErrCapabilities.
int InitJobHeaderState(JobHeaderState* state, const SettingsContext* settings, JobHeaderContext* context,
                       JobText* out);

// The header into `output` (capacity bytes: GetJobHeaderSize is enough). The
// job-instruction data block, when given, asks the job-instruction maker for the
// block that opens the header.
int WriteJobHeader(const SettingsContext* settings, JobHeaderContext* context, const void* instructionData,
                   uint32_t instructionLength, uint8_t* output, uint32_t capacity);
// Upper bound of the header's size in bytes.
int GetJobHeaderSize(HANDLE printer, const SettingsContext* settings, void* settingsRecord,
                     void* printerSettingsRecord, const void* instructionData, uint32_t instructionLength);

// ESC "%-12345X", "@PJL EOJ" (PJL form) or "@EOJO" (short form), LF; the
// trailer of a job without a job ticket.
int WriteJobTrailer(const SettingsContext* settings, uint8_t* output, uint32_t capacity);
int GetJobTrailerSize(const SettingsContext* settings);
// The trailer in pieces around a job ticket: the universal exit, the ticket
// lines, then the end-of-job line.
int WriteUelForJob(uint8_t* output, uint32_t capacity);
int GetUelSize();
int WriteEndOfJobLine(const SettingsContext* settings, uint8_t* output, uint32_t capacity);
int GetEndOfJobLineSize(const SettingsContext* settings);
// ESC "%-12345X" (9 bytes) appended.
int WriteUel(JobText* out);

// Blanks a header reserves for the "@BKTP=" line, in the job-language form
// (the longer one) and the short form; a received header block is checked
// against the longer so that either form's line lies inside its slot.
inline constexpr uint32_t kBktpPjlBlanks = 38;
inline constexpr uint32_t kBktpShortBlanks = 20;

// The "@BKTP=" line filled once the number is known: over the blanks reserved
// at `offset` of a header, without a terminator, leaving the other blanks and
// the LF. 1 filled, 0 nothing to fill (offset 0), kJobErrBadArgument when the
// offset does not lie in the header or the line is not a reserved one.
int FillBktpLine(uint8_t* header, uint32_t length, uint32_t offset, bool pjl, uint16_t number);
// 1 when the model writes the PJL form; 0 short form.
bool IsPjlJobForm(const SettingsContext* settings);
