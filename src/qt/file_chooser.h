#pragma once
// The system's file dialogs, and the size every file dialog of the program opens at.

#include <QWidget>

class QFileDialog;

#include "ui/file_chooser.h"

namespace nivex::qt {

// Large enough that the folder names, the file name and the column titles show whole, as
// far as the screen allows (Qt's own size cuts them).
void SizeFileDialog(QFileDialog& dialog);

class QtFileChooser : public ui::FileChooser {
  public:
    explicit QtFileChooser(QWidget* parent) : parent_(parent) {}
    std::string chooseFile(const std::string& title, const std::string& filter,
                           const std::string& folder) override;
    std::string chooseSaveFile(const std::string& title, const std::string& filter,
                               const std::string& suggested) override;
    std::string chooseFolder(const std::string& title, const std::string& folder) override;

  private:
    QWidget* parent_;
};

}  // namespace nivex::qt
