// The device record: one per printer device context, created by DrvEnablePDEV
// in a private heap of its own and handed to the engine as the device handle.
// Every entry point that takes a device record checks it with IsValidPdev first.
// The record lives in memory only; its layout is no contract with anyone.
#pragma once
#include "common/job/private_escapes.h"
#include "common/settings/value_types.h"
#include "render/device/geometry_record.h"

#include <windows.h>
#include <winddi.h>

#include <cstdint>

struct SettingsContext;
struct ModelSection;
struct OutputStream;
struct CommandLayer;
struct ColourConversionBinding;
struct PageColours;

// A four-character tag as the compiler's multi-character constant would hold it
// ("RQDD" -> 0x52514444), written without relying on that extension.
constexpr uint32_t FourCharTag(const char (&tag)[5])
{
    return uint32_t(uint8_t(tag[0])) << 24 | uint32_t(uint8_t(tag[1])) << 16 | uint32_t(uint8_t(tag[2])) << 8 |
           uint32_t(uint8_t(tag[3]));
}
inline constexpr uint32_t kPdevMagic = FourCharTag("RQDD");

// Device flag word (PDevRecord::flags).
inline constexpr uint32_t kPdevDocumentStarted = 0x4;
inline constexpr uint32_t kPdevJobSetupFailed = 0x8;
inline constexpr uint32_t kPdevPageBeforeJob = 0x4000;
inline constexpr uint32_t kPdevPageOpen = 0x8000;
inline constexpr uint32_t kPdevTookOverJob = 0x100000;
// Set by no path of this driver, but carried over from a record that had them:
// while any is set a page start changes nothing (0x8000, the page open, too).
inline constexpr uint32_t kPdevPageStartIgnored = 0x400000 | 0x80000 | 0x10000 | kPdevPageOpen;
// Cleared at each page start; 0x800000 also when the record took over a job.
inline constexpr uint32_t kPdevClearedAtPageStart = 0x200000;
inline constexpr uint32_t kPdevClearedAfterTakeOver = 0x800000 | kPdevTookOverJob;
inline constexpr uint32_t kPdevHandedOverJob = 0x80000000;
// The flags a record taking over a running job keeps from the old one.
inline constexpr uint32_t kPdevCarriedFlags = 0x1094104;

// PageState words (PDevRecord::pageState).
inline constexpr uint32_t kPageDocumentStarted = 0x1;
inline constexpr uint32_t kPageJobBegun = 0x2;
inline constexpr uint32_t kPageSheetRuns = 0x4;  // a sheet face is being filled
inline constexpr uint32_t kPageSequenceRuns = 0x7;
inline constexpr uint32_t kPageBegun = 0x8;
inline constexpr uint32_t kPageSettingsDue = 0x40;
inline constexpr uint32_t kPageDrawingSeen = 0x80;
inline constexpr uint32_t kPageDrawingRefused = 0x8000;

// JobRecord escape flag word (JobRecord::escapeFlags).
inline constexpr uint32_t kJobSettingsReceived = 0x01;
inline constexpr uint32_t kJobSettingsBatchLock = 0x10;

// What the job asks of its sheets, taken from the settings when the document
// starts and again when the job begins (escape overrides may have changed the
// settings in between).
inline constexpr uint32_t kInterleafListLength = 20;

enum JobLayoutKind : uint32_t {
    kLayoutPlain = 0,
    kLayoutPoster = 1,
    kLayoutBooklet = 2,
};

struct JobLayout {
    uint32_t kind;                       // JobLayoutKind
    int16_t posterColumns, posterRows;   // 1 x 1 unless a poster
    uint32_t cropMarks;                  // a poster's sheets carry crop marks
    // Booklet: how the pages are divided into signatures (setting 446: 0 one
    // signature, 1 divided by the model, 2 by the user) and the sheets of one.
    uint32_t bookletBinding;
    uint32_t signatureSheets;
};

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
    JobLayout layout;             // poster, booklet or plain (settings 321, 296, 446)
    int32_t pagesPerSide;         // setting 295: 2, 4, 8, 16 or 32, else 1
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

// Lengths of a form record are in 1/18432 inch (1/256 point).
struct FormRecord {
    wchar_t name[32];
    int32_t paperWidth, paperHeight;
    int32_t left, top, right, bottom;  // imageable area; right and bottom from the left and top edges
    int32_t pageWidth, pageHeight;     // the paper after rotation
    uint32_t rotated;
    uint32_t fromSpoolerForms;
    ModelSection* modelPaper;          // the model paper that matched; freed with the record
    uint16_t paperNumber;              // of that model paper; 0 for other sizes
    bool fromModelDefault;             // the model's default paper, which follows the paper region
};

// The job's state that the escapes and the job control share.
struct JobRecord {
    uint32_t streamVersion;
    uint32_t escapeFlags;
    uint32_t begun;             // the first drawing call began the job
    uint32_t startedByInterface;  // escape 20512
    uint32_t suppressFileStep;  // escape 20523
    uint8_t coverSheetValue[8]; // escape 20528
    uint32_t replayMode;        // escape 20544
    uint32_t extraPage;         // escape 20548
    wchar_t documentName[261];  // escape 20515
};

// The capability record of the private drawing escapes.
struct CapabilityRecord {
    uint32_t enabled;
    uint32_t streamVersion;
    uint32_t setting4103;
    uint32_t modelFlag;      // the model has the private drawing escapes
    uint32_t modeWord;
    uint16_t subMode;
    int32_t duplex, pagesPerSheet, nupOrder, orientation, layout, grid, colourMode;  // -1: no override
    uint32_t overridesApplied;
    uint32_t overridden;     // bit n: setting n of the overrides was replaced
    int32_t savedValues[7];  // the overridden settings' values before the job
};

