// Loading, closing and raw access of model data files.
#include "common/model/model_data.h"

#include <windows.h>

#include <cstring>

#include "common/model/model_cache.h"
#include "common/system/lock_table.h"

namespace {

uint32_t g_currentFormatVersion;  // guarded by the ModelData lock

void SetCurrentFormatVersion(uint32_t version) {
    RoleLock lock(LockRole::ModelData);
    g_currentFormatVersion = version;
}

bool IsLoaded(const ModelDataRecord* record) {
    return record != nullptr && record->loaded != nullptr && record->buffer != nullptr;
}

// Copies bytes into a new block that the record then holds as its file.
uint16_t AdoptCopy(ModelDataRecord* record, const void* bytes, uint32_t size) {
    auto* copy = static_cast<uint8_t*>(GlobalAlloc(GPTR, size));
    if (copy == nullptr) return kModelNoMemory;
    memcpy(copy, bytes, size);
    record->buffer = copy;
    record->size = size;
    record->cursor = 0;
    record->loaded = copy;
    record->loadedWord = 1;
    return kModelOk;
}

// Copies the whole file into a new zero-filled block. Mapping is only a means to
// read it: the copy outlives the mapping.
uint16_t MapAndCopyFile(const wchar_t* path, ModelDataRecord* record) {
    RoleLock lock(LockRole::ModelData);
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return kModelBad;
    uint16_t status = kModelBad;
    LARGE_INTEGER fileSize{};
    if (GetFileSizeEx(file, &fileSize) && fileSize.QuadPart > 0 && fileSize.QuadPart < 0x7FFFFFFF) {
        HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
        if (mapping != nullptr) {
            const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
            if (view != nullptr) {
                status = AdoptCopy(record, view, static_cast<uint32_t>(fileSize.QuadPart));
                UnmapViewOfFile(view);
            }
            CloseHandle(mapping);
        }
    }
    CloseHandle(file);
    return status;
}

uint32_t ReadBigEndianSigned(const uint8_t* p) {
    int64_t v = static_cast<int8_t>(p[0]);
    for (int i = 1; i < 4; ++i) v = v * 256 + static_cast<int8_t>(p[i]);
    return static_cast<uint32_t>(v);
}

uint32_t ReadLe32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The header, the raw-section length and the directory must lie inside the file:
// the rest is checked at each read.
uint16_t ReadHeader(ModelDataRecord* record) {
    if (record->size < kModelRawStart) return kModelBad;
    const uint8_t* b = record->buffer;
    uint32_t packed = 0;
    if (!ParseModelVersionText(b + kModelVersionTextOffset, &packed)) return kModelBad;
    const uint64_t directoryEnd = uint64_t{kModelRawStart} + ReadLe32(b + kModelRawLengthOffset) +
                                  kModelDirectoryHeadSize + kModelKindCount * kModelDirectoryEntrySize;
    if (directoryEnd > record->size) return kModelBad;
    record->packedVersion = packed;
    record->formatVersion = ReadBigEndianSigned(b + kModelFormatVersionOffset);
    return kModelOk;
}

uint16_t LoadOneFile(const wchar_t* path, ModelDataRecord* record, uint32_t role) {
    uint16_t status = MapAndCopyFile(path, record);
    if (status != kModelOk) return status;
    record->fileRole = role;
    return ReadHeader(record);
}

// The linked file lies beside the main file: the main path cut after its last
// separator, followed by the header's name.
uint16_t LinkedFilePath(const wchar_t* mainPath, const wchar_t* name, wchar_t* out, size_t room) {
    const wchar_t* cut = mainPath;
    for (const wchar_t* p = mainPath; *p; ++p)
        if (*p == L'\\' || *p == L'/') cut = p + 1;
    const size_t dirLen = static_cast<size_t>(cut - mainPath);
    const size_t nameLen = wcslen(name);
    if (dirLen + nameLen + 1 > room) return kModelBad;
    memcpy(out, mainPath, dirLen * sizeof(wchar_t));
    memcpy(out + dirLen, name, (nameLen + 1) * sizeof(wchar_t));
    return kModelOk;
}

// Moves the cursor over count entries of a raw section.
uint16_t SkipRawEntries(ModelDataRecord* record, const RawSectionRow& row, uint32_t count) {
    uint16_t status = kModelOk;
    for (uint32_t k = 0; k < count && status == kModelOk; ++k) {
        if (row.entrySize == kRawEntryString) {
            uint16_t length = 0;
            status = ModelReadU16(record, &length);
            if (status == kModelOk) status = ModelSeekBy(record, length);
        } else {
            status = ModelSeekBy(record, row.entrySize);
        }
    }
    return status;
}

// Walks the raw-section table from offset 224 up to section id; leaves the cursor
// at the section's start (at its u16 count when the count lies in the file).
uint16_t SeekRawSection(ModelDataRecord* record, uint16_t section) {
    if (!IsLoaded(record)) return kModelBad;
    if (section >= kRawSectionEnd) return kModelBad;
    uint16_t status = ModelSeek(record, kModelRawLengthOffset);
    for (const RawSectionRow* row = kRawSectionTable; status == kModelOk; ++row) {
        if (row->id == kRawSectionEnd) return kModelBad;
        if (row->id == section) return kModelOk;
        uint32_t count = row->count;
        if (row->count == kRawCountInFile) {
            uint16_t c = 0;
            status = ModelReadU16(record, &c);
            count = c;
        }
        if (status == kModelOk) status = SkipRawEntries(record, *row, count);
    }
    return status;
}

// Positions the cursor at entry index of the section; *count receives the count.
uint16_t SeekRawEntry(ModelDataRecord* record, uint16_t section, uint16_t index, uint32_t* count) {
    uint16_t status = SeekRawSection(record, section);
    if (status != kModelOk) return status;
    const RawSectionRow& row = kRawSectionTable[section];
    *count = row.count;
    if (row.count == kRawCountInFile) {
        uint16_t c = 0;
        status = ModelReadU16(record, &c);
        *count = c;
    }
    if (status != kModelOk) return status;
    if (index >= *count) return kModelAbsent;
    return SkipRawEntries(record, row, index);
}

}  // namespace

