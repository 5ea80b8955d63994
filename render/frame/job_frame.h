// Job and page control: the output opened at the document start, the job
// begun lazily at the first drawing call (job-language header, stream head),
// each logical page ended onto its sheet, and at the document end the stream
// end, the job ticket and the trailer; or the job aborted.
#pragma once
#include <windows.h>
#include <winddi.h>

#include <cstdint>

struct PDevRecord;
struct PlacementMatrix;

BOOL StartDocBody(SURFOBJ* surface, const wchar_t* documentName, DWORD jobId);
BOOL StartPageBody(SURFOBJ* surface);
BOOL SendPageBody(SURFOBJ* surface);
BOOL EndDocBody(SURFOBJ* surface, FLONG flags);
// Called by every drawing entry before it draws: begins the job and the page
// at the page's first drawing call. 0, or -1 when drawing is refused.
int EnsurePageOpen(PDevRecord* pdev);
// Sends a placement on the page's sheet as "Aa", or keeps it as the recorded
// page's placement item when the page's placement is recorded, so that a
// replay places it with the page.
int SendPagePlacement(PDevRecord* pdev, const PlacementMatrix& matrix);
// The resolution the stream head tells with "FA" (of this kind).
inline constexpr uint8_t kJobValueResolution = 1;
uint16_t JobResolution(PDevRecord* pdev);
// Lets go of a job that did not end (the device record goes away first).
void ReleaseJob(PDevRecord* pdev);
