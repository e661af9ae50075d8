#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <random>
#include <sstream>

#include "cli/batch.h"
#include "network/network_walk.h"
#include "network/reach_file.h"
#include "network/simulated_project.h"

namespace nivex::network {
namespace {

namespace fs = std::filesystem;

// The lines of the ordering walk whose open line end reaches no later reach and no outlet.
std::vector<int> OpenEnds(const std::vector<TramoT>& reaches) {
    const WalkResult w = WalkNetwork(reaches);
    EXPECT_FALSE(w.stopped);
    std::vector<int> open;
    for (const WalkError& e : w.errors)
        if (e.fault == WalkFault::NoContinuity) open.push_back(w.table[e.reach].line);
    return open;
}

TEST(SimulatedProject, GridOfTenByTen) {
    const SimulationParams params;
    const std::vector<TramoT> reaches = SimulatedReaches(params);
    ASSERT_EQ(reaches.size(), 221u);  // 220 grid reaches and the discharge
    std::map<std::string, float> grounds;
    std::map<std::string, int> uses;
    for (const TramoT& t : reaches) {
        const bool last = &t == &reaches.back();
        EXPECT_FLOAT_EQ(t.Length, 100);
        EXPECT_FLOAT_EQ(t.Area, last ? 0 : 0.5f);
        EXPECT_EQ(t.Class, 0);
        EXPECT_EQ(t.Type, last ? 2 : 0);
        EXPECT_NEAR(t.GroundUp - t.GroundDown, 0.5, 1e-3);
        for (auto [name, ground] :
             {std::pair{t.Upstream, t.GroundUp}, {t.Downstream, t.GroundDown}}) {
            auto [it, fresh] = grounds.emplace(name, ground);
            EXPECT_FLOAT_EQ(it->second, ground) << "manhole " << name;
            ++uses[name];
        }
        EXPECT_LE(t.Upstream.size(), kNameLength);
    }
    EXPECT_FLOAT_EQ(grounds["1"], 1000);
    EXPECT_FLOAT_EQ(grounds["121"], 1000 - 20 * 0.5f);  // lowest corner
    EXPECT_EQ(reaches.back().Upstream, "121");
    EXPECT_EQ(reaches.back().Downstream, "122");
    EXPECT_FLOAT_EQ(grounds["122"], 1000 - 21 * 0.5f);
    EXPECT_EQ(uses["121"], 3);
    const int heads = static_cast<int>(std::count_if(
        reaches.begin(), reaches.end(), [](const TramoT& t) { return t.Upstream.back() == 'A'; }));
    EXPECT_EQ(heads, 100);  // the vertical reaches off the collector column
    for (const auto& [name, n] : uses)
        EXPECT_LE(n, 5) << name;
}

TEST(SimulatedProject, OrderFollowsTheLinesUpToTheDischarge) {
    SimulationParams params;
    params.horizontal = 3;
    params.vertical = 2;
    std::vector<TramoT> reaches = SimulatedReaches(params);
    ASSERT_EQ(reaches.size(), 3u * 3 + 4 * 2 + 1);
    // Every junction is found on top of the stack, the lowest one by the discharge.
    const WalkResult w = WalkNetwork(reaches);
    EXPECT_TRUE(w.errors.empty());
    EXPECT_TRUE(w.openEnds.empty());
    EXPECT_EQ(w.top, static_cast<int>(reaches.size()) - 1);
    EXPECT_EQ(w.outlets, std::vector<int>{static_cast<int>(reaches.size()) - 1});

    std::mt19937 random(7);
    std::shuffle(reaches.begin(), reaches.end(), random);
    EXPECT_FALSE(OpenEnds(reaches).empty());
}

TEST(SimulatedProject, FieldRules) {
    SimulationParams s;
    EXPECT_EQ(CheckSimulationParams(s), "");
    s.horizontal = 41;
    EXPECT_EQ(CheckSimulationParams(s), "ERROR...Usar entre 1 y 40");
    s = {};
    s.vertical = 0;
    EXPECT_EQ(CheckSimulationField(s, 1), "ERROR...Usar entre 1 y 40");
    s = {};
    s.length = 19.99;
    EXPECT_NE(CheckSimulationField(s, 2), "");
    s = {};
    s.slope = 3.0;
    EXPECT_EQ(CheckSimulationField(s, 3), "");
    s.slope = 0.09;
    EXPECT_EQ(CheckSimulationField(s, 3), "ERROR...Usar entre 0.10 y 3.00");
    s = {};
    s.ground = 999;
    EXPECT_NE(CheckSimulationField(s, 4), "");
}

TEST(SimulatedProject, AllowedOnlyOverNothingOrAnotherSimulation) {
    project::Project p;
    EXPECT_TRUE(SimulationAllowed(p));
    p.header.ReachCount = 3;
    EXPECT_FALSE(SimulationAllowed(p));
    p.header.Simulated = 1;
    EXPECT_TRUE(SimulationAllowed(p));
    p.header = {};
    p.espec.FromSwmm = 1;
    EXPECT_FALSE(SimulationAllowed(p));
}

class SimulateVerb : public ::testing::Test {
  protected:
    void SetUp() override {
        static std::atomic<int> n{0};
        base_ = fs::temp_directory_path() /
                ("nivex-sim-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
        fs::create_directories(base_ / "projects");
        start_ = fs::current_path();
        setenv("XDG_DATA_HOME", (base_ / "xdg").c_str(), 1);
    }
    void TearDown() override {
        fs::current_path(start_);
        fs::remove_all(base_);
    }
    int run(std::vector<std::string> args) {
        args.insert(args.begin(),
                    {"--projects", (base_ / "projects").string(), "--project", "SM1"});
        std::ostringstream out, err;
        last_ = err.str();
        const int rc = cli::RunBatch(args, out, err);
        last_ = out.str() + err.str();
        return rc;
    }
    std::string info() {
        std::ostringstream out, err;
        cli::RunBatch({"--projects", (base_ / "projects").string(), "--project", "SM1", "info"},
                      out, err);
        return out.str();
    }
    fs::path base_, start_;
    std::string last_;
};

TEST_F(SimulateVerb, AnsweredQuestionValuesAndRefusal) {
    ASSERT_EQ(run({"--yes", "new"}), 0) << last_;
    const std::vector<std::string> grid = {"simulate", "--horizontal", "2", "--vertical",
                                           "1",        "--length",     "50"};
    EXPECT_EQ(run(grid), 1);  // no --yes: the question is answered No
    EXPECT_NE(info().find("tramos: 0"), std::string::npos);

    std::vector<std::string> bad = grid;
    bad.insert(bad.end(), {"--slope", "5", "--yes"});
    EXPECT_EQ(run(bad), 1);
    EXPECT_NE(last_.find("ERROR...Usar entre 0.10 y 3.00"), std::string::npos);

    std::vector<std::string> yes = grid;
    yes.push_back("--yes");
    ASSERT_EQ(run(yes), 0) << last_;
    const std::string state = info();
    EXPECT_NE(state.find("tramos: 8"), std::string::npos) << state;  // with the discharge
    EXPECT_NE(state.find("controles: 0000"), std::string::npos);
    // A simulated project may be generated again.
    EXPECT_EQ(run(yes), 0) << last_;
}

TEST_F(SimulateVerb, SimulatedProjectPassesTheFourControls) {
    ASSERT_EQ(run({"--yes", "new"}), 0) << last_;
    ASSERT_EQ(run({"config", "--topologia", "manual", "--texto", "correo=a@b.co", "--texto",
                   "pais=Colombia", "--texto", "entidad=Empresa", "--texto", "proyecto=Grilla",
                   "--texto", "fecha=2026", "--texto", "consultor=Ingeniero", "--yes"}),
              0)
        << last_;
    ASSERT_EQ(run({"simulate", "--horizontal", "6", "--vertical", "4", "--yes"}), 0) << last_;
    ASSERT_EQ(run({"controls", "--yes"}), 0) << last_;
    EXPECT_NE(last_.find("A: OK\nB: OK\nC: OK\nD: OK\n"), std::string::npos) << last_;
    EXPECT_NE(info().find("controles: 1111"), std::string::npos) << info();
    const fs::path folder = *fs::directory_iterator(base_ / "projects");
    std::vector<std::string> names;
    std::string error;
    ASSERT_TRUE(ReadManholeNames((folder / "XSDD.SM1").string(), names, error)) << error;
    EXPECT_EQ(names.size(), 7u * 5 + 6 * 4 + 1);  // grid, heads off the collector, outlet
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
}

TEST_F(SimulateVerb, ProjectWithReachesIsRefused) {
    ASSERT_EQ(run({"--yes", "new"}), 0) << last_;
    const fs::path folder = *fs::directory_iterator(base_ / "projects");
    ReachFile f;
    ASSERT_TRUE(f.Open((folder / "ZSDX.SM1").string(), (folder / "XSDC.SM1").string(), 0.013f));
    TramoT t;
    t.Upstream = "1";
    t.Downstream = "2";
    ASSERT_TRUE(f.Write(1, t));
    f.Close();
    shell::ControlFile c;
    ASSERT_TRUE(c.Open((folder / "XSDA.SM1").string()));
    ASSERT_TRUE(c.ReadRecord(0));
    shell::ProyectoT h;
    shell::Decode(c.buffer(0), h);
    h.ReachCount = 1;
    ASSERT_TRUE(shell::Encode(h, c.buffer(0)));
    ASSERT_TRUE(c.WriteRecord(0));
    c.Close();
    EXPECT_EQ(run({"simulate", "--yes"}), 1);
    EXPECT_NE(last_.find("Utilice un proyecto nuevo para hacer simulaciones."), std::string::npos);
}

}  // namespace
}  // namespace nivex::network
