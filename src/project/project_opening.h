#pragma once
// Opening a project: the selection dialog, then the menu bar fitted to the project.

#include "shell/menu_rules.h"
#include "shell/session.h"

namespace nivex::project {

// Shows the selection dialog until a project is accepted (true) or the user leaves the
// program (false). On acceptance the menu bar is fitted to the project and the window
// shows the project's caption; the control file is left closed.
bool OpenProject(shell::Session& session);

// What the menu bar rules need, from record 0 as last read.
shell::MenuFacts MenuFactsOf(const Project& project);

// The rules that run when a project has been opened.
void FitMenuToOpenedProject(shell::Session& session);

}  // namespace nivex::project
