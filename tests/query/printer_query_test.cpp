// A whole printer query over the fixture model Q4530 with the stand-in library:
// identity, option rules, tray assignment and the tray answers.
#include "ui/query/printer_query.h"
#include "ui/query/printer_web_page.h"
#include "tests/support/import_patch.h"

#include "common/model/model_data.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::wstring ExeDirectoryW()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s = path;
    return s.substr(0, s.find_last_of(L"\\/") + 1);
}

class PrinterQuery : public ::testing::Test {
protected:
    ModelDataRecord main_{}, linked_{};
    SettingsContext settings_{};
    std::wstring script_ = ExeDirectoryW() + L"printer_query_test.script";
    std::wstring log_ = ExeDirectoryW() + L"printer_query_test.log";
    PrinterQueryInput in_;

    void SetUp() override
    {
        SetModuleHandle(GetModuleHandleW(nullptr));
        ASSERT_EQ(LoadModelDataFile((ExeDirectoryW() + L"Q4530.DDD").c_str(), &main_, &linked_), kModelOk);
        settings_.main = &main_;
        settings_.linked = &linked_;
        SetEnvironmentVariableW(L"DEVICE_STANDIN_SCRIPT", script_.c_str());
        SetEnvironmentVariableW(L"DEVICE_STANDIN_LOG", log_.c_str());
        _wremove(log_.c_str());
        in_.settings = &settings_;
        in_.portName = L"IP_10.0.0.9";
        in_.modelName = L"MORVA Q4530";
        in_.deviceName = L"Office";
        in_.userPapers = {{262, 1000, 1500}};
    }
    void TearDown() override
    {
        CloseModelData(&main_, &linked_);
        _wremove(script_.c_str());
        _wremove(log_.c_str());
    }
    void Script(const std::string& text)
    {
        std::ofstream(std::filesystem::path(script_)) << text;
    }
    std::vector<std::string> Log()
    {
        std::vector<std::string> lines;
        {
            std::ifstream in{std::filesystem::path(log_)};
            for (std::string line; std::getline(in, line);)
                lines.push_back(line);
        }
        _wremove(log_.c_str());
        return lines;
    }
};

const char kPrinter[] =
    "open 21\n"
    "string _ZQZADC_NetworkAddress 0 10.0.0.9\n"
    "bool HardDisk 0 1\n"
    "int TrayUnits 0 2\n"
    "int Major 0 1\nint Minor 0 0\nint Patch 0 0\n"
    "trays 3\n"
    "tray 0 215900 279400 Plain -\n"
    "tray 1 297400 210000 User1(Alice) -\n"
    "tray 2 210000 297000 Plain -\n";   // device tray 3: no source is that tray

struct Expected {
    uint16_t setting;
    uint32_t value;
    const wchar_t* text;
};

void ExpectAnswers(const AnswerList& answers, std::vector<Expected> expected)
{
    ASSERT_EQ(answers.size(), expected.size());
    for (size_t i = 0; i < answers.size(); ++i) {
        EXPECT_EQ(answers[i].settingId, expected[i].setting) << i;
        if (expected[i].text)
            EXPECT_STREQ(AnswerText(answers[i]), expected[i].text) << i;
        else
            EXPECT_EQ(AnswerNumber(answers[i]), expected[i].value) << i << " setting " << answers[i].settingId;
    }
}

TEST_F(PrinterQuery, RecordTextsComeFromTheModel)
{
    PrinterQueryRecord record;
    ASSERT_TRUE(BuildPrinterQueryRecord(in_, &record));
    EXPECT_EQ(record.openFirst, "Q4530A.DAT");
    EXPECT_EQ(record.openSecond, "Q4530B.DAT");
    EXPECT_EQ(record.selectText, "Query");
    EXPECT_EQ(record.modelName, "MORVA Q4530");
    EXPECT_NE(record.libraryPath.find("device_access_standin.dll"), std::string::npos) << record.libraryPath;
    TrayModel model;
    AnswerList options = {NumberAnswer(4100, kTypeU16, 2, 2)};
    ASSERT_TRUE(LoadTrayModel(&settings_, options, &model));
    ASSERT_EQ(model.features.size(), 2u);
    EXPECT_EQ(model.features[0].source, 1);
    EXPECT_EQ(model.features[0].deviceTray, 1u);
    EXPECT_EQ(model.features[1].source, 3);
    EXPECT_EQ(model.features[1].deviceTray, 2u);
    EXPECT_EQ(model.features[1].papers, (std::vector<uint16_t>{9, 11}));
    EXPECT_EQ(model.modelPapers.size(), 3u);
    ASSERT_EQ(model.typeNames.size(), 3u);
    EXPECT_EQ(model.typeNames[1].code, 13);
    EXPECT_EQ(model.typeNames[1].name, L"User1");
}

