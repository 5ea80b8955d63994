// Pieces of the reader shared between its files.
#pragma once
#include "tools/morva_reader/morva_reader.h"

#include <string>
#include <vector>

// Reads big-endian values; a read past the end marks the cursor truncated
// and answers 0, so a parser can run on and the caller checks once.
struct ReaderCursor {
    const uint8_t* data;
    size_t size;
    size_t pos;
    bool truncated = false;
    std::string problem;  // a malformed operand (not a truncation)
    std::vector<MorvaDataSpan> spans;  // operand bytes of the command being read

    bool Need(size_t n);
    uint32_t U8();
    int32_t S8();
    uint32_t U16();
    int32_t S16();
    int32_t S24();
    uint32_t U32();
    int32_t S32();
    float F32();
    int32_t Varint();
    bool AtEnd() const { return pos >= size; }
    int Peek() const { return pos < size ? data[pos] : -1; }
};

// Appends " name=value" forms to a listing line.
void AddInt(std::string& line, const char* name, int64_t value);
void AddHex(std::string& line, const char* name, uint32_t value);
void AddFloat(std::string& line, const char* name, float value);
void AddFloats(std::string& line, const char* name, ReaderCursor& c, size_t count);
void AddBytes(std::string& line, const char* name, ReaderCursor& c, size_t count);
void AddText(std::string& line, const char* name, ReaderCursor& c, size_t count);
std::string FloatText(float value);

// Parses the operands of one opcode into `line` (which starts with the
// opcode letters). False for an opcode that is not in the table.
bool ParseOperands(uint16_t opcode, ReaderCursor& c, const MorvaReadOptions& options, std::string& line);
