// The least job and page control that carries a document through the device
// record into a MORVA job: the stream opened at the document start, the stream
// head at the first page, one sheet per page, the stream end at the document
// end. The job header, job ticket and page set-up come with the job control
// proper and replace these bodies.
#pragma once
#include <windows.h>
#include <winddi.h>

struct PDevRecord;

BOOL StartDocBody(SURFOBJ* surface, const wchar_t* documentName, DWORD jobId);
BOOL StartPageBody(SURFOBJ* surface);
BOOL SendPageBody(SURFOBJ* surface);
BOOL EndDocBody(SURFOBJ* surface, FLONG flags);
// Lets go of a job that did not end (the device record goes away first).
void ReleaseJob(PDevRecord* pdev);
