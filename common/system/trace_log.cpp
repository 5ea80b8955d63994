#include "common/system/trace_log.h"

#include "common/settings/number_text.h"
#include "common/system/code_pages.h"
#include "common/system/config_readers.h"
#include "common/system/global_block.h"
#include "common/system/library_profile.h"
#include "common/system/module_files.h"

#include <cstdarg>
#include <cwchar>

namespace {

// wvsprintfW writes at most 1024 characters and the terminator.
constexpr int kFormatBufferChars = 1025;
constexpr int kMaxLogValueChars = 10;
constexpr wchar_t kEntryPrefix[] = L"IN <<";
constexpr wchar_t kExitPrefix[] = L"OUT>>";
constexpr int kPrefixChars = 5;

// Process-wide trace state. Threads of the spooler trace at once, so the
// settings, the file handle and its count are only touched under g_lock.
SRWLOCK g_lock = SRWLOCK_INIT;
bool g_loaded;
uint32_t g_bits;
uint16_t g_extraIds[kMaxTraceExtraIds];
int g_extraCount;
wchar_t g_filePath[MAX_PATH];
HANDLE g_file = INVALID_HANDLE_VALUE;
int g_openCount;

class ExclusiveLock {
public:
    ExclusiveLock() { AcquireSRWLockExclusive(&g_lock); }
    ~ExclusiveLock() { ReleaseSRWLockExclusive(&g_lock); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;
};

class KeepLastError {
public:
    KeepLastError() : error_(GetLastError()) {}
    ~KeepLastError() { SetLastError(error_); }

private:
    DWORD error_;
};

// Caller holds g_lock.
void LoadSettings()
{
    g_bits = 0;
    g_extraCount = 0;
    g_filePath[0] = L'\0';  // built again for the current library profile
    wchar_t path[MAX_PATH + 16];
    if (GetDriverDirectory(path, kDriverDirectoryChars * sizeof(wchar_t))) {
        wcscat(path, L"morvx.cfg");
        wchar_t value[MAX_PATH + 1] = {};
        GetPrivateProfileStringW(L"LOG", L"Log", L"0", value, MAX_PATH + 1, path);
        uint32_t bits = 0;
        if (wcslen(value) <= kMaxLogValueChars && ParseNumberText(value, &bits) == 1) {
            g_bits = bits;
            GlobalBlockPtr<wchar_t> section(ReadConfigSection(path, L"LOG"));
            int line = 0;
            for (int occurrence = 1; section && g_extraCount < kMaxTraceExtraIds; occurrence = line + 1) {
                wchar_t* text = nullptr;
                line = FindSectionKey(occurrence, 0, section.get(), L"LOGOUT.DDMID=", &text);
                GlobalBlockPtr<wchar_t> owned(text);
                if (line == 0)
                    break;
                uint32_t id = 0;
                if (text == nullptr || ParseNumberText(text, &id) != 1 || id > 0xFFFF)
                    continue;
                bool listed = false;
                for (int i = 0; i < g_extraCount; ++i)
                    listed = listed || g_extraIds[i] == id;
                if (!listed)
                    g_extraIds[g_extraCount++] = static_cast<uint16_t>(id);
            }
        }
    }
    g_loaded = true;
}

// Caller holds g_lock.
uint32_t Bits()
{
    if (!g_loaded)
        LoadSettings();
    return g_bits;
}

bool HasBits(uint32_t bits, uint32_t wanted)
{
    return (bits & wanted) == wanted;
}

// The folders DEBUG_LOG\WIN2000 on the Windows drive, made when missing.
// Caller holds g_lock.
const wchar_t* TraceFilePath()
{
    if (g_filePath[0] != L'\0')
        return g_filePath;
    wchar_t windows[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    wchar_t* slash = wcschr(windows, L'\\');
    if (slash != nullptr)
        *slash = L'\0';
    const wchar_t* name = GetLibraryProfile().traceFileName;
    if (wcslen(windows) + wcslen(name) + 20 >= MAX_PATH)
        return nullptr;
    wcscpy(g_filePath, windows);
    wcscat(g_filePath, L"\\DEBUG_LOG");
    CreateDirectoryW(g_filePath, nullptr);
    wcscat(g_filePath, L"\\WIN2000");
    CreateDirectoryW(g_filePath, nullptr);
    wcscat(g_filePath, name);
    return g_filePath;
}

// Caller holds g_lock.
bool OpenTraceFile()
{
    if (g_openCount > 0) {
        ++g_openCount;
        return true;
    }
    const wchar_t* path = TraceFilePath();
    if (path == nullptr)
        return false;
    g_file = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (g_file == INVALID_HANDLE_VALUE)
        return false;
    g_openCount = 1;
    return true;
}

// Caller holds g_lock.
void CloseTraceFile()
{
    if (g_openCount == 0 || --g_openCount > 0)
        return;
    CloseHandle(g_file);
    g_file = INVALID_HANDLE_VALUE;
}

// One line to the debugger or the end of the file. Caller holds g_lock.
bool WriteLine(const wchar_t* text)
{
    if (Bits() & kTraceToDebugger) {
        wchar_t line[kFormatBufferChars + 2];
        wcsncpy(line, text, kFormatBufferChars);
        line[kFormatBufferChars] = L'\0';
        wcscat(line, L"\n");
        OutputDebugStringW(line);
        return true;
    }
    // Several processes append to the same file, so every write goes to its end.
    char bytes[4 * kTraceLineLimit + 2];
    const int length = WideToMultiByte(CP_ACP, text, bytes, sizeof(bytes) - 1);
    if (length == 0 && text[0] != L'\0')
        return false;
    bytes[length] = '\n';
    if (!OpenTraceFile())
        return false;
    SetFilePointer(g_file, 0, nullptr, FILE_END);
    DWORD written = 0;
    const bool ok = WriteFile(g_file, bytes, static_cast<DWORD>(length + 1), &written, nullptr)
        && written == static_cast<DWORD>(length + 1);
    CloseTraceFile();
    return ok;
}

// Formats into a buffer that holds everything wvsprintfW can write; the length
// in characters.
int FormatText(wchar_t* buffer, const wchar_t* format, va_list args)
{
    if (format == nullptr) {
        buffer[0] = L'\0';
        return 0;
    }
    const int length = wvsprintfW(buffer, format, args);
    buffer[kFormatBufferChars - 1] = L'\0';
    return length < 0 ? 0 : length;
}

struct FlagName {
    const wchar_t* name;
    uint32_t flag;
};

// The names are the trace file's own and stay as support staff know them.
constexpr FlagName kFieldFlagNames[] = {
    {L"dmOrientation", 0x1},       {L"dmPaperSize", 0x2},         {L"dmPaperLength", 0x4},
    {L"dmPaperWidth", 0x8},        {L"dmScale", 0x10},            {L"dmPosition", 0x20},
    {L"dmNup", 0x40},              {L"dmCopies", 0x100},          {L"dmDefaultSource", 0x200},
    {L"dmPrintQuality", 0x400},    {L"dmColor", 0x800},           {L"dmDuplex", 0x1000},
    {L"dmYResolution", 0x2000},    {L"dmTTOption", 0x4000},       {L"dmCollate", 0x8000},
    {L"dmFormName", 0x10000},      {L"dmLogPixels", 0x20000},     {L"dmBitsPerPel", 0x40000},
    {L"dmPelsWidth", 0x80000},     {L"dmPelsheight", 0x100000},   {L"dmDisplayFlags", 0x200000},
    {L"dmDisplayFrequen", 0x400000}, {L"dmICMMetHod", 0x800000},  {L"dmICMintent", 0x1000000},
    {L"dmMediaType", 0x2000000},   {L"dmDitherType", 0x4000000},  {L"dmPanningWidth", 0x8000000},
    {L"dmPanningHeight", 0x10000000},
};

}  // namespace

int ReloadTraceSettings()
{
    KeepLastError keep;
    ExclusiveLock lock;
    LoadSettings();
    return 1;
}

uint32_t GetTraceBits()
{
    KeepLastError keep;
    ExclusiveLock lock;
    return Bits();
}

int IsTraceOn()
{
    return (GetTraceBits() & kTraceOn) ? 1 : 0;
}

int GetTraceExtraIds(uint16_t* ids, int capacity)
{
    KeepLastError keep;
    ExclusiveLock lock;
    Bits();
    int count = 0;
    for (; ids != nullptr && count < g_extraCount && count < capacity; ++count)
        ids[count] = g_extraIds[count];
    return count;
}

int TraceWrite(const wchar_t* format, ...)
{
    KeepLastError keep;
    wchar_t text[kFormatBufferChars];
    va_list args;
    va_start(args, format);
    const int length = FormatText(text, format, args);
    va_end(args);
    if (length >= kTraceLineLimit)
        return 0;
    ExclusiveLock lock;
    if (!(Bits() & kTraceOn))
        return 1;
    return WriteLine(text) ? 1 : 0;
}

int TraceEnter(const wchar_t* functionName)
{
    KeepLastError keep;
    if (functionName == nullptr || kPrefixChars + wcslen(functionName) >= kTraceLineLimit)
        return 0;
    ExclusiveLock lock;
    if (!HasBits(Bits(), kTraceOn | kTraceEntryExit))
        return 1;
    wchar_t text[kTraceLineLimit + 1];
    wcscpy(text, kEntryPrefix);
    wcscat(text, functionName);
    return WriteLine(text) ? 1 : 0;
}

int TraceLeave(const wchar_t* format, ...)
{
    KeepLastError keep;
    wchar_t text[kPrefixChars + kFormatBufferChars];
    wcscpy(text, kExitPrefix);
    va_list args;
    va_start(args, format);
    const int length = kPrefixChars + FormatText(text + kPrefixChars, format, args);
    va_end(args);
    if (length >= kTraceLineLimit)
        return 0;
    ExclusiveLock lock;
    if (!HasBits(Bits(), kTraceOn | kTraceEntryExit))
        return 1;
    // The exit line and the empty line after it go out together.
    const bool toFile = !(Bits() & kTraceToDebugger);
    if (toFile && !OpenTraceFile())
        return 0;
    const bool ok = WriteLine(text) && WriteLine(L"");
    if (toFile)
        CloseTraceFile();
    return ok ? 1 : 0;
}

TraceDumpScope::TraceDumpScope() : savedError_(GetLastError())
{
    AcquireSRWLockExclusive(&g_lock);
    if (!(Bits() & kTraceToDebugger)) {
        opened_ = OpenTraceFile();
        ok_ = opened_ ? 1 : 0;
    }
}

TraceDumpScope::~TraceDumpScope()
{
    if (opened_)
        CloseTraceFile();
    ReleaseSRWLockExclusive(&g_lock);
    SetLastError(savedError_);
}

int TraceDumpScope::Line(const wchar_t* format, ...)
{
    if (!ok_)
        return 0;
    wchar_t text[kFormatBufferChars];
    va_list args;
    va_start(args, format);
    const int length = FormatText(text, format, args);
    va_end(args);
    if (length >= kTraceLineLimit)
        return 0;  // this line only: the dump goes on
    if (!WriteLine(text)) {
        ok_ = 0;
        return 0;
    }
    return 1;
}

int TraceDumpPublicPart(const wchar_t* title, const DEVMODEW* record)
{
    if (!HasBits(GetTraceBits(), kTraceOn | kTraceRecordDumps))
        return 1;
    TraceDumpScope dump;
    dump.Line(L"%s", title != nullptr ? title : L"\n<PublicDevmode>");
    if (record == nullptr) {
        dump.Line(L"lpdevmode = NULL");
        return dump.ok();
    }
    // The name fields need not be terminated inside the record.
    wchar_t deviceName[CCHDEVICENAME + 1] = {};
    wchar_t formName[CCHFORMNAME + 1] = {};
    wmemcpy(deviceName, record->dmDeviceName, CCHDEVICENAME);
    wmemcpy(formName, record->dmFormName, CCHFORMNAME);
    dump.Line(L"dmDeviceName       =%s", deviceName);
    dump.Line(L"dmSpecVersion      =%d", record->dmSpecVersion);
    dump.Line(L"dmDriverVersion    =%d", record->dmDriverVersion);
    dump.Line(L"dmSize             =%d", record->dmSize);
    dump.Line(L"dmDriverExtra      =%d", record->dmDriverExtra);
    dump.Line(L"dmFields           =%X", record->dmFields);
    dump.Line(L"dmOrientation      =%d", record->dmOrientation);
    dump.Line(L"dmPaperSize        =%d", record->dmPaperSize);
    dump.Line(L"dmPaperLength      =%d", record->dmPaperLength);
    dump.Line(L"dmPaperWidth       =%d", record->dmPaperWidth);
    dump.Line(L"dmScale            =%d", record->dmScale);
    dump.Line(L"dmCopies           =%d", record->dmCopies);
    dump.Line(L"dmDefaultSource    =%d", record->dmDefaultSource);
    dump.Line(L"dmPrintQuality     =%d", record->dmPrintQuality);
    dump.Line(L"dmColor            =%d", record->dmColor);
    dump.Line(L"dmDuplex           =%d", record->dmDuplex);
    dump.Line(L"dmYResolution      =%d", record->dmYResolution);
    dump.Line(L"dmTTOption         =%d", record->dmTTOption);
    dump.Line(L"dmCollate          =%d", record->dmCollate);
    dump.Line(L"dmFormName         =%s", formName);
    dump.Line(L"dmLogPixels        =%d", record->dmLogPixels);
    dump.Line(L"dmBitsPerPel       =%d", record->dmBitsPerPel);
    dump.Line(L"dmPelsWidth        =%d", record->dmPelsWidth);
    dump.Line(L"dmPelsHeight       =%d", record->dmPelsHeight);
    dump.Line(L"dmDisplayFlags     =%d", record->dmDisplayFlags);
    dump.Line(L"dmDisplayFrequency =%d", record->dmDisplayFrequency);
    dump.Line(L"dmICMMethod        =%d", record->dmICMMethod);
    dump.Line(L"dmICMIntent        =%d", record->dmICMIntent);
    dump.Line(L"dmMediaType        =%d", record->dmMediaType);
    dump.Line(L"dmDitherType       =%d", record->dmDitherType);
    dump.Line(L"dmReserved1        =%d", record->dmReserved1);
    dump.Line(L"dmReserved2        =%d", record->dmReserved2);
    dump.Line(L"dmPanningWidth     =%d", record->dmPanningWidth);
    dump.Line(L"dmPanningHeight    =%d", record->dmPanningHeight);
    return dump.ok();
}

int TraceDumpFieldFlags(const wchar_t* title, const DEVMODEW* record)
{
    if (!HasBits(GetTraceBits(), kTraceOn | kTraceFieldFlagDump))
        return 1;
    TraceDumpScope dump;
    dump.Line(L"%s", title != nullptr ? title : L"\n<dmFields>");
    if (record == nullptr) {
        dump.Line(L"lpDevmode = NULL");
        return dump.ok();
    }
    for (const FlagName& flag : kFieldFlagNames)
        dump.Line(L"%s = %s", flag.name, (record->dmFields & flag.flag) ? L"ON" : L"OFF");
    return dump.ok();
}
