// The fax send list between the fax pages' record and its flat form, its store
// with the settings blobs, and the fax address file of a fax job at print time.
#include "ui/docevent/fax_send_list.h"

#include "common/context/settings_context.h"
#include "common/defaults/setting_defaults.h"
#include "common/context/value_by_type.h"
#include "common/job/fax_temp_files.h"
#include "common/records/printer_settings_record.h"
#include "common/records/record_defaults.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/store/settings_blobs.h"
#include "common/system/global_block.h"
#include "tests/support/model_printer.h"
#include "ui/docevent/dc_job_record.h"
#include "ui/docevent/job_data.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

struct DestinationsCloser {
    void operator()(FaxDestinations* record) const { FreeFaxDestinations(record); }
};
using DestinationsPtr = std::unique_ptr<FaxDestinations, DestinationsCloser>;

// A recipient whose every field says which one it is.
void AddRecipient(FaxDestinations* record, int n)
{
    auto* r = static_cast<FaxRecipientRecord*>(GlobalAlloc(GPTR, sizeof(FaxRecipientRecord)));
    ASSERT_NE(r, nullptr);
    r->kind = static_cast<uint16_t>(n);
    std::swprintf(r->destination, 129, L"555-%04d", n);
    r->lineSelector = 2;
    std::swprintf(r->field7, 41, L"Recipient %d", n);
    std::memset(r->unread, n, sizeof r->unread);
    r->field1Number = static_cast<uint16_t>(100 + n);
    std::swprintf(r->field6, 21, L"six %d", n);
    ASSERT_EQ(InsertKeyedListNode(record->recipients, 0, kAnyKey2, r), 1);
}

DestinationsPtr Destinations(int recipients)
{
    DestinationsPtr record(CreateFaxDestinations());
    EXPECT_NE(record, nullptr);
    std::wcscpy(record->headerText1, L"Cover line");
    std::wcscpy(record->headerText2, L"First line\r\nSecond line");
    for (int n = 1; n <= recipients; ++n)
        AddRecipient(record.get(), n);
    return record;
}

Bytes Pack(FaxDestinations* record, int count)
{
    Bytes block(FaxSendListBytes(static_cast<uint32_t>(count)), 0);
    EXPECT_EQ(PackFaxSendList(count, record, block.data()), 1);
    return block;
}

void WriteBytes(const std::wstring& path, const Bytes& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, bytes.size());
}

std::wstring TempPath(const wchar_t* name)
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

TEST(FaxSendList, PackAndUnpackAgainIsByteIdentical)
{
    for (int count : {0, 1, 3}) {
        DestinationsPtr record = Destinations(count);
        const Bytes packed = Pack(record.get(), count);
        ASSERT_EQ(packed.size(), 1442u + 742u * count);
        EXPECT_EQ(std::memcmp(packed.data(), L"SMRX001", 16), 0);
        EXPECT_EQ(packed[16] | packed[17] << 8, count);

        DestinationsPtr back(CreateFaxDestinations());
        ASSERT_EQ(UnpackFaxSendList(packed.data(), static_cast<uint32_t>(packed.size()), back.get()), 1);
        EXPECT_EQ(GetKeyedListCount(back->recipients), count);
        EXPECT_STREQ(back->headerText2, L"First line\r\nSecond line");
        EXPECT_EQ(Pack(back.get(), count), packed) << count;
    }
}

TEST(FaxSendList, RecipientsKeepTheirOrderOfInsertion)
{
    DestinationsPtr record = Destinations(3);
    const Bytes packed = Pack(record.get(), 3);
    for (uint32_t i = 0; i < 3; ++i) {
        FaxRecipientRecord r;
        ASSERT_EQ(CopyFaxRecipient(packed.data(), static_cast<uint32_t>(packed.size()), i, &r), 1);
        EXPECT_EQ(r.kind, i + 1);
    }
    DestinationsPtr back(CreateFaxDestinations());
    ASSERT_EQ(UnpackFaxSendList(packed.data(), static_cast<uint32_t>(packed.size()), back.get()), 1);
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(static_cast<FaxRecipientRecord*>(GetKeyedListDataAt(back->recipients, i))->kind, i + 1);
}

TEST(FaxSendList, PackingMoreThanTheListHoldsFails)
{
    DestinationsPtr record = Destinations(2);
    Bytes block(FaxSendListBytes(3), 0);
    EXPECT_EQ(PackFaxSendList(3, record.get(), block.data()), 0);
    EXPECT_EQ(PackFaxSendList(-1, record.get(), block.data()), 0);
    EXPECT_EQ(PackFaxSendList(1, nullptr, block.data()), 0);
}

