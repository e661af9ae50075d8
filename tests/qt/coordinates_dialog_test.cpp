// "Coordenadas de Pozos" over a simulated 1 x 1 grid: the table as opened, a block pasted
// with Ctrl+V and saved into the sector's file, and every refusal leaving the file as it was.

#include "qt/coordinates_dialog.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

#include "cli/batch.h"
#include "drawings/manhole_coordinates.h"
#include "support/temp_files.h"

namespace nivex::testing {
namespace {

namespace fs = std::filesystem;
using drawings::ManholeCoordinates;
using drawings::ManholePoint;

// Runs act once a modal widget of type T is up (and, for a message box, once its text holds
// `containing`), from the event loop.
template <class T>
void whenModal(std::function<void(T&)> act, QString containing = {}) {
    QTimer::singleShot(10, [act, containing] {
        auto* w = qobject_cast<T*>(QApplication::activeModalWidget());
        bool ready = w != nullptr;
        if (ready && !containing.isEmpty())
            if (auto* box = qobject_cast<QMessageBox*>(w)) ready = box->text().contains(containing);
        if (!ready) {
            whenModal<T>(act, containing);
            return;
        }
        act(*w);
    });
}

// Answers the next message box with `button`, keeping its text.
void answerBox(QString& text, QMessageBox::StandardButton button) {
    whenModal<QMessageBox>([&text, button](QMessageBox& box) {
        text = box.text();
        box.button(button)->click();
    });
}

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CoordinatesDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static std::atomic<int> n{0};
        base_ = fs::temp_directory_path() /
                ("nivex-coords-dialog-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
        fs::create_directories(base_ / "projects");
        setenv("XDG_DATA_HOME", (base_ / "xdg").c_str(), 1);
        start_ = fs::current_path();
        // Manholes 1, 2 (top row), 3, 4 (bottom row), head 1A above 3, outlet 5.
        batch({"new", "--yes"});
        batch({"simulate", "--horizontal", "1", "--vertical", "1", "--length", "100", "--yes"});
        folder_ = base_ / "projects" / "AB-Proyecto Nuevo";
        project_.files.Build(folder_.string(), "AB1");
        // Manhole 2 placed, 1 and the rest not, and Q9 from a network of before.
        ManholeCoordinates c;
        c.points = {{"2", 5, 6}, {"Q9", 1, 2}};
        std::string error;
        ASSERT_TRUE(drawings::WriteCoordinates(project_, c, &error)) << error;
        file_ = drawings::CoordinatesPath(project_.files);
        before_ = Bytes(file_);
    }
    void TearDown() override {
        fs::current_path(start_);
        fs::remove_all(base_);
    }
    void batch(std::vector<std::string> args) {
        args.insert(args.begin(),
                    {"--projects", (base_ / "projects").string(), "--project", "AB1"});
        std::ostringstream out, err;
        ASSERT_EQ(cli::RunBatch(args, out, err), 0) << err.str();
    }
    static int RowOf(const qt::CoordinatesDialog& d, const QString& name) {
        const auto found = d.table()->findItems(name, Qt::MatchExactly);
        return found.size() == 1 && found[0]->column() == 0 ? found[0]->row() : -1;
    }
    // The dialog of EditManholeCoordinates, driven by act once shown; what the call returned.
    bool Edit(std::function<void(qt::CoordinatesDialog&)> act) {
        bool shown = false;
        whenModal<qt::CoordinatesDialog>([&shown, act](qt::CoordinatesDialog& d) {
            shown = true;
            act(d);
            // A check that failed half way leaves it open: close it rather than hang.
            if (d.isVisible()) {
                ADD_FAILURE() << "the dialog is still open";
                d.done(QDialog::Rejected);
            }
        });
        const bool saved = qt::EditManholeCoordinates(nullptr, project_);
        EXPECT_TRUE(shown);
        return saved;
    }

