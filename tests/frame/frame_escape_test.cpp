// The private escapes of the graphics library through DrvEscape: every code's
// sizes as one table, the settings batch lock, the drawing escapes and a
// corpus of hostile blocks for the escapes that read offsets and lengths.
#include "tests/frame/frame_fixture.h"

#include "common/context/setting_rules.h"
#include "common/context/settings_context.h"
#include "common/model/model_value_ops.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_engine.h"
#include "common/system/locale_region.h"
#include "render/device/form_resolution.h"
#include "render/device/pdev_record.h"
#include "render/frame/job_options.h"
#include "tools/morva_reader/morva_reader.h"

#include <winspool.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include <gtest/gtest.h>

namespace {

using frame_test::FrameDriver;
using frame_test::SurfaceOf;

constexpr LONG kFailed = -1;

// The 44 bytes of the overlay query: three flags, then two rectangles.
struct EscOverlayAnswerView {
    uint32_t flags[3];
    float rects[8];  // imageable area, then the form: left, top, right, bottom
};
static_assert(sizeof(EscOverlayAnswerView) == 44);

class FrameEscapes : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(driver_.ok()) << std::string(driver_.error().begin(), driver_.error().end());
        pdev_ = driver_.Enable(driver_.ExtendedDevmode(frame_test::A4At600({{kFidJobHeaderOn, 0}})));
        ASSERT_NE(pdev_, nullptr);
        surface_ = SurfaceOf(pdev_);
    }
    void TearDown() override
    {
        if (pdev_)
            driver_.entries().disablePdev(pdev_);
    }

    LONG Escape(ULONG code, const void* in, ULONG inSize, void* out = nullptr, ULONG outSize = 0)
    {
        return static_cast<LONG>(driver_.entries().escape(&surface_, code, inSize, const_cast<void*>(in), outSize, out));
    }
    template <typename T>
    LONG EscapeValue(ULONG code, T value, void* out = nullptr, ULONG outSize = 0)
    {
        return Escape(code, &value, sizeof(value), out, outSize);
    }
    LONG QuerySupport(uint16_t code) { return EscapeValue(8, code); }
    void StartDocument()
    {
        ASSERT_TRUE(driver_.entries().startDoc(&surface_, const_cast<wchar_t*>(L"escapes"), 7));
    }
    // Runs `print` (DrvStartDoc to DrvEndDoc) inside a spooler job whose
    // output goes to a file, and reads the job back whole.
    template <typename Print>
    bool PrintSpooled(Print print, MorvaListing* listing)
    {
        const std::wstring file = printhost_test::TempPath(L"frame_escape.prn");
        DeleteFileW(file.c_str());
        DOC_INFO_1W doc{const_cast<wchar_t*>(L"escapes"), const_cast<wchar_t*>(file.c_str()),
                        const_cast<wchar_t*>(L"RAW")};
        if (!StartDocPrinterW(driver_.printer(), 1, reinterpret_cast<BYTE*>(&doc)))
            return false;
        print();
        EndDocPrinter(driver_.printer());
        const std::string bytes = printhost_test::ReadTextFile(file);
        DeleteFileW(file.c_str());
        return ReadMorvaJob(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), MorvaReadOptions{},
                            listing);
    }
    // A document on `pdev` of `pages` pages, each with a small black fill and
    // a page query of 20481 (its overlay areas), read back; the answers in
    // page order.
    std::vector<EscOverlayAnswerView> PrintQueryingOverlayAreas(DHPDEV pdev, uint32_t pages, MorvaListing* listing,
                                                                bool* read)
    {
        SURFOBJ surface = SurfaceOf(pdev);
        std::vector<EscOverlayAnswerView> answers;
        *read = PrintSpooled(
            [&] {
                ASSERT_TRUE(driver_.entries().startDoc(&surface, const_cast<wchar_t*>(L"areas"), 9));
                for (uint32_t page = 0; page < pages; ++page) {
                    ASSERT_TRUE(driver_.entries().startPage(&surface));
                    RECTL area{0, 0, 10, 10};
                    BRUSHOBJ black{};
                    ASSERT_TRUE(driver_.entries().bitBlt(&surface, nullptr, nullptr, nullptr, nullptr, &area, nullptr,
                                                         nullptr, &black, nullptr, 0xF0F0));
                    EscOverlayAnswerView answer{};
                    uint32_t pageQuery = 0;
                    ASSERT_EQ(driver_.entries().escape(&surface, 20481, 4, &pageQuery, sizeof(answer), &answer), 1u);
                    answers.push_back(answer);
                    ASSERT_TRUE(driver_.entries().sendPage(&surface));
                }
                driver_.entries().endDoc(&surface, 0);
            },
            listing);
        return answers;
    }
    // A document of `pages` pages without drawing (each printed blank), read back.
    bool PrintBlankPages(int pages, MorvaListing* listing)
    {
        return PrintSpooled(
            [&] {
                StartDocument();
                for (int page = 0; page < pages; ++page) {
                    driver_.entries().startPage(&surface_);
                    ASSERT_TRUE(driver_.entries().sendPage(&surface_));
                }
                driver_.entries().endDoc(&surface_, 0);
            },
            listing);
    }
    void EnableDrawingEscapes()
    {
        const uint8_t request[8] = {8, 0, 0, 0, 1, 0, 0, 0};
        ASSERT_EQ(Escape(4209, request, sizeof(request)), 1);
    }

    FrameDriver& driver_ = frame_test::SharedFrameDriver();
    DHPDEV pdev_ = nullptr;
    SURFOBJ surface_{};
};

struct SizeCase {
    ULONG code;
    ULONG inSize;
    ULONG outSize;
    uint32_t firstWord;  // the input's first u32
    LONG expected;
};

// Exact sizes pass, one byte less or more fails; outputs the interface library
// leaves out are not required.
const SizeCase kSizeCases[] = {
    {17, 4, 4, 3, 1}, {17, 0, 4, 3, kFailed}, {17, 4, 0, 3, 1},
    {19, 4, 4, 0, 0},
    {20, 4, 4, 0, 1}, {20, 4, 3, 0, 0}, {20, 0, 4, 0, 0},
    {20481, 4, 44, 0, 1}, {20481, 0, 44, 0, 1}, {20481, 4, 43, 0, kFailed}, {20481, 4, 45, 0, kFailed},
    {20482, 0, 5900, 0, 1}, {20482, 0, 5899, 0, kFailed}, {20482, 0, 5901, 0, kFailed},
    {20483, 4, 4, 0, kFailed}, {20483, 3, 4, 0, kFailed},
    {20484, 8, 0, 0, kFailed}, {20484, 7, 0, 0, kFailed},
    // A record of zeros is of the right size but no settings record: refused
    // whole (SettingsRecordIsCheckedWhole passes the exact size of a real one).
    {20485, 5900, 0, 0, kFailed}, {20485, 5899, 0, 0, kFailed}, {20485, 5901, 0, 0, kFailed},
    {20486, 0, 768, 0, kFailed}, {20486, 0, 767, 0, kFailed},
    {20487, 768, 0, 0, 1}, {20487, 767, 0, 0, kFailed}, {20487, 769, 0, 0, kFailed},
    {20486, 0, 768, 0, 1},
    {20488, 4, 4, 0, kFailed},
    {20489, 0, 4, 0, 1}, {20489, 0, 3, 0, 0},
    {20490, 0, 0, 0, 1}, {20490, 0, 4, 0, 1},
    {20491, 7964, 0, 0, 1}, {20491, 7963, 0, 0, kFailed}, {20491, 7965, 0, 0, kFailed},
    {20492, 0, 7964, 0, 1}, {20492, 0, 7963, 0, kFailed},
    {20493, 0, 0, 0, 1}, {20493, 0, 4, 0, 1},
    {20496, 10, 0, 0, 1}, {20496, 9, 0, 0, kFailed}, {20496, 11, 0, 0, kFailed},
    {20512, 4, 0, 1, 1},
    {20513, 2, 0, 1, 1}, {20513, 1, 0, 1, kFailed},
    {20515, 2, 0, 0x41, 1}, {20515, 0, 0, 0, kFailed},
    {20516, 0, 0, 0, 0}, {20516, 8, 0, 0, 1},
    {20517, 15, 0, 0, kFailed}, {20517, 16, 0, 0, kFailed},
    {20520, 0, 12, 0, 1}, {20520, 0, 11, 0, kFailed}, {20520, 0, 13, 0, kFailed},
    {20521, 12, 0, 0, 1}, {20521, 11, 0, 0, kFailed}, {20521, 13, 0, 0, kFailed},
    {20522, 0, 3, 0, kFailed},
    {20523, 4, 0, 0, 1}, {20523, 3, 0, 0, kFailed}, {20523, 5, 0, 0, kFailed},
    {20524, 2112, 0, 0, 1}, {20524, 2111, 0, 0, kFailed}, {20524, 2113, 0, 0, kFailed},
    {20525, 1, 0, 0, 1}, {20525, 0, 0, 0, kFailed},
    {20527, 1, 0, 0, 1}, {20529, 3, 0, 0, 1}, {20530, 2, 0, 0, 1}, {20545, 5, 0, 0, 1},
    {20526, 2, 4, 0, 1}, {20526, 2, 3, 0, kFailed}, {20526, 2, 3, 1, 1}, {20526, 2, 4, 1, kFailed},
    {20526, 1, 4, 0, kFailed}, {20526, 2, 4, 2, kFailed},
    {20546, 2, 5, 1, 1}, {20546, 2, 4, 1, kFailed},
    {20528, 8, 0, 0, 1}, {20528, 7, 0, 0, kFailed}, {20528, 9, 0, 0, kFailed},
    {20544, 4, 4, 1, 1}, {20544, 4, 0, 0, 1}, {20544, 3, 4, 0, kFailed},
    {20547, 0, 0, 0, 1}, {20547, 0, 4, 0, 1},
    {20548, 4, 4, 0, 1}, {20548, 4, 0, 0, 1}, {20548, 3, 0, 0, kFailed},
    {20736, 1, 0, 1, 1}, {20736, 2, 0, 2, 1}, {20736, 1, 0, 3, kFailed}, {20736, 0, 0, 1, kFailed},
    {4213, 4, 4, 0, 0}, {4214, 4, 4, 0, 0}, {4215, 4, 4, 0, 0},
    {20514, 4, 4, 0, 0}, {20737, 4, 4, 0, 0}, {12345, 4, 4, 0, 0},
};

