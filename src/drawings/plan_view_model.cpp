#include "drawings/plan_view_model.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "console/codepage.h"
#include "design/reach_values.h"

namespace nivex::drawings {
namespace {

std::string Fixed(double v, int decimals) {
    char buf[48];
    if (std::fabs(v) < 0.5 * std::pow(10.0, -decimals)) v = 0;  // no "-0.00"
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    return std::string(buf, r.ptr);
}

const char* StateName(ReachState s) {
    switch (s) {
        case ReachState::New:
            return "Nuevo";
        case ReachState::Existing:
            return "Existente";
        case ReachState::Restricted:
            return "Restringido";
        case ReachState::Removed:
            return "Retirado";
    }
    return "";
}

// The invert a profile draws: the stored one, else the crown less the diameter.
double Invert(float stored, float crown, float diameter) {
    return stored != 0 ? stored : crown - diameter / 1000.0;
}

}  // namespace

int WindowPlanScale(const DrawingInputs& in) {
    std::vector<double> lengths;
    for (const network::TramoT& t : in.reaches) {
        const ManholePoint* a = in.placement.find(t.Upstream);
        const ManholePoint* b = in.placement.find(t.Downstream);
        if (!a || !b) continue;
        const double d = std::hypot(b->x - a->x, b->y - a->y);
        if (d > 0 && std::isfinite(d)) lengths.push_back(d);
    }
    if (lengths.empty()) return 1000;
    std::nth_element(lengths.begin(), lengths.begin() + lengths.size() / 2, lengths.end());
    const double most = lengths[lengths.size() / 2] * 1000.0 / kWindowReachOnPaper;
    int best = 1;
    for (double p = 1; p <= 1e8; p *= 10)
        for (double m : {1.0, 2.0, 2.5, 5.0}) {
            const double s = m * p;
            if (s == std::floor(s) && s <= most) best = static_cast<int>(s);
        }
    return best;
}

std::string LineCaption(const std::vector<network::TramoT>& reaches, const ProfileLine& line) {
    if (line.records.empty()) return {};
    const network::TramoT& first = reaches[static_cast<size_t>(line.records.front() - 1)];
    const network::TramoT& last = reaches[static_cast<size_t>(line.records.back() - 1)];
    return "Pozo " + first.Upstream + " a Pozo " + last.Downstream;
}

int LineOfRecord(const std::vector<ProfileLine>& lines, int record) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (std::find(lines[i].records.begin(), lines[i].records.end(), record) !=
            lines[i].records.end())
            return static_cast<int>(i);
    return -1;
}

std::vector<std::string> ReachValueLines(const network::TramoT& t, ReachState state,
                                         bool designed) {
    network::TramoT v = t;  // the design's names read through references
    std::vector<std::string> lines;
    lines.push_back("Tramo " + t.Upstream + " - " + t.Downstream + "   (" + StateName(state) + ")");
    if (t.Diameter > 0)
        lines.push_back("D = " + Fixed(t.Diameter, 0) + " mm   S = " + Fixed(t.Slope, 3) +
                        " %   L = " + Fixed(t.Length, 2) + " m");
    else
        lines.push_back("L = " + Fixed(t.Length, 2) + " m");
    if (!designed) return lines;
    lines.push_back(cp("Q diseño = ") + Fixed(design::DesignFlow(v), 2) +
                    " l/s   V = " + Fixed(design::RealVelocity(v), 2) +
                    " m/s   y/D = " + Fixed(design::RelativeDepth(v), 2));
    lines.push_back("Cota clave: " + Fixed(t.CrownUp, 2) + " - " + Fixed(t.CrownDown, 2));
    lines.push_back("Cota batea: " + Fixed(Invert(design::InvertUp(v), t.CrownUp, t.Diameter), 2) +
                    " - " + Fixed(Invert(design::InvertDown(v), t.CrownDown, t.Diameter), 2));
    lines.push_back("Profundidad clave: " + Fixed(design::DepthUp(v), 2) + " - " +
                    Fixed(design::DepthDown(v), 2) + " m");
    return lines;
}

std::vector<std::string> ReachTipLines(const network::TramoT& t, const PlanReach& r,
                                       bool designed) {
    if (r.findings.empty()) return ReachValueLines(t, r.state, designed);
    std::vector<std::string> lines{"Tramo " + t.Upstream + " - " + t.Downstream};
    lines.insert(lines.end(), r.findings.begin(), r.findings.end());
    return lines;
}

}  // namespace nivex::drawings
