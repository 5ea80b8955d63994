// What the engine does for the sheet around an Apply and a dialog's first
// initialisation: the settings brought into the form the store expects, the
// optional request service, the per-user settings of the printing preferences
// and the page check whose messages are shown once the page is up.
#pragma once
#include <windows.h>

#include "ui/engine/dialog_context.h"
#include "ui/engine/ui_context.h"

// The public fields and derived settings made consistent for the store; the
// first failing step ends the chain. 1 done.
int PrepareSettingsForStore(HWND window, UiContext* ui, void* settings, void* printerSettings);
// 1 the Apply goes on; 0 it is refused.
int ServiceRequestStep(CallContext* call);
// The remembered list position of the favourites is forgotten at each Apply.
void ForgetFavouritePosition(const UiContext* ui);
// A sheet that shows default settings other than the user's printing
// preferences takes the user's per-user settings first.
void LoadUserSettingsWhenNeeded(CallContext* call, const UiContext* ui);
// Once per sheet: the page check, its messages posted as event 2528. 1 when it ran.
int DeferredPageCheck(CallContext* call);
// Closes the help windows the sheet opened.
void CloseHelpWindows(const UiContext* ui);
// The topic of the help file in a help window; 1 when shown.
int ShowHelpTopic(const UiContext* ui, uint32_t topic);
