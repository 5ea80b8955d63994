// Paper geometry behind the layout summary and the fit-to-paper scale: sizes,
// printable extents and margins of a paper code, the extent the output paper
// offers a page (binding margin and page grid included), and the scale between
// them. Lengths are tenths of a millimetre.
#pragma once
#include <cstdint>

struct ConstraintContext;
struct SettingsContext;

struct PaperGeometryPair {
    uint16_t width;
    uint16_t height;
};
static_assert(sizeof(PaperGeometryPair) == 4);

// Units of the geometry routines.
constexpr int kUnitTenthMm = 0;
constexpr int kUnitHundredthInch = 1;

// The width and length settings of one of the 20 user paper codes. 1 ok.
int GetUserPaperSize(void* settingsRecord, void* printerSettingsRecord, uint16_t paper, uint16_t* width,
                     uint16_t* height);

// Size, printable size, left/top and right/bottom margins of a paper code (any
// of the last three may be null). Codes below 512, or any code without a paper
// list, come from the model's paper record (user codes and the free custom
// size from their settings); codes from 512 from the paper list. 1 ok; 0 on
// failure (the outputs untouched).
int GetPaperGeometry(const ConstraintContext& settings, uint16_t paper, int unit, PaperGeometryPair* size,
                     PaperGeometryPair* printable, PaperGeometryPair* leftTop, PaperGeometryPair* rightBottom);

// The full size (fullSize) or the printable size of a paper. 1 ok, 0 failure.
int GetPaperDimension(const ConstraintContext& settings, uint16_t paper, int unit, bool fullSize, uint16_t* width,
                      uint16_t* height);

// The extent the output paper offers: its size (or printable size) less the
// binding margin on the binding side when the margin shift is on, times the
// page grid when tiling. 1 ok, 0 when a setting or the geometry cannot be read.
int ComputeOutputExtent(const ConstraintContext& settings, uint16_t paper, int unit, bool fullSize, uint16_t* width,
                        uint16_t* height);

// The percentage that fits the source paper onto the output paper's extent
// (the smaller of the two directions, rounded). 1 ok; 0 when a size cannot be
// read or the source paper has no extent.
int ComputeScaleFromGeometry(const ConstraintContext& settings, uint16_t paper, uint16_t outputPaper, int unit,
                             uint32_t* percent);

// The zoom (263) when scaling is set by hand (1281), else the fit of the
// document paper (8) onto the output paper (262; 267 names the document paper).
int ComputeFitScalePercent(const ConstraintContext& settings, uint32_t* percent);

// The one-line layout summary: paper, output paper when it differs, and the fit
// percentage when tiling, in a new block at *out. 1 done, 0 failure.
constexpr unsigned kStringSummaryOnto = 9242;    // joins the output paper
constexpr unsigned kStringSummaryPercent = 9243;  // the fit percentage
constexpr unsigned kStringSummaryPlain = 9244;
int FormatLayoutSummaryText(const ConstraintContext& settings, wchar_t** out);

// 65535 when the model's colour kind cannot be read, 2 for kind 1, else 1.
int GetColorModelKind(const SettingsContext* context);
// -1 when the colour kind or the colour mode (270) cannot be read; 1 for a
// colour model kind 2 or colour mode 1; else 2.
int GetColorModeImageKind(void* settingsRecord, const SettingsContext* context);