// Only a block that is exactly the list its tag and count describe is taken.
TEST(FaxSendList, UnpackWantsTheTagAndTheExactSize)
{
    DestinationsPtr record = Destinations(2);
    const Bytes packed = Pack(record.get(), 2);
    Bytes longer = packed;
    longer.push_back(0);
    Bytes retagged = packed;
    retagged[0] = 'T';
    struct Case {
        const Bytes* bytes;
        uint32_t size;
        int result;
    } cases[] = {
        {&packed, static_cast<uint32_t>(packed.size()), 1},
        {&packed, static_cast<uint32_t>(packed.size() - 1), 0},
        {&longer, static_cast<uint32_t>(longer.size()), 0},
        {&retagged, static_cast<uint32_t>(retagged.size()), 0},
        {&packed, 1441, 0},
    };
    for (const Case& c : cases) {
        DestinationsPtr back(CreateFaxDestinations());
        EXPECT_EQ(UnpackFaxSendList(c.bytes->data(), c.size, back.get()), c.result) << c.size;
        EXPECT_EQ(GetKeyedListCount(back->recipients), c.result ? 2 : 0) << c.size;
    }
}

// Header texts that fill their fields to the last unit come back cut and
// terminated, one unit short.
TEST(FaxSendList, UnpackTerminatesFullHeaderTexts)
{
    DestinationsPtr record = Destinations(1);
    Bytes packed = Pack(record.get(), 1);
    FaxSendListHeader head;
    std::memcpy(&head, packed.data(), sizeof head);
    std::wmemset(head.headerText1, L'A', 41);
    std::wmemset(head.headerText2, L'B', 671);
    std::memcpy(packed.data(), &head, sizeof head);
    DestinationsPtr back(CreateFaxDestinations());
    // Whatever was in the record's fields before does not end the texts either.
    std::wmemset(back->headerText1, L'x', 41);
    std::wmemset(back->headerText2, L'y', 671);
    ASSERT_EQ(UnpackFaxSendList(packed.data(), static_cast<uint32_t>(packed.size()), back.get()), 1);
    EXPECT_EQ(back->headerText1[40], L'\0');
    EXPECT_EQ(back->headerText2[670], L'\0');
    EXPECT_EQ(std::wstring(back->headerText1, 40), std::wstring(40, L'A'));
    EXPECT_EQ(std::wstring(back->headerText2, 670), std::wstring(670, L'B'));
}

TEST(FaxSendList, UnusableFileNames)
{
    struct Case {
        const wchar_t* name;
        bool usable;
    } cases[] = {
        {nullptr, false},
        {L"", false},
        {L"\\\\.\\pipe\\fax", false},
        {L"\\\\.\\PIPE\\fax", false},
        {L"\\\\.\\Pipe\\", false},
        {L"\\\\.\\pipe", true},
        {L"C:\\fax\\list.tmp", true},
        {L"\\\\server\\pipe\\list.tmp", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsUsableFileName(c.name), c.usable) << (c.name ? c.name : L"(null)");
}

// A printer of the reference colour model (a printer and fax model), a settings
// context and job settings of its defaults.
class FaxAddressFile : public ::testing::Test {
protected:
    static void SetUpTestSuite() { printer_ = OpenSuitePrinter(L"C4530.DDD", L"Morva Fax Send List"); }
    static void TearDownTestSuite() { CloseSuitePrinter(printer_); }
    void SetUp() override
    {
        ASSERT_TRUE(printer_->ok()) << std::string(printer_->error().begin(), printer_->error().end());
        context_ = OpenSettingsContext(printer_->handle());
        ASSERT_NE(context_, nullptr);
        settings_.assign(kSettingsRecordSize, 0);
        printerSettings_.assign(kPrinterSettingsRecordSize, 0);
        ASSERT_EQ(FillDefaultSettings(context_, settings_.data(), printerSettings_.data(), L"DummyName"), 1);
        DeleteFileW(kKeptFaxAddressFile);
    }
    void TearDown() override
    {
        CloseSettingsContext(context_);
        DeleteFileW(kKeptFaxAddressFile);
        for (const std::wstring& path : files_)
            DeleteFileW(path.c_str());
    }
    void SetNumber(uint16_t id, uint32_t value)
    {
        ASSERT_TRUE(WriteSettingNumber(id, settings_.data(), printerSettings_.data(), value)) << id;
    }
    void SetFaxFile(const std::wstring& name)
    {
        const uint32_t bytes = static_cast<uint32_t>((name.size() + 1) * sizeof(wchar_t));
        ASSERT_EQ(
            SetFunctionIdValueArgs(settings_.data(), printerSettings_.data(), 375, kTypeString, bytes, name.c_str()),
            0);
    }
    std::wstring FaxFile()
    {
        uint16_t type = 0;
        uint32_t size = 0;
        uint64_t holder = 0;
        EXPECT_EQ(GetFunctionIdValue(375, settings_.data(), printerSettings_.data(), &type, &size, &holder), 0);
        const auto* text = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(holder));
        return std::wstring(text, wcsnlen(text, size / sizeof(wchar_t)));
    }
    std::wstring File(const wchar_t* name, const Bytes& bytes)
    {
        const std::wstring path = TempPath(name);
        WriteBytes(path, bytes);
        files_.push_back(path);
        return path;
    }
    int Resolve()
    {
        return ResolveFaxAddressFile(printer_->handle(), settings_.data(), printerSettings_.data(), L"Doc");
    }

    static ModelPrinter* printer_;
    SettingsContext* context_ = nullptr;
    Bytes settings_;
    Bytes printerSettings_;
    std::vector<std::wstring> files_;
};

