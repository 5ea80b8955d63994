#include "access/dma_doc_prop.h"

#include "access/dma_items.h"
#include "access/dma_text.h"

#include "common/store/settings_blobs.h"

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr uint16_t kDocPropFileItem = 374;
constexpr uint16_t kOneTimeFileItem = 375;

// A document-property file larger than this is not read: the blocks and a fax
// send list of the largest recipient count stay well below it.
constexpr uint64_t kMaxDocPropBytes = 64ull << 20;

// The SPINFO tag is compared on its seven units, terminator included.
constexpr size_t kSpTagBytes = 7 * sizeof(wchar_t);

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

FileHandle OpenFile(const std::wstring& name, bool write)
{
    HANDLE handle = write ? CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                        nullptr)
                          : CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    return FileHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

// The file name a setting holds; false when it cannot be read.
bool FileNameOf(const DmaDataSet* set, uint16_t itemId, std::wstring* name)
{
    DmaItem item;
    if (ResolveSettingItem(set, itemId, &item) != kDmaOk || !IsStringType(item.type))
        return false;
    const auto* text = reinterpret_cast<const wchar_t*>(item.layout.address);
    name->assign(text, wcsnlen(text, item.layout.room / sizeof(wchar_t)));
    return true;
}

bool WriteBlock(HANDLE file, const DmaBlockBuffer& block)
{
    if (!block.data || block.size == 0)
        return true;
    DWORD written = 0;
    return WriteFile(file, block.data, block.size, &written, nullptr) && written == block.size;
}

// Writes the blocks in file order; a file left half written is removed.
int WriteBlocks(const std::wstring& name, std::initializer_list<const DmaBlockBuffer*> blocks, int createFailed,
                int writeFailed)
{
    FileHandle file = OpenFile(name, true);
    if (!file)
        return createFailed;
    for (const DmaBlockBuffer* block : blocks)
        if (!WriteBlock(file.get(), *block)) {
            file.reset();
            DeleteFileW(name.c_str());
            return writeFailed;
        }
    return kDmaOk;
}

struct BlockSpan {
    size_t offset;
    size_t size;  // 0: absent
};

uint32_t ReadU32(const uint8_t* at)
{
    uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

}  // namespace

int SplitDocPropImage(const uint8_t* image, size_t size, DocPropBuffers* buffers)
{
    if ((!image && size != 0) || !buffers)
        return kDmaFailed;
    size_t at = 0;
    BlockSpan privateBlock{}, tmbBlock{}, spBlock{}, faxBlock{};

    if (size >= sizeof(PrivateSectionHeader)) {
        PrivateSectionHeader header;
        std::memcpy(&header, image, sizeof header);
        const uint64_t blockSize = uint64_t{header.length} + sizeof header;
        if (std::memcmp(header.tag, kPrivateSectionTag, sizeof header.tag) != 0 ||
            header.version != kPrivatePartVersion || blockSize > size)
            return kDmaBadImage;
        privateBlock = {0, static_cast<size_t>(blockSize)};
        at = privateBlock.size;
    }
    const auto dataBlock = [&](const wchar_t* tag, size_t tagBytes, BlockSpan* block) {
        if (size - at < sizeof(DataSectionHeader))
            return true;
        const uint64_t blockSize = uint64_t{ReadU32(image + at + offsetof(DataSectionHeader, size))} +
                                   sizeof(DataSectionHeader);
        if (std::memcmp(image + at, tag, tagBytes) != 0 || blockSize > size - at)
            return false;
        *block = {at, static_cast<size_t>(blockSize)};
        at += block->size;
        return true;
    };
    if (!dataBlock(kTmbSectionTag, sizeof kTmbSectionTag, &tmbBlock) ||
        !dataBlock(kSpSectionTag, kSpTagBytes, &spBlock))
        return kDmaBadImage;
    if (size - at >= kFaxSendListHeaderBytes) {
        const uint32_t listSize = FaxSendListSize(image + at, size - at);
        if (listSize == 0 || listSize > size - at)
            return kDmaBadImage;
        faxBlock = {at, listSize};
    }

    const auto fits = [](const DmaBlockBuffer& buffer, const BlockSpan& block) {
        return buffer.data && buffer.size >= block.size;
    };
    const bool copy = fits(buffers->privateBlock, privateBlock) && fits(buffers->tmbBlock, tmbBlock) &&
                      fits(buffers->spBlock, spBlock) && (faxBlock.size == 0 || fits(buffers->faxBlock, faxBlock));
    const std::pair<DmaBlockBuffer*, BlockSpan> blocks[] = {
        {&buffers->privateBlock, privateBlock}, {&buffers->tmbBlock, tmbBlock},
        {&buffers->faxBlock, faxBlock},         {&buffers->spBlock, spBlock}};
    for (const auto& [buffer, block] : blocks) {
        if (copy && block.size != 0)
            std::memcpy(buffer->data, image + block.offset, block.size);
        buffer->size = static_cast<uint32_t>(block.size);
    }
    return copy ? kDmaOk : kDmaSizeAnswered;
}

extern "C" {

int DMA_ExtractDocPropEx(DmaDataSet* set, DocPropBuffers* buffers)
{
    if (!set || !buffers || !buffers->privateBlock.data || !buffers->tmbBlock.data || !buffers->spBlock.data)
        return kDmaFailed;
    std::wstring name;
    if (!FileNameOf(set, kDocPropFileItem, &name))
        return kDmaFailed;
    if (name.empty())
        return kDmaOk;
    return WriteBlocks(name, {&buffers->privateBlock, &buffers->tmbBlock, &buffers->spBlock, &buffers->faxBlock},
                       kDmaFileOpen, kDmaFileWrite);
}

int DMA_ExtractDocProp(DmaDataSet* set, DocPropBuffers* buffers)
{
    return DMA_ExtractDocPropEx(set, buffers);
}

int DMA_ExtractOneTimeEx(DmaDataSet* set, DocPropBuffers* buffers)
{
    if (!set || !buffers || !buffers->faxBlock.data)
        return kDmaFailed;
    std::wstring name;
    if (!FileNameOf(set, kOneTimeFileItem, &name))
        return kDmaFailed;
    if (name.empty())
        return kDmaOk;
    return WriteBlocks(name, {&buffers->faxBlock}, kDmaOneTimeCreate, kDmaOneTimeWrite);
}

int DMA_ExtractOneTime(DmaDataSet* set, DocPropBuffers* buffers)
{
    return DMA_ExtractOneTimeEx(set, buffers);
}

int DMA_ReplaceDocProp(DmaDataSet* set, DocPropBuffers* buffers)
{
    if (!set || !buffers)
        return kDmaFailed;
    std::wstring name;
    if (!FileNameOf(set, kDocPropFileItem, &name))
        return kDmaFailed;
    if (name.empty())
        return kDmaOk;
    FileHandle file = OpenFile(name, false);
    if (!file)
        return kDmaFileOpen;
    LARGE_INTEGER fileSize{};
    if (!GetFileSizeEx(file.get(), &fileSize) || fileSize.QuadPart < 0 ||
        static_cast<uint64_t>(fileSize.QuadPart) > kMaxDocPropBytes)
        return kDmaFileRead;
    std::vector<uint8_t> image(static_cast<size_t>(fileSize.QuadPart));
    DWORD read = 0;
    if (!image.empty() &&
        (!ReadFile(file.get(), image.data(), static_cast<DWORD>(image.size()), &read, nullptr) || read != image.size()))
        return kDmaFileRead;
    return SplitDocPropImage(image.data(), image.size(), buffers);
}

}  // extern "C"
