#pragma once
// The main menu loop and the keys the menu bar pushes into the console.

#include "shell/gating.h"
#include "shell/session.h"
#include "shell/startup.h"

namespace nivex::shell {

// Runs until the user leaves the program.
void RunMainMenu(Session& session);

// Pushes the keys of a menu-bar choice: Esc keys to back out of the open screens, then
// the main key and the sub key (0: none).
void InjectMenuKeys(Session& session, uint8_t mainKey, uint8_t subKey);

// A menu-bar item was chosen.
void MenuItemChosen(Session& session, const MenuItem& item);

// What the "Planos" window shows of the open sector, read afresh from its files (its own
// control file is left alone: a screen may hold it open under the window). False with
// *error (UTF-8, naming the file) when a file cannot be read.
bool ReadDrawings(const project::Project& open, DrawingKind front, ui::PlansRequest& request,
                  std::string* error);

// "Desea abandonar ahora ?": true when the user confirms leaving.
bool ConfirmLeave(ui::Ui& ui);

// The whole run after the main window exists: start-up, then the main menu. Returns the
// process's exit code.
int RunProgram(Session& session, const FolderDefaults& defaults, const std::string& programFiles);

}  // namespace nivex::shell
