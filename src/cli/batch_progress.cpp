#include "cli/batch_progress.h"

#include <algorithm>
#include <ostream>

#include "console/codepage.h"

namespace nivex::cli {

int BatchProgress::percent() const {
    return maximum_ > 0 ? position_ * 100 / maximum_ : 100;
}

void BatchProgress::report(int value) {
    err_ << "Progreso: " << value << " %\n";
    reported_ = value;
}

void BatchProgress::OpenProgressBar(int maximum) {
    open_ = true;
    maximum_ = std::max(0, maximum);
    position_ = 0;
    reported_ = 0;
}

void BatchProgress::StepProgressBar() {
    if (!open_ || position_ >= maximum_) return;
    ++position_;
    // Only the tenths: a long design has thousands of steps.
    const int tenth = percent() / 10 * 10;
    if (tenth > reported_) report(tenth);
}

void BatchProgress::CloseProgressBar() {
    if (!open_) return;
    open_ = false;
    if (position_ > 0 && percent() != reported_) report(percent());
    err_.flush();
}

void BatchProgress::OpenProgressTimer(const std::string& line1, const std::string& line2) {
    for (const std::string* line : {&line1, &line2})
        if (!line->empty()) err_ << toUtf8(*line) << '\n';
    err_.flush();
}

}  // namespace nivex::cli
