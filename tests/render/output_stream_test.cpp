#include "render/output/output_stream.h"

#include "common/system/user_prompt.h"
#include "render/morva/morva_commands.h"
#include "render/morva/stream_head.h"
#include "render/output/growable_table.h"
#include "render/output/stream_messages.h"
#include "tests/support/file_port_printer.h"
#include "tools/morva_reader/morva_reader.h"

#include <winspool.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr wchar_t kPrinterName[] = L"Morva Output Stream Test Printer";

Bytes Pattern(size_t n)
{
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = static_cast<uint8_t>(i * 7 + i / 251);
    return b;
}

std::wstring TempPath(const wchar_t* name)
{
    wchar_t dir[MAX_PATH + 1];
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + name + std::to_wstring(GetCurrentProcessId());
}

// The pieces the spooler was handed; forwards them to the real WritePrinter
// unless the handle is the fake one.
std::vector<DWORD> g_pieces;
BOOL WINAPI WatchPieces(HANDLE printer, LPVOID bytes, DWORD length, LPDWORD written)
{
    g_pieces.push_back(length);
    if (printer == reinterpret_cast<HANDLE>(1)) {
        *written = length;
        return TRUE;
    }
    return WritePrinter(printer, bytes, length, written);
}

// Takes every piece but the last one whole.
BOOL WINAPI ShortLastPiece(HANDLE, LPVOID, DWORD length, LPDWORD written)
{
    *written = length < kSpoolerPieceBytes ? length - 1 : length;
    return TRUE;
}

struct Answers {
    std::vector<int> answers;
    std::vector<std::wstring> texts;
    std::vector<std::wstring> titles;
};

int ScriptedAnswer(const UserPrompt& prompt, void* context)
{
    auto* a = static_cast<Answers*>(context);
    a->texts.push_back(prompt.text);
    a->titles.push_back(prompt.title);
    const size_t i = a->texts.size() - 1;
    return i < a->answers.size() ? a->answers[i] : IDCANCEL;
}

class PromptScript {
public:
    explicit PromptScript(std::vector<int> answers) { a_.answers = std::move(answers), SetPromptAnswerer(ScriptedAnswer, &a_); }
    ~PromptScript() { SetPromptAnswerer(nullptr, nullptr); }
    const Answers& answers() const { return a_; }

private:
    Answers a_;
};

struct StreamHolder {
    OutputStream* s = CreateOutputStream(nullptr);
    ~StreamHolder() { DestroyOutputStream(s); }
};

TEST(OutputStream, BufferBoundary)
{
    struct Case {
        uint32_t length;
        size_t pieces;   // spooler writes during the write
        uint32_t fill;   // buffered afterwards
    };
    const Case cases[] = {{2048, 0, 2048}, {2049, 1, 0}, {1, 0, 1}};
    for (const Case& c : cases) {
        StreamHolder h;
        h.s->writePrinter = WatchPieces;
        ASSERT_EQ(OpenStreamOnSpoolHandle(h.s, reinterpret_cast<HANDLE>(1)), 0);
        g_pieces.clear();
        const Bytes data = Pattern(c.length);
        EXPECT_EQ(WriteStream(h.s, data.data(), c.length), int64_t{c.length});
        EXPECT_EQ(g_pieces.size(), c.pieces) << c.length;  // the empty buffer is not flushed
        EXPECT_EQ(h.s->fill, c.fill);
    }
}

// A length near 4 GiB does not fit the buffer's room whatever the fill: it
// goes to the channel (which here takes it without reading) instead of
// being copied into the buffer.
TEST(OutputStream, LengthNearFourGibibytesBypassesTheBuffer)
{
    StreamHolder h;
    h.s->writePrinter = WatchPieces;
    ASSERT_EQ(OpenStreamOnSpoolHandle(h.s, reinterpret_cast<HANDLE>(1)), 0);
    const Bytes data = Pattern(100);
    ASSERT_EQ(WriteStream(h.s, data.data(), 100), 100);
    g_pieces.clear();
    const uint32_t huge = 0xFFFFF800u;
    EXPECT_EQ(WriteStream(h.s, data.data(), huge), int64_t{huge});
    ASSERT_FALSE(g_pieces.empty());
    EXPECT_EQ(g_pieces[0], 100u);  // the buffered bytes first
    uint64_t total = 0;
    for (DWORD piece : g_pieces)
        total += piece;
    EXPECT_EQ(total, 100u + huge);
    EXPECT_EQ(h.s->fill, 0u);
}

