#pragma once
// The switches that the console, the field editor, the menu injection and the modules
// share for the whole run. One object per run, handed to whoever reads or sets them.

#include <cstdint>
#include <string>

namespace nivex {

struct UiSwitches {
    // Main menu and menu-bar injection.
    bool atMainMenu = false;
    bool menuKeyAccepted = false;  // the next key came from the menu bar or a mouse zone
    bool errorShowing = false;     // a field error waits on row 25
    bool processRunning = false;   // a long computation runs
    bool questionWaiting = false;  // a text yes/no box waits for S or N
    bool continueWaiting = false;  // a message waits for Enter or Esc
    bool unwindAllWindows = false;
    bool ownEscape = false;    // a box that handles its own Esc is open
    bool extraEscape = false;  // one more Esc leaves the current screen
    bool keysInjected = false;
    int16_t mainChoice = 0;
    std::string mainChoiceText;  // "05": the choice being run, for the listings

    // Field entry.
    bool blankZero = false;      // numeric 0 shown as a blank field
    bool zeroAsMinimum = false;  // empty real reads 0, a real 0 is stored as 0.001
    std::string endKeys = "Enter";
    uint8_t lastKey = 0;
    bool fieldChanged = false;
    bool dataChanged = false;
    bool screenChanged = false;

    // The console's error beep; silenced for the whole run at start-up.
    bool beepSilenced = false;
};

// Sets a switch for a scope and puts its former value back when the scope is left, by an
// exception too: processRunning around a long computation, off again around a question
// the computation asks.
class SwitchScope {
  public:
    SwitchScope(bool& sw, bool value) : sw_(sw), former_(sw) { sw_ = value; }
    ~SwitchScope() { sw_ = former_; }
    SwitchScope(const SwitchScope&) = delete;
    SwitchScope& operator=(const SwitchScope&) = delete;

  private:
    bool& sw_;
    bool former_;
};

}  // namespace nivex
