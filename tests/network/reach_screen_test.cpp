// The reach entry screen and its reordering screen driven by keys, over a real project
// on disk: what is written, what is refused, what the header says afterwards.

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/batch.h"
#include "console/codepage.h"
#include "console/keys.h"
#include "network/reach_csv.h"
#include "network/reach_file.h"
#include "network/reach_screen.h"
#include "project/project_selection.h"
#include "shell/main_menu.h"
#include "shell/session.h"
#include "specs/espec.h"
#include "support/scripted.h"
#include "support/session_rig.h"

namespace nivex::network {
namespace {

namespace fs = std::filesystem;
using testing::ConsoleRig;

constexpr uint8_t kF4 = key::F1 + 3;
constexpr uint8_t kF5 = key::F1 + 4;
constexpr uint8_t kF6 = key::F1 + 5;

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TramoT NewReach(const std::string& up, const std::string& down, float groundUp, float groundDown) {
    TramoT t;
    t.Upstream = up;
    t.Downstream = down;
    t.GroundUp = groundUp;
    t.GroundDown = groundDown;
    t.Length = 50;
    t.Area = 0.5f;
    return t;
}

class ReachScreen : public ::testing::Test, protected testing::SessionRig {
  protected:
    project::Project& p = session.project;
    fs::path base_, start_ = fs::current_path();

    void SetUp() override {
        static std::atomic<int> n{0};
        base_ = fs::temp_directory_path() /
                ("nivex-reach-screen-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
        fs::create_directories(base_ / "projects");
        setenv("XDG_DATA_HOME", (base_ / "xdg").c_str(), 1);
    }
    void TearDown() override {
        fs::current_path(start_);
        fs::remove_all(base_);
    }

    // A new project RS with that many sectors, open on the sector.
    void Open(const std::string& sector = "1", const std::string& sectors = "1") {
        std::ostringstream out, err;
        std::vector<std::string> args = {"--projects", (base_ / "projects").string(),
                                         "--project",  "RS" + sector,
                                         "--sectors",  sectors,
                                         "new",        "--yes"};
        ASSERT_EQ(cli::RunBatch(args, out, err), 0) << err.str();
        fs::current_path(start_);
        project::ProjectSelection selection(session, p);
        session.folders.project = (base_ / "projects").string();
        ASSERT_EQ(selection.List(session.folders.project), project::ListOutcome::Listed);
        rig.ui.answers.push_back('S');
        ASSERT_EQ(selection.Accept({"RS", sector, sectors}), 'S');
        rig.ui.boxes.clear();
    }
    void Network(const std::vector<TramoT>& reaches) {
        std::string error;
        ASSERT_TRUE(ReplaceNetwork(p, reaches, &error)) << error;
    }
    std::vector<TramoT> Reaches() {
        std::vector<TramoT> out;
        std::string error;
        EXPECT_TRUE(ReadNetwork(p, out, &error)) << error;
        return out;
    }
    shell::ProyectoT Header() {
        EXPECT_TRUE(p.OpenControl());
        EXPECT_TRUE(p.ReadHeader());
        p.CloseControl();
        return p.header;
    }
    void probe(std::function<void()> look) { rig.pump.call(std::move(look)); }
    void keys(std::initializer_list<uint8_t> codes) {
        for (uint8_t c : codes)
            rig.pump.key(c);
    }
    int Boxes(const std::string& message) const {
        int n = 0;
        for (const auto& b : rig.ui.boxes)
            if (b.message == cp(message)) ++n;
        return n;
    }
};

TEST_F(ReachScreen, NewProjectWritesLineOneOnPgDnAndLeavesTheNetworkChanged) {
    Open();
    std::string line, title, legend;
    probe([&] {
        line = rig.row(2);
        title = rig.row(1);
    });
    rig.pump.type("a1\rA2\r100\r99.5\r50\r");
    rig.pump.key(key::PgDn);
    std::string next;
    probe([&] { next = rig.row(2) + "|" + rig.row(3); });
    rig.pump.key(key::Esc);
    RunReachEntry(session);

    EXPECT_EQ(line, "============================> LINEA # :     1");
    EXPECT_NE(title.find("ENTRADA DATOS TRAMOS"), std::string::npos);
    EXPECT_EQ(next, "============================> LINEA # :     2|TRAMO < DE > :");
    const std::vector<TramoT> r = Reaches();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].Upstream, "A1");  // names are capitals
    EXPECT_EQ(r[0].Downstream, "A2");
    EXPECT_FLOAT_EQ(r[0].GroundDown, 99.5f);
    EXPECT_FLOAT_EQ(r[0].Length, 50);
    const shell::ProyectoT h = Header();
    EXPECT_EQ(h.ReachCount, 1);
    EXPECT_EQ(h.ControlsDone, (std::array<uint8_t, 4>{}));
    EXPECT_TRUE(rig.pump.done());
}

TEST_F(ReachScreen, ClosingTheProgramMidReachIsEscAndKeepsWhatEscKeeps) {
    Open();
    Network({NewReach("P1", "P2", 100, 99)});
    // A new reach begun on line 2: names and grounds taken, then the window is closed
    // (confirmed) while the length is being typed: the length is taken as Esc takes it,
    // and the screen leaves; the program ends at the next wait of the main menu.
    rig.pump.key(key::PgDn);
    rig.pump.type("P2\rP3\r99\r98.5\r7");
    rig.pump.call([] { throw console::ProgramExit{}; });
    EXPECT_NO_THROW(RunReachEntry(session));

    std::vector<TramoT> r = Reaches();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[1].Upstream, "P2");
    EXPECT_EQ(r[1].Downstream, "P3");
    EXPECT_FLOAT_EQ(r[1].GroundDown, 98.5f);
    EXPECT_FLOAT_EQ(r[1].Length, 7);
    shell::ProyectoT h = Header();
    EXPECT_EQ(h.ReachCount, 2);
    EXPECT_EQ(h.ControlsDone, (std::array<uint8_t, 4>{}));
    EXPECT_FALSE(rig.switches.errorShowing);
}

