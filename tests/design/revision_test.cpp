// The revision of main choice 6: the checks of a reach at their margins, the lines and
// frames of the three lists, their page breaks, totals and empty states, a designed
// network with known faults, the summary page and the list entries.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "cli/batch.h"
#include "console/codepage.h"
#include "console/keys.h"
#include "design/design_driver.h"
#include "design/reach_values.h"
#include "design/revision.h"
#include "listings/number_format.h"
#include "network/record_file.h"
#include "project/project_selection.h"
#include "shell/modules.h"
#include "shell/session.h"
#include "specs/criteria_store.h"
#include "support/scripted.h"

namespace nivex::design {
namespace {

namespace fs = std::filesystem;
using listings::FormatLine;
using network::TramoT;

const std::string kBar(1, static_cast<char>(179));

// An existing reach, 40 m, as the design leaves it when nothing is wrong with it.
TramoT Sound() {
    TramoT t;
    t.Upstream = "P1";
    t.Downstream = "P2";
    t.Class = network::kClassExisting;
    t.Length = 40;
    t.Diameter = 300;
    t.CrownUp = 100.20f;
    t.CrownDown = 100.00f;
    t.Slope = 0.5f;
    t.MinimumDepth = -1.0f;  // the sector's default
    t.GroundUp = 101.7f;
    t.GroundDown = 101.5f;
    DesignFlow(t) = 20;
    FullFlowQ0(t) = 60;
    FullVelocityV0(t) = 0.9f;
    FlowRatioQ(t) = 0.33f;
    RealVelocity(t) = 0.8f;
    DepthUp(t) = 1.5f;
    DepthDown(t) = 1.5f;
    RelativeDepth(t) = 0.4f;
    TractiveX100(t) = 150;
    Froude(t) = 0.8f;
    return t;
}

RevisionCriteria TestCriteria(int designClass = 2) {
    shell::ProyectoT h;
    h.DesignClass = designClass;
    RevisionCriteria c = RevisionCriteriaOf(specs::DefaultEspec(), h);
    c.qfill = 0.80f;
    return c;
}

std::vector<int> Codes(const std::vector<Finding>& findings) {
    std::vector<int> codes;
    for (const Finding& f : findings)
        codes.push_back(f.code);
    return codes;
}

std::string Texts(const std::vector<Finding>& findings) {
    std::string s;
    for (const Finding& f : findings)
        s += "[" + std::to_string(f.code) + "] " + f.text + "\n";
    return s;
}

size_t Count(const std::string& s, char c) {
    return static_cast<size_t>(std::count(s.begin(), s.end(), c));
}

// ---- The checks at their margins ----

TEST(RevisionChecks, ASoundReachHasNoFinding) {
    const RevisionCriteria c = TestCriteria();
    EXPECT_TRUE(RevisionChecks(c, Sound()).empty()) << Texts(RevisionChecks(c, Sound()));
    EXPECT_TRUE(ModelClassChecks(TestCriteria(7), Sound()).empty());
    EXPECT_TRUE(RasChecks(c, Sound()).empty());
    EXPECT_FALSE(CapacityProblem(Sound()));
}

TEST(RevisionChecks, CapacityHasAMarginOfOneTenthOfALitre) {
    TramoT t = Sound();
    FullFlowQ0(t) = 120.10f;
    DesignFlow(t) = 120.15f;
    EXPECT_FALSE(CapacityProblem(t));
    DesignFlow(t) = 120.25f;
    ASSERT_TRUE(CapacityProblem(t));
    EXPECT_EQ(CapacityLine(7, t), kBar + "   7 " + kBar + "P1   " + kBar + "P2   " + kBar +
                                      "existente" + kBar + "  120.10 " + kBar + "  120.25 " + kBar +
                                      "   -0.15 " + kBar + " ---    " + kBar + " ---   " + kBar +
                                      "      --- " + kBar + "      --- " + kBar + "       --- " +
                                      kBar);
    EXPECT_EQ(CapacityLine(7, t).size(), 110u);
}

TEST(RevisionChecks, TheJunctionComparesTheTributaryInvertPlusOneCentimetre) {
    TramoT up = Sound();
    up.Upstream = "T1";
    up.Downstream = "T2";
    up.Diameter = 300;
    up.CrownDown = 100.28f;  // invert 99.98, compared as 99.99
    TramoT t = Sound();
    t.Upstream = "T2";
    t.Downstream = "T3";
    TributaryCount(t) = 1;
    TributaryRecord(t, 0) = 1;
    const std::vector<TramoT> records = {up, t};

    t.CrownUp = 100.29f;  // invert 99.99
    EXPECT_TRUE(JunctionProblems(t, records).empty());
    t.CrownUp = 100.30f;  // invert 100.00
    const std::vector<JunctionProblem> found = JunctionProblems(t, records);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(JunctionLine(2, t, found[0], false),
              kBar + "   2 " + kBar + "T2   " + kBar + "T3   " + kBar + "existente" + kBar +
                  "     --- " + kBar + "     --- " + kBar + "     --- " + kBar + " T1     " + kBar +
                  " T2    " + kBar + "    99.99 " + kBar + "   100.00 " + kBar + "     -0.01 " +
                  kBar);
    EXPECT_EQ(JunctionLine(2, t, found[0], true).size(), 80u);
    EXPECT_EQ(JunctionLine(2, t, found[0], true).substr(29, 8), " T1     ");

    // Missing drop chambers, a reach without crown and a tributary without crown: no check.
    TramoT chambers = t;
    DropChambers(chambers) = 1;
    EXPECT_TRUE(JunctionProblems(chambers, records).empty());
    std::vector<TramoT> crownless = records;
    crownless[0].CrownDown = 0;
    EXPECT_TRUE(JunctionProblems(t, crownless).empty());
    // A tributary record outside the copy is not looked at.
    TributaryRecord(t, 0) = 9;
    EXPECT_TRUE(JunctionProblems(t, records).empty());
}

TEST(RevisionChecks, TooFullStopsAtTheFillMarginAndAtAFullPipe) {
    const RevisionCriteria c = TestCriteria();
    TramoT t = Sound();
    RelativeDepth(t) = 0.71f;
    FlowRatioQ(t) = 0.803f;
    EXPECT_TRUE(RevisionChecks(c, t).empty());
    FlowRatioQ(t) = 0.83f;
    ASSERT_EQ(Codes(RevisionChecks(c, t)), std::vector<int>{1});
    EXPECT_EQ(RevisionChecks(c, t)[0].text, "El tubo trabaja demasiado lleno ( y/do =    0.71 )");
    // Past a full pipe it is a capacity problem, not a filling one.
    FlowRatioQ(t) = 1.02f;
    DesignFlow(t) = 61.2f;
    EXPECT_TRUE(RevisionChecks(c, t).empty());
    EXPECT_TRUE(CapacityProblem(t));
    // Storm flow or a relief factor allows the pipe to run full.
    FlowRatioQ(t) = 0.83f;
    StormFlow(t) = 5;
    EXPECT_TRUE(RevisionChecks(c, t).empty());
}

TEST(RevisionChecks, ASmallerDiameterAfterALargerOneUnlessThereIsAReliefFactor) {
    const RevisionCriteria c = TestCriteria();
    TramoT t = Sound();
    TributaryCount(t) = 1;
    TributaryRecord(t, 0) = 1;
    ImposedDiameter(t) = 450;
    ASSERT_EQ(Codes(RevisionChecks(c, t)), std::vector<int>{2});
    EXPECT_EQ(RevisionChecks(c, t)[0].text,
              "El diametro(  300 mm) es menor que el de un tramo anterior(  450 mm )");
    EXPECT_EQ(Codes(ModelClassChecks(TestCriteria(6), t)), std::vector<int>{2});
    t.ReliefFactor = 0.5f;
    EXPECT_TRUE(RevisionChecks(c, t).empty());
    EXPECT_TRUE(ModelClassChecks(TestCriteria(6), t).empty());
    // An initial reach has nothing to compare with.
    t.ReliefFactor = 0;
    TributaryCount(t) = 0;
    EXPECT_TRUE(RevisionChecks(c, t).empty());
}

TEST(RevisionChecks, SlopesThatAreNegativeOrZero) {
    const RevisionCriteria c = TestCriteria();
    TramoT t = Sound();
    t.CrownUp = 100.00f;
    t.CrownDown = 100.20f;
    t.Slope = -0.5f;
    std::vector<Finding> found = RevisionChecks(c, t);
    ASSERT_EQ(Codes(found), std::vector<int>{9}) << Texts(found);
    EXPECT_EQ(found[0].text, "La pendiente del tramo (  -0.500 % ) no puede ser cero ni negativa");
    t.CrownDown = 100.00f;
    t.Slope = 0;
    found = RevisionChecks(c, t);
    ASSERT_EQ(Codes(found), std::vector<int>{9});
    EXPECT_EQ(found[0].text, "La pendiente del tramo (   0.000 % ) no puede ser cero ni negativa");
    // Crowns falling but a slope that rounds below zero shows the slope.
    t.CrownDown = 99.99f;
    t.Slope = -0.01f;
    found = RevisionChecks(c, t);
    ASSERT_EQ(Codes(found), std::vector<int>{9});
    EXPECT_NE(found[0].text.find("(  -0.010 % )"), std::string::npos);
    // Without a length the rising crowns give no slope: the stored one is shown.
    t.CrownDown = 100.20f;
    t.Length = 0;
    t.Slope = -0.25f;
    found = RevisionChecks(c, t);
    ASSERT_EQ(Codes(found), std::vector<int>{9});
    EXPECT_NE(found[0].text.find("(  -0.250 % )"), std::string::npos);
}

TEST(RevisionChecks, TheDischargeEndIsNeverReportedForItsDepth) {
    const RevisionCriteria c = TestCriteria();
    for (float depth : {0.30f, 6.0f}) {
        TramoT t = Sound();
        DepthDown(t) = depth;
        EXPECT_EQ(Codes(RevisionChecks(c, t)), std::vector<int>{depth < 1 ? 6 : 7});
        EXPECT_NE(RevisionChecks(c, t)[0].text.find("nudo inferior"), std::string::npos);
        for (int type : {2, 3}) {
            t.Type = type;
            EXPECT_TRUE(RevisionChecks(c, t).empty()) << type;
            EXPECT_TRUE(ModelClassChecks(TestCriteria(8), t).empty()) << type;
        }
    }
    // The upstream end is reported whatever the type.
    TramoT t = Sound();
    t.Type = 2;
    DepthUp(t) = 0.5f;
    ASSERT_EQ(Codes(RevisionChecks(c, t)), std::vector<int>{6});
    EXPECT_EQ(RevisionChecks(c, t)[0].text,
              "La profundidad a clave del nudo superior (  0.50 m ) es insuficiente");
    // A depth of its own for the reach, or missing drop chambers, excuse a shallow end.
    t.MinimumDepth = 0.5f;
    EXPECT_TRUE(RevisionChecks(c, t).empty());
    t.MinimumDepth = -1;
    DropChambers(t) = 2;
    EXPECT_EQ(Codes(RevisionChecks(c, t)), std::vector<int>{8});
    EXPECT_EQ(RevisionChecks(c, t)[0].text, "Falta(n) [ 2 ] camara(s) de caida intermedia(s)");
}

// A new reach may go below "Profundidad maxima deseable" only where the ground asks for it:
// every such end is listed under [7], never an end above that depth, and an end already
// listed beyond "Profundidad maxima a clave" is not listed twice.
TEST(RevisionChecks, NewReachesDeeperThanDesirableAreListed) {
    RevisionCriteria c = TestCriteria();
    c.maxDesirableCrownDepth = 4.0f;
    c.maxCrownDepth = 5.0f;
    TramoT t = Sound();
    t.Class = network::kClassNew;
    DepthUp(t) = 4.3f;  // 0.3 m deeper than desirable at each end
    DepthDown(t) = 4.3f;
    const std::vector<Finding> deep = RevisionChecks(c, t);
    ASSERT_EQ(Codes(deep), (std::vector<int>{7, 7})) << Texts(deep);
    EXPECT_EQ(deep[0].text, "Profundidad a clave del nudo superior (  4.30 m ) supera la deseable");
    EXPECT_EQ(deep[1].text, "Profundidad a clave del nudo inferior (  4.30 m ) supera la deseable");
    RevisionCriteria model = TestCriteria(7);
    model.maxDesirableCrownDepth = 4.0f;
    EXPECT_EQ(Codes(ModelClassChecks(model, t)), (std::vector<int>{7, 7}));
    // The line keeps to its 104 columns: 4 bars, 29 of line, manholes and class, 74 of text.
    const std::string line = FindingLine(1, t, deep[0]);
    EXPECT_EQ(line.size(), 104u);
    EXPECT_EQ(line.back(), kBar[0]);

    // 0.3 m shallower than desirable at each end, or just at it once rounded to cm.
    for (float depth : {3.7f, 4.0f, 4.004f}) {
        DepthUp(t) = DepthDown(t) = depth;
        EXPECT_TRUE(RevisionChecks(c, t).empty()) << depth << Texts(RevisionChecks(c, t));
    }
    // An outfall is dug at its lower end too.
    DepthUp(t) = 2.0f;
    DepthDown(t) = 4.01f;
    t.Type = 2;
    ASSERT_EQ(Codes(RevisionChecks(c, t)), std::vector<int>{7});
    EXPECT_NE(RevisionChecks(c, t)[0].text.find("inferior (  4.01 m ) supera"), std::string::npos);
    // Beyond the maximum only "es grande"; an outfall end beyond it is still not silent.
    t.Type = 0;
    DepthUp(t) = 5.2f;
    DepthDown(t) = 5.2f;
    const std::vector<Finding> large = RevisionChecks(c, t);
    ASSERT_EQ(Codes(large), (std::vector<int>{7, 7}));
    EXPECT_NE(large[0].text.find("superior (  5.20 m ) es grande"), std::string::npos);
    EXPECT_NE(large[1].text.find("inferior (  5.20 m ) es grande"), std::string::npos);
    t.Type = 3;
    EXPECT_NE(RevisionChecks(c, t)[1].text.find("inferior (  5.20 m ) supera la deseable"),
              std::string::npos);
    // Existing reaches keep the depth they were built with: only "es grande" is theirs.
    t.Type = 0;
    t.Class = network::kClassExisting;
    DepthUp(t) = DepthDown(t) = 4.3f;
    EXPECT_TRUE(RevisionChecks(c, t).empty());
}

TEST(RevisionChecks, AvoidingCriticalFlowExcusesTractiveForceAndFillsTheRasList) {
    RevisionCriteria c = TestCriteria();
    TramoT t = Sound();
    TractiveX100(t) = 5;
    Froude(t) = 1.0f;
    RelativeDepth(t) = 0.8f;
    ASSERT_EQ(Codes(RevisionChecks(c, t)), std::vector<int>{10});
    EXPECT_EQ(RevisionChecks(c, t)[0].text, "La fuerza tractiva (  0.05 Kg/m2 ) es baja");
    EXPECT_TRUE(RasChecks(c, t).empty());  // nothing is avoided

    c.avoidCriticalDiameter = 600;
    EXPECT_TRUE(RevisionChecks(c, t).empty());
    ASSERT_EQ(RasChecks(c, t).size(), 1u);
    EXPECT_EQ(RasChecks(c, t)[0].text,
              "El numero de Froude(  1.000 %) esta dentro del rango a evitar");
    // The band is open at both ends, and shallow flow is not critical.
    Froude(t) = 0.90f;
    EXPECT_TRUE(RasChecks(c, t).empty());
    Froude(t) = 1.10f;
    EXPECT_TRUE(RasChecks(c, t).empty());
    Froude(t) = 1.05f;
    RelativeDepth(t) = 0.70f;
    EXPECT_TRUE(RasChecks(c, t).empty());
    // No tractive force computed: nothing to report.
    c.avoidCriticalDiameter = 0;
    TractiveX100(t) = 0;
    EXPECT_TRUE(RevisionChecks(c, t).empty());
}

TEST(RevisionChecks, TheDesignStatusCountsNewReachesWithDeficienciesButNotDepthsItCountsApart) {
    RevisionCriteria c = TestCriteria();
    c.avoidCriticalDiameter = 150;
    TramoT sound = Sound();
    sound.Class = network::kClassNew;
    TramoT critical = sound;  // runs at Fr 1.0 with y/D 0.8: inside the band
    Froude(critical) = 1.0f;
    RelativeDepth(critical) = 0.8f;
    TramoT deep = sound;  // only deeper than desirable: counted by the design on its own
    DepthDown(deep) = 5.2f;
    deep.CrownDown = deep.GroundDown - 5.2f;
    ASSERT_FALSE(RevisionChecks(c, deep).empty());
    TramoT existing = critical;
    existing.Class = network::kClassExisting;
    const std::vector<TramoT> records = {sound, critical, deep, existing, critical};
    EXPECT_EQ(NewReachesWithDeficiencies(c, records, 4), 1);
    EXPECT_EQ(NewReachesWithDeficiencies(c, records, 5), 2);
    EXPECT_EQ(NewReachesWithDeficiencies(c, records, 50), 2);
    c.avoidCriticalDiameter = 0;
    EXPECT_EQ(NewReachesWithDeficiencies(c, records, 5), 0);
}

TEST(RevisionChecks, VelocitiesAgainstTheirLimits) {
    RevisionCriteria c = TestCriteria();
    c.sanitaryMinFullVelocity = 0.6f;
    c.minMinRealVelocity = 0.45f;
    TramoT t = Sound();
    FullVelocityV0(t) = 0.59f;
    RealVelocity(t) = 0.44f;
    const std::vector<Finding> found = RevisionChecks(c, t);
    ASSERT_EQ(Codes(found), (std::vector<int>{3, 5}));
    EXPECT_EQ(found[0].text,
              "La velocidad a tubo lleno (  0.59 m/s ) es mas baja que (  0.60 m/s )");
    EXPECT_EQ(found[1].text, "La velocidad real (  0.44 m/s) es muy baja");
    FullVelocityV0(t) = 0.60f;
    RealVelocity(t) = 0.45f;
    EXPECT_TRUE(RevisionChecks(c, t).empty());
    FullVelocityV0(t) = 5.01f;
    ASSERT_EQ(Codes(RevisionChecks(c, t)), std::vector<int>{4});
    EXPECT_EQ(RevisionChecks(c, t)[0].text, "La velocidad a tubo lleno (  5.01 m/s ) es muy alta");
    // With the RAS 2016 minimum the value shown is that minimum for the diameter.
    c.ras2016 = true;
    c.sanitaryMinFullVelocity = 0;
    FullVelocityV0(t) = 0.40f;
    const std::vector<Finding> ras = RevisionChecks(c, t);
    ASSERT_EQ(Codes(ras), std::vector<int>{3});
    EXPECT_NE(ras[0].text.find("es mas baja que (  0.45 m/s )"), std::string::npos) << ras[0].text;
    // A storm reach is held to the storm minimum.
    c.ras2016 = false;
    c.stormMinFullVelocity = 0.75f;
    FullVelocityV0(t) = 0.70f;
    StormFlow(t) = 3;
    ASSERT_EQ(Codes(RevisionChecks(c, t)), std::vector<int>{3});
    EXPECT_NE(RevisionChecks(c, t)[0].text.find("(  0.75 m/s )"), std::string::npos);
}

TEST(RevisionChecks, BuriedInitialReachMinimumSlopeAndEnergyJunction) {
    RevisionCriteria c = TestCriteria();
    TramoT t = Sound();
    ReferenceCrown(t) = 100.50f;
    ASSERT_EQ(Codes(RevisionChecks(c, t)), std::vector<int>{11});
    EXPECT_EQ(RevisionChecks(c, t)[0].text,
              "Tramo inicial mas bajo (  0.30 m ) que otro. Poner pozo inicial nuevo");
    ReferenceCrown(t) = 100.20f;
    EXPECT_TRUE(RevisionChecks(c, t).empty());

    c.slopePerDiameter = true;
    const SizeList& sizes = c.hydraulics.sizes;
    ASSERT_GT(sizes.firstDuct, 4);
    t.Diameter = sizes.size[4];
    const float smin = sizes.minSlope[4];
    ASSERT_GT(smin, 0.02f);
    t.Slope = smin - 0.02f;
    ASSERT_EQ(Codes(RevisionChecks(c, t)), std::vector<int>{12});
    EXPECT_NE(RevisionChecks(c, t)[0].text.find("Pendiente minima insuficiente"),
              std::string::npos);
    t.Slope = smin;
    EXPECT_TRUE(RevisionChecks(c, t).empty());
    // A size that is not in the list takes the slope after the first duct, a duct's.
    t.Diameter = sizes.size[4] + 1;
    t.Slope = 0.02f;
    EXPECT_TRUE(RevisionChecks(c, t).empty());
    t.Slope = -0.001f;  // below the duct's 0.01 % less its margin
    EXPECT_EQ(Codes(RevisionChecks(c, t)), std::vector<int>{12});
    t.Diameter = 300;
    t.Slope = 0.5f;

    c.slopePerDiameter = false;
    EnergySurplus(t) = -0.05f;
    EXPECT_TRUE(RevisionChecks(c, t).empty());  // no energy junctions
    c.energyJunctionDiameter = 250;
    ASSERT_EQ(Codes(RevisionChecks(c, t)), std::vector<int>{13});
    EXPECT_EQ(RevisionChecks(c, t)[0].text,
              "Mal empalme energia. Diferencia energia = ( -0.05 m )");
    EXPECT_TRUE(ModelClassChecks(TestCriteria(6), t).empty());
    c.energyJunctionDiameter = 300;  // only larger diameters
    EXPECT_TRUE(RevisionChecks(c, t).empty());
}

TEST(RevisionChecks, ZeroAndNonFiniteValuesGiveNoFaultyText) {
    const RevisionCriteria c = TestCriteria();
    TramoT t;
    t.Upstream = "Z1";
    t.Downstream = "Z2";
    t.Class = network::kClassExisting;
    t.MinimumDepth = -1;
    DepthUp(t) = std::numeric_limits<float>::quiet_NaN();
    FlowRatioQ(t) = std::numeric_limits<float>::infinity();
    for (const Finding& f : RevisionChecks(c, t)) {
        EXPECT_EQ(f.text.find("<E"), std::string::npos) << f.text;
        EXPECT_EQ(f.text.find("nan"), std::string::npos) << f.text;
    }
    // Zero crowns, slope and length: a zero slope, and depths of zero too shallow.
    EXPECT_EQ(Codes(RevisionChecks(c, t)), (std::vector<int>{6, 6, 9}));
    EXPECT_FALSE(CapacityProblem(t));
    EXPECT_TRUE(JunctionProblems(t, {t}).empty());
}

TEST(RevisionState, TheWordOfTheClassColumn) {
    TramoT t;
    for (auto [state, word] : std::vector<std::pair<int, std::string>>{
             {0, "  nuevo  "}, {1, "existente"}, {2, "restring."}, {3, "No invest"}}) {
        t.Class = state;
        EXPECT_EQ(StateWord(t), word);
    }
    JunctionMark(t) = 2;
    EXPECT_EQ(StateWord(t), "empalmado");
    JunctionMark(t) = 1;
    t.Class = 7;
    EXPECT_EQ(StateWord(t).size(), 9u);
}

TEST(RevisionTables, FramesOfTheThreeTables) {
    const std::vector<std::string> problems = ProblemHeading(false);
    ASSERT_EQ(problems.size(), 5u);
    for (const std::string& line : problems)
        EXPECT_EQ(line.size(), 110u) << line;
    EXPECT_EQ(problems[0].front(), static_cast<char>(213));
    EXPECT_EQ(problems[0].back(), static_cast<char>(184));
    EXPECT_EQ(Count(problems[0], static_cast<char>(224)), 4u);  // the bars of row 1
    EXPECT_EQ(problems[1], (kBar + "     " + kBar + "   tramo   " + kBar + "  clase  " + kBar +
                            "  problemas  de  capacidad   " + kBar +
                            "    problemas de mal empalme medido por bateas    " + kBar));
    EXPECT_EQ(problems[4].front(), static_cast<char>(198));
    EXPECT_EQ(Count(problems[4], static_cast<char>(216)), 11u);
    EXPECT_EQ(problems[4].back(), static_cast<char>(181));
    EXPECT_NE(problems[2].find(kBar + "      tramo anterior       " + kBar +
                               "   tramo corriente    " + kBar),
              std::string::npos);
    EXPECT_NE(
        problems[3].find(kBar + "batea inf." + kBar + "batea sup." + kBar + "deficit (m)" + kBar),
        std::string::npos);
    const std::string bottom = ProblemBottom(false);
    EXPECT_EQ(bottom.size(), 110u);
    EXPECT_EQ(Count(bottom, static_cast<char>(207)), 11u);
    EXPECT_EQ(bottom.front(), static_cast<char>(212));
    EXPECT_EQ(bottom.back(), static_cast<char>(190));
    // The bars of every row stand over the crosses of the separator.
    for (size_t k = 0; k < 110; ++k)
        EXPECT_EQ(problems[3][k] == kBar[0],
                  problems[4][k] == static_cast<char>(216) || k == 0 || k == 109)
            << k;

    for (const std::string& line : ProblemHeading(true))
        EXPECT_EQ(line.size(), 80u) << line;
    EXPECT_EQ(ProblemBottom(true).size(), 80u);
    EXPECT_EQ(Count(ProblemHeading(true)[0], static_cast<char>(224)), 3u);

    const std::vector<std::string> findings = FindingHeading();
    ASSERT_EQ(findings.size(), 4u);
    for (const std::string& line : findings)
        EXPECT_EQ(line.size(), 104u) << line;
    EXPECT_EQ(Count(findings[3], static_cast<char>(216)), 4u);
    EXPECT_EQ(Count(FindingBottom(), static_cast<char>(207)), 3u);  // only the bars of row 1
    EXPECT_EQ(FindingBottom().size(), 104u);
    EXPECT_EQ(findings[2].substr(0, 29),
              kBar + "     " + kBar + "  de " + kBar + "  a  " + kBar + "t r a m o" + kBar);

    TramoT t = Sound();
    const std::string line = FindingLine(12, t, {9, "texto"});
    EXPECT_EQ(line.size(), 104u);
    EXPECT_EQ(line.substr(0, 34), kBar + "  12 " + kBar + "P1   " + kBar + "P2   " + kBar +
                                      "existente" + kBar + " ... ");
    EXPECT_EQ(line.back(), kBar[0]);
}

// ---- Summary ----

TEST(RevisionSummaryPage, ClassesOneToFive) {
    RevisionSummary s;
    s.criteria = TestCriteria(2);
    s.counts.capacity = 3;
    s.counts.junction = 1;
    s.counts.deficiency[9] = 2;
    s.counts.ras = 4;
    const std::vector<std::string> lines = SummaryLines(s);
    ASSERT_EQ(lines.size(), 29u);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], std::string(29, ' ') + "PROBLEMAS DE CAPACIDAD O EMPALME");
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[4],
              std::string(16, ' ') + "[A] .... tramos con capacidad insuficiente ........ :3");
    EXPECT_EQ(lines[5],
              std::string(16, ' ') + "[B] .... las claves de entrada y salida no empalman :1");
    EXPECT_EQ(lines[6], "");
    EXPECT_EQ(lines[7], "");
    EXPECT_EQ(lines[8], std::string(21, ' ') + "DEFICIENCIAS EN TRAMOS EXISTENTES O RESTRINGIDOS");
    EXPECT_EQ(lines[18],
              std::string(16, ' ') + "[9] .... pendientes nulas o negativas .............. :2");
    std::string all;
    for (const std::string& l : lines)
        all += l + "\n";
    EXPECT_EQ(all.find("[13]"), std::string::npos);  // no energy junctions
    EXPECT_NE(
        all.find(std::string(24, ' ') + "DEFICIENCIAS SEGUN NORMAS ESPECIALES RAS\n\n" +
                 std::string(16, ' ') +
                 "[1] ...se presenta regimen Critico .............................. :4\n\n\n"),
        std::string::npos);

    s.criteria.energyJunctionDiameter = 600;
    s.counts.deficiency[13] = 5;
    all.clear();
    for (const std::string& l : SummaryLines(s))
        all += l + "\n";
    EXPECT_NE(all.find("[13].... mal empalme de energia .................... :5"),
              std::string::npos);
}

