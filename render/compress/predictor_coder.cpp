#include "render/compress/predictor_coder.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

namespace {

constexpr uint32_t kLongestPiece = 17057;
constexpr uint32_t kRowLimit = 65535;
constexpr int kPadLeft = 8;   // the far predictor of 8-bit bands looks 8 pixels back
constexpr int kPadRight = 2;  // the far predictor of RGB bands looks 2 pixels ahead in the row above

enum Predictor : uint8_t { kLeft, kUp, kUpLeft, kUpRight, kFar };
constexpr int kPredictors = 5;

struct Code {
    uint16_t bits;
    uint8_t count;
};

// [table][symbol]; symbol 0 is the literal, 6 the escape.
constexpr Code kSymbols[2][7] = {
    {{0b10, 2}, {0b0, 1}, {0b110, 3}, {0b11100, 5}, {0b11101, 5}, {0b11110, 5}, {0b11111, 5}},
    {{0b0, 1}, {0b10, 2}, {0b110, 3}, {0b11100, 5}, {0b11101, 5}, {0b11110, 5}, {0b11111, 5}},
};
constexpr Code kEscape = {0b11111, 5};

struct LengthClass {
    uint16_t base;
    uint16_t code;
    uint8_t codeBits;
    uint8_t extraBits;
};
constexpr LengthClass kLengthClasses[] = {
    {2, 0b010, 3, 0},      {3, 0b011, 3, 0},      {4, 0b100, 3, 1},      {6, 0b101, 3, 2},
    {10, 0b110, 3, 4},     {26, 0b111000, 6, 3},  {34, 0b111001, 6, 3},  {42, 0b111010, 6, 3},
    {50, 0b111011, 6, 4},  {66, 0b111100, 6, 5},  {98, 0b111101, 6, 6},  {162, 0b111110, 6, 9},
    {674, 0b111111, 6, 14},
};

struct MagnitudeClass {
    uint16_t base;
    uint8_t code;
    uint8_t codeBits;
    uint8_t extraBits;
};
constexpr MagnitudeClass kMagnitudeClasses[] = {
    {2, 0b011, 3, 1}, {4, 0b100, 3, 2}, {8, 0b101, 3, 3}, {16, 0b110, 3, 5}, {48, 0b1110, 4, 5}, {80, 0b1111, 4, 6},
};

struct WideCode {
    uint32_t bits;
    uint8_t count;
};

// Whole codes of every run length up to 673 and every literal difference.
struct CodeTables {
    std::array<WideCode, 674> lengths{};
    std::array<WideCode, 511> differences{};  // by current minus left, plus 255

