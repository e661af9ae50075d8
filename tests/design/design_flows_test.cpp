// Design flows of single reaches and of small lines, with values worked by hand.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "design/design_flows.h"
#include "design/reach_values.h"
#include "specs/espec.h"

namespace nivex::design {
namespace {

using network::TramoT;

FlowCriteria Criteria(int designClass) {
    specs::EspecT e = specs::DefaultEspec();
    e.Zones[0] = {0.2f, 0.1f, 150};  // l/s/ha, l/s/ha, inhabitants/ha
    e.Zones[1] = {0.4f, 0.2f, 300};
    e.EquationCount = 1;
    e.Equations[0] = {};
    e.Equations[0].a = 2000;
    e.Equations[0].b = 10;
    e.Equations[0].n = 1;
    e.Equations[0].m = 0.8f;
    e.MinConcentrationTime = 15;
    e.SanMinFlow = 1.5f;
    FlowCriteria c = FlowCriteriaOf(e, designClass);
    return c;
}

TramoT Reach(float area, int contribution) {
    TramoT t;
    t.Upstream = "A";
    t.Downstream = "B";
    t.Area = area;
    t.Contribution = contribution;
    t.Runoff = 0.6f;
    t.InOriginTime = 15;
    return t;
}

TEST(DesignFlows, PeakFactorFormulasAndTheirRanges) {
    FlowCriteria c = Criteria(2);
    c.peakMethod = 0;  // Harmon: 500 inhabitants is P = 1 after the cut
    EXPECT_DOUBLE_EQ(PeakFactor(c, 500, 1), 3.80);
    EXPECT_DOUBLE_EQ(PeakFactor(c, 1e9, 1),
                     std::floor(100 * (1 + 14 / (4 + std::sqrt(1000.0))) + 0.5) / 100);
    c.peakMethod = 1;  // Babbit at P = 32
    EXPECT_DOUBLE_EQ(PeakFactor(c, 32000, 1), 2.50);
    c.peakMethod = 2;
    EXPECT_DOUBLE_EQ(PeakFactor(c, 1000, 1), 3.50);
    c.peakMethod = 3;  // Los Angeles: below 2.8 l/s takes 2.8
    EXPECT_DOUBLE_EQ(PeakFactor(c, 0, 1), PeakFactor(c, 0, 2.8));
    c.peakMethod = 4;
    EXPECT_DOUBLE_EQ(PeakFactor(c, 0, 9999), PeakFactor(c, 0, 5000));
    c.peakMethod = 5;
    EXPECT_DOUBLE_EQ(PeakFactor(c, 0, 0.28),
                     std::floor(100 * 3.114 / std::pow(0.28, 0.062) + 0.5) / 100);
    c.peakMethod = 6;
    c.fixedPeak = 2.345f;
    EXPECT_DOUBLE_EQ(PeakFactor(c, 0, 0), 2.35);
    c.peakMethod = 0;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_DOUBLE_EQ(PeakFactor(c, nan, nan), 3.80);  // a bad population is the lower end
}

TEST(DesignFlows, SanitaryReachAloneAndDownstream) {
    const FlowCriteria c = Criteria(2);
    FlowCounts counts;
    // No area, no point flow, no tributaries: both flows are Qmin.
    TramoT empty = Reach(0, 1);
    ComputeSanitaryFlows(empty, {}, false, c, counts);
    EXPECT_FLOAT_EQ(SanitaryMax(empty), 1.5f);
    EXPECT_FLOAT_EQ(SanitaryMin(empty), 1.5f);
    ComputeDesignFlow(empty, c);
    EXPECT_FLOAT_EQ(DesignFlow(empty), 1.5f);

    // 10 ha: 2 l/s sewage, 1 l/s infiltration, 1500 inhabitants (Harmon, P = 1.5).
    TramoT up = Reach(10, 1);
    ComputeSanitaryFlows(up, {}, false, c, counts);
    EXPECT_FLOAT_EQ(up.InFlow, 2);
    EXPECT_FLOAT_EQ(up.InInfiltration, 1);
    EXPECT_FLOAT_EQ(up.InPopulation, 1500);
    const double m = std::floor(100 * (1 + 14 / (4 + std::sqrt(1.5))) + 0.5) / 100;
    EXPECT_FLOAT_EQ(PeakFactorM(up), static_cast<float>(m));
    EXPECT_FLOAT_EQ(SanitaryMax(up), static_cast<float>(std::round((2 * m + 1) * 100) / 100));
    // The default minimum coefficient is the fixed value, applied to M times the sewage.
    EXPECT_FLOAT_EQ(SanitaryMin(up), 1.5f);

    // The next reach in zone 2 adds its own 5 ha to what arrives.
    FlowCriteria zoned = c;
    zoned.zoneCount = 2;
    TramoT down = Reach(5, 1);
    down.SanitaryZone = 2;
    down.PointFlow = 0.5f;
    ComputeSanitaryFlows(down, {&up}, false, zoned, counts);
    EXPECT_FLOAT_EQ(down.InFlow, 2 + 5 * 0.4f);
    EXPECT_FLOAT_EQ(down.InInfiltration, 1 + 5 * 0.2f + 0.5f);
    EXPECT_FLOAT_EQ(down.InPopulation, 1500 + 5 * 300);
    EXPECT_EQ(counts.ignoredReliefChambers, 0);
}

TEST(DesignFlows, OutfallLineAndInletFromAnotherSector) {
    const FlowCriteria c = Criteria(3);
    FlowCounts counts;
    TramoT up = Reach(10, 2);
    ComputeSanitaryFlows(up, {}, false, c, counts);
    // An outfall line brings no sewage or inhabitants of its own, but its infiltration and
    // point flow count.
    TramoT outfall = Reach(4, 2);
    outfall.Type = 1;
    outfall.PointFlow = 2;
    ComputeSanitaryFlows(outfall, {&up}, false, c, counts);
    EXPECT_FLOAT_EQ(outfall.InFlow, up.InFlow);
    EXPECT_FLOAT_EQ(outfall.InPopulation, up.InPopulation);
    EXPECT_FLOAT_EQ(outfall.InInfiltration, up.InInfiltration + 4 * 0.1f + 2);
    EXPECT_FLOAT_EQ(SanitaryMin(outfall), 0);  // combined class: no minimum flow
    outfall.InOriginTime = 20;
    ComputeStormFlows(outfall, {&up}, c, counts);
    EXPECT_FLOAT_EQ(OwnStormArea(outfall), 0);
    EXPECT_FLOAT_EQ(outfall.InRealArea, up.InRealArea);

    // The last reach of a line takes its own flows unless an outfall line arrives.
    TramoT last = Reach(3, 2);
    last.Type = 1;
    ComputeSanitaryFlows(last, {&up}, true, c, counts);
    EXPECT_FLOAT_EQ(last.InFlow, up.InFlow + 3 * 0.2f);
    TramoT afterOutfall = Reach(3, 2);
    ComputeSanitaryFlows(afterOutfall, {&outfall}, true, c, counts);
    EXPECT_FLOAT_EQ(afterOutfall.InFlow, outfall.InFlow);

    // An inlet keeps what was entered for it; without flows it carries no sanitary flow.
    TramoT inlet = Reach(7, 2);
    inlet.Type = network::kTypeFromSector;
    inlet.PointFlow = 9;
    ComputeSanitaryFlows(inlet, {}, false, c, counts);
    EXPECT_FLOAT_EQ(SanitaryMax(inlet), 0);
    EXPECT_FLOAT_EQ(inlet.PointFlow, 0);
    inlet.InFlow = 3;
    inlet.InInfiltration = 1;
    inlet.InPopulation = 2000;
    ComputeSanitaryFlows(inlet, {}, false, c, counts);
    EXPECT_FLOAT_EQ(inlet.InFlow, 3);
    EXPECT_GT(SanitaryMax(inlet), 4);
}

TEST(DesignFlows, RationalStormFlowWithItsFloorAndBands) {
    const FlowCriteria c = Criteria(4);
    FlowCounts counts;
    // i(15) = 2000 / (10 + 15)^0.8, then Q = C·A·i with no reduction below 50 ha.
    const double i15 = std::round(2000 / std::pow(25.0, 0.8) * 100) / 100;
    EXPECT_DOUBLE_EQ(RainfallIntensity(c, 1, 15), i15);
    TramoT up = Reach(2, 3);
    ComputeStormFlows(up, {}, c, counts);
    EXPECT_FLOAT_EQ(OwnEquivalentArea(up), 1.2f);
    EXPECT_FLOAT_EQ(StormFlow(up), static_cast<float>(std::round(1.2 * i15 * 100) / 100));
    EXPECT_FLOAT_EQ(Intensity(up), static_cast<float>(i15));
    ComputeDesignFlow(up, c);
    EXPECT_FLOAT_EQ(DesignFlow(up), StormFlow(up));  // no sanitary flow in this class

    // A reach with a long time and little area would carry less than what arrives.
    TramoT down = Reach(0.01f, 3);
    down.InOriginTime = 120;
    ComputeStormFlows(down, {&up}, c, counts);
    EXPECT_FLOAT_EQ(StormFlow(down), StormFlow(up));

    // Nothing drained: no storm flow, and the design flow is Qmin.
    TramoT dry = Reach(0, 3);
    ComputeStormFlows(dry, {}, c, counts);
    EXPECT_FLOAT_EQ(StormFlow(dry), 0);
    ComputeDesignFlow(dry, c);
    EXPECT_FLOAT_EQ(DesignFlow(dry), 1.5f);

    EXPECT_DOUBLE_EQ(ReductionFactor(c, 2, 50), 1);
    EXPECT_DOUBLE_EQ(ReductionFactor(c, 2, 50.5), c.reduction[0]);
    EXPECT_DOUBLE_EQ(ReductionFactor(c, 2, 800), c.reduction[3]);
    EXPECT_DOUBLE_EQ(ReductionFactor(c, 2, 5000), c.reduction[4]);
    EXPECT_DOUBLE_EQ(ReductionFactor(c, 0, 5000), 0);
}

TEST(DesignFlows, EquationBoundAndConcentrationTime) {
    FlowCriteria c = Criteria(4);
    c.equationCount = 2;
    c.equations[1] = c.equations[0];
    c.equations[1].durationBound = 30;
    c.equations[1].a2 = 1000;
    c.equations[1].b2 = 0;
    c.equations[1].n2 = 1;
    c.equations[1].m2 = 1;
    EXPECT_DOUBLE_EQ(RainfallIntensity(c, 2, 30), RainfallIntensity(c, 1, 30));
    EXPECT_DOUBLE_EQ(RainfallIntensity(c, 2, 40), 25);
    EXPECT_DOUBLE_EQ(RainfallIntensity(c, 1, std::numeric_limits<double>::infinity()),
                     RainfallIntensity(c, 1, 0));

    TramoT a = Reach(1, 3), b = Reach(1, 3), t = Reach(1, 3);
    a.InOriginTime = 15;
    a.InReachTime = 4;
    b.InOriginTime = 20;
    b.InReachTime = 1.5f;
    EXPECT_DOUBLE_EQ(ConcentrationTimeAtOrigin(t, {&a, &b}, c), 21.5);
    t.StormAreaTime = 30;
    EXPECT_DOUBLE_EQ(ConcentrationTimeAtOrigin(t, {&a, &b}, c), 30);
    EXPECT_DOUBLE_EQ(ConcentrationTimeAtOrigin(Reach(1, 3), {}, c), 15);
}

TEST(DesignFlows, MixedSystemFollowsEachReachsContribution) {
    const FlowCriteria c = Criteria(5);
    FlowCounts counts;
    TramoT storm = Reach(3, 3), combined = Reach(3, 2), sanitary = Reach(3, 1);
    for (TramoT* t : {&storm, &combined, &sanitary}) {
        ClearReachFlows(*t);
        ComputeSanitaryFlows(*t, {}, false, c, counts);
        ComputeStormFlows(*t, {}, c, counts);
    }
    EXPECT_GT(StormFlow(storm), 0);
    EXPECT_FLOAT_EQ(storm.InFlow, 0);  // a storm reach brings no sewage
    EXPECT_GT(StormFlow(combined), 0);
    EXPECT_GT(combined.InFlow, 0);
    EXPECT_FLOAT_EQ(StormFlow(sanitary), 0);
    EXPECT_EQ(ContributionKind(storm, 5), 1);  // Qmin on top of the storm flow
    EXPECT_EQ(ContributionKind(sanitary, 5), 0);
    EXPECT_EQ(ContributionKind(sanitary, 3), 1);
}

TEST(DesignFlows, ReliefChambersSpillAndInitialOnesAreCounted) {
    const FlowCriteria c = Criteria(3);
    FlowCounts counts;
    TramoT up = Reach(40, 2);
    ComputeSanitaryFlows(up, {}, false, c, counts);
    ComputeStormFlows(up, {}, c, counts);
    TramoT initial = Reach(1, 2);
    initial.ReliefFactor = 2;
    ComputeSanitaryFlows(initial, {}, false, c, counts);
    EXPECT_EQ(counts.ignoredReliefChambers, 1);
    EXPECT_FLOAT_EQ(SanitarySpilled(initial), 0);

    TramoT chamber = Reach(1, 2);
    chamber.ReliefFactor = 2;
    chamber.InOriginTime = 20;
    ComputeSanitaryFlows(chamber, {&up}, false, c, counts);
    ComputeStormFlows(chamber, {&up}, c, counts);
    EXPECT_GE(SanitarySpilled(chamber) + StormSpilled(chamber), 0);
    // Downstream of the chamber only the reach's own area drains.
    EXPECT_FLOAT_EQ(chamber.InRealArea, OwnStormArea(chamber));
    EXPECT_FLOAT_EQ(chamber.InOriginTime, 15);
    EXPECT_LT(StormFlow(chamber), StormFlow(up));
    EXPECT_GT(StormSpilled(chamber), 0);
    EXPECT_LE(StormSpilled(chamber), StormFlow(up));
    EXPECT_EQ(counts.ignoredReliefChambers, 1);
}

}  // namespace
}  // namespace nivex::design
