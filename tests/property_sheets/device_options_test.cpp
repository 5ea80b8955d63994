// The device options page on the device sheet of the colour reference printer,
// in real windows: the paper source rows and their combos, the follow-up
// rules of the installable options, leaving without a fax line, the own-size
// paper, the user paper type names, the ellipsis of over-long row texts, and
// the printer query from the page with the device-access stand-in. Pictures
// of the page go to build/screens.
#include "common/context/value_by_type.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "tests/property_sheets/sheet_driver.h"
#include "tests/support/import_patch.h"
#include "tests/support/message_box_script.h"
#include "tests/support/model_printer.h"
#include "tests/support/window_capture.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/dialog_tables.h"
#include "ui/pages/device_options_page.h"
#include "ui/sheets/sheet_callback.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <prsht.h>
#include <winspool.h>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kDevicePage = 1;

std::wstring ResourceString(UINT id)
{
    wchar_t text[512] = {};
    LoadStringW(GetResourceModule(), id, text, 512);
    return text;
}

// Message boxes pictured and answered: each box is captured once it is up,
// then given the next scripted button.
struct PicturedBoxes {
    std::vector<std::string> names;   // picture names in turn
    std::vector<int> buttons;
    std::vector<std::wstring> texts;
    size_t next = 0;
    HHOOK hook = nullptr;
};
thread_local PicturedBoxes* g_boxes = nullptr;

void CALLBACK AnswerBox(HWND box, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(box, timer);
    PicturedBoxes* p = g_boxes;
    if (!p)
        return;
    wchar_t text[1024] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 1024);
    p->texts.emplace_back(text);
    const size_t i = p->next++;
    if (i < p->names.size())
        CaptureWindowPng(box, p->names[i]);
    const int button = i < p->buttons.size() ? p->buttons[i] : IDCANCEL;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
}

LRESULT CALLBACK BoxHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && g_boxes) {
        HWND window = reinterpret_cast<HWND>(wParam);
        wchar_t cls[16] = {};
        GetClassNameW(window, cls, 16);
        if (std::wstring(cls) == L"#32770" && GetDlgItem(window, 0xFFFF))
            SetTimer(window, 77, 300, AnswerBox);
    }
    return CallNextHookEx(g_boxes ? g_boxes->hook : nullptr, code, wParam, lParam);
}

class BoxPictures {
public:
    BoxPictures(std::vector<std::string> names, std::vector<int> buttons)
    {
        boxes_.names = std::move(names);
        boxes_.buttons = std::move(buttons);
        g_boxes = &boxes_;
        boxes_.hook = SetWindowsHookExW(WH_CBT, BoxHook, nullptr, GetCurrentThreadId());
    }
    ~BoxPictures()
    {
        UnhookWindowsHookEx(boxes_.hook);
        g_boxes = nullptr;
    }
    const std::vector<std::wstring>& texts() const { return boxes_.texts; }

private:
    PicturedBoxes boxes_;
};

class DeviceOptionsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES | ICC_TAB_CLASSES};
        InitCommonControlsEx(&controls);
        printer_s = OpenSuitePrinter(L"C4530.DDD", L"Morva Device Options");
    }
    static void TearDownTestSuite() { CloseSuitePrinter(printer_s); }
    void SetUp() override { ASSERT_TRUE(printer_s && printer_s->ok()) << (printer_s ? printer_s->error() : L""); }

    // Runs the device sheet: `before` on the page's records once it is up,
    // then `steps` on the device options page, then Cancel (or OK).
    void RunDevicePage(const std::function<void(HWND page)>& steps, bool ok = false,
                       const std::function<void(HWND page)>& before = nullptr)
    {
        std::wstring name = printer_s->name();
        DEVICEPROPERTYHEADER header{};
        header.cbSize = sizeof header;
        header.hPrinter = printer_s->handle();
        header.pszPrinterName = name.data();
        DWORD result = 0;
        std::vector<SheetStep> script;
        script.push_back([&](HWND sheet) {
            if (before) {
                PropSheet_SetCurSel(sheet, nullptr, 0);
                page_ = PropSheet_GetCurrentPageHwnd(sheet);
                before(page_);
            }
            PropSheet_SetCurSel(sheet, nullptr, kDevicePage);
            page_ = PropSheet_GetCurrentPageHwnd(sheet);
            sheet_ = sheet;
            steps(page_);
        });
        script.push_back(ok ? PressOk() : PressCancel());
        SheetDriver driver("", script);
        CallCommonPropertySheetUI(nullptr, DeviceSheetCallback, reinterpret_cast<LPARAM>(&header), &result);
        ASSERT_TRUE(driver.visit().found);
    }

    static DialogContext* Context(HWND page) { return GetDialogContext(page); }
    static void* Settings(HWND page) { return Context(page)->current->settings; }
    static void* PrinterSettings(HWND page) { return Context(page)->current->printerSettings; }
    static uint32_t Value(HWND page, uint16_t id)
    {
        return SettingNumberOr(id, Settings(page), PrinterSettings(page), 0xFFFFFFFF);
    }
    static void SetValue(HWND page, uint16_t id, uint32_t value)
    {
        ASSERT_TRUE(WriteSettingNumber(id, Settings(page), PrinterSettings(page), value)) << id;
    }
    static std::wstring Text(HWND page, uint16_t id)
    {
        const auto* text = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(
            GetFunctionIdValuePointer(Settings(page), PrinterSettings(page), id, kTypeString)));
        return text ? text : L"<none>";
    }
    static void SetText(HWND page, uint16_t id, const wchar_t* text)
    {
        ASSERT_EQ(SetFunctionIdValueArgs(Settings(page), PrinterSettings(page), id, kTypeString,
                                         static_cast<uint32_t>((wcslen(text) + 1) * 2), text),
                  0)
            << id;
    }
    static uint16_t SelectedSetting(HWND page, int32_t control)
    {
        const ItemRecord* item = FindItemRecord(page, kDeviceOptionsCode, control);
        return item ? GetSelectedSettingId(page, item) : 0;
    }
    static void Pump()
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    // A row chosen in a list or combo as the user would: selected, then told.
    static bool ChooseRow(HWND page, int32_t control, const wchar_t* text)
    {
        HWND box = GetDlgItem(page, control);
        wchar_t cls[16] = {};
        GetClassNameW(box, cls, 16);
        const bool combo = _wcsicmp(cls, L"ComboBox") == 0;
        const LRESULT count = SendMessageW(box, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t row[256] = {};
            SendMessageW(box, combo ? CB_GETLBTEXT : LB_GETTEXT, i, reinterpret_cast<LPARAM>(row));
            std::wstring shown = row;
            if (shown.substr(0, shown.find(L'\t')) != text && shown != text)
                continue;
            SendMessageW(box, combo ? CB_SETCURSEL : LB_SETCURSEL, i, 0);
            SendMessageW(page, WM_COMMAND, MAKEWPARAM(control, combo ? CBN_SELENDOK : LBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(box));
            Pump();
            return true;
        }
        return false;
    }
    static std::vector<std::wstring> Rows(HWND page, int32_t control)
    {
        HWND box = GetDlgItem(page, control);
        wchar_t cls[16] = {};
        GetClassNameW(box, cls, 16);
        const bool combo = _wcsicmp(cls, L"ComboBox") == 0;
        std::vector<std::wstring> rows;
        const LRESULT count = SendMessageW(box, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t row[256] = {};
            SendMessageW(box, combo ? CB_GETLBTEXT : LB_GETTEXT, i, reinterpret_cast<LPARAM>(row));
            rows.emplace_back(row);
        }
        return rows;
    }
    static std::wstring WindowText(HWND page, int32_t control)
    {
        wchar_t text[256] = {};
        GetDlgItemTextW(page, control, text, 256);
        return text;
    }

    static ModelPrinter* printer_s;
    HWND page_ = nullptr;
    HWND sheet_ = nullptr;
};
ModelPrinter* DeviceOptionsTest::printer_s = nullptr;

