// The document events of morvaui as the print host sends them around every DC
// operation, with morvagr answering the escapes: the events' answers, the
// escapes of each event in their order and sizes, the extended DEVMODE, the job
// records of several DCs and threads.
#include "tests/docevent/docevent_fixture.h"

#include "common/records/settings_records.h"
#include "printhost/host_dc.h"
#include "printhost/install.h"

#include <gtest/gtest.h>

#include <winspool.h>
#include <winddiui.h>

#include <algorithm>
#include <cstring>
#include <thread>

namespace {

using docevent_test::HostLog;

std::string Join(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

// The lines from the first event `from` (exclusive of what came before it)
// up to and including the event `to`.
std::vector<std::string> Between(const std::vector<std::string>& lines, const std::string& afterEvent,
                                 const std::string& untilEvent)
{
    auto begin = afterEvent.empty() ? lines.begin() : std::find(lines.begin(), lines.end(), afterEvent);
    if (begin == lines.end())
        return {};
    if (!afterEvent.empty())
        ++begin;
    auto end = std::find(begin, lines.end(), untilEvent);
    return std::vector<std::string>(begin, end == lines.end() ? end : end + 1);
}

HDC CreateDc(std::wstring* error)
{
    return docevent_test::CreateJobDc(error);
}

// A document started and aborted on a new DC, with a reset of the DC in
// between when asked.
void AbortedDocument(bool resetInside)
{
    std::wstring error;
    HDC dc = CreateDc(&error);
    ASSERT_NE(dc, nullptr) << std::string(error.begin(), error.end());
    const std::wstring jobFile = printhost_test::TempPath(L"docevent_aborted.prn");
    DOCINFOW doc{sizeof(doc), L"Aborted", jobFile.c_str(), nullptr, 0};
    EXPECT_GT(HostStartDocW(dc, &doc), 0);
    if (resetInside)
        EXPECT_EQ(HostResetDCW(dc, nullptr), dc);
    EXPECT_GT(HostAbortDoc(dc), 0);
    EXPECT_TRUE(HostDeleteDC(dc));
    DeleteFileW(jobFile.c_str());
}

class DocumentEvents : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(docevent_test::SharedPrinter().ok())
            << std::string(docevent_test::SharedPrinter().error().begin(), docevent_test::SharedPrinter().error().end());
    }
};

// One page: every DC operation brings its events in Windows' order, and each
// event sends its escapes in the order and sizes the graphics library takes.
TEST_F(DocumentEvents, EventsAndEscapesOfOneDocument)
{
    HostLog log;
    std::wstring error;
    HDC dc = CreateDc(&error);
    ASSERT_NE(dc, nullptr) << std::string(error.begin(), error.end());
    const std::wstring jobFile = printhost_test::TempPath(L"docevent_one.prn");
    DOCINFOW doc{sizeof(doc), L"One page", jobFile.c_str(), nullptr, 0};
    EXPECT_GT(HostStartDocW(dc, &doc), 0);
    EXPECT_GT(HostStartPage(dc), 0);
    Rectangle(printhost::CurrentDrawingDc(dc), 10, 10, 200, 100);
    EXPECT_GT(HostEndPage(dc), 0);
    EXPECT_GT(HostEndDoc(dc), 0);
    EXPECT_TRUE(HostDeleteDC(dc));
    EXPECT_EQ(docevent_test::ReadBackJob(jobFile), "");

    const std::vector<std::string> lines = log.lines();
    // The header step asks whether the job is a fax job and, when the job has
    // a header (setting 1333), sends a header block of one slot.
    std::string headerLine;
    for (const std::string& line : Between(lines, "5=1", "13=1"))
        if (line.rfind("20517(", 0) == 0)
            headerLine = line;
    std::vector<std::string> expected = {
        "1=1", "2=1",
        // STARTDOC: the job started, the settings read, the capability record,
        // the returned block's size, the fax question, the settings sent.
        "20512(4/0)", "20482(0/5900)", "20520(0/12)", "20526(2/4)", "20489(0/4)", "20485(5900/0)", "5=1",
        // STARTDOCPOST: the job-started question, then the batch.
        "20522(0/4)", "20482(0/5900)", "20489(0/4)", "20513(2/0)=0", "20736(2/0)", "20515(522/0)",
        "20485(5900/0)", "20491(7964/0)", "20487(768/0)", "20521(12/0)"};
    if (!headerLine.empty())
        expected.push_back(headerLine);
    for (const char* line : {"20524(2112/0)", "20513(2/0)=1", "13=1",
                             // STARTPAGE: the settings read, the page record.
                             "20482(0/5900)", "20496(10/0)", "6=1",
                             // ENDPAGE: the overlays due on the finished face
                             // (annotations, whose record holds no text), the
                             // settings and the annotation record read.
                             "20481(4/44)", "20482(0/5900)", "20486(0/768)", "7=1",
                             // ENDDOC: nothing due on a page of its own.
                             "20481(4/44)", "8=1", "12=0", "10=1"})
        expected.push_back(line);
    EXPECT_EQ(Join(lines), Join(expected));
}

