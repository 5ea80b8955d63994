// The model data reader: loading, headers, raw sections, kind tables and file strings.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "common/model/model_cache.h"
#include "common/model/model_kinds.h"
#include "common/model/model_section.h"
#include "tests/model/model_test_files.h"

namespace {

std::wstring Text(wchar_t* block) {
    std::wstring s = block != nullptr ? block : L"";
    if (block != nullptr) GlobalFree(block);
    return s;
}

TEST(ModelDataFileName, ExtensionIsDddInAnyCase) {
    struct Case { const wchar_t* path; bool ok; } cases[] = {
        {L"C:\\d\\M.DDD", true}, {L"M.ddd", true}, {L"M.DdD", true}, {L"a.b.dDd", true},
        {L"M.DDDD", false}, {L"M.DD", false}, {L"M", false}, {L"M.DDX", false}, {L"M.", false},
        {L"C:\\x.DDD\\M", false}, {nullptr, false},
    };
    for (const Case& c : cases) EXPECT_EQ(HasModelDataExtension(c.path), c.ok) << (c.path ? ToUtf8(c.path) : "null");
}

TEST(ModelDataFileName, OtherExtensionRefusedBeforeOpening) {
    const std::wstring copy = TempFolder() + L"M2200.DDDD";
    WriteBytes(copy, ReadBytes(BinPath(L"M2200.DDD")));
    LoadedModel m(copy);
    EXPECT_EQ(m.status, kModelBad);
    EXPECT_EQ(m.main.loaded, nullptr);
}

TEST(ModelVersionText, PacksAndRefuses) {
    struct Case { const char* text; bool ok; uint32_t packed; } cases[] = {
        {"V:1.2.3", true, (1u * 256 + 2) * 65536 + 3},
        {"MORVA C4530:2.1.4", true, (2u * 256 + 1) * 65536 + 4},
        {"V:255.255.65535", true, (255u * 256 + 255) * 65536 + 65535},
        {"V:.2.3", true, 2u * 65536 + 3},              // no digits for a: 0
        {"V:256.0.0", false, 0},
        {"V:1.256.0", false, 0},
        {"V:1.2.65536", false, 0},
        {"V1.2.3", false, 0},                          // no colon
        {"V:1", false, 0},                             // NUL right after a
        {"V:1.2", false, 0},                           // b ends at the NUL
        {"V:1.2.", false, 0},                          // nothing after the character that ended b
        {"", false, 0},
    };
    for (const Case& c : cases) {
        uint8_t field[kModelVersionTextSize] = {};
        memcpy(field, c.text, strlen(c.text));
        uint32_t packed = 0;
        EXPECT_EQ(ParseModelVersionText(field, &packed), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(packed, c.packed) << c.text;
        }
    }
}

TEST(ModelVersionText, NeverScansPastTheField) {
    // 24 bytes without a NUL: each step stops at the end of the field.
    const char* cases[] = {"ABCDEFGHIJKLMNOPQRSTUVWX", "V:1.2.3333333333333333333", "V:1234567890123456789012",
                           "VVVVVVVVVVVVVVVVVVVVVV:1", "VVVVVVVVVVVVVVVVVVVVV:1."};
    for (const char* text : cases) {
        uint8_t field[kModelVersionTextSize + 8];
        memset(field, '7', sizeof field);  // bytes after the field would make a valid text
        memcpy(field, text, kModelVersionTextSize);
        uint32_t packed = 0;
        EXPECT_FALSE(ParseModelVersionText(field, &packed)) << text;
    }
}

TEST(ModelDataLoad, HeaderValuesOfTheReferenceModel) {
    LoadedModel m(BinPath(L"C4530.DDD"));
    ASSERT_EQ(m.status, kModelOk);
    EXPECT_EQ(m.main.fileRole, kModelMainFile);
    EXPECT_EQ(m.main.formatVersion, 8192u);
    EXPECT_EQ(m.main.packedVersion, (2u * 256 + 1) * 65536 + 4);
    EXPECT_EQ(m.main.loadedWord, 1u);
    ASSERT_NE(m.linked.loaded, nullptr);
    EXPECT_EQ(m.linked.fileRole, kModelLinkedFile);
    EXPECT_EQ(m.linked.main, &m.main);
    EXPECT_EQ(m.linked.cache, m.main.cache);
    EXPECT_EQ(m.linked.ownsCache, 0u);
    EXPECT_EQ(m.main.ownsCache, 1u);
    EXPECT_EQ(GetCurrentModelFormatVersion(), 8192u);
}

TEST(ModelDataLoad, FormatVersionBytesAreBigEndianSigned) {
    struct Case { uint8_t b[4]; uint32_t version; } cases[] = {
        {{0x00, 0x00, 0x16, 0x00}, 5632},
        {{0x00, 0x00, 0x20, 0x00}, 8192},
        {{0x00, 0x00, 0x04, 0x00}, 1024},
        {{0x00, 0x00, 0xFF, 0x00}, 0xFFFFFF00u},  // each byte counts as signed: -1 * 256
        {{0x00, 0x01, 0x00, 0x80}, 65536u - 128u},
    };
    const std::vector<uint8_t> original = ReadBytes(BinPath(L"M2200.DDD"));
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = original;
        memcpy(bytes.data() + kModelFormatVersionOffset, c.b, 4);
        const std::wstring path = TempFolder() + L"FORMAT.DDD";
        WriteBytes(path, bytes);
        LoadedModel m(path);
        ASSERT_EQ(m.status, kModelOk);
        EXPECT_EQ(m.main.formatVersion, c.version);
    }
}

