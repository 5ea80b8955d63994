// The picture generator: draws the bitmaps and icons of the resource file from
// a short description per picture (pictures.txt) and writes them with a
// resource script that names each file under its resource id.
//
//   picgen DESCRIPTION OUTDIR     -> OUTDIR/pNNNN.bmp, OUTDIR/iNNNN.ico, OUTDIR/pictures.rc
//
// Every layer bitmap is 8 bits per pixel with one fixed 256-colour table, so
// that all layers of a composed picture share one palette; magenta
// (255, 0, 255) is the transparent colour of a layer. Only the colour sample
// has a table of its own, since the colour adjustment rewrites its entries.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Rgb {
    uint8_t r, g, b;
};

// The shared table: a 6 x 6 x 6 colour cube (0-215), then 40 greys.
std::vector<Rgb> SharedTable()
{
    std::vector<Rgb> table;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                table.push_back({uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51)});
    for (int i = 0; i < 40; ++i)
        table.push_back({uint8_t(8 + i * 6), uint8_t(8 + i * 6), uint8_t(8 + i * 6)});
    return table;
}

uint8_t Cube(int r, int g, int b) { return uint8_t(r * 36 + g * 6 + b); }
uint8_t Grey(int level) { return uint8_t(216 + std::clamp(level, 0, 39)); }  // 8 + 6 x level

// Colours of the drawings, by role.
const uint8_t kKey = Cube(5, 0, 5);
const uint8_t kWhite = Cube(5, 5, 5);
const uint8_t kBlack = Cube(0, 0, 0);
const uint8_t kEdge = Grey(14);       // sheet and page outlines
const uint8_t kShadow = Grey(30);
const uint8_t kText = Grey(22);       // lines of text on a page
const uint8_t kInk = Cube(0, 1, 3);   // numbers and marks
const uint8_t kAccent = Cube(0, 2, 5);
const uint8_t kStaple = Grey(6);
const uint8_t kIconFace = Cube(4, 5, 5);
const uint8_t kIconEdge = Cube(1, 2, 3);
const uint8_t kCyan = Cube(0, 4, 5);
const uint8_t kRose = Cube(5, 1, 2);
const uint8_t kYellow = Cube(5, 5, 0);
const uint8_t kGreen = Cube(1, 4, 1);
const uint8_t kOrange = Cube(5, 3, 0);

struct Image {
    int w = 0, h = 0;
    std::vector<uint8_t> px;
    Image(int width, int height, uint8_t fill) : w(width), h(height), px(size_t(width) * height, fill) {}
    void Set(int x, int y, uint8_t c)
    {
        if (x >= 0 && y >= 0 && x < w && y < h)
            px[size_t(y) * w + x] = c;
    }
    uint8_t Get(int x, int y) const { return px[size_t(y) * w + x]; }
    void Fill(int x, int y, int fw, int fh, uint8_t c)
    {
        for (int j = y; j < y + fh; ++j)
            for (int i = x; i < x + fw; ++i)
                Set(i, j, c);
    }
    void Frame(int x, int y, int fw, int fh, uint8_t c)
    {
        Fill(x, y, fw, 1, c);
        Fill(x, y + fh - 1, fw, 1, c);
        Fill(x, y, 1, fh, c);
        Fill(x + fw - 1, y, 1, fh, c);
    }
    void Line(int x0, int y0, int x1, int y1, uint8_t c)
    {
        int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
        int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1, err = dx + dy;
        for (;;) {
            Set(x0, y0, c);
            if (x0 == x1 && y0 == y1)
                break;
            int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x0 += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y0 += sy;
            }
        }
    }
    void Disc(int cx, int cy, int r, uint8_t c)
    {
        for (int j = -r; j <= r; ++j)
            for (int i = -r; i <= r; ++i)
                if (i * i + j * j <= r * r + r / 2)
                    Set(cx + i, cy + j, c);
    }
};

// A 3 x 5 font of the digits and a few capitals, one row per string.
const std::map<char, const char*> kGlyphs = {
    {'0', "111101101101111"}, {'1', "010110010010111"}, {'2', "111001111100111"}, {'3', "111001111001111"},
    {'4', "101101111001001"}, {'5', "111100111001111"}, {'6', "111100111101111"}, {'7', "111001010010010"},
    {'8', "111101111101111"}, {'9', "111101111001111"}, {'A', "010101111101101"}, {'B', "110101110101110"},
    {'C', "011100100100011"}, {'K', "101101110101101"}, {'L', "100100100100111"}, {'R', "110101110101101"},
    {'T', "111010010010010"}, {'S', "011100010001110"}, {'+', "000010111010000"}, {'-', "000000111000000"},
};

