#pragma once
// The two progress windows of long computations: a bar that moves one step at a time,
// and a window with the elapsed time and a "Cancelar" button.

#include <string>

namespace nivex::ui {

class Progress {
  public:
    virtual ~Progress() = default;

    virtual void OpenProgressBar(int maximum) = 0;
    // One step further; lets pending window messages run.
    virtual void StepProgressBar() = 0;
    virtual void CloseProgressBar() = 0;

    // line1, line2: the caller's texts (code-page bytes). Clears the cancel flag.
    virtual void OpenProgressTimer(const std::string& line1, const std::string& line2) = 0;
    // Lets pending window messages run (the clock and "Cancelar" stay alive).
    virtual void ProgressTick() = 0;
    // "Cancelar" was pressed since the window opened.
    virtual bool ProgressCancel() const = 0;
    virtual void CloseProgressTimer() = 0;
};

}  // namespace nivex::ui
