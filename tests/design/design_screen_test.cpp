// Main choice 5 driven by keys over a project prepared through the batch verbs: the
// options screen and what it keeps, the progress lines, the results screen.

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "cli/batch.h"
#include "console/codepage.h"
#include "console/keys.h"
#include "design/design_options.h"
#include "design/design_screen.h"
#include "network/network_controls.h"
#include "network/network_walk.h"
#include "network/reach_csv.h"
#include "project/project_selection.h"
#include "shell/modules.h"
#include "shell/session.h"
#include "support/scripted.h"

namespace nivex::design {
namespace {

namespace fs = std::filesystem;

class DesignScreen : public ::testing::Test {
  protected:
    testing::ConsoleRig rig;
    console::Screen screen{rig.console};
    testing::NullDesktop desktop;
    ui::MemorySettings settings;
    shell::MenuBarModel menu;
    shell::Session session{rig.switches, rig.console, screen, rig.ui, desktop, settings, menu};
    project::Project& p = session.project;
    fs::path base_, start_ = fs::current_path();

    void SetUp() override {
        static std::atomic<int> n{0};
        base_ = fs::temp_directory_path() /
                ("nivex-design-screen-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
        fs::create_directories(base_ / "projects");
        setenv("XDG_DATA_HOME", (base_ / "xdg").c_str(), 1);
        for (std::vector<std::string> args :
             {std::vector<std::string>{"new", "--yes"},
              {"simulate", "--horizontal", "2", "--vertical", "2", "--yes"},
              {"config", "--texto", "correo=a@b.co", "--texto", "pais=Colombia", "--texto",
               "entidad=E", "--texto", "fecha=09/12/26", "--texto", "consultor=C", "--texto",
               "proyecto=Diseno", "--yes"},
              {"controls", "--yes"}})
            Batch(args);
        Open();
    }
    void Batch(std::vector<std::string> args) {
        p.lock.Release();  // the sector as a desktop program leaves it when it closes
        args.insert(args.begin(),
                    {"--projects", (base_ / "projects").string(), "--project", "DS1"});
        std::ostringstream out, err;
        EXPECT_EQ(cli::RunBatch(args, out, err), 0) << out.str() << err.str();
        fs::current_path(start_);
    }
    void Open() {
        project::ProjectSelection selection(session, p);
        ASSERT_EQ(selection.List((base_ / "projects").string()), project::ListOutcome::Listed);
        rig.ui.answers.push_back('S');
        ASSERT_EQ(selection.Accept({"DS", "1", "1"}), 'S');
        rig.ui.boxes.clear();
        ASSERT_EQ(p.header.ControlsDone, (std::array<uint8_t, 4>{1, 1, 1, 1}));
    }
    void TearDown() override {
        fs::current_path(start_);
        fs::remove_all(base_);
    }
    shell::ProyectoT Header() {
        EXPECT_TRUE(p.OpenControl());
        EXPECT_TRUE(p.ReadHeader());
        p.CloseControl();
        return p.header;
    }
};

TEST_F(DesignScreen, OptionsAreKeptAndTheResultsScreenEndsTheDesign) {
    std::vector<std::string> options, results;
    rig.pump.call([&] {
        for (int r = 1; r <= 25; ++r)
            options.push_back(rig.row(r));
    });
    rig.pump.type("S\r");  // replace existing reaches with problems
    rig.pump.key(key::AltZ);
    rig.pump.call([&] {
        for (int r = 1; r <= 25; ++r)
            results.push_back(rig.row(r));
    });
    rig.pump.key(key::Enter);
    rig.console.pushKey('A');  // the sub key the menu bar gives
    shell::RunModule(session, 5);
    EXPECT_TRUE(rig.pump.done());

    auto shows = [](const std::vector<std::string>& rows, const std::string& text) {
        for (const std::string& r : rows)
            if (r.find(text) != std::string::npos) return true;
        return false;
    };
    EXPECT_TRUE(shows(options, "Desea eliminar tramos existentes ......................"));
    EXPECT_TRUE(shows(options, "Desea ignorar las restricciones de los tramos     (S/N) : S"));
    EXPECT_TRUE(shows(options, "......... con problemas de capacidad o de empalme (S/N) : N"));
    EXPECT_TRUE(shows(results, cp("CLASE DISEÑO SELECCIONADO : Manual")));
    EXPECT_TRUE(shows(results, "[B] .... las claves de entrada y salida no empalman :    0"));
    // The grid lies on flat ground with the sector's depths: nothing deeper than desirable.
    EXPECT_TRUE(shows(results, "[C] .... tramos mas profundos que la deseable ..... :    0"));
    EXPECT_TRUE(shows(results, "Linea   < DE  > <  A  >  Diametro Profundidad"));
    EXPECT_TRUE(shows(results, cp("Para finalizar el diseño oprima [ Enter ]")));
    // The discharge of the simulated grid is the one final reach: 2 × 3 + 3 × 2 + 1 = 13.
    EXPECT_TRUE(shows(results, "   13   <9>     <10>"));

    const shell::ProyectoT h = Header();
    EXPECT_EQ(h.StageDone[0], 1);
    EXPECT_EQ(h.StageDone[1], 1);
    EXPECT_EQ(StoredDesignOptions(h).Letters(), "SNSS");
    EXPECT_TRUE(fs::exists(p.files.designCopy()));
    EXPECT_TRUE(fs::exists(p.files.evolution()));
}

// The design copy is rewritten by every design: once stopped, it holds no finished design.
TEST_F(DesignScreen, EscDuringTheDesignStopsItAndLeavesTheDesignNotDone) {
    rig.console.pushKey('A');
    rig.pump.call([&] {
        rig.console.pushKey(key::Esc);  // the options as shown
        rig.console.pushKey(key::Esc);  // typed ahead: read between two progress lines
    });
    shell::RunModule(session, 5);
    ASSERT_NE(rig.ui.last(), nullptr);
    EXPECT_EQ(rig.ui.last()->message, "Proceso terminado por el usuario");
    const shell::ProyectoT h = Header();
    EXPECT_EQ(h.StageDone[1], 0);
    EXPECT_EQ(h.StageDone[2], 0);
    EXPECT_EQ(h.StageDone[3], 0);
}

TEST(DesignResults, PagesOfFifteenAndTheRecommendationForFloodedNodes) {
    testing::ConsoleRig rig;
    console::Screen screen{rig.console};
    testing::NullDesktop desktop;
    ui::MemorySettings settings;
    shell::MenuBarModel menu;
    shell::Session session{rig.switches, rig.console, screen, rig.ui, desktop, settings, menu};
    DesignResult result;
    result.floodedNodes = 3;
    result.counters.energyDoubtful = true;
    result.junctionMismatches = 2;
    result.deeperThanDesirable = 7;
    for (int k = 1; k <= 20; ++k)
        result.finalReaches.push_back({k, "A" + std::to_string(k), "B", 300, 1.5f});
    std::vector<std::string> first, second;
    rig.pump.call([&] {
        first = {rig.row(2) + "|" + rig.row(3),
                 rig.row(10),
                 rig.row(24),
                 rig.row(25),
                 rig.row(6),
                 rig.row(7),
                 rig.row(8)};
    });
    rig.pump.key(key::PgDn);
    rig.pump.call([&] { second = {rig.row(10), rig.row(14), rig.row(15)}; });
    rig.pump.key(key::PgDn);  // no third page: stays
    rig.pump.key(key::Enter);
    ShowDesignResults(session, result, true);
    EXPECT_TRUE(rig.pump.done());
    EXPECT_NE(first[0].find("Automatico"), std::string::npos);
    EXPECT_NE(first[0].find("Status = ?? (Posible fallas en Empalme Energia)"), std::string::npos);
    EXPECT_NE(first[1].find("    1   <A1>"), std::string::npos) << first[1];
    EXPECT_NE(first[2].find("   15   <A15>"), std::string::npos) << first[2];
    EXPECT_NE(first[3].find("K .... Oprima [PgUp] y [PgDn]"), std::string::npos);
    // The count of reaches deeper than desirable under the other two, its colon and its
    // digits in their columns; the table moves one row down.
    EXPECT_EQ(first[4].substr(0, 62),
              "    [B] .... las claves de entrada y salida no empalman :    2");
    EXPECT_EQ(first[5].substr(0, 62),
              "    [C] .... tramos mas profundos que la deseable ..... :    7");
    EXPECT_NE(first[6].find("< DATOS DE LOS TRAMOS FINALES"), std::string::npos);
    EXPECT_NE(second[0].find("   16   <A16>"), std::string::npos);
    EXPECT_NE(second[1].find("   20   <A20>"), std::string::npos);
    EXPECT_EQ(second[2].find("<"), std::string::npos);  // past the last reach
    // The recommendation comes once, not on every page.
    int recommendations = 0;
    for (const auto& b : rig.ui.boxes)
        if (b.message.find("RECOMENDACION") != std::string::npos) ++recommendations;
    EXPECT_EQ(recommendations, 1);
    EXPECT_NE(rig.ui.last()->message.find("Factor de Dise"), std::string::npos);
}

// One outfall more than the open lines a design may hold, each the end of a line of one
// reach: every automatic alternative is abandoned for complexity.
TEST_F(DesignScreen, NothingToChooseDesignsNothingAndTheCaptionNamesNoAlternative) {
    const std::vector<std::string>& columns = network::ReachCsvColumns();
    std::string csv;
    for (size_t c = 0; c < columns.size(); ++c)
        csv += (c ? "," : "") + columns[c];
    csv += '\n';
    for (int k = 1; k <= network::kMaxOpenEnds + 1; ++k) {
        const std::map<std::string, std::string> cells{
            {"Linea", std::to_string(k)},           {"Tramo de", "A" + std::to_string(k)},
            {"Tramo a", "B" + std::to_string(k)},   {"Cota rasante superior (m)", "1000"},
            {"Cota rasante inferior (m)", "999.4"}, {"Longitud del tramo (m)", "60"},
            {"Area del tramo (Has)", "0.18"},       {"Tipo", "2"}};
        for (size_t c = 0; c < columns.size(); ++c) {
            const auto it = cells.find(columns[c]);
            csv += (c ? "," : "") + (it == cells.end() ? std::string("0") : it->second);
        }
        csv += '\n';
    }
    const fs::path path = base_ / "red.csv";
    std::ofstream(path, std::ios::binary) << csv;
    Batch({"reaches", "import", path.string(), "--yes"});  // no longer a simulated network
    Batch({"config", "--topologia", "automatico", "--yes"});
    Batch({"controls", "--yes"});
    // As left by a former design of the first automatic row.
    std::string error;
    ASSERT_TRUE(network::WithControl(p, &error, [&] {
        p.header.DesignAlternative = 1;
        return network::SaveControlRecords(p, {}, &error);
    })) << error;
    Open();
    ASSERT_NE(p.caption.find("(Alternativa Automatica #1)"), std::string::npos) << p.caption;
    const std::string entered = [&] {
        std::ifstream in(p.files.reaches(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();

    rig.console.pushKey('A');
    shell::RunModule(session, 5);
    ASSERT_NE(rig.ui.last(), nullptr);
    EXPECT_EQ(rig.ui.last()->message, "Debe selecionar una opcion o cancelar");
    EXPECT_EQ(p.caption.find("Alternativa"), std::string::npos) << p.caption;
    EXPECT_EQ(rig.console.caption(), p.caption);
    const shell::ProyectoT h = Header();
    EXPECT_EQ(h.StageDone[1], 0);
    EXPECT_EQ(h.AbandonedAlternatives, 6);
    std::ifstream in(p.files.reaches(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), entered);
    EXPECT_FALSE(fs::exists(p.files.backupFolder()));
}

TEST_F(DesignScreen, StoredAnswersReadBackAndZerosAreTheDefaults) {
    shell::ProyectoT h;
    EXPECT_EQ(StoredDesignOptions(h).Letters(), "NNSS");  // a new project's "0000000000"
    DesignOptions o;
    ASSERT_TRUE(o.Parse("SSNN"));
    StoreDesignOptions(h, o);
    EXPECT_EQ(h.Reserved338, "SSNN000000");
    EXPECT_EQ(StoredDesignOptions(h).Letters(), "SSNN");
    h.Reserved338 = "S";
    EXPECT_EQ(StoredDesignOptions(h).Letters(), "SNSS");
}

}  // namespace
}  // namespace nivex::design
