// The context tests' printers: one of each reference model, installed once for
// the program, with the colour model's site configuration removed before and
// after each case.
#pragma once
#include "common/context/settings_context.h"
#include "tests/support/model_printer.h"

#include <gtest/gtest.h>

#include <memory>

struct ContextCloser {
    void operator()(SettingsContext* context) const { CloseSettingsContext(context); }
};
using ContextPtr = std::unique_ptr<SettingsContext, ContextCloser>;

class ReferencePrinterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    static ModelPrinter* colour_;  // C4530: colour, with a linked file
    static ModelPrinter* mono_;    // M2200: monochrome, older format, no linked file
};