// A copy of an escape's data block (GlobalAlloc), replaced as a whole.
struct EscapeDataSlot {
    uint8_t* data;
    uint32_t length;
};
enum EscapeSlot { kSlotA, kSlotB, kSlotC, kSlotD, kSlotE, kSlotCount };

// The pre-built job header table of escape 20517, as received.
struct JobHeaderTable {
    uint8_t* block;   // GlobalAlloc copy of the escape's input
    uint32_t count;
    uint32_t stride;
};

// The transfer state of chunked images (escape 4210).
struct ChunkTransfer {
    uint32_t id;        // 0: no transfer runs
    uint32_t lastId;
    uint32_t total;
    uint32_t received;
    uint8_t* data;      // the chunks so far (GlobalAlloc, `total` bytes)
};

// Where the job stands on its sheets.
struct PageCounters {
    uint32_t facePages;   // logical pages on the sheet face being filled
    uint32_t sheets;      // sheets finished before the current one
    uint32_t faces;       // faces ended or skipped
    uint32_t faceIndex;   // 0 front, 1 back
    uint32_t pages;       // logical pages of the job
    uint32_t recorded;    // sheet faces recorded for the replay at the job end
    uint16_t recording;   // recording word: kRecordingOn, kRecordingPageOpen and the item kinds
};

// The model's values of the fine-outline rule, read at the first text that
// asks for the rule.
struct FineOutlineLimits {
    bool read;
    uint32_t abovePixels;    // the glyph's size lies strictly between these two
    uint32_t belowPixels;
    uint32_t minimumPoints;  // and its outline has at least this many points
};

struct PDevRecord {
    uint32_t magic;
    uint32_t jobId;
    uint8_t settings[kSettingsRecordSize];
    uint8_t* printerSettings;
    HANDLE heap;
    HANDLE printer;
    int32_t resolution;
    int32_t copies;
    HDEV hdev;
    HSURF surface;
    HPALETTE palette;
    uint32_t flags;
    FormRecord requestedForm;
    FormRecord outputForm;
    SettingsContext* settingsContext;
    void* modelMain;
    void* modelLinked;
    uint32_t deviceFontCount;
    void* deviceFonts;
    void* fontTable;
    wchar_t* fontSubstitution;
    OutputStream* stream;
    JobRecord job;
    PageGeometry* geometry;
    uint32_t pageState;
    uint32_t pageCount;         // pages counted for booklet totals
    wchar_t coverSheetFile[MAX_PATH];
    uint16_t marginOverride[6];          // paper number, model paper, four margins of the trailer
    uint16_t previousMarginOverride[6];
    uint32_t customSizeValue;
    uint32_t enforcedFlag;
    uint8_t* annotation;                 // EscAnnotationRecord (GlobalAlloc)
    uint8_t* faxSendList;                // GlobalAlloc copy
    uint32_t faxSendListLength;
    uint32_t driverKind2;
    CapabilityRecord capability;
    void* jobAttributes;
    CommandLayer* commandLayer;
    void* imageBands;
    void* fontDownload;
    FineOutlineLimits fineOutline;
    void* docMonitorJob;
    void* compression[2];
    void* image;
    ColourConversionBinding* colour;     // the job's colour stages; null when none is on
    PageColours* pageColours;            // in the record's heap; null until the first page
    JobHeaderTable headerTable;
    uint8_t* savedSettings;              // 5900 bytes taken at job begin (heap)
    uint8_t jobStrings[kJobStringsSize];
    EscapeDataSlot slots[kSlotCount];
    PageGeometry savedGeometry;          // kept while an inserted page or a replay uses the geometry
    int32_t overlayPlacement[2];
    uint32_t watermarkBracket;
    uint32_t annotationBracket;
    EscPageRecord pageRecord;
    ChunkTransfer chunks;
    void* clipState;
    uint8_t streamBegin;
    uint32_t commentTimer;               // GetTickCount at the last timer restart
    PageCounters counters;
    JobOptions jobOptions;
    SheetState sheetState;
    uint32_t magicEnd;
};

// Non-null, registered as a live record, and both magics intact.
bool IsValidPdev(const PDevRecord* pdev);
// The same for a surface whose device handle is a device record.
PDevRecord* PdevOfSurface(SURFOBJ* surface);

// Creates the heap and a zeroed record in it, registered as live; null on failure.
PDevRecord* AllocPdevRecord();
// Frees the blocks the record owns, its settings context and forms, and
// destroys its heap (the record with it). The drawing state, images, colour
// stages, command layer and stream belong to the floors above; the frame
// frees them first.
void FreePdevRecord(PDevRecord* pdev);

// Settings of the record through the settings-access binding: the low 16 bits,
// the 32-bit value (0 when it cannot be read), a pointer to a string value
// (null on failure), and a 16-bit write (0 ok).
uint16_t GetPdevSettingWord(PDevRecord* pdev, uint16_t id);
uint32_t GetPdevSettingDword(PDevRecord* pdev, uint16_t id);
const wchar_t* GetPdevSettingString(PDevRecord* pdev, uint16_t id);
uint16_t SetPdevSettingWord(PDevRecord* pdev, uint16_t id, uint16_t value);
// A number written with the type the engine reports for the setting (byte and
// 16-bit settings refuse a type of another width). 0 ok.
uint16_t SetPdevSettingNumber(PDevRecord* pdev, uint16_t id, uint32_t value);

// Whether the job asks for the outside processing library (setting 1343).
bool ExternalProcessingAsked(PDevRecord* pdev);
