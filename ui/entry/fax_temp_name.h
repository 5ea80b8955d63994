// Names of the temporary files that carry a sheet's fax data to the job.
#pragma once
#include <windows.h>

// The fallback kind of a print-time fax address file; every other kind falls
// back to the document-properties file.
inline constexpr int kFaxTempPrintTime = 4;

// A new, empty, uniquely named file "ZQF....tmp" in the first directory that
// can be found (temporary, Windows, system, current); when none can take it,
// a fixed name by kind. `buffer` holds MAX_PATH characters.
void MakeFaxTempFileName(wchar_t* buffer, int kind);