TEST_F(ReachScreen, ClosingTheProgramOnARefusedValueKeepsTheReachAsItWas) {
    Open();
    Network({NewReach("P1", "P2", 100, 99)});
    // Line 1's length cleared with F9 and the window closed: Esc refuses an empty
    // length, so the program leaves with the length of the file, 50 m.
    rig.pump.type("\r\r\r");
    rig.pump.key(key::F9);
    rig.pump.call([] { throw console::ProgramExit{}; });
    EXPECT_THROW(RunReachEntry(session), console::ProgramExit);

    const std::vector<TramoT> r = Reaches();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_FLOAT_EQ(r[0].Length, 50);
    EXPECT_FALSE(rig.switches.errorShowing);
}

TEST_F(ReachScreen, TheMenuBarsSubOptionKeyIsNotTypedIntoTheLastReach) {
    Open();
    Network({NewReach("P1", "P2", 100, 99), NewReach("P2", "P3", 99, 98)});
    const std::string before = Slurp(p.files.reaches());
    // "Tramos" from the menu bar at the main menu: its two keys, then the user leaves.
    session.switches.atMainMenu = true;
    shell::InjectMenuKeys(session, '2', 'A');
    ASSERT_EQ(rig.console.takeKey(), std::optional<uint8_t>('2'));
    session.switches.atMainMenu = false;
    std::string upstream;
    probe([&] { upstream = rig.row(3); });
    rig.pump.key(key::Esc);
    RunReachEntry(session);
    EXPECT_EQ(upstream, "TRAMO < DE > : P2");
    EXPECT_EQ(Reaches()[1].Upstream, "P2");
    EXPECT_TRUE(Slurp(p.files.reaches()) == before);  // not rewritten
}

