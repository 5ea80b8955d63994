// Page-level commands that a recorded logical page holds back as items, their
// replay onto a sheet, the crop marks of a sheet, and the private drawing
// functions a printer's stream version allows.
//
// While a page is recorded (N-up, booklet, duplex ordering) its media,
// placement and sheet commands cannot be sent as drawn: the sheet decides
// them. The recording flags of the page state say which of them become items.
#pragma once
#include "render/command/command_layer.h"

#include <cstddef>
#include <cstdint>

enum PageItemKind : uint16_t {
    kItemPageMedia = 0,    // "Ec" (+ "AA")
    kItemSheetOutput = 1,  // "FB"
    kItemSheetEnd = 2,     // "ED"
    kItemPlacement = 3,    // "Aa"
    kItemClipReset = 4,    // "AR"
};

// Recording flags of the page state.
inline constexpr uint16_t kRecordingOn = 0x8000;
inline constexpr uint16_t kRecordingPageOpen = 0x0001;
inline constexpr uint16_t kRecordPageMedia = 0x0004;
inline constexpr uint16_t kRecordSheetOutput = 0x0008;
inline constexpr uint16_t kRecordSheetEnd = 0x0010;
inline constexpr uint16_t kRecordPlacement = 0x0020;

// Which items a replay acts on; the others are skipped.
inline constexpr uint32_t kReplayPageMedia = 0x01;
inline constexpr uint32_t kReplaySheetOutput = 0x02;
inline constexpr uint32_t kReplaySheetEnd = 0x04;
inline constexpr uint32_t kReplayPlacement = 0x08;
inline constexpr uint32_t kReplayClipReset = 0x10;

inline constexpr uint32_t kPageGeometryBytes = 32;

#pragma pack(push, 1)
struct PageMediaItem {
    uint32_t code1;
    uint32_t code2;
    uint32_t kindLetter;
    float width;
    float height;
    uint8_t geometry[kPageGeometryBytes];
    uint32_t pageOptions;  // the orientation type that decides "AA"
    uint32_t mediaType;
};

struct PlacementItem {
    float matrix[6];
    uint32_t flags[3];  // page flags bits 6, 7 and 8: which base matrix of the sheet applies
    uint8_t geometry[kPageGeometryBytes];
    uint32_t geometryValue;
};
#pragma pack(pop)
static_assert(sizeof(PageMediaItem) == 60);
static_assert(offsetof(PageMediaItem, geometry) == 20);
static_assert(sizeof(PlacementItem) == 72);
static_assert(offsetof(PlacementItem, geometry) == 36);

// "Ec", and "AA" with the orientation type for streams from 2.0.6 when the
// type is 1 to 4.
int EmitPageAttributes(CommandLayer* layer, uint8_t code1, uint8_t code2, uint8_t kindLetter, float width,
                       float height, uint32_t orientationType);

// Each records its item when the recording flags ask for it, else sends the command.
int SetPageAttributes(CommandLayer* layer, uint16_t recordingFlags, const PageMediaItem& item);
int EmitSheetEndFB(CommandLayer* layer, uint16_t recordingFlags);
int EmitPageEndED(CommandLayer* layer, uint16_t recordingFlags);
int EmitClipResetForPage(CommandLayer* layer, uint16_t recordingFlags);
// A recorded placement becomes the cached matrix without being sent, so that
// the page's own drawing does not send it again.
int SetPagePlacement(CommandLayer* layer, uint16_t recordingFlags, const PlacementItem& item);

// What the sheet does with the items that carry page state: restore the page
// geometry (media) and compute the sheet's placement. Each answers 0 or -1.
struct PageReplayHooks {
    void* context;
    int (*restoreMedia)(void* context, const PageMediaItem& item);
    int (*placement)(void* context, const PlacementItem& item, float out[6]);
};

// Copies recorded page `page` to the stream with the state cache off, acting
// on the items in `mask`. A non-negative `mediaCode` replaces the recorded
// first media code. 0, or -1 when the page cannot be read, a piece is not
// taken whole, or an item is malformed.
int CopyRecordedPage(CommandLayer* layer, uint32_t page, uint32_t mask, int32_t mediaCode,
                     const PageReplayHooks& hooks);

// Crop marks of a sheet of `width` x `height` device pixels; the command
// layer's page values are reset afterwards.
int DrawCropMarks(CommandLayer* layer, int32_t xResolution, int32_t yResolution, int32_t width, int32_t height);

// ---- Private drawing functions ----
struct EscapeFunctionRow {
    uint16_t functionId;
    uint16_t escape;
    uint32_t minimumVersion;
    uint32_t capabilities[3];
};

// The printer and job facts the check depends on.
struct EscapeFunctionConditions {
    uint32_t streamVersion;      // from the printer's capability record
    bool jobHeaderOn;            // setting 1333, the job header switch
    bool supportsOption4;        // printer support for capability bits 0x4 and 0x8 of 0x1104
    bool supportsOption8;
    int32_t pageRecordValue;     // the page record value of escape 20496
    uint32_t capabilityThird;    // the capability record's third value
    uint32_t setting5202;
};

inline constexpr uint32_t StreamVersion(uint32_t major, uint32_t minor, uint32_t patch)
{
    return 0x01000000u | major << 16 | minor << 8 | patch;
}

// 0 with the row copied when the function is allowed, -1 otherwise.
int LookupEscapeFunction(uint16_t functionId, const EscapeFunctionConditions& conditions, EscapeFunctionRow* row);
