#include "drawings/coordinates_csv.h"

#include <charconv>
#include <cmath>
#include <map>
#include <vector>

#include "console/codepage.h"
#include "exchange/csv_line.h"
#include "network/reach_rules.h"

namespace nivex::drawings {
namespace {

std::string Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

// The separator that parts the first line in three fields; 0 when none does. ';' goes
// first: a table written with ';' may carry decimal commas, which are then refused as
// numbers rather than taken for separators.
char SeparatorOf(std::string_view line) {
    std::vector<std::string> fields;
    for (char sep : {';', ',', '\t'})
        if (exchange::SplitCsvLine(line, sep, fields) && fields.size() == 3) return sep;
    return 0;
}

enum class Value { Number, NotNumber, NotFinite };

Value ReadValue(const std::string& field, double& value) {
    std::string_view t = field;
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    if (t.empty()) return Value::NotNumber;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), value);
    if (r.ptr != t.data() + t.size()) return Value::NotNumber;
    if (r.ec == std::errc::result_out_of_range) return Value::NotFinite;
    if (r.ec != std::errc()) return Value::NotNumber;
    return std::isfinite(value) ? Value::Number : Value::NotFinite;
}

std::string CsvField(const std::string& utf8) {
    if (utf8.find_first_of(",;\"\t") == std::string::npos && utf8 == Trim(utf8)) return utf8;
    std::string quoted = "\"";
    for (char c : utf8) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

struct Row {
    int line;
    std::string name;   // code page
    std::string typed;  // as in the file
    bool known;
};

}  // namespace

std::string ExportCoordinatesCsv(const ManholeCoordinates& c,
                                 const std::set<std::string>& manholes) {
    std::string csv = std::string(kCoordinatesCsvHeader) + "\n";
    for (const ManholePoint& p : c.points)
        if (manholes.count(p.name))
            csv += CsvField(toUtf8(p.name)) + ',' + CoordinateText(p.x) + ',' +
                   CoordinateText(p.y) + '\n';
    return csv;
}

bool ParseCoordinatesCsv(std::string_view text, const std::string& fileName,
                         const std::string& extension, const std::set<std::string>& manholes,
                         std::vector<ManholePoint>& points, std::string* error) {
    auto fail = [&](const std::string& message) {
        points.clear();
        if (error) *error = message;
        return false;
    };
    auto failAt = [&](int line, const std::string& what) {
        return fail("Error en el archivo " + fileName + ", linea " + std::to_string(line) + ": " +
                    what);
    };
    points.clear();
    std::vector<Row> rows;
    std::map<std::string, int> firstLine;
    char sep = 0;
    std::vector<std::string> fields;
    int number = 0;
    size_t pos = 0;
    if (text.starts_with("\xEF\xBB\xBF")) pos = 3;  // the mark some spreadsheets write first
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (Trim(line).empty()) continue;
        const bool firstRow = sep == 0;
        if (firstRow) {
            sep = SeparatorOf(line);
            if (!sep)
                return failAt(number,
                              "se esperaban 3 campos (pozo, X, Y) separados por ',' o por ';'");
        }
        if (!exchange::SplitCsvLine(line, sep, fields) || fields.size() != 3)
            return failAt(number, "se esperaban 3 campos (pozo, X, Y)");
        for (std::string& f : fields)
            f = Trim(f);
        double x = 0, y = 0;
        const Value vx = ReadValue(fields[1], x), vy = ReadValue(fields[2], y);
        if (firstRow && vx == Value::NotNumber && vy == Value::NotNumber) {
            const auto name = network::ManholeName(cp(fields[0]));
            if (!name || !manholes.count(*name)) continue;  // the header
        }
        const auto name = network::ManholeName(cp(fields[0]));
        if (!name) return failAt(number, "nombre de pozo no valido: \"" + fields[0] + "\"");
        for (int k = 1; k <= 2; ++k) {
            const Value v = k == 1 ? vx : vy;
            const char* axis = k == 1 ? "X" : "Y";
            if (v == Value::NotNumber)
                return failAt(number, std::string("la coordenada ") + axis + " del pozo " +
                                          fields[0] + " no es un numero (punto decimal): \"" +
                                          fields[k] + "\"");
            if (v == Value::NotFinite)
                return failAt(number, std::string("la coordenada ") + axis + " del pozo " +
                                          fields[0] + " no es un numero finito: \"" + fields[k] +
                                          "\"");
        }
        if (const auto seen = firstLine.find(*name); seen != firstLine.end())
            return failAt(number, "el pozo " + fields[0] + " se repite (ya esta en la linea " +
                                      std::to_string(seen->second) + ")");
        firstLine.emplace(*name, number);
        rows.push_back({number, *name, fields[0], manholes.count(*name) != 0});
        points.push_back({*name, x, y});
    }
    if (rows.empty()) return fail("El archivo " + fileName + " no tiene coordenadas de pozos");
    bool anyKnown = false;
    for (const Row& r : rows)
        anyKnown = anyKnown || r.known;
    if (!anyKnown)
        return fail("El archivo " + fileName + " no es del sector " + extension +
                    ": ninguno de sus pozos esta en la red del sector");
    for (const Row& r : rows)
        if (!r.known)
            return failAt(r.line,
                          "el pozo " + r.typed + " no esta en la red del sector " + extension);
    return true;
}

}  // namespace nivex::drawings
