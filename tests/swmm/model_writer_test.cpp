#include "swmm/model_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "design/reach_values.h"
#include "support/scripted.h"
#include "swmm/engine.h"
#include "swmm/model_writer_text.h"
#include "swmm/swmm_results.h"
#include "swmm/swmm_run.h"
#include "swmm_doubles.h"
#include "swmm_project_rig.h"
#include "ui/listing_viewer.h"

namespace nivex::swmm::testing {
namespace {

using network::TramoT;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The lines of one section, from its header to the empty line that ends it.
std::vector<std::string> Section(const std::string& text, const std::string& header) {
    std::vector<std::string> out;
    bool in = false;
    for (const std::string& line : LinesOf(text)) {
        if (!in) {
            in = line == "          " + header;
            continue;
        }
        if (line.empty()) break;
        if (line.rfind("          ;;", 0) == 0) continue;
        out.push_back(line);
    }
    return out;
}

bool HasSection(const std::string& text, const std::string& header) {
    for (const std::string& line : LinesOf(text))
        if (line == "          " + header) return true;
    return false;
}

// A new reach of 50 m and 300 mm whose crowns lie 1.2 m and 1.3 m below ground.
TramoT Reach(const std::string& up, const std::string& down, float flow, float sanitary = 1.5f) {
    TramoT t;
    t.Upstream = up;
    t.Downstream = down;
    t.Length = 50;
    t.Diameter = 300;
    t.CrownUp = 100;
    t.CrownDown = 99.5f;
    t.ManningN = -0.013f;
    t.Area = 0.4f;
    t.StormArea = 0.1f;
    design::DepthUp(t) = 1.2f;
    design::DepthDown(t) = 1.3f;
    design::DesignFlow(t) = flow;
    design::SanitaryMax(t) = sanitary;
    return t;
}

// Joins reach tributary (from 1) to reach receiver.
void Join(std::vector<TramoT>& r, int tributary, int receiver) {
    TramoT& t = r[static_cast<size_t>(receiver - 1)];
    design::TributaryRecord(t, design::TributaryCount(t)) = tributary;
    ++design::TributaryCount(t);
    design::ReceiverRecord(r[static_cast<size_t>(tributary - 1)]) = receiver;
}

SwmmInputData DataOf(const SwmmModel& model, const specs::EspecT& e,
                     const std::string& extension = "AB1") {
    SwmmInputData d;
    d.model = &model;
    d.espec = &e;
    d.extension = extension;
    d.projectName = "Red Norte";
    d.date = "03/07/2026";
    return d;
}

// The data of an imported project: the reaches' own names and types, and its map.
SwmmInputData ImportedDataOf(const SwmmModel& model, const specs::EspecT& e,
                             const std::vector<TramoT>& reaches,
                             const std::vector<MapPointT>& points) {
    SwmmInputData d = DataOf(model, e);
    d.imported = true;
    for (const TramoT& t : reaches) {
        d.upstreamNames.push_back(t.Upstream);
        d.reachTypes.push_back(t.Type);
    }
    d.mapPoints = points;
    return d;
}

// Two initial reaches leave P12, one leaves P3; the network ends in a discharge.
std::vector<TramoT> HeadNetwork() {
    std::vector<TramoT> r{Reach("P12", "A", 2), Reach("P3", "A", 3), Reach("A", "B", 6),
                          Reach("P12", "B", 2), Reach("B", "OUT", 9)};
    Join(r, 1, 3);
    Join(r, 2, 3);
    Join(r, 3, 5);
    Join(r, 4, 5);
    r[4].Type = 2;
    return r;
}

TEST(SwmmModel, HeadNodesAreNumberedPerManholeAfterTheirSort) {
    const std::vector<TramoT> r = HeadNetwork();
    const SwmmModel m = BuildSwmmModel(r, specs::DefaultEspec(), 1);
    ASSERT_EQ(m.links.size(), 5u);
    EXPECT_EQ(m.links[0].inlet, "P12-1");
    EXPECT_EQ(m.links[1].inlet, "P3-1");
    EXPECT_EQ(m.links[2].inlet, "A");
    EXPECT_EQ(m.links[3].inlet, "P12-2");
    EXPECT_EQ(m.links[4].inlet, "B");
    ASSERT_EQ(m.heads.size(), 3u);
    EXPECT_EQ(m.heads[0].head, "P12-1");
    EXPECT_EQ(m.heads[1].head, "P12-2");
    EXPECT_EQ(m.heads[2].head, "P3-1");

    // Each head gets its junction and its dry-weather flow line.
    specs::EspecT e = specs::DefaultEspec();
    const std::string text = SwmmInputText(DataOf(m, e));
    const std::vector<std::string> junctions = Section(text, "[JUNCTIONS]");
    ASSERT_EQ(junctions.size(), 5u);
    EXPECT_EQ(junctions[0],
              "            P12-1            99.70      1.50       0          0          0");
    EXPECT_EQ(junctions[1].substr(0, 19), "            P3-1   ");
    EXPECT_EQ(junctions[3].substr(0, 19), "            P12-2  ");
    const std::vector<std::string> dwf = Section(text, "[DWF]");
    ASSERT_EQ(dwf.size(), 5u);
    EXPECT_EQ(dwf[0], "            P12-1  FLOW             2.00");
    EXPECT_EQ(dwf[1], "            P3-1   FLOW             3.00");
    EXPECT_EQ(dwf[2], "            A      FLOW             1.00");  // 6 - 2 - 3
    EXPECT_EQ(dwf[3], "            P12-2  FLOW             2.00");
    EXPECT_EQ(dwf[4], "            B      FLOW             1.00");  // 9 - 6 - 2
}

TEST(SwmmModel, ShellSortMovesByGapsAndEqualNamesCountUp) {
    std::vector<TrIniT> heads;
    for (const char* n : {"Z", "B", "M", "B", "A", "B"}) {
        TrIniT h;
        h.upstream = n;
        heads.push_back(h);
    }
    ShellSortHeads(heads);
    NumberHeads(heads);
    std::vector<std::string> names;
    for (const TrIniT& h : heads)
        names.push_back(h.head);
    EXPECT_EQ(names, (std::vector<std::string>{"A-1", "B-1", "B-2", "B-3", "M-1", "Z-1"}));

    // Two entries stay as built.
    std::vector<TrIniT> two(2);
    two[0].upstream = "Z";
    two[1].upstream = "A";
    ShellSortHeads(two);
    EXPECT_EQ(two[0].upstream, "Z");
}

// A relief chamber in reach 2 spills into its own outfall; reach 3 takes its whole design
// flow at its node.
std::vector<TramoT> ReliefNetwork() {
    std::vector<TramoT> r{Reach("A", "X", 10, 1.5f), Reach("X", "Y", 8, 2),
                          Reach("Y", "Z", 12, 2.5f), Reach("Z", "W", 13, 3)};
    Join(r, 1, 2);
    Join(r, 2, 3);
    Join(r, 3, 4);
    r[1].ReliefFactor = 1.5f;
    design::StormSpilled(r[1]) = 5;
    design::SanitarySpilled(r[1]) = 1;
    r[3].Type = 2;
    r[3].CrownDown = 98.4f;
    return r;
}

TEST(SwmmModel, ReliefChamberEndsInItsOutfallAndCarriesTheDownstreamFlow) {
    const std::vector<TramoT> r = ReliefNetwork();
    const SwmmModel m = BuildSwmmModel(r, specs::DefaultEspec(), 3);
    EXPECT_EQ(m.links[1].outlet, "Y-A");
    EXPECT_TRUE(m.links[1].outfall);
    EXPECT_DOUBLE_EQ(m.links[0].nodeInflow, 10);
    EXPECT_DOUBLE_EQ(m.links[1].nodeInflow, 8 + 6 - 10);  // with the relief flow
    EXPECT_DOUBLE_EQ(m.links[2].nodeInflow, 12);          // carried, not 12 - 8
    EXPECT_DOUBLE_EQ(m.links[3].nodeInflow, 1);

    specs::EspecT e = specs::DefaultEspec();
    const std::string text = SwmmInputText(DataOf(m, e));
    const std::vector<std::string> outfalls = Section(text, "[OUTFALLS]");
    ASSERT_EQ(outfalls.size(), 2u);
    EXPECT_EQ(outfalls[0],
              "            Y-A              99.20      FREE                        NO ");
    // The discharge ends at an outfall at its own downstream invert, 98.4 - 0.3.
    EXPECT_EQ(outfalls[1],
              "            W                98.10      FREE                        NO ");
    const std::vector<std::string> conduits = Section(text, "[CONDUITS]");
    ASSERT_EQ(conduits.size(), 4u);
    // Its outlet lies 0.10 m below the junction downstream (a bad junction): negative.
    EXPECT_EQ(conduits[1],
              "            2                X                Y-A               50.00     "
              "0.013      0         -0.10       0          0");
    // Class 3 names its pattern.
    EXPECT_EQ(Section(text, "[DWF]")[2],
              "            Y      FLOW            12.00       \"P\"    ");
    EXPECT_TRUE(HasSection(text, "[PATTERNS]"));
}

TEST(SwmmModel, ReliefChamberInAStormDesignSpillsOnlyItsSanitaryFlowAtItsNode) {
    const std::vector<TramoT> r = ReliefNetwork();
    const SwmmModel m = BuildSwmmModel(r, specs::DefaultEspec(), 6);
    // The storms come from the subcatchments: the nodes take sanitary flows only.
    EXPECT_DOUBLE_EQ(m.links[0].nodeInflow, 1.5);
    EXPECT_DOUBLE_EQ(m.links[1].nodeInflow, 2 + 1 - 1.5);  // with the sanitary spill
    // Reach 2 ends at its outfall: what it lets go on (8 l/s in all) enters at Y beside
    // the 0.5 l/s of reach 3's own.
    EXPECT_DOUBLE_EQ(m.links[2].nodeInflow, 2.5 - 2 + 8);
    EXPECT_DOUBLE_EQ(m.links[3].nodeInflow, 3 - 2.5);
}

// Reach 2 leaves B with a relief chamber: 100 l/s arrive from reach 1 and 2 enter at B;
// the chamber spills 30 (storm) + 2 (sanitary) and reach 2 takes 70 on to X. Reach 3
// brings 120 to X, and reach 4 leaves X for the outfall O with 70 + 120 + its own 10.
// Pipes of 800 mm at 1 %, crowns 1.2 m deep, joined crown to crown.
std::vector<TramoT> ReliefJoinNetwork() {
    std::vector<TramoT> r{Reach("A", "B", 100, 4), Reach("B", "X", 70, 3), Reach("C", "X", 120, 5),
                          Reach("X", "O", 200, 9)};
    Join(r, 1, 2);
    Join(r, 2, 4);
    Join(r, 3, 4);
    r[1].ReliefFactor = 1.5f;
    design::StormSpilled(r[1]) = 30;
    design::SanitarySpilled(r[1]) = 2;  // with 4 + 1 of its own, 3 go on
    r[3].Type = 2;
    const float crowns[4][2] = {{101, 100.5f}, {100.5f, 100}, {100.5f, 100}, {100, 99.5f}};
    for (size_t k = 0; k < r.size(); ++k) {
        r[k].Diameter = 800;
        r[k].CrownUp = crowns[k][0];
        r[k].CrownDown = crowns[k][1];
        design::DepthUp(r[k]) = 1.2f;
        design::DepthDown(r[k]) = 1.2f;
    }
    return r;
}

TEST(SwmmModel, BelowAReliefChamberANodeTakesOnlyWhatEntersThere) {
    const std::vector<TramoT> r = ReliefJoinNetwork();
    SwmmModel m = BuildSwmmModel(r, specs::DefaultEspec(), 2);
    ASSERT_EQ(m.links[1].outlet, "X-A");
    EXPECT_DOUBLE_EQ(m.links[0].nodeInflow, 100);
    EXPECT_DOUBLE_EQ(m.links[1].nodeInflow, 70 + (30 + 2) - 100);
    EXPECT_DOUBLE_EQ(m.links[2].nodeInflow, 120);
    // Reach 3 still delivers its 120 through its pipe; reach 2 ends at X-A, so its 70
    // enter at X beside the 10 of reach 4's own: 200 - 120.
    EXPECT_DOUBLE_EQ(m.links[3].nodeInflow, 80);
    // What enters upstream of O (X and the head of reach 3) is what the design sends
    // there; upstream of X-A, what reaches the chamber before it spills.
    EXPECT_DOUBLE_EQ(m.links[3].nodeInflow + m.links[2].nodeInflow, 200);
    EXPECT_DOUBLE_EQ(m.links[0].nodeInflow + m.links[1].nodeInflow, 70 + 30 + 2);

    // With the storms from SWMM the nodes take the sanitary flows, and X the whole of
    // what reach 2 lets go on: 9 - 3 - 5 of its own + 70.
    m = BuildSwmmModel(r, specs::DefaultEspec(), 6);
    EXPECT_DOUBLE_EQ(m.links[0].nodeInflow, 4);
    EXPECT_DOUBLE_EQ(m.links[1].nodeInflow, 3 + 2 - 4);
    EXPECT_DOUBLE_EQ(m.links[2].nodeInflow, 5);
    EXPECT_DOUBLE_EQ(m.links[3].nodeInflow, 1 + 70);
}

// "Avg Flow" of an outfall in the report's "Outfall Loading Summary"; -1 when missing.
double OutfallMeanFlow(const std::string& report, const std::string& outfall) {
    const size_t table = report.find("Outfall Loading Summary");
    if (table == std::string::npos) return -1;
    std::istringstream in(report.substr(table));
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string name, frequency, mean;
        if (words >> name >> frequency >> mean && name == outfall) return std::stod(mean);
    }
    return -1;
}

TEST(SwmmTextOnEngine, AroundAReliefChamberTheOutfallsReceiveWhatTheDesignSendsThere) {
    ASSERT_TRUE(ProgramEngine().loaded()) << ProgramEngine().loadError();
    ScratchFolder folder("relief");
    const std::vector<TramoT> r = ReliefJoinNetwork();
    const SwmmModel m = BuildSwmmModel(r, specs::DefaultEspec(), 2);
    specs::EspecT e = specs::DefaultEspec();
    folder.write("m.inp", SwmmInputText(DataOf(m, e)));
    SwmmOutcome outcome;
    ASSERT_EQ(RunSwmm(ProgramEngine(), nullptr, folder.path(),
                      {folder.file("m.inp"), folder.file("m.rpt"), folder.file("m.out")}, &outcome),
              0)
        << outcome.engineText << ReadAll(folder.file("m.rpt"));
    // The mean flow of each outfall over the run, as the engine's loading table gives it:
    // O receives the 200 l/s of reach 4's design, not 200 + the 120 of reach 3 again;
    // X-A what reaches the chamber.
    const std::string report = ReadAll(folder.file("m.rpt"));
    EXPECT_NEAR(OutfallMeanFlow(report, "O"), 200, 2) << report;
    EXPECT_NEAR(OutfallMeanFlow(report, "X-A"), 102, 1) << report;
}

TEST(SwmmModel, ReliefChambersInConsecutiveReachesStopTheWriter) {
    std::vector<TramoT> r = ReliefNetwork();
    r[2].ReliefFactor = 1;
    const ReliefFault f = FindConsecutiveReliefChambers(r);
    ASSERT_TRUE(f.found());
    EXPECT_EQ(ReliefChambersMessage(f),
              "No de haber Camaras de Alivios en tramos hidraulicamente seguidos. \rEllo ocurre en "
              "los tramos: X - Y y Y - Z.\rCorrija para poder continuar.");
    nivex::testing::ScriptedUi ui;
    EXPECT_TRUE(CheckReliefChambers(r, ui));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Error");
    EXPECT_FALSE(CheckReliefChambers(ReliefNetwork(), ui));
}

TEST(SwmmModel, ADuctOfThreeMetresIsAClosedRectangle) {
    std::vector<TramoT> r = HeadNetwork();
    r[4].Diameter = 3000;
    r[2].Diameter = 2999;
    const SwmmModel m = BuildSwmmModel(r, specs::DefaultEspec(), 1);
    specs::EspecT e = specs::DefaultEspec();
    const std::vector<std::string> x = Section(SwmmInputText(DataOf(m, e)), "[XSECTIONS]");
    ASSERT_EQ(x.size(), 5u);
    EXPECT_EQ(x[4],
              "            5                RECT_CLOSED     3.000     3.000      3.000          0 "
              "         1");
    EXPECT_EQ(x[2],
              "            3                CIRCULAR     2.999      0          0          0     "
              "     1");
}

TEST(SwmmModel, APassedTwiceManholeBecomesTwoNodes) {
    std::vector<TramoT> r{Reach("A", "X", 1), Reach("X", "B", 1), Reach("C", "X", 1),
                          Reach("X", "D", 1)};
    Join(r, 1, 2);
    Join(r, 3, 4);
    const SwmmModel m = BuildSwmmModel(r, specs::DefaultEspec(), 1);
    EXPECT_EQ(m.links[1].inlet, "X");
    EXPECT_EQ(m.links[2].outlet, "X-Z");
    EXPECT_EQ(m.links[3].inlet, "X-Z");
}

TEST(SwmmModel, AnOutletThatNoConduitLeavesIsAnOutfall) {
    // A reach to another sector ends the network without a discharge.
    std::vector<TramoT> r{Reach("A", "B", 1), Reach("B", "C", 2)};
    Join(r, 1, 2);
    r[1].Type = 5;
    const SwmmModel m = BuildSwmmModel(r, specs::DefaultEspec(), 1);
    EXPECT_FALSE(m.links[0].outfall);
    EXPECT_TRUE(m.links[1].outfall);
}

TEST(SwmmModel, OutletOffsetIsTheDropIntoTheDownstreamReach) {
    std::vector<TramoT> r{Reach("A", "B", 1), Reach("B", "C", 2)};
    Join(r, 1, 2);
    design::DepthUp(r[1]) = 1.5f;
    r[1].Diameter = 400;
    const SwmmModel m = BuildSwmmModel(r, specs::DefaultEspec(), 1);
    EXPECT_NEAR(m.links[0].outletOffset, (1.5 + 0.4) - (1.3 + 0.3), 1e-6);
    EXPECT_EQ(m.links[1].outletOffset, 0);
}

TEST(SwmmFiles, SectorZeroHasNoSuffix) {
    const SwmmFileSet zero = SwmmFileNames("/tmp/sw", "AB0", "Red");
    EXPECT_EQ(zero.input, "/tmp/sw/SWMM - AB0-Red.inp");
    EXPECT_EQ(zero.report, "/tmp/sw/SWMM - AB0-Red.rpt");
    EXPECT_EQ(zero.output, "/tmp/sw/SWMM - AB0-Red.out");
    EXPECT_EQ(zero.settings, "/tmp/sw/SWMM - AB0-Red.ini");
    EXPECT_EQ(SwmmFileNames("/tmp/sw/", "AB3", "Red").input,
              "/tmp/sw/SWMM - AB3-Red - Sector#3.inp");

    const SwmmModel m = BuildSwmmModel(HeadNetwork(), specs::DefaultEspec(), 1);
    specs::EspecT e = specs::DefaultEspec();
    EXPECT_EQ(LinesOf(SwmmInputText(DataOf(m, e, "AB0")))[1], "          Red Norte");
    EXPECT_EQ(LinesOf(SwmmInputText(DataOf(m, e, "AB2")))[1], "          Red Norte - Sector#2");
}

TEST(SwmmFiles, ClearingDeletesEveryFileThatExists) {
    ScratchFolder folder("clear");
    const SwmmFileSet f = SwmmFileNames(folder.path(), "AB1", "Red");
    std::ofstream(f.input) << "x";
    std::ofstream(f.settings) << "x";
    EXPECT_TRUE(ClearSwmmFiles(f));
    EXPECT_FALSE(std::filesystem::exists(f.input));
    EXPECT_FALSE(std::filesystem::exists(f.settings));
    EXPECT_TRUE(ClearSwmmFiles(f));  // nothing left to delete
}

TEST(SwmmText, OptionsFollowTheClassAndTheSettings) {
    const SwmmModel sanitary = BuildSwmmModel(HeadNetwork(), specs::DefaultEspec(), 1);
    specs::EspecT e = specs::DefaultEspec();
    e.InfiltrationModel = 2;
    e.SwmmRouting = 1;
    std::string text = SwmmInputText(DataOf(sanitary, e));
    const std::vector<std::string> o = Section(text, "[OPTIONS]");
    ASSERT_GE(o.size(), 9u);
    EXPECT_EQ(o[0], "          FLOW_UNITS            LPS");
    EXPECT_EQ(o[1], "          INFILTRATION        CURVE_NUMBER");
    EXPECT_EQ(o[2], "          FLOW_ROUTING          KINWAVE");
    EXPECT_EQ(o[3], "          START_DATE            03/07/2026");
    EXPECT_EQ(o[8], "          END_TIME              03:00:00");
    EXPECT_EQ(text.find("\r\n"), text.find('\n') - 1);  // CR LF line ends
    EXPECT_FALSE(HasSection(text, "[RAINGAGES]"));
    EXPECT_FALSE(HasSection(text, "[PATTERNS]"));
    EXPECT_FALSE(HasSection(text, "[COORDINATES]"));
    EXPECT_EQ(Section(text, "[REPORT]"),
              (std::vector<std::string>{"          INPUT     NO", "          CONTROLS  NO"}));

    e.InfiltrationModel = 7;  // no line for an unknown model
    e.SwmmRouting = 0;
    const SwmmModel combined = BuildSwmmModel(HeadNetwork(), e, 3);
    text = SwmmInputText(DataOf(combined, e));
    EXPECT_EQ(text.find("INFILTRATION"), std::string::npos);
    EXPECT_NE(text.find("          FLOW_ROUTING          DYNWAVE\r\n"), std::string::npos);
    EXPECT_NE(text.find("          END_TIME              23:59\r\n"), std::string::npos);
    const SwmmModel storm = BuildSwmmModel(HeadNetwork(), e, 7);
    text = SwmmInputText(DataOf(storm, e));
    EXPECT_NE(text.find("          END_TIME              06:00\r\n"), std::string::npos);
    EXPECT_FALSE(HasSection(text, "[DWF]"));  // storm only
}

TEST(SwmmText, TwoPointSevenEquationsWriteTwoGaugesAndTwoSeries) {
    specs::EspecT e = specs::DefaultEspec();
    e.EquationCount = 2.7f;
    e.Equations[1] = e.Equations[0];
    e.Equations[1].a = 1200;
    std::vector<TramoT> r = HeadNetwork();
    r[1].RainNumber = 2;
    r[2].RainNumber = 3;  // no third gauge: the first one
    const SwmmModel m = BuildSwmmModel(r, e, 6);
    EXPECT_EQ(m.links[0].rainGauge, 0 + 1);  // 0 entered: the first gauge
    EXPECT_EQ(m.links[1].rainGauge, 2);
    EXPECT_EQ(m.links[2].rainGauge, 1);
    const std::string text = SwmmInputText(DataOf(m, e));
    const std::vector<std::string> gauges = Section(text, "[RAINGAGES]");
    ASSERT_EQ(gauges.size(), 1u);  // each gauge line is followed by an empty line
    EXPECT_EQ(gauges[0],
              "            Lluvia_1         INTENSITY  0:10       0          TIMESERIES TS1" +
                  std::string(23, ' '));
    EXPECT_NE(
        text.find("            Lluvia_2         INTENSITY  0:10       0          TIMESERIES TS2"),
        std::string::npos);
    EXPECT_EQ(text.find("Lluvia_3 "), std::string::npos);
    const std::vector<std::string> series = Section(text, "[TIMESERIES]");
    ASSERT_EQ(series.size(), 24u);
    EXPECT_EQ(series[0].substr(0, 15), "            TS1");
    EXPECT_EQ(series[12].substr(0, 15), "            TS2");
    EXPECT_EQ(series[6].substr(0, 49), "            TS1" + std::string(29, ' ') + "00:60");
    const std::vector<std::string> sub = Section(text, "[SUBCATCHMENTS]");
    ASSERT_EQ(sub.size(), 5u);
    EXPECT_EQ(sub[1],
              "            C-2              Lluvia_2   P3-1       0.50       50          10        "
              "0.01      0");
    EXPECT_EQ(Section(text, "[SUBAREAS]")[0],
              "            C-1              0.01       0.1        1.25       1.25       25         "
              "OUTLET  ");
    EXPECT_TRUE(HasSection(text, "[DWF]"));  // class 6 is combined
    EXPECT_FALSE(HasSection(text, "[PATTERNS]"));
}

TEST(SwmmText, DesignStormsAreAlternatingBlocks) {
    specs::EspecT e = specs::DefaultEspec();
    e.EquationCount = 1;
    e.Equations[0].a = 908;
    e.Equations[0].b = 0;
    e.Equations[0].n = 0.3f;
    e.Equations[0].m = 1;
    const std::vector<DesignStorm> storms = MakeDesignStorms(e);
    ASSERT_EQ(storms.size(), 1u);
    // Block b: i(10b) in l/s/ha to two decimals, over 2.7777 to mm/h, the depth increment
    // times six.
    std::vector<double> block;
    double before = 0;
    for (int b = 1; b <= 12; ++b) {
        const double t = 10.0 * b;
        const double i = std::round(908 / std::pow(t, 0.3) * 100) / 100;
        const double depth = i / 2.7777 * t / 60;
        block.push_back(6 * (depth - before));
        before = depth;
    }
    const int order[12] = {11, 9, 7, 5, 3, 1, 2, 4, 6, 8, 10, 12};
    for (int p = 0; p < 12; ++p)
        EXPECT_NEAR(std::stod(storms[0][static_cast<size_t>(p)]),
                    block[static_cast<size_t>(order[p] - 1)], 1e-4)
            << p;
    EXPECT_GT(std::stod(storms[0][5]), std::stod(storms[0][6]));  // the peak sixth
    e.EquationCount = 0;
    EXPECT_TRUE(MakeDesignStorms(e).empty());
}

TEST(SwmmText, HyetographIntensitiesOfAThousandthAreLeftOut) {
    specs::EspecT e = specs::DefaultEspec();
    e.SeriesCount = 1;
    e.SeriesInterval = 5;
    e.Series[0] = {};
    e.Series[0][0] = 12.34567f;
    e.Series[0][1] = 0.001f;
    e.Series[0][2] = 0.0015f;
    e.Series[0][12] = 40;
    const SwmmModel m = BuildSwmmModel(HeadNetwork(), e, 8);
    const std::string text = SwmmInputText(DataOf(m, e));
    const std::vector<std::string> s = Section(text, "[TIMESERIES]");
    ASSERT_EQ(s.size(), 3u);
    const std::string lead = "            TS1" + std::string(29, ' ');
    EXPECT_EQ(s[0], lead + "00:00          12.345");
    EXPECT_EQ(s[1], lead + "00:10          0.001");  // 0.0015 cut
    EXPECT_EQ(s[2], lead + "01:00          40");
    EXPECT_EQ(Section(text, "[RAINGAGES]")[0],
              "            Lluvia_1         INTENSITY   0:05        0          TIMESERIES TS1" +
                  std::string(23, ' '));
}

TEST(SwmmText, PicturesRoundHalvesAwayAndWidenRatherThanCut) {
    EXPECT_EQ(NumberField(0.125, 5, 2), " 0.13");
    EXPECT_EQ(NumberField(-0.125, 6, 2), " -0.13");
    EXPECT_EQ(NumberField(-0.001, 5, 2), " 0.00");
    EXPECT_EQ(NumberField(12345.678, 6, 2), "12345.68");
    EXPECT_EQ(NumberField(std::nan(""), 4, 1), " 0.0");
    EXPECT_EQ(TextField("ABCDEFGHI", 7), "ABCDEFG");
    EXPECT_EQ(TextField("AB", 4), "AB  ");
    EXPECT_EQ(GeneralText(56.647f), "56.647");
    EXPECT_EQ(GeneralText(2.0f), "2");
    EXPECT_EQ(CutAfterThreeDecimals("1.23456"), "1.234");
    EXPECT_EQ(CutAfterThreeDecimals("17"), "17");
}

TEST(SwmmText, AFullNodeNameKeepsABlankBeforeItsParameter) {
    std::vector<TramoT> r{Reach("P1234", "B", 1), Reach("B", "C", 2)};
    Join(r, 1, 2);
    r[1].Type = 2;
    const SwmmModel m = BuildSwmmModel(r, specs::DefaultEspec(), 1);
    specs::EspecT e = specs::DefaultEspec();
    EXPECT_EQ(Section(SwmmInputText(DataOf(m, e)), "[DWF]")[0],
              "            P1234-1 FLOW             1.00");
}

TEST(SwmmText, GridCoordinatesOfASimulatedProject) {
    const SwmmModel m = BuildSwmmModel(HeadNetwork(), specs::DefaultEspec(), 1);
    specs::EspecT e = specs::DefaultEspec();
    SwmmInputData d = DataOf(m, e);
    d.simulated = true;
    d.gridRows = 1;
    d.gridColumns = 1;
    d.gridLength = 100;
    d.gridOutlet = "5";
    const std::vector<std::string> c = Section(SwmmInputText(d), "[COORDINATES]");
    auto line = [](const std::string& name, const char* x, const char* y) {
        return "            " + TextField(name, 8) + std::string(10, ' ') + x +
               std::string(16, ' ') + y;
    };
    ASSERT_EQ(c.size(), 6u);
    EXPECT_EQ(c[0], line("1-1", "10100.00", "10300.00"));
    EXPECT_EQ(c[1], line("2", "10200.00", "10300.00"));
    EXPECT_EQ(c[2], line("3", "10100.00", "10200.00"));
    EXPECT_EQ(c[3], line("4", "10200.00", "10200.00"));
    EXPECT_EQ(c[4], line("1A-1", "10100.00", "10290.00"));
    EXPECT_EQ(c[5], line("5", "10200.00", "10100.00"));
}

// The data of a network that is neither simulated nor imported, with stored coordinates.
SwmmInputData StoredDataOf(const SwmmModel& model, const specs::EspecT& e,
                           const std::vector<TramoT>& reaches,
                           const std::vector<drawings::ManholePoint>& points) {
    SwmmInputData d = DataOf(model, e);
    for (const TramoT& t : reaches) {
        d.upstreamNames.push_back(t.Upstream);
        d.downstreamNames.push_back(t.Downstream);
    }
    d.coordinates = points;
    return d;
}

TEST(SwmmText, StoredCoordinatesPlaceEveryNodeWhoseManholeHasThem) {
    const std::vector<TramoT> r = HeadNetwork();
    const SwmmModel m = BuildSwmmModel(r, specs::DefaultEspec(), 1);
    specs::EspecT e = specs::DefaultEspec();
    // Without stored points nothing is written, as before.
    EXPECT_FALSE(HasSection(SwmmInputText(DataOf(m, e)), "[COORDINATES]"));
    EXPECT_FALSE(HasSection(SwmmInputText(StoredDataOf(m, e, r, {})), "[COORDINATES]"));

    // B has no point; both heads leaving P12 stand at P12.
    const SwmmInputData d = StoredDataOf(m, e, r,
                                         {{"OUT", 4880050, 2065300},
                                          {"P12", 4880000.5, 2065000.25},
                                          {"A", 4880050, 2065100},
                                          {"P3", 4880100.125, 2065000},
                                          {"ZZ", 1, 1}});
    const std::vector<std::string> c = Section(SwmmInputText(d), "[COORDINATES]");
    auto line = [](const std::string& node, const std::string& x, const std::string& y) {
        return std::string(12, ' ') + node + std::string(17 - node.size(), ' ') +
               std::string(18 - x.size(), ' ') + x + ' ' + std::string(18 - y.size(), ' ') + y;
    };
    const std::vector<std::string> expected = {
        line("P12-1", "4880000.500", "2065000.250"), line("A", "4880050.000", "2065100.000"),
        line("P3-1", "4880100.125", "2065000.000"), line("P12-2", "4880000.500", "2065000.250"),
        line("OUT", "4880050.000", "2065300.000")};
    EXPECT_EQ(c, expected);
}

TEST(SwmmTextOnEngine, StoredCoordinatesAreAccepted) {
    ASSERT_TRUE(ProgramEngine().loaded()) << ProgramEngine().loadError();
    ScratchFolder folder("stored");
    const std::vector<TramoT> r = HeadNetwork();
    const SwmmModel m = BuildSwmmModel(r, specs::DefaultEspec(), 1);
    specs::EspecT e = specs::DefaultEspec();
    const SwmmInputData d = StoredDataOf(
        m, e, r,
        {{"P12", 4880000.5, 2065000.25}, {"A", 4880050, 2065100}, {"OUT", 4880050, 2065300}});
    folder.write("m.inp", SwmmInputText(d));
    SwmmOutcome outcome;
    const int rc =
        RunSwmm(ProgramEngine(), nullptr, folder.path(),
                {folder.file("m.inp"), folder.file("m.rpt"), folder.file("m.out")}, &outcome);
    EXPECT_EQ(rc, 0) << outcome.engineText << ReadAll(folder.file("m.rpt"));
}

TEST(SwmmTextOnEngine, BendsAreWrittenAsVerticesOfTheirConduitsAndAccepted) {
    ASSERT_TRUE(ProgramEngine().loaded()) << ProgramEngine().loadError();
    ScratchFolder folder("bends");
    const std::vector<TramoT> r = HeadNetwork();
    const SwmmModel m = BuildSwmmModel(r, specs::DefaultEspec(), 1);
    specs::EspecT e = specs::DefaultEspec();
    SwmmInputData d = StoredDataOf(
        m, e, r,
        {{"P12", 4880000.5, 2065000.25}, {"A", 4880050, 2065100}, {"OUT", 4880050, 2065300}});
    // Without bends there is no section; reach 3 (A to B) bends twice, the others run
    // straight.
    EXPECT_FALSE(HasSection(SwmmInputText(d), "[VERTICES]"));
    d.bends = {{}, {}, {{4880060.25, 2065150}, {4880070, 2065180.5}}, {}, {}};
    const std::string text = SwmmInputText(d);
    auto line = [](const std::string& link, const std::string& x, const std::string& y) {
        return std::string(12, ' ') + link + std::string(17 - link.size(), ' ') +
               std::string(18 - x.size(), ' ') + x + ' ' + std::string(18 - y.size(), ' ') + y;
    };
    const std::vector<std::string> expected = {line("3", "4880060.250", "2065150.000"),
                                               line("3", "4880070.000", "2065180.500")};
    EXPECT_EQ(Section(text, "[VERTICES]"), expected);
    // Conduit 3 is the one from A to B.
    bool named = false;
    for (const std::string& c : Section(text, "[CONDUITS]"))
        named = named || (c.find(" 3 ") != std::string::npos && c.find(" A ") != std::string::npos);
    EXPECT_TRUE(named);
    folder.write("m.inp", text);
    SwmmOutcome outcome;
    const int rc =
        RunSwmm(ProgramEngine(), nullptr, folder.path(),
                {folder.file("m.inp"), folder.file("m.rpt"), folder.file("m.out")}, &outcome);
    EXPECT_EQ(rc, 0) << outcome.engineText << ReadAll(folder.file("m.rpt"));
}

TEST(SwmmText, MapCoordinatesOfAnImportedProjectMoveTheHeadNodes) {
    ScratchFolder folder("map");
    folder.write(
        "MAPA.AB1",
        ";;map\r\nP12 100 100\r\nA 100 200\r\nP3 300 200\r\nB 100 300\r\nOUT 100 400\r\n\r\n"
        "ignored 1 1\r\n");
    const std::vector<MapPointT> points = ReadMapPoints(folder.file("MAPA.AB1"));
    ASSERT_EQ(points.size(), 5u);
    EXPECT_EQ(points[4].name, "OUT");
    const std::vector<TramoT> r = HeadNetwork();
    const SwmmModel m = BuildSwmmModel(r, specs::DefaultEspec(), 1);
    specs::EspecT e = specs::DefaultEspec();
    const SwmmInputData d = ImportedDataOf(m, e, r, points);
    const std::string text = SwmmInputText(d);
    EXPECT_NE(
        text.find("          [MAP]\r\n          DIMENSIONS  0.000 0.000 10000.00 10000.00\r\n"),
        std::string::npos);
    const std::vector<std::string> c = Section(text, "[COORDINATES]");
    ASSERT_EQ(c.size(), 6u);
    // Lengths of the head reaches: 100 (P12-A), 200 (P3-A), 200 (P12-B); mean 166.7, so
    // every one moves by 0.025 of its length towards its downstream point.
    auto line = [](const std::string& name, const char* x, const char* y) {
        return "            " + TextField(name, 9) + std::string(6, ' ') + x +
               std::string(15, ' ') + y;
    };
    EXPECT_EQ(c[0], line("P12-1", "  100.000", "  102.500"));
    EXPECT_EQ(c[1], line("P3-1", "  295.000", "  200.000"));
    EXPECT_EQ(c[2], line("A", "  100.000", "  200.000"));
    EXPECT_EQ(c[3], line("P12-2", "  100.000", "  105.000"));
    // The outfall points: the last entries of the map file, their texts as they are.
    EXPECT_EQ(c[5], "            OUT" + std::string(8 + 5, ' ') + "100" + std::string(6 + 15, ' ') +
                        "400      ");
}

TEST(SwmmTextOnEngine, TheMapOfAnImportedProjectAndTheNetworkEndsAreAccepted) {
    ASSERT_TRUE(ProgramEngine().loaded()) << ProgramEngine().loadError();
    ScratchFolder folder("imported");
    std::vector<TramoT> r = HeadNetwork();
    r.push_back(Reach("B", "S2", 1));  // a second reach leaves B for another sector
    r.back().Type = 5;
    const SwmmModel m = BuildSwmmModel(r, specs::DefaultEspec(), 3);
    specs::EspecT e = specs::DefaultEspec();
    const SwmmInputData d = ImportedDataOf(
        m, e, r, {{"P12", "100", "100"}, {"A", "100", "200"}, {"OUT", "100", "400"}});
    folder.write("m.inp", SwmmInputText(d));
    SwmmOutcome outcome;
    const int rc =
        RunSwmm(ProgramEngine(), nullptr, folder.path(),
                {folder.file("m.inp"), folder.file("m.rpt"), folder.file("m.out")}, &outcome);
    EXPECT_EQ(rc, 0) << outcome.engineText << ReadAll(folder.file("m.rpt"));
}

TEST(SwmmText, AnImportedMapWithLowerCaseNamesPlacesItsNodes) {
    // The import makes the node names upper case; the map file keeps the model's lines.
    ScratchFolder folder("lower");
    folder.write("MAPA.AB1",
                 ";;Node             X-Coord            Y-Coord\r\n"
                 "p12 100 100\r\na 100 200\r\np3 300 200\r\nb 100 300\r\nout 100 400\r\n"
                 "\r\n[VERTICES]\r\n");
    const std::vector<MapPointT> points = ReadMapPoints(folder.file("MAPA.AB1"));
    ASSERT_EQ(points.size(), 5u);
    EXPECT_EQ(points[0].name, "P12");
    EXPECT_EQ(points[4].name, "OUT");
    const std::vector<TramoT> r = HeadNetwork();
    const SwmmModel m = BuildSwmmModel(r, specs::DefaultEspec(), 1);
    specs::EspecT e = specs::DefaultEspec();
    const SwmmInputData d = ImportedDataOf(m, e, r, points);
    const std::vector<std::string> c = Section(SwmmInputText(d), "[COORDINATES]");
    ASSERT_EQ(c.size(), 6u);
    // A at (100, 200) and B at (100, 300); P3-1 moved by 0.025 of its 200 m towards A.
    EXPECT_EQ(c[2].substr(12),
              "A        " + std::string(6, ' ') + "  100.000" + std::string(15, ' ') + "  200.000");
    EXPECT_EQ(c[4].substr(12),
              "B        " + std::string(6, ' ') + "  100.000" + std::string(15, ' ') + "  300.000");
    EXPECT_EQ(c[1].substr(12, 9), "P3-1     ");
    EXPECT_EQ(c[1].substr(27), "  295.000" + std::string(15, ' ') + "  200.000");
    // The outfall point is the model's outfall.
    EXPECT_EQ(c[5].substr(12, 11), "OUT        ");
}

// ---- Names the engine cannot read as they are ----

// Manhole names that the engine would split at the blank, read as a comment, a quote or
// a section, beside "A_B", which a careless stand-in for the blank would turn "A B" into.
// The reach that leaves D;E is of 100 mm for 60 l/s: that node floods.
std::vector<TramoT> OddNameNetwork() {
    std::vector<TramoT> r{Reach("A B", "D;E", 10), Reach("A_B", "D;E", 10), Reach("D;E", "[C", 60),
                          Reach("\"F", "[C", 10), Reach("[C", "OUT", 80)};
    Join(r, 1, 3);
    Join(r, 2, 3);
    Join(r, 3, 5);
    Join(r, 4, 5);
    r[2].Diameter = 100;
    r[4].Type = 2;
    return r;
}

TEST(SwmmTextOnEngine, NamesTheEngineCannotReadAsTheyAreRunAndReadBackAsThePrograms) {
    ASSERT_TRUE(ProgramEngine().loaded()) << ProgramEngine().loadError();
    ScratchFolder folder("names");
    const std::vector<TramoT> r = OddNameNetwork();
    const SwmmModel m = BuildSwmmModel(r, specs::DefaultEspec(), 2);
    specs::EspecT e = specs::DefaultEspec();
    const std::string text = SwmmInputText(DataOf(m, e));

    // Every node is one word of its own, and no two manholes share a name.
    std::set<std::string> written;
    for (const std::string& line : Section(text, "[JUNCTIONS]")) {
        const std::string name = line.substr(12, 7);
        const std::string word = name.substr(0, name.find(' '));
        EXPECT_EQ(word.find_first_of(";\"["), std::string::npos) << word;
        EXPECT_EQ(name.find_first_not_of(' ', word.size()), std::string::npos) << name;
        EXPECT_TRUE(written.insert(word).second) << word;
    }
    EXPECT_EQ(written.size(), 5u);
    EXPECT_TRUE(written.count("A_B-1"));  // a name the engine reads stays as it is

    folder.write("m.inp", text);
    SwmmOutcome outcome;
    ASSERT_EQ(RunSwmm(ProgramEngine(), nullptr, folder.path(),
                      {folder.file("m.inp"), folder.file("m.rpt"), folder.file("m.out")}, &outcome),
              0)
        << outcome.engineText << ReadAll(folder.file("m.rpt"));
    std::vector<std::string> report;
    ASSERT_TRUE(ReadTextLines(folder.file("m.rpt"), report));
    project::FileNames files;
    files.Build(folder.path(), "AB1");
    ExtractionSet which;
    which.flows = which.floodedNodes = which.surchargedNodes = true;
    SwmmReading reading;
    ASSERT_TRUE(ExtractResults(files, report, r, which, reading)) << reading.problem;
    EXPECT_EQ(reading.linkRows, 5);
    // The flooded nodes are listed under the program's names.
    std::vector<std::string> flooded;
    ASSERT_TRUE(ReadTextLines(files.swmmFloodedNodes(), flooded));
    EXPECT_NE(std::find(flooded.begin(), flooded.end(), "D;E"), flooded.end());
    const std::set<std::string> nodes{"A B-1", "A_B-1", "D;E", "\"F-1", "[C"};
    for (const std::string& name : flooded)
        EXPECT_TRUE(nodes.count(name)) << name;
}

TEST(SwmmTextOnEngine, TheTitleReachesTheReportWithoutACarriageReturn) {
    ASSERT_TRUE(ProgramEngine().loaded()) << ProgramEngine().loadError();
    ScratchFolder folder("title");
    const SwmmModel m = BuildSwmmModel(HeadNetwork(), specs::DefaultEspec(), 1);
    specs::EspecT e = specs::DefaultEspec();
    folder.write("m.inp", SwmmInputText(DataOf(m, e)));
    SwmmOutcome outcome;
    ASSERT_EQ(RunSwmm(ProgramEngine(), nullptr, folder.path(),
                      {folder.file("m.inp"), folder.file("m.rpt"), folder.file("m.out")}, &outcome),
              0)
        << outcome.engineText;
    const std::string report = ReadAll(folder.file("m.rpt"));
    const size_t title = report.find("Red Norte - Sector#1");
    ASSERT_NE(title, std::string::npos) << report;
    // The input file ends its lines with CR LF; the engine's report with LF alone.
    EXPECT_EQ(report.find('\r'), std::string::npos)
        << report.substr(title, report.find('\n', title) - title);
}

// ---- The written file of a designed project ----

class SwmmWriting : public DesignedProjectTest {};

TEST_F(SwmmWriting, AnswerNoWritesNothingAndClearsTheFlag) {
    ASSERT_NO_FATAL_FAILURE(Design(1, 2, 1));
    project.OpenControl();
    project.ReadHeader();
    project.header.SwmmRan = 1;
    project.WriteHeader();
    project.CloseControl();
    nivex::testing::ScriptedUi ui;
    ui.answers = {'N'};
    SwmmContext ctx{project, ui, nullptr, swmmFolder(), false, ""};
    const SwmmModel model = BuildSwmmModel(reaches, project.espec, project.header.DesignClass);
    const SwmmWriteOutcome w = WriteSwmmInput(ctx, model, reaches);
    EXPECT_EQ(w.answer, 'N');
    EXPECT_FALSE(w.written);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].message, "Desea correr SWMM?");
    EXPECT_EQ(ui.boxes[0].caption, "Confirmacion");
    EXPECT_FALSE(std::filesystem::exists(swmmFolder()));
    std::string error;
    ASSERT_TRUE(network::LoadControlState(project, &error)) << error;
    EXPECT_EQ(project.header.SwmmRan, 0);
}

