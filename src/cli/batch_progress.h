#pragma once
// Progress of a batch run: a few lines on standard error instead of windows. Nothing
// cancels a batch run.

#include <iosfwd>
#include <string>

#include "ui/progress.h"

namespace nivex::cli {

class BatchProgress : public ui::Progress {
  public:
    explicit BatchProgress(std::ostream& err) : err_(err) {}

    // "Progreso: 40 %" at each tenth reached, and the last value when the bar closes short.
    void OpenProgressBar(int maximum) override;
    void StepProgressBar() override;
    void CloseProgressBar() override;

    // The two texts are printed once.
    void OpenProgressTimer(const std::string& line1, const std::string& line2) override;
    void ProgressTick() override {}
    bool ProgressCancel() const override { return false; }
    void CloseProgressTimer() override {}

    // The status window: "<caption>   <label>" when it opens and whenever the caption
    // changes, and the count lines, joined by three blanks, whenever they change to
    // something not blank. The bar and the clock print nothing: an engine run has
    // thousands of steps.
    void OpenProgressStatus(const std::string& caption, const std::string& label,
                            int maximum) override;
    void SetProgressStatusCaption(const std::string& caption) override;
    void SetProgressStatusBar(int, int) override {}
    void SetProgressStatusCounts(const std::string& line1, const std::string& line2) override;
    void CloseProgressStatus() override;
    void ClearProgressCancel() override {}

  private:
    int percent() const;
    void report(int percent);
    void printCaption();

    std::ostream& err_;
    bool open_ = false;
    int maximum_ = 0;
    int position_ = 0;
    int reported_ = 0;  // the last percentage printed

    bool statusOpen_ = false;
    std::string caption_, label_;  // of the status window
    std::string counts_[2];        // the count lines last given
};

}  // namespace nivex::cli