TEST_F(FrameEscapes, SizesOfEveryCode)
{
    std::vector<uint8_t> in(8192), out(8192);
    for (const SizeCase& c : kSizeCases) {
        std::fill(in.begin(), in.end(), 0);
        std::memcpy(in.data(), &c.firstWord, sizeof(c.firstWord));
        EXPECT_EQ(Escape(c.code, c.inSize ? in.data() : nullptr, c.inSize, c.outSize ? out.data() : nullptr,
                         c.outSize),
                  c.expected)
            << "code " << c.code << " in " << c.inSize << " out " << c.outSize << " first " << c.firstWord;
    }
}

TEST_F(FrameEscapes, QuerySupportAnswers)
{
    const struct {
        uint16_t code;
        LONG answer;
    } cases[] = {{20, 4209}, {17, 999}, {19, 0}, {4209, 1}, {4210, 0}, {4211, 0}, {4212, 0}, {4216, 0},
                 {4213, 0}, {20481, 1}, {20517, 1}, {20548, 1}, {20736, 1}, {20514, 0}, {8, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(QuerySupport(c.code), c.answer) << c.code;
    EnableDrawingEscapes();
    for (uint16_t code : {4210, 4211, 4212, 4216})
        EXPECT_EQ(QuerySupport(code), 1) << code;
    EXPECT_EQ(Escape(8, nullptr, 0), kFailed);
    // The record is not needed to answer.
    SURFOBJ none{};
    const uint16_t code = 20485;
    EXPECT_EQ(driver_.entries().escape(&none, 8, 2, const_cast<uint16_t*>(&code), 0, nullptr), 1u);
}

TEST_F(FrameEscapes, QuerySupportOfCopyCountFollowsTheHostJobSetting)
{
    DHPDEV hostJob = driver_.Enable(driver_.ExtendedDevmode(frame_test::A4At600({{kFidJobHeaderOn, 1}})));
    ASSERT_NE(hostJob, nullptr);
    SURFOBJ surface = SurfaceOf(hostJob);
    uint16_t code = 17;
    EXPECT_EQ(driver_.entries().escape(&surface, 8, 2, &code, 0, nullptr), 0u);
    uint32_t copies = 3, out = 0;
    EXPECT_EQ(LONG(driver_.entries().escape(&surface, 17, 4, &copies, 4, &out)), kFailed);
    driver_.entries().disablePdev(hostJob);
}

TEST_F(FrameEscapes, SetCopyCountKeepsWithinTheModel)
{
    const struct {
        uint32_t asked, kept;
    } cases[] = {{5, 5}, {0, 1}, {999, 999}, {100000, 999}};
    for (const auto& c : cases) {
        uint32_t out = 0;
        EXPECT_EQ(EscapeValue(17, c.asked, &out, 4), 1);
        EXPECT_EQ(out, c.kept) << c.asked;
    }
}

TEST_F(FrameEscapes, SettingsBatchLockKeepsTheSettings)
{
    std::vector<uint8_t> original(5900), changed(5900), read(5900);
    ASSERT_EQ(Escape(20482, nullptr, 0, original.data(), 5900), 1);
    changed = original;
    changed[3000] ^= 0x5A;

    ASSERT_EQ(EscapeValue<uint16_t>(20513, 0), 1);
    EXPECT_EQ(Escape(20485, changed.data(), 5900), 1);
    EXPECT_EQ(Escape(20485, changed.data(), 5899), 1);
    EXPECT_EQ(Escape(20491, changed.data(), 7964), 1);
    ASSERT_EQ(Escape(20482, nullptr, 0, read.data(), 5900), 1);
    EXPECT_EQ(read, original) << "nothing changes while the batch runs";

    ASSERT_EQ(EscapeValue<uint16_t>(20513, 1), 1);
    EXPECT_EQ(Escape(20485, changed.data(), 5899), kFailed);
    ASSERT_EQ(Escape(20482, nullptr, 0, read.data(), 5900), 1);
    EXPECT_EQ(read, original);
    EXPECT_EQ(Escape(20485, changed.data(), 5900), 1);
    ASSERT_EQ(Escape(20482, nullptr, 0, read.data(), 5900), 1);
    EXPECT_EQ(read, changed);
}

// A whole settings record from an application is checked as DrvEnablePDEV
// checks its DEVMODE and refused whole when it is none of ours; a resolution
// the model does not offer becomes the model's default.
TEST_F(FrameEscapes, SettingsRecordIsCheckedWhole)
{
    std::vector<uint8_t> original(5900), read(5900);
    ASSERT_EQ(Escape(20482, nullptr, 0, original.data(), 5900), 1);
    const auto put16 = [](std::vector<uint8_t>& r, size_t at, uint16_t v) { std::memcpy(r.data() + at, &v, 2); };
    struct Case {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> change;
        LONG expected;
    } cases[] = {
        {"as read", [](std::vector<uint8_t>&) {}, 1},
        {"extended driver part", [&](std::vector<uint8_t>& r) { put16(r, offsetof(DEVMODEW, dmDriverExtra), 5704); }, 1},
        {"public size 0", [&](std::vector<uint8_t>& r) { put16(r, offsetof(DEVMODEW, dmSize), 0); }, kFailed},
        {"driver part 5680", [&](std::vector<uint8_t>& r) { put16(r, offsetof(DEVMODEW, dmDriverExtra), 5680); }, kFailed},
        {"spec version 0x400", [&](std::vector<uint8_t>& r) { put16(r, offsetof(DEVMODEW, dmSpecVersion), 0x400); }, kFailed},
        {"random bytes",
         [](std::vector<uint8_t>& r) {
             uint32_t x = 12345;
             for (uint8_t& b : r)
                 b = uint8_t((x = x * 1103515245 + 12345) >> 16);
         },
         kFailed},
        {"duplex 7", [&](std::vector<uint8_t>& r) { put16(r, offsetof(DEVMODEW, dmDuplex), 7); }, kFailed},
        {"print quality -3", [&](std::vector<uint8_t>& r) { put16(r, offsetof(DEVMODEW, dmPrintQuality), uint16_t(-3)); }, kFailed},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> record = original;
        c.change(record);
        EXPECT_EQ(Escape(20485, record.data(), 5900), c.expected) << c.name;
        ASSERT_EQ(Escape(20482, nullptr, 0, read.data(), 5900), 1);
        EXPECT_EQ(read, original) << c.name << ": the record as it was, or the same record again";
    }
    // A resolution the model does not offer: the record is taken with the
    // model's 600 dpi in its place.
    std::vector<uint8_t> odd = original;
    put16(odd, offsetof(DEVMODEW, dmPrintQuality), 0x7FFF);
    put16(odd, offsetof(DEVMODEW, dmYResolution), 0xFFFF);
    EXPECT_EQ(Escape(20485, odd.data(), 5900), 1);
    ASSERT_EQ(Escape(20482, nullptr, 0, read.data(), 5900), 1);
    uint16_t quality = 0, y = 0;
    std::memcpy(&quality, read.data() + offsetof(DEVMODEW, dmPrintQuality), 2);
    std::memcpy(&y, read.data() + offsetof(DEVMODEW, dmYResolution), 2);
    EXPECT_EQ(quality, 600);
    EXPECT_EQ(y, 600);
}

TEST_F(FrameEscapes, BatchAfterTheDocumentStartedDoesNotLock)
{
    StartDocument();
    std::vector<uint8_t> changed(5900), read(5900);
    ASSERT_EQ(Escape(20482, nullptr, 0, changed.data(), 5900), 1);
    changed[3001] ^= 0x33;
    ASSERT_EQ(EscapeValue<uint16_t>(20513, 0), 1);
    EXPECT_EQ(Escape(20485, changed.data(), 5900), 1);
    ASSERT_EQ(Escape(20482, nullptr, 0, read.data(), 5900), 1);
    EXPECT_EQ(read, changed);
}

TEST_F(FrameEscapes, JobStartedAndJobId)
{
    uint32_t out = 7;
    EXPECT_EQ(Escape(20522, nullptr, 0, &out, 4), kFailed);
    EXPECT_EQ(out, 0u);
    StartDocument();
    EXPECT_EQ(Escape(20522, nullptr, 0, &out, 4), 1);
    EXPECT_EQ(out, 1u);
    EXPECT_EQ(EscapeValue<uint32_t>(20512, 0), 1);
    EXPECT_EQ(Escape(20522, nullptr, 0, &out, 4), 1);
    EXPECT_EQ(out, 0u);
    EXPECT_EQ(Escape(20547, nullptr, 0, &out, 4), 1);
    EXPECT_EQ(out, 7u);
}

TEST_F(FrameEscapes, DataSlotsReadBack)
{
    const uint8_t block[5] = {1, 2, 3, 4, 5};
    ASSERT_EQ(Escape(20529, block, sizeof(block)), 1);
    uint32_t length = 0;
    EXPECT_EQ(EscapeValue<uint16_t>(20526, 0, &length, 4), 1);
    EXPECT_EQ(length, 5u);
    uint8_t back[6] = {};
    EXPECT_EQ(EscapeValue<uint16_t>(20526, 1, back, 6), kFailed);
    EXPECT_EQ(EscapeValue<uint16_t>(20526, 1, back, 5), 1);
    EXPECT_EQ(std::memcmp(back, block, 5), 0);
    EXPECT_EQ(EscapeValue<uint16_t>(20546, 0, &length, 4), 1);
    EXPECT_EQ(length, 0u);
}

TEST_F(FrameEscapes, CapabilityValuesRoundTrip)
{
    const uint8_t values[12] = {1, 0, 0, 0, 4, 0, 0, 0, 2, 0, 0xEE, 0xEE};
    ASSERT_EQ(Escape(20521, values, 12), 1);
    uint8_t back[12];
    std::memset(back, 0x77, sizeof(back));
    ASSERT_EQ(Escape(20520, nullptr, 0, back, 12), 1);
    EXPECT_EQ(std::memcmp(back, values, 10), 0);
    EXPECT_EQ(QuerySupport(4210), 1) << "the capability record enables the drawing escapes";
}

TEST_F(FrameEscapes, DrawControl)
{
    struct Case {
        uint32_t size;
        uint16_t function;
        ULONG outSize;
        LONG expected;
    } cases[] = {{7, 1, 0, -4},  {8, 1, 0, 1},     {8, 25989, 4, 1}, {8, 25989, 0, kFailed},
                 {8, 3, 18, -3}, {8, 3, 17, -4},   {8, 3, 0, kFailed}, {8, 99, 0, -2}, {8, 2, 0, 1}};
    for (const Case& c : cases) {
        uint8_t request[8];
        std::memcpy(request, &c.size, 4);
        std::memcpy(request + 4, &c.function, 2);
        std::memset(request + 6, 0, 2);
        uint8_t out[18] = {};
        EXPECT_EQ(Escape(4209, request, 8, c.outSize ? out : nullptr, c.outSize), c.expected)
            << c.size << "/" << c.function << "/" << c.outSize;
        if (c.function == 25989 && c.expected == 1) {
            EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 4), "EPQZ");
        }
    }
}

