// Watermarks and annotation stamps drawn by the interface library with plain
// GDI on the application's printer DC at the end of a page or document, so
// that the graphics library records them like any drawing, between the
// bracket escapes that tell it what is being drawn.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>

// 20481: what is due, then the page's rectangles in device pixels as the
// graphics library lays them out.
struct OverlayAnswer {
    uint32_t overlayPageDue;    // the watermark of an extra page (document end) or of the face
    uint32_t pageWatermarkDue;  // the watermark of the current page
    uint32_t annotationsDue;
    float imageable[4];         // left, top, right, bottom
    float form[4];              // the page frame
};
static_assert(sizeof(OverlayAnswer) == 44);
static_assert(offsetof(OverlayAnswer, imageable) == 12);
static_assert(offsetof(OverlayAnswer, form) == 28);

struct AnnotationRecord;

// What the spooler knows of a job, for an annotation record built when the
// graphics library has none to give.
struct AnnotationJobFacts {
    const wchar_t* userName;
    const wchar_t* machineName;
    const wchar_t* documentName;
    SYSTEMTIME submitted;  // UTC, as the spooler keeps it
    uint32_t jobNumber;
};
// The texts the settings switch on (1296-1301) with their places (351-356).
// The owner text follows the account mode of `printerSettings` (null: no owner
// text); `capabilityWord` is word 0 of the model's capabilities.
void BuildAnnotationFromJob(const AnnotationJobFacts& job, void* settings, void* printerSettings,
                            uint32_t capabilityWord, AnnotationRecord* out);

inline constexpr int kFrameNone = 0;
inline constexpr int kFrameRectangle = 1;
inline constexpr int kFrameCircle = 2;

// ENDPAGE (0) and ENDDOC (1): 1 when nothing was due or could be read, -1
// without a DC, else the result of the last drawing step.
int DrawPendingOverlays(HANDLE printer, HDC hdc, int atDocumentEnd);

// One text with its optional frame in every cell of its placement; 1 or -1.
// `font` holds its height and width in points.
int DrawWatermark(HDC hdc, const OverlayAnswer& answer, int resolution, uint16_t placement, const LOGFONTW& font,
                  const wchar_t* text, COLORREF colour, int frameKind, bool usePageFrame);

// StartPage then 20548 with 1; EndPage then 20548 with 0 (the graphics
// library does not count a page that ends while the flag is set). Nonzero
// when the escape succeeded.
int StartOverlayPage(HDC hdc);
int EndOverlayPage(HDC hdc);
