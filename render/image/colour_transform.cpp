#include "render/image/colour_transform.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace {

constexpr double kD50[3] = {0.9642, 1.0, 0.8249};
constexpr double kD65x = 0.3127035830618893;
constexpr double kD65y = 0.32902313032606195;

// The cone space the white adaptation works in (Bradford, as the ICC format
// itself adapts). The fixed matrix long given for this step is ill-conditioned
// and turned pure blue half-way to cyan on its way from D50 to D65.
constexpr double kConeMatrix[9] = {0.8951, 0.2664, -0.1614, -0.7502, 1.7135, 0.0367, 0.0389, -0.0685, 1.0296};
constexpr double kXyzToLinearSrgb[9] = {3.241, -1.5374, -0.4986, -0.9692, 1.876, 0.0416, 0.0556, -0.204, 1.057};

// RGB to XYZ by colour temperature, columns R, G, B stored as rows of the
// matrix (row = X, Y, Z).
struct TemperatureRow {
    int kelvin;
    double toXyz[9];
};
constexpr TemperatureRow kTemperatures[] = {
    {5000, {0.4333, 0.3961, 0.1349, 0.2178, 0.7125, 0.0697, 0.0147, 0.0911, 0.7236}},
    {6500, {0.4124, 0.3576, 0.1805, 0.2126, 0.7152, 0.0722, 0.0193, 0.1192, 0.9505}},
    {9300, {0.3918, 0.3208, 0.2368, 0.2074, 0.7177, 0.0749, 0.0249, 0.1534, 1.2275}},
};
constexpr int kGammaCodes[] = {10, 14, 18, 22, 26};

constexpr size_t kMaxProfileBytes = 16u << 20;
constexpr uint32_t kMaxTableEntries = 4096;

using Matrix3 = std::array<double, 9>;

