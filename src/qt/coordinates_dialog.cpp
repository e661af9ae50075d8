#include "qt/coordinates_dialog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "drawings/manhole_coordinates.h"
#include "network/reach_csv.h"
#include "qt/qt_text.h"

namespace nivex::qt {
namespace {

constexpr const char* kTitle = "Coordenadas de Pozos";
constexpr int kNameColumn = 0, kXColumn = 1, kYColumn = 2;

QTableWidgetItem* NameItem(const std::string& name) {
    auto* item = new QTableWidgetItem(qtext(name));
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

QTableWidgetItem* ValueItem(const std::string& text, bool editable) {
    auto* item = new QTableWidgetItem(qtext(text));
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (!editable) item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

// A message box of this dialog. Its texts are UTF-8 as the checks give them, the file's
// path included, and the question opens with '¿', which the program's code page lacks.
QMessageBox::StandardButton Box(QWidget* owner, QMessageBox::Icon icon, const std::string& text,
                                QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, QString::fromUtf8(kTitle), QString::fromStdString(text), buttons, owner);
    box.setTextFormat(Qt::PlainText);
    const std::pair<QMessageBox::StandardButton, const char*> captions[] = {
        {QMessageBox::Yes, "&Sí"}, {QMessageBox::No, "&No"}, {QMessageBox::Ok, "Aceptar"}};
    for (const auto& [which, caption] : captions)
        if (QAbstractButton* b = box.button(which)) b->setText(QString::fromUtf8(caption));
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    return clicked ? box.standardButton(clicked) : QMessageBox::NoButton;
}

std::string CellBytes(const QTableWidget* t, int row, int column) {
    const QTableWidgetItem* item = t->item(row, column);
    return item ? bytesOf(item->text()) : std::string();
}

}  // namespace

CoordinatesDialog::CoordinatesDialog(project::Project& p, drawings::CoordinateTable table,
                                     const std::string& note, QWidget* parent)
    : QDialog(parent), project_(p), opened_(std::move(table)) {
    setObjectName(QStringLiteral("CoordinatesDialog"));
    setWindowTitle(QString::fromUtf8(kTitle));
    const bool editable = !p.onlyReads();

    auto* layout = new QVBoxLayout(this);
    system_ = new QLabel(QStringLiteral("Sistema: EPSG:%1 %2")
                             .arg(opened_.system.epsg)
                             .arg(qtext(opened_.system.label)),
                         this);
    system_->setObjectName(QStringLiteral("Sistema"));
    layout->addWidget(system_);

    table_ = new QTableWidget(static_cast<int>(opened_.rows.size()), 3, this);
    table_->setObjectName(QStringLiteral("Tabla"));
    table_->setHorizontalHeaderLabels(
        {QStringLiteral("Pozo"), QStringLiteral("X (m)"), QStringLiteral("Y (m)")});
    table_->horizontalHeader()->setSectionResizeMode(kNameColumn, QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(kXColumn, QHeaderView::Stretch);
    table_->horizontalHeader()->setSectionResizeMode(kYColumn, QHeaderView::Stretch);
    table_->setSelectionMode(QAbstractItemView::ContiguousSelection);
    for (int row = 0; row < table_->rowCount(); ++row) {
        const drawings::CoordinateRow& r = opened_.rows[static_cast<size_t>(row)];
        table_->setItem(row, kNameColumn, NameItem(r.name));
        table_->setItem(row, kXColumn, ValueItem(r.x, editable));
        table_->setItem(row, kYColumn, ValueItem(r.y, editable));
    }
    if (table_->rowCount() > 0) table_->setCurrentCell(0, kXColumn);
    table_->installEventFilter(this);
    layout->addWidget(table_, 1);

    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("Cuenta"));
    layout->addWidget(count_);
    std::string notes = note;
    if (!editable)
        notes += std::string(notes.empty() ? "" : "\n") + "El sector " +
                 toUtf8(p.files.extension()) +
                 " esta en uso por otro programa: las coordenadas solo se pueden ver";
    note_ = new QLabel(QString::fromStdString(notes), this);
    note_->setObjectName(QStringLiteral("Nota"));
    note_->setWordWrap(true);
    note_->setVisible(!notes.empty());
    layout->addWidget(note_);

    auto* buttons = new QHBoxLayout;
    save_ = new QPushButton(QStringLiteral("Guardar"), this);
    save_->setObjectName(QStringLiteral("Guardar"));
    save_->setEnabled(editable);
    cancel_ = new QPushButton(QStringLiteral("Cancelar"), this);
    cancel_->setObjectName(QStringLiteral("Cancelar"));
    // Enter belongs to the table's cells, never to a button.
    for (QPushButton* b : {save_, cancel_})
        b->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(save_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);

    connect(save_, &QPushButton::clicked, this, &CoordinatesDialog::save);
    connect(cancel_, &QPushButton::clicked, this, &CoordinatesDialog::reject);
    connect(table_, &QTableWidget::itemChanged, this, [this] { refreshCount(); });
    refreshCount();
    resize(480, 560);
}

std::vector<drawings::CoordinateRow> CoordinatesDialog::rows() const {
    std::vector<drawings::CoordinateRow> rows;
    rows.reserve(opened_.rows.size());
    for (int row = 0; row < table_->rowCount(); ++row)
        rows.push_back({opened_.rows[static_cast<size_t>(row)].name,
                        CellBytes(table_, row, kXColumn), CellBytes(table_, row, kYColumn)});
    return rows;
}

bool CoordinatesDialog::changed() const {
    return rows() != opened_.rows;
}

void CoordinatesDialog::setRow(int row, const drawings::CoordinateRow& r) {
    table_->item(row, kXColumn)->setText(qtext(r.x));
    table_->item(row, kYColumn)->setText(qtext(r.y));
}

void CoordinatesDialog::refreshCount() {
    count_->setText(QStringLiteral("%1 de %2 pozos con coordenadas")
                        .arg(drawings::PlacedCount(rows()))
                        .arg(table_->rowCount()));
}

void CoordinatesDialog::showError(const std::string& utf8) {
    Box(this, QMessageBox::Critical, utf8, QMessageBox::Ok);
}

bool CoordinatesDialog::pasteText(const QString& text) {
    if (!save_->isEnabled()) return false;
    std::vector<drawings::CoordinateRow> now = rows();
    std::vector<int> written;
    std::string error;
    if (!drawings::PasteCoordinates(text.toStdString(), std::max(table_->currentRow(), 0), now,
                                    &error, &written)) {
        showError(error);
        return false;
    }
    for (int row : written)
        setRow(row, now[static_cast<size_t>(row)]);
    return true;
}

void CoordinatesDialog::paste() {
    pasteText(QApplication::clipboard()->text());
}

void CoordinatesDialog::clearSelectedCells() {
    if (!save_->isEnabled()) return;
    for (QTableWidgetItem* item : table_->selectedItems())
        if (item->column() != kNameColumn) item->setText(QString());
}

void CoordinatesDialog::save() {
    if (!changed()) {
        accept();
        return;
    }
    drawings::CoordinateTable edited = opened_;
    edited.rows = rows();
    drawings::ManholeCoordinates c;
    std::string error;
    int badRow = 0, badColumn = kXColumn;
    if (!drawings::CoordinatesFromTable(edited, c, &error, &badRow, &badColumn)) {
        table_->setCurrentCell(badRow, badColumn);
        showError(error);
        return;
    }
    if (!drawings::WriteCoordinates(project_, c, &error)) {
        showError(error);
        return;
    }
    saved_ = true;
    accept();
}

void CoordinatesDialog::reject() {
    if (changed() && Box(this, QMessageBox::Warning, "¿Descartar los cambios?",
                         QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    QDialog::reject();
}

bool CoordinatesDialog::eventFilter(QObject* watched, QEvent* e) {
    // A cell being edited has an editor of its own that takes the keys; the table as a whole
    // pastes blocks and clears the selected cells.
    if (watched == table_ && e->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (key->matches(QKeySequence::Paste)) {
            paste();
            return true;
        }
        if (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace) {
            clearSelectedCells();
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

bool EditManholeCoordinates(QWidget* parent, project::Project& p) {
    std::vector<network::TramoT> reaches;
    std::string error;
    if (!network::ReadNetwork(p, reaches, &error)) {
        Box(parent, QMessageBox::Critical, error, QMessageBox::Ok);
        return false;
    }
    drawings::ManholeCoordinates stored;
    int skipped = 0;
    if (!drawings::ReadCoordinates(p, stored, &skipped, &error)) {
        Box(parent, QMessageBox::Critical, error, QMessageBox::Ok);
        return false;
    }
    const std::vector<std::string> manholes = drawings::NetworkManholes(reaches);
    if (manholes.empty()) {
        Box(parent, QMessageBox::Warning,
            "El sector " + toUtf8(p.files.extension()) +
                " no tiene tramos: no hay pozos que ubicar",
            QMessageBox::Ok);
        return false;
    }
    drawings::CoordinateTable table = drawings::BuildCoordinateTable(manholes, stored);
    std::string note = drawings::OrphanNote(table.orphans);
    if (skipped > 0)
        note += std::string(note.empty() ? "" : "\n") + std::to_string(skipped) +
                " linea(s) del archivo " + drawings::CoordinatesPath(p.files) +
                " no se pudieron leer: al guardar se pierden";
    CoordinatesDialog dialog(p, std::move(table), note, parent);
    dialog.exec();
    return dialog.saved();
}

}  // namespace nivex::qt
