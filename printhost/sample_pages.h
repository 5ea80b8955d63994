// Built-in sample pages drawn with ordinary GDI calls: text in several fonts,
// sizes and colours; lines, curves and filled shapes with solid, hatch and
// pattern brushes; a photograph-like colour bitmap, a one-bit bitmap and a
// complex clip region.
#pragma once

#include "printhost/print_job.h"

#include <vector>

namespace printhost {

std::vector<PageDrawer> SamplePages();

} // namespace printhost
