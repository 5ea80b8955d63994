#include "common/job/doc_monitor_client.h"
#include "common/job/doc_monitor_job.h"
#include "common/job/doc_monitor_register.h"

#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/lock_table.h"
#include "common/system/user_and_process.h"
#include "tests/support/spooler_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using ConfigureProc = void (*)(const char*, const char*, BOOL, BOOL);
using CallsProc = const char* (*)();
using BytesProc = DWORD (*)(const uint8_t**);
using CountProc = LONG (*)();

std::string BinFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

// Little-endian reads at a byte offset: the expectation does not go through
// the driver's record types.
uint32_t U32(const std::vector<uint8_t>& bytes, size_t offset)
{
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}
std::string Text(const std::vector<uint8_t>& bytes, size_t offset, size_t room)
{
    const char* start = reinterpret_cast<const char*>(bytes.data() + offset);
    return std::string(start, strnlen(start, room));
}

class DocMonitor : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitAllLocks(); }
    void TearDown() override
    {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvane");
        if (standIn_)
            FreeLibrary(standIn_);
        EXPECT_EQ(GetDocMonitorReferences(), 0u);
    }
    // Installs the stand-in of that name and keeps it loaded for the test.
    void Install(const char* dll)
    {
        const std::string path = BinFolder() + dll;
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kDocMonitorKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>(path.size() + 1));
        RegSetValueExA(key, kDocMonitorLibraryValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>(path.size() + 1));
        RegCloseKey(key);
        standIn_ = LoadLibraryA(path.c_str());
        ASSERT_NE(standIn_, nullptr) << path;
        Configure("C1", "J1", TRUE, TRUE);
    }
    // The stand-in's own exports, by their real types.
    template <typename T>
    T Proc(const char* name)
    {
        return reinterpret_cast<T>(reinterpret_cast<void (*)()>(GetProcAddress(standIn_, name)));
    }
    void Configure(const char* client, const char* job, BOOL accept, BOOL exec)
    {
        Proc<ConfigureProc>("StandInConfigure")(client, job, accept, exec);
    }
    std::string Calls() { return Proc<CallsProc>("StandInCalls")(); }
    std::vector<uint8_t> Bytes(const char* which)
    {
        const uint8_t* bytes = nullptr;
        const DWORD size = Proc<BytesProc>(which)(&bytes);
        return std::vector<uint8_t>(bytes, bytes + size);
    }
    LONG Count(const char* which) { return Proc<CountProc>(which)(); }

    HMODULE standIn_ = nullptr;
};

DocMonitorJobRequest PrintRequest()
{
    DocMonitorJobRequest request = {};
    request.requestKind = kDocMonitorPrint;
    request.flag = 1;
    request.jobKind = kDocJobSecure;
    request.firstText = "Office Printer";
    request.secondText = "Quarterly report.docx";
    request.thirdText = "Second floor";
    request.userName = "ann";
    request.printText = "Secure Print";
    return request;
}

DocMonitorJobRequest FaxRequest()
{
    DocMonitorJobRequest request = PrintRequest();
    request.requestKind = kDocMonitorFax;
    request.jobKind = kDocJobFaxSpecial;
    request.printText = nullptr;
    request.faxText[0] = "Ann Smith";
    request.faxText[1] = "+1 555 0100";
    return request;
}

TEST_F(DocMonitor, NotAvailableWithoutTheRegistryEntries)
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvane");
    EXPECT_EQ(IsDocMonitorAvailable(), 0);
    DocMonitorJob* job = nullptr;
    char id[kDocJobIdChars];
    const DocMonitorJobRequest request = PrintRequest();
    EXPECT_EQ(CreateDocMonitorJob(&job, id, &request), kDocMonitorUnavailable);
    EXPECT_EQ(job, nullptr);
}

TEST_F(DocMonitor, NotAvailableWhenTheMarkerFileIsMissing)
{
    Install("morva_docmon_ex.dll");
    HKEY key = nullptr;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDocMonitorKey, 0, KEY_WRITE, &key);
    const char missing[] = "C:\\no\\such\\marker.dat";
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(missing), sizeof missing);
    RegCloseKey(key);
    EXPECT_EQ(IsDocMonitorAvailable(), 0);
}

