#include "render/frame/job_layout.h"

#include "common/settings/function_ids.h"
#include "render/command/command_layer.h"
#include "render/command/page_items.h"
#include "render/device/pdev_record.h"
#include "render/device/setting_ids.h"
#include "render/frame/job_stream.h"
#include "render/output/page_recording.h"
#include "render/page/booklet_order.h"
#include "render/page/poster_tiles.h"
#include "render/page/sheet_replay.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <vector>

namespace {

// Setting 296's poster grids. The two-sheet grid is the one laid across two
// sheets side by side; the others are taken as the table gives them.
struct PosterGrid {
    uint32_t setting;
    int16_t columns, rows;
};
constexpr std::array<PosterGrid, 6> kPosterGrids = {{
    {258, 2, 1}, {259, 1, 3}, {260, 1, 4}, {514, 2, 2}, {771, 3, 3}, {1028, 4, 4},
}};

constexpr uint32_t kLayoutSettingPoster = 1;
constexpr uint32_t kLayoutSettingBooklet = 2;

// A poster page holds back its media and placement: each tile sends them
// with the tile's own frame. A booklet page also holds back its sheet ends:
// two pages share a side.
constexpr uint16_t kPosterKinds = kRecordPlacement | kRecordPageMedia | 0x2;
constexpr uint16_t kBookletKinds =
    kRecordPlacement | kRecordSheetEnd | kRecordSheetOutput | kRecordPageMedia | 0x2;

int32_t Word(PDevRecord* pdev, uint16_t id) { return static_cast<int32_t>(GetPdevSettingWord(pdev, id)); }
int32_t SignedWord(PDevRecord* pdev, uint16_t id) { return static_cast<int16_t>(GetPdevSettingWord(pdev, id)); }

// The tile's frame in place of the page's own placement.
int PlaceAt(void* context, const PlacementItem&, float out[6])
{
    const auto* m = static_cast<const PlacementMatrix*>(context);
    const float values[6] = {m->a, m->b, m->c, m->d, m->e, m->f};
    std::copy(std::begin(values), std::end(values), out);
    return 0;
}

// A half of a booklet side holding several pages: each page's own placement
// (dots, from its device onto the booklet's page frame) is carried onto the
// sheet by the half's matrix, then measured in points.
struct BookletHalf {
    PlacementMatrix side;
    const PageGeometry* geometry;
};

int PlaceInHalf(void* context, const PlacementItem& item, float out[6])
{
    const auto* half = static_cast<const BookletHalf*>(context);
    const PageGeometry& g = *half->geometry;
    if (g.resolutionX == 0 || g.resolutionY == 0)
        return -1;
    const PlacementMatrix cell{item.matrix[0], item.matrix[1], item.matrix[2],
                               item.matrix[3], item.matrix[4], item.matrix[5]};
    const PlacementMatrix points =
        ComposePlacement(ComposePlacement(cell, half->side), DotsToPoints(g.resolutionX, g.resolutionY));
    const float values[6] = {points.a, points.b, points.c, points.d, points.e, points.f};
    std::copy(std::begin(values), std::end(values), out);
    return 0;
}

int EndRecording(PDevRecord* pdev)
{
    const int result = EndPageRecording(pdev->stream);
    pdev->counters.recording = 0;
    pdev->counters.recorded = 0;
    return result;
}

}  // namespace

int32_t PagesPerSide(PDevRecord* pdev)
{
    const uint32_t value = GetPdevSettingWord(pdev, kFidPagesPerSheet);
    for (uint32_t n : {2u, 4u, 8u, 16u, 32u})
        if (value == n)
            return static_cast<int32_t>(n);
    return 1;
}

JobLayout ReadJobLayout(PDevRecord* pdev)
{
    JobLayout layout{kLayoutPlain, 1, 1, 0, 0, 0};
    const uint32_t kind = GetPdevSettingWord(pdev, kFidPosterBooklet);
    if (kind == kLayoutSettingBooklet) {
        layout.kind = kLayoutBooklet;
        switch (GetPdevSettingWord(pdev, kFidBookletSource) & 0xFF) {
        case 1: layout = {kLayoutBooklet, 1, 1, 0, 1, GetPdevSettingWord(pdev, kFidAutoSignatureSheets)}; break;
        case 2: layout = {kLayoutBooklet, 1, 1, 0, 2, GetPdevSettingWord(pdev, kFidSignatureSheets)}; break;
        default: break;
        }
    } else if (kind == kLayoutSettingPoster) {
        const uint32_t grid = GetPdevSettingWord(pdev, kFidLayoutGrid);
        for (const PosterGrid& g : kPosterGrids) {
            if (g.setting == grid) {
                layout = {kLayoutPoster, g.columns, g.rows, GetPdevSettingDword(pdev, kFidPosterCropMarks) != 0, 0, 0};
                break;
            }
        }
    }
    return layout;
}

