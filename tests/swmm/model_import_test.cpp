#include "swmm/model_import.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/batch_rig.h"
#include "console/codepage.h"
#include "console/screen.h"
#include "drawings/manhole_coordinates.h"
#include "network/reach_csv.h"
#include "network/reach_file.h"
#include "shell/control_file.h"
#include "shell/session.h"
#include "shell/startup.h"
#include "specs/criteria_module.h"
#include "specs/criteria_store.h"
#include "support/scripted.h"
#include "support/temp_files.h"

namespace nivex::swmm {
namespace {

namespace fs = std::filesystem;
using network::TramoT;

// ---- Models written by the tests ----

struct ModelText {
    std::string options =
        "[OPTIONS]\n;;Option             Value\nFLOW_UNITS           LPS\n"
        "INFILTRATION         HORTON\n";
    std::string junctions =
        "[JUNCTIONS]\n;;Name           Elevation  MaxDepth\n"
        "P1               1000       3\nP2               998.5      3\n";
    std::string outfalls =
        "[OUTFALLS]\n;;Name           Elevation  Type\nD1               997        "
        "FREE\n";
    std::string conduits =
        "[CONDUITS]\n;;Name  From Node  To Node  Length  Roughness\n"
        "C1     P1         P2       80      0.013\n"
        "C2     P2         D1       45.5    0.013\n";
    std::string extra;  // sections after the conduits
    std::string coordinates =
        "[COORDINATES]\n;;Node           X-Coord            Y-Coord\n"
        "P1               10.000             20.000\n"
        "P2               30.000             20.000\n"
        "D1               50.000             20.000\n\n"
        "[VERTICES]\n;;Link X Y\n";

