// The settings-access binding as the graphics library's objects use it, bound
// here from the library's own string table and the program's directory.
#include "tests/frame/frame_fixture.h"

#include "common/settings/function_ids.h"
#include "common/settings/value_engine.h"
#include "common/settings/value_types.h"
#include "render/device/settings_access.h"

#include <cstring>
#include <vector>

#include <gtest/gtest.h>

namespace {

TEST(FrameSettingsAccess, UnboundAnswersOnlyTheBindingQuestion)
{
    std::vector<uint8_t> settings(kSettingsRecordSize), printerSettings(kPrinterSettingsRecordSize);
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    ASSERT_EQ(SettingsAccessCount(), 0);
    EXPECT_EQ(GetSettingValue(12, settings.data(), printerSettings.data(), &type, &size, &holder), kSettingUnknown);
    EXPECT_EQ(SetSettingValue(12, settings.data(), printerSettings.data(), kTypeS16, 2, &holder), kSettingUnknown);
    EXPECT_EQ(GetSettingValue(kFidAlwaysOn, nullptr, nullptr, &type, &size, &holder), kSettingOk);
    EXPECT_EQ(type, kTypeFlag);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(holder, 1u);
    EXPECT_FALSE(BindSettingsAccess(nullptr));
    EXPECT_EQ(SettingsAccessCount(), 0);
}

// Every string and LOGFONTW setting comes back as a pointer into the record
// its storage kind names, at the engine's offset.
TEST(FrameSettingsAccess, PointersByStorageKind)
{
    frame_test::FrameDriver& driver = frame_test::SharedFrameDriver();
    ASSERT_TRUE(driver.ok());
    ASSERT_TRUE(BindSettingsAccess(driver.entries().library));
    ASSERT_TRUE(BindSettingsAccess(driver.entries().library));
    EXPECT_EQ(SettingsAccessCount(), 2);
    std::vector<uint8_t> settings(kSettingsRecordSize), printerSettings(kPrinterSettingsRecordSize);
    int seen[3] = {};
    for (uint32_t id = 1; id < 0x9100; ++id) {
        uint16_t type = 0, kind = 0;
        uint32_t size = 0;
        uint64_t offset = 0;
        if (dma_GetValue(uint16_t(id), settings.data(), printerSettings.data(), &type, &size, &offset, &kind) != 0 ||
            (type != kTypeString && type != kTypeLogFont) || kind > kStoragePrinter)
            continue;
        const uint8_t* base = kind == kStoragePrinter ? printerSettings.data()
                            : kind == kStoragePrivate ? settings.data() + kPrivatePartOffset
                                                      : settings.data();
        uint64_t holder = 0;
        ASSERT_EQ(GetSettingValue(uint16_t(id), settings.data(), printerSettings.data(), &type, &size, &holder),
                  kSettingOk) << id;
        EXPECT_EQ(reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(holder)), base + uint32_t(offset)) << id;
        ++seen[kind];
    }
    EXPECT_GT(seen[kStoragePublic], 0);
    EXPECT_GT(seen[kStoragePrivate], 0);
    EXPECT_GT(seen[kStoragePrinter], 0);

    // The size follows from the type.
    const struct {
        uint16_t id, type;
        uint64_t value;
    } writes[] = {{kFidCopies, kTypeS16, 7}};
    for (const auto& w : writes) {
        EXPECT_EQ(SetSettingValueTyped(settings.data(), printerSettings.data(), w.id, w.type, w.value), 0);
        uint16_t type = 0;
        uint32_t size = 0;
        uint64_t holder = 0;
        ASSERT_EQ(GetSettingValue(w.id, settings.data(), printerSettings.data(), &type, &size, &holder), kSettingOk);
        EXPECT_EQ(holder & 0xFFFF, w.value);
    }
    EXPECT_EQ(SetSettingValueTyped(nullptr, printerSettings.data(), kFidCopies, kTypeS16, 1), -1);
    // The sized form passes the size given, and answers 0 whatever the engine
    // said: a refused write (a size the setting does not take) changes nothing.
    EXPECT_EQ(SetSettingValueSized(settings.data(), printerSettings.data(), kFidCopies, kTypeS16, 2, 9), 0);
    EXPECT_EQ(SetSettingValueSized(settings.data(), printerSettings.data(), kFidCopies, kTypeS16, 3, 11), 0);
    {
        uint16_t type = 0;
        uint32_t size = 0;
        uint64_t holder = 0;
        ASSERT_EQ(GetSettingValue(kFidCopies, settings.data(), printerSettings.data(), &type, &size, &holder),
                  kSettingOk);
        EXPECT_EQ(holder & 0xFFFF, 9u);
    }
    EXPECT_EQ(SetSettingValueSized(nullptr, printerSettings.data(), kFidCopies, kTypeS16, 2, 1), -1);
    UnbindSettingsAccess();
    EXPECT_EQ(SettingsAccessCount(), 1);
    UnbindSettingsAccess();
    EXPECT_EQ(SettingsAccessCount(), 0);
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    EXPECT_EQ(GetSettingValue(kFidCopies, settings.data(), printerSettings.data(), &type, &size, &holder),
              kSettingUnknown);
}

} // namespace
