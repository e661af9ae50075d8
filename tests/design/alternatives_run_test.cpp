// The run of the design alternatives over a designed sector: the rows the dialog offers in
// each topology mode, the stored alternatives reused while nothing changed, the entered
// network following a chosen automatic alternative and coming back from its backup.

#include "design/alternatives_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "console/codepage.h"
#include "design/alternatives_screen.h"
#include "network/network_controls.h"
#include "network/network_walk.h"
#include "project/project_list.h"
#include "project/reach_backup.h"
#include "support/session_rig.h"
#include "swmm/swmm_project_rig.h"

namespace nivex::design {
namespace {

namespace fs = std::filesystem;

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Counts the designs, from the first line each of their two passes writes.
struct CountingSink : DesignSink {
    void Progress(const std::string& line) override {
        if (line.find("voy a iniciar el diseno") != std::string::npos) ++passes;
    }
    int designs() const { return passes / 2; }
    void Message(const std::string& title, const std::string& text) override {
        messages.push_back(title + ": " + text);
    }
    int passes = 0;
    std::vector<std::string> messages;
};

struct ScriptedDialog : ui::AlternativesDialog {
    int run(const ui::AlternativesChoice& c, const std::function<void()>&) override {
        shown.push_back(c);
        return rows.empty() ? -1 : rows[shown.size() - 1 < rows.size() ? shown.size() - 1 : 0];
    }
    std::vector<int> rows;
    std::vector<ui::AlternativesChoice> shown;
};

class AlternativesRun : public swmm::testing::DesignedProjectTest {
  protected:
    void SetUp() override {
        DesignedProjectTest::SetUp();
        Design(1, 3, 3);
        ASSERT_FALSE(HasFatalFailure());
        s.session.project.files = project.files;
        s.session.project.selection = project.selection;
        s.session.alternatives = &dialog;
    }
    // The sector as an entered network (not simulated) designed in the given mode.
    void Mode(int mode) {
        std::string error;
        project::Project& p = s.session.project;
        ASSERT_TRUE(network::WithControl(p, &error, [&] {
            p.header.Simulated = 0;
            p.espec.TopologyMode = mode;
            return network::SaveControlRecords(p, {5}, &error);
        })) << error;
    }
    AlternativesOutcome Run(CountingSink& sink, int* designsBeforeDialog = nullptr,
                            std::chrono::microseconds searchBudget = std::chrono::seconds(10)) {
        AlternativesHooks hooks;
        hooks.searchBudget = searchBudget;
        hooks.choose = [&](AlternativesTable& table, int mode, double days) {
            if (designsBeforeDialog) *designsBeforeDialog = sink.designs();
            return ChooseAlternative(s.session, table, mode, days);
        };
        DesignOptions options;
        return RunAlternatives(s.session.project, options, sink, hooks, DesignRun{});
    }

