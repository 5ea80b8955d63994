// The model's papers as forms of the spooler's form database, so that
// applications and the printer's settings can name them.
#pragma once
#include <windows.h>

struct SettingsContext;

// Adds every paper of the model that has no form yet. TRUE when every AddFormW
// succeeded.
BOOL AddModelForms(HANDLE printer, SettingsContext* context);
