#pragma once
// What a designed network must satisfy, each rule judged by its own computation: the
// uniform-flow and partial-flow relations from the exact geometry of the circular segment
// (or of the open square duct), the tractive force 1000·R·S, the Froude number V/√(g·A/T),
// the flows accumulated from the entered data over the tree read from the manhole names.
// Nothing here calls the design's hydraulic helpers.

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "network/tramo.h"
#include "network_generator.h"
#include "shell/control_file.h"
#include "specs/espec.h"

namespace nivex::design::test {

// Relative depth y/D against Q/Q0 for a pipe whose n varies with the depth: the relation
// the criteria screens offer as "n/N variable", as published for the program's users.
inline constexpr double kDepthVariableN[100] = {
    0.061, 0.099, 0.126, 0.148, 0.168, 0.185, 0.200, 0.215, 0.228, 0.241, 0.253, 0.264, 0.275,
    0.286, 0.296, 0.306, 0.316, 0.325, 0.334, 0.343, 0.352, 0.361, 0.369, 0.377, 0.385, 0.393,
    0.401, 0.409, 0.417, 0.424, 0.432, 0.439, 0.446, 0.453, 0.460, 0.468, 0.475, 0.482, 0.488,
    0.495, 0.502, 0.509, 0.516, 0.522, 0.529, 0.535, 0.542, 0.549, 0.555, 0.561, 0.568, 0.574,
    0.581, 0.587, 0.594, 0.600, 0.606, 0.613, 0.619, 0.625, 0.632, 0.638, 0.644, 0.651, 0.657,
    0.663, 0.670, 0.676, 0.683, 0.689, 0.695, 0.702, 0.708, 0.715, 0.721, 0.728, 0.735, 0.741,
    0.748, 0.755, 0.761, 0.768, 0.775, 0.782, 0.789, 0.796, 0.804, 0.811, 0.818, 0.823, 0.834,
    0.842, 0.850, 0.858, 0.867, 0.875, 0.884, 0.894, 0.904, 0.914};

// R/R0 against Q/Q0 (q = k/100, k = 0 … 103) for the same "n/N variable" relation, as
// published with it. At small flows it stands above the radius of the circular segment at the
// depth above: a design in that mode is judged by the relation its engineer chose.
inline constexpr double kRadiusVariableN[104] = {
    0.090, 0.195, 0.273, 0.328, 0.375, 0.415, 0.452, 0.485, 0.515, 0.542, 0.568, 0.592, 0.615,
    0.637, 0.658, 0.678, 0.697, 0.715, 0.732, 0.748, 0.764, 0.779, 0.794, 0.809, 0.822, 0.836,
    0.849, 0.862, 0.874, 0.885, 0.897, 0.908, 0.918, 0.929, 0.939, 0.949, 0.959, 0.968, 0.978,
    0.987, 0.996, 1.004, 1.013, 1.021, 1.029, 1.037, 1.045, 1.052, 1.059, 1.067, 1.074, 1.080,
    1.087, 1.093, 1.100, 1.106, 1.112, 1.118, 1.124, 1.129, 1.135, 1.140, 1.145, 1.150, 1.155,
    1.159, 1.164, 1.168, 1.173, 1.177, 1.181, 1.184, 1.188, 1.191, 1.194, 1.197, 1.200, 1.202,
    1.205, 1.207, 1.209, 1.211, 1.213, 1.214, 1.215, 1.216, 1.217, 1.217, 1.217, 1.217, 1.217,
    1.216, 1.215, 1.214, 1.213, 1.211, 1.209, 1.206, 1.202, 1.198, 1.193, 1.187, 1.179, 1.168};

// Depth factor of a square duct in the variable relation.
inline double DuctFactor(double x) {
    static const double p[11] = {0.00, 0.82, 0.79, 0.78, 0.79, 0.81, 0.83, 0.85, 0.88, 0.94, 1.00};
    if (x < 0.05 || x >= 1) return 1;
    const int k = std::min(9, static_cast<int>(std::floor(x * 10 - 1e-12)));
    return p[k] + (p[k + 1] - p[k]) * (x * 10 - k);
}

// One section at one slope, evaluated from first principles: Manning for the full section,
// the circular segment (or the open square duct) for the partial flow.
struct ExactSection {
    double d = 0;  // m (side of a duct)
    bool duct = false;
    double n = 0.013;
    double slope = 0;  // %
    bool variable = false;

    double r0() const { return duct ? d / 3 : d / 4; }
    double a0() const { return duct ? d * d : std::numbers::pi * d * d / 4; }
    double V0() const { return std::pow(r0(), 2.0 / 3.0) * std::sqrt(slope / 100) / n; }
    double Q0() const { return V0() * a0() * 1000; }  // l/s

