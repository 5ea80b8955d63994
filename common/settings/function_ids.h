// Setting identifiers (FunctionID) that code names on purpose. Every identifier
// has a layout row (item_layout_table.cpp); the ones below are those whose
// meaning the code relies on. The values are the identifiers callers pass.
#pragma once
#include <cstdint>

// Public DEVMODEW fields.
inline constexpr uint16_t kFidDeviceName = 1;
inline constexpr uint16_t kFidSpecVersion = 2;
inline constexpr uint16_t kFidDriverVersion = 3;
inline constexpr uint16_t kFidSize = 4;
inline constexpr uint16_t kFidDriverExtra = 5;
inline constexpr uint16_t kFidFields = 6;
inline constexpr uint16_t kFidOrientation = 7;
inline constexpr uint16_t kFidPaperSize = 8;
inline constexpr uint16_t kFidPaperLength = 9;
inline constexpr uint16_t kFidPaperWidth = 10;
inline constexpr uint16_t kFidScale = 11;
inline constexpr uint16_t kFidCopies = 12;
inline constexpr uint16_t kFidDefaultSource = 13;
inline constexpr uint16_t kFidResolution = 14;  // dmPrintQuality << 16 | dmYResolution
inline constexpr uint16_t kFidColor = 15;
inline constexpr uint16_t kFidDuplex = 16;
inline constexpr uint16_t kFidTTOption = 17;
inline constexpr uint16_t kFidCollate = 18;
inline constexpr uint16_t kFidFormName = 19;
inline constexpr uint16_t kFidPrintQuality = 20;
inline constexpr uint16_t kFidYResolution = 21;
inline constexpr uint16_t kFidICMMethod = 22;
inline constexpr uint16_t kFidICMIntent = 23;
inline constexpr uint16_t kFidMediaType = 24;
inline constexpr uint16_t kFidDitherType = 25;

// Common part of the settings record.
inline constexpr uint16_t kFidPrivateVersion = 257;
inline constexpr uint16_t kFidCommonVersion = 258;
inline constexpr uint16_t kFidModelName = 259;
inline constexpr uint16_t kFidPublicFlagWord1 = 260;  // flags 1281-1312 read whole
inline constexpr uint16_t kFidPublicFlagWord2 = 261;  // flags 1313-1344 read whole
inline constexpr uint16_t kFidEdgeValue = 267;
inline constexpr uint16_t kFidOutputPaper = 262;     // 267: the document paper (8)
inline constexpr uint16_t kFidZoom = 263;            // percent
inline constexpr uint16_t kFidPaperSource = 265;     // 258: the printer's default (13)
inline constexpr uint16_t kFidOutputBin = 266;
inline constexpr uint16_t kFidColorMode = 270;
inline constexpr uint16_t kFidForceColorMode = 5202;  // 1: the colour mode is the model's own
inline constexpr uint16_t kFidPlatformMode = 293;
inline constexpr uint16_t kFidLayoutGrid = 296;      // columns in the high byte, rows in the low
inline constexpr uint16_t kFidStampName = 297;       // shares its bytes with 298
inline constexpr uint16_t kFidStampDetail = 299;
inline constexpr uint16_t kFidPagesPerSheet = 295;  // logical pages on a sheet face: 1, 2, 4 ... 32
inline constexpr uint16_t kFidFont = 304;             // LOGFONTW
inline constexpr uint16_t kFidFontHeight = 306;
inline constexpr uint16_t kFidFontWeight = 307;
inline constexpr uint16_t kFidFontEscapement = 309;
inline constexpr uint16_t kFidFontOrientation = 310;
inline constexpr uint16_t kFidFontAngle = 311;        // lfEscapement kept equal to lfOrientation
inline constexpr uint16_t kFidFontWidth = 319;
inline constexpr uint16_t kFidStapleValue = 320;
inline constexpr uint16_t kFidPosterBooklet = 321;  // 1 poster (tiling), 2 booklet
inline constexpr uint16_t kFidEdgeCode = 325;
inline constexpr uint16_t kFidCovers = 332;
inline constexpr uint16_t kFidCoverTray = 333;
inline constexpr uint16_t kFidStapleCode = 326;
inline constexpr uint16_t kFidJobType = 334;
inline constexpr uint16_t kFidPunchValue = 341;
inline constexpr uint16_t kFidPunchCode = 344;
inline constexpr uint16_t kFidStampFont = 357;        // LOGFONTW
inline constexpr uint16_t kFidStampFontFace = 358;
inline constexpr uint16_t kFidStampFontHeight = 359;
inline constexpr uint16_t kFidStampFontWeight = 360;
inline constexpr uint16_t kFidStampFontEscapement = 362;
inline constexpr uint16_t kFidStampFontOrientation = 363;
inline constexpr uint16_t kFidStampFontAngle = 364;   // lfEscapement kept equal to lfOrientation
inline constexpr uint16_t kFidStampFontWidth = 372;
inline constexpr uint16_t kFidSecondSource = 389;
inline constexpr uint16_t kFidPackedFirst = 392;      // 392-403: bytes packed three to a u32
inline constexpr uint16_t kFidPackedLast = 403;
inline constexpr uint16_t kFidFixedTrayFirst = 407;   // 407-409 name a tray (4 or 264)
inline constexpr uint16_t kFidInsertPaper1 = 410;
inline constexpr uint16_t kFidInsertPaper2 = 411;

