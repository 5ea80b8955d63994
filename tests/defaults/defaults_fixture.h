// Printers of the reference models for the defaults and option-list tests, one
// of each for the whole program, and the records the tests fill.
#pragma once
#include "common/context/settings_context.h"
#include "common/settings/value_types.h"
#include "tests/support/model_printer.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>

struct ContextCloser {
    void operator()(SettingsContext* context) const { CloseSettingsContext(context); }
};
using ContextPtr = std::unique_ptr<SettingsContext, ContextCloser>;

using SettingsBuffer = std::array<uint8_t, kSettingsRecordSize>;
using PrinterBuffer = std::array<uint8_t, kPrinterSettingsRecordSize>;

class DefaultsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // A context of the colour model (C4530), of the monochrome one (M2200), or
    // of the model whose orientation default cannot be stored (F100).
    static ContextPtr OpenColour();
    static ContextPtr OpenMono();
    static ContextPtr OpenFaulty();

    static ModelPrinter* colour_;
    static ModelPrinter* mono_;
    static ModelPrinter* faulty_;
};

// A number setting of the records as an unsigned 32-bit value; 0xDEADBEEF when
// it cannot be read.
uint32_t ReadNumber(uint16_t id, void* settingsRecord, void* printerSettingsRecord);
// A string setting; "<unreadable>" when it cannot be read.
std::wstring ReadText(uint16_t id, void* settingsRecord, void* printerSettingsRecord);
