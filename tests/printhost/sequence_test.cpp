// The order of document events, DDI calls and escapes over a whole document.
#include "tests/printhost/recorded_document.h"

#include "tests/printhost/driver_fixture.h"

#include "printhost/host_dc.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace printhost_test;

TEST(PrintHostSequence, TwoPageDocumentWithResetOverlayAndExtraPage)
{
    Switch overlay(L"PRINTHOST_RECORD_OVERLAY");
    Switch extraPage(L"PRINTHOST_RECORD_EXTRA_PAGE");
    DEVMODEW landscape{};
    landscape.dmSize = sizeof(DEVMODEW);
    landscape.dmSpecVersion = DM_SPECVERSION;
    landscape.dmFields = DM_ORIENTATION;
    landscape.dmOrientation = DMORIENT_LANDSCAPE;
    const std::string record = RecordDocument(
        {[](HDC dc) {
             const int size = 4;
             DWORD in = 7, out = 0;
             // An escape of the application reaches the driver at once, with its sizes.
             HostExtEscape(dc, 0x6001, size, reinterpret_cast<LPCSTR>(&in), size, reinterpret_cast<LPSTR>(&out));
             MoveToEx(dc, 0, 0, nullptr);
             LineTo(dc, 100, 100);
         },
         [](HDC dc) { Ellipse(dc, 10, 10, 50, 50); }},
        [&](HDC dc) { EXPECT_EQ(HostResetDCW(dc, &landscape), dc); });
    EXPECT_TRUE(MatchesGolden(record, "document_sequence"));
}

TEST(PrintHostSequence, EscapesAnswerWhatTheDriverAnswers)
{
    const std::string record = RecordDocument({[](HDC dc) {
        // The page's DC is a host DC: ExtEscape here is gdi32's, not redirected,
        // so the application's own call reaches the driver only through the host.
        DWORD code = 0x7FFF, out = 0;
        EXPECT_EQ(HostExtEscape(dc, QUERYESCSUPPORT, sizeof(code), reinterpret_cast<LPCSTR>(&code), 0, nullptr), 0);
        code = 20481;
        EXPECT_EQ(HostExtEscape(dc, QUERYESCSUPPORT, sizeof(code), reinterpret_cast<LPCSTR>(&code), 0, nullptr), 1);
        EXPECT_EQ(HostExtEscape(dc, 20481, 0, nullptr, sizeof(out), reinterpret_cast<LPSTR>(&out)), 1);
        EXPECT_EQ(out, 0x01010101u);
        EXPECT_EQ(HostExtEscape(dc, 20481, -1, nullptr, 0, nullptr), -1);
        // A DC the host did not issue passes through to gdi32.
        HDC memory = CreateCompatibleDC(nullptr);
        EXPECT_LE(HostExtEscape(memory, 20481, 0, nullptr, 0, nullptr), 0);
        DeleteDC(memory);
    }});
    // The interface library hears of each escape (DOCUMENTEVENT_ESCAPE) just before the driver gets it.
    EXPECT_NE(record.find("DrvDocumentEvent ESCAPE hdc=set in=16 out=0 escape=8\nDrvEscape code=8 in=4 out=0\n"
                          "DrvDocumentEvent ESCAPE hdc=set in=16 out=0 escape=8\nDrvEscape code=8 in=4 out=0\n"
                          "DrvDocumentEvent ESCAPE hdc=set in=16 out=4 escape=20481\nDrvEscape code=20481 in=0 out=4\n"),
              std::string::npos) << record;
}

namespace {

// The record cut down to the page's drawing calls, escapes and end, each by
// its name (an escape also by its code and sizes).
std::string DrawingAndEscapes(const std::string& record)
{
    std::istringstream in(record);
    std::string line, out;
    while (std::getline(in, line)) {
        const std::string name = line.substr(0, line.find(' '));
        if (name == "DrvEscape" || line == "DrvDocumentEvent ENDPAGE hdc=set in=0 out=0")
            out += line + "\n";
        else if (name == "DrvStrokePath" || name == "DrvStrokeAndFillPath" || name == "DrvFillPath" || name == "DrvSendPage")
            out += name + "\n";
    }
    return out;
}

} // namespace

