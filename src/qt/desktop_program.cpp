#include "qt/desktop_program.h"

#include <QCoreApplication>
#include <QDir>

#include "shell/main_menu.h"
#include "shell/startup.h"

namespace nivex::qt {
namespace {

std::unique_ptr<QtSettingsStore> settingsStore(const QString& file) {
    if (file.isEmpty()) return std::make_unique<QtSettingsStore>();
    return std::make_unique<QtSettingsStore>(file);
}

}  // namespace

DesktopProgram::DesktopProgram(const QString& settingsFile)
    : settings_(settingsStore(settingsFile)),
      session_{switches_, console_, screen_, ui_, desktop_, *settings_, menu_} {
    console_.setCaption(std::string(shell::kCaptionPrefix) + shell::kVersionText);
    ui_.setOwner(&form_);
    QObject::connect(&form_.consoleView(), &TWinConsole::keyArrived, &pump_, &QtEventPump::wake);
    // Paths are native (UTF-8) text throughout.
    session_.folders.program = QCoreApplication::applicationDirPath().toStdString();
    session_.projectDialog = &projectDialog_;
    session_.configDialog = &configDialog_;
    session_.viewer = &viewer_;
    session_.progress = &progress_;
    session_.fileChooser = &fileChooser_;
    session_.identification = &identification_;
    session_.alternatives = &alternatives_;
    session_.plans = &plans_;
    session_.exchange = &exchange_;
    session_.gisMapping = &gisMapping_;
    form_.onMenuItem = [this](const shell::MenuItem& item) {
        shell::MenuItemChosen(session_, item);
    };
    form_.confirmClose = [this] { return shell::ConfirmLeave(ui_); };
    form_.onLeave = [this] { pump_.requestExit(); };
}

int DesktopProgram::run() {
    form_.showMaximized();
    const auto defaults = shell::FolderDefaults::underHome(QDir::homePath().toStdString());
    const std::string programFiles = qEnvironmentVariable("ProgramFiles").toStdString();
    try {
        return shell::RunProgram(session_, defaults, programFiles);
    } catch (const console::ProgramExit&) {
        return 0;  // leaving was confirmed while a screen waited
    }
}

}  // namespace nivex::qt
