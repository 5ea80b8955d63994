#include "common/store/printer_data.h"

#include "common/system/global_block.h"

#include <winspool.h>

#include <cstdio>
#include <cstring>

const ChunkedValueNames kPrinterDataTableNames[kPrinterDataTableCount] = {
    {L"FontSubTableSize", L"FontSubTable"},
    {L"SysTTFontListSize", L"SysTTFontList"},
    {L"PrinterDataSize", L"PrinterData"},
    {L"UserSettingInfoSize", L"UserSettingInfo"},
    {L"PaperMarginArraySize", L"PaperMarginArray"},
};

namespace {

// Printer data of the driver lives under this key; the plain GetPrinterDataW and
// SetPrinterDataW use it too.
constexpr wchar_t kDriverDataKey[] = L"PrinterDriverData";

// Room for the longest stem and a two-digit number.
constexpr int kChunkNameChars = 64;

void ChunkName(wchar_t (&name)[kChunkNameChars], const wchar_t* stem, uint32_t number)
{
    swprintf(name, kChunkNameChars, L"%ls%u", stem, number);
}

// Piece `index` (from 0) of a blob of `size` bytes: its name, place and length,
// min(768, bytes left).
struct Piece {
    wchar_t name[kChunkNameChars];
    uint32_t offset;
    uint32_t length;

    Piece(const wchar_t* stem, uint32_t index, uint32_t size)
        : offset(index * kPrinterDataChunkBytes),
          length(size - offset < kPrinterDataChunkBytes ? size - offset : kPrinterDataChunkBytes)
    {
        ChunkName(name, stem, index + 1);
    }
};

int SetSizeValue(HANDLE printer, const wchar_t* sizeName, uint32_t size)
{
    DWORD value = size;
    return SetPrinterDataW(printer, const_cast<wchar_t*>(sizeName), REG_DWORD,
                           reinterpret_cast<BYTE*>(&value), sizeof value) == ERROR_SUCCESS;
}

int WriteChunks(HANDLE printer, const uint8_t* data, uint32_t size, const wchar_t* stem)
{
    for (uint32_t i = 0; i < ChunkCount(size); ++i) {
        const Piece piece(stem, i, size);
        if (SetPrinterDataW(printer, const_cast<wchar_t*>(piece.name), REG_BINARY, const_cast<uint8_t*>(data + piece.offset),
                            piece.length) != ERROR_SUCCESS)
            return 0;
    }
    return 1;
}

// Reads the pieces of a blob of `size` bytes into `block`.
int ReadChunks(HANDLE printer, uint8_t* block, uint32_t size, const wchar_t* stem)
{
    for (uint32_t i = 0; i < ChunkCount(size); ++i) {
        const Piece piece(stem, i, size);
        DWORD type = 0;
        DWORD needed = 0;
        // A longer piece answers ERROR_MORE_DATA, a shorter one a smaller count:
        // both belong to another blob and are refused.
        if (GetPrinterDataW(printer, const_cast<wchar_t*>(piece.name), &type, block + piece.offset, piece.length,
                            &needed) != ERROR_SUCCESS ||
            needed != piece.length || type != REG_BINARY)
            return 0;
    }
    return 1;
}

int DeleteValue(HANDLE printer, const wchar_t* name)
{
    return DeletePrinterDataExW(printer, kDriverDataKey, name) == ERROR_SUCCESS;
}

int DeleteValueIfThere(HANDLE printer, const wchar_t* name)
{
    const DWORD r = DeletePrinterDataExW(printer, kDriverDataKey, name);
    return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
}

uint8_t* QueryInfoBlock(HANDLE printer, DWORD level, bool driver)
{
    if (!printer)
        return nullptr;
    DWORD needed = 0;
    const BOOL sized = driver ? GetPrinterDriverW(printer, nullptr, level, nullptr, 0, &needed)
                              : GetPrinterW(printer, level, nullptr, 0, &needed);
    if (sized || GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0)
        return nullptr;
    GlobalBlockPtr<uint8_t> block = AllocGlobalBlock<uint8_t>(needed);
    if (!block)
        return nullptr;
    const BOOL ok = driver ? GetPrinterDriverW(printer, nullptr, level, block.get(), needed, &needed)
                           : GetPrinterW(printer, level, block.get(), needed, &needed);
    return ok ? block.release() : nullptr;
}

bool ValidTable(int index)
{
    return index >= 0 && index < kPrinterDataTableCount;
}

}  // namespace

uint32_t ChunkCount(uint32_t size)
{
    if (size == 0 || size > kPrinterDataMaxBlobBytes)
        return 0;
    return (size + kPrinterDataChunkBytes - 1) / kPrinterDataChunkBytes;
}

int ReadPrinterDataExact(HANDLE printer, const wchar_t* name, void* buffer, uint32_t size)
{
    if (!printer || !buffer)
        return 0;
    DWORD type = 0;
    DWORD needed = 0;
    return GetPrinterDataW(printer, const_cast<wchar_t*>(name), &type, static_cast<BYTE*>(buffer), size, &needed) ==
               ERROR_SUCCESS &&
           needed == size;
}

int ReadChunkedPrinterDataSize(HANDLE printer, const wchar_t* sizeName, uint32_t* size)
{
    *size = 0;
    DWORD value = 0;
    if (!ReadPrinterDataExact(printer, sizeName, &value, sizeof value))
        return 0;
    *size = value;
    return 1;
}

