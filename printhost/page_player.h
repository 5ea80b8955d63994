// Plays one page's metafile records into the graphics driver's DDI entries.
#pragma once

#include "printhost/engine_objects.h"

#include <string>

namespace printhost {

// False and a message when a record cannot be played or a driver call fails;
// the records after it are still played.
// `played`, when given, hears the ticks each record took (see HostDcObserver).
struct PlayTiming {
    void (*played)(void* context, DWORD recordType, LONGLONG ticks);
    void* context;
};
bool PlayPage(HostDevice& device, SURFOBJ* surface, HENHMETAFILE page, std::wstring* error,
              const PlayTiming* timing = nullptr);

// An escape that only tells the driver something (no answer bytes), issued
// while a page is open, is written into the page's metafile as a comment and
// reaches DrvEscape when the page is played, between the drawing before and
// after it, as the application issued them. False when the comment could not
// be written (the caller then passes the escape on at once).
bool RecordEscapeInPage(HDC pageDc, int escape, int inSize, const char* in);

} // namespace printhost
