// Forms of the spooler for the cases that need papers the spooler does not list
// by itself. Wine keeps its fixed form list and carries AddFormW and DeleteFormW
// out as stubs that store nothing, so these helpers also put a stand-in for
// EnumFormsW into the program's import table (once, for the program's life): it
// answers the spooler's own list less the forms deleted here, followed by the
// forms added here, in the layout and with the size query of the real call. The
// code under test, linked into the program, enumerates through that table.
#pragma once
#include <windows.h>

// A form (sizes and area in thousandths of a millimetre). True when the
// enumeration lists it afterwards (an existing form of that name is kept).
bool EnsureSpoolerForm(HANDLE printer, const wchar_t* name, LONG width, LONG height, const RECTL& imageable);
// True when the enumeration no longer lists a form of that name (compared
// without regard to case, as the spooler compares form names).
bool DeleteSpoolerForm(HANDLE printer, const wchar_t* name);
