// The message table of the table-driven dialogs: which slot and which
// page-level step a message or property-sheet notification reaches.
#include "ui/engine/message_table.h"
#include "ui/engine/ui_context.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <prsht.h>

#include <set>

namespace {

TEST(MessageTable, ThirtyEightRowsWhoseIndexIsTheSlot)
{
    int32_t rows = 0;
    std::set<std::pair<uint16_t, int16_t>> keys;
    for (; MessageTable[rows].message; ++rows) {
        EXPECT_EQ(MessageTable[rows].slot, rows);
        keys.insert({MessageTable[rows].message, MessageTable[rows].notification});
    }
    EXPECT_EQ(rows, kMessageSlotCount);
    EXPECT_EQ(keys.size(), static_cast<size_t>(kMessageSlotCount));
}

TEST(MessageTable, MessagesAndNotificationsFindTheirSlotAndStep)
{
    const struct {
        UINT message;
        UINT notification;  // for WM_NOTIFY
        uint16_t type;
        int32_t slot;
        SlotStep step;
    } cases[] = {
        {WM_COMMAND, 0, kDialogTypePage, 0, SlotStep::PageCommand},
        {WM_COMMAND, 0, kDialogTypeModal, 0, SlotStep::DispatchToItem},
        {WM_INITDIALOG, 0, kDialogTypePage, 1, SlotStep::PageInitDialog},
        {WM_INITDIALOG, 0, kDialogTypeSubPage, 1, SlotStep::SubPageInitDialog},
        {WM_INITDIALOG, 0, kDialogTypeModal, 1, SlotStep::ModalDialogInit},
        {WM_NOTIFY, static_cast<UINT>(PSN_SETACTIVE), kDialogTypePage, 2, SlotStep::SetActive},
        {WM_NOTIFY, static_cast<UINT>(PSN_KILLACTIVE), kDialogTypeModal, 3, SlotStep::KillActive},
        {WM_NOTIFY, static_cast<UINT>(PSN_RESET), kDialogTypePage, 4, SlotStep::Reset},
        {WM_NOTIFY, static_cast<UINT>(PSN_APPLY), kDialogTypeSubPage, 5, SlotStep::Apply},
        {WM_NOTIFY, static_cast<UINT>(PSN_HELP), kDialogTypePage, 6, SlotStep::ContextHelp},
        {WM_NOTIFY, static_cast<UINT>(TCN_SELCHANGE), kDialogTypePage, 7, SlotStep::None},
        {WM_NOTIFY, static_cast<UINT>(NM_SETFOCUS), kDialogTypePage, 10, SlotStep::DispatchToItem},
        {WM_MEASUREITEM, 0, kDialogTypePage, 22, SlotStep::MeasureItem},
        {WM_PAINT, 0, kDialogTypeModal, 28, SlotStep::BroadcastToItems},
        {WM_DESTROY, 0, kDialogTypePage, 30, SlotStep::Destroy},
        {WM_USER + 1505, 0, kDialogTypePage, 32, SlotStep::QueryDialogCode},
        {WM_USER + 1504, 0, kDialogTypePage, 35, SlotStep::ShowQueuedTexts},
        {WM_USER + 1508, 0, kDialogTypePage, 36, SlotStep::BitmapClick},
        {WM_USER + 1509, 0, kDialogTypePage, 37, SlotStep::DispatchToItem},
        {WM_TIMER, 0, kDialogTypePage, 17, SlotStep::DispatchToItem},
    };
    for (const auto& c : cases) {
        NMHDR header{nullptr, 0, c.notification};
        SlotStep step = SlotStep::Apply;
        int32_t slot = -9;
        ASSERT_EQ(FindMessageSlot(c.message, reinterpret_cast<LPARAM>(&header), c.type, &step, &slot), 1)
            << c.message << " " << static_cast<int>(c.notification);
        EXPECT_EQ(slot, c.slot) << c.message;
        EXPECT_EQ(step, c.step) << c.message << " type " << c.type;
        EXPECT_EQ(GetSlotStep(c.type, slot), c.step);
    }
}

TEST(MessageTable, UnknownMessagesNotificationsAndTypesFindNothing)
{
    NMHDR unknown{nullptr, 0, static_cast<UINT>(PSN_QUERYCANCEL)};
    NMHDR apply{nullptr, 0, static_cast<UINT>(PSN_APPLY)};
    const struct {
        UINT message;
        const NMHDR* header;
        uint16_t type;
    } cases[] = {
        {WM_KEYDOWN, nullptr, kDialogTypePage},
        {WM_NOTIFY, &unknown, kDialogTypePage},
        {WM_NOTIFY, nullptr, kDialogTypePage},
        {WM_USER + 1501, nullptr, kDialogTypePage},  // 2525 has no meaning
        {WM_NOTIFY, &apply, 2},
        {WM_COMMAND, nullptr, 0},
    };
    for (const auto& c : cases) {
        int32_t slot = 5;
        EXPECT_EQ(FindMessageSlot(c.message, reinterpret_cast<LPARAM>(c.header), c.type, nullptr, &slot), 0)
            << c.message;
        EXPECT_EQ(slot, -1);
    }
    EXPECT_EQ(GetSlotStep(kDialogTypePage, kMessageSlotCount), SlotStep::None);
}

}  // namespace
