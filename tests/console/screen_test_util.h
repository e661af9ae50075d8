#pragma once
// Helpers of the field-entry and text-window tests: a pump that looks at the screen each
// time a screen waits, and snapshots of every cell.

#include <functional>
#include <string>
#include <vector>

#include "console/console.h"
#include "console/screen.h"
#include "support/scripted.h"

namespace nivex::testing {

// Wraps the rig's scripted pump: before each wait it runs a probe (to look at the
// screen while a box or a field waits), then hands over the next scripted step.
class ProbingPump : public console::EventPump {
  public:
    ProbingPump(ConsoleRig& rig, std::function<void()> probe)
        : rig_(rig), probe_(std::move(probe)) {
        rig_.console.setPump(this);
    }
    ~ProbingPump() override { rig_.console.setPump(&rig_.pump); }

    void waitForInput() override {
        if (probe_) probe_();
        rig_.pump.waitForInput();
    }
    void processPending() override {}
    void sleepMs(int) override {}
    void beep() override { rig_.pump.beep(); }

  private:
    ConsoleRig& rig_;
    std::function<void()> probe_;
};

// Records the distinct texts of screen row 25 seen while a field waits.
struct ErrorLineRecorder {
    explicit ErrorLineRecorder(ConsoleRig& rig, int row = 25)
        : pump(rig, [this, &rig, row] {
              std::string text = rig.row(row);
              size_t first = text.find_first_not_of(' ');
              text = first == std::string::npos ? "" : text.substr(first);
              if (!text.empty() && (messages.empty() || messages.back() != text))
                  messages.push_back(text);
          }) {}
    std::vector<std::string> messages;
    ProbingPump pump;
};

inline std::vector<console::Cell> allCells(const console::Console& console) {
    std::vector<console::Cell> cells;
    for (int r = 1; r <= console.rows(); ++r)
        for (int c = 1; c <= console.columns(); ++c)
            cells.push_back(console.cell(c, r));
    return cells;
}

// Fills the screen with a recognisable pattern in varied colours and marks.
inline void fillPattern(console::Console& console) {
    console.setWindow(1, 1, console.columns(), console.rows());
    for (int r = 1; r <= console.rows(); ++r) {
        console.gotoXY(1, r);
        console.textColor(r % 16);
        console.textBackground((r + 5) % 16);
        console.setEmphasis(r % 2 == 0);
        console.setEffects(static_cast<uint16_t>(r % 3 == 0 ? 2 : 0));
        std::string line;
        for (int c = 1; c <= console.columns() - (r == console.rows() ? 1 : 0); ++c)
            line += static_cast<char>('A' + (r * 7 + c) % 26);
        console.writeText(line);
    }
    console.setEffects(0);
    console.setEmphasis(false);
    console.gotoXY(5, 6);
}

}  // namespace nivex::testing
