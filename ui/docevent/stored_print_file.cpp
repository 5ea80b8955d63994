#include "ui/docevent/stored_print_file.h"

#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/job/ansi_text.h"
#include "common/job/doc_monitor_job.h"
#include "common/job/job_header.h"
#include "common/job/job_ticket.h"
#include "common/model/model_value_ops.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/global_block.h"
#include "common/system/user_and_process.h"
#include "ui/docevent/user_identification.h"

#include <winspool.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <memory>
#include <vector>

namespace {

constexpr char kShortHeaderEnd[] = "@PL>";
constexpr char kPjlHeaderEnd[] = "@PJL ENTER LANGUAGE=";
constexpr char kTicketEnd[] = "@PJL COMMENT ZQJOBINFO END";
constexpr char kUel[] = "\x1B%-12345X";
constexpr size_t kUelBytes = sizeof(kUel) - 1;
constexpr size_t kTicketEndBytes = sizeof(kTicketEnd) - 1;

constexpr uint32_t kCopyPieceBytes = 512;
constexpr uint32_t kTicketBufferBytes = 1025;
constexpr uint32_t kMonitorIdBytes = 50;
constexpr uint32_t kTicketJobType = 3;
constexpr int kResendPdlVersion[] = {1, 8, 2};

constexpr uint32_t kCapabilityJobTicket = 0x40000;

bool ReadAt(HANDLE file, uint64_t at, void* buffer, uint32_t bytes)
{
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(at);
    DWORD read = 0;
    return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) && ReadFile(file, buffer, bytes, &read, nullptr) &&
           read == bytes;
}

// Reads the file forward a byte at a time through a buffer.
class ForwardReader {
public:
    explicit ForwardReader(HANDLE file) : file_(file) {}
    // -1 at the end of the file or on a read failure.
    int Next()
    {
        if (at_ == filled_) {
            DWORD read = 0;
            if (!ReadFile(file_, buffer_, sizeof(buffer_), &read, nullptr) || read == 0)
                return -1;
            filled_ = read;
            at_ = 0;
        }
        ++offset_;
        return buffer_[at_++];
    }
    uint64_t offset() const { return offset_; }

private:
    HANDLE file_;
    uint8_t buffer_[4096];
    DWORD filled_ = 0;
    DWORD at_ = 0;
    uint64_t offset_ = 0;
};

// The header's lines up to the one that ends it: 1 with the kind and the body
// start, 0 refused.
int FindHeaderEnd(HANDLE file, PrintFileSections* sections)
{
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
        return 0;
    ForwardReader reader(file);
    std::vector<uint8_t> line;
    line.reserve(kPrintFileLineBytes);
    for (;;) {
        line.clear();
        int c = reader.Next();
        while (c >= 0 && c != '\n' && line.size() < kPrintFileLineBytes) {
            line.push_back(static_cast<uint8_t>(c));
            c = reader.Next();
        }
        if (c < 0)
            return 0;
        if (c != '\n') {
            // A full line must end right here, with LF or CR LF.
            if (c == '\r')
                c = reader.Next();
            if (c != '\n')
                return 0;
        }
        auto startsWith = [&line](const char* text) {
            const size_t n = std::strlen(text);
            return line.size() >= n && std::memcmp(line.data(), text, n) == 0;
        };
        if (startsWith(kShortHeaderEnd) || startsWith(kPjlHeaderEnd)) {
            sections->kind = startsWith(kShortHeaderEnd) ? kPrintFileShortHeader : kPrintFilePjlHeader;
            sections->bodyStart = reader.offset();
            return 1;
        }
    }
}

