// Texts the device stores are limited and checked on their ANSI form: a
// double-byte character counts two bytes and is never split. Code page 0 is
// the process ANSI code page (the settings' effective code page); the others
// serve texts of a known code page and the tests.
#pragma once
#include <windows.h>

#include <cstdint>

// The common library's conversions with the ANSI code page.
int CopyWideToMultiByteText(const wchar_t* text, char** block, int* length);
int CopyMultiByteToWideText(const char* text, wchar_t** block, int* length);

// The ANSI form in a new block (*out, length without terminator at *length).
// Strict: 0 and no block when a character has no mapping; the loose form puts
// the code page's default character in its place.
int WideToMultiByteAlloc(const wchar_t* text, char** out, int* length, UINT codePage = 0);
int WideToMultiByteAllocLoose(const wchar_t* text, char** out, int* length, UINT codePage = 0);

// Bytes of the ANSI form (loose), -1 when it cannot be converted.
int CountAnsiTextBytes(const wchar_t* text, UINT codePage = 0);

// Ends `text` before the character whose ANSI bytes would pass `limit`, in
// place, setting *cut when it did. 1 when the text converted back; 0 when it
// could not be converted (strict; the loose form maps unmappable characters).
int TruncateTextToByteLimit(uint32_t limit, wchar_t* text, int* cut, UINT codePage = 0);
int TruncateAnsiTextToByteLimit(uint32_t limit, wchar_t* text, int* cut, UINT codePage = 0);

// Control kinds ReadLimitedEditText serves.
constexpr int kLimitedEdit = 4;
constexpr int kLimitedCombo = 1;
// Answers of ReadLimitedEditText.
constexpr int kEditTextFits = 0;
constexpr int kEditTextRestored = 1;
constexpr int kEditTextCut = 2;
constexpr int kEditTextFailed = -1;
// Reads the control's text (up to limit + 1 characters) and holds it to
// `limit` ANSI bytes: a text that cannot be converted is replaced by the
// fallback (or an edit field's last edit is undone), a longer one is cut and
// put back; a fitting one is handed out in a new block at *out when asked.
int ReadLimitedEditText(HWND dialog, int controlId, uint32_t limit, const wchar_t* fallback, wchar_t** out, int kind,
                        UINT codePage = 0);
