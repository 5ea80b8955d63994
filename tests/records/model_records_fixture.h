// What the tests of the records built from a printer's model need: the
// settings context as an owned pointer, and a reference on the resource file
// (the stamp font default takes its name from it), taken while the program is
// still its own driver library, before a printer fixture makes morvares the
// driver module. Declare the reference before the printer.
#pragma once
#include "common/context/settings_context.h"
#include "common/system/module_files.h"

#include <memory>

struct ContextCloser {
    void operator()(SettingsContext* context) const { CloseSettingsContext(context); }
};
using ContextPtr = std::unique_ptr<SettingsContext, ContextCloser>;

struct ResourceModuleReference {
    ResourceModuleReference() { LoadResourceModule(); }
    ~ResourceModuleReference() { ReleaseResourceModule(); }
    ResourceModuleReference(const ResourceModuleReference&) = delete;
    ResourceModuleReference& operator=(const ResourceModuleReference&) = delete;
};
