#pragma once
// The system's open-file dialog.

#include <QWidget>

#include "ui/file_chooser.h"

namespace nivex::qt {

class QtFileChooser : public ui::FileChooser {
  public:
    explicit QtFileChooser(QWidget* parent) : parent_(parent) {}
    std::string chooseFile(const std::string& title, const std::string& filter,
                           const std::string& folder) override;

  private:
    QWidget* parent_;
};

}  // namespace nivex::qt