    constexpr CodeTables()
    {
        lengths[1] = {0b00, 2};
        for (uint32_t n = 2; n < lengths.size(); ++n)
            lengths[n] = LengthCode(n);
        for (int raw = -255; raw <= 255; ++raw) {
            // Modulo 256 into -128..128; -128 and 128 keep their signs.
            const int d = raw > 128 ? raw - 256 : raw < -128 ? raw + 256 : raw;
            differences[static_cast<size_t>(raw + 255)] = DifferenceCode(d);
        }
    }
    static constexpr WideCode LengthCode(uint32_t n)
    {
        const LengthClass* c = &kLengthClasses[0];
        for (const LengthClass& k : kLengthClasses)
            if (n >= k.base)
                c = &k;
        return {uint32_t{c->code} << c->extraBits | (n - c->base), static_cast<uint8_t>(c->codeBits + c->extraBits)};
    }
    static constexpr WideCode DifferenceCode(int d)
    {
        if (d == 0)
            return {0b000, 3};
        if (d == 1)
            return {0b001, 3};
        if (d == -1)
            return {0b010, 3};
        const uint32_t m = static_cast<uint32_t>(d < 0 ? -d : d);
        const MagnitudeClass* c = &kMagnitudeClasses[0];
        for (const MagnitudeClass& k : kMagnitudeClasses)
            if (m >= k.base)
                c = &k;
        const uint32_t head = uint32_t{c->code} << 1 | (d < 0 ? 1u : 0u);
        return {head << c->extraBits | (m - c->base), static_cast<uint8_t>(c->codeBits + 1 + c->extraBits)};
    }
};
constexpr CodeTables kTables;

WideCode RunLengthCode(uint32_t n)
{
    return n < kTables.lengths.size() ? kTables.lengths[n] : CodeTables::LengthCode(n);
}

// Bytes into a buffer of fixed size; a code that does not fit marks overflow.
struct MemorySink {
    uint8_t* at;
    uint8_t* end;
    bool overflow = false;
    void Put(uint8_t byte)
    {
        if (at == end) {
            overflow = true;
            return;
        }
        *at++ = byte;
    }
    void PutWord(uint32_t word)
    {
        if (end - at < 4) {
            for (int shift = 24; shift >= 0; shift -= 8)
                Put(static_cast<uint8_t>(word >> shift));
            return;
        }
        at[0] = static_cast<uint8_t>(word >> 24);
        at[1] = static_cast<uint8_t>(word >> 16);
        at[2] = static_cast<uint8_t>(word >> 8);
        at[3] = static_cast<uint8_t>(word);
        at += 4;
    }
    bool Failed() const { return overflow; }
};

// Bytes into the temporary channel from offset 0, through a small buffer; it
// stops as soon as the code can no longer be shorter than `limit`.
struct ChannelSink {
    TempChannel* channel;
    uint32_t limit;
    uint32_t written = 0;
    uint32_t fill = 0;
    bool failed = false;
    bool tooLong = false;
    uint8_t buffer[4096];
    void Put(uint8_t byte)
    {
        if (fill == sizeof buffer)
            Flush();
        buffer[fill++] = byte;
    }
    void PutWord(uint32_t word)
    {
        for (int shift = 24; shift >= 0; shift -= 8)
            Put(static_cast<uint8_t>(word >> shift));
    }
    void Flush()
    {
        if (failed || tooLong || fill == 0) {
            fill = 0;
            return;
        }
        if (uint64_t{written} + fill >= limit)
            tooLong = true;
        else if (WriteTempChannel(channel, buffer, fill) != static_cast<int>(fill))
            failed = true;
        else
            written += fill;
        fill = 0;
    }
    bool Failed() const { return failed || tooLong; }
};

// Bits go to the sink four bytes at a time: a store of a single byte may
// alias anything, so storing fewer of them keeps the coder's state in registers.
template <typename Sink>
class BitWriter {
public:
    explicit BitWriter(Sink& sink) : sink_(sink) {}
    // Up to 32 bits at once.
    void Put(uint32_t bits, int count)
    {
        acc_ = acc_ << count | bits;
        held_ += count;
        if (held_ >= 32) {
            held_ -= 32;
            sink_.PutWord(static_cast<uint32_t>(acc_ >> held_));
        }
    }
    void Put(WideCode code) { Put(code.bits, code.count); }
    // 1 bits up to the next byte boundary, and every whole byte still held.
    void Finish()
    {
        if (held_ % 8 != 0)
            Put((1u << (8 - held_ % 8)) - 1, 8 - held_ % 8);
        while (held_ >= 8) {
            held_ -= 8;
            sink_.Put(static_cast<uint8_t>(acc_ >> held_));
        }
    }

private:
    Sink& sink_;
    uint64_t acc_ = 0;
    int held_ = 0;
};

// The coder's state across rows. P is uint8_t for 8-bit bands and uint32_t
// for RGB pixels widened by a fourth byte 0xFF.
template <typename P, typename Sink>
class Coder {
public:
    Coder(BitWriter<Sink>& out, uint16_t width, P* rowA, P* rowB) : out_(out), width_(width), prev_(rowA), cur_(rowB)
    {
        const P fill = Fill();
        std::fill(prev_, prev_ + Stride(width), fill);
        std::fill(cur_, cur_ + Stride(width), fill);
    }
    static constexpr P Fill() { return sizeof(P) == 1 ? P(0x00) : P(0xFFFFFFFF); }
    static size_t Stride(uint16_t width) { return size_t{width} + kPadLeft + kPadRight; }

    P* CurrentRow() { return cur_ + kPadLeft; }

    void CodeRow()
    {
        int n = 0;
        uint32_t x = 0;
        if (pendingLength_ > 0) {
            const uint32_t m = Match(list_[pendingPosition_], 0);
            pendingLength_ += m;
            if (m == width_) {
                EndRow(n);
                return;
            }
            n += EmitRun(pendingPosition_, pendingLength_);
            pendingLength_ = 0;
            x = m;
        }
        // Most pixels of a photograph match no predictor: one comparison per
        // predictor rules that out before any run is measured.
        const P* const c = cur_ + kPadLeft;
        const P* refs[kPredictors];
        for (int kind = 0; kind < kPredictors; ++kind)
            refs[kind] = Reference(static_cast<Predictor>(kind));
        while (x < width_) {
            uint32_t best = 0;
            int bestPosition = 0;
            const P pixel = c[x];
            for (int position = 0; position < kPredictors; ++position) {
                const P* ref = refs[list_[position]];
                if (ref[x] != pixel)
                    continue;
                const uint32_t m = MatchFrom(ref, x);
                if (m > best) {
                    best = m;
                    bestPosition = position;
                    if (x + m == width_)
                        break;  // nothing can be longer
                }
            }
            if (best == 0) {
                EmitLiteral(x);
                continuation_ = 0;
                --n;
                ++x;
            }
            else if (x + best < width_) {
                n += EmitRun(bestPosition, best);
                x += best;
            }
            else {
                pendingPosition_ = bestPosition;
                pendingLength_ = best;
                break;
            }
        }
        EndRow(n);
    }

