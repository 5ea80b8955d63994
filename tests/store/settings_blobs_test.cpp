#include "common/store/settings_blobs.h"

#include "common/system/global_block.h"
#include "common/store/printer_data.h"
#include "common/store/user_store.h"
#include "tests/support/import_patch.h"
#include "tests/support/spooler_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kBaseRoot[] = L"Software\\MorvaStoreTest\\Blobs";
constexpr wchar_t kBase[] = L"Software\\MorvaStoreTest\\Blobs\\";
constexpr uint8_t kDefaultByte = 0xD5;

int FillDefaults(HANDLE, uint8_t* privatePart)
{
    std::memset(privatePart, kDefaultByte, kPrivatePartSize);
    return 1;
}

std::vector<uint8_t> Pattern(size_t size, uint8_t seed)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(seed + i * 13);
    return bytes;
}

std::vector<uint8_t> PrivatePart(uint8_t seed)
{
    std::vector<uint8_t> part = Pattern(kPrivatePartSize, seed);
    const uint16_t version = kPrivatePartVersion;
    std::memcpy(part.data(), &version, 2);
    return part;
}

std::vector<uint8_t> FaxList(uint16_t count)
{
    std::vector<uint8_t> list = Pattern(kFaxSendListHeaderBytes + kFaxRecipientBytes * count, 3);
    std::memcpy(list.data(), kFaxSendListTag, 16);
    std::memcpy(list.data() + 16, &count, 2);
    return list;
}

// A private section as an older or foreign writer would lay it out.
std::vector<uint8_t> PrivateSection(uint32_t version, uint32_t length, uint32_t dataBytes, uint8_t seed)
{
    std::vector<uint8_t> blob(24 + dataBytes);
    std::memcpy(blob.data(), kPrivateSectionTag, 16);
    std::memcpy(blob.data() + 16, &version, 4);
    std::memcpy(blob.data() + 20, &length, 4);
    const std::vector<uint8_t> data = Pattern(dataBytes, seed);
    std::copy(data.begin(), data.end(), blob.begin() + 24);
    return blob;
}

std::vector<uint8_t> DataSection(const wchar_t* tag, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> blob(20 + data.size());
    std::memcpy(blob.data(), tag, 16);
    const uint32_t size = static_cast<uint32_t>(data.size());
    std::memcpy(blob.data() + 16, &size, 4);
    std::copy(data.begin(), data.end(), blob.begin() + 20);
    return blob;
}

std::wstring TempFile(const wchar_t* name)
{
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + name;
}

void PutFile(const std::wstring& path, const std::vector<uint8_t>& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

// The first `bytes` bytes, or all but the last -`bytes` when negative.
std::vector<uint8_t> Head(const std::vector<uint8_t>& all, long bytes)
{
    const size_t keep = bytes >= 0 ? static_cast<size_t>(bytes) : all.size() - static_cast<size_t>(-bytes);
    return std::vector<uint8_t>(all.begin(), all.begin() + keep);
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

struct Loaded {
    int result = -1;
    std::vector<uint8_t> privatePart = std::vector<uint8_t>(kPrivatePartSize, 0x77);
    uint8_t* fax = reinterpret_cast<uint8_t*>(1);
    uint8_t* tmb = reinterpret_cast<uint8_t*>(1);
    uint32_t tmbSize = 1;
    uint8_t* sp = reinterpret_cast<uint8_t*>(1);
    uint32_t spSize = 1;

    ~Loaded()
    {
        for (uint8_t* block : {fax, tmb, sp})
            if (block && block != reinterpret_cast<uint8_t*>(1))
                GlobalFree(block);
    }
    bool OutsCleared() const
    {
        return !fax && !tmb && !sp && tmbSize == 0 && spSize == 0 &&
               privatePart == std::vector<uint8_t>(kPrivatePartSize, 0x77);
    }
};

void Load(Loaded& out, const SettingsBlobStore& store, const wchar_t* file, int mode, bool askFax = true)
{
    out.result = LoadSettingsBlobs(store, file, mode, askFax ? &out.fax : nullptr, out.privatePart.data(), &out.tmb,
                                   &out.tmbSize, &out.sp, &out.spSize);
    if (!askFax)
        out.fax = nullptr;
}

class SettingsBlobsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InstallPrinterDataDeleteStandIn(); }
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kBaseRoot); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kBaseRoot); }
    TestPrinter printer_{L"Morva Store Blobs"};
    SettingsBlobStore store() const { return {printer_.handle(), kBase, &FillDefaults}; }
};

