// Placement of rotated stamps and watermarks on a page: aligned once in an
// area, or tiled over it.
#pragma once
#include <cstdint>

struct PlacementSize {
    float width;
    float height;
};

struct PlacementPoint {
    float x;
    float y;
};

// (x, y) -> (a·x + b·y + e + stepX·column, c·x + d·y + f + stepY·row).
struct PlacementTransform {
    float a, b, c, d;   // the rotation
    float e, f;         // the offset
    float stepX, stepY; // tile steps
    uint16_t columns;   // tile grid; both 0 when not tiled
    uint16_t rows;
};

// Mode: rotate about the object's centre, keeping its own size.
inline constexpr int kPlaceAboutCentre = 2;
// Alignment: 0 tiles; otherwise horizontal (0x100 left, 0x200 centre, 0x300
// right) or'ed with vertical (1 top, 2 centre, 3 bottom).
inline constexpr uint16_t kAlignTile = 0;
inline constexpr int kMaxPlacementCount = 0x7FFFFFF;

// 1 for an aligned placement, the number of cells when tiled, -1 for a
// missing argument or an object that occupies no area (it cannot be tiled).
int BuildPlacementTransform(const PlacementSize* area, const PlacementSize* object,
                            int16_t angle, int mode, uint16_t alignment,
                            PlacementTransform* transform);

// Places `point` in `cell` (tiled transforms only); 0, or -1 for a missing
// argument or a cell outside the grid.
int TransformPlacementPoint(const PlacementTransform* transform, const PlacementPoint* point,
                            int32_t cell, PlacementPoint* result);