TEST_F(FrameEscapes, DrawModeOnlyBeforeTheDocument)
{
    EXPECT_EQ(EscapeValue<uint16_t>(4211, 4609), 0) << "answered only when enabled";
    EnableDrawingEscapes();
    EXPECT_EQ(EscapeValue<uint16_t>(4211, 4611), -6);
    EXPECT_EQ(EscapeValue<uint16_t>(4211, 4609), 1);
    EXPECT_EQ(EscapeValue<uint16_t>(4211, 4612), 1);
    EXPECT_EQ(EscapeValue<uint16_t>(4211, 4608), -3);
    EXPECT_EQ(EscapeValue<uint16_t>(4211, 4614), -3);
    StartDocument();
    EXPECT_EQ(EscapeValue<uint16_t>(4211, 4609), -6);
    EXPECT_EQ(EscapeValue<uint16_t>(4211, 4610), -6);
    EXPECT_EQ(EscapeValue<uint16_t>(4211, 4613), 1);
}

TEST_F(FrameEscapes, JobOverrides)
{
    EnableDrawingEscapes();
    struct Case {
        ULONG inSize;
        uint32_t size;
        uint16_t function, value;
        LONG expected;
    } cases[] = {{8, 8, 4866, 4882, -6}, {8, 8, 4865, 0, -6}, {8, 8, 4866, 4884, 1}, {8, 8, 4866, 4885, -5},
                 {8, 8, 4868, 4, 1},    {8, 8, 4868, 0, 1},    {8, 8, 4868, 3, -5},
                 {8, 8, 4867, 0, 1},    {7, 8, 4868, 2, -4},   {8, 9, 4868, 2, -4},
                 {8, 8, 4999, 0, -3}};
    for (const Case& c : cases) {
        uint8_t request[8];
        std::memcpy(request, &c.size, 4);
        std::memcpy(request + 4, &c.function, 2);
        std::memcpy(request + 6, &c.value, 2);
        uint16_t out = 0xFFFF;
        EXPECT_EQ(Escape(4212, request, c.inSize, &out, 2), c.expected) << c.function << "/" << c.value;
    }
}

TEST_F(FrameEscapes, DuplexOverrideNeedsTheDuplexField)
{
    DHPDEV duplex = driver_.Enable(driver_.ExtendedDevmode(frame_test::A4At600(
        {{kFidFields, DM_PAPERSIZE | DM_ORIENTATION | DM_PRINTQUALITY | DM_DUPLEX}, {kFidDuplex, DMDUP_VERTICAL}})));
    ASSERT_NE(duplex, nullptr);
    SURFOBJ surface = SurfaceOf(duplex);
    auto escape = [&](ULONG code, const void* in, ULONG inSize, void* out, ULONG outSize) {
        return LONG(driver_.entries().escape(&surface, code, inSize, const_cast<void*>(in), outSize, out));
    };
    const uint8_t enable[8] = {8, 0, 0, 0, 1, 0, 0, 0};
    ASSERT_EQ(escape(4209, enable, 8, nullptr, 0), 1);
    const uint8_t query[8] = {8, 0, 0, 0, 0x01, 0x13, 0, 0};            // 4865
    const uint8_t set[8] = {8, 0, 0, 0, 0x02, 0x13, 0x13, 0x13};        // 4866, 4883
    uint16_t out = 0;
    EXPECT_EQ(escape(4212, query, 8, &out, 2), 1);
    EXPECT_EQ(out, 4880 + DMDUP_VERTICAL);
    EXPECT_EQ(escape(4212, set, 8, nullptr, 0), 1);
    driver_.entries().disablePdev(duplex);
}