TEST_F(DeviceOptionsTest, PaperSourceRowPicksTheCombosSlots)
{
    struct Case {
        const wchar_t* row;
        uint32_t source;
        uint16_t size, feed, type, second;
    };
    const Case cases[] = {{L"Tray 3", 3, 6146, 6161, 6176, 6296}, {L"Tray 1", 1, 6145, 6160, 6175, 6295},
                          {L"Tray 2", 2, 6147, 6162, 6177, 6297}};
    RunDevicePage([&](HWND page) {
        CaptureWindowPng(GetParent(page), "device-options-page");
        for (const Case& c : cases) {
            ASSERT_TRUE(ChooseRow(page, kSourceList, c.row)) << c.row;
            EXPECT_EQ(Value(page, kFidSelectedSource), c.source);
            EXPECT_EQ(SelectedSetting(page, kSourceSizeBox), c.size) << c.row;
            EXPECT_EQ(SelectedSetting(page, kSourceFeedBox), c.feed) << c.row;
            EXPECT_EQ(SelectedSetting(page, kSourceTypeBox), c.type) << c.row;
            EXPECT_EQ(SelectedSetting(page, kSourceSecondBox), c.second) << c.row;
        }
        // A source the paper source table does not list leaves the combos as they were.
        ASSERT_TRUE(ChooseRow(page, kSourceList, L"Bypass Tray"));
        EXPECT_EQ(Value(page, kFidSelectedSource), 4u);
        EXPECT_EQ(SelectedSetting(page, kSourceSizeBox), 6147);
        ASSERT_TRUE(ChooseRow(page, kSourceList, L"Tray 3"));
        // The chosen paper lands in the source's own setting.
        ASSERT_TRUE(ChooseRow(page, kSourceSizeBox, L"Letter"));
        EXPECT_EQ(Value(page, 6146), 1u);
        EXPECT_EQ(Value(page, 6145), 9u);
        CaptureWindowPng(GetParent(page), "device-options-tray3");
    });
}

TEST_F(DeviceOptionsTest, HandChangeEmptiesTheQueriedAddress)
{
    struct Case {
        int32_t list;       // a row chosen first (0: none)
        const wchar_t* row;
        int32_t box;
        const wchar_t* choice;
    };
    const Case cases[] = {{kOptionList, L"Large Capacity Tray Unit", kOptionValueBox, L"Installed"},
                          {kSourceList, L"Tray 3", kSourceSizeBox, L"Letter"},
                          {kSourceList, L"Tray 1", kSourceTypeBox, L"Recycled"}};
    for (const Case& c : cases) {
        const auto before = [](HWND page) {
            SetText(page, kFidPrinterAddress, L"10.0.0.9");
            SetText(page, kFidCommunityName, L"public");
        };
        RunDevicePage([&](HWND page) {
            EXPECT_EQ(WindowText(page, kQueryAddress), L"10.0.0.9");
            ASSERT_TRUE(ChooseRow(page, c.list, c.row)) << c.row;
            EXPECT_EQ(Text(page, kFidPrinterAddress), L"10.0.0.9") << "selecting a row changes nothing";
            ASSERT_TRUE(ChooseRow(page, c.box, c.choice)) << c.choice;
            EXPECT_EQ(Text(page, kFidPrinterAddress), L"") << c.choice;
            EXPECT_EQ(Text(page, kFidCommunityName), L"") << c.choice;
            EXPECT_EQ(WindowText(page, kQueryAddress), L"") << c.choice;
        }, false, before);
    }
}

TEST_F(DeviceOptionsTest, FaxCardTypeZeroRules)
{
    MessageBoxScript boxes({IDOK, IDOK});
    RunDevicePage([&](HWND page) {
        SetText(page, 5141, L"0");
        SetText(page, 5143, L"9");
        EXPECT_EQ(Text(page, 5141), L"0") << "written";
        SetValue(page, 5210, 1);
        SetValue(page, 5211, 1);
        SetValue(page, 5212, 1);
        ASSERT_TRUE(ChooseRow(page, kOptionList, L"Fax Card Type"));
        EXPECT_EQ(SelectedSetting(page, kOptionValueBox), kFidFaxCardType);
        ASSERT_TRUE(ChooseRow(page, kOptionValueBox, L"Extended"));
        EXPECT_EQ(Value(page, kFidFaxCardType), 1u);
        EXPECT_EQ(Value(page, 4125), 1u);
        EXPECT_EQ(Text(page, 5141), L"0");
        // Back to none with SIP fax installed: the prefixes go, the SIP settings stay.
        ASSERT_TRUE(ChooseRow(page, kOptionValueBox, L"Standard"));
        EXPECT_EQ(Value(page, 4125), 0u);
        EXPECT_EQ(Text(page, 5141), L"");
        EXPECT_EQ(Text(page, 5143), L"");
        EXPECT_EQ(Value(page, 5210), 1u);
        // SIP fax taken out as well: its settings are zeroed.
        ASSERT_TRUE(ChooseRow(page, kOptionList, L"Fax Unit"));
        ASSERT_TRUE(ChooseRow(page, kOptionValueBox, L"Not Installed"));
        EXPECT_EQ(Value(page, kFidSipFax), 0u);
        EXPECT_EQ(Value(page, 5210), 0u);
        EXPECT_EQ(Value(page, 5211), 0u);
        EXPECT_EQ(Value(page, 5212), 0u);
        CaptureWindowPng(GetParent(page), "device-options-fax-card");
    });
}

