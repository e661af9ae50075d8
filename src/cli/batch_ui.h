#pragma once
// The user interface of a batch run: boxes go to standard error, questions take the
// answer given on the command line or the safe default.

#include <iosfwd>

#include "ui/ui.h"

namespace nivex::cli {

class BatchUi : public ui::Ui {
  public:
    // yes: questions are answered Yes (the --yes option); otherwise No, or Cancel.
    BatchUi(std::ostream& err, bool yes) : err_(err), yes_(yes) {}

    void setYes(bool yes) { yes_ = yes; }

    char showWarning(const std::string& message, const std::string& caption) override;
    char showError(const std::string& message, const std::string& caption) override;
    char askYesNo(const std::string& message, const std::string& caption) override;
    char askYesNoCancel(const std::string& message, const std::string& caption) override;
    void showInformation(const std::string& message, const std::string& caption) override;

  private:
    void print(const std::string& caption, const std::string& message, const char* answer);
    std::ostream& err_;
    bool yes_;
};

}  // namespace nivex::cli
