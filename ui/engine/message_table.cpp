#include "ui/engine/message_table.h"

#include "ui/engine/ui_context.h"

#include <commctrl.h>
#include <prsht.h>

namespace {

// Engine events handled at page level or delivered to items.
constexpr uint16_t kEventQueuedTexts = WM_USER + 1504;  // 2528
constexpr uint16_t kEventDialogCode = WM_USER + 1505;   // 2529
constexpr uint16_t kEventItem2530 = WM_USER + 1506;
constexpr uint16_t kEventItem2531 = WM_USER + 1507;
constexpr uint16_t kEventBitmapClick = WM_USER + 1508;  // 2532
constexpr uint16_t kEventItem2533 = WM_USER + 1509;
constexpr uint16_t kEventItem2534 = WM_USER + 1510;
constexpr uint16_t kEventItem2535 = WM_USER + 1511;
constexpr uint16_t kEventItem2536 = WM_USER + 1512;
constexpr uint16_t kEventItem2537 = WM_USER + 1513;

using S = SlotStep;

// The page column, then what types 3 and 4 do where they differ.
constexpr S kPageSteps[kMessageSlotCount] = {
    S::PageCommand,      S::PageInitDialog,   S::SetActive,        S::KillActive,      S::Reset,
    S::Apply,            S::ContextHelp,      S::None,             S::DispatchToItem,  S::DispatchToItem,
    S::DispatchToItem,   S::DispatchToItem,   S::DispatchToItem,   S::DispatchToItem,  S::DispatchToItem,
    S::DispatchToItem,   S::DispatchToItem,   S::DispatchToItem,   S::DispatchToItem,  S::DispatchToItem,
    S::ContextHelp,      S::ContextHelp,      S::MeasureItem,      S::DispatchToItem,  S::None,
    S::DispatchToItem,   S::BroadcastToItems, S::BroadcastToItems, S::BroadcastToItems, S::None,
    S::Destroy,          S::None,             S::QueryDialogCode,  S::DispatchToItem,  S::DispatchToItem,
    S::ShowQueuedTexts,  S::BitmapClick,      S::DispatchToItem,
};

// Sub-page and modal dialogs hand WM_COMMAND to the items and have their own
// initialisation; every other slot does what it does on a page.
struct StepTable {
    SlotStep steps[3][kMessageSlotCount];
};
constexpr StepTable BuildStepTable()
{
    StepTable table{};
    for (int type = 0; type < 3; ++type)
        for (int i = 0; i < kMessageSlotCount; ++i)
            table.steps[type][i] = kPageSteps[i];
    table.steps[1][0] = S::DispatchToItem;
    table.steps[1][1] = S::SubPageInitDialog;
    table.steps[2][0] = S::DispatchToItem;
    table.steps[2][1] = S::ModalDialogInit;
    return table;
}
constexpr StepTable kStepTable = BuildStepTable();

}  // namespace

const MessageTableRow MessageTable[kMessageSlotCount + 1] = {
    {WM_COMMAND, 0, 0},
    {WM_INITDIALOG, 0, 1},
    {WM_NOTIFY, static_cast<int16_t>(PSN_SETACTIVE), 2},
    {WM_NOTIFY, static_cast<int16_t>(PSN_KILLACTIVE), 3},
    {WM_NOTIFY, static_cast<int16_t>(PSN_RESET), 4},
    {WM_NOTIFY, static_cast<int16_t>(PSN_APPLY), 5},
    {WM_NOTIFY, static_cast<int16_t>(PSN_HELP), 6},
    {WM_NOTIFY, static_cast<int16_t>(TCN_SELCHANGE), 7},
    {WM_NOTIFY, static_cast<int16_t>(LVN_ITEMCHANGED), 8},
    {WM_NOTIFY, static_cast<int16_t>(NM_DBLCLK), 9},
    {WM_NOTIFY, static_cast<int16_t>(NM_SETFOCUS), 10},
    {WM_WINDOWPOSCHANGED, 0, 11},
    {kEventItem2534, 0, 12},
    {kEventItem2535, 0, 13},
    {WM_SETTEXT, 0, 14},
    {kEventItem2536, 0, 15},
    {kEventItem2537, 0, 16},
    {WM_TIMER, 0, 17},
    {WM_VSCROLL, 0, 18},
    {WM_HSCROLL, 0, 19},
    {WM_HELP, 0, 20},
    {WM_CONTEXTMENU, 0, 21},
    {WM_MEASUREITEM, 0, 22},
    {WM_DRAWITEM, 0, 23},
    {WM_ERASEBKGND, 0, 24},
    {WM_VKEYTOITEM, 0, 25},
    {WM_QUERYNEWPALETTE, 0, 26},
    {WM_PALETTECHANGED, 0, 27},
    {WM_PAINT, 0, 28},
    {WM_MOUSEMOVE, 0, 29},
    {WM_DESTROY, 0, 30},
    {WM_CTLCOLORSTATIC, 0, 31},
    {kEventDialogCode, 0, 32},
    {kEventItem2530, 0, 33},
    {kEventItem2531, 0, 34},
    {kEventQueuedTexts, 0, 35},
    {kEventBitmapClick, 0, 36},
    {kEventItem2533, 0, 37},
    {0, 0, 0},
};

namespace {

int TypeIndex(uint16_t dialogType)
{
    switch (dialogType) {
    case kDialogTypePage:
        return 0;
    case kDialogTypeSubPage:
        return 1;
    case kDialogTypeModal:
        return 2;
    default:
        return -1;
    }
}

}  // namespace

SlotStep GetSlotStep(uint16_t dialogType, int32_t slot)
{
    const int typeIndex = TypeIndex(dialogType);
    if (typeIndex < 0 || slot < 0 || slot >= kMessageSlotCount)
        return SlotStep::None;
    return kStepTable.steps[typeIndex][slot];
}

int FindMessageSlot(UINT message, LPARAM lParam, uint16_t dialogType, SlotStep* step, int32_t* slot)
{
    if (slot)
        *slot = -1;
    const int typeIndex = TypeIndex(dialogType);
    if (typeIndex < 0 || !message)
        return 0;
    int32_t found = -1;
    for (int32_t i = 0; MessageTable[i].message; ++i) {
        if (MessageTable[i].message != message)
            continue;
        if (message != WM_NOTIFY) {
            found = i;
            break;
        }
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!header)
            return 0;
        // The WM_NOTIFY rows stand together; compare the code's low 16 bits.
        const int16_t code = static_cast<int16_t>(header->code & 0xFFFF);
        for (int32_t j = i; MessageTable[j].message == WM_NOTIFY; ++j)
            if (MessageTable[j].notification == code) {
                found = j;
                break;
            }
        break;
    }
    if (found < 0)
        return 0;
    if (slot)
        *slot = MessageTable[found].slot;
    if (step)
        *step = kStepTable.steps[typeIndex][MessageTable[found].slot];
    return 1;
}
