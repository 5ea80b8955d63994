// The host copies every page of a metafile a document brings through wine's
// metafile recorder (PlayEnhMetaFile onto the page's metafile DC), and that
// recorder mishandles some records Windows prints. They are rewritten before
// they reach it into records it copies faithfully and that draw the same:
// - a DIB of 1, 4 or 8 bits whose biClrUsed is 0 (the full colour table)
//   names its table's length: the recorder drops the table of a 1 or 4-bit
//   DIB and writes past its buffer for an 8-bit one;
// - a run-length DIB (BI_RLE8, BI_RLE4) of StretchDIBits or SetDIBitsToDevice
//   is decoded into plain rows, which the page's playback can hand to a
//   driver (pixels the runs skip take colour 0);
// - text with ETO_PDY (an x and a y advance per character, of which the
//   recorder keeps n of the 2n) travels whole in a comment of the host
//   (page_comment.h) and is played from there;
// - a curve on an ellipse (an arc, a chord, a pie, an ellipse, a rounded
//   rectangle) under a world transform that flattens the page onto a line
//   is left out: the ellipse has no room, GDI draws nothing of it, and
//   wine's path code aborts on it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

namespace printhost {

// A world transform whose determinant is smaller than this flattens every
// ellipse within GDI's coordinate range (2^27 logical units) to less than a
// sixteenth of a device pixel.
constexpr double kFlatDeterminant = 1e-20;

// The metafile's bytes (which have passed CheckMetafileBytes) as the recorder
// should get them; they pass the check too.
std::vector<BYTE> PrepareForRecorder(const BYTE* data, size_t size);

} // namespace printhost
