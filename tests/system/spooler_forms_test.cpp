#include "common/system/spooler_forms.h"

#include <winspool.h>

#include <gtest/gtest.h>

#include <string>

namespace {

class SpoolerForms : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(OpenPrinterW(nullptr, &server_, nullptr)); }
    void TearDown() override { ClosePrinter(server_); }
    HANDLE server_ = nullptr;
};

TEST_F(SpoolerForms, NumbersFollowTheSpoolersOrder)
{
    FORM_INFO_1W* forms = nullptr;
    DWORD bytes = 0, count = 0;
    ASSERT_EQ(EnumSpoolerForms(server_, &forms, &bytes, &count), kFormsOk);
    ASSERT_GT(count, 1u);
    EXPECT_GE(GlobalSize(GlobalHandle(forms)), bytes);

    wchar_t* name = nullptr;
    ASSERT_EQ(LookupFormName(server_, 1, &name), kFormsOk);
    EXPECT_STREQ(name, forms[0].pName);
    GlobalFree(name);
    name = GetFormNameByNumber(server_, static_cast<int>(count));
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name, forms[count - 1].pName);
    GlobalFree(name);
    GlobalFree(forms);

    struct Case {
        int number;
        int result;
    };
    const Case beyond[] = {{static_cast<int>(count) + 1, kFormsNotFound}, {0, kFormsNotFound}, {-1, kFormsNotFound}};
    for (const Case& c : beyond) {
        name = reinterpret_cast<wchar_t*>(1);
        EXPECT_EQ(LookupFormName(server_, c.number, &name), c.result) << c.number;
        EXPECT_EQ(name, nullptr);
    }
    EXPECT_EQ(LookupFormName(server_, 1, nullptr), kFormsNoMemory);
}

TEST_F(SpoolerForms, BadHandleIsASpoolerFailure)
{
    FORM_INFO_1W* forms = nullptr;
    DWORD bytes = 0, count = 0;
    EXPECT_EQ(EnumSpoolerForms(nullptr, &forms, &bytes, &count), kFormsSpoolerFailed);
    EXPECT_EQ(forms, nullptr);
    EXPECT_EQ(GetFormNameByNumber(nullptr, 1), nullptr);
}

}  // namespace