TEST_F(PrinterQuery, OptionsTraysAndAddressFromTheDevice)
{
    Script(kPrinter);
    PrinterQueryResult result;
    ASSERT_EQ(RunPrinterQuery(in_, &result), 1);
    EXPECT_STREQ(AnswerText(result.address), L"10.0.0.9");
    EXPECT_EQ(result.address.settingId, kQueryAddressSetting);
    EXPECT_EQ(result.community.settingId, 0);   // capability clear
    ExpectAnswers(result.options, {{4099, 1, nullptr}, {4100, 2, nullptr}});
    ExpectAnswers(result.others, {{4200, 2, nullptr}});
    // Tray 1 (source 1) holds Letter; tray 2 (source 3, only with two tray
    // units) A4 fed long edge first with a named user type.
    ExpectAnswers(result.trays, {{6145, 1, nullptr},    {6190, 2159, nullptr}, {6205, 2794, nullptr},
                                 {6160, 2, nullptr},    {6175, 1, nullptr},    {6146, 9, nullptr},
                                 {6191, 2100, nullptr}, {6206, 2974, nullptr}, {6161, 1, nullptr},
                                 {6176, 13, nullptr},   {6401, 0, L"Alice"}});
    FreePrinterQueryResult(&result);
    const std::vector<std::string> log = Log();
    ASSERT_GE(log.size(), 5u);
    EXPECT_EQ(log[0], "OpenDevice Q4530A.DAT Q4530B.DAT 0");
    EXPECT_EQ(log[3], "SelectDevice 21 none IP_10.0.0.9 MORVA Q4530 Query");
    EXPECT_EQ(log.back(), "CloseDevice 21");
}

TEST_F(PrinterQuery, OneTrayUnitLeavesTheSecondSourceOut)
{
    std::string script = kPrinter;
    script.replace(script.find("TrayUnits 0 2"), 13, "TrayUnits 0 1");
    Script(script);
    PrinterQueryResult result;
    ASSERT_EQ(RunPrinterQuery(in_, &result), 1);
    ASSERT_EQ(result.trays.size(), 5u);
    EXPECT_EQ(result.trays[0].settingId, 6145);
    FreePrinterQueryResult(&result);
}

TEST_F(PrinterQuery, AnyFailureAfterTheOpenClosesAndKeepsNothing)
{
    const char* breaks[] = {"trays 3\n", "string _ZQZADC_NetworkAddress 0 10.0.0.9\n", "tray 1 297400 210000 User1(Alice) -\n"};
    for (const char* line : breaks) {
        std::string script = kPrinter;
        script.erase(script.find(line), std::strlen(line));
        Script(script);
        PrinterQueryResult result;
        EXPECT_EQ(RunPrinterQuery(in_, &result), 0) << line;
        EXPECT_EQ(result.options.size() + result.trays.size() + result.others.size(), 0u) << line;
        EXPECT_EQ(AnswerText(result.address), nullptr) << line;
        const std::vector<std::string> log = Log();
        ASSERT_FALSE(log.empty()) << line;
        EXPECT_EQ(log.back(), "CloseDevice 21") << line;
    }
}

TEST_F(PrinterQuery, AddressOnly)
{
    Script("open 22\nstring _ZQZADC_NetworkAddress 0 192.168.1.20\n");
    wchar_t address[256] = {};
    ASSERT_EQ(QueryPrinterAddress(in_, L"printer.local", address), 1);
    EXPECT_STREQ(address, L"192.168.1.20");
    const std::vector<std::string> log = Log();
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log[2], "SetAttribute 22 _ZQZADC_Mode 2");
    EXPECT_EQ(log[3], "SetAttribute 22 _ZQZADC_EWSTryAddress printer.local");
    EXPECT_EQ(log.back(), "CloseDevice 22");
}

}  // namespace

namespace {

std::wstring g_openedUrl;
std::wstring g_openedVerb;
HINSTANCE WINAPI RecordShellExecute(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR, LPCWSTR, INT show)
{
    g_openedVerb = verb ? verb : L"";
    g_openedUrl = file ? file : L"";
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(show == SW_SHOW ? 42 : 2));
}

TEST_F(PrinterQuery, WebPageOpensTheAddressThePrinterGives)
{
    ScopedImportPatch patch("shell32.dll", "ShellExecuteW", reinterpret_cast<void*>(&RecordShellExecute));
    ASSERT_TRUE(patch.active());
    Script("open 23\nstring _ZQZADC_NetworkAddress 0 10.0.0.77\n");
    g_openedUrl.clear();
    EXPECT_EQ(OpenPrinterWebPage(in_, L"10.0.0.7"), 1);
    EXPECT_EQ(g_openedVerb, L"open");
    EXPECT_EQ(g_openedUrl, L"http://10.0.0.77/");
    Log();
    // Without an answer for the address nothing is opened.
    Script("open 23\n");
    g_openedUrl.clear();
    EXPECT_EQ(OpenPrinterWebPage(in_, L"10.0.0.7"), 0);
    EXPECT_TRUE(g_openedUrl.empty());
    EXPECT_EQ(Log().back(), "CloseDevice 23");
}

}  // namespace
