// The outside colour conversion library through its stand-in: binding by
// name, the order of its calls for an image, its failures, and the choices of
// the image path that depend on it.
#include "render/image/colour_conversion.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

#include "colour_reference.inc"

template <typename F> F Entry(HMODULE module, const char* name)
{
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The stand-in's own log, read through the module the binding holds.
std::string StandinLog(const OutsideColourLibrary& library)
{
    auto log = Entry<const char*(WINAPI*)()>(library.module, "standin_Log");
    return log != nullptr ? log() : "no log";
}

void ResetStandin(const char* failAt)
{
    HMODULE module = LoadLibraryW(BesideTestProgram(L"qcv_standin.dll").c_str());
    ASSERT_NE(module, nullptr);
    Entry<void(WINAPI*)(const char*)>(module, "standin_Reset")(failAt);
    FreeLibrary(module);
}

const std::wstring kStartFile = L"C:\\drivers\\C4530CLR.ICM";

TEST(ColourLibrary, BoundOnlyWhole)
{
    OutsideColourLibrary library{};
    EXPECT_EQ(
        BindOutsideColourLibrary(&library, BesideTestProgram(L"qcv_standin_partial.dll").c_str(), kStartFile.c_str()),
        -1);
    EXPECT_FALSE(OutsideColourLibraryBound(&library));
    EXPECT_EQ(BindOutsideColourLibrary(&library, BesideTestProgram(L"no_such_library.dll").c_str(), kStartFile.c_str()),
              -1);
    EXPECT_EQ(BindOutsideColourLibrary(&library, L"", kStartFile.c_str()), -1);
    EXPECT_EQ(BindOutsideColourLibrary(nullptr, BesideTestProgram(L"qcv_standin.dll").c_str(), kStartFile.c_str()), -1);

    // Bound, the library is started with the start file; it stays loaded
    // until it is released, which deletes its parameters and frees it.
    HMODULE keep = LoadLibraryW(BesideTestProgram(L"qcv_standin.dll").c_str());
    ResetStandin("load");
    EXPECT_EQ(BindOutsideColourLibrary(&library, BesideTestProgram(L"qcv_standin.dll").c_str(), kStartFile.c_str()),
              -1);
    ResetStandin(nullptr);
    ASSERT_EQ(BindOutsideColourLibrary(&library, BesideTestProgram(L"qcv_standin.dll").c_str(), kStartFile.c_str()), 0);
    EXPECT_TRUE(OutsideColourLibraryBound(&library));
    EXPECT_EQ(StandinLog(library), "load C4530CLR.ICM;");
    ReleaseOutsideColourLibrary(&library);
    EXPECT_FALSE(OutsideColourLibraryBound(&library));
    EXPECT_EQ(std::string(Entry<const char*(WINAPI*)()>(keep, "standin_Log")()), "load C4530CLR.ICM;delete all;free;");
    FreeLibrary(keep);
}

struct Collected {
    std::vector<std::vector<uint8_t>> bands;
    std::vector<uint32_t> sizes;
    int answer = 0;
};

int Collect(void* context, uint32_t index, uint8_t* pixels)
{
    auto* c = static_cast<Collected*>(context);
    c->bands.emplace_back(pixels, pixels + c->sizes[index]);
    return c->answer;
}

class LibraryImage : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetStandin(nullptr);
        ASSERT_EQ(BindOutsideColourLibrary(&binding.library, BesideTestProgram(L"qcv_standin.dll").c_str(),
                                           kStartFile.c_str()),
                  0);
        binding.flags = kStageOutsideLibrary;
        binding.libraryMode = 5;
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = static_cast<uint8_t>(i * 29 + 7);
        bands[0] = {pixels.data(), 4, 2};
        bands[1] = {pixels.data() + 4 * 2 * 3, 4, 3};
        collected.sizes = {4 * 2 * 3, 4 * 3 * 3};
    }
    void TearDown() override { ReleaseColourConversion(&binding); }

    std::string Log() { return StandinLog(binding.library); }

    ColourConversionBinding binding;
    std::vector<uint8_t> pixels = std::vector<uint8_t>(4 * 5 * 3);
    ColourBand bands[2];
    std::vector<uint8_t> target = std::vector<uint8_t>(4 * 3 * 3);
    Collected collected;
};