    void Finish()
    {
        if (pendingLength_ > 0)
            EmitRun(pendingPosition_, pendingLength_);
        pendingLength_ = 0;
        out_.Put(kEscape.bits, kEscape.count);
        out_.Put(0b111, 3);
        out_.Finish();
    }

private:
    // The pixels a predictor compares the current row with, by column.
    const P* Reference(Predictor kind) const
    {
        const P* c = cur_ + kPadLeft;
        const P* up = prev_ + kPadLeft;
        switch (kind) {
        case kLeft: return c - 1;
        case kUp: return up;
        case kUpLeft: return up - 1;
        case kUpRight: return up + 1;
        default: return sizeof(P) == 1 ? c - 8 : up + 2;
        }
    }

    uint32_t MatchFrom(const P* ref, uint32_t x) const
    {
        const P* c = cur_ + kPadLeft;
        uint32_t i = x;
        while (i < width_ && c[i] == ref[i])
            ++i;
        return i - x;
    }

    uint32_t Match(Predictor kind, uint32_t x) const { return MatchFrom(Reference(kind), x); }

    // Answers 1 when the run's symbol was 1.
    int EmitRun(int position, uint32_t length)
    {
        const int symbol = position + 1 - continuation_;
        int s = symbol;
        for (uint32_t left = length; left > 0;) {
            const Code code = kSymbols[table_][s];
            out_.Put(code.bits, code.count);
            const uint32_t piece = std::min(left, kLongestPiece);
            out_.Put(RunLengthCode(piece));
            left -= piece;
            s = 1;
        }
        const Predictor kind = list_[position];
        std::move_backward(list_.begin(), list_.begin() + position, list_.begin() + position + 1);
        list_[0] = kind;
        continuation_ = length % kLongestPiece != 0 ? 1 : 0;
        return symbol == 1 ? 1 : 0;
    }

    void EmitLiteral(uint32_t x)
    {
        // The symbol with the first difference, then the other two (at most
        // 2 + 11 and 2 x 11 bits), each gathered into one write.
        const Code code = kSymbols[table_][0];
        const P* c = cur_ + kPadLeft;
        const P pixel = c[x], left = c[static_cast<int64_t>(x) - 1];
        auto difference = [&](int byte) {
            const int d = static_cast<int>((pixel >> (8 * byte)) & 0xFF) - static_cast<int>((left >> (8 * byte)) & 0xFF);
            return kTables.differences[static_cast<size_t>(d + 255)];
        };
        const WideCode first = difference(0);
        out_.Put(uint32_t{code.bits} << first.count | first.bits, code.count + first.count);
        if constexpr (sizeof(P) != 1) {
            const WideCode second = difference(1), third = difference(2);
            out_.Put(second.bits << third.count | third.bits, second.count + third.count);
        }
    }

    void EndRow(int n)
    {
        if ((n < -7 && table_ == 0) || (n > 7 && table_ == 1)) {
            table_ ^= 1;
            out_.Put(kEscape.bits, kEscape.count);
            out_.Put(0, 1);
        }
        std::swap(prev_, cur_);
    }

