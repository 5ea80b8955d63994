// Pages and page parts the graphics library makes itself: the fax header line,
// the document label, the model file copy and the fax page.
#include "render/inserted/document_label.h"
#include "render/inserted/fax_header.h"
#include "render/inserted/fax_pages.h"
#include "render/inserted/model_file_copy.h"

#include "common/job/fax_job_lines.h"
#include "common/job/fax_send_list.h"
#include "common/model/model_section.h"
#include "tests/support/stream_capture.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::vector<uint16_t> Widths()
{
    std::vector<uint16_t> w(256, 0);
    for (int c = 0x20; c < 0x7F; ++c)
        w[c] = 600;
    w['i'] = 278;
    return w;
}

TEST(FaxHeader, MeasureMatchesWhatIsWritten)
{
    const std::vector<uint16_t> widths = Widths();
    const FaxHeaderLayout layout = {600, 600, 0, 0};
    struct Case {
        std::vector<FaxHeaderItem> items;
        const char* listing;
    };
    const Case cases[] = {
        {{}, "AR\nAK op=2\nAL kind=1 value=13\nAM target=2 format=4 rgb=0,0,0"},
        {{{4, 100, 254, 127, "FAX", 3, widths.data(), 0}},
         "AR\nAK op=2\nAL kind=1 value=13\nAM target=2 format=4 rgb=0,0,0\nDA font=6\n"
         "Db matrix=[83.333336,0,0,-83.333336,0,0]\nDD x=600 y=300 advances=[50,50] ids=[70,65,88]"},
        // An advance with a fraction takes the float form.
        {{{4, 105, 254, 127, "FA", 2, widths.data(), 0}},
         "AR\nAK op=2\nAL kind=1 value=13\nAM target=2 format=4 rgb=0,0,0\nDA font=6\n"
         "Db matrix=[87.5,0,0,-87.5,0,0]\nDd x=600 y=300 advances=[52.5] ids=[70,65]"},
        {{{4, 120, 0, 0, "ab", 2, widths.data(), 0}, {4, 120, 254, 0, "i", 1, widths.data(), 0},
          {5, 100, 508, 0, "c", 1, widths.data(), 0}},
         "AR\nAK op=2\nAL kind=1 value=13\nAM target=2 format=4 rgb=0,0,0\nDA font=6\n"
         "Db matrix=[100,0,0,-100,0,0]\nDD x=0 y=0 advances=[60] ids=[97,98]\nDD x=600 y=0 advances=[] ids=[105]\n"
         "DA font=7\nDb matrix=[83.333336,0,0,-83.333336,0,0]\nDD x=1200 y=0 advances=[] ids=[99]"},
    };
    for (const Case& c : cases) {
        StreamCapture capture;
        const auto n = static_cast<uint32_t>(c.items.size());
        const int measured = MeasureFaxHeader(layout, c.items.data(), n);
        EXPECT_EQ(WriteFaxHeader(capture.stream(), layout, c.items.data(), n), measured);
        EXPECT_EQ(static_cast<int>(capture.Bytes().size()), measured);
        EXPECT_EQ(capture.Commands(), c.listing);
    }
}

TEST(FaxHeader, GlyphWithoutWidthWritesNothing)
{
    const std::vector<uint16_t> widths = Widths();
    const FaxHeaderLayout layout = {600, 600, 0, 0};
    const FaxHeaderItem items[] = {{4, 100, 0, 0, "ok", 2, widths.data(), 0},
                                   {4, 100, 0, 0, "\x01", 1, widths.data(), 0}};
    StreamCapture capture;
    EXPECT_EQ(MeasureFaxHeader(layout, items, 2), -1);
    EXPECT_EQ(WriteFaxHeader(capture.stream(), layout, items, 2), -1);
    EXPECT_TRUE(capture.Bytes().empty());
    EXPECT_EQ(MeasureFaxHeader(layout, items, 1), 19 + 4 + 26 + 2 + 4 + 1 + 2 + 2 + 2 * 2 + 2);
}

