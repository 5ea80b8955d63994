// Value types, storage areas and status codes of the setting engine, and the
// sizes of the records it reads and writes.
#pragma once
#include <cstdint>

// ItemValueType: the codes are the ones callers pass to dma_GetValue and
// dma_SetValue, so they never change.
inline constexpr uint16_t kTypeFlag = 1;     // one bit of a 32-bit word, read as 1 or 0
inline constexpr uint16_t kTypeS16 = 2;
inline constexpr uint16_t kTypeU16 = 3;
inline constexpr uint16_t kTypeS32 = 4;
inline constexpr uint16_t kTypeU32 = 5;
inline constexpr uint16_t kTypeString = 6;   // UTF-16, NUL-terminated, in a fixed room
inline constexpr uint16_t kTypeByte = 8;
inline constexpr uint16_t kTypeLogFont = 9;  // a whole 92-byte LOGFONTW
inline constexpr uint16_t kTypeFontS32 = 10; // the signed 32-bit fields of a LOGFONTW

// StorageKind: which record, and where in it, an identifier's offset counts from.
inline constexpr uint16_t kStoragePublic = 0;   // SettingsRecord, from byte 0
inline constexpr uint16_t kStoragePrivate = 1;  // SettingsRecord + kPrivatePartOffset
inline constexpr uint16_t kStoragePrinter = 2;  // PrinterSettingsRecord, from byte 0

// Status of get and set.
inline constexpr uint16_t kSettingOk = 0;
inline constexpr uint16_t kSettingNoRange = 1;   // the identifier lies in no range
inline constexpr uint16_t kSettingBadType = 2;   // set: type is neither the stored nor the reported one
inline constexpr uint16_t kSettingTooLong = 4;   // set: string or structure beyond its room or the given size
inline constexpr uint16_t kSettingBadSize = 8;   // set: size differs from the type's holder size
inline constexpr uint16_t kSettingUnknown = 16;  // not listed, missing record or pointer, unknown type...

// Every value travels in an 8-byte holder; strings and structures as a pointer
// (or, from dma_GetValue, as a byte offset in their area).
inline constexpr uint32_t kValueHolderSize = 8;
inline constexpr uint32_t kLogFontSize = 92;

inline constexpr uint32_t kPublicDevmodeSize = 220;
inline constexpr uint32_t kPrivatePartOffset = 1604;  // also the ordinary DEVMODE's whole size
inline constexpr uint32_t kPrivatePartSize = 4296;
inline constexpr uint32_t kSettingsRecordSize = kPrivatePartOffset + kPrivatePartSize;  // 5900
inline constexpr uint32_t kPrinterSettingsRecordSize = 7964;
