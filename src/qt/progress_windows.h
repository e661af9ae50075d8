#pragma once
// The progress windows of long computations: a bare bar over the main window (the design
// passes), a window with the caller's texts, the elapsed time and "Cancelar" (the
// automatic topology search), and the status window of the SWMM runs.

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>
#include <string>

#include "ui/progress.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace nivex::qt {

// "Tiempo Transcurrido: " and the time as minutes and seconds, "mm:ss".
QString ElapsedText(qint64 seconds);

// The bar window: borderless, always on top, a bar in a bevelled frame.
class TPrBar : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kWidth = 395, kHeight = 32;

    TPrBar(int maximum, QWidget* mainWindow);
    QProgressBar* bar() const { return bar_; }

  private:
    QProgressBar* bar_;
};

// The timer window: fixed border without border icons, always on top.
class TfrmPrg : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kWidth = 676, kHeight = 148;

    TfrmPrg(const QString& line1, const QString& line2, bool& cancel, QWidget* parent);

    QLabel* line(int index) const { return lines_[index]; }  // 0 to 2
    QProgressBar* bar() const { return bar_; }
    QPushButton* cancelButton() const { return cancel_; }
    QTimer* clock() const { return clock_; }

  public slots:
    // Shows the time since the window opened.
    void tick();

  private:
    QLabel* lines_[3];
    QProgressBar* bar_;
    QPushButton* cancel_;
    QTimer* clock_;
    QElapsedTimer started_;
};

// The status window: the caller's caption and label, the elapsed time since it opened, a
// bar, two count lines and "Cancelar"; fixed border without border icons, always on top.
// Changing the caption, the bar or the counts keeps its clock running.
class TPrBr : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kWidth = 480, kHeight = 170;

    TPrBr(const QString& caption, const QString& label, int maximum, bool& cancel, QWidget* parent);

    QLabel* label() const { return label_; }
    QLabel* elapsed() const { return elapsed_; }
    QLabel* count(int index) const { return counts_[index]; }  // 0 or 1
    QProgressBar* bar() const { return bar_; }
    QPushButton* cancelButton() const { return cancel_; }
    QTimer* clock() const { return clock_; }

    void setBar(int position, int maximum);
    void setCounts(const QString& line1, const QString& line2);

  public slots:
    // Shows the time since the window opened.
    void tick();

  private:
    QLabel* label_;
    QLabel* elapsed_;
    QLabel* counts_[2];
    QProgressBar* bar_;
    QPushButton* cancel_;
    QTimer* clock_;
    QElapsedTimer started_;
};

class QtProgress : public ui::Progress {
  public:
    // mainWindow: the window the bar is centred on and restored after it.
    explicit QtProgress(QWidget* mainWindow) : mainWindow_(mainWindow) {}
    ~QtProgress() override;

    void OpenProgressBar(int maximum) override;
    void StepProgressBar() override;
    void CloseProgressBar() override;

    void OpenProgressTimer(const std::string& line1, const std::string& line2) override;
    void ProgressTick() override;
    bool ProgressCancel() const override { return cancel_; }
    void CloseProgressTimer() override;

    void OpenProgressStatus(const std::string& caption, const std::string& label,
                            int maximum) override;
    void SetProgressStatusCaption(const std::string& caption) override;
    void SetProgressStatusBar(int position, int maximum) override;
    void SetProgressStatusCounts(const std::string& line1, const std::string& line2) override;
    void CloseProgressStatus() override;
    void ClearProgressCancel() override { cancel_ = false; }

    TPrBar* barWindow() const { return barWindow_; }
    TfrmPrg* timerWindow() const { return timerWindow_; }
    TPrBr* statusWindow() const { return statusWindow_; }

  private:
    QPointer<QWidget> mainWindow_;
    QPointer<TPrBar> barWindow_;
    QPointer<TfrmPrg> timerWindow_;
    QPointer<TPrBr> statusWindow_;
    bool cancel_ = false;
};

}  // namespace nivex::qt
