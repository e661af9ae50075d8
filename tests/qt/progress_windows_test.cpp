// The progress windows: their sizes and kinds, the bar's steps, the texts and clock of
// the timer window and its "Cancelar", and the status window of the SWMM runs.

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include "console/codepage.h"
#include "qt/progress_windows.h"
#include "qt_rig.h"
#include "swmm/swmm_progress.h"

namespace nivex::testing {
namespace {

using qt::QtProgress;

struct MainWindow {
    QWidget window;
    MainWindow() {
        window.setGeometry(100, 80, 800, 600);
        window.show();
    }
};

TEST(ProgressBar, SitsOnTopOfTheMainWindowAndStepsUpToTheMaximum) {
    MainWindow main;
    QtProgress progress(&main.window);
    progress.OpenProgressBar(3);
    qt::TPrBar* window = progress.barWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->size(), QSize(395, 32));
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_LE(
        (window->frameGeometry().center() - main.window.frameGeometry().center()).manhattanLength(),
        2);
    QProgressBar* bar = window->bar();
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 3);
    EXPECT_EQ(bar->value(), 0);

    progress.StepProgressBar();
    EXPECT_EQ(bar->value(), 1);
    for (int i = 0; i < 3; ++i)
        progress.StepProgressBar();
    EXPECT_EQ(bar->value(), 3);
    progress.CloseProgressBar();
    EXPECT_EQ(progress.barWindow(), nullptr);
    progress.StepProgressBar();  // no window: harmless
}

TEST(ProgressBar, ClosingRestoresAMinimisedMainWindow) {
    MainWindow main;
    QtProgress progress(&main.window);
    progress.OpenProgressBar(5);
    main.window.setWindowState(Qt::WindowMinimized);
    spin(10);
    ASSERT_TRUE(main.window.isMinimized());
    progress.CloseProgressBar();
    spin(10);
    EXPECT_FALSE(main.window.isMinimized());
}

TEST(ProgressTimer, ShowsTheTextsAndTheElapsedTime) {
    MainWindow main;
    QtProgress progress(&main.window);
    progress.OpenProgressTimer(cp("Diseño automático"), "Alternativa 3");
    qt::TfrmPrg* window = progress.timerWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->size(), QSize(676, 148));
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(window->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMinMaxButtonsHint);
    EXPECT_EQ(window->line(0)->text(), QString::fromUtf8("Diseño automático"));
    EXPECT_EQ(window->line(1)->text(), QStringLiteral("Alternativa 3"));
    EXPECT_EQ(window->line(2)->text(), QStringLiteral("Tiempo Transcurrido: 00:00"));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(window->line(i)->alignment() & Qt::AlignHCenter);
    EXPECT_TRUE(window->clock()->isActive());
    EXPECT_EQ(window->clock()->interval(), 1000);
    EXPECT_EQ(window->cancelButton()->text(), QStringLiteral("Cancelar"));
    spin(1300);
    EXPECT_EQ(window->line(2)->text(), QStringLiteral("Tiempo Transcurrido: 00:01"));
    progress.CloseProgressTimer();
    EXPECT_EQ(progress.timerWindow(), nullptr);
}

TEST(ProgressTimer, CancelarSetsTheFlagUntilTheNextOpening) {
    MainWindow main;
    QtProgress progress(&main.window);
    progress.OpenProgressTimer("a", "b");
    progress.ProgressTick();
    EXPECT_FALSE(progress.ProgressCancel());
    progress.timerWindow()->cancelButton()->click();
    progress.ProgressTick();
    EXPECT_TRUE(progress.ProgressCancel());
    progress.CloseProgressTimer();
    EXPECT_TRUE(progress.ProgressCancel());  // the caller reads it after closing
    progress.OpenProgressTimer("a", "b");
    EXPECT_FALSE(progress.ProgressCancel());
}

