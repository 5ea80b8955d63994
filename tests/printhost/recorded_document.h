// Prints pages on a recording printer and answers what the driver recorded,
// and compares records with the reviewed logs in tests/printhost/golden.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace printhost_test {

// Environment switches of the recording libraries, set for one scope.
struct Switch {
    const wchar_t* name;
    explicit Switch(const wchar_t* n) : name(n) { SetEnvironmentVariableW(name, L"1"); }
    ~Switch() { SetEnvironmentVariableW(name, nullptr); }
    Switch(const Switch&) = delete;
    Switch& operator=(const Switch&) = delete;
};

using DrawPage = std::function<void(HDC)>;

// The whole record of a document: every event and DDI call. Between pages,
// `between` (when given) runs on the DC (ResetDC and the like).
std::string RecordDocument(const std::vector<DrawPage>& pages, const std::function<void(HDC)>& between = nullptr);
// The record of whatever `use` does with a fresh DC of the recording printer
// (the DC is deleted afterwards), a printer DC or an information context.
enum class DcKind { kPrinter, kInformation };
std::string RecordWithDc(const std::function<void(HDC)>& use, DcKind kind = DcKind::kPrinter);
// The record of the recording interface library printing a page of its own
// (its RecordSamplePrint export) into `output`, the library loaded by the host
// as a program loads it; *answer is what the export answered.
std::string RecordLibrarySamplePrint(const std::wstring& output, int* answer);
// Only the drawing calls of the pages (the lines between DrvStartPage and DrvSendPage).
std::string DrawingCalls(const std::string& record);
// Compares with golden/<name>.log; PRINTHOST_UPDATE_GOLDEN=1 rewrites it instead.
::testing::AssertionResult MatchesGolden(const std::string& record, const char* name);

} // namespace printhost_test
