// The smallest and largest paper a user may define, from a paper record of the
// model (tenths of a millimetre).
#pragma once
#include <cstdint>

struct SettingsContext;

// The model paper record of the paper code: its minimum and maximum user size
// pairs, each plus both of the paper's margin pairs (a sum above 65535 stays
// 65535). 1 on success, 0 when the record cannot be loaded.
int GetUserPaperSizeLimits(const SettingsContext* context, uint16_t paperCode, uint16_t* minWidth,
                           uint16_t* minLength, uint16_t* maxWidth, uint16_t* maxLength);