// Text at (x, y), `scale` pixels per font pixel; turned upside down when `flip`.
void Text(Image& img, int x, int y, const std::string& text, uint8_t c, int scale = 1, bool flip = false)
{
    int advance = 4 * scale;
    for (size_t n = 0; n < text.size(); ++n) {
        auto glyph = kGlyphs.find(text[n]);
        if (glyph == kGlyphs.end())
            continue;
        for (int j = 0; j < 5; ++j)
            for (int i = 0; i < 3; ++i)
                if (glyph->second[j * 3 + i] == '1') {
                    int gx = flip ? 2 - i : i, gy = flip ? 4 - j : j;
                    int slot = flip ? int(text.size() - 1 - n) : int(n);
                    img.Fill(x + slot * advance + gx * scale, y + gy * scale, scale, scale, c);
                }
    }
}
int TextWidth(const std::string& text, int scale) { return int(text.size()) * 4 * scale - scale; }

// --- The description -------------------------------------------------------------

struct Params {
    std::map<std::string, std::string> values;
    int Int(const std::string& key, int fallback) const
    {
        auto found = values.find(key);
        return found == values.end() ? fallback : std::atoi(found->second.c_str());
    }
    std::string Str(const std::string& key, const std::string& fallback) const
    {
        auto found = values.find(key);
        return found == values.end() ? fallback : found->second;
    }
};

// --- Layers of the illustration --------------------------------------------------

// A sheet of paper: white, outlined, with a shadow to the lower right.
Image Sheet(const Params& p)
{
    int w = p.Int("w", 77), h = p.Int("h", 100);
    Image img(w + 2, h + 2, kKey);
    img.Fill(2, 2, w, h, kShadow);
    img.Fill(0, 0, w, h, kWhite);
    img.Frame(0, 0, w, h, kEdge);
    return img;
}

bool SquareCount(int pages) { return pages == 1 || pages == 4 || pages == 16; }

// The pages of one sheet, numbered in their order. Digits of the row, from
// the first: orientation O, order Q, rotation R, edge mark E.
Image Pages(int pages, int landscape, int order, int turned, int marked)
{
    bool sheetWide = (landscape != 0) == SquareCount(pages);  // the sheet's own orientation
    int w = sheetWide ? 82 : 59, h = sheetWide ? 59 : 82;
    Image img(w, h, kKey);
    int along = pages == 2 ? 2 : pages == 8 ? 4 : pages == 32 ? 8 : 0;
    int cols, rows;
    if (SquareCount(pages))
        cols = rows = pages == 1 ? 1 : pages == 4 ? 2 : 4;
    else if (sheetWide)
        cols = along, rows = pages / along;
    else
        rows = along, cols = pages / along;
    int cw = w / cols, ch = h / rows;
    for (int n = 0; n < pages; ++n) {
        int col, row;
        // Orders: across then down, down then across, right to left then down,
        // down then leftwards. Two pages: 0 first at the start, 1 reversed.
        int q = pages == 2 ? (order ? 2 : 0) : order;
        switch (q) {
        case 1:
            col = n / rows, row = n % rows;
            break;
        case 2:
            col = cols - 1 - n % cols, row = n / cols;
            break;
        case 3:
            col = cols - 1 - n / rows, row = n % rows;
            break;
        default:
            col = n % cols, row = n / cols;
            break;
        }
        if (pages == 2 && !sheetWide && order)
            row = rows - 1 - (n % rows), col = 0;
        int x = col * cw + 1, y = row * ch + 1, pw = cw - 2, ph = ch - 2;
        img.Fill(x, y, pw, ph, kWhite);
        img.Frame(x, y, pw, ph, kEdge);
        std::string number = std::to_string(n + 1);
        int scale = std::min(pw, ph) >= 24 ? 3 : std::min(pw, ph) >= 14 ? 2 : 1;
        int tw = TextWidth(number, scale), th = 5 * scale;
        if (tw + 2 <= pw && th + 2 <= ph)
            Text(img, x + (pw - tw) / 2, y + (ph - th) / 2, number, kInk, scale, turned != 0);
        else
            img.Fill(x + pw / 2 - 1, y + ph / 2 - 1, 2, 2, kInk);
        if (ph >= 16 && pw >= 16)
            for (int line = y + 3; line < y + ph - 3 && line < y + 3 + 2 * 3; line += 3)
                img.Fill(x + 3, line, pw - 6, 1, kText);
        if (marked)
            img.Fill(x, y, 2, ph, kAccent);
    }
    return img;
}

Image PagesFamily(const Params& p, int row)
{
    int n = p.Int("n", 1);
    if (n == 1)
        return Pages(1, row / 2, 0, 0, row % 2);
    if (n == 2)
        return Pages(2, row / 8, (row / 4) % 2, (row / 2) % 2, row % 2);
    if (n == 32)
        return Pages(32, row / 4, 0, (row / 2) % 2, row % 2);
    // 4, 8 or 16 pages: count, O, Q (4), R, E.
    int count = row / 32 == 0 ? 4 : row / 32 == 1 ? 8 : 16;
    int rest = row % 32;
    return Pages(count, rest / 16, (rest / 4) % 4, (rest / 2) % 2, rest % 2);
}

