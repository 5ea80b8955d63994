// What the model's capability word 0 changes in the job data morvaui gathers
// for the graphics library: the annotation's owner text without the computer
// name, the user code checked in its scrambled form, the paper region of the
// locale. A printer of the S2240 test model, which has the first two, against
// the shared printer of the colour reference model, which has only the third.
#include "tests/docevent/docevent_fixture.h"

#include "common/context/value_by_type.h"
#include "common/job/ansi_text.h"
#include "common/job/private_escapes.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/store/printer_data.h"
#include "common/store/user_setting_info.h"
#include "common/system/global_block.h"
#include "common/system/locale_region.h"
#include "common/system/scrambled_strings.h"
#include "common/system/user_and_process.h"
#include "printhost/host_dc.h"
#include "ui/docevent/dc_job_record.h"

#include <gtest/gtest.h>

#include <winspool.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr uint16_t kFidUserCodePlain = 5130;
constexpr uint16_t kFidUserCodeScrambled = 5159;

printhost_test::InstalledPrinter& AccountingPrinter()
{
    static printhost_test::InstalledPrinter* printer = [] {
        printhost::DriverPackage package =
            printhost_test::ModelDriverPackage(printhost_test::UniqueName(L"Morva Accounting Driver"), L"morvaui.dll");
        package.dataFile = L"S2240.DDD";
        package.dependentFiles = {L"S2240RES.DLL", L"morvadm.dll", L"morvares.dll"};
        return new printhost_test::InstalledPrinter(package, L"Morva Accounting");
    }();
    return *printer;
}

struct Printed {
    bool started = false;
    std::string readBack;  // the listing's error, "" when the job was read back whole
    std::vector<docevent_test::LoggedCall> calls;
};

// One page printed on the printer with the DEVMODE; every escape morvaui sent
// is kept whole.
Printed PrintOnePage(const std::wstring& printerName, std::vector<unsigned char> devmode)
{
    Printed out;
    if (devmode.empty()) {
        ADD_FAILURE() << "no DEVMODE";
        return out;
    }
    docevent_test::HostLog log;
    std::wstring error;
    HDC dc = printhost::CreatePrinterDc(printerName, reinterpret_cast<DEVMODEW*>(devmode.data()), &error);
    if (!dc) {
        ADD_FAILURE() << std::string(error.begin(), error.end());
        return out;
    }
    const std::wstring jobFile = printhost_test::TempPath(L"docevent_capability.prn");
    DeleteFileW(jobFile.c_str());
    DOCINFOW doc{sizeof(doc), L"Capabilities", jobFile.c_str(), nullptr, 0};
    out.started = HostStartDocW(dc, &doc) > 0;
    if (out.started) {
        EXPECT_GT(HostStartPage(dc), 0);
        Rectangle(printhost::CurrentDrawingDc(dc), 100, 100, 600, 400);
        EXPECT_GT(HostEndPage(dc), 0);
        EXPECT_GT(HostEndDoc(dc), 0);
        out.readBack = docevent_test::ReadBackJob(jobFile);
    } else {
        HostAbortDoc(dc);
        DeleteFileW(jobFile.c_str());
    }
    EXPECT_TRUE(HostDeleteDC(dc));
    out.calls = log.calls();
    return out;
}

// The input of the last escape `code`; empty when it was not sent.
std::string LastInput(const Printed& printed, uint32_t code)
{
    std::string input;
    for (const docevent_test::LoggedCall& call : printed.calls)
        if (!call.isEvent && uint32_t(call.code) == code)
            input = call.input;
    return input;
}

std::string Text(const std::wstring& text) { return std::string(text.begin(), text.end()); }

class CapabilityWord : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(docevent_test::SharedPrinter().ok()) << Text(docevent_test::SharedPrinter().error());
        ASSERT_TRUE(AccountingPrinter().ok()) << Text(AccountingPrinter().error());
    }
};

// The owner text the annotation record carries: "user\computer" by default,
// the user name alone on a model that names no computer. Both are cut to the
// 31 bytes of ANSI text the device keeps.
TEST_F(CapabilityWord, OwnerTextNamesTheComputerOnlyWhereTheModelWantsIt)
{
    wchar_t user[1024] = {};
    ASSERT_GT(GetCurrentUserName(user, 1024), 0);
    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD chars = MAX_COMPUTERNAME_LENGTH + 1;
    ASSERT_TRUE(GetComputerNameW(computer, &chars));
    const struct {
        const wchar_t* model;
        std::wstring printer;
        std::wstring owner;
    } cases[] = {
        {L"colour reference model", docevent_test::SharedPrinter().printerName(),
         std::wstring(user) + L"\\" + computer},
        {L"owner without computer", AccountingPrinter().printerName(), user},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Text(c.model));
        const Printed printed = PrintOnePage(
            c.printer, docevent_test::PrinterApplicationDevmode(c.printer, {{kFidAnnotationOwner, 1}}));
        ASSERT_TRUE(printed.started);
        EXPECT_EQ(printed.readBack, "");
        const std::string input = LastInput(printed, kEscSetAnnotationData);
        AnnotationRecord annotation{};
        ASSERT_EQ(input.size(), sizeof(annotation));
        std::memcpy(&annotation, input.data(), sizeof(annotation));
        wchar_t expected[std::size(annotation.ownerText)] = {};
        ASSERT_EQ(WideCutToAnsiLimit(c.owner.c_str(), 31, expected, std::size(expected)), 1);
        EXPECT_EQ(std::wstring(annotation.ownerText), std::wstring(expected));
        EXPECT_EQ(annotation.present, 1);
    }
}

