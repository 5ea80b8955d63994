#include "render/output/output_stream.h"

#include "render/output/stream_messages.h"

#include <winspool.h>

#include <cstring>

namespace {

// Growth steps of the recorded-page tables before recording sets its own.
constexpr uint32_t kOffsetsGrowth = 16;

bool IsKnownMode(uint16_t mode)
{
    return mode <= kStreamExternalInput;
}

bool WritesSpooler(uint16_t mode)
{
    return mode == kStreamSpooler || mode == kStreamSpoolerAndFile;
}

bool WritesFile(uint16_t mode)
{
    return mode == kStreamFile || mode == kStreamSpoolerAndFile || mode == kStreamExternalInput;
}

// WriteFile until every byte is written. After a short or failed write the
// user may retry: only the unwritten rest goes out again, so no byte is
// written twice.
int WriteFileWithRetry(OutputStream* stream, const uint8_t* bytes, uint32_t length)
{
    if (stream->file == INVALID_HANDLE_VALUE)
        return -1;
    uint32_t done = 0;
    while (done < length) {
        DWORD written = 0;
        const BOOL ok = stream->writeFile(stream->file, bytes + done, length - done, &written, nullptr);
        if (written > length - done)
            written = length - done;
        done += written;
        if (ok && done == length)
            break;
        if (!AskStreamFileWriteRetry(stream->resources))
            return -1;
    }
    return 0;
}

int AppendToTempChannel(OutputStream* stream, const uint8_t* bytes, uint32_t length)
{
    if (SeekTempChannelEnd(&stream->temp) < 0)
        return -1;
    return WriteTempChannel(&stream->temp, bytes, length) == static_cast<int>(length) ? 0 : -1;
}

// Hands bytes to the channels of the current mode, unbuffered.
int WriteToChannel(OutputStream* stream, const uint8_t* bytes, uint32_t length)
{
    if (stream->mode == kStreamTemp)
        return AppendToTempChannel(stream, bytes, length);
    int result = 0;
    if (WritesSpooler(stream->mode) &&
        WriteInSpoolerPieces(stream->channel, bytes, length, stream->writePrinter) != int64_t{length})
        result = -1;
    if (WritesFile(stream->mode) && WriteFileWithRetry(stream, bytes, length) != 0)
        result = -1;
    if (!IsKnownMode(stream->mode) || stream->mode == kStreamClosed)
        result = -1;
    return result;
}

HANDLE OpenChannelFile(const wchar_t* name, uint32_t flags)
{
    if (name == nullptr)
        return INVALID_HANDLE_VALUE;
    const DWORD access = (flags & kStreamFileReadOnly) ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    const DWORD creation = (flags & kStreamFileCreate) ? CREATE_ALWAYS : OPEN_ALWAYS;
    return CreateFileW(name, access, 0, nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
}

uint32_t FileSizeOf(HANDLE file)
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size))
        return 0;
    return size.QuadPart > 0xFFFFFFFF ? 0xFFFFFFFF : static_cast<uint32_t>(size.QuadPart);
}

void CloseChannelFile(OutputStream* stream)
{
    if (stream->file != INVALID_HANDLE_VALUE)
        CloseHandle(stream->file);
    stream->file = INVALID_HANDLE_VALUE;
}

}  // namespace

OutputStream* CreateOutputStream(HMODULE resources)
{
    auto* stream = static_cast<OutputStream*>(GlobalAlloc(GPTR, sizeof(OutputStream)));
    if (stream == nullptr)
        return nullptr;
    stream->mode = kStreamClosed;
    stream->resources = resources;
    stream->file = INVALID_HANDLE_VALUE;
    stream->writePrinter = &WritePrinter;
    stream->writeFile = &WriteFile;
    InitTempChannel(&stream->temp, false, resources);
    return stream;
}

void DestroyOutputStream(OutputStream* stream)
{
    if (stream == nullptr)
        return;
    // A file channel can be open without a spooler channel (print to file).
    if (IsStreamOpen(stream) || stream->file != INVALID_HANDLE_VALUE)
        CloseOutputStream(stream);
    FreeGrowableTable(&stream->pageTable);
    FreeGrowableTable(&stream->offsets);
    CloseTempChannel(&stream->temp);
    GlobalFree(stream);
}

