// The job type page's picture of the sheet: a sheet, the pages laid on it and
// marks for the page order, the layout kind and the fold, each chosen from a
// table by a setting's value and, for most, by the orientation of the sheet.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/illustration/picture_loading.h"

// Rows {value, picture for sheet orientation 1, picture for orientation 2};
// the value kTableEnd ends a table.
struct OrientedPictureRow {
    uint32_t value;
    uint32_t portrait;
    uint32_t landscape;
};
// Rows {value, picture}, ended the same way.
struct PictureRow {
    uint32_t value;
    uint32_t picture;
};
inline constexpr uint32_t kTableEnd = 0xFFFFFFFFu;

// The sheets by the duplex setting (16), the pages by the pages per sheet
// (295), the page-order arrows by setting 264, the layout marks by setting 321
// and the fold marks by setting 448.
extern const OrientedPictureRow kSheetPictures[];
extern const OrientedPictureRow kPagesPictures[];
extern const OrientedPictureRow kOrderPictures[];
extern const PictureRow kLayoutPictures[];
extern const PictureRow kFoldPictures[];

// 1 or 2: with setting 321 at 2 (booklet) the orientation itself; otherwise
// the orientation when 1, 4 or 16 pages share the sheet, else the other one
// (1 becomes 2, anything else 1).
uint16_t GetPictureOrientation(uint32_t layoutKind, uint32_t orientation, uint32_t pagesPerSheet);
// The picture of `value` in the column of the orientation; 0 when the value
// is not in the table.
uint32_t GetPictureByOrientation(const OrientedPictureRow* table, uint32_t value, uint16_t orientation);
uint32_t GetPictureByValue(const PictureRow* table, uint32_t value);

// The layer provider of the page's picture control: the settings
// illustration where the model shows one, else the sheet composed from the
// tables above. 0 with a list.
uint16_t JobTypePictureLayers(HMODULE module, HWND dialog, int controlId, BitmapLayer** list, HPALETTE* palette);