TEST(ProgressTimer, ElapsedTimeAsMinutesAndSeconds) {
    EXPECT_EQ(qt::ElapsedText(0), QStringLiteral("Tiempo Transcurrido: 00:00"));
    EXPECT_EQ(qt::ElapsedText(75), QStringLiteral("Tiempo Transcurrido: 01:15"));
    EXPECT_EQ(qt::ElapsedText(59 * 60 + 59), QStringLiteral("Tiempo Transcurrido: 59:59"));
    EXPECT_EQ(qt::ElapsedText(125 * 60 + 7), QStringLiteral("Tiempo Transcurrido: 125:07"));
}

const char* const kSwmmLabel = "Calculando  con SWMM   -->";

TEST(ProgressStatus, ShowsTheCaptionLabelBarCountsAndCancelar) {
    MainWindow main;
    QtProgress progress(&main.window);
    progress.OpenProgressStatus("Status", kSwmmLabel, 20);
    qt::TPrBr* window = progress.statusWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Status"));
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(window->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMinMaxButtonsHint);
    EXPECT_EQ(window->label()->text(), QStringLiteral("Calculando  con SWMM   -->"));
    EXPECT_EQ(window->elapsed()->text(), QStringLiteral("Tiempo Transcurrido: 00:00"));
    EXPECT_EQ(window->bar()->minimum(), 0);
    EXPECT_EQ(window->bar()->maximum(), 20);
    EXPECT_EQ(window->bar()->value(), 0);
    EXPECT_EQ(window->count(0)->text(), QString());
    EXPECT_EQ(window->count(1)->text(), QString());
    EXPECT_EQ(window->cancelButton()->text(), QStringLiteral("Cancelar"));
    EXPECT_TRUE(window->clock()->isActive());
    EXPECT_EQ(window->clock()->interval(), 1000);
    // The timer and bar windows are not involved.
    EXPECT_EQ(progress.timerWindow(), nullptr);
    EXPECT_EQ(progress.barWindow(), nullptr);

    progress.SetProgressStatusCaption(cp("Pasada #2 año"));
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("Pasada #2 año"));
    progress.SetProgressStatusBar(7, 20);
    EXPECT_EQ(window->bar()->value(), 7);
    progress.SetProgressStatusBar(25, 20);  // held inside the bar
    EXPECT_EQ(window->bar()->value(), 20);
    progress.SetProgressStatusBar(-3, 20);
    EXPECT_EQ(window->bar()->value(), 0);
    progress.SetProgressStatusBar(4, 10);
    EXPECT_EQ(window->bar()->maximum(), 10);
    EXPECT_EQ(window->bar()->value(), 4);
    progress.SetProgressStatusCounts(cp("Nodos Inundados: 3 ñ"), "Nodos Sobrecargados: 1");
    EXPECT_EQ(window->count(0)->text(), QString::fromUtf8("Nodos Inundados: 3 ñ"));
    EXPECT_EQ(window->count(1)->text(), QStringLiteral("Nodos Sobrecargados: 1"));
    progress.SetProgressStatusCounts("", "");
    EXPECT_EQ(window->count(0)->text(), QString());
    EXPECT_EQ(window->count(1)->text(), QString());
    EXPECT_EQ(progress.statusWindow(), window);  // all in the same window

    progress.CloseProgressStatus();
    EXPECT_EQ(progress.statusWindow(), nullptr);
    // Without a window: harmless.
    progress.SetProgressStatusCaption("Status");
    progress.SetProgressStatusBar(1, 20);
    progress.SetProgressStatusCounts("a", "b");
    progress.CloseProgressStatus();
}