PageGeometrySettings ReadPageGeometrySettings(PDevRecord* pdev)
{
    const JobLayout& layout = pdev->jobOptions.layout;
    PageGeometrySettings s{};
    s.orientation = Word(pdev, kFidOrientation);
    s.rotate180 = Word(pdev, kFidTurnPages) & 0xFF;
    s.duplex = Word(pdev, kFidDuplex);
    s.bindingEdge = Word(pdev, kFidEdgeValue);
    s.frontGutter = Word(pdev, kFidFrontGutter);
    s.backGutter = Word(pdev, kFidBackGutter);
    s.fixedZoom = static_cast<int32_t>(GetPdevSettingDword(pdev, kFidLayoutScaleOn));
    s.zoomPercent = s.fixedZoom ? Word(pdev, kFidZoom) : 100;
    s.fit = static_cast<int32_t>(GetPdevSettingDword(pdev, kFidLayoutFit));
    s.nupOrder = Word(pdev, kFidNupOrder);
    s.pagesPerSide = pdev->jobOptions.pagesPerSide;
    s.sheetOrientation = Word(pdev, kFidNupOrientation);
    s.innerShift = static_cast<int32_t>(GetPdevSettingDword(pdev, kFidInnerShift));
    s.innerShiftOption = static_cast<int32_t>(GetPdevSettingDword(pdev, kFidInnerShiftOption));
    s.innerShiftAmount = Word(pdev, kFidInnerShiftAmount);
    s.bookletBinding = Word(pdev, kFidBookletBindingSide);
    s.alignment = Word(pdev, kFidFaceAlignment);
    s.imageShift = Word(pdev, kFidImageShift) & 0xFF;
    s.shiftX = SignedWord(pdev, kFidImageShiftX);
    s.shiftY = SignedWord(pdev, kFidImageShiftY);
    s.resolutionX = s.resolutionY = pdev->resolution;
    s.poster = layout.kind == kLayoutPoster;
    s.booklet = layout.kind == kLayoutBooklet;
    s.posterColumns = layout.posterColumns;
    s.posterRows = layout.posterRows;
    return s;
}

uint32_t SheetTurnCode(PDevRecord* pdev)
{
    const PageGeometrySettings settings = ReadPageGeometrySettings(pdev);
    PageGeometry g{};
    if (FillPageGeometry(&g, settings) != 0)
        return 0;
    if (settings.booklet) {
        const uint32_t b = g.bookletLayout ? g.rotatedCells : g.landscape;
        if (g.bookletBinding == 1)
            return b ? 2 : 3;
        if (g.bookletBinding == 2)
            return b ? 1 : 4;
        return 0;
    }
    if (g.pagesPerSide > 1)
        return g.rotatedCells ? 3 : 1;
    if (settings.poster && g.posterColumns == 2 && g.posterRows == 1)
        return g.landscape ? 1 : 3;
    return g.landscape ? 3 : 1;
}

uint16_t LayoutRecordingKinds(PDevRecord* pdev)
{
    switch (pdev->jobOptions.layout.kind) {
    case kLayoutPoster: return kPosterKinds;
    case kLayoutBooklet: return kBookletKinds;
    default: return 0;
    }
}

int DrawPosterCropMarks(PDevRecord* pdev)
{
    const JobLayout& layout = pdev->jobOptions.layout;
    if (layout.kind != kLayoutPoster || !layout.cropMarks || !pdev->geometry)
        return 0;
    const PageGeometry& g = *pdev->geometry;
    PageFrameState state{};
    state.logicalPage = static_cast<int32_t>(pdev->counters.pages);
    const PageFrameJob job{pdev->geometry, &state, 0};
    PlacementMatrix frame{};
    if (BuildShiftedFrameRecord(&job, &frame, 0, 0, g.landscape) != 0 ||
        EmitPlacementMatrix(pdev->commandLayer, &frame.a) != 0)
        return -1;
    const float width = TenthsToDots(g.landscape ? g.sheet.height : g.sheet.width, g.resolutionX);
    const float height = TenthsToDots(g.landscape ? g.sheet.width : g.sheet.height, g.resolutionY);
    return DrawCropMarks(pdev->commandLayer, g.resolutionX, g.resolutionY, static_cast<int32_t>(width),
                         static_cast<int32_t>(height));
}

int ReplayPosterPage(PDevRecord* pdev, uint32_t page)
{
    if (!pdev->geometry)
        return -1;
    // The page is laid over the poster as it was drawn: its own frame and orientation.
    RecordedPageEntry entry{};
    if (LoadPageEntry(pdev->stream, page, &entry) != 0)
        return -1;
    PageGeometry geometry = *pdev->geometry;
    geometry.page = entry.frame;
    geometry.landscape = entry.landscape;
    PageFrameState state{};
    state.logicalPage = static_cast<int32_t>(page);
    PosterTileRecord record{};
    int result = ComputeLogicalPageFrame(&state, &geometry, &record);
    const int32_t tiles = int32_t{record.columns} * record.rows;
    const bool reverse = GetPdevSettingDword(pdev, kFidReverseOrder) != 0;
    for (int32_t i = 0; i < tiles && result == 0; ++i) {
        PlacementMatrix tile{};
        result |= PlaceInCell(&record, reverse ? tiles - 1 - i : i, &tile);
        const PageReplayHooks hooks{&tile, nullptr, PlaceAt};
        if (result == 0)
            result |= CopyRecordedPage(pdev->commandLayer, page, kReplayPageMedia | kReplayPlacement, -1, hooks);
    }
    return result | ResetCommandLayerForPage(pdev->commandLayer);
}

