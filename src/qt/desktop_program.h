#pragma once
// The desktop program put together: the main window with its console, the Qt dialogs and
// services handed to the session, and the run of the program shell. The program's main
// builds one; so do the scripted runs that drive the real program (tests, captures).

#include <QString>
#include <memory>
#include <string>

#include "console/console.h"
#include "console/screen.h"
#include "console/ui_switches.h"
#include "exchange/exchange_menu.h"
#include "qt/alternatives_dialog.h"
#include "qt/config_dialog.h"
#include "qt/event_pump.h"
#include "qt/file_chooser.h"
#include "qt/gis_mapping_dialog.h"
#include "qt/identification_dialog.h"
#include "qt/listing_viewer.h"
#include "qt/nivex_form.h"
#include "qt/plans_window.h"
#include "qt/progress_windows.h"
#include "qt/project_dialog.h"
#include "qt/qt_desktop.h"
#include "qt/qt_settings.h"
#include "qt/qt_ui.h"
#include "shell/menu_bar.h"
#include "shell/session.h"

namespace nivex::qt {

class DesktopProgram {
  public:
    // settingsFile: the settings in that file instead of the user's own store.
    explicit DesktopProgram(const QString& settingsFile = {});

    // Start-up, the main menu until the user leaves, the closing of the project.
    int run();

    TForm1& form() { return form_; }
    shell::Session& session() { return session_; }
    console::Console& console() { return console_; }
    QtProjectDialog& projectDialog() { return projectDialog_; }
    QtDesktop& desktop() { return desktop_; }
    QtPlansWindow& plans() { return plans_; }
    bool waitingForKey() const { return pump_.waiting(); }

  private:
    UiSwitches switches_;
    QtUi ui_;
    console::Console console_{switches_, ui_};
    console::Screen screen_{console_};
    shell::MenuBarModel menu_;
    TForm1 form_{console_, menu_};
    QtEventPump pump_{console_};
    QtDesktop desktop_{&form_};
    std::unique_ptr<QtSettingsStore> settings_;
    shell::Session session_;
    QtProjectDialog projectDialog_{session_, &form_};
    QtConfigurationDialog configDialog_{session_, &form_};
    QtListingViewer viewer_{session_, &form_};
    QtProgress progress_{&form_};
    QtFileChooser fileChooser_{&form_};
    QtIdentificationDialog identification_{&form_};
    QtAlternativesDialog alternatives_{&form_};
    QtPlansWindow plans_{&form_};
    QtGisMappingDialog gisMapping_{&form_};
    exchange::MenuExchange exchange_{session_};
};

}  // namespace nivex::qt
