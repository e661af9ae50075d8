#pragma once
// The main menu loop and the keys the menu bar pushes into the console.

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

// "Desea abandonar ahora ?": true when the user confirms leaving.
bool ConfirmLeave(ui::Ui& ui);

// The whole run after the main window exists: start-up, then the main menu. Returns the
// process's exit code.
int RunProgram(Session& session, const FolderDefaults& defaults, const std::string& programFiles);

}  // namespace nivex::shell
