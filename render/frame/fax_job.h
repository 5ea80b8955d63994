// The fax paths of a fax model's job (driver kind 2): the recipients of each
// job header and the information page the driver writes itself ahead of the
// document, once per job or once per destination.
#pragma once
#include "common/job/job_header.h"

#include <cstdint>

struct PDevRecord;

// The recipients whose destination lines the header of copy `copy` carries:
// all of them when the job has one header for all (setting 379), else
// destination `copy` alone. False when the job has no fax destinations.
bool FaxHeaderRecipients(PDevRecord* pdev, uint32_t copy, FaxRecipientRange* range);

// The information page of destination `destination`, written straight into
// the stream (also while the document's faces are recorded): the page of the
// model's fax paper, the cover form (a form file named by label, or the
// model's frame file copied in), the page attributes, the information block
// and the sheet's end. 0 or -1.
int WriteFaxInformationPage(PDevRecord* pdev, uint32_t destination);

// At the end of a fax job that received its destinations: the job's fax
// address file (setting 375) is deleted. The shared address file stays for
// every job, and a file that brought no destination list is never touched.
void DeleteFaxAddressFile(PDevRecord* pdev);
