// The host-name lines of the job header: N-up, host address, job owner and
// host name, each text made by the device maker's host-name library (an
// optional library named by the model data). The library is loaded at the
// first line that needs it and freed when the header is finished.
#pragma once
#include <windows.h>

#include <cstdint>

struct JobHeaderState;

// The library's functions, resolved by these names. Every output buffer comes
// with its capacity in bytes (*size in), and *size receives the length of the
// ANSI text written (without its NUL).
using DhNupProc = BOOL (*)(int nupCode, char* output, DWORD* size, DWORD* reserved);
using DhHostAddressProc = BOOL (*)(char* output, DWORD* size, char* address, DWORD* addressSize);
using DhHostNameExProc = BOOL (*)(DWORD maxChars, char* output, DWORD* size, DWORD flags, DWORD* reserved);
using DhJobOwnerProc = BOOL (*)(int mode, const char* userText, int pages, int source, char* output, DWORD* size);

inline constexpr char kDhNup[] = "DHGetVJCLStringOfNup";
inline constexpr char kDhHostAddress[] = "DHGetVJCLStringOfHostAddress";
inline constexpr char kDhHostNameEx[] = "DHGetVJCLStringOfHostNameEx";
inline constexpr char kDhJobOwnerFromUserHostName[] = "DHGetVJCLStringOfJobOwnerStringFromUserHostName";
inline constexpr char kDhJobOwnerFromInput[] = "DHGetVJCLStringOfJobOwnerFromInputA";
inline constexpr char kDhUserTextPlaceholder[] = "DummyString";

inline constexpr uint16_t kHostNameLibraryFileName = 3;  // model data file name
inline constexpr DWORD kHostNameTextBytes = 512;

// The lines appended to the state's output: 0 or a negative code.
int WriteHostNameLines(JobHeaderState* state);
// Frees the library the lines loaded, if any.
void UnloadHostNameLibrary(JobHeaderState* state);

// The N-up code passed to the library, or -1 when no code applies.
int GetNupCode(JobHeaderState* state);
// The paper source code of the job-owner line: 0 with *code, or the read's code.
int GetJobOwnerSourceCode(uint32_t flags, void* settingsRecord, void* printerSettingsRecord, int* code);
