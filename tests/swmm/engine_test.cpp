// The EPA SWMM 5 engine library: where it is looked for, what a wrong library gives, and
// real runs of a small model. The build installs the engine, so a missing engine fails
// these tests instead of skipping them.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>

#include "build_paths.h"
#include "console/codepage.h"
#include "support/scripted.h"
#include "swmm/engine.h"
#include "swmm/swmm_run.h"
#include "swmm_doubles.h"

namespace nivex::swmm {
namespace {

using testing::RecordingProgress;
using testing::ScratchFolder;

// Two junctions, an outfall and two conduits, with constant inflows for half an hour.
const char* const kTinyModel = R"([TITLE]
Red minima de prueba

[OPTIONS]
FLOW_UNITS           LPS
INFILTRATION         HORTON
FLOW_ROUTING         DYNWAVE
START_DATE           01/01/2020
START_TIME           00:00:00
REPORT_START_DATE    01/01/2020
REPORT_START_TIME    00:00:00
END_DATE             01/01/2020
END_TIME             00:30:00
WET_STEP             00:01:00
DRY_STEP             00:01:00
REPORT_STEP          00:05:00
ROUTING_STEP         0:00:10

[JUNCTIONS]
;;Name  Elev   MaxDepth InitDepth SurDepth Aponded
P1      100.0  2.0      0         0        0
P2      99.5   2.0      0         0        0

[OUTFALLS]
;;Name  Elev   Type
D1      99.0   FREE

[CONDUITS]
;;Name  From  To  Length  N      InOffset OutOffset InitFlow
T1      P1    P2  50      0.013  0        0         0
T2      P2    D1  50      0.013  0        0         0

[XSECTIONS]
;;Link  Shape     Geom1 Geom2 Geom3 Geom4 Barrels
T1      CIRCULAR  0.3   0     0     0     1
T2      CIRCULAR  0.3   0     0     0     1

[INFLOWS]
;;Node  Param  TimeSeries  Type  Mfactor  Sfactor  Baseline
P1      FLOW   ""          FLOW  1.0      1.0      20
P2      FLOW   ""          FLOW  1.0      1.0      10

[REPORT]
INPUT      NO
CONTINUITY YES
FLOWSTATS  YES
)";

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Sets or clears an environment variable for one test.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

// The engine the program would load; the test fails when it is not there.
class RealEngine : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(engine.loaded()) << toUtf8(engine.loadError());
        folder.write("red.inp", kTinyModel);
        files = {folder.file("red.inp"), folder.file("red.rpt"), folder.file("red.out")};
    }

    LibraryEngine engine{SwmmLibraryPath()};
    ScratchFolder folder{::testing::UnitTest::GetInstance()->current_test_info()->name()};
    SwmmFiles files;
};

TEST(SwmmLibraryPath, EnvironmentVariableWinsEvenWhenTheFileIsMissing) {
    ScopedEnv env("NIVEX_SWMM_LIBRARY", "/no/existe/libswmm5.so");
    EXPECT_EQ(SwmmLibraryPath(), "/no/existe/libswmm5.so");
}

TEST(SwmmLibraryPath, WithoutTheVariableTheBuildPathIsUsed) {
    ScopedEnv env("NIVEX_SWMM_LIBRARY", nullptr);
    ASSERT_STRNE(NIVEX_SWMM_LIBRARY_PATH, "") << "the build recorded no SWMM engine";
    EXPECT_EQ(SwmmLibraryPath(), NIVEX_SWMM_LIBRARY_PATH);
    // An empty variable counts as not set.
    ScopedEnv empty("NIVEX_SWMM_LIBRARY", "");
    EXPECT_EQ(SwmmLibraryPath(), NIVEX_SWMM_LIBRARY_PATH);
}

TEST(SwmmLibraryPath, RecordedPathFirstThenTheLibraryBesideTheExecutable) {
    ScratchFolder folder("choose");
    folder.write("recorded.so", "x");
    folder.write("beside.so", "x");
    const std::string recorded = folder.file("recorded.so"), beside = folder.file("beside.so");
    const std::string gone = folder.file("borrado.so");
    EXPECT_EQ(ChooseSwmmLibrary("/otra/libswmm5.so", recorded, beside), "/otra/libswmm5.so");
    EXPECT_EQ(ChooseSwmmLibrary(nullptr, recorded, beside), recorded);
    EXPECT_EQ(ChooseSwmmLibrary("", recorded, beside), recorded);
    EXPECT_EQ(ChooseSwmmLibrary(nullptr, gone, beside), beside);
    EXPECT_EQ(ChooseSwmmLibrary(nullptr, "", beside), beside);
    // Neither exists: the recorded one is named in the message.
    EXPECT_EQ(ChooseSwmmLibrary(nullptr, gone, folder.file("tampoco.so")), gone);
    EXPECT_EQ(ChooseSwmmLibrary(nullptr, "", gone), gone);
    EXPECT_EQ(ChooseSwmmLibrary(nullptr, "", ""), "libswmm5.so");
}

