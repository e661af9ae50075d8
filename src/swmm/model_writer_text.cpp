#include "swmm/model_writer_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <vector>

#include "swmm/model_writer.h"

namespace nivex::swmm {

std::string Blanks(int n) {
    return std::string(static_cast<size_t>(std::max(0, n)), ' ');
}

std::string TextField(const std::string& text, int width) {
    const size_t w = static_cast<size_t>(std::max(0, width));
    if (text.size() >= w) return text.substr(0, w);
    return text + std::string(w - text.size(), ' ');
}

std::string NumberField(double value, int width, int decimals) {
    if (!std::isfinite(value)) value = 0;
    const double scale = std::pow(10.0, decimals);
    double r = std::round(value * scale) / scale;
    if (r == 0) r = 0;  // never "-0.00"
    char buf[64];
    std::snprintf(buf, sizeof buf, "%*.*f", width, decimals, r);
    return buf;
}

std::string GeneralText(float value) {
    if (!std::isfinite(value)) value = 0;
    if (value == 0) value = 0;
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, r.ptr);
}

std::string CutAfterThreeDecimals(const std::string& text) {
    const size_t dot = text.find('.');
    if (dot == std::string::npos || text.find_first_of("eE") != std::string::npos) return text;
    return text.substr(0, std::min(text.size(), dot + 4));
}

namespace {

constexpr const char* kEol = "\r\n";

class Lines {
  public:
    void raw(const std::string& line) {
        text_ += line;
        text_ += kEol;
    }
    // Headers, comments, options and the title.
    void head(const std::string& line) { raw(Blanks(10) + line); }
    void data(const std::string& line) { raw(Blanks(12) + line); }
    void empty() { raw(""); }
    std::string& text() { return text_; }

