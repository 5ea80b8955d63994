// The page geometry from the settings, the paper frames and the units.
#include "render/page/page_geometry.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// A length setting in tenths of a millimetre as the geometry keeps it: below
// 0 is none, above the 16-bit room is the most it holds.
uint16_t TenthsLength(int32_t tenths) { return static_cast<uint16_t>(std::clamp<int32_t>(tenths, 0, 0x7FFF)); }

struct NupGrid {
    uint16_t pagesPerSide;
    int16_t columns, rows;
    bool rotated;  // the cells lie across the sheet
};
constexpr std::array<NupGrid, 6> kNupGrids = {{
    {1, 1, 1, false},
    {2, 1, 2, true},
    {4, 2, 2, false},
    {8, 2, 4, true},
    {16, 4, 4, false},
    {32, 4, 8, true},
}};

// Setting 267 folded onto the four edges of the target area.
struct BindingFold {
    int32_t setting;
    uint32_t edge;
};
constexpr std::array<BindingFold, 8> kBindingFolds = {{
    {1, kBindLeft}, {3, kBindLeft}, {2, kBindRight}, {7, kBindRight},
    {4, kBindTop}, {8, kBindTop}, {5, kBindBottom}, {6, kBindBottom},
}};

constexpr int32_t kZoomMin = 25;
constexpr int32_t kZoomMax = 400;
constexpr uint16_t kDefaultResolution = 600;

uint32_t FoldBindingEdge(int32_t setting)
{
    for (const BindingFold& f : kBindingFolds)
        if (f.setting == setting)
            return f.edge;
    return kBindNone;
}

const NupGrid* FindGrid(int32_t pagesPerSide)
{
    for (const NupGrid& g : kNupGrids)
        if (g.pagesPerSide == pagesPerSide)
            return &g;
    return nullptr;
}

uint16_t ResolutionOrDefault(int32_t value)
{
    return value < 1 || value > UINT16_MAX ? kDefaultResolution : static_cast<uint16_t>(value);
}

}  // namespace

int FillPageGeometry(PageGeometry* geometry, const PageGeometrySettings& s)
{
    if (!geometry)
        return -1;
    const int32_t pagesPerSide = s.poster ? 1 : s.pagesPerSide;
    const NupGrid* grid = FindGrid(pagesPerSide);
    const int32_t fixedZoom = pagesPerSide > 1 ? 0 : s.fixedZoom;
    const int32_t zoom = fixedZoom ? s.zoomPercent : 100;
    if (!grid || zoom < kZoomMin || zoom > kZoomMax)
        return -1;
    if (s.booklet && s.bookletBinding != 0 && s.bookletBinding != 1)
        return -1;

    PageGeometry g = *geometry;
    g.landscape = s.orientation == 2;
    g.rotate180 = s.rotate180 >= kRotateNever && s.rotate180 <= kRotateAlways ? static_cast<uint8_t>(s.rotate180)
                                                                               : kRotateNever;
    g.duplex = s.poster || s.booklet ? kDuplexNone
               : s.duplex == 3       ? kDuplexShortEdge
               : s.duplex == 2       ? kDuplexLongEdge
                                     : kDuplexNone;
    g.bindingEdge = FoldBindingEdge(s.bindingEdge);
    // Lengths kept in 16 bits: a negative value would read as a gutter of metres.
    g.frontGutter = g.bindingEdge ? TenthsLength(s.frontGutter) : 0;
    g.backGutter = g.bindingEdge ? TenthsLength(s.backGutter) : 0;
    g.fixedZoom = fixedZoom;
    g.zoomPercent = static_cast<int16_t>(zoom);
    g.fit = fixedZoom ? 0 : s.fit != 0;
    g.nupOrder = s.poster || s.nupOrder < 0 || s.nupOrder > 6 ? 0 : s.nupOrder;
    g.pagesPerSide = grid->pagesPerSide;
    g.halfSheet = 0;
    g.columns = grid->columns;
    g.rows = grid->rows;
    g.sheetLandscape = (s.sheetOrientation != 0 ? s.sheetOrientation : s.orientation) == 2;
    g.rotatedCells = static_cast<uint32_t>(grid->rotated) ^ g.sheetLandscape;
    g.resolutionX = ResolutionOrDefault(s.resolutionX);
    g.resolutionY = ResolutionOrDefault(s.resolutionY);
    g.bookletLayout = s.booklet && grid->pagesPerSide > 1;
    g.innerShift = s.booklet && s.innerShift;
    g.innerShiftOption = g.innerShift ? s.innerShiftOption != 0 : 0;
    g.innerShiftAmount = g.innerShift ? TenthsLength(s.innerShiftAmount) : 0;
    g.bookletBinding = s.booklet ? static_cast<uint32_t>(s.bookletBinding + 1) : 0;
    g.posterColumns = s.poster ? s.posterColumns : 1;
    g.posterRows = s.poster ? s.posterRows : 1;
    g.alignment = !s.poster && s.alignment >= 1 && s.alignment <= 4 ? static_cast<uint32_t>(s.alignment) : 0;
    g.imageShift = s.imageShift == 1 || s.imageShift == 2 ? s.imageShift : 0;
    g.shiftX = g.imageShift == 1 ? static_cast<int16_t>(s.shiftX) : 0;
    g.shiftY = g.imageShift == 1 ? static_cast<int16_t>(s.shiftY) : 0;
    g.quarterTurn = 0;
    *geometry = g;
    return 0;
}

