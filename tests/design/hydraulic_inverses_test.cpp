// Every slope and diameter inverse fed back into its forward relation gives back its
// target, within what its closed form or its search allows.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "design/hydraulics.h"

namespace nivex::design {
namespace {

HydraulicCriteria Criteria(bool variable = false) {
    HydraulicCriteria c = DefaultCriteria();
    c.variableRelations = variable;
    return c;
}

// The side of a square duct, open at its crown, that carries q (l/s) full.
double FullFlowSide(double q, double n, double slope) {
    // q/1000 = b² · (b/3)^(2/3) · √(S/100) / n
    return 1000 *
           std::pow(q / 1000 * n / std::sqrt(slope / 100) * std::pow(3.0, 2.0 / 3.0), 3.0 / 8.0);
}

constexpr float kSizes[] = {145, 227, 452, 900, 1507, 2750, 3000, 3600};

float RealVelocity(const HydraulicCriteria& c, float q, float s, float d, float n) {
    return PartialVelocity(c, d, q / FullFlow(c, n, s, d), FullVelocity(c, n, s, d));
}

TEST(HydraulicInverses, SlopeForFullVelocity) {
    const HydraulicCriteria c = Criteria();
    for (float d : kSizes)
        for (float v : {0.3f, 0.75f, 2.0f, 5.0f}) {
            const float s = SlopeForFullVelocity(c, d, 0.013f, v);
            EXPECT_NEAR(FullVelocity(c, 0.013f, s, d), v, v * 2e-4) << d << " " << v;
        }
}

TEST(HydraulicInverses, SlopeAndDiameterForFlow) {
    for (bool variable : {false, true}) {
        const HydraulicCriteria c = Criteria(variable);
        for (float d : kSizes)
            for (float qmax : {0.3f, 0.6f, 0.85f}) {
                const float q = 0.4f * FullFlow(c, 0.013f, 1.0f, d);
                const float s = SlopeForFlow(c, qmax, q, 0.013f, d);
                // A duct in variable mode is filled with the relation of its own mode.
                if (IsDuct(c, d) && variable) continue;
                const double tolerance = IsDuct(c, d) ? 5e-3 : 5e-4;
                EXPECT_NEAR(FullFlow(c, 0.013f, s, d) * qmax / q, 1.0, tolerance)
                    << d << " " << qmax;
                const float size = DiameterForFlow(c, qmax, q, 0.013f, s);
                EXPECT_NEAR(size / d, 1.0, IsDuct(c, d) ? 5e-3 : 5e-4) << d << " " << qmax;
            }
    }
    // A pipe too wide for the list of pipes comes out as a duct, never smaller than
    // the first one.
    const HydraulicCriteria c = Criteria();
    const double pipe = 3200 / 1000.0, area = std::numbers::pi * pipe * pipe / 4;
    const float q =
        static_cast<float>(0.5 * 1000 * area * std::pow(pipe / 4, 2.0 / 3.0) * 0.1 / 0.013);
    EXPECT_FLOAT_EQ(DiameterForFlow(c, 0.5f, q, 0.013f, 1.0f), 3000);
    EXPECT_NEAR(DiameterForFlow(c, 0.5f, 4 * q, 0.013f, 1.0f),
                FullFlowSide(4 * q / 0.5, 0.013, 1.0), 0.5);
}

TEST(HydraulicInverses, DiameterForVelocityCarriesTheFlowInItsFullArea) {
    const HydraulicCriteria c = Criteria();
    for (float q : {2.0f, 60.0f, 900.0f, 20000.0f, 90000.0f}) {
        const float d = DiameterForVelocity(c, 1.5f, 0.8f, q);
        const double side = d / 1000.0;
        const double area = IsDuct(c, d) ? side * side : std::numbers::pi * side * side / 4;
        EXPECT_NEAR(area * 1.5 * 0.8 * 1000 / q, 1.0, 5e-3) << q;
    }
    // Too wide for a pipe, too narrow for the first duct: the first duct.
    EXPECT_FLOAT_EQ(DiameterForVelocity(c, 1.5f, 0.8f, 9000), 3000);
    EXPECT_FLOAT_EQ(DiameterForVelocity(c, 0, 0.8f, 10), 0.0f);
}

TEST(HydraulicInverses, SlopeForRealVelocityConstantModeStopsJustBelowTheTarget) {
    const HydraulicCriteria c = Criteria(false);
    for (float d : kSizes)
        for (float v : {0.45f, 0.9f, 3.0f}) {
            const float q = 0.05f * FullFlow(c, 0.013f, 1.0f, d);
            const float s = SlopeForRealVelocity(c, q, v, d, 0.013f);
            EXPECT_LT(RealVelocity(c, q, s, d, 0.013f), v) << d << " " << v;
            EXPECT_GE(RealVelocity(c, q, s + 0.0001f, d, 0.013f), v) << d << " " << v;
        }
}

// The search, as plainly stepped: from 0 by 10 until V reaches the target, one step
// back, then by 1, 0.1, … 0.0001, the result one last step short.
float SteppedRealVelocitySlope(const HydraulicCriteria& c, float q, float v, float d, float n) {
    double s = 0;
    for (double step : {10.0, 1.0, 0.1, 0.01, 0.001, 0.0001}) {
        do {
            s += step;
        } while (RealVelocity(c, q, static_cast<float>(s), d, n) < v);
        s -= step;
    }
    return static_cast<float>(std::max(s, 0.0));
}

TEST(HydraulicInverses, SlopeForRealVelocityFindsWhatTheSteppedSearchFinds) {
    HydraulicCriteria c = Criteria(false);
    std::mt19937 random(20201);
    std::uniform_real_distribution<float> unit(0, 1);
    for (int i = 0; i < 3000; ++i) {
        const float d = c.sizes.size[static_cast<size_t>(random() % c.sizes.count)];
        const float n = 0.009f + 0.005f * unit(random);
        const float share = std::pow(10.0f, -3 + 3.1f * unit(random));  // Q/Q0 at 1 %
        const float q = share * FullFlow(c, n, 1.0f, d);
        const float v = 0.2f + 5 * unit(random);
        EXPECT_EQ(SlopeForRealVelocity(c, q, v, d, n), SteppedRealVelocitySlope(c, q, v, d, n))
            << d << " " << n << " " << q << " " << v;
    }
}

TEST(HydraulicInverses, SlopeForRealVelocityVariableModeClosedForm) {
    const HydraulicCriteria c = Criteria(true);
    for (float d : {145.0f, 452.0f, 1507.0f})
        for (float v : {0.45f, 0.9f, 3.0f}) {
            const float q = 0.05f * FullFlow(c, 0.013f, 1.0f, d);
            const float s = SlopeForRealVelocity(c, q, v, d, 0.013f);
            EXPECT_NEAR(RealVelocity(c, q, s, d, 0.013f) / v, 1.0, 1e-2) << d << " " << v;
        }
    EXPECT_FLOAT_EQ(SlopeForRealVelocity(c, 0, 1, 300, 0.013f), 0.0f);
}

TEST(HydraulicInverses, SlopeForRealVelocityOutOfReachEnds) {
    const HydraulicCriteria c = Criteria(false);
    const float s = SlopeForRealVelocity(c, 10, 1e30f, 300, 0.013f);
    EXPECT_TRUE(std::isfinite(s));
    EXPECT_GT(s, 0.0f);
}

// γ·R·S (kg/m²) of a pipe with a constant n at slope s, R that of the wetted segment
// (θ = 2·acos(1 − 2y), R = D/4 · (1 − sin θ/θ)) at the depth the program gives; below the
// first tabled hundredth of Q/Q0 at the depth of the segment itself, found by bisection
// of Q/Q0 = (θ − sin θ)/2π · (1 − sin θ/θ)^(2/3).
double SegmentTractiveForce(const HydraulicCriteria& c, float q, float s, float d, float n) {
    const double ratio = q / FullFlow(c, n, s, d);
    double y = DepthRatio(c, d, static_cast<float>(ratio));
    if (ratio < 0.01) {
        double lo = 0, hi = 0.5;
        for (int k = 0; k < 60; ++k) {
            const double mid = (lo + hi) / 2, t = 2 * std::acos(1 - 2 * mid);
            const double at = (t - std::sin(t)) / (2 * std::numbers::pi) *
                              std::pow(1 - std::sin(t) / t, 2.0 / 3.0);
            (at < ratio ? lo : hi) = mid;
        }
        y = hi;
    }
    const double theta = 2 * std::acos(1 - 2 * y);
    return 1000 * (d / 4000.0) * (1 - std::sin(theta) / theta) * s / 100;
}

TEST(HydraulicInverses, SlopeForTractiveForceConstantModeGivesTheLeastSlopeReachingIt) {
    const HydraulicCriteria c = Criteria(false);
    HydraulicCriteria none = c;
    none.designClass = 7;
    int jumps = 0;
    for (float d : {145.0f, 227.0f, 452.0f, 900.0f, 1507.0f, 2500.0f})
        for (float share : {0.0005f, 0.002f, 0.05f, 0.2f, 0.5f, 0.8f, 1.5f})
            for (float tau : {0.10f, 0.15f, 0.3f, 1.2f}) {
                const float q = share * FullFlow(c, 0.013f, 0.5f, d);
                const float s = SlopeForTractiveForce(c, tau, d, 0.013f, q);
                ASSERT_GT(s, 0.0f);
                const double at = SegmentTractiveForce(c, q, s, d, 0.013f);
                EXPECT_GE(at, tau * (1 - 1e-6)) << d << " " << share << " " << tau;
                EXPECT_LT(SegmentTractiveForce(c, q, s * (1 - 1e-5f), d, 0.013f), tau)
                    << d << " " << share << " " << tau;
                const float listed = TractiveForce(none, q / FullFlow(c, 0.013f, s, d), d, s);
                if (at < tau + 0.005) {
                    EXPECT_NEAR(listed, tau, 0.005) << d << " " << share << " " << tau;
                } else {
                    // R jumps from R0 to 1.22·R0 where the flow stops filling the pipe:
                    // the least slope is the one at which it just stops.
                    EXPECT_NEAR(q / FullFlow(c, 0.013f, s, d), 1.0, 1e-4)
                        << d << " " << share << " " << tau;
                    ++jumps;
                }
            }
    EXPECT_LT(jumps, 10);
    // A flow that fills the pipe at the full-radius slope keeps that slope: γ·(D/4)·S = τ.
    EXPECT_FLOAT_EQ(SlopeForTractiveForce(c, 0.15f, 300, 0.013f, 1e6f), 100 * 0.15f / 75);
    EXPECT_FLOAT_EQ(SlopeForTractiveForce(c, 0.0f, 300, 0.013f, 10), 0.0f);
}

TEST(HydraulicInverses, SlopeForTractiveForceVariableModeMeetsTheForceAtItsOwnFlowRatio) {
    const HydraulicCriteria c = Criteria(true);
    HydraulicCriteria none = c;
    none.designClass = 7;  // no class value to snap to
    // τ = 0.15 in 300 mm: the full-radius slope is Sf = 100 · 0.15/(1000 · 0.075) = 0.2 %.
    // At Sf the full flow is Qf = R0^(2/3) · πD²/4 · √(Sf/100)/n = 43.24 l/s, so 10 l/s
    // fills the pipe to 23 % and R0/R = 1.30 there: a steeper slope, which fills it less.
    const float s10 = SlopeForTractiveForce(c, 0.15f, 300, 0.013f, 10);
    EXPECT_GT(s10, 0.2f * 1.25f);
    EXPECT_GE(TractiveForce(none, 10 / FullFlow(c, 0.013f, s10, 300), 300, s10), 0.15f);
    EXPECT_FLOAT_EQ(SlopeForTractiveForce(c, 0.15f, 300, 0.013f, 1e6f), 100 * 0.15f / 75);
    // Small flows included: one step from the full-radius slope used to leave 0.07 where
    // 0.10 was asked. The slope found is the least one: 1 % flatter falls short.
    for (float d : {145.0f, 227.0f, 452.0f, 900.0f})
        for (float share : {0.005f, 0.01f, 0.02f, 0.05f, 0.2f, 0.5f, 0.8f})
            for (float tau : {0.10f, 0.15f, 0.3f}) {
                const float q = share * FullFlow(c, 0.013f, 0.5f, d);
                const float s = SlopeForTractiveForce(c, tau, d, 0.013f, q);
                // R/R0 of the variable relations read through the forward function at a
                // slope of 100 %, where its two decimals are a thousandth of the force:
                // τ = γ·(D/4)·S·R/R0.
                auto force = [&](float slope) {
                    const double ratio = q / FullFlow(c, 0.013f, slope, d);
                    const double rr0 = TractiveForce(none, static_cast<float>(ratio), d, 100.0f) /
                                       (1000.0 * d / 4000.0);
                    return 1000.0 * d / 4000.0 * slope / 100.0 * rr0;
                };
                EXPECT_GE(force(s), tau * (1 - 1e-3)) << d << " " << share << " " << tau;
                if (q / FullFlow(c, 0.013f, s, d) < 0.99f) {
                    EXPECT_LT(force(0.99f * s), tau) << d << " " << share << " " << tau;
                }
            }
}

TEST(HydraulicInverses, SlopeForTau015) {
    const HydraulicCriteria c = Criteria(false);
    for (float d : kSizes) {
        const float s = SlopeForTau015(c, d);
        EXPECT_GT(s, 0.0f) << d;
        EXPECT_FLOAT_EQ(TractiveForce(c, 0.1f, d, s, true), 0.15f) << d;
    }
}

TEST(HydraulicInverses, AvoidingCriticalFlow) {
    HydraulicCriteria off = Criteria(false);
    off.froudeLower = off.froudeUpper = 0;
    HydraulicCriteria on = off;
    on.froudeLower = 0.9f;
    on.froudeUpper = 1.1f;
    int raised = 0;
    for (float d : {452.0f, 900.0f, 1507.0f})
        for (float s = 0.05f; s < 3.0f; s *= 1.15f) {
            const float q = 0.9f * FullFlow(off, 0.013f, s, d);
            float fr = -1;
            EXPECT_FLOAT_EQ(SlopeAvoidingCriticalFlow(off, s, q, d, 0.013f, fr), s);
            const float found = SlopeAvoidingCriticalFlow(on, s, q, d, 0.013f, fr);
            EXPECT_GE(found, s);
            if (found == s) continue;
            ++raised;
            // It stops at the first slope, in thousandths, out of the critical band.
            const auto state = [&](float slope, float& yd) {
                const float ratio = q / FullFlow(on, 0.013f, slope, d);
                yd = DepthRatio(on, d, ratio);
                return FroudeNumber(
                    on, ratio, d,
                    PartialVelocity(on, d, ratio, FullVelocity(on, 0.013f, slope, d)));
            };
            float yd = 0, ydBefore = 0;
            EXPECT_FLOAT_EQ(fr, state(found, yd));
            EXPECT_TRUE(fr > 1.1f || yd <= 0.70f) << d << " " << s;
            const float before = state(found - 0.001f, ydBefore);
            EXPECT_TRUE(before <= 1.1f && ydBefore > 0.70f) << d << " " << s;
        }
    EXPECT_GT(raised, 0);
}

// With a constant n, a reach 1 m wide running at y/D 0.76 with Fr = V/√(g·A/T) = 1.0 of
// its segment lies inside the band 0.9 … 1.1 and above y/D 0.70: its slope is raised.
TEST(HydraulicInverses, AvoidingCriticalFlowConstantModeUsesTheSegmentDepth) {
    HydraulicCriteria c = Criteria(false);
    c.froudeLower = 0.9f;
    c.froudeUpper = 1.1f;
    const float d = 1000, n = 0.013f, share = 0.92f;
    const double y = DepthRatio(c, d, share);
    ASSERT_GT(y, 0.72);
    const double theta = 2 * std::acos(1 - 2 * y);
    const double depth = (theta - std::sin(theta)) / 8 / std::sin(theta / 2);  // A/T over D
    // V grows with √S at a fixed share of Q0: the slope of Fr = 1.
    const double v1 = PartialVelocity(c, d, share, FullVelocity(c, n, 1.0f, d));
    const float s = static_cast<float>(9.81 * depth / (v1 * v1));
    const float q = share * FullFlow(c, n, s, d);
    const float v = PartialVelocity(c, d, q / FullFlow(c, n, s, d), FullVelocity(c, n, s, d));
    ASSERT_NEAR(v / std::sqrt(9.81 * depth), 1.0, 1e-3);
    float fr = 0;
    const float found = SlopeAvoidingCriticalFlow(c, s, q, d, n, fr);
    EXPECT_GT(found, s);
    EXPECT_TRUE(fr > 1.1f || DepthRatio(c, d, q / FullFlow(c, n, found, d)) <= 0.70f) << fr;
}

}  // namespace
}  // namespace nivex::design