TEST_F(SwmmWriting, ConsecutiveReliefChambersClearTheFlagAndWriteNothing) {
    ASSERT_NO_FATAL_FAILURE(Design(1, 2, 1));
    std::vector<TramoT> r = ReliefNetwork();
    r[2].ReliefFactor = 1;
    nivex::testing::ScriptedUi ui;
    SwmmContext ctx{project, ui, nullptr, swmmFolder(), true, ""};
    const SwmmWriteOutcome w = WriteSwmmInput(ctx, BuildSwmmModel(r, project.espec, 3), r);
    EXPECT_TRUE(w.reliefFault);
    EXPECT_FALSE(w.written);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].kind, "error");
    EXPECT_FALSE(std::filesystem::exists(swmmFolder()));
    std::string error;
    ASSERT_TRUE(network::LoadControlState(project, &error)) << error;
    EXPECT_EQ(project.header.SwmmRan, 0);
}

TEST_F(SwmmWriting, AnOldFileThatCannotBeDeletedStopsTheRun) {
    ASSERT_NO_FATAL_FAILURE(Design(1, 2, 1));
    const SwmmFileSet f = SwmmFileNames(swmmFolder(), "AB1", project.header.ProjectName);
    // A folder in the report's place cannot be deleted as a file is.
    std::filesystem::create_directories(f.report + "/held");
    nivex::testing::ScriptedUi ui;
    SwmmContext ctx{project, ui, nullptr, swmmFolder(), true, ""};
    const SwmmWriteOutcome w =
        WriteSwmmInput(ctx, BuildSwmmModel(reaches, project.espec, 1), reaches);
    EXPECT_EQ(w.answer, 'N');
    EXPECT_FALSE(w.written);
    EXPECT_FALSE(std::filesystem::exists(f.input));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].message,
              "No se puede correr SWMM.\rDebe cerrar el programa SWMM y reintentar");
    EXPECT_EQ(ui.boxes[0].caption, "Error");
    std::string error;
    ASSERT_TRUE(network::LoadControlState(project, &error)) << error;
    EXPECT_EQ(project.header.SwmmRan, 0);
}