TEST(ModelDataLoad, SamePathTwiceGivesIndependentCopies) {
    ModelDataRecord a{}, al{}, b{}, bl{};
    const std::wstring path = BinPath(L"C4530.DDD");
    ASSERT_EQ(LoadModelDataFile(path.c_str(), &a, &al), kModelOk);
    ASSERT_EQ(LoadModelDataFile(path.c_str(), &b, &bl), kModelOk);
    EXPECT_NE(a.buffer, b.buffer);
    EXPECT_NE(a.cache, b.cache);
    // Loading over a record that holds a file is refused; the file stays readable.
    EXPECT_EQ(LoadModelDataFile(path.c_str(), &a, &al), kModelBad);
    EXPECT_EQ(GetModelTableCount(&a, kKindPaper), 23);
    EXPECT_EQ(CloseModelData(&a, &al), kModelOk);
    EXPECT_EQ(LoadModelDataFile(path.c_str(), &a, &al), kModelOk);  // again after closing
    EXPECT_EQ(CloseModelData(&a, &al), kModelOk);
    EXPECT_EQ(GetModelTableCount(&b, kKindPaper), 23);
    wchar_t* name = nullptr;
    EXPECT_EQ(GetRecordDisplayName(&b, &bl, kKindFeatureOther, 7, 0, &name), kModelOk);
    EXPECT_EQ(Text(name), L"Orientation");
    EXPECT_EQ(CloseModelData(&b, &bl), kModelOk);
}

TEST(ModelDataLoad, WithoutLinkedFileClosesWithSuccess) {
    ModelDataRecord main{}, linked{};
    const std::wstring path = BinPath(L"M2200.DDD");
    ASSERT_EQ(LoadModelDataFile(path.c_str(), &main, &linked), kModelOk);
    EXPECT_EQ(linked.loaded, nullptr);
    EXPECT_EQ(linked.buffer, nullptr);
    EXPECT_EQ(CloseModelData(&main, &linked), kModelOk);
    EXPECT_EQ(main.loaded, nullptr);
    // Closing again: nothing is loaded any more.
    EXPECT_EQ(CloseModelDataRecord(&main), kModelBad);
}

TEST(ModelDataLoad, MissingFilesAndArguments) {
    ModelDataRecord main{}, linked{};
    EXPECT_EQ(LoadModelDataFile(nullptr, &main, &linked), kModelBad);
    EXPECT_EQ(LoadModelDataFile(L"x.DDD", nullptr, &linked), kModelBad);
    EXPECT_EQ(LoadModelDataFile((TempFolder() + L"NONE.DDD").c_str(), &main, &linked), kModelBad);
    // A main file whose linked file is missing is refused and left closed.
    const std::wstring path = TempFolder() + L"NOLINK.DDD";
    DeleteFileW((TempFolder() + L"C4530X.DDD").c_str());
    WriteBytes(path, ReadBytes(BinPath(L"C4530.DDD")));
    EXPECT_EQ(LoadModelDataFile(path.c_str(), &main, &linked), kModelBad);
    EXPECT_EQ(main.loaded, nullptr);
    EXPECT_EQ(main.cache, nullptr);
    EXPECT_EQ(linked.loaded, nullptr);
}

