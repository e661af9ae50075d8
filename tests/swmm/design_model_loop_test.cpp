// The verification of a design with the hydraulic model in the SWMM classes: the real
// engine on a simulated 3×3 project, the flows of the model fed back into the last pass,
// the cancel, and the engines that cannot run.

#include "design/model_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <string>
#include <vector>

#include "console/codepage.h"
#include "design/design_flows.h"
#include "design/design_options.h"
#include "design/hydraulics.h"
#include "design/reach_values.h"
#include "network/network_controls.h"
#include "network/reach_csv.h"
#include "network/reach_file.h"
#include "support/scripted.h"
#include "swmm/engine.h"
#include "swmm/model_writer.h"
#include "swmm/swmm_progress.h"
#include "swmm_doubles.h"
#include "swmm_project_rig.h"

namespace nivex::design {
namespace {

using network::TramoT;

struct Box {
    std::string title, text;
};

class RecordingSink : public DesignSink {
  public:
    void Message(const std::string& title, const std::string& text) override {
        boxes.push_back({title, text});
    }
    std::vector<Box> boxes;
};

// A simulated project checked and ready for its design, which the test runs itself.
class DesignModelLoop : public swmm::testing::DesignedProjectTest {
  protected:
    // renamed: a name for the manhole where the first reach ends, given before the checks.
    void Prepare(int designClass, int horizontal = 3, int vertical = 3,
                 const std::string& renamed = "") {
        std::vector<std::string> config{"--project",
                                        "AB1",
                                        "config",
                                        "--class",
                                        std::to_string(designClass),
                                        "--texto",
                                        "correo=a@b.co",
                                        "--texto",
                                        "pais=Colombia",
                                        "--texto",
                                        "entidad=Empresa",
                                        "--texto",
                                        "fecha=2026",
                                        "--texto",
                                        "consultor=Yo",
                                        "--texto",
                                        "proyecto=Red"};
        if (designClass <= 5) config.insert(config.end(), {"--autolimpieza", "tractiva"});
        config.push_back("--yes");
        cli::BatchOutcome r = batch(config);
        ASSERT_EQ(r.rc, 0) << r.out << r.err;
        r = batch({"--project", "AB1", "simulate", "--horizontal", std::to_string(horizontal),
                   "--vertical", std::to_string(vertical), "--length", "60", "--slope", "1",
                   "--ground", "1000", "--yes"});
        ASSERT_EQ(r.rc, 0) << r.out << r.err;
        if (!renamed.empty()) {
            ASSERT_NO_FATAL_FAILURE(Rename(renamed));
        }
        r = batch({"--project", "AB1", "controls", "--yes"});
        ASSERT_EQ(r.rc, 0) << r.out << r.err;
        std::filesystem::current_path(start_);
        project.files.Build(folder().string(), "AB1");
        project.selection.extension = "AB1";
        std::string error;
        ASSERT_TRUE(network::LoadControlState(project, &error)) << error;
        options = StoredDesignOptions(project.header);
    }

    void Rename(const std::string& name) {
        const std::filesystem::path here = std::filesystem::current_path();
        std::filesystem::current_path(start_);
        project.files.Build(folder().string(), "AB1");
        std::vector<TramoT> network;
        std::string error;
        ASSERT_TRUE(network::ReadNetwork(project, network, &error)) << error;
        ASSERT_FALSE(network.empty());
        const std::string old = network.front().Downstream;
        for (TramoT& t : network) {
            if (t.Upstream == old) t.Upstream = name;
            if (t.Downstream == old) t.Downstream = name;
        }
        ASSERT_TRUE(network::ReplaceNetwork(project, network, &error)) << error;
        std::filesystem::current_path(here);
    }

    // The final design with the loop on engine; true as RunDesign.
    bool DesignWithLoop(swmm::SwmmEngine& engine) {
        DesignRun run;
        run.modelLoop = ModelLoopHook(
            {ui, sink, engine, &progress, swmmFolder(), options, nullptr, "01/15/2026", &log});
        const bool designed = RunDesign(project, options, sink, result, run);
        progress.Close();
        return designed;
    }

    void Reload() {
        std::string error;
        ASSERT_TRUE(network::LoadControlState(project, &error)) << error;
        ASSERT_TRUE(swmm::LoadDesignReaches(project, reaches, &error)) << error;
    }

    bool Shown(const std::string& title, const std::string& text) const {
        return std::any_of(sink.boxes.begin(), sink.boxes.end(),
                           [&](const Box& b) { return b.title == title && b.text == text; });
    }

