// Poster printing: one logical page enlarged over a grid of sheets. The frame
// of the whole poster and the order in which its tiles are printed.
#pragma once
#include "render/page/page_geometry.h"

#include <cstdint>

struct PosterTileRecord {
    PlacementMatrix frame;          // points, the whole poster
    float tileWidth, tileHeight;    // points: one sheet's printable area
    uint16_t columns, rows;
    uint32_t rowFirst;              // 1: tiles run along a row first
    int16_t columnStart, columnEnd;
    int16_t rowEnd;
    int16_t columnStep;
    int16_t rowStart;
    int16_t rowStep;                // +1 or -1
};

// The frame and tile order of the geometry's poster grid.
int ComputeLogicalPageFrame(const PageFrameState* state, const PageGeometry* geometry, PosterTileRecord* record);
// The tile order from the signs of the frame's a, b, c, d; -1 for a frame
// that is not a multiple of a quarter turn, or a grid without a column or row.
int ComputePosterTileOrder(PosterTileRecord* record);
// The placement of tile n: the frame moved so that the tile lies on the
// sheet. -1 for a tile outside the grid or one the order does not reach.
int PlaceInCell(const PosterTileRecord* record, int32_t tile, PlacementMatrix* matrix);