TEST(RevisionSummaryPage, ClassesSixToNineShowTheHydraulicModel) {
    RevisionSummary s;
    s.criteria = TestCriteria(7);
    s.criteria.floodedNodes = 2;
    s.criteria.surchargedNodes = 6;
    s.counts.deficiency[6] = 1;
    s.counts.deficiency[8] = 9;  // listed and counted, not in the summary
    std::string all;
    for (const std::string& l : SummaryLines(s))
        all += l + "\n";
    EXPECT_NE(all.find("[A] .... nodos  que causan inundacion ............. :2"),
              std::string::npos);
    EXPECT_NE(all.find("[1] .... nodos  sobrecargados (no es problema) ..... :6"),
              std::string::npos);
    EXPECT_NE(all.find("[3] .... profundidad a clave insuficiente .......... :1"),
              std::string::npos);
    EXPECT_NE(all.find("[1] ...se presenta regimen cuasicritico ......................... :0"),
              std::string::npos);
    EXPECT_EQ(all.find("capacidad insuficiente"), std::string::npos);
    EXPECT_EQ(all.find(":9"), std::string::npos);
    EXPECT_EQ(SummaryItems(s).size(), 10u);
}

TEST(RevisionInput, ADesignCopyOfAnotherNetworkIsRefused) {
    std::vector<TramoT> records(3);
    for (int k = 0; k < 3; ++k)
        OwnRecord(records[static_cast<size_t>(k)]) = k + 1;
    EXPECT_EQ(RevisionInputProblem(records, 3), "");
    EXPECT_EQ(RevisionInputProblem(records, 2), "");  // the removed reaches follow
    EXPECT_EQ(RevisionInputProblem(records, 4),
              cp("... Falta hacer o repetir el diseño del proyecto ..."));
    OwnRecord(records[1]) = 5;
    EXPECT_EQ(RevisionInputProblem(records, 3),
              cp("... Falta hacer o repetir el diseño del proyecto ..."));
    EXPECT_EQ(RevisionInputProblem({}, 0), "... Falta entrar los datos de los tramos ...");
}

