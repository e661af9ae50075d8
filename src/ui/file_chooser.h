#pragma once
// The system's file dialogs, for the choices that take a file from the user or write one.

#include <string>

namespace nivex::ui {

class FileChooser {
  public:
    virtual ~FileChooser() = default;
    // Shows the dialog with `title`, the filter as "(*.inp)|*.inp" (description and
    // pattern) and `folder` as the first folder shown. The full path of the chosen file,
    // or "" when the user cancelled. The title is code-page bytes.
    virtual std::string chooseFile(const std::string& title, const std::string& filter,
                                   const std::string& folder) = 0;
    // The save dialog: `suggested` is the path proposed (its folder shown first); a name
    // typed without the filter's extension gets it. The path, or "" when cancelled.
    virtual std::string chooseSaveFile(const std::string& title, const std::string& filter,
                                       const std::string& suggested) = 0;
    // A folder, which the user may make in the dialog; "" when cancelled.
    virtual std::string chooseFolder(const std::string& title, const std::string& folder) = 0;
};

}  // namespace nivex::ui
