// The choice among the designed alternatives: what the grid shows, and how "Aceptar", a
// double click, "Imprimir", Esc and the system close end or keep the dialog.

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimer>
#include <functional>

#include "qt/alternatives_dialog.h"
#include "qt_rig.h"

namespace nivex::testing {
namespace {

using qt::TFormCostos;

ui::AlternativesChoice sample() {
    ui::AlternativesChoice choice;
    choice.time = "Tiempo Total = 00:01:07";
    choice.rows = {
        {"Manual", "1.85", "1,234,567,890", "245.12", "3.40", "450", "2", "2.10", "1.20", "0", "0",
         "OK"},
        {"Auto 1", "1.62", "998,000,000", "230.00", "3.05", "400", "1", "1.95", "1.15", "3", "1",
         "OK"},
        {"Auto 2", "1,234.56", "", "1,001.00", "2.98", "1,200", "3", "1.80", "1.10", "12", "10",
         "??"},
    };
    return choice;
}

TFormCostos* shownForm() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* form = qobject_cast<TFormCostos*>(w); form && form->isVisible()) return form;
    return nullptr;
}

// Runs act on the dialog once it runs modally; a dialog still open after a while is
// rejected so that a broken answer fails instead of hanging.
void whenShown(std::function<void(TFormCostos&)> act) {
    QTimer::singleShot(0, qApp, [act] {
        TFormCostos* form = shownForm();
        ASSERT_NE(form, nullptr);
        QTimer::singleShot(10000, form, [form] {
            ADD_FAILURE() << "the dialog stayed open";
            form->reject();
        });
        act(*form);
    });
}

void key(QWidget* w, int k) {
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

void mouse(QWidget* port, QEvent::Type type, const QPoint& at, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), QPointF(port->mapToGlobal(at)), Qt::LeftButton, held,
                      Qt::NoModifier);
    QApplication::sendEvent(port, &event);
}

void doubleClickRow(QTableWidget* grid, int row) {
    const QPoint at = grid->visualItemRect(grid->item(row, 0)).center();
    QWidget* port = grid->viewport();
    mouse(port, QEvent::MouseButtonPress, at, Qt::LeftButton);
    mouse(port, QEvent::MouseButtonRelease, at, Qt::NoButton);
    mouse(port, QEvent::MouseButtonDblClick, at, Qt::LeftButton);
    mouse(port, QEvent::MouseButtonRelease, at, Qt::NoButton);
}

TEST(AlternativesDialog, ShowsTheAlternativesInTheGrid) {
    TFormCostos form(sample(), {}, nullptr);
    form.show();
    spin(50);

    EXPECT_EQ(form.objectName(), "TFormCostos");
    EXPECT_EQ(form.windowTitle(), "Alternativas del Proyecto");
    EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowSystemMenuHint);
    auto* time = form.findChild<QLabel*>("Label1");
    ASSERT_NE(time, nullptr);
    EXPECT_EQ(time->text(), "Tiempo Total = 00:01:07");
    EXPECT_TRUE(time->alignment() & Qt::AlignHCenter);
    for (const char* name : {"Label2", "Label3", "Label4"}) {
        auto* l = form.findChild<QLabel*>(name);
        ASSERT_NE(l, nullptr) << name;
        EXPECT_TRUE(l->text().isEmpty()) << name;
        EXPECT_TRUE(l->font().bold()) << name;
        EXPECT_EQ(l->palette().color(QPalette::WindowText), QColor(Qt::red)) << name;
    }
    auto* note = form.findChild<QLabel*>("Label5");
    ASSERT_NE(note, nullptr);
    EXPECT_FALSE(note->isVisible());
    EXPECT_EQ(note->text(), QString::fromUtf8("Nota: Todos los tramos son construidos y no se "
                                              "pueden hacer diseños nuevos"));
    EXPECT_EQ(form.acceptButton()->objectName(), "BitBtn1");
    EXPECT_EQ(form.acceptButton()->text(), "Aceptar");
    EXPECT_EQ(form.printButton()->objectName(), "Button1");
    EXPECT_EQ(form.printButton()->text(), "Imprimir");

    QTableWidget* grid = form.grid();
    EXPECT_EQ(grid->objectName(), "StringGrid1");
    ASSERT_EQ(grid->columnCount(), 12);
    EXPECT_EQ(grid->rowCount(), 17);  // 18 rows less the heading
    const QStringList headings{"Clase",         "Prof. Med.",    "Costo ($)",   "Diam. Med.",
                               "Prof. Max.",    "Diam. Max.",    "# Vertim.",   "Prof.Fin.Max",
                               "Prof.Fin.Min.", "Tram. Elimin.", "Alternativa", "Status"};
    for (int c = 0; c < 12; ++c)
        EXPECT_EQ(grid->horizontalHeaderItem(c)->text(), headings[c]) << c;

    const ui::AlternativesChoice choice = sample();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 12; ++c)
            EXPECT_EQ(grid->item(r, c)->text().toStdString(), choice.rows[r][c]) << r << "," << c;
    for (int c = 0; c < 12; ++c)
        EXPECT_TRUE(grid->item(16, c)->text().isEmpty()) << c;
    EXPECT_TRUE(grid->item(0, 0)->textAlignment() & Qt::AlignLeft);
    EXPECT_TRUE(grid->item(0, 11)->textAlignment() & Qt::AlignLeft);
    for (int c = 1; c < 11; ++c)
        EXPECT_TRUE(grid->item(2, c)->textAlignment() & Qt::AlignRight);
    EXPECT_FALSE(grid->item(0, 1)->flags() & Qt::ItemIsEditable);
    EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);

    // Row 1 is chosen from the start, whole.
    EXPECT_EQ(grid->currentRow(), 0);
    EXPECT_EQ(grid->selectionModel()->selectedRows().size(), 1);
    EXPECT_TRUE(grid->selectionModel()->isRowSelected(0, {}));
    EXPECT_EQ(form.selectedRow(), 1);

    // Every column in view at once, on a screen 1280 wide.
    EXPECT_EQ(grid->horizontalScrollBar()->maximum(), 0);
    EXPECT_GE(grid->viewport()->width(), grid->horizontalHeader()->length());
    EXPECT_LE(form.frameGeometry().width(), 1280);
    for (int c = 0; c < 11; ++c)
        EXPECT_GE(grid->columnWidth(c),
                  grid->fontMetrics().horizontalAdvance(grid->item(2, c)->text()))
            << c;
}

