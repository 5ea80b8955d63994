#include "tests/context/reference_printers.h"

#include <string>

ModelPrinter* ReferencePrinterTest::colour_ = nullptr;
ModelPrinter* ReferencePrinterTest::mono_ = nullptr;

void ReferencePrinterTest::SetUpTestSuite()
{
    if (colour_ == nullptr)
        colour_ = new ModelPrinter(L"C4530.DDD", L"Morva Context C4530");
    if (mono_ == nullptr)
        mono_ = new ModelPrinter(L"M2200.DDD", L"Morva Context M2200");
}

void ReferencePrinterTest::TearDownTestSuite()
{
    delete colour_;
    delete mono_;
    colour_ = mono_ = nullptr;
}

void ReferencePrinterTest::SetUp()
{
    ASSERT_TRUE(colour_->ok()) << std::string(colour_->error().begin(), colour_->error().end());
    ASSERT_TRUE(mono_->ok()) << std::string(mono_->error().begin(), mono_->error().end());
    colour_->RemoveSiteConfiguration();
}

void ReferencePrinterTest::TearDown()
{
    colour_->RemoveSiteConfiguration();
}