TEST_F(DeviceOptionsTest, LeavingWithoutAFaxLineAsks)
{
    BoxPictures boxes({"device-options-no-fax-line"}, {IDCANCEL, IDOK});
    int afterCancel = -1, afterOk = -1;
    RunDevicePage([&](HWND page) {
        SetValue(page, kFidFaxCardType, 0);
        SetValue(page, kFidSipFax, 0);
        PropSheet_SetCurSel(sheet_, nullptr, 0);
        Pump();
        afterCancel = PropSheet_HwndToIndex(sheet_, PropSheet_GetCurrentPageHwnd(sheet_));
        PropSheet_SetCurSel(sheet_, nullptr, 0);
        Pump();
        afterOk = PropSheet_HwndToIndex(sheet_, PropSheet_GetCurrentPageHwnd(sheet_));
    });
    ASSERT_EQ(boxes.texts().size(), 2u);
    EXPECT_EQ(boxes.texts()[0], ResourceString(kMessageNoFaxLine));
    EXPECT_EQ(boxes.texts()[1], ResourceString(kMessageNoFaxLine));
    EXPECT_EQ(afterCancel, kDevicePage);
    EXPECT_EQ(afterOk, 0);
}

TEST_F(DeviceOptionsTest, OwnSizeIsOfferedOnlyWhileCurrent)
{
    for (uint32_t current : {9u, 275u}) {
        std::vector<std::wstring> rows;
        RunDevicePage([&](HWND page) { rows = Rows(page, kSourceSizeBox); }, false, [&](HWND page) {
            SetValue(page, 6146, current);
            SetValue(page, kFidSelectedSource, 3);
        });
        bool offered = false;
        for (const std::wstring& row : rows)
            offered = offered || row.find(L"Own Size") != std::wstring::npos;
        EXPECT_EQ(offered, current == 275u) << current;
        EXPECT_FALSE(rows.empty());
    }
}

TEST_F(DeviceOptionsTest, UserPaperTypeShowsItsName)
{
    struct Case {
        uint32_t type;
        uint16_t nameSetting;
        const wchar_t* shown;
    };
    const Case cases[] = {{14, 6402, L"Glossy Photo"}, {13, 6401, L"Card"}, {1, 36922, L""}};
    for (const Case& c : cases) {
        const auto before = [&](HWND page) {
            SetText(page, 6401, L"Card");
            SetText(page, 6402, L"Glossy Photo");
            SetValue(page, 6176, c.type);
            SetValue(page, kFidSelectedSource, 3);
        };
        RunDevicePage([&](HWND page) {
            EXPECT_EQ(SelectedSetting(page, kSourceTypeName), c.nameSetting) << c.type;
            EXPECT_EQ(WindowText(page, kSourceTypeName), c.shown) << c.type;
            EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, kSourceTypeName)));
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, kSourceTypeName)));
            if (c.type == 14)
                CaptureWindowPng(GetParent(page), "device-options-user-type");
        }, false, before);
    }
}

