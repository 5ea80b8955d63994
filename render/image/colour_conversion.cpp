#include "render/image/colour_conversion.h"

#include "common/job/ansi_text.h"
#include "common/settings/color_matrix.h"
#include "common/system/user_prompt.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

namespace {

struct ClassStages {
    uint32_t matrix, gain;
};
// Per colour class: the flag of its own matrix and of its gain-and-offset pair.
constexpr ClassStages kClassStages[3] = {
    {kStageFirstClassMatrix, kStageFirstClassGain},
    {kStageSecondClassMatrix, kStageSecondClassGain},
    {kStageThirdClassMatrix, 0},
};

bool HasMatrix(const ColourConversionBinding& b, int colourClass)
{
    return (b.flags & (kClassStages[colourClass].matrix | kStageCommonMatrix)) != 0;
}

bool HasGain(const ColourConversionBinding& b, int colourClass)
{
    if (colourClass > 1)
        return false;
    if (b.flags & kStageCommonMatrix)
        return (b.flags & kStageCommonGain) != 0;
    return (b.flags & kClassStages[colourClass].matrix) && (b.flags & kClassStages[colourClass].gain);
}

const ColourTransform* FirstTransform(const ColourConversionBinding& b)
{
    return b.flags & (kStageTemperature | kStageFirstProfile) ? &b.transforms[0] : nullptr;
}

const ColourTransform* SecondTransform(const ColourConversionBinding& b)
{
    return b.flags & kStageSecondProfile ? &b.transforms[1] : nullptr;
}

// The stages in their order on one run of pixels, in place.
void ApplyStages(const ColourConversionBinding& b, int colourClass, const ColourTransform* first,
                 const ColourTransform* second, uint8_t* pixels, uint32_t count)
{
    if (HasGain(b, colourClass))
        ApplyGainOffset(b.gains[colourClass], pixels, pixels, count);
    if (first != nullptr)
        ApplyColourTransform(first, pixels, pixels, count);
    if (second != nullptr)
        ApplyColourTransform(second, pixels, pixels, count);
    if (HasMatrix(b, colourClass))
        ApplyColorAdjustMatrix(&b.matrices[colourClass], pixels, pixels, count);
}

// The temperature stage's two parameter lists; the indexes without a value
// leave the stage off.
constexpr int kTemperatureList[6] = {5000, 6500, 9300, 0, 0, 0};
constexpr int kGammaList[10] = {10, 14, 18, 22, 26, 0, 0, 0, 0, 0};

bool AnyAdjustment(const ColourSettings& s, int slot)
{
    return s.brightness[slot] != 0 || s.saturation[slot] != 0 || s.contrast[slot] != 0;
}

constexpr wchar_t kProfileWarningText[] =
    L"ICC\u30d7\u30ed\u30d5\u30a1\u30a4\u30eb\u304c\u4f7f\u7528\u3067\u304d\u307e\u305b\u3093\u3002\n"
    L"\u8272\u88dc\u6b63\u3092\u5b9f\u65bd\u305b\u305a\u5370\u5237\u51e6\u7406\u3092\u7d9a\u884c\u3057\u307e\u3059\u3002";
constexpr wchar_t kProfileWarningTitle[] = L"\u8b66\u544a";
constexpr UINT kProfileWarningTextId = 1;

// A profile path is at most MAX_PATH characters; in the ANSI code page a
// character may take two bytes.
constexpr uint32_t kAnsiPathBytes = 2 * MAX_PATH;

bool AnsiPath(const wchar_t* path, char (&ansi)[kAnsiPathBytes + 1])
{
    return path != nullptr && WideToAnsiCut(path, ansi, kAnsiPathBytes) != 0;
}

int LoadProfile(ColourTransform* transform, const wchar_t* path)
{
    char ansi[kAnsiPathBytes + 1];
    if (!AnsiPath(path, ansi))
        return -1;
    return LoadIccTransform(transform, ansi);
}

// True when the user lets the job go on without the profile.
bool ProfileWarningAccepted(HMODULE resources, const wchar_t* path)
{
    wchar_t text[1024];
    wchar_t format[512];
    const bool fromModule = resources != nullptr && LoadStringW(resources, kProfileWarningTextId, format, 512) > 0;
    if (fromModule) {
        // The module's text names the profile where it says %s.
        const wchar_t* mark = std::wcsstr(format, L"%s");
        if (mark == nullptr)
            std::swprintf(text, std::size(text), L"%ls", format);
        else
            std::swprintf(text, std::size(text), L"%.*ls%ls%ls", static_cast<int>(mark - format), format,
                          path != nullptr ? path : L"", mark + 2);
    } else {
        std::swprintf(text, std::size(text), L"%ls", kProfileWarningText);
    }
    return AskUser(resources, 0, kProfileWarningTitle, text, MB_OKCANCEL | MB_ICONINFORMATION) == IDOK;
}

}  // namespace

