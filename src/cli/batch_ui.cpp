#include "cli/batch_ui.h"

#include <ostream>

#include "console/codepage.h"

namespace nivex::cli {

void BatchUi::print(const std::string& caption, const std::string& message, const char* answer) {
    std::string text = message;
    for (auto& c : text)
        if (c == '\r') c = ' ';
    err_ << toUtf8(caption) << ": " << toUtf8(text);
    if (answer) err_ << " -> " << answer;
    err_ << '\n';
}

char BatchUi::showWarning(const std::string& m, const std::string& c) {
    print(c, m, nullptr);
    return 'S';
}

char BatchUi::showError(const std::string& m, const std::string& c) {
    print(c, m, nullptr);
    return 'S';
}

char BatchUi::askYesNo(const std::string& m, const std::string& c) {
    print(c, m, yes_ ? "S" : "N");
    return yes_ ? 'S' : 'N';
}

char BatchUi::askYesNoCancel(const std::string& m, const std::string& c) {
    print(c, m, yes_ ? "S" : "C");
    return yes_ ? 'S' : 'C';
}

void BatchUi::showInformation(const std::string& m, const std::string& c) {
    print(c, m, nullptr);
}

}  // namespace nivex::cli
