// What the conflict messages need of the dialog engine, kept in the common
// library so that the interface library's pages and these messages share one
// copy: the unit flags of a page and the conversion between a stored value and
// the position its control shows. The per-setting reaction kinds are the
// dialog engine's (its conflict action table); they reach these messages as
// arguments.
#pragma once
#include <cstdint>

struct SettingsContext;
struct PaperUnits;

// The two unit flags of a page: inch display when the model has capability
// 0xFFFF0022 and the locale unit is inches (non-zero), and one decimal of an
// inch when the model has capability 0xFFFF0023. 1; 0 for a null argument.
int GetUnitDisplayFlags(const SettingsContext* settings, uint16_t localeUnit, PaperUnits* flags);

// Direction kSliderToStored turns a control position into a stored value, any
// other direction a stored value into a position. The value is read as 32 bits
// for types 4 and 5, else as a signed 16-bit value. 1 when the setting has a
// rule; 0 (out = the value unchanged) otherwise, and 0 without value or out.
constexpr int kSliderToStored = 1;
constexpr int kStoredToSlider = 0;
int ConvertSliderValue(int direction, uint16_t id, uint16_t type, const void* value, uint32_t* out);

// Tenths of a millimetre to hundredths of an inch; for 268, 269 and 324 limited
// to -19..19.
int32_t ClampAdjustmentValue(int32_t value, uint16_t id);

// What a page keeps for the range warning of a setting: the limits as shown,
// their decimals and divisor, the value type, an optional resource text, and
// what the page asks of the range check.
constexpr uint16_t kUiFixedRange = 0x0001;  // the setting's range is fixed, not the model's
constexpr uint16_t kUiDecimals = 0x0002;    // the control shows `decimals` decimals
constexpr uint16_t kUiUnitChange = 0x0004;  // the control shows a converted value
struct PageUiRecord {
    int32_t minimum;
    int32_t maximum;
    uint16_t decimals;
    uint32_t divisor;
    uint16_t valueType;
    uint32_t textId;  // 0: none
    uint16_t flags;
};

// Reaction kinds the dialog engine passes to ChooseConflictAction (its
// conflict action table, kept with the engine): 1 refuse, 4 ask, 8 range
// check, 16 stamp count; 32 (automatic fix), 64 (layout fit) and 128
// (finishing positions) are the engine's own steps around them.
constexpr uint16_t kReactionRefuse = 1;
constexpr uint16_t kReactionDefault = 4;