int ReplayPosterFace(PDevRecord* pdev, bool keepRecording)
{
    const JobLayout& layout = pdev->jobOptions.layout;
    if (layout.kind != kLayoutPoster || !(pdev->counters.recording & kRecordingOn))
        return 0;
    // Every tile is a sheet of its own; the face's own sheet is counted by its end.
    if (layout.posterColumns * layout.posterRows > 1)
        pdev->counters.sheets += static_cast<uint32_t>(layout.posterColumns * layout.posterRows - 1);
    if (keepRecording)
        return 0;
    if (pdev->counters.recorded == 0) {
        EndRecording(pdev);
        return -1;
    }
    return ReplayPosterPage(pdev, pdev->counters.recorded - 1) | EndRecording(pdev);
}

namespace {

// The sides of one signature, pages first to last. A cover (the job's first
// sheet from a separator source without back faces) has a side of its own.
int ReplaySignature(PDevRecord* pdev, int32_t first, int32_t last, bool outward, uint32_t* sides)
{
    const bool cover = pdev->sheetState.cover != 0;
    const uint16_t count = BookletSideCount(first, last, cover);
    int result = 0;
    for (int32_t side = 0; side < count && result == 0; ++side) {
        bool mediaSent = false;
        for (int position = 0; position < 2 && result == 0; ++position) {
            const int32_t page =
                BookletPageAt(first, last, side, pdev->geometry->bookletBinding, position, outward, cover);
            if (page < 0)
                continue;  // an empty half stays blank
            PageFrameState state{};
            state.logicalPage = page;
            const BookletSideRecord half{pdev->geometry, &state, static_cast<uint32_t>(position)};
            BookletHalf cells{{}, pdev->geometry};
            result |= BuildBookletSideMatrix(&cells.side, &half);
            // One page a half is placed by the half's matrix alone; several are
            // placed in their cells of it.
            const PageReplayHooks hooks = pdev->geometry->pagesPerSide > 1 ? PageReplayHooks{&cells, nullptr, PlaceInHalf}
                                                                           : PageReplayHooks{&cells.side, nullptr, PlaceAt};
            const uint32_t mask = mediaSent ? kReplayPlacement : kReplayPageMedia | kReplayPlacement;
            if (result == 0)
                result |= CopyRecordedPage(pdev->commandLayer, static_cast<uint32_t>(page), mask, -1, hooks);
            mediaSent = true;
            result |= ResetCommandLayerForPage(pdev->commandLayer);
        }
        if (result == 0)
            result |= EmitSheetEndFB(pdev->commandLayer, 0) | EmitPageEndED(pdev->commandLayer, 0) |
                      WritePageEvent(pdev, kEventEndPhysical);
    }
    *sides += count;
    return result;
}

}  // namespace

int ReplayBookletOrder(PDevRecord* pdev)
{
    const JobLayout& layout = pdev->jobOptions.layout;
    const uint32_t count = pdev->counters.recorded;
    if (layout.kind != kLayoutBooklet || !(pdev->counters.recording & kRecordingOn) || count == 0)
        return 0;
    // Signature ranges hold 16-bit page numbers.
    if (!pdev->geometry || count > 0xFFFF)
        return -1;
    // Reverse order folds the signatures the other way round.
    const bool outward = GetPdevSettingDword(pdev, kFidReverseOrder) != 0;
    const int32_t pages = static_cast<int32_t>(count);
    std::vector<SignatureRange> signatures;
    if (layout.bookletBinding != 0 && layout.signatureSheets > 0) {
        signatures.resize(static_cast<size_t>(
            SplitBookletSignatures(pages, false, static_cast<int32_t>(layout.signatureSheets), nullptr)));
        SplitBookletSignatures(pages, false, static_cast<int32_t>(layout.signatureSheets), signatures.data());
    } else {
        signatures.push_back({0, static_cast<uint16_t>(pages - 1)});
    }
    int result = 0;
    uint32_t sides = 0;
    for (const SignatureRange& range : signatures)
        if (result == 0)
            result |= ReplaySignature(pdev, range.first, range.last, outward, &sides);
    // Two sides to a sheet.
    pdev->counters.sheets = (sides + 1u) / 2u;
    return result;
}

int ReplayBookletPages(PDevRecord* pdev)
{
    if (pdev->jobOptions.layout.kind != kLayoutBooklet || !(pdev->counters.recording & kRecordingOn))
        return 0;
    return ReplayBookletOrder(pdev) | EndRecording(pdev);
}