    DesignOptions options;
    nivex::testing::ScriptedUi ui;
    RecordingSink sink;
    swmm::testing::RecordingProgress window;
    swmm::SwmmProgress progress{&window};
    ModelLoopLog log;
    DesignResult result;
};

TEST_F(DesignModelLoop, ClassSixRedesignsWithTheModelFlowsUntilFewerNodesFlood) {
    ASSERT_NO_FATAL_FAILURE(Prepare(6));
    ASSERT_TRUE(swmm::ProgramEngine().loaded()) << swmm::ProgramEngine().loadError();
    ASSERT_TRUE(DesignWithLoop(swmm::ProgramEngine())) << result.title << ": " << result.error;
    ASSERT_NO_FATAL_FAILURE(Reload());

    std::cout << "flooded (surcharged) nodes per run:";
    for (const ModelLoopRun& r : log.runs)
        std::cout << ' ' << r.flooded << " (" << r.surcharged << ")";
    std::cout << '\n';
    // The rational sizes cannot carry the design storm: the first run floods, the model's
    // flows make the design carry more.
    ASSERT_GE(log.runs.size(), 2u);
    ASSERT_LE(log.runs.size(), static_cast<size_t>(kModelLoopRuns));
    for (size_t k = 0; k < log.runs.size(); ++k) {
        EXPECT_EQ(log.runs[k].pass, static_cast<int>(k) + 1);
        EXPECT_EQ(log.runs[k].code, 0);
    }
    EXPECT_GT(log.runs.front().flooded, 0);
    EXPECT_LT(log.runs.back().flooded, log.runs.front().flooded);
    // It stops at the first run without flooding, or after the last run.
    for (size_t k = 0; k + 1 < log.runs.size(); ++k)
        EXPECT_GT(log.runs[k].flooded, 0);
    if (log.runs.size() < static_cast<size_t>(kModelLoopRuns)) {
        EXPECT_EQ(log.runs.back().flooded, 0);
    }
    EXPECT_EQ(log.redesigns, static_cast<int>(log.runs.size()) - 1);

    // The design flag is set by the loop; the counts are those of the last run.
    EXPECT_EQ(project.header.StageDone[0], 1);
    EXPECT_EQ(project.header.StageDone[1], 1);
    EXPECT_EQ(project.header.SwmmRan, 1);
    EXPECT_EQ(result.end, DesignEnd::Designed);
    EXPECT_EQ(result.floodedNodes, log.runs.back().flooded);
    EXPECT_EQ(project.espec.FloodedNodes, log.runs.back().flooded);
    EXPECT_EQ(project.espec.SurchargedNodes, log.runs.back().surcharged);

    // The last pass took its storm flows from the model: the flow of the conduit times
    // the adjustment factor, less the sanitary flow of the reach.
    ASSERT_EQ(log.lastFlows.size(), reaches.size());
    const FlowCriteria fc = FlowCriteriaOf(project.espec, project.header.DesignClass);
    int fromModel = 0;
    for (size_t k = 0; k < reaches.size(); ++k) {
        TramoT& t = reaches[k];
        const double model = log.lastFlows[k];
        if (model == 0) continue;
        const double expected = std::max(model * fc.modelAdjustment - SanitaryMax(t), 0.0);
        EXPECT_NEAR(StormFlow(t), expected, 0.01 + 1e-4 * expected) << "reach " << k + 1;
        EXPECT_NEAR(DesignFlow(t), std::max(expected + SanitaryMax(t), 0.0), 0.02 + 1e-4 * expected)
            << "reach " << k + 1;
        ++fromModel;
    }
    EXPECT_EQ(fromModel, static_cast<int>(reaches.size()));

    // The "Status" window stayed open through the runs, captioned by their pass.
    EXPECT_EQ(std::count(window.events.begin(), window.events.end(),
                         "open " + std::string(swmm::SwmmProgress::kLabel) + "|"),
              1);
    for (size_t k = 2; k <= log.runs.size(); ++k)
        EXPECT_NE(std::find(window.events.begin(), window.events.end(),
                            "caption Pasada #" + std::to_string(k)),
                  window.events.end())
            << k;
    EXPECT_EQ(window.caption, "Pasada #" + std::to_string(log.runs.size()));
    EXPECT_EQ(window.events.back(), "close");
    EXPECT_TRUE(sink.boxes.empty());
}

TEST_F(DesignModelLoop, AManholeNamedWithABlankIsDesignedWithTheModel) {
    ASSERT_NO_FATAL_FAILURE(Prepare(7, 2, 1, "A B"));
    ASSERT_TRUE(swmm::ProgramEngine().loaded()) << swmm::ProgramEngine().loadError();
    EXPECT_TRUE(DesignWithLoop(swmm::ProgramEngine())) << result.title << ": " << result.error;
    ASSERT_NO_FATAL_FAILURE(Reload());
    ASSERT_FALSE(log.runs.empty());
    for (const ModelLoopRun& r : log.runs)
        EXPECT_EQ(r.code, 0);
    EXPECT_EQ(result.end, DesignEnd::Designed);
    EXPECT_EQ(project.header.StageDone[1], 1);
    EXPECT_TRUE(std::any_of(reaches.begin(), reaches.end(),
                            [](const TramoT& t) { return t.Upstream == "A B"; }));
}

TEST_F(DesignModelLoop, CancelLeavesTheDesignFlagClear) {
    ASSERT_NO_FATAL_FAILURE(Prepare(6));
    ASSERT_TRUE(swmm::ProgramEngine().loaded()) << swmm::ProgramEngine().loadError();
    window.cancelAtTick = 3;
    EXPECT_FALSE(DesignWithLoop(swmm::ProgramEngine()));
    ASSERT_NO_FATAL_FAILURE(Reload());
    EXPECT_EQ(result.end, DesignEnd::Cancelled);
    EXPECT_EQ(result.title, cp("Informe"));
    EXPECT_EQ(result.error, cp("Proceso terminado por el usuario"));
    ASSERT_EQ(log.runs.size(), 1u);
    EXPECT_EQ(log.redesigns, 0);
    EXPECT_EQ(project.header.StageDone[1], 0);
    EXPECT_EQ(project.header.SwmmRan, 0);
    EXPECT_FALSE(window.statusOpen);
}

TEST_F(DesignModelLoop, EngineThatCannotBeLoadedLeavesTheDesignFlagClear) {
    ASSERT_NO_FATAL_FAILURE(Prepare(6));
    swmm::testing::FakeEngine engine;
    engine.isLoaded = false;
    engine.loadMessage = cp("No se pudo cargar el motor SWMM /no/hay/libswmm5.so");
    EXPECT_FALSE(DesignWithLoop(engine));
    ASSERT_NO_FATAL_FAILURE(Reload());
    EXPECT_TRUE(engine.calls.empty());
    EXPECT_TRUE(Shown("Error", engine.loadMessage));
    EXPECT_EQ(result.end, DesignEnd::Failed);
    EXPECT_EQ(project.header.StageDone[0], 1);
    EXPECT_EQ(project.header.StageDone[1], 0);
    EXPECT_TRUE(log.runs.empty());
}

TEST_F(DesignModelLoop, EngineThatRefusesTheModelStopsWithItsMessage) {
    ASSERT_NO_FATAL_FAILURE(Prepare(8));
    swmm::testing::FakeEngine engine;
    engine.openCode = 200;
    EXPECT_FALSE(DesignWithLoop(engine));
    ASSERT_NO_FATAL_FAILURE(Reload());
    ASSERT_EQ(log.runs.size(), 1u);
    EXPECT_EQ(log.runs[0].code, 200);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].title, "Error");
    EXPECT_EQ(sink.boxes[0].text.rfind(ModelRunFailedText(), 0), 0u) << sink.boxes[0].text;
    EXPECT_EQ(result.end, DesignEnd::Failed);
    EXPECT_EQ(project.header.StageDone[1], 0);
    EXPECT_EQ(project.header.SwmmRan, 0);
}