uint32_t SettingOf(const std::vector<uint8_t>& settings, uint16_t id)
{
    uint16_t type = 0, kind = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    std::vector<uint8_t> record = settings;
    std::vector<uint8_t> printerSettings(7964);
    if (dma_GetValue(id, record.data(), printerSettings.data(), &type, &size, &holder, &kind) != 0)
        return 0xFFFFFFFF;
    return static_cast<uint32_t>(holder);
}

TEST_F(FrameEscapes, OverridesHoldForTheJobOnly)
{
    EnableDrawingEscapes();
    std::vector<uint8_t> settings(5900);
    ASSERT_EQ(Escape(20482, nullptr, 0, settings.data(), 5900), 1);
    const uint32_t before = SettingOf(settings, kFidPagesPerSheet);
    ASSERT_NE(before, 4u);
    const uint8_t fourPages[8] = {8, 0, 0, 0, 0x04, 0x13, 4, 0};  // 4868, 4
    ASSERT_EQ(Escape(4212, fourPages, 8), 1);
    MorvaListing listing;
    ASSERT_TRUE(PrintSpooled(
        [&] {
            StartDocument();
            // The job begins with its first page: a page without drawing is printed blank.
            driver_.entries().startPage(&surface_);
            ASSERT_TRUE(driver_.entries().sendPage(&surface_));
            ASSERT_EQ(Escape(20482, nullptr, 0, settings.data(), 5900), 1);
            EXPECT_EQ(SettingOf(settings, kFidPagesPerSheet), 4u);
            driver_.entries().endDoc(&surface_, 0);
        },
        &listing))
        << listing.error;
    // The overridden four pages per sheet: the one page leaves its face part-filled.
    const std::string commands = CommandTexts(listing);
    EXPECT_EQ(frame_test::Count(commands, "EndJob with left Nup"), 1u) << commands;
    ASSERT_EQ(Escape(20482, nullptr, 0, settings.data(), 5900), 1);
    EXPECT_EQ(SettingOf(settings, kFidPagesPerSheet), before);
}

// Settings that follow an overridden one take the value that goes with it for
// the job: the N-up order and the layout (no booklet with four pages a sheet),
// and the colour mode while the drawing mode is on. All come back at the end.
TEST_F(FrameEscapes, DependentSettingsFollowTheirOverride)
{
    constexpr uint16_t kFidOrder = 264, kFidLayout = 321;
    DHPDEV pdev = driver_.Enable(driver_.ExtendedDevmode(
        frame_test::A4At600({{kFidJobHeaderOn, 0}, {kFidLayout, 2}, {kFidColorMode, 2}})));
    ASSERT_NE(pdev, nullptr);
    SURFOBJ surface = SurfaceOf(pdev);
    auto escape = [&](ULONG code, const void* in, ULONG inSize, void* out = nullptr, ULONG outSize = 0) {
        return static_cast<LONG>(driver_.entries().escape(&surface, code, inSize, const_cast<void*>(in), outSize, out));
    };
    auto settingsNow = [&] {
        std::vector<uint8_t> settings(5900);
        EXPECT_EQ(escape(20482, nullptr, 0, settings.data(), 5900), 1);
        return settings;
    };
    const uint8_t enable[8] = {8, 0, 0, 0, 1, 0, 0, 0};
    ASSERT_EQ(escape(4209, enable, 8), 1);
    const std::vector<uint8_t> before = settingsNow();
    ASSERT_EQ(SettingOf(before, kFidLayout), 2u);
    ASSERT_EQ(SettingOf(before, kFidColorMode), 2u);
    const uint8_t fourPages[8] = {8, 0, 0, 0, 0x04, 0x13, 4, 0};  // 4868, 4
    ASSERT_EQ(escape(4212, fourPages, 8), 1);
    const uint16_t modeOn = 4609;
    ASSERT_EQ(escape(4211, &modeOn, 2), 1);

    ASSERT_TRUE(driver_.entries().startDoc(&surface, const_cast<wchar_t*>(L"follow"), 8));
    driver_.entries().startPage(&surface);
    ASSERT_TRUE(driver_.entries().sendPage(&surface));
    const std::vector<uint8_t> during = settingsNow();
    EXPECT_EQ(SettingOf(during, kFidPagesPerSheet), 4u);
    EXPECT_EQ(SettingOf(during, kFidOrder), 3u);
    EXPECT_EQ(SettingOf(during, kFidLayout), 0u);
    EXPECT_EQ(SettingOf(during, kFidColorMode), 0u);
    EXPECT_EQ(reinterpret_cast<const PDevRecord*>(pdev)->capability.modelFlag, 1u) << "the model has the escapes";
    driver_.entries().endDoc(&surface, 0);

    const std::vector<uint8_t> after = settingsNow();
    for (uint16_t id : {kFidPagesPerSheet, kFidOrder, kFidLayout, kFidColorMode})
        EXPECT_EQ(SettingOf(after, id), SettingOf(before, id)) << id;
    driver_.entries().disablePdev(pdev);
}

// A record whose paper is the model's default prints on the default of the
// region the interface library tells: the output form follows the region.
TEST_F(FrameEscapes, PaperRegionResolvesTheDefaultOutputPaperAgain)
{
    const uint16_t kept = GetLocalePaperRegion(1);  // the locale's region, as the library found it
    DHPDEV pdev = driver_.Enable(driver_.ExtendedDevmode(
        frame_test::A4At600({{kFidFields, DM_ORIENTATION | DM_PRINTQUALITY | DM_COLOR | DM_COPIES}})));
    ASSERT_NE(pdev, nullptr);
    SURFOBJ surface = SurfaceOf(pdev);
    auto region = [&](uint8_t value) {
        return static_cast<LONG>(driver_.entries().escape(&surface, 20736, 1, &value, 0, nullptr));
    };
    const FormRecord& output = reinterpret_cast<const PDevRecord*>(pdev)->outputForm;
    const struct {
        uint8_t region;
        uint16_t paper;
        int32_t width;  // tenths of a millimetre
    } steps[] = {{1, 1, 2159}, {2, 9, 2100}, {2, 9, 2100}, {1, 1, 2159}};
    for (const auto& step : steps) {
        EXPECT_EQ(region(step.region), 1);
        EXPECT_EQ(output.paperNumber, step.paper) << int(step.region);
        EXPECT_EQ(FormUnitsToTenths(output.paperWidth), step.width) << int(step.region);
    }
    driver_.entries().disablePdev(pdev);
    // A record with a paper of its own keeps it.
    const FormRecord& a4 = reinterpret_cast<const PDevRecord*>(pdev_)->outputForm;
    EXPECT_EQ(Escape(20736, "\x02", 1), 1);
    EXPECT_EQ(Escape(20736, "\x01", 1), 1);
    EXPECT_EQ(a4.paperNumber, 9);
    Escape(20736, &kept, 1);
}

