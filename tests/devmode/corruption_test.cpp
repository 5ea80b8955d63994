// Hostile DEVMODEs: seeded mutations of the size fields, dmFields, the private
// version and the public fields, each placed so that the byte after what it
// states lies on a page the process may not touch. The merge and the conversion
// must neither crash nor read past the stated size, and must leave a valid
// record every time.
#include "common/devmode/devmode_convert.h"
#include "common/devmode/devmode_input.h"
#include "common/devmode/devmode_merge.h"
#include "common/records/settings_records.h"
#include "tests/devmode/devmode_fixture.h"

#include <algorithm>
#include <cstring>
#include <random>

namespace {

constexpr size_t kPageSize = 4096;

// `bytes` bytes whose end touches an inaccessible page; filled from `data` as
// far as it reaches, zeros beyond.
class GuardedBytes {
public:
    GuardedBytes(const uint8_t* data, size_t available, size_t bytes)
    {
        const size_t pages = (bytes + kPageSize - 1) / kPageSize + 1;
        base_ = static_cast<uint8_t*>(VirtualAlloc(nullptr, pages * kPageSize, MEM_RESERVE | MEM_COMMIT,
                                                   PAGE_READWRITE));
        if (!base_)
            return;
        uint8_t* guard = base_ + (pages - 1) * kPageSize;
        DWORD former = 0;
        if (!VirtualProtect(guard, kPageSize, PAGE_NOACCESS, &former))
            return;
        start_ = guard - bytes;
        std::memcpy(start_, data, std::min(bytes, available));
    }
    ~GuardedBytes()
    {
        if (base_)
            VirtualFree(base_, 0, MEM_RELEASE);
    }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;
    const uint8_t* get() const { return start_; }

private:
    uint8_t* base_ = nullptr;
    uint8_t* start_ = nullptr;
};

constexpr uint16_t kSizes[] = {0, 1, 71, 72, 156, 187, 188, 211, 212, 219, 220, 221, 1604, 5924, 65535};
constexpr uint16_t kExtras[] = {0, 1, 68, 69, 70, 1383, 1384, 1385, 4000, 5680, 5704, 5705, 65535};
constexpr uint16_t kVersions[] = {0,     256,   8192,  12288, 12290, 16384, 16385, 16386, 16387, 16388,
                                  16389, 16390, 16391, 20480, 20481, 20482, 20483, 20485, 20496, 20497,
                                  20544, 20768, 20800, 20992, 21016, 21071, 21072, 21073, 65535};

class CorruptionTest : public DevmodeTest {};

template <typename T, size_t N>
T Pick(std::mt19937& random, const T (&values)[N])
{
    return values[random() % N];
}

void Mutate(std::mt19937& random, Record& record)
{
    const int count = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < count; ++i) {
        switch (random() % 7) {
        case 0: PutU16(record, kDmSizeOffset, random() % 3 ? Pick(random, kSizes) : static_cast<uint16_t>(random())); break;
        case 1:
            PutU16(record, kDmDriverExtraOffset,
                   random() % 3 ? Pick(random, kExtras) : static_cast<uint16_t>(random()));
            break;
        case 2: {
            const uint32_t fields = random() % 2 ? 0xFFFFFFFF : static_cast<uint32_t>(random());
            std::memcpy(record.data() + 72, &fields, 4);
            break;
        }
        case 3: PutU16(record, 220, Pick(random, kVersions)); break;
        case 4: PutU16(record, (random() % (kPublicDevmodeSize / 2)) * 2, static_cast<uint16_t>(random())); break;
        case 5: record[random() % kPublicDevmodeSize] = static_cast<uint8_t>(random()); break;
        default:  // a form name without its terminator
            std::fill(record.begin() + 102, record.begin() + 166, static_cast<uint8_t>('A' + random() % 26));
            break;
        }
    }
}

TEST_F(CorruptionTest, MutatedInputsGiveValidRecords)
{
    const Record printerSettings = PrinterSettings();
    const Record defaults = Defaults();
    std::mt19937 random(20261211);
    int converted[4] = {};
    for (int round = 0; round < 3000; ++round) {
        Record input = defaults;
        Mutate(random, input);
        const size_t stated = std::max<size_t>(StatedDevmodeBytes(input.data()), kDevmodeHeaderBytes);
        GuardedBytes guarded(input.data(), input.size(), stated);
        ASSERT_TRUE(guarded.get());

        Record output = defaults;
        Record settings = printerSettings;
        MergeInputDevmode(context_.get(), output.data(), guarded.get(), settings.data(), handle(),
                          round % 2 ? kMergeAccept : kMergeCheck);
        ASSERT_EQ(ValidateDevmodeCoreFields(output.data(), output.size()), 1) << "merge, round " << round;

        Record converted1604(kPrivatePartOffset, 0xCC);
        DWORD size = kPrivatePartOffset;
        const int result = HandleConvertDevmode(name(), context_.get(), guarded.get(), converted1604.data(), &size,
                                                kConvertDevmode);
        ASSERT_TRUE(result == kConvertMigrated || result == kConvertCopied || result == kConvertDefaults)
            << "round " << round << " result " << result;
        ++converted[result];
        ASSERT_EQ(ValidateDevmodeCoreFields(converted1604.data(), converted1604.size()), 1)
            << "conversion, round " << round;
    }
    // Every path was taken.
    EXPECT_GT(converted[kConvertMigrated], 0);
    EXPECT_GT(converted[kConvertCopied], 0);
    EXPECT_GT(converted[kConvertDefaults], 0);
}

}  // namespace
