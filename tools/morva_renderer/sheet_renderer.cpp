#include "tools/morva_renderer/sheet_renderer.h"

#include "tools/morva_reader/morva_reader.h"
#include "tools/morva_renderer/image_codecs.h"
#include "tools/morva_renderer/listing_operands.h"
#include "tools/morva_renderer/raster.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <set>

namespace {

constexpr uint16_t Op(const char (&letters)[3])
{
    return static_cast<uint16_t>((static_cast<uint8_t>(letters[0]) << 8) | static_cast<uint8_t>(letters[1]));
}

constexpr double kPointsPerMm = 72.0 / 25.4;

// Page media kinds that carry no size of their own: the sheet they name.
struct NamedMedia {
    int kind;
    double widthMm, heightMm;
};
constexpr NamedMedia kNamedMedia[] = {
    {5, 210.0, 297.0},  // A4, sent by kind alone
};

// (x, y) -> (a x + c y + e, b x + d y + f)
using Affine = std::array<double, 6>;
constexpr Affine kIdentity{1, 0, 0, 1, 0, 0};

RasterPoint Apply(const Affine& m, double x, double y)
{
    return {m[0] * x + m[2] * y + m[4], m[1] * x + m[3] * y + m[5]};
}

// First m, then n.
Affine Then(const Affine& m, const Affine& n)
{
    return {m[0] * n[0] + m[1] * n[2], m[0] * n[1] + m[1] * n[3],        m[2] * n[0] + m[3] * n[2],
            m[2] * n[1] + m[3] * n[3], m[4] * n[0] + m[5] * n[2] + n[4], m[4] * n[1] + m[5] * n[3] + n[5]};
}

bool Invert(const Affine& m, Affine* out)
{
    const double det = m[0] * m[3] - m[1] * m[2];
    if (!std::isfinite(det) || std::fabs(det) < 1e-12)
        return false;
    const double a = m[3] / det, b = -m[1] / det, c = -m[2] / det, d = m[0] / det;
    *out = {a, b, c, d, -(m[4] * a + m[5] * c), -(m[4] * b + m[5] * d)};
    return true;
}

struct Colour {
    uint8_t r = 0, g = 0, b = 0;
};

// The stream's brush kinds.
enum class BrushKind { kSolid, kHatch, kOneBitPattern, kColourPattern };

struct Brush {
    BrushKind kind = BrushKind::kSolid;
    Colour colour;                  // solid colour, or the pattern's foreground
    bool opaqueBackground = false;  // pattern and hatch: the 0 bits painted too
    Colour background{255, 255, 255};
    int hatch = 0;
    int originX = 0, originY = 0;
    int width = 0, height = 0;
    std::vector<uint8_t> bits;  // one-bit rows (whole bytes) or RGB rows, top row first
};

// Background of the next hatch or pattern of a use ("AQ").
struct BrushBackground {
    int mode = 2;  // 1 opaque, 2 transparent
    Colour colour{255, 255, 255};
};

struct Glyph {
    bool bitmap = true;
    double originX = 0, originY = 0;  // of the bitmap's top left corner, from the glyph's origin
    int width = 0, height = 0, rowBytes = 0;
    std::vector<uint8_t> rows;
    RasterShape outline;  // device pixels from the glyph's origin
};

// A binary raster operation (1 to 16) on one channel: its truth table is
// code - 1, indexed by pen bit x 2 + destination bit.
uint8_t Rop2(int code, uint8_t pen, uint8_t dest)
{
    const int table = (code - 1) & 15;
    uint8_t out = 0;
    if (table & 1)
        out |= uint8_t(~pen & ~dest);
    if (table & 2)
        out |= uint8_t(~pen & dest);
    if (table & 4)
        out |= uint8_t(pen & ~dest);
    if (table & 8)
        out |= uint8_t(pen & dest);
    return out;
}

// A ternary raster operation on one channel, indexed by pattern x 4 +
// source x 2 + destination.
uint8_t Rop3(int code, uint8_t pattern, uint8_t source, uint8_t dest)
{
    uint8_t out = 0;
    for (int bit = 0; bit < 8; ++bit) {
        const int p = (pattern >> bit) & 1, s = (source >> bit) & 1, d = (dest >> bit) & 1;
        if ((code >> (p * 4 + s * 2 + d)) & 1)
            out |= uint8_t(1 << bit);
    }
    return out;
}

// GDI's 8 x 8 hatch patterns for the stream's hatch styles 2 to 7.
bool HatchBit(int style, int x, int y)
{
    x &= 7;
    y &= 7;
    switch (style) {
    case 2:
        return y == 3;
    case 3:
        return x == 3;
    case 4:
        return x == y;
    case 5:
        return x == 7 - y;
    case 6:
        return x == 3 || y == 3;
    case 7:
        return x == y || x == 7 - y;
    default:
        return (x + y) % 2 == 0;
    }
}

class JobRenderer {
public:
    JobRenderer(const uint8_t* data, const SheetRenderOptions& options, SheetRenderResult* result)
        : data_(data), options_(options), result_(result)
    {}

