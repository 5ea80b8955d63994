#include "common/options/user_paper_text.h"

#include "common/options/option_lists.h"
#include "common/system/positional_format.h"
#include "common/system/user_prompt.h"

#include <cwchar>

namespace {

constexpr uint32_t kTenthsPerInch = 254;
constexpr uint32_t kTenthsPerMillimetre = 10;
constexpr uint32_t kDefaultInchDecimals = 2;
constexpr uint32_t kMostInchDecimals = 4;

constexpr int kResourceTextChars = 128;
// Three inserts of at most kNumberChars and the unit, on a format of at most
// kResourceTextChars: the size text always fits.
constexpr int kNumberChars = 24;
constexpr int kSizeTextChars = 2 * kResourceTextChars + 2 * kNumberChars;

}  // namespace

int FormatPaperLength(uint32_t tenths, const PaperUnits& units, wchar_t* buffer, int capacity)
{
    if (buffer == nullptr || capacity <= 0)
        return 0;
    if (!units.inch)
        return swprintf(buffer, capacity, L"%u", tenths / kTenthsPerMillimetre);
    uint32_t decimals = units.precision != 0 ? units.precision : kDefaultInchDecimals;
    if (decimals > kMostInchDecimals)
        decimals = kMostInchDecimals;
    uint64_t scale = 1;
    for (uint32_t i = 0; i < decimals; ++i)
        scale *= 10;
    // Rounded to the nearest step of the last decimal.
    const uint64_t steps = (static_cast<uint64_t>(tenths) * scale * 2 + kTenthsPerInch) / (2 * kTenthsPerInch);
    return swprintf(buffer, capacity, L"%llu.%0*llu", static_cast<unsigned long long>(steps / scale),
                    static_cast<int>(decimals), static_cast<unsigned long long>(steps % scale));
}

wchar_t* UserPaperOptionText(HMODULE resources, const UserPaper& paper, const PaperUnits& units)
{
    wchar_t format[kResourceTextChars];
    wchar_t unit[kResourceTextChars];
    LoadPromptText(resources, kPaperSizeFormatString, L" (%1s x %2s %3s)", format, kResourceTextChars);
    LoadPromptText(resources, units.inch ? kInchUnitString : kMillimetreUnitString, units.inch ? L"in" : L"mm",
                   unit, kResourceTextChars);
    wchar_t width[kNumberChars];
    wchar_t length[kNumberChars];
    if (FormatPaperLength(paper.width, units, width, kNumberChars) <= 0 ||
        FormatPaperLength(paper.length, units, length, kNumberChars) <= 0)
        return nullptr;
    wchar_t size[kSizeTextChars];
    const int sizeChars = FormatPositional(size, kSizeTextChars, format, width, length, unit);
    const size_t nameChars = paper.name != nullptr ? wcslen(paper.name) : 0;
    auto* text = static_cast<wchar_t*>(GlobalAlloc(GPTR, (nameChars + sizeChars + 1) * sizeof(wchar_t)));
    if (text == nullptr)
        return nullptr;
    if (nameChars != 0)
        wmemcpy(text, paper.name, nameChars);
    wmemcpy(text + nameChars, size, sizeChars);
    return text;
}
