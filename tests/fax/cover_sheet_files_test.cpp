// Form paths and the sample print's fax file of the cover sheets.
#include "ui/fax/cover_sheet_files.h"

#include "common/context/value_by_type.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "tests/fax/fax_test_records.h"
#include "tests/support/settings_pair_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> FileBytes(const std::wstring& path)
{
    std::vector<uint8_t> bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    return bytes;
}

uint16_t U16At(const std::vector<uint8_t>& bytes, size_t offset)
{
    uint16_t value = 0;
    std::memcpy(&value, bytes.data() + offset, 2);
    return value;
}

}  // namespace

TEST(CoverSheetForms, SplitAndAcceptFormPaths)
{
    const struct {
        const wchar_t* path;
        const wchar_t* folder;
        const wchar_t* name;
        bool accepted;
    } cases[] = {
        {L"C:\\Forms\\memo.cvr", L"C:\\Forms", L"memo", true},
        {L"memo.cvr", L"memo.cvr", L"memo", true},
        {L"C:\\a.b.c", L"C:", L"a", false},
        {L"a.b.c", L"a.b.c", L"a", false},
        {L"abcdefghi.x", L"abcdefghi.x", L"abcdefghi", false},
        {L"abcdefgh.x", L"abcdefgh.x", L"abcdefgh", true},
        {L"C:\\Forms\\noext", L"C:\\Forms", L"noext", false},
        {L"C:\\My.Forms\\fax.cvr", L"C:\\My.Forms", L"fax", true},
        {L"", L"", L"", false},
    };
    for (const auto& c : cases) {
        wchar_t folder[kCoverPathChars] = {};
        wchar_t name[kCoverPathChars] = {};
        SplitFormPath(c.path, folder, std::size(folder), name, std::size(name));
        EXPECT_EQ(std::wstring(folder), c.folder) << c.path;
        EXPECT_EQ(std::wstring(name), c.name) << c.path;
        EXPECT_EQ(IsAcceptedFormPath(c.path), c.accepted) << c.path;
    }
    // Small buffers are cut, never overrun.
    wchar_t tiny[4] = {L'x', L'x', L'x', L'x'};
    wchar_t name[3] = {};
    SplitFormPath(L"C:\\Forms\\memo.cvr", tiny, std::size(tiny), name, std::size(name));
    EXPECT_EQ(std::wstring(tiny), L"C:\\");
    EXPECT_EQ(std::wstring(name), L"me");
    EXPECT_FALSE(IsAcceptedFormPath(nullptr));
}

TEST(CoverSheetSample, TemporaryFilesNeverShareAName)
{
    EXPECT_STRNE(CoverTempFallbackName(kSampleAddressFile), CoverTempFallbackName(kSamplePropertyFile));
    wchar_t first[MAX_PATH] = {};
    wchar_t second[MAX_PATH] = {};
    MakeCoverTempFileName(kSampleAddressFile, first);
    MakeCoverTempFileName(kSamplePropertyFile, second);
    EXPECT_STRNE(first, second);
    EXPECT_TRUE(DeleteFileW(first));
    EXPECT_TRUE(DeleteFileW(second));
}

TEST(CoverSheetSample, SendListHoldsOneRecordWithCountOne)
{
    DestinationsPtr record(CreateFaxDestinations());
    ASSERT_TRUE(record);
    std::wcscpy(record->headerText1, L"Quarterly report");
    uint8_t list[kSampleSendListBytes];
    ASSERT_EQ(BuildSampleSendList(record.get(), list), 1);
    const auto* header = reinterpret_cast<const FaxSendListHeader*>(list);
    EXPECT_EQ(header->count, 1);
    EXPECT_EQ(std::wstring(header->headerText1), L"Quarterly report");
    const auto* empty = reinterpret_cast<const FaxRecipientRecord*>(list + kFaxSendListHeaderBytes);
    EXPECT_EQ(empty->field4Number, 1);
    EXPECT_EQ(empty->field1Number, 1);
    EXPECT_EQ(empty->destination[0], L'\0');

    // Three recipients: still one record, the oldest, and count 1.
    ASSERT_TRUE(AddTo(record.get(), Recipient(0, L"0311112222", L"First")));
    ASSERT_TRUE(AddTo(record.get(), Recipient(0, L"0322223333", L"Second")));
    ASSERT_TRUE(AddTo(record.get(), Recipient(0, L"0333334444", L"Third")));
    ASSERT_EQ(BuildSampleSendList(record.get(), list), 1);
    EXPECT_EQ(header->count, 1);
    const auto* oldest = reinterpret_cast<const FaxRecipientRecord*>(list + kFaxSendListHeaderBytes);
    EXPECT_EQ(std::wstring(oldest->destination), L"0311112222");
    EXPECT_EQ(BuildSampleSendList(nullptr, list), 0);
}