    bool Command(const MorvaCommandLine& command);
    bool Finish()
    {
        if (faceOpen_ && drawn_)
            EndFace();
        return true;
    }

private:
    // Device pixels to picture pixels through the placement in force.
    Affine DeviceToPicture() const
    {
        const double k = options_.dpi / 72.0;
        const Affine sheetToPicture{k, 0, 0, -k, 0, k * sheetHeightPt_};
        return Then(placement_, sheetToPicture);
    }
    bool Fail(const std::string& text)
    {
        result_->error = text;
        return false;
    }
    void Note(const std::string& text)
    {
        if (std::find(result_->notes.begin(), result_->notes.end(), text) == result_->notes.end())
            result_->notes.push_back(text);
    }
    const uint8_t* Span(const MorvaCommandLine& command, const char* name, size_t* length) const
    {
        for (const MorvaDataSpan& span : command.data) {
            if (span.name == name) {
                *length = span.length;
                return data_ + span.offset;
            }
        }
        *length = 0;
        return nullptr;
    }

    bool Media(const ListingOperands& o);
    void EndFace();
    bool NeedFace(const MorvaCommandLine& command);

    // Clip
    void ClipTo(const RasterShape& shape, FillRule rule);
    bool Visible(size_t index) const { return clip_.empty() || clip_[index] != 0; }

    // Painting
    // The brush's colour at a picture pixel; `pictureToDevice` finds the
    // pattern's pixel. *paint is false where a pattern leaves the sheet as it is.
    Colour BrushColourAt(const Brush& brush, const Affine& pictureToDevice, int px, int py, bool* paint) const;
    // Mixes the brush's colour at a picture pixel into `target` by `rop`.
    void PaintPixel(const Brush& brush, const Affine& pictureToDevice, int rop, int px, int py, uint8_t* target) const;
    Affine PictureToDevice() const
    {
        Affine inverse = kIdentity;
        Invert(DeviceToPicture(), &inverse);
        return inverse;
    }
    void PaintShape(const RasterShape& picturePoints, FillRule rule, const Brush& brush);
    void Stroke(const RasterShape& picturePoints, const std::vector<bool>& closed);
    void PaintByOperation(const RasterShape& picturePoints, const std::vector<bool>& closed);
    RasterShape ToPicture(const RasterShape& device, const Affine& m) const;

    // Path
    void MoveTo(double x, double y);
    void LineTo(double x, double y);

    bool SetBrush(const ListingOperands& o, BrushKind kind, const MorvaCommandLine& command);
    bool Image(const MorvaCommandLine& command, const ListingOperands& o);
    bool OneBitImage(const MorvaCommandLine& command, const ListingOperands& o);
    bool DownloadGlyph(const MorvaCommandLine& command, const ListingOperands& o);
    bool PlaceGlyph(const ListingOperands& o);
    // Draws through `sample` every picture pixel whose centre maps (through
    // the inverse of `toPicture`) into [0, w) x [0, h).
    template <typename Sample> void DrawRaster(const Affine& toPicture, double w, double h, Sample sample);

    const uint8_t* data_;
    SheetRenderOptions options_;
    SheetRenderResult* result_;

    bool faceOpen_ = false;
    bool drawn_ = false;
    RenderedSheet face_;
    double sheetHeightPt_ = 0;
    Affine placement_ = kIdentity;
    std::vector<uint8_t> clip_;  // empty: the whole sheet

    StrokeStyle pen_;
    int fillRule_ = 1;
    int paintOperation_ = 1;
    int mixKind_ = 1;
    int mixValue_ = 13;
    Brush brushes_[3];  // by use: 1 stroke, 2 fill
    BrushBackground backgrounds_[3];
    std::vector<uint8_t> palette_;  // "AV": 3 bytes an entry

    // The path's points are placed as they arrive (picture pixels); only the
    // pen is shaped by the placement in force when the path is painted.
    RasterShape path_;
    std::vector<bool> closed_;
    bool hasPoint_ = false;
    RasterPoint point_{0, 0};  // device pixels
    RasterPoint subpathStart_{0, 0};

