// The general configuration dialog: its controls and captions, clicks reaching the
// model, the text fields, and how "Aceptar" and the close button end it.

#include "qt/config_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "console/screen.h"
#include "project/configuration.h"
#include "project/project_selection.h"
#include "qt/qt_text.h"
#include "qt_rig.h"
#include "shell/session.h"
#include "ui/settings_store.h"

namespace nivex::testing {
namespace {

using project::Box;
using project::Group;
using project::Text;

// A run's session with a new project "AB1" accepted in a temporary folder.
struct ConfigRig {
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

    ConfigRig() {
        session.folders.start = startDir.toStdString();
        session.folders.project = dir.path().toStdString();
        session.folders.swmm = dir.path().toStdString() + "/swmm";
        project::ProjectSelection selection(session, session.project);
        EXPECT_EQ(selection.List(dir.path().toStdString()), project::ListOutcome::Listed);
        ui.answers = {'S'};
        EXPECT_EQ(selection.Accept({"AB", "1", "1"}), 'S');
        ui.boxes.clear();
    }
    ~ConfigRig() { QDir::setCurrent(startDir); }
};

void whenShown(qt::QtConfigurationDialog& dialog, std::function<void(qt::TGenForm1&)> act) {
    dialog.onCreated = [act](qt::TGenForm1& form) {
        QTimer::singleShot(0, &form, [&form, act] { act(form); });
    };
}

void press(QWidget* w, int key, const QString& text = {}) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &up);
}

// On a laptop screen of 1366 x 768 and on 1280 x 1024 the dialog shows all of itself
// without scrolling, and no caption, item or group title is cut.
TEST(ConfigDialog, FitsTheScreenWithEveryTextWhole) {
    ConfigRig rig;
    project::Configuration configuration(rig.session);
    qt::TGenForm1 form(rig.session, configuration);
    for (QSize screen : {QSize(1366, 768), QSize(1280, 1024)}) {
        const std::string what =
            std::to_string(screen.width()) + "x" + std::to_string(screen.height());
        form.fitTo(screen);
        form.show();
        spin(20);
        // Room left for the window system's frame and task bar.
        EXPECT_LE(form.width(), screen.width() - 40) << what;
        EXPECT_LE(form.height(), screen.height() - 80) << what;
        EXPECT_FALSE(form.scrollArea()->horizontalScrollBar()->isVisible()) << what;
        EXPECT_FALSE(form.scrollArea()->verticalScrollBar()->isVisible()) << what;

        const QWidget* viewport = form.scrollArea()->viewport();
        const QRect seen = viewport->rect();
        auto inSight = [&](const QWidget* w) {
            const QRect r(w->mapTo(viewport, QPoint(0, 0)), w->size());
            return seen.contains(r);
        };
        for (const QAbstractButton* b :
             form.scrollArea()->widget()->findChildren<QAbstractButton*>()) {
            const std::string name = what + " " + b->objectName().toStdString();
            EXPECT_LE(b->sizeHint().width(), b->width()) << name;
            EXPECT_LE(b->sizeHint().height(), b->height()) << name;
            EXPECT_TRUE(inSight(b)) << name;
        }
        for (const QGroupBox* g : form.findChildren<QGroupBox*>()) {
            const std::string name = what + " " + g->objectName().toStdString();
            EXPECT_LE(QFontMetrics(g->font()).horizontalAdvance(g->title()) + 16, g->width())
                << name;
            EXPECT_TRUE(inSight(g)) << name;
        }
        for (const QLabel* l : form.findChildren<QLabel*>())
            EXPECT_LE(l->sizeHint().width(), l->width()) << what << " " << l->text().toStdString();
        for (const QWidget* w : {static_cast<QWidget*>(form.acceptButton()),
                                 static_cast<QWidget*>(form.exploreButton())})
            EXPECT_TRUE(form.rect().contains(QRect(w->mapTo(&form, QPoint(0, 0)), w->size())));
    }
    // The long captions keep every word, only broken into lines.
    EXPECT_EQ(form.checkBox(Box::Critical)
                  ->text()
                  .replace(QLatin1Char('\n'), QLatin1Char(' '))
                  .simplified(),
              QString::fromLatin1("Evitar Flujo Critico (Entre N. Froude > 0.90  y  N. Froude < "
                                  "1.10) - Cuando y/D > 0.70 ")
                  .simplified());
    EXPECT_TRUE(form.checkBox(Box::Critical)->text().contains(QLatin1String("0.90  y  N.")));
}

