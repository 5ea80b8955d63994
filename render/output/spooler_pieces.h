// Writes to the spooler go out in pieces: the spooler takes at most this many
// bytes per WritePrinter call.
#pragma once
#include <windows.h>

#include <cstdint>

constexpr uint32_t kSpoolerPieceBytes = 1000000;

using WritePrinterFn = BOOL(WINAPI*)(HANDLE printer, LPVOID bytes, DWORD length, LPDWORD written);

// Writes `length` bytes with `write` (WritePrinter for the stream) in pieces of
// at most kSpoolerPieceBytes. Every piece must be taken whole, the last one
// too: returns `length`, or -1 at the first failed or short piece.
int64_t WriteInSpoolerPieces(HANDLE printer, const uint8_t* bytes, uint32_t length, WritePrinterFn write);
