#pragma once
// The objects of one run, handed by reference to every module.

#include <string>

#include "console/console.h"
#include "console/screen.h"
#include "console/ui_switches.h"
#include "project/project.h"
#include "shell/menu_bar.h"
#include "ui/desktop.h"
#include "ui/project_dialog.h"
#include "ui/settings_store.h"
#include "ui/ui.h"

namespace nivex::shell {

// The working folders of the run.
struct Folders {
    std::string start;    // current when the program started
    std::string program;  // where the executable and its files are
    std::string project;  // holds the projects; the process's current folder
    std::string swmm;
    std::string word;  // first folder of the listing viewer's save dialog
};

struct Session {
    UiSwitches& switches;
    console::Console& console;
    console::Screen& screen;
    ui::Ui& ui;
    ui::Desktop& desktop;
    ui::SettingsStore& settings;
    MenuBarModel& menu;
    Folders folders;
    ui::ProjectDialog* projectDialog = nullptr;  // the selection dialog of this run
    project::Project project;                    // the open sector
};

}  // namespace nivex::shell