// Flags of the common part; 1284 reads inverted.
inline constexpr uint16_t kFidLayoutScaleOn = 1281;
inline constexpr uint16_t kFidInvertedFlag = 1284;
inline constexpr uint16_t kFidSecondSourceOn = 1313;
inline constexpr uint16_t kFidDocMonitorOn = 1321;
inline constexpr uint16_t kFidJobHeaderOn = 1333;
inline constexpr uint16_t kFidOsBoundFlag = 1341;

// Private part.
inline constexpr uint16_t kFidPrivatePartVersion = 1793;
inline constexpr uint16_t kFidCustomPaperWidth = 1863;
inline constexpr uint16_t kFidCustomPaperLength = 1864;

// Printer settings record.
inline constexpr uint16_t kFidUserIdMode = 5186;
inline constexpr uint16_t kFidCustomPaperEnabled = 5200;
inline constexpr uint16_t kFidUserPaperWidthFirst = 5889;   // 20 user paper sizes
inline constexpr uint16_t kFidUserPaperLengthFirst = 5909;
inline constexpr uint16_t kFidUserPaperNameFirst = 5929;
inline constexpr uint16_t kFidUserPaperNameLast = 5948;
inline constexpr uint16_t kFidPrinterSettingsSize = 8202;
inline constexpr uint16_t kFidPrinterCommonVersion = 8203;
inline constexpr uint16_t kFidPrinterPrivateVersion = 8204;
inline constexpr uint16_t kFidDocMonitorDefault = 8201;
inline constexpr uint16_t kFidStreamVersion = 8205;

// Job control.
inline constexpr uint16_t kFidResolutionFromSetting14 = 386;  // 1: the job's resolution is setting 14's
inline constexpr uint16_t kFidJobResolution = 348;
inline constexpr uint16_t kFidDropEmptyPages = 1334;
inline constexpr uint16_t kFidReverseOrder = 1312;
inline constexpr uint16_t kFidAutoColourMode = 1289;  // colour mode 3 leaves the choice to the printer
inline constexpr uint16_t kFidPageLabelOn = 339;          // 1: pages carry the label of setting 340
inline constexpr uint16_t kFidPageLabelText = 340;
inline constexpr uint16_t kFidSeparatorSheetOn = 404;     // with the sheet options of the model
inline constexpr uint16_t kFidTrailerSheetOn = 405;
inline constexpr uint16_t kFidInterleafSheetsOn = 406;
inline constexpr uint16_t kFidColourPairFirst = 1293;     // "AI" and "FF" bit 1
inline constexpr uint16_t kFidColourPairSecond = 1294;    // "FF" bit 4
inline constexpr uint16_t kFidSeparatorFirstFace = 1340;

// Not stored: answered as the flag value 1 by GetFunctionIdValue.
inline constexpr uint16_t kFidAlwaysOn = 36905;

// What the document monitor is told of a job (and kFidOutputBin above).
inline constexpr uint16_t kFidStoredJobText = 336;       // 1: a stored job named by setting 338
inline constexpr uint16_t kFidStoredJobName = 338;
inline constexpr uint16_t kFidStoredJobFolder = 1829;  // a registered form is also kept as a file here
inline constexpr uint16_t kFidBoxName = 435;
inline constexpr uint16_t kFidDelayHour = 451;
inline constexpr uint16_t kFidDelayMinute = 452;
inline constexpr uint16_t kFidSourceSyncMode = 457;  // byte; 2: the tray (265) leads over the document's source (13)
inline constexpr uint16_t kFidFaxSpecialJob = 1800;
inline constexpr uint16_t kFidAdminUserName = 5121;
inline constexpr uint16_t kFidAdminUserIdKind = 5127;

