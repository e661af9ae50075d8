// The listing viewer window: its controls, the red text, the search, the size switch, the
// keys it lets through, saving, and how ShowListing opens it.

#include "qt/listing_viewer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "console/codepage.h"
#include "console/screen.h"
#include "qt/qt_desktop.h"
#include "qt_rig.h"
#include "shell/session.h"
#include "ui/settings_store.h"

namespace nivex::testing {
namespace {

using NoDesktop = nivex::testing::NullDesktop;

const std::string kBar(1, char(179));

// A listing page: header codes leading lines, one emphasised word inside a body line.
std::vector<std::string> PageLines() {
    const std::string m(10, ' ');
    const std::string rule = m + std::string(90, char(205));
    return {"",
            "\x1bG" + m + "PROYECTO :  Barrio Norte   HOJA No.1",
            rule,
            m + "******  LISTADO  ******",
            rule,
            "\x1bH" + m + "Tramo " + kBar + " Pozo",
            m + "A-1   " + kBar + " \x1bGP12*\x1bH falla",
            "\x1bG" + rule,
            "\x1bH\x13"};
}

struct ViewerRig {
    QTemporaryDir dir;
    QString startDir = QDir::currentPath();
    UiSwitches switches;
    ScriptedUi ui;
    console::Console console{switches, ui};
    console::Screen screen{console};
    NoDesktop desktop;
    ui::MemorySettings settings;
    shell::MenuBarModel menu;
    shell::Session session{switches, console, screen, ui, desktop, settings, menu};
    std::string listing = path("LPT");
    listings::ViewerModel model;

    explicit ViewerRig(const std::vector<std::string>& lines = PageLines()) {
        std::ofstream out(listing, std::ios::binary);
        for (const std::string& line : lines)
            out << line << "\r\n";
        out.close();
        model.Load(listing);
        session.viewerState.fileName = listing;
        session.folders.word = dir.path().toStdString();
        session.folders.swmm = dir.path().toStdString();
    }
    ~ViewerRig() { QDir::setCurrent(startDir); }

    std::string path(const char* name) const { return (dir.path() + '/' + name).toStdString(); }
};

void key(QWidget* w, int k, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& t = {}) {
    QKeyEvent press(QEvent::KeyPress, k, mods, t);
    QApplication::sendEvent(w, &press);
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ListingViewer, ControlsCaptionsAndTextInTheListingFont) {
    qt::QtDesktop desktop;
    const QString font = QCoreApplication::applicationDirPath() + "/Nivex.TTF";
    ASSERT_TRUE(desktop.registerListingFont(font.toStdString()));
    ViewerRig rig;
    rig.session.viewerState.lastSearch = "A-1 " + kBar;
    qt::TViewForm form(rig.session, rig.model);
    EXPECT_EQ(form.windowTitle(), "Visor de listados");
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(form.searchLabel()->text(), "Texto a Buscar:");
    EXPECT_EQ(form.searchBox()->text(), QString::fromUtf8("A-1 │"));
    const QStringList captions = {"Buscar", "Reducir", "Imprimir", "Grabar", "Cerrar"};
    QStringList seen;
    for (QPushButton* b : {form.searchButton(), form.sizeButton(), form.printButton(),
                           form.saveButton(), form.closeButton()})
        seen << b->text();
    EXPECT_EQ(seen, captions);

    form.resize(900, 500);
    form.show();
    spin(20);
    // "Cerrar" stands apart at the right edge.
    EXPECT_GT(form.closeButton()->x(), form.saveButton()->x() + form.saveButton()->width() + 50);
    EXPECT_EQ(QApplication::focusWidget(), form.searchBox());
    QTextEdit* text = form.text();
    EXPECT_EQ(QFontInfo(text->font()).family(), "DejaVu Sans Mono");
    EXPECT_EQ(QFontInfo(text->font()).pointSize(), 8);
    EXPECT_EQ(text->lineWrapMode(), QTextEdit::NoWrap);
    EXPECT_EQ(text->document()->blockCount(), static_cast<int>(rig.model.lines().size()));
    EXPECT_EQ(text->document()->findBlockByNumber(2).text(),
              "  " + QString(90, QChar(0x2550)) + "  ");
}

TEST(ListingViewer, OnlyTheInlineWordIsRed) {
    ViewerRig rig;
    qt::TViewForm form(rig.session, rig.model);
    QStringList red;
    for (QTextBlock block = form.text()->document()->begin(); block.isValid();
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.charFormat().foreground().color() == QColor(Qt::red)) red << f.text();
        }
    }
    EXPECT_EQ(red, QStringList{"P12"});
}

