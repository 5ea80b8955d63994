// The document-name label of a page: "Eg" with the document's file name.
#pragma once
#include "render/command/command_layer.h"

#include <cstdint>
#include <string>

// The file name of a document path without its directory and extension, cut
// so that its ANSI form holds at most 255 bytes.
std::wstring DocumentLabelName(const wchar_t* path);

// "Eg" with the label name, the unit matrix and kind 0. Nothing (0) for an
// empty name; -1 when the write fails.
int WriteDocumentLabel(CommandLayer* layer, const wchar_t* documentPath);