ModelPrinter* FaxAddressFile::printer_ = nullptr;

TEST_F(FaxAddressFile, ImportReadsExactlyOneFaxSendList)
{
    SetNumber(334, 5);  // a fax job
    DestinationsPtr record = Destinations(2);
    const Bytes packed = Pack(record.get(), 2);
    Bytes longer = packed;
    longer.push_back(0);
    Bytes shorter(packed.begin(), packed.end() - 1);
    Bytes retagged = packed;
    retagged[2] = 'N';
    struct Case {
        std::wstring name;
        int result;
    } cases[] = {
        {File(L"morva_fax_good.tmp", packed), 1},
        {File(L"morva_fax_longer.tmp", longer), -1},
        {File(L"morva_fax_shorter.tmp", shorter), -1},
        {File(L"morva_fax_retagged.tmp", retagged), -1},
        {File(L"morva_fax_empty.tmp", {}), -1},
        {TempPath(L"morva_fax_missing.tmp"), -1},
        {L"\\\\.\\PIPE\\morva_fax", -1},
        {L"", -1},
    };
    for (const Case& c : cases) {
        SetFaxFile(c.name);
        FaxAddressData data{};
        EXPECT_EQ(ImportFaxAddressFile(settings_.data(), printerSettings_.data(), &data), c.result)
            << std::string(c.name.begin(), c.name.end());
        if (c.result == 1) {
            ASSERT_EQ(data.size, packed.size());
            EXPECT_EQ(std::memcmp(data.data, packed.data(), packed.size()), 0);
            EXPECT_EQ(std::wstring(data.fileName), c.name);
        } else {
            EXPECT_EQ(data.data, nullptr);
        }
        if (data.data)
            GlobalFree(data.data);
    }
}

// The graphics library's answer to 20489 (the record's isFaxJob) decides
// whether the address file is read, whatever the job's settings say.
TEST_F(FaxAddressFile, ImportFollowsTheRecordsFaxAnswer)
{
    DestinationsPtr destinations = Destinations(1);
    const Bytes packed = Pack(destinations.get(), 1);
    const std::wstring good = File(L"morva_fax_answer.tmp", packed);
    struct Case {
        uint32_t isFaxJob;
        uint32_t jobType;  // setting 334: 5 fax, 1 print
        const wchar_t* file;
        int result;
        bool read;
    } cases[] = {
        {1, 1, good.c_str(), 1, true},
        {1, 5, good.c_str(), 1, true},
        {0, 5, L"\\\\.\\pipe\\morva_fax", 1, false},
        {0, 1, L"\\\\.\\pipe\\morva_fax", 1, false},
        {1, 1, L"\\\\.\\pipe\\morva_fax", -1, false},
    };
    for (const Case& c : cases) {
        GlobalBlockPtr<DcJobRecord> record = AllocGlobalBlock<DcJobRecord>(sizeof(DcJobRecord));
        ASSERT_NE(record, nullptr);
        SetNumber(334, c.jobType);
        SetFaxFile(c.file);
        std::memcpy(record->settings, settings_.data(), kSettingsRecordSize);
        std::memcpy(record->printerSettings, printerSettings_.data(), kPrinterSettingsRecordSize);
        record->isFaxJob = c.isFaxJob;
        EXPECT_EQ(ReadFaxAddressData(record.get()), c.result) << c.isFaxJob << " " << c.jobType;
        EXPECT_EQ(record->faxData != nullptr, c.read) << c.isFaxJob << " " << c.jobType;
        if (c.read) {
            EXPECT_EQ(record->faxDataSize, packed.size());
            EXPECT_EQ(std::wstring(record->faxFileName), good);
        }
        if (record->faxData)
            GlobalFree(record->faxData);
    }
}

