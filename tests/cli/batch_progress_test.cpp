// Progress of a batch run on standard error.

#include <gtest/gtest.h>

#include <sstream>

#include "cli/batch_progress.h"
#include "console/codepage.h"

namespace nivex::cli {
namespace {

TEST(BatchProgress, BarReportsEachTenthOnce) {
    std::ostringstream err;
    BatchProgress progress(err);
    progress.OpenProgressBar(25);
    for (int i = 0; i < 30; ++i)  // steps beyond the maximum change nothing
        progress.StepProgressBar();
    progress.CloseProgressBar();
    EXPECT_EQ(err.str(),
              "Progreso: 10 %\nProgreso: 20 %\nProgreso: 30 %\nProgreso: 40 %\nProgreso: 50 %\n"
              "Progreso: 60 %\nProgreso: 70 %\nProgreso: 80 %\nProgreso: 90 %\nProgreso: 100 %\n");
}

TEST(BatchProgress, BarClosedShortTellsWhereItStopped) {
    std::ostringstream err;
    BatchProgress progress(err);
    progress.OpenProgressBar(8);
    for (int i = 0; i < 3; ++i)
        progress.StepProgressBar();
    progress.CloseProgressBar();
    EXPECT_EQ(err.str(), "Progreso: 10 %\nProgreso: 20 %\nProgreso: 30 %\nProgreso: 37 %\n");

    err.str("");
    progress.OpenProgressBar(0);
    progress.StepProgressBar();
    progress.CloseProgressBar();
    EXPECT_EQ(err.str(), "");
}

TEST(BatchProgress, TimerPrintsItsTextsOnceAndNeverCancels) {
    std::ostringstream err;
    BatchProgress progress(err);
    progress.OpenProgressTimer(cp("Diseño automático"), "Alternativa 2");
    progress.ProgressTick();
    progress.ProgressTick();
    EXPECT_FALSE(progress.ProgressCancel());
    progress.CloseProgressTimer();
    EXPECT_EQ(err.str(), "Diseño automático\nAlternativa 2\n");
}

}  // namespace
}  // namespace nivex::cli
