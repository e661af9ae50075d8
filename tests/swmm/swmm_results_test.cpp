#include "swmm/swmm_results.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "console/codepage.h"
#include "design/reach_values.h"
#include "support/scripted.h"
#include "swmm_project_rig.h"
#include "ui/listing_viewer.h"

namespace nivex::swmm::testing {
namespace {

using network::TramoT;
namespace fs = std::filesystem;

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> FileLines(const std::string& path) {
    std::vector<std::string> lines;
    EXPECT_TRUE(ReadTextLines(path, lines)) << path;
    return lines;
}

// A report laid out as SWMM 5.2 writes it: the link flow table with rows conduits (of
// total), the node lists and the flow classification.
struct ReportText {
    int rows = 3;
    std::vector<std::string> flooded;     // empty: "No nodes were flooded."
    std::vector<std::string> surcharged;  // empty: "No nodes were surcharged."
    bool cutInFlowTable = false;          // the file ends inside the link flow table
    bool froudeColumn = false;            // an older engine's classification with Froude

    std::string text() const {
        std::string t =
            "\n  EPA STORM WATER MANAGEMENT MODEL - VERSION 5.2 (Build 5.2.4)\n"
            "  ****************\n  Analysis Options\n  ****************\n"
            "  Flow Units ............... LPS\n  \n  \n"
            "  **********************\n  Node Surcharge Summary\n  **********************\n  \n";
        if (surcharged.empty()) {
            t += "  No nodes were surcharged.\n";
        } else {
            t += "  Surcharging occurs when water rises above the top of the highest conduit.\n"
                 "  ---------------------------------------------------------------------\n"
                 "                                               Max. Height   Min. Depth\n"
                 "                                   Hours       Above Crown    Below Rim\n"
                 "  Node                 Type      Surcharged           Meters       Meters\n"
                 "  ---------------------------------------------------------------------\n";
            for (const std::string& n : surcharged)
                t += "  " + (n + std::string(21, ' ')).substr(0, 21) +
                     "JUNCTION        0.50           0.100        0.900\n";
        }
        t += "  \n  \n  *********************\n  Node Flooding Summary\n  *********************\n  "
             "\n";
        if (flooded.empty()) {
            t += "  No nodes were flooded.\n";
        } else {
            t += "  Flooding refers to all water that overflows a node, whether it ponds or not.\n"
                 "  ----------------------------------------------------------------------\n"
                 "                                                             Total   Maximum\n"
                 "                                 Maximum   Time of Max       Flood    Ponded\n"
                 "                        Hours       Rate    Occurrence      Volume     Depth\n"
                 "  Node                 Flooded       LPS   days hr:min    10^6 ltr    Meters\n"
                 "  ----------------------------------------------------------------------\n";
            for (const std::string& n : flooded)
                t += "  " + (n + std::string(21, ' ')).substr(0, 21) +
                     "  0.10      12.00      0  00:30       0.001     0.000\n";
        }
        t += "  \n  \n  ********************\n  Link Flow Summary\n  ********************\n  \n"
             "  -----------------------------------------------------------------------------\n"
             "                                 Maximum  Time of Max   Maximum    Max/    Max/\n"
             "                                  |Flow|   Occurrence   |Veloc|    Full    Full\n"
             "  Link                 Type          LPS  days hr:min     m/sec    Flow   Depth\n"
             "  -----------------------------------------------------------------------------\n";
        const char* row[] = {
            "  1                    CONDUIT      1.50     0  00:26      0.69    0.04    0.14\n",
            "  2                    CONDUIT     12.28     0  00:30      1.25    0.34    0.50\n",
            "  3                    CONDUIT    126.56     0  00:33      1.52    1.02    1.00\n"};
        for (int k = 0; k < rows && k < 3; ++k)
            t += row[k];
        if (cutInFlowTable) return t;
        t += "  \n  \n  ***************************\n  Flow Classification Summary\n"
             "  ***************************\n  \n";
        if (froudeColumn)
            t += "  "
                 "---------------------------------------------------------------------------------"
                 "\n"
                 "                      Adjusted    --- Fraction of Time in Flow Class ----      "
                 "Avg.\n"
                 "                       /Actual         Up    Down  Sub   Sup   Up    Down    "
                 "Froude\n"
                 "  Conduit               Length    Dry  Dry   Dry   Crit  Crit  Crit  Crit     "
                 "Number\n"
                 "  "
                 "---------------------------------------------------------------------------------"
                 "\n"
                 "  1                       1.00   0.00  0.00  0.00  1.00  0.00  0.00  0.00       "
                 "0.45\n"
                 "  2                       1.00   0.00  0.00  0.00  1.00  0.00  0.00  0.00       "
                 "0.61\n"
                 "  3                       1.00   0.00  0.00  0.00  1.00  0.00  0.00  0.00       "
                 "0.77\n";
        else
            t += "  "
                 "---------------------------------------------------------------------------------"
                 "----\n"
                 "                      Adjusted    ---------- Fraction of Time in Flow Class "
                 "---------- \n"
                 "                       /Actual         Up    Down  Sub   Sup   Up    Down  Norm  "
                 "Inlet \n"
                 "  Conduit               Length    Dry  Dry   Dry   Crit  Crit  Crit  Crit  Ltd   "
                 "Ctrl  \n"
                 "  "
                 "---------------------------------------------------------------------------------"
                 "----\n"
                 "  1                       1.00   0.00  0.00  0.00  0.00  0.00  0.00  1.00  0.00  "
                 "0.00\n"
                 "  2                       1.00   0.00  0.00  0.00  0.00  0.00  0.00  1.00  0.00  "
                 "0.00\n"
                 "  3                       1.00   0.00  0.00  0.00  0.00  0.00  0.00  1.00  0.00  "
                 "0.00\n";
        t += "  \n  \n  *************************\n  Conduit Surcharge Summary\n"
             "  *************************\n  \n  No conduits were surcharged.\n  \n\n"
             "  Analysis begun on:  Wed Dec  9 15:36:40 2026\n";
        return t;
    }
};

TEST(SwmmReport, LinkColumnsAreTakenAtTheirOffsetsFromTheHeaderWords) {
    const std::vector<std::string> report = Split(ReportText{}.text());
    EXPECT_EQ(ExtractColumn(report, kMaxFlowColumn, 3).values,
              (std::vector<std::string>{"1.50", "12.28", "126.56"}));
    EXPECT_EQ(ExtractColumn(report, kVelocityColumn, 3).values,
              (std::vector<std::string>{"0.69", "1.25", "1.52"}));
    EXPECT_EQ(ExtractColumn(report, kFullFlowColumn, 3).values,
              (std::vector<std::string>{"0.04", "0.34", "1.02"}));
    EXPECT_EQ(ExtractColumn(report, kDepthColumn, 3).values,
              (std::vector<std::string>{"0.14", "0.50", "1.00"}));
    // "LPS" of the analysis options, before the table, is not its header.
    const ColumnResult four = ExtractColumn(report, kMaxFlowColumn, 4);
    EXPECT_EQ(four.rows, 3);
    ASSERT_EQ(four.values.size(), 4u);
    // A network longer than the table reads past it into the blank line: nothing taken.
    EXPECT_EQ(four.values[3], "");
}

TEST(SwmmReport, TheFroudeColumnOfAnOlderEngineIsReadAndOtherwiseFound) {
    ReportText older;
    older.froudeColumn = true;
    const ColumnResult f = ExtractColumn(Split(older.text()), kFroudeColumn, 3);
    EXPECT_TRUE(f.headerFound);
    EXPECT_EQ(f.values, (std::vector<std::string>{"0.45", "0.61", "0.77"}));
    // SWMM 5.2 has no such column; a "Number" of a later table is not taken for it.
    const ColumnResult none = ExtractColumn(Split(ReportText{}.text()), kFroudeColumn, 3);
    EXPECT_TRUE(none.tableFound);
    EXPECT_FALSE(none.headerFound);
}

TEST(SwmmReport, FroudeFromVelocityAndDepthOfAHalfFullPipe) {
    // y/D = 0.5 of 1 m: hydraulic depth π/8 m; 1 m/s gives 1/sqrt(9.81·0.3927) = 0.51.
    const std::vector<std::string> f = DerivedFroude(
        {"1.0", "2.0", "1.52", ""}, {"0.5", "1.00", "0.0", "0.3"}, {1000, 300, 300, 300});
    EXPECT_EQ(f, (std::vector<std::string>{"0.51", "0.00", "0.00", ""}));
    // A duct from 3 m on is a rectangle: the hydraulic depth is the depth.
    EXPECT_EQ(DerivedFroude({"3.0"}, {"0.25"}, {3000})[0], "1.11");
}

TEST(SwmmReport, NodeListsAndTheirEmptySentences) {
    ReportText r;
    r.flooded = {"12", "P3-1", "7A-1"};
    const std::vector<std::string> report = Split(r.text());
    const NameResult flooded = ExtractNames(report, kFloodedNodes, 25);
    EXPECT_EQ(flooded.names, (std::vector<std::string>{"12", "P3-1", "7A-1"}));
    EXPECT_FALSE(flooded.none);
    const NameResult surcharged = ExtractNames(report, kSurchargedNodes, 25);
    EXPECT_TRUE(surcharged.none);
    EXPECT_TRUE(surcharged.names.empty());
    EXPECT_TRUE(ExtractNames(report, kSurchargedLinks, 25).none);
    // At most one name per reach.
    EXPECT_EQ(ExtractNames(report, kFloodedNodes, 2).names.size(), 2u);
    // A table that is missing altogether.
    const NameResult missing = ExtractNames(Split("nothing here\n"), kFloodedNodes, 3);
    EXPECT_FALSE(missing.tableFound);
    EXPECT_TRUE(missing.names.empty());
}

TEST(SwmmReport, JunctionsOfFifteenMillimetresPassAndSixteenDoNot) {
    // The receiving reach's upstream invert is 100.020; the incoming reach ends at an
    // invert 0.015 m lower (100.005) or 0.016 m lower (100.004). Inverts are taken to two
    // decimals, halves away from zero.
    auto network = [](float incomingCrownDown) {
        std::vector<TramoT> r(2);
        r[0].Diameter = 300;
        r[0].CrownUp = 101;
        r[0].CrownDown = incomingCrownDown;
        r[1].Diameter = 300;
        r[1].CrownUp = 100.32f;
        r[1].CrownDown = 99;
        design::TributaryCount(r[1]) = 1;
        design::TributaryRecord(r[1], 0) = 1;
        return r;
    };
    EXPECT_FALSE(HasJunctionProblems(network(100.305f)));
    EXPECT_TRUE(HasJunctionProblems(network(100.304f)));
    EXPECT_FALSE(HasJunctionProblems(network(0)));  // a crown not known
    std::vector<TramoT> chambers = network(100.32f);
    design::DropChambers(chambers[0]) = 1;
    EXPECT_TRUE(HasJunctionProblems(chambers));

    nivex::testing::ScriptedUi ui;
    EXPECT_TRUE(CheckJunctionProblems(network(100.305f), ui));
    EXPECT_TRUE(ui.boxes.empty());
    ui.answers = {'N'};
    EXPECT_FALSE(CheckJunctionProblems(network(100.304f), ui));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Advertencia");
    EXPECT_NE(ui.boxes[0].message.find("\r\r" + std::string(19, ' ') +
                                       "De todas maneras desea ver los resultados"),
              std::string::npos);
}

// ---- Against the files of a project ----

class RecordingViewer : public ui::ListingViewer {
  public:
    std::vector<std::string> shown;
    void ShowListing(const std::string& file, const std::string& title) override {
        shown.push_back(title + "|" + file);
    }
};

class ReportReading : public DesignedProjectTest {
  protected:
    void SetUp() override {
        DesignedProjectTest::SetUp();
        std::filesystem::current_path(start_);
        ctx.swmmFolder = swmmFolder();
        project.files.Build(folder().string(), "AB1");
        std::string error;
        ASSERT_TRUE(network::LoadControlState(project, &error)) << error;
        // Three reaches of 300 mm, the length of the synthetic report.
        reaches.assign(3, TramoT{});
        for (TramoT& t : reaches)
            t.Diameter = 300;
    }
    void SetRun(bool ran, int designClass = 1) {
        ASSERT_TRUE(project.OpenControl());
        ASSERT_TRUE(project.ReadHeader());
        project.header.SwmmRan = ran ? 1 : 0;
        project.header.DesignClass = designClass;
        ASSERT_TRUE(project.WriteHeader());
        project.CloseControl();
    }
    void WriteReport(const std::string& text) {
        fs::create_directories(swmmFolder());
        std::ofstream(SwmmReportPath(ctx), std::ios::binary) << text;
    }
    std::vector<std::string> resultFiles() const {
        std::vector<std::string> found;
        for (const char* n : {"RepSwm", "VelSwmm", "DepthSwmm", "MaxFullFlow", "FroudeInSwmm",
                              "NodeFSwmm", "NodeSSwmm", "LinkSwmm", "Swm"})
            if (fs::exists(folder() / n)) found.push_back(n);
        return found;
    }

