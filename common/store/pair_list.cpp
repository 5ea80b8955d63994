#include "common/store/pair_list.h"

#include "common/system/global_block.h"
#include "common/model/model_data.h"
#include "common/model/model_section.h"
#include "common/store/printer_data.h"

#include <cstring>
#include <cwchar>
#include <vector>

namespace {

// Length of the string at `at` when its terminator lies before `end`, else -1.
long BoundedLength(const wchar_t* at, const wchar_t* end)
{
    for (const wchar_t* p = at; p < end; ++p)
        if (*p == L'\0')
            return static_cast<long>(p - at);
    return -1;
}

struct Pair {
    const wchar_t* key;
    const wchar_t* value;
    const wchar_t* next;
};

// Steps over one pair; false at the end of the list or on a string that runs out.
bool NextPair(const wchar_t* at, const wchar_t* end, Pair& pair, bool& atEnd)
{
    atEnd = false;
    const long keyLength = BoundedLength(at, end);
    if (keyLength < 0)
        return false;
    if (keyLength == 0) {
        atEnd = true;
        return false;
    }
    const wchar_t* value = at + keyLength + 1;
    const long valueLength = BoundedLength(value, end);
    if (valueLength < 0)
        return false;
    pair = {at, value, value + valueLength + 1};
    return true;
}

void Put(wchar_t*& out, const wchar_t* text)
{
    const size_t length = wcslen(text) + 1;
    wmemcpy(out, text, length);
    out += length;
}

}  // namespace

uint32_t PairListSize(const wchar_t* list, uint32_t bytes)
{
    if (!list)
        return 0;
    const wchar_t* end = list + bytes / sizeof(wchar_t);
    const wchar_t* at = list;
    Pair pair;
    bool atEnd = false;
    while (NextPair(at, end, pair, atEnd))
        at = pair.next;
    return atEnd ? static_cast<uint32_t>((at + 1 - list) * sizeof(wchar_t)) : 0;
}

const wchar_t* FindPairListValue(const wchar_t* list, uint32_t bytes, const wchar_t* key)
{
    if (!key || PairListSize(list, bytes) == 0)
        return nullptr;
    const wchar_t* end = list + bytes / sizeof(wchar_t);
    Pair pair;
    bool atEnd = false;
    for (const wchar_t* at = list; NextPair(at, end, pair, atEnd); at = pair.next)
        if (wcscmp(pair.key, key) == 0)
            return pair.value;
    return nullptr;
}

wchar_t* SetPairListValue(const wchar_t* list, uint32_t bytes, const wchar_t* key, const wchar_t* value,
                          uint32_t* newBytes)
{
    if (newBytes)
        *newBytes = 0;
    const uint32_t size = PairListSize(list, bytes);
    if (!key || !*key || size == 0)
        return nullptr;
    if (value && wcslen(key) + wcslen(value) + 2 > kPairListMaxPairChars)
        return nullptr;
    const uint32_t extra = value ? static_cast<uint32_t>((wcslen(key) + wcslen(value) + 2) * sizeof(wchar_t)) : 0;
    GlobalBlockPtr<uint8_t> block = AllocGlobalBlock<uint8_t>(size + extra);
    if (!block)
        return nullptr;
    wchar_t* out = reinterpret_cast<wchar_t*>(block.get());
    const wchar_t* end = list + size / sizeof(wchar_t);
    bool found = false;
    Pair pair;
    bool atEnd = false;
    for (const wchar_t* at = list; NextPair(at, end, pair, atEnd); at = pair.next) {
        if (!found && wcscmp(pair.key, key) == 0) {
            found = true;
            if (!value)
                continue;
            Put(out, pair.key);
            Put(out, value);
            continue;
        }
        Put(out, pair.key);
        Put(out, pair.value);
    }
    if (!found && value) {
        Put(out, key);
        Put(out, value);
    }
    *out++ = L'\0';
    if (newBytes)
        *newBytes = static_cast<uint32_t>(reinterpret_cast<uint8_t*>(out) - block.get());
    return reinterpret_cast<wchar_t*>(block.release());
}

wchar_t* ReadFontSubstitutionTable(HANDLE printer, uint32_t* bytes)
{
    if (bytes)
        *bytes = 0;
    const ChunkedValueNames& names = kPrinterDataTableNames[kFontSubstitutionTable];
    uint8_t* block = nullptr;
    uint32_t size = 0;
    if (!ReadChunkedPrinterData(printer, &block, &size, names.stem, names.sizeName))
        return nullptr;
    GlobalBlockPtr<uint8_t> owned(block);
    if (PairListSize(reinterpret_cast<wchar_t*>(block), size) == 0)
        return nullptr;
    if (bytes)
        *bytes = size;
    return reinterpret_cast<wchar_t*>(owned.release());
}

int StoreFontSubstitutionTable(HANDLE printer, const wchar_t* list, uint32_t bytes)
{
    const uint32_t size = PairListSize(list, bytes);
    return size != 0 && WritePrinterDataTable(printer, list, size, kFontSubstitutionTable);
}

wchar_t* BuildFontSubstitutionList(ModelDataRecord* main, ModelDataRecord* linked, uint32_t* bytes)
{
    if (bytes)
        *bytes = 0;
    if (!main)
        return nullptr;
    std::vector<wchar_t> list;
    for (uint16_t position = 1;; ++position) {
        ModelSection* section = nullptr;
        const uint16_t status = LoadModelTable(false, main, linked, kKindFont, position, &section);
        if (status == kModelAbsent)
            break;
        const FontSection* font = status == kModelOk ? AsFont(section) : nullptr;
        if (!font) {
            FreeModelSection(&section, kKindFont);
            return nullptr;
        }
        for (const std::wstring& listed : font->names1) {
            if (listed.empty())
                break;  // an empty name would end the list early
            list.insert(list.end(), listed.begin(), listed.end());
            list.push_back(L'\0');
            list.insert(list.end(), font->name.begin(), font->name.end());
            list.push_back(L'\0');
        }
        FreeModelSection(&section, kKindFont);
    }
    list.push_back(L'\0');
    const uint32_t size = static_cast<uint32_t>(list.size() * sizeof(wchar_t));
    GlobalBlockPtr<uint8_t> block = AllocGlobalBlock<uint8_t>(size);
    if (!block)
        return nullptr;
    std::memcpy(block.get(), list.data(), size);
    if (bytes)
        *bytes = size;
    return reinterpret_cast<wchar_t*>(block.release());
}

wchar_t* GetFontSubstitutionTable(HANDLE printer, ModelDataRecord* main, ModelDataRecord* linked, uint32_t* bytes)
{
    if (wchar_t* stored = ReadFontSubstitutionTable(printer, bytes))
        return stored;
    return BuildFontSubstitutionList(main, linked, bytes);
}

int GetOrBuildFontSubstitutionTable(HANDLE printer, ModelDataRecord* main, ModelDataRecord* linked)
{
    uint32_t size = 0;
    if (ReadPrinterDataTable(printer, kFontSubstitutionTable, nullptr, &size))
        return 1;
    uint32_t bytes = 0;
    GlobalBlockPtr<wchar_t> built(BuildFontSubstitutionList(main, linked, &bytes));
    return built && StoreFontSubstitutionTable(printer, built.get(), bytes);
}
