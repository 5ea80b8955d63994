// Drives the settings-access library the way other programs do: loaded by
// name, the two engine functions found by name.
#include "access/dma_interface.h"
#include "common/settings/value_engine.h"
#include "common/settings/value_types.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
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

template <typename Fn>
Fn Export(HMODULE library, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// Texts and log fonts cross the library boundary as pointers and structures:
// the caller's buffers, not only numbers in a holder.
TEST(AccessLibrary, StringsAndLogFontsThroughTheExports)
{
    Library library(LoadLibraryW(L"morvadm.dll"));
    ASSERT_TRUE(library) << "LoadLibrary error " << GetLastError();
    const auto get = Export<DmaGetValueProc>(library.get(), "dma_GetValue");
    const auto set = Export<DmaSetValueProc>(library.get(), "dma_SetValue");
    const auto getString = Export<decltype(&DMA_GetStringData)>(library.get(), "DMA_GetStringData");
    const auto setString = Export<decltype(&DMA_SetStringData)>(library.get(), "DMA_SetStringData");
    const auto getFont = Export<decltype(&DMA_GetLogFontData)>(library.get(), "DMA_GetLogFontData");
    const auto setFont = Export<decltype(&DMA_SetLogFontData)>(library.get(), "DMA_SetLogFontData");
    ASSERT_TRUE(get && set && getString && setString && getFont && setFont);

    std::vector<uint8_t> settings(kSettingsRecordSize), printer(kPrinterSettingsRecordSize);
    std::vector<uint8_t> faxHeader(1442);
    DmaDataSet data{};
    data.settingsRecord = settings.data();
    data.printerSettingsRecord = printer.data();
    data.faxSendListHeader = faxHeader.data();

    // The engine: a text by pointer in, its offset in the record out.
    const wchar_t text[] = L"Draft copy";
    uint64_t holder = reinterpret_cast<uintptr_t>(text);
    EXPECT_EQ(set(297, settings.data(), printer.data(), kTypeString, sizeof text, &holder), kSettingOk);
    uint16_t type = 0, kind = 0;
    uint32_t size = 0;
    holder = 0;
    ASSERT_EQ(get(297, settings.data(), printer.data(), &type, &size, &holder, &kind), kSettingOk);
    EXPECT_EQ(type, kTypeString);
    EXPECT_EQ(size, sizeof text);
    EXPECT_EQ(holder, 374u);
    EXPECT_EQ(std::memcmp(settings.data() + 374, text, sizeof text), 0);
    // A text longer than the room is refused and leaves the stored one.
    const std::wstring tooLong(40, L'x');
    holder = reinterpret_cast<uintptr_t>(tooLong.c_str());
    EXPECT_EQ(set(297, settings.data(), printer.data(), kTypeString, 82, &holder), kSettingTooLong);
    EXPECT_EQ(std::memcmp(settings.data() + 374, text, sizeof text), 0);

    // The ANSI export reads the same text back and writes a new one.
    char ansi[64] = {};
    size = sizeof ansi;
    ASSERT_EQ(getString(&data, 0x0129, ansi, &size), kDmaOk);
    EXPECT_STREQ(ansi, "Draft copy");
    ASSERT_EQ(setString(&data, 0x0129, "Final", 5), kDmaOk);
    EXPECT_EQ(std::memcmp(settings.data() + 374, L"Final", 12), 0);

    // A log font through the engine: the whole structure by pointer.
    LOGFONTW wide{};
    wide.lfHeight = -24;
    wide.lfWeight = 700;
    wide.lfCharSet = 1;
    std::wcscpy(wide.lfFaceName, L"Morva Serif");
    holder = reinterpret_cast<uintptr_t>(&wide);
    ASSERT_EQ(set(304, settings.data(), printer.data(), kTypeLogFont, sizeof wide, &holder), kSettingOk);
    ASSERT_EQ(get(304, settings.data(), printer.data(), &type, &size, &holder, &kind), kSettingOk);
    EXPECT_EQ(type, kTypeLogFont);
    EXPECT_EQ(size, sizeof wide);
    EXPECT_EQ(std::memcmp(settings.data() + holder, &wide, sizeof wide), 0);
    holder = reinterpret_cast<uintptr_t>(&wide);
    EXPECT_EQ(set(304, settings.data(), printer.data(), kTypeLogFont, sizeof wide - 1, &holder), kSettingBadSize);

    // The ANSI log-font export of the same setting.
    LOGFONTA font{};
    size = sizeof font;
    ASSERT_EQ(getFont(&data, 0x0130, &font, &size), kDmaOk);
    EXPECT_EQ(font.lfHeight, -24);
    EXPECT_EQ(font.lfWeight, 700);
    EXPECT_STREQ(font.lfFaceName, "Morva Serif");
    font.lfItalic = 1;
    std::strcpy(font.lfFaceName, "Morva Mono");
    ASSERT_EQ(setFont(&data, 0x0130, &font, sizeof font), kDmaOk);
    LOGFONTW stored{};
    std::memcpy(&stored, settings.data() + 588, sizeof stored);
    EXPECT_EQ(stored.lfItalic, 1);
    EXPECT_STREQ(stored.lfFaceName, L"Morva Mono");
}

}  // namespace
