// The "Status" window of a SWMM run: its cycling bar, caption, counts, elapsed time and
// the status window it is shown in.

#include <gtest/gtest.h>

#include <algorithm>

#include "swmm/swmm_progress.h"
#include "swmm_doubles.h"

namespace nivex::swmm {
namespace {

using testing::RecordingProgress;
using Events = std::vector<std::string>;

void steps(SwmmProgress& p, int n) {
    for (int i = 0; i < n; ++i)
        p.Update();
}

TEST(SwmmProgress, BarAdvancesEveryHundredStepsAndCyclesBackToOne) {
    SwmmProgress p(nullptr);
    p.Show(20);
    EXPECT_EQ(p.bar(), 0);
    steps(p, 99);
    EXPECT_EQ(p.bar(), 0);
    steps(p, 1);
    EXPECT_EQ(p.bar(), 1);
    EXPECT_EQ(p.steps(), 0);
    steps(p, 1900);
    EXPECT_EQ(p.bar(), 20);
    // Standing at 20: the next step takes it back to 1 and restarts the counter.
    steps(p, 1);
    EXPECT_EQ(p.bar(), 1);
    EXPECT_EQ(p.steps(), 0);
    steps(p, 100);
    EXPECT_EQ(p.bar(), 2);
    // Never beyond the maximum over many cycles.
    for (int i = 0; i < 10000; ++i) {
        p.Update();
        ASSERT_GE(p.bar(), 1);
        ASSERT_LE(p.bar(), 20);
    }
}

TEST(SwmmProgress, ShowSetsTheBarToZeroOfItsMaximum) {
    SwmmProgress p(nullptr);
    p.Show(20);
    steps(p, 450);
    EXPECT_EQ(p.bar(), 4);
    p.ResetSteps();
    p.Show(20);
    EXPECT_EQ(p.bar(), 0);
    EXPECT_EQ(p.maximum(), 20);
    EXPECT_EQ(p.steps(), 0);
}

TEST(SwmmProgress, CaptionNamesThePassOnlyInDesignsWithStormsFromSwmm) {
    SwmmProgress p(nullptr);
    p.Show(20);
    p.Update();
    EXPECT_EQ(p.caption(), "Status");
    p.setPass({true, 0, 0, 0});
    p.Update();
    EXPECT_EQ(p.caption(), "Status");
    p.setPass({false, 4, 0, 0});
    p.Update();
    EXPECT_EQ(p.caption(), "Status");
    p.setPass({true, 4, 0, 0});
    p.Update();
    EXPECT_EQ(p.caption(), "Pasada #4");
    EXPECT_EQ(p.firstLine(), "Pasada #4   Calculando  con SWMM   -->");
}

TEST(SwmmProgress, CountLabelsOnlyWhenNodesWereFlooded) {
    SwmmProgress p(nullptr);
    p.setPass({true, 2, 3, 7});
    p.Show(20);
    EXPECT_EQ(p.floodedLabel(), "Nodos Inundados: 3");
    EXPECT_EQ(p.surchargedLabel(), "Nodos Sobrecargados: 7");
    EXPECT_EQ(p.secondLine(), "Nodos Inundados: 3   Nodos Sobrecargados: 7");
    // Surcharged nodes alone show nothing.
    p.setPass({true, 3, 0, 7});
    p.Update();
    EXPECT_EQ(p.floodedLabel(), "");
    EXPECT_EQ(p.surchargedLabel(), "");
    EXPECT_EQ(p.secondLine(), "");
}

TEST(SwmmProgress, ElapsedTimeSinceTheWindowOpened) {
    EXPECT_EQ(ElapsedLabel(0), "Tiempo Transcurrido: 00:00");
    EXPECT_EQ(ElapsedLabel(65), "Tiempo Transcurrido: 01:05");
    EXPECT_EQ(ElapsedLabel(59 * 60 + 59), "Tiempo Transcurrido: 59:59");
    EXPECT_EQ(ElapsedLabel(125 * 60 + 3), "Tiempo Transcurrido: 125:03");
    EXPECT_EQ(ElapsedLabel(-4), "Tiempo Transcurrido: 00:00");

    double now = 1000;
    SwmmProgress p(nullptr, [&now] { return now; });
    p.Show(20);
    now += 42.2;
    EXPECT_EQ(p.elapsedLabel(), "Tiempo Transcurrido: 00:42");
    // A second pass keeps the window and its clock.
    p.Show(20);
    now += 80;
    EXPECT_EQ(p.elapsedLabel(), "Tiempo Transcurrido: 02:02");
    p.Close();
    p.Show(20);
    EXPECT_EQ(p.elapsedLabel(), "Tiempo Transcurrido: 00:00");
}

TEST(SwmmProgress, WindowOpensOnceAndClosesOnce) {
    RecordingProgress w;
    {
        SwmmProgress p(&w);
        p.Show(20);
        p.Show(20);  // already open
        steps(p, 300);
        p.Tick();
        EXPECT_EQ(w.ticks, 1);
        EXPECT_EQ(w.events, (Events{"open Calculando  con SWMM   -->|"}));
        EXPECT_EQ(w.caption, "Status");
        EXPECT_EQ(w.label, "Calculando  con SWMM   -->");
        p.Close();
        p.Close();
        EXPECT_EQ(w.events, (Events{"open Calculando  con SWMM   -->|", "close"}));
        p.Tick();  // nothing to tick once closed
        EXPECT_EQ(w.ticks, 1);
        p.Show(20);
    }
    // The window still open when the run's owner goes is closed with it.
    EXPECT_EQ(w.events.back(), "close");
    EXPECT_EQ(w.events.size(), 4u);
}

TEST(SwmmProgress, WindowBarFollowsTheMarksAndIsOnlyToldOfChanges) {
    RecordingProgress w;
    SwmmProgress p(&w);
    p.Show(20);
    EXPECT_EQ(w.position, 0);
    EXPECT_EQ(w.maximum, 20);
    EXPECT_EQ(w.barMoves, 0);
    steps(p, 99);
    EXPECT_EQ(w.barMoves, 0);
    steps(p, 1);
    EXPECT_EQ(w.position, 1);
    EXPECT_EQ(w.barMoves, 1);
    steps(p, 1900);
    EXPECT_EQ(w.position, 20);
    EXPECT_EQ(w.barMoves, 20);
    steps(p, 1);  // back to 1
    EXPECT_EQ(w.position, 1);
    EXPECT_EQ(w.barMoves, 21);
    steps(p, 250);
    EXPECT_EQ(w.position, p.bar());
    EXPECT_EQ(w.position, 3);
    // The next run starts the bar at 0 in the same window.
    p.ResetSteps();
    p.Show(20);
    EXPECT_EQ(w.position, 0);
    EXPECT_EQ(w.maximum, 20);
    EXPECT_EQ(w.events.size(), 1u);
    // A new maximum reaches the window too.
    p.Show(10);
    EXPECT_EQ(w.maximum, 10);
    EXPECT_EQ(w.position, 0);
}

TEST(SwmmProgress, NewPassKeepsTheWindowAndTellsItTheCaptionAndCounts) {
    RecordingProgress w;
    SwmmProgress p(&w);
    p.setPass({true, 1, 0, 0});
    p.Show(20);
    EXPECT_EQ(w.caption, "Pasada #1");
    EXPECT_EQ(w.counts[0], "");
    p.setPass({true, 2, 4, 1});
    p.Show(20);
    EXPECT_EQ(w.events, (Events{"open Calculando  con SWMM   -->|", "caption Pasada #2",
                                "counts Nodos Inundados: 4|Nodos Sobrecargados: 1"}));
    EXPECT_EQ(w.caption, "Pasada #2");
    EXPECT_EQ(w.counts[0], "Nodos Inundados: 4");
    EXPECT_EQ(w.counts[1], "Nodos Sobrecargados: 1");
    // Steps with the same texts tell the window nothing new.
    steps(p, 500);
    EXPECT_EQ(w.events.size(), 3u);
    // A pass without flooded nodes blanks both lines.
    p.setPass({true, 3, 0, 6});
    p.Update();
    EXPECT_EQ(w.events.back(), "counts |");
    EXPECT_EQ(w.counts[0], "");
    EXPECT_EQ(w.counts[1], "");
    EXPECT_EQ(w.caption, "Pasada #3");
    EXPECT_EQ(w.events.size(), 5u);
}

TEST(SwmmProgress, ShowOnTheOpenWindowClearsAnEarlierCancelWithoutReopening) {
    RecordingProgress w;
    SwmmProgress p(&w);
    p.Show(20);
    w.pressCancel();
    EXPECT_TRUE(p.cancelled());
    p.Show(20);
    EXPECT_FALSE(p.cancelled());
    EXPECT_EQ(w.cancelsCleared, 1);
    EXPECT_EQ(w.events, (Events{"open Calculando  con SWMM   -->|"}));
    // A cancel pressed during the run is not undone by a change of caption or counts.
    w.pressCancel();
    p.setPass({true, 5, 2, 2});
    p.Update();
    EXPECT_TRUE(p.cancelled());
    EXPECT_EQ(w.caption, "Pasada #5");
}

TEST(SwmmProgress, ClockRunsFromTheFirstOpeningThroughThePasses) {
    double now = 50;
    RecordingProgress w;
    SwmmProgress p(&w, [&now] { return now; });
    for (int pass = 1; pass <= 3; ++pass) {
        p.setPass({true, pass, pass - 1, 1});
        p.ResetSteps();
        p.Show(20);
        steps(p, 150);
        now += 30;
    }
    EXPECT_EQ(p.elapsedLabel(), "Tiempo Transcurrido: 01:30");
    EXPECT_EQ(std::count(w.events.begin(), w.events.end(), "open Calculando  con SWMM   -->|"), 1);
    EXPECT_EQ(w.caption, "Pasada #3");
    EXPECT_EQ(w.counts[0], "Nodos Inundados: 2");
}

TEST(SwmmProgress, CancelIsOnlySeenWhileTheWindowIsOpen) {
    RecordingProgress w;
    SwmmProgress p(&w);
    w.pressCancel();
    EXPECT_FALSE(p.cancelled());
    p.Show(20);  // opening clears it
    EXPECT_FALSE(p.cancelled());
    w.pressCancel();
    EXPECT_TRUE(p.cancelled());
    // A cancel pressed during the run is not undone by the step's refresh.
    p.Update();
    EXPECT_TRUE(p.cancelled());
    EXPECT_EQ(w.events.size(), 1u);
    p.Close();
    EXPECT_FALSE(p.cancelled());
}

TEST(SwmmProgress, WithoutAWindowNothingIsTold) {
    SwmmProgress p(nullptr);
    p.setPass({true, 2, 3, 4});
    p.Show(20);
    steps(p, 300);
    p.Tick();
    EXPECT_TRUE(p.isOpen());
    EXPECT_FALSE(p.cancelled());
    EXPECT_EQ(p.bar(), 3);
    p.Close();
    EXPECT_FALSE(p.isOpen());
}

}  // namespace
}  // namespace nivex::swmm