    fs::path base_, start_, folder_;
    project::Project project_;
    std::string file_, before_;
};

TEST_F(CoordinatesDialogTest, OpensOnTheNetworkAndSavesABlockPastedWithCtrlV) {
    const bool saved = Edit([](qt::CoordinatesDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Coordenadas de Pozos");
        EXPECT_EQ(d.systemLabel()->text(), "Sistema: EPSG:9377 MAGNA-SIRGAS / Origen-Nacional");
        EXPECT_EQ(d.countLabel()->text(), "1 de 6 pozos con coordenadas");
        EXPECT_TRUE(d.noteLabel()->text().contains("(Q9): se conservan en el archivo"));
        EXPECT_EQ(d.saveButton()->text(), "Guardar");
        EXPECT_EQ(d.cancelButton()->text(), "Cancelar");
        // Every manhole of the grid once, its name not editable, only 2 with coordinates.
        QStringList names;
        for (int row = 0; row < d.table()->rowCount(); ++row) {
            names << d.table()->item(row, 0)->text();
            EXPECT_FALSE(d.table()->item(row, 0)->flags() & Qt::ItemIsEditable);
            EXPECT_TRUE(d.table()->item(row, 1)->flags() & Qt::ItemIsEditable);
        }
        names.sort();
        EXPECT_EQ(names, QStringList({"1", "1A", "2", "3", "4", "5"}));
        const int two = RowOf(d, "2");
        ASSERT_GE(two, 0);
        EXPECT_EQ(d.table()->item(two, 1)->text(), "5");
        EXPECT_EQ(d.table()->item(two, 2)->text(), "6");

        // As copied from a spreadsheet with decimal commas.
        QApplication::clipboard()->setText(
            "Pozo\tEste\tNorte\r\n1\t4880000,5\t2065000\r\n3\t4880100\t2065100.25\r\n");
        d.table()->setFocus();
        QKeyEvent ctrlV(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, "v");
        QApplication::sendEvent(d.table(), &ctrlV);
        EXPECT_EQ(d.countLabel()->text(), "3 de 6 pozos con coordenadas");
        EXPECT_EQ(d.table()->item(RowOf(d, "1"), 1)->text(), "4880000,5");
        EXPECT_TRUE(d.changed());
        d.saveButton()->click();
    });
    EXPECT_TRUE(saved);

    ManholeCoordinates back;
    int skipped = -1;
    std::string error;
    ASSERT_TRUE(drawings::ReadCoordinates(project_, back, &skipped, &error)) << error;
    EXPECT_EQ(skipped, 0);
    EXPECT_EQ(back.system, drawings::CoordinateSystem{});
    ASSERT_EQ(back.points.size(), 4u);
    const std::vector<ManholePoint> expected = {
        {"1", 4880000.5, 2065000}, {"2", 5, 6}, {"3", 4880100, 2065100.25}, {"Q9", 1, 2}};
    for (const ManholePoint& p : expected) {
        ASSERT_NE(back.find(p.name), nullptr) << p.name;
        EXPECT_EQ(*back.find(p.name), p);
    }
    // The old manhole goes after those of the network.
    EXPECT_EQ(back.points.back().name, "Q9");
    EXPECT_FALSE(HasTempFile(file_));
}

TEST_F(CoordinatesDialogTest, RefusalsKeepTheDialogOpenAndTheFileByteForByte) {
    QString pasteBox, saveBox, discardNo, discardYes;
    const bool saved = Edit([&](qt::CoordinatesDialog& d) {
        // A block with a manhole of no reach: no cell changes.
        answerBox(pasteBox, QMessageBox::Ok);
        EXPECT_FALSE(d.pasteText("1\t10\t20\nQ7\t30\t40\n"));
        EXPECT_EQ(pasteBox, "Linea 2 del texto pegado: el pozo Q7 no esta en la red del sector");
        EXPECT_FALSE(d.changed());
        EXPECT_EQ(d.countLabel()->text(), "1 de 6 pozos con coordenadas");
        // Two columns running past the last row.
        const int last = d.table()->rowCount() - 1;
        d.table()->setCurrentCell(last, 1);
        answerBox(pasteBox, QMessageBox::Ok);
        EXPECT_FALSE(d.pasteText("1\t2\n3\t4\n"));
        EXPECT_EQ(pasteBox, "Linea 2 del texto pegado: el bloque pasa de la ultima fila (6)");
        EXPECT_FALSE(d.changed());

        // Delete clears the selected cells of X and Y, never a name.
        const int two = RowOf(d, "2");
        d.table()->setRangeSelected(QTableWidgetSelectionRange(two, 0, two, 2), true);
        QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        QApplication::sendEvent(d.table(), &del);
        EXPECT_EQ(d.table()->item(two, 0)->text(), "2");
        EXPECT_EQ(d.table()->item(two, 1)->text(), "");
        EXPECT_EQ(d.countLabel()->text(), "0 de 6 pozos con coordenadas");

        // A typed value that is no number: "Guardar" names the cell and stays.
        const int four = RowOf(d, "4");
        ASSERT_GE(four, 0);
        d.table()->item(four, 1)->setText("abc");
        d.table()->item(four, 2)->setText("7");
        answerBox(saveBox, QMessageBox::Ok);
        d.saveButton()->click();
        EXPECT_EQ(saveBox,
                  QString("Fila %1, pozo 4: la X no es un numero (\"abc\")").arg(four + 1));
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.table()->currentRow(), four);
        EXPECT_EQ(d.table()->currentColumn(), 1);

        // Leaving asks; "No" stays, "Si" drops the changes.
        answerBox(discardNo, QMessageBox::No);
        d.cancelButton()->click();
        EXPECT_EQ(discardNo, QString::fromUtf8("¿Descartar los cambios?"));
        EXPECT_TRUE(d.isVisible());
        answerBox(discardYes, QMessageBox::Yes);
        d.cancelButton()->click();
    });
    EXPECT_FALSE(saved);
    EXPECT_EQ(discardYes, QString::fromUtf8("¿Descartar los cambios?"));
    EXPECT_EQ(Bytes(file_), before_);
    EXPECT_FALSE(HasTempFile(file_));
}

