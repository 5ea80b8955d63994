// The job overrides that the private drawing escape 4212 keeps in the
// capability record: laid over the settings when the job begins and taken back
// when it ends, so that the application's settings record is what it was.
#pragma once
#include <cstdint>

struct PDevRecord;

// The N-up order that goes with a number of pages per sheet (1, 2, 4, 8, 16
// or 32); -1 for any other number.
int32_t NupOrderForPages(int32_t pages);

// Saves the overridden settings and writes each override other than -1; a
// setting that follows an overridden one (the N-up order and the layout after
// the pages per sheet) takes the value that goes with it, and the colour mode
// is cleared while the drawing mode of escape 4211 is on. Also notes in the
// capability record whether the model has the private drawing escapes. 0, or
// -1 when a setting could not be written.
int ApplyEscapeOverrides(PDevRecord* pdev);
// Writes the saved values back; nothing when none were applied.
int RestoreEscapeOverrides(PDevRecord* pdev);
