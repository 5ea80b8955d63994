#include "ui/controls/control_kinds.h"

// Rows are added as each kind's handler is built.
const ControlKindRow ControlKindTable[] = {
    {kKindNone, nullptr},
};

ItemEventHandler FindKindHandler(uint64_t kind) {
    if (kind == kKindNone) return nullptr;
    for (const ControlKindRow* row = ControlKindTable; row->kind != kKindNone; ++row)
        if (row->kind == kind) return row->handler;
    return nullptr;
}
