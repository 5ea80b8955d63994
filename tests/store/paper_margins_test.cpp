#include "common/store/paper_margins.h"

#include "common/store/printer_id.h"
#include "common/store/user_store.h"
#include "tests/support/spooler_fixture.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

constexpr wchar_t kBaseRoot[] = L"Software\\MorvaStoreTest\\Margins";
constexpr wchar_t kBase[] = L"Software\\MorvaStoreTest\\Margins\\";
constexpr wchar_t kMachineRoot[] = L"Software\\MorvaStoreTest\\MarginsMachine";
constexpr wchar_t kMachine[] = L"Software\\MorvaStoreTest\\MarginsMachine\\";

using Four = std::array<uint32_t, 4>;

Four Oriented(const PaperMarginRecord& stored, int orientation)
{
    PaperMarginRecord copy = stored;
    Four out = {};
    EXPECT_EQ(RotateMargins(kMarginsFromStored, orientation, &copy, out.data()), kMarginOk);
    return out;
}

TEST(PaperMargins, OrientationTurnsAndBack)
{
    const PaperMarginRecord stored = {{1, 2, 3, 4}};
    struct Case {
        int orientation;
        Four oriented;
    };
    for (const Case& c : {Case{1, {1, 2, 4, 3}}, Case{2, {3, 4, 1, 2}}}) {
        Four oriented = Oriented(stored, c.orientation);
        EXPECT_EQ(oriented, c.oriented) << c.orientation;
        PaperMarginRecord back = {};
        ASSERT_EQ(RotateMargins(kMarginsToStored, c.orientation, &back, oriented.data()), kMarginOk);
        EXPECT_EQ(Four(std::to_array(back.margin)), (Four{1, 2, 3, 4})) << c.orientation;
    }
    PaperMarginRecord copy = stored;
    Four out = {};
    for (int bad : {0, 3}) {
        EXPECT_EQ(RotateMargins(kMarginsFromStored, bad, &copy, out.data()), kMarginBadArgument);
        EXPECT_EQ(GetOrientedDefaultMargins(out.data(), bad), kMarginBadArgument);
    }
    EXPECT_EQ(RotateMargins(3, 1, &copy, out.data()), kMarginBadArgument);
}

TEST(PaperMargins, ListReplacesOrAppends)
{
    PaperMarginList list = {};
    const Four a = {1, 2, 3, 4};
    const Four b = {5, 6, 7, 8};
    ASSERT_EQ(AddPaperMargins(&list, 9, a.data(), 1), kMarginOk);
    ASSERT_EQ(AddPaperMargins(&list, 11, a.data(), 2), kMarginOk);
    EXPECT_EQ(list.count, 2u);
    ASSERT_EQ(AddPaperMargins(&list, 9, b.data(), 1), kMarginOk);
    EXPECT_EQ(list.count, 2u);
    EXPECT_EQ(list.bytes, 40u);
    PaperMarginRecord found = {};
    ASSERT_EQ(FindPaperMargins(&list, 9, &found), kMarginOk);
    EXPECT_EQ(Oriented(found, 1), b);
    ASSERT_EQ(FindPaperMargins(&list, 11, &found), kMarginOk);
    EXPECT_EQ(Four(std::to_array(found.margin)), (Four{3, 4, 1, 2}));
    EXPECT_EQ(FindPaperMargins(&list, 12, &found), kMarginNotFound);
    EXPECT_EQ(AddPaperMargins(&list, 12, a.data(), 5), kMarginBadArgument);
    GlobalFree(list.entries);
}

class PaperMarginStoreTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InstallPrinterDataDeleteStandIn(); }
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, kBaseRoot);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kMachineRoot);
    }
    void TearDown() override { SetUp(); }
    TestPrinter printer_{L"Morva Store Margins"};
    HANDLE h() const { return printer_.handle(); }
};