// The overlay brackets and query while a page runs: a job with annotation
// items but no stamp draws its annotations as plain drawing, and the query
// asks for them once the face is complete.
TEST_F(FrameEscapes, OverlayBracketsAndQueryFollowTheJobsOptions)
{
    constexpr uint16_t kFidFirstItemOn = 1296, kFidFirstItemValue = 351;
    struct Case {
        const char* name;
        std::vector<frame_test::SettingPair> settings;
        LONG watermarkBegin;
        uint32_t pageAnnotations;  // f2 of the page query
    } cases[] = {
        {"no overlays", {{kFidJobHeaderOn, 0}}, kFailed, 1},
        {"annotation items", {{kFidJobHeaderOn, 0}, {kFidFirstItemOn, 1}, {kFidFirstItemValue, 7}}, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DHPDEV pdev = driver_.Enable(driver_.ExtendedDevmode(frame_test::A4At600(c.settings)));
        ASSERT_NE(pdev, nullptr);
        SURFOBJ surface = SurfaceOf(pdev);
        auto escape = [&](ULONG code, uint32_t in, ULONG outSize, void* out) {
            return static_cast<LONG>(driver_.entries().escape(&surface, code, 4, &in, outSize, out));
        };
        uint32_t out = 0xFF;
        EXPECT_EQ(escape(20483, 1, 4, &out), kFailed) << "no page runs";
        ASSERT_TRUE(driver_.entries().startDoc(&surface, const_cast<wchar_t*>(L"overlays"), 9));
        ASSERT_TRUE(driver_.entries().startPage(&surface));
        RECTL area{0, 0, 10, 10};
        BRUSHOBJ black{};
        ASSERT_TRUE(driver_.entries().bitBlt(&surface, nullptr, nullptr, nullptr, nullptr, &area, nullptr, nullptr,
                                             &black, nullptr, 0xF0F0));
        EXPECT_EQ(escape(20483, 1, 4, &out), c.watermarkBegin);
        if (c.watermarkBegin == 1) {
            EXPECT_EQ(out, 0u) << "without a stamp the watermark bracket draws no overlay";
            EXPECT_EQ(escape(20488, 0, 4, &out), 1);
            EXPECT_EQ(escape(20488, 1, 4, &out), 1);
            EXPECT_EQ(out, 0u);
            EXPECT_EQ(escape(20483, 2, 4, &out), 1);
            EXPECT_EQ(out, 1u) << "the annotation bracket is open";
            EXPECT_EQ(escape(20488, 0, 4, &out), 1);
        }
        EscOverlayAnswerView answer{};
        EXPECT_EQ(escape(20481, 0, sizeof(answer), &answer), 1);
        EXPECT_EQ(answer.flags[0], 0u) << "no stamp, no overlay page";
        EXPECT_EQ(answer.flags[1], 0u);
        EXPECT_EQ(answer.flags[2], c.pageAnnotations);
        EXPECT_NEAR(answer.rects[2], 4861.4f, 0.1f) << "imageable right in dots";
        EXPECT_EQ(escape(20481, 1, sizeof(answer), &answer), 1);
        EXPECT_EQ(answer.flags[0], 0u) << "the face of one page is complete";
        EXPECT_EQ(answer.flags[2], 0u);
        ASSERT_TRUE(driver_.entries().sendPage(&surface));
        driver_.entries().endDoc(&surface, 0);
        driver_.entries().disablePdev(pdev);
    }
}

// N pages on a sheet, portrait and landscape: each page's query answers its
// own cell, the form fitted whole with its shape kept, the imageable area
// inside it, the cells apart and on the sheet in the page's own axes (a
// landscape page's across the sheet); the job prints one sheet.
TEST_F(FrameEscapes, EachPageOfAnNupSheetAnswersItsCell)
{
    const struct {
        const char* name;
        uint32_t orientation;
        uint32_t pages;
        float scaleLow, scaleHigh;  // the fitted form's longer side against the sheet's
    } cases[] = {
        {"4-up portrait", DMORIENT_PORTRAIT, 4, 0.4f, 0.5f},
        {"4-up landscape", DMORIENT_LANDSCAPE, 4, 0.4f, 0.5f},
        {"2-up portrait", DMORIENT_PORTRAIT, 2, 0.6f, 0.72f},
        {"2-up landscape", DMORIENT_LANDSCAPE, 2, 0.6f, 0.72f},
    };
    // A4 at 600 dpi.
    const float sheetWidth = 2100 * 600 / 254.0f, sheetHeight = 2970 * 600 / 254.0f;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DHPDEV pdev = driver_.Enable(driver_.ExtendedDevmode(frame_test::A4At600(
            {{kFidJobHeaderOn, 0}, {kFidOrientation, c.orientation}, {kFidPagesPerSheet, c.pages}})));
        ASSERT_NE(pdev, nullptr);
        MorvaListing listing;
        bool read = false;
        const std::vector<EscOverlayAnswerView> answers = PrintQueryingOverlayAreas(pdev, c.pages, &listing, &read);
        driver_.entries().disablePdev(pdev);
        ASSERT_TRUE(read) << listing.error;
        EXPECT_EQ(frame_test::Count(CommandTexts(listing), "\nFB\nED\n"), 1u) << "one sheet";
        ASSERT_EQ(answers.size(), c.pages);

        for (size_t i = 0; i < answers.size(); ++i) {
            SCOPED_TRACE(i);
            const float* f = answers[i].rects + 4;  // the form
            const float* m = answers[i].rects;  // the imageable area
            const float w = f[2] - f[0], h = f[3] - f[1];
            const float longer = std::max(w, h), shorter = std::min(w, h);
            EXPECT_GT(longer, sheetHeight * c.scaleLow);
            EXPECT_LT(longer, sheetHeight * c.scaleHigh);
            EXPECT_NEAR(shorter / longer, sheetWidth / sheetHeight, 0.001f);
            EXPECT_GE(f[0], 0.0f);
            EXPECT_GE(f[1], 0.0f);
            const bool landscape = c.orientation == DMORIENT_LANDSCAPE;
            EXPECT_LE(f[2], (landscape ? sheetHeight : sheetWidth) + 0.5f);
            EXPECT_LE(f[3], (landscape ? sheetWidth : sheetHeight) + 0.5f);
            EXPECT_TRUE(m[0] > f[0] && m[1] > f[1] && m[2] < f[2] && m[3] < f[3]);
            // The cells fill as the pages are placed: from the sheet's top-left
            // corner, row by row (the sheet's axes here run down from its top).
            if (c.pages == 4 && !landscape) {
                const bool right = (f[0] + f[2]) / 2 > sheetWidth / 2, lower = (f[1] + f[3]) / 2 > sheetHeight / 2;
                EXPECT_EQ(right, i % 2 == 1);
                EXPECT_EQ(lower, i >= 2);
            }
            for (size_t j = 0; j < i; ++j) {
                const float* g = answers[j].rects + 4;  // the form
                const bool apart =
                    f[2] <= g[0] + 0.5f || g[2] <= f[0] + 0.5f || f[3] <= g[1] + 0.5f || g[3] <= f[1] + 0.5f;
                EXPECT_TRUE(apart) << "page " << j;
            }
        }
    }
}

// A4 pages two to a side on an A3 output paper: each page's cell lies in the
// A3 sheet's printable area, the page in it at nearly its own size, the two
// apart; the sheet goes out as A3.
TEST_F(FrameEscapes, PagesOnTheOutputPaperAnswerCellsOfItsSheet)
{
    constexpr uint32_t kA3 = 8;
    auto dots = [](float tenths) { return tenths * 600 / 254.0f; };
    // The A3 paper's printable area: 4.2 mm in from each edge.
    const float left = dots(42), top = dots(42), right = dots(2970 - 42), bottom = dots(4200 - 42);
    DHPDEV pdev = driver_.Enable(driver_.ExtendedDevmode(
        frame_test::A4At600({{kFidJobHeaderOn, 0}, {kFidPagesPerSheet, 2}, {kFidOutputPaper, kA3}})));
    ASSERT_NE(pdev, nullptr);
    MorvaListing listing;
    bool read = false;
    const std::vector<EscOverlayAnswerView> answers = PrintQueryingOverlayAreas(pdev, 2, &listing, &read);
    driver_.entries().disablePdev(pdev);
    ASSERT_TRUE(read) << listing.error;
    const std::string commands = CommandTexts(listing);
    EXPECT_EQ(frame_test::Count(commands, "\nFB\nED\n"), 1u) << "one sheet";
    EXPECT_EQ(frame_test::Count(commands, "kind=81 width=297 height=420"), 1u) << commands;
    ASSERT_EQ(answers.size(), 2u);
    for (size_t i = 0; i < answers.size(); ++i) {
        SCOPED_TRACE(i);
        const float* f = answers[i].rects + 4;  // the form
        EXPECT_GE(f[0], left - 0.5f);
        EXPECT_GE(f[1], top - 0.5f);
        EXPECT_LE(f[2], right + 0.5f);
        EXPECT_LE(f[3], bottom + 0.5f);
        // The A4 page, turned into half the A3 sheet, keeps 97 % of its size.
        EXPECT_NEAR(std::max(f[2] - f[0], f[3] - f[1]), dots(2970) * 0.97f, dots(20));
    }
    const float* f = answers[0].rects + 4;  // the form
    const float* g = answers[1].rects + 4;  // the form
    EXPECT_TRUE(f[2] <= g[0] + 0.5f || g[2] <= f[0] + 0.5f || f[3] <= g[1] + 0.5f || g[3] <= f[1] + 0.5f);
}