TEST(AlternativesDialog, GridRowsFollowTheChoice) {
    ui::AlternativesChoice choice = sample();
    choice.gridRows = 15;
    TFormCostos form(choice, {}, nullptr);
    EXPECT_EQ(form.grid()->rowCount(), 14);
    EXPECT_EQ(form.grid()->item(0, 0)->text(), "Manual");
}

TEST(AlternativesDialog, AcceptReturnsTheChosenRow) {
    qt::QtAlternativesDialog dialog(nullptr);

    whenShown([](TFormCostos& form) { form.acceptButton()->click(); });
    EXPECT_EQ(dialog.run(sample(), {}), 1);

    whenShown([](TFormCostos& form) {
        form.grid()->selectRow(2);
        form.acceptButton()->click();
    });
    EXPECT_EQ(dialog.run(sample(), {}), 3);

    // An empty row is still a row: the caller decides what to make of it.
    whenShown([](TFormCostos& form) {
        form.grid()->selectRow(9);
        form.acceptButton()->click();
    });
    EXPECT_EQ(dialog.run(sample(), {}), 10);

    whenShown([](TFormCostos& form) {
        form.grid()->selectRow(1);
        key(form.grid(), Qt::Key_Return);
    });
    EXPECT_EQ(dialog.run(sample(), {}), 2);

    whenShown([](TFormCostos& form) { doubleClickRow(form.grid(), 2); });
    EXPECT_EQ(dialog.run(sample(), {}), 3);
}

TEST(AlternativesDialog, PrintKeepsTheDialogOpen) {
    qt::QtAlternativesDialog dialog(nullptr);
    int prints = 0;
    bool openWhilePrinting = false;
    whenShown([](TFormCostos& form) {
        form.printButton()->click();
        form.printButton()->click();
        QTimer::singleShot(0, &form, [&form] {
            EXPECT_TRUE(form.isVisible());
            form.grid()->selectRow(1);
            form.acceptButton()->click();
        });
    });
    const int row = dialog.run(sample(), [&] {
        ++prints;
        openWhilePrinting = shownForm() != nullptr;
    });
    EXPECT_EQ(prints, 2);
    EXPECT_TRUE(openWhilePrinting);
    EXPECT_EQ(row, 2);

    // Without a printer the button does nothing.
    whenShown([](TFormCostos& form) {
        form.printButton()->click();
        EXPECT_TRUE(form.isVisible());
        form.acceptButton()->click();
    });
    EXPECT_EQ(dialog.run(sample(), {}), 1);
}

TEST(AlternativesDialog, ClosingOtherwiseCancels) {
    qt::QtAlternativesDialog dialog(nullptr);

    whenShown([](TFormCostos& form) {
        form.grid()->selectRow(2);
        key(form.grid(), Qt::Key_Escape);
    });
    EXPECT_EQ(dialog.run(sample(), {}), -1);

    whenShown([](TFormCostos& form) { form.close(); });
    EXPECT_EQ(dialog.run(sample(), {}), -1);
}

}  // namespace
}  // namespace nivex::testing
