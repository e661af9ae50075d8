#include "network/simulated_project.h"

#include <map>

#include "console/codepage.h"
#include "drawings/manhole_coordinates.h"
#include "network/reach_file.h"
#include "network/record_file.h"
#include "specs/criteria_store.h"

namespace nivex::network {
namespace {

constexpr int kTypeDischarge = 2;
// Where the grid's map starts, and how far below its manhole a head manhole is drawn.
constexpr double kGridOrigin = 10000;
constexpr double kHeadOffset = 10;

// Grid position: row r from 0 (bottom) to R (top), column c from 0 (left) to C.
struct Grid {
    int rows, columns;
    double length, drop, ground;

    int node(int r, int c) const { return (rows - r) * (columns + 1) + c + 1; }
    double groundAt(int r, int c) const { return ground - ((rows - r) + c) * drop; }
};

TramoT Reach(const Grid& g, const std::string& up, double groundUp, int r, int c) {
    TramoT t;
    t.Upstream = up;
    t.Downstream = std::to_string(g.node(r, c));
    t.Class = kClassNew;
    t.Type = kTypeNetwork;
    t.GroundUp = static_cast<float>(groundUp);
    t.GroundDown = static_cast<float>(g.groundAt(r, c));
    t.Length = static_cast<float>(g.length);
    t.Area = static_cast<float>(g.length * g.length / 2 / 10000);
    return t;
}

// Every reach that ends at (r, c), each after the whole network above it, so that the
// ordering check finds the line ends a reach joins on top of its stack.
void Emit(const Grid& g, int r, int c, std::vector<TramoT>& out) {
    const bool lastColumn = c == g.columns;
    auto fromAbove = [&] {
        if (r == g.rows) return;
        if (lastColumn) {
            Emit(g, r + 1, c, out);
            out.push_back(Reach(g, std::to_string(g.node(r + 1, c)), g.groundAt(r + 1, c), r, c));
        } else {
            out.push_back(
                Reach(g, std::to_string(g.node(r + 1, c)) + "A", g.groundAt(r + 1, c), r, c));
        }
    };
    auto fromLeft = [&] {
        if (c == 0) return;
        Emit(g, r, c - 1, out);
        out.push_back(Reach(g, std::to_string(g.node(r, c - 1)), g.groundAt(r, c - 1), r, c));
    };
    // The collector comes down before the row joins it; a row takes its head reaches
    // after the reach that arrives from the left.
    if (lastColumn) {
        fromAbove();
        fromLeft();
    } else {
        fromLeft();
        fromAbove();
    }
}

}  // namespace

std::string CheckSimulationField(const SimulationParams& s, int field) {
    switch (field) {
        case 0:
            if (s.horizontal < 1 || s.horizontal > 40) return "ERROR...Usar entre 1 y 40";
            break;
        case 1:
            if (s.vertical < 1 || s.vertical > 40) return "ERROR...Usar entre 1 y 40";
            break;
        case 2:
            if (!(s.length >= 20)) return "ERROR...Usar 20 o mas";
            break;
        case 3:
            // The slope is typed with two decimals.
            if (!(s.slope >= 0.10 - 1e-9 && s.slope <= 3.00 + 1e-9))
                return "ERROR...Usar entre 0.10 y 3.00";
            break;
        case 4:
            if (!(s.ground >= 1000)) return "ERROR...Usar 1000 o mas";
            break;
    }
    return "";
}

std::string CheckSimulationParams(const SimulationParams& s) {
    for (int k = 0; k < kSimulationFields; ++k)
        if (std::string m = CheckSimulationField(s, k); !m.empty()) return m;
    return "";
}

bool SimulationAllowed(const project::Project& p) {
    if (p.header.Simulated) return true;
    return p.header.ReachCount == 0 && !p.espec.FromSwmm;
}

std::vector<TramoT> SimulatedReaches(const SimulationParams& s) {
    const Grid g{s.vertical, s.horizontal, s.length, s.length * s.slope / 100, s.ground};
    std::vector<TramoT> out;
    out.reserve(
        static_cast<size_t>(s.horizontal * (s.vertical + 1) + (s.horizontal + 1) * s.vertical + 1));
    Emit(g, 0, g.columns, out);
    // The lowest corner discharges into a manhole of its own, so that the grid has its outlet.
    const int corner = g.node(0, g.columns);
    const double cornerGround = g.groundAt(0, g.columns);
    TramoT discharge = Reach(g, std::to_string(corner), cornerGround, 0, g.columns);
    discharge.Downstream = std::to_string(corner + 1);
    discharge.GroundDown = static_cast<float>(cornerGround - g.drop);
    discharge.Type = kTypeDischarge;
    discharge.Area = 0;
    out.push_back(discharge);
    return out;
}

std::vector<drawings::ManholePoint> SimulatedCoordinates(const SimulationParams& s,
                                                         const std::vector<TramoT>& reaches) {
    const Grid g{s.vertical, s.horizontal, s.length, 0, 0};
    // The points of the grid as its SWMM model places them.
    std::map<std::string, std::pair<double, double>> at;
    for (int r = 0; r <= g.rows; ++r)
        for (int c = 0; c <= g.columns; ++c) {
            const double x = (c + 1) * g.length + kGridOrigin;
            const double y = (r + 2) * g.length + kGridOrigin;
            const std::string name = std::to_string(g.node(r, c));
            at[name] = {x, y};
            at[name + "A"] = {x, y - kHeadOffset};
        }
    at[std::to_string(g.node(0, g.columns) + 1)] = {(g.columns + 1) * g.length + kGridOrigin,
                                                    g.length + kGridOrigin};
    std::vector<drawings::ManholePoint> points;
    std::map<std::string, bool> placed;
    for (const TramoT& t : reaches)
        for (const std::string* name : {&t.Upstream, &t.Downstream}) {
            const auto it = at.find(*name);
            if (it == at.end() || !placed.emplace(*name, true).second) continue;
            points.push_back({*name, it->second.first, it->second.second});
        }
    return points;
}

bool GenerateSimulatedProject(project::Project& p, const SimulationParams& params,
                              std::string* error) {
    auto fail = [&](const std::string& message) {
        if (error) *error = message;
        p.CloseControl();
        return false;
    };
    if (std::string rule = CheckSimulationParams(params); !rule.empty()) return fail(rule);
    if (!p.OpenControl()) return fail(toUtf8(p.error));
    std::string message;
    if (!specs::LoadDesignCriteria(p.control, p.header, p.espec, &message)) return fail(message);
    if (!SimulationAllowed(p)) return fail(kSimulationRefusal);

    const std::vector<TramoT> reaches = SimulatedReaches(params);
    std::vector<codec::Bytes> records;
    records.reserve(reaches.size());
    for (const TramoT& t : reaches) {
        codec::Bytes record(kTramoSize, 0);
        if (!Encode(t, record)) return fail("No se pudo codificar el tramo " + t.Upstream);
        records.push_back(std::move(record));
    }
    // The old network stays on disk until the new one is complete.
    if (!ReplaceRecordFile(p.files.reaches(), kTramoSize, records, message)) return fail(message);

    ReachFile file;
    const bool opened = OpenNetwork(p, file);
    file.Close();
    if (!opened) return fail(toUtf8(p.error));

    shell::ProyectoT& h = p.header;
    h.ReachCount = static_cast<int>(reaches.size());
    h.Simulated = 1;
    h.SimulatedVertical = params.vertical;
    h.SimulatedHorizontal = params.horizontal;
    h.SimulatedLength = static_cast<float>(params.length);
    h.ControlsDone = {};
    h.StageDone = {};
    if (!specs::SaveRecords(p.control, p.header, p.espec, {})) return fail(p.control.error());
    p.CloseControl();
    // The grid's manholes where its SWMM model draws them; the old network's points go.
    drawings::ManholeCoordinates coordinates;
    coordinates.points = SimulatedCoordinates(params, reaches);
    if (!drawings::WriteCoordinates(p, coordinates, &message)) return fail(message);
    return true;
}

}  // namespace nivex::network