// ---- The lists on disk ----

struct RecordingViewer : ui::ListingViewer {
    void ShowListing(const std::string& file, const std::string& title) override {
        std::ifstream in(file, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        shown.push_back(s.str());
        titles.push_back(title);
    }
    std::vector<std::string> shown, titles;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> v;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        v.push_back(line);
    }
    return v;
}

// A sector in a temporary folder whose network is written record by record.
class RevisionSector : public ::testing::Test {
  protected:
    testing::ConsoleRig rig;
    console::Screen screen{rig.console};
    testing::NullDesktop desktop;
    ui::MemorySettings settings;
    shell::MenuBarModel menu;
    shell::Session session{rig.switches, rig.console, screen, rig.ui, desktop, settings, menu};
    project::Project& p = session.project;
    RecordingViewer viewer;
    fs::path dir_;

    void SetUp() override {
        static std::atomic<int> n{0};
        dir_ = fs::temp_directory_path() /
               ("nivex-revision-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        p.selection.code = "AB";
        p.selection.sectors = "1";
        p.files.Build(dir_.string(), "AB1");
        ASSERT_TRUE(p.OpenControl());
        ASSERT_TRUE(specs::InitialiseDesignCriteria(p.control, p.header, p.espec));
        p.header.DesignClass = 2;
        p.header.ProjectName = "Revision";
        p.header.ProjectDate = "09/12/26";
        ASSERT_TRUE(specs::SaveRecords(p.control, p.header, p.espec, {0, 1, 2, 3, 4, 5}));
        p.CloseControl();
        session.viewer = &viewer;
    }
    void TearDown() override { fs::remove_all(dir_); }

    void Criteria(const std::function<void(specs::EspecT&, shell::ProyectoT&)>& change) {
        ASSERT_TRUE(p.OpenControl());
        std::string error;
        ASSERT_TRUE(specs::LoadDesignCriteria(p.control, p.header, p.espec, &error)) << error;
        change(p.espec, p.header);
        ASSERT_TRUE(specs::SaveRecords(p.control, p.header, p.espec, {0, 1, 2, 3, 4, 5}));
        p.CloseControl();
    }

    void WriteRecords(const std::string& path, const std::vector<TramoT>& reaches) {
        std::vector<codec::Bytes> records;
        for (const TramoT& t : reaches) {
            codec::Bytes b(network::kTramoSize, 0);
            ASSERT_TRUE(network::Encode(t, b));
            records.push_back(b);
        }
        std::string error;
        ASSERT_TRUE(network::ReplaceRecordFile(path, network::kTramoSize, records, error)) << error;
    }

    void Network(const std::vector<TramoT>& reaches) {
        WriteRecords(p.files.reaches(), reaches);
        Criteria([&](specs::EspecT&, shell::ProyectoT& h) {
            h.ReachCount = static_cast<int>(reaches.size());
            h.ControlsDone = {1, 1, 1, 1};
        });
    }

    // A design copy made by hand: the records numbered, the design stage done.
    void DesignCopy(std::vector<TramoT> reaches) {
        for (size_t k = 0; k < reaches.size(); ++k)
            OwnRecord(reaches[k]) = static_cast<int>(k) + 1;
        Network(reaches);
        WriteRecords(p.files.designCopy(), reaches);
        Criteria([](specs::EspecT&, shell::ProyectoT& h) { h.StageDone[1] = 1; });
    }

    bool Revise(RevisionSummary& summary, std::string* message = nullptr) {
        std::string title, text;
        const bool ok = ReviseSector(session, summary, nullptr, &title, &text);
        if (message) *message = text;
        return ok;
    }
};

// Reaches with one capacity problem each; reach `crossing` has two tributaries whose
// junctions fail too, three lines in all.
std::vector<TramoT> CapacityNetwork(int count, int crossing) {
    std::vector<TramoT> reaches;
    for (int k = 1; k <= count; ++k) {
        TramoT t = Sound();
        t.Upstream = "U" + std::to_string(k);
        t.Downstream = "D" + std::to_string(k);
        t.CrownUp = 101.0f;
        t.CrownDown = 100.8f;
        DesignFlow(t) = 10;
        FullFlowQ0(t) = 5;
        if (k == crossing) {
            TributaryCount(t) = 2;
            TributaryRecord(t, 0) = 1;
            TributaryRecord(t, 1) = 2;
            t.CrownUp = 102.0f;
            t.CrownDown = 101.8f;
        }
        reaches.push_back(t);
    }
    return reaches;
}

// The sheet on which each line of a list stands.
std::vector<int> SheetOfLines(const std::vector<std::string>& lines) {
    std::vector<int> sheet;
    int current = 0;
    for (const std::string& l : lines) {
        const size_t at = l.find("HOJA No.");
        if (at != std::string::npos) current = std::stoi(l.substr(at + 8));
        sheet.push_back(current);
    }
    return sheet;
}

int SheetOf(const std::vector<std::string>& lines, const std::string& start) {
    const std::vector<int> sheets = SheetOfLines(lines);
    for (size_t k = 0; k < lines.size(); ++k)
        if (lines[k].find(start) != std::string::npos) return sheets[k];
    return -1;
}

TEST_F(RevisionSector, TheProblemsPageBreaksAfterTheReachThatReachedItsLength) {
    // 9 + 77 lines, then reach 78 writes three: 89, and reach 79 opens sheet 2.
    DesignCopy(CapacityNetwork(80, 78));
    RevisionSummary summary;
    ASSERT_TRUE(Revise(summary));
    EXPECT_EQ(summary.counts.capacity, 80);
    EXPECT_EQ(summary.counts.junction, 2);
    const std::vector<std::string> lines = Lines(ReadFile(p.files.problems()));
    const std::string bar = kBar;
    EXPECT_EQ(SheetOf(lines, bar + "  77 " + bar), 1);
    EXPECT_EQ(SheetOf(lines, bar + "  78 " + bar + "U78"), 1);
    EXPECT_EQ(SheetOf(lines, bar + "  78 " + bar + "U78  " + bar + "D78  " + bar + "existente" +
                                 bar + "     --- "),
              1);  // its junction lines stay with it
    EXPECT_EQ(SheetOf(lines, bar + "  79 " + bar), 2);
    EXPECT_EQ(SheetOf(lines, bar + "  80 " + bar), 2);

    // Sheet 1 closes with the bottom line and the page footer.
    size_t first79 = 0;
    while (first79 < lines.size() && lines[first79].find(bar + "  79 ") == std::string::npos)
        ++first79;
    ASSERT_LT(first79, lines.size());
    size_t header2 = 0;
    for (size_t k = 0; k < lines.size(); ++k)
        if (lines[k].find("HOJA No.2") != std::string::npos) header2 = k;
    ASSERT_GT(header2, 8u);
    const size_t footer = header2 - 6;  // five empty lines open the page
    EXPECT_EQ(lines[footer], std::string("\x1bH") + char(19));
    EXPECT_EQ(lines[footer - 1],
              "\x1bG" + std::string(17, ' ') + std::string(110, static_cast<char>(205)));
    EXPECT_EQ(lines[footer - 2], std::string(17, ' ') + ProblemBottom(false));
    // The page title and the heading open sheet 2 too.
    EXPECT_NE(lines[header2 + 2].find("< PROBLEMAS DE CAPACIDAD O EMPALME >"), std::string::npos);
    EXPECT_EQ(lines[header2 + 4], "\x1bH" + std::string(17, ' ') + ProblemHeading(false)[0]);

    // The totals and the note close the list.
    const size_t end = lines.size();
    ASSERT_GT(end, 6u);
    EXPECT_EQ(lines[end - 6], std::string(17, ' ') + ProblemBottom(false));
    EXPECT_EQ(lines[end - 5], std::string(17, ' ') + "         TRAMOS REVISADOS   : 80");
    EXPECT_EQ(lines[end - 4], std::string(17, ' ') + "         PROBLEMAS HALLADOS : 82");
    EXPECT_EQ(lines[end - 3], std::string(17, ' ') +
                                  "NOTA: Por flexibilidad el empalme de tuberias se acepta por "
                                  "bateas, cuando no cumple la norma por claves");
    EXPECT_EQ(lines[end - 1], "\x1bH");
    // Nothing else was found: the other two lists are empty files.
    EXPECT_EQ(RevisionListState(p.files.deficiencies()), ListState::Empty);
    EXPECT_EQ(RevisionListState(p.files.rasDeficiencies()), ListState::Empty);
}

TEST_F(RevisionSector, NoPageBreakBeforeTheLastReach) {
    DesignCopy(CapacityNetwork(79, 78));  // reach 79 comes with the page full
    RevisionSummary summary;
    ASSERT_TRUE(Revise(summary));
    const std::vector<std::string> lines = Lines(ReadFile(p.files.problems()));
    EXPECT_EQ(SheetOf(lines, kBar + "  79 " + kBar), 1);
    EXPECT_EQ(SheetOf(lines, "HOJA No.2"), -1);
    for (const std::string& l : lines)
        EXPECT_EQ(l.find(char(19)), std::string::npos);  // the last page has no end code
}

TEST_F(RevisionSector, TenThousandReachesArePagedThroughQuickly) {
    DesignCopy(CapacityNetwork(10000, 0));
    RevisionSummary summary;
    const auto start = std::chrono::steady_clock::now();
    int calls = 0, lastTotal = 0;
    std::string title, message;
    ASSERT_TRUE(ReviseSector(
        session, summary,
        [&](int, int total) {
            ++calls;
            lastTotal = total;
        },
        &title, &message))
        << message;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("10000 reaches revised in %.3f s\n", seconds);
    EXPECT_EQ(calls, 10000);
    EXPECT_EQ(lastTotal, 10000);
    EXPECT_EQ(summary.counts.capacity, 10000);
    // 78 lines a sheet: 128 full sheets and the last one.
    const std::vector<std::string> lines = Lines(ReadFile(p.files.problems()));
    EXPECT_EQ(SheetOf(lines, kBar + "  78 " + kBar), 1);
    EXPECT_EQ(SheetOf(lines, kBar + "  79 " + kBar), 2);
    EXPECT_EQ(SheetOf(lines, kBar + "10000 " + kBar), 129);
    EXPECT_EQ(SheetOf(lines, "HOJA No.130"), -1);
    EXPECT_EQ(lines[lines.size() - 5],
              std::string(17, ' ') + "         TRAMOS REVISADOS   : 10000");
}

TEST_F(RevisionSector, ModelClassesListJunctionsOnlyFiveColumnsFurtherRight) {
    std::vector<TramoT> reaches = CapacityNetwork(3, 3);
    DesignCopy(reaches);
    Criteria([](specs::EspecT& e, shell::ProyectoT& h) {
        h.DesignClass = 7;
        e.FloodedNodes = 4;
        e.SurchargedNodes = 2;
    });
    RevisionSummary summary;
    ASSERT_TRUE(Revise(summary));
    EXPECT_EQ(summary.counts.capacity, 0);
    EXPECT_EQ(summary.counts.junction, 2);
    const std::vector<std::string> lines = Lines(ReadFile(p.files.problems()));
    // The page is 90 wide at margin 27; the table of 80 stands 5 further right.
    EXPECT_NE(lines[7].find("< PROBLEMAS DE EMPALME >"), std::string::npos);
    EXPECT_EQ(lines[9], "\x1bH" + std::string(32, ' ') + ProblemHeading(true)[0]);
    EXPECT_EQ(SheetOf(lines, std::string(32, ' ') + kBar + "   3 " + kBar + "U3   "), 1);
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        std::string(32, ' ') +
                            "NOTA: Por flexibilidad el empalme de tuberias se acepta por bateas"),
              lines.end());
    std::string all;
    for (const std::string& l : SummaryLines(summary))
        all += l + "\n";
    EXPECT_NE(all.find("inundacion ............. :4"), std::string::npos);
    EXPECT_NE(all.find("(no es problema) ..... :2"), std::string::npos);
}

