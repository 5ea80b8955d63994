// A printer of the reference colour model with its settings context and a
// settings record and printer settings record of the model's defaults, for the
// tests of the job header. The context's model data is a private copy: a test
// may patch its capability words or driver kind in memory.
#pragma once
#include "common/context/settings_context.h"
#include "common/job/job_header.h"
#include "tests/support/model_printer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

struct JobContextCloser {
    void operator()(SettingsContext* context) const { CloseSettingsContext(context); }
};
using JobContextPtr = std::unique_ptr<SettingsContext, JobContextCloser>;

class JobTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    void* settings() { return settings_.data(); }
    void* printerSettings() { return printerSettings_.data(); }
    void SetNumber(uint16_t id, uint32_t value);
    void SetText(uint16_t id, const wchar_t* text);

    // Patches entry `index` of raw section `section` (entry size 1, 2 or 4) in
    // the context's copy of the main model file.
    void PatchRaw(uint16_t section, uint16_t size, uint16_t index, uint32_t value);
    void SetHeaderFlags(uint32_t word0) { PatchRaw(26, 4, 0, word0); }
    uint32_t HeaderFlags();

    // The header as text; *status the writer's result.
    std::string Header(int* status, const void* instruction = nullptr, uint32_t instructionLength = 0);

    // A stand-in library of the build copied into the driver directory, or removed.
    void PutStandIn(const wchar_t* name);
    void RemoveStandIn(const wchar_t* name);

    static ModelPrinter* printer_;
    JobContextPtr context_;
    std::vector<uint8_t> settings_;
    std::vector<uint8_t> printerSettings_;
    JobHeaderContext header_{};
};