TEST_F(SettingsBlobsTest, SaveAndLoadInBothStores)
{
    ASSERT_TRUE(printer_.ok());
    const std::vector<uint8_t> part = PrivatePart(1);
    const std::vector<uint8_t> fax = FaxList(2);
    const std::vector<uint8_t> tmb = Pattern(1000, 5);
    for (int mode : {int{kBlobsInPrinterData}, int{kBlobsPerUser}}) {
        ASSERT_EQ(SaveSettingsBlobs(store(), nullptr, mode, fax.data(), static_cast<uint32_t>(fax.size()), part.data(),
                                    tmb.data(), 1000, nullptr, 0),
                  1)
            << mode;
        Loaded loaded;
        Load(loaded, store(), nullptr, mode);
        ASSERT_EQ(loaded.result, 1) << mode;
        EXPECT_EQ(loaded.privatePart, part);
        ASSERT_NE(loaded.fax, nullptr);
        EXPECT_EQ(std::memcmp(loaded.fax, fax.data(), fax.size()), 0);
        ASSERT_EQ(loaded.tmbSize, 1000u);
        EXPECT_EQ(std::memcmp(loaded.tmb, tmb.data(), 1000), 0);
        EXPECT_EQ(loaded.sp, nullptr);
        EXPECT_EQ(loaded.spSize, 0u);
    }
    uint32_t size = 0;
    EXPECT_EQ(ReadChunkedPrinterDataSize(printer_.handle(), L"N_DevSize", &size), 1);
    EXPECT_EQ(size, 24 + kPrivatePartSize + fax.size());

    Loaded other;
    Load(other, store(), nullptr, 4);
    EXPECT_EQ(other.result, 0);
    EXPECT_EQ(SaveSettingsBlobs(store(), nullptr, 1, nullptr, 0, part.data(), nullptr, 0, nullptr, 0), 0);
}

TEST_F(SettingsBlobsTest, SaveRefusesMissingPartsAndEmptyBlocks)
{
    ASSERT_TRUE(printer_.ok());
    const std::vector<uint8_t> part = PrivatePart(1);
    const uint8_t byte = 1;
    const int mode = kBlobsInPrinterData;
    EXPECT_EQ(SaveSettingsBlobs(store(), nullptr, mode, nullptr, 0, nullptr, nullptr, 0, nullptr, 0), 0);
    EXPECT_EQ(SaveSettingsBlobs(store(), nullptr, mode, nullptr, 0, part.data(), &byte, 0, nullptr, 0), 0);
    EXPECT_EQ(SaveSettingsBlobs(store(), nullptr, mode, nullptr, 0, part.data(), nullptr, 0, &byte, 0), 0);
    EXPECT_EQ(SaveSettingsBlobs(store(), nullptr, mode, &byte, 0, part.data(), nullptr, 0, nullptr, 0), 0);
    const SettingsBlobStore noPrinter = {nullptr, kBase, &FillDefaults};
    EXPECT_EQ(SaveSettingsBlobs(noPrinter, nullptr, mode, nullptr, 0, part.data(), nullptr, 0, nullptr, 0), 0);
    uint32_t size = 0;
    EXPECT_EQ(ReadChunkedPrinterDataSize(printer_.handle(), L"N_DevSize", &size), 0);
}