TEST_F(FaxAddressFile, ResolveKeepsAUsableFileAndClearsOthers)
{
    DestinationsPtr record = Destinations(1);
    const std::wstring good = File(L"morva_fax_resolve.tmp", Pack(record.get(), 1));
    SetFaxFile(good);
    EXPECT_EQ(Resolve(), 1);
    EXPECT_EQ(FaxFile(), good);

    // A pipe or a missing file is cleared; without destinations asked for the
    // job goes on, else the user would be asked and no sheet can be shown.
    for (const std::wstring& name : {std::wstring(L"\\\\.\\Pipe\\morva_fax"), TempPath(L"morva_fax_gone.tmp")}) {
        SetFaxFile(name);
        SetNumber(381, 1);
        EXPECT_EQ(Resolve(), 1);
        EXPECT_EQ(FaxFile(), L"");
        SetFaxFile(name);
        SetNumber(381, 0);
        EXPECT_EQ(Resolve(), -1);
        EXPECT_EQ(FaxFile(), L"");
    }
}

// The shared address file wins over the job's own name when it is tagged as a
// fax send list, and it is never deleted with the job.
TEST_F(FaxAddressFile, SharedFileWithTheTagWins)
{
    DestinationsPtr record = Destinations(2);
    const Bytes packed = Pack(record.get(), 2);
    const std::wstring own = File(L"morva_fax_own.tmp", packed);
    Bytes retagged = packed;
    retagged[12] = 'X';  // within the 13 bytes the check reads
    WriteBytes(kKeptFaxAddressFile, retagged);
    SetFaxFile(own);
    EXPECT_EQ(Resolve(), 1);
    EXPECT_EQ(FaxFile(), own);

    WriteBytes(kKeptFaxAddressFile, packed);
    EXPECT_EQ(Resolve(), 1);
    EXPECT_EQ(FaxFile(), kKeptFaxAddressFile);
    EXPECT_EQ(DeleteFaxAddressFile(kKeptFaxAddressFile), 1);
    EXPECT_NE(GetFileAttributesW(kKeptFaxAddressFile), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FaxAddressFile, StoreAndRestoreWithTheSettingsBlobs)
{
    DestinationsPtr record = Destinations(3);
    Bytes privatePart(kPrivatePartSize, 0);
    ASSERT_EQ(GetDefaultPrivateSettings(printer_->handle(), privatePart.data()), 1);
    privatePart[100] = 0x5A;
    const uint8_t tmb[] = {1, 2, 3};
    const FaxStoreBlobs blobs{privatePart.data(), tmb, sizeof tmb, nullptr, 0};
    const std::wstring settingsFile = File(L"morva_fax_settings.tmp", {});
    for (const wchar_t* file : {static_cast<const wchar_t*>(nullptr), settingsFile.c_str()}) {
        ASSERT_EQ(StoreFaxSendList(printer_->handle(), context_, file, kBlobsInPrinterData, record.get(), blobs), 1);
        DestinationsPtr back(CreateFaxDestinations());
        Bytes restored(kPrivatePartSize, 0);
        uint8_t* tmbBack = nullptr;
        uint32_t tmbBackSize = 0;
        ASSERT_EQ(RestoreFaxDestinations(printer_->handle(), context_, file, kBlobsInPrinterData, back.get(),
                                         restored.data(), &tmbBack, &tmbBackSize),
                  1);
        EXPECT_EQ(restored, privatePart);
        ASSERT_EQ(tmbBackSize, sizeof tmb);
        EXPECT_EQ(std::memcmp(tmbBack, tmb, sizeof tmb), 0);
        GlobalFree(tmbBack);
        EXPECT_EQ(Pack(back.get(), 3), Pack(record.get(), 3));
    }
    // Without a record nothing is packed, and a stored list is replaced by none.
    ASSERT_EQ(StoreFaxSendList(printer_->handle(), context_, nullptr, kBlobsInPrinterData, nullptr, blobs), 1);
    DestinationsPtr none(CreateFaxDestinations());
    Bytes restored(kPrivatePartSize, 0);
    EXPECT_EQ(
        RestoreFaxDestinations(printer_->handle(), context_, nullptr, kBlobsInPrinterData, none.get(), restored.data()),
        1);
    EXPECT_EQ(GetKeyedListCount(none->recipients), 0);
    // A printer or a file, and the private part, are needed.
    EXPECT_EQ(StoreFaxSendList(nullptr, context_, nullptr, kBlobsInPrinterData, record.get(), blobs), 0);
    EXPECT_EQ(
        StoreFaxSendList(printer_->handle(), context_, nullptr, kBlobsInPrinterData, record.get(), FaxStoreBlobs{}), 0);
}

}  // namespace
