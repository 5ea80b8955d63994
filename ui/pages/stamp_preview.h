// The stamp preview of the stamps page (control 1451) and of the stamp add and
// edit dialog (control 1453): the page in the document's orientation with the
// stamp drawn on it in its font, colour, angle, frame and place, by the same
// placement arithmetic that prints it, scaled from device units to pixels.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/engine/dialog_context.h"

struct SettingsContext;

// Where the page lies in the control, by orientation (setting 7).
struct PreviewGeometry {
    UINT bitmap;
    POINT bitmapAt;
    POINT origin;
    SIZE page;
};
const PreviewGeometry& GetPreviewGeometry(int orientation);

// The stamp settings the preview reads.
struct StampPreviewInputs {
    int orientation = DMORIENT_PORTRAIT;  // 7
    int resolution = 0;                   // 20: the device's dots per inch
    std::wstring name;                    // 297
    std::wstring text;                    // 299
    COLORREF colour = 0;                  // 301
    bool light = false;                   // 1287
    int frame = 0;                        // 302
    uint16_t position = 0;                // 303
    bool repeat = false;                  // 1288
    LOGFONTW font{};                      // 304: face, character set, pitch
    int32_t sizePoints = 0;               // 306
    int32_t weight = 0;                   // 307
    uint8_t italic = 0;                   // 308
    int32_t angle = 0;                    // 311, tenths of a degree
    int32_t widthPoints = 0;              // 319
};
// False when a setting is missing.
bool ReadStampPreviewInputs(void* settings, void* printerSettings, StampPreviewInputs* in);

// 202 mm of the page map to the 106 pixels of the preview's short side.
inline constexpr double kPreviewShortSidePixels = 106.0;
inline constexpr double kPreviewShortSideMm = 202.0;

// The preview font and frame pen: 1; 0 when the resolution is not a positive
// number of dots per inch (a print quality of 0 or a negative DMRES value),
// which would scale by nothing or turn the page over.
int BuildPreviewFont(const StampPreviewInputs& in, COLORREF colour, const LOGFONTW& face, LOGFONTW* font, LOGPEN* pen);

// Sixteen entries: the seven colours of the colour table, the stamp colour,
// then the light forms of those eight; all grey for a picture kind of 1.
inline constexpr int kPreviewPaletteSize = 16;
void BuildPreviewPalette(COLORREF stamp, bool grey, PALETTEENTRY entries[kPreviewPaletteSize]);
// The colour text and frame are drawn in (palette-relative).
COLORREF PreviewDrawingColour(const PALETTEENTRY entries[kPreviewPaletteSize], bool light);

// Where the stamp goes: per cell the text's point and the frame (four corners
// of a box, or the bounding rectangle of a circle), in control pixels.
struct StampPreviewCell {
    POINT text;
    POINT frame[4];
};
struct StampPreviewPlan {
    int frame = 0;
    std::vector<StampPreviewCell> cells;
};
// `w` and `h`: the text's extent in pixels. The number of cells, or -1 for a
// frame value that is not known or a placement that cannot be made.
int PlanStampPreview(const StampPreviewInputs& in, float w, float h, int penWidth, StampPreviewPlan* plan);

// What PaintStampPreview drew.
inline constexpr int kPreviewFailed = 0;
inline constexpr int kPreviewStamp = 1;
inline constexpr int kPreviewPageAlone = 2;
// Paints the preview into `dc` over `client`, its background first.
int PaintStampPreview(HDC dc, const RECT& client, const StampPreviewInputs& in, bool grey, COLORREF background,
                      HMODULE resources);

// Item handler of the preview controls: subclassed at WM_INITDIALOG, painted
// again at every show and change.
uint32_t OnStampPreviewItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                            const void* parameters);
