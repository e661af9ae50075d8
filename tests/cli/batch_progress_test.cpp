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

TEST(BatchProgress, StatusPrintsTheCaptionAndTheCountsOnlyWhenTheyChange) {
    std::ostringstream err;
    BatchProgress progress(err);
    const std::string label = "Calculando  con SWMM   -->";
    progress.OpenProgressStatus("Status", label, 20);
    EXPECT_EQ(err.str(), "Status   Calculando  con SWMM   -->\n");
    err.str("");
    for (int i = 0; i < 5000; ++i) {  // the steps of a run print nothing
        progress.SetProgressStatusBar(i % 21, 20);
        progress.ProgressTick();
    }
    progress.SetProgressStatusCaption("Status");
    progress.SetProgressStatusCounts("", "");
    EXPECT_EQ(err.str(), "");

    progress.SetProgressStatusCaption("Pasada #2");
    progress.SetProgressStatusCaption("Pasada #2");
    progress.SetProgressStatusCounts("Nodos Inundados: 3", "Nodos Sobrecargados: 1");
    progress.SetProgressStatusCounts("Nodos Inundados: 3", "Nodos Sobrecargados: 1");
    EXPECT_EQ(err.str(),
              "Pasada #2   Calculando  con SWMM   -->\n"
              "Nodos Inundados: 3   Nodos Sobrecargados: 1\n");
    err.str("");
    // Blanked counts print nothing; the same counts coming back are a change again.
    progress.SetProgressStatusCounts("", "");
    EXPECT_EQ(err.str(), "");
    progress.SetProgressStatusCounts("Nodos Inundados: 3", "Nodos Sobrecargados: 1");
    EXPECT_EQ(err.str(), "Nodos Inundados: 3   Nodos Sobrecargados: 1\n");
    EXPECT_FALSE(progress.ProgressCancel());
    progress.ClearProgressCancel();
    EXPECT_FALSE(progress.ProgressCancel());
    progress.CloseProgressStatus();

    // Closed: nothing more is printed.
    err.str("");
    progress.SetProgressStatusCaption("Pasada #3");
    progress.SetProgressStatusCounts("a", "b");
    EXPECT_EQ(err.str(), "");
}

TEST(BatchProgress, StatusOpenedAgainStartsFromBlankCountsInUtf8) {
    std::ostringstream err;
    BatchProgress progress(err);
    progress.OpenProgressStatus("Pasada #1", cp("Diseño"), 20);
    progress.SetProgressStatusCounts(cp("Señal"), "");
    progress.CloseProgressStatus();
    progress.OpenProgressStatus("Pasada #1", cp("Diseño"), 20);
    progress.SetProgressStatusCounts(cp("Señal"), "");
    progress.SetProgressStatusCounts("", "Nodos Sobrecargados: 2");
    EXPECT_EQ(err.str(),
              "Pasada #1   Diseño\nSeñal\nPasada #1   Diseño\nSeñal\nNodos Sobrecargados: 2\n");
}

}  // namespace
}  // namespace nivex::cli
