#pragma once
// One-byte key codes of the console, and the tables that turn keys and key names into them.

#include <cstdint>
#include <string_view>

namespace nivex::key {

constexpr uint8_t None = 0;  // no key: readers skip it
constexpr uint8_t Backspace = 8;
constexpr uint8_t Tab = 9;
constexpr uint8_t Enter = 13;
constexpr uint8_t Esc = 27;
constexpr uint8_t Up = 128;
constexpr uint8_t Down = 129;
constexpr uint8_t Left = 130;
constexpr uint8_t Right = 131;
constexpr uint8_t Delete = 132;
constexpr uint8_t F1 = 133;  // F2..F10 follow: 134..142
constexpr uint8_t F9 = 141;
constexpr uint8_t F10 = 142;
constexpr uint8_t PgDn = 143;
constexpr uint8_t PgUp = 144;
constexpr uint8_t AltA = 145;  // Alt+letter: 145 + (letter - 'A')
constexpr uint8_t AltM = 157;
constexpr uint8_t AltX = 168;
constexpr uint8_t AltZ = 170;
constexpr uint8_t Home = 171;
constexpr uint8_t End = 172;
constexpr uint8_t CtrlPgUp = 173;
constexpr uint8_t CtrlPgDn = 174;
constexpr uint8_t F11 = 175;
constexpr uint8_t F12 = 176;
constexpr uint8_t CtrlHome = 177;
constexpr uint8_t CtrlEnd = 178;
constexpr uint8_t CtrlF1 = 179;
constexpr uint8_t CtrlF2 = 180;
constexpr uint8_t Insert = 181;
constexpr uint8_t AltF1 = 182;
constexpr uint8_t CtrlK = 183;
constexpr uint8_t CtrlQ = 184;
constexpr uint8_t CtrlY = 185;
constexpr uint8_t CtrlZ = 186;
constexpr uint8_t CtrlB = 187;
constexpr uint8_t CtrlH = 188;
constexpr uint8_t CtrlV = 189;
constexpr uint8_t AltF2 = 190;  // Alt+F2..Alt+F10: 190..198
constexpr uint8_t NoKey = 255;  // no key (a click outside every zone, an unknown name)

// The physical keys that have codes of their own; anything else is a typed character.
enum class Physical {
    Backspace,
    Tab,
    Enter,
    Esc,
    Up,
    Down,
    Left,
    Right,
    Delete,
    F1,
    F2,
    F3,
    F4,
    F5,
    F6,
    F7,
    F8,
    F9,
    F10,
    F11,
    F12,
    PgDn,
    PgUp,
    Home,
    End,
    Insert,
    Letter,  // A to Z, given separately
    Other,
};

// The code of a key press, or 0 when the character event that follows should push the
// typed character instead. Shift never changes a code.
uint8_t codeOfPress(Physical key, char letter, bool alt, bool ctrl);

// The code of a key name of legends and field definitions ("F9", "AltZ", "PgDn"...),
// compared in upper case; 255 for a name the table does not know.
uint8_t codeOfName(std::string_view name);

// The code of a name of the list of field-ending keys ("Enter", "Dn", "AF2"...); 0 when
// the name is unknown.
uint8_t codeOfEndKeyName(std::string_view name);

}  // namespace nivex::key