TEST(ModelDataRead, PrimitivesStayInsideTheBuffer) {
    LoadedModel m(BinPath(L"M2200.DDD"));
    ASSERT_EQ(m.status, kModelOk);
    ModelDataRecord* r = &m.main;
    uint32_t v32 = 0;
    uint16_t v16 = 0;
    uint8_t v8 = 0;
    EXPECT_EQ(ModelSeek(r, r->size), kModelOk);
    EXPECT_EQ(ModelReadU8(r, &v8), kModelBad);
    EXPECT_EQ(ModelSeek(r, r->size + 1), kModelBad);
    struct Case { uint32_t back; uint16_t u8, u16, u32; } cases[] = {
        {4, 0, 0, 0}, {3, 0, 0, kModelBad}, {2, 0, 0, kModelBad}, {1, 0, kModelBad, kModelBad},
    };
    for (const Case& c : cases) {
        ModelSeek(r, r->size - c.back);
        EXPECT_EQ(ModelReadU32(r, &v32), c.u32);
        ModelSeek(r, r->size - c.back);
        EXPECT_EQ(ModelReadU16(r, &v16), c.u16);
        ModelSeek(r, r->size - c.back);
        EXPECT_EQ(ModelReadU8(r, &v8), c.u8);
    }
    ModelSeek(r, 10);
    EXPECT_EQ(ModelSeekBy(r, -11), kModelBad);
    EXPECT_EQ(ModelSeekBy(r, -10), kModelOk);
    EXPECT_EQ(ModelReadBytes(r, &v32, 0), kModelBad);
    ModelDataRecord empty{};
    EXPECT_EQ(ModelReadU8(&empty, &v8), kModelBad);
    EXPECT_EQ(ModelReadU8(nullptr, &v8), kModelBad);
}

TEST(ModelRawSections, CountsEntriesAndNumbers) {
    LoadedModel m(BinPath(L"EDGE.DDD"));
    ASSERT_EQ(m.status, kModelOk);
    ModelDataRecord* r = &m.main;
    EXPECT_EQ(GetModelSectionCount(r, 4), 1);
    EXPECT_EQ(GetModelSectionCount(r, 35), 1);
    EXPECT_EQ(GetModelSectionCount(r, 36), 17);
    EXPECT_EQ(GetModelSectionCount(r, 39), 2);
    EXPECT_EQ(GetModelSectionCount(r, 42), 0);
    EXPECT_EQ(GetModelSectionNumber(r, 4, 2, 0), 12u);
    EXPECT_EQ(GetModelSectionNumber(r, 23, 1, 0), 1u);
    EXPECT_EQ(GetModelSectionNumber(r, 39, 4, 0), 0x80000001u);
    EXPECT_EQ(GetModelSectionNumber(r, 39, 4, 1), 2u);
    uint32_t word = 0;
    // An index at or past the count is absent, not the first entry.
    EXPECT_EQ(ReadModelSectionEntry(r, 39, 4, 2, &word), kModelAbsent);
    EXPECT_EQ(ReadModelSectionEntry(r, 4, 2, 1, &word), kModelAbsent);
    EXPECT_EQ(ReadModelSectionEntry(r, 4, 4, 0, &word), kModelBad);   // wrong entry size
    EXPECT_EQ(ReadModelSectionEntry(r, 13, 2, 0, &word), kModelBad);  // a string section
    EXPECT_EQ(GetModelSectionNumber(r, 39, 4, 2), 0u);
}