TEST_F(RevisionSector, DeficienciesAndTheirTotals) {
    std::vector<TramoT> reaches = {Sound(), Sound(), Sound()};
    reaches[0].CrownDown = 100.30f;  // rising
    reaches[1].Class = network::kClassNotInvestigated;
    reaches[1].CrownDown = 100.30f;  // not investigated: not looked at
    DepthUp(reaches[2]) = 6;
    reaches[2].Upstream = "Q7";
    DesignCopy(reaches);
    RevisionSummary summary;
    ASSERT_TRUE(Revise(summary));
    EXPECT_EQ(summary.counts.deficiencies(), 2);
    EXPECT_EQ(summary.counts.deficiency[9], 1);
    EXPECT_EQ(summary.counts.deficiency[7], 1);
    const std::vector<std::string> lines = Lines(ReadFile(p.files.deficiencies()));
    const std::string m(20, ' ');  // width 104
    EXPECT_NE(lines[7].find("< DEFICIENCIAS EN TRAMOS EXISTENTES O RESTRINGIDOS >"),
              std::string::npos);
    EXPECT_EQ(lines[9], "\x1bH" + m + FindingHeading()[0]);
    EXPECT_EQ(lines[13],
              m + FindingLine(1, reaches[0], RevisionChecks(TestCriteria(), reaches[0])[0]));
    EXPECT_NE(lines[14].find("Q7   " + kBar + "P2   " + kBar + "existente" + kBar +
                             " ... La profundidad a clave del nudo superior (  6.00 m ) es grande"),
              std::string::npos);
    EXPECT_EQ(lines[15], m + FindingBottom());
    EXPECT_EQ(lines[16], m + "       TRAMOS REVISADOS      : 3");
    EXPECT_EQ(lines[17], m + "       DEFICIENCIAS HALLADAS : 2");
    EXPECT_EQ(lines[18], m + "NOTA: Tramos nuevos solo pueden presentar: profundidad grande, falta "
                             "de pozos intermedios, o ser tramos");
    EXPECT_EQ(lines[19], m + cp("      iniciales mas bajos que otros con los cuales comparten el "
                                "pozo de inspección(poner pozo separado)"));
    EXPECT_EQ(lines[20], "\x1bG" + m + std::string(104, static_cast<char>(205)));
    EXPECT_EQ(lines[21], "\x1bH");
    EXPECT_EQ(lines.size(), 22u);
    EXPECT_EQ(RevisionListState(p.files.problems()), ListState::Empty);
}