TEST(ListingViewer, SearchSelectsTheMatchMovesOnAndTellsWhenNotFound) {
    ViewerRig rig;
    qt::TViewForm form(rig.session, rig.model);
    form.show();
    spin(20);
    form.searchBox()->setText("|");
    form.searchButton()->click();
    QTextCursor cursor = form.text()->textCursor();
    EXPECT_EQ(cursor.selectedText(), QString::fromUtf8("│"));
    EXPECT_EQ(cursor.block().blockNumber(), 5);
    const int first = cursor.selectionStart();
    EXPECT_EQ(rig.session.viewerState.lastMatch, first + 1);

    // Ctrl+L repeats it from the next position, whatever has the focus.
    key(form.searchBox(), Qt::Key_L, Qt::ControlModifier);
    cursor = form.text()->textCursor();
    EXPECT_EQ(cursor.block().blockNumber(), 6);
    EXPECT_GT(cursor.selectionStart(), first);

    form.searchButton()->click();
    ASSERT_EQ(rig.ui.boxes.size(), 1u);
    EXPECT_EQ(rig.ui.boxes[0].kind, "info");
    EXPECT_EQ(rig.ui.boxes[0].message, "Texto no encontrado");
    EXPECT_EQ(rig.ui.boxes[0].caption, "Busqueda");
    EXPECT_EQ(rig.session.viewerState.lastMatch, 0);
    EXPECT_EQ(QApplication::focusWidget(), form.text());

    // An empty box searches nothing and says nothing.
    form.searchBox()->clear();
    key(form.text(), Qt::Key_L, Qt::ControlModifier);
    form.searchButton()->click();
    EXPECT_EQ(rig.ui.boxes.size(), 1u);
}

TEST(ListingViewer, ReducirAndAmpliarSwitchTheSize) {
    ViewerRig rig;
    qt::TViewForm form(rig.session, rig.model);
    form.sizeButton()->click();
    EXPECT_EQ(form.sizeButton()->text(), "Ampliar");
    EXPECT_EQ(form.text()->document()->defaultFont().pointSize(), 7);
    EXPECT_EQ(rig.session.viewerState.textSize, 7);
    form.sizeButton()->click();
    EXPECT_EQ(form.sizeButton()->text(), "Reducir");
    EXPECT_EQ(form.text()->document()->defaultFont().pointSize(), 8);
}