TEST(ModelRawSections, FileNamesByNumber) {
    LoadedModel m(BinPath(L"EDGE.DDD"));
    ASSERT_EQ(m.status, kModelOk);
    struct Case { uint16_t n; uint16_t status; const wchar_t* name; } cases[] = {
        {6, 0, L"F6"}, {11, 0, L"F11"}, {14, 0, L"F14"}, {19, 0, L"F19"}, {20, 0, L"F20"}, {22, 0, L"F22"},
        {24, 0, L"F24"}, {25, 0, L"F25"}, {0, 0, L""}, {5, 0, L""},
        {12, kModelBad, L""}, {13, kModelBad, L""}, {23, kModelBad, L""}, {26, kModelBad, L""}, {100, kModelBad, L""},
    };
    for (const Case& c : cases) {
        wchar_t* name = nullptr;
        EXPECT_EQ(GetModelFileName(&m.main, c.n, &name), c.status) << c.n;
        EXPECT_EQ(Text(name), c.name) << c.n;
    }
    wchar_t* base = nullptr;
    EXPECT_EQ(GetModelRegistryBase(&m.main, 0, &base), kModelOk);
    EXPECT_EQ(Text(base), L"Base0");
    EXPECT_EQ(GetModelRegistryBase(&m.main, 1, &base), kModelOk);
    EXPECT_EQ(Text(base), L"Base1");
    EXPECT_EQ(GetModelRegistryBase(&m.main, 2, &base), kModelBad);
    // A string index past the count: status 1 and no block.
    EXPECT_EQ(ReadModelSectionString(&m.main, 36, 17, &base), kModelBad);
    EXPECT_EQ(base, nullptr);
}

TEST(ModelKindTables, FileByteChoosesTheFile) {
    LoadedModel m(BinPath(L"C4530.DDD"));
    ASSERT_EQ(m.status, kModelOk);
    EXPECT_EQ(ModelRecordForFile(&m.main, &m.linked, 2), &m.main);
    for (uint8_t b : {0, 1, 3, 255}) EXPECT_EQ(ModelRecordForFile(&m.main, &m.linked, b), &m.linked) << int(b);
    ModelDataRecord none{};
    EXPECT_EQ(ModelRecordForFile(&m.main, &none, 1), nullptr);
}

TEST(ModelKindTables, PositionsIdentifiersAndOptions) {
    LoadedModel m(BinPath(L"EDGE.DDD"));
    ASSERT_EQ(m.status, kModelOk);
    ModelSection* s = nullptr;
    EXPECT_EQ(LoadModelTable(true, &m.main, &m.linked, kKindPaper, 1, &s), kModelOk);
    EXPECT_EQ(s->id, 9);
    FreeModelSection(&s, kKindOwn);
    EXPECT_EQ(LoadModelTable(true, &m.main, &m.linked, kKindPaper, 2, &s), kModelAbsent);
    EXPECT_EQ(s, nullptr);
    EXPECT_EQ(LoadModelTable(true, &m.main, &m.linked, kKindPaper, 0, &s), kModelAbsent);
    EXPECT_EQ(LoadModelTable(true, &m.main, &m.linked, 2, 1, &s), kModelBad);
    // Option 3 of a feature with two options.
    EXPECT_EQ(LoadModelTableWithOption(true, &m.main, &m.linked, kKindFeatureOther, 7, 3, &s), kModelAbsent);
    EXPECT_EQ(LoadModelTableWithOption(true, &m.main, &m.linked, kKindFeatureOther, 7, 2, &s), kModelOk);
    ASSERT_NE(AsOption(s), nullptr);
    EXPECT_EQ(s->kind, kKindOptionOther);
    EXPECT_EQ(AsOption(s)->name, L"Landscape");
    FreeModelSection(&s, kKindOwn);
    EXPECT_EQ(LoadModelTableWithOption(true, &m.main, &m.linked, kKindPaper, 9, 1, &s), kModelBad);
    EXPECT_EQ(LoadModelTableWithOption(true, &m.main, &m.linked, kKindFeatureOther, 999, 0, &s), kModelAbsent);
    // Paper records carry their size pairs.
    ASSERT_EQ(LoadModelTableWithOption(false, &m.main, &m.linked, kKindPaper, 9, 0, &s), kModelOk);
    const PaperSection* p = AsPaper(s);
    EXPECT_EQ(p->size.x, 2100);
    EXPECT_EQ(p->area.y, 2886);
    EXPECT_EQ(p->margin1.x, 1);
    EXPECT_EQ(p->margin2.y, 4);
    EXPECT_EQ(p->minUser.x, 5);
    EXPECT_EQ(p->maxUser.y, 8);
    EXPECT_EQ(p->flags, 1);
    EXPECT_EQ(s->fileRole, kModelMainFile);
    EXPECT_EQ(FreeModelSection(&s, kKindOwn), 0);
    EXPECT_EQ(FreeModelSection(&s, kKindOwn), 1);
    EXPECT_EQ(FreeModelSection(nullptr, kKindOwn), 1);
}

