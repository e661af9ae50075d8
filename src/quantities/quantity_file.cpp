#include "quantities/quantity_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "console/codepage.h"
#include "project/file_size.h"
#include "project/replace_file.h"

namespace nivex::quantities {
namespace {

constexpr size_t kRealWidth = 23;
constexpr double kFloatNoise = 1.0 / (1 << 23);  // the relative step of a single float
constexpr double kMostNoise = 0.01;              // in hundredths

// The order of the file, once for both directions: io.Line(a, b, ...) is one line of
// numbers, io.Text(s) one line of text.
template <class Io, class Tables>
void Layout(Io& io, Tables& t) {
    const size_t s = static_cast<size_t>(t.sizeCount);
    for (size_t i = 1; i <= kMaterials + 1; ++i)
        for (size_t j = 1; j <= kExcavationRanges + 1; ++j)
            io.Line(t.excavation[i][j]);
    for (auto& v : t.working)
        io.Line(v);
    for (auto& v : t.fill)
        io.Line(v);
    for (auto& group : t.manholes)
        for (auto& row : group)
            for (size_t c = 1; c <= 5; ++c)
                io.Line(row[c].count, row[c].depthSum, row[c].meanDepth);
    for (size_t r = 1; r <= kExcavationRanges; ++r)
        for (size_t p = 1; p <= s + 1; ++p) {
            auto& cell = t.pipes[r][p];
            io.Line(cell.length, cell.lengthDepth, cell.count, cell.meanDepth);
        }
    io.Line(t.pipeTotal.length);
    io.Line(t.pipeTotal.lengthDepth);
    io.Line(t.pipeTotal.count);
    io.Line(t.pipeTotal.meanDepth);
    for (size_t p = 1; p <= s + 1; ++p)
        io.Line(t.connections[p]);
    for (auto& v : t.bedding)
        io.Line(v);
    for (auto& v : t.statisticsA)
        io.Line(v);
    for (auto& v : t.statisticsB)
        io.Line(v);
    for (auto& v : t.sums)
        io.Line(v);
    io.Line(t.sixteenthValue);
    for (auto& text : t.pipeTypes)
        io.Text(text);
    for (auto& v : t.sulfide)
        io.Line(v);
    for (size_t p = 0; p <= s + 1; ++p)
        io.Line(t.drops[p].count, t.drops[p].heightSum, t.drops[p].meanHeight);
    for (size_t p = 0; p <= s + 1; ++p) {
        auto& cell = t.removals[p];
        io.Line(cell.length, cell.lengthDepth, cell.count, cell.meanDepth);
    }
    io.Line(t.removalTotal.length);
    io.Line(t.removalTotal.lengthDepth);
    io.Line(t.removalTotal.count);
    io.Line(t.removalTotal.meanDepth);
}

struct Writer {
    std::string out;
    template <class... V>
    void Line(const V&... values) {
        bool first = true;
        for (double v : {static_cast<double>(values)...}) {
            out += RealText(first ? TruncateTo2(v) : v);
            first = false;
        }
        out += "\r\n";
    }
    void Text(const std::string& text) {
        out += text;
        out += "\r\n";
    }
};

// Every number as the file keeps it: the first of a line to two decimals, all of them to
// the digits of the notation.
struct Normaliser {
    static double Kept(double v) {
        double read = 0;
        return ParseReal(RealText(v), read) ? read : 0.0;
    }
    template <class... V>
    void Line(V&... values) {
        bool first = true;
        for (double* v : {&values...}) {
            *v = Kept(first ? TruncateTo2(*v) : *v);
            first = false;
        }
    }
    void Text(std::string&) {}
};

struct Reader {
    std::istream& in;
    int line = 0;
    bool failed = false;
    bool cut = false;