    nivex::testing::ScriptedUi ui;
    SwmmContext ctx{project, ui, nullptr, "", false, ""};
};

TEST_F(ReportReading, BeforeAnyRunOfASanitaryDesignNothingIsRead) {
    ASSERT_NO_FATAL_FAILURE(SetRun(false, 1));
    WriteReport(ReportText{}.text());  // an old report of another design
    EXPECT_FALSE(ReadSwmmReport(ctx, reaches, false, nullptr));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].kind, "warning");
    EXPECT_EQ(ui.boxes[0].message,
              cp("Primero debe Revisar con Swmm (En opcion menu: \"Diseño\")"));
    EXPECT_EQ(ui.boxes[0].caption, "Informacion");
    EXPECT_TRUE(resultFiles().empty());
}

TEST_F(ReportReading, AMissingReportAsksForTheRevisionAndCreatesNothing) {
    ASSERT_NO_FATAL_FAILURE(SetRun(true, 1));
    EXPECT_FALSE(ReadSwmmReport(ctx, reaches, false, nullptr));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].message, cp("Primero debe hacer la Revision con SWMM en menu Diseño"));
    EXPECT_TRUE(resultFiles().empty());
    // Silently: nothing to read, nothing shown.
    ui.boxes.clear();
    SwmmReading reading;
    EXPECT_TRUE(ReadSwmmReport(ctx, reaches, true, nullptr, &reading));
    EXPECT_FALSE(reading.reportFound);
    EXPECT_FALSE(reading.complete());
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(resultFiles().empty());
    EXPECT_FALSE(CheckSwmmListingsReady(ctx));
    EXPECT_EQ(ui.boxes.back().message,
              cp("Primero debe hacer la Revision con SWMM en menu Diseños"));
}