TEST(OutputStream, ClosedStreamAndBadArguments)
{
    StreamHolder h;
    const uint8_t b[1] = {1};
    EXPECT_EQ(WriteStream(h.s, b, 1), -1);  // mode 0
    EXPECT_EQ(WriteStream(h.s, nullptr, 0), -1);
    EXPECT_EQ(WriteStream(nullptr, b, 1), -1);
    EXPECT_EQ(OpenStreamOnSpoolHandle(h.s, nullptr), -1);
    EXPECT_EQ(h.s->mode, kStreamClosed);
    EXPECT_FALSE(IsStreamOpen(h.s));
    h.s->writePrinter = WatchPieces;
    ASSERT_EQ(OpenStreamOnSpoolHandle(h.s, reinterpret_cast<HANDLE>(1)), 0);
    EXPECT_TRUE(IsStreamOpen(h.s));
    EXPECT_EQ(WriteStream(h.s, nullptr, 0), 0);
    EXPECT_EQ(WriteStream(h.s, nullptr, 1), -1);
    EXPECT_EQ(SetStreamMode(h.s, 6), -1);
    EXPECT_EQ(h.s->mode, kStreamSpooler);
    h.s->mode = 9;  // a broken mode stays as it is
    EXPECT_EQ(SetStreamMode(h.s, kStreamSpooler), -1);
    EXPECT_EQ(h.s->mode, 9);
    h.s->mode = kStreamSpooler;
}

TEST(SpoolerPieces, SplitIntoMillionBytePieces)
{
    const Bytes data = Pattern(2500000);
    g_pieces.clear();
    EXPECT_EQ(WriteInSpoolerPieces(reinterpret_cast<HANDLE>(1), data.data(), 2500000, WatchPieces), 2500000);
    EXPECT_EQ(g_pieces, (std::vector<DWORD>{1000000, 1000000, 500000}));
    g_pieces.clear();
    EXPECT_EQ(WriteInSpoolerPieces(reinterpret_cast<HANDLE>(1), data.data(), 1000000, WatchPieces), 1000000);
    EXPECT_EQ(g_pieces, (std::vector<DWORD>{1000000}));
}

// Bytes the spooler did not take are lost from the job: a short last piece
// must fail like a short full one.
TEST(SpoolerPieces, ShortLastPieceFails)
{
    const Bytes data = Pattern(1500000);
    EXPECT_EQ(WriteInSpoolerPieces(nullptr, data.data(), 1500000, ShortLastPiece), -1);
    EXPECT_EQ(WriteInSpoolerPieces(nullptr, data.data(), 10, ShortLastPiece), -1);
    EXPECT_EQ(WriteInSpoolerPieces(nullptr, data.data(), 1000000, ShortLastPiece), 1000000);

    StreamHolder h;
    h.s->writePrinter = ShortLastPiece;
    ASSERT_EQ(OpenStreamOnSpoolHandle(h.s, reinterpret_cast<HANDLE>(1)), 0);
    EXPECT_EQ(WriteStream(h.s, data.data(), 5000), -1);
    EXPECT_EQ(WriteStream(h.s, data.data(), 100), 100);
    EXPECT_EQ(FlushStreamBuffer(h.s), -1);
    EXPECT_EQ(h.s->fill, 0u);  // emptied whatever the outcome
}

