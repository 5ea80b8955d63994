// Pictures the model data describes (controls 1310 and 1187): a table of
// pictures, each shown when its conditions on the current settings hold.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "ui/illustration/picture_loading.h"

struct ModelDataRecord;
struct ModelTerm;

inline constexpr int kModelPictureControl = 1310;     // conditions on the paper settings only
inline constexpr int kPrinterPictureControl = 1187;   // all conditions

// Reads a setting's current value: its type and an 8-byte holder (strings as
// a pointer). False when it cannot be read.
using PictureValueReader = bool (*)(void* reader, uint16_t setting, uint16_t* type, uint64_t* holder);

// Which conditions count for a control: for 1310 those on settings 4097-4371
// and 5123; for 1187 all but those on 4114 when `skip4114`.
bool PictureConditionCounts(int controlId, uint16_t setting, bool skip4114);

// Tests a picture's conditions in order. Mode 1 holds when the value is one of
// the listed values, mode 2 when it is none of them; a run of "or" conditions
// and the one after it are alternatives; a failing condition skips to the end
// of its group; a holding condition that ends a group (kind 3 or 4) stops the
// test. *shown: the last condition tested held. 0, or 3 when a value could
// not be read.
uint16_t TestPictureConditions(const ModelTerm* terms, size_t count, int controlId, bool skip4114,
                               ModelDataRecord* source, PictureValueReader read, void* reader, bool* shown);

// The layers of the model's pictures whose conditions hold, from the dialog's
// settings. 0 with a list (none when no picture is shown), 3, 4.
uint16_t ModelPictureLayers(HMODULE module, HWND dialog, int controlId, BitmapLayer** list, HPALETTE* palette);