    std::map<uint32_t, Glyph> glyphs_;
};

bool JobRenderer::Media(const ListingOperands& o)
{
    if (faceOpen_ && drawn_)
        EndFace();
    const int kind = int(o.Number("kind"));
    double width = 0, height = 0;
    if (kind == 'Q') {
        width = o.Number("width");
        height = o.Number("height");
    } else {
        for (const NamedMedia& m : kNamedMedia) {
            if (m.kind == kind) {
                width = m.widthMm;
                height = m.heightMm;
            }
        }
        if (width == 0)
            return Fail("page media kind " + std::to_string(kind) + " names no size known here");
    }
    // A sheet a kilometre long is a fault, not a picture.
    if (!(width > 0 && height > 0 && width < 2000 && height < 2000))
        return Fail("page media size " + std::to_string(width) + " x " + std::to_string(height) + " mm");
    faceOpen_ = true;
    drawn_ = false;
    face_ = RenderedSheet{};
    face_.widthMm = width;
    face_.heightMm = height;
    face_.mediaKind = kind;
    const double k = options_.dpi / 25.4;
    face_.image = SheetImage(std::max(1, int(std::lround(width * k))), std::max(1, int(std::lround(height * k))));
    sheetHeightPt_ = height * kPointsPerMm;
    placement_ = kIdentity;
    clip_.clear();
    return true;
}

void JobRenderer::EndFace()
{
    result_->sheets.push_back(std::move(face_));
    face_ = RenderedSheet{};
    faceOpen_ = false;
    drawn_ = false;
    clip_.clear();
}

bool JobRenderer::NeedFace(const MorvaCommandLine& command)
{
    if (faceOpen_) {
        drawn_ = true;
        return true;
    }
    return Fail("drawing before any page media at offset " + std::to_string(command.offset));
}

void JobRenderer::ClipTo(const RasterShape& shape, FillRule rule)
{
    const SheetImage& image = face_.image;
    std::vector<uint8_t> inside(size_t(image.width) * size_t(image.height), 0);
    FillShape(shape, rule, image.width, image.height, [&](int y, int x0, int x1) {
        std::memset(inside.data() + size_t(y) * size_t(image.width) + size_t(x0), 1, size_t(x1 - x0));
    });
    if (!clip_.empty())
        for (size_t i = 0; i < inside.size(); ++i)
            inside[i] &= clip_[i];
    clip_ = std::move(inside);
}

RasterShape JobRenderer::ToPicture(const RasterShape& device, const Affine& m) const
{
    RasterShape out;
    for (const RasterContour& c : device) {
        RasterContour mapped;
        mapped.reserve(c.size());
        for (const RasterPoint& p : c)
            mapped.push_back(Apply(m, p.x, p.y));
        out.push_back(std::move(mapped));
    }
    return out;
}

Colour JobRenderer::BrushColourAt(const Brush& brush, const Affine& pictureToDevice, int px, int py, bool* paint) const
{
    *paint = true;
    if (brush.kind == BrushKind::kSolid)
        return brush.colour;
    // Patterns repeat in device pixels from the brush origin.
    const RasterPoint d = Apply(pictureToDevice, px + 0.5, py + 0.5);
    const int dx = int(std::floor(d.x)) - brush.originX, dy = int(std::floor(d.y)) - brush.originY;
    bool on = false;
    if (brush.kind == BrushKind::kHatch) {
        on = HatchBit(brush.hatch, dx, dy);
    } else if (brush.width > 0 && brush.height > 0) {
        const int x = ((dx % brush.width) + brush.width) % brush.width;
        const int y = ((dy % brush.height) + brush.height) % brush.height;
        if (brush.kind == BrushKind::kColourPattern) {
            const size_t at = (size_t(y) * size_t(brush.width) + size_t(x)) * 3;
            if (at + 2 < brush.bits.size())
                return Colour{brush.bits[at], brush.bits[at + 1], brush.bits[at + 2]};
            return brush.colour;
        }
        const size_t rowBytes = size_t(brush.width + 7) / 8;
        const size_t at = size_t(y) * rowBytes + size_t(x) / 8;
        on = at < brush.bits.size() && ((brush.bits[at] >> (7 - x % 8)) & 1) != 0;
    }
    if (on)
        return brush.colour;
    *paint = brush.opaqueBackground;
    return brush.background;
}

void JobRenderer::PaintPixel(const Brush& brush, const Affine& pictureToDevice, int rop, int px, int py,
                             uint8_t* target) const
{
    bool paint = true;
    const Colour c = BrushColourAt(brush, pictureToDevice, px, py, &paint);
    if (!paint)
        return;
    target[0] = Rop2(rop, c.r, target[0]);
    target[1] = Rop2(rop, c.g, target[1]);
    target[2] = Rop2(rop, c.b, target[2]);
}

void JobRenderer::PaintShape(const RasterShape& picturePoints, FillRule rule, const Brush& brush)
{
    SheetImage& image = face_.image;
    const int rop = mixKind_ == 1 ? mixValue_ : 13;
    const Affine pictureToDevice = PictureToDevice();
    FillShape(picturePoints, rule, image.width, image.height, [&](int y, int x0, int x1) {
        for (int x = x0; x < x1; ++x) {
            if (!Visible(size_t(y) * size_t(image.width) + size_t(x)))
                continue;
            PaintPixel(brush, pictureToDevice, rop, x, y, image.At(x, y));
        }
    });
}

void JobRenderer::Stroke(const RasterShape& picturePoints, const std::vector<bool>& closed)
{
    // The pen's width and dashes are lengths in the space of the placement in
    // force now: a placement set around a stroke (a pen transform) shapes the
    // pen, not the points already placed.
    const Affine penToPicture = DeviceToPicture();
    Affine pictureToPen;
    if (!Invert(penToPicture, &pictureToPen)) {
        Note("stroke under a placement that cannot be inverted not drawn");
        return;
    }
    PaintShape(ToPicture(StrokeOutline(ToPicture(picturePoints, pictureToPen), closed, pen_), penToPicture),
               FillRule::kNonZero, brushes_[1]);
}

void JobRenderer::PaintByOperation(const RasterShape& picturePoints, const std::vector<bool>& closed)
{
    const FillRule rule = fillRule_ == 2 ? FillRule::kNonZero : FillRule::kEvenOdd;
    if (paintOperation_ == 2 || paintOperation_ == 3)
        PaintShape(picturePoints, rule, brushes_[2]);
    if (paintOperation_ == 1 || paintOperation_ == 3)
        Stroke(picturePoints, closed);
    if (paintOperation_ < 1 || paintOperation_ > 3)
        Note("paint operation " + std::to_string(paintOperation_) + " not drawn");
}

void JobRenderer::MoveTo(double x, double y)
{
    path_.push_back({Apply(DeviceToPicture(), x, y)});
    closed_.push_back(false);
    point_ = {x, y};
    subpathStart_ = point_;
    hasPoint_ = true;
}

void JobRenderer::LineTo(double x, double y)
{
    if (path_.empty())
        MoveTo(point_.x, point_.y);
    path_.back().push_back(Apply(DeviceToPicture(), x, y));
    point_ = {x, y};
    hasPoint_ = true;
}

bool JobRenderer::SetBrush(const ListingOperands& o, BrushKind kind, const MorvaCommandLine& command)
{
    const int use = int(o.Number("use"));
    if (use != 1 && use != 2)
        return Fail("brush use " + std::to_string(use) + " at offset " + std::to_string(command.offset));
    Brush brush;
    brush.kind = kind;
    brush.originX = int(std::floor(o.Number("x")));
    brush.originY = int(std::floor(o.Number("y")));
    const std::vector<double> rgb = o.Numbers("rgb");
    // Float forms carry each component as a fraction of 255.
    const bool fractions = command.opcode == Op("An") || command.opcode == Op("Ao");
    auto component = [fractions](double v) {
        return uint8_t(std::clamp(std::lround(fractions ? v * 255 : v), 0L, 255L));
    };
    if (rgb.size() == 3)
        brush.colour = {component(rgb[0]), component(rgb[1]), component(rgb[2])};
    else if (o.Has("grey"))
        brush.colour.r = brush.colour.g = brush.colour.b = component(o.Number("grey"));
    const BrushBackground& background = backgrounds_[use];
    brush.opaqueBackground = background.mode == 1;
    brush.background = background.colour;
    if (kind == BrushKind::kHatch)
        brush.hatch = int(o.Number("hatch"));
    if (kind == BrushKind::kOneBitPattern || kind == BrushKind::kColourPattern) {
        brush.width = int(o.Number("width"));
        brush.height = int(o.Number("height"));
        size_t length = 0;
        const uint8_t* bytes = Span(command, kind == BrushKind::kOneBitPattern ? "bits" : "data", &length);
        if (bytes != nullptr)
            brush.bits.assign(bytes, bytes + length);
        if (kind == BrushKind::kColourPattern && o.Number("format") == 3) {
            // Grey rows: one byte a pixel, widened here.
            std::vector<uint8_t> wide;
            for (uint8_t g : brush.bits)
                wide.insert(wide.end(), {g, g, g});
            brush.bits = std::move(wide);
        }
    }
    brushes_[use] = brush;
    return true;
}

template <typename Sample> void JobRenderer::DrawRaster(const Affine& toPicture, double w, double h, Sample sample)
{
    SheetImage& image = face_.image;
    Affine inverse;
    if (!Invert(toPicture, &inverse))
        return;
    const RasterPoint corners[4] = {Apply(toPicture, 0, 0), Apply(toPicture, w, 0), Apply(toPicture, 0, h),
                                    Apply(toPicture, w, h)};
    double left = 1e300, top = 1e300, right = -1e300, bottom = -1e300;
    for (const RasterPoint& c : corners) {
        left = std::min(left, c.x);
        right = std::max(right, c.x);
        top = std::min(top, c.y);
        bottom = std::max(bottom, c.y);
    }
    const int x0 = std::max(0, int(std::floor(left))), x1 = std::min(image.width, int(std::ceil(right)) + 1);
    const int y0 = std::max(0, int(std::floor(top))), y1 = std::min(image.height, int(std::ceil(bottom)) + 1);
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            if (!Visible(size_t(y) * size_t(image.width) + size_t(x)))
                continue;
            const RasterPoint s = Apply(inverse, x + 0.5, y + 0.5);
            if (s.x < 0 || s.y < 0 || s.x >= w || s.y >= h)
                continue;
            sample(int(s.x), int(s.y), image.At(x, y), x, y);
        }
    }
}

