// The job's colour conversion, owned by the device record: chosen and built
// from the settings when the job begins, and used by every colour and image
// row that goes into the stream.
#pragma once
#include <windows.h>

#include <cstdint>

struct PDevRecord;
struct ColourConversionBinding;

// Colour classes of the stages: images, and the colours of brushes, lines
// and text.
inline constexpr int kImageColourClass = 0;
inline constexpr int kGraphicsColourClass = 1;

// Builds the binding of the settings' stages (none when no stage is on and the
// job is not printed in grey) and binds the outside library when asked for. 0;
// -2 no memory; -3 or -4 when a profile could not be used and the user
// cancelled: the job set-up fails.
int CreateColourConversion(PDevRecord* pdev);
// Releases the transforms and the outside library; safe without a binding.
void DestroyColourConversion(PDevRecord* pdev);

// Swaps the first and third byte of each pixel: the stream's rows are red,
// green, blue, the colour stages work on blue, green, red.
void SwapRedAndBlue(uint8_t* pixels, uint32_t count);

// Whether an image goes out as grey: the job's colour mode (setting 270) is
// grey, as a monochrome model's only mode is, and the outside colour library
// does not take the image (`libraryTakes`), whose images keep their colour.
bool ImagesSentAsGrey(const PDevRecord* pdev, bool libraryTakes);

// The page's colours (PDevRecord::pageColours): made in the record's heap at
// the first page and cleared at each page begin; without memory nothing is
// detected. The census is the job's and stays off unless something starts it.
void BeginPageColours(PDevRecord* pdev);
// Feeds the page's colours as the document gives them, before any conversion:
// one colour (red in the low byte), RGB pixels (red first), or indexed pixels
// with their palette (3 bytes an entry, red first).
void NotePageColour(const PDevRecord* pdev, ULONG rgb);
void NotePagePixels(const PDevRecord* pdev, const uint8_t* rgb, uint32_t count);
void NotePageIndexedPixels(const PDevRecord* pdev, const uint8_t* palette, uint32_t entries, const uint8_t* indexes,
                           uint32_t count);
// The sheet kind a recorded face keeps: kind 2 carries the census's colour
// count (count x 16 + 2) while the census is active.
uint32_t FaceSheetKind(const PDevRecord* pdev, uint32_t kind);

// A device colour (red in the low byte) through the graphics stages.
ULONG ConvertDeviceColour(const PDevRecord* pdev, ULONG rgb);
// `count` red, green, blue pixels in place, each as ConvertDeviceColour would
// convert it (the pixels of a pattern brush).
void ConvertDevicePixels(const PDevRecord* pdev, uint8_t* pixels, uint32_t count);
// Image rows of red, green, blue pixels, in place. With `grey` each row
// becomes one inverted grey byte a pixel and the rows are packed to `width`
// bytes each from the start of `rows`. 0, or the conversion's result.
int ConvertImageRows(const PDevRecord* pdev, uint8_t* rows, uint32_t width, uint32_t height, uint32_t stride,
                     bool grey);
// The palette of a 1-, 4- or 8-bit image (red, green, blue entries), converted
// in place of its pixels; with `grey` each entry becomes its inverted grey in
// all three bytes.
void ConvertImagePalette(const PDevRecord* pdev, uint8_t* palette, uint32_t entries, bool grey);
