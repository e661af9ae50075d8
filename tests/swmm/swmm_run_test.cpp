// One engine run with a scripted engine: the order of the calls, the codes passed back,
// "Cancelar", the "Swm" copy and the failure messages.

#include <gtest/gtest.h>

#include <sstream>

#include "cli/batch_progress.h"
#include "console/codepage.h"
#include "support/scripted.h"
#include "swmm/swmm_run.h"
#include "swmm_doubles.h"

namespace nivex::swmm {
namespace {

using testing::FakeEngine;
using testing::RecordingProgress;
using testing::ScratchFolder;
using Calls = std::vector<std::string>;

const SwmmFiles kFiles{"m.inp", "m.rpt", "m.out"};

TEST(RunSwmm, NormalRunCallsTheFiveInOrderUntilTheTimeIsZero) {
    FakeEngine engine;
    engine.steps = FakeEngine::Normal(7);
    RecordingProgress window;
    SwmmProgress progress(&window);
    SwmmOutcome outcome;
    EXPECT_EQ(RunSwmm(engine, &progress, "", kFiles, &outcome), 0);
    EXPECT_EQ(engine.calls, (Calls{"open m.inp m.rpt m.out", "start 1", "step", "end", "close"}));
    EXPECT_EQ(engine.stepCalls(), 7);
    EXPECT_EQ(outcome.steps, 7);
    EXPECT_EQ(outcome.code, 0);
    EXPECT_FALSE(outcome.cancelled);
    EXPECT_TRUE(outcome.engineText.empty());
    // The window stays open for the caller; it was opened once with the label.
    EXPECT_TRUE(progress.isOpen());
    EXPECT_EQ(window.events, (Calls{"open Calculando  con SWMM   -->|"}));
    EXPECT_GE(window.ticks, 7);  // messages run between the steps
    EXPECT_EQ(progress.maximum(), 20);
}

TEST(RunSwmm, RejectedInputClosesWithoutStartingOrShowingTheWindow) {
    FakeEngine engine;
    engine.openCode = 200;
    engine.failureText = "ERROR 200: one or more errors in input file.";
    RecordingProgress window;
    SwmmProgress progress(&window);
    SwmmOutcome outcome;
    EXPECT_EQ(RunSwmm(engine, &progress, "", kFiles, &outcome), 200);
    EXPECT_EQ(engine.calls, (Calls{"open m.inp m.rpt m.out", "close"}));
    EXPECT_FALSE(progress.isOpen());
    EXPECT_TRUE(window.events.empty());
    EXPECT_EQ(outcome.engineText, "ERROR 200: one or more errors in input file.");
    EXPECT_EQ(outcome.steps, 0);
}

TEST(RunSwmm, FailedStartEndsAndClosesAfterTheWindowOpened) {
    FakeEngine engine;
    engine.startCode = 101;
    RecordingProgress window;
    SwmmProgress progress(&window);
    EXPECT_EQ(RunSwmm(engine, &progress, "", kFiles), 101);
    EXPECT_EQ(engine.calls, (Calls{"open m.inp m.rpt m.out", "start 1", "end", "close"}));
    EXPECT_EQ(engine.stepCalls(), 0);
    EXPECT_TRUE(progress.isOpen());
}

TEST(RunSwmm, FailedStepStopsTheLoopAndReturnsItsCode) {
    FakeEngine engine;
    engine.steps = {{0, 0.1}, {0, 0.2}, {317, 0.3}, {0, 0.4}};
    engine.failureText = "ERROR 317: cannot read data from a rainfall data file.";
    SwmmOutcome outcome;
    EXPECT_EQ(RunSwmm(engine, nullptr, "", kFiles, &outcome), 317);
    EXPECT_EQ(engine.stepCalls(), 3);
    EXPECT_EQ(engine.calls, (Calls{"open m.inp m.rpt m.out", "start 1", "step", "end", "close"}));
    EXPECT_EQ(outcome.engineText, "ERROR 317: cannot read data from a rainfall data file.");
}

TEST(RunSwmm, CancelStopsAfterTheCurrentStepAndStillEndsAndCloses) {
    FakeEngine engine;
    engine.steps = FakeEngine::Normal(50);
    RecordingProgress window;
    window.cancelAtTick = 3;  // pressed while the third step's messages run
    SwmmProgress progress(&window);
    SwmmOutcome outcome;
    EXPECT_EQ(RunSwmm(engine, &progress, "", kFiles, &outcome), 0);
    EXPECT_EQ(engine.stepCalls(), 3);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(engine.calls.back(), "close");
    EXPECT_EQ(engine.calls[engine.calls.size() - 2], "end");
}

TEST(RunSwmm, CancelledRunReturnsTheCodeOfItsLastStep) {
    FakeEngine engine;
    engine.steps = {{0, 0.1}, {0, 0.2}, {0, 0.3}};
    RecordingProgress window;
    window.cancelAtTick = 2;
    SwmmProgress progress(&window);
    EXPECT_EQ(RunSwmm(engine, &progress, "", kFiles), 0);
    EXPECT_EQ(engine.stepCalls(), 2);

    // A step that fails while "Cancelar" is pressed gives its own code back.
    FakeEngine failing;
    failing.steps = {{0, 0.1}, {503, 0.2}, {0, 0.3}};
    RecordingProgress window2;
    window2.cancelAtTick = 2;
    SwmmProgress progress2(&window2);
    EXPECT_EQ(RunSwmm(failing, &progress2, "", kFiles), 503);
    EXPECT_EQ(failing.stepCalls(), 2);
}

TEST(RunSwmm, NextRunClearsAnEarlierCancel) {
    FakeEngine first;
    first.steps = FakeEngine::Normal(10);
    RecordingProgress window;
    window.cancelAtTick = 1;
    SwmmProgress progress(&window);
    RunSwmm(first, &progress, "", kFiles);
    EXPECT_EQ(first.stepCalls(), 1);

    // The second pass of a design keeps the window but not the cancel.
    FakeEngine second;
    second.steps = FakeEngine::Normal(10);
    SwmmOutcome outcome;
    EXPECT_EQ(RunSwmm(second, &progress, "", kFiles, &outcome), 0);
    EXPECT_EQ(second.stepCalls(), 10);
    EXPECT_FALSE(outcome.cancelled);
}

TEST(RunSwmm, DeletesTheListingCopyFirstAndNothingElse) {
    ScratchFolder folder("copy");
    folder.write("Swm", "old report");
    folder.write("RepSwm", "12.5\n");
    FakeEngine engine;
    engine.openCode = 200;  // even a rejected input leaves no old copy behind
    RunSwmm(engine, nullptr, folder.path(), kFiles);
    EXPECT_FALSE(folder.exists("Swm"));
    EXPECT_TRUE(folder.exists("RepSwm"));
}

TEST(RunSwmm, EngineNotLoadedDoesNothingAndSaysWhy) {
    ScratchFolder folder("unloaded");
    folder.write("Swm", "old report");
    FakeEngine engine;
    engine.isLoaded = false;
    engine.loadMessage = cp("No se pudo cargar el motor SWMM /no/hay/libswmm5.so\rno existe");
    RecordingProgress window;
    SwmmProgress progress(&window);
    SwmmOutcome outcome;
    EXPECT_EQ(RunSwmm(engine, &progress, folder.path(), kFiles, &outcome), kEngineNotLoaded);
    EXPECT_TRUE(engine.calls.empty());
    EXPECT_TRUE(window.events.empty());
    EXPECT_TRUE(folder.exists("Swm"));
    EXPECT_EQ(outcome.engineText, engine.loadMessage);

    nivex::testing::ScriptedUi ui;
    ReportSwmmFailure(ui, engine, outcome.code);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].kind, "error");
    EXPECT_EQ(ui.boxes[0].message, engine.loadMessage);
    EXPECT_EQ(ui.boxes[0].caption, "Error");
}

