// The order and checks with which a query's answers reach the page.
#include "ui/query/query_application.h"

#include "common/settings/value_types.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct RecordingTarget : QueryResultTarget {
    std::vector<std::string> calls;
    uint16_t reportChanged = 0;
    bool Store(const SettingAnswer& a) override
    {
        calls.push_back("store " + std::to_string(a.settingId));
        return true;
    }
    bool Change(const SettingAnswer& a, uint16_t* first) override
    {
        calls.push_back("change " + std::to_string(a.settingId) + "=" + std::to_string(AnswerNumber(a)));
        *first = reportChanged;
        return true;
    }
    void Message(uint16_t id) override { calls.push_back("message " + std::to_string(id)); }
    std::vector<uint16_t> rebuilt;
    void RebuildOptionList(uint16_t s) override { rebuilt.push_back(s); }
    void ShowAddress(const wchar_t* t) override { calls.push_back(t ? "show" : "show none"); }
    size_t Count(const std::string& prefix) const
    {
        size_t n = 0;
        for (const std::string& c : calls)
            n += c.rfind(prefix, 0) == 0;
        return n;
    }
};

PrinterQueryResult Result(AnswerList options)
{
    PrinterQueryResult r;
    StringAnswer(kQueryAddressSetting, L"10.0.0.1", &r.address);
    r.options = std::move(options);
    r.others = {NumberAnswer(4200, kTypeU16, 2, 2)};
    r.trays = {NumberAnswer(6146, kTypeU16, 2, 9), NumberAnswer(6176, kTypeU16, 2, 13)};
    return r;
}

TEST(QueryApplication, AZeroFirstOptionStopsAfterTheIdentity)
{
    PrinterQueryResult r = Result({NumberAnswer(4097, kTypeByte, 1, 0), NumberAnswer(4100, kTypeU16, 2, 2)});
    RecordingTarget t;
    EXPECT_EQ(ApplyQueryResult(r, {}, &t), 1);
    EXPECT_EQ(t.calls, (std::vector<std::string>{"store 8213", "message 4638"}));
    EXPECT_TRUE(t.rebuilt.empty());
    FreePrinterQueryResult(&r);
}

TEST(QueryApplication, TheFirstOptionAndAHardDiskAreOnlyChecked)
{
    struct Case {
        uint64_t first, disk;
        bool stops;
    } cases[] = {{1, 1, false}, {1, 0, true}, {0, 1, true},
                 {0x100, 1, true}};   // a byte answer with stale bytes above it reads as zero
    for (const Case& c : cases) {
        PrinterQueryResult r = Result({NumberAnswer(4097, kTypeByte, 1, c.first), NumberAnswer(kOptionHardDisk, kTypeFlag, 4, c.disk),
                                       NumberAnswer(4100, kTypeU16, 2, 2)});
        RecordingTarget t;
        ApplyQueryResult(r, {}, &t);
        EXPECT_EQ(t.Count("message 4638"), c.stops ? 1u : 0u) << c.first << " " << c.disk;
        if (!c.stops) {
            EXPECT_EQ(t.Count("change 4097"), 0u);
            EXPECT_EQ(t.Count("change 4099"), 0u);
            EXPECT_EQ(t.Count("change 4100=2"), 1u);
            EXPECT_EQ(t.Count("change 4200"), 1u);
            EXPECT_EQ(t.Count("store 6146"), 1u);
        } else {
            EXPECT_EQ(t.Count("change"), 0u);
            EXPECT_EQ(t.Count("store 61"), 0u);
        }
        FreePrinterQueryResult(&r);
    }
}

TEST(QueryApplication, FaxCardFirstOrCapabilityAppliesEveryOption)
{
    struct Case {
        AnswerList options;
        bool capability;
        bool warns;
        size_t changes;
    };
    std::vector<Case> cases;
    cases.push_back({{NumberAnswer(kOptionFaxCardType, kTypeByte, 1, 0)}, false, true, 1});
    cases.push_back({{NumberAnswer(kOptionFaxCardType, kTypeByte, 1, 2)}, false, false, 1});
    cases.push_back({{NumberAnswer(kOptionFaxCardType, kTypeByte, 1, 0), NumberAnswer(kOptionSipFax, kTypeU32, 4, 1)}, false, false, 2});
    cases.push_back({{NumberAnswer(4097, kTypeByte, 1, 0)}, true, true, 1});
    cases.push_back({{NumberAnswer(4097, kTypeByte, 1, 0), NumberAnswer(kOptionSipFax, kTypeU32, 4, 1)}, true, false, 2});
    for (Case& c : cases) {
        PrinterQueryResult r = Result(c.options);
        RecordingTarget t;
        QueryCapabilities caps;
        caps.firstOptionApplied = c.capability;
        ApplyQueryResult(r, caps, &t);
        EXPECT_EQ(t.Count("message 4638"), c.warns ? 1u : 0u);
        EXPECT_EQ(t.Count("change 4") - 1, c.changes);   // the other answer 4200 as well
        EXPECT_EQ(t.Count("store 6146"), 1u);            // the warning lets the application go on
        FreePrinterQueryResult(&r);
    }
}

TEST(QueryApplication, LeadingChangeWarnsAndEveryTrayPaperListIsRebuilt)
{
    PrinterQueryResult r = Result({NumberAnswer(kOptionFaxCardType, kTypeByte, 1, 1), NumberAnswer(4100, kTypeU16, 2, 0)});
    RecordingTarget t;
    t.reportChanged = kOptionLeadingChange;
    ApplyQueryResult(r, {}, &t);
    // Only the non-zero answer warns.
    EXPECT_EQ(t.Count("message 5023"), 1u);
    EXPECT_EQ(t.calls.back(), "show");
    // Both parts of the paper source table: 6145-6159 and 6220-6224.
    ASSERT_EQ(t.rebuilt.size(), 20u);
    EXPECT_EQ(t.rebuilt.front(), 6145);
    EXPECT_EQ(t.rebuilt[14], 6159);
    EXPECT_EQ(t.rebuilt[15], 6220);
    EXPECT_EQ(t.rebuilt.back(), 6224);
    FreePrinterQueryResult(&r);
}

TEST(QueryApplication, IdentityByCapability)
{
    PrinterQueryResult r = Result({NumberAnswer(kOptionFaxCardType, kTypeByte, 1, 1)});
    StringAnswer(kQueryCommunitySetting, L"public", &r.community);
    r.snmpVersion = NumberAnswer(kQuerySnmpSetting, kTypeByte, 1, 2);
    RecordingTarget t;
    ApplyQueryResult(r, {}, &t);
    EXPECT_EQ(t.Count("store 821"), 1u);
    RecordingTarget all;
    ApplyQueryResult(r, {true, true, false}, &all);
    EXPECT_EQ(std::vector<std::string>(all.calls.begin(), all.calls.begin() + 3),
              (std::vector<std::string>{"store 8213", "store 8212", "store 8214"}));
    FreePrinterQueryResult(&r);
}

}  // namespace
