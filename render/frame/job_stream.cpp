#include "render/frame/job_stream.h"

#include "common/job/job_header.h"
#include "common/job/job_header_block.h"
#include "common/job/job_ticket.h"
#include "common/model/model_data.h"
#include "common/settings/function_ids.h"
#include "common/store/printer_data.h"
#include "common/system/global_block.h"
#include "common/system/user_and_process.h"
#include "render/command/command_layer.h"
#include "render/device/pdev_record.h"
#include "render/frame/fax_job.h"
#include "render/frame/job_monitor.h"

#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace {

// The stream's comment command carries at most this many bytes.
constexpr uint32_t kCommentPiece = 255;
// The driver's product version as the driver comment names it.
constexpr char kDriverProductVersion[] = "02080101";
// Ticket lines are written through a buffer of this size, piece by piece.
constexpr uint32_t kTicketBuffer = 4096;

int WriteRaw(PDevRecord* pdev, const void* bytes, int length)
{
    if (length < 0)
        return -1;
    if (length == 0)
        return 0;
    return EmitRawBytes(pdev->commandLayer, bytes, static_cast<uint32_t>(length)) == 0 ? 0 : -1;
}

// The stream head that follows the header is a line of its own: a header of
// the universal exit alone (a model table without rows) has its line ended
// here, or no reader could find the head.
int WriteHeaderText(PDevRecord* pdev, const uint8_t* bytes, int length)
{
    if (WriteRaw(pdev, bytes, length) != 0)
        return -1;
    if (length == 0 || bytes[length - 1] == '\n')
        return 0;
    static constexpr uint8_t kLineEnd = '\n';
    return WriteRaw(pdev, &kLineEnd, 1);
}

int WriteUtf8Name(const wchar_t* name, char* out, int capacity)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, name ? name : L"", -1, out, capacity, nullptr, nullptr);
    if (n <= 0) {
        out[0] = 0;
        return 0;
    }
    return n - 1;
}

constexpr const char* kEventTexts[] = {
    nullptr, "StartPage", "EndPage of Physical", "EndPage of Logical", "EndJob", nullptr,
    "EndJob without EndPage", "EndJob with left Nup", "skip backface of duplex",
};

// The interface library's ready-made header for this copy, its "@BKTP=" line
// filled when the number is known.
int WriteHeaderFromTable(PDevRecord* pdev, uint32_t copy, uint16_t bktpNumber)
{
    const JobHeaderTable& table = pdev->headerTable;
    const uint32_t size = GetJobHeaderBlockLength(table.count, table.stride);
    const uint8_t* header = nullptr;
    uint32_t length = 0, bktpOffset = 0;
    if (size == 0 || !ReadJobHeaderSlot(table.block, size, copy, &header, &length, &bktpOffset))
        return -1;
    std::vector<uint8_t> bytes(header, header + length);
    if (bktpNumber != 0 && bktpOffset != 0 &&
        FillBktpLine(bytes.data(), length, bktpOffset, IsPjlJobForm(pdev->settingsContext), bktpNumber) != 1)
        return -1;
    return WriteHeaderText(pdev, bytes.data(), static_cast<int>(length));
}

} // namespace

int WriteJobHeaderLines(PDevRecord* pdev, uint32_t copy, uint16_t bktpNumber)
{
    if (!pdev || !pdev->settingsContext || !pdev->commandLayer)
        return -1;
    if (pdev->headerTable.block)
        return WriteHeaderFromTable(pdev, copy, bktpNumber);
    JobHeaderContext context{};
    context.settingsRecord = pdev->settings;
    context.printerSettingsRecord = pdev->printerSettings;
    context.printer = pdev->printer;
    context.hostNameLines = 1;
    context.bktpNumber = bktpNumber;
    FaxRecipientRange recipients{};
    if (FaxHeaderRecipients(pdev, copy, &recipients))
        context.faxRange = &recipients;
    wchar_t user[64]{};
    GetCurrentUserName(user, 64);
    wcsncpy(context.userName, user, 64);
    RegisterJobMonitor(pdev, &context);
    // The job-instruction data the interface library sent (escape 20530).
    const EscapeDataSlot& instruction = pdev->slots[kSlotD];
    const int size = GetJobHeaderSize(pdev->printer, pdev->settingsContext, pdev->settings, pdev->printerSettings,
                                      instruction.data, instruction.length);
    if (size <= 0) {
        SetLastError(ERROR_INVALID_DATA);
        return -1;
    }
    std::vector<uint8_t> header(static_cast<size_t>(size));
    const int written = WriteJobHeader(pdev->settingsContext, &context, instruction.data, instruction.length,
                                       header.data(), static_cast<uint32_t>(header.size()));
    if (written < 0) {
        // The model data cannot give this job its header (a job attribute row
        // that cannot be read, a value it cannot write): the job fails before
        // any byte of it is written, and the caller learns why.
        SetLastError(ERROR_INVALID_DATA);
        return -1;
    }
    return WriteHeaderText(pdev, header.data(), written);
}