TEST(ModelKindTables, OptionTargetAndDisplayNames) {
    LoadedModel m(BinPath(L"C4530.DDD"));
    ASSERT_EQ(m.status, kModelOk);
    ModelSection* option = nullptr;
    ASSERT_EQ(LoadModelTableWithOption(true, &m.main, &m.linked, kKindFeatureOther, 8, 7, &option), kModelOk);
    ModelSection* target = nullptr;
    uint16_t kind = 0;
    ASSERT_EQ(LoadOptionTarget(true, &m.main, &m.linked, option, &kind, &target), kModelOk);
    EXPECT_EQ(kind, kKindPaper);
    EXPECT_EQ(target->id, 9);
    EXPECT_EQ(AsPaper(target)->name, L"A4");
    FreeModelSection(&target, kKindOwn);
    EXPECT_EQ(LoadOptionTarget(true, &m.main, &m.linked, nullptr, &kind, &target), kModelBad);
    FreeModelSection(&option, kKindOwn);
    wchar_t* name = nullptr;
    EXPECT_EQ(GetRecordDisplayName(&m.main, &m.linked, kKindFeatureOther, 16, 2, &name), kModelOk);
    EXPECT_EQ(Text(name), L"Long Edge");
    EXPECT_EQ(GetRecordDisplayName(&m.main, &m.linked, kKindSizePairs, 1, 0, &name), kModelBad);
    EXPECT_EQ(GetRecordDisplayName(&m.main, &m.linked, kKindFont, 1, 0, &name), kModelOk);
    EXPECT_EQ(Text(name), L"Morva Sans");
}

TEST(ModelStrings, PlainReferenceAndEmpty) {
    LoadedModel m(BinPath(L"EDGE.DDD"));
    ASSERT_EQ(m.status, kModelOk);
    ModelSection* s = nullptr;
    // Resource reference of module 1.
    ASSERT_EQ(LoadModelTableWithOption(true, &m.main, &m.linked, kKindFeatureOther, 7, 0, &s), kModelOk);
    EXPECT_EQ(AsFeature(s)->name, L"Seven");
    EXPECT_EQ(CountModelScratchSlotsInUse(&m.main), 0);
    FreeModelSection(&s, kKindOwn);
    // Length 6, last byte 0, module 1, identifier 0: plain complemented text.
    ASSERT_EQ(LoadModelTableWithOption(true, &m.main, &m.linked, kKindFeatureOther, 300, 7, &s), kModelOk);
    const OptionSection* o = AsOption(s);
    EXPECT_EQ(o->value.type, kValueString);
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(o->value.data)), L"\u00ff\u00fe\u00ff\u00ff\u00ff\u00ff");
    FreeModelSection(&s, kKindOwn);
    // Empty value: no data, no error.
    ASSERT_EQ(LoadModelTableWithOption(true, &m.main, &m.linked, kKindFeatureOther, 300, 3, &s), kModelOk);
    EXPECT_EQ(AsOption(s)->value.count, 0);
    EXPECT_EQ(AsOption(s)->value.data, nullptr);
    FreeModelSection(&s, kKindOwn);
    // A string of length 0.
    uint32_t bytes = 5;
    wchar_t* text = reinterpret_cast<wchar_t*>(1);
    EXPECT_EQ(ReadModelString(&m.main, 0, &text, &bytes), kModelOk);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(bytes, 0u);
    EXPECT_EQ(CountModelScratchSlotsInUse(&m.main), 0);
}

