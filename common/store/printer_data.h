// Printer data larger than one value may hold is kept as a size value and
// numbered pieces ("%s%d": stem then the piece number from 1) of at most 768
// bytes, at most 99 pieces. Five fixed tables use this form.
#pragma once
#include <windows.h>

#include <cstdint>

constexpr uint32_t kPrinterDataChunkBytes = 768;
constexpr uint32_t kPrinterDataMaxChunks = 99;
constexpr uint32_t kPrinterDataMaxBlobBytes = kPrinterDataChunkBytes * kPrinterDataMaxChunks;  // 76,032

// Stored in the size value while a rewrite is under way: above the largest
// blob, so no reader joins old and new pieces; a value left at it reads as
// absent.
constexpr uint32_t kChunkedSizeRewriting = 0x7FFFFFFFu;

enum PrinterDataTable : int {
    kFontSubstitutionTable = 0,  // "FontSubTable": the font substitution pair list
    kSystemFontListTable = 1,    // "SysTTFontList": named but used by no operation
    kPrinterSettingsTable = 2,   // "PrinterData": the printer settings record
    kUserSettingInfoTable = 3,   // "UserSettingInfo": the printer-wide per-user record copy
    kPaperMarginTable = 4,       // "PaperMarginArray": the printer-wide paper margins
    kPrinterDataTableCount
};

struct ChunkedValueNames {
    const wchar_t* sizeName;
    const wchar_t* stem;
};

extern const ChunkedValueNames kPrinterDataTableNames[kPrinterDataTableCount];

// Number of pieces of a blob, or 0 when the blob is empty or too large to store.
uint32_t ChunkCount(uint32_t size);

// Writes the blob so that a reader never sees old and new pieces joined: the
// size value is first set to kChunkedSizeRewriting, then the pieces are written,
// then the real size. When a write fails the previous blob is written back, or,
// when there was none, what was written is deleted; if that fails too the value
// stays marked and reads as absent. 1 when the new blob
// is stored; 0 for a blob that is empty or above 99 pieces (nothing written) or
// a failed write.
int WriteChunkedPrinterData(HANDLE printer, const void* data, uint32_t size, const wchar_t* stem,
                            const wchar_t* sizeName);

// Reads the blob into a new zero-filled global block (the caller frees it with
// GlobalFree). Each piece must be exactly min(768, bytes left) long. 1 with the
// block and size given out; 0 when the size value is missing or out of range, or
// a piece is missing or of the wrong length (nothing stays allocated, outs null/0).
int ReadChunkedPrinterData(HANDLE printer, uint8_t** block, uint32_t* size, const wchar_t* stem,
                           const wchar_t* sizeName);

// The stored size of the blob, 0 when there is none or it is not readable.
int ReadChunkedPrinterDataSize(HANDLE printer, const wchar_t* sizeName, uint32_t* size);

// Deletes the pieces and the size value; a blob left marked may have any of
// its pieces, so all the piece names are tried. 1 when nothing of it is left.
int DeleteChunkedPrinterData(HANDLE printer, const wchar_t* stem, const wchar_t* sizeName);

// Table forms of the above. Write: 0 for an index outside 0-4, a null handle or
// size 0. Read with a null buffer gives out the stored size; with a buffer of at
// least that size reads into it (the bytes beyond the stored size are left as
// they are). Delete removes the counted pieces, then the size value.
int WritePrinterDataTable(HANDLE printer, const void* data, uint32_t size, int index);
int ReadPrinterDataTable(HANDLE printer, int index, void* buffer, uint32_t* size);
int DeletePrinterDataTable(HANDLE printer, int index);

// Reads one printer data value of exactly `size` bytes; 1 when read.
int ReadPrinterDataExact(HANDLE printer, const wchar_t* name, void* buffer, uint32_t size);

// GetPrinterW / GetPrinterDriverW at `level` into a new zero-filled global
// block (size query first); null on any failure. The caller frees.
uint8_t* GetPrinterInfo(HANDLE printer, DWORD level);
uint8_t* GetPrinterDriverInfo(HANDLE printer, DWORD level);