TEST_F(SwmmWriting, ARevisionWhoseRunFailsSaysSo) {
    ASSERT_NO_FATAL_FAILURE(Design(1, 2, 1));
    nivex::testing::ScriptedUi ui;
    ui.answers = {'S'};
    SwmmContext ctx{project, ui, nullptr, swmmFolder(), false, ""};
    FakeEngine engine;
    engine.openCode = 200;
    const SwmmRevision r = ReviseWithSwmm(ctx, engine, nullptr);
    EXPECT_TRUE(r.written.written);
    EXPECT_TRUE(r.ran);
    EXPECT_EQ(r.code, 200);
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[1].kind, "error");
    EXPECT_EQ(ui.boxes[1].message, "No se pudo calcular SWMM");
    ASSERT_FALSE(engine.calls.empty());
    EXPECT_EQ(engine.calls[0], "open " + r.written.files.input + " " + r.written.files.report +
                                   " " + r.written.files.output);
    // Answered No: nothing runs.
    ui.boxes.clear();
    ui.answers = {'N'};
    engine.calls.clear();
    const SwmmRevision no = ReviseWithSwmm(ctx, engine, nullptr);
    EXPECT_FALSE(no.ran);
    EXPECT_TRUE(engine.calls.empty());
    EXPECT_FALSE(no.written.written);
    std::string error;
    ASSERT_TRUE(network::LoadControlState(project, &error)) << error;
    EXPECT_EQ(project.header.SwmmRan, 0);  // the earlier files are not this design's results
}