// A two-sided job on the document's own paper whose paper changes between
// two pages: under a tray the printer picks by paper (7) the new paper takes
// a new sheet, the back face of the first left empty; under a fixed tray the
// second page goes on the back face. Behind a first sheet from the cover tray
// the job's own tray 7 comes back for the second face. The host cannot
// change the paper under a running job (ResetDC keeps it), so the record's
// paper is changed here as a new document paper would.
TEST_F(FrameEscapes, NewPaperUnderTheAutomaticTrayStartsASheet)
{
    constexpr uint32_t kSameAsDocument = 267, kFormSource = 15, kAutomatic = 7, kTray1 = 1, kA3 = 8;
    const struct {
        uint32_t tray, covers;
        size_t skipped;
    } cases[] = {{kAutomatic, 0, 1}, {kTray1, 0, 0}, {kAutomatic, 1, 1}, {kTray1, 1, 0}};
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message() << k.tray << " " << k.covers);
        DHPDEV pdev = driver_.Enable(driver_.ExtendedDevmode(frame_test::A4At600(
            {{kFidJobHeaderOn, 0}, {kFidDuplex, 2}, {kFidOutputPaper, kSameAsDocument},
             {kFidDefaultSource, kFormSource}, {kFidPaperSource, k.tray}, {kFidCovers, k.covers},
             {kFidCoverTray, kTray1}})));
        ASSERT_NE(pdev, nullptr);
        SURFOBJ surface = SurfaceOf(pdev);
        FormRecord& requested = reinterpret_cast<PDevRecord*>(pdev)->requestedForm;
        const uint16_t paper = requested.paperNumber;
        MorvaListing listing;
        const bool read = PrintSpooled(
            [&] {
                ASSERT_TRUE(driver_.entries().startDoc(&surface, const_cast<wchar_t*>(L"papers"), 9));
                for (int page = 0; page < 2; ++page) {
                    ASSERT_TRUE(driver_.entries().startPage(&surface));
                    RECTL area{0, 0, 10, 10};
                    BRUSHOBJ black{};
                    ASSERT_TRUE(driver_.entries().bitBlt(&surface, nullptr, nullptr, nullptr, nullptr, &area, nullptr,
                                                         nullptr, &black, nullptr, 0xF0F0));
                    ASSERT_TRUE(driver_.entries().sendPage(&surface));
                    requested.paperNumber = kA3;
                }
                driver_.entries().endDoc(&surface, 0);
            },
            &listing);
        requested.paperNumber = paper;
        driver_.entries().disablePdev(pdev);
        ASSERT_TRUE(read) << listing.error;
        const std::string commands = CommandTexts(listing);
        EXPECT_EQ(frame_test::Count(commands, "skip backface of duplex"), k.skipped) << commands;
        EXPECT_EQ(frame_test::Count(commands, "\nFB\nED\n"), 2u) << commands;
    }
}

// A landscape page's frame holds the upright paper with its printable area
// inside it, the landscape flag turning it: the printable sides of the turned
// form are given back in upright order.
TEST_F(FrameEscapes, LandscapePageFrameHoldsTheUprightPaper)
{
    for (uint32_t orientation : {uint32_t(DMORIENT_PORTRAIT), uint32_t(DMORIENT_LANDSCAPE)}) {
        SCOPED_TRACE(orientation);
        DHPDEV pdev = driver_.Enable(
            driver_.ExtendedDevmode(frame_test::A4At600({{kFidJobHeaderOn, 0}, {kFidOrientation, orientation}})));
        ASSERT_NE(pdev, nullptr);
        SURFOBJ surface = SurfaceOf(pdev);
        const auto* record = reinterpret_cast<const PDevRecord*>(pdev);
        PaperFrame page{};
        uint32_t landscape = 0;
        MorvaListing listing;
        const bool read = PrintSpooled(
            [&] {
                ASSERT_TRUE(driver_.entries().startDoc(&surface, const_cast<wchar_t*>(L"frame"), 9));
                ASSERT_TRUE(driver_.entries().startPage(&surface));
                RECTL area{0, 0, 10, 10};
                BRUSHOBJ black{};
                ASSERT_TRUE(driver_.entries().bitBlt(&surface, nullptr, nullptr, nullptr, nullptr, &area, nullptr,
                                                     nullptr, &black, nullptr, 0xF0F0));
                ASSERT_NE(record->geometry, nullptr);
                page = record->geometry->page;
                landscape = record->geometry->landscape;
                ASSERT_TRUE(driver_.entries().sendPage(&surface));
                driver_.entries().endDoc(&surface, 0);
            },
            &listing);
        driver_.entries().disablePdev(pdev);
        ASSERT_TRUE(read) << listing.error;
        EXPECT_EQ(landscape, orientation == DMORIENT_LANDSCAPE ? 1u : 0u);
        EXPECT_EQ(page.width, 2100);
        EXPECT_EQ(page.height, 2970);
        EXPECT_GT(page.printableWidth, 2000);
        EXPECT_LE(page.printableWidth, page.width);
        EXPECT_GT(page.printableHeight, 2800);
        EXPECT_LE(page.printableHeight, page.height);
        EXPECT_GE(page.leftOffset, 0);
        EXPECT_GE(page.topOffset, 0);
    }
}

// Collation is asked with three flags, all needed, and answered from the
// model's collation support: the test model collates by itself (answer 1).
TEST_F(FrameEscapes, CollationNeedsTheThreeFlags)
{
    auto* record = reinterpret_cast<PDevRecord*>(pdev_);
    CapabilityBits bits{};
    ASSERT_TRUE(GetModelCapabilityBits(record->settingsContext->main, &bits));
    ASSERT_EQ(GetCollateSupport(record->settings, record->printerSettings, &bits), 1);
    const struct {
        uint32_t flags;
        bool available;
    } cases[] = {{0x7, true}, {0xF, true}, {0x6, false}, {0x5, false}, {0x3, false}, {0x0, false}};
    for (const auto& c : cases)
        EXPECT_EQ(IsCollationAvailable(record, c.flags), c.available) << c.flags;
}

// The annotation record comes back with the values of the items that are off
// cleared.
TEST_F(FrameEscapes, AnnotationRecordKeepsOnlyTheItemsThatAreOn)
{
    DHPDEV pdev = driver_.Enable(driver_.ExtendedDevmode(
        frame_test::A4At600({{kFidJobHeaderOn, 0}, {1297, 1}, {1301, 1}})));
    ASSERT_NE(pdev, nullptr);
    SURFOBJ surface = SurfaceOf(pdev);
    std::vector<uint8_t> record(768, 0x20);
    const uint16_t values[6] = {1, 2, 3, 4, 5, 6};
    std::memcpy(record.data() + 4, values, sizeof(values));
    ASSERT_EQ(driver_.entries().escape(&surface, 20487, 768, record.data(), 0, nullptr), 1u);
    std::vector<uint8_t> back(768);
    ASSERT_EQ(driver_.entries().escape(&surface, 20486, 0, nullptr, 768, back.data()), 1u);
    uint16_t got[6];
    std::memcpy(got, back.data() + 4, sizeof(got));
    const uint16_t expected[6] = {0, 2, 0, 0, 0, 6};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(got[i], expected[i]) << i;
    EXPECT_EQ(std::vector<uint8_t>(back.begin() + 16, back.end()), std::vector<uint8_t>(record.begin() + 16, record.end()));
    driver_.entries().disablePdev(pdev);
}

// Writes a number setting into the records, with the type and size the engine reports for it.
bool SetSetting(std::vector<uint8_t>* settings, std::vector<uint8_t>* printer, uint16_t id, uint32_t value)
{
    uint16_t type = 0, kind = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (dma_GetValue(id, settings->data(), printer->data(), &type, &size, &holder, &kind) != 0)
        return false;
    holder = value;
    return dma_SetValue(id, settings->data(), printer->data(), type, size, &holder) == 0;
}

bool SetText(std::vector<uint8_t>* settings, std::vector<uint8_t>* printer, uint16_t id, const std::wstring& text)
{
    const wchar_t* pointer = text.c_str();
    uint64_t holder = 0;
    std::memcpy(&holder, &pointer, sizeof pointer);
    const uint32_t size = uint32_t((text.size() + 1) * sizeof(wchar_t));
    return dma_SetValue(id, settings->data(), printer->data(), kTypeString, size, &holder) == 0;
}