Matrix3 Multiply(const double* a, const double* b)
{
    Matrix3 out{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out[r * 3 + c] = a[r * 3] * b[c] + a[r * 3 + 1] * b[3 + c] + a[r * 3 + 2] * b[6 + c];
    return out;
}

void MultiplyVector(const double* m, const double* v, double* out)
{
    for (int r = 0; r < 3; ++r)
        out[r] = m[r * 3] * v[0] + m[r * 3 + 1] * v[1] + m[r * 3 + 2] * v[2];
}

// Inverse by cofactors; false for a singular matrix.
bool Invert(const double* m, double* out)
{
    const double c00 = m[4] * m[8] - m[5] * m[7];
    const double c01 = m[5] * m[6] - m[3] * m[8];
    const double c02 = m[3] * m[7] - m[4] * m[6];
    const double det = m[0] * c00 + m[1] * c01 + m[2] * c02;
    if (det == 0.0 || !std::isfinite(det))
        return false;
    out[0] = c00 / det;
    out[1] = (m[2] * m[7] - m[1] * m[8]) / det;
    out[2] = (m[1] * m[5] - m[2] * m[4]) / det;
    out[3] = c01 / det;
    out[4] = (m[0] * m[8] - m[2] * m[6]) / det;
    out[5] = (m[2] * m[3] - m[0] * m[5]) / det;
    out[6] = c02 / det;
    out[7] = (m[1] * m[6] - m[0] * m[7]) / det;
    out[8] = (m[0] * m[4] - m[1] * m[3]) / det;
    return true;
}

// Adapts XYZ of the given white to D65 and converts to linear sRGB.
bool OutputMatrix(const double* white, Matrix3* out)
{
    double coneInverse[9];
    if (!Invert(kConeMatrix, coneInverse))
        return false;
    const double d65[3] = {kD65x / kD65y, 1.0, (1.0 - kD65x - kD65y) / kD65y};
    double source[3], target[3];
    MultiplyVector(kConeMatrix, white, source);
    MultiplyVector(kConeMatrix, d65, target);
    double scale[9] = {};
    for (int i = 0; i < 3; ++i) {
        if (source[i] == 0.0)
            return false;
        scale[i * 4] = target[i] / source[i];
    }
    const Matrix3 adapted = Multiply(coneInverse, Multiply(scale, kConeMatrix).data());
    *out = Multiply(kXyzToLinearSrgb, adapted.data());
    return true;
}

int32_t ToFixed(double value)
{
    const double scaled = std::clamp(value * 65536.0, -2147483648.0, 2147483647.0);
    return static_cast<int32_t>(std::lround(scaled));
}

uint32_t Be32(const uint8_t* at)
{
    return uint32_t{at[0]} << 24 | uint32_t{at[1]} << 16 | uint32_t{at[2]} << 8 | at[3];
}

uint16_t Be16(const uint8_t* at) { return static_cast<uint16_t>(at[0] << 8 | at[1]); }

double S15Fixed16(const uint8_t* at) { return static_cast<int32_t>(Be32(at)) / 65536.0; }

bool TagIs(const uint8_t* at, const char* tag) { return std::memcmp(at, tag, 4) == 0; }

// A tag's bytes, already checked to lie inside the profile.
struct TagBytes {
    const uint8_t* data = nullptr;
    uint32_t size = 0;
};

struct ProfileTags {
    TagBytes a2b0, rTrc, gTrc, bTrc, rXyz, gXyz, bXyz, wtpt;
};

// Resamples n entries to m by linear interpolation.
void Resample(const uint16_t* source, uint32_t n, uint16_t* target, uint32_t m)
{
    for (uint32_t k = 0; k < m; ++k) {
        const double position = static_cast<double>(k) * (n - 1) / (m - 1);
        const uint32_t low = std::min(static_cast<uint32_t>(position), n - 1);
        const uint32_t high = std::min(low + 1, n - 1);
        const double weight = position - low;
        target[k] = static_cast<uint16_t>(std::lround(source[low] * (1.0 - weight) + source[high] * weight));
    }
}

bool ReadXyz(const TagBytes& tag, double* xyz)
{
    if (tag.size < 20 || !TagIs(tag.data, "XYZ "))
        return false;
    for (int i = 0; i < 3; ++i)
        xyz[i] = S15Fixed16(tag.data + 8 + 4 * i);
    return true;
}

bool ReadCurve(const TagBytes& tag, uint16_t* curve)
{
    if (tag.size < 12 || !TagIs(tag.data, "curv"))
        return false;
    const uint32_t count = Be32(tag.data + 8);
    if (count > (tag.size - 12) / 2)
        return false;
    if (count == 0) {
        for (int i = 0; i < 256; ++i)
            curve[i] = static_cast<uint16_t>(i * 257);
        return true;
    }
    if (count == 1) {
        const double gamma = Be16(tag.data + 12) / 256.0;
        for (int i = 0; i < 256; ++i)
            curve[i] = static_cast<uint16_t>(std::lround(std::clamp(std::pow(i / 255.0, gamma), 0.0, 1.0) * 65535.0));
        return true;
    }
    std::vector<uint16_t> entries(count);
    for (uint32_t i = 0; i < count; ++i)
        entries[i] = Be16(tag.data + 12 + 2 * i);
    Resample(entries.data(), count, curve, 256);
    return true;
}

// Lab (16-bit legacy encoding) to XYZ relative to D50.
void LabToXyz(const uint16_t* v, double* xyz)
{
    const double l = v[0] / 652.8, a = v[1] / 256.0 - 128.0, b = v[2] / 256.0 - 128.0;
    double q, y;
    if (l < 8.0) {
        y = l / 903.29;
        q = 7.787 * l / 903.29 + 16.0 / 116.0;
    } else {
        q = (l + 16.0) / 116.0;
        y = q * q * q;
    }
    auto inverse = [](double t) { return t > 0.206893 ? t * t * t : (t - 16.0 / 116.0) / 7.787; };
    xyz[0] = inverse(q + a / 500.0) * kD50[0];
    xyz[1] = y * kD50[1];
    xyz[2] = inverse(q - b / 200.0) * kD50[2];
}

// The profile's lookup table (mft1 or mft2) as 16-bit tables.
struct LutTable {
    uint32_t gridPoints = 0;
    std::vector<uint16_t> clut;               // gridPoints^3 x 3
    std::vector<uint16_t> output[3];          // resampled to 4096 entries
    // The grid value that indexes the last output entry: 65535 for a 16-bit
    // table; 255 x 256 for an 8-bit one, whose codes are widened by 256.
    uint32_t lastCode = 65535;
};

int ReadLut(const TagBytes& tag, ColourTransform* transform, LutTable* lut)
{
    if (tag.size < 48)
        return kIccUnreadable;
    const bool wide = TagIs(tag.data, "mft2");
    if (!wide && !TagIs(tag.data, "mft1"))
        return kIccBadClass;
    if (tag.data[8] != 3 || tag.data[9] != 3)
        return kIccBadClass;
    const uint32_t grid = tag.data[10];
    uint32_t inEntries = 256, outEntries = 256, width = 1, at = 48;
    if (wide) {
        if (tag.size < 52)
            return kIccUnreadable;
        inEntries = Be16(tag.data + 48);
        outEntries = Be16(tag.data + 50);
        width = 2;
        at = 52;
    }
    // A table below two points cannot be interpolated (its step divides by n - 1).
    if (grid < 2 || inEntries < 2 || outEntries < 2 || inEntries > kMaxTableEntries || outEntries > kMaxTableEntries)
        return kIccUnreadable;
    const uint64_t gridValues = uint64_t{grid} * grid * grid * 3;
    const uint64_t need = at + (uint64_t{inEntries} * 3 + gridValues + uint64_t{outEntries} * 3) * width;
    if (need > tag.size)
        return kIccUnreadable;
    auto value = [&](uint64_t index) -> uint16_t {
        return wide ? Be16(tag.data + at + index * 2) : static_cast<uint16_t>(tag.data[at + index] << 8);
    };
    // An 8-bit input table gives grid positions: 255 must reach the last
    // node, so its entries are widened to full scale (x 257). The grid and
    // output entries are connection-space codes, where x 256 is the 16-bit
    // encoding of the same value.
    auto position = [&](uint64_t index) -> uint16_t {
        return wide ? Be16(tag.data + at + index * 2) : static_cast<uint16_t>(tag.data[at + index] * 257);
    };
    std::vector<uint16_t> entries(std::max(inEntries, outEntries));
    for (uint32_t c = 0; c < 3; ++c) {
        for (uint32_t i = 0; i < inEntries; ++i)
            entries[i] = position(uint64_t{c} * inEntries + i);
        Resample(entries.data(), inEntries, transform->curves[c], 256);
    }
    const uint64_t gridStart = uint64_t{inEntries} * 3;
    lut->gridPoints = grid;
    lut->lastCode = wide ? 65535 : 255 * 256;
    lut->clut.resize(gridValues);
    for (uint64_t i = 0; i < gridValues; ++i)
        lut->clut[i] = value(gridStart + i);
    const uint64_t outStart = gridStart + gridValues;
    for (uint32_t c = 0; c < 3; ++c) {
        for (uint32_t i = 0; i < outEntries; ++i)
            entries[i] = value(outStart + uint64_t{c} * outEntries + i);
        lut->output[c].resize(kTransformOutputEntries);
        Resample(entries.data(), outEntries, lut->output[c].data(), kTransformOutputEntries);
    }
    return 0;
}

// The profile grid at a position in 0..1 on each input, tetrahedrally.
void EvaluateLut(const LutTable& lut, const double* position, uint16_t* out)
{
    const uint32_t n = lut.gridPoints;
    uint32_t base[3], next[3];
    double fraction[3];
    for (int c = 0; c < 3; ++c) {
        const double p = position[c] * (n - 1);
        base[c] = std::min(static_cast<uint32_t>(p), n - 2);
        fraction[c] = p - base[c];
        next[c] = base[c] + 1;
    }
    auto node = [&](bool u, bool v, bool w, int channel) -> double {
        const uint32_t i = u ? next[0] : base[0], j = v ? next[1] : base[1], k = w ? next[2] : base[2];
        return lut.clut[((i * n + j) * n + k) * 3 + channel];
    };
    const double du = fraction[0], dv = fraction[1], dw = fraction[2];
    for (int ch = 0; ch < 3; ++ch) {
        const double c0 = node(false, false, false, ch), c111 = node(true, true, true, ch);
        double value;
        if (du >= dv && dv >= dw)
            value = c0 + (node(1, 0, 0, ch) - c0) * du + (node(1, 1, 0, ch) - node(1, 0, 0, ch)) * dv +
                    (c111 - node(1, 1, 0, ch)) * dw;
        else if (du >= dw && dw > dv)
            value = c0 + (node(1, 0, 0, ch) - c0) * du + (node(1, 0, 1, ch) - node(1, 0, 0, ch)) * dw +
                    (c111 - node(1, 0, 1, ch)) * dv;
        else if (dw > du && du >= dv)
            value = c0 + (node(0, 0, 1, ch) - c0) * dw + (node(1, 0, 1, ch) - node(0, 0, 1, ch)) * du +
                    (c111 - node(1, 0, 1, ch)) * dv;
        else if (dv > du && du >= dw)
            value = c0 + (node(0, 1, 0, ch) - c0) * dv + (node(1, 1, 0, ch) - node(0, 1, 0, ch)) * du +
                    (c111 - node(1, 1, 0, ch)) * dw;
        else if (dv >= dw && dw > du)
            value = c0 + (node(0, 1, 0, ch) - c0) * dv + (node(0, 1, 1, ch) - node(0, 1, 0, ch)) * dw +
                    (c111 - node(0, 1, 1, ch)) * du;
        else
            value = c0 + (node(0, 0, 1, ch) - c0) * dw + (node(0, 1, 1, ch) - node(0, 0, 1, ch)) * dv +
                    (c111 - node(0, 1, 1, ch)) * du;
        const uint32_t rounded = static_cast<uint32_t>(std::clamp(value + 0.5, 0.0, double(lut.lastCode)));
        out[ch] = lut.output[ch][(rounded * (kTransformOutputEntries - 1) + lut.lastCode / 2) / lut.lastCode];
    }
}

int BuildGrid(ColourTransform* transform, const ProfileTags& tags, bool labSpace)
{
    double white[3];
    if (!ReadXyz(tags.wtpt, white))
        return kIccBadClass;
    LutTable lut;
    const int read = ReadLut(tags.a2b0, transform, &lut);
    if (read != 0)
        return read;
    Matrix3 output;
    if (!OutputMatrix(white, &output))
        return kIccNoMemory;
    const double whiteScale[3] = {white[0] / kD50[0], white[1], white[2] / kD50[2]};
    transform->grid.assign(kTransformGridValues, 0);
    for (int i = 0; i < kTransformGridPoints; ++i)
        for (int j = 0; j < kTransformGridPoints; ++j)
            for (int k = 0; k < kTransformGridPoints; ++k) {
                const double position[3] = {i / 16.0, j / 16.0, k / 16.0};
                uint16_t value[3];
                EvaluateLut(lut, position, value);
                double xyz[3];
                if (labSpace)
                    LabToXyz(value, xyz);
                else
                    for (int c = 0; c < 3; ++c)
                        xyz[c] = value[c] / 32768.0;
                for (int c = 0; c < 3; ++c)
                    xyz[c] *= whiteScale[c];
                double rgb[3];
                MultiplyVector(output.data(), xyz, rgb);
                uint16_t* node = &transform->grid[((i * 17 + j) * 17 + k) * 3];
                for (int c = 0; c < 3; ++c)
                    node[c] = static_cast<uint16_t>(std::lround(std::clamp(rgb[c] * 65535.0, 0.0, 65535.0)));
            }
    transform->mode = kTransformGrid;
    return 0;
}

int BuildMatrix(ColourTransform* transform, const ProfileTags& tags)
{
    double white[3], columns[3][3];
    if (!ReadXyz(tags.wtpt, white) || !ReadXyz(tags.rXyz, columns[0]) || !ReadXyz(tags.gXyz, columns[1]) ||
        !ReadXyz(tags.bXyz, columns[2]))
        return kIccBadClass;
    const TagBytes* curves[3] = {&tags.rTrc, &tags.gTrc, &tags.bTrc};
    for (int c = 0; c < 3; ++c)
        if (!ReadCurve(*curves[c], transform->curves[c]))
            return kIccUnreadable;
    double toXyz[9];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            toXyz[r * 3 + c] = columns[c][r];
    // Scale the colorants so that device white lands on the profile's white.
    double inverse[9], scale[3];
    if (!Invert(toXyz, inverse))
        return kIccNoMemory;
    MultiplyVector(inverse, white, scale);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            toXyz[r * 3 + c] *= scale[c];
    Matrix3 output;
    if (!OutputMatrix(white, &output))
        return kIccNoMemory;
    const Matrix3 whole = Multiply(output.data(), toXyz);
    for (int i = 0; i < 9; ++i)
        transform->matrix[i] = ToFixed(whole[i]);
    transform->mode = kTransformMatrix;
    return 0;
}

// A profile read from a pipe may never end. Only the pipe prefix is refused:
// the long-path form "\\?\C:\..." names an ordinary file.
bool IsPipePath(const char* path)
{
    return _strnicmp(path, "\\\\.\\pipe\\", 9) == 0;
}

int ParseProfile(ColourTransform* transform, std::span<const uint8_t> profile)
{
    if (profile.size() < 132)
        return kIccUnreadable;
    const uint8_t* header = profile.data();
    if (!TagIs(header + 36, "acsp") && !TagIs(header + 36, "nicc"))
        return kIccBadSignature;
    if (!TagIs(header + 16, "RGB "))
        return kIccBadSignature;
    const bool lab = TagIs(header + 20, "Lab ");
    if (!lab && !TagIs(header + 20, "XYZ "))
        return kIccBadClass;
    const bool scanner = TagIs(header + 12, "scnr");
    if (!scanner && !(TagIs(header + 12, "mntr") && !lab))
        return kIccBadClass;
    const uint32_t count = Be32(header + 128);
    if (count > (profile.size() - 132) / 12)
        return kIccUnreadable;
    ProfileTags tags;
    struct Wanted {
        const char* signature;
        TagBytes ProfileTags::*slot;
    };
    static const Wanted kWanted[] = {
        {"A2B0", &ProfileTags::a2b0}, {"rTRC", &ProfileTags::rTrc}, {"gTRC", &ProfileTags::gTrc},
        {"bTRC", &ProfileTags::bTrc}, {"rXYZ", &ProfileTags::rXyz}, {"gXYZ", &ProfileTags::gXyz},
        {"bXYZ", &ProfileTags::bXyz}, {"wtpt", &ProfileTags::wtpt},
    };
    for (uint32_t t = 0; t < count; ++t) {
        const uint8_t* entry = header + 132 + 12 * t;
        for (const Wanted& wanted : kWanted) {
            if (!TagIs(entry, wanted.signature))
                continue;
            const uint32_t offset = Be32(entry + 4), size = Be32(entry + 8);
            if (offset > profile.size() || size > profile.size() - offset || size < 8)
                return kIccUnreadable;
            tags.*wanted.slot = TagBytes{header + offset, size};
        }
    }
    if (scanner && tags.a2b0.data != nullptr && tags.wtpt.data != nullptr)
        return BuildGrid(transform, tags, lab);
    if (tags.rTrc.data && tags.gTrc.data && tags.bTrc.data && tags.rXyz.data && tags.gXyz.data && tags.bXyz.data &&
        tags.wtpt.data)
        return BuildMatrix(transform, tags);
    return kIccBadClass;
}

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

std::array<uint8_t, kTransformOutputEntries> MakeOutputTable()
{
    std::array<uint8_t, kTransformOutputEntries> table{};
    for (int i = 0; i < kTransformOutputEntries; ++i) {
        const double v = i / 4095.0;
        const double code = v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1.0 / 2.4) - 0.055;
        table[i] = static_cast<uint8_t>(std::lround(std::clamp(code, 0.0, 1.0) * 255.0));
    }
    return table;
}