// ---- The real engine ----

class RealEngineModel : public DesignedProjectTest {
  protected:
    // Writes the model of the designed project, runs the engine and reads the report.
    void WriteRunRead(int designClass) {
        ASSERT_NO_FATAL_FAILURE(Design(designClass));
        ASSERT_TRUE(ProgramEngine().loaded()) << ProgramEngine().loadError();
        nivex::testing::ScriptedUi ui;
        ui.answers = {'S'};
        SwmmContext ctx{project, ui, nullptr, swmmFolder(), false, "01/15/2026"};
        const SwmmModel model = BuildSwmmModel(reaches, project.espec, project.header.DesignClass);
        written = WriteSwmmInput(ctx, model, reaches);
        ASSERT_TRUE(written.written) << written.error;
        input = ReadAll(written.files.input);
        const int rc =
            RunSwmm(ProgramEngine(), nullptr, folder().string(),
                    {written.files.input, written.files.report, written.files.output}, &outcome);
        ASSERT_EQ(rc, 0) << outcome.engineText << "\n" << ReadAll(written.files.report);
        ASSERT_TRUE(ReadSwmmReport(ctx, reaches, true, nullptr, &reading));
        EXPECT_TRUE(reading.complete()) << reading.problem;
        std::string error;
        ASSERT_TRUE(ReadResultFile(project.files.swmmMaxFlows(), static_cast<int>(reaches.size()),
                                   flows, &error))
            << error;
        for (const std::string& f : flows) {
            EXPECT_FALSE(f.empty());
            EXPECT_GT(std::stod(f), 0) << f;
        }
        std::vector<std::string> report;
        ASSERT_TRUE(ReadTextLines(written.files.report, report));
        EXPECT_EQ(report.size() > 0, true);
    }