TEST_F(DesignModelLoop, OtherClassesDoNotRunTheLoop) {
    ASSERT_NO_FATAL_FAILURE(Prepare(3));
    swmm::testing::FakeEngine engine;
    EXPECT_TRUE(DesignWithLoop(engine)) << result.error;
    ASSERT_NO_FATAL_FAILURE(Reload());
    EXPECT_TRUE(engine.calls.empty());
    EXPECT_TRUE(log.runs.empty());
    EXPECT_EQ(project.header.StageDone[1], 1);
}

// ---- The batch verb ----

TEST_F(DesignModelLoop, FinalCollectorAtTheLargestSizeStopsTheDesign) {
    ASSERT_NO_FATAL_FAILURE(Prepare(6));
    ASSERT_TRUE(swmm::ProgramEngine().loaded()) << swmm::ProgramEngine().loadError();
    ASSERT_TRUE(RunDesign(project, options, sink, result)) << result.error;  // no loop
    ASSERT_NO_FATAL_FAILURE(Reload());
    const float largest = SizesOf(project.espec).largest();
    ASSERT_GT(largest, 0);
    EXPECT_FALSE(FinalCollectorAtLargestSize(reaches, project.espec));
    // The last reach, which no reach receives, made as large as the list allows.
    TramoT& last = reaches.back();
    ASSERT_EQ(ReceiverRecord(last), 0);
    last.Diameter = largest;
    EXPECT_TRUE(FinalCollectorAtLargestSize(reaches, project.espec));
    TramoT& inner = reaches.front();
    ASSERT_NE(ReceiverRecord(inner), 0);
    last.Diameter = 0;
    inner.Diameter = largest;
    EXPECT_FALSE(FinalCollectorAtLargestSize(reaches, project.espec));
    inner.Diameter = last.Diameter = largest;
    {
        network::TramoFile file;
        ASSERT_TRUE(file.Open(project.files.designCopy()));
        ASSERT_TRUE(file.Write(static_cast<int>(reaches.size()), reaches.back()));
        ASSERT_TRUE(file.Close());
    }

    // The first run floods and the last collector cannot grow: the design is suspended.
    EXPECT_FALSE(RunModelLoop(project, result,
                              {ui, sink, swmm::ProgramEngine(), &progress, swmmFolder(), options,
                               nullptr, "01/15/2026", &log}));
    ASSERT_NO_FATAL_FAILURE(Reload());
    ASSERT_EQ(log.runs.size(), 1u);
    EXPECT_GT(log.runs[0].flooded, 0);
    EXPECT_EQ(log.redesigns, 0);
    EXPECT_TRUE(Shown("Error", ExcessiveFlowText()));
    EXPECT_EQ(result.end, DesignEnd::Failed);
    EXPECT_EQ(project.header.StageDone[1], 0);
    EXPECT_FLOAT_EQ(reaches.back().Diameter, largest);  // the design copy was not redone
    EXPECT_FALSE(window.statusOpen);
}

