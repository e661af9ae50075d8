#include "drawings/coordinates_table.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <set>

#include "console/codepage.h"
#include "network/reach_rules.h"

namespace nivex::drawings {
namespace {

// More orphans than this are counted, not named.
constexpr size_t kOrphansNamed = 10;

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool Digits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

enum class Cell { Empty, Number, NotNumber, NotFinite, Ambiguous };

Cell ReadCell(std::string_view typed, double& value) {
    std::string_view t = Trim(typed);
    if (t.empty()) return Cell::Empty;
    std::string text(t);
    const size_t comma = text.find(',');
    if (comma != std::string::npos) {
        // Only "digits,digits" with a single comma and no point may be a decimal comma.
        std::string_view whole = std::string_view(text).substr(0, comma);
        if (!whole.empty() && (whole.front() == '-' || whole.front() == '+'))
            whole.remove_prefix(1);
        const std::string_view fraction = std::string_view(text).substr(comma + 1);
        if (!Digits(whole) || !Digits(fraction) || text.find('.') != std::string::npos)
            return Cell::NotNumber;
        if (fraction.size() == 3) return Cell::Ambiguous;
        text[comma] = '.';
    }
    std::string_view n = text;
    if (n.front() == '+') {
        n.remove_prefix(1);
        if (n.empty() || n.front() == '-') return Cell::NotNumber;
    }
    const auto r = std::from_chars(n.data(), n.data() + n.size(), value);
    if (r.ptr != n.data() + n.size()) return Cell::NotNumber;
    if (r.ec == std::errc::result_out_of_range) return Cell::NotFinite;
    if (r.ec != std::errc()) return Cell::NotNumber;
    return std::isfinite(value) ? Cell::Number : Cell::NotFinite;
}

// What is wrong with a pair of cells, "" when nothing; the values when both are numbers.
std::string PairFault(std::string_view x, std::string_view y, bool& placed, double& vx,
                      double& vy) {
    const Cell cx = ReadCell(x, vx), cy = ReadCell(y, vy);
    placed = cx == Cell::Number && cy == Cell::Number;
    if (cx == Cell::Empty && cy == Cell::Empty) return {};
    if (cx == Cell::Empty || cy == Cell::Empty)
        return std::string("falta la ") + (cx == Cell::Empty ? "X" : "Y") +
               " (se escriben las dos coordenadas o ninguna)";
    for (int k = 0; k < 2; ++k) {
        const Cell c = k == 0 ? cx : cy;
        const std::string axis = k == 0 ? "la X" : "la Y";
        const std::string quoted = " (\"" + toUtf8(Trim(k == 0 ? x : y)) + "\")";
        switch (c) {
            case Cell::NotNumber:
                return axis + " no es un numero" + quoted;
            case Cell::NotFinite:
                return axis + " no es un numero finito" + quoted;
            case Cell::Ambiguous:
                return axis + quoted +
                       " no dice si la coma es decimal o de miles: escribala con punto decimal";
            default:
                break;
        }
    }
    return {};
}

// The column (1 X, 2 Y) a fault of PairFault is about.
int FaultColumn(std::string_view x, std::string_view y) {
    double v = 0;
    const Cell cx = ReadCell(x, v), cy = ReadCell(y, v);
    if (cx == Cell::Empty) return 1;
    if (cy == Cell::Empty) return 2;
    return cx == Cell::Number ? 2 : 1;
}

std::vector<std::string> Split(std::string_view line, char sep) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t at = line.find(sep, start);
        fields.emplace_back(line.substr(start, at == std::string_view::npos ? at : at - start));
        if (at == std::string_view::npos) return fields;
        start = at + 1;
    }
}

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        pos = end + 1;
    }
    // A spreadsheet ends the block with a line end; blank lines after it carry nothing.
    while (!lines.empty() && Trim(lines.back()).empty())
        lines.pop_back();
    return lines;
}

}  // namespace

bool ReadCoordinateCell(std::string_view text, double& value) {
    return ReadCell(text, value) == Cell::Number;
}

std::vector<std::string> NetworkManholes(const std::vector<network::TramoT>& reaches) {
    std::vector<std::string> names;
    std::set<std::string, std::less<>> seen;
    for (const network::TramoT& t : reaches)
        for (const std::string* name : {&t.Upstream, &t.Downstream})
            if (!name->empty() && seen.insert(*name).second) names.push_back(*name);
    return names;
}

CoordinateTable BuildCoordinateTable(const std::vector<std::string>& manholes,
                                     const ManholeCoordinates& stored) {
    CoordinateTable table;
    table.system = stored.system;
    table.rows.reserve(manholes.size());
    for (const std::string& name : manholes) {
        CoordinateRow row{name, {}, {}};
        if (const ManholePoint* p = stored.find(name)) {
            row.x = CoordinateText(p->x);
            row.y = CoordinateText(p->y);
        }
        table.rows.push_back(std::move(row));
    }
    const std::set<std::string, std::less<>> inNetwork(manholes.begin(), manholes.end());
    for (const ManholePoint& p : stored.points)
        if (!inNetwork.count(p.name)) table.orphans.push_back(p);
    return table;
}

int PlacedCount(const std::vector<CoordinateRow>& rows) {
    return static_cast<int>(std::count_if(rows.begin(), rows.end(), [](const CoordinateRow& r) {
        return !Trim(r.x).empty() && !Trim(r.y).empty();
    }));
}