TEST_F(RevisionSector, NewReachesDeeperThanDesirableAreCountedUnderSeven) {
    Criteria([](specs::EspecT& e, shell::ProyectoT&) {
        e.MaxDesirableCrownDepth = 3.5f;
        e.MaxCrownDepth = 5.0f;
    });
    std::vector<TramoT> reaches = {Sound(), Sound()};
    for (TramoT& t : reaches)
        t.Class = network::kClassNew;
    DepthUp(reaches[0]) = DepthDown(reaches[0]) = 3.8f;  // 0.3 m deeper: listed
    DepthUp(reaches[1]) = DepthDown(reaches[1]) = 3.2f;  // 0.3 m shallower: not
    reaches[1].Upstream = "P2";
    reaches[1].Downstream = "P3";
    DesignCopy(reaches);
    RevisionSummary summary;
    ASSERT_TRUE(Revise(summary));
    EXPECT_EQ(summary.counts.deficiency[7], 2);
    EXPECT_EQ(summary.counts.deficiencies(), 2);
    const std::vector<std::string> lines = Lines(ReadFile(p.files.deficiencies()));
    const std::string m(20, ' ');  // width 104
    ASSERT_GE(lines.size(), 17u);
    EXPECT_EQ(lines[13], m + kBar + "   1 " + kBar + "P1   " + kBar + "P2   " + kBar + "  nuevo  " +
                             kBar +
                             " ... Profundidad a clave del nudo superior (  3.80 m ) supera la "
                             "deseable " +
                             kBar);
    EXPECT_EQ(lines[14].size(), m.size() + 104);
    EXPECT_NE(lines[14].find("inferior (  3.80 m ) supera la deseable"), std::string::npos);
    EXPECT_EQ(lines[15], m + FindingBottom());
    EXPECT_EQ(lines[16], m + "       TRAMOS REVISADOS      : 2");
    EXPECT_EQ(lines[17], m + "       DEFICIENCIAS HALLADAS : 2");
}

