#include "exchange/gis_import.h"

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <charconv>
#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>

#include "console/codepage.h"
#include "exchange/gis_gdal.h"
#include "network/reach_csv.h"

namespace nivex::exchange {
namespace {

using network::TramoT;

struct DatasetCloser {
    void operator()(GDALDataset* ds) const { GDALClose(ds); }
};
struct FeatureDeleter {
    void operator()(OGRFeature* f) const { OGRFeature::DestroyFeature(f); }
};
using Feature = std::unique_ptr<OGRFeature, FeatureDeleter>;

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

std::string NumberText(double v) {
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, v);
    return std::string(buffer, r.ptr);
}

std::string PointText(double x, double y) {
    return "(" + NumberText(x) + ", " + NumberText(y) + ")";
}

// Collects the problems, the first kMostProblems in full.
class Problems {
  public:
    explicit Problems(GisImport& result) : result_(result) {}
    void Add(const std::string& message) {
        if (++result_.problemCount <= kMostProblems) result_.problems.push_back(message);
    }
    size_t count() const { return result_.problemCount; }
    void Close() {
        if (count() > kMostProblems)
            result_.problems.push_back("... y " + std::to_string(count() - kMostProblems) +
                                       " problema(s) mas");
    }

  private:
    GisImport& result_;
};

// "Capa "tramos", elemento 7: "
std::string Where(const std::string& layer, GIntBig fid) {
    return "Capa " + Quoted(layer) + ", elemento " + std::to_string(fid) + ": ";
}

// The text of a field for the reach table, or none when the field is not a finite number
// or holds a line break; an absent field or a null value gives "".
std::optional<std::string> CellOf(OGRFeature& f, int field) {
    if (field < 0 || !f.IsFieldSetAndNotNull(field)) return std::string();
    switch (f.GetFieldDefnRef(field)->GetType()) {
        case OFTReal: {
            const double v = f.GetFieldAsDouble(field);
            if (!std::isfinite(v)) return std::nullopt;
            return NumberText(v);
        }
        case OFTInteger:
        case OFTInteger64:
            return std::to_string(f.GetFieldAsInteger64(field));
        default: {
            std::string text = f.GetFieldAsString(field);
            if (text.find_first_of("\r\n") != std::string::npos) return std::nullopt;
            return text;
        }
    }
}

// A number of a field; none when it is not a finite number.
std::optional<double> NumberOf(OGRFeature& f, int field) {
    const auto cell = CellOf(f, field);
    if (!cell) return std::nullopt;
    std::string_view s = *cell;
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    double v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

struct Manhole {
    std::string name;  // code page
    double x = 0, y = 0;
    std::optional<double> ground;
    GIntBig fid = 0;
};

// The manholes by cells of the tolerance's size, for the ends of the lines.
class PointGrid {
  public:
    explicit PointGrid(const std::vector<Manhole>& points) : points_(points) {
        for (size_t k = 0; k < points.size(); ++k)
            cells_[Key(Cell(points[k].x), Cell(points[k].y))].push_back(k);
    }
    // The manholes within the tolerance of (x, y).
    std::vector<size_t> Near(double x, double y) const {
        std::vector<size_t> found;
        const long long cx = Cell(x), cy = Cell(y);
        for (long long i = cx - 1; i <= cx + 1; ++i)
            for (long long j = cy - 1; j <= cy + 1; ++j) {
                const auto it = cells_.find(Key(i, j));
                if (it == cells_.end()) continue;
                for (size_t k : it->second)
                    if (std::hypot(points_[k].x - x, points_[k].y - y) <= kEndTolerance)
                        found.push_back(k);
            }
        return found;
    }

  private:
    static long long Cell(double v) {
        return static_cast<long long>(std::floor(v / kEndTolerance));
    }
    static unsigned long long Key(long long i, long long j) {
        return static_cast<unsigned long long>(i) * 0x9E3779B97F4A7C15ull ^
               static_cast<unsigned long long>(j);
    }
    const std::vector<Manhole>& points_;
    std::unordered_map<unsigned long long, std::vector<size_t>> cells_;
};

// The EPSG code of a layer's system, 0 when none is found.
int EpsgOf(const OGRSpatialReference& srs) {
    OGRSpatialReference copy(srs);
    if (const char* code = copy.GetAuthorityCode(nullptr)) return std::atoi(code);
    if (copy.AutoIdentifyEPSG() == OGRERR_NONE)
        if (const char* code = copy.GetAuthorityCode(nullptr)) return std::atoi(code);
    int count = 0;
    int* confidence = nullptr;
    OGRSpatialReferenceH* matches = copy.FindMatches(nullptr, &count, &confidence);
    int epsg = 0;
    if (matches && count > 0 && confidence[0] >= 90) {
        const auto* best = OGRSpatialReference::FromHandle(matches[0]);
        const char* name = best->GetAuthorityName(nullptr);
        const char* code = best->GetAuthorityCode(nullptr);
        if (name && code && std::string(name) == "EPSG") epsg = std::atoi(code);
    }
    OSRFreeSRSArray(matches);
    CPLFree(confidence);
    return epsg;
}

bool IsOfType(OGRwkbGeometryType type, OGRwkbGeometryType single, OGRwkbGeometryType multi) {
    const OGRwkbGeometryType flat = wkbFlatten(type);
    return flat == wkbUnknown || flat == single || flat == multi;
}

std::string LayerNames(GDALDataset& ds) {
    std::string names;
    for (int k = 0; k < ds.GetLayerCount(); ++k)
        names += (names.empty() ? "" : ", ") + Quoted(ds.GetLayer(k)->GetName());
    return names.empty() ? "ninguna" : names;
}

// One line of the table, before the reach rules.
struct Row {
    GIntBig fid = 0;
    std::string upstream, downstream;          // code page
    std::map<std::string, std::string> cells;  // by column of the reach table
};

std::string CsvCell(const std::string& text) {
    if (text.find_first_of(",\"") == std::string::npos && (text.empty() || text.front() != ' '))
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

}  // namespace

GisImport ReadGisNetwork(const std::string& path, const GisMapping& mapping,
                         const network::ReachContext& context,
                         const drawings::CoordinateSystem& system) {
    GisImport result;
    Problems problems(result);
    RegisterGdalDrivers();
    CPLErrorReset();
    std::unique_ptr<GDALDataset, DatasetCloser> ds(GDALDataset::FromHandle(
        GDALOpenEx(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
    if (!ds) {
        std::string message = "No se pudo abrir " + path + " como GeoPackage o Shapefile";
        if (const std::string gdal = LastGdalMessage(); !gdal.empty()) message += " (" + gdal + ")";
        problems.Add(message);
        return result;
    }
    const std::string& lineName = mapping.reachLayer;
    const std::string& pointName = mapping.manholeLayer;
    OGRLayer* lines = ds->GetLayerByName(lineName.c_str());
    OGRLayer* points = ds->GetLayerByName(pointName.c_str());
    for (auto [layer, name] : {std::pair{lines, &lineName}, std::pair{points, &pointName}})
        if (!layer)
            problems.Add(path + " no tiene la capa " + Quoted(*name) +
                         " (tiene: " + LayerNames(*ds) + ")");
    if (problems.count()) return result;
    if (!IsOfType(lines->GetGeomType(), wkbLineString, wkbMultiLineString))
        problems.Add("La capa " + Quoted(lineName) + " de " + path + " no es de lineas");
    if (!IsOfType(points->GetGeomType(), wkbPoint, wkbMultiPoint))
        problems.Add("La capa " + Quoted(pointName) + " de " + path + " no es de puntos");
    if (problems.count()) return result;
    const GIntBig lineCount = lines->GetFeatureCount(TRUE);
    if (lineCount > network::kMaxLines)
        problems.Add("La capa " + Quoted(lineName) + " de " + path + " tiene " +
                     std::to_string(lineCount) + " elementos y un sector tiene a lo mas " +
                     std::to_string(network::kMaxLines) + " tramos");
    const GIntBig pointCount = points->GetFeatureCount(TRUE);
    if (pointCount > kMostManholeFeatures)
        problems.Add("La capa " + Quoted(pointName) + " de " + path + " tiene " +
                     std::to_string(pointCount) + " elementos; se leen a lo mas " +
                     std::to_string(kMostManholeFeatures));
    if (problems.count()) return result;

    // Where each datum is read from.
    OGRFeatureDefn* lineDefn = lines->GetLayerDefn();
    OGRFeatureDefn* pointDefn = points->GetLayerDefn();
    auto fieldOf = [&](OGRFeatureDefn* defn, const std::string& layer, const std::string& datum,
                       bool required) {
        const std::string field = mapping.FieldOf(datum);
        // Mapped to no field: the datum is not read, even from a field of its own name.
        if (field.empty()) {
            if (required)
                problems.Add("La capa " + Quoted(layer) + " necesita un campo para el dato " +
                             datum);
            return -1;
        }
        const int index = defn->GetFieldIndex(field.c_str());
        if (index < 0 && (required || mapping.Mapped(datum)))
            problems.Add("La capa " + Quoted(layer) + " no tiene el campo " + Quoted(field) +
                         " (dato " + datum +
                         (mapping.Mapped(datum) ? "" : "; use --campo " + datum + "=CAMPO") + ")");
        return index;
    };
    std::map<std::string, int> lineField;  // by column of the reach table
    for (const ReachDatum& d : ReachData())
        lineField[d.column] = fieldOf(lineDefn, lineName, d.name, false);
    const int stateField = fieldOf(lineDefn, lineName, kStateDatum, false);
    const int nameField = fieldOf(pointDefn, pointName, kNameDatum, true);
    const bool linesHaveGrounds =
        lineField["Cota rasante superior (m)"] >= 0 && lineField["Cota rasante inferior (m)"] >= 0;
    const int groundField = fieldOf(pointDefn, pointName, kGroundDatum, !linesHaveGrounds);
    const int lengthField = lineField["Longitud del tramo (m)"];

    // The system of the coordinates.
    const OGRSpatialReference* lineSrs = lines->GetSpatialRef();
    const OGRSpatialReference* pointSrs = points->GetSpatialRef();
    for (auto [srs, name] : {std::pair{lineSrs, &lineName}, std::pair{pointSrs, &pointName}})
        if (srs && srs->IsGeographic())
            problems.Add("La capa " + Quoted(*name) +
                         " esta en coordenadas geograficas (grados); se necesitan coordenadas "
                         "proyectadas en metros");
    if (lineSrs && pointSrs && !lineSrs->IsSame(pointSrs))
        problems.Add("Las capas " + Quoted(lineName) + " y " + Quoted(pointName) +
                     " estan en sistemas de coordenadas distintos");
    result.coordinates.system = system;
    if (const OGRSpatialReference* srs = lineSrs ? lineSrs : pointSrs) {
        const int epsg = EpsgOf(*srs);
        if (epsg <= 0) {
            problems.Add("El sistema de coordenadas de la capa " +
                         Quoted(lineSrs ? lineName : pointName) + " no tiene codigo EPSG");
        } else {
            result.systemDeclared = true;
            result.coordinates.system.epsg = epsg;
            if (const char* label = srs->GetName()) result.coordinates.system.label = label;
        }
    }
    if (problems.count()) {
        problems.Close();
        return result;
    }

    // The manholes.
    std::vector<Manhole> manholes;
    std::map<std::string, GIntBig> fidOfName;
    points->ResetReading();
    for (Feature f(points->GetNextFeature()); f; f.reset(points->GetNextFeature())) {
        const std::string where = Where(pointName, f->GetFID());
        const OGRGeometry* g = f->GetGeometryRef();
        const OGRPoint* point = nullptr;
        if (g && wkbFlatten(g->getGeometryType()) == wkbPoint)
            point = g->toPoint();
        else if (g && wkbFlatten(g->getGeometryType()) == wkbMultiPoint &&
                 g->toMultiPoint()->getNumGeometries() == 1)
            point = g->toMultiPoint()->getGeometryRef(0);
        if (!point || point->IsEmpty()) {
            problems.Add(where + "no es un punto");
            continue;
        }
        Manhole m;
        m.fid = f->GetFID();
        m.x = point->getX();
        m.y = point->getY();
        if (!std::isfinite(m.x) || !std::isfinite(m.y)) {
            problems.Add(where + "sus coordenadas no son numeros finitos");
            continue;
        }
        const std::string typed =
            f->IsFieldSetAndNotNull(nameField) ? f->GetFieldAsString(nameField) : "";
        const auto name = network::ManholeName(cp(typed));
        if (!name) {
            problems.Add(where + "el nombre " + Quoted(typed) +
                         " no es un nombre de pozo (de 1 a 5 caracteres)");
            continue;
        }
        m.name = *name;
        if (groundField >= 0 && f->IsFieldSetAndNotNull(groundField)) {
            m.ground = NumberOf(*f, groundField);
            if (!m.ground) {
                problems.Add(where + "el campo " + Quoted(mapping.FieldOf(kGroundDatum)) +
                             " no es un numero finito");
                continue;
            }
        }
        if (const auto [it, fresh] = fidOfName.emplace(m.name, m.fid); !fresh) {
            problems.Add(where + "el pozo " + toUtf8(m.name) + " ya esta en el elemento " +
                         std::to_string(it->second));
            continue;
        }
        manholes.push_back(std::move(m));
    }
    if (problems.count()) {
        problems.Close();
        return result;
    }
    const PointGrid grid(manholes);

    // The lines.
    std::vector<Row> rows;
    std::vector<bool> used(manholes.size(), false);
    lines->ResetReading();
    for (Feature f(lines->GetNextFeature()); f; f.reset(lines->GetNextFeature())) {
        const std::string where = Where(lineName, f->GetFID());
        if (stateField >= 0 && f->IsFieldSetAndNotNull(stateField) &&
            std::string(f->GetFieldAsString(stateField)) == kRemovedState) {
            ++result.removedLeftOut;
            continue;
        }
        const OGRGeometry* g = f->GetGeometryRef();
        const OGRLineString* line = nullptr;
        if (g && wkbFlatten(g->getGeometryType()) == wkbLineString) {
            line = g->toLineString();
        } else if (g && wkbFlatten(g->getGeometryType()) == wkbMultiLineString) {
            const int parts = g->toMultiLineString()->getNumGeometries();
            if (parts != 1) {
                problems.Add(where + "es una linea de " + std::to_string(parts) +
                             " partes; cada tramo debe ser una sola linea");
                continue;
            }
            line = g->toMultiLineString()->getGeometryRef(0);
        }
        if (!line) {
            problems.Add(where + "no es una linea");
            continue;
        }
        const int n = line->getNumPoints();
        if (n < 2) {
            problems.Add(where + "la linea tiene menos de dos puntos");
            continue;
        }
        bool finite = true;
        for (int k = 0; k < n; ++k)
            finite = finite && std::isfinite(line->getX(k)) && std::isfinite(line->getY(k));
        if (!finite) {
            problems.Add(where + "sus coordenadas no son numeros finitos");
            continue;
        }
        size_t ends[2] = {0, 0};
        bool matched = true;
        for (int e = 0; e < 2; ++e) {
            const int k = e == 0 ? 0 : n - 1;
            const std::vector<size_t> near = grid.Near(line->getX(k), line->getY(k));
            const std::string which = e == 0 ? "el extremo inicial " : "el extremo final ";
            if (near.empty()) {
                problems.Add(where + which + PointText(line->getX(k), line->getY(k)) +
                             " no coincide con ningun pozo de la capa " + Quoted(pointName) +
                             " (tolerancia " + NumberText(kEndTolerance) + " m)");
                matched = false;
            } else if (near.size() > 1) {
                problems.Add(where + which + "coincide con mas de un pozo (" +
                             toUtf8(manholes[near[0]].name) + " y " +
                             toUtf8(manholes[near[1]].name) + ")");
                matched = false;
            } else {
                ends[e] = near[0];
            }
        }
        if (!matched) continue;
        Row row;
        row.fid = f->GetFID();
        const Manhole& up = manholes[ends[0]];
        const Manhole& down = manholes[ends[1]];
        row.upstream = up.name;
        row.downstream = down.name;
        bool good = true;
        for (const ReachDatum& d : ReachData()) {
            const auto cell = CellOf(*f, lineField[d.column]);
            if (!cell) {
                problems.Add(where + "el campo " + Quoted(mapping.FieldOf(d.name)) +
                             " no es un numero finito");
                good = false;
                continue;
            }
            row.cells[d.column] = *cell;
        }
        if (!good) continue;
        if (lengthField < 0 || !f->IsFieldSetAndNotNull(lengthField))
            row.cells["Longitud del tramo (m)"] =
                NumberText(std::round(line->get_Length() * 100) / 100);  // as the field holds it
        for (auto [column, m] : {std::pair{"Cota rasante superior (m)", &up},
                                 std::pair{"Cota rasante inferior (m)", &down}}) {
            const int field = lineField[column];
            if ((field < 0 || !f->IsFieldSetAndNotNull(field)) && m->ground)
                row.cells[column] = NumberText(*m->ground);
        }
        used[ends[0]] = used[ends[1]] = true;
        if (n > 2) {
            drawings::ReachBends b{up.name, down.name, {}};
            for (int k = 1; k + 1 < n; ++k)
                b.points.emplace_back(line->getX(k), line->getY(k));
            result.bends.push_back(std::move(b));
        }
        rows.push_back(std::move(row));
    }
    if (problems.count()) {
        problems.Close();
        return result;
    }
    if (rows.empty()) {
        problems.Add("La capa " + Quoted(lineName) + " de " + path + " no tiene tramos");
        return result;
    }

    // The rules of the reach table, line by line.
    std::string csv;
    const std::vector<std::string>& columns = network::ReachCsvColumns();
    for (size_t c = 0; c < columns.size(); ++c)
        csv += (c ? "," : "") + CsvCell(columns[c]);
    csv += '\n';
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t c = 0; c < columns.size(); ++c) {
            if (c) csv += ',';
            const std::string& column = columns[c];
            if (column == "Linea")
                csv += std::to_string(r + 1);
            else if (column == "Tramo de")
                csv += CsvCell(toUtf8(rows[r].upstream));
            else if (column == "Tramo a")
                csv += CsvCell(toUtf8(rows[r].downstream));
            else if (const auto it = rows[r].cells.find(column); it != rows[r].cells.end())
                csv += CsvCell(it->second);
        }
        csv += '\n';
    }
    network::ImportResult table = network::ImportReachesCsv(csv, context);
    for (const std::string& problem : table.problems) {
        // "Linea N: ..." names the table's text line N, the row N - 1 after the header.
        std::string text = toUtf8(problem);
        int line = 0;
        const size_t colon = text.find(": ");
        if (text.rfind("Linea ", 0) == 0 && colon != std::string::npos) {
            const auto r = std::from_chars(text.data() + 6, text.data() + colon, line);
            if (r.ec == std::errc() && line >= 2 && static_cast<size_t>(line - 2) < rows.size()) {
                const Row& row = rows[static_cast<size_t>(line - 2)];
                text = Where(lineName, row.fid) + "(" + toUtf8(row.upstream) + "-" +
                       toUtf8(row.downstream) + ") " + text.substr(colon + 2);
            }
        }
        problems.Add(text);
    }
    if (problems.count()) {
        problems.Close();
        result.bends.clear();
        return result;
    }
    result.reaches = std::move(table.reaches);
    // The manholes of the reaches, in the order the reaches first name them.
    std::map<std::string, size_t> indexOf;
    for (size_t k = 0; k < manholes.size(); ++k)
        indexOf[manholes[k].name] = k;
    std::vector<bool> listed(manholes.size(), false);
    for (const TramoT& t : result.reaches)
        for (const std::string* name : {&t.Upstream, &t.Downstream}) {
            const size_t k = indexOf.at(*name);
            if (listed[k]) continue;
            listed[k] = true;
            result.coordinates.points.push_back({manholes[k].name, manholes[k].x, manholes[k].y});
        }
    for (bool u : used)
        result.unusedManholes += u ? 0 : 1;
    return result;
}

}  // namespace nivex::exchange
