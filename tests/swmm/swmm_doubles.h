#pragma once
// Doubles for the SWMM run: an engine that follows a script and records its calls, a
// progress window that records what it was asked and can press "Cancelar", and a
// scratch folder.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "swmm/engine.h"
#include "ui/progress.h"

namespace nivex::swmm::testing {

// Steps: each gives the code and the elapsed time the engine reports.
struct ScriptedStep {
    int code = 0;
    double elapsed = 0;
};

class FakeEngine : public SwmmEngine {
  public:
    bool isLoaded = true;
    std::string loadMessage;
    int openCode = 0;
    int startCode = 0;
    std::vector<ScriptedStep> steps;  // after the last one: code 0, elapsed 0
    std::string failureText;          // errorText() when a call failed
    std::vector<std::string> calls;

    // A run of n steps that ends normally.
    static std::vector<ScriptedStep> Normal(int n) {
        std::vector<ScriptedStep> s;
        for (int i = 1; i < n; ++i)
            s.push_back({0, i * 0.001});
        s.push_back({0, 0});
        return s;
    }

    bool loaded() const override { return isLoaded; }
    std::string loadError() const override { return loadMessage; }
    int open(const std::string& input, const std::string& report,
             const std::string& output) override {
        calls.push_back("open " + input + " " + report + " " + output);
        failed_ = openCode != 0;
        return openCode;
    }
    int start(int saveResults) override {
        calls.push_back("start " + std::to_string(saveResults));
        failed_ = startCode != 0;
        return startCode;
    }
    int step(double& elapsed) override {
        // A row of steps is one entry of the call list; stepCalls() counts them.
        if (calls.empty() || calls.back() != "step") calls.push_back("step");
        ++stepCalls_;
        const ScriptedStep s = next_ < steps.size() ? steps[next_++] : ScriptedStep{0, 0.0};
        elapsed = s.elapsed;
        failed_ = s.code != 0;
        return s.code;
    }
    int end() override {
        calls.push_back("end");
        return 0;
    }
    int close() override {
        calls.push_back("close");
        return 0;
    }
    std::string errorText() override { return failed_ ? failureText : std::string(); }

    int stepCalls() const { return stepCalls_; }

  private:
    size_t next_ = 0;
    int stepCalls_ = 0;
    bool failed_ = false;
};

// The timer window records "open <line1>|<line2>" and "close". The status window records
// "open <label>|" and "close" in the same list, then "caption <text>" and
// "counts <line1>|<line2>" as they change; its caption, bar and count lines stand in the
// members below, and every bar change in barMoves.
class RecordingProgress : public ui::Progress {
  public:
    std::vector<std::string> events;
    int ticks = 0;
    int cancelAtTick = -1;  // "Cancelar" is pressed during this tick (1-based)
    int cancelsCleared = 0;

    bool statusOpen = false;
    std::string caption, label, counts[2];
    int position = 0, maximum = 0;
    int barMoves = 0;

    void OpenProgressBar(int) override { events.push_back("bar"); }
    void StepProgressBar() override {}
    void CloseProgressBar() override {}
    void OpenProgressTimer(const std::string& line1, const std::string& line2) override {
        events.push_back("open " + line1 + "|" + line2);
        cancel_ = false;
    }
    void ProgressTick() override {
        ++ticks;
        if (ticks == cancelAtTick) cancel_ = true;
    }
    bool ProgressCancel() const override { return cancel_; }
    void CloseProgressTimer() override { events.push_back("close"); }

    void OpenProgressStatus(const std::string& title, const std::string& text,
                            int barMaximum) override {
        events.push_back("open " + text + "|");
        statusOpen = true;
        caption = title;
        label = text;
        counts[0].clear();
        counts[1].clear();
        position = 0;
        maximum = barMaximum;
        cancel_ = false;
    }
    void SetProgressStatusCaption(const std::string& title) override {
        if (!statusOpen) return;
        events.push_back("caption " + title);
        caption = title;
    }
    void SetProgressStatusBar(int at, int barMaximum) override {
        if (!statusOpen) return;
        ++barMoves;
        position = at;
        maximum = barMaximum;
    }
    void SetProgressStatusCounts(const std::string& line1, const std::string& line2) override {
        if (!statusOpen) return;
        events.push_back("counts " + line1 + "|" + line2);
        counts[0] = line1;
        counts[1] = line2;
    }
    void CloseProgressStatus() override {
        events.push_back("close");
        statusOpen = false;
    }
    void ClearProgressCancel() override {
        ++cancelsCleared;
        cancel_ = false;
    }

    void pressCancel() { cancel_ = true; }

  private:
    bool cancel_ = false;
};

// A folder of its own under the system's temporary folder, removed afterwards.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& name)
        : path_(std::filesystem::temp_directory_path() /
                ("nivex-swmm-" + name + "-" + std::to_string(getpid()))) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string path() const { return path_.string(); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    void write(const std::string& name, const std::string& text) const {
        std::ofstream(path_ / name, std::ios::binary) << text;
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }

  private:
    std::filesystem::path path_;
};

}  // namespace nivex::swmm::testing