int Clamp12(int64_t value) { return static_cast<int>(std::clamp<int64_t>(value, 0, 4095)); }

// Weights of the four corners of the tetrahedron holding (fu, fv, fw), in
// units of 1/4096, and the corner indexes (r * 4 + g * 2 + b).
inline void Tetrahedron(int fu, int fv, int fw, int* weights, int* corners)
{
    corners[0] = 0;
    corners[3] = 7;
    if (fu >= fv && fv >= fw) {
        corners[1] = 4, corners[2] = 6;
        weights[0] = 4096 - fu, weights[1] = fu - fv, weights[2] = fv - fw, weights[3] = fw;
    } else if (fu >= fw && fw > fv) {
        corners[1] = 4, corners[2] = 5;
        weights[0] = 4096 - fu, weights[1] = fu - fw, weights[2] = fw - fv, weights[3] = fv;
    } else if (fw > fu && fu >= fv) {
        corners[1] = 1, corners[2] = 5;
        weights[0] = 4096 - fw, weights[1] = fw - fu, weights[2] = fu - fv, weights[3] = fv;
    } else if (fv > fu && fu >= fw) {
        corners[1] = 2, corners[2] = 6;
        weights[0] = 4096 - fv, weights[1] = fv - fu, weights[2] = fu - fw, weights[3] = fw;
    } else if (fv >= fw && fw > fu) {
        corners[1] = 2, corners[2] = 3;
        weights[0] = 4096 - fv, weights[1] = fv - fw, weights[2] = fw - fu, weights[3] = fu;
    } else {
        corners[1] = 1, corners[2] = 3;
        weights[0] = 4096 - fw, weights[1] = fw - fv, weights[2] = fv - fu, weights[3] = fu;
    }
}

