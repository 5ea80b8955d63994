#include "render/frame/job_monitor.h"

#include "common/job/doc_monitor_job.h"
#include "common/job/doc_monitor_register.h"
#include "common/job/job_header.h"
#include "common/settings/function_ids.h"
#include "render/device/pdev_record.h"

#include <cstring>

namespace {

DocMonitorJob** HandleOf(PDevRecord* pdev) { return reinterpret_cast<DocMonitorJob**>(&pdev->docMonitorJob); }

}  // namespace

void RegisterJobMonitor(PDevRecord* pdev, JobHeaderContext* context)
{
    context->docMonitorIdPresent = 0;
    context->docMonitorId[0] = 0;
    if (GetPdevSettingDword(pdev, kFidDocMonitorDefault) == 0 || GetPdevSettingDword(pdev, kFidDocMonitorOn) == 0 ||
        !IsDocMonitorAvailable())
        return;
    // A job still held from an earlier header of the same job is let go first.
    ReleaseDocMonitorJob(HandleOf(pdev));
    DocMonitorJobContext job{};
    job.printer = pdev->printer;
    job.settings = pdev->settingsContext;
    job.settingsRecord = pdev->settings;
    job.printerSettingsRecord = pdev->printerSettings;
    job.requestKind = pdev->driverKind2 ? kDocMonitorFax : kDocMonitorPrint;
    job.documentName = pdev->job.documentName;
    char id[kDocJobIdChars]{};
    DocMonitorJob* handle = nullptr;
    if (RegisterJobWithDocMonitor(job, &handle, id) != 1 || handle == nullptr)
        return;
    *HandleOf(pdev) = handle;
    static_assert(sizeof context->docMonitorId >= kDocJobIdChars);
    std::memcpy(context->docMonitorId, id, kDocJobIdChars);
    context->docMonitorId[kDocJobIdChars - 1] = 0;
    context->docMonitorIdPresent = 1;
}

void RunJobMonitor(PDevRecord* pdev)
{
    if (pdev->docMonitorJob == nullptr)
        return;
    RunDocMonitor(*HandleOf(pdev));
    pdev->docMonitorJob = nullptr;
}

void ReleaseJobMonitor(PDevRecord* pdev) { ReleaseDocMonitorJob(HandleOf(pdev)); }