    bool Next(std::string& text) {
        if (failed) return false;
        ++line;
        if (!std::getline(in, text)) {
            failed = cut = true;
            return false;
        }
        if (!text.empty() && text.back() == '\r') text.pop_back();
        return true;
    }
    template <class... V>
    void Line(V&... values) {
        std::string text;
        if (!Next(text)) return;
        double parsed[sizeof...(V)];
        if (!ParseRealLine(text, parsed, static_cast<int>(sizeof...(V)))) {
            failed = true;
            return;
        }
        size_t k = 0;
        ((values = parsed[k++]), ...);
    }
    void Text(std::string& text) {
        std::string read;
        if (Next(read)) text = read;
    }
};

}  // namespace

std::string RealText(double x) {
    if (!std::isfinite(x)) x = 0;
    char buffer[64];
    auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::scientific, 14);
    if (ec != std::errc{}) return RealText(0);
    std::string digits(buffer, end);  // "-1.25000000000000e+02"
    const size_t e = digits.find('e');
    std::string mantissa = digits.substr(0, e);
    if (mantissa[0] != '-') mantissa.insert(mantissa.begin(), ' ');
    const char sign = digits[e + 1];
    std::string exponent = digits.substr(e + 2);
    while (exponent.size() < 4)
        exponent.insert(exponent.begin(), '0');
    return mantissa + 'E' + sign + exponent;
}

double TruncateTo2(double x) {
    if (!std::isfinite(x)) return 0;
    const double hundredths = x * 100.0;
    const double nearest = std::round(hundredths);
    // The noise a value carries from a single float of the records, never as much as a
    // hundredth: beyond it the fraction is real and is dropped (8058.745 is 8058.74).
    const double noise = std::min(kMostNoise, kFloatNoise * std::max(1.0, std::fabs(hundredths)));
    if (std::fabs(hundredths - nearest) <= noise) return nearest / 100.0;
    return std::trunc(hundredths) / 100.0;
}

bool ParseReal(std::string_view text, double& value) {
    size_t a = 0, b = text.size();
    while (a < b && (text[a] == ' ' || text[a] == '\t'))
        ++a;
    while (b > a && (text[b - 1] == ' ' || text[b - 1] == '\t'))
        --b;
    if (a < b && text[a] == '+') ++a;
    if (a == b) return false;
    const char* first = text.data() + a;
    const char* last = text.data() + b;
    auto [end, ec] = std::from_chars(first, last, value);
    return ec == std::errc{} && end == last && std::isfinite(value);
}

bool ParseRealLine(std::string_view line, double* values, int count) {
    if (count == 1) return ParseReal(line, values[0]);
    if (line.size() != kRealWidth * static_cast<size_t>(count)) return false;
    for (int k = 0; k < count; ++k)
        if (!ParseReal(line.substr(kRealWidth * static_cast<size_t>(k), kRealWidth), values[k]))
            return false;
    return true;
}

void KeepAsStored(QuantityTables& tables) {
    Normaliser normaliser;
    Layout(normaliser, tables);
}

QuantityFileResult ReadQuantityFile(const std::string& path, int sizes, QuantityTables& tables) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return {FileRead::Missing, ""};
    if (std::string big = project::OversizedFile(path, project::kMostNumberFileBytes); !big.empty())
        return {FileRead::Damaged, cp(big)};
    std::ifstream in(path, std::ios::binary);
    if (!in) return {FileRead::Damaged, cp("No se pudo leer el archivo ") + path};
    QuantityTables read = tables;
    read.Clear(sizes);
    Reader reader{in};
    Layout(reader, read);
    if (reader.failed) {
        const std::string what = reader.cut ? " termina antes de tiempo (linea "
                                            : " tiene un dato no numerico en la linea ";
        return {FileRead::Damaged, cp("El archivo de cantidades ") + path + cp(what) +
                                       std::to_string(reader.line) + (reader.cut ? ")" : "")};
    }
    tables = std::move(read);
    return {};
}

bool WriteQuantityFile(const std::string& path, const QuantityTables& tables, std::string* error) {
    Writer writer;
    Layout(writer, tables);
    std::string message;
    if (project::ReplaceFileContents(path, writer.out, &message)) return true;
    if (error) *error = cp(message);
    return false;
}

}  // namespace nivex::quantities
