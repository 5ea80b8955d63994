// Answers about the printer model that the settings code asks of a loaded model
// data record: its driver kind and its capability words.
#pragma once
#include <cstdint>

#include "common/model/model_data.h"
#include "common/settings/capability_bits.h"

// Byte 0 of raw section 23 as a driver kind: stored 0-3 are kinds 1-4 (2 fax,
// 3 printer, 4 printer and fax); any other byte, and no record, 0.
int GetModelDriverKind(ModelDataRecord* model);
// Kind 3 or 4.
bool IsPrinterDriverKind(ModelDataRecord* model);
// A fax model (kind 2), or a printer-and-fax model (kind 4) whose job type
// (setting 334, read from the settings record alone) is 5.
bool IsFaxJob(ModelDataRecord* model, void* settingsRecord);

// Word 0 from raw section 26; words 1 and 2 from entries 0 and 1 of raw section
// 39 when the record's own file has data format 5632 or later. 1, or 0 for a
// missing argument.
int GetModelCapabilityBits(ModelDataRecord* model, CapabilityBits* bits);
// False without a record.
bool TestModelCapability(ModelDataRecord* model, CapabilityId id);