// The job header block: one slot per header whose stride leaves room for the
// header's size bound and the slot's length word, the table of offsets after
// the slots, and an input of (stride + 4) x count + 16 bytes, which morvagr
// takes (the batch answers 1).
TEST_F(DocumentEvents, JobHeaderBlockFitsItsSlots)
{
    HostLog log;
    AbortedDocument(false);
    int blocks = 0;
    for (const docevent_test::LoggedCall& call : log.calls()) {
        if (call.isEvent && call.code == DOCUMENTEVENT_STARTDOCPOST)
            EXPECT_EQ(call.result, 1);
        if (call.isEvent || call.code != 20517)
            continue;
        ++blocks;
        const uint32_t count = call.head[0], stride = call.head[1];
        EXPECT_EQ(count, 1u);
        EXPECT_GT(stride, 4u);
        EXPECT_EQ(call.head[2], 16u);
        EXPECT_EQ(call.head[3], 16 + count * stride);
        EXPECT_EQ(uint32_t(call.inSize), (stride + 4) * count + 16);
    }
    EXPECT_EQ(blocks, 1);
}

// RESETDCPOST before the first STARTDOC sends nothing and answers 1; after it
// the batch goes again.
TEST_F(DocumentEvents, ResetBeforeStartDocSendsNothing)
{
    HostLog log;
    std::wstring error;
    HDC dc = CreateDc(&error);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(HostResetDCW(dc, nullptr), dc);
    EXPECT_TRUE(HostDeleteDC(dc));
    EXPECT_EQ(Join(log.lines()), Join({"1=1", "2=1", "3=1", "4=1", "10=1"}));
}

TEST_F(DocumentEvents, ResetAfterStartDocSendsTheBatch)
{
    HostLog log;
    AbortedDocument(true);
    const std::vector<std::string> reset = Between(log.lines(), "3=1", "4=1");
    ASSERT_FALSE(reset.empty());
    EXPECT_EQ(reset.back(), "4=1");
    EXPECT_NE(std::find(reset.begin(), reset.end(), "20513(2/0)=0"), reset.end()) << Join(reset);
    EXPECT_EQ(reset[reset.size() - 2], "20513(2/0)=1") << Join(reset);
}

// An escape of the batch that fails does not stop the batch: the rest is
// sent, the batch is closed, and the event answers -1.
TEST_F(DocumentEvents, FailingEscapeStillClosesTheBatch)
{
    for (int failing : {20491, 20736, 20524}) {
        HostLog log(failing);
        std::wstring error;
        HDC dc = CreateDc(&error);
        ASSERT_NE(dc, nullptr);
        const std::wstring jobFile = printhost_test::TempPath(L"docevent_fail.prn");
        DOCINFOW doc{sizeof(doc), L"Failing", jobFile.c_str(), nullptr, 0};
        EXPECT_EQ(HostStartDocW(dc, &doc), SP_ERROR) << failing;
        EXPECT_TRUE(HostDeleteDC(dc));
        DeleteFileW(jobFile.c_str());
        const std::vector<std::string> batch = Between(log.lines(), "5=1", "13=-1");
        ASSERT_GE(batch.size(), 3u) << failing << "\n" << Join(log.lines());
        EXPECT_EQ(batch[batch.size() - 2], "20513(2/0)=1") << failing;
        EXPECT_NE(std::find(batch.begin(), batch.end(), "20524(2112/0)"), batch.end()) << failing;
    }
}