// Colour on a page: a band of the three inks along the page's edge.
Image Colour(const Params& p)
{
    int w = p.Int("w", 24), h = p.Int("h", 4);
    Image img(w, h, kKey);
    const uint8_t inks[3] = {kCyan, kRose, kYellow};
    for (int k = 0; k < 3; ++k)
        img.Fill(k * w / 3, 0, (k + 1) * w / 3 - k * w / 3, h, inks[k]);
    return img;
}

// An arrow: right, down, left or up.
Image Arrow(int direction, int length, uint8_t c)
{
    bool across = direction == 0 || direction == 2;
    Image img(across ? length : 9, across ? 9 : length, kKey);
    for (int i = 0; i < length; ++i) {
        int at = direction >= 2 ? length - 1 - i : i;
        if (across)
            img.Fill(at, 3, 1, 3, c);
        else
            img.Fill(3, at, 3, 1, c);
    }
    for (int k = 0; k < 5; ++k) {
        int tip = direction >= 2 ? k : length - 1 - k;
        if (across)
            img.Fill(tip, 4 - k, 1, 2 * k + 1, c);
        else
            img.Fill(4 - k, tip, 2 * k + 1, 1, c);
    }
    return img;
}

Image OrderFamily(int row)
{
    int order = (row / 4) % 4;
    static const int kDirection[4] = {0, 1, 2, 1};
    return Arrow(kDirection[order], 18, kAccent);
}

// Printed on both sides: a turned sheet behind a sheet, with a bent arrow.
Image Duplex(const Params& p)
{
    bool across = p.Str("dir", "h") == "h";
    int w = across ? 24 : 14, h = across ? 14 : 24;
    Image img(w, h, kKey);
    if (across) {
        img.Fill(0, 4, 10, 10, kShadow);
        img.Fill(2, 2, 10, 10, kWhite);
        img.Frame(2, 2, 10, 10, kEdge);
        for (int x = 13; x < 22; ++x)
            img.Set(x, 6 - int(3 * std::sin((x - 13) * 3.14159 / 9)), kAccent);
        img.Fill(19, 6, 4, 2, kAccent);
        img.Fill(20, 8, 2, 1, kAccent);
    } else {
        img.Fill(4, 0, 10, 10, kShadow);
        img.Fill(2, 2, 10, 10, kWhite);
        img.Frame(2, 2, 10, 10, kEdge);
        for (int y = 13; y < 22; ++y)
            img.Set(6 - int(3 * std::sin((y - 13) * 3.14159 / 9)), y, kAccent);
        img.Fill(6, 19, 2, 4, kAccent);
        img.Fill(8, 20, 1, 2, kAccent);
    }
    return img;
}

// A bound edge: a dark strip with rings.
Image Binding(const Params& p)
{
    int w = p.Int("w", 60), h = p.Int("h", 5);
    Image img(w, h, kKey);
    img.Fill(0, 0, w, h, kIconEdge);
    if (w >= h)
        for (int x = 3; x + 2 < w; x += 7)
            img.Fill(x, 1, 3, h - 2, kWhite);
    else
        for (int y = 3; y + 2 < h; y += 7)
            img.Fill(1, y, w - 2, 3, kWhite);
    return img;
}

// Staples: shape d (diagonal), h, v, hh (two across), vv (two down), s (saddle).
Image Staple(const Params& p)
{
    std::string shape = p.Str("shape", "d");
    if (shape == "d") {
        Image img(10, 10, kKey);
        for (int i = 0; i < 9; ++i)
            img.Fill(i, 8 - i, 2, 2, kStaple);
        return img;
    }
    if (shape == "h" || shape == "v") {
        Image img(shape == "h" ? 11 : 4, shape == "h" ? 4 : 11, kKey);
        img.Fill(0, 0, img.w, img.h, kStaple);
        return img;
    }
    int span = p.Int("span", 40);
    bool across = shape == "hh";
    Image img(across ? span : 4, across ? 4 : span, kKey);
    int gap = span / 4;
    for (int k : {gap - 5, span - gap - 5}) {
        if (across)
            img.Fill(std::max(0, k), 0, 10, 4, kStaple);
        else
            img.Fill(0, std::max(0, k), 4, 10, kStaple);
    }
    return img;
}

// Punched holes along one edge.
Image Punch(const Params& p)
{
    int holes = p.Int("n", 2);
    bool across = p.Str("dir", "v") == "h";
    int step = p.Int("step", holes >= 4 ? 8 : 14);
    int span = step * (holes - 1) + 6;
    Image img(across ? span : 6, across ? 6 : span, kKey);
    for (int k = 0; k < holes; ++k) {
        int at = 3 + k * step;
        if (across)
            img.Disc(at, 3, 2, kBlack);
        else
            img.Disc(3, at, 2, kBlack);
    }
    return img;
}