// A stream open on a job of the file-port printer; End() closes the stream,
// ends the job and answers what reached the port.
class SpooledStream : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer_.ok());
        job_ = printer_.StartJob();
        ASSERT_NE(job_, nullptr);
        ASSERT_EQ(OpenStreamOnSpoolHandle(h_.s, job_), 0);
    }
    void TearDown() override
    {
        if (job_ != nullptr)
            printer_.EndJob(job_);
    }
    OutputStream* stream() { return h_.s; }
    Bytes End()
    {
        EXPECT_EQ(CloseOutputStream(h_.s), 0);
        EXPECT_TRUE(printer_.EndJob(job_));
        job_ = nullptr;
        return printer_.ReadPort();
    }

    FilePortPrinter printer_{kPrinterName};
    HANDLE job_ = nullptr;
    StreamHolder h_;
};

TEST_F(SpooledStream, LargeWriteArrivesWholeInMillionBytePieces)
{
    stream()->writePrinter = WatchPieces;
    const Bytes head = Pattern(100);
    const Bytes big = Pattern(2500000);
    g_pieces.clear();
    EXPECT_EQ(WriteStream(stream(), head.data(), 100), 100);
    EXPECT_EQ(WriteStream(stream(), big.data(), 2500000), 2500000);
    EXPECT_EQ(g_pieces, (std::vector<DWORD>{100, 1000000, 1000000, 500000}));
    Bytes expected = head;
    expected.insert(expected.end(), big.begin(), big.end());
    EXPECT_EQ(End(), expected);
}

// A whole job through the real spooler, read back from the port by the reader.
TEST_F(SpooledStream, JobReadsBackThroughTheReader)
{
    OutputStream* s = stream();
    const char header[] = "\x1b%-12345X@PJL JOB\n";
    const char trailer[] = "\x1b%-12345X@PJL EOJ\n";
    const MorvaColour black = {kColourFormatRgb, {0, 0, 0}};
    int r = WriteStream(s, header, sizeof(header) - 1) < 0 ? -1 : 0;
    r |= WriteStreamHead(s, 0x01020006) | WriteStreamBegin(s, 0x90) | WritePageMedia(s, 4, 1, 'A', 0, 0);
    r |= WriteSolidColour(s, 2, black) | WriteRectangle(s, 10, 10, 200, 100) | WriteSheetOutput(s);
    r |= WriteStreamEnd(s);
    r |= WriteStream(s, trailer, sizeof(trailer) - 1) < 0 ? -1 : 0;
    ASSERT_EQ(r, 0);
    const Bytes port = End();
    MorvaListing listing;
    ASSERT_TRUE(ReadMorvaJob(port.data(), port.size(), {}, &listing)) << listing.error;
    EXPECT_EQ(listing.headerLines, (std::vector<std::string>{"\x1b%-12345X@PJL JOB"}));
    EXPECT_EQ(listing.versionLine, "%ZQRQD-2.0.6%");
    EXPECT_EQ(CommandTexts(listing),
              "EA value=0x90\n"
              "Ec code1=4 code2=1 kind=65\n"
              "AM target=2 format=4 rgb=0,0,0\n"
              "CG x1=10 y1=10 x2=200 y2=100\n"
              "FB\n"
              "EB");
    EXPECT_EQ(listing.trailerLines, (std::vector<std::string>{"\x1b%-12345X@PJL EOJ"}));
}

TEST_F(SpooledStream, SpoolerAndFileGetTheSameBytes)
{
    const std::wstring copy = TempPath(L"morva-copy-");
    OutputStream* s = stream();
    const Bytes before = Pattern(10);
    const Bytes small = Pattern(300);
    const Bytes big = Pattern(5000);
    EXPECT_EQ(WriteStream(s, before.data(), 10), 10);  // spooler only
    ASSERT_EQ(AddStreamFileCopy(s, copy.c_str()), 0);
    EXPECT_EQ(s->mode, kStreamSpoolerAndFile);
    EXPECT_EQ(WriteStream(s, small.data(), 300), 300);
    EXPECT_EQ(WriteStream(s, big.data(), 5000), 5000);
    EXPECT_EQ(WriteStream(s, small.data(), 300), 300);
    EXPECT_EQ(EndStreamFileCopy(s), 0);
    EXPECT_EQ(s->mode, kStreamSpooler);
    const Bytes port = End();

    Bytes both = small;
    both.insert(both.end(), big.begin(), big.end());
    both.insert(both.end(), small.begin(), small.end());
    EXPECT_EQ(ReadWholeFile(copy), both);
    Bytes spooled = before;
    spooled.insert(spooled.end(), both.begin(), both.end());
    EXPECT_EQ(port, spooled);
    DeleteFileW(copy.c_str());
}