TEST_F(RevisionSector, ADesignCopyThatNoLongerMatchesTheNetworkIsNotRevised) {
    DesignCopy({Sound(), Sound()});
    // The network grew after the design: three reaches, a copy of two.
    Network({Sound(), Sound(), Sound()});
    Criteria([](specs::EspecT&, shell::ProyectoT& h) { h.StageDone[1] = 1; });
    RevisionSummary summary;
    std::string message;
    EXPECT_FALSE(Revise(summary, &message));
    EXPECT_EQ(message, cp("... Falta hacer o repetir el diseño del proyecto ..."));
    for (const std::string& path :
         {p.files.problems(), p.files.deficiencies(), p.files.rasDeficiencies()})
        EXPECT_EQ(RevisionListState(path), ListState::Missing);

    // Through the menu the message shows in a text box and nothing is listed.
    rig.console.pushKey('A');
    rig.pump.key(key::Enter);
    shell::RunModule(session, 6);
    EXPECT_EQ(screen.lastMessage(), cp("... Falta hacer o repetir el diseño del proyecto ..."));
    EXPECT_TRUE(viewer.shown.empty());
    // No design at all.
    fs::remove(p.files.designCopy());
    EXPECT_FALSE(Revise(summary, &message));
    EXPECT_EQ(message, cp("... Falta hacer el diseño del proyecto ..."));
}

