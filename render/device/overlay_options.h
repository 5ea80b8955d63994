// What the job asks of the overlays the interface library draws on the page
// (the stamp as a watermark, the annotation items), read from the record's
// settings, and the overlay state of the brackets of escapes 20483 and 20488.
#pragma once
#include <cstdint>

struct PDevRecord;

struct OverlayOptions {
    bool present;            // the stamp settings 297 and 299 both name something
    bool ownClip;            // overlay mode (setting 1288)
    bool firstPageOnly;      // setting 1286
    bool overlayValue;       // setting 1287
    bool annotationItems;    // any of the annotation items 1296-1301 is on
    bool bookletAnnotation;  // the items go on a booklet of one page a side
    int32_t items[6];        // settings 351-356 of the items that are on, else -1
};
OverlayOptions ReadOverlayOptions(PDevRecord* pdev);

// Inside the watermark bracket: whether the job has overlay options; else
// whether the annotation bracket is open.
bool IsOverlayDrawingActive(PDevRecord* pdev, const OverlayOptions& options);
// While the interface library draws an overlay that keeps its own clip,
// drawing calls send none: inside the annotation bracket unless the job has
// the booklet annotation, inside the watermark bracket with overlay options
// when their overlay mode (setting 1288) is on.
bool UsesOverlayClip(PDevRecord* pdev);
// The overlay value of the open bracket: setting 1287 inside the watermark
// bracket with overlay options, else 0.
uint32_t BracketOverlayValue(PDevRecord* pdev, const OverlayOptions& options);
