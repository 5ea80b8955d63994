// A printer of the colour reference model and a pair of records filled with
// its defaults, fresh for each case, for the constraint engine's tests.
#pragma once
#include "common/constraints/constraint_engine.h"
#include "common/context/settings_context.h"
#include "common/settings/value_types.h"
#include "tests/support/model_printer.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct ResultCloser {
    void operator()(ConstraintResult* r) const { FreeConstraintResult(r); }
};
using ResultPtr = std::unique_ptr<ConstraintResult, ResultCloser>;

// The outcome of one check, copied out of the engine's blocks.
struct CheckOutcome {
    uint16_t status = 0xFFFF;
    uint16_t code = 0xFFFF;
    uint16_t bits = 0;
    std::vector<uint16_t> conflictRules;
    std::vector<uint16_t> transitionRules;
    std::vector<uint16_t> controlling;
    std::vector<uint16_t> outIds;  // with the terminating 0; empty for a null list
    bool outNull = true;
};

class ConstraintTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    void Set(uint16_t id, uint32_t value);
    void SetText(uint16_t id, const wchar_t* text);
    uint32_t Get(uint16_t id);
    // A user paper size (codes 262-266) of the printer settings.
    void SetUserPaper(uint16_t code, uint16_t width, uint16_t height);

    // Checks `id` with the value (the type the setting reports) or without one.
    CheckOutcome Check(uint16_t mode, uint16_t id, const uint32_t* value);
    CheckOutcome CheckValue(uint16_t mode, uint16_t id, uint32_t value) { return Check(mode, id, &value); }
    CheckOutcome CheckCurrent(uint16_t mode, uint16_t id) { return Check(mode, id, nullptr); }
    static CheckOutcome Outcome(uint16_t status, const ConstraintResult* r, uint16_t* out);

    uint16_t TypeOf(uint16_t id);
    ConstraintContext Context() { return {context_, settings_.data(), printer_.data()}; }

    static ModelPrinter* colour_;
    SettingsContext* context_ = nullptr;
    std::array<uint8_t, kSettingsRecordSize> settings_{};
    std::array<uint8_t, kPrinterSettingsRecordSize> printer_{};
};