TEST(PrintHostSequence, EscapesInMidPageArriveBetweenThePagesDrawing)
{
    const std::string record = RecordDocument({[](HDC dc) {
        const DWORD on = 1, off = 0;
        MoveToEx(dc, 0, 0, nullptr);
        LineTo(dc, 100, 100);
        // An escape that wants no answer waits for the drawing before it.
        EXPECT_EQ(HostExtEscape(dc, 20484, sizeof(on), reinterpret_cast<LPCSTR>(&on), 0, nullptr), 1);
        Ellipse(dc, 10, 10, 50, 50);
        EXPECT_EQ(HostExtEscape(dc, 20484, sizeof(off), reinterpret_cast<LPCSTR>(&off), 0, nullptr), 1);
        LineTo(dc, 0, 200);
        // A query and an escape with an answer reach the driver at once; the
        // escape comes again in its place among the page's drawing.
        DWORD code = 20484, out = 0;
        EXPECT_EQ(HostExtEscape(dc, QUERYESCSUPPORT, sizeof(code), reinterpret_cast<LPCSTR>(&code), 0, nullptr), 1);
        EXPECT_EQ(HostExtEscape(dc, 20481, 0, nullptr, sizeof(out), reinterpret_cast<LPSTR>(&out)), 1);
        EXPECT_EQ(out, 0x01010101u);
    }});
    EXPECT_EQ(DrawingAndEscapes(record),
              "DrvEscape code=20513 in=4 out=4\n"   // the library's own, at STARTDOCPOST
              "DrvEscape code=20513 in=4 out=4\n"
              "DrvEscape code=20496 in=4 out=4\n"   // and at STARTPAGE
              "DrvEscape code=8 in=4 out=0\n"
              "DrvEscape code=20481 in=0 out=4\n"
              "DrvStrokePath\n"
              "DrvEscape code=20484 in=4 out=0\n"
              "DrvStrokeAndFillPath\n"
              "DrvEscape code=20484 in=4 out=0\n"
              "DrvStrokePath\n"
              "DrvEscape code=20481 in=0 out=0\n"
              // The driver has had the page's drawing when ENDPAGE comes.
              "DrvDocumentEvent ENDPAGE hdc=set in=0 out=0\n"
              "DrvSendPage\n")
        << record;
    // The interface library still hears of each escape when the application issues it.
    EXPECT_NE(record.find("DrvDocumentEvent ESCAPE hdc=set in=16 out=0 escape=20484\n"
                          "DrvDocumentEvent ESCAPE hdc=set in=16 out=0 escape=20484\n"),
              std::string::npos)
        << record;
}

TEST(PrintHostSequence, AbortedDocumentDropsItsOpenPage)
{
    const std::wstring job = TempPath(L"abort.prn");
    const std::string record = RecordWithDc([&](HDC dc) {
        DOCINFOW info{sizeof(info), L"Aborted", job.c_str(), nullptr, 0};
        ASSERT_GT(HostStartDocW(dc, &info), 0);
        ASSERT_GT(HostStartPage(dc), 0);
        Rectangle(printhost::CurrentDrawingDc(dc), 0, 0, 10, 10);
        EXPECT_GT(HostAbortDoc(dc), 0);
        EXPECT_EQ(HostEndPage(dc), SP_ERROR);   // no page is open any more
    });
    DeleteFileW(job.c_str());
    const size_t abort = record.find("DrvDocumentEvent ABORTDOC");
    ASSERT_NE(abort, std::string::npos) << record;
    EXPECT_NE(record.find("DrvEndDoc fl=0x1", abort), std::string::npos) << record;
    EXPECT_EQ(record.find("DrvStrokeAndFillPath"), std::string::npos) << record;
    EXPECT_EQ(record.find("DrvSendPage"), std::string::npos) << record;
}