TEST_F(DocMonitor, ExtendedRecordReachesTheMonitorByteForByte)
{
    Install("morva_docmon_ex.dll");
    EXPECT_EQ(IsDocMonitorAvailable(), 1);
    Configure("C1", "J1", TRUE, TRUE);
    DocMonitorJob* job = nullptr;
    char id[kDocJobIdChars];
    const DocMonitorJobRequest request = PrintRequest();
    const uint32_t before = static_cast<uint32_t>(time(nullptr));
    ASSERT_EQ(CreateDocMonitorJob(&job, id, &request), kDocMonitorDone);
    EXPECT_STREQ(id, "C1.J1");
    EXPECT_EQ(GetDocMonitorReferences(), 1u);
    EXPECT_EQ(Calls(), "VdmInitializeDocMon;VdmCreateClientId;VdmCreateJobId;VdmSetVdmDataEx;");

    const std::vector<uint8_t> header = Bytes("StandInHeader");
    ASSERT_EQ(header.size(), 608u);
    EXPECT_EQ(U32(header, 0), 608u);
    EXPECT_EQ(U32(header, 4), 1u);
    EXPECT_EQ(U32(header, 8), 3u);
    EXPECT_EQ(U32(header, 12), 11u);
    EXPECT_EQ(Text(header, 16, 260), "Office Printer");
    EXPECT_EQ(Text(header, 276, 256), "Second floor");
    EXPECT_EQ(Text(header, 532, 64), "ann");
    const std::vector<uint8_t> destination = Bytes("StandInDestinations");
    ASSERT_EQ(destination.size(), 812u);
    EXPECT_EQ(U32(destination, 0), 812u);
    EXPECT_EQ(U32(destination, 4), kDocJobSecure);
    EXPECT_GE(U32(destination, 8), before);
    EXPECT_LE(U32(destination, 8), before + 60);
    EXPECT_EQ(Text(destination, 12, 260), "Office Printer");
    EXPECT_EQ(Text(destination, 272, 64), "C1.J1");
    EXPECT_EQ(Text(destination, 336, 260), "Quarterly report.docx");
    EXPECT_EQ(Text(destination, 596, 32), "");
    EXPECT_EQ(U32(destination, 660), 1u);
    EXPECT_EQ(U32(destination, 664), 0u);
    EXPECT_EQ(Text(destination, 732, 80), "Secure Print");
    for (size_t i = 668; i < 732; ++i)
        ASSERT_EQ(destination[i], 0) << i;

    EXPECT_EQ(RunDocMonitor(job), kDocMonitorDone);
    EXPECT_EQ(Calls(),
              "VdmInitializeDocMon;VdmCreateClientId;VdmCreateJobId;VdmSetVdmDataEx;VdmExecDocMon;C1.J1;"
              "VdmUnInitializeDocMon;");
    EXPECT_EQ(Count("StandInBalance"), 0);
}

TEST_F(DocMonitor, OlderMonitorGetsTheOlderRecord)
{
    Install("morva_docmon.dll");
    DocMonitorJob* job = nullptr;
    char id[kDocJobIdChars];
    const DocMonitorJobRequest request = FaxRequest();
    ASSERT_EQ(CreateDocMonitorJob(&job, id, &request), kDocMonitorDone);
    EXPECT_EQ(Calls(), "VdmInitializeDocMon;VdmCreateClientId;VdmCreateJobId;VdmSetVdmData;");
    const std::vector<uint8_t> header = Bytes("StandInHeader");
    ASSERT_EQ(header.size(), 536u);
    EXPECT_EQ(U32(header, 0), 1u);
    EXPECT_EQ(U32(header, 4), 2u);
    EXPECT_EQ(U32(header, 8), 11u);
    EXPECT_EQ(Text(header, 12, 260), "Office Printer");
    EXPECT_EQ(Text(header, 272, 256), "Second floor");
    const std::vector<uint8_t> destination = Bytes("StandInDestinations");
    ASSERT_EQ(destination.size(), 660u);
    EXPECT_EQ(U32(destination, 0), 660u);
    EXPECT_EQ(U32(destination, 4), 1u);  // fax
    EXPECT_EQ(Text(destination, 12, 260), "Office Printer");
    EXPECT_EQ(Text(destination, 272, 64), "C1.J1");
    EXPECT_EQ(Text(destination, 336, 260), "Quarterly report.docx");
    EXPECT_EQ(Text(destination, 596, 32), "Ann Smith");
    EXPECT_EQ(Text(destination, 628, 32), "+1 555 0100");
    EXPECT_EQ(RunDocMonitor(job), kDocMonitorDone);
}