bool ParseModelVersionText(const uint8_t text[kModelVersionTextSize], uint32_t* packed) {
    // The field is not trusted to hold a NUL: every step stops at its end, which
    // counts as a NUL.
    auto at = [&](uint32_t i) -> uint8_t { return i < kModelVersionTextSize ? text[i] : 0; };
    auto digits = [&](uint32_t* i, uint32_t* value) {
        *value = 0;
        while (at(*i) >= '0' && at(*i) <= '9') {
            if (*value <= 0xFFFFF) *value = *value * 10 + (at(*i) - '0');
            ++*i;
        }
    };
    uint32_t i = 0;
    while (at(i) != ':') {
        if (at(i) == 0) return false;
        ++i;
    }
    ++i;
    uint32_t a = 0, b = 0, c = 0;
    digits(&i, &a);
    if (at(i) == 0) return false;
    ++i;
    digits(&i, &b);
    // b ending at the end of the text leaves no room for c.
    if (at(i) == 0) return false;
    ++i;
    if (at(i) == 0) return false;
    digits(&i, &c);
    if (a > 255 || b > 255 || c > 65535) return false;
    *packed = ((a * 256) + b) * 65536 + c;
    return true;
}

bool HasModelDataExtension(const wchar_t* path) {
    if (path == nullptr) return false;
    const wchar_t* dot = wcsrchr(path, L'.');
    if (dot == nullptr) return false;
    const wchar_t* ext = dot + 1;
    return wcslen(ext) == 3 && (ext[0] | 0x20) == L'd' && (ext[1] | 0x20) == L'd' && (ext[2] | 0x20) == L'd';
}