TEST(ModelStrings, FirstModuleReferenceHoldsTwoScratchSlots) {
    LoadedModel m(BinPath(L"EDGE.DDD"));
    ASSERT_EQ(m.status, kModelOk);
    wchar_t* name = nullptr;
    ASSERT_EQ(GetRecordDisplayName(&m.main, &m.linked, kKindFeatureOther, 7, 0, &name), kModelOk);
    GlobalFree(name);  // module 1 is loaded now
    ModelSectionCache* cache = m.main.cache;
    uint8_t* held[3];
    for (uint8_t*& h : held) h = TakeModelScratch(cache, 16);
    // One free slot: the stored bytes take it and the loaded text finds none.
    EXPECT_EQ(GetRecordDisplayName(&m.main, &m.linked, kKindFeatureOther, 7, 0, &name), kModelNoMemory);
    EXPECT_EQ(name, nullptr);
    EXPECT_EQ(CountModelScratchSlotsInUse(&m.main), 3);
    ReleaseModelScratch(cache, held[0]);
    ASSERT_EQ(GetRecordDisplayName(&m.main, &m.linked, kKindFeatureOther, 7, 0, &name), kModelOk);
    EXPECT_EQ(Text(name), L"Seven");
    EXPECT_EQ(CountModelScratchSlotsInUse(&m.main), 2);
    ReleaseModelScratch(cache, held[1]);
    ReleaseModelScratch(cache, held[2]);
    EXPECT_EQ(CountModelScratchSlotsInUse(&m.main), 0);
}

TEST(ModelStrings, ResourceStringsHoldFiveHundredTwelveCharacters) {
    LoadedModel m(BinPath(L"EDGE.DDD"));
    ASSERT_EQ(m.status, kModelOk);
    struct Case { uint16_t feature; size_t length; } cases[] = {{301, 512}, {302, 512}};
    for (const Case& c : cases) {
        wchar_t* name = nullptr;
        ASSERT_EQ(GetRecordDisplayName(&m.main, &m.linked, kKindFeatureOther, c.feature, 0, &name), kModelOk);
        EXPECT_EQ(wcslen(name), c.length) << c.feature;
        GlobalFree(name);
    }
}

TEST(ModelStrings, ModuleNumbersFollowTheFileThatHoldsTheString) {
    LoadedModel m(BinPath(L"EDGE.DDD"));
    ASSERT_EQ(m.status, kModelOk);
    ModelSection* s = nullptr;
    ASSERT_EQ(LoadModelTable(true, &m.main, &m.linked, kKindFont, 1, &s), kModelOk);
    const FontSection* f = AsFont(s);
    EXPECT_EQ(s->fileRole, kModelLinkedFile);
    ASSERT_EQ(f->names1.size(), 2u);
    EXPECT_EQ(f->names1[0], L"Arial");
    EXPECT_EQ(f->names1[1], L"Eight");  // module 2 of the linked file's own list
    FreeModelSection(&s, kKindOwn);
    ASSERT_EQ(LoadModelTable(true, &m.main, &m.linked, kKindNamedString, 1, &s), kModelOk);
    EXPECT_EQ(static_cast<NamedStringSection*>(s)->text, L"Seven");  // module 1 is always the main file's
    FreeModelSection(&s, kKindOwn);
    EXPECT_EQ(CountModelScratchSlotsInUse(&m.main), 0);
}

// A copy of a built model (with its linked file) in a temporary folder whose
// main file names a string module that does not exist; empty when the name is
// not found. Names in raw section 35 are stored complemented, `to` as long as `from`.
std::wstring CopyWithModuleRenamed(const wchar_t* main, const wchar_t* linked, const std::string& from,
                                   const std::string& to) {
    std::vector<uint8_t> bytes = ReadBytes(BinPath(main));
    std::vector<uint8_t> stored;
    for (char c : from) stored.push_back(static_cast<uint8_t>(~c));
    auto at = std::search(bytes.begin(), bytes.end(), stored.begin(), stored.end());
    if (at == bytes.end() || to.size() != from.size()) return L"";
    for (char c : to) *at++ = static_cast<uint8_t>(~c);
    const std::wstring folder = TempFolder();
    WriteBytes(folder + L"NOMOD.DDD", bytes);
    WriteBytes(folder + linked, ReadBytes(BinPath(linked)));
    return folder + L"NOMOD.DDD";
}

