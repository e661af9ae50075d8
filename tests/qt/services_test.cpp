// The desktop program's services: message boxes, the settings store, the listing font,
// documents and the single running copy.

#include <gtest/gtest.h>

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "console/codepage.h"
#include "qt/qt_desktop.h"
#include "qt/qt_settings.h"
#include "qt/qt_ui.h"
#include "qt/single_instance.h"
#include "qt_rig.h"

namespace nivex::testing {
namespace {

struct SeenBox {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    QStringList captions;  // of the buttons, mnemonics left out
};

// Answers the next modal message box with `act` once it is up.
void answerBox(SeenBox& seen, std::function<void(QMessageBox&)> act) {
    QTimer::singleShot(0, [&seen, act] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            answerBox(seen, act);
            return;
        }
        QStringList captions;
        for (QAbstractButton* b : box->buttons())
            captions << b->text().remove(QLatin1Char('&'));
        captions.sort();
        seen = {box->windowTitle(), box->text(), box->icon(),
                static_cast<int>(box->buttons().size()), captions};
        act(*box);
    });
}

void press(QMessageBox::StandardButton which, QMessageBox& box) {
    box.button(which)->click();
}

void escape(QMessageBox& box) {
    QKeyEvent e(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&box, &e);
}

TEST(MessageBoxes, ShowTheTextWithItsLineBreaksAndCaption) {
    qt::QtUi ui;
    SeenBox seen;
    answerBox(seen, [](QMessageBox& b) { press(QMessageBox::Ok, b); });
    EXPECT_EQ(ui.showError(cp("Falta el archivo\rDiseño"), "Error Fatal"), 'S');
    EXPECT_EQ(seen.title, "Error Fatal");
    EXPECT_EQ(seen.text, QString::fromUtf8("Falta el archivo\nDiseño"));
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.buttons, 1);
    EXPECT_EQ(seen.captions, QStringList{"Aceptar"});

    answerBox(seen, [](QMessageBox& b) { press(QMessageBox::Ok, b); });
    EXPECT_EQ(ui.showWarning("Uno\r\nDos", ""), 'S');
    EXPECT_EQ(seen.text, "Uno\nDos");
    EXPECT_EQ(seen.icon, QMessageBox::Warning);

    answerBox(seen, [](QMessageBox& b) { press(QMessageBox::Ok, b); });
    ui.showInformation("Nota", "Acerca de");
    EXPECT_EQ(seen.icon, QMessageBox::Information);
}

// The modules tell of a finished step ("Realizado el Calculo del Presupuesto") through the
// warning box with the caption "Informacion": it shows the information sign; a warning
// keeps the warning sign.
TEST(MessageBoxes, InformationCaptionsShowTheInformationSign) {
    qt::QtUi ui;
    SeenBox seen;
    for (const char* caption : {"Informacion", "Información", "Informe"}) {
        answerBox(seen, [](QMessageBox& b) { press(QMessageBox::Ok, b); });
        EXPECT_EQ(ui.showWarning(cp("Realizado el Calculo del Presupuesto"), cp(caption)), 'S');
        EXPECT_EQ(seen.icon, QMessageBox::Information) << caption;
    }
    for (const char* caption : {"Advertencia", "Error", ""}) {
        answerBox(seen, [](QMessageBox& b) { press(QMessageBox::Ok, b); });
        ui.showWarning("No hay nada para imprimir en el rango seleccionado", caption);
        EXPECT_EQ(seen.icon, QMessageBox::Warning) << caption;
    }
}

TEST(MessageBoxes, QuestionsAnswerSNOrC) {
    qt::QtUi ui;
    SeenBox seen;
    answerBox(seen, [](QMessageBox& b) { press(QMessageBox::Yes, b); });
    EXPECT_EQ(ui.askYesNo("Desea abandonar ahora ?", "Salir del Programa"), 'S');
    EXPECT_EQ(seen.buttons, 2);
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    answerBox(seen, [](QMessageBox& b) { press(QMessageBox::No, b); });
    EXPECT_EQ(ui.askYesNo("?", ""), 'N');
    answerBox(seen, escape);
    EXPECT_EQ(ui.askYesNo("?", ""), 'N');

    answerBox(seen, [](QMessageBox& b) { press(QMessageBox::Yes, b); });
    EXPECT_EQ(ui.askYesNoCancel("?", ""), 'S');
    EXPECT_EQ(seen.buttons, 3);
    // Spanish whatever translations the system has.
    EXPECT_EQ(seen.captions, (QStringList{"Cancelar", "No", QString::fromUtf8("Sí")}));
    answerBox(seen, [](QMessageBox& b) { press(QMessageBox::No, b); });
    EXPECT_EQ(ui.askYesNoCancel("?", ""), 'N');
    answerBox(seen, escape);
    EXPECT_EQ(ui.askYesNoCancel("?", ""), 'C');
}

// ---- settings ----