TEST(ConfigDialog, ShowsEveryControlWithItsCaptionAndTheStoredState) {
    ConfigRig rig;
    project::Configuration configuration(rig.session);
    qt::TGenForm1 form(rig.session, configuration);
    EXPECT_EQ(form.windowTitle(), "Configuracion General del Proyecto");
    const std::vector<std::pair<const char*, int>> groups{
        {"RadioGroup1", 9},  {"RadioGroup2", 2}, {"RadioGroup3", 3}, {"RadioGroup5", 7},
        {"RadioGroup6", 6},  {"RadioGroup8", 3}, {"RadioGroup9", 2}, {"RadioGroup10", 3},
        {"RadioGroup11", 2}, {"GroupBox1", 0},   {"GroupBox2", 0}};
    for (const auto& [name, items] : groups) {
        auto* group = form.findChild<QGroupBox*>(name);
        ASSERT_NE(group, nullptr) << name;
        EXPECT_EQ(group->findChildren<QRadioButton*>().size(), items) << name;
    }
    EXPECT_EQ(form.radioGroup(Group::Class)->title(), QString::fromUtf8("Clase Diseño"));
    EXPECT_EQ(form.radioItem(Group::Class, 3)->text(), "Pluvial        (Metodo Racional)");
    EXPECT_EQ(form.radioGroup(Group::Method)->title(), QString::fromUtf8("Metodo de diseño"));
    EXPECT_EQ(form.radioItem(Group::Method, 0)->text(), "Estandar");
    EXPECT_EQ(form.radioItem(Group::Method, 1)->text(), "Costo minimo");
    EXPECT_EQ(form.findChild<QGroupBox*>("GroupBox1")->findChildren<QCheckBox*>().size(), 5);
    for (const char* name : {"CheckBox1", "CheckBox2", "CheckBox3", "CheckBox4", "CheckBox5",
                             "CheckBox8", "CheckBox9"})
        EXPECT_NE(form.findChild<QCheckBox*>(name), nullptr) << name;
    EXPECT_EQ(form.checkBox(Box::Energy)->text(), "Activar Empalmes Energia");
    for (const char* name : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit6", "Edit7", "Edit8"})
        EXPECT_NE(form.findChild<QLineEdit*>(name), nullptr) << name;
    EXPECT_EQ(form.textField(Text::Consultant)->objectName(), "Edit4");
    EXPECT_EQ(form.textField(Text::Consultant)->maxLength(), 35);
    EXPECT_EQ(form.acceptButton()->text(), "Aceptar");
    EXPECT_EQ(form.exploreButton()->text(), "Explorar");

    EXPECT_EQ(form.textField(Text::Project)->text(), "Proyecto Nuevo");
    EXPECT_EQ(form.swmmFolderField()->text().toStdString(), rig.session.folders.swmm);
    EXPECT_TRUE(form.radioItem(Group::Class, 1)->isChecked());
    EXPECT_TRUE(form.radioItem(Group::Minimum, 5)->isChecked());
    EXPECT_TRUE(form.radioItem(Group::Method, 0)->isChecked()) << "a new project: standard";
    EXPECT_TRUE(form.checkBox(Box::Tractive)->isChecked());
    EXPECT_FALSE(form.checkBox(Box::Energy)->isChecked());
}

TEST(ConfigDialog, ClicksAndTypingReachTheModel) {
    ConfigRig rig;
    project::Configuration configuration(rig.session);
    qt::TGenForm1 form(rig.session, configuration);
    form.show();

    form.radioItem(Group::Peak, 2)->click();
    EXPECT_EQ(configuration.group(Group::Peak).item, 2);
    EXPECT_EQ(rig.session.project.espec.PeakMethod, 2);

    form.radioItem(Group::Class, 6)->click();
    EXPECT_FALSE(form.radioGroup(Group::Swmm)->isEnabled());
    EXPECT_TRUE(form.checkBox(Box::SlopePerDiameter)->isChecked());
    EXPECT_FALSE(form.checkBox(Box::Tractive)->isChecked());
    EXPECT_FALSE(form.checkBox(Box::FullVelocity)->isEnabled());

    QLineEdit* country = form.textField(Text::Country);
    country->setFocus();
    press(country, Qt::Key_C, "c");
    press(country, Qt::Key_O, "o");
    EXPECT_EQ(country->text(), "CO");
    EXPECT_EQ(configuration.text(Text::Country), "CO");
    press(country, Qt::Key_Return);
    EXPECT_EQ(form.focusWidget(), form.textField(Text::Entity));
    press(form.textField(Text::Entity), Qt::Key_Up);
    EXPECT_EQ(form.focusWidget(), country);

    form.chooseSwmmFile = [] { return std::string("/modelos/cuenca/red.inp"); };
    form.exploreButton()->click();
    EXPECT_EQ(form.swmmFolderField()->text(), "/modelos/cuenca");
    EXPECT_EQ(rig.session.folders.swmm, "/modelos/cuenca");
    EXPECT_EQ(rig.settings.read("\\Nivex", "sSWMMdir"), "/modelos/cuenca");
}

TEST(ConfigDialog, AceptarClosesUnlessASelfCleansingCriterionIsMissing) {
    ConfigRig rig;
    qt::QtConfigurationDialog dialog(rig.session);
    bool stayed = false;
    whenShown(dialog, [&](qt::TGenForm1& form) {
        form.checkBox(Box::Tractive)->click();  // the only criterion checked
        form.acceptButton()->click();
        stayed = form.isVisible();
        form.close();  // the close button is refused the same way
        stayed = stayed && form.isVisible();
        form.checkBox(Box::RealVelocity)->click();
        form.acceptButton()->click();
    });
    project::Configuration configuration(rig.session);
    dialog.run(configuration);
    EXPECT_TRUE(stayed);
    EXPECT_TRUE(configuration.finished());
    ASSERT_GE(rig.ui.boxes.size(), 2u);
    EXPECT_EQ(rig.ui.boxes[0].message,
              "Debe seleccionar por lo menos una opcion de control de Autolimpieza");
    EXPECT_FLOAT_EQ(rig.session.project.espec.SanMinRealVelocity, 0.30f);
}

TEST(ConfigDialog, TheDesignMethodIsKeptByAceptar) {
    ConfigRig rig;
    qt::QtConfigurationDialog dialog(rig.session);
    whenShown(dialog, [&](qt::TGenForm1& form) {
        form.radioItem(Group::Method, 1)->click();
        form.acceptButton()->click();
    });
    {
        project::Configuration configuration(rig.session);
        dialog.run(configuration);
        EXPECT_TRUE(configuration.finished());
    }
    EXPECT_TRUE(shell::LeastCostMethod(rig.session.project.header));
    project::Configuration reopened(rig.session);
    qt::TGenForm1 form(rig.session, reopened);
    EXPECT_TRUE(form.radioItem(Group::Method, 1)->isChecked());
    EXPECT_FALSE(form.radioItem(Group::Method, 0)->isChecked());
}

TEST(ConfigDialog, TheCloseButtonEndsAnUnchangedDialog) {
    ConfigRig rig;
    qt::QtConfigurationDialog dialog(rig.session);
    bool closed = false;
    whenShown(dialog, [&](qt::TGenForm1& form) {
        press(&form, Qt::Key_Escape);
        closed = !form.isVisible();
        if (!closed) form.acceptButton()->click();  // do not hang the test
    });
    project::Configuration configuration(rig.session);
    dialog.run(configuration);
    EXPECT_TRUE(closed);
    EXPECT_TRUE(rig.ui.boxes.empty());
}

}  // namespace
}  // namespace nivex::testing
