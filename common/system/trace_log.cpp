#include "common/system/trace_log.h"

#include "common/system/number_text.h"
#include "common/system/code_pages.h"
#include "common/system/config_readers.h"
#include "common/system/global_block.h"
#include "common/system/library_profile.h"
#include "common/system/module_files.h"

#include <cstdarg>
#include <cstddef>
#include <cstring>
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
    if (length < 0 || (length == 0 && text[0] != L'\0'))
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

// The public fields in record order, as the dump prints them.
enum PublicFieldKind : uint8_t { kFieldName, kFieldShort, kFieldWord, kFieldDword, kFieldHex };

struct PublicField {
    const wchar_t* label;
    uint16_t offset;
    PublicFieldKind kind;
};

constexpr uint32_t PublicFieldBytes(PublicFieldKind kind)
{
    return kind == kFieldName ? CCHDEVICENAME * sizeof(wchar_t) : kind == kFieldShort || kind == kFieldWord ? 2 : 4;
}

static_assert(CCHDEVICENAME == CCHFORMNAME);

#define MORVA_PUBLIC_FIELD(label, field, kind) {label, offsetof(DEVMODEW, field), kind}
constexpr PublicField kPublicFields[] = {
    MORVA_PUBLIC_FIELD(L"dmDeviceName       ", dmDeviceName, kFieldName),
    MORVA_PUBLIC_FIELD(L"dmSpecVersion      ", dmSpecVersion, kFieldWord),
    MORVA_PUBLIC_FIELD(L"dmDriverVersion    ", dmDriverVersion, kFieldWord),
    MORVA_PUBLIC_FIELD(L"dmSize             ", dmSize, kFieldWord),
    MORVA_PUBLIC_FIELD(L"dmDriverExtra      ", dmDriverExtra, kFieldWord),
    MORVA_PUBLIC_FIELD(L"dmFields           ", dmFields, kFieldHex),
    MORVA_PUBLIC_FIELD(L"dmOrientation      ", dmOrientation, kFieldShort),
    MORVA_PUBLIC_FIELD(L"dmPaperSize        ", dmPaperSize, kFieldShort),
    MORVA_PUBLIC_FIELD(L"dmPaperLength      ", dmPaperLength, kFieldShort),
    MORVA_PUBLIC_FIELD(L"dmPaperWidth       ", dmPaperWidth, kFieldShort),
    MORVA_PUBLIC_FIELD(L"dmScale            ", dmScale, kFieldShort),
    MORVA_PUBLIC_FIELD(L"dmCopies           ", dmCopies, kFieldShort),
    MORVA_PUBLIC_FIELD(L"dmDefaultSource    ", dmDefaultSource, kFieldShort),
    MORVA_PUBLIC_FIELD(L"dmPrintQuality     ", dmPrintQuality, kFieldShort),
    MORVA_PUBLIC_FIELD(L"dmColor            ", dmColor, kFieldShort),
    MORVA_PUBLIC_FIELD(L"dmDuplex           ", dmDuplex, kFieldShort),
    MORVA_PUBLIC_FIELD(L"dmYResolution      ", dmYResolution, kFieldShort),
    MORVA_PUBLIC_FIELD(L"dmTTOption         ", dmTTOption, kFieldShort),
    MORVA_PUBLIC_FIELD(L"dmCollate          ", dmCollate, kFieldShort),
    MORVA_PUBLIC_FIELD(L"dmFormName         ", dmFormName, kFieldName),
    MORVA_PUBLIC_FIELD(L"dmLogPixels        ", dmLogPixels, kFieldWord),
    MORVA_PUBLIC_FIELD(L"dmBitsPerPel       ", dmBitsPerPel, kFieldDword),
    MORVA_PUBLIC_FIELD(L"dmPelsWidth        ", dmPelsWidth, kFieldDword),
    MORVA_PUBLIC_FIELD(L"dmPelsHeight       ", dmPelsHeight, kFieldDword),
    MORVA_PUBLIC_FIELD(L"dmDisplayFlags     ", dmDisplayFlags, kFieldDword),
    MORVA_PUBLIC_FIELD(L"dmDisplayFrequency ", dmDisplayFrequency, kFieldDword),
    MORVA_PUBLIC_FIELD(L"dmICMMethod        ", dmICMMethod, kFieldDword),
    MORVA_PUBLIC_FIELD(L"dmICMIntent        ", dmICMIntent, kFieldDword),
    MORVA_PUBLIC_FIELD(L"dmMediaType        ", dmMediaType, kFieldDword),
    MORVA_PUBLIC_FIELD(L"dmDitherType       ", dmDitherType, kFieldDword),
    MORVA_PUBLIC_FIELD(L"dmReserved1        ", dmReserved1, kFieldDword),
    MORVA_PUBLIC_FIELD(L"dmReserved2        ", dmReserved2, kFieldDword),
    MORVA_PUBLIC_FIELD(L"dmPanningWidth     ", dmPanningWidth, kFieldDword),
    MORVA_PUBLIC_FIELD(L"dmPanningHeight    ", dmPanningHeight, kFieldDword),
};
#undef MORVA_PUBLIC_FIELD
static_assert(offsetof(DEVMODEW, dmPanningHeight) + 4 == 220);

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
    // Applications' records may be shorter than this one: nothing past the
    // record's own dmSize is read.
    const auto* bytes = reinterpret_cast<const uint8_t*>(record);
    const uint32_t size = record->dmSize;
    for (const PublicField& field : kPublicFields) {
        if (field.offset + PublicFieldBytes(field.kind) > size)
            break;
        const uint8_t* at = bytes + field.offset;
        if (field.kind == kFieldName) {
            // The name fields need not be terminated inside the record.
            wchar_t name[CCHDEVICENAME + 1] = {};
            std::memcpy(name, at, CCHDEVICENAME * sizeof(wchar_t));
            dump.Line(L"%s=%s", field.label, name);
            continue;
        }
        int16_t shortValue = 0;
        uint16_t wordValue = 0;
        uint32_t dwordValue = 0;
        switch (field.kind) {
        case kFieldShort:
            std::memcpy(&shortValue, at, sizeof shortValue);
            dump.Line(L"%s=%d", field.label, shortValue);
            break;
        case kFieldWord:
            std::memcpy(&wordValue, at, sizeof wordValue);
            dump.Line(L"%s=%d", field.label, wordValue);
            break;
        case kFieldHex:
            std::memcpy(&dwordValue, at, sizeof dwordValue);
            dump.Line(L"%s=%X", field.label, dwordValue);
            break;
        default:
            std::memcpy(&dwordValue, at, sizeof dwordValue);
            dump.Line(L"%s=%d", field.label, dwordValue);
            break;
        }
    }
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
