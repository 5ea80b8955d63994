// Draws the sheets of a MORVA job as the printer would: each sheet face at the
// size its page media ("Ec") gives, in the sheet's own axes (points from the
// lower left corner, y upwards), every drawing command taken through the
// placement ("Aa") in force. Built on the job reader alone, never on the
// driver's encoder: it is a second opinion on what the driver sends.
#pragma once
#include "tools/morva_renderer/sheet_image.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct SheetRenderOptions {
    int dpi = 600;  // pixels per inch of the pictures
};

struct RenderedSheet {
    SheetImage image;
    double widthMm = 0;  // the sheet, from its page media
    double heightMm = 0;
    int mediaKind = 0;                             // "Ec"'s kind byte ('Q' with an explicit size)
    std::vector<std::array<float, 6>> placements;  // every "Aa" of the face, in order
};

struct SheetRenderResult {
    std::vector<RenderedSheet> sheets;  // one per sheet face, in job order
    // What was read but not drawn (resident-font text, unknown coding), once
    // per kind, so that a caller can insist that everything was drawn.
    std::vector<std::string> notes;
    std::string error;  // empty when the whole job was read
};

// False with `result->error` when the job cannot be read or drawn; the sheets
// finished before the fault stay in the result.
bool RenderMorvaJob(const uint8_t* data, size_t size, const SheetRenderOptions& options, SheetRenderResult* result);