TEST_F(ReachScreen, ExistingReachSlopeFromCrownsAndCrownFromSlope) {
    Open();
    rig.ui.answers.push_back('S');  // 300 mm is not commercial: accepted once
    // Names, grounds, length 100, area, class 1, crown up, diameter, slope left at 0,
    // crown down: the slope comes from the crowns.
    rig.pump.type("P1\rP2\r101\r100.5\r100\r0.2\r1\r100\r300\r\r99\r");
    std::string slope;
    probe([&] { slope = rig.row(15); });
    // Back to the slope: 2 % puts crown down at 98.00.
    rig.pump.key(key::Up);
    rig.pump.key(key::Up);
    rig.pump.type("2\r");
    std::string crownDown;
    probe([&] { crownDown = rig.row(16); });
    rig.pump.type("\r0.012\r\r\r");  // Manning n, no special data, type 0: line 2
    // A second reach of 300 mm in the same run is not asked again.
    rig.pump.type("P2\rP3\r100.5\r100\r100\r0.2\r1\r99\r300\r1\r");
    rig.pump.key(key::Esc);
    RunReachEntry(session);

    EXPECT_NE(slope.find(":   1.000"), std::string::npos) << slope;
    EXPECT_NE(crownDown.find(": 98.00"), std::string::npos) << crownDown;
    EXPECT_EQ(Boxes("Diametro comercial no incluido. Lo Acepta?"), 1);
    const std::vector<TramoT> r = Reaches();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].Class, kClassExisting);
    EXPECT_FLOAT_EQ(r[0].Slope, 2.0f);
    EXPECT_FLOAT_EQ(r[0].CrownDown, 98.0f);
    EXPECT_FLOAT_EQ(r[0].Diameter, 300);
    EXPECT_FLOAT_EQ(r[0].ManningN, 0.012f);
    EXPECT_FLOAT_EQ(r[1].ManningN, 0.013f);  // the existing-reach n of the criteria
    // Left with Esc in the middle of the second reach: what was typed is kept.
    EXPECT_FLOAT_EQ(r[1].Diameter, 300);
    EXPECT_FLOAT_EQ(r[1].CrownUp, 99);
}

TEST_F(ReachScreen, RefusalsShowTheirMessageAndAskTheFieldAgain) {
    Open();
    std::vector<std::string> errors;
    auto error = [&] { probe([&] { errors.push_back(rig.row(25)); }); };
    rig.pump.type("\r");  // no name
    error();
    rig.pump.type("X\rX\r");  // same name both ends
    error();
    rig.pump.type("Y\r0\r");  // no ground
    error();
    rig.pump.type("10\r9\r0\r");  // no length
    error();
    rig.pump.type("20\r\r0\r");  // area, class 0: special data
    rig.pump.type("\r");         // 'N': straight to the type
    rig.pump.type("0\r");        // grounds above crowns: the whole reach passes
    std::string second;
    probe([&] { second = rig.row(2); });
    // Enter through line 2 with nothing typed: the whole-reach check keeps it.
    rig.pump.type("\r");
    error();
    rig.pump.key(key::Esc);
    RunReachEntry(session);

    ASSERT_EQ(errors.size(), 5u);
    EXPECT_NE(errors[0].find("ERROR...Debe introducir el dato"), std::string::npos);
    EXPECT_NE(errors[1].find("ERROR...Nomenclatura incorrecta"), std::string::npos);
    EXPECT_NE(errors[2].find("ERROR...Introduzca Cota Rasante Superior"), std::string::npos);
    EXPECT_NE(errors[3].find("ERROR...Introduzca la longitud"), std::string::npos);
    EXPECT_NE(errors[4].find("ERROR...Debe introducir el dato"), std::string::npos);
    EXPECT_NE(second.find(":     2"), std::string::npos);
    ASSERT_EQ(Reaches().size(), 1u);
}

