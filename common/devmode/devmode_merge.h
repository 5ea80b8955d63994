// The DEVMODE merge: an incoming DEVMODE (foreign, older, partial or our own)
// folded into a settings record field by field, each only when the setting's
// handler accepts the incoming value; then the paper resolved against the
// spooler's forms and the model's papers, and the dependent private settings and
// dmFields bits brought into step.
//
// The input is never trusted: it is read only as far as its dmSize and
// dmDriverExtra state (devmode_input.h). The output is always a whole
// 5900-byte settings record.
#pragma once
#include <windows.h>

#include <cstdint>

struct SettingsContext;
struct InputDevmode;

// Merge modes: the operations of the item handlers.
constexpr uint16_t kMergeCheck = 2;    // a stored or own record merged again
constexpr uint16_t kMergeAccept = 16;  // a DEVMODE from outside

// dmFields bits.
constexpr uint32_t kDmOrientation = 0x1;
constexpr uint32_t kDmPaperSize = 0x2;
constexpr uint32_t kDmPaperLength = 0x4;
constexpr uint32_t kDmPaperWidth = 0x8;
constexpr uint32_t kDmScale = 0x10;
constexpr uint32_t kDmCopies = 0x100;
constexpr uint32_t kDmDefaultSource = 0x200;
constexpr uint32_t kDmPrintQuality = 0x400;
constexpr uint32_t kDmColor = 0x800;
constexpr uint32_t kDmDuplex = 0x1000;
constexpr uint32_t kDmYResolution = 0x2000;
constexpr uint32_t kDmTTOption = 0x4000;
constexpr uint32_t kDmCollate = 0x8000;
constexpr uint32_t kDmFormName = 0x10000;
constexpr uint32_t kDmIcmMethod = 0x800000;
constexpr uint32_t kDmIcmIntent = 0x1000000;
constexpr uint32_t kDmMediaType = 0x2000000;
constexpr uint32_t kDmDitherType = 0x4000000;
constexpr uint32_t kDmPaperFields = kDmPaperSize | kDmPaperLength | kDmPaperWidth | kDmFormName;
constexpr uint32_t kDmResolutionFields = kDmPrintQuality | kDmYResolution;

// 1 merged, 0 failure (the output may then be partly merged: callers fall back
// to defaults). No input: 1 with nothing done. `input` must be readable for the
// larger of 72 bytes and its dmSize + dmDriverExtra.
int MergeInputDevmode(SettingsContext* context, void* settingsRecord, const void* input, void* printerSettingsRecord,
                      HANDLE printer, uint16_t mode);
// The same, with trace dumps and, when the site configuration asks for them,
// the DEVMODE field overrides.
int MergeInputDevmodeWithOverrides(SettingsContext* context, void* settingsRecord, const void* input,
                                   void* printerSettingsRecord, HANDLE printer, uint16_t mode);
// The core over an input already made safe (overrides already laid over it).
int MergeInputDevmodeCore(SettingsContext* context, void* settingsRecord, InputDevmode* input,
                          void* printerSettingsRecord, HANDLE printer, uint16_t mode, uint32_t overrides);

// Our own DEVMODE: dmSize exactly 220, dmDriverExtra at least 1384 (so the
// common part is there), and settings 2, 4, 5, 257 and 259 pass the model's
// check. `record` is a whole settings record (an InputDevmode's or our own).
bool IsOwnDevmode(SettingsContext* context, void* record, void* printerSettingsRecord);
// Bytes 220-1603 of the input over the output, the output keeping its own
// setting 258. 1 ok.
int CopyCommonPart(void* output, const void* input);
// 1 when the input's value of setting `id` may replace the output's.
int IsFieldAcceptable(SettingsContext* context, InputDevmode* input, void* printerSettingsRecord, uint16_t id,
                      uint16_t mode);
// Resolution fields (setting 14, or 20 and 21) of the input into the output. 1 ok.
int MergeResolutionFields(SettingsContext* context, void* output, void* input, void* printerSettingsRecord,
                          uint16_t mode);

// Field syncs between the public fields and the private settings; each 1 ok, 0
// when a read or write fails.
constexpr uint16_t kTrueTypeToSettings = 17;  // dmTTOption into setting 292; any other value the other way
int SyncTrueTypeOption(void* record, void* printerSettingsRecord, uint16_t direction);
int SyncColorField(void* record, void* printerSettingsRecord);
int SyncIcmMethod(void* record, void* printerSettingsRecord);
int UpdateScaleField(void* record, void* printerSettingsRecord);
int UpdatePaperSizeFields(void* record, void* printerSettingsRecord);
int CopySettingUnlessExcluded(void* record, void* printerSettingsRecord, uint32_t excluded, uint16_t source,
                              uint16_t target);
int SyncDefaultSource(void* record, void* printerSettingsRecord);
int RecomputeNonzeroGroupMask(void* record, void* printerSettingsRecord);
int SyncFormName(SettingsContext* context, HANDLE printer, void* record, void* printerSettingsRecord);

// The user paper slot (0-19) of a paper code: its width, length and name
// settings and its default name (at least 66 bytes). 0 when the code names none.
int FindCustomPaperSlot(uint16_t paperCode, uint16_t* widthId, uint16_t* lengthId, uint16_t* nameId,
                        wchar_t* defaultName);

// A paper request and answer: dmPaperSize numbering (256 the free custom size),
// length and width in tenths of a millimetre, the form name (an answer owns its
// copy: FreePaperAnswer).
struct PaperRequest {
    uint16_t code;
    int32_t length;
    int32_t width;
    wchar_t name[32];
};
struct PaperAnswer {
    uint16_t code;
    int32_t length;
    int32_t width;
    wchar_t name[32];  // empty: no name
};

// The input's paper fields resolved and stored into the output (or into the
// input itself when there is no output). 1 ok (also when nothing resolved).
int MergePaperFields(SettingsContext* context, void* output, void* input, void* printerSettingsRecord,
                     HANDLE printer, uint32_t fields);
// True with an answer.
bool ResolvePaper(SettingsContext* context, HANDLE printer, void* record, void* printerSettingsRecord,
                  const PaperRequest& request, uint32_t fields, bool customSizeFlag, PaperAnswer* answer);
// The printer's merged default DEVMODE gives settings 8, 9, 10 and 19 to the record. 1 ok.
int ResetDevmodePaperFromPrinter(SettingsContext* context, HANDLE printer, void* record);