    testing::SessionRig s;
    ScriptedDialog dialog;
};

TEST_F(AlternativesRun, ManualModeOffersOneRowAndDesignsTheNetworkAsEntered) {
    const std::string entered = Bytes(project.files.reaches());
    dialog.rows = {1};
    CountingSink sink;
    const AlternativesOutcome out = Run(sink);
    ASSERT_EQ(out.end, AlternativesEnd::Designed);
    EXPECT_EQ(out.mode, kTopologyManual);  // a simulated project is always designed as entered
    EXPECT_EQ(out.chosen, 0);
    EXPECT_EQ(sink.designs(), 2);  // the preliminary design and the final one
    ASSERT_EQ(dialog.shown.size(), 1u);
    ASSERT_EQ(dialog.shown[0].rows.size(), 1u);
    EXPECT_EQ(dialog.shown[0].rows[0][0], "Manual");
    EXPECT_EQ(dialog.shown[0].rows[0][11], "OK");
    // Its outfalls and final depths are those of this design, as for the automatic rows.
    EXPECT_NE(dialog.shown[0].rows[0][6], "0");
    EXPECT_NE(dialog.shown[0].rows[0][7], "0.00");
    // Its cost beside the mean depth: whole pesos, thousands grouped.
    const std::string cost = dialog.shown[0].rows[0][2];
    EXPECT_FALSE(cost.empty());
    EXPECT_EQ(cost.find_first_not_of("0123456789,"), std::string::npos) << cost;
    EXPECT_EQ(dialog.shown[0].gridRows, 15);
    EXPECT_TRUE(AdoptAlternative(s.session));
    EXPECT_EQ(Bytes(project.files.reaches()), entered);
    EXPECT_FALSE(fs::exists(project.files.backupFolder()));
}

TEST_F(AlternativesRun, DialogClosedOrAnEmptyRowLeavesTheDesignNotDone) {
    dialog.rows = {5, -1};  // an empty row first: refused, the dialog shown again
    CountingSink sink;
    const AlternativesOutcome out = Run(sink);
    EXPECT_EQ(out.end, AlternativesEnd::Declined);
    EXPECT_EQ(dialog.shown.size(), 2u);
    ASSERT_NE(s.rig.ui.last(), nullptr);
    EXPECT_EQ(s.rig.ui.last()->message, "Debe selecionar una opcion o cancelar");
    std::string error;
    ASSERT_TRUE(network::LoadControlState(project, &error)) << error;
    EXPECT_EQ(project.header.StageDone[1], 0);
}

TEST_F(AlternativesRun, AutomaticRowsAreDesignedAdoptedAndRecoverable) {
    Mode(kTopologyBoth);
    const std::string entered = Bytes(project.files.reaches());
    const std::string index = Bytes(project.files.reachIndex());
    dialog.rows = {2};  // the best automatic alternative
    CountingSink sink;
    const AlternativesOutcome out = Run(sink);
    ASSERT_EQ(out.end, AlternativesEnd::Designed) << ::testing::PrintToString(sink.messages);
    EXPECT_EQ(out.mode, kTopologyBoth);
    EXPECT_EQ(sink.designs(), 1 + 6 + 1);
    ASSERT_EQ(dialog.shown.size(), 1u);
    const ui::AlternativesChoice& c = dialog.shown[0];
    EXPECT_EQ(c.gridRows, 18);
    ASSERT_GE(c.rows.size(), 2u);
    EXPECT_EQ(c.rows[0][0], "Manual");
    EXPECT_EQ(c.rows[1][0], "Auto 1");
    EXPECT_TRUE(IsDesignedAlternative(out.chosen));
    EXPECT_EQ(c.rows[1][10], std::to_string(out.chosen));

    // The state file keeps the run: the undesigned alternatives hold bytes of value 100.
    const std::string state = Bytes(DesignStatePath(project));
    ASSERT_EQ(state.size(), kDesignStateSize);
    for (int k : {3, 4, 5, 6, 7, 8, 9, 11, 13, 14})
        EXPECT_EQ(state.substr(static_cast<size_t>(k) * kAlternativeSize, kAlternativeSize),
                  std::string(kAlternativeSize, char{100}))
            << k;

    // The entered network takes the order and directions of the design copy, and passes
    // the ordering walk; the backup gives the entered files back byte for byte.
    ASSERT_TRUE(AdoptAlternative(s.session));
    std::vector<network::TramoT> adopted;
    std::string error;
    ASSERT_TRUE(network::ReadStoredReaches(project, adopted, &error)) << error;
    EXPECT_EQ(adopted.size(), reaches.size());
    EXPECT_TRUE(network::WalkNetwork(adopted).errors.empty());
    ASSERT_TRUE(fs::exists(project.files.backupReaches()));
    EXPECT_EQ(Bytes(project.files.backupReaches()), entered);
    ASSERT_TRUE(project::RestoreReachBackupSilently(s.session));
    EXPECT_EQ(Bytes(project.files.reaches()), entered);
    EXPECT_EQ(Bytes(project.files.reachIndex()), index);
}

// A run stopped at the dialog (the program killed there) leaves the preliminary designs
// in the design copy: the sector is not designed until the final design is whole. Their
// statistics are still computed from that copy.
TEST_F(AlternativesRun, OnlyTheFinalDesignMarksTheSectorDesigned) {
    Mode(kTopologyBoth);
    dialog.rows = {1};
    CountingSink sink;
    shell::ProyectoT atDialog;
    AlternativesHooks hooks;
    hooks.choose = [&](AlternativesTable& table, int mode, double days) {
        EXPECT_TRUE(project::ReadHeaderOnly(project.files.control(), atDialog));
        return ChooseAlternative(s.session, table, mode, days);
    };
    DesignOptions options;
    const AlternativesOutcome out =
        RunAlternatives(s.session.project, options, sink, hooks, DesignRun{});
    ASSERT_EQ(out.end, AlternativesEnd::Designed) << ::testing::PrintToString(sink.messages);
    EXPECT_EQ(sink.designs(), 1 + 6 + 1);
    EXPECT_EQ(atDialog.StageDone[0], 1);  // the network is prepared
    EXPECT_EQ(atDialog.StageDone[1], 0) << "a preliminary design is marked as the design";
    ASSERT_EQ(dialog.shown.size(), 1u);
    ASSERT_GE(dialog.shown[0].rows.size(), 2u);
    for (const auto& row : dialog.shown[0].rows) {
        EXPECT_NE(row[1], "0.00") << row[0] << ": no mean depth from the quantities";
        EXPECT_NE(row[4], "0") << row[0] << ": no largest diameter from the quantities";
    }
    std::string error;
    ASSERT_TRUE(network::LoadControlState(project, &error)) << error;
    EXPECT_EQ(project.header.StageDone[1], 1);
}

TEST_F(AlternativesRun, StoredAlternativesAreOfferedWithoutDesigningWhileNothingChanged) {
    Mode(kTopologyAutomatic);
    dialog.rows = {-1};
    CountingSink first;
    EXPECT_EQ(Run(first).end, AlternativesEnd::Declined);
    EXPECT_EQ(first.designs(), 6);
    std::string error;
    ASSERT_TRUE(network::LoadControlState(project, &error)) << error;
    EXPECT_EQ(project.header.DiameterTableValid, 1);
    EXPECT_EQ(project.header.CriteriaValid, 1);
    const double days = project.espec.AlternativesRunDays;
    EXPECT_GT(days, 0);

    dialog.rows = {1};
    CountingSink again;
    int before = -1;
    const AlternativesOutcome out = Run(again, &before);
    EXPECT_EQ(before, 0);  // no design before the dialog
    EXPECT_EQ(out.end, AlternativesEnd::Designed);
    EXPECT_EQ(again.designs(), 1);
    ASSERT_EQ(dialog.shown.size(), 2u);
    EXPECT_EQ(dialog.shown[1].time, dialog.shown[0].time);
    EXPECT_EQ(dialog.shown[1].gridRows, 17);  // no row for the network as entered
    EXPECT_EQ(dialog.shown[1].rows[0][0], "Auto 1");
}

// No time for any search: the six automatic alternatives are abandoned for complexity.
constexpr std::chrono::microseconds kNoTime{0};

// What a run leaves for an abandoned alternative: its number, then zeros.
std::string AbandonedRecord(int k) {
    std::string record(kAlternativeSize, '\0');
    record[0] = static_cast<char>(k);
    return record;
}

TEST_F(AlternativesRun, AllAbandonedInBothModesLeaveTheNetworkAsEnteredToChoose) {
    Mode(kTopologyBoth);
    const std::string entered = Bytes(project.files.reaches());
    dialog.rows = {2, 1};  // the row after "Manual" holds nothing
    CountingSink sink;
    const AlternativesOutcome out = Run(sink, nullptr, kNoTime);
    ASSERT_EQ(out.end, AlternativesEnd::Designed) << ::testing::PrintToString(sink.messages);
    EXPECT_EQ(out.chosen, 0);
    EXPECT_EQ(sink.designs(), 2);  // the preliminary design of the network and its final one
    ASSERT_EQ(dialog.shown.size(), 2u);
    ASSERT_EQ(dialog.shown[0].rows.size(), 1u);
    EXPECT_EQ(dialog.shown[0].rows[0][0], "Manual");
    ASSERT_EQ(s.rig.ui.boxes.size(), 1u);
    EXPECT_EQ(s.rig.ui.boxes[0].message, "Debe selecionar una opcion o cancelar");

    std::string error;
    ASSERT_TRUE(network::LoadControlState(project, &error)) << error;
    EXPECT_EQ(project.header.AbandonedAlternatives, 6);
    EXPECT_EQ(project.header.DesignAlternative, 0);
    EXPECT_EQ(project.header.StageDone[1], 1);
    const std::string state = Bytes(DesignStatePath(project));
    ASSERT_EQ(state.size(), kDesignStateSize);
    for (int k : kDesignedAlternatives)
        EXPECT_EQ(state.substr(static_cast<size_t>(k) * kAlternativeSize, kAlternativeSize),
                  AbandonedRecord(k))
            << k;
    ASSERT_TRUE(AdoptAlternative(s.session));
    EXPECT_EQ(Bytes(project.files.reaches()), entered);
    EXPECT_FALSE(fs::exists(project.files.backupFolder()));
}

TEST_F(AlternativesRun, AllAbandonedInTheAutomaticModeOfferNothing) {
    Mode(kTopologyAutomatic);
    const std::string entered = Bytes(project.files.reaches());
    for (int run = 1; run <= 2; ++run) {  // the second run offers the stored alternatives
        dialog.shown.clear();
        s.rig.ui.boxes.clear();
        dialog.rows = {1, -1};  // "Aceptar" on the first row, then the dialog closed
        CountingSink sink;
        const AlternativesOutcome out = Run(sink, nullptr, kNoTime);
        EXPECT_EQ(out.end, AlternativesEnd::Declined) << run;
        EXPECT_EQ(sink.designs(), 0) << run;
        ASSERT_EQ(dialog.shown.size(), 2u) << run;
        EXPECT_TRUE(dialog.shown[0].rows.empty()) << run;
        ASSERT_EQ(s.rig.ui.boxes.size(), 1u) << run;
        EXPECT_EQ(s.rig.ui.boxes[0].message, "Debe selecionar una opcion o cancelar");
        std::string error;
        ASSERT_TRUE(network::LoadControlState(project, &error)) << error;
        EXPECT_EQ(project.header.AbandonedAlternatives, 6) << run;
        EXPECT_LT(project.header.DesignAlternative, 0) << run;
        EXPECT_EQ(project.header.StageDone[1], 0) << run;
        EXPECT_EQ(Bytes(project.files.reaches()), entered) << run;
    }
    EXPECT_TRUE(AdoptAlternative(s.session));
    EXPECT_EQ(Bytes(project.files.reaches()), entered);
    EXPECT_FALSE(fs::exists(project.files.backupFolder()));
}

// Alternatives 1, 10 and 15 as a run leaves them when their searches are abandoned; the
// stored table is offered again while nothing changes.
TEST_F(AlternativesRun, OnlyDesignedAlternativesAreOfferedAndChosen) {
    Mode(kTopologyAutomatic);
    dialog.rows = {-1};
    CountingSink first;
    ASSERT_EQ(Run(first).end, AlternativesEnd::Declined);
    const std::string path = DesignStatePath(project);
    AlternativesTable stored;
    std::string error;
    ASSERT_TRUE(ReadDesignState(stored, path, &error)) << error;
    for (int k : {1, 10, 15})
        ClearAbandoned(stored, k);
    ASSERT_TRUE(WriteDesignState(stored, path, &error)) << error;

    // Rows past the offered ones are refused; the last offered one is designed.
    dialog.shown.clear();
    dialog.rows = {4, 3, 2, 1};
    CountingSink again;
    AlternativesOutcome out = Run(again);
    ASSERT_GE(dialog.shown.size(), 1u);
    const auto& rows = dialog.shown[0].rows;
    ASSERT_GE(rows.size(), 1u);
    ASSERT_LE(rows.size(), 3u);
    for (const auto& row : rows) {
        EXPECT_TRUE(row[10] == "2" || row[10] == "12" || row[10] == "16") << row[10];
        EXPECT_NE(row[6], "0") << row[10];  // a designed alternative has its outfalls
    }
    ASSERT_EQ(dialog.shown.size(), 4 - rows.size() + 1);
    for (size_t k = 0; k + 1 < dialog.shown.size(); ++k)
        EXPECT_EQ(s.rig.ui.boxes[k].message, "Debe selecionar una opcion o cancelar");
    ASSERT_EQ(out.end, AlternativesEnd::Designed) << ::testing::PrintToString(again.messages);
    EXPECT_EQ(std::to_string(out.chosen), rows.back()[10]);
    ASSERT_TRUE(network::LoadControlState(project, &error)) << error;
    EXPECT_EQ(project.header.DesignAlternative, static_cast<float>(rows.size()));
}

TEST_F(AlternativesRun, ADamagedStateFileIsComputedAgain) {
    Mode(kTopologyAutomatic);
    dialog.rows = {-1};
    CountingSink first;
    Run(first);
    const std::string path = DesignStatePath(project);
    fs::resize_file(path, kDesignStateSize - 10);  // cut short
    CountingSink again;
    EXPECT_EQ(Run(again).end, AlternativesEnd::Declined);
    EXPECT_EQ(again.designs(), 6);  // every alternative designed again
    ASSERT_FALSE(again.messages.empty());
    EXPECT_EQ(again.messages[0].rfind("Advertencia: ", 0), 0u);
    EXPECT_EQ(fs::file_size(path), kDesignStateSize);
}

TEST_F(AlternativesRun, DiameterCheckNamesTheDiameterNeededAndSetsTheStagesBack) {
    CountingSink sink;
    DesignResult r;
    EXPECT_TRUE(DiameterCheck(project, r, sink));
    r.counters.missingDiameter = true;
    EXPECT_FALSE(DiameterCheck(project, r, sink));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].rfind("Error: PROBLEMA DE DIAMETRO INEXISTENTE\r", 0), 0u);
    std::string error;
    ASSERT_TRUE(network::LoadControlState(project, &error)) << error;
    EXPECT_EQ(project.header.StageDone, (std::array<uint8_t, 4>{1, 0, 0, 0}));

