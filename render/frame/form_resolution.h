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

// Turns a form's imageable area by 90 degrees (portrait paper to a landscape
// page); every new edge comes from the edges before the turn.
void RotateFormToLandscape(FormRecord* form);

// Resolves both forms from the record's settings, model and trailer values.
// 0, or -1 when no paper can be found for the request.
int ResolvePdevForms(PDevRecord* pdev);
