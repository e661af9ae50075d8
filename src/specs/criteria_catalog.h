#pragma once
// Every criteria value a screen edits, with the screen's own field rule, and the
// cross-rules each screen checks before it lets the user leave: one catalogue that the
// screens, nivex-batch's spec verbs and the tests all use.

#include <functional>
#include <string>
#include <vector>

#include "shell/control_file.h"
#include "specs/espec.h"

namespace nivex::specs {

struct CriteriaValueDef {
    int record = 0;           // 0..5
    int offset = 0;           // byte offset of the field (of the array's first element)
    int index = -1;           // array element, or -1 for a single value
    char screen = 0;          // letter of the screen that edits it
    std::string description;  // the screen's prompt or a short Spanish text (UTF-8)
    // The value as the screen shows it, '.' as separator.
    std::function<std::string(const EspecT&, const shell::ProyectoT&)> get;
    // Takes a typed value through the field's rule; the screen's message (code-page
    // bytes, "ERROR...") when refused, empty when taken.
    std::function<std::string(EspecT&, shell::ProyectoT&, const std::string& text)> set;
};

// The values of the screens T, B, R, C, D, E, N and of F, G, H, I, J, S, L, O, K.
const std::vector<CriteriaValueDef>& TableScreenValues();
const std::vector<CriteriaValueDef>& ValueScreenValues();

// The first cross-rule of screen `letter` that the set breaks (its message, code-page
// bytes), or empty when the screen may be left.
std::string TableScreenCrossCheck(char letter, const EspecT& e, const shell::ProyectoT& h);
std::string ValueScreenCrossCheck(char letter, const EspecT& e, const shell::ProyectoT& h);

}  // namespace nivex::specs