TEST_F(DesignModelLoop, BatchDesignRunsTheLoopInClassSix) {
    ASSERT_NO_FATAL_FAILURE(Prepare(6, 2, 1));
    const cli::BatchOutcome d = batch({"--project", "AB1", "design", "--yes"});
    std::filesystem::current_path(start_);
    ASSERT_EQ(d.rc, 0) << d.out << d.err;
    const int runs = std::stoi(valueOf(d.out, "pasadas_swmm"));
    EXPECT_GE(runs, 2);
    EXPECT_LE(runs, kModelLoopRuns);
    ASSERT_NO_FATAL_FAILURE(Reload());
    EXPECT_EQ(project.header.StageDone[1], 1);
    EXPECT_EQ(valueOf(d.out, "inundacion"), std::to_string(project.espec.FloodedNodes));
    EXPECT_NE(d.err.find("Pasada #" + std::to_string(runs)), std::string::npos) << d.err;
}

TEST_F(DesignModelLoop, BatchDesignWithoutTheEngineSaysSoAndLeavesTheFlagClear) {
    ASSERT_NO_FATAL_FAILURE(Prepare(6));
    swmm::testing::FakeEngine engine;
    engine.isLoaded = false;
    engine.loadMessage = cp("No se pudo cargar el motor SWMM /no/hay/libswmm5.so");
    swmm::SetProgramEngine(&engine);
    const cli::BatchOutcome d = batch({"--project", "AB1", "design", "--yes"});
    swmm::SetProgramEngine(nullptr);
    std::filesystem::current_path(start_);
    EXPECT_NE(d.rc, 0);
    EXPECT_NE(d.err.find("No se pudo cargar el motor SWMM /no/hay/libswmm5.so"), std::string::npos)
        << d.err;
    ASSERT_NO_FATAL_FAILURE(Reload());
    EXPECT_EQ(project.header.StageDone[1], 0);
}

// ---- The pieces ----

TEST(ModelFlowTable, TakesTheNumberOfTheFirstTenCharacters) {
    const std::vector<float> f = ModelFlowTable({"12.50", "", "abc", "1234567.8901234", "-3"});
    ASSERT_EQ(f.size(), 5u);
    EXPECT_FLOAT_EQ(f[0], 12.5f);
    EXPECT_FLOAT_EQ(f[1], 0);
    EXPECT_FLOAT_EQ(f[2], 0);
    EXPECT_FLOAT_EQ(f[3], 1234567.89f);
    EXPECT_FLOAT_EQ(f[4], -3);
}

TEST(ModelLoopTexts, AreTheProgramsMessages) {
    EXPECT_EQ(ModelRunFailedText(),
              cp("No se pudo correr SWMM.\rSalga del aplicativo y vuelva y carguelo"));
    EXPECT_EQ(ExcessiveFlowText(),
              cp("Caudal Excesivo para el colector final.\rAdicione Vertimientos "
                 "independiente\r\rSe suspendera el diseño"));
}

}  // namespace
}  // namespace nivex::design
