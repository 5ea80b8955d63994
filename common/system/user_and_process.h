// Who runs the process and which program it is.
#pragma once
#include <cstdint>

// The user name into buffer (capacity in characters): the logon name, or for the
// service account "System" the Winlogon default user name, and "UnknownUser"
// (cut to the capacity) when neither gives a name with a character other than
// blanks (U+0020, U+3000). 1; 0 only for a null buffer or a capacity of 0.
int GetCurrentUserName(wchar_t* buffer, uint32_t capacity);

// File part of the first element of the command line, in a new global block the
// caller frees with GlobalFree; null on any failure.
wchar_t* GetProcessImageName();
