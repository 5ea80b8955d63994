// The paper-size check a size dialog runs before it closes: apart from the
// dialogs' tables because the conflict resolver's action codes share names
// with the push buttons' actions.
#pragma once

struct CallContext;

// 0 when the paper size (setting 8) meets the model's rules or the user
// applied the change the rules ask for; 1 when the dialog must stay.
int CheckPaperSizeRules(CallContext* call);
