#pragma once
// The key-driven harness: a pump that hands over scripted keys when a screen waits, and
// a user-interface double that records every box and answers from a list.

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "console/console.h"
#include "ui/desktop.h"
#include "ui/ui.h"

namespace nivex::testing {

// Thrown when a screen still waits for a key after the script has run out.
struct ScriptExhausted : std::runtime_error {
    ScriptExhausted() : std::runtime_error("script ran out of keys while a screen waits") {}
};

class ScriptedPump : public console::EventPump {
  public:
    explicit ScriptedPump(console::Console& console) : console_(console) { console_.setPump(this); }
    ~ScriptedPump() override { console_.setPump(nullptr); }

    // Keys the user types: one byte each ("12\r" types 1, 2, Enter).
    ScriptedPump& type(const std::string& keys);
    ScriptedPump& key(uint8_t code);
    // A click on a cell (0-based) when the screen next waits.
    ScriptedPump& click(int column, int row, int button = -1);
    // Something the user does outside the console when the screen next waits, such as
    // choosing a menu-bar item.
    ScriptedPump& call(std::function<void()> action);
    bool done() const { return script_.empty(); }
    int beeps() const { return beeps_; }
    int waits() const { return waits_; }

    void waitForInput() override;
    void processPending() override {}
    void sleepMs(int) override {}
    void beep() override { ++beeps_; }

  private:
    struct Step {
        bool isClick = false;
        uint8_t code = 0;
        int column = 0, row = 0, button = -1;
        std::function<void()> action;
    };
    console::Console& console_;
    std::deque<Step> script_;
    int beeps_ = 0;
    int waits_ = 0;
    bool leaving_ = false;
};

struct RecordedBox {
    std::string kind;  // "warning", "error", "yesno", "yesnocancel", "info"
    std::string message;
    std::string caption;
};

class ScriptedUi : public ui::Ui {
  public:
    // Answers for the questions, in order; a question without an answer gets 'N' ('C').
    std::deque<char> answers;
    std::vector<RecordedBox> boxes;

    char showWarning(const std::string& m, const std::string& c) override;
    char showError(const std::string& m, const std::string& c) override;
    char askYesNo(const std::string& m, const std::string& c) override;
    char askYesNoCancel(const std::string& m, const std::string& c) override;
    void showInformation(const std::string& m, const std::string& c) override;

    const RecordedBox* last() const { return boxes.empty() ? nullptr : &boxes.back(); }
};

// Desktop services that do nothing: fonts register, documents open, nothing is trashed.
struct NullDesktop : ui::Desktop {
    bool registerListingFont(const std::string&) override { return true; }
    ui::OpenResult openDocument(const std::string&) override { return ui::OpenResult::Opened; }
    void showAbout() override {}
    bool moveToTrash(const std::string&) override { return false; }
};

// A console with its switches, a recording user interface and a scripted pump.
struct ConsoleRig {
    UiSwitches switches;
    ScriptedUi ui;
    console::Console console{switches, ui};
    ScriptedPump pump{console};

    // The text of a screen row, trailing blanks cut.
    std::string row(int row) const;
};

}  // namespace nivex::testing
