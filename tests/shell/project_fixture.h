#pragma once
// A project sector on disk and a selection dialog that accepts it at once, for the tests
// of the main menu loop.

#include <filesystem>
#include <string>

#include "project/project.h"
#include "project/project_selection.h"
#include "ui/project_dialog.h"

namespace nivex::testing {

// A temporary folder, removed with everything in it at the end of the test.
struct TempFolder {
    std::filesystem::path path;
    std::filesystem::path previous = std::filesystem::current_path();
    explicit TempFolder(const std::string& tag);
    ~TempFolder();
};

// Writes the six records of a sector's control file from a header.
void WriteControlFile(const std::string& path, const shell::ProyectoT& header);

// Accepts the sector prepared in `project` without showing anything; counts its runs.
class AcceptingDialog : public ui::ProjectDialog {
  public:
    AcceptingDialog(project::Project& target, const std::string& folder, std::string extension,
                    std::string sectors = "1");
    bool run(project::ProjectSelection&) override;

    shell::ProyectoT header;  // what the control file holds when the sector opens
    int runs = 0;
    bool accept = true;

  private:
    project::Project& target_;
    std::string folder_, extension_, sectors_;
};

}  // namespace nivex::testing
