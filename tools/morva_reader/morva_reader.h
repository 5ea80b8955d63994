// A reader of MORVA job files: the job-language header lines, the two head
// lines, then commands parsed by the opcode table with their operands, one
// listing line per command. It stops with an error at an unknown opcode or a
// command cut short.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct MorvaReadOptions {
    // "Cq" without image data but with a mask carries a colour section only
    // for coded data, and the method saying so lies inside the section: the
    // reader takes the section when its fields are those of coded data and a
    // whole command (or the end) follows mask and data; mask bytes that
    // happen to form exactly such a section are read as one.
};

// Operand bytes that the listing shows only in part (image data, pattern
// bits, palettes, glyph rows): where they lie in the data given.
struct MorvaDataSpan {
    std::string name;  // the listing's name for them ("data", "maskdata", "rows")
    size_t offset;
    size_t length;
};

struct MorvaCommandLine {
    size_t offset;    // of the opcode, from the start of the data given
    uint16_t opcode;
    std::string text; // "AB left=1 top=2 right=3 bottom=4"
    std::vector<MorvaDataSpan> data;
};

struct MorvaListing {
    std::vector<std::string> headerLines;   // job-language lines before the head
    std::string versionLine;                // "%ZQRQD-2.0.6%", without LF
    std::string systemLine;                 // "%WINNT-6.1,RQDDRV-2801.1%"
    std::vector<MorvaCommandLine> commands;
    std::vector<std::string> trailerLines;  // after "EB"
    std::string error;                      // empty when everything was read
};

// A whole job: header lines, head lines, commands, trailer. False on an error
// (the listing then holds what was read before it and the error text).
bool ReadMorvaJob(const uint8_t* data, size_t size, const MorvaReadOptions& options, MorvaListing* listing);
// Commands only, from the first byte to the last (no head lines; "EB" does not
// end the reading).
bool ReadMorvaCommands(const uint8_t* data, size_t size, const MorvaReadOptions& options, MorvaListing* listing);

// The command texts joined by LF (no offsets): what tests compare.
std::string CommandTexts(const MorvaListing& listing);
// The readable listing with offsets, as the command-line tool prints it.
std::string FormatMorvaListing(const MorvaListing& listing);
