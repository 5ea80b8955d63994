// The job record of a DC and the texts it gathers, on the records themselves.
#include "common/context/value_by_type.h"
#include "common/job/ansi_text.h"
#include "common/settings/function_ids.h"
#include "common/system/user_prompt.h"
#include "ui/docevent/dc_job_record.h"
#include "ui/docevent/job_data.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <string>

namespace {

// A new document clears only what belongs to the document: the printer, the
// library's own reference, the settings context and the list link stay.
TEST(DcJobRecords, NewDocumentKeepsTheRecordsOwnFields)
{
    auto record = std::make_unique<DcJobRecord>();
    std::memset(record.get(), 0x5A, sizeof(DcJobRecord));
    const DcJobRecord before = *record;
    InitDcJobRecord(record.get());
    EXPECT_EQ(record->printer, before.printer);
    EXPECT_EQ(record->selfReference, before.selfReference);
    EXPECT_EQ(record->context, before.context);
    EXPECT_EQ(record->next, before.next);
    EXPECT_EQ(std::memcmp(record->settings, before.settings, sizeof(before.settings)), 0);
    EXPECT_EQ(record->jobStarted, 0u);
    EXPECT_EQ(record->confirmed, 0u);
    EXPECT_EQ(record->documentName[0], 0);
    EXPECT_EQ(record->faxData, nullptr);
    EXPECT_EQ(record->jobHeaders, nullptr);
    EXPECT_EQ(record->spData, nullptr);
    EXPECT_EQ(record->annotation.present, 0);
}

// Texts the device stores are cut on their ANSI form, whole double-byte
// characters only, and always terminated inside their field.
TEST(DcJobRecords, AnsiCutKeepsWholeCharactersAndTheTerminator)
{
    const bool doubleByte = GetACP() == 932;
    struct Case {
        std::wstring text;
        uint32_t limit;
        size_t room;
        size_t expected;  // units kept
    };
    const std::wstring ideographs(40, L'\x65E5');
    const Case cases[] = {
        {std::wstring(100, L'a'), 63, 64, 63},
        {std::wstring(63, L'a'), 63, 64, 63},
        {std::wstring(62, L'a'), 63, 64, 62},
        {std::wstring(100, L'b'), 31, 32, 31},
        {std::wstring(100, L'c'), 63, 10, 9},  // a field smaller than the limit
        {ideographs, 63, 64, doubleByte ? 31u : 40u},
        {ideographs, 31, 32, doubleByte ? 15u : 31u},
        {L"", 63, 64, 0},
    };
    for (const Case& c : cases) {
        std::wstring field(c.room + 4, L'#');
        ASSERT_EQ(WideCutToAnsiLimit(c.text.c_str(), c.limit, field.data(), c.room), 1);
        EXPECT_EQ(std::wcslen(field.c_str()), c.expected) << c.limit << " " << c.room;
        EXPECT_EQ(field[c.room], L'#');  // nothing written past the field
    }
    wchar_t field[4] = {L'#', L'#', L'#', L'#'};
    EXPECT_EQ(WideCutToAnsiLimit(nullptr, 63, field, 4), 0);
    EXPECT_EQ(field[0], 0);
}

// The annotation texts of the record's settings: each wanted text in its
// field, terminated; the placement codes of the wanted ones, 0xFFFF for the
// others.
TEST(DcJobRecords, AnnotationTexts)
{
    auto record = std::make_unique<DcJobRecord>();
    std::memset(record.get(), 0, sizeof(DcJobRecord));
    std::memset(&record->annotation, 0x41, sizeof(record->annotation));
    std::wcscpy(record->documentName, L"Quarterly report");
    for (uint16_t id : {kFidAnnotationUserName, kFidAnnotationOwner, kFidAnnotationDocument})
        ASSERT_TRUE(WriteSettingNumber(id, record->settings, record->printerSettings, 1)) << id;
    ASSERT_TRUE(WriteSettingNumber(kFidAnnotationPlacementFirst, record->settings, record->printerSettings, 3));
    CollectAnnotationTexts(record.get());
    const AnnotationRecord& a = record->annotation;
    EXPECT_EQ(a.present, 1);
    EXPECT_EQ(a.placement[0], 3);
    for (int i = 3; i < 6; ++i)
        EXPECT_EQ(a.placement[i], 0xFFFF) << i;
    EXPECT_LT(std::wcslen(a.userName), std::size(a.userName));
    EXPECT_GT(std::wcslen(a.userName), 0u);
    EXPECT_LT(std::wcslen(a.ownerText), std::size(a.ownerText));
    EXPECT_NE(std::wstring(a.ownerText).find(L'\\'), std::wstring::npos);
    EXPECT_EQ(std::wstring(a.documentName), L"Quarterly report");
    EXPECT_EQ(a.date[0], 0);
    EXPECT_EQ(a.time[0], 0);

    // Date and time fit the graphics library's 20- and 12-byte blocks.
    for (uint16_t id : {kFidAnnotationDate, kFidAnnotationTime})
        ASSERT_TRUE(WriteSettingNumber(id, record->settings, record->printerSettings, 1)) << id;
    CollectAnnotationTexts(record.get());
    EXPECT_EQ(std::wcslen(record->annotation.date), 8u);
    EXPECT_LT(std::wcslen(record->annotation.date), kAnnotationBlock1Bytes / 2);
    EXPECT_EQ(std::wcslen(record->annotation.time), 5u);
}

// A job in user-code mode whose code is shorter than the model's minimum asks
// once, through the prompt routine: OK prints without the code, Cancel stops.
struct PromptLog {
    int answer;
    int asked = 0;
    UINT style = 0;
};

int AnswerPrompt(const UserPrompt& prompt, void* context)
{
    auto* log = static_cast<PromptLog*>(context);
    ++log->asked;
    log->style = prompt.style;
    return log->answer;
}

TEST(DcJobRecords, UserCodeQuestion)
{
    constexpr uint16_t kFidUserCodeMinimum = 4366;
    struct Case {
        uint32_t jobType;
        uint32_t minimum;
        int answer;
        int passes;
        int asked;
        uint32_t jobTypeAfter;
    };
    const Case cases[] = {
        {1, 4, IDOK, 1, 1, 0},      // too short: OK prints without the code
        {1, 4, IDCANCEL, 0, 1, 1},  // Cancel stops the job
        {1, 0, IDCANCEL, 1, 0, 1},  // an empty code is long enough
        {2, 4, IDCANCEL, 1, 0, 2},  // other job types are not asked about
    };
    for (const Case& c : cases) {
        auto record = std::make_unique<DcJobRecord>();
        std::memset(record.get(), 0, sizeof(DcJobRecord));
        ASSERT_TRUE(WriteSettingNumber(kFidJobType, record->settings, record->printerSettings, c.jobType));
        ASSERT_TRUE(WriteSettingNumber(kFidUserCodeMinimum, record->settings, record->printerSettings, c.minimum));
        PromptLog log{c.answer};
        SetPromptAnswerer(&AnswerPrompt, &log);
        EXPECT_EQ(CheckJobTypeCode(record.get()), c.passes) << c.jobType << " " << c.minimum;
        SetPromptAnswerer(nullptr, nullptr);
        EXPECT_EQ(log.asked, c.asked);
        if (c.asked)
            EXPECT_EQ(log.style, UINT(MB_OKCANCEL | MB_ICONEXCLAMATION));
        EXPECT_EQ(SettingNumberOr(kFidJobType, record->settings, record->printerSettings, 99), c.jobTypeAfter);
    }
}

}  // namespace
