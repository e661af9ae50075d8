#include "qt/project_dialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "qt/file_chooser.h"
#include "qt/qt_text.h"

namespace nivex::qt {
namespace {

constexpr const char* kCodeLabel = "CODIGO DEL PROYECTO ....... [ alfabetico XX ] :";
constexpr const char* kSectorLabel = "SECTOR  (1,2,...9) .. <0=Unico o Totalizador> :";
constexpr const char* kCountLabel = "Cuantos sectores tendra el proyecto <1=unico> :";
constexpr const char* kNotes[] = {
    "El Sector 0 se reserva para indicar que se desea totalizar el presupuesto de obra de "
    "todos los sectores del proyecto.",
    "Tambien se puede utilizar cuando el proyecto tiene un solo sector, situacion que debe "
    "confirmarse respondiendo que",
    "el numero de sectores es 1 (unico).",
};
constexpr const char* kFolderMissing = "ERROR... No existe ese directorio";
constexpr const char* kErrorCaption = "Error";
constexpr const char* kFolderPrompt = "Oprima Abrir (Open)";

// The count field while only a totaliser may set it.
const QColor kClosedGround(0xA0, 0xA0, 0xA0);

QLineEdit* field(const char* name, int length, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(length);
    // Typing is the only way in: pasting or dropping would pass by the key rules.
    edit->setContextMenuPolicy(Qt::NoContextMenu);
    edit->setAcceptDrops(false);
    const int width = edit->fontMetrics().horizontalAdvance(QLatin1Char('W')) * (length + 2);
    edit->setFixedWidth(width + 12);
    return edit;
}

// The list lines up its columns only in a fixed-pitch face.
QFont fixedFace() {
    QFont face = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    face.setStyleHint(QFont::Monospace);
    face.setFixedPitch(true);
    return face;
}

QPushButton* button(const char* caption, const char* name, QWidget* parent) {
    auto* b = new QPushButton(plainCaption(caption), parent);
    b->setObjectName(QLatin1String(name));
    // Enter belongs to the fields: it moves between them, it never presses a button.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

bool isPasteOrCut(QKeyEvent* e) {
    return e->matches(QKeySequence::Paste) || e->matches(QKeySequence::Cut);
}

}  // namespace

TNivexForm1::TNivexForm1(shell::Session& session, project::ProjectSelection& selection,
                         QWidget* parent)
    : QDialog(parent), session_(session), selection_(selection) {
    setObjectName(QStringLiteral("TNivexForm1"));
    setWindowTitle(qtext(project::ProjectSelection::DialogCaption()));
    build();
}

void TNivexForm1::build() {
    auto* top = new QVBoxLayout(this);

    auto* dirRow = new QHBoxLayout;
    dirName_ = new QLineEdit(this);
    dirName_->setObjectName(QStringLiteral("DirName"));
    dirName_->setReadOnly(true);
    dirName_->setFocusPolicy(Qt::NoFocus);
    explore_ = button("Explorar...", "Explorar", this);
    dirRow->addWidget(dirName_, 1);
    dirRow->addWidget(explore_);
    top->addLayout(dirRow);

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("ListBox1"));
    list_->setFont(fixedFace());
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setMinimumSize(520, 220);
    top->addWidget(list_, 1);

    auto* grid = new QGridLayout;
    edit1_ = field("Edit1", 2, this);
    edit2_ = field("Edit2", 1, this);
    edit3_ = field("Edit3", 1, this);
    const char* labels[] = {kCodeLabel, kSectorLabel, kCountLabel};
    QLineEdit* edits[] = {edit1_, edit2_, edit3_};
    const QFont fixed = fixedFace();
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(qtext(labels[i]), this);
        label->setFont(fixed);  // the dotted leaders line up only in a fixed face
        label->setBuddy(edits[i]);
        grid->addWidget(label, i, 0);
        grid->addWidget(edits[i], i, 1, Qt::AlignLeft);
        edits[i]->installEventFilter(this);
    }
    grid->setColumnStretch(2, 1);
    top->addLayout(grid);

    for (const char* note : kNotes) {
        auto* label = new QLabel(qtext(note), this);
        label->setWordWrap(true);
        top->addWidget(label);
    }

    auto* buttons = new QHBoxLayout;
    auto* guide = button("Guia Rapida", "GuiaRapida", this);
    auto* remove = button("Eliminar", "Eliminar", this);
    auto* missing = button("Si faltan proyectos", "SiFaltanProyectos", this);
    terminate_ = button("Terminar", "Terminar", this);
    accept_ = button("Aceptar", "Aceptar", this);
    for (QPushButton* b : {guide, remove, missing, terminate_, accept_})
        buttons->addWidget(b);
    top->addLayout(buttons);

    connect(explore_, &QPushButton::clicked, this, &TNivexForm1::explore);
    connect(accept_, &QPushButton::clicked, this, &TNivexForm1::acceptPressed);
    connect(terminate_, &QPushButton::clicked, this, &TNivexForm1::reject);
    connect(guide, &QPushButton::clicked, this, [this] { selection_.QuickGuide(); });
    connect(remove, &QPushButton::clicked, this, [this] { selection_.ExplainDelete(); });
    connect(missing, &QPushButton::clicked, this, [this] { selection_.ExplainMissingProjects(); });
    connect(list_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { lineClicked(list_->row(item)); });

    setTabOrder(edit1_, edit2_);
    setTabOrder(edit2_, edit3_);
    showCountState();
    edit1_->setFocus();
}