TEST_F(SettingsBlobsTest, PrivateSectionHeaderChecks)
{
    ASSERT_TRUE(printer_.ok());
    struct Case {
        const char* what;
        std::vector<uint8_t> blob;
        int result;
    };
    std::vector<uint8_t> badTag = PrivateSection(kPrivatePartVersion, 4296, 4296, 1);
    badTag[12] = 'X';
    const Case cases[] = {
        {"current", PrivateSection(kPrivatePartVersion, 4296, 4296, 1), 1},
        {"newer version", PrivateSection(21073, 4296, 4296, 1), 0},
        {"length above the private part", PrivateSection(kPrivatePartVersion, 4297, 4297, 1), 0},
        {"length beyond the bytes there", PrivateSection(kPrivatePartVersion, 4296, 4295, 1), 0},
        {"header cut short", Head(PrivateSection(kPrivatePartVersion, 0, 0, 1), 23), 0},
        {"wrong tag", badTag, 0},
        {"fax list shorter than its header", Concat({PrivateSection(kPrivatePartVersion, 4296, 4296, 1),
                                                     Head(FaxList(0), -1)}),
         0},
        {"fax list longer than its count", Concat({PrivateSection(kPrivatePartVersion, 4296, 4296, 1), FaxList(1),
                                                   std::vector<uint8_t>(1, 0)}),
         0},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(WriteChunkedPrinterData(printer_.handle(), c.blob.data(), static_cast<uint32_t>(c.blob.size()),
                                          L"N_Dev", L"N_DevSize"),
                  1)
            << c.what;
        std::vector<uint8_t> part(kPrivatePartSize, 0x77);
        uint8_t* fax = nullptr;
        EXPECT_EQ(ReadPrivateSection(store(), kBlobsInPrinterData, part.data(), &fax), c.result) << c.what;
        if (c.result == 0) {
            EXPECT_EQ(part, std::vector<uint8_t>(kPrivatePartSize, 0x77)) << c.what;
            EXPECT_EQ(fax, nullptr);
        }
        FreeFaxSendList(fax);
    }
}

TEST_F(SettingsBlobsTest, OlderPrivatePartIsLaidOverTheDefaults)
{
    ASSERT_TRUE(printer_.ok());
    const std::vector<uint8_t> blob = PrivateSection(21071, 4000, 4000, 9);
    ASSERT_EQ(WriteChunkedPrinterData(printer_.handle(), blob.data(), static_cast<uint32_t>(blob.size()), L"N_Dev",
                                      L"N_DevSize"),
              1);
    std::vector<uint8_t> part(kPrivatePartSize, 0);
    ASSERT_EQ(ReadPrivateSection(store(), kBlobsInPrinterData, part.data(), nullptr), 1);
    uint16_t version = 0;
    std::memcpy(&version, part.data(), 2);
    EXPECT_EQ(version, kPrivatePartVersion);
    EXPECT_TRUE(std::equal(part.begin() + 2, part.begin() + 4000, blob.begin() + 24 + 2));
    EXPECT_EQ(std::vector<uint8_t>(part.begin() + 4000, part.end()), std::vector<uint8_t>(296, kDefaultByte));

    // Without a routine of its own the store takes the printer's model defaults:
    // this printer's placeholder driver has no model data, so there are none.
    const SettingsBlobStore noDefaults = {printer_.handle(), kBase, nullptr};
    EXPECT_EQ(ReadPrivateSection(noDefaults, kBlobsInPrinterData, part.data(), nullptr), 0);

    // The same section in a settings file has no printer to take defaults from.
    const std::wstring path = TempFile(L"morva_store_old.bin");
    PutFile(path, Concat({blob, DataSection(kTmbSectionTag, {}), DataSection(kSpSectionTag, {})}));
    Loaded loaded;
    Load(loaded, store(), path.c_str(), kBlobsInPrinterData);
    EXPECT_EQ(loaded.result, 0);
    EXPECT_TRUE(loaded.OutsCleared());
    DeleteFileW(path.c_str());
}

