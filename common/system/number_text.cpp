#include "common/system/number_text.h"

#include <cwchar>

int WideToInt(const wchar_t* text)
{
    if (text == nullptr)
        return 0;
    return static_cast<int>(std::wcstol(text, nullptr, 10));
}

static int HexDigitValue(wchar_t c)
{
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

int ParseNumberText(const wchar_t* text, uint32_t* value)
{
    if (text == nullptr || value == nullptr || text[0] == L'\0')
        return 0;
    uint32_t result = 0;
    if (text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        const wchar_t* p = text + 2;
        if (*p == L'\0')
            return 0;
        for (; *p != L'\0'; ++p) {
            const int digit = HexDigitValue(*p);
            if (digit < 0)
                return 0;
            result = (result << 4) | static_cast<uint32_t>(digit);
        }
    } else {
        for (const wchar_t* p = text; *p != L'\0'; ++p) {
            if (*p < L'0' || *p > L'9')
                return 0;
            result = result * 10u + static_cast<uint32_t>(*p - L'0');
        }
    }
    *value = result;
    return 1;
}
