// Files and folders the pages ask for: the open-file dialog set up from an
// item's parameters with the folder macros of the driver, and the test whether
// the machine's registry may be written.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include <cstdint>

struct ConstraintContext;

constexpr int kPathChars = 261;
constexpr int kDialogTextChars = 127;

// The parameter block of a file-choosing push button. String ids kTextGiven
// (-3) and FunctionIDs 0 mean none.
struct OpenFileParameters {
    int32_t filterId;
    uint32_t filterIndex;
    uint16_t fileNameSetting;
    int32_t defaultFolderId;
    uint16_t defaultFolderSetting;  // its model default names the folder
    int32_t titleId;
    int32_t flags;                  // -1 or -2: kOpenFileDefaultFlags
    int32_t defaultExtensionId;
    uint16_t folderSetting;
};

constexpr DWORD kOpenFileDefaultFlags = OFN_NONETWORKBUTTON | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_READONLY;
static_assert(kOpenFileDefaultFlags == 0x20805);

struct OpenFileRecord {
    wchar_t folder[kPathChars];
    wchar_t file[kPathChars];
    wchar_t title[kDialogTextChars];
    wchar_t extension[kDialogTextChars];
    wchar_t filter[kDialogTextChars];
    OPENFILENAMEW dialog;
};
static_assert(sizeof(OPENFILENAMEW) == 152, "the open-file structure of 64-bit Windows");

// 1 when the path names a folder one can change into (the current folder is
// restored).
int IsValidDirectory(const wchar_t* path);

// Copies the text with its first %NAME% macro replaced (SYSTEM the system
// folder, ICM its colour folder, DRIVER its driver folder) and what follows it
// kept, into a new block at *out. 1; 0 for another or an empty macro name, an
// unclosed macro, or no memory.
int ExpandPathMacros(const wchar_t* text, wchar_t** out);

// Fills the record for GetOpenFileNameW: the file from its setting, the first
// usable initial folder (folder setting, default folder string, the default
// folder setting's model default, the file's own folder), title, extension and
// filter from their strings. 1 done, 0 on a missing argument.
int PrepareOpenFileDialog(HWND window, const ConstraintContext& settings, const OpenFileParameters& parameters,
                          OpenFileRecord* record);

// Writes and deletes a REG_DWORD "WriteCheck" under HKEY_LOCAL_MACHINE: 1 when
// the write succeeded.
int CanWriteMachineRegistry();
