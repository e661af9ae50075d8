#include "design_checker.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <set>
#include <sstream>

#include "design/reach_values.h"
#include "record_floats.h"

namespace nivex::design::test {
namespace {

using network::TramoT;

constexpr double kG = 9.81;
constexpr double kPi = std::numbers::pi;

double Round2(double v) {
    return std::round(v * 100.0) / 100.0;
}

std::string F(double v, int decimals = 3) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

using Section = ExactSection;

// The sizes a design may use: the entered pipes, then the ducts every 200 mm.
struct SizeList {
    std::vector<double> sizes, minSlopes;
    double firstDuct = 0;
    explicit SizeList(const specs::EspecT& e) {
        const int n = std::clamp(e.DiameterCount, 1, 30);
        const int total = std::clamp(e.SectionCount, n, 60);
        for (int i = 0; i + 1 < n; ++i) {
            sizes.push_back(e.Diameters[static_cast<size_t>(i)]);
            minSlopes.push_back(e.MinimumSlopes[static_cast<size_t>(i)]);
        }
        firstDuct = e.Diameters[static_cast<size_t>(n - 1)];
        for (int k = 0; k <= total - n; ++k) {
            sizes.push_back(firstDuct + 200.0 * k);
            minSlopes.push_back(0.01);
        }
    }
    int Index(double d) const {
        for (size_t i = 0; i < sizes.size(); ++i)
            if (std::fabs(sizes[i] - d) < 0.5) return static_cast<int>(i);
        return -1;
    }
    double AtLeast(double d) const {
        for (double s : sizes)
            if (s >= d - 1e-6) return s;
        return sizes.back();
    }
};

struct PeakInput {
    std::string method;
    double population = 0, flow = 0;
};

double PeakFactor(const PeakInput& p, double fixed) {
    const double P = std::clamp(p.population / 1000, 1.0, 1000.0);
    const double q = Round2(p.flow);
    double m = 0;
    if (p.method == "harmon") m = 1 + 14 / (4 + std::sqrt(P));
    if (p.method == "babbit") m = 5 / std::pow(P, 0.2);
    if (p.method == "flores") m = 3.5 / std::pow(P, 0.1);
    if (p.method == "losangeles") m = 3.53 / std::pow(std::clamp(q, 2.8, 28300.0), 0.0914);
    if (p.method == "tchobanoglous") m = 3.70 / std::pow(std::clamp(q, 4.0, 5000.0), 0.0733);
    if (p.method == "gaines") m = 3.114 / std::pow(std::clamp(q, 0.28, 4250.0), 0.062);
    if (p.method == "fijo") m = fixed;
    return std::floor(100 * m + 0.5) / 100;
}

// The n an ASCE rule gives: Swamee-Jain friction factor of a pipe flowing at 0.609 m/s
// and n = 1.15 · R^(1/6) · √(f / 8g).
double AsceN(double dmm, double roughness) {
    const double re = dmm / 1000 * 0.609 / 1.15e-6;
    const double f =
        0.25 / std::pow(std::log10(roughness / (3.7 * dmm) + 5.74 / std::pow(re, 0.9)), 2);
    return 1.15 * std::pow(dmm / 4000, 1.0 / 6.0) * std::sqrt(f / (8 * kG));
}

class Checker {
  public:
    explicit Checker(const CheckInput& in)
        : in_(in),
          s_(*in.setup),
          e_(*in.espec),
          x_(*in.entered),
          z_(*in.designed),
          sizes_(e_),
          n_(static_cast<int>(x_.size())) {}

    std::vector<Finding> Run();

  private:
    void Add(const std::string& invariant, int k, const std::string& values) {
        Finding f;
        f.invariant = invariant;
        f.record = k + 1;
        if (k >= 0 && k < static_cast<int>(z_.size()))
            f.reach =
                z_[static_cast<size_t>(k)].Upstream + "-" + z_[static_cast<size_t>(k)].Downstream;
        f.values = values;
        out_.push_back(f);
    }
    void AddNetwork(const std::string& invariant, const std::string& values) {
        Finding f;
        f.invariant = invariant;
        f.values = values;
        out_.push_back(f);
    }
    bool IsOutlet(const TramoT& t) const { return t.Type == 2 || t.Type == 3 || t.Type == 5; }
    Section SectionOf(const TramoT& t) const {
        Section s;
        s.d = t.Diameter / 1000.0;
        s.duct = t.Diameter >= sizes_.firstDuct - 0.5;
        s.n = std::fabs(t.ManningN);
        s.slope = t.Slope;
        s.variable = e_.HydraulicRelations == 1;
        return s;
    }
    int Contribution(int k) const {
        const int c = s_.designClass;
        if (c == 1 || c == 2) return 1;
        if (c == 3) return 2;
        if (c == 4) return 3;
        return x_[static_cast<size_t>(k)].Contribution;
    }
    // The contribution kind of a designed reach (0 sanitary, 1 combined, 2 storm, 3 none).
    int Kind(int k) const {
        const int c = s_.designClass;
        if (c == 1 || c == 2) return 0;
        if (c == 3) return 1;
        if (c == 4) return 2;
        if (c == 5) {
            const TramoT& t = z_[static_cast<size_t>(k)];
            const bool storm = StormFlow(t) != 0, sanitary = SanitaryMax(t) != 0;
            if (!storm && sanitary) return 0;
            if (storm && sanitary) return 1;
            if (storm) return 2;
        }
        return 3;
    }
    bool Relief(int k) const {
        const int c = s_.designClass;
        if (c == 1 || c == 2 || c == 4) return false;
        return x_[static_cast<size_t>(k)].ReliefFactor != 0 &&
               !tributaries_[static_cast<size_t>(k)].empty();
    }
    bool StormCarrying(int k) const {
        const int kind = Kind(k);
        return StormFlow(z_[static_cast<size_t>(k)]) != 0 || Relief(k) || s_.designClass == 3 ||
               kind == 1 || kind == 2;
    }
    double MinDepthExpected(int k) const;
    // The lower end of reach k lies at or under the invert of the fixed reach it joins:
    // no design could take it deeper.
    bool OnFixedInvert(int k) const {
        const int r = receiver_[static_cast<size_t>(k)];
        if (r < 0) return false;
        const TramoT& t = z_[static_cast<size_t>(k)];
        const TramoT& next = z_[static_cast<size_t>(r)];
        return next.Class != network::kClassNew && next.CrownUp != 0 &&
               double(t.CrownDown) - t.Diameter / 1000.0 <=
                   double(next.CrownUp) - next.Diameter / 1000.0 + 0.011;
    }
    // Reach k delivers into a fixed reach, or was lifted to one: the levels are the fixed
    // reach's, and what they cost is the revision's to list, not the design's to mend.
    bool HeldByFixedReach(int k) const {
        const int r = receiver_[static_cast<size_t>(k)];
        return Lifted(k) || (r >= 0 && z_[static_cast<size_t>(r)].Class != network::kClassNew);
    }
    // Re-sloped by the design to join a fixed reach downstream.
    bool Lifted(int k) const {
        return JunctionMark(const_cast<TramoT&>(z_[static_cast<size_t>(k)])) == 2;
    }