bool JobRenderer::Image(const MorvaCommandLine& command, const ListingOperands& o)
{
    const int width = int(o.Number("width")), height = int(o.Number("height"));
    const std::vector<double> m = o.Numbers("matrix");
    if (width <= 0 || height <= 0 || m.size() != 6)
        return Fail("image without size at offset " + std::to_string(command.offset));
    if (o.Number("model") != 2) {
        Note("image without image data not drawn");
        return true;
    }
    int kind = int(o.Number("kind"));
    const int method = int(o.Number("method"));
    const int bits = int(o.Number("bits", 8));
    size_t length = 0;
    const uint8_t* bytes = Span(command, "data", &length);
    if (bytes == nullptr)
        length = 0;
    std::vector<uint8_t> palette;
    if (kind >= 8 && kind <= 11) {
        size_t n = 0;
        const uint8_t* p = Span(command, "palette", &n);
        if (p != nullptr)
            palette.assign(p, p + n);
    } else if (kind == 15) {
        palette = palette_;
        kind = 11;
    }
    // Pixels as RGB or one channel (grey or palette indexes), top row first.
    int channels = kind == 4 ? 3 : 1;
    std::vector<uint8_t> pixels;
    std::string error;
    size_t rowBytes = 0;
    if (method == 1) {
        rowBytes = (size_t(width) * size_t(channels) * size_t(bits) + 7) / 8;
        if (length < rowBytes * size_t(height))
            return Fail("image data shorter than its rows at offset " + std::to_string(command.offset));
        pixels.assign(bytes, bytes + length);
        rowBytes = length / size_t(height);  // rows may be padded
    } else if (method == 8) {
        if (bits != 8)
            return Fail("predictor-coded image of " + std::to_string(bits) + " bits");
        if (!DecodePredictorCode(bytes, length, width, height, channels, &pixels, &error))
            return Fail(error + " at offset " + std::to_string(command.offset));
        rowBytes = size_t(width) * size_t(channels);
    } else if (method == 4) {
        int w = 0, h = 0, c = 0;
        if (!DecodeJpeg(bytes, length, &w, &h, &c, &pixels, &error))
            return Fail(error + " at offset " + std::to_string(command.offset));
        if (w != width || h != height)
            return Fail("JPEG of another size than its image at offset " + std::to_string(command.offset));
        channels = c;
        kind = c == 3 ? 4 : 3;
        // Grey is coded as ink (inverted) before JPEG.
        if (c == 1)
            for (uint8_t& v : pixels)
                v = uint8_t(255 - v);
        rowBytes = size_t(width) * size_t(c);
    } else {
        Note("image coding method " + std::to_string(method) + " not drawn");
        return true;
    }
    const int imageRop = mixKind_ == 2 ? (mixValue_ & 0xFF) : 0xCC;
    const Colour pattern = brushes_[2].colour;
    // (u, v) in source pixels -> destination + matrix.
    const Affine imageToDevice{m[0], m[1], m[2], m[3], m[4] + o.Number("x"), m[5] + o.Number("y")};
    DrawRaster(Then(imageToDevice, DeviceToPicture()), width, height, [&](int u, int v, uint8_t* target, int, int) {
        Colour c;
        const uint8_t* row = pixels.data() + size_t(v) * rowBytes;
        if (kind == 4) {
            c = {row[u * 3], row[u * 3 + 1], row[u * 3 + 2]};
        } else {
            int value = row[u];
            if (bits < 8)
                value = (row[size_t(u) * size_t(bits) / 8] >> (8 - bits - (u * bits) % 8)) & ((1 << bits) - 1);
            if (kind == 3) {
                c = {uint8_t(value), uint8_t(value), uint8_t(value)};
            } else if (size_t(value) * 3 + 2 < palette.size()) {
                c = {palette[size_t(value) * 3], palette[size_t(value) * 3 + 1], palette[size_t(value) * 3 + 2]};
            }
        }
        target[0] = Rop3(imageRop, pattern.r, c.r, target[0]);
        target[1] = Rop3(imageRop, pattern.g, c.g, target[1]);
        target[2] = Rop3(imageRop, pattern.b, c.b, target[2]);
    });
    if (o.Number("mask", 1) == 2)
        Note("image masks not drawn");
    return true;
}

