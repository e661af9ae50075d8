// Field types, their character sets, the texts of a value as shown and as edited, and
// the validation of an edited text.

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "console/codepage.h"
#include "console/field_text.h"
#include "console/screen.h"

namespace nivex::console {
namespace fieldtext {

bool isNumericType(char type) {
    return type == 'I' || type == 'N' || type == 'R' || type == 'E';
}
bool isRealType(char type) {
    return type == 'R' || type == 'E';
}

std::string trimLeft(std::string_view text) {
    size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

std::string trimRight(std::string_view text) {
    size_t last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

std::string trim(std::string_view text) {
    return trimLeft(trimRight(text));
}

std::optional<double> parseReal(std::string_view text) {
    std::string t = trim(text);
    if (t.empty() || t == "." || t == "-" || t == "-.") return 0.0;
    size_t digits = 0, points = 0;
    for (size_t i = 0; i < t.size(); ++i) {
        char c = t[i];
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if (c == '.') {
            ++points;
        } else if (c != '-' || i != 0) {
            return std::nullopt;
        }
    }
    if (points > 1 || digits == 0) return std::nullopt;
    double value = 0;
    auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (ec == std::errc::result_out_of_range) {
        return t[0] == '-' ? -std::numeric_limits<double>::max()
                           : std::numeric_limits<double>::max();
    }
    if (ec != std::errc() || ptr != t.data() + t.size()) return std::nullopt;
    return value;
}

namespace {
template <typename T>
std::string shortestOf(T value) {
    if (!std::isfinite(value)) return "0";
    std::array<char, 420> buffer{};
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                std::chars_format::fixed);
    std::string text(buffer.data(), result.ptr);
    if (text == "-0") text = "0";
    return text;
}
}  // namespace

std::string shortestFixed(double value) {
    return shortestOf(value);
}
std::string shortestFixed(float value) {
    return shortestOf(value);
}

std::string roundDecimalText(std::string_view fixed, int decimals) {
    decimals = std::max(0, decimals);
    bool negative = !fixed.empty() && fixed[0] == '-';
    if (negative) fixed.remove_prefix(1);
    size_t point = fixed.find('.');
    std::string integer(fixed.substr(0, point));
    std::string fraction =
        point == std::string_view::npos ? "" : std::string(fixed.substr(point + 1));
    if (integer.empty()) integer = "0";
    bool roundUp = false;
    if (static_cast<int>(fraction.size()) > decimals) {
        roundUp = fraction[static_cast<size_t>(decimals)] >= '5';
        fraction.resize(static_cast<size_t>(decimals));
    }
    fraction.resize(static_cast<size_t>(decimals), '0');
    std::string digits = integer + fraction;
    if (roundUp) {
        int i = static_cast<int>(digits.size()) - 1;
        for (; i >= 0; --i) {
            if (digits[static_cast<size_t>(i)] == '9') {
                digits[static_cast<size_t>(i)] = '0';
            } else {
                ++digits[static_cast<size_t>(i)];
                break;
            }
        }
        if (i < 0) digits.insert(digits.begin(), '1');
    }
    std::string intPart = digits.substr(0, digits.size() - static_cast<size_t>(decimals));
    std::string fracPart = digits.substr(digits.size() - static_cast<size_t>(decimals));
    size_t nonZero = intPart.find_first_not_of('0');
    intPart = nonZero == std::string::npos ? "0" : intPart.substr(nonZero);
    bool zero = intPart == "0" && fracPart.find_first_not_of('0') == std::string::npos;
    std::string out = (negative && !zero) ? "-" : "";
    out += intPart;
    if (decimals > 0) out += "." + fracPart;
    return out;
}

std::string groupThousands(std::string_view plain) {
    std::string sign;
    if (!plain.empty() && plain[0] == '-') {
        sign = "-";
        plain.remove_prefix(1);
    }
    size_t point = plain.find('.');
    std::string integer(plain.substr(0, point));
    std::string rest = point == std::string_view::npos ? "" : std::string(plain.substr(point));
    std::string grouped;
    for (size_t i = 0; i < integer.size(); ++i) {
        if (i > 0 && (integer.size() - i) % 3 == 0) grouped += ',';
        grouped += integer[i];
    }
    return sign + grouped + rest;
}

namespace {

// Rounds half away from zero to an integer text.
std::string integerText(double value) {
    double rounded = std::round(value);
    if (rounded == 0) return "0";
    return roundDecimalText(shortestFixed(rounded), 0);
}

std::string realText(const std::string& shortest, int decimals) {
    if (freeDecimals(decimals)) return shortest;
    return roundDecimalText(shortest, decimals);
}

}  // namespace

std::optional<std::string> plainNumber(const CampoT& field, const FieldValue& value) {
    const bool integer = !isRealType(field.type);
    struct Visitor {
        const CampoT& field;
        bool integer;
        std::optional<std::string> operator()(int16_t* v) const {
            if (!v) return std::string();
            if (integer) return std::to_string(*v);
            return realText(std::to_string(*v), field.decimals);
        }
        std::optional<std::string> operator()(float* v) const {
            if (!v) return std::string();
            if (integer) return integerText(*v);
            return realText(shortestFixed(*v), field.decimals);
        }
        std::optional<std::string> operator()(double* v) const {
            if (!v) return std::string();
            if (integer) return integerText(*v);
            return realText(shortestFixed(*v), field.decimals);
        }
        std::optional<std::string> operator()(std::string* v) const {
            if (!v) return std::string();
            std::string t = trim(*v);
            if (t.empty()) return std::string();
            auto number = parseReal(t);
            if (!number) return std::nullopt;
            if (integer) return integerText(*number);
            // Round the typed digits themselves, not their binary image.
            if (!freeDecimals(field.decimals)) return roundDecimalText(t, field.decimals);
            size_t point = t.find('.');
            int typed = point == std::string::npos ? 0 : static_cast<int>(t.size() - point - 1);
            return roundDecimalText(t, typed);
        }
    };
    return std::visit(Visitor{field, integer}, value);
}

void storeValue(const CampoT& field, const std::string& text, const FieldValue& value) {
    const bool numeric = isNumericType(field.type);
    const double number = parseReal(text).value_or(0.0);
    struct Visitor {
        const std::string& text;
        bool numeric;
        double number;
        void operator()(int16_t* v) const {
            if (!v) return;
            double d = std::clamp(std::round(number),
                                  static_cast<double>(std::numeric_limits<int16_t>::min()),
                                  static_cast<double>(std::numeric_limits<int16_t>::max()));
            *v = static_cast<int16_t>(d);
        }
        void operator()(float* v) const {
            if (v) *v = static_cast<float>(number);
        }
        void operator()(double* v) const {
            if (v) *v = number;
        }
        void operator()(std::string* v) const {
            if (v) *v = numeric ? trim(text) : text;
        }
    };
    std::visit(Visitor{text, numeric, number}, value);
}

}  // namespace fieldtext

using namespace fieldtext;

std::string_view acceptedCharacters(char type) {
    switch (type) {
        case 'S':
            return "ABCDEFGHIJKLMNOPQRSTUVWXYZ "
                   "abcdefghijklmnopqrstuvwxyz!@#$%&():+-,./\\0123456789";
        case 'A':
            return "0123456789ABCDEFGHIJKLMNOPQRSTUVXYZ";
        case 'K':
        case 'D':
            return "0123456789";
        // The comma is taken so that it is never dropped unseen: validation makes it the
        // decimal point or refuses it.
        case 'I':
        case 'N':
            return "-0123456789,";
        case 'R':
        case 'E':
            return ".-0123456789,";
        default:
            return "";
    }
}

int displayWidth(const CampoT& field) {
    const int width = std::max<int>(0, field.width);
    if (!isRealType(field.type) || width == 0) return width;
    if (field.decimals == 0) return width + (width - 1) / 3;
    const int decimals = freeDecimals(field.decimals) ? 2 : field.decimals;
    const int integerDigits = width - decimals - 1;
    return integerDigits > 0 ? width + (integerDigits - 1) / 3 : width;
}

namespace {

std::string padRight(std::string text, int width) {
    if (static_cast<int>(text.size()) < width) text.resize(static_cast<size_t>(width), ' ');
    return text;
}

std::string padLeft(const std::string& text, int width) {
    if (static_cast<int>(text.size()) >= width) return text;
    return std::string(static_cast<size_t>(width) - text.size(), ' ') + text;
}

const CampoT& integerField() {
    static const CampoT field = [] {
        CampoT f;
        f.type = 'I';
        return f;
    }();
    return field;
}

std::string rawText(const FieldValue& value) {
    if (auto* const* s = std::get_if<std::string*>(&value)) return *s ? **s : std::string();
    return {};
}

}  // namespace

std::string displayText(const CampoT& field, const FieldValue& value, bool blankZero) {
    const int width = displayWidth(field);
    if (!isNumericType(field.type)) {
        std::string text;
        if (std::holds_alternative<std::string*>(value)) {
            text = rawText(value);
        } else {
            text = plainNumber(integerField(), value).value_or("");
        }
        return padRight(text, width);
    }
    auto plain = plainNumber(field, value);
    if (!plain) return padRight(rawText(value), width);  // not a number: as it is
    if (plain->empty()) return std::string(static_cast<size_t>(width), ' ');
    auto number = parseReal(*plain);
    if (blankZero && number && *number == 0) return std::string(static_cast<size_t>(width), ' ');
    std::string shown = isRealType(field.type) ? groupThousands(*plain) : *plain;
    return padLeft(shown, width);
}

std::string editText(const CampoT& field, const FieldValue& value) {
    if (field.type == 'D') {
        std::string text = rawText(value);
        if (trim(text).empty()) return std::string(kDateMask);
        text.resize(kDateMask.size(), ' ');
        for (size_t i = 0; i < text.size(); ++i)
            if (text[i] == ' ') text[i] = kDateMask[i];
        return text;
    }
    if (!isNumericType(field.type)) {
        if (std::holds_alternative<std::string*>(value)) return rawText(value);
        return plainNumber(integerField(), value).value_or("");
    }
    auto plain = plainNumber(field, value);
    return plain ? *plain : rawText(value);
}

bool InSet(std::string_view allowed, std::string_view answer) {
    return std::all_of(answer.begin(), answer.end(),
                       [&](char c) { return allowed.find(c) != std::string_view::npos; });
}

namespace {

bool isWholeNumber(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<long long> parseInteger(std::string_view text) {
    std::string t = trim(text);
    if (t.empty() || t == "-") return 0;
    long long value = 0;
    auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (ec != std::errc() || ptr != t.data() + t.size()) return std::nullopt;
    return value;
}

// -1 value below the limit, 0 equal, 1 above; integers compared as integers.
int compareWithLimit(char type, const std::string& text, const std::string& limit) {
    if (type == 'I') {
        auto a = parseInteger(text);
        auto b = parseInteger(limit);
        if (a && b) return *a < *b ? -1 : (*a > *b ? 1 : 0);
    }
    double a = parseReal(text).value_or(0);
    double b = parseReal(limit).value_or(0);
    return a < b ? -1 : (a > b ? 1 : 0);
}

std::string lengthAndListChecks(const CampoT& field, const std::string& answer) {
    const std::string minimum = trim(field.minimum);
    if (!minimum.empty()) {
        if (isWholeNumber(minimum)) {
            long long least = 0;
            auto [ptr, ec] =
                std::from_chars(minimum.data(), minimum.data() + minimum.size(), least);
            if (ec != std::errc()) least = std::numeric_limits<long long>::max();
            if (static_cast<long long>(answer.size()) < least)
                return "Error...Usar como minimo " + minimum + " caracteres ";
        } else if (field.type == 'S' && !InSet(minimum, answer)) {
            return "Error...Respuesta invalida";
        }
    }
    const std::string maximum = trimRight(field.maximum);
    if (!maximum.empty() && (answer.empty() || maximum.find(answer) == std::string::npos))
        return "Error...Caracter Invalido";
    return {};
}

std::string dateCheck(const std::string& text, int* errorPosition) {
    struct Part {
        size_t start;
        int low, high;
        const char* name;
    };
    static const std::array<Part, 3> kParts = {
        {{0, 1, 31, "Dia ... "}, {3, 1, 12, "Mes ... "}, {6, 1, 99, "A\xF1o ... "}}};
    std::string message;
    bool first = true;
    for (const Part& part : kParts) {
        std::string digits = text.size() >= part.start + 2 ? text.substr(part.start, 2) : "";
        bool ok = isWholeNumber(digits);
        if (ok) {
            int n = std::stoi(digits);
            ok = n >= part.low && n <= part.high;
        }
        if (ok) continue;
        message += part.name;
        if (first && errorPosition) *errorPosition = static_cast<int>(part.start);
        first = false;
    }
    return message.empty() ? message : message + " en forma erronea";
}

std::string numberChecks(const CampoT& field, const std::string& text) {
    const std::string t = trim(text);
    size_t points = 0;
    for (size_t i = 0; i < t.size(); ++i) {
        char c = t[i];
        if (c == '.') ++points;
        bool ok = (c >= '0' && c <= '9') || c == '.' || (c == '-' && i == 0);
        if (!ok || points > 1) return "Error...El formato numerico es incorrecto";
    }
    if (field.type == 'N') return {};
    if (t == "-") return "Error...Caracter Invalido";
    const std::string minimum = trim(field.minimum);
    if (!minimum.empty() && compareWithLimit(field.type, t, minimum) < 0)
        return "Error...El valor no puede ser menor de " + minimum;
    const std::string maximum = trim(field.maximum);
    if (!maximum.empty() && compareWithLimit(field.type, t, maximum) > 0)
        return "Error...El valor no puede ser mayor de " + maximum;
    if (!isRealType(field.type)) return {};

    size_t point = t.find('.');
    const int typedDecimals =
        point == std::string::npos ? 0 : static_cast<int>(t.size() - point - 1);
    int decimals = field.decimals;
    if (freeDecimals(decimals)) decimals = std::max(2, typedDecimals + typedDecimals % 2);
    if (field.decimals > 0) {
        // Significant integer digits: the sign and leading zeros take no room; the
        // digits, the point and the decimals fill the width (7 wide, 2 decimals: 2595.52
        // fits, 12345.6 does not).
        std::string integer = t.substr(0, point);
        if (!integer.empty() && integer[0] == '-') integer.erase(0, 1);
        size_t nonZero = integer.find_first_not_of('0');
        int digits = nonZero == std::string::npos ? 0 : static_cast<int>(integer.size() - nonZero);
        if (digits > field.width - decimals - 1)
            return "Error...No queda espacio para " + std::to_string(decimals) +
                   " cifra(s) decimale(s)";
    }
    if (typedDecimals > field.decimals)
        return "Error...Usar maximo " + std::to_string(field.decimals) + " cifra(s) decimale(s) ";
    return {};
}

}  // namespace

namespace {

std::string valueCheck(const CampoT& field, bool finite, const std::string& text) {
    if (!finite) return "Error...El valor no es un numero";
    if (!isNumericType(field.type)) return {};
    if (!isRealType(field.type) && text.find('.') != std::string::npos)
        return "Error...El valor debe ser un numero entero";
    // The editor takes no more characters than the width; the sign and the point count.
    const std::string digits = text[0] == '-' ? text.substr(1) : text;
    const size_t point = digits.find('.');
    const size_t whole = point == std::string::npos ? digits.size() : point;
    const int decimals = freeDecimals(field.decimals) ? 2 : std::max<int>(0, field.decimals);
    const int room = field.width - (decimals > 0 ? decimals + 1 : 0);
    if (static_cast<int>(whole) > std::max(room, 1))
        return "Error...El valor no cabe en el campo (" + std::to_string(field.width) +
               " caracteres)";
    return numberChecks(field, text);
}

}  // namespace

std::string validateFieldValue(const CampoT& field, double value) {
    const bool finite = std::isfinite(value);
    return valueCheck(field, finite, finite ? shortestFixed(value) : "");
}

std::string validateFieldValue(const CampoT& field, float value) {
    const bool finite = std::isfinite(value);
    return valueCheck(field, finite, finite ? shortestFixed(value) : "");
}

std::string withDecimalPoint(const CampoT& field, const std::string& text) {
    if (!isRealType(field.type) || field.decimals <= 0) return text;
    const size_t comma = text.find(',');
    if (comma == std::string::npos || text.find(',', comma + 1) != std::string::npos ||
        text.find('.') != std::string::npos)
        return text;
    // More digits after it than the field's decimals: "36,500" may be thirty-six
    // thousand five hundred as well; the user says which.
    const size_t after = trimRight(text).size() - comma - 1;
    if (!freeDecimals(field.decimals) && after > static_cast<size_t>(field.decimals)) return text;
    std::string pointed = text;
    pointed[comma] = '.';
    return pointed;
}

std::string validateField(const CampoT& field, const std::string& text, int* errorPosition) {
    if (errorPosition) *errorPosition = 0;
    switch (field.type) {
        case 'S':
        case 'A':
        case 'K':
            return lengthAndListChecks(field, trimRight(text));
        case 'D':
            return dateCheck(text, errorPosition);
        case 'I':
        case 'N':
        case 'R':
        case 'E': {
            const std::string pointed = withDecimalPoint(field, text);
            if (pointed.find(',') != std::string::npos) return std::string(kCommaRefused);
            return numberChecks(field, pointed);
        }
        default:
            return {};
    }
}

}  // namespace nivex::console
