// The interface library installed as the real interface DLL of the driver
// package in wine's spooler: its exports called directly on the installed
// printer, and through winspool.
#include "tests/interface/interface_package.h"
#include "tests/printhost/driver_fixture.h"

#include "common/records/record_defaults.h"
#include "common/store/pair_list.h"
#include "common/store/printer_data.h"
#include "common/store/settings_blobs.h"
#include "printhost/install.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include "winddiui_records.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <memory>
#include <vector>

namespace {

constexpr LONG kDevmodeSize = 1604;
constexpr DWORD kConvertDevmode = 1;

using DocumentPropertiesFn = LONG(WINAPI*)(HWND, HANDLE, LPWSTR, PDEVMODEW, PDEVMODEW, DWORD);
using AdvancedPropertiesFn = LONG(WINAPI*)(HWND, HANDLE, LPWSTR, PDEVMODEW, PDEVMODEW);
using ConvertDevModeFn = BOOL(WINAPI*)(LPWSTR, PDEVMODEW, PDEVMODEW, PLONG, DWORD);
using QueryPrintFn = BOOL(WINAPI*)(DEVQUERYPRINT_INFO*);
using ColorProfileFn = BOOL(WINAPI*)(HANDLE, PDEVMODEW, ULONG, VOID*, ULONG*, FLONG*);
using PrinterEventFn = BOOL(WINAPI*)(LPWSTR, INT, DWORD, LPARAM);
using UpgradeFn = BOOL(WINAPI*)(DWORD, LPBYTE);
using CapabilitiesFn = DWORD(WINAPI*)(HANDLE, PWSTR, WORD, PVOID, PDEVMODEW);

template <typename T>
T Entry(HMODULE library, const char* name)
{
    return reinterpret_cast<T>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

class InterfaceExports : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        printer_ = new printhost_test::InstalledPrinter(InterfacePackage(L"Morva Interface Driver"), L"Morva Interface");
        if (!printer_->ok())
            return;
        printhost::InstalledDriver installed;
        std::wstring error;
        if (printhost::FindInstalledDriver(printer_->driverName(), &installed, &error))
            library_ = LoadLibraryW(installed.interfaceDll.c_str());
        OpenPrinterW(const_cast<wchar_t*>(printer_->printerName().c_str()), &handle_, nullptr);
    }
    static void TearDownTestSuite()
    {
        if (handle_)
            ClosePrinter(handle_);
        if (library_)
            FreeLibrary(library_);
        delete printer_;
        printer_ = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(printer_->ok()) << std::string(printer_->error().begin(), printer_->error().end());
        ASSERT_NE(library_, nullptr);
        ASSERT_NE(handle_, nullptr);
    }
    void TearDown() override
    {
        // Each export drops its reference on the resource file again.
        EXPECT_EQ(GetModuleHandleW(L"morvares.dll"), nullptr);
    }
    static wchar_t* Name() { return const_cast<wchar_t*>(printer_->printerName().c_str()); }
    static std::vector<BYTE> Filled(BYTE value) { return std::vector<BYTE>(kDevmodeSize, value); }

    static printhost_test::InstalledPrinter* printer_;
    static HMODULE library_;
    static HANDLE handle_;
};

printhost_test::InstalledPrinter* InterfaceExports::printer_ = nullptr;
HMODULE InterfaceExports::library_ = nullptr;
HANDLE InterfaceExports::handle_ = nullptr;

TEST_F(InterfaceExports, DocumentPropertiesSizeQueryLeavesOutputAlone)
{
    auto call = Entry<DocumentPropertiesFn>(library_, "DrvDocumentProperties");
    ASSERT_NE(call, nullptr);
    std::vector<BYTE> out = Filled(0xA5);
    EXPECT_EQ(call(nullptr, handle_, Name(), reinterpret_cast<DEVMODEW*>(out.data()), nullptr, 0), kDevmodeSize);
    EXPECT_EQ(out, Filled(0xA5));
    EXPECT_EQ(call(nullptr, handle_, Name(), nullptr, nullptr, DM_COPY), kDevmodeSize);
}

