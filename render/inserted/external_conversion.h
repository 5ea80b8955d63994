// The outside processing library of a job (entry point `callHB`): each
// recorded sheet face is replayed into a temporary file, the library turns it
// into a raster file, and that file goes into the job as the face's one
// image. The library is named by the model data and loaded from the system
// directory when present; without it the faces are replayed as they are.
#pragma once
#include "render/command/page_items.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>

struct OutputStream;
struct CommandLayer;

// The records handed to the library as they stand; their layouts are fixed.
#pragma pack(push, 1)
struct ExternalParameterRecord {
    uint32_t size;  // 236
    uint32_t mode;  // 0, 1 or 2 from the job's colour mode
    uint32_t words8to92[22];
    uint8_t reserved[128];
    uint32_t words224to232[3];
};
struct ExternalResultRecord {
    uint32_t size;  // 552
    uint32_t word4;
    uint32_t word8;
    uint32_t word12;
    uint8_t areas[2][260];
    uint32_t words536to548[4];
};
struct ExternalPageRecord {
    uint32_t size;  // 296
    uint32_t word4;
    uint32_t word8, word12;
    uint16_t xResolution, yResolution;
    int16_t xResolution2, yResolution2;
    int16_t xResolution3, yResolution3;
    int16_t sheetWidth, sheetHeight;  // dots
    char tempDirectory[260];          // ANSI, ends with a backslash
    int16_t duplex;                   // 1 one-sided, 2 long edge, 3 short edge or booklet
    uint8_t reserved[2];
};
#pragma pack(pop)
static_assert(sizeof(ExternalParameterRecord) == 236);
static_assert(offsetof(ExternalParameterRecord, reserved) == 96);
static_assert(offsetof(ExternalParameterRecord, words224to232) == 224);
static_assert(sizeof(ExternalResultRecord) == 552);
static_assert(offsetof(ExternalResultRecord, areas) == 16);
static_assert(offsetof(ExternalResultRecord, words536to548) == 536);
static_assert(sizeof(ExternalPageRecord) == 296);
static_assert(offsetof(ExternalPageRecord, sheetWidth) == 28);
static_assert(offsetof(ExternalPageRecord, tempDirectory) == 32);
static_assert(offsetof(ExternalPageRecord, duplex) == 292);

inline constexpr uint32_t kExternalWorkBytes = 14392;

// callHB(input, output, parameters, result, page, work buffer, data file): the
// paths are ANSI. Non-zero when the output file was made.
using CallHbFn = int(WINAPI*)(const char* input, const char* output, ExternalParameterRecord* parameters,
                              ExternalResultRecord* result, ExternalPageRecord* page, uint8_t* work,
                              const char* dataFile);

// What the records and the embedded page are made of, from the job's settings.
struct ExternalJobFacts {
    uint16_t colourMode;  // setting 270
    uint16_t resolution;  // setting 20, both directions
    int32_t sheetWidth;   // the output paper, tenths of a millimetre
    int32_t sheetHeight;
    uint16_t duplex;          // DEVMODE duplex: 1 simplex, 2 long edge, 3 short edge
    bool booklet;             // setting 321 is 2
    bool withoutSheetOutput;  // setting 336 is 1: no "FB"
};

struct ExternalConversionState {
    HMODULE module;
    CallHbFn callHB;
    uint16_t savedMode;
    HANDLE savedFile;
    bool redirected;
    ExternalParameterRecord parameters;
    ExternalResultRecord result;
    ExternalPageRecord page;
    uint8_t* work;       // kExternalWorkBytes
    wchar_t* inputPath;  // MAX_PATH + 1 characters each
    wchar_t* outputPath;
    wchar_t dataPath[MAX_PATH + 1];  // the system directory joined with the data file name
    ExternalJobFacts facts;
    // The face's page attributes, taken when its media item is replayed.
    PageMediaItem media;
};

// Sheet size in dots: tenths of a millimetre x resolution / 254, rounded half up.
int32_t DotsOfTenths(int32_t tenths, int32_t resolution);

// Builds the records and binds `libraryName` (from the system directory) and
// its `callHB`. Null when the colour mode has no library mode, the library or
// its entry is missing, or memory runs out: the job then goes on without it.
ExternalConversionState* SetUpExternalConversion(const ExternalJobFacts& facts, const wchar_t* libraryName,
                                                 const wchar_t* dataName);
void ReleaseExternalConversion(ExternalConversionState* state);

// The stream writes into a fresh temporary file (mode 5) until restored; the
// mode and file it had are kept. 0 or -1.
int RedirectStreamToTempFile(ExternalConversionState* state, OutputStream* stream);
int RestoreStreamFromTempFile(ExternalConversionState* state, OutputStream* stream);
// A replay hook: keeps the face's page attributes for the embedded page.
int KeepExternalPageMedia(void* state, const PageMediaItem& item);

// Hands the face's file to the library and embeds the raster file it makes
// as one image page ("Ec", "Aa", "Cq" with the file's bytes, "FB", "ED"). A
// page the library does not make is left out. Both temporary files are
// deleted whatever happens. 0, or -1 when the stream fails.
int RunExternalConversion(ExternalConversionState* state, CommandLayer* layer);
