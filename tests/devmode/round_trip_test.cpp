// Every default of the reference model written into each old DEVMODE layout and
// converted back keeps every setting that layout holds.
#include "common/devmode/devmode_convert.h"
#include "common/devmode/old_layouts.h"
#include "common/records/settings_records.h"
#include "common/settings/unaligned_bytes.h"
#include "common/settings/value_operations.h"
#include "tests/devmode/devmode_fixture.h"

#include <cstring>
#include <set>

namespace {

// Settings the conversion rules of the oldest layouts compute from other words.
const std::set<uint16_t> kComputedByRules = {13, 18, 265, 268, 269, 270, 271, 291, 295, 296, 321, 323,
                                             324, 331, 348, 390, 438, 440, 444, 446, 1289, 1302, 1324};

// Writes the settings of `from` into an old record by the layout's rows.
void WriteOldRecord(const OldLayoutFamily& family, uint16_t version, uint8_t* from, Record& old,
                    std::set<uint16_t>* held)
{
    for (uint16_t l = 0; l < family.listCount; ++l) {
        if (family.lists[l].version > version)
            continue;
        for (const ItemLayoutRow* row = family.lists[l].rows; row->id; ++row) {
            uint16_t type = 0;
            uint32_t size = 0;
            uint64_t holder = 0;
            ASSERT_EQ(GetFunctionIdValue(row->id, from, nullptr, &type, &size, &holder), kSettingOk) << row->id;
            const uint32_t bytes = OldLayoutRowBytes(*row);
            if (type == kTypeString)
                std::memcpy(old.data() + row->offset, reinterpret_cast<const void*>(holder), std::min(size, bytes));
            else
                std::memcpy(old.data() + row->offset, &holder, bytes);
            held->insert(row->id);
        }
    }
}

class RoundTripTest : public DevmodeTest {};

TEST_F(RoundTripTest, OldLayoutsKeepTheirSettings)
{
    Record defaults = Defaults();
    for (uint16_t version : {256, 8192, 12288, 16387, 16391, 20480, 20481, 20482}) {
        const OldLayoutFamily* family = FindOldLayoutFamily(version);
        ASSERT_TRUE(family) << version;
        Record old(kPrivatePartOffset, 0);
        std::set<uint16_t> held;
        WriteOldRecord(*family, version, defaults.data(), old, &held);
        // The stamps and the model name where every layout keeps them.
        std::memcpy(old.data() + 64, defaults.data() + 64, 8);
        std::memcpy(old.data() + 224, defaults.data() + 224, 64);
        StoreU16(old.data() + 220, version);
        StoreU16(old.data() + 222, 8705);

        Record output(kPrivatePartOffset, 0);
        DWORD size = kPrivatePartOffset;
        ASSERT_EQ(HandleConvertDevmode(name(), context_.get(), old.data(), output.data(), &size, kConvertDevmode),
                  kConvertMigrated)
            << version;
        EXPECT_FALSE(held.empty());
        for (uint16_t id : held) {
            if (family->rulesMode == kOldLayoutRulesOldest && kComputedByRules.count(id))
                continue;
            if (id == 444 || id == 446 || id == 323)
                continue;
            uint16_t type = 0;
            uint32_t bytes = 0;
            uint64_t expected = 0;
            uint64_t got = 0;
            ASSERT_EQ(GetFunctionIdValue(id, defaults.data(), nullptr, &type, &bytes, &expected), kSettingOk);
            ASSERT_EQ(GetFunctionIdValue(id, output.data(), nullptr, &type, &bytes, &got), kSettingOk);
            if (type == kTypeString)
                EXPECT_STREQ(reinterpret_cast<const wchar_t*>(got), reinterpret_cast<const wchar_t*>(expected))
                    << "version " << version << " setting " << id;
            else
                EXPECT_EQ(got, expected) << "version " << version << " setting " << id;
        }
    }
}

}  // namespace
