// How far two pictures of one sheet differ in their ink, forgiving what
// anti-aliasing and rounding move by a pixel or two.
#pragma once
#include "tools/morva_renderer/sheet_image.h"

#include <cstddef>

struct InkComparison {
    size_t inkA = 0;  // pixels of ink in each picture
    size_t inkB = 0;
    size_t unmatchedA = 0;  // ink with no ink of a near colour within the reach in the other picture
    size_t unmatchedB = 0;
    // Unmatched ink over all ink (1 when either picture has ink and the other none).
    double Share() const
    {
        const size_t ink = inkA + inkB;
        return ink == 0 ? 0.0 : double(unmatchedA + unmatchedB) / double(ink);
    }
};

// Ink is any pixel with a channel below 224. A pixel of ink is matched when
// the other picture has, within `reach` pixels each way, a pixel whose
// channels all lie within `tolerance` of its own. The pictures are compared
// over the area they share. `diff`, when given, shows matched ink grey, ink
// only in A red and ink only in B blue.
InkComparison CompareInk(const SheetImage& a, const SheetImage& b, int reach, int tolerance, SheetImage* diff);
