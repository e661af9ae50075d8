// The main window and the waiting of the desktop program: menu bar, caption, closing,
// font sizes, and reads that wait in the event loop.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

#include "console/codepage.h"
#include "console/keys.h"
#include "qt/event_pump.h"
#include "qt/nivex_form.h"
#include "qt_rig.h"
#include "shell/main_menu.h"
#include "shell/session.h"
#include "ui/settings_store.h"

namespace nivex::testing {
namespace {

struct FormRig {
    UiSwitches switches;
    ScriptedUi ui;
    console::Console console{switches, ui};
    shell::MenuBarModel menu;
    qt::TForm1 form{console, menu};
    qt::QtEventPump pump{console};

    FormRig() {
        QObject::connect(&form.consoleView(), &qt::TWinConsole::keyArrived, &pump,
                         &qt::QtEventPump::wake);
    }
    QAction* item(const char* caption) { return form.itemAction(cp(caption)); }
    QAction* entry(const char* caption) { return form.entryAction(cp(caption)); }
};

TEST(MainWindow, MenuBarFollowsTheModel) {
    FormRig rig;
    const auto top = rig.form.menuBar()->actions();
    ASSERT_EQ(top.size(), 14);
    EXPECT_EQ(top.front()->text(), "Archivos");
    EXPECT_EQ(top[5]->text(), QString::fromUtf8("Diseño"));
    EXPECT_EQ(top.back()->text(), "Ayuda");
    EXPECT_EQ(rig.entry("Tramos")->menu(), nullptr);  // an item itself
    ASSERT_NE(rig.entry("Diseño")->menu(), nullptr);
    EXPECT_EQ(rig.entry("Diseño")->menu()->actions().size(), 7);
    const auto files = rig.entry("Archivos")->menu()->actions();
    ASSERT_EQ(files.size(), 5);
    EXPECT_EQ(files[3]->text(), "Entrar Archivo Swmm");
    EXPECT_EQ(files[4]->text(), "Entrar Red SIG");
    EXPECT_EQ(rig.item("Factor de Reduccion  Pluvial")->text(), "Factor de Reduccion  Pluvial");

    rig.menu.disableAll();
    EXPECT_TRUE(rig.entry("Archivos")->isEnabled());
    EXPECT_TRUE(rig.entry("Ayuda")->isEnabled());
    EXPECT_FALSE(rig.entry("Diseño")->isEnabled());
    EXPECT_FALSE(rig.entry("Tramos")->isEnabled());
    rig.menu.enableAll();
    EXPECT_TRUE(rig.entry("Tramos")->isEnabled());

    rig.menu.setItemVisible(cp("Caudales Sanitarios"), false);
    EXPECT_FALSE(rig.item("Caudales Sanitarios")->isVisible());
    rig.menu.setItemEnabled(cp("Empalmes Energia"), false);
    EXPECT_FALSE(rig.item("Empalmes Energia")->isEnabled());
    rig.menu.setEntryVisible(cp("Controles"), false);
    EXPECT_FALSE(rig.entry("Controles")->isVisible());
    rig.menu.setItemEnabled(cp("Tramos"), false);
    EXPECT_FALSE(rig.entry("Tramos")->isEnabled());
    // "Especificaciones" names an entry and an item of "List. Generales".
    rig.menu.setItemEnabled(cp("Especificaciones"), false);
    EXPECT_FALSE(rig.item("Especificaciones")->isEnabled());
    EXPECT_TRUE(rig.entry("Especificaciones")->isEnabled());
}

// On a laptop screen of 1366 x 768 every entry of the menu bar is seen, in the window as
// it opens without a window manager to maximise it (its own size), and maximised.
TEST(MainWindow, EveryMenuEntryIsSeenOnALaptopScreen) {
    ASSERT_GE(QGuiApplication::primaryScreen()->availableGeometry().width(), 1366);
    FormRig rig;
    auto everyEntryInside = [&rig](const char* how) {
        const QMenuBar* bar = rig.form.menuBar();
        for (QAction* a : bar->actions()) {
            if (!a->isVisible()) continue;
            const QRect r = bar->actionGeometry(a);
            EXPECT_FALSE(r.isEmpty()) << how << " " << a->text().toStdString();
            EXPECT_LE(r.right(), bar->width() - 1) << how << " " << a->text().toStdString();
        }
    };
    // Shown as the program shows it, before any event is processed.
    rig.form.show();
    everyEntryInside("own size");
    EXPECT_LE(rig.form.frameGeometry().width(), 1366);
    rig.form.resize(1366, 700);
    spin(20);
    everyEntryInside("1366");
    // The normal size of a restored window too.
    rig.form.fitToScreen(QSize(1366, 768));
    rig.form.showNormal();
    rig.form.resize(rig.form.sizeHint());
    spin(20);
    everyEntryInside("restored");
}

// The run first waits for a key on an empty screen: the status line asks for one, and
// goes once the key came.
TEST(MainWindow, FirstScreenAsksForAKey) {
    FormRig rig;
    rig.form.show();
    ASSERT_NE(rig.form.statusBar(), nullptr);
    EXPECT_TRUE(rig.form.statusBar()->isVisible());
    EXPECT_TRUE(rig.form.statusBar()->currentMessage().contains(QStringLiteral("tecla")))
        << rig.form.statusBar()->currentMessage().toStdString();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(&rig.form.consoleView(), &press);
    EXPECT_EQ(rig.console.readKey(), key::Enter);
    EXPECT_FALSE(rig.form.statusBar()->isVisible());
    EXPECT_TRUE(rig.form.statusBar()->currentMessage().isEmpty());
}

TEST(MainWindow, ChoosingAnItemHandsOverTheModelsItem) {
    FormRig rig;
    std::vector<std::pair<int, int>> chosen;
    rig.form.onMenuItem = [&chosen](const shell::MenuItem& item) {
        chosen.emplace_back(item.mainKey, item.subKey);
    };
    rig.item("Diseño del Proyecto")->trigger();
    rig.entry("Tramos")->trigger();
    rig.entry("Controles")->trigger();
    rig.item("Indice General Proyecto")->trigger();
    EXPECT_EQ(chosen,
              (std::vector<std::pair<int, int>>{{'5', 'A'}, {'2', 'A'}, {'3', 0}, {'Z', 'B'}}));
}

TEST(MainWindow, MenuChoiceWakesTheWaitingMainMenu) {
    FormRig rig;
    NullDesktop desktop;
    ui::MemorySettings settings;
    console::Screen screen(rig.console);
    shell::Session session{rig.switches, rig.console, screen, rig.ui, desktop, settings, rig.menu};
    rig.form.onMenuItem = [&session](const shell::MenuItem& item) {
        shell::MenuItemChosen(session, item);
    };
    rig.switches.atMainMenu = true;
    QTimer::singleShot(20, [&rig] { rig.item("Calculo Cantidades Obra")->trigger(); });
    EXPECT_EQ(rig.console.readKey(), '8');
    EXPECT_TRUE(rig.switches.menuKeyAccepted);
    EXPECT_EQ(rig.console.takeKey(), std::optional<uint8_t>('B'));
}

TEST(MainWindow, CaptionComesFromTheConsole) {
    FormRig rig;
    rig.console.setCaption(cp("NIVEX - VERSION: 20.12"));
    EXPECT_EQ(rig.form.windowTitle(), "NIVEX - VERSION: 20.12");
}

TEST(MainWindow, ClosingAsksAndOnlyAYesLeaves) {
    FormRig rig;
    int asked = 0, left = 0;
    bool answer = false;
    rig.form.confirmClose = [&] {
        ++asked;
        return answer;
    };
    rig.form.onLeave = [&left] { ++left; };
    rig.form.show();

    EXPECT_FALSE(rig.form.close());
    EXPECT_TRUE(rig.form.isVisible());
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(left, 0);

    answer = true;
    rig.form.close();
    EXPECT_EQ(left, 1);
    EXPECT_TRUE(rig.form.isVisible());  // the program unwinds first
    rig.form.close();
    EXPECT_EQ(asked, 2);  // asked once only
}

TEST(MainWindow, ConfirmedCloseEndsTheWaitingRead) {
    FormRig rig;
    rig.form.confirmClose = [] { return true; };
    rig.form.onLeave = [&rig] { rig.pump.requestExit(); };
    QTimer::singleShot(20, [&rig] { rig.form.close(); });
    EXPECT_THROW(rig.console.readKey(), console::ProgramExit);
    EXPECT_THROW(rig.console.keyPressed(), console::ProgramExit);  // and every later wait
    EXPECT_THROW(rig.console.delay(1), console::ProgramExit);
}

TEST(MainWindow, MaximisingUsesTheFullFontSize) {
    FormRig rig;
    rig.form.fitToScreen(QSize(1600, 900));
    const int full = rig.form.fullFontSize();
    EXPECT_EQ(rig.form.normalFontSize(), std::max(1, static_cast<int>(std::lround(full * 0.65))));
    rig.form.showNormal();
    EXPECT_EQ(rig.console.fontSize(), rig.form.normalFontSize());
    rig.form.setWindowState(Qt::WindowMaximized);
    spin(20);
    EXPECT_EQ(rig.console.fontSize(), full);
    rig.form.setWindowState(Qt::WindowNoState);
    spin(20);
    EXPECT_EQ(rig.console.fontSize(), rig.form.normalFontSize());
}

// ---- waiting ----

TEST(EventPump, ReadWaitsForAKeyTypedInTheConsole) {
    FormRig rig;
    QTimer::singleShot(30, [&rig] {
        QKeyEvent e(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, "b");
        QApplication::sendEvent(&rig.form.consoleView(), &e);
    });
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(rig.console.readKey(), 'b');
    EXPECT_GE(clock.elapsed(), 25);
}

TEST(EventPump, AFontChangeWakesTheWaitingRead) {
    FormRig rig;
    QTimer::singleShot(10, [&rig] { rig.console.setFontSize(10); });
    QTimer::singleShot(40, [&rig] { rig.console.pushKey(key::Esc); });
    EXPECT_EQ(rig.console.readKey(), key::None);  // the reader skips it and reads again
    EXPECT_EQ(rig.console.readKey(), key::Esc);
}

TEST(EventPump, DelaySleepsButKeepsTheWindowAlive) {
    FormRig rig;
    bool ran = false;
    QTimer::singleShot(5, [&ran] { ran = true; });
    QElapsedTimer clock;
    clock.start();
    rig.console.delay(60);
    EXPECT_GE(clock.elapsed(), 55);
    EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace nivex::testing
