// The frame every export of the interface library runs in: the entry line of
// the trace log and one reference on the resource file while the work runs,
// then the reference dropped and the exit line written.
#pragma once
#include <windows.h>

// Answers the caller's last-error value as it was on entry: an export that
// succeeds may give it back, so that what its work tried and gave up on along
// the way does not reach the caller.
DWORD EnterExport(const wchar_t* name);
// `format` takes the result as its one argument (a format without a
// conversion writes the export's name alone). With `keepLastError` the caller
// sees the last-error value the work set, whatever the release does to it.
void LeaveExport(const wchar_t* format, LONG_PTR result, bool keepLastError = false);
