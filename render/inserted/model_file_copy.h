// A data file of the model copied into the job as it stands (the file holds
// commands the printer reads ahead of the page).
#pragma once
#include "render/output/output_stream.h"

// Copies `directory`\`fileName` into the stream. 0 also when the file is
// missing or no name is given (nothing written); -1 on a read or write failure.
int CopyModelDataFile(OutputStream* stream, const wchar_t* directory, const wchar_t* fileName);