TEST(RunSwmm, EngineCodesAreReportedAsTheRevisionMessage) {
    FakeEngine engine;
    nivex::testing::ScriptedUi ui;
    ReportSwmmFailure(ui, engine, 0);
    EXPECT_TRUE(ui.boxes.empty());
    for (int code : {200, 303, 317}) {
        ReportSwmmFailure(ui, engine, code);
        ASSERT_FALSE(ui.boxes.empty());
        EXPECT_EQ(ui.last()->kind, "error");
        EXPECT_EQ(ui.last()->message, "No se pudo calcular SWMM");
        EXPECT_EQ(ui.last()->caption, "Error");
    }
    EXPECT_EQ(ui.boxes.size(), 3u);
}

TEST(RunSwmm, WithoutAWindowTheRunStillCompletes) {
    FakeEngine engine;
    engine.steps = FakeEngine::Normal(3000);
    EXPECT_EQ(RunSwmm(engine, nullptr, "", kFiles), 0);
    EXPECT_EQ(engine.stepCalls(), 3000);
}

TEST(RunSwmm, BarCyclesThroughOneToTwentyDuringALongRun) {
    FakeEngine engine;
    engine.steps = FakeEngine::Normal(2000 + 1 + 350);
    RecordingProgress window;
    SwmmProgress progress(&window);
    RunSwmm(engine, &progress, "", kFiles);
    // 2000 steps fill the bar; the next one takes it back to 1 with the counter at 0, and
    // 350 more move it three marks on.
    EXPECT_EQ(progress.bar(), 4);
    EXPECT_EQ(progress.steps(), 50);
}

TEST(RunSwmm, BatchFormPrintsTheWindowLinesOnStandardError) {
    std::ostringstream err;
    cli::BatchProgress batch(err);
    SwmmProgress progress(&batch);
    progress.setPass({true, 3, 2, 5});
    FakeEngine engine;
    engine.steps = FakeEngine::Normal(20);
    EXPECT_EQ(RunSwmm(engine, &progress, "", kFiles), 0);
    progress.Close();
    EXPECT_EQ(err.str(),
              "Pasada #3   Calculando  con SWMM   -->\n"
              "Nodos Inundados: 2   Nodos Sobrecargados: 5\n");
}

}  // namespace
}  // namespace nivex::swmm
