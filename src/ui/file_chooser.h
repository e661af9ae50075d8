#pragma once
// The system's open-file dialog, for the choices that take a file from the user.

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
};

}  // namespace nivex::ui
