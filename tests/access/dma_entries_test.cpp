// Entry lists beside the settings and document-property files.
#include "access/dma_doc_prop.h"
#include "access/dma_interface.h"
#include "common/store/settings_blobs.h"
#include "tests/access/dma_test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kStampSize = 308;

void NameStamp(uint8_t* entry, const wchar_t* name)
{
    std::memset(entry, 0, 66);
    std::memcpy(entry, name, (wcslen(name) + 1) * sizeof(wchar_t));
}

TEST(DmaEntries, StampsByNameAcrossDeletion)
{
    DmaRecords r;
    DmaEntryList stamps(3, kStampSize);
    stamps.Attach(&r.set.entrySets[kDmaEntrySetStamps]);
    NameStamp(stamps.Entry(0), L"Copy");
    NameStamp(stamps.Entry(1), L"Secret");
    std::memcpy(stamps.Entry(1) + 66, L"TOP SECRET", 22);  // 299, the text
    stamps.flags = {1, 1, 0};

    ASSERT_EQ(DMA_AccessibleData(&r.set, 2, "Secret"), kDmaOk);
    EXPECT_STREQ(r.Text(297), L"Secret");
    EXPECT_STREQ(r.Text(299), L"TOP SECRET");
    EXPECT_EQ(DMA_AccessibleData(&r.set, 2, "secret"), kDmaNoEntry);  // names match exactly

    ASSERT_EQ(DMA_DeleteData(&r.set, 2, "Secret"), kDmaOk);
    EXPECT_EQ(stamps.flags[1], kDmaEntryDeleted);
    EXPECT_EQ(DMA_AccessibleData(&r.set, 2, "Secret"), kDmaNoEntry);
    EXPECT_EQ(DMA_DeleteData(&r.set, 2, "Secret"), kDmaOk);  // deleted entries are found for deletion

    // Capturing into the deleted entry finds it again and marks it in use.
    r.SetText(299, L"RESTRICTED");
    ASSERT_EQ(DMA_ApplyData(&r.set, 2, 0, "Secret"), kDmaOk);
    EXPECT_EQ(stamps.flags[1], kDmaEntryInUse);
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(stamps.Entry(1) + 66)), L"RESTRICTED");
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(stamps.Entry(1))), L"Secret");

    // Mode 1 takes the last entry whatever its flag, and names it.
    ASSERT_EQ(DMA_ApplyData(&r.set, 2, 1, "Fresh"), kDmaOk);
    EXPECT_EQ(stamps.flags[2], kDmaEntryInUse);
    uint32_t size = 0;
    EXPECT_EQ(DMA_GetNameFromInfo(stamps.Entry(2), 2, &size, nullptr), kDmaSizeAnswered);
    EXPECT_EQ(size, 6u);
    char name[8] = {};
    EXPECT_EQ(DMA_GetNameFromInfo(stamps.Entry(2), 2, &size, name), kDmaOk);
    EXPECT_STREQ(name, "Fresh");

    // A name that does not fit its field leaves the entry as it was.
    EXPECT_EQ(DMA_ApplyData(&r.set, 2, 0, std::string(40, 'x').c_str()), kDmaNoEntry);
    const std::vector<uint8_t> kept(stamps.Entry(0), stamps.Entry(0) + kStampSize);
    r.set.entrySets[kDmaEntrySetStamps].count = 1;
    EXPECT_EQ(DMA_ApplyData(&r.set, 2, 1, std::string(40, 'x').c_str()), kDmaFailed);
    EXPECT_EQ(std::vector<uint8_t>(stamps.Entry(0), stamps.Entry(0) + kStampSize), kept);
}

TEST(DmaEntries, ResultsOfKindsAndModes)
{
    DmaRecords r;
    DmaEntryList stamps(1, kStampSize);
    stamps.Attach(&r.set.entrySets[kDmaEntrySetStamps]);
    EXPECT_EQ(DMA_ApplyData(&r.set, 2, 2, "x"), kDmaUnknownMode);
    EXPECT_EQ(DMA_DeleteData(&r.set, 5, "x"), kDmaUnknownTarget);
    EXPECT_EQ(DMA_AccessibleData(&r.set, 6, "x"), kDmaUnknownTarget);
    EXPECT_EQ(DMA_GetNameFromInfo(stamps.Entry(0), 5, nullptr, nullptr), kDmaUnknownTarget);

    // A stride that cannot hold the record is refused before any entry is touched.
    r.set.entrySets[kDmaEntrySetStamps].entrySize = kStampSize - 1;
    EXPECT_EQ(DMA_ApplyData(&r.set, 2, 1, "x"), kDmaFailed);
    EXPECT_EQ(DMA_DeleteData(&r.set, 2, "x"), kDmaFailed);
}