    // Circular segment at relative depth y.
    static double Theta(double y) { return 2 * std::acos(std::clamp(1 - 2 * y, -1.0, 1.0)); }
    static double PipeQ(double y) {
        const double t = Theta(y);
        if (t <= 0) return 0;
        return (t - std::sin(t)) / (2 * std::numbers::pi) *
               std::pow(1 - std::sin(t) / t, 2.0 / 3.0);
    }
    static double DuctR(double x) { return 3 * x / (1 + 2 * x); }
    double DuctQ(double x) const {
        return (variable ? DuctFactor(x) : 1.0) * x * std::pow(DuctR(x), 2.0 / 3.0);
    }

    // y/D at flow ratio q (1 at q >= 1).
    double Depth(double q) const {
        if (q <= 0) return 0;
        if (duct) {
            if (q >= 1) return 1;
            for (double x = 0.0005; x <= 1; x += 0.0005)
                if (DuctQ(x) >= q) return x;
            return 1;
        }
        if (variable) {
            const int a = static_cast<int>(100 * q);
            if (a >= 100) return 1;
            if (a == 0) return kDepthVariableN[0];
            return kDepthVariableN[a - 1] +
                   (kDepthVariableN[a] - kDepthVariableN[a - 1]) * (100 * q - a);
        }
        // With a constant n the flow ratio grows up to 1.076 at y/D 0.938: a flow at the full
        // capacity (y/D 0.82) or a little above still runs below the crown.
        if (q >= PipeQ(0.938)) return 1;
        double lo = 0, hi = 0.938;
        for (int k = 0; k < 60; ++k) {
            const double mid = (lo + hi) / 2;
            (PipeQ(mid) < q ? lo : hi) = mid;
        }
        return (lo + hi) / 2;
    }
    double Area(double y) const {
        if (duct) return d * d * y;
        const double t = Theta(y);
        return d * d / 8 * (t - std::sin(t));
    }
    double Radius(double y) const {
        if (duct) return d * y / (1 + 2 * y);
        const double t = Theta(y);
        return t > 0 ? Area(y) / (d * t / 2) : 0;
    }
    double Top(double y) const { return duct ? d : d * std::sin(Theta(y) / 2); }
    // Real velocity at flow ratio q.
    double V(double q) const {
        if (q <= 0) return 0;
        const double y = Depth(q);
        if (!duct && variable) return 1.0435 * V0() * std::pow(q, 0.289);
        if (duct) return V0() * (variable ? DuctFactor(y) : 1.0) * std::pow(DuctR(y), 2.0 / 3.0);
        return V0() * std::pow(Radius(y) / r0(), 2.0 / 3.0);
    }
    // kg/m² at flow ratio q: 1000 · R · S.
    double Tau(double q) const {
        if (!duct && variable) {
            const double p = std::clamp(100 * q, 0.0, 102.999);
            const int a = static_cast<int>(p);
            const double ratio =
                kRadiusVariableN[a] + (kRadiusVariableN[a + 1] - kRadiusVariableN[a]) * (p - a);
            return 1000 * r0() * ratio * slope / 100;
        }
        return 1000 * Radius(Depth(q)) * slope / 100;
    }
    double Froude(double q) const {
        const double y = Depth(q);
        const double top = Top(y);
        if (top <= 0) return 0;
        return V(q) / std::sqrt(9.81 * Area(y) / top);
    }
};

struct Finding {
    std::string invariant;
    int record = 0;     // 0: the network as a whole
    std::string reach;  // "DE-A"
    std::string values;
};

// What the revision (choice 6) wrote about one record.
struct RevisionEntry {
    std::string state;  // "nuevo", "empalmado", ...
    std::string text;
    char list = 'D';  // 'P' problems, 'D' deficiencies, 'R' RAS
};

struct CheckInput {
    const DesignSetup* setup = nullptr;
    const std::vector<network::TramoT>* entered = nullptr;   // as written to the reach file
    const std::vector<network::TramoT>* designed = nullptr;  // the design copy
    const specs::EspecT* espec = nullptr;
    const shell::ProyectoT* header = nullptr;
    std::map<std::string, std::string> designOutput;  // "status", "capacidad", ...
    std::multimap<int, RevisionEntry> revision;       // by record
    std::string evolution;                            // "MensEv."
    std::string swmmInput;                            // the model of classes 6 to 9, if any
};

std::vector<Finding> CheckDesign(const CheckInput& in);

// Findings counted in the table but not failures: depths beyond the desirable one that the
// revision lists, and the least cover of a line raised to a fixed reach.
bool Informational(const std::string& invariant);

// The designs of the same trees in two files: every reach but the last record of each
// file must come out the same.
std::vector<Finding> CompareDesigns(const std::vector<network::TramoT>& a, int countA,
                                    const std::vector<network::TramoT>& b, int countB);

// Lines of the revision lists read back into entries by record.
std::multimap<int, RevisionEntry> ParseRevisionList(const std::string& text, char list);

}  // namespace nivex::design::test