bool JobRenderer::OneBitImage(const MorvaCommandLine& command, const ListingOperands& o)
{
    const int width = int(o.Number("width")), height = int(o.Number("height"));
    const std::vector<double> m = o.Numbers("matrix");
    size_t length = 0;
    const uint8_t* bytes = Span(command, "data", &length);
    const size_t rowBytes = size_t(width + 7) / 8;
    if (width <= 0 || height <= 0 || m.size() != 6 || bytes == nullptr || length < rowBytes * size_t(height))
        return Fail("one-bit image cut short at offset " + std::to_string(command.offset));
    // The rows are the source's own bits; polarity 1 paints its 0 bits with
    // the brush, polarity 0 its 1 bits (whichever colours the source gave
    // them), the rest stays as it was.
    const int painted = o.Number("polarity") == 1 ? 0 : 1;
    const Affine imageToDevice{m[0], m[1], m[2], m[3], m[4] + o.Number("x"), m[5] + o.Number("y")};
    const int rop = mixKind_ == 1 ? mixValue_ : 13;
    const Affine pictureToDevice = PictureToDevice();
    DrawRaster(Then(imageToDevice, DeviceToPicture()), width, height,
               [&](int u, int v, uint8_t* target, int px, int py) {
                   const int bit = (bytes[size_t(v) * rowBytes + size_t(u) / 8] >> (7 - u % 8)) & 1;
                   if (bit != painted)
                       return;
                   PaintPixel(brushes_[2], pictureToDevice, rop, px, py, target);
               });
    return true;
}

