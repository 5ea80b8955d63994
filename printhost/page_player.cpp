#include "printhost/page_player.h"

namespace printhost {

bool PlayPage(HostDevice&, SURFOBJ*, HENHMETAFILE, std::wstring*)
{
    return true;
}

} // namespace printhost
