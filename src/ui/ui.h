#pragma once
// What the program asks of its surroundings beyond the text console: modal message
// boxes now; dialogs, the listing viewer and progress windows join as they are built.
// The desktop program implements it with Qt, nivex-batch for the command line, tests
// with a scripted double.

#include <string>

namespace nivex::ui {

// Texts are code-page bytes; "\r" breaks a line.
class Ui {
  public:
    virtual ~Ui() = default;

    // 'S' when OK was pressed, ' ' otherwise.
    virtual char showWarning(const std::string& message, const std::string& caption) = 0;
    virtual char showError(const std::string& message, const std::string& caption) = 0;
    // 'S' for Yes, 'N' for anything else.
    virtual char askYesNo(const std::string& message, const std::string& caption) = 0;
    // 'S' for Yes, 'N' for No, 'C' for anything else.
    virtual char askYesNoCancel(const std::string& message, const std::string& caption) = 0;
    // An information box with an OK button (installation notes, the about box).
    virtual void showInformation(const std::string& message, const std::string& caption) = 0;
};

}  // namespace nivex::ui