    std::string text() const {
        return "[TITLE]\nModelo de prueba\n\n" + options + "\n" + junctions + "\n" + outfalls +
               "\n" + conduits + "\n" + extra + coordinates;
    }
};

ImportedModel Parsed(const std::string& text) {
    ImportedModel m;
    ImportRefusal r;
    EXPECT_TRUE(ParseSwmmModel(text, m, r)) << r.message;
    return m;
}

ImportRefusal Refused(const std::string& text) {
    ImportedModel m;
    ImportRefusal r;
    EXPECT_FALSE(ParseSwmmModel(text, m, r));
    EXPECT_FALSE(r.message.empty());
    return r;
}

std::string Unit(const std::string& unit) {
    return "[OPTIONS]\nFLOW_UNITS           " + unit + "\n";
}

// ---- Reading and checking the model ----

TEST(SwmmModelParse, OneReachPerConduitWithNodeElevationsAndLengths) {
    const ImportedModel m = Parsed(ModelText{}.text());
    EXPECT_EQ(m.flowUnit, "LPS");
    EXPECT_FALSE(m.inFeet);
    EXPECT_EQ(m.junctions, 2);
    EXPECT_EQ(m.outfalls, 1);
    ASSERT_EQ(m.reaches.size(), 2u);
    const TramoT& a = m.reaches[0];
    EXPECT_EQ(a.Upstream, "P1");
    EXPECT_EQ(a.Downstream, "P2");
    EXPECT_FLOAT_EQ(a.GroundUp, 1000.0f);
    EXPECT_FLOAT_EQ(a.GroundDown, 998.5f);
    EXPECT_FLOAT_EQ(a.Length, 80.0f);
    EXPECT_EQ(a.Type, 0);  // into a junction
    EXPECT_EQ(a.Class, network::kClassNew);
    EXPECT_EQ(a.Area, 0.0f);
    EXPECT_EQ(a.Diameter, 0.0f);
    const TramoT& b = m.reaches[1];
    EXPECT_EQ(b.Upstream, "P2");
    EXPECT_EQ(b.Downstream, "D1");
    EXPECT_FLOAT_EQ(b.GroundDown, 997.0f);
    EXPECT_FLOAT_EQ(b.Length, 45.5f);
    EXPECT_EQ(b.Type, 2);  // into an outfall: a discharge
}

TEST(SwmmModelParse, CfsModelIsTakenFromFeet) {
    ModelText t;
    t.options = Unit("CFS");
    t.junctions = "[JUNCTIONS]\nP1 328.084 0\nP2 300 0\n";
    t.conduits = "[CONDUITS]\nC1 P1 P2 100 0.01\nC2 P2 D1 10 0.01\n";
    const ImportedModel m = Parsed(t.text());
    EXPECT_EQ(m.flowUnit, "CFS");
    EXPECT_TRUE(m.inFeet);
    ASSERT_EQ(m.reaches.size(), 2u);
    EXPECT_NEAR(m.reaches[0].Length, 30.48, 1e-4);
    EXPECT_NEAR(m.reaches[0].GroundUp, 100.00, 1e-4);
    EXPECT_NEAR(m.reaches[0].GroundDown, 91.44, 1e-4);
    // 997 ft is 303.8856 m: the field keeps two decimals.
    EXPECT_NEAR(m.reaches[1].GroundDown, 303.89, 1e-4);
}

TEST(SwmmModelParse, UsFlowUnitsMeanFeetAndMetricOnesMetres) {
    for (const char* unit : {"CFS", "GPM", "MGD", "cfs"}) {
        ModelText t;
        t.options = Unit(unit);
        const ImportedModel m = Parsed(t.text());
        EXPECT_TRUE(m.inFeet) << unit;
        EXPECT_NEAR(m.reaches[0].Length, 24.38, 1e-4) << unit;  // 24.384 m to the cent
    }
    for (const char* unit : {"LPS", "CMS", "MLD"}) {
        ModelText t;
        t.options = Unit(unit);
        const ImportedModel m = Parsed(t.text());
        EXPECT_FALSE(m.inFeet) << unit;
        EXPECT_EQ(m.flowUnit, unit);
        EXPECT_FLOAT_EQ(m.reaches[0].Length, 80.0f) << unit;
    }
}

TEST(SwmmModelParse, ModelWithoutFlowUnitsIsInCfsAsForTheEngine) {
    ModelText t;
    t.options = "[OPTIONS]\nINFILTRATION HORTON\n";
    ImportedModel m = Parsed(t.text());
    EXPECT_EQ(m.flowUnit, "CFS");
    EXPECT_TRUE(m.inFeet);
    t.options.clear();
    m = Parsed(t.text());
    EXPECT_TRUE(m.inFeet);
}

TEST(SwmmModelParse, FlowUnitIsTheSecondFieldWhereverItStands) {
    ModelText t;
    t.options = "[OPTIONS]\nFLOW_UNITS LPS\n";
    EXPECT_FALSE(Parsed(t.text()).inFeet);
    t.options = "[OPTIONS]\n\tFLOW_UNITS\t\tCFS   ; caudal\n";
    EXPECT_TRUE(Parsed(t.text()).inFeet);
}

TEST(SwmmModelParse, UnknownOrMissingFlowUnitIsRefused) {
    ModelText t;
    t.options = Unit("LPM");
    ImportRefusal r = Refused(t.text());
    EXPECT_NE(r.message.find("unidad de caudal desconocida: LPM"), std::string::npos);
    EXPECT_EQ(r.caption, kModelCaption);
    t.options = "[OPTIONS]\nFLOW_UNITS\n";
    r = Refused(t.text());
    EXPECT_NE(r.message.find("FLOW_UNITS"), std::string::npos);
}

TEST(SwmmModelParse, EveryStructureTheProgramCannotHandleIsRefused) {
    for (const char* header :
         {"[STORAGE]", "[PUMPS]", "[DIVIDERS]", "[ORIFICES]", "[WEIRS]", "[OUTLETS]", "[weirs]"}) {
        ModelText t;
        t.extra = std::string(header) + "\n;;Name From To\nX1 P1 P2\n\n";
        const ImportRefusal r = Refused(t.text());
        EXPECT_EQ(r.message, kStructuresMessage) << header;
        EXPECT_EQ(r.caption, "Error");
    }
    // Refused before anything else is looked at, even a broken conduit.
    ModelText t;
    t.conduits = "[CONDUITS]\nC1 P1 NOWHERE 80\n";
    t.extra = "[PUMPS]\n";
    EXPECT_EQ(Refused(t.text()).message, kStructuresMessage);
}

TEST(SwmmModelParse, NodeNameOfSixCharactersIsRefusedWithTheNamingMessage) {
    ModelText t;
    t.junctions = "[JUNCTIONS]\nP1 1000\nP23456 998\n";
    t.conduits = "[CONDUITS]\nC1 P1 P23456 80\n";
    ImportRefusal r = Refused(t.text());
    EXPECT_EQ(r.message, kNamingMessage);
    EXPECT_EQ(r.caption, kNamingCaption);
    ModelText o;
    o.outfalls = "[OUTFALLS]\nSALIDA 997 FREE\n";
    r = Refused(o.text());
    EXPECT_EQ(r.message, kNamingMessage);
    // Five characters are a name.
    ModelText five;
    five.junctions = "[JUNCTIONS]\nP1 1000\nP2345 998\n";
    five.conduits = "[CONDUITS]\nC1 P1 P2345 80\n";
    EXPECT_EQ(Parsed(five.text()).reaches[0].Downstream, "P2345");
}

TEST(SwmmModelParse, NamesFollowTheManholeNamingRule) {
    ModelText t;
    t.junctions = "[JUNCTIONS]\np1 1000\n\"A B\" 998\n";
    t.conduits = "[CONDUITS]\nC1 p1 \"A B\" 80\nC2 \"A B\" D1 10\n";
    const ImportedModel m = Parsed(t.text());
    EXPECT_EQ(m.reaches[0].Upstream, "P1");  // upper case
    EXPECT_EQ(m.reaches[0].Downstream, "A B");
    // A quoted name with a blank at its end cannot be a manhole name.
    t.junctions = "[JUNCTIONS]\nP1 1000\n\"P2 \" 998\n";
    const ImportRefusal r = Refused(t.text());
    EXPECT_EQ(r.caption, kNamingCaption);
    EXPECT_NE(r.message.find("no sirve como nombre de pozo"), std::string::npos);
}

TEST(SwmmModelParse, NodesThatDifferOnlyInLetterCaseOrRepeatAreRefused) {
    ModelText t;
    t.junctions = "[JUNCTIONS]\np1 1000\nP1 998\n";
    ImportRefusal r = Refused(t.text());
    EXPECT_NE(r.message.find("mayusculas y minusculas"), std::string::npos);
    EXPECT_NE(r.message.find("linea 11"), std::string::npos) << r.message;
    t.junctions = "[JUNCTIONS]\nP1 1000\nP2 998\n";
    t.outfalls = "[OUTFALLS]\nP2 997 FREE\nD1 997 FREE\n";
    r = Refused(t.text());
    EXPECT_NE(r.message.find("el nodo P2 esta repetido"), std::string::npos);
}

TEST(SwmmModelParse, ConduitToANodeOfNoTableIsRefused) {
    ModelText t;
    t.conduits = "[CONDUITS]\nC1 P1 P2 80\nC2 P2 D9 45\n";
    ImportRefusal r = Refused(t.text());
    EXPECT_EQ(r.message, kUnknownNodeMessage);
    EXPECT_EQ(r.caption, kModelCaption);
    // Node names are compared exactly, as the engine does.
    t.conduits = "[CONDUITS]\nC1 p1 P2 80\n";
    EXPECT_EQ(Refused(t.text()).message, kUnknownNodeMessage);
    // Without node tables every node is unknown.
    t = ModelText{};
    t.junctions.clear();
    t.outfalls.clear();
    EXPECT_EQ(Refused(t.text()).message, kUnknownNodeMessage);
}

TEST(SwmmModelParse, FieldsThatAreNotNumbersAreRefusedNamingTheLine) {
    ModelText t;
    t.junctions = "[JUNCTIONS]\nP1 1000\nP2 9x8\n";
    ImportRefusal r = Refused(t.text());
    EXPECT_NE(r.message.find("linea 11"), std::string::npos) << r.message;
    EXPECT_NE(r.message.find("la elevacion del nodo P2 no es un numero: 9x8"), std::string::npos);
    EXPECT_EQ(r.caption, kModelCaption);
    for (const char* length : {"abc", "nan", "inf", "1e60", "1,5", "--3"}) {
        ModelText c;
        c.conduits = std::string("[CONDUITS]\nC1 P1 P2 ") + length + " 0.013\n";
        r = Refused(c.text());
        EXPECT_NE(r.message.find("la longitud del conducto C1 no es un numero"), std::string::npos)
            << length;
    }
    for (const char* length : {"0", "-5"}) {
        ModelText c;
        c.conduits = std::string("[CONDUITS]\nC1 P1 P2 ") + length + "\n";
        EXPECT_NE(Refused(c.text()).message.find("debe ser mayor que cero"), std::string::npos);
    }
    ModelText plus;
    plus.conduits = "[CONDUITS]\nC1 P1 P2 +8e1\n";
    EXPECT_FLOAT_EQ(Parsed(plus.text()).reaches[0].Length, 80.0f);
}

TEST(SwmmModelParse, RowsWithMissingFieldsAreRefused) {
    ModelText t;
    t.junctions = "[JUNCTIONS]\nP1 1000\nP2\n";
    EXPECT_NE(Refused(t.text()).message.find("falta la elevacion del nodo P2"), std::string::npos);
    t = ModelText{};
    t.conduits = "[CONDUITS]\nC1 P1 P2\n";
    EXPECT_NE(Refused(t.text()).message.find("nodo de salida y longitud"), std::string::npos);
}

TEST(SwmmModelParse, ConduitFromANodeToItselfIsRefused) {
    ModelText t;
    t.conduits = "[CONDUITS]\nC1 P1 P1 80\n";
    EXPECT_NE(Refused(t.text()).message.find("une el nodo P1 consigo mismo"), std::string::npos);
}

TEST(SwmmModelParse, NoConduitsIsRefused) {
    ModelText t;
    t.conduits.clear();
    ImportRefusal r = Refused(t.text());
    EXPECT_NE(r.message.find("no tiene conductos"), std::string::npos);
    t.conduits = "[CONDUITS]\n;;Name From To Length\n";
    EXPECT_NE(Refused(t.text()).message.find("no tiene conductos"), std::string::npos);
    EXPECT_NE(Refused("").message.find("no tiene conductos"), std::string::npos);
}

TEST(SwmmModelParse, TabsSeparateFieldsLikeBlanks) {
    ModelText t;
    t.junctions = "[JUNCTIONS]\nP1\t1000\t3\nP2\t\t998.5\n";
    t.outfalls = "[OUTFALLS]\n\tD1 \t997\tFREE\n";
    t.conduits = "[CONDUITS]\nC1\tP1\tP2\t80\nC2 \t P2\tD1\t45.5\t0.013\n";
    const ImportedModel m = Parsed(t.text());
    ASSERT_EQ(m.reaches.size(), 2u);
    EXPECT_FLOAT_EQ(m.reaches[0].GroundDown, 998.5f);
    EXPECT_FLOAT_EQ(m.reaches[1].Length, 45.5f);
    EXPECT_EQ(m.reaches[1].Type, 2);
}

TEST(SwmmModelParse, WindowsLineEndsReadAsUnixOnesAndTheMapKeepsThem) {
    const std::string unix = ModelText{}.text();
    std::string windows;
    for (char c : unix) {
        if (c == '\n') windows += '\r';
        windows += c;
    }
    const ImportedModel a = Parsed(unix);
    const ImportedModel b = Parsed(windows);
    ASSERT_EQ(b.reaches.size(), a.reaches.size());
    for (size_t k = 0; k < a.reaches.size(); ++k) {
        EXPECT_EQ(b.reaches[k].Upstream, a.reaches[k].Upstream);
        EXPECT_EQ(b.reaches[k].Downstream, a.reaches[k].Downstream);
        EXPECT_EQ(b.reaches[k].GroundUp, a.reaches[k].GroundUp);
        EXPECT_EQ(b.reaches[k].Length, a.reaches[k].Length);
        EXPECT_EQ(b.reaches[k].Type, a.reaches[k].Type);
    }
    EXPECT_EQ(b.map.substr(0, 4), ";;No");
    EXPECT_NE(b.map.find("20.000\r\nP2"), std::string::npos);
}

TEST(SwmmModelParse, CommentsAndBlankLinesInsideASectionAreSkipped) {
    ModelText t;
    t.conduits =
        "[CONDUITS]\n;;Name From To Length\nC1 P1 P2 80 ; primer tramo\n\n"
        ";; segundo\n   \nC2 P2 D1 45.5\n";
    const ImportedModel m = Parsed(t.text());
    ASSERT_EQ(m.reaches.size(), 2u);  // the row after the blank line is not lost
    EXPECT_EQ(m.reaches[1].Upstream, "P2");
}

TEST(SwmmModelParse, SectionHeadersIgnoreLetterCaseAndTrailingBlanks) {
    ModelText t;
    t.junctions = "[Junctions]  \nP1 1000\nP2 998.5\n";
    t.conduits = "[conduits]\r\nC1 P1 P2 80\nC2 P2 D1 45.5\n";
    EXPECT_EQ(Parsed(t.text()).reaches.size(), 2u);
}

TEST(SwmmModelParse, LineOverTheProgramsLengthIsRefusedInTheSectionsRead) {
    ModelText t;
    t.conduits = "[CONDUITS]\nC1 P1 P2 80 " + std::string(250, ' ') + "0.013\n";
    ImportRefusal r = Refused(t.text());
    EXPECT_NE(r.message.find("mas de 255 caracteres"), std::string::npos);
    EXPECT_NE(r.message.find("linea 19"), std::string::npos) << r.message;
    t = ModelText{};
    t.coordinates = "[COORDINATES]\nP1 10 20" + std::string(300, ' ') + "\n";
    EXPECT_NE(Refused(t.text()).message.find("mas de 255"), std::string::npos);
    // 255 characters are a line; a long title is of no concern.
    t = ModelText{};
    const std::string row = "C1 P1 P2 80 ";
    t.conduits = "[CONDUITS]\n" + row + std::string(255 - row.size() - 1, ' ') + "1\n";
    EXPECT_EQ(Parsed(t.text()).reaches.size(), 1u);
    t = ModelText{};
    EXPECT_EQ(Parsed("[TITLE]\n" + std::string(5000, 'x') + "\n" + t.text()).reaches.size(), 2u);
}

TEST(SwmmModelParse, TheMapIsTheFileAfterTheCoordinatesHeaderUnchanged) {
    ModelText t;
    const std::string after = ";;Node X Y\nP1   1.5   2.5\n\n[VERTICES]\nC1 3 4\n";
    t.coordinates = "[COORDINATES]\n" + after;
    EXPECT_EQ(Parsed(t.text()).map, after);
    t.coordinates.clear();
    EXPECT_EQ(Parsed(t.text()).map, "");
}

TEST(SwmmModelParse, TheMapPlacesTheManholesItNamesInTheReachesOrder) {
    ModelText t;
    // D1 comes first in the map, p2 in lower case; a point of no manhole and a row that
    // is not two numbers place nothing.
    t.coordinates =
        "[COORDINATES]\n;;Node X Y\nD1 50.5 -20\nP1 10 20\np2 30.25 2065000.125\n"
        "OTRO 1 2\nP1 x 3\n";
    const std::vector<drawings::ManholePoint> expected = {
        {"P1", 10, 20}, {"P2", 30.25, 2065000.125}, {"D1", 50.5, -20}};
    EXPECT_EQ(Parsed(t.text()).coordinates, expected);
    t.coordinates = "[COORDINATES]\nP1 10 20\n";
    EXPECT_EQ(Parsed(t.text()).coordinates, (std::vector<drawings::ManholePoint>{{"P1", 10, 20}}));
    t.coordinates.clear();
    EXPECT_TRUE(Parsed(t.text()).coordinates.empty());
}

TEST(SwmmModelParse, TheVerticesBendTheReachesOfTheirConduits) {
    ModelText t;
    // C2 (P2 to D1) bends twice, in the file's order even though C1 rows come between; a
    // row of no conduit and a row without two numbers bend nothing.
    t.coordinates += "C2 35 25.5\nC9 1 1\nC1 x 2\nC2 40 30\n";
    const drawings::ReachVertices expected = {{"P2", "D1", {{35, 25.5}, {40, 30}}}};
    EXPECT_EQ(Parsed(t.text()).vertices, expected);
    t.coordinates = "[COORDINATES]\nP1 10 20\n";
    EXPECT_TRUE(Parsed(t.text()).vertices.empty());
}

TEST(SwmmModelParse, TenThousandConduitsAreTakenAndOneMoreIsRefused) {
    // Nodes named by their number: "0" to "10001" are names of at most five characters.
    auto model = [](int n) {
        std::string text = "[OPTIONS]\nFLOW_UNITS LPS\n[JUNCTIONS]\n";
        for (int k = 0; k <= n; ++k)
            text += std::to_string(k) + " " + std::to_string(1000 + k / 2) + "\n";
        text += "[CONDUITS]\n";
        for (int k = 0; k < n; ++k)
            text += "C" + std::to_string(k) + " " + std::to_string(k + 1) + " " +
                    std::to_string(k) + " 10\n";
        return text;
    };
    const ImportedModel m = Parsed(model(10000));
    ASSERT_EQ(m.reaches.size(), 10000u);
    EXPECT_EQ(m.reaches.back().Upstream, "10000");
    EXPECT_EQ(m.reaches.back().Downstream, "9999");
    EXPECT_FLOAT_EQ(m.reaches.back().GroundUp, 6000.0f);
    const ImportRefusal r = Refused(model(10001));
    EXPECT_NE(r.message.find("10001 conductos"), std::string::npos);
    EXPECT_NE(r.message.find("10000"), std::string::npos);
}

TEST(SwmmModelParse, BinaryGarbageIsRefusedWithoutACrash) {
    std::string junk;
    for (int k = 0; k < 20000; ++k)
        junk += static_cast<char>((k * 7919 + 13) % 256);
    Refused(junk);
    Refused("[CONDUITS]\n\"\n\"\"\"\n" + std::string(1, '\0') + " [ ;\n");
    Refused("[JUNCTIONS]\n\"P1 1000\n[CONDUITS]\nC1 \"P1");
}

TEST(SwmmModelParse, ReservedPrefixIsTheFileNameOfTheProgramsOwnModels) {
    EXPECT_TRUE(HasReservedPrefix("/x/y/SWMM - AB1-Proyecto.inp"));
    EXPECT_TRUE(HasReservedPrefix("C:\\00 Archivos Swmm\\SWMM - AB1-Proyecto.inp"));
    EXPECT_TRUE(HasReservedPrefix("SWMM - AB1.inp"));
    EXPECT_FALSE(HasReservedPrefix("/x/SWMM-AB1.inp"));
    EXPECT_FALSE(HasReservedPrefix("/x/SWMM - carpeta/modelo.inp"));
    EXPECT_FALSE(HasReservedPrefix("/x/Mi SWMM - AB1.inp"));
}

// ---- The import into a project sector ----

struct FakeChooser : ui::FileChooser {
    std::string answer;
    std::string title, filter, folder;
    int calls = 0;
    std::string chooseFile(const std::string& t, const std::string& f,
                           const std::string& d) override {
        ++calls;
        title = t;
        filter = f;
        folder = d;
        return answer;
    }
    std::string chooseSaveFile(const std::string&, const std::string&,
                               const std::string&) override {
        return {};
    }
    std::string chooseFolder(const std::string&, const std::string&) override { return {}; }
};

std::string ReadBytes(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

class SwmmImportTest : public cli::BatchProjectTest {
  protected:
    void SetUp() override {
        cli::BatchProjectTest::SetUp();
        fs::current_path(start_);
        p.selection.code = "AB";
        p.selection.sector = "1";
        p.selection.sectors = "1";
        p.selection.extension = "AB1";
        p.files.Build(folder().string(), "AB1");
        s.fileChooser = &chooser;
    }
    void TearDown() override { cli::BatchProjectTest::TearDown(); }

    fs::path folder() const { return base_ / "projects" / "AB-Proyecto Nuevo"; }
    std::string Write(const std::string& name, const std::string& text) {
        const fs::path path = base_ / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
    bool Import(const std::string& path, ImportRefusal& r, ImportedModel* m = nullptr) {
        return ImportSwmmFile(s, path, r, m);
    }
    void ImportOk(const std::string& text) {
        ImportRefusal r;
        ASSERT_TRUE(Import(Write("modelo.inp", text), r)) << r.message;
    }
    std::vector<TramoT> Network() {
        std::vector<TramoT> reaches;
        std::string error;
        EXPECT_TRUE(network::ReadNetwork(p, reaches, &error)) << error;
        return reaches;
    }
    // Header and set as stored.
    void Stored(shell::ProyectoT& h, specs::EspecT& e) {
        shell::ControlFile f;
        ASSERT_TRUE(f.Open(p.files.control()));
        std::string error;
        ASSERT_TRUE(specs::LoadDesignCriteria(f, h, e, &error)) << error;
        f.Close();
    }
    // Every file of the sector's folder with its bytes.
    std::map<std::string, std::string> Snapshot() {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(folder()))
            files[entry.path().string()] =
                entry.is_regular_file() ? ReadBytes(entry.path()) : std::string("<dir>");
        return files;
    }

    testing::ConsoleRig rig;
    console::Screen screen{rig.console};
    testing::NullDesktop desktop;
    ui::MemorySettings settings;
    shell::MenuBarModel menu;
    shell::Session s{rig.switches, rig.console, screen, rig.ui, desktop, settings, menu};
    project::Project& p = s.project;
    FakeChooser chooser;
};

TEST_F(SwmmImportTest, ImportWritesTheNetworkTheIndexTheMarkAndTheMap) {
    ModelText t;
    t.options = Unit("CFS");
    const std::string path = Write("modelo.inp", t.text());
    ImportRefusal r;
    ImportedModel m;
    ASSERT_TRUE(Import(path, r, &m)) << r.message;
    EXPECT_EQ(m.reaches.size(), 2u);

    const std::vector<TramoT> reaches = Network();
    ASSERT_EQ(reaches.size(), 2u);
    EXPECT_EQ(reaches[0].Upstream, "P1");
    EXPECT_EQ(reaches[1].Downstream, "D1");
    EXPECT_NEAR(reaches[0].Length, 24.38, 1e-4);  // 80 ft to the cent of the field
    EXPECT_NEAR(reaches[0].GroundUp, 304.8, 1e-3);
    EXPECT_EQ(reaches[1].Type, 2);
    EXPECT_EQ(fs::file_size(p.files.reaches()), 2 * network::kTramoSize);
    EXPECT_EQ(fs::file_size(p.files.reachIndex()), 2 * network::kIndiceSize);

    shell::ProyectoT h;
    specs::EspecT e;
    Stored(h, e);
    EXPECT_EQ(h.ReachCount, 2);
    EXPECT_EQ(h.ControlsDone, (decltype(h.ControlsDone){}));
    EXPECT_EQ(e.FromSwmm, 1);
    EXPECT_EQ(ReadBytes(p.files.swmmMap()), m.map);
    EXPECT_EQ(m.map.substr(0, 6), ";;Node");
    EXPECT_FALSE(nivex::testing::HasTempFile(p.files.swmmMap()));
    EXPECT_EQ(settings.read(shell::kSettingsKey, kImportedFileSetting), path);
    // The map's points become the manholes' coordinates, as the model gives them.
    EXPECT_EQ(ReadBytes(drawings::CoordinatesPath(p.files)),
              "SISTEMA\t9377\tMAGNA-SIRGAS / Origen-Nacional\nP1\t10\t20\nP2\t30\t20\n"
              "D1\t50\t20\n");
}

TEST_F(SwmmImportTest, ImportClearsTheControlsAndLaterStages) {
    ASSERT_TRUE(p.OpenControl());
    std::string error;
    ASSERT_TRUE(specs::LoadDesignCriteria(p.control, p.header, p.espec, &error));
    p.header.ControlsDone = {1, 1, 1, 1};
    p.header.StageDone = {1, 1, 1, 1};
    ASSERT_TRUE(p.WriteHeader());
    p.CloseControl();
    ImportOk(ModelText{}.text());
    shell::ProyectoT h;
    specs::EspecT e;
    Stored(h, e);
    EXPECT_EQ(h.ControlsDone, (decltype(h.ControlsDone){}));
    EXPECT_EQ(h.StageDone[1], 0);
    EXPECT_EQ(h.StageDone[2], 0);
    EXPECT_EQ(h.StageDone[3], 0);
}

TEST_F(SwmmImportTest, ARefusedFileLeavesTheProjectAsItWas) {
    ImportOk(ModelText{}.text());
    const auto before = Snapshot();

    // The last conduit's outlet is unknown: nothing of the first conduits is written.
    ModelText late;
    late.junctions = "[JUNCTIONS]\nQ1 50\nQ2 40\nQ3 30\n";
    late.outfalls.clear();
    late.conduits = "[CONDUITS]\nK1 Q1 Q2 5\nK2 Q2 Q3 5\nK3 Q3 FIN 5\n";
    ImportRefusal r;
    EXPECT_FALSE(Import(Write("tarde.inp", late.text()), r));
    EXPECT_EQ(r.message, kUnknownNodeMessage);
    EXPECT_EQ(Snapshot(), before);

    ModelText weirs;
    weirs.extra = "[WEIRS]\nW1 P1 P2 TRANSVERSE 0 3.33\n\n";
    EXPECT_FALSE(Import(Write("vertedero.inp", weirs.text()), r));
    EXPECT_EQ(r.message, kStructuresMessage);
    EXPECT_EQ(Snapshot(), before);

    EXPECT_FALSE(Import(Write("SWMM - AB1-Proyecto Nuevo - Sector#1.inp", ModelText{}.text()), r));
    EXPECT_EQ(r.message, kReservedPrefixMessage);
    EXPECT_EQ(r.caption, kReservedPrefixCaption);
    EXPECT_EQ(Snapshot(), before);
    // The prefix is refused before the file is taken as the last one imported.
    EXPECT_EQ(settings.read(shell::kSettingsKey, kImportedFileSetting),
              (base_ / "vertedero.inp").string());

    EXPECT_FALSE(Import((base_ / "no-existe.inp").string(), r));
    EXPECT_NE(r.message.find("No se pudo leer"), std::string::npos);
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(SwmmImportTest, AFileOverTheSizeLimitIsRefusedUnread) {
    const std::string path = Write("enorme.inp", ModelText{}.text());
    fs::resize_file(path, kMaxInputBytes + 1);  // sparse: nothing is written to the disk
    const auto before = Snapshot();
    ImportRefusal r;
    EXPECT_FALSE(Import(path, r));
    EXPECT_NE(r.message.find("demasiado grande"), std::string::npos);
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(SwmmImportTest, AnotherModelReplacesTheImportedNetworkWhole) {
    ModelText big;
    big.junctions = "[JUNCTIONS]\nA1 10\nA2 9\nA3 8\nA4 7\n";
    big.outfalls = "[OUTFALLS]\nS1 6 FREE\n";
    big.conduits = "[CONDUITS]\nC1 A1 A2 1\nC2 A2 A3 1\nC3 A3 A4 1\nC4 A4 S1 1\n";
    big.coordinates = "[COORDINATES]\nA1 1 1\n";
    ImportOk(big.text());
    EXPECT_EQ(Network().size(), 4u);
    ModelText small;
    small.coordinates.clear();
    ImportOk(small.text());
    const std::vector<TramoT> reaches = Network();
    ASSERT_EQ(reaches.size(), 2u);
    EXPECT_EQ(reaches[0].Upstream, "P1");
    EXPECT_EQ(fs::file_size(p.files.reaches()), 2 * network::kTramoSize);
    EXPECT_EQ(fs::file_size(p.files.reachIndex()), 2 * network::kIndiceSize);
    EXPECT_EQ(ReadBytes(p.files.swmmMap()), "");  // no stale coordinates
}

TEST_F(SwmmImportTest, TheReachBackupIsPutBackAndRemovedByAnImport) {
    ImportOk(ModelText{}.text());
    // A design of an alternative rewrote the network and kept the imported one.
    fs::create_directory(p.files.backupFolder());
    fs::copy_file(p.files.reaches(), p.files.backupReaches());
    fs::copy_file(p.files.reachIndex(), p.files.backupIndex());
    ASSERT_TRUE(p.OpenControl() && p.ReadHeader());
    p.header.BackupExists = 1;
    p.header.DesignAlternative = 2;
    ASSERT_TRUE(p.WriteHeader());
    p.CloseControl();

    // A refusal keeps the backup where it is.
    ModelText bad;
    bad.extra = "[STORAGE]\n";
    ImportRefusal r;
    EXPECT_FALSE(Import(Write("malo.inp", bad.text()), r));
    EXPECT_TRUE(fs::exists(p.files.backupReaches()));

    ModelText other;
    other.junctions = "[JUNCTIONS]\nR1 5\n";
    other.conduits = "[CONDUITS]\nX R1 D1 12\n";
    ImportOk(other.text());
    EXPECT_FALSE(fs::exists(p.files.backupFolder()));
    shell::ProyectoT h;
    specs::EspecT e;
    Stored(h, e);
    EXPECT_EQ(h.BackupExists, 0);
    EXPECT_EQ(h.DesignAlternative, 0);
    EXPECT_EQ(h.ReachCount, 1);
    const std::vector<TramoT> reaches = Network();
    ASSERT_EQ(reaches.size(), 1u);
    EXPECT_EQ(reaches[0].Upstream, "R1");
}

// ---- Choice 1, 'Q' ----

TEST_F(SwmmImportTest, QuestionAnsweredNoDoesNothing) {
    rig.ui.answers = {'N'};
    RunSwmmImport(s);
    ASSERT_EQ(rig.ui.boxes.size(), 1u);
    EXPECT_EQ(rig.ui.boxes[0].kind, "yesno");
    EXPECT_EQ(rig.ui.boxes[0].message, kImportQuestion);
    EXPECT_EQ(chooser.calls, 0);
    EXPECT_FALSE(fs::exists(p.files.reaches()));
}

TEST_F(SwmmImportTest, ANewProjectTakesTheChosenFileAndSaysSo) {
    settings.write(shell::kSettingsKey, kSwmmFolderSetting, "/modelos/swmm");
    chooser.answer = Write("modelo.inp", ModelText{}.text());
    rig.ui.answers = {'S'};
    RunSwmmImport(s);
    EXPECT_EQ(chooser.calls, 1);
    EXPECT_EQ(chooser.title, kDialogTitle);
    EXPECT_EQ(chooser.filter, "(*.inp)|*.inp");
    EXPECT_EQ(chooser.folder, "/modelos/swmm");
    ASSERT_NE(rig.ui.last(), nullptr);
    EXPECT_EQ(rig.ui.last()->kind, "info");
    EXPECT_EQ(rig.ui.last()->message, kImportDone);
    EXPECT_EQ(Network().size(), 2u);
}

TEST_F(SwmmImportTest, WithoutAFolderSettingTheDialogOpensInTheSwmmFolder) {
    s.folders.swmm = "/carpeta/swmm";
    rig.ui.answers = {'S'};
    RunSwmmImport(s);
    EXPECT_EQ(chooser.folder, "/carpeta/swmm");
}

TEST_F(SwmmImportTest, CancellingTheDialogIsReported) {
    chooser.answer = "";
    rig.ui.answers = {'S'};
    RunSwmmImport(s);
    ASSERT_NE(rig.ui.last(), nullptr);
    EXPECT_EQ(rig.ui.last()->kind, "warning");
    EXPECT_EQ(rig.ui.last()->message, kCancelled);
    EXPECT_EQ(rig.ui.last()->caption, kCancelledCaption);
    EXPECT_FALSE(fs::exists(p.files.reaches()));
}

TEST_F(SwmmImportTest, RefusalsAreShownInTheirBoxes) {
    ModelText t;
    t.junctions = "[JUNCTIONS]\nLARGO1 10\n";
    chooser.answer = Write("largo.inp", t.text());
    rig.ui.answers = {'S'};
    RunSwmmImport(s);
    ASSERT_NE(rig.ui.last(), nullptr);
    EXPECT_EQ(rig.ui.last()->kind, "error");
    EXPECT_EQ(rig.ui.last()->message, kNamingMessage);
    EXPECT_EQ(rig.ui.last()->caption, kNamingCaption);

    chooser.answer = Write("SWMM - AB1-Proyecto.inp", ModelText{}.text());
    rig.ui.answers = {'S'};
    RunSwmmImport(s);
    EXPECT_EQ(rig.ui.last()->message, cp(kReservedPrefixMessage));
    EXPECT_EQ(rig.ui.last()->caption, kReservedPrefixCaption);
    EXPECT_FALSE(fs::exists(p.files.reaches()));
}

TEST_F(SwmmImportTest, AProjectWithEnteredReachesIsNotOverwritten) {
    TramoT t;
    t.Upstream = "A";
    t.Downstream = "B";
    t.GroundUp = 10;
    t.GroundDown = 9;
    t.Length = 50;
    std::string error;
    ASSERT_TRUE(network::ReplaceNetwork(p, {t}, &error)) << error;
    const auto before = Snapshot();
    chooser.answer = Write("modelo.inp", ModelText{}.text());
    rig.ui.answers = {'S'};
    RunSwmmImport(s);
    ASSERT_NE(rig.ui.last(), nullptr);
    EXPECT_EQ(rig.ui.last()->kind, "warning");
    EXPECT_EQ(rig.ui.last()->message, kImportRefusal);
    EXPECT_EQ(rig.ui.last()->caption, "Advertencia");
    EXPECT_EQ(chooser.calls, 0);
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(SwmmImportTest, ASimulatedProjectIsNotOverwrittenButAnImportedOneIs) {
    ASSERT_EQ(
        batch({"--project", "AB1", "simulate", "--horizontal", "1", "--vertical", "1", "--yes"}).rc,
        0);
    fs::current_path(start_);
    chooser.answer = Write("modelo.inp", ModelText{}.text());
    rig.ui.answers = {'S'};
    RunSwmmImport(s);
    EXPECT_EQ(rig.ui.last()->message, kImportRefusal);
    EXPECT_EQ(chooser.calls, 0);

    // Once imported, the project takes another model.
    ASSERT_TRUE(p.OpenControl());
    std::string error;
    ASSERT_TRUE(specs::LoadDesignCriteria(p.control, p.header, p.espec, &error));
    p.espec.FromSwmm = 1;
    ASSERT_TRUE(specs::SaveRecords(p.control, p.header, p.espec, {1}));
    p.CloseControl();
    rig.ui.answers = {'S'};
    RunSwmmImport(s);
    EXPECT_EQ(rig.ui.last()->message, kImportDone);
    EXPECT_EQ(Network().size(), 2u);
    shell::ProyectoT h;
    specs::EspecT e;
    Stored(h, e);
    EXPECT_EQ(h.Simulated, 0);
    EXPECT_EQ(e.FromSwmm, 1);
}

TEST_F(SwmmImportTest, WithoutAFileDialogTheUserIsTold) {
    s.fileChooser = nullptr;
    rig.ui.answers = {'S'};
    RunSwmmImport(s);
    ASSERT_NE(rig.ui.last(), nullptr);
    EXPECT_EQ(rig.ui.last()->kind, "error");
    EXPECT_FALSE(fs::exists(p.files.reaches()));
}

TEST_F(SwmmImportTest, SubOptionQOfChoiceOneRunsTheImport) {
    chooser.answer = Write("modelo.inp", ModelText{}.text());
    rig.ui.answers = {'S'};
    ASSERT_TRUE(rig.console.pushKey('Q'));
    specs::RunDesignCriteria(s);
    ASSERT_FALSE(rig.ui.boxes.empty());
    EXPECT_EQ(rig.ui.boxes.front().message, kImportQuestion);
    EXPECT_EQ(rig.ui.last()->message, kImportDone);
    EXPECT_EQ(Network().size(), 2u);
}

}  // namespace
}  // namespace nivex::swmm
