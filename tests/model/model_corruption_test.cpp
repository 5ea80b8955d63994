// Corrupt and truncated model data files: every read answers a status and
// nothing reads outside the loaded bytes.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <random>

#include "common/model/model_cache.h"
#include "common/model/model_section.h"
#include "tests/model/model_test_files.h"

namespace {

// Garbage read from inside the file may parse: any status will do.
constexpr uint16_t kAnyStatus = 0xFFFF;

bool IsStatus(uint16_t s) { return s == kModelOk || s == kModelBad || s == kModelAbsent || s == kModelNoMemory; }

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Reads everything the reader offers; returns how many reads failed. A quick
// walk reads each record once and the first options of each feature.
int WalkModel(ModelDataRecord* main, ModelDataRecord* linked, bool quick = false) {
    int failures = 0;
    auto note = [&](uint16_t s) {
        EXPECT_TRUE(IsStatus(s)) << s;
        if (s != kModelOk) ++failures;
    };
    for (uint16_t section = 0; section <= 42; ++section) {
        const uint16_t count = GetModelSectionCount(main, section);
        for (uint16_t i = 0; i < count && i < 40; ++i) {
            wchar_t* text = nullptr;
            note(ReadModelSectionString(main, section, i, &text));
            if (text != nullptr) GlobalFree(text);
            GetModelSectionNumber(main, section, kRawSectionTable[section].entrySize, i);
        }
    }
    for (uint16_t n = 0; n < 27; ++n) {
        wchar_t* name = nullptr;
        GetModelFileName(main, n, &name);
        if (name != nullptr) GlobalFree(name);
    }
    for (uint16_t kind : kModelKindOrder) {
        const uint16_t count = GetModelTableCount(main, kind);
        for (uint16_t pos = 1; pos <= count + 1 && pos <= 80; ++pos) {
            for (bool load : {false, true}) {
                if (quick && load == (pos % 2 == 0)) continue;
                ModelSection* s = nullptr;
                const uint16_t status = LoadModelTable(load, main, linked, kind, pos, &s);
                note(status);
                if (status != kModelOk) {
                    EXPECT_EQ(s, nullptr);
                    continue;
                }
                if (const FeatureSection* f = AsFeature(s)) {
                    const size_t last = quick ? 2 : f->options.size() + 1;
                    for (uint16_t n = 1; n <= last; ++n) {
                        ModelSection* o = nullptr;
                        note(LoadModelTableWithOption(true, main, linked, kind, f->id, n, &o));
                        if (o != nullptr) {
                            ModelSection* t = nullptr;
                            uint16_t tk = 0;
                            note(LoadOptionTarget(load, main, linked, o, &tk, &t));
                            FreeModelSection(&t, kKindOwn);
                            note(ResolveModelValueReference(o->source, &static_cast<OptionSection*>(o)->value));
                        }
                        FreeModelSection(&o, kKindOwn);
                        wchar_t* name = nullptr;
                        GetRecordDisplayName(main, linked, kind, f->id, n, &name);
                        if (name != nullptr) GlobalFree(name);
                    }
                }
                if (RuleSection* r = const_cast<RuleSection*>(AsRule(s))) {
                    note(ResolveModelValueReference(s->source, &r->trigger.value));
                    for (ModelTerm& t : r->conditions) note(ResolveModelValueReference(s->source, &t.value));
                }
                FreeModelSection(&s, kKindOwn);
            }
        }
    }
    EXPECT_EQ(CountModelScratchSlotsInUse(main), 0);
    return failures;
}

struct Corrupted {
    std::wstring path;
    explicit Corrupted(const std::vector<uint8_t>& bytes, const wchar_t* name = L"CORRUPT.DDD") {
        path = TempFolder() + name;
        WriteBytes(path, bytes);
    }
};

// The bytes with `width` bytes at `at` replaced by the low bytes of value.
std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, size_t at, uint32_t value, int width) {
    for (int i = 0; i < width; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    return bytes;
}

std::vector<uint8_t> M2200() { return ReadBytes(BinPath(L"M2200.DDD")); }

TEST(ModelCorruption, TruncatedAtEachHeaderBoundary) {
    const std::vector<uint8_t> bytes = M2200();
    ASSERT_GT(bytes.size(), 600u);
    const uint32_t raw = Le32(bytes, kModelRawLengthOffset);
    const uint32_t directoryEnd = kModelRawStart + raw + kModelDirectoryHeadSize + kModelKindCount * kModelDirectoryEntrySize;
    struct Case { uint32_t size; uint16_t status; } cases[] = {
        {1, kModelBad}, {63, kModelBad}, {64, kModelBad}, {87, kModelBad}, {88, kModelBad}, {92, kModelBad},
        {95, kModelBad}, {96, kModelBad}, {159, kModelBad}, {160, kModelBad}, {223, kModelBad}, {224, kModelBad},
        {227, kModelBad}, {228, kModelBad}, {kModelRawStart + raw, kModelBad},
        {kModelRawStart + raw + kModelDirectoryHeadSize, kModelBad},
        {directoryEnd - 1, kModelBad}, {directoryEnd, kModelOk}, {directoryEnd + 1, kModelOk},
    };
    for (const Case& c : cases) {
        Corrupted file(std::vector<uint8_t>(bytes.begin(), bytes.begin() + c.size));
        LoadedModel m(file.path);
        EXPECT_EQ(m.status, c.status) << c.size;
        if (m.status == kModelOk) {
            // Tables lie past the directory: every table read fails cleanly.
            EXPECT_EQ(GetModelTableCount(&m.main, kKindPaper), 0);
            ModelSection* s = nullptr;
            EXPECT_EQ(LoadModelTable(true, &m.main, &m.linked, kKindPaper, 1, &s), kModelBad);
            WalkModel(&m.main, &m.linked);
        }
    }
    Corrupted empty{std::vector<uint8_t>()};
    LoadedModel m(empty.path);
    EXPECT_EQ(m.status, kModelBad);
}

TEST(ModelCorruption, BadOffsetsAndCounts) {
    const std::vector<uint8_t> original = M2200();
    const uint32_t raw = Le32(original, kModelRawLengthOffset);
    const size_t directory = kModelRawStart + raw + kModelDirectoryHeadSize;
    const size_t paperEntry = directory + ModelKindPlace(kKindPaper) * kModelDirectoryEntrySize + 3;
    const uint32_t paperTable = Le32(original, paperEntry);
    const uint32_t size = static_cast<uint32_t>(original.size());
    struct Case { const char* what; size_t at; uint32_t value; int width; uint16_t table; uint16_t record; } cases[] = {
        {"table offset at the end", paperEntry, size, 4, 0, kModelBad},
        {"table offset one short of its head", paperEntry, size - 5, 4, 0, kModelBad},
        {"table offset huge", paperEntry, 0xFFFFFFFF, 4, 0, kModelBad},
        {"table count huge", paperTable + 4, 0xFFFF, 2, 0xFFFF, kModelOk},  // position 1 is still there
        {"record offset huge", paperTable + kModelTableHeadSize + 3, 0xFFFFFFF0, 4, 8, kModelBad},
        {"record offset at the end", paperTable + kModelTableHeadSize + 3, size, 4, 8, kModelBad},
        {"record offset in the header", paperTable + kModelTableHeadSize + 3, 0, 4, 8, kAnyStatus},
        {"file byte names a missing linked file", paperTable + kModelTableHeadSize, 1, 1, 8, kModelBad},
    };
    for (const Case& c : cases) {
        Corrupted file(Patched(original, c.at, c.value, c.width));
        LoadedModel m(file.path);
        ASSERT_EQ(m.status, kModelOk) << c.what;
        EXPECT_EQ(GetModelTableCount(&m.main, kKindPaper), c.table) << c.what;
        ModelSection* s = nullptr;
        const uint16_t status = LoadModelTable(true, &m.main, &m.linked, kKindPaper, 1, &s);
        if (c.record == kAnyStatus) {
            EXPECT_TRUE(IsStatus(status)) << c.what;
        } else {
            EXPECT_EQ(status, c.record) << c.what;
            EXPECT_EQ(s == nullptr, status != kModelOk) << c.what;
        }
        FreeModelSection(&s, kKindOwn);
        ModelSection* byId = nullptr;
        EXPECT_TRUE(IsStatus(LoadModelTableWithOption(true, &m.main, &m.linked, kKindPaper, 9, 0, &byId)));
        FreeModelSection(&byId, kKindOwn);
        WalkModel(&m.main, &m.linked);
    }
}

TEST(ModelCorruption, RawLengthAndSectionCounts) {
    const std::vector<uint8_t> original = M2200();
    {
        std::vector<uint8_t> bytes = original;
        Put32(bytes, kModelRawLengthOffset, 0xFFFFFF00);
        Corrupted file(bytes);
        LoadedModel m(file.path);
        EXPECT_EQ(m.status, kModelBad);
    }
    {
        // Section 3's count (the first count in the file) claims more entries than there are bytes.
        std::vector<uint8_t> bytes = original;
        const size_t section3 = kModelRawStart + 2 + 4;
        bytes[section3] = 0xFF;
        bytes[section3 + 1] = 0xFF;
        Corrupted file(bytes);
        LoadedModel m(file.path);
        ASSERT_EQ(m.status, kModelOk);
        EXPECT_EQ(GetModelSectionCount(&m.main, 3), 0xFFFF);
        uint16_t entry = 0;
        EXPECT_EQ(ReadModelSectionEntry(&m.main, 3, 2, 0xFFFE, &entry), kModelBad);
        EXPECT_EQ(GetModelSectionCount(&m.main, 4), 0);  // walking past section 3 fails
        EXPECT_EQ(GetModelSectionNumber(&m.main, 4, 2, 0), 0u);
        wchar_t* text = nullptr;
        EXPECT_EQ(ReadModelSectionString(&m.main, 35, 0, &text), kModelBad);
        EXPECT_EQ(text, nullptr);
    }
}

TEST(ModelCorruption, ListLengthsAndStringLengths) {
    LoadedModel good(BinPath(L"M2200.DDD"));
    ASSERT_EQ(good.status, kModelOk);
    uint8_t fileByte = 0;
    uint32_t offset = 0;
    ASSERT_EQ(FindModelRecordById(&good.main, kKindFeatureOther, 16, &fileByte, &offset), kModelOk);
    const std::vector<uint8_t> original = M2200();
    const uint16_t nameLength = static_cast<uint16_t>(original[offset + 6] | (original[offset + 7] << 8));
    const size_t optionList = offset + 8 + nameLength + 1 + 2 + 2;
    struct Case { const char* what; size_t at; uint32_t value; int width; } cases[] = {
        {"name length past the end", offset + 6, 0xFFFF, 2},
        {"list length too short", optionList, 2, 4},
        {"list length too long", optionList, 0x7FFFFFFF, 4},
        {"list count too large", optionList + 4, 0x4000, 2},
    };
    for (const Case& c : cases) {
        Corrupted file(Patched(original, c.at, c.value, c.width));
        LoadedModel m(file.path);
        ASSERT_EQ(m.status, kModelOk) << c.what;
        ModelSection* s = nullptr;
        EXPECT_EQ(LoadModelTableWithOption(true, &m.main, &m.linked, kKindFeatureOther, 16, 0, &s), kModelBad) << c.what;
        EXPECT_EQ(s, nullptr);
        EXPECT_EQ(CountModelScratchSlotsInUse(&m.main), 0);
    }
}

// Seeded mutations of both reference models: truncations, flipped bytes and
// overwritten words. Each must load or be refused, and every read must answer.
// The images are loaded from memory (the linked file stays out) so that a few
// thousand of them take seconds; the file path is the same after the copy.
TEST(ModelCorruption, MutatedReferenceModels) {
    const std::vector<uint8_t> sources[] = {ReadBytes(BinPath(L"C4530.DDD")), M2200(), ReadBytes(BinPath(L"EDGE.DDD"))};
    std::mt19937 random(4530);
    int loaded = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> bytes = sources[round % 3];
        switch (random() % 4) {
        case 0: bytes.resize(1 + random() % (bytes.size() - 1)); break;
        case 1:
            for (int i = 1 + random() % 8; i > 0; --i) bytes[random() % bytes.size()] ^= 1u << (random() % 8);
            break;
        case 2: {
            const size_t at = random() % (bytes.size() - 4);
            Put32(bytes, at, random() % 3 == 0 ? 0xFFFFFFFF : random());
            break;
        }
        default:
            for (int i = 1 + random() % 4; i > 0; --i) bytes[kModelRawStart + random() % (bytes.size() - kModelRawStart)] = 0xFF;
            break;
        }
        ModelDataRecord main{}, linked{};
        const uint16_t status = LoadModelDataImage(bytes.data(), static_cast<uint32_t>(bytes.size()), &main);
        ASSERT_TRUE(IsStatus(status)) << round;
        if (status != kModelOk) {
            EXPECT_EQ(main.loaded, nullptr);
            continue;
        }
        ++loaded;
        // Loading a string module costs more than the walk: most rounds read
        // references as plain text, every tenth through the modules.
        if (round % 10 != 0) main.cache->referencesEnabled = 0;
        WalkModel(&main, &linked, true);
        CloseModelData(&main, &linked);
        if (HasFailure()) {
            ADD_FAILURE() << "round " << round;
            return;
        }
    }
    EXPECT_GT(loaded, 1000);
}

// A few mutants through the file loader, with the linked file beside them.
TEST(ModelCorruption, MutatedFilesWithTheirLinkedFile) {
    const std::wstring folder = TempFolder();
    WriteBytes(folder + L"C4530X.DDD", ReadBytes(BinPath(L"C4530X.DDD")));
    const std::vector<uint8_t> source = ReadBytes(BinPath(L"C4530.DDD"));
    std::mt19937 random(2200);
    for (int round = 0; round < 15; ++round) {
        std::vector<uint8_t> bytes = source;
        for (int i = 1 + random() % 6; i > 0; --i) bytes[kModelRawStart + random() % (bytes.size() - kModelRawStart)] ^= 0x5A;
        Corrupted file(bytes, L"MUTANT.DDD");
        LoadedModel m(file.path);
        ASSERT_TRUE(IsStatus(m.status));
        if (m.status == kModelOk) WalkModel(&m.main, &m.linked);
    }
}

}  // namespace
