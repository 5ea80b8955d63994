#include "tests/defaults/defaults_fixture.h"

#include "common/context/value_by_type.h"
#include "common/settings/value_operations.h"
#include "common/system/module_files.h"

#include <string>

ModelPrinter* DefaultsTest::colour_ = nullptr;
ModelPrinter* DefaultsTest::mono_ = nullptr;
ModelPrinter* DefaultsTest::faulty_ = nullptr;

void DefaultsTest::SetUpTestSuite()
{
    // The resource file is taken once, while the program is still its own
    // driver library (its string table names morvares.dll in its folder): the
    // printers' fixture makes morvares itself the driver module, and that
    // holds no such name.
    LoadResourceModule();
    colour_ = new ModelPrinter(L"C4530.DDD", L"Morva Defaults C4530");
    mono_ = new ModelPrinter(L"M2200.DDD", L"Morva Defaults M2200");
    faulty_ = new ModelPrinter(L"F100.DDD", L"Morva Defaults F100");
}

void DefaultsTest::TearDownTestSuite()
{
    // Each printer gives back the driver module it found: the last made goes first.
    delete faulty_;
    delete mono_;
    delete colour_;
    colour_ = mono_ = faulty_ = nullptr;
    ReleaseResourceModule();
}

void DefaultsTest::SetUp()
{
    for (const ModelPrinter* printer : {colour_, mono_, faulty_})
        ASSERT_TRUE(printer->ok()) << std::string(printer->error().begin(), printer->error().end());
    colour_->RemoveSiteConfiguration();
}

void DefaultsTest::TearDown()
{
    colour_->RemoveSiteConfiguration();
}

ContextPtr DefaultsTest::OpenColour()
{
    return ContextPtr(OpenSettingsContext(colour_->handle()));
}

ContextPtr DefaultsTest::OpenMono()
{
    return ContextPtr(OpenSettingsContext(mono_->handle()));
}

ContextPtr DefaultsTest::OpenFaulty()
{
    return ContextPtr(OpenSettingsContext(faulty_->handle()));
}

uint32_t ReadNumber(uint16_t id, void* settingsRecord, void* printerSettingsRecord)
{
    uint32_t value = 0;
    return ReadSettingNumber(id, settingsRecord, printerSettingsRecord, &value) ? value : 0xDEADBEEF;
}

std::wstring ReadText(uint16_t id, void* settingsRecord, void* printerSettingsRecord)
{
    const uint64_t word = GetFunctionIdValuePointer(settingsRecord, printerSettingsRecord, id, kTypeString);
    if (word == 0)
        return L"<unreadable>";
    return reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(word));
}