// Scans back from the end of the file to the last UEL after the body start.
// A job ticket may run over many pages' lines, so the scan is not limited to
// a tail of fixed size; everything after the last UEL is text.
int FindTrailer(HANDLE file, PrintFileSections* sections)
{
    constexpr uint32_t kChunk = 64 * 1024;
    constexpr uint32_t kLook = 32;  // bytes beyond a chunk that a match may need
    std::vector<uint8_t> window(kChunk + kLook, 0);
    uint64_t end = sections->size;
    uint32_t carried = 0;  // bytes of the previous chunk kept after this one
    while (end > sections->bodyStart) {
        const uint32_t bytes = static_cast<uint32_t>(std::min<uint64_t>(kChunk, end - sections->bodyStart));
        const uint64_t begin = end - bytes;
        std::memmove(window.data() + bytes, window.data(), carried);
        if (!ReadAt(file, begin, window.data(), bytes))
            return 0;
        const uint32_t have = bytes + carried;
        for (uint32_t i = bytes; i-- > 0;) {
            const uint8_t c = window[i];
            if (c == 0)
                return 0;
            if (c == '\n' && have - i - 1 >= kTicketEndBytes &&
                std::memcmp(window.data() + i + 1, kTicketEnd, kTicketEndBytes) == 0)
                sections->kind = kPrintFileWithTicket;
            if (c == 0x1B && have - i - 1 >= kUelBytes - 1 &&
                std::memcmp(window.data() + i, kUel, kUelBytes) == 0) {
                sections->trailerStart = begin + i;
                return 1;
            }
        }
        carried = std::min<uint32_t>(kLook, bytes + carried);
        end = begin;
    }
    return 0;
}

bool Spool(HANDLE spooler, const void* data, uint32_t bytes)
{
    DWORD written = 0;
    return bytes == 0 ||
           (WritePrinter(spooler, const_cast<void*>(data), bytes, &written) && written == bytes);
}

bool SpoolPiece(HANDLE spooler, int size, int (*write)(const SettingsContext*, uint8_t*, uint32_t),
                const SettingsContext* context)
{
    if (size <= 0)
        return false;
    std::vector<uint8_t> piece(static_cast<size_t>(size));
    const int written = write(context, piece.data(), static_cast<uint32_t>(size));
    return written >= 0 && Spool(spooler, piece.data(), static_cast<uint32_t>(written));
}

int WriteFreshHeader(SettingsContext* context, void* settings, void* printerSettings, HANDLE spooler,
                     const char* monitorId)
{
    GlobalBlockPtr<uint8_t> copy = AllocGlobalBlock<uint8_t>(kSettingsRecordSize);
    if (!copy)
        return 0;
    std::memcpy(copy.get(), settings, kSettingsRecordSize);
    // The header of a resent file says so (the attribute filter keeps the rows
    // the file's own header must not repeat), with no booklet and no turn.
    if (!WriteSettingNumber(kFidStoredJobText, copy.get(), printerSettings, 1) ||
        !WriteSettingNumber(kFidPosterBooklet, copy.get(), printerSettings, 0) ||
        !WriteSettingNumber(kFidPagesPerSheet, copy.get(), printerSettings, 1))
        return 0;
    const int bound = GetJobHeaderSize(spooler, context, copy.get(), printerSettings, nullptr, 0);
    if (bound <= 0)
        return 0;
    std::vector<uint8_t> header(static_cast<size_t>(bound));
    JobHeaderContext job{};
    job.settingsRecord = copy.get();
    job.printerSettingsRecord = printerSettings;
    job.printer = spooler;
    job.hostNameLines = 1;
    if (monitorId) {
        job.docMonitorIdPresent = 1;
        strncpy(job.docMonitorId, monitorId, sizeof(job.docMonitorId) - 1);
    }
    const int written = WriteJobHeader(context, &job, nullptr, 0, header.data(), static_cast<uint32_t>(bound));
    return written >= 0 && Spool(spooler, header.data(), static_cast<uint32_t>(written)) ? 1 : 0;
}

struct TicketDeleter {
    void operator()(JobTicket* ticket) const { FreeJobTicket(ticket); }
};

