#pragma once
// The objects of one run, handed by reference to every module.

#include <string>

#include "console/console.h"
#include "console/screen.h"
#include "console/ui_switches.h"
#include "listings/listing_state.h"
#include "project/project.h"
#include "shell/menu_bar.h"
#include "ui/alternatives_dialog.h"
#include "ui/configuration_dialog.h"
#include "ui/desktop.h"
#include "ui/exchange.h"
#include "ui/file_chooser.h"
#include "ui/identification_dialog.h"
#include "ui/listing_viewer.h"
#include "ui/plans_window.h"
#include "ui/progress.h"
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
    Session(UiSwitches& switches, console::Console& console, console::Screen& screen, ui::Ui& ui,
            ui::Desktop& desktop, ui::SettingsStore& settings, MenuBarModel& menu)
        : switches(switches),
          console(console),
          screen(screen),
          ui(ui),
          desktop(desktop),
          settings(settings),
          menu(menu) {}

    UiSwitches& switches;
    console::Console& console;
    console::Screen& screen;
    ui::Ui& ui;
    ui::Desktop& desktop;
    ui::SettingsStore& settings;
    MenuBarModel& menu;
    Folders folders;
    // Windows of the desktop program; a batch run or a test sets its own or none.
    ui::ProjectDialog* projectDialog = nullptr;
    ui::ConfigurationDialog* configDialog = nullptr;
    ui::ListingViewer* viewer = nullptr;
    ui::Progress* progress = nullptr;
    ui::FileChooser* fileChooser = nullptr;
    ui::IdentificationDialog* identification = nullptr;
    ui::AlternativesDialog* alternatives = nullptr;
    ui::PlansWindow* plans = nullptr;
    ui::SectorExchange* exchange = nullptr;
    ui::GisMappingDialog* gisMapping = nullptr;

    project::Project project;        // the open sector
    listings::ListingState listing;  // the listing being written
    listings::ViewerState viewerState;
    // The junction diameter (record 0 offset 24) last entered on the general
    // criteria screen in this run; 0 while none was entered.
    int junctionDiameterEntered = 0;
};

}  // namespace nivex::shell