struct TetrahedronOrder {
    int first, second;         // offsets of the second and third corner
    uint8_t high, middle, low;  // inputs by falling fraction
};
constexpr int kU = 17 * 17 * 3, kV = 17 * 3, kW = 3;
// Indexed by (fu >= fv) * 4 + (fv >= fw) * 2 + (fu >= fw); two orders cannot occur.
constexpr TetrahedronOrder kOrders[8] = {
    {kW, kV + kW, 2, 1, 0},  // fw > fv > fu
    {kW, kV + kW, 2, 1, 0},  // cannot occur
    {kV, kV + kW, 1, 2, 0},  // fv >= fw > fu
    {kV, kU + kV, 1, 0, 2},  // fv > fu >= fw
    {kW, kU + kW, 2, 0, 1},  // fw > fu >= fv
    {kU, kU + kW, 0, 2, 1},  // fu >= fw > fv
    {kU, kU + kV, 0, 1, 2},  // cannot occur
    {kU, kU + kV, 0, 1, 2},  // fu >= fv >= fw
};

void ApplyGrid(const ColourTransform& t, const uint8_t* source, uint8_t* destination, size_t count)
{
    const uint8_t* table = SrgbOutputTable();
    const uint16_t* grid = t.grid.data();
    // Each input byte's cell offset and fraction, so the pixel loop only adds.
    constexpr int kStrides[3] = {kU, kV, kW};
    int32_t cell[3][256];
    int16_t fraction[3][256];
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 256; ++i) {
            cell[c][i] = (t.curves[c][i] >> 12) * kStrides[c];
            fraction[c][i] = static_cast<int16_t>(t.curves[c][i] & 0xFFF);
        }
    for (size_t p = 0; p < count; ++p, source += 3, destination += 3) {
        const uint8_t r = source[2], g = source[1], b = source[0];
        const uint16_t* base = grid + cell[0][r] + cell[1][g] + cell[2][b];
        const int fu = fraction[0][r], fv = fraction[1][g], fw = fraction[2][b];
        // The tetrahedron by the order of the fractions: the walk from the
        // base corner adds one axis at a time, largest fraction first. Chosen
        // by table, since photographs make the comparisons unpredictable.
        const int fractions[3] = {fu, fv, fw};
        const TetrahedronOrder& order = kOrders[(fu >= fv) * 4 + (fv >= fw) * 2 + (fu >= fw)];
        const int f1 = fractions[order.high], f2 = fractions[order.middle], f3 = fractions[order.low];
        const int first = order.first, second = order.second;
        const int w1 = f1 - f2, w2 = f2 - f3, w3 = f3;
        const int w0 = 4096 - w1 - w2 - w3;
        const uint16_t* n1 = base + first;
        const uint16_t* n2 = base + second;
        const uint16_t* n3 = base + kU + kV + kW;
        // Weights sum to 4096 and nodes stay below 2^16, so the sums fit 32 bits.
        uint32_t sums[3];
        for (int c = 0; c < 3; ++c)
            sums[c] = (uint32_t(w0) * base[c] + uint32_t(w1) * n1[c] + uint32_t(w2) * n2[c] + uint32_t(w3) * n3[c]) >> 16;
        destination[2] = table[std::min<uint32_t>(sums[0], 4095)];
        destination[1] = table[std::min<uint32_t>(sums[1], 4095)];
        destination[0] = table[std::min<uint32_t>(sums[2], 4095)];
    }
}