bool JobRenderer::DownloadGlyph(const MorvaCommandLine& command, const ListingOperands& o)
{
    Glyph glyph;
    const uint32_t id = uint32_t(o.Number("id"));
    if (o.Word("bitmap")) {
        if (o.Word("compressed")) {
            Note("compressed glyph bitmaps not drawn");
            glyphs_[id] = glyph;
            return true;
        }
        glyph.originX = o.Number("x");
        glyph.originY = o.Number("y");
        glyph.width = int(o.Number("width"));
        glyph.height = int(o.Number("height"));
        glyph.rowBytes = int(o.Number("rowbytes"));
        size_t length = 0;
        const uint8_t* rows = Span(command, "rows", &length);
        if (rows != nullptr)
            glyph.rows.assign(rows, rows + length);
        if (glyph.rows.size() < size_t(glyph.rowBytes) * size_t(glyph.height))
            return Fail("glyph rows cut short at offset " + std::to_string(command.offset));
    } else {
        glyph.bitmap = false;
        const bool floats = o.Word("float");
        const int points = int(o.Number("points")), codes = int(o.Number("codes"));
        size_t length = 0;
        const uint8_t* body = Span(command, "outline", &length);
        const size_t pointBytes = size_t(points) * (floats ? 8 : 4);
        if (body == nullptr || length < pointBytes + size_t(codes + 1) / 2)
            return Fail("glyph outline cut short at offset " + std::to_string(command.offset));
        std::vector<RasterPoint> p;
        for (int i = 0; i < points; ++i) {
            const uint8_t* q = body + size_t(i) * (floats ? 8 : 4);
            if (floats) {
                float xy[2];
                for (int k = 0; k < 2; ++k) {
                    const uint32_t v = (uint32_t(q[k * 4]) << 24) | (uint32_t(q[k * 4 + 1]) << 16) |
                                       (uint32_t(q[k * 4 + 2]) << 8) | q[k * 4 + 3];
                    std::memcpy(&xy[k], &v, 4);
                }
                p.push_back({xy[0], xy[1]});
            } else {
                // 28.4 fixed point shifted left by two: 64 to the pixel.
                const int16_t x = int16_t((q[0] << 8) | q[1]), y = int16_t((q[2] << 8) | q[3]);
                p.push_back({x / 64.0, y / 64.0});
            }
        }
        const uint8_t* codeBytes = body + pointBytes;
        size_t next = 0;
        RasterContour contour;
        for (int i = 0; i < codes; ++i) {
            const int code = (i % 2 == 0) ? codeBytes[i / 2] >> 4 : codeBytes[i / 2] & 15;
            if (code == 1) {
                if (contour.size() > 1)
                    glyph.outline.push_back(contour);
                contour.clear();
                if (next < p.size())
                    contour.push_back(p[next++]);
            } else if (code == 2) {
                if (next < p.size())
                    contour.push_back(p[next++]);
            } else if (code == 4) {
                if (next + 3 > p.size() || contour.empty())
                    return Fail("glyph outline curve without points at offset " + std::to_string(command.offset));
                FlattenCubic(contour.back(), p[next], p[next + 1], p[next + 2], &contour);
                next += 3;
            } else if (code == 5) {
                if (contour.size() > 1)
                    glyph.outline.push_back(contour);
                contour.clear();
            } else if (code == 6) {
                break;
            }
        }
        if (contour.size() > 1)
            glyph.outline.push_back(contour);
    }
    glyphs_[id] = std::move(glyph);
    return true;
}