int WriteFreshEnd(SettingsContext* context, HANDLE spooler, int endMode)
{
    if (endMode != kEndWithTicket)
        return SpoolPiece(spooler, GetJobTrailerSize(context), &WriteJobTrailer, context) ? 1 : 0;
    std::vector<uint8_t> uel(static_cast<size_t>(std::max(GetUelSize(), 0)));
    const int uelBytes = uel.empty() ? -1 : WriteUelForJob(uel.data(), static_cast<uint32_t>(uel.size()));
    if (uelBytes < 0 || !Spool(spooler, uel.data(), static_cast<uint32_t>(uelBytes)))
        return 0;
    std::unique_ptr<JobTicket, TicketDeleter> ticket(CreateJobTicket(1, 1));
    if (!ticket)
        return 0;
    char version[32];
    std::snprintf(version, sizeof(version), "%d.%d.%d", kResendPdlVersion[0], kResendPdlVersion[1],
                  kResendPdlVersion[2]);
    SetJobTicketPdl(ticket.get(), kTicketPdlMorva, version);
    SetJobTicketJobType(ticket.get(), kTicketJobType);
    SetJobTicketLineEnd(ticket.get(), 0);
    char lines[kTicketBufferBytes] = {};
    uint32_t more = 0;
    uint16_t flags = 0;
    const int32_t ticketBytes = WriteJobTicket(ticket.get(), lines, kTicketBufferBytes, &more, &flags);
    if (ticketBytes < 0 || more || !Spool(spooler, lines, static_cast<uint32_t>(ticketBytes)))
        return 0;
    return SpoolPiece(spooler, GetEndOfJobLineSize(context), &WriteEndOfJobLine, context) ? 1 : 0;
}

bool CopyBody(HANDLE file, HANDLE spooler, uint64_t from, uint64_t to)
{
    uint8_t piece[kCopyPieceBytes];
    for (uint64_t at = from; at < to;) {
        const uint32_t bytes = static_cast<uint32_t>(std::min<uint64_t>(kCopyPieceBytes, to - at));
        if (!ReadAt(file, at, piece, bytes) || !Spool(spooler, piece, bytes))
            return false;
        at += bytes;
    }
    return true;
}

bool SettingOn(void* settings, void* printerSettings, uint16_t id)
{
    uint32_t value = 0;
    return ReadSettingNumber(id, settings, printerSettings, &value) == 1 && value != 0;
}

std::string Ansi(const wchar_t* text, uint32_t limit)
{
    std::string out(limit + 1, '\0');
    if (!text || !WideToAnsiCut(text, out.data(), limit))
        return {};
    out.resize(std::strlen(out.c_str()));
    return out;
}

const wchar_t* FileNamePart(const wchar_t* path)
{
    const wchar_t* slash = std::wcsrchr(path, L'\\');
    return slash ? slash + 1 : path;
}

}  // namespace

int FindPrintFileSections(HANDLE file, PrintFileSections* sections)
{
    if (!file || file == INVALID_HANDLE_VALUE || !sections)
        return 0;
    *sections = {};
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart <= 0)
        return 0;
    sections->size = static_cast<uint64_t>(size.QuadPart);
    return FindHeaderEnd(file, sections) && FindTrailer(file, sections) ? 1 : 0;
}

int GetModelEndMode(const SettingsContext* context)
{
    CapabilityBits bits{};
    return context && context->main && GetModelCapabilityBits(context->main, &bits) &&
                   (bits.words[0] & kCapabilityJobTicket)
               ? kEndWithTicket
               : kEndWithTrailer;
}

int WriteResendHeaderOrTrailer(SettingsContext* context, void* settings, void* printerSettings, HANDLE spooler,
                               const char* monitorId, int mode, int endMode)
{
    if (!context || !settings || !printerSettings || !spooler)
        return 0;
    return mode == 0 ? WriteFreshHeader(context, settings, printerSettings, spooler, monitorId)
                     : WriteFreshEnd(context, spooler, endMode);
}