TEST(DocumentLabel, NameWithoutDirectoryAndExtension)
{
    struct Case {
        const wchar_t* path;
        const wchar_t* name;
    };
    const Case cases[] = {
        {L"C:\\docs\\report.txt", L"report"}, {L"report", L"report"}, {L"C:report.v2.doc", L"report.v2"},
        {L"\\\\server\\share\\a.b\\plan", L"plan"}, {L"C:\\docs\\", L""}, {L"", L""}, {nullptr, L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DocumentLabelName(c.path), c.name) << (c.path ? c.path : L"(null)");
    const std::wstring longName(300, L'x');
    EXPECT_EQ(DocumentLabelName((L"C:\\" + longName + L".txt").c_str()).size(), 255u);
}

TEST(DocumentLabel, LabelCommand)
{
    StreamCapture capture;
    CommandLayer* layer = CreateCommandLayer({capture.stream(), 0x02000018, false, 0});
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(WriteDocumentLabel(layer, L"C:\\docs\\report.txt"), 0);
    EXPECT_EQ(capture.Bytes().size(), 35u);
    EXPECT_EQ(capture.Commands(), "Eg text=\"report\" matrix=[1,0,0,1,0,0] kind=0");
    capture.Clear();
    EXPECT_EQ(WriteDocumentLabel(layer, L""), 0);
    EXPECT_EQ(WriteDocumentLabel(layer, nullptr), 0);
    EXPECT_TRUE(capture.Bytes().empty());
    FreeCommandLayer(layer);
}

TEST(ModelFileCopy, CopiedWholeInPieces)
{
    wchar_t dir[MAX_PATH + 1];
    ASSERT_NE(GetTempPathW(MAX_PATH, dir), 0u);
    const std::wstring name = L"morva_model_copy_" + std::to_wstring(GetCurrentProcessId()) + L".bin";
    const std::wstring path = std::wstring(dir) + name;
    std::vector<uint8_t> bytes(40000);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 13 + 5);
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    CloseHandle(f);

    StreamCapture capture;
    EXPECT_EQ(CopyModelDataFile(capture.stream(), dir, name.c_str()), 0);
    EXPECT_EQ(capture.Bytes(), bytes);
    // The file is closed again: it can be deleted.
    EXPECT_TRUE(DeleteFileW(path.c_str()));

    StreamCapture none;
    EXPECT_EQ(CopyModelDataFile(none.stream(), dir, name.c_str()), 0);
    EXPECT_EQ(CopyModelDataFile(none.stream(), dir, L""), 0);
    EXPECT_EQ(CopyModelDataFile(none.stream(), dir, nullptr), 0);
    EXPECT_TRUE(none.Bytes().empty());
    EXPECT_EQ(CopyModelDataFile(nullptr, dir, name.c_str()), -1);
}

TEST(FaxPage, FromTheModelsFaxPaper)
{
    PaperSection paper;
    paper.size = {2100, 2970};
    paper.area = {2001, 2870};
    paper.margin1 = {40, 41};
    paper.margin2 = {42, 43};
    FaxPageRecord r;
    ASSERT_EQ(GetFaxPageRecord(&paper, &r), 0);
    EXPECT_EQ(r.paperKind, 9);
    EXPECT_EQ(r.leftOffset, 50);
    EXPECT_EQ(r.topOffset, 50);
    EXPECT_EQ(r.flagA, -1);
    EXPECT_EQ(r.margin2Y, 43);
    EXPECT_EQ(GetFaxPageRecord(nullptr, &r), -1);
}

// The information block of one destination: its number (with its line
// prefix in the header line when the header option is on), its name, the
// sender's texts and the send list's subject and message, each where the
// cover sheet places it.
TEST(FaxInformation, BlockOfOneDestination)
{
    FaxJobInformation info{};
    const std::wstring sender = L"Ann Sender";
    std::memcpy(info.text1820, sender.c_str(), sender.size() * 2);
    const std::wstring phone = L"555-0100";
    std::memcpy(info.text1822, phone.c_str(), phone.size() * 2);
    FaxRecipientRecord recipient{};
    std::wcscpy(recipient.destination, L"0312345678");
    std::wcscpy(recipient.field7, L"Bob Receiver");
    recipient.lineSelector = 2;
    FaxSendListHeader head{};
    std::wcscpy(head.headerText1, L"Figures");
    std::wcscpy(head.headerText2, L"Line one\r\nLine two");
    struct Case {
        uint16_t headerOn;
        const FaxSendListHeader* head;
        std::vector<std::wstring> present, absent;
    };
    const Case cases[] = {
        {1, &head, {L"9 0312345678", L"0312345678", L"Bob Receiver", L"Ann Sender", L"555-0100", L"Figures",
                    L"Line one", L"Line two"}, {}},
        {0, &head, {L"0312345678", L"Figures"}, {L"9 0312345678"}},
        {1, nullptr, {L"9 0312345678", L"Ann Sender"}, {L"Figures", L"Line one"}},
    };
    for (const Case& c : cases) {
        FaxDiallingRecord dialling{};
        dialling.setting4111 = c.headerOn;
        dialling.firstPrefix = L"9";
        dialling.secondPrefix = L"0";
        uint32_t count = 0;
        CoverSheetItem* items = LayOutFaxInformation(info, dialling, c.head, recipient, 1, &count);
        ASSERT_NE(items, nullptr);
        std::vector<std::wstring> texts;
        for (uint32_t i = 0; i < count; ++i)
            texts.push_back(items[i].text);
        for (const std::wstring& text : c.present)
            EXPECT_NE(std::find(texts.begin(), texts.end(), text), texts.end()) << c.headerOn;
        for (const std::wstring& text : c.absent)
            EXPECT_EQ(std::find(texts.begin(), texts.end(), text), texts.end()) << c.headerOn;
        for (uint32_t i = 0; i < count; ++i)
            if (texts[i] == L"9 0312345678") {
                EXPECT_EQ(items[i].x, 100);
                EXPECT_EQ(items[i].y, 150);
            }
        GlobalFree(items);
    }
}

}  // namespace
