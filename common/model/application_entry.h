// Which entry of the model's table of programs (kind 24) names the program the
// driver runs in, so that the model can treat some applications specially.
#pragma once
#include "common/model/model_data.h"

// 1-based number of the first entry that names the current process; 0 when none
// does, when an entry cannot be loaded, or when the process name cannot be read.
int FindApplicationEntry(ModelDataRecord* main, ModelDataRecord* linked);

// An entry names a program by its file name (compared without regard to case),
// or with a leading "*" by any part of it.
bool ApplicationNameMatches(const wchar_t* entryName, const wchar_t* processName);