// The owner text of the annotation record follows the printer's user
// identification: the user ID of the account mode when its identification
// kind is 7, the prompted text where the model prompts; otherwise, and for an
// empty identification, the text as the interface library sent it.
TEST_F(FrameEscapes, AnnotationOwnerFollowsTheUserIdentification)
{
    const bool withoutHost =
        TestModelCapability(reinterpret_cast<PDevRecord*>(pdev_)->settingsContext->main, 0x2000000u);
    const std::wstring sent = L"someone\\HOST";
    const std::wstring longId(32, L'x');
    struct Case {
        const char* name;
        std::vector<std::pair<uint16_t, uint32_t>> numbers;
        std::vector<std::pair<uint16_t, std::wstring>> texts;
        std::wstring expected;
        std::wstring expectedWithoutHost;  // where the model's capability decides otherwise
    } cases[] = {
        {"no identification", {{5163, 0}, {5127, 0}}, {{5121, L"ADMIN1"}}, sent, sent},
        {"administrator ID", {{5163, 0}, {5127, 7}}, {{5121, L"ADMIN1"}}, L"ADMIN1", L"ADMIN1"},
        {"user ID", {{5163, 1}, {5178, 7}, {5127, 0}}, {{5150, L"USER1"}}, L"USER1", L"USER1"},
        {"empty ID", {{5163, 0}, {5127, 7}}, {{5121, L""}}, sent, sent},
        {"long ID cut to 31 bytes", {{5163, 0}, {5127, 7}}, {{5121, longId}}, longId.substr(0, 31),
         longId.substr(0, 31)},
        {"prompted administrator", {{5163, 0}, {5127, 7}, {5164, 1}}, {{5121, L"ADMIN1"}, {5174, L"PROMPTED"}},
         L"ADMIN1", L"PROMPTED"},
        {"other account mode", {{5163, 2}, {5178, 7}, {5127, 7}}, {{5150, L"USER1"}, {5121, L"ADMIN1"}}, sent,
         L"USER1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> settings(5900), printer(7964);
        ASSERT_EQ(Escape(20482, nullptr, 0, settings.data(), 5900), 1);
        ASSERT_EQ(Escape(20492, nullptr, 0, printer.data(), 7964), 1);
        for (const auto& [id, value] : c.numbers)
            ASSERT_TRUE(SetSetting(&settings, &printer, id, value)) << id;
        for (const auto& [id, text] : c.texts)
            ASSERT_TRUE(SetText(&settings, &printer, id, text)) << id;
        ASSERT_EQ(Escape(20491, printer.data(), 7964), 1);
        std::vector<uint8_t> record(768, 0);
        std::memcpy(record.data() + 144, sent.c_str(), (sent.size() + 1) * sizeof(wchar_t));
        const std::wstring user = L"someone";
        std::memcpy(record.data() + 16, user.c_str(), (user.size() + 1) * sizeof(wchar_t));
        ASSERT_EQ(Escape(20487, record.data(), 768), 1);
        std::vector<uint8_t> back(768);
        ASSERT_EQ(Escape(20486, nullptr, 0, back.data(), 768), 1);
        EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(back.data() + 144)),
                  withoutHost ? c.expectedWithoutHost : c.expected);
        EXPECT_EQ(back[144 + 62], 0) << "always terminated";
        EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(back.data() + 16)), user) << "the user name stays";
    }
    // An owner text that was not sent stays empty.
    std::vector<uint8_t> empty(768, 0), back(768);
    ASSERT_EQ(Escape(20487, empty.data(), 768), 1);
    ASSERT_EQ(Escape(20486, nullptr, 0, back.data(), 768), 1);
    EXPECT_EQ(back[144], 0);
}

// A printer of a newer stream: the separator sheet at the job begin (an empty
// side, then "FC" for the next sheet), the one-sided job kind ahead of it, the
// page label as a job string and on each page.
TEST_F(FrameEscapes, NewerStreamSheetCommands)
{
    std::vector<uint8_t> settings(5900), printer(7964);
    ASSERT_EQ(Escape(20482, nullptr, 0, settings.data(), 5900), 1);
    ASSERT_EQ(Escape(20492, nullptr, 0, printer.data(), 7964), 1);
    const std::pair<uint16_t, uint32_t> values[] = {
        {kFidStreamVersion, 0x01020008}, {1350, 1}, {4103, 1}, {kFidCovers, 2}, {kFidPageLabelOn, 1}};
    for (const auto& [id, value] : values)
        ASSERT_TRUE(SetSetting(&settings, &printer, id, value)) << id;
    ASSERT_EQ(Escape(20485, settings.data(), 5900), 1);
    ASSERT_EQ(Escape(20491, printer.data(), 7964), 1);
    MorvaListing listing;
    ASSERT_TRUE(PrintBlankPages(2, &listing)) << listing.error;
    const std::string c = CommandTexts(listing);
    EXPECT_EQ(c.rfind("EA value=0x90\nEH ", 0), 0u) << c;
    EXPECT_EQ(frame_test::Count(c, "FH a=0 b=2\n"), 1u) << c;
    EXPECT_EQ(frame_test::Count(c, "FE variant=17\nED\n"), 1u) << c;
    EXPECT_LT(c.find("FH a=0 b=2"), c.find("FE variant=17")) << c;
    EXPECT_LT(c.find("FE variant=17"), c.find("\nFC\n")) << c;
    EXPECT_LT(c.rfind("\nFC\n"), c.find("StartPage")) << c;
    // The first page's sheet follows the separator: no second "FC".
    EXPECT_EQ(frame_test::Count(c, "\nFC\n"), 1u) << c;
    EXPECT_EQ(frame_test::Count(c, "StartPage"), 2u) << c;
    EXPECT_EQ(frame_test::Count(c, "\nEg "), 2u) << c;
    EXPECT_EQ(frame_test::Count(c, "\nFB\nED\n"), 2u) << c;
}

// ---- Hostile blocks ----

std::vector<uint8_t> HeaderBlock(uint32_t count, uint32_t stride, const std::vector<uint32_t>& lengths,
                                 const std::vector<uint32_t>& patches)
{
    std::vector<uint8_t> block(16 + size_t(count) * (stride + 4));
    const uint32_t head[4] = {count, stride, 16, 16 + count * stride};
    std::memcpy(block.data(), head, 16);
    for (uint32_t i = 0; i < count; ++i) {
        std::memcpy(block.data() + 16 + i * stride, &lengths[i], 4);
        std::memcpy(block.data() + 16 + count * stride + 4 * i, &patches[i], 4);
    }
    return block;
}

TEST_F(FrameEscapes, JobHeaderBlockBounds)
{
    constexpr uint32_t s = 64;
    struct Case {
        const char* name;
        std::vector<uint8_t> block;
        LONG expected;
    } cases[] = {
        {"two headers", HeaderBlock(2, s, {10, 60}, {0, s - 4 - 38}), 1},
        {"header fills its slot", HeaderBlock(1, s, {s - 4}, {0}), 1},
        {"header past its slot", HeaderBlock(1, s, {s - 3}, {0}), kFailed},
        {"patch past its slot", HeaderBlock(1, s, {10}, {s - 4 - 37}), kFailed},
        {"huge patch offset", HeaderBlock(1, s, {10}, {0xFFFFFFF0}), kFailed},
        {"huge length", HeaderBlock(1, s, {0xFFFFFFFF}, {0}), kFailed},
        {"stride below the length word", HeaderBlock(1, 3, {0}, {0}), kFailed},
        {"no headers", HeaderBlock(0, s, {}, {}), kFailed},
        // What the header writer would refuse at the first page is refused here.
        {"patch just past the header", HeaderBlock(1, s, {10}, {10}), kFailed},
    };
    for (auto& c : cases)
        EXPECT_EQ(Escape(20517, c.block.data(), ULONG(c.block.size())), c.expected) << c.name;

    // Counts and strides whose products wrap, on a block of the same bytes.
    std::vector<uint8_t> base = HeaderBlock(2, s, {10, 10}, {0, 0});
    for (uint32_t count : {3u, 0x10000u, 0x40000000u, 0xFFFFFFFFu}) {
        std::vector<uint8_t> block = base;
        std::memcpy(block.data(), &count, 4);
        EXPECT_EQ(Escape(20517, block.data(), ULONG(block.size())), kFailed) << "count " << count;
    }
    for (uint32_t stride : {0u, 65u, 0x80000000u, 0xFFFFFFFFu, 0x3FFFFFFFu}) {
        std::vector<uint8_t> block = base;
        std::memcpy(block.data() + 4, &stride, 4);
        EXPECT_EQ(Escape(20517, block.data(), ULONG(block.size())), kFailed) << "stride " << stride;
    }
    for (size_t size = 16; size < base.size(); size += 7)
        EXPECT_EQ(Escape(20517, base.data(), ULONG(size)), kFailed) << "cut at " << size;

    // Heads whose 16 + n * (s + 4) wraps even 64 bits, alone or before a page.
    const uint32_t wrapping[][4] = {
        {0xFFFFFFFE, 0xFFFFFFFE, 0, 0},
        {0xFFFFFFFF, 0xFFFFFFFD, 16, 0},
        {0xFFFFFFFE, 0xFFFFFFFE, 16, 0xFFFFFFF4},
        {0x80000000, 0xFFFFFFFC, 16, 16},
    };
    for (const auto& head : wrapping)
        EXPECT_EQ(Escape(20517, head, sizeof head), kFailed) << head[0] << " x " << head[1];
    // A head that disagrees with itself: slots or offsets elsewhere.
    for (const auto& [at, value] : {std::pair<size_t, uint32_t>{8, 0}, {8, 20}, {12, 0}, {12, 16 + 2 * s + 4}}) {
        std::vector<uint8_t> block = base;
        std::memcpy(block.data() + at, &value, 4);
        EXPECT_EQ(Escape(20517, block.data(), ULONG(block.size())), kFailed) << "word at " << at << " = " << value;
    }
}

