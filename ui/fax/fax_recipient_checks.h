// The checks a recipient passes before it joins a fax job's destination list,
// and whenever a stored list is shown again: list size limits, the number of
// destinations speed-dial wildcards stand for, duplicates, the device's
// speed-dial book, one-recipient mode and the 12-destination rule of fax line
// kind 1. Pure functions of the records and the inputs below; the recipients
// page turns their codes into messages.
#pragma once
#include <cstdint>

#include "common/job/fax_job_lines.h"
#include "common/job/fax_send_list.h"

struct KeyedList;
struct ModelDataRecord;

struct FaxCheckInputs {
    uint16_t lineKind = 0;        // GetFaxCardKind, 0-3
    bool ipFax = false;           // setting 4142
    uint32_t bookSize = 0;        // setting 8207
    bool oneRecipient = false;    // setting 5212
    uint8_t infoPage = 0;         // setting 376
    uint8_t oneHeader = 0;        // setting 379
    uint16_t modelMaximum = 0;    // model data section 25
    uint8_t cardType = 0;         // setting 4369, for the attribute check
    const FaxDiallingRecord* dialling = nullptr;  // settings 5141-5145; no attribute check without it
};

// Reads the inputs of a settings pair and its model (dialling stays null: the
// caller keeps a FaxDiallingRecord alive and points at it). 1; 0 when the fax
// line kind cannot be derived.
int ReadFaxCheckInputs(ModelDataRecord* model, void* settings, void* printerSettings, FaxCheckInputs* out);

bool IsFourDigitSpeedDial(const FaxCheckInputs& in);

// Codes of CheckRecipientAgainstList, in the order they are tested.
inline constexpr int kRecipientAccepted = 0;
inline constexpr int kRecipientNoAttribute = 3;
inline constexpr int kRecipientListFull = 1;
inline constexpr int kRecipientModelMaximum = 5;
inline constexpr int kRecipientOver600 = 6;
inline constexpr int kRecipientDuplicate = 2;
inline constexpr int kRecipientTwelveRule = 4;
inline constexpr int kMaxListRecipients = 50;
inline constexpr int kMaxDestinationTotal = 600;
inline constexpr int kTwelveRuleLimit = 12;

int CheckRecipientAgainstList(const FaxRecipientRecord* record, KeyedList* list, const FaxCheckInputs& in);
bool SameRecipient(const FaxRecipientRecord* a, const FaxRecipientRecord* b, const FaxCheckInputs& in);
int CountRecipientDestinations(const FaxRecipientRecord* record, const FaxCheckInputs& in);
// With fax line kind 0 or 1 the number of fax-number records; else the sum.
int CountListDestinations(KeyedList* list, const FaxCheckInputs& in);

// The speed-dial book check of a number (ANSI): 0 or a message identifier.
int CheckSpeedDialNumber(const char* number, const FaxCheckInputs& in);
// The entry field's check: with fax line kind 0 or 1 at least 3 characters,
// then CheckSpeedDialNumber.
int CheckTypedSpeedDialNumber(const char* number, const FaxCheckInputs& in);

// Only with one-recipient mode: 2 the list is not empty, 3 a speed-dial number
// with "*", 1 a relay broadcast; else 0.
int CheckOneRecipientMode(const FaxRecipientRecord* record, KeyedList* list, const FaxCheckInputs& in);
// Whether the 12-destination rule applies (fax line kind 1, not switched off
// by 376 = 1 with 379 = 0).
bool TwelveRuleApplies(const FaxCheckInputs& in);
// The rule on a whole list: 0, or 4 when its total reaches 13.
int CheckListTwelveRule(KeyedList* list, const FaxCheckInputs& in);

// A speed-dial number longer than the mode's digits keeps its last 3 (4)
// characters, in place.
void TrimSpeedDialNumber(wchar_t* number, const FaxCheckInputs& in);
// Digits padded on the left with "0" to the mode's width.
void PadSpeedDialNumber(const wchar_t* number, bool fourDigits, wchar_t* out, size_t chars);

// Bits of the features of a list of several recipients.
inline constexpr uint32_t kFeatureMailbox = 0x01;
inline constexpr uint32_t kFeatureFCode = 0x02;
inline constexpr uint32_t kFeatureFCodePassword = 0x04;
uint32_t CollectRecipientFeatures(KeyedList* list);

// The job's fax line value (setting 1881) of a fax line kind and back (4
// stands for the IP fax case).
uint8_t FaxLineValueOfKind(uint16_t lineKind, bool ipFax);
uint16_t FaxLineKindOfValue(uint8_t value);
