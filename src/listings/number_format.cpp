#include "listings/number_format.h"

#include <charconv>
#include <cmath>
#include <optional>

namespace nivex::listings {
namespace {

constexpr size_t kMaxText = 255;
constexpr auto npos = std::string_view::npos;

bool IsSign(char c) {
    return c == '+' || c == '-';
}
bool InNumberField(char c) {
    return c == '#' || c == ',' || c == '.';
}

// What a number format asks for, read from its '0', '#', ',' and '.'.
struct NumberFormat {
    bool grouping = false;
    int minInteger = 0;   // integer digits shown even when not significant
    int decimals = 0;     // places the value is rounded to
    int minDecimals = 0;  // places shown even when zero
};

// The picture as a number format: '0' digits always shown, '#' digits shown when
// significant. point: 1-based position of the picture's point, 0 when it has none.
std::string BuildFormat(std::string_view picture, size_t point) {
    std::string format(picture.size(), '#');
    bool groupAtFront = false;
    for (size_t i = 0; i < picture.size(); ++i) {
        const size_t pos = i + 1;
        switch (picture[i]) {
            case '#':
                if (point != 0 && (pos + 1 == point || pos > point)) format[i] = '0';
                break;
            case ',':
                // A comma among the decimals still asks for grouping, from the front.
                if (point > 1 && pos > point)
                    groupAtFront = true;
                else
                    format[i] = ',';
                break;
            case '.':
                format[i] = '.';
                break;
            default:  // blanks, the sign mark, letters: digit places
                break;
        }
    }
    if (groupAtFront) format[0] = ',';
    return format;
}

NumberFormat ReadFormat(std::string_view format) {
    NumberFormat f;
    const size_t point = format.find('.');
    const std::string_view integer = format.substr(0, point);
    f.grouping = format.find(',') != npos;
    const size_t firstZero = integer.find('0');
    if (firstZero != npos) {
        for (char c : integer.substr(firstZero))
            if (c == '0' || c == '#') ++f.minInteger;
    }
    if (point != npos) {
        for (char c : format.substr(point + 1)) {
            if (c != '0' && c != '#') continue;
            ++f.decimals;
            if (c == '0') f.minDecimals = f.decimals;
        }
    }
    return f;
}

// Rounds integer.fraction to `decimals` places, halfway cases away from zero. The digits
// are the shortest decimal form of the value, so 2.675 rounds as written, to 2.68.
void RoundDigits(std::string& integer, std::string& fraction, int decimals) {
    const auto places = static_cast<size_t>(decimals);
    if (fraction.size() <= places) {
        fraction.resize(places, '0');
        return;
    }
    const bool up = fraction[places] >= '5';
    fraction.resize(places);
    if (!up) return;
    std::string all = integer + fraction;
    size_t i = all.size();
    while (i > 0 && all[i - 1] == '9')
        all[--i] = '0';
    if (i == 0)
        all.insert(all.begin(), '1');
    else
        ++all[i - 1];
    integer = all.substr(0, all.size() - places);
    fraction = all.substr(all.size() - places);
}

std::string Render(std::string integer, std::string fraction, bool negative,
                   const NumberFormat& f) {
    integer.erase(0, integer.find_first_not_of('0'));
    const bool zero = integer.empty() && fraction.find_first_not_of('0') == npos;
    if (integer.size() < static_cast<size_t>(f.minInteger))
        integer.insert(0, f.minInteger - integer.size(), '0');
    if (f.grouping) {
        for (size_t i = integer.size(); i > 3; i -= 3)
            integer.insert(i - 3, 1, ',');
    }
    while (fraction.size() > static_cast<size_t>(f.minDecimals) && fraction.back() == '0')
        fraction.pop_back();
    std::string text = negative && !zero ? "-" : "";
    text += integer;
    if (!fraction.empty()) text += "." + fraction;
    return text;
}

std::string FormatReal(double value, const NumberFormat& f) {
    char buffer[512];  // the shortest fixed form of any finite double fits
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed);
    const std::string_view digits(buffer, static_cast<size_t>(result.ptr - buffer));
    const size_t dot = digits.find('.');
    std::string integer(digits.substr(0, dot));
    std::string fraction(dot == npos ? std::string_view() : digits.substr(dot + 1));
    RoundDigits(integer, fraction, f.decimals);
    return Render(std::move(integer), std::move(fraction), std::signbit(value), f);
}

std::string FormatInteger(long value, const NumberFormat& f) {
    const unsigned long magnitude =
        value < 0 ? 0UL - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
    return Render(std::to_string(magnitude), std::string(static_cast<size_t>(f.decimals), '0'),
                  value < 0, f);
}

std::optional<long> AsInteger(const FormatValue& value) {
    if (const long* integer = std::get_if<long>(&value.value)) return *integer;
    std::string_view text = std::get<std::string>(value.value);
    const size_t first = text.find_first_not_of(' ');
    if (first == npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
    long result = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), result);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return result;
}

}  // namespace

