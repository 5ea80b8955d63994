// The job overrides that the private drawing escape 4212 keeps in the
// capability record: laid over the settings when the job begins and taken back
// when it ends, so that the application's settings record is what it was.
#pragma once

struct PDevRecord;

// Saves the overridden settings and writes each override other than -1. 0, or
// -1 when a setting could not be read or written.
int ApplyEscapeOverrides(PDevRecord* pdev);
// Writes the saved values back; nothing when none were applied.
int RestoreEscapeOverrides(PDevRecord* pdev);
