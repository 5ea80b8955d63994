// Single bytes and values of parsed model sections that the graphics library
// reads, with the format versions that carry them.
#pragma once
#include <cstdint>

#include "common/model/model_section.h"

// The byte of an input tray or output bin record (kinds 5 and 6), carried from
// format 512 on: 0 with the byte, 1 for another kind, an older format or a
// null argument.
int GetTrayFeatureByte(const ModelSection* section, uint8_t* out);

// The byte that follows a paper record's name (kind 10), as a signed 16-bit
// value; 0 for another kind or no section.
int16_t GetPaperSectionByte(const ModelSection* section);

// The byte of a paper type record (kind 19), carried from format 512 on: 0
// with the byte, 1 otherwise.
int GetPaperTypeByte(const ModelSection* section, uint8_t* out);

// The one 32-bit field of a font and setting record (kind 11): the length of
// its payload (the font substitution data), known whether or not the payload
// was loaded; 0 for another kind or no section.
uint32_t GetFontSectionValue(const ModelSection* section);