TEST(OutputStream, FileCopyOnlyFromSpoolerMode)
{
    StreamHolder h;
    const std::wstring copy = TempPath(L"morva-nocopy-");
    EXPECT_EQ(AddStreamFileCopy(h.s, copy.c_str()), -1);  // closed
    EXPECT_EQ(GetFileAttributesW(copy.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(OutputStream, DestroyClosesAFileChannelWithoutASpooler)
{
    const std::wstring name = TempPath(L"morva-only-file-");
    OutputStream* s = CreateOutputStream(nullptr);
    ASSERT_EQ(OpenStreamFile(s, name.c_str(), nullptr, kStreamFileCreate), 0);
    const Bytes a = Pattern(10);
    EXPECT_EQ(WriteStream(s, a.data(), 10), 10);
    DestroyOutputStream(s);
    EXPECT_EQ(ReadWholeFile(name), a);        // flushed
    EXPECT_TRUE(DeleteFileW(name.c_str()));   // and closed: no sharing left to refuse the delete
}

TEST(OutputStream, FileModeAppendsAndReportsItsSize)
{
    const std::wstring name = TempPath(L"morva-file-");
    DeleteFileW(name.c_str());
    StreamHolder h;
    h.s->writePrinter = WatchPieces;
    ASSERT_EQ(OpenStreamOnSpoolHandle(h.s, reinterpret_cast<HANDLE>(1)), 0);
    const Bytes a = Pattern(700);
    uint32_t size = 99;
    ASSERT_EQ(OpenStreamFile(h.s, name.c_str(), &size, kStreamFileCreate), 0);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(h.s->mode, kStreamFile);
    EXPECT_EQ(WriteStream(h.s, a.data(), 700), 700);
    EXPECT_EQ(CloseStreamFile(h.s, &size), 0);
    EXPECT_EQ(size, 700u);
    EXPECT_EQ(h.s->mode, kStreamSpooler);
    ASSERT_EQ(OpenStreamFile(h.s, name.c_str(), &size, 0), 0);  // appends
    EXPECT_EQ(size, 700u);
    EXPECT_EQ(WriteStream(h.s, a.data(), 700), 700);
    ASSERT_EQ(CloseStreamFileMode(h.s, kStreamSpooler), 0);
    Bytes twice = a;
    twice.insert(twice.end(), a.begin(), a.end());
    EXPECT_EQ(ReadWholeFile(name), twice);
    DeleteFileW(name.c_str());
}

// Writes the first `firstPart` bytes of the first call and then fails, as a
// full disk does; later calls write everything.
int g_fileCalls = 0;
DWORD g_firstPart = 0;
BOOL WINAPI FailingFirstWrite(HANDLE file, LPCVOID bytes, DWORD length, LPDWORD written, LPOVERLAPPED overlapped)
{
    if (g_fileCalls++ == 0) {
        WriteFile(file, bytes, g_firstPart, written, overlapped);
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    return WriteFile(file, bytes, length, written, overlapped);
}

// After a write that got only part of the bytes out, OK retries only the
// rest: nothing is written twice.
TEST(OutputStream, RetryAfterAPartialFileWriteWritesOnlyTheRest)
{
    struct Case {
        uint32_t length;  // > 2048 goes straight out, else through the buffer at flush
        DWORD firstPart;
    };
    const Case cases[] = {{5000, 1234}, {5000, 0}, {1000, 999}};
    for (const Case& c : cases) {
        const std::wstring name = TempPath(L"morva-partial-");
        StreamHolder h;
        h.s->writePrinter = WatchPieces;
        h.s->writeFile = FailingFirstWrite;
        ASSERT_EQ(OpenStreamOnSpoolHandle(h.s, reinterpret_cast<HANDLE>(1)), 0);
        ASSERT_EQ(OpenStreamFile(h.s, name.c_str(), nullptr, kStreamFileCreate), 0);
        g_fileCalls = 0;
        g_firstPart = c.firstPart;
        PromptScript script({IDOK});
        const Bytes data = Pattern(c.length);
        EXPECT_EQ(WriteStream(h.s, data.data(), c.length), int64_t{c.length});
        EXPECT_EQ(CloseStreamFile(h.s, nullptr), 0);
        EXPECT_EQ(script.answers().texts.size(), 1u);
        EXPECT_EQ(ReadWholeFile(name), data) << c.length << " " << c.firstPart;
        DeleteFileW(name.c_str());
    }
}

// The question of the file and external-input modes has its text (string 4).
TEST(OutputStream, FileWriteQuestionHasItsTextInEveryFileMode)
{
    for (uint16_t mode : {kStreamFile, kStreamExternalInput}) {
        const std::wstring name = TempPath(L"morva-question-");
        HANDLE make = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(make);
        StreamHolder h;
        h.s->writePrinter = WatchPieces;
        ASSERT_EQ(OpenStreamOnSpoolHandle(h.s, reinterpret_cast<HANDLE>(1)), 0);
        // Opened for reading only, every write fails.
        ASSERT_EQ(OpenStreamFileMode(h.s, name.c_str(), nullptr, kStreamFileReadOnly, mode), 0);
        PromptScript script({IDOK, IDCANCEL});
        const Bytes data = Pattern(3000);
        EXPECT_EQ(WriteStream(h.s, data.data(), 3000), -1);
        ASSERT_EQ(script.answers().texts.size(), 2u);  // OK retried once, Cancel stopped
        EXPECT_EQ(script.answers().texts[0], kDefaultStreamWriteFailedText);
        EXPECT_EQ(script.answers().titles[0], kDefaultStreamMessageTitle);
        CloseStreamFileMode(h.s, kStreamSpooler);
        DeleteFileW(name.c_str());
    }
}

TEST(OutputStream, OwnPrinterConnection)
{
    FilePortPrinter printer(kPrinterName);
    ASSERT_TRUE(printer.ok());
    printer.ClearPort();
    SpoolerJobLock lock;
    StreamHolder h;
    ASSERT_EQ(OpenStreamOnNewPrinterJob(h.s, printer.handle(), L"own job"), 0);
    EXPECT_TRUE(h.s->ownConnection);
    const Bytes data = Pattern(4000);
    EXPECT_EQ(WriteStream(h.s, data.data(), 100), 100);
    EXPECT_EQ(WriteStream(h.s, data.data() + 100, 3900), 3900);
    EXPECT_TRUE(ClosePrinterStream(h.s));
    EXPECT_EQ(h.s->mode, kStreamClosed);
    EXPECT_EQ(printer.ReadPort(), data);
    EXPECT_EQ(OpenStreamOnNewPrinterJob(h.s, nullptr, L"none"), -1);
}

TEST_F(SpooledStream, CallersSpoolerHandleIsNotClosed)
{
    const uint8_t b[3] = {1, 2, 3};
    EXPECT_EQ(WriteStream(stream(), b, 3), 3);
    EXPECT_FALSE(ClosePrinterStream(stream()));  // not a connection of the stream's own
    EXPECT_EQ(End(), Bytes(b, b + 3));           // the job handle was still ours to end
    EXPECT_EQ(WriteStream(stream(), b, 3), -1);
}

TEST(OutputStream, RecordingModeAppendsToTheTemporaryChannel)
{
    StreamHolder h;
    h.s->writePrinter = WatchPieces;
    ASSERT_EQ(OpenStreamOnSpoolHandle(h.s, reinterpret_cast<HANDLE>(1)), 0);
    ASSERT_EQ(CreateTempChannelFile(&h.s->temp), 0);
    ASSERT_EQ(SetStreamMode(h.s, kStreamTemp), 0);
    const Bytes a = Pattern(100);
    const Bytes b = Pattern(3000);
    g_pieces.clear();
    EXPECT_EQ(WriteStream(h.s, a.data(), 100), 100);
    EXPECT_EQ(WriteStream(h.s, b.data(), 3000), 3000);
    ASSERT_EQ(SetStreamMode(h.s, kStreamSpooler), 0);
    EXPECT_TRUE(g_pieces.empty());
    Bytes back(3100);
    ASSERT_EQ(SeekTempChannel(&h.s->temp, 0), 0);
    ASSERT_EQ(ReadTempChannel(&h.s->temp, back.data(), 3100), 3100);
    Bytes expected = a;
    expected.insert(expected.end(), b.begin(), b.end());
    EXPECT_EQ(back, expected);
}

// Opening on a spooler handle over a connection of the stream's own ends that
// connection's job (else it stays in the spooler), and over a file channel
// closes the file.
TEST(OutputStream, OpeningOnASpoolHandleEndsTheEarlierChannel)
{
    FilePortPrinter printer(kPrinterName);
    ASSERT_TRUE(printer.ok());
    printer.ClearPort();
    SpoolerJobLock lock;
    StreamHolder h;
    ASSERT_EQ(OpenStreamOnNewPrinterJob(h.s, printer.handle(), L"own job"), 0);
    const Bytes data = Pattern(300);
    ASSERT_EQ(WriteStream(h.s, data.data(), 300), 300);
    h.s->writePrinter = WatchPieces;
    ASSERT_EQ(OpenStreamOnSpoolHandle(h.s, reinterpret_cast<HANDLE>(1)), 0);
    EXPECT_FALSE(h.s->ownConnection);
    h.s->writePrinter = &WritePrinter;
    EXPECT_EQ(printer.ReadPort(), data);  // the own job ended with its bytes

    const std::wstring name = TempPath(L"reopen");
    h.s->writePrinter = WatchPieces;
    ASSERT_EQ(OpenStreamFile(h.s, name.c_str(), nullptr, kStreamFileCreate), 0);
    ASSERT_EQ(OpenStreamOnSpoolHandle(h.s, reinterpret_cast<HANDLE>(1)), 0);
    EXPECT_EQ(h.s->file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(DeleteFileW(name.c_str()));  // no handle of ours holds it any more
    CloseOutputStream(h.s);
}

TEST(OutputStream, ReopeningDeletesAnEarlierTemporaryFile)
{
    StreamHolder h;
    ASSERT_EQ(CreateTempChannelFile(&h.s->temp), 0);
    const std::wstring name = h.s->temp.name;
    ASSERT_EQ(OpenStreamOnSpoolHandle(h.s, reinterpret_cast<HANDLE>(1)), 0);
    EXPECT_EQ(GetFileAttributesW(name.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetTempChannelState(&h.s->temp), -1);
    CloseOutputStream(h.s);
}

TEST(GrowableTable, IndexBoundaryAndGrowth)
{
    GrowableTable t;
    ASSERT_EQ(CreateGrowableTable(&t, sizeof(RecordedPageOffsets), 4), 0);
    const RecordedPageOffsets e = {10, 20, -1};
    RecordedPageOffsets out = {};
    EXPECT_EQ(StoreTableEntry(&t, 3, &e), 0);
    EXPECT_EQ(StoreTableEntry(&t, 4, &e), -1);
    EXPECT_EQ(LoadTableEntry(&t, 4, &out), -1);
    ASSERT_EQ(GrowTable(&t), 0);
    EXPECT_EQ(t.capacity, 8u);
    EXPECT_EQ(LoadTableEntry(&t, 3, &out), 0);
    EXPECT_EQ(out.end, 20);
    EXPECT_EQ(LoadTableEntry(&t, 7, &out), 0);
    EXPECT_EQ(out.start, 0);  // new entries are zero
    EXPECT_EQ(StoreTableEntry(&t, 8, &e), -1);
    FreeGrowableTable(&t);
    EXPECT_EQ(CreateGrowableTable(&t, 0, 4), -1);
    EXPECT_EQ(CreateGrowableTable(&t, 12, 0), -1);
}

}  // namespace