TEST_F(InterfaceExports, SilentMergeGivesTheWholeRecord)
{
    auto call = Entry<DocumentPropertiesFn>(library_, "DrvDocumentProperties");
    std::vector<BYTE> out = Filled(0);
    ASSERT_EQ(call(nullptr, handle_, Name(), reinterpret_cast<DEVMODEW*>(out.data()), nullptr, DM_COPY), IDOK);
    const auto* devmode = reinterpret_cast<const DEVMODEW*>(out.data());
    EXPECT_EQ(devmode->dmSize, sizeof(DEVMODEW));
    EXPECT_EQ(devmode->dmSize + devmode->dmDriverExtra, kDevmodeSize);

    // The merge of its own output into a public-only record gives the public
    // part alone.
    std::vector<BYTE> second = out;
    std::memset(second.data() + sizeof(DEVMODEW), 0xA5, kDevmodeSize - sizeof(DEVMODEW));
    reinterpret_cast<DEVMODEW*>(second.data())->dmDriverExtra = 0;
    std::vector<BYTE> input = out;
    ASSERT_EQ(call(nullptr, handle_, Name(), reinterpret_cast<DEVMODEW*>(second.data()),
                   reinterpret_cast<DEVMODEW*>(input.data()), DM_COPY | DM_IN_BUFFER),
              IDOK);
    EXPECT_EQ(reinterpret_cast<const DEVMODEW*>(second.data())->dmDriverExtra, 0);
    EXPECT_EQ(std::memcmp(second.data(), out.data(), offsetof(DEVMODEW, dmDriverExtra)), 0);
    EXPECT_EQ(second[sizeof(DEVMODEW)], 0xA5);
}