// Stores the user codes as an administrator does for the whole printer: the
// printer settings record with its codes, and the printer-wide copy of the
// user's block that lends them to every user.
void StoreUserCodes(const std::wstring& printerName, const wchar_t* plain, const wchar_t* scrambled)
{
    std::wstring error;
    std::vector<unsigned char> devmode = docevent_test::PrinterApplicationDevmode(printerName);
    ASSERT_FALSE(devmode.empty());
    HDC dc = printhost::CreatePrinterDc(printerName, reinterpret_cast<DEVMODEW*>(devmode.data()), &error);
    ASSERT_NE(dc, nullptr) << Text(error);
    std::vector<uint8_t> record(kPrinterSettingsRecordSize, 0);
    const int answer = HostExtEscape(dc, int(kEscGetPrinterSettings), 0, nullptr, int(record.size()),
                                     reinterpret_cast<char*>(record.data()));
    EXPECT_TRUE(HostDeleteDC(dc));
    ASSERT_GE(answer, 1);

    wchar_t* stored = nullptr;
    ASSERT_EQ(EncodeOrDecodeProtectedString(kProtectStringEncode, scrambled, &stored), 1);
    GlobalBlockPtr<wchar_t> owned(stored);
    const struct {
        uint16_t id;
        const wchar_t* text;
    } codes[] = {{kFidUserCodePlain, plain}, {kFidUserCodeScrambled, stored}};
    for (const auto& [id, text] : codes) {
        uint64_t holder = 0;
        std::memcpy(&holder, &text, sizeof text);
        ASSERT_EQ(SetFunctionIdValue(id, nullptr, record.data(), kTypeString,
                                     uint32_t((wcslen(text) + 1) * sizeof(wchar_t)), &holder),
                  0)
            << id;
    }
    ASSERT_EQ(SettingNumberOr(kFidUserCodeMinimum, nullptr, record.data(), 0), 4u);
    UserSettingInfo info{};
    ASSERT_EQ(CaptureUserSettingInfo(L"MORVA S2240", record.data(), &info), 1);

    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    ASSERT_TRUE(OpenPrinterW(const_cast<wchar_t*>(printerName.c_str()), &printer, &access));
    EXPECT_EQ(WritePrinterDataTable(printer, record.data(), kPrinterSettingsRecordSize, kPrinterSettingsTable), 1);
    EXPECT_EQ(SaveUserSettingInfo(printer, nullptr, info, info, kUserInfoPrinterWide | kUserGroup2), 1);
    ClosePrinter(printer);
}

// A job of the user-code job type is checked at STARTDOC against the code the
// model keeps: on a model that keeps it scrambled the scrambled code (up to 12
// digits) is the one checked, the plain one does not count. A code that
// passes lets the job start with its job type; one that fails asks whether to
// print without it, and a question nobody can answer stops the job.
TEST_F(CapabilityWord, UserCodeIsCheckedInTheFormTheModelKeeps)
{
    const struct {
        const wchar_t* plain;
        const wchar_t* scrambled;
        bool starts;
    } cases[] = {
        {L"", L"12345678", true},     // the plain code alone would be too short
        {L"1234", L"12", false},      // a plain code of a good length does not help
        {L"", L"123456789012", true}, // longer than a plain code may be
    };
    const std::wstring name = AccountingPrinter().printerName();
    for (const auto& c : cases) {
        SCOPED_TRACE(Text(std::wstring(c.plain) + L" / " + c.scrambled));
        StoreUserCodes(name, c.plain, c.scrambled);
        const Printed printed =
            PrintOnePage(name, docevent_test::PrinterApplicationDevmode(name, {{kFidJobType, 1}}));
        EXPECT_EQ(printed.started, c.starts);
        if (!c.starts)
            continue;
        EXPECT_EQ(printed.readBack, "");
        std::string settings = LastInput(printed, kEscSetSettings);
        ASSERT_EQ(settings.size(), kSettingsRecordSize);
        EXPECT_EQ(SettingNumberOr(kFidJobType, settings.data(), nullptr, 0), 1u);
    }
}

// The paper region morvaui hands the graphics library follows the user's
// locale on a model that allows it, and is the default region 2 on others.
TEST_F(CapabilityWord, PaperRegionFollowsTheLocaleWhereTheModelAllowsIt)
{
    const struct {
        const wchar_t* model;
        std::wstring printer;
        uint32_t region;
    } cases[] = {
        {L"colour reference model", docevent_test::SharedPrinter().printerName(), GetLocalePaperRegion(1)},
        {L"no locale region", AccountingPrinter().printerName(), 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Text(c.model));
        const Printed printed = PrintOnePage(c.printer, docevent_test::PrinterApplicationDevmode(c.printer));
        ASSERT_TRUE(printed.started);
        EXPECT_EQ(printed.readBack, "");
        const std::string input = LastInput(printed, kEscSetPaperRegion);
        ASSERT_EQ(input.size(), 2u);
        uint16_t region = 0;
        std::memcpy(&region, input.data(), 2);
        EXPECT_EQ(region, c.region);
    }
}

}  // namespace
