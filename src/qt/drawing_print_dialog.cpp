#include "qt/drawing_print_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <sstream>

#include "drawings/paper_drawing_files.h"
#include "qt/file_chooser.h"
#include "qt/qt_text.h"

namespace nivex::qt {
namespace {

namespace dr = nivex::drawings;

const char* const kAdjusted = "Ajustada al papel";

QComboBox* Choice(const std::vector<const char*>& items, bool editable) {
    auto* c = new QComboBox;
    for (const char* item : items)
        c->addItem(QString::fromUtf8(item));
    c->setEditable(editable);
    return c;
}

}  // namespace

DrawingPrintDialog::DrawingPrintDialog(Kind kind, const dr::DrawingInputs& inputs,
                                       std::string fontFile, std::string shownFrom,
                                       std::string shownTo, QWidget* parent)
    : QDialog(parent),
      kind_(kind),
      inputs_(inputs),
      fontFile_(std::move(fontFile)),
      shownFrom_(std::move(shownFrom)),
      shownTo_(std::move(shownTo)) {
    setWindowTitle(kind == Kind::Plan ? QStringLiteral("Imprimir plano")
                                      : QStringLiteral("Imprimir perfiles"));
    auto* form = new QFormLayout;
    file_ = new QLineEdit;
    file_->setMinimumWidth(file_->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 32);
    auto* browse = new QPushButton(QStringLiteral("Examinar..."));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(file_, 1);
    fileRow->addWidget(browse);
    form->addRow(QStringLiteral("Archivo:"), fileRow);
    format_ = Choice({"PDF", "SVG"}, false);
    form->addRow(QStringLiteral("Formato:"), format_);
    paper_ = Choice({"carta", "oficio", "A3", "A1"}, false);
    paper_->setCurrentIndex(3);
    form->addRow(QStringLiteral("Papel:"), paper_);
    if (kind == Kind::Plan) {
        scale_ =
            Choice({kAdjusted, "1:500", "1:1000", "1:2000", "1:2500", "1:5000", "1:10000"}, true);
        form->addRow(QStringLiteral("Escala:"), scale_);
    } else {
        scale_ = Choice({"1:1000", "1:500", "1:2000", "1:2500"}, true);
        vertical_ = Choice({"1:100", "1:50", "1:200", "1:250"}, true);
        which_ = Choice({"Todos los colectores", "El perfil mostrado"}, false);
        if (shownFrom_.empty()) which_->setEnabled(false);
        form->addRow(QStringLiteral("Escala horizontal:"), scale_);
        form->addRow(QStringLiteral("Escala vertical:"), vertical_);
        form->addRow(QStringLiteral("Perfiles:"), which_);
    }
    auto* buttons = new QDialogButtonBox;
    buttons->addButton(QStringLiteral("Guardar"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    connect(browse, &QPushButton::clicked, this, [this] { this->browse(); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (save()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void DrawingPrintDialog::browse() {
    QFileDialog dialog(this, windowTitle());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({QStringLiteral("PDF (*.pdf)"), QStringLiteral("SVG (*.svg)")});
    dialog.selectNameFilter(format_->currentIndex() == 1 ? QStringLiteral("SVG (*.svg)")
                                                         : QStringLiteral("PDF (*.pdf)"));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Guardar"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Cancelar"));
    SizeFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    QString path = dialog.selectedFiles().first();
    const bool svg = dialog.selectedNameFilter().startsWith(QStringLiteral("SVG"));
    format_->setCurrentIndex(svg ? 1 : 0);
    const QString suffix = svg ? QStringLiteral(".svg") : QStringLiteral(".pdf");
    if (!path.endsWith(suffix, Qt::CaseInsensitive)) path += suffix;
    file_->setText(path);
}

void DrawingPrintDialog::tell(bool wrong, const std::string& text) {
    message_ = text;
    if (quiet) return;
    QMessageBox box(wrong ? QMessageBox::Warning : QMessageBox::Information, windowTitle(),
                    QString::fromStdString(text), QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    if (QAbstractButton* ok = box.button(QMessageBox::Ok)) ok->setText(QStringLiteral("Aceptar"));
    box.exec();
}

bool DrawingPrintDialog::save() {
    const std::string path = file_->text().trimmed().toStdString();
    if (path.empty()) {
        tell(true, "Escriba el nombre del archivo o escójalo con \"Examinar...\"");
        return false;
    }
    const dr::PageFormat format =
        format_->currentIndex() == 1 ? dr::PageFormat::Svg : dr::PageFormat::Pdf;
    dr::Paper paper = dr::Paper::A1;
    dr::PaperNamed(paper_->currentText().toLower().toStdString(), paper);
    auto scaleOf = [this](QComboBox* c, const char* what, int& scale) {
        if (dr::ReadScale(c->currentText().toStdString(), scale)) return true;
        tell(true, std::string("La escala ") + what +
                       " debe escribirse 1:N, con N entero de 1 a 10000000");
        return false;
    };
    std::ostringstream said;
    std::string error;
    if (kind_ == Kind::Plan) {
        dr::PlanFile request;
        request.format = format;
        request.paper = paper;
        request.path = path;
        request.fontFile = fontFile_;
        if (scale_->currentText() != QString::fromUtf8(kAdjusted) &&
            !scaleOf(scale_, "del plano", request.scale))
            return false;
        dr::PlanFileResult result;
        if (!dr::WritePlanFile(inputs_, request, result, &error)) {
            tell(true, "No se escribió el plano: " + error);
            return false;
        }
        said << "Plano escrito en " << path << "\nEscala 1:" << result.scale << ", hoja "
             << result.width << " x " << result.height << " mm"
             << (result.schematic ? " (esquemático)" : "");
    } else {
        dr::ProfilesFile request;
        request.format = format;
        request.sheets.paper = paper;
        request.path = path;
        request.fontFile = fontFile_;
        if (!scaleOf(scale_, "horizontal", request.sheets.scales.horizontal) ||
            !scaleOf(vertical_, "vertical", request.sheets.scales.vertical))
            return false;
        if (which_->currentIndex() == 1) {
            request.from = shownFrom_;
            request.to = shownTo_;
        }
        dr::ProfilesFileResult result;
        if (!dr::WriteProfilesFile(inputs_, request, result, &error)) {
            tell(true, "No se escribieron los perfiles: " + error);
            return false;
        }
        said << "Perfiles escritos en " << path << "\n"
             << result.lines << " perfil(es) en " << result.sheets << " hoja(s)";
    }
    tell(false, said.str());
    return true;
}

}  // namespace nivex::qt
