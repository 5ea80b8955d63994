#include "render/output/temp_channel.h"

#include "render/output/stream_messages.h"
#include "render/output/temp_file_registry.h"

#include <cwchar>

namespace {

constexpr wchar_t kTempPrefix[] = L"ZQP";
constexpr wchar_t kLastResortName[] = L"c:\\zqrqd.tmp";

bool IsOpen(const TempChannel* channel)
{
    return channel != nullptr && channel->file != INVALID_HANDLE_VALUE;
}

bool IsReady(const TempChannel* channel)
{
    return IsOpen(channel) && channel->usable;
}

bool MoveTo(HANDLE file, uint64_t offset)
{
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, to, nullptr, FILE_BEGIN) != FALSE;
}

// GetTempFileNameW in one directory; false when the directory is unknown or
// the name cannot be made there.
bool TempNameIn(const wchar_t* directory, wchar_t* out)
{
    if (directory == nullptr || directory[0] == L'\0')
        return false;
    return GetTempFileNameW(directory, kTempPrefix, 0, out) != 0;
}

}  // namespace

void InitTempChannel(TempChannel* channel, bool cleanUp, HMODULE resources)
{
    if (channel == nullptr)
        return;
    if (cleanUp)
        SweepStaleTempFiles();
    channel->resources = resources;
    channel->file = INVALID_HANDLE_VALUE;
    channel->name[0] = L'\0';
    channel->highWater = 0;
    channel->offset = 0;
    channel->usable = false;
}

void MakeTempChannelFileName(wchar_t* out)
{
    wchar_t directory[MAX_PATH + 1];
    const DWORD tempChars = GetTempPathW(MAX_PATH + 1, directory);
    if (tempChars > 0 && tempChars <= MAX_PATH && TempNameIn(directory, out))
        return;
    const UINT windowsChars = GetWindowsDirectoryW(directory, MAX_PATH + 1);
    if (windowsChars > 0 && windowsChars <= MAX_PATH && TempNameIn(directory, out))
        return;
    const UINT systemChars = GetSystemDirectoryW(directory, MAX_PATH + 1);
    if (systemChars > 0 && systemChars <= MAX_PATH && TempNameIn(directory, out))
        return;
    if (TempNameIn(L".", out))
        return;
    wcscpy(out, kLastResortName);
}

int CreateTempChannelFile(TempChannel* channel)
{
    if (channel == nullptr)
        return -1;
    if (IsOpen(channel))
        CloseTempChannel(channel);
    wchar_t name[kTempFileNameChars];
    MakeTempChannelFileName(name);
    HANDLE file = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    InitTempChannel(channel, false, channel->resources);
    channel->file = file;
    wcscpy(channel->name, name);
    RegisterTempFile(channel->name);  // a failed registry write does not stop the channel
    channel->usable = true;
    return 0;
}

int CloseTempChannel(TempChannel* channel)
{
    if (channel == nullptr)
        return -1;
    int result = 0;
    if (IsOpen(channel)) {
        if (!CloseHandle(channel->file))
            result = -1;
        if (DeleteFileW(channel->name))
            UnregisterTempFile(channel->name);
        else
            result = -1;
    }
    InitTempChannel(channel, false, channel->resources);
    return result;
}

int GetTempChannelState(const TempChannel* channel)
{
    return IsReady(channel) ? 1 : -1;
}

int SyncTempChannel(TempChannel* channel)
{
    return IsReady(channel) ? 0 : -1;
}

int WriteTempChannel(TempChannel* channel, const void* bytes, uint32_t length)
{
    if (!IsReady(channel) || (bytes == nullptr && length != 0))
        return -1;
    const auto* p = static_cast<const uint8_t*>(bytes);
    uint32_t done = 0;
    while (done < length) {
        DWORD written = 0;
        const BOOL ok = MoveTo(channel->file, channel->offset) &&
                        WriteFile(channel->file, p + done, length - done, &written, nullptr);
        if (written > length - done)
            written = length - done;
        done += written;
        channel->offset += written;
        if (channel->offset > channel->highWater)
            channel->highWater = channel->offset;
        if (ok && done == length)
            break;
        if (!AskTempWriteRetry(channel->resources, channel->name)) {
            channel->usable = false;
            return -1;
        }
    }
    return static_cast<int>(done);
}

int ReadTempChannel(TempChannel* channel, void* buffer, uint32_t length)
{
    if (SyncTempChannel(channel) != 0 || (buffer == nullptr && length != 0))
        return -1;
    if (channel->offset + length > channel->highWater)
        return -1;
    DWORD read = 0;
    if (!MoveTo(channel->file, channel->offset) || !ReadFile(channel->file, buffer, length, &read, nullptr))
        return -1;
    channel->offset += read;
    return read == length ? static_cast<int>(read) : -1;
}

int SeekTempChannel(TempChannel* channel, uint64_t offset)
{
    if (SyncTempChannel(channel) != 0 || offset > channel->highWater)
        return -1;
    if (!MoveTo(channel->file, offset))
        return -1;
    channel->offset = offset;
    return 0;
}

int64_t SeekTempChannelEnd(TempChannel* channel)
{
    if (SyncTempChannel(channel) != 0)
        return -1;
    LARGE_INTEGER end;
    if (!GetFileSizeEx(channel->file, &end) || end.QuadPart < 0)
        return -1;
    const auto size = static_cast<uint64_t>(end.QuadPart);
    if (size > channel->highWater)
        channel->highWater = size;
    if (!MoveTo(channel->file, size))
        return -1;
    channel->offset = size;
    return static_cast<int64_t>(size);
}

int64_t GetTempChannelSize(TempChannel* channel)
{
    if (SyncTempChannel(channel) != 0)
        return -1;
    return static_cast<int64_t>(channel->highWater);
}
