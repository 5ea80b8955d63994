// Where a job's time goes: the graphics library's DDI entries, each timed by
// a wrapper put into the host's table of the driver's functions, and the
// host's own playback of each kind of metafile record (its time less that of
// the driver calls made inside it) and the host's time between two document
// events (the rest: DC set-up, the application's drawing into the page's
// metafile, the spooler), heard through the host's observer.
#pragma once

#include <cstdio>
#include <string>

namespace jobbench {

// Loads the graphics library at `graphicsDll` (the path the spooler reports)
// through the host and wraps its entries: the host's DCs share the wrapped
// table until DetachDdiTiming. Nested calls (the engine calling the driver
// back inside a driver call) count to the inner entry only.
bool AttachDdiTiming(const std::wstring& graphicsDll, std::wstring* error);
void DetachDdiTiming();

// Clears the figures and starts listening to the host's playback.
void StartTiming();
// Stops listening; `wallSeconds` is the whole time measured, for the rest.
void StopTiming(double wallSeconds);
// The figures per page: calls, milliseconds and share of the whole, largest first.
void PrintTiming(FILE* out, double pages);

} // namespace jobbench