// The DEVMODE handed out at CREATEDCPRE: the settings record with the public
// size fields of the extended form and the 24-byte trailer.
TEST_F(DocumentEvents, ExtendedDevmodeAndItsTrailer)
{
    auto event = docevent_test::InstalledDocumentEvent();
    ASSERT_NE(event, nullptr);
    HANDLE printer = docevent_test::OpenSharedPrinter();
    ASSERT_NE(printer, nullptr);
    std::vector<unsigned char> given = printhost::PrinterDevmode(printer);
    ASSERT_FALSE(given.empty());
    auto* input = reinterpret_cast<DEVMODEW*>(given.data());
    input->dmPaperSize = DMPAPER_A4;
    input->dmFields |= DM_PAPERSIZE;
    DOCEVENT_CREATEDCPRE pre{nullptr, const_cast<wchar_t*>(docevent_test::SharedPrinter().printerName().c_str()), input,
                             FALSE};
    DEVMODEW* out = nullptr;
    ASSERT_EQ(event(printer, nullptr, DOCUMENTEVENT_CREATEDCPRE, sizeof(pre), &pre, sizeof(out), &out), 1);
    ASSERT_NE(out, nullptr);
    const auto* bytes = reinterpret_cast<const uint8_t*>(out);
    auto u16 = [&](size_t at) { uint16_t v; std::memcpy(&v, bytes + at, 2); return v; };
    auto u32 = [&](size_t at) { uint32_t v; std::memcpy(&v, bytes + at, 4); return v; };
    EXPECT_EQ(out->dmSize, 220);
    EXPECT_EQ(out->dmDriverExtra, 5704);
    EXPECT_EQ(out->dmPaperSize, DMPAPER_A4);
    EXPECT_EQ(u16(5900), 24);
    EXPECT_EQ(u16(5914), 0);
    EXPECT_LE(u32(5920), 1u);
    if (u16(5904) != 0) {
        // Paper words were asked for: the paper, its model paper and four margins.
        EXPECT_EQ(u16(5902), DMPAPER_A4);
        for (size_t at = 5906; at <= 5912; at += 2)
            EXPECT_GT(u16(at), 0) << at;
    } else {
        for (size_t at = 5902; at <= 5912; at += 2)
            EXPECT_EQ(u16(at), 0) << at;
    }
    EXPECT_EQ(IsExtendedSettingsRecord(out, kExtendedSettingsRecordSize), 1);

    // Given back at the next PRE event, an extended DEVMODE is taken as it is.
    DEVMODEW* again = reinterpret_cast<DEVMODEW*>(1);
    EXPECT_EQ(event(printer, nullptr, DOCUMENTEVENT_RESETDCPRE, sizeof(out), &out, sizeof(again), &again), 1);
    EXPECT_EQ(again, nullptr);

    EXPECT_EQ(event(printer, reinterpret_cast<HDC>(1), DOCUMENTEVENT_CREATEDCPOST, sizeof(out), &out, 0, nullptr), 1);
    EXPECT_EQ(event(printer, nullptr, DOCUMENTEVENT_DELETEDC, 0, nullptr, 0, nullptr), 1);
    ClosePrinter(printer);
}

// Records are found by printer handle, newest first. RESETDCPOST before a
// document tells whether a record is there: 1 with one, -1 without.
int RecordThere(docevent_test::DocumentEventFn event, HANDLE printer)
{
    return event(printer, nullptr, DOCUMENTEVENT_RESETDCPOST, 0, nullptr, 0, nullptr);
}

int CreateRecord(docevent_test::DocumentEventFn event, HANDLE printer)
{
    DEVMODEW* out = nullptr;
    DOCEVENT_CREATEDCPRE pre{nullptr, nullptr, nullptr, FALSE};
    const int result = event(printer, nullptr, DOCUMENTEVENT_CREATEDCPRE, sizeof(pre), &pre, sizeof(out), &out);
    event(printer, reinterpret_cast<HDC>(1), DOCUMENTEVENT_CREATEDCPOST, sizeof(out), &out, 0, nullptr);
    return result;
}

TEST_F(DocumentEvents, TwoDcsOnOnePrinterHandle)
{
    auto event = docevent_test::InstalledDocumentEvent();
    ASSERT_NE(event, nullptr);
    HANDLE printer = docevent_test::OpenSharedPrinter();
    ASSERT_NE(printer, nullptr);
    EXPECT_EQ(RecordThere(event, printer), -1);
    EXPECT_EQ(CreateRecord(event, printer), 1);
    EXPECT_EQ(CreateRecord(event, printer), 1);
    EXPECT_EQ(event(printer, nullptr, DOCUMENTEVENT_DELETEDC, 0, nullptr, 0, nullptr), 1);
    EXPECT_EQ(RecordThere(event, printer), 1);
    EXPECT_EQ(event(printer, nullptr, DOCUMENTEVENT_DELETEDC, 0, nullptr, 0, nullptr), 1);
    EXPECT_EQ(RecordThere(event, printer), -1);
    // DELETEDC without a record, an unknown event, no printer.
    EXPECT_EQ(event(printer, nullptr, DOCUMENTEVENT_DELETEDC, 0, nullptr, 0, nullptr), 1);
    EXPECT_EQ(event(printer, nullptr, 99, 0, nullptr, 0, nullptr), 0);
    EXPECT_EQ(event(nullptr, nullptr, DOCUMENTEVENT_STARTDOC, 0, nullptr, 0, nullptr), -1);
    ClosePrinter(printer);
}

