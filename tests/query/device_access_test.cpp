// The device-access library binding, against the stand-in library: the call
// sequence, the status convention, the bounded texts and the remembered path.
#include "ui/query/device_access.h"

#include "common/settings/value_types.h"
#include "common/system/module_files.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string ExeDirectory()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s = path;
    return s.substr(0, s.find_last_of("\\/") + 1);
}

class DeviceAccess : public ::testing::Test {
protected:
    std::string script_ = ExeDirectory() + "device_access_test.script";
    std::string log_ = ExeDirectory() + "device_access_test.log";
    PrinterQueryRecord record_;

    void SetUp() override
    {
        SetModuleHandle(GetModuleHandleW(nullptr));
        SetEnvironmentVariableA("DEVICE_STANDIN_SCRIPT", script_.c_str());
        SetEnvironmentVariableA("DEVICE_STANDIN_LOG", log_.c_str());
        std::remove(log_.c_str());
        record_.portName = "IP_10.0.0.5";
        record_.modelName = "C4530";
        record_.deviceName = "Office";
        record_.libraryPath = ExeDirectory() + "device_access_standin.dll";
        record_.openFirst = "C4530.DAT";
        record_.openSecond = "C4530.MAP";
        record_.selectText = "SELECT";
    }
    void TearDown() override
    {
        std::remove(script_.c_str());
        std::remove(log_.c_str());
    }
    void Script(const std::string& text)
    {
        std::ofstream(script_) << text;
    }
    std::vector<std::string> Log()
    {
        std::vector<std::string> lines;
        {
            std::ifstream in(log_);
            for (std::string line; std::getline(in, line);)
                lines.push_back(line);
        }
        std::remove(log_.c_str());
        return lines;
    }
};

TEST_F(DeviceAccess, OpenSelectReadCloseInOrder)
{
    Script("open 77\nstring _ZQZADC_NetworkAddress 0 10.0.0.5\n");
    const DeviceHandle h = OpenPrinterQuery(nullptr, record_, kQueryModePrinter, nullptr, {});
    ASSERT_EQ(h, 77u);
    QueryValue v;
    ASSERT_TRUE(ReadQueryAttribute(kTypeString, h, "_ZQZADC_NetworkAddress", 0, &v));
    EXPECT_STREQ(v.text, L"10.0.0.5");
    ClosePrinterQuery(h);
    const std::vector<std::string> expected = {
        "OpenDevice C4530.DAT C4530.MAP 0",
        "SetAttribute 77 _ZQZADC_LangId 1033",
        "SetAttribute 77 _ZQZADC_Mode 1",
        "SelectDevice 77 none IP_10.0.0.5 C4530 SELECT",
        "GetValueString 77 _ZQZADC_NetworkAddress 0",
        "CloseDevice 77",
    };
    EXPECT_EQ(Log(), expected);
}

TEST_F(DeviceAccess, EveryFailureAfterTheOpenClosesTheHandle)
{
    struct Case {
        const char* script;
        const char* lastBeforeClose;
    } cases[] = {
        {"open 5\nselect 3\n", "SelectDevice 5 none IP_10.0.0.5 C4530 SELECT"},
        {"open 5\nset _ZQZADC_Mode 8\n", "SetAttribute 5 _ZQZADC_Mode 1"},   // the mode must answer 0
        {"open 5\nset _ZQZADC_LangId 2\n", "SetAttribute 5 _ZQZADC_LangId 1033"},
    };
    for (const Case& c : cases) {
        Script(c.script);
        EXPECT_EQ(OpenPrinterQuery(nullptr, record_, kQueryModePrinter, nullptr, {}), 0u) << c.script;
        const std::vector<std::string> log = Log();
        ASSERT_GE(log.size(), 2u) << c.script;
        EXPECT_EQ(log[log.size() - 2], c.lastBeforeClose) << c.script;
        EXPECT_EQ(log.back(), "CloseDevice 5") << c.script;
    }
    // Status 8 counts as success for the language and the selection.
    Script("open 6\nset _ZQZADC_LangId 8\nselect 8\n");
    EXPECT_EQ(OpenPrinterQuery(nullptr, record_, kQueryModePrinter, nullptr, {}), 6u);
    EXPECT_EQ(Log().back(), "SelectDevice 6 none IP_10.0.0.5 C4530 SELECT");
    // A failed open has nothing to close.
    Script("open 0\n");
    EXPECT_EQ(OpenPrinterQuery(nullptr, record_, kQueryModePrinter, nullptr, {}), 0u);
    EXPECT_EQ(Log(), std::vector<std::string>{"OpenDevice C4530.DAT C4530.MAP 0"});
}

