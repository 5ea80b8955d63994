#include "common/defaults/item_groups.h"
#include "common/defaults/setting_defaults.h"
#include "common/settings/value_operations.h"
#include "common/system/locale_region.h"
#include "tests/defaults/defaults_fixture.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace {

struct Expected {
    uint16_t id;
    uint32_t value;
    const char* source;  // where the value comes from
};

// What c4530.mds says (default options marked with *), and the values that the
// handlers give. The paper settings follow the user's country (below).
const Expected kColourDefaults[] = {
    {2, 1025, "handler: dmSpecVersion"},
    {3, 21072, "handler: dmDriverVersion"},
    {4, 220, "handler: dmSize"},
    {5, 1384, "handler: dmDriverExtra"},
    {6, 0x1FF13, "handler: fields of the platform"},
    {7, 1, "feature 7: Portrait"},
    {11, 100, "feature 11: 100%"},
    {12, 1, "handler: dmCopies"},
    {13, 7, "feature 13: Auto Select"},
    {14, 39322200, "feature 14: 600 dpi"},
    {15, 2, "handler: colour from 270 = 0 and 345 = 0"},
    {16, 1, "feature 16: Off"},
    {17, 2, "feature 17: Download as Soft Font"},
    {18, 1, "feature 18: On"},
    {22, 1, "handler: dmICMMethod"},
    {23, 2, "feature 23: Contrast"},
    {24, 1, "feature 24: Plain"},
    {25, 1, "feature 25: None"},
    {257, 21072, "handler: private version"},
    {258, 8705, "handler: common version"},
    {262, 267, "feature 262: Same as Original Size"},
    {264, 0, "no feature: zeros"},
    {265, 258, "feature 265: Printer Default"},
    {266, 1, "feature 266: Centre Tray"},
    {267, 1, "feature 267: Left"},
    {270, 0, "feature 270: Auto Colour"},
    {274, 0, "feature 274"},
    {277, 0, "feature 274 (shared)"},
    {283, 0, "feature 282 (shared)"},
    {295, 1, "feature 295: 1"},
    {320, 0, "feature 320: None"},
    {333, 1, "feature 333: Tray 1"},
    {334, 0, "feature 334: Normal Print"},
    {345, 0, "feature 345: Auto"},
    {389, 1, "feature 389: Tray 1"},
    {446, 0, "feature 446: Off"},
    {458, 2, "feature 458: Fine"},
    {1333, 1, "feature 1333: On"},
    {1356, 0, "feature 1356: Off"},
    {1793, 21072, "handler: private part version"},
    {1800, 0, "feature 1800: Standard"},
    {1804, 1, "feature 1804, English user interface"},
    {4097, 1, "feature 4097: Installed"},
    {4101, 0, "feature 4101: Not Installed"},
    {4103, 1, "feature 4103: Installed"},
    {4129, 1, "feature 4129: Installed"},
    {4142, 1, "feature 4142: Installed"},
    {4359, 3, "feature 4359: 3"},
    {4365, 1, "feature 4365: 1"},
    {4366, 4, "feature 4366: 4"},
    {5889, 2100, "handler: width of paper 262"},
    {5893, 2100, "handler: width of paper 266"},
    {5894, 0, "no paper 287: zeros"},
    {5909, 2970, "handler: length of paper 262"},
    {439, 0, "feature 439: Off"},
    {463, 0, "feature 463: From the Model"},
    {1321, 0, "feature 1321: Off"},
    {5134, 1, "feature 5134: On"},
    {5200, 1, "feature 5200: On"},
    {8202, 7964, "fixed row: printer settings size"},
    {8203, 8705, "handler: printer common version"},
    {8204, 21072, "handler: printer private version"},
    {8205, 0x01010702, "feature 8205: Current"},
};

// The model follows the user's country for its paper defaults (a rule of the
// model data reader): Letter where letter paper is used, else A4 as the source says.
struct PaperDefaults {
    uint32_t paper, length, width, series, faxPaper;
    const wchar_t* form;
};
constexpr PaperDefaults kLetterRegion = {1, 2794, 2159, 3, 1, L"Letter"};
constexpr PaperDefaults kA4Region = {9, 2970, 2100, 1, 9, L"A4"};

const wchar_t kDeviceName[] = L"Morva Defaults C4530";

struct ExpectedText {
    uint16_t id;
    const wchar_t* text;
};

