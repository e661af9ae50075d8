#pragma once
// The program's modal message boxes as Qt message boxes, owned by the main window.

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include "ui/ui.h"

namespace nivex::qt {

class QtUi : public ui::Ui {
  public:
    explicit QtUi(QWidget* owner = nullptr) : owner_(owner) {}
    void setOwner(QWidget* owner) { owner_ = owner; }

    char showWarning(const std::string& message, const std::string& caption) override;
    char showError(const std::string& message, const std::string& caption) override;
    char askYesNo(const std::string& message, const std::string& caption) override;
    char askYesNoCancel(const std::string& message, const std::string& caption) override;
    void showInformation(const std::string& message, const std::string& caption) override;

  private:
    QMessageBox::StandardButton run(QMessageBox::Icon icon, const std::string& message,
                                    const std::string& caption,
                                    QMessageBox::StandardButtons buttons);
    QPointer<QWidget> owner_;
};

}  // namespace nivex::qt
