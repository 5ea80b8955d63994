#include "ui/pages/custom_paper_sizes.h"

#include <winspool.h>

#include "common/context/section_holder.h"
#include "common/context/settings_context.h"
#include "common/model/model_format.h"
#include "common/settings/paper_codes.h"
#include "common/system/module_files.h"
#include "ui/support/ansi_limits.h"

#include <cstdlib>
#include <cwchar>
#include <vector>

int ParseCustomSizeText(const wchar_t* text, wchar_t decimalSign, int unit, int32_t* value)
{
    if (!text || !value)
        return 0;
    const int maxFraction = unit == kUnitInch ? 2 : 1;
    int64_t whole = 0;
    int digits = 0;
    const wchar_t* p = text;
    for (; *p >= L'0' && *p <= L'9'; ++p, ++digits) {
        whole = whole * 10 + (*p - L'0');
        if (whole > 100000)
            return 0;
    }
    if (digits == 0)
        return 0;
    int fraction = 0, fractionDigits = 0;
    if (*p == decimalSign) {
        ++p;
        for (; *p >= L'0' && *p <= L'9'; ++p) {
            if (++fractionDigits > maxFraction)
                return 0;
            fraction = fraction * 10 + (*p - L'0');
        }
        if (fractionDigits == 0)
            return 0;
    }
    if (*p != 0)
        return 0;
    for (int d = fractionDigits; d < maxFraction; ++d)
        fraction *= 10;
    *value = static_cast<int32_t>(whole * (unit == kUnitInch ? 100 : 10) + fraction);
    return 1;
}

int32_t TenthsMmToHundredthsInch(int32_t tenths)
{
    const int64_t x = std::llabs(static_cast<int64_t>(tenths)) * 1000 / 254;
    const int32_t h = static_cast<int32_t>((x + 5) / 10);
    return tenths < 0 ? -h : h;
}

int32_t HundredthsInchToTenthsMm(int32_t hundredths)
{
    const int64_t x = std::llabs(static_cast<int64_t>(hundredths)) * 254 / 10;
    const int32_t t = static_cast<int32_t>((x + 5) / 10);
    return hundredths < 0 ? -t : t;
}

void FormatCustomSize(int32_t tenths, int unit, wchar_t decimalSign, wchar_t* out, size_t chars)
{
    if (!out || chars == 0)
        return;
    if (unit == kUnitInch) {
        const int32_t h = TenthsMmToHundredthsInch(tenths);
        std::swprintf(out, chars, L"%d%lc%d%d", h / 100, decimalSign, (h / 10) % 10, h % 10);
    } else {
        std::swprintf(out, chars, L"%d%lc%d", tenths / 10, decimalSign, tenths % 10);
    }
}

int FormatUserFormName(int n, wchar_t* out, size_t chars)
{
    if (!out || chars == 0 || n < 0 || n >= kCustomPaperCount)
        return 0;
    return FormatUserDefinedName(n, out, static_cast<uint32_t>(chars < 0xFFFF ? chars : 0xFFFF));
}

int CutDisplayName(wchar_t* text, UINT codePage)
{
    int cut = 0;
    TruncateAnsiTextToByteLimit(kDisplayNameBytes, text, &cut, codePage);
    return cut;
}

void ReadCustomPaperForms(HANDLE printer, CustomPaperEntry entries[kCustomPaperCount])
{
    for (int n = 0; n < kCustomPaperCount; ++n) {
        CustomPaperEntry& e = entries[n];
        e = {};
        FormatUserFormName(n, e.formName, kFormNameChars + 1);
        e.width = kUnreadFormWidth;
        e.length = kUnreadFormLength;
        DWORD needed = 0;
        GetFormW(printer, e.formName, 1, nullptr, 0, &needed);
        if (needed < sizeof(FORM_INFO_1W))
            continue;
        std::vector<BYTE> buffer(needed);
        if (!GetFormW(printer, e.formName, 1, buffer.data(), needed, &needed))
            continue;
        const auto* form = reinterpret_cast<const FORM_INFO_1W*>(buffer.data());
        if (form->Size.cx <= 0 || form->Size.cy <= 0 || form->Size.cx / 100 > 0xFFFF || form->Size.cy / 100 > 0xFFFF)
            continue;
        e.width = static_cast<uint16_t>(form->Size.cx / 100);
        e.length = static_cast<uint16_t>(form->Size.cy / 100);
    }
}

