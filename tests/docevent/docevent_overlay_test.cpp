// A document printed with a watermark and an annotation stamp chosen in its
// settings: morvaui draws them at each page end between the graphics
// library's brackets, and the job read back whole carries them on every page.
#include "tests/docevent/docevent_fixture.h"

#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "printhost/host_dc.h"
#include "tools/morva_reader/morva_reader.h"

#include <gtest/gtest.h>

#include <winspool.h>
#include <winddiui.h>

#include <cstring>
#include <cstdlib>
#include <fstream>

namespace {

bool SetWord(std::vector<unsigned char>& devmode, uint16_t id, uint16_t type, uint32_t size, uint64_t word)
{
    std::vector<unsigned char> record(kSettingsRecordSize, 0);
    std::memcpy(record.data(), devmode.data(), kPrivatePartOffset);
    if (SetFunctionIdValueWord(record.data(), nullptr, id, type, size, word) != 0)
        return false;
    std::memcpy(devmode.data(), record.data(), kPrivatePartOffset);
    return true;
}

bool SetText(std::vector<unsigned char>& devmode, uint16_t id, const wchar_t* text)
{
    return SetWord(devmode, id, kTypeString, uint32_t((std::wcslen(text) + 1) * 2), reinterpret_cast<uintptr_t>(text));
}

bool SetFont(std::vector<unsigned char>& devmode, uint16_t id, LONG points)
{
    LOGFONTW font{};
    font.lfHeight = points;
    font.lfWeight = FW_NORMAL;
    font.lfEscapement = 450;
    font.lfCharSet = DEFAULT_CHARSET;
    std::wcscpy(font.lfFaceName, L"Arial");
    return SetWord(devmode, id, kTypeLogFont, sizeof(font), reinterpret_cast<uintptr_t>(&font));
}

size_t Count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

TEST(DocumentOverlays, WatermarkAndAnnotationPrintOnEveryPage)
{
    ASSERT_TRUE(docevent_test::SharedPrinter().ok());
    // A watermark "DRAFT" of 48 points turned by 45 degrees in a rectangle,
    // centred on the printable area; the user's name in 10 points at the top left.
    std::vector<unsigned char> devmode = docevent_test::ApplicationDevmode(
        {{301, 0x00C0}, {302, 1}, {303, 0x202}, {1288, 0}, {1296, 1}, {351, 0x101}, {373, 0}});
    ASSERT_FALSE(devmode.empty());
    ASSERT_TRUE(SetText(devmode, 297, L"Draft stamp"));
    ASSERT_TRUE(SetText(devmode, 299, L"DRAFT"));
    ASSERT_TRUE(SetFont(devmode, 304, 48));
    ASSERT_TRUE(SetFont(devmode, 357, 10));

    std::wstring error;
    HDC dc = printhost::CreatePrinterDc(docevent_test::SharedPrinter().printerName(),
                                        reinterpret_cast<DEVMODEW*>(devmode.data()), &error);
    ASSERT_NE(dc, nullptr) << std::string(error.begin(), error.end());
    const std::wstring jobFile = printhost_test::TempPath(L"docevent_overlay.prn");
    DeleteFileW(jobFile.c_str());
    DOCINFOW doc{sizeof(doc), L"Stamped", jobFile.c_str(), nullptr, 0};
    ASSERT_GT(HostStartDocW(dc, &doc), 0);
    for (int page = 0; page < 2; ++page) {
        EXPECT_GT(HostStartPage(dc), 0);
        Rectangle(printhost::CurrentDrawingDc(dc), 300, 300, 1200, 900 + page * 100);
        EXPECT_GT(HostEndPage(dc), 0) << std::string(printhost::HostDcLastError(dc).begin(),
                                                     printhost::HostDcLastError(dc).end());
    }
    EXPECT_GT(HostEndDoc(dc), 0);
    EXPECT_TRUE(HostDeleteDC(dc));

    const std::string bytes = printhost_test::ReadTextFile(jobFile);
    if (const char* keep = std::getenv("MORVA_KEEP_JOB"))
        std::ofstream(keep, std::ios::binary) << bytes;
    DeleteFileW(jobFile.c_str());
    MorvaListing listing;
    ASSERT_TRUE(ReadMorvaJob(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), MorvaReadOptions{},
                             &listing))
        << listing.error;
    const std::string commands = CommandTexts(listing);
    EXPECT_EQ(Count(commands, "EndPage of Logical"), 2u) << commands;
    // Each page: the application's drawing, then the watermark's five glyphs
    // and its frame (a closed outline of four corners), then the annotation
    // placed by its frame escape and drawn after it.
    size_t at = 0;
    for (int page = 0; page < 2; ++page) {
        const size_t start = commands.find("StartPage", at);
        const size_t end = commands.find("EndPage of Logical", start);
        ASSERT_NE(end, std::string::npos) << commands;
        const std::string body = commands.substr(start, end - start);
        const size_t application = body.find("CG x1=300 y1=300");
        const size_t frame = body.find("BA\nBB ");
        const size_t annotation = body.rfind("Aa matrix=");
        ASSERT_NE(application, std::string::npos) << body;
        ASSERT_NE(frame, std::string::npos) << body;
        ASSERT_NE(annotation, std::string::npos) << body;
        EXPECT_LT(application, frame) << body;
        EXPECT_GE(Count(body.substr(application, frame - application), "\nDI "), 5u) << body;
        EXPECT_NE(body.find("B0 n=3 ", frame), std::string::npos) << body;
        EXPECT_LT(frame, annotation) << body;
        EXPECT_GE(Count(body.substr(annotation), "\nDI "), 1u) << body;
        at = end;
    }
}

}  // namespace