// The ellipsis is measured with the text it follows and never cut itself; a
// column too narrow even for it ends the search.
TEST(FitTextToColumn, EndsWithTheEllipsisInsideTheColumn)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    auto width = [&](const std::wstring& s) {
        SIZE size{};
        GetTextExtentPoint32W(dc, s.c_str(), static_cast<int>(s.size()), &size);
        return static_cast<int>(size.cx);
    };
    const std::wstring text = L"Large Capacity Tray Unit with Envelope Feeder";
    const int full = width(text), dots = width(L"...");
    ASSERT_GT(full, dots * 3);
    const struct {
        int column;
        bool whole;
    } cases[] = {{full + 10, true}, {full, true}, {full - 1, false}, {full / 2, false}, {dots + 1, false},
                 {dots, false}, {dots - 1, false}, {1, false}, {0, false}};
    for (const auto& c : cases) {
        const std::wstring fitted = FitTextToColumn(dc, text.c_str(), c.column, L"...");
        if (c.whole) {
            EXPECT_EQ(fitted, text) << c.column;
            continue;
        }
        ASSERT_GE(fitted.size(), 3u) << c.column;
        EXPECT_EQ(fitted.substr(fitted.size() - 3), L"...") << c.column;
        EXPECT_EQ(text.compare(0, fitted.size() - 3, fitted, 0, fitted.size() - 3), 0) << c.column;
        if (fitted.size() > 3) {
            EXPECT_LE(width(fitted), c.column) << c.column;
            // One more character would not have fitted.
            EXPECT_GT(width(text.substr(0, fitted.size() - 2) + L"..."), c.column) << c.column;
        }
    }
    // Texts beyond 255 characters count only up to there.
    const std::wstring longText(400, L'W');
    EXPECT_EQ(FitTextToColumn(dc, longText.c_str(), 100000, L"...").size(), 255u);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
}

}  // namespace

namespace {

TEST_F(DeviceOptionsTest, SecurityKitInstalledIsTold)
{
    BoxPictures boxes({"device-options-security-kit-message"}, {IDOK});
    RunDevicePage([&](HWND page) {
        ASSERT_TRUE(ChooseRow(page, kOptionList, L"Security Kit"));
        ASSERT_TRUE(ChooseRow(page, kOptionValueBox, L"Installed"));
        EXPECT_EQ(Value(page, 4111), 1u);
    });
    ASSERT_EQ(boxes.texts().size(), 1u);
    EXPECT_EQ(boxes.texts()[0], ResourceString(kMessageSecurityKit));
}

// The printer query from the page of a printer whose model names the
// device-access stand-in: the stand-in answers from the test's script.
class DeviceQueryTest : public DeviceOptionsTest {
protected:
    static void SetUpTestSuite()
    {
        const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES | ICC_TAB_CLASSES};
        InitCommonControlsEx(&controls);
        printer_s = OpenSuitePrinter(L"Q4530.DDD", L"Morva Device Query");
        if (printer_s && printer_s->ok())
            CopyFileW((Bin() + L"device_access_standin.dll").c_str(),
                      (printer_s->driverDirectory() + L"device_access_standin.dll").c_str(), FALSE);
    }
    static std::wstring Bin()
    {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring s = path;
        return s.substr(0, s.find_last_of(L"\\/") + 1);
    }
    void SetUp() override
    {
        DeviceOptionsTest::SetUp();
        script_ = Bin() + L"device_options_test.script";
        log_ = Bin() + L"device_options_test.log";
        SetEnvironmentVariableW(L"DEVICE_STANDIN_SCRIPT", script_.c_str());
        SetEnvironmentVariableW(L"DEVICE_STANDIN_LOG", log_.c_str());
        _wremove(log_.c_str());
    }
    void TearDown() override
    {
        _wremove(script_.c_str());
        _wremove(log_.c_str());
    }
    void Script(const char* text)
    {
        FILE* f = _wfopen(script_.c_str(), L"w");
        ASSERT_NE(f, nullptr);
        fputs(text, f);
        fclose(f);
    }
    std::wstring script_, log_;
};

const char kPrinterAnswers[] =
    "open 21\n"
    "string _ZQZADC_NetworkAddress 0 10.0.0.9\n"
    "bool HardDisk 0 1\n"
    "int TrayUnits 0 2\n"
    "int TrayCount 0 2\n"
    "int Major 0 1\nint Minor 0 0\nint Patch 0 0\n"
    "trays 2\n"
    "tray 0 215900 279400 Plain -\n"
    "tray 1 297400 210000 User1(Alice) -\n";

