// The desktop program: one copy per user, the main window with its console, then the run
// of the program shell until the user leaves.

#include <QApplication>
#include <QDir>
#include <clocale>
#include <string>

#include "console/console.h"
#include "console/screen.h"
#include "console/ui_switches.h"
#include "qt/alternatives_dialog.h"
#include "qt/config_dialog.h"
#include "qt/event_pump.h"
#include "qt/file_chooser.h"
#include "qt/identification_dialog.h"
#include "qt/listing_viewer.h"
#include "qt/nivex_form.h"
#include "qt/progress_windows.h"
#include "qt/project_dialog.h"
#include "qt/qt_desktop.h"
#include "qt/qt_settings.h"
#include "qt/qt_text.h"
#include "qt/qt_ui.h"
#include "qt/single_instance.h"
#include "shell/main_menu.h"
#include "shell/menu_bar.h"
#include "shell/session.h"
#include "shell/startup.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // QApplication takes the user's locale for the C library: numbers keep '.'.
    std::setlocale(LC_NUMERIC, "C");

    nivex::qt::SingleInstance instance(
        nivex::qt::SingleInstance::baseNameOf(QString::fromLocal8Bit(argv[0])));
    if (!instance.becomePrimary()) return 0;

    nivex::UiSwitches switches;
    nivex::qt::QtUi ui;
    nivex::console::Console console(switches, ui);
    nivex::console::Screen screen(console);
    nivex::shell::MenuBarModel menu;
    console.setCaption(std::string(nivex::shell::kCaptionPrefix) + nivex::shell::kVersionText);

    nivex::qt::TForm1 form(console, menu);
    ui.setOwner(&form);
    nivex::qt::QtEventPump pump(console);
    QObject::connect(&form.consoleView(), &nivex::qt::TWinConsole::keyArrived, &pump,
                     &nivex::qt::QtEventPump::wake);
    QObject::connect(&instance, &nivex::qt::SingleInstance::activationRequested, &form,
                     &nivex::qt::TForm1::bringForward);
    nivex::qt::QtDesktop desktop(&form);
    nivex::qt::QtSettingsStore settings;

    nivex::shell::Session session{switches, console, screen, ui, desktop, settings, menu};
    // Paths are native (UTF-8) text throughout.
    session.folders.program = QCoreApplication::applicationDirPath().toStdString();
    nivex::qt::QtProjectDialog projectDialog(session, &form);
    session.projectDialog = &projectDialog;
    nivex::qt::QtConfigurationDialog configDialog(session, &form);
    session.configDialog = &configDialog;
    nivex::qt::QtListingViewer viewer(session, &form);
    session.viewer = &viewer;
    nivex::qt::QtProgress progress(&form);
    session.progress = &progress;
    nivex::qt::QtFileChooser fileChooser(&form);
    session.fileChooser = &fileChooser;
    nivex::qt::QtIdentificationDialog identification(&form);
    session.identification = &identification;
    nivex::qt::QtAlternativesDialog alternatives(&form);
    session.alternatives = &alternatives;
    form.onMenuItem = [&session](const nivex::shell::MenuItem& item) {
        nivex::shell::MenuItemChosen(session, item);
    };
    form.confirmClose = [&ui] { return nivex::shell::ConfirmLeave(ui); };
    form.onLeave = [&pump] { pump.requestExit(); };
    form.showMaximized();

    const auto defaults = nivex::shell::FolderDefaults::underHome(QDir::homePath().toStdString());
    const std::string programFiles = qEnvironmentVariable("ProgramFiles").toStdString();
    try {
        return nivex::shell::RunProgram(session, defaults, programFiles);
    } catch (const nivex::console::ProgramExit&) {
        return 0;  // leaving was confirmed while a screen waited
    }
}
