// The document monitor's part in a job: the job announced while its header is
// built (the header then carries the monitor's job id), the monitor run once
// the job's output is closed cleanly, or the job let go when it is not.
#pragma once

struct PDevRecord;
struct JobHeaderContext;

// With settings 8201 and 1321 on and the monitor installed: announces the job
// and keeps its handle; the header's monitor id is set from the answer, and
// cleared when the monitor takes no job.
void RegisterJobMonitor(PDevRecord* pdev, JobHeaderContext* context);
// Runs the monitor for the announced job and forgets it; nothing without one.
void RunJobMonitor(PDevRecord* pdev);
// Lets go of an announced job without running the monitor.
void ReleaseJobMonitor(PDevRecord* pdev);
