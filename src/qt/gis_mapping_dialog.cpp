#include "qt/gis_mapping_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

namespace nivex::qt {
namespace {

using exchange::GisGeometry;
using exchange::GisLayerInfo;

QString U(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

const GisLayerInfo* LayerNamed(const std::vector<GisLayerInfo>& layers, const QString& name) {
    for (const GisLayerInfo& l : layers)
        if (U(l.name) == name) return &l;
    return nullptr;
}

// The layers of a geometry, and those GDAL does not tell, with the proposal chosen.
QComboBox* LayerChoice(const std::vector<GisLayerInfo>& layers, GisGeometry geometry) {
    auto* combo = new QComboBox;
    for (const GisLayerInfo& l : layers)
        if (l.geometry == geometry || l.geometry == GisGeometry::Other) combo->addItem(U(l.name));
    const int proposed = combo->findText(U(exchange::ProposedLayer(layers, geometry)));
    if (proposed >= 0) combo->setCurrentIndex(proposed);
    return combo;
}

}  // namespace

GisMappingDialog::GisMappingDialog(const std::string& path, std::vector<GisLayerInfo> layers,
                                   QWidget* parent)
    : QDialog(parent), layers_(std::move(layers)), rows_(exchange::GisDatumRows()) {
    setWindowTitle(QStringLiteral("Entrar Red SIG: campos de la red"));
    auto* top = new QVBoxLayout(this);
    auto* file = new QLabel(QStringLiteral("Archivo: ") + U(path));
    file->setWordWrap(true);
    top->addWidget(file);

    auto* layerForm = new QFormLayout;
    reachLayer_ = LayerChoice(layers_, GisGeometry::Lines);
    manholeLayer_ = LayerChoice(layers_, GisGeometry::Points);
    layerForm->addRow(QStringLiteral("Capa de los tramos (líneas):"), reachLayer_);
    layerForm->addRow(QStringLiteral("Capa de los pozos (puntos):"), manholeLayer_);
    top->addLayout(layerForm);

    // Each datum with the field it is read from, the reaches' then the manholes'.
    auto* table = new QWidget;
    auto* grid = new QVBoxLayout(table);
    for (bool manholes : {false, true}) {
        auto* group = new QGroupBox(manholes ? QStringLiteral("Datos de los pozos")
                                             : QStringLiteral("Datos de los tramos"));
        auto* form = new QFormLayout(group);
        for (const exchange::GisDatumRow& row : rows_) {
            if (row.manhole != manholes) continue;
            QString label = U(row.datum) + QStringLiteral(" - ") + U(row.description);
            if (row.required) label += QStringLiteral(" *");
            if (row.datum == exchange::kGroundDatum) label += QStringLiteral(" (*)");
            auto* combo = new QComboBox;
            combo->setObjectName(U(row.datum));
            fields_[row.datum] = combo;
            form->addRow(label, combo);
        }
        grid->addWidget(group);
    }
    auto* scroll = new QScrollArea;
    scroll->setWidget(table);
    scroll->setWidgetResizable(true);
    top->addWidget(scroll, 1);

    auto* note = new QLabel(
        QStringLiteral("* dato necesario.  (*) necesario salvo que la capa de los tramos dé "
                       "rasan_sup y rasan_inf.\nUn dato sin campo (ninguno) no se lee; la "
                       "longitud sin campo se toma de la línea."));
    note->setWordWrap(true);
    top->addWidget(note);
    refusal_ = new QLabel;
    refusal_->setStyleSheet(QStringLiteral("color: #b00000"));
    refusal_->setWordWrap(true);
    refusal_->hide();
    top->addWidget(refusal_);

    auto* buttons = new QDialogButtonBox;
    accept_ = buttons->addButton(QStringLiteral("Aceptar"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &GisMappingDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &GisMappingDialog::reject);
    top->addWidget(buttons);

    fillFields(false);
    fillFields(true);
    connect(reachLayer_, &QComboBox::currentIndexChanged, this, [this] { fillFields(false); });
    connect(manholeLayer_, &QComboBox::currentIndexChanged, this, [this] { fillFields(true); });

    QSize wanted(720, 640);
    if (const QScreen* screen = this->screen())
        wanted = wanted.boundedTo(screen->availableGeometry().size() - QSize(40, 80));
    resize(wanted);
}

void GisMappingDialog::fillFields(bool manholes) {
    const QComboBox* layerChoice = manholes ? manholeLayer_ : reachLayer_;
    const GisLayerInfo* layer = LayerNamed(layers_, layerChoice->currentText());
    for (const exchange::GisDatumRow& row : rows_) {
        if (row.manhole != manholes) continue;
        QComboBox* combo = fields_.at(row.datum);
        combo->clear();
        combo->addItem(QStringLiteral("(ninguno)"), QString());
        if (!layer) continue;
        for (const std::string& f : layer->fields)
            combo->addItem(U(f), U(f));
        const int proposed = combo->findData(U(exchange::ProposedField(*layer, row.datum)));
        combo->setCurrentIndex(proposed > 0 ? proposed : 0);
    }
}

QComboBox* GisMappingDialog::fieldChoice(const std::string& datum) const {
    const auto it = fields_.find(datum);
    return it == fields_.end() ? nullptr : it->second;
}

exchange::GisMapping GisMappingDialog::mapping() const {
    exchange::GisMapping m;
    m.reachLayer = reachLayer_->currentText().toStdString();
    m.manholeLayer = manholeLayer_->currentText().toStdString();
    for (const auto& [datum, combo] : fields_)
        m.fields[datum] = combo->currentData().toString().toStdString();
    return m;
}

void GisMappingDialog::accept() {
    const std::string refusal = exchange::GisMappingRefusal(mapping());
    if (!refusal.empty()) {
        refusal_->setText(U(refusal));
        refusal_->show();
        return;
    }
    QDialog::accept();
}

bool QtGisMappingDialog::run(const std::string& path,
                             const std::vector<exchange::GisLayerInfo>& layers,
                             exchange::GisMapping& mapping) {
    qt::GisMappingDialog dialog(path, layers, parent_);
    if (dialog.exec() != QDialog::Accepted) return false;
    mapping = dialog.mapping();
    return true;
}

}  // namespace nivex::qt
