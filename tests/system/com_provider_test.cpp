#include "common/model/com_provider.h"

#include "tests/system/test_models.h"

#include <gtest/gtest.h>

namespace {

TEST(ComProvider, AskedOnlyWhenTheModelWantsIt)
{
    uint32_t installed = 7;
    const CapabilityBits without = {{0, 0, 0}};
    EXPECT_EQ(IsComProviderInstalledFor(&without, &installed), 1);
    EXPECT_EQ(installed, 0u);
    // Bit 0x2B lies in the second word. The test prefix has no provider.
    const CapabilityBits with = {{0, 1u << (0x2B - 32), 0}};
    installed = 7;
    EXPECT_EQ(IsComProviderInstalledFor(&with, &installed), 1);
    EXPECT_EQ(installed, 0u);
    EXPECT_EQ(IsComProviderInstalledFor(nullptr, &installed), 0);
    EXPECT_EQ(IsComProviderInstalledFor(&with, nullptr), 0);
}

TEST(ComProvider, CapabilityComesFromTheModelData)
{
    LoadedTestModel model(L"SYSAPPS.DDD");  // asks for the provider
    ASSERT_EQ(model.status, kModelOk);
    uint32_t installed = 7;
    EXPECT_EQ(IsComProviderInstalled(&model.main, &installed), 1);
    EXPECT_EQ(installed, 0u);
    EXPECT_EQ(IsComProviderInstalled(nullptr, &installed), 0);
}

}  // namespace
