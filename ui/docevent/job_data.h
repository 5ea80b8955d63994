// The job data the document events gather into a DC's job record and hand to
// the graphics library with private escapes on the printer DC: at STARTDOC,
// in one batch bracketed by escape 20513 at STARTDOCPOST and RESETDCPOST, and
// the page record at STARTPAGE. Results: 1 done, -1 failed.
#pragma once
#include <windows.h>

#include <cstdint>

struct AnnotationRecord;
struct DcJobRecord;

// STARTDOC: `in` points to the DOCINFOW pointer of the document (may be null).
int PrepareJobAtStartDoc(HANDLE printer, HDC hdc, ULONG inSize, void* in);
// STARTDOCPOST: the shared-printer question, the fax data, the document
// monitor's jobs, then the batch.
int FinishJobAtStartDocPost(HANDLE printer, HDC hdc);
// The batch; 1 and nothing sent before the first STARTDOC.
int SendJobDataToGraphicsDll(DcJobRecord* record, HDC hdc);
// STARTPAGE.
int SendPageRecordAtStartPage(HANDLE printer, HDC hdc);

// A job in user-code mode (setting 334 = 1) whose code does not fit the
// model's bounds prints only without the code, and only when the user says
// OK to the question. 1 passes, 0 refused.
int CheckJobTypeCode(DcJobRecord* record);
// The annotation texts of the record's settings into its annotation record.
void CollectAnnotationTexts(DcJobRecord* record);
// The annotation's date and time texts of a given local time, as STARTDOC
// writes them.
void FormatAnnotationDateTimeAt(AnnotationRecord& annotation, bool date, bool time, const SYSTEMTIME& local);
// The job headers of the job as one 20517 block kept in the record (replacing
// the previous one). 1 also when none are wanted; -1 when a header fails.
int BuildJobHeaderBlock(DcJobRecord* record, HDC hdc);

// Fax address data of a fax job (the fax send list's own code supplies these):
// at STARTDOC the file is resolved with the document's name, at STARTDOCPOST
// its contents are read into the record's fax data. 1 done (also when there is
// nothing to read), -1 failed.
int ResolveFaxAddressFile(DcJobRecord* record, const wchar_t* documentName);
int ReadFaxAddressData(DcJobRecord* record);
