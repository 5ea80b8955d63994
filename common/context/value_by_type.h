// Setting values by their value type (value_types.h) as the settings and
// user-interface code pass them around: in an 8-byte holder, numbers in its low
// bytes, strings as a pointer.
#pragma once
#include <cstddef>
#include <cstdint>

// The value read as a signed or unsigned 32-bit number: 2 signed 16 bits, 3
// unsigned 16 bits, 8 a byte, 1, 4, 5 and 10 32 bits; strings and other types 0.
int32_t ValueToInt(const void* value, uint16_t type);
uint32_t ValueToUInt(const void* value, uint16_t type);

// Copies a number into the 8-byte holder (cleared first): 1, 4, 5, 10 as 32 bits;
// 2, 3 as 16 bits; 8 as one byte; 6 stores the string pointer itself. 0 for other
// types (the holder is still cleared), 1 otherwise.
int CopyValueByType(void* holder, uint64_t value, uint16_t type);

// Bytes of a value by type: 1, 4, 5, 10 -> 4; 2, 3 -> 2; 8 -> 1; 9 -> 92; 6 the
// given length, or (characters + 1) x 2 of the held string when the length is -1.
// 0 for any other type.
uint32_t GetValueSize(const void* holder, uint16_t type, int32_t length);

// Text of a value by type into buffer of `capacity` characters, cut to fit and
// always terminated: 4 and 5 with "%ld", 6 copied, 1, 2, 3, 8 and 10 with "%d".
// The buffer, or null for other types, a null value or buffer, or no capacity.
wchar_t* FormatValueAsText(uint16_t type, const void* value, wchar_t* buffer, size_t capacity);

// A numeric setting read by identifier (signed types sign-extended). 1 with
// *value; 0 when the read fails or the setting holds a string or structure.
int ReadSettingNumber(uint16_t id, void* settingsRecord, void* printerSettingsRecord, uint32_t* value);
// Writes a number with the type the setting reports. 1 written; 0 when the
// setting holds a string or structure, or the engine refuses.
int WriteSettingNumber(uint16_t id, void* settingsRecord, void* printerSettingsRecord, uint32_t value);
// The setting's number, or `fallback` when it cannot be read as one.
uint32_t SettingNumberOr(uint16_t id, void* settingsRecord, void* printerSettingsRecord, uint32_t fallback);
// A number of the printer settings record alone; 0 when it cannot be read.
uint32_t PrinterSettingNumber(const uint8_t* printerSettingsRecord, uint16_t id);

// Whether a model value of `valueType` (an option's) can stand for setting
// `id`: a text for a string setting, a structure for a LOGFONTW setting, a
// number for the others. A setting without a layout row takes any value.
bool ModelValueAgreesWithSetting(uint16_t id, uint16_t valueType);
// The same for a whole class of values (ModelValueClassOf).
bool ModelValueClassAgreesWithSetting(uint16_t id, uint16_t valueClass);
