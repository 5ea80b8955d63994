// The printer identity: 16 bytes made once per printer and kept in its printer
// data as "PRNID". Its 32-digit hexadecimal text names the printer's key in each
// user's registry.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

constexpr uint32_t kPrinterIdBytes = 16;
constexpr uint32_t kPrinterIdChars = 32;
constexpr wchar_t kPrinterIdValueName[] = L"PRNID";

// MD5 over the 8-byte time() value followed by the UTF-16 bytes of the printer
// name (GetPrinterW level 1, without its terminator). 1 made; 0 when the name
// cannot be read, the digest fails or `id` is null.
int CreatePrinterId(HANDLE printer, uint8_t* id);

// 1 when a 16-byte "PRNID" was read.
int ReadPrinterId(HANDLE printer, uint8_t* id);

// The spooler's answer for the "PRNID" value: ERROR_SUCCESS with the identity,
// ERROR_FILE_NOT_FOUND when the printer has none, another code when it could not
// be read (or is not 16 bytes: ERROR_INVALID_DATA).
DWORD ReadPrinterIdStatus(HANDLE printer, uint8_t* id);

// Stores "PRNID" (REG_BINARY, 16 bytes) unless a value exists already: the first
// identity stored stays. 1 when one exists or was stored.
int StorePrinterId(HANDLE printer, const uint8_t* id);

// Reads the identity, or makes and stores one when the printer has none, and
// gives out the identity that is stored afterwards. 1 ok.
int EnsurePrinterId(HANDLE printer, uint8_t* id);

// The 32-digit text, uppercase, byte 0 first and high nibble first, copied into
// `buffer` bounded by `length` characters (terminator included).
void PrinterIdToHex(const uint8_t* id, wchar_t* buffer, size_t length);
