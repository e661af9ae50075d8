// The project selection dialog: what it lists, how its fields take keys and follow the
// sector, and how "Aceptar", "Terminar", Esc and "Explorar..." end or keep it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>

#include "console/screen.h"
#include "project/project_selection.h"
#include "qt/project_dialog.h"
#include "qt_rig.h"
#include "shell/session.h"
#include "ui/settings_store.h"

namespace nivex::testing {
namespace {

namespace fs = std::filesystem;

// A run's session over a temporary project folder.
struct DialogRig {
    QTemporaryDir dir;
    QString startDir = QDir::currentPath();
    UiSwitches switches;
    ScriptedUi ui;
    console::Console console{switches, ui};
    console::Screen screen{console};
    NullDesktop desktop;
    ui::MemorySettings settings;
    shell::MenuBarModel menu;
    shell::Session session{switches, console, screen, ui, desktop, settings, menu};
    project::ProjectSelection selection{session, session.project};

    DialogRig() {
        session.folders.start = startDir.toStdString();
        session.folders.project = base();
    }
    // Accepting makes the project folder current; the temporary folder must not stay so.
    ~DialogRig() { QDir::setCurrent(startDir); }

    std::string base() const { return dir.path().toStdString(); }

    // Creates a sector as the selection does, answering yes to its confirmation.
    void create(const std::string& code, const std::string& sector) {
        ASSERT_EQ(selection.List(base()), project::ListOutcome::Listed);
        ui.answers = {'S'};
        ASSERT_EQ(selection.Accept({code, sector, "1"}), 'S');
        ui.boxes.clear();
    }
};

void type(QWidget* w, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

void typeText(QLineEdit* edit, const QString& text) {
    for (QChar c : text)
        type(edit, c.isLetter() ? Qt::Key_A + (c.toUpper().unicode() - 'A') : c.unicode(),
             QString(c));
}

void clickLine(QListWidget* list, int row) {
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QWidget* port = list->viewport();
    const QPointF global(port->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(port, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), global, Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(port, &release);
}

QStringList shownLines(const QListWidget* list) {
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    return lines;
}

// Runs act once the dialog runs modally.
void whenShown(qt::QtProjectDialog& dialog, std::function<void(qt::TNivexForm1&)> act) {
    dialog.onCreated = [act](qt::TNivexForm1& form) {
        QTimer::singleShot(0, &form, [&form, act] { act(form); });
    };
}

void showActive(QWidget& w) {
    w.show();
    w.activateWindow();
    w.raise();
    spin(50);
}

TEST(ProjectDialog, ListsTheProjectsAndFillsTheFieldsFromALine) {
    DialogRig rig;
    rig.create("AB", "1");
    rig.create("AB", "2");

    qt::TNivexForm1 form(rig.session, rig.selection);
    ASSERT_TRUE(form.load());
    showActive(form);

    EXPECT_EQ(form.dirName()->text().toStdString(), rig.selection.baseFolder());
    EXPECT_TRUE(form.dirName()->isReadOnly());
    const QStringList lines = shownLines(form.list());
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], "AB1 - Proyecto Nuevo SECTOR # 1");
    EXPECT_EQ(lines[1], "AB2 - Proyecto Nuevo SECTOR # 2");
    EXPECT_EQ(lines[2], "AB0 - Proyecto Nuevo TOTAL");

    // The first line is chosen from the start.
    EXPECT_EQ(form.codeField()->text(), "AB");
    EXPECT_EQ(form.sectorField()->text(), "1");
    EXPECT_EQ(form.countField()->text(), "1");

    clickLine(form.list(), 2);  // the totaliser: sector 0 with its count, open to change
    EXPECT_EQ(form.sectorField()->text(), "0");
    EXPECT_EQ(form.countField()->text(), "2");
    EXPECT_FALSE(form.countField()->isReadOnly());

    clickLine(form.list(), 1);
    EXPECT_EQ(form.codeField()->text(), "AB");
    EXPECT_EQ(form.sectorField()->text(), "2");
    EXPECT_EQ(form.countField()->text(), "1");
    EXPECT_TRUE(form.countField()->isReadOnly());
}

TEST(ProjectDialog, FieldsTakeOnlyTheirKeys) {
    DialogRig rig;
    qt::TNivexForm1 form(rig.session, rig.selection);
    ASSERT_TRUE(form.load());
    EXPECT_EQ(form.list()->count(), 0);

    QLineEdit* code = form.codeField();
    typeText(code, "a1b");
    EXPECT_EQ(code->text(), "AB");
    typeText(code, "c");  // two letters at most
    EXPECT_EQ(code->text(), "AB");
    type(code, Qt::Key_Backspace);
    EXPECT_EQ(code->text(), "A");
    typeText(code, QString::fromUtf8("ñ-"));
    EXPECT_EQ(code->text(), "A");

    QLineEdit* sector = form.sectorField();
    typeText(sector, "x 3");
    EXPECT_EQ(sector->text(), "3");

    // Enter never presses a button of the dialog.
    type(sector, Qt::Key_Return);
    EXPECT_FALSE(form.result() == QDialog::Accepted);
    EXPECT_TRUE(rig.ui.boxes.empty());
}

TEST(ProjectDialog, TheCountFollowsTheSectorAndTheFocusMovesByEnterUpAndDown) {
    DialogRig rig;
    qt::TNivexForm1 form(rig.session, rig.selection);
    ASSERT_TRUE(form.load());
    showActive(form);
    ASSERT_TRUE(form.isActiveWindow());
    QLineEdit* code = form.codeField();
    QLineEdit* sector = form.sectorField();
    QLineEdit* count = form.countField();

    code->setFocus();
    type(code, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), sector);
    sector->setText("0");
    count->setText("");
    type(sector, Qt::Key_Down);  // sector 0 opens the count and hands it the focus
    EXPECT_EQ(QApplication::focusWidget(), count);
    EXPECT_FALSE(count->isReadOnly());
    typeText(count, "3");
    EXPECT_EQ(count->text(), "3");
    type(count, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), code);
    type(code, Qt::Key_Up);
    EXPECT_EQ(QApplication::focusWidget(), count);
    type(count, Qt::Key_Up);
    EXPECT_EQ(QApplication::focusWidget(), sector);

