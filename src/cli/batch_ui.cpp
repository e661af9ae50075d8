#include "cli/batch_ui.h"

#include <ostream>

#include "console/codepage.h"

namespace nivex::cli {

void BatchUi::print(const std::string& caption, const std::string& message, const char* answer) {
    // One line per box: its line breaks become separators.
    std::string text;
    for (size_t i = 0; i < message.size(); ++i) {
        const char c = message[i];
        if (c == '\r' && i + 1 < message.size() && message[i + 1] == '\n') {
            text += " / ";
            ++i;
        } else if (c == '\r' || c == '\n') {
            text += ' ';
        } else {
            text += c;
        }
    }
    if (!caption.empty()) err_ << toUtf8(caption) << ": ";
    err_ << toUtf8(text);
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
