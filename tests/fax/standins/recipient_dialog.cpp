// Stand-in for the maker's recipient dialog library, for tests only. It writes
// what it was given to the log named by MORVA_RECIPDLG_LOG and answers as the
// test sets: MORVA_RECIPDLG_RESULT (default 0); MORVA_RECIPDLG_COUNT, when set,
// the number of entries it returns (made up, the first with mode 2), else the
// entries handed over in reverse order; MORVA_RECIPDLG_CLAIM, when set, a
// count it claims whatever it wrote.
#include "ui/fax/recipient_dialog_library.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The process environment as the test set it (not the C library's copy).
bool Env(const char* name, char* out, DWORD size)
{
    const DWORD n = GetEnvironmentVariableA(name, out, size);
    return n > 0 && n < size;
}

long EnvNumber(const char* name, long fallback)
{
    char text[32];
    return Env(name, text, sizeof text) ? std::strtol(text, nullptr, 10) : fallback;
}

}  // namespace

extern "C" __declspec(dllexport) int WINAPI FaxRecipShowDialog(HWND, RecipientDialogRequest* request, uint32_t flags,
                                                              RecipientDialogOptions* options, uint32_t maximum,
                                                              RecipientDialogEntry* entries, uint32_t* count,
                                                              uint32_t reserved)
{
    char logPath[MAX_PATH];
    if (Env("MORVA_RECIPDLG_LOG", logPath, sizeof logPath)) {
        if (FILE* log = std::fopen(logPath, "ab")) {
            std::fprintf(log, "book=%s\nkey=%s\nlanguage=%u\nflags=0x%02x\nmaximum=%u\ncount=%u\nreserved=%u\n",
                         request->addressBook, request->settingsKey, request->languageId, flags, maximum, *count,
                         reserved);
            std::fprintf(log, "outside=%s/%u extension=%s/%u\n", options->outsidePrefix, options->outsideValue,
                         options->extensionPrefix, options->extensionValue);
            for (uint32_t i = 0; i < *count; ++i)
                std::fprintf(log, "entry %u: kind=%u address=%s name=%s mode=%u\n", i, entries[i].kind,
                             entries[i].address, entries[i].name, entries[i].commMode);
            std::fclose(log);
        }
    }
    const int result = static_cast<int>(EnvNumber("MORVA_RECIPDLG_RESULT", 0));
    const long made = EnvNumber("MORVA_RECIPDLG_COUNT", -1);
    if (made >= 0) {
        for (long i = 0; i < made && static_cast<uint32_t>(i) < maximum; ++i) {
            RecipientDialogEntry& e = entries[i];
            std::memset(&e, 0, sizeof e);
            std::snprintf(e.address, sizeof e.address, "555%04ld", i);
            std::snprintf(e.name, sizeof e.name, "Returned %ld", i);
            e.commMode = i == 0 ? 2 : 0;
        }
        *count = static_cast<uint32_t>(made);
    } else {
        for (uint32_t i = 0; i < *count / 2; ++i) {
            RecipientDialogEntry swap = entries[i];
            entries[i] = entries[*count - 1 - i];
            entries[*count - 1 - i] = swap;
        }
    }
    const long claim = EnvNumber("MORVA_RECIPDLG_CLAIM", -1);
    if (claim >= 0)
        *count = static_cast<uint32_t>(claim);
    return result;
}