TEST_F(PaperMarginStoreTest, PrinterWideListInPrinterData)
{
    ASSERT_TRUE(printer_.ok());
    PaperMarginList* list = LoadPaperMarginList(h());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->count, 0u);
    EXPECT_EQ(list->entries, nullptr);
    EXPECT_EQ(SavePaperMarginList(h(), list), kMarginBadArgument);
    const Four a = {10, 20, 30, 40};
    ASSERT_EQ(AddPaperMargins(list, 7, a.data(), 1), kMarginOk);
    ASSERT_EQ(SavePaperMarginList(h(), list), kMarginOk);
    FreePaperMarginList(list);

    list = LoadPaperMarginList(h());
    ASSERT_EQ(list->count, 1u);
    EXPECT_EQ(list->entries[0].paper, 7);
    Four got = {};
    ASSERT_EQ(GetPaperMargins(h(), kBase, 7, got.data(), kMachine, list, false, 1), kMarginOk);
    EXPECT_EQ(got, a);
    ASSERT_EQ(GetPaperMargins(h(), kBase, 8, got.data(), kMachine, list, false, 2), kMarginOk);
    EXPECT_EQ(got, (Four{46, 46, 46, 46}));
    EXPECT_EQ(GetPaperMargins(h(), kBase, 7, got.data(), kMachine, list, false, 0), kMarginBadArgument);
    FreePaperMarginList(list);
    EXPECT_EQ(FreePaperMarginList(nullptr), kMarginNotFound);

    EXPECT_EQ(ResetPaperMarginStore(h(), kBase, false, kMachine), kMarginOk);
    list = LoadPaperMarginList(h());
    EXPECT_EQ(list->count, 0u);
    FreePaperMarginList(list);
}

TEST_F(PaperMarginStoreTest, UserMarginsComeFirstAndAreSeededFromTheMachine)
{
    ASSERT_TRUE(printer_.ok());
    // A machine-wide margin for paper 5, stored order (1, 2, 3, 4).
    const PaperMarginEntry seed = {5, 0, {{1, 2, 3, 4}}};
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, (std::wstring(kMachine) + L"Paper Margin").c_str(), L"5",
                              REG_BINARY, &seed, sizeof seed),
              ERROR_SUCCESS);

    PaperMarginRecord read = {};
    ASSERT_EQ(ReadCustomPaperMargins(h(), kBase, kMachine, 5, &read), kMarginOk);
    EXPECT_EQ(Four(std::to_array(read.margin)), (Four{1, 2, 3, 4}));
    EXPECT_EQ(ReadCustomPaperMargins(h(), kBase, kMachine, 6, &read), kMarginValueMissing);

    PaperMarginList list = {};
    const Four listed = {9, 9, 9, 9};
    ASSERT_EQ(AddPaperMargins(&list, 6, listed.data(), 1), kMarginOk);
    const Four user = {11, 12, 13, 14};
    ASSERT_EQ(WriteCustomPaperMargins(h(), kBase, 6, user.data(), kMachine, 2), kMarginOk);
    Four got = {};
    ASSERT_EQ(GetPaperMargins(h(), kBase, 6, got.data(), kMachine, &list, true, 2), kMarginOk);
    EXPECT_EQ(got, user);
    ASSERT_EQ(GetPaperMargins(h(), kBase, 6, got.data(), kMachine, &list, false, 2), kMarginOk);
    EXPECT_EQ(got, listed);

    // The user's key carries the printer's mark, so the purge can judge it.
    uint8_t id[kPrinterIdBytes];
    ASSERT_EQ(ReadPrinterId(h(), id), 1);
    wchar_t key[kUserKeyPathChars];
    ASSERT_EQ(BuildUserSettingsKeyPath(kBase, id, nullptr, key, kUserKeyPathChars), 1);
    DWORD attributes = 0;
    DWORD size = sizeof attributes;
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, key, nullptr, RRF_RT_REG_BINARY, nullptr, &attributes, &size),
              ERROR_SUCCESS);

    ASSERT_EQ(ResetPaperMarginStore(h(), kBase, true, kMachine), kMarginOk);
    EXPECT_EQ(ReadCustomPaperMargins(h(), kBase, kMachine, 6, &read), kMarginValueMissing);
    EXPECT_EQ(ReadCustomPaperMargins(h(), kBase, kMachine, 5, &read), kMarginValueMissing);  // not seeded again
    ASSERT_EQ(GetPaperMargins(h(), kBase, 6, got.data(), kMachine, &list, true, 1), kMarginOk);
    EXPECT_EQ(got, listed);
    GlobalFree(list.entries);
}

TEST_F(PaperMarginStoreTest, UserValueOfAnotherSizeCountsAsMissing)
{
    ASSERT_TRUE(printer_.ok());
    const uint8_t shortValue[19] = {};
    ASSERT_EQ(WriteUserValue(h(), kBase, shortValue, sizeof shortValue, REG_BINARY, L"Paper Margin", L"3"), 1);
    PaperMarginRecord read = {};
    EXPECT_EQ(ReadCustomPaperMargins(h(), kBase, kMachine, 3, &read), kMarginValueMissing);
}

}  // namespace