uint16_t LoadModelDataImage(const uint8_t* bytes, uint32_t size, ModelDataRecord* main) {
    if (bytes == nullptr || size == 0 || main == nullptr) return kModelBad;
    uint16_t status = AdoptCopy(main, bytes, size);
    if (status != kModelOk) return status;
    main->fileRole = kModelMainFile;
    status = ReadHeader(main);
    if (status == kModelOk) {
        main->cache = CreateModelSectionCache();
        main->ownsCache = 1;
        if (main->cache == nullptr) status = kModelNoMemory;
    }
    if (status != kModelOk) {
        CloseModelDataRecord(main);
        memset(main, 0, sizeof(*main));
    }
    return status;
}

uint32_t GetCurrentModelFormatVersion() {
    RoleLock lock(LockRole::ModelData);
    return g_currentFormatVersion;
}

uint16_t LoadModelDataFile(const wchar_t* path, ModelDataRecord* main, ModelDataRecord* linked) {
    if (path == nullptr || main == nullptr || linked == nullptr) return kModelBad;
    if (!HasModelDataExtension(path)) return kModelBad;
    // A record that still holds a file would lose it: close it first.
    if (IsLoaded(main) || IsLoaded(linked)) return kModelBad;
    uint16_t status = LoadOneFile(path, main, kModelMainFile);
    if (status == kModelOk) {
        main->cache = CreateModelSectionCache();
        main->ownsCache = 1;
        if (main->cache == nullptr) status = kModelNoMemory;
    }
    if (status == kModelOk && main->buffer[kModelLinkedNameOffset] != 0) {
        char name[kModelNameFieldSize + 1] = {};
        memcpy(name, main->buffer + kModelLinkedNameOffset, kModelNameFieldSize);
        wchar_t wideName[kModelNameFieldSize + 1] = {};
        wchar_t linkedPath[MAX_PATH * 2];
        if (MultiByteToWideChar(CP_ACP, 0, name, -1, wideName, kModelNameFieldSize + 1) == 0)
            status = kModelNoMemory;
        else
            status = LinkedFilePath(path, wideName, linkedPath, MAX_PATH * 2);
        if (status == kModelOk) status = LoadOneFile(linkedPath, linked, kModelLinkedFile);
        if (status == kModelOk) {
            linked->main = main;
            linked->cache = main->cache;
            linked->ownsCache = 0;
        }
    }
    if (status != kModelOk) {
        if (IsLoaded(linked)) CloseModelDataRecord(linked);
        memset(linked, 0, sizeof(*linked));
        if (IsLoaded(main)) CloseModelDataRecord(main);
        FreeModelSectionCache(main->cache);
        memset(main, 0, sizeof(*main));
    }
    SetCurrentFormatVersion(main->formatVersion);
    return status;
}

uint16_t CloseModelDataRecord(ModelDataRecord* record) {
    if (record == nullptr) return kModelBad;
    uint16_t status = kModelBad;
    if (IsLoaded(record)) {
        GlobalFree(record->buffer);
        record->buffer = nullptr;
        record->size = 0;
        record->loaded = nullptr;
        record->loadedWord = 0;
        status = kModelOk;
    }
    if (record->ownsCache) FreeModelSectionCache(record->cache);
    record->cache = nullptr;
    record->ownsCache = 0;
    record->main = nullptr;
    return status;
}

uint16_t CloseModelData(ModelDataRecord* main, ModelDataRecord* linked) {
    uint16_t status = kModelOk;
    // A pair without a linked file is a normal pair: its empty linked record is no error.
    if (IsLoaded(linked)) status |= CloseModelDataRecord(linked);
    status |= CloseModelDataRecord(main);
    return status;
}

uint16_t ModelSeek(ModelDataRecord* record, uint32_t offset) {
    if (!IsLoaded(record) || offset > record->size) return kModelBad;
    record->cursor = offset;
    return kModelOk;
}

