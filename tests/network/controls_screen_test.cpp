#include "network/controls_screen.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "console/keys.h"
#include "network/network_controls.h"
#include "network/record_file.h"
#include "shell/session.h"
#include "specs/criteria_store.h"
#include "support/scripted.h"

namespace nivex::network {
namespace {

namespace fs = std::filesystem;

TramoT R(const std::string& up, const std::string& down, int type, float groundUp,
         float groundDown) {
    TramoT t;
    t.Upstream = up;
    t.Downstream = down;
    t.Type = type;
    t.GroundUp = groundUp;
    t.GroundDown = groundDown;
    t.Length = 40;
    t.Area = 0.3f;
    return t;
}

struct RecordingViewer : ui::ListingViewer {
    int shows = 0;
    std::string title, text;
    void ShowListing(const std::string& file, const std::string& t) override {
        ++shows;
        title = t;
        std::ostringstream bytes;
        bytes << std::ifstream(file, std::ios::binary).rdbuf();
        text = bytes.str();
    }
};

// Keeps the screen as it stood when each question was asked.
struct SnapshotUi : testing::ScriptedUi {
    explicit SnapshotUi(const testing::ConsoleRig& rig) : rig(rig) {}
    char askYesNo(const std::string& m, const std::string& c) override {
        std::vector<std::string> rows;
        for (int r = 1; r <= 25; ++r)
            rows.push_back(rig.row(r));
        screens.push_back(rows);
        return ScriptedUi::askYesNo(m, c);
    }
    // Row r of the screen at question q.
    std::string at(size_t q, int r) const {
        return q < screens.size() ? screens[q][static_cast<size_t>(r) - 1] : "<no question>";
    }
    const testing::ConsoleRig& rig;
    std::vector<std::vector<std::string>> screens;
};

class ControlsScreen : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() / ("nivex-controls-screen-" + std::string(info->name()) +
                                            "-" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        project::Project& p = session.project;
        p.selection.code = "AB";
        p.selection.sectors = "1";
        p.files.Build(dir_.string(), "AB1");
        session.viewer = &viewer;
        ASSERT_TRUE(p.OpenControl());
        p.header.ProjectName = "Barrio";
        ASSERT_TRUE(specs::InitialiseDesignCriteria(p.control, p.header, p.espec));
        p.header.ProjectDate = "2026";
        p.header.Entity = "Empresa";
        p.header.Email = "a@b.co";
        p.header.Country = "Colombia";
        p.header.Consultant = "Ingeniero";
        p.header.StageDone = {1, 1, 0, 0};
        ASSERT_TRUE(specs::SaveRecords(p.control, p.header, p.espec, {}));
        p.CloseControl();
        Network({R("A", "B", 0, 101, 100), R("B", "C", 2, 100, 99)});
    }
    void TearDown() override { fs::remove_all(dir_); }

    void Network(const std::vector<TramoT>& reaches) {
        std::vector<codec::Bytes> records;
        for (const TramoT& t : reaches) {
            codec::Bytes b(kTramoSize, 0);
            ASSERT_TRUE(Encode(t, b));
            records.push_back(b);
        }
        std::string error;
        ASSERT_TRUE(ReplaceRecordFile(session.project.files.reaches(), kTramoSize, records, error));
    }
    void SetFlags(std::array<uint8_t, 4> flags) {
        project::Project& p = session.project;
        std::string error;
        ASSERT_TRUE(LoadControlState(p, &error));
        ASSERT_TRUE(p.OpenControl() && p.control.ReadRecord(0));
        p.header.ControlsDone = flags;
        ASSERT_TRUE(p.WriteHeader());
        p.CloseControl();
    }
    shell::ProyectoT Stored() {
        project::Project q;
        q.files = session.project.files;
        std::string error;
        EXPECT_TRUE(LoadControlState(q, &error)) << error;
        return q.header;
    }
    void Run() {
        RunNetworkControls(session);
        EXPECT_TRUE(rig.pump.done());
    }
    void Probe(std::function<void()> look) { rig.pump.call(std::move(look)); }
    std::string Row(int r) const { return rig.row(r); }
    std::vector<std::string> Questions() const {
        std::vector<std::string> q;
        for (const auto& b : ui.boxes)
            if (b.kind == "yesno") q.push_back(b.message + "|" + b.caption);
        return q;
    }

