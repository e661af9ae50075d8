#pragma once
// The progress windows of long computations: a bar that moves one step at a time, a
// window with the elapsed time and a "Cancelar" button, and the status window of an
// engine run (a caption, a label, a bar, two count lines, the elapsed time and
// "Cancelar"). The timer window and the status window share the cancel flag.

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
    // "Cancelar" was pressed since the window opened (or since ClearProgressCancel).
    virtual bool ProgressCancel() const = 0;
    virtual void CloseProgressTimer() = 0;

    // The status window: caption and label (code-page bytes), the bar at 0 of maximum,
    // both count lines empty and its clock at zero. Clears the cancel flag. An open one
    // is replaced.
    virtual void OpenProgressStatus(const std::string& caption, const std::string& label,
                                    int maximum) = 0;
    // The calls below change the open status window and leave its clock running; without
    // one they do nothing.
    virtual void SetProgressStatusCaption(const std::string& caption) = 0;
    // position: 0 to maximum.
    virtual void SetProgressStatusBar(int position, int maximum) = 0;
    // The two count lines (code-page bytes); empty texts leave them blank.
    virtual void SetProgressStatusCounts(const std::string& line1, const std::string& line2) = 0;
    virtual void CloseProgressStatus() = 0;

    // Forgets an earlier "Cancelar" without opening anything.
    virtual void ClearProgressCancel() = 0;
};

}  // namespace nivex::ui
