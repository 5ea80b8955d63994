// The replay of recorded sheet faces at the job end: copies collated by the
// driver (a printer whose collation is left to the driver), reverse order,
// and what separates the copies on older and newer streams.
#include "render/command/command_layer.h"
#include "render/device/pdev_record.h"
#include "render/frame/job_sheets.h"
#include "render/output/page_recording.h"
#include "render/page/sheet_replay.h"
#include "tests/support/stream_capture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kOlderStream = 0x01010702;  // 1.7.2
constexpr uint32_t kNewerStream = 0x01010903;  // 1.9.3: "FC" starts a new sheet

// A job whose faces have been recorded: face n draws a rectangle at x = n + 1.
class RecordedJob {
public:
    RecordedJob(uint32_t version, const JobOptions& options, uint32_t faces,
                const std::vector<RecordedPageEntry>& entries = {})
        : pdev_(new PDevRecord{})
    {
        pdev_->job.streamVersion = version;
        pdev_->pageState = kPageDocumentStarted | kPageJobBegun;
        pdev_->jobOptions = options;
        pdev_->stream = capture_.stream();
        pdev_->commandLayer = CreateCommandLayer({capture_.stream(), version, false, 0});
        ResetCommandLayerForPage(pdev_->commandLayer);
        EXPECT_EQ(BeginPageRecording(capture_.stream(), 0, sizeof(RecordedPageEntry), 4), 0);
        constexpr uint16_t kFaceRecorded = kRecordingOn | kRecordingPageOpen | kRecordPageMedia;
        for (uint32_t face = 0; face < faces; ++face) {
            if (face < entries.size())
                EXPECT_EQ(StorePageEntry(capture_.stream(), face, &entries[face]), 0);
            EXPECT_EQ(BeginRecordedPage(capture_.stream()), 0);
            PageMediaItem media{};
            media.code1 = 1;
            media.kindLetter = 5;
            EXPECT_EQ(SetPageAttributes(pdev_->commandLayer, kFaceRecorded, media), 0);
            EXPECT_EQ(EmitRectangle(pdev_->commandLayer, int32_t(face + 1), 0, 100, 100), 0);
            EXPECT_EQ(EmitSheetOutput(pdev_->commandLayer), 0);
            EXPECT_EQ(EmitSheetEnd(pdev_->commandLayer), 0);
            EXPECT_EQ(EndRecordedPageData(capture_.stream()), 0);
        }
        pdev_->counters.recording = kRecordingOn;
        pdev_->counters.recorded = faces;
        capture_.Clear();
    }
    ~RecordedJob()
    {
        FreeCommandLayer(pdev_->commandLayer);
        if (IsPageRecordingOn(capture_.stream()))
            EndPageRecording(capture_.stream());
    }
    PDevRecord* pdev() { return pdev_.get(); }
    std::string Commands() { return capture_.Commands(); }
    // The faces in the order they went out: the drawn ones by their number,
    // an empty side as "e", "FC" as "|", "FH" as "h" and its operands.
    std::string Order()
    {
        const std::string commands = capture_.Commands();
        std::string order;
        bool drawn = false;
        for (size_t at = 0; at < commands.size();) {
            const size_t end = commands.find('\n', at);
            const std::string line = commands.substr(at, end == std::string::npos ? std::string::npos : end - at);
            if (line.rfind("CG x1=", 0) == 0) {
                order += line.substr(6, line.find(' ', 6) - 6);
                drawn = true;
            } else if (line == "FC") {
                order += "|";
            } else if (line.rfind("FH ", 0) == 0) {
                order += "h" + line.substr(3);
            } else if (line == "ED") {
                if (!drawn)
                    order += "e";
                drawn = false;
            }
            at = end == std::string::npos ? commands.size() : end + 1;
        }
        return order;
    }
    size_t Sheets() { return Count(capture_.Commands(), "\nFB\nED"); }

private:
    static size_t Count(const std::string& text, const std::string& part)
    {
        size_t n = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            ++n;
        return n;
    }
    StreamCapture capture_;
    std::unique_ptr<PDevRecord> pdev_;
};

TEST(FrameReplay, CopiesCollatedByTheDriver)
{
    struct Case {
        const char* name;
        uint32_t version, copies, collate, reverse;
        const char* order;
    } cases[] = {
        {"one copy", kNewerStream, 1, 0, 0, "123"},
        {"printer collates", kNewerStream, 2, 0, 0, "123"},
        {"two copies, newer stream", kNewerStream, 2, 1, 0, "123|123"},
        {"three copies, older stream", kOlderStream, 3, 1, 0, "123123123"},
        {"reverse order", kNewerStream, 1, 0, 1, "321"},
        {"reverse order, two copies", kNewerStream, 2, 1, 1, "321|321"},
    };
    for (const Case& c : cases) {
        JobOptions options{};
        options.copies = c.copies;
        options.collateByReplay = c.collate;
        options.reverseOrder = c.reverse;
        options.recordPages = 1;
        RecordedJob job(c.version, options, 3);
        ASSERT_EQ(ReplayRecordedFaces(job.pdev()), 0) << c.name;
        EXPECT_EQ(job.Order(), c.order) << c.name;
        // Each face keeps its sheet output and its sheet end.
        EXPECT_EQ(job.Sheets(), 3u * (c.collate ? c.copies : 1)) << c.name;
        // The recording is dropped after the replay.
        EXPECT_EQ(job.pdev()->counters.recording, 0u) << c.name;
    }
}

