// The per-job colour stages applied to 24-bit rows and to single colours
// before they go into the job: gain and offset, the two colour transforms,
// the adjustment matrix and the grey conversion.
#pragma once
#include "common/settings/color_matrix.h"
#include "render/image/colour_library.h"
#include "render/image/colour_transform.h"

#include <windows.h>

#include <cstdint>

// Stage flags, set from the settings when the job starts.
enum ColourStageFlag : uint32_t {
    kStageFirstClassMatrix = 0x1,
    kStageFirstClassGain = 0x2,
    kStageSecondClassMatrix = 0x4,
    kStageSecondClassGain = 0x8,
    kStageThirdClassMatrix = 0x10,
    kStageCommonMatrix = 0x20,
    kStageCommonGain = 0x40,
    kStageTemperature = 0x80,
    kStageFirstProfile = 0x100,
    kStageSecondProfile = 0x200,
    kStageOutsideLibrary = 0x400,
};

// Gain and offset in 16.16 fixed point.
struct GainOffset {
    int32_t gain;
    int32_t offset;
};

// The conversion results besides 0 done and -1 bad argument.
inline constexpr int kColourRowsTooLarge = 251;
inline constexpr int kColourLibraryFailed = -6;

// Whether the outside library takes an image, and whether the image is the
// one before it again.
inline constexpr int kImageColourStarts = 6;   // a new eligible image: library use starts
inline constexpr int kImageColourRepeats = 7;  // the same image again: library use stays on
inline constexpr int kImageColourPlain = 8;    // not for the library: library use ends
struct ImageColourChoice {
    uint64_t lastImage;  // key of the previous eligible image, 0 none
    bool libraryInUse;
};

struct ColourConversionBinding {
    uint32_t flags = 0;
    ColorAdjustMatrix matrices[3] = {};  // by colour class
    GainOffset gains[2] = {};            // first and second class
    // The first transform is the temperature or the first profile's.
    ColourTransform transforms[2];
    OutsideColourLibrary library = {};  // bound only with kStageOutsideLibrary
    uint32_t libraryMode = 0;           // setting 291, handed to the library
    ImageColourChoice choice = {};      // the image path's use of the library
    bool greyImages = false;            // a grey job: images go out as grey
};

// Releases both transforms and the outside library; the binding stays usable
// as one without stages.
void ReleaseColourConversion(ColourConversionBinding* binding);

// The settings the stages are chosen and built from, read when the job starts.
struct ColourSettings {
    int16_t mode;              // 270
    uint16_t classBits;        // 273: 1, 2, 4 for the three colour classes
    int16_t brightness[4];     // 274..277: common, first, second, third class
    int16_t saturation[4];     // 278..281
    int16_t contrast[4];       // 282..285
    uint16_t correctionKind;   // 286: 1 temperature, 2 profiles
    uint16_t temperatureIndex; // 287
    uint16_t gammaIndex;       // 288
    uint32_t outsideLibrary;   // 291
    uint16_t firstProfileOn;   // 1303
    uint16_t secondProfileOn;  // 1304
    uint16_t secondIsFirst;    // 1305
    uint16_t perClass;         // 1314
    uint16_t firstClassGain;   // 1326
    uint16_t secondClassGain;  // 1327
    bool firstPathSet;         // 1832 not empty
    bool secondPathSet;        // 1833 not empty
};

uint32_t ColourStageFlags(const ColourSettings& settings);

// Fills the matrices, pairs and temperature transform of the flagged stages;
// a temperature or gamma index without a table entry turns its stage off.
// The profile transforms are loaded by the caller.
void BuildColourStages(ColourConversionBinding* binding, const ColourSettings& settings);

// Loads the flagged profiles: the first from `firstPath`, the second from
// `secondPath` (or the first path when `secondIsFirst`), skipped when the first
// failed. A profile that cannot be used turns its stage off and is reported
// with an OK/Cancel warning. 0 on success or OK; -3 or -4 (first or second
// profile) when the user cancels, and the job set-up then fails.
int LoadColourProfiles(ColourConversionBinding* binding, const wchar_t* firstPath, const wchar_t* secondPath,
                       bool secondIsFirst, HMODULE resources);

// Contrast and brightness are clamped to -100..100.
GainOffset BuildGainOffset(int16_t contrast, int16_t brightness);
void ApplyGainOffset(const GainOffset& pair, const uint8_t* source, uint8_t* destination, uint32_t pixelCount);

// 24-bit pixels to one byte each, 255 for white and 0 for black.
void ConvertToInvertedGrey(const uint8_t* source, uint8_t* destination, uint32_t pixelCount);

// Applies the stages of colour class 0, 1 or 2 to `height` rows of `width`
// blue, green, red pixels, `stride` bytes apart, in place; `grey` rows also
// become one inverted grey byte per pixel at the start of each row.
// 0, -1 bad argument, or kColourRowsTooLarge beyond 65535 either way.
int ConvertColourRows(const ColourConversionBinding* binding, int colourClass, bool grey, uint8_t* rows,
                      uint32_t width, uint32_t height, uint32_t stride);

// One brush or text colour (0x00BBGGRR); kind 1 or 2 takes the first or the
// second profile's transform.
uint32_t ConvertColourValue(const ColourConversionBinding* binding, int colourClass, int kind, uint32_t colour);
// The same for `count` blue, green, red pixels in place: every pixel of a
// pattern is converted as a single colour of that kind would be.
void ConvertColourPixels(const ColourConversionBinding* binding, int colourClass, int kind, uint8_t* pixels,
                         uint32_t count);

// The image format code after conversion for an image sent as grey: 4 (the
// rows stay colour) while the outside library converts the image, else 3.
int GetConvertedImageFormat(const ColourConversionBinding* binding, bool libraryInUse);

// Images of 16, 24 or 32 bits per pixel that are `eligible` go through the
// library. Both 6 and 8 mean the pending images must be sent first.
int ChooseImageColourMode(ImageColourChoice* choice, uint32_t bitsPerPixel, bool eligible, uint64_t imageKey);

// One band of an image: packed rows of blue, green, red pixels.
struct ColourBand {
    uint8_t* pixels;
    uint32_t width;
    uint32_t height;
};
// Receives each converted band (the library's output, `width` x `height`
// pixels of three bytes) in order; 0 to go on.
using ConvertedBandSink = int (*)(void* context, uint32_t index, uint8_t* pixels);

// The image through the outside library: first every band gets the profile
// transforms and is shown to the library, which makes its parameters; then
// every band is converted into `target` (room for the largest band), gets the
// adjustment matrix and goes to `sink`; the parameters are deleted after the
// last band. 0; -1 bad argument; kColourLibraryFailed when a library call
// answers other than 0; a sink's non-zero answer stops the walk and is returned.
int ConvertImageThroughLibrary(const ColourConversionBinding* binding, int colourClass, const ColourBand* bands,
                               uint32_t bandCount, uint8_t* target, ConvertedBandSink sink, void* context);

// The image-path flag of the profile the settings name (the first profile when
// it is on, else the second): 0x10 for a profile with the "acsp" signature,
// 0x40 for one with "nicc", 0 for none or a profile the check refuses.
uint32_t GetProfileKindFlags(const ColourSettings& settings, const wchar_t* firstPath, const wchar_t* secondPath);