TEST_F(ReportReading, SilentReadingStoresTheCountsAndDeletesAnEmptyList) {
    ASSERT_NO_FATAL_FAILURE(SetRun(true, 6));
    ReportText r;
    r.flooded = {"2", "3", "P3-1"};
    r.surcharged = {"2"};
    WriteReport(r.text());
    std::ofstream(folder() / "NodeFSwmm") << "old\n";
    SwmmReading reading;
    EXPECT_TRUE(ReadSwmmReport(ctx, reaches, true, nullptr, &reading));
    EXPECT_TRUE(reading.complete()) << reading.problem;
    EXPECT_EQ(reading.flooded, 3);
    EXPECT_EQ(reading.surcharged, 1);
    EXPECT_TRUE(reading.froudeDerived);
    EXPECT_EQ(FileLines(project.files.swmmMaxFlows()),
              (std::vector<std::string>{"1.50", "12.28", "126.56"}));
    EXPECT_EQ(FileLines(project.files.swmmFloodedNodes()),
              (std::vector<std::string>{"2", "3", "P3-1"}));
    EXPECT_EQ(FileLines(project.files.swmmFroude()).size(), 3u);
    std::string error;
    ASSERT_TRUE(network::LoadControlState(project, &error));
    EXPECT_EQ(project.espec.FloodedNodes, 3);
    EXPECT_EQ(project.espec.SurchargedNodes, 1);
    EXPECT_EQ(project.header.SwmmRan, 1);  // the rest of the record is kept

    // The next run floods nothing: the list goes and the count is 0.
    WriteReport(ReportText{}.text());
    EXPECT_TRUE(ReadSwmmReport(ctx, reaches, true, nullptr, &reading));
    EXPECT_FALSE(fs::exists(project.files.swmmFloodedNodes()));
    EXPECT_EQ(reading.flooded, 0);
    ASSERT_TRUE(network::LoadControlState(project, &error));
    EXPECT_EQ(project.espec.FloodedNodes, 0);
    EXPECT_FALSE(fs::exists(project.files.swmmReportCopy()));  // the silent form shows nothing
}