void FillPaperFrame(PaperFrame* frame, uint16_t paperCode, int16_t width, int16_t height, int16_t printableWidth,
                    int16_t printableHeight, bool edgeToEdge, const PaperMargins* margins)
{
    if (!frame)
        return;
    PaperFrame f = {};
    f.paperCode = paperCode;
    f.width = width;
    f.height = height;
    f.printableWidth = edgeToEdge ? width : printableWidth;
    f.printableHeight = edgeToEdge ? height : printableHeight;
    f.leftOffset = static_cast<int16_t>(edgeToEdge ? 0 : (width - printableWidth + 1) / 2);
    f.topOffset = static_cast<int16_t>(edgeToEdge ? 0 : (height - printableHeight + 1) / 2);
    f.leftMargin = f.rightMargin = f.leftOffset;
    f.topMargin = f.bottomMargin = f.topOffset;
    // Margins that leave no room for the page would make the fit divide by
    // nothing, so the centred ones stay.
    if (margins && margins->left + margins->right < width && margins->top + margins->bottom < height) {
        f.leftMargin = margins->left;
        f.rightMargin = margins->right;
        f.topMargin = margins->top;
        f.bottomMargin = margins->bottom;
    }
    f.sizeInRange = frame->sizeInRange;
    *frame = f;
}

int32_t FormSizeToTenths(int32_t formSize)
{
    return static_cast<int32_t>(std::lround(static_cast<double>(formSize) * 254.0 / 18432.0));
}

float TenthsToDots(float tenths, uint16_t resolution)
{
    return tenths * static_cast<float>(resolution) / 254.0f;
}

void ConvertUnitsToDevice(const PageGeometry* geometry, float length, int axis, float* out)
{
    if (!geometry || !out)
        return;
    const uint16_t r = axis ? geometry->resolutionX : geometry->resolutionY;
    if (r == 0)
        return;
    *out = TenthsToDots(length, r);
}

float ConvertUnitsToDeviceFloat(const PageGeometry* geometry, float length, int axis)
{
    float v = 0.0f;
    ConvertUnitsToDevice(geometry, length, axis, &v);
    return v;
}

int32_t ConvertUnitsToDeviceInt(const PageGeometry* geometry, float length, int axis)
{
    return static_cast<int32_t>(ConvertUnitsToDeviceFloat(geometry, length, axis));
}
