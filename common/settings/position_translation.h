// Finishing positions: translation between the edge, staple and punch values
// (settings 267, 320, 341) and their position codes (325, 326, 344). Which
// value belongs to a code depends on whether the document orientation
// (setting 7) and the feed orientation (setting 295) agree.
#pragma once
#include <cstdint>

struct PositionRecord {
    uint16_t orientationKey;     // setting 7: 1 portrait, 2 landscape
    uint16_t feedOrientation;    // setting 295: 1, 4, 16 one group; 2, 8, 32 the other
    uint16_t value;              // staple or punch value, input of ComputePositionCode
    uint16_t code;               // position code, input of the other two
};
static_assert(sizeof(PositionRecord) == 8);

// Status of the translations.
inline constexpr uint16_t kPositionOk = 0;
inline constexpr uint16_t kPositionFailed = 1;  // wrong setting, value or code not in the tables, bad orientation

// Setting 267 from the edge code in record.code.
uint16_t ComputeEdgeSettingValue(const PositionRecord* record, uint16_t* value);
// Setting 320 or 341 from the position code in record.code.
uint16_t ComputeStaplePunchValue(uint16_t id, const PositionRecord* record, uint16_t* value);
// The position code of the staple or punch value in record.value.
uint16_t ComputePositionCode(uint16_t id, const PositionRecord* record, uint16_t* code);
// The edge code (setting 325) of an edge value; needs no orientation.
uint16_t ComputeEdgeCode(uint16_t edgeValue, uint16_t* code);
