#include "qt/alternatives_dialog.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <utility>

#include "qt/qt_text.h"

namespace nivex::qt {
namespace {

using ui::kAlternativeColumns;

constexpr std::array<const char*, kAlternativeColumns> kHeadings{
    "Clase",     "Prof. Med.",   "Costo ($)",     "Diam. Med.",    "Prof. Max.",  "Diam. Max.",
    "# Vertim.", "Prof.Fin.Max", "Prof.Fin.Min.", "Tram. Elimin.", "Alternativa", "Status"};

// Only the class (first) and the status (last) are texts; the rest are figures.
bool numeric(int column) {
    return column > 0 && column < kAlternativeColumns - 1;
}

// Room left on the screen for the window frame, the labels and the buttons.
constexpr int kChromeHeight = 200;

QLabel* label(const char* name, const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

QLabel* warning(const char* name, QWidget* parent) {
    QLabel* l = label(name, QString(), parent);
    QPalette palette = l->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    l->setPalette(palette);
    QFont font = l->font();
    font.setBold(true);
    l->setFont(font);
    return l;
}

}  // namespace

TFormCostos::TFormCostos(const ui::AlternativesChoice& choice, std::function<void()> print,
                         QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      printer_(std::move(print)) {
    setObjectName(QStringLiteral("TFormCostos"));
    setWindowTitle(QStringLiteral("Alternativas del Proyecto"));
    auto* layout = new QVBoxLayout(this);

    QLabel* time = label("Label1", qtext(choice.time), this);
    time->setAlignment(Qt::AlignCenter);
    layout->addWidget(time);

    grid_ = new QTableWidget(this);
    grid_->setObjectName(QStringLiteral("StringGrid1"));
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setWordWrap(false);
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->setSectionsClickable(false);
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fill(choice);
    layout->addWidget(grid_, 1);

    auto* notes = new QHBoxLayout;
    for (const char* name : {"Label2", "Label3", "Label4"})
        notes->addWidget(warning(name, this));
    QLabel* note =
        label("Label5",
              QStringLiteral(
                  "Nota: Todos los tramos son construidos y no se pueden hacer diseños nuevos"),
              this);
    note->hide();
    notes->addWidget(note);
    notes->addStretch();
    layout->addLayout(notes);

    auto* buttons = new QHBoxLayout;
    accept_ = new QPushButton(QStringLiteral("Aceptar"), this);
    accept_->setObjectName(QStringLiteral("BitBtn1"));
    accept_->setDefault(true);
    print_ = new QPushButton(QStringLiteral("Imprimir"), this);
    print_->setObjectName(QStringLiteral("Button1"));
    print_->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(accept_);
    buttons->addWidget(print_);
    buttons->addStretch();
    layout->addLayout(buttons);

    connect(accept_, &QPushButton::clicked, this, &QDialog::accept);
    connect(grid_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        grid_->selectRow(row);
        accept();
    });
    connect(print_, &QPushButton::clicked, this, [this] {
        if (printer_) printer_();
    });

    fitGrid();
    grid_->setFocus();
}

void TFormCostos::fill(const ui::AlternativesChoice& choice) {
    const int rows = std::max(choice.gridRows - 1, 0);
    grid_->setColumnCount(kAlternativeColumns);
    grid_->setRowCount(rows);
    QStringList headings;
    for (const char* h : kHeadings)
        headings << QLatin1String(h);
    grid_->setHorizontalHeaderLabels(headings);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < kAlternativeColumns; ++c) {
            QString text;
            if (static_cast<size_t>(r) < choice.rows.size())
                text = qtext(choice.rows[static_cast<size_t>(r)][static_cast<size_t>(c)]);
            auto* item = new QTableWidgetItem(text);
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            item->setTextAlignment(numeric(c) ? Qt::AlignRight | Qt::AlignVCenter
                                              : Qt::AlignLeft | Qt::AlignVCenter);
            grid_->setItem(r, c, item);
        }
    }
    if (rows > 0) {
        grid_->setCurrentCell(0, 0);
        grid_->selectRow(0);
    }
}

// The grid is as wide as its columns, so nothing scrolls sideways; as tall as its rows while
// the screen has room.
void TFormCostos::fitGrid() {
    grid_->resizeColumnsToContents();
    grid_->resizeRowsToContents();
    const int frame = 2 * grid_->frameWidth();
    const int rows = grid_->verticalHeader()->length();
    const int heading = grid_->horizontalHeader()->sizeHint().height();
    int height = frame + heading + rows;
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen) height = std::min(height, screen->availableGeometry().height() - kChromeHeight);
    height = std::max(height, frame + heading);
    int width = frame + grid_->horizontalHeader()->length();
    if (height < frame + heading + rows) width += grid_->verticalScrollBar()->sizeHint().width();
    grid_->setMinimumSize(width, height);
    adjustSize();
}

int TFormCostos::selectedRow() const {
    return std::max(grid_->currentRow(), 0) + 1;
}

int QtAlternativesDialog::run(const ui::AlternativesChoice& choice,
                              const std::function<void()>& print) {
    TFormCostos form(choice, print, parent_);
    if (form.exec() != QDialog::Accepted) return -1;
    return form.selectedRow();
}

}  // namespace nivex::qt
