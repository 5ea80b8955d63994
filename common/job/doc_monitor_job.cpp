#include "common/job/doc_monitor_job.h"

#include "common/job/doc_monitor_client.h"
#include "common/system/lock_table.h"

#include <cstdio>
#include <cstring>
#include <ctime>

struct DocMonitorJob {
    char jobId[kDocJobIdChars];
};

namespace {

constexpr uint32_t kHeaderThird = 3;
constexpr uint32_t kHeaderFourth = 11;
constexpr uint32_t kSecondsPerDay = 86400;

// Copies a checked text (it fits) into a fixed field.
template <size_t N>
void Put(char (&field)[N], const char* text)
{
    if (text != nullptr)
        strncpy(field, text, N - 1);
}

bool Fits(const char* text, size_t maximum)
{
    return strnlen(text, maximum + 1) <= maximum;
}

int CheckRequest(const DocMonitorJobRequest* r)
{
    if (r->requestKind != kDocMonitorPrint && r->requestKind != kDocMonitorFax)
        return kDocMonitorBadKind;
    const bool print = r->requestKind == kDocMonitorPrint;
    if (!r->firstText || !r->secondText || !r->thirdText || !r->userName ||
        (print ? !r->printText : (!r->faxText[0] || !r->faxText[1])))
        return kDocMonitorMissing;
    const bool fit = Fits(r->firstText, kDocFirstTextMax) && Fits(r->secondText, kDocSecondTextMax) &&
                     Fits(r->thirdText, kDocThirdTextMax) && Fits(r->userName, kDocUserMax) &&
                     (print ? Fits(r->printText, kDocPrintTextMax)
                            : Fits(r->faxText[0], kDocFaxTextMax) && Fits(r->faxText[1], kDocFaxTextMax));
    return fit ? kDocMonitorDone : kDocMonitorTooLong;
}

// client id "." job id from the monitor. 1, 3 or 5.
int MakeJobId(const DocMonitorEntries& monitor, char* jobId)
{
    char client[64] = {};
    char job[64] = {};
    if (!monitor.createClientId(client, sizeof client) || !monitor.createJobId(job, sizeof job))
        return kDocMonitorUnavailable;
    // Ids of 64 characters or more have no terminator in their room.
    if (strnlen(client, sizeof client) >= sizeof client || strnlen(job, sizeof job) >= sizeof job)
        return kDocMonitorTooLong;
    char joined[sizeof client + sizeof job + 1];
    const int length = snprintf(joined, sizeof joined, "%s.%s", client, job);
    if (length < 0 || static_cast<size_t>(length) >= kDocJobIdChars)
        return kDocMonitorTooLong;
    std::memcpy(jobId, joined, static_cast<size_t>(length) + 1);
    return kDocMonitorDone;
}

void FillRecord(const DocMonitorJobRequest& r, const char* jobId, DocMonitorJobRecord* header,
                DocMonitorDestination* destination)
{
    std::memset(header, 0, sizeof *header);
    std::memset(destination, 0, sizeof *destination);
    destination->size = sizeof *destination;
    destination->jobKind = r.jobKind;
    Put(destination->firstText, r.firstText);
    Put(destination->jobId, jobId);
    Put(destination->secondText, r.secondText);
    if (r.requestKind == kDocMonitorFax) {
        Put(destination->faxText1, r.faxText[0]);
        Put(destination->faxText2, r.faxText[1]);
    } else {
        destination->flag = r.flag;
        Put(destination->printText, r.printText);
    }
    {
        // time() and localtime() share one static record in the run-time.
        RoleLock lock(LockRole::DocMonitor);
        const time_t now = time(nullptr);
        destination->created = static_cast<uint32_t>(now);
        if (r.jobKind == kDocJobDelayed) {
            const tm* local = localtime(&now);
            const uint32_t ofDay = local ? static_cast<uint32_t>(local->tm_hour * 3600 + local->tm_min * 60 +
                                                                 local->tm_sec)
                                         : 0;
            destination->delaySeconds = DocMonitorDelaySeconds(r.hour, r.minute, ofDay);
        }
    }
    header->size = sizeof *header;
    header->destinationCount = 1;
    header->third = kHeaderThird;
    header->fourth = kHeaderFourth;
    Put(header->firstText, r.firstText);
    Put(header->thirdText, r.thirdText);
    Put(header->userName, r.userName);
    header->destinations.bits = 0;
    header->destinations.pointer = destination;
}

}  // namespace

