#include "common/store/settings_blobs.h"

#include "common/records/record_defaults.h"
#include "common/store/printer_data.h"
#include "common/store/user_store.h"
#include "common/system/global_block.h"

#include <cstring>

namespace {

const ChunkedValueNames kPrivateBlobNames = {L"N_DevSize", L"N_Dev"};
const ChunkedValueNames kTmbBlobNames = {L"TMBInfoSize", L"TMBInfo"};
const ChunkedValueNames kSpBlobNames = {L"SPInfoSize", L"SPInfo"};
const ChunkedValueNames kFaxListNames = {L"FaxSendListSize", L"FaxSendList"};

// A settings file larger than this is not read: the three sections and a fax
// send list of the largest recipient count stay well below it.
constexpr uint32_t kMaxSettingsFileBytes = 64u << 20;


struct Cursor {
    const uint8_t* at;
    size_t left;

    void Advance(size_t bytes)
    {
        at += bytes;
        left -= bytes;
    }
};

bool TagEquals(const uint8_t* field, const wchar_t* tag, int units)
{
    return std::memcmp(field, tag, units * sizeof(wchar_t)) == 0;
}

// Every length is checked against the bytes left before it is used.
int ParsePrivateSection(Cursor& cursor, uint8_t* privatePart, const SettingsBlobStore* store)
{
    PrivateSectionHeader header;
    if (cursor.left < sizeof header)
        return 0;
    std::memcpy(&header, cursor.at, sizeof header);
    if (!TagEquals(cursor.at, kPrivateSectionTag, 8) || header.version > kPrivatePartVersion ||
        header.length > kPrivatePartSize || cursor.left - sizeof header < header.length)
        return 0;
    if (header.version < kPrivatePartVersion) {
        // An older, shorter private part is laid over the printer's defaults;
        // without a printer (a settings file) there are none to lay it over.
        if (!store || !store->printer)
            return 0;
        const PrivateDefaultsFn defaults = store->privateDefaults ? store->privateDefaults : &GetDefaultPrivateSettings;
        if (!defaults(store->printer, privatePart))
            return 0;
    }
    std::memcpy(privatePart, cursor.at + sizeof header, header.length);
    cursor.Advance(sizeof header + header.length);
    const uint16_t version = kPrivatePartVersion;
    std::memcpy(privatePart, &version, sizeof version);
    return 1;
}

int ParseDataSection(Cursor& cursor, const wchar_t* tag, int tagUnits, GlobalBlockPtr<uint8_t>& data, uint32_t& size)
{
    DataSectionHeader header;
    if (cursor.left < sizeof header)
        return 0;
    std::memcpy(&header, cursor.at, sizeof header);
    if (!TagEquals(cursor.at, tag, tagUnits) || cursor.left - sizeof header < header.size)
        return 0;
    data.reset();
    size = header.size;
    if (header.size) {
        data = AllocGlobalBlock<uint8_t>(header.size);
        if (!data)
            return 0;
        std::memcpy(data.get(), cursor.at + sizeof header, header.size);
    }
    cursor.Advance(sizeof header + header.size);
    return 1;
}

// The list must fill exactly the bytes that are left.
int ParseFaxList(Cursor& cursor, GlobalBlockPtr<uint8_t>& list)
{
    const uint32_t size = FaxSendListSize(cursor.at, cursor.left);
    if (size == 0 || size != cursor.left)
        return 0;
    list = AllocGlobalBlock<uint8_t>(size);
    if (!list)
        return 0;
    std::memcpy(list.get(), cursor.at, size);
    cursor.Advance(size);
    return 1;
}

StoredRead ReadStoreBlob(const SettingsBlobStore& store, int mode, const ChunkedValueNames& names, GlobalBlockPtr<uint8_t>& blob,
                  uint32_t& size)
{
    blob.reset();
    size = 0;
    if (!store.printer)
        return StoredRead::kError;
    if (mode == kBlobsInPrinterData) {
        uint32_t stored = 0;
        if (!ReadChunkedPrinterDataSize(store.printer, names.sizeName, &stored) || stored == kChunkedSizeRewriting)
            return StoredRead::kNotStored;
        uint8_t* block = nullptr;
        if (!ReadChunkedPrinterData(store.printer, &block, &size, names.stem, names.sizeName))
            return StoredRead::kError;
        blob.reset(block);
        return StoredRead::kRead;
    }
    if (mode != kBlobsPerUser)
        return StoredRead::kError;
    DWORD stored = 0;
    uint32_t storedSize = sizeof stored;
    StoredRead status = ReadUserValueInto(store.printer, store.userBasePath, nullptr, names.sizeName, &stored, &storedSize);
    if (status != StoredRead::kRead)
        return status == StoredRead::kNotStored ? StoredRead::kNotStored : StoredRead::kError;
    if (storedSize != sizeof stored)
        return StoredRead::kError;
    if (stored == kChunkedSizeRewriting)
        return StoredRead::kNotStored;
    uint8_t* block = nullptr;
    status = ReadUserValue(store.printer, store.userBasePath, nullptr, names.stem, &block, &size);
    blob.reset(block);
    if (status == StoredRead::kNotStored)
        return StoredRead::kNotStored;
    // The blob and its size are two values: a blob of another size is from an
    // interrupted write and is not taken.
    if (status != StoredRead::kRead || size != stored) {
        blob.reset();
        size = 0;
        return StoredRead::kError;
    }
    return StoredRead::kRead;
}

// Both modes keep the printer-data rule: the size value is marked while the
// blob is rewritten, so an interrupted write reads as absent, never as a blob
// of the old size holding new bytes.
int WriteStoreBlob(const SettingsBlobStore& store, int mode, const ChunkedValueNames& names, const uint8_t* blob,
                   uint32_t size)
{
    if (!store.printer)
        return 0;
    if (mode == kBlobsInPrinterData)
        return WriteChunkedPrinterData(store.printer, blob, size, names.stem, names.sizeName);
    if (mode != kBlobsPerUser)
        return 0;
    const DWORD marked = kChunkedSizeRewriting;
    const DWORD stored = size;
    return WriteUserValue(store.printer, store.userBasePath, &marked, sizeof marked, REG_DWORD, nullptr,
                          names.sizeName) &&
           WriteUserValue(store.printer, store.userBasePath, blob, size, REG_BINARY, nullptr, names.stem) &&
           WriteUserValue(store.printer, store.userBasePath, &stored, sizeof stored, REG_DWORD, nullptr,
                          names.sizeName);
}

int DeleteStoreBlob(const SettingsBlobStore& store, int mode, const ChunkedValueNames& names)
{
    if (mode == kBlobsInPrinterData)
        return DeleteChunkedPrinterData(store.printer, names.stem, names.sizeName);
    // The size value first: without it the blob reads as not stored.
    DeleteUserValue(store.printer, store.userBasePath, nullptr, names.sizeName);
    DeleteUserValue(store.printer, store.userBasePath, nullptr, names.stem);
    GlobalBlockPtr<uint8_t> left;
    uint32_t size = 0;
    return ReadStoreBlob(store, mode, names, left, size) == StoredRead::kNotStored;
}

// A section as it was before a save, to be put back when the save fails.
struct StoredSection {
    StoredRead status = StoredRead::kNotStored;
    GlobalBlockPtr<uint8_t> blob;
    uint32_t size = 0;
};

// A section that was not readable before cannot be put back byte for byte: it
// is left absent, which is how it read.
int RestoreStoreBlob(const SettingsBlobStore& store, int mode, const ChunkedValueNames& names,
                     const StoredSection& previous)
{
    if (previous.status == StoredRead::kRead)
        return WriteStoreBlob(store, mode, names, previous.blob.get(), previous.size);
    return DeleteStoreBlob(store, mode, names);
}

// Header and data of a TMBINFO or SPINFO section in one new block.
GlobalBlockPtr<uint8_t> BuildDataSection(const wchar_t* tag, const uint8_t* data, uint32_t size)
{
    GlobalBlockPtr<uint8_t> blob = AllocGlobalBlock<uint8_t>(sizeof(DataSectionHeader) + size);
    if (!blob)
        return blob;
    DataSectionHeader header = {};
    std::memcpy(header.tag, tag, sizeof header.tag);
    header.size = size;
    std::memcpy(blob.get(), &header, sizeof header);
    if (size)
        std::memcpy(blob.get() + sizeof header, data, size);
    return blob;
}

GlobalBlockPtr<uint8_t> BuildPrivateSection(const uint8_t* privatePart, uint32_t length, const uint8_t* faxList,
                                uint32_t faxSize, uint32_t& size)
{
    size = sizeof(PrivateSectionHeader) + length + (faxList ? faxSize : 0);
    GlobalBlockPtr<uint8_t> blob = AllocGlobalBlock<uint8_t>(size);
    if (!blob)
        return blob;
    PrivateSectionHeader header = {};
    std::memcpy(header.tag, kPrivateSectionTag, sizeof header.tag);
    header.version = kPrivatePartVersion;
    header.length = length;
    std::memcpy(blob.get(), &header, sizeof header);
    std::memcpy(blob.get() + sizeof header, privatePart, length);
    if (faxList)
        std::memcpy(blob.get() + sizeof header + length, faxList, faxSize);
    return blob;
}

int WriteDataSection(const SettingsBlobStore& store, int mode, const ChunkedValueNames& names, const wchar_t* tag,
                     const uint8_t* data, uint32_t size)
{
    if ((data && size == 0) || (!data && size))
        return 0;
    GlobalBlockPtr<uint8_t> blob = BuildDataSection(tag, data, size);
    return blob && WriteStoreBlob(store, mode, names, blob.get(), sizeof(DataSectionHeader) + size);
}

int ReadDataSection(const SettingsBlobStore& store, int mode, const ChunkedValueNames& names, const wchar_t* tag,
                    int tagUnits, uint8_t** data, uint32_t* size)
{
    if (!data || !size)
        return 0;
    *data = nullptr;
    *size = 0;
    GlobalBlockPtr<uint8_t> blob;
    uint32_t blobSize = 0;
    const StoredRead status = ReadStoreBlob(store, mode, names, blob, blobSize);
    if (status == StoredRead::kNotStored)
        return 1;
    if (status != StoredRead::kRead)
        return 0;
    Cursor cursor = {blob.get(), blobSize};
    GlobalBlockPtr<uint8_t> section;
    uint32_t sectionSize = 0;
    if (!ParseDataSection(cursor, tag, tagUnits, section, sectionSize))
        return 0;
    *data = section.release();
    *size = sectionSize;
    return 1;
}

// The fax list block given with a blob: a null list has size 0, a list has the
// size its count gives.
bool FaxListFits(const uint8_t* list, uint32_t size)
{
    if (!list)
        return true;
    return size != 0 && FaxSendListSize(list, size) == size;
}

bool BlockFits(const uint8_t* block, uint32_t size)
{
    return !(block && size == 0);
}

int WriteAll(HANDLE file, const void* data, uint32_t size)
{
    DWORD written = 0;
    return size == 0 || (WriteFile(file, data, size, &written, nullptr) && written == size);
}

struct FileHandle {
    HANDLE h;
    ~FileHandle()
    {
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
};

// The parsed sections, given out only when all of them parsed.
struct LoadedSections {
    GlobalBlockPtr<uint8_t> faxList;
    GlobalBlockPtr<uint8_t> tmb;
    uint32_t tmbSize = 0;
    GlobalBlockPtr<uint8_t> sp;
    uint32_t spSize = 0;
};

int HandOut(LoadedSections& loaded, uint8_t** faxList, uint8_t** tmb, uint32_t* tmbSize, uint8_t** sp,
            uint32_t* spSize)
{
    if (faxList)
        *faxList = loaded.faxList.release();
    if (tmb) {
        *tmb = loaded.tmb.release();
        *tmbSize = loaded.tmbSize;
    }
    if (sp) {
        *sp = loaded.sp.release();
        *spSize = loaded.spSize;
    }
    return 1;
}

void ClearOuts(uint8_t** faxList, uint8_t** tmb, uint32_t* tmbSize, uint8_t** sp, uint32_t* spSize)
{
    if (faxList)
        *faxList = nullptr;
    if (tmb)
        *tmb = nullptr;
    if (tmbSize)
        *tmbSize = 0;
    if (sp)
        *sp = nullptr;
    if (spSize)
        *spSize = 0;
}

}  // namespace

uint32_t FaxSendListSize(const uint8_t* list, size_t available)
{
    if (!list || available < kFaxSendListHeaderBytes || !TagEquals(list, kFaxSendListTag, 8))
        return 0;
    uint16_t count = 0;
    std::memcpy(&count, list + kFaxSendListCountOffset, sizeof count);
    return kFaxSendListHeaderBytes + kFaxRecipientBytes * uint32_t{count};
}

int WritePrivateSection(const SettingsBlobStore& store, int mode, const uint8_t* privatePart, uint32_t length,
                        const uint8_t* faxList, uint32_t faxSize)
{
    if (!privatePart || length > kPrivatePartSize || !FaxListFits(faxList, faxSize))
        return 0;
    uint32_t size = 0;
    GlobalBlockPtr<uint8_t> blob = BuildPrivateSection(privatePart, length, faxList, faxSize, size);
    return blob && WriteStoreBlob(store, mode, kPrivateBlobNames, blob.get(), size);
}

int WriteTmbSection(const SettingsBlobStore& store, int mode, const uint8_t* data, uint32_t size)
{
    return WriteDataSection(store, mode, kTmbBlobNames, kTmbSectionTag, data, size);
}

int WriteSpSection(const SettingsBlobStore& store, int mode, const uint8_t* data, uint32_t size)
{
    return WriteDataSection(store, mode, kSpBlobNames, kSpSectionTag, data, size);
}

int ReadPrivateSection(const SettingsBlobStore& store, int mode, uint8_t* privatePart, uint8_t** faxList)
{
    if (faxList)
        *faxList = nullptr;
    if (!privatePart)
        return 0;
    GlobalBlockPtr<uint8_t> blob;
    uint32_t blobSize = 0;
    if (ReadStoreBlob(store, mode, kPrivateBlobNames, blob, blobSize) != StoredRead::kRead)
        return 0;
    uint8_t parsed[kPrivatePartSize];
    std::memcpy(parsed, privatePart, sizeof parsed);
    Cursor cursor = {blob.get(), blobSize};
    if (!ParsePrivateSection(cursor, parsed, &store))
        return 0;
    GlobalBlockPtr<uint8_t> list;
    if (faxList && cursor.left > 0 && !ParseFaxList(cursor, list))
        return 0;
    std::memcpy(privatePart, parsed, sizeof parsed);
    if (faxList)
        *faxList = list.release();
    return 1;
}

int ReadTmbSection(const SettingsBlobStore& store, int mode, uint8_t** data, uint32_t* size)
{
    return ReadDataSection(store, mode, kTmbBlobNames, kTmbSectionTag, 8, data, size);
}

int ReadSpSection(const SettingsBlobStore& store, int mode, uint8_t** data, uint32_t* size)
{
    return ReadDataSection(store, mode, kSpBlobNames, kSpSectionTag, 7, data, size);
}

int SaveSettingsBlobs(const SettingsBlobStore& store, const wchar_t* fileName, int mode, const uint8_t* faxList,
                      uint32_t faxSize, const uint8_t* privatePart, const uint8_t* tmb, uint32_t tmbSize,
                      const uint8_t* sp, uint32_t spSize)
{
    if (!privatePart || !BlockFits(faxList, faxSize) || !BlockFits(tmb, tmbSize) || !BlockFits(sp, spSize))
        return 0;
    if (fileName)
        return WriteSettingsFile(fileName, faxList, faxSize, privatePart, kPrivatePartSize, tmb, tmbSize, sp, spSize);
    if (!store.printer || (mode != kBlobsInPrinterData && mode != kBlobsPerUser))
        return 0;
    // The three sections belong together: when one cannot be written, every
    // section written or begun gets its previous blob back (or is removed when
    // it had none), so that a failed save leaves the previous settings rather
    // than a mixture. The same rule holds in every mode.
    const ChunkedValueNames* const names[] = {&kPrivateBlobNames, &kTmbBlobNames, &kSpBlobNames};
    StoredSection previous[3];
    for (int i = 0; i < 3; ++i)
        previous[i].status = ReadStoreBlob(store, mode, *names[i], previous[i].blob, previous[i].size);
    int begun = 1;  // sections whose values the save has touched
    if (WritePrivateSection(store, mode, privatePart, kPrivatePartSize, faxList, faxSize)) {
        begun = 2;
        if (WriteTmbSection(store, mode, tmb, tmb ? tmbSize : 0)) {
            begun = 3;
            if (WriteSpSection(store, mode, sp, sp ? spSize : 0))
                return 1;
        }
    }
    for (int i = 0; i < begun; ++i)
        RestoreStoreBlob(store, mode, *names[i], previous[i]);
    return 0;
}

int LoadSettingsBlobs(const SettingsBlobStore& store, const wchar_t* fileName, int mode, uint8_t** faxList,
                      uint8_t* privatePart, uint8_t** tmb, uint32_t* tmbSize, uint8_t** sp, uint32_t* spSize)
{
    ClearOuts(faxList, tmb, tmbSize, sp, spSize);
    if (!privatePart || (tmb && !tmbSize) || (sp && !spSize))
        return 0;
    if (fileName)
        return ReadSettingsFile(fileName, faxList, privatePart, tmb, tmbSize, sp, spSize);

    uint8_t parsed[kPrivatePartSize];
    std::memcpy(parsed, privatePart, sizeof parsed);
    LoadedSections loaded;
    uint8_t* list = nullptr;
    uint8_t* tmbBlock = nullptr;
    uint8_t* spBlock = nullptr;
    const int ok = ReadPrivateSection(store, mode, parsed, faxList ? &list : nullptr);
    loaded.faxList.reset(list);
    if (!ok || !ReadTmbSection(store, mode, &tmbBlock, &loaded.tmbSize))
        return 0;
    loaded.tmb.reset(tmbBlock);
    if (!ReadSpSection(store, mode, &spBlock, &loaded.spSize))
        return 0;
    loaded.sp.reset(spBlock);
    std::memcpy(privatePart, parsed, sizeof parsed);
    return HandOut(loaded, faxList, tmb, tmbSize, sp, spSize);
}

int WriteSettingsFile(const wchar_t* fileName, const uint8_t* faxList, uint32_t faxSize, const uint8_t* privatePart,
                      uint32_t length, const uint8_t* tmb, uint32_t tmbSize, const uint8_t* sp, uint32_t spSize)
{
    if (!fileName || !privatePart || length > kPrivatePartSize || !BlockFits(tmb, tmbSize) ||
        !BlockFits(sp, spSize) || !FaxListFits(faxList, faxSize))
        return 0;
    uint32_t privateSize = 0;
    GlobalBlockPtr<uint8_t> privateSection = BuildPrivateSection(privatePart, length, nullptr, 0, privateSize);
    GlobalBlockPtr<uint8_t> tmbSection = BuildDataSection(kTmbSectionTag, tmb, tmb ? tmbSize : 0);
    GlobalBlockPtr<uint8_t> spSection = BuildDataSection(kSpSectionTag, sp, sp ? spSize : 0);
    if (!privateSection || !tmbSection || !spSection)
        return 0;
    FileHandle file{CreateFileW(fileName, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (file.h == INVALID_HANDLE_VALUE)
        return 0;
    return WriteAll(file.h, privateSection.get(), privateSize) &&
           WriteAll(file.h, tmbSection.get(), sizeof(DataSectionHeader) + (tmb ? tmbSize : 0)) &&
           WriteAll(file.h, spSection.get(), sizeof(DataSectionHeader) + (sp ? spSize : 0)) &&
           (!faxList || WriteAll(file.h, faxList, faxSize));
}

int ReadSettingsFile(const wchar_t* fileName, uint8_t** faxList, uint8_t* privatePart, uint8_t** tmb,
                     uint32_t* tmbSize, uint8_t** sp, uint32_t* spSize)
{
    ClearOuts(faxList, tmb, tmbSize, sp, spSize);
    if (!fileName || !privatePart || (tmb && !tmbSize) || (sp && !spSize))
        return 0;
    FileHandle file{CreateFileW(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr)};
    if (file.h == INVALID_HANDLE_VALUE)
        return 0;
    LARGE_INTEGER fileSize = {};
    if (!GetFileSizeEx(file.h, &fileSize) || fileSize.QuadPart < static_cast<LONGLONG>(sizeof(PrivateSectionHeader)) ||
        fileSize.QuadPart > kMaxSettingsFileBytes)
        return 0;
    const DWORD size = static_cast<DWORD>(fileSize.QuadPart);
    GlobalBlockPtr<uint8_t> content = AllocGlobalBlock<uint8_t>(size);
    DWORD read = 0;
    if (!content || !ReadFile(file.h, content.get(), size, &read, nullptr) || read != size)
        return 0;

    uint8_t parsed[kPrivatePartSize];
    std::memcpy(parsed, privatePart, sizeof parsed);
    LoadedSections loaded;
    Cursor cursor = {content.get(), size};
    if (!ParsePrivateSection(cursor, parsed, nullptr) ||
        !ParseDataSection(cursor, kTmbSectionTag, 8, loaded.tmb, loaded.tmbSize) ||
        !ParseDataSection(cursor, kSpSectionTag, 7, loaded.sp, loaded.spSize))
        return 0;
    if (faxList && cursor.left > 0 && !ParseFaxList(cursor, loaded.faxList))
        return 0;
    std::memcpy(privatePart, parsed, sizeof parsed);
    return HandOut(loaded, faxList, tmb, tmbSize, sp, spSize);
}

uint8_t* FetchFaxSendList(HANDLE printer, uint32_t size, const uint8_t* list, uint16_t* count)
{
    if (count)
        *count = 0;
    GlobalBlockPtr<uint8_t> copy;
    uint32_t copySize = 0;
    if (list) {
        if (size < kFaxSendListHeaderBytes)
            return nullptr;
        copy = AllocGlobalBlock<uint8_t>(size);
        if (!copy)
            return nullptr;
        std::memcpy(copy.get(), list, size);
        copySize = size;
    } else {
        uint8_t* stored = nullptr;
        if (!ReadChunkedPrinterData(printer, &stored, &copySize, kFaxListNames.stem, kFaxListNames.sizeName))
            return nullptr;
        copy.reset(stored);
    }
    if (!FaxListFits(copy.get(), copySize))
        return nullptr;
    if (count)
        std::memcpy(count, copy.get() + kFaxSendListCountOffset, sizeof *count);
    return copy.release();
}

int WriteFaxSendList(HANDLE printer, const wchar_t* fileName, const uint8_t* list, uint32_t size)
{
    if (!list || !FaxListFits(list, size))
        return 0;
    if (!fileName)
        return WriteChunkedPrinterData(printer, list, size, kFaxListNames.stem, kFaxListNames.sizeName);
    FileHandle file{CreateFileW(fileName, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
    return file.h != INVALID_HANDLE_VALUE && WriteAll(file.h, list, size);
}

int FreeFaxSendList(uint8_t* list)
{
    if (list)
        GlobalFree(list);
    return 1;
}