// Each copy carries its separator sheet ahead of its pages and its trailing
// sheet behind them. A reverse-order job puts its separator sheet behind the
// pages and its trailing sheet ahead of them: the sheets come out of the
// printer the other way round.
TEST(FrameReplay, ReverseOrderTurnsSeparatorAndTrailerRound)
{
    struct Case {
        const char* name;
        uint32_t reverse, copies, separatorMode, trailer;
        const char* order;  // "e": an empty side
    } cases[] = {
        {"separator", 1, 1, 2, 0, "321e"},
        {"trailer", 1, 1, 0, 1, "e|321"},
        {"both", 1, 1, 2, 1, "e|321e"},
        {"separator, forward", 0, 1, 2, 0, "e|123"},
        {"trailer, forward", 0, 1, 0, 1, "123e"},
        {"both, forward", 0, 1, 2, 1, "e|123e"},
        {"both, forward, two copies", 0, 2, 2, 1, "e|123e|e|123e"},
        {"both, two copies", 1, 2, 2, 1, "e|321e|e|321e"},
    };
    for (const Case& c : cases) {
        JobOptions options{};
        options.copies = c.copies;
        options.collateByReplay = c.copies > 1;
        options.reverseOrder = c.reverse;
        options.recordPages = 1;
        options.separatorMode = c.separatorMode;
        options.trailerSheet = c.trailer;
        options.separatorSource = options.trailerSource = 7;
        RecordedJob job(kNewerStream, options, 3);
        ASSERT_EQ(ReplayRecordedFaces(job.pdev()), 0) << c.name;
        EXPECT_EQ(job.Order(), c.order) << c.name;
    }
}

// With the page options a replayed face tells the printer of a new paper
// ("FC") and of a new duplex mode ("FH"), as a face written straight does.
TEST(FrameReplay, ReplayedFacesTellPaperAndDuplexChanges)
{
    RecordedPageEntry a4{}, a3{};
    a4.frame.width = 2100;
    a4.frame.height = 2970;
    a3.frame.width = 2970;
    a3.frame.height = 4200;
    auto face = [](RecordedPageEntry entry, uint32_t kind) {
        entry.sheetKind = kind;
        return entry;
    };
    const std::vector<RecordedPageEntry> entries = {face(a4, kSheetOneSided), face(a4, kSheetOneSided),
                                                    face(a3, kSheetLongEdge), face(a3, kSheetLongEdge)};
    struct Case {
        uint32_t pageOptions, copies;
        const char* order;
    } cases[] = {
        {0, 1, "1234"},
        {1, 1, "ha=0 b=212|ha=1 b=234"},
        // The second copy starts on A4 and one-sided again; the "FC" between
        // the copies is not repeated for its paper.
        {1, 2, "ha=0 b=212|ha=1 b=234|ha=0 b=212|ha=1 b=234"},
    };
    for (const Case& c : cases) {
        JobOptions options{};
        options.copies = c.copies;
        options.collateByReplay = c.copies > 1;
        options.recordPages = 1;
        options.pageOptions = c.pageOptions;
        RecordedJob job(kNewerStream, options, 4, entries);
        ASSERT_EQ(ReplayRecordedFaces(job.pdev()), 0);
        EXPECT_EQ(job.Order(), c.order) << c.pageOptions << " " << c.copies;
    }
}

// An interleaf sheet goes in ahead of each sheet whose number is listed, once.
TEST(FrameReplay, InterleafSheetGoesAheadOfItsListedSheet)
{
    JobOptions options{};
    options.copies = 1;
    options.interleafSheets = 1;
    options.interleafSource = 1;  // source attribute 1
    options.interleafList[0] = 2;
    options.interleafList[5] = 4;
    RecordedJob job(kOlderStream, options, 0);
    // A4 in form units (1/18432 inch).
    job.pdev()->requestedForm.paperWidth = 152391;
    job.pdev()->requestedForm.paperHeight = 215522;
    for (int sheet = 0; sheet < 4; ++sheet) {
        ASSERT_EQ(BeginSheetFace(job.pdev()), 0) << sheet;
        ASSERT_EQ(FinishSheetFace(job.pdev()), 0) << sheet;
    }
    EXPECT_EQ(job.Commands(), "Ec code1=1 code2=0 kind=5\n"
                              "Ec code1=1 code2=1 kind=5\nFB\nED\n"
                              "Ec code1=1 code2=0 kind=5\n"
                              "Ec code1=1 code2=0 kind=5\n"
                              "Ec code1=1 code2=1 kind=5\nFB\nED\n"
                              "Ec code1=1 code2=0 kind=5");
    EXPECT_EQ(job.pdev()->counters.faces, 4u);
    // Each listed number is used up.
    EXPECT_EQ(job.pdev()->jobOptions.interleafList[0], 0u);
    EXPECT_EQ(job.pdev()->jobOptions.interleafList[5], 0u);
}

} // namespace
