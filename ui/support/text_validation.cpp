#include "ui/support/text_validation.h"

#include "common/constraints/constraint_engine.h"
#include "common/defaults/setting_defaults.h"
#include "common/settings/value_operations.h"
#include "common/system/code_pages.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"
#include "ui/support/ansi_limits.h"
#include "ui/support/number_fields.h"

#include <cctype>
#include <cstring>
#include <string>

namespace {

constexpr int kTableStringChars = 1024;

struct ByteTables {
    GlobalBlockPtr<uint8_t> singleAllowed, doubleAllowed, singleForbidden, doubleForbidden;
};

bool LoadTable(const UINT* ids, GlobalBlockPtr<uint8_t>* table)
{
    if (!ids)
        return true;
    uint8_t* block = nullptr;
    int bytes = 0;
    if (!BuildByteRangeTable(ids, &block, &bytes))
        return false;
    table->reset(block);
    return true;
}

bool InSingleRanges(const uint8_t* table, uint8_t c)
{
    for (; table[0] != 0; table += 2)
        if (c >= table[0] && c <= table[1])
            return true;
    return false;
}

bool InSingles(const uint8_t* table, uint8_t c)
{
    for (; table[0] != 0; ++table)
        if (table[0] == c)
            return true;
    return false;
}

bool InDoubleRanges(const uint8_t* table, uint16_t code)
{
    for (; table[0] != 0; table += 4) {
        const uint16_t first = static_cast<uint16_t>(table[0] << 8 | table[1]);
        const uint16_t last = static_cast<uint16_t>(table[2] << 8 | table[3]);
        if (code >= first && code <= last)
            return true;
    }
    return false;
}

bool InDoubles(const uint8_t* table, uint16_t code)
{
    for (; table[0] != 0; table += 2)
        if (static_cast<uint16_t>(table[0] << 8 | table[1]) == code)
            return true;
    return false;
}

uint16_t DoubleByteSpace()
{
    wchar_t text[32] = {};
    uint8_t bytes[8] = {};
    HMODULE module = GetResourceModule();
    if (!module || LoadStringW(module, kStringDoubleByteSpace, text, 32) <= 0 || ParseHexByteList(text, nullptr) != 2)
        return 0;
    ParseHexByteList(text, bytes);
    return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
}

int Validate(const wchar_t* text, const UINT* singleAllowed, const UINT* doubleAllowed, const UINT* singleForbidden,
             const UINT* doubleForbidden, uint32_t flags, int maxFractionDigits, UINT codePage, bool strict)
{
    if (!text)
        return 0;
    char* converted = nullptr;
    int length = 0;
    const int done = strict ? WideToMultiByteAlloc(text, &converted, &length, codePage)
                            : WideToMultiByteAllocLoose(text, &converted, &length, codePage);
    if (!done)
        return 0;
    GlobalBlockPtr<char> ansi(converted);
    if (length == 0)
        return (flags & kTextEmptyAllowed) ? 1 : 0;
    if (flags & (kNumberSign | kNumberDecimals)) {
        if (!NormalizeNumberText(flags, maxFractionDigits, ansi.get(), &length, ansi.get()))
            return 0;
    }
    ByteTables tables;
    if (!LoadTable(singleAllowed, &tables.singleAllowed) || !LoadTable(doubleAllowed, &tables.doubleAllowed) ||
        !LoadTable(singleForbidden, &tables.singleForbidden) || !LoadTable(doubleForbidden, &tables.doubleForbidden))
        return 0;
    const UINT cp = GetEffectiveCodePage(codePage);
    const uint16_t wideSpace = DoubleByteSpace();
    bool onlySpaces = true;
    const auto* bytes = reinterpret_cast<const uint8_t*>(ansi.get());
    for (int i = 0; i < length;) {
        if (cp != CP_UTF8 && IsDBCSLeadByteEx(cp, bytes[i])) {
            if (i + 1 >= length)
                return 0;
            const uint16_t code = static_cast<uint16_t>(bytes[i] << 8 | bytes[i + 1]);
            if (tables.doubleAllowed && !InDoubleRanges(tables.doubleAllowed.get(), code))
                return 0;
            if (tables.doubleForbidden && InDoubles(tables.doubleForbidden.get(), code))
                return 0;
            if (wideSpace == 0 || code != wideSpace)
                onlySpaces = false;
            i += 2;
            continue;
        }
        const uint8_t c = bytes[i];
        if (tables.singleAllowed && !InSingleRanges(tables.singleAllowed.get(), c))
            return 0;
        if (tables.singleForbidden && InSingles(tables.singleForbidden.get(), c))
            return 0;
        if (!std::isspace(c))
            onlySpaces = false;
        ++i;
    }
    if ((flags & kTextNotOnlySpaces) && onlySpaces)
        return 0;
    return 1;
}

}  // namespace

int BuildByteRangeTable(const UINT* ids, uint8_t** table, int* bytes)
{
    if (!ids || !table)
        return 0;
    *table = nullptr;
    HMODULE module = GetResourceModule();
    if (!module)
        return 0;
    std::wstring joined;
    for (const UINT* id = ids; *id != 0; ++id) {
        wchar_t text[kTableStringChars] = {};
        if (LoadStringW(module, *id, text, kTableStringChars) <= 0)
            return 0;
        joined += text;
        joined += L',';
    }
    joined += L"0,0,0,0";
    const int count = ParseHexByteList(joined.c_str(), nullptr);
    auto block = AllocGlobalBlock<uint8_t>(static_cast<size_t>(count) + 4);
    if (!block)
        return 0;
    ParseHexByteList(joined.c_str(), block.get());
    if (bytes)
        *bytes = count;
    *table = block.release();
    return 1;
}

int ValidateTextCharacters(const wchar_t* text, const UINT* singleAllowed, const UINT* doubleAllowed,
                           const UINT* singleForbidden, const UINT* doubleForbidden, uint32_t flags,
                           int maxFractionDigits, UINT codePage)
{
    return Validate(text, singleAllowed, doubleAllowed, singleForbidden, doubleForbidden, flags, maxFractionDigits,
                    codePage, true);
}

int ValidateTextCharactersA(const wchar_t* text, const UINT* singleAllowed, const UINT* doubleAllowed,
                            const UINT* singleForbidden, const UINT* doubleForbidden, uint32_t flags,
                            int maxFractionDigits, UINT codePage)
{
    return Validate(text, singleAllowed, doubleAllowed, singleForbidden, doubleForbidden, flags, maxFractionDigits,
                    codePage, false);
}

int FilterChangedSettings(uint16_t* ids, uint16_t* count, const uint16_t* compare, const ConstraintContext& now,
                          const ConstraintContext& before)
{
    if (!ids || !count)
        return 0;
    uint16_t kept = 0;
    for (uint16_t i = 0; i < *count; ++i) {
        bool listed = false;
        for (const uint16_t* c = compare; c && *c; ++c)
            listed = listed || *c == ids[i];
        bool keep = true;
        if (listed) {
            uint64_t a = 0, b = 0;
            uint16_t typeA = 0, typeB = 0;
            uint32_t sizeA = 0, sizeB = 0;
            if (GetFunctionIdValue(ids[i], now.settingsRecord, now.printerSettingsRecord, &typeA, &sizeA, &a) != 0 ||
                GetFunctionIdValue(ids[i], before.settingsRecord, before.printerSettingsRecord, &typeB, &sizeB, &b) !=
                    0)
                return 0;
            keep = CompareSettingValues(typeA, &a, &b) != 0;
        }
        if (keep)
            ids[kept++] = ids[i];
    }
    *count = kept;
    return 1;
}
