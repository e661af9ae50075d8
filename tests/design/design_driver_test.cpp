#include "design/design_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "console/codepage.h"
#include "design/design_internal.h"
#include "design/reach_values.h"
#include "design_rig.h"

namespace nivex::design::test {
namespace {

class DesignDriver : public DesignRig {};

TEST_F(DesignDriver, ANetworkOfOneReachIsItsOwnFinalReach) {
    TramoT t = Reach("A", "B", 101, 100, 2);
    t.PointFlow = 60;  // more than the smallest pipe takes
    Network({t});
    // What the design makes stale goes.
    for (const std::string& stale : {p_.files.path("SANNEWQ."), p_.files.path("SANEQ1."),
                                     p_.files.problems(), p_.files.rasDeficiencies()})
        std::ofstream(stale) << "x";
    const std::string kept = p_.files.path("SANNEWQ.AB2");
    std::ofstream(kept) << "x";
    ASSERT_TRUE(Design());
    for (const std::string& stale : {p_.files.path("SANNEWQ."), p_.files.path("SANEQ1."),
                                     p_.files.problems(), p_.files.rasDeficiencies()})
        EXPECT_FALSE(std::filesystem::exists(stale)) << stale;
    EXPECT_TRUE(std::filesystem::exists(kept));
    std::vector<TramoT> z = Zsdb();
    ASSERT_EQ(z.size(), 1u);
    // The last reach keeps its imposed minimum, as every outfall does, and takes the slope
    // that carries its flow: Manning full flow by hand, A = pi D^2/4, R = D/4.
    EXPECT_EQ(z[0].Diameter, p_.espec.MinSanitaryDiameter);
    const double d = z[0].Diameter / 1000.0, n = std::fabs(z[0].ManningN);
    const double q0 = 1000.0 / n * (M_PI * d * d / 4) * std::pow(d / 4, 2.0 / 3.0) *
                      std::sqrt(z[0].Slope / 100.0);
    EXPECT_GE(q0 * 1.001, 60.0);
    EXPECT_LE(FlowRatioQ(z[0]), 1.0f);
    ASSERT_EQ(result_.finalReaches.size(), 1u);
    EXPECT_EQ(result_.finalReaches[0].record, 1);
    EXPECT_EQ(result_.finalReaches[0].diameter, static_cast<int>(z[0].Diameter));
    EXPECT_FLOAT_EQ(result_.finalReaches[0].depth, DepthDown(z[0]));
    EXPECT_EQ(result_.insufficientCapacity, 0);
    // The stage flags: prepared and designed, quantities and budget to do again.
    p_.espec = specs::EspecT{};
    ASSERT_TRUE(p_.OpenControl());
    std::string error;
    ASSERT_TRUE(specs::LoadDesignCriteria(p_.control, p_.header, p_.espec, &error));
    p_.CloseControl();
    EXPECT_EQ(p_.header.StageDone, (std::array<uint8_t, 4>{1, 1, 0, 0}));
    EXPECT_EQ(p_.header.DesignCounters[0], 1);    // final reaches
    EXPECT_EQ(p_.header.DesignCounters[1], 200);  // mean ground slope 2.00 %
    EXPECT_EQ(p_.espec.HasNewReach, 1);
    EXPECT_EQ(p_.espec.HasExistingReach, 0);
    const std::string evolution = Evolution();
    EXPECT_NE(evolution.find(cp("voy a reajustar el diseño del proyecto")), std::string::npos);
    EXPECT_NE(evolution.find("TRAMO [A] - [B] "), std::string::npos);
}

TEST_F(DesignDriver, ExistingReachesAreReplacedOnlyWhenTheAnswersSaySo) {
    TramoT e = Fixed(Reach("B", "C", 100, 99.5f, 2), network::kClassExisting, 200, 98.9f, 98.8f);
    TramoT a = Reach("A", "B", 101, 100);
    a.PointFlow = 80;  // far beyond the existing pipe
    Network({a, e});
    ASSERT_TRUE(Design());
    std::vector<TramoT> z = Zsdb();
    ASSERT_EQ(z.size(), 2u);  // the default answers append nothing
    EXPECT_EQ(z[1].Class, network::kClassExisting);
    EXPECT_EQ(z[1].Diameter, 200);
    EXPECT_EQ(result_.insufficientCapacity, 1);

    ASSERT_TRUE(Design("SNSS"));
    z = Zsdb();
    ASSERT_EQ(z.size(), 3u);
    EXPECT_EQ(z[1].Class, network::kClassNew);
    EXPECT_GT(z[1].Diameter, 200);
    EXPECT_GE(FullFlowQ0(z[1]) + 0.1f, DesignFlow(z[1]));
    EXPECT_EQ(z[2].Class, network::kClassExisting);  // the pipe that was there
    EXPECT_EQ(z[2].Diameter, 200);
    EXPECT_EQ(result_.insufficientCapacity, 0);
    EXPECT_EQ(result_.counters.replacements, 2);
}

// The count of the results screen: new reaches with either end below the desirable depth
// once shown in centimetres; reaches beyond the network and fixed reaches are not counted.
TEST(DeeperThanDesirable, NewReachesWithEitherEndBelowTheDesirableDepth) {
    EXPECT_FALSE(DeeperThanDesirable(4.004, 4.0));  // 4.00 m as shown
    EXPECT_TRUE(DeeperThanDesirable(4.006, 4.0));   // 4.01 m
    EXPECT_FALSE(DeeperThanDesirable(std::nan(""), 4.0));
    auto reach = [](int state, float up, float down, int type = 0) {
        network::TramoT t;
        t.Class = state;
        t.Type = type;
        DepthUp(t) = up;
        DepthDown(t) = down;
        return t;
    };
    const std::vector<network::TramoT> records = {
        reach(network::kClassNew, 4.3f, 3.0f),       // upstream 0.3 m deeper
        reach(network::kClassNew, 3.0f, 4.3f, 2),    // an outfall's lower end
        reach(network::kClassNew, 3.7f, 3.7f),       // 0.3 m shallower
        reach(network::kClassNew, 5.5f, 5.5f),       // beyond the maximum too
        reach(network::kClassExisting, 4.3f, 4.3f),  // built so
        reach(network::kClassNew, 4.3f, 4.3f),       // not a reach of the network
    };
    EXPECT_EQ(NewReachesDeeperThanDesirable(records, 5, 4.0), 3);
    EXPECT_EQ(NewReachesDeeperThanDesirable(records, 6, 4.0), 4);
    EXPECT_EQ(NewReachesDeeperThanDesirable(records, 5, 6.0), 0);
}

TEST_F(DesignDriver, AReachStartsAtItsLowestTributaryCrown) {
    // Both tributaries arrive deeper than the ground minus the minimum depth.
    TramoT t1 = Fixed(Reach("A", "M", 101, 100), network::kClassExisting, 250, 97.8f, 97.5f);
    TramoT t2 = Fixed(Reach("B", "M", 101, 100), network::kClassExisting, 250, 97.6f, 97.2f);
    Network({t1, t2, Reach("M", "N", 100, 99.5f, 2)});
    ASSERT_TRUE(Design());
    std::vector<TramoT> z = Zsdb();
    EXPECT_LE(z[2].CrownUp, 97.2f + 1e-4f);
    EXPECT_GE(z[2].CrownUp, 97.2f - 0.03f - 1e-4f);
}

TEST_F(DesignDriver, TheOutgoingCrownDropsByTheConfiguredAmountBetweenEqualPipes) {
    Criteria([](specs::EspecT& e, shell::ProyectoT&) { e.OutletCrownLowering = 0.03f; });
    Network({Reach("A", "B", 101, 100.5f), Reach("B", "C", 100.5f, 100, 2)});
    ASSERT_TRUE(Design());
    std::vector<TramoT> z = Zsdb();
    ASSERT_EQ(z[0].Diameter, z[1].Diameter);
    EXPECT_NEAR(z[1].CrownUp, z[0].CrownDown - 0.03f, 1e-4);

    // A larger outgoing pipe keeps the crown of the pipe arriving.
    TramoT b = Reach("B", "C", 100.5f, 100, 2);
    b.PointFlow = 120;
    Network({Reach("A", "B", 101, 100.5f), b});
    ASSERT_TRUE(Design());
    z = Zsdb();
    ASSERT_GT(z[1].Diameter, z[0].Diameter);
    EXPECT_NEAR(z[1].CrownUp, z[0].CrownDown, 1e-4);
}

TEST(DropChambers, OneEveryStepBetweenTheDepthLimits) {
    EXPECT_EQ(detail::IntermediateDropChambers(9.00, 5.00, 1.00), 1);
    EXPECT_EQ(detail::IntermediateDropChambers(9.10, 5.00, 1.00), 2);
    EXPECT_EQ(detail::IntermediateDropChambers(5.00, 5.00, 1.00), 0);
    EXPECT_EQ(detail::IntermediateDropChambers(13.00, 5.00, 1.00), 2);
}

TEST_F(DesignDriver, ASteepReachDescendsThroughDropChambersInTheFirstFiveClasses) {
    Network({Reach("A", "B", 120, 100, 2)});
    ASSERT_TRUE(Design());
    std::vector<TramoT> z = Zsdb();
    EXPECT_EQ(DropKind(z[0]), kDropChambers);
    EXPECT_GT(DropChambers(z[0]), 0);
    EXPECT_LE(FullVelocityV0(z[0]), p_.espec.MaxVelocity + 1e-3f);
    EXPECT_NEAR(z[0].CrownUp, 120 - 1.0f, 1e-4);  // it starts at the minimum depth
    ASSERT_EQ(result_.finalReaches.size(), 1u);
    EXPECT_FLOAT_EQ(result_.finalReaches[0].depth, 1.0f);

    DesignClass(7);
    Network({Reach("A", "B", 120, 100, 2)});
    ASSERT_TRUE(Design());
    z = Zsdb();
    EXPECT_NE(DropKind(z[0]), kDropChambers);
    EXPECT_EQ(DropChambers(z[0]), 0);
}

// A new line arriving below the inlet of an existing reach.
std::vector<TramoT> LineIntoExisting(float groundUp) {
    TramoT a = Reach("A", "X", groundUp, 100);
    a.Length = 100;
    TramoT e = Fixed(Reach("X", "Y", 100, 99.8f, 2), network::kClassExisting, 300, 99.4f, 99.15f);
    return {a, e};
}

TEST_F(DesignDriver, ANewLineIsRaisedToTheLevelOfTheExistingReach) {
    Network(LineIntoExisting(101.2f));
    ASSERT_TRUE(Design());
    std::vector<TramoT> z = Zsdb();
    EXPECT_NEAR(z[0].CrownDown, DeliveryLevel(z[0]), 1e-4);
    EXPECT_GE(z[0].CrownDown, 99.4f - 1e-4f);
    EXPECT_EQ(JunctionMark(z[0]), 2);
    EXPECT_EQ(RaiseMark(z[0]), 0);
    const std::string evolution = Evolution();
    EXPECT_NE(evolution.find("TRAMO [X] - [Y] Existente   <"), std::string::npos) << evolution;
    EXPECT_NE(evolution.find(" < <!>"), std::string::npos) << evolution;
    EXPECT_EQ(z.size(), 2u);
}

TEST_F(DesignDriver, ALineThatCannotComeUpIsMarkedOrItsFixedReachReplaced) {
    Network(LineIntoExisting(100.2f));
    ASSERT_TRUE(Design());
    EXPECT_NE(Evolution().find(" <?"
                               "?> "),
              std::string::npos)
        << Evolution();
    EXPECT_EQ(Zsdb().size(), 2u);

    ASSERT_TRUE(Design("SNSS"));
    std::vector<TramoT> z = Zsdb();
    // The first pass replaced it; the evolution file keeps the last pass only.
    EXPECT_NE(sink_.all().find(" <-->"), std::string::npos) << sink_.all();
    ASSERT_GE(z.size(), 3u);
    EXPECT_EQ(z[1].Class, network::kClassNew);
    EXPECT_EQ(z[2].Class, network::kClassExisting);
    // Designed as new, the reach takes the line at its own level.
    EXPECT_LE(z[1].CrownUp, z[0].CrownDown + 1e-4f);
}

TEST_F(DesignDriver, EnergyJunctionsOffLeaveTheirValuesAtZero) {
    Network({Reach("A", "B", 103, 101), Reach("C", "B", 102, 101), Reach("B", "D", 101, 100, 2)});
    ASSERT_TRUE(Design());
    for (TramoT& t : Zsdb()) {
        EXPECT_EQ(EnergySurplus(t), 0);
        EXPECT_EQ(InvertDrop(t), 0);
        EXPECT_EQ(TributaryEnergy(t), 0);
    }
    EXPECT_FALSE(result_.doubtful());

    Criteria([](specs::EspecT& e, shell::ProyectoT&) { e.EnergyJunctionDiameter = 150; });
    ASSERT_TRUE(Design());
    std::vector<TramoT> z = Zsdb();
    EXPECT_NE(TributaryEnergy(z[0]), 0);
    EXPECT_GE(EnergySurplus(z[0]), 0);
    EXPECT_GE(InvertDrop(z[0]), 0);
}

TEST_F(DesignDriver, ADesignCopyThatCannotBeWrittenStopsWithTheMessage) {
    Network({Reach("A", "B", 101, 100, 2)});
    std::filesystem::create_directories(p_.files.designCopy());  // ZSDB. is a folder
    EXPECT_FALSE(Design());
    EXPECT_EQ(result_.end, DesignEnd::Failed);
    ASSERT_EQ(sink_.messages.size(), 1u);
    EXPECT_EQ(sink_.messages[0].rfind(cp("Falla Sistema Operativo: Hubo una falla imprevista en "
                                         "el Sistema Operativo. Vuelva a cargar el programa"),
                                      0),
              0u)
        << sink_.messages[0];
}

TEST_F(DesignDriver, AnEvolutionFileThatCannotBeWrittenStopsWithTheMessage) {
    Network({Reach("A", "B", 101, 100, 2)});
    std::filesystem::create_directories(p_.files.evolution());
    EXPECT_FALSE(Design());
    EXPECT_EQ(result_.end, DesignEnd::Failed);
    ASSERT_EQ(sink_.messages.size(), 1u);
    EXPECT_NE(sink_.messages[0].find(p_.files.evolution()), std::string::npos) << sink_.messages[0];
}

TEST_F(DesignDriver, BadGeometryAndHugeFlowsDesignWithoutAnyNaN) {
    TramoT zero = Reach("A", "B", 101, 100);
    zero.Length = 0;
    TramoT rising = Reach("B", "C", 100, 102);  // the ground rises downstream
    TramoT flat = Fixed(Reach("C", "D", 102, 103), network::kClassExisting, 300, 101, 101);
    TramoT huge = Reach("D", "E", 103, 103, 2);
    // The most the point flow field takes, beyond the largest of five sections (a duct of
    // 327 mm).
    huge.PointFlow = 9999.99f;
    Criteria([](specs::EspecT& e, shell::ProyectoT&) { e.DiameterCount = e.SectionCount = 5; });
    Network({zero, rising, flat, huge});
    ASSERT_TRUE(Design());
    std::vector<TramoT> z = Zsdb();
    std::string where;
    EXPECT_TRUE(AllFinite(z, &where)) << where;
    EXPECT_TRUE(result_.counters.largerSizesNeeded);
    EXPECT_GE(z[1].Slope, p_.espec.MinDesignSlope);
    EXPECT_GE(DepthDown(z[1]), 1.0f - 1e-3f);
    EXPECT_GT(result_.insufficientCapacity, 0);
}

TEST_F(DesignDriver, InitialReachesLeaveRoomForOtherOutletsUnlessFlush) {
    // The ground falls 0.2 m: the self-cleansing slope (0.56 %) alone leaves B at 1.08 m,
    // short of the 1.18 m the room for other outlets asks.
    Network({Reach("A", "B", 101, 100.8f), Reach("B", "C", 100.8f, 100.7f, 2)});
    ASSERT_TRUE(Design("NNSS"));
    std::vector<TramoT> z = Zsdb();
    EXPECT_NEAR(z[0].MinimumDepth, -1.0f, 1e-6);
    const float flush = DepthDown(z[0]);
    ASSERT_TRUE(Design("NNSN"));
    z = Zsdb();
    const float allowance = p_.espec.MinSanitaryDiameter / 1000.0f;
    EXPECT_NEAR(z[0].MinimumDepth, -1.0f, 1e-6);
    EXPECT_NEAR(z[1].MinimumDepth, -(1.0f + allowance), 1e-5);
    EXPECT_GE(DepthDown(z[0]), 1.0f + allowance - 0.005f);  // measured from the true ground
    EXPECT_GT(DepthDown(z[0]), flush);
    EXPECT_NEAR(z[0].GroundDown, 100.8f, 1e-5);  // the ground itself is given back
}

TEST_F(DesignDriver, ACancelledDesignKeepsTheStageFlags) {
    Network({Reach("A", "B", 101, 100.5f), Reach("B", "C", 100.5f, 100, 2)});
    Criteria([](specs::EspecT&, shell::ProyectoT& h) { h.StageDone = {1, 1, 1, 0}; });
    CallbackSink sink;
    int lines = 0;
    sink.onProgress = [&](const std::string&) {
        if (++lines == 3) sink.cancelled = true;
    };
    DesignResult r;
    EXPECT_FALSE(DesignNetwork(p_, DesignOptions{}, sink, r));
    EXPECT_EQ(r.end, DesignEnd::Cancelled);
    ASSERT_TRUE(p_.OpenControl());
    ASSERT_TRUE(p_.ReadHeader());
    p_.CloseControl();
    EXPECT_EQ(p_.header.StageDone, (std::array<uint8_t, 4>{1, 1, 1, 0}));
}

TEST_F(DesignDriver, ReliefChambersOfInitialReachesAreIgnoredWithAWarning) {
    DesignClass(3);
    TramoT a = Reach("A", "B", 101, 100.5f);
    a.ReliefFactor = 1.5f;
    a.Runoff = 0.5f;
    Network({a, Reach("B", "C", 100.5f, 100, 2)});
    ASSERT_TRUE(Design());
    EXPECT_EQ(result_.counters.ignoredReliefChambers, 1);
    ASSERT_EQ(sink_.messages.size(), 1u);
    EXPECT_EQ(sink_.messages[0], cp("Advertencia: ") + IgnoredReliefText(1));
}

TEST_F(DesignDriver, TheModelClassesNeedTheDynamicWave) {
    Network({Reach("A", "B", 101, 100, 2)});
    std::ofstream(p_.files.designFinal()) << "x";
    Criteria([](specs::EspecT& e, shell::ProyectoT& h) {
        h.DesignClass = 7;
        e.SwmmRouting = 1;
    });
    DesignResult r;
    EXPECT_FALSE(RunDesign(p_, DesignOptions{}, sink_, r));
    ASSERT_EQ(sink_.messages.size(), 1u);
    EXPECT_EQ(sink_.messages[0],
              cp("Error especificacion: Este diseño exige que el metodo de calculo SWMM sea ONDA "
                 "DINAMICA.\r\rCorrija en el menu de Especificaciones."));
    EXPECT_FALSE(std::filesystem::exists(p_.files.designCopy()));

    Criteria([](specs::EspecT& e, shell::ProyectoT&) { e.SwmmRouting = 0; });
    EXPECT_TRUE(RunDesign(p_, DesignOptions{}, sink_, r));
    EXPECT_FALSE(std::filesystem::exists(p_.files.designFinal()));
    EXPECT_TRUE(std::filesystem::exists(p_.files.designCopy()));
}

}  // namespace
}  // namespace nivex::design::test
