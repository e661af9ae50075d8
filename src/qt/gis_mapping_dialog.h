#pragma once
// "Entrar Red SIG": which layer of the file holds the reaches and which the manholes, and
// from which field each datum of the network is read. The proposals and the check of what a
// mapping may not leave out belong to exchange/gis_layers.h; the dialog shows and forwards.

#include <QDialog>
#include <map>
#include <string>
#include <vector>

#include "exchange/gis_layers.h"
#include "ui/exchange.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace nivex::qt {

class GisMappingDialog : public QDialog {
    Q_OBJECT

  public:
    GisMappingDialog(const std::string& path, std::vector<exchange::GisLayerInfo> layers,
                     QWidget* parent = nullptr);

    QComboBox* reachLayerChoice() const { return reachLayer_; }
    QComboBox* manholeLayerChoice() const { return manholeLayer_; }
    // The choice of a datum's field (nullptr for an unknown datum).
    QComboBox* fieldChoice(const std::string& datum) const;
    QLabel* refusalLabel() const { return refusal_; }
    QPushButton* acceptButton() const { return accept_; }

    // The layers and fields chosen, every datum given ("" for none).
    exchange::GisMapping mapping() const;

  public slots:
    // "Aceptar": refused, with the reason under the table, while a needed datum has no field.
    void accept() override;

  private:
    void fillFields(bool manholes);

    std::vector<exchange::GisLayerInfo> layers_;
    std::vector<exchange::GisDatumRow> rows_;
    QComboBox* reachLayer_ = nullptr;
    QComboBox* manholeLayer_ = nullptr;
    std::map<std::string, QComboBox*> fields_;
    QLabel* refusal_ = nullptr;
    QPushButton* accept_ = nullptr;
};

class QtGisMappingDialog : public ui::GisMappingDialog {
  public:
    explicit QtGisMappingDialog(QWidget* parent) : parent_(parent) {}
    bool run(const std::string& path, const std::vector<exchange::GisLayerInfo>& layers,
             exchange::GisMapping& mapping) override;

  private:
    QWidget* parent_;
};

}  // namespace nivex::qt
