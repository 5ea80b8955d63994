// Round trip: every record the compiler listed reads back the same.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "tests/model/model_listing.h"
#include "tests/model/model_test_files.h"

namespace {

void CheckListing(const wchar_t* model, const wchar_t* listing, int atLeast = 50) {
    LoadedModel m(BinPath(model));
    ASSERT_EQ(m.status, kModelOk);
    std::ifstream in(ToUtf8(BinPath(listing).c_str()), std::ios::binary);
    ASSERT_TRUE(in.good());
    std::string line;
    int checked = 0;
    while (std::getline(in, line)) {
        unsigned kind = 0, position = 0, id = 0, role = 0;
        ASSERT_EQ(sscanf(line.c_str(), "%u %u %u %u|", &kind, &position, &id, &role), 4) << line;
        const std::string expected = line.substr(line.find('|') + 1);
        ModelSection* s = nullptr;
        ASSERT_EQ(LoadModelTable(true, &m.main, &m.linked, static_cast<uint16_t>(kind),
                                 static_cast<uint16_t>(position), &s),
                  kModelOk)
            << line;
        EXPECT_EQ(s->id, id) << line;
        EXPECT_EQ(s->kind, kind) << line;
        EXPECT_EQ(s->fileRole, role) << line;
        EXPECT_EQ(FormatModelSection(s), expected) << "kind " << kind << " position " << position;
        FreeModelSection(&s, kKindOwn);
        ++checked;
    }
    EXPECT_GE(checked, atLeast);
    EXPECT_EQ(CountModelScratchSlotsInUse(&m.main), 0);
}

TEST(ModelRoundTrip, ColourMultifunctionModel) { CheckListing(L"C4530.DDD", L"C4530.lst"); }
TEST(ModelRoundTrip, MonochromeOlderFormatModel) { CheckListing(L"M2200.DDD", L"M2200.lst"); }

TEST(ModelRoundTrip, FirstFormatVersionModel) { CheckListing(L"OLD.DDD", L"OLD.lst", 10); }

TEST(ModelRoundTrip, TableCountsMatchTheListing) {
    LoadedModel m(BinPath(L"C4530.DDD"));
    ASSERT_EQ(m.status, kModelOk);
    struct Case { uint16_t kind; uint16_t count; } cases[] = {
        {kKindPaper, 23}, {kKindInputTray, 6}, {kKindOutputBin, 3}, {kKindFont, 6}, {kKindPreset, 3},
        {kKindJobAttribute, 33}, {kKindPicture, 1}, {kKindNamedString, 2}, {kKindSetting32779, 2},
    };
    for (const Case& c : cases) EXPECT_EQ(GetModelTableCount(&m.main, c.kind), c.count) << c.kind;
    EXPECT_EQ(GetModelTableCount(&m.main, 2), 0);
    EXPECT_EQ(GetModelTableCount(&m.linked, kKindValueArray), 1);
}

}  // namespace
