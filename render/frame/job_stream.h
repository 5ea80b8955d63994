// The bytes around the MORVA stream of a job: the job-language header ahead of
// the stream head, the job ticket and trailer behind the stream end, and the
// timed information comments the stream carries at job and page events.
#pragma once
#include <cstdint>

struct PDevRecord;

// The job-language header of copy `copy`, written raw: the interface
// library's ready-made one (escape 20517) with its "@BKTP=" line filled when
// `bktpNumber` is known (not 0), else one built from the job's settings.
// 0 or -1.
int WriteJobHeaderLines(PDevRecord* pdev, uint32_t copy, uint16_t bktpNumber);
// "EndJob" comment, the stream end, then the trailer: in the PJL form the
// universal exit, the job ticket lines and the end-of-job line, else the whole
// short trailer. 0 or -1.
int EndJobStream(PDevRecord* pdev);

// Page-event comments ("EP"): the codes of the events the stream records.
enum PageEvent : int {
    kEventStartPage = 1,
    kEventEndPhysical = 2,
    kEventEndLogical = 3,
    kEventEndJob = 4,
    kEventEndJobWithoutEndPage = 6,
    kEventEndJobWithLeftNup = 7,
    kEventSkipBackFace = 8,
};
// Comment options: 1 restart the timer, 2 the milliseconds since the timer
// start, 4 a local time stamp with the document and printer names.
inline constexpr uint32_t kCommentRestartTimer = 1;
inline constexpr uint32_t kCommentElapsed = 2;
inline constexpr uint32_t kCommentTimeStamp = 4;
// One comment of the text with the parts the options ask for; nothing is
// written without a text. 0, or -1 without a command layer.
int WritePageComment(PDevRecord* pdev, const char* text, uint32_t options);
// The two comments that name the driver and the system the job was made on:
// the driver file, the model data's version and format, the OS version and
// the stream version setting as stored, then the driver's product version.
// Nothing when the driver path is not known or the OS version cannot be read.
// 0 or -1.
int WriteDriverComments(PDevRecord* pdev);
// The comment of a page event; -1 for an unknown code.
int WritePageEvent(PDevRecord* pdev, int code);