// A 1604-byte record that ends where an inaccessible page begins.
class GuardedRecord {
public:
    GuardedRecord()
    {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        page_ = info.dwPageSize;
        base_ = static_cast<BYTE*>(VirtualAlloc(nullptr, 2 * page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        if (base_ && !VirtualProtect(base_ + page_, page_, PAGE_NOACCESS, &old)) {
            VirtualFree(base_, 0, MEM_RELEASE);
            base_ = nullptr;
        }
    }
    ~GuardedRecord()
    {
        if (base_)
            VirtualFree(base_, 0, MEM_RELEASE);
    }
    GuardedRecord(const GuardedRecord&) = delete;
    GuardedRecord& operator=(const GuardedRecord&) = delete;
    DEVMODEW* record() const { return base_ ? reinterpret_cast<DEVMODEW*>(base_ + page_ - kDevmodeSize) : nullptr; }

private:
    BYTE* base_ = nullptr;
    DWORD page_ = 0;
};

// An application's fresh output record holds stale bytes: its size fields may
// claim far more than the buffer. The merge reads only those two fields of it
// before writing it, with and without an input, and a refused mode reads none.
TEST_F(InterfaceExports, StaleOutputRecordIsNotReadPastItsBuffer)
{
    auto call = Entry<DocumentPropertiesFn>(library_, "DrvDocumentProperties");
    std::vector<BYTE> input = Filled(0);
    ASSERT_EQ(call(nullptr, handle_, Name(), reinterpret_cast<DEVMODEW*>(input.data()), nullptr, DM_COPY), IDOK);
    struct Case {
        WORD size;
        WORD driverExtra;
        DWORD mode;
        bool withInput;
        LONG result;
    } cases[] = {
        {220, 1384, DM_COPY, false, IDOK}, {220, 5680, DM_COPY, false, IDOK},
        {5680, 5680, DM_COPY, false, IDOK}, {220, 1384, DM_COPY, true, IDOK},
        {220, 5680, DM_COPY, true, IDOK}, {5680, 220, DM_COPY, true, IDOK},
        {220, 1384, DM_IN_BUFFER, false, -1}, {220, 5680, DM_IN_BUFFER, false, -1},
        {220, 5680, DM_IN_BUFFER, true, -1},
    };
    GuardedRecord guarded;
    DEVMODEW* out = guarded.record();
    ASSERT_NE(out, nullptr);
    for (const Case& c : cases) {
        std::memset(out, 0x5A, kDevmodeSize);
        out->dmSize = c.size;
        out->dmDriverExtra = c.driverExtra;
        EXPECT_EQ(call(nullptr, handle_, Name(), out, c.withInput ? reinterpret_cast<DEVMODEW*>(input.data()) : nullptr,
                       c.mode),
                  c.result)
            << c.size << "/" << c.driverExtra << " mode " << c.mode;
        if (c.result == IDOK) {
            EXPECT_EQ(out->dmSize, sizeof(DEVMODEW));
            EXPECT_EQ(out->dmDriverExtra, kDevmodeSize - sizeof(DEVMODEW));
        }
    }
    // The same through winspool, as an application calls it.
    std::memset(out, 0x5A, kDevmodeSize);
    out->dmSize = 220;
    out->dmDriverExtra = 5680;
    EXPECT_EQ(DocumentPropertiesW(nullptr, handle_, Name(), out, nullptr, DM_OUT_BUFFER), IDOK);
}

TEST_F(InterfaceExports, MergeWithoutCopyOrUpdateIsRefused)
{
    auto call = Entry<DocumentPropertiesFn>(library_, "DrvDocumentProperties");
    std::vector<BYTE> out = Filled(0x5A);
    EXPECT_EQ(call(nullptr, handle_, Name(), reinterpret_cast<DEVMODEW*>(out.data()), nullptr, DM_IN_BUFFER), -1);
    EXPECT_EQ(out, Filled(0x5A));
}

TEST_F(InterfaceExports, AdvancedPropertiesAnswersTheSizeQuery)
{
    auto call = Entry<AdvancedPropertiesFn>(library_, "DrvAdvancedDocumentProperties");
    ASSERT_NE(call, nullptr);
    EXPECT_EQ(call(nullptr, handle_, Name(), nullptr, nullptr), kDevmodeSize);
}

TEST_F(InterfaceExports, DeviceCapabilitiesAnswersFromTheCapabilityTable)
{
    auto call = Entry<CapabilitiesFn>(library_, "DrvDeviceCapabilities");
    ASSERT_NE(call, nullptr);
    EXPECT_EQ(call(handle_, Name(), DC_SIZE, nullptr, nullptr), 220u);
    EXPECT_EQ(call(handle_, Name(), DC_EXTRA, nullptr, nullptr), 1384u);
    EXPECT_EQ(call(handle_, Name(), DC_ORIENTATION, nullptr, nullptr), 90u);
    EXPECT_EQ(call(handle_, Name(), 9999, nullptr, nullptr), 0xFFFFFFFFu);
    const DWORD papers = call(handle_, Name(), DC_PAPERS, nullptr, nullptr);
    ASSERT_GT(papers, 0u);
    ASSERT_NE(papers, 0xFFFFFFFFu);
    std::vector<WORD> numbers(papers);
    EXPECT_EQ(call(handle_, Name(), DC_PAPERS, numbers.data(), nullptr), papers);
}

TEST_F(InterfaceExports, ConvertDevModeWantsRoomForTheWholeRecord)
{
    auto call = Entry<ConvertDevModeFn>(library_, "DrvConvertDevMode");
    ASSERT_NE(call, nullptr);
    std::vector<BYTE> out = Filled(0);
    LONG size = kDevmodeSize - 1;
    SetLastError(0);
    EXPECT_FALSE(call(Name(), nullptr, reinterpret_cast<DEVMODEW*>(out.data()), &size, kConvertDevmode));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(size, kDevmodeSize);

    SetLastError(0);
    EXPECT_FALSE(call(nullptr, nullptr, reinterpret_cast<DEVMODEW*>(out.data()), &size, kConvertDevmode));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

// A conversion that succeeds leaves the caller's last-error value as it was:
// what the work tried and gave up on along the way is not the caller's error.
TEST_F(InterfaceExports, SuccessfulConversionKeepsTheLastError)
{
    auto call = Entry<ConvertDevModeFn>(library_, "DrvConvertDevMode");
    auto properties = Entry<DocumentPropertiesFn>(library_, "DrvDocumentProperties");
    std::vector<BYTE> input = Filled(0);
    ASSERT_EQ(properties(nullptr, handle_, Name(), reinterpret_cast<DEVMODEW*>(input.data()), nullptr, DM_COPY), IDOK);
    constexpr DWORD kDriverDefault = 4;
    for (const DWORD before : {0ul, 1234ul}) {
        for (const DWORD mode : {kConvertDevmode, kDriverDefault}) {
            std::vector<BYTE> out = Filled(0);
            LONG size = kDevmodeSize;
            SetLastError(before);
            const BOOL converted = call(Name(), mode == kConvertDevmode ? reinterpret_cast<DEVMODEW*>(input.data())
                                                                        : nullptr,
                                        reinterpret_cast<DEVMODEW*>(out.data()), &size, mode);
            const DWORD after = GetLastError();
            EXPECT_TRUE(converted) << mode;
            EXPECT_EQ(after, before) << mode;
        }
    }
    // The driver upgrade keeps to the same rule.
    auto upgrade = Entry<UpgradeFn>(library_, "DrvUpgradePrinter");
    DRIVER_UPGRADE_INFO_1 info{Name(), nullptr};
    SetLastError(1234);
    const BOOL upgraded = upgrade(1, reinterpret_cast<BYTE*>(&info));
    const DWORD after = GetLastError();
    EXPECT_TRUE(upgraded);
    EXPECT_EQ(after, 1234u);
}

// The printer's own record merged into itself comes back unchanged, its
// field flags included.
TEST_F(InterfaceExports, MergingTheDefaultRecordWithItselfChangesNothing)
{
    auto call = Entry<DocumentPropertiesFn>(library_, "DrvDocumentProperties");
    std::vector<BYTE> own = Filled(0);
    ASSERT_EQ(call(nullptr, handle_, Name(), reinterpret_cast<DEVMODEW*>(own.data()), nullptr, DM_COPY), IDOK);
    std::vector<BYTE> again = Filled(0);
    ASSERT_EQ(call(nullptr, handle_, Name(), reinterpret_cast<DEVMODEW*>(again.data()),
                   reinterpret_cast<DEVMODEW*>(own.data()), DM_COPY | DM_IN_BUFFER),
              IDOK);
    EXPECT_EQ(reinterpret_cast<const DEVMODEW*>(again.data())->dmFields,
              reinterpret_cast<const DEVMODEW*>(own.data())->dmFields);
    for (size_t i = 0; i < own.size(); ++i)
        EXPECT_EQ(again[i], own[i]) << "byte " << i;
}

TEST_F(InterfaceExports, QueryPrintRejectsABadDevmode)
{
    auto call = Entry<QueryPrintFn>(library_, "DevQueryPrintEx");
    ASSERT_NE(call, nullptr);
    std::vector<BYTE> bad = Filled(0);
    reinterpret_cast<DEVMODEW*>(bad.data())->dmSize = 3;
    wchar_t text[10];
    std::wmemset(text, L'#', 10);
    DEVQUERYPRINT_INFO info{sizeof(DEVQUERYPRINT_INFO), 1, handle_, reinterpret_cast<DEVMODEW*>(bad.data()), text,
                            10, 0};
    EXPECT_FALSE(call(&info));
    EXPECT_STREQ(text, L"Invalid D");
    EXPECT_EQ(info.cchNeeded, 27u);
    EXPECT_FALSE(call(nullptr));
}

TEST_F(InterfaceExports, InitializeGivesThePrinterOneIdentity)
{
    auto event = Entry<PrinterEventFn>(library_, "DrvPrinterEvent");
    ASSERT_NE(event, nullptr);
    auto identity = [] {
        std::vector<BYTE> id(16, 0);
        DWORD type = 0, needed = 0;
        const DWORD status = GetPrinterDataW(handle_, const_cast<wchar_t*>(L"PRNID"), &type, id.data(), 16, &needed);
        return status == ERROR_SUCCESS && needed == 16 ? id : std::vector<BYTE>();
    };
    EXPECT_TRUE(event(Name(), 3, 0, 0));
    const std::vector<BYTE> first = identity();
    ASSERT_EQ(first.size(), 16u);
    EXPECT_TRUE(event(Name(), 3, 0, 0));
    EXPECT_EQ(identity(), first);
    // Duplex and stapling support are published for the directory service,
    // one byte each.
    for (const wchar_t* value : {L"printDuplexSupported", L"printStaplingSupported"}) {
        DWORD type = 0, needed = 0;
        BYTE published = 0xEE;
        EXPECT_EQ(GetPrinterDataExW(handle_, L"DsDriver", value, &type, &published, sizeof published, &needed),
                  static_cast<DWORD>(ERROR_SUCCESS))
            << value;
        EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
        EXPECT_EQ(needed, 1u);
        EXPECT_LE(published, 1);
    }
    // Unknown events and printers that cannot be opened still answer TRUE.
    EXPECT_TRUE(event(Name(), 99, 0, 0));
    EXPECT_TRUE(event(const_cast<wchar_t*>(L"No Such Printer"), 3, 0, 0));
}

TEST_F(InterfaceExports, ColorProfileQuery)
{
    auto query = Entry<ColorProfileFn>(library_, "DrvQueryColorProfile");
    ASSERT_NE(query, nullptr);
    std::vector<BYTE> devmode = Filled(0);
    auto* dm = reinterpret_cast<DEVMODEW*>(devmode.data());
    wchar_t name[MAX_PATH];
    ULONG bytes = sizeof(name);
    FLONG flags = 0;
    struct Case {
        HANDLE printer;
        DEVMODEW* devmode;
        ULONG mode;
        void* data;
    };
    // Missing pointers or another query mode: FALSE, and the last error alone.
    for (const Case& c : {Case{nullptr, dm, 0, name}, Case{handle_, nullptr, 0, name}, Case{handle_, dm, 1, name},
                          Case{handle_, dm, 0, nullptr}}) {
        SetLastError(77);
        EXPECT_FALSE(query(c.printer, c.devmode, c.mode, c.data, &bytes, &flags));
        EXPECT_EQ(GetLastError(), 77u);
    }
    // The model names a profile: the name on disk, then the size a short buffer needs.
    ASSERT_TRUE(query(handle_, dm, 0, name, &bytes, &flags));
    EXPECT_EQ(flags, 2u);
    const ULONG needed = static_cast<ULONG>((std::wcslen(name) + 1) * sizeof(wchar_t));
    ASSERT_GT(needed, 10u);
    bytes = 10;
    SetLastError(0);
    EXPECT_FALSE(query(handle_, dm, 0, name, &bytes, &flags));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(bytes, needed);
}

TEST_F(InterfaceExports, UpgradeTakesLevelOneOnly)
{
    auto upgrade = Entry<UpgradeFn>(library_, "DrvUpgradePrinter");
    ASSERT_NE(upgrade, nullptr);
    DRIVER_UPGRADE_INFO_1 info{Name(), nullptr};
    SetLastError(0);
    EXPECT_FALSE(upgrade(2, reinterpret_cast<BYTE*>(&info)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(upgrade(1, reinterpret_cast<BYTE*>(&info)));

    // The private settings are stored in the current layout, without a fax send
    // list when the printer had none.
    std::vector<uint8_t> privatePart(kPrivatePartSize, 0);
    uint8_t* faxList = nullptr;
    EXPECT_EQ(ReadPrivateSection(SettingsBlobStore{handle_, nullptr}, kBlobsInPrinterData, privatePart.data(),
                                 &faxList),
              1);
    EXPECT_EQ(faxList, nullptr);
}

// A stored fax send list is saved again behind the private part: the private
// section is its 24-byte header and 4296 bytes, then the list whole.
TEST_F(InterfaceExports, UpgradeKeepsTheStoredFaxSendList)
{
    const SettingsBlobStore store{handle_, nullptr};
    std::vector<uint8_t> privatePart(kPrivatePartSize, 0);
    ASSERT_EQ(GetDefaultPrivateSettings(handle_, privatePart.data()), 1);
    std::vector<uint8_t> list(1442 + 742 * 2, 0);
    std::memcpy(list.data(), kFaxSendListTag, sizeof kFaxSendListTag);
    list[16] = 2;
    for (size_t i = 1442; i < list.size(); ++i)
        list[i] = static_cast<uint8_t>(i * 7);
    ASSERT_EQ(SaveSettingsBlobs(store, nullptr, kBlobsInPrinterData, list.data(), static_cast<uint32_t>(list.size()),
                                privatePart.data(), nullptr, 0, nullptr, 0),
              1);
    auto upgrade = Entry<UpgradeFn>(library_, "DrvUpgradePrinter");
    DRIVER_UPGRADE_INFO_1 info{Name(), nullptr};
    EXPECT_TRUE(upgrade(1, reinterpret_cast<BYTE*>(&info)));

    uint8_t* stored = nullptr;
    uint32_t size = 0;
    ASSERT_TRUE(ReadChunkedPrinterData(handle_, &stored, &size, L"N_Dev", L"N_DevSize"));
    const std::vector<uint8_t> section(stored, stored + size);
    GlobalFree(stored);
    constexpr size_t kListAt = 24 + 4296;
    ASSERT_EQ(section.size(), kListAt + list.size());
    EXPECT_TRUE(std::equal(list.begin(), list.end(), section.begin() + kListAt));

    // Back to a printer without a list for the other tests.
    ASSERT_EQ(SaveSettingsBlobs(store, nullptr, kBlobsInPrinterData, nullptr, 0, privatePart.data(), nullptr, 0,
                                nullptr, 0),
              1);
}

// Stored sections as an older driver or a damaged store left them, one value
// each: a private section of the given version and length with the list
// behind it, and the two data sections.
std::vector<uint8_t> PrivateSection(const std::vector<uint8_t>& privatePart, uint32_t version, uint32_t length,
                                    const std::vector<uint8_t>& list)
{
    PrivateSectionHeader header{};
    std::memcpy(header.tag, kPrivateSectionTag, sizeof header.tag);
    header.version = version;
    header.length = length;
    std::vector<uint8_t> bytes(sizeof header);
    std::memcpy(bytes.data(), &header, sizeof header);
    bytes.insert(bytes.end(), privatePart.begin(), privatePart.begin() + length);
    bytes.insert(bytes.end(), list.begin(), list.end());
    return bytes;
}

std::vector<uint8_t> DataSection(const wchar_t* tag, const std::vector<uint8_t>& data)
{
    DataSectionHeader header{};
    std::memcpy(header.tag, tag, sizeof header.tag);
    header.size = static_cast<uint32_t>(data.size());
    std::vector<uint8_t> bytes(sizeof header);
    std::memcpy(bytes.data(), &header, sizeof header);
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

// A fax send list whose header claims `count` records.
std::vector<uint8_t> FaxList(uint16_t count, size_t records)
{
    std::vector<uint8_t> list(1442 + 742 * records, 0);
    std::memcpy(list.data(), kFaxSendListTag, sizeof kFaxSendListTag);
    std::memcpy(list.data() + 16, &count, sizeof count);
    for (size_t i = 1442; i < list.size(); ++i)
        list[i] = static_cast<uint8_t>(i * 7);
    return list;
}

// One section that cannot be read costs only itself: the upgrade keeps every
// section that reads and defaults only the others.
TEST_F(InterfaceExports, UpgradeKeepsEverySectionThatReads)
{
    std::vector<uint8_t> privatePart(kPrivatePartSize, 0);
    ASSERT_EQ(GetDefaultPrivateSettings(handle_, privatePart.data()), 1);
    constexpr size_t kMarkAt = 1000;
    privatePart[kMarkAt] = static_cast<uint8_t>(privatePart[kMarkAt] ^ 0x5A);
    const std::vector<uint8_t> tmb = {1, 2, 3};
    const std::vector<uint8_t> sp = {7, 8};
    const std::vector<uint8_t> goodList = FaxList(2, 2);
    const struct Case {
        const char* state;
        uint32_t version;
        uint32_t length;
        std::vector<uint8_t> list;
        const wchar_t* tmbTag;
        bool listKept;
        bool tmbKept;
    } cases[] = {
        {"plain", kPrivatePartVersion, kPrivatePartSize, goodList, kTmbSectionTag, true, true},
        {"older version", kPrivatePartVersion - 1, 2000, goodList, kTmbSectionTag, true, true},
        {"bad fax list", kPrivatePartVersion, kPrivatePartSize, FaxList(3, 2), kTmbSectionTag, false, true},
        {"bad TMBINFO", kPrivatePartVersion, kPrivatePartSize, goodList, L"TMBXNFO", true, false},
    };
    auto upgrade = Entry<UpgradeFn>(library_, "DrvUpgradePrinter");
    DRIVER_UPGRADE_INFO_1 info{Name(), nullptr};
    for (const Case& c : cases) {
        const std::vector<uint8_t> section = PrivateSection(privatePart, c.version, c.length, c.list);
        const std::vector<uint8_t> tmbSection = DataSection(c.tmbTag, tmb);
        const std::vector<uint8_t> spSection = DataSection(kSpSectionTag, sp);
        ASSERT_TRUE(WriteChunkedPrinterData(handle_, section.data(), static_cast<uint32_t>(section.size()), L"N_Dev",
                                            L"N_DevSize"));
        ASSERT_TRUE(WriteChunkedPrinterData(handle_, tmbSection.data(), static_cast<uint32_t>(tmbSection.size()),
                                            L"TMBInfo", L"TMBInfoSize"));
        ASSERT_TRUE(WriteChunkedPrinterData(handle_, spSection.data(), static_cast<uint32_t>(spSection.size()),
                                            L"SPInfo", L"SPInfoSize"));
        EXPECT_TRUE(upgrade(1, reinterpret_cast<BYTE*>(&info))) << c.state;

        const SettingsBlobStore store{handle_, nullptr};
        std::vector<uint8_t> privateBack(kPrivatePartSize, 0);
        uint8_t* listBack = nullptr;
        ASSERT_EQ(ReadPrivateSection(store, kBlobsInPrinterData, privateBack.data(), &listBack), 1) << c.state;
        EXPECT_EQ(privateBack[kMarkAt], privatePart[kMarkAt]) << c.state;
        EXPECT_EQ(listBack != nullptr, c.listKept) << c.state;
        if (listBack) {
            EXPECT_TRUE(std::equal(goodList.begin(), goodList.end(), listBack)) << c.state;
            GlobalFree(listBack);
        }
        uint8_t* block = nullptr;
        uint32_t size = 0;
        ASSERT_EQ(ReadTmbSection(store, kBlobsInPrinterData, &block, &size), 1) << c.state;
        EXPECT_EQ(std::vector<uint8_t>(block, block + size), c.tmbKept ? tmb : std::vector<uint8_t>()) << c.state;
        if (block)
            GlobalFree(block);
        block = nullptr;
        ASSERT_EQ(ReadSpSection(store, kBlobsInPrinterData, &block, &size), 1) << c.state;
        EXPECT_EQ(std::vector<uint8_t>(block, block + size), sp) << c.state;
        if (block)
            GlobalFree(block);
    }
    // Back to a printer without a list or data sections for the other tests.
    ASSERT_EQ(SaveSettingsBlobs(SettingsBlobStore{handle_, nullptr}, nullptr, kBlobsInPrinterData, nullptr, 0,
                                privatePart.data(), nullptr, 0, nullptr, 0),
              1);
}

// A font substitution table the user edited survives initialisation and the
// driver upgrade: only a printer without one gets the model's.
TEST_F(InterfaceExports, EditedFontSubstitutionTableIsKept)
{
    // The literal's own terminator is the list's final empty string.
    static const wchar_t kEdited[] = L"Arial\0Courier New\0";
    ASSERT_EQ(StoreFontSubstitutionTable(handle_, kEdited, sizeof(kEdited)), 1);
    auto event = Entry<PrinterEventFn>(library_, "DrvPrinterEvent");
    auto upgrade = Entry<UpgradeFn>(library_, "DrvUpgradePrinter");
    DRIVER_UPGRADE_INFO_1 info{Name(), nullptr};
    EXPECT_TRUE(event(Name(), 3, 0, 0));
    EXPECT_TRUE(upgrade(1, reinterpret_cast<BYTE*>(&info)));
    uint32_t size = 0;
    ASSERT_TRUE(ReadPrinterDataTable(handle_, kFontSubstitutionTable, nullptr, &size));
    std::vector<wchar_t> table(size / sizeof(wchar_t) + 1, 0);
    ASSERT_TRUE(ReadPrinterDataTable(handle_, kFontSubstitutionTable, table.data(), &size));
    ASSERT_EQ(size, sizeof(kEdited));
    EXPECT_EQ(std::memcmp(table.data(), kEdited, sizeof(kEdited)), 0);
}

TEST_F(InterfaceExports, WinspoolDocumentPropertiesAnswersFromTheLibrary)
{
    const LONG size = DocumentPropertiesW(nullptr, handle_, Name(), nullptr, nullptr, 0);
    ASSERT_EQ(size, kDevmodeSize);
    std::vector<BYTE> out = Filled(0);
    EXPECT_EQ(DocumentPropertiesW(nullptr, handle_, Name(), reinterpret_cast<DEVMODEW*>(out.data()), nullptr,
                                  DM_OUT_BUFFER),
              IDOK);
    EXPECT_EQ(reinterpret_cast<const DEVMODEW*>(out.data())->dmDriverExtra, kDevmodeSize - sizeof(DEVMODEW));
}

}  // namespace
