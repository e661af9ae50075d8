// Construction stages over a designed 3×3 sanitary project: the rules, what is written
// to the design copy and to the control file, and the entry screen driven by keys.

#include "quantities/stages.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "console/codepage.h"
#include "console/keys.h"
#include "network/reach_file.h"
#include "project/project_selection.h"
#include "quantities/stage_screen.h"
#include "specs/criteria_store.h"
#include "support/session_rig.h"
#include "swmm/swmm_project_rig.h"

namespace nivex::quantities {
namespace {

namespace fs = std::filesystem;
using network::TramoT;

constexpr uint8_t kF4 = key::F1 + 3;
const std::string kExistingRefused =
    "ERROR ... Tramos Existentes o No Investigados no pueden ser de etapa";

std::string Bytes(const std::string& path) {
    std::ostringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

class Stages : public swmm::testing::DesignedProjectTest {
  protected:
    void SetUp() override {
        DesignedProjectTest::SetUp();
        Design(1);
        ASSERT_FALSE(HasFatalFailure());
        count = project.header.ReachCount;
        ASSERT_GT(count, 3);
    }
    std::string copyPath() const { return project.files.designCopy(); }
    TramoT Reach(int line) {
        network::TramoFile f;
        TramoT t;
        EXPECT_TRUE(f.Open(copyPath()));
        EXPECT_TRUE(f.Read(line, t));
        f.Close();
        return t;
    }
    void Patch(int line, int reachClass) {
        network::TramoFile f;
        TramoT t;
        ASSERT_TRUE(f.Open(copyPath()));
        ASSERT_TRUE(f.Read(line, t));
        t.Class = reachClass;
        ASSERT_TRUE(f.Write(line, t));
        ASSERT_TRUE(f.Close());
    }
    // Header and criteria as the control file holds them, after a change.
    void Control(const std::function<void(shell::ProyectoT&, specs::EspecT&)>& change = {}) {
        std::string error;
        ASSERT_TRUE(project.OpenControl());
        ASSERT_TRUE(
            specs::LoadDesignCriteria(project.control, project.header, project.espec, &error))
            << error;
        if (change) {
            change(project.header, project.espec);
            ASSERT_TRUE(specs::SaveRecords(project.control, project.header, project.espec, {5}));
        }
        project.CloseControl();
    }
    void QuantitiesDone() {
        Control([](shell::ProyectoT& h, specs::EspecT&) { h.StageDone[2] = h.StageDone[3] = 1; });
    }

    int count = 0;
};

TEST_F(Stages, RefusedStagesWriteNothing) {
    Patch(2, network::kClassExisting);
    Patch(3, network::kClassNotInvestigated);
    QuantitiesDone();
    const std::string before = Bytes(copyPath());
    struct Case {
        std::vector<StageSetting> settings;
        std::string message;
    };
    for (const Case& c : std::vector<Case>{
             {{{1, 2}, {2, 1}}, "Linea 2: " + kExistingRefused},
             {{{3, 3}}, "Linea 3: " + kExistingRefused},
             {{{1, 4}}, "Linea 1: ERROR ... Usar maximo 3 etapas"},
             {{{1, -1}}, "Linea 1: ERROR ... La etapa debe ser 0, 1, 2 o 3"},
             {{{1, 1.5}}, "Linea 1: ERROR ... La etapa debe ser 0, 1, 2 o 3"},
             {{{1, 1}, {count + 1, 1}}, "Linea " + std::to_string(count + 1) + ": no existe"},
             {{{0, 1}}, "Linea 0: no existe"}}) {
        std::string error;
        EXPECT_FALSE(SetStages(project, c.settings, &error));
        EXPECT_EQ(error.substr(0, c.message.size()), c.message);
    }
    EXPECT_EQ(Bytes(copyPath()), before);
    Control();
    EXPECT_EQ(project.header.StageDone[2], 1);
    EXPECT_EQ(project.header.StageDone[3], 1);
    // Stage 0 is always allowed, and giving a stage it already has changes nothing.
    std::string error;
    EXPECT_TRUE(SetStages(project, {{2, 0}, {4, 0}}, &error)) << error;
    Control();
    EXPECT_EQ(project.header.StageDone[2], 1);
}

TEST_F(Stages, CountingStoresTheHighestStageAndClearsTheQuantities) {
    QuantitiesDone();
    const std::string before = Bytes(copyPath());
    std::string error;
    ASSERT_TRUE(SetStages(project, {{1, 1}, {2, 3}, {4, 3}}, &error)) << error;
    // Only the stage bytes of the three records changed.
    const std::string after = Bytes(copyPath());
    ASSERT_EQ(after.size(), before.size());
    for (size_t k = 0; k < after.size(); ++k) {
        const size_t offset = k % network::kTramoSize;
        if (offset < 132 || offset >= 136) {
            ASSERT_EQ(after[k], before[k]) << "byte " << k;
        }
    }
    EXPECT_EQ(Reach(2).Diseno.ConstructionStage, 3.0f);
    Control();
    EXPECT_EQ(project.header.StageDone[2], 0);
    EXPECT_EQ(project.header.StageDone[3], 0);
    EXPECT_EQ(project.header.StageDone[1], 1);

    StageCounts counts;
    ASSERT_TRUE(StoreStageCount(project, counts, &error)) << error;
    EXPECT_EQ(counts.reaches[1], 1);
    EXPECT_EQ(counts.reaches[2], 0);
    EXPECT_EQ(counts.reaches[3], 2);
    EXPECT_EQ(counts.stages(), 3);  // stage 2 empty: still three stages
    shell::ControlFile file;
    ASSERT_TRUE(file.Open(project.files.control()));
    ASSERT_TRUE(file.ReadRecord(5));
    EXPECT_EQ(file.buffer(5)[165] | file.buffer(5)[166] << 8, 3);
    file.Close();

    EXPECT_EQ(StageSummary(counts),
              "Se definieron las siguientes etapas de construccion : \n\r"
              "             Etapa 1 : incluye 1 Tramos\n\r"
              "             Etapa 2 : incluye 0 Tramos\n\r"
              "             Etapa 3 : incluye 2 Tramos\n\r");
    EXPECT_EQ(StageSummary(StageCounts{}), "No se definieron etapas de construccion");
    ASSERT_TRUE(SetStages(project, {{2, 0}, {4, 0}}, &error));
    ASSERT_TRUE(StoreStageCount(project, counts, &error));
    Control();
    EXPECT_EQ(project.espec.StageCount, 1);
}

// ---- The screen ----

class StageScreen : public Stages {
  protected:
    void SetUp() override {
        Stages::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        project::ProjectSelection selection(s, s.project);
        ASSERT_EQ(selection.List((base_ / "projects").string()), project::ListOutcome::Listed);
        rig.rig.ui.answers.push_back('S');
        ASSERT_EQ(selection.Accept({"AB", "1", "1"}), 'S');
        rig.rig.ui.boxes.clear();
    }
    void Run() {
        RunStageEntry(s);
        EXPECT_TRUE(rig.rig.pump.done());
    }
    testing::ConsoleRig& c() { return rig.rig; }
    // Rows 3 to 7 when the screen next waits.
    void Snap(std::vector<std::string>& into) {
        c().pump.call([&] {
            std::string text;
            for (int r = 3; r <= 7; ++r)
                text += c().row(r) + "\n";
            into.push_back(text);
        });
    }
    int StoredCount() {
        Control();
        return project.espec.StageCount;
    }

    testing::SessionRig rig;
    shell::Session& s = rig.session;
};

TEST_F(StageScreen, F4WritesEveryLineAndCounts) {
    QuantitiesDone();
    c().pump.key(key::Enter).type("2").key(key::Enter);  // stays on the stage
    c().pump.type("1").key(key::PgDn);                   // the stage is written on moving
    c().pump.type("3").key(kF4);
    Run();
    EXPECT_EQ(Reach(1).Diseno.ConstructionStage, 1.0f);
    EXPECT_EQ(Reach(2).Diseno.ConstructionStage, 3.0f);
    ASSERT_NE(c().ui.last(), nullptr);
    EXPECT_EQ(c().ui.last()->caption, "Informacion");
    EXPECT_NE(c().ui.last()->message.find("Etapa 3 : incluye 1 Tramos"), std::string::npos);
    EXPECT_EQ(StoredCount(), 3);
    EXPECT_EQ(project.header.StageDone[2], 0);
    EXPECT_EQ(project.header.StageDone[3], 0);
}

TEST_F(StageScreen, EscKeepsTheStagesWithoutCounting) {
    c().pump.key(key::Enter).type("2").key(key::Esc);
    Run();
    EXPECT_EQ(Reach(1).Diseno.ConstructionStage, 2.0f);
    EXPECT_TRUE(c().ui.boxes.empty());
    EXPECT_EQ(StoredCount(), 0);
    EXPECT_EQ(project.header.StageDone[2], 0);
}

TEST_F(StageScreen, ClosingTheProgramKeepsTheStagesTaken) {
    QuantitiesDone();
    c().pump.key(key::Enter).type("2").key(key::Enter);   // taken, not yet written
    c().pump.call([] { throw console::ProgramExit{}; });  // the Esc of the screen
    EXPECT_NO_THROW(RunStageEntry(s));
    EXPECT_EQ(Reach(1).Diseno.ConstructionStage, 2.0f);
    Control();
    EXPECT_EQ(project.header.StageDone[2], 0);
}

TEST_F(StageScreen, RefusedStageIsEditedAgain) {
    Patch(1, network::kClassExisting);
    QuantitiesDone();
    std::string error;
    c().pump.key(key::Enter).type("1").key(key::Enter);
    c().pump.call([&] { error = c().row(25); });
    c().pump.type("4").key(kF4);  // F4 does not leave with a refused stage either
    c().pump.call([&] { error += "|" + c().row(25); });
    c().pump.type("0").key(key::Esc);
    Run();
    EXPECT_NE(error.find(kExistingRefused), std::string::npos) << error;
    EXPECT_NE(error.find("|"), std::string::npos);
    EXPECT_NE(error.substr(error.find('|')).find(kExistingRefused), std::string::npos);
    EXPECT_EQ(Reach(1).Diseno.ConstructionStage, 0.0f);
    EXPECT_TRUE(c().ui.boxes.empty());
    Control();
    EXPECT_EQ(project.header.StageDone[2], 1);  // nothing changed
}

TEST_F(StageScreen, LinesStayWithinTheNetwork) {
    const TramoT last = Reach(count);
    std::vector<std::string> shown;
    Snap(shown);
    c().pump.key(key::PgUp);  // below line 1: stays
    Snap(shown);
    c().pump.type("0").key(key::Up);  // typed 0 becomes 1
    Snap(shown);
    c().pump.type("999").key(key::Up);  // beyond the network: the last line
    Snap(shown);
    c().pump.key(key::PgDn);
    Snap(shown);
    c().pump.key(key::Down).type("5").key(key::Enter);  // refused: above 3
    c().pump.type("2").key(key::Esc);
    Run();
    ASSERT_EQ(shown.size(), 5u);
    const TramoT first = Reach(1);
    const std::string line1 = "==================================> LINEA # : 1\n";
    const std::string lineN =
        "==================================> LINEA # : " + std::to_string(count) + "\n";
    for (int k : {0, 1, 2}) {
        EXPECT_NE(shown[k].find(line1), std::string::npos) << shown[k];
        EXPECT_NE(shown[k].find("NUEVO -> TRAMO " + first.Upstream + " - " + first.Downstream),
                  std::string::npos)
            << shown[k];
        EXPECT_NE(shown[k].find("Etapa de Construccion [1,2,3] <0=Sin Etapa> : 0"),
                  std::string::npos);
    }
    for (int k : {3, 4}) {
        EXPECT_NE(shown[k].find(lineN), std::string::npos) << shown[k];
        EXPECT_NE(shown[k].find("TRAMO " + last.Upstream + " - " + last.Downstream),
                  std::string::npos);
    }
    EXPECT_EQ(Reach(count).Diseno.ConstructionStage, 2.0f);
    EXPECT_EQ(Reach(1).Diseno.ConstructionStage, 0.0f);
}

TEST_F(StageScreen, OfferedOnlyAfterTheDesignInOneSector) {
    c().pump.key(key::Enter);
    s.project.selection.sectors = "2";
    RunStageEntry(s);
    EXPECT_NE(s.screen.lastMessage().find("un sector"), std::string::npos);

    Control([](shell::ProyectoT& h, specs::EspecT&) { h.StageDone[1] = 0; });
    s.project.selection.sectors = "1";
    c().pump.key(key::Enter);
    Run();
    EXPECT_EQ(s.screen.lastMessage(), cp("... Falta hacer o repetir el diseño del proyecto ..."));
}

}  // namespace
}  // namespace nivex::quantities
