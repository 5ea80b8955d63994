#include "common/store/paper_margins.h"

#include "common/store/printer_data.h"
#include "common/store/user_store.h"
#include "common/system/global_block.h"

#include <cstring>
#include <cwchar>
#include <string>

namespace {

// out[i] = stored[kOrder[orientation - 1][i]]; each rule is its own inverse.
constexpr int kOrder[2][4] = {
    {0, 1, 3, 2},  // portrait
    {2, 3, 0, 1},  // landscape
};

bool ValidOrientation(int orientation)
{
    return orientation == kOrientationPortrait || orientation == kOrientationLandscape;
}

void ValueName(wchar_t (&name)[8], uint16_t paper)
{
    swprintf(name, 8, L"%u", unsigned{paper});
}

int CreateEmptyKey(const wchar_t* path)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return 0;
    RegCloseKey(key);
    return 1;
}

}  // namespace

PaperMarginList* LoadPaperMarginList(HANDLE printer)
{
    GlobalBlockPtr<PaperMarginList> list = AllocGlobalBlock<PaperMarginList>(sizeof(PaperMarginList));
    if (!list)
        return nullptr;
    const ChunkedValueNames& names = kPrinterDataTableNames[kPaperMarginTable];
    uint8_t* block = nullptr;
    uint32_t size = 0;
    if (printer && ReadChunkedPrinterData(printer, &block, &size, names.stem, names.sizeName)) {
        // Only whole entries count; a partial one at the end is dropped.
        const uint32_t count = size / sizeof(PaperMarginEntry);
        if (count) {
            list->entries = reinterpret_cast<PaperMarginEntry*>(block);
            list->count = count;
            list->bytes = count * sizeof(PaperMarginEntry);
        } else {
            GlobalFree(block);
        }
    }
    return list.release();
}

int SavePaperMarginList(HANDLE printer, const PaperMarginList* list)
{
    if (!list || !list->entries || list->count == 0)
        return kMarginBadArgument;
    return WritePrinterDataTable(printer, list->entries, list->count * sizeof(PaperMarginEntry), kPaperMarginTable)
               ? kMarginOk
               : kMarginWriteFailed;
}

int FreePaperMarginList(PaperMarginList* list)
{
    if (!list)
        return kMarginNotFound;
    if (list->entries)
        GlobalFree(list->entries);
    GlobalFree(list);
    return kMarginOk;
}

int FindPaperMargins(const PaperMarginList* list, uint16_t paper, PaperMarginRecord* margins)
{
    if (!list || !margins || !list->entries)
        return kMarginNotFound;
    for (uint32_t i = 0; i < list->count; ++i) {
        if (list->entries[i].paper == paper) {
            *margins = list->entries[i].margins;
            return kMarginOk;
        }
    }
    return kMarginNotFound;
}

int SetPaperMarginsInList(PaperMarginList* list, uint16_t paper, const PaperMarginRecord& margins)
{
    if (!list)
        return kMarginNotFound;
    for (uint32_t i = 0; list->entries && i < list->count; ++i) {
        if (list->entries[i].paper == paper) {
            list->entries[i].margins = margins;
            return kMarginOk;
        }
    }
    const uint32_t count = list->count + 1;
    GlobalBlockPtr<PaperMarginEntry> grown = AllocGlobalBlock<PaperMarginEntry>(count * sizeof(PaperMarginEntry));
    if (!grown)
        return kMarginNoMemory;
    if (list->entries)
        std::memcpy(grown.get(), list->entries, list->count * sizeof(PaperMarginEntry));
    grown.get()[count - 1] = PaperMarginEntry{paper, 0, margins};
    if (list->entries)
        GlobalFree(list->entries);
    list->entries = grown.release();
    list->count = count;
    list->bytes = count * sizeof(PaperMarginEntry);
    return kMarginOk;
}

int AddPaperMargins(PaperMarginList* list, uint16_t paper, const uint32_t* margins, int orientation)
{
    PaperMarginRecord stored;
    const int turned = RotateMargins(kMarginsToStored, orientation, &stored, const_cast<uint32_t*>(margins));
    return turned == kMarginOk ? SetPaperMarginsInList(list, paper, stored) : turned;
}

int GetDefaultPaperMargins(PaperMarginRecord* margins)
{
    if (!margins)
        return kMarginNotFound;
    for (uint32_t& margin : margins->margin)
        margin = kDefaultPaperMargin;
    return kMarginOk;
}

int GetOrientedDefaultMargins(uint32_t* margins, int orientation)
{
    PaperMarginRecord defaults;
    GetDefaultPaperMargins(&defaults);
    return RotateMargins(kMarginsFromStored, orientation, &defaults, margins);
}

int RotateMargins(int direction, int orientation, PaperMarginRecord* stored, uint32_t* oriented)
{
    if (!stored || !oriented || !ValidOrientation(orientation) ||
        (direction != kMarginsToStored && direction != kMarginsFromStored))
        return kMarginBadArgument;
    const int* order = kOrder[orientation - 1];
    for (int i = 0; i < 4; ++i) {
        if (direction == kMarginsFromStored)
            oriented[i] = stored->margin[order[i]];
        else
            stored->margin[order[i]] = oriented[i];
    }
    return kMarginOk;
}

