// The questions that the output channels ask when a write fails: resource
// strings of the resource file, with built-in texts for a missing file.
#pragma once
#include <windows.h>

constexpr UINT kStreamWriteFailedTextId = 4;  // file channel write failed
constexpr UINT kTempWriteFailedTextId = 5;    // temporary channel write failed; "%c" is the drive
constexpr UINT kStreamMessageTitleId = 6;

extern const wchar_t kDefaultStreamMessageTitle[];
extern const wchar_t kDefaultStreamWriteFailedText[];
extern const wchar_t kDefaultTempWriteFailedText[];

// OK (retry) or Cancel after a failed write to the file channel.
bool AskStreamFileWriteRetry(HMODULE resources);

// OK (retry) or Cancel after a failed write to the temporary file `fileName`;
// the question names its drive.
bool AskTempWriteRetry(HMODULE resources, const wchar_t* fileName);

// The drive letter the question names: the first character in upper case
// when the second is ':', else a blank.
wchar_t DriveLetterOf(const wchar_t* fileName);

// Copies `format` into `out` (size characters, always terminated) with every
// "%c" replaced by `letter`.
void FormatDriveMessage(const wchar_t* format, wchar_t letter, wchar_t* out, int size);