  private:
    std::string text_;
};

std::string Dashes(int n) {
    return ";;" + std::string(static_cast<size_t>(n), '-');
}

std::string Whole(double v) {
    return std::to_string(static_cast<long long>(std::llround(v)));
}

// A node's name as the engine reads it.
std::string Node(const SwmmInputData& d, const std::string& name) {
    return d.model->names.ToEngine(name);
}

// "C-" + i padded to six characters.
std::string SubcatchmentName(int i) {
    return TextField("C-" + std::to_string(i), 6);
}

void Title(Lines& out, const SwmmInputData& d) {
    out.head("[TITLE]");
    out.head(d.projectName + SectorSuffix(d.extension));
    out.empty();
}

void Options(Lines& out, const SwmmInputData& d) {
    const specs::EspecT& e = *d.espec;
    const int cls = d.model->designClass;
    const int net = NetworkClassOf(cls);
    const bool storm = IsSwmmStormDesign(cls);
    out.head("[OPTIONS]");
    out.head("FLOW_UNITS            LPS");
    switch (e.InfiltrationModel) {
        case 0:
            out.head("INFILTRATION        HORTON");
            break;
        case 1:
            out.head("INFILTRATION        GREEN_AMPT");
            break;
        case 2:
            out.head("INFILTRATION        CURVE_NUMBER");
            break;
        default:
            break;
    }
    if (e.SwmmRouting == 2)
        out.head("FLOW_ROUTING          STEADY");
    else if (e.SwmmRouting == 1)
        out.head("FLOW_ROUTING          KINWAVE");
    else if (e.SwmmRouting == 0)
        out.head("FLOW_ROUTING          DYNWAVE");
    out.head("START_DATE            " + d.date);
    out.head("START_TIME            00:01:00");
    out.head("REPORT_START_DATE     " + d.date);
    out.head("REPORT_START_TIME     00:01:00");
    out.head("END_DATE              " + d.date);
    const bool wet = net >= 3 && net <= 5;
    if (storm && wet)
        out.head("END_TIME              06:00");
    else if (wet)
        out.head("END_TIME              23:59");
    else
        out.head("END_TIME              03:00:00");
    for (const char* line :
         {"SWEEP_START           01/01", "SWEEP_END             12/31", "DRY_DAYS              5",
          "REPORT_STEP           00:01:00", "WET_STEP              00:01:00",
          "DRY_STEP              00:01:00", "ROUTING_STEP          0:00:01",
          "ALLOW_PONDING         NO", "INERTIAL_DAMPING      PARTIAL", "VARIABLE_STEP         0.75",
          "LENGTHENING_STEP      0", "MIN_SURFAREA          0",
          // The engines that took "NO" here read it as the slope criterion; SWMM 5.2
          // accepts only the name.
          "NORMAL_FLOW_LIMITED   SLOPE", "SKIP_STEADY_STATE     NO"})
        out.head(line);
    out.empty();
}

int GaugeCount(const SwmmInputData& d) {
    const specs::EspecT& e = *d.espec;
    if (IsIdfStormDesign(d.model->designClass)) {
        if (!std::isfinite(e.EquationCount) || e.EquationCount < 1) return 0;
        return std::min(static_cast<int>(e.EquationCount), specs::kMaxEquations);
    }
    return std::clamp(e.SeriesCount, 0, specs::kMaxSeries);
}

std::string TwoDigits(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

void RainGages(Lines& out, const SwmmInputData& d) {
    out.head("[RAINGAGES]");
    out.head(
        ";;                 Rain       Recd       Snow       Data       Source     Station   "
        "Rain ");
    out.head(
        ";;Name             Type       Freq       Catch      Source     Name       ID        "
        "Units");
    out.head(Dashes(87));
    const bool idf = IsIdfStormDesign(d.model->designClass);
    for (int k = 1; k <= GaugeCount(d); ++k) {
        const std::string n = std::to_string(k);
        if (idf)
            out.data("Lluvia_" + n + "         INTENSITY  0:10       0          TIMESERIES " +
                     "TS" + n + Blanks(23));
        else
            out.data("Lluvia_" + n +
                     "         INTENSITY   0:" + TwoDigits(d.espec->SeriesInterval) +
                     "        0          TIMESERIES " + "TS" + n + Blanks(23));
        out.empty();
    }
    out.empty();
}

float BasinValue(const std::array<float, specs::kRainBasins>& v, int gauge) {
    return v[static_cast<size_t>(std::clamp(gauge, 1, specs::kRainBasins) - 1)];
}

void Subcatchments(Lines& out, const SwmmInputData& d) {
    out.head("[SUBCATCHMENTS]");
    out.head(
        ";;                                       Total      Pcnt.                 Pcnt.     "
        "Curb      Snow");
    out.head(
        ";;Name             Raingage   Outlet     Area       Imperv     Width      Slope     "
        "Length    Pack");
    out.head(Dashes(96));
    int i = 0;
    for (const SwmmLinkT& l : d.model->links) {
        ++i;
        out.data(SubcatchmentName(i) + "           Lluvia_" + std::to_string(l.rainGauge) +
                 Blanks(3) + TextField(Node(d, l.inlet), 8) + NumberField(l.area, 7, 2) +
                 Blanks(6) + NumberField(l.imperviousness, 3, 0) + Blanks(9) +
                 NumberField(BasinValue(d.espec->SwmmWidths, l.rainGauge), 3, 0) + Blanks(8) +
                 NumberField(BasinValue(d.espec->SwmmSlopes, l.rainGauge), 4, 2) + Blanks(5) +
                 NumberField(0, 2, 0));
    }
    out.empty();
}

void Subareas(Lines& out, const SwmmInputData& d) {
    out.head("[SUBAREAS]");
    out.head(";;" + Blanks(91));
    out.head(
        ";;Subcatchment     N-Imperv   N-Perv     S-Imperv   S-Perv     PctZero    RoutTo    "
        "PctRouted");
    out.head(Dashes(91));
    for (size_t i = 1; i <= d.model->links.size(); ++i)
        out.data(SubcatchmentName(static_cast<int>(i)) + Blanks(10) + NumberField(0.01, 5, 2) +
                 Blanks(7) + NumberField(0.1, 3, 1) + Blanks(7) + NumberField(1.25, 5, 2) +
                 Blanks(6) + NumberField(1.25, 5, 2) + Blanks(5) + NumberField(25, 4, 0) +
                 Blanks(9) + TextField("OUTLET", 8));
    out.empty();
}

void Junctions(Lines& out, const SwmmInputData& d) {
    out.head("[JUNCTIONS]");
    out.head(";;                 Invert     Max.       Init.      Surcharge  Ponded");
    out.head(";;Name             Elev.      Depth      Depth      Depth      Area  ");
    out.head(Dashes(72));
    // A node is declared once, by the first conduit that leaves it.
    std::set<std::string> seen;
    for (const SwmmLinkT& l : d.model->links) {
        if (!seen.insert(l.inlet).second) continue;
        out.data(TextField(Node(d, l.inlet), 7) + Blanks(8) + NumberField(l.invertUp, 7, 2) +
                 Blanks(3) + NumberField(l.nodeDepthUp, 7, 2) + Blanks(6) + NumberField(0, 2, 0) +
                 Blanks(9) + NumberField(0, 2, 0) + Blanks(9) + NumberField(0, 2, 0));
    }
    out.empty();
}

void Outfalls(Lines& out, const SwmmInputData& d) {
    out.head("[OUTFALLS]");
    out.head(";;                 Invert     Outfall    Stage/Table      Tide");
    out.head(";;Name             Elev.      Type       Time Series      Gate");
    out.head(Dashes(60));
    std::set<std::string> seen;
    for (const SwmmLinkT& l : d.model->links) {
        if (!l.outfall || !seen.insert(l.outlet).second) continue;
        out.data(TextField(Node(d, l.outlet), 7) + Blanks(8) + NumberField(l.invertDown, 7, 2) +
                 Blanks(6) + TextField("FREE", 5) + Blanks(23) + TextField("NO", 3));
    }
    out.empty();
}

void Conduits(Lines& out, const SwmmInputData& d) {
    out.head("[CONDUITS]");
    out.head(
        ";;                 Inlet            Outlet                      Manning    Inlet     "
        " Outlet     Init.      Maximum");
    out.head(
        ";;Name             Node             Node             Length     N          Height    "
        " Height     Flow       Flow");
    out.head(Dashes(120));
    for (const SwmmLinkT& l : d.model->links)
        out.data(TextField(Whole(l.number), 6) + Blanks(11) + TextField(Node(d, l.inlet), 8) +
                 Blanks(9) + TextField(Node(d, l.outlet), 8) + Blanks(9) +
                 NumberField(l.length, 6, 2) + Blanks(5) + NumberField(l.manningN, 5, 3) +
                 Blanks(5) + NumberField(0, 2, 0) + Blanks(7) + NumberField(l.outletOffset, 7, 2) +
                 Blanks(6) + NumberField(0, 2, 0) + Blanks(9) + NumberField(0, 2, 0));
    out.empty();
}

void XSections(Lines& out, const SwmmInputData& d) {
    out.head("[XSECTIONS]");
    out.head(";;Link             Type         Geom1      Geom2      Geom3      Geom4      Barrels");
    out.head(Dashes(81));
    for (const SwmmLinkT& l : d.model->links) {
        const double m = l.diameter / 1000;
        const std::string name = TextField(Whole(l.number), 6);
        if (m < 3)
            out.data(name + Blanks(11) + TextField("CIRCULAR", 8) + Blanks(4) +
                     NumberField(m, 6, 3) + Blanks(5) + NumberField(0, 2, 0) + Blanks(9) +
                     NumberField(0, 2, 0) + Blanks(9) + NumberField(0, 2, 0) + Blanks(9) +
                     NumberField(1, 2, 0));
        else
            out.data(name + Blanks(11) + TextField("RECT_CLOSED", 11) + Blanks(4) +
                     NumberField(m, 6, 3) + Blanks(4) + NumberField(m, 6, 3) + Blanks(5) +
                     NumberField(m, 6, 3) + Blanks(9) + NumberField(0, 2, 0) + Blanks(9) +
                     NumberField(1, 2, 0));
    }
    out.empty();
}

bool PatternDesign(int cls) {
    return cls == 3 || cls == 4 || cls == 5;
}

void DryWeatherFlows(Lines& out, const SwmmInputData& d) {
    out.head("[DWF]");
    out.head(";;                                  Average    Time");
    out.head(";;Node             Parameter        Value      Patterns");
    out.head(Dashes(54));
    const bool pattern = PatternDesign(d.model->designClass);
    for (const SwmmLinkT& l : d.model->links) {
        // A name that fills its field keeps a blank before the parameter.
        std::string node = TextField(Node(d, l.inlet), 7);
        if (l.inlet.size() >= 7) node += ' ';
        std::string line =
            node + TextField("FLOW", 7) + Blanks(7) + NumberField(l.nodeInflow, 7, 2);
        if (pattern) line += Blanks(7) + TextField("\"P\"", 7);
        out.data(line);
    }
    out.empty();
}

void Patterns(Lines& out) {
    out.head("[PATTERNS]");
    out.head(";;Name             Type             Multipliers");
    out.head(Dashes(149));
    out.head(
        "  P                HOURLY           0.44 0.48 0.52 0.56 0.60 0.64 0.67 0.70 0.73 "
        "0.76 0.79 0.82 0.84 0.86 0.88 0.90 0.92 0.94 0.96 0.97 0.98 0.99 1.00" +
        Blanks(75));
    out.empty();
}

void GridCoordinates(Lines& out, const SwmmInputData& d) {
    out.head("[COORDINATES]");
    out.head(";;Node             X-Coord                 Y-Coord");
    out.head(Dashes(52));
    const int rows = d.gridRows, columns = d.gridColumns;
    const double length = d.gridLength;
    auto point = [&](const std::string& name, double x, double y) {
        out.data(TextField(Node(d, name), 8) + Blanks(10) + NumberField(x, 8, 2) + Blanks(16) +
                 NumberField(y, 8, 2));
    };
    int n = 1;
    for (int r = rows; r >= 0; --r)
        for (int c = 0; c <= columns; ++c, ++n)
            point(n == 1 ? "1-1" : std::to_string(n), (c + 1) * length + 10000,
                  (r + 2) * length + 10000);
    n = 1;
    for (int r = rows; r >= 0; --r)
        for (int c = 0; c <= columns; ++c, ++n)
            if (c != columns && r != 0)
                point(std::to_string(n) + "A-1", (c + 1) * length + 10000,
                      (r + 2) * length + 10000 - 10);
    const std::string outlet =
        d.gridOutlet.empty() ? std::to_string(rows * (columns + 1) + columns + 2) : d.gridOutlet;
    point(outlet, (columns + 1) * length + 10000, length + 10000);
    out.empty();
}

// The stored manhole coordinates of the model's nodes, each node once, in the order the
// conduits name them: conduit k runs from the upstream to the downstream manhole of reach
// k (a head node, "P12-1", stands where its manhole does). A node whose manhole has no
// stored point is left to the engine.
void StoredCoordinates(Lines& out, const SwmmInputData& d) {
    std::map<std::string, const drawings::ManholePoint*> byName;
    for (const drawings::ManholePoint& p : d.coordinates)
        byName.emplace(p.name, &p);
    auto pointOf = [&](const std::vector<std::string>& names, size_t k) {
        const auto it = k < names.size() ? byName.find(names[k]) : byName.end();
        return it == byName.end() ? nullptr : it->second;
    };
    std::set<std::string> written;
    std::vector<std::string> lines;
    const auto& links = d.model->links;
    for (size_t k = 0; k < links.size(); ++k) {
        const std::pair<const std::string*, const drawings::ManholePoint*> ends[] = {
            {&links[k].inlet, pointOf(d.upstreamNames, k)},
            {&links[k].outlet, pointOf(d.downstreamNames, k)}};
        for (const auto& [node, point] : ends) {
            if (!point || !written.insert(*node).second) continue;
            std::string name = Node(d, *node);
            name += Blanks(std::max(1, 17 - static_cast<int>(name.size())));
            lines.push_back(name + NumberField(point->x, 18, 3) + ' ' +
                            NumberField(point->y, 18, 3));
        }
    }
    if (lines.empty()) return;
    out.head("[COORDINATES]");
    out.head(";;Node           X-Coord            Y-Coord");
    out.head(";;-------------- ------------------ ------------------");
    for (const std::string& line : lines)
        out.data(line);
    out.empty();
}

// The bends of the conduits that have them, after the nodes' coordinates.
void Vertices(Lines& out, const SwmmInputData& d) {
    const auto& links = d.model->links;
    std::vector<std::string> lines;
    for (size_t k = 0; k < links.size() && k < d.bends.size(); ++k)
        for (const auto& [x, y] : d.bends[k]) {
            std::string name = Whole(links[k].number);
            name += Blanks(std::max(1, 17 - static_cast<int>(name.size())));
            lines.push_back(name + NumberField(x, 18, 3) + ' ' + NumberField(y, 18, 3));
        }
    if (lines.empty()) return;
    out.head("[VERTICES]");
    out.head(";;Link           X-Coord            Y-Coord");
    out.head(";;-------------- ------------------ ------------------");
    for (const std::string& line : lines)
        out.data(line);
    out.empty();
}

void TimeSeries(Lines& out, const SwmmInputData& d) {
    out.head("[TIMESERIES]");
    out.head(";;" + Blanks(54));
    out.head(";;Name                 Date       Time           Value  ");
    out.head(Dashes(54));
    auto point = [&](int k, const std::string& time, const std::string& value) {
        out.raw(Blanks(10) + "  " + "TS" + std::to_string(k) + Blanks(19) + Blanks(10) + time +
                Blanks(10) + value);
    };
    if (IsIdfStormDesign(d.model->designClass)) {
        static constexpr std::array<const char*, 12> kTimes{"00:00", "00:10", "00:20", "00:30",
                                                            "00:40", "00:50", "00:60", "01:10",
                                                            "01:20", "01:30", "01:40", "01:50"};
        const std::vector<DesignStorm> storms = MakeDesignStorms(*d.espec);
        for (size_t k = 0; k < storms.size(); ++k)
            for (size_t b = 0; b < 12; ++b)
                point(static_cast<int>(k + 1), kTimes[b], storms[k][b]);
    } else {
        const specs::EspecT& e = *d.espec;
        for (int k = 1; k <= GaugeCount(d); ++k)
            for (int j = 1; j <= specs::kSeriesValues; ++j) {
                const float v = e.Series[static_cast<size_t>(k - 1)][static_cast<size_t>(j - 1)];
                if (!(v > 0.001f)) continue;
                const int minutes = (j - 1) * e.SeriesInterval;
                point(k, TwoDigits(minutes / 60) + ":" + TwoDigits(minutes % 60),
                      CutAfterThreeDecimals(GeneralText(v)));
            }
    }
    out.empty();
}

void Report(Lines& out) {
    out.head("[REPORT]");
    out.head("INPUT     NO");
    out.head("CONTROLS  NO");
    out.empty();
}

struct Position {
    double x = 0, y = 0;
    bool found = false;
};

Position PointOf(const std::vector<MapPointT>& points, const std::string& name) {
    for (const MapPointT& p : points)
        if (p.name == name) {
            Position at;
            char* end = nullptr;
            at.x = std::strtod(p.x.c_str(), &end);
            at.y = std::strtod(p.y.c_str(), &end);
            at.found = std::isfinite(at.x) && std::isfinite(at.y);
            if (!at.found) at.x = at.y = 0;
            return at;
        }
    return {};
}

void MapCoordinates(Lines& out, const SwmmInputData& d) {
    const auto& links = d.model->links;
    const size_t n = links.size();
    std::vector<Position> at(n);
    for (size_t i = 0; i < n; ++i)
        at[i] = PointOf(d.mapPoints, i < d.upstreamNames.size() ? d.upstreamNames[i] : "");
    // Head nodes move towards their downstream point, so that several initial reaches
    // leaving one manhole show apart.
    std::set<std::string> heads;
    for (const TrIniT& h : d.model->heads)
        heads.insert(h.head);
    struct Move {
        size_t i;
        double dx, dy, length;
    };
    std::vector<Move> moves;
    double total = 0;
    for (size_t i = 0; i < n; ++i) {
        if (!heads.count(links[i].inlet)) continue;
        const Position down = PointOf(d.mapPoints, links[i].outlet);
        if (!down.found || !at[i].found) continue;
        const double dx = at[i].x - down.x, dy = at[i].y - down.y;
        const double length = std::sqrt(dx * dx + dy * dy);
        moves.push_back({i, dx, dy, length});
        total += length;
    }
    if (!moves.empty()) {
        const double mean = total / static_cast<double>(moves.size());
        for (const Move& m : moves) {
            double f = 0.025;
            if (m.length < mean / 6)
                f = 0.25;
            else if (m.length < mean / 5)
                f = 0.2;
            else if (m.length < mean / 4)
                f = 0.15;
            else if (m.length < mean / 3)
                f = 0.1;
            else if (m.length < mean / 2)
                f = 0.05;
            at[m.i].x -= f * m.dx;
            at[m.i].y -= f * m.dy;
        }
    }
    auto block = [&] {
        out.head(";;Node             X-Coord                 Y-Coord");
        out.head(Dashes(52));
        for (size_t i = 0; i < n; ++i)
            out.data(TextField(Node(d, links[i].inlet), 9) + Blanks(6) +
                     NumberField(at[i].x, 9, 3) + Blanks(15) + NumberField(at[i].y, 9, 3));
    };
    out.head("[MAP]");
    out.head("DIMENSIONS  0.000 0.000 10000.00 10000.00");
    block();
    out.empty();
    out.head("[COORDINATES]");
    block();
    int outfalls = 0;
    for (int type : d.reachTypes)
        if (type == 2 || type == 3) ++outfalls;
    const int m = static_cast<int>(d.mapPoints.size());
    for (int k = 1; k <= outfalls && m - k >= 0; ++k) {
        const MapPointT& p = d.mapPoints[static_cast<size_t>(m - k)];
        out.data(TextField(Node(d, p.name), 11) + Blanks(5) + TextField(p.x, 9) + Blanks(15) +
                 TextField(p.y, 9));
    }
    out.empty();
}

}  // namespace

std::string SwmmInputText(const SwmmInputData& d) {
    Lines out;
    if (!d.model || !d.espec) return out.text();
    const int cls = d.model->designClass;
    const bool storm = IsSwmmStormDesign(cls);
    Title(out, d);
    Options(out, d);
    if (storm) {
        RainGages(out, d);
        Subcatchments(out, d);
        Subareas(out, d);
    }
    Junctions(out, d);
    Outfalls(out, d);
    Conduits(out, d);
    XSections(out, d);
    if (!storm || NetworkClassOf(cls) == 3) DryWeatherFlows(out, d);
    if (PatternDesign(cls)) Patterns(out);
    if (d.simulated)
        GridCoordinates(out, d);
    else if (!d.imported)
        StoredCoordinates(out, d);
    if (storm) TimeSeries(out, d);
    Report(out);
    if (d.imported) MapCoordinates(out, d);
    if (!d.simulated) Vertices(out, d);
    return std::move(out.text());
}

}  // namespace nivex::swmm
