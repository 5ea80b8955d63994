// Registry records of the temporary files of the graphics library. A job that
// ends abnormally leaves its file behind; every file is therefore registered
// under the local machine and a later job removes what is stale.
#pragma once
#include <windows.h>

constexpr int kRegistryBaseChars = 260;

extern const wchar_t kDefaultTempFileRegistryBase[];

// The process-wide base path (ends with "\"); job start replaces the default
// with the model's registry base path. Guarded by the temporary-file key lock.
// A path that does not fit is refused (0); 1 on success.
int SetTempFileRegistryBase(const wchar_t* basePath);
void GetTempFileRegistryBase(wchar_t* out, int size);

// The subkey of a file below HKEY_LOCAL_MACHINE: base + "TempFile\" + the
// file's full name with every "\" turned into "/". 1, or 0 when it does not fit.
int MakeTempFileKeyPath(const wchar_t* fileName, wchar_t* out, int size);

// Creates the file's key with its creation time as default value. A failed
// registry write does not stop the channel, so the result is advisory: 0 or -1.
int RegisterTempFile(const wchar_t* fileName);
int UnregisterTempFile(const wchar_t* fileName);

// "[%04d,%02d/%02d,%02d:%02d:%02d]" of the given time (out holds 24 characters).
void FormatTempFileTime(const SYSTEMTIME& time, wchar_t* out, int size);

// Removes the files of earlier jobs that are gone or can be deleted now, and
// their keys. 0 when the enumeration ended normally (or there is no key),
// -1 on an enumeration error or a key that cannot be deleted.
int SweepStaleTempFiles();