TEST(PrintHostSequence, DriverOutputReachesTheJobFileThroughTheSpooler)
{
    const std::wstring job = TempPath(L"spooled.prn");
    DeleteFileW(job.c_str());
    RecordWithDc([&](HDC dc) {
        DOCINFOW info{sizeof(info), L"Spooled", job.c_str(), nullptr, 0};
        ASSERT_GT(HostStartDocW(dc, &info), 0);
        for (int page = 0; page < 2; ++page) {
            ASSERT_GT(HostStartPage(dc), 0);
            ASSERT_GT(HostEndPage(dc), 0);
        }
        ASSERT_GT(HostEndDoc(dc), 0);
    });
    EXPECT_EQ(ReadTextFile(job), "document\npage\npage\nend\n");
    DeleteFileW(job.c_str());
}

// The interface library's GetDeviceCaps on the DC answers the driver's GDIINFO
// (the recording driver's page, resolution and size), as on a printer DC.
TEST(PrintHostSequence, DeviceCapsOfTheDcAreTheDriversGdiInfo)
{
    Switch caps(L"PRINTHOST_RECORD_CAPS");
    const std::string record = RecordDocument({[](HDC) {}});
    EXPECT_NE(record.find("  ui caps horzres=2480 logpixelsx=300 physicalwidth=2480 horzsize=210 technology=2"),
              std::string::npos)
        << record;
}

// A device the driver refuses after the interface library answered CREATEDCPRE:
// the library is told with CREATEDCPOST (its DEVMODE back) and DELETEDC, so
// that it frees what it holds for the DC.
TEST(PrintHostSequence, FailedCreationAfterCreateDcPreEndsTheLibrarysRecord)
{
    Switch refuse(L"PRINTHOST_RECORD_REFUSE_PDEV");
    const std::string record = RecordWithDc([](HDC) {});
    EXPECT_NE(record.find("host problem: no DC"), std::string::npos) << record;
    const size_t pre = record.find("DrvDocumentEvent CREATEDCPRE");
    const size_t enable = record.find("DrvEnablePDEV", pre);
    const size_t post = record.find("DrvDocumentEvent CREATEDCPOST hdc=0", enable);
    const size_t deleted = record.find("DrvDocumentEvent DELETEDC hdc=0", post);
    EXPECT_NE(pre, std::string::npos) << record;
    EXPECT_NE(enable, std::string::npos) << record;
    EXPECT_NE(post, std::string::npos) << record;
    EXPECT_NE(record.find("devmode=ours", post), std::string::npos) << record;
    EXPECT_NE(deleted, std::string::npos) << record;
}

// A library that lists its events at QUERYFILTER hears only those; the events
// it leaves out, and the escape event, are not sent.
TEST(PrintHostSequence, QueryFilterLimitsTheEventsSent)
{
    Switch filter(L"PRINTHOST_RECORD_FILTER");
    const std::string record = RecordDocument({[](HDC) {}});
    std::string events;
    for (size_t at = record.find("DrvDocumentEvent "); at != std::string::npos; at = record.find("DrvDocumentEvent ", at + 1))
        events += record.substr(at + 17, record.find(' ', at + 17) - at - 17) + " ";
    EXPECT_EQ(events, "QUERYFILTER CREATEDCPRE CREATEDCPOST STARTPAGE DELETEDC ") << record;
}

// A driver that hands a fill on its device surface back to the engine: the
// engine reads the area back through DrvCopyBits, draws on a bitmap of the
// device's format and writes it back through DrvCopyBits.
TEST(PrintHostSequence, EngineDrawingOnTheDeviceSurfaceGoesThroughCopyBits)
{
    Switch punt(L"PRINTHOST_RECORD_PUNT");
    const std::string calls = DrawingCalls(RecordDocument({[](HDC dc) { SetPixelV(dc, 5, 6, RGB(10, 20, 30)); }}));
    EXPECT_EQ(calls,
              "DrvBitBlt dst=5,6,6,7 src=none mask=none clip=trivial xlate=none brush=solid(0x1e140a rgb=0x1e140a) rop=0xf0f0\n"
              "DrvCopyBits dst=0,0,1,1 src=surface(type=1 fmt=5 size=2480x3508) at=5,6 clip=none xlate=none\n"
              "DrvCopyBits dst=5,6,6,7 src=surface(type=0 fmt=5 size=1x1 topdown delta=4 sum=10260) at=0,0 clip=trivial "
              "xlate=none\n");
}

