#include "render/output/page_recording.h"
#include "tests/support/stream_capture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Recorder {
    StreamCapture capture;
    OutputStream* s = capture.stream();
    Recorder() { EXPECT_EQ(BeginPageRecording(s, 1, 116, 4), 0); }
    ~Recorder() { EndPageRecording(s); }

    void Write(const std::string& text) { ASSERT_EQ(WriteStream(s, text.data(), uint32_t(text.size())), int64_t(text.size())); }
    void Item(uint16_t kind, const std::string& data = {})
    {
        ASSERT_EQ(WriteRecordedPageItem(s, kind, data.data(), uint16_t(data.size())), 0);
    }
};

// The page as replay sees it: raw bytes as they are, each block as "<kind:data>".
std::string Replay(OutputStream* s, uint32_t page, uint32_t piece = 5)
{
    if (StartPageReplay(s, page) != 0)
        return "START FAILED";
    std::string out;
    for (;;) {
        std::vector<char> buffer(piece);
        int n;
        while ((n = ReadRecordedBytes(s, buffer.data(), piece)) > 0)
            out.append(buffer.data(), size_t(n));
        if (n < 0)
            return out + "|READ FAILED";
        uint16_t kind = 0, length = 0;
        const int next = NextRecordedItem(s, &kind, &length);
        if (next == 0)
            return out;
        if (next < 0)
            return out + "|BROKEN";
        std::string data(length, '\0');
        if (ReadRecordedItemData(s, data.data(), length) != length)
            return out + "|DATA FAILED";
        out += "<" + std::to_string(kind) + ":" + data + ">";
    }
}

TEST(PageRecording, PagesReplayInAnyOrderWithTheirItems)
{
    Recorder r;
    ASSERT_EQ(BeginRecordedPage(r.s), 0);
    r.Write("first page ");
    r.Item(0, "media");
    r.Write("drawing");
    r.Item(3, "matrix");
    r.Item(1);
    ASSERT_EQ(EndRecordedPageData(r.s), 0);
    ASSERT_EQ(BeginRecordedPage(r.s), 0);
    r.Item(2);
    // Longer than the stream's buffer, so it reaches the channel in several flushes.
    const std::string big(5000, 'x');
    r.Write(big);
    ASSERT_EQ(EndRecordedPageData(r.s), 0);
    EXPECT_EQ(r.s->recordedPages, 2);
    EXPECT_EQ(r.s->mode, kStreamSpooler);

    EXPECT_EQ(Replay(r.s, 1, 1024), "<2:>" + big);
    EXPECT_EQ(Replay(r.s, 0), "first page <0:media>drawing<3:matrix><1:>");
    EXPECT_EQ(Replay(r.s, 2), "START FAILED");
    // Nothing of the pages reached the spooler.
    EXPECT_TRUE(r.capture.Bytes().empty());
}

TEST(PageRecording, PageWithoutItemsIsItsBytesOnly)
{
    Recorder r;
    ASSERT_EQ(BeginRecordedPage(r.s), 0);
    r.Write("plain bytes");
    ASSERT_EQ(EndRecordedPageData(r.s), 0);
    EXPECT_EQ(Replay(r.s, 0, 3), "plain bytes");
    // Writes after the page go to the spooler again.
    r.Write("sheet");
    EXPECT_EQ(r.capture.Bytes(), std::vector<uint8_t>({'s', 'h', 'e', 'e', 't'}));
}

TEST(PageRecording, BrokenChainsAreRefused)
{
    struct Case {
        const char* name;
        uint32_t at;      // offset in the page's first block header
        uint32_t value;   // written there, 4 bytes
    };
    // The page: "ab" block(kind 5,len 2,"cd") "ef" block(kind 6, len 0).
    const Case cases[] = {
        {"next runs backwards", 4, uint32_t(-4)},
        {"next inside own data", 4, 9},
        {"next past the page", 4, 1000},
        {"length past the page", 2, 0x0000FFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Recorder r;
        ASSERT_EQ(BeginRecordedPage(r.s), 0);
        r.Write("ab");
        r.Item(5, "cd");
        r.Write("ef");
        r.Item(6);
        ASSERT_EQ(EndRecordedPageData(r.s), 0);
        ASSERT_EQ(Replay(r.s, 0), "ab<5:cd>ef<6:>");
        // Block 1 lies at 2 (after "ab"); overwrite one of its header fields.
        ASSERT_EQ(SeekTempChannel(&r.s->temp, 2 + c.at), 0);
        const uint32_t size = c.at == 2 ? 2 : 4;
        ASSERT_EQ(WriteTempChannel(&r.s->temp, &c.value, size), int(size));
        EXPECT_EQ(Replay(r.s, 0), "ab|BROKEN");
    }
}

TEST(PageRecording, CallsOutOfOrderFail)
{
    Recorder r;
    char buffer[8];
    uint16_t kind, length;
    EXPECT_EQ(BeginPageRecording(r.s, 1, 116, 4), -1);           // already on
    EXPECT_EQ(WriteRecordedPageItem(r.s, 1, nullptr, 0), -1);    // no page open
    EXPECT_EQ(EndRecordedPageData(r.s), -1);
    EXPECT_EQ(ReadRecordedBytes(r.s, buffer, 8), -1);             // no replay started
    ASSERT_EQ(BeginRecordedPage(r.s), 0);
    EXPECT_EQ(BeginRecordedPage(r.s), -1);                        // already open
    EXPECT_EQ(WriteRecordedPageItem(r.s, 1, nullptr, 3), -1);     // data missing
    r.Write("xy");
    r.Item(4, "abc");
    ASSERT_EQ(EndRecordedPageData(r.s), 0);

    ASSERT_EQ(StartPageReplay(r.s, 0), 0);
    EXPECT_EQ(NextRecordedItem(r.s, &kind, &length), -1);         // "xy" not read yet
    ASSERT_EQ(ReadRecordedBytes(r.s, buffer, 8), 2);
    ASSERT_EQ(NextRecordedItem(r.s, &kind, &length), 1);
    EXPECT_EQ(ReadRecordedItemData(r.s, buffer, 2), -1);          // not the whole item
    EXPECT_EQ(ReadRecordedItemData(r.s, buffer, 3), 3);
    EXPECT_EQ(NextRecordedItem(r.s, &kind, &length), 0);
}

TEST(PageRecording, PageEntriesGrowToTheIndex)
{
    Recorder r;
    std::vector<uint8_t> entry(116), back(116);
    for (uint32_t page : {0u, 9u, 3u}) {
        entry.assign(116, uint8_t(page + 1));
        ASSERT_EQ(StorePageEntry(r.s, page, entry.data()), 0);
    }
    ASSERT_EQ(LoadPageEntry(r.s, 9, back.data()), 0);
    EXPECT_EQ(back, std::vector<uint8_t>(116, 10));
    EXPECT_EQ(LoadPageEntry(r.s, 100, back.data()), -1);
    EndPageRecording(r.s);
    EXPECT_FALSE(IsPageRecordingOn(r.s));
    EXPECT_EQ(LoadPageEntry(r.s, 9, back.data()), -1);
}

TEST(PageRecording, FailedChannelWriteEndsThePageOnTheSpooler)
{
    Recorder r;
    ASSERT_EQ(BeginRecordedPage(r.s), 0);
    r.Write("abc");
    // A cancelled channel write makes the channel unusable.
    r.s->temp.usable = false;
    EXPECT_EQ(EndRecordedPageData(r.s), -1);
    EXPECT_EQ(r.s->mode, kStreamSpooler);
    EXPECT_EQ(r.s->recordedPages, 0);
}

}  // namespace
