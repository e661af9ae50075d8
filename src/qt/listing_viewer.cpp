#include "qt/listing_viewer.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>
#include <filesystem>

#include "console/codepage.h"
#include "listings/rtf_writer.h"
#include "qt/file_chooser.h"
#include "qt/print_qt.h"
#include "qt/qt_desktop.h"
#include "qt/qt_text.h"

namespace nivex::qt {
namespace {

constexpr const char* kCaption = "Visor de listados";
constexpr const char* kSearchLabel = "Texto a Buscar:";
constexpr const char* kReduce = "Reducir";
constexpr const char* kEnlarge = "Ampliar";
constexpr const char* kNotFound = "Texto no encontrado";
constexpr const char* kSearchCaption = "Busqueda";
constexpr const char* kRtfFilter = "(*.rtf)";
constexpr const char* kPdfFilter = "(*.pdf)";
constexpr const char* kErrorCaption = "Error";
constexpr const char* kWarningCaption = "Advertencia";
constexpr const char* kConfirmCaption = "Confirmar";
constexpr int kNormalPoints = 8;
constexpr int kSmallPoints = 7;

QPushButton* button(const char* caption, const char* name, QWidget* parent) {
    auto* b = new QPushButton(plainCaption(caption), parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

QString shownText(const std::u32string& text, int from, int to) {
    return QString::fromUcs4(text.data() + from, to - from);
}

bool hasSuffix(const std::string& path, const char* suffix) {
    return QString::fromStdString(path).endsWith(QLatin1String(suffix), Qt::CaseInsensitive);
}

// The parts of the listing the viewer cannot show as they are.
std::string unshownNotice(const listings::ViewerModel& model) {
    std::string notice;
    if (model.cutLines() > 0)
        notice += "Hay " + std::to_string(model.cutLines()) +
                  " lineas de mas de 255 caracteres: se muestran cortadas";
    if (model.missingGlyphs() > 0) {
        if (!notice.empty()) notice += '\r';
        notice += "Hay " + std::to_string(model.missingGlyphs()) +
                  " caracteres que el visor no puede mostrar";
    }
    return notice;
}

bool renameOver(const std::string& from, const std::string& to) {
    std::error_code ec;
    std::filesystem::rename(from, to, ec);
    if (ec) std::filesystem::remove(from, ec);
    return !ec;
}

}  // namespace

QFont listingFace(int points) {
    const QString face = QString::fromLatin1(kListingFace);
    QFont font;
    if (QFontDatabase::hasFamily(face) || !QFont::substitutes(face).isEmpty()) {
        font = QFont(face, points);
    } else {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSize(points);
    }
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

void fillListingDocument(QTextDocument& document, const listings::ViewerModel& model) {
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    document.clear();
    QTextCharFormat normal;
    QTextCharFormat red;
    red.setForeground(QColor(Qt::red));
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    bool first = true;
    for (const listings::ShownLine& line : model.lines()) {
        if (!first) cursor.insertBlock(QTextBlockFormat(), normal);
        first = false;
        const int size = static_cast<int>(line.text.size());
        int at = 0;
        for (const listings::Span& span : line.red) {
            if (span.start > at) cursor.insertText(shownText(line.text, at, span.start), normal);
            const int end = std::min(size, span.start + span.length);
            cursor.insertText(shownText(line.text, span.start, end), red);
            at = end;
        }
        if (at < size) cursor.insertText(shownText(line.text, at, size), normal);
    }
    cursor.endEditBlock();
    document.setUndoRedoEnabled(undo);
}

TViewForm::TViewForm(shell::Session& session, const listings::ViewerModel& model, QWidget* parent)
    : QDialog(parent), session_(session), model_(model) {
    setObjectName(QStringLiteral("TViewForm"));
    setWindowTitle(qtext(kCaption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(true);
    QPalette ground = palette();
    ground.setColor(QPalette::Window, ground.color(QPalette::HighlightedText));
    setPalette(ground);
    setAutoFillBackground(true);
    build();
}

void TViewForm::build() {
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(4, 4, 4, 4);

    auto* panel = new QHBoxLayout;
    label_ = new QLabel(qtext(kSearchLabel), this);
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("Edit1"));
    search_->setMaxLength(listings::kMaxShownLine);
    search_->setText(qtext(session_.viewerState.lastSearch));
    search_->setMinimumWidth(search_->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 20);
    label_->setBuddy(search_);
    find_ = button("Buscar", "Buscar", this);
    size_ = button(kReduce, "Reducir", this);
    print_ = button("Imprimir", "Imprimir", this);
    save_ = button("Grabar", "Grabar", this);
    close_ = button("Cerrar", "Cerrar", this);
    panel->addWidget(label_);
    panel->addWidget(search_);
    for (QPushButton* b : {find_, size_, print_, save_})
        panel->addWidget(b);
    panel->addStretch(1);
    panel->addWidget(close_);
    top->addLayout(panel);

    text_ = new QTextEdit(this);
    text_->setObjectName(QStringLiteral("RichEdit1"));
    text_->setReadOnly(true);
    // Read-only text still shows its caret, which the search starts from.
    text_->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    text_->setAcceptRichText(true);
    text_->setLineWrapMode(QTextEdit::NoWrap);
    text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setUndoRedoEnabled(false);
    setTextSize(kNormalPoints);
    fillListingDocument(*text_->document(), model_);
    text_->moveCursor(QTextCursor::Start);
    top->addWidget(text_, 1);

    // The window sees every key before its controls.
    for (QWidget* w : std::initializer_list<QWidget*>{search_, text_, text_->viewport(), find_,
                                                      size_, print_, save_, close_})
        w->installEventFilter(this);

    connect(find_, &QPushButton::clicked, this, &TViewForm::searchPressed);
    connect(size_, &QPushButton::clicked, this, &TViewForm::sizePressed);
    connect(print_, &QPushButton::clicked, this, &TViewForm::printPressed);
    connect(save_, &QPushButton::clicked, this, &TViewForm::savePressed);
    connect(close_, &QPushButton::clicked, this, &TViewForm::reject);
}

void TViewForm::setTextSize(int points) {
    session_.viewerState.textSize = points;
    text_->setFont(listingFace(points));
}

void TViewForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (focused_) return;
    focused_ = true;
    search_->setFocus();
}

bool TViewForm::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, e);
    auto* key = static_cast<QKeyEvent*>(e);
    if (key->key() == Qt::Key_Escape) {
        reject();
        return true;
    }
    if (key->modifiers() & Qt::ControlModifier) return ctrlKey(watched, key);
    return QDialog::eventFilter(watched, e);
}

// With Ctrl held only the moves to the text's ends and the repeated search get through.
bool TViewForm::ctrlKey(QObject* watched, QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_Home:
        case Qt::Key_End: {
            if (watched == text_) return false;
            QKeyEvent copy(QEvent::KeyPress, e->key(), e->modifiers(), e->text());
            QApplication::sendEvent(text_, &copy);
            return true;
        }
        case Qt::Key_L:
            if (!search_->text().isEmpty()) searchPressed();
            return true;
        default:
            return true;
    }
}

void TViewForm::searchPressed() {
    const std::string box = bytesOf(search_->text());
    const int caret = text_->textCursor().selectionStart();
    const auto found = listings::Search(session_.viewerState, model_, box, caret);
    if (box.empty()) return;
    if (!found) {
        session_.ui.showInformation(kNotFound, kSearchCaption);
        text_->setFocus();
        return;
    }
    QTextCursor cursor(text_->document());
    cursor.setPosition(*found);
    cursor.setPosition(*found + static_cast<int>(session_.viewerState.lastSearch.size()),
                       QTextCursor::KeepAnchor);
    text_->setTextCursor(cursor);
    text_->ensureCursorVisible();
}

void TViewForm::sizePressed() {
    const bool reduce = session_.viewerState.textSize != kSmallPoints;
    setTextSize(reduce ? kSmallPoints : kNormalPoints);
    size_->setText(plainCaption(reduce ? kEnlarge : kReduce));
}

void TViewForm::printPressed() {
    const listings::ViewerState& state = session_.viewerState;
    if (PrintListingWithDialog(this, state.fileName, state.ReportMode, session_.ui)) accept();
}

TViewForm::SaveChoice TViewForm::askSaveFile(const QString& folder, const QString& name) {
    QFileDialog dialog(this, QString(), folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);  // asked with the program's words
    const QString rtf = QString::fromLatin1(kRtfFilter);
    const QString pdf = QString::fromLatin1(kPdfFilter);
    dialog.setNameFilters({rtf, pdf});
    dialog.selectNameFilter(rtf);
    dialog.selectFile(name);
    SizeFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return {dialog.selectedFiles().first().toStdString(), dialog.selectedNameFilter() == pdf};
}

void TViewForm::savePressed() {
    if (!session_.folders.swmm.empty())
        QDir::setCurrent(QString::fromStdString(session_.folders.swmm));
    QString name = qtext(session_.viewerState.saveName);
    // A title may hold a slash, which a file name cannot.
    name.replace(QLatin1Char('/'), QLatin1Char('-'));
    name.replace(QLatin1Char('\\'), QLatin1Char('-'));
    const QString folder = QString::fromStdString(session_.folders.word);
    SaveChoice choice = chooseSaveFile ? chooseSaveFile(folder, name) : askSaveFile(folder, name);
    if (choice.path.empty()) return;
    if (hasSuffix(choice.path, ".pdf")) {
        choice.pdf = true;
    } else if (!hasSuffix(choice.path, ".rtf")) {
        choice.path += choice.pdf ? ".pdf" : ".rtf";
    }
    if (QFileInfo::exists(QString::fromStdString(choice.path)) &&
        session_.ui.askYesNoCancel("Sobrescribir " + cp(choice.path) + " ?", kConfirmCaption) !=
            'S')
        return;
    if (saveTo(choice)) accept();
}

bool TViewForm::saveTo(const SaveChoice& choice) {
    const listings::ViewerState& state = session_.viewerState;
    std::string error;
    bool saved = false;
    if (choice.pdf) {
        const std::string temp = choice.path + ".tmp.pdf";
        saved = PrintListingToPdfQt(state.fileName, temp, state.ReportMode, &error);
        if (saved && !renameOver(temp, choice.path)) {
            saved = false;
            error = "No se pudo grabar el archivo " + cp(choice.path);
        }
    } else {
        saved = listings::WriteRtfFile(choice.path, model_.lines(), kListingFace, state.textSize,
                                       error);
    }
    if (!saved) session_.ui.showError(error, kErrorCaption);
    return saved;
}

void QtListingViewer::ShowListing(const std::string& file, const std::string& title) {
    listings::ViewerState& state = session_.viewerState;
    state.fileName = file;
    const std::string& extension = session_.project.files.extension();
    const std::string digit = extension.empty() ? "0" : extension.substr(extension.size() - 1);
    state.saveName = listings::SaveName(session_.project.header.ProjectName, digit, title);

    listings::ViewerModel model;
    if (!model.Load(file)) {
        session_.ui.showError(model.error(), kErrorCaption);
        return;
    }
    const std::string notice = unshownNotice(model);
    if (!notice.empty()) session_.ui.showWarning(notice, kWarningCaption);

    TViewForm form(session_, model, parent_);
    QScreen* screen = parent_ ? parent_->screen() : QGuiApplication::primaryScreen();
    const QRect desktop = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const int blank = QFontMetrics(listingFace(kNormalPoints)).horizontalAdvance(QLatin1Char(' '));
    const listings::WindowSize size =
        listings::ViewerWindowSize(model.headWidth(), blank, desktop.width(), desktop.height());
    form.resize(size.width, size.height);
    form.move(desktop.left() + (desktop.width() - size.width) / 2,
              desktop.top() + (desktop.height() - size.height) / 2);
    if (onCreated) onCreated(form);
    form.exec();
}

}  // namespace nivex::qt
