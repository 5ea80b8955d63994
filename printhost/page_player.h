// Plays one page's metafile records into the graphics driver's DDI entries.
#pragma once

#include "printhost/engine_objects.h"

#include <string>

namespace printhost {

// False and a message when a record cannot be played or a driver call fails;
// the records after it are still played.
bool PlayPage(HostDevice& device, SURFOBJ* surface, HENHMETAFILE page, std::wstring* error);

} // namespace printhost
