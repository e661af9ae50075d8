#include "support/scripted.h"

namespace nivex::testing {

ScriptedPump& ScriptedPump::type(const std::string& keys) {
    for (char c : keys)
        key(static_cast<uint8_t>(c));
    return *this;
}

ScriptedPump& ScriptedPump::key(uint8_t code) {
    Step s;
    s.code = code;
    script_.push_back(std::move(s));
    return *this;
}

ScriptedPump& ScriptedPump::call(std::function<void()> action) {
    Step s;
    s.action = std::move(action);
    script_.push_back(std::move(s));
    return *this;
}

ScriptedPump& ScriptedPump::click(int column, int row, int button) {
    Step s;
    s.isClick = true;
    s.column = column;
    s.row = row;
    s.button = button;
    script_.push_back(s);
    return *this;
}

void ScriptedPump::waitForInput() {
    ++waits_;
    // Leaving the program, once asked, leaves every later wait too.
    if (leaving_) throw console::ProgramExit{};
    if (script_.empty()) throw ScriptExhausted();
    Step s = script_.front();
    script_.pop_front();
    if (s.action) {
        try {
            s.action();
        } catch (const console::ProgramExit&) {
            leaving_ = true;
            throw;
        }
    } else if (s.isClick) {
        console_.mouseDown(s.column, s.row, s.button);
    } else {
        console_.pushKey(s.code);
    }
}

char ScriptedUi::showWarning(const std::string& m, const std::string& c) {
    boxes.push_back({"warning", m, c});
    return 'S';
}

char ScriptedUi::showError(const std::string& m, const std::string& c) {
    boxes.push_back({"error", m, c});
    return 'S';
}

char ScriptedUi::askYesNo(const std::string& m, const std::string& c) {
    boxes.push_back({"yesno", m, c});
    if (answers.empty()) return 'N';
    char a = answers.front();
    answers.pop_front();
    return a == 'S' ? 'S' : 'N';
}

char ScriptedUi::askYesNoCancel(const std::string& m, const std::string& c) {
    boxes.push_back({"yesnocancel", m, c});
    if (answers.empty()) return 'C';
    char a = answers.front();
    answers.pop_front();
    return a == 'S' || a == 'N' ? a : 'C';
}

void ScriptedUi::showInformation(const std::string& m, const std::string& c) {
    boxes.push_back({"info", m, c});
}

std::string ConsoleRig::row(int r) const {
    std::string text = console.rowText(r);
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

}  // namespace nivex::testing
