// What differs between the main libraries that share the common library, beyond
// the lock layout (lock_table.h). Each library states its profile when it loads;
// the interface library's profile is the default.
#pragma once

struct LibraryProfile {
    const wchar_t* traceFileName;  // file name of the trace log, with its leading backslash
};

extern const LibraryProfile kInterfaceLibraryProfile;
extern const LibraryProfile kGraphicsLibraryProfile;

// Null restores the default.
void SetLibraryProfile(const LibraryProfile* profile);
const LibraryProfile& GetLibraryProfile();
