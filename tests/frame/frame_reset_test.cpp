// A device record handed over mid-document (DrvResetPDEV) and what a job
// leaves behind on its DC: the record that takes the job over carries on with
// it, a refused hand-over moves nothing, and the job's end gives back what the
// escapes brought.
#include "tests/frame/frame_fixture.h"

#include "common/job/fax_send_list.h"
#include "common/job/private_escapes.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/store/settings_blobs.h"
#include "render/command/page_items.h"
#include "render/device/pdev_record.h"
#include "tools/morva_reader/morva_reader.h"

#include <gtest/gtest.h>

#include <winspool.h>

#include <cstddef>
#include <cstring>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

namespace {

using frame_test::Count;
using frame_test::FrameDriver;

const PDevRecord* Record(DHPDEV pdev) { return reinterpret_cast<const PDevRecord*>(pdev); }

LONG Escape(FrameDriver& driver, SURFOBJ* surface, ULONG code, const void* in, ULONG inSize, void* out = nullptr,
            ULONG outSize = 0)
{
    return static_cast<LONG>(
        driver.entries().escape(surface, code, inSize, const_cast<void*>(in), outSize, out));
}

// Runs `print` inside a spooler job whose output goes to a file; the job read back.
bool PrintSpooled(FrameDriver& driver, const std::function<void()>& print, MorvaListing* listing)
{
    const std::wstring file = printhost_test::TempPath(L"frame_reset.prn");
    DeleteFileW(file.c_str());
    DOC_INFO_1W doc{const_cast<wchar_t*>(L"reset"), const_cast<wchar_t*>(file.c_str()), const_cast<wchar_t*>(L"RAW")};
    if (!StartDocPrinterW(driver.printer(), 1, reinterpret_cast<BYTE*>(&doc)))
        return false;
    print();
    EndDocPrinter(driver.printer());
    const std::string bytes = printhost_test::ReadTextFile(file);
    DeleteFileW(file.c_str());
    return ReadMorvaJob(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), MorvaReadOptions{}, listing);
}

// A small black fill: the page begins at it.
void Fill(FrameDriver& driver, SURFOBJ* surface)
{
    RECTL area{0, 0, 10, 10};
    BRUSHOBJ black{};
    ASSERT_TRUE(driver.entries().bitBlt(surface, nullptr, nullptr, nullptr, nullptr, &area, nullptr, nullptr, &black,
                                        nullptr, 0xF0F0));
}

std::vector<uint8_t> AnnotationRecord(uint8_t mark)
{
    std::vector<uint8_t> record(kAnnotationRecordSize, 0);
    record[16] = mark;  // the first text block
    return record;
}

// The record a reset leaves and the one it makes, disabled when the test is
// done with them, also when an assertion ends it early.
struct ResetRecords {
    FrameDriver& driver;
    DHPDEV old;
    DHPDEV fresh;
    ResetRecords(FrameDriver& d, const std::vector<uint8_t>& devmode)
        : driver(d), old(d.Enable(devmode)), fresh(d.Enable(devmode))
    {}
    ResetRecords(const ResetRecords&) = delete;
    ResetRecords& operator=(const ResetRecords&) = delete;
    ~ResetRecords()
    {
        for (DHPDEV record : {old, fresh})
            if (record)
                driver.entries().disablePdev(record);
    }
};

// A fax destination list of `held` records whose header claims `claimed`.
std::vector<uint8_t> FaxList(uint16_t claimed, uint32_t held)
{
    std::vector<uint8_t> list(kFaxSendListHeaderBytes + size_t{held} * kFaxRecipientBytes, 0);
    std::memcpy(list.data(), kFaxSendListTag, sizeof kFaxSendListTag);
    std::memcpy(list.data() + kFaxSendListCountOffset, &claimed, sizeof claimed);
    return list;
}