TEST_F(SettingsBlobsTest, SettingsFileForms)
{
    const std::wstring path = TempFile(L"morva_store_settings.bin");
    const std::vector<uint8_t> part = PrivatePart(4);
    const std::vector<uint8_t> tmb = Pattern(33, 1);
    const std::vector<uint8_t> sp = Pattern(7, 2);
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        bool askFax;
        int result;
        bool hasFax;
    };
    const std::vector<uint8_t> sections = Concat({PrivateSection(kPrivatePartVersion, 4296, 0, 0),
                                                  DataSection(kTmbSectionTag, tmb), DataSection(kSpSectionTag, sp)});
    std::vector<uint8_t> full = Concat({std::vector<uint8_t>(sections.begin(), sections.begin() + 24), part,
                                        std::vector<uint8_t>(sections.begin() + 24, sections.end())});
    const Case cases[] = {
        {"three sections", full, true, 1, false},
        {"with a fax list", Concat({full, FaxList(3)}), true, 1, true},
        {"one trailing byte", Concat({full, std::vector<uint8_t>(1, 0)}), true, 0, false},
        {"one trailing byte, no list asked", Concat({full, std::vector<uint8_t>(1, 0)}), false, 1, false},
        {"fax list one byte short", Concat({full, Head(FaxList(3), -1)}),
         true, 0, false},
        {"SPINFO cut short", Head(full, -1), true, 0, false},
        {"TMBINFO size beyond the file", Concat({Head(full, 24 + 4296),
                                                 DataSection(kTmbSectionTag, Pattern(40, 1))}),
         true, 0, false},
    };
    for (const Case& c : cases) {
        PutFile(path, c.file);
        Loaded loaded;
        Load(loaded, store(), path.c_str(), kBlobsInPrinterData, c.askFax);
        ASSERT_EQ(loaded.result, c.result) << c.what;
        if (c.result == 0) {
            EXPECT_TRUE(loaded.OutsCleared()) << c.what;
            continue;
        }
        EXPECT_EQ(loaded.privatePart, part) << c.what;
        EXPECT_EQ(loaded.fax != nullptr, c.hasFax) << c.what;
        ASSERT_EQ(loaded.tmbSize, 33u);
        EXPECT_EQ(std::memcmp(loaded.tmb, tmb.data(), 33), 0);
        ASSERT_EQ(loaded.spSize, 7u);
        EXPECT_EQ(std::memcmp(loaded.sp, sp.data(), 7), 0);
    }

    // The writer gives the same bytes, and wants the file to exist already.
    const std::vector<uint8_t> fax = FaxList(3);
    ASSERT_EQ(SaveSettingsBlobs(store(), path.c_str(), 0, fax.data(), static_cast<uint32_t>(fax.size()), part.data(),
                                tmb.data(), 33, sp.data(), 7),
              1);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    std::vector<uint8_t> written(full.size() + fax.size() + 1);
    DWORD read = 0;
    ReadFile(file, written.data(), static_cast<DWORD>(written.size()), &read, nullptr);
    CloseHandle(file);
    written.resize(read);
    EXPECT_EQ(written, Concat({full, fax}));
    DeleteFileW(path.c_str());
    EXPECT_EQ(SaveSettingsBlobs(store(), path.c_str(), 0, nullptr, 0, part.data(), nullptr, 0, nullptr, 0), 0);
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SettingsBlobsTest, PerUserBlobOfAnotherSizeIsRefused)
{
    ASSERT_TRUE(printer_.ok());
    const std::vector<uint8_t> tmb = Pattern(50, 1);
    ASSERT_EQ(WriteTmbSection(store(), kBlobsPerUser, tmb.data(), 50), 1);
    uint8_t* data = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(ReadTmbSection(store(), kBlobsPerUser, &data, &size), 1);
    GlobalFree(data);
    EXPECT_EQ(size, 50u);
    const DWORD wrong = 71;
    ASSERT_EQ(WriteUserValue(printer_.handle(), kBase, &wrong, 4, REG_DWORD, nullptr, L"TMBInfoSize"), 1);
    EXPECT_EQ(ReadTmbSection(store(), kBlobsPerUser, &data, &size), 0);
    EXPECT_EQ(data, nullptr);
    // Nothing stored is no error for these sections.
    EXPECT_EQ(ReadSpSection(store(), kBlobsPerUser, &data, &size), 1);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(size, 0u);
}