// Read by the job description (header, attribute values, host-name and fax
// lines). 8193, 32784 and 36902 are not stored settings: their attribute rows
// have writers of their own.
inline constexpr uint16_t kFidOneShotText = 329;
inline constexpr uint16_t kFidUserCodeSource = 335;
inline constexpr uint16_t kFidFaxAddressFile = 375;
inline constexpr uint16_t kFidFaxRecipientCount = 380;
inline constexpr uint16_t kFidBypassFeed = 388;
inline constexpr uint16_t kFidFeedSelector = 409;
inline constexpr uint16_t kFidFeedEdge = 412;
inline constexpr uint16_t kFidSecondFeedEdge = 413;
inline constexpr uint16_t kFidDefaultFeedEdge = 438;
inline constexpr uint16_t kFidBookletSource = 446;
inline constexpr uint16_t kFidBookletCount = 465;
inline constexpr uint16_t kFidBookletCountOn = 1328;
inline constexpr uint16_t kFidFaxHour = 1801;
inline constexpr uint16_t kFidFaxMinute = 1802;
inline constexpr uint16_t kFidUserCodeText = 1831;
inline constexpr uint16_t kFidPageListFirst = 1834;
inline constexpr uint16_t kFidPageListLast = 1853;
inline constexpr uint16_t kFidSubAddressing = 4142;
inline constexpr uint16_t kFidFaxSendTime = 4369;
inline constexpr uint16_t kFidOwnerAccountText = 5150;
inline constexpr uint16_t kFidAccountMode = 5163;
inline constexpr uint16_t kFidPromptAdministrator = 5164;
inline constexpr uint16_t kFidPromptUser = 5165;
inline constexpr uint16_t kFidUserKeyA = 5168;  // with 5169: the user the printer record was made for
inline constexpr uint16_t kFidUserKeyB = 5169;
inline constexpr uint16_t kFidPromptText = 5174;
inline constexpr uint16_t kFidOwnerKindAccount = 5178;
inline constexpr uint16_t kFidPromptUnknown = 5183;
inline constexpr uint16_t kFidUserNameAllowed = 5203;
inline constexpr uint16_t kFidUserName = 8193;
inline constexpr uint16_t kFidDelayedTime = 32784;
inline constexpr uint16_t kFidUserText = 36902;

// Read by the document events of the interface library.
inline constexpr uint16_t kFidColourProfileKind = 286;   // 2: ICC profiles
inline constexpr uint16_t kFidOutputBinChosen = 331;
inline constexpr uint16_t kFidAnnotationPlacementFirst = 351;  // 351-356, one per annotation text
inline constexpr uint16_t kFidDocPropertyFile = 374;     // the document-property file of the job
inline constexpr uint16_t kFidFaxOneHeader = 379;        // one job header for all recipients
inline constexpr uint16_t kFidPerUserStore = 439;        // 1: settings blobs in the per-user store
inline constexpr uint16_t kFidUserPaperMarginsFromUser = 463;
inline constexpr uint16_t kFidAnnotationUserName = 1296; // 1296-1301: which annotation texts print
inline constexpr uint16_t kFidAnnotationOwner = 1297;
inline constexpr uint16_t kFidAnnotationDocument = 1298;
inline constexpr uint16_t kFidAnnotationJobNumber = 1299;
inline constexpr uint16_t kFidAnnotationDate = 1300;
inline constexpr uint16_t kFidAnnotationTime = 1301;
inline constexpr uint16_t kFidSpecialJob = 1332;
inline constexpr uint16_t kFidCoverSheetOn = 1339;
inline constexpr uint16_t kFidKeepOutputBin = 1359;
inline constexpr uint16_t kFidStoredPrintFile = 1830;
inline constexpr uint16_t kFidJobHeaderMode = 5146;
inline constexpr uint16_t kFidTrailerMargins = 387;      // effective 1: paper words in the settings trailer

// The fax settings of a fax model's job, read by both libraries.
inline constexpr uint16_t kFidFaxInformationPage = 376;  // 1: an information page ahead of the document
inline constexpr uint16_t kFidFaxCoverForm = 377;        // non-zero: the cover sheet is a form file (setting 1830)
// 1: the information page is the whole job (a sample of it); the interface
// library asks no destinations and no questions for such a job.
inline constexpr uint16_t kFidFaxInformationOnly = 381;

// Print-time user identification (with kFidUserIdMode, kFidAccountMode, the two
// prompt flags, kFidPromptText = the user ID, kFidPromptUnknown = the
// identification mode and kFidUserNameAllowed = identification wanted).
inline constexpr uint16_t kFidIdentificationEnabled = 5204;  // byte: 0 mode 0, 1 mode 1, 2 the user's choice
inline constexpr uint16_t kFidIdentificationMode = 4367;     // installable option: 3 user accounts
inline constexpr uint16_t kFidIdentPassword = 5175;          // scrambled on models that keep codes scrambled
inline constexpr uint16_t kFidIdentDomain = 5176;
inline constexpr uint16_t kFidIdentAccount = 5215;
inline constexpr uint16_t kFidIdentUserName = 5184;          // the two texts of mode 1
inline constexpr uint16_t kFidIdentUserPassword = 5185;
inline constexpr uint16_t kFidIdentMaskAdmin = 5170;         // 5170-5173: fields shown as "*" by mode
inline constexpr uint16_t kFidIdentMaskUser = 5171;
inline constexpr uint16_t kFidIdentMaskDomainAdmin = 5172;
inline constexpr uint16_t kFidIdentMaskDomainUser = 5173;
inline constexpr uint16_t kFidUserCodeMinimum = 4366;       // installable option: the least code length
