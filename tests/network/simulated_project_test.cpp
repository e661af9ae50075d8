#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <random>
#include <sstream>

#include "cli/batch.h"
#include "network/reach_file.h"
#include "network/simulated_project.h"

namespace nivex::network {
namespace {

namespace fs = std::filesystem;

// The ordering walk of the hydraulic arrangement control as its rules read: the reaches
// whose open line end reaches no later reach and no outlet (all reaches here are type 0).
std::vector<int> OpenEnds(const std::vector<TramoT>& reaches) {
    struct Entry {
        std::string up, down;
        int line;
    };
    std::vector<Entry> stack;
    for (size_t k = 0; k < reaches.size(); ++k) {
        const TramoT& r = reaches[k];
        while (stack.size() >= 2 && r.Upstream == stack.back().down)
            stack.pop_back();
        if (!stack.empty() && r.Upstream == stack.back().down)
            stack.back() = {r.Upstream, r.Downstream, static_cast<int>(k) + 1};
        else
            stack.push_back({r.Upstream, r.Downstream, static_cast<int>(k) + 1});
        EXPECT_LE(stack.size(), 200u);
    }
    std::vector<int> open;
    for (size_t k = 0; k + 1 < stack.size(); ++k)
        open.push_back(stack[k].line);
    return open;
}

TEST(SimulatedProject, GridOfTenByTen) {
    const SimulationParams params;
    const std::vector<TramoT> reaches = SimulatedReaches(params);
    ASSERT_EQ(reaches.size(), 220u);
    std::map<std::string, float> grounds;
    std::map<std::string, int> uses;
    for (const TramoT& t : reaches) {
        EXPECT_FLOAT_EQ(t.Length, 100);
        EXPECT_FLOAT_EQ(t.Area, 0.5f);
        EXPECT_EQ(t.Class, 0);
        EXPECT_EQ(t.Type, 0);
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
    const int heads = static_cast<int>(std::count_if(
        reaches.begin(), reaches.end(), [](const TramoT& t) { return t.Upstream.back() == 'A'; }));
    EXPECT_EQ(heads, 100);  // the vertical reaches off the collector column
    for (const auto& [name, n] : uses)
        EXPECT_LE(n, 5) << name;
}

TEST(SimulatedProject, OrderFollowsTheLinesUpToTheLastManhole) {
    SimulationParams params;
    params.horizontal = 3;
    params.vertical = 2;
    std::vector<TramoT> reaches = SimulatedReaches(params);
    ASSERT_EQ(reaches.size(), 3u * 3 + 4 * 2);
    // The lowest manhole takes the row and the collector: without an outlet reach one of
    // the two stays open; every other junction is found on top of the stack.
    const std::vector<int> open = OpenEnds(reaches);
    ASSERT_EQ(open.size(), 1u);
    EXPECT_EQ(reaches[open[0] - 1].Downstream, "12");

    std::mt19937 random(7);
    std::shuffle(reaches.begin(), reaches.end(), random);
    EXPECT_GT(OpenEnds(reaches).size(), 1u);
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
    EXPECT_NE(state.find("tramos: 7"), std::string::npos) << state;
    EXPECT_NE(state.find("controles: 0000"), std::string::npos);
    // A simulated project may be generated again.
    EXPECT_EQ(run(yes), 0) << last_;
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
