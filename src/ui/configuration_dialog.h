#pragma once
// The general configuration dialog of a project, over the logic that applies its rules.

namespace nivex::project {
class Configuration;
}

namespace nivex::ui {

class ConfigurationDialog {
  public:
    virtual ~ConfigurationDialog() = default;
    // Shows the dialog modally over the configuration of the open sector; returns when
    // it is closed.
    virtual void run(project::Configuration& configuration) = 0;
};

}  // namespace nivex::ui
