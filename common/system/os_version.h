// Operating-system tests. The two version answers are computed once per process
// under the OsVersion lock role.
#pragma once
#include <cstdint>

// 256/257/258 for the 9x family (before 4, 4.0, later), 512/513/514 for NT
// (before 4, 4, later), 0 for any other platform. 1 done, -1 for a null pointer
// or when the version cannot be read.
int GetOsVersionCode(uint16_t* code);
// The code of a platform identifier (1 the 9x family, 2 NT) and version.
uint16_t OsVersionCodeOf(uint32_t platformId, uint32_t major, uint32_t minor);
// From the code above: 0 (nothing stored) for 256, 257, 512 and 513; otherwise 1
// with 512 stored; -1 when the code cannot be read.
int IsModernNtPlatform(uint16_t* code);
// Whether a code of GetOsVersionCode counts as modern for the above.
bool IsModernOsVersionCode(uint16_t code);
int IsOsVersion51OrLater();
int IsOsVersion60OrLater();

// Whether the process runs in the browser's protected mode (ieframe.dll's
// IEIsProtectedModeProcess on 6.0 or later); 0 when it cannot be asked.
int IsProtectedModeProcess();