TEST(DmaEntries, MarginsByPaperNumber)
{
    DmaRecords r;
    r.SetNumber(7, kTypeS16, 2, 1);  // portrait
    DmaEntryList margins(2, 20);
    margins.Attach(&r.set.entrySets[kDmaEntrySetMargins]);
    r.SetNumber(1827, kTypeS32, 4, 11);
    r.SetNumber(1828, kTypeS32, 4, 22);
    r.SetNumber(1826, kTypeS32, 4, 33);
    r.SetNumber(1825, kTypeS32, 4, 44);

    for (const char* bad : {"0", "70000", "a9", "", "123456"})
        EXPECT_EQ(DMA_ApplyData(&r.set, 4, 1, bad), kDmaFailed) << bad;
    EXPECT_EQ(margins.flags[1], 0);
    ASSERT_EQ(DMA_ApplyData(&r.set, 4, 1, "297"), kDmaOk);
    uint16_t paper = 0;
    std::memcpy(&paper, margins.Entry(1), 2);
    EXPECT_EQ(paper, 297);
    EXPECT_EQ(DMA_ApplyData(&r.set, 4, 0, "298"), kDmaNoMargin);

    char name[8] = {};
    uint32_t size = sizeof name;
    EXPECT_EQ(DMA_GetNameFromInfo(margins.Entry(1), 4, &size, name), kDmaOk);
    EXPECT_STREQ(name, "297");

    // Round trip through the stored order: the values come back where they were.
    for (uint16_t id : {1825, 1826, 1827, 1828})
        r.SetNumber(id, kTypeS32, 4, 0);
    ASSERT_EQ(DMA_AccessibleData(&r.set, 4, "297"), kDmaOk);
    uint64_t holder = 0;
    uint16_t type = 0;
    uint32_t bytes = 0;
    for (const auto& [id, want] : {std::pair<uint16_t, int32_t>{1827, 11}, {1828, 22}, {1826, 33}, {1825, 44}}) {
        ASSERT_EQ(GetFunctionIdValue(id, r.settings.data(), r.printer.data(), &type, &bytes, &holder), kSettingOk);
        EXPECT_EQ(static_cast<int32_t>(holder), want) << id;
    }
    EXPECT_EQ(DMA_DeleteData(&r.set, 4, "297"), kDmaOk);
    EXPECT_EQ(DMA_AccessibleData(&r.set, 4, "297"), kDmaNoMargin);
}

TEST(DmaEntries, RecipientsByPosition)
{
    DmaRecords r;
    DmaEntryList recipients(2, 742);
    recipients.Attach(&r.set.entrySets[kDmaEntrySetRecipients]);
    const auto position = [](uintptr_t p) { return reinterpret_cast<const char*>(p); };
    r.SetText(1795, L"+41 44 000 00 00");
    EXPECT_EQ(DMA_ApplyData(&r.set, 5, 0, position(1)), kDmaNoRecipient);  // a free entry
    ASSERT_EQ(DMA_ApplyData(&r.set, 5, 1, nullptr), kDmaOk);
    EXPECT_EQ(recipients.flags[1], kDmaEntryInUse);
    EXPECT_EQ(std::memcmp(r.faxHeader.data(), L"SMRX001", 16), 0);
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(recipients.Entry(1) + 2)), L"+41 44 000 00 00");

    r.SetText(1795, L"");
    for (uintptr_t bad : {0u, 1u, 3u})
        EXPECT_EQ(DMA_AccessibleData(&r.set, 5, position(bad)), kDmaNoRecipient) << bad;
    ASSERT_EQ(DMA_AccessibleData(&r.set, 5, position(2)), kDmaOk);
    EXPECT_STREQ(r.Text(1795), L"+41 44 000 00 00");
}

