// The library's own module handle, the driver directory it was installed in, and
// the reference-counted resource file morvares that holds the user-interface texts.
// All of it lives under the Module lock role.
#pragma once
#include <windows.h>

#include <cstdint>

// Set once by the library's load entry. A new handle also forgets the cached
// driver directory, since it is the directory of that module.
void SetModuleHandle(HMODULE module);
HMODULE GetModuleHandleOfDriver();

// The directory of the library's own file, ending with a backslash. The buffer
// must hold 260 characters (520 bytes), else 0. Without a stored module handle the
// directory of the process image is used. 1 on success, 0 when the module path
// cannot be read.
int GetDriverDirectory(wchar_t* buffer, uint32_t sizeInBytes);
constexpr uint32_t kDriverDirectoryChars = 260;

// String identifiers of the library's own two-entry string table.
constexpr UINT kOwnStringSettingsAccessFile = 32766;  // "morvadm.dll"
constexpr UINT kOwnStringResourceFile = 32767;        // "morvares.dll"

// One reference on morvares, loaded from the driver directory on the first one; a
// failed load leaves the count at 0 and the next call tries again.
void LoadResourceModule();
// Drops one reference; the last one frees the file.
void ReleaseResourceModule();
// The resource file's handle, loaded (and counted) on demand; null when it cannot
// be loaded.
HMODULE GetResourceModule();
// The current reference count (diagnostics and tests).
uint32_t GetResourceModuleCount();

// LoadLibraryExW inside the library's own activation context (when its module
// carries a manifest), so the loaded library binds to the same side-by-side
// components as the driver.
HMODULE LoadLibraryInDriverContext(const wchar_t* path, DWORD flags);
// The same context around other work (property-sheet pages made from the
// driver's templates): true when it was entered, and then left again with the cookie.
bool EnterDriverContext(ULONG_PTR* cookie);
void LeaveDriverContext(bool entered, ULONG_PTR cookie);

// Number held in string 5146 of the resource file (e.g. 1041). 1 with the value,
// 0 when the string is missing or holds no number (out left alone).
int GetUiLanguageId(uint16_t* languageId);

// What a spooler form's name keeps (SetFormW): the user papers' names are form names.
inline constexpr int kUserFormNameChars = 31;
// Default name of user-defined paper n, which is also its spooler form's name:
// string 16 of the resource file (or a built-in text) followed by n + 1, at
// most kUserFormNameChars characters and at most the buffer's capacity; when it
// must be cut the text before the number is, never the number. Every caller
// gets the same name for the same room. 1 done, 0 for a null buffer or no room
// for the number.
int FormatUserDefinedName(int n, wchar_t* buffer, uint32_t capacityChars);
