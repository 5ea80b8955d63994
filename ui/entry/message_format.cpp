#include "ui/entry/message_format.h"

#include <cstdint>
#include <cwchar>

namespace {

constexpr int kResourceStringChars = 256;  // at most 255 characters and the terminator

// Counts every character; stores those that fit before the last slot.
struct Output {
    wchar_t* buffer;
    int capacity;
    int written = 0;
    int counted = 0;

    void Put(wchar_t c)
    {
        ++counted;
        if (buffer && written < capacity - 1)
            buffer[written++] = c;
    }
    void Put(const wchar_t* text)
    {
        for (; *text; ++text)
            Put(*text);
    }
};

// The number conversions and the format each one is written with.
struct NumberRow {
    wchar_t letter;
    const wchar_t* format;
};
constexpr NumberRow kNumberRows[] = {{L'd', L"%d"}, {L'u', L"%u"}, {L'x', L"%x"}, {L'X', L"%X"}};

const wchar_t* NumberConversion(wchar_t letter)
{
    for (const NumberRow& row : kNumberRows)
        if (row.letter == letter)
            return row.format;
    return nullptr;
}

}  // namespace

int FormatPercentMessageV(HMODULE module, wchar_t* buffer, int capacity, int* needed, const wchar_t* format,
                          va_list arguments)
{
    Output out{capacity > 0 ? buffer : nullptr, capacity};
    for (const wchar_t* at = format ? format : L""; *at; ++at) {
        if (*at != L'%' || at[1] == L'\0') {
            out.Put(*at);
            continue;
        }
        wchar_t number[16];
        switch (*++at) {
        case L'!': {
            wchar_t text[kResourceStringChars] = {};
            LoadStringW(module, va_arg(arguments, UINT), text, kResourceStringChars);
            out.Put(text);
            break;
        }
        case L's': {
            const wchar_t* text = va_arg(arguments, const wchar_t*);
            out.Put(text ? text : L" ");
            break;
        }
        case L'c':
            out.Put(static_cast<wchar_t>(va_arg(arguments, int)));
            break;
        default:
            if (const wchar_t* conversion = NumberConversion(*at)) {
                // Signed or not, the argument is one 32-bit word.
                std::swprintf(number, 16, conversion, va_arg(arguments, uint32_t));
                out.Put(number);
            } else {
                out.Put(*at);
            }
            break;
        }
    }
    if (out.buffer)
        out.buffer[out.written] = L'\0';
    if (needed)
        *needed = out.counted + 1;
    return out.written;
}

int FormatPercentMessage(HMODULE module, wchar_t* buffer, int capacity, int* needed, const wchar_t* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const int written = FormatPercentMessageV(module, buffer, capacity, needed, format, arguments);
    va_end(arguments);
    return written;
}
