// Qt's own dialogs speak Spanish once the program has loaded Qt's translations.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QTranslator>

#include "qt/spanish_translations.h"

namespace nivex::testing {
namespace {

// The translators the program installed, taken out again so that the other tests see Qt
// as they found it.
struct TranslatorsInstalled {
    bool installed = qt::InstallSpanishTranslations(*qApp);
    ~TranslatorsInstalled() {
        for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(t);
            delete t;
        }
    }
};

QStringList texts(const QWidget& w) {
    QStringList all{w.windowTitle()};
    for (const QLabel* l : w.findChildren<QLabel*>())
        all << l->text().remove(QLatin1Char('&'));
    for (const QAbstractButton* b : w.findChildren<QAbstractButton*>())
        all << b->text().remove(QLatin1Char('&')) << b->toolTip();
    all.removeAll(QString());
    return all;
}

// The "Grabar" dialog of the viewer and the folder and file dialogs are Qt's own: their
// captions, labels and buttons come from Qt's catalogue.
TEST(SpanishDialogs, FileDialogsReadSpanish) {
    TranslatorsInstalled spanish;
    ASSERT_TRUE(spanish.installed) << "Qt's Spanish translations are not installed";

    QFileDialog save;
    save.setOption(QFileDialog::DontUseNativeDialog);
    save.setAcceptMode(QFileDialog::AcceptSave);
    const QStringList saveTexts = texts(save);
    EXPECT_EQ(save.windowTitle(), QStringLiteral("Guardar como"));
    EXPECT_TRUE(saveTexts.contains(QStringLiteral("Guardar")))
        << saveTexts.join(" | ").toStdString();
    EXPECT_TRUE(saveTexts.contains(QStringLiteral("Cancelar")));
    for (const char* english : {"Save As", "Look in:", "File name:", "Files of type:", "Cancel",
                                "Save", "Back", "Create New Folder"})
        EXPECT_FALSE(saveTexts.contains(QLatin1String(english))) << english;

    QFileDialog open;
    open.setOption(QFileDialog::DontUseNativeDialog);
    open.setAcceptMode(QFileDialog::AcceptOpen);
    const QStringList openTexts = texts(open);
    EXPECT_TRUE(openTexts.contains(QStringLiteral("Abrir"))) << openTexts.join(" | ").toStdString();
    EXPECT_FALSE(openTexts.contains(QStringLiteral("Open")));
}

}  // namespace
}  // namespace nivex::testing
