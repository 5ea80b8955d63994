// The paper region class of the process (1: letter-paper countries, 2: all
// others): from the user's country unless the model does not allow it, and
// replaced by escape 20736. Kept under the Locale lock role.
#pragma once
#include <cstdint>

struct ModelDataRecord;

uint16_t GetPaperRegionClass(ModelDataRecord* model);
void SetPaperRegionClass(uint16_t regionClass);
