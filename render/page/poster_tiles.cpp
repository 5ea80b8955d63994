// Poster frame and tile order.
#include "render/page/poster_tiles.h"

#include <cstdint>

namespace {

int Sign(float v)
{
    return (v > 0.0f) - (v < 0.0f);
}

bool FitsInt16(int32_t v)
{
    return v >= INT16_MIN && v <= INT16_MAX;
}

}  // namespace

int ComputeLogicalPageFrame(const PageFrameState* state, const PageGeometry* geometry, PosterTileRecord* record)
{
    if (!geometry || !record)
        return -1;
    const int32_t columns = geometry->posterColumns;
    const int32_t rows = geometry->posterRows;
    if (columns < 1 || rows < 1)
        return -1;
    PageGeometry copy = *geometry;
    PaperFrame& sheet = copy.sheet;
    int32_t printableWidth;
    int32_t printableHeight;
    // Two sheets side by side carry the page turned across both.
    if (columns == 2 && rows == 1) {
        copy.quarterTurn = geometry->landscape ? 2 : 1;
        printableWidth = sheet.printableHeight;
        printableHeight = 2 * sheet.printableWidth;
    } else {
        copy.quarterTurn = 0;
        printableWidth = columns * sheet.printableWidth;
        printableHeight = rows * sheet.printableHeight;
    }
    const int32_t width = printableWidth + 2 * sheet.leftOffset;
    const int32_t height = printableHeight + 2 * sheet.topOffset;
    // The enlarged sheet must still be a length of the frame.
    if (!FitsInt16(width) || !FitsInt16(height))
        return -1;
    sheet.printableWidth = static_cast<int16_t>(printableWidth);
    sheet.printableHeight = static_cast<int16_t>(printableHeight);
    sheet.width = static_cast<int16_t>(width);
    sheet.height = static_cast<int16_t>(height);

    PosterTileRecord r = *record;
    r.columns = static_cast<uint16_t>(columns);
    r.rows = static_cast<uint16_t>(rows);
    int result = BuildPageFrameRecord(state, &r.frame, &copy, 0, 0);
    r.tileWidth = static_cast<float>(geometry->sheet.printableWidth) * kPointsPerInch / 254.0f;
    r.tileHeight = static_cast<float>(geometry->sheet.printableHeight) * kPointsPerInch / 254.0f;
    result |= ComputePosterTileOrder(&r);
    *record = r;
    return result;
}

int ComputePosterTileOrder(PosterTileRecord* record)
{
    if (!record)
        return -1;
    PosterTileRecord& r = *record;
    const int a = Sign(r.frame.a);
    const int b = Sign(r.frame.b);
    const int c = Sign(r.frame.c);
    const int d = Sign(r.frame.d);
    if ((a != 0) == (b != 0) || (c != 0) == (d != 0))
        return -1;
    r.columnStep = 1;
    if (a == 0 && b == c) {
        r.rowStep = 1;
        r.rowFirst = 0;
    } else {
        r.rowStep = -1;
        r.rowFirst = 1;
    }
    r.columnStart = 0;
    r.columnEnd = static_cast<int16_t>(r.columns - 1);
    r.rowStart = static_cast<int16_t>(r.rowStep < 0 ? r.rows - 1 : 0);
    r.rowEnd = static_cast<int16_t>(r.rowStep < 0 ? 0 : r.rows - 1);
    return r.columnEnd < 0 || r.rowStart < 0 ? -1 : 0;
}

int PlaceInCell(const PosterTileRecord* record, int32_t tile, PlacementMatrix* matrix)
{
    if (!record || !matrix)
        return -1;
    const PosterTileRecord& r = *record;
    const int32_t columns = r.columns;
    const int32_t rows = r.rows;
    if (columns < 1 || rows < 1 || tile < 0 || tile >= columns * rows)
        return -1;
    const int32_t columnIndex = r.rowFirst ? tile % columns : tile / rows;
    const int32_t rowIndex = r.rowFirst ? tile / columns : tile % rows;
    const int32_t tileColumn = r.columnStart + columnIndex * r.columnStep;
    const int32_t tileRow = r.rowStart + rowIndex * r.rowStep;
    if (tileColumn < 0 || tileRow < 0)
        return -1;

    // The same tile by walking the record's order, which also proves the
    // order's fields agree with each other.
    int32_t column = r.columnStart;
    int32_t row = r.rowStart;
    for (int32_t step = 0; step < tile; ++step) {
        if (column == r.columnEnd && row == r.rowEnd)
            return -1;
        if (r.rowFirst) {
            if (column == r.columnEnd) {
                column = r.columnStart;
                row += r.rowStep;
            } else {
                column += r.columnStep;
            }
        } else {
            if (row == r.rowEnd) {
                row = r.rowStart;
                column += r.columnStep;
            } else {
                row += r.rowStep;
            }
        }
    }
    if (column != tileColumn || row != tileRow)
        return -1;
    PlacementMatrix m = r.frame;
    m.e -= static_cast<float>(tileColumn) * r.tileWidth;
    m.f -= static_cast<float>(tileRow) * r.tileHeight;
    *matrix = m;
    return 0;
}