// The engine keeps the old record when the answer is FALSE: it must still hold
// its whole job, and end it as if no reset had been asked for.
TEST(FrameReset, RefusedResetMovesNothing)
{
    FrameDriver& driver = frame_test::SharedFrameDriver();
    ASSERT_TRUE(driver.ok());
    const std::vector<uint8_t> devmode = driver.ExtendedDevmode(frame_test::A4At600());
    const ResetRecords records(driver, devmode);
    const DHPDEV old = records.old, fresh = records.fresh;
    ASSERT_TRUE(old && fresh);
    SURFOBJ surface = frame_test::SurfaceOf(old);
    MorvaListing listing;
    const bool read = PrintSpooled(
        driver,
        [&] {
            ASSERT_TRUE(driver.entries().startDoc(&surface, const_cast<wchar_t*>(L"reset"), 3));
            const std::vector<uint8_t> annotation = AnnotationRecord(7);
            ASSERT_EQ(Escape(driver, &surface, kEscSetAnnotationData, annotation.data(), kAnnotationRecordSize), 1);
            ASSERT_TRUE(driver.entries().startPage(&surface));
            Fill(driver, &surface);
            const PDevRecord* o = Record(old);
            const PDevRecord* f = Record(fresh);
            const auto* stream = o->stream;
            const auto* layer = o->commandLayer;
            const auto* geometry = o->geometry;
            const auto* annotationBlock = o->annotation;
            ASSERT_TRUE(stream && layer && geometry && annotationBlock);
            EXPECT_FALSE(driver.entries().resetPdev(old, fresh)) << "a page is begun";
            EXPECT_EQ(o->stream, stream);
            EXPECT_EQ(o->commandLayer, layer);
            EXPECT_EQ(o->geometry, geometry);
            EXPECT_EQ(o->annotation, annotationBlock);
            EXPECT_EQ(o->flags & kPdevHandedOverJob, 0u);
            EXPECT_EQ(f->stream, nullptr);
            EXPECT_EQ(f->commandLayer, nullptr);
            EXPECT_EQ(f->annotation, nullptr);
            EXPECT_EQ(f->flags & kPdevTookOverJob, 0u);
            EXPECT_TRUE(driver.entries().sendPage(&surface));
            EXPECT_TRUE(driver.entries().endDoc(&surface, 0));
        },
        &listing);
    ASSERT_TRUE(read) << listing.error;
    EXPECT_EQ(Count(CommandTexts(listing), "\nFB\nED\n"), 1u) << CommandTexts(listing);
}

// GDI starts the document again on the record that took the job over: the job
// goes on, with one stream head, both pages, and the carried annotation.
TEST(FrameReset, StartDocOnTheRecordThatTookOverGoesOn)
{
    FrameDriver& driver = frame_test::SharedFrameDriver();
    ASSERT_TRUE(driver.ok());
    const std::vector<uint8_t> devmode = driver.ExtendedDevmode(frame_test::A4At600());
    const ResetRecords records(driver, devmode);
    const DHPDEV old = records.old, fresh = records.fresh;
    ASSERT_TRUE(old && fresh);
    SURFOBJ before = frame_test::SurfaceOf(old);
    SURFOBJ after = frame_test::SurfaceOf(fresh);
    MorvaListing listing;
    const bool read = PrintSpooled(
        driver,
        [&] {
            ASSERT_TRUE(driver.entries().startDoc(&before, const_cast<wchar_t*>(L"reset"), 3));
            const std::vector<uint8_t> annotation = AnnotationRecord(9);
            ASSERT_EQ(Escape(driver, &before, kEscSetAnnotationData, annotation.data(), kAnnotationRecordSize), 1);
            ASSERT_TRUE(driver.entries().startPage(&before));
            Fill(driver, &before);
            ASSERT_TRUE(driver.entries().sendPage(&before));
            const auto* stream = Record(old)->stream;
            ASSERT_TRUE(driver.entries().resetPdev(old, fresh));
            EXPECT_EQ(Record(old)->annotation, nullptr);
            EXPECT_NE(Record(fresh)->annotation, nullptr);
            if (Record(fresh)->annotation)
                EXPECT_EQ(Record(fresh)->annotation[16], 9);
            EXPECT_TRUE(driver.entries().startDoc(&after, const_cast<wchar_t*>(L"reset"), 3));
            EXPECT_EQ(Record(fresh)->stream, stream);
            EXPECT_NE(Record(fresh)->pageState & kPageJobBegun, 0u);
            EXPECT_EQ(Record(fresh)->counters.pages, 1u);
            // The first page start of the record that took the job over ends
            // its take-over.
            const_cast<PDevRecord*>(Record(fresh))->flags |= 0x800000;
            ASSERT_TRUE(driver.entries().startPage(&after));
            EXPECT_EQ(Record(fresh)->flags & (kPdevTookOverJob | 0x800000u), 0u);
            Fill(driver, &after);
            ASSERT_TRUE(driver.entries().sendPage(&after));
            EXPECT_TRUE(driver.entries().endDoc(&after, 0));
        },
        &listing);
    ASSERT_TRUE(read) << listing.error;
    const std::string commands = CommandTexts(listing);
    EXPECT_EQ(Count(commands, "EA value="), 1u) << commands;
    EXPECT_EQ(Count(commands, "\nFB\nED\n"), 2u) << commands;
}