TEST(ModelStrings, UnloadableFirstModuleFallsBackToPlainText) {
    const std::wstring path = CopyWithModuleRenamed(L"EDGE.DDD", L"EDGEL.DDD", "EDGERES.DLL", "EDGERXS.DLL");
    ASSERT_FALSE(path.empty());
    LoadedModel m(path);
    ASSERT_EQ(m.status, kModelOk);
    ModelSection* s = nullptr;
    ASSERT_EQ(LoadModelTableWithOption(true, &m.main, &m.linked, kKindFeatureOther, 7, 0, &s), kModelOk);
    EXPECT_NE(AsFeature(s)->name, L"Seven");
    EXPECT_EQ(m.main.cache->referencesEnabled, 0u);
    EXPECT_EQ(CountModelScratchSlotsInUse(&m.main), 0);
    FreeModelSection(&s, kKindOwn);
}

// Setting 1800 of C4530 is named by string 2001 of module 2 of the main file.
TEST(ModelStrings, LaterModuleLoadsOnceAndIsFreedWithTheModel) {
    ASSERT_EQ(GetModuleHandleW(L"C4530FAX.DLL"), nullptr);
    {
        LoadedModel m(BinPath(L"C4530.DDD"));
        ASSERT_EQ(m.status, kModelOk);
        HMODULE first = nullptr;
        for (int pass = 0; pass < 2; ++pass) {
            wchar_t* name = nullptr;
            ASSERT_EQ(GetItemDisplayName(&m.main, &m.linked, 1800, nullptr, &name), kModelOk) << pass;
            EXPECT_EQ(Text(name), L"Fax Resolution") << pass;
            const HMODULE loaded = GetModuleHandleW(L"C4530FAX.DLL");
            ASSERT_NE(loaded, nullptr) << pass;
            if (pass == 0) first = loaded;
            EXPECT_EQ(loaded, first);
            ASSERT_EQ(m.main.cache->moduleCount, 1u) << pass;
            EXPECT_EQ(m.main.cache->modules[0].module, loaded);
        }
        EXPECT_EQ(CountModelScratchSlotsInUse(&m.main), 0);
    }
    EXPECT_EQ(GetModuleHandleW(L"C4530FAX.DLL"), nullptr);
}

TEST(ModelStrings, UnloadableLaterModuleFallsBackToPlainTextEachTime) {
    // Module 2 of the main file names a missing file: setting 1800's name is read as plain text.
    const std::wstring path = CopyWithModuleRenamed(L"C4530.DDD", L"C4530X.DDD", "C4530FAX.DLL", "C4530FAY.DLL");
    ASSERT_FALSE(path.empty());
    LoadedModel m(path);
    ASSERT_EQ(m.status, kModelOk);
    std::wstring names[2];
    for (std::wstring& text : names) {
        wchar_t* name = nullptr;
        ASSERT_EQ(GetItemDisplayName(&m.main, &m.linked, 1800, nullptr, &name), kModelOk);
        text = Text(name);
        EXPECT_EQ(m.main.cache->moduleCount, 0u);
    }
    EXPECT_NE(names[0], L"Fax Resolution");
    EXPECT_EQ(names[1], names[0]);
    // Module 1 is not touched by the failure.
    EXPECT_EQ(m.main.cache->referencesEnabled, 1u);
    wchar_t* name = nullptr;
    ASSERT_EQ(GetItemDisplayName(&m.main, &m.linked, 7, nullptr, &name), kModelOk);
    EXPECT_EQ(Text(name), L"Orientation");
    EXPECT_EQ(CountModelScratchSlotsInUse(&m.main), 0);
}

