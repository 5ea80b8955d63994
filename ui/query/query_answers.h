// Typed answers of a printer query: one per setting, kept in arrays, applied in
// order by the device options page.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

// One answer for one setting. For a string (type 6) the holder keeps a pointer
// to a global-heap UTF-16 text that the answer owns, and the size counts the
// terminator, two bytes a character.
struct SettingAnswer {
    uint16_t settingId = 0;
    uint16_t type = 0;
    uint32_t size = 0;
    uint8_t holder[8] = {};
};
static_assert(sizeof(SettingAnswer) == 16);

using AnswerList = std::vector<SettingAnswer>;

// A number answer of the given type and size; the value's low bytes fill the holder.
SettingAnswer NumberAnswer(uint16_t settingId, uint16_t type, uint32_t size, uint64_t value);
// A string answer owning a copy of the text; false when memory is short.
bool StringAnswer(uint16_t settingId, const wchar_t* text, SettingAnswer* out);
// The text of a string answer, null for any other answer.
const wchar_t* AnswerText(const SettingAnswer& answer);
// The answer's value read by its own type and size: flag and 32-bit types as 32
// bits, 16-bit types as 16 bits, a byte as one byte, a string as "has a
// character". A size that does not fit the type reads as zero.
bool AnswerIsNonZero(const SettingAnswer& answer);
// The answer's number by its own type and size (0 for strings and odd sizes).
uint32_t AnswerNumber(const SettingAnswer& answer);
// Frees the text of a string answer and clears it.
void FreeAnswer(SettingAnswer* answer);
void FreeAnswers(AnswerList* list);
