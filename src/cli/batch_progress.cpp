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

void BatchProgress::printCaption() {
    err_ << toUtf8(caption_) << "   " << toUtf8(label_) << '\n';
    err_.flush();
}

void BatchProgress::OpenProgressStatus(const std::string& caption, const std::string& label, int) {
    statusOpen_ = true;
    caption_ = caption;
    label_ = label;
    counts_[0].clear();
    counts_[1].clear();
    printCaption();
}

void BatchProgress::SetProgressStatusCaption(const std::string& caption) {
    if (!statusOpen_ || caption == caption_) return;
    caption_ = caption;
    printCaption();
}

void BatchProgress::SetProgressStatusCounts(const std::string& line1, const std::string& line2) {
    if (!statusOpen_ || (line1 == counts_[0] && line2 == counts_[1])) return;
    counts_[0] = line1;
    counts_[1] = line2;
    std::string line = line1;
    if (!line1.empty() && !line2.empty()) line += "   ";
    line += line2;
    if (line.empty()) return;
    err_ << toUtf8(line) << '\n';
    err_.flush();
}

void BatchProgress::CloseProgressStatus() {
    statusOpen_ = false;
}

}  // namespace nivex::cli