// --- Document-property files ---------------------------------------------------

std::vector<uint8_t> PrivateBlock(uint32_t length, uint32_t version = kPrivatePartVersion)
{
    std::vector<uint8_t> block(24 + length, 0x5A);
    std::memcpy(block.data(), L"NDEV001", 16);
    std::memcpy(&block[16], &version, 4);
    std::memcpy(&block[20], &length, 4);
    return block;
}

std::vector<uint8_t> DataBlock(const wchar_t* tag, uint32_t length, uint8_t fill)
{
    std::vector<uint8_t> block(20 + length, fill);
    std::memset(block.data(), 0, 16);
    std::memcpy(block.data(), tag, (wcslen(tag) + 1) * sizeof(wchar_t));
    std::memcpy(&block[16], &length, 4);
    return block;
}

std::vector<uint8_t> FaxBlock(uint16_t count)
{
    std::vector<uint8_t> block(1442 + 742 * count, 0x3C);
    std::memcpy(block.data(), L"SMRX001", 16);
    std::memcpy(&block[16], &count, 2);
    return block;
}

std::vector<uint8_t> Join(std::initializer_list<const std::vector<uint8_t>*> blocks)
{
    std::vector<uint8_t> image;
    for (const auto* block : blocks)
        image.insert(image.end(), block->begin(), block->end());
    return image;
}

struct Buffers {
    std::vector<uint8_t> p = std::vector<uint8_t>(8192), t = std::vector<uint8_t>(8192),
                         f = std::vector<uint8_t>(8192), s = std::vector<uint8_t>(8192);
    DocPropBuffers b{};
    Buffers()
    {
        b.privateBlock = {p.data(), 8192, 0};
        b.tmbBlock = {t.data(), 8192, 0};
        b.faxBlock = {f.data(), 8192, 0};
        b.spBlock = {s.data(), 8192, 0};
    }
};

TEST(DocPropImage, OnlyThePrivateBlock)
{
    const std::vector<uint8_t> image = PrivateBlock(100);
    DocPropBuffers missing{};
    EXPECT_EQ(SplitDocPropImage(image.data(), image.size(), &missing), kDmaSizeAnswered);
    EXPECT_EQ(missing.privateBlock.size, 124u);
    EXPECT_EQ(missing.tmbBlock.size, 0u);
    EXPECT_EQ(missing.spBlock.size, 0u);
    EXPECT_EQ(missing.faxBlock.size, 0u);

    Buffers given;
    given.b.faxBlock = {};  // not needed: no fax block in the image
    ASSERT_EQ(SplitDocPropImage(image.data(), image.size(), &given.b), kDmaOk);
    EXPECT_EQ(given.b.privateBlock.size, 124u);
    EXPECT_EQ(std::vector<uint8_t>(given.p.begin(), given.p.begin() + 124), image);
}

TEST(DocPropImage, RefusedImages)
{
    const auto tmb = DataBlock(L"TMBINFO", 10, 1), sp = DataBlock(L"SPINFO", 10, 2);
    const auto wrongVersion = PrivateBlock(10, 21071);
    const auto good = PrivateBlock(10);
    const auto spFirst = Join({&good, &sp});
    const auto badFax = [&] {
        auto fax = FaxBlock(2);
        fax.resize(1442 + 742);  // one recipient short
        return Join({&good, &tmb, &sp, &fax});
    }();
    for (const auto* image : {&wrongVersion, &spFirst, &badFax}) {
        Buffers given;
        EXPECT_EQ(SplitDocPropImage(image->data(), image->size(), &given.b), kDmaBadImage);
    }
}