bool TNivexForm1::load() {
    showList(selection_.List(session_.folders.project));
    return !mustEnd_;
}

void TNivexForm1::showList(project::ListOutcome outcome) {
    if (outcome == project::ListOutcome::Duplicate) {
        // The duplicate has been reported; the program cannot go on.
        mustEnd_ = true;
        done(QDialog::Rejected);
        return;
    }
    if (outcome == project::ListOutcome::FolderMissing)
        session_.ui.showError(kFolderMissing, kErrorCaption);
    dirName_->setText(QString::fromStdString(selection_.baseFolder()));
    refreshLines();
    if (outcome == project::ListOutcome::Listed && !selection_.entries().empty()) {
        list_->setCurrentRow(0);
        setFields(selection_.FieldsOfLine(0));
    }
}

void TNivexForm1::refreshLines() {
    list_->clear();
    for (const std::string& line : selection_.lines())
        list_->addItem(qtext(line));
}

project::SelectionFields TNivexForm1::fields() const {
    return {bytesOf(edit1_->text()), bytesOf(edit2_->text()), bytesOf(edit3_->text())};
}

void TNivexForm1::setFields(const project::SelectionFields& f) {
    edit1_->setText(qtext(f.code));
    edit2_->setText(qtext(f.sector));
    edit3_->setText(qtext(f.sectors));
    showCountState();
}

void TNivexForm1::showCountState() {
    const bool open = project::ProjectSelection::CountFieldOpen(bytesOf(edit2_->text()));
    edit3_->setReadOnly(!open);
    QPalette p = edit3_->palette();
    p.setColor(QPalette::Base, open ? QColor(Qt::white) : kClosedGround);
    edit3_->setPalette(p);
}

void TNivexForm1::leaveSector() {
    setFields(project::ProjectSelection::LeaveSector(fields()));
}

void TNivexForm1::lineClicked(int row) {
    if (row < 0 || static_cast<size_t>(row) >= selection_.entries().size()) return;
    setFields(selection_.FieldsOfLine(static_cast<size_t>(row)));
}

void TNivexForm1::moveFrom(QLineEdit* edit, bool forward) {
    if (edit == edit2_) {
        leaveSector();
        if (!edit3_->isReadOnly()) {
            edit3_->setFocus();
            edit3_->selectAll();
            return;
        }
    }
    QLineEdit* order[] = {edit1_, edit2_, edit3_};
    int i = edit == edit1_ ? 0 : edit == edit2_ ? 1 : 2;
    i = (i + (forward ? 1 : 2)) % 3;
    order[i]->setFocus();
    order[i]->selectAll();
}

bool TNivexForm1::fieldKey(QLineEdit* edit, QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Down:
            moveFrom(edit, true);
            return true;
        case Qt::Key_Up:
            moveFrom(edit, false);
            return true;
        case Qt::Key_Backspace:
            return false;
        default:
            break;
    }
    if (isPasteOrCut(e)) return true;
    const std::string typed = bytesOf(e->text());
    if (typed.empty()) return false;  // a key without a character: cursor keys, Delete
    if (typed.size() != 1) return true;
    const char taken = edit == edit1_ ? project::ProjectSelection::CodeKey(typed[0])
                                      : project::ProjectSelection::DigitKey(typed[0]);
    if (taken == 0 || edit->isReadOnly()) return true;
    edit->insert(qtext(std::string(1, taken)));
    return true;
}

bool TNivexForm1::eventFilter(QObject* watched, QEvent* e) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit != edit1_ && edit != edit2_ && edit != edit3_) return QDialog::eventFilter(watched, e);
    if (e->type() == QEvent::KeyPress) return fieldKey(edit, static_cast<QKeyEvent*>(e));
    if (e->type() == QEvent::FocusOut && edit == edit2_) {
        const auto reason = static_cast<QFocusEvent*>(e)->reason();
        // A message box or a menu taking the focus for a moment is no leaving.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            leaveSector();
            if (!edit3_->isReadOnly() && QApplication::focusWidget() != edit3_) {
                // The focus is still moving: take it once it has arrived.
                QTimer::singleShot(0, edit3_, [this] {
                    if (!edit3_->isReadOnly()) edit3_->setFocus();
                });
            }
        }
    }
    return QDialog::eventFilter(watched, e);
}

std::string TNivexForm1::askFolder() {
    if (chooseFolder) return chooseFolder();
    QFileDialog dialog(this, qtext(kFolderPrompt),
                       QString::fromStdString(session_.folders.project));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    SizeFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front().toStdString();
}

void TNivexForm1::explore() {
    std::string folder = askFolder();
    if (folder.empty()) return;
    // The selection takes the folder part of a chosen file name.
    if (folder.back() != '/') folder += '/';
    showList(selection_.Explore(folder));
}

void TNivexForm1::acceptPressed() {
    if (selection_.Accept(fields()) == 'S') {
        QDialog::accept();
        return;
    }
    // A refused new project may have left or removed its line.
    const int row = list_->currentRow();
    refreshLines();
    if (row >= 0 && row < list_->count()) list_->setCurrentRow(row);
    edit1_->setFocus();
    edit1_->selectAll();
}

void TNivexForm1::reject() {
    if (selection_.Terminate()) QDialog::reject();
}

bool QtProjectDialog::run(project::ProjectSelection& selection) {
    TNivexForm1 form(session_, selection, parent_.data());
    if (!form.load()) return false;
    if (onCreated) onCreated(form);
    return form.exec() == QDialog::Accepted;
}

}  // namespace nivex::qt