bool JobRenderer::PlaceGlyph(const ListingOperands& o)
{
    const uint32_t id = uint32_t(o.Number("id"));
    const auto found = glyphs_.find(id);
    if (found == glyphs_.end())
        return Fail("glyph " + std::to_string(id) + " placed before it was sent");
    const Glyph& glyph = found->second;
    const double x = o.Number("x"), y = o.Number("y");
    if (!glyph.bitmap) {
        RasterShape shape = glyph.outline;
        for (RasterContour& c : shape)
            for (RasterPoint& p : c)
                p = {p.x + x, p.y + y};
        PaintShape(ToPicture(shape, DeviceToPicture()), FillRule::kNonZero, brushes_[2]);
        return true;
    }
    if (glyph.width <= 0 || glyph.height <= 0)
        return true;
    const Affine glyphToDevice{1, 0, 0, 1, x + glyph.originX, y + glyph.originY};
    const int rop = mixKind_ == 1 ? mixValue_ : 13;
    const Affine pictureToDevice = PictureToDevice();
    DrawRaster(Then(glyphToDevice, DeviceToPicture()), glyph.width, glyph.height,
               [&](int u, int v, uint8_t* target, int px, int py) {
                   if (((glyph.rows[size_t(v) * size_t(glyph.rowBytes) + size_t(u) / 8] >> (7 - u % 8)) & 1) == 0)
                       return;
                   PaintPixel(brushes_[2], pictureToDevice, rop, px, py, target);
               });
    return true;
}

