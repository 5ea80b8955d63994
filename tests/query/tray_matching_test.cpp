// The trays a printer reports, matched to papers, paper types and settings.
#include "ui/query/tray_matching.h"

#include "common/settings/value_types.h"

#include <gtest/gtest.h>

namespace {

const std::vector<QueryPaper> kPapers = {{1, 2159, 2794}, {9, 2100, 2970}, {11, 1480, 2100}};
const std::vector<QueryPaper> kUsers = {{262, 1000, 1500}, {263, 2120, 2970}};

TrayFeature A4Tray()
{
    TrayFeature f;
    f.source = 3;
    f.minWidth = 900;
    f.minLength = 1400;
    f.maxWidth = 2970;
    f.maxLength = 4320;
    f.papers = {1, 9};
    f.deviceTray = 2;
    return f;
}

TEST(TrayMatching, PaperSizeByToleranceUserSizeAndBounds)
{
    const TrayFeature tray = A4Tray();
    struct Case {
        int32_t first, second;
        uint16_t code, shorter, longer;
    } cases[] = {
        {210000, 297000, 9, 2100, 2970},   // exact A4
        {297900, 210400, 9, 2104, 2979},   // within 1 mm, either orientation
        {211100, 297000, 263, 2111, 2970}, // beyond 1 mm: the user size within 1 mm
        {213500, 297000, 275, 2135, 2970}, // no size: within the tray's bounds
        {300000, 450000, 273, 3000, 4500}, // beyond the tray's bounds
        {148000, 210000, 275, 1480, 2100}, // A5 exists but the tray does not take it
        {-1, 297000, 273, 0, 0},           // the printer does not know
    };
    for (const Case& c : cases) {
        const SizeMatch m = MatchTrayPaper(c.first, c.second, tray, kPapers, kUsers);
        EXPECT_EQ(m.code, c.code) << c.first << "x" << c.second;
        EXPECT_EQ(m.shorter, c.shorter) << c.first << "x" << c.second;
        EXPECT_EQ(m.longer, c.longer) << c.first << "x" << c.second;
    }
}

const std::vector<TypeName> kTypes = {{1, L"Plain"}, {13, L"User1"}, {14, L"User2"}, {3, L"Thick"}};
const std::vector<TypeName> kSecond = {{2, L"Coated"}, {11, L"Custom1"}};

TEST(TrayMatching, PaperTypeTexts)
{
    struct Case {
        const wchar_t* text;
        uint16_t code;
        const wchar_t* name;
    } cases[] = {
        {L"Plain", 1, L""},          {L"Thick", 3, L""},          {L"Plai", 28, L""},
        {L"User1(Alice)", 13, L"Alice"}, {L"User2(A(b)c)", 14, L"A(b)c"}, {L"User1()", 13, L""},
        {L"User1", 28, L""},         {L"User1(Alice", 28, L""},   {L"User1x", 28, L""},
        {L"", 28, L""},
    };
    for (const Case& c : cases) {
        const TypeMatch m = MatchPaperType(c.text, kTypes);
        EXPECT_EQ(m.code, c.code) << c.text;
        EXPECT_EQ(m.userName, c.name) << c.text;
    }
    struct Second {
        const wchar_t* text;
        uint16_t code;
        const wchar_t* name;
    } seconds[] = {{L"Coated", 2, L""}, {L"Custom1", 11, L""}, {L"Custom1(Bob)", 11, L"Bob"},
                   {L"Custom1(Bob", 17, L""}, {L"Other", 17, L""}};
    for (const Second& c : seconds) {
        const TypeMatch m = MatchSecondType(c.text, kSecond);
        EXPECT_EQ(m.code, c.code) << c.text;
        EXPECT_EQ(m.userName, c.name) << c.text;
    }
}

TEST(TrayMatching, FeedDirectionAndShape)
{
    EXPECT_EQ(TrayFeedDirection(100, 100, false), 2);
    EXPECT_EQ(TrayFeedDirection(100, 200, false), 2);
    EXPECT_EQ(TrayFeedDirection(200, 100, false), 1);
    EXPECT_EQ(TrayFeedDirection(200, 100, true), 2);
    EXPECT_EQ(TrayFeedDirection(100, 200, true), 1);
    EXPECT_EQ(TrayShape(5, 5), 1u);
    EXPECT_EQ(TrayShape(4, 5), 2u);
    EXPECT_EQ(TrayShape(6, 5), 3u);
}

TEST(TrayMatching, TrayAnswersGoToTheSourcesSettingsInOrder)
{
    TrayModel model;
    model.features = {A4Tray()};
    TrayFeature unassigned = A4Tray();
    unassigned.source = 1;
    unassigned.deviceTray = 0;
    TrayFeature unlisted = A4Tray();
    unlisted.source = 999;     // not in the paper source table
    unlisted.deviceTray = 3;
    model.features.push_back(unassigned);
    model.features.push_back(unlisted);
    model.modelPapers = kPapers;
    model.userPapers = kUsers;
    model.typeNames = kTypes;
    model.secondNames = kSecond;
    model.secondTypes = true;

    std::vector<DeviceTrayRecord> trays(3);
    for (uint32_t i = 0; i < 3; ++i)
        trays[i].tray = i + 1;
    trays[1].first = 210000;
    trays[1].second = 297000;
    wcscpy(trays[1].typeText, L"User1(Alice)");
    wcscpy(trays[1].secondText, L"Custom1(Bob)");
    trays[2].first = 210000;
    trays[2].second = 297000;

    AnswerList answers;
    ASSERT_TRUE(BuildTrayAnswers(trays, model, &answers));
    struct Expected {
        uint16_t setting;
        uint32_t value;
        const wchar_t* text;
    } expected[] = {{6146, 9, nullptr},    {6191, 2100, nullptr}, {6206, 2970, nullptr}, {6161, 2, nullptr},
                    {6176, 13, nullptr},   {6401, 0, L"Alice"},   {6296, 11, nullptr},   {6411, 0, L"Bob"}};
    ASSERT_EQ(answers.size(), std::size(expected));
    for (size_t i = 0; i < answers.size(); ++i) {
        EXPECT_EQ(answers[i].settingId, expected[i].setting) << i;
        if (expected[i].text)
            EXPECT_STREQ(AnswerText(answers[i]), expected[i].text) << i;
        else
            EXPECT_EQ(AnswerNumber(answers[i]), expected[i].value) << i;
    }
    FreeAnswers(&answers);

    // Without the second types the D column and its names are left out.
    model.secondTypes = false;
    ASSERT_TRUE(BuildTrayAnswers(trays, model, &answers));
    EXPECT_EQ(answers.size(), 6u);
    FreeAnswers(&answers);
}

}  // namespace
