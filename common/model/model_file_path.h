// Where a library or data file that the model names lies: the driver directory
// joined with the model's file name n. The optional libraries of the maker are
// loaded from there.
#pragma once
#include <cstdint>

struct ModelDataRecord;

// At most `chars` characters with the terminator (and below 260). 1 with the
// path, 0 when the model names no such file or the path does not fit.
int GetModelFilePath(ModelDataRecord* main, uint16_t fileNumber, wchar_t* path, uint32_t chars);