// A DC that was never made gets no DELETEDC: CREATEDCPOST without a DC lets
// its record go.
TEST_F(DocumentEvents, CreateDcPostWithoutDcFreesTheRecord)
{
    auto event = docevent_test::InstalledDocumentEvent();
    ASSERT_NE(event, nullptr);
    HANDLE printer = docevent_test::OpenSharedPrinter();
    ASSERT_NE(printer, nullptr);
    DEVMODEW* out = nullptr;
    DOCEVENT_CREATEDCPRE pre{nullptr, nullptr, nullptr, FALSE};
    ASSERT_EQ(event(printer, nullptr, DOCUMENTEVENT_CREATEDCPRE, sizeof(pre), &pre, sizeof(out), &out), 1);
    EXPECT_EQ(RecordThere(event, printer), 1);
    EXPECT_EQ(event(printer, nullptr, DOCUMENTEVENT_CREATEDCPOST, sizeof(out), &out, 0, nullptr), 1);
    EXPECT_EQ(RecordThere(event, printer), -1);
    ClosePrinter(printer);
}

// Eight threads create and delete DCs at once, each on printer handles of its
// own: every event answers 1 and no record is left behind.
TEST_F(DocumentEvents, EightThreadsCreateAndDeleteDcs)
{
    auto event = docevent_test::InstalledDocumentEvent();
    ASSERT_NE(event, nullptr);
    constexpr int kThreads = 8, kRounds = 6;
    std::vector<int> failures(kThreads, 0);
    std::vector<HANDLE> printers(kThreads);
    for (HANDLE& printer : printers)
        ASSERT_NE(printer = docevent_test::OpenSharedPrinter(), nullptr);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < kRounds; ++round) {
                // Two DCs on the thread's handle, deleted newest first.
                failures[t] += CreateRecord(event, printers[t]) != 1;
                failures[t] += CreateRecord(event, printers[t]) != 1;
                failures[t] += RecordThere(event, printers[t]) != 1;
                failures[t] += event(printers[t], nullptr, DOCUMENTEVENT_DELETEDC, 0, nullptr, 0, nullptr) != 1;
                failures[t] += event(printers[t], nullptr, DOCUMENTEVENT_DELETEDC, 0, nullptr, 0, nullptr) != 1;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(failures[t], 0) << t;
        EXPECT_EQ(RecordThere(event, printers[t]), -1) << t;
        ClosePrinter(printers[t]);
    }
    // Every event took one reference on the resource file and dropped it: a
    // count that lost an update under the threads keeps the file loaded.
    EXPECT_EQ(GetModuleHandleW(L"morvares.dll"), nullptr);
}

// A CREATEDCPRE whose extended DEVMODE cannot be built (no settings on this
// handle) fails, and leaves no record behind: the DC is never made, so no
// DELETEDC would take it (nor the library's own reference it holds).
TEST_F(DocumentEvents, FailedCreateDcPreLinksNoRecord)
{
    auto event = docevent_test::InstalledDocumentEvent();
    ASSERT_NE(event, nullptr);
    HANDLE notAPrinter = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7E570000));
    for (int round = 0; round < 2; ++round) {
        DEVMODEW* out = reinterpret_cast<DEVMODEW*>(1);
        DOCEVENT_CREATEDCPRE pre{nullptr, nullptr, nullptr, FALSE};
        EXPECT_EQ(event(notAPrinter, nullptr, DOCUMENTEVENT_CREATEDCPRE, sizeof(pre), &pre, sizeof(out), &out), -1);
        EXPECT_EQ(out, nullptr);
        EXPECT_EQ(RecordThere(event, notAPrinter), -1) << round;
    }
}

// Host DCs made at once on eight threads, each with a document of one page.
TEST_F(DocumentEvents, EightThreadsPrintThroughHostDcs)
{
    constexpr int kThreads = 8;
    std::vector<int> failures(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            std::wstring error;
            HDC dc = CreateDc(&error);
            if (!dc) {
                ++failures[t];
                return;
            }
            const std::wstring jobFile = printhost_test::TempPath(L"docevent_thread" + std::to_wstring(t) + L".prn");
            DOCINFOW doc{sizeof(doc), L"Thread", jobFile.c_str(), nullptr, 0};
            failures[t] += HostStartDocW(dc, &doc) <= 0;
            failures[t] += HostStartPage(dc) <= 0;
            failures[t] += HostEndPage(dc) <= 0;
            failures[t] += HostEndDoc(dc) <= 0;
            failures[t] += !HostDeleteDC(dc);
        });
    for (std::thread& thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(failures[t], 0) << t;
        const std::wstring jobFile = printhost_test::TempPath(L"docevent_thread" + std::to_wstring(t) + L".prn");
        EXPECT_EQ(docevent_test::ReadBackJob(jobFile), "") << t;
    }
    // Both libraries dropped every reference they took on the resource file.
    EXPECT_EQ(GetModuleHandleW(L"morvares.dll"), nullptr);
}

}  // namespace
