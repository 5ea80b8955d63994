// The directories of a file the job writes beside its print output (a form
// registered in the printer is also kept as a file): created from the left,
// one separator at a time, before the file is opened.
#pragma once
#include <cstdint>

// Answers of CreateOutputDirectories when a directory cannot be created and
// the user was asked: OK goes on without the file, Cancel stops the job.
inline constexpr int16_t kDirectoryFailedGoOn = -1;
inline constexpr int16_t kDirectoryFailedCancel = -2;

// Creates every directory of `path` in turn: at each separator (backslash,
// slash or the yen sign), and the whole path last unless it ends with one.
// A drive prefix is not created, nor the server and share of a network path.
// 0 when every directory exists or was created (an empty path included);
// after a failure the user is warned and the walk stops with the answer.
int16_t CreateOutputDirectories(const wchar_t* path);