// Poster and booklet outlines: a frame cut into tiles or folded in the middle.
Image Tiles(const Params& p, int row)
{
    bool wide = p.Int("wide", -1) >= 0 ? p.Int("wide", 0) != 0 : ((row / 8) % 2) != 0;
    int w = wide ? 100 : 78, h = wide ? 78 : 100;
    w = p.Int("w", w), h = p.Int("h", h);
    Image img(w, h, kKey);
    int variant = p.Int("tiles", -1) >= 0 ? p.Int("tiles", 0) : (row / 2) % 4;
    int k = variant + 1;
    bool colour = p.Int("colour", (row / 16) % 2) != 0;
    img.Fill(0, 0, w, h, kWhite);
    img.Frame(0, 0, w, h, kEdge);
    for (int i = 1; i < k; ++i) {
        for (int y = 1; y < h - 1; y += 4)
            img.Fill(i * w / k, y, 1, 2, kAccent);
        for (int x = 1; x < w - 1; x += 4)
            img.Fill(x, i * h / k, 2, 1, kAccent);
    }
    if (colour)
        for (int k3 = 0; k3 < 3; ++k3)
            img.Fill(3 + k3 * 8, 3, 8, 3, k3 == 0 ? kCyan : k3 == 1 ? kRose : kYellow);
    if (row % 2)
        img.Fill(1, 1, 2, h - 2, kAccent);
    return img;
}

// A fold down the middle of the sheet, with the halves' edges bent towards it.
Image Fold(const Params& p)
{
    int w = p.Int("w", 78), h = p.Int("h", 100);
    Image img(w, h, kKey);
    for (int y = 2; y < h - 2; y += 4)
        img.Fill(w / 2, y, 1, 2, kIconEdge);
    for (int k = 0; k < 6; ++k) {
        img.Set(w / 2 - 6 + k, 2 + k / 2, kAccent);
        img.Set(w / 2 + 6 - k, 2 + k / 2, kAccent);
    }
    img.Fill(w / 2 - 1, 5, 3, 2, kAccent);
    return img;
}

Image Cover(const Params& p)
{
    int w = p.Int("w", 77), h = p.Int("h", 12);
    Image img(w, h, kKey);
    img.Fill(0, 0, w, h, kGreen);
    img.Fill(4, h / 2 - 1, w / 2, 2, kWhite);
    return img;
}

// An open booklet: two pages meeting at the spine, numbered when asked.
Image Book(const Params& p)
{
    int w = p.Int("w", 50), h = p.Int("h", 40);
    Image img(w, h, kKey);
    bool across = w >= h;
    int half = across ? w / 2 : h / 2;
    for (int k = 0; k < 2; ++k) {
        int x = across ? k * half : 0, y = across ? 0 : k * half;
        int pw = across ? (k ? w - half : half + 1) : w, ph = across ? h : (k ? h - half : half + 1);
        img.Fill(x, y, pw, ph, kWhite);
        img.Frame(x, y, pw, ph, kEdge);
        if (p.Int("numbers", 0)) {
            std::string number = std::to_string(k + 1);
            int scale = std::min(pw, ph) >= 30 ? 2 : 1;
            Text(img, x + (pw - TextWidth(number, scale)) / 2, y + (ph - 5 * scale) / 2, number, kInk, scale);
        }
    }
    if (p.Int("colour", 0))
        for (int k = 0; k < 3; ++k)
            img.Fill(3 + k * 6, 3, 6, 3, k == 0 ? kCyan : k == 1 ? kRose : kYellow);
    if (p.Int("spine", 0))
        img.Fill(across ? half - 1 : 0, across ? 0 : half - 1, across ? 3 : w, across ? h : 3, kIconEdge);
    return img;
}

// --- Icons of the left columns (32 x 32) -----------------------------------------

Image IconFace()
{
    Image img(32, 32, kKey);
    img.Fill(1, 1, 30, 30, kIconFace);
    img.Frame(1, 1, 30, 30, kIconEdge);
    img.Set(1, 1, kKey), img.Set(30, 1, kKey), img.Set(1, 30, kKey), img.Set(30, 30, kKey);
    return img;
}

void SmallPage(Image& img, int x, int y, int w, int h)
{
    img.Fill(x, y, w, h, kWhite);
    img.Frame(x, y, w, h, kEdge);
}

Image MarkIcon(int row)
{
    Image img = IconFace();
    bool wide = row / 4 != 0;
    int mark = row % 4;
    int w = wide ? 20 : 14, h = wide ? 14 : 20;
    int x = (32 - w) / 2, y = (32 - h) / 2;
    SmallPage(img, x, y, w, h);
    Text(img, x + w / 2 - 3, y + h / 2 - 5, "A", kInk, 2);
    if (mark & 1)
        img.Fill(x, y, 2, h, kRose);
    if (mark & 2)
        img.Fill(x, y, w, 2, kRose);
    return img;
}