// The interface library's ready-made header opens the job as it was handed over.
TEST_F(FrameEscapes, JobHeaderFromTheInterfaceLibrary)
{
    const std::string header = "\x1b%-12345X@PJL COMMENT READY-MADE\n@PJL ENTER LANGUAGE=MORVA\n";
    constexpr uint32_t kStride = 128;
    std::vector<uint8_t> block = HeaderBlock(1, kStride, {uint32_t(header.size())}, {0});
    std::memcpy(block.data() + 20, header.data(), header.size());
    ASSERT_EQ(Escape(20517, block.data(), ULONG(block.size())), 1);
    MorvaListing listing;
    ASSERT_TRUE(PrintBlankPages(1, &listing)) << listing.error;
    ASSERT_EQ(listing.headerLines.size(), 2u);
    EXPECT_EQ(listing.headerLines[0], "\x1b%-12345X@PJL COMMENT READY-MADE");
    EXPECT_EQ(listing.headerLines[1], "@PJL ENTER LANGUAGE=MORVA");
    EXPECT_EQ(listing.versionLine.rfind("%ZQRQD-", 0), 0u);
}

std::vector<uint8_t> Chunk(uint32_t id, uint32_t total, uint32_t offset, uint32_t length, uint32_t rop = 0xCC0020)
{
    std::vector<uint8_t> record(8 + 20 + length, 0xAB);
    const uint32_t head[2] = {uint32_t(record.size()), 8};
    const uint32_t chunk[5] = {id, total, offset, length, rop};
    std::memcpy(record.data(), head, 8);
    std::memcpy(record.data() + 8, chunk, 20);
    return record;
}

TEST_F(FrameEscapes, ChunkedImageOrder)
{
    std::vector<uint8_t> first = Chunk(0, 20, 0, 10);
    EXPECT_EQ(Escape(4210, first.data(), ULONG(first.size())), 0) << "answered only when enabled";
    EnableDrawingEscapes();
    const LONG id = Escape(4210, first.data(), ULONG(first.size()));
    ASSERT_GT(id, 0);
    std::vector<uint8_t> wrongOffset = Chunk(uint32_t(id), 20, 5, 10);
    EXPECT_EQ(Escape(4210, wrongOffset.data(), ULONG(wrongOffset.size())), -4);
    // The transfer starts again after a fault.
    const LONG again = Escape(4210, first.data(), ULONG(first.size()));
    ASSERT_GT(again, 0);
    EXPECT_NE(again, id);
    std::vector<uint8_t> second = Chunk(uint32_t(again), 20, 10, 10);
    EXPECT_EQ(Escape(4210, second.data(), ULONG(second.size())), again) << "complete";
    EXPECT_EQ(Escape(4210, second.data(), ULONG(second.size())), -4) << "no transfer runs now";
    std::vector<uint8_t> notCopy = Chunk(0, 10, 0, 10, 0x660046);
    EXPECT_EQ(Escape(4210, notCopy.data(), ULONG(notCopy.size())), 0);
}

// The chunked image is a drawing function of the printer's stream: a stream
// version outside those the function table knows, or the copy-count lock,
// refuses it (0) however the escapes were enabled.
TEST_F(FrameEscapes, ChunkedImageNeedsAStreamThatTakesIt)
{
    const struct {
        uint32_t version;
        uint32_t copyCountLock;  // setting 1333
        bool taken;
    } cases[] = {{0x01010501, 0, true}, {0x01020018, 0, true}, {0x01010500, 0, false}, {0x01020019, 0, false},
                 {0x01010701, 1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.version << " lock " << c.copyCountLock);
        DHPDEV pdev = driver_.Enable(driver_.ExtendedDevmode(frame_test::A4At600({{kFidJobHeaderOn, c.copyCountLock}})));
        ASSERT_NE(pdev, nullptr);
        SURFOBJ surface = SurfaceOf(pdev);
        auto escape = [&](ULONG code, std::vector<uint8_t>* in, ULONG outSize = 0, void* out = nullptr) {
            return static_cast<LONG>(
                driver_.entries().escape(&surface, code, ULONG(in ? in->size() : 0), in ? in->data() : nullptr, outSize, out));
        };
        std::vector<uint8_t> settings(5900), printer(7964);
        ASSERT_EQ(escape(20482, nullptr, 5900, settings.data()), 1);
        ASSERT_EQ(escape(20492, nullptr, 7964, printer.data()), 1);
        ASSERT_TRUE(SetSetting(&settings, &printer, kFidStreamVersion, c.version));
        ASSERT_EQ(escape(20491, &printer), 1);
        ASSERT_TRUE(driver_.entries().startDoc(&surface, const_cast<wchar_t*>(L"stream"), 8));
        std::vector<uint8_t> enable = {8, 0, 0, 0, 1, 0, 0, 0};
        ASSERT_EQ(escape(4209, &enable), 1);
        std::vector<uint8_t> first = Chunk(0, 20, 0, 10);
        const LONG answer = escape(4210, &first);
        if (c.taken)
            EXPECT_GT(answer, 0);
        else
            EXPECT_EQ(answer, 0);
        driver_.entries().disablePdev(pdev);
    }
}

TEST_F(FrameEscapes, ChunkedImageBounds)
{
    EnableDrawingEscapes();
    const std::vector<uint8_t> good = Chunk(0, 10, 0, 10);
    struct Mutation {
        size_t at;
        uint32_t value;
    } mutations[] = {{0, 0xFFFFFFFF}, {4, 0xFFFFFFF0}, {4, 1000}, {4, 0}, {8 + 12, 0xFFFFFFF0}, {8 + 12, 11},
                     {8 + 4, 0}, {8 + 8, 0xFFFFFFFF}};
    for (const Mutation& m : mutations) {
        std::vector<uint8_t> record = good;
        std::memcpy(record.data() + m.at, &m.value, 4);
        const LONG answer = Escape(4210, record.data(), ULONG(record.size()));
        EXPECT_LE(answer, 0) << "field at " << m.at << " = " << m.value;
    }
    for (size_t size = 0; size < good.size(); size += 3) {
        const LONG answer = Escape(4210, good.data(), ULONG(size));
        EXPECT_LE(answer, 0) << "cut at " << size;
    }
}

TEST_F(FrameEscapes, DrawDataBounds)
{
    EnableDrawingEscapes();
    struct Case {
        uint32_t n;
        ULONG inSize;
        LONG expected;
        uint32_t slotLength;
    } cases[] = {{5, 9, 1, 5},          {5, 8, kFailed, 5},   {2, 6, kFailed, 0},        {6, 10, 1, 6},
                 {0xFFFD, 16, kFailed, 6}, {0xFFFFFFFF, 16, kFailed, 6}, {0xFFFC, 0xFFFC + 4, 1, 0xFFFC}};
    std::vector<uint8_t> in(0x10000 + 8, 0x11);
    for (const Case& c : cases) {
        std::memcpy(in.data(), &c.n, 4);
        EXPECT_EQ(Escape(4216, in.data(), c.inSize), c.expected) << c.n << "/" << c.inSize;
        uint32_t length = 0xFFFF;
        ASSERT_EQ(EscapeValue<uint16_t>(20526, 0, &length, 4), 1);
        EXPECT_EQ(length, c.slotLength) << c.n << "/" << c.inSize;
    }
}

} // namespace