TEST(ProgressStatus, ClockKeepsRunningWhileTheWindowChanges) {
    MainWindow main;
    QtProgress progress(&main.window);
    progress.OpenProgressStatus("Pasada #1", kSwmmLabel, 20);
    qt::TPrBr* window = progress.statusWindow();
    ASSERT_NE(window, nullptr);
    spin(1300);
    EXPECT_EQ(window->elapsed()->text(), QStringLiteral("Tiempo Transcurrido: 00:01"));
    progress.SetProgressStatusCaption("Pasada #2");
    progress.SetProgressStatusBar(0, 20);
    progress.SetProgressStatusCounts("Nodos Inundados: 1", "Nodos Sobrecargados: 0");
    progress.ClearProgressCancel();
    EXPECT_EQ(progress.statusWindow(), window);
    EXPECT_EQ(window->elapsed()->text(), QStringLiteral("Tiempo Transcurrido: 00:01"));
    spin(1000);
    EXPECT_EQ(window->elapsed()->text(), QStringLiteral("Tiempo Transcurrido: 00:02"));
    progress.CloseProgressStatus();

    // A new window starts its own clock.
    progress.OpenProgressStatus("Status", kSwmmLabel, 20);
    EXPECT_EQ(progress.statusWindow()->elapsed()->text(),
              QStringLiteral("Tiempo Transcurrido: 00:00"));
}

TEST(ProgressStatus, CancelarSetsTheFlagUntilClearedOrOpenedAgain) {
    MainWindow main;
    QtProgress progress(&main.window);
    progress.OpenProgressStatus("Status", kSwmmLabel, 20);
    progress.ProgressTick();
    EXPECT_FALSE(progress.ProgressCancel());
    progress.statusWindow()->cancelButton()->click();
    progress.ProgressTick();
    EXPECT_TRUE(progress.ProgressCancel());
    // Changes of the window do not undo it.
    progress.SetProgressStatusBar(3, 20);
    progress.SetProgressStatusCaption("Pasada #4");
    EXPECT_TRUE(progress.ProgressCancel());
    qt::TPrBr* window = progress.statusWindow();
    progress.ClearProgressCancel();
    EXPECT_FALSE(progress.ProgressCancel());
    EXPECT_EQ(progress.statusWindow(), window);
    window->cancelButton()->click();
    EXPECT_TRUE(progress.ProgressCancel());
    progress.CloseProgressStatus();
    EXPECT_TRUE(progress.ProgressCancel());  // the caller reads it after closing
    progress.OpenProgressStatus("Status", kSwmmLabel, 20);
    EXPECT_FALSE(progress.ProgressCancel());
}

TEST(ProgressStatus, SwmmRunDrivesOneWindowThroughThePasses) {
    MainWindow main;
    QtProgress progress(&main.window);
    swmm::SwmmProgress status(&progress);
    status.setPass({true, 1, 0, 0});
    status.ResetSteps();
    status.Show(20);
    qt::TPrBr* window = progress.statusWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Pasada #1"));
    for (int i = 0; i < 2000 + 1 + 350; ++i)
        status.Update();
    EXPECT_EQ(window->bar()->value(), 4);
    EXPECT_EQ(window->bar()->maximum(), 20);
    EXPECT_EQ(window->count(0)->text(), QString());
    spin(1100);

    // The next pass: same window, its clock still running, the previous pass's counts.
    status.setPass({true, 2, 3, 5});
    status.ResetSteps();
    status.Show(20);
    EXPECT_EQ(progress.statusWindow(), window);
    EXPECT_EQ(window->bar()->value(), 0);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Pasada #2"));
    EXPECT_EQ(window->count(0)->text(), QStringLiteral("Nodos Inundados: 3"));
    EXPECT_EQ(window->count(1)->text(), QStringLiteral("Nodos Sobrecargados: 5"));
    EXPECT_EQ(window->elapsed()->text(), QStringLiteral("Tiempo Transcurrido: 00:01"));
    window->cancelButton()->click();
    EXPECT_TRUE(status.cancelled());
    status.Show(20);
    EXPECT_FALSE(status.cancelled());
    status.Close();
    EXPECT_EQ(progress.statusWindow(), nullptr);
}

}  // namespace
}  // namespace nivex::testing
