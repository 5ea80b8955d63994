// The exchange with the maker's fax phonebook tool, a separate program that may
// or may not be installed: the typed recipient is written into a temporary CSV
// file, the tool is started with that file as input and the address book file
// as output, and the address book is backed up so that it can be put back when
// the user cancels the tool. The file format, the command line and the version
// test bind whatever program takes the tool's place.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "common/job/fax_send_list.h"

struct ModelDataRecord;

// The CSV rule: a text with a comma, LF, CR or double quote is quoted, its
// quotes doubled; any other text stands as it is.
std::wstring QuoteCsvField(const std::wstring& text);
// The password columns: each character code as hexadecimal bytes (high pair
// first), Base64, then ROT13 over the letters.
std::string EncodePhonebookSecret(const wchar_t* text);

inline constexpr char kPhonebookToolTag[] = "TAMSEN_CORVANE_FAX_PHONEBOOK_TOOL";
inline constexpr char kPhonebookFormatText[] = "0060000";
inline constexpr uint32_t kPhonebookMinimumVersion = 60100;

// The recipient row (UTF-16, before conversion). False for a speed-dial
// recipient or a dial prefix other than 0-2: the tool takes neither.
bool BuildPhonebookRow(const FaxRecipientRecord& record, std::wstring* row);
// The whole file in the ANSI code page: the two headers, the comment line and
// the row, lines ended by CR LF, the last without. False when a part cannot
// be converted or the recipient cannot be written.
bool BuildPhonebookFileText(const FaxRecipientRecord& record, const wchar_t* commentLine, std::string* out);

// A temporary file name with ".csv" appended; the file is written and closed.
// 1; 0 when the file cannot be made or written.
int CreatePhonebookExchangeFile(const FaxRecipientRecord& record, wchar_t* path, size_t chars);

struct PhonebookTool {
    wchar_t path[260];     // folder + file name
    wchar_t version[128];  // decimal text
};
// The tool's path and version from the registry key the resource strings name.
// 1 found; 0 not installed.
int FindPhonebookTool(PhonebookTool* out);
uint32_t PhonebookToolVersion(const PhonebookTool& tool);
// Shows 5226 (not installed) or 5227 (too old) over `owner`. 1 usable.
int CheckPhonebookTool(HWND owner, PhonebookTool* tool);

// -I"exchange" -O"book"
std::wstring BuildPhonebookCommandLine(const wchar_t* exchangeFile, const wchar_t* addressBook);

// What the wait for the tool leaves behind. The waiter (the tool-wait dialog)
// sets `cancelled` when the user stopped a running tool.
struct PhonebookToolRun {
    PROCESS_INFORMATION process;
    uint32_t cancelled;
};
// Opens the wait and returns when the tool has ended or was stopped.
using PhonebookWaiter = void (*)(HWND owner, PhonebookToolRun* run, void* context);

// The exchange once the tool is known and the address book chosen: exports
// the record, backs up the book (or asks 5229 before the tool makes a new
// one), starts the tool and waits; a cancelled tool's book is put back from
// the backup. The exchange file and the backup are always deleted, and the
// window's fax temporary-file records cleaned. 1 the tool ran; 0 nothing
// was started.
int ExchangeWithPhonebookTool(HWND owner, ModelDataRecord* model, const PhonebookTool& tool,
                              const FaxRecipientRecord& record, const wchar_t* addressBook, PhonebookWaiter waiter,
                              void* context);

// The tool-wait dialog's two steps. Poll: true while the tool still runs
// (waits up to `waitMs`); a finished, failed or missing process is over, and
// the flag is then 0. Stop: terminates a running tool and sets the flag to 1.
bool PollPhonebookTool(PhonebookToolRun* run, DWORD waitMs);
void StopPhonebookTool(PhonebookToolRun* run);
// Closes both handles of the run (a fault of the text left them open).
void ClosePhonebookToolRun(PhonebookToolRun* run);

// Button 4046 is enabled for a recipient that is not a speed-dial number,
// with a non-blank address and name.
bool PhonebookButtonEnabled(const FaxRecipientRecord& record);
