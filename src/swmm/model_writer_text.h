#pragma once
// The pictures of the SWMM input file: text fields padded or cut to their width, number
// fields right-aligned and rounded (widened, never cut, when they do not fit), and the
// general-format text of a single-precision value.

#include <string>

namespace nivex::swmm {

std::string Blanks(int n);
// Left-aligned, padded with blanks or cut to width.
std::string TextField(const std::string& text, int width);
// Right-aligned in width with the given decimals, halves away from zero; a value that is
// not a number is written as 0.
std::string NumberField(double value, int width, int decimals);
// The shortest text that reads back as the same single-precision value ("56.647", "1").
std::string GeneralText(float value);
// A text cut three digits after its decimal point ("12.34567" → "12.345").
std::string CutAfterThreeDecimals(const std::string& text);

}  // namespace nivex::swmm
