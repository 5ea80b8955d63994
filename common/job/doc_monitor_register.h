// A job of the interface library announced to the document monitor: the request
// filled from the job's settings, its printer and its recipients.
#pragma once
#include <windows.h>

#include <cstdint>

#include "common/job/doc_monitor_job.h"

struct SettingsContext;

struct DocMonitorJobContext {
    HANDLE printer;
    const SettingsContext* settings;  // the model's display names; may be null
    void* settingsRecord;
    void* printerSettingsRecord;
    uint16_t requestKind;        // kDocMonitorPrint or kDocMonitorFax
    const wchar_t* documentName;  // the second job text
    // Fax requests: the first recipient and how many there are.
    const wchar_t* recipientName;
    const wchar_t* recipientNumber;
    uint32_t recipientCount;
};

// The request's texts, converted to ANSI and cut to their limits.
struct DocMonitorRequestTexts {
    char firstText[260];
    char secondText[260];
    char thirdText[256];
    char userName[64];
    char printText[80];
    char faxText[2][32];
};

// Fills the request from the job (texts pointing into `texts`). 1; 0 for a
// missing argument.
int FillDocMonitorRequest(const DocMonitorJobContext& job, DocMonitorJobRequest* request,
                          DocMonitorRequestTexts* texts);

// Fills the request and announces the job (CreateDocMonitorJob's results).
int RegisterJobWithDocMonitor(const DocMonitorJobContext& job, DocMonitorJob** handle, char* jobId);
