// A caller's records for the DMA_ interface: the data set with its settings
// record, printer settings record, fax send list header and entry lists.
#pragma once
#include "access/dma_interface.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/store/settings_blobs.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <vector>

struct DmaRecords {
    std::vector<uint8_t> settings = std::vector<uint8_t>(kSettingsRecordSize);
    std::vector<uint8_t> printer = std::vector<uint8_t>(kPrinterSettingsRecordSize);
    std::vector<uint8_t> faxHeader = std::vector<uint8_t>(kFaxSendListHeaderBytes);
    DmaDataSet set{};

    DmaRecords()
    {
        set.settingsRecord = settings.data();
        set.printerSettingsRecord = printer.data();
        set.faxSendListHeader = faxHeader.data();
    }

    // Writes a number through the engine, as the driver would have stored it.
    void SetNumber(uint16_t id, uint16_t type, uint32_t size, uint64_t value)
    {
        ASSERT_EQ(SetFunctionIdValue(id, settings.data(), printer.data(), type, size, &value), kSettingOk) << id;
    }
    void SetText(uint16_t id, const wchar_t* text)
    {
        uint64_t holder = reinterpret_cast<uintptr_t>(text);
        ASSERT_EQ(SetFunctionIdValue(id, settings.data(), printer.data(), kTypeString,
                                     static_cast<uint32_t>((wcslen(text) + 1) * 2), &holder),
                  kSettingOk)
            << id;
    }
    const wchar_t* Text(uint16_t id)
    {
        uint16_t type = 0;
        uint32_t size = 0;
        uint64_t holder = 0;
        if (GetFunctionIdValue(id, settings.data(), printer.data(), &type, &size, &holder) != kSettingOk)
            return nullptr;
        return reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(holder));
    }
};

// One caller-held list of entries of one kind.
struct DmaEntryList {
    std::vector<uint8_t> flags;
    std::vector<uint8_t> entries;
    uint32_t stride;

    DmaEntryList(uint32_t count, uint32_t entrySize) : flags(count), entries(count * entrySize), stride(entrySize) {}
    void Attach(DmaEntrySet* set)
    {
        set->count = static_cast<uint32_t>(flags.size());
        set->entrySize = stride;
        set->flags = flags.data();
        set->entries = entries.data();
    }
    uint8_t* Entry(size_t index) { return entries.data() + index * stride; }
};

// Memory whose last byte is followed by a page that cannot be read: a reader
// that goes past the bytes it was given faults.
class GuardedBytes {
public:
    explicit GuardedBytes(size_t size)
    {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        page_ = info.dwPageSize;
        pages_ = (size + page_ - 1) / page_ + 1;
        base_ = static_cast<uint8_t*>(VirtualAlloc(nullptr, pages_ * page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        VirtualProtect(base_ + (pages_ - 1) * page_, page_, PAGE_NOACCESS, &old);
        data_ = base_ + (pages_ - 1) * page_ - size;
    }
    ~GuardedBytes() { VirtualFree(base_, 0, MEM_RELEASE); }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;
    uint8_t* data() { return data_; }

private:
    size_t page_ = 0;
    size_t pages_ = 0;
    uint8_t* base_ = nullptr;
    uint8_t* data_ = nullptr;
};