TEST_F(SettingsBlobsTest, FaxSendListSizeMustMatchItsCount)
{
    ASSERT_TRUE(printer_.ok());
    const std::vector<uint8_t> list = FaxList(2);
    const uint32_t size = static_cast<uint32_t>(list.size());
    struct Case {
        uint32_t size;
        bool accepted;
    };
    for (const Case& c : {Case{size, true}, Case{size - 1, false}, Case{size + 1, false}, Case{1441, false}}) {
        std::vector<uint8_t> buffer = list;
        buffer.resize(c.size + 1);
        uint16_t count = 99;
        GlobalBlockPtr<uint8_t> copy(FetchFaxSendList(nullptr, c.size, buffer.data(), &count));
        EXPECT_EQ(copy != nullptr, c.accepted) << c.size;
        EXPECT_EQ(count, c.accepted ? 2 : 0) << c.size;
    }
    std::vector<uint8_t> wrongTag = list;
    wrongTag[0] = 'Z';
    uint16_t count = 0;
    EXPECT_EQ(FetchFaxSendList(nullptr, size, wrongTag.data(), &count), nullptr);

    EXPECT_EQ(WriteFaxSendList(printer_.handle(), nullptr, list.data(), size - 1), 0);
    ASSERT_EQ(WriteFaxSendList(printer_.handle(), nullptr, list.data(), size), 1);
    GlobalBlockPtr<uint8_t> stored(FetchFaxSendList(printer_.handle(), 0, nullptr, &count));
    ASSERT_TRUE(stored);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(std::memcmp(stored.get(), list.data(), size), 0);
    EXPECT_EQ(FreeFaxSendList(nullptr), 1);
}

using SetDataFn = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, LPBYTE, DWORD);
SetDataFn g_realSetData = nullptr;
int g_calls = 0;
int g_failCall = 0;

DWORD WINAPI SetPrinterDataFailingOnce(HANDLE printer, LPWSTR name, DWORD type, LPBYTE data, DWORD size)
{
    if (++g_calls == g_failCall)
        return ERROR_WRITE_FAULT;
    return g_realSetData(printer, name, type, data, size);
}

TEST_F(SettingsBlobsTest, FailedSaveLeavesThePreviousSettingsReadable)
{
    ASSERT_TRUE(printer_.ok());
    const std::vector<uint8_t> oldPart = PrivatePart(1);
    const std::vector<uint8_t> newPart = PrivatePart(2);
    const std::vector<uint8_t> oldTmb = Pattern(1000, 3);
    const std::vector<uint8_t> newTmb = Pattern(1000, 4);
    const std::vector<uint8_t> oldSp = Pattern(10, 5);
    const std::vector<uint8_t> newSp = Pattern(10, 6);
    // Spooler writes of a save: 1-8 the private section (mark, six pieces,
    // size), 9-12 TMBINFO (mark, two pieces, size), 13-15 SPINFO.
    for (int failCall : {4, 10, 13, 15}) {
        ASSERT_EQ(SaveSettingsBlobs(store(), nullptr, kBlobsInPrinterData, nullptr, 0, oldPart.data(), oldTmb.data(),
                                    1000, oldSp.data(), 10),
                  1);
        g_calls = 0;
        g_failCall = failCall;
        {
            ScopedImportPatch patch("winspool.drv", "SetPrinterDataW",
                                    reinterpret_cast<void*>(&SetPrinterDataFailingOnce));
            ASSERT_TRUE(patch.active());
            g_realSetData = reinterpret_cast<SetDataFn>(patch.original());
            EXPECT_EQ(SaveSettingsBlobs(store(), nullptr, kBlobsInPrinterData, nullptr, 0, newPart.data(),
                                        newTmb.data(), 1000, newSp.data(), 10),
                      0)
                << failCall;
        }
        Loaded loaded;
        Load(loaded, store(), nullptr, kBlobsInPrinterData);
        ASSERT_EQ(loaded.result, 1) << failCall;
        EXPECT_EQ(loaded.privatePart, oldPart) << failCall;
        ASSERT_EQ(loaded.tmbSize, 1000u);
        EXPECT_EQ(std::memcmp(loaded.tmb, oldTmb.data(), 1000), 0) << failCall;
        ASSERT_EQ(loaded.spSize, 10u);
        EXPECT_EQ(std::memcmp(loaded.sp, oldSp.data(), 10), 0) << failCall;
    }
}

