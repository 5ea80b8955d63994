#include "render/image/job_colour.h"

#include "common/context/settings_context.h"
#include "common/model/model_data.h"
#include "common/settings/function_ids.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"
#include "render/device/pdev_record.h"
#include "render/image/colour_census.h"
#include "render/image/colour_conversion.h"

#include <cstring>
#include <new>
#include <string>
#include <utility>

namespace {

constexpr uint16_t kFirstProfilePath = 1832;
constexpr uint16_t kSecondProfilePath = 1833;
// Model file names of the outside colour library and of the file it starts with.
constexpr uint16_t kColourLibraryFileName = 4;
constexpr uint16_t kColourStartFileName = 1;
constexpr uint16_t kGreyColourMode = 1;  // setting 270: "gray"

// The settings the stages are chosen from, as the job has them now.
ColourSettings ReadColourSettings(PDevRecord* pdev)
{
    ColourSettings s{};
    auto word = [pdev](uint16_t id) { return GetPdevSettingWord(pdev, id); };
    s.mode = static_cast<int16_t>(word(270));
    s.classBits = word(273);
    for (int slot = 0; slot < 4; ++slot) {
        s.brightness[slot] = static_cast<int16_t>(word(static_cast<uint16_t>(274 + slot)));
        s.saturation[slot] = static_cast<int16_t>(word(static_cast<uint16_t>(278 + slot)));
        s.contrast[slot] = static_cast<int16_t>(word(static_cast<uint16_t>(282 + slot)));
    }
    s.correctionKind = word(286);
    s.temperatureIndex = word(287);
    s.gammaIndex = word(288);
    s.outsideLibrary = GetPdevSettingDword(pdev, 291);
    s.firstProfileOn = word(1303);
    s.secondProfileOn = word(1304);
    s.secondIsFirst = word(1305);
    s.perClass = word(1314);
    s.firstClassGain = word(1326);
    s.secondClassGain = word(1327);
    const wchar_t* first = GetPdevSettingString(pdev, kFirstProfilePath);
    const wchar_t* second = GetPdevSettingString(pdev, kSecondProfilePath);
    s.firstPathSet = first != nullptr && first[0] != L'\0';
    s.secondPathSet = second != nullptr && second[0] != L'\0';
    return s;
}

// The driver directory joined with model file name `n`; empty when either is missing.
std::wstring DriverFile(PDevRecord* pdev, uint16_t n)
{
    if (pdev->settingsContext == nullptr || pdev->settingsContext->main == nullptr)
        return {};
    wchar_t* name = nullptr;
    GetModelFileName(pdev->settingsContext->main, n, &name);
    GlobalBlockPtr<wchar_t> owner(name);
    wchar_t directory[kDriverDirectoryChars] = {};
    if (name == nullptr || name[0] == L'\0' || !GetDriverDirectory(directory, sizeof directory))
        return {};
    return std::wstring(directory) + name;
}

// A single colour takes the second profile when that is on, else the first
// transform (temperature or first profile).
int SingleColourKind(const ColourConversionBinding& binding)
{
    return binding.flags & kStageSecondProfile ? 2 : 1;
}

void BindLibrary(PDevRecord* pdev, ColourConversionBinding* binding)
{
    const std::wstring library = DriverFile(pdev, kColourLibraryFileName);
    const std::wstring start = DriverFile(pdev, kColourStartFileName);
    if (library.empty() || start.empty() ||
        BindOutsideColourLibrary(&binding->library, library.c_str(), start.c_str()) != 0)
        binding->flags &= ~uint32_t{kStageOutsideLibrary};
}

}  // namespace

void SwapRedAndBlue(uint8_t* pixels, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i, pixels += 3)
        std::swap(pixels[0], pixels[2]);
}

int CreateColourConversion(PDevRecord* pdev)
{
    DestroyColourConversion(pdev);
    const ColourSettings settings = ReadColourSettings(pdev);
    const bool grey = GetPdevSettingWord(pdev, kFidColorMode) == kGreyColourMode;
    if (ColourStageFlags(settings) == 0 && !grey)
        return 0;
    auto* binding = new (std::nothrow) ColourConversionBinding;
    if (binding == nullptr)
        return -2;
    BuildColourStages(binding, settings);
    binding->greyImages = grey;
    if (binding->flags & kStageOutsideLibrary)
        BindLibrary(pdev, binding);
    const int result = LoadColourProfiles(binding, GetPdevSettingString(pdev, kFirstProfilePath),
                                          GetPdevSettingString(pdev, kSecondProfilePath), settings.secondIsFirst == 1,
                                          GetResourceModule());
    if (result != 0 || (binding->flags == 0 && !grey)) {
        ReleaseColourConversion(binding);
        delete binding;
        return result;
    }
    pdev->colour = binding;
    return 0;
}

