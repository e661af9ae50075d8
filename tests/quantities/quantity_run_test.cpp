#include <gtest/gtest.h>

#include "quantities/quantity_run.h"
#include "quantities/quantity_test_network.h"

namespace nivex::quantities {
namespace {

using testing::OneSector;
using testing::Reach;
using testing::RoundCriteria;

const QuantityTables& SystemOf(const QuantityResult& r, int system) {
    for (const SystemQuantities& s : r.systems)
        if (s.system == system) return s.tables;
    static const QuantityTables none;
    ADD_FAILURE() << "system " << system << " was not computed";
    return none;
}

const ManholeCell& NetworkManholes(const QuantityTables& t, int group, int column) {
    return t.manholes[static_cast<size_t>(group)][kNetworkRow][static_cast<size_t>(column)];
}

// Three reaches A-B-C-D (positions: 300 mm is 1, 450 mm is 2), the last one with a drop.
//   1: L 50, D 300, crowns 1.20/1.50, mean 1.35: H 1.65, range 1, B 0.80 m
//   2: L 40, D 300, crowns 1.50/2.30, mean 1.90: H 2.20, range 2, B 0.90 m
//   3: L 30, D 450, crowns 2.30/2.10, mean 2.20: H 2.65, range 2, B 1.05 m
TEST(QuantityRun, SmallNetworkGivesTheQuantitiesComputedByHand) {
    network::TramoT third = Reach("C", "D", 30, 450, 2.3f, 2.1f);
    design::DropPipeDiameter(third) = 300;
    design::DropHeight(third) = 0.8f;
    const QuantityResult r =
        ComputeQuantityTables(OneSector({Reach("A", "B", 50, 300, 1.2f, 1.5f),
                                         Reach("B", "C", 40, 300, 1.5f, 2.3f), third}),
                              RoundCriteria());
    ASSERT_FALSE(r.fault);
    ASSERT_EQ(r.systems.size(), 1u);
    const QuantityTables& t = SystemOf(r, kSystemNew);

    // Excavation (all common material in the dry):
    //   1: 0.80 × 1.65 × 50 = 66 in range 1
    //   2: 2 × 0.90 × 40 = 72 in range 1, (2.20 − 2) × 0.90 × 40 = 7.2 → 7 in range 2
    //   3: 2 × 1.05 × 30 = 63 in range 1, 0.65 × 1.05 × 30 = 20.475 → 20 in range 2
    EXPECT_EQ(t.excavation[1][1], 201);
    EXPECT_EQ(t.excavation[1][2], 27);
    EXPECT_EQ(t.excavation[1][3], 0);
    EXPECT_EQ(t.excavation[1][4], 0);
    EXPECT_EQ(t.excavation[1][5], 228);
    EXPECT_EQ(t.excavation[7][5], 228);
    EXPECT_EQ(t.excavation[2][5], 0);

    // Fill: 228 less the pipes, 0.7854 × (0.09 × 50 + 0.09 × 40 + 0.2025 × 30) = 11.13.
    EXPECT_EQ(t.fill[0], 217);
    EXPECT_EQ(t.fill[3], 217);

    // Gravel from range 1: (0.30 + D) × L × D/3 → 0.6 × 50 × 0.1 = 3, 0.6 × 40 × 0.1 = 2.4
    // → 2, 0.75 × 30 × 0.15 = 3.375 → 3.
    EXPECT_EQ(t.bedding[0], 8);
    EXPECT_EQ(t.bedding[1], 0);
    EXPECT_EQ(t.bedding[2], 8);

    // Manholes by their deepest invert: A 1.50, B 1.80, C 2.75 (the 450 leaving it),
    // D 2.55; M1 = 2 puts two in range 1 and two in range 2, all of 1.20 m.
    EXPECT_EQ(NetworkManholes(t, kManhole120, 1).count, 2);
    EXPECT_NEAR(NetworkManholes(t, kManhole120, 1).depthSum, 3.30, 1e-9);
    EXPECT_EQ(NetworkManholes(t, kManhole120, 2).count, 2);
    EXPECT_NEAR(NetworkManholes(t, kManhole120, 2).depthSum, 5.30, 1e-9);
    EXPECT_EQ(NetworkManholes(t, kManhole120, 2).meanDepth, 2.65);
    EXPECT_EQ(NetworkManholes(t, kManhole120, 5).count, 4);
    EXPECT_EQ(NetworkManholes(t, kManhole120, 5).meanDepth, 2.15);
    EXPECT_EQ(NetworkManholes(t, kManhole180, 5).count, 0);

    // Pipes: range 1 has 50 m of 300; range 2 has 40 m of 300 and 30 m of 450.
    EXPECT_EQ(t.pipes[1][1].length, 50);
    EXPECT_EQ(t.pipes[1][1].meanDepth, 1.65);
    EXPECT_EQ(t.pipes[2][1].length, 40);
    EXPECT_EQ(t.pipes[2][2].length, 30);
    EXPECT_EQ(t.pipes[2][2].meanDepth, 2.65);
    const size_t total = static_cast<size_t>(t.sizeCount) + 1;
    EXPECT_EQ(t.pipes[2][total].length, 70);
    EXPECT_EQ(t.pipes[2][total].count, 2);
    EXPECT_EQ(t.pipes[2][total].meanDepth, 2.39);  // 167.5 / 70
    EXPECT_EQ(t.pipeTotal.length, 120);
    EXPECT_EQ(t.pipeTotal.meanDepth, 2.08);  // 250 / 120

    // Connections: 0.1 a metre; the drop at the 450 and among all drops.
    EXPECT_EQ(t.connections[1], 9);
    EXPECT_EQ(t.connections[2], 3);
    EXPECT_EQ(t.connections[total], 12);
    EXPECT_EQ(t.drops[2].count, 1);
    EXPECT_EQ(t.drops[0].count, 1);
    EXPECT_NEAR(t.drops[0].meanHeight, 0.8, 1e-6);

    // Statistics.
    EXPECT_EQ(t.statisticsA[kReachCount], 3);
    EXPECT_EQ(t.statisticsA[kTotalLength], 120);
    EXPECT_EQ(t.statisticsA[kMeanVelocity], 0.8);
    EXPECT_EQ(t.statisticsB[kManholeCount], 4);
    EXPECT_NEAR(t.statisticsB[kMeanManholeDepth], 2.15, 1e-9);
    EXPECT_EQ(t.statisticsB[kLengthPerManhole], 30);
    EXPECT_EQ(t.statisticsB[kExcavationPerMetre], 1.9);
    EXPECT_EQ(t.statisticsB[kMeanSize], 350);  // (2 × 300 + 450) / 3
    EXPECT_EQ(t.statisticsB[kLargestDiameter], 450);
    EXPECT_EQ(t.statisticsB[kDropCount], 1);
    EXPECT_EQ(t.sixteenthValue, 7);
}

TEST(QuantityRun, BeddingThicknessFollowsTheDiameterBetweenItsBounds) {
    struct Case {
        float diameter;
        float crown;  // puts H in the range wanted
        double gravel, concrete;
    };
    // L = 100: gravel (0.30 + D) × 100 × clamp(D/3, 0.10, 0.30), concrete with D/4.
    const Case cases[] = {
        {300, 1.0f, 6, 0},    // 0.10 m: 0.6 × 100 × 0.1
        {600, 1.0f, 18, 0},   // 0.20 m: 0.9 × 100 × 0.2
        {1200, 0.5f, 45, 0},  // 0.40 capped at 0.30: 1.5 × 100 × 0.3
        {600, 3.0f, 0, 14},   // range 3 takes concrete, 0.15 m: 0.9 × 100 × 0.15 = 13.5
    };
    for (const Case& c : cases) {
        const QuantityResult r = ComputeQuantityTables(
            OneSector({Reach("A", "B", 100, c.diameter, c.crown, c.crown)}), RoundCriteria());
        const QuantityTables& t = SystemOf(r, kSystemNew);
        EXPECT_EQ(t.bedding[0], c.gravel) << c.diameter;
        EXPECT_EQ(t.bedding[1], c.concrete) << c.diameter;
    }
    // Without a concrete code the gravel goes on into range 4.
    specs::EspecT e = RoundCriteria();
    e.ConstructionData[specs::kBeddingConcreteCode] = 0;
    const QuantityResult deep =
        ComputeQuantityTables(OneSector({Reach("A", "B", 100, 300, 4.5f, 4.5f)}), e);
    EXPECT_EQ(SystemOf(deep, kSystemNew).bedding[0], 6);
    EXPECT_EQ(SystemOf(deep, kSystemNew).bedding[1], 0);
}

TEST(QuantityRun, ReachExactlyAtTheFirstLimitIsAllInTheFirstRange) {
    // H = 0.30 + 1.70 = 2.00 = E1 (the crown depth stored as 1.70000005); B = 0.80.
    const QuantityResult r =
        ComputeQuantityTables(OneSector({Reach("A", "B", 10, 300, 1.7f, 1.7f)}), RoundCriteria());
    const QuantityTables& t = SystemOf(r, kSystemNew);
    EXPECT_EQ(t.excavation[1][1], 16);
    EXPECT_EQ(t.excavation[1][2], 0);
    EXPECT_EQ(t.pipes[1][1].length, 10);
    // Both manholes are 2.00 m deep: M1 = 2 keeps them in the first depth range.
    EXPECT_EQ(NetworkManholes(t, kManhole120, 1).count, 2);
}

TEST(QuantityRun, ManholesSharedWithReachesOutsideTheSystem) {
    // A new reach into B, an existing one out of it: B is an existing manhole.
    const QuantityResult shared = ComputeQuantityTables(
        OneSector({Reach("A", "B", 50, 300, 1.2f, 1.5f),
                   Reach("B", "C", 50, 300, 1.5f, 1.8f, network::kClassExisting)}),
        RoundCriteria());
    const QuantityTables& t = SystemOf(shared, kSystemNew);
    EXPECT_EQ(t.statisticsB[kManholeCount], 1);  // A only
    EXPECT_EQ(t.pipeTotal.length, 50);

    // Stage 1 reaches 2.10 m deep at B; the unstaged one leaving B is 2.60 m deep there: the
    // stage counts B at 2.60.
    network::TramoT built = Reach("A", "B", 50, 300, 1.5f, 1.8f);
    built.Diseno.ConstructionStage = 1;
    network::TramoT later = Reach("B", "C", 50, 300, 2.3f, 2.5f);
    const QuantityResult staged =
        ComputeQuantityTables(OneSector({built, later}, {}, 1), RoundCriteria());
    const QuantityTables& stage = SystemOf(staged, kFirstStageSystem);
    EXPECT_EQ(NetworkManholes(stage, kManhole120, 5).count, 2);  // A 1.80 and B 2.60
    EXPECT_NEAR(NetworkManholes(stage, kManhole120, 5).depthSum, 1.8 + 2.6, 1e-9);
    EXPECT_EQ(NetworkManholes(stage, kManhole120, 2).count, 1);
    EXPECT_EQ(stage.pipeTotal.length, 50);
}

TEST(QuantityRun, StageSystemsTakeEarlierStagesAsBuilt) {
    network::TramoT one = Reach("A", "B", 10, 300, 1.2f, 1.2f);
    one.Diseno.ConstructionStage = 1;
    network::TramoT two = Reach("B", "C", 20, 300, 1.2f, 1.2f);
    two.Diseno.ConstructionStage = 2;
    network::TramoT three = Reach("C", "D", 40, 300, 1.2f, 1.2f);
    three.Diseno.ConstructionStage = 3;
    network::TramoT none = Reach("D", "E", 80, 300, 1.2f, 1.2f);
    const QuantityResult r =
        ComputeQuantityTables(OneSector({one, two, three, none}, {}, 3), RoundCriteria());
    ASSERT_EQ(r.systems.size(), 4u);
    EXPECT_EQ(SystemOf(r, kSystemNew).pipeTotal.length, 150);
    const QuantityTables& second = SystemOf(r, kFirstStageSystem + 1);
    EXPECT_EQ(second.pipeTotal.length, 20);
    // B is a built manhole (stage 1); C is counted (stage 3 and unstaged are not built).
    EXPECT_EQ(second.statisticsB[kManholeCount], 1);
    EXPECT_EQ(SystemOf(r, kFirstStageSystem).statisticsB[kManholeCount], 2);
    EXPECT_EQ(SystemOf(r, kFirstStageSystem + 2).pipeTotal.length, 40);
}

TEST(QuantityRun, AddedInitialManholeIsCountedByItsDepth) {
    network::TramoT t = Reach("A", "B", 50, 300, 3.5f, 1.5f);
    design::NewInitialManhole(t) = 1;  // 0.30 + 1000 − 996.5 = 3.80 m > M2
    const QuantityResult r = ComputeQuantityTables(OneSector({t}), RoundCriteria());
    const auto& added = SystemOf(r, kSystemNew).manholes[kManhole120][kAddedRow];
    EXPECT_EQ(added[3].count, 1);
    EXPECT_NEAR(added[3].depthSum, 3.8, 1e-4);
    EXPECT_EQ(added[5].count, 1);
    EXPECT_EQ(SystemOf(r, kSystemNew).statisticsB[kManholeCount], 3);
}

TEST(QuantityRun, OnlyExistingReachesGiveOnlyTheRemovals) {
    network::TramoT kept = Reach("A", "B", 50, 300, 1.2f, 1.5f, network::kClassExisting);
    network::TramoT gone = Reach("X", "Y", 30.4f, 200, 1.0f, 1.0f, network::kClassExisting);
    network::TramoT odd = Reach("Y", "Z", 20, 350, 1.0f, 1.0f, network::kClassExisting);
    QuantityInput input = OneSector({kept}, {gone, odd});
    input.hasNewReach = false;
    const QuantityResult r = ComputeQuantityTables(input, RoundCriteria());
    EXPECT_TRUE(r.systems.empty());
    for (const QuantityTables* t : {&r.newWithRemovals, &r.totalWithRemovals}) {
        EXPECT_EQ(t->pipeTotal.length, 0);
        EXPECT_EQ(t->removals[1].length, 30);  // 200 mm raised to the first size
        // Σ L·H over the length in whole metres: 30.4 × 1.30 / 30.
        EXPECT_NEAR(t->removals[1].meanDepth, 30.4 * 1.3 / 30, 1e-5);
        EXPECT_EQ(t->removals[static_cast<size_t>(t->sizeCount) + 1].length, 20);
        EXPECT_EQ(t->removalTotal.length, 30);  // the sizes outside the list are apart
        EXPECT_EQ(t->removals[0].length, 0);
        EXPECT_EQ(t->sixteenthValue, 7);
    }
    EXPECT_EQ(r.manholeClasses.size(), 2u);
}

TEST(QuantityRun, DiameterOutsideTheListStopsAtThatReach) {
    network::TramoT stage = Reach("B", "C", 10, 350, 1.2f, 1.2f);
    stage.Diseno.ConstructionStage = 1;
    const QuantityResult r = ComputeQuantityTables(
        OneSector({Reach("A", "B", 10, 300, 1.2f, 1.2f), stage}, {}, 1), RoundCriteria());
    ASSERT_TRUE(r.fault);
    EXPECT_EQ(r.fault->line, 2);
    EXPECT_TRUE(r.systems.empty());  // the new system met it first
    EXPECT_EQ(DiameterFaultMessage(*r.fault),
              "... ERROR .. hay un diametro no especificado ...\r    LINEA [2]    TRAMO [B] - "
              "[C]\rRevise los datos de los tramos antes de continuar");
}

TEST(QuantityRun, ManholeClassesFollowTheGoverningDiameter) {
    network::TramoT big = Reach("B", "C", 10, 1200, 1.2f, 1.2f);
    const QuantityResult r =
        ComputeQuantityTables(OneSector({Reach("A", "B", 10, 600, 1.2f, 1.2f),
                                         Reach("D", "B", 10, 900, 1.2f, 1.2f), big}),
                              RoundCriteria());
    // Sorted: A (600), B (1200 leaving it), C (the last reach's), D (900).
    EXPECT_EQ(r.manholeClasses, (std::vector<int>{1, 3, 3, 2}));
    const QuantityTables& t = SystemOf(r, kSystemNew);
    EXPECT_EQ(t.manholes[kManholeSpecial][kNetworkRow][5].count, 2);
    EXPECT_EQ(t.manholes[kManhole180][kNetworkRow][5].count, 1);
}

}  // namespace
}  // namespace nivex::quantities