TEST_F(ReachScreen, WholeReachCheckKeepsTheReachAndDropsTheKey) {
    Open();
    Network({NewReach("A", "B", 100, 99)});
    // Line 1 becomes restricted and is left with PgDn before its crowns are typed.
    rig.pump.type("\r\r\r\r\r\r2");
    rig.pump.key(key::PgDn);
    rig.pump.key(key::PgUp);
    // A click on the type field, then Enter past the last field.
    rig.pump.click(56, 22);
    rig.pump.type("\r");
    std::string error, line;
    probe([&] {
        error = rig.row(25);
        line = rig.row(2);
    });
    rig.pump.key(key::Esc);
    RunReachEntry(session);
    EXPECT_NE(error.find("ERROR => ...Informacion errada o incompleta => corrija!"),
              std::string::npos)
        << error;
    EXPECT_NE(line.find(":     1"), std::string::npos);
    const std::vector<TramoT> r = Reaches();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].Class, kClassRestricted);
}

TEST_F(ReachScreen, SectorClassAndTypeFollowTheOpenSector) {
    Open("1", "3");
    std::string sectorOne;
    rig.pump.type("A\rB\r10\r9\r5\r1\r4\r");
    probe([&] { sectorOne = rig.row(25); });
    rig.pump.key(key::Esc);
    RunReachEntry(session);
    EXPECT_NE(sectorOne.find("ERROR...El sector 1 no admite la opcion: 4=De otro sector"),
              std::string::npos);

    Open("2", "3");
    Open("3", "3");
    std::vector<std::string> rows;
    rig.pump.type("A\rB\r10\r9\r5\r1\r4\r");  // class 4: the source sector at once
    rig.pump.type("3\r");
    probe([&] { rows.push_back(rig.row(25)); });
    rig.pump.type("2\r");
    probe([&] { rows.push_back(rig.row(14)); });  // class-4 data in place of the group
    rig.pump.key(key::Esc);
    RunReachEntry(session);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_NE(rows[0].find("ERROR...Debe ser menor que el sector corriente (3)"),
              std::string::npos);
    EXPECT_NE(rows[1].find("Caudal puntual(l/s)"), std::string::npos);
    const std::vector<TramoT> r = Reaches();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].Class, kScreenClassOtherSector);
    EXPECT_EQ(r[0].Sector, 2);
}

TEST_F(ReachScreen, RemovalMarkSearchAndRestrictions) {
    Open();
    TramoT existing = NewReach("E1", "E2", 100, 99);
    existing.Class = kClassExisting;
    existing.CrownUp = 98;
    existing.CrownDown = 97;
    existing.Diameter = 250;
    existing.Slope = 2;
    existing.ManningN = 0.013f;
    TramoT restricted = existing;
    restricted.Upstream = "R1";
    restricted.Downstream = "R2";
    restricted.Class = kClassRestricted;
    Network({NewReach("N1", "N2", 100, 99), existing, restricted});

    std::vector<std::string> seen;
    // The screen opens on the last line (the restricted one); search for the new reach.
    keys({kF5});
    rig.pump.type("N1\r\r\r");
    probe([&] { seen.push_back(rig.row(2) + "|" + rig.row(3)); });
    keys({kF6});  // a new reach cannot be marked
    probe([&] { seen.push_back(rig.row(25)); });
    keys({kF5});
    rig.pump.type("\rE2\r\r");  // only the downstream name
    keys({kF6});
    probe([&] { seen.push_back(rig.row(1)); });
    keys({kF5});
    rig.pump.type("ZZ\r\r\r");
    probe([&] { seen.push_back(rig.row(25)); });
    rig.ui.answers.push_back('S');
    keys({key::AltF2});
    rig.pump.key(key::Esc);
    RunReachEntry(session);

    ASSERT_EQ(seen.size(), 4u);
    EXPECT_NE(seen[0].find(":     1|TRAMO < DE > : N1"), std::string::npos) << seen[0];
    EXPECT_NE(seen[1].find("Solo aplica a Tramos Exitentes o No Investigados"), std::string::npos);
    EXPECT_NE(seen[2].find(cp("Tramo a eliminar durante el diseño")), std::string::npos);
    EXPECT_NE(seen[3].find("... No se encontro ..."), std::string::npos);
    EXPECT_EQ(Boxes("Proceso terminado"), 1);
    const std::vector<TramoT> r = Reaches();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_FLOAT_EQ(r[1].RemoveExisting, 1);
    EXPECT_EQ(r[2].Class, kClassNew);
    EXPECT_FLOAT_EQ(r[2].CrownUp, 0);
    EXPECT_FLOAT_EQ(r[2].Diameter, 0);
    EXPECT_EQ(r[1].Class, kClassExisting);  // only restrictions go
}

