// The partial-flow tables against the geometry of a circular segment and of an open
// rectangle, and the end values and limits of their lookups.

#include "design/hydraulic_tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <thread>
#include <vector>

#include "design/hydraulics.h"

namespace nivex::design {
namespace {

// Circular segment at relative depth y: area over D², and Q/Q0, V/V0 with a constant n.
struct Segment {
    double area, flowRatio, velocityRatio;
};
Segment SegmentAt(double y) {
    const double theta = 2.0 * std::acos(1.0 - 2.0 * y);
    const double area = (theta - std::sin(theta)) / 8.0;  // A/D²
    const double perimeter = theta / 2.0;                 // P/D
    const double fullArea = std::numbers::pi / 4.0, fullRadius = 0.25;
    const double radiusRatio = (area / perimeter) / fullRadius;
    const double v = std::pow(radiusRatio, 2.0 / 3.0);
    return {area, area / fullArea * v, v};
}
// The lower depth at which the segment carries q (bisection below the peak flow).
double SegmentDepthOf(double q) {
    double lo = 0, hi = 0.938;
    for (int i = 0; i < 60; ++i) {
        const double mid = (lo + hi) / 2;
        (SegmentAt(mid).flowRatio < q ? lo : hi) = mid;
    }
    return (lo + hi) / 2;
}

HydraulicCriteria Mode(bool variable) {
    HydraulicCriteria c = DefaultCriteria();
    c.variableRelations = variable;
    return c;
}

TEST(HydraulicTables, ConstantModePipeTablesFollowTheCircularSegment) {
    const HydraulicCriteria c = Mode(false);
    for (int k = 1; k <= 99; ++k) {
        const double y = k / 100.0;
        EXPECT_NEAR(QdConstTable().at(k), SegmentAt(y).flowRatio, 2e-3) << k;
        // Between the tabulated points the lookup interpolates.
        EXPECT_NEAR(FlowRatioFromDepth(c, static_cast<float>(y + 0.005)),
                    std::min(1.0, SegmentAt(y + 0.005).flowRatio), 3e-3)
            << k;
    }
    for (int k = 2; k <= 99; ++k) {
        const double q = k / 100.0 + 0.004;
        const double depth = SegmentDepthOf(q);
        EXPECT_NEAR(DepthRatio(c, 300, static_cast<float>(q)), depth, 3e-3) << q;
        EXPECT_NEAR(PartialVelocity(c, 300, static_cast<float>(q), 2.0f),
                    2.0 * SegmentAt(depth).velocityRatio, 2.0 * 3e-3)
            << q;
    }
    // The table runs past the full pipe up to the peak flow (1.076 at y/D 0.938).
    EXPECT_NEAR(YqConstTable().at(107), SegmentDepthOf(1.07), 2e-3);
}

TEST(HydraulicTables, GeometryTablesMatchTheSegment) {
    for (int k = 1; k <= 100; ++k) {
        const double y = k / 100.0;
        const double half = std::acos(1.0 - 2.0 * y);
        EXPECT_NEAR(HalfAngle(static_cast<float>(y)), half, 6e-5) << k;
        EXPECT_NEAR(TopWidthRatio(static_cast<float>(y)), k == 100 ? 0.0 : std::sin(half), 6e-5);
        EXPECT_NEAR(AreaTable().at(k), SegmentAt(y).area, 5e-4) << k;
        if (k <= 99) {
            const double a = SegmentAt(y).area, t = std::sin(half);
            EXPECT_NEAR(SectionFactorTable().at(k), std::sqrt(a * a * a / t), 1.5e-3) << k;
        }
    }
    EXPECT_FLOAT_EQ(HalfAngle(0.01f), 0.2003f);
    EXPECT_FLOAT_EQ(HalfAngle(0.5f), 1.5708f);
    EXPECT_FLOAT_EQ(HalfAngle(1.0f), 3.1416f);
    EXPECT_FLOAT_EQ(TopWidthRatio(0.01f), 0.199f);
    EXPECT_FLOAT_EQ(TopWidthRatio(0.5f), 1.0f);
    EXPECT_FLOAT_EQ(AreaRatio(1.005f), 0.7854f);
    EXPECT_FLOAT_EQ(AreaRatio(0.005f), 0.0013f);
    for (float outside : {-0.01f, 1.02f, NAN})
        EXPECT_EQ(HalfAngle(outside) + TopWidthRatio(outside) + AreaRatio(outside), 0.0f);
}

TEST(HydraulicTables, R0RFallsToItsMinimumAndRisesAfterIt) {
    const RatioTable t = R0RTable();
    EXPECT_FLOAT_EQ(t.at(23), 1.305f);
    EXPECT_FLOAT_EQ(t.at(24), 1.277f);
    EXPECT_FLOAT_EQ(t.at(25), 1.251f);
    int lowest = 0;
    for (int k = 1; k <= 100; ++k)
        if (t.at(k) < t.at(lowest)) lowest = k;
    for (int k = 1; k <= lowest; ++k)
        EXPECT_LE(t.at(k), t.at(k - 1)) << k;
    for (int k = lowest + 1; k <= 100; ++k)
        EXPECT_GE(t.at(k), t.at(k - 1)) << k;
    EXPECT_GT(lowest, 70);
    EXPECT_FLOAT_EQ(t.at(100), 1.0f);
}

// The searches rely on these shapes: inverse lookups bisect ascending tables, and the
// real-velocity search on V growing with S (V/V0 growing slower than Q/Q0 falls).
TEST(HydraulicTables, TablesHaveTheShapesTheSearchesNeed) {
    for (const RatioTable& t : {YdVarTable(), SectionFactorTable()})
        for (int k = t.first + 1; k <= t.last; ++k)
            EXPECT_GT(t.at(k), t.at(k - 1)) << k;
    const RatioTable v = VqConstTable();
    for (int k = 1; k < 105; ++k) {
        const double slope = (v.at(k + 1) - v.at(k)) * 100;  // d(V/V0)/dq
        for (double q : {k / 100.0, (k + 1) / 100.0})
            EXPECT_LT(q * slope / (v.at(k) + slope * (q - k / 100.0)), 0.5) << k;
    }
}

TEST(HydraulicTables, DuctTablesFollowTheOpenRectangle) {
    for (bool variable : {false, true}) {
        const DuctRelations& d = DuctTables(variable);
        for (int k = 1; k <= 100; ++k) {
            const double x = k / 100.0;
            // Area x·H², wetted perimeter (1 + 2x)·H; full: H² over 3H.
            const double v = std::pow((x / (1.0 + 2.0 * x)) / (1.0 / 3.0), 2.0 / 3.0);
            const double f = variable ? DuctDepthFactor(x) : 1.0;
            EXPECT_NEAR(d.velocityByDepth[k], f * v, 1e-6);
            EXPECT_NEAR(d.flowByDepth[k], f * x * v, 1e-6);
        }
        EXPECT_FLOAT_EQ(d.depthByFlow[100], 1.0f);
        EXPECT_FLOAT_EQ(d.depthByVelocity[100], 1.0f);
        // V/V0 is 0.0953 already at x = 0.01: the first entries fall below the table.
        EXPECT_FLOAT_EQ(d.depthByVelocity[5], 0.0f);
    }
    const DuctRelations& c = DuctTables(false);
    for (int k = 1; k < 100; ++k) {  // the inverse brings the forward table back
        const double x = c.depthByFlow[k];
        const double q = x * std::pow(3.0 * x / (1.0 + 2.0 * x), 2.0 / 3.0);
        EXPECT_NEAR(q, k / 100.0, 2e-3) << k;
    }
    EXPECT_DOUBLE_EQ(DuctDepthFactor(0.04), 1.0);
    EXPECT_NEAR(DuctDepthFactor(0.05), 0.41, 1e-12);
    EXPECT_NEAR(DuctDepthFactor(0.25), 0.785, 1e-12);
    EXPECT_NEAR(DuctDepthFactor(0.95), 0.97, 1e-12);
    EXPECT_DOUBLE_EQ(DuctDepthFactor(1.0), 1.0);
}

TEST(HydraulicTables, LookupsKeepTheirLimits) {
    const RatioTable t = YdVarTable();
    EXPECT_FLOAT_EQ(ForwardLookup(t, 0.005, 100, 1.0f, 0.061f), 0.061f);
    EXPECT_FLOAT_EQ(ForwardLookup(t, -3.0, 100, 1.0f, 0.061f), 0.061f);
    EXPECT_FLOAT_EQ(ForwardLookup(t, INFINITY, 100, 1.0f, 0.061f), 1.0f);
    EXPECT_FLOAT_EQ(ForwardLookup(t, 0.015, 100, 1.0f, 0.061f), 0.080f);
    EXPECT_FLOAT_EQ(InverseLookup(t, 0.02, 1.0f), 0.01f);
    EXPECT_FLOAT_EQ(InverseLookup(t, 0.95, 1.0f), 1.0f);
    EXPECT_NEAR(InverseLookup(t, 0.080, 1.0f), 0.015, 1e-6);
    EXPECT_FLOAT_EQ(CriticalDepthRatio(0.2459f), 0.5f);
    EXPECT_FLOAT_EQ(CriticalDepthRatio(2.0f), 0.99f);
    EXPECT_FLOAT_EQ(CriticalDepthRatio(0.0f), 0.01f);
}

TEST(HydraulicTables, AreBuiltOnceForEveryThread) {
    std::vector<std::thread> threads;
    std::vector<float> seen(4);
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back(
            [&seen, i] { seen[i] = YqConstTable().at(50) + DuctTables(true).flowByDepth[50]; });
    for (auto& t : threads)
        t.join();
    for (float v : seen)
        EXPECT_EQ(v, seen[0]);
}

}  // namespace
}  // namespace nivex::design