// What a reader sees of one section, and whether any of its values is there.
struct SectionState {
    int readable = 0;
    std::vector<uint8_t> bytes;
    bool valuesThere = false;

    bool operator==(const SectionState&) const = default;
};

bool SizeValueThere(const SettingsBlobStore& store, int mode, const wchar_t* sizeName)
{
    if (mode == kBlobsInPrinterData) {
        uint32_t size = 0;
        return ReadChunkedPrinterDataSize(store.printer, sizeName, &size) != 0;
    }
    DWORD value = 0;
    uint32_t size = sizeof value;
    return ReadUserValueInto(store.printer, store.userBasePath, nullptr, sizeName, &value, &size) != StoredRead::kNotStored;
}

std::vector<SectionState> Sections(const SettingsBlobStore& store, int mode)
{
    std::vector<SectionState> states(3);
    std::vector<uint8_t> part(kPrivatePartSize, 0);
    states[0].readable = ReadPrivateSection(store, mode, part.data(), nullptr);
    if (states[0].readable)
        states[0].bytes = part;
    for (int i = 1; i < 3; ++i) {
        uint8_t* data = nullptr;
        uint32_t size = 0;
        states[i].readable = i == 1 ? ReadTmbSection(store, mode, &data, &size) : ReadSpSection(store, mode, &data, &size);
        if (data)
            states[i].bytes.assign(data, data + size);
        GlobalFree(data);
    }
    const wchar_t* const sizeNames[] = {L"N_DevSize", L"TMBInfoSize", L"SPInfoSize"};
    for (int i = 0; i < 3; ++i)
        states[i].valuesThere = SizeValueThere(store, mode, sizeNames[i]);
    return states;
}

// Fails one registry write of a save (printer data through the spooler, the
// per-user store through the registry) and counts them all.
using RegSetFn = LSTATUS(WINAPI*)(HKEY, LPCWSTR, DWORD, DWORD, const BYTE*, DWORD);
RegSetFn g_realRegSet = nullptr;

LSTATUS WINAPI RegSetValueFailingOnce(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size)
{
    if (++g_calls == g_failCall)
        return ERROR_WRITE_FAULT;
    return g_realRegSet(key, name, reserved, type, data, size);
}

// Runs the save with write `failCall` failing (0: none); the save's answer.
int SaveFailingWrite(const SettingsBlobStore& store, int mode, int failCall, const std::vector<uint8_t>& part,
                     const std::vector<uint8_t>& tmb, const std::vector<uint8_t>& sp)
{
    g_calls = 0;
    g_failCall = failCall;
    const bool perUser = mode == kBlobsPerUser;
    ScopedImportPatch patch(perUser ? "advapi32.dll" : "winspool.drv", perUser ? "RegSetValueExW" : "SetPrinterDataW",
                            perUser ? reinterpret_cast<void*>(&RegSetValueFailingOnce)
                                    : reinterpret_cast<void*>(&SetPrinterDataFailingOnce));
    if (!patch.active())
        return -1;
    if (perUser)
        g_realRegSet = reinterpret_cast<RegSetFn>(patch.original());
    else
        g_realSetData = reinterpret_cast<SetDataFn>(patch.original());
    return SaveSettingsBlobs(store, nullptr, mode, nullptr, 0, part.data(), tmb.data(),
                             static_cast<uint32_t>(tmb.size()), sp.data(), static_cast<uint32_t>(sp.size()));
}