void DestroyColourConversion(PDevRecord* pdev)
{
    if (pdev->colour == nullptr)
        return;
    ReleaseColourConversion(pdev->colour);
    delete pdev->colour;
    pdev->colour = nullptr;
}

bool ImagesSentAsGrey(const PDevRecord* pdev, bool libraryTakes)
{
    constexpr int kGreyFormat = 3;
    return pdev != nullptr && pdev->colour != nullptr && pdev->colour->greyImages &&
           GetConvertedImageFormat(pdev->colour, libraryTakes) == kGreyFormat;
}

ULONG ConvertDeviceColour(const PDevRecord* pdev, ULONG rgb)
{
    const ColourConversionBinding* binding = pdev != nullptr ? pdev->colour : nullptr;
    if (binding == nullptr || binding->flags == 0)
        return rgb;
    return ConvertColourValue(binding, kGraphicsColourClass, SingleColourKind(*binding), rgb & 0xFFFFFF);
}

void ConvertDevicePixels(const PDevRecord* pdev, uint8_t* pixels, uint32_t count)
{
    const ColourConversionBinding* binding = pdev != nullptr ? pdev->colour : nullptr;
    if (binding == nullptr || binding->flags == 0)
        return;
    SwapRedAndBlue(pixels, count);
    ConvertColourPixels(binding, kGraphicsColourClass, SingleColourKind(*binding), pixels, count);
    SwapRedAndBlue(pixels, count);
}

int ConvertImageRows(const PDevRecord* pdev, uint8_t* rows, uint32_t width, uint32_t height, uint32_t stride,
                     bool grey)
{
    const ColourConversionBinding* binding = pdev != nullptr ? pdev->colour : nullptr;
    if (binding == nullptr || (binding->flags == 0 && !grey))
        return 0;
    if (width > 65535 || height > 65535)
        return kColourRowsTooLarge;
    for (uint32_t y = 0; y < height; ++y)
        SwapRedAndBlue(rows + size_t{y} * stride, width);
    const int result = ConvertColourRows(binding, kImageColourClass, grey, rows, width, height, stride);
    if (result != 0)
        return result;
    if (grey) {
        // Each row's grey bytes lie at its start; later rows move down only.
        for (uint32_t y = 1; y < height; ++y)
            std::memmove(rows + size_t{y} * width, rows + size_t{y} * stride, width);
        return 0;
    }
    for (uint32_t y = 0; y < height; ++y)
        SwapRedAndBlue(rows + size_t{y} * stride, width);
    return 0;
}

void ConvertImagePalette(const PDevRecord* pdev, uint8_t* palette, uint32_t entries, bool grey)
{
    if (ConvertImageRows(pdev, palette, entries, 1, entries * 3, grey) != 0 || !grey)
        return;
    // The grey bytes are packed at the start: spread them from the last entry
    // down so that none is overwritten before it is read.
    for (uint32_t i = entries; i-- > 0;)
        palette[3 * i] = palette[3 * i + 1] = palette[3 * i + 2] = palette[i];
}

void BeginPageColours(PDevRecord* pdev)
{
    if (pdev->pageColours == nullptr) {
        auto* colours = static_cast<PageColours*>(HeapAlloc(pdev->heap, HEAP_ZERO_MEMORY, sizeof(PageColours)));
        if (colours == nullptr)
            return;
        pdev->pageColours = colours;
    }
    pdev->pageColours->state = kPageColourUnknown;
}

void NotePageColour(const PDevRecord* pdev, ULONG rgb)
{
    const uint8_t pixel[3] = {uint8_t(rgb), uint8_t(rgb >> 8), uint8_t(rgb >> 16)};
    NotePagePixels(pdev, pixel, 1);
}

void NotePagePixels(const PDevRecord* pdev, const uint8_t* rgb, uint32_t count)
{
    PageColours* colours = pdev != nullptr ? pdev->pageColours : nullptr;
    if (colours == nullptr || colours->off || rgb == nullptr)
        return;
    DetectPageColours(&colours->state, colours->tolerant, rgb, count, &colours->census);
}

void NotePageIndexedPixels(const PDevRecord* pdev, const uint8_t* palette, uint32_t entries, const uint8_t* indexes,
                           uint32_t count)
{
    PageColours* colours = pdev != nullptr ? pdev->pageColours : nullptr;
    if (colours == nullptr || colours->off || palette == nullptr || indexes == nullptr)
        return;
    DetectPaletteColours(&colours->state, colours->tolerant, palette, entries, indexes, count, &colours->census);
}

uint32_t FaceSheetKind(const PDevRecord* pdev, uint32_t kind)
{
    if (pdev->pageColours == nullptr || kind > 0xFF)
        return kind;
    return CensusSheetKind(pdev->pageColours->census, static_cast<uint8_t>(kind));
}