TEST_F(CoordinatesDialogTest, ASectorHeldByAnotherProgramIsOnlyShown) {
    project_.control.SetReadOnly(true);
    const bool saved = Edit([](qt::CoordinatesDialog& d) {
        EXPECT_TRUE(d.noteLabel()->text().contains(
            "El sector AB1 esta en uso por otro programa: las coordenadas solo se pueden ver"));
        EXPECT_FALSE(d.saveButton()->isEnabled());
        for (int row = 0; row < d.table()->rowCount(); ++row)
            for (int column = 0; column < 3; ++column)
                EXPECT_FALSE(d.table()->item(row, column)->flags() & Qt::ItemIsEditable);
        EXPECT_FALSE(d.pasteText("1\t10\t20\n"));
        EXPECT_FALSE(d.changed());
        d.cancelButton()->click();  // nothing changed: no question
    });
    EXPECT_FALSE(saved);
    EXPECT_EQ(Bytes(file_), before_);
}

TEST_F(CoordinatesDialogTest, AFileThatCannotBeReadIsNamedAndNoTableShown) {
    fs::remove(file_);
    fs::create_directory(file_);  // there, but no file to read
    QString text;
    answerBox(text, QMessageBox::Ok);
    EXPECT_FALSE(qt::EditManholeCoordinates(nullptr, project_));
    EXPECT_EQ(text, QString::fromStdString("No se pudo leer el archivo " + file_));
    EXPECT_TRUE(fs::is_directory(file_));
}

}  // namespace
}  // namespace nivex::testing