int OpenUserPaperMarginKey(HANDLE printer, const wchar_t* basePath, const wchar_t* machinePath, HKEY* key,
                           wchar_t** path)
{
    if (!key)
        return kMarginNotFound;
    *key = nullptr;
    if (path)
        *path = nullptr;
    wchar_t keyPath[kUserKeyPathChars];
    if (!BuildPrinterUserKeyPath(printer, basePath, kPaperMarginSubkey, keyPath, kUserKeyPathChars))
        return kMarginNotFound;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath, 0, KEY_READ | KEY_WRITE, key) != ERROR_SUCCESS) {
        if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, key, nullptr) !=
            ERROR_SUCCESS)
            return kMarginKeyNotCreatable;
        if (machinePath) {
            const std::wstring seedPath = std::wstring(machinePath) + kPaperMarginSubkey;
            HKEY seed = nullptr;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, seedPath.c_str(), 0, KEY_READ, &seed) == ERROR_SUCCESS) {
                CopyRegistryKeyTree(*key, seed);
                RegCloseKey(seed);
            }
        }
    }
    if (path) {
        const size_t bytes = (wcslen(keyPath) + 1) * sizeof(wchar_t);
        GlobalBlockPtr<wchar_t> copy = AllocGlobalBlock<wchar_t>(bytes);
        if (!copy) {
            RegCloseKey(*key);
            *key = nullptr;
            return kMarginNoMemory;
        }
        std::memcpy(copy.get(), keyPath, bytes);
        *path = copy.release();
    }
    return kMarginOk;
}

int ReadCustomPaperMargins(HANDLE printer, const wchar_t* basePath, const wchar_t* machinePath, uint16_t paper,
                           PaperMarginRecord* margins)
{
    if (!margins)
        return kMarginNotFound;
    HKEY key = nullptr;
    const int opened = OpenUserPaperMarginKey(printer, basePath, machinePath, &key, nullptr);
    if (opened != kMarginOk)
        return opened;
    wchar_t name[8];
    ValueName(name, paper);
    PaperMarginEntry entry;
    DWORD size = sizeof entry;
    const LONG r = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&entry), &size);
    RegCloseKey(key);
    // A value of another size is not one of ours and counts as missing.
    if (r != ERROR_SUCCESS || size != sizeof entry)
        return kMarginValueMissing;
    *margins = entry.margins;
    return kMarginOk;
}

int WriteUserPaperMargins(HANDLE printer, const wchar_t* basePath, const wchar_t* machinePath, uint16_t paper,
                          const PaperMarginRecord& margins)
{
    HKEY key = nullptr;
    const int opened = OpenUserPaperMarginKey(printer, basePath, machinePath, &key, nullptr);
    if (opened != kMarginOk)
        return opened;
    RegCloseKey(key);
    wchar_t name[8];
    ValueName(name, paper);
    const PaperMarginEntry entry = {paper, 0, margins};
    return WriteUserValue(printer, basePath, &entry, sizeof entry, REG_BINARY, kPaperMarginSubkey, name)
               ? kMarginOk
               : kMarginWriteFailed;
}

int WriteCustomPaperMargins(HANDLE printer, const wchar_t* basePath, uint16_t paper, const uint32_t* margins,
                            const wchar_t* machinePath, int orientation)
{
    PaperMarginRecord stored;
    const int turned = RotateMargins(kMarginsToStored, orientation, &stored, const_cast<uint32_t*>(margins));
    return turned == kMarginOk ? WriteUserPaperMargins(printer, basePath, machinePath, paper, stored) : turned;
}

int ResetPaperMarginStore(HANDLE printer, const wchar_t* basePath, bool perUser, const wchar_t* machinePath)
{
    (void)machinePath;  // the emptied key is not seeded again
    if (!perUser)
        return DeletePrinterDataTable(printer, kPaperMarginTable) ? kMarginOk : kMarginNotFound;
    wchar_t keyPath[kUserKeyPathChars];
    if (!BuildPrinterUserKeyPath(printer, basePath, kPaperMarginSubkey, keyPath, kUserKeyPathChars))
        return kMarginNotFound;
    RegDeleteTreeW(HKEY_CURRENT_USER, keyPath);
    return CreateEmptyKey(keyPath) ? kMarginOk : kMarginKeyNotCreatable;
}

int GetPaperMargins(HANDLE printer, const wchar_t* basePath, uint16_t paper, uint32_t* margins,
                    const wchar_t* machinePath, const PaperMarginList* list, bool usePerUser, int orientation)
{
    if (!margins)
        return kMarginNotFound;
    if (!ValidOrientation(orientation))
        return kMarginBadArgument;
    PaperMarginRecord stored;
    if (!(usePerUser && ReadCustomPaperMargins(printer, basePath, machinePath, paper, &stored) == kMarginOk) &&
        FindPaperMargins(list, paper, &stored) != kMarginOk)
        GetDefaultPaperMargins(&stored);
    return RotateMargins(kMarginsFromStored, orientation, &stored, margins);
}