TEST_F(DeviceQueryTest, QueryFromThePageChangesTheTrays)
{
    Script(kPrinterAnswers);
    BoxPictures boxes({}, {});
    RunDevicePage([&](HWND page) {
        EXPECT_NE(Text(page, 6401), L"Alice");
        EXPECT_NE(Value(page, 6176), 13u);
        EXPECT_EQ(Value(page, 4359), 1u);
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(kQueryButton, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, kQueryButton)));
        Pump();
        EXPECT_EQ(Text(page, kFidPrinterAddress), L"10.0.0.9");
        EXPECT_EQ(WindowText(page, kQueryAddress), L"10.0.0.9");
        // The installed trays came through the page's change path.
        EXPECT_EQ(Value(page, 4359), 2u);
        // Tray 1 (source 1) holds Letter, tray 2 (source 3) A4 fed long edge
        // first with a user type the printer named.
        EXPECT_EQ(Value(page, 6145), 1u);
        EXPECT_EQ(Value(page, 6175), 1u);
        EXPECT_EQ(Value(page, 6146), 9u);
        EXPECT_EQ(Value(page, 6161), 1u);
        EXPECT_EQ(Value(page, 6176), 13u);
        EXPECT_EQ(Text(page, 6401), L"Alice");
        CaptureWindowPng(GetParent(page), "device-options-after-query");
    });
    EXPECT_TRUE(boxes.texts().empty());
}

TEST_F(DeviceQueryTest, NoOptionAnswerIsToldAndLeavesTheTrays)
{
    std::string script = kPrinterAnswers;
    script.replace(script.find("HardDisk 0 1"), 12, "HardDisk 0 0");
    Script(script.c_str());
    BoxPictures boxes({"device-options-query-no-options"}, {IDOK});
    RunDevicePage([&](HWND page) {
        const uint32_t before = Value(page, 6146);
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(kQueryButton, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, kQueryButton)));
        Pump();
        EXPECT_EQ(Text(page, kFidPrinterAddress), L"10.0.0.9");
        EXPECT_EQ(Value(page, 6146), before);
        EXPECT_NE(Text(page, 6401), L"Alice");
        EXPECT_EQ(Value(page, 4359), 1u) << "no option is applied after the check";
    });
    ASSERT_EQ(boxes.texts().size(), 1u);
    EXPECT_EQ(boxes.texts()[0], ResourceString(4638));
}

TEST_F(DeviceQueryTest, FailedQueryEmptiesTheAddress)
{
    Script("open 0\n");
    BoxPictures boxes({}, {});
    RunDevicePage([&](HWND page) {
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(kQueryButton, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, kQueryButton)));
        Pump();
        EXPECT_EQ(Text(page, kFidPrinterAddress), L"");
        EXPECT_EQ(Text(page, kFidCommunityName), L"");
    }, false, [&](HWND page) {
        SetText(page, kFidPrinterAddress, L"10.0.0.1");
        SetText(page, kFidCommunityName, L"public");
    });
    EXPECT_TRUE(boxes.texts().empty());
}

std::wstring g_openedUrl;
HINSTANCE WINAPI RecordShellExecute(HWND, LPCWSTR, LPCWSTR file, LPCWSTR, LPCWSTR, INT)
{
    g_openedUrl = file ? file : L"";
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}

// The web page button asks the printer for its address (trying the stored
// one first) and opens the printer's own page there.
TEST_F(DeviceQueryTest, WebPageButtonOpensThePrintersAddress)
{
    ScopedImportPatch patch("shell32.dll", "ShellExecuteW", reinterpret_cast<void*>(&RecordShellExecute));
    ASSERT_TRUE(patch.active());
    Script("open 23\nstring _ZQZADC_NetworkAddress 0 10.0.0.77\n");
    g_openedUrl.clear();
    RunDevicePage([&](HWND page) {
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(kWebPageButton, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, kWebPageButton)));
        Pump();
    }, false, [&](HWND page) { SetText(page, kFidPrinterAddress, L"10.0.0.7"); });
    EXPECT_EQ(g_openedUrl, L"http://10.0.0.77/");
    FILE* f = _wfopen(log_.c_str(), L"r");
    ASSERT_NE(f, nullptr);
    std::string log;
    char line[512];
    while (fgets(line, sizeof line, f))
        log += line;
    fclose(f);
    EXPECT_NE(log.find("SetAttribute 23 _ZQZADC_EWSTryAddress 10.0.0.7\n"), std::string::npos) << log;
}

}  // namespace
