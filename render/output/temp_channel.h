// The temporary channel: a seekable temporary file of the output stream into
// which logical pages are recorded and the JPEG coder writes. Registered in the
// registry while it exists (see temp_file_registry.h).
#pragma once
#include <windows.h>

#include <cstdint>

constexpr int kTempFileNameChars = 261;

struct TempChannel {
    HMODULE resources;                 // for its question
    HANDLE file;                       // INVALID_HANDLE_VALUE when closed
    wchar_t name[kTempFileNameChars];  // full name of the file
    // 64-bit: a channel grows past 4 GiB, and a wrapped offset would write
    // over the start of the file.
    uint64_t highWater;                // largest end offset written so far
    uint64_t offset;                   // current offset
    bool usable;                       // created, and no write was cancelled since
};

// Forgets the file (without closing it); when cleanUp is set, first removes
// the stale files of earlier jobs.
void InitTempChannel(TempChannel* channel, bool cleanUp, HMODULE resources);

// Makes a temporary file name: GetTempFileNameW with the prefix "ZQP" in the
// temp, Windows, system and current directory in turn, else "c:\zqrqd.tmp".
// `out` holds kTempFileNameChars characters.
void MakeTempChannelFileName(wchar_t* out);

// Deletes a file still held, creates a new one, registers it and marks the
// channel usable. 0 or -1.
int CreateTempChannelFile(TempChannel* channel);

// Closes and deletes the file, and its registry key when the deletion worked.
// The channel is reset either way. 0, or -1 when closing or deleting failed.
int CloseTempChannel(TempChannel* channel);

// 1 when open and usable, else -1.
int GetTempChannelState(const TempChannel* channel);

// Makes the file's contents agree with the channel's offsets before a read or
// seek. 0 or -1 (channel not usable).
int SyncTempChannel(TempChannel* channel);

// Writes at the current offset; after a failure asks OK (retry the rest) or
// Cancel (channel unusable). Returns the bytes written, or -1.
int WriteTempChannel(TempChannel* channel, const void* bytes, uint32_t length);

// Reads at the current offset; fails without reading when the read would pass
// the high-water size. Returns the bytes read, or -1.
int ReadTempChannel(TempChannel* channel, void* buffer, uint32_t length);

// Moves to an offset from 0 to the high-water size. 0 or -1.
int SeekTempChannel(TempChannel* channel, uint64_t offset);
// Moves to the end; the new offset, or -1.
int64_t SeekTempChannelEnd(TempChannel* channel);
// The high-water size, or -1.
int64_t GetTempChannelSize(TempChannel* channel);
