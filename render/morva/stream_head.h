// The two text lines that open a MORVA stream, after the job-language header.
#pragma once
#include "render/output/output_stream.h"

#include <cstdint>

// Stream versions are 0x01MMmmpp (major, minor, patch). The version line
// carries the job's version clamped to this range.
constexpr uint32_t kLowestStreamVersion = 0x01010501;   // 1.5.1
constexpr uint32_t kHighestStreamVersion = 0x01020018;  // 2.0.24

uint32_t ClampStreamVersion(uint32_t version);
// Whether stream version `a` is `b` or newer; versions compare as numbers.
constexpr bool StreamVersionAtLeast(uint32_t a, uint32_t b) { return a >= b; }

// Line 1, "%ZQRQD-<major>.<minor>.<patch>%" LF. Returns the length written
// into `out` (at least 32 bytes).
int FormatStreamVersionLine(uint32_t version, char* out);
// Line 2, "%WINNT-<major>.<minor>,RQDDRV-2801.1%" LF with the system version in
// hexadecimal. Returns the length written into `out` (at least 48 bytes).
int FormatSystemLine(uint32_t osMajor, uint32_t osMinor, char* out);

// Writes both lines through the raw writer; the system version comes from
// GetVersionExW (5.0 when that fails). 0 or -1.
int WriteStreamHead(OutputStream* stream, uint32_t version);
