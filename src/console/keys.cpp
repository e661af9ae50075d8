#include "console/keys.h"

#include <array>
#include <string>
#include <utility>

#include "console/codepage.h"

namespace nivex::key {
namespace {

struct Named {
    std::string_view name;
    uint8_t code;
};

constexpr std::array<Named, 38> kKeyNames = {{
    {"TAB", Tab},
    {"ENTER", Enter},
    {"ESC", Esc},
    {"END", End},
    {"HOME", Home},
    {"INS", Insert},
    {"F1", 133},
    {"F2", 134},
    {"F3", 135},
    {"F4", 136},
    {"F5", 137},
    {"F6", 138},
    {"F7", 139},
    {"F8", 140},
    {"F9", 141},
    {"DEL", Delete},
    {"F11", F11},
    {"F12", F12},
    {"CTRLF1", CtrlF1},
    {"CTRLF2", CtrlF2},
    {"CTRLPGUP", CtrlPgUp},
    {"CTRLPGDN", CtrlPgDn},
    {"CTRLEND", CtrlEnd},
    {"ALTF1", AltF1},
    {"CTRY", CtrlY},
    {"ALTF2", 190},
    {"ALTF3", 191},
    {"ALTF4", 192},
    {"ALTF5", 193},
    {"ALTF6", 194},
    {"ALTF7", 195},
    {"ALTF8", 196},
    {"ALTF9", 197},
    {"ALTF10", 198},
    {"ALTX", AltX},
    {"PGUP", PgUp},
    {"PGDN", PgDn},
    {"ALTZ", AltZ},
}};

constexpr std::array<Named, 36> kEndKeyNames = {{
    {"Enter", Enter}, {"Up", Up},      {"Dn", Down},    {"PgUp", PgUp},  {"PgDn", PgDn},
    {"Home", Home},   {"End1", End},   {"Esc", Esc},    {"F2", 134},     {"F3", 135},
    {"F4", 136},      {"F5", 137},     {"F6", 138},     {"F7", 139},     {"F8", 140},
    {"CF1", CtrlF1},  {"CF2", CtrlF2}, {"CtrB", CtrlB}, {"CtrH", CtrlH}, {"CtrK", CtrlK},
    {"CtrQ", CtrlQ},  {"CtrY", CtrlY}, {"CtrV", CtrlV}, {"AF1", AltF1},  {"AF2", 190},
    {"AF3", 191},     {"AF4", 192},    {"AF5", 193},    {"AF6", 194},    {"AF7", 195},
    {"AF8", 196},     {"AF9", 197},    {"AF10", 198},   {"AltZ", AltZ},  {"AltM", AltM},
    {"CtrZ", CtrlZ},
}};

uint8_t ctrlLetter(char letter) {
    switch (letter) {
        case 'B':
            return CtrlB;
        case 'H':
            return CtrlH;
        case 'K':
            return CtrlK;
        case 'Q':
            return CtrlQ;
        case 'V':
            return CtrlV;
        case 'Y':
            return CtrlY;
        case 'Z':
            return CtrlZ;
        default:
            return static_cast<uint8_t>(letter - 'A' + 1);
    }
}

uint8_t functionKey(int n, bool alt, bool ctrl) {  // n = 1..12
    if (n == 11) return F11;
    if (n == 12) return F12;
    if (alt) return n == 1 ? AltF1 : static_cast<uint8_t>(AltF2 + n - 2);
    if (ctrl && n == 1) return CtrlF1;
    if (ctrl && n == 2) return CtrlF2;
    return static_cast<uint8_t>(F1 + n - 1);
}

}  // namespace

uint8_t codeOfPress(Physical key, char letter, bool alt, bool ctrl) {
    switch (key) {
        case Physical::Backspace:
            return Backspace;
        case Physical::Tab:
            return Tab;
        case Physical::Enter:
            return Enter;
        case Physical::Esc:
            return Esc;
        case Physical::Up:
            return Up;
        case Physical::Down:
            return Down;
        case Physical::Left:
            return Left;
        case Physical::Right:
            return Right;
        case Physical::Delete:
            return Delete;
        case Physical::PgDn:
            return ctrl ? CtrlPgDn : PgDn;
        case Physical::PgUp:
            return ctrl ? CtrlPgUp : PgUp;
        case Physical::Home:
            return ctrl ? CtrlHome : Home;
        case Physical::End:
            return ctrl ? CtrlEnd : End;
        case Physical::Insert:
            return Insert;
        case Physical::Letter: {
            char up = letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 32) : letter;
            if (up < 'A' || up > 'Z') return 0;
            if (alt) return static_cast<uint8_t>(AltA + (up - 'A'));
            if (ctrl) return ctrlLetter(up);
            return 0;  // the character event pushes the typed letter
        }
        case Physical::Other:
            return 0;
        default:
            break;
    }
    int n = static_cast<int>(key) - static_cast<int>(Physical::F1) + 1;
    if (n >= 1 && n <= 12) return functionKey(n, alt, ctrl);
    return 0;
}

uint8_t codeOfName(std::string_view name) {
    std::string up = upper(name);
    for (const auto& entry : kKeyNames)
        if (entry.name == up) return entry.code;
    return NoKey;
}

uint8_t codeOfEndKeyName(std::string_view name) {
    std::string up = upper(name);
    for (const auto& entry : kEndKeyNames)
        if (upper(entry.name) == up) return entry.code;
    return 0;
}

}  // namespace nivex::key
