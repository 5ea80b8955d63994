#include "tests/job/job_test_fixture.h"

#include "common/context/value_by_type.h"
#include "common/defaults/setting_defaults.h"
#include "common/model/model_data.h"
#include "common/records/record_defaults.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"

#include <cstring>
#include <cwchar>

ModelPrinter* JobTest::printer_ = nullptr;

namespace {

std::wstring StandInPath(const wchar_t* name)
{
    std::wstring path = L"Z:";
    for (const char* c = MORVA_JOB_STANDIN_DIR; *c != 0; ++c)
        path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return path + L"\\" + name;
}

}  // namespace

void JobTest::SetUpTestSuite()
{
    // The stamp font default of the records takes its name from the resource
    // file: one reference while the program is still its own driver library.
    LoadResourceModule();
    if (printer_ == nullptr)
        printer_ = new ModelPrinter(L"C4530.DDD", L"Morva Job Header C4530");
}

void JobTest::TearDownTestSuite()
{
    delete printer_;
    printer_ = nullptr;
    ReleaseResourceModule();
}

void JobTest::SetUp()
{
    ASSERT_TRUE(printer_->ok()) << std::string(printer_->error().begin(), printer_->error().end());
    context_.reset(OpenSettingsContext(printer_->handle()));
    ASSERT_TRUE(context_);
    settings_.assign(kSettingsRecordSize, 0);
    printerSettings_.assign(kPrinterSettingsRecordSize, 0);
    ASSERT_EQ(FillDefaultSettings(context_.get(), settings(), printerSettings(), L"DummyName"), 1);
    header_ = {};
    header_.settingsRecord = settings();
    header_.printerSettingsRecord = printerSettings();
    header_.hostNameLines = 1;
    header_.printer = printer_->handle();
    RemoveStandIn(L"C4530JI.DLL");
    RemoveStandIn(L"C4530HN.DLL");
}

void JobTest::TearDown()
{
    context_.reset();
    RemoveStandIn(L"C4530JI.DLL");
    RemoveStandIn(L"C4530HN.DLL");
}

void JobTest::SetNumber(uint16_t id, uint32_t value)
{
    ASSERT_EQ(WriteSettingNumber(id, settings(), printerSettings(), value), 1) << id;
}

void JobTest::SetText(uint16_t id, const wchar_t* text)
{
    const uint32_t bytes = static_cast<uint32_t>((std::wcslen(text) + 1) * sizeof(wchar_t));
    ASSERT_EQ(SetFunctionIdValueArgs(settings(), printerSettings(), id, kTypeString, bytes, text), 0) << id;
}

void JobTest::PatchRaw(uint16_t section, uint16_t size, uint16_t index, uint32_t value)
{
    PatchModelRaw(context_->main, section, size, index, value);
}

uint32_t JobTest::HeaderFlags() { return GetModelSectionNumber(context_->main, 26, 4, 0); }

std::string JobTest::Header(int* status, const void* instruction, uint32_t instructionLength)
{
    const int bound = GetJobHeaderSize(printer_->handle(), context_.get(), settings(), printerSettings(), instruction,
                                       instructionLength);
    EXPECT_GT(bound, 0);
    if (bound <= 0) {
        *status = bound;
        return std::string();
    }
    std::vector<uint8_t> buffer(static_cast<size_t>(bound) + 16, 0xEE);
    *status = WriteJobHeader(context_.get(), &header_, instruction, instructionLength, buffer.data(),
                             static_cast<uint32_t>(bound));
    for (size_t i = static_cast<size_t>(bound); i < buffer.size(); ++i)
        EXPECT_EQ(buffer[i], 0xEE) << "written past the capacity at " << i;
    if (*status < 0)
        return std::string();
    EXPECT_LE(*status, bound);
    return std::string(buffer.begin(), buffer.begin() + *status);
}

void JobTest::PutStandIn(const wchar_t* name)
{
    const std::wstring to = printer_->driverDirectory() + name;
    ASSERT_TRUE(CopyFileW(StandInPath(name).c_str(), to.c_str(), FALSE))
        << "cannot copy the stand-in " << std::string(to.begin(), to.end()) << ": " << GetLastError();
}

void JobTest::RemoveStandIn(const wchar_t* name) { DeleteFileW((printer_->driverDirectory() + name).c_str()); }
