// The printer the DEVMODE tests work on (the colour reference model, installed
// once for the program), its settings context, and small record helpers.
#pragma once
#include "common/context/settings_context.h"
#include "common/settings/value_types.h"
#include "tests/support/model_printer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

using Record = std::vector<uint8_t>;

struct DevmodeContextCloser {
    void operator()(SettingsContext* context) const { CloseSettingsContext(context); }
};
using DevmodeContextPtr = std::unique_ptr<SettingsContext, DevmodeContextCloser>;

class DevmodeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    // A whole settings record with the model's defaults (device name: the printer's).
    Record Defaults();
    // The printer's current printer settings record.
    Record PrinterSettings();
    const wchar_t* name() const { return printer_->name().c_str(); }
    HANDLE handle() const { return printer_->handle(); }

    static ModelPrinter* printer_;
    DevmodeContextPtr context_;
};

uint32_t Number(const Record& record, uint16_t id, Record* printerSettings = nullptr);
void SetNumber(Record& record, uint16_t id, uint32_t value, Record* printerSettings = nullptr);
uint16_t U16At(const Record& record, size_t offset);
void PutU16(Record& record, size_t offset, uint16_t value);
// Settings of a printer settings record.
uint32_t PrinterNumber(const Record& printerSettings, uint16_t id);
void SetPrinterNumber(Record& printerSettings, uint16_t id, uint32_t value);