void ApplyMatrix(const ColourTransform& t, const uint8_t* source, uint8_t* destination, size_t count)
{
    const uint8_t* table = SrgbOutputTable();
    int32_t m[9];
    for (int i = 0; i < 9; ++i)
        m[i] = t.matrix[i] / 4;
    for (size_t p = 0; p < count; ++p, source += 3, destination += 3) {
        const int64_t in[3] = {t.curves[0][source[2]], t.curves[1][source[1]], t.curves[2][source[0]]};
        int out[3];
        if (t.whiteCorner && in[0] > 0xEFFF && in[1] > 0xEFFF && in[2] > 0xEFFF) {
            int weights[4], corners[4];
            Tetrahedron(static_cast<int>(in[0] - 0xEFFF), static_cast<int>(in[1] - 0xEFFF),
                        static_cast<int>(in[2] - 0xEFFF), weights, corners);
            for (int c = 0; c < 3; ++c) {
                int64_t sum = 0;
                for (int q = 0; q < 4; ++q)
                    sum += int64_t{weights[q]} * t.corners[corners[q] * 3 + c];
                out[c] = Clamp12(sum >> 12);
            }
        } else {
            for (int c = 0; c < 3; ++c)
                out[c] = Clamp12((m[c * 3] * in[0] + m[c * 3 + 1] * in[1] + m[c * 3 + 2] * in[2]) >> 18);
        }
        destination[2] = table[out[0]];
        destination[1] = table[out[1]];
        destination[0] = table[out[2]];
    }
}

}  // namespace