TEST_F(DocMonitor, RefusedRecordReleasesTheMonitor)
{
    Install("morva_docmon_ex.dll");
    Configure("C1", "J1", FALSE, TRUE);
    DocMonitorJob* job = nullptr;
    char id[kDocJobIdChars];
    const DocMonitorJobRequest request = PrintRequest();
    EXPECT_EQ(CreateDocMonitorJob(&job, id, &request), kDocMonitorUnavailable);
    EXPECT_EQ(job, nullptr);
    EXPECT_EQ(GetDocMonitorReferences(), 0u);
    EXPECT_EQ(Count("StandInBalance"), 0);
}

TEST_F(DocMonitor, FailedExecStillReleases)
{
    Install("morva_docmon_ex.dll");
    Configure("C1", "J1", TRUE, FALSE);
    DocMonitorJob* job = nullptr;
    char id[kDocJobIdChars];
    const DocMonitorJobRequest request = PrintRequest();
    ASSERT_EQ(CreateDocMonitorJob(&job, id, &request), kDocMonitorDone);
    EXPECT_EQ(RunDocMonitor(job), kDocMonitorUnavailable);
    EXPECT_EQ(GetDocMonitorReferences(), 0u);
    EXPECT_EQ(RunDocMonitor(nullptr), kDocMonitorMissing);
}

TEST_F(DocMonitor, JobIdTextBelowFortyEightCharacters)
{
    Install("morva_docmon_ex.dll");
    struct Case {
        std::string client;
        std::string job;
        int result;
    };
    const Case cases[] = {
        {std::string(30, 'c'), std::string(16, 'j'), kDocMonitorDone},     // 47 characters
        {std::string(30, 'c'), std::string(17, 'j'), kDocMonitorTooLong},  // 48
        {std::string(63, 'c'), "j", kDocMonitorTooLong},
        {std::string(64, 'c'), "j", kDocMonitorTooLong},  // fills the room without a terminator
        {"c", std::string(64, 'j'), kDocMonitorTooLong},
    };
    for (const Case& c : cases) {
        Configure(c.client.c_str(), c.job.c_str(), TRUE, TRUE);
        DocMonitorJob* job = nullptr;
        char id[kDocJobIdChars] = {};
        const DocMonitorJobRequest request = PrintRequest();
        ASSERT_EQ(CreateDocMonitorJob(&job, id, &request), c.result) << c.client.size() << "+" << c.job.size();
        if (job != nullptr) {
            EXPECT_EQ(std::string(id), c.client + "." + c.job);
            RunDocMonitor(job);
        }
        EXPECT_EQ(GetDocMonitorReferences(), 0u);
    }
}

TEST_F(DocMonitor, RequestIsCheckedBeforeTheMonitorIsAsked)
{
    Install("morva_docmon_ex.dll");
    const std::string first260(260, 'f'), first259(259, 'f'), user64(64, 'u'), print80(80, 'p');
    const std::string fax32(32, 'x'), third256(256, 't'), third255(255, 't');
    struct Case {
        const char* what;
        void (*change)(DocMonitorJobRequest*, const std::string&);
        const std::string* text;
        bool fax;
        int result;
    };
    const Case cases[] = {
        {"kind 2", [](DocMonitorJobRequest* r, const std::string&) { r->requestKind = 2; }, nullptr, false,
         kDocMonitorBadKind},
        {"no user", [](DocMonitorJobRequest* r, const std::string&) { r->userName = nullptr; }, nullptr, false,
         kDocMonitorMissing},
        {"no print text", [](DocMonitorJobRequest* r, const std::string&) { r->printText = nullptr; }, nullptr,
         false, kDocMonitorMissing},
        {"no fax text", [](DocMonitorJobRequest* r, const std::string&) { r->faxText[1] = nullptr; }, nullptr, true,
         kDocMonitorMissing},
        {"first 259", [](DocMonitorJobRequest* r, const std::string& t) { r->firstText = t.c_str(); }, &first259,
         false, kDocMonitorDone},
        {"first 260", [](DocMonitorJobRequest* r, const std::string& t) { r->firstText = t.c_str(); }, &first260,
         false, kDocMonitorTooLong},
        {"second 260", [](DocMonitorJobRequest* r, const std::string& t) { r->secondText = t.c_str(); }, &first260,
         false, kDocMonitorTooLong},
        {"third 255", [](DocMonitorJobRequest* r, const std::string& t) { r->thirdText = t.c_str(); }, &third255,
         false, kDocMonitorDone},
        {"third 256", [](DocMonitorJobRequest* r, const std::string& t) { r->thirdText = t.c_str(); }, &third256,
         false, kDocMonitorTooLong},
        {"user 64", [](DocMonitorJobRequest* r, const std::string& t) { r->userName = t.c_str(); }, &user64, false,
         kDocMonitorTooLong},
        {"print 80", [](DocMonitorJobRequest* r, const std::string& t) { r->printText = t.c_str(); }, &print80, false,
         kDocMonitorTooLong},
        {"fax 32", [](DocMonitorJobRequest* r, const std::string& t) { r->faxText[0] = t.c_str(); }, &fax32, true,
         kDocMonitorTooLong},
    };
    for (const Case& c : cases) {
        Configure("C1", "J1", TRUE, TRUE);
        DocMonitorJobRequest request = c.fax ? FaxRequest() : PrintRequest();
        static const std::string kNone;
        c.change(&request, c.text ? *c.text : kNone);
        DocMonitorJob* job = nullptr;
        char id[kDocJobIdChars];
        EXPECT_EQ(CreateDocMonitorJob(&job, id, &request), c.result) << c.what;
        if (c.result != kDocMonitorDone) {
            EXPECT_EQ(Calls(), "") << c.what;
        }
        if (job != nullptr)
            RunDocMonitor(job);
    }
    DocMonitorJob* job = nullptr;
    const DocMonitorJobRequest request = PrintRequest();
    EXPECT_EQ(CreateDocMonitorJob(&job, nullptr, &request), kDocMonitorMissing);
}

