// The hydraulic relations of a reach: Manning's formula for full pipes and ducts, the
// partial-flow relations of both modes, the class rules and bad inputs.

#include "design/hydraulics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "design/hydraulic_tables.h"

namespace nivex::design {
namespace {

HydraulicCriteria Criteria(bool variable = false, int designClass = 2) {
    HydraulicCriteria c = DefaultCriteria();
    c.variableRelations = variable;
    c.designClass = designClass;
    return c;
}

TEST(Hydraulics, FullSectionsFollowManningInSiUnitsForEverySize) {
    const HydraulicCriteria c = Criteria();
    ASSERT_EQ(c.sizes.count, 59);
    const double n = 0.013, slope = 0.37;  // %
    for (int i = 0; i < c.sizes.count; ++i) {
        const double d = c.sizes.size[static_cast<size_t>(i)] / 1000.0;  // m
        double area, radius;
        if (i < c.sizes.firstDuct) {
            area = std::numbers::pi * d * d / 4;
            radius = d / 4;
        } else {  // a duct runs as a channel open at its crown: three sides wetted
            area = d * d;
            radius = area / (3 * d);
        }
        const double v = std::pow(radius, 2.0 / 3.0) * std::sqrt(slope / 100) / n;
        const float size = c.sizes.size[static_cast<size_t>(i)];
        EXPECT_NEAR(FullVelocity(c, 0.013f, 0.37f, size), v, v * 1e-3) << size;
        EXPECT_NEAR(FullFlow(c, 0.013f, 0.37f, size), 1000 * area * v, 1000 * area * v * 1e-3)
            << size;
        EXPECT_EQ(FullFlow(c, -0.013f, 0.37f, size), FullFlow(c, 0.013f, 0.37f, size));
    }
}

TEST(Hydraulics, SizeListAndSectionRule) {
    specs::EspecT e = specs::DefaultEspec();
    e.DiameterCount = 25;
    e.SectionCount = 40;
    const SizeList list = SizesOf(e);
    EXPECT_EQ(list.count, 40);
    EXPECT_EQ(list.firstDuct, 24);
    EXPECT_FLOAT_EQ(list.size[24], 2000);
    EXPECT_FLOAT_EQ(list.size[39], 2000 + 15 * 200);
    EXPECT_FLOAT_EQ(list.minSlope[30], 0.01f);
    EXPECT_FLOAT_EQ(list.minSlope[0], e.MinimumSlopes[0]);

    const HydraulicCriteria c = Criteria();
    EXPECT_TRUE(IsDuct(c, 3000));
    EXPECT_FALSE(IsDuct(c, 2999.9f));
    // The first duct is computed as a square.
    const double side = 3.0, v = std::pow(side / 3, 2.0 / 3.0) * std::sqrt(0.005) / 0.013;
    EXPECT_NEAR(FullVelocity(c, 0.013f, 0.5f, 3000), v, 1e-4);
}

TEST(Hydraulics, ManningNOfAReach) {
    HydraulicCriteria c = Criteria();
    EXPECT_FLOAT_EQ(ReachManningN(c, 0.011f, 300), 0.011f);
    EXPECT_FLOAT_EQ(ReachManningN(c, 0, 1524), 0.009f);
    EXPECT_FLOAT_EQ(ReachManningN(c, -0.012f, 1600), 0.013f);
    c.asceManning = true;
    EXPECT_FLOAT_EQ(ReachManningN(c, 0, 300), AsceManningN(c, 300));
    EXPECT_FLOAT_EQ(ReachManningN(c, 0.014f, 300), 0.014f);
    // Swamee-Jain friction of a smooth pipe gives the usual n of concrete.
    EXPECT_NEAR(AsceManningN(c, 300), 0.0110, 2e-4);
    EXPECT_GT(AsceManningN(c, 2000), AsceManningN(c, 300));
}

TEST(Hydraulics, DepthRatioEnds) {
    for (bool variable : {false, true}) {
        const HydraulicCriteria c = Criteria(variable);
        EXPECT_FLOAT_EQ(DepthRatio(c, 300, 1.0f), 1.0f);
        EXPECT_FLOAT_EQ(DepthRatio(c, 3200, 1.0f), 1.0f);
        EXPECT_FLOAT_EQ(DepthRatio(c, 300, 0.005f), variable ? 0.061f : 0.071f);
        EXPECT_FLOAT_EQ(DepthRatio(c, 300, 0.0f), variable ? 0.061f : 0.071f);
    }
    const HydraulicCriteria v = Criteria(true);
    EXPECT_NEAR(DepthRatio(v, 300, 0.999f), 0.913, 1e-5);
    EXPECT_FLOAT_EQ(DepthRatio(v, 300, 0.5f), 0.561f);
    // Variable mode: the depth and flow ratios are each other's inverse.
    for (float y = 0.07f; y < 0.91f; y += 0.013f)
        EXPECT_NEAR(DepthRatio(v, 300, FlowRatioFromDepth(v, y)), y, 1e-5) << y;
    EXPECT_FLOAT_EQ(FlowRatioFromDepth(v, 0.95f), 1.0f);
    EXPECT_FLOAT_EQ(FlowRatioFromDepth(Criteria(false), 0.95f), 1.0f);  // cut at 1
    EXPECT_FLOAT_EQ(FlowRatioFromDepth(Criteria(false), 0.005f), 0.0f);
}

TEST(Hydraulics, DuctLookupsRoundTheirIndex) {
    const HydraulicCriteria c = Criteria(false), v = Criteria(true);
    EXPECT_FLOAT_EQ(DepthRatio(c, 3000, 0.004f), 0.0f);
    EXPECT_FLOAT_EQ(DepthRatio(v, 3000, 0.004f), DuctTables(true).depthByFlow[1]);
    EXPECT_FLOAT_EQ(DepthRatio(c, 3000, 0.504f), DuctTables(false).depthByFlow[50]);
    EXPECT_FLOAT_EQ(DepthRatio(c, 3000, 0.506f), DuctTables(false).depthByFlow[51]);
    const auto& t = DuctTables(false);
    const int k = static_cast<int>(std::lround(100 * t.depthByFlow[50]));
    EXPECT_FLOAT_EQ(PartialVelocity(c, 3000, 0.5f, 2.0f), 2.0f * t.velocityByDepth[k]);
    EXPECT_FLOAT_EQ(PartialVelocity(c, 3000, 1.5f, 2.0f), 2.0f);
}

TEST(Hydraulics, PartialVelocityOfBothModes) {
    EXPECT_NEAR(PartialVelocity(Criteria(true), 300, 0.5f, 1.0f), 1.0435 * std::pow(0.5, 0.289),
                1e-6);
    EXPECT_FLOAT_EQ(PartialVelocity(Criteria(false), 300, 0.005f, 1.0f), 0.321f);
    EXPECT_FLOAT_EQ(PartialVelocity(Criteria(false), 300, 1.06f, 1.0f), 1.128f);
}

TEST(Hydraulics, FroudeNumber) {
    EXPECT_FLOAT_EQ(HydraulicDepthRatio(0.5f), 0.458f);
    EXPECT_FLOAT_EQ(HydraulicDepthRatio(1.2f), 1.344f);
    EXPECT_FLOAT_EQ(HydraulicDepthRatio(0.001f), 0.041f);
    // 1/√(9.81 · 0.3 · 0.458) = 0.8613.
    EXPECT_NEAR(FroudeNumber(0.5f, 300, 1.0f), 0.8613, 1e-4);
    EXPECT_FLOAT_EQ(FroudeNumber(0.5f, 0, 1.0f), 0.0f);
    EXPECT_FLOAT_EQ(FroudeNumber(0.5f, -300, 1.0f), 0.0f);
    // The variable-n relation keeps its table of hydraulic depths for pipes.
    const HydraulicCriteria variable = Criteria(true), constant = Criteria(false);
    EXPECT_NEAR(FroudeNumber(variable, 0.5f, 300, 1.0f), 0.8613, 1e-4);
    EXPECT_FLOAT_EQ(HydraulicDepthRatio(variable, 300, 0.93f), 0.995f);
    EXPECT_FLOAT_EQ(HydraulicDepthRatio(variable, 300, 1.2f), 1.344f);
    EXPECT_FLOAT_EQ(FroudeNumber(constant, 0.5f, 0, 1.0f), 0.0f);
}

TEST(Hydraulics, FroudeNumberOfADuctIsTakenAtItsFlowDepth) {
    // An open square duct of side H running at depth x·H has A/T = x·H, and with a constant
    // n Q/Q0 = x·(3x/(1 + 2x))^(2/3). At q = 0.64 that is x = 0.6995 (bisection below), so
    // a 3.2 m duct at 4.33 m/s runs at Fr = 4.33/√(9.81·0.6995·3.2) = 0.9236, where the
    // hydraulic depth of a circle (0.57·H) gave 1.02.
    const auto flowRatio = [](double x) { return x * std::pow(3 * x / (1 + 2 * x), 2.0 / 3.0); };
    double lo = 0, hi = 1;
    for (int k = 0; k < 60; ++k)
        ((flowRatio((lo + hi) / 2) < 0.64) ? lo : hi) = (lo + hi) / 2;
    EXPECT_NEAR(lo, 0.6995, 1e-3);
    const HydraulicCriteria constant = Criteria(false), variable = Criteria(true);
    ASSERT_TRUE(IsDuct(constant, 3200));
    // The relation is tabled by hundredths of the flow ratio.
    EXPECT_NEAR(HydraulicDepthRatio(constant, 3200, 0.64f), lo, 0.006);
    EXPECT_NEAR(FroudeNumber(constant, 0.64f, 3200, 4.33f), 4.33 / std::sqrt(9.81 * lo * 3.2),
                0.005);
    // With n varying with the depth the duct runs deeper for the same flow, and its hydraulic
    // depth is still that depth; a flow that fills it keeps the full side.
    EXPECT_FLOAT_EQ(HydraulicDepthRatio(variable, 3200, 0.64f), DepthRatio(variable, 3200, 0.64f));
    EXPECT_GT(HydraulicDepthRatio(variable, 3200, 0.64f), lo);
    EXPECT_NEAR(HydraulicDepthRatio(constant, 3200, 1.2f), 1.0, 0.01);
    EXPECT_GT(HydraulicDepthRatio(constant, 3200, 0.0f), 0.0f);
}

// Circular segment at relative depth y (central angle θ = 2·acos(1 − 2y)):
// A = D²/8·(θ − sin θ), P = D·θ/2, T = D·sin(θ/2); R = A/P, hydraulic depth A/T.
struct Segment {
    double radius, hydraulicDepth;  // over D
};
Segment SegmentAt(double y) {
    const double theta = 2 * std::acos(1 - 2 * y);
    const double area = (theta - std::sin(theta)) / 8, perimeter = theta / 2;
    return {area / perimeter, area / std::sin(theta / 2)};
}

// Depth ratios the constant-n relation gives between 0.07 and 0.82, a full pipe after.
constexpr float kFlowRatios[] = {0.004f, 0.01f, 0.03f, 0.07f, 0.15f, 0.3f,  0.5f,
                                 0.65f,  0.8f,  0.9f,  0.95f, 0.99f, 0.999f};
constexpr float kPipes[] = {145, 182, 452, 900, 1524, 2500};

// y/D of the circular segment that carries Q/Q0 = q with a constant n, by bisection of
// Q/Q0 = (θ − sin θ)/2π · (1 − sin θ/θ)^(2/3) below its peak at y/D 0.938.
double SegmentDepth(double q) {
    double lo = 0, hi = 0.938;
    for (int k = 0; k < 60; ++k) {
        const double mid = (lo + hi) / 2, t = 2 * std::acos(1 - 2 * mid);
        const double at =
            (t - std::sin(t)) / (2 * std::numbers::pi) * std::pow(1 - std::sin(t) / t, 2.0 / 3.0);
        (at < q ? lo : hi) = mid;
    }
    return hi;
}

// With a constant n the tractive force is γ·R·S of the wetted segment that carries the
// flow: τ = 1000 kg/m³ · R (m) · S/100. The relation is tabled by hundredths of the flow
// ratio; below the first hundredth the segment is solved.
TEST(Hydraulics, ConstantModeTractiveForceIsThatOfTheCircularSegment) {
    const HydraulicCriteria c = Criteria(false, 7);  // a class without a minimum
    double yMin = 1, yMax = 0;
    for (float d : kPipes)
        for (float q : kFlowRatios)
            for (float s : {0.5f, 5.0f}) {
                const double y = q < 1 ? SegmentDepth(q) : 1.0;
                yMin = std::min(y, yMin);
                yMax = std::max(y, yMax);
                const double tau = 1000 * SegmentAt(y).radius * d / 1000 * s / 100;
                ASSERT_GT(tau, 0.02);  // clear of the snap to the class minimum
                EXPECT_NEAR(TractiveForce(c, q, d, s), tau, 0.005 + 0.005 * tau)
                    << d << " " << q << " " << s << " y/D " << y;
            }
    EXPECT_LT(yMin, 0.1);
    EXPECT_GT(yMax, 0.8);
    // A flow that fills the pipe has the full radius D/4: 1000 · 0.9/4 · 0.02 = 4.5.
    EXPECT_FLOAT_EQ(TractiveForce(c, 1.0f, 900, 2.0f), 4.5f);
    EXPECT_FLOAT_EQ(TractiveForce(c, 1.05f, 900, 2.0f), 4.5f);
    // TractiveForce(0.1, D, S) = 0.15 at the slope found for it.
    const double y = DepthRatio(c, 300, 0.1f);
    const float s = SlopeForTau015(c, 300);
    EXPECT_NEAR(1000 * SegmentAt(y).radius * 0.3 * s / 100, 0.15, 0.005);
}

// With a constant n, Fr = V/√(g·A/T) of the wetted segment at the depth the program
// gives; a flow that fills the pipe keeps the fullest free surface of the relation,
// the depth at which the segment carries Q0 (y/D ≈ 0.82).
TEST(Hydraulics, ConstantModeFroudeNumberIsThatOfTheCircularSegment) {
    const HydraulicCriteria c = Criteria(false);
    for (float d : kPipes)
        for (float q : kFlowRatios) {
            const float v = PartialVelocity(c, d, q, 1.3f);
            const double depth = SegmentAt(DepthRatio(c, d, q)).hydraulicDepth * d / 1000;
            const double froude = v / std::sqrt(9.81 * depth);
            EXPECT_NEAR(FroudeNumber(c, q, d, v), froude, 1e-5 * froude) << d << " " << q;
        }
    // Q/Q0 = (θ − sin θ)/(2π) · (1 − sin θ/θ)^(2/3) reaches 1 on its rising side.
    const auto flowRatio = [](double y) {
        const double theta = 2 * std::acos(1 - 2 * y);
        return (theta - std::sin(theta)) / (2 * std::numbers::pi) *
               std::pow(1 - std::sin(theta) / theta, 2.0 / 3.0);
    };
    double lo = 0.5, hi = 0.9;
    for (int i = 0; i < 60; ++i)
        (flowRatio((lo + hi) / 2) < 1 ? lo : hi) = (lo + hi) / 2;
    const double full = SegmentAt(lo).hydraulicDepth * 0.6;
    for (float q : {1.0f, 1.04f, 3.0f})
        EXPECT_NEAR(FroudeNumber(c, q, 600, 2.0f), 2 / std::sqrt(9.81 * full), 2e-4) << q;
}

TEST(Hydraulics, TractiveForceIsTheWeightOfWaterOnTheWettedPerimeter) {
    const HydraulicCriteria c = Criteria(true, 7);  // variable n, a class without a minimum
    // Full pipe: γ·R·S = 1000 · 0.3/4 · 0.01 = 0.75 kg/m², times R/R0 of the variable-n
    // relation: 1.168 past q = 1.02, 0.090 at q = 0, 1.000 at q = 0.405.
    EXPECT_FLOAT_EQ(TractiveForce(c, 1.03f, 300, 1.0f), Round2(0.75f * 1.168f));
    EXPECT_FLOAT_EQ(TractiveForce(c, 0.0f, 300, 1.0f), Round2(0.75f * 0.090f));
    EXPECT_FLOAT_EQ(TractiveForce(c, 0.405f, 300, 1.0f), Round2(0.75f * 1.0f));
    // 1000 · 1.5/4 · 0.02 · (1.067 + (1.074 − 1.067) · 0.5) = 8.0288.
    EXPECT_FLOAT_EQ(TractiveForce(c, 0.495f, 1500, 2.0f), 8.03f);
    // Full duct of 3 m: γ·(H/3)·S = 10 kg/m² at 1 %, in both modes.
    for (bool variable : {false, true}) {
        const HydraulicCriteria m = Criteria(variable, 7);
        EXPECT_FLOAT_EQ(TractiveForce(m, 1.0f, 3000, 1.0f), 10.0f);
        EXPECT_LT(TractiveForce(m, 0.3f, 3000, 1.0f), 10.0f);
    }
}

// τ of a class is snapped to its minimum when it misses it by one hundredth.
TEST(Hydraulics, TractiveForceSnapsToTheClassMinimum) {
    const HydraulicCriteria none = Criteria(false, 7);
    float s09 = 0, s11 = 0, s12 = 0;
    for (float s = 0.01f; s < 1.0f; s += 0.0005f) {
        const float tau = TractiveForce(none, 0.5f, 300, s);
        if (tau == 0.09f && s09 == 0) s09 = s;
        if (tau == 0.11f && s11 == 0) s11 = s;
        if (tau == 0.12f && s12 == 0) s12 = s;
    }
    ASSERT_GT(s09 * s11 * s12, 0.0f);
    const HydraulicCriteria sanitary = Criteria(false, 2);  // minimum 10 hundredths
    EXPECT_FLOAT_EQ(TractiveForce(sanitary, 0.5f, 300, s09), 0.10f);
    EXPECT_FLOAT_EQ(TractiveForce(sanitary, 0.5f, 300, s11), 0.10f);
    EXPECT_FLOAT_EQ(TractiveForce(sanitary, 0.5f, 300, s12), 0.12f);

    HydraulicCriteria storm = Criteria(false, 4);
    storm.stormMinTractive = 0.12f;
    EXPECT_FLOAT_EQ(TractiveForce(storm, 0.5f, 300, s11), 0.12f);
    HydraulicCriteria mixed = Criteria(false, 5);
    mixed.stormMinTractive = 0.12f;
    EXPECT_FLOAT_EQ(TractiveForce(mixed, 0.5f, 300, s11, true), 0.12f);
    EXPECT_FLOAT_EQ(TractiveForce(mixed, 0.5f, 300, s11, false), 0.10f);
}

TEST(Hydraulics, CommercialSize) {
    const HydraulicCriteria c = Criteria(false, 2);  // sanitary minimum 182 mm
    EXPECT_FLOAT_EQ(CommercialSize(c, 300), 327);
    EXPECT_FLOAT_EQ(CommercialSize(c, 327), 327);
    EXPECT_FLOAT_EQ(CommercialSize(c, 190), 227);
    EXPECT_FLOAT_EQ(CommercialSize(c, 150), 182);  // the size before is below the minimum
    EXPECT_FLOAT_EQ(CommercialSize(c, 100), 182);  // below the first size
    EXPECT_FLOAT_EQ(CommercialSize(c, 3100), 3200);
    EXPECT_FLOAT_EQ(CommercialSize(c, 20000), 9000);  // above the largest
    EXPECT_FLOAT_EQ(CommercialSize(Criteria(false, 3), 100), 227);
    EXPECT_FLOAT_EQ(CommercialSize(Criteria(false, 5), 100, true), 227);
    EXPECT_FLOAT_EQ(CommercialSize(Criteria(false, 5), 100, false), 182);
    EXPECT_FLOAT_EQ(CommercialSize(Criteria(false, 3), 200), 227);
}

TEST(Hydraulics, RasMinimumVelocitySwitchesAt450) {
    const HydraulicCriteria sanitary = Criteria(false, 1), storm = Criteria(false, 4);
    EXPECT_FLOAT_EQ(RasMinimumVelocity(sanitary, 449.9f), 0.45f);
    EXPECT_FLOAT_EQ(RasMinimumVelocity(storm, 449.9f), 0.75f);
    // Shear stress τc = f·ρ·V²/8 with f of a rough pipe, 1/√f = −2·log10(k/(3.7·D)).
    const auto shear = [](double tauC, double k, double d) {
        const double f = 1 / std::pow(-2 * std::log10(1.23 / (k * d)), 2);
        return std::sqrt(8 * tauC / (1000 * f));
    };
    EXPECT_NEAR(RasMinimumVelocity(sanitary, 450), shear(1.5, 3.7, 450), 1e-6);
    EXPECT_NEAR(RasMinimumVelocity(storm, 450), shear(3, 4.49, 450), 1e-6);
    EXPECT_NE(RasMinimumVelocity(sanitary, 450), 0.45f);
}

TEST(Hydraulics, SulfideIndex) {
    // Half-full pipe: P/b = (π/2)/1 with 1.07^0 = 1.
    EXPECT_NEAR(SulfideIndex(0.5f, 8, 1, 20, 100), 3.75 * 100 / 2 * 1.5708, 1e-3);
    EXPECT_NEAR(SulfideIndex(0.5f, 8, 4, 21, 100), 1.07 * 3.75 * 100 / 2 / 2 * 1.5708, 1e-3);
    EXPECT_FLOAT_EQ(SulfideIndex(0.9f, 8, 1, 20, 100), 0.0f);
    EXPECT_FLOAT_EQ(SulfideIndex(0.5f, 0, 1, 20, 100), 0.0f);
    EXPECT_FLOAT_EQ(SulfideIndex(0.5f, 8, 0, 20, 100), 0.0f);
}

TEST(Hydraulics, Round2HalvesAwayFromZero) {
    EXPECT_DOUBLE_EQ(Round2(0.125), 0.13);
    EXPECT_DOUBLE_EQ(Round2(-0.125), -0.13);
    EXPECT_DOUBLE_EQ(Round2(2.344), 2.34);
    EXPECT_FLOAT_EQ(Round2(0.375f), 0.38f);
    EXPECT_DOUBLE_EQ(Round2(std::numeric_limits<double>::quiet_NaN()), 0.0);
}

// Every operation gives a finite value for a zero, negative or non-finite input.
TEST(Hydraulics, BadInputsGiveFiniteResults) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (bool variable : {false, true}) {
        const HydraulicCriteria c = Criteria(variable);
        for (float bad : {0.0f, -1.0f, -300.0f, nan, inf, -inf}) {
            float fr = 1;
            const float good[] = {0.013f, 0.5f, 300.0f, 20.0f, 0.6f, 1.0f};
            for (int slot = 0; slot < 6; ++slot) {
                float a[6];
                std::copy(std::begin(good), std::end(good), a);
                a[slot] = bad;
                const float n = a[0], s = a[1], d = a[2], q = a[3], qmax = a[4], v = a[5];
                const float results[] = {
                    FullVelocity(c, n, s, d),
                    FullFlow(c, n, s, d),
                    DepthRatio(c, d, qmax),
                    FlowRatioFromDepth(c, qmax),
                    PartialVelocity(c, d, qmax, v),
                    HydraulicDepthRatio(qmax),
                    HydraulicDepthRatio(c, d, qmax),
                    FroudeNumber(qmax, d, v),
                    FroudeNumber(c, qmax, d, v),
                    TractiveForce(c, qmax, d, s),
                    SlopeForTractiveForce(c, v, d, n, q),
                    SlopeForTau015(c, d),
                    SlopeForRealVelocity(c, q, v, d, n),
                    SlopeForFullVelocity(c, d, n, v),
                    SlopeForFlow(c, qmax, q, n, d),
                    DiameterForFlow(c, qmax, q, n, s),
                    DiameterForVelocity(c, v, qmax, q),
                    CommercialSize(c, d),
                    AsceManningN(c, d),
                    RasMinimumVelocity(c, d),
                    SlopeAvoidingCriticalFlow(c, s, q, d, n, fr),
                    fr,
                    HalfAngle(qmax),
                    TopWidthRatio(qmax),
                    AreaRatio(qmax),
                    CriticalDepthRatio(qmax),
                    SulfideIndex(qmax, q, s, d, v),
                    Round2(bad),
                };
                for (size_t r = 0; r < std::size(results); ++r)
                    EXPECT_TRUE(std::isfinite(results[r]))
                        << "result " << r << " slot " << slot << " value " << bad;
            }
        }
    }
}

}  // namespace
}  // namespace nivex::design