TEST_F(ReportReading, AReportCutShortIsIncompleteAndStillWritesOneLinePerReach) {
    ASSERT_NO_FATAL_FAILURE(SetRun(true, 6));
    ReportText r;
    r.rows = 2;
    r.cutInFlowTable = true;
    WriteReport(r.text());
    SwmmReading reading;
    EXPECT_TRUE(ReadSwmmReport(ctx, reaches, true, nullptr, &reading));
    EXPECT_FALSE(reading.complete());
    EXPECT_EQ(reading.linkRows, 2);
    EXPECT_NE(reading.problem.find("incompleto"), std::string::npos) << reading.problem;
    EXPECT_EQ(FileLines(project.files.swmmMaxFlows()),
              (std::vector<std::string>{"1.50", "12.28", ""}));
    std::vector<std::string> values;
    std::string error;
    EXPECT_TRUE(ReadResultFile(project.files.swmmMaxFlows(), 3, values, &error));
    // A result file shorter than the network is refused with its reason.
    EXPECT_FALSE(ReadResultFile(project.files.swmmMaxFlows(), 4, values, &error));
    EXPECT_NE(error.find("tiene 3 lineas y la red 4 tramos"), std::string::npos) << error;
    EXPECT_FALSE(ReadResultFile(project.files.folderFile("NoSuch"), 1, values, &error));
    // No temporary file is left behind.
    for (const auto& entry : fs::directory_iterator(folder()))
        EXPECT_EQ(entry.path().string().find(".nivex-tmp-"), std::string::npos) << entry.path();
}