    SwmmWriteOutcome written;
    SwmmOutcome outcome;
    SwmmReading reading;
    std::string input;
    std::vector<std::string> flows;
};

TEST_F(RealEngineModel, SanitaryClassOneRunsAndItsLastReachCarriesTheDesignFlow) {
    ASSERT_NO_FATAL_FAILURE(WriteRunRead(1));
    ASSERT_EQ(flows.size(), 25u);
    // The node inflows add up along the network to the design flow of the last reach:
    // what the engine routes there agrees within its routing error.
    const double designed = design::DesignFlow(reaches.back());
    const double engine = std::stod(flows.back());
    EXPECT_NEAR(engine, designed, 0.02 * designed) << "engine " << engine << " design " << designed;
    std::cout << "class 1, last reach: engine " << engine << " l/s, design " << designed
              << " l/s\n";
    EXPECT_EQ(reading.flooded, 0);
    EXPECT_TRUE(reading.froudeDerived);
    EXPECT_NE(input.find("[COORDINATES]"), std::string::npos);
    EXPECT_EQ(project.header.SwmmRan, 1);
}

TEST_F(RealEngineModel, CombinedClassThreeRuns) {
    ASSERT_NO_FATAL_FAILURE(WriteRunRead(3));
    EXPECT_NE(input.find("\"P\""), std::string::npos);
}

