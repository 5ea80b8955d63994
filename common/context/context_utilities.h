// Small operations that the settings and user-interface code share around a
// settings context: paper size comparison, the colour table of the pages, the
// picture palette, configured colour and media defaults, the DEVMODE fields a
// platform supports, and names of user-defined papers.
#pragma once
#include <windows.h>

#include <cstdint>

struct SettingsContext;

// Paper sizes in tenths of a millimetre match within 1 mm in each dimension. When
// one size is portrait and the other landscape (a square counts as either), the
// second is turned first.
constexpr int32_t kSizeMatchTolerance = 10;
bool SizesMatch(int32_t width1, int32_t height1, int32_t width2, int32_t height2);

// With an index other than kColorById: colour `index` (0 to 6) of the table;
// otherwise setting id 1 to 7 chooses it. FALSE for anything else.
constexpr uint32_t kColorById = 0xFFFFFFFF;
BOOL GetColorForIndex(uint32_t id, COLORREF* colour, uint32_t index);

// A GDI palette from a picture's colour table: biClrUsed entries, or 2 to the
// power of biBitCount when that is 0 (none for more than 8 bits: null). The
// caller deletes it. Null for a null picture or a header that is not a
// BITMAPINFOHEADER.
HPALETTE CreatePicturePalette(const BITMAPINFO* picture);

// A zero-filled global block of 800 bytes; FreeBlock gives it (or any global
// block) back.
void* AllocZeroed800();
void FreeBlock(void* block);

// Configured colour default (mode of the overrides' colour field): when nonzero,
// setting 270 becomes 0 (configured 2) or 2 (otherwise) for a colour DEVMODE
// (dmColor 2), else 1. FALSE when the overrides cannot be read or a write fails.
BOOL ApplyConfiguredColorDefault(const SettingsContext* context, void* settingsRecord, void* printerSettingsRecord);
// Configured media merge (the overrides' media field): when nonzero, settings 388
// and 453 take dmMediaType. FALSE when the overrides cannot be read or a write fails.
BOOL ApplyConfiguredMediaType(const SettingsContext* context, void* settingsRecord, void* printerSettingsRecord);

// Modes of MatchesPaperNamePrefix.
constexpr int kPaperNamesStored = 1;   // the names of settings 5929 to 5948
constexpr int kPaperNamesDefault = 2;  // the default names of user-defined papers 1 to 20
// TRUE when text begins with one of the 20 names. Empty names match nothing.
BOOL MatchesPaperNamePrefix(void* settingsRecord, void* printerSettingsRecord, const wchar_t* text, int mode);

// The dmFields bits the platform supports for the requested mode bits. The
// platform kind (257, 258, 513 or 514) chooses the column; FALSE for another.
BOOL BuildSupportedFieldsMask(const SettingsContext* context, uint32_t* mask, uint16_t modeBits);
