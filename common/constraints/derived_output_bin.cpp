// The output bin that the finishing settings decide. The dialogs recompute it
// after each carried-out change, since several settings lead to one bin.
#include "common/constraints/constraint_engine.h"

#include "common/constraints/constraint_values.h"
#include "common/context/settings_context.h"
#include "common/model/model_value_ops.h"
#include "common/settings/function_ids.h"
#include "common/context/value_by_type.h"

#include <array>

namespace {

constexpr CapabilityId kCapabilityFoldFlag = CapabilityBit(0x2D);   // h from 465 instead of 1328
constexpr CapabilityId kCapabilityPunchBin = CapabilityBit(0x3A);   // a 3, 5: 24 without punching

// The settings the bin depends on, by their letters in the rules below.
struct BinInputs {
    uint32_t a, b, c, d, e, f, g, h, k, m, n, p;
};

// Inputs read by identifier; rows in reading order.
enum Input { kA, kB, kC, kD, kE, kF, kG, kM, kN, kP, kInputCount };
constexpr std::array<uint16_t, kInputCount> kInputIds = {4359, 4368, 444, 4098, 331, 320, 321, 341, 448, 4126};

// The bins a finishing code (c from 1 to 18) leads to directly; 0: decided otherwise.
constexpr std::array<uint16_t, 19> kBinByFinishing = {0, 12, 15, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0, 0, 1, 1, 1, 27};

uint16_t End(const BinInputs& v, uint16_t x)
{
    if (v.f != 0 && v.f != 11)
        return 12;
    if (v.e == 0)
        return x;
    return v.d == 0 ? 12 : x;
}

bool BookletOrFold(const BinInputs& v)
{
    return (v.g == 2 && v.h != 0) || v.n == 4 || v.n == 5;
}

uint16_t DecideBin(const BinInputs& v, const CapabilityBits& caps)
{
    if (v.c == 13)
        return v.a == 0 && v.p != 0 ? 25 : 1;
    if (v.c == 14)
        return v.a == 3 || v.a == 5 ? 23 : 1;
    if (v.c != 0)
        return v.c < kBinByFinishing.size() ? kBinByFinishing[v.c] : 1;
    switch (v.a) {
    case 0: return v.b == 1 ? 28 : v.p != 0 ? 26 : 1;
    case 1: return End(v, 1);
    case 2: return End(v, 24);
    case 10: return 12;
    case 3:
    case 5: {
        const uint16_t x = !TestCapabilityBit(&caps, kCapabilityPunchBin) || v.m != 0 ? 23 : 24;
        if (v.f == 0)
            return BookletOrFold(v) ? 21 : x;
        return v.f == 11 ? 21 : 12;
    }
    case 4:
    case 6: {
        const uint16_t x = v.b == 1 && v.m == 0 && v.n != 1 && v.k == 0 ? 28 : 1;
        if (v.f == 0) {
            if (BookletOrFold(v))
                return 21;
            if (v.n == 2 || v.n == 3)
                return 20;
            return v.e == 0 ? x : 12;
        }
        return v.f == 11 ? 21 : 12;
    }
    case 7:
        if (v.m != 0 || v.f != 0 || BookletOrFold(v))
            return 12;
        if (v.e == 0)
            return 24;
        return v.d == 0 ? 12 : 24;
    default: return 1;
    }
}

}  // namespace

int ComputeDerivedOutputBin(const ConstraintContext* context, const SettingChange* change, uint16_t* bin)
{
    if (!context || !context->settings || !bin)
        return 0;
    std::array<uint32_t, kInputCount> in{};
    for (size_t i = 0; i < kInputCount; ++i)
        if (!ReadChangeOrSetting(context, change, kInputIds[i], &in[i]))
            return 0;
    CapabilityBits caps{};
    GetModelCapabilityBits(context->settings->main, &caps);
    BinInputs v{in[kA], in[kB], in[kC], in[kD], in[kE], in[kF], in[kG], 0, 0, in[kM], in[kN], in[kP]};
    if (!ReadChangeOrSetting(context, change, TestCapabilityBit(&caps, kCapabilityFoldFlag) ? 465 : 1328, &v.h))
        return 0;
    if (TestCapabilityBit(&caps, kCapabilityFoldFlag))
        v.h = v.h == 2;
    // k: a fixed tray of the large-capacity kind is in use for inserts.
    constexpr uint16_t kLargeTray = 264;
    for (uint16_t i = 0; i < 3 && !v.k; ++i) {
        uint32_t on = 0, tray = 0;
        if (!ReadChangeOrSetting(context, change, 404 + i, &on) ||
            !ReadChangeOrSetting(context, change, kFidFixedTrayFirst + i, &tray))
            return 0;
        v.k = on == 1 && tray == kLargeTray;
    }
    uint32_t tray469 = 0;
    if (!ReadChangeOrSetting(context, change, 469, &tray469))
        return 0;
    v.k = v.k || tray469 == kLargeTray;
    *bin = DecideBin(v, caps);
    return 1;
}

int RecomputeDerivedValue(SettingsContext* settingsContext, void* settingsRecord, void* printerSettingsRecord,
                          const SettingChange* change)
{
    const ConstraintContext context{settingsContext, settingsRecord, printerSettingsRecord};
    uint16_t bin = 0;
    uint32_t current = 0;
    if (!ComputeDerivedOutputBin(&context, change, &bin) ||
        !ReadSettingNumber(kFidOutputBin, settingsRecord, printerSettingsRecord, &current))
        return 0;
    if (current == bin)
        return 1;
    return WriteSettingNumber(kFidOutputBin, settingsRecord, printerSettingsRecord, bin) ? 1 : 0;
}
