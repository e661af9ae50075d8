// The progress windows: their sizes and kinds, the bar's steps, the texts and clock of
// the timer window and its "Cancelar".

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include "console/codepage.h"
#include "qt/progress_windows.h"
#include "qt_rig.h"

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

}  // namespace
}  // namespace nivex::testing
