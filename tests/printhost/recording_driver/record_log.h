// One text line per call, appended to the file named by PRINTHOST_RECORD_LOG.
#pragma once

#include <string>

void RecordLine(const std::string& line);
std::string Hex(unsigned long value);
std::string Narrow(const wchar_t* text);
// True when the environment variable `name` is set to 1 (the test switches of
// the recording libraries).
bool Asked(const wchar_t* name);
