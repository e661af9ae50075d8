#pragma once
// The modules of the main choices.

#include "shell/session.h"

namespace nivex::shell {

// Runs the module of main choice 1..12; returns when the user leaves it. A choice whose
// module is not part of this build returns at once, taking its sub-option key with it.
void RunModule(Session& session, int choice);

}  // namespace nivex::shell