TEST_F(ReachScreen, ReorderAnsweredNoLeavesTheFileAndErasesTheSavedList) {
    Open();
    Network({NewReach("A", "B", 100, 99), NewReach("B", "C", 99, 98), NewReach("X", "B", 100, 99)});
    const std::string before = Slurp(p.files.reaches());
    const std::string saved = ReorderListPath(p.files);
    bool savedExisted = false;
    keys({key::AltF1, kF4});
    probe([&] { savedExisted = fs::exists(saved); });
    keys({key::CtrlY, key::Esc});
    rig.ui.answers.push_back('N');
    rig.pump.key(key::Esc);
    RunReachEntry(session);
    EXPECT_TRUE(savedExisted);
    EXPECT_FALSE(fs::exists(saved));
    EXPECT_TRUE(Slurp(p.files.reaches()) == before);  // not rewritten
    EXPECT_EQ(Boxes("Desea dejar en firme el reordenamiento"), 1);
}

TEST_F(ReachScreen, ReorderCommitMovesRecordsAndRebuildsTheIndex) {
    Open();
    Network({NewReach("A", "B", 100, 99), NewReach("B", "C", 99, 98), NewReach("X", "B", 100, 99)});
    const std::string before = Slurp(p.files.reaches());
    // On line 3 (X-B): mark it as a block, go to line 1 and move it after A-B; then insert
    // a new line C-D after the last one.
    keys({key::AltF1, key::AltF2 + 1, key::AltF2 + 3, key::Up, key::Up, key::AltF2 + 6});
    keys({key::Down, key::Down, key::Down, key::End, key::Enter});
    rig.pump.type("C\rD\r");
    keys({key::Esc});
    rig.ui.answers.push_back('S');
    rig.pump.key(key::Esc);
    RunReachEntry(session);

    const std::vector<TramoT> r = Reaches();
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].Upstream + r[0].Downstream, "AB");
    EXPECT_EQ(r[1].Upstream + r[1].Downstream, "XB");
    EXPECT_EQ(r[2].Upstream + r[2].Downstream, "BC");
    EXPECT_EQ(r[3].Upstream + r[3].Downstream, "CD");
    EXPECT_FLOAT_EQ(r[3].Length, 0);  // a new line is a record of zeros
    // Moved records are copied byte for byte.
    const std::string after = Slurp(p.files.reaches());
    EXPECT_EQ(after.substr(kTramoSize, kTramoSize), before.substr(2 * kTramoSize, kTramoSize));
    ReachFile f;
    ASSERT_TRUE(OpenNetwork(p, f));
    EXPECT_FALSE(f.opening().indexRebuilt);
    ASSERT_EQ(f.index().size(), 4u);
    EXPECT_EQ(f.index()[1].Upstream, "X");
    EXPECT_EQ(f.index()[3].Line, 4);
    f.Close();
    EXPECT_EQ(Header().ReachCount, 4);
    EXPECT_FALSE(fs::exists(ReachWorkPath(p.files)));
}

}  // namespace
}  // namespace nivex::network
