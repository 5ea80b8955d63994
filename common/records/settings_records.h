// The settings records that cross library boundaries and are stored: the
// 5900-byte settings record (the whole DEVMODE with the private part), the
// 5924-byte extended form that the interface library hands to the graphics
// library, and the buffers for both record forms.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "common/settings/value_types.h"

// Record forms of the buffer operations.
constexpr int kOrdinaryDevmodeForm = 1;  // the 1604-byte DEVMODE the spooler sees
constexpr int kSettingsRecordForm = 0;   // any other form: the 5900-byte record

constexpr uint16_t kPublicSpecVersion = 1025;
constexpr uint16_t kPublicDriverVersion = 21072;
constexpr uint16_t kOrdinaryDriverExtra = kPrivatePartOffset - kPublicDevmodeSize;  // 1384

constexpr uint32_t kExtendedSettingsRecordSize = 5924;
constexpr uint16_t kExtendedDriverExtra = kExtendedSettingsRecordSize - kPublicDevmodeSize;  // 5704
constexpr uint16_t kSettingsTrailerMark = 24;

// Offsets of public DEVMODEW fields read from raw records.
constexpr size_t kDmSpecVersionOffset = 64;
constexpr size_t kDmSizeOffset = 68;
constexpr size_t kDmDriverExtraOffset = 70;
constexpr size_t kDmFieldsOffset = 72;
static_assert(kDmSpecVersionOffset == offsetof(DEVMODEW, dmSpecVersion));
static_assert(kDmSizeOffset == offsetof(DEVMODEW, dmSize));
static_assert(kDmDriverExtraOffset == offsetof(DEVMODEW, dmDriverExtra));
static_assert(kDmFieldsOffset == offsetof(DEVMODEW, dmFields));

// Paper and margin values taken when a printer DC is created, after the
// settings record in the extended form.
struct SettingsTrailer {
    uint16_t mark;        // kSettingsTrailerMark: mark and length
    uint16_t paperSize;   // the effective dmPaperSize
    uint16_t modelPaper;  // the model paper number matched to it
    uint16_t margin[4];   // in the order of the page record
    uint16_t zero;
    uint32_t customSize;         // setting 5201 when the model has custom sizes, else 0
    uint32_t colorModeEnforced;  // 1 when ColorMode has an enforced configured value
};
static_assert(sizeof(SettingsTrailer) == 24);
static_assert(offsetof(SettingsTrailer, paperSize) == 2);
static_assert(offsetof(SettingsTrailer, margin) == 6);
static_assert(offsetof(SettingsTrailer, customSize) == 16);
static_assert(offsetof(SettingsTrailer, colorModeEnforced) == 20);

struct ExtendedSettingsRecord {
    uint8_t settings[kSettingsRecordSize];
    SettingsTrailer trailer;
};
static_assert(sizeof(ExtendedSettingsRecord) == kExtendedSettingsRecordSize);
static_assert(offsetof(ExtendedSettingsRecord, trailer) == 5900);

// A zero-filled global block of the form's size (the caller frees it), or null.
uint8_t* AllocSettingsRecord(int form);
uint32_t GetSettingsRecordSize(int form);
void CopySettingsRecord(void* target, const void* source, int form);
// The 4296-byte private part (from byte 1604) of one whole settings record
// into another; nothing for a null record.
void CopyPrivatePart(void* target, const void* source);
void ClearSettingsRecord(void* record, int form);

// 1 when the `available` bytes at `record` hold an extended record: dmSize +
// dmDriverExtra is 5924 and the trailer mark is 24.
int IsExtendedSettingsRecord(const void* record, size_t available);

// What the trailer is made of; the caller finds the model paper (0: none), its
// margins (paper_margins.h) and the configured state.
struct TrailerSources {
    uint16_t modelPaper;
    uint32_t margins[4];
    uint32_t customSize;
    bool colorModeEnforced;
};

// Fills the trailer from the settings record's effective paper size: the six
// paper words stay 0 when the effective value of setting 387 is 0 or no model
// paper matched. 1 ok, 0 when a value cannot be read.
int FillSettingsTrailer(SettingsTrailer* trailer, void* settingsRecord, void* printerSettingsRecord,
                        const TrailerSources& sources);

// Makes `record` the extended form: the settings record, the public size fields
// set to 220 and 5704, and the trailer. 1 ok.
int BuildExtendedSettingsRecord(ExtendedSettingsRecord* record, const void* settingsRecord,
                                void* printerSettingsRecord, const TrailerSources& sources);

// 1 when the DEVMODE's spec version, size fields and private version stamp
// (settings 2, 4, 5 and 257) pass their item checks, else 0. `available` is the
// bytes the caller holds at `record`: the stamp after the public part is read
// only when the record holds it and its size fields claim no more than that.
int ValidateDevmodeCoreFields(const void* record, size_t available);

// Maps a file read-only (shared reading, existing files only). `view` and
// `cursor` both get the view's address; `size` (optional) the file size. The
// caller unmaps with UnmapViewOfFile. 1 ok.
int MapFileReadOnly(const wchar_t* fileName, const uint8_t** view, const uint8_t** cursor, uint32_t* size);

// Called once per process under the merge lock by the non-interactive merge and
// the property-sheet builder; it has nothing to do and answers 0. The follow-up
// runs only on a non-zero answer and answers 1.
int RunOnceHook();
int HandleOnceHookResult(int hookResult);