// A page start while the page is open, or while one of the flags a former
// record may have carried is set, answers TRUE and changes nothing; a page
// start that runs clears 0x200000.
TEST(FrameReset, PageStartChangesNothingWhileAFlagHoldsIt)
{
    FrameDriver& driver = frame_test::SharedFrameDriver();
    ASSERT_TRUE(driver.ok());
    DHPDEV pdev = driver.Enable(driver.ExtendedDevmode(frame_test::A4At600()));
    ASSERT_TRUE(pdev);
    SURFOBJ surface = frame_test::SurfaceOf(pdev);
    auto* record = reinterpret_cast<PDevRecord*>(pdev);
    MorvaListing listing;
    PrintSpooled(
        driver,
        [&] {
            ASSERT_TRUE(driver.entries().startDoc(&surface, const_cast<wchar_t*>(L"flags"), 3));
            for (uint32_t flag : {0x400000u, 0x80000u, 0x10000u, 0x8000u}) {
                record->flags |= flag;
                EXPECT_TRUE(driver.entries().startPage(&surface)) << std::hex << flag;
                EXPECT_EQ(record->flags & (kPdevPageBeforeJob | kPdevPageOpen), flag & kPdevPageOpen)
                    << std::hex << flag;
                record->flags &= ~flag;
            }
            record->flags |= 0x200000;
            ASSERT_TRUE(driver.entries().startPage(&surface));
            EXPECT_EQ(record->flags & (kPdevPageBeforeJob | kPdevPageOpen | 0x200000u),
                      kPdevPageBeforeJob | kPdevPageOpen);
            Fill(driver, &surface);
            EXPECT_TRUE(driver.entries().sendPage(&surface));
            EXPECT_TRUE(driver.entries().endDoc(&surface, 0));
        },
        &listing);
    driver.entries().disablePdev(pdev);
}

// A reset after the first page: the new record goes on with the old record's
// output form unless the old page is still open in the recording, and the old
// form name is read within its field, also when it fills the field.
TEST(FrameReset, ResetAfterTheFirstPageCarriesTheOutputFormAndTheFormName)
{
    FrameDriver& driver = frame_test::SharedFrameDriver();
    ASSERT_TRUE(driver.ok());
    const std::vector<uint8_t> devmode = driver.ExtendedDevmode(frame_test::A4At600());
    for (const bool recordedPageOpen : {false, true}) {
        const ResetRecords records(driver, devmode);
        const DHPDEV old = records.old, fresh = records.fresh;
        ASSERT_TRUE(old && fresh);
        SURFOBJ before = frame_test::SurfaceOf(old);
        SURFOBJ after = frame_test::SurfaceOf(fresh);
        auto* o = reinterpret_cast<PDevRecord*>(old);
        auto* f = reinterpret_cast<PDevRecord*>(fresh);
        MorvaListing listing;
        PrintSpooled(
            driver,
            [&] {
                ASSERT_TRUE(driver.entries().startDoc(&before, const_cast<wchar_t*>(L"reset"), 3));
                ASSERT_TRUE(driver.entries().startPage(&before));
                Fill(driver, &before);
                ASSERT_TRUE(driver.entries().sendPage(&before));
                // A form name of the field's 32 characters, and no terminator
                // behind it: carried as its first 31 and a terminator.
                auto* name = reinterpret_cast<wchar_t*>(o->settings + offsetof(DEVMODEW, dmFormName));
                std::wmemset(name, L'F', 33);
                const FormRecord oldOutput = o->outputForm;
                const FormRecord freshOutput = f->outputForm;
                if (recordedPageOpen)
                    o->counters.recording |= kRecordingPageOpen;
                ASSERT_TRUE(driver.entries().resetPdev(old, fresh));
                f->counters.recording &= ~kRecordingPageOpen;
                EXPECT_EQ(f->outputForm.modelPaper, recordedPageOpen ? freshOutput.modelPaper : oldOutput.modelPaper);
                const auto* carried = reinterpret_cast<const wchar_t*>(f->settings + offsetof(DEVMODEW, dmFormName));
                EXPECT_EQ(std::wstring(carried, wcsnlen(carried, CCHFORMNAME)), std::wstring(CCHFORMNAME - 1, L'F'));
                EXPECT_TRUE(driver.entries().startDoc(&after, const_cast<wchar_t*>(L"reset"), 3));
                EXPECT_TRUE(driver.entries().endDoc(&after, 0));
            },
            &listing);
    }
}