bool JobRenderer::Command(const MorvaCommandLine& command)
{
    const ListingOperands o(command.text);
    const uint16_t op = command.opcode;
    switch (op) {
    // Job and sheet framing.
    case Op("Ec"):
        return Media(o);
    case Op("FB"):
    case Op("FE"):
        if (faceOpen_)
            EndFace();
        return true;
    case Op("EA"):
    case Op("EB"):
    case Op("ED"):
    case Op("EE"):
    case Op("EF"):
    case Op("EH"):
    case Op("Eg"):
    case Op("EP"):
    case Op("FA"):
    case Op("FC"):
    case Op("FF"):
    case Op("FH"):
    case Op("FI"):
    case Op("AI"):
    // The axis code says how the sheet is fed; drawing is placed by "Aa" alone.
    case Op("AA"):
        return true;
    case Op("Aa"): {
        const std::vector<double> m = o.Numbers("matrix");
        if (m.size() != 6)
            return Fail("placement without six values");
        placement_ = {m[0], m[1], m[2], m[3], m[4], m[5]};
        if (faceOpen_)
            face_.placements.push_back({float(m[0]), float(m[1]), float(m[2]), float(m[3]), float(m[4]), float(m[5])});
        return true;
    }
    // Clip.
    case Op("AB"):
    case Op("Ab"): {
        if (!NeedFace(command))
            return false;
        const double l = o.Number("left"), t = o.Number("top"), r = o.Number("right"), b = o.Number("bottom");
        ClipTo(ToPicture({{{l, t}, {r, t}, {r, b}, {l, b}}}, DeviceToPicture()), FillRule::kNonZero);
        return true;
    }
    case Op("AC"):
        if (!NeedFace(command))
            return false;
        ClipTo(path_, fillRule_ == 2 ? FillRule::kNonZero : FillRule::kEvenOdd);
        return true;
    case Op("AR"):
        clip_.clear();
        return true;
    // Line attributes.
    case Op("AD"):
    case Op("Ad"):
        pen_.width = o.Number("width");
        return true;
    case Op("AE"):
        pen_.cap = int(o.Number("cap"));
        return true;
    case Op("AF"):
        pen_.join = int(o.Number("join"));
        return true;
    case Op("AG"):
    case Op("Ag"):
        pen_.miterLimit = std::max(1.0, o.Number("limit"));
        return true;
    case Op("AH"):
    case Op("Ah"):
        pen_.dashes.clear();
        pen_.dashOffset = 0;
        if (o.Number("style") == 6) {
            pen_.dashes = o.Numbers("lengths");
            pen_.dashOffset = o.Number("offset");
        } else if (o.Number("style") != 1) {
            Note("line style " + std::to_string(int(o.Number("style"))) + " drawn solid");
        }
        return true;
    // Painting state.
    case Op("AJ"):
        fillRule_ = int(o.Number("rule"));
        return true;
    case Op("AK"):
        paintOperation_ = int(o.Number("op"));
        return true;
    case Op("AL"):
        mixKind_ = int(o.Number("kind"));
        mixValue_ = int(o.Number("value"));
        return true;
    case Op("AM"): {
        const int target = int(o.Number("target"));
        if (target != 1 && target != 2)
            return Fail("colour target " + std::to_string(target));
        Brush brush;
        const std::vector<double> rgb = o.Numbers("rgb");
        if (rgb.size() == 3)
            brush.colour = {uint8_t(rgb[0]), uint8_t(rgb[1]), uint8_t(rgb[2])};
        else
            brush.colour.r = brush.colour.g = brush.colour.b = uint8_t(o.Number("grey"));
        brushes_[target] = brush;
        return true;
    }
    case Op("AN"):
    case Op("An"):
        return SetBrush(o, BrushKind::kHatch, command);
    case Op("AO"):
    case Op("Ao"):
        return SetBrush(o, BrushKind::kOneBitPattern, command);
    case Op("AP"):
        return SetBrush(o, BrushKind::kColourPattern, command);
    case Op("AQ"): {
        const int use = int(o.Number("use"));
        if (use != 1 && use != 2)
            return Fail("brush background use " + std::to_string(use));
        BrushBackground& b = backgrounds_[use];
        b.mode = int(o.Number("mode"));
        const std::vector<double> rgb = o.Numbers("rgb");
        if (rgb.size() == 3)
            b.colour = {uint8_t(rgb[0]), uint8_t(rgb[1]), uint8_t(rgb[2])};
        else
            b.colour.r = b.colour.g = b.colour.b = uint8_t(o.Number("grey"));
        return true;
    }
    case Op("AV"): {
        size_t length = 0;
        const uint8_t* p = Span(command, "data", &length);
        palette_.assign(p, p + length);
        return true;
    }
    // Paths.
    case Op("BA"):
        path_.clear();
        closed_.clear();
        return true;
    case Op("BB"):
    case Op("Bb"):
        MoveTo(o.Number("x"), o.Number("y"));
        return true;
    case Op("BP"):
    case Op("Bp"): {
        const std::vector<double> p = o.Numbers("points");
        for (size_t i = 0; i + 1 < p.size(); i += 2)
            LineTo(p[i], p[i + 1]);
        return true;
    }
    case Op("B0"): {
        if (!hasPoint_)
            return Fail("differences without a current point at offset " + std::to_string(command.offset));
        const std::vector<double> d = o.Numbers("deltas");
        for (size_t i = 0; i + 1 < d.size(); i += 2)
            LineTo(point_.x + d[i], point_.y + d[i + 1]);
        return true;
    }
    case Op("BU"):
    case Op("Bu"): {
        const std::vector<double> p = o.Numbers("points");
        for (size_t i = 0; i + 5 < p.size(); i += 6) {
            RasterContour curve;
            FlattenCubic(point_, {p[i], p[i + 1]}, {p[i + 2], p[i + 3]}, {p[i + 4], p[i + 5]}, &curve);
            for (const RasterPoint& q : curve)
                LineTo(q.x, q.y);
        }
        return true;
    }
    case Op("BC"):
        // Closing returns to the sub-path's start, in device pixels too.
        if (!closed_.empty())
            closed_.back() = true;
        point_ = subpathStart_;
        return true;
    case Op("BD"):
        if (!NeedFace(command))
            return false;
        PaintByOperation(path_, closed_);
        path_.clear();
        closed_.clear();
        return true;
    case Op("CG"):
    case Op("Cg"): {
        if (!NeedFace(command))
            return false;
        const double x1 = o.Number("x1"), y1 = o.Number("y1"), x2 = o.Number("x2"), y2 = o.Number("y2");
        PaintByOperation(ToPicture({{{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}}}, DeviceToPicture()), {true});
        return true;
    }
    case Op("Cc"):
        if (!NeedFace(command))
            return false;
        PaintByOperation(ToPicture({EllipseContour(o.Number("cx"), o.Number("cy"), o.Number("rx"), o.Number("ry"))},
                                   DeviceToPicture()),
                         {true});
        return true;
    // Images.
    case Op("Cq"):
        return NeedFace(command) && Image(command, o);
    case Op("Cp"):
        return NeedFace(command) && OneBitImage(command, o);
    // Text.
    case Op("DA"):
    case Op("Db"):
        return true;
    case Op("DH"):
    case Op("DL"):
        return DownloadGlyph(command, o);
    case Op("DI"):
    case Op("DM"):
    case Op("Di"):
    case Op("Dm"):
        return NeedFace(command) && PlaceGlyph(o);
    case Op("DC"):
    case Op("Dc"):
    case Op("DD"):
    case Op("Dd"):
    case Op("DE"):
    case Op("DF"):
        Note("resident-font text not drawn");
        return true;
    default:
        return Fail("no drawing known for the command at offset " + std::to_string(command.offset) + ": " +
                    command.text.substr(0, 2));
    }
}

}  // namespace

bool RenderMorvaJob(const uint8_t* data, size_t size, const SheetRenderOptions& options, SheetRenderResult* result)
{
    *result = {};
    if (options.dpi < 1 || options.dpi > 2400) {
        result->error = "resolution out of range";
        return false;
    }
    MorvaListing listing;
    if (!ReadMorvaJob(data, size, MorvaReadOptions{}, &listing)) {
        result->error = "job not read: " + listing.error;
        return false;
    }
    JobRenderer renderer(data, options, result);
    for (const MorvaCommandLine& command : listing.commands)
        if (!renderer.Command(command))
            return false;
    return renderer.Finish();
}
