#pragma once
// What only the window system can do for the program shell.

#include <string>

namespace nivex::ui {

enum class OpenResult { Opened, FileMissing, NoProgram };

class Desktop {
  public:
    virtual ~Desktop() = default;
    // Registers the listing font file for this run; false when it cannot be used.
    virtual bool registerListingFont(const std::string& path) = 0;
    // Opens a document with the system's "open" action.
    virtual OpenResult openDocument(const std::string& path) = 0;
    // The modal about box.
    virtual void showAbout() = 0;
    // Moves a file or folder to the user's trash; false when it could not be moved.
    virtual bool moveToTrash(const std::string& path) = 0;
};

}  // namespace nivex::ui
