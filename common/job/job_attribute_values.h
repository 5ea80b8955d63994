// The value text of a job attribute line: most settings by their value type,
// a fixed set by writers of their own (paper keywords, feed edge, delayed-print
// time, user names, page lists, one-shot texts, fax times).
#pragma once
#include <cstdint>
#include <ctime>

struct JobHeaderState;

// Key and value appended to the state's output (key as UTF-8): the bytes
// written, 0 when the attribute has no value for this job (nothing is left
// appended), or a negative code.
int WriteJobAttribute(JobHeaderState* state, const wchar_t* key, uint16_t id);
// The generic writer by value type.
int WriteJobAttributeByType(JobHeaderState* state, const wchar_t* key, uint16_t id);

// The keyword of a paper number, or null; user-defined papers answer the
// "UNFIXED:%hu:%hu" form.
const char* FindPaperKeyword(uint16_t paperNumber);

// The date a delayed job runs at hour:minute: today, or tomorrow when `now` is
// already later than that time. 1 with *date normalised; 0 when it cannot be.
int ComputeDelayedDate(const std::tm& now, int hour, int minute, std::tm* date);

// The job's user name as the device takes it: ANSI, single-byte characters in
// 0x20-0x7E and 0xA1-0xDF, double-byte ones with lead 0x81-0xFC and trail
// 0x40-0xFC, at most maxChars characters; "UnknownUser" for an empty name, a
// name of blanks, a character outside those ranges, or a failed conversion.
// The length written (terminated) into out.
int MakeJobUserName(const wchar_t* name, uint32_t maxChars, char* out, uint32_t capacity);
// The user identification text: checked as above (double-byte only with the
// long form), at most 64 characters with the long form (cut), else 12 (a
// longer text gives none). The length written, or 0 for no value.
int MakeJobUserText(const wchar_t* text, bool longForm, char* out, uint32_t capacity);
