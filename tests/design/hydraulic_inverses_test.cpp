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

TEST(HydraulicInverses, SlopeForTractiveForce) {
    const HydraulicCriteria c = Criteria(false);
    HydraulicCriteria none = c;
    none.designClass = 7;
    for (float d : {145.0f, 227.0f, 452.0f, 900.0f})
        for (float share : {0.05f, 0.2f, 0.5f, 0.8f})
            for (float tau : {0.10f, 0.15f, 0.3f}) {
                const float q = share * FullFlow(c, 0.013f, 0.5f, d);
                const float s = SlopeForTractiveForce(c, tau, d, 0.013f, q);
                ASSERT_GT(s, 0.0f);
                const float at = TractiveForce(none, q / FullFlow(c, 0.013f, s, d), d, s);
                const float fullRadiusSlope = tau / (1000 * d / 4000) * 100;  // γ·R·S = τ
                if (std::fabs(s - fullRadiusSlope) < 1e-6f * s) {
                    // The flow fills the pipe at that slope: it stays, with τ above target.
                    EXPECT_GE(at, tau) << d << " " << share << " " << tau;
                } else {
                    // One step through the R0/R table: the force lands on the target
                    // within the scatter of the tables.
                    EXPECT_NEAR(at, tau, 0.03 * tau + 0.01) << d << " " << share << " " << tau;
                }
            }
    // A flow that fills the section at the full-radius slope keeps that slope.
    EXPECT_FLOAT_EQ(SlopeForTractiveForce(c, 0.15f, 300, 0.013f, 1e6f), 100 * 0.15f / 75);
    EXPECT_FLOAT_EQ(SlopeForTractiveForce(c, 0.0f, 300, 0.013f, 10), 0.0f);
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
                    ratio, d, PartialVelocity(on, d, ratio, FullVelocity(on, 0.013f, slope, d)));
            };
            float yd = 0, ydBefore = 0;
            EXPECT_FLOAT_EQ(fr, state(found, yd));
            EXPECT_TRUE(fr > 1.1f || yd <= 0.70f) << d << " " << s;
            const float before = state(found - 0.001f, ydBefore);
            EXPECT_TRUE(before <= 1.1f && ydBefore > 0.70f) << d << " " << s;
        }
    EXPECT_GT(raised, 0);
}

}  // namespace
}  // namespace nivex::design
