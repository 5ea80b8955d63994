// The paper region class of the process (1: letter-paper countries, 2: all
// others): from the user's country unless the model does not allow it, and
// replaced by escape 20736. It is the region the model defaults of paper
// settings follow, kept by the common library under the Locale lock role.
#pragma once
#include <cstdint>

struct ModelDataRecord;

uint16_t GetPaperRegionClass(ModelDataRecord* model);
void SetPaperRegionClass(uint16_t regionClass);
