// How the engine reads the settings it weighs: from the change when it is the
// setting concerned and carries a value, else from the records.
#pragma once
#include <cstdint>

#include "common/constraints/constraint_engine.h"

// A number setting widened to 32 bits (signed types sign-extended). True read.
bool ReadChangeOrSetting(const ConstraintContext* context, const SettingChange* change, uint16_t id,
                         uint32_t* value);
// The setting's current value into an 8-byte holder with its reported type
// (strings as a pointer into the record): the engine's read status.
uint16_t ReadCurrentValue(const ConstraintContext* context, uint16_t id, uint16_t* type, uint64_t* holder);
// A string setting is set when not empty, any other when non-zero.
bool IsSettingSet(const ConstraintContext* context, uint16_t id, bool* set);

struct ModelValue;
// Element i of a model value (after its reference is resolved) in an 8-byte
// holder: the element's bytes, or for a string a pointer to its text. False
// past the count or for a short value.
bool ModelElementHolder(const ModelValue& value, uint16_t i, uint64_t* holder);
