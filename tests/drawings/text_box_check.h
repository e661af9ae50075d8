#pragma once
// A text's box worked out by the tests from its fields alone, to judge the drawings' own.

#include "drawings/drawing.h"

namespace nivex::drawings::test {

// n characters of 0.6 × height each, placed by the anchor and turned by the rotation.
inline Box BoxOf(const Text& t) {
    const double w = 0.6 * t.height * static_cast<double>(t.text.size());
    const double left = t.h == HAlign::Left ? 0 : t.h == HAlign::Centre ? -w / 2 : -w;
    const double bottom = t.v == VAlign::Bottom   ? 0
                          : t.v == VAlign::Middle ? -t.height / 2
                                                  : -t.height;
    if (t.rotation == 90)
        return {t.at.x - bottom - t.height, t.at.y + left, t.at.x - bottom, t.at.y + left + w};
    return {t.at.x + left, t.at.y + bottom, t.at.x + left + w, t.at.y + bottom + t.height};
}

}  // namespace nivex::drawings::test