// Data of escape 20545 (slot E) makes the job record its pages; without it
// the same job writes them as they come.
TEST(FrameReset, SlotEDataRecordsThePages)
{
    FrameDriver& driver = frame_test::SharedFrameDriver();
    ASSERT_TRUE(driver.ok());
    for (const bool slotE : {false, true}) {
        DHPDEV pdev = driver.Enable(driver.ExtendedDevmode(frame_test::A4At600()));
        ASSERT_TRUE(pdev);
        SURFOBJ surface = frame_test::SurfaceOf(pdev);
        MorvaListing listing;
        const bool read = PrintSpooled(
            driver,
            [&] {
                ASSERT_TRUE(driver.entries().startDoc(&surface, const_cast<wchar_t*>(L"slot E"), 3));
                const uint8_t data[4] = {1, 2, 3, 4};
                if (slotE)
                    ASSERT_EQ(Escape(driver, &surface, 20545, data, sizeof data), 1);
                ASSERT_TRUE(driver.entries().startPage(&surface));
                Fill(driver, &surface);
                EXPECT_EQ(Record(pdev)->jobOptions.recordPages != 0, slotE);
                EXPECT_TRUE(driver.entries().sendPage(&surface));
                EXPECT_TRUE(driver.entries().endDoc(&surface, 0));
            },
            &listing);
        driver.entries().disablePdev(pdev);
        ASSERT_TRUE(read) << listing.error;
        EXPECT_EQ(Count(CommandTexts(listing), "\nFB\nED\n"), 1u) << CommandTexts(listing);
    }
}

// What the escapes brought for one document is given back at its end: the
// next document on the same DC starts without any of it.
TEST(FrameReset, JobEndGivesBackTheEscapesData)
{
    FrameDriver& driver = frame_test::SharedFrameDriver();
    ASSERT_TRUE(driver.ok());
    DHPDEV pdev = driver.Enable(driver.ExtendedDevmode(frame_test::A4At600()));
    ASSERT_TRUE(pdev);
    SURFOBJ surface = frame_test::SurfaceOf(pdev);
    const PDevRecord* record = Record(pdev);
    MorvaListing listing;
    const bool read = PrintSpooled(
        driver,
        [&] {
            ASSERT_TRUE(driver.entries().startDoc(&surface, const_cast<wchar_t*>(L"first"), 3));
            const std::vector<uint8_t> annotation = AnnotationRecord(5);
            ASSERT_EQ(Escape(driver, &surface, kEscSetAnnotationData, annotation.data(), kAnnotationRecordSize), 1);
            const uint8_t data[4] = {1, 2, 3, 4};
            for (ULONG code : {20525u, 20527u, 20529u, 20530u, 20545u})
                ASSERT_EQ(Escape(driver, &surface, code, data, sizeof data), 1) << code;
            // A ready-made header of one slot.
            const std::string header = "\x1b%-12345X@PJL COMMENT FIRST\n";
            constexpr uint32_t kStride = 64;
            std::vector<uint8_t> block(16 + kStride + 4, 0);
            const uint32_t head[4] = {1, kStride, 16, 16 + kStride};
            const uint32_t length = uint32_t(header.size());
            std::memcpy(block.data(), head, sizeof head);
            std::memcpy(block.data() + 16, &length, 4);
            std::memcpy(block.data() + 20, header.data(), header.size());
            ASSERT_EQ(Escape(driver, &surface, 20517, block.data(), ULONG(block.size())), 1);
            ASSERT_TRUE(record->annotation && record->headerTable.block);
            ASSERT_TRUE(driver.entries().startPage(&surface));
            Fill(driver, &surface);
            ASSERT_TRUE(driver.entries().sendPage(&surface));
            EXPECT_TRUE(driver.entries().endDoc(&surface, 0));
        },
        &listing);
    ASSERT_TRUE(read) << listing.error;
    EXPECT_EQ(record->annotation, nullptr);
    EXPECT_EQ(record->headerTable.block, nullptr);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        EXPECT_EQ(record->slots[slot].data, nullptr) << slot;
        EXPECT_EQ(record->slots[slot].length, 0u) << slot;
    }
    // The next document: no annotation held, no ready-made header.
    MorvaListing next;
    const bool readNext = PrintSpooled(
        driver,
        [&] {
            ASSERT_TRUE(driver.entries().startDoc(&surface, const_cast<wchar_t*>(L"second"), 4));
            std::vector<uint8_t> out(kAnnotationRecordSize, 0xCC);
            EXPECT_EQ(Escape(driver, &surface, kEscGetAnnotationData, nullptr, 0, out.data(), ULONG(out.size())), -1);
            uint32_t selector = 0, length = 0xFFFF;
            EXPECT_EQ(Escape(driver, &surface, 20526, &selector, 2, &length, 4), 1);
            EXPECT_EQ(length, 0u) << "slot C of the first document";
            ASSERT_TRUE(driver.entries().startPage(&surface));
            Fill(driver, &surface);
            ASSERT_TRUE(driver.entries().sendPage(&surface));
            EXPECT_TRUE(driver.entries().endDoc(&surface, 0));
        },
        &next);
    driver.entries().disablePdev(pdev);
    ASSERT_TRUE(readNext) << next.error;
    ASSERT_FALSE(next.headerLines.empty());
    EXPECT_EQ(next.headerLines[0].find("COMMENT FIRST"), std::string::npos) << next.headerLines[0];
}

