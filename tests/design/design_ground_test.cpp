// Fixed networks on which the design once went wrong: each states what an engineer checks
// by hand and the design must meet.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "design/reach_values.h"
#include "design_rig.h"

namespace nivex::design::test {
namespace {

class DesignGround : public DesignRig {};

// Two storm lines of 2.0 equivalent hectares each meet in a reach of sanitary contribution
// (mixed class). It carries their rain: Q = C·A·i over the 4.00 equivalent hectares, at the
// intensity of the concentration time that reaches it, not the larger tributary's flow.
TEST_F(DesignGround, AMixedReachCarriesTheRainOfEveryStormLineItCollects) {
    DesignClass(5);
    std::vector<TramoT> r = {Reach("S1", "J", 103, 102.5f), Reach("S2", "J", 103, 102.5f),
                             Reach("J", "K", 102.5f, 102), Reach("K", "L", 102, 101.5f, 2)};
    for (int k : {0, 1}) {
        r[k].Contribution = 3;
        r[k].Area = 4.0f;
        r[k].Runoff = 0.5f;
    }
    r[2].Contribution = 1;
    r[2].Area = 0.3f;
    r[3].Contribution = 1;
    r[3].Area = 0;
    Network(r);
    ASSERT_TRUE(Design());
    std::vector<TramoT> z = Zsdb();
    ASSERT_EQ(z.size(), 4u);
    TramoT& j = z[2];
    EXPECT_NEAR(j.InEquivalentArea, 4.0f, 1e-4);
    const specs::RainEquation& eq = p_.espec.Equations[0];
    const double t = j.InOriginTime;
    ASSERT_GT(t, 0);
    const bool first = eq.durationBound == 0 || t <= eq.durationBound;
    const double a = first ? eq.a : eq.a2, b = first ? eq.b : eq.b2;
    const double n = first ? eq.n : eq.n2, m = first ? eq.m : eq.m2;
    const double intensity = std::round(100 * a / std::pow(b + std::pow(t, n), m)) / 100;
    ASSERT_GT(intensity, 0);
    EXPECT_NEAR(StormFlow(j), 4.0 * intensity, 0.005 * 4.0 * intensity);
    // Each line alone carries half of it: the sum, not the larger one, reaches the pipe.
    EXPECT_GT(StormFlow(j), 1.5 * std::max(StormFlow(z[0]), StormFlow(z[1])));
    EXPECT_LE(FlowRatioQ(j), 1.0f);
}

// Two identical lines, each into its own outfall: the one that happens to be the last
// record of the file gets the same pipe as the other.
TEST_F(DesignGround, TheLastRecordIsSizedAsAnyOtherOutfall) {
    std::vector<TramoT> line = {Reach("A", "B", 110, 109.2f), Reach("B", "C", 109.2f, 108.5f),
                                Reach("C", "D", 108.5f, 108, 2)};
    for (TramoT& t : line)
        t.PointFlow = 12;
    std::vector<TramoT> r = line;
    for (TramoT t : line) {
        t.Upstream += "2";
        t.Downstream += "2";
        r.push_back(t);
    }
    Network(r);
    ASSERT_TRUE(Design());
    std::vector<TramoT> z = Zsdb();
    ASSERT_EQ(z.size(), 6u);
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(z[k].Diameter, z[k + 3].Diameter);
        EXPECT_NEAR(z[k].Slope, z[k + 3].Slope, 1e-5);
        EXPECT_NEAR(z[k].CrownDown, z[k + 3].CrownDown, 1e-3);
    }
    EXPECT_EQ(z[5].Diameter, ImposedDiameter(z[5]));
    EXPECT_LE(FlowRatioQ(z[5]), 1.0f);
}

// An all-sanitary collector on 0.3 % ground in the mixed class (no minimum sanitary flow):
// self-cleansing is judged at the flow the pipe carries, so the line follows the ground
// near the minimum depth instead of diving at slopes fit for a trickle.
TEST_F(DesignGround, ASanitaryCollectorOfTheMixedClassFollowsFlatGround) {
    DesignClass(5);
    std::vector<TramoT> r;
    float ground = 100;
    for (int k = 0; k < 12; ++k) {
        TramoT t = Reach("N" + std::to_string(k), "N" + std::to_string(k + 1), ground,
                         ground - 0.24f, k == 11 ? 2 : 0);
        t.Length = 80;
        t.Area = 1.5f;
        t.Contribution = 1;
        ground -= 0.24f;
        r.push_back(t);
    }
    Network(r);
    ASSERT_TRUE(Design());
    std::vector<TramoT> z = Zsdb();
    ASSERT_EQ(z.size(), 12u);
    const specs::EspecT& e = p_.espec;
    for (size_t k = 0; k < z.size(); ++k) {
        SCOPED_TRACE(k);
        EXPECT_LT(DepthDown(z[k]), e.MaxDesirableCrownDepth);
        EXPECT_LT(z[k].Slope, 1.0f);
        // Tractive force at the sanitary design flow, exact segment: tau = 1000 R S.
        const double d = z[k].Diameter / 1000.0, n = std::fabs(z[k].ManningN);
        const double s = z[k].Slope / 100.0, q = SanitaryMax(z[k]) / 1000.0;
        double lo = 1e-6, hi = 2 * M_PI;
        auto flowAt = [&](double theta) {
            const double area = d * d / 8 * (theta - std::sin(theta));
            const double radius = area / (d * theta / 2);
            return area * std::pow(radius, 2.0 / 3.0) * std::sqrt(s) / n;
        };
        for (int i = 0; i < 100; ++i)
            (flowAt((lo + hi) / 2) < q ? lo : hi) = (lo + hi) / 2;
        const double theta = (lo + hi) / 2;
        const double radius = (d * d / 8 * (theta - std::sin(theta))) / (d * theta / 2);
        EXPECT_GE(1000 * radius * s, e.SanMinTractive100 / 100.0 * 0.97) << "record " << k + 1;
    }
}

}  // namespace
}  // namespace nivex::design::test