Image CollateIcon(int row)
{
    Image img = IconFace();
    const char* labels[2][3] = {{"1", "1", "2"}, {"1", "2", "3"}};
    // Back to front, each number in the corner the next sheet leaves free.
    for (int k = 0; k < 3; ++k) {
        int x = 4 + k * 7, y = 3 + k * 6;
        SmallPage(img, x, y, 13, 16);
        Text(img, x + 2, y + 1 + (k == 2 ? 4 : 0), labels[row][k], kInk);
    }
    return img;
}

// Output: a tray with sheets; the row's number beside it.
Image OutputIcon(int row)
{
    Image img = IconFace();
    img.Fill(5, 20, 22, 3, kIconEdge);
    img.Fill(4, 14, 2, 8, kIconEdge);
    img.Fill(26, 14, 2, 8, kIconEdge);
    int sheets = 1 + row % 3;
    for (int k = 0; k < sheets; ++k)
        img.Fill(8, 17 - 2 * k, 16, 2, k % 2 ? kWhite : kShadow);
    std::string label = std::to_string(row);
    Text(img, 16 - TextWidth(label, 1) / 2, 5, label, kInk);
    return img;
}

Image StampIcon(int row)
{
    Image img = IconFace();
    if (row & 2) {  // a stamp
        img.Fill(11, 5, 10, 8, kRose);
        img.Fill(14, 13, 4, 5, kRose);
        img.Fill(7, 18, 18, 3, kRose);
    }
    if (row & 4) {  // an annotation
        img.Line(6, 26, 26, 22, kAccent);
        Text(img, 5, 23 - 6, "A", kAccent);
    }
    if (row & 1)  // a separate sheet
        img.Frame(22, 22, 7, 7, kInk);
    return img;
}

Image SpecialIcon(int row)
{
    Image img = IconFace();
    bool wide = row != 0;
    int w = wide ? 22 : 16, h = wide ? 16 : 22;
    int x = (32 - w) / 2, y = (32 - h) / 2;
    SmallPage(img, x, y, w / 2 + 1, h);
    SmallPage(img, x + w / 2, y, w - w / 2, h);
    img.Fill(x + w / 2 - 1, y, 2, h, kAccent);
    return img;
}

Image TrayIcon(int row)
{
    Image img = IconFace();
    img.Fill(5, 12, 22, 12, kShadow);
    img.Frame(5, 12, 22, 12, kIconEdge);
    img.Fill(8, 9, 16, 4, kWhite);
    img.Frame(8, 9, 16, 4, kEdge);
    std::string label = std::to_string(row + 1);
    Text(img, 16 - TextWidth(label, 1) / 2, 16, label, kInk);
    return img;
}

// --- Pictures of the pages -------------------------------------------------------

// The colour settings: three circles in colour or grey with the key's number.
Image ColourSettings(const Params& p, int id)
{
    Image img(64, 48, Grey(36));
    std::string mode = p.Str("mode", "colour");
    uint8_t a = kRose, b = kGreen, c = kAccent;
    if (mode == "grey")
        a = Grey(10), b = Grey(20), c = Grey(28);
    img.Disc(22, 18, 11, a);
    img.Disc(42, 18, 11, b);
    img.Disc(32, 30, 11, c);
    if (mode == "auto")
        img.Disc(32, 22, 5, Grey(4));
    std::string label = std::to_string(id);
    Text(img, 62 - TextWidth(label, 1), 42, label, kInk);
    return img;
}

// A tile of the pattern background.
Image Pattern()
{
    Image img(8, 8, Grey(34));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            if ((x + y) % 4 == 0)
                img.Set(x, y, Grey(30));
    return img;
}

// --- Writers ---------------------------------------------------------------------

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

std::vector<uint8_t> DibHeader(int w, int h, int bits, uint32_t colours, uint32_t imageBytes)
{
    std::vector<uint8_t> out;
    Put32(out, 40);
    Put32(out, uint32_t(w));
    Put32(out, uint32_t(h));
    Put16(out, 1);
    Put16(out, uint16_t(bits));
    Put32(out, 0);
    Put32(out, imageBytes);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, colours);
    Put32(out, colours);
    return out;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(file);
}

