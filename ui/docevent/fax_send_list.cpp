#include "ui/docevent/fax_send_list.h"

#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/job/fax_temp_files.h"
#include "common/model/model_data.h"
#include "common/records/effective_values.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/store/settings_blobs.h"
#include "common/system/global_block.h"
#include "ui/entry/document_properties.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr uint16_t kFidNoDestinationsAsked = 381;
constexpr uint16_t kRegistryBaseUser = 1;
// The print-time sheet asked for the fax destinations: prompt, copy, and the
// fax destination page alone.
constexpr DWORD kFaxDestinationSheetMode = 14;
constexpr wchar_t kPipePrefix[] = L"\\\\.\\pipe\\";
// The shared address file is recognised by the first 13 bytes of its tag.
constexpr size_t kTagProbeBytes = 13;

struct FileCloser {
    void operator()(HANDLE file) const { CloseHandle(file); }
};

// The recipients from the newest on, as the list's chain holds them; empty when
// an entry is missing.
bool CollectNewestFirst(KeyedList* list, int count, std::vector<const uint8_t*>& out)
{
    out.clear();
    KeyedListNode* next = nullptr;
    void* data = GetFirstKeyedListData(list, &next);
    for (int i = 0; i < count; ++i) {
        if (!data)
            return false;
        out.push_back(static_cast<const uint8_t*>(data));
        data = next ? GetNextKeyedListData(next, &next) : nullptr;
    }
    return true;
}

bool SharedAddressFileIsTagged()
{
    FILE* file = _wfopen(kKeptFaxAddressFile, L"rb");
    if (!file)
        return false;
    uint8_t head[kTagProbeBytes] = {};
    const bool tagged =
        std::fread(head, 1, sizeof head, file) == sizeof head && std::memcmp(head, kFaxSendListTag, sizeof head) == 0;
    std::fclose(file);
    return tagged;
}

// The blob store of the printer, with the model's per-user base path for the
// per-user mode.
struct BlobStoreOfContext {
    SettingsBlobStore store{};
    wchar_t* basePath = nullptr;
    BlobStoreOfContext(HANDLE printer, SettingsContext* context)
    {
        if (context && context->main)
            GetModelRegistryBase(context->main, kRegistryBaseUser, &basePath);
        store = SettingsBlobStore{printer, basePath};
    }
    ~BlobStoreOfContext()
    {
        if (basePath)
            GlobalFree(basePath);
    }
    BlobStoreOfContext(const BlobStoreOfContext&) = delete;
    BlobStoreOfContext& operator=(const BlobStoreOfContext&) = delete;
};

}  // namespace

FaxDestinations* CreateFaxDestinations()
{
    GlobalBlockPtr<FaxDestinations> record = AllocGlobalBlock<FaxDestinations>(sizeof(FaxDestinations));
    if (!record)
        return nullptr;
    record->recipients = CreateKeyedList();
    if (!record->recipients)
        return nullptr;
    return record.release();
}

int FreeFaxDestinations(FaxDestinations* record)
{
    if (!record)
        return 1;
    for (int32_t i = GetKeyedListCount(record->recipients) - 1; i >= 0; --i) {
        if (void* data = GetKeyedListDataAt(record->recipients, i))
            GlobalFree(data);
        RemoveKeyedListNodeAt(record->recipients, i);
    }
    FreeKeyedList(&record->recipients);
    GlobalFree(record);
    return 1;
}

int PackFaxSendList(int count, FaxDestinations* record, uint8_t* block)
{
    if (!record || !block || count < 0 || count > 0xFFFF)
        return 0;
    FaxSendListHeader header{};
    std::memcpy(header.tag, kFaxSendListTag, sizeof header.tag);
    header.count = static_cast<uint16_t>(count);
    std::wmemcpy(header.headerText1, record->headerText1, 41);
    std::wmemcpy(header.headerText2, record->headerText2, 671);
    header.headerText1[40] = L'\0';
    header.headerText2[670] = L'\0';
    std::memcpy(block, &header, sizeof header);
    if (count == 0)
        return 1;
    std::vector<const uint8_t*> newestFirst;
    if (!CollectNewestFirst(record->recipients, count, newestFirst))
        return 0;
    uint8_t* slot = block + kFaxSendListHeaderBytes;
    for (auto entry = newestFirst.rbegin(); entry != newestFirst.rend(); ++entry, slot += kFaxRecipientBytes)
        std::memcpy(slot, *entry, kFaxRecipientBytes);
    return 1;
}

int UnpackFaxSendList(const uint8_t* block, uint32_t size, FaxDestinations* record)
{
    FaxSendListHeader header;
    if (!record || FaxSendListSize(block, size) != size || !CopyFaxSendListHeader(block, size, &header))
        return 0;
    // A list from outside may fill its texts to the last unit.
    std::wmemcpy(record->headerText1, header.headerText1, 40);
    std::wmemcpy(record->headerText2, header.headerText2, 670);
    record->headerText1[40] = L'\0';
    record->headerText2[670] = L'\0';
    for (uint32_t i = 0; i < header.count; ++i) {
        GlobalBlockPtr<FaxRecipientRecord> copy = AllocGlobalBlock<FaxRecipientRecord>(kFaxRecipientBytes);
        if (!copy || !CopyFaxRecipient(block, size, i, copy.get()) ||
            !InsertKeyedListNode(record->recipients, 0, kAnyKey2, copy.get()))
            return 0;
        copy.release();
    }
    return 1;
}

