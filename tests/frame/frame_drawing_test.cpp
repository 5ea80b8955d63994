// The host's sample pages (text, lines, curves, filled shapes, a photograph,
// a one-bit image, a complex clip) printed through the graphics library: the
// job is read back whole, and each kind of drawing arrives as the commands
// that carry it.
#include "tests/frame/frame_fixture.h"

#include "printhost/host_dc.h"
#include "printhost/sample_pages.h"
#include "tools/morva_reader/morva_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using frame_test::Count;
using frame_test::FrameDriver;

struct Printed {
    std::string commands;
    size_t bytes = 0;
};

Printed PrintSamples(std::vector<frame_test::SettingPair> settings = {})
{
    Printed out;
    FrameDriver& driver = frame_test::SharedFrameDriver();
    EXPECT_TRUE(driver.ok());
    std::vector<uint8_t> devmode = driver.ExtendedDevmode(frame_test::A4At600(settings));
    std::wstring error;
    HDC dc = printhost::CreatePrinterDc(driver.printerName(), reinterpret_cast<DEVMODEW*>(devmode.data()), &error);
    if (!dc) {
        ADD_FAILURE() << "no DC: " << std::string(error.begin(), error.end()) << " settings " << devmode.size();
        return out;
    }
    const std::wstring jobFile = printhost_test::TempPath(L"frame_drawing.prn");
    DeleteFileW(jobFile.c_str());
    DOCINFOW doc{sizeof(doc), L"sample pages", jobFile.c_str(), nullptr, 0};
    EXPECT_GT(HostStartDocW(dc, &doc), 0);
    GDIINFO caps{};
    EXPECT_TRUE(printhost::HostDcGdiInfo(dc, &caps));
    for (const printhost::PageDrawer& page : printhost::SamplePages()) {
        EXPECT_GT(HostStartPage(dc), 0);
        EXPECT_TRUE(page(printhost::CurrentDrawingDc(dc), caps));
        EXPECT_GT(HostEndPage(dc), 0);
    }
    EXPECT_GT(HostEndDoc(dc), 0);
    EXPECT_TRUE(HostDeleteDC(dc));
    const std::string text = printhost_test::ReadTextFile(jobFile);
    DeleteFileW(jobFile.c_str());
    MorvaListing listing;
    EXPECT_TRUE(ReadMorvaJob(reinterpret_cast<const uint8_t*>(text.data()), text.size(), MorvaReadOptions{}, &listing))
        << listing.error;
    out.commands = CommandTexts(listing);
    out.bytes = text.size();
    return out;
}

TEST(FrameDrawing, SamplePagesArriveAsTheirCommands)
{
    const Printed p = PrintSamples();
    const std::string& c = p.commands;
    // Two sheets, each ended.
    EXPECT_EQ(Count(c, "\nFB\nED\n"), 2u) << c;
    // Paths: polylines and Beziers inside "BA" ... "BD", each path ended once.
    EXPECT_GT(Count(c, "\nBA\n"), 3u) << c;
    EXPECT_EQ(Count(c, "\nBA\n"), Count(c, "\nBD\n") + Count(c, "\nAC\n")) << c;
    EXPECT_NE(c.find("\nBU"), std::string::npos) << c;
    // The ellipse as one command; the hatch and the pattern brushes.
    EXPECT_NE(c.find("\nCc "), std::string::npos) << c;
    EXPECT_NE(c.find("\nAN "), std::string::npos) << c;
    EXPECT_NE(c.find("\nAJ rule=2"), std::string::npos) << c;  // the star's winding fill
    // The photograph as RGB image bands, the checker board as a one-bit image
    // or a two-colour palette image.
    EXPECT_NE(c.find("\nCq "), std::string::npos) << c;
    // The complex clip: a path made the clip, then reset.
    EXPECT_NE(c.find("\nAK op=2\nAC"), std::string::npos) << c;
}

TEST(FrameDrawing, CompressionAsksForTheCoders)
{
    const Printed plain = PrintSamples({{330, 0}});
    const Printed predictor = PrintSamples({{330, 1}});
    const Printed jpeg = PrintSamples({{330, 2}});
    EXPECT_EQ(Count(plain.commands, "method=8"), 0u);
    EXPECT_GT(Count(predictor.commands, "method=8"), 0u) << predictor.commands;
    EXPECT_GT(Count(jpeg.commands, "method=4"), 0u) << jpeg.commands;
    EXPECT_LT(predictor.bytes, plain.bytes);
    EXPECT_LT(jpeg.bytes, plain.bytes);
}

}  // namespace