int BuildResendMonitorJob(DocMonitorJob** handle, char* id, void* settings, void* printerSettings,
                          const wchar_t* printerName, const wchar_t* portName)
{
    if (!handle || !id)
        return 0;
    const wchar_t* stored = reinterpret_cast<const wchar_t*>(
        GetFunctionIdValuePointer(settings, printerSettings, kFidStoredJobName, kTypeString));
    wchar_t user[130] = {};
    GetCurrentUserName(user, 130);
    // The job is the stored one printed again: the printer and the stored
    // job's name say what, the port says where.
    const std::string first = Ansi(printerName, kDocFirstTextMax);
    const std::string second = Ansi(stored ? stored : L"", kDocSecondTextMax);
    const std::string print = Ansi(stored ? stored : L"", kDocPrintTextMax);
    const std::string third = Ansi(portName, kDocThirdTextMax);
    const std::string userName = Ansi(user, kDocUserMax);
    DocMonitorJobRequest request{};
    request.requestKind = kDocMonitorPrint;
    request.flag = SettingNumberOr(kFidStapleValue, settings, printerSettings, 0) != 0 ? 1 : 0;
    request.jobKind = kDocJobStoredText;
    request.firstText = first.c_str();
    request.secondText = second.c_str();
    request.thirdText = third.c_str();
    request.userName = userName.c_str();
    request.printText = print.c_str();
    std::memset(id, 0, kMonitorIdBytes);
    return CreateDocMonitorJob(handle, id, &request) == kDocMonitorDone ? 1 : 0;
}

int ResendStoredPrintFile(SettingsContext* context, void* settings, void* printerSettings, const wchar_t* fileName,
                          const wchar_t* printerName, const wchar_t* portName, int identify)
{
    if (!fileName || !printerName)
        return kResendFailed;
    HANDLE file = CreateFileW(fileName, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return kResendNoFile;
    HANDLE spooler = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(printerName), &spooler, nullptr)) {
        CloseHandle(file);
        return kResendFailed;
    }
    DocMonitorJob* monitor = nullptr;
    auto fail = [&]() {
        if (monitor)
            ReleaseDocMonitorJob(&monitor);
        AbortPrinter(spooler);
        ClosePrinter(spooler);
        CloseHandle(file);
        return kResendFailed;
    };
    if (!context || !settings || !printerSettings)
        return fail();
    if (identify && !PromptUserIdentification(spooler, settings, printerSettings, context, 0))
        return fail();
    DOC_INFO_1W doc{const_cast<wchar_t*>(FileNamePart(fileName)), nullptr, nullptr};
    if (!StartDocPrinterW(spooler, 1, reinterpret_cast<BYTE*>(&doc)) || !StartPagePrinter(spooler))
        return fail();
    PrintFileSections sections{};
    if (!FindPrintFileSections(file, &sections))
        return fail();
    char id[kMonitorIdBytes] = {};
    const char* monitorId = nullptr;
    if (SettingOn(settings, printerSettings, kFidDocMonitorDefault) &&
        SettingOn(settings, printerSettings, kFidDocMonitorOn) && IsDocMonitorAvailable() == 1 &&
        BuildResendMonitorJob(&monitor, id, settings, printerSettings, printerName, portName))
        monitorId = id;
    const int endMode = GetModelEndMode(context);
    const bool keepEnd = sections.kind == endMode;
    if (!WriteResendHeaderOrTrailer(context, settings, printerSettings, spooler, monitorId, 0, endMode) ||
        !CopyBody(file, spooler, sections.bodyStart, keepEnd ? sections.size : sections.trailerStart) ||
        (!keepEnd && !WriteResendHeaderOrTrailer(context, settings, printerSettings, spooler, nullptr, 1, endMode)))
        return fail();
    EndPagePrinter(spooler);
    EndDocPrinter(spooler);
    ClosePrinter(spooler);
    CloseHandle(file);
    if (monitor)
        RunDocMonitor(monitor);
    return kResendDone;
}