TEST_F(LibraryImage, TwoPassesInOrder)
{
    // The profile transform acts before the library is shown the bands; the
    // adjustment matrix after its conversion.
    ASSERT_EQ(LoadIccTransformFromBytes(&binding.transforms[0], {kMatrixProfile, sizeof kMatrixProfile}), 0);
    binding.flags |= kStageFirstProfile | kStageCommonMatrix;
    ASSERT_EQ(BuildColorAdjustMatrix(&binding.matrices[0], 20, 0, 0), 0);
    std::vector<uint8_t> expected = pixels;
    ApplyColourTransform(&binding.transforms[0], expected.data(), expected.data(), 20);
    uint64_t transformedSum = 0;
    for (uint8_t v : expected)
        transformedSum += v;
    for (uint8_t& v : expected)
        v = static_cast<uint8_t>(255 - v);
    ApplyColorAdjustMatrix(&binding.matrices[0], expected.data(), expected.data(), 20);

    ASSERT_EQ(ConvertImageThroughLibrary(&binding, 0, bands, 2, target.data(), Collect, &collected), 0);
    EXPECT_EQ(Log(), "load C4530CLR.ICM;begin mode=5 bands=2;param 4x2;param 4x3;end height=5;convert 4x2;"
                     "convert 4x3;delete;");
    auto shown = Entry<uint64_t(WINAPI*)()>(binding.library.module, "standin_ShownSum");
    EXPECT_EQ(shown(), transformedSum);
    ASSERT_EQ(collected.bands.size(), 2u);
    std::vector<uint8_t> joined = collected.bands[0];
    joined.insert(joined.end(), collected.bands[1].begin(), collected.bands[1].end());
    EXPECT_EQ(joined, expected);
}

TEST_F(LibraryImage, AnyFailingCallFailsTheImage)
{
    const struct {
        const char* failAt;
        const char* log;
    } kCases[] = {
        {"begin", "begin mode=5 bands=2;"},
        {"param", "begin mode=5 bands=2;param 4x2;delete;"},
        {"end", "begin mode=5 bands=2;param 4x2;param 4x3;end height=5;delete;"},
        {"convert", "begin mode=5 bands=2;param 4x2;param 4x3;end height=5;convert 4x2;delete;"},
        {"delete", "begin mode=5 bands=2;param 4x2;param 4x3;end height=5;convert 4x2;convert 4x3;delete;"},
    };
    for (const auto& row : kCases) {
        ResetStandin(row.failAt);
        collected.bands.clear();
        EXPECT_EQ(ConvertImageThroughLibrary(&binding, 0, bands, 2, target.data(), Collect, &collected),
                  kColourLibraryFailed)
            << row.failAt;
        EXPECT_EQ(Log(), row.log) << row.failAt;
    }
    // A sink that stops the walk: its answer, and the parameters still go.
    ResetStandin(nullptr);
    collected.bands.clear();
    collected.answer = 7;
    EXPECT_EQ(ConvertImageThroughLibrary(&binding, 0, bands, 2, target.data(), Collect, &collected), 7);
    EXPECT_EQ(Log(), "begin mode=5 bands=2;param 4x2;param 4x3;end height=5;convert 4x2;delete;");
    // Without the library, or with a band too wide: nothing is called.
    bands[1].width = 65536;
    EXPECT_EQ(ConvertImageThroughLibrary(&binding, 0, bands, 2, target.data(), Collect, &collected),
              kColourRowsTooLarge);
    ColourConversionBinding unbound;
    EXPECT_EQ(ConvertImageThroughLibrary(&unbound, 0, bands, 2, target.data(), Collect, &collected), -1);
}