    void Topology();
    void Imposed();
    void Records();
    void NewReach(int k);
    void Flows();
    void Counts();
    void Listings();

    const CheckInput& in_;
    const DesignSetup& s_;
    const specs::EspecT& e_;
    const std::vector<TramoT>& x_;
    const std::vector<TramoT>& z_;
    SizeList sizes_;
    int n_;
    std::vector<int> receiver_;
    std::vector<std::vector<int>> tributaries_;
    // The least diameter the pipes arriving impose: the largest of their diameters and of
    // what was imposed on them, the storm minimum for one that spills at a relief chamber.
    std::vector<double> imposed_;
    // The same with a spilling tributary counted at its own diameter: a chamber that grows
    // may pass its size on to the reach that receives it.
    std::vector<double> imposedAll_;
    std::vector<Finding> out_;
    int capacityCount_ = 0, capacityDoubtful_ = 0, mismatchCount_ = 0;
};

void Checker::Imposed() {
    imposed_.assign(static_cast<size_t>(n_), 0.0);
    imposedAll_.assign(static_cast<size_t>(n_), 0.0);
    for (int k = 0; k < n_; ++k)
        for (int j : tributaries_[static_cast<size_t>(k)]) {
            const double d = std::max(double(z_[static_cast<size_t>(j)].Diameter),
                                      imposedAll_[static_cast<size_t>(j)]);
            imposedAll_[static_cast<size_t>(k)] = std::max(imposedAll_[static_cast<size_t>(k)], d);
            const double least = Relief(j) ? double(e_.MinStormDiameter)
                                           : std::max(double(z_[static_cast<size_t>(j)].Diameter),
                                                      imposed_[static_cast<size_t>(j)]);
            imposed_[static_cast<size_t>(k)] = std::max(imposed_[static_cast<size_t>(k)], least);
        }
}

void Checker::Topology() {
    receiver_.assign(static_cast<size_t>(n_), -1);
    tributaries_.assign(static_cast<size_t>(n_), {});
    std::map<std::string, int> leaving;
    for (int k = 0; k < n_; ++k)
        leaving[x_[static_cast<size_t>(k)].Upstream] = k;
    for (int k = 0; k < n_; ++k) {
        const TramoT& t = x_[static_cast<size_t>(k)];
        if (IsOutlet(t)) continue;
        auto it = leaving.find(t.Downstream);
        if (it == leaving.end()) continue;
        receiver_[static_cast<size_t>(k)] = it->second;
        tributaries_[static_cast<size_t>(it->second)].push_back(k);
    }
}

double Checker::MinDepthExpected(int k) const {
    const TramoT& t = x_[static_cast<size_t>(k)];
    if (t.MinimumDepth > 0) return t.MinimumDepth;
    if (s_.options[3] == 'S' || tributaries_[static_cast<size_t>(k)].empty())
        return e_.MinCrownDepth;
    const int kind = specs::SystemKindOfClass(s_.designClass);
    // The allowance of the outgoing pipe: in a mixed system the smaller one is enough.
    const double a = kind == 3 || kind == 4 ? e_.MinStormDiameter
                                            : std::min(e_.MinSanitaryDiameter, e_.MinStormDiameter);
    return a / 1000 + e_.MinCrownDepth;
}

void Checker::Records() {
    if (static_cast<int>(z_.size()) < n_) {
        AddNetwork("design-copy",
                   "ZSDB con " + std::to_string(z_.size()) + " registros de " + std::to_string(n_));
        return;
    }
    for (size_t k = 0; k < z_.size(); ++k) {
        const TramoT& t = z_[k];
        const std::vector<float> v = Floats(t);
        for (size_t i = 0; i < v.size(); ++i)
            if (!std::isfinite(v[i])) {
                Add("finite", static_cast<int>(k), "valor " + std::to_string(i) + " = " + F(v[i]));
                break;
            }
        if (static_cast<int>(k) >= n_) continue;
        const TramoT& x = x_[k];
        if (t.Upstream != x.Upstream || t.Downstream != x.Downstream)
            Add("design-copy", static_cast<int>(k), "nombres " + t.Upstream + "-" + t.Downstream);
        if (std::fabs(t.GroundUp - x.GroundUp) > 1e-4 ||
            std::fabs(t.GroundDown - x.GroundDown) > 1e-4)
            Add("design-copy", static_cast<int>(k),
                "rasantes " + F(t.GroundUp, 2) + "/" + F(t.GroundDown, 2) + " entradas " +
                    F(x.GroundUp, 2) + "/" + F(x.GroundDown, 2));
    }
}

void Checker::NewReach(int k) {
    TramoT t = z_[static_cast<size_t>(k)];
    const TramoT& x = x_[static_cast<size_t>(k)];
    const bool chambers = DropKind(t) == 3 || DropChambers(t) > 0;
    const Section sec = SectionOf(t);
    const double q0 = sec.Q0(), v0 = sec.V0();
    const double Q = t.Diseno.F92;
    const double q = q0 > 0 ? Q / q0 : 1e9;
    const double yd = sec.Depth(q);

    // Depth to crown at both ends.
    const double up = double(t.GroundUp) - t.CrownUp, down = double(t.GroundDown) - t.CrownDown;
    const double minimum = MinDepthExpected(k);
    for (auto [where, depth] : {std::pair{"sup", up}, std::pair{"inf", down}}) {
        if (depth < 0)
            Add("crown-above-ground", k,
                std::string("nudo ") + where + " prof " + F(depth, 2) +
                    (chambers ? " camaras" : ""));
        else if (depth < minimum - 0.005) {
            // A line raised to deliver at a fixed reach downstream may keep no more than the
            // least cover of all ("minimorum").
            const bool raised = JunctionMark(t) == 2;
            const bool belowAll = depth < e_.MinMinCrownDepth - 0.005;
            // Below even that only where a fixed reach below leaves no deeper way out: the
            // lower end already lies at or under the fixed reach's invert.
            const bool forced = where[0] == 'i' && OnFixedInvert(k);
            Add((raised && !belowAll) || forced ? "depth-min-raised" : "depth-min", k,
                std::string("nudo ") + where + " prof " + F(depth, 2) + " < minima " +
                    F(minimum, 2) +
                    (raised ? " (empalmado, minimorum " + F(e_.MinMinCrownDepth, 2) + ")" : "") +
                    (forced ? " (batea del tramo fijo)" : "") + (chambers ? " camaras" : "") +
                    " tipo " + std::to_string(t.Type));
        }
        if (depth > e_.MaxDesirableCrownDepth + 0.005) {
            bool listed = false;
            auto range = in_.revision.equal_range(k + 1);
            for (auto it = range.first; it != range.second; ++it)
                if (it->second.text.find("es grande") != std::string::npos ||
                    it->second.text.find("supera la deseable") != std::string::npos ||
                    it->second.text.find("camara") != std::string::npos)
                    listed = true;
            Add(listed ? "depth-max-listed" : "depth-max-unlisted", k,
                std::string("nudo ") + where + " prof " + F(depth, 2) + " > deseable " +
                    F(e_.MaxDesirableCrownDepth, 2) + " (max " + F(e_.MaxCrownDepth, 2) + ")" +
                    (chambers ? " camaras" : ""));
        }
    }

    // Uniform flow.
    if (!chambers && v0 > e_.MaxVelocity + 0.01)
        Add("velocity-max", k,
            "V0 " + F(v0, 2) + " > " + F(e_.MaxVelocity, 2) + " D " + F(t.Diameter, 0) + " S " +
                F(t.Slope, 3));
    if (Q - q0 > 0.1 + 0.002 * q0 || t.Diseno.F112[2] > 1.001f)
        Add("capacity", k,
            "Q " + F(Q, 2) + " Q0 " + F(q0, 2) + " q " + F(q, 3) + " (guardado " +
                F(t.Diseno.F112[2], 3) + ") D " + F(t.Diameter, 0) + " S " + F(t.Slope, 3));
    const bool storm = StormCarrying(k);
    if (!storm && q < 1 && (yd > e_.MaxFilling + 0.01 || t.Diseno.F244[6] > e_.MaxFilling + 0.001f))
        Add("filling", k,
            "y/D " + F(yd, 3) + " (guardado " + F(t.Diseno.F244[6], 3) + ") > " +
                F(e_.MaxFilling, 2) + " q " + F(q, 3));
    // Evaluation written back: what the record claims of itself. Below q 0.01 the velocity
    // tables of the program stop at their first value, and a duct reads its tables at the
    // nearest hundredth without interpolating: a wider margin there.
    auto off = [](double a, double b, double rel, double abs) {
        return std::fabs(a - b) > abs + rel * std::fabs(b);
    };
    if (off(t.Diseno.F112[0], q0, 0.01, 0.01) || off(t.Diseno.F112[1], v0, 0.01, 0.005) ||
        (q >= 0.01 && q <= 1 && off(t.Diseno.F128, sec.V(q), sec.duct ? 0.10 : 0.03, 0.01)))
        Add("evaluation", k,
            "Q0 " + F(t.Diseno.F112[0], 2) + "/" + F(q0, 2) + " V0 " + F(t.Diseno.F112[1], 3) +
                "/" + F(v0, 3) + " V " + F(t.Diseno.F128, 3) + "/" + F(sec.V(q), 3));
    // Slopes.
    if (t.Slope < e_.MinDesignSlope - 1e-4)
        Add("slope-min", k,
            "S " + F(t.Slope, 4) + " < minima de diseno " + F(e_.MinDesignSlope, 3));
    const int idx = sizes_.Index(t.Diameter);
    if (in_.header->SlopePerDiameter == 1 && idx >= 0 &&
        t.Slope < sizes_.minSlopes[static_cast<size_t>(idx)] - 1e-4)
        Add("slope-min", k,
            "S " + F(t.Slope, 4) + " < minima del diametro " + F(t.Diameter, 0) + " " +
                F(sizes_.minSlopes[static_cast<size_t>(idx)], 3));
    if (t.Length > 0) {
        const double fall = double(t.CrownUp) - t.CrownDown;
        const double expected = double(t.Slope) * t.Length / 100;
        if (chambers ? fall < expected - 0.011 : std::fabs(fall - expected) > 0.011)
            Add("slope-crowns", k,
                "caida de claves " + F(fall, 3) + " m, S·L " + F(expected, 3) + " m" +
                    (chambers ? " camaras" : ""));
    }

    // Self-cleansing: tractive force at the flow the criteria name.
    const int kind = Kind(k);
    const bool stormKind = kind == 1 || kind == 2;
    const double tauMin = stormKind ? e_.StormMinTractive : e_.SanMinTractive100 / 100.0;
    // Where the criteria keep no minimum sanitary flow (classes 3 to 5) a sanitary reach
    // must clean itself at the sanitary flow it carries.
    const double qs = storm ? Q : t.Diseno.F244[4] > 0 ? t.Diseno.F244[4] : t.Diseno.F244[3];
    if (tauMin > 0 && qs > 0 && q0 > 0) {
        const double tau = sec.Tau(qs / q0);
        if (tau < tauMin - 0.01)
            Add("tractive", k,
                "tau " + F(tau, 3) + " (guardado " + F(t.Diseno.I12 / 100.0, 2) + ") < " +
                    F(tauMin, 2) + " Qs " + F(qs, 2) + " qs " + F(qs / q0, 3) + " D " +
                    F(t.Diameter, 0) + " S " + F(t.Slope, 3) +
                    (v0 > e_.MaxVelocity - 0.05 ? " (V0 al limite)" : ""));
    }
    // Critical flow.
    if (e_.AvoidCriticalDiameter > 0 && t.Diameter > e_.AvoidCriticalDiameter && q < 1) {
        const double fr = sec.Froude(q);
        // Half a hundredth inside the limits: the stored number has two decimals. The design
        // reads y/D from its table, a thousandth from the exact segment near 0.70.
        if (fr > e_.FroudeLower + 0.005 && fr < e_.FroudeUpper - 0.005 && yd > 0.701)
            Add("froude", k,
                "Fr " + F(fr, 3) + " (guardado " + F(t.Diseno.F244[12], 2) + ") y/D " + F(yd, 3) +
                    " D " + F(t.Diameter, 0) + (sec.variable ? " n/N variable" : " n/N = 1"));
    }

    // Diameters.
    if (idx < 0) Add("diameter", k, "D " + F(t.Diameter, 1) + " fuera de la lista");
    double dmin = e_.MinSanitaryDiameter;
    if (s_.designClass == 3 || s_.designClass == 4 || (s_.designClass == 5 && StormFlow(t) != 0))
        dmin = e_.MinStormDiameter;
    if (t.Diameter < dmin - 0.5)
        Add("diameter", k, "D " + F(t.Diameter, 0) + " < minimo de la clase " + F(dmin, 0));
    const double largestIn = imposed_[static_cast<size_t>(k)];
    if (!Relief(k) && t.Diameter < largestIn - 0.5)
        Add("diameter", k, "D " + F(t.Diameter, 0) + " < impuesto aguas arriba " + F(largestIn, 0));
    // Larger than any rule asks: a smaller size that would serve at the slope laid (carry
    // the flow, keep the tractive force, the minimum full velocity and the least slope of its
    // size), the least velocity of 0.6 m/s (or the minimum full velocity), the pipes arriving
    // and the class minimum. A wider pipe that lets the reach lie flatter than a narrow one
    // may is not oversized: the narrow one would not clean itself at that slope.
    if (!chambers && Q > 0) {
        // The flow ratio at the greatest filling, read through the depth relation of the
        // pipe's n as the filling rule reads it.
        double qmax = 1.0;
        if (!storm) {
            double lo = 0, hi = 1.2;
            for (int it = 0; it < 60; ++it) {
                const double mid = (lo + hi) / 2;
                (sec.Depth(mid) <= e_.MaxFilling ? lo : hi) = mid;
            }
            qmax = lo;
        }
        const double vmin =
            std::max(0.6, double(storm ? e_.StormMinFullVelocity : e_.SanMinFullVelocity));
        const double byVelocity = std::sqrt(4 * Q / 1000 / (kPi * qmax * vmin)) * 1000;
        const double vfull = storm ? e_.StormMinFullVelocity : e_.SanMinFullVelocity;
        double byCapacity = 0;
        for (size_t i = 0; i < sizes_.sizes.size(); ++i) {
            const double d = sizes_.sizes[i];
            Section c = sec;
            c.d = d / 1000;
            c.duct = d >= sizes_.firstDuct - 0.5;
            byCapacity = d;
            const bool carries = storm ? Q <= c.Q0() : c.Depth(Q / c.Q0()) <= e_.MaxFilling;
            const bool cleans = !(tauMin > 0 && qs > 0) || c.Tau(qs / c.Q0()) >= tauMin - 0.01;
            const bool fast = !(vfull > 0) || c.V0() >= vfull - 0.01;
            const bool steep =
                in_.header->SlopePerDiameter != 1 || t.Slope >= sizes_.minSlopes[i] - 1e-4;
            // The least real velocity of a sanitary reach, and RAS 2016's full velocity.
            const double vreal =
                storm ? 0.0 : std::max(double(e_.SanMinRealVelocity), double(x.IndustrialVelocity));
            const bool moving = !(vreal > 0 && qs > 0) || c.V(qs / c.Q0()) >= vreal - 0.01;
            bool ras = true;
            if (in_.header->Ras2016Model == 1) {
                const bool sanitaryClass = s_.designClass <= 2;
                double vr = sanitaryClass ? 0.45 : 0.75;
                if (d >= 450) {
                    const double tc = sanitaryClass ? 1.5 : 3.0, kr = sanitaryClass ? 3.7 : 4.49;
                    const double fr = 0.25 / std::pow(std::log10(1.23 / (kr * d)), 2);
                    vr = std::sqrt(8 * tc / (1000 * fr));
                }
                ras = c.V0() >= vr - 0.01;
            }
            if (carries && cleans && fast && steep && moving && ras) break;
        }
        // In the mixed class every reach has a runoff coefficient: the storm minimum.
        const double least =
            s_.designClass == 5 ? std::max(dmin, double(e_.MinStormDiameter)) : dmin;
        const double bound = std::max(
            {sizes_.AtLeast(std::max({byVelocity, least, imposedAll_[static_cast<size_t>(k)]})),
             byCapacity});
        if (t.Diameter > bound + 0.5)
            Add("diameter-oversized", k,
                "D " + F(t.Diameter, 0) + " > " + F(bound, 0) + " Q " + F(Q, 2) + " S " +
                    F(t.Slope, 3) + (k == n_ - 1 ? " ultimo registro" : ""));
    }
    // Manning n as configured, for a reach without an n of its own.
    if (x.ManningN == 0) {
        double n = t.Diameter <= e_.ManningLimitDiameter ? e_.ManningN : e_.ManningNLarge;
        if (e_.ManningOption == 0) n = AsceN(t.Diameter, e_.AbsoluteRoughness);
        if (std::fabs(std::fabs(t.ManningN) - n) > 1e-4 + 0.01 * n)
            Add("manning-n", k,
                "n " + F(std::fabs(t.ManningN), 5) + " esperado " + F(n, 5) + " D " +
                    F(t.Diameter, 0));
    }
    // Crowns never rise through a manhole.
    for (int j : tributaries_[static_cast<size_t>(k)]) {
        const TramoT& in = z_[static_cast<size_t>(j)];
        if (in.CrownDown != 0 && in.CrownDown < t.CrownUp - 0.006)
            Add("crown-junction", k,
                "clave llegada " + F(in.CrownDown, 3) + " (" + in.Upstream + "-" + in.Downstream +
                    ") < clave salida " + F(t.CrownUp, 3));
    }
    // Energy at the junction when energy junctions apply to the outgoing pipe.
    if (e_.EnergyJunctionDiameter > 0 && t.Diameter > e_.EnergyJunctionDiameter && q < 1) {
        const double hvc = std::pow(sec.V(q), 2) / (2 * kG);
        const double ec = double(t.CrownUp) - sec.d + yd * sec.d + hvc;
        for (int j : tributaries_[static_cast<size_t>(k)]) {
            const TramoT& in = z_[static_cast<size_t>(j)];
            if (in.CrownDown == 0) continue;
            const Section si = SectionOf(in);
            const double qi = si.Q0() > 0 ? double(in.Diseno.F92) / si.Q0() : 1;
            if (qi >= 1) continue;
            const double vi = si.V(qi);
            const double ratio = 1.2 / sec.d;
            const double kj = ratio <= 1.5 ? 0.4 : (ratio <= 3 ? 0.2 : 0.05);
            const double et =
                double(in.CrownDown) - si.d + si.Depth(qi) * si.d + vi * vi / (2 * kG);
            // Cv by the real velocity of the reach that receives the outgoing one.
            double cv = 0;
            const int r = receiver_[static_cast<size_t>(k)];
            if (r >= 0) {
                const TramoT& next = z_[static_cast<size_t>(r)];
                const double vr = next.Diseno.F128, vc = t.Diseno.F128;
                cv = vr < vc ? 0.2 : (vr > vc ? 0.1 : 0.0);
            }
            const double loss = kj * vi * vi / (2 * kG) + cv * std::fabs(hvc - vi * vi / (2 * kG));
            // Three centimetres: both crowns are kept to the centimetre and the design reads
            // depths and velocities from its tables. A reach lifted to a fixed reach below
            // takes the levels the fixed reach leaves it; the revision lists its junction.
            if (et - loss < ec - 0.03)
                Add(JunctionMark(t) == 2 ? "energy-junction-raised" : "energy-junction", k,
                    "energia llegada " + F(et - loss, 3) + " < salida " + F(ec, 3) + " (" +
                        in.Upstream + "-" + in.Downstream + ")" +
                        (in.Class != network::kClassNew ? " llegada fija" : ""));
        }
    }
    // Reaches that come out steeper than any criterion needs: the least slope among the
    // rules, with a margin wide enough for the tables of the program.
    // The critical band is kept out of in every diameter once the setting is above 0: its
    // diameter switches the rule on, as the revision's check reads it.
    const bool critical = e_.AvoidCriticalDiameter > 0;
    // A tributary matched at crown level is re-sloped to end at the outgoing crown (at its
    // invert when it is the wider), whatever the state of the outgoing reach.
    bool matched = false;
    if (const int r = receiver_[static_cast<size_t>(k)]; r >= 0) {
        const TramoT& next = z_[static_cast<size_t>(r)];
        double largest = 0;
        for (int j : tributaries_[static_cast<size_t>(r)])
            largest = std::max(largest, double(z_[static_cast<size_t>(j)].Diameter));
        const double drop =
            std::max(double(e_.OutletCrownLowering), (largest - next.Diameter) / 1000);
        const double above = double(t.CrownDown) - next.CrownUp;
        matched = above > -0.006 && above < drop + 0.011;
    }
    if (!chambers && !storm && !critical && !matched && JunctionMark(t) != 2 && t.Length > 0 &&
        q0 > 0) {
        auto slopeFor = [&](auto ok) {
            double lo = 0.0001, hi = 200;
            if (!ok(hi)) return hi;
            for (int it = 0; it < 60; ++it) {
                const double mid = std::sqrt(lo * hi);
                (ok(mid) ? hi : lo) = mid;
            }
            return hi;
        };
        auto at = [&](double s) {
            Section c = sec;
            c.slope = s;
            return c;
        };
        double need = e_.MinDesignSlope;
        if (in_.header->SlopePerDiameter == 1 && idx >= 0)
            need = std::max(need, sizes_.minSlopes[static_cast<size_t>(idx)]);
        // Filling read through the same depth relation as the filling rule above: with a
        // variable n a pipe runs deeper at a flow ratio than the constant-n segment says.
        need = std::max(need, slopeFor([&](double s) {
                            const Section c = at(s);
                            return c.Depth(Q / c.Q0()) <= e_.MaxFilling;
                        }));
        if (tauMin > 0 && qs > 0)
            need = std::max(
                need, slopeFor([&](double s) { return at(s).Tau(qs / at(s).Q0()) >= tauMin; }));
        const double vf = std::max(double(e_.SanMinFullVelocity), 0.0);
        if (vf > 0) need = std::max(need, slopeFor([&](double s) { return at(s).V0() >= vf; }));
        if (in_.header->Ras2016Model == 1) {
            // RAS 2016: 0.45 m/s below 450 mm in sanitary classes (0.75 otherwise), above it
            // the velocity of a critical shear on a Colebrook wall.
            const bool sanitaryClass = s_.designClass <= 2;
            double vr = sanitaryClass ? 0.45 : 0.75;
            if (t.Diameter >= 450) {
                const double tc = sanitaryClass ? 1.5 : 3.0, kr = sanitaryClass ? 3.7 : 4.49;
                const double fr = 0.25 / std::pow(std::log10(1.23 / (kr * t.Diameter)), 2);
                vr = std::sqrt(8 * tc / (1000 * fr));
            }
            need = std::max(need, slopeFor([&](double s) { return at(s).V0() >= vr; }));
        }
        const double vreal = std::max(double(e_.SanMinRealVelocity), double(x.IndustrialVelocity));
        if (vreal > 0 && qs > 0)
            need = std::max(need,
                            slopeFor([&](double s) { return at(s).V(qs / at(s).Q0()) >= vreal; }));
        // Following the ground at the least cover is always allowed; an initial reach that
        // does not leave flush with the other outlets ends lower by the minimum diameter.
        double eref = t.GroundDown;
        if (s_.options[3] == 'N' && tributaries_[static_cast<size_t>(k)].empty()) {
            const int system = specs::SystemKindOfClass(s_.designClass);
            const bool stormMin = system == 3 || system == 4 || (system == 5 && StormFlow(t) != 0);
            eref -= (stormMin ? e_.MinStormDiameter : e_.MinSanitaryDiameter) / 1000.0;
        }
        const double ground = (double(t.CrownUp) + MinDepthExpected(k) - eref) * 100 / t.Length;
        need = std::max(need, ground);
        if (t.Slope > 1.5 * need + 0.02 && down > MinDepthExpected(k) + 0.10)
            Add("slope-above-need", k,
                "S " + F(t.Slope, 3) + " > 1.5 x " + F(need, 3) + " prof inf " + F(down, 2) +
                    " Qs " + F(qs, 2) + " D " + F(t.Diameter, 0));
    }
}

void Checker::Flows() {
    const int c = s_.designClass;
    const bool sanitary = c != 4;
    const bool rational = c >= 3 && c <= 5;
    std::vector<double> dom(static_cast<size_t>(n_)), inf(static_cast<size_t>(n_)),
        pop(static_cast<size_t>(n_)), areaReal(static_cast<size_t>(n_)),
        areaEq(static_cast<size_t>(n_)), areaEqHi(static_cast<size_t>(n_));
    std::vector<bool> reliefAbove(static_cast<size_t>(n_), false);
    const double usual = e_.RunoffCoefficient;
    const auto& eq = e_.Equations[0];
    auto intensity = [&](double tc) {
        return Round2(eq.a / std::pow(eq.b + std::pow(tc, eq.n), eq.m));
    };
    auto reduction = [&](double a) {
        if (a <= 50) return 1.0;
        if (a <= 100) return double(e_.ReductionFactors[0]);
        if (a <= 200) return double(e_.ReductionFactors[1]);
        if (a <= 400) return double(e_.ReductionFactors[2]);
        if (a <= 800) return double(e_.ReductionFactors[3]);
        return double(e_.ReductionFactors[4]);
    };
    for (int k = 0; k < n_; ++k) {
        const TramoT& x = x_[static_cast<size_t>(k)];
        const TramoT& t = z_[static_cast<size_t>(k)];
        const auto& in = tributaries_[static_cast<size_t>(k)];
        const bool lineEnd = IsOutlet(x) || k == n_ - 1;
        bool anyEmisario = false;
        for (int j : in)
            anyEmisario = anyEmisario || x_[static_cast<size_t>(j)].Type == 1;
        const double f = lineEnd ? (anyEmisario ? 0 : 1) : (x.Type == 1 ? 0 : 1);
        const double area = c == 1 ? x.Length / 100.0 : x.Area;
        const double base = Contribution(k) >= 3 ? 0 : area + x.FutureArea;
        const size_t zone =
            s_.zones.size() > 1 ? static_cast<size_t>(std::lround(x.SanitaryZone)) - 1 : 0;
        const DesignSetup::Zone& zn = s_.zones[std::min(zone, s_.zones.size() - 1)];
        double d = base * zn.sewage * f, i = base * zn.infiltration + x.PointFlow,
               p = base * zn.density * f;
        bool above = Relief(k);
        double ar = 0, ae = 0, aeHi = 0, qup = 0;
        const bool ownStorm = x.Type != 1 && Contribution(k) >= 2;
        const double ownArea = ownStorm ? double(x.Area) + x.StormArea : 0;
        const double runoff = x.Runoff == 0 ? usual : std::fabs(x.Runoff);
        // C·A to two decimals: a product that falls on a half cent may go either way.
        const double ownEqLo = Round2(runoff * ownArea - 5e-6),
                     ownEqHi = Round2(runoff * ownArea + 5e-6);
        for (int j : in) {
            d += dom[static_cast<size_t>(j)];
            i += inf[static_cast<size_t>(j)];
            p += pop[static_cast<size_t>(j)];
            above = above || reliefAbove[static_cast<size_t>(j)];
            ar += areaReal[static_cast<size_t>(j)];
            ae += areaEq[static_cast<size_t>(j)];
            aeHi += areaEqHi[static_cast<size_t>(j)];
            qup = std::max(qup, double(StormFlow(z_[static_cast<size_t>(j)])));
        }
        dom[static_cast<size_t>(k)] = d;
        inf[static_cast<size_t>(k)] = i;
        pop[static_cast<size_t>(k)] = p;
        reliefAbove[static_cast<size_t>(k)] = above;
        if (Relief(k)) {
            ar = 0;
            ae = 0;
            aeHi = 0;
        }
        ar += ownArea;
        ae += ownEqLo;
        aeHi += ownEqHi;
        areaReal[static_cast<size_t>(k)] = ar;
        areaEq[static_cast<size_t>(k)] = ae;
        areaEqHi[static_cast<size_t>(k)] = aeHi;
        auto near = [](double a, double b) {
            return std::fabs(a - b) <= 0.002 + 1e-4 * std::fabs(b);
        };
        if (sanitary) {
            if (!near(t.InFlow, d) || !near(t.InPopulation, p) ||
                (!above && !near(t.InInfiltration, i)))
                Add("sanitary-accumulation", k,
                    "aguas negras " + F(t.InFlow, 3) + "/" + F(d, 3) + " poblacion " +
                        F(t.InPopulation, 1) + "/" + F(p, 1) + " infiltracion " +
                        F(t.InInfiltration, 3) + "/" + F(i, 3));
            if (!above) {
                const double m = PeakFactor({s_.peak, p, d + i}, e_.FixedPeakCoefficient);
                double smax = (d == 0 && i == 0) ? e_.SanMinFlow : Round2(d * m + i);
                smax = std::max(smax, double(e_.SanMinFlow));
                if (std::fabs(SanitaryMax(t) - smax) > 0.011 + 1e-4 * smax)
                    Add("sanitary-flow", k,
                        "Qmax sanitario " + F(SanitaryMax(t), 2) + " esperado " + F(smax, 2) +
                            " (M " + F(m, 2) + " guardado " + F(t.Diseno.F72[2], 2) + ")");
            }
        }
        if (rational) {
            const bool eqOk = t.InEquivalentArea >= ae - 0.002 - 1e-4 * ae &&
                              t.InEquivalentArea <= aeHi + 0.002 + 1e-4 * aeHi;
            if (!near(t.InRealArea, ar) || !eqOk)
                Add("storm-accumulation", k,
                    "area real " + F(t.InRealArea, 2) + "/" + F(ar, 2) + " area equivalente " +
                        F(t.InEquivalentArea, 2) + "/" + F(ae, 2) +
                        (aeHi != ae ? ".." + F(aeHi, 2) : ""));
            const double storm = StormFlow(t);
            if (!Relief(k)) {
                if (storm < qup - 0.011)
                    Add("storm-decrease", k,
                        "Qpluvial " + F(storm, 2) + " < tributario " + F(qup, 2));
                if (ar > 0) {
                    const double tc = t.InOriginTime;
                    const double expected =
                        std::max(Round2(ae * intensity(tc) * reduction(ar)), qup);
                    const double high = std::max(Round2(aeHi * intensity(tc) * reduction(ar)), qup);
                    if (storm < expected - 0.02 - 1e-4 * expected ||
                        storm > high + 0.02 + 1e-4 * high)
                        Add("storm-flow", k,
                            "Qpluvial " + F(storm, 2) + " esperado " + F(expected, 2) + " (Ae " +
                                F(ae, 2) + " i(" + F(tc, 2) + ") " + F(intensity(tc), 2) + ")");
                }
                // No area drained yet: no time of concentration either.
                double tc = std::max(double(e_.MinConcentrationTime), double(x.StormAreaTime));
                for (int j : in) {
                    const TramoT& u = z_[static_cast<size_t>(j)];
                    tc = std::max(tc, double(u.InOriginTime) + u.InReachTime);
                }
                if (ar == 0) tc = 0;
                if (std::fabs(t.InOriginTime - tc) > 0.011)
                    Add("storm-time", k,
                        "tc origen " + F(t.InOriginTime, 2) + " esperado " + F(tc, 2));
            }
            if (storm > 0 && t.Diseno.F128 > 0) {
                const double travel = Round2(t.Length / t.Diseno.F128 / 60);
                if (std::fabs(t.InReachTime - travel) > 0.011)
                    Add("storm-time", k,
                        "tiempo de viaje " + F(t.InReachTime, 2) + " esperado " + F(travel, 2));
            }
        }
        {
            const double total = StormFlow(t) + SanitaryMax(t);
            const double expected = total == 0 ? e_.SanMinFlow : total;
            if (std::fabs(t.Diseno.F92 - expected) > 0.011)
                Add("design-flow", k,
                    "Q " + F(t.Diseno.F92, 2) + " <> pluvial + sanitario " + F(expected, 2));
        }
    }
}

void Checker::Counts() {
    // What the design reports of itself.
    for (int k = 0; k < n_; ++k) {
        const TramoT& t = z_[static_cast<size_t>(k)];
        if (t.Class <= 2 || t.Type == network::kTypeFromSector) {
            // The program's unit constants carry Manning's full flow 0.06 % above the exact
            // one: a pipe within that margin may be counted either way.
            const double q0 = SectionOf(t).Q0(), excess = t.Diseno.F92 - 0.1;
            if (excess > q0 * 1.002)
                ++capacityCount_;
            else if (excess > q0 * 0.998)
                ++capacityDoubtful_;
        }
        if (t.CrownUp == 0) continue;
        const double inv = Round2(t.CrownUp - t.Diameter / 1000.0);
        for (int j : tributaries_[static_cast<size_t>(k)]) {
            const TramoT& in = z_[static_cast<size_t>(j)];
            if (in.CrownDown == 0) continue;
            if (Round2(in.CrownDown - in.Diameter / 1000.0) + 0.01 < inv - 1e-6) ++mismatchCount_;
        }
    }
    auto value = [&](const char* key) {
        auto it = in_.designOutput.find(key);
        return it == in_.designOutput.end() ? std::string("?") : it->second;
    };
    const int reported = std::atoi(value("capacidad").c_str());
    if (s_.designClass <= 5 &&
        (reported < capacityCount_ || reported > capacityCount_ + capacityDoubtful_))
        AddNetwork("reported-counts", "capacidad " + value("capacidad") + " contados " +
                                          std::to_string(capacityCount_) + " (+" +
                                          std::to_string(capacityDoubtful_) + " dudosos)");
    if (value("empalmes") != std::to_string(mismatchCount_))
        AddNetwork("reported-counts",
                   "empalmes " + value("empalmes") + " contados " + std::to_string(mismatchCount_));
}

void Checker::Listings() {
    for (const char* bad : {"nan", "NAN", "inf ", "INF"})
        if (in_.evolution.find(bad) != std::string::npos)
            AddNetwork("finite", std::string("MensEv. contiene '") + bad + "'");
    // What the revision still lists about new reaches beyond depth, missing drop
    // chambers and initial reaches lower than their neighbours.
    for (const auto& [record, entry] : in_.revision) {
        if (record < 1 || record > n_) continue;
        if (z_[static_cast<size_t>(record - 1)].Class != network::kClassNew) continue;
        const std::string& t = entry.text;
        if (entry.list == 'D' && (t.find("es grande") != std::string::npos ||
                                  t.find("supera la deseable") != std::string::npos ||
                                  t.find("camara") != std::string::npos ||
                                  t.find("Tramo inicial mas bajo") != std::string::npos))
            continue;
        std::string shown = t;
        shown.erase(0, shown.find_first_not_of(' '));
        const int k = record - 1;
        const bool fixedBelow =
            entry.list == 'D' &&
            ((t.find("Mal empalme energia") != std::string::npos && HeldByFixedReach(k)) ||
             (t.find("nudo inferior") != std::string::npos && (OnFixedInvert(k) || Lifted(k))));
        Add(fixedBelow ? "revision-lists-fixed-reach" : "revision-lists-new-reach", k,
            std::string(1, entry.list) + ": " + shown);
    }
    // The hydraulic model: every name one token that the other sections can find, and
    // every node a manhole of the network (an added initial manhole as its name + "-n").
    if (!in_.swmmInput.empty()) {
        std::set<std::string> manholes;
        for (const TramoT& t : z_) {
            manholes.insert(t.Upstream);
            manholes.insert(t.Downstream);
        }
        std::map<std::string, std::vector<std::vector<std::string>>> sections;
        std::istringstream text(in_.swmmInput);
        std::string section;
        for (std::string line; std::getline(text, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const size_t first = line.find_first_not_of(' ');
            if (first == std::string::npos || line[first] == ';') continue;
            if (line[first] == '[') {
                section = line.substr(first, line.find(']', first) - first + 1);
                continue;
            }
            std::istringstream words(line);
            std::vector<std::string> tok;
            for (std::string w; words >> w;)
                tok.push_back(w);
            sections[section].push_back(tok);
        }
        std::set<std::string> nodes, links;
        std::vector<std::string> bad;
        auto wrong = [&](const std::string& s, const std::vector<std::string>& tok) {
            std::string l = s;
            for (const std::string& w : tok)
                l += " " + w;
            bad.push_back(l);
        };
        auto manhole = [&](const std::string& name) {
            const size_t dash = name.rfind('-');
            if (manholes.count(name)) return true;
            return dash != std::string::npos && dash + 1 < name.size() &&
                   manholes.count(name.substr(0, dash)) &&
                   name.find_first_not_of("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ", dash + 1) ==
                       std::string::npos;
        };
        for (const auto& tok : sections["[JUNCTIONS]"]) {
            if (tok.size() != 6 || !manhole(tok[0])) wrong("[JUNCTIONS]", tok);
            if (!tok.empty()) nodes.insert(tok[0]);
        }
        for (const auto& tok : sections["[OUTFALLS]"]) {
            if (tok.size() < 3 || tok.size() > 5 || !manhole(tok[0])) wrong("[OUTFALLS]", tok);
            if (!tok.empty()) nodes.insert(tok[0]);
        }
        for (const auto& tok : sections["[CONDUITS]"]) {
            if (tok.size() != 9 || !nodes.count(tok[1]) || !nodes.count(tok[2]))
                wrong("[CONDUITS]", tok);
            if (!tok.empty()) links.insert(tok[0]);
        }
        for (const auto& tok : sections["[XSECTIONS]"])
            if (tok.size() != 7 || !links.count(tok[0])) wrong("[XSECTIONS]", tok);
        for (const auto& tok : sections["[SUBCATCHMENTS]"])
            if (tok.size() < 8 || !nodes.count(tok[2])) wrong("[SUBCATCHMENTS]", tok);
        for (const auto& tok : sections["[DWF]"])
            if (tok.size() < 3 || !nodes.count(tok[0]) || tok[1] != "FLOW") wrong("[DWF]", tok);
        if (nodes.empty()) bad.push_back("sin nudos");
        if (!bad.empty())
            AddNetwork("swmm-names",
                       std::to_string(bad.size()) + " lineas; p. ej. '" + bad[0] + "'");
    }
}

std::vector<Finding> Checker::Run() {
    Topology();
    Records();
    if (static_cast<int>(z_.size()) < n_) return out_;
    Imposed();
    for (int k = 0; k < n_; ++k)
        if (z_[static_cast<size_t>(k)].Class == network::kClassNew) NewReach(k);
    Flows();
    Counts();
    Listings();
    return out_;
}

}  // namespace

bool Informational(const std::string& invariant) {
    return invariant == "depth-max-listed" || invariant == "depth-min-raised" ||
           invariant == "energy-junction-raised" || invariant == "revision-lists-fixed-reach";
}

std::vector<Finding> CheckDesign(const CheckInput& in) {
    Checker c(in);
    std::vector<Finding> found = c.Run();
    // The status speaks of the criteria: a pipe wider or a slope steeper than any rule
    // asks costs money, and is counted on its own, but breaks no criterion.
    auto breaksCriterion = [](const std::string& invariant) {
        return !Informational(invariant) && invariant != "diameter-oversized" &&
               invariant != "slope-above-need";
    };
    bool any = false;
    for (const Finding& f : found)
        any = any || breaksCriterion(f.invariant);
    auto it = in.designOutput.find("status");
    if (any && it != in.designOutput.end() && it->second == "OK") {
        std::map<std::string, int> kinds;
        for (const Finding& f : found)
            if (breaksCriterion(f.invariant)) kinds[f.invariant]++;
        std::string list;
        for (const auto& [k, n] : kinds)
            list += (list.empty() ? "" : ", ") + k + " " + std::to_string(n);
        Finding f;
        f.invariant = "status-ok-with-violations";
        f.values = "status OK, capacidad " + in.designOutput.at("capacidad") + ", empalmes " +
                   in.designOutput.at("empalmes") + "; hallado: " + list;
        found.push_back(f);
    }
    return found;
}

std::vector<Finding> CompareDesigns(const std::vector<TramoT>& a, int countA,
                                    const std::vector<TramoT>& b, int countB) {
    std::vector<Finding> out;
    std::map<std::pair<std::string, std::string>, int> where;
    for (int k = 0; k < countB; ++k)
        where[{b[static_cast<size_t>(k)].Upstream, b[static_cast<size_t>(k)].Downstream}] = k;
    for (int k = 0; k < countA; ++k) {
        const TramoT& x = a[static_cast<size_t>(k)];
        auto it = where.find({x.Upstream, x.Downstream});
        if (it == where.end() || k == countA - 1 || it->second == countB - 1) continue;
        const TramoT& y = b[static_cast<size_t>(it->second)];
        const bool same = x.Class == y.Class && std::fabs(x.Diameter - y.Diameter) < 0.5 &&
                          std::fabs(x.Slope - y.Slope) < 1e-4 &&
                          std::fabs(x.CrownUp - y.CrownUp) < 0.0051 &&
                          std::fabs(x.CrownDown - y.CrownDown) < 0.0051 &&
                          std::fabs(x.Diseno.F92 - y.Diseno.F92) < 0.011;
        if (same) continue;
        Finding f;
        f.invariant = "same-design";
        f.record = k + 1;
        f.reach = x.Upstream + "-" + x.Downstream;
        f.values = "registro " + std::to_string(k + 1) + ": D " + F(x.Diameter, 0) + " S " +
                   F(x.Slope, 3) + " claves " + F(x.CrownUp, 2) + "/" + F(x.CrownDown, 2) + " Q " +
                   F(x.Diseno.F92, 2) + "; registro " + std::to_string(it->second + 1) + ": D " +
                   F(y.Diameter, 0) + " S " + F(y.Slope, 3) + " claves " + F(y.CrownUp, 2) + "/" +
                   F(y.CrownDown, 2) + " Q " + F(y.Diseno.F92, 2);
        out.push_back(f);
    }
    return out;
}

std::multimap<int, RevisionEntry> ParseRevisionList(const std::string& text, char list) {
    std::multimap<int, RevisionEntry> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        // Cells between the bars of the table (byte 179); the first holds the line number.
        std::vector<std::string> cells;
        std::string cell;
        for (char ch : line) {
            if (static_cast<unsigned char>(ch) == 179) {
                cells.push_back(cell);
                cell.clear();
            } else {
                cell += ch;
            }
        }
        if (cells.size() < 5) continue;
        const std::string number = cells[1].substr(0, cells[1].find_last_not_of(' ') + 1);
        const size_t lead = number.find_first_not_of(' ');
        if (lead == std::string::npos) continue;
        const std::string digits = number.substr(lead);
        if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) continue;
        RevisionEntry e;
        e.list = list;
        e.state = cells[4];
        for (size_t k = 5; k < cells.size(); ++k)
            e.text += cells[k] + " ";
        e.text += cell;
        out.emplace(std::stoi(digits), e);
    }
    return out;
}

}  // namespace nivex::design::test