int WriteChunkedPrinterData(HANDLE printer, const void* data, uint32_t size, const wchar_t* stem,
                            const wchar_t* sizeName)
{
    if (!printer || !data || ChunkCount(size) == 0)
        return 0;

    // Kept so that a failed rewrite can put the previous blob back.
    uint8_t* previous = nullptr;
    uint32_t previousSize = 0;
    ReadChunkedPrinterData(printer, &previous, &previousSize, stem, sizeName);
    GlobalBlockPtr<uint8_t> previousBlock(previous);
    uint32_t ignored = 0;
    const bool hadSizeValue = ReadChunkedPrinterDataSize(printer, sizeName, &ignored);

    if (!SetSizeValue(printer, sizeName, kChunkedSizeRewriting))
        return 0;
    if (WriteChunks(printer, static_cast<const uint8_t*>(data), size, stem) && SetSizeValue(printer, sizeName, size))
        return 1;

    if (previousBlock) {
        if (WriteChunks(printer, previousBlock.get(), previousSize, stem))
            SetSizeValue(printer, sizeName, previousSize);
    } else if (!hadSizeValue) {
        DeleteChunkedPrinterData(printer, stem, sizeName);
    }
    return 0;
}

int DeleteChunkedPrinterData(HANDLE printer, const wchar_t* stem, const wchar_t* sizeName)
{
    if (!printer)
        return 0;
    uint32_t stored = 0;
    if (!ReadChunkedPrinterDataSize(printer, sizeName, &stored))
        stored = kChunkedSizeRewriting;  // no readable size: any piece may be there
    const uint32_t count = stored == kChunkedSizeRewriting ? kPrinterDataMaxChunks : ChunkCount(stored);
    int ok = 1;
    for (uint32_t i = 1; i <= count; ++i) {
        wchar_t name[kChunkNameChars];
        ChunkName(name, stem, i);
        ok &= DeleteValueIfThere(printer, name);
    }
    // The size value goes last, so that an interrupted delete leaves a blob
    // that reads as absent or as unreadable, never a shorter one.
    return ok && DeleteValueIfThere(printer, sizeName);
}

int ReadChunkedPrinterData(HANDLE printer, uint8_t** block, uint32_t* size, const wchar_t* stem,
                           const wchar_t* sizeName)
{
    if (!block || !size)
        return 0;
    *block = nullptr;
    *size = 0;
    uint32_t stored = 0;
    if (!printer || !ReadChunkedPrinterDataSize(printer, sizeName, &stored) || ChunkCount(stored) == 0)
        return 0;
    GlobalBlockPtr<uint8_t> data = AllocGlobalBlock<uint8_t>(stored);
    if (!data || !ReadChunks(printer, data.get(), stored, stem))
        return 0;
    *block = data.release();
    *size = stored;
    return 1;
}

int WritePrinterDataTable(HANDLE printer, const void* data, uint32_t size, int index)
{
    if (!ValidTable(index) || !printer || size == 0)
        return 0;
    const ChunkedValueNames& names = kPrinterDataTableNames[index];
    return WriteChunkedPrinterData(printer, data, size, names.stem, names.sizeName);
}

int ReadPrinterDataTable(HANDLE printer, int index, void* buffer, uint32_t* size)
{
    if (!ValidTable(index) || !printer || !size)
        return 0;
    const ChunkedValueNames& names = kPrinterDataTableNames[index];
    uint32_t stored = 0;
    if (!ReadChunkedPrinterDataSize(printer, names.sizeName, &stored) || ChunkCount(stored) == 0)
        return 0;
    if (!buffer) {
        *size = stored;
        return 1;
    }
    if (*size < stored)
        return 0;
    // Read apart first so that a failed read leaves the caller's buffer as it was.
    GlobalBlockPtr<uint8_t> data = AllocGlobalBlock<uint8_t>(stored);
    if (!data || !ReadChunks(printer, data.get(), stored, names.stem))
        return 0;
    std::memcpy(buffer, data.get(), stored);
    *size = stored;
    return 1;
}

int DeletePrinterDataTable(HANDLE printer, int index)
{
    if (!ValidTable(index) || !printer)
        return 0;
    const ChunkedValueNames& names = kPrinterDataTableNames[index];
    uint32_t stored = 0;
    if (!ReadChunkedPrinterDataSize(printer, names.sizeName, &stored) || stored == 0)
        return 0;
    // A table left marked by an interrupted rewrite has no pieces that count:
    // only its size value goes.
    if (stored != kChunkedSizeRewriting) {
        const uint32_t count = ChunkCount(stored);
        if (count == 0)
            return 0;
        for (uint32_t i = 1; i <= count; ++i) {
            wchar_t name[kChunkNameChars];
            ChunkName(name, names.stem, i);
            if (!DeleteValue(printer, name))
                return 0;
        }
    }
    return DeleteValue(printer, names.sizeName);
}

uint8_t* GetPrinterInfo(HANDLE printer, DWORD level)
{
    return QueryInfoBlock(printer, level, false);
}

uint8_t* GetPrinterDriverInfo(HANDLE printer, DWORD level)
{
    return QueryInfoBlock(printer, level, true);
}