    // Any other sector sets the count to 1 and closes it, however the field is left.
    sector->setText("2");
    code->setFocus(Qt::MouseFocusReason);
    spin(10);
    EXPECT_EQ(count->text(), "1");
    EXPECT_TRUE(count->isReadOnly());
    typeText(count, "5");
    EXPECT_EQ(count->text(), "1");

    sector->setFocus();
    sector->setText("0");
    type(sector, Qt::Key_Up);
    EXPECT_EQ(QApplication::focusWidget(), count);
    EXPECT_FALSE(count->isReadOnly());

    // Leaving with the mouse: the focus comes back to the open count.
    sector->setFocus();
    form.exploreButton()->setFocus(Qt::MouseFocusReason);
    spin(10);
    EXPECT_EQ(QApplication::focusWidget(), count);
}

TEST(ProjectDialog, AcceptingANewProjectEndsTheRunWithTheProjectCreated) {
    DialogRig rig;
    qt::QtProjectDialog dialog(rig.session);
    rig.ui.answers = {'S'};
    whenShown(dialog, [](qt::TNivexForm1& form) {
        form.codeField()->setText("CD");
        form.sectorField()->setText("1");
        form.countField()->setText("1");
        form.acceptButton()->click();
    });
    EXPECT_TRUE(dialog.run(rig.selection));
    EXPECT_TRUE(fs::exists(fs::path(rig.base()) / "CD-Proyecto Nuevo" / "XSDA.CD1"));
}