int WriteCustomPaperForms(HANDLE printer, const CustomPaperEntry entries[kCustomPaperCount])
{
    int all = 1;
    for (int n = 0; n < kCustomPaperCount; ++n) {
        const CustomPaperEntry& e = entries[n];
        wchar_t name[kFormNameChars + 1] = {};
        std::wcsncpy(name, e.formName, kFormNameChars);
        FORM_INFO_1W form = {};
        form.Flags = FORM_PRINTER;
        form.pName = name;
        form.Size.cx = e.width * 100;
        form.Size.cy = e.length * 100;
        form.ImageableArea = {0, 0, form.Size.cx, form.Size.cy};
        if (!SetFormW(printer, name, 1, reinterpret_cast<BYTE*>(&form)))
            all = 0;
    }
    return all;
}

void ShownCustomRange(uint16_t minimum, uint16_t maximum, int unit, bool tenthsOfInch, int32_t* shownMin,
                      int32_t* shownMax)
{
    if (unit != kUnitInch) {
        *shownMin = minimum;
        *shownMax = maximum;
        return;
    }
    *shownMin = TenthsMmToHundredthsInch(minimum);
    *shownMax = TenthsMmToHundredthsInch(maximum);
    if (tenthsOfInch) {
        *shownMin = (*shownMin + 5) / 10 * 10;
        *shownMax = (*shownMax + 5) / 10 * 10;
    }
}

int CheckCustomSizeText(const wchar_t* text, wchar_t decimalSign, int unit, bool tenthsOfInch, int32_t stored,
                        uint16_t minimum, uint16_t maximum, int32_t* out)
{
    int32_t typed = 0;
    if (!out || !ParseCustomSizeText(text, decimalSign, unit, &typed))
        return kSizeInvalid;
    int32_t shownMin = 0, shownMax = 0;
    ShownCustomRange(minimum, maximum, unit, tenthsOfInch, &shownMin, &shownMax);
    if (stored >= minimum && stored <= maximum) {
        if (typed < shownMin || typed > shownMax)
            return kSizeInvalid;
    } else if (typed < shownMin) {
        return kSizeBelowShown;
    } else if (typed > shownMax) {
        return kSizeAboveShown;
    }
    int32_t value = unit == kUnitInch ? HundredthsInchToTenthsMm(typed) : typed;
    if (value < minimum)
        value = minimum;
    if (value > maximum)
        value = maximum;
    *out = value;
    return kSizeAccepted;
}

bool TurnCustomPaper(CustomPaperEntry* entry)
{
    if (!entry || entry->width <= entry->length)
        return false;
    const uint16_t w = entry->width;
    entry->width = entry->length;
    entry->length = w;
    return true;
}

int LoadCustomPaperLimits(SettingsContext* settings, uint16_t codes[kCustomPaperCount], CustomPaperLimits* limits)
{
    if (!settings || !codes || !limits)
        return 0;
    int found = 0;
    const uint16_t count = GetModelTableCount(settings->main, kKindPaper);
    for (uint16_t position = 1; position <= count && found < kCustomPaperCount; ++position) {
        SectionHolder holder;
        if (LoadModelTable(true, settings->main, settings->linked, kKindPaper, position, holder.out()) != kModelOk)
            continue;
        const PaperSection* p = AsPaper(holder.section);
        if (!p || p->id == kFreeCustomPaperCode || p->minUser.x == p->maxUser.x || p->minUser.y == p->maxUser.y)
            continue;
        codes[found++] = p->id;
        *limits = {p->minUser.x, p->minUser.y, p->maxUser.x, p->maxUser.y};
    }
    return found;
}
