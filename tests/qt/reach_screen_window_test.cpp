// The reach entry screen in the real main window: its cells painted, its legend buttons
// made. With NIVEX_SCREENSHOT_DIR set, the window is saved there as "tramos.png".

#include <gtest/gtest.h>
#include <unistd.h>

#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "cli/batch.h"
#include "console/codepage.h"
#include "console/keys.h"
#include "project/project_selection.h"
#include "qt/event_pump.h"
#include "qt/nivex_form.h"
#include "qt_rig.h"
#include "shell/modules.h"
#include "shell/session.h"
#include "ui/settings_store.h"

namespace nivex::testing {
namespace {

namespace fs = std::filesystem;

TEST(ReachScreenWindow, TramosShowsTheReachScreenWithItsLegend) {
    const fs::path base = fs::temp_directory_path() / ("nivex-tramos-" + std::to_string(getpid()));
    fs::create_directories(base / "projects");
    setenv("XDG_DATA_HOME", (base / "xdg").c_str(), 1);
    const fs::path start = fs::current_path();
    std::ostringstream out, err;
    ASSERT_EQ(cli::RunBatch(
                  {"--projects", (base / "projects").string(), "--project", "TR1", "new", "--yes"},
                  out, err),
              0)
        << err.str();
    fs::current_path(start);

    UiSwitches switches;
    ScriptedUi ui;
    console::Console console{switches, ui};
    shell::MenuBarModel menu;
    qt::TForm1 form{console, menu};
    qt::QtEventPump pump{console};
    QObject::connect(&form.consoleView(), &qt::TWinConsole::keyArrived, &pump,
                     &qt::QtEventPump::wake);
    NullDesktop desktop;
    ui::MemorySettings settings;
    console::Screen screen(console);
    shell::Session session{switches, console, screen, ui, desktop, settings, menu};
    project::ProjectSelection selection(session, session.project);
    ASSERT_EQ(selection.List((base / "projects").string()), project::ListOutcome::Listed);
    ui.answers.push_back('S');
    ASSERT_EQ(selection.Accept({"TR", "1", "1"}), 'S');
    form.resize(1100, 800);
    form.show();

    std::vector<std::string> captions;
    std::string lineRow;
    QTimer::singleShot(50, [&] {
        console.pushKey('P');
        console.pushKey('1');
    });
    QTimer::singleShot(150, [&] {
        for (QPushButton* b : form.findChildren<QPushButton*>())
            if (b->isVisible()) captions.push_back(b->text().toStdString());
        lineRow = console.rowText(2);
        if (const char* dir = std::getenv("NIVEX_SCREENSHOT_DIR"))
            form.grab().save(QString::fromUtf8(dir) + "/tramos.png");
        console.pushKey(key::Esc);
    });
    shell::RunModule(session, 2);

    EXPECT_NE(lineRow.find("============================> LINEA # :     1"), std::string::npos);
    for (const char* expected : {"SALVAR", "BUSCAR", "REORDENAR", "ELIM RESTRIC", "QUITAR EXIST"})
        EXPECT_NE(std::find(captions.begin(), captions.end(), expected), captions.end())
            << expected;
    fs::current_path(start);
    fs::remove_all(base);
}

}  // namespace
}  // namespace nivex::testing
