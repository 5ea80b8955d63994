// Whole jobs printed through the print host onto the file port and read back
// whole with the MORVA reader: the tests of job and page control share them.
#pragma once
#include "tests/frame/frame_fixture.h"
#include "tools/morva_reader/morva_reader.h"

#include <functional>
#include <string>
#include <vector>

namespace frame_test {

enum class Ending { kEndDoc, kAbortDoc };

struct JobPlan {
    std::vector<bool> drawnPages;  // one entry per page: whether it is drawn on
    Ending ending = Ending::kEndDoc;
    std::vector<SettingPair> settings;
    // Called after the document start, before the first page (private escapes).
    std::function<void(HDC dc)> beforePages;
    // Called on each page after its drawing (escapes within the page); n from 0.
    std::function<void(HDC dc, size_t n)> onPage;
    // Called after each page (ResetDC and escapes between pages); n from 0.
    std::function<void(HDC dc, size_t n)> afterPage;
    // The printer; the colour reference model's when null.
    FrameDriver* driver = nullptr;
};

struct PrintedJob {
    std::string bytes;
    MorvaListing listing;
    bool read = false;
    std::string commands;
    int drawingRefused = 0;  // drawing calls the driver refused
};

// Each drawn page gets a black rectangle from x = 100 + 10 n (n = 1, 2, ...)
// to 600, so that the pages can be told apart in the stream.
PrintedJob PrintJob(const JobPlan& plan);

// Reads the job's settings and printer settings back from the driver, writes
// the numbers into them (with the type and size the engine reports) and hands
// both back: what another program can do between pages.
void ChangeJobSettings(HDC dc, const std::vector<SettingPair>& pairs);

// The lines, each ended by a line feed.
std::string Joined(const std::vector<std::string>& lines);

} // namespace frame_test
