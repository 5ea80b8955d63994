// The spooler's forms as the graphics library looks them up: by name, by
// number (1-based, spooler order) and the size of either in tenths of a
// millimetre.
#pragma once
#include <windows.h>
#include <winspool.h>

#include <cstdint>

// Answers of the lookup by name.
inline constexpr int kFormFound = 1;
inline constexpr int kFormSpoolerError = 2;
inline constexpr int kFormNameUnknown = 3;
inline constexpr int kFormBadArgument = 10;  // also no memory
// The lookup by number answers the codes of common/system/spooler_forms.h:
// 1 found, 2 too few forms, 3 no forms, 10.

// A form and its name in one record.
struct SpoolerFormCopy {
    FORM_INFO_1W info;  // pName points at name
    wchar_t name[32];
};
#ifdef _WIN64
static_assert(sizeof(SpoolerFormCopy) == 104);
#endif

// GetFormW at level 1: the size query, then the fill.
int GetSpoolerFormByName(HANDLE printer, const wchar_t* name, SpoolerFormCopy* form);
int GetSpoolerFormByNumber(HANDLE printer, int number, SpoolerFormCopy* form);

// The paper size and the imageable area (left, top, right, bottom from the
// paper's left and top edges) in tenths of a millimetre.
struct FormSizeTenths {
    int32_t width, height;
    int32_t left, top, right, bottom;
};
// By name when one is given, else by number; the answer of that lookup.
int GetSpoolerFormSize(HANDLE printer, const wchar_t* name, int number, FormSizeTenths* size);
