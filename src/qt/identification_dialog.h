#pragma once
// "Confirmacion": the text that identifies the summary or the comparison of alternatives,
// and whether to list.

#include <QDialog>
#include <string>

#include "ui/identification_dialog.h"

class QLineEdit;

namespace nivex::qt {

class TFormIdentif : public QDialog {
    Q_OBJECT
  public:
    TFormIdentif(const std::string& text, QWidget* parent);
    // 'S' after "SI", 'N' after "NO", 0 when closed without a button.
    char answer() const { return answer_; }
    std::string text() const;

  private:
    QLineEdit* edit_;
    char answer_ = 0;
};

class QtIdentificationDialog : public ui::IdentificationDialog {
  public:
    explicit QtIdentificationDialog(QWidget* parent) : parent_(parent) {}
    char run(std::string& text) override;

  private:
    QWidget* parent_;
};

}  // namespace nivex::qt
