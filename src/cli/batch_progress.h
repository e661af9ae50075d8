#pragma once
// Progress of a batch run: a few lines on standard error instead of windows. Nothing
// cancels a batch run.

#include <iosfwd>

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

  private:
    int percent() const;
    void report(int percent);

    std::ostream& err_;
    bool open_ = false;
    int maximum_ = 0;
    int position_ = 0;
    int reported_ = 0;  // the last percentage printed
};

}  // namespace nivex::cli
