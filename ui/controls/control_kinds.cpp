#include "ui/controls/control_kinds.h"

#include "ui/illustration/picture_control.h"

// Rows are added as each kind's handler is built.
const ControlKindRow ControlKindTable[] = {
    {kKindBitmapPicture, OnBitmapPictureItem},
    {kKindNone, nullptr},
};

ItemEventHandler FindKindHandler(uint64_t kind) {
    if (kind == kKindNone) return nullptr;
    for (const ControlKindRow* row = ControlKindTable; row->kind != kKindNone; ++row)
        if (row->kind == kind) return row->handler;
    return nullptr;
}
