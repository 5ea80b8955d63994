// A whole check against a small model and against damaged copies of it: a
// record that cannot be read is an error of the check, never "no rules", so a
// damaged model cannot let through a change that the intact model refuses.
#include "common/constraints/constraint_engine.h"
#include "common/context/section_holder.h"
#include "common/context/settings_context.h"
#include "common/defaults/setting_defaults.h"
#include "common/devmode/default_validation.h"
#include "common/model/model_format.h"
#include "common/model/model_kinds.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "tests/support/model_printer.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr uint16_t kColourMode = 270;
constexpr uint16_t kColour = 0;  // the value the model's rule refuses on A4
constexpr uint32_t kUnreadable = 0xFFFFFF00;

std::wstring BinFolder()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

std::vector<uint8_t> ReadModel(const wchar_t* name)
{
    std::ifstream in(std::filesystem::path(BinFolder() + name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WriteModel(const wchar_t* name, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(std::filesystem::path(BinFolder() + name), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

uint32_t Le(const std::vector<uint8_t>& b, size_t at, int width)
{
    uint32_t v = 0;
    for (int i = width - 1; i >= 0; --i)
        v = (v << 8) | b.at(at + i);
    return v;
}

// Points the table entry of record `id` of `kind` (the first entry for id 0)
// past the end of the file: the record is listed but cannot be read.
bool MakeRecordUnreadable(std::vector<uint8_t>& bytes, uint16_t kind, uint16_t id)
{
    const size_t directory = kModelRawStart + Le(bytes, kModelRawLengthOffset, 4) + kModelDirectoryHeadSize;
    const size_t table = Le(bytes, directory + size_t(ModelKindPlace(kind)) * kModelDirectoryEntrySize + 3, 4);
    const uint32_t count = Le(bytes, table + 4, 2);
    for (uint32_t i = 0; i < count; ++i) {
        const size_t entry = table + kModelTableHeadSize + i * kModelTableEntrySize;
        if (id != 0 && Le(bytes, entry + 1, 2) != id)
            continue;
        for (int k = 0; k < 4; ++k)
            bytes.at(entry + 3 + k) = static_cast<uint8_t>(kUnreadable >> (8 * k));
        return true;
    }
    return false;
}

struct ResultCloser {
    void operator()(ConstraintResult* r) const { FreeConstraintResult(r); }
};

struct Printer {
    std::unique_ptr<ModelPrinter> printer;
    SettingsContext* context = nullptr;
    std::array<uint8_t, kSettingsRecordSize> settings{};
    std::array<uint8_t, kPrinterSettingsRecordSize> printerSettings{};

    void Open(const wchar_t* file, const wchar_t* name)
    {
        printer = std::make_unique<ModelPrinter>(file, name);
        ASSERT_TRUE(printer->ok()) << std::string(printer->error().begin(), printer->error().end());
        context = OpenSettingsContext(printer->handle());
        ASSERT_NE(context, nullptr);
        ASSERT_EQ(FillDefaultSettings(context, settings.data(), printerSettings.data(), L"Damaged"), 1);
    }
    void Close()
    {
        if (context)
            CloseSettingsContext(context);
        context = nullptr;
        printer.reset();
    }
    // The status of a check of `id` with `value` (null: its current value);
    // *code gets the result's code.
    uint16_t Check(uint16_t id, const uint32_t* value, uint16_t* code, uint16_t priorCode = 0)
    {
        std::unique_ptr<ConstraintResult, ResultCloser> result(AllocConstraintResult());
        result->code = priorCode;
        uint16_t type = 0;
        uint32_t size = 0;
        uint64_t holder = 0;
        EXPECT_EQ(GetFunctionIdValue(id, settings.data(), printerSettings.data(), &type, &size, &holder), 0) << id;
        if (value)
            holder = *value;
        const uint16_t status =
            CheckSettingConstraints(kModeInteractive, printer->handle(), context, settings.data(),
                                    printerSettings.data(), nullptr, id, type, value ? &holder : nullptr,
                                    result.get(), nullptr, 0);
        *code = result->code;
        return status;
    }
    int Validate(uint16_t** conflicts)
    {
        return ValidateDefaultSettings(printer->handle(), context, settings.data(), printerSettings.data(),
                                       conflicts);
    }
};

class DamagedModelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        LoadResourceModule();
        intact_.Open(L"R100.DDD", L"Morva Rules R100");
        if (!intact_.context)
            return;
        // The option "Black and White", read first when a value is looked up.
        SectionHolder feature;
        uint16_t kind = 0;
        ASSERT_EQ(LoadItemFeature(true, intact_.context->main, intact_.context->linked, kColourMode, nullptr, &kind,
                                  feature.out(), nullptr),
                  kModelOk);
        ASSERT_NE(AsFeature(feature.section), nullptr);
        const uint16_t firstOption = AsFeature(feature.section)->options.at(0);

        std::vector<uint8_t> option = ReadModel(L"R100.DDD");
        ASSERT_TRUE(MakeRecordUnreadable(option, kKindOptionOther, firstOption));
        ASSERT_TRUE(WriteModel(L"R100OPT.DDD", option));
        std::vector<uint8_t> rule = ReadModel(L"R100.DDD");
        ASSERT_TRUE(MakeRecordUnreadable(rule, kKindConflictRule, 0));
        ASSERT_TRUE(WriteModel(L"R100RULE.DDD", rule));
        badOption_.Open(L"R100OPT.DDD", L"Morva Rules R100 Bad Option");
        badRule_.Open(L"R100RULE.DDD", L"Morva Rules R100 Bad Rule");
    }
    static void TearDownTestSuite()
    {
        // Each printer gives back the driver module it found: the last made goes first.
        badRule_.Close();
        badOption_.Close();
        intact_.Close();
        ReleaseResourceModule();
    }
    void SetUp() override
    {
        for (const Printer* p : {&intact_, &badOption_, &badRule_})
            ASSERT_NE(p->context, nullptr);
    }

    static Printer intact_, badOption_, badRule_;
};

Printer DamagedModelTest::intact_;
Printer DamagedModelTest::badOption_;
Printer DamagedModelTest::badRule_;

using DefaultValidationOfDamagedModel = DamagedModelTest;

TEST_F(DamagedModelTest, UnreadableRecordsFailTheCheckThatTheIntactModelRefuses)
{
    const uint32_t colour = kColour;
    uint16_t code = 0xFFFF;
    ASSERT_EQ(intact_.Check(kColourMode, &colour, &code), 0);
    EXPECT_EQ(code, kConstraintError);

    struct Case {
        Printer* printer;
        const char* what;
    } cases[] = {{&badOption_, "option record cannot be read"}, {&badRule_, "rule cannot be loaded"}};
    for (const Case& c : cases) {
        code = 0xFFFF;
        EXPECT_EQ(c.printer->Check(kColourMode, &colour, &code), 1) << c.what;
    }
}

TEST_F(DamagedModelTest, SettingWithoutFeatureRecordLeavesTheResultAsItWas)
{
    // The model has no record of duplex printing: no rules, and the result
    // keeps what the caller had in it.
    const uint32_t longEdge = 2;
    for (Printer* p : {&intact_, &badOption_}) {
        uint16_t code = 0;
        EXPECT_EQ(p->Check(kFidDuplex, &longEdge, &code, kConstraintWarning), 0);
        EXPECT_EQ(code, kConstraintWarning);
    }
}

TEST_F(DefaultValidationOfDamagedModel, ValidationFailsWhenARecordCannotBeRead)
{
    // The intact model's defaults conflict (colour on A4); a damaged copy must not
    // pass them as valid.
    uint16_t* conflicts = nullptr;
    ASSERT_EQ(intact_.Validate(&conflicts), kDefaultsConflict);
    ASSERT_NE(conflicts, nullptr);
    EXPECT_EQ(conflicts[0], kColourMode);
    GlobalFree(conflicts);
    for (Printer* p : {&badOption_, &badRule_}) {
        conflicts = reinterpret_cast<uint16_t*>(1);
        EXPECT_EQ(p->Validate(&conflicts), kDefaultsCheckFailed);
        EXPECT_EQ(conflicts, nullptr);
    }
}

}  // namespace
