// What the push buttons' actions answer, for the pages and callbacks that run
// them directly.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/controls/kind_params.h"

// Result codes RestoreDefaultSettings leaves in the call context.
inline constexpr uint32_t kDefaultsKept = 1;
inline constexpr uint32_t kDefaultsDeclined = 2;

// PropertySheetW's answer as the nested-sheet action gives it: 1 -> 1, 0 -> 2,
// any other -1.
int NestedSheetResult(INT_PTR result);
// The shell's "open" of the document the block names. 1 when it started.
int OpenDocument(CallContext* call, const DocumentParams* params);
// The refusal of a chosen file: 448 with its limits, 4716 with the path,
// another message as it stands.
void ShowFileRefusalMessage(HWND window, const FileDialogParams* params, uint32_t messageId, const wchar_t* path);
