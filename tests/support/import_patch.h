// Replaces an entry of the test program's own import table, so that a test can
// stand in for a platform call that the library code makes (a failing printer
// data write, or a call wine does not carry out). The library code is not changed:
// it is linked into the test program and calls through that table.
#pragma once

// Puts `replacement` in place of `dll`!`function` in the program's import table
// and gives back the entry it held; null when the program does not import it.
void* ReplaceProgramImport(const char* dll, const char* function, void* replacement);

// Holds a replacement for a scope.
class ScopedImportPatch {
public:
    ScopedImportPatch(const char* dll, const char* function, void* replacement);
    ~ScopedImportPatch();
    ScopedImportPatch(const ScopedImportPatch&) = delete;
    ScopedImportPatch& operator=(const ScopedImportPatch&) = delete;

    bool active() const { return original_ != nullptr; }
    void* original() const { return original_; }

private:
    const char* dll_;
    const char* function_;
    void* original_;
};
