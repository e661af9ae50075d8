#pragma once
// Internal helpers of the field-entry library: locale-independent number texts and the
// conversion of an edited text into the caller's value form. Numbers always use '.' as
// the decimal point (std::to_chars / std::from_chars, never the user's locale).

#include <optional>
#include <string>
#include <string_view>

#include "console/screen.h"

namespace nivex::console::fieldtext {

// The mask of an empty date field.
inline constexpr std::string_view kDateMask = "dd/mm/aa";

bool isNumericType(char type);  // I N R E
bool isRealType(char type);     // R E
// Decimals 6 or more mean "free".
inline bool freeDecimals(int decimals) {
    return decimals >= 6;
}

std::string trim(std::string_view text);
std::string trimLeft(std::string_view text);
std::string trimRight(std::string_view text);

// A number text of the field editor: optional '-', digits, at most one '.'; "" "." "-"
// and "-." read as 0. Empty optional when the text is not a number at all.
std::optional<double> parseReal(std::string_view text);

// The shortest text that reads back as the value, in fixed notation ("12.3", "-0.001").
std::string shortestFixed(double value);
std::string shortestFixed(float value);
// A fixed-notation number text rounded (halves away from zero) to the given decimals,
// padded with zeros ("12.3" with 2 gives "12.30"; "2.675" gives "2.68").
std::string roundDecimalText(std::string_view fixed, int decimals);
// Thousands separators ',' in the integer part ("-1234567.5" gives "-1,234,567.5").
std::string groupThousands(std::string_view plain);

// The value as a plain number text for the field (no separators): integers for I and N,
// reals with exactly the field's decimals (free decimals: shortest form). Empty optional
// when the value is text that is not a number (shown as it is).
std::optional<std::string> plainNumber(const CampoT& field, const FieldValue& value);

// Stores an edited (validated) text into the caller's value.
void storeValue(const CampoT& field, const std::string& text, const FieldValue& value);

}  // namespace nivex::console::fieldtext