TEST(ModelValues, FlagByteAndValueReferences) {
    LoadedModel m(BinPath(L"EDGE.DDD"));
    ASSERT_EQ(m.status, kModelOk);
    ModelSection* s = nullptr;
    // A flag whose data byte is 0x7F reads as 1, held in 32 bits.
    ASSERT_EQ(LoadModelTableWithOption(true, &m.main, &m.linked, kKindFeatureOther, 300, 8, &s), kModelOk);
    uint32_t n = 0;
    EXPECT_TRUE(ModelValueNumber(AsOption(s)->value, &n));
    EXPECT_EQ(n, 1u);
    EXPECT_EQ(AsOption(s)->value.size, 4u);
    FreeModelSection(&s, kKindOwn);
    // A u16 array reference points at the elements in place.
    ASSERT_EQ(LoadModelTableWithOption(true, &m.main, &m.linked, kKindFeatureOther, 300, 5, &s), kModelOk);
    ModelValue& v = static_cast<OptionSection*>(s)->value;
    EXPECT_EQ(v.type, kValueReference);
    ASSERT_EQ(ResolveModelValueReference(s->source, &v), kModelOk);
    EXPECT_EQ(v.type, kValueU16);
    EXPECT_EQ(v.size, 2u);
    ASSERT_EQ(v.count, 3);
    EXPECT_EQ(v.owned, nullptr);
    uint16_t words[3];
    memcpy(words, v.data, 6);
    EXPECT_EQ(words[0], 10);
    EXPECT_EQ(words[2], 30);
    // Resolving again leaves a resolved value alone.
    EXPECT_EQ(ResolveModelValueReference(s->source, &v), kModelOk);
    EXPECT_EQ(v.count, 3);
    FreeModelSection(&s, kKindOwn);
    // Flag arrays are widened to owned 32-bit numbers.
    ASSERT_EQ(LoadModelTableWithOption(true, &m.main, &m.linked, kKindFeatureOther, 300, 6, &s), kModelOk);
    ModelValue& f = static_cast<OptionSection*>(s)->value;
    ASSERT_EQ(ResolveModelValueReference(s->source, &f), kModelOk);
    EXPECT_EQ(f.type, kValueFlag);
    EXPECT_EQ(f.size, 4u);
    ASSERT_EQ(f.count, 3);
    uint32_t flags[3];
    memcpy(flags, f.data, 12);
    EXPECT_EQ(flags[0], 1u);
    EXPECT_EQ(flags[1], 0u);
    EXPECT_EQ(flags[2], 1u);
    FreeModelSection(&s, kKindOwn);
}

TEST(ModelValues, LinkedRecordsUseTheLinkedFileArrays) {
    LoadedModel m(BinPath(L"EDGE.DDD"));
    ASSERT_EQ(m.status, kModelOk);
    ModelSection* s = nullptr;
    ASSERT_EQ(LoadModelTable(true, &m.main, &m.linked, kKindFont, 1, &s), kModelOk);
    ModelValue& v = static_cast<FontSection*>(s)->values.at(0);
    ASSERT_EQ(ResolveModelValueReference(s->source, &v), kModelOk);
    ASSERT_EQ(v.count, 2);
    uint16_t words[2];
    memcpy(words, v.data, 4);
    EXPECT_EQ(words[0], 7);
    EXPECT_EQ(words[1], 8);
    FreeModelSection(&s, kKindOwn);
}

TEST(ModelVersionGates, FieldsFollowTheFileTheRecordCameFrom) {
    LoadedModel m(BinPath(L"EDGE.DDD"));
    ASSERT_EQ(m.status, kModelOk);
    EXPECT_EQ(m.main.formatVersion, 5632u);
    EXPECT_EQ(m.linked.formatVersion, 8192u);
    ModelSection* s = nullptr;
    ASSERT_EQ(LoadModelTable(true, &m.main, &m.linked, kKindNamedString, 1, &s), kModelOk);
    EXPECT_EQ(s->formatVersion, 8192u);  // kind 25 exists from 8192: read from its own file
    FreeModelSection(&s, kKindOwn);
    ASSERT_EQ(LoadModelTable(true, &m.main, &m.linked, kKindPaper, 1, &s), kModelOk);
    EXPECT_EQ(s->formatVersion, 5632u);
    FreeModelSection(&s, kKindOwn);
}

TEST(ModelCache, FourScratchSlotsOfAtLeast1024Bytes) {
    ModelSectionCache* cache = CreateModelSectionCache();
    ASSERT_NE(cache, nullptr);
    EXPECT_EQ(cache->referencesEnabled, 1u);
    uint8_t* taken[4];
    for (int i = 0; i < 4; ++i) {
        taken[i] = TakeModelScratch(cache, i == 0 ? 0 : 10);
        ASSERT_NE(taken[i], nullptr);
        EXPECT_EQ(cache->slots[i].capacity, 1024u);
    }
    EXPECT_EQ(TakeModelScratch(cache, 1), nullptr);
    ReleaseModelScratch(cache, taken[2]);
    uint8_t* again = TakeModelScratch(cache, 2000);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again, cache->slots[2].buffer);
    EXPECT_EQ(cache->slots[2].capacity, 2000u);
    FreeModelSectionCache(cache);
}

}  // namespace