uint16_t ModelSeekBy(ModelDataRecord* record, int64_t delta) {
    if (!IsLoaded(record)) return kModelBad;
    const int64_t target = int64_t{record->cursor} + delta;
    if (target < 0 || target > record->size) return kModelBad;
    record->cursor = static_cast<uint32_t>(target);
    return kModelOk;
}

uint16_t ModelReadBytes(ModelDataRecord* record, void* out, uint32_t count) {
    if (!IsLoaded(record) || out == nullptr || count == 0) return kModelBad;
    if (record->cursor > record->size || count > record->size - record->cursor) return kModelBad;
    memcpy(out, record->buffer + record->cursor, count);
    record->cursor += count;
    return kModelOk;
}

uint16_t ModelReadU8(ModelDataRecord* record, uint8_t* out) { return ModelReadBytes(record, out, 1); }

uint16_t ModelReadU16(ModelDataRecord* record, uint16_t* out) {
    uint8_t b[2];
    uint16_t status = ModelReadBytes(record, b, 2);
    if (status == kModelOk && out) *out = static_cast<uint16_t>(b[0] | (b[1] << 8));
    return status;
}

uint16_t ModelReadU32(ModelDataRecord* record, uint32_t* out) {
    uint8_t b[4];
    uint16_t status = ModelReadBytes(record, b, 4);
    if (status == kModelOk && out) *out = ReadLe32(b);
    return status;
}

uint16_t GetModelSectionCount(ModelDataRecord* record, uint16_t section) {
    if (SeekRawSection(record, section) != kModelOk) return 0;
    const RawSectionRow& row = kRawSectionTable[section];
    if (row.count != kRawCountInFile) return row.count;
    uint16_t count = 0;
    return ModelReadU16(record, &count) == kModelOk ? count : 0;
}

uint16_t ReadModelSectionEntry(ModelDataRecord* record, uint16_t section, uint16_t entrySize,
                               uint16_t index, void* buffer) {
    if (buffer == nullptr || section >= kRawSectionEnd) return kModelBad;
    const RawSectionRow& row = kRawSectionTable[section];
    if (row.entrySize == kRawEntryString || entrySize != row.entrySize) return kModelBad;
    uint32_t count = 0;
    uint16_t status = SeekRawEntry(record, section, index, &count);
    if (status != kModelOk) return status;
    return ModelReadBytes(record, buffer, entrySize);
}

uint32_t GetModelSectionNumber(ModelDataRecord* record, uint16_t section, uint16_t entrySize,
                               uint16_t index) {
    if (entrySize < 1 || entrySize > 4) return 0;
    uint8_t b[4] = {};
    if (ReadModelSectionEntry(record, section, entrySize, index, b) != kModelOk) return 0;
    return ReadLe32(b);
}

uint16_t ReadModelSectionString(ModelDataRecord* record, uint16_t section, uint16_t index, wchar_t** out) {
    if (out == nullptr) return kModelBad;
    *out = nullptr;
    if (section >= kRawSectionEnd || kRawSectionTable[section].entrySize != kRawEntryString) return kModelBad;
    uint32_t count = 0;
    uint16_t status = SeekRawEntry(record, section, index, &count);
    if (status == kModelAbsent) return kModelBad;
    if (status != kModelOk) return status;
    uint16_t length = 0;
    status = ModelReadU16(record, &length);
    if (status != kModelOk) return status;
    uint32_t bytes = 0;
    return ReadModelString(record, length, out, &bytes);
}

wchar_t* GetModelSectionStringPtr(ModelDataRecord* record, uint16_t section, uint16_t index) {
    wchar_t* text = nullptr;
    ReadModelSectionString(record, section, index, &text);
    return text;
}

