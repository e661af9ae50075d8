#pragma once
// The project selection dialog, over the logic that lists, checks and opens projects.

namespace nivex::project {
class ProjectSelection;
}

namespace nivex::ui {

class ProjectDialog {
  public:
    virtual ~ProjectDialog() = default;
    // Shows the dialog modally until a project is accepted (true) or the user confirms
    // leaving the program (false).
    virtual bool run(project::ProjectSelection& selection) = 0;
};

}  // namespace nivex::ui