TEST(ListingViewer, CtrlKeysAreSwallowedButTheTextEndsAndEscapeCloses) {
    ViewerRig rig;
    qt::TViewForm form(rig.session, rig.model);
    form.show();
    key(form.text(), Qt::Key_A, Qt::ControlModifier, "\x01");
    EXPECT_FALSE(form.text()->textCursor().hasSelection());
    form.searchBox()->setText("abc");
    key(form.searchBox(), Qt::Key_A, Qt::ControlModifier, "\x01");
    EXPECT_FALSE(form.searchBox()->hasSelectedText());
    key(form.searchBox(), Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(form.searchBox()->text(), "abc");

    // Ctrl+End and Ctrl+Home move the text's caret even from the search box.
    key(form.searchBox(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(form.text()->textCursor().position(), form.text()->document()->characterCount() - 1);
    key(form.text(), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(form.text()->textCursor().position(), 0);

    key(form.text(), Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Rejected);
}

TEST(ListingViewer, GrabarWritesRichTextAndAsksBeforeReplacing) {
    ViewerRig rig;
    rig.session.viewerState.saveName = cp("Word - Barrio - Diseño/Tramos");
    QDir::setCurrent(QDir::tempPath());
    qt::TViewForm form(rig.session, rig.model);
    QString offeredFolder, offeredName;
    const std::string target = rig.path("listado");
    form.chooseSaveFile = [&](const QString& folder, const QString& name) {
        offeredFolder = folder;
        offeredName = name;
        return qt::TViewForm::SaveChoice{target, false};
    };
    form.show();
    form.saveButton()->click();
    EXPECT_EQ(QDir::currentPath(), rig.dir.path());
    EXPECT_EQ(offeredFolder, rig.dir.path());
    EXPECT_EQ(offeredName, "Word - Barrio - Diseño-Tramos");
    const std::string saved = readAll(target + ".rtf");
    EXPECT_NE(saved.find("{\\cf1 P12}"), std::string::npos);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_TRUE(rig.ui.boxes.empty());

    // An existing file is replaced only after Yes.
    std::ofstream(target + ".rtf") << "viejo";
    qt::TViewForm again(rig.session, rig.model);
    again.chooseSaveFile = form.chooseSaveFile;
    again.show();
    rig.ui.answers = {'N'};
    again.saveButton()->click();
    ASSERT_EQ(rig.ui.boxes.size(), 1u);
    EXPECT_EQ(rig.ui.boxes[0].kind, "yesnocancel");
    EXPECT_EQ(rig.ui.boxes[0].message, "Sobrescribir " + target + ".rtf ?");
    EXPECT_EQ(readAll(target + ".rtf"), "viejo");
    EXPECT_TRUE(again.isVisible());
    rig.ui.answers = {'S'};
    again.saveButton()->click();
    EXPECT_EQ(readAll(target + ".rtf"), saved);
    EXPECT_FALSE(again.isVisible());
}

TEST(ListingViewer, ShowListingSaysWhatItCannotShowAndSizesTheWindow) {
    std::vector<std::string> lines = PageLines();
    lines.resize(22);  // past the head lines that set the width
    lines.push_back(std::string(300, 'x') + char(129));
    lines.push_back(std::string(10, ' ') + "y" + char(129));
    ViewerRig rig(lines);
    rig.session.project.header.ProjectName = "Barrio Norte";
    rig.session.project.files.Build(rig.dir.path().toStdString(), "AB2");
    qt::QtListingViewer viewer(rig.session);
    int shown = 0;
    QSize size;
    viewer.onCreated = [&](qt::TViewForm& form) {
        ++shown;
        size = form.size();
        QTimer::singleShot(0, &form, &QDialog::reject);
    };
    viewer.ShowListing(rig.listing, "Tramos");
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(rig.session.viewerState.fileName, rig.listing);
    EXPECT_EQ(rig.session.viewerState.saveName, "Word - Barrio Norte - Sector#2 - Tramos");
    ASSERT_EQ(rig.ui.boxes.size(), 1u);
    EXPECT_EQ(rig.ui.boxes[0].kind, "warning");
    // The byte past 255 goes with the cut; only the other one is not shown.
    EXPECT_EQ(rig.ui.boxes[0].message,
              "Hay 1 lineas de mas de 255 caracteres: se muestran cortadas\r"
              "Hay 1 caracteres que el visor no puede mostrar");
    const int blank = QFontMetrics(qt::listingFace(8)).horizontalAdvance(QLatin1Char(' '));
    EXPECT_EQ(size.width(), 100 * blank);  // the head lines are 94 wide
    EXPECT_EQ(size.height(), QGuiApplication::primaryScreen()->availableGeometry().height() - 50);

    rig.ui.boxes.clear();
    const std::string gone = rig.path("NOESTA");
    viewer.ShowListing(gone, "Tramos");
    EXPECT_EQ(shown, 1);
    ASSERT_EQ(rig.ui.boxes.size(), 1u);
    EXPECT_EQ(rig.ui.boxes[0].kind, "error");
    EXPECT_EQ(rig.ui.boxes[0].message, "No se pudo leer el listado " + gone);
}

}  // namespace
}  // namespace nivex::testing