TEST_F(SettingsBlobsTest, EveryFailedWriteOfASaveLeavesEverySectionAsItWas)
{
    ASSERT_TRUE(printer_.ok());
    const std::vector<uint8_t> oldPart = PrivatePart(1);
    const std::vector<uint8_t> newPart = PrivatePart(2);
    const std::vector<uint8_t> oldSp = Pattern(10, 5);
    const std::vector<uint8_t> newSp = Pattern(10, 6);
    struct Case {
        int mode;
        bool storedBefore;
        size_t oldTmbSize;
        size_t newTmbSize;
    };
    const Case cases[] = {
        {kBlobsInPrinterData, true, 1000, 900},  {kBlobsInPrinterData, true, 1000, 1000},
        {kBlobsInPrinterData, false, 0, 900},    {kBlobsPerUser, true, 1000, 900},
        {kBlobsPerUser, true, 1000, 1000},       {kBlobsPerUser, false, 0, 900},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> oldTmb = Pattern(c.oldTmbSize, 3);
        const std::vector<uint8_t> newTmb = Pattern(c.newTmbSize, 4);
        const auto reset = [&] {
            printer_.ClearPrinterData();
            RegDeleteTreeW(HKEY_CURRENT_USER, kBaseRoot);
            if (c.storedBefore) {
                ASSERT_EQ(SaveSettingsBlobs(store(), nullptr, c.mode, nullptr, 0, oldPart.data(), oldTmb.data(),
                                            static_cast<uint32_t>(oldTmb.size()), oldSp.data(), 10),
                          1);
            }
        };
        reset();
        const std::vector<SectionState> before = Sections(store(), c.mode);
        ASSERT_EQ(SaveFailingWrite(store(), c.mode, 0, newPart, newTmb, newSp), 1);
        const int writes = g_calls;
        ASSERT_GE(writes, 9) << c.mode;
        for (int failCall = 1; failCall <= writes; ++failCall) {
            reset();
            EXPECT_EQ(SaveFailingWrite(store(), c.mode, failCall, newPart, newTmb, newSp), 0)
                << c.mode << " " << c.storedBefore << " " << failCall;
            EXPECT_TRUE(Sections(store(), c.mode) == before)
                << "mode " << c.mode << ", stored " << c.storedBefore << ", TMBINFO " << c.newTmbSize
                << ", failed write " << failCall << " of " << writes;
        }
    }
}

TEST_F(SettingsBlobsTest, SectionLeftMarkedReadsAsAbsent)
{
    ASSERT_TRUE(printer_.ok());
    const std::vector<uint8_t> part = PrivatePart(1);
    const std::vector<uint8_t> tmb = Pattern(100, 3);
    const std::vector<uint8_t> sp = Pattern(10, 5);
    const DWORD marked = kChunkedSizeRewriting;
    for (int mode : {int{kBlobsInPrinterData}, int{kBlobsPerUser}}) {
        ASSERT_EQ(SaveSettingsBlobs(store(), nullptr, mode, nullptr, 0, part.data(), tmb.data(), 100, sp.data(), 10),
                  1);
        if (mode == kBlobsInPrinterData)
            ASSERT_EQ(SetPrinterDataW(printer_.handle(), const_cast<wchar_t*>(L"TMBInfoSize"), REG_DWORD,
                                      reinterpret_cast<BYTE*>(const_cast<DWORD*>(&marked)), 4),
                      ERROR_SUCCESS);
        else
            ASSERT_EQ(WriteUserValue(printer_.handle(), kBase, &marked, 4, REG_DWORD, nullptr, L"TMBInfoSize"), 1);
        Loaded loaded;
        Load(loaded, store(), nullptr, mode);
        ASSERT_EQ(loaded.result, 1) << mode;
        EXPECT_EQ(loaded.privatePart, part) << mode;
        EXPECT_EQ(loaded.tmb, nullptr) << mode;
        EXPECT_EQ(loaded.tmbSize, 0u) << mode;
        ASSERT_EQ(loaded.spSize, 10u) << mode;
        EXPECT_EQ(std::memcmp(loaded.sp, sp.data(), 10), 0) << mode;
    }
}

}  // namespace
