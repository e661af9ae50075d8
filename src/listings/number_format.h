#pragma once
// Number pictures and picture lines: how the listings turn values into the text of their
// columns. Texts are code-page bytes; the decimal point is always '.'.

#include <concepts>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace nivex::listings {

// A value for a picture: an integer, a real, or a text (which a number field reads as an
// integer and a text field takes as it is).
struct FormatValue {
    std::variant<long, double, std::string> value;

    template <std::integral T>
    FormatValue(T v) : value(static_cast<long>(v)) {}
    FormatValue(double v) : value(v) {}
    FormatValue(float v) : value(static_cast<double>(v)) {}
    FormatValue(std::string v) : value(std::move(v)) {}
    FormatValue(std::string_view v) : value(std::string(v)) {}
    FormatValue(const char* v) : value(std::string(v)) {}
};

// The value in the picture's width: '#' digits, ',' grouping, '.' the point, a leading
// or trailing '+'/'-' sign mark. "<EF>" / "<EI>" when the value is no number.
std::string FormatNumber(const FormatValue& value, std::string_view picture);

// The picture line with its fields filled from the values in order: '#' number fields,
// '\...\' text fields, '_' copies the next character. At most 255 characters.
std::string FormatLine(std::string_view picture, const std::vector<FormatValue>& values);

}  // namespace nivex::listings
