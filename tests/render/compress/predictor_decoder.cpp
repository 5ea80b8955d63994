#include "tests/render/compress/predictor_decoder.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

class BitReader {
public:
    BitReader(const uint8_t* data, size_t length) : data_(data), length_(length) {}
    bool Bit(uint32_t* bit)
    {
        if (position_ >= length_ * 8)
            return false;
        *bit = (data_[position_ / 8] >> (7 - position_ % 8)) & 1;
        ++position_;
        return true;
    }
    bool Bits(int count, uint32_t* value)
    {
        *value = 0;
        for (int i = 0; i < count; ++i) {
            uint32_t b;
            if (!Bit(&b))
                return false;
            *value = *value << 1 | b;
        }
        return true;
    }
    size_t Position() const { return position_; }

private:
    const uint8_t* data_;
    size_t length_;
    size_t position_ = 0;
};

constexpr int kPad = 8;

struct Decoder {
    BitReader in;
    bool rgb;
    uint32_t width, rows;
    std::vector<uint32_t> prev, cur;
    std::array<int, 5> list = {0, 1, 2, 3, 4};  // left, up, up-left, up-right, far
    int continuation = 0, table = 0;
    uint32_t x = 0, row = 0;
    DecodedBand out;

    uint32_t Ref(int kind, uint32_t at) const
    {
        const uint32_t* c = cur.data() + kPad;
        const uint32_t* up = prev.data() + kPad;
        switch (kind) {
        case 0: return c[int64_t(at) - 1];
        case 1: return up[at];
        case 2: return up[int64_t(at) - 1];
        case 3: return up[at + 1];
        default: return rgb ? up[at + 2] : c[int64_t(at) - 8];
        }
    }
    bool Put(uint32_t pixel)
    {
        if (row >= rows)
            return false;
        cur[kPad + x] = pixel;
        if (++x == width) {
            for (uint32_t i = 0; i < width; ++i) {
                const uint32_t p = cur[kPad + i];
                out.rows.push_back(uint8_t(p));
                if (rgb) {
                    out.rows.push_back(uint8_t(p >> 8));
                    out.rows.push_back(uint8_t(p >> 16));
                }
            }
            std::swap(prev, cur);
            x = 0;
            ++row;
        }
        return true;
    }
    // -1 escape, 0 literal, 1-5 run symbols; -2 out of bits.
    int Symbol()
    {
        uint32_t b;
        if (!in.Bit(&b))
            return -2;
        if (b == 0)
            return table == 0 ? 1 : 0;
        if (!in.Bit(&b))
            return -2;
        if (b == 0)
            return table == 0 ? 0 : 1;
        if (!in.Bit(&b))
            return -2;
        if (b == 0)
            return 2;
        uint32_t v;
        if (!in.Bits(2, &v))
            return -2;
        return v == 3 ? -1 : int(v) + 3;
    }
    bool Length(uint32_t* n)
    {
        uint32_t v;
        if (!in.Bits(2, &v))
            return false;
        if (v == 0) {
            *n = 1;
            return true;
        }
        uint32_t third;
        if (!in.Bit(&third))
            return false;
        const uint32_t head = v << 1 | third;
        struct Class {
            uint32_t base, extra;
        };
        static constexpr Class kShort[] = {{0, 0}, {0, 0}, {2, 0}, {3, 0}, {4, 1}, {6, 2}, {10, 4}};
        static constexpr Class kLong[] = {{26, 3}, {34, 3}, {42, 3}, {50, 4}, {66, 5}, {98, 6}, {162, 9}, {674, 14}};
        Class c;
        if (head < 7)
            c = kShort[head];
        else {
            uint32_t tail;
            if (!in.Bits(3, &tail))
                return false;
            c = kLong[tail];
        }
        uint32_t extra = 0;
        if (!in.Bits(int(c.extra), &extra))
            return false;
        *n = c.base + extra;
        return true;
    }
    bool Difference(int* d)
    {
        uint32_t v;
        if (!in.Bits(3, &v))
            return false;
        if (v <= 2) {
            *d = v == 0 ? 0 : v == 1 ? 1 : -1;
            return true;
        }
        struct Class {
            uint32_t base, extra;
        };
        static constexpr Class kClasses[] = {{2, 1}, {4, 2}, {8, 3}, {16, 5}};
        Class c;
        if (v < 7)
            c = kClasses[v - 3];
        else {
            uint32_t b;
            if (!in.Bit(&b))
                return false;
            c = b == 0 ? Class{48, 5} : Class{80, 6};
        }
        uint32_t sign, extra;
        if (!in.Bit(&sign) || !in.Bits(int(c.extra), &extra))
            return false;
        const int m = int(c.base + extra);
        *d = sign ? -m : m;
        return true;
    }

    void Run()
    {
        const uint32_t fill = rgb ? 0xFFFFFFFFu : 0u;
        prev.assign(width + 2 * kPad, fill);
        cur.assign(width + 2 * kPad, fill);
        for (;;) {
            const int s = Symbol();
            if (s == -2) {
                out.error = "out of bits";
                return;
            }
            if (s == -1) {
                uint32_t b;
                if (!in.Bit(&b)) {
                    out.error = "out of bits after escape";
                    return;
                }
                if (b == 0) {
                    table ^= 1;
                    continue;
                }
                uint32_t rest;
                if (!in.Bits(2, &rest) || rest != 3) {
                    out.error = "bad end code";
                    return;
                }
                break;
            }
            if (s == 0) {
                uint32_t pixel = rgb ? 0xFF000000u : 0u;
                const uint32_t left = cur[kPad + int64_t(x) - 1];
                for (int byte = 0; byte < (rgb ? 3 : 1); ++byte) {
                    int d;
                    if (!Difference(&d)) {
                        out.error = "out of bits in a literal";
                        return;
                    }
                    pixel |= uint32_t(uint8_t(((left >> (8 * byte)) & 0xFF) + d)) << (8 * byte);
                }
                if (!Put(pixel)) {
                    out.error = "literal past the last row";
                    return;
                }
                continuation = 0;
                continue;
            }
            const int position = s + continuation;  // 1-based
            if (position < 1 || position > 5) {
                out.error = "run symbol out of the list";
                return;
            }
            uint32_t n;
            if (!Length(&n)) {
                out.error = "out of bits in a length";
                return;
            }
            const int kind = list[size_t(position - 1)];
            for (uint32_t i = 0; i < n; ++i)
                if (!Put(Ref(kind, x))) {
                    out.error = "run past the last row";
                    return;
                }
            std::rotate(list.begin(), list.begin() + (position - 1), list.begin() + position);
            continuation = n % 17057 != 0 ? 1 : 0;
        }
        // The rest of the last byte must be 1 bits.
        uint32_t b;
        while (in.Position() % 8 != 0) {
            if (!in.Bit(&b) || b != 1) {
                out.error = "padding is not 1 bits";
                return;
            }
        }
        out.bytesUsed = in.Position() / 8;
        if (row != rows)
            out.error = "rows missing";
    }
};

}  // namespace

DecodedBand DecodePredictorCode(const uint8_t* code, size_t length, bool rgb, uint32_t width, uint32_t rows)
{
    Decoder d{BitReader(code, length), rgb, width, rows};
    d.Run();
    return std::move(d.out);
}
