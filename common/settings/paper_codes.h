// Paper codes of the user-defined sizes: the 20 user paper sizes kept in the
// printer settings record (codes 262-266 and 287-301) and the free custom size
// (code 256, kept in the private part of the settings record).
#pragma once
#include <cstdint>

inline constexpr uint16_t kFreeCustomPaperCode = 256;
inline constexpr uint16_t kUserPaperCount = 20;
inline constexpr uint16_t kNoUserPaper = 0xFFFF;

// The paper-source table: a row of six settings per paper source (paper size,
// feed direction, paper type, second type, shorter side, longer side). Its
// paper-size settings are 6145-6159 and 6220-6234; a source's own size (code
// 275 in the paper-size lists) is kept 45 and 60 identifiers on.
inline constexpr uint16_t kSourceOwnSizePaperCode = 275;
inline constexpr uint16_t kSourceShorterSideOffset = 45;
inline constexpr uint16_t kSourceLongerSideOffset = 60;
bool IsSourcePaperSizeId(uint16_t id);

// Paper source number, then the six settings of that source.
struct PaperSourceSettingsRow {
    uint16_t source;
    uint16_t settings[6];
};
static_assert(sizeof(PaperSourceSettingsRow) == 14);

// 1 with the six setting ids of the source; 0 when it is not in the table.
int FindPaperSourceSettings(uint16_t source, uint16_t settings[6]);
// The fifth and sixth setting of the row whose first setting is `firstSetting`.
int FindPaperSourceBySetting(uint16_t firstSetting, uint16_t* fifth, uint16_t* sixth);

bool IsCustomPaperCode(uint16_t code);        // one of the 20 user paper sizes
bool IsUserDefinedPaperCode(uint16_t code);   // those or the free custom size
uint16_t CustomPaperIndex(uint16_t code);     // 0-19, or kNoUserPaper
uint16_t CustomPaperCodeFromIndex(uint16_t index);  // the code, or 65535 from index 20 on
bool IsCustomPaperSizeId(uint16_t id);        // a width or length setting of a user size

// The free custom size (settings 1863, 1864): 1 when both were read, else 0.
int GetCustomPaperSize(void* settingsRecord, void* printerSettingsRecord, int16_t* width,
                       int16_t* length);

// Direction 0: the free custom size into dmPaperLength/dmPaperWidth;
// direction 1: back. 1 on success; 0 for another direction, a missing record
// or a failed read or write.
inline constexpr int kCustomSizeToDevmode = 0;
inline constexpr int kCustomSizeFromDevmode = 1;
int CopyCustomPaperSize(int direction, void* settingsRecord, void* printerSettingsRecord);

// Setting 5200 of the printer settings; 0 when it cannot be read.
uint32_t IsCustomPaperEnabled(void* settingsRecord, void* printerSettingsRecord);