TEST_F(RevisionSector, ZeroDiametersAndLengthsAreRevisedWithoutFaultyCells) {
    TramoT zero = Sound();
    zero.Diameter = 0;
    zero.Length = 0;
    zero.CrownDown = 100.5f;
    FullFlowQ0(zero) = 0;
    FullVelocityV0(zero) = 0;
    TramoT next = Sound();
    TributaryCount(next) = 1;
    TributaryRecord(next, 0) = 1;
    next.CrownUp = 101.0f;
    DesignCopy({zero, next});
    RevisionSummary summary;
    ASSERT_TRUE(Revise(summary));
    EXPECT_EQ(summary.counts.capacity, 1);
    EXPECT_EQ(summary.counts.junction, 1);
    EXPECT_EQ(summary.counts.deficiency[9], 1);
    for (const std::string& path : {p.files.problems(), p.files.deficiencies()}) {
        const std::string text = ReadFile(path);
        EXPECT_EQ(text.find("<E"), std::string::npos) << text;
        EXPECT_EQ(text.find("nan"), std::string::npos) << text;
    }
}

// A network of existing and restricted reaches with one fault each, designed: every
// fault is listed once, with its code, in its list.
TEST_F(RevisionSector, KnownFaultsOfExistingAndRestrictedReaches) {
    auto reach = [](const std::string& up, const std::string& down, float ground, int state,
                    float d, float depthUp, float drop, int type) {
        TramoT t;
        t.Upstream = up;
        t.Downstream = down;
        t.GroundUp = ground;
        t.GroundDown = ground - 0.5f;
        t.Length = 50;
        t.Area = 0.5f;
        t.Type = type;
        t.Class = state;
        t.Diameter = d;
        t.CrownUp = ground - depthUp;
        t.CrownDown = t.CrownUp - drop;
        t.Slope = drop * 100 / 50;
        t.ManningN = 0.013f;
        t.MinimumDepth = 0;
        return t;
    };
    const std::vector<TramoT> network = {
        reach("A1", "A2", 100, 1, 300, 1.2f, 0.5f, 0),    // 1: larger
        reach("A2", "A3", 99.5, 1, 200, 1.45f, 0.5f, 2),  // 2: smaller after it [2]
        reach("B1", "B2", 100, 1, 200, 0.5f, 0.4f, 2),    // 3: shallow upstream [6]
        reach("C1", "C2", 100, 1, 200, 1.4f, -0.2f, 2),   // 4: rising [9]
        reach("D1", "D2", 100, 2, 200, 1.0f, 0.05f, 2),   // 5: restricted, slow [3]
        reach("E1", "E2", 100, 1, 200, 1.0f, 0.4f, 2),    // 6: too full [1]
    };
    std::vector<TramoT> reaches = network;
    reaches[5].PointFlow = 27;
    Network(reaches);
    Criteria([](specs::EspecT& e, shell::ProyectoT&) { e.SanMinFullVelocity = 0.6f; });
    DesignOptions o;
    ASSERT_TRUE(o.Parse("NNNS"));
    CallbackSink sink;
    DesignResult result;
    ASSERT_TRUE(DesignNetwork(p, o, sink, result));

    RevisionSummary summary;
    ASSERT_TRUE(Revise(summary));
    const std::string deficiencies = ReadFile(p.files.deficiencies());
    const std::string problems = ReadFile(p.files.problems());
    // Each planted fault stands once on the line of its reach, under its class.
    auto listed = [&](int line, const std::string& up, const std::string& word,
                      const std::string& text) {
        const std::string start = FormatLine(kBar + "#### " + kBar, {line}) + up;
        int found = 0;
        for (const std::string& l : Lines(deficiencies))
            if (l.find(start) != std::string::npos && l.find(word) != std::string::npos &&
                l.find(text) != std::string::npos)
                ++found;
        return found;
    };
    EXPECT_EQ(listed(2, "A2", "existente",
                     "El diametro(  200 mm) es menor que el de un tramo "
                     "anterior(  300 mm )"),
              1)
        << deficiencies;
    EXPECT_EQ(listed(3, "B1", "existente", "nudo superior (  0.50 m ) es insuficiente"), 1);
    EXPECT_EQ(listed(4, "C1", "existente", "La pendiente del tramo (  -0.400 % )"), 1);
    EXPECT_EQ(listed(5, "D1", "restring.", "La velocidad a tubo lleno"), 1);
    EXPECT_EQ(listed(6, "E1", "existente", "El tubo trabaja demasiado lleno"), 1);
    // The sound ones are not listed; no fault is listed twice.
    EXPECT_EQ(listed(1, "A1", "", ""), 0) << deficiencies;
    EXPECT_EQ(summary.counts.deficiency[2], 1);
    EXPECT_EQ(summary.counts.deficiency[6], 1);
    EXPECT_EQ(summary.counts.deficiency[9], 1);
    EXPECT_EQ(summary.counts.deficiency[1], 1);
    EXPECT_EQ(RevisionListState(p.files.rasDeficiencies()), ListState::Empty);
    // The rising reach carries no flow at full section: a capacity problem as well.
    EXPECT_NE(problems.find(FormatLine(kBar + "#### " + kBar, {4}) + "C1"), std::string::npos)
        << problems;
}