    BitWriter<Sink>& out_;
    uint32_t width_;
    P* prev_;
    P* cur_;
    std::array<Predictor, kPredictors> list_ = {kLeft, kUp, kUpLeft, kUpRight, kFar};
    int pendingPosition_ = 0;
    uint32_t pendingLength_ = 0;
    int continuation_ = 0;
    int table_ = 0;
};

bool IsEightBit(uint8_t format)
{
    return format == kPixelGrey || format == kPixelIndexed || format == kPixelIndexedPalette;
}

// Checks the arguments; the packed size of the rows, or 0 when they are bad.
uint64_t SourceBytes(uint8_t format, uint16_t width, uint16_t rows, const uint8_t* method, const uint32_t* length,
                     const uint8_t* data)
{
    if (method == nullptr || length == nullptr || data == nullptr || width == 0 || rows == 0 ||
        (format != kPixelRgb && !IsEightBit(format)))
        return 0;
    const uint64_t bytes = uint64_t{width} * rows * (format == kPixelRgb ? 3 : 1);
    return bytes <= *length ? bytes : 0;
}

bool RowTooLong(uint8_t format, uint16_t width)
{
    return uint64_t{width} * (format == kPixelRgb ? 4 : 1) + 20 > kRowLimit;
}

template <typename Sink>
int CodeRows(Sink& sink, uint8_t format, uint16_t width, uint16_t rows, const uint8_t* data)
{
    BitWriter<Sink> out(sink);
    if (format == kPixelRgb) {
        const size_t stride = Coder<uint32_t, Sink>::Stride(width);
        auto* buffer = static_cast<uint32_t*>(HeapAlloc(GetProcessHeap(), 0, 2 * stride * sizeof(uint32_t)));
        if (buffer == nullptr)
            return kCoderNotCreated;
        Coder<uint32_t, Sink> coder(out, width, buffer, buffer + stride);
        for (uint32_t row = 0; row < rows && !sink.Failed(); ++row) {
            uint32_t* pixels = coder.CurrentRow();
            const uint8_t* source = data + size_t{row} * width * 3;
            for (uint32_t x = 0; x < width; ++x, source += 3)
                pixels[x] = uint32_t{source[0]} | uint32_t{source[1]} << 8 | uint32_t{source[2]} << 16 | 0xFF000000u;
            coder.CodeRow();
        }
        coder.Finish();
        HeapFree(GetProcessHeap(), 0, buffer);
    }
    else {
        const size_t stride = Coder<uint8_t, Sink>::Stride(width);
        auto* buffer = static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), 0, 2 * stride));
        if (buffer == nullptr)
            return kCoderNotCreated;
        Coder<uint8_t, Sink> coder(out, width, buffer, buffer + stride);
        for (uint32_t row = 0; row < rows && !sink.Failed(); ++row) {
            std::memcpy(coder.CurrentRow(), data + size_t{row} * width, width);
            coder.CodeRow();
        }
        coder.Finish();
        HeapFree(GetProcessHeap(), 0, buffer);
    }
    return kCoderDone;
}

}  // namespace

int PredictorCoder(TempChannel* channel, uint8_t format, uint16_t width, uint16_t rows, uint8_t* method,
                   uint32_t* length, uint8_t* data)
{
    const uint64_t source = SourceBytes(format, width, rows, method, length, data);
    if (source == 0)
        return kCoderBadArgument;
    if (RowTooLong(format, width))
        return kCoderNotCreated;
    auto* code = static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), 0, static_cast<SIZE_T>(source)));
    if (code == nullptr)
        return PredictorCoderThroughChannel(channel, format, width, rows, method, length, data);
    // The code must be strictly shorter than the rows: one byte less of room.
    MemorySink sink{code, code + source - 1};
    const int result = CodeRows(sink, format, width, rows, data);
    if (result == kCoderDone && !sink.overflow) {
        const uint32_t coded = static_cast<uint32_t>(sink.at - code);
        std::memcpy(data, code, coded);
        *length = coded;
        *method = 8;
    }
    HeapFree(GetProcessHeap(), 0, code);
    return result != kCoderDone ? result : sink.overflow ? kCoderNotShorter : kCoderDone;
}

int PredictorCoderThroughChannel(TempChannel* channel, uint8_t format, uint16_t width, uint16_t rows,
                                 uint8_t* method, uint32_t* length, uint8_t* data)
{
    const uint64_t source = SourceBytes(format, width, rows, method, length, data);
    if (source == 0)
        return kCoderBadArgument;
    if (RowTooLong(format, width))
        return kCoderNotCreated;
    if (channel == nullptr || GetTempChannelState(channel) != 1 || SeekTempChannel(channel, 0) != 0)
        return kCoderChannelUnusable;
    auto* sink = static_cast<ChannelSink*>(HeapAlloc(GetProcessHeap(), 0, sizeof(ChannelSink)));
    if (sink == nullptr)
        return kCoderNoMemory;
    new (sink) ChannelSink{channel, static_cast<uint32_t>(source)};
    int result = CodeRows(*sink, format, width, rows, data);
    sink->Flush();
    if (result == kCoderDone) {
        if (sink->failed)
            result = kCoderChannelUnusable;
        else if (sink->tooLong)
            result = kCoderNotShorter;
        else if (SeekTempChannel(channel, 0) != 0 ||
                 ReadTempChannel(channel, data, sink->written) != static_cast<int>(sink->written))
            result = kCoderReadBackFailed;
        else {
            *length = sink->written;
            *method = 8;
        }
    }
    HeapFree(GetProcessHeap(), 0, sink);
    return result;
}
