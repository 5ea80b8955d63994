// The fax destination lines of a fax job's header: one line per recipient of
// the job's fax send list, ending with CR LF (the other header lines end with
// LF).
#pragma once
#include <cstdint>
#include <string>

#include "common/job/fax_send_list.h"
#include "common/job/fax_temp_files.h"

struct JobHeaderState;
struct SettingsContext;

// Prefixes by mode: 1 "@FANU=", 2 "@FAEN=", 4 "@SFNU=", 5 "@SFEN=".
inline constexpr int kFaxModeNumber = 1;
inline constexpr int kFaxModeEncoded = 2;
inline constexpr int kFaxModeSubNumber = 4;
inline constexpr int kFaxModeSubEncoded = 5;

// A line with its PJL wrapper and CR LF fits in this many bytes.
inline constexpr uint32_t kFaxLineCapacity = 512;

// The dialling settings of a job (their effective values).
struct FaxDiallingRecord {
    uint16_t setting4111;
    const wchar_t* firstPrefix;   // setting 5141
    uint16_t firstFlag;           // 5142
    const wchar_t* secondPrefix;  // 5143
    uint16_t secondFlag;          // 5144
    uint16_t noPrefixFlag;        // 5145
};
// 1 filled; 0 when a setting cannot be read.
int ReadFaxDiallingRecord(void* settingsRecord, void* printerSettingsRecord, FaxDiallingRecord* out);

// One recipient's line as ANSI text into output, or without output only the
// value's length into *length. The line with its PJL wrapper and its CR LF
// must fit `capacity` bytes (kFaxLineCapacity for the header); a terminator
// follows when there is room. 1 written or measured; 0 refused (*length -1 for
// a line over the field limits).
int FormatFaxDestinationAttribute(int mode, const FaxRecipientRecord* record, const FaxDiallingRecord* dialling,
                                  uint32_t capacity, bool pjl, char* output, int* length, uint8_t setting4369);

// The lines for the header context's recipient range, appended to the state's
// output. Bytes written, 0 when no line applies, kJobErrMissingData on failure.
int WriteFaxDestinationAttributes(JobHeaderState* state);

// The header's allowance for fax lines: model sections 24 x 25 (both u16 and
// non-zero) + 91 (PJL form) or + 21; kJobErrModelSizeData without them.
int GetFaxAttributeSize(const SettingsContext* settings, bool pjl);

// The shared fax address file (kKeptFaxAddressFile) may hold more recipients
// than a job sends: at most 100 of them are written.
inline constexpr uint16_t kFixedFaxAddressFileMaxRecipients = 100;