    // The diameter is rounded up to the next hundred; a whole hundred goes to the even one.
    r.counters.missingDiameter = false;
    for (auto [needed, shown] :
         {std::pair{1234.0f, "1300"}, {1200.0f, "1200"}, {1300.0f, "1400"}}) {
        r.counters.largestBeyondList = needed;
        sink.messages.clear();
        EXPECT_FALSE(DiameterCheck(project, r, sink));
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_NE(sink.messages[0].find(std::string("hasta\r") + shown + " (mm)"),
                  std::string::npos)
            << needed;
    }
}

TEST(AlternativesText, DurationsRowsAndTopologyCaption) {
    EXPECT_EQ(DurationText(0), "00:00:00");
    EXPECT_EQ(DurationText(1.5 / 24 + 61.0 / 86400), "01:31:01");
    EXPECT_EQ(TopologyCaption(4), "Error Topologia No. 4");
    // Row 1 is the network as entered except in the automatic mode; rows past the
    // alternatives choose nothing.
    EXPECT_EQ(RowPosition(kTopologyManual, 0, 1), 0);
    EXPECT_EQ(RowPosition(kTopologyManual, 0, 2), -1);
    EXPECT_EQ(RowPosition(kTopologyBoth, 3, 1), 0);
    EXPECT_EQ(RowPosition(kTopologyBoth, 3, 4), 3);
    EXPECT_EQ(RowPosition(kTopologyBoth, 3, 5), -1);
    EXPECT_EQ(RowPosition(kTopologyAutomatic, 2, 1), 1);
    EXPECT_EQ(RowPosition(kTopologyAutomatic, 2, 3), -1);
}

}  // namespace
}  // namespace nivex::design
