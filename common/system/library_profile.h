// What differs between the main libraries that share the common library, beyond
// the lock layout (lock_table.h). Each library states its profile when it loads;
// the interface library's profile is the default.
#pragma once

struct LibraryProfile {
    const wchar_t* traceFileName;  // file name of the trace log, with its leading backslash
    // The graphics library's own copy of the constraint engine weighs the
    // copy-count lock (setting 1333) against the document monitor and the
    // configured job type, where the interface library always refuses it.
    bool graphicsSpecialChecks;
};

extern const LibraryProfile kInterfaceLibraryProfile;
extern const LibraryProfile kGraphicsLibraryProfile;

// Null restores the default.
void SetLibraryProfile(const LibraryProfile* profile);
const LibraryProfile& GetLibraryProfile();