TEST_F(RealEngineModel, IdfStormClassSixRuns) {
    ASSERT_NO_FATAL_FAILURE(WriteRunRead(6));
    EXPECT_NE(input.find("[SUBCATCHMENTS]"), std::string::npos);
    EXPECT_NE(input.find("00:60"), std::string::npos);
    // The counts of the silent reading are in the control record.
    std::string error;
    ASSERT_TRUE(network::LoadControlState(project, &error)) << error;
    EXPECT_EQ(project.espec.FloodedNodes, reading.flooded);
    EXPECT_EQ(project.espec.SurchargedNodes, reading.surcharged);
}

class ListingShown : public ui::ListingViewer {
  public:
    void ShowListing(const std::string& file, const std::string& title) override {
        shown.push_back(title + "|" + file);
    }
    std::vector<std::string> shown;
};

TEST_F(RealEngineModel, AManholeNamedWithABlankIsVerifiedAndListedUnderItsName) {
    ASSERT_NO_FATAL_FAILURE(Design(2, 2, 1));
    ASSERT_TRUE(ProgramEngine().loaded()) << ProgramEngine().loadError();
    // The manhole where the first reach ends becomes "A B"; the reach that leaves it, of
    // 30 mm, cannot take what arrives there, so the node floods.
    const std::string old = reaches.front().Downstream;
    int leaving = 0;
    for (TramoT& t : reaches) {
        if (t.Downstream == old) t.Downstream = "A B";
        if (t.Upstream != old) continue;
        t.Upstream = "A B";
        t.Diameter = 30;
        ++leaving;
    }
    ASSERT_EQ(leaving, 1);
    nivex::testing::ScriptedUi ui;
    ui.answers = {'S', 'S'};  // run SWMM; show the results despite the junctions
    SwmmContext ctx{project, ui, nullptr, swmmFolder(), false, "01/15/2026"};
    const SwmmModel model = BuildSwmmModel(reaches, project.espec, project.header.DesignClass);
    written = WriteSwmmInput(ctx, model, reaches);
    ASSERT_TRUE(written.written) << written.error;
    const int rc =
        RunSwmm(ProgramEngine(), nullptr, folder().string(),
                {written.files.input, written.files.report, written.files.output}, &outcome);
    ASSERT_EQ(rc, 0) << outcome.engineText << "\n" << ReadAll(written.files.report);
    ASSERT_TRUE(ReadSwmmReport(ctx, reaches, true, nullptr, &reading));
    EXPECT_TRUE(reading.complete()) << reading.problem;
    std::vector<std::string> flooded;
    ASSERT_TRUE(ReadTextLines(project.files.swmmFloodedNodes(), flooded));
    EXPECT_NE(std::find(flooded.begin(), flooded.end(), "A B"), flooded.end());

    // "Reporte SWMM" shows the report with the manhole's own name.
    ListingShown viewer;
    EXPECT_FALSE(ReadSwmmReport(ctx, reaches, false, &viewer));
    ASSERT_EQ(viewer.shown.size(), 1u);
    const std::string listing = ReadAll(project.files.swmmReportCopy());
    const std::string report = ReadAll(written.files.report);
    EXPECT_EQ(listing.size(), report.size());
    EXPECT_EQ(report.find("A B"), std::string::npos);  // the engine's own name differs
    std::vector<std::string> lines;
    ASSERT_TRUE(ReadTextLines(project.files.swmmReportCopy(), lines));
    bool named = false;
    for (const std::string& line : lines)
        named = named || line.rfind("  A B  ", 0) == 0;
    EXPECT_TRUE(named) << listing;
    EXPECT_EQ(listing.find('\r'), std::string::npos);
}

TEST_F(RealEngineModel, HyetographClassEightRuns) {
    ASSERT_NO_FATAL_FAILURE(WriteRunRead(8));
    EXPECT_NE(input.find("INTENSITY   0:10"), std::string::npos);
}

}  // namespace
}  // namespace nivex::swmm::testing