namespace {

// Two pages per side and one page printed: the face is still open at the
// document end, so the watermark of the whole face goes on a page of its own
// that morvaui adds at ENDDOC. That page's STARTPAGE sends its page record as
// any page; its ENDPAGE does not look for overlays again.
TEST(DocumentOverlays, DocumentEndAddsOneOverlayPage)
{
    ASSERT_TRUE(docevent_test::SharedPrinter().ok());
    std::vector<unsigned char> devmode = docevent_test::ApplicationDevmode(
        {{kFidPagesPerSheet, 2}, {301, 0x00C0}, {302, 0}, {303, 0x202}, {1288, 1}});
    ASSERT_FALSE(devmode.empty());
    ASSERT_TRUE(SetText(devmode, 297, L"Draft stamp"));
    ASSERT_TRUE(SetText(devmode, 299, L"DRAFT"));
    ASSERT_TRUE(SetFont(devmode, 304, 48));
    docevent_test::HostLog log;
    std::wstring error;
    HDC dc = printhost::CreatePrinterDc(docevent_test::SharedPrinter().printerName(),
                                        reinterpret_cast<DEVMODEW*>(devmode.data()), &error);
    ASSERT_NE(dc, nullptr) << std::string(error.begin(), error.end());
    const std::wstring jobFile = printhost_test::TempPath(L"docevent_overlay_page.prn");
    DeleteFileW(jobFile.c_str());
    DOCINFOW doc{sizeof(doc), L"Stamped face", jobFile.c_str(), nullptr, 0};
    ASSERT_GT(HostStartDocW(dc, &doc), 0);
    EXPECT_GT(HostStartPage(dc), 0);
    Rectangle(printhost::CurrentDrawingDc(dc), 300, 300, 1200, 900);
    EXPECT_GT(HostEndPage(dc), 0);
    EXPECT_GT(HostEndDoc(dc), 0);
    EXPECT_TRUE(HostDeleteDC(dc));
    int startPages = 0, endPages = 0;
    std::vector<uint32_t> extraPage;
    for (const docevent_test::LoggedCall& call : log.calls()) {
        if (!call.isEvent && call.code == 20548) {
            EXPECT_EQ(call.outSize, 4);
            extraPage.push_back(call.firstWord);
        }
        if (call.isEvent && call.code == DOCUMENTEVENT_STARTPAGE) ++startPages;
        if (call.isEvent && call.code == DOCUMENTEVENT_ENDPAGE) {
            ++endPages;
            EXPECT_EQ(call.result, DOCUMENTEVENT_SUCCESS);
        }
    }
    EXPECT_EQ(startPages, 2);
    EXPECT_EQ(endPages, 2);
    EXPECT_EQ(extraPage, (std::vector<uint32_t>{1, 0}));
    EXPECT_EQ(docevent_test::ReadBackJob(jobFile), "");
}

}  // namespace
