// A printer of a reference model with a settings context and a pair of records
// at the model's defaults, fresh for each test: the ground the interface
// library's routines work on. Each suite names its own printer.
#pragma once
#include "common/constraints/constraint_engine.h"
#include "common/context/settings_context.h"
#include "common/settings/value_types.h"
#include "tests/support/model_printer.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

class SettingsPairTest : public ::testing::Test {
protected:
    void Open(ModelPrinter* printer);
    void TearDown() override;

    void Set(uint16_t id, uint32_t value);
    void SetText(uint16_t id, const wchar_t* text);
    uint32_t Get(uint16_t id);
    ConstraintContext Context() { return {context_, settings_.data(), printer_settings_.data()}; }
    HANDLE Printer() const { return printer_ ? printer_->handle() : nullptr; }

    ModelPrinter* printer_ = nullptr;
    SettingsContext* context_ = nullptr;
    std::array<uint8_t, kSettingsRecordSize> settings_{};
    std::array<uint8_t, kPrinterSettingsRecordSize> printer_settings_{};
};