TEST(LibraryEngine, MissingFileGivesTheSpanishMessageNamingIt) {
    LibraryEngine engine("/no/existe/libswmm5.so");
    EXPECT_FALSE(engine.loaded());
    EXPECT_EQ(
        engine.loadError().rfind("No se pudo cargar el motor SWMM /no/existe/libswmm5.so\r", 0), 0u)
        << engine.loadError();
    // Every call answers without touching anything.
    double elapsed = 1;
    EXPECT_EQ(engine.open("a.inp", "a.rpt", "a.out"), kEngineNotLoaded);
    EXPECT_EQ(engine.start(1), kEngineNotLoaded);
    EXPECT_EQ(engine.step(elapsed), kEngineNotLoaded);
    EXPECT_EQ(elapsed, 1);
    EXPECT_EQ(engine.end(), kEngineNotLoaded);
    EXPECT_EQ(engine.close(), kEngineNotLoaded);
    EXPECT_EQ(engine.errorText(), "");
    EXPECT_EQ(engine.version(), 0);
}

TEST(LibraryEngine, FileThatIsNotALibraryIsRefused) {
    ScratchFolder folder("notalib");
    folder.write("libswmm5.so", "esto no es una biblioteca\n");
    LibraryEngine engine(folder.file("libswmm5.so"));
    EXPECT_FALSE(engine.loaded());
    EXPECT_NE(
        engine.loadError().find("No se pudo cargar el motor SWMM " + folder.file("libswmm5.so")),
        std::string::npos);
}

TEST(LibraryEngine, LibraryWithoutTheEngineCallsNamesTheMissingOne) {
    // A real shared library that is not the engine.
    LibraryEngine engine("libm.so.6");
    EXPECT_FALSE(engine.loaded());
    EXPECT_EQ(engine.loadError(),
              cp("No se pudo cargar el motor SWMM libm.so.6\rEl archivo no tiene la función "
                 "swmm_open"));
    EXPECT_EQ(engine.open("a.inp", "a.rpt", "a.out"), kEngineNotLoaded);
}

TEST(ProgramEngine, WrongLibraryPathLeavesTheProgramWorkingAndEveryChoiceSaysSo) {
    ScratchFolder folder("program");
    ScopedEnv env("NIVEX_SWMM_LIBRARY", "/no/existe/libswmm5.so");
    // The program's own engine is loaded once per run; a fresh one shows the same.
    LibraryEngine engine(SwmmLibraryPath());
    SetProgramEngine(&engine);
    nivex::testing::ScriptedUi ui;
    EXPECT_FALSE(CheckSwmmEngine(ui, ProgramEngine()));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].kind, "error");
    EXPECT_EQ(ui.boxes[0].caption, "Error");
    EXPECT_NE(ui.boxes[0].message.find("No se pudo cargar el motor SWMM /no/existe/libswmm5.so"),
              std::string::npos);

    RecordingProgress window;
    SwmmProgress progress(&window);
    const int code = RunSwmm(ProgramEngine(), &progress, folder.path(),
                             {folder.file("a.inp"), folder.file("a.rpt"), folder.file("a.out")});
    EXPECT_EQ(code, kEngineNotLoaded);
    EXPECT_TRUE(window.events.empty());
    ReportSwmmFailure(ui, ProgramEngine(), code);
    EXPECT_EQ(ui.last()->message, ui.boxes[0].message);
    SetProgramEngine(nullptr);
}

