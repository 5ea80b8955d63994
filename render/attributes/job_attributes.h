// The job attributes of the graphics library: while a job runs it keeps the
// job ticket (one record per page as pages begin, the job-wide values at the
// end), which job control writes after the job. Also the graphics library's
// step on the job header block: the "@BKTP=" number.
#pragma once
#include "common/job/job_ticket.h"

#include <cstdint>

struct SettingsContext;

// The first block of page records and the step it grows by.
constexpr uint32_t kJobAttributePageBlock = 100;

// Creates the ticket on first use (*ticket null) and otherwise starts it
// afresh. -1 when memory runs out (a ticket held before is kept).
int CreateJobAttributeRecord(JobTicket** ticket);
void FreeJobAttributeRecord(JobTicket** ticket);

// What the job-wide values are made of: job record, geometry and page state.
struct JobAttributeInput {
    uint32_t streamVersion;       // 0x01MMmmpp
    bool formRegistration;
    uint32_t driverKind;          // 2: fax
    uint32_t faxMode;
    uint32_t jobType;
    bool printerSideValues;       // a fax job holding values on the printer side
    bool collateByReplay;
    bool collate;                 // setting 18
    uint32_t copies;
    bool booklet;
    bool poster;
    uint32_t geometryDuplex;      // the geometry's duplex kind
    uint32_t pagesPerSide;        // the geometry's sheet value
    uint32_t posterColumns, posterRows;
    uint32_t bookletBinding;      // 0, 1 or 2
    uint32_t bindingValue;
    bool reverseOrder;
    uint32_t specialOutputMode;
    uint32_t flag1320;
    uint32_t sheetCount;          // the page state's sheet counter
    uint32_t pages;               // the job-wide logical page counter
};
// Sets the job-wide values into the ticket (at the end of the job); each
// value set switches its item on. -1 without a ticket.
int BuildJobAttributeRecord(JobTicket* ticket, const JobAttributeInput& input);
// The duplex value of the ticket: 2 (TUMBLE) for booklet or short-edge
// flipping, 1 (DUPLEX) for long-edge, 0 (SIMPLEX).
uint32_t JobAttributeDuplex(bool booklet, uint32_t geometryDuplex);

struct JobAttributePageInput {
    int32_t width, height;        // tenths of a millimetre
    bool customMark;              // the size text starts with '*'
    uint32_t colourState;         // 1, 2 or 3
    bool accountFlag;
    uint32_t accountCode;
    int32_t paperSource;
    bool booklet;
    bool pageOptions;
    uint32_t sheetSide;           // 2 or 3 with page options
    uint32_t orientation;         // the geometry's: 1 or 2
    uint32_t duplex;              // JobAttributeDuplex of the job
};
// Adds the page's record. 0 also for a form-registration job whose job-wide
// values are already set (nothing added); -1 without a ticket or when memory
// runs out.
int ApplyJobAttributesFromPage(JobTicket* ticket, const JobAttributePageInput& page, bool formRegistration);

// The paper source as the ticket names it: 0x8000 for a source it does not know.
uint32_t MapPaperSourceAttribute(int32_t paperSource);

// "210.0X297.0" (the smaller size first; with `mark` a leading '*'), always
// terminated inside its 16 bytes whatever the sizes.
void FormatCustomSizeText(int32_t width, int32_t height, bool mark, char out[16]);

// The "@BKTP=" number written over the blanks reserved in header `index` of a
// received job header block, in the form the model's header uses. 1 when
// written, or nothing to write (number 0 or no reserved line); -1 when the
// block or the reserved line is not sound (nothing written).
int PatchBktpAttribute(const SettingsContext* settings, uint16_t number, uint8_t* block, uint32_t size,
                       uint32_t index);