// An 8-bit bottom-up BMP with 256 colours used.
bool WriteBmp(const std::string& path, const Image& img, const std::vector<Rgb>& table)
{
    int stride = (img.w + 3) & ~3;
    std::vector<uint8_t> dib = DibHeader(img.w, img.h, 8, 256, uint32_t(stride * img.h));
    for (int i = 0; i < 256; ++i) {
        Rgb c = i < int(table.size()) ? table[i] : Rgb{0, 0, 0};
        dib.insert(dib.end(), {c.b, c.g, c.r, 0});
    }
    for (int y = img.h - 1; y >= 0; --y) {
        for (int x = 0; x < img.w; ++x)
            dib.push_back(img.Get(x, y));
        for (int x = img.w; x < stride; ++x)
            dib.push_back(0);
    }
    std::vector<uint8_t> file{'B', 'M'};
    Put32(file, uint32_t(14 + dib.size()));
    Put32(file, 0);
    Put32(file, 14 + 40 + 256 * 4);
    file.insert(file.end(), dib.begin(), dib.end());
    return WriteFile(path, file);
}

// A 32 x 32 icon, 32 bits with alpha (the key colour transparent).
bool WriteIco(const std::string& path, const Image& img, const std::vector<Rgb>& table)
{
    std::vector<uint8_t> dib = DibHeader(img.w, img.h * 2, 32, 0, uint32_t(img.w * img.h * 4));
    for (int y = img.h - 1; y >= 0; --y)
        for (int x = 0; x < img.w; ++x) {
            uint8_t i = img.Get(x, y);
            Rgb c = table[i];
            dib.insert(dib.end(), {c.b, c.g, c.r, uint8_t(i == kKey ? 0 : 255)});
        }
    int maskStride = ((img.w + 31) / 32) * 4;
    for (int y = img.h - 1; y >= 0; --y) {
        std::vector<uint8_t> row(size_t(maskStride), 0);
        for (int x = 0; x < img.w; ++x)
            if (img.Get(x, y) == kKey)
                row[size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
        dib.insert(dib.end(), row.begin(), row.end());
    }
    std::vector<uint8_t> file;
    Put16(file, 0);
    Put16(file, 1);
    Put16(file, 1);
    file.push_back(uint8_t(img.w));
    file.push_back(uint8_t(img.h));
    file.push_back(0);
    file.push_back(0);
    Put16(file, 1);
    Put16(file, 32);
    Put32(file, uint32_t(dib.size()));
    Put32(file, 22);
    file.insert(file.end(), dib.begin(), dib.end());
    return WriteFile(path, file);
}

// The colour sample: a picture whose colours lie in three palette ranges
// (2-97 photographs, 98-113 graphics, 114-127 text), each adjusted apart.
bool WriteSample(const std::string& path)
{
    std::vector<Rgb> table(256, Rgb{0, 0, 0});
    table[0] = {255, 255, 255};
    table[1] = {0, 0, 0};
    for (int i = 0; i < 96; ++i) {  // a warm-to-cool gradient of a landscape
        double t = i / 95.0;
        table[2 + i] = {uint8_t(250 - 190 * t), uint8_t(180 + 40 * std::sin(t * 3.14159)), uint8_t(60 + 190 * t)};
    }
    for (int i = 0; i < 16; ++i)
        table[98 + i] = {uint8_t(i * 15), uint8_t(200 - i * 8), uint8_t(40 + i * 12)};
    for (int i = 0; i < 14; ++i)
        table[114 + i] = {uint8_t(20 + i * 10), uint8_t(20 + i * 6), uint8_t(90 + i * 8)};
    Image img(96, 64, 0);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            img.Set(x + 2, y + 2, uint8_t(2 + std::min(95, (y * 95) / 39)));
    for (int k = 0; k < 16; ++k)
        img.Fill(66 + (k % 4) * 7, 4 + (k / 4) * 8, 6, 7, uint8_t(98 + k));
    for (int k = 0; k < 14; ++k)
        img.Fill(4 + k * 6, 48, 5, 2 + k % 3 * 3, uint8_t(114 + k));
    Text(img, 4, 56, "ABC", 127);
    return WriteBmp(path, img, table);
}

// Row icons of the option lists: an empty or ticked box for a two-state
// option, a barred circle for an option that cannot be chosen, a warning
// triangle for one in conflict with other settings.
Image StateIcon(const std::string& mark)
{
    Image img(32, 32, kKey);
    if (mark == "box" || mark == "tick") {
        img.Fill(5, 5, 22, 22, kWhite);
        img.Frame(5, 5, 22, 22, kIconEdge);
        img.Frame(6, 6, 20, 20, kIconEdge);
        if (mark == "tick")
            for (int k = 0; k < 3; ++k) {
                img.Line(9, 15 + k, 14, 20 + k, kGreen);
                img.Line(14, 20 + k, 23, 10 + k, kGreen);
            }
    } else if (mark == "barred") {
        img.Disc(16, 16, 12, kRose);
        img.Disc(16, 16, 9, kWhite);
        for (int k = -2; k <= 2; ++k)
            img.Line(9 + k, 9, 23 + k, 23, kRose);
    } else {
        for (int y = 0; y < 24; ++y) {
            const int half = y / 2 + 1;
            img.Fill(16 - half, 4 + y, 2 * half, 1, y == 23 ? kBlack : kYellow);
            img.Set(16 - half, 4 + y, kBlack);
            img.Set(15 + half, 4 + y, kBlack);
        }
        img.Fill(15, 11, 2, 9, kBlack);
        img.Fill(15, 22, 2, 2, kBlack);
    }
    return img;
}

// The cover-sheet preview's page (205 x 295: the 203 x 293 page and its
// shadow): `kind` form, a form file's page with its letterhead band; frame,
// the page with the frame the model prints; plain, an empty page.
Image CoverPage(const Params& p)
{
    const std::string kind = p.Str("kind", "plain");
    Image img(205, 295, kShadow);
    img.Fill(0, 0, 203, 293, kWhite);
    img.Frame(0, 0, 203, 293, kEdge);
    if (kind == "form") {
        img.Fill(6, 6, 191, 26, Cube(4, 4, 5));
        img.Fill(6, 32, 191, 2, kAccent);
        img.Fill(6, 283, 191, 1, kAccent);
    } else if (kind == "frame") {
        img.Frame(5, 5, 193, 283, kText);
        img.Fill(5, 40, 193, 1, kText);
    }
    return img;
}

// Small pictures of the sender dialog: a person for the sender's card, a
// page leaving with an arrow for what the cover sheet carries.
Image SenderPicture(const Params& p)
{
    Image img(32, 32, kKey);
    if (p.Str("shape", "person") == "person") {
        img.Fill(3, 5, 26, 22, kWhite);
        img.Frame(3, 5, 26, 22, kIconEdge);
        img.Disc(11, 13, 3, kAccent);
        img.Fill(7, 18, 9, 6, kAccent);
        for (int k = 0; k < 3; ++k)
            img.Fill(18, 10 + k * 4, 8, 1, kText);
    } else {
        SmallPage(img, 4, 3, 17, 24);
        for (int k = 0; k < 4; ++k)
            img.Fill(7, 8 + k * 4, 11, 1, kText);
        img.Fill(20, 20, 8, 2, kInk);
        img.Line(25, 17, 28, 20, kInk);
        img.Line(25, 24, 28, 21, kInk);
    }
    return img;
}

// The kinds of a fax destination, drawn bold to stay readable at 16 x 16: a
// fax machine with its handset (number), a numbered card (speed dial), a
// globe (IP fax).
Image RecipientIcon(int kind)
{
    Image img(32, 32, kKey);
    if (kind == 0) {
        img.Fill(3, 12, 26, 16, kIconEdge);
        img.Fill(5, 14, 22, 12, kWhite);
        img.Fill(8, 4, 16, 10, kWhite);
        img.Frame(8, 4, 16, 10, kIconEdge);
        img.Fill(7, 17, 10, 3, kAccent);
        for (int k = 0; k < 3; ++k)
            img.Fill(20, 16 + 3 * k, 5, 2, kBlack);
    } else if (kind == 1) {
        img.Fill(4, 6, 24, 20, kIconEdge);
        img.Fill(6, 8, 20, 16, kWhite);
        img.Fill(6, 8, 20, 4, kAccent);
        for (int k = 0; k < 3; ++k)
            img.Fill(8 + 6 * k, 15, 4, 7, kBlack);
    } else {
        img.Disc(16, 16, 13, kAccent);
        img.Disc(16, 16, 11, kWhite);
        img.Fill(15, 3, 2, 26, kAccent);
        img.Fill(3, 15, 26, 2, kAccent);
        for (int y = 6; y <= 26; ++y) {
            const int dx = int(5 * std::sin((y - 3) * 3.14159 / 26));
            img.Set(16 - dx - 1, y, kAccent);
            img.Set(16 + dx, y, kAccent);
        }
    }
    return img;
}

Image Draw(const std::string& family, const Params& p, int row, int id)
{
    if (family == "coverpage")
        return CoverPage(p);
    if (family == "senderpic")
        return SenderPicture(p);
    if (family == "recipient")
        return RecipientIcon(p.Int("kind", 0));
    if (family == "state")
        return StateIcon(p.Str("mark", "warning"));
    if (family == "sheet")
        return Sheet(p);
    if (family == "pages")
        return PagesFamily(p, row);
    if (family == "colour")
        return Colour(p);
    if (family == "order")
        return OrderFamily(row);
    if (family == "duplex")
        return Duplex(p);
    if (family == "binding")
        return Binding(p);
    if (family == "staple")
        return Staple(p);
    if (family == "punch")
        return Punch(p);
    if (family == "tiles")
        return Tiles(p, row);
    if (family == "fold")
        return Fold(p);
    if (family == "cover")
        return Cover(p);
    if (family == "book")
        return Book(p);
    if (family == "mark")
        return MarkIcon(row);
    if (family == "collate")
        return CollateIcon(row);
    if (family == "output")
        return OutputIcon(row);
    if (family == "stamp")
        return StampIcon(row);
    if (family == "special")
        return SpecialIcon(row);
    if (family == "tray")
        return TrayIcon(row);
    if (family == "settings")
        return ColourSettings(p, id);
    if (family == "pattern")
        return Pattern();
    if (family == "margin") {
        // A margin icon: the page in its orientation with the margin's band
        // between the edge and a dashed line.
        Image img(32, 32, kKey);
        const bool landscape = p.Str("orient", "portrait") == "landscape";
        const int x = landscape ? 3 : 7, y = landscape ? 7 : 3, w = landscape ? 26 : 18, h = landscape ? 18 : 26;
        SmallPage(img, x, y, w, h);
        const std::string edge = p.Str("edge", "left");
        const int band = 5;
        if (edge == "left" || edge == "right") {
            const int bx = edge == "left" ? x : x + w - band;
            img.Fill(bx, y, band, h, kRose);
            const int lx = edge == "left" ? x + band : x + w - band - 1;
            for (int k = y; k < y + h; k += 3)
                img.Fill(lx, k, 1, 2, kBlack);
        } else {
            const int by = edge == "top" ? y : y + h - band;
            img.Fill(x, by, w, band, kRose);
            const int ly = edge == "top" ? y + band : y + h - band - 1;
            for (int k = x; k < x + w; k += 3)
                img.Fill(k, ly, 2, 1, kBlack);
        }
        return img;
    }
    if (family == "side" || family == "finishing") {
        // Option icons: a page with the marked edge or finishing of the option.
        Image img(32, 32, kKey);
        SmallPage(img, 7, 3, 18, 26);
        int v = p.Int("v", 0);
        if (family == "side") {
            if (v & 1)
                img.Fill(7, 3, 3, 26, kRose);
            if (v & 2)
                img.Fill(7, 3, 18, 3, kRose);
            if (v & 4)
                img.Fill(22, 3, 3, 26, kAccent);
            if (v & 8)
                img.Fill(7, 26, 18, 3, kAccent);
        } else {
            if (v & 1)
                img.Fill(10, 6, 6, 2, kStaple);
            if (v & 2)
                for (int k = 0; k < 3; ++k)
                    img.Disc(11, 10 + k * 7, 1, kBlack);
        }
        return img;
    }
    std::fprintf(stderr, "unknown picture family %s\n", family.c_str());
    std::exit(2);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: picgen DESCRIPTION OUTDIR\n");
        return 2;
    }
    std::ifstream source(argv[1]);
    if (!source) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    std::string out = argv[2];
    std::vector<Rgb> table = SharedTable();
    std::ostringstream script;
    script << "// Made by picgen from " << "pictures.txt" << "; edit the description, not this file.\n";
    // A bitmap and an icon may share an id: they are resources of two types.
    std::map<std::pair<bool, int>, bool> seen;
    std::string line;
    int lineNumber = 0;
    while (std::getline(source, line)) {
        ++lineNumber;
        if (auto hash = line.find('#'); hash != std::string::npos)
            line.erase(hash);
        std::istringstream words(line);
        std::string range, family;
        if (!(words >> range >> family))
            continue;
        Params p;
        for (std::string word; words >> word;)
            if (auto eq = word.find('='); eq != std::string::npos)
                p.values[word.substr(0, eq)] = word.substr(eq + 1);
        int first = std::atoi(range.c_str());
        auto dash = range.find('-');
        int last = dash == std::string::npos ? first : std::atoi(range.c_str() + dash + 1);
        if (first <= 0 || last < first) {
            std::fprintf(stderr, "%s:%d: bad id range\n", argv[1], lineNumber);
            return 1;
        }
        for (int id = first; id <= last; ++id) {
            const bool icon = p.Str("as", "bitmap") == "icon";
            if (seen[{icon, id}]) {
                std::fprintf(stderr, "%s:%d: id %d given twice\n", argv[1], lineNumber, id);
                return 1;
            }
            seen[{icon, id}] = true;
            int row = p.Int("row", 0) + (id - first);
            bool ok;
            if (family == "sample") {
                ok = WriteSample(out + "/p" + std::to_string(id) + ".bmp");
                script << id << " BITMAP \"p" << id << ".bmp\"\n";
            } else if (p.Str("as", "bitmap") == "icon") {
                ok = WriteIco(out + "/i" + std::to_string(id) + ".ico", Draw(family, p, row, id), table);
                script << id << " ICON \"i" << id << ".ico\"\n";
            } else {
                ok = WriteBmp(out + "/p" + std::to_string(id) + ".bmp", Draw(family, p, row, id), table);
                script << id << " BITMAP \"p" << id << ".bmp\"\n";
            }
            if (!ok) {
                std::fprintf(stderr, "cannot write picture %d\n", id);
                return 1;
            }
        }
    }
    std::ofstream rc(out + "/pictures.rc");
    rc << script.str();
    return rc ? 0 : 1;
}
