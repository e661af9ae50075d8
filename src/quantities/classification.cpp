#include "quantities/classification.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "design/reach_values.h"

namespace nivex::quantities {
namespace {

using network::TramoT;

constexpr int kExistingDepthCm = 10000;  // the 100 m that marks an existing manhole

bool IsNew(const TramoT& t) {
    return t.Class == network::kClassNew || t.Class == network::kClassRestricted;
}

struct Manhole {
    int depthCm = 0;
    double governing = 0;  // mm
};

using ManholeKey = std::pair<int, std::string>;  // sector, name

void AddReach(Classification& c, const QuantityLimits& l, const TramoT& t, int position) {
    TramoT& r = const_cast<TramoT&>(t);  // the accessors are shared with the design
    const double h = InvertDepth(t.Diameter, design::DepthMean(r));
    auto& sizes = c.reaches[static_cast<size_t>(ExcavationRange(l, h) - 1)];
    auto at = std::find_if(sizes.begin(), sizes.end(),
                           [&](const SizeClass& k) { return k.position == position; });
    if (at == sizes.end()) {
        at = std::upper_bound(sizes.begin(), sizes.end(), position,
                              [](int p, const SizeClass& k) { return p < k.position; });
        at = sizes.insert(at, SizeClass{position, 0, 0, {}});
    }
    at->length += RoundHalfAway(t.Length);
    at->lengthDepth += t.Length * h;
    at->reaches.push_back(ReachLabel(t));

    if (design::NewInitialManhole(r) != 1) return;
    const double x = 0.001 * t.Diameter + t.GroundUp - t.CrownUp;
    ManholeClass& added =
        c.added[static_cast<size_t>(ManholeSizeGroup(l, design::ImposedDiameter(r)))]
               [static_cast<size_t>(ManholeDepthRange(l, x) - 1)];
    added.depthSum += x;
    added.names.push_back(ReachLabel(t));
}

}  // namespace

std::string ReachLabel(const TramoT& t) {
    return "(" + t.Upstream + ")-(" + t.Downstream + ")";
}

double SizeClass::meanDepth() const {
    return length != 0 ? RoundTo2(lengthDepth / length) : 0;
}

double ManholeClass::meanDepth() const {
    return names.empty() ? 0 : RoundTo2(depthSum / static_cast<double>(names.size()));
}

Classification ClassifyNetwork(const QuantityInput& input, const QuantityLimits& l,
                               const ClassifyProgress& progress) {
    Classification c;
    std::map<ManholeKey, Manhole> manholes;
    for (const SectorReaches& sector : input.sectors)
        for (int k = 0; k < sector.networkCount; ++k) {
            if (progress) progress(sector.sector, k + 1, sector.networkCount);
            const TramoT& t = sector.records[static_cast<size_t>(k)];
            TramoT& r = const_cast<TramoT&>(t);
            int up = kExistingDepthCm, down = kExistingDepthCm;
            if (IsNew(t)) {
                const int position = SizePosition(l, t.Diameter);
                if (position == 0) {
                    Classification stopped;
                    stopped.fault = DiameterFault{k + 1, t.Upstream, t.Downstream};
                    return stopped;
                }
                AddReach(c, l, t, position);
                up = DepthCm(0.001 * t.Diameter + design::DepthUp(r));
                down = DepthCm(0.001 * t.Diameter + design::DepthDown(r));
            }
            Manhole& a = manholes[{sector.sector, t.Upstream}];
            Manhole& b = manholes[{sector.sector, t.Downstream}];
            // The quantity run gives a manhole the size of the reach that leaves it, and
            // the outlet of the last reach that same size.
            a.governing = design::ImposedDiameter(r);
            if (k + 1 == sector.networkCount) b.governing = design::ImposedDiameter(r);
            a.depthCm = MergeDepth(a.depthCm, up);
            b.depthCm = MergeDepth(b.depthCm, down);
        }
    for (const auto& [key, m] : manholes) {
        if (m.depthCm <= 0 || m.depthCm == kExistingDepthCm) continue;
        const double depth = m.depthCm / 100.0;
        ManholeClass& cell = c.manholes[static_cast<size_t>(ManholeSizeGroup(l, m.governing))]
                                       [static_cast<size_t>(ManholeDepthRange(l, depth) - 1)];
        cell.depthSum += depth;
        cell.names.push_back(key.second);
    }
    return c;
}

}  // namespace nivex::quantities
