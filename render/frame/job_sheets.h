// The sheets of a job around its pages: the page attributes of a sheet face,
// empty sheet sides (separator, trailer, interleaf and skipped back faces),
// the counting of faces on two-sided sheets, the recording of sheet faces and
// their replay at the job end (copies collated by the driver, reverse order).
#pragma once
#include "render/command/page_items.h"

#include <cstdint>

struct PDevRecord;
struct FormRecord;

// The paper the job's sheets are printed on: the output paper (setting 262),
// or the document's own paper when that setting names no paper of its own.
const FormRecord& SheetForm(PDevRecord* pdev);

// Form lengths (1/18432 inch) in tenths of a millimetre.
int32_t TenthsOfMillimetre(int32_t length);
// The page attributes' media of a sheet: the colour code, the paper-source
// attribute of `source`, the media kind of a paper of that size (tenths of a
// millimetre) and the sheet turn code.
void FillMediaItem(PDevRecord* pdev, uint8_t colourCode, int32_t source, int32_t width, int32_t height,
                   PageMediaItem* item);
// The colour code of a sheet's page attributes and of the ticket's page
// record: 2 for a monochrome job, else 1.
uint8_t SheetColourCode(PDevRecord* pdev);

// A sheet face begins (the first page drawn on it): the sheet change check
// ("FC"/"FH", a back face skipped), interleaf sheets, the face's recording and
// its page attributes. 0 or -1.
int BeginSheetFace(PDevRecord* pdev);
// The face has ended ("FB", "ED" written): interleaf sheets of a reverse-order
// job, the recorded face finished and the face counted. 0 or -1.
int FinishSheetFace(PDevRecord* pdev);
// Page commands after "StartPage": the page label "Eg". 0 or -1.
int WritePageLabel(PDevRecord* pdev);
// The colour-mode pair ("AI", "FF") on streams that know it. 0 or -1.
int WriteColourModePair(PDevRecord* pdev);
// The job strings of the stream head: "EE" with the form name of a form
// registration and "EH" with the page label. 0 or -1.
int WriteJobStrings(PDevRecord* pdev);
// After the stream head: the separator sheet of a job that does not replay. 0 or -1.
int WriteLeadingSheets(PDevRecord* pdev);
// The last sheet at the job end: its back face skipped where the replay needs
// whole sheets, and a trailing sheet of a job that does not replay. 0 or -1.
int FinishLastSheet(PDevRecord* pdev);
// The recorded faces written again, copy by copy, with the separator and
// trailing sheets a reverse-order job puts around them; the recording dropped
// unless it is kept for another replay (a fax sent once per destination).
int ReplayRecordedFaces(PDevRecord* pdev, bool keepRecording = false);

// Whether a paper source feeds two-sided printing: the manual and envelope
// feeds do not.
bool SourcePrintsTwoSided(int32_t source);
