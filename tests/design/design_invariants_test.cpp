// What every design must leave, whatever the network: checked on simulated grids and on
// a network with fixed reaches of every kind, in the first five design classes.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "design/design_driver.h"
#include "design/junctions.h"
#include "design/reach_values.h"
#include "design_rig.h"
#include "network/simulated_project.h"

namespace nivex::design::test {
namespace {

constexpr float kTol = 0.005f;

class DesignInvariants : public DesignRig {
  protected:
    void Check(const std::string& what) {
        SCOPED_TRACE(what);
        std::vector<TramoT> z = Zsdb();
        const int n = result_.reaches;
        ASSERT_GE(static_cast<int>(z.size()), n);
        std::string where;
        EXPECT_TRUE(AllFinite(z, &where)) << where;
        const specs::EspecT& e = p_.espec;
        const int c = p_.header.DesignClass;
        std::map<std::string, float> minSlope;
        for (int k = 0; k < 30; ++k)
            minSlope[std::to_string(static_cast<int>(e.Diameters[k]))] = e.MinimumSlopes[k];
        int checked = 0, junctions = 0;
        for (int k = 0; k < n; ++k) {
            TramoT& t = z[static_cast<size_t>(k)];
            SCOPED_TRACE("record " + std::to_string(k + 1));
            if (t.Class != network::kClassNew) continue;
            ++checked;
            if (DropKind(t) != kDropChambers) {
                EXPECT_LE(FullVelocityV0(t), e.MaxVelocity + 1e-3f);
            }
            if (c <= 2) {
                EXPECT_LE(RelativeDepth(t), e.MaxFilling + 1e-3f);
            }
            EXPECT_GE(t.Slope, e.MinDesignSlope - 1e-5f);
            if (p_.header.SlopePerDiameter == 1) {
                auto it = minSlope.find(std::to_string(static_cast<int>(t.Diameter)));
                if (it != minSlope.end()) {
                    EXPECT_GE(t.Slope, it->second - 1e-5f);
                }
            }
            const float minimum = std::fabs(t.MinimumDepth);
            EXPECT_GE(DepthUp(t), minimum - kTol);
            EXPECT_GE(DepthDown(t), minimum - kTol);
            for (int j = 0; j < TributaryCount(t); ++j) {
                const TramoT& in = z[static_cast<size_t>(TributaryRecord(t, j) - 1)];
                EXPECT_LE(t.CrownUp, in.CrownDown + kTol) << "tributary " << TributaryRecord(t, j);
                ++junctions;
            }
        }
        EXPECT_GT(checked, 0);
        if (n > 1) {
            EXPECT_GT(junctions, 0);
        }
        if (c == 4) return;
        // Domestic flow at each outlet: every own contribution upstream of it.
        std::map<int, double> expected;
        for (int k = 0; k < n; ++k) {
            TramoT& t = z[static_cast<size_t>(k)];
            int r = k + 1;
            for (int guard = 0; guard < n && ReceiverRecord(z[static_cast<size_t>(r - 1)]); ++guard)
                r = ReceiverRecord(z[static_cast<size_t>(r - 1)]);
            const double base = t.Contribution >= 3 ? 0.0 : double(t.Area) + t.FutureArea;
            expected[r] += base * e.Zones[0].sewageFlow;
        }
        for (auto [outlet, flow] : expected)
            EXPECT_NEAR(z[static_cast<size_t>(outlet - 1)].InFlow, flow, 1e-3 * (1 + flow))
                << "outlet " << outlet;
    }
};

TEST_F(DesignInvariants, SimulatedGridsOfSeveralSizes) {
    for (auto [h, v] : {std::pair{1, 1}, std::pair{3, 3}, std::pair{10, 10}, std::pair{25, 8}}) {
        network::SimulationParams params;
        params.horizontal = h;
        params.vertical = v;
        params.length = 80;
        params.slope = 1.5;
        Network(network::SimulatedReaches(params));
        for (const char* options : {"NNSS", "NNSN", "SSNN"}) {
            ASSERT_TRUE(Design(options));
            Check(std::to_string(h) + "x" + std::to_string(v) + " " + options);
        }
    }
}

TEST_F(DesignInvariants, FlatAndSteepGridsWithTheRasOptionsAndCriticalFlowAvoided) {
    Criteria([](specs::EspecT& e, shell::ProyectoT& h) {
        h.Ras2016Model = 1;
        h.SlopePerDiameter = 1;
        e.AvoidCriticalDiameter = 150;
        e.EnergyJunctionDiameter = 200;
    });
    for (double slope : {0.0, 0.2, 6.0}) {
        network::SimulationParams params;
        params.horizontal = 6;
        params.vertical = 6;
        params.slope = slope;
        std::vector<TramoT> grid = network::SimulatedReaches(params);
        for (TramoT& t : grid)
            t.PointFlow = 4;  // flows large enough for the pipes to grow downstream
        Network(grid);
        ASSERT_TRUE(Design());
        Check("slope " + std::to_string(slope));
    }
}

// Existing, restricted and not-investigated reaches among new ones.
std::vector<TramoT> MixedNetwork() {
    using network::kClassExisting;
    using network::kClassNotInvestigated;
    using network::kClassRestricted;
    std::vector<TramoT> r = {
        Reach("A", "B", 103, 102.5f),
        Fixed(Reach("B", "C", 102.5f, 102), kClassExisting, 250, 101.4f, 101.2f),
        Reach("D", "C", 103, 102),
        Fixed(Reach("C", "E", 102, 101.5f), kClassRestricted, 300, 100.9f, 100.6f),
        Fixed(Reach("F", "G", 102.6f, 102.2f), kClassNotInvestigated, 200, 101.5f, 101.2f),
        Reach("G", "E", 102.2f, 101.5f),
        Reach("E", "H", 101.5f, 101, 2),
    };
    for (TramoT& t : r) {
        t.Contribution = 1;
        t.Runoff = 0.6f;
    }
    r[2].Contribution = 3;  // storm only, in the mixed class
    return r;
}

TEST_F(DesignInvariants, FixedReachesOfEveryKindInTheFirstFiveClasses) {
    for (int c = 1; c <= 5; ++c) {
        DesignClass(c);
        Network(MixedNetwork());
        for (const char* options : {"NNSS", "NNNS", "SSNN"}) {
            ASSERT_TRUE(Design(options)) << c;
            Check("class " + std::to_string(c) + " " + options);
        }
    }
}

// A trunk that takes a side line at every manhole, laid out one side line at a time.
TEST_F(DesignInvariants, ATrunkWithManySideLines) {
    std::vector<TramoT> r;
    int id = 100;
    const int sides = 20, perSide = 12;
    for (int k = 0; k < sides; ++k) {
        const float trunk = 100.0f - 0.25f * static_cast<float>(k);
        std::string previous = "S" + std::to_string(id++);
        for (int j = 0; j < perSide - 1; ++j) {
            const std::string next =
                j == perSide - 2 ? "T" + std::to_string(k + 1) : "S" + std::to_string(id++);
            const float g = trunk + 0.5f * static_cast<float>(perSide - 1 - j);
            r.push_back(Reach(previous, next, g, g - 0.5f));
            previous = next;
        }
        r.push_back(Reach("T" + std::to_string(k + 1), "T" + std::to_string(k + 2), trunk,
                          trunk - 0.25f, k + 1 == sides ? 2 : 0));
    }
    for (int c : {2, 3}) {
        DesignClass(c);
        Network(r);
        ASSERT_TRUE(Design());
        Check("class " + std::to_string(c));
    }
}

}  // namespace
}  // namespace nivex::design::test
