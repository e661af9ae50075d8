#include "design/junctions.h"

#include <gtest/gtest.h>

#include <cmath>

#include "design/reach_values.h"

namespace nivex::design {
namespace {

using network::TramoT;

TramoT Pipe(float d, float crownUp, float crownDown, int reachClass = 0) {
    TramoT t;
    t.Upstream = "A";
    t.Downstream = "B";
    t.Length = 50;
    t.Diameter = d;
    t.CrownUp = crownUp;
    t.CrownDown = crownDown;
    t.Slope = (crownUp - crownDown) * 2;
    t.ManningN = 0.013f;
    t.GroundUp = crownUp + 1.5f;
    t.GroundDown = crownDown + 1.5f;
    t.Class = reachClass;
    return t;
}

JunctionCriteria Criteria() {
    JunctionCriteria c;
    c.outletCrownDrop = 0.03f;
    c.minDropHeight = 0.75f;
    c.crownJoinDiameter = 600;
    c.crownJoinDrop = 0.30f;
    c.maxVelocity = 5;
    return c;
}

TEST(OutletCrownDrop, FollowsTheDiametersOfBothPipes) {
    const JunctionCriteria c = Criteria();
    EXPECT_FLOAT_EQ(OutletCrownDrop(c, 300, 300), 0.03f);  // equal: the configured drop
    EXPECT_FLOAT_EQ(OutletCrownDrop(c, 250, 300), 0.05f);  // smaller: inverts matched
    EXPECT_FLOAT_EQ(OutletCrownDrop(c, 350, 300), 0.0f);   // larger: nothing
}

TEST(TributaryDrop, SmallDropsStayInsideTheManholeLargerOnesGetADropPipe) {
    const JunctionCriteria c = Criteria();
    TramoT out = Pipe(400, 99.0f, 98.5f);
    TramoT in = Pipe(300, 100.0f, 99.40f);
    TributaryDrop(c, in, out);
    EXPECT_EQ(DropKind(in), kDropInManhole);
    EXPECT_EQ(DropPipeDiameter(in), 0);
    EXPECT_EQ(DropHeight(in), 0);

    in.CrownDown = 99.80f;
    TributaryDrop(c, in, out);
    EXPECT_EQ(DropKind(in), kDropPipe);
    EXPECT_EQ(DropPipeDiameter(in), 300);
    EXPECT_NEAR(DropHeight(in), 0.80f, 1e-5);

    in.CrownDown = 98.90f;  // arrives below: no drop
    TributaryDrop(c, in, out);
    EXPECT_EQ(DropKind(in), kDropNone);

    // A not-investigated tributary without its downstream crown has no drop; nor does
    // one into a not-investigated reach without upstream crown.
    TramoT unknown = Pipe(300, 100.0f, 0, network::kClassNotInvestigated);
    DropKind(unknown) = kDropPipe;
    TributaryDrop(c, unknown, out);
    EXPECT_EQ(DropKind(unknown), kDropNone);
    TramoT blind = Pipe(400, 0, 98.0f, network::kClassNotInvestigated);
    in.CrownDown = 99.80f;
    TributaryDrop(c, in, blind);
    EXPECT_EQ(DropKind(in), kDropNone);

    TramoT receiver = Pipe(400, 98.0f, 97.5f);
    TramoT current = Pipe(300, 99.5f, 98.90f);
    ReachDropIntoReceiver(c, current, receiver);
    EXPECT_EQ(DropKind(current), kDropPipe);
    EXPECT_NEAR(DropHeight(current), 0.90f, 1e-5);
}

TEST(UpstreamJunction, SmallTributariesAreMatchedAtCrownLevelUnderTheDropLimit) {
    const JunctionCriteria c = Criteria();
    const HydraulicCriteria h = DefaultCriteria();
    TramoT out = Pipe(700, 99.0f, 98.8f);
    const float level = 99.0f + 0.03f;
    // 0.20 m above the outgoing crown: matched, re-sloped in the readjusting sweep.
    TramoT near = Pipe(400, 99.3f, 99.2f);
    // 0.50 m above: a drop.
    TramoT high = Pipe(400, 99.6f, 99.5f);
    int resloped = 0;
    float target = 0;
    const Reslope reslope = [&](TramoT& t, float end) {
        ++resloped;
        target = end;
        t.CrownDown = end;
        return true;
    };
    std::vector<TramoT*> in = {&near, &high};
    const JunctionOutcome o = UpstreamJunction(c, h, out, in, 0.03f, 15, true, reslope);
    EXPECT_EQ(resloped, 1);
    EXPECT_NEAR(target, level, 1e-5);
    EXPECT_NEAR(near.CrownDown, level, 1e-5);
    EXPECT_EQ(DropKind(near), kDropNone);
    EXPECT_EQ(DropKind(high), kDropInManhole);  // 0.50 m: below the drop-pipe height
    EXPECT_NEAR(DeliveryLevel(near), level, 1e-5);
    EXPECT_NEAR(DeliveryLevel(high), level, 1e-5);
    EXPECT_NEAR(o.lowestIncoming, level, 1e-5);
    EXPECT_EQ(o.originTime, 15);

    // Outside the readjusting sweep nothing is re-sloped.
    TramoT again = Pipe(400, 99.3f, 99.2f);
    in = {&again};
    UpstreamJunction(c, h, out, in, 0.03f, 15, false, reslope);
    EXPECT_EQ(resloped, 1);
    EXPECT_NEAR(again.CrownDown, 99.2f, 1e-5);

    // A tributary that keeps its own slope (a steeper one would run near critical flow)
    // arrives 0.20 m above the outgoing crown and drops into the manhole.
    TramoT kept = Pipe(400, 99.3f, 99.2f);
    in = {&kept};
    UpstreamJunction(c, h, out, in, 0.03f, 15, true, [](TramoT&, float) { return false; });
    EXPECT_NEAR(kept.CrownDown, 99.2f, 1e-5);
    EXPECT_EQ(DropKind(kept), kDropInManhole);
    EXPECT_NEAR(DeliveryLevel(kept), level, 1e-5);

    // A tributary wider than the outgoing pipe is matched by the inverts: a 500 mm pipe
    // into a 300 mm one ends 0.20 m above its crown (both inverts at 98.70), never at the
    // crown, which would leave the outgoing invert 0.20 m above the incoming one.
    TramoT narrow = Pipe(300, 99.0f, 98.8f);
    TramoT wide = Pipe(500, 99.35f, 99.25f);
    in = {&wide};
    UpstreamJunction(c, h, narrow, in, 0.03f, 15, true, reslope);
    EXPECT_EQ(resloped, 2);
    EXPECT_NEAR(target, 99.20f, 1e-4);
    EXPECT_NEAR(wide.CrownDown - 0.5f, narrow.CrownUp - 0.3f, 1e-4);
}

TEST(UpstreamJunction, WithoutCrownMatchingEveryTributaryDrops) {
    JunctionCriteria c = Criteria();
    c.crownJoinDiameter = 0;
    const HydraulicCriteria h = DefaultCriteria();
    TramoT out = Pipe(700, 99.0f, 98.8f);
    TramoT in = Pipe(400, 100.2f, 99.9f);  // 0.87 m above the delivery level
    OriginTime(in) = 20;
    TravelTime(in) = 2.5f;
    std::vector<TramoT*> list = {&in};
    const JunctionOutcome o = UpstreamJunction(c, h, out, list, 0.03f, 15, true, nullptr);
    EXPECT_EQ(DropKind(in), kDropPipe);
    EXPECT_NEAR(DropHeight(in), 0.90f, 1e-5);
    EXPECT_DOUBLE_EQ(o.originTime, 22.5);
}

TEST(InletControlHead, UsesTheRatioOfManholeToPipe) {
    EXPECT_DOUBLE_EQ(JunctionCoefficient(800), 0.4);   // r = 1.5
    EXPECT_DOUBLE_EQ(JunctionCoefficient(400), 0.2);   // r = 3
    EXPECT_DOUBLE_EQ(JunctionCoefficient(300), 0.05);  // r = 4
    // A full 1000 mm pipe (Z above 0.62): H = a·Ki·(1.91 Z² + 0.7) with Ki = 1.5.
    const double z = 3.0 / std::sqrt(9.81);
    EXPECT_NEAR(InletControlHead(1000, 3000), 1.5 * (1.91 * z * z + 0.7), 1e-9);
    EXPECT_GT(InletControlHead(300, 20), 0);  // the critical-depth form
    EXPECT_EQ(InletControlHead(300, 0), 0);
}

TEST(TributaryEnergy, ADeepDropLeavesEnergyToSpare) {
    const JunctionCriteria c = Criteria();
    TramoT out = Pipe(400, 98.0f, 97.8f);
    RealVelocity(out) = 1.2f;
    RelativeDepth(out) = 0.5f;
    DesignFlow(out) = 60;
    TramoT in = Pipe(300, 100.0f, 99.0f);
    RealVelocity(in) = 2.0f;
    RelativeDepth(in) = 0.4f;
    FlowRatioQ(in) = 0.3f;
    const EnergyValues v = TributaryEnergy(c, HydraulicCriteria{}, in, out, 1.0f);
    EXPECT_GT(v.surplus, 0.5);
    EXPECT_NEAR(InvertDrop(in), 1.101f, 1e-4);  // 98.70 − 97.60 + 0.001
    EXPECT_NEAR(VelocityHeadIn(in), 0.20f, 1e-6);
    EXPECT_NEAR(JunctionInvertIn(in), 98.70f, 1e-4);
    // Arriving below the outgoing invert: a negative drop.
    in.CrownDown = 97.5f;
    EXPECT_LT(TributaryEnergy(c, HydraulicCriteria{}, in, out, 1.0f).invertDrop, 0);
}

TEST(EndOfPassMarks, CountCapacityMismatchesAndMarkAddedInitialManholes) {
    std::vector<TramoT> r(4);
    // 1 and 2 arrive at 3; 4 is an initial reach leaving the same manhole as 3.
    r[0] = Pipe(300, 100.0f, 99.50f);
    r[1] = Pipe(300, 100.0f, 99.00f);
    r[2] = Pipe(300, 99.45f, 99.0f);
    r[3] = Pipe(300, 99.20f, 99.0f);
    r[2].Upstream = r[3].Upstream = "M";
    r[2].GroundUp = r[3].GroundUp = 101.0f;
    DepthUp(r[2]) = 1.55f;
    TributaryCount(r[2]) = 2;
    TributaryRecord(r[2], 0) = 1;
    TributaryRecord(r[2], 1) = 2;
    DesignFlow(r[0]) = 50;
    FullFlowQ0(r[0]) = 49.95f;  // within 0.1 l/s
    DesignFlow(r[1]) = 50;
    FullFlowQ0(r[1]) = 49.0f;
    MarkCounts m = MarkInitialManholesAndMismatches(r, 4, false);
    EXPECT_EQ(m.insufficientCapacity, 1);
    EXPECT_EQ(m.mismatches, 1);  // reach 2 arrives 0.45 m below the outgoing invert
    EXPECT_EQ(JunctionMark(r[2]), 1);
    EXPECT_NEAR(ReferenceCrown(r[3]), 99.45f, 1e-4);
    EXPECT_NEAR(ReferenceCrown(r[0]), -100, 1e-4);
    EXPECT_EQ(NewInitialManhole(r[3]), 0);  // only in the readjusting sweep
    m = MarkInitialManholesAndMismatches(r, 4, true);
    EXPECT_EQ(NewInitialManhole(r[3]), 1);  // 0.25 m below the reference crown
    EXPECT_EQ(NewInitialManhole(r[2]), 0);
}

}  // namespace
}  // namespace nivex::design
