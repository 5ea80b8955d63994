// The device maker's job-instruction maker: an optional library, named by the
// model data, that writes the block opening a job header from a job-instruction
// data block. The header is written without it when the model does not ask
// for the block.
#pragma once
#include <windows.h>

#include <cstdint>

#include "common/job/job_text.h"

struct SettingsContext;

// The library's functions, resolved by these names.
using VpifMakerInitializeProc = void* (*)(HANDLE printer);                      // null: failure
using VpifMakerSetSpSettingProc = BOOL (*)(void* maker, const void* data, DWORD length, DWORD* accepted);
// Without a buffer, *size receives the size the block needs; with one, the
// block is written into at most `capacity` bytes and *size receives its size.
using VpifMakerGetVpifProc = BOOL (*)(void* maker, void* buffer, DWORD capacity, DWORD* size);
using VpifMakerFinalizeProc = void (*)(void* maker);

inline constexpr char kVpifMakerInitialize[] = "VPIFMaker_Initialize";
inline constexpr char kVpifMakerSetSpSetting[] = "VPIFMaker_SetSPSetting";
inline constexpr char kVpifMakerGetVpif[] = "VPIFMaker_GetVpif";
inline constexpr char kVpifMakerFinalize[] = "VPIFMaker_finalize";

inline constexpr uint16_t kJobInstructionMakerFileName = 25;  // model data file name
inline constexpr uint16_t kJobInstructionCapability = 61;

// With out: the block appended, its length the result. Without out: the size
// the block needs. 0 when the model or the data asks for none, or a negative
// code. The block is copied up to its first NUL and never past the size the
// library reported.
int WriteJobInstructionBlock(const SettingsContext* settings, HANDLE printer, void* settingsRecord,
                             void* printerSettingsRecord, const void* data, uint32_t length, JobText* out);