int EndJobStream(PDevRecord* pdev)
{
    if (!pdev || !pdev->commandLayer || !pdev->settingsContext)
        return -1;
    int result = WritePageEvent(pdev, kEventEndJob);
    if (EmitStreamEnd(pdev->commandLayer) != 0)
        return -1;
    const SettingsContext* settings = pdev->settingsContext;
    if (!IsPjlJobForm(settings)) {
        const int size = GetJobTrailerSize(settings);
        if (size <= 0)
            return -1;
        std::vector<uint8_t> trailer(static_cast<size_t>(size));
        return result | WriteRaw(pdev, trailer.data(), WriteJobTrailer(settings, trailer.data(), size));
    }
    std::vector<uint8_t> piece(static_cast<size_t>(GetUelSize()) + 1);
    result |= WriteRaw(pdev, piece.data(), WriteUelForJob(piece.data(), static_cast<uint32_t>(piece.size())));
    if (auto* ticket = static_cast<JobTicket*>(pdev->jobAttributes)) {
        std::vector<char> lines(kTicketBuffer);
        uint32_t more = 1;
        while (more && result == 0) {
            uint16_t flags = 0;
            more = 0;
            const int32_t n = WriteJobTicket(ticket, lines.data(), kTicketBuffer, &more, &flags);
            result |= WriteRaw(pdev, lines.data(), n);
        }
    }
    const int endSize = GetEndOfJobLineSize(settings);
    if (endSize <= 0)
        return -1;
    piece.assign(static_cast<size_t>(endSize), 0);
    result |= WriteRaw(pdev, piece.data(), WriteEndOfJobLine(settings, piece.data(), endSize));
    return result;
}

int WritePageComment(PDevRecord* pdev, const char* text, uint32_t options)
{
    if (!pdev || !pdev->commandLayer)
        return -1;
    if (options & kCommentRestartTimer)
        pdev->commentTimer = GetTickCount();
    if (!text)
        return 0;
    std::string comment = "\"";
    if (options & kCommentTimeStamp) {
        SYSTEMTIME now{};
        GetLocalTime(&now);
        char stamp[64];
        snprintf(stamp, sizeof stamp, "[%04d,%02d/%02d,%02d:%02d:%02d]", now.wYear, now.wMonth, now.wDay, now.wHour,
                 now.wMinute, now.wSecond);
        char name[4 * 261];
        comment += stamp;
        WriteUtf8Name(pdev->job.documentName, name, sizeof name);
        comment += std::string("[") + name + "]";
        // The printer string is not known to the graphics library: empty.
        comment += "[]";
    }
    if (options & kCommentElapsed) {
        char elapsed[32];
        snprintf(elapsed, sizeof elapsed, "[%ldms]", static_cast<long>(GetTickCount() - pdev->commentTimer));
        comment += elapsed;
    }
    comment += text;
    comment += "\"";
    int result = 0;
    for (size_t at = 0; at < comment.size(); at += kCommentPiece) {
        const uint32_t length = static_cast<uint32_t>(std::min<size_t>(kCommentPiece, comment.size() - at));
        result |= EmitComment(pdev->commandLayer, comment.data() + at, length);
    }
    return result;
}

int WriteDriverComments(PDevRecord* pdev)
{
    if (!pdev || !pdev->commandLayer)
        return -1;
    GlobalBlockPtr<uint8_t> info(GetPrinterDriverInfo(pdev->printer, 2));
    const wchar_t* path = info ? reinterpret_cast<const DRIVER_INFO_2W*>(info.get())->pDriverPath : nullptr;
    const wchar_t* slash = path ? wcsrchr(path, L'\\') : nullptr;
    OSVERSIONINFOW os{};
    os.dwOSVersionInfoSize = sizeof(os);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!slash || !GetVersionExW(&os))
        return 0;
#pragma GCC diagnostic pop
    char file[4 * MAX_PATH];
    WriteUtf8Name(slash + 1, file, sizeof file);
    char servicePack[4 * 128];
    WriteUtf8Name(os.szCSDVersion, servicePack, sizeof servicePack);
    const auto* model = static_cast<const ModelDataRecord*>(pdev->modelMain);
    char line[sizeof file + sizeof servicePack + 128];
    snprintf(line, sizeof line, "[%s:%lx:%lx][%lx:%lx:%lx:%lx:%s][%lx]", file,
             static_cast<unsigned long>(model ? model->packedVersion : 0),
             static_cast<unsigned long>(model ? model->formatVersion : 0),
             static_cast<unsigned long>(os.dwMajorVersion), static_cast<unsigned long>(os.dwMinorVersion),
             static_cast<unsigned long>(os.dwBuildNumber), static_cast<unsigned long>(os.dwPlatformId), servicePack,
             static_cast<unsigned long>(GetPdevSettingDword(pdev, kFidStreamVersion)));
    int result = WritePageComment(pdev, line, kCommentElapsed);
    snprintf(line, sizeof line, "[PF%s][DRV-x64]", kDriverProductVersion);
    return result | WritePageComment(pdev, line, kCommentElapsed);
}

int WritePageEvent(PDevRecord* pdev, int code)
{
    if (code < 0 || code >= static_cast<int>(std::size(kEventTexts)) || !kEventTexts[code])
        return -1;
    return WritePageComment(pdev, kEventTexts[code], kCommentElapsed);
}
