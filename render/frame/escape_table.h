// DrvEscape: one table row per escape code with the sizes it takes, and one
// handler per row. The sizes are checked here before a handler runs, so every
// handler reads only what the row allows.
#pragma once
#include <windows.h>
#include <winddi.h>

#include <cstdint>

struct PDevRecord;

struct EscapeCall {
    PDevRecord* pdev;
    uint32_t code;
    uint32_t inSize;
    const uint8_t* in;
    uint32_t outSize;
    uint8_t* out;
};
using EscapeHandler = int32_t (*)(const EscapeCall& call);

enum EscapeSizeRule : uint8_t {
    kSizeAny,      // not looked at
    kSizeExact,    // present and exactly this size
    kSizeAtLeast,  // present and at least this size
    kSizeOptional, // absent, or present with at least this size (an output written only then)
};
struct EscapeSize {
    EscapeSizeRule rule;
    uint32_t bytes;
};

// Row flags.
inline constexpr uint8_t kEscIgnoredWhileLocked = 0x1;  // answers 1 and changes nothing during a settings batch
inline constexpr uint8_t kEscFailsWithError = 0x2;      // a size fault is error 87 and 0, not -1

struct EscapeRow {
    uint32_t code;
    EscapeSize in;
    EscapeSize out;
    uint8_t flags;
    EscapeHandler handler;
};

// The row of a code, or null.
const EscapeRow* FindEscapeRow(uint32_t code);

// The whole answer of DrvEscape.
ULONG EscapeBody(SURFOBJ* surface, ULONG code, ULONG inSize, PVOID in, ULONG outSize, PVOID out);

// Handlers of the private drawing escapes (escape_drawing.cpp).
int32_t EscDrawControl(const EscapeCall& call);
int32_t EscChunkedImage(const EscapeCall& call);
int32_t EscDrawMode(const EscapeCall& call);
int32_t EscJobOverride(const EscapeCall& call);
int32_t EscDrawData(const EscapeCall& call);

// The capability record's stream version is the printer's own, as its
// setting gives it: a stream outside the versions the drawing functions know
// allows none of them, where the job's stream is clamped into that range.
void TakeCapabilityStreamVersion(PDevRecord* pdev);

// Writes a u32 (or u16) answer when the caller gave room for it.
void WriteEscapeOutput32(const EscapeCall& call, uint32_t value);
void WriteEscapeOutput16(const EscapeCall& call, uint16_t value);
// Replaces a data slot with a copy of the bytes (null, 0: empties it). -1 when
// memory runs out (the slot is then empty).
int32_t ReplaceEscapeSlot(PDevRecord* pdev, int slot, const uint8_t* bytes, uint32_t length);
