// Where a test program finds the files built beside it, and where it puts a
// library that the code under test loads from the system directory.
#pragma once
#include <string>

// The file `name` in the test program's own directory.
std::wstring BesideTestProgram(const std::wstring& name);
// The file `name` in the system directory (GetSystemDirectoryW).
std::wstring SystemDirectoryFile(const std::wstring& name);
