// Drives the settings-access library the way other programs do: loaded by
// name, the two engine functions found by name.
#include "common/settings/value_engine.h"
#include "common/settings/value_types.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <vector>

namespace {

struct LibraryCloser {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using Library = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryCloser>;

TEST(AccessLibrary, ExportsTheEngineByName)
{
    Library library(LoadLibraryW(L"morvadm.dll"));
    ASSERT_TRUE(library) << "LoadLibrary error " << GetLastError();
    auto get = reinterpret_cast<DmaGetValueProc>(reinterpret_cast<void*>(GetProcAddress(library.get(), "dma_GetValue")));
    auto set = reinterpret_cast<DmaSetValueProc>(reinterpret_cast<void*>(GetProcAddress(library.get(), "dma_SetValue")));
    ASSERT_NE(get, nullptr);
    ASSERT_NE(set, nullptr);

    std::vector<uint8_t> settings(kSettingsRecordSize), printer(kPrinterSettingsRecordSize);
    uint64_t holder = 2;
    EXPECT_EQ(set(7, settings.data(), printer.data(), kTypeS16, 2, &holder), kSettingOk);
    holder = 8705;
    EXPECT_EQ(set(8203, settings.data(), printer.data(), kTypeU16, 2, &holder), kSettingOk);
    EXPECT_EQ(set(0x1000, settings.data(), printer.data(), kTypeU16, 2, &holder), kSettingNoRange);

    uint16_t type = 0, kind = 0;
    uint32_t size = 0;
    holder = 0;
    EXPECT_EQ(get(7, settings.data(), printer.data(), &type, &size, &holder, &kind), kSettingOk);
    EXPECT_EQ(holder, 2u);
    EXPECT_EQ(type, kTypeS16);
    EXPECT_EQ(kind, kStoragePublic);
    EXPECT_EQ(get(8203, settings.data(), printer.data(), &type, &size, &holder, &kind), kSettingOk);
    EXPECT_EQ(holder, 8705u);
    EXPECT_EQ(kind, kStoragePrinter);
    EXPECT_EQ(get(7, settings.data(), printer.data(), &type, &size, &holder, nullptr), kSettingUnknown);
}

}  // namespace