const uint8_t* SrgbOutputTable()
{
    static const std::array<uint8_t, kTransformOutputEntries> table = MakeOutputTable();
    return table.data();
}

void ReleaseColourTransform(ColourTransform* transform)
{
    if (transform == nullptr)
        return;
    std::vector<uint16_t>().swap(transform->grid);
    transform->mode = kTransformUnusable;
    transform->whiteCorner = false;
}

int LoadIccTransformFromBytes(ColourTransform* transform, std::span<const uint8_t> profile)
{
    if (transform == nullptr)
        return -1;
    ReleaseColourTransform(transform);
    int result;
    try {
        result = ParseProfile(transform, profile);
    } catch (const std::bad_alloc&) {
        result = kIccNoMemory;
    }
    if (result != 0)
        ReleaseColourTransform(transform);
    return result;
}

int LoadIccTransform(ColourTransform* transform, const char* path)
{
    if (transform == nullptr)
        return -1;
    ReleaseColourTransform(transform);
    if (path == nullptr || path[0] == '\0' || IsPipePath(path))
        return -1;
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path, "rb"));
    if (!file)
        return -2;
    std::vector<uint8_t> bytes;
    try {
        uint8_t chunk[65536];
        size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
            if (bytes.size() + got > kMaxProfileBytes)
                return kIccUnreadable;
            bytes.insert(bytes.end(), chunk, chunk + got);
        }
    } catch (const std::bad_alloc&) {
        return kIccNoMemory;
    }
    return LoadIccTransformFromBytes(transform, bytes);
}