// Every cut of a whole image is split or refused without a read past its end,
// and what it reports fits within the cut.
TEST(DocPropImage, TruncationsNeverReadPastTheImage)
{
    const auto p = PrivateBlock(40), t = DataBlock(L"TMBINFO", 30, 1), s = DataBlock(L"SPINFO", 20, 2);
    const auto f = FaxBlock(1);
    const auto image = Join({&p, &t, &s, &f});
    for (size_t cut = 0; cut <= image.size(); ++cut) {
        GuardedBytes guarded(cut);
        std::memcpy(guarded.data(), image.data(), cut);
        DocPropBuffers sizes{};
        const int result = SplitDocPropImage(guarded.data(), cut, &sizes);
        ASSERT_TRUE(result == kDmaSizeAnswered || result == kDmaBadImage) << cut;
        if (result == kDmaSizeAnswered) {
            EXPECT_LE(uint64_t{sizes.privateBlock.size} + sizes.tmbBlock.size + sizes.spBlock.size +
                          sizes.faxBlock.size,
                      cut);
        }
    }
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::vector<uint8_t> mutated = image;
        const size_t at = random() % mutated.size();
        mutated[at] = static_cast<uint8_t>(random());
        GuardedBytes guarded(mutated.size());
        std::memcpy(guarded.data(), mutated.data(), mutated.size());
        Buffers given;
        const int result = SplitDocPropImage(guarded.data(), mutated.size(), &given.b);
        ASSERT_TRUE(result == kDmaOk || result == kDmaSizeAnswered || result == kDmaBadImage) << at;
    }
}

TEST(DocPropFile, WrittenAndReadBackWhole)
{
    DmaRecords r;
    wchar_t directory[MAX_PATH];
    GetTempPathW(MAX_PATH, directory);
    const std::wstring path = std::wstring(directory) + L"morva_docprop_test.dat";
    DeleteFileW(path.c_str());

    // No file named: nothing written, nothing read.
    Buffers given;
    EXPECT_EQ(DMA_ExtractDocPropEx(&r.set, &given.b), kDmaOk);
    EXPECT_EQ(DMA_ReplaceDocProp(&r.set, &given.b), kDmaOk);

    auto p = PrivateBlock(4296), t = DataBlock(L"TMBINFO", 100, 1), s = DataBlock(L"SPINFO", 60, 2);
    auto f = FaxBlock(2);
    DocPropBuffers out{};
    out.privateBlock = {p.data(), static_cast<uint32_t>(p.size()), 0};
    out.tmbBlock = {t.data(), static_cast<uint32_t>(t.size()), 0};
    out.spBlock = {s.data(), static_cast<uint32_t>(s.size()), 0};
    out.faxBlock = {f.data(), static_cast<uint32_t>(f.size()), 0};
    r.SetText(374, path.c_str());
    ASSERT_EQ(DMA_ExtractDocProp(&r.set, &out), kDmaOk);

    DocPropBuffers sizes{};
    EXPECT_EQ(DMA_ReplaceDocProp(&r.set, &sizes), kDmaSizeAnswered);
    EXPECT_EQ(sizes.privateBlock.size, p.size());
    EXPECT_EQ(sizes.faxBlock.size, f.size());
    Buffers back;
    ASSERT_EQ(DMA_ReplaceDocProp(&r.set, &back.b), kDmaOk);
    EXPECT_EQ(std::vector<uint8_t>(back.p.begin(), back.p.begin() + p.size()), p);
    EXPECT_EQ(std::vector<uint8_t>(back.t.begin(), back.t.begin() + t.size()), t);
    EXPECT_EQ(std::vector<uint8_t>(back.s.begin(), back.s.begin() + s.size()), s);
    EXPECT_EQ(std::vector<uint8_t>(back.f.begin(), back.f.begin() + f.size()), f);

    // The one-time file holds the fax list alone.
    const std::wstring oneTime = std::wstring(directory) + L"morva_onetime_test.dat";
    r.SetText(375, oneTime.c_str());
    ASSERT_EQ(DMA_ExtractOneTime(&r.set, &out), kDmaOk);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(oneTime.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, f.size());

    // A directory cannot be created as a file; a missing file cannot be read.
    r.SetText(374, directory);
    EXPECT_EQ(DMA_ExtractDocPropEx(&r.set, &out), kDmaFileOpen);
    r.SetText(374, (std::wstring(directory) + L"morva_missing_test.dat").c_str());
    EXPECT_EQ(DMA_ReplaceDocProp(&r.set, &back.b), kDmaFileOpen);
    r.SetText(375, directory);
    EXPECT_EQ(DMA_ExtractOneTimeEx(&r.set, &out), kDmaOneTimeCreate);
    DeleteFileW(path.c_str());
    DeleteFileW(oneTime.c_str());
}

}  // namespace
