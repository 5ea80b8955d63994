// The link between the spooler's forms and the papers of the printer model: a
// DEVMODE paper number names a form, whose name must match a model paper's.
#pragma once
#include "common/settings/paper_codes.h"

#include <windows.h>

#include <cstdint>


// *modelPaper receives the paper number of the model paper whose name equals the
// name of spooler form `paperNumber` (without regard to case), or 256 for the
// free custom size when it is enabled and dmFields has both paper dimensions.
// 1 found; 10 no such form or no settings context; the model reader's status
// when an option cannot be loaded (2 after the last option); 0 for a model paper
// without a name.
int MatchFormToModelPaper(HANDLE printer, void* settingsRecord, void* printerSettingsRecord, uint16_t paperNumber,
                          uint16_t* modelPaper);
// The same with the printer's settings context the caller holds open (null:
// one is opened for the call).
struct SettingsContext;
int MatchFormToModelPaperOfContext(HANDLE printer, SettingsContext* context, void* settingsRecord,
                                   void* printerSettingsRecord, uint16_t paperNumber, uint16_t* modelPaper);
