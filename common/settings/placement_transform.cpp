#include "common/settings/placement_transform.h"

#include <algorithm>
#include <cmath>

namespace {

// Tiles along one side: whole objects, plus one for a remaining part.
int64_t TileCount(float areaSide, float objectSide)
{
    const float whole = std::trunc(areaSide / objectSide);
    if (!(whole >= 0))
        return 0;
    int64_t count = static_cast<int64_t>(std::min(whole, 65535.0f));
    if (count < 65535 && areaSide > count * objectSide)
        ++count;
    return count;
}

}  // namespace

int BuildPlacementTransform(const PlacementSize* area, const PlacementSize* object,
                            int16_t angle, int mode, uint16_t alignment,
                            PlacementTransform* transform)
{
    if (area == nullptr || object == nullptr || transform == nullptr)
        return -1;
    const float theta = static_cast<float>(angle * 3.1415926536 / 180.0);
    const float s = static_cast<float>(std::sin(static_cast<double>(theta)));
    const float c = static_cast<float>(std::cos(static_cast<double>(theta)));
    const float width = object->width;
    const float height = object->height;

    float e, f, occupiedWidth, occupiedHeight;
    if (mode == kPlaceAboutCentre) {
        const float hx = width / 2, hy = height / 2;
        e = hx - (hx * c + hy * s);
        f = hy - (-hx * s + hy * c);
        occupiedWidth = width;
        occupiedHeight = height;
    } else {
        // The rotated object's bounding box; the offset moves its top-left
        // corner to (0, 0). Taken from the rotated corners, which also holds
        // beyond ±90 degrees where cosine or sine turn negative.
        const float xs[4] = {0, width * c, height * s, width * c + height * s};
        const float ys[4] = {0, -width * s, height * c, -width * s + height * c};
        e = -*std::min_element(xs, xs + 4);
        f = -*std::min_element(ys, ys + 4);
        occupiedWidth = width * std::fabs(c) + height * std::fabs(s);
        occupiedHeight = width * std::fabs(s) + height * std::fabs(c);
    }

    int result = 1;
    transform->stepX = 0;
    transform->stepY = 0;
    transform->columns = 0;
    transform->rows = 0;
    if (alignment != kAlignTile) {
        switch (alignment & 0xF00) {
        case 0x200: e += area->width / 2 - occupiedWidth / 2; break;
        case 0x300: e += area->width - occupiedWidth; break;
        default: break;
        }
        switch (alignment & 0xF) {
        case 2: f += area->height / 2 - occupiedHeight / 2; break;
        case 3: f += area->height - occupiedHeight; break;
        default: break;
        }
    } else {
        // An object that covers no area would need endless tiles.
        if (!(occupiedWidth > 0) || !(occupiedHeight > 0))
            return -1;
        const int64_t columns = TileCount(area->width, occupiedWidth);
        const int64_t rows = TileCount(area->height, occupiedHeight);
        transform->stepX = occupiedWidth;
        transform->stepY = occupiedHeight;
        transform->columns = static_cast<uint16_t>(columns);
        transform->rows = static_cast<uint16_t>(rows);
        result = static_cast<int>(std::min<int64_t>(columns * rows, kMaxPlacementCount));
    }
    transform->a = c;
    transform->b = s;
    transform->c = -s;
    transform->d = c;
    transform->e = e;
    transform->f = f;
    return result;
}

int TransformPlacementPoint(const PlacementTransform* transform, const PlacementPoint* point,
                            int32_t cell, PlacementPoint* result)
{
    if (transform == nullptr || point == nullptr || result == nullptr)
        return -1;
    float x = transform->a * point->x + transform->b * point->y + transform->e;
    float y = transform->c * point->x + transform->d * point->y + transform->f;
    if (transform->columns != 0 || transform->rows != 0) {
        const int64_t cells = int64_t{transform->columns} * transform->rows;
        if (cell < 0 || cell >= cells)
            return -1;
        x += transform->stepX * static_cast<float>(cell % transform->columns);
        y += transform->stepY * static_cast<float>(cell / transform->columns);
    }
    result->x = x;
    result->y = y;
    return 0;
}