TEST(SettingsStore, ValueNamesIgnoreLetterCase) {
    QTemporaryDir dir;
    const QString file = dir.filePath("nivex.ini");
    {
        qt::QtSettingsStore store(file);
        EXPECT_EQ(store.read("\\Nivex", "sProyDir"), "");
        store.write("\\Nivex", "sSWMMdir", "C:\\00 Archivos Swmm");
        EXPECT_EQ(store.read("\\Nivex", "sSwmmDir"), "C:\\00 Archivos Swmm");
        store.write("\\Nivex", "sSwmmDir", "D:\\otra");
        EXPECT_EQ(store.read("\\Nivex", "SSWMMDIR"), "D:\\otra");
        store.write("\\Nivex", "sWordDir", "/home/ana/Diseño");
        EXPECT_EQ(store.read("\\Nivex", "sProyDir"), "");
        EXPECT_EQ(store.read("\\Otro", "sSwmmDir"), "");
    }
    QSettings raw(file, QSettings::IniFormat);
    raw.beginGroup("Nivex");
    EXPECT_EQ(raw.childKeys().size(), 2);  // one value per name
    raw.endGroup();

    // Folder values are native text and come back unchanged, accents included.
    qt::QtSettingsStore again(file);
    EXPECT_EQ(again.read("\\Nivex", "swordDIR"), "/home/ana/Diseño");
}

TEST(SettingsStore, DeleteRemovesTheWholeKeyOnly) {
    QTemporaryDir dir;
    qt::QtSettingsStore store(dir.filePath("nivex.ini"));
    store.write("\\Nivex", "sProyDir", "a");
    store.write("\\Nivex", "sWordDir", "b");
    store.write("\\Otro", "x", "c");
    EXPECT_TRUE(store.deleteAll("\\Nivex"));
    EXPECT_EQ(store.read("\\Nivex", "sProyDir"), "");
    EXPECT_EQ(store.read("\\Nivex", "sWordDir"), "");
    EXPECT_EQ(store.read("\\Otro", "x"), "c");
    EXPECT_TRUE(store.deleteAll("\\Nivex"));  // a missing key deletes fine
    store.write("\\Nivex", "sProyDir", "d");
    EXPECT_EQ(store.read("\\Nivex", "sProyDir"), "d");
}

// ---- desktop ----

TEST(Desktop, ListingFontAnswersForCourierDos) {
    QTemporaryDir dir;
    const QString font = dir.filePath("Nivex.TTF");
    ASSERT_TRUE(QFile::copy("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf", font));
    qt::QtDesktop desktop;
    EXPECT_FALSE(desktop.registerListingFont(dir.filePath("missing.TTF").toStdString()));
    ASSERT_TRUE(desktop.registerListingFont(font.toStdString()));
    ASSERT_TRUE(desktop.registerListingFont(font.toStdString()));  // a second run's start

    QFont face(QString::fromLatin1(qt::kListingFace));
    EXPECT_EQ(QFontInfo(face).family(), "DejaVu Sans Mono");
    EXPECT_TRUE(QFontInfo(face).fixedPitch());
}

TEST(Desktop, OpeningAMissingDocumentSaysSo) {
    QTemporaryDir dir;
    qt::QtDesktop desktop;
    EXPECT_EQ(desktop.openDocument(dir.filePath("Nivex.pdf").toStdString()),
              ui::OpenResult::FileMissing);
}

// ---- single copy ----

TEST(SingleInstance, ALaterStartFindsTheRunningCopy) {
    const QString name = QStringLiteral("nivextest%1").arg(QCoreApplication::applicationPid());
    qt::SingleInstance first(name);
    ASSERT_TRUE(first.becomePrimary());
    int asked = 0;
    QObject::connect(&first, &qt::SingleInstance::activationRequested, [&asked] { ++asked; });

    qt::SingleInstance second(name);
    EXPECT_FALSE(second.becomePrimary());
    for (int i = 0; i < 50 && asked == 0; ++i)
        spin(10);
    EXPECT_EQ(asked, 1);
}

TEST(SingleInstance, AStaleSocketIsTakenOver) {
    const QString name = QStringLiteral("nivexstale%1").arg(QCoreApplication::applicationPid());
    {
        qt::SingleInstance crashed(name);
        ASSERT_TRUE(crashed.becomePrimary());
    }
    qt::SingleInstance next(name);
    EXPECT_TRUE(next.becomePrimary());
}

TEST(SingleInstance, NameIsTheExecutableCutBeforeItsFirstDot) {
    EXPECT_EQ(qt::SingleInstance::baseNameOf("/usr/local/bin/nivex"), "nivex");
    EXPECT_EQ(qt::SingleInstance::baseNameOf("C:/Programas/Nivex.exe"), "Nivex");
    EXPECT_EQ(qt::SingleInstance::baseNameOf("./nivex.20.12.bin"), "nivex");
}

}  // namespace
}  // namespace nivex::testing