int LoadColourProfiles(ColourConversionBinding* binding, const wchar_t* firstPath, const wchar_t* secondPath,
                       bool secondIsFirst, HMODULE resources)
{
    if (binding == nullptr)
        return -1;
    bool firstFailed = false;
    if (binding->flags & kStageFirstProfile) {
        if (LoadProfile(&binding->transforms[0], firstPath) != 0) {
            binding->flags &= ~uint32_t{kStageFirstProfile};
            firstFailed = true;
            if (!ProfileWarningAccepted(resources, firstPath))
                return -3;
        }
    }
    if (binding->flags & kStageSecondProfile) {
        const wchar_t* path = secondIsFirst ? firstPath : secondPath;
        if (firstFailed || LoadProfile(&binding->transforms[1], path) != 0) {
            binding->flags &= ~uint32_t{kStageSecondProfile};
            if (!firstFailed && !ProfileWarningAccepted(resources, path))
                return -4;
        }
    }
    return 0;
}

uint32_t ColourStageFlags(const ColourSettings& s)
{
    uint32_t flags = 0;
    const bool gainMode = s.mode != 1;
    if (s.perClass == 1) {
        if ((s.classBits & 1) && AnyAdjustment(s, 1))
            flags |= kStageFirstClassMatrix | (gainMode && s.firstClassGain == 1 ? uint32_t(kStageFirstClassGain) : 0u);
        if ((s.classBits & 2) && AnyAdjustment(s, 2))
            flags |= kStageSecondClassMatrix | (gainMode && s.secondClassGain == 1 ? uint32_t(kStageSecondClassGain) : 0u);
        if ((s.classBits & 4) && AnyAdjustment(s, 3))
            flags |= kStageThirdClassMatrix;
    } else if ((s.classBits & 7) && AnyAdjustment(s, 0)) {
        flags |= kStageCommonMatrix;
        if (gainMode && (s.firstClassGain == 1 || s.secondClassGain == 1))
            flags |= kStageCommonGain;
    }
    if (s.correctionKind == 1 && s.temperatureIndex < 6 && s.gammaIndex < 10)
        flags |= kStageTemperature;
    if (s.correctionKind == 2) {
        if (s.firstProfileOn == 1 && s.firstPathSet)
            flags |= kStageFirstProfile;
        if (s.secondProfileOn == 1 && (s.secondIsFirst == 1 ? s.firstPathSet : s.secondPathSet))
            flags |= kStageSecondProfile;
    }
    if (s.outsideLibrary != 0)
        flags |= kStageOutsideLibrary;
    return flags;
}

