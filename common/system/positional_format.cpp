#include "common/system/positional_format.h"

#include <cstdint>
#include <cwchar>

namespace {

constexpr int kMaxPieces = 19;
constexpr int kArgumentSlots = 10;

enum PieceKind : uint32_t { kLiteral = 0, kStringArgument = 1, kNumberArgument = 2 };

struct FormatPiece {
    uint32_t kind;
    uint16_t argumentIndex;
    const wchar_t* start;  // first character of the piece in the format
    uint16_t length;       // characters of literal text, or characters consumed by an insert
    uint32_t shown;        // 0: the argument is taken but not written
};

union ArgumentSlot {
    int number;
    const wchar_t* text;
};

bool IsInsertLetter(wchar_t c)
{
    return c == L'd' || c == L's' || c == L'D' || c == L'S';
}

int CutPieces(const wchar_t* format, FormatPiece* pieces, int* argumentPieces)
{
    int count = 0;
    *argumentPieces = 0;
    const wchar_t* at = format;
    while (*at != L'\0' && count < kMaxPieces) {
        FormatPiece piece = {kLiteral, 0, at, 0, 1};
        wchar_t letter = 0;
        if (at[0] == L'%' && at[1] >= L'1' && at[1] <= L'9' && IsInsertLetter(at[2])) {
            piece.argumentIndex = static_cast<uint16_t>(at[1] - L'1');
            piece.length = 3;
            letter = at[2];
        } else if (at[0] == L'%' && IsInsertLetter(at[1])) {
            piece.argumentIndex = static_cast<uint16_t>(*argumentPieces);
            piece.length = 2;
            letter = at[1];
        } else if (at[0] == L'%' && at[1] == L'%') {
            piece.start = at + 1;  // writes one "%"
            piece.length = 1;
            pieces[count++] = piece;
            at += 2;
            continue;
        }
        if (letter != 0) {
            piece.kind = (letter == L'd' || letter == L'D') ? kNumberArgument : kStringArgument;
            piece.shown = (letter == L'd' || letter == L's') ? 1 : 0;
            ++*argumentPieces;
            pieces[count++] = piece;
            at += piece.length;
            continue;
        }
        // Literal text up to the next character that starts another kind of piece.
        do {
            ++at;
            ++piece.length;
        } while (*at != L'\0' && !(at[0] == L'%' && ((at[1] >= L'1' && at[1] <= L'9' && IsInsertLetter(at[2]))
                                                       || IsInsertLetter(at[1]) || at[1] == L'%'))
                 && piece.length < UINT16_MAX);
        pieces[count++] = piece;
    }
    return count;
}

// Adds text of `length` characters when it fits whole, keeping the terminator.
void Append(wchar_t* buffer, int capacity, int* used, const wchar_t* text, size_t length)
{
    if (static_cast<size_t>(*used) + length >= static_cast<size_t>(capacity))
        return;
    wmemcpy(buffer + *used, text, length);
    *used += static_cast<int>(length);
    buffer[*used] = L'\0';
}

}  // namespace

int FormatPositionalV(wchar_t* buffer, int capacity, const wchar_t* format, va_list args)
{
    if (buffer == nullptr || capacity < 1)
        return 0;
    buffer[0] = L'\0';
    if (format == nullptr)
        return 0;

    FormatPiece pieces[kMaxPieces];
    int argumentPieces = 0;
    const int count = CutPieces(format, pieces, &argumentPieces);

    // Arguments are taken in the order of their index, one per insert naming it.
    ArgumentSlot slots[kArgumentSlots] = {};
    const int usableIndexes = argumentPieces < kArgumentSlots ? argumentPieces : kArgumentSlots;
    for (int index = 0; index < usableIndexes; ++index) {
        for (int i = 0; i < count; ++i) {
            if (pieces[i].kind == kLiteral || pieces[i].argumentIndex != index)
                continue;
            if (pieces[i].kind == kNumberArgument)
                slots[index].number = va_arg(args, int);
            else
                slots[index].text = va_arg(args, const wchar_t*);
        }
    }

    int used = 0;
    for (int i = 0; i < count; ++i) {
        const FormatPiece& piece = pieces[i];
        if (piece.kind == kLiteral || piece.argumentIndex >= usableIndexes) {
            Append(buffer, capacity, &used, piece.start, piece.length);
        } else if (piece.shown) {
            if (piece.kind == kNumberArgument) {
                wchar_t number[16];
                const int length = swprintf(number, 16, L"%d", slots[piece.argumentIndex].number);
                Append(buffer, capacity, &used, number, length);
            } else if (slots[piece.argumentIndex].text != nullptr) {
                const wchar_t* text = slots[piece.argumentIndex].text;
                Append(buffer, capacity, &used, text, wcslen(text));
            }
        }
    }
    return used;
}

int FormatPositional(wchar_t* buffer, int capacity, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    const int length = FormatPositionalV(buffer, capacity, format, args);
    va_end(args);
    return length;
}
