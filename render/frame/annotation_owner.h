// The owner text of the annotation record (escape 20487) as the job prints it:
// the interface library sends the user's name, which the printer's
// user-identification settings may replace by the identification the job
// carries to the printer.
#pragma once
#include <cstdint>

struct PDevRecord;

// The identification text that replaces the owner text, or null when the
// owner text stays as it was sent. With the model's owner-without-host
// capability: the prompted text (setting 5174) when the account mode's popup
// flag (5165, or 5164 in administrator mode) is 1, else the mode's user ID
// (5150, or 5121) when its identification kind (5178, or 5127) is 7. Without
// it: the user ID when the kind is 7 and the account mode (5163) is 0 or 1.
// An empty setting keeps the sent text.
const wchar_t* AnnotationOwnerIdentification(PDevRecord* pdev);

// Converts the owner text of a 768-byte annotation record in place: an owner
// text that was sent is replaced by the identification text, cut like the sent
// one to 31 bytes of its ANSI form and always terminated.
void ConvertAnnotationOwner(PDevRecord* pdev, uint8_t* record);
