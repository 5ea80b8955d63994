// The job's sheet faces through the outside processing library (setting
// 1343): bound at the job end, before the recorded faces are replayed.
#pragma once
#include <cstdint>

struct PDevRecord;
struct ExternalConversionState;

// Whether the job asks for the library (ExternalProcessingAsked of the device
// record): its faces are then recorded.
// The library bound for the job's replay; null when it is not asked for or
// not available (the faces are then replayed as they are).
ExternalConversionState* SetUpPdevExternalConversion(PDevRecord* pdev);
// The recording kinds a face adds for the library: its media, placement and
// sheet end are held back as items.
inline constexpr uint16_t kExternalFaceKinds = 0x36;
// The library reads streams of 1.9.1 at most: a face meant for it is drawn in
// that form (the job's version lowered from the face's begin to its end).
inline constexpr uint32_t kExternalStreamVersion = 0x01010901;
void LowerFaceStreamVersion(PDevRecord* pdev);
// At the face's end: the job's own version again. 0 or -1.
int RestoreJobStreamVersion(PDevRecord* pdev);
// After the face's attributes: each face goes to the library as a stream of
// its own, so it carries the job's values ("FA") again. 0 or -1.
int RepeatJobValuesForFace(PDevRecord* pdev);
// The items a recorded face's replay acts on: its placement always; its media
// and sheet end too unless the library takes the face, which then gets the
// media alone (its sheet end belongs to the embedded image page).
uint32_t FaceReplayMask(PDevRecord* pdev, const ExternalConversionState* state);
// Recorded face `face` replayed into the library's input file and embedded
// as the library's image page. 0 or -1.
int ReplayFaceExternally(PDevRecord* pdev, ExternalConversionState* state, uint32_t face);
