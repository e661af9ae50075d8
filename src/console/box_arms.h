#pragma once
// The DOS code page's box-drawing codes 179..218 as the arms of their glyph, for every
// renderer of code-page cells (the console widget, the printer).

#include <cstdint>

namespace nivex {

// Arms of a box-drawing code: 0 none, 1 single, 2 double.
struct BoxArms {
    uint8_t up = 0, down = 0, left = 0, right = 0;
    bool any() const { return up || down || left || right; }
    bool operator==(const BoxArms&) const = default;
};

// 179..218; 209 is Ñ in the program's code page and has none, as have all other codes.
BoxArms boxArmsOf(uint8_t code);

}  // namespace nivex