void BuildColourStages(ColourConversionBinding* binding, const ColourSettings& s)
{
    binding->flags = ColourStageFlags(s);
    binding->libraryMode = s.outsideLibrary;
    for (int colourClass = 0; colourClass < 3; ++colourClass) {
        // The common settings stand for every class.
        const int slot = binding->flags & kStageCommonMatrix ? 0 : colourClass + 1;
        BuildColorAdjustMatrix(&binding->matrices[colourClass], s.brightness[slot], s.saturation[slot],
                               s.contrast[slot]);
        if (colourClass < 2)
            binding->gains[colourClass] = BuildGainOffset(s.contrast[slot], s.brightness[slot]);
    }
    if (binding->flags & kStageTemperature) {
        if (BuildTemperatureTransform(&binding->transforms[0], kTemperatureList[s.temperatureIndex],
                                      kGammaList[s.gammaIndex]) != 0)
            binding->flags &= ~uint32_t{kStageTemperature};
    }
}

GainOffset BuildGainOffset(int16_t contrast, int16_t brightness)
{
    const double c = std::clamp<int>(contrast, -100, 100), b = std::clamp<int>(brightness, -100, 100);
    const double gain = 1.0 + c * 0.003;
    const double offset = b * 0.5 + (1.0 - gain) * 255.0;
    return {static_cast<int32_t>(std::lround(gain * 65536.0)), static_cast<int32_t>(std::lround(offset * 65536.0))};
}

void ApplyGainOffset(const GainOffset& pair, const uint8_t* source, uint8_t* destination, uint32_t pixelCount)
{
    // The offset's integer part, rounded toward minus infinity as a shift does.
    const int32_t offset = pair.offset >> 16;
    const int64_t quarterGain = pair.gain / 4;
    for (uint32_t i = 0; i < pixelCount * 3; ++i) {
        const int64_t scaled = (int64_t{source[i]} * 257 * quarterGain) >> 22;
        destination[i] = static_cast<uint8_t>(std::clamp<int64_t>(offset + scaled, 0, 255));
    }
}

void ConvertToInvertedGrey(const uint8_t* source, uint8_t* destination, uint32_t pixelCount)
{
    for (uint32_t i = 0; i < pixelCount; ++i, source += 3)
        destination[i] = static_cast<uint8_t>(255 - ((77 * source[2] + 151 * source[1] + 28 * source[0]) >> 8));
}

int ConvertColourRows(const ColourConversionBinding* binding, int colourClass, bool grey, uint8_t* rows,
                      uint32_t width, uint32_t height, uint32_t stride)
{
    if (binding == nullptr || rows == nullptr || colourClass < 0 || colourClass > 2)
        return -1;
    if (width > 65535 || height > 65535)
        return kColourRowsTooLarge;
    if (uint64_t{width} * 3 > stride)
        return -1;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = rows + uint64_t{y} * stride;
        ApplyStages(*binding, colourClass, FirstTransform(*binding), SecondTransform(*binding), row, width);
        if (grey)
            ConvertToInvertedGrey(row, row, width);
    }
    return 0;
}

void ConvertColourPixels(const ColourConversionBinding* binding, int colourClass, int kind, uint8_t* pixels,
                         uint32_t count)
{
    if (binding == nullptr || pixels == nullptr || colourClass < 0 || colourClass > 2)
        return;
    const ColourTransform* first = kind == 1 ? FirstTransform(*binding) : nullptr;
    const ColourTransform* second = kind == 2 ? SecondTransform(*binding) : nullptr;
    ApplyStages(*binding, colourClass, first, second, pixels, count);
}

uint32_t ConvertColourValue(const ColourConversionBinding* binding, int colourClass, int kind, uint32_t colour)
{
    if (binding == nullptr || colourClass < 0 || colourClass > 2)
        return colour;
    uint8_t pixel[3] = {static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 8),
                        static_cast<uint8_t>(colour)};
    ConvertColourPixels(binding, colourClass, kind, pixel, 1);
    return uint32_t{pixel[2]} | uint32_t{pixel[1]} << 8 | uint32_t{pixel[0]} << 16;
}

void ReleaseColourConversion(ColourConversionBinding* binding)
{
    if (binding == nullptr)
        return;
    for (ColourTransform& transform : binding->transforms)
        ReleaseColourTransform(&transform);
    ReleaseOutsideColourLibrary(&binding->library);
    binding->flags = 0;
}