TEST_F(DeviceAccess, AddressModeSetsTheAddressVersionAndCommunity)
{
    Script("open 9\n");
    QueryOpenOptions options;
    options.communityName = true;
    options.communityText = L"public";
    options.snmpVersion = true;
    options.snmpReadable = true;
    options.snmpValue = 2;
    const DeviceHandle h = OpenPrinterQuery(nullptr, record_, kQueryModeAddress, L"10.1.2.3", options);
    ASSERT_EQ(h, 9u);
    const std::vector<std::string> expected = {
        "OpenDevice C4530.DAT C4530.MAP 0",           "SetAttribute 9 _ZQZADC_LangId 1033",
        "SetAttribute 9 _ZQZADC_Mode 2",              "SetAttribute 9 _ZQZADC_EWSTryAddress 10.1.2.3",
        "SetAttribute 9 _ZQZADC_SNMPVersion 2",       "SetAttribute 9 _ZQZADC_CommunityName public",
        "SelectDevice 9 none IP_10.0.0.5 C4530 SELECT",
    };
    EXPECT_EQ(Log(), expected);
    ClosePrinterQuery(h);
    Log();
    // The community name is asked for but cannot be read: the open fails.
    options.communityText = nullptr;
    EXPECT_EQ(OpenPrinterQuery(nullptr, record_, kQueryModePrinter, nullptr, options), 0u);
    EXPECT_EQ(Log().back(), "CloseDevice 9");
}

TEST_F(DeviceAccess, TextsAreReadBounded)
{
    const std::string longest(255, 'a');
    Script("open 4\nstring Fits 0 " + longest + "\nstring TooLong 0 " + longest + "b\nfill Full 0\n");
    QueryValue v;
    EXPECT_TRUE(ReadQueryAttribute(kTypeString, 4, "Fits", 0, &v));
    EXPECT_EQ(std::wstring(v.text).size(), 255u);
    EXPECT_FALSE(ReadQueryAttribute(kTypeString, 4, "TooLong", 0, &v));
    // 260 bytes and no terminator: read within the buffer, and too long.
    EXPECT_FALSE(ReadQueryAttribute(kTypeString, 4, "Full", 0, &v));
    EXPECT_FALSE(ReadQueryAttribute(kTypeString, 4, "Missing", 0, &v));
    EXPECT_FALSE(ReadQueryAttribute(kTypeU16, 4, "Fits", 0, &v));
}

TEST_F(DeviceAccess, NumbersAndTrays)
{
    const std::string type64(64, 'T');   // fills its field without a terminator
    Script("open 4\nint Version 1 -7\nuint Mask 0 0x80000000\nbool Disk 0 1\nint Bad 0 1 9\ntrays 2\n"
           "tray 0 210000 297000 Plain Recycled\ntray 1 -1 -1 " + type64 + " -\n");
    QueryValue v;
    ASSERT_TRUE(ReadQueryAttribute(kTypeS32, 4, "Version", 1, &v));
    EXPECT_EQ(static_cast<int32_t>(v.number), -7);
    ASSERT_TRUE(ReadQueryAttribute(kTypeU32, 4, "Mask", 0, &v));
    EXPECT_EQ(v.number, 0x80000000u);
    ASSERT_TRUE(ReadQueryAttribute(kTypeFlag, 4, "Disk", 0, &v));
    EXPECT_EQ(v.number, 1u);
    EXPECT_FALSE(ReadQueryAttribute(kTypeS32, 4, "Bad", 0, &v));   // status 9
    std::vector<DeviceTrayRecord> trays;
    ASSERT_TRUE(ReadDeviceTrays(4, false, &trays));
    ASSERT_EQ(trays.size(), 2u);
    EXPECT_EQ(trays[0].tray, 1u);
    EXPECT_EQ(trays[0].first, 210000);
    EXPECT_EQ(trays[0].shape, 2u);
    EXPECT_STREQ(trays[0].typeText, L"Plain");
    EXPECT_STREQ(trays[0].secondText, L"");    // only with second types
    EXPECT_EQ(trays[1].tray, 2u);
    EXPECT_EQ(trays[1].first, -1);
    EXPECT_EQ(std::wstring(trays[1].typeText).size(), 64u);
    trays.clear();
    ASSERT_TRUE(ReadDeviceTrays(4, true, &trays));
    EXPECT_STREQ(trays[0].secondText, L"Recycled");
    // A tray record that fails fails the whole reading.
    Script("open 4\ntrays 3\ntray 0 1 1 - -\ntray 1 1 1 - -\n");
    trays.clear();
    EXPECT_FALSE(ReadDeviceTrays(4, false, &trays));
}

TEST_F(DeviceAccess, AnotherLibraryPathFailsWithoutLoadingIt)
{
    Script("open 3\n");
    const DeviceHandle h = OpenPrinterQuery(nullptr, record_, kQueryModePrinter, nullptr, {});
    ASSERT_EQ(h, 3u);
    ClosePrinterQuery(h);
    Log();
    PrinterQueryRecord other = record_;
    other.libraryPath = ExeDirectory() + "other_device_library.dll";
    EXPECT_EQ(OpenPrinterQuery(nullptr, other, kQueryModePrinter, nullptr, {}), 0u);
    EXPECT_TRUE(Log().empty());
    EXPECT_FALSE(CheckDeviceLibraryPath(other.libraryPath.c_str()));
    EXPECT_TRUE(CheckDeviceLibraryPath(record_.libraryPath.c_str()));
}

}  // namespace