    fs::path dir_;
    testing::ConsoleRig rig;
    console::Screen screen{rig.console};
    testing::NullDesktop desktop;
    ui::MemorySettings settings;
    shell::MenuBarModel menu;
    SnapshotUi ui{rig};
    shell::Session session{rig.switches, rig.console, screen, ui, desktop, settings, menu};
    RecordingViewer viewer;
};

TEST_F(ControlsScreen, MenuShowsTheStatusesAndEscLeaves) {
    SetFlags({1, 0, 0, 1});
    std::vector<std::string> rows;
    Probe([&] {
        for (int r : {1, 10, 11, 12, 13, 16})
            rows.push_back(Row(r));
    });
    rig.pump.key(key::Esc);
    Run();
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_NE(rows[0].find(" CONTROLES DE CALIDAD"), std::string::npos) << "[" << rows[0] << "]";
    EXPECT_EQ(rows[1], std::string(16, ' ') + "A - Verificacion especificaciones ............ OK");
    EXPECT_EQ(rows[2], std::string(16, ' ') + "B - Verificacion preliminar de los tramos .... ??");
    EXPECT_EQ(rows[3], std::string(16, ' ') + "C - Verificacion de nomenclatura y cotas ..... ??");
    EXPECT_EQ(rows[4], std::string(16, ' ') + "D - Verificacion del ordenamiento hidraulico.. OK");
    EXPECT_NE(rows[5].find("Seleccione opcion entre [A] y [D] y oprima [Enter] : A"),
              std::string::npos);
    // Entering marks the existing network, forgets the SWMM run; flags off undo the design.
    const shell::ProyectoT h = Stored();
    EXPECT_EQ(h.StageDone[1], 0);
    EXPECT_EQ(h.ControlsDone, (std::array<uint8_t, 4>{1, 0, 0, 1}));
}

TEST_F(ControlsScreen, InvalidLetterThenControlDAndTheNextLetterIsOffered) {
    SetFlags({1, 1, 1, 0});
    std::string error, afterD, congratulation;
    rig.pump.type("X\r");
    Probe([&] { error = Row(25); });
    rig.pump.type("D\r");
    Probe([&] { congratulation = Row(10); });
    ui.answers = {'S'};
    rig.pump.key(key::Enter);
    // All four passed: the closing screen.
    Probe([&] { afterD = Row(10); });
    rig.pump.key(key::Enter);
    Run();
    EXPECT_NE(error.find("ERROR...Caracter invalido"), std::string::npos) << error;
    EXPECT_NE(congratulation.find("FELICITACIONES..! El ordenamiento hidraulico esta correcto"),
              std::string::npos);
    EXPECT_NE(afterD.find("Todas las revisiones estan correctas"), std::string::npos);
    EXPECT_EQ(Questions(),
              std::vector<std::string>{std::string(kRunCheckQuestion) + "|Confirmacion"});
    EXPECT_EQ(Stored().ControlsDone, (std::array<uint8_t, 4>{1, 1, 1, 1}));
    EXPECT_TRUE(fs::exists(session.project.files.manholeNames()));
}

TEST_F(ControlsScreen, ControlBOffersCNext) {
    SetFlags({1, 0, 0, 0});
    std::string prompt, screenB;
    rig.pump.type("B\r");
    Probe([&] { screenB = Row(10); });
    rig.pump.key(key::Enter);
    Probe([&] { prompt = Row(16); });
    rig.pump.key(key::Esc);
    Run();
    EXPECT_NE(screenB.find("FELICITACIONES..! La informacion de los tramos esta completa"),
              std::string::npos);
    EXPECT_NE(prompt.find("[Enter] : C"), std::string::npos) << prompt;
    EXPECT_EQ(Stored().ControlsDone, (std::array<uint8_t, 4>{1, 1, 0, 0}));
}

TEST_F(ControlsScreen, ControlCErrorsAreCountedAndListed) {
    Network({R("A", "B", 0, 101, 100.004f), R("B", "C", 2, 100.006f, 99)});
    SetFlags({1, 1, 0, 0});
    ui.answers = {'S', 'S'};  // run it, list the errors
    rig.pump.type("C\r");
    rig.pump.key(key::AltZ);  // the sheet-range box: every sheet
    rig.pump.key(key::Esc);
    Run();
    const std::string count = ui.at(1, 6);
    EXPECT_NE(count.find("En 2 tramos se encontraron errores"), std::string::npos) << count;
    ASSERT_EQ(Questions().size(), 2u);
    EXPECT_EQ(Questions()[1], std::string(kListQuestion) + "|Confirmacion");
    ASSERT_EQ(viewer.shows, 1);
    EXPECT_EQ(viewer.title, "< VERIFICACION DE NOMENCLATURA Y COTAS DE LOS TRAMOS >");
    EXPECT_NE(viewer.text.find("error rasante"), std::string::npos);
    EXPECT_NE(viewer.text.find("L I N E A"), std::string::npos);
    EXPECT_EQ(Stored().ControlsDone[kControlC], 0);
}

TEST_F(ControlsScreen, ControlDWithOnlyJunctionMarks) {
    TramoT notInvestigated = R("B", "C", 2, 100, 99);
    notInvestigated.Class = kClassNotInvestigated;
    Network({R("A", "B", 0, 101, 100), notInvestigated});
    SetFlags({1, 1, 1, 0});
    ui.answers = {'S', 'N'};
    rig.pump.type("D\r").key(key::Esc);
    Run();
    const std::string count = ui.at(1, 11);
    EXPECT_NE(count.find("En1 tramos se encontraron errores"), std::string::npos) << count;
    EXPECT_EQ(Questions().back(), std::string(kListQuestion) + "|Confirmacion");
    EXPECT_EQ(Stored().ControlsDone[kControlD], 0);
    EXPECT_FALSE(fs::exists(session.project.files.manholeNames()));
}

TEST_F(ControlsScreen, ControlAWithMissingProjectData) {
    {
        project::Project& p = session.project;
        std::string error;
        ASSERT_TRUE(LoadControlState(p, &error));
        ASSERT_TRUE(p.OpenControl() && p.control.ReadRecord(0));
        p.header.Email.clear();
        ASSERT_TRUE(p.WriteHeader());
        p.CloseControl();
    }
    std::string missing, closing;
    rig.pump.type("A\r");
    Probe([&] {
        missing = Row(8);
        closing = Row(10);
    });
    rig.pump.key(key::Enter);
    rig.pump.key(key::Esc);
    Run();
    EXPECT_NE(missing.find("Falta indicar el correo electronico"), std::string::npos);
    EXPECT_NE(closing.find("Debe completar la informacion faltante"), std::string::npos);
    EXPECT_EQ(Stored().ControlsDone[kControlA], 0);
}

}  // namespace
}  // namespace nivex::network