const ExpectedText kColourTexts[] = {
    {1, kDeviceName},
    {259, L"MORVA C4530 MFP"},
    {298, L""},
    {305, L""},
    {358, L"Arial"},             // face of the default stamp font
    {5929, L"User Paper 1"},
    {5948, L"User Paper 20"},
};

TEST_F(DefaultsTest, ColourModelFilledFieldByField)
{
    ContextPtr context = OpenColour();
    ASSERT_TRUE(context);
    SettingsBuffer settings;
    PrinterBuffer printer;
    ASSERT_EQ(FillDefaultSettings(context.get(), settings.data(), printer.data(), kDeviceName), 1);
    for (const Expected& e : kColourDefaults)
        EXPECT_EQ(ReadNumber(e.id, settings.data(), printer.data()), e.value) << e.id << " (" << e.source << ")";
    for (const ExpectedText& e : kColourTexts)
        EXPECT_EQ(ReadText(e.id, settings.data(), printer.data()), e.text) << e.id;

    const PaperDefaults& paper = GetLocalePaperRegion(1) == 1 ? kLetterRegion : kA4Region;
    const Expected paperDefaults[] = {
        {8, paper.paper, "feature 8"},
        {9, paper.length, "handler: length of the default paper"},
        {10, paper.width, "handler: width of the default paper"},
        {327, paper.series, "feature 327"},
        {1824, paper.faxPaper, "feature 1824"},
    };
    for (const Expected& e : paperDefaults)
        EXPECT_EQ(ReadNumber(e.id, settings.data(), printer.data()), e.value) << e.id << " (" << e.source << ")";
    EXPECT_EQ(ReadText(19, settings.data(), printer.data()), paper.form);  // a resource string of the model for both

    LOGFONTW font;
    std::memcpy(&font, settings.data() + 816, sizeof font);  // setting 357
    EXPECT_EQ(font.lfHeight, -96);
    EXPECT_EQ(font.lfWeight, 400);
    EXPECT_EQ(font.lfCharSet, 1);
    EXPECT_EQ(font.lfQuality, 2);
    EXPECT_EQ(std::wstring(font.lfFaceName), L"Arial");
}

TEST_F(DefaultsTest, MonochromeModelOfOlderFormatFills)
{
    ContextPtr context = OpenMono();
    ASSERT_TRUE(context);
    SettingsBuffer settings;
    PrinterBuffer printer;
    ASSERT_EQ(FillDefaultSettings(context.get(), settings.data(), printer.data(), L"Mono"), 1);
    EXPECT_EQ(ReadNumber(12, settings.data(), printer.data()), 1u);
    EXPECT_EQ(ReadText(259, settings.data(), printer.data()), L"MORVA M2200");
    EXPECT_EQ(ReadNumber(8202, settings.data(), printer.data()), 7964u);
}

// Bytes of a record that a fill must leave alone.
constexpr uint8_t kUntouched = 0xA5;

bool AllBytesAre(const uint8_t* bytes, size_t size, uint8_t value)
{
    for (size_t i = 0; i < size; ++i)
        if (bytes[i] != value)
            return false;
    return true;
}

TEST_F(DefaultsTest, FillingOneRecordLeavesTheOtherUntouched)
{
    ContextPtr context = OpenColour();
    ASSERT_TRUE(context);
    SettingsBuffer settings;
    PrinterBuffer printer;

    printer.fill(kUntouched);
    ASSERT_EQ(FillDefaultSettings(context.get(), settings.data(), nullptr, kDeviceName), 1);
    EXPECT_TRUE(AllBytesAre(printer.data(), printer.size(), kUntouched));
    EXPECT_EQ(ReadNumber(2, settings.data(), nullptr), 1025u);

    settings.fill(kUntouched);
    ASSERT_EQ(FillDefaultSettings(context.get(), nullptr, printer.data(), kDeviceName), 1);
    EXPECT_TRUE(AllBytesAre(settings.data(), settings.size(), kUntouched));
    EXPECT_EQ(ReadNumber(8202, nullptr, printer.data()), 7964u);
    EXPECT_EQ(ReadNumber(8203, nullptr, printer.data()), 8705u);
    EXPECT_EQ(ReadNumber(8204, nullptr, printer.data()), 21072u);
}

