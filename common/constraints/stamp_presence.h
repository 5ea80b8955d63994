// What the special checks of the stamp actions need of the printer's stamp
// store: how many stamps it holds and whether one of a name is there. Read
// straight from the per-user "Stamps" key; the store's own routines take these
// over once they are in the library.
#pragma once
#include <windows.h>

#include <cstdint>

struct SettingsContext;

inline constexpr uint32_t kStampStoreRoom = 32;

// 1 with *count (REG_BINARY values of the store; 0 when there is no store yet),
// 0 when the store cannot be read.
int CountStoredStampsOf(HANDLE printer, const SettingsContext* context, uint32_t* count);
// 1 with *stored set when a stored stamp's record carries `name`; 0 on failure.
int IsStampStoredOf(HANDLE printer, const SettingsContext* context, const wchar_t* name, bool* stored);
