// What the printer publishes to the directory service: whether it can print on
// both sides and staple, from its printer settings.
#pragma once
#include <windows.h>

inline constexpr wchar_t kDirectoryServiceKey[] = L"DsDriver";
inline constexpr wchar_t kDuplexSupportedValue[] = L"printDuplexSupported";
inline constexpr wchar_t kStaplingSupportedValue[] = L"printStaplingSupported";

// Writes both one-byte REG_BINARY values into the printer data key "DsDriver".
// TRUE when both were written; FALSE (after the duplex value) when the stapler
// setting cannot be read.
BOOL WriteDirectoryServiceAttributes(HANDLE printer, void* printerSettingsRecord);
