// The outside processing library's binding and records, and the stream's
// detour into the library's input file.
#include "render/inserted/external_conversion.h"

#include "render/output/output_stream.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string FileText(const std::wstring& path)
{
    std::string text;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        char piece[256];
        size_t n;
        while ((n = std::fread(piece, 1, sizeof piece, f)) > 0)
            text.append(piece, n);
        std::fclose(f);
    }
    return text;
}

constexpr wchar_t kLibrary[] = L"morva_hb_unit.dll";
constexpr wchar_t kPartial[] = L"morva_hb_partial.dll";

class ExternalConversion : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(
            CopyFileW(BesideTestProgram(L"callhb_standin.dll").c_str(), SystemDirectoryFile(kLibrary).c_str(), FALSE));
        // A library without the entry.
        ASSERT_TRUE(
            CopyFileW(BesideTestProgram(L"qcv_standin.dll").c_str(), SystemDirectoryFile(kPartial).c_str(), FALSE));
    }
    void TearDown() override
    {
        EXPECT_TRUE(DeleteFileW(SystemDirectoryFile(kLibrary).c_str()));
        EXPECT_TRUE(DeleteFileW(SystemDirectoryFile(kPartial).c_str()));
    }
    ExternalJobFacts facts{1, 600, 2100, 2970, DMDUP_SIMPLEX, false, false};
};

TEST_F(ExternalConversion, SheetDotsRoundHalfUp)
{
    const struct {
        int32_t tenths, resolution, dots;
    } kCases[] = {{2100, 600, 4961}, {2970, 600, 7016}, {2970, 300, 3508}, {1, 127, 1}, {1, 126, 0}, {0, 600, 0}};
    for (const auto& row : kCases)
        EXPECT_EQ(DotsOfTenths(row.tenths, row.resolution), row.dots) << row.tenths << " at " << row.resolution;
}

TEST_F(ExternalConversion, BoundOnlyWithModeLibraryAndEntry)
{
    EXPECT_EQ(SetUpExternalConversion(facts, L"no_such_library.dll", L"x.dat"), nullptr);
    EXPECT_EQ(SetUpExternalConversion(facts, kPartial, L"x.dat"), nullptr);
    EXPECT_EQ(SetUpExternalConversion(facts, nullptr, L"x.dat"), nullptr);
    EXPECT_EQ(SetUpExternalConversion(facts, kLibrary, L""), nullptr);
    for (uint16_t mode : {3, 255}) {
        facts.colourMode = mode;
        EXPECT_EQ(SetUpExternalConversion(facts, kLibrary, L"x.dat"), nullptr) << mode;
    }
    facts.colourMode = 2;
    ExternalConversionState* s = SetUpExternalConversion(facts, kLibrary, L"C4530HB.DAT");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->dataPath, SystemDirectoryFile(L"C4530HB.DAT"));
    EXPECT_EQ(s->parameters.mode, 2u);
    ReleaseExternalConversion(s);
}

TEST_F(ExternalConversion, RecordsAsTheLibraryTakesThem)
{
    const struct {
        uint16_t duplex;
        bool booklet;
        int32_t height;
        int16_t code, heightDots;
    } kCases[] = {
        {DMDUP_SIMPLEX, false, 2970, 1, 21260},    {DMDUP_VERTICAL, false, 2970, 2, 21260},
        {DMDUP_VERTICAL, true, 2970, 3, 21260},    {DMDUP_HORIZONTAL, false, 9000, 3, 21260},
        {DMDUP_HORIZONTAL, true, 12000, 3, 28346},
    };
    for (const auto& row : kCases) {
        facts.duplex = row.duplex;
        facts.booklet = row.booklet;
        facts.sheetHeight = row.height;
        ExternalConversionState* s = SetUpExternalConversion(facts, kLibrary, L"C4530HB.DAT");
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->page.duplex, row.code);
        EXPECT_EQ(s->page.sheetHeight, row.heightDots);
        EXPECT_EQ(s->page.sheetWidth, 4961);
        EXPECT_EQ(s->page.size, 296u);
        EXPECT_EQ(s->page.word4, 0x1000000u);
        EXPECT_EQ(s->page.xResolution3, 600);
        const std::string directory = s->page.tempDirectory;
        ASSERT_FALSE(directory.empty());
        EXPECT_EQ(directory.back(), '\\');
        EXPECT_EQ(s->parameters.size, 236u);
        EXPECT_EQ(s->parameters.words8to92[21], 0xFF000000u);  // offset 92
        EXPECT_EQ(s->parameters.words8to92[20], 8192u);        // offset 88
        EXPECT_EQ(s->parameters.words224to232[0], 2u);
        EXPECT_EQ(s->result.size, 552u);
        ReleaseExternalConversion(s);
    }
}

