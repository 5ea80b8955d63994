// Setting identifiers that the graphics library reads by name, beyond
// the common ones of common/settings/function_ids.h. The values are the
// identifiers of the setting tables, so they never change.
#pragma once
#include <cstdint>

#include "common/settings/function_ids.h"

inline constexpr uint16_t kFidNupOrder = 264;
inline constexpr uint16_t kFidNupOrientation = 294;
// The page geometry's settings (binding gutters, turns, shifts, booklet halves).
inline constexpr uint16_t kFidFrontGutter = 268;
inline constexpr uint16_t kFidBackGutter = 269;
inline constexpr uint16_t kFidBookletBindingSide = 322;  // 0 binding side 1, 1 binding side 2
inline constexpr uint16_t kFidSignatureSheets = 323;     // sheets of a signature the user divides by
inline constexpr uint16_t kFidInnerShiftAmount = 324;
inline constexpr uint16_t kFidFaceAlignment = 382;
inline constexpr uint16_t kFidTurnPages = 437;           // byte: which pages turn by 180 degrees
inline constexpr uint16_t kFidImageShift = 459;          // byte: 1 by settings 460 and 461, 2
inline constexpr uint16_t kFidImageShiftX = 460;
inline constexpr uint16_t kFidImageShiftY = 461;
inline constexpr uint16_t kFidLayoutFit = 1283;
inline constexpr uint16_t kFidPosterCropMarks = 1285;
inline constexpr uint16_t kFidInnerShift = 1291;
inline constexpr uint16_t kFidInnerShiftOption = 1292;
inline constexpr uint16_t kFidAutoSignatureSheets = 4364;  // sheets of a signature divided by the model
// The job information of the information page.
inline constexpr uint16_t kFidFaxCoverLanguage = 1804;
inline constexpr uint16_t kFidFaxCoverDate = 1805;
inline constexpr uint16_t kFidFaxCoverTitle = 1806;
inline constexpr uint16_t kFidFaxNameHonorific = 1807;
inline constexpr uint16_t kFidFaxCompanyHonorific = 1808;
inline constexpr uint16_t kFidFaxCoverTables = 1809;
inline constexpr uint16_t kFidFaxSenderName = 1820;
inline constexpr uint16_t kFidFaxSenderAddress = 1821;
inline constexpr uint16_t kFidFaxSenderPhone = 1822;
inline constexpr uint16_t kFidFaxSenderFax = 1823;
inline constexpr uint16_t kFidFaxSenderMail = 1876;
inline constexpr uint16_t kFidNoMargins = 383;           // effective 1: imageable area is the whole paper
inline constexpr uint16_t kFidDefaultDeviceFont = 384;
inline constexpr uint16_t kFidFullColourRange = 464;
inline constexpr uint16_t kFidNoDeviceFonts = 292;
inline constexpr uint16_t kFidDrawingEscapesFeature = 4103;  // kept in the capability record
inline constexpr uint16_t kFidExternalConversion = 1343;  // pages go through the outside processing library
inline constexpr uint16_t kFidKeepDuplexOnReset = 1350;
inline constexpr uint16_t kFidSpecialOutputKind = 441;  // byte: non-zero gives the second kind of special output
inline constexpr uint16_t kFidTonerSave = 1320;
inline constexpr uint16_t kFidOutlineTextSize = 346;     // points above which TrueType glyphs go as outlines
inline constexpr uint16_t kFidFineOutlines = 1307;
inline constexpr uint16_t kFidNoOutlineGlyphs = 1335;
// The model's own values of the fine-outline rule (no settings record holds them).
inline constexpr uint16_t kFidFineOutlineAbovePixels = 32776;
inline constexpr uint16_t kFidFineOutlineBelowPixels = 32777;
inline constexpr uint16_t kFidFineOutlineMinimumPoints = 32778;
inline constexpr uint16_t kFidPassThrough = 1358;
// The account code of the job ticket's colour pages: with the colour unit
// (4129) on and 5153 (byte) 1, the low byte of 5126 is the code and its bits
// 8-11 the code's kind.
inline constexpr uint16_t kFidColourUnit = 4129;
inline constexpr uint16_t kFidSpecialOne = 5153;
inline constexpr uint16_t kFidAccountCode = 5126;

inline constexpr uint32_t kSamePaperAsRequested = 267;

// Raw section of the model data with the size granularity of custom papers
// (tenths of a millimetre; 0 or 1: none).
inline constexpr uint16_t kRawPaperSizeGranularity = 10;