TEST_F(DocMonitor, LibraryWithoutARequiredFunctionIsNotUsed)
{
    Install("morva_docmon_bad.dll");
    EXPECT_EQ(AcquireDocMonitor(nullptr), kDocMonitorMissingFunction);
    EXPECT_EQ(IsDocMonitorAvailable(), 0);
    EXPECT_EQ(Count("StandInInitCount"), 0);
}

TEST_F(DocMonitor, ReferencesCountedUnderTheLockFromManyThreads)
{
    Install("morva_docmon_ex.dll");
    constexpr int kThreads = 4;
    constexpr int kRounds = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([] {
            for (int i = 0; i < kRounds; ++i) {
                const DocMonitorEntries* entries = nullptr;
                if (AcquireDocMonitor(&entries) == 1)
                    ReleaseDocMonitor();
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(GetDocMonitorReferences(), 0u);
    EXPECT_EQ(Count("StandInInitCount"), kThreads * kRounds);
    EXPECT_EQ(Count("StandInBalance"), 0);
}

// A job's settings in zeroed records, set by identifier.
class DocMonitorRequest : public DocMonitor {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer_.ok());
        job_.printer = printer_.handle();
        job_.settingsRecord = settings_.data();
        job_.printerSettingsRecord = printerSettings_.data();
        job_.documentName = L"Quarterly report.docx";
    }
    void Set(uint16_t id, uint16_t type, uint32_t value)
    {
        ASSERT_EQ(SetFunctionIdValueArgs(settings_.data(), printerSettings_.data(), id, type,
                                         type == kTypeByte ? 1u : 2u, value),
                  0)
            << id;
    }
    void SetText(uint16_t id, const wchar_t* text)
    {
        ASSERT_EQ(SetFunctionIdValueArgs(settings_.data(), printerSettings_.data(), id, kTypeString,
                                         static_cast<uint32_t>((wcslen(text) + 1) * sizeof(wchar_t)), text),
                  0)
            << id;
    }
    DocMonitorJobRequest Fill()
    {
        DocMonitorJobRequest request = {};
        EXPECT_EQ(FillDocMonitorRequest(job_, &request, &texts_), 1);
        return request;
    }
    TestPrinter printer_{L"Morva Job Monitor"};
    std::vector<uint8_t> settings_ = std::vector<uint8_t>(kSettingsRecordSize);
    std::vector<uint8_t> printerSettings_ = std::vector<uint8_t>(kPrinterSettingsRecordSize);
    DocMonitorJobContext job_ = {};
    DocMonitorRequestTexts texts_ = {};
};

TEST_F(DocMonitorRequest, PrintJobKindsFromTheJobType)
{
    struct Case {
        uint32_t jobType;
        uint32_t kind;
    };
    for (const Case& c : {Case{0, kDocJobOther}, Case{1, kDocJobSecure}, Case{2, kDocJobProof},
                          Case{3, kDocJobBox}, Case{4, kDocJobDelayed}, Case{7, kDocJobOther}}) {
        Set(kFidJobType, kTypeU16, c.jobType);
        EXPECT_EQ(Fill().jobKind, c.kind) << c.jobType;
    }
    Set(kFidStoredJobText, kTypeU16, 1);
    SetText(kFidStoredJobName, L"Ledger");
    const DocMonitorJobRequest stored = Fill();
    EXPECT_EQ(stored.jobKind, kDocJobStoredText);
    EXPECT_STREQ(stored.printText, "Ledger");
}

TEST_F(DocMonitorRequest, DelayedJobTakesItsTimeAndTheHeldUserName)
{
    Set(kFidJobType, kTypeU16, 4);
    Set(kFidDelayHour, kTypeByte, 8);
    Set(kFidDelayMinute, kTypeByte, 30);
    Set(kFidAdminUserIdKind, kTypeU16, 5);
    SetText(kFidAdminUserName, L"Admin Ann");
    const DocMonitorJobRequest request = Fill();
    EXPECT_EQ(request.requestKind, kDocMonitorPrint);
    EXPECT_EQ(request.jobKind, kDocJobDelayed);
    EXPECT_EQ(request.hour, 8);
    EXPECT_EQ(request.minute, 30);
    EXPECT_STREQ(request.userName, "Admin Ann");
    EXPECT_EQ(std::string(request.firstText), "Morva Job Monitor");
    EXPECT_STREQ(request.secondText, "Quarterly report.docx");
    EXPECT_STREQ(request.thirdText, "FILE:");
    EXPECT_NE(request.printText, nullptr);

    Set(kFidAdminUserIdKind, kTypeU16, 7);  // another kind: the user who prints
    wchar_t user[64];
    GetCurrentUserName(user, 64);
    EXPECT_EQ(std::string(Fill().userName), std::string(user, user + wcslen(user)));
}

TEST_F(DocMonitorRequest, BoxJobNamesItsBox)
{
    Set(kFidJobType, kTypeU16, 3);
    SetText(kFidBoxName, L"1234");
    EXPECT_STREQ(Fill().printText, ": 1234");  // without model data the box has no display name
}

TEST_F(DocMonitorRequest, FaxTextsFromTheRecipients)
{
    job_.requestKind = kDocMonitorFax;
    job_.recipientName = L"Ann Smith";
    job_.recipientNumber = L"+1 555 0100";
    job_.recipientCount = 1;
    DocMonitorJobRequest request = Fill();
    EXPECT_EQ(request.jobKind, kDocJobFax);
    EXPECT_STREQ(request.faxText[0], "Ann Smith");
    EXPECT_STREQ(request.faxText[1], "+1 555 0100");
    EXPECT_EQ(request.printText, nullptr);
    Set(kFidFaxSpecialJob, kTypeU16, 1);
    job_.recipientName = nullptr;
    job_.recipientCount = 3;
    request = Fill();
    EXPECT_EQ(request.jobKind, kDocJobFaxSpecial);
    EXPECT_STREQ(request.faxText[0], "(no name) +2");
    EXPECT_STREQ(request.faxText[1], "+1 555 0100 +2");
    const std::wstring longName(40, L'n');
    job_.recipientName = longName.c_str();
    job_.recipientCount = 1;
    EXPECT_EQ(std::string(Fill().faxText[0]), std::string(31, 'n'));
}

TEST_F(DocMonitorRequest, RegisteredJobReachesTheMonitor)
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvane");
    DocMonitorJob* handle = nullptr;
    char id[kDocJobIdChars];
    EXPECT_EQ(RegisterJobWithDocMonitor(job_, &handle, id), kDocMonitorUnavailable);
    job_.settingsRecord = nullptr;
    EXPECT_EQ(RegisterJobWithDocMonitor(job_, &handle, id), kDocMonitorMissing);
}

TEST(DocMonitorDelay, SecondsUntilTheTimeComesNext)
{
    EXPECT_EQ(DocMonitorDelaySeconds(8, 0, 9 * 3600), 82800u);
    EXPECT_EQ(DocMonitorDelaySeconds(10, 30, 9 * 3600), 5400u);
    EXPECT_EQ(DocMonitorDelaySeconds(9, 0, 9 * 3600), 86400u);
    EXPECT_EQ(DocMonitorDelaySeconds(0, 0, 86399), 1u);
}

}  // namespace