TEST_F(DefaultsTest, DeviceNameIsCutTo31Characters)
{
    ContextPtr context = OpenColour();
    ASSERT_TRUE(context);
    SettingsBuffer settings;
    const std::wstring forty(40, L'N');
    ASSERT_EQ(FillDefaultSettings(context.get(), settings.data(), nullptr, forty.c_str()), 1);
    EXPECT_EQ(ReadText(1, settings.data(), nullptr), std::wstring(31, L'N'));
    // The 64-byte field holds the terminator right after the 31 characters.
    EXPECT_EQ(settings[62], 0);
    EXPECT_EQ(settings[63], 0);
}

// A fix: the answer of the fill was the status of the last item handled, so a
// group that failed early was reported as success when a later group went well.
TEST_F(DefaultsTest, FailedGroupIsReportedAndLaterGroupsStillFilled)
{
    ContextPtr context = OpenFaulty();
    ASSERT_TRUE(context);
    SettingsBuffer settings;
    PrinterBuffer printer;
    EXPECT_EQ(FillDefaultSettings(context.get(), settings.data(), printer.data(), L"Faulty"), 0);
    EXPECT_EQ(ReadNumber(2, settings.data(), printer.data()), 1025u);  // before 7 in its group
    EXPECT_EQ(ReadNumber(7, settings.data(), printer.data()), 0u);     // could not be stored
    EXPECT_EQ(ReadNumber(12, settings.data(), printer.data()), 0u);    // the group ended at 7
    EXPECT_EQ(ReadNumber(270, settings.data(), printer.data()), 1u);   // a later group
    EXPECT_EQ(ReadNumber(4103, settings.data(), printer.data()), 1u);  // an earlier group
    EXPECT_EQ(ReadNumber(8202, settings.data(), printer.data()), 7964u);
}

TEST_F(DefaultsTest, SiteConfigurationDefaultWinsOverTheModel)
{
    ASSERT_TRUE(colour_->WriteSiteConfiguration("[default]\nstaple.default=9\n"));
    ContextPtr context = OpenColour();
    ASSERT_TRUE(context);
    SettingsBuffer settings;
    ASSERT_EQ(FillDefaultSettings(context.get(), settings.data(), nullptr, kDeviceName), 1);
    EXPECT_EQ(ReadNumber(320, settings.data(), nullptr), 10u);  // configured 9 is stored as 10

    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    ASSERT_EQ(GetFunctionIdDefault(context.get(), 320, &type, &size, &holder), kFunctionIdDefaultOk);
    EXPECT_EQ(type, kTypeU16);
    EXPECT_EQ(holder, 10u);
}

TEST_F(DefaultsTest, FunctionIdDefaultAnswers)
{
    ContextPtr context = OpenColour();
    ASSERT_TRUE(context);
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    EXPECT_EQ(GetFunctionIdDefault(context.get(), 20, &type, &size, &holder), kFunctionIdDefaultFailed);
    EXPECT_EQ(GetFunctionIdDefault(context.get(), 264, &type, &size, &holder), kFunctionIdDefaultAbsent);
    ASSERT_EQ(GetFunctionIdDefault(context.get(), 259, &type, &size, &holder), kFunctionIdDefaultOk);
    EXPECT_EQ(type, kTypeString);
    EXPECT_EQ(size, sizeof(L"MORVA C4530 MFP"));
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(holder))), L"MORVA C4530 MFP");
    FreeFunctionIdDefault(259, holder, type);
}

TEST_F(DefaultsTest, ResetPutsTheDefaultBack)
{
    ContextPtr context = OpenColour();
    ASSERT_TRUE(context);
    SettingsBuffer settings;
    PrinterBuffer printer;
    ASSERT_EQ(FillDefaultSettings(context.get(), settings.data(), printer.data(), kDeviceName), 1);
    ASSERT_EQ(SetFunctionIdValueArgs(settings.data(), printer.data(), 295, kTypeU16, 2, 4), 0);
    ASSERT_EQ(ResetFunctionIdToDefault(context.get(), 295, settings.data(), printer.data()), 1);
    EXPECT_EQ(ReadNumber(295, settings.data(), printer.data()), 1u);
    EXPECT_EQ(ResetFunctionIdToDefault(context.get(), 20, settings.data(), printer.data()), 0);
}

struct CheckCase {
    uint16_t id;
    uint16_t type;
    uint32_t value;
    int check;   // operation 2
    int accept;  // operation 16
};