int BuildTemperatureTransform(ColourTransform* transform, int temperature, int gammaCode)
{
    if (transform == nullptr)
        return -1;
    ReleaseColourTransform(transform);
    const TemperatureRow* row = nullptr;
    for (const TemperatureRow& candidate : kTemperatures)
        if (candidate.kelvin == temperature)
            row = &candidate;
    if (row == nullptr || std::find(std::begin(kGammaCodes), std::end(kGammaCodes), gammaCode) == std::end(kGammaCodes))
        return -1;
    const double gamma = gammaCode / 10.0;
    for (int i = 0; i < 256; ++i) {
        const auto value = static_cast<uint16_t>(std::lround(65535.0 * std::pow(i / 255.0, gamma)));
        for (auto& curve : transform->curves)
            curve[i] = value;
    }
    const Matrix3 whole = Multiply(kXyzToLinearSrgb, row->toXyz);
    for (int i = 0; i < 9; ++i)
        transform->matrix[i] = ToFixed(whole[i]);
    transform->mode = kTransformMatrix;
    transform->whiteCorner = temperature != 6500;
    if (transform->whiteCorner) {
        // The matrix's output at each corner of the near-white cube; the
        // white corner itself is full white so that paper stays unprinted.
        for (int corner = 0; corner < 8; ++corner) {
            const int64_t in[3] = {corner & 4 ? 0xFFFF : 0xEFFF, corner & 2 ? 0xFFFF : 0xEFFF,
                                   corner & 1 ? 0xFFFF : 0xEFFF};
            for (int c = 0; c < 3; ++c) {
                const int64_t sum = (transform->matrix[c * 3] / 4) * in[0] + (transform->matrix[c * 3 + 1] / 4) * in[1] +
                                    (transform->matrix[c * 3 + 2] / 4) * in[2];
                transform->corners[corner * 3 + c] = corner == 7 ? 4095 : Clamp12(sum >> 18);
            }
        }
    }
    return 0;
}

void ApplyColourTransform(const ColourTransform* transform, const uint8_t* source, uint8_t* destination,
                          size_t pixelCount)
{
    if (transform == nullptr || transform->mode == kTransformUnusable ||
        (transform->mode == kTransformGrid && transform->grid.size() != kTransformGridValues)) {
        if (source != destination)
            std::memmove(destination, source, pixelCount * 3);
        return;
    }
    if (transform->mode == kTransformGrid)
        ApplyGrid(*transform, source, destination, pixelCount);
    else
        ApplyMatrix(*transform, source, destination, pixelCount);
}
