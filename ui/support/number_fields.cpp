#include "ui/support/number_fields.h"

#include "common/context/value_by_type.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"
#include "common/system/positional_format.h"
#include "ui/support/utility_tables.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace {

constexpr int kNumberTextChars = 24;
constexpr int kFixedPointChars = 48;
constexpr int kSizePairChars = 128;
constexpr int kMaxDecimals = 9;

// The first character of a resource string, `fallback` when it is missing.
wchar_t ResourceCharacter(UINT id, wchar_t fallback)
{
    wchar_t text[4] = {};
    HMODULE module = GetResourceModule();
    return module && LoadStringW(module, id, text, 4) > 0 ? text[0] : fallback;
}

char AnsiCharacter(UINT id, char fallback)
{
    const wchar_t wide = ResourceCharacter(id, static_cast<wchar_t>(fallback));
    char narrow[4] = {};
    if (WideCharToMultiByte(CP_ACP, 0, &wide, 1, narrow, sizeof(narrow), nullptr, nullptr) != 1)
        return fallback;
    return narrow[0];
}

int HexDigit(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

int GetLengthDisplayKind(uint16_t id, uint32_t inchFlag, uint32_t* kind)
{
    if (!kind)
        return 0;
    if (IsAdjustmentLengthSetting(id)) {
        *kind = inchFlag == 1 ? 1 : 0;
        return 1;
    }
    if (IsLengthSetting(id)) {
        *kind = inchFlag == 1 ? 2 : 1;
        return 1;
    }
    return 0;
}

int SetMarginFields(MarginRecord* record, int selector, const uint32_t* values)
{
    if (!record || !values || selector < 0 || selector > kAllMargins)
        return 0;
    uint32_t* fields[] = {&record->left, &record->top, &record->right, &record->bottom};
    if (selector == kAllMargins)
        for (int i = 0; i < 4; ++i)
            *fields[i] = values[i];
    else
        *fields[selector] = values[0];
    return 1;
}

int GetMarginFields(const MarginRecord* record, int selector, uint32_t* values)
{
    if (!record || !values || selector < 0 || selector > kAllMargins)
        return 0;
    const uint32_t fields[] = {record->left, record->top, record->right, record->bottom};
    if (selector == kAllMargins)
        for (int i = 0; i < 4; ++i)
            values[i] = fields[i];
    else
        values[0] = fields[selector];
    return 1;
}

int FormatFixedPoint(wchar_t** out, int decimals, bool isSigned, uint32_t flags, uint32_t value)
{
    if (!out)
        return 0;
    *out = nullptr;
    if (!(flags & kFixedPoint) || decimals < 0 || decimals > kMaxDecimals)
        return 0;
    const bool negative = isSigned && static_cast<int32_t>(value) < 0;
    const uint32_t magnitude = negative ? 0u - value : value;
    uint32_t scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    const uint32_t whole = magnitude / scale;
    const uint32_t fraction = magnitude % scale;
    auto text = AllocGlobalBlock<wchar_t>(kFixedPointChars * sizeof(wchar_t));
    if (!text)
        return 0;
    const wchar_t* sign = negative ? L"-" : L"";
    if (decimals == 0 || (fraction == 0 && (flags & kFixedPointTrimZero))) {
        swprintf(text.get(), kFixedPointChars, L"%ls%lu", sign, static_cast<unsigned long>(whole));
    } else {
        int digits = 1;
        for (uint32_t f = fraction; f >= 10; f /= 10)
            ++digits;
        wchar_t padding[kMaxDecimals + 1] = {};
        for (int i = 0; i < decimals - digits; ++i)
            padding[i] = L'0';
        const wchar_t separator[2] = {ResourceCharacter(kStringDecimalSeparator, L'.'), L'\0'};
        swprintf(text.get(), kFixedPointChars, L"%ls%lu%ls%ls%lu", sign, static_cast<unsigned long>(whole), separator,
                 padding, static_cast<unsigned long>(fraction));
    }
    *out = text.release();
    return 1;
}

int FormatSettingNumber(wchar_t** out, int decimals, bool isSigned, uint16_t type, uint32_t value)
{
    if (!out)
        return 0;
    *out = nullptr;
    if (decimals > 0)
        return FormatFixedPoint(out, decimals, isSigned, kFixedPoint, value);
    auto text = AllocGlobalBlock<wchar_t>(kNumberTextChars * sizeof(wchar_t));
    if (!text)
        return 0;
    const uint64_t holder = value;
    if (!FormatValueAsText(type, &holder, text.get(), kNumberTextChars))
        return 0;
    *out = text.release();
    return 1;
}

int FormatSizePairText(HMODULE module, uint32_t width, uint32_t height, int decimals, int orientation, wchar_t** out)
{
    if (!out)
        return 0;
    *out = nullptr;
    wchar_t* first = nullptr;
    wchar_t* second = nullptr;
    const bool numbers = decimals > 0
                             ? FormatFixedPoint(&first, decimals, false, kFixedPoint | kFixedPointDigits, width) &&
                                   FormatFixedPoint(&second, decimals, false, kFixedPoint | kFixedPointDigits, height)
                             : FormatSettingNumber(&first, 0, true, 4, width) &&
                                   FormatSettingNumber(&second, 0, true, 4, height);
    GlobalBlockPtr<wchar_t> w(first), h(second);
    wchar_t format[kSizePairChars] = {};
    wchar_t side[kSizePairChars] = {};
    if (!numbers || !module || LoadStringW(module, kStringSizePair, format, kSizePairChars) <= 0 ||
        LoadStringW(module, orientation == 1 ? kStringPortrait : kStringLandscape, side, kSizePairChars) <= 0)
        return 0;
    auto text = AllocGlobalBlock<wchar_t>(kSizePairChars * sizeof(wchar_t));
    if (!text)
        return 0;
    FormatPositional(text.get(), kSizePairChars, format, w.get(), h.get(), side);
    *out = text.release();
    return 1;
}

int ParseDecimalInt32A(const char* text, uint32_t* out)
{
    if (!text || !out)
        return 0;
    const char* digits = text;
    bool negative = false;
    if (*digits == '+' || *digits == '-') {
        negative = *digits == '-';
        ++digits;
    }
    const size_t count = std::strlen(digits);
    if (count < 1 || count > 10)
        return 0;
    for (size_t i = 0; i < count; ++i)
        if (digits[i] < '0' || digits[i] > '9')
            return 0;
    if (count == 10) {
        // Ten digits are compared as text, the negative limit with its sign.
        if (negative ? std::strcmp(digits - 1, "-2147483648") > 0 : std::strcmp(digits, "4294967295") > 0)
            return 0;
    }
    uint32_t sum = 0;
    uint32_t place = 1;
    for (size_t i = count; i-- > 0;) {
        sum += static_cast<uint32_t>(digits[i] - '0') * place;
        place *= 10;
    }
    *out = negative ? 0u - sum : sum;
    return 1;
}

int NormalizeNumberText(uint32_t flags, int maxFractionDigits, const char* text, int* length, char* out)
{
    if (!text || !length || !out || *length < 0)
        return 0;
    int n = *length;
    const char* p = text;
    if (flags & kNumberSign) {
        const char plus = AnsiCharacter(kStringPlusSign, '+');
        const char minus = AnsiCharacter(kStringMinusSign, '-');
        if (n > 0 && (p[0] == plus || p[0] == minus)) {
            if (flags & kNumberRefuseSign)
                return 0;
            if (flags & kNumberDropSign) {
                ++p;
                --n;
            }
        }
    }
    int written = 0;
    if (flags & kNumberDecimals) {
        const char separator = AnsiCharacter(kStringDecimalSeparator, '.');
        bool seen = false;
        int fraction = 0;
        for (int i = 0; i < n; ++i) {
            if (p[i] == separator) {
                if (seen)
                    return 0;
                seen = true;
                continue;
            }
            if (seen && ++fraction > maxFractionDigits && !(flags & kNumberAnyFraction))
                return 0;
            out[written++] = p[i];
        }
    } else {
        std::memmove(out, p, static_cast<size_t>(n));
        written = n;
    }
    out[written] = '\0';
    *length = written;
    return written > 0 ? 1 : 0;
}

int ParseHexByteList(const wchar_t* text, uint8_t* out)
{
    if (!text)
        return 0;
    int count = 0;
    const wchar_t* p = text;
    for (;;) {
        while (IsBlank(*p))
            ++p;
        if (HexDigit(*p) < 0)
            break;
        uint32_t value = 0;
        while (HexDigit(*p) >= 0)
            value = value * 16 + static_cast<uint32_t>(HexDigit(*p++));
        if (out)
            out[count] = static_cast<uint8_t>(value);
        ++count;
        while (IsBlank(*p))
            ++p;
        // One delimiter between values; a lone final one ends the list.
        if (*p == L'\0')
            break;
        ++p;
    }
    return count;
}