TEST(ProgramEngine, IsTheLibraryOfTheBuildAndLoads) {
    ScopedEnv env("NIVEX_SWMM_LIBRARY", nullptr);
    EXPECT_TRUE(ProgramEngine().loaded()) << toUtf8(ProgramEngine().loadError());
    nivex::testing::ScriptedUi ui;
    EXPECT_TRUE(CheckSwmmEngine(ui, ProgramEngine()));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(RealEngine, TinyModelRunsAndWritesItsReport) {
    EXPECT_GE(engine.version(), 50000);
    folder.write("Swm", "an old listing copy");
    RecordingProgress window;
    SwmmProgress progress(&window);
    SwmmOutcome outcome;
    EXPECT_EQ(RunSwmm(engine, &progress, folder.path(), files, &outcome), 0) << outcome.engineText;
    EXPECT_FALSE(outcome.cancelled);
    // Half an hour in steps of at most 10 s.
    EXPECT_GE(outcome.steps, 180);
    EXPECT_FALSE(folder.exists("Swm"));
    EXPECT_TRUE(folder.exists("red.out"));

    const std::string report = readAll(files.report);
    for (const char* table :
         {"Link Flow Summary", "Flow Classification Summary", "Node Surcharge Summary",
          "Node Flooding Summary", "Conduit Surcharge Summary", "No nodes were flooded"})
        EXPECT_NE(report.find(table), std::string::npos) << table;
    // The conduits appear in the flow summary with their headers.
    const auto flows = report.find("Link Flow Summary");
    ASSERT_NE(flows, std::string::npos);
    const std::string table = report.substr(flows, 1200);
    EXPECT_NE(table.find("LPS"), std::string::npos);
    EXPECT_NE(table.find("m/sec"), std::string::npos);
    EXPECT_NE(table.find("T1"), std::string::npos);
    EXPECT_NE(table.find("T2"), std::string::npos);
    // The engine was closed: the report has its closing lines.
    EXPECT_NE(report.find("Analysis ended on"), std::string::npos);
}

TEST_F(RealEngine, ConduitFlowsAddUpTheInflows) {
    ASSERT_EQ(RunSwmm(engine, nullptr, "", files), 0);
    const std::string report = readAll(files.report);
    const auto at = report.find("Link Flow Summary");
    ASSERT_NE(at, std::string::npos);
    std::istringstream rows(report.substr(at));
    std::string line;
    double t1 = 0, t2 = 0;
    while (std::getline(rows, line)) {
        std::istringstream fields(line);
        std::string name, type;
        double flow = 0;
        if (!(fields >> name >> type >> flow) || type != "CONDUIT") continue;
        if (name == "T1") t1 = flow;
        if (name == "T2") t2 = flow;
    }
    // The maximum is the steady inflow plus the small surge of filling the empty pipes.
    EXPECT_GE(t1, 19.9);
    EXPECT_LE(t1, 22.0);
    EXPECT_GE(t2, 29.9);
    EXPECT_LE(t2, 33.0);
}

TEST_F(RealEngine, RejectedModelGivesTheEngineCodeAndTheNextRunWorks) {
    std::string bad = kTinyModel;
    bad.replace(bad.find("T2      P2    D1"), 16, "T2      P2    XX");
    folder.write("mala.inp", bad);
    SwmmOutcome outcome;
    const SwmmFiles badFiles{folder.file("mala.inp"), folder.file("mala.rpt"),
                             folder.file("mala.out")};
    RecordingProgress window;
    SwmmProgress progress(&window);
    EXPECT_EQ(RunSwmm(engine, &progress, "", badFiles, &outcome), 200);
    EXPECT_NE(outcome.engineText.find("200"), std::string::npos) << outcome.engineText;
    EXPECT_TRUE(window.events.empty());
    EXPECT_NE(readAll(badFiles.report).find("XX"), std::string::npos);

    // The engine closed cleanly after the failure.
    EXPECT_EQ(RunSwmm(engine, nullptr, "", files), 0);
}

TEST_F(RealEngine, MissingInputFileGivesANonZeroCode) {
    const SwmmFiles missing{folder.file("no-existe.inp"), folder.file("x.rpt"),
                            folder.file("x.out")};
    const int code = RunSwmm(engine, nullptr, "", missing);
    EXPECT_NE(code, 0);
    EXPECT_NE(code, kEngineNotLoaded);
    nivex::testing::ScriptedUi ui;
    ReportSwmmFailure(ui, engine, code);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].message, "No se pudo calcular SWMM");
}

TEST_F(RealEngine, CancelEndsTheRunCleanly) {
    RecordingProgress window;
    window.cancelAtTick = 5;
    SwmmProgress progress(&window);
    SwmmOutcome outcome;
    EXPECT_EQ(RunSwmm(engine, &progress, "", files, &outcome), 0);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(outcome.steps, 5);
    progress.Close();
    EXPECT_EQ(window.events.back(), "close");
    // Ended and closed: a full run follows at once.
    SwmmOutcome next;
    EXPECT_EQ(RunSwmm(engine, nullptr, "", files, &next), 0);
    EXPECT_GE(next.steps, 180);
    EXPECT_NE(readAll(files.report).find("Link Flow Summary"), std::string::npos);
}

}  // namespace
}  // namespace nivex::swmm