std::string OrphanNote(const std::vector<ManholePoint>& orphans) {
    if (orphans.empty()) return {};
    std::string names;
    for (size_t k = 0; k < orphans.size() && k < kOrphansNamed; ++k)
        names += (k ? ", " : "") + toUtf8(orphans[k].name);
    if (orphans.size() > kOrphansNamed) names += ", ...";
    const bool one = orphans.size() == 1;
    return std::to_string(orphans.size()) + (one ? " pozo" : " pozos") + " con coordenadas ya no " +
           (one ? "esta" : "estan") + " en la red (" + names + "): se conservan en el archivo";
}

bool CoordinatesFromTable(const CoordinateTable& table, ManholeCoordinates& out, std::string* error,
                          int* badRow, int* badColumn) {
    ManholeCoordinates c;
    c.system = table.system;
    for (size_t k = 0; k < table.rows.size(); ++k) {
        const CoordinateRow& row = table.rows[k];
        bool placed = false;
        double x = 0, y = 0;
        if (const std::string fault = PairFault(row.x, row.y, placed, x, y); !fault.empty()) {
            if (error)
                *error =
                    "Fila " + std::to_string(k + 1) + ", pozo " + toUtf8(row.name) + ": " + fault;
            if (badRow) *badRow = static_cast<int>(k);
            if (badColumn) *badColumn = FaultColumn(row.x, row.y);
            return false;
        }
        if (placed) c.points.push_back({row.name, x, y});
    }
    c.points.insert(c.points.end(), table.orphans.begin(), table.orphans.end());
    out = std::move(c);
    return true;
}

bool PasteCoordinates(std::string_view text, int currentRow, std::vector<CoordinateRow>& rows,
                      std::string* error, std::vector<int>* changedRows) {
    auto fail = [&](const std::string& message) {
        if (error) *error = message;
        return false;
    };
    auto lineLabel = [](size_t line) {
        return "Linea " + std::to_string(line + 1) + " del texto pegado";
    };
    const std::vector<std::string_view> lines = Lines(text);
    if (lines.empty()) return fail("El texto pegado esta vacio");
    const size_t width = Split(lines[0], '\t').size();
    if (width != 2 && width != 3)
        return fail(lineLabel(0) +
                    ": se esperaban 2 columnas (X, Y) o 3 (pozo, X, Y) separadas "
                    "por tabuladores");

    std::map<std::string, size_t> rowOf;
    for (size_t k = 0; k < rows.size(); ++k)
        rowOf.emplace(rows[k].name, k);
    std::map<size_t, size_t> lineOfRow;  // target row -> pasted line
    std::vector<std::pair<size_t, CoordinateRow>> writes;
    size_t next = static_cast<size_t>(std::max(currentRow, 0));
    for (size_t n = 0; n < lines.size(); ++n) {
        std::vector<std::string> f = Split(lines[n], '\t');
        if (f.size() != width)
            return fail(lineLabel(n) + ": tiene " + std::to_string(f.size()) +
                        (f.size() == 1 ? " columna" : " columnas") + " y la primera " +
                        std::to_string(width));
        for (std::string& cell : f)
            cell = std::string(Trim(cp(cell)));
        const std::string& x = f[width - 2];
        const std::string& y = f[width - 1];
        double vx = 0, vy = 0;
        if (n == 0 && ReadCell(x, vx) == Cell::NotNumber && ReadCell(y, vy) == Cell::NotNumber) {
            const auto name = width == 3 ? network::ManholeName(f[0]) : std::nullopt;
            if (!name || !rowOf.count(*name)) continue;  // a header
        }
        size_t target = 0;
        std::string shownName;
        if (width == 3) {
            const auto name = network::ManholeName(f[0]);
            if (!name)
                return fail(lineLabel(n) + ": nombre de pozo no valido: \"" + toUtf8(f[0]) + "\"");
            const auto it = rowOf.find(*name);
            if (it == rowOf.end())
                return fail(lineLabel(n) + ": el pozo " + toUtf8(f[0]) +
                            " no esta en la red del sector");
            target = it->second;
            shownName = *name;
        } else {
            if (next >= rows.size())
                return fail(lineLabel(n) + ": el bloque pasa de la ultima fila (" +
                            std::to_string(rows.size()) + ")");
            target = next++;
            shownName = rows[target].name;
        }
        if (const auto seen = lineOfRow.find(target); seen != lineOfRow.end())
            return fail(lineLabel(n) + ": el pozo " + toUtf8(shownName) +
                        " se repite (ya esta en la linea " + std::to_string(seen->second + 1) +
                        ")");
        lineOfRow.emplace(target, n);
        bool placed = false;
        if (const std::string fault = PairFault(x, y, placed, vx, vy); !fault.empty())
            return fail(lineLabel(n) + ", pozo " + toUtf8(shownName) + ": " + fault);
        writes.push_back({target, {rows[target].name, x, y}});
    }
    if (writes.empty()) return fail("El texto pegado no tiene coordenadas");
    if (changedRows) changedRows->clear();
    for (auto& [target, row] : writes) {
        rows[target] = std::move(row);
        if (changedRows) changedRows->push_back(static_cast<int>(target));
    }
    return true;
}

}  // namespace nivex::drawings
