// What the job asks of its sheets, taken from the settings when the document
// starts and again when the job begins (escape overrides may have changed the
// settings in between): copies collated by the driver, reverse order, two-sided
// faces, separator, trailer and interleaf sheets, form registration, the page
// label, the page options, the colour-mode pair and the account code.
#pragma once
#include <cstdint>

struct PDevRecord;

inline constexpr uint32_t kInterleafListLength = 20;

struct JobOptions {
    uint32_t copies;           // setting 12, at least 1
    uint32_t collateByReplay;  // copies > 1, collated, and collation left to the driver
    uint32_t reverseOrder;
    uint32_t twoSided;         // duplex 2 or 3
    uint32_t formRegistration; // the job registers a form in the printer ("EE", no "FA")
    uint32_t jobType;          // setting 334: 1, 2, 3, else 0
    uint32_t specialOutputMode;  // setting 1313 on: 2 when setting 441 is non-zero, else 1; else 0
    uint32_t tonerSave;          // setting 1320 on
    uint32_t pageLabel;
    uint32_t pageOptions;      // "FC"/"FH" at duplex changes
    uint32_t sameOutputPaper;  // one page to a sheet printed on the document's own paper, page by page
    int32_t colourPair[2];     // settings 1293 and 1294, -1 when the stream is too old
    uint32_t colourMode;       // JobColourMode at the snapshot
    uint32_t accountFlag;      // the ticket's colour pages carry the account code
    uint32_t accountCode;      // 0-255
    uint32_t accountKind;      // 0, 1 or 2
    uint32_t separatorMode;    // 1 first sheet from the separator source, 2 an empty separator sheet
    int32_t separatorSource;
    uint32_t trailerSheet;
    int32_t trailerSource;
    uint32_t interleafSheets;
    int32_t interleafSource;
    uint16_t interleafList[kInterleafListLength];  // sheet numbers, 0 = used or none
    uint32_t bookletCount;     // the header's "@BKTP=" line carries the booklet's sheet-side count
    uint32_t externalConversion;  // setting 1343: the faces go through the outside processing library
    uint32_t recordPages;      // sheet faces are recorded and replayed at the job end
    uint32_t deferredStreamBegin;
    // A fax model's job (the fax destinations come with escape 20516).
    uint32_t faxInformationPage;  // the driver's information page goes ahead of the document
    uint32_t faxInformationOnly;  // the information page is the whole job
    uint32_t faxPerDestination;   // one printer job per destination, each with its own page
    uint32_t faxDestinations;     // setting 380
    uint32_t faxCoverMode;        // 2: the cover is a form file named by label; 1: the model's frame file
};

// Where the sheets stand beyond the page counters.
struct SheetState {
    int32_t keptDuplexMode;    // 0 none yet; 1 one-sided, 2 long edge, 3 short edge
    int32_t paperSource;       // the current sheet's source
    uint8_t replayedFrame[32]; // the page frame of the face replayed last (all 0: none yet)
    uint32_t replayedKind;     // its sheet kind, 0 none yet
    int32_t firstSource;       // the source of the job's first face (0: not taken yet)
    uint32_t cover;            // the separator's first sheet cannot take a back face: a cover of its own
    uint16_t keptPaper;        // the model paper the sheets were last printed on (0: none)
};

// Whether the caller asks with all of the flag bits 1, 2 and 4 and the model
// answers collation as available (1) or available through the printer's
// stream (2).
bool IsCollationAvailable(PDevRecord* pdev, uint32_t flags);

// The job's colour mode: 1 colour, 2 monochrome, 0 left to the printer
// (setting 270's 3 is 0 only when setting 1289 lets the printer choose).
uint32_t JobColourMode(PDevRecord* pdev);

// Fills `options` from the record's settings and model. 0, or -1 for a duplex
// setting outside 1-3 (the document cannot start).
int TakeJobOptions(PDevRecord* pdev, JobOptions* options);

// Sheet commands at the first stream version that knows them.
inline constexpr uint32_t kColourPairVersion = 0x01010601;   // 1.6.1
inline constexpr uint32_t kPageLabelVersion = 0x01010902;    // 1.9.2
inline constexpr uint32_t kSheetBreakVersion = 0x01010903;   // 1.9.3: "FC" starts a new sheet
inline constexpr uint32_t kSeparatorSheetVersion = 0x01020000;  // 2.0.0: separator sheets, "FE"
inline constexpr uint32_t kPageOptionsVersion = 0x01020008;  // 2.0.8
