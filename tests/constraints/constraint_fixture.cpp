#include "tests/constraints/constraint_fixture.h"

#include "common/context/value_by_type.h"
#include "common/defaults/setting_defaults.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/system/module_files.h"

#include <windows.h>

ModelPrinter* ConstraintTest::colour_ = nullptr;

void ConstraintTest::SetUpTestSuite()
{
    // The resource file is taken while the program is still its own driver
    // library (its string table names morvares.dll beside it).
    LoadResourceModule();
    colour_ = new ModelPrinter(L"C4530.DDD", L"Morva Constraints C4530");
}

void ConstraintTest::TearDownTestSuite()
{
    delete colour_;
    colour_ = nullptr;
    ReleaseResourceModule();
}

void ConstraintTest::SetUp()
{
    ASSERT_TRUE(colour_->ok()) << std::string(colour_->error().begin(), colour_->error().end());
    context_ = OpenSettingsContext(colour_->handle());
    ASSERT_NE(context_, nullptr);
    ASSERT_EQ(FillDefaultSettings(context_, settings_.data(), printer_.data(), L"Constraints"), 1);
}

void ConstraintTest::TearDown()
{
    CloseSettingsContext(context_);
    context_ = nullptr;
}

void ConstraintTest::Set(uint16_t id, uint32_t value)
{
    ASSERT_EQ(WriteSettingNumber(id, settings_.data(), printer_.data(), value), 1) << "setting " << id;
}

void ConstraintTest::SetText(uint16_t id, const wchar_t* text)
{
    const uint32_t size = static_cast<uint32_t>((wcslen(text) + 1) * sizeof(wchar_t));
    ASSERT_EQ(SetFunctionIdValueArgs(settings_.data(), printer_.data(), id, kTypeString, size, text), 0);
}

uint32_t ConstraintTest::Get(uint16_t id)
{
    uint32_t value = 0;
    EXPECT_EQ(ReadSettingNumber(id, settings_.data(), printer_.data(), &value), 1) << "setting " << id;
    return value;
}

void ConstraintTest::SetUserPaper(uint16_t code, uint16_t width, uint16_t height)
{
    const uint16_t i = code - 262;
    Set(kFidUserPaperWidthFirst + i, width);
    Set(kFidUserPaperLengthFirst + i, height);
}

uint16_t ConstraintTest::TypeOf(uint16_t id)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    EXPECT_EQ(GetFunctionIdValue(id, settings_.data(), printer_.data(), &type, &size, &holder), 0);
    return type;
}

CheckOutcome ConstraintTest::Outcome(uint16_t status, const ConstraintResult* r, uint16_t* out)
{
    CheckOutcome o;
    o.status = status;
    o.code = r->code;
    o.bits = r->involvementBits;
    o.conflictRules.assign(r->conflictRules.items, r->conflictRules.items + r->conflictRules.count);
    o.transitionRules.assign(r->transitionRules.items, r->transitionRules.items + r->transitionRules.count);
    o.controlling.assign(r->controlling.items, r->controlling.items + r->controlling.count);
    o.outNull = out == nullptr;
    for (const uint16_t* p = out; p; ++p) {
        o.outIds.push_back(*p);
        if (*p == 0)
            break;
    }
    if (out)
        GlobalFree(out);
    return o;
}

CheckOutcome ConstraintTest::Check(uint16_t mode, uint16_t id, const uint32_t* value)
{
    ResultPtr result(AllocConstraintResult());
    const uint16_t type = id >= 36865 && id <= 36903 ? kTypeU16 : TypeOf(id);
    uint64_t holder = 0;
    if (value)
        CopyValueByType(&holder, *value, type);
    uint16_t* out = nullptr;
    const uint16_t status = CheckSettingConstraints(mode, colour_->handle(), context_, settings_.data(),
                                                    printer_.data(), nullptr, id, type, value ? &holder : nullptr,
                                                    result.get(), &out, 0);
    return Outcome(status, result.get(), out);
}
