#include "ui/controls/control_kinds.h"

#include "ui/controls/kind_handlers.h"
#include "ui/illustration/picture_control.h"

// Kind 14 (the bitmap picture) is served by the picture controls of the pages.
const ControlKindRow ControlKindTable[] = {
    {kKindComboBox, OnComboBoxItem},
    {kKindListBox, OnListBoxItem},
    {kKindEdit, OnEditItem},
    {kKindOptionButtons, OnOptionButtonsItem},
    {kKindPushButton, OnPushButtonItem},
    {kKindCheckBox, OnTwoStateCheckBoxItem},
    {kKindScrollBar, OnScrollBarItem},
    {kKindUpDown, OnUpDownItem},
    {kKindValueText, OnValueTextItem},
    {kKindOptionDetail, OnOptionDetailItem},
    {kKindTrackbar, OnTrackbarItem},
    {kKindPalettePicture, OnPalettePictureItem},
    {kKindStateOnly, OnStateOnlyItem},
    {kKindBitmapPicture, OnBitmapPictureItem},
    {kKindNone, nullptr},
};

ItemEventHandler FindKindHandler(uint64_t kind)
{
    if (kind == kKindNone)
        return nullptr;
    for (const ControlKindRow* row = ControlKindTable; row->kind != kKindNone; ++row)
        if (row->kind == kind)
            return row->handler;
    return nullptr;
}

UINT SheetNotification(UINT message, LPARAM lParam)
{
    if (message == WM_NOTIFY && lParam)
        return reinterpret_cast<const NMHDR*>(lParam)->code;
    if (message <= PSN_FIRST && message >= PSN_LAST)
        return message;
    return 0;
}

bool IsShowMessage(UINT message, LPARAM lParam)
{
    return message == kEngineRefresh || SheetNotification(message, lParam) == PSN_SETACTIVE;
}