std::string FormatNumber(const FormatValue& value, std::string_view picture) {
    if (picture.empty()) return "";
    const size_t fullLength = picture.size();
    char mark = 0;
    bool leading = false;
    const size_t first = picture.find_first_not_of(' ');
    if (first != npos && IsSign(picture[first])) {
        mark = picture[first];
        leading = true;
    } else if (IsSign(picture.back())) {
        mark = picture.back();
        picture.remove_suffix(1);
    }
    const size_t dot = picture.find('.');
    const size_t point = dot == npos ? 0 : dot + 1;
    const NumberFormat format = ReadFormat(BuildFormat(picture, point));

    std::string text;
    if (const double* real = std::get_if<double>(&value.value)) {
        if (!std::isfinite(*real)) return "<EF>";
        text = FormatReal(*real, format);
    } else {
        const std::optional<long> integer = AsInteger(value);
        if (!integer) return "<EI>";
        text = *integer == 0 && point == 0 ? "0" : FormatInteger(*integer, format);
    }

    size_t signAfter = 0;
    if (mark != 0 && !leading) {
        if (!text.empty() && text[0] == '-') {
            text.erase(0, 1);
            text += '-';
        } else {
            text += mark == '+' ? '+' : ' ';
        }
        signAfter = 1;
    } else if (leading && (text.empty() || text[0] != '-')) {
        text.insert(text.begin(), mark == '+' ? '+' : ' ');
    }

    if (point != 0) {
        const size_t found = text.find('.');
        const size_t at = found != npos ? found + 1 : text.size() - signAfter + 1;
        if (at < point) text.insert(0, point - at, ' ');
    } else if (text.size() < fullLength) {
        text.insert(0, fullLength - text.size(), ' ');
    }
    if (text.size() > kMaxText) text.resize(kMaxText);
    return text;
}

std::string FormatLine(std::string_view picture, const std::vector<FormatValue>& values) {
    std::string out;
    size_t next = 0;  // the next value to take
    size_t i = 0;
    const size_t n = picture.size();
    while (i < n) {
        const char c = picture[i];
        if (c == '#') {
            size_t start = i;
            size_t end = i;
            while (end < n && InNumberField(picture[end]))
                ++end;
            i = end;
            if (next >= values.size()) continue;
            // A sign before the field (already copied) or after it belongs to the field.
            if (start > 0 && IsSign(picture[start - 1])) {
                --start;
                if (!out.empty()) out.pop_back();
            } else if (end < n && IsSign(picture[end])) {
                i = ++end;
            }
            // So do the blanks before it: the number is right-aligned over them.
            while (start > 0 && picture[start - 1] == ' ') {
                --start;
                if (!out.empty()) out.pop_back();
            }
            out += FormatNumber(values[next++], picture.substr(start, end - start));
        } else if (c == '\\') {
            const size_t close = picture.find('\\', i + 1);
            if (close == npos) break;
            const size_t width = close - i + 1;
            i = close + 1;
            if (next >= values.size()) continue;
            const FormatValue& value = values[next++];
            if (const std::string* text = std::get_if<std::string>(&value.value)) {
                std::string field = text->substr(0, width);
                field.resize(width, ' ');
                out += field;
            } else {
                out += "<ES>";
            }
        } else if (c == '_') {
            if (i + 1 < n) out += picture[i + 1];
            i += 2;
        } else {
            out += c;
            ++i;
        }
    }
    if (out.size() > kMaxText) out.resize(kMaxText);
    return out;
}

}  // namespace nivex::listings
