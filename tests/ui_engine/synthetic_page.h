// The synthetic page: a template (synthetic_page.rc) and an item table of the
// tests' own with one item of every control kind, to drive the dialog engine
// in a real window.
#pragma once
#include "tests/ui_engine/synthetic_page_ids.h"
#include "ui/engine/dialog_tables.h"

#include <cstddef>

extern const ItemTableHeader SyntheticItemTable;
extern const PageDescriptor SyntheticPage;

// The window class each control kind expects of its control.
struct KindClass {
    uint64_t kind;
    const wchar_t* windowClass;
};
extern const KindClass KindClasses[];
extern const size_t KindClassCount;
// Null for a kind without a fixed class.
const wchar_t* ExpectedClassOfKind(uint64_t kind);
