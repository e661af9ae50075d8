#include "shell/letter_menu.h"

#include <string>

#include "console/codepage.h"
#include "console/keys.h"
#include "shell/session.h"

namespace nivex::shell {
namespace {

bool ShowMenu(Session& s, const LetterMenu& menu) {
    s.console.clrScr();
    s.console.hideCaret();
    s.screen.ShowHeader(cp(menu.title));
    s.screen.ShowLegend(menu.legend);
    const int bottom = menu.top + static_cast<int>(menu.items.size()) + 3;
    if (!s.screen.OpenWindow('D', menu.left, menu.top, 1, cp(menu.title), 0, bottom, menu.right))
        return false;
    for (size_t k = 0; k < menu.items.size(); ++k) {
        s.console.gotoXY(4, static_cast<int>(k) + 2);
        s.console.writeText(
            cp(std::string("[") + menu.items[k].letter + "] " + menu.items[k].caption));
    }
    return true;
}

// A key of another menu-bar choice goes back in front of the keys that follow it, for the
// main menu to take.
void HandBack(console::Console& console, uint8_t code) {
    std::vector<uint8_t> rest;
    while (auto next = console.takeKey())
        rest.push_back(*next);
    console.pushKey(code);
    for (uint8_t k : rest)
        console.pushKey(k);
}

}  // namespace

void RunLetterMenu(Session& s, const LetterMenu& menu, const std::function<void(char)>& choose) {
    s.switches.atMainMenu = false;
    for (;;) {
        const bool opened = ShowMenu(s, menu);
        const uint8_t code = static_cast<uint8_t>(s.screen.ReadChoice()[0]);
        // The letter came with a menu-bar choice (not typed here): the user never saw this
        // menu, so once the item is done the program goes back to the main screen instead
        // of drawing the menu again behind the closed viewer.
        const bool fromMenuBar = s.switches.menuKeyAccepted;
        if (opened) s.screen.CloseWindow();
        if (code == key::Esc) break;
        const char letter = static_cast<char>(upperByte(code));
        bool known = false;
        for (const LetterItem& item : menu.items)
            known = known || item.letter == letter;
        if (known) {
            choose(letter);
            if (fromMenuBar) break;
            continue;
        }
        if (s.switches.menuKeyAccepted) {
            HandBack(s.console, code);
            break;
        }
        s.console.beep();
    }
    s.switches.endKeys = "Enter";
}

}  // namespace nivex::shell