namespace {

// The record's lines from the first one starting with `from` up to (not
// including) the first one after it starting with `to`.
std::string Between(const std::string& record, const std::string& from, const std::string& to)
{
    const size_t begin = record.find("\n" + from);
    if (begin == std::string::npos) return "missing " + from;
    const size_t end = record.find("\n" + to, begin + 1);
    return record.substr(begin + 1, end == std::string::npos ? std::string::npos : end - begin);
}

} // namespace

// A driver that cannot carry the old device's state over (DrvResetPDEV
// answers FALSE): the new device is disabled, the old one keeps the DC and
// prints the next page; the library still hears RESETDCPOST.
TEST(PrintHostSequence, RefusedResetKeepsTheOldDevice)
{
    Switch refuse(L"PRINTHOST_RECORD_REFUSE_RESET");
    DEVMODEW landscape{};
    landscape.dmSize = sizeof(DEVMODEW);
    landscape.dmFields = DM_ORIENTATION;
    landscape.dmOrientation = DMORIENT_LANDSCAPE;
    const std::string record = RecordDocument({[](HDC dc) { Rectangle(dc, 0, 0, 10, 10); },
                                               [](HDC dc) { Rectangle(dc, 0, 0, 10, 10); }},
                                              [&](HDC dc) { EXPECT_EQ(HostResetDCW(dc, &landscape), nullptr); });
    EXPECT_EQ(record.find("host problem"), std::string::npos) << record;
    EXPECT_EQ(Between(record, "DrvResetPDEV", "DrvDocumentEvent RESETDCPOST"), "DrvResetPDEV\nDrvDisablePDEV\n") << record;
    // One surface in all, enabled at creation and disabled at DELETEDC with its device.
    EXPECT_EQ(Between(record, "DrvDocumentEvent DELETEDC", "DrvDisableDriver"),
              "DrvDocumentEvent DELETEDC hdc=set in=0 out=0\nDrvDisableSurface\nDrvDisablePDEV\n")
        << record;
    size_t surfaces = 0, pages = 0;
    for (size_t at = record.find("DrvEnableSurface"); at != std::string::npos; at = record.find("DrvEnableSurface", at + 1)) ++surfaces;
    for (size_t at = record.find("\nDrvSendPage"); at != std::string::npos; at = record.find("\nDrvSendPage", at + 1)) ++pages;
    EXPECT_EQ(surfaces, 1u) << record;
    EXPECT_EQ(pages, 2u) << record;
}

// The interface library gets the DEVMODE CreateDC got, null too; the device
// then gets the one the library hands out.
TEST(PrintHostSequence, CreateDcPreGetsTheApplicationsDevmodeAsGiven)
{
    const std::string none = RecordWithDc([](HDC) {});
    EXPECT_NE(none.find("DrvDocumentEvent CREATEDCPRE hdc=0 in=32 out=8 device=<printer> devmode=no\n"), std::string::npos)
        << none;
    EXPECT_NE(none.find("DrvEnablePDEV devmode=220+0 "), std::string::npos) << none;
}

// An information context (CreateIC): CREATEDCPRE says so, the device is
// enabled without a surface, answers its capabilities and escapes, and
// cannot start a document.
TEST(PrintHostSequence, InformationContextHasADeviceWithoutASurface)
{
    const std::wstring job = TempPath(L"ic.prn");
    const std::string record = RecordWithDc(
        [&](HDC ic) {
            EXPECT_EQ(HostGetDeviceCaps(ic, HORZRES), 2480);
            DWORD out = 0;
            EXPECT_EQ(HostExtEscape(ic, 20481, 0, nullptr, sizeof(out), reinterpret_cast<LPSTR>(&out)), 1);
            EXPECT_EQ(out, 0x01010101u);
            DOCINFOW info{sizeof(info), L"On an IC", job.c_str(), nullptr, 0};
            EXPECT_EQ(HostStartDocW(ic, &info), SP_ERROR);
        },
        DcKind::kInformation);
    DeleteFileW(job.c_str());
    EXPECT_EQ(record.find("host problem"), std::string::npos) << record;
    EXPECT_NE(record.find("DrvDocumentEvent CREATEDCPRE hdc=0 in=32 out=8 device=<printer> devmode=no ic\n"),
              std::string::npos)
        << record;
    EXPECT_EQ(Between(record, "DrvEnablePDEV", "DrvDocumentEvent CREATEDCPOST"),
              "DrvEnablePDEV devmode=220+0 device=<printer> patterns=6 printer=yes\nDrvCompletePDEV\nDrvQueryFont face=1\n")
        << record;
    EXPECT_NE(record.find("DrvEscape code=20481 in=0 out=4\n"), std::string::npos) << record;
    EXPECT_EQ(record.find("DrvEnableSurface"), std::string::npos) << record;
    EXPECT_EQ(record.find("DrvDisableSurface"), std::string::npos) << record;
    EXPECT_EQ(record.find("DrvStartDoc"), std::string::npos) << record;
    EXPECT_NE(record.find("DrvDocumentEvent DELETEDC hdc=set in=0 out=0\nDrvDisablePDEV\n"), std::string::npos) << record;
}

