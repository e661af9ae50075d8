#pragma once
// The sub-menus of the listing choices: a window of items chosen by letter, run until Esc
// or until a key of another menu-bar choice arrives (that key goes back to the main menu).

#include <functional>
#include <vector>

namespace nivex::shell {

struct Session;

struct LetterItem {
    char letter;          // upper case
    const char* caption;  // UTF-8
};

struct LetterMenu {
    const char* title;   // UTF-8, on row 1 and on the window
    const char* legend;  // key legend
    int left, top, right;
    std::vector<LetterItem> items;
};

void RunLetterMenu(Session& s, const LetterMenu& menu, const std::function<void(char)>& choose);

}  // namespace nivex::shell