TEST(ColourLibrary, ImageColourModes)
{
    ImageColourChoice choice{};
    const struct {
        uint32_t bits;
        bool eligible;
        uint64_t key;
        int mode;
        bool inUse;
    } kSteps[] = {
        {24, true, 1, kImageColourStarts, true},  {24, true, 1, kImageColourRepeats, true},
        {32, true, 2, kImageColourStarts, true},  {16, true, 2, kImageColourRepeats, true},
        {8, true, 2, kImageColourPlain, false},   {24, true, 2, kImageColourStarts, true},
        {24, false, 2, kImageColourPlain, false}, {1, false, 3, kImageColourPlain, false},
        {24, true, 3, kImageColourStarts, true},
    };
    int step = 0;
    for (const auto& row : kSteps) {
        EXPECT_EQ(ChooseImageColourMode(&choice, row.bits, row.eligible, row.key), row.mode) << "step " << step;
        EXPECT_EQ(choice.libraryInUse, row.inUse) << "step " << step;
        ++step;
    }
}

TEST(ColourLibrary, ConvertedImageFormat)
{
    ColourConversionBinding binding;
    EXPECT_EQ(GetConvertedImageFormat(nullptr, true), 3);
    EXPECT_EQ(GetConvertedImageFormat(&binding, true), 3);
    ASSERT_EQ(
        BindOutsideColourLibrary(&binding.library, BesideTestProgram(L"qcv_standin.dll").c_str(), kStartFile.c_str()),
        0);
    EXPECT_EQ(GetConvertedImageFormat(&binding, false), 3);
    EXPECT_EQ(GetConvertedImageFormat(&binding, true), 4);
    ReleaseColourConversion(&binding);
}

TEST(ColourLibrary, ProfileKindFlags)
{
    wchar_t directory[MAX_PATH];
    GetTempPathW(MAX_PATH, directory);
    const std::wstring acsp = std::wstring(directory) + L"kind_acsp.icc";
    const std::wstring nicc = std::wstring(directory) + L"kind_nicc.icc";
    std::vector<uint8_t> bytes(kMatrixProfile, kMatrixProfile + sizeof kMatrixProfile);
    for (const auto& [path, signature] : {std::pair{acsp, "acsp"}, std::pair{nicc, "nicc"}}) {
        std::copy(signature, signature + 4, bytes.begin() + 36);
        FILE* f = _wfopen(path.c_str(), L"wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    const struct {
        uint16_t firstOn, secondOn, secondIsFirst;
        const wchar_t* first;
        const wchar_t* second;
        uint32_t flags;
    } kCases[] = {
        {1, 0, 0, acsp.c_str(), nullptr, 0x10},
        {1, 1, 0, nicc.c_str(), acsp.c_str(), 0x40},
        {0, 1, 0, acsp.c_str(), nicc.c_str(), 0x40},
        {0, 1, 1, acsp.c_str(), nicc.c_str(), 0x10},
        {0, 0, 0, acsp.c_str(), nicc.c_str(), 0},
        {1, 0, 0, L"missing.icc", nullptr, 0},
        {1, 0, 0, L"", nullptr, 0},
        {1, 0, 0, L"\\\\.\\pipe\\x", nullptr, 0},
    };
    for (const auto& row : kCases) {
        ColourSettings s{};
        s.firstProfileOn = row.firstOn;
        s.secondProfileOn = row.secondOn;
        s.secondIsFirst = row.secondIsFirst;
        EXPECT_EQ(GetProfileKindFlags(s, row.first, row.second), row.flags)
            << row.firstOn << row.secondOn << row.secondIsFirst;
    }
    DeleteFileW(acsp.c_str());
    DeleteFileW(nicc.c_str());
}

}  // namespace