// The spooler starts the job's output file empty: a longer file that was
// there before keeps nothing of its own.
TEST(PrintHostSequence, OutputFileStartsEmpty)
{
    const std::wstring job = TempPath(L"reused.prn");
    const std::string old(64 * 1024, 'x');
    HANDLE f = CreateFileW(job.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(f, old.data(), DWORD(old.size()), &written, nullptr);
    CloseHandle(f);
    ASSERT_EQ(written, old.size());
    RecordWithDc([&](HDC dc) {
        DOCINFOW info{sizeof(info), L"Reused", job.c_str(), nullptr, 0};
        ASSERT_GT(HostStartDocW(dc, &info), 0);
        ASSERT_GT(HostStartPage(dc), 0);
        ASSERT_GT(HostEndPage(dc), 0);
        ASSERT_GT(HostEndDoc(dc), 0);
    });
    EXPECT_EQ(ReadTextFile(job), "document\npage\nend\n");
    DeleteFileW(job.c_str());
}

// An interface library that makes a printer DC of its own printer (a sample
// page): under the host its CreateDC is the host's, so the whole life of that
// DC raises the document events and DDI calls it raises on Windows, and the
// page reaches the driver and the job file.
TEST(PrintHostSequence, LibrarysOwnDcOnItsPrinterIsAHostDc)
{
    const std::wstring job = TempPath(L"sample_job.prn");
    DeleteFileW(job.c_str());
    int answer = 0;
    const std::string record = RecordLibrarySamplePrint(job, &answer);
    EXPECT_EQ(answer, 1) << record;
    std::vector<std::string> order;
    for (const char* step : {"DrvDocumentEvent CREATEDCPRE", "DrvEnablePDEV", "DrvDocumentEvent CREATEDCPOST",
                             "  ui CreateDC -> dc", "DrvDocumentEvent STARTDOCPRE", "doc=\"SamplePrint\"", "DrvStartDoc",
                             "DrvDocumentEvent STARTPAGE", "DrvStartPage", "DrvDocumentEvent ENDPAGE",
                             "DrvSendPage", "DrvDocumentEvent ENDDOCPRE", "DrvEndDoc", "DrvDocumentEvent ENDDOCPOST",
                             "DrvDocumentEvent DELETEDC", "DrvDisablePDEV", "  ui DeleteDC -> 1"})
        order.push_back(step);
    size_t at = 0;
    for (const std::string& step : order) {
        const size_t found = record.find(step, at);
        ASSERT_NE(found, std::string::npos) << "missing after " << at << ": " << step << "\n" << record;
        at = found + step.size();
    }
    // The recording driver wrote its document into the named output file.
    EXPECT_NE(ReadTextFile(job).find("document"), std::string::npos);
    DeleteFileW(job.c_str());
}

// A DC of a printer whose library the host did not load goes on to gdi32: the
// display DC is wine's own.
TEST(PrintHostSequence, OtherDcsPassThroughTheHostsCreateDc)
{
    HDC display = HostCreateDCW(L"DISPLAY", nullptr, nullptr, nullptr);
    ASSERT_NE(display, nullptr);
    EXPECT_FALSE(printhost::IsHostDc(display));
    EXPECT_TRUE(HostDeleteDC(display));
}
