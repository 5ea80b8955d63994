// The two forms of a device record, resolved when it is created: the page the
// application draws on (requested) and the paper the device prints on (output).
#pragma once
#include <cstdint>

struct PDevRecord;
struct FormRecord;

// Tenths of a millimetre to 1/18432 inch (truncated) and back (rounded to the
// nearest tenth through micrometres).
int32_t TenthsToFormUnits(int32_t tenths);
int32_t FormUnitsToTenths(int32_t units);

// A form's paper and imageable area in tenths of a millimetre, after rotation.
struct FormTenths {
    int32_t width, height;            // the page
    int32_t left, top, right, bottom; // imageable area from the page's left and top edges
};
FormTenths FormInTenths(const FormRecord& form);

// The printable size of a form in tenths of a millimetre: its imageable area,
// or, when a trailer margin group is given (paper number not 0), the page less
// the group's four margins (left, top, right, bottom of the portrait paper).
struct PrintableTenths {
    int32_t width, height;
};
PrintableTenths FormPrintableTenths(const FormRecord& form, const uint16_t* marginGroup);

// Turns a form's imageable area by 90 degrees (portrait paper to a landscape
// page); every new edge comes from the edges before the turn.
void RotateFormToLandscape(FormRecord* form);

// One axis of a paper size that no model paper has, in tenths of a millimetre:
// the model's least margins at both ends, its printable sizes (0: no largest)
// and its size granularity. The margins are widened to centre a paper larger
// than the largest printable size, the granularity's remainder goes to the
// second margin, and the printable size is kept within the limits but never
// beyond the paper.
struct PaperAxisLimits {
    int32_t firstMargin, secondMargin;
    int32_t minPrintable, maxPrintable;
    int32_t granularity;
};
void FitCustomPaperAxis(int32_t paper, const PaperAxisLimits& limits, int32_t* first, int32_t* second);

// After the paper region changed: an output form that was taken as the
// model's default paper becomes the paper that is the default now. 0, or -1
// when that paper cannot be loaded.
int ResolveOutputFormAgain(PDevRecord* pdev);

// Resolves both forms from the record's settings, model and trailer values.
// 0, or -1 when no paper can be found for the request.
int ResolvePdevForms(PDevRecord* pdev);