int StoreFaxSendList(HANDLE printer, SettingsContext* context, const wchar_t* fileName, int mode,
                     FaxDestinations* record, const FaxStoreBlobs& blobs)
{
    if ((!printer && !fileName) || !blobs.privatePart)
        return 0;
    GlobalBlockPtr<uint8_t> list;
    uint32_t listSize = 0;
    if (record) {
        const int32_t count = GetKeyedListCount(record->recipients);
        if (count < 0 || count > 0xFFFF)
            return 0;
        listSize = FaxSendListBytes(static_cast<uint32_t>(count));
        list = AllocGlobalBlock<uint8_t>(listSize);
        if (!list || !PackFaxSendList(count, record, list.get()))
            return 0;
    }
    BlobStoreOfContext holder(printer, context);
    return SaveSettingsBlobs(holder.store, fileName, mode, list.get(), listSize, blobs.privatePart, blobs.tmb,
                             blobs.tmbSize, blobs.sp, blobs.spSize);
}

int RestoreFaxDestinations(HANDLE printer, SettingsContext* context, const wchar_t* fileName, int mode,
                           FaxDestinations* record, uint8_t* privatePart, uint8_t** tmb, uint32_t* tmbSize,
                           uint8_t** sp, uint32_t* spSize)
{
    if ((!printer && !fileName) || !privatePart)
        return 0;
    BlobStoreOfContext holder(printer, context);
    uint8_t* list = nullptr;
    if (!LoadSettingsBlobs(holder.store, fileName, mode, record ? &list : nullptr, privatePart, tmb, tmbSize, sp,
                           spSize))
        return 0;
    if (!list)
        return 1;
    GlobalBlockPtr<uint8_t> owned(list);
    // The loader gives out only a list of exactly the size its count gives.
    return UnpackFaxSendList(owned.get(), FaxSendListSize(owned.get(), 0xFFFFFFFF), record);
}

bool IsUsableFileName(const wchar_t* name)
{
    constexpr int kPrefixChars = static_cast<int>(sizeof kPipePrefix / sizeof kPipePrefix[0]) - 1;
    return name && name[0] != L'\0' && _wcsnicmp(name, kPipePrefix, kPrefixChars) != 0;
}

int ResolveFaxAddressFile(HANDLE printer, uint8_t* jobSettings, void* printerSettings, const wchar_t* documentName)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (!jobSettings ||
        GetFunctionIdValue(kFidFaxAddressFile, jobSettings, printerSettings, &type, &size, &holder) != kSettingOk ||
        type != kTypeString)
        return -1;
    // The setting's own storage in the job settings: the name is fixed there.
    auto* file = reinterpret_cast<wchar_t*>(static_cast<uintptr_t>(holder));
    const uint32_t room = size / sizeof(wchar_t);
    if (room == 0)
        return -1;
    if (SharedAddressFileIsTagged()) {
        std::wcsncpy(file, kKeptFaxAddressFile, room);
        file[room - 1] = L'\0';
    }
    if (!IsUsableFileName(file) || GetFileAttributesW(file) == INVALID_FILE_ATTRIBUTES)
        std::wmemset(file, L'\0', room);
    if (file[0] != L'\0')
        return 1;
    if (SettingNumberOr(kFidNoDestinationsAsked, jobSettings, printerSettings, 0) == 1)
        return 1;
    GlobalBlockPtr<uint8_t> copy = AllocGlobalBlock<uint8_t>(kSettingsRecordSize);
    if (!copy)
        return -1;
    std::memcpy(copy.get(), jobSettings, kSettingsRecordSize);
    const LONG answer = RunPrintTimeDocumentProperties(
        GetActiveWindow(), printer, documentName, reinterpret_cast<DEVMODEW*>(copy.get()),
        reinterpret_cast<DEVMODEW*>(jobSettings), kFaxDestinationSheetMode);
    if (answer != 1)
        return -1;
    std::memcpy(jobSettings, copy.get(), kSettingsRecordSize);
    return 1;
}

int ImportFaxAddressFile(void* jobSettings, void* printerSettings, FaxAddressData* out)
{
    if (!out || !jobSettings)
        return -1;
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (QueryEffectiveValue(kFidFaxAddressFile, jobSettings, printerSettings, &type, &size, &holder) != kEffectiveOk ||
        type != kTypeString)
        return -1;
    const auto* stored = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(holder));
    const size_t room = size / sizeof(wchar_t);
    std::wstring name(stored, wcsnlen(stored, room));
    if (!IsUsableFileName(name.c_str()) || name.size() >= std::size(out->fileName))
        return -1;
    std::unique_ptr<void, FileCloser> file(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return -1;
    }
    LARGE_INTEGER fileSize{};
    if (!GetFileSizeEx(file.get(), &fileSize) || fileSize.QuadPart < kFaxSendListHeaderBytes ||
        fileSize.QuadPart > FaxSendListBytes(0xFFFF))
        return -1;
    const uint32_t bytes = static_cast<uint32_t>(fileSize.QuadPart);
    GlobalBlockPtr<uint8_t> data = AllocGlobalBlock<uint8_t>(bytes);
    DWORD read = 0;
    if (!data || !ReadFile(file.get(), data.get(), bytes, &read, nullptr) || read != bytes ||
        FaxSendListSize(data.get(), bytes) != bytes)
        return -1;
    out->data = data.release();
    out->size = bytes;
    std::wmemset(out->fileName, L'\0', std::size(out->fileName));
    std::wmemcpy(out->fileName, name.c_str(), name.size());
    return 1;
}