int GetConvertedImageFormat(const ColourConversionBinding* binding, bool libraryInUse)
{
    return binding != nullptr && libraryInUse && OutsideColourLibraryBound(&binding->library) ? 4 : 3;
}

int ChooseImageColourMode(ImageColourChoice* choice, uint32_t bitsPerPixel, bool eligible, uint64_t imageKey)
{
    const bool deep = bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32;
    if (!deep || !eligible) {
        choice->libraryInUse = false;
        choice->lastImage = 0;
        return kImageColourPlain;
    }
    const bool repeats = choice->libraryInUse && choice->lastImage == imageKey;
    choice->libraryInUse = true;
    choice->lastImage = imageKey;
    return repeats ? kImageColourRepeats : kImageColourStarts;
}

int ConvertImageThroughLibrary(const ColourConversionBinding* binding, int colourClass, const ColourBand* bands,
                               uint32_t bandCount, uint8_t* target, ConvertedBandSink sink, void* context)
{
    if (binding == nullptr || bands == nullptr || bandCount == 0 || target == nullptr || sink == nullptr ||
        colourClass < 0 || colourClass > 2 || !OutsideColourLibraryBound(&binding->library))
        return -1;
    const OutsideColourLibrary& library = binding->library;
    QcvImageRecord record{sizeof(QcvImageRecord), bandCount, bands[0].width, 0, 3, 0};
    for (uint32_t i = 0; i < bandCount; ++i) {
        if (bands[i].pixels == nullptr || bands[i].width > 65535 || bands[i].height > 65535)
            return bands[i].pixels == nullptr ? -1 : kColourRowsTooLarge;
        record.height += bands[i].height;
    }
    if (library.begin(library.handle, binding->libraryMode, &record) != 0)
        return kColourLibraryFailed;
    // The library sees each band as it will be converted: with the profile
    // transforms applied. They are applied here only, not again after the
    // library, so that no profile acts twice on a pixel.
    int result = 0;
    for (uint32_t i = 0; i < bandCount && result == 0; ++i) {
        const ColourBand& band = bands[i];
        const uint32_t pixels = band.width * band.height;
        if (const ColourTransform* first = FirstTransform(*binding))
            ApplyColourTransform(first, band.pixels, band.pixels, pixels);
        if (const ColourTransform* second = SecondTransform(*binding))
            ApplyColourTransform(second, band.pixels, band.pixels, pixels);
        if (library.param(library.handle, band.pixels, band.width, band.height) != 0)
            result = kColourLibraryFailed;
    }
    const ColourBand& last = bands[bandCount - 1];
    if (result == 0 && library.end(library.handle, last.pixels, &record) != 0)
        result = kColourLibraryFailed;
    for (uint32_t i = 0; i < bandCount && result == 0; ++i) {
        const ColourBand& band = bands[i];
        if (library.convert(library.handle, band.pixels, target, band.width, band.height) != 0) {
            result = kColourLibraryFailed;
            break;
        }
        if (HasMatrix(*binding, colourClass))
            ApplyColorAdjustMatrix(&binding->matrices[colourClass], target, target, band.width * band.height);
        result = sink(context, i, target);
    }
    // Once begun, the parameters go whatever happened to the bands.
    if (library.deleteParam(library.handle, last.pixels, &record) != 0 && result == 0)
        result = kColourLibraryFailed;
    return result;
}

uint32_t GetProfileKindFlags(const ColourSettings& s, const wchar_t* firstPath, const wchar_t* secondPath)
{
    const wchar_t* path = nullptr;
    if (s.firstProfileOn == 1)
        path = firstPath;
    else if (s.secondProfileOn == 1)
        path = s.secondIsFirst == 1 ? firstPath : secondPath;
    char ansi[kAnsiPathBytes + 1];
    if (path == nullptr || path[0] == L'\0' || !AnsiPath(path, ansi))
        return 0;
    switch (CheckIccProfileFile(ansi)) {
    case 1: return 0x10;
    case 2: return 0x40;
    default: return 0;
    }
}