TEST(ProjectDialog, ARefusalKeepsTheDialogOpenOnTheCode) {
    DialogRig rig;
    qt::QtProjectDialog dialog(rig.session);
    rig.ui.answers = {'N', 'S'};  // no to the confirmation, then yes to leaving
    bool stayed = false, focusOnCode = false;
    whenShown(dialog, [&](qt::TNivexForm1& form) {
        form.codeField()->setText("CD");
        form.sectorField()->setText("1");
        form.countField()->setText("1");
        form.acceptButton()->click();
        stayed = form.isVisible();
        focusOnCode = form.focusWidget() == form.codeField();
        form.terminateButton()->click();
    });
    EXPECT_FALSE(dialog.run(rig.selection));
    EXPECT_TRUE(stayed);
    EXPECT_TRUE(focusOnCode);
    EXPECT_FALSE(fs::exists(fs::path(rig.base()) / "CD-Proyecto Nuevo" / "XSDA.CD1"));
    ASSERT_NE(rig.ui.last(), nullptr);
    EXPECT_EQ(rig.ui.last()->caption, "Salir del Programa");
}

TEST(ProjectDialog, EscAndTheCloseButtonAskBeforeLeaving) {
    DialogRig rig;
    qt::QtProjectDialog dialog(rig.session);
    rig.ui.answers = {'N', 'N', 'S'};
    int questionsWhileOpen = 0;
    whenShown(dialog, [&](qt::TNivexForm1& form) {
        type(&form, Qt::Key_Escape);
        form.close();
        if (form.isVisible()) questionsWhileOpen = static_cast<int>(rig.ui.boxes.size());
        form.close();
    });
    EXPECT_FALSE(dialog.run(rig.selection));
    EXPECT_EQ(questionsWhileOpen, 2);
    EXPECT_EQ(rig.ui.boxes.size(), 3u);
}

TEST(ProjectDialog, AMissingFolderIsReportedAndAnotherCanBeExplored) {
    DialogRig rig;
    rig.create("AB", "1");
    rig.session.folders.project = rig.base() + "/no existe";
    qt::QtProjectDialog dialog(rig.session);
    rig.ui.answers = {'S'};
    int linesBefore = -1;
    QStringList linesAfter;
    QString shownFolder;
    whenShown(dialog, [&](qt::TNivexForm1& form) {
        linesBefore = form.list()->count();
        form.chooseFolder = [] { return std::string(); };  // cancelled: nothing changes
        form.exploreButton()->click();
        form.chooseFolder = [&rig] { return rig.base(); };
        form.exploreButton()->click();
        linesAfter = shownLines(form.list());
        shownFolder = form.dirName()->text();
        form.terminateButton()->click();
    });
    EXPECT_FALSE(dialog.run(rig.selection));
    ASSERT_FALSE(rig.ui.boxes.empty());
    EXPECT_EQ(rig.ui.boxes.front().kind, "error");
    EXPECT_EQ(rig.ui.boxes.front().message, "ERROR... No existe ese directorio");
    EXPECT_EQ(rig.ui.boxes.front().caption, "Error");
    EXPECT_EQ(std::count_if(rig.ui.boxes.begin(), rig.ui.boxes.end(),
                            [](const RecordedBox& b) { return b.kind == "error"; }),
              1);
    EXPECT_EQ(linesBefore, 0);
    EXPECT_EQ(linesAfter.size(), 2);
    EXPECT_TRUE(fs::equivalent(shownFolder.toStdString(), rig.base()));
}

TEST(ProjectDialog, DuplicatedCodesEndTheRunWithoutShowingTheDialog) {
    DialogRig rig;
    rig.create("AB", "1");
    const fs::path base(rig.base());
    fs::create_directory(base / "AB-Sur");
    fs::copy_file(base / "AB-Proyecto Nuevo" / "XSDA.AB1", base / "AB-Sur" / "XSDA.AB1");

    qt::QtProjectDialog dialog(rig.session);
    bool shown = false;
    dialog.onCreated = [&shown](qt::TNivexForm1&) { shown = true; };
    EXPECT_FALSE(dialog.run(rig.selection));
    EXPECT_FALSE(shown);
    ASSERT_NE(rig.ui.last(), nullptr);
    EXPECT_EQ(rig.ui.last()->caption, "Error de duplicacion");
}

}  // namespace
}  // namespace nivex::testing