TEST_F(ReportReading, ReporteSwmmCopiesTheReportShowsItAndExtractsEverything) {
    ASSERT_NO_FATAL_FAILURE(SetRun(true, 1));
    ReportText r;
    r.flooded = {"3"};
    const std::string text = r.text();
    WriteReport(text);
    EXPECT_FALSE(CheckSwmmListingsReady(ctx));
    EXPECT_EQ(ui.boxes.back().message,
              cp("Primero debe correr el Reporte SWMM en menu Lst. Diseño"));
    RecordingViewer viewer;
    EXPECT_FALSE(ReadSwmmReport(ctx, reaches, false, &viewer));
    ASSERT_EQ(viewer.shown.size(), 1u);
    EXPECT_EQ(viewer.shown[0], "Reporte SWMM|" + project.files.swmmReportCopy());
    std::ifstream copy(project.files.swmmReportCopy(), std::ios::binary);
    std::ostringstream bytes;
    bytes << copy.rdbuf();
    EXPECT_EQ(bytes.str(), text);
    EXPECT_EQ(resultFiles(),
              (std::vector<std::string>{"RepSwm", "VelSwmm", "DepthSwmm", "MaxFullFlow",
                                        "FroudeInSwmm", "NodeFSwmm", "Swm"}));
    EXPECT_TRUE(CheckSwmmListingsReady(ctx));
    DeleteSwmmReport(ctx);
    EXPECT_FALSE(fs::exists(SwmmReportPath(ctx)));
}

}  // namespace
}  // namespace nivex::swmm::testing
