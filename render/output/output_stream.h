// The one byte sink of a job: every byte of header, MORVA stream and trailer
// passes through an OutputStream, which collects small writes in a buffer and
// hands them to the current channel.
#pragma once
#include "render/output/growable_table.h"
#include "render/output/spooler_pieces.h"
#include "render/output/temp_channel.h"

#include <windows.h>

#include <cstdint>

constexpr uint32_t kStreamBufferBytes = 2048;

// Channel selector; the values are those the stream has always used.
enum StreamMode : uint16_t {
    kStreamClosed = 0,          // writes fail
    kStreamSpooler = 1,         // WritePrinter on the channel handle
    kStreamTemp = 2,            // appended to the temporary channel (recording a page)
    kStreamFile = 3,            // file only (print to file)
    kStreamSpoolerAndFile = 4,  // each flush goes to both (a copy of the job in a file)
    kStreamExternalInput = 5,   // file only, input of the external conversion library
};

// One entry of the offsets table: where a recorded page lies in the temporary channel.
struct RecordedPageOffsets {
    int32_t start;
    int32_t end;
    int32_t firstItem;  // offset of the first item block, -1 = none
};
static_assert(sizeof(RecordedPageOffsets) == 12);

// Where recording and replay stand in the item blocks of the temporary channel.
struct RecordedBlockCursor {
    int32_t firstBlock;    // recording: the open page's first item block, -1 = none yet
    int32_t lastBlock;     // recording: its last item block, -1 = none yet
    int32_t pageStart;     // recording: where the open page's bytes begin
    int32_t position;      // replay: next byte to read
    int32_t end;           // replay: end of the page's bytes
    int32_t nextBlock;     // replay: next item block, -1 = none
    int32_t itemData;      // replay: the current item's data
    uint16_t itemLength;
    bool replaying;
};

using WriteFileFn = BOOL(WINAPI*)(HANDLE file, LPCVOID bytes, DWORD length, LPDWORD written, LPOVERLAPPED overlapped);

// Flag bits of OpenStreamFile.
constexpr uint32_t kStreamFileCreate = 0x1;    // CREATE_ALWAYS, else OPEN_ALWAYS
constexpr uint32_t kStreamFileReadOnly = 0x2;  // GENERIC_READ, else read and write

struct OutputStream {
    uint16_t mode;
    HANDLE channel;       // spooler handle, null when none
    bool ownConnection;   // channel opened by the stream itself
    int32_t firstPage;    // logical number of the first recorded page
    int32_t recordedPages;
    GrowableTable pageTable;
    GrowableTable offsets;  // RecordedPageOffsets entries
    RecordedBlockCursor cursor;
    uint32_t fill;
    uint8_t buffer[kStreamBufferBytes];
    TempChannel temp;
    HMODULE resources;    // where the stream's questions come from
    HANDLE file;          // file channel, INVALID_HANDLE_VALUE when none
    // WritePrinter and WriteFile; tests put their own in to watch the pieces
    // and to make writes fail.
    WritePrinterFn writePrinter;
    WriteFileFn writeFile;
};

// All operations answer 0 (or a count) on success and -1 on failure; a null
// stream is a failure.
OutputStream* CreateOutputStream(HMODULE resources);
void DestroyOutputStream(OutputStream* stream);

// Resets the temporary channel after removing stale temporary files, then
// writes to `spooler`. A null handle leaves the stream closed and fails.
int OpenStreamOnSpoolHandle(OutputStream* stream, HANDLE spooler);
// Opens a connection of the stream's own to the printer of `printer` and
// starts a RAW document named `documentName` on it.
int OpenStreamOnNewPrinterJob(OutputStream* stream, HANDLE printer, const wchar_t* documentName);
bool IsStreamOpen(const OutputStream* stream);

// The central write: returns `length` or -1.
int64_t WriteStream(OutputStream* stream, const void* bytes, uint32_t length);
// Hands the buffer to the channel; the buffer is empty afterwards whatever the outcome.
int FlushStreamBuffer(OutputStream* stream);
// Flushes, then switches the channel. An unknown current or new mode fails and
// changes nothing.
int SetStreamMode(OutputStream* stream, uint16_t mode);

// The file channel (mode 3): opened without sharing and positioned at its end.
int OpenStreamFile(OutputStream* stream, const wchar_t* name, uint32_t* size, uint32_t flags);
int CloseStreamFile(OutputStream* stream, uint32_t* size);
// The same with `mode` in place of 3 and 1 (the external conversion library uses 5).
int OpenStreamFileMode(OutputStream* stream, const wchar_t* name, uint32_t* size, uint32_t flags, uint16_t mode);
int CloseStreamFileMode(OutputStream* stream, uint16_t mode);

// A copy of the job in a file beside the spooler (mode 4), only from mode 1.
int AddStreamFileCopy(OutputStream* stream, const wchar_t* name);
int EndStreamFileCopy(OutputStream* stream);

// Ends a file still open, flushes and forgets the channel (mode 0). The
// caller's spooler handle stays open; a connection of the stream's own is ended.
int CloseOutputStream(OutputStream* stream);
// Flushes and ends the stream's own connection: EndPagePrinter, EndDocPrinter,
// ClosePrinter. TRUE only when all three succeed (a printer-API answer).
BOOL ClosePrinterStream(OutputStream* stream);
