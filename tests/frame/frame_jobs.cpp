#include "tests/frame/frame_jobs.h"

#include "common/settings/value_operations.h"
#include "printhost/host_dc.h"

#include <gtest/gtest.h>

namespace frame_test {

// Reads the job's settings and printer settings back from the driver, writes
// the numbers into them (with the type and size the engine reports) and hands
// both back: what another program can do between pages.
void ChangeJobSettings(HDC dc, const std::vector<SettingPair>& pairs)
{
    constexpr int kEscGetSettings = 20482, kEscSetSettings = 20485;
    constexpr int kEscGetPrinterSettings = 20492, kEscSetPrinterSettings = 20491;
    std::vector<char> settings(5900), printer(7964);
    ASSERT_EQ(HostExtEscape(dc, kEscGetSettings, 0, nullptr, int(settings.size()), settings.data()), 1);
    ASSERT_EQ(HostExtEscape(dc, kEscGetPrinterSettings, 0, nullptr, int(printer.size()), printer.data()), 1);
    for (const SettingPair& pair : pairs) {
        uint16_t type = 0;
        uint32_t size = 0;
        uint64_t holder = 0;
        ASSERT_EQ(GetFunctionIdValue(pair.first, settings.data(), printer.data(), &type, &size, &holder), 0)
            << pair.first;
        holder = pair.second;
        ASSERT_EQ(SetFunctionIdValue(pair.first, settings.data(), printer.data(), type, size, &holder), 0)
            << pair.first;
    }
    ASSERT_EQ(HostExtEscape(dc, kEscSetSettings, int(settings.size()), settings.data(), 0, nullptr), 1);
    ASSERT_EQ(HostExtEscape(dc, kEscSetPrinterSettings, int(printer.size()), printer.data(), 0, nullptr), 1);
}

PrintedJob PrintJob(const JobPlan& plan)
{
    PrintedJob out;
    FrameDriver& driver = plan.driver ? *plan.driver : SharedFrameDriver();
    EXPECT_TRUE(driver.ok());
    std::vector<uint8_t> devmode = driver.ExtendedDevmode(A4At600(plan.settings));
    std::wstring error;
    HDC dc = printhost::CreatePrinterDc(driver.printerName(), reinterpret_cast<DEVMODEW*>(devmode.data()), &error);
    if (!dc) {
        ADD_FAILURE() << "no DC: " << std::string(error.begin(), error.end());
        return out;
    }
    const std::wstring jobFile = printhost_test::TempPath(L"frame_job.prn");
    DeleteFileW(jobFile.c_str());
    DOCINFOW doc{sizeof(doc), L"frame job", jobFile.c_str(), nullptr, 0};
    EXPECT_GT(HostStartDocW(dc, &doc), 0);
    if (plan.beforePages)
        plan.beforePages(dc);
    int left = 100;  // each page's rectangle 10 further right, to tell the pages apart
    for (size_t n = 0; n < plan.drawnPages.size(); ++n) {
        const bool drawn = plan.drawnPages[n];
        left += 10;
        EXPECT_GT(HostStartPage(dc), 0);
        if (drawn) {
            HDC drawing = printhost::CurrentDrawingDc(dc);
            HBRUSH brush = CreateSolidBrush(RGB(0, 0, 0));
            HGDIOBJ old = SelectObject(drawing, brush);
            if (!Rectangle(drawing, left, 100, 600, 400))
                ++out.drawingRefused;
            SelectObject(drawing, old);
            DeleteObject(brush);
        }
        if (plan.onPage)
            plan.onPage(dc, n);
        if (plan.ending == Ending::kAbortDoc)
            break;
        HostEndPage(dc);
        if (plan.afterPage)
            plan.afterPage(dc, n);
    }
    if (plan.ending == Ending::kAbortDoc)
        HostAbortDoc(dc);
    else
        EXPECT_GT(HostEndDoc(dc), 0);
    EXPECT_TRUE(HostDeleteDC(dc));
    out.bytes = printhost_test::ReadTextFile(jobFile);
    DeleteFileW(jobFile.c_str());
    if (!out.bytes.empty()) {
        out.read = ReadMorvaJob(reinterpret_cast<const uint8_t*>(out.bytes.data()), out.bytes.size(),
                                MorvaReadOptions{}, &out.listing);
        out.commands = CommandTexts(out.listing);
    }
    return out;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& line : lines)
        out += line + "\n";
    return out;
}

} // namespace frame_test
