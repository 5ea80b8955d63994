// The job's sheet faces through the outside processing library (setting
// 1343): bound at the job end, before the recorded faces are replayed.
#pragma once
#include <cstdint>

struct PDevRecord;
struct ExternalConversionState;

// Whether the job asks for the library; its faces are then recorded.
bool ExternalProcessingAsked(PDevRecord* pdev);
// The library bound for the job's replay; null when it is not asked for or
// not available (the faces are then replayed as they are).
ExternalConversionState* SetUpPdevExternalConversion(PDevRecord* pdev);
// Recorded face `face` replayed into the library's input file and embedded
// as the library's image page. 0 or -1.
int ReplayFaceExternally(PDevRecord* pdev, ExternalConversionState* state, uint32_t face);