// ---- The screens over a project made by the batch verbs ----

class RevisionScreen : public ::testing::Test {
  protected:
    testing::ConsoleRig rig;
    console::Screen screen{rig.console};
    testing::NullDesktop desktop;
    ui::MemorySettings settings;
    shell::MenuBarModel menu;
    shell::Session session{rig.switches, rig.console, screen, rig.ui, desktop, settings, menu};
    project::Project& p = session.project;
    RecordingViewer viewer;
    fs::path base_, start_ = fs::current_path();

    void SetUp() override {
        static std::atomic<int> n{0};
        base_ = fs::temp_directory_path() /
                ("nivex-revision-screen-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
        fs::create_directories(base_ / "projects");
        setenv("XDG_DATA_HOME", (base_ / "xdg").c_str(), 1);
        for (std::vector<std::string> args :
             {std::vector<std::string>{"new", "--yes"},
              {"simulate", "--horizontal", "3", "--vertical", "3", "--yes"},
              {"config", "--texto", "correo=a@b.co", "--texto", "pais=Colombia", "--texto",
               "entidad=E", "--texto", "fecha=09/12/26", "--texto", "consultor=C", "--texto",
               "proyecto=Revision", "--yes"},
              {"controls", "--yes"},
              {"design", "--yes"}}) {
            args.insert(args.begin(),
                        {"--projects", (base_ / "projects").string(), "--project", "RV1"});
            std::ostringstream out, err;
            ASSERT_EQ(cli::RunBatch(args, out, err), 0) << err.str();
        }
        fs::current_path(start_);
        project::ProjectSelection selection(session, p);
        ASSERT_EQ(selection.List((base_ / "projects").string()), project::ListOutcome::Listed);
        rig.ui.answers.push_back('S');
        ASSERT_EQ(selection.Accept({"RV", "1", "1"}), 'S');
        rig.ui.boxes.clear();
        session.viewer = &viewer;
    }
    void TearDown() override {
        fs::current_path(start_);
        fs::remove_all(base_);
    }
    void Choose(char sub) {
        rig.console.pushKey(static_cast<uint8_t>(sub));
        shell::RunModule(session, 6);
    }
};

TEST_F(RevisionScreen, ListsBeforeAnyRevisionAskForItFirst) {
    for (char sub : {'B', 'C', 'D'}) {
        rig.ui.boxes.clear();
        Choose(sub);
        ASSERT_NE(rig.ui.last(), nullptr) << sub;
        EXPECT_EQ(rig.ui.last()->kind, "warning");
        EXPECT_EQ(rig.ui.last()->message, cp("Primero debe hacer la Revision del Diseño"));
        EXPECT_EQ(rig.ui.last()->caption, "Informacion");
    }
    EXPECT_TRUE(viewer.shown.empty());
}

TEST_F(RevisionScreen, ANewDesignListsNoDeficiencyAndTheSummaryIsShown) {
    std::string progress, title;
    rig.pump.call([&] {});  // the revision asks nothing
    Choose('A');
    ASSERT_EQ(viewer.titles.size(), 1u);
    EXPECT_EQ(viewer.titles[0], "Resumen Revision");
    const std::string page = viewer.shown[0];
    EXPECT_NE(page.find("< RESUMEN DE PROBLEMAS Y DEFICIENCIAS >"), std::string::npos);
    EXPECT_NE(page.find("PROYECTO :  "), std::string::npos);
    EXPECT_NE(page.find("HOJA No.1"), std::string::npos);
    EXPECT_NE(page.find("[A] .... tramos con capacidad insuficiente ........ :0"),
              std::string::npos);
    EXPECT_NE(page.find("[12].... pendiente minima insuficiente ............. :0"),
              std::string::npos);
    EXPECT_EQ(page.find("[13]"), std::string::npos);
    EXPECT_NE(rig.row(6).find("procesando [25] de [25]"), std::string::npos) << rig.row(6);
    EXPECT_NE(rig.row(1).find("REVISION DEL CALCULO"), std::string::npos) << rig.row(1);
    // The listing files of the summary are gone; the three lists stay, all empty.
    EXPECT_FALSE(fs::exists(p.files.folder() + "LPT"));
    for (const std::string& path :
         {p.files.problems(), p.files.deficiencies(), p.files.rasDeficiencies()})
        EXPECT_EQ(RevisionListState(path), ListState::Empty) << path;

    const std::vector<std::pair<char, const char*>> empty = {{'B', "No existen Problemas"},
                                                             {'C', "No existen Deficiencias"},
                                                             {'D', "No existen Deficiencias RAS"}};
    for (auto [sub, message] : empty) {
        rig.ui.boxes.clear();
        Choose(sub);
        ASSERT_NE(rig.ui.last(), nullptr);
        EXPECT_EQ(rig.ui.last()->message, message);
        EXPECT_EQ(rig.ui.last()->caption, "Informacion");
    }
    EXPECT_EQ(viewer.shown.size(), 1u);
}

TEST_F(RevisionScreen, AListHoldingFindingsIsShownAfterTheQuestion) {
    Choose('A');
    // A list as a revision leaves it when it found something.
    {
        std::ofstream out(p.files.deficiencies(), std::ios::binary);
        out << "linea uno\r\nlinea dos\r\n";
    }
    rig.ui.boxes.clear();
    rig.ui.answers.push_back('N');
    Choose('C');
    ASSERT_NE(rig.ui.last(), nullptr);
    EXPECT_EQ(rig.ui.last()->kind, "yesno");
    EXPECT_EQ(rig.ui.last()->message, "desea listar las deficiencias encontradas ?");
    EXPECT_EQ(rig.ui.last()->caption, "Confirmacion");
    EXPECT_EQ(viewer.shown.size(), 1u);  // 'N': nothing shown

    rig.ui.answers.push_back('S');
    Choose('C');
    ASSERT_EQ(viewer.shown.size(), 2u);
    EXPECT_EQ(viewer.titles[1], "Deficiencias Encontradas");
    EXPECT_EQ(viewer.shown[1], "linea uno\r\nlinea dos\r\n");
    EXPECT_FALSE(fs::exists(p.files.folder() + "LPT"));

    {
        std::ofstream out(p.files.problems(), std::ios::binary);
        out << "x\r\n";
    }
    rig.ui.answers.push_back('S');
    Choose('B');
    EXPECT_EQ(rig.ui.last()->message, "desea listar los problemas encontrados ?");
    EXPECT_EQ(rig.ui.last()->caption, "Confirmar");
    ASSERT_EQ(viewer.titles.size(), 3u);
    EXPECT_EQ(viewer.titles[2], "Problemas Encontrados");
}

TEST_F(RevisionScreen, OtherSubOptionsDoNothing) {
    for (char sub : {'E', 'Z'}) {
        Choose(sub);
        EXPECT_TRUE(rig.ui.boxes.empty());
        EXPECT_TRUE(viewer.shown.empty());
        EXPECT_FALSE(fs::exists(p.files.problems()));
    }
}

}  // namespace
}  // namespace nivex::design
