// The display rules of the controls live with the control kinds; this name
// stays for the pages that include it.
#pragma once
#include "ui/controls/display_states.h"
