// An output stream whose spooler is a byte vector: for tests of everything
// that writes MORVA commands. Bytes() flushes and answers all bytes so far;
// Commands() reads them back with the MORVA reader.
#pragma once
#include "render/output/output_stream.h"
#include "tools/morva_reader/morva_reader.h"

#include <cstdint>
#include <string>
#include <vector>

class StreamCapture {
public:
    StreamCapture();
    ~StreamCapture();
    StreamCapture(const StreamCapture&) = delete;
    StreamCapture& operator=(const StreamCapture&) = delete;

    OutputStream* stream() { return stream_; }
    std::vector<uint8_t> Bytes();
    // The reader's command texts joined by LF; a reader error fails the test
    // and is appended as "ERROR <text>".
    std::string Commands(const MorvaReadOptions& options = {});
    // Forgets what was captured so far.
    void Clear();

private:
    static BOOL WINAPI Capture(HANDLE printer, LPVOID bytes, DWORD length, LPDWORD written);
    OutputStream* stream_;
    std::vector<uint8_t> bytes_;
};