// The page record's sheet lengths are 16-bit: a length in dots beyond them
// (the shortest sheet of 900 mm at 1200 dpi, a long custom sheet) is given as
// the longest they hold, never wrapped to a negative length.
TEST_F(ExternalConversion, SheetLengthsStayWithinTheirFields)
{
    const struct {
        uint16_t resolution;
        int32_t width, height;
        int16_t widthDots, heightDots;
    } kCases[] = {
        {600, 2100, 2970, 4961, 21260},
        {600, 13871, 13871, 32766, 32766},
        {600, 13872, 13872, 32767, 32767},
        {1200, 2100, 2970, 9921, 32767},
        {1200, 2970, 4200, 14031, 32767},
    };
    for (const auto& row : kCases) {
        facts.resolution = row.resolution;
        facts.sheetWidth = row.width;
        facts.sheetHeight = row.height;
        ExternalConversionState* s = SetUpExternalConversion(facts, kLibrary, L"C4530HB.DAT");
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->page.sheetWidth, row.widthDots) << row.width << " at " << row.resolution;
        EXPECT_EQ(s->page.sheetHeight, row.heightDots) << row.height << " at " << row.resolution;
        ReleaseExternalConversion(s);
    }
}

// The face goes into the library's input file while the job's own file
// waits, and the job's file goes on where it was.
TEST_F(ExternalConversion, StreamDetoursIntoTheInputFile)
{
    wchar_t directory[MAX_PATH];
    GetTempPathW(MAX_PATH, directory);
    const std::wstring jobFile = std::wstring(directory) + L"morva_external_job.prn";
    OutputStream* stream = CreateOutputStream(nullptr);
    ASSERT_EQ(OpenStreamFile(stream, jobFile.c_str(), nullptr, kStreamFileCreate), 0);
    ExternalConversionState* s = SetUpExternalConversion(facts, kLibrary, L"C4530HB.DAT");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(WriteStream(stream, "before,", 7), 7);
    EXPECT_EQ(RestoreStreamFromTempFile(s, stream), -1);  // nothing to restore
    ASSERT_EQ(RedirectStreamToTempFile(s, stream), 0);
    EXPECT_EQ(RedirectStreamToTempFile(s, stream), -1);  // one at a time
    EXPECT_EQ(stream->mode, kStreamExternalInput);
    EXPECT_EQ(WriteStream(stream, "face", 4), 4);
    ASSERT_EQ(RestoreStreamFromTempFile(s, stream), 0);
    EXPECT_EQ(stream->mode, kStreamFile);
    const std::wstring input = s->inputPath;
    EXPECT_EQ(FileText(input), "face");
    EXPECT_EQ(WriteStream(stream, "after", 5), 5);
    EXPECT_EQ(CloseStreamFile(stream, nullptr), 0);
    EXPECT_EQ(FileText(jobFile), "before,after");
    // Released with the face's file still there: it goes too.
    ReleaseExternalConversion(s);
    EXPECT_EQ(GetFileAttributesW(input.c_str()), INVALID_FILE_ATTRIBUTES);
    DestroyOutputStream(stream);
    DeleteFileW(jobFile.c_str());
}

}  // namespace