uint16_t GetModelFileName(ModelDataRecord* record, uint16_t n, wchar_t** out) {
    if (out == nullptr) return kModelBad;
    *out = nullptr;
    if (n <= 5) return ReadModelSectionString(record, kRawFileName0 + n, 0, out);
    // File names 12, 13 and 23 have no place in the file.
    if (n <= 11) return ReadModelSectionString(record, kRawFileNames6, n - 6, out);
    if (n >= 14 && n <= 22) return ReadModelSectionString(record, kRawFileNames6, n - 8, out);
    if (n == 24 || n == 25) return ReadModelSectionString(record, kRawFileNames6, n - 9, out);
    return kModelBad;
}

uint16_t GetModelRegistryBase(ModelDataRecord* record, uint16_t which, wchar_t** out) {
    if (out == nullptr) return kModelBad;
    *out = nullptr;
    if (which == 0) return ReadModelSectionString(record, kRawRegistryBase0, 0, out);
    if (which == 1) return ReadModelSectionString(record, kRawRegistryBase1, 0, out);
    return kModelBad;
}

namespace {

// Leaves the cursor at the first entry of the kind's table; *count its count.
uint16_t SeekKindTable(ModelDataRecord* record, uint16_t kind, uint16_t* count) {
    const int place = ModelKindPlace(kind);
    if (place < 0 || !IsLoaded(record)) return kModelBad;
    uint32_t raw = 0, tableOffset = 0;
    uint16_t status = ModelSeek(record, kModelRawLengthOffset);
    if (status == kModelOk) status = ModelReadU32(record, &raw);
    if (status != kModelOk) return status;
    const uint64_t entry = uint64_t{kModelRawStart} + raw + kModelDirectoryHeadSize +
                           uint64_t(place) * kModelDirectoryEntrySize + 3;
    if (entry > record->size) return kModelBad;
    status = ModelSeek(record, static_cast<uint32_t>(entry));
    if (status == kModelOk) status = ModelReadU32(record, &tableOffset);
    if (status == kModelOk) status = ModelSeek(record, tableOffset);
    if (status == kModelOk) status = ModelSeekBy(record, 4);
    if (status == kModelOk) status = ModelReadU16(record, count);
    return status;
}

uint16_t ReadTableEntry(ModelDataRecord* record, uint8_t* fileByte, uint16_t* id, uint32_t* offset) {
    uint16_t status = ModelReadU8(record, fileByte);
    if (status == kModelOk) status = ModelReadU16(record, id);
    if (status == kModelOk) status = ModelReadU32(record, offset);
    return status;
}

}  // namespace

uint16_t FindModelRecordByPosition(ModelDataRecord* record, uint16_t kind, uint16_t position,
                                   uint8_t* fileByte, uint16_t* id, uint32_t* offset) {
    uint16_t count = 0;
    uint16_t status = SeekKindTable(record, kind, &count);
    if (status != kModelOk) return status;
    if (position == 0 || position > count) return kModelAbsent;
    status = ModelSeekBy(record, int64_t{position - 1} * kModelTableEntrySize);
    if (status != kModelOk) return status;
    return ReadTableEntry(record, fileByte, id, offset);
}

uint16_t FindModelRecordById(ModelDataRecord* record, uint16_t kind, uint16_t id, uint8_t* fileByte,
                             uint32_t* offset) {
    uint16_t count = 0;
    uint16_t status = SeekKindTable(record, kind, &count);
    if (status != kModelOk) return status;
    for (uint16_t i = 0; i < count; ++i) {
        uint16_t entryId = 0;
        status = ReadTableEntry(record, fileByte, &entryId, offset);
        if (status != kModelOk) return status;
        if (entryId == id) return kModelOk;
    }
    return kModelAbsent;
}

uint16_t GetModelTableCount(ModelDataRecord* record, uint16_t kind) {
    uint16_t count = 0;
    return SeekKindTable(record, kind, &count) == kModelOk ? count : 0;
}

ModelDataRecord* ModelRecordForFile(ModelDataRecord* main, ModelDataRecord* linked, uint8_t fileByte) {
    ModelDataRecord* record = fileByte == kModelMainFile ? main : linked;
    return IsLoaded(record) ? record : nullptr;
}