// A fax model's destination list: a count the list does not hold is refused
// whole; a list that was kept goes with the job at a reset and is given back
// at the job's end.
TEST(FrameReset, FaxListIsCheckedCarriedAndGivenBack)
{
    FrameDriver& driver = frame_test::FaxFrameDriver();
    ASSERT_TRUE(driver.ok()) << std::string(driver.error().begin(), driver.error().end());
    const std::vector<uint8_t> devmode = driver.ExtendedDevmode(frame_test::A4At600());
    const ResetRecords records(driver, devmode);
    const DHPDEV old = records.old, fresh = records.fresh;
    ASSERT_TRUE(old && fresh);
    ASSERT_NE(Record(old)->driverKind2, 0u);
    SURFOBJ before = frame_test::SurfaceOf(old);
    SURFOBJ after = frame_test::SurfaceOf(fresh);
    struct Case {
        uint16_t claimed;
        uint32_t held;
        LONG expected;
    } cases[] = {
        {65535, 2, -1}, {3, 2, -1}, {1, 0, -1}, {2, 2, 1}, {0, 0, 1}, {1, 2, 1},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> list = FaxList(c.claimed, c.held);
        EXPECT_EQ(Escape(driver, &before, 20516, list.data(), ULONG(list.size())), c.expected)
            << c.claimed << " claimed, " << c.held << " held";
    }
    const std::vector<uint8_t> shortList(kFaxSendListHeaderBytes - 1, 0);
    EXPECT_EQ(Escape(driver, &before, 20516, shortList.data(), ULONG(shortList.size())), -1);
    const std::vector<uint8_t> list = FaxList(2, 2);
    ASSERT_EQ(Escape(driver, &before, 20516, list.data(), ULONG(list.size())), 1);
    ASSERT_NE(Record(old)->faxSendList, nullptr);
    MorvaListing listing;
    PrintSpooled(
        driver,
        [&] {
            ASSERT_TRUE(driver.entries().startDoc(&before, const_cast<wchar_t*>(L"fax"), 3));
            ASSERT_TRUE(driver.entries().resetPdev(old, fresh));
            EXPECT_EQ(Record(old)->faxSendList, nullptr);
            ASSERT_NE(Record(fresh)->faxSendList, nullptr);
            EXPECT_EQ(Record(fresh)->faxSendListLength, list.size());
            EXPECT_EQ(0, std::memcmp(Record(fresh)->faxSendList, list.data(), list.size()));
            driver.entries().endDoc(&after, 0);
        },
        &listing);
    EXPECT_EQ(Record(fresh)->faxSendList, nullptr);
    EXPECT_EQ(Record(fresh)->faxSendListLength, 0u);
}

}  // namespace