uint32_t DocMonitorDelaySeconds(uint8_t hour, uint8_t minute, uint32_t nowOfDay)
{
    const int64_t target = (int64_t{hour} * 60 + minute) * 60;
    int64_t delay = target - nowOfDay;
    if (delay <= 0)
        delay += kSecondsPerDay;
    return static_cast<uint32_t>(delay);
}

void ConvertDocMonitorRecordV1(const DocMonitorJobRecord& record, DocMonitorJobRecordV1* older,
                               DocMonitorDestinationV1* destinations, uint32_t room)
{
    std::memset(older, 0, sizeof *older);
    const uint32_t count = record.destinationCount < room ? record.destinationCount : room;
    older->destinationCount = count;
    older->second = record.third == kHeaderThird ? 2 : 0;
    older->third = record.fourth;
    std::memcpy(older->firstText, record.firstText, sizeof older->firstText);
    std::memcpy(older->thirdText, record.thirdText, sizeof older->thirdText);
    older->destinations.pointer = destinations;
    for (uint32_t i = 0; i < count; ++i) {
        const DocMonitorDestination& from = record.destinations.pointer[i];
        DocMonitorDestinationV1& to = destinations[i];
        std::memset(&to, 0, sizeof to);
        to.size = sizeof to;
        to.kind = from.jobKind == kDocJobFax || from.jobKind == kDocJobFaxSpecial ? 1 : 0;
        to.created = from.created;
        std::memcpy(to.firstText, from.firstText, sizeof to.firstText);
        std::memcpy(to.jobId, from.jobId, sizeof to.jobId);
        std::memcpy(to.secondText, from.secondText, sizeof to.secondText);
        std::memcpy(to.faxText1, from.faxText1, sizeof to.faxText1);
        std::memcpy(to.faxText2, from.faxText2, sizeof to.faxText2);
    }
}

int IsDocMonitorAvailable()
{
    if (AcquireDocMonitor(nullptr) != 1)
        return 0;
    ReleaseDocMonitor();
    return 1;
}

int CreateDocMonitorJob(DocMonitorJob** handle, char* jobId, const DocMonitorJobRequest* request)
{
    if (handle == nullptr || jobId == nullptr || request == nullptr)
        return kDocMonitorMissing;
    *handle = nullptr;
    const int checked = CheckRequest(request);
    if (checked != kDocMonitorDone)
        return checked;
    const DocMonitorEntries* monitor = nullptr;
    if (AcquireDocMonitor(&monitor) != 1)
        return kDocMonitorUnavailable;
    auto* job = static_cast<DocMonitorJob*>(GlobalAlloc(GPTR, sizeof(DocMonitorJob)));
    int result = job != nullptr ? MakeJobId(*monitor, job->jobId) : kDocMonitorUnavailable;
    if (result == kDocMonitorDone) {
        DocMonitorJobRecord header;
        DocMonitorDestination destination;
        FillRecord(*request, job->jobId, &header, &destination);
        BOOL accepted = FALSE;
        if (monitor->setDataEx != nullptr) {
            accepted = monitor->setDataEx(&header, sizeof header);
        } else {
            DocMonitorJobRecordV1 older;
            DocMonitorDestinationV1 olderDestination;
            ConvertDocMonitorRecordV1(header, &older, &olderDestination, 1);
            accepted = monitor->setData(&older, sizeof older);
        }
        if (!accepted)
            result = kDocMonitorUnavailable;
    }
    if (result != kDocMonitorDone) {
        if (job != nullptr)
            GlobalFree(job);
        ReleaseDocMonitor();
        return result;
    }
    std::memcpy(jobId, job->jobId, kDocJobIdChars);
    *handle = job;
    return kDocMonitorDone;
}

int RunDocMonitor(DocMonitorJob* handle)
{
    if (handle == nullptr)
        return kDocMonitorMissing;
    // The job's reference keeps the library loaded, so the entries are there.
    const DocMonitorEntries* monitor = HeldDocMonitorEntries();
    const int result = monitor != nullptr && monitor->exec(handle->jobId) ? kDocMonitorDone : kDocMonitorUnavailable;
    ReleaseDocMonitor();
    GlobalFree(handle);
    return result;
}