class CoverSheetSampleSettings : public SettingsPairTest {
protected:
    static void SetUpTestSuite() { printer_s = OpenSuitePrinter(L"F1800.DDD", L"Morva Cover Sample"); }
    static void TearDownTestSuite() { CloseSuitePrinter(printer_s); }
    void SetUp() override { Open(printer_s); }
    static ModelPrinter* printer_s;
};
ModelPrinter* CoverSheetSampleSettings::printer_s = nullptr;

TEST_F(CoverSheetSampleSettings, FileOfTheSampleWithoutRecipientIs2184BytesAndCountOne)
{
    DestinationsPtr record(CreateFaxDestinations());
    ASSERT_TRUE(AddTo(record.get(), Recipient(0, L"0311112222", L"First")));
    ASSERT_TRUE(AddTo(record.get(), Recipient(0, L"0322223333", L"Second")));
    wchar_t file[MAX_PATH] = {};
    MakeCoverTempFileName(kSampleAddressFile, file);
    ASSERT_EQ(PrepareSampleSendList(settings_.data(), printer_settings_.data(), record.get(), file), 1);
    EXPECT_EQ(Get(kFidFaxRecipientCount), 1u) << "the count of the one record the file holds";
    EXPECT_EQ(Get(kFidFaxInformationOnly), 1u);
    const auto* stored = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(GetFunctionIdValuePointer(
        settings_.data(), printer_settings_.data(), kFidFaxAddressFile, kTypeString)));
    ASSERT_NE(stored, nullptr);
    EXPECT_STREQ(stored, file);
    const auto bytes = FileBytes(file);
    ASSERT_EQ(bytes.size(), 2184u);
    EXPECT_EQ(U16At(bytes, kFaxSendListCountOffset), 1);

    DestinationsPtr none(CreateFaxDestinations());
    ASSERT_EQ(PrepareSampleSendList(settings_.data(), printer_settings_.data(), none.get(), file), 1);
    const auto empty = FileBytes(file);
    ASSERT_EQ(empty.size(), 2184u);
    EXPECT_EQ(U16At(empty, kFaxSendListCountOffset), 1);
    EXPECT_EQ(U16At(empty, kFaxSendListHeaderBytes + 514), 1);
    EXPECT_EQ(U16At(empty, kFaxSendListHeaderBytes + 534), 1);
    EXPECT_EQ(Get(kFidFaxRecipientCount), 1u);
    DeleteFileW(file);
}

TEST(CoverSheetForms, AnEleventhFormDropsTheOldestAndTheNewestComesFirst)
{
    wchar_t stored[10][kCoverPathChars] = {};
    for (int i = 0; i < 10; ++i)
        std::swprintf(stored[i], kCoverPathChars, L"C:\\Forms\\form%d.cvr", i + 1);
    wchar_t out[10][kCoverPathChars] = {};
    ASSERT_EQ(OrderCoverForms(stored, 10, L"C:\\Forms\\new.cvr", out), 10);
    EXPECT_STREQ(out[0], L"C:\\Forms\\new.cvr");
    EXPECT_STREQ(out[1], L"C:\\Forms\\form1.cvr");
    EXPECT_STREQ(out[9], L"C:\\Forms\\form9.cvr") << "the tenth, least recent, is dropped";
    // A stored choice moves to the top; nothing is lost.
    ASSERT_EQ(OrderCoverForms(stored, 10, L"C:\\Forms\\form7.cvr", out), 10);
    EXPECT_STREQ(out[0], L"C:\\Forms\\form7.cvr");
    EXPECT_STREQ(out[7], L"C:\\Forms\\form8.cvr");
    EXPECT_STREQ(out[9], L"C:\\Forms\\form10.cvr");
    // No choice: the stored order.
    ASSERT_EQ(OrderCoverForms(stored, 3, L"", out), 3);
    EXPECT_STREQ(out[0], L"C:\\Forms\\form1.cvr");
}

TEST(CoverSheetNumber, ZerosBecomeOneBlank)
{
    const struct {
        const wchar_t* typed;
        const wchar_t* stored;
    } cases[] = {{L"000", L" "}, {L"0", L" "}, {L"010", L"010"}, {L"", L""}, {L"12", L"12"}};
    for (const auto& c : cases) {
        wchar_t text[8] = {};
        std::wcscpy(text, c.typed);
        BlankZeroNumber(text);
        EXPECT_STREQ(text, c.stored) << c.typed;
    }
}