int OpenStreamOnSpoolHandle(OutputStream* stream, HANDLE spooler)
{
    if (stream == nullptr)
        return -1;
    // An earlier channel is ended, not forgotten: a connection of the stream's
    // own would leave its spooler job open and a file channel its handle.
    if (IsStreamOpen(stream) || stream->file != INVALID_HANDLE_VALUE)
        CloseOutputStream(stream);
    // A file left from an earlier use of the stream is deleted, not forgotten.
    CloseTempChannel(&stream->temp);
    InitTempChannel(&stream->temp, true, stream->resources);
    if (spooler == nullptr)
        return -1;
    stream->channel = spooler;
    stream->ownConnection = false;
    stream->mode = kStreamSpooler;
    stream->fill = 0;
    return 0;
}

bool IsStreamOpen(const OutputStream* stream)
{
    return stream != nullptr && stream->channel != nullptr;
}

int FlushStreamBuffer(OutputStream* stream)
{
    if (stream == nullptr)
        return -1;
    if (stream->fill == 0)
        return 0;
    const int result = WriteToChannel(stream, stream->buffer, stream->fill);
    stream->fill = 0;
    return result;
}

int64_t WriteStream(OutputStream* stream, const void* bytes, uint32_t length)
{
    if (stream == nullptr || stream->mode == kStreamClosed)
        return -1;
    if (length == 0)
        return 0;
    if (bytes == nullptr)
        return -1;
    // Compared as room left: fill + length wraps in 32 bits for lengths near 4 GiB.
    if (length <= kStreamBufferBytes - stream->fill) {
        std::memcpy(stream->buffer + stream->fill, bytes, length);
        stream->fill += length;
        return length;
    }
    int result = FlushStreamBuffer(stream);
    result |= WriteToChannel(stream, static_cast<const uint8_t*>(bytes), length);
    return result == 0 ? int64_t{length} : -1;
}

int SetStreamMode(OutputStream* stream, uint16_t mode)
{
    if (stream == nullptr || !IsKnownMode(stream->mode) || !IsKnownMode(mode))
        return -1;
    const int flushed = FlushStreamBuffer(stream);
    stream->mode = mode;
    return flushed;
}

int OpenStreamFileMode(OutputStream* stream, const wchar_t* name, uint32_t* size, uint32_t flags, uint16_t mode)
{
    if (stream == nullptr || stream->file != INVALID_HANDLE_VALUE || !IsKnownMode(mode))
        return -1;
    HANDLE file = OpenChannelFile(name, flags);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    LARGE_INTEGER zero = {};
    SetFilePointerEx(file, zero, nullptr, FILE_END);
    if (size != nullptr)
        *size = FileSizeOf(file);
    // The buffered bytes still belong to the old channel.
    const int flushed = FlushStreamBuffer(stream);
    stream->file = file;
    stream->mode = mode;
    return flushed;
}

int OpenStreamFile(OutputStream* stream, const wchar_t* name, uint32_t* size, uint32_t flags)
{
    return OpenStreamFileMode(stream, name, size, flags, kStreamFile);
}

int CloseStreamFileMode(OutputStream* stream, uint16_t mode)
{
    if (stream == nullptr || !IsKnownMode(mode))
        return -1;
    const int flushed = FlushStreamBuffer(stream);
    stream->mode = mode;
    CloseChannelFile(stream);
    return flushed;
}

int CloseStreamFile(OutputStream* stream, uint32_t* size)
{
    if (stream == nullptr)
        return -1;
    const int flushed = FlushStreamBuffer(stream);
    if (size != nullptr)
        *size = stream->file != INVALID_HANDLE_VALUE ? FileSizeOf(stream->file) : 0;
    stream->mode = kStreamSpooler;
    CloseChannelFile(stream);
    return flushed;
}

int AddStreamFileCopy(OutputStream* stream, const wchar_t* name)
{
    if (stream == nullptr || stream->mode != kStreamSpooler || stream->file != INVALID_HANDLE_VALUE)
        return -1;
    HANDLE file = OpenChannelFile(name, kStreamFileCreate);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    const int flushed = FlushStreamBuffer(stream);
    stream->file = file;
    stream->mode = kStreamSpoolerAndFile;
    return flushed;
}

int EndStreamFileCopy(OutputStream* stream)
{
    return CloseStreamFileMode(stream, kStreamSpooler);
}

int CloseOutputStream(OutputStream* stream)
{
    if (stream == nullptr)
        return -1;
    int result = 0;
    if (stream->file != INVALID_HANDLE_VALUE)
        result |= CloseStreamFileMode(stream, kStreamSpooler);
    if (stream->ownConnection)
        return (ClosePrinterStream(stream) && result == 0) ? 0 : -1;
    result |= FlushStreamBuffer(stream);
    stream->mode = kStreamClosed;
    stream->channel = nullptr;
    return result;
}