// The model allows 999 copies.
const CheckCase kChecks[] = {
    {12, kTypeS16, 0, 0, 0},
    {12, kTypeS16, 1, 1, 1},
    {12, kTypeS16, 999, 1, 1},
    {12, kTypeS16, 1000, 0, 1},
    {4, kTypeU16, 220, 1, 1},
    {4, kTypeU16, 212, 1, 1},
    {4, kTypeU16, 216, 0, 0},
    {4, kTypeU16, 1604, 1, 1},
    {5, kTypeU16, 5704, 1, 1},
    {5, kTypeU16, 5703, 0, 0},
    {2, kTypeU16, 1024, 0, 0},
    {7, kTypeS16, 2, 1, 1},
    {7, kTypeS16, 3, 0, 0},
    {16, kTypeS16, 3, 1, 1},     // check by the model's options, accept by the handler
    {16, kTypeS16, 4, 0, 0},
    {18, kTypeS16, 2, 0, 0},
    {13, kTypeS16, 264, 1, 1},
    {13, kTypeS16, 5, 0, 1},     // not a tray of the model, but a source an application may name
    {24, kTypeU32, 999, 0, 1},   // media types of applications are taken over
    {8, kTypeS16, 9, 1, 1},
    {8, kTypeS16, 10, 0, 0},
    {11, kTypeS16, 0, 0, 0},
};

TEST_F(DefaultsTest, CheckAndAcceptOfValues)
{
    ContextPtr context = OpenColour();
    ASSERT_TRUE(context);
    SettingsBuffer settings;
    PrinterBuffer printer;
    ASSERT_EQ(FillDefaultSettings(context.get(), settings.data(), printer.data(), kDeviceName), 1);
    for (const CheckCase& c : kChecks) {
        SettingsBuffer copy = settings;
        ASSERT_EQ(SetFunctionIdValueArgs(copy.data(), printer.data(), c.id, c.type, c.type == kTypeU32 ? 4 : 2,
                                         c.value),
                  0)
            << c.id;
        EXPECT_EQ(RunFunctionIdHandler(context.get(), c.id, copy.data(), printer.data(), kItemOpCheck), c.check)
            << c.id << " = " << c.value;
        EXPECT_EQ(RunFunctionIdHandler(context.get(), c.id, copy.data(), printer.data(), kItemOpAccept), c.accept)
            << c.id << " = " << c.value;
    }
    // The model name must be this model's.
    EXPECT_EQ(RunFunctionIdHandler(context.get(), 259, settings.data(), printer.data(), kItemOpCheck), 1);
    ASSERT_EQ(SetFunctionIdValueArgs(settings.data(), printer.data(), 259, kTypeString, 12, L"Other"), 0);
    EXPECT_EQ(RunFunctionIdHandler(context.get(), 259, settings.data(), printer.data(), kItemOpCheck), 0);
    EXPECT_EQ(RunFunctionIdHandler(context.get(), 20, settings.data(), printer.data(), kItemOpCheck), 0);
}

}  // namespace

namespace {

// With the DEVMODE field overrides of the site configuration on and forms as the
// paper list (printer setting 5201), any paper source and collation is taken.
TEST_F(DefaultsTest, FieldOverridesLetSourceAndCollateThrough)
{
    ASSERT_TRUE(colour_->WriteSiteConfiguration("[DME,1]\nformdb.mode=1\n"));
    ContextPtr context = OpenColour();
    ASSERT_TRUE(context);
    SettingsBuffer settings;
    PrinterBuffer printer;
    ASSERT_EQ(FillDefaultSettings(context.get(), settings.data(), printer.data(), kDeviceName), 1);
    ASSERT_EQ(SetFunctionIdValueArgs(settings.data(), printer.data(), 13, kTypeS16, 2, 5), 0);
    ASSERT_EQ(SetFunctionIdValueArgs(settings.data(), printer.data(), 18, kTypeS16, 2, 2), 0);
    struct {
        uint32_t customPaper;
        int verdict;
    } const cases[] = {{0, 0}, {1, 1}};
    for (const auto& c : cases) {
        ASSERT_EQ(SetFunctionIdValueArgs(settings.data(), printer.data(), 5201, kTypeU32, 4, c.customPaper), 0);
        EXPECT_EQ(RunFunctionIdHandler(context.get(), 13, settings.data(), printer.data(), kItemOpCheck), c.verdict)
            << c.customPaper;
        EXPECT_EQ(RunFunctionIdHandler(context.get(), 18, settings.data(), printer.data(), kItemOpCheck), c.verdict)
            << c.customPaper;
    }
}

}  // namespace
