#include "swmm/swmm_progress.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>

namespace nivex::swmm {
namespace {

double steadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

std::string ElapsedLabel(long seconds) {
    seconds = std::max(0L, seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld", seconds / 60, seconds % 60);
    return std::string("Tiempo Transcurrido: ") + text;
}

SwmmProgress::SwmmProgress(ui::Progress* window, Clock clock)
    : window_(window), clock_(clock ? std::move(clock) : Clock(steadySeconds)) {}

SwmmProgress::~SwmmProgress() {
    Close();
}

void SwmmProgress::Show(int maximum) {
    bar_ = 0;
    maximum_ = std::max(0, maximum);
    refreshTexts();
    if (!open_) {
        open_ = true;
        openedAt_ = clock_();
        if (!window_) return;
        window_->OpenProgressStatus(caption_, kLabel, maximum_);
        shownCaption_ = caption_;
        shownFlooded_.clear();
        shownSurcharged_.clear();
        shownBar_ = 0;
        shownMaximum_ = maximum_;
    } else if (window_) {
        window_->ClearProgressCancel();
    }
    pushChanges();
}

void SwmmProgress::Update() {
    ++steps_;
    if (maximum_ > 0 && bar_ >= maximum_) {
        bar_ = 1;
        steps_ = 0;
    }
    if (steps_ >= kStepsPerMark) {
        ++bar_;
        steps_ = 0;
    }
    refreshTexts();
    pushChanges();
}

void SwmmProgress::Tick() {
    if (open_ && window_) window_->ProgressTick();
}

void SwmmProgress::Close() {
    if (!open_) return;
    open_ = false;
    if (window_) window_->CloseProgressStatus();
}

bool SwmmProgress::cancelled() const {
    return open_ && window_ && window_->ProgressCancel();
}

std::string SwmmProgress::elapsedLabel() const {
    const double seconds = open_ ? clock_() - openedAt_ : 0;
    return ElapsedLabel(static_cast<long>(seconds + 0.5));
}

std::string SwmmProgress::firstLine() const {
    if (caption_ == kCaption) return kLabel;
    return caption_ + "   " + kLabel;
}

std::string SwmmProgress::secondLine() const {
    if (flooded_.empty()) return {};
    return flooded_ + "   " + surcharged_;
}

void SwmmProgress::refreshTexts() {
    caption_ = pass_.stormFromSwmm && pass_.pass > 0 ? "Pasada #" + std::to_string(pass_.pass)
                                                     : std::string(kCaption);
    if (pass_.flooded > 0) {
        flooded_ = "Nodos Inundados: " + std::to_string(pass_.flooded);
        surcharged_ = "Nodos Sobrecargados: " + std::to_string(pass_.surcharged);
    } else {
        flooded_.clear();
        surcharged_.clear();
    }
}

void SwmmProgress::pushChanges() {
    if (!open_ || !window_) return;
    if (caption_ != shownCaption_) {
        shownCaption_ = caption_;
        window_->SetProgressStatusCaption(caption_);
    }
    if (bar_ != shownBar_ || maximum_ != shownMaximum_) {
        shownBar_ = bar_;
        shownMaximum_ = maximum_;
        window_->SetProgressStatusBar(bar_, maximum_);
    }
    if (flooded_ != shownFlooded_ || surcharged_ != shownSurcharged_) {
        shownFlooded_ = flooded_;
        shownSurcharged_ = surcharged_;
        window_->SetProgressStatusCounts(flooded_, surcharged_);
    }
}

}  // namespace nivex::swmm
